// The two-variable system solver on closed-form systems, its merge rule, errors and helpers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathConstants.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveNewtonXY.h"
#include "XelMathSystemXYc.h"
#include "XelQuorMemory.h"
#include "XelQuorTransfo2D.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

using Fn2 = std::function<double(double, double)>;

// A function of two variables known only by its values (derivatives by the defaults).
class FnXY : public XelMathFunctionXY {
public:
  explicit FnXY(Fn2 iF) : _f(std::move(iF)) {}
  const char* IsA() const override { return "FnXY"; }
  using XelMathFunctionXY::Eval;
  double Eval(const double& x, const double& y) const override { return _f(x, y); }

private:
  Fn2 _f;
};

using Pt = std::pair<double, double>;

std::vector<Pt> PairsOf(const XelMathSetOfPointsND& iSet) {
  std::vector<Pt> pts;
  for (long i = 0; i < iSet.GetNumberOfPoints(); ++i)
    pts.push_back({iSet.GetPoints()[2 * i], iSet.GetPoints()[2 * i + 1]});
  return pts;
}

std::vector<Pt> Solve(const Fn2& f, const Fn2& g, const XelMathInterval2D& box, int& oStatus,
                      const XelMathAttrList* attrs = nullptr, const XelTolerance* tol = nullptr) {
  FnXY F(f), G(g);
  XelMathSystemXYc system(&F, &G, tol ? *tol : DefaultTol(), attrs);
  XelMathSetOfPointsND out(2);
  oStatus = system.Solve(box, out, attrs);
  return PairsOf(out);
}

// Each expected point found exactly once within iTol, and nothing else.
void ExpectSolutions(const std::vector<Pt>& found, const std::vector<Pt>& expected, double iTol) {
  EXPECT_EQ(found.size(), expected.size());
  for (const Pt& e : expected) {
    long hits = 0;
    for (const Pt& p : found)
      hits += std::hypot(p.first - e.first, p.second - e.second) < iTol;
    EXPECT_EQ(hits, 1) << "solution (" << e.first << ", " << e.second << ")";
  }
  for (const Pt& p : found)
    EXPECT_TRUE(std::isfinite(p.first) && std::isfinite(p.second));
}

const double r2 = std::sqrt(0.5);
const Fn2 xHalf = [](double x, double) { return x - 0.5; };
const Fn2 yHalf = [](double, double y) { return y - 0.5; };

// T11(x) by the three-term recurrence, and its roots cos((2k - 1) pi / 22) on y = 0.5.
double T11(double x) {
  double a = 1, b = x;
  for (int k = 2; k <= 11; ++k)
    a = std::exchange(b, 2 * x * b - a);
  return b;
}
std::vector<Pt> T11Roots() {
  std::vector<Pt> r;
  for (int k = 1; k <= 11; ++k)
    r.push_back({std::cos((2 * k - 1) * kPi / 22), 0.5});
  return r;
}

struct Case {
  const char* name;
  Fn2 f, g;
  XelMathInterval2D box;
  std::vector<Pt> solutions;
  double tol;
};

} // namespace

TEST(SystemXYCoreSolve, ClosedFormSystems) {
  using std::nan;
  // clang-format off
  const Case cases[] = {
      {"affine", xHalf, yHalf, {0, 1, 0, 1}, {{0.5, 0.5}}, 1e-9},
      {"on a grid node", xHalf, yHalf, {0, 1.1, 0, 1.1}, {{0.5, 0.5}}, 1e-9},
      {"on the domain edge", xHalf, [](double, double y) { return y - 0.25; }, {0.5, 1, 0, 1},
       {{0.5, 0.25}}, 1e-9},
      {"at a domain corner", [](double x, double y) { return x + y; },
       [](double x, double y) { return x - y; }, {0, 1, 0, 1}, {{0, 0}}, 1e-9},
      {"circle and line", [](double x, double y) { return x * x + y * y - 1; },
       [](double x, double y) { return y - x; }, {-2, 2, -2, 2}, {{r2, r2}, {-r2, -r2}}, 1e-8},
      {"tangential contact", [](double x, double y) { return y - x * x; },
       [](double, double y) { return y; }, {-1, 1.3, -0.5, 1}, {{0, 0}}, 1e-4},
      // The residual test holds for |x - 0.37| < 5.6e-3: one point of that blob.
      {"quadruple root", [](double x, double y) { return y - std::pow(x - 0.37, 4); },
       [](double, double y) { return y; }, {0, 1, -0.5, 1}, {{0.37, 0}}, 6e-3},
      {"undefined in part of the box", [](double x, double) { return x > 0.7 ? nan("") : x - 0.5; },
       yHalf, {0, 1, 0, 1}, {{0.5, 0.5}}, 1e-9},
      // Known by values only in boxes where a difference step of 1e-5 is lost in the
      // coordinates: the derivatives came out 0 and the solution was lost.
      {"a box 1e37 wide, values only", [](double x, double) { return x - 0.3; },
       [](double, double y) { return y - 0.2; }, {-1e37, 1e37, -1e37, 1e37}, {{0.3, 0.2}}, 1e-9},
      {"a box 1e250 wide, values only", [](double x, double) { return x - 0.3; },
       [](double, double y) { return y - 0.2; }, {-1e250, 1e250, -1e250, 1e250}, {{0.3, 0.2}},
       1e-9},
      // Squares of such values overflowed the residual compared between points: no point.
      {"values of 1e200", [](double x, double y) { return 1e200 * (x * x + y * y - 1); },
       [](double x, double y) { return 1e200 * (x - y); }, {-2, 2, -2, 2},
       {{r2, r2}, {-r2, -r2}}, 1e-6},
      {"equations of very different scales", [](double x, double) { return 1e12 * (x - 0.25); },
       [](double x, double y) { return 1e-6 * (y + x - 1); }, {0, 1, 0, 1}, {{0.25, 0.75}}, 1e-9},
      {"curves 5e-5 apart", [](double x, double y) { return x * x + y * y - 1; },
       [](double x, double y) { return x * x + y * y - 1.0001; }, {-2, 2, -2, 2}, {}, 1e-8},
      {"four solutions in one sampling cell", [](double x, double) { return (x - 0.3) * (x - 0.305); },
       [](double, double y) { return (y - 0.5) * (y - 0.52); }, {0, 1, 0, 1},
       {{0.3, 0.5}, {0.305, 0.5}, {0.3, 0.52}, {0.305, 0.52}}, 1e-9},
      // The last sampling cell in x holds two roots; F rises at both of its ends.
      {"two roots in one cell, values only", [](double x, double) { return T11(x); },
       yHalf, {-1.03, 1.01, 0, 1}, T11Roots(), 1e-9},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const long live = LiveBlocks();
    int status = -5;
    const std::vector<Pt> found = Solve(c.f, c.g, c.box, status);
    EXPECT_EQ(status, 0);
    ExpectSolutions(found, c.solutions, c.tol);
    EXPECT_EQ(LiveBlocks(), live);
  }
}

// Crossings at a small angle: the curves stay within the solution test of each other along
// the whole stretch between two crossings (and beyond them), which boxes cut anywhere.
// Circles x^2 + y^2 = 1 and (x - 2)^2 + y^2 = R^2 crossing at y = +-5e-5 (x = (5 - R^2) / 4);
// the parabola y = x^2 with the chord through x1 = 0.625 and x2 = x1 + 2^-13 (exact), or with
// another parabola through the same points.
TEST(SystemXYCoreSolve, CrossingsAtASmallAngle) {
  const double R2 = 5.0 - 4.0 * std::sqrt(1.0 - 2.5e-9);
  const double xc = (5.0 - R2) / 4.0, yc = std::sqrt(1.0 - xc * xc);
  const Fn2 unit = [](double x, double y) { return x * x + y * y - 1; };
  const Fn2 other = [R2](double x, double y) { return (x - 2) * (x - 2) + y * y - R2; };
  const double x1 = 0.625, x2 = 0.625 + std::ldexp(1.0, -13);
  const Fn2 parabola = [](double x, double y) { return y - x * x; };
  const Fn2 chord = [x1, x2](double x, double y) { return y - (x1 + x2) * x + x1 * x2; };
  const Fn2 twin = [x1, x2](double x, double y) {
    return y - x * x - 0.75 * (x - x1) * (x - x2);
  };
  // clang-format off
  const Case cases[] = {
      {"circles, both crossings", unit, other, {xc - 0.3, xc + 0.2, -0.5, 0.5},
       {{xc, yc}, {xc, -yc}}, 1e-8},
      {"circles, cut between the crossings", unit, other, {xc - 0.3, xc + 0.2, 0, 0.5},
       {{xc, yc}}, 1e-8},
      {"circles, cut 2e-5 short of the lower crossing", unit, other,
       {xc - 0.3, xc + 0.2, -3e-5, 0.5}, {{xc, yc}}, 1e-8},
      {"circles, cut 2e-5 beyond the lower crossing", unit, other,
       {xc - 0.3, xc + 0.2, -7e-5, 0.5}, {{xc, yc}, {xc, -yc}}, 1e-8},
      {"parabola and chord", parabola, chord, {0, 1, 0, 1}, {{x1, x1 * x1}, {x2, x2 * x2}}, 1e-9},
      {"parabola and chord, crossings at opposite corners", parabola, chord,
       {x1, x2, x1 * x1, x2 * x2}, {{x1, x1 * x1}, {x2, x2 * x2}}, 1e-9},
      {"parabola and chord, one crossing 1.5e-5 below the box", parabola, chord,
       {0.57, 0.63, x1 * x1 + 1.5e-5, 0.4}, {{x2, x2 * x2}}, 1e-9},
      // Two parabolas through the same crossings: the fold between them passes the test.
      {"two parabolas, crossings at opposite corners", parabola, twin,
       {x1, x2, x1 * x1, x2 * x2}, {{x1, x1 * x1}, {x2, x2 * x2}}, 1e-9},
      // Circles of radius 1.25 touching at (0.75, 1): the points of the stretch around the
      // contact came back 2e-5 off.
      {"circles touching", [](double x, double y) { return x * x + y * y - 1.5625; },
       [](double x, double y) { return (x - 1.5) * (x - 1.5) + (y - 2) * (y - 2) - 1.5625; },
       {0.7455, 0.7538, 0.9404, 1.1775}, {{0.75, 1}}, 1e-6},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    int status = -5;
    const std::vector<Pt> found = Solve(c.f, c.g, c.box, status);
    EXPECT_EQ(status, 0);
    ExpectSolutions(found, c.solutions, c.tol);
  }
}

TEST(SystemXYCoreSolve, CurveOfSolutionsStops) {
  // G = 2 F: the whole unit circle solves the system.
  int status = 0;
  const std::vector<Pt> found =
      Solve([](double x, double y) { return x * x + y * y - 1; },
            [](double x, double y) { return 2 * (x * x + y * y - 1); }, {-2, 2, -2, 2}, status);
  EXPECT_EQ(status, 10);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_NEAR(std::hypot(found[0].first, found[0].second), 1.0, 1e-9);
  // A cubic curve and itself shifted by 1/2: both vanish on x = y + 1/2, first met at (1/2, 0),
  // where F's gradient is rounding (the cubic's flat inflection): G's curve is followed.
  const double a[4] = {0, 3, -6, 4}, b[4] = {0, 4.5, -10.5, 7};
  const double as[4] = {0.5, 0, 0, 4}, bs[4] = {0.5, -0.75, 0, 7}; // a(y + 1/2), b(y + 1/2)
  double f[16] = {}, g[16] = {};                                   // x^i y^j at 4 i + j
  for (int i = 0; i < 4; ++i) {
    f[4 * i] += a[i], f[i] -= as[i];
    g[4 * i] += b[i], g[i] -= bs[i];
  }
  const XelMathPolynomXY F(3, 3, f), G(3, 3, g);
  XelMathSystemXYc arc(&F, &G, DefaultTol());
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(arc.Solve(XelMathInterval2D(0, 1, 0, 1), out), 10);
  const std::vector<Pt> shared = PairsOf(out);
  ASSERT_EQ(shared.size(), 1u);
  EXPECT_NEAR(shared[0].first - shared[0].second, 0.5, 1e-9);
}

TEST(SystemXYCoreSolve, EmptyDomainAndWrongSetDimension) {
  FnXY F([](double x, double) { return x; }), G([](double, double y) { return y; });
  XelMathSystemXYc system(&F, &G, DefaultTol());
  XelMathSetOfPointsND out(2);
  const double marker[2] = {7, 8};
  out.AddPoint(marker);
  EXPECT_EQ(system.Solve(XelMathInterval2D(1, 0, 0, 1), out), 4);
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  EXPECT_EQ(out.GetPoints()[0], 7);
  // Bounds beyond 1e300: the widths and grids would overflow.
  EXPECT_EQ(system.Solve(XelMathInterval2D(-1e305, 1e305, 0, 1), out), 4);
  EXPECT_EQ(system.Solve(XelMathInterval2D(0, 1, -1.7e308, 1), out), 4);
  XelMathSetOfPointsND three(3);
  ExpectInputError([&] { system.Solve(XelMathInterval2D(0, 1, 0, 1), three); }, 0x20006,
                   {"the XelMathSetOfPointsND", "2", "XelMathSystemXY::Solve"});
  ExpectInputError(
      [&] { system.SetScaleOption(XelMathAttrScaleOption(1, 1)); }, 0x20006,
      {"the XelMathAttrScaleOption", "wrong dimension", "XelMathSystemXY::SetScaleOption"});
  const long pf[2] = {1, 2}, px[2] = {1, 1};
  XelMathSystemXYc other(&F, &G, DefaultTol());
  other.SetScaleOption(XelMathAttrScaleOption(2, pf, 2, px, 0, nullptr));
  ExpectInputError([&] { other.SetEpsSol(1e-8, 0); }, 0x20006,
                   {"the XelMathAttrScaleOption", "SetEps inconsistent with scale dimensions",
                    "XelMathSystemXY::SetEps"});
  for (double eps : {-1e-9, std::nan(""), HUGE_VAL}) {
    ExpectInputError([&] { system.SetEpsSol(eps, 1); }, 0x20006, {"the solution threshold"});
    ExpectInputError([&] { system.SetEpsSing(eps); }, 0x20006, {"the singularity threshold"});
  }
  XelMathAttrString method("DiscretizationMethod", 1);
  XelMathAttrIntegerValue bad("SamplingPointsY", 1, 1);
  XelMathAttrList attrs(&method);
  attrs.AddAttribute(&bad);
  ExpectInputError([&] { system.Solve(XelMathInterval2D(0, 1, 0, 1), out, &attrs); }, 0x20004,
                   {"SamplingPointsY", "Invalid Number Of Points", "XelMathSystemXY::Solve"});
  const long live = LiveBlocks();
  ExpectInputError([&] { system.DSolve(0, 1, 0, 1, 1L << 40, 1L << 40); }, 0x20004);
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(SystemXYCoreSolve, LargeGridAndScaleOptions) {
  const Fn2 f = [](double x, double y) { return x * x + y * y - 1; };
  const Fn2 g = [](double x, double y) { return x - y * y * y; };
  // x^2 + x^(2/3) = 1: x = t^3 with t^6 + t^2 = 1, t^2 = s root of s^3 + s - 1.
  double s = 0.6823278038280193;
  const double x = s * std::sqrt(s), y = std::sqrt(s);
  const std::vector<Pt> expected = {{x, y}, {-x, -y}};
  XelMathAttrString method("DiscretizationMethod", 1);
  XelMathAttrIntegerValue nx("SamplingPointsX", 30, 1);
  XelMathAttrList attrs(&method);
  attrs.AddAttribute(&nx);
  int status = -1;
  const long before = XelQuorGetMemoryCounters().totalAllocations;
  ExpectSolutions(Solve(f, g, {-2, 2, -2, 2}, status, &attrs), expected, 1e-8);
  EXPECT_EQ(status, 0);
  const long with30 = XelQuorGetMemoryCounters().totalAllocations - before;
  ExpectSolutions(Solve(f, g, {-2, 2, -2, 2}, status), expected, 1e-8);
  const long with12 = XelQuorGetMemoryCounters().totalAllocations - before - with30;
  EXPECT_GT(with30, with12); // the 30 x 12 grid does not fit the local buffer
  // Scale options on a model of scale 10 give the same solutions.
  const XelTolerance tol(10.0);
  const long powers[4][4] = {{1, 1, 1, 1}, {2, 2, 1, 1}, {1, 1, 2, 2}, {0, 0, 2, 0}};
  for (const auto& p : powers) {
    XelMathAttrScaleOption option(2, p, 2, p + 2, 0, nullptr);
    XelMathAttrList list(&option);
    ExpectSolutions(Solve(f, g, {-2, 2, -2, 2}, status, &list, &tol), expected, 1e-7);
    EXPECT_EQ(status, 0);
  }
}

namespace {
// A system whose search is replaced by a scripted list of candidate points.
class Scripted : public XelMathSystemXYc {
public:
  using XelMathSystemXYc::XelMathSystemXYc;
  std::vector<Pt> script;
  std::vector<int> results;
  int DSolve(const double, const double, const double, const double, const long,
             const long) override {
    for (const Pt& p : script) {
      results.push_back(AddSolution(p.first, p.second));
      if (results.back() == -1)
        return -1;
    }
    return 0;
  }
};
} // namespace

// Crossings of sin(k pi x) = 0 with y = 1/2, evenly spaced, F known by its values only:
// - joins of eight spacings have every eighth point on a crossing, and must not pass for a
//   stretch where the residual test holds (16 of 40 were left when they did);
// - the second derivatives of F vanish at its roots, and the exclusion square they give
//   (capped at a quarter of a cell) held other crossings: 58 of 80 were found.
TEST(SystemXYCoreSolve, EvenlySpacedCrossingsStayApart) {
  const struct {
    double k, x1, y1;
  } cases[] = {{40, 1.0013, 8}, {200, 0.4013, 1}, {300, 0.3013, 1}};
  for (const auto& c : cases) {
    const double k = c.k;
    FnXY F([k](double x, double) { return std::sin(k * kPi * x); }), G(yHalf);
    XelMathSystemXYc system(&F, &G, DefaultTol());
    XelMathSetOfPointsND out(2);
    EXPECT_EQ(system.Solve(XelMathInterval2D(0.0013, c.x1, 0, c.y1), out), 0);
    const long n = static_cast<long>(std::floor((c.x1 - 0.0013) * k + 1e-9));
    ASSERT_EQ(out.GetNumberOfPoints(), n) << k;
    std::vector<double> xs;
    for (long m = 0; m < n; ++m)
      xs.push_back(out.GetPoints()[2 * m]);
    std::sort(xs.begin(), xs.end());
    for (long m = 0; m < n; ++m)
      EXPECT_NEAR(xs[static_cast<size_t>(m)], (m + 1) / k, 1e-9) << k;
  }
}

TEST(SystemXYCoreSolve, MergeRuleAndLimit) {
  FnXY F(xHalf), G(yHalf);
  // Both change monotonicity between x = 0.5 and 0.50001 on y = 0.5.
  FnXY F2([](double x, double y) { return (x - 0.5) * (x - 0.50001) + 2 * (y - 0.5); });
  FnXY G2([](double x, double y) { return (x - 0.5) * (x - 0.50001) + (y - 0.5); });
  struct MergeCase {
    const FnXY *f, *g;
    std::vector<Pt> script;
    std::vector<int> results;
    std::vector<Pt> kept;
  };
  const MergeCase cases[] = {
      // Closer than 2e-4 and F monotone between them: one point, the smaller residual.
      {&F, &G, {{0.50001, 0.5}, {0.5, 0.5}, {0.50002, 0.5}}, {1, 1, 0}, {{0.5, 0.5}}},
      // Farther apart: two points.
      {&F, &G, {{0.5, 0.5}, {0.5003, 0.5}}, {1, 1}, {{0.5, 0.5}, {0.5003, 0.5}}},
      // Both F and G change monotonicity between them: two solutions.
      {&F2, &G2, {{0.5, 0.5}, {0.50001, 0.5}}, {1, 1}, {{0.5, 0.5}, {0.50001, 0.5}}},
      // Only F does (G flat along the join), but Newton's steps settle on both: two roots.
      {&F2, &G, {{0.5, 0.5}, {0.50001, 0.5}}, {1, 1}, {{0.5, 0.5}, {0.50001, 0.5}}},
      // Not a number: rejected.
      {&F, &G, {{std::nan(""), 0.5}}, {0}, {}},
  };
  for (const MergeCase& c : cases) {
    Scripted system(c.f, c.g, DefaultTol());
    system.script = c.script;
    XelMathSetOfPointsND out(2);
    EXPECT_EQ(system.Solve(XelMathInterval2D(0, 1, 0, 1), out), 0);
    EXPECT_EQ(system.results, c.results);
    EXPECT_EQ(PairsOf(out), c.kept);
  }
  Scripted many(&F, &G, DefaultTol());
  for (int k = 0; k < 101; ++k)
    many.script.push_back({0.001 * k, 0.3});
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(many.Solve(XelMathInterval2D(0, 1, 0, 1), out), 10);
  EXPECT_EQ(many.results.back(), -1);
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  EXPECT_EQ(out.GetPoints()[0], 0.0);
}

namespace {
// (u, v) = (x + y^2, x y).
// clang-format off
class PlaneMap : public XelQuorTransfo2D {
public:
  const char* IsA() const override { return "PlaneMap"; }
  void Eval(const double& x, const double& y, double& u, double& v) const override {
    u = x + y * y; v = x * y;
  }
  void EvalFirstDeriv(const double& x, const double& y, double& ux, double& uy, double& vx,
                      double& vy) const override { ux = 1; uy = 2 * y; vx = y; vy = x; }
  void EvalSecondDeriv(const double&, const double&, double& uxx, double& uxy, double& uyy,
                       double& vxx, double& vxy, double& vyy) const override {
    uxx = uxy = vxx = vyy = 0; uyy = 2; vxy = 1;
  }
};
// clang-format on
} // namespace

TEST(SystemXYCoreSolve, InverseOfAPlaneMap) {
  PlaneMap map;
  XelMathSolveNewtonXY system(&map, DefaultTol());
  system.XYWanted(0.66, 0.18);
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(system.Solve(XelMathInterval2D(0, 1, 0, 1), out), 0);
  // x^3 - 0.66 x^2 + 0.0324 = (x - 0.3)(x^2 - 0.36 x - 0.108), y = 0.18 / x.
  const double x2 = (0.36 + std::sqrt(0.36 * 0.36 + 4 * 0.108)) / 2;
  ExpectSolutions(PairsOf(out), {{0.3, 0.6}, {x2, 0.18 / x2}}, 1e-9);
  const long nulls = XelQuornullCount();
  XelMathSolveNewtonXY none(nullptr, DefaultTol());
  EXPECT_EQ(XelQuornullCount(), nulls + 1);
}

TEST(SystemXYCoreTools, StepHelpersDegreeAndExclusionRadius) {
  struct StepCase { double x, y, dx, dy, rdx, rdy; int accepted; };
  // Box [0, 1]^2; the new point is (x - dx, y - dy).
  const StepCase steps[] = {
      {0.5, 0.5, 0.2, -0.3, 0.2, -0.3, 1},   // inside
      {0.5, 0.5, 0.8, 0.1, 0.5, 0.1, 1},     // clipped, keeps 0.26 of 0.65 (> 1/4)
      {0.5, 0.5, 2.0, 0.0, 0.5, 0.0, 0},     // clipped to 0.25 of 4: refused
      {0.0, 0.5, 1e-12, 0.0, 0.0, 0.0, 1},   // on the face: a null clipped step
      {0.9, 0.9, -0.3, -0.3, -0.1, -0.1, 0}, // both clipped to (1, 1): 1/9 of the step
  };
  for (const StepCase& c : steps) {
    double dx = c.dx, dy = c.dy;
    EXPECT_EQ(SafeNewtonStep(c.x, c.y, dx, dy, 0, 1, 0, 1), c.accepted);
    EXPECT_NEAR(dx, c.rdx, 1e-15);
    EXPECT_NEAR(dy, c.rdy, 1e-15);
  }
  EXPECT_DOUBLE_EQ(ScalingValue(0, 1, 0.25, 0.5), 1.5);
  EXPECT_DOUBLE_EQ(ScalingValue(0, 1, 0.25, -0.5), 0.5);
  EXPECT_EQ(ScalingValue(0, 1, 0.25, 0.0), XelMathInfinite);

  FnXY F([](double x, double y) { return x * x + 3 * x * y; });
  FnXY G([](double x, double y) { return y * y - 2 * x; });
  XelMathSystemXYc system(&F, &G, DefaultTol());
  struct DegreeCase { std::vector<unsigned char> seq; int degree; };
  const DegreeCase degrees[] = {
      {{0}, 3},       {{0, 0}, 0},       {{0, 1}, 3},         {{0, 1, 0}, 1},
      {{0, 1, 1}, 0}, {{1, 0, 1, 0}, 1}, {{0, 1, 0, 1, 0}, 3}};
  for (const DegreeCase& c : degrees)
    EXPECT_EQ(system.TryTopologicalDegree(c.seq.data(), long(c.seq.size())), c.degree);
  // At (1, 2): J = [[8, 3], [-2, 4]], det 38, k = 10 / 38; M_F = 0.5 * 2 + 3, M_G = 1.
  EXPECT_NEAR(system.ExclusionRadiusOnZero(1, 2), 38.0 / 40.0, 1e-5);
  // Affine and regular: M raised to 1, det 3, k = 3 / 3.
  FnXY A([](double x, double y) { return 2 * x + y; }), B([](double x, double y) { return x - y; });
  XelMathSystemXYc affine(&A, &B, DefaultTol());
  EXPECT_NEAR(affine.ExclusionRadiusOnZero(0.3, 0.1), 1.0, 1e-6);
  XelMathSystemXYc singular(&A, &A, DefaultTol());
  EXPECT_EQ(singular.ExclusionRadiusOnZero(0.3, 0.1), 0.0);
}
