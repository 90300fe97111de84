// The separated systems: two planar curves (XelMathSystemXYs) and a surface with a curve
// (XelMathSystem3x3sImp), against intersections known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "XelError.h"
#include "XelMathAttrExclusion2D.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathLinearXY.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem3x3s.h"
#include "XelMathSystemXYc.h"
#include "XelMathSystemXYs.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "test_helpers.h"
#include "values_only.h"
#include "xy_helpers.h"

using namespace xeltest;

namespace {

using Pts = std::vector<std::vector<double>>;
using FnPtr = std::shared_ptr<XelMathFunctionX>;
const double kPi = 3.14159265358979323846;

FnPtr Cos(double a = 1.0) {
  return FnPtr(new XelMathTrigonometricX(a, 0, 0, 1, DefaultTol()));
}
FnPtr Sin(double a = 1.0) {
  return FnPtr(new XelMathTrigonometricX(0, a, 0, 1, DefaultTol()));
}
FnPtr P(std::initializer_list<double> c) {
  return FnPtr(Poly(c));
}

Pts Points(const XelMathSetOfPointsND& s) {
  Pts out;
  const long n = s.GetDimension();
  for (long i = 0; i < s.GetNumberOfPoints(); ++i)
    out.emplace_back(s.GetPoints() + i * n, s.GetPoints() + (i + 1) * n);
  return out;
}

// Every expected point found once (within tol), nothing else.
void ExpectPoints(const Pts& found, const Pts& expected, double tol, const char* what) {
  EXPECT_EQ(found.size(), expected.size()) << what;
  for (const auto& e : expected) {
    int hits = 0;
    for (const auto& f : found) {
      double d = 0.0;
      for (std::size_t k = 0; k < e.size(); ++k)
        d = std::max(d, std::fabs(f[k] - e[k]));
      hits += d < tol;
    }
    EXPECT_EQ(hits, 1) << what << " at (" << e[0] << ", " << e[1] << ")";
  }
}

// The half-angle of the crossings of the ellipse and circle below, 3 - 1e-6 as rounded.
double NearTangentX() {
  const double delta = 3.0 - (3.0 - 1e-6);
  return 2.0 * std::asin(std::sqrt(delta / 6.0));
}

struct CurveCase {
  const char* name;
  std::function<std::vector<FnPtr>()> curves; // a, b, c, d
  XelMathInterval2D domain;
  Pts expected;
  double tol;
  std::vector<XelMathInterval2D> exclusions;
};

TEST(SmallSystemsXYs, CurveIntersectionsMatchClosedForms) {
  const double r3 = std::sqrt(3.0) / 2.0;
  const std::vector<CurveCase> cases = {
      // Unit circle (cos x, sin x) and the line (y, 1/2): sin x = 1/2.
      {"circle/line",
       [] {
         return std::vector<FnPtr>{Cos(), Sin(), P({0, 1}), P({0.5})};
       },
       {0, 6, -2, 2},
       {{kPi / 6, r3}, {5 * kPi / 6, -r3}},
       1e-8,
       {}},
      // The same with the first point inside an exclusion box.
      {"exclusion",
       [] {
         return std::vector<FnPtr>{Cos(), Sin(), P({0, 1}), P({0.5})};
       },
       {0, 6, -2, 2},
       {{5 * kPi / 6, -r3}},
       1e-8,
       {{0.3, 0.7, 0.6, 1.1}}},
      // The line y = 1 touches the circle at x = pi/2: one double solution.
      {"tangency",
       [] {
         return std::vector<FnPtr>{Cos(), Sin(), P({0, 1}), P({1})};
       },
       {0, 6, -2, 2},
       {{kPi / 2, 0.0}},
       1e-5,
       {}},
      // The tangent to the unit circle at angle 0.9, (cos .9, sin .9) + (y - 0.3) (-sin .9,
      // cos .9): at a corner of the box the search followed no step of the curves inside it
      // and took the contact for a common arc (status 10); in a box a few hundredths wide the
      // contact came back twice, 6e-5 apart.
      {"tangency at a corner",
       [] {
         const double c = std::cos(0.9), s = std::sin(0.9);
         return std::vector<FnPtr>{Cos(), Sin(), P({c + 0.3 * s, -s}), P({s - 0.3 * c, c})};
       },
       {0.9, 1.2, 0, 0.3},
       {{0.9, 0.3}},
       1e-5,
       {}},
      {"tangency in a small box",
       [] {
         const double c = std::cos(0.9), s = std::sin(0.9);
         return std::vector<FnPtr>{Cos(), Sin(), P({c + 0.3 * s, -s}), P({s - 0.3 * c, c})};
       },
       {0.9 - 0.013, 0.9 + 0.027, 0.3 - 0.021, 0.3 + 0.009},
       {{0.9, 0.3}},
       1e-6,
       {}},
      // The ellipse (2 cos x, sin x) and the circle (3 - 1e-6 + cos y, sin y) cross twice,
      // at x = +-2 asin(sqrt(delta / 6)), y = pi - x (delta the 1e-6 as rounded): with the
      // second crossing at a corner of the box, a narrowed cell that held both gave one.
      {"two crossings of nearly tangent curves, one at a corner",
       [] {
         const XelTolerance& tol = DefaultTol();
         return std::vector<FnPtr>{FnPtr(new XelMathTrigonometricX(2, 0, 0, 1, tol)), Sin(),
                                   FnPtr(new XelMathTrigonometricX(1, 0, 3 - 1e-6, 1, tol)),
                                   Sin()};
       },
       {NearTangentX() - 1.7, NearTangentX(), kPi - NearTangentX(), kPi - NearTangentX() + 1.9},
       {{-NearTangentX(), kPi + NearTangentX()}, {NearTangentX(), kPi - NearTangentX()}},
       1e-9,
       {}},
      // The chord of the unit circle through the angles 0.7 -+ 5e-5, (cos d (cos .7, sin .7)
      // + y sin d / d (-sin .7, cos .7)), d = 5e-5: a point of the stretch between the
      // crossings stood for one of them.
      {"chord 1e-4 long",
       [] {
         const double d = 5e-5, c = std::cos(0.7), s = std::sin(0.7), k = std::sin(d) / d;
         return std::vector<FnPtr>{Cos(), Sin(), P({std::cos(d) * c, -s * k}),
                                   P({std::cos(d) * s, c * k})};
       },
       {0.599, 0.778, -0.4294, 0.1022},
       {{0.7 + 5e-5, 5e-5}, {0.7 - 5e-5, -5e-5}},
       1e-8,
       {}},
      // Circles of radius 1.25 about the origin and (1.5, 2) touch where x = atan(4/3) and
      // y = x + pi: the contact came back 1.7e-5 off.
      {"touching circles",
       [] {
         return std::vector<FnPtr>{Cos(1.25), Sin(1.25),
                                   FnPtr(new XelMathTrigonometricX(1.25, 0, 1.5, 1, DefaultTol())),
                                   FnPtr(new XelMathTrigonometricX(0, 1.25, 2, 1, DefaultTol()))};
       },
       {0.9177, 1.0551, 4.0655, 4.1402},
       {{std::atan(4.0 / 3.0), std::atan(4.0 / 3.0) + kPi}},
       1e-6,
       {}},
      // Parabola (x, x^2) and line (y, 2y - 3/4): x = y = 1/2 and 3/2.
      {"parabola/line",
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0, 0, 1}), P({0, 1}), P({-0.75, 2})};
       },
       {0, 2, 0, 2},
       {{0.5, 0.5}, {1.5, 1.5}},
       1e-8,
       {}},
      // Segments (x, x) and (1 + y, 1 - 2y) meet at their ends: the corner (1, 0).
      {"ends",
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0, 1}), P({1, 1}), P({1, -2})};
       },
       {0, 1, 0, 1},
       {{1.0, 0.0}},
       1e-8,
       {}},
      // (x, sin 10x) against the x axis: x = k pi / 10, the first at the corner, where the
      // computed sine is only near 0.
      {"sine/axis",
       [] {
         return std::vector<FnPtr>{P({0, 1}),
                                   FnPtr(new XelMathTrigonometricX(0, 1, 0, 10, DefaultTol())),
                                   P({0, 1}), P({0})};
       },
       {0, 1, 0, 1},
       {{0, 0}, {kPi / 10, kPi / 10}, {kPi / 5, kPi / 5}, {0.3 * kPi, 0.3 * kPi}},
       1e-9,
       {}},
      // Cubic (x, x^3 - x) against the x axis (y, 0): x = -1, 0, 1 with y = x.
      {"cubic/axis",
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0, -1, 0, 1}), P({0, 1}), P({0})};
       },
       {-1.5, 1.5, -2, 2},
       {{-1, -1}, {0, 0}, {1, 1}},
       1e-8,
       {}},
  };
  const long live = LiveBlocks();
  for (const auto& c : cases) {
    const auto f = c.curves();
    XelMathAttrList attrs;
    XelMathAttrExclusion2D exclusion;
    for (const auto& e : c.exclusions)
      exclusion.AddInterval(e);
    if (!c.exclusions.empty())
      attrs.AddAttribute(&exclusion);
    XelMathSystemXYs system(f[0].get(), f[1].get(), f[2].get(), f[3].get(), DefaultTol());
    XelMathSetOfPointsND out(2);
    EXPECT_EQ(system.Solve(c.domain, out, &attrs), 0) << c.name;
    ExpectPoints(Points(out), c.expected, c.tol, c.name);
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(SmallSystemsXYs, SharedArcStopsWithOnePointOnIt) {
  // (x, x^2) and (y + 1, (y + 1)^2) share the arc 0.5 <= x <= 2.
  auto a = P({0, 1}), b = P({0, 0, 1}), c = P({1, 1}), d = P({1, 2, 1});
  XelMathSystemXYs system(a.get(), b.get(), c.get(), d.get(), DefaultTol());
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(system.Solve(XelMathInterval2D(0, 2, -0.5, 1.5), out), 10);
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  EXPECT_NEAR(out.GetPoints()[0], out.GetPoints()[1] + 1.0, 1e-7);
}

TEST(SmallSystemsXYs, ContactOfHighOrderIsOnePoint) {
  // (s, s^2) and its osculating circle touch to the fourth order at the origin, within the
  // residual test of each other over |s| < 1e-2, along a curved stretch: points of it came
  // back 4 or 5 times as separated curves, up to 31 times as the implicit curves
  // x^2 + y^2 = y and y = x^2, all of them passing the test (and once a point moved by
  // Newton's steps to |F| = 1e-5).
  auto a = P({0, 1}), b = P({0, 0, 1});
  const FnPtr c(new XelMathTrigonometricX(0, 0.5, 0, 1, DefaultTol()));
  const FnPtr d(new XelMathTrigonometricX(-0.5, 0, 0.5, 1, DefaultTol()));
  XelMathSystemXYs separated(a.get(), b.get(), c.get(), d.get(), DefaultTol());
  const double circle[9] = {0, -1, 1, 0, 0, 0, 1, 0, 0}, parabola[6] = {0, 1, 0, 0, -1, 0};
  XelMathPolynomXY f(2, 2, circle), g(2, 1, parabola);
  XelMathSystemXYc implicit(&f, &g, DefaultTol());
  const XelMathInterval2D boxes[] = {{-0.7, 0.9, -1.1, 1.3}, {-1, 1, -1, 1},
                                     {-0.5, 0.7, -0.6, 0.4}, {-0.3, 0.2, -0.1, 0.3},
                                     {0, 1, 0, 1}};
  for (const auto& box : boxes)
    for (XelMathSystemXY* system : {static_cast<XelMathSystemXY*>(&separated),
                                    static_cast<XelMathSystemXY*>(&implicit)}) {
      XelMathSetOfPointsND out(2);
      EXPECT_EQ(system->Solve(box, out), 0);
      ASSERT_EQ(out.GetNumberOfPoints(), 1) << box.GetX().low << " " << box.GetY().low;
      EXPECT_LE(std::fabs(out.GetPoints()[0]) + std::fabs(out.GetPoints()[1]), 1e-3);
    }
}

TEST(SmallSystemsXYs, MisuseAndUndefinedRegions) {
  auto a = P({0, 1}), b = P({0, 0, 1}), c = P({0, 1});
  // Values only, undefined for y > 0.5: (y, sqrt(0.5 - y)) meets (x, x^2) once.
  ValuesX d([](double y) { return std::sqrt(0.5 - y); });
  XelMathSystemXYs system(a.get(), b.get(), c.get(), &d, DefaultTol());
  XelMathSetOfPointsND out(2), wrong(3);
  ExpectInputError([&] { system.Solve(XelMathInterval2D(0, 1, 0, 1), wrong); }, 0x20006,
                   {"the XelMathSetOfPointsND", "2"});
  EXPECT_EQ(system.Solve(XelMathInterval2D(1, 0, 0, 1), out), 4);
  EXPECT_EQ(system.Solve(XelMathInterval2D(0, 1, 0, 1), out), 0);
  // x = y, x^2 = sqrt(0.5 - x): x^4 + x - 0.5 = 0.
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  const double x = out.GetPoints()[0];
  EXPECT_NEAR(x, out.GetPoints()[1], 1e-8);
  EXPECT_NEAR(x * x * x * x + x - 0.5, 0.0, 1e-8);
  // A rectangle with NaN ends excludes nothing (it held every box).
  XelMathAttrExclusion2D nan(XelMathInterval2D(std::nan(""), 1, 0, 1));
  XelMathAttrList excluding(&nan);
  EXPECT_EQ(system.Solve(XelMathInterval2D(0, 1, 0, 1), out, &excluding), 0);
  EXPECT_EQ(out.GetNumberOfPoints(), 1);
  const long reports = XelQuornullCount();
  XelMathSystemXYs broken(a.get(), nullptr, c.get(), &d, DefaultTol());
  EXPECT_EQ(XelQuornullCount(), reports + 1);
  EXPECT_EQ(broken.Solve(XelMathInterval2D(0, 1, 0, 1), out), 0);
  EXPECT_EQ(out.GetNumberOfPoints(), 0);
}

TEST(SmallSystemsXYs, ComponentsKnownByValuesOnlyStopWithinABudget) {
  // (x, sin 1e8 x) against (y, 1/2), the wave known by its values only (its images are
  // sampled): 30 million crossings; the solve stops early with crossings only, in bounded
  // evaluations (330 million before the budget of sampled images).
  const long live = LiveBlocks();
  {
    auto a = P({0, 1}), c = P({0, 1}), d = P({0.5});
    ValuesX b([](double x) { return std::sin(1e8 * x); });
    XelMathSystemXYs system(a.get(), &b, c.get(), d.get(), DefaultTol());
    XelMathSetOfPointsND out(2);
    EXPECT_EQ(system.Solve(XelMathInterval2D(-1, 1, -1, 1), out), 10);
    EXPECT_GE(out.GetNumberOfPoints(), 1);
    EXPECT_LT(b.count, 20000000);
    for (long k = 0; k < out.GetNumberOfPoints(); ++k) {
      const double x = out.GetPoints()[2 * k];
      EXPECT_NEAR(x, out.GetPoints()[2 * k + 1], 1e-8);
      EXPECT_NEAR(std::sin(1e8 * x), 0.5, 1e-4) << x; // slope 1e8: x within 1e-12
    }
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(SmallSystemsXYs, ScaledModelGivesTheSameCrossings) {
  // Variables in model units (power 0) at scale 1000: the sampling search, same solutions.
  XelTolerance tol(1000.0);
  const long pF[2] = {1, 1}, pX[2] = {0, 0};
  XelMathAttrScaleOption option(2, pF, 2, pX, 0, nullptr);
  XelMathAttrList attrs;
  attrs.AddAttribute(&option);
  XelMathTrigonometricX a(1, 0, 0, 1, tol), b(0, 1, 0, 1, tol);
  auto c = P({0, 1}), d = P({0.5});
  XelMathSystemXYs system(&a, &b, c.get(), d.get(), tol, &attrs);
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(system.Solve(XelMathInterval2D(0, 6, -2, 2), out, &attrs), 0);
  const double r3 = std::sqrt(3.0) / 2.0;
  ExpectPoints(Points(out), {{kPi / 6, r3}, {5 * kPi / 6, -r3}}, 1e-8, "scaled");
}

// ---- surface and curve ----------------------------------------------------------------------

using Fn3 = std::function<double(double, double)>;
struct Surface {
  Fn3 f[3], fu[3], fv[3];
};

Surface Torus() { // (2 + cos v) (cos u, sin u) and sin v
  return {{[](double u, double v) { return (2 + std::cos(v)) * std::cos(u); },
           [](double u, double v) { return (2 + std::cos(v)) * std::sin(u); },
           [](double, double v) { return std::sin(v); }},
          {[](double u, double v) { return -(2 + std::cos(v)) * std::sin(u); },
           [](double u, double v) { return (2 + std::cos(v)) * std::cos(u); },
           [](double, double) { return 0.0; }},
          {[](double u, double v) { return -std::sin(v) * std::cos(u); },
           [](double u, double v) { return -std::sin(v) * std::sin(u); },
           [](double, double v) { return std::cos(v); }}};
}

Surface Sphere() { // cos v (cos u, sin u) and sin v
  return {{[](double u, double v) { return std::cos(v) * std::cos(u); },
           [](double u, double v) { return std::cos(v) * std::sin(u); },
           [](double, double v) { return std::sin(v); }},
          {[](double u, double v) { return -std::cos(v) * std::sin(u); },
           [](double u, double v) { return std::cos(v) * std::cos(u); },
           [](double, double) { return 0.0; }},
          {[](double u, double v) { return -std::sin(v) * std::cos(u); },
           [](double u, double v) { return -std::sin(v) * std::sin(u); },
           [](double, double v) { return std::cos(v); }}};
}

Surface Cylinder(bool holed) { // (cos u, sin u, v), undefined for u > 2 when holed
  const double nan = holed ? std::nan("") : 0.0;
  return {{[=](double u, double) { return u > 2 ? nan : std::cos(u); },
           [](double u, double) { return std::sin(u); }, [](double, double v) { return v; }},
          {[](double u, double) { return -std::sin(u); },
           [](double u, double) { return std::cos(u); }, [](double, double) { return 0.0; }},
          {[](double, double) { return 0.0; }, [](double, double) { return 0.0; },
           [](double, double) { return 1.0; }}};
}

// The line through S(0.7, 0.4) on the unit sphere along q x (0.3, 0.5, 1), reaching it at
// w = 0.2: tangent there.
std::vector<FnPtr> ObliqueTangent() {
  const double q[3] = {std::cos(0.4) * std::cos(0.7), std::cos(0.4) * std::sin(0.7),
                       std::sin(0.4)};
  double d[3] = {q[1] - 0.5 * q[2], 0.3 * q[2] - q[0], 0.5 * q[0] - 0.3 * q[1]};
  const double n = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  std::vector<FnPtr> line;
  for (int i = 0; i < 3; ++i)
    line.push_back(P({q[i] - 0.2 * d[i] / n, d[i] / n}));
  return line;
}

Surface Plane() { // (u, v, 0)
  return {{[](double u, double) { return u; }, [](double, double v) { return v; },
           [](double, double) { return 0.0; }},
          {[](double, double) { return 1.0; }, [](double, double) { return 0.0; },
           [](double, double) { return 0.0; }},
          {[](double, double) { return 0.0; }, [](double, double) { return 1.0; },
           [](double, double) { return 0.0; }}};
}

XelMathIntervalND Box3(double u0, double u1, double v0, double v1, double w0, double w1) {
  XelMathIntervalND box(3);
  const double b[6] = {u0, u1, v0, v1, w0, w1};
  for (long k = 0; k < 3; ++k) {
    box.SetMin(k, b[2 * k]);
    box.SetMax(k, b[2 * k + 1]);
  }
  return box;
}

struct SurfaceCase {
  const char* name;
  Surface s;
  std::function<std::vector<FnPtr>()> curve;
  XelMathIntervalND box;
  int status;
  Pts expected; // (u, v, w); for status 10 a single point checked by its residual
  double tol;
};

TEST(SmallSystems3x3s, SurfaceCurveIntersections) {
  const std::vector<SurfaceCase> cases = {
      // The x axis (w, 0, 0) crosses the torus at x = +-1, +-3.
      {"line/torus",
       Torus(),
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0}), P({0})};
       },
       Box3(-1, 5.5, -1, 5.5, -4, 4),
       0,
       {{0, 0, 3}, {0, kPi, 1}, {kPi, kPi, -1}, {kPi, 0, -3}},
       1e-7},
      // The line (-0.1, 0.55 + w, -0.3 + 0.05 w) (the roots of the torus's quartic in w, to
      // 40 digits): the third crossing lies in a sampling cell where the first two equations
      // keep one sign at the corners and dip inside.
      {"oblique line/torus",
       Torus(),
       [] {
         return std::vector<FnPtr>{P({-0.1}), P({0.55, 1}), P({-0.3, 0.05})};
       },
       Box3(-kPi, kPi, -kPi, kPi, -3, 3),
       0,
       {{-1.6639159501704282, -2.7506727448380307, -1.6207817215619413},
        {1.6672118999512508, -2.8621687417955976, 0.48396099933046733},
        {1.6043151094122908, -0.17934566668834984, 2.4322845311165403}},
       1e-7},
      // The line (w, 0, 1) touches the top of the tube at (2, 0, 1) and (-2, 0, 1). Krawczyk's
      // operator narrows u to the contact again at every level while v and w stay whole: the
      // box it gives was searched in place of the cell until the depth ran out, and no point
      // was returned.
      {"line on top of the torus",
       Torus(),
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0}), P({1})};
       },
       Box3(-1, 4, -1, 4, -4, 4),
       0,
       {{0, kPi / 2, 2}, {kPi, kPi / 2, -2}},
       1e-4},
      {"line on top of the torus, small box",
       Torus(),
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0}), P({1})};
       },
       Box3(-0.5, 0.5, 1, 2, 1, 3),
       0,
       {{0, kPi / 2, 2}},
       1e-4},
      // 1e-6 lower, the line crosses the tube twice, where sin v = 1 - 1e-6, 1.4e-3 apart in v.
      {"line just below the top of the torus",
       Torus(),
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0}), P({1 - 1e-6})};
       },
       Box3(-0.5, 0.5, 1, 2, 1, 3),
       0,
       {{0, std::asin(1 - 1e-6), 2 + std::cos(std::asin(1 - 1e-6))},
        {0, kPi - std::asin(1 - 1e-6), 2 - std::cos(std::asin(1 - 1e-6))}},
       1e-6},
      // The line (1, w, 0) touches the unit sphere at (1, 0, 0).
      {"tangent/sphere",
       Sphere(),
       [] {
         return std::vector<FnPtr>{P({1}), P({0, 1}), P({0})};
       },
       Box3(-2, 2, -1.2, 1.2, -1, 1),
       0,
       {{0, 0, 0}},
       1e-4},
      // The tangent to the sphere at S(0.7, 0.4) along q x (0.3, 0.5, 1), in boxes 1e-4 wide
      // around the contact: C f(c), with f(c) at the rounding of its terms, was trusted to a
      // billionth of itself where C is the inverse of a nearly singular Jacobian, and the
      // cells around the contact were dropped (no point in most such boxes).
      {"oblique tangent/sphere, box 1e-4 wide",
       Sphere(),
       ObliqueTangent,
       Box3(0.7 - 0.3e-4, 0.7 + 0.7e-4, 0.4 - 0.6e-4, 0.4 + 0.4e-4, 0.2 - 0.5e-4, 0.2 + 0.5e-4),
       0,
       {{0.7, 0.4, 0.2}},
       1e-6},
      {"oblique tangent/sphere, box 2e-4 wide",
       Sphere(),
       ObliqueTangent,
       Box3(0.7 - 0.8e-4, 0.7 + 1.2e-4, 0.4 - 1.5e-4, 0.4 + 0.5e-4, 0.2 - 0.2e-4, 0.2 + 1.8e-4),
       0,
       {{0.7, 0.4, 0.2}},
       1e-6},
      // Touching along a parameter line: a short step from the contact still lands within
      // the root test of the surface (the gap grows as its square), and the contact was taken
      // for a curve lying in the surface (status 10).
      {"parameter line tangent to the sphere",
       Sphere(),
       [] {
         return std::vector<FnPtr>{P({0, 1}), P({0.6}), P({0.8})};
       },
       Box3(0, 3, -1.2, 1.4, -1, 1.3),
       0,
       {{kPi / 2, std::asin(0.8), 0}},
       1e-4},
      // (cos 1, sin 1, 0) (1 - w^3) + (0, 0, w) touches the sphere at w = 0 and crosses it at
      // the root of w^3 + w^2 + w = 1 (to 30 digits): status 10 dropped the crossing.
      {"touching, then crossing the sphere",
       Sphere(),
       [] {
         const double c = std::cos(1.0), s = std::sin(1.0);
         return std::vector<FnPtr>{P({c, 0, 0, -c}), P({s, 0, 0, -s}), P({0, 1})};
       },
       Box3(-0.3, 2.1, -1.2, 1.3, -0.5, 0.8),
       0,
       {{1, 0, 0}, {1, 0.574826297515555412, 0.543689012692076362}},
       1e-4},
      // (w, w / 2 + 1/4, (w - 0.625) (w - 0.625 - 2^-13)) crosses the plane z = 0 twice,
      // 1.2e-4 apart, the first at a corner of the box: the rule of the window merged them.
      {"curve crossing a plane twice, 1.2e-4 apart",
       Plane(),
       [] {
         const double a = 0.625, b = 0.625 + std::ldexp(1.0, -13);
         return std::vector<FnPtr>{P({0, 1}), P({0.25, 0.5}), P({a * b, -(a + b), 1})};
       },
       Box3(0.625, 0.925122, 0.5625, 0.9, 0.625, 1),
       0,
       {{0.625, 0.5625, 0.625},
        {0.625 + std::ldexp(1.0, -13), 0.5625 + std::ldexp(1.0, -14),
         0.625 + std::ldexp(1.0, -13)}},
       1e-9},
      // The helix (cos w, sin w, 0.3 w) lies in the cylinder: a status, one point.
      {"helix/cylinder",
       Cylinder(false),
       [] {
         return std::vector<FnPtr>{Cos(), Sin(), P({0, 0.3})};
       },
       Box3(-1, 1, -1, 1, -1, 1),
       10,
       {{0, 0, 0}},
       0},
      // The line (0.5, 0.5 w, w) through the cylinder, undefined on part of the box.
      {"holed cylinder",
       Cylinder(true),
       [] {
         return std::vector<FnPtr>{P({0.5}), P({0, 0.5}), P({0, 1})};
       },
       Box3(-4, 4, -3, 3, -3, 3),
       0,
       {{std::acos(0.5), std::sqrt(3.0), std::sqrt(3.0)},
        {-std::acos(0.5), -std::sqrt(3.0), -std::sqrt(3.0)}},
       1e-7},
  };
  const long live = LiveBlocks();
  for (const auto& c : cases) {
    std::vector<std::unique_ptr<FnXY>> s;
    for (int i = 0; i < 3; ++i)
      s.emplace_back(new FnXY(c.s.f[i], c.s.fu[i], c.s.fv[i]));
    const auto g = c.curve();
    XelMathSystem3x3sImp system(s[0].get(), s[1].get(), s[2].get(), g[0].get(), g[1].get(),
                                g[2].get(), DefaultTol());
    XelMathSetOfPointsND out(3);
    EXPECT_EQ(system.Solve(c.box, out), c.status) << c.name;
    if (c.status == 0) {
      ExpectPoints(Points(out), c.expected, c.tol, c.name);
      continue;
    }
    EXPECT_TRUE(system.IsCurveInSurface()) << c.name;
    ASSERT_EQ(out.GetNumberOfPoints(), 1) << c.name;
    const double* p = out.GetPoints();
    for (int i = 0; i < 3; ++i)
      EXPECT_NEAR(g[i]->Eval(p[2]), c.s.f[i](p[0], p[1]), 1e-8) << c.name;
  }
  EXPECT_EQ(LiveBlocks(), live);
}

// The helix (cos w, sin w, w / 20) through the plane x = 1/2, several turns in each cell of
// the first grid: the corner values of every equation can agree to the last digit across a
// cell the curve crosses twice. Crossings where cos w = 1/2.
TEST(SmallSystems3x3s, HelixOfManyTurnsThroughAPlane) {
  const XelTolerance& tol = DefaultTol();
  XelMathLinearXY x(0, 0, 0.5), y(1, 0, 0), z(0, 1, 0);
  auto c = Cos(), s = Sin(), h = P({0, 0.05});
  XelMathSystem3x3sImp system(&x, &y, &z, c.get(), s.get(), h.get(), tol);
  for (const double turns : {5.0, 12.0, 40.0}) {
    const double top = 2 * kPi * turns;
    XelMathSetOfPointsND out(3);
    EXPECT_EQ(system.Solve(Box3(-1.2, 1.2, -0.1, 0.05 * top + 0.1, 0.1, top - 0.1), out), 0);
    Pts expected;
    for (int k = 0; k < turns; ++k)
      for (const double w : {2 * kPi * k + kPi / 3, 2 * kPi * (k + 1) - kPi / 3})
        expected.push_back({std::sin(w), 0.05 * w, w});
    ExpectPoints(Points(out), expected, 1e-7, "helix");
  }
}

// The helix (1/2 + cos w, sin w, w / 10) crosses the cylinder (cos u, sin u, v), known by its
// values and slopes only, where cos w = -1/4, twice a turn. Over ten turns the first grid has
// two turns a cell along w, and the corner data of a cell are those of a cell where nothing
// moves: no crossing was found (status 0). The curve's enclosure over a cell, less the
// surface's values around its (u, v) rectangle, keeps such a cell.
TEST(SmallSystems3x3s, HelixAliasedByTheGridThroughAValuesOnlyCylinder) {
  const Surface c = Cylinder(false);
  std::vector<std::unique_ptr<FnXY>> s;
  for (int i = 0; i < 3; ++i)
    s.emplace_back(new FnXY(c.f[i], c.fu[i], c.fv[i]));
  const auto y = Sin();
  XelMathTrigonometricX shifted(1, 0, 0.5, 1, DefaultTol());
  const auto z = P({0, 0.1});
  XelMathSystem3x3sImp system(s[0].get(), s[1].get(), s[2].get(), &shifted, y.get(), z.get(),
                              DefaultTol());
  XelMathSetOfPointsND out(3);
  EXPECT_EQ(system.Solve(Box3(-3.3, 3.3, -0.5, 6.8, 0, 62.8), out), 0);
  Pts expected;
  const double a = std::acos(-0.25);
  for (int k = 0; k < 10; ++k)
    for (const double w : {a + 2 * kPi * k, 2 * kPi * (k + 1) - a})
      expected.push_back({std::atan2(std::sin(w), 0.5 + std::cos(w)), 0.1 * w, w});
  ExpectPoints(Points(out), expected, 1e-7, "aliased helix");
}

// (w, 0, w^4) touches the plane z = 0 to the fourth order: points of the stretch |w| < 1e-2
// where the residual test holds came back as 4 or 5 solutions.
TEST(SmallSystems3x3s, ContactOfOrderFourWithAPlaneIsOnePoint) {
  XelMathLinearXY x(1, 0, 0), y(0, 1, 0), z(0, 0, 0);
  auto u = P({0, 1}), v = P({0}), w = P({0, 0, 0, 0, 1});
  XelMathSystem3x3sImp system(&x, &y, &z, u.get(), v.get(), w.get(), DefaultTol());
  for (const auto& box : {Box3(-0.5, 0.7, -0.3, 0.4, -0.6, 0.8), Box3(-2, 1, -1, 2, -1.5, 1.3)}) {
    XelMathSetOfPointsND out(3);
    EXPECT_EQ(system.Solve(box, out), 0);
    ExpectPoints(Points(out), {{0, 0, 0}}, 1e-3, "w^4");
  }
}

TEST(SmallSystems3x3s, SeparableGridAndMisuse) {
  const Surface t = Torus();
  FnXY f0(t.f[0], t.fu[0], t.fv[0]), f1(t.f[1], t.fu[1], t.fv[1]), f2(t.f[2], t.fu[2], t.fv[2]);
  auto g0 = P({0, 1}), g1 = P({0.5, 0, 1}), g2 = Sin();
  XelMathSystem3x3sImp system(&f0, &f1, &f2, g0.get(), g1.get(), g2.get(), DefaultTol());
  // Node (a, b, c) of a 3 x 4 x 5 grid: the last index runs fastest.
  const XelMathIntervalND box = Box3(0, 1, -1, 2, -2, 2);
  const long counts[3] = {3, 4, 5};
  std::vector<double> values(60), grads(180);
  for (long i = 0; i < 3; ++i) {
    system.EvalEquation(i, box, counts, values.data(), grads.data());
    for (long m = 0; m < 60; ++m) {
      const double u = 0.5 * (m / 20), v = -1 + (m / 5 % 4), w = -2 + (m % 5);
      const double gi[3] = {w, 0.5 + w * w, std::sin(w)};
      const double dgi[3] = {1, 2 * w, std::cos(w)};
      EXPECT_NEAR(values[m], gi[i] - t.f[i](u, v), 1e-12) << i << " " << m;
      EXPECT_NEAR(grads[3 * m], -t.fu[i](u, v), 1e-12);
      EXPECT_NEAR(grads[3 * m + 1], -t.fv[i](u, v), 1e-12);
      EXPECT_NEAR(grads[3 * m + 2], dgi[i], 1e-12);
    }
  }
  ExpectInputError([&] { system.EvalEquationF(3, 0.0, 0.0); }, 0x20007, {"", "Wrong Index"});
  XelMathSetOfPointsND wrong(2);
  ExpectInputError([&] { system.Solve(box, wrong); }, 0x20006);
  XelMathSetOfPointsND out(3);
  EXPECT_EQ(system.Solve(Box3(0, 1, 1, 1, 0, 1), out), 4);
}

} // namespace
