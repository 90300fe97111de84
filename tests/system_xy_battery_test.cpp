// Completeness battery of the two-variable system solver: every solution in the box found
// once, nothing else, on systems of polynomials and composites with many solutions, close
// pairs, tangential contacts, solutions on box edges, corners and sampling lines, near misses,
// singular points, anisotropic scaling, the solution limit and partly undefined functions.
//
// Reference solutions: closed forms where the system has them; otherwise the tables of
// system_xy_references.h, computed outside the library in 50-digit arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "XelMathCombinationXY.h"
#include "XelMathFractionXY.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSumXYs.h"
#include "XelMathSystemXYc.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "solution_sets.h"
#include "system_xy_references.h"
#include "xy_helpers.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

struct Mono {
  long i, j;
  double c;
};
using Monos = std::vector<Mono>;

// sum c (x - sx)^i (y - sy)^j over the monomials.
std::unique_ptr<XelMathPolynomXY> PolyXY(const Monos& m, double sx = 0, double sy = 0) {
  long dx = 0, dy = 0;
  for (const Mono& t : m)
    dx = std::max(dx, t.i), dy = std::max(dy, t.j);
  std::vector<double> a((dx + 1) * (dy + 1), 0.0);
  for (const Mono& t : m)
    a[t.i * (dy + 1) + t.j] += t.c;
  return std::make_unique<XelMathPolynomXY>(dx, dy, a.data(), sx, sy);
}

// Known by its values only, NaN left of x = 0.2.
class HalfDefinedXY : public XelMathFunctionXY {
public:
  const char* IsA() const override { return "HalfDefinedXY"; }
  using XelMathFunctionXY::Eval;
  double Eval(const double& x, const double& y) const override {
    return x < 0.2 ? kNaN : (x - 0.5) * (x - 0.5) + (y - 0.5) * (y - 0.5) - 0.09;
  }
};

// The functions of one system, kept alive for the solve.
struct Sys {
  std::vector<std::unique_ptr<XelMathFunctionXY>> xy;
  std::vector<std::unique_ptr<XelMathFunctionX>> x;
  const XelMathFunctionXY* Add(std::unique_ptr<XelMathFunctionXY> p) {
    xy.push_back(std::move(p));
    return xy.back().get();
  }
  const XelMathFunctionX* AddX(std::unique_ptr<XelMathFunctionX> p) {
    x.push_back(std::move(p));
    return x.back().get();
  }
  void Set(std::unique_ptr<XelMathFunctionXY> iF, std::unique_ptr<XelMathFunctionXY> iG) {
    f = Add(std::move(iF)), g = Add(std::move(iG));
  }
  const XelMathFunctionXY *f = nullptr, *g = nullptr;
};

struct Case {
  const char* name;
  double box[4]; // x0, x1, y0, y1
  std::vector<Pt2> truth;
  double tol;       // per coordinate, relative to the widths of the box
  const char* skip; // why the case is skipped, or null
  std::function<void(Sys&)> build;
};
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

// Circle of centre (0.1, -0.05) and radius 0.8, quartic x^4 + y^4 + 0.1 x y = 0.3.
const Monos kCircle = {{2, 0, 1.0}, {0, 2, 1.0}, {0, 0, -0.64}};
const Monos kQuartic = {{4, 0, 1.0}, {0, 4, 1.0}, {1, 1, 0.1}, {0, 0, -0.3}};
const Monos kUnitCircle = {{2, 0, 1}, {0, 2, 1}, {0, 0, -1}};
const Monos kQuarterCircle = {{2, 0, 1}, {0, 2, 1}, {0, 0, -0.0625}};
const Monos kCornerCircle = {{2, 0, 1}, {0, 2, 1}, {0, 0, -60.5}}; // about (5.5, 5.5)

template <std::size_t N> std::vector<Pt2> Pts(const double (&a)[N][2]) {
  std::vector<Pt2> v;
  for (const auto& p : a)
    v.push_back({p[0], p[1]});
  return v;
}

std::vector<Case> Cases() {
  using namespace xelsystems;
  const std::vector<Pt2> kCircleQuartic = Pts(xelsystems::kCircleQuartic);
  const Monos t7x = {{7, 0, 64}, {5, 0, -112}, {3, 0, 56}, {1, 0, -7}, {0, 1, 0.1}};
  const Monos t7y = {{0, 7, 64}, {0, 5, -112}, {0, 3, 56}, {0, 1, -7}, {1, 0, -0.1}};
  const double t11[] = {0, -11, 0, 220, 0, -1232, 0, 2816, 0, -2816, 0, 1024};
  Monos t11x, t11y;
  for (long k = 0; k <= 11; ++k)
    t11x.push_back({k, 0, t11[k]}), t11y.push_back({0, k, t11[k]});
  std::vector<Pt2> t11roots, scaled;
  for (int k = 1; k <= 11; ++k)
    for (int l = 1; l <= 5; ++l)
      t11roots.push_back({std::cos((2 * k - 1) * kPi / 22), std::cos((2 * l - 1) * kPi / 22)});
  for (const Pt2& p : kCircleQuartic)
    scaled.push_back({1e3 * p.x, 1e-3 * p.y});
  const double rr = 1e-4, c = std::sqrt(rr * rr - 2.5e-9); // circles of radius 1e-4
  const double dc = 0.01 / std::sqrt(1.04);
  const double r4 = 0.21213203435596426; // 0.3 / sqrt(2)
  const double dl = 2.5e-7, hw = std::sqrt(0.25 - (0.5 - dl) * (0.5 - dl));
  const double n1 = (49 + std::sqrt(49.0 * 49.0 + 4 * 6400 * 0.91)) / 12800;
  const double n2 = (49 - std::sqrt(49.0 * 49.0 + 4 * 6400 * 0.91)) / 12800;
  // clang-format off
  return {
      {"Chebyshev grid, 49 solutions", {-1.1, 1.05, -1.02, 1.1}, Pts(kChebyshev49), 1e-7, nullptr,
       [=](Sys& s) { s.Set(PolyXY(t7x), PolyXY(t7y)); }},
      {"sine waves, 42 solutions", {0.2, 3.9, -0.3, 2.95}, Pts(kSines42), 1e-7, nullptr,
       [](Sys& s) {
         auto w = [&](double a, double b, double k) {
           return s.AddX(std::make_unique<XelMathTrigonometricX>(a, b, 0.0, k, DefaultTol()));
         }; // a cos kx + b sin kx
         s.Set(std::make_unique<XelMathSumXYs>(w(0, 1, 6), w(0, 0.3, 5)),
               std::make_unique<XelMathSumXYs>(w(0.3, 0, 5), w(0, 1, 6)));
       }},
      // T11(x) = 0, T11(y) = 0: cos((2k - 1) pi / 22) in each coordinate.
      {"two roots of F in one sampling cell", {-1.03, 1.01, 0.05, 1.04}, t11roots, 1e-7,
       nullptr,
       [=](Sys& s) { s.Set(PolyXY(t11x), PolyXY(t11y)); }},
      // x = 0.123, (y - 0.5)^2 = 4e-4: G keeps its sign at the corners of the cell.
      {"two roots of G in one sampling cell", {0, 1, 0, 1}, {{0.123, 0.48}, {0.123, 0.52}}, 1e-7,
       nullptr, [](Sys& s) {
         s.Set(PolyXY({{1, 0, 1}, {0, 0, -0.123}}), PolyXY({{0, 2, 1}, {0, 0, -4e-4}}, 0, 0.5));
       }},
      // (x - 0.31)^2 + (y - 0.47)^2 = 1e-4, y - 0.47 = 0.2 (x - 0.31).
      {"circle inside a sampling cell", {0, 1, 0, 1}, {{0.31 - dc, 0.47 - 0.2 * dc},
       {0.31 + dc, 0.47 + 0.2 * dc}}, 1e-7, nullptr, [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -1e-4}}, 0.31, 0.47),
               PolyXY({{0, 1, 1}, {1, 0, -0.2}}, 0.31, 0.47));
       }},
      {"circle and quartic", {-1, 1, -1, 1}, kCircleQuartic, 1e-7, nullptr,
       [](Sys& s) { s.Set(PolyXY(kCircle, 0.1, -0.05), PolyXY(kQuartic)); }},
      {"circle and quartic, x scaled by 1e3 and y by 1e-3", {-1e3, 1e3, -1e-3, 1e-3}, scaled, 1e-7,
       nullptr,
       [](Sys& s) {
         auto f = PolyXY(kCircle, 0.1, -0.05), g = PolyXY(kQuartic);
         f->ApplyScalingOnVariables(1e-3, 1e3), g->ApplyScalingOnVariables(1e-3, 1e3);
         s.Set(std::move(f), std::move(g));
       }},
      // (x^2 + y^2 - 1) / (2 + x y) = 0, (y - x^3) + 0.5 (x - 0.5) - 0.2 = 0.
      {"fraction and combination", {-1.5, 1.5, -1.5, 1.5},
       {{-0.99888472441610698, -0.047215541171927583}, {0.81348441594341747, 0.58158671323990629}},
       1e-7, nullptr,
       [](Sys& s) {
         auto den = s.Add(PolyXY({{1, 1, 1}, {0, 0, 2}}));
         const XelMathFunctionXY* parts[] = {s.Add(PolyXY({{0, 1, 1}, {3, 0, -1}})),
                                             s.Add(PolyXY({{1, 0, 1}, {0, 0, -0.5}}))};
         const double k[] = {1.0, 0.5};
         s.Set(std::make_unique<XelMathFractionXY>(s.Add(PolyXY(kUnitCircle)), den, DefaultTol()),
               std::make_unique<XelMathCombinationXY>(2, parts, k, -0.2));
       }},
      {"two circles crossing 1e-4 apart", {0, 1, 0, 1}, {{0.3, 0.6 - 5e-5}, {0.3, 0.6 + 5e-5}},
       1e-7, nullptr,
       [=](Sys& s) {
         const Monos m = {{2, 0, 1 / rr}, {0, 2, 1 / rr}, {0, 0, -rr}};
         s.Set(PolyXY(m, 0.3 - c, 0.6), PolyXY(m, 0.3 + c, 0.6));
       }},
      {"line tangent to a circle", {-0.5, 1, -0.5, 1}, {{0.25, 0.625}}, 1e-4, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -0.25}}, 0.25, 0.125),
               PolyXY({{0, 1, 1}, {0, 0, -0.625}}));
       }},
      {"two circles touching", {0, 1, 0, 1}, {{0.5, 0.5}}, 1e-4, nullptr,
       [](Sys& s) { s.Set(PolyXY(kQuarterCircle, 0.25, 0.5), PolyXY(kQuarterCircle, 0.75, 0.5)); }},
      {"two circles touching at a sampling node", {0, 11, 0, 11}, {{5, 5}}, 1e-4, nullptr,
       [](Sys& s) { s.Set(PolyXY(kUnitCircle, 4, 5), PolyXY(kUnitCircle, 6, 5)); }},
      {"circle through the corners and the diagonal", {0, 11, 0, 11}, {{0, 0}, {11, 11}}, 1e-7,
       nullptr,
       [](Sys& s) {
         s.Set(PolyXY(kCornerCircle, 5.5, 5.5), PolyXY({{1, 0, 1}, {0, 1, -1}}));
       }},
      {"circle through the corners and the other diagonal", {0, 11, 0, 11}, {{0, 11}, {11, 0}},
       1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY(kCornerCircle, 5.5, 5.5), PolyXY({{1, 0, 1}, {0, 1, 1}, {0, 0, -11}}));
       }},
      // (x - 2)(x - 7) = 0, (y - 3)(y - 11) = 0.
      {"grid nodes and the top edge", {0, 11, 0, 11}, {{2, 3}, {7, 3}, {2, 11}, {7, 11}}, 1e-7,
       nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {1, 0, -9}, {0, 0, 14}}),
               PolyXY({{0, 2, 1}, {0, 1, -14}, {0, 0, 33}}));
       }},
      // x - 7 + 0.001 (y - 2.5)^2 = 0, y - 2.5 + 0.2 (x - 7) = 0.
      {"curve touching a sampling line", {0, 11, 0, 11}, {{7, 2.5}}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{1, 0, 1}, {0, 2, 0.001}}, 7, 2.5),
               PolyXY({{0, 1, 1}, {1, 0, 0.2}}, 7, 2.5));
       }},
      // x - 0.1 (y - 4.3)^2 = 0, y - 4.3 - 0.3 x = 0.
      {"on the left edge", {0, 11, 0, 11}, {{0, 4.3}}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{1, 0, 1}, {0, 2, -0.1}}, 0, 4.3),
               PolyXY({{0, 1, 1}, {1, 0, -0.3}}, 0, 4.3));
       }},
      {"line 1e-6 above a circle", {-1, 1, -1, 1}, {}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -0.25}}),
               PolyXY({{0, 1, 1}, {0, 0, -0.500001}}));
       }},
      {"circles 1e-6 apart", {0, 1, 0, 1}, {}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY(kQuarterCircle, 0.25, 0.5), PolyXY(kQuarterCircle, 0.750001, 0.5));
       }},
      {"parabolas 1e-6 apart", {-1, 1, -0.5, 1}, {}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{0, 1, 1}, {2, 0, -1}}), PolyXY({{0, 1, 1}, {2, 0, -1}, {0, 0, -1e-6}}));
       }},
      // (x - 0.25)^2 + (y - 0.125)^2 = 0.25, y = 0.625 - d: the line is 2.5e-7 below the top of
      // the circle and crosses it at x = 0.25 -+ sqrt(0.25 - (0.5 - d)^2), 1e-3 apart.
      {"line crossing a circle twice 1e-3 apart", {-0.5, 1, -0.5, 1}, {{0.25 - hw, 0.625 - dl},
       {0.25 + hw, 0.625 - dl}}, 1e-7, nullptr, [=](Sys& s) {
         s.Set(PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -0.25}}, 0.25, 0.125),
               PolyXY({{0, 1, 1}, {0, 0, -0.625 + dl}}));
       }},
      // F = y - x^2 + x^3 / 2 - x y / 5 and G = F + 1e-5 (x + y - 0.4) cross at a 1e-5 angle,
      // where F = 0 meets x + y = 0.4: the root of x^3 / 2 - 0.8 x^2 - 1.08 x + 0.4 in the box.
      // Their residuals stay within the solution threshold along a stretch of the curves.
      {"curves crossing at an angle of 1e-5", {-1, 1, -1, 1},
       {{0.312244521399061675, 0.4 - 0.312244521399061675}}, 1e-6, nullptr, [](Sys& s) {
         const Monos f = {{0, 1, 1}, {2, 0, -1}, {3, 0, 0.5}, {1, 1, -0.2}};
         Monos g = f;
         g.insert(g.end(), {{1, 0, 1e-5}, {0, 1, 1e-5}, {0, 0, -0.4e-5}});
         s.Set(PolyXY(f), PolyXY(g));
       }},
      // y = x^2 and y = x^2 + 10 x^2 (x - 0.02): tangent at the origin, crossing at x = 0.02.
      {"tangent contact with a crossing 0.02 away", {-0.5, 0.5, -0.2, 0.5}, {{0, 0}, {0.02, 4e-4}},
       1e-5, nullptr, [](Sys& s) {
         s.Set(PolyXY({{0, 1, 1}, {2, 0, -1}}),
               PolyXY({{0, 1, 1}, {2, 0, -1}, {3, 0, -10}, {2, 0, 0.2}}));
       }},
      // y^2 - x^2 (x + 1) = 0 and y = 0.3 x - 80 x^2: the node and the two roots of
      // 6400 x^2 - 49 x - 0.91 = 0, 0.02 and 0.012 away.
      {"curve through the node of a cubic and two points near it", {-1.2, 0.7, -0.8, 0.9},
       {{0, 0}, {n1, 0.3 * n1 - 80 * n1 * n1}, {n2, 0.3 * n2 - 80 * n2 * n2}}, 1e-5, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{0, 2, 1}, {3, 0, -1}, {2, 0, -1}}),
               PolyXY({{0, 1, 1}, {1, 0, -0.3}, {2, 0, 80}}));
       }},
      // y^2 - x^2 (x + 1) = 0 (node at the origin), y - 0.3 x = 0.
      {"line through the node of a cubic", {-1.2, 0.7, -0.8, 0.9}, {{0, 0}, {-0.91, -0.273}}, 1e-4,
       nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{0, 2, 1}, {3, 0, -1}, {2, 0, -1}}), PolyXY({{0, 1, 1}, {1, 0, -0.3}}));
       }},
      // y - 0.5 = 1000 (x - 0.5)(x - 0.52)(x - 0.54), y = 0.5: F rises at both sides of the
      // sampling cell and its corner gradients keep their signs, yet the three crossings are
      // in that cell.
      {"three crossings of a cubic in one sampling cell", {0, 1, 0, 1},
       {{0.5, 0.5}, {0.52, 0.5}, {0.54, 0.5}}, 1e-7, nullptr,
       [](Sys& s) {
         s.Set(PolyXY({{0, 1, 1}, {3, 0, -1000}, {1, 0, 0.4}}, 0.52, 0.5),
               PolyXY({{0, 1, 1}}, 0.52, 0.5));
       }},
      // Cubics (a(x), b(x)) with a vertical tangent at x = 1/2 and a copy lifted by e times
      // the bump -1 + 6y - 6y^2 (e = 2^-20): crossings where the bump vanishes, y = x =
      // (3 +- sqrt 3) / 6, and within 3e-19 of each other near (1/2, 1/2), one point there.
      // Cells along that stretch, each excluding a tiny square, took the whole work budget
      // and the crossing was lost.
      {"S curve and a copy lifted by a bump", {0.4, 1, 0.4, 1},
       {{0.5, 0.5}, {(3 + std::sqrt(3.0)) / 6, (3 + std::sqrt(3.0)) / 6}}, 1e-5, nullptr,
       [](Sys& s) {
         const double e = std::ldexp(1.0, -20);
         s.Set(PolyXY({{1, 0, 3}, {2, 0, -6}, {3, 0, 4}, {0, 1, -3}, {0, 2, 6}, {0, 3, -4}}),
               PolyXY({{1, 0, 4.5}, {2, 0, -10.5}, {3, 0, 7}, {0, 0, e}, {0, 1, -4.5 - 6 * e},
                       {0, 2, 10.5 + 6 * e}, {0, 3, -7}}));
       }},
      {"undefined left of x = 0.2", {0, 1, 0, 1}, {{0.5 - r4, 0.5 - r4}, {0.5 + r4, 0.5 + r4}},
       1e-7, nullptr,
       [](Sys& s) {
         s.Set(std::make_unique<HalfDefinedXY>(), PolyXY({{1, 0, 1}, {0, 1, -1}}));
       }},
      // Powell's badly scaled system: 1e4 x y = 1, exp(-x) + exp(-y) = 1.0001, its solutions
      // 1.1e-5 from an edge, in cells of the smallest width where Newton's steps leave them.
      {"Powell's badly scaled system", {0, 10, 0, 10},
       {{1.098159329699817e-05, 9.106146739866524}, {9.106146739866524, 1.098159329699817e-05}},
       1e-9, nullptr,
       [](Sys& s) {
         s.Set(std::make_unique<FnXY>([](double x, double y) { return 1e4 * x * y - 1; },
                                      [](double, double y) { return 1e4 * y; },
                                      [](double x, double) { return 1e4 * x; }),
               std::make_unique<FnXY>(
                   [](double x, double y) { return std::exp(-x) + std::exp(-y) - 1.0001; },
                   [](double x, double) { return -std::exp(-x); },
                   [](double, double y) { return -std::exp(-y); }));
       }},
  };
  // clang-format on
}

int SolveInto(const XelMathFunctionXY* f, const XelMathFunctionXY* g, const double* box,
              XelMathSetOfPointsND& out) {
  XelMathSystemXYc system(f, g, DefaultTol());
  return system.Solve(XelMathInterval2D(box[0], box[1], box[2], box[3]), out);
}

} // namespace

class SystemXYBatteryCases : public testing::TestWithParam<Case> {};

TEST_P(SystemXYBatteryCases, EverySolutionOnceAndNothingElse) {
  const Case& c = GetParam();
  if (c.skip)
    GTEST_SKIP() << c.skip;
  Sys s;
  c.build(s);
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(SolveInto(s.f, s.g, c.box, out), 0);
  ExpectSameSolutions(PointsOf2D(out), c.truth, c.tol * (c.box[1] - c.box[0]),
                      c.tol * (c.box[3] - c.box[2]));
}

INSTANTIATE_TEST_SUITE_P(SystemXYBattery, SystemXYBatteryCases, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<Case>& i) {
                           std::string n;
                           for (const char* p = i.param.name; *p; ++p)
                             n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return n;
                         });

// sin(pi x) + 0.1 sin(pi y) = 0, sin(pi y) - 0.1 sin(pi x) = 0 has one solution near every node
// (k, l) of the integer grid (both sines vanish there), 121 in the box.
TEST(SystemXYBattery, MoreThanAHundredSolutionsStopsWithOneTrueSolution) {
  const XelTolerance& t = DefaultTol();
  XelMathTrigonometricX s1(0, 1, 0, kPi, t), s01(0, 0.1, 0, kPi, t), m01(0, -0.1, 0, kPi, t);
  XelMathSumXYs f(&s1, &s01), g(&m01, &s1);
  const double box[] = {0.5, 11.5, 0.5, 11.5};
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(SolveInto(&f, &g, box, out), 10);
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  const Pt2 p = PointsOf2D(out)[0];
  const double sx = std::sin(kPi * p.x), sy = std::sin(kPi * p.y);
  EXPECT_LT(std::fabs(sx + 0.1 * sy) + std::fabs(sy - 0.1 * sx), 1e-9) << p.x << ", " << p.y;
  EXPECT_LT(std::fabs(p.x - std::round(p.x)) + std::fabs(p.y - std::round(p.y)), 1e-6);
}

// T11(x) = 0, T11(y) = 0: 121 solutions, cos((2k - 1) pi / 22) in each coordinate.
TEST(SystemXYBattery, ChebyshevGridOfMoreThanAHundredStopsWithOneTrueSolution) {
  const double t11[] = {0, -11, 0, 220, 0, -1232, 0, 2816, 0, -2816, 0, 1024};
  Monos fx, gy;
  for (long k = 0; k <= 11; ++k)
    fx.push_back({k, 0, t11[k]}), gy.push_back({0, k, t11[k]});
  auto f = PolyXY(fx), g = PolyXY(gy);
  const double box[] = {-1.03, 1.01, -1.02, 1.04};
  XelMathSetOfPointsND out(2);
  EXPECT_EQ(SolveInto(f.get(), g.get(), box, out), 10);
  ASSERT_EQ(out.GetNumberOfPoints(), 1);
  const Pt2 p = PointsOf2D(out)[0];
  auto nearNode = [](double v) {
    bool near = false;
    for (int k = 1; k <= 11; ++k)
      near = near || std::fabs(v - std::cos((2 * k - 1) * kPi / 22)) < 1e-7;
    return near;
  };
  EXPECT_TRUE(nearNode(p.x) && nearNode(p.y)) << p.x << ", " << p.y;
}

TEST(SystemXYBattery, EmptyDomainLeavesTheSet) {
  auto f = PolyXY({{1, 0, 1}}), g = PolyXY({{0, 1, 1}});
  const double pt[] = {7, 8};
  for (const auto& box : {std::vector<double>{1, 0, 0, 1}, std::vector<double>{0, 1, 2, -2}}) {
    XelMathSetOfPointsND out(2);
    out.AddPoint(pt);
    EXPECT_EQ(SolveInto(f.get(), g.get(), box.data(), out), 4);
    ASSERT_EQ(out.GetNumberOfPoints(), 1);
    EXPECT_EQ(out.GetPoints()[0], 7.0);
  }
}

// Random cubics F and H (a fixed linear congruential sequence) and G = F + eps H: the curves
// F = 0 and G = 0 cross where F = H = 0, at angles of about eps, and stay within the residual
// threshold of each other along a stretch there. The reference is Newton's method on F = H = 0
// (well conditioned) from the centres of a 40 x 40 grid, duplicates merged.
TEST(SystemXYBattery, NearlyTangentRandomPairsGiveEachCrossingOnce) {
  unsigned long state = 12345;
  auto next = [&state] {
    state = (state * 6364136223846793005UL + 1442695040888963407UL) & 0xffffffffffffUL;
    return 2.0 * static_cast<double>(state) / static_cast<double>(0xffffffffffffUL) - 1.0;
  };
  long crossings = 0;
  for (const double eps : {1e-3, 1e-4, 1e-5, 1e-6})
    for (int s = 0; s < 12; ++s) {
      Monos mf, mh;
      for (long i = 0; i <= 3; ++i)
        for (long j = 0; i + j <= 3; ++j)
          mf.push_back({i, j, next()}), mh.push_back({i, j, next()});
      Monos mg = mf;
      for (const Mono& t : mh)
        mg.push_back({t.i, t.j, eps * t.c});
      auto f = PolyXY(mf), g = PolyXY(mg), h = PolyXY(mh);
      std::vector<Pt2> truth;
      for (int a = 0; a < 40; ++a)
        for (int b = 0; b < 40; ++b) {
          double x = -1 + (a + 0.5) / 20, y = -1 + (b + 0.5) / 20, step = 1;
          for (int it = 0; it < 60 && step > 1e-15 && std::fabs(x) + std::fabs(y) < 6; ++it) {
            double fv, fx, fy, hv, hx, hy;
            f->Eval(x, y, 3, &fv, &fx, &fy, nullptr, nullptr, nullptr);
            h->Eval(x, y, 3, &hv, &hx, &hy, nullptr, nullptr, nullptr);
            const double det = fx * hy - fy * hx, dx = (fv * hy - fy * hv) / det,
                         dy = (fx * hv - fv * hx) / det;
            x -= dx, y -= dy, step = std::fabs(dx) + std::fabs(dy);
          }
          bool known = !(step <= 1e-15) || std::fabs(x) > 1 || std::fabs(y) > 1;
          for (const Pt2& p : truth)
            known = known || (std::fabs(p.x - x) < 1e-9 && std::fabs(p.y - y) < 1e-9);
          if (!known)
            truth.push_back({x, y});
        }
      crossings += static_cast<long>(truth.size());
      const double box[] = {-1, 1, -1, 1};
      XelMathSetOfPointsND out(2);
      EXPECT_EQ(SolveInto(f.get(), g.get(), box, out), 0) << eps << " " << s;
      ExpectSameSolutions(PointsOf2D(out), truth, 1e-6, 1e-6);
    }
  EXPECT_GE(crossings, 15);
}

// Two circles nearly tangent, crossing twice 1e-3 apart, seen through a linear map of the plane
// (two ellipses; configurations found by a random battery). The crossings in closed form,
// mapped. Where the curves nearly touch, Newton's steps in a cell of odd degree left it, and
// around the first crossing the square proved free of others was so small that the rest of
// the cell met that crossing on its boundary again and again down to the depth limit.
TEST(SystemXYBattery, NearlyTangentEllipsesCrossTwice) {
  struct Pair {
    double c1[2], r1, c2[2], r2, m[4];
  };
  const Pair pairs[] = {
      {{-0.42927511954894337, 0.33994904246836621},
       0.60293713653629566,
       {0.069311325790087586, -0.062938059705089089},
       1.2439568962704028,
       {0.265009180130655, -0.2521116982197289, -0.40644850440987684, 1.3117178516241945}},
      {{0.19520034100772832, 0.39925659525844326},
       0.53222487867615642,
       {0.27400747201717024, 0.11063357668796725},
       0.83141343593621997,
       {1.5775800380376195, 0.496576741458854, 0.11038068764595343, 0.23886776651971442}}};
  for (const Pair& p : pairs) {
    const double* m = p.m;
    const double det = m[0] * m[3] - m[1] * m[2];
    const double i00 = m[3] / det, i01 = -m[1] / det, i10 = -m[2] / det, i11 = m[0] / det;
    // |M^-1 X - c|^2 - r^2 in X = (x, y).
    auto conic = [&](const double* c, double r) {
      return PolyXY({{2, 0, i00 * i00 + i10 * i10},
                     {1, 1, 2 * (i00 * i01 + i10 * i11)},
                     {0, 2, i01 * i01 + i11 * i11},
                     {1, 0, -2 * (c[0] * i00 + c[1] * i10)},
                     {0, 1, -2 * (c[0] * i01 + c[1] * i11)},
                     {0, 0, c[0] * c[0] + c[1] * c[1] - r * r}});
    };
    const double dx = p.c2[0] - p.c1[0], dy = p.c2[1] - p.c1[1], d = std::hypot(dx, dy);
    const double a = (p.r1 * p.r1 - p.r2 * p.r2 + d * d) / (2 * d);
    const double h = std::sqrt(p.r1 * p.r1 - a * a);
    std::vector<Pt2> truth;
    for (const double s : {-h, h}) {
      const double u = p.c1[0] + (a * dx - s * dy) / d, v = p.c1[1] + (a * dy + s * dx) / d;
      truth.push_back({m[0] * u + m[1] * v, m[2] * u + m[3] * v});
    }
    ASSERT_GT(std::hypot(truth[0].x - truth[1].x, truth[0].y - truth[1].y), 2e-4);
    auto f = conic(p.c1, p.r1), g = conic(p.c2, p.r2);
    const double box[] = {-1.5, 1.5, -1.5, 1.5};
    XelMathSetOfPointsND out(2);
    EXPECT_EQ(SolveInto(f.get(), g.get(), box, out), 0);
    ExpectSameSolutions(PointsOf2D(out), truth, 1e-8, 1e-8);
  }
}

// Random placements of classical curves (nodal cubic, folium, lemniscate, Cassini oval,
// parabola, line), the second passing through the node of the first: a battery outside the
// suite found each of these. The node is reported once and exactly, nothing near it or far from
// it is added. The node is where the first curve was placed; the other solutions come from
// Newton's method from a 100 x 100 grid of starts.
TEST(SystemXYBattery, CurvesThroughANodeOfTheOther) {
  struct Case {
    const char* name;
    Monos f, g;
    std::vector<Pt2> truth;
  };
  // clang-format off
  const Case cases[] = {
      // The node's cell has degree 0 and a Jacobian singular only on the scale of the cell.
      {"nodal cubic / Cassini oval",
       {{0, 0, 0.20396183455317587}, {0, 1, -2.102912686052826}, {0, 2, -1.1827813481740503},
        {0, 3, -2.8769309741681854}, {1, 0, 0.7213473251551201}, {1, 1, -10.33913438333304},
        {1, 2, -8.575829073282177}, {2, 0, -1.1167271950520814}, {2, 1, -8.521215252701253},
        {3, 0, -2.822316410553119}},
       {{0, 0, 2.7863175834964733}, {0, 1, -7.659427664880265}, {0, 2, 7.521260947107572},
        {0, 3, -10.458456330446491}, {0, 4, 6.842520529172987}, {1, 0, 13.7249295203621},
        {1, 1, -20.60227611830905}, {1, 2, 15.441546970490878}, {1, 3, 1.7763568394002505e-15},
        {2, 0, 17.894861677209292}, {2, 1, -10.458456330446491}, {2, 2, 13.685041058345977},
        {3, 0, 15.44154697049088}, {3, 1, -1.7763568394002505e-15}, {4, 0, 6.842520529172988}},
       {{-0.44618658814126799, -0.3112315565173232}, {-0.24295740281925343, 0.10734373443386547},
        {-0.47712788957577607, 1.2407228852228023}}},
      {"lemniscate / line",
       {{0, 0, 0.08313975133602577}, {0, 1, 1.1479517348341777}, {0, 2, 0.5480950133515935},
        {0, 3, 0.6341761620613074}, {0, 4, 1.889361339763199}, {1, 0, -0.3980129076732422},
        {1, 1, -5.707106730963666}, {1, 2, -1.4740504398865317}, {2, 0, 0.13335327545991116},
        {2, 1, 0.6341761620613077}, {2, 2, 3.778722679526398}, {3, 0, -1.474050439886532},
        {4, 0, 1.889361339763199}},
       {{0, 0, 0.34159031298864173}, {0, 1, 0.6655513087590709}, {1, 0, -1.4649928472704943}},
       {{-0.21341747983007589, -0.98301270812921548}, {0.60350973186887336, 0.81518452494515825},
        {0.19504612601939875, -0.083914091592028561}}},
      // A saddle turned by about 45 degrees: no derivative turns along an edge.
      {"nodal cubic / lemniscate",
       {{0, 0, -0.22835678967189274}, {0, 1, -1.616587366698889}, {0, 2, -3.256834536173609},
        {0, 3, -3.2744270867375875}, {1, 0, 2.3446140904121995}, {1, 1, 12.889497271194125},
        {1, 2, 8.769426425753519}, {2, 0, -1.790943635388381}, {2, 1, -7.828630556287104},
        {3, 0, 2.329588177962125}},
       {{0, 0, -0.2081130912742224}, {0, 1, 0.1562809299630351}, {0, 2, 3.5024362665257938},
        {0, 3, 0.7307720059658982}, {0, 4, 2.481616391526046}, {1, 0, 1.5225457259483894},
        {1, 1, 0.9531294647660792}, {1, 2, -2.6090456545207816}, {1, 3, 5.377642775528102e-17},
        {2, 0, -2.023330354519218}, {2, 1, 0.7307720059658982}, {2, 2, 4.963232783052092},
        {3, 0, -2.609045654520782}, {4, 0, 2.481616391526046}},
       {{-0.7102631485973, -0.29807258070306097}, {0.1225688522346479, 0.093839729261042754},
        {0.078762783644452994, -0.21564911642158308}}},
      // The node was reported twice (exactly, and 3e-6 away).
      {"nodal cubic / Cassini oval",
       {{0, 0, -0.0631884068284258}, {0, 1, 1.0905973691039939}, {0, 2, -1.3327912047563046},
        {0, 3, 0.840026901991958}, {1, 0, -0.08254837260532386}, {1, 1, 3.259247989538081},
        {1, 2, -1.592614671001002}, {2, 0, 0.21597836245816893}, {2, 1, 1.0064842305538102},
        {3, 0, -0.2120225155104615}},
       {{0, 0, 1.1705205861041743}, {0, 1, -7.80259529128074}, {0, 2, 9.638192707837089},
        {0, 3, -5.797936462957338}, {0, 4, 1.8134889633487323}, {1, 0, 1.1330949551776264},
        {1, 1, 0.3633203572135834}, {1, 2, -1.0650449065625391}, {1, 3, 8.153200337090993e-17},
        {2, 0, -0.05710658495380805}, {2, 1, -5.797936462957338}, {2, 2, 3.626977926697465},
        {3, 0, -1.0650449065625387}, {3, 1, -1.1102230246251565e-16}, {4, 0, 1.8134889633487326}},
       {{-0.31700647533394732, 0.11634725441423743}}},
      {"lemniscate / parabola",
       {{0, 0, -0.02692629158939172}, {0, 1, 2.249819327493163}, {0, 2, 0.9660195118782111},
        {0, 3, -8.806213021392486}, {0, 4, 6.452004002584457}, {1, 0, 4.153972693802941},
        {1, 1, -3.087074801915713}, {1, 2, 8.39199249588019}, {2, 0, 10.501342083819667},
        {2, 1, -8.806213021392487}, {2, 2, 12.904008005168912}, {3, 0, 8.39199249588019},
        {3, 1, -1.1102230246251565e-16}, {4, 0, 6.452004002584457}},
       {{0, 0, -0.7077725043157265}, {0, 1, 0.9122275699977205}, {0, 2, -0.8492987886998914},
        {1, 0, -2.105382845258991}, {1, 1, 1.2600243962663542}, {2, 0, -0.4673447967636885}},
       {{-0.50787473114797121, -0.39593774213189054}, {-0.70340472607025839, 0.81421297352199395},
        {-0.32516999727986218, 0.34122006968164509}}},
      // Newton's steps from the node wandered 0.06 off both curves, and that point was kept...
      {"nodal cubic / parabola",
       {{0, 0, 0.012262825656572149}, {0, 1, -0.7110142467315177}, {0, 2, 3.730169898435576},
        {0, 3, 1.0948258729091196}, {1, 0, 0.017525942113033537}, {1, 1, 7.7637674581788945},
        {1, 2, -6.793633790440888}, {2, 0, -2.4223912009474553}, {2, 1, 14.051994087420015},
        {3, 0, -9.688410450321147}},
       {{0, 0, 0.07971535842444886}, {0, 1, -0.47343104408949616}, {0, 2, -1.3357131643696154},
        {1, 0, -1.148214097782997}, {1, 1, 1.050119160746327}, {2, 0, -0.2063972792180664}},
       {{0.084842614638768257, -0.064288271507554159}, {-0.24500537649499424, 0.30598355896940915},
        {0.054111124327705151, 0.036488671002445794}}},
      // ... or they led from the node onto the other solution.
      {"folium / line",
       {{0, 0, 0.3647934128077133}, {0, 1, -1.6792707689670632}, {0, 2, 4.922869877165067},
        {0, 3, -7.473107197818221}, {1, 0, 5.722922633449735}, {1, 1, -15.554687514601715},
        {1, 2, 4.914911001036092}, {2, 0, 5.674908734661689}, {2, 1, -10.331928055195736},
        {3, 0, -6.831573704507846}},
       {{0, 0, -0.6561534641915594}, {0, 1, 1.5661886210471998}, {1, 0, -0.686924098105618}},
       {{-0.20136520306816294, 0.3306312194618487}, {-0.10430442465955891, 0.37320169071529186}}},
      // A point 3e-4 from the node, where the curves stay within the residual test.
      {"nodal cubic / folium",
       {{0, 0, -0.11719916919524592}, {0, 1, -0.3004134240918732}, {0, 2, 2.888224300233992},
        {0, 3, -1.2104615477313594}, {1, 0, -0.5378343048582601}, {1, 1, 0.7282724446982467},
        {1, 2, 4.848956427351468}, {2, 0, 2.6746980649891245}, {2, 1, -6.474769473517462},
        {3, 0, 2.8819011790331417}},
       {{0, 0, 0.4046624279510022}, {0, 1, 0.19307714913142968}, {0, 2, -3.682062281231943},
        {0, 3, 2.906294552152254}, {1, 0, 3.117732131633007}, {1, 1, -6.311061147885204},
        {1, 2, 0.15582920180414558}, {2, 0, 1.8889865824680594}, {2, 1, -0.15044971347970162},
        {3, 0, 2.906326047295176}},
       {{-0.14618731883418407, 0.019002030689214858}, {-0.21007799893648813, 0.26451115556424426},
        {-0.21073693134238697, 0.26905379666726703}, {-0.22711268935721898, 0.43868957873473974}}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto f = PolyXY(c.f), g = PolyXY(c.g);
    const double box[] = {-1.5, 1.5, -1.5, 1.5};
    XelMathSetOfPointsND out(2);
    EXPECT_EQ(SolveInto(f.get(), g.get(), box, out), 0);
    ExpectSameSolutions(PointsOf2D(out), c.truth, 1e-6, 1e-6);
  }
}
