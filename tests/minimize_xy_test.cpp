// The two-variable minimizer as a class: the coding of the options, the dispatch among the
// strategies, the rules of AddMinimum, the interval strategy, scaled models and misuse.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <sstream>
#include <utility>
#include <vector>

#include "XelError.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathDebug.h"
#include "XelMathInterval2D.h"
#include "XelMathMinimizeXY.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"
#include "support/solution_sets.h"
#include "support/test_helpers.h"
#include "support/xy_helpers.h"

#define XY(expr) [](double x, double y) { return (expr); }

using xeltest::ExpectInputError;
using xeltest::FnXY;

namespace {

// Records the arguments each strategy receives.
class Recorder : public XelMathMinimizeXY {
public:
  using XelMathMinimizeXY::XelMathMinimizeXY;
  struct Call {
    char strategy;
    long mode, nu, nv;
  };
  mutable std::vector<Call> calls;
  int DMinimize(const XelMathInterval2D& d, XelMathSetOfPointsND& s, const long m, double& b,
                const long nu, const long nv) const override {
    calls.push_back({'D', m, nu, nv});
    return XelMathMinimizeXY::DMinimize(d, s, m, b, nu, nv);
  }
  int RBMinimize(const XelMathInterval2D& d, XelMathSetOfPointsND& s, const long m, double& b,
                 const long nu, const long nv) const override {
    calls.push_back({'R', m, nu, nv});
    return XelMathMinimizeXY::RBMinimize(d, s, m, b, nu, nv);
  }
};

// (x - 0.3)^2 + 2 (y + 0.2)^2 as a polynomial (interval images of every order).
XelMathPolynomXY Bowl() {
  const double c[3][3] = {{0.09 + 0.08, 0.8, 2.0}, {-0.6, 0.0, 0.0}, {1.0, 0.0, 0.0}};
  return XelMathPolynomXY(2, 2, &c[0][0]);
}

// The minima found are the reference points within iTol, each once.
void ExpectSameSet(const XelMathSetOfPointsND& iFound, const std::vector<xeltest::Pt2>& iTrue,
                   const double iTol) {
  xeltest::ExpectSameSolutions(xeltest::PointsOf2D(iFound), iTrue, iTol, iTol);
}

} // namespace

TEST(MinimizeXYOptions, ModeWordGridSizesAndDispatch) {
  const XelMathPolynomXY bowl = Bowl();
  const FnXY edge(XY((x - 0.5) * (x - 0.5) + y)); // minimum on the edge y = 0 only
  XelMathAttrString absolute("AbsoluteExtremum", 1), interior("InteriorExtremum", 1),
      interval("IntervalMethod", 1), relentless("Relentlessly", 1);
  XelMathAttrDoubleValue limit("LimitValue", 1.0, 1);
  XelMathAttrIntegerValue nx("SamplingPointsX", 100, 1), ny("SamplingPointsY", 7, 1);
  struct Case {
    const XelMathFunctionXY* f;
    std::vector<XelMathAttribute*> options;
    std::vector<Recorder::Call> expected;
  };
  const std::vector<Case> cases = {
      {&bowl, {}, {{'D', 1, 12, 12}}},
      {&bowl, {&absolute}, {{'D', 0, 12, 12}}},
      {&bowl, {&interior, &limit, &ny}, {{'D', 7, 12, 7}}},
      // The interval strategy keeps the mode bits 1, 2 and 4 only.
      {&bowl, {&interval, &relentless, &interior}, {{'R', 3, 12, 12}}},
      // A function without interval images stays with the sampling strategy.
      {&edge, {&interval}, {{'D', 9, 12, 12}}},
      // Nothing found inside: one retry on a grid 8 times finer, at most 400.
      {&edge, {&interior, &relentless, &nx}, {{'D', 19, 100, 12}, {'D', 19, 400, 96}}},
  };
  for (const Case& c : cases) {
    Recorder minimizer(c.f, XelGetDefaultTolerance());
    XelMathAttrList list;
    for (XelMathAttribute* a : c.options)
      list.AddAttribute(a);
    XelMathSetOfPointsND found(2);
    minimizer.Minimize(XelMathInterval2D(-1, 1, -1, 1), found, &list);
    ASSERT_EQ(minimizer.calls.size(), c.expected.size());
    for (size_t k = 0; k < c.expected.size(); ++k) {
      EXPECT_EQ(minimizer.calls[k].strategy, c.expected[k].strategy) << k;
      EXPECT_EQ(minimizer.calls[k].mode, c.expected[k].mode) << k;
      EXPECT_EQ(minimizer.calls[k].nu, c.expected[k].nu) << k;
      EXPECT_EQ(minimizer.calls[k].nv, c.expected[k].nv) << k;
    }
  }
}

TEST(MinimizeXYOptions, AddMinimumAppliesLimitAbsoluteModeAndCoincidence) {
  const XelMathPolynomXY bowl = Bowl(); // f(0.3, -0.2) = 0, f(0, 0) = 0.17
  const XelMathMinimizeXY minimizer(&bowl, XelGetDefaultTolerance());
  using M = XelMathMinimizeXY;
  XelMathSetOfPointsND set(2);
  double best = 0.0;
  // Every minimum: coincidence below R = 1e-13 in |du| + |dv|.
  EXPECT_EQ(minimizer.AddMinimum(0.0, 0.0, M::ModeEveryMinimum, set, best), 1);
  EXPECT_EQ(minimizer.AddMinimum(4e-14, 5e-14, M::ModeEveryMinimum, set, best), 0);
  EXPECT_EQ(minimizer.AddMinimum(6e-14, 6e-14, M::ModeEveryMinimum, set, best), 1);
  EXPECT_EQ(set.GetNumberOfPoints(), 2);
  // The running best value grows by E (S^2 + |best|) at each offer.
  EXPECT_NEAR(best, 3e-13 + 3e-26, 2e-27);
  // Under a limit of 0.1, f = 0.17 is rejected even in an empty set.
  set.Reset();
  best = 0.1;
  EXPECT_EQ(minimizer.AddMinimum(0.0, 0.0, M::ModeEveryMinimum | M::ModeLimit, set, best), 0);
  EXPECT_EQ(minimizer.AddMinimum(0.3, -0.2, M::ModeEveryMinimum | M::ModeLimit, set, best), 1);
  // Absolute mode: a lower point replaces the single one, a higher one is rejected.
  set.Reset();
  best = 0.0;
  EXPECT_EQ(minimizer.AddMinimum(0.0, 0.0, 0, set, best), 1);
  EXPECT_DOUBLE_EQ(best, 0.17);
  EXPECT_EQ(minimizer.AddMinimum(0.3, 0.0, 0, set, best), 1); // f = 0.08
  EXPECT_EQ(minimizer.AddMinimum(1.0, 1.0, 0, set, best), 0);
  ASSERT_EQ(set.GetNumberOfPoints(), 1);
  EXPECT_EQ(set.GetPoints()[0], 0.3);
  // A NaN value is never a minimum.
  const FnXY hole([](double, double) { return std::nan(""); });
  const XelMathMinimizeXY nan(&hole, XelGetDefaultTolerance());
  EXPECT_EQ(nan.AddMinimum(0.0, 0.0, M::ModeEveryMinimum, set, best), 0);
}

TEST(MinimizeXYStrategies, IntervalAndGridStrategiesFindTheMinima) {
  // Himmelblau (four zeros) and the six-hump camel (two global minima, four local ones).
  const double h[5][5] = {{170, -22, -13, 0, 1},
                          {-14, 0, 2, 0, 0},
                          {-21, 2, 0, 0, 0},
                          {0, 0, 0, 0, 0},
                          {1, 0, 0, 0, 0}};
  const XelMathPolynomXY himmelblau(4, 4, &h[0][0]);
  const double c[7][5] = {
      {0, 0, -4, 0, 4},       {0, 1, 0, 0, 0}, {4, 0, 0, 0, 0}, {}, {-2.1, 0, 0, 0, 0}, {},
      {1.0 / 3.0, 0, 0, 0, 0}};
  const XelMathPolynomXY camel(6, 4, &c[0][0]);
  const std::vector<xeltest::Pt2> zeros = {{3, 2},
                                           {-2.805118086952745, 3.131312518250573},
                                           {-3.779310253377747, -3.283185991286170},
                                           {3.584428340330492, -1.848126526964404}};
  XelMathAttrString interval("IntervalMethod", 1), gridLocal("GridLocalOptimum", 1),
      gridGlobal("GridGlobalOptimum", 1);
  for (XelMathAttrString* option : {&interval, &gridLocal}) {
    XelMathAttrList list(option);
    XelMathSetOfPointsND found(2);
    EXPECT_EQ(himmelblau.Minimize(XelMathInterval2D(-5, 5, -5, 5), found, &list), 0);
    ExpectSameSet(found, zeros, 1e-7);
    EXPECT_EQ(camel.Minimize(XelMathInterval2D(-3, 3, -2, 2), found, &list), 0);
    // The grid search sees the minima whose basin holds a lowest node (4 on a 12 x 12 grid).
    EXPECT_EQ(found.GetNumberOfPoints(), option == &interval ? 6 : 4) << option->GetType();
    double best[2];
    found.GetPoint(0, best); // by increasing value: a global minimum first
    EXPECT_NEAR(camel.Eval(best[0], best[1]), -1.0316284534898774, 1e-12);
  }
  // Freudenstein and Roth's function by its coefficients: the values around its minimum
  // (5, 4) of value 0 are rounding of 1e-12 and must not look like a fall towards a pole.
  // The other minimum by mpmath (40 digits).
  const double fr[3][7] = {{1010, 864, 12, -80, 2, -8, 2}, {-84, -32, 12}, {2}};
  const XelMathPolynomXY freudenstein(2, 6, &fr[0][0]);
  XelMathAttrList intervalList(&interval);
  XelMathSetOfPointsND two(2);
  EXPECT_EQ(freudenstein.Minimize(XelMathInterval2D(0, 15, -2, 6), two, &intervalList), 0);
  ExpectSameSet(two, {{5, 4}, {11.412778986902093927, -0.89680525327447651819}}, 1e-7);
  // A steep valley by its expanded coefficients: the values scatter by 1e-12 around its
  // minimum (1, 1), and 19 points of it came back.
  const double rb[5][3] = {{1, 0, 1e4}, {-2}, {1, -2e4}, {}, {1e4}};
  const XelMathPolynomXY steep(4, 2, &rb[0][0]);
  EXPECT_EQ(steep.Minimize(XelMathInterval2D(-2, 2, -1, 3), two), 0);
  ExpectSameSet(two, {{1, 1}}, 1e-6);
  XelMathAttrList global(&gridGlobal);
  XelMathSetOfPointsND one(2);
  EXPECT_EQ(camel.Minimize(XelMathInterval2D(-3, 3, -2, 2), one, &global), 0);
  ASSERT_EQ(one.GetNumberOfPoints(), 1);
  EXPECT_NEAR(camel.Eval(one.GetPoints()[0], one.GetPoints()[1]), -1.0316284534898774, 1e-12);
  // Constant: status 2 and the centre, whatever the strategy.
  const XelMathPolynomXY flat(0, 0, std::vector<double>{4.0}.data());
  XelMathAttrList local(&gridLocal), intervals(&interval);
  for (const XelMathAttrList* list : {&global, &local, &intervals}) {
    EXPECT_EQ(flat.Minimize(XelMathInterval2D(0, 2, 2, 6), one, list), 2);
    ExpectSameSet(one, {{1.0, 4.0}}, 0.0);
  }
}

TEST(MinimizeXYStrategies, CellsTheGradientSolveCannotSettleAreDescended) {
  // cos 5x cos 5y exp(-(x^2 + y^2) / 4) on [-2, 2]^2: four minima lie on the lines x = 0 and
  // y = 0, borders of the cells of the 12 x 12 grid, where the gradient-system solve is slow.
  // On y = 0, f = g(x) = cos 5x exp(-x^2 / 4), g' = 0 where -5 sin 5x = (x / 2) cos 5x: its
  // root near 1.85 by bisection (f rises across the line there, cos 5x < 0).
  const auto dg = [](double x) { return -5.0 * std::sin(5.0 * x) - 0.5 * x * std::cos(5.0 * x); };
  double lo = 1.7, hi = 1.95;
  for (int k = 0; k < 100; ++k)
    (dg(0.5 * (lo + hi)) * dg(lo) > 0.0 ? lo : hi) = 0.5 * (lo + hi);
  const double r = 0.5 * (lo + hi);
  const auto e = [](double x, double y) { return std::exp(-0.25 * (x * x + y * y)); };
  const FnXY bumps(
      [&](double x, double y) { return std::cos(5 * x) * std::cos(5 * y) * e(x, y); },
      [&](double x, double y) {
        return (-5 * std::sin(5 * x) - 0.5 * x * std::cos(5 * x)) * std::cos(5 * y) * e(x, y);
      },
      [&](double x, double y) {
        return (-5 * std::sin(5 * y) - 0.5 * y * std::cos(5 * y)) * std::cos(5 * x) * e(x, y);
      });
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(bumps.Minimize(XelMathInterval2D(-2, 2, -2, 2), found, nullptr), 0);
  const std::vector<xeltest::Pt2> all = xeltest::PointsOf2D(found);
  for (const xeltest::Pt2& p : std::vector<xeltest::Pt2>{{r, 0}, {-r, 0}, {0, r}, {0, -r}}) {
    long matches = 0;
    for (const xeltest::Pt2& q : all)
      matches += std::fabs(q.x - p.x) < 1e-6 && std::fabs(q.y - p.y) < 1e-6;
    EXPECT_EQ(matches, 1) << p.x << ", " << p.y;
  }
  // Rosenbrock's valley: its cells are left to descents rather than solved at length (values
  // and derivatives counted alike).
  long evaluations = 0;
  const FnXY valley(
      [&](double x, double y) {
        ++evaluations;
        return (1 - x) * (1 - x) + 100 * (y - x * x) * (y - x * x);
      },
      [&](double x, double y) {
        ++evaluations;
        return -2 * (1 - x) - 400 * x * (y - x * x);
      },
      [&](double x, double y) {
        ++evaluations;
        return 200 * (y - x * x);
      });
  EXPECT_EQ(valley.Minimize(XelMathInterval2D(-2, 2, -1, 3), found, nullptr), 0);
  xeltest::ExpectSameSolutions(xeltest::PointsOf2D(found), {{1.0, 1.0}}, 1e-5, 1e-5);
  EXPECT_LT(evaluations, 100000) << evaluations;
}

TEST(MinimizeXYStrategies, OneDimensionalFunctionsAndSpecialPoints) {
  // f depends on x + y only: a valley along x + y = 0.5 (one point of it), or a corner.
  const FnXY valley(XY((x + y - 0.5) * (x + y - 0.5)));
  const FnXY plane(XY(x - 2 * y));
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(valley.Minimize(XelMathInterval2D(-1, 1, -1, 1), found), 0);
  ASSERT_EQ(found.GetNumberOfPoints(), 1);
  EXPECT_NEAR(found.GetPoints()[0] + found.GetPoints()[1], 0.5, 1e-7);
  EXPECT_EQ(plane.Minimize(XelMathInterval2D(-1, 1, -1, 1), found), 0);
  ExpectSameSet(found, {{-1, 1}}, 0.0);
  // A valley x = 0.3 across the box: its point at the centre line of the free variable.
  const FnXY trough(XY((x - 0.3) * (x - 0.3) + 0.0 * y));
  EXPECT_EQ(trough.Minimize(XelMathInterval2D(-1, 1, -0.5, 1.5), found), 0);
  ExpectSameSet(found, {{0.3, 0.5}}, 1e-7);
  // NaN left of x = 0: on the edge of that region f still falls towards y = 0.5 (a point
  // (8e-17, 0) of value -0.05 was a minimum too).
  const FnXY root(XY(std::sqrt(x) + (y - 0.5) * (y - 0.5) - 0.3));
  EXPECT_EQ(root.Minimize(XelMathInterval2D(-1, 1, 0, 1), found), 0);
  ExpectSameSet(found, {{0.0, 0.5}}, 1e-7);
  // An oblique edge of that region: f falls along u = v / 2 towards (1/4, 1/2), and five
  // points of the edge short of it were minima too.
  const FnXY oblique(XY(std::sqrt(x - y / 2) + (y - 0.5) * (y - 0.5)));
  EXPECT_EQ(oblique.Minimize(XelMathInterval2D(-1, 1, 0, 1), found), 0);
  ExpectSameSet(found, {{0.25, 0.5}}, 1e-7);
  // The tail of a narrow well falls towards it at its own scale, far below the precision of
  // the values (f near -1e-196 halves within 1e-3): 14 of its points were minima. Where exp
  // underflows, f is -0 on a flat region, whose points may stand as for one variable.
  const FnXY well(XY(-std::exp(-1000 * ((x - 0.3) * (x - 0.3) + (y - 0.4) * (y - 0.4)))));
  EXPECT_EQ(well.Minimize(XelMathInterval2D(-1, 1, -1, 1), found), 0);
  long bottoms = 0;
  for (long k = 0; k < found.GetNumberOfPoints(); ++k) {
    const double fx = found.GetPoints()[2 * k], fy = found.GetPoints()[2 * k + 1];
    const double value = well.Eval(fx, fy);
    bottoms += std::fabs(fx - 0.3) < 1e-7 && std::fabs(fy - 0.4) < 1e-7;
    EXPECT_TRUE(value == 0.0 || value < -0.999) << fx << ", " << fy << ": " << value;
  }
  EXPECT_EQ(bottoms, 1);
  // The first minimum along a direction, up to the border.
  const XelMathMinimizeXY line(&trough, XelGetDefaultTolerance());
  double u = -1.0, v = 0.5;
  EXPECT_EQ(line.FirstMinimumInDirection(u, v, 1.0, 0.0, XelMathInterval2D(-1, 1, 0, 1)), 0);
  EXPECT_NEAR(u, 0.3, 1e-7);
  EXPECT_EQ(v, 0.5);
  u = 0.3;
  EXPECT_EQ(line.FirstMinimumInDirection(u, v, 0.0, -1.0, XelMathInterval2D(-1, 1, 0, 1)), 7);
  // A constant up to rounding is constant.
  const FnXY one(XY(std::sin(x + y) * std::sin(x + y) + std::cos(x + y) * std::cos(x + y)));
  EXPECT_EQ(one.Minimize(XelMathInterval2D(-1, 1, -1, 1), found), 2);
  // A kink the grid does not see, given as a special point.
  const FnXY needle(XY(1 - std::exp(-1e6 * ((x - 0.31) * (x - 0.31) + (y - 0.47) * (y - 0.47)))));
  XelMathSetOfPointsND special(2);
  const double p[2] = {0.31, 0.47};
  special.AddPoint(p);
  XelMathAttrPointerValue pointer("SpecialPoints", &special, 1);
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList list(&pointer);
  list.AddAttribute(&absolute);
  EXPECT_EQ(needle.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &list), 0);
  ExpectSameSet(found, {{0.31, 0.47}}, 1e-9);
}

TEST(MinimizeXYStrategies, ScaledModelsWorkInUnitScaleAndRestoreTheOptions) {
  // At scale 1000 the function is declared of value power 1 and variable powers (2, 1):
  // the minimizer works on 1000 f(1000 u, v) and returns the caller's variables.
  const XelTolerance tol(1000.0);
  const FnXY f(XY((x - 2500.0) * (x - 2500.0) * 1e-6 + (y - 0.5) * (y - 0.5)));
  const long powerF[1] = {1}, powersX[2] = {2, 1};
  XelMathAttrScaleOption scale(1, powerF, 2, powersX, 0, nullptr);
  XelMathAttrTolObject tolerance(tol);
  XelMathAttrDoubleValue limit("LimitValue", 0.1, 1);
  XelMathAttrList list(&scale);
  list.AddAttribute(&tolerance);
  list.AddAttribute(&limit);
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(f.Minimize(XelMathInterval2D(0, 5000, 0, 1), found, &list), 0);
  ExpectSameSet(found, {{2500, 0.5}}, 1e-5);
  EXPECT_EQ(limit.GetValue(), 0.1);
  // An option of the wrong dimension is refused.
  XelMathAttrScaleOption wrong(2, 1);
  XelMathAttrList bad(&wrong);
  bad.AddAttribute(&tolerance);
  ExpectInputError(
      [&] { f.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &bad); }, 0x20006,
      {"the XelMathAttrScaleOption", "wrong dimension", "XelMathFunctionXY::Minimize"});
}

TEST(MinimizeXYMisuse, RefusedInputsAndTheDebugComparison) {
  const XelMathPolynomXY bowl = Bowl();
  const XelMathMinimizeXY minimizer(&bowl, XelGetDefaultTolerance());
  XelMathSetOfPointsND found(2), wrong(3);
  ExpectInputError([&] { minimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), wrong, nullptr); },
                   0x20006, {"the XelMathSetOfPointsND", "2", "XelMathMinimizeXY::Minimize"});
  double best = 0.0, u = 0.0, v = 0.0;
  ExpectInputError(
      [&] { minimizer.DMinimize(XelMathInterval2D(0, 1, 0, 1), found, 1, best, 0, 3); }, 0x20004,
      {"Solve", "Invalid Number Of Points", ""});
  ExpectInputError([&] { minimizer.GridGlobalMinimization(0, 1, 0, 1, 3, 0, 0.0, u, v); }, 0x20004);
  // Sizes above 1024 raise before they are multiplied (LONG_MAX x 4 overflowed).
  const XelMathInterval2D unit(0, 1, 0, 1);
  const std::vector<std::pair<long, long>> sizes = {
      {4, LONG_MAX}, {LONG_MAX, 4}, {4, 1025}, {1L << 40, 1L << 40}};
  for (const auto& n : sizes) {
    const std::vector<std::function<void()>> calls = {
        [&] { minimizer.DMinimize(unit, found, 1, best, n.first, n.second); },
        [&] { minimizer.FMinimize(unit, found, 1, best, n.first, n.second); },
        [&] { minimizer.RBMinimize(unit, found, 1, best, n.first, n.second); },
        [&] { minimizer.GridGlobalMinimization(0, 1, 0, 1, n.first, n.second, 0.0, u, v); },
        [&] { minimizer.GridLocalMinimization(0, 1, 0, 1, found, n.first, n.second, 1, 0.0); }};
    for (const auto& call : calls)
      ExpectInputError(call, 0x20004, {"Solve", "Invalid Number Of Points", ""});
  }
  // NaN tolerance-like options raise, through the minimizer and through the function.
  for (const char* key : {"LimitValue", "TolForCst", "Tolerance"}) {
    XelMathAttrDoubleValue nan(key, xeltest::kNaN, 1);
    XelMathAttrList nanList(&nan);
    ExpectInputError([&] { minimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &nanList); },
                     0x20006, {key, "NaN", "XelMathMinimizeXY::Minimize"});
    ExpectInputError([&] { bowl.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &nanList); },
                     0x20006, {key, "NaN", ""});
  }
  // Grids beyond 1024 a side raise; a lattice of 22500 minima keeps the first 10000 (status
  // 7), each on the lattice.
  XelMathAttrIntegerValue nu("SamplingPointsX", 1025, 1), nv("SamplingPointsY", 1024, 1);
  XelMathAttrString local("GridLocalOptimum", 1);
  XelMathAttrList many(&nu);
  ExpectInputError([&] { minimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &many); },
                   0x20004, {"Solve", "Invalid Number Of Points", ""});
  nu.SetValue(1024);
  many.AddAttribute(&nv);
  many.AddAttribute(&local);
  const double k = 300.0 * xeltest::kPi;
  const FnXY lattice([k](double x, double y) { return std::cos(k * x) + std::cos(k * y); });
  const XelMathMinimizeXY latticeMinimizer(&lattice, XelGetDefaultTolerance());
  EXPECT_EQ(latticeMinimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &many), 7);
  ASSERT_EQ(found.GetNumberOfPoints(), 10000);
  for (long i = 0; i < 20000; i += 997) // coordinates (j + 1/2) / 150
    EXPECT_NEAR(150.0 * found.GetPoints()[i] - 0.5, std::round(150.0 * found.GetPoints()[i] - 0.5),
                1e-4);
  // A null special-points set: status 4 after a null report.
  XelMathAttrPointerValue null("SpecialPoints", nullptr, 1);
  XelMathAttrList list(&null);
  const long reports = XelQuornullCount();
  EXPECT_EQ(minimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), found, &list), 4);
  EXPECT_EQ(XelQuornullCount(), reports + 1);
  // Debug mode: the centre value is printed once per minimizer.
  std::ostringstream out;
  XelQuorOutput::GetOut().Redirect(&out);
  XelMathDebug::SetDebugOnly(1);
  minimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), found, nullptr);
  minimizer.Minimize(XelMathInterval2D(0, 1, 0, 1), found, nullptr);
  XelMathDebug::SetDebugOnly(0);
  XelQuorOutput::GetOut().Redirect(nullptr);
  EXPECT_EQ(out.str(), "XelMathMinimizeXY::Minimize  FCenter:1.02\n");
}
