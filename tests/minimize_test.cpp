// Minimization: every local minimum of one-variable functions with known minima on each
// strategy (interval images of f, f', f''; of f, f'; derivative sampling; Brent search),
// constant and linear functions, absolute and interior modes, limit values, maxima through
// the opposite function, scaled models, misuse; the N-variable minimizer from start points
// by BFGS and by bounded Newton on a Rosenbrock valley, convex quadratics and box-bound
// optima.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <limits>
#include <vector>

#include "XelError.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathIntervalND.h"
#include "XelMathMinimizeRN.h"
#include "XelMathMinimizeX.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;

const XelTolerance& Tol() {
  return XelGetDefaultTolerance();
}
// Newton solves of f' = 0 accept |f'| below 1000 root resolutions (times sqrt(1 + f''^2)):
// with |f''| of order 1 to 25 the argument is within that distance of the true minimum; a
// factor 100 leaves room for the conditioning of the test functions.
const double kNewtonArgTol = 100.0 * 1000.0 * XelGetDefaultTolerance().GetRootResolution();
// Brent's search resolves f to the bisection epsilon W: near a minimum with curvature c the
// argument is known to sqrt(2 W (1 + |f|) / c); c >= 1 here, a factor 30 of margin.
const double kBrentArgTol =
    30.0 * std::sqrt(2.0 * 2.0 * XelGetDefaultTolerance().GetBisectionEpsilon());
// Two minima closer than this are one.
const double kPointRes = XelGetDefaultTolerance().GetPointResolution();

// ---- test functions -------------------------------------------------------------------------

// f(x) = sin(w x) + s x with exact derivatives; interval images of the value and of the first
// two derivatives offered according to iIntervals (0 none, 48 value and f', 112 value, f', f'').
class WaveX : public SineX {
public:
  WaveX(double iW, double iS, long iIntervals) : SineX(iW, 0.0, iS), _w(iW), _s(iS) {
    offered = 1 | 2 | 4 | 8 | iIntervals;
  }
  const char* IsA() const override { return "WaveX"; }
  XelMathFunctionX* Duplicate() const override { return new WaveX(*this); }

  // Interior minima (iSign -1) or maxima (+1) in [a, b] in closed form: f' = 0 where
  // cos(w x) = -s / w; f'' > 0 where sin(w x) < 0, i.e. minima at w x = 2 pi k - acos(-s / w).
  std::vector<double> InteriorExtrema(double a, double b, double iSign) const {
    std::vector<double> r;
    const double t = std::acos(-_s / _w);
    for (long k = -100; k <= 100; ++k) {
      const double x = (2.0 * kPi * static_cast<double>(k) + iSign * t) / _w;
      if (x > a && x < b)
        r.push_back(x);
    }
    return r;
  }
  std::vector<double> InteriorMinima(double a, double b) const { return InteriorExtrema(a, b, -1); }
  std::vector<double> InteriorMaxima(double a, double b) const { return InteriorExtrema(a, b, 1); }

private:
  double _w, _s;
};

// A function known only by its values: derivatives by differences, no interval images.
class ValuesOnlyX : public XelMathFunctionX {
public:
  explicit ValuesOnlyX(const XelMathFunctionX& iF) : _f(iF) {}
  const char* IsA() const override { return "ValuesOnlyX"; }
  unsigned char IsOption(const long o) const override { return o == 1; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    ++_count;
    return _f.Eval(x);
  }
  XelMathFunctionX* Duplicate() const override { return new ValuesOnlyX(_f); }
  long Count() const { return _count; }

private:
  const XelMathFunctionX& _f;
  mutable long _count = 0;
};

// c0 + c1 x + c2 x^2 with every evaluation exact, intervals included.
QuadX Quadratic(double c0, double c1, double c2) {
  QuadX f(c2, c1, c0);
  f.offered = 255;
  return f;
}

class NaNX : public XelMathFunctionX {
public:
  const char* IsA() const override { return "NaNX"; }
  unsigned char IsOption(const long) const override { return 0; }
  using XelMathFunctionX::Eval;
  double Eval(const double&) const override { return std::numeric_limits<double>::quiet_NaN(); }
  XelMathFunctionX* Duplicate() const override { return new NaNX; }
};

// Every expected point matched by exactly one found point within iTol, nothing else found.
void ExpectSameMinima(const std::vector<double>& iFound, const std::vector<double>& iExpected,
                      double iTol) {
  ASSERT_EQ(iFound.size(), iExpected.size()) << "found " << iFound.size() << " minima";
  for (double e : iExpected) {
    long matches = 0;
    for (double f : iFound)
      if (std::fabs(f - e) <= iTol * (1.0 + std::fabs(e)))
        ++matches;
    EXPECT_EQ(matches, 1) << "expected minimum " << e;
  }
  EXPECT_TRUE(std::is_sorted(iFound.begin(), iFound.end()));
}

// The minima of sin(5x) + 0.1x on [0, 4]: the end 0 (f'(0) = 5.1 > 0) and the interior ones.
std::vector<double> WaveMinima(const WaveX& f, double a, double b) {
  std::vector<double> r;
  if (f.EvalFirstDeriv(a) > 0.0)
    r.push_back(a);
  for (double x : f.InteriorMinima(a, b))
    r.push_back(x);
  if (f.EvalFirstDeriv(b) < 0.0)
    r.push_back(b);
  return r;
}

} // namespace

// ==== one variable ==========================================================================

TEST(MinimizeX, EveryLocalMinimumOnEachStrategy) {
  const double a = 0.0, b = 4.0;
  for (long intervals : {112L, 48L, 0L}) {
    WaveX f(5.0, 0.1, intervals);
    const std::vector<double> expected = WaveMinima(f, a, b);
    ASSERT_EQ(expected.size(), 4u);
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(f.Minimize(XelMathInterval(a, b), minima), 0);
    SCOPED_TRACE(intervals);
    ExpectSameMinima(PointsOf(minima), expected, kNewtonArgTol);
  }
}

TEST(MinimizeX, MinimumAtTheHighEndAndSortedResult) {
  // f'(3.3) = 5 cos(16.5) + 0.1 < 0: 3.3 is a minimum at the end, found before the interior
  // ones by the sampling and still returned last.
  WaveX f(5.0, 0.1, 0);
  const double a = 0.0, b = 3.3;
  ASSERT_LT(f.EvalFirstDeriv(b), 0.0);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(a, b), minima), 0);
  ExpectSameMinima(PointsOf(minima), WaveMinima(f, a, b), kNewtonArgTol);
}

TEST(MinimizeX, ValuesOnlyFunctionBySamplingAndByBrent) {
  WaveX wave(5.0, 0.1, 0);
  ValuesOnlyX f(wave);
  const double a = 0.0, b = 4.0;
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(a, b), minima), 0);
  // Differences of step 1e-5 on a function of third derivative 125: f' within 1e-8.
  ExpectSameMinima(PointsOf(minima), WaveMinima(wave, a, b), kNewtonArgTol);

  XelMathAttrString brent("BrentMethod", 1);
  XelMathAttrList list(&brent);
  EXPECT_EQ(f.Minimize(XelMathInterval(a, b), minima, &list), 0);
  ExpectSameMinima(PointsOf(minima), WaveMinima(wave, a, b), kBrentArgTol);

  XelMathAttrString trueSampling("BrentMethodTrueSampling", 1);
  XelMathAttrIntegerValue sampling("SamplingPoints", 40, 1);
  list.AddAttribute(&trueSampling);
  list.AddAttribute(&sampling);
  EXPECT_EQ(f.Minimize(XelMathInterval(a, b), minima, &list), 0);
  // True sampling: the first minimum found sets the limit, so only minima not above it
  // follow. The first one is the end 0 (value 0); the interior ones are all below it.
  ExpectSameMinima(PointsOf(minima), WaveMinima(wave, a, b), kBrentArgTol);
}

TEST(MinimizeX, MinimaBetweenSamplesOfTheSameDerivativeSignAreFound) {
  // sin(40x) + 0.1x on [0, 1] with the default 15 samples: the phase advances by 2.86 rad
  // between samples, so f' often has the same sign at two samples and crosses 0 twice in
  // between. The phase step is below pi, so one extremum of f' at most lies between two
  // samples and f'' changes sign across it: every minimum is found through the dip of f'.
  WaveX f(40.0, 0.1, 0);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(0.0, 1.0), minima), 0);
  const std::vector<double> expected = WaveMinima(f, 0.0, 1.0);
  ASSERT_EQ(expected.size(), 8u); // six inside, both ends
  ExpectSameMinima(PointsOf(minima), expected, kNewtonArgTol);
}

TEST(MinimizeX, ConstantFunctionGivesStatus2AndTheMidpoint) {
  for (long intervals : {255L, 0L}) {
    QuadX c = Quadratic(3.0, 0.0, 0.0);
    ValuesOnlyX values(c);
    const XelMathFunctionX& f = intervals ? static_cast<const XelMathFunctionX&>(c) : values;
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(f.Minimize(XelMathInterval(-1.0, 2.0), minima), 2);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    EXPECT_DOUBLE_EQ(minima.GetPoints()[0], 0.5);
    XelMathAttrString brent("BrentMethod", 1);
    XelMathAttrList list(&brent);
    EXPECT_EQ(f.Minimize(XelMathInterval(-1.0, 2.0), minima, &list), 2);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    EXPECT_DOUBLE_EQ(minima.GetPoints()[0], 0.5);
  }
}

TEST(MinimizeX, LinearFunctionHasItsMinimumAtAnEndOrNoneInside) {
  XelMathAttrString interior("InteriorExtremum", 1);
  XelMathAttrList interiorList(&interior);
  for (double slope : {2.0, -0.5}) {
    QuadX f = Quadratic(1.0, slope, 0.0);
    ValuesOnlyX values(f);
    for (const XelMathFunctionX* g : {static_cast<const XelMathFunctionX*>(&f),
                                      static_cast<const XelMathFunctionX*>(&values)}) {
      XelMathSetOfPointsND minima(1);
      EXPECT_EQ(g->Minimize(XelMathInterval(-1.0, 3.0), minima), 0);
      ASSERT_EQ(minima.GetNumberOfPoints(), 1);
      EXPECT_EQ(minima.GetPoints()[0], slope > 0.0 ? -1.0 : 3.0);
      EXPECT_EQ(g->Minimize(XelMathInterval(-1.0, 3.0), minima, &interiorList), 0);
      EXPECT_EQ(minima.GetNumberOfPoints(), 0);
    }
  }
}

TEST(MinimizeX, InteriorModeDropsTheEnds) {
  WaveX f(5.0, 0.1, 112);
  XelMathAttrString interior("InteriorExtremum", 1);
  XelMathAttrList list(&interior);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(0.0, 3.3), minima, &list), 0);
  ExpectSameMinima(PointsOf(minima), f.InteriorMinima(0.0, 3.3), kNewtonArgTol);
}

TEST(MinimizeX, AbsoluteModeReturnsTheGlobalMinimum) {
  // Interior minima of sin(5x) + 0.1x have values -sqrt(1 - 0.0004) + 0.1 x: the leftmost
  // interior one is the lowest; on [-3, 4] that is the one near -2.32.
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList list(&absolute);
  for (long intervals : {112L, 48L, 0L}) {
    WaveX f(5.0, 0.1, intervals);
    const std::vector<double> inside = f.InteriorMinima(-3.0, 4.0);
    ASSERT_FALSE(inside.empty());
    double best = inside.front();
    for (double x : WaveMinima(f, -3.0, 4.0))
      if (f.Eval(x) < f.Eval(best))
        best = x;
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(f.Minimize(XelMathInterval(-3.0, 4.0), minima, &list), 0);
    SCOPED_TRACE(intervals);
    ExpectSameMinima(PointsOf(minima), {best}, kNewtonArgTol);
  }
  // Brent path too.
  WaveX wave(5.0, 0.1, 0);
  ValuesOnlyX values(wave);
  XelMathAttrString brent("BrentMethod", 1);
  list.AddAttribute(&brent);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(values.Minimize(XelMathInterval(-3.0, 4.0), minima, &list), 0);
  ExpectSameMinima(PointsOf(minima), {wave.InteriorMinima(-3.0, 4.0).front()}, kBrentArgTol);
}

TEST(MinimizeX, AbsoluteModeWithReconvergenceRefinesTheBestSample) {
  // A single well of a quadratic: the absolute minimum, with or without reconvergence.
  QuadX q = Quadratic(0.0, -1.0, 2.0); // vertex at 0.25
  ValuesOnlyX f(q);
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrString reconverge("ReconvergeBestPoint", 1);
  XelMathAttrList list(&absolute);
  list.AddAttribute(&reconverge);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(-1.0, 1.0), minima, &list), 0);
  ExpectSameMinima(PointsOf(minima), {0.25}, kNewtonArgTol);
}

TEST(MinimizeX, LimitValueKeepsOnlyMinimaBelowIt) {
  // Values at the interior minima on [0, 4]: about -0.906, -0.780, -0.655; at the end 0: 0.
  WaveX f(5.0, 0.1, 112);
  const std::vector<double> inside = f.InteriorMinima(0.0, 4.0);
  const double limit = 0.5 * (f.Eval(inside[0]) + f.Eval(inside[1]));
  XelMathAttrDoubleValue attr("LimitValue", limit, 1);
  XelMathAttrList list(&attr);
  for (long intervals : {112L, 48L, 0L}) {
    WaveX g(5.0, 0.1, intervals);
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(g.Minimize(XelMathInterval(0.0, 4.0), minima, &list), 0);
    ExpectSameMinima(PointsOf(minima), {inside[0]}, kNewtonArgTol);
  }
}

TEST(MinimizeX, MaximizeFindsTheMaximaAndRestoresTheLimit) {
  WaveX f(5.0, 0.1, 112);
  const double a = 0.0, b = 4.0;
  std::vector<double> expected = f.InteriorMaxima(a, b);
  ASSERT_GT(f.EvalFirstDeriv(b), 0.0); // the high end is a maximum too
  expected.push_back(b);
  XelMathSetOfPointsND maxima(1);
  EXPECT_EQ(f.Maximize(XelMathInterval(a, b), maxima), 0);
  ExpectSameMinima(PointsOf(maxima), expected, kNewtonArgTol);

  // Only maxima at or above the limit; the attribute holds its value again afterwards.
  const double limit = 0.5 * (f.Eval(expected[1]) + f.Eval(expected[2]));
  XelMathAttrDoubleValue attr("LimitValue", limit, 1);
  XelMathAttrList list(&attr);
  for (long intervals : {112L, 0L}) {
    WaveX g(5.0, 0.1, intervals);
    EXPECT_EQ(g.Maximize(XelMathInterval(a, b), maxima, &list), 0);
    std::vector<double> high;
    for (double x : expected)
      if (g.Eval(x) >= limit)
        high.push_back(x);
    ExpectSameMinima(PointsOf(maxima), high, kNewtonArgTol);
    EXPECT_EQ(attr.GetValue(), limit);
  }
  // A downward parabola: the vertex; an upward one: both ends.
  QuadX cap = Quadratic(1.0, 0.0, -1.0), cup = Quadratic(1.0, 0.0, 1.0);
  EXPECT_EQ(cap.Maximize(XelMathInterval(-1.0, 2.0), maxima), 0);
  ExpectSameMinima(PointsOf(maxima), {0.0}, kNewtonArgTol);
  EXPECT_EQ(cup.Maximize(XelMathInterval(-1.0, 2.0), maxima), 0);
  ExpectSameMinima(PointsOf(maxima), {-1.0, 2.0}, 0.0);
}

TEST(MinimizeX, ScaledModelMapsDomainAndMinimaBack) {
  // At scale 10 with values in scale power 1: the minimizer works on a rescaled copy; the
  // minima come back in the caller's variable.
  WaveX f(5.0, 0.1, 112);
  XelTolerance scaled(10.0);
  XelMathAttrTolObject tol(scaled);
  XelMathAttrScaleOption option(1, 1);
  XelMathAttrList list(&tol);
  list.AddAttribute(&option);
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(0.0, 4.0), minima, &list), 0);
  // Point resolution and root resolution scale with the model: 10 times the unit ones.
  ExpectSameMinima(PointsOf(minima), WaveMinima(f, 0.0, 4.0), 10.0 * kNewtonArgTol);
  XelMathAttrScaleOption two(2, std::vector<long>{1, 2}.data(), 1, std::vector<long>{1}.data(), 0,
                             nullptr);
  XelMathAttrList bad(&tol);
  bad.AddAttribute(&two);
  ExpectInputError([&] { f.Minimize(XelMathInterval(0.0, 4.0), minima, &bad); }, 0x20006,
                   {"", "", "XelMathFunctionX::Minimize"});
}

TEST(MinimizeX, MisuseAndDegenerateInput) {
  WaveX f(5.0, 0.1, 112);
  XelMathSetOfPointsND wrong(2);
  ExpectInputError([&] { f.Minimize(XelMathInterval(0.0, 1.0), wrong); }, 0x20006,
                   {"the XelMathSetOfPointsND", "", "XelMathMinimize::Initialize"});
  XelMathSetOfPointsND minima(1);
  EXPECT_EQ(f.Minimize(XelMathInterval(1.0, 0.0), minima), 4);
  EXPECT_EQ(minima.GetNumberOfPoints(), 0);
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(f.Minimize(XelMathInterval(0.0, inf), minima), 4);
  // A point domain: the point itself.
  EXPECT_EQ(f.Minimize(XelMathInterval(0.7, 0.7), minima), 0);
  ASSERT_EQ(minima.GetNumberOfPoints(), 1);
  EXPECT_EQ(minima.GetPoints()[0], 0.7);
  // A function that returns NaN ends, whatever strategy.
  NaNX nan;
  XelMathAttrString brent("BrentMethod", 1);
  XelMathAttrList list(&brent);
  EXPECT_NO_THROW(nan.Minimize(XelMathInterval(0.0, 1.0), minima));
  EXPECT_NO_THROW(nan.Minimize(XelMathInterval(0.0, 1.0), minima, &list));
  EXPECT_EQ(minima.GetNumberOfPoints(), 0);
}

namespace {

// Functions whose first derivatives vanish at a point that is no extremum, or at an end where
// the function still rises or falls: sin(x^2) + cos^2 x, which grows from 0 like x^4 / 3, and
// x^3, which has an inflection at 0. Exact derivatives and interval images up to f'''.
class DegenerateX : public LeafX {
public:
  explicit DegenerateX(int iKind, long iOffered) : _kind(iKind) { offered = iOffered; }
  const char* IsA() const override { return "DegenerateX"; }
  XelMathFunctionX* Duplicate() const override { return new DegenerateX(*this); }
  double D(int k, double x) const override {
    if (_kind == 1)
      return k == 0 ? x * x * x : (k == 1 ? 3.0 * x * x : (k == 2 ? 6.0 * x : 6.0));
    const double s = std::sin(x * x), c = std::cos(x * x);
    switch (k) {
    case 0:
      return s + std::cos(x) * std::cos(x);
    case 1:
      return 2.0 * x * c - std::sin(2.0 * x);
    case 2:
      return 2.0 * c - 4.0 * x * x * s - 2.0 * std::cos(2.0 * x);
    default:
      return -12.0 * x * s - 8.0 * x * x * x * c + 4.0 * std::sin(2.0 * x);
    }
  }
  XelMathInterval DI(int k, const XelMathInterval& I) const override {
    if (_kind == 1)
      return k == 0 ? IPower(I, 3)
                    : (k == 1 ? IScale(3.0, IPower(I, 2))
                              : (k == 2 ? IScale(6.0, I) : XelMathInterval(6.0, 6.0)));
    const XelMathInterval x2 = ISquare(I), s = ISin(x2.low, x2.high);
    const XelMathInterval c = ISin(x2.low + 0.5 * kPi, x2.high + 0.5 * kPi);
    const XelMathInterval s2 = ISin(2.0 * I.low, 2.0 * I.high);
    const XelMathInterval c2 = ISin(2.0 * I.low + 0.5 * kPi, 2.0 * I.high + 0.5 * kPi);
    switch (k) {
    case 0:
      return IAdd(s, IAdd(XelMathInterval(0.5, 0.5), IScale(0.5, c2)));
    case 1:
      return IAdd(IScale(2.0, IMul(I, c)), IScale(-1.0, s2));
    case 2:
      return IAdd(IScale(2.0, c), IAdd(IScale(-4.0, IMul(x2, s)), IScale(-2.0, c2)));
    default:
      return IAdd(IScale(-12.0, IMul(I, s)),
                  IAdd(IScale(-8.0, IMul(IPower(I, 3), c)), IScale(4.0, s2)));
    }
  }

private:
  int _kind;
};

// log x: NaN below 0, -infinity at 0; exact derivatives, no interval images.
class LogX : public LeafX {
public:
  explicit LogX(long iOffered) { offered = iOffered; }
  const char* IsA() const override { return "LogX"; }
  XelMathFunctionX* Duplicate() const override { return new LogX(*this); }
  double D(int k, double x) const override {
    return k == 0 ? std::log(x)
                  : (k == 1 ? 1.0 / x : (k == 2 ? -1.0 / (x * x) : 2.0 / (x * x * x)));
  }
  XelMathInterval DI(int, const XelMathInterval&) const override { return XelMathInterval(); }
};

} // namespace

TEST(MinimizeX, StationaryPointsAreClassifiedByHowTheFunctionChanges) {
  // On every strategy, minimizing and maximizing: an end where f' = f'' = 0 is a minimum only
  // when the function rises from it, and an inflection with f' = f'' = 0 is no extremum.
  struct Case {
    int kind;
    XelMathInterval domain;
    std::vector<double> minima, maxima;
  };
  const Case cases[] = {{0, {0.0, 0.5}, {0.0}, {0.5}},
                        {0, {-0.5, 0.0}, {0.0}, {-0.5}},
                        {1, {-1.0, 1.0}, {-1.0}, {1.0}},
                        {1, {0.0, 1.0}, {0.0}, {1.0}},
                        {1, {-1.0, 0.0}, {-1.0}, {0.0}}};
  XelMathAttrString brent("BrentMethod", 1);
  XelMathAttrList brentList(&brent);
  for (const Case& c : cases)
    for (long strategy : {255L, 63L, 15L, -1L}) {
      const DegenerateX f(c.kind, strategy < 0 ? 15L : strategy);
      const XelMathAttrList* list = strategy < 0 ? &brentList : nullptr;
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " on [" << c.domain.low << ", "
                                      << c.domain.high << "] strategy " << strategy);
      XelMathSetOfPointsND points(1);
      f.Minimize(c.domain, points, list);
      ExpectSameMinima(PointsOf(points), c.minima, kBrentArgTol);
      f.Maximize(c.domain, points, list);
      ExpectSameMinima(PointsOf(points), c.maxima, kBrentArgTol);
    }
}

TEST(MinimizeX, PointsWhereTheFunctionIsNaNAreNeverExtrema) {
  // log x on [-1, 1]: NaN on the left half, unbounded below at 0+; the only extremum is the
  // maximum at 1. Nothing returned may have a non-finite value.
  XelMathAttrString brent("BrentMethod", 1), absolute("AbsoluteExtremum", 1);
  XelMathAttrList brentList(&brent), absoluteList(&absolute);
  for (long offered : {15L, 1L})
    for (const XelMathAttrList* list : {static_cast<const XelMathAttrList*>(nullptr),
                                        static_cast<const XelMathAttrList*>(&brentList),
                                        static_cast<const XelMathAttrList*>(&absoluteList)}) {
      const LogX f(offered);
      SCOPED_TRACE(testing::Message() << "offered " << offered << " list " << list);
      XelMathSetOfPointsND points(1);
      f.Minimize(XelMathInterval(-1.0, 1.0), points, list);
      for (double x : PointsOf(points))
        EXPECT_TRUE(std::isfinite(f.Eval(x))) << "minimum at " << x;
      f.Maximize(XelMathInterval(-1.0, 1.0), points, list);
      ExpectSameMinima(PointsOf(points), {1.0}, kBrentArgTol);
    }
}

TEST(MinimizeX, ImageByExtremumSearchEnclosesTheValuesOrSaysItCannot) {
  // log x known by its values only: no Chebyshev series converges, the image comes from the
  // extremum search. It encloses every finite value, or has an infinite end.
  const LogX f(1);
  for (const XelMathInterval I :
       {XelMathInterval(-1.0, 1.0), XelMathInterval(1e-3, 1.0), XelMathInterval(-1.0, -0.5)}) {
    const XelMathInterval image = f.ComputeOptimalImage(I, Tol());
    SCOPED_TRACE(testing::Message() << "[" << I.low << ", " << I.high << "]");
    EXPECT_FALSE(std::isnan(image.low) || std::isnan(image.high));
    for (long k = 0; k <= 1000; ++k) {
      const double x = k == 1000 ? I.high : I.low + (I.high - I.low) * (k / 1000.0);
      const double v = f.Eval(x);
      if (std::isfinite(v)) {
        EXPECT_LE(image.low, v) << x;
        EXPECT_GE(image.high, v) << x;
      }
    }
  }
  // Where the function is finite the answer stays bounded.
  const XelMathInterval bounded = f.ComputeOptimalImage(XelMathInterval(1e-3, 1.0), Tol());
  EXPECT_TRUE(std::isfinite(bounded.low) && std::isfinite(bounded.high));
}

TEST(MinimizeX, InvalidOptionValuesRaise) {
  WaveX f(5.0, 0.1, 0);
  const XelMathInterval domain(0.0, 4.0);
  XelMathSetOfPointsND minima(1);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  XelMathAttrString brent("BrentMethod", 1);
  for (bool withBrent : {false, true}) {
    XelMathAttrIntegerValue sampling("SamplingPoints", LONG_MAX, 1);
    XelMathAttrList list(&sampling);
    if (withBrent)
      list.AddAttribute(&brent);
    ExpectInputError(
        [&] { f.Minimize(domain, minima, &list); }, 0x20004,
        {"SamplingPoints", "Invalid Number Of Points", "XelMathMinimizeX::SetSamplingValue"});
  }
  for (double ratio : {-0.1, nan, inf}) {
    XelMathAttrDoubleValue attr("InternalMinWidthRatio", ratio, 1);
    XelMathAttrList list(&attr);
    ExpectInputError([&] { f.Minimize(domain, minima, &list); }, 0x20006,
                     {"InternalMinWidthRatio", "", "XelMathMinimizeX::SetInternalMinWidthRatio"});
  }
  XelMathAttrDoubleValue limit("LimitValue", nan, 1);
  XelMathAttrList limitList(&limit);
  ExpectInputError([&] { f.Minimize(domain, minima, &limitList); }, 0x20006,
                   {"LimitValue", "", "XelMathMinimizeX::SetLimitValue"});
  ExpectInputError([&] { f.Maximize(domain, minima, &limitList); }, 0x20006,
                   {"LimitValue", "", "XelMathMinimizeX::SetLimitValue"});
  // Scale powers whose factors overflow or underflow, or whose differences would overflow.
  XelTolerance scaled(10.0);
  XelMathAttrTolObject tol(scaled);
  for (long power : {LONG_MIN, LONG_MAX, -400L, 400L}) {
    XelMathAttrScaleOption option(power, 1), variable(2, power);
    for (XelMathAttrScaleOption* o : {&option, &variable}) {
      XelMathAttrList list(&tol);
      list.AddAttribute(o);
      SCOPED_TRACE(power);
      ExpectInputError([&] { f.Minimize(domain, minima, &list); }, 0x20006,
                       {"the XelMathAttrScaleOption", "", "XelMathFunctionX::Minimize"});
    }
  }
}

TEST(MinimizeX, MinimizerObjectSettersAndNoLeak) {
  const long before = LiveBlocks();
  {
    WaveX f(5.0, 0.1, 0);
    XelMathMinimizeX m(&f, Tol());
    m.SetLimitValue(-0.5, 0);
    m.SetLimitValue(-0.5, 1);
    EXPECT_EQ(m.GetUnreviewedCount(), 1);
    EXPECT_TRUE(m.IsLimitSet());
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(m.Run(XelMathInterval(0.0, 4.0), minima), 0);
    for (double x : PointsOf(minima))
      EXPECT_LE(f.Eval(x), -0.5);
    // Duplicates: offering a kept minimum again, or a point within the resolution, fails.
    const double x0 = minima.GetPoints()[0];
    EXPECT_EQ(m.AddMinimum(x0), 0);
    EXPECT_EQ(m.AddMinimum(x0 + 0.5 * kPointRes), 0);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

// ==== N variables =============================================================================

namespace {

// The minimizer stops when the projected gradient is below 1e5 relative epsilons (S + |f|):
// at a minimum whose Hessian has smallest eigenvalue lambda, the point is then within that
// over lambda. Each test divides by its own lambda and keeps a factor 10 of margin.
const double kGradTol = 1e5 * XelGetDefaultTolerance().GetRelativeEpsilon();

// Rosenbrock valley 100 (y - x^2)^2 + (1 - x)^2, minimum 0 at (1, 1) where the smallest
// Hessian eigenvalue is about 0.4; exact gradient and Hessian unless iValuesOnly.
class RosenbrockRN : public XelMathFunctionRN {
public:
  explicit RosenbrockRN(bool iValuesOnly) : XelMathFunctionRN(2), _valuesOnly(iValuesOnly) {}
  const char* IsA() const override { return "RosenbrockRN"; }
  unsigned char IsOption(const long o) const override {
    return _valuesOnly ? o == 1 : (o & ~7L) == 0;
  }
  using XelMathFunctionRN::Eval;
  using XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv;
  double Eval(const double* p) const override {
    const double x = p[0], y = p[1];
    return 100.0 * (y - x * x) * (y - x * x) + (1.0 - x) * (1.0 - x);
  }
  double EvalFirstDeriv(const long& i, const double* p) const override {
    if (_valuesOnly)
      return XelMathFunctionRN::EvalFirstDeriv(i, p);
    const double x = p[0], y = p[1];
    return i == 0 ? -400.0 * x * (y - x * x) - 2.0 * (1.0 - x) : 200.0 * (y - x * x);
  }
  double EvalSecondDeriv(const long& i, const long& j, const double* p) const override {
    if (_valuesOnly)
      return XelMathFunctionRN::EvalSecondDeriv(i, j, p);
    const double x = p[0], y = p[1];
    if (i == 0 && j == 0)
      return 1200.0 * x * x - 400.0 * y + 2.0;
    if (i == 1 && j == 1)
      return 200.0;
    return -400.0 * x;
  }
  XelMathFunctionRN* Duplicate() const override { return new RosenbrockRN(_valuesOnly); }

private:
  bool _valuesOnly;
};

// 1/2 (x - c)^T A (x - c) + iShift with A symmetric positive definite (row-major).
class QuadraticRN : public XelMathFunctionRN {
public:
  QuadraticRN(long n, const double* a, const double* c)
      : XelMathFunctionRN(n), _a(a, a + n * n), _c(c, c + n) {}
  const char* IsA() const override { return "QuadraticRN"; }
  unsigned char IsOption(const long o) const override { return (o & ~7L) == 0; }
  using XelMathFunctionRN::Eval;
  using XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv;
  double Eval(const double* x) const override {
    double s = 0.0;
    for (long i = 0; i < _n; ++i)
      for (long j = 0; j < _n; ++j)
        s += 0.5 * (x[i] - _c[i]) * _a[i * _n + j] * (x[j] - _c[j]);
    return s;
  }
  double EvalFirstDeriv(const long& i, const double* x) const override {
    double s = 0.0;
    for (long j = 0; j < _n; ++j)
      s += _a[i * _n + j] * (x[j] - _c[j]);
    return s;
  }
  double EvalSecondDeriv(const long& i, const long& j, const double*) const override {
    return _a[i * _n + j];
  }
  XelMathFunctionRN* Duplicate() const override {
    return new QuadraticRN(_n, _a.data(), _c.data());
  }

private:
  std::vector<double> _a, _c;
};

// (x^2 - 1)^2 + y^2: two minima (+-1, 0), smallest Hessian eigenvalue 2 at both.
class DoubleWellRN : public XelMathFunctionRN {
public:
  DoubleWellRN() : XelMathFunctionRN(2) {}
  const char* IsA() const override { return "DoubleWellRN"; }
  unsigned char IsOption(const long o) const override { return o == 1; }
  using XelMathFunctionRN::Eval;
  double Eval(const double* p) const override {
    return (p[0] * p[0] - 1.0) * (p[0] * p[0] - 1.0) + p[1] * p[1];
  }
  XelMathFunctionRN* Duplicate() const override { return new DoubleWellRN; }
};

// |x - 0.3| + |y + 0.2| + 0.5 (x - 0.3 + y + 0.2): its minimum is a kink where the slopes
// are 1.5 and -0.5, so no gradient (exact on either side, or centred difference: 0.5) is
// ever small there.
class KinkRN : public XelMathFunctionRN {
public:
  KinkRN() : XelMathFunctionRN(2) {}
  const char* IsA() const override { return "KinkRN"; }
  unsigned char IsOption(const long o) const override { return o == 1; }
  using XelMathFunctionRN::Eval;
  double Eval(const double* p) const override {
    return std::fabs(p[0] - 0.3) + std::fabs(p[1] + 0.2) + 0.5 * (p[0] - 0.3 + p[1] + 0.2);
  }
  XelMathFunctionRN* Duplicate() const override { return new KinkRN; }
};

XelMathIntervalND Box(long n, double lo, double hi) {
  XelMathIntervalND box(n);
  for (long i = 0; i < n; ++i)
    box.SetInterval(i, XelMathInterval(lo, hi));
  return box;
}

// Runs the minimizer from iStarts (flat array of N-coordinate points).
int MinimizeFrom(const XelMathFunctionRN& f, const XelMathIntervalND& box,
                 const std::vector<double>& iStarts, bool iBfgs, XelMathSetOfPointsND& oMinima,
                 bool iKeep = false) {
  const long n = f.GetNumberOfVariables();
  XelMathSetOfPointsND starts(n);
  for (std::size_t k = 0; k + n <= iStarts.size(); k += n)
    starts.AddPoint(iStarts.data() + k);
  XelMathAttrPointerValue inits("MinimizeWithInits", &starts, 1);
  XelMathAttrString bfgs("BFGS", 1);
  XelMathAttrString keep("KeepBestSol", 1);
  XelMathAttrList list(&inits);
  if (iBfgs)
    list.AddAttribute(&bfgs);
  if (iKeep)
    list.AddAttribute(&keep);
  return f.Minimize(box, oMinima, &list);
}

void ExpectPoint(const XelMathSetOfPointsND& s, long k, const std::vector<double>& iExpected,
                 double iTol) {
  ASSERT_LT(k, s.GetNumberOfPoints());
  for (std::size_t i = 0; i < iExpected.size(); ++i)
    EXPECT_NEAR(s.GetPoints()[k * s.GetDimension() + static_cast<long>(i)], iExpected[i], iTol)
        << "coordinate " << i;
}

} // namespace

TEST(MinimizeRN, RosenbrockValleyByBfgsAndByNewton) {
  const double tol = 10.0 * kGradTol / 0.4;
  const XelMathIntervalND box = Box(2, -5.0, 5.0);
  for (bool valuesOnly : {false, true})
    for (bool bfgs : {true, false}) {
      SCOPED_TRACE(testing::Message() << "values only " << valuesOnly << ", BFGS " << bfgs);
      RosenbrockRN f(valuesOnly);
      XelMathSetOfPointsND minima(2);
      EXPECT_EQ(MinimizeFrom(f, box, {-1.2, 1.0, 2.5, -3.0, -4.0, 4.0}, bfgs, minima), 0);
      ASSERT_EQ(minima.GetNumberOfPoints(), 1); // three starts, one minimum
      // Difference gradients (step 1e-6) carry errors of 1e-10 |f| / 1e-6: the valley floor
      // is then resolved to about 1e-6 along its flat direction.
      ExpectPoint(minima, 0, {1.0, 1.0}, valuesOnly ? 1e3 * tol : tol);
    }
}

TEST(MinimizeRN, ConvexQuadraticFromSeveralStartsMergesIntoOne) {
  // A = [[4, 1, 0], [1, 3, 1], [0, 1, 2]] (eigenvalues above 1.2), centre inside the box.
  const double a[9] = {4, 1, 0, 1, 3, 1, 0, 1, 2};
  const double c[3] = {0.5, -1.0, 2.0};
  QuadraticRN f(3, a, c);
  const double tol = 10.0 * kGradTol / 1.2;
  for (bool bfgs : {true, false}) {
    XelMathSetOfPointsND minima(3);
    EXPECT_EQ(MinimizeFrom(f, Box(3, -3.0, 3.0), {0, 0, 0, 3, 3, 3, -3, 2, -1}, bfgs, minima), 0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    ExpectPoint(minima, 0, {0.5, -1.0, 2.0}, tol);
  }
}

TEST(MinimizeRN, OptimumOnTheBoundaryOfTheBox) {
  // A = [[2, 1], [1, 2]], c = (2, -1), box [-1, 1]^2: on x = 1 the best y solves
  // (1 - 2) + 2 (y + 1) = 0, y = -0.5; there the x-gradient 2 (1 - 2) + 0.5 = -1.5 pushes out.
  const double a[4] = {2, 1, 1, 2};
  const double c[2] = {2.0, -1.0};
  QuadraticRN f(2, a, c);
  for (bool bfgs : {true, false}) {
    XelMathSetOfPointsND minima(2);
    EXPECT_EQ(MinimizeFrom(f, Box(2, -1.0, 1.0), {-1, -1, 0.9, 0.9, 0, 0.5}, bfgs, minima), 0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    ExpectPoint(minima, 0, {1.0, -0.5}, 10.0 * kGradTol / 2.0);
    EXPECT_EQ(minima.GetPoints()[0], 1.0); // exactly on the bound
  }
  // Diagonal case with the centre outside in two coordinates: the clamp of the centre.
  const double d[9] = {1, 0, 0, 0, 4, 0, 0, 0, 9};
  const double c3[3] = {5.0, -0.25, -7.0};
  QuadraticRN g(3, d, c3);
  XelMathSetOfPointsND minima(3);
  EXPECT_EQ(MinimizeFrom(g, Box(3, -2.0, 2.0), {0, 0, 0}, false, minima), 0);
  ExpectPoint(minima, 0, {2.0, -0.25, -2.0}, 10.0 * kGradTol / 4.0);
}

TEST(MinimizeRN, TwoWellsFromTwoStartsGiveTwoMinima) {
  DoubleWellRN f;
  for (bool bfgs : {true, false}) {
    XelMathSetOfPointsND minima(2);
    EXPECT_EQ(MinimizeFrom(f, Box(2, -3.0, 3.0), {-2.0, 0.5, 2.0, -0.5, 0.7, 1.0}, bfgs, minima),
              0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 2);
    minima.Sort(0);
    // Difference gradients: about 1e-10 accuracy, far below this.
    ExpectPoint(minima, 0, {-1.0, 0.0}, 1e3 * kGradTol);
    ExpectPoint(minima, 1, {1.0, 0.0}, 1e3 * kGradTol);
  }
}

TEST(MinimizeRN, KeepBestSolReturnsTheKeptPointsWithStatus7) {
  KinkRN f;
  XelMathSetOfPointsND minima(2);
  EXPECT_EQ(MinimizeFrom(f, Box(2, -1.0, 1.0), {0.9, 0.9}, true, minima, true), 7);
  ASSERT_EQ(minima.GetNumberOfPoints(), 1);
  // The best point reached is close to the kink (differences of step 1e-6 around it).
  ExpectPoint(minima, 0, {0.3, -0.2}, 1e-4);
  EXPECT_EQ(MinimizeFrom(f, Box(2, -1.0, 1.0), {0.9, 0.9}, true, minima, false), 7);
  EXPECT_EQ(minima.GetNumberOfPoints(), 0);

  // A budget too small to converge on the valley: the kept point, status 7.
  RosenbrockRN r(false);
  XelMathMinimizeRN m(&r, Tol());
  m.SetMaxIterations(2, 2);
  XelMathSetOfPointsND starts(2);
  const double s[2] = {-1.2, 1.0};
  starts.AddPoint(s);
  XelMathAttrPointerValue inits("MinimizeWithInits", &starts, 1);
  XelMathAttrString keep("KeepBestSol", 1);
  XelMathAttrList list(&inits);
  list.AddAttribute(&keep);
  EXPECT_EQ(m.Run(Box(2, -5.0, 5.0), minima, &list), 7);
  ASSERT_EQ(minima.GetNumberOfPoints(), 1);
  EXPECT_LT(r.Eval(minima.GetPoints()), r.Eval(s));
}

TEST(MinimizeRN, OptionsStartsFromTheSetAndMisuse) {
  const long before = LiveBlocks();
  {
    const double a[4] = {1, 0, 0, 1};
    const double c[2] = {0.25, 0.5};
    QuadraticRN f(2, a, c);
    const XelMathIntervalND box = Box(2, -1.0, 1.0);
    // Without "MinimizeWithInits": nothing done, the set untouched.
    XelMathSetOfPointsND minima(2);
    const double p[2] = {0.9, -0.9};
    minima.AddPoint(p);
    XelMathAttrString bfgs("BFGS", 1);
    XelMathAttrList none(&bfgs);
    EXPECT_EQ(f.Minimize(box, minima, &none), 0);
    EXPECT_EQ(f.Minimize(box, minima, nullptr), 0);
    EXPECT_EQ(minima.GetNumberOfPoints(), 1);
    // A presence attribute: the starts are the points of the set.
    XelMathAttrString inits("MinimizeWithInits", 1);
    XelMathAttrList list(&inits);
    EXPECT_EQ(f.Minimize(box, minima, &list), 0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    ExpectPoint(minima, 0, {0.25, 0.5}, 10.0 * kGradTol);
    // Starts outside the box are projected into it; NaN starts are skipped.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(MinimizeFrom(f, box, {nan, 0.0, 7.0, -7.0}, true, minima), 0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    // An empty box: status 4, nothing.
    XelMathIntervalND empty = Box(2, 1.0, -1.0);
    EXPECT_EQ(MinimizeFrom(f, empty, {0.0, 0.0}, true, minima), 4);
    EXPECT_EQ(minima.GetNumberOfPoints(), 0);
    // Wrong dimensions raise.
    XelMathSetOfPointsND wrong(3);
    ExpectInputError(
        [&] {
          MinimizeFrom(f, Box(3, -1.0, 1.0), {0.0, 0.0}, true, minima);
        },
        0x20006, {"", "", "XelMathMinimizeRN::Run"});
    ExpectInputError([&] { f.Minimize(box, wrong, &list); }, 0x20006,
                     {"", "", "XelMathMinimizeRN::Run"});
  }
  EXPECT_EQ(LiveBlocks(), before);
}
