// The N-variable system solver on systems with closed-form solutions, against the
// two-variable solver, and its statuses, merge rule, errors and corner filling.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <utility>
#include <vector>

#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem.h"
#include "XelMathSystemXYc.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

using Pt = std::vector<double>;
using FnN = std::function<void(const double*, double*)>;

// A system known by its values only (derivatives by the defaults), or with an exact Jacobian.
class FnSystem : public XelMathSystem {
public:
  FnSystem(long n, FnN f, FnN jac = nullptr, const XelTolerance& tol = DefaultTol(),
           const XelMathAttrList* attrs = nullptr)
      : XelMathSystem(n, tol, attrs), _f(std::move(f)), _jac(std::move(jac)) {}
  using XelMathSystem::Eval;
  void Eval(const double* x, double* oF) const override { _f(x, oF); }
  void EvalJacobian(const double* x, double* oJ) const override {
    if (_jac)
      _jac(x, oJ);
    else
      XelMathSystem::EvalJacobian(x, oJ);
  }

private:
  FnN _f, _jac;
};

XelMathIntervalND Box(std::vector<std::pair<double, double>> b) {
  XelMathIntervalND box(static_cast<long>(b.size()));
  for (long k = 0; k < box.GetDimension(); ++k) {
    box.SetMin(k, b[k].first);
    box.SetMax(k, b[k].second);
  }
  return box;
}

XelMathIntervalND Cube(long n, double lo, double hi) {
  return Box(std::vector<std::pair<double, double>>(n, {lo, hi}));
}

std::vector<Pt> Solve(XelMathSystem& s, const XelMathIntervalND& box, int& oStatus,
                      const XelMathAttrList* attrs = nullptr) {
  const long n = s.GetDimension();
  XelMathSetOfPointsND out(n);
  oStatus = s.Solve(box, out, attrs);
  std::vector<Pt> pts;
  for (long i = 0; i < out.GetNumberOfPoints(); ++i)
    pts.emplace_back(out.GetPoints() + i * n, out.GetPoints() + (i + 1) * n);
  return pts;
}

double Dist(const Pt& a, const Pt& b) {
  double d = 0.0;
  for (std::size_t k = 0; k < a.size(); ++k)
    d = std::max(d, std::fabs(a[k] - b[k]));
  return d;
}

// Each expected point found exactly once within iTol, and nothing else.
void ExpectSolutions(const std::vector<Pt>& found, const std::vector<Pt>& expected, double iTol) {
  EXPECT_EQ(found.size(), expected.size());
  for (const Pt& e : expected) {
    int hits = 0;
    for (const Pt& p : found)
      hits += Dist(p, e) < iTol;
    EXPECT_EQ(hits, 1) << "solution (" << e[0] << ", " << e[e.size() > 1] << ", " << e.back()
                       << ")";
  }
}

// Every sign pattern of (+-c, ..., +-c) in n dimensions.
std::vector<Pt> Signs(long n, double c) {
  std::vector<Pt> pts;
  for (long m = 0; m < (1L << n); ++m) {
    Pt p(n);
    for (long k = 0; k < n; ++k)
      p[k] = (m >> k) & 1 ? c : -c;
    pts.push_back(p);
  }
  return pts;
}

// Sphere x^2 + y^2 + (z - zc)^2 = 4, cylinder x^2 + y^2 = 1, plane y = a x + b.
FnN SphereCylinderPlane(double zc, double a, double b) {
  return [=](const double* x, double* f) {
    f[0] = x[0] * x[0] + x[1] * x[1] + (x[2] - zc) * (x[2] - zc) - 4.0;
    f[1] = x[0] * x[0] + x[1] * x[1] - 1.0;
    f[2] = x[1] - a * x[0] - b;
  };
}

// Points of the unit circle on y = a x + b, at heights zs.
std::vector<Pt> CircleLine(double a, double b, std::vector<double> zs) {
  std::vector<Pt> pts;
  const double disc = a * a - b * b + 1.0;
  for (double s : {-1.0, 1.0}) {
    const double x = (-a * b + s * std::sqrt(disc)) / (1.0 + a * a);
    for (double z : zs)
      pts.push_back({x, a * x + b, z});
  }
  return pts;
}

const double s3 = std::sqrt(3.0);

struct Case {
  const char* name;
  long n;
  FnN f;
  XelMathIntervalND box;
  std::vector<Pt> expected;
  long sampling; // 0: default
  double tol;
  bool wholeSystem = false; // "WholeSystemSampling" and its default grid
};

// y - x^2 and the chord of the parabola through x1 = 0.625 and x2 = x1 + 2^-k (exact).
FnN ParabolaChord(const int k) {
  const double x1 = 0.625, x2 = 0.625 + std::ldexp(1.0, -k);
  return [x1, x2](const double* x, double* f) {
    f[0] = x[1] - x[0] * x[0];
    f[1] = x[1] - (x1 + x2) * x[0] + x1 * x2;
  };
}
std::vector<Pt> ChordCrossings(const int k) {
  const double x1 = 0.625, x2 = 0.625 + std::ldexp(1.0, -k);
  return {{x1, x1 * x1}, {x2, x2 * x2}};
}
XelMathIntervalND ChordBox(const int k) {
  const double x1 = 0.625, x2 = 0.625 + std::ldexp(1.0, -k);
  return Box({{x1, x2}, {x1 * x1, x2 * x2}});
}

TEST(SystemN, ClosedFormBattery) {
  const double r = std::sqrt(0.5), pi = kPi;
  const FnN fold = [](const double* x, double* f) {
    for (int k = 0; k < 3; ++k)
      f[k] = x[k] - x[3];
    f[3] = x[0] * x[1] * x[2] * x[3] - 2.1 * x[0] * x[1] + 1.1;
  };
  const double t = std::sqrt(1.1);
  const std::vector<Pt> foldSolutions = {{1, 1, 1, 1}, {t, t, t, t}};
  const FnN quarter = [](const double* x, double* f) {
    for (int k = 0; k < 3; ++k)
      f[k] = x[k] * x[k] - 0.25;
  };
  const FnN quarter4 = [](const double* x, double* f) {
    for (int k = 0; k < 4; ++k)
      f[k] = x[k] * x[k] - 0.25;
  };
  // Squares in the first three unknowns, the other four at the middle of the box (where the
  // first halvings cut) and on its faces.
  const FnN quarter7 = [](const double* x, double* f) {
    for (int k = 0; k < 7; ++k)
      f[k] = k < 3 ? x[k] * x[k] - 0.25 : x[k] + (k < 5 ? -0.5 : 0.5);
  };
  std::vector<Pt> quarter7Solutions = Signs(3, 0.5);
  for (Pt& p : quarter7Solutions)
    p.insert(p.end(), {0.5, 0.5, -0.5, -0.5});
  // Eight unknowns fixed by lines, the ninth by a parabola.
  const FnN lines9 = [](const double* x, double* f) {
    for (int k = 0; k < 8; ++k)
      f[k] = x[k] + x[k + 1] - 0.1 * k;
    f[8] = x[8] * x[8] - 0.25;
  };
  Pt lines9Solution(9);
  lines9Solution[8] = 0.5;
  std::vector<Pt> waveSolutions;
  for (int m = 1; m <= 40; ++m)
    waveSolutions.push_back({m / 40.0, 0.5});
  for (int k = 7; k >= 0; --k)
    lines9Solution[k] = 0.1 * k - lines9Solution[k + 1];
  XelMathIntervalND lines9Box = Cube(9, -1.5, 1.5);
  lines9Box.SetMin(8, 0.1);
  const std::vector<Case> cases = {
      {"cubic N=1",
       1,
       [](const double* x, double* f) { f[0] = x[0] * x[0] * x[0] - x[0]; },
       Cube(1, -2, 2),
       {{-1}, {0}, {1}},
       0,
       1e-9},
      {"triple root N=1, once",
       1,
       [](const double* x, double* f) { f[0] = std::pow(x[0] - 0.123, 3); },
       Cube(1, -1, 1),
       {{0.123}},
       3,
       1e-4},
      {"sine N=1",
       1,
       [](const double* x, double* f) { f[0] = std::sin(5 * x[0]); },
       Cube(1, 0.1, 3),
       {{pi / 5}, {2 * pi / 5}, {3 * pi / 5}, {4 * pi / 5}},
       0,
       1e-9},
      {"circle and line",
       2,
       [](const double* x, double* f) {
         f[0] = x[0] * x[0] + x[1] * x[1] - 1;
         f[1] = x[1] - x[0];
       },
       Cube(2, -2, 2),
       {{r, r}, {-r, -r}},
       0,
       1e-9},
      {"two circles of the cylinder", 3, SphereCylinderPlane(0, 0.5, 0.1), Cube(3, -2.5, 2.5),
       CircleLine(0.5, 0.1, {s3, -s3}), 0, 1e-8},
      {"one circle in the box", 3, SphereCylinderPlane(2, -1.5, 0.2),
       Box({{-2, 2}, {-2, 2}, {0, 2}}), CircleLine(-1.5, 0.2, {2 - s3}), 0, 1e-8},
      {"plane through the axis", 3, SphereCylinderPlane(0, 0, 0), Cube(3, -2.2, 2.1),
       CircleLine(0, 0, {s3, -s3}), 0, 1e-8},
      {"tangent plane: double solutions",
       3,
       SphereCylinderPlane(0, 0, 1),
       Cube(3, -2.3, 2.2),
       {{0, 1, s3}, {0, 1, -s3}},
       0,
       1e-5},
      {"near miss", 3, SphereCylinderPlane(0, 0, 1.001), Cube(3, -2.3, 2.2), {}, 0, 1e-5},
      {"squares N=3, off the grid", 3, quarter, Cube(3, -1, 1), Signs(3, 0.5), 0, 1e-9},
      {"squares N=3, on grid nodes", 3, quarter, Cube(3, -1, 1), Signs(3, 0.5), 5, 1e-9},
      {"squares N=4, on grid nodes", 4, quarter4, Cube(4, -1, 1), Signs(4, 0.5), 5, 1e-9},
      {"N=7, solutions on the first cuts and on faces", 7, quarter7, Cube(7, -0.5, 1.5),
       quarter7Solutions, 0, 1e-9, true},
      {"N=9, the default grid is one cell", 9, lines9, lines9Box, {lines9Solution}, 0, 1e-9, true},
      {"squares N=3, corner of the box", 3, quarter, Cube(3, 0.5, 1), {{0.5, 0.5, 0.5}}, 0, 1e-9},
      {"squares N=3, on faces", 3, quarter, Box({{-0.5, 1}, {-1, 0.5}, {-0.5, 0.5}}), Signs(3, 0.5),
       0, 1e-9},
      {"two close solutions",
       2,
       [](const double* x, double* f) {
         f[0] = (x[0] - 0.3) * (x[0] - 0.301);
         f[1] = x[1] - 0.2;
       },
       Cube(2, -1, 1),
       {{0.3, 0.2}, {0.301, 0.2}},
       0,
       1e-7},
      {"closer than the merge window",
       2,
       [](const double* x, double* f) {
         f[0] = (x[0] - 0.3) * (x[0] - 0.30005);
         f[1] = x[1] - 0.2;
       },
       Cube(2, -1, 1),
       {{0.3, 0.2}, {0.30005, 0.2}},
       0,
       1e-8},
      // Each equation on its own scale: a steep one (1e20) let the residual test pass points
      // where the other did not vanish (y = 0.16 for 0.1541); values of 1e300 overflowed the
      // sum of squares and no point passed.
      {"one steep equation",
       2,
       [](const double* x, double* f) {
         f[0] = 1e20 * (x[0] - 0.3);
         f[1] = (x[1] - 0.2) * (x[1] + 0.5) + 0.1 * x[0];
       },
       Cube(2, -1, 1),
       {{0.3, (-0.3 + std::sqrt(0.37)) / 2}, {0.3, (-0.3 - std::sqrt(0.37)) / 2}},
       0,
       1e-9},
      {"values of 1e300",
       2,
       [](const double* x, double* f) {
         f[0] = 1e300 * (x[0] - 0.3);
         f[1] = 1e300 * (x[1] - 0.2);
       },
       Cube(2, -2, 2),
       {{0.3, 0.2}},
       0,
       1e-9},
      // The parabola y = x^2 and its chord through x = 0.625 and 0.625 + 2^-13 (or 2^-17), in
      // the box with the two crossings at opposite corners: the chord's directional derivatives
      // along the join are null up to rounding, of either sign, and the rule of the window
      // merged the crossings.
      {"parabola and chord, crossings 1.2e-4 apart at corners", 2, ParabolaChord(13),
       ChordBox(13), ChordCrossings(13), 0, 1e-9},
      {"parabola and chord, crossings 7.6e-6 apart at corners", 2, ParabolaChord(17),
       ChordBox(17), ChordCrossings(17), 0, 1e-9},
      // Curves crossing at a 1e-7 angle where y - x^2 + x^3 / 2 - x y / 5 = 0 meets
      // x + y = 0.4 (the root of x^3 / 2 - 0.8 x^2 - 1.08 x + 0.4 in the box): the residual
      // test holds along a stretch of both, which holds one solution.
      {"curves crossing at an angle of 1e-7",
       2,
       [](const double* x, double* f) {
         f[0] = x[1] - x[0] * x[0] + 0.5 * x[0] * x[0] * x[0] - 0.2 * x[0] * x[1];
         f[1] = f[0] + 1e-7 * (x[0] + x[1] - 0.4);
       },
       Cube(2, -1, 1),
       {{0.312244521399061675, 0.4 - 0.312244521399061675}},
       0,
       1e-6},
      // Three linear equations fix the line x0 = x1 = x2 = x3 = t, where the product
      // equation is t^4 - 2.1 t^2 + 1.1 = (t^2 - 1)(t^2 - 1.1): two solutions 0.05 apart with
      // a fold between them, as in Brown's system.
      {"fold between two close solutions", 4, fold, Cube(4, 0, 2), foldSolutions, 0, 1e-8},
      {"fold between two close solutions, whole system", 4, fold, Cube(4, 0, 2), foldSolutions, 0,
       1e-8, true},
      // The parabola y = x^2 and its osculating circle touch to the fourth order: the residual
      // test holds along a curved stretch |x| < 1e-2, whose points came back 2 to 5 times.
      {"contact of order four",
       2,
       [](const double* x, double* f) {
         f[0] = x[0] * x[0] + x[1] * x[1] - x[1];
         f[1] = x[1] - x[0] * x[0];
       },
       Cube(2, -1, 1),
       {{0, 0}},
       0,
       2e-4},
      // Eight periods in each cell of the first grid, whose nodes all see the same value and
      // slope: no sign change, and hulls of the sampled Jacobians that proved the cells empty
      // (0 of 40 crossings, status 0).
      {"wave with a period in the grid step",
       2,
       [](const double* x, double* f) {
         f[0] = std::sin(40 * kPi * x[0]);
         f[1] = x[1] - 0.5;
       },
       Box({{0.0013, 1.0013}, {0, 1}}),
       waveSolutions,
       0,
       1e-8},
      {"undefined half box",
       2,
       [](const double* x, double* f) {
         f[0] = std::sqrt(x[0]) - 0.5;
         f[1] = x[1] - 0.1;
       },
       Cube(2, -1, 1),
       {{0.25, 0.1}},
       0,
       1e-9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const long before = LiveBlocks();
    {
      FnSystem s(c.n, c.f);
      XelMathAttrIntegerValue sampling(AttrSystemSamplingPoints, c.sampling, 1);
      XelMathAttrString whole(AttrSystemWholeSystemSampling, 1);
      XelMathAttrList attrs;
      if (c.sampling)
        attrs.AddAttribute(&sampling);
      if (c.wholeSystem)
        attrs.AddAttribute(&whole);
      int status = -1;
      const std::vector<Pt> found = Solve(s, c.box, status, &attrs);
      EXPECT_EQ(status, 0);
      ExpectSolutions(found, c.expected, c.tol);
      for (const Pt& p : found)
        EXPECT_TRUE(c.box.ContainsPoint(p.data(), 1e-12));
    }
    EXPECT_EQ(LiveBlocks(), before);
  }
}

// Three spheres |x - c_i| = r_i meeting in two close points, where the circle of the first
// two nearly touches the third (configurations found by a random battery), against
// trilateration in closed form: 3e-3 apart (the second point lay within 1e-6 of a face of the
// tiny cell holding it, and Newton's steps clipped by that face stalled), and 4e-4 apart (both
// in one tiny cell, where Newton's runs from its centre and corners all end on the same one).
TEST(SystemN, CloseSolutionsOfThreeSpheres) {
  // Box [-w, w]^3. The last two: solutions 1e-4 apart in one tiny cell, the first found at
  // its centre (where the mirror image the second search starts from is the first itself).
  struct Spheres {
    double c[3][3], r[3], w;
  };
  const Spheres cases[] = {{{{-0.1151961439012282, 0.74001298635798396, -0.31589555018465965},
                             {0.26209677200478065, -1.1163654612582572, -0.34901463882590328},
                             {-1.0115520731771386, 0.46364447556533628, -1.1694896005993733}},
                            {1.365421664544209, 0.92719358977952981, 1.2750443802280449},
                            2.0},
                           {{{-0.80860582089763977, -0.44495868031547486, -0.58063937221200879},
                             {-0.19340735330442696, 0.14204522979520898, 0.25048783613931674},
                             {0.44240823027655446, -0.39171410524491784, 0.33928605163503089}},
                            {1.4469179246171502, 0.55969979087241217, 0.28825952246686348},
                            2.0},
                           {{{0.42285661938393426, -0.48872638385827316, 0.45028115027491156},
                             {0.82664258444911742, 0.7533649296044207, 0.61558570826343284},
                             {-0.67356145051707772, -0.29724745345256331, -0.67096495670932588}},
                            {0.66413043540279271, 1.7096506226872348, 0.95170946328450379},
                            1.0},
                           {{{0.58829164321216743, 0.29554377664531128, -0.021939873084172223},
                             {-0.5018468053631675, -0.49826702291707037, -0.91814052809002811},
                             {0.7566517150248393, -0.13825706576325381, 0.1047964234983827}},
                            {0.79370991964925919, 1.532570578132026, 0.3616995918957811},
                            1.0}};
  for (const Spheres& sp : cases) {
    // x = c0 + a ex + b ey +- h ez, the frame of the three centres.
    auto sub = [](const double* u, const double* v) {
      return Pt{u[0] - v[0], u[1] - v[1], u[2] - v[2]};
    };
    auto dot = [](const Pt& u, const Pt& v) { return u[0] * v[0] + u[1] * v[1] + u[2] * v[2]; };
    const Pt e = sub(sp.c[1], sp.c[0]), t = sub(sp.c[2], sp.c[0]);
    const double d = std::sqrt(dot(e, e)), i = dot(e, t) / d;
    const Pt ex = {e[0] / d, e[1] / d, e[2] / d};
    Pt ey = {t[0] - i * ex[0], t[1] - i * ex[1], t[2] - i * ex[2]};
    const double ny = std::sqrt(dot(ey, ey)), j = dot(ey, t) / ny;
    for (double& v : ey)
      v /= ny;
    const Pt ez = {ex[1] * ey[2] - ex[2] * ey[1], ex[2] * ey[0] - ex[0] * ey[2],
                   ex[0] * ey[1] - ex[1] * ey[0]};
    const double a = (sp.r[0] * sp.r[0] - sp.r[1] * sp.r[1] + d * d) / (2 * d);
    const double b = (sp.r[0] * sp.r[0] - sp.r[2] * sp.r[2] + i * i + j * j) / (2 * j) - i / j * a;
    const double h = std::sqrt(sp.r[0] * sp.r[0] - a * a - b * b);
    std::vector<Pt> truth;
    for (const double s : {-h, h})
      truth.push_back({sp.c[0][0] + a * ex[0] + b * ey[0] + s * ez[0],
                       sp.c[0][1] + a * ex[1] + b * ey[1] + s * ez[1],
                       sp.c[0][2] + a * ex[2] + b * ey[2] + s * ez[2]});
    FnSystem s(
        3,
        [&](const double* x, double* f) {
          for (int k = 0; k < 3; ++k)
            f[k] = (x[0] - sp.c[k][0]) * (x[0] - sp.c[k][0]) +
                   (x[1] - sp.c[k][1]) * (x[1] - sp.c[k][1]) +
                   (x[2] - sp.c[k][2]) * (x[2] - sp.c[k][2]) - sp.r[k] * sp.r[k];
        },
        [&](const double* x, double* jac) {
          for (int k = 0; k < 3; ++k)
            for (int m = 0; m < 3; ++m)
              jac[3 * k + m] = 2 * (x[m] - sp.c[k][m]);
        });
    int status = -1;
    ExpectSolutions(Solve(s, Cube(3, -sp.w, sp.w), status), truth, 1e-7);
    EXPECT_EQ(status, 0);
  }
}

// Quadratic equations with exact Jacobians are solved with their second derivatives; a term
// that is not quadratic only in a corner of the box (where few samples of the whole box fall)
// must not be taken for quadratic there. On the diagonal x0 = s x1 = t the second equation is
// 2 t^2 - 0.5 - K (t - 1.1)^4 for t > 1.1: solutions t = -0.5, 0.5 and 1.15. With s = -1 the
// term lives in the corner (high x0, low x1), which the lowest and highest corners of a cell
// never both show.
TEST(SystemN, QuadraticUpToACorner) {
  const double K = 2.145 / std::pow(0.05, 4);
  for (const double sign : {1.0, -1.0}) {
    const FnN f = [K, sign](const double* x, double* v) {
      const double a = std::max(0.0, x[0] - 1.1), b = std::max(0.0, sign * x[1] - 1.1);
      v[0] = x[0] - sign * x[1];
      v[1] = x[0] * x[0] + x[1] * x[1] - 0.5 - K * a * a * b * b;
    };
    const FnN jac = [K, sign](const double* x, double* j) {
      const double a = std::max(0.0, x[0] - 1.1), b = std::max(0.0, sign * x[1] - 1.1);
      j[0] = 1.0, j[1] = -sign;
      j[2] = 2 * x[0] - 2 * K * a * b * b, j[3] = 2 * x[1] - 2 * sign * K * a * a * b;
    };
    std::vector<Pt> expected;
    for (const double t : {-0.5, 0.5, 1.15})
      expected.push_back({t, sign * t});
    for (const bool whole : {false, true}) {
      SCOPED_TRACE(testing::Message() << (whole ? "whole system" : "default sampling")
                                      << ", sign " << sign);
      FnSystem s(2, f, jac);
      XelMathAttrString option(AttrSystemWholeSystemSampling, 1);
      XelMathAttrList attrs;
      if (whole)
        attrs.AddAttribute(&option);
      int status = -1;
      ExpectSolutions(Solve(s, Cube(2, -1.2, 1.2), status, &attrs), expected, 1e-8);
      EXPECT_EQ(status, 0);
    }
  }
}

// An exact Jacobian, the options and a scaled model leave the solutions where they are.
TEST(SystemN, OptionsAndScalingKeepTheSolutions) {
  const FnN f = SphereCylinderPlane(0, 0.5, 0.1);
  const FnN jac = [](const double* x, double* j) {
    const double v[9] = {2 * x[0], 2 * x[1], 2 * x[2], 2 * x[0], 2 * x[1], 0, -0.5, 1, 0};
    for (int k = 0; k < 9; ++k)
      j[k] = v[k];
  };
  const std::vector<Pt> expected = CircleLine(0.5, 0.1, {s3, -s3});
  const XelMathIntervalND box = Cube(3, -2.5, 2.5);
  XelMathAttrString none(AttrSystemNoSingularityTreatment, 1);
  XelMathAttrString easy(AttrSystemEasySolver, 1);
  const long counts[3] = {4, 7, 9};
  XelMathAttrPointerValue sampling(AttrSystemSamplingPoints, counts, 1);
  for (const XelMathAttribute* a :
       std::vector<const XelMathAttribute*>{nullptr, &none, &easy, &sampling}) {
    XelMathAttrList attrs;
    if (a)
      attrs.AddAttribute(a);
    for (int exact = 0; exact < 2; ++exact) {
      FnSystem s(3, f, exact ? jac : nullptr);
      int status = -1;
      ExpectSolutions(Solve(s, box, status, &attrs), expected, 1e-8);
      EXPECT_EQ(status, 0);
      EXPECT_EQ(s.IsEasySolverOn(), a == &easy ? 1 : 0);
    }
  }
  // Lengths in a model scaled by 1000: equations of power 2 and 1, variables of power 1.
  const XelTolerance scaled(1000.0);
  const long pf[3] = {2, 2, 1}, px[3] = {1, 1, 1};
  XelMathAttrScaleOption option(3, pf, 3, px, 0, nullptr);
  XelMathAttrList attrs;
  attrs.AddAttribute(&option);
  const double k = 1000.0;
  const FnN big = [k](const double* x, double* v) {
    v[0] = x[0] * x[0] + x[1] * x[1] + x[2] * x[2] - 4 * k * k;
    v[1] = x[0] * x[0] + x[1] * x[1] - k * k;
    v[2] = x[1] - 0.5 * x[0] - 0.1 * k;
  };
  FnSystem sb(3, big, nullptr, scaled, &attrs);
  int status = -1;
  std::vector<Pt> want = CircleLine(0.5, 0.1, {s3, -s3});
  for (Pt& p : want)
    for (double& c : p)
      c *= k;
  ExpectSolutions(Solve(sb, Cube(3, -2.5 * k, 2.5 * k), status, &attrs), want, 1e-5 * k);
  EXPECT_EQ(status, 0);
}

// The same planar system by both solvers.
TEST(SystemN, AgreesWithTheTwoVariableSolver) {
  class Fn : public XelMathFunctionXY {
  public:
    explicit Fn(std::function<double(double, double)> f) : _f(std::move(f)) {}
    const char* IsA() const override { return "Fn"; }
    using XelMathFunctionXY::Eval;
    double Eval(const double& x, const double& y) const override { return _f(x, y); }
    std::function<double(double, double)> _f;
  };
  // 54 crossings (counted by Newton's method from a fine grid of starts), more than one per
  // cell of the default grid.
  Fn F([](double x, double y) { return std::sin(12 * x) - y; });
  Fn G([](double x, double y) { return std::cos(10 * y) - 0.5 * x; });
  XelMathSystemXYc xy(&F, &G, DefaultTol(), nullptr);
  XelMathSetOfPointsND ref(2);
  ASSERT_EQ(xy.Solve(XelMathInterval2D(-1.2, 1.2, -1.2, 1.2), ref, nullptr), 0);
  std::vector<Pt> expected;
  for (long i = 0; i < ref.GetNumberOfPoints(); ++i)
    expected.push_back({ref.GetPoints()[2 * i], ref.GetPoints()[2 * i + 1]});
  EXPECT_EQ(expected.size(), 54u);
  FnSystem s(2, [&](const double* x, double* f) {
    f[0] = F.Eval(x[0], x[1]);
    f[1] = G.Eval(x[0], x[1]);
  });
  int status = -1;
  ExpectSolutions(Solve(s, Cube(2, -1.2, 1.2), status), expected, 1e-8);
}

TEST(SystemN, StatusesAndErrors) {
  const FnN quarter = [](const double* x, double* f) {
    for (int k = 0; k < 3; ++k)
      f[k] = x[k] * x[k] - 0.25;
  };
  FnSystem s(3, quarter);
  XelMathSetOfPointsND out(3);
  out.AddPoint(Pt{7, 7, 7}.data());
  EXPECT_EQ(s.Solve(Box({{-1, 1}, {0.3, 0.3}, {-1, 1}}), out), 4);
  EXPECT_EQ(out.GetNumberOfPoints(), 1);
  XelMathSetOfPointsND wrong(4);
  ExpectInputError([&] { s.Solve(Cube(3, -1, 1), wrong); }, 0x20006,
                   {"the XelMathSetOfPointsND", "N"});
  XelMathAttrScaleOption option(2, 1);
  ExpectInputError([&] { s.SetScaleOption(option); }, 0x20006,
                   {"the XelMathAttrScaleOption", "wrong dimension"});
  // The caller's work matrix of Newton's iteration must be N x N (a 2 x 2 one was written
  // past its end).
  for (long m : {2L, 4L}) {
    XelMathNxNFullMatrix work(m);
    double x[3] = {0.4, 0.4, 0.4}, f[3], dx[3];
    int status = 0;
    ExpectInputError([&] { s.SolveSafeNewton(Cube(3, -1, 1), x, f, dx, work, status); }, 0x20006,
                     {"the XelMathNxNFullMatrix", "N"});
  }
  for (double eps : {-1e-13, std::nan(""), HUGE_VAL})
    ExpectInputError([&] { s.SetRelativeEpsSol(eps); }, 0x20006, {"the solution threshold"});
  for (long n : {0L, -3L, LONG_MAX, LONG_MAX / 2})
    ExpectInputError([&] { FnSystem bad(n, quarter); }, 0x20006, {"", "Dimension not valid"});
  FnSystem thirteen(13, [](const double*, double* f) { f[0] = 0; });
  XelMathSetOfPointsND out13(13);
  ExpectInputError([&] { thirteen.Solve(Cube(13, 0, 1), out13); }, 0x20006,
                   {"", "Dimension not valid"});
  FnSystem huge(64, [](const double*, double* f) { f[0] = 0; });
  XelMathSetOfPointsND out64(64);
  ExpectInputError([&] { huge.Solve(Cube(64, 0, 1), out64); }, 0x20006,
                   {"", "Dimension not valid"});
  for (long count : {1L, 5000L, LONG_MAX}) {
    XelMathAttrIntegerValue sampling(AttrSystemSamplingPoints, count, 1);
    XelMathAttrList attrs;
    attrs.AddAttribute(&sampling);
    ExpectInputError([&] { s.Solve(Cube(3, -1, 1), out, &attrs); }, 0x20004);
  }
  // More than 500 solutions: stopped, the first one kept.
  FnSystem many(1, [](const double* x, double* f) { f[0] = std::sin(200 * kPi * x[0]); });
  XelMathAttrIntegerValue fine(AttrSystemSamplingPoints, 2000, 1);
  XelMathAttrList attrs;
  attrs.AddAttribute(&fine);
  int status = -1;
  const std::vector<Pt> one = Solve(many, Cube(1, 0.0013, 3.0013), status, &attrs);
  EXPECT_EQ(status, 10);
  ASSERT_EQ(one.size(), 1u);
  EXPECT_NEAR(std::sin(200 * kPi * one[0][0]), 0.0, 1e-9);
  // Three equations nearly zero on a whole plane, with no common zero (the offsets of the
  // last two turn around a circle along x0): the singular cells along it outlast the work
  // budget, and the cut search says so.
  FnSystem sheet(3, [](const double* x, double* f) {
    f[0] = x[2], f[1] = x[2] + 1e-6 * std::cos(500 * x[0]),
    f[2] = x[2] + 1e-6 * std::sin(500 * x[0]);
  });
  EXPECT_TRUE(Solve(sheet, Cube(3, -1, 1.1), status).empty());
  EXPECT_EQ(status, 10);
  // Bounds beyond 1e300 are refused; a box 1e200 wide, values only (their differences once
  // lost the step of 1e-5 in the coordinates), holds its solution.
  FnSystem line(2, [](const double* x, double* f) { f[0] = x[0] - 0.3, f[1] = x[1] - 0.2; });
  EXPECT_TRUE(Solve(line, Cube(2, -1e305, 1e305), status).empty());
  EXPECT_EQ(status, 4);
  const std::vector<Pt> wide = Solve(line, Cube(2, -1e200, 1e200), status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(wide.size(), 1u);
  EXPECT_NEAR(wide[0][0], 0.3, 1e-12);
  // A system that is NaN everywhere ends with nothing.
  FnSystem nan(3, [](const double*, double* f) { f[0] = f[1] = f[2] = kNaN; });
  EXPECT_TRUE(Solve(nan, Cube(3, -1, 1), status).empty());
  EXPECT_EQ(status, 0);
  // x_k = 0.1, one equation not defined where x_3 > c: cells at the edge of that region
  // (their corner values or differences not finite) were dropped once the closer looks ran
  // out, and the solution 0.1 to 0.4 from the edge with them.
  for (long n : {4L, 8L})
    for (double cut : {0.2, 0.5})
      for (bool whole : {false, true}) {
        SCOPED_TRACE(testing::Message() << n << " unknowns, edge " << cut << ", whole " << whole);
        FnSystem edge(n, [n, cut](const double* x, double* f) {
          for (long k = 0; k < n; ++k)
            f[k] = x[k] - 0.1;
          if (x[3] > cut)
            f[2] = kNaN;
        });
        XelMathAttrString wholeSystem(AttrSystemWholeSystemSampling, 1);
        XelMathAttrList options;
        if (whole)
          options.AddAttribute(&wholeSystem);
        XelMathSetOfPointsND found(n);
        EXPECT_EQ(edge.Solve(Cube(n, -1, 1), found, &options), 0);
        ASSERT_EQ(found.GetNumberOfPoints(), 1);
        for (long k = 0; k < n; ++k)
          EXPECT_NEAR(found.GetPoints()[k], 0.1, 1e-9);
      }
}

// The default derivatives (centred differences of the values) against the closed forms of
// f = (x^2 y + sin z, x y z) at a few points.
// Linear systems whose Jacobian has a zero diagonal (the midpoint inverse needs row
// exchanges), in the dimensions with and without a fixed-size path: the hull is regular
// everywhere, so each grid cell is dropped or settled by Newton's method at once; a midpoint
// inverse that failed would send the cell of the solution to the singular search, whose
// halvings down to the tiny width cost thousands of evaluations.
TEST(SystemN, RegularLinearSystemsAreSettledAtOnce) {
  for (long n = 4; n <= 8; ++n) {
    SCOPED_TRACE(n);
    Pt solution(n), b(n);
    for (long k = 0; k < n; ++k)
      solution[k] = 0.1 * double(k) - 0.27;
    // f_i = x_(i+1) + x_(i+2) / 4 - b_i (indices mod n).
    for (long i = 0; i < n; ++i)
      b[i] = solution[(i + 1) % n] + 0.25 * solution[(i + 2) % n];
    long evaluations = 0;
    FnSystem s(
        n,
        [&](const double* x, double* f) {
          ++evaluations;
          for (long i = 0; i < n; ++i)
            f[i] = x[(i + 1) % n] + 0.25 * x[(i + 2) % n] - b[i];
        },
        [n](const double*, double* j) {
          for (long e = 0; e < n * n; ++e)
            j[e] = 0.0;
          for (long i = 0; i < n; ++i) {
            j[i * n + (i + 1) % n] = 1.0;
            j[i * n + (i + 2) % n] = 0.25;
          }
        });
    XelMathAttrString whole(AttrSystemWholeSystemSampling, 1);
    XelMathAttrList attrs;
    attrs.AddAttribute(&whole);
    int status = -1;
    const std::vector<Pt> found = Solve(s, Cube(n, -1, 1), status, &attrs);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(found.size(), 1u);
    for (long k = 0; k < n; ++k)
      EXPECT_NEAR(found[0][k], solution[k], 1e-9);
    EXPECT_LT(evaluations, 2000);
  }
}

TEST(SystemN, DefaultDerivatives) {
  FnSystem s(3, [](const double* x, double* f) {
    f[0] = x[0] * x[0] * x[1] + std::sin(x[2]);
    f[1] = x[0] * x[1] * x[2];
    f[2] = 0.0;
  });
  for (const Pt& p : std::vector<Pt>{{0.3, -1.2, 0.7}, {2.0, 0.5, -3.0}}) {
    const double x = p[0], y = p[1], z = p[2];
    const double d1[2][3] = {{2 * x * y, x * x, std::cos(z)}, {y * z, x * z, x * y}};
    const double d2[2][3][3] = {{{2 * y, 2 * x, 0}, {2 * x, 0, 0}, {0, 0, -std::sin(z)}},
                                {{0, z, y}, {z, 0, x}, {y, x, 0}}};
    for (long i = 0; i < 2; ++i)
      for (long j = 0; j < 3; ++j) {
        EXPECT_NEAR(s.EvalFirstDerivEquation(i, j, p.data()), d1[i][j], 1e-8);
        for (long k = 0; k < 3; ++k)
          EXPECT_NEAR(s.EvalSecondDerivEquation(i, j, k, p.data()), d2[i][j][k], 1e-5);
      }
  }
  ExpectInputError([&] { s.EvalEquation(3, Pt{0, 0, 0}.data()); }, 0x20007);
}

// Two solutions in one cell of a 2-node grid: the derivative tests split the cell and find
// both; without singular treatment the cell, of one sign at its corners, is dropped.
TEST(SystemN, SuspectCellNeedsTheDerivativeTests) {
  FnSystem s(1, [](const double* x, double* f) { f[0] = (x[0] - 0.4) * (x[0] - 0.45); });
  XelMathAttrIntegerValue two(AttrSystemSamplingPoints, 2, 1);
  XelMathAttrString none(AttrSystemNoSingularityTreatment, 1);
  XelMathAttrList attrs(&two), light(&two);
  light.AddAttribute(&none);
  int status = -1;
  ExpectSolutions(Solve(s, Cube(1, 0, 1), status, &attrs), {{0.4}, {0.45}}, 1e-9);
  EXPECT_TRUE(Solve(s, Cube(1, 0, 1), status, &light).empty());
}

// Equation 0 is x0 - a, the others keep one sign: no solution. By default equation 0 alone is
// sampled, once, on the 6 x 6 x 6 grid (its grid form), and only the cells it keeps (those
// crossed by the plane x0 = a) have the system evaluated at their corners, each of those 72
// nodes once; with "WholeSystemSampling" each of the 216 nodes is evaluated once (values and
// Jacobian).
TEST(SystemN, WhatEachSamplingEvaluates) {
  struct Count : public XelMathSystem {
    explicit Count(double iA) : XelMathSystem(3, DefaultTol()), a(iA) {}
    using XelMathSystem::Eval;
    using XelMathSystem::EvalEquation;
    void Eval(const double* x, double* f) const override {
      f[0] = x[0] - a;
      f[1] = x[1] - 10.0;
      f[2] = x[2] - 20.0;
      points.push_back({x[0], x[1], x[2]});
    }
    void EvalJacobian(const double*, double* j) const override {
      for (int k = 0; k < 9; ++k)
        j[k] = k % 4 == 0 ? 1.0 : 0.0;
      ++jacobians;
    }
    void EvalEquation(const long i, const XelMathIntervalND& box, const long* counts, double* v,
                      double* g) const override {
      grids.push_back(
          {double(i), double(counts[0]), double(counts[1]), double(counts[2]), g ? 1.0 : 0.0});
      long m = 0;
      for (long p = 0; p < counts[0]; ++p)
        for (long q = 0; q < counts[1] * counts[2]; ++q, ++m) {
          const double lo = box.GetMin(0), hi = box.GetMax(0);
          v[m] = lo + (hi - lo) * double(p) / double(counts[0] - 1) - a;
          if (g)
            g[3 * m] = 1.0, g[3 * m + 1] = g[3 * m + 2] = 0.0;
        }
    }
    double a;
    mutable std::vector<Pt> points, grids;
    mutable long jacobians = 0;
  };
  struct Row {
    const char* name;
    double a;
    bool whole;
    std::size_t grids, points; // grid forms called, system evaluations
  };
  // The plane x0 = 0.5 crosses the 25 cells of the layer [0.4, 0.6].
  for (const Row& r : {Row{"every cell dropped by equation 0", 10.0, false, 1, 0},
                       Row{"plane through one layer of cells", 0.5, false, 1, 2 * 36},
                       Row{"whole system, no solution near", 10.0, true, 0, 216},
                       Row{"whole system, plane through one layer", 0.5, true, 0, 216}}) {
    SCOPED_TRACE(r.name);
    Count s(r.a);
    XelMathAttrString whole(AttrSystemWholeSystemSampling, 1);
    XelMathAttrList attrs;
    if (r.whole)
      attrs.AddAttribute(&whole);
    int status = -1;
    EXPECT_TRUE(Solve(s, Cube(3, 0, 1), status, &attrs).empty());
    EXPECT_EQ(status, 0);
    ASSERT_EQ(s.grids.size(), r.grids);
    if (r.grids) {
      EXPECT_EQ(s.grids[0], (Pt{0, 6, 6, 6, 1})); // equation 0, 6^3 nodes, with gradients
    }
    EXPECT_EQ(s.points.size(), r.points);
    EXPECT_EQ(s.jacobians, long(r.points));
    for (const Pt& p : s.points) {
      for (double c : p)
        EXPECT_NEAR(c * 5.0, std::round(c * 5.0), 1e-12);
      if (!r.whole) {
        EXPECT_NEAR(std::fabs(p[0] - 0.5), 0.1, 1e-12); // corners of the kept cells only
      }
    }
    {
      std::sort(s.points.begin(), s.points.end());
      EXPECT_TRUE(std::adjacent_find(s.points.begin(), s.points.end()) == s.points.end());
    }
  }
}

// Ten unknowns without a grid of the caller's: a grid of 6^10 nodes would take minutes, the
// coarser whole-system grid finds Broyden's tridiagonal solution (50-digit Newton) in few
// evaluations.
TEST(SystemN, TenUnknownsByDefault) {
  const long n = 10;
  long evaluations = 0;
  FnSystem s(
      n,
      [&](const double* x, double* f) {
        ++evaluations;
        for (long i = 0; i < n; ++i)
          f[i] = (3 - 2 * x[i]) * x[i] - (i ? x[i - 1] : 0) - 2 * (i + 1 < n ? x[i + 1] : 0) + 1;
      },
      [&](const double* x, double* j) {
        for (long k = 0; k < n * n; ++k)
          j[k] = 0.0;
        for (long i = 0; i < n; ++i) {
          j[i * n + i] = 3 - 4 * x[i];
          if (i)
            j[i * n + i - 1] = -1;
          if (i + 1 < n)
            j[i * n + i + 1] = -2;
        }
      });
  const Pt truth{-0.57072213201122479, -0.68180694998427509, -0.70221007601766003,
                 -0.70551062989508039, -0.70490615572874367, -0.70149660702985113,
                 -0.69188932235479825, -0.66579651440585375, -0.59603510902636571,
                 -0.41641225752869335};
  int status = -1;
  const std::vector<Pt> found = Solve(s, Cube(n, -1, 1), status);
  EXPECT_EQ(status, 0);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_LT(Dist(found[0], truth), 1e-9);
  EXPECT_LT(evaluations, 200000);
}

// Corner c of a cell takes the upper node in dimension k exactly when bit N - 1 - k is set.
TEST(SystemN, CornersOfAGridCell) {
  FnSystem s(3, [](const double*, double* f) { f[0] = f[1] = f[2] = 0; });
  const long counts[3] = {3, 4, 5};
  std::vector<double> values(60), grads(180);
  for (long m = 0; m < 60; ++m) {
    values[m] = m;
    for (long k = 0; k < 3; ++k)
      grads[m * 3 + k] = 10.0 * m + k;
  }
  const long cell[3] = {1, 2, 3};
  double corner[8], cornerGrads[24];
  s.FillLocalHyperCube(cell, counts, values.data(), grads.data(), corner, cornerGrads);
  for (long c = 0; c < 8; ++c) {
    const long i = 1 + ((c >> 2) & 1), j = 2 + ((c >> 1) & 1), k = 3 + (c & 1);
    const long node = (i * 4 + j) * 5 + k;
    EXPECT_EQ(corner[c], double(node));
    EXPECT_EQ(cornerGrads[c * 3 + 2], 10.0 * node + 2);
  }
}

} // namespace
