// Root finding of one-variable functions: the interval Newton and sampling strategies on
// functions with known roots (simple, multiple, clustered, at the ends of the domain), the
// polynomial path (multiple roots, Wilkinson-like and random polynomials up to degree 30),
// the trigonometric path, the options of Solve, misuse, and functions that return NaN.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathConstraint.h"
#include "XelMathFunctionX.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfLongs.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

const double kUnit = 0.5 * std::numeric_limits<double>::epsilon();
// The solver's default root acceptance width: 1000 root resolutions of the default tolerance.
const double kEpsRoot = 1000.0 * XelGetDefaultTolerance().GetRootResolution();
// Two roots closer than this are one (point resolution, unit scale).
const double kPointRes = XelGetDefaultTolerance().GetPointResolution();

// ---- test functions -----------------------------------------------------------------------

// lead * prod (x - r_i)^m_i with exact derivatives from the expanded coefficients (computed in
// long double), and, when asked, interval images of the value and first derivative from
// the factored form. Counts its point evaluations.
class FactoredPolynomial : public XelMathFunctionX {
public:
  FactoredPolynomial(const std::vector<double>& iRoots, const std::vector<int>& iMult, double iLead,
                     bool iIntervals)
      : _roots(iRoots), _mult(iMult), _lead(iLead), _intervals(iIntervals) {
    std::vector<double> all;
    for (std::size_t i = 0; i < iRoots.size(); ++i)
      all.insert(all.end(), iMult[i], iRoots[i]);
    _c = ExpandRoots(all, iLead);
  }
  const char* IsA() const override { return "FactoredPolynomial"; }
  unsigned char IsOption(const long o) const override {
    const long mask = 1 | 2 | 4 | 8 | (_intervals ? 16 | 32 : 0);
    return (o & ~mask) == 0;
  }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override { return Horner(x, 0); }
  double EvalFirstDeriv(const double& x) const override { return Horner(x, 1); }
  double EvalSecondDeriv(const double& x) const override { return Horner(x, 2); }
  double EvalThirdDeriv(const double& x) const override { return Horner(x, 3); }
  XelMathInterval Eval(const XelMathInterval& I) const override {
    XelMathInterval r(_lead, _lead);
    for (std::size_t i = 0; i < _roots.size(); ++i)
      r = IMul(r, IPower(XelMathInterval(I.low - _roots[i], I.high - _roots[i]), _mult[i]));
    return r;
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    XelMathInterval sum(0.0, 0.0);
    for (std::size_t i = 0; i < _roots.size(); ++i) {
      const XelMathInterval shifted(I.low - _roots[i], I.high - _roots[i]);
      XelMathInterval term =
          IMul(XelMathInterval(_lead * _mult[i], _lead * _mult[i]), IPower(shifted, _mult[i] - 1));
      for (std::size_t j = 0; j < _roots.size(); ++j)
        if (j != i)
          term =
              IMul(term, IPower(XelMathInterval(I.low - _roots[j], I.high - _roots[j]), _mult[j]));
      sum = IAdd(sum, term);
    }
    return sum;
  }
  XelMathFunctionX* Duplicate() const override { return new FactoredPolynomial(*this); }

  const std::vector<double>& Coefficients() const { return _c; }
  // Attainable accuracy of a root r of multiplicity m: the rounding of the value,
  // u sum |c_k| |r|^k, against the first non-vanishing Taylor term |f^(m)(r)| / m! delta^m.
  double Accuracy(double r, int m) const {
    double size = 0.0;
    for (std::size_t k = _c.size(); k-- > 0;)
      size = size * std::fabs(r) + std::fabs(_c[k]);
    double taylor = Horner(r, m);
    for (int i = 2; i <= m; ++i)
      taylor /= i;
    return std::pow(64.0 * kUnit * size / std::fabs(taylor), 1.0 / m);
  }
  mutable long evaluations = 0;

private:
  double Horner(double x, int order) const {
    ++evaluations;
    const long n = static_cast<long>(_c.size()) - 1;
    double y = 0.0;
    for (long k = n; k >= order; --k) {
      double f = _c[k];
      for (int j = 0; j < order; ++j)
        f *= static_cast<double>(k - j);
      y = y * x + f;
    }
    return y;
  }
  std::vector<double> _roots;
  std::vector<int> _mult;
  double _lead;
  bool _intervals;
  std::vector<double> _c;
};

// sin(w x) with exact derivatives and, when asked, exact interval images of f and f'.
SineX Sine(double iOmega, bool iIntervals) {
  SineX f(iOmega, 0.0);
  f.offered = 1 | 2 | 4 | (iIntervals ? 16 | 32 : 0);
  return f;
}

// A function given by a plain formula with its derivatives; with iIntervalsClaimed it claims
// interval images but answers only the point values at their midpoints.
ClosedFormX Formula(double (*iF)(double), double (*iD)(double), double (*iD2)(double),
                    bool iIntervalsClaimed = false) {
  ClosedFormX::Image midpoint;
  if (iIntervalsClaimed)
    midpoint = [iF, iD](int k, const XelMathInterval& I) {
      const double v = (k == 0 ? iF : iD)(0.5 * (I.low + I.high));
      return XelMathInterval(v, v);
    };
  return ClosedFormX(iF, iD, iD2, midpoint);
}

double Zero(double) {
  return 0.0;
}
double NotANumber(double) {
  return std::numeric_limits<double>::quiet_NaN();
}
double SqrtShifted(double x) {
  return std::sqrt(x) - 0.5;
} // NaN below 0, root 0.25
double SqrtShiftedD(double x) {
  return 0.5 / std::sqrt(x);
}
double SqrtShiftedD2(double x) {
  return -0.25 / (x * std::sqrt(x));
}

// Solves iF on iDomain through RunOnPolynom with its expanded coefficients around iShift.
int SolvePolynomial(const FactoredPolynomial& iF, const XelMathInterval& iDomain, double iShift,
                    std::vector<double>& oRoots) {
  // Coefficients in the shifted variable t = x - iShift, by a Taylor shift in long double.
  std::vector<long double> c(iF.Coefficients().begin(), iF.Coefficients().end());
  const long n = static_cast<long>(c.size()) - 1;
  for (long i = 0; i < n; ++i)
    for (long j = n - 1; j >= i; --j)
      c[j] += static_cast<long double>(iShift) * c[j + 1];
  std::vector<double> shifted(c.begin(), c.end());
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(&iF, XelGetDefaultTolerance());
  solver.Initialize(iDomain, set);
  const int status = solver.RunOnPolynom(n, shifted.data(), iShift);
  oRoots = SortedPoints(set);
  return status;
}

// ---- general functions: both strategies -------------------------------------------------

TEST(SolveX, SineHasAllItsRootsOnBothStrategies) {
  // sin(50 x) on [0, 10]: the roots k pi / 50, k = 0..159.
  std::vector<double> truth;
  for (int k = 0; k * kPi / 50.0 <= 10.0; ++k)
    truth.push_back(k * kPi / 50.0);
  ASSERT_EQ(truth.size(), 160u);
  for (bool intervals : {true, false}) {
    const SineX f = Sine(50.0, intervals);
    XelMathSetOfPointsND set(1);
    // The sampling needs samples closer than half a period to see every sign change.
    XelMathSolveX solver(&f, XelGetDefaultTolerance());
    solver.SetSamplingValue(1000);
    EXPECT_EQ(solver.Run(XelMathInterval(0.0, 10.0), set), 0);
    SCOPED_TRACE(intervals ? "interval Newton" : "sampling");
    ExpectSameRoots(SortedPoints(set), truth, kEpsRoot);
  }
}

TEST(SolveX, MultipleRootsAreFoundOnce) {
  // (x - 1)^3 (x - 2)^2 (x + 0.5) on [-1, 3], and a double root between two samples.
  const FactoredPolynomial f({1.0, 2.0, -0.5}, {3, 2, 1}, 1.0, false);
  const FactoredPolynomial fi({1.0, 2.0, -0.5}, {3, 2, 1}, 1.0, true);
  const std::vector<double> truth = {-0.5, 1.0, 2.0};
  for (const FactoredPolynomial* p : {&f, &fi}) {
    XelMathSetOfPointsND set(1);
    XelMathSolveX solver(p, XelGetDefaultTolerance());
    solver.SetSamplingValue(40);
    solver.Run(XelMathInterval(-1.0, 3.0), set);
    std::vector<double> tol = {kEpsRoot, p->Accuracy(1.0, 3), p->Accuracy(2.0, 2)};
    for (double& t : tol)
      t = std::max(t, kEpsRoot);
    SCOPED_TRACE(p == &fi ? "interval Newton" : "sampling");
    ExpectSameRoots(SortedPoints(set), truth, tol);
  }
}

TEST(SolveX, DoubleRootBetweenSamplesOfTheSameSignIsFoundThroughTheDerivative) {
  // (x - 0.3)^2 (x + 2): positive at every sample of [-1, 1] but at the tangent.
  const FactoredPolynomial f({0.3, -2.0}, {2, 1}, 1.0, false);
  XelMathSetOfPointsND set(1);
  EXPECT_EQ(f.Solve(XelMathInterval(-1.0, 1.0), set, nullptr), 0);
  ExpectSameRoots(SortedPoints(set), {0.3}, std::max(kEpsRoot, f.Accuracy(0.3, 2)));
}

TEST(SolveX, ClusteredRootsAreSeparated) {
  // Two roots 5e-7 apart, far closer than the sampling step, and a third one.
  const double gap = 5e-7;
  for (bool intervals : {false, true}) {
    const FactoredPolynomial f({0.3, 0.3 + gap, -0.4}, {1, 1, 1}, 1.0, intervals);
    XelMathSetOfPointsND set(1);
    XelMathSolveX solver(&f, XelGetDefaultTolerance());
    solver.Run(XelMathInterval(-1.0, 1.0), set);
    SCOPED_TRACE(intervals ? "interval Newton" : "sampling");
    ExpectSameRoots(SortedPoints(set), {-0.4, 0.3, 0.3 + gap}, kEpsRoot);
  }
}

TEST(SolveX, RootsAtTheEndsOfTheDomainAreFoundOnce) {
  // x (x - 0.5) (x - 1) on [0, 1]: the ends are roots; with "CheckExtremities" too.
  XelMathAttrString check(AttrFunctionXCheckExtremities, 1);
  XelMathAttrList withCheck(&check);
  for (bool intervals : {false, true})
    for (const XelMathAttrList* list : {static_cast<const XelMathAttrList*>(nullptr),
                                        static_cast<const XelMathAttrList*>(&withCheck)}) {
      const FactoredPolynomial f({0.0, 0.5, 1.0}, {1, 1, 1}, 1.0, intervals);
      XelMathSetOfPointsND set(1);
      EXPECT_EQ(f.Solve(XelMathInterval(0.0, 1.0), set, list), 0);
      ExpectSameRoots(SortedPoints(set), {0.0, 0.5, 1.0}, kEpsRoot);
    }
}

TEST(SolveX, RootsOutsideTheDomainAreNotReturned) {
  const FactoredPolynomial f({-0.5, 0.25, 2.0}, {1, 1, 1}, 1.0, true);
  XelMathSetOfPointsND set(1);
  f.Solve(XelMathInterval(0.0, 1.0), set, nullptr);
  ExpectSameRoots(SortedPoints(set), {0.25}, kEpsRoot);
}

TEST(SolveX, NullFunctionReturnsStatusOne) {
  for (bool intervals : {false, true}) {
    const ClosedFormX zero = Formula(Zero, Zero, Zero, intervals);
    XelMathSetOfPointsND set(1);
    EXPECT_EQ(zero.Solve(XelMathInterval(-1.0, 2.0), set, nullptr), 1);
  }
  // Null within the absolute tolerance given by the caller.
  const FactoredPolynomial tiny({0.5}, {1}, 1e-9, false);
  XelMathAttrDoubleValue absolute(AttrFunctionXAbsoluteTolerance, 1e-8, 1);
  XelMathAttrList list(&absolute);
  XelMathSetOfPointsND set(1);
  EXPECT_EQ(tiny.Solve(XelMathInterval(0.0, 1.0), set, &list), 1);
}

TEST(SolveX, EmptyDomainReturnsStatusFour) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, true);
  const FactoredPolynomial g({0.5}, {1}, 1.0, false);
  XelMathSetOfPointsND set(1);
  EXPECT_EQ(f.Solve(XelMathInterval(1.0, 0.0), set, nullptr), 4);
  EXPECT_EQ(g.Solve(XelMathInterval(1.0, 0.0), set, nullptr), 4);
  EXPECT_EQ(set.GetNumberOfPoints(), 0);
}

TEST(SolveX, FunctionsReturningNaNEndWithoutHanging) {
  for (bool claimed : {false, true}) {
    const ClosedFormX nan = Formula(NotANumber, NotANumber, NotANumber, claimed);
    XelMathSetOfPointsND set(1);
    nan.Solve(XelMathInterval(-1.0, 1.0), set, nullptr);
    EXPECT_EQ(set.GetNumberOfPoints(), 0);
  }
  // NaN on half the domain: the root where the function is defined is still found.
  const ClosedFormX half = Formula(SqrtShifted, SqrtShiftedD, SqrtShiftedD2);
  XelMathSetOfPointsND set(1);
  half.Solve(XelMathInterval(-1.0, 1.0), set, nullptr);
  ExpectSameRoots(SortedPoints(set), {0.25}, kEpsRoot);
}

// Functions with poles, jumps or NaN parts: 1/x, tan x and log x, with interval images of f
// and f' (infinite across a pole) or without. A pole is a sign change whose values grow
// towards it; a point where f is NaN or infinite is no root either.
ClosedFormX Singular(int iKind, bool iIntervals) {
  const double inf = std::numeric_limits<double>::infinity();
  ClosedFormX::Scalar f, d, d2;
  ClosedFormX::Image image;
  if (iKind == 0) {
    f = [](double x) { return 1.0 / x; };
    d = [](double x) { return -1.0 / (x * x); };
    d2 = [](double x) { return 2.0 / (x * x * x); };
    image = [inf](int k, const XelMathInterval& I) {
      if (I.low <= 0.0 && I.high >= 0.0)
        return k == 0 ? XelMathInterval(-inf, inf)
                      : XelMathInterval(-inf, -1.0 / std::fmax(I.low * I.low, I.high * I.high));
      const double lo2 = I.low * I.low, hi2 = I.high * I.high;
      return k == 0 ? XelMathInterval(1.0 / I.high, 1.0 / I.low)
                    : XelMathInterval(-1.0 / std::fmin(lo2, hi2), -1.0 / std::fmax(lo2, hi2));
    };
  } else if (iKind == 1) {
    f = [](double x) { return std::tan(x); };
    d = [](double x) { return 1.0 + std::tan(x) * std::tan(x); };
    d2 = [](double x) { return 2.0 * std::tan(x) * (1.0 + std::tan(x) * std::tan(x)); };
    image = [inf](int k, const XelMathInterval& I) {
      // A pole k pi + pi/2 inside I makes both images unbounded.
      if (std::floor((I.low - kPi / 2) / kPi) != std::floor((I.high - kPi / 2) / kPi))
        return k == 0 ? XelMathInterval(-inf, inf) : XelMathInterval(1.0, inf);
      const double tl = std::tan(I.low), th = std::tan(I.high);
      if (k == 0)
        return XelMathInterval(tl, th);
      const double low = tl <= 0.0 && th >= 0.0 ? 0.0 : std::fmin(tl * tl, th * th);
      return XelMathInterval(1.0 + low, 1.0 + std::fmax(tl * tl, th * th));
    };
  } else {
    f = [](double x) { return std::log(x); };
    d = [](double x) { return 1.0 / x; };
    d2 = [](double x) { return -1.0 / (x * x); };
  }
  return ClosedFormX(f, d, d2, iIntervals ? image : ClosedFormX::Image());
}

TEST(SolveX, PolesJumpsAndNaNPointsAreNeverRoots) {
  struct Case {
    int kind;
    XelMathInterval domain;
    std::vector<double> roots;
  };
  const Case cases[] = {{0, {-1.0, 1.0}, {}},         {0, {-1.0, 2.0}, {}},
                        {1, {-1.0, 5.0}, {0.0, kPi}}, {1, {0.5, 10.0}, {kPi, 2.0 * kPi, 3.0 * kPi}},
                        {2, {-1.0, 1.0}, {1.0}},      {2, {-1.0, 2.0}, {1.0}}};
  for (const Case& c : cases)
    for (bool intervals : {false, true}) {
      if (c.kind == 2 && intervals)
        continue;
      const ClosedFormX f = Singular(c.kind, intervals);
      XelMathSetOfPointsND set(1);
      const int status = f.Solve(c.domain, set, nullptr);
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " on [" << c.domain.low << ", "
                                      << c.domain.high << "] intervals " << intervals);
      EXPECT_EQ(status, 0);
      for (double r : PointsOf(set))
        EXPECT_TRUE(std::isfinite(f.Eval(r))) << r;
      ExpectSameRoots(SortedPoints(set), c.roots, kEpsRoot);
    }
}

TEST(SolveX, ResultSetOfTheWrongDimensionRaises) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, true);
  XelMathSetOfPointsND set(2);
  ExpectInputError([&] { f.Solve(XelMathInterval(0.0, 1.0), set, nullptr); }, 0x20006,
                   {"the XelMathSetOfPointsND", "1", "XelMathSolveX::Run"});
}

TEST(SolveX, ScaleOptionOfTheWrongDimensionRaisesOnAScaledModel) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, true);
  XelTolerance scaled(1000.0);
  XelMathAttrTolObject tolerance(scaled);
  const long powersF[2] = {1, 2};
  const long powersX[1] = {1};
  XelMathAttrScaleOption option(2, powersF, 1, powersX, 0, nullptr);
  XelMathAttrList list(&tolerance);
  list.AddAttribute(&option);
  XelMathSetOfPointsND set(1);
  ExpectInputError([&] { f.Solve(XelMathInterval(0.0, 1.0), set, &list); }, 0x20006,
                   {"the XelMathAttrScaleOption", "wrong dimension", "XelMathFunctionX::Solve"});
  // Unscaled, the option is not read.
  XelMathAttrList unscaled(&option);
  EXPECT_EQ(f.Solve(XelMathInterval(0.0, 1.0), set, &unscaled), 0);
}

TEST(SolveX, EarlierContentsOfTheResultSetAreDiscarded) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, false);
  XelMathSetOfPointsND set(1);
  const double old[1] = {7.0};
  set.AddPoint(old);
  set.AddPoint(old);
  f.Solve(XelMathInterval(0.0, 1.0), set, nullptr);
  ExpectSameRoots(SortedPoints(set), {0.5}, kEpsRoot);
}

// ---- options ------------------------------------------------------------------------------

TEST(SolveX, EpsilonRootWidensTheAcceptanceAndTheDerivativeThresholdFollows) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  const double ratio = solver.GetDerivativeThreshold() / solver.GetEpsRoot();
  solver.SetEpsRoot(1e-3, 1);
  EXPECT_DOUBLE_EQ(solver.GetDerivativeThreshold() / solver.GetEpsRoot(), ratio);
  EXPECT_EQ(solver.GetUnreviewedCount(), 0);
  solver.SetEpsRoot(1e-4, 0);
  solver.SetTolerance(1e-6, 1, 0);
  EXPECT_EQ(solver.GetUnreviewedCount(), 2);
  double f2;
  const double slope = 1.0;
  EXPECT_TRUE(solver.IsRoot(0.5, 1e-4, f2, &slope)); // 1e-8 < 1e-8 (1 + 1)
  EXPECT_FALSE(solver.IsRoot(0.5, 2e-4, f2, &slope));
  EXPECT_TRUE(solver.IsNull(0.5, 9e-7, f2)); // absolute tolerance given
  EXPECT_FALSE(solver.IsNull(0.5, 2e-6, f2));
}

TEST(SolveX, DichotomyIsSwitchedOnOnlyWithinTheNewtonBudget) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  solver.SetDichotomy(1, 60, 50); // 60 + 50 - 1 >= 2 * 50
  EXPECT_FALSE(solver.IsDichotomyOn());
  EXPECT_EQ(solver.GetDichotomySteps(), -1);
  solver.SetDichotomy(1, 10, 2);
  EXPECT_TRUE(solver.IsDichotomyOn());
  EXPECT_EQ(solver.GetDichotomyStart(), 2);
  solver.SetDichotomy(0, 10, 2);
  EXPECT_FALSE(solver.IsDichotomyOn());
  solver.SetDichotomy(1, 0, 2);
  EXPECT_FALSE(solver.IsDichotomyOn());
}

TEST(SolveX, DichotomyStepsStillConvergeToTheRoot) {
  // Zero to three elements in the set of steps: none, (5), (5, 1), three or more.
  const FactoredPolynomial f({0.2, 0.7, -0.3}, {1, 1, 1}, 1.0, false);
  for (long count : {0L, 1L, 2L, 3L}) {
    XelMathSetOfLongs steps;
    for (long i = 0; i < count; ++i)
      steps.AddElement(i == 0 ? 5 : 1);
    XelMathAttrPointerValue dichotomy(AttrFunctionXDichotomy, &steps, 1);
    XelMathAttrList list(&dichotomy);
    XelMathSetOfPointsND set(1);
    f.Solve(XelMathInterval(-1.0, 1.0), set, &list);
    SCOPED_TRACE(count);
    ExpectSameRoots(SortedPoints(set), {-0.3, 0.2, 0.7}, kEpsRoot);
  }
}

TEST(SolveX, InvalidOptionValuesRaiseAndHugeCountsNeverRun) {
  const FactoredPolynomial f({0.5}, {1}, 1.0, false);
  const XelMathInterval domain(0.0, 1.0);
  XelMathSetOfPointsND set(1);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // Widths and tolerances: a negative, infinite or NaN value would make every point a root.
  struct Width {
    const char* key;
    const char* where;
  };
  for (const Width& w : {Width{AttrFunctionXEpsRoot, "XelMathSolveX::SetEpsRoot"},
                         Width{AttrFunctionXAbsoluteTolerance, "XelMathSolveX::SetTolerance"}})
    for (double value : {-1e-6, nan, inf, -inf}) {
      XelMathAttrDoubleValue attr(w.key, value, 1);
      XelMathAttrList list(&attr);
      SCOPED_TRACE(testing::Message() << w.key << " " << value);
      ExpectInputError([&] { f.Solve(domain, set, &list); }, 0x20006, {w.key, "", w.where});
    }
  // Sampling counts beyond what one call can run.
  for (long count : {LONG_MAX, LONG_MAX / 3 + 1}) {
    XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, count, 1);
    XelMathAttrList list(&sampling);
    ExpectInputError([&] { f.Solve(domain, set, &list); }, 0x20004,
                     {AttrFunctionXSamplingPoints, "Invalid Number Of Points",
                      "XelMathSolveX::SetSamplingValue"});
  }
  // Scale powers whose factors overflow, underflow or whose differences would overflow.
  XelTolerance scaled(1000.0);
  XelMathAttrTolObject tolerance(scaled);
  for (long powerF : {LONG_MIN, LONG_MAX, -400L, 400L}) {
    XelMathAttrScaleOption option(powerF, 1);
    XelMathAttrList list(&tolerance);
    list.AddAttribute(&option);
    SCOPED_TRACE(powerF);
    ExpectInputError([&] { f.Solve(domain, set, &list); }, 0x20006,
                     {"the XelMathAttrScaleOption", "", "XelMathFunctionX::Solve"});
  }
  // A dichotomy of LONG_MAX steps is out of the Newton budget: off, and the solve still ends.
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  for (long start : {0L, 50L}) {
    solver.SetDichotomy(1, LONG_MAX, start);
    EXPECT_FALSE(solver.IsDichotomyOn());
  }
  XelMathSetOfLongs steps;
  steps.AddElement(LONG_MAX);
  steps.AddElement(LONG_MAX);
  XelMathAttrPointerValue dichotomy(AttrFunctionXDichotomy, &steps, 1);
  XelMathAttrList list(&dichotomy);
  EXPECT_EQ(f.Solve(domain, set, &list), 0);
  ExpectSameRoots(SortedPoints(set), {0.5}, kEpsRoot);
}

// Admits only x >= 0.
class NonNegative : public XelMathConstraint {
public:
  unsigned char IsAdmissible(const XelMathInterval& iI) const override { return iI.high >= 0.0; }
  double EvalConstraint(double x) const override { return x; }
};

TEST(SolveX, ConstraintDropsTheRootsItRejects) {
  NonNegative constraint;
  XelMathAttrList list(&constraint);
  for (bool intervals : {false, true}) {
    const FactoredPolynomial f({-0.5, 0.25, 0.75}, {1, 1, 1}, 1.0, intervals);
    XelMathSetOfPointsND set(1);
    f.Solve(XelMathInterval(-1.0, 1.0), set, &list);
    ExpectSameRoots(SortedPoints(set), {0.25, 0.75}, kEpsRoot);
  }
}

TEST(SolveX, SamplingOfOnePointTestsOnlyTheLowEnd) {
  const FactoredPolynomial f({0.0, 0.5}, {1, 1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  solver.SetSamplingValue(1);
  XelMathSetOfPointsND set(1);
  solver.Run(XelMathInterval(0.0, 1.0), set);
  ExpectSameRoots(SortedPoints(set), {0.0}, kEpsRoot);
  EXPECT_EQ(solver.Run(XelMathInterval(0.25, 1.0), set), 0);
  EXPECT_EQ(set.GetNumberOfPoints(), 0);
}

TEST(SolveX, RootsCloserThanThePointResolutionAreOne) {
  XelMathSetOfPointsND set(1);
  const FactoredPolynomial f({0.5}, {1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(0.0, 1.0), set);
  solver.AddRoot(0.5);
  solver.AddRoot(0.5 + 0.5 * kPointRes);
  solver.AddRoot(0.5 + 4.0 * kPointRes);
  EXPECT_EQ(set.GetNumberOfPoints(), 2);
}

// ---- Newton solves ------------------------------------------------------------------------

TEST(SolveX, BracketedNewtonConvergesOnValueAndDerivative) {
  const FactoredPolynomial f({-0.2, 0.6}, {1, 1}, 1.0, false);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  double x = 0.0;
  EXPECT_EQ(solver.SolveNewton(XelMathInterval(0.0, 1.0), f.Eval(0.0), f.Eval(1.0), 0, x), 0);
  EXPECT_NEAR(x, 0.6, kEpsRoot);
  // Mode 1: the minimum of (x + 0.2)(x - 0.6) at 0.2.
  x = 0.9;
  EXPECT_EQ(solver.SolveNewton(XelMathInterval(-1.0, 1.0), f.EvalFirstDeriv(-1.0),
                               f.EvalFirstDeriv(1.0), 1, x),
            0);
  EXPECT_NEAR(x, 0.2, kEpsRoot);
  // From an initial point, new and old variants.
  for (unsigned char old : {0, 1}) {
    solver.SetOldNewtonWithInit(old);
    double y = 0.9, value = 1.0;
    EXPECT_EQ(solver.SolveNewtonWithInit(XelMathInterval(0.0, 1.0), 1, y, value), 0);
    EXPECT_NEAR(y, 0.2, kEpsRoot);
    EXPECT_NEAR(value, 0.0, kEpsRoot);
  }
}

TEST(SolveX, MemberAndFreeNewtonSolveTheSameBracket) {
  const FactoredPolynomial f({0.3}, {1}, 2.0, false);
  const XelMathInterval domain(0.0, 1.0);
  const XelMathInterval ends(f.Eval(0.0), f.Eval(1.0));
  double x = 0.5;
  EXPECT_EQ(f.SolveNewton(domain, ends, 0, x, XelGetDefaultTolerance()), 0);
  EXPECT_NEAR(x, 0.3, kEpsRoot);
  XelMathAttrScaleOption unit(1, 1);
  double y = 0.5;
  EXPECT_EQ(SolveNewton(&f, domain, ends, 0, y, XelGetDefaultTolerance(), &unit), 0);
  EXPECT_NEAR(y, 0.3, kEpsRoot);
  void* filed = nullptr;
  long status = 0;
  EXPECT_EQ(XelFedEx::Get(_XelR19QuorMail, 1, &f, filed, status), 0); // filing removed
}

// ---- polynomial path ------------------------------------------------------------------------

TEST(SolveXPolynom, MultipleRootsAreExactAtTheRootsOfTheDerivatives) {
  // (x - 1)^3 (x - 2)^2 (x + 0.5): exact coefficients; the triple root is the simple root of
  // the second derivative, the double root that of the first.
  const FactoredPolynomial f({1.0, 2.0, -0.5}, {3, 2, 1}, 1.0, false);
  for (double shift : {0.0, 1.0, 0.75}) {
    std::vector<double> roots;
    EXPECT_EQ(SolvePolynomial(f, XelMathInterval(-3.0, 4.0), shift, roots), 0);
    SCOPED_TRACE(shift);
    ExpectSameRoots(roots, {-0.5, 1.0, 2.0}, kEpsRoot);
  }
}

TEST(SolveXPolynom, ClusteredRootsAreSeparated) {
  // Roots 5e-7 apart from coefficients rounded once.
  const double gap = 5e-7;
  const FactoredPolynomial f({0.3, 0.3 + gap, -0.4, 0.8}, {1, 1, 1, 1}, 2.0, false);
  std::vector<double> roots;
  SolvePolynomial(f, XelMathInterval(-1.0, 1.0), 0.3, roots);
  ExpectSameRoots(roots, {-0.4, 0.3, 0.3 + gap, 0.8}, kEpsRoot);
  // Roots 2^-27 (7.5e-9) apart, exact in the shifted basis: t (t - d) (t^2 - 1/4).
  const double d = std::ldexp(1.0, -27);
  const double c[5] = {0.0, 0.25 * d, -0.25, -d, 1.0};
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(-1.0, 1.0), set);
  EXPECT_EQ(solver.RunOnPolynom(4, c, 0.3), 0);
  ExpectSameRoots(SortedPoints(set), {-0.2, 0.3, 0.3 + d, 0.8}, kEpsRoot);
}

TEST(SolveXPolynom, RootsAtTheEndsAndOutside) {
  const FactoredPolynomial f({-1.0, 0.0, 1.0, 3.0}, {1, 2, 1, 1}, 1.0, false);
  std::vector<double> roots;
  SolvePolynomial(f, XelMathInterval(-1.0, 1.0), 0.0, roots);
  ExpectSameRoots(roots, {-1.0, 0.0, 1.0}, kEpsRoot);
  // A domain of a single point that is a root.
  SolvePolynomial(f, XelMathInterval(1.0, 1.0), 0.0, roots);
  ExpectSameRoots(roots, {1.0}, kEpsRoot);
  // A huge domain: clipped to the root bound, no overflow.
  SolvePolynomial(f, XelMathInterval(-1e30, 1e30), 0.5, roots);
  ExpectSameRoots(roots, {-1.0, 0.0, 1.0, 3.0}, kEpsRoot);
}

TEST(SolveXPolynom, WilkinsonLikeDegreeTwenty) {
  // Roots 1..20 mapped to [-0.95, 0.95], coefficients around the middle of the domain.
  std::vector<double> truth;
  for (int k = 1; k <= 20; ++k)
    truth.push_back((k - 10.5) / 10.0);
  const FactoredPolynomial f(truth, std::vector<int>(20, 1), 1.0, false);
  std::vector<double> roots;
  EXPECT_EQ(SolvePolynomial(f, XelMathInterval(-1.0, 1.0), 0.0, roots), 0);
  std::vector<double> tol;
  for (double r : truth)
    tol.push_back(std::max(kEpsRoot, f.Accuracy(r, 1)));
  ExpectSameRoots(roots, truth, tol);
  // The original roots 1..20 in a shifted basis.
  std::vector<double> integers;
  for (int k = 1; k <= 20; ++k)
    integers.push_back(k);
  const FactoredPolynomial w(integers, std::vector<int>(20, 1), 1.0, false);
  SolvePolynomial(w, XelMathInterval(0.0, 21.0), 10.5, roots);
  tol.clear();
  for (double r : integers)
    tol.push_back(std::max(kEpsRoot, w.Accuracy(r, 1)));
  ExpectSameRoots(roots, integers, tol);
}

TEST(SolveXPolynom, RandomPolynomialsUpToDegreeThirty) {
  std::mt19937 generator(12345);
  std::uniform_real_distribution<double> uniform(-1.0, 1.0);
  for (int trial = 0; trial < 60; ++trial) {
    const int nbReal = 1 + trial % 20;
    const int nbPairs = (trial * 7) % 6; // complex pairs: (x - a)^2 + b^2
    std::vector<double> truth = RandomSeparatedRoots(generator, nbReal, 0.02);
    std::sort(truth.begin(), truth.end());
    FactoredPolynomial real(truth, std::vector<int>(truth.size(), 1), 1.0 + uniform(generator),
                            false);
    // Multiply by the complex pairs in long double through a second expansion.
    std::vector<long double> c(real.Coefficients().begin(), real.Coefficients().end());
    for (int p = 0; p < nbPairs; ++p) {
      const long double a = uniform(generator), b = 0.1 + std::fabs(uniform(generator));
      MultiplyByComplexPair(c, a, b);
    }
    std::vector<double> coefficients(c.begin(), c.end());
    const long degree = static_cast<long>(coefficients.size()) - 1;
    ASSERT_LE(degree, 30);
    XelMathSetOfPointsND set(1);
    XelMathSolveX solver(&real, XelGetDefaultTolerance());
    solver.Initialize(XelMathInterval(-1.5, 1.5), set);
    EXPECT_EQ(solver.RunOnPolynom(degree, coefficients.data(), 0.0), 0);
    // Tolerance from the conditioning of each root: value rounding over the slope.
    std::vector<double> tol;
    for (double r : truth) {
      double size = 0.0, slope = 0.0;
      for (long k = degree; k >= 0; --k)
        size = size * std::fabs(r) + std::fabs(coefficients[k]);
      for (long k = degree; k >= 1; --k)
        slope = slope * r + k * coefficients[k];
      tol.push_back(std::max(kEpsRoot, 64.0 * kUnit * size / std::fabs(slope)));
    }
    SCOPED_TRACE(trial);
    ExpectSameRoots(SortedPoints(set), truth, tol);
  }
}

TEST(SolveXPolynom, NullConstantAndEmptyCases) {
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  const double zeros[4] = {0.0, 0.0, 0.0, 0.0};
  solver.Initialize(XelMathInterval(0.0, 1.0), set);
  EXPECT_EQ(solver.RunOnPolynom(3, zeros, 0.0), 1);
  const double constant[1] = {2.0};
  EXPECT_EQ(solver.RunOnPolynom(0, constant, 0.0), 0);
  EXPECT_EQ(set.GetNumberOfPoints(), 0);
  // Leading zeros are dropped: 0 x^3 + 0 x^2 + x - 0.5.
  const double line[4] = {-0.5, 1.0, 0.0, 0.0};
  EXPECT_EQ(solver.RunOnPolynom(3, line, 0.0), 0);
  ExpectSameRoots(SortedPoints(set), {0.5}, kEpsRoot);
  solver.Initialize(XelMathInterval(1.0, 0.0), set);
  EXPECT_EQ(solver.RunOnPolynom(1, line, 0.0), 4);
  const double bad[2] = {std::numeric_limits<double>::quiet_NaN(), 1.0};
  solver.Initialize(XelMathInterval(0.0, 1.0), set);
  solver.RunOnPolynom(1, bad, 0.0);
  EXPECT_EQ(set.GetNumberOfPoints(), 0);
}

TEST(SolveXPolynom, PolynomialClassSolvesThroughThePolynomialPath) {
  // (x - 1)^3 (x - 2)^2 (x + 0.5) as a XelMathPolynomX with shift 1.5.
  const FactoredPolynomial f({1.0, 2.0, -0.5}, {3, 2, 1}, 1.0, false);
  std::vector<long double> c(f.Coefficients().begin(), f.Coefficients().end());
  const long n = static_cast<long>(c.size()) - 1;
  for (long i = 0; i < n; ++i)
    for (long j = n - 1; j >= i; --j)
      c[j] += 1.5L * c[j + 1];
  std::vector<double> shifted(c.begin(), c.end());
  shifted.push_back(0.0); // a leading zero coefficient is dropped
  const XelMathPolynomX p(n + 1, shifted.data(), 1.5);
  XelMathSetOfPointsND set(1);
  EXPECT_EQ(p.Solve(XelMathInterval(-1.0, 3.0), set, nullptr), 0);
  ExpectSameRoots(SortedPoints(set), {-0.5, 1.0, 2.0}, kEpsRoot);
  // Through the base class: the same answer.
  const XelMathFunctionX& base = p;
  EXPECT_EQ(base.Solve(XelMathInterval(-1.0, 3.0), set, nullptr), 0);
  ExpectSameRoots(SortedPoints(set), {-0.5, 1.0, 2.0}, kEpsRoot);
  // A scaled model: variable in S^2 units (X power 2), values in S^1.
  XelTolerance scaledTol(100.0);
  XelMathAttrTolObject tolerance(scaledTol);
  XelMathAttrScaleOption option(1, 2);
  XelMathAttrList list(&tolerance);
  list.AddAttribute(&option);
  EXPECT_EQ(p.Solve(XelMathInterval(-1.0, 3.0), set, &list), 0);
  ExpectSameRoots(SortedPoints(set), {-0.5, 1.0, 2.0}, kEpsRoot * 100.0);
  const double zero[3] = {0.0, 0.0, 0.0};
  const XelMathPolynomX null(2, zero, 0.0);
  EXPECT_EQ(null.Solve(XelMathInterval(-1.0, 3.0), set, nullptr), 1);
  XelMathSetOfPointsND wrong(3);
  EXPECT_THROW(p.Solve(XelMathInterval(-1.0, 3.0), wrong, nullptr), XelMathInputError);
}

TEST(SolveX, ScaledModelSolvesTheWrapperAndMapsTheRootsBack) {
  // Variable expressed in S^2 (X power 2): the solver works on f(S x) over the domain / S.
  XelTolerance scaledTol(1000.0);
  XelMathAttrTolObject tolerance(scaledTol);
  XelMathAttrScaleOption option(1, 2);
  option.SetOKReviewed(1);
  XelMathAttrList list(&tolerance);
  list.AddAttribute(&option);
  for (bool intervals : {false, true}) {
    const FactoredPolynomial f({-0.5, 0.25, 2.0}, {1, 1, 1}, 1.0, intervals);
    XelMathSetOfPointsND set(1);
    EXPECT_EQ(f.Solve(XelMathInterval(-1.0, 3.0), set, &list), 0);
    // The root tolerance of the scaled model is S times larger.
    ExpectSameRoots(SortedPoints(set), {-0.5, 0.25, 2.0}, kEpsRoot * scaledTol.GetScaleFactor());
  }
}

// ---- trigonometric path -------------------------------------------------------------------

TEST(SolveXTrigonometric, RootsOfAShiftedCosine) {
  // 2 cos(3 x - 0.4) + 1 on [0, 5]: 3 x - 0.4 = +-2 pi / 3 + 2 k pi.
  std::vector<double> truth;
  for (int k = -2; k <= 4; ++k)
    for (double s : {1.0, -1.0}) {
      const double x = (s * 2.0 * kPi / 3.0 + 2.0 * k * kPi + 0.4) / 3.0;
      if (x >= 0.0 && x <= 5.0)
        truth.push_back(x);
    }
  std::sort(truth.begin(), truth.end());
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(0.0, 5.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(2.0, 3.0, 0.4, 1.0), 0);
  ExpectSameRoots(SortedPoints(set), truth, kEpsRoot);
  // A negative frequency gives the same function.
  solver.Initialize(XelMathInterval(0.0, 5.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(2.0, -3.0, -0.4, 1.0), 0);
  ExpectSameRoots(SortedPoints(set), truth, kEpsRoot);
}

TEST(SolveXTrigonometric, ManyRootsComeOutSortedAndComplete) {
  // cos(1000 x) on [0, 100]: the roots (pi / 2 + k pi) / 1000.
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(0.0, 100.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(1.0, 1000.0, 0.0, 0.0), 0);
  const long expected = static_cast<long>(std::floor((100000.0 - 0.5 * kPi) / kPi)) + 1;
  ASSERT_EQ(set.GetNumberOfPoints(), expected);
  const double* x = set.GetPoints();
  // Phase error of the closed form grows with the phase: about u * 1000 * 100.
  const double tol = 8.0 * kUnit * 1e5 / 1000.0;
  for (long k = 0; k < expected; ++k)
    ASSERT_NEAR(x[k], (0.5 * kPi + k * kPi) / 1000.0, tol) << k;
  // A frequency beyond ten million periods on the domain is refused.
  solver.Initialize(XelMathInterval(0.0, 1.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(1.0, 1e9, 0.0, 0.0), 4);
}

TEST(SolveXTrigonometric, TangentNoRootAndNullCases) {
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  // cos(x) + 1 touches 0 at pi and 3 pi.
  solver.Initialize(XelMathInterval(0.0, 10.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(1.0, 1.0, 0.0, 1.0), 0);
  ExpectSameRoots(SortedPoints(set), {kPi, 3.0 * kPi}, kEpsRoot);
  // cos(x) + 2 never vanishes.
  solver.Initialize(XelMathInterval(0.0, 10.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(1.0, 1.0, 0.0, 2.0), 0);
  EXPECT_EQ(set.GetNumberOfPoints(), 0);
  // 0 cos(x) + 0 is null.
  solver.Initialize(XelMathInterval(0.0, 10.0), set);
  EXPECT_EQ(solver.RunOnTrigonometric(0.0, 1.0, 0.0, 0.0), 1);
}

// ---- resources ------------------------------------------------------------------------------

TEST(SolveX, NothingLeaks) {
  const long before = XelQuorGetMemoryCounters().liveBlocks;
  {
    const FactoredPolynomial f({0.1, 0.2, 0.3}, {1, 2, 3}, 1.0, true);
    XelMathSetOfPointsND set(1);
    f.Solve(XelMathInterval(-1.0, 1.0), set, nullptr);
    std::vector<double> many(70, 0.0);
    many[69] = 1.0;
    many[0] = -0.5;
    XelMathSolveX solver(&f, XelGetDefaultTolerance());
    solver.Initialize(XelMathInterval(-1.0, 1.0), set);
    solver.RunOnPolynom(69, many.data(), 0.0); // buffers beyond the local ones
    EXPECT_EQ(SortedPoints(set).size(), 1u);
  }
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, before);
}

} // namespace
