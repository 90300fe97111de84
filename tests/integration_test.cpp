// Numerical integration: the Gauss-Legendre tables and rules of one-variable functions, the
// adaptive driver (absolute, relative, reversed, scaled), its explicit-tolerance variant,
// and the adaptive integrator of vector integrands (fixed rules, subdivision, version switch
// of the Clenshaw-Curtis error, storage, nesting count, leaks).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathConstants.h"
#include "XelMathFunctionX.h"
#include "XelMathGaussLegendre.h"
#include "XelMathInputError.h"
#include "XelMathIntegration.h"
#include "XelMathIntegrationFunctionX.h"
#include "XelQuorMemory.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

using xeltest::ExpectInputError;

const double kEps = std::numeric_limits<double>::epsilon();
const long kOrders[] = {2, 4, 6, 8, 10, 12, 16, 20};
// Evaluations of the plain scheme: G8, G12 and the 20-point rule on 1, 2, ..., 64 pieces.
const long kPlainEvaluations = 8 + 12 + 20 * 127;
// Evaluations one call may spend with the adaptive continuation: 80 times the plain scheme.
const long kEvaluationBudget = 80 * kPlainEvaluations;
// The rounding level of a computed integral: about 50 epsilon times the integral of |f| (the
// floor of the Kronrod error estimate summed over the pieces). No tolerance below it can be
// promised in absolute mode.
const double kRoundingFactor = 50.0 * kEps;

long LiveBlocks() {
  return XelQuorGetMemoryCounters().liveBlocks;
}

// ---- test functions -----------------------------------------------------------------------

// f(x) = formula(x, p), counting its evaluations.
class FormulaX : public XelMathFunctionX {
public:
  typedef double (*Formula)(double, double);
  explicit FormulaX(Formula iF, double iP = 0.0) : _f(iF), _p(iP) {}
  const char* IsA() const override { return "FormulaX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    ++count;
    return _f(x, _p);
  }
  XelMathFunctionX* Duplicate() const override { return new FormulaX(_f, _p); }
  mutable long count = 0;

private:
  Formula _f;
  double _p;
};

double Power(double x, double k) {
  return std::pow(x, k);
}
double Exp(double x, double) {
  return std::exp(x);
}
double Exp20(double x, double) {
  return std::exp(20.0 * x);
}
double Runge(double x, double) {
  return 1.0 / (1.0 + x * x);
}
double Cos50(double x, double) {
  return std::cos(50.0 * x);
}
double Sqrt(double x, double) {
  return std::sqrt(x);
}
double Log(double x, double) {
  return std::log(x);
}

// Exact integral of x^k over [a, b].
double MonomialIntegral(long k, double a, double b) {
  return (std::pow(b, double(k + 1)) - std::pow(a, double(k + 1))) / double(k + 1);
}

// Legendre polynomial P_n and its derivative at x by the three-term recurrence.
void Legendre(long n, long double x, long double& oP, long double& oDP) {
  long double p0 = 1.0L, p1 = x;
  for (long k = 2; k <= n; ++k) {
    const long double p2 = ((2 * k - 1) * x * p1 - (k - 1) * p0) / k;
    p0 = p1;
    p1 = p2;
  }
  oP = p1;
  oDP = n * (x * p1 - p0) / (x * x - 1.0L);
}

// The integral with the adaptive continuation asked for in the option list; the status in
// oStatus when given.
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

// The plain doubling (G8/G12, then 1 ... 64 pieces of the 20-point rule) through the public
// rules; oConverged tells whether two successive sums agreed.
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

// ---- Gauss-Legendre tables and rules --------------------------------------------------------

TEST(GaussLegendre, TableNodesAreLegendreRootsWithTheirWeights) {
  // Each node is a root of P_n to a few ulps, and its weight is 2 / ((1 - x^2) P_n'(x)^2),
  // both checked in extended precision from the recurrence.
  const double rootTol = 8 * kEps;
  for (long n : kOrders) {
    const double *x = nullptr, *w = nullptr;
    ASSERT_EQ(XelMathGaussLegendre::GetRule(n, x, w), n / 2);
    double half = 0.0;
    for (long k = 0; k < n / 2; ++k) {
      long double p, dp;
      Legendre(n, x[k], p, dp);
      // |P_n(x)| <= |P_n'(x)| |dx|: the node must be within a few ulps of the root.
      EXPECT_LE(std::fabs(double(p / dp)), rootTol) << "order " << n << " node " << k;
      const double weight = double(2.0L / ((1.0L - (long double)x[k] * x[k]) * dp * dp));
      EXPECT_NEAR(w[k], weight, 8 * kEps) << "order " << n << " weight " << k;
      if (k > 0) {
        EXPECT_LT(x[k - 1], x[k]) << "nodes in increasing order";
      }
      half += w[k];
    }
    EXPECT_NEAR(half, 1.0, 4 * n * kEps) << "weights of order " << n << " sum to 2";
  }
}

TEST(GaussLegendre, EachOrderIsExactUpToDegreeTwoNMinusOneAndNotBeyond) {
  // On [-1, 1] and on a shifted interval, x^k for k <= 2n - 1 is integrated to rounding;
  // x^(2n) leaves exactly the error of the rule, the integral of the squared monic
  // Legendre polynomial: 2^(2n+1) (n!)^4 / ((2n + 1) ((2n)!)^2). A wrong table digit
  // breaks one or the other.
  for (long n : kOrders) {
    for (long k = 0; k <= 2 * n - 1; ++k) {
      FormulaX f(Power, double(k));
      const XelMathInterval sym(-1.0, 1.0), shifted(0.25, 1.5);
      const double scale = std::pow(1.5, double(k)) * 1.25 + 1.0;
      EXPECT_NEAR(f.GaussLegendre(sym, n), MonomialIntegral(k, -1.0, 1.0), 16 * n * kEps)
          << "order " << n << " degree " << k;
      EXPECT_NEAR(f.GaussLegendre(shifted, n), MonomialIntegral(k, 0.25, 1.5),
                  16 * n * kEps * scale)
          << "order " << n << " degree " << k;
    }
    FormulaX f(Power, double(2 * n));
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
  FormulaX one(Power, 0.0), square(Power, 2.0);
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
  FormulaX f(Exp);
  const double e1 = std::exp(1.0), e2 = std::exp(2.0);
  // 4-point rule on three sub-intervals of [0, 2]: the sum of the three rules.
  const double thirds = f.GaussLegendre({0.0, 2.0 / 3.0}, 4) +
                        f.GaussLegendre({2.0 / 3.0, 4.0 / 3.0}, 4) +
                        f.GaussLegendre({4.0 / 3.0, 2.0}, 4);
  EXPECT_NEAR(f.GaussLegendre({0.0, 2.0}, 4, 3), thirds, 8 * kEps * e2);
  // The composite rule converges like h^8 for a 4-point rule: 8 pieces are far better
  // than 1.
  const double exact = e2 - 1.0;
  EXPECT_LT(std::fabs(f.GaussLegendre({0.0, 2.0}, 4, 8) - exact),
            1e-4 * std::fabs(f.GaussLegendre({0.0, 2.0}, 4, 1) - exact));
  EXPECT_EQ(f.GaussLegendre({0.0, 2.0}, 4, 0), 0.0);
  EXPECT_EQ(f.GaussLegendre({0.0, 2.0}, 4, -1), 0.0);
  // Reversed interval: the negated integral, for both forms.
  EXPECT_NEAR(f.GaussLegendre({1.0, 0.0}, 12), -(e1 - 1.0), 8 * kEps * e1);
  EXPECT_NEAR(f.GaussLegendre({1.0, 0.0}, 20, 4), -(e1 - 1.0), 8 * kEps * e1);
}

TEST(GaussLegendre, KronrodRuleExtendsTheTenPointRuleToDegreeThirtyOne) {
  // The 21-point Kronrod rule keeps the 10 Gauss nodes and integrates x^k exactly for
  // k <= 31 (3n + 1 with n = 10); x^32 is not. Its error estimate vanishes (to the rounding
  // floor) on polynomials the Gauss rule integrates, and not on x^20.
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
  FormulaX low(Power, 19.0), high(Power, 20.0), one(Power, 0.0);
  EXPECT_NEAR(XelMathGaussLegendre::ApplyKronrod(low, 0.0, 2.0, error, floor),
              MonomialIntegral(19, 0.0, 2.0), 64 * kEps * MonomialIntegral(19, 0.0, 2.0));
  EXPECT_LE(error, floor * (1.0 + 1e-12));
  EXPECT_EQ(low.count, 21);
  XelMathGaussLegendre::ApplyKronrod(high, 0.0, 2.0, error, floor);
  EXPECT_GT(error, 10.0 * floor);
  EXPECT_NEAR(XelMathGaussLegendre::ApplyKronrod(one, -3.0, 5.0, error, floor), 8.0, 16 * kEps);
  EXPECT_NEAR(floor, 50 * kEps * 8.0, 1e-12 * floor);
}

// ---- adaptive driver --------------------------------------------------------------------------

TEST(IntegrateX, SmoothFunctionsWithinTheAbsoluteTolerance) {
  const double eps = 1e-10;
  FormulaX e(Exp), runge(Runge);
  const double exactE = std::exp(1.0) - 1.0;
  EXPECT_NEAR(e.Integrate({0.0, 1.0}, eps), exactE, eps);
  // G8 and G12 agree at once on exp over [0, 1]: 8 + 12 evaluations.
  EXPECT_EQ(e.count, 20);
  // 1/(1 + x^2) over [-5, 5] needs the doubling.
  EXPECT_NEAR(runge.Integrate({-5.0, 5.0}, eps), 2.0 * std::atan(5.0), eps);
  EXPECT_GT(runge.count, 20);
  // Reversed intervals give the negated integral.
  EXPECT_NEAR(e.Integrate({1.0, 0.0}, eps), -exactE, eps);
  EXPECT_NEAR(runge.Integrate({5.0, -5.0}, eps), -2.0 * std::atan(5.0), eps);
}

TEST(IntegrateX, GaussTwelveReturnedWhenItAgreesWithGaussEight) {
  // On x^k with 16 <= k <= 23 the 12-point rule is not exact but the difference to the
  // 8-point rule is known: with a tolerance just above it G12 comes back after 20
  // evaluations, just below it the doubling runs.
  FormulaX f(Power, 18.0);
  const XelMathInterval I(-1.0, 1.0);
  const double g8 = f.GaussLegendre(I, 8), g12 = f.GaussLegendre(I, 12);
  const double gap = std::fabs(g12 - g8);
  ASSERT_GT(gap, 1e-6);
  f.count = 0;
  EXPECT_EQ(f.Integrate(I, 2.0 * gap * (1.0 + 1e-9)), g12);
  EXPECT_EQ(f.count, 20);
  f.count = 0;
  const double doubled = f.Integrate(I, 2.0 * gap * (1.0 - 1e-9));
  EXPECT_GT(f.count, 20);
  EXPECT_NEAR(doubled, MonomialIntegral(18, -1.0, 1.0), gap);
}

TEST(IntegrateX, RelativeToleranceScalesWithTheIntegral) {
  FormulaX f(Exp20);
  const double exact = std::expm1(20.0) / 20.0; // about 2.4e7
  const double eps = 1e-10;
  EXPECT_NEAR(f.IntegrateRelative({0.0, 1.0}, eps), exact, eps * exact);
  // In absolute mode the same eps is far tighter: the answer is at least as good.
  EXPECT_NEAR(f.Integrate({0.0, 1.0}, eps * exact), exact, eps * exact);
}

TEST(IntegrateX, OscillatoryCosine) {
  // cos(50 x) over [0, 2]: 16 periods; the 20-point rule resolves it from 16 pieces on.
  FormulaX f(Cos50);
  const double eps = 1e-9;
  EXPECT_NEAR(f.Integrate({0.0, 2.0}, eps), std::sin(100.0) / 50.0, eps);
  EXPECT_NEAR(f.Integrate({2.0, 0.0}, eps), -std::sin(100.0) / 50.0, eps);
}

TEST(IntegrateX, EndpointSingularitiesMeetTheToleranceBeyondTheDoubling) {
  // Singular ends at 0 and at 1: the doubling stalls (the error of the end piece falls like
  // h^1.5, h or h^0.5), and by default the 64-piece estimate comes back with status 7. The
  // adaptive continuation, when asked for, goes on to the requested accuracy with status 0
  // and within a modest number of evaluations.
  struct Case {
    const char* name;
    FormulaX::Formula f;
    double exact;
  };
  const Case cases[] = {
      {"sqrt(x)", Sqrt, 2.0 / 3.0},
      {"log(x)", Log, -1.0},
      {"1/sqrt(1-x)", [](double x, double) { return 1.0 / std::sqrt(1.0 - x); }, 2.0},
      {"log(1-x)", [](double x, double) { return std::log(1.0 - x); }, -1.0},
      {"log(x)/sqrt(1-x)", [](double x, double) { return std::log(x) / std::sqrt(1.0 - x); },
       4.0 * std::log(2.0) - 4.0},
  };
  for (const Case& c : cases)
    for (bool relative : {false, true})
      for (double eps : {1e-10, 1e-12}) {
        SCOPED_TRACE(testing::Message() << c.name << " eps " << eps << " relative " << relative);
        FormulaX f(c.f);
        bool converged = true;
        const double plain = PlainDoubling(f, {0.0, 1.0}, eps, relative, converged);
        ASSERT_FALSE(converged);
        f.count = 0;
        double result = 0.0;
        EXPECT_EQ(XelMathIntegrateX(&f, {0.0, 1.0}, eps, relative, nullptr, result), 7);
        EXPECT_EQ(result, plain);
        EXPECT_EQ(f.count, kPlainEvaluations);
        EXPECT_EQ(relative ? f.IntegrateRelative({0.0, 1.0}, eps) : f.Integrate({0.0, 1.0}, eps),
                  plain);
        f.count = 0;
        int status = -1;
        const double continued = Continued(f, {0.0, 1.0}, eps, relative, &status);
        EXPECT_EQ(status, 0);
        EXPECT_NEAR(continued, c.exact, relative ? eps * (1.0 + std::fabs(c.exact)) : eps);
        EXPECT_LE(f.count, kEvaluationBudget / 20) << "evaluations";
      }
}

TEST(IntegrateX, ExplicitToleranceVariant) {
  FormulaX runge(Runge), log(Log);
  const XelTolerance& tol = XelGetDefaultTolerance();
  const double eps = 1e-10;
  // Default orders and cap (non-positive arguments): the same answer as the member.
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(&runge, {-5.0, 5.0}, eps, 0, tol, 0, 0, 0),
            runge.Integrate({-5.0, 5.0}, eps));
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(&log, {0.0, 1.0}, eps, 0, tol, 0, 0, 0),
            log.Integrate({0.0, 1.0}, eps));
  // A cap of 4 pieces on log(x): the doubling stops early with the 4-piece sum.
  log.count = 0;
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(&log, {0.0, 1.0}, eps, 0, tol, 4, 6, 4),
            log.GaussLegendre({0.0, 1.0}, 20, 4));
  EXPECT_EQ(log.count, 4 + 6 + 20 * 7 + 20 * 4);
  // Low orders 2 and 4 on a quadratic agree at once.
  FormulaX square(Power, 2.0);
  EXPECT_NEAR(MyOwnIntegrateAbsOrRel(&square, {0.0, 3.0}, 1e-12, 1, tol, 2, 4, 64), 9.0,
              16 * kEps * 9.0);
  EXPECT_EQ(square.count, 2 + 4);
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(nullptr, {0.0, 1.0}, eps, 0, tol, 0, 0, 0), 0.0);
}

TEST(IntegrateX, NonFiniteInputTerminatesAndInvalidTolerancesRaise) {
  // NaN ends run the bounded doubling and return NaN, never hang, with or without the
  // continuation.
  FormulaX f(Exp);
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

// ---- battery of published integrals ----------------------------------------------------------

struct Published {
  const char* name;
  FormulaX::Formula f;
  double p;
  double a, b;
  double exact; // closed form
  double l1;    // integral of |f|
};

const double kPi = 3.14159265358979323846;
const double kThird = 1.0 / 3.0;

// Closed forms from standard tables; erf(70), erf(100) and atan's are exact to rounding.
const Published kPublished[] = {
    {"exp(x) on [0,1]", Exp, 0, 0.0, 1.0, std::exp(1.0) - 1.0, std::exp(1.0) - 1.0},
    {"1/(1+x^2) on [-5,5]", Runge, 0, -5.0, 5.0, 2.0 * std::atan(5.0), 2.0 * std::atan(5.0)},
    {"cos(50x) on [0,2]", Cos50, 0, 0.0, 2.0, std::sin(100.0) / 50.0, 1.28},
    {"x sin(30x) on [0,2pi]", [](double x, double) { return x * std::sin(30.0 * x); }, 0, 0.0,
     2.0 * kPi, -2.0 * kPi / 30.0, 4.0 * kPi* kPi / kPi},
    {"sqrt(x) on [0,1]", Sqrt, 0, 0.0, 1.0, 2.0 / 3.0, 2.0 / 3.0},
    {"x^0.1 on [0,1]", Power, 0.1, 0.0, 1.0, 1.0 / 1.1, 1.0 / 1.1},
    {"x^-0.5 on [0,1]", Power, -0.5, 0.0, 1.0, 2.0, 2.0},
    {"x^-0.9 on [0,1]", Power, -0.9, 0.0, 1.0, 10.0, 10.0},
    {"log(x) on [0,1]", Log, 0, 0.0, 1.0, -1.0, 1.0},
    {"x log(x) on [0,1]", [](double x, double) { return x * std::log(x); }, 0, 0.0, 1.0, -0.25,
     0.25},
    {"log(x)^2 on [0,1]", [](double x, double) { return std::log(x) * std::log(x); }, 0, 0.0, 1.0,
     2.0, 2.0},
    {"log(x)/sqrt(x) on [0,1]", [](double x, double) { return std::log(x) / std::sqrt(x); }, 0, 0.0,
     1.0, -4.0, 4.0},
    {"log(sin x) on [0,pi/2]", [](double x, double) { return std::log(std::sin(x)); }, 0, 0.0,
     0.5 * kPi, -0.5 * kPi* std::log(2.0), 0.5 * kPi* std::log(2.0)},
    {"1/sqrt(1-x^2) on [-1,1]", [](double x, double) { return 1.0 / std::sqrt(1.0 - x * x); }, 0,
     -1.0, 1.0, kPi, kPi},
    {"sqrt(1-x^2) on [-1,1]", [](double x, double) { return std::sqrt(1.0 - x * x); }, 0, -1.0, 1.0,
     0.5 * kPi, 0.5 * kPi},
    {"1/(x^2+1e-6) on [-1,1]", [](double x, double) { return 1.0 / (x * x + 1e-6); }, 0, -1.0, 1.0,
     2000.0 * std::atan(1000.0), 2000.0 * std::atan(1000.0)},
    {"1/((x-0.3)^2+1e-4) on [0,1]",
     [](double x, double) { return 1.0 / ((x - 0.3) * (x - 0.3) + 1e-4); }, 0, 0.0, 1.0,
     100.0 * (std::atan(70.0) + std::atan(30.0)), 100.0 * (std::atan(70.0) + std::atan(30.0))},
    {"exp(-1e4 x^2) on [0,1]", [](double x, double) { return std::exp(-1e4 * x * x); }, 0, 0.0, 1.0,
     std::sqrt(kPi) / 200.0, std::sqrt(kPi) / 200.0},
    {"exp(-1e4 (x-0.3)^2) on [0,1]",
     [](double x, double) { return std::exp(-1e4 * (x - 0.3) * (x - 0.3)); }, 0, 0.0, 1.0,
     std::sqrt(kPi) / 100.0, std::sqrt(kPi) / 100.0},
    {"|x-1/3| on [0,1]", [](double x, double) { return std::fabs(x - kThird); }, 0, 0.0, 1.0,
     5.0 / 18.0, 5.0 / 18.0},
    {"step at 1/3 on [0,1]", [](double x, double) { return x < kThird ? 0.0 : 1.0; }, 0, 0.0, 1.0,
     2.0 / 3.0, 2.0 / 3.0},
    {"exp(-x) on [0,1000]", [](double x, double) { return std::exp(-x); }, 0, 0.0, 1000.0, 1.0,
     1.0},
    {"1/(1+x^2) on [-1e6,1e6]", Runge, 0, -1e6, 1e6, 2.0 * std::atan(1e6), 2.0 * std::atan(1e6)},
    {"reversed log(x) on [1,0]", Log, 0, 1.0, 0.0, 1.0, 1.0},
    {"reversed 1/sqrt(1-x^2) on [1,-1]",
     [](double x, double) { return 1.0 / std::sqrt(1.0 - x * x); }, 0, 1.0, -1.0, -kPi, kPi},
};

TEST(IntegrateX, PublishedIntegralsWithinTheRequestedAbsoluteTolerance) {
  // Smooth, oscillatory, peaked, endpoint-singular (algebraic and logarithmic), kinked,
  // discontinuous, long and reversed intervals. The achieved error is within the requested
  // tolerance, or within the rounding level of the integral when that is larger.
  long hard = 0;
  for (double eps : {1e-6, 1e-10, 1e-12}) {
    for (const Published& t : kPublished) {
      FormulaX f(t.f, t.p);
      const double result = Continued(f, {t.a, t.b}, eps);
      const double bound = std::fmax(eps, kRoundingFactor * t.l1);
      EXPECT_LE(std::fabs(result - t.exact), bound)
          << t.name << " eps " << eps << " evaluations " << f.count;
      EXPECT_LE(f.count, kEvaluationBudget) << t.name;
      hard += f.count > kPlainEvaluations;
    }
  }
  // The battery does reach the continuation.
  EXPECT_GT(hard, 20);
}

TEST(IntegrateX, PublishedIntegralsWithinTheRequestedRelativeTolerance) {
  // Relative mode: within eps (1 + |I|), on the battery and on scaled versions of it.
  for (double eps : {1e-8, 1e-11}) {
    for (const Published& t : kPublished) {
      FormulaX f(t.f, t.p);
      const double result = Continued(f, {t.a, t.b}, eps, true);
      const double bound = std::fmax(eps * (1.0 + std::fabs(t.exact)), kRoundingFactor * t.l1);
      EXPECT_LE(std::fabs(result - t.exact), bound) << t.name << " eps " << eps;
    }
  }
  // 1e6 / sqrt(x): a relative 1e-10 of 2e6 is far above the absolute floor.
  FormulaX big([](double x, double) { return 1e6 / std::sqrt(x); });
  EXPECT_NEAR(Continued(big, {0.0, 1.0}, 1e-10, true), 2e6, 1e-10 * 2e6);
}

TEST(IntegrateX, TinyIntervalsAtTheirOwnScale) {
  // sqrt(x) over [0, 1e-8]: an integral of 6.7e-13 asked to 1e-22 (relative 1.5e-10).
  FormulaX root(Sqrt);
  const double h = 1e-8, exact = 2.0 / 3.0 * h * std::sqrt(h);
  EXPECT_NEAR(Continued(root, {0.0, h}, 1e-22), exact, 1e-22);
  // log(x - 1) over [1, 1 + w], w about 1e-6: w (log w - 1) = -1.5e-5. The nodes are
  // rounded to the spacing epsilon of the numbers near 1, a relative shift of up to
  // epsilon / w = 2.2e-10 of the integral: 1e-14 is within reach, not 1e-16.
  FormulaX shifted([](double x, double) { return std::log(x - 1.0); });
  const double hi = 1.0 + 1e-6, width = hi - 1.0;
  const double nodeShift = kEps / width * std::fabs(width * (std::log(width) - 1.0));
  EXPECT_NEAR(Continued(shifted, {1.0, hi}, 1e-14), width * (std::log(width) - 1.0),
              1e-14 + nodeShift);
}

TEST(IntegrateX, ConvergingDoublingReturnsExactlyThePlainValue) {
  // By default the result is bit for bit the plain doubling sum, converged or not. Wherever
  // G8/G12 or the doubling agree, the continuation does not run either when asked for.
  long converged = 0;
  for (double eps : {1e-3, 1e-6, 1e-10, 1e-12}) {
    for (const Published& t : kPublished) {
      for (bool relative : {false, true}) {
        FormulaX f(t.f, t.p);
        bool plainConverged = false;
        const double plain = PlainDoubling(f, {t.a, t.b}, eps, relative, plainConverged);
        f.count = 0;
        double result =
            relative ? f.IntegrateRelative({t.a, t.b}, eps) : f.Integrate({t.a, t.b}, eps);
        EXPECT_EQ(result, plain) << t.name << " eps " << eps << " relative " << relative;
        EXPECT_LE(f.count, kPlainEvaluations) << t.name;
        if (!plainConverged)
          continue;
        ++converged;
        int status = -1;
        result = Continued(f, {t.a, t.b}, eps, relative, &status);
        EXPECT_EQ(result, plain) << t.name << " eps " << eps << " relative " << relative;
        EXPECT_EQ(status, 0) << t.name;
      }
    }
  }
  EXPECT_GT(converged, 40);
}

TEST(IntegrateX, AgreementOfTheFirstTwoRulesIsFinal) {
  // exp(-1e4 x^2) on [-1, 1]: the peak of width 0.01 lies between all nodes of the 8- and
  // 12-point rules, which agree on about 0 and are returned after 20 evaluations, as for any
  // function on which they agree. The same peak seen by the 12-point rule (on [0, 1]) is
  // integrated to the tolerance.
  auto peak = [](double x, double) { return std::exp(-1e4 * x * x); };
  FormulaX hidden(peak), seen(peak);
  const double eps = 1e-10;
  EXPECT_EQ(hidden.Integrate({-1.0, 1.0}, eps), hidden.GaussLegendre({-1.0, 1.0}, 12));
  EXPECT_LT(std::fabs(hidden.GaussLegendre({-1.0, 1.0}, 12)), 1e-20);
  EXPECT_NEAR(Continued(seen, {0.0, 1.0}, eps), std::sqrt(kPi) / 200.0, eps);
}

TEST(IntegrateX, ContinuationIsBoundedWhereNoAccuracyCanBeReached) {
  const long before = LiveBlocks();
  // 1/x on [0, 1] diverges: the pieces at 0 are split to the narrowest width and the call
  // ends within the budget with a finite sum.
  FormulaX inverse(Power, -1.0);
  int status = 0;
  const double diverging = Continued(inverse, {0.0, 1.0}, 1e-10, false, &status);
  EXPECT_EQ(status, 7);
  EXPECT_TRUE(std::isfinite(diverging));
  EXPECT_GT(diverging, 100.0);
  EXPECT_LE(inverse.count, kEvaluationBudget);
  // sin(1/x) on [0, 1] = sin(1) - Ci(1): infinitely many oscillations; 1e-3 is reached,
  // 1e-12 is not, and both calls stay within the budget.
  FormulaX wild([](double x, double) { return std::sin(1.0 / x); });
  const double exact = 0.50406706190692837199; // sin(1) - Ci(1)
  EXPECT_NEAR(Continued(wild, {0.0, 1.0}, 1e-3), exact, 1e-3);
  EXPECT_LE(wild.count, kEvaluationBudget);
  wild.count = 0;
  EXPECT_NEAR(Continued(wild, {0.0, 1.0}, 1e-12), exact, 1e-3);
  EXPECT_LE(wild.count, kEvaluationBudget);
  // A zero tolerance asks for the rounding level: log(x) to within it, in few evaluations
  // once every piece is at its floor.
  FormulaX log(Log);
  EXPECT_NEAR(Continued(log, {0.0, 1.0}, 0.0), -1.0, kRoundingFactor);
  EXPECT_LE(log.count, kEvaluationBudget);
  EXPECT_EQ(LiveBlocks(), before);
}

// log(x), raising once a given number of evaluations has been made.
class RaisingLogX : public XelMathFunctionX {
public:
  explicit RaisingLogX(long iFailAt) : _failAt(iFailAt) {}
  const char* IsA() const override { return "RaisingLogX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    if (++_count == _failAt)
      throw std::runtime_error("integrand failed");
    return std::log(x);
  }
  XelMathFunctionX* Duplicate() const override { return new RaisingLogX(_failAt); }

private:
  long _failAt;
  mutable long _count = 0;
};

TEST(IntegrateX, RaisingIntegrandInTheContinuationLeavesNothingBehind) {
  // The doubling takes 2560 evaluations; the error comes out of the continuation and its
  // work array is released.
  const long before = LiveBlocks();
  RaisingLogX f(4000);
  EXPECT_THROW(Continued(f, {0.0, 1.0}, 1e-12), std::runtime_error);
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
  // Values in S^1 and variable in S^1: an integral in S^2 = 100 for S = 10. A tolerance of
  // 1/50 of the G8-G12 gap (unscaled units) is met at once once scaled, not without it.
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
}

TEST(IntegrateX, ScaleOptionOfWrongDimensionRaises) {
  const XelTolerance scaled(10.0);
  XelMathAttrScaleOption option(1, 1);
  ScaledPowerX f(scaled, option);
  f.BreakOption();
  const long before = LiveBlocks();
  try {
    f.Integrate({0.0, 1.0}, 1e-8);
    FAIL() << "no error raised";
  } catch (const XelMathInputError& e) {
    EXPECT_EQ(e.GetCode(), 0x20006);
    ASSERT_EQ(e.GetNumberOfParameters(), 3);
    EXPECT_STREQ(e.GetParameter(0), "the XelMathAttrScaleOption");
    EXPECT_STREQ(e.GetParameter(1), "wrong dimension");
    EXPECT_STREQ(e.GetParameter(2), "XelMathFunctionX::IntegrateAbsOrRel");
  }
  EXPECT_THROW(MyOwnIntegrateAbsOrRel(&f, {0.0, 1.0}, 1e-8, 0, scaled, 0, 0, 0), XelMathInputError);
  EXPECT_EQ(LiveBlocks(), before);
}

// ---- adaptive integrator of vector integrands -------------------------------------------------

// Components x^0 ... x^(N-1), counting evaluations.
class MonomialsIntegrand : public XelMathIntegration {
public:
  MonomialsIntegrand(XelSoftwareConfiguration* iConfig, long iN)
      : XelMathIntegration(iConfig, iN) {}
  void Eval(double iX, double* oValues) override {
    ++count;
    double p = 1.0;
    for (long i = 0; i < GetDimension(); ++i, p *= iX)
      oValues[i] = p;
  }
  long count = 0;
};

// exp(x), cos(3x), 1/(1 + x^2), x^7 (N = 4) or exp, cos(3x), 1/(1+x^2) (N = 3).
class MixedIntegrand : public XelMathIntegration {
public:
  explicit MixedIntegrand(long iN) : XelMathIntegration(nullptr, iN) {}
  void Eval(double iX, double* oValues) override {
    ++count;
    oValues[0] = std::exp(iX);
    oValues[1] = std::cos(3.0 * iX);
    oValues[2] = 1.0 / (1.0 + iX * iX);
    if (GetDimension() > 3)
      oValues[3] = std::pow(iX, 7.0);
  }
  long count = 0;
};

// Nine samples of the monomials of a MonomialsIntegrand over [a, b].
void Samples(MonomialsIntegrand& f, double a, double b, double* oSamples) {
  const long n = f.GetDimension();
  for (long k = 0; k <= 8; ++k)
    f.Eval(a + (b - a) * k / 8.0, oSamples + k * n);
}

TEST(Integration, FixedRulesHaveTheirDegreesOfExactness) {
  // Romberg (three extrapolations on 8 panels) and the paired 7-point Clenshaw-Curtis are
  // exact to degree 7; the composite Boole rule and Boole's rule to degree 5, and not at
  // degree 6 (which tells wrong weights apart).
  const long n = 9;
  MonomialsIntegrand f(nullptr, n);
  const double a = -0.5, b = 1.25;
  double samples[9 * n], romberg[n], boole[n], cc[n], errors[n], single[n];
  Samples(f, a, b, samples);
  f.Romberg9(a, b, samples, romberg);
  f.TwoNewtonCotes5(a, b, samples, boole);
  f.TwoClenshawCurtis7(a, b, samples, cc, errors);
  // Boole's rule on the first half alone: samples 0, 2, 4, 6, 8 of that half are 0..4.
  f.Lagrange3(a, 0.5 * (a + b), samples, single);
  for (long k = 0; k < n; ++k) {
    const double exact = MonomialIntegral(k, a, b);
    const double tol = 64 * kEps;
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
  // On a reversed interval the estimate carries the sign of b - a below the switch level
  // and is non-negative from it on (and without a configuration).
  const short flag = XelQuorVersionLevel_MathIntegration_BugTwoClenshawCurtis7;
  XelSoftwareConfiguration older(short(flag - 1)), atFlag(flag);
  MonomialsIntegrand oldRules(&older, 10), newRules(&atFlag, 10), noConfig(nullptr, 10);
  double samples[90], results[10], errors[10];
  Samples(oldRules, 1.0, -1.0, samples);
  oldRules.TwoClenshawCurtis7(1.0, -1.0, samples, results, errors);
  // Degree 9 is beyond the exactness of the rule: a non-zero estimate.
  EXPECT_LT(errors[9], 0.0);
  newRules.TwoClenshawCurtis7(1.0, -1.0, samples, results, errors);
  EXPECT_GT(errors[9], 0.0);
  noConfig.TwoClenshawCurtis7(1.0, -1.0, samples, results, errors);
  EXPECT_GT(errors[9], 0.0);
  for (long k = 0; k < 10; ++k)
    EXPECT_GE(errors[k], 0.0);
  // On a forward interval both levels agree.
  double forward[10];
  Samples(oldRules, -1.0, 1.0, samples);
  oldRules.TwoClenshawCurtis7(-1.0, 1.0, samples, results, forward);
  newRules.TwoClenshawCurtis7(-1.0, 1.0, samples, results, errors);
  for (long k = 0; k < 10; ++k)
    EXPECT_EQ(forward[k], errors[k]);
}

TEST(Integration, VectorIntegrandAgainstClosedForms) {
  const double a = 0.0, b = 2.0, tol = 1e-10;
  const double exact[4] = {std::exp(2.0) - 1.0, std::sin(6.0) / 3.0, std::atan(2.0),
                           MonomialIntegral(7, a, b)};
  const double tols[4] = {tol, tol, tol, tol};
  double results[4], errors[4];
  for (long n : {3L, 4L}) {
    MixedIntegrand f(n);
    EXPECT_EQ(f.Integration(a, b, tols, results, errors), 0);
    for (long i = 0; i < n; ++i) {
      // The reported error bounds the true one; 64 intervals at most at depth 6.
      EXPECT_LE(std::fabs(results[i] - exact[i]), errors[i] + 64 * kEps * std::fabs(exact[i]))
          << "component " << i;
      EXPECT_LE(errors[i], 64 * tol) << "component " << i;
      EXPECT_NEAR(results[i], exact[i], 64 * tol) << "component " << i;
    }
    // Reversed: the negated integrals, without an error array.
    double reversed[4];
    EXPECT_EQ(f.Integration(b, a, tols, reversed, nullptr), 0);
    for (long i = 0; i < n; ++i)
      EXPECT_NEAR(reversed[i], -results[i], 64 * kEps * std::fabs(exact[i]));
  }
}

TEST(Integration, WorkArraysInsideUpToElevenComponentsOnTheHeapBeyond) {
  const long before = LiveBlocks();
  {
    MonomialsIntegrand eleven(nullptr, 11);
    EXPECT_TRUE(eleven.HasInlineWorkArrays());
    EXPECT_EQ(eleven.GetDynamicMemoryBytes(), 0);
    EXPECT_EQ(LiveBlocks(), before);
    MonomialsIntegrand twelve(nullptr, 12);
    EXPECT_FALSE(twelve.HasInlineWorkArrays());
    EXPECT_EQ(twelve.GetDynamicMemoryBytes(), long(24 * sizeof(double)));
    EXPECT_EQ(LiveBlocks(), before + 1);
    // N = 12 through the whole scheme (heap buffers in the recursion too), on [-1, 2].
    double tols[12], results[12], errors[12];
    // x^11 reaches 2048 on [-1, 2]; the pieces at depth 6 meet 1e-9 (not 1e-12).
    for (double& t : tols)
      t = 1e-9;
    twelve.SetMinDepth(2);
    EXPECT_EQ(twelve.Integration(-1.0, 2.0, tols, results, errors), 0);
    for (long k = 0; k < 12; ++k) {
      const double exact = MonomialIntegral(k, -1.0, 2.0);
      EXPECT_LE(std::fabs(results[k] - exact), errors[k] + 64 * kEps * std::fabs(exact))
          << "degree " << k;
      EXPECT_NEAR(results[k], exact, 64 * 1e-9) << "degree " << k;
    }
  }
  EXPECT_EQ(LiveBlocks(), before);
  // A dimension that no allocation can serve is refused by the memory services.
  EXPECT_THROW(MonomialsIntegrand(nullptr, std::numeric_limits<long>::max()),
               XelQuorNoMoreMemoryError);
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(Integration, DepthsBoundTheSubdivision) {
  double tol[1] = {0.0}, result[1], error[1];
  MonomialsIntegrand f(nullptr, 1);
  // Maximum depth 0: one interval, nine samples and four Clenshaw-Curtis nodes, accepted
  // whatever its error; a zero tolerance is not met (rounding differences), status 7.
  f.SetMaxDepth(0);
  EXPECT_EQ(f.Integration(0.0, 1.0, tol, result, error), 7);
  EXPECT_EQ(f.count, 13);
  EXPECT_NEAR(result[0], 1.0, 4 * kEps);
  // Minimum depth 2 on a constant: 4 intervals (4 new samples per half, 4 Clenshaw-Curtis
  // nodes per final interval).
  f.SetMaxDepth(6);
  f.SetMinDepth(2);
  f.count = 0;
  const double loose[1] = {1.0};
  EXPECT_EQ(f.Integration(0.0, 1.0, loose, result, error), 0);
  EXPECT_EQ(f.count, 9 + 2 * 4 + 4 * 4 + 4 * 4);
  EXPECT_NEAR(result[0], 1.0, 8 * kEps);
  // Zero tolerance on a function the rules cannot integrate exactly: every interval is
  // split down to the maximum depth (64 intervals) and the status says the tolerance was
  // not met.
  FormulaX sqrtX(Sqrt);
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
}

TEST(Integration, FunctionBindingOnEndpointSingularity) {
  // sqrt(x) on [0, 1]: the error of the final piece [0, h] falls like h^1.5; at the default
  // depth 6 (h = 1/64) the tolerance 1e-12 is out of reach, status 7, and the reported
  // error still bounds the true one.
  FormulaX sqrtX(Sqrt);
  XelMathIntegrationFunctionX f(1, &sqrtX);
  EXPECT_EQ(f.GetFunction(), &sqrtX);
  const double tol[1] = {1e-12};
  double result[1], error[1];
  EXPECT_EQ(f.Integration(0.0, 1.0, tol, result, error), 7);
  EXPECT_LE(std::fabs(result[0] - 2.0 / 3.0), error[0]);
  EXPECT_LT(std::fabs(result[0] - 2.0 / 3.0), 1e-5);
  // With a tolerance it can meet, it does.
  const double loose[1] = {1e-4};
  EXPECT_EQ(f.Integration(0.0, 1.0, loose, result, error), 0);
  EXPECT_NEAR(result[0], 2.0 / 3.0, 64 * 1e-4);
  // Extra components of the binding are 0.
  XelMathIntegrationFunctionX two(nullptr, 2, &sqrtX);
  const double tols[2] = {1e-4, 1e-4};
  double results[2], errors[2];
  two.Integration(0.0, 4.0, tols, results, errors);
  EXPECT_NEAR(results[0], 16.0 / 3.0, 64 * 1e-4);
  EXPECT_EQ(results[1], 0.0);
}

TEST(Integration, NaNIntegrandStopsAtOnce) {
  FormulaX log(Log);
  XelMathIntegrationFunctionX f(1, &log);
  const double tol[1] = {1e-10};
  double result[1], error[1];
  // log(x) on [-1, 1]: NaN samples; the interval is not subdivided.
  EXPECT_EQ(f.Integration(-1.0, 1.0, tol, result, error), 7);
  EXPECT_TRUE(std::isnan(result[0]));
  EXPECT_EQ(log.count, 13);
  // A null result array is refused.
  EXPECT_EQ(f.Integration(0.0, 1.0, tol, nullptr, error), 4);
}

// Counts the nesting level seen by its evaluations, optionally running an inner
// integration from inside Eval, or raising after a given number of evaluations.
class NestingIntegrand : public XelMathIntegration {
public:
  NestingIntegrand(long iN, bool iInner) : XelMathIntegration(nullptr, iN), _inner(iInner) {}
  void Eval(double iX, double* oValues) override {
    if (++count == failAt)
      throw std::runtime_error("integrand failed");
    levelSeen = XelMathIntegration::GetNestedIntegrations();
    double value = 1.0;
    if (_inner) {
      // The integral over [0, x] of 1 is x.
      NestingIntegrand inner(1, false);
      const double tol[1] = {1e-12};
      double result[1];
      inner.Integration(0.0, iX, tol, result, nullptr);
      innerLevel = inner.levelSeen;
      value = result[0];
    }
    for (long i = 0; i < GetDimension(); ++i)
      oValues[i] = value;
  }
  long count = 0, failAt = -1, levelSeen = 0, innerLevel = 0;

private:
  bool _inner;
};

TEST(Integration, NestedIntegrationsAreCountedLibraryWide) {
  EXPECT_EQ(XelMathIntegration::GetNestedIntegrations(), 0);
  NestingIntegrand outer(1, true);
  const double tol[1] = {1e-10};
  double result[1];
  EXPECT_EQ(outer.Integration(0.0, 2.0, tol, result, nullptr), 0);
  // The double integral of 1 over 0 <= y <= x <= 2 is 2.
  EXPECT_NEAR(result[0], 2.0, 1e-10);
  EXPECT_EQ(outer.levelSeen, 1);
  EXPECT_EQ(outer.innerLevel, 2);
  EXPECT_EQ(XelMathIntegration::GetNestedIntegrations(), 0);
}

TEST(Integration, RaisingIntegrandLeavesNothingBehind) {
  // An error raised by Eval deep in the recursion passes through; the heap buffers of a
  // 12-component integrand are released and the nesting count restored.
  const long before = LiveBlocks();
  {
    NestingIntegrand f(12, false);
    f.failAt = 30;
    double tols[12] = {}, results[12];
    EXPECT_THROW(f.Integration(0.0, 1.0, tols, results, nullptr), std::runtime_error);
    EXPECT_EQ(XelMathIntegration::GetNestedIntegrations(), 0);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

} // namespace
