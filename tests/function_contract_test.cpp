// The function contract: class names, default derivatives, multi-output and grid evaluations,
// the interval chain, guaranteed images and their fallbacks, streamability, tolerance lookup.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathCombinationX.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathIntervalND.h"
#include "XelMathOppositeX.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"
#include "values_only.h"

namespace {

using namespace xeltest;

double (*const Sine)(double) = [](double x) { return std::sin(x); };
double (*const Exponential)(double) = [](double x) { return std::exp(x); };
double (*const Runge)(double) = [](double x) { return 1.0 / (1.0 + 25.0 * x * x); };
double (*const Cubic)(double) = [](double x) { return ((0.5 * x - 1.0) * x + 2.0) * x - 3.0; };

// Fixed interval images of f', f'' to drive the monotonicity chain; values of x^3 + x.
class ChainX : public XelMathFunctionX {
public:
  ChainX(XelMathInterval iD1, XelMathInterval iD2) : _d1(iD1), _d2(iD2) {}
  const char* IsA() const override { return "ChainX"; }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  double Eval(const double& x) const override { return x * x * x + x; }
  double EvalFirstDeriv(const double& x) const override { return 3.0 * x * x + 1.0; }
  XelMathInterval Eval(const XelMathInterval&) const override {
    ++imageCalls;
    return XelMathInterval(-100.0, 100.0);
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval&) const override {
    ++derivImageCalls;
    return _d1;
  }
  XelMathInterval EvalSecondDeriv(const XelMathInterval&) const override { return _d2; }
  XelMathFunctionX* Duplicate() const override { return new ChainX(_d1, _d2); }
  mutable int imageCalls = 0, derivImageCalls = 0;

private:
  XelMathInterval _d1, _d2;
};

// 1/(1 + 25 x^2): 16 Chebyshev terms do not resolve it on [-1, 1]; exact interval images.
class RungeX : public ValuesX {
public:
  RungeX() : ValuesX(Runge) {}
  unsigned char IsOption(const long iOption) const override { return (iOption & ~17L) == 0; }
  using ValuesX::Eval;
  XelMathInterval Eval(const XelMathInterval& iI) const override {
    const double a = Eval(iI.low), b = Eval(iI.high);
    const double top = (iI.low <= 0.0 && iI.high >= 0.0) ? 1.0 : std::max(a, b);
    return XelMathInterval(std::min(a, b), top);
  }
};

// The Runge function without images: its searches are answered and their options recorded.
class SearchedX : public ValuesX {
public:
  explicit SearchedX(double (*iF)(double) = Runge) : ValuesX(iF) {}
  int Minimize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMinima,
               const XelMathAttrList* iAttributes) const override {
    return Record(iDomain, oMinima, iAttributes, 1.0);
  }
  int Maximize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMaxima,
               const XelMathAttrList* iAttributes) const override {
    return Record(iDomain, oMaxima, iAttributes, 0.0);
  }
  // Records the search and answers iX.
  int Record(const XelMathInterval& iDomain, XelMathSetOfPointsND& oSet,
             const XelMathAttrList* iAttributes, double iX) const {
    oSet.AddPoint(&iX);
    ++searches;
    domain = iDomain;
    dimension = oSet.GetDimension();
    absolute = iAttributes && iAttributes->GetAttribute("AbsoluteExtremum");
    const XelMathAttribute* t = iAttributes ? iAttributes->GetAttribute("XelMathAttrTolObject") : 0;
    tolerance = t ? &static_cast<const XelMathAttrTolObject*>(t)->GetTolObject() : nullptr;
    const XelMathAttrScaleOption* o = static_cast<const XelMathAttrScaleOption*>(
        iAttributes ? iAttributes->GetAttribute("XelMathAttrScaleOption") : nullptr);
    long n = 0;
    powerF = o ? o->GetPowerScaleF(n)[0] : -99;
    powerX = o ? o->GetPowerScaleX(n)[0] : -99;
    reviewed = o ? o->GetOKReviewed() : -1;
    return 0;
  }
  mutable int searches = 0;
  mutable XelMathInterval domain;
  mutable bool absolute = false;
  mutable const XelTolerance* tolerance = nullptr;
  mutable long dimension = 0, powerF = 0, powerX = 0, reviewed = 0;
};

// A caller's exp(x) on the basis class, with the model's tolerance and maybe a scale option.
class ExpBasisX : public XelMathBasisFunctionX {
public:
  explicit ExpBasisX(const XelTolerance& iTol) : XelMathBasisFunctionX(iTol, 1) {}
  ExpBasisX(const XelTolerance& iTol, XelMathAttrScaleOption& iOption)
      : XelMathBasisFunctionX(iTol, iOption) {}
  const char* IsA() const override { return "ExpBasisX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return std::exp(x); }
  XelMathFunctionX* Duplicate() const override { return new ExpBasisX(*this); }
};

// Raises from its evaluation, after looking for a scale option filed under it.
struct RaisingX : ValuesX {
  RaisingX()
      : ValuesX([this](double) -> double {
          void* value = nullptr;
          long status = 0;
          sawOption = XelFedEx::Get(_XelR19QuorMail, 5, this, value, status) != 0;
          XelMathRaise(0x20006, "a test value", "raised on purpose", "RaisingX::Eval");
        }) {}
  bool sawOption = false;
};

// Says which version can store it: a leaf its answer and flag, a node its components
// (which may change on the second call).
struct StreamX : ValuesX {
  StreamX(unsigned char iAnswer, unsigned char iFlag,
          std::vector<const XelMathFunctionGeneral*> iComponents = {}, bool iLeaf = true)
      : ValuesX(Sine), components(std::move(iComponents)), answer(iAnswer), flag(iFlag),
        leaf(iLeaf) {}
  int GetDirectComponents(const int iSize, const XelMathFunctionGeneral** oC) const override {
    ++calls;
    const int n = static_cast<int>(components.size());
    for (int i = 0; i < n && i < iSize; ++i)
      oC[i] = components[i];
    return (calls > 1 && lieOnSecondCall) ? n - 1 : n;
  }
  unsigned char _IsStreamable(const XelQuorStreamVersion, unsigned char& oFlag) const override {
    oFlag = leaf ? flag : 1;
    return leaf ? answer : 1;
  }
  std::vector<const XelMathFunctionGeneral*> components;
  unsigned char answer, flag;
  bool leaf, lieOnSecondCall = false;
  mutable int calls = 0;
};

// f(x, y, z) = x^2 y + 3 y z - z^3 + 2 x, with its closed-form gradient and Hessian.
double CubicRN(const double* x) {
  return x[0] * x[0] * x[1] + 3.0 * x[1] * x[2] - x[2] * x[2] * x[2] + 2.0 * x[0];
}
double CubicGradient(long i, const double* x) {
  const double g[3] = {2.0 * x[0] * x[1] + 2.0, x[0] * x[0] + 3.0 * x[2],
                       3.0 * x[1] - 3.0 * x[2] * x[2]};
  return g[i];
}
double CubicHessian(long i, long j, const double* x) {
  const double h[9] = {2.0 * x[1], 2.0 * x[0], 0.0, 2.0 * x[0], 0.0, 3.0, 0.0, 3.0, -6.0 * x[2]};
  return h[i * 3 + j];
}

// Dense samples of f over I: the smallest and largest values seen.
XelMathInterval Sampled(const XelMathFunctionX& f, const XelMathInterval& iI, int iCount = 2001) {
  XelMathInterval range(f.Eval(iI.low), f.Eval(iI.low));
  for (int k = 0; k <= iCount; ++k) {
    const double x = iI.low + (iI.high - iI.low) * double(k) / double(iCount);
    const double v = f.Eval(x);
    range.low = std::min(range.low, v);
    range.high = std::max(range.high, v);
  }
  return range;
}

} // namespace

TEST(FunctionContract, RootDefaultsNamesAndOperationsWithoutOverride) {
  ValuesX f(Sine);
  ValuesRN g(3, CubicRN);
  const std::string copy = "XelMathFunctionGeneral"; // same text, another pointer
  for (const char* name : {"ValuesX", "XelMathFunctionX", copy.c_str()})
    EXPECT_TRUE(f.IsAKindOf(name)) << name;
  for (const char* name : {"XelMathFunctionRN", "XelMathFunctionXY", "YelMathFunctionX", ""})
    EXPECT_FALSE(f.IsAKindOf(name)) << name;
  EXPECT_TRUE(g.IsAKindOf("XelMathFunctionRN") && g.IsAKindOf("XelMathFunctionGeneral"));
  EXPECT_FALSE(g.IsAKindOf("XelMathFunctionX"));
  const long before = XelQuornullCount();
  EXPECT_FALSE(f.IsAKindOf(nullptr) || g.IsAKindOf(nullptr));
  EXPECT_EQ(XelQuornullCount(), before + 2);
  ExpectInputError([&] { delete f.DeepDuplicate(); }, 0x20009, {"DeepDuplicate", " "});
  ExpectInputError([&] { f.GetStreamType(); }, 0x20009, {"GetStreamType", " "});
  try {
    f.GetStreamType();
  } catch (const XelMathInputError& e) {
    EXPECT_EQ(e.GetNumberOfParameters(), 2);
    EXPECT_NE(std::string(e.GetSourceFile()).find("XelMathFunctionStr"), std::string::npos);
  }
}

TEST(FunctionContract, DefaultDerivativesAreCentredDifferencesWithinTruncationBounds) {
  // The first derivative is (f(x + h1) - f(x - h1)) / (2 h1), evaluated at exactly those points.
  ValuesX s(Sine);
  s.record = true;
  const double d = s.EvalFirstDeriv(0.7);
  EXPECT_EQ(s.points, std::vector<double>({0.7 + XelMathh1, 0.7 - XelMathh1}));
  EXPECT_NEAR(d, std::cos(0.7), XelMathh1 * XelMathh1 / 6.0 + kEps / XelMathh1);
  // exp on [-1, 2], all derivatives bounded near x by m = e^(x + 0.01): truncation h^2 / 6 m
  // (h^2 / 12 m for f'') plus rounding over the step; f''' differences two f'' within e2.
  ValuesX f(Exponential);
  for (double x : {-1.0, -0.3, 0.0, 0.45, 1.2, 2.0}) {
    const double m = std::exp(x + 0.01);
    const double e1 = XelMathh1 * XelMathh1 / 6.0 * m + 2.0 * kEps * m / (2.0 * XelMathh1);
    const double e2 = XelMathh2 * XelMathh2 / 12.0 * m + 4.0 * kEps * m / (XelMathh2 * XelMathh2);
    const double e3 = XelMathh3 * XelMathh3 / 6.0 * m + 2.0 * e2 / (2.0 * XelMathh3);
    EXPECT_NEAR(f.EvalFirstDeriv(x), std::exp(x), e1) << x;
    EXPECT_NEAR(f.EvalSecondDeriv(x), std::exp(x), e2) << x;
    EXPECT_NEAR(f.EvalThirdDeriv(x), std::exp(x), e3) << x;
  }
  // A cubic: the centred differences are exact up to their constant truncation terms.
  ValuesX p(Cubic); // 0.5 x^3 - x^2 + 2 x - 3: third derivative 3, fourth 0
  for (double x : {-2.0, 0.25, 3.0}) {
    const double a = std::fabs(x) + 1.0, m = 0.5 * a * a * a + a * a + 2.0 * a + 3.0;
    EXPECT_NEAR(p.EvalFirstDeriv(x), 1.5 * x * x - 2.0 * x + 2.0 + XelMathh1 * XelMathh1 * 0.5,
                4.0 * kEps * m / XelMathh1);
    EXPECT_NEAR(p.EvalSecondDeriv(x), 3.0 * x - 2.0, 8.0 * kEps * m / (XelMathh2 * XelMathh2));
    EXPECT_NEAR(p.EvalThirdDeriv(x), 3.0, 16.0 * kEps * m / (XelMathh2 * XelMathh2 * XelMathh3));
  }
  // With an exact f' offered, f'' differences it with step h1 (no values); f''' follows.
  struct SineWithDeriv : ValuesX {
    SineWithDeriv() : ValuesX(Sine) {}
    unsigned char IsOption(const long iOption) const override { return (iOption & ~2L) == 0; }
    using ValuesX::EvalFirstDeriv;
    double EvalFirstDeriv(const double& x) const override {
      points.push_back(x);
      return std::cos(x);
    }
  } w;
  const double e2 = XelMathh1 * XelMathh1 / 6.0 + kEps / XelMathh1;
  EXPECT_NEAR(w.EvalSecondDeriv(1.1), -std::sin(1.1), e2);
  EXPECT_EQ(w.points, std::vector<double>({1.1 + XelMathh1, 1.1 - XelMathh1}));
  EXPECT_NEAR(w.EvalThirdDeriv(1.1), -std::cos(1.1),
              XelMathh3 * XelMathh3 / 6.0 + 2.0 * e2 / (2.0 * XelMathh3));
}

TEST(FunctionContract, MultiOutputAndGridEvaluationsWriteOnlyWhatIsAsked) {
  ValuesX f(Sine);
  const double x = -0.4, sentinel = 12345.0;
  double v = sentinel, d1 = sentinel, d2 = sentinel;
  f.Eval(x, 7, &v, &d1, &d2);
  EXPECT_TRUE(v == f.Eval(x) && d1 == f.EvalFirstDeriv(x) && d2 == f.EvalSecondDeriv(x));
  v = d1 = d2 = sentinel;
  f.Eval(x, 2, &v, &d1, &d2);
  EXPECT_TRUE(v == sentinel && d1 == f.EvalFirstDeriv(x) && d2 == sentinel);
  f.Eval(x, 7, nullptr, nullptr, nullptr); // null outputs are skipped
  // A grid of one point evaluates the low end only.
  ValuesX e(Exponential);
  e.record = f.record = true;
  double one[2] = {-1.0, -1.0};
  e.Eval(XelMathInterval(0.3, 0.9), 1, 1, one, nullptr, nullptr);
  EXPECT_EQ(e.points, std::vector<double>({0.3}));
  EXPECT_TRUE(one[0] == std::exp(0.3) && one[1] == -1.0);
  // Five points: repeated addition of the step, then exactly the high end.
  const XelMathInterval I(0.1, 0.7);
  std::vector<double> values(6, 99.0), derivs(6, 99.0);
  f.points.clear();
  f.Eval(I, 5, 3, values.data(), derivs.data(), nullptr);
  const double step = (I.high - I.low) / 4.0;
  double grid[5] = {I.low, 0, 0, 0, I.high};
  for (int k = 1; k < 4; ++k)
    grid[k] = grid[k - 1] + step;
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(values[k], std::sin(grid[k])) << k;
    EXPECT_NEAR(derivs[k], std::cos(grid[k]), XelMathh1 * XelMathh1 / 6 + kEps / XelMathh1) << k;
  }
  EXPECT_TRUE(values[5] == 99.0 && derivs[5] == 99.0);
  EXPECT_EQ(f.points[f.points.size() - 3], I.high); // the value at high itself
  // Interval evaluations default to zero.
  const XelMathInterval zero(0.0, 0.0);
  for (int k = 0; k < 4; ++k)
    EXPECT_EQ(DerivImage(f, k, I), zero) << k;
}

TEST(FunctionContract, IntervalChainUsesThePointValuesOfAMonotoneFunction) {
  const XelMathInterval I(-0.5, 1.5), any(-100.0, 100.0);
  const ChainX sample{XelMathInterval(), XelMathInterval()};
  const XelMathInterval up(sample.Eval(I.low), sample.Eval(I.high));
  const XelMathInterval slopeUp(sample.EvalFirstDeriv(I.low), sample.EvalFirstDeriv(I.high));
  const XelMathInterval down(up.high, up.low), slopeDown(slopeUp.high, slopeUp.low);
  // (f', f'' images, expected F, F1, calls): f' of one sign gives F from the end values, one
  // around 0 asks for the value image; f'' of one sign gives F1 from two point derivatives.
  const struct {
    XelMathInterval d1, d2, F, F1;
    int imageCalls, derivImageCalls;
  } cases[] = {{{0.5, 2.0}, {-1.0, 1.0}, up, {0.5, 2.0}, 0, 1},
               {{-2.0, -0.5}, {-1.0, 1.0}, down, {-2.0, -0.5}, 0, 1},
               {{-1.0, 2.0}, {-1.0, 1.0}, any, {-1.0, 2.0}, 1, 1},
               {{-7.0, 7.0}, {0.0, 3.0}, up, slopeUp, 0, 0}};
  for (const auto& c : cases) {
    ChainX f(c.d1, c.d2);
    XelMathInterval F, F1, F2;
    f.Eval(I, 112, &F, &F1, &F2);
    EXPECT_EQ(F, c.F) << c.d1.low << " " << c.d2.low;
    EXPECT_EQ(F1, c.F1) << c.d1.low << " " << c.d2.low;
    EXPECT_EQ(F2, c.d2);
    EXPECT_EQ(f.imageCalls, c.imageCalls) << c.d1.low << " " << c.d2.low;
    EXPECT_EQ(f.derivImageCalls, c.derivImageCalls) << c.d1.low << " " << c.d2.low;
  }
  // Without bit 32 the first derivative is neither computed nor used.
  ChainX f(XelMathInterval(-1.0, 2.0), XelMathInterval(-1.0, 1.0));
  XelMathInterval F, F1, F2;
  f.Eval(I, 16, &F, &F1, nullptr);
  EXPECT_EQ(f.derivImageCalls, 0);
  EXPECT_EQ(f.imageCalls, 1);
  ChainX g(XelMathInterval(-7.0, 7.0), XelMathInterval(-3.0, -1.0));
  g.Eval(I, 96, nullptr, &F1, &F2);
  EXPECT_EQ(F1, slopeDown);
}

TEST(FunctionContract, ImagesEncloseDenseSamplesOrFallBack) {
  // Chebyshev bounds enclose dense samples up to coefficient rounding, not grossly wide; a
  // constant stops at four terms.
  const XelTolerance& tol = XelGetDefaultTolerance();
  const struct {
    ValuesX::Formula f;
    XelMathInterval I;
  } cases[] = {{Exponential, {0.0, 1.0}}, {Exponential, {-2.0, 3.0}}, {Sine, {-2.0, 3.0}},
               {Sine, {0.1, 0.2}}, {[](double x) { return (1.0 + x) / (2.0 + x); }, {-1.0, 1.0}},
               {Cubic, {-1.0, 4.0}}, {[](double) { return 2.75; }, {-3.0, 5.0}}};
  for (const auto& c : cases) {
    ValuesX f(c.f);
    const XelMathInterval image = f.ComputeOptimalImage(c.I, tol);
    const long used = f.count;
    const XelMathInterval seen = Sampled(f, c.I);
    const double slack = 64.0 * kEps * std::max(std::fabs(seen.low), std::fabs(seen.high));
    EXPECT_LE(image.low, seen.low + slack) << c.I.low << " " << c.I.high;
    EXPECT_GE(image.high, seen.high - slack) << c.I.low << " " << c.I.high;
    EXPECT_LE(image.high - image.low, 3.0 * (seen.high - seen.low) + slack);
    EXPECT_TRUE(seen.low != seen.high || used == 4);
  }
  // 16 terms do not resolve the Runge function on [-1, 1]; its own interval images do.
  RungeX runge;
  XelMathInterval cheb;
  EXPECT_EQ(runge.ComputeImageByChebyshev(XelMathInterval(-1.0, 1.0), cheb, tol), 0);
  const XelMathInterval image = runge.ComputeOptimalImage(XelMathInterval(-1.0, 1.0), tol);
  EXPECT_TRUE(image.low <= 1.0 / 26.0 && image.high >= 1.0);
  EXPECT_NEAR(image.low, 1.0 / 26.0, 1e-15);
  EXPECT_NEAR(image.high, 1.0, 1e-15);
}

TEST(FunctionContract, ImageFallsBackOnTheGlobalExtremumSearch) {
  SearchedX f;
  const XelMathInterval I(-1.0, 1.0);
  const XelTolerance& tol = XelGetDefaultTolerance();
  const XelMathInterval image = f.ComputeOptimalImage(I, tol);
  // Two absolute searches on the domain, with its tolerance and a scale option (f ~ S^2,
  // x ~ S) not reviewed; the image spans their answers.
  EXPECT_TRUE(f.searches == 2 && f.domain == I && f.dimension == 1 && f.absolute);
  EXPECT_TRUE(f.tolerance == &tol && f.powerF == 2 && f.powerX == 1 && f.reviewed == 0)
      << f.powerF << " " << f.powerX << " " << f.reviewed;
  EXPECT_EQ(image, XelMathInterval(f.Eval(1.0), f.Eval(0.0)));

  // A reviewed option filed with the function marks the searches' option reviewed.
  XelMathAttrScaleOption option(1, 1);
  option.SetOKReviewed(1);
  ComputeOptimalImage(&f, I, tol, &option, 0);
  EXPECT_EQ(f.reviewed, 1);
}

TEST(FunctionContract, UnreviewedControlAlsoRunsTheSearchAfterAConvergedSeries) {
  SearchedX f(Sine);
  const XelMathInterval I(0.0, 1.0);
  const int saved = _QuorSolveAndMinimizeUnReviewedControl;
  _QuorSolveAndMinimizeUnReviewedControl = 1;
  const XelMathInterval image = f.ComputeOptimalImage(I, XelGetDefaultTolerance());
  EXPECT_EQ(f.searches, 2);
  XelMathAttrScaleOption reviewed(1, 1);
  reviewed.SetOKReviewed(1);
  const XelMathInterval again = ComputeOptimalImage(&f, I, XelGetDefaultTolerance(), &reviewed, 1);
  EXPECT_EQ(f.searches, 2);
  _QuorSolveAndMinimizeUnReviewedControl = saved;
  // The search result is discarded: the series' image stands.
  EXPECT_EQ(image, again);
  EXPECT_LE(image.low, 0.0);
  EXPECT_GE(image.high, std::sin(1.0));
}

TEST(FunctionContract, BisectionOfAMonotonePieceUsesItsEndValues) {
  ChainX f(XelMathInterval(1.0, 4.0), XelMathInterval(0.0, 0.0));
  struct Offering : ChainX {
    using ChainX::ChainX;
    unsigned char IsOption(const long o) const override { return (o & ~48L) == 0; }
  } g(XelMathInterval(1.0, 4.0), XelMathInterval(0.0, 0.0));
  const XelMathInterval I(-1.0, 0.5);
  const XelMathInterval image =
      g.RComputeOptimalImage(I, XelMathInterval(-50.0, 50.0), 0, XelGetDefaultTolerance());
  EXPECT_EQ(image, XelMathInterval(g.Eval(I.low), g.Eval(I.high)));
  EXPECT_EQ(g.imageCalls, 0);
  // At the depth limit without derivative information, the known image is kept.
  EXPECT_EQ(f.RComputeOptimalImage(I, XelMathInterval(-50.0, 50.0), 3, XelGetDefaultTolerance()),
            XelMathInterval(-50.0, 50.0));
}

TEST(FunctionContract, ImageErrorsLeaveNothingFiledOrAllocated) {
  const XelTolerance& tol = XelGetDefaultTolerance();
  const XelMathInterval I(0.0, 1.0);
  const long filings = _XelR19QuorMail.GetNumberOfFilings(), live = LiveBlocks();
  // A scale option with two function powers raises.
  ValuesX f(Sine);
  const long powersF[2] = {1, 2}, powersX[1] = {1};
  XelMathAttrScaleOption two(2, powersF, 1, powersX, 0, nullptr);
  ExpectInputError([&] { ComputeOptimalImage(&f, I, tol, &two, 0); }, 0x20006,
                   {"the XelMathAttrScaleOption", "wrong dimension",
                    "XelMathFunctionX::ComputeOptimalImage"});
  // The option is filed under the function while it runs, and removed when it raises.
  RaisingX raising;
  XelMathAttrScaleOption option(1, 1);
  for (int forceBase : {0, 1}) {
    raising.sawOption = false;
    EXPECT_THROW(ComputeOptimalImage(&raising, I, tol, &option, forceBase), XelMathInputError);
    EXPECT_TRUE(raising.sawOption);
    EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings);
  }
  // Without an option nothing is filed, and an outer filing for the same key survives.
  XelFedEx::Put(_XelR19QuorMail, 5, &raising, &option);
  EXPECT_THROW(ComputeOptimalImage(&raising, I, tol, nullptr, 0), XelMathInputError);
  EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings + 1);
  XelFedEx::UnstackUntil(_XelR19QuorMail, 5, &raising);
  // The work objects of a scaled search are released, even on error.
  const XelTolerance big(1000.0);
  XelMathAttrScaleOption variable(0, 2);
  SearchedX searched;
  ComputeOptimalImage(&searched, I, big, &variable, 1);
  EXPECT_THROW(ComputeOptimalImage(&raising, I, big, &variable, 0), XelMathInputError);
  EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings);
  EXPECT_EQ(LiveBlocks(), live);
  // The free image of a null function is reported.
  const long nulls = XelQuornullCount();
  EXPECT_EQ(ComputeOptimalImage(nullptr, I, tol, nullptr, 1), XelMathInterval(0.0, 0.0));
  EXPECT_EQ(XelQuornullCount(), nulls + 1);
}

TEST(FunctionContract, ScaledImagesEncloseTheUnscaledSamples) {
  // Scale 1000, values ~ S^pF, variable ~ S^pX: the image of a rescaled copy, brought back; a
  // basis function brings its own option.
  const XelTolerance tol(1000.0);
  const XelMathInterval I(-0.5, 1.5);
  ValuesX f(Exponential);
  const XelMathInterval seen = Sampled(f, I);
  const double slack = 64.0 * kEps * seen.high;
  const long filings = _XelR19QuorMail.GetNumberOfFilings();
  for (long pF : {0L, 1L, 2L, 3L})
    for (long pX : {0L, 1L, 2L}) {
      XelMathAttrScaleOption option(pF, pX);
      ExpBasisX basis(tol, option);
      for (const XelMathInterval& image :
           {ComputeOptimalImage(&f, I, tol, &option, 1), basis.ComputeOptimalImage(I, tol)}) {
        EXPECT_LE(image.low, seen.low + slack) << pF << " " << pX;
        EXPECT_GE(image.high, seen.high - slack) << pF << " " << pX;
        EXPECT_LE(image.high - image.low, 3.0 * (seen.high - seen.low)) << pF << " " << pX;
      }
    }
  EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings);
  // An option of the wrong dimension filed with the function wins over the basis one.
  XelMathAttrScaleOption good(1, 1);
  ExpBasisX b(tol, good);
  const long two[2] = {1, 1};
  XelMathAttrScaleOption wrong(1, two, 2, two, 0, nullptr);
  EXPECT_THROW(ComputeOptimalImage(&b, I, tol, &wrong, 1), XelMathInputError);
}

TEST(FunctionContract, StreamabilityWalksTheWholeTree) {
  unsigned char flag = 9;
  ValuesX plain(Sine);
  EXPECT_EQ(plain.IsStreamable(1012, flag), 0); // no component list
  EXPECT_EQ(flag, 9);
  StreamX good(1, 1), lossy(1, 0), refused(0, 1);
  StreamX allGood(1, 1, {&good, &good}, false), withLossy(1, 1, {&good, &lossy, &good}, false);
  StreamX withRefused(1, 1, {&good, &refused}, false), withPlain(1, 1, {&plain}, false);
  StreamX nested(1, 1, {&allGood, &withLossy}, false);
  std::vector<const XelMathFunctionGeneral*> seven(7, &good);
  StreamX wide(1, 1, seven, false), liar(1, 1, seven, false);
  liar.lieOnSecondCall = true;
  seven[6] = &refused;
  StreamX wideRefused(1, 1, seven, false);
  // (function, answer, flag or -1): past five components the list is fetched again, must agree.
  const struct {
    const StreamX* f;
    int answer, flag;
  } cases[] = {{&good, 1, 1},        {&refused, 0, -1}, {&allGood, 1, 1},    {&withLossy, 1, 0},
               {&withRefused, 0, -1}, {&withPlain, 0, -1}, {&nested, 1, 0}, {&wide, 1, 1},
               {&wideRefused, 0, -1}, {&liar, 0, -1}};
  for (const auto& c : cases) {
    EXPECT_EQ(c.f->IsStreamable(1012, flag), c.answer) << (&c - cases);
    EXPECT_TRUE(c.flag < 0 || flag == c.flag) << (&c - cases);
  }
  EXPECT_EQ(wide.calls, 2);
  const long before = XelQuornullCount();
  StreamX withNull(1, 1, {&good, nullptr}, false);
  EXPECT_EQ(withNull.IsStreamable(1012, flag), 0);
  EXPECT_EQ(XelQuornullCount(), before + 1);
}

TEST(FunctionContract, ToleranceLookupWalksDownTheTree) {
  // Wrappers pass the lookup to what they wrap; a combination gives the first tolerance found
  // among its components, in order; trigonometric functions and fractions give their own.
  ValuesX f(Sine);
  const XelTolerance model(50.0), other(2.0);
  ExpBasisX held(model), second(other);
  XelMathOppositeX opposite(&held), empty(nullptr);
  XelMathScaleFunctionX scaled(&opposite, 2.0, 3.0);
  const double c[3] = {1.0, -1.0, 2.0};
  const XelMathFunctionX* parts[3] = {&f, &scaled, &second}, *plain[2] = {&f, &f};
  XelMathCombinationX sum(3, parts, c, 0.5), none(2, plain, c, 0.0);
  XelMathTrigonometricX wave(1.0, 2.0, 0.0, 3.0, other);
  XelMathFractionX ratio(&f, &held, model);
  XelMathOppositeX negatedRatio(&ratio);
  const XelMathFunctionX* mixed[2] = {&f, &wave};
  XelMathCombinationX withWave(2, mixed, c, 0.0);
  const struct {
    const XelMathFunctionX* f;
    const XelTolerance* tol;
  } cases[] = {{nullptr, nullptr},  {&f, nullptr},      {&held, &model},   {&opposite, &model},
               {&scaled, &model},   {&sum, &model},     {&none, nullptr},  {&empty, nullptr},
               {&wave, &other},     {&withWave, &other}, {&negatedRatio, &model}};
  for (const auto& t : cases) {
    EXPECT_EQ(XelMathFunctionXFindTolerance(t.f), t.tol) << (&t - cases);
    EXPECT_EQ(&XelMathFunctionXGetTolerance(t.f), t.tol ? t.tol : &XelGetDefaultTolerance());
  }
}

TEST(FunctionContractRN, DefaultDerivativesMatchClosedFormsAndRestoreThePoint) {
  // Stencil values of magnitude m = 4 set the rounding. Gradient step 1e-6 (truncation at most
  // 1e-12); Hessian step 1e-4 (fourth derivatives vanish); third derivatives step 0.002. With
  // the exact gradient the Hessian differences it: only rounding eps |g| / h.
  const double m = 4.0, e2 = 4.0 * kEps * m / 1e-8;
  ValuesRN f(3, CubicRN), g(3, CubicRN, CubicGradient);
  for (const ValuesRN* h : {&f, &g}) {
    double x[3] = {0.1, 1.0 / 3.0, -0.7};
    const double saved[3] = {x[0], x[1], x[2]};
    for (long i = 0; i < 3; ++i) {
      EXPECT_NEAR(h->EvalFirstDeriv(i, x), CubicGradient(i, x), 1e-12 + 2.0 * kEps * m / 2e-6);
      for (long j = 0; j < 3; ++j)
        EXPECT_NEAR(h->EvalSecondDeriv(i, j, x), CubicHessian(i, j, x),
                    h == &f ? e2 : 2.0 * kEps * 8.0 / 2e-6)
            << i << j;
    }
    EXPECT_EQ(std::memcmp(x, saved, sizeof x), 0);
  }
  double x[3] = {0.1, 1.0 / 3.0, -0.7};
  EXPECT_NEAR(f.EvalThirdDeriv(2, 2, 2, x), -6.0, 2.0 * e2 / (2.0 * 0.002));
  EXPECT_NEAR(f.EvalThirdDeriv(0, 0, 1, x), 2.0, 2.0 * e2 / (2.0 * 0.002));
  EXPECT_NEAR(f.EvalThirdDeriv(1, 0, 2, x), 0.0, 2.0 * e2 / (2.0 * 0.002));
}

TEST(FunctionContractRN, MultiOutputAndIntervalDefaults) {
  ValuesRN f(3, CubicRN);
  double x[3] = {0.3, -0.2, 0.9};
  double v = 0.0, g[3], h[9];
  for (double& e : h)
    e = 1e300;
  f.Eval(x, 7, &v, g, h);
  EXPECT_EQ(v, f.Eval(x));
  for (long i = 0; i < 3; ++i) {
    EXPECT_EQ(g[i], f.EvalFirstDeriv(i, x));
    for (long j = 0; j < 3; ++j)
      EXPECT_EQ(h[i * 3 + j], f.EvalSecondDeriv(std::min(i, j), std::max(i, j), x)) << i << j;
  }
  double onlyG[3] = {7.0, 7.0, 7.0};
  v = -1.0;
  f.Eval(x, 2, &v, onlyG, static_cast<double*>(nullptr));
  EXPECT_EQ(v, -1.0);
  EXPECT_EQ(onlyG[1], f.EvalFirstDeriv(1, x));
  // Interval evaluations default to zero.
  const double bounds[6] = {-1.0, 1.0, 0.0, 2.0, 3.0, 4.0};
  const XelMathIntervalND box(3, bounds);
  for (const XelMathInterval& I : {f.Eval(box), f.EvalFirstDeriv(1, box),
                                   f.EvalSecondDeriv(0, 2, box), f.EvalThirdDeriv(2, 2, 1, box)})
    EXPECT_EQ(I, XelMathInterval(0.0, 0.0));
}
