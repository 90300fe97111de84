// The function contract: class names, default finite-difference derivatives, multi-output
// and grid evaluations, interval defaults and the monotonicity chain, guaranteed images,
// streamability of function trees, tolerance lookup, and the defaults of functions of N
// variables.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
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
#include "test_helpers.h"

namespace {

using namespace xeltest;

// ---- test functions -----------------------------------------------------------------------

// A function that overrides only what it must: its name, its value and its copy. Every
// point at which it is evaluated is recorded.
class ValueOnlyX : public XelMathFunctionX {
public:
  typedef double (*Formula)(double);
  explicit ValueOnlyX(Formula iF) : _f(iF) {}
  const char* IsA() const override { return "ValueOnlyX"; }
  unsigned char IsAKindOf(const char* iName) const override {
    if (iName && std::strcmp(iName, "ValueOnlyX") == 0)
      return 1;
    return XelMathFunctionX::IsAKindOf(iName);
  }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    points.push_back(x);
    return _f(x);
  }
  XelMathFunctionX* Duplicate() const override { return new ValueOnlyX(_f); }
  mutable std::vector<double> points;

private:
  Formula _f;
};

double Sine(double x) {
  return std::sin(x);
}
double Exponential(double x) {
  return std::exp(x);
}
double Rational(double x) {
  return (1.0 + x) / (2.0 + x);
}
double Constant(double) {
  return 2.75;
}
double Cubic(double x) {
  return ((0.5 * x - 1.0) * x + 2.0) * x - 3.0;
}

// sin with an exact first derivative, offered through IsOption(2).
class SineWithDerivX : public XelMathFunctionX {
public:
  const char* IsA() const override { return "SineWithDerivX"; }
  unsigned char IsOption(const long iOption) const override { return (iOption & ~2L) == 0; }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  double Eval(const double& x) const override { return std::sin(x); }
  double EvalFirstDeriv(const double& x) const override {
    derivPoints.push_back(x);
    return std::cos(x);
  }
  XelMathFunctionX* Duplicate() const override { return new SineWithDerivX; }
  mutable std::vector<double> derivPoints;
};

// Fixed interval images of the derivatives, to drive the monotonicity chain; point values
// of a known increasing function x^3 + x.
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
  mutable int imageCalls = 0;
  mutable int derivImageCalls = 0;

private:
  XelMathInterval _d1, _d2;
};

// The Runge function 1/(1 + 25 x^2), whose Chebyshev series needs far more than 16 terms on
// [-1, 1]; it offers exact interval images (it is monotone on each side of 0).
class RungeX : public XelMathFunctionX {
public:
  const char* IsA() const override { return "RungeX"; }
  unsigned char IsOption(const long iOption) const override { return (iOption & ~17L) == 0; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return 1.0 / (1.0 + 25.0 * x * x); }
  XelMathInterval Eval(const XelMathInterval& iI) const override {
    const double a = Eval(iI.low), b = Eval(iI.high);
    const double top = (iI.low <= 0.0 && iI.high >= 0.0) ? 1.0 : std::max(a, b);
    return XelMathInterval(std::min(a, b), top);
  }
  XelMathFunctionX* Duplicate() const override { return new RungeX; }
};

// The Runge function without interval images: its image needs the global extremum search.
// The searches are answered here, and the options they receive are recorded.
class SearchedX : public XelMathFunctionX {
public:
  const char* IsA() const override { return "SearchedX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return 1.0 / (1.0 + 25.0 * x * x); }
  XelMathFunctionX* Duplicate() const override { return new SearchedX; }
  int Minimize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMinima,
               const XelMathAttrList* iAttributes) const override {
    Record(iDomain, oMinima, iAttributes);
    const double x = 1.0;
    oMinima.AddPoint(&x);
    return 0;
  }
  int Maximize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMaxima,
               const XelMathAttrList* iAttributes) const override {
    Record(iDomain, oMaxima, iAttributes);
    const double x = 0.0;
    oMaxima.AddPoint(&x);
    return 0;
  }
  void Record(const XelMathInterval& iDomain, const XelMathSetOfPointsND& iSet,
              const XelMathAttrList* iAttributes) const {
    ++searches;
    domain = iDomain;
    dimension = iSet.GetDimension();
    absolute = iAttributes && iAttributes->GetAttribute("AbsoluteExtremum");
    const XelMathAttribute* t = iAttributes ? iAttributes->GetAttribute("XelMathAttrTolObject") : 0;
    tolerance = t ? &static_cast<const XelMathAttrTolObject*>(t)->GetTolObject() : nullptr;
    const XelMathAttribute* o =
        iAttributes ? iAttributes->GetAttribute("XelMathAttrScaleOption") : 0;
    powerF = powerX = -99;
    reviewed = -1;
    if (o) {
      const XelMathAttrScaleOption* option = static_cast<const XelMathAttrScaleOption*>(o);
      long n = 0;
      powerF = option->GetPowerScaleF(n)[0];
      powerX = option->GetPowerScaleX(n)[0];
      reviewed = option->GetOKReviewed();
    }
  }
  mutable int searches = 0;
  mutable XelMathInterval domain;
  mutable long dimension = 0;
  mutable bool absolute = false;
  mutable const XelTolerance* tolerance = nullptr;
  mutable long powerF = 0, powerX = 0, reviewed = 0;
};

// A caller's function built on the basis class: exp(x), with the model's tolerance and,
// optionally, the powers of the scale in which it is expressed.
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

// Raises from its evaluation (a caller's function in trouble).
class RaisingX : public XelMathFunctionX {
public:
  const char* IsA() const override { return "RaisingX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double&) const override {
    void* value = nullptr;
    long status = 0;
    sawOption = XelFedEx::Get(_XelR19QuorMail, 5, this, value, status) != 0;
    XelMathRaise(0x20006, "a test value", "raised on purpose", "RaisingX::Eval");
  }
  XelMathFunctionX* Duplicate() const override { return new RaisingX; }
  mutable bool sawOption = false;
};

// Functions that say which version can store them, for the streamability walk.
class StreamLeafX : public ValueOnlyX {
public:
  StreamLeafX(unsigned char iAnswer, unsigned char iFlag)
      : ValueOnlyX(Sine), _answer(iAnswer), _flag(iFlag) {}
  int GetDirectComponents(const int, const XelMathFunctionGeneral**) const override { return 0; }
  unsigned char _IsStreamable(const XelQuorStreamVersion, unsigned char& oFlag) const override {
    oFlag = _flag;
    return _answer;
  }

private:
  unsigned char _answer, _flag;
};

class StreamNodeX : public ValueOnlyX {
public:
  explicit StreamNodeX(std::vector<const XelMathFunctionGeneral*> iComponents)
      : ValueOnlyX(Sine), components(std::move(iComponents)) {}
  int GetDirectComponents(const int iSize, const XelMathFunctionGeneral** oC) const override {
    ++calls;
    const int n = static_cast<int>(components.size());
    for (int i = 0; i < n && i < iSize; ++i)
      oC[i] = components[i];
    return (calls > 1 && lieOnSecondCall) ? n - 1 : n;
  }
  unsigned char _IsStreamable(const XelQuorStreamVersion, unsigned char& oFlag) const override {
    oFlag = 1;
    return 1;
  }
  std::vector<const XelMathFunctionGeneral*> components;
  bool lieOnSecondCall = false;
  mutable int calls = 0;
};

// f(x, y, z) = x^2 y + 3 y z - z^3 + 2 x, with its closed-form derivatives.
class CubicRN : public XelMathFunctionRN {
public:
  CubicRN() : XelMathFunctionRN(3) {}
  const char* IsA() const override { return "CubicRN"; }
  using XelMathFunctionRN::Eval;
  double Eval(const double* x) const override {
    return x[0] * x[0] * x[1] + 3.0 * x[1] * x[2] - x[2] * x[2] * x[2] + 2.0 * x[0];
  }
  XelMathFunctionRN* Duplicate() const override { return new CubicRN; }

  static void Gradient(const double* x, double* g) {
    g[0] = 2.0 * x[0] * x[1] + 2.0;
    g[1] = x[0] * x[0] + 3.0 * x[2];
    g[2] = 3.0 * x[1] - 3.0 * x[2] * x[2];
  }
  static void Hessian(const double* x, double* h) {
    const double v[9] = {2.0 * x[1], 2.0 * x[0], 0.0, 2.0 * x[0], 0.0, 3.0, 0.0, 3.0, -6.0 * x[2]};
    for (int k = 0; k < 9; ++k)
      h[k] = v[k];
  }
};

// The same function with its exact gradient offered through IsOption(2).
class CubicWithGradientRN : public CubicRN {
public:
  unsigned char IsOption(const long iOption) const override { return (iOption & ~3L) == 0; }
  using XelMathFunctionRN::EvalFirstDeriv;
  double EvalFirstDeriv(const long& i, const double* x) const override {
    double g[3];
    Gradient(x, g);
    return g[i];
  }
  XelMathFunctionRN* Duplicate() const override { return new CubicWithGradientRN; }
};

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

// ==== class names ========================================================================
TEST(FunctionContract, RootDefaultsNamesAndOperationsWithoutOverride) {
  ValueOnlyX f(Sine);
  CubicRN g;
  const std::string copy = "XelMathFunctionGeneral"; // same text, another pointer
  for (const char* name : {"ValueOnlyX", "XelMathFunctionX", copy.c_str()})
    EXPECT_TRUE(f.IsAKindOf(name)) << name;
  for (const char* name : {"XelMathFunctionRN", "XelMathFunctionXY", "YelMathFunctionX", ""})
    EXPECT_FALSE(f.IsAKindOf(name)) << name;
  EXPECT_TRUE(g.IsAKindOf("XelMathFunctionRN") && g.IsAKindOf("XelMathFunctionGeneral"));
  EXPECT_FALSE(g.IsAKindOf("XelMathFunctionX"));
  const long before = XelQuornullCount();
  EXPECT_FALSE(f.IsAKindOf(nullptr));
  EXPECT_FALSE(g.IsAKindOf(nullptr));
  EXPECT_EQ(XelQuornullCount(), before + 2);
  for (long o = 0; o < 256; ++o)
    EXPECT_FALSE(f.IsOption(o)) << o;
  EXPECT_TRUE(f.IsATypeOf(0));
  for (long t : {10L, 20L, 30L, 50L, 94L, 96L})
    EXPECT_FALSE(f.IsATypeOf(t));
  EXPECT_EQ(f.GetNumberOfVariables(), 1);
  EXPECT_EQ(f.GetDirectComponents(0, nullptr), -1);
  EXPECT_EQ(f.GetChebyshevConfidenceParametre(), 1e-4);
  const XelMathFunctionX* parts[1] = {&f};
  const double c[1] = {2.0};
  EXPECT_EQ(f.FormalCombination(1, parts, c, 1.0), nullptr);
  unsigned char flag = 7;
  EXPECT_EQ(f._IsStreamable(1012, flag), 0);
  EXPECT_EQ(flag, 0);
  ExpectInputError([&] { delete f.DeepDuplicate(); }, 0x20009, {"DeepDuplicate", " "});
  ExpectInputError([&] { f.GetStreamType(); }, 0x20009, {"GetStreamType", " "});
  try {
    delete f.DeepDuplicate();
  } catch (const XelMathInputError& e) {
    EXPECT_EQ(e.GetNumberOfParameters(), 2);
    EXPECT_NE(std::string(e.GetSourceFile()).find("XelMathFunctionX"), std::string::npos);
  }
  try {
    f.GetStreamType();
  } catch (const XelMathInputError& e) {
    EXPECT_NE(std::string(e.GetSourceFile()).find("XelMathFunctionStr"), std::string::npos);
  }
}

// ==== point evaluations ==================================================================
TEST(FunctionContract, DefaultFirstDerivativeIsACentredDifferenceWithStepH1) {
  ValueOnlyX f(Sine);
  const double x = 0.7;
  const double d = f.EvalFirstDeriv(x);
  ASSERT_EQ(f.points.size(), 2u);
  EXPECT_EQ(f.points[0], x + XelMathh1);
  EXPECT_EQ(f.points[1], x - XelMathh1);
  // Truncation h^2/6 max|f'''| plus the rounding of the two values divided by 2h.
  const double bound = XelMathh1 * XelMathh1 / 6.0 + 2.0 * kEps / (2.0 * XelMathh1);
  EXPECT_NEAR(d, std::cos(x), bound);
}

TEST(FunctionContract, DefaultDerivativesMatchClosedFormsWithinTruncationBounds) {
  // f = exp on points of [-1, 2]: every derivative is exp, bounded by e^2.1 near the points.
  ValueOnlyX f(Exponential);
  for (double x : {-1.0, -0.3, 0.0, 0.45, 1.2, 2.0}) {
    const double m = std::exp(x + 0.01); // bounds |f^(k)| on the stencils used
    const double e1 = XelMathh1 * XelMathh1 / 6.0 * m + 2.0 * kEps * m / (2.0 * XelMathh1);
    const double e2 = XelMathh2 * XelMathh2 / 12.0 * m + 4.0 * kEps * m / (XelMathh2 * XelMathh2);
    // The third derivative differences two second derivatives, each within e2.
    const double e3 = XelMathh3 * XelMathh3 / 6.0 * m + 2.0 * e2 / (2.0 * XelMathh3);
    EXPECT_NEAR(f.EvalFirstDeriv(x), std::exp(x), e1) << x;
    EXPECT_NEAR(f.EvalSecondDeriv(x), std::exp(x), e2) << x;
    EXPECT_NEAR(f.EvalThirdDeriv(x), std::exp(x), e3) << x;
  }
  // A cubic: the centred differences are exact up to their constant truncation terms.
  ValueOnlyX p(Cubic); // 0.5 x^3 - x^2 + 2 x - 3: f''' = 3, f'''' = 0
  for (double x : {-2.0, 0.25, 3.0}) {
    const double m = 0.5 * std::pow(std::fabs(x) + 1.0, 3) + std::pow(std::fabs(x) + 1.0, 2) +
                     2.0 * (std::fabs(x) + 1.0) + 3.0;
    EXPECT_NEAR(p.EvalFirstDeriv(x), 1.5 * x * x - 2.0 * x + 2.0 + XelMathh1 * XelMathh1 * 0.5,
                4.0 * kEps * m / XelMathh1);
    EXPECT_NEAR(p.EvalSecondDeriv(x), 3.0 * x - 2.0, 8.0 * kEps * m / (XelMathh2 * XelMathh2));
    EXPECT_NEAR(p.EvalThirdDeriv(x), 3.0, 16.0 * kEps * m / (XelMathh2 * XelMathh2 * XelMathh3));
  }
}

TEST(FunctionContract, SecondDerivativeUsesTheExactFirstDerivativeWhenOffered) {
  SineWithDerivX f;
  const double x = 1.1;
  const double d2 = f.EvalSecondDeriv(x);
  ASSERT_EQ(f.derivPoints.size(), 2u);
  EXPECT_EQ(f.derivPoints[0], x + XelMathh1);
  EXPECT_EQ(f.derivPoints[1], x - XelMathh1);
  EXPECT_NEAR(d2, -std::sin(x), XelMathh1 * XelMathh1 / 6.0 + 2.0 * kEps / (2.0 * XelMathh1));
  // The third derivative differences those second derivatives with step h3.
  const double e2 = XelMathh1 * XelMathh1 / 6.0 + 2.0 * kEps / (2.0 * XelMathh1);
  EXPECT_NEAR(f.EvalThirdDeriv(x), -std::cos(x),
              XelMathh3 * XelMathh3 / 6.0 + 2.0 * e2 / (2.0 * XelMathh3));
}

TEST(FunctionContract, MultiOutputAndGridEvaluationsWriteOnlyWhatIsAsked) {
  ValueOnlyX f(Sine);
  const double x = -0.4, sentinel = 12345.0;
  double v = sentinel, d1 = sentinel, d2 = sentinel;
  f.Eval(x, 7, &v, &d1, &d2);
  EXPECT_TRUE(v == f.Eval(x) && d1 == f.EvalFirstDeriv(x) && d2 == f.EvalSecondDeriv(x));
  v = d1 = d2 = sentinel;
  f.Eval(x, 2, &v, &d1, &d2);
  EXPECT_TRUE(v == sentinel && d1 == f.EvalFirstDeriv(x) && d2 == sentinel);
  f.Eval(x, 7, nullptr, nullptr, nullptr); // null outputs are skipped
  // A grid of one point evaluates the low end only.
  ValueOnlyX e(Exponential);
  double one[2] = {-1.0, -1.0};
  e.Eval(XelMathInterval(0.3, 0.9), 1, 1, one, nullptr, nullptr);
  EXPECT_EQ(e.points, std::vector<double>({0.3}));
  EXPECT_TRUE(one[0] == std::exp(0.3) && one[1] == -1.0);
  // Five points: repeated addition of the step, then exactly the high end.
  const XelMathInterval I(0.1, 0.7);
  double values[6], derivs[6];
  for (int k = 0; k < 6; ++k)
    values[k] = derivs[k] = 99.0;
  f.points.clear();
  f.Eval(I, 5, 3, values, derivs, nullptr);
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

// ==== interval evaluations ===============================================================
TEST(FunctionContract, IntervalChainUsesThePointValuesOfAMonotoneFunction) {
  const XelMathInterval I(-0.5, 1.5), any(-100.0, 100.0);
  const ChainX sample{XelMathInterval(), XelMathInterval()};
  const XelMathInterval up(sample.Eval(I.low), sample.Eval(I.high));
  const XelMathInterval slopeUp(sample.EvalFirstDeriv(I.low), sample.EvalFirstDeriv(I.high));
  const XelMathInterval down(up.high, up.low), slopeDown(slopeUp.high, slopeUp.low);
  // (image of f', image of f'', expected F, F1, value images asked, derivative images asked):
  // a derivative image of one sign gives F from the end values; one around 0 asks for the
  // value image; a second derivative of one sign gives F1 from two point derivatives.
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

// ==== guaranteed images ==================================================================
TEST(FunctionContract, ImageOfAConstantStopsAtFourTerms) {
  ValueOnlyX f(Constant);
  const XelMathInterval image =
      f.ComputeOptimalImage(XelMathInterval(-3.0, 5.0), XelGetDefaultTolerance());
  EXPECT_EQ(f.points.size(), 4u);
  EXPECT_NEAR(image.low, 2.75, 4.0 * kEps * 2.75);
  EXPECT_NEAR(image.high, 2.75, 4.0 * kEps * 2.75);
  EXPECT_LE(image.low, image.high);
}

TEST(FunctionContract, ImagesOfSmoothFunctionsEncloseDenseSamples) {
  const XelTolerance& tol = XelGetDefaultTolerance();
  struct Case {
    ValueOnlyX::Formula f;
    XelMathInterval I;
  } cases[] = {{Exponential, {0.0, 1.0}}, {Exponential, {-2.0, 3.0}}, {Sine, {-2.0, 3.0}},
               {Sine, {0.1, 0.2}},        {Rational, {-1.0, 1.0}},    {Cubic, {-1.0, 4.0}}};
  for (const Case& c : cases) {
    ValueOnlyX f(c.f);
    const XelMathInterval image = f.ComputeOptimalImage(c.I, tol);
    const XelMathInterval seen = Sampled(f, c.I);
    // Slack: rounding of the coefficients, a few ulps of the largest value.
    const double slack = 64.0 * kEps * std::max(std::fabs(seen.low), std::fabs(seen.high));
    EXPECT_LE(image.low, seen.low + slack) << c.I.low << " " << c.I.high;
    EXPECT_GE(image.high, seen.high - slack) << c.I.low << " " << c.I.high;
    // The bound sums absolute coefficients: it may overshoot, but not grossly.
    EXPECT_LE(image.high - image.low, 3.0 * (seen.high - seen.low) + slack);
  }
}

TEST(FunctionContract, ImageFallsBackOnIntervalBisection) {
  // 16 terms do not resolve the Runge function on [-1, 1]; its own interval images do.
  RungeX f;
  const XelMathInterval I(-1.0, 1.0);
  XelMathInterval cheb;
  EXPECT_EQ(f.ComputeImageByChebyshev(I, cheb, XelGetDefaultTolerance()), 0);
  const XelMathInterval image = f.ComputeOptimalImage(I, XelGetDefaultTolerance());
  EXPECT_LE(image.low, 1.0 / 26.0);
  EXPECT_GE(image.high, 1.0);
  EXPECT_NEAR(image.low, 1.0 / 26.0, 1e-15);
  EXPECT_NEAR(image.high, 1.0, 1e-15);
}

TEST(FunctionContract, ImageFallsBackOnTheGlobalExtremumSearch) {
  SearchedX f;
  const XelMathInterval I(-1.0, 1.0);
  const XelTolerance& tol = XelGetDefaultTolerance();
  const XelMathInterval image = f.ComputeOptimalImage(I, tol);
  EXPECT_EQ(f.searches, 2);
  EXPECT_EQ(f.domain, I);
  EXPECT_EQ(f.dimension, 1);
  EXPECT_TRUE(f.absolute);
  EXPECT_EQ(f.tolerance, &tol);
  EXPECT_EQ(f.powerF, 2);
  EXPECT_EQ(f.powerX, 1);
  EXPECT_EQ(f.reviewed, 0);
  EXPECT_EQ(image, XelMathInterval(f.Eval(1.0), f.Eval(0.0)));

  // A reviewed option filed with the function marks the searches' option reviewed.
  XelMathAttrScaleOption option(1, 1);
  option.SetOKReviewed(1);
  ComputeOptimalImage(&f, I, tol, &option, 0);
  EXPECT_EQ(f.reviewed, 1);
}

TEST(FunctionContract, UnreviewedControlAlsoRunsTheSearchAfterAConvergedSeries) {
  struct SmoothSearched : SearchedX {
    using XelMathFunctionX::Eval;
    double Eval(const double& x) const override { return std::sin(x); }
  } f;
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

TEST(FunctionContract, ScaleOptionWithTwoFunctionPowersRaises) {
  ValueOnlyX f(Sine);
  const long powersF[2] = {1, 2}, powersX[1] = {1};
  XelMathAttrScaleOption option(2, powersF, 1, powersX, 0, nullptr);
  const long filings = _XelR19QuorMail.GetNumberOfFilings();
  ExpectInputError(
      [&] {
        ComputeOptimalImage(&f, XelMathInterval(0.0, 1.0), XelGetDefaultTolerance(), &option, 0);
      },
      0x20006,
      {"the XelMathAttrScaleOption", "wrong dimension", "XelMathFunctionX::ComputeOptimalImage"});
  EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings);
}

TEST(FunctionContract, MailboxIsCleanedWhenTheEvaluationRaises) {
  RaisingX f;
  XelMathAttrScaleOption option(1, 1);
  const long filings = _XelR19QuorMail.GetNumberOfFilings();
  for (int forceBase : {0, 1}) {
    f.sawOption = false;
    EXPECT_THROW(ComputeOptimalImage(&f, XelMathInterval(0.0, 1.0), XelGetDefaultTolerance(),
                                     &option, forceBase),
                 XelMathInputError);
    EXPECT_TRUE(f.sawOption); // filed under the function while it ran
    EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings);
  }
  // Without an option nothing is filed, and an outer filing for the same key survives.
  XelMathAttrScaleOption outer(1, 1);
  XelFedEx::Put(_XelR19QuorMail, 5, &f, &outer);
  EXPECT_THROW(
      ComputeOptimalImage(&f, XelMathInterval(0.0, 1.0), XelGetDefaultTolerance(), nullptr, 0),
      XelMathInputError);
  EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings + 1);
  XelFedEx::UnstackUntil(_XelR19QuorMail, 5, &f);
  EXPECT_EQ(_XelR19QuorMail.GetNumberOfFilings(), filings);
}

TEST(FunctionContract, ImageWorkObjectsAreReleasedEvenOnError) {
  const XelTolerance tol(1000.0);
  const XelMathInterval I(-1.0, 1.0);
  const long live = XelQuorGetMemoryCounters().liveBlocks;
  XelMathAttrScaleOption option(0, 2);
  SearchedX searched; // rescaled copy, combination s g, point sets and option lists
  ComputeOptimalImage(&searched, I, tol, &option, 1);
  RaisingX raising;
  EXPECT_THROW(ComputeOptimalImage(&raising, I, tol, &option, 0), XelMathInputError);
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, live);
}

TEST(FunctionContract, FreeImageOfANullFunctionIsReported) {
  const long before = XelQuornullCount();
  EXPECT_EQ(
      ComputeOptimalImage(nullptr, XelMathInterval(0.0, 1.0), XelGetDefaultTolerance(), nullptr, 1),
      XelMathInterval(0.0, 0.0));
  EXPECT_EQ(XelQuornullCount(), before + 1);
}

TEST(FunctionContract, ScaledImagesEncloseTheUnscaledSamples) {
  // A model at scale 1000 whose function values scale as S^pF and variable as S^pX: the image
  // is computed on a rescaled copy and brought back; a basis function brings its own option.
  const XelTolerance tol(1000.0);
  const XelMathInterval I(-0.5, 1.5);
  ValueOnlyX f(Exponential);
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

// ==== streamability ======================================================================
TEST(FunctionContract, StreamabilityWalksTheWholeTree) {
  unsigned char flag = 9;
  ValueOnlyX plain(Sine);
  EXPECT_EQ(plain.IsStreamable(1012, flag), 0); // no component list
  EXPECT_EQ(flag, 9);

  StreamLeafX good(1, 1), lossy(1, 0), refused(0, 1);
  EXPECT_EQ(good.IsStreamable(1012, flag), 1);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(refused.IsStreamable(1012, flag), 0);

  StreamNodeX allGood({&good, &good});
  EXPECT_EQ(allGood.IsStreamable(1012, flag), 1);
  EXPECT_EQ(flag, 1);
  StreamNodeX withLossy({&good, &lossy, &good});
  EXPECT_EQ(withLossy.IsStreamable(1012, flag), 1);
  EXPECT_EQ(flag, 0);
  StreamNodeX withRefused({&good, &refused});
  EXPECT_EQ(withRefused.IsStreamable(1012, flag), 0);
  StreamNodeX withPlain({&plain});
  EXPECT_EQ(withPlain.IsStreamable(1012, flag), 0);
  StreamNodeX nested({&allGood, &withLossy});
  EXPECT_EQ(nested.IsStreamable(1012, flag), 1);
  EXPECT_EQ(flag, 0);

  const long before = XelQuornullCount();
  StreamNodeX withNull({&good, nullptr});
  EXPECT_EQ(withNull.IsStreamable(1012, flag), 0);
  EXPECT_EQ(XelQuornullCount(), before + 1);

  // Beyond five components the list is fetched again, and must agree.
  std::vector<const XelMathFunctionGeneral*> seven(7, &good);
  StreamNodeX wide(seven);
  EXPECT_EQ(wide.IsStreamable(1012, flag), 1);
  EXPECT_EQ(wide.calls, 2);
  seven[6] = &refused;
  StreamNodeX wideRefused(seven);
  EXPECT_EQ(wideRefused.IsStreamable(1012, flag), 0);
  StreamNodeX liar(std::vector<const XelMathFunctionGeneral*>(7, &good));
  liar.lieOnSecondCall = true;
  EXPECT_EQ(liar.IsStreamable(1012, flag), 0);
  EXPECT_EQ(XelQuornullCount(), before + 2);
}

// ==== tolerance lookup ===================================================================
TEST(FunctionContract, ToleranceLookupWalksDownTheTree) {
  ValueOnlyX f(Sine);
  EXPECT_EQ(XelMathFunctionXFindTolerance(nullptr), nullptr);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&f), nullptr);
  EXPECT_EQ(&XelMathFunctionXGetTolerance(&f), &XelGetDefaultTolerance());
  EXPECT_EQ(&XelMathFunctionXGetTolerance(nullptr), &XelGetDefaultTolerance());

  const XelTolerance model(50.0), other(2.0);
  ExpBasisX held(model), second(other);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&held), &model);
  XelMathOppositeX opposite(&held);
  XelMathScaleFunctionX scaled(&opposite, 2.0, 3.0);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&opposite), &model);
  EXPECT_EQ(&XelMathFunctionXGetTolerance(&scaled), &model);
  // A combination gives the first tolerance found among its components, in order.
  const XelMathFunctionX* parts[3] = {&f, &scaled, &second};
  const double c[3] = {1.0, -1.0, 2.0};
  XelMathCombinationX sum(3, parts, c, 0.5);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&sum), &model);
  const XelMathFunctionX* plain[2] = {&f, &f};
  XelMathCombinationX none(2, plain, c, 0.0);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&none), nullptr);
  XelMathOppositeX empty(nullptr);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&empty), nullptr);

  // Trigonometric functions and fractions give the tolerance they were built with.
  XelMathTrigonometricX wave(1.0, 2.0, 0.0, 3.0, other);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&wave), &other);
  XelMathFractionX ratio(&f, &held, model);
  XelMathOppositeX negatedRatio(&ratio);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&negatedRatio), &model);
  const XelMathFunctionX* mixed[2] = {&f, &wave};
  XelMathCombinationX withWave(2, mixed, c, 0.0);
  EXPECT_EQ(XelMathFunctionXFindTolerance(&withWave), &other);
}

// ==== functions of N variables ===========================================================
TEST(FunctionContractRN, DefaultDerivativesMatchClosedFormsAndRestoreThePoint) {
  CubicRN f;
  EXPECT_EQ(f.GetNumberOfVariables(), 3);
  EXPECT_EQ(f.GetDirectComponents(0, nullptr), -1);
  double x[3] = {0.1, 1.0 / 3.0, -0.7};
  const double saved[3] = {x[0], x[1], x[2]};
  double g[3], h[9];
  CubicRN::Gradient(x, g);
  CubicRN::Hessian(x, h);
  // Magnitude of the values on the stencils: the scale of their rounding errors.
  const double m = 4.0;
  for (long i = 0; i < 3; ++i) {
    // Step 1e-6: the cubic term gives a truncation of h^2 |f'''| / 6 at most 1e-12.
    EXPECT_NEAR(f.EvalFirstDeriv(i, x), g[i], 1e-12 + 2.0 * kEps * m / 2e-6) << i;
    for (long j = 0; j < 3; ++j) {
      // Step 1e-4: the fourth derivatives vanish; rounding is at most 4 eps m / h^2.
      EXPECT_NEAR(f.EvalSecondDeriv(i, j, x), h[i * 3 + j], 4.0 * kEps * m / 1e-8) << i << j;
    }
  }
  const double e2 = 4.0 * kEps * m / 1e-8;
  EXPECT_NEAR(f.EvalThirdDeriv(2, 2, 2, x), -6.0, 2.0 * e2 / (2.0 * 0.002));
  EXPECT_NEAR(f.EvalThirdDeriv(0, 0, 1, x), 2.0, 2.0 * e2 / (2.0 * 0.002));
  EXPECT_NEAR(f.EvalThirdDeriv(1, 0, 2, x), 0.0, 2.0 * e2 / (2.0 * 0.002));
  EXPECT_EQ(std::memcmp(x, saved, sizeof x), 0);
}

TEST(FunctionContractRN, SecondDerivativesUseTheExactGradientWhenOffered) {
  CubicWithGradientRN f;
  double x[3] = {-1.25, 0.6, 2.0 / 7.0};
  const double saved[3] = {x[0], x[1], x[2]};
  double h[9];
  CubicRN::Hessian(x, h);
  // Differences of an exact gradient with step 1e-6: the gradient is quadratic, so only
  // rounding remains, eps |g| / h.
  const double bound = 2.0 * kEps * 8.0 / 2e-6;
  for (long i = 0; i < 3; ++i)
    for (long j = 0; j < 3; ++j)
      EXPECT_NEAR(f.EvalSecondDeriv(i, j, x), h[i * 3 + j], bound) << i << j;
  EXPECT_EQ(std::memcmp(x, saved, sizeof x), 0);
}

TEST(FunctionContractRN, MultiOutputFillsValueGradientAndFullHessian) {
  CubicRN f;
  double x[3] = {0.3, -0.2, 0.9};
  double v = 0.0, g[3], h[9];
  for (double& e : h)
    e = 1e300;
  f.Eval(x, 7, &v, g, h);
  EXPECT_EQ(v, f.Eval(x));
  for (long i = 0; i < 3; ++i) {
    EXPECT_EQ(g[i], f.EvalFirstDeriv(i, x));
    for (long j = 0; j < 3; ++j) {
      const long a = std::min(i, j), b = std::max(i, j);
      EXPECT_EQ(h[i * 3 + j], f.EvalSecondDeriv(a, b, x)) << i << j;
    }
  }
  double onlyG[3] = {7.0, 7.0, 7.0};
  v = -1.0;
  f.Eval(x, 2, &v, onlyG, static_cast<double*>(nullptr));
  EXPECT_EQ(v, -1.0);
  EXPECT_EQ(onlyG[1], f.EvalFirstDeriv(1, x));
}

TEST(FunctionContractRN, IntervalEvaluationsDefaultToZeroAndDeepDuplicateIsACopy) {
  CubicRN f;
  const double bounds[6] = {-1.0, 1.0, 0.0, 2.0, 3.0, 4.0};
  const XelMathIntervalND box(3, bounds);
  const XelMathInterval zero(0.0, 0.0);
  EXPECT_EQ(f.Eval(box), zero);
  EXPECT_EQ(f.EvalFirstDeriv(1, box), zero);
  EXPECT_EQ(f.EvalSecondDeriv(0, 2, box), zero);
  EXPECT_EQ(f.EvalThirdDeriv(2, 2, 1, box), zero);
  EXPECT_FALSE(f.IsOption(16));
  std::unique_ptr<XelMathFunctionRN> copy(f.DeepDuplicate());
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy->IsA(), "CubicRN");
  const double x[3] = {1.0, 2.0, 3.0};
  EXPECT_EQ(copy->Eval(x), f.Eval(x));
}

