// Elementary functions: what the randomized battery does not reach; cubic interpolation.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "XelMathArctanCosX.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathCombinationX.h"
#include "XelMathConstants.h"
#include "XelMathCubicX.h"
#include "XelMathFractionX.h"
#include "XelMathGlobals.h"
#include "XelMathHyperbolicX.h"
#include "XelMathLinearX.h"
#include "XelMathPeriodicX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

typedef long double LD;
typedef std::unique_ptr<XelMathPolynomX> PolyPtr;
// Rounding allowance of a closed form evaluated by another formula, relative to its size.
const double kSameFormula = 64 * kEps;

std::vector<double> Points(double lo, double hi, int n) {
  std::vector<double> p;
  for (int i = 0; i < n; ++i)
    p.push_back(lo + (hi - lo) * (i + 0.37) / n);
  return p;
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

TEST(TrigonometricX, ConstructorsNormaliseThePulsationAndAnswerOptions) {
  XelMathTrigonometricX f(1, 0, 0, -2, DefaultTol());
  EXPECT_EQ(f.GetPulsation(), 2.0);
  EXPECT_NEAR(f.Eval(0.3), std::cos(0.6), 4 * kEps);
  XelMathTrigonometricX zero(0, 0, 3, 1, DefaultTol());
  EXPECT_EQ(zero.GetAmplitude(), 0.0);
  EXPECT_EQ(zero.GetPhase(), 0.0);
  EXPECT_EQ(zero.Eval(1.7), 3.0);
  const double p[4] = {2.0, 0.5, -3.0, 1.0};
  XelMathTrigonometricX raw(p, DefaultTol());
  EXPECT_NEAR(raw.Eval(0.2), 2 * std::cos(-0.6 - 0.5) + 1, 4 * kEps * 3); // pulsation as given
  // The image is exact: over a whole period it is [C - A, C + A].
  XelMathTrigonometricX g(1.3, -0.9, 0.4, 2.5, DefaultTol());
  const XelMathInterval whole = g.Eval(XelMathInterval(0, 10));
  EXPECT_NEAR(whole.low, 0.4 - std::hypot(1.3, 0.9), 8 * kEps);
  EXPECT_NEAR(whole.high, 0.4 + std::hypot(1.3, 0.9), 8 * kEps);
}

TEST(TrigonometricX, CombinationsOfEqualPulsationsAreTrigonometric) {
  XelMathTrigonometricX f(1.3, -0.9, 0.4, 2.5, DefaultTol());
  XelMathTrigonometricX c(1, 0, 0, 1, DefaultTol()), s(0, 1, 0, 1, DefaultTol()), other(0, 1, 0, 2, DefaultTol());
  const XelMathFunctionX* mixed[2] = {&c, &other};
  const double ones[2] = {1.0, 1.0};
  EXPECT_EQ(c.FormalCombination(2, mixed, ones, 0.0), nullptr);
  const XelMathFunctionX* same[2] = {&c, &s};
  std::unique_ptr<XelMathFunctionX> sum(c.FormalCombination(2, same, ones, 0.0));
  ASSERT_TRUE(sum);
  const XelMathTrigonometricX* t = static_cast<const XelMathTrigonometricX*>(sum.get());
  EXPECT_NEAR(t->GetAmplitude(), std::sqrt(2.0), 4 * kEps);
  EXPECT_NEAR(t->GetPhase(), XelPI / 4, 4 * kEps);
  XelMathPolynomX p;
  const XelMathFunctionX* withPoly[2] = {&f, &p};
  EXPECT_EQ(f.FormalCombination(2, withPoly, ones, 0.0), nullptr);
}

// The images of a wave over intervals across extrema, wider than a period, far out (1e8), tiny
// and ending on extrema: each encloses the point values at dense samples, lies within rounding
// of the exact range (the ends' values, +-1 where a crest or trough of the shifted cosine is
// inside, for moderate phases) and, whatever the order in which the value and derivative images
// of neighbouring intervals are asked (the function keeps the end values of the last phase
// interval), equals the image of a fresh copy.
TEST(TrigonometricX, ImagesEncloseSamplesInAnyOrderOfRequests) {
  const double waves[][4] = {
      {1, 0, 0, 1}, {0.7, -0.3, 0.2, 3}, {-2, 1, -1, -0.5}, {1, 0, 0.5, 1e-3}};
  const XelMathInterval intervals[] = {
      {-0.1, kPi + 0.1}, {0.2, 0.3}, {-1, 1},      {1e8, 1e8 + 0.5}, {1e8, 1e8 + 1e-7},
      {2, 2 + 1e-12},    {-20, 20},  {0, kPi / 2}, {kPi / 2, kPi},   {1.5, 4.7}};
  // Requests over a pair of neighbouring intervals: (which, derivative order), order 4 being
  // the multi-output evaluation of orders 0 to 2.
  const int order[][2] = {{0, 0}, {1, 1}, {0, 1}, {1, 2}, {0, 2}, {1, 0}, {0, 3}, {1, 4}, {0, 4}};
  for (const auto& w : waves) {
    const XelMathTrigonometricX f(w[0], w[1], w[2], w[3], DefaultTol());
    const double p[4] = {f.GetAmplitude(), f.GetPhase(), f.GetPulsation(), f.GetConstant()};
    for (int i = 0; i < 10; ++i) {
      for (const auto& o : order) {
        const XelMathInterval I = intervals[(i + o[0]) % 10];
        SCOPED_TRACE(testing::Message() << "wave " << w[3] << " on [" << I.low << ", " << I.high
                                        << "], order " << o[1]);
        XelMathInterval got[3];
        if (o[1] == 4)
          f.Eval(I, 112, &got[0], &got[1], &got[2]);
        for (int k = o[1] == 4 ? 0 : o[1]; k <= (o[1] == 4 ? 2 : o[1]); ++k) {
          const XelMathInterval g = o[1] == 4 ? got[k] : DerivImage(f, k, I);
          EXPECT_EQ(g, DerivImage(XelMathTrigonometricX(p, DefaultTol()), k, I));
          // f^(k) = A w^k cos(w x - phi + k pi/2) (+ C for k = 0).
          const double scale = p[0] * std::pow(p[2], k), shift = k == 0 ? p[3] : 0.0;
          const double t1 = p[2] * I.low - p[1] + (k + 1) * kPi / 2;
          const double t2 = p[2] * I.high - p[1] + (k + 1) * kPi / 2;
          if (std::fabs(t2) < 1e3) {
            const XelMathInterval r = IScale(scale, ISin(t1, t2));
            EXPECT_NEAR(g.low, r.low + shift, 1e-12 * (1.0 + std::fabs(scale)));
            EXPECT_NEAR(g.high, r.high + shift, 1e-12 * (1.0 + std::fabs(scale)));
          }
          for (int s = 0; s <= 400; ++s) {
            const double x = s == 400 ? I.high : I.low + (I.high - I.low) * s / 400;
            const double v = DerivAt(f, k, x), slack = 64 * kEps * (1.0 + std::fabs(v));
            ASSERT_TRUE(v >= g.low - slack && v <= g.high + slack) << v << " at " << x;
          }
        }
      }
    }
  }
}

TEST(TrigonometricX, IntegralMatchesTheAntiderivative) {
  const double a = 1.3, b = -0.9, c = 0.4, w = 2.5;
  XelMathTrigonometricX f(a, b, c, w, DefaultTol());
  auto F = [=](double x) { return a / w * std::sin(w * x) - b / w * std::cos(w * x) + c * x; };
  for (const XelMathInterval& I : {XelMathInterval(-7.1, -2.3), XelMathInterval(0.2, 0.9),
                                   XelMathInterval(-1.0, 8.4), XelMathInterval(3.0, 3.0)})
    EXPECT_NEAR(f.IntegrateAbsOrRel(I, 1e-10, 0), F(I.high) - F(I.low), kSameFormula * 10);
  XelMathTrigonometricX flat(0.5, 0.5, 2.0, 0.0, DefaultTol());
  EXPECT_NEAR(flat.IntegrateAbsOrRel(XelMathInterval(1, 3), 1e-10, 0), 2 * (0.5 + 2.0), 16 * kEps);
}

TEST(TrigonometricX, SolveFindsEveryRootInIncreasingOrder) {
  // cos(2x) - 0.5 on [0, 2 pi]: x = pi/6, 5pi/6, 7pi/6, 11pi/6, in increasing order.
  XelMathTrigonometricX f(1, 0, -0.5, 2, DefaultTol());
  XelMathSetOfPointsND found(1);
  EXPECT_EQ(f.Solve(XelMathInterval(0, Xel2PI), found), 0);
  ASSERT_EQ(PointsOf(found).size(), 4u);
  for (int i = 0; i < 4; ++i)
    EXPECT_NEAR(PointsOf(found)[i], (i < 2 ? 1 + 4 * i : 7 + 4 * (i - 2)) * XelPI / 6, 1e-12);
  XelMathSetOfPointsND roots(1);
  EXPECT_EQ(XelMathTrigonometricX(1, 0, 3, 1, DefaultTol()).Solve(XelMathInterval(0, 10), roots), 0);
  EXPECT_EQ(roots.GetNumberOfPoints(), 0);
  EXPECT_EQ(XelMathTrigonometricX(0, 0, 0, 1, DefaultTol()).Solve(XelMathInterval(0, 1), roots), 1);
  EXPECT_EQ(f.Solve(XelMathInterval(1, 0), roots), 4);
  XelMathSetOfPointsND wrong(2);
  ExpectInputError([&] { f.Solve(XelMathInterval(0, 1), wrong); }, 0x20006);
  // A scale option of the wrong dimension under a scaled model is refused.
  XelTolerance scaled(10.0);
  XelMathAttrTolObject tolAttr(scaled);
  XelMathAttrScaleOption bad(2, nullptr, 1, nullptr, 0, nullptr);
  XelMathAttrList badList(&tolAttr);
  badList.AddAttribute(&bad);
  ExpectInputError([&] { f.Solve(XelMathInterval(0, 1), roots, &badList); }, 0x20006);
}

TEST(HyperbolicX, DerivativeIntegralThirdDerivativeAndAnswers) {
  const double a = 0.7, b = -1.2, c = 0.5, w = -1.3;
  XelMathHyperbolicX f(a, b, c, w);
  const XelMathHyperbolicX d = f.Deriv();
  EXPECT_EQ(d.GetCoshCoefficient(), b * w);
  EXPECT_EQ(d.GetSinhCoefficient(), a * w);
  std::unique_ptr<XelMathFunctionX> created(f.CreateDeriv());
  // The third derivative: a centred difference of step h3 (truncation and rounding bounds).
  const XelMathHyperbolicX d3 = d.Deriv().Deriv();
  for (double x : Points(-2, 2, 7)) {
    EXPECT_NEAR(created->Eval(x), d.Eval(x), kSameFormula * 8);
    const double M = (std::fabs(a) + std::fabs(b)) * std::cosh(w * x) * w * w; // |f''| bound
    EXPECT_NEAR(f.EvalThirdDeriv(x), d3.Eval(x),
                8 * (XelMathh3 * XelMathh3 / 6 * M * std::pow(std::fabs(w), 3) + kEps * M / XelMathh3));
  }
  auto F = [=](double x) { return (a * std::sinh(w * x) + b * std::cosh(w * x)) / w + c * x; };
  for (const XelMathInterval& I : {XelMathInterval(-2, 1.5), XelMathInterval(0.3, 0.4)})
    EXPECT_NEAR(f.IntegrateAbsOrRel(I, 1e-10, 0), F(I.high) - F(I.low), kSameFormula * 10);
  EXPECT_NEAR(XelMathHyperbolicX(1, 2, 3, 0).IntegrateAbsOrRel(XelMathInterval(0, 2), 0, 0), 8,
              8 * kEps);
  // Pure exponentials (b = -a or b = a), where cosh and sinh are large and the integral is not:
  // to a few epsilon relative (e^-x on [0, 40] came back 0, 0.5 e^-2x on [0, 20] too).
  struct Exponential {
    double a, b, w, low, high, exact;
  };
  const Exponential exponentials[] = {
      {1, -1, 1, 0, 40, -std::expm1(-40.0)}, // e^-x
      {1, -1, 1, 0, 20, -std::expm1(-20.0)},
      {0.5, -0.5, 2, 0, 20, -0.25 * std::expm1(-40.0)}, // 0.5 e^-2x
      {0.5, -0.5, 2, 30, 40, -0.25 * std::exp(-60.0) * std::expm1(-20.0)},
      {1, 1, 1, -40, 0, -std::expm1(-40.0)},                     // e^x
      {2, -2, -0.5, -30, 0, -4.0 * std::expm1(-15.0)},           // 2 e^(x/2), w < 0
      {1, -1, 1, 35, 35.5, -std::exp(-35.0) * std::expm1(-0.5)}, // narrow and far
  };
  for (const Exponential& e : exponentials) {
    const XelMathHyperbolicX g(e.a, e.b, 0, e.w);
    EXPECT_NEAR(g.Integrate(XelMathInterval(e.low, e.high), 1e-10), e.exact,
                8 * kEps * std::fabs(e.exact))
        << e.a << " " << e.b << " " << e.w << " [" << e.low << ", " << e.high << "]";
  }
}

TEST(FractionX, AnswersComponentsAndNullParts) {
  PolyPtr n(Poly({1, 1})), d(Poly({2, 0, 1}));
  XelMathTrigonometricX t(1.0, 0.5, 0.2, 1.5, DefaultTol());
  XelMathHyperbolicX h(1, 0, 2, 0.8);
  const XelMathFractionX th(&t, &h, DefaultTol()); // the answers its components share
  EXPECT_TRUE(th.IsOption(48));
  EXPECT_FALSE(th.IsOption(8));
  XelMathFractionX noDen(n.get(), nullptr, DefaultTol()), noNum(nullptr, d.get(), DefaultTol());
  for (const XelMathFractionX* g : {&noDen, &noNum}) {
    for (int k = 0; k < 3; ++k)
      EXPECT_EQ(DerivAt(*g, k, 1.0), XelMathInfinite);
    EXPECT_EQ(g->Eval(XelMathInterval(0, 1)), XelMathInterval(0, 0));
    EXPECT_EQ(g->EvalFirstDeriv(XelMathInterval(0, 1)), XelMathInterval(0, 0));
    EXPECT_FALSE(g->IsOption(0));
  }
  XelMathSetOfPointsND roots(1);
  EXPECT_EQ(noNum.Solve(XelMathInterval(0, 1), roots), 1);
  EXPECT_EQ(roots.GetNumberOfPoints(), 0);
}

TEST(FractionX, NullDenominatorRaisesAtAPointAndGivesInfiniteImages) {
  PolyPtr one(Poly({1})), x(Poly({0, 1}));
  XelMathFractionX f(one.get(), x.get(), DefaultTol());
  for (int k = 0; k <= 3; ++k)
    ExpectInputError([&] { DerivAt(f, k, 0.0); }, 0x20005,
                     {"XelMathFractionX::Eval", "with a null denominator"});
  double v = 0;
  ExpectInputError([&] { f.Eval(0.0, 1, &v, nullptr, nullptr); }, 0x20005);
  EXPECT_EQ(f.Eval(2.0), 0.5);
  // The image is infinite where the denominator may vanish.
  const XelMathInterval all(-XelMathInfinite, XelMathInfinite);
  EXPECT_EQ(f.Eval(XelMathInterval(-1, 1)), all);
  const XelMathInterval away = f.Eval(XelMathInterval(1, 2)); // finite and tight: [0.5, 1]
  EXPECT_TRUE(std::fabs(away.low - 0.5) <= 4 * kEps && std::fabs(away.high - 1.0) <= 4 * kEps);
  for (int k = 1; k <= 3; ++k)
    EXPECT_EQ(DerivImage(f, k, XelMathInterval(-0.5, 0.25)), all) << k;
  // A pole at an end of the interval, and a double pole where the denominator keeps its sign.
  EXPECT_EQ(f.Eval(XelMathInterval(0, 1)).high, XelMathInfinite);
  PolyPtr sq(Poly({0.25, -1, 1})); // (x - 0.5)^2
  XelMathFractionX g(one.get(), sq.get(), DefaultTol());
  EXPECT_EQ(g.Eval(XelMathInterval(0, 1)).high, XelMathInfinite);
  EXPECT_EQ(g.ComputeOptimalImage(XelMathInterval(0.25, 0.75), DefaultTol()).high, XelMathInfinite);
}

TEST(FractionX, RefinedDenominatorGivesFiniteEnclosures) {
  // x^2 - x + 0.26 >= 0.01, but its monomial image over [0, 1] holds 0: bisection must see it.
  PolyPtr n(Poly({1, -3, 0, 1})), d(Poly({0.26, -1, 1}));
  XelMathFractionX f(n.get(), d.get(), DefaultTol());
  const XelMathInterval I(0, 1);
  XelMathInterval image, refined;
  f.EvalDenom(I, 16, &image, nullptr, nullptr);
  EXPECT_GT(image.low, 0.0);
  EXPECT_LE(image.low, 0.01);
  EXPECT_EQ(f.REvalDenom(I, refined), 1);
  EXPECT_GT(refined.low, 0.0);
  EXPECT_LT(f.Eval(I).high, XelMathInfinite);
  ExpectImagesEnclose(f, I);
  PolyPtr x(Poly({0, 1}));
  XelMathFractionX pole(n.get(), x.get(), DefaultTol());
  EXPECT_EQ(pole.REvalDenom(XelMathInterval(-1, 1), refined), 0);
  // 1 / (1.9 + c T/Q): the denominator has a pole at Q's zero 0.938 and changes sign at 0.969,
  // where an extremum search over the whole interval sees neither.
  const double tp[4] = {-0.35048992424804637, 1.1184911192515052, -2.6137563838277575,
                        -0.62349845007909988};
  XelMathTrigonometricX t(tp, DefaultTol());
  PolyPtr q(Poly({-0.8490211893518691, -1.8426806808561094, 1.4999790657829064,
                  0.86631941667042422, -0.19559378006040395, 0.95373754024129598}));
  XelMathFractionX tq(&t, q.get(), DefaultTol());
  const XelMathFunctionX* parts[1] = {&tq};
  const double c[1] = {1.2333167101179154};
  XelMathCombinationX d2(1, parts, c, 1.9);
  PolyPtr one(Poly({1}));
  XelMathFractionX twoPoles(one.get(), &d2, DefaultTol());
  const XelMathInterval whole = twoPoles.Eval(XelMathInterval(0.394758, 1.74466));
  for (const double at : {0.96, 0.969249, 0.97}) {
    const double v = twoPoles.Eval(at);
    EXPECT_TRUE(whole.low <= v && v <= whole.high) << at;
  }
}

TEST(PeriodicX, FoldsIntoThePeriod) {
  PolyPtr g(Poly({0.3, 1, -2, 0.5}));
  XelMathPeriodicX f(g.get(), 1.0, 0.0);
  const double xs[5] = {2.5, 1.0, 0.0, -1.0, -0.25}, local[5] = {0.5, 1.0, 0.0, 0.0, 0.75};
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(f.Eval(xs[i]), g->Eval(local[i])) << xs[i];
  EXPECT_EQ(f.Fold(3.0), 1.0);  // above the start: into (a, a + T]
  EXPECT_EQ(f.Fold(-3.0), 0.0); // below the start: into [a, a + T)
  for (double x : {1e9 + 0.25, -1e12 - 0.5, 1e300}) { // bounded work, a result in the period
    EXPECT_GE(f.Fold(x), 0.0) << x;
    EXPECT_LE(f.Fold(x), 1.0) << x;
  }
  EXPECT_NEAR(f.Fold(1e9 + 0.25), 0.25, 1e9 * kEps);
  EXPECT_TRUE(std::isnan(f.Fold(kNaN)));
  EXPECT_EQ(f.Fold(kInf), kInf);
  EXPECT_EQ(XelMathPeriodicX(g.get(), -1.0, 0.0).Fold(5.0), 5.0);
  XelMathPeriodicX null(nullptr, 1.0, 0.0);
  EXPECT_EQ(null.Eval(0.5), XelMathInfinite);
  EXPECT_EQ(null.Eval(XelMathInterval(0, 1)), XelMathInterval(0, 0));
  EXPECT_FALSE(null.IsOption(0));
}

TEST(PeriodicX, AnswersDerivativeAndImagesAcrossTheFold) {
  PolyPtr g(Poly({0.3, 1, -2, 0.5}));
  const double T = 1.5, a = -0.2;
  XelMathPeriodicX f(g.get(), T, a);
  // Crossing the fold at a + T, and touching it.
  ExpectImagesEnclose(f, XelMathInterval(a + T - 0.1, a + T + 0.2));
  ExpectImagesEnclose(f, XelMathInterval(a - 0.3, a));
  std::unique_ptr<XelMathFunctionX> d(f.CreateDeriv());
  ASSERT_TRUE(d);
  for (double x : {-4.1, 0.3, 2.0})
    EXPECT_NEAR(d->Eval(x), f.EvalFirstDeriv(x), kSameFormula * 2);
}

TEST(PiecewiseX, LocatesPiecesAndLocalParameters) {
  PolyPtr g0(Poly({0, 1})), g1(Poly({5, 2}));
  const double b[3] = {0, 1, 2};
  const XelMathFunctionX* g[2] = {g0.get(), g1.get()};
  XelMathPiecewiseX f(2, b, g);
  const double xs[5] = {1.0, 1.5, -1.0, 3.0, 0.0}, locals[5] = {1.0, 0.5, -1.0, 2.0, 0.0};
  const long pieces[5] = {0, 1, 0, 1, 0};
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
  f.GlobalToLocal(kNaN, i, t); // no hang, some piece
  EXPECT_TRUE(i == 0 || i == 1);
  const XelMathFunctionX* h = nullptr;
  XelMathInterval dom;
  f.GetFunction(1, h, dom);
  EXPECT_EQ(dom, XelMathInterval(1, 2));
  ExpectInputError([&] { f.GetFunction(2, h, dom); }, 0x20007);
  ExpectInputError([&] { f.GetFunction(-1, h, dom); }, 0x20007);
  ExpectInputError([&] { XelMathPiecewiseX bad(2, nullptr, g); }, 0x20006);
}

namespace {
// On [0, 1], [1, 2.5], [2.5, 4] (local coordinates): a cubic, a wave, a quadratic (jump at 2.5).
struct ThreePieces {
  ThreePieces()
      : p0(Poly({1, -1, 0.5, 0.25})), wave(0.8, 0.3, 1.0, 2.0, DefaultTol()), p2(Poly({-1, 0.5, -0.3})) {
    const XelMathFunctionX* g[3] = {p0.get(), &wave, p2.get()};
    f.reset(new XelMathPiecewiseX(3, borders, g));
  }
  double borders[4] = {0, 1, 2.5, 4};
  PolyPtr p0;
  XelMathTrigonometricX wave;
  PolyPtr p2;
  std::unique_ptr<XelMathPiecewiseX> f;
};
} // namespace

TEST(PiecewiseX, ImagesAcrossBordersUseTheirCaches) {
  ThreePieces s;
  const XelMathInterval across(0.5, 3.0);
  for (int pass = 0; pass < 2; ++pass) // the second pass reads the cached whole pieces
    for (const XelMathInterval& I : {across, XelMathInterval(-1.5, 5.5), XelMathInterval(1, 1),
                                     XelMathInterval(2.5, 2.7), XelMathInterval(0.9, 1.1)})
      ExpectImagesEnclose(*s.f, I);
  const XelMathInterval first = s.f->Eval(across);
  EXPECT_EQ(s.f->Eval(across), first);
  // The union of the pieces' images: the wave piece covers [1 - A, 1 + A].
  const double A = std::hypot(0.8, 0.3);
  EXPECT_LE(first.low, 1 - A + 4 * kEps);
  EXPECT_GE(first.high, 1 + A - 4 * kEps);
}

TEST(PiecewiseX, OptionAnswersAreCachedAndFollowChanges) {
  ThreePieces s;
  XelMathPiecewiseX& f = *s.f;
  EXPECT_TRUE(f.IsOption(48));
  EXPECT_FALSE(f.IsOption(8)); // the wave does not declare bit 8, twice (cached)
  EXPECT_FALSE(f.IsOption(8));
  Probe probe; // a first piece without interval images: the answers change
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

TEST(PiecewiseX, ChangesOfBordersAndExtrapolation) {
  ThreePieces s;
  XelMathPiecewiseX& f = *s.f;
  const XelMathInterval all(-1, 6);
  (void)f.Eval(all);
  f.ChangeLastBorder(5.0);
  EXPECT_EQ(f.GetBorder(3), 5.0);
  ExpectImagesEnclose(f, XelMathInterval(0.2, 4.9));
  // One piece before and two after, then removed again.
  PolyPtr before(Poly({7, 1})), after1(Poly({3})), after2(Poly({4, -1}));
  const double bb[1] = {-2}, ba[2] = {6, 7};
  const XelMathFunctionX* fb[1] = {before.get()};
  const XelMathFunctionX* fa[2] = {after1.get(), after2.get()};
  const double mid = f.Eval(2.0);
  f.Extrapol(1, bb, fb, 2, ba, fa);
  EXPECT_EQ(f.GetNumberOfPieces(), 6);
  for (const auto& xy : {std::make_pair(-1.0, 8.0), {5.5, 3.0}, {6.5, 3.5}, {2.0, mid}})
    EXPECT_EQ(f.Eval(xy.first), xy.second) << xy.first; // before: 7 + (x + 2)
  ExpectImagesEnclose(f, XelMathInterval(-3, 8));
  const double badBefore[1] = {1.0};
  ExpectInputError([&] { f.Extrapol(1, badBefore, fb, 0, nullptr, nullptr); }, 0x2000b);
  ExpectInputError([&] { f.Extrapol(1, nullptr, fb, 0, nullptr, nullptr); }, 0x20006);
  f.Unextrapol(1, 2);
  EXPECT_EQ(f.GetNumberOfPieces(), 3);
  EXPECT_EQ(f.Eval(2.0), mid);
  EXPECT_EQ(f.Eval(-1.0), 2.25); // the first cubic, 1 + 1 + 0.5 - 0.25, extended
  XelMathPiecewiseX assigned(0, nullptr, nullptr);
  assigned = f;
  EXPECT_EQ(assigned.Eval(all), f.Eval(all));
}

TEST(PiecewiseX, DerivativeCombinationAndIntegral) {
  PolyPtr a0(Poly({1, 2, 3})), a1(Poly({0, -1, 0, 1})), b0(Poly({2, 0, -1})), b1(Poly({1, 1}));
  const double borders[3] = {-1, 0.5, 2};
  const XelMathFunctionX* ga[2] = {a0.get(), a1.get()};
  const XelMathFunctionX* gb[2] = {b0.get(), b1.get()};
  XelMathPiecewiseX fa(2, borders, ga), fb(2, borders, gb);
  const XelMathFunctionX* both[2] = {&fa, &fb};
  const double c[2] = {2.0, -3.0};
  std::unique_ptr<XelMathFunctionX> comb(fa.FormalCombination(2, both, c, 0.5));
  ASSERT_TRUE(comb);
  EXPECT_TRUE(comb->IsATypeOf(60));
  std::unique_ptr<XelMathFunctionX> d(fa.CreateDeriv());
  ASSERT_TRUE(d);
  for (double x : Points(-2, 3, 17)) {
    EXPECT_NEAR(comb->Eval(x), 2 * fa.Eval(x) - 3 * fb.Eval(x) + 0.5, kSameFormula * 20);
    EXPECT_NEAR(d->Eval(x), fa.EvalFirstDeriv(x), kSameFormula * 20);
  }
  const double otherBorders[3] = {-1, 0.6, 2};
  XelMathPiecewiseX shifted(2, otherBorders, gb);
  const XelMathFunctionX* mismatch[2] = {&fa, &shifted};
  EXPECT_EQ(fa.FormalCombination(2, mismatch, c, 0.0), nullptr);
  // Exact integral: piece 0 is 1 + 2t + 3t^2 on t = x + 1, piece 1 is t^3 - t on t = x - 0.5.
  auto P0 = [](double t) { return t + t * t + t * t * t; };
  auto P1 = [](double t) { return t * t * t * t / 4 - t * t / 2; };
  const double expected = (P0(1.5) - P0(0.5)) + (P1(1.0) - P1(0.0));
  EXPECT_NEAR(fa.IntegrateAbsOrRel(XelMathInterval(-0.5, 1.5), 1e-12, 0), expected, kSameFormula);
  EXPECT_NEAR(fa.IntegrateAbsOrRel(XelMathInterval(1.5, -0.5), 1e-12, 0), -expected, kSameFormula);
}

TEST(PiecewiseX, CombinationIsNullUnlessEveryPieceHasAClosedForm) {
  // Piece 1 of the operands: two polynomials (closed form), or an arc tangent of a cosine.
  PolyPtr p0(Poly({1, 2})), p1(Poly({0, 1, 1})), q0(Poly({3})), q1(Poly({-1, 0, 2}));
  XelMathArctanCosX a1(1, 2, 3, 0.5, 0.1), b1(-0.5, 1.5, 2, 0, 0.2);
  const struct { const XelMathFunctionX *f1, *g1; bool closed; } cases[] = {
      {p1.get(), q1.get(), true}, {p1.get(), &b1, false}, {&a1, &b1, false}};
  const double borders[3] = {-1, 0.5, 2}, c[2] = {2.0, -3.0};
  for (const auto& k : cases) {
    const XelMathFunctionX* ga[2] = {p0.get(), k.f1};
    const XelMathFunctionX* gb[2] = {q0.get(), k.g1};
    XelMathPiecewiseX fa(2, borders, ga), fb(2, borders, gb);
    const XelMathFunctionX* both[2] = {&fa, &fb};
    std::unique_ptr<XelMathFunctionX> comb(fa.FormalCombination(2, both, c, 0.5));
    EXPECT_EQ(comb != nullptr, k.closed) << k.f1->IsA() << " " << k.g1->IsA();
  }
}

TEST(PiecewiseX, BordersThatAreNaNOrDoNotIncreaseAreRefused) {
  Probe g0, g1;
  const XelMathFunctionX* g[2] = {&g0, &g1};
  const double bad[4][3] = {{0, 0, 1}, {0, 2, 1}, {kNaN, 1, 2}, {0, 1, kNaN}};
  const long before = LiveBlocks();
  for (const auto& b : bad)
    ExpectInputError([&] { XelMathPiecewiseX f(2, b, g); }, 0x2000b,
                     {"Invalid Domain", " ", "XelMathPiecewiseX::XelMathPiecewiseX"});
  EXPECT_EQ(LiveBlocks(), before);
  const double b[3] = {0, 1, 2};
  XelMathPiecewiseX f(2, b, g);
  const std::string first = "XelMathPiecewiseX::ChangeFirstFunction",
                    last = "XelMathPiecewiseX::ChangeLastBorder";
  for (double border : {1.0, kNaN}) {
    ExpectInputError([&] { f.ChangeFirstFunction(border, &g0); }, 0x2000b,
                     {"Invalid Domain", " ", first});
    ExpectInputError([&] { f.ChangeLastBorder(border); }, 0x2000b, {"Invalid Domain", " ", last});
  }
  for (long k = 0; k < 3; ++k)
    EXPECT_EQ(f.GetBorder(k), b[k]); // refused changes leave the partition alone
}

TEST(ElementaryOwnership, DelVariantsDeleteExactlyTheirComponents) {
  ASSERT_EQ(Probe::Alive, 0);
  {
    Probe n, d(0.5);
    { XelMathFractionX f(&n, &d, DefaultTol()); }
    { XelMathPeriodicX f(&n, 1, 0); }
    const double b[3] = {0, 1, 2};
    const XelMathFunctionX* g[2] = {&n, &d};
    { XelMathPiecewiseX f(2, b, g); }
    EXPECT_EQ(Probe::Alive, 2); // the plain variants leave their components alone
  }
  EXPECT_EQ(Probe::Alive, 0);
  delete new XelMathFractionXDel(new Probe, new Probe, DefaultTol());
  delete new XelMathPeriodicXDel(new Probe, 1, 0);
  EXPECT_EQ(Probe::Alive, 0);
  {
    const double b[4] = {0, 1, 2, 3}, ba[1] = {4};
    XelMathFunctionX* g[3] = {new Probe, new Probe, new Probe};
    XelMathPiecewiseXDel f(3, b, g);
    EXPECT_EQ(Probe::Alive, 3);
    // Owned pieces replaced or removed are deleted; added ones become owned.
    f.ChangeFirstFunction(-1, new Probe(2));
    EXPECT_EQ(Probe::Alive, 3);
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
    XelMathTrigonometricX t(1, 2, 0.5, 3, DefaultTol());
    PolyPtr d(Poly({2, 0, 1}));
    XelMathFractionX frac(&t, d.get(), DefaultTol());
    XelMathPeriodicX per(&frac, 2.0, -1.0);
    XelMathHyperbolicX h(1, 0, 0, 1);
    XelMathArctanCosX ac(1, 2, 3, 4, 5);
    const double b[4] = {0, 1, 2, 3};
    const XelMathFunctionX* g[3] = {&per, &h, &ac};
    XelMathPiecewiseX f(3, b, g);
    std::unique_ptr<XelMathFunctionX> deep(f.DeepDuplicate());
    EXPECT_STREQ(deep->IsA(), "XelMathPiecewiseXDel");
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
          XelMathFunctionX::CreateCubicInterpolation(n, x.data(), y.data(), DefaultTol()));
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
        EXPECT_NEAR(left->EvalFirstDeriv(dl.high - dl.low), right->EvalFirstDeriv(0.0),
                    kSameFormula * 8);
      }
    }
    EXPECT_EQ(LiveBlocks(), before);
  }
  // Monotone data give a monotone interpolant.
  const double x[6] = {0, 1, 2, 3, 4, 5}, y[6] = {0, 0.1, 0.2, 5, 5.1, 9};
  std::unique_ptr<XelMathFunctionX> f(XelMathFunctionX::CreateCubicInterpolation(6, x, y, DefaultTol()));
  double previous = f->Eval(0.0);
  for (int s = 1; s <= 500; ++s) {
    const double v = f->Eval(5.0 * s / 500);
    EXPECT_GE(v, previous - 16 * kEps * 9);
    previous = v;
  }
}

TEST(CubicInterpolation, FewPointsAndBadInput) {
  const double x[3] = {1, 3, 2}, y[3] = {2, 6, 1};
  std::unique_ptr<XelMathFunctionX> one(XelMathFunctionX::CreateCubicInterpolation(1, x, y, DefaultTol()));
  EXPECT_TRUE(one->IsATypeOf(11));
  EXPECT_EQ(one->Eval(10.0), 2.0);
  std::unique_ptr<XelMathFunctionX> two(XelMathFunctionX::CreateCubicInterpolation(2, x, y, DefaultTol()));
  EXPECT_TRUE(two->IsATypeOf(11));
  EXPECT_NEAR(two->Eval(1.0), 2.0, 4 * kEps);
  EXPECT_NEAR(two->Eval(3.0), 6.0, 8 * kEps);
  const double nan[3] = {0, kNaN, 2}, sorted[3] = {0, 1, 2}, repeated[3] = {0, 1, 1};
  const long before = LiveBlocks();
  const struct { long n; const double *x, *y; } bad[] = {
      {3, x, y}, {3, repeated, y}, {3, nan, y}, {3, sorted, nan}, {0, x, y}, {3, nullptr, y}};
  for (const auto& b : bad)
    ExpectInputError([&] { XelMathFunctionX::CreateCubicInterpolation(b.n, b.x, b.y, DefaultTol()); },
                     0x2000e);
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(LinearAndCubicX, ChangesOfVariableRewriteTheCoefficientsAtShiftZero) {
  // Each change turns P into P(u(x)), which must be sum c_k x^k with its own coefficients.
  const double a = -1.5, b = 0.75;
  using Change = std::function<void(XelMathPolynomX&)>;
  const struct { const char* name; Change change; std::function<double(double)> u; } changes[] = {
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
    const struct { XelMathPolynomX* p; const double* c; int d; } functions[] = {
        {&line, cl, 1}, {&cubic, cc, 3}};
    for (const auto& f : functions) {
      SCOPED_TRACE(std::string(change.name) + " " + f.p->IsA());
      change.change(*f.p);
      const auto ref = [&](double x) { return P(f.c, f.d, change.u(x)); };
      EXPECT_EQ(f.p->XelMathPolynomX::GetShift(), 0.0);
      double own[4];
      f.p->GetCoefficients(own);
      for (double x : Points(-2, 2, 9)) {
        const double tol = kSameFormula * (1 + std::fabs(ref(x)) + std::pow(std::fabs(x), f.d));
        EXPECT_NEAR(f.p->Eval(x), ref(x), tol) << x;
        EXPECT_NEAR(P(own, f.d, x), ref(x), tol) << x;
      }
      // Simpson's rule is exact on cubics.
      const double lo = -0.5, hi = 1.25;
      const double simpson = (hi - lo) / 6 * (ref(lo) + 4 * ref(0.5 * (lo + hi)) + ref(hi));
      EXPECT_NEAR(f.p->Integrate(XelMathInterval(lo, hi), 1e-12), simpson, kSameFormula * 10);
    }
    // The line's constant term and slope, read from its reference.
    const double at0 = P(cl, 1, change.u(0.0)), at1 = P(cl, 1, change.u(1.0));
    EXPECT_NEAR(line.GetShift(), at0, kSameFormula * 10) << change.name;
    EXPECT_NEAR(line.GetScale(), at1 - at0, kSameFormula * 10) << change.name;
  }
}
