// Elementary functions of one variable: trigonometric, arc tangent of a cosine, hyperbolic,
// fraction, periodic and piecewise functions, their owning variants and the piecewise cubic
// interpolation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "XelError.h"
#include "XelMathArctanCosX.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathConstants.h"
#include "XelMathCubicX.h"
#include "XelMathFractionX.h"
#include "XelMathGlobals.h"
#include "XelMathHyperbolicX.h"
#include "XelMathInputError.h"
#include "XelMathLinearX.h"
#include "XelMathPeriodicX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

typedef long double LD;
const double kEps = std::numeric_limits<double>::epsilon();
const LD kEpsLD = std::numeric_limits<LD>::epsilon();
const XelTolerance& Tol() {
  return XelGetDefaultTolerance();
}

// ---- independent references ----------------------------------------------------------------
// A reference is a long double formula of the value; derivatives of order k are taken from it
// by fourth-order central differences with step h:
//   k = 1: (-f(x+2h) + 8f(x+h) - 8f(x-h) + f(x-2h)) / 12h      error h^4/30 f^(5)
//   k = 2: (-f(x+2h) + 16f(x+h) - 30f(x) + 16f(x-h) - f(x-2h)) / 12h^2   error h^4/90 f^(6)
//   k = 3: (-f(x+3h) + 8f(x+2h) - 13f(x+h) + 13f(x-h) - 8f(x-2h) + f(x-3h)) / 8h^3
//                                                                   error 7h^4/120 f^(7)
// The rounding of long double values contributes about 1.5, 5.4 and 5.4 eps M / h^k.
// Derivatives are bounded by Cauchy's estimate |f^(j)| <= M j! / rho^j, with rho a radius of
// analyticity around the real points and M a bound of |f| on that disc.
typedef std::function<LD(LD)> Reference;

const double kStep[4] = {0.0, 1e-3, 1e-3, 5e-4};
const double kTruncation[4] = {0.0, 1.0 / 30.0, 1.0 / 90.0, 7.0 / 120.0};
const double kRounding[4] = {0.0, 1.5, 5.4, 5.4};
// Margin over the leading error terms.
const double kSafety = 8.0;

LD Difference(const Reference& f, LD x, int k) {
  const LD h = kStep[k];
  switch (k) {
  case 1:
    return (-f(x + 2 * h) + 8 * f(x + h) - 8 * f(x - h) + f(x - 2 * h)) / (12 * h);
  case 2:
    return (-f(x + 2 * h) + 16 * f(x + h) - 30 * f(x) + 16 * f(x - h) - f(x - 2 * h)) /
           (12 * h * h);
  default:
    return (-f(x + 3 * h) + 8 * f(x + 2 * h) - 13 * f(x + h) + 13 * f(x - h) - 8 * f(x - 2 * h) +
            f(x - 3 * h)) /
           (8 * h * h * h);
  }
}

/// Cauchy bound of |f^(j)|.
double DerivBound(int j, double M, double rho) {
  return M * std::tgamma(j + 1.0) / std::pow(rho, j);
}

/// Allowance for order k: truncation and rounding of the difference, and rounding of the
/// double evaluation under test.
double Allowance(int k, double M, double rho) {
  const double evaluation = 64.0 * kEps * DerivBound(k, M, rho);
  if (k == 0)
    return kSafety * evaluation;
  const double h = kStep[k];
  const double truncation = kTruncation[k] * std::pow(h, 4) * DerivBound(k + 4, M, rho);
  const double rounding = kRounding[k] * double(kEpsLD) * M / std::pow(h, k);
  return kSafety * (truncation + rounding + evaluation);
}

double Deriv(const XelMathFunctionX& f, double x, int k) {
  switch (k) {
  case 0:
    return f.Eval(x);
  case 1:
    return f.EvalFirstDeriv(x);
  case 2:
    return f.EvalSecondDeriv(x);
  default:
    return f.EvalThirdDeriv(x);
  }
}

XelMathInterval DerivImage(const XelMathFunctionX& f, const XelMathInterval& I, int k) {
  switch (k) {
  case 0:
    return f.Eval(I);
  case 1:
    return f.EvalFirstDeriv(I);
  case 2:
    return f.EvalSecondDeriv(I);
  default:
    return f.EvalThirdDeriv(I);
  }
}

/// Derivatives 0..3 of f agree with the reference at the points.
void ExpectDerivatives(const XelMathFunctionX& f, const Reference& ref,
                       const std::vector<double>& points, double M, double rho,
                       const std::string& what, int maxOrder = 3) {
  for (double x : points) {
    EXPECT_NEAR(f.Eval(x), double(ref(x)), Allowance(0, M, rho)) << what << " value at " << x;
    for (int k = 1; k <= maxOrder; ++k)
      EXPECT_NEAR(Deriv(f, x, k), double(Difference(ref, x, k)), Allowance(k, M, rho))
          << what << " derivative " << k << " at " << x;
  }
}

/// The multi-output evaluations give the single ones (to a few ulps).
void ExpectMultiOutputMatches(const XelMathFunctionX& f, const std::vector<double>& points) {
  for (double x : points) {
    double v = 0, d1 = 0, d2 = 0;
    f.Eval(x, 7, &v, &d1, &d2);
    EXPECT_NEAR(v, f.Eval(x), 4 * kEps * (1 + std::fabs(v))) << f.IsA() << " at " << x;
    EXPECT_NEAR(d1, f.EvalFirstDeriv(x), 4 * kEps * (1 + std::fabs(d1))) << f.IsA();
    EXPECT_NEAR(d2, f.EvalSecondDeriv(x), 4 * kEps * (1 + std::fabs(d2))) << f.IsA();
    double only = 0;
    f.Eval(x, 2, nullptr, &only, nullptr);
    EXPECT_NEAR(only, d1, 4 * kEps * (1 + std::fabs(d1))) << f.IsA();
  }
}

/// Interval image slack: ends are computed in round-to-nearest from other formulas than the
/// point values, so both may differ by some ulps of the magnitude.
double Slack(double magnitude) {
  return 256.0 * kEps * (1.0 + std::fabs(magnitude));
}

/// Every image (value and derivatives up to iMaxOrder, single and multi-output) of I
/// encloses dense samples of the point evaluations. iSample(x, k) gives the true k-th
/// derivative.
void ExpectEnclosure(const XelMathFunctionX& f, const XelMathInterval& I,
                     const std::function<double(double, int)>& iSample, int maxOrder = 3) {
  const int nbSamples = 400;
  XelMathInterval m[3];
  f.Eval(I, 112, &m[0], &m[1], &m[2]);
  for (int k = 0; k <= maxOrder; ++k) {
    const XelMathInterval image = DerivImage(f, I, k);
    for (int s = 0; s <= nbSamples; ++s) {
      const double x = s == nbSamples ? I.high : I.low + (I.high - I.low) * s / nbSamples;
      const double v = iSample(x, k);
      ASSERT_GE(v, image.low - Slack(v))
          << f.IsA() << " order " << k << " on [" << I.low << ", " << I.high << "] at " << x;
      ASSERT_LE(v, image.high + Slack(v))
          << f.IsA() << " order " << k << " on [" << I.low << ", " << I.high << "] at " << x;
      if (k < 3) {
        ASSERT_GE(v, m[k].low - Slack(v)) << f.IsA() << " multi-output order " << k;
        ASSERT_LE(v, m[k].high + Slack(v)) << f.IsA() << " multi-output order " << k;
      }
    }
  }
}

std::function<double(double, int)> PointSamples(const XelMathFunctionX& f) {
  return [&f](double x, int k) { return Deriv(f, x, k); };
}

/// Random intervals of [lo, hi] with log-uniform widths from 1e-6 to iMaxWidth.
std::vector<XelMathInterval> RandomIntervals(unsigned seed, double lo, double hi, double maxWidth,
                                             int n) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  std::vector<XelMathInterval> r;
  for (int i = 0; i < n; ++i) {
    const double w = 1e-6 * std::pow(maxWidth / 1e-6, u(rng));
    const double a = lo + (hi - lo - w) * u(rng);
    r.push_back(XelMathInterval(a, a + w));
  }
  return r;
}

std::vector<double> Points(double lo, double hi, int n) {
  std::vector<double> p;
  for (int i = 0; i < n; ++i)
    p.push_back(lo + (hi - lo) * (i + 0.37) / n);
  return p;
}

long LiveBlocks() {
  return XelQuorGetMemoryCounters().liveBlocks;
}

/// Raises and returns the code (0 when nothing was raised).
long CodeOf(const std::function<void()>& iCall) {
  try {
    iCall();
  } catch (const XelError& e) {
    return e.GetCode();
  }
  return 0;
}

XelMathPolynomX* Poly(std::initializer_list<double> c, double s = 0.0) {
  std::vector<double> v(c);
  return new XelMathPolynomX(long(v.size()) - 1, v.data(), s);
}

// A function that counts its live instances, to see which objects an owner deletes.
class Probe : public XelMathFunctionX {
public:
  explicit Probe(double iSlope = 1.0) : _slope(iSlope) { ++Alive; }
  Probe(const Probe& iOther) : XelMathFunctionX(iOther), _slope(iOther._slope) { ++Alive; }
  ~Probe() override { --Alive; }
  const char* IsA() const override { return "Probe"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return _slope * x + 2.0; }
  XelMathFunctionX* Duplicate() const override { return new Probe(*this); }
  XelMathFunctionX* DeepDuplicate() const override { return Duplicate(); }
  static int Alive;

private:
  double _slope;
};
int Probe::Alive = 0;

} // namespace

// ==== trigonometric ==============================================================================
TEST(TrigonometricX, DerivativesMatchDifferencesOfTheSineCosineForm) {
  const double a = 1.3, b = -0.9, c = 0.4;
  for (double w : {2.5, -1.7}) {
    XelMathTrigonometricX f(a, b, c, w, Tol());
    EXPECT_GE(f.GetPulsation(), 0.0);
    const Reference ref = [=](LD x) { return a * std::cos(w * x) + b * std::sin(w * x) + c; };
    // Entire: on a disc of radius 1 / |w|, |f| <= A cosh(1) + |c|.
    const double M = std::hypot(a, b) * std::cosh(1.0) + std::fabs(c);
    ExpectDerivatives(f, ref, Points(-3, 4, 23), M, 1 / std::fabs(w), "trigonometric");
    ExpectMultiOutputMatches(f, Points(-3, 4, 11));
  }
}

TEST(TrigonometricX, ConstructorAndEdgeCases) {
  XelMathTrigonometricX f(1, 0, 0, -2, Tol());
  EXPECT_EQ(f.GetPulsation(), 2.0);
  for (double x : {-1.0, 0.3, 2.0})
    EXPECT_NEAR(f.Eval(x), std::cos(2 * x), 4 * kEps);
  XelMathTrigonometricX zero(0, 0, 3, 1, Tol());
  EXPECT_EQ(zero.GetAmplitude(), 0.0);
  EXPECT_EQ(zero.GetPhase(), 0.0);
  EXPECT_EQ(zero.Eval(1.7), 3.0);
  const double p[4] = {2.0, 0.5, -3.0, 1.0};
  XelMathTrigonometricX raw(p, Tol());
  EXPECT_EQ(raw.GetPulsation(), -3.0); // taken as it is
  EXPECT_NEAR(raw.Eval(0.2), 2 * std::cos(-0.6 - 0.5) + 1, 4 * kEps * 3);
  EXPECT_EQ(f.GetTolerance(), &Tol());
}

TEST(TrigonometricX, AnswersOptionsTypesAndComponents) {
  XelMathTrigonometricX f(1, 1, 0, 1, Tol());
  EXPECT_TRUE(f.IsOption(0));
  EXPECT_TRUE(f.IsOption(2 | 4 | 16 | 32 | 64));
  EXPECT_TRUE(f.IsOption(48));
  EXPECT_FALSE(f.IsOption(1));
  EXPECT_FALSE(f.IsOption(8));
  EXPECT_FALSE(f.IsOption(128));
  EXPECT_FALSE(f.IsOption(2 | 256));
  EXPECT_TRUE(f.IsATypeOf(0));
  EXPECT_TRUE(f.IsATypeOf(30));
  EXPECT_FALSE(f.IsATypeOf(31));
  EXPECT_EQ(f.GetDirectComponents(0, nullptr), 0);
  EXPECT_TRUE(f.IsAKindOf("XelMathTrigonometricX"));
  EXPECT_TRUE(f.IsAKindOf("XelMathFunctionX"));
  EXPECT_FALSE(f.IsAKindOf("XelMathPolynomX"));
}

TEST(TrigonometricX, IntervalImagesEncloseSamplesFarFromTheOrigin) {
  XelMathTrigonometricX f(1.3, -0.9, 0.4, 2.5, Tol());
  for (const XelMathInterval& I : RandomIntervals(11, -50, 50, 8, 60))
    ExpectEnclosure(f, I, PointSamples(f));
  ExpectEnclosure(f, XelMathInterval(1e5, 1e5 + 0.3), PointSamples(f));
  // The image is exact: over a whole period it is [C - A, C + A].
  const XelMathInterval whole = f.Eval(XelMathInterval(0, 10));
  EXPECT_NEAR(whole.low, 0.4 - std::hypot(1.3, 0.9), 8 * kEps);
  EXPECT_NEAR(whole.high, 0.4 + std::hypot(1.3, 0.9), 8 * kEps);
  const XelMathInterval optimal = f.ComputeOptimalImage(XelMathInterval(0.1, 0.2), Tol());
  EXPECT_EQ(optimal, f.Eval(XelMathInterval(0.1, 0.2)));
}

TEST(TrigonometricX, DerivativeAndCombinationInClosedForm) {
  XelMathTrigonometricX f(1.3, -0.9, 0.4, 2.5, Tol());
  std::unique_ptr<XelMathFunctionX> d(f.CreateDeriv());
  ASSERT_TRUE(d && d->IsATypeOf(30));
  for (double x : Points(-2, 2, 9))
    EXPECT_NEAR(d->Eval(x), f.EvalFirstDeriv(x), 16 * kEps * 4);

  XelMathTrigonometricX c(1, 0, 0, 1, Tol()), s(0, 1, 0, 1, Tol()), other(0, 1, 0, 2, Tol());
  const XelMathFunctionX* mixed[2] = {&c, &other};
  const double ones[2] = {1.0, 1.0};
  EXPECT_EQ(c.FormalCombination(2, mixed, ones, 0.0), nullptr);
  const XelMathFunctionX* same[2] = {&c, &s};
  std::unique_ptr<XelMathFunctionX> sum(c.FormalCombination(2, same, ones, 0.0));
  ASSERT_TRUE(sum);
  const XelMathTrigonometricX* t = static_cast<const XelMathTrigonometricX*>(sum.get());
  EXPECT_NEAR(t->GetAmplitude(), std::sqrt(2.0), 4 * kEps);
  EXPECT_NEAR(t->GetPhase(), XelPI / 4, 4 * kEps);
  // With coefficients and constants: 2 f - 0.5 g + 1, checked pointwise.
  XelMathTrigonometricX g(0.3, 0.8, -1.0, -2.5, Tol());
  const XelMathFunctionX* fg[2] = {&f, &g};
  const double coeffs[2] = {2.0, -0.5};
  std::unique_ptr<XelMathFunctionX> comb(f.FormalCombination(2, fg, coeffs, 1.0));
  ASSERT_TRUE(comb);
  for (double x : Points(-3, 3, 13))
    EXPECT_NEAR(comb->Eval(x), 2 * f.Eval(x) - 0.5 * g.Eval(x) + 1, 64 * kEps);
  XelMathPolynomX p;
  const XelMathFunctionX* withPoly[2] = {&f, &p};
  EXPECT_EQ(f.FormalCombination(2, withPoly, coeffs, 0.0), nullptr);
}

TEST(TrigonometricX, IntegralMatchesTheAntiderivative) {
  const double a = 1.3, b = -0.9, c = 0.4, w = 2.5;
  XelMathTrigonometricX f(a, b, c, w, Tol());
  auto F = [=](double x) { return a / w * std::sin(w * x) - b / w * std::cos(w * x) + c * x; };
  for (const XelMathInterval& I : RandomIntervals(5, -10, 10, 5, 20))
    EXPECT_NEAR(f.IntegrateAbsOrRel(I, 1e-10, 0), F(I.high) - F(I.low), 64 * kEps * 10);
  XelMathTrigonometricX flat(0.5, 0.5, 2.0, 0.0, Tol());
  EXPECT_NEAR(flat.IntegrateAbsOrRel(XelMathInterval(1, 3), 1e-10, 0), 2 * (0.5 + 2.0), 16 * kEps);
}

TEST(TrigonometricX, SolveFindsEveryRootInIncreasingOrder) {
  // cos(2x) - 0.5 on [0, 2 pi]: x = pi/6, 5pi/6, 7pi/6, 11pi/6.
  XelMathTrigonometricX f(1, 0, -0.5, 2, Tol());
  XelMathSetOfPointsND roots(1);
  EXPECT_EQ(f.Solve(XelMathInterval(0, Xel2PI), roots), 0);
  const double expected[4] = {XelPI / 6, 5 * XelPI / 6, 7 * XelPI / 6, 11 * XelPI / 6};
  ASSERT_EQ(roots.GetNumberOfPoints(), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(roots.GetPoints()[i], expected[i], 1e-12);

  // The same under a scaled model with a scale option on the variable.
  XelTolerance scaled(10.0);
  XelMathAttrTolObject tolAttr(scaled);
  XelMathAttrScaleOption option(1, 2);
  XelMathAttrList list(&tolAttr);
  list.AddAttribute(&option);
  XelMathSetOfPointsND scaledRoots(1);
  EXPECT_EQ(f.Solve(XelMathInterval(0, Xel2PI), scaledRoots, &list), 0);
  ASSERT_EQ(scaledRoots.GetNumberOfPoints(), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(scaledRoots.GetPoints()[i], expected[i], 1e-10);

  XelMathTrigonometricX none(1, 0, 3, 1, Tol());
  EXPECT_EQ(none.Solve(XelMathInterval(0, 10), roots), 0);
  EXPECT_EQ(roots.GetNumberOfPoints(), 0);
  XelMathTrigonometricX null(0, 0, 0, 1, Tol());
  EXPECT_EQ(null.Solve(XelMathInterval(0, 1), roots), 1);
  EXPECT_EQ(f.Solve(XelMathInterval(1, 0), roots), 4);
  XelMathSetOfPointsND wrong(2);
  EXPECT_EQ(CodeOf([&] { f.Solve(XelMathInterval(0, 1), wrong); }), 0x20006);
  XelMathAttrScaleOption bad(2, nullptr, 1, nullptr, 0, nullptr);
  XelMathAttrList badList(&tolAttr);
  badList.AddAttribute(&bad);
  EXPECT_EQ(CodeOf([&] { f.Solve(XelMathInterval(0, 1), roots, &badList); }), 0x20006);
}

// ==== arc tangent of a cosine ====================================================================
TEST(ArctanCosX, ExactDerivativesMatchDifferences) {
  const double A = 1.3, B = 2.0, w = 1.7, phi = 0.4, C = 0.2;
  XelMathArctanCosX f(A, B, w, phi, C);
  const Reference ref = [=](LD x) { return A * std::atan(B * std::cos(w * x + phi)) + C; };
  // Singular where B cos(theta) = +-i: |Im theta| = asinh(1 / B) ~ 0.48, so rho = 0.25 / w
  // keeps a margin; |atan| stays below 2 on that disc.
  ExpectDerivatives(f, ref, Points(-4, 4, 29), A * 2 + C, 0.25 / w, "arctan-cos");
  ExpectMultiOutputMatches(f, Points(-4, 4, 11));
  const double p[5] = {A, B, w, phi, C};
  XelMathArctanCosX g(p);
  EXPECT_EQ(g.Eval(0.7), f.Eval(0.7));
  double q[5];
  g.GetParameters(q);
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(q[i], p[i]);
}

TEST(ArctanCosX, AnswersAndIntervalImages) {
  XelMathArctanCosX f(-1.3, 2.0, -1.7, 0.4, 0.2);
  EXPECT_TRUE(f.IsOption(118));
  EXPECT_FALSE(f.IsOption(1));
  EXPECT_FALSE(f.IsOption(8));
  EXPECT_TRUE(f.IsATypeOf(31));
  EXPECT_FALSE(f.IsATypeOf(30));
  unsigned char flag = 0;
  EXPECT_EQ(f._IsStreamable(1012, flag), 1);
  EXPECT_EQ(flag, 1);
  for (const XelMathInterval& I : RandomIntervals(17, -20, 20, 6, 60))
    ExpectEnclosure(f, I, PointSamples(f));
  XelMathArctanCosX narrowB(0.5, -0.3, 3.0, -1.0, 0.0);
  for (const XelMathInterval& I : RandomIntervals(18, -5, 5, 3, 30))
    ExpectEnclosure(narrowB, I, PointSamples(narrowB));
}

// ==== hyperbolic =================================================================================
TEST(HyperbolicX, DerivativesMatchDifferencesOfTheExponentialForm) {
  const double a = 0.7, b = -1.2, c = 0.5, w = 1.3;
  XelMathHyperbolicX f(a, b, c, w);
  const Reference ref = [=](LD x) {
    const LD e = std::exp(w * x), ie = 1 / e;
    return a * (e + ie) / 2 + b * (e - ie) / 2 + c;
  };
  const double M = (std::fabs(a) + std::fabs(b)) * std::cosh(w * 2 + 1) + std::fabs(c);
  ExpectDerivatives(f, ref, Points(-2, 2, 17), M, 1 / w, "hyperbolic", 2);
  ExpectMultiOutputMatches(f, Points(-2, 2, 9));
  // The third derivative is the centred difference of the exact second one with step h3:
  // its error is about h3^2 / 6 f^(5).
  const double thirdAllowance =
      kSafety * (XelMathh3 * XelMathh3 / 6 * M * std::pow(w, 5) + kEps * M * w * w / XelMathh3);
  for (double x : Points(-2, 2, 9))
    EXPECT_NEAR(f.EvalThirdDeriv(x), double(Difference(ref, x, 3)),
                thirdAllowance + Allowance(3, M, 1 / w));
  EXPECT_TRUE(f.IsOption(2 | 4 | 16 | 32 | 64));
  EXPECT_FALSE(f.IsOption(8));
  EXPECT_TRUE(f.IsATypeOf(40));
}

TEST(HyperbolicX, DerivIntegralAndIntervalImages) {
  const double a = 0.7, b = -1.2, c = 0.5, w = -1.3;
  XelMathHyperbolicX f(a, b, c, w);
  const XelMathHyperbolicX d = f.Deriv();
  EXPECT_EQ(d.GetCoshCoefficient(), b * w);
  EXPECT_EQ(d.GetSinhCoefficient(), a * w);
  EXPECT_EQ(d.GetConstant(), 0.0);
  std::unique_ptr<XelMathFunctionX> created(f.CreateDeriv());
  for (double x : Points(-2, 2, 7))
    EXPECT_NEAR(created->Eval(x), f.EvalFirstDeriv(x), 16 * kEps * 8);
  // True third derivative samples from the derivative chain (closed form).
  const XelMathHyperbolicX d3 = d.Deriv().Deriv();
  auto samples = [&](double x, int k) { return k == 3 ? d3.Eval(x) : Deriv(f, x, k); };
  for (const XelMathInterval& I : RandomIntervals(23, -3, 3, 4, 50))
    ExpectEnclosure(f, I, samples);
  auto F = [=](double x) { return (a * std::sinh(w * x) + b * std::cosh(w * x)) / w + c * x; };
  for (const XelMathInterval& I : RandomIntervals(6, -2, 2, 3, 10))
    EXPECT_NEAR(f.IntegrateAbsOrRel(I, 1e-10, 0), F(I.high) - F(I.low), 64 * kEps * 10);
  EXPECT_NEAR(XelMathHyperbolicX(1, 2, 3, 0).IntegrateAbsOrRel(XelMathInterval(0, 2), 0, 0), 8,
              8 * kEps);
}

// ==== fraction ===================================================================================
TEST(FractionX, DerivativesFollowTheQuotientRule) {
  std::unique_ptr<XelMathPolynomX> n(Poly({1, 2, -1})), d(Poly({0.5, 0, 1}));
  XelMathFractionX f(n.get(), d.get(), Tol());
  const Reference ref = [](LD x) { return (1 + 2 * x - x * x) / (x * x + 0.5); };
  // Poles at +-0.707i: on discs of radius 0.5 around real points |f| < 8.
  ExpectDerivatives(f, ref, Points(-2, 2, 19), 8, 0.5, "fraction of polynomials");
  ExpectMultiOutputMatches(f, Points(-2, 2, 9));

  XelMathTrigonometricX t(1.0, 0.5, 0.2, 1.5, Tol());
  XelMathHyperbolicX h(1, 0, 2, 0.8); // cosh(0.8 x) + 2 > 0
  XelMathFractionX g(&t, &h, Tol());
  const Reference ref2 = [](LD x) {
    return (std::cos(1.5 * x) + 0.5 * std::sin(1.5 * x) + 0.2) / (std::cosh(0.8 * x) + 2);
  };
  // The hyperbolic denominator's third derivative is a finite difference (error ~1e-6).
  ExpectDerivatives(g, ref2, Points(-3, 3, 13), 1, 1 / 1.5, "fraction of waves", 2);
  for (double x : Points(-3, 3, 7))
    EXPECT_NEAR(g.EvalThirdDeriv(x), double(Difference(ref2, x, 3)), 1e-5);
  EXPECT_TRUE(g.IsOption(48));
  EXPECT_FALSE(g.IsOption(8));
}

TEST(FractionX, AnswersComponentsAndNullParts) {
  std::unique_ptr<XelMathPolynomX> n(Poly({1, 1})), d(Poly({2, 0, 1}));
  XelMathFractionX f(n.get(), d.get(), Tol());
  EXPECT_TRUE(f.IsATypeOf(20));
  EXPECT_FALSE(f.IsATypeOf(10));
  EXPECT_EQ(f.IsOption(48), n->IsOption(48));
  EXPECT_EQ(f.IsOption(1), n->IsOption(1)); // polynomials do not declare bit 1
  const XelMathFunctionGeneral* parts[2] = {nullptr, nullptr};
  EXPECT_EQ(f.GetDirectComponents(2, parts), 2);
  EXPECT_EQ(parts[0], n.get());
  EXPECT_EQ(parts[1], d.get());
  EXPECT_EQ(f.GetNumerator(), n.get());
  EXPECT_EQ(f.GetDenominator(), d.get());
  EXPECT_EQ(f.GetTolerance(), &Tol());

  XelMathFractionX noDen(n.get(), nullptr, Tol());
  XelMathFractionX noNum(nullptr, d.get(), Tol());
  for (const XelMathFractionX* g : {&noDen, &noNum}) {
    EXPECT_EQ(g->Eval(1.0), XelMathInfinite);
    EXPECT_EQ(g->EvalFirstDeriv(1.0), XelMathInfinite);
    EXPECT_EQ(g->EvalSecondDeriv(1.0), XelMathInfinite);
    EXPECT_EQ(g->Eval(XelMathInterval(0, 1)), XelMathInterval(0, 0));
    EXPECT_EQ(g->EvalFirstDeriv(XelMathInterval(0, 1)), XelMathInterval(0, 0));
    EXPECT_FALSE(g->IsOption(0));
  }
  XelMathSetOfPointsND roots(1);
  EXPECT_EQ(noNum.Solve(XelMathInterval(0, 1), roots), 1);
  EXPECT_EQ(roots.GetNumberOfPoints(), 0);
}

TEST(FractionX, NullDenominatorAtAPointRaises) {
  std::unique_ptr<XelMathPolynomX> one(Poly({1})), x(Poly({0, 1}));
  XelMathFractionX f(one.get(), x.get(), Tol());
  for (int k = 0; k <= 3; ++k) {
    try {
      Deriv(f, 0.0, k);
      ADD_FAILURE() << "no error at order " << k;
    } catch (const XelMathInputError& e) {
      EXPECT_EQ(e.GetCode(), 0x20005);
      ASSERT_EQ(e.GetNumberOfParameters(), 2);
      EXPECT_STREQ(e.GetParameter(0), "XelMathFractionX::Eval");
      EXPECT_STREQ(e.GetParameter(1), "with a null denominator");
    }
  }
  double v = 0;
  EXPECT_EQ(CodeOf([&] { f.Eval(0.0, 1, &v, nullptr, nullptr); }), 0x20005);
  EXPECT_EQ(f.Eval(2.0), 0.5);
}

TEST(FractionX, ImageIsInfiniteWhereTheDenominatorMayVanish) {
  std::unique_ptr<XelMathPolynomX> one(Poly({1})), x(Poly({0, 1}));
  XelMathFractionX f(one.get(), x.get(), Tol());
  const XelMathInterval across = f.Eval(XelMathInterval(-1, 1));
  EXPECT_EQ(across.low, -XelMathInfinite);
  EXPECT_EQ(across.high, XelMathInfinite);
  const XelMathInterval away = f.Eval(XelMathInterval(1, 2));
  EXPECT_NEAR(away.low, 0.5, 4 * kEps);
  EXPECT_NEAR(away.high, 1.0, 4 * kEps);
  for (int k = 1; k <= 3; ++k) {
    const XelMathInterval dk = DerivImage(f, XelMathInterval(-0.5, 0.25), k);
    EXPECT_EQ(dk.low, -XelMathInfinite) << k;
    EXPECT_EQ(dk.high, XelMathInfinite) << k;
  }
  // A pole at an end of the interval, and a double pole where the denominator keeps its sign.
  EXPECT_EQ(f.Eval(XelMathInterval(0, 1)).high, XelMathInfinite);
  std::unique_ptr<XelMathPolynomX> sq(Poly({0.25, -1, 1})); // (x - 0.5)^2
  XelMathFractionX g(one.get(), sq.get(), Tol());
  EXPECT_EQ(g.Eval(XelMathInterval(0, 1)).high, XelMathInfinite);
  EXPECT_EQ(g.ComputeOptimalImage(XelMathInterval(0.25, 0.75), Tol()).high, XelMathInfinite);
}

TEST(FractionX, RefinedDenominatorGivesFiniteEnclosures) {
  // x^2 - x + 0.26 > 0 (minimum 0.01 at 0.5), but its interval image over [0, 1] in the
  // monomial basis holds 0: the bisection of the denominator must see that it does not vanish.
  std::unique_ptr<XelMathPolynomX> n(Poly({1, -3, 0, 1})), d(Poly({0.26, -1, 1}));
  XelMathFractionX f(n.get(), d.get(), Tol());
  const XelMathInterval I(0, 1);
  XelMathInterval image;
  f.EvalDenom(I, 16, &image, nullptr, nullptr);
  EXPECT_GT(image.low, 0.0);
  EXPECT_LE(image.low, 0.01);
  XelMathInterval refined;
  EXPECT_EQ(f.REvalDenom(I, refined), 1);
  EXPECT_GT(refined.low, 0.0);
  EXPECT_LT(f.Eval(I).high, XelMathInfinite);
  ExpectEnclosure(f, I, PointSamples(f));
  std::unique_ptr<XelMathPolynomX> x(Poly({0, 1}));
  XelMathFractionX pole(n.get(), x.get(), Tol());
  EXPECT_EQ(pole.REvalDenom(XelMathInterval(-1, 1), refined), 0);
}

TEST(FractionX, IntervalImagesEncloseSamplesOnRandomIntervals) {
  std::unique_ptr<XelMathPolynomX> n(Poly({1, 2, -1})), d(Poly({-0.5, 0, 1})); // poles +-0.707
  XelMathFractionX f(n.get(), d.get(), Tol());
  const double pole = std::sqrt(0.5);
  int infinite = 0;
  for (const XelMathInterval& I : RandomIntervals(29, -3, 3, 2, 150)) {
    const bool holdsPole = (I.low <= pole && pole <= I.high) || (I.low <= -pole && -pole <= I.high);
    if (holdsPole) {
      // Not a wrong finite image: the infinite interval.
      for (int k = 0; k <= 3; ++k) {
        const XelMathInterval J = DerivImage(f, I, k);
        EXPECT_TRUE(J.low == -XelMathInfinite && J.high == XelMathInfinite) << k;
      }
      ++infinite;
      continue;
    }
    ExpectEnclosure(f, I, PointSamples(f));
  }
  EXPECT_GT(infinite, 0);
}

TEST(FractionX, SolveForwardsToTheNumerator) {
  XelMathTrigonometricX t(1, 0, -0.5, 2, Tol());
  std::unique_ptr<XelMathPolynomX> d(Poly({1, 0, 1}));
  XelMathFractionX f(&t, d.get(), Tol());
  XelMathSetOfPointsND roots(1);
  EXPECT_EQ(f.Solve(XelMathInterval(0, 3), roots), 0);
  ASSERT_EQ(roots.GetNumberOfPoints(), 2);
  EXPECT_NEAR(roots.GetPoints()[0], XelPI / 6, 1e-12);
  EXPECT_NEAR(roots.GetPoints()[1], 5 * XelPI / 6, 1e-12);
}

// ==== periodic ===================================================================================
TEST(PeriodicX, FoldsIntoThePeriod) {
  std::unique_ptr<XelMathPolynomX> g(Poly({0.3, 1, -2, 0.5}));
  XelMathPeriodicX f(g.get(), 1.0, 0.0);
  EXPECT_EQ(f.Eval(2.5), g->Eval(0.5));
  EXPECT_EQ(f.Eval(1.0), g->Eval(1.0));
  EXPECT_EQ(f.Eval(0.0), g->Eval(0.0));
  EXPECT_EQ(f.Eval(-1.0), g->Eval(0.0));
  EXPECT_EQ(f.Eval(-0.25), g->Eval(0.75));
  EXPECT_EQ(f.Fold(3.0), 1.0);  // above the start: into (a, a + T]
  EXPECT_EQ(f.Fold(-3.0), 0.0); // below the start: into [a, a + T)
  // Far away: bounded work and a result in the period.
  for (double x : {1e9 + 0.25, -1e12 - 0.5, 1e300}) {
    const double r = f.Fold(x);
    EXPECT_GE(r, 0.0) << x;
    EXPECT_LE(r, 1.0) << x;
  }
  EXPECT_NEAR(f.Fold(1e9 + 0.25), 0.25, 1e9 * kEps);
  EXPECT_TRUE(std::isnan(f.Fold(std::nan(""))));
  EXPECT_EQ(f.Fold(std::numeric_limits<double>::infinity()),
            std::numeric_limits<double>::infinity());
  XelMathPeriodicX bad(g.get(), -1.0, 0.0);
  EXPECT_EQ(bad.Fold(5.0), 5.0);
  XelMathPeriodicX null(nullptr, 1.0, 0.0);
  EXPECT_EQ(null.Eval(0.5), XelMathInfinite);
  EXPECT_EQ(null.Eval(XelMathInterval(0, 1)), XelMathInterval(0, 0));
  EXPECT_FALSE(null.IsOption(0));
}

TEST(PeriodicX, DerivativesAnswersAndImagesAcrossTheFold) {
  std::unique_ptr<XelMathPolynomX> g(Poly({0.3, 1, -2, 0.5}));
  const double T = 1.5, a = -0.2;
  XelMathPeriodicX f(g.get(), T, a);
  const Reference ref = [=](LD x) {
    LD r = a + std::fmod(x - a, (LD)T);
    if (r < a)
      r += T;
    return 0.3 + r * (1 + r * (-2 + 0.5 * r));
  };
  // Points away from the folds a + k T.
  std::vector<double> points;
  for (double x : Points(-5, 5, 31)) {
    const double phase = std::fmod(std::fabs(x - a), T);
    if (phase > 0.05 && phase < T - 0.05)
      points.push_back(x);
  }
  ExpectDerivatives(f, ref, points, 6, 1, "periodic");
  ExpectMultiOutputMatches(f, points);
  EXPECT_EQ(f.IsOption(48), g->IsOption(48));
  EXPECT_EQ(f.IsOption(1), g->IsOption(1));
  EXPECT_TRUE(f.IsATypeOf(96));
  const XelMathFunctionGeneral* part = nullptr;
  EXPECT_EQ(f.GetDirectComponents(1, &part), 1);
  EXPECT_EQ(part, g.get());
  for (const XelMathInterval& I : RandomIntervals(31, -6, 6, 4, 120))
    ExpectEnclosure(f, I, PointSamples(f));
  // Crossing the fold at a + T, and touching it.
  ExpectEnclosure(f, XelMathInterval(a + T - 0.1, a + T + 0.2), PointSamples(f));
  ExpectEnclosure(f, XelMathInterval(a - 0.3, a), PointSamples(f));
  std::unique_ptr<XelMathFunctionX> d(f.CreateDeriv());
  ASSERT_TRUE(d);
  for (double x : points)
    EXPECT_NEAR(d->Eval(x), f.EvalFirstDeriv(x), 16 * kEps * 8);
}

// ==== piecewise ==================================================================================
TEST(PiecewiseX, LocatesPiecesAndLocalParameters) {
  std::unique_ptr<XelMathPolynomX> g0(Poly({0, 1})), g1(Poly({5, 2}));
  const double b[3] = {0, 1, 2};
  const XelMathFunctionX* g[2] = {g0.get(), g1.get()};
  XelMathPiecewiseX f(2, b, g);
  const double xs[5] = {1.0, 1.5, -1.0, 3.0, 0.0};
  const long pieces[5] = {0, 1, 0, 1, 0};
  const double locals[5] = {1.0, 0.5, -1.0, 2.0, 0.0};
  const int saved = _PieceWiseX_Dev;
  for (int mode = 0; mode < 2; ++mode) {
    _PieceWiseX_Dev = mode; // binary search, then sequential search from the cached piece
    for (int k = 0; k < 5; ++k) {
      long i = -1;
      double t = 0;
      f.GlobalToLocal(xs[k], i, t);
      EXPECT_EQ(i, pieces[k]) << xs[k] << " mode " << mode;
      EXPECT_EQ(t, locals[k]) << xs[k] << " mode " << mode;
    }
  }
  _PieceWiseX_Dev = saved;
  EXPECT_EQ(f.Eval(1.0), 1.0);
  EXPECT_EQ(f.Eval(1.5), 6.0);
  EXPECT_EQ(f.Eval(-1.0), -1.0);
  long i = -1;
  double t = 0;
  f.GlobalToLocal(std::nan(""), i, t); // no hang, some piece
  EXPECT_TRUE(i == 0 || i == 1);
  const XelMathFunctionX* h = nullptr;
  XelMathInterval dom;
  f.GetFunction(1, h, dom);
  EXPECT_EQ(h, g1.get());
  EXPECT_EQ(dom, XelMathInterval(1, 2));
  EXPECT_EQ(CodeOf([&] { f.GetFunction(2, h, dom); }), 0x20007);
  EXPECT_EQ(CodeOf([&] { f.GetFunction(-1, h, dom); }), 0x20007);
  EXPECT_EQ(CodeOf([&] { XelMathPiecewiseX bad(2, nullptr, g); }), 0x20006);
  EXPECT_EQ(f.GetNumberOfPieces(), 2);
  const XelMathFunctionGeneral* parts[2];
  EXPECT_EQ(f.GetDirectComponents(2, parts), 2);
  EXPECT_EQ(parts[1], g1.get());
  EXPECT_TRUE(f.IsATypeOf(60));
}

namespace {
// Three pieces on [0, 1], [1, 2.5], [2.5, 4] in local coordinates: a cubic, a wave and a
// quadratic, with a jump at 2.5.
struct ThreePieces {
  ThreePieces()
      : p0(Poly({1, -1, 0.5, 0.25})), wave(0.8, 0.3, 1.0, 2.0, Tol()), p2(Poly({-1, 0.5, -0.3})) {
    const XelMathFunctionX* g[3] = {p0.get(), &wave, p2.get()};
    f.reset(new XelMathPiecewiseX(3, borders, g));
  }
  static LD Ref(LD x) {
    if (x <= 1) {
      const LD t = x;
      return 1 - t + 0.5 * t * t + 0.25 * t * t * t;
    }
    if (x <= 2.5) {
      const LD t = x - 1;
      return 0.8 * std::cos(2 * t) + 0.3 * std::sin(2 * t) + 1.0;
    }
    const LD t = x - 2.5;
    return -1 + 0.5 * t - 0.3 * t * t;
  }
  double borders[4] = {0, 1, 2.5, 4};
  std::unique_ptr<XelMathPolynomX> p0;
  XelMathTrigonometricX wave;
  std::unique_ptr<XelMathPolynomX> p2;
  std::unique_ptr<XelMathPiecewiseX> f;
};
} // namespace

TEST(PiecewiseX, DerivativesMatchThePieces) {
  ThreePieces s;
  std::vector<double> points;
  for (double x : Points(-1, 5, 37))
    if (std::fabs(x - 1) > 0.02 && std::fabs(x - 2.5) > 0.02)
      points.push_back(x);
  ExpectDerivatives(*s.f, ThreePieces::Ref, points, 4, 0.5, "piecewise");
  ExpectMultiOutputMatches(*s.f, points);
}

TEST(PiecewiseX, IntervalImagesEncloseSamplesAcrossBordersAndUseTheirCaches) {
  ThreePieces s;
  for (int pass = 0; pass < 2; ++pass) // the second pass reads the cached whole pieces
    for (const XelMathInterval& I : RandomIntervals(37, -1.5, 5.5, 6, 120))
      ExpectEnclosure(*s.f, I, PointSamples(*s.f));
  const XelMathInterval across(0.5, 3.0);
  const XelMathInterval first = s.f->Eval(across);
  EXPECT_EQ(s.f->Eval(across), first);
  // Images over the union of the pieces' images: the wave piece covers [1 - A, 1 + A].
  const double A = std::hypot(0.8, 0.3);
  EXPECT_LE(first.low, 1 - A + 1e-12);
  EXPECT_GE(first.high, 1 + A - 1e-12);
  // On a border: the value there belongs to the left piece.
  ExpectEnclosure(*s.f, XelMathInterval(1.0, 1.0), PointSamples(*s.f));
  ExpectEnclosure(*s.f, XelMathInterval(2.5, 2.7), PointSamples(*s.f));
}

TEST(PiecewiseX, OptionAnswersAreCachedAndFollowChanges) {
  ThreePieces s;
  XelMathPiecewiseX& f = *s.f;
  EXPECT_TRUE(f.IsOption(48));
  EXPECT_TRUE(f.IsOption(16)); // bits already known true
  EXPECT_FALSE(f.IsOption(8)); // the wave does not declare bit 8
  EXPECT_FALSE(f.IsOption(8));
  EXPECT_TRUE(f.IsOption(0));
  // A first piece without interval images: the answers change.
  Probe probe;
  f.ChangeFirstFunction(-0.5, &probe);
  EXPECT_FALSE(f.IsOption(48));
  EXPECT_EQ(f.GetBorder(0), -0.5);
  EXPECT_EQ(f.Eval(-0.5), 2.0); // probe at local 0
  EXPECT_EQ(f.Eval(0.5), 3.0);
  XelMathPiecewiseX empty(0, nullptr, nullptr);
  EXPECT_TRUE(empty.IsOption(48));
  EXPECT_EQ(empty.Eval(1.0), XelMathInfinite);
  EXPECT_EQ(empty.Eval(XelMathInterval(0, 1)), XelMathInterval(0, 0));
}

TEST(PiecewiseX, ChangesOfBordersExtrapolationAndCopies) {
  ThreePieces s;
  XelMathPiecewiseX& f = *s.f;
  const XelMathInterval all(-1, 6);
  (void)f.Eval(all);
  f.ChangeLastBorder(5.0);
  EXPECT_EQ(f.GetBorder(3), 5.0);
  ExpectEnclosure(f, XelMathInterval(0.2, 4.9), PointSamples(f));

  // One piece before and two after, then removed again.
  std::unique_ptr<XelMathPolynomX> before(Poly({7, 1})), after1(Poly({3})), after2(Poly({4, -1}));
  const double bb[1] = {-2};
  const double ba[2] = {6, 7};
  const XelMathFunctionX* fb[1] = {before.get()};
  const XelMathFunctionX* fa[2] = {after1.get(), after2.get()};
  const double mid = f.Eval(2.0);
  f.Extrapol(1, bb, fb, 2, ba, fa);
  EXPECT_EQ(f.GetNumberOfPieces(), 6);
  EXPECT_EQ(f.GetBorder(0), -2.0);
  EXPECT_EQ(f.GetBorder(1), 0.0);
  EXPECT_EQ(f.GetBorder(6), 7.0);
  EXPECT_EQ(f.Eval(-1.0), 8.0); // 7 + (x + 2)
  EXPECT_EQ(f.Eval(5.5), 3.0);
  EXPECT_EQ(f.Eval(6.5), 3.5);
  EXPECT_EQ(f.Eval(2.0), mid);
  ExpectEnclosure(f, XelMathInterval(-3, 8), PointSamples(f));
  const double badBefore[1] = {1.0};
  EXPECT_EQ(CodeOf([&] { f.Extrapol(1, badBefore, fb, 0, nullptr, nullptr); }), 0x2000b);
  EXPECT_EQ(CodeOf([&] { f.Extrapol(1, nullptr, fb, 0, nullptr, nullptr); }), 0x20006);
  f.Unextrapol(1, 2);
  EXPECT_EQ(f.GetNumberOfPieces(), 3);
  EXPECT_EQ(f.GetBorder(0), 0.0);
  EXPECT_EQ(f.GetBorder(3), 5.0);
  EXPECT_EQ(f.Eval(2.0), mid);
  EXPECT_EQ(f.Eval(-1.0), double(ThreePieces::Ref(-1.0)));

  XelMathPiecewiseX copy(f);
  XelMathPiecewiseX assigned(0, nullptr, nullptr);
  assigned = f;
  for (double x : Points(-1, 6, 11)) {
    EXPECT_EQ(copy.Eval(x), f.Eval(x));
    EXPECT_EQ(assigned.Eval(x), f.Eval(x));
  }
  EXPECT_EQ(copy.Eval(all), f.Eval(all));
}

TEST(PiecewiseX, DerivativeCombinationAndIntegral) {
  std::unique_ptr<XelMathPolynomX> a0(Poly({1, 2, 3})), a1(Poly({0, -1, 0, 1}));
  std::unique_ptr<XelMathPolynomX> b0(Poly({2, 0, -1})), b1(Poly({1, 1}));
  const double borders[3] = {-1, 0.5, 2};
  const XelMathFunctionX* ga[2] = {a0.get(), a1.get()};
  const XelMathFunctionX* gb[2] = {b0.get(), b1.get()};
  XelMathPiecewiseX fa(2, borders, ga), fb(2, borders, gb);
  const XelMathFunctionX* both[2] = {&fa, &fb};
  const double c[2] = {2.0, -3.0};
  std::unique_ptr<XelMathFunctionX> comb(fa.FormalCombination(2, both, c, 0.5));
  ASSERT_TRUE(comb);
  EXPECT_TRUE(comb->IsATypeOf(60));
  for (double x : Points(-2, 3, 17))
    EXPECT_NEAR(comb->Eval(x), 2 * fa.Eval(x) - 3 * fb.Eval(x) + 0.5, 64 * kEps * 20);
  const double otherBorders[3] = {-1, 0.6, 2};
  XelMathPiecewiseX shifted(2, otherBorders, gb);
  const XelMathFunctionX* mismatch[2] = {&fa, &shifted};
  EXPECT_EQ(fa.FormalCombination(2, mismatch, c, 0.0), nullptr);

  std::unique_ptr<XelMathFunctionX> d(fa.CreateDeriv());
  ASSERT_TRUE(d);
  for (double x : Points(-2, 3, 17))
    EXPECT_NEAR(d->Eval(x), fa.EvalFirstDeriv(x), 64 * kEps * 20);

  // Exact integral: piece 0 is 1 + 2t + 3t^2 on t = x + 1, piece 1 is t^3 - t on t = x - 0.5.
  auto P0 = [](double t) { return t + t * t + t * t * t; };
  auto P1 = [](double t) { return t * t * t * t / 4 - t * t / 2; };
  const double expected = (P0(1.5) - P0(0.5)) + (P1(1.0) - P1(0.0));
  EXPECT_NEAR(fa.IntegrateAbsOrRel(XelMathInterval(-0.5, 1.5), 1e-12, 0), expected, 64 * kEps);
  EXPECT_NEAR(fa.IntegrateAbsOrRel(XelMathInterval(1.5, -0.5), 1e-12, 0), -expected, 64 * kEps);
}

TEST(PiecewiseX, CombinationIsNullUnlessEveryPieceHasAClosedForm) {
  // Piece 1 of the operands: two polynomials (closed form) or a polynomial with an arc tangent
  // of a cosine, or two of those (none): a result would have to point into the operands.
  std::unique_ptr<XelMathPolynomX> p0(Poly({1, 2})), p1(Poly({0, 1, 1})), q0(Poly({3})),
      q1(Poly({-1, 0, 2}));
  XelMathArctanCosX a1(1, 2, 3, 0.5, 0.1), b1(-0.5, 1.5, 2, 0, 0.2);
  const struct {
    const char* name;
    const XelMathFunctionX *f1, *g1;
    bool closed;
  } cases[] = {{"polynomials", p1.get(), q1.get(), true},
               {"polynomial and arc tangent", p1.get(), &b1, false},
               {"arc tangents", &a1, &b1, false}};
  const double borders[3] = {-1, 0.5, 2};
  const double c[2] = {2.0, -3.0};
  for (const auto& k : cases) {
    const XelMathFunctionX* ga[2] = {p0.get(), k.f1};
    const XelMathFunctionX* gb[2] = {q0.get(), k.g1};
    XelMathPiecewiseX fa(2, borders, ga), fb(2, borders, gb);
    const XelMathFunctionX* both[2] = {&fa, &fb};
    std::unique_ptr<XelMathFunctionX> comb(fa.FormalCombination(2, both, c, 0.5));
    EXPECT_EQ(comb != nullptr, k.closed) << k.name;
  }
}

TEST(PiecewiseX, BordersThatAreNaNOrDoNotIncreaseAreRefused) {
  const double nan = std::nan("");
  Probe g0, g1;
  const XelMathFunctionX* g[2] = {&g0, &g1};
  const double bad[4][3] = {{0, 0, 1}, {0, 2, 1}, {nan, 1, 2}, {0, 1, nan}};
  const long before = LiveBlocks();
  for (const auto& b : bad)
    xeltest::ExpectInputError([&] { XelMathPiecewiseX f(2, b, g); }, 0x2000b,
                              {"Invalid Domain", " ", "XelMathPiecewiseX::XelMathPiecewiseX"});
  EXPECT_EQ(LiveBlocks(), before);

  const double b[3] = {0, 1, 2};
  XelMathPiecewiseX f(2, b, g);
  const struct {
    const char* where;
    std::function<void()> call;
  } setters[] = {
      {"XelMathPiecewiseX::ChangeFirstFunction", [&] { f.ChangeFirstFunction(1, &g0); }},
      {"XelMathPiecewiseX::ChangeFirstFunction", [&] { f.ChangeFirstFunction(nan, &g0); }},
      {"XelMathPiecewiseX::ChangeLastBorder", [&] { f.ChangeLastBorder(1); }},
      {"XelMathPiecewiseX::ChangeLastBorder", [&] { f.ChangeLastBorder(nan); }}};
  for (const auto& s : setters)
    xeltest::ExpectInputError(s.call, 0x2000b, {"Invalid Domain", " ", s.where});
  for (long k = 0; k < 3; ++k)
    EXPECT_EQ(f.GetBorder(k), b[k]); // refused changes leave the partition alone
}

// ==== ownership ==================================================================================
TEST(ElementaryOwnership, DelVariantsDeleteExactlyTheirComponents) {
  ASSERT_EQ(Probe::Alive, 0);
  {
    Probe n, d(0.5);
    { XelMathFractionX f(&n, &d, Tol()); }
    { XelMathPeriodicX f(&n, 1, 0); }
    const double b[3] = {0, 1, 2};
    const XelMathFunctionX* g[2] = {&n, &d};
    { XelMathPiecewiseX f(2, b, g); }
    EXPECT_EQ(Probe::Alive, 2); // the plain variants leave their components alone
  }
  EXPECT_EQ(Probe::Alive, 0);
  delete new XelMathFractionXDel(new Probe, new Probe, Tol());
  EXPECT_EQ(Probe::Alive, 0);
  delete new XelMathPeriodicXDel(new Probe, 1, 0);
  EXPECT_EQ(Probe::Alive, 0);
  {
    const double b[4] = {0, 1, 2, 3};
    XelMathFunctionX* g[3] = {new Probe, new Probe, new Probe};
    XelMathPiecewiseXDel f(3, b, g);
    EXPECT_EQ(Probe::Alive, 3);
    // Owned pieces replaced or removed are deleted; added ones become owned.
    f.ChangeFirstFunction(-1, new Probe(2));
    EXPECT_EQ(Probe::Alive, 3);
    const double ba[1] = {4};
    const XelMathFunctionX* fa[1] = {new Probe};
    f.Extrapol(0, nullptr, nullptr, 1, ba, fa);
    EXPECT_EQ(Probe::Alive, 4);
    f.Unextrapol(1, 0);
    EXPECT_EQ(Probe::Alive, 3);
    std::unique_ptr<XelMathFunctionX> dup(f.Duplicate()); // shares the pieces
    EXPECT_EQ(Probe::Alive, 3);
  }
  EXPECT_EQ(Probe::Alive, 0);
}

TEST(ElementaryOwnership, DeepDuplicatesOwnCopiesAndLeaveNothingBehind) {
  const long before = LiveBlocks();
  {
    XelMathTrigonometricX t(1, 2, 0.5, 3, Tol());
    std::unique_ptr<XelMathPolynomX> d(Poly({2, 0, 1}));
    XelMathFractionX frac(&t, d.get(), Tol());
    XelMathPeriodicX per(&frac, 2.0, -1.0);
    XelMathHyperbolicX h(1, 0, 0, 1);
    XelMathArctanCosX ac(1, 2, 3, 4, 5);
    const double b[4] = {0, 1, 2, 3};
    const XelMathFunctionX* g[3] = {&per, &h, &ac};
    XelMathPiecewiseX f(3, b, g);
    std::unique_ptr<XelMathFunctionX> deep(f.DeepDuplicate());
    EXPECT_STREQ(deep->IsA(), "XelMathPiecewiseXDel");
    EXPECT_TRUE(deep->IsAKindOf("XelMathPiecewiseX"));
    const XelMathFunctionGeneral* parts[3];
    ASSERT_EQ(deep->GetDirectComponents(3, parts), 3);
    EXPECT_NE(parts[0], &per);
    EXPECT_STREQ(parts[0]->IsA(), "XelMathPeriodicXDel");
    const XelMathFunctionGeneral* inner[1];
    static_cast<const XelMathFunctionX*>(parts[0])->GetDirectComponents(1, inner);
    EXPECT_STREQ(inner[0]->IsA(), "XelMathFractionXDel");
    for (double x : Points(-1, 4, 13))
      EXPECT_EQ(deep->Eval(x), f.Eval(x));
    std::unique_ptr<XelMathFunctionX> leaf(t.DeepDuplicate());
    EXPECT_STREQ(leaf->IsA(), "XelMathTrigonometricX");
  }
  EXPECT_EQ(LiveBlocks(), before);
}

// ==== cubic interpolation ========================================================================
TEST(CubicInterpolation, ReproducesTheDataWithContinuousSlopes) {
  for (long n : {3L, 8L, 25L}) { // 25: beyond the local work arrays
    std::vector<double> x(n), y(n);
    for (long i = 0; i < n; ++i) {
      x[i] = i + 0.3 * std::sin(double(i));
      y[i] = std::cos(0.7 * x[i]) + 0.1 * x[i];
    }
    const long before = LiveBlocks();
    {
      std::unique_ptr<XelMathFunctionX> f(
          XelMathFunctionX::CreateCubicInterpolation(n, x.data(), y.data(), Tol()));
      ASSERT_TRUE(f);
      EXPECT_STREQ(f->IsA(), "XelMathPiecewiseXDel");
      for (long i = 0; i < n; ++i)
        EXPECT_NEAR(f->Eval(x[i]), y[i], 16 * kEps * (1 + std::fabs(y[i]))) << n << " " << i;
      // The slope at an inner point is shared by both pieces.
      const XelMathPiecewiseX* p = static_cast<const XelMathPiecewiseX*>(f.get());
      for (long i = 1; i + 1 < n; ++i) {
        const XelMathFunctionX *left, *right;
        XelMathInterval dl, dr;
        p->GetFunction(i - 1, left, dl);
        p->GetFunction(i, right, dr);
        EXPECT_NEAR(left->EvalFirstDeriv(dl.high - dl.low), right->EvalFirstDeriv(0.0), 1e-12);
      }
    }
    EXPECT_EQ(LiveBlocks(), before);
  }
}

TEST(CubicInterpolation, MonotoneDataGivesAMonotoneInterpolant) {
  const double x[6] = {0, 1, 2, 3, 4, 5};
  const double y[6] = {0, 0.1, 0.2, 5, 5.1, 9};
  std::unique_ptr<XelMathFunctionX> f(XelMathFunctionX::CreateCubicInterpolation(6, x, y, Tol()));
  double previous = f->Eval(0.0);
  for (int s = 1; s <= 500; ++s) {
    const double v = f->Eval(5.0 * s / 500);
    EXPECT_GE(v, previous - 16 * kEps * 9);
    previous = v;
  }
}

TEST(CubicInterpolation, FewPointsAndBadInput) {
  const double x[3] = {1, 3, 2}, y[3] = {2, 6, 1};
  std::unique_ptr<XelMathFunctionX> one(XelMathFunctionX::CreateCubicInterpolation(1, x, y, Tol()));
  EXPECT_TRUE(one->IsATypeOf(11));
  EXPECT_EQ(one->Eval(10.0), 2.0);
  std::unique_ptr<XelMathFunctionX> two(XelMathFunctionX::CreateCubicInterpolation(2, x, y, Tol()));
  EXPECT_TRUE(two->IsATypeOf(11));
  EXPECT_NEAR(two->Eval(1.0), 2.0, 4 * kEps);
  EXPECT_NEAR(two->Eval(3.0), 6.0, 8 * kEps);
  const double nan[3] = {0, std::nan(""), 2};
  const double sorted[3] = {0, 1, 2};
  const double repeated[3] = {0, 1, 1};
  const long before = LiveBlocks();
  EXPECT_EQ(CodeOf([&] { XelMathFunctionX::CreateCubicInterpolation(3, x, y, Tol()); }), 0x2000e);
  EXPECT_EQ(CodeOf([&] { XelMathFunctionX::CreateCubicInterpolation(3, repeated, y, Tol()); }),
            0x2000e);
  EXPECT_EQ(CodeOf([&] { XelMathFunctionX::CreateCubicInterpolation(3, nan, y, Tol()); }), 0x2000e);
  EXPECT_EQ(CodeOf([&] { XelMathFunctionX::CreateCubicInterpolation(3, sorted, nan, Tol()); }),
            0x2000e);
  EXPECT_EQ(CodeOf([&] { XelMathFunctionX::CreateCubicInterpolation(0, x, y, Tol()); }), 0x2000e);
  EXPECT_EQ(CodeOf([&] { XelMathFunctionX::CreateCubicInterpolation(3, nullptr, y, Tol()); }),
            0x2000e);
  EXPECT_EQ(LiveBlocks(), before);
}

// ==== fixed-degree polynomials ===================================================================
TEST(LinearAndCubicX, ChangesOfVariableRewriteTheCoefficientsAtShiftZero) {
  // Each change turns P into P(u(x)); the function must then be sum c_k x^k with its own
  // coefficients (the form its records and GetScale / GetShift describe).
  const double a = -1.5, b = 0.75;
  const struct {
    const char* name;
    std::function<void(XelMathPolynomX&)> change;
    std::function<double(double)> u;
  } changes[] = {
      {"shift", [&](XelMathPolynomX& p) { p.ApplyShiftOnVariable(b); },
       [&](double x) { return x + b; }},
      {"linear change", [&](XelMathPolynomX& p) { p.ApplyLinearChangeOnVariable(a, b); },
       [&](double x) { return a * x + b; }},
      {"scaling then shift",
       [&](XelMathPolynomX& p) {
         p.ApplyScalingOnVariable(a);
         p.ApplyShiftOnVariable(b);
       },
       [&](double x) { return a * (x + b); }},
      {"set shift", [&](XelMathPolynomX& p) { p.SetShift(b); }, [&](double x) { return x - b; }},
      {"change shift", [&](XelMathPolynomX& p) { p.ChangeShift(b); }, [](double x) { return x; }}};
  const double cl[2] = {3.0, 2.0}, cc[4] = {1.0, -2.0, 0.5, 0.25};
  const auto P = [](const double* c, int d, double x) {
    double v = 0.0;
    for (int k = d; k >= 0; --k)
      v = v * x + c[k];
    return v;
  };
  for (const auto& change : changes) {
    XelMathLinearX line(cl);
    XelMathCubicX cubic(cc);
    const struct {
      XelMathPolynomX* p;
      const double* c;
      int d;
    } functions[] = {{&line, cl, 1}, {&cubic, cc, 3}};
    for (const auto& f : functions) {
      SCOPED_TRACE(std::string(change.name) + " " + f.p->IsA());
      change.change(*f.p);
      const auto ref = [&](double x) { return P(f.c, f.d, change.u(x)); };
      EXPECT_EQ(f.p->XelMathPolynomX::GetShift(), 0.0);
      double own[4];
      f.p->GetCoefficients(own);
      for (double x : Points(-2, 2, 9)) {
        const double tol = 64 * kEps * (1 + std::fabs(ref(x)) + std::pow(std::fabs(x), f.d));
        EXPECT_NEAR(f.p->Eval(x), ref(x), tol) << x;
        EXPECT_NEAR(P(own, f.d, x), ref(x), tol) << x;
      }
      // Simpson's rule is exact on cubics.
      const double lo = -0.5, hi = 1.25;
      const double simpson = (hi - lo) / 6 * (ref(lo) + 4 * ref(0.5 * (lo + hi)) + ref(hi));
      EXPECT_NEAR(f.p->Integrate(XelMathInterval(lo, hi), 1e-12), simpson, 64 * kEps * 10);
    }
    // The line's constant term and slope, read from its reference.
    const double at0 = P(cl, 1, change.u(0.0)), at1 = P(cl, 1, change.u(1.0));
    EXPECT_NEAR(line.GetShift(), at0, 64 * kEps * 10) << change.name;
    EXPECT_NEAR(line.GetScale(), at1 - at0, 64 * kEps * 10) << change.name;
  }
}
