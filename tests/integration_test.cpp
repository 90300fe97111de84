// Gauss-Legendre rules, the adaptive driver on published integrals, vector integrands.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathFunctionX.h"
#include "XelMathGaussLegendre.h"
#include "XelMathInputError.h"
#include "XelMathIntegration.h"
#include "XelMathIntegrationFunctionX.h"
#include "XelQuorMemory.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"
#include "test_helpers.h"
#include "values_only.h"

namespace {

using xeltest::ExpectInputError;
using xeltest::kPi;
using xeltest::LiveBlocks;
using xeltest::ValuesX;

const double kEps = std::numeric_limits<double>::epsilon();
const long kOrders[] = {2, 4, 6, 8, 10, 12, 16, 20};
// Evaluations of the plain scheme: G8, G12 and the 20-point rule on 1, 2, ..., 64 pieces.
const long kPlainEvaluations = 8 + 12 + 20 * 127;
// Evaluations of one 21-point Kronrod rule.
const long kKronrodPoints = 21;
// Evaluations one call may spend with the adaptive option: 80 times the plain scheme.
const long kEvaluationBudget = 80 * kPlainEvaluations;
// The rounding level of an integral (the Kronrod floor summed over the pieces): 50 eps |f|_1.
const double kRoundingFactor = 50.0 * kEps;

ValuesX::Formula Pow(double k) {
  return [k](double x) { return std::pow(x, k); };
}
const ValuesX::Formula Exp = [](double x) { return std::exp(x); },
                       Sqrt = [](double x) { return std::sqrt(x); },
                       Runge = [](double x) { return 1.0 / (1.0 + x * x); },
                       Log = [](double x) { return std::log(x); };

// Exact integral of x^k over [a, b].
double MonomialIntegral(long k, double a, double b) {
  return (std::pow(b, double(k + 1)) - std::pow(a, double(k + 1))) / double(k + 1);
}

// The integral with the adaptive continuation asked for; its status in oStatus when given.
double Continued(const XelMathFunctionX& iF, const XelMathInterval& iI, double iEps,
                 bool iRelative = false, int* oStatus = nullptr) {
  XelMathAttrString adaptive(AttrFunctionXAdaptiveIntegration, 1);
  XelMathAttrList list(&adaptive);
  double result = 0.0;
  const int status = XelMathIntegrateX(&iF, iI, iEps, iRelative ? 1 : 0, &list, result);
  if (oStatus)
    *oStatus = status;
  return result;
}

// The plain doubling (G8/G12, then 1 ... 64 pieces of G20) through the public rules.
double PlainDoubling(const XelMathFunctionX& iF, const XelMathInterval& iI, double iEps,
                     bool iRelative, bool& oConverged) {
  const double g8 = iF.GaussLegendre(iI, 8), g12 = iF.GaussLegendre(iI, 12);
  const double tau = iRelative ? 0.5 * iEps * (1.0 + std::fabs(g12)) : 0.5 * iEps;
  oConverged = true;
  if (std::fabs(g12 - g8) <= tau)
    return g12;
  double previous = g12;
  for (long n = 1; n <= 64; n *= 2) {
    const double sum = iF.GaussLegendre(iI, 20, n);
    if (std::fabs(sum - previous) <= tau)
      return sum;
    previous = sum;
  }
  oConverged = false;
  return previous;
}

TEST(GaussLegendre, EachOrderIsExactUpToDegreeTwoNMinusOneAndNotBeyond) {
  // Exact for x^k, k < 2n; x^(2n) leaves the error 2^(2n+1) (n!)^4 / ((2n + 1) ((2n)!)^2).
  for (long n : kOrders) {
    for (long k = 0; k <= 2 * n - 1; ++k) {
      ValuesX f(Pow(double(k)));
      const XelMathInterval sym(-1.0, 1.0), shifted(0.25, 1.5);
      const double scale = std::pow(1.5, double(k)) * 1.25 + 1.0;
      EXPECT_NEAR(f.GaussLegendre(sym, n), MonomialIntegral(k, -1.0, 1.0), 16 * n * kEps)
          << "order " << n << " degree " << k;
      EXPECT_NEAR(f.GaussLegendre(shifted, n), MonomialIntegral(k, 0.25, 1.5),
                  16 * n * kEps * scale)
          << "order " << n << " degree " << k;
    }
    ValuesX f(Pow(double(2 * n)));
    double expected = std::pow(2.0, double(2 * n + 1)) / double(2 * n + 1);
    for (long j = 1; j <= n; ++j) // (n!)^2 / (2n)!, twice
      expected *= std::pow(double(j) / double(n + j), 2.0);
    const double error = MonomialIntegral(2 * n, -1.0, 1.0) - f.GaussLegendre({-1.0, 1.0}, n);
    EXPECT_NEAR(error, expected, 1e-9 * expected + 64 * n * kEps) << "order " << n;
    EXPECT_GT(error, 0.0) << "order " << n;
  }
}

TEST(GaussLegendre, UnlistedOrdersUseTheTwentyPointTable) {
  // Published first node pair of the 20-point rule.
  const double x0 = 0.0765265211334973338, w0 = 0.1527533871307258507;
  ValuesX one(Pow(0.0)), square(Pow(2.0));
  // Order 3: 3 / 2 = 1 pair of the 20-point table.
  EXPECT_NEAR(one.GaussLegendre({-1.0, 1.0}, 3), 2.0 * w0, 4 * kEps);
  EXPECT_NEAR(square.GaussLegendre({-1.0, 1.0}, 3), 2.0 * w0 * x0 * x0, 4 * kEps);
  EXPECT_EQ(one.count + square.count, 4);
  // Order 5: 2 pairs of the 20-point table, not a 5-point rule.
  const double *x = nullptr, *w = nullptr;
  EXPECT_EQ(XelMathGaussLegendre::GetRule(5, x, w), 2);
  EXPECT_EQ(x, XelMathGaussLegendre::GaussLegendreNodes + 29);
  // Orders beyond 20 cannot read past the table: the full 20-point rule.
  EXPECT_EQ(XelMathGaussLegendre::GetRule(40, x, w), 10);
  EXPECT_DOUBLE_EQ(square.GaussLegendre({0.0, 3.0}, 40), square.GaussLegendre({0.0, 3.0}, 20));
  // Orders below 2 give 0 without evaluating.
  one.count = 0;
  EXPECT_EQ(one.GaussLegendre({0.0, 1.0}, 1), 0.0);
  EXPECT_EQ(one.GaussLegendre({0.0, 1.0}, 0), 0.0);
  EXPECT_EQ(one.GaussLegendre({0.0, 1.0}, -4), 0.0);
  EXPECT_EQ(one.count, 0);
}

TEST(GaussLegendre, SubIntervalsSumTheRuleAndReversalNegates) {
  ValuesX f(Exp);
  const double e1 = std::exp(1.0), e2 = std::exp(2.0);
  // 4-point rule on three sub-intervals of [0, 2]: the sum of the three rules.
  const double thirds = f.GaussLegendre({0.0, 2.0 / 3.0}, 4) +
                        f.GaussLegendre({2.0 / 3.0, 4.0 / 3.0}, 4) +
                        f.GaussLegendre({4.0 / 3.0, 2.0}, 4);
  EXPECT_NEAR(f.GaussLegendre({0.0, 2.0}, 4, 3), thirds, 8 * kEps * e2);
  // The composite 4-point rule converges like h^8.
  const double exact = e2 - 1.0;
  EXPECT_LT(std::fabs(f.GaussLegendre({0.0, 2.0}, 4, 8) - exact),
            1e-4 * std::fabs(f.GaussLegendre({0.0, 2.0}, 4, 1) - exact));
  EXPECT_EQ(f.GaussLegendre({0.0, 2.0}, 4, 0), 0.0);
  EXPECT_EQ(f.GaussLegendre({0.0, 2.0}, 4, -1), 0.0);
  // Counts that would evaluate for hours raise before any evaluation.
  for (long pieces : {(1L << 21) + 1, static_cast<long>(INT_MAX), LONG_MAX}) {
    f.count = 0;
    ExpectInputError([&] { f.GaussLegendre({0.0, 2.0}, 4, pieces); }, 0x20004,
                     {"the number of sub-intervals", "Invalid Number Of Points"});
    EXPECT_EQ(f.count, 0);
  }
  // Reversed interval: the negated integral, for both forms.
  EXPECT_NEAR(f.GaussLegendre({1.0, 0.0}, 12), -(e1 - 1.0), 8 * kEps * e1);
  EXPECT_NEAR(f.GaussLegendre({1.0, 0.0}, 20, 4), -(e1 - 1.0), 8 * kEps * e1);
}

TEST(GaussLegendre, KronrodRuleExtendsTheTenPointRuleToDegreeThirtyOne) {
  // Kronrod 21: the G10 nodes, exact to x^31; its error is at the floor up to x^19, not x^20.
  const double* kx = XelMathGaussLegendre::KronrodNodes;
  const double* kw = XelMathGaussLegendre::KronrodWeights;
  const double *gx = nullptr, *gw = nullptr;
  ASSERT_EQ(XelMathGaussLegendre::GetRule(10, gx, gw), 5);
  for (long j = 0; j < 5; ++j)
    EXPECT_EQ(kx[2 * j + 1], gx[j]);
  for (long k = 0; k <= 32; ++k) {
    long double sum = k == 0 ? kw[0] : 0.0L;
    for (long j = 1; j <= XelMathGaussLegendre::KronrodPairs; ++j)
      sum += kw[j] * (std::pow((long double)kx[j], k) + std::pow(-(long double)kx[j], k));
    const double exact = MonomialIntegral(k, -1.0, 1.0);
    if (k <= 31)
      EXPECT_NEAR(double(sum), exact, 8 * kEps) << "degree " << k;
    else
      EXPECT_GT(std::fabs(double(sum) - exact), 1e-13) << "degree " << k;
  }
  double error = 0.0, floor = 0.0;
  ValuesX low(Pow(19.0)), high(Pow(20.0)), one(Pow(0.0));
  EXPECT_NEAR(XelMathGaussLegendre::ApplyKronrod(low, 0.0, 2.0, error, floor),
              MonomialIntegral(19, 0.0, 2.0), 64 * kEps * MonomialIntegral(19, 0.0, 2.0));
  EXPECT_LE(error, floor * (1.0 + 1e-12));
  EXPECT_EQ(low.count, 21);
  XelMathGaussLegendre::ApplyKronrod(high, 0.0, 2.0, error, floor);
  EXPECT_GT(error, 10.0 * floor);
  EXPECT_NEAR(XelMathGaussLegendre::ApplyKronrod(one, -3.0, 5.0, error, floor), 8.0, 16 * kEps);
  EXPECT_NEAR(floor, 50 * kEps * 8.0, 1e-12 * floor);
  // The estimate on x^k over [0, 1]: S (200 |G10 - I| / S)^1.5, S the integral of |x^k - I|
  // (I = 1/(k+1), closed form split where x^k = I); never below the Kronrod rule's own error.
  for (int k = 24; k <= 42; k += 6) {
    ValuesX f(Pow(double(k)));
    const double m = 1.0 / (k + 1), c = std::pow(m, 1.0 / k), ck1 = std::pow(c, k + 1);
    const double spread = (m * c - ck1 / (k + 1)) + ((1.0 - ck1) / (k + 1) - m * (1.0 - c));
    const double value = XelMathGaussLegendre::ApplyKronrod(f, 0.0, 1.0, error, floor);
    const double gauss = std::fabs(f.GaussLegendre({0.0, 1.0}, 10) - m);
    EXPECT_NEAR(error, spread * std::pow(200.0 * gauss / spread, 1.5), 0.05 * error) << k;
    EXPECT_GE(error, std::fabs(value - m)) << k;
  }
}

struct Published {
  const char* name;
  ValuesX::Formula f;
  double a, b;
  double exact;  // closed form
  double l1 = 0; // integral of |f| where it differs from |exact|
  double L1() const { return l1 > 0 ? l1 : std::fabs(exact); }
};

// Closed forms: smooth, oscillatory, peaked, singular ends, kinks, jumps, long, reversed.
const double kThird = 1.0 / 3.0, kLog2 = std::log(2.0);
const auto kArcsin = [](double x) { return 1.0 / std::sqrt(1.0 - x * x); };
const Published kPublished[] = {
    {"exp(x) on [0,1]", Exp, 0.0, 1.0, std::exp(1.0) - 1.0},
    {"1/(1+x^2) on [-5,5]", Runge, -5.0, 5.0, 2.0 * std::atan(5.0)},
    {"cos(50x) on [0,2]", [](double x) { return std::cos(50.0 * x); }, 0.0, 2.0,
     std::sin(100.0) / 50.0, 1.28},
    {"exp(20x) on [0,1]", [](double x) { return std::exp(20.0 * x); }, 0.0, 1.0,
     std::expm1(20.0) / 20.0},
    {"x sin(30x) on [0,2pi]", [](double x) { return x * std::sin(30.0 * x); }, 0.0, 2.0 * kPi,
     -2.0 * kPi / 30.0, 4.0 * kPi},
    {"sqrt(x) on [0,1]", Sqrt, 0.0, 1.0, 2.0 / 3.0},
    {"x^0.1 on [0,1]", Pow(0.1), 0.0, 1.0, 1.0 / 1.1},
    {"x^-0.5 on [0,1]", Pow(-0.5), 0.0, 1.0, 2.0},
    {"x^-0.9 on [0,1]", Pow(-0.9), 0.0, 1.0, 10.0},
    {"log(x) on [0,1]", Log, 0.0, 1.0, -1.0},
    {"x log(x) on [0,1]", [](double x) { return x * std::log(x); }, 0.0, 1.0, -0.25},
    {"log(x)^2 on [0,1]", [](double x) { return std::log(x) * std::log(x); }, 0.0, 1.0, 2.0},
    {"log(x)/sqrt(x) on [0,1]", [](double x) { return std::log(x) / std::sqrt(x); }, 0.0, 1.0,
     -4.0},
    {"log(sin x) on [0,pi/2]", [](double x) { return std::log(std::sin(x)); }, 0.0, 0.5 * kPi,
     -0.5 * kPi* kLog2},
    {"1/sqrt(1-x^2) on [-1,1]", kArcsin, -1.0, 1.0, kPi},
    {"sqrt(1-x^2) on [-1,1]", [](double x) { return std::sqrt(1.0 - x * x); }, -1.0, 1.0,
     0.5 * kPi},
    {"1/(x^2+1e-6) on [-1,1]", [](double x) { return 1.0 / (x * x + 1e-6); }, -1.0, 1.0,
     2000.0 * std::atan(1000.0)},
    {"1/((x-0.3)^2+1e-4) on [0,1]", [](double x) { return 1.0 / ((x - 0.3) * (x - 0.3) + 1e-4); },
     0.0, 1.0, 100.0 * (std::atan(70.0) + std::atan(30.0))},
    {"exp(-1e4 x^2) on [0,1]", [](double x) { return std::exp(-1e4 * x * x); }, 0.0, 1.0,
     std::sqrt(kPi) / 200.0},
    {"exp(-1e4 (x-0.3)^2) on [0,1]",
     [](double x) { return std::exp(-1e4 * (x - 0.3) * (x - 0.3)); }, 0.0, 1.0,
     std::sqrt(kPi) / 100.0},
    {"|x-1/3| on [0,1]", [](double x) { return std::fabs(x - kThird); }, 0.0, 1.0, 5.0 / 18.0},
    {"step at 1/3 on [0,1]", [](double x) { return x < kThird ? 0.0 : 1.0; }, 0.0, 1.0, 2.0 / 3.0},
    {"exp(-x) on [0,1000]", [](double x) { return std::exp(-x); }, 0.0, 1000.0, 1.0},
    {"1/(1+x^2) on [-1e6,1e6]", Runge, -1e6, 1e6, 2.0 * std::atan(1e6)},
    {"reversed log(x) on [1,0]", Log, 1.0, 0.0, 1.0},
    {"reversed 1/sqrt(1-x^2) on [1,-1]", kArcsin, 1.0, -1.0, -kPi},
};

TEST(IntegrateX, PublishedIntegralsWithinTheRequestedTolerance) {
  // Within the tolerance (absolute, or relative eps (1 + |I|)) or the rounding level.
  long hard = 0;
  for (bool relative : {false, true})
    for (double eps : {1e-6, 1e-8, 1e-10, 1e-12}) {
      for (const Published& t : kPublished) {
        ValuesX f(t.f);
        const double result = Continued(f, {t.a, t.b}, eps, relative);
        const double bound =
            std::fmax(relative ? eps * (1.0 + std::fabs(t.exact)) : eps, kRoundingFactor * t.L1());
        EXPECT_LE(std::fabs(result - t.exact), bound)
            << t.name << " eps " << eps << " relative " << relative << " evaluations " << f.count;
        EXPECT_LE(f.count, kEvaluationBudget) << t.name;
        hard += f.count > kKronrodPoints;
      }
    }
  // The battery does reach the adaptive bisection.
  EXPECT_GT(hard, 100);
  // 1e6 / sqrt(x): a relative 1e-10 of 2e6 is far above the absolute floor.
  ValuesX big([](double x) { return 1e6 / std::sqrt(x); });
  EXPECT_NEAR(Continued(big, {0.0, 1.0}, 1e-10, true), 2e6, 1e-10 * 2e6);
  // Tiny intervals at their own scale (nodes near 1 rounded: a shift of up to eps / w).
  ValuesX root(Sqrt), shifted([](double x) { return std::log(x - 1.0); });
  const double h = 1e-8, width = (1.0 + 1e-6) - 1.0, exact = width * (std::log(width) - 1.0);
  EXPECT_NEAR(Continued(root, {0.0, h}, 1e-22), 2.0 / 3.0 * h * std::sqrt(h), 1e-22);
  EXPECT_NEAR(Continued(shifted, {1.0, 1.0 + 1e-6}, 1e-14), exact,
              1e-14 + kEps / width * std::fabs(exact));
}

TEST(IntegrateX, DefaultIsExactlyThePlainDoubling) {
  // Without the option, bit for bit the plain doubling, converged or not.
  for (double eps : {1e-3, 1e-6, 1e-10, 1e-12}) {
    for (const Published& t : kPublished) {
      for (bool relative : {false, true}) {
        ValuesX f(t.f);
        bool plainConverged = false;
        const double plain = PlainDoubling(f, {t.a, t.b}, eps, relative, plainConverged);
        f.count = 0;
        double result =
            relative ? f.IntegrateRelative({t.a, t.b}, eps) : f.Integrate({t.a, t.b}, eps);
        EXPECT_EQ(result, plain) << t.name << " eps " << eps << " relative " << relative;
        EXPECT_LE(f.count, kPlainEvaluations) << t.name;
        const int status = XelMathIntegrateX(&f, {t.a, t.b}, eps, relative, nullptr, result);
        EXPECT_EQ(result, plain) << t.name;
        EXPECT_EQ(status, plainConverged ? 0 : 7) << t.name;
      }
    }
  }
}

TEST(IntegrateX, AdaptiveOptionAgainstDefaultClosedFormsAndEvaluationCounts) {
  // At 1e-10 absolute: the default answer (status, whether within the tolerance) and the
  // adaptive one (within the tolerance, status 0, at most the given evaluations, which are
  // those of a 21-point Gauss-Kronrod bisection with epsilon extrapolation of the level sums).
  struct Case {
    const char* name;
    ValuesX::Formula f;
    double a, b, exact;
    int defaultStatus;
    bool defaultWithin;
    long maxEvaluations;
  };
  const Case cases[] = {
      {"exp", Exp, 0.0, 1.0, std::exp(1.0) - 1.0, 0, true, 21},
      {"Runge", Runge, -5.0, 5.0, 2.0 * std::atan(5.0), 0, true, 231},
      // Both even rules miss the peak between their first nodes; the centre node does not.
      {"peak", [](double x) { return std::exp(-1e4 * x * x); }, -1.0, 1.0, std::sqrt(kPi) / 100.0,
       0, false, 600},
      {"x^-0.5", Pow(-0.5), 0.0, 1.0, 2.0, 7, false, 231},
      {"log", Log, 0.0, 1.0, -1.0, 7, false, 231},
      // A kink or a step inside is bisected down to its resolution: the sums of successive
      // levels look geometric for a few levels only, and are not extrapolated.
      {"kink", [](double x) { return std::fabs(x - kThird); }, 0.0, 1.0, 5.0 / 18.0, 7, false, 700},
      // Kinks between a bisection point and the first node of a half, whose nodes all lie on
      // one branch (the triangle between came back missing, 1e-6 and 9e-8, with status 0),
      // also where the half is too coarse to predict its end (sin 20x).
      {"kink past 1/2", [](double x) { return std::fabs(x - 0.501); }, 0.0, 1.0,
       (0.501 * 0.501 + 0.499 * 0.499) / 2.0, 7, false, 1300},
      {"kink before 3/4", [](double x) { return std::fabs(x - 0.7503); }, 0.0, 1.0,
       (0.7503 * 0.7503 + 0.2497 * 0.2497) / 2.0, 0, false, 1300},
      {"sin 20x + kink", [](double x) { return std::sin(20.0 * x) + std::fabs(x - 0.50001); }, 0.0,
       1.0, (1.0 - std::cos(20.0)) / 20.0 + (0.50001 * 0.50001 + 0.49999 * 0.49999) / 2.0, 0, false,
       1300},
      {"cos(50x)", [](double x) { return std::cos(50.0 * x); }, 0.0, 2.0, std::sin(100.0) / 50.0, 0,
       true, 700},
      {"step", [](double x) { return x < 0.3 ? 0.0 : 1.0; }, 0.0, 1.0, 0.7, 7, false, 1500},
      // Extrapolated 9e-5 off as if the step were at 43/24, where it sat for a few levels.
      {"step at ln 6", [](double x) { return x < std::log(6.0) ? 0.0 : 1.0; }, 1.0, 2.0,
       0.208240530771944999, 7, false, 1500},
      // A step between the bisection point and the first node of the half that does not explain
      // the value there (the default, as written, agrees with itself on it).
      {"step past 1/2", [](double x) { return x < 0.5 + 5e-8 ? 0.0 : 1.0; }, 0.0, 1.0, 0.5 - 5e-8,
       0, false, 1700},
      // Steps of 1 on values 2 to 7: both rules on [1.75, 2] gave 1.5 against 1.5123 (values
      // 5, 6 and 7 at nodes placed symmetrically about the steps).
      {"floor(e^x)", [](double x) { return std::floor(std::exp(x)); }, 1.0, 2.0,
       4.16798581949453101, 7, false, 8000},
      // A peak of width 1 at the first bisection point of a huge interval.
      {"wide Runge", Runge, -1e6, 1e6, 2.0 * std::atan(1e6), 7, false, 2500},
      // Singular at the centre node: the Gauss values carry on.
      {"log|x|", [](double x) { return std::log(std::fabs(x)); }, -1.0, 1.0, -2.0, 7, false, 600},
      // Singular inside, off the bisection points: the values grow at each bisection (not
      // extrapolated, it ended with status 7 at 6e-8).
      {"|x - 0.3|^-0.5", [](double x) { return 1.0 / std::sqrt(std::fabs(x - 0.3)); }, 0.0, 1.0,
       2.0 * (std::sqrt(0.3) + std::sqrt(0.7)), 7, false, 700},
  };
  const double eps = 1e-10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ValuesX f(c.f);
    double plain = 0.0;
    EXPECT_EQ(XelMathIntegrateX(&f, {c.a, c.b}, eps, 0, nullptr, plain), c.defaultStatus);
    EXPECT_EQ(std::fabs(plain - c.exact) <= eps, c.defaultWithin) << plain;
    f.count = 0;
    int status = -1;
    EXPECT_NEAR(Continued(f, {c.a, c.b}, eps, false, &status), c.exact, eps);
    EXPECT_EQ(status, 0);
    EXPECT_LE(f.count, c.maxEvaluations);
  }
  // Divergent on [0, 1]: never a success, within the budget (x^-1.5 and x^-2 extrapolate to
  // the finite values -2 and -1 of their analytic continuation). Odd poles at a bisection
  // point: the halves cancel and the signed sums stood at the principal value 0 (status 0).
  struct Divergent {
    const char* name;
    ValuesX::Formula f;
    double a, b;
  };
  const Divergent divergents[] = {
      {"x^-1", Pow(-1.0), 0.0, 1.0},
      {"x^-1.5", Pow(-1.5), 0.0, 1.0},
      {"x^-2", Pow(-2.0), 0.0, 1.0},
      {"x^-1 on [-1, 1]", Pow(-1.0), -1.0, 1.0},
      {"x^-3 on [-1, 1]", Pow(-3.0), -1.0, 1.0},
      {"1/(x - 0.5)", [](double x) { return 1.0 / (x - 0.5); }, 0.0, 1.0},
  };
  for (const Divergent& d : divergents)
    for (double tolerance : {1e-3, 1e-10}) {
      ValuesX divergent(d.f);
      int status = 0;
      Continued(divergent, {d.a, d.b}, tolerance, false, &status);
      EXPECT_EQ(status, 7) << d.name << " at " << tolerance;
      EXPECT_LE(divergent.count, kEvaluationBudget);
    }
}

TEST(IntegrateX, EndpointSingularitiesMeetTheToleranceBeyondTheDoubling) {
  // Singular ends: the doubling stalls (status 7); the continuation reaches the tolerance.
  struct Case {
    const char* name;
    ValuesX::Formula f;
    double exact;
  };
  const Case cases[] = {
      {"sqrt(x)", Sqrt, 2.0 / 3.0},
      {"log(x)", Log, -1.0},
      {"1/sqrt(1-x)", [](double x) { return 1.0 / std::sqrt(1.0 - x); }, 2.0},
      {"log(1-x)", [](double x) { return std::log(1.0 - x); }, -1.0},
      {"log(x)/sqrt(1-x)", [](double x) { return std::log(x) / std::sqrt(1.0 - x); },
       4.0 * std::log(2.0) - 4.0},
  };
  for (const Case& c : cases)
    for (bool relative : {false, true})
      for (double eps : {1e-10, 1e-12}) {
        SCOPED_TRACE(testing::Message() << c.name << " eps " << eps << " relative " << relative);
        ValuesX f(c.f);
        bool converged = true;
        const double plain = PlainDoubling(f, {0.0, 1.0}, eps, relative, converged);
        ASSERT_FALSE(converged);
        f.count = 0;
        double result = 0.0;
        EXPECT_EQ(XelMathIntegrateX(&f, {0.0, 1.0}, eps, relative, nullptr, result), 7);
        EXPECT_EQ(result, plain);
        EXPECT_EQ(f.count, kPlainEvaluations);
        f.count = 0;
        int status = -1;
        const double continued = Continued(f, {0.0, 1.0}, eps, relative, &status);
        EXPECT_EQ(status, 0);
        EXPECT_NEAR(continued, c.exact, relative ? eps * (1.0 + std::fabs(c.exact)) : eps);
        EXPECT_LE(f.count, kEvaluationBudget / 20) << "evaluations";
      }
}

TEST(IntegrateX, ExplicitToleranceVariant) {
  ValuesX runge(Runge), log(Log);
  const XelTolerance& tol = XelGetDefaultTolerance();
  const double eps = 1e-10;
  // Default orders and cap (non-positive arguments): the same answer as the member.
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(&runge, {-5.0, 5.0}, eps, 0, tol, 0, 0, 0),
            runge.Integrate({-5.0, 5.0}, eps));
  // A cap of 4 pieces on log(x): the doubling stops early with the 4-piece sum.
  log.count = 0;
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(&log, {0.0, 1.0}, eps, 0, tol, 4, 6, 4),
            log.GaussLegendre({0.0, 1.0}, 20, 4));
  EXPECT_EQ(log.count, 4 + 6 + 20 * 7 + 20 * 4);
  // Low orders 2 and 4 on a quadratic agree at once.
  ValuesX square(Pow(2.0));
  EXPECT_NEAR(MyOwnIntegrateAbsOrRel(&square, {0.0, 3.0}, 1e-12, 1, tol, 2, 4, 64), 9.0,
              16 * kEps * 9.0);
  EXPECT_EQ(square.count, 2 + 4);
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(nullptr, {0.0, 1.0}, eps, 0, tol, 0, 0, 0), 0.0);
}

TEST(IntegrateX, NonFiniteInputTerminatesAndInvalidTolerancesRaise) {
  // NaN ends return NaN, never hang.
  ValuesX f(Exp);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_TRUE(std::isnan(f.Integrate({nan, 1.0}, 1e-8)));
  int status = 0;
  EXPECT_TRUE(std::isnan(Continued(f, {nan, 1.0}, 1e-8, false, &status)));
  EXPECT_EQ(status, 4); // an end that is not finite is refused
  Continued(f, {0.0, std::numeric_limits<double>::infinity()}, 1e-8, false, &status);
  EXPECT_EQ(status, 4);
  // A value that overflows is never a success: exp on [0, 800].
  EXPECT_TRUE(std::isinf(Continued(f, {0.0, 800.0}, 1e-8, false, &status)));
  EXPECT_EQ(status, 7);
  // Over the whole line of doubles (its width overflows): 1 gives +inf, 0 gives 0, not NaN.
  const double top = std::numeric_limits<double>::max();
  for (double c : {1.0, 0.0}) {
    ValuesX g([c](double) { return c; });
    EXPECT_EQ(g.Integrate({-top, top}, 1e-8), c == 0.0 ? 0.0 : HUGE_VAL);
  }
  // A negative or NaN tolerance is refused; an infinite one accepts the first estimate.
  for (double eps : {nan, -1e-8}) {
    ExpectInputError(
        [&] {
          f.Integrate({0.0, 1.0}, eps);
        },
        0x20006, {"the tolerance of the integral", "", "XelMathFunctionX::IntegrateAbsOrRel"});
    ExpectInputError(
        [&] {
          Continued(f, {0.0, 1.0}, eps);
        },
        0x20006, {"the tolerance of the integral", "", "XelMathIntegrateX"});
  }
  EXPECT_EQ(f.Integrate({0.0, 1.0}, std::numeric_limits<double>::infinity()),
            f.GaussLegendre({0.0, 1.0}, 12));
  double result = 0.0;
  EXPECT_EQ(XelMathIntegrateX(nullptr, {0.0, 1.0}, 1e-8, 0, nullptr, result), 4);
  EXPECT_EQ(result, 0.0);
}

TEST(IntegrateX, ContinuationIsBoundedWhereNoAccuracyCanBeReached) {
  const long before = LiveBlocks();
  // 1/x on [0, 1] diverges: a finite sum within the budget.
  ValuesX inverse(Pow(-1.0));
  int status = 0;
  const double diverging = Continued(inverse, {0.0, 1.0}, 1e-10, false, &status);
  EXPECT_EQ(status, 7);
  EXPECT_TRUE(std::isfinite(diverging));
  EXPECT_GT(diverging, 100.0);
  EXPECT_LE(inverse.count, kEvaluationBudget);
  // sin(1/x) on [0, 1] = sin(1) - Ci(1): 1e-3 is reached, 1e-12 not, both within the budget.
  const double exact = 0.50406706190692837199; // sin(1) - Ci(1)
  for (double eps : {1e-3, 1e-12}) {
    ValuesX wild([](double x) { return std::sin(1.0 / x); });
    EXPECT_NEAR(Continued(wild, {0.0, 1.0}, eps), exact, 1e-3);
    EXPECT_LE(wild.count, kEvaluationBudget);
  }
  // A zero tolerance asks for the rounding level.
  ValuesX log(Log);
  EXPECT_NEAR(Continued(log, {0.0, 1.0}, 0.0), -1.0, kRoundingFactor);
  EXPECT_LE(log.count, kEvaluationBudget);
  // An integrand raising in the bisections, after the first rule.
  ValuesX raising(Log);
  raising.failAt = 100;
  EXPECT_THROW(Continued(raising, {0.0, 1.0}, 1e-12), std::runtime_error);
  EXPECT_EQ(LiveBlocks(), before);
}

// A caller-written function of a scaled model: f(x) = x^18 on a tolerance of scale S.
class ScaledPowerX : public XelMathBasisFunctionX {
public:
  ScaledPowerX(const XelTolerance& iTol, XelMathAttrScaleOption& iOption)
      : XelMathBasisFunctionX(iTol, iOption) {}
  explicit ScaledPowerX(const XelTolerance& iTol) : XelMathBasisFunctionX(iTol, 0) {}
  const char* IsA() const override { return "ScaledPowerX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    ++count;
    return std::pow(x, 18.0);
  }
  XelMathFunctionX* Duplicate() const override { return new ScaledPowerX(*this); }
  // Replaces the stored option by one with two F powers (the constructor would refuse it).
  void BreakOption() {
    const long powersF[2] = {1, 1}, powersX[1] = {1};
    *_scaleOption = XelMathAttrScaleOption(2, powersF, 1, powersX, 0, nullptr);
  }
  mutable long count = 0;
};

TEST(IntegrateX, ScaleOptionWidensTheToleranceByTheScaleOfTheIntegral) {
  // An integral in S^2 = 100: 1/50 of the G8-G12 gap is met at once when scaled, not without.
  const XelTolerance scaled(10.0);
  XelMathAttrScaleOption option(1, 1);
  ScaledPowerX f(scaled, option);
  ScaledPowerX plain(scaled);
  const XelMathInterval I(-1.0, 1.0);
  const double g12 = f.GaussLegendre(I, 12);
  const double gap = std::fabs(g12 - f.GaussLegendre(I, 8));
  f.count = plain.count = 0;
  EXPECT_EQ(f.Integrate(I, 2.0 * gap / 50.0), g12);
  EXPECT_EQ(f.count, 20);
  plain.Integrate(I, 2.0 * gap / 50.0);
  EXPECT_GT(plain.count, 20);
  // A reviewed option means the tolerance is already scaled: no widening.
  option.SetOKReviewed(1);
  ScaledPowerX reviewed(scaled, option);
  reviewed.Integrate(I, 2.0 * gap / 50.0);
  EXPECT_GT(reviewed.count, 20);
  // The explicit-tolerance variant reads S from its tolerance argument.
  f.count = 0;
  MyOwnIntegrateAbsOrRel(&f, I, 2.0 * gap / 50.0, 0, XelGetDefaultTolerance(), 0, 0, 0);
  EXPECT_GT(f.count, 20);
  // An option of the wrong dimension raises, leaving nothing behind.
  f.BreakOption();
  const long before = LiveBlocks();
  ExpectInputError(
      [&] {
        f.Integrate({0.0, 1.0}, 1e-8);
      },
      0x20006,
      {"the XelMathAttrScaleOption", "wrong dimension", "XelMathFunctionX::IntegrateAbsOrRel"});
  EXPECT_THROW(MyOwnIntegrateAbsOrRel(&f, {0.0, 1.0}, 1e-8, 0, scaled, 0, 0, 0), XelMathInputError);
  EXPECT_EQ(LiveBlocks(), before);
}

// A vector integrand: counts evaluations, records its nesting level, raises when asked.
class Integrand : public XelMathIntegration {
public:
  typedef std::function<void(double, double*)> Values;
  Integrand(XelSoftwareConfiguration* iConfig, long iN, Values iV)
      : XelMathIntegration(iConfig, iN), _v(std::move(iV)) {}
  void Eval(double iX, double* oValues) override {
    if (++count == failAt)
      throw std::runtime_error("integrand failed");
    levelSeen = XelMathIntegration::GetNestedIntegrations();
    _v(iX, oValues);
  }
  long count = 0, failAt = -1, levelSeen = 0;

private:
  Values _v;
};

// The components x^0 ... x^(n-1).
Integrand::Values Monomials(long n) {
  return [n](double x, double* v) {
    double p = 1.0;
    for (long i = 0; i < n; ++i, p *= x)
      v[i] = p;
  };
}

// Nine samples of the integrand over [a, b].
void Samples(Integrand& f, double a, double b, double* oSamples) {
  for (long k = 0; k <= 8; ++k)
    f.Eval(a + (b - a) * k / 8.0, oSamples + k * f.GetDimension());
}

TEST(Integration, FixedRulesHaveTheirDegreesOfExactness) {
  // Romberg and paired Clenshaw-Curtis 7 are exact to degree 7, Boole to 5 and not 6.
  const long n = 9;
  Integrand f(nullptr, n, Monomials(n));
  const double a = -0.5, b = 1.25;
  double samples[9 * n], romberg[n], boole[n], cc[n], errors[n], single[n];
  Samples(f, a, b, samples);
  f.Romberg9(a, b, samples, romberg);
  f.TwoNewtonCotes5(a, b, samples, boole);
  f.TwoClenshawCurtis7(a, b, samples, cc, errors);
  // Boole's rule on the first half alone: samples 0, 2, 4, 6, 8 of that half are 0..4.
  f.Lagrange3(a, 0.5 * (a + b), samples, single);
  for (long k = 0; k < n; ++k) {
    const double exact = MonomialIntegral(k, a, b), tol = 64 * kEps;
    if (k <= 7) {
      EXPECT_NEAR(romberg[k], exact, tol) << "degree " << k;
      EXPECT_NEAR(cc[k], exact, tol) << "degree " << k;
    }
    if (k <= 5) {
      EXPECT_NEAR(boole[k], exact, tol) << "degree " << k;
      EXPECT_NEAR(single[k], MonomialIntegral(k, a, 0.5 * (a + b)), tol) << "degree " << k;
    } else {
      EXPECT_GT(std::fabs(boole[k] - exact), 1e3 * tol) << "degree " << k;
    }
  }
  // Four new evaluations for the Clenshaw-Curtis pair, none for the others.
  EXPECT_EQ(f.count, 9 + 4);
}

TEST(Integration, ClenshawCurtisErrorSignFollowsTheVersionLevel) {
  // Reversed: the estimate has the sign of b - a below the switch level, is non-negative from
  // it on and without a configuration; forward, both agree. Degree 9 gives a non-zero estimate.
  const short flag = XelQuorVersionLevel_MathIntegration_BugTwoClenshawCurtis7;
  XelSoftwareConfiguration older(short(flag - 1)), atFlag(flag);
  Integrand oldRules(&older, 10, Monomials(10)), newRules(&atFlag, 10, Monomials(10)),
      noConfig(nullptr, 10, Monomials(10));
  double samples[90], results[10], errors[3][10];
  for (double a : {1.0, -1.0}) {
    Samples(oldRules, a, -a, samples);
    oldRules.TwoClenshawCurtis7(a, -a, samples, results, errors[0]);
    newRules.TwoClenshawCurtis7(a, -a, samples, results, errors[1]);
    noConfig.TwoClenshawCurtis7(a, -a, samples, results, errors[2]);
    EXPECT_EQ(errors[0][9]<0.0, a> 0.0);
    for (long k = 0; k < 10; ++k) {
      EXPECT_GE(errors[1][k], 0.0);
      EXPECT_EQ(errors[1][k], errors[2][k]);
      EXPECT_EQ(std::fabs(errors[0][k]), errors[1][k]);
    }
    EXPECT_GT(errors[1][9], 0.0);
  }
}

TEST(Integration, VectorIntegrandsAgainstClosedForms) {
  // exp(x), cos(3x), 1/(1 + x^2), x^7 on [0, 2], forwards and reversed (no error array).
  const double a = 0.0, b = 2.0, tol = 1e-10;
  const double exact[4] = {std::exp(2.0) - 1.0, std::sin(6.0) / 3.0, std::atan(2.0),
                           MonomialIntegral(7, a, b)};
  const double tols[4] = {tol, tol, tol, tol};
  for (long n : {3L, 4L}) {
    Integrand f(nullptr, n, [n](double x, double* v) {
      v[0] = std::exp(x);
      v[1] = std::cos(3.0 * x);
      v[2] = 1.0 / (1.0 + x * x);
      if (n > 3)
        v[3] = std::pow(x, 7.0);
    });
    double results[4], errors[4], reversed[4];
    EXPECT_EQ(f.Integration(a, b, tols, results, errors), 0);
    EXPECT_EQ(f.Integration(b, a, tols, reversed, nullptr), 0);
    for (long i = 0; i < n; ++i) {
      EXPECT_LE(std::fabs(results[i] - exact[i]), errors[i] + 64 * kEps * std::fabs(exact[i]))
          << "component " << i;
      EXPECT_LE(errors[i], 64 * tol) << "component " << i;
      EXPECT_NEAR(results[i], exact[i], 64 * tol) << "component " << i;
      EXPECT_NEAR(reversed[i], -results[i], 64 * kEps * std::fabs(exact[i]));
    }
  }
  // Twelve monomials on [-1, 2], with heap buffers in the recursion.
  const long before = LiveBlocks();
  {
    Integrand eleven(nullptr, 11, Monomials(11)), twelve(nullptr, 12, Monomials(12));
    EXPECT_TRUE(eleven.HasInlineWorkArrays());
    EXPECT_EQ(eleven.GetDynamicMemoryBytes(), 0);
    EXPECT_FALSE(twelve.HasInlineWorkArrays());
    EXPECT_EQ(twelve.GetDynamicMemoryBytes(), long(24 * sizeof(double)));
    EXPECT_EQ(LiveBlocks(), before + 1);
    double loose[12], results[12], errors[12];
    std::fill(loose, loose + 12, 1e-9);
    twelve.SetMinDepth(2);
    EXPECT_EQ(twelve.Integration(-1.0, 2.0, loose, results, errors), 0);
    for (long k = 0; k < 12; ++k) {
      const double e = MonomialIntegral(k, -1.0, 2.0);
      EXPECT_LE(std::fabs(results[k] - e), errors[k] + 64 * kEps * std::fabs(e)) << "degree " << k;
      EXPECT_NEAR(results[k], e, 64 * 1e-9) << "degree " << k;
    }
  }
  EXPECT_EQ(LiveBlocks(), before);
  // An impossible dimension: ExtremeCounts.RaiseTheInputErrorBeforeAnyAllocation.
}

TEST(Integration, DepthsBoundTheSubdivision) {
  double tol[1] = {0.0}, result[1], error[1];
  Integrand f(nullptr, 1, Monomials(1));
  // Maximum depth 0: one interval (9 samples, 4 Clenshaw-Curtis nodes), status 7.
  f.SetMaxDepth(0);
  EXPECT_EQ(f.Integration(0.0, 1.0, tol, result, error), 7);
  EXPECT_EQ(f.count, 13);
  EXPECT_NEAR(result[0], 1.0, 4 * kEps);
  // Minimum depth 2: 4 intervals (4 new samples per half, 4 nodes per final interval).
  f.SetMaxDepth(6);
  f.SetMinDepth(2);
  f.count = 0;
  const double loose[1] = {1.0};
  EXPECT_EQ(f.Integration(0.0, 1.0, loose, result, error), 0);
  EXPECT_EQ(f.count, 9 + 2 * 4 + 4 * 4 + 4 * 4);
  EXPECT_NEAR(result[0], 1.0, 8 * kEps);
  // Zero tolerance on sqrt: split down to the maximum depth, 64 intervals, status 7.
  ValuesX sqrtX(Sqrt);
  XelMathIntegrationFunctionX g(nullptr, 1, &sqrtX);
  g.SetMaxDepth(6);
  EXPECT_EQ(g.Integration(0.0, 1.0, tol, result, error), 7);
  EXPECT_EQ(sqrtX.count, 9 + 4 * (2 + 4 + 8 + 16 + 32 + 64) + 4 * 64);
  // The limits are clamped.
  f.SetMaxDepth(1000);
  EXPECT_EQ(f.GetMaxDepth(), XelMathIntegration::DepthLimit);
  f.SetMaxDepth(-3);
  EXPECT_EQ(f.GetMaxDepth(), 0);
  f.SetMinDepth(-3);
  EXPECT_EQ(f.GetMinDepth(), 0);
  // Depths of 30 would sample 2^30 intervals: the subdivision takes every interval beyond
  // MaxIntervals as final (16 evaluations at most each), with status 7.
  const struct {
    const char* name;
    ValuesX::Formula integrand;
    long minDepth;
    double integral;
  } deep[] = {{"sqrt, zero tolerance", Sqrt, 0, 2.0 / 3.0},
              {"x, minimum depth 30", [](double x) { return x; }, 30, 0.5}};
  for (const auto& row : deep) {
    ValuesX h(row.integrand);
    XelMathIntegrationFunctionX integrator(nullptr, 1, &h);
    integrator.SetMaxDepth(30);
    integrator.SetMinDepth(row.minDepth);
    EXPECT_EQ(integrator.Integration(0.0, 1.0, tol, result, error), 7) << row.name;
    EXPECT_LE(h.count, 16 * XelMathIntegration::MaxIntervals) << row.name;
    EXPECT_NEAR(result[0], row.integral, 1e-9) << row.name;
  }
}

TEST(Integration, FunctionBindingOnEndpointSingularityAndNaN) {
  // sqrt(x): 1e-12 is out of reach at depth 6 (status 7, the error bounds), 1e-4 is met.
  ValuesX sqrtX(Sqrt);
  XelMathIntegrationFunctionX f(1, &sqrtX);
  const double tol[1] = {1e-12}, loose[2] = {1e-4, 1e-4};
  double result[2], error[2];
  EXPECT_EQ(f.Integration(0.0, 1.0, tol, result, error), 7);
  EXPECT_LE(std::fabs(result[0] - 2.0 / 3.0), error[0]);
  EXPECT_LT(std::fabs(result[0] - 2.0 / 3.0), 1e-5);
  EXPECT_EQ(f.Integration(0.0, 1.0, loose, result, error), 0);
  EXPECT_NEAR(result[0], 2.0 / 3.0, 64 * 1e-4);
  // Extra components of the binding are 0.
  XelMathIntegrationFunctionX two(nullptr, 2, &sqrtX);
  two.Integration(0.0, 4.0, loose, result, error);
  EXPECT_NEAR(result[0], 16.0 / 3.0, 64 * 1e-4);
  EXPECT_EQ(result[1], 0.0);
  // log(x) on [-1, 1]: NaN samples, no subdivision. A null result array is refused.
  ValuesX log(Log);
  XelMathIntegrationFunctionX g(1, &log);
  EXPECT_EQ(g.Integration(-1.0, 1.0, tol, result, error), 7);
  EXPECT_TRUE(std::isnan(result[0]));
  EXPECT_EQ(log.count, 13);
  EXPECT_EQ(g.Integration(0.0, 1.0, tol, nullptr, error), 4);
}

TEST(Integration, NestedIntegrationsAreCountedAndErrorsLeaveNothingBehind) {
  // The double integral of 1 over 0 <= y <= x <= 2 is 2, the inner one run from inside Eval.
  EXPECT_EQ(XelMathIntegration::GetNestedIntegrations(), 0);
  long innerLevel = 0;
  Integrand outer(nullptr, 1, [&innerLevel](double x, double* v) {
    Integrand inner(nullptr, 1, Monomials(1));
    const double tol[1] = {1e-12};
    inner.Integration(0.0, x, tol, v, nullptr);
    innerLevel = inner.levelSeen;
  });
  const double tol[1] = {1e-10};
  double result[1];
  EXPECT_EQ(outer.Integration(0.0, 2.0, tol, result, nullptr), 0);
  EXPECT_NEAR(result[0], 2.0, 1e-10);
  EXPECT_EQ(outer.levelSeen, 1);
  EXPECT_EQ(innerLevel, 2);
  EXPECT_EQ(XelMathIntegration::GetNestedIntegrations(), 0);
  // An error raised deep in the recursion passes through, releasing and restoring everything.
  const long before = LiveBlocks();
  {
    Integrand f(nullptr, 12, Monomials(12));
    f.failAt = 30;
    double tols[12] = {}, results[12];
    EXPECT_THROW(f.Integration(0.0, 1.0, tols, results, nullptr), std::runtime_error);
    EXPECT_EQ(XelMathIntegration::GetNestedIntegrations(), 0);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

} // namespace
