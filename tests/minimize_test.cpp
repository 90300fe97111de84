// Minimization: every local minimum of functions with known minima, on each strategy and under
// each option of Minimize; degenerate stationary points, NaN, misuse; the N-variable minimizer
// by BFGS and by bounded Newton on a Rosenbrock valley, quadratics and box-bound optima.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathFunctionRN.h"
#include "XelMathFunctionX.h"
#include "XelMathIntervalND.h"
#include "XelMathMinimizeRN.h"
#include "XelMathMinimizeX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"
#include "values_only.h"

namespace {

using namespace xeltest;

const XelTolerance& Tol() {
  return XelGetDefaultTolerance();
}
// Newton solves of f' = 0 accept |f'| below 1000 root resolutions (times sqrt(1 + f''^2)):
// with |f''| of order 1 to 25, the argument within that, times 100 of margin.
const double kNewtonArgTol = 100.0 * 1000.0 * XelGetDefaultTolerance().GetRootResolution();
// Brent's search resolves f to the bisection epsilon W: near a minimum with curvature c the
// argument is known to sqrt(2 W (1 + |f|) / c); c >= 1 here, a factor 30 of margin.
const double kBrentArgTol =
    30.0 * std::sqrt(2.0 * 2.0 * XelGetDefaultTolerance().GetBisectionEpsilon());
// Two minima closer than this are one.
const double kPointRes = XelGetDefaultTolerance().GetPointResolution();

// f(x) = sin(w x) + s x, exact derivatives; interval images per iIntervals (0, 48, 112).
class WaveX : public SineX {
public:
  WaveX(double iW, double iS, long iIntervals) : SineX(iW, 0.0, iS), _w(iW), _s(iS) {
    offered = 1 | 2 | 4 | 8 | iIntervals;
  }
  const char* IsA() const override { return "WaveX"; }
  XelMathFunctionX* Duplicate() const override { return new WaveX(*this); }

  // Interior minima (iSign -1) or maxima (+1) in [a, b] in closed form: f' = 0 where
  // cos(w x) = -s / w; f'' > 0 where sin(w x) < 0, i.e. minima at w x = 2 pi k - acos(-s / w).
  std::vector<double> Interior(double a, double b, double iSign) const {
    std::vector<double> r;
    const double t = std::acos(-_s / _w);
    for (long k = -100; k <= 100; ++k) {
      const double x = (2.0 * kPi * static_cast<double>(k) + iSign * t) / _w;
      if (x > a && x < b)
        r.push_back(x);
    }
    return r;
  }
  // The minima with the ends where the function rises from them.
  std::vector<double> Minima(double a, double b) const {
    std::vector<double> r = Interior(a, b, -1.0);
    if (EvalFirstDeriv(a) > 0.0)
      r.insert(r.begin(), a);
    if (EvalFirstDeriv(b) < 0.0)
      r.push_back(b);
    return r;
  }

private:
  double _w, _s;
};

// Every expected point matched by exactly one found point within iTol (1 + |e|), nothing else
// found, in increasing order.
void ExpectSameMinima(const std::vector<double>& iFound, const std::vector<double>& iExpected,
                      double iTol) {
  std::vector<double> tol;
  for (double e : iExpected)
    tol.push_back(iTol * (1.0 + std::fabs(e)));
  ExpectSameRoots(iFound, iExpected, tol);
  EXPECT_TRUE(std::is_sorted(iFound.begin(), iFound.end()));
}

typedef std::vector<const XelMathAttribute*> Options;

// The extrema of f on I under the attributes iOptions; the status is checked unless iStatus < 0.
std::vector<double> Extrema(const XelMathFunctionX& f, const XelMathInterval& I,
                            const Options& iOptions = {}, bool iMaximize = false, int iStatus = 0) {
  XelMathAttrList list;
  for (const XelMathAttribute* a : iOptions)
    list.AddAttribute(a);
  XelMathSetOfPointsND points(1);
  const int status = iMaximize ? f.Maximize(I, points, &list) : f.Minimize(I, points, &list);
  EXPECT_TRUE(iStatus < 0 || status == iStatus) << status;
  return PointsOf(points);
}

XelMathAttrString gBrent("BrentMethod", 1), gInterior("InteriorExtremum", 1);
XelMathAttrString gAbsolute("AbsoluteExtremum", 1), gReconverge("ReconvergeBestPoint", 1);
XelMathAttrString gTrueSampling("BrentMethodTrueSampling", 1);
XelMathAttrIntegerValue gForty("SamplingPoints", 40, 1);

// Strategies: interval images of f, f', f'' (112) or f, f' (48), sampled exact derivatives (0),
// values only by sampling (-1) and by Brent's search (-2).
const std::vector<long> kAll = {112, 48, 0, -1, -2}, kDerivatives = {112, 48, 0};

} // namespace


TEST(MinimizeX, WaveMinimaOnEveryStrategy) {
  const XelTolerance scaled(10.0);
  XelMathAttrTolObject scaledTol(scaled);
  XelMathAttrScaleOption scale(1, 1);
  // Values at the interior minima on [0, 4]: about -0.906, -0.780, -0.655; at the end 0: 0.
  const WaveX ref(5.0, 0.1, 0);
  const std::vector<double> inside = ref.Interior(0.0, 4.0, -1.0);
  XelMathAttrDoubleValue limit("LimitValue", 0.5 * (ref.Eval(inside[0]) + ref.Eval(inside[1])), 1);
  typedef std::function<std::vector<double>(const WaveX&, double, double)> Expected;
  const Expected all = [](const WaveX& f, double a, double b) { return f.Minima(a, b); };
  const struct {
    const char* name;
    double w, a, b;
    std::vector<long> strategies;
    Options options;
    Expected expected;
    double scale;
  } cases[] = {
      {"sin(5x) + 0.1x", 5.0, 0.0, 4.0, kAll, {}, all, 1.0},
      // f'(3.3) < 0: a minimum at the high end, found first by the sampling and returned last.
      {"minimum at the high end", 5.0, 0.0, 3.3, kAll, {}, all, 1.0},
      // sin(40x) + 0.1x, 15 samples 2.86 rad apart: f' often has one sign at two samples and
      // crosses 0 twice in between; every minimum is found through the dip of f'.
      {"between samples of one derivative sign", 40.0, 0.0, 1.0, kDerivatives, {}, all, 1.0},
      {"interior mode", 5.0, 0.0, 3.3, kDerivatives, {&gInterior},
       [](const WaveX& f, double a, double b) { return f.Interior(a, b, -1.0); }, 1.0},
      // The leftmost interior minimum is the lowest: on [-3, 4] the one near -2.32.
      {"absolute mode", 5.0, -3.0, 4.0, kAll, {&gAbsolute},
       [](const WaveX& f, double a, double b) {
         return std::vector<double>{f.Interior(a, b, -1.0).front()};
       },
       1.0},
      // f'(0.93) < 0 but f(0.93) is below the next sample: the first minimum hides in the
      // first gap of every sampling.
      {"minimum in the first gap", 5.0, 0.93, 4.0, kAll, {}, all, 1.0},
      {"limit value", 5.0, 0.0, 4.0, kAll, {&limit},
       [&](const WaveX&, double, double) { return std::vector<double>{inside[0]}; }, 1.0},
      // True sampling: the end 0 (value 0), found first, sets the limit; all others are below.
      {"true sampling", 5.0, 0.0, 4.0, {-2}, {&gTrueSampling, &gForty}, all, 1.0},
      // At scale 10 (values in power 1) the minima come back to 10 times the unit resolutions.
      {"scaled model", 5.0, 0.0, 4.0, {112}, {&scaledTol, &scale}, all, 10.0},
  };
  for (const auto& c : cases)
    for (long strategy : c.strategies) {
      SCOPED_TRACE(testing::Message() << c.name << ", strategy " << strategy);
      const WaveX wave(c.w, 0.1, std::max(strategy, 0L));
      const ValuesX values([&wave](double x) { return wave.Eval(x); });
      Options options = c.options;
      if (strategy == -2)
        options.push_back(&gBrent);
      ExpectSameMinima(Extrema(strategy < 0 ? static_cast<const XelMathFunctionX&>(values) : wave,
                               XelMathInterval(c.a, c.b), options),
                       c.expected(wave, c.a, c.b),
                       c.scale * (strategy == -2 ? kBrentArgTol : kNewtonArgTol));
    }
  // "DiscretizationMethod": the interval images are not asked; these would say that f' keeps
  // its sign, hiding every interior minimum from the interval strategies.
  struct BlindImages : WaveX {
    explicit BlindImages(long iIntervals) : WaveX(5.0, 0.1, iIntervals) {}
    XelMathInterval DI(int k, const XelMathInterval& I) const override {
      return k == 1 ? XelMathInterval(1.0, 2.0) : WaveX::DI(k, I);
    }
  };
  XelMathAttrString discretization("DiscretizationMethod", 1);
  for (long intervals : {112L, 48L}) {
    const BlindImages blind(intervals);
    EXPECT_TRUE(ref.Interior(0.0, 4.0, -1.0).size() > Extrema(blind, {0.0, 4.0}).size());
    ExpectSameMinima(Extrema(blind, {0.0, 4.0}, {&discretization}), ref.Minima(0.0, 4.0),
                     kNewtonArgTol);
  }
}

TEST(MinimizeX, ConstantLinearAndQuadraticFunctions) {
  const struct {
    double c0, c1, c2, a, b;
    Options options;
    bool maximize;
    int status;
    std::vector<double> expected;
    double tol;
  } cases[] = {
      // Constant: status 2 and the midpoint, by sampling and by Brent's search.
      {3.0, 0.0, 0.0, -1.0, 2.0, {}, false, 2, {0.5}, 0.0},
      {3.0, 0.0, 0.0, -1.0, 2.0, {&gBrent}, false, 2, {0.5}, 0.0},
      // Linear: the minimum at an end, none inside.
      {1.0, 2.0, 0.0, -1.0, 3.0, {}, false, 0, {-1.0}, 0.0},
      {1.0, -0.5, 0.0, -1.0, 3.0, {}, false, 0, {3.0}, 0.0},
      {1.0, 2.0, 0.0, -1.0, 3.0, {&gInterior}, false, 0, {}, 0.0},
      {1.0, -0.5, 0.0, -1.0, 3.0, {&gInterior}, false, 0, {}, 0.0},
      // A single well, absolute with reconvergence of the best sample.
      {0.0, -1.0, 2.0, -1.0, 1.0, {&gAbsolute, &gReconverge}, false, 0, {0.25}, kNewtonArgTol},
      // Maxima: a downward parabola at its vertex, an upward one at both ends.
      {1.0, 0.0, -1.0, -1.0, 2.0, {}, true, 0, {0.0}, kNewtonArgTol},
      {1.0, 0.0, 1.0, -1.0, 2.0, {}, true, 0, {-1.0, 2.0}, 0.0},
      // A domain of one point: the point itself.
      {0.0, -1.0, 2.0, 0.7, 0.7, {}, false, 0, {0.7}, 0.0},
  };
  for (const auto& c : cases) {
    QuadX q(c.c2, c.c1, c.c0); // c0 + c1 x + c2 x^2, every evaluation exact, intervals included
    q.offered = 255;
    const ValuesX values([&q](double x) { return q.Eval(x); });
    for (const XelMathFunctionX* f : {static_cast<const XelMathFunctionX*>(&q),
                                      static_cast<const XelMathFunctionX*>(&values)}) {
      SCOPED_TRACE(testing::Message() << c.c0 << " + " << c.c1 << " x + " << c.c2 << " x^2 on ["
                                      << c.a << ", " << c.b << "] " << f->IsA());
      ExpectSameMinima(Extrema(*f, XelMathInterval(c.a, c.b), c.options, c.maximize, c.status),
                       c.expected, c.tol);
    }
  }
}

TEST(MinimizeX, MaximaLimitsAndDuplicates) {
  WaveX f(5.0, 0.1, 112);
  const double a = 0.0, b = 4.0;
  std::vector<double> expected = f.Interior(a, b, 1.0);
  ASSERT_GT(f.EvalFirstDeriv(b), 0.0); // the high end is a maximum too
  expected.push_back(b);
  ExpectSameMinima(Extrema(f, XelMathInterval(a, b), {}, true), expected, kNewtonArgTol);
  // Only maxima at or above the limit; the attribute holds its value again afterwards.
  const double limit = 0.5 * (f.Eval(expected[1]) + f.Eval(expected[2]));
  XelMathAttrDoubleValue attr("LimitValue", limit, 1);
  for (long intervals : {112L, 0L}) {
    const WaveX g(5.0, 0.1, intervals);
    std::vector<double> high;
    for (double x : expected)
      if (g.Eval(x) >= limit)
        high.push_back(x);
    ExpectSameMinima(Extrema(g, XelMathInterval(a, b), {&attr}, true), high, kNewtonArgTol);
    EXPECT_EQ(attr.GetValue(), limit);
  }
  // A limit on a minimizer object keeps minima below it; duplicates are refused, no leak.
  const long before = LiveBlocks();
  {
    XelMathMinimizeX m(&f, Tol());
    m.SetLimitValue(-0.5, 1);
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(m.Run(XelMathInterval(0.0, 4.0), minima), 0);
    ASSERT_GT(minima.GetNumberOfPoints(), 0);
    for (double x : PointsOf(minima))
      EXPECT_LE(f.Eval(x), -0.5);
    const double x0 = minima.GetPoints()[0];
    EXPECT_EQ(m.AddMinimum(x0), 0);
    EXPECT_EQ(m.AddMinimum(x0 + 0.5 * kPointRes), 0);
  }
  // 95 minima of sin 150x + 0.1x, both ends among them and found first: each once; each one
  // given again, or within the point resolution, is refused; a point between two taken once.
  {
    const WaveX many(150.0, 0.1, 0);
    XelMathMinimizeX m(&many, Tol());
    m.SetSamplingValue(2000);
    XelMathSetOfPointsND minima(1);
    EXPECT_EQ(m.Run(XelMathInterval(a, b), minima), 0);
    const std::vector<double> found = SortedPoints(minima);
    ExpectSameMinima(found, many.Minima(a, b), kNewtonArgTol);
    for (std::size_t k = 0; k < found.size(); k += 7) {
      EXPECT_EQ(m.AddMinimum(found[k]), 0) << k;
      EXPECT_EQ(m.AddMinimum(found[k] - 0.5 * kPointRes), 0) << k;
    }
    const double between = 0.5 * (found[40] + found[41]);
    EXPECT_EQ(m.AddMinimum(between), 1);
    EXPECT_EQ(m.AddMinimum(between), 0);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

namespace {

// f' = 0 at a point that is no extremum, or at an end where f still rises or falls:
// sin(x^2) + cos^2 x (from 0 like x^4 / 3) and x^3; derivatives and images up to f'''.
class DegenerateX : public LeafX {
public:
  explicit DegenerateX(int iKind, long iOffered) : _kind(iKind) { offered = iOffered; }
  const char* IsA() const override { return "DegenerateX"; }
  XelMathFunctionX* Duplicate() const override { return new DegenerateX(*this); }
  double D(int k, double x) const override {
    const double s = std::sin(x * x), c = std::cos(x * x);
    const double cube[4] = {x * x * x, 3.0 * x * x, 6.0 * x, 6.0};
    const double wave[4] = {s + std::cos(x) * std::cos(x), 2.0 * x * c - std::sin(2.0 * x),
                            2.0 * c - 4.0 * x * x * s - 2.0 * std::cos(2.0 * x),
                            -12.0 * x * s - 8.0 * x * x * x * c + 4.0 * std::sin(2.0 * x)};
    return _kind == 1 ? cube[k] : wave[k];
  }
  XelMathInterval DI(int k, const XelMathInterval& I) const override {
    const XelMathInterval cube[4] = {IPower(I, 3), IScale(3.0, IPower(I, 2)), IScale(6.0, I),
                                     XelMathInterval(6.0, 6.0)};
    const XelMathInterval x2 = ISquare(I), s = ISin(x2.low, x2.high);
    const XelMathInterval c = ISin(x2.low + 0.5 * kPi, x2.high + 0.5 * kPi);
    const XelMathInterval s2 = ISin(2.0 * I.low, 2.0 * I.high);
    const XelMathInterval c2 = ISin(2.0 * I.low + 0.5 * kPi, 2.0 * I.high + 0.5 * kPi);
    const XelMathInterval wave[4] = {
        IAdd(s, IAdd(XelMathInterval(0.5, 0.5), IScale(0.5, c2))),
        IAdd(IScale(2.0, IMul(I, c)), IScale(-1.0, s2)),
        IAdd(IScale(2.0, c), IAdd(IScale(-4.0, IMul(x2, s)), IScale(-2.0, c2))),
        IAdd(IScale(-12.0, IMul(I, s)),
             IAdd(IScale(-8.0, IMul(IPower(I, 3), c)), IScale(4.0, s2)))};
    return _kind == 1 ? cube[k] : wave[k];
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
  // Each strategy: an end with f' = f'' = 0 is a minimum only if f rises from it; an inflection
  // is no extremum.
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
  for (const Case& c : cases)
    for (long strategy : {255L, 63L, 15L, -1L, -2L, -3L}) {
      // -1: Brent's search; -2, -3: values only (derivatives by differences), by Brent's
      // search and by the derivative sampling.
      const DegenerateX f(c.kind, strategy < 0 ? 15L : strategy);
      const ValuesX values([&f](double x) { return f.Eval(x); });
      const Options o = strategy == -1 || strategy == -2 ? Options{&gBrent} : Options{};
      const XelMathFunctionX& g = strategy <= -2 ? static_cast<const XelMathFunctionX&>(values) : f;
      SCOPED_TRACE(testing::Message() << "kind " << c.kind << " on [" << c.domain.low << ", "
                                      << c.domain.high << "] strategy " << strategy);
      ExpectSameMinima(Extrema(g, c.domain, o, false, -1), c.minima, kBrentArgTol);
      ExpectSameMinima(Extrema(g, c.domain, o, true, -1), c.maxima, kBrentArgTol);
    }
}

// Plateaus where f is constant in double (tanh 50(x - 1/2) is exactly -1 below 0.12 and 1
// beyond 0.88; (x - 1)^8 is within the noise over 0.976..1.024): one extremum each.
TEST(MinimizeX, APlateauIsOneExtremum) {
  const ClosedFormX step([](double x) { return std::tanh(50.0 * (x - 0.5)); },
                         [](double x) { return 50.0 / std::pow(std::cosh(50.0 * (x - 0.5)), 2); },
                         [](double x) {
                           const double t = std::tanh(50.0 * (x - 0.5));
                           return -5000.0 * t * (1.0 - t * t);
                         });
  const ClosedFormX flat([](double x) { return std::pow(x - 1.0, 8); },
                         [](double x) { return 8.0 * std::pow(x - 1.0, 7); },
                         [](double x) { return 56.0 * std::pow(x - 1.0, 6); });
  for (const bool values : {false, true}) {
    const ValuesX stepValues([&step](double x) { return step.Eval(x); });
    const ValuesX flatValues([&flat](double x) { return flat.Eval(x); });
    const XelMathFunctionX& s = values ? static_cast<const XelMathFunctionX&>(stepValues) : step;
    const XelMathFunctionX& q = values ? static_cast<const XelMathFunctionX&>(flatValues) : flat;
    SCOPED_TRACE(values ? "values only" : "derivatives");
    for (const bool maxima : {false, true}) {
      const std::vector<double> found = Extrema(s, {0.0, 1.0}, {}, maxima);
      ASSERT_EQ(found.size(), 2u) << maxima; // a point of each plateau
      EXPECT_NEAR(s.Eval(found[0]), -1.0, 1e-12) << maxima;
      EXPECT_NEAR(s.Eval(found[1]), 1.0, 1e-12) << maxima;
    }
    ExpectSameMinima(Extrema(q, {0.0, 3.0}), {1.0}, 0.03);
  }
}

TEST(MinimizeXBattery, PublishedGlobalMinimaByValuesOnly) {
  // One-variable global minimization problems of Hansen, Jaumard and Lu (1992) with their
  // published minimizers and least values, known by their values only (derivatives by
  // differences, no images): every minimum (the published minimizers among them, each point
  // one where f rises on both sides) and the absolute one. Fifteen equal samples see 6 of the
  // 20 minima of problem 3 and none of its three global ones.
  struct Problem {
    const char* name;
    std::function<double(double)> f;
    double a, b;
    std::vector<double> minimizers;
    double least;
  };
  const auto sum = [](double x, bool sine) {
    double s = 0.0;
    for (int k = 1; k <= 5; ++k)
      s -= k * (sine ? std::sin((k + 1) * x + k) : std::cos((k + 1) * x + k));
    return s;
  };
  const std::vector<Problem> problems = {
      {"3", [&](double x) { return sum(x, true); }, -10, 10, {-6.7745761, -0.491391, 5.791785},
       -12.03124},
      {"5", [](double x) { return (3 * x - 1.4) * std::sin(18 * x); }, 0, 1.2, {0.96609}, -1.48907},
      {"8", [&](double x) { return sum(x, false); }, -10, 10, {-7.0835, -0.8003, 5.4829}, -14.508},
      {"9", [](double x) { return std::sin(x) + std::sin(2 * x / 3); }, 3.1, 20.4, {17.039},
       -1.90596},
      {"12", [](double x) { return std::pow(std::sin(x), 3) + std::pow(std::cos(x), 3); }, 0,
       2 * kPi, {kPi, 1.5 * kPi}, -1.0},
      {"13", [](double x) { return -std::pow(x, 2.0 / 3) - std::cbrt(1 - x * x); }, 0.001, 0.99,
       {std::sqrt(0.5)}, -1.5874},
      {"18", [](double x) { return x <= 3 ? (x - 2) * (x - 2) : 2 * std::log(x - 2) + 1; }, 0, 6,
       {2.0}, 0.0},
      {"20", [](double x) { return -(x - std::sin(x)) * std::exp(-x * x); }, -10, 10, {1.195137},
       -0.0634905}};
  for (const Problem& p : problems) {
    SCOPED_TRACE(testing::Message() << "problem " << p.name);
    const ValuesX f(p.f);
    const XelMathInterval I(p.a, p.b);
    const std::vector<double> all = Extrema(f, I);
    for (double x : p.minimizers)
      EXPECT_EQ(std::count_if(all.begin(), all.end(),
                              [x](double m) { return std::fabs(m - x) < 1e-3; }),
                1)
          << x;
    const double step = 1e-4 * (p.b - p.a);
    for (double m : all)
      EXPECT_TRUE((m - step < p.a || p.f(m - step) >= p.f(m)) &&
                  (m + step > p.b || p.f(m + step) >= p.f(m)))
          << m;
    const std::vector<double> best = Extrema(f, I, {&gAbsolute});
    ASSERT_EQ(best.size(), 1u);
    EXPECT_NEAR(p.f(best[0]), p.least, 1e-4 * (1.0 + std::fabs(p.least)));
  }
}

TEST(MinimizeX, ExtremaOfChebyshevT30ByItsCoefficients) {
  // T_30 by its monomial coefficients (integers up to 2^29): minima at cos(k pi / 30), k odd,
  // maxima at k even (the ends included). Its slope at the extrema near 0.95 is rounding of
  // 1e-4, beyond the root test of the Newton solves of f' = 0: 4 minima and 4 maxima were lost.
  const std::vector<double> t1 = ChebyshevCoefficients(30);
  const XelMathPolynomX p(30, t1.data(), 0.0);
  std::vector<double> minima, maxima;
  for (int k = 30; k >= 0; --k)
    (k % 2 ? minima : maxima).push_back(std::cos(k * kPi / 30));
  ExpectSameMinima(Extrema(p, XelMathInterval(-1.0, 1.0)), minima, 1e-7);
  ExpectSameMinima(Extrema(p, XelMathInterval(-1.0, 1.0), {}, true), maxima, 1e-7);
}

TEST(MinimizeX, PointsWhereTheFunctionIsNaNOrUnboundedAreNeverExtrema) {
  // log x on [-1, 1]: NaN left of 0, unbounded at 0+: only the maximum at 1, no non-finite value.
  for (long offered : {15L, 1L})
    for (const Options& o : {Options{}, Options{&gBrent}, Options{&gAbsolute}}) {
      const LogX f(offered);
      SCOPED_TRACE(testing::Message() << "offered " << offered << " options " << o.size());
      for (double x : Extrema(f, XelMathInterval(-1.0, 1.0), o, false, -1))
        EXPECT_TRUE(std::isfinite(f.Eval(x))) << "minimum at " << x;
      ExpectSameMinima(Extrema(f, XelMathInterval(-1.0, 1.0), o, true, -1), {1.0}, kBrentArgTol);
    }
  // Poles by values only: the sample beside 0.3 was a minimum (f = -1e5, and -1.2e16 for the
  // double pole) and a maximum. Only the ends are extrema.
  const ValuesX simple([](double x) { return 1.0 / (x - 0.3); });
  const ValuesX twofold([](double x) { return -1.0 / ((x - 0.3) * (x - 0.3)); });
  for (const Options& o : {Options{}, Options{&gBrent}}) {
    ExpectSameMinima(Extrema(simple, XelMathInterval(-1.0, 1.0), o, false, -1), {1.0},
                     kBrentArgTol);
    ExpectSameMinima(Extrema(simple, XelMathInterval(-1.0, 1.0), o, true, -1), {-1.0},
                     kBrentArgTol);
    ExpectSameMinima(Extrema(twofold, XelMathInterval(-1.0, 1.0), o, false, -1), {}, kBrentArgTol);
  }
  // An end where the difference slope reaches where f is NaN: the values inside decide.
  const ValuesX root([](double x) { return std::sqrt(x) - 0.5; });
  const ValuesX mirrored([](double x) { return std::sqrt(1.0 - x) + x * x; });
  // An edge of the part where f is defined, inside the domain, is an end as well.
  for (const double low : {0.0, -1.0})
    ExpectSameMinima(Extrema(root, XelMathInterval(low, 1.0), {}, false, -1), {0.0}, kBrentArgTol);
  for (const double high : {1.0, 1.5})
    ExpectSameMinima(Extrema(mirrored, XelMathInterval(0.5, high), {}, false, -1), {0.5, 1.0},
                     kBrentArgTol);
}

TEST(MinimizeX, ImageByExtremumSearchEnclosesTheValuesOrSaysItCannot) {
  // log x by values: no Chebyshev series converges; the search's image encloses every finite value.
  const LogX f(1);
  for (const XelMathInterval I :
       {XelMathInterval(-1.0, 1.0), XelMathInterval(1e-3, 1.0), XelMathInterval(-1.0, -0.5)}) {
    const XelMathInterval image = f.ComputeOptimalImage(I, Tol());
    SCOPED_TRACE(testing::Message() << "[" << I.low << ", " << I.high << "]");
    EXPECT_FALSE(std::isnan(image.low) || std::isnan(image.high));
    // Where the function is finite the answer stays bounded.
    EXPECT_TRUE(I.low <= 0.0 || (std::isfinite(image.low) && std::isfinite(image.high)));
    for (long k = 0; k <= 1000; ++k) {
      const double x = k == 1000 ? I.high : I.low + (I.high - I.low) * (k / 1000.0), v = f.Eval(x);
      EXPECT_TRUE(!std::isfinite(v) || (image.low <= v && v <= image.high)) << x << ": " << v;
    }
  }
}

TEST(MinimizeX, InvalidOptionValuesRaise) {
  WaveX f(5.0, 0.1, 0);
  const XelMathInterval domain(0.0, 4.0);
  XelMathSetOfPointsND minima(1);
  const auto raises = [&](const Options& iOptions, long iCode, std::vector<std::string> iTexts,
                          bool iMaximize = false) {
    XelMathAttrList list;
    for (const XelMathAttribute* o : iOptions)
      list.AddAttribute(o);
    ExpectInputError([&] { iMaximize ? f.Maximize(domain, minima, &list)
                                     : f.Minimize(domain, minima, &list); },
                     iCode, iTexts);
  };
  XelMathAttrIntegerValue sampling("SamplingPoints", LONG_MAX, 1);
  for (const Options& o : {Options{&sampling}, Options{&sampling, &gBrent}})
    raises(o, 0x20004,
           {"SamplingPoints", "Invalid Number Of Points", "XelMathMinimizeX::SetSamplingValue"});
  for (double ratio : {-0.1, kNaN, kInf}) {
    XelMathAttrDoubleValue attr("InternalMinWidthRatio", ratio, 1);
    raises({&attr}, 0x20006,
           {"InternalMinWidthRatio", "", "XelMathMinimizeX::SetInternalMinWidthRatio"});
  }
  XelMathAttrDoubleValue limit("LimitValue", kNaN, 1);
  for (bool maximize : {false, true})
    raises({&limit}, 0x20006, {"LimitValue", "", "XelMathMinimizeX::SetLimitValue"}, maximize);
  // Scale powers whose factors or differences overflow or underflow; a wrong dimension.
  XelTolerance scaled(10.0);
  XelMathAttrTolObject tol(scaled);
  const long powersF[2] = {1, 2}, powersX[1] = {1};
  XelMathAttrScaleOption two(2, powersF, 1, powersX, 0, nullptr);
  for (long power : {LONG_MIN, LONG_MAX, -400L, 400L}) {
    XelMathAttrScaleOption option(power, 1), variable(2, power);
    SCOPED_TRACE(power);
    for (XelMathAttrScaleOption* o : {&option, &variable, &two})
      raises({&tol, o}, 0x20006, {"", "", "XelMathFunctionX::Minimize"});
  }
  // A result set of the wrong dimension; empty or infinite domains (status 4); NaN values.
  XelMathSetOfPointsND wrong(2);
  ExpectInputError([&] { f.Minimize(domain, wrong); }, 0x20006,
                   {"the XelMathSetOfPointsND", "", "XelMathMinimize::Initialize"});
  EXPECT_TRUE(Extrema(f, XelMathInterval(1.0, 0.0), {}, false, 4).empty());
  EXPECT_TRUE(Extrema(f, XelMathInterval(0.0, kInf), {}, false, 4).empty());
  const ValuesX nan([](double) { return kNaN; });
  for (const Options& o : {Options{}, Options{&gBrent}})
    EXPECT_TRUE(Extrema(nan, XelMathInterval(0.0, 1.0), o, false, -1).empty());
}


namespace {

// The minimizer stops when the projected gradient is below 1e5 relative epsilons (S + |f|): the
// point is then within that over the smallest Hessian eigenvalue; each case keeps a factor 10.
const double kGradTol = 1e5 * XelGetDefaultTolerance().GetRelativeEpsilon();

// Rosenbrock valley 100 (y - x^2)^2 + (1 - x)^2, minimum 0 at (1, 1) where the smallest
// Hessian eigenvalue is about 0.4; exact gradient and Hessian unless iValuesOnly.
ValuesRN Rosenbrock(bool iValuesOnly) {
  const ValuesRN::Value f = [](const double* p) {
    return 100.0 * (p[1] - p[0] * p[0]) * (p[1] - p[0] * p[0]) + (1.0 - p[0]) * (1.0 - p[0]);
  };
  if (iValuesOnly)
    return ValuesRN(2, f);
  return ValuesRN(
      2, f,
      [](long i, const double* p) {
        const double x = p[0], y = p[1];
        return i == 0 ? -400.0 * x * (y - x * x) - 2.0 * (1.0 - x) : 200.0 * (y - x * x);
      },
      [](long i, long j, const double* p) {
        const double xx = 1200.0 * p[0] * p[0] - 400.0 * p[1] + 2.0;
        return i != j ? -400.0 * p[0] : (i == 0 ? xx : 200.0);
      });
}

// 1/2 (x - c)^T A (x - c) with A symmetric positive definite (row-major).
ValuesRN Quadratic(long n, std::vector<double> a, std::vector<double> c) {
  const auto gradient = [=](long i, const double* x) {
    double s = 0.0;
    for (long j = 0; j < n; ++j)
      s += a[i * n + j] * (x[j] - c[j]);
    return s;
  };
  return ValuesRN(
      n,
      [=](const double* x) {
        double s = 0.0;
        for (long i = 0; i < n; ++i)
          s += 0.5 * (x[i] - c[i]) * gradient(i, x);
        return s;
      },
      gradient, [=](long i, long j, const double*) { return a[i * n + j]; });
}

XelMathIntervalND Box(long n, double lo, double hi) {
  XelMathIntervalND box(n);
  for (long i = 0; i < n; ++i)
    box.SetInterval(i, XelMathInterval(lo, hi));
  return box;
}

// Runs the minimizer (iMinimizer, or that of f) from iStarts (flat array of N-coordinate points).
int MinimizeFrom(const XelMathFunctionRN& f, const XelMathIntervalND& box,
                 const std::vector<double>& iStarts, bool iBfgs, XelMathSetOfPointsND& oMinima,
                 bool iKeep = false, XelMathMinimizeRN* iMinimizer = nullptr) {
  const long n = f.GetNumberOfVariables();
  XelMathSetOfPointsND starts(n);
  for (std::size_t k = 0; k + n <= iStarts.size(); k += n)
    starts.AddPoint(iStarts.data() + k);
  XelMathAttrPointerValue inits("MinimizeWithInits", &starts, 1);
  XelMathAttrString bfgs("BFGS", 1), keep("KeepBestSol", 1);
  XelMathAttrList list(&inits);
  if (iBfgs)
    list.AddAttribute(&bfgs);
  if (iKeep)
    list.AddAttribute(&keep);
  return iMinimizer ? iMinimizer->Run(box, oMinima, &list) : f.Minimize(box, oMinima, &list);
}

void ExpectPoint(const XelMathSetOfPointsND& s, long k, const std::vector<double>& iExpected,
                 double iTol) {
  ASSERT_LT(k, s.GetNumberOfPoints());
  for (std::size_t i = 0; i < iExpected.size(); ++i)
    EXPECT_NEAR(s.GetPoints()[k * s.GetDimension() + static_cast<long>(i)], iExpected[i], iTol)
        << "coordinate " << i;
}

} // namespace

TEST(MinimizeRN, MinimaFromStartsByBfgsAndByNewton) {
  const ValuesRN doubleWell(2, [](const double* p) {
    return (p[0] * p[0] - 1.0) * (p[0] * p[0] - 1.0) + p[1] * p[1];
  });
  const struct {
    const char* name;
    ValuesRN f;
    double lo, hi;
    std::vector<double> starts;
    std::vector<std::vector<double>> minima; // sorted on the first coordinate
    double tol;
    std::vector<bool> methods; // BFGS, Newton
  } cases[] = {
      {"Rosenbrock", Rosenbrock(false), -5.0, 5.0, {-1.2, 1.0, 2.5, -3.0, -4.0, 4.0},
       {{1.0, 1.0}}, 10.0 * kGradTol / 0.4, {true, false}},
      // Difference gradients (step 1e-6, errors 1e-10 |f| / 1e-6) resolve the floor to about 1e-6.
      {"Rosenbrock by values", Rosenbrock(true), -5.0, 5.0, {-1.2, 1.0, 2.5, -3.0, -4.0, 4.0},
       {{1.0, 1.0}}, 1e3 * 10.0 * kGradTol / 0.4, {true, false}},
      // Eigenvalues above 1.2, centre inside the box: three starts merge into one minimum.
      {"convex quadratic", Quadratic(3, {4, 1, 0, 1, 3, 1, 0, 1, 2}, {0.5, -1.0, 2.0}), -3.0, 3.0,
       {0, 0, 0, 3, 3, 3, -3, 2, -1}, {{0.5, -1.0, 2.0}}, 10.0 * kGradTol / 1.2, {true, false}},
      // On x = 1 the best y solves (1 - 2) + 2 (y + 1) = 0, y = -0.5; there the x-gradient
      // 2 (1 - 2) + 0.5 = -1.5 pushes out of the box.
      {"optimum on the boundary", Quadratic(2, {2, 1, 1, 2}, {2.0, -1.0}), -1.0, 1.0,
       {-1, -1, 0.9, 0.9, 0, 0.5}, {{1.0, -0.5}}, 10.0 * kGradTol / 2.0, {true, false}},
      // A diagonal Hessian with the centre outside in two coordinates: the clamped centre.
      {"clamped centre", Quadratic(3, {1, 0, 0, 0, 4, 0, 0, 0, 9}, {5.0, -0.25, -7.0}), -2.0,
       2.0, {0, 0, 0}, {{2.0, -0.25, -2.0}}, 10.0 * kGradTol / 4.0, {false}},
      // (x^2 - 1)^2 + y^2 by values: two minima (+-1, 0) from three starts.
      {"two wells", doubleWell, -3.0, 3.0, {-2.0, 0.5, 2.0, -0.5, 0.7, 1.0},
       {{-1.0, 0.0}, {1.0, 0.0}}, 1e3 * kGradTol, {true, false}},
  };
  for (const auto& c : cases)
    for (bool bfgs : c.methods) {
      SCOPED_TRACE(testing::Message() << c.name << (bfgs ? ", BFGS" : ", Newton"));
      const long n = c.f.GetNumberOfVariables();
      XelMathSetOfPointsND minima(n);
      EXPECT_EQ(MinimizeFrom(c.f, Box(n, c.lo, c.hi), c.starts, bfgs, minima), 0);
      ASSERT_EQ(minima.GetNumberOfPoints(), static_cast<long>(c.minima.size()));
      minima.Sort(0);
      for (std::size_t k = 0; k < c.minima.size(); ++k) {
        ExpectPoint(minima, static_cast<long>(k), c.minima[k], c.tol);
        for (long i = 0; i < n; ++i) { // an optimum on a bound lies exactly on it
          const double e = c.minima[k][i], x = minima.GetPoints()[static_cast<long>(k) * n + i];
          EXPECT_TRUE((e != c.lo && e != c.hi) || x == e) << i << ": " << x;
        }
      }
    }
}

TEST(MinimizeRN, KeepBestSolReturnsTheKeptPointsWithStatus7) {
  // |x - 0.3| + |y + 0.2| + 0.5 (x - 0.3 + y + 0.2): a kink of slopes 1.5 and -0.5, where no
  // gradient (one-sided, or centred: 0.5) is ever small.
  const ValuesRN kink(2, [](const double* p) {
    return std::fabs(p[0] - 0.3) + std::fabs(p[1] + 0.2) + 0.5 * (p[0] - 0.3 + p[1] + 0.2);
  });
  XelMathSetOfPointsND minima(2);
  EXPECT_EQ(MinimizeFrom(kink, Box(2, -1.0, 1.0), {0.9, 0.9}, true, minima, true), 7);
  ASSERT_EQ(minima.GetNumberOfPoints(), 1);
  // The best point reached is close to the kink (differences of step 1e-6 around it).
  ExpectPoint(minima, 0, {0.3, -0.2}, 1e-4);
  EXPECT_EQ(MinimizeFrom(kink, Box(2, -1.0, 1.0), {0.9, 0.9}, true, minima, false), 7);
  EXPECT_EQ(minima.GetNumberOfPoints(), 0);
  // A budget too small to converge on the valley: the kept point, status 7.
  const ValuesRN r = Rosenbrock(false);
  XelMathMinimizeRN m(&r, Tol());
  m.SetMaxIterations(2, 2);
  const double s[2] = {-1.2, 1.0};
  EXPECT_EQ(MinimizeFrom(r, Box(2, -5.0, 5.0), {s[0], s[1]}, true, minima, true, &m), 7);
  ASSERT_EQ(minima.GetNumberOfPoints(), 1);
  EXPECT_LT(r.Eval(minima.GetPoints()), r.Eval(s));
}

TEST(MinimizeRN, OptionsStartsFromTheSetAndMisuse) {
  const long before = LiveBlocks();
  {
    const ValuesRN f = Quadratic(2, {1, 0, 0, 1}, {0.25, 0.5});
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
    EXPECT_EQ(MinimizeFrom(f, box, {kNaN, 0.0, 7.0, -7.0}, true, minima), 0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    // An empty box: status 4, nothing.
    EXPECT_EQ(MinimizeFrom(f, Box(2, 1.0, -1.0), {0.0, 0.0}, true, minima), 4);
    EXPECT_EQ(minima.GetNumberOfPoints(), 0);
    // Wrong dimensions raise.
    XelMathSetOfPointsND wrong(3);
    ExpectInputError([&] { MinimizeFrom(f, Box(3, -1.0, 1.0), {0.0, 0.0}, true, minima); },
                     0x20006, {"", "", "XelMathMinimizeRN::Run"});
    ExpectInputError([&] { f.Minimize(box, wrong, &list); }, 0x20006,
                     {"", "", "XelMathMinimizeRN::Run"});
  }
  EXPECT_EQ(LiveBlocks(), before);
}
