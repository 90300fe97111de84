// The implicit-system marcher on curves with closed forms: closures, branches close to each
// other, border ends, singular points, constraints, faces of the domain, options and misuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "XelMathAttrList.h"
#include "XelMathAttrMultipleDomain.h"
#include "XelMathAttrRepartition.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathBorderMarching.h"
#include "XelMathGlobals.h"
#include "XelMathImplicitSystemXY.h"
#include "XelMathIntervalND.h"
#include "XelMathMarchingDiagnosticMultiCstrn.h"
#include "XelMathMarchingMultipleConstraints.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelMathSystem.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"
#include "test_helpers.h"
#include "xy_helpers.h"

using namespace xeltest;

namespace {

using Equations = std::function<void(const double*, double*)>;

// A system known by its equations only (Jacobian by the marcher's differences).
class Lambda : public XelMathImplicitSystem {
public:
  Lambda(long n, Equations f, XelSoftwareConfiguration* c = nullptr,
         const XelTolerance& tol = DefaultTol(), const XelMathAttrList* attrs = nullptr)
      : XelMathImplicitSystem(c, n, tol, attrs), _f(std::move(f)) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override { _f(X, F); }
  // Exact derivatives (rows of N values) instead of the marcher's differences.
  void SetJacobian(Equations j) { _j = std::move(j); }
  void EvalJacobian(const double* X, XelMathNxNFullMatrix* J) const override {
    if (!_j)
      return XelMathImplicitSystem::EvalJacobian(X, J);
    std::vector<double> rows(_n * _n);
    _j(X, rows.data());
    for (long r = 0; r + 1 < _n; ++r)
      for (long k = 0; k < _n; ++k)
        J->SetCoef(r, k, rows[r * _n + k]);
  }

private:
  Equations _f, _j;
};

// The unit circle watched by three constraints: 0 and 1 vanish together on y = -1/2, 2 never.
class Watched : public XelMathMarchingMultipleConstraints {
public:
  Watched() : XelMathMarchingMultipleConstraints(nullptr, 2, 3, DefaultTol()) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override { F[0] = X[0] * X[0] + X[1] * X[1] - 1; }
  void EvalOneConstraint(const long i, const double* X, double& g, double* grad) const override {
    g = i == 0 ? X[1] + 0.5 : (i == 1 ? (X[1] + 0.5) * (1 + X[0] * X[0]) : 3.0 - X[0]);
    if (grad)
      grad[0] = grad[1] = 0.0;
  }
};

XelMathIntervalND Box(std::vector<double> iBounds) {
  return XelMathIntervalND(static_cast<long>(iBounds.size() / 2), iBounds.data());
}

std::vector<std::vector<double>> Points(const XelMathSetOfPointsND& s) {
  std::vector<std::vector<double>> out;
  for (long i = 0; i < s.GetNumberOfPoints(); ++i)
    out.emplace_back(s.GetPoints() + i * s.GetDimension(),
                     s.GetPoints() + (i + 1) * s.GetDimension());
  return out;
}

// Length of a parametrised curve by a dense polyline (independent of the marcher).
double ArcLength(const std::function<std::vector<double>(double)>& r, double a, double b) {
  double length = 0.0;
  std::vector<double> p = r(a);
  for (int k = 1; k <= 200000; ++k) {
    std::vector<double> q = r(a + (b - a) * k / 200000.0);
    double d = 0.0;
    for (std::size_t i = 0; i < p.size(); ++i)
      d += (q[i] - p[i]) * (q[i] - p[i]);
    length += std::sqrt(d);
    p = q;
  }
  return length;
}

struct CurveCase {
  std::string name;
  long n;
  Equations f;
  std::vector<double> box, start, tangent;
  std::function<std::vector<double>(double)> r; // the curve, for t in [t0, t1]
  double t0, t1;
  bool closed;
  double length;                                   // 0: not checked
  std::vector<std::vector<double>> ends;           // exact end points (open curves)
  std::vector<const char*> options;
  std::function<bool(const double*)> branch;       // every point on the traced branch
  std::vector<double> singular;                    // a singular point (none when empty)
  Equations jacobian = nullptr;                    // exact derivatives (none: differences)
};

const double kSqrt2 = std::sqrt(2.0);

std::vector<CurveCase> Curves() {
  auto lemniscate = [](double t) {
    const double d = 1 + std::sin(t) * std::sin(t);
    return std::vector<double>{kSqrt2 * std::cos(t) / d, kSqrt2 * std::sin(t) * std::cos(t) / d};
  };
  auto viviani = [](double t) {
    return std::vector<double>{1 + std::cos(t), std::sin(t), 2 * std::sin(t / 2)};
  };
  auto ellipse = [](double t) { return std::vector<double>{2 * std::cos(t), std::sin(t)}; };
  auto steinmetz = [](double t) {
    const double z = 0.95 * std::sin(t);
    return std::vector<double>{std::sqrt(1 - z * z), 0.95 * std::cos(t), z};
  };
  auto lifted = [](double t) {
    const double c = std::cos(t), s = std::sin(t);
    return std::vector<double>{c, s, c * s, c + 0.5 * s * s, c * s - 0.3 * c};
  };
  // The arc of the circle of centre (0, 1, 0) and radius 2 in the plane z = x / sqrt(3)
  // between the points (-+1.5, 0, -+sqrt(3)/2) where it crosses its twin of centre (0, -1, 0).
  auto villarceau = [](double t) {
    return std::vector<double>{std::sqrt(3.0) * std::sin(t), 1 + 2 * std::cos(t), std::sin(t)};
  };
  auto villarceauCase = [villarceau](const std::string& iName, double t) {
    return CurveCase{iName, 3,
                     [](const double* X, double* F) {
                       const double r = std::sqrt(X[0] * X[0] + X[1] * X[1]) - 2;
                       F[0] = r * r + X[2] * X[2] - 1;
                       F[1] = X[2] - X[0] / std::sqrt(3.0);
                     },
                     {-4, 4, -4, 4, -2, 2}, villarceau(t), {}, villarceau, -2 * M_PI / 3,
                     2 * M_PI / 3, false, 8 * M_PI / 3, {}, {}, nullptr,
                     {1.5, 0, std::sqrt(0.75)},
                     [](const double* X, double* J) {
                       const double rho = std::sqrt(X[0] * X[0] + X[1] * X[1]), r = rho - 2;
                       const double row[6] = {2 * r * X[0] / rho, 2 * r * X[1] / rho, 2 * X[2],
                                              -1 / std::sqrt(3.0), 0, 1};
                       std::copy(row, row + 6, J);
                     }};
  };
  auto clipped = [](double d, std::vector<double> start) {
    const double a = std::acos(1 - d), y = std::sin(a);
    return CurveCase{"circle cut at x = 1 - " + std::to_string(d), 2,
                     [](const double* X, double* F) { F[0] = X[0] * X[0] + X[1] * X[1] - 1; },
                     {-2, 1 - d, -2, 2}, start, {},
                     [](double t) { return std::vector<double>{std::cos(t), std::sin(t)}; }, a,
                     2 * M_PI - a, false, 2 * M_PI - 2 * a, {{1 - d, y}, {1 - d, -y}}, {},
                     nullptr, {}};
  };
  return {
      {"circle", 2, [](const double* X, double* F) { F[0] = X[0] * X[0] + X[1] * X[1] - 1; },
       {-2, 2, -2, 2}, {1, 0}, {0, 1},
       [](double t) { return std::vector<double>{std::cos(t), std::sin(t)}; }, 0, 2 * M_PI, true,
       2 * M_PI, {}, {}, nullptr, {}},
      // A closed curve much smaller than the sag (0.002 for this box): not skipped.
      {"circle of radius 1e-3", 2,
       [](const double* X, double* F) {
         F[0] = (X[0] - 0.3) * (X[0] - 0.3) + (X[1] + 0.2) * (X[1] + 0.2) - 1e-6;
       },
       {-1, 1, -1, 1}, {0.301, -0.2}, {0, 1},
       [](double t) { return std::vector<double>{0.3 + 1e-3 * std::cos(t), -0.2 + 1e-3 * std::sin(t)}; },
       0, 2 * M_PI, true, 0, {}, {}, nullptr, {}},
      {"ellipse", 2, [](const double* X, double* F) { F[0] = X[0] * X[0] / 4 + X[1] * X[1] - 1; },
       {-3, 3, -2, 2}, {0, 1}, {}, ellipse, 0, 2 * M_PI, true, ArcLength(ellipse, 0, 2 * M_PI),
       {}, {}, nullptr, {}},
      // Its halves run within twice the sag of each other (sag 0.004): not a return.
      {"flat ellipse", 2,
       [](const double* X, double* F) { F[0] = X[0] * X[0] + 1e4 * X[1] * X[1] - 1; },
       {-2, 2, -2, 2}, {0, 0.01}, {},
       [](double t) { return std::vector<double>{std::cos(t), 0.01 * std::sin(t)}; }, 0, 2 * M_PI,
       true, 4.0010983297226519, {}, {}, nullptr, {}},
      {"hyperbola branch", 2, [](const double* X, double* F) { F[0] = X[0] * X[1] - 1e-4; },
       {-1, 1, -1, 1}, {0.5, 2e-4}, {-1, 0},
       [](double t) { return std::vector<double>{std::exp(t), 1e-4 * std::exp(-t)}; },
       std::log(1e-4), 0, false, 0, {{1e-4, 1}, {1, 1e-4}}, {},
       [](const double* X) { return X[0] > 0 && X[1] > 0; }, {}},
      {"parabola leaving the box", 2,
       [](const double* X, double* F) { F[0] = X[1] - X[0] * X[0] + 0.5; }, {-1, 1, -1, 1},
       {0, -0.5}, {1, 0}, [](double t) { return std::vector<double>{t, t * t - 0.5}; }, -1, 1,
       false, 0, {{-1, 0.5}, {1, 0.5}}, {}, nullptr, {}},
      // Started on a face with the tangent inward: the backward run leaves at once, the end
      // of the branch on that face.
      {"line started on a face", 2, [](const double* X, double* F) { F[0] = X[1] - 0.5 * X[0]; },
       {0, 1, -1, 1}, {0, 0}, {1, 0.5},
       [](double t) { return std::vector<double>{t, 0.5 * t}; }, 0, 1, false, std::sqrt(1.25),
       {{0, 0}, {1, 0.5}}, {}, nullptr, {}},
      // A torus cut by its bitangent plane: two circles crossing at two singular points. The
      // arc of the start ends at both (no closure, the backward run traces the second half).
      villarceauCase("Villarceau circle", 0.0),
      villarceauCase("Villarceau circle, start near a singular point",
                     M_PI / 2 - 2 * M_PI * 10.37 / 24),
      // The unit circle cut by x = 1 - d over an arc shorter than one step, from either side
      // of the cut: the ends are the first crossings along the curve.
      clipped(1e-4, {-1, 0}), clipped(1e-3, {0, 1}), clipped(3e-3, {0, 1}),
      {"lemniscate through its node", 2,
       [](const double* X, double* F) {
         const double r2 = X[0] * X[0] + X[1] * X[1];
         F[0] = r2 * r2 - 2 * (X[0] * X[0] - X[1] * X[1]);
       },
       {-2, 2, -2, 2}, {kSqrt2, 0}, {0, 1}, lemniscate, 0, 2 * M_PI, true,
       ArcLength(lemniscate, 0, 2 * M_PI), {}, {"XelMathSingularity"}, nullptr, {0, 0}},
      {"circle touching another one", 2,
       [](const double* X, double* F) {
         F[0] = (X[0] * X[0] + X[1] * X[1] - 1) * ((X[0] - 2) * (X[0] - 2) + X[1] * X[1] - 1);
       },
       {-1.5, 3.5, -1.5, 1.5}, {-1, 0}, {},
       [](double t) { return std::vector<double>{std::cos(t), std::sin(t)}; }, 0, 2 * M_PI, true,
       2 * M_PI, {}, {"XelMathSingularity"}, [](const double* X) { return X[0] <= 1 + 1e-9; },
       {1, 0}},
      {"cusp", 2, [](const double* X, double* F) { F[0] = X[1] * X[1] - X[0] * X[0] * X[0]; },
       {-1.5, 3.5, -1.5, 1.5}, {1, 1}, {},
       [](double t) { return std::vector<double>{t * t, t * t * t}; }, -std::cbrt(1.5),
       std::cbrt(1.5), false, 0,
       {{std::cbrt(2.25), 1.5}, {std::cbrt(2.25), -1.5}}, {"XelMathSingularity"}, nullptr, {0, 0}},
      // Its cusp at the origin: the march turns back there, and round once.
      {"cardioid", 2,
       [](const double* X, double* F) {
         const double r2 = X[0] * X[0] + X[1] * X[1];
         F[0] = (r2 - X[0]) * (r2 - X[0]) - r2;
       },
       {-1, 3, -2, 2}, {2, 0}, {},
       [](double t) {
         const double r = 1 + std::cos(t);
         return std::vector<double>{r * std::cos(t), r * std::sin(t)};
       },
       0, 2 * M_PI, true, 8, {}, {"XelMathSingularity"}, nullptr, {0, 0},
       [](const double* X, double* J) {
         const double r2 = X[0] * X[0] + X[1] * X[1];
         J[0] = 2 * (r2 - X[0]) * (2 * X[0] - 1) - 2 * X[0];
         J[1] = 4 * (r2 - X[0]) * X[1] - 2 * X[1];
       }},
      {"Viviani's curve", 3,
       [](const double* X, double* F) {
         F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 4;
         F[1] = (X[0] - 1) * (X[0] - 1) + X[1] * X[1] - 1;
       },
       {-0.5, 2.5, -1.5, 1.5, -2.5, 2.5}, {0, 0, 2}, {0, 1, 0}, viviani, 0, 4 * M_PI, true,
       ArcLength(viviani, 0, 4 * M_PI), {}, {"XelMathSingularity"}, nullptr, {2, 0, 0}},
      // Two crossing cylinders of radii 1 and 0.95: the branch x > 0 of their intersection.
      {"two cylinders", 3,
       [](const double* X, double* F) {
         F[0] = X[0] * X[0] + X[2] * X[2] - 1;
         F[1] = X[1] * X[1] + X[2] * X[2] - 0.9025;
       },
       {-1.5, 1.5, -1.5, 1.5, -1.5, 1.5}, {1, 0.95, 0}, {0, 0, 1}, steinmetz, 0, 2 * M_PI, true,
       ArcLength(steinmetz, 0, 2 * M_PI), {}, {}, [](const double* X) { return X[0] > 0; }, {}},
      // A circle lifted into five unknowns by non-linear graphs: the tangent from minors.
      {"lifted circle", 5,
       [](const double* X, double* F) {
         F[0] = X[0] * X[0] + X[1] * X[1] - 1;
         F[1] = X[2] - X[0] * X[1];
         F[2] = X[3] - X[0] - 0.5 * X[1] * X[1];
         F[3] = X[4] - X[2] + 0.3 * X[0];
       },
       {-1.5, 1.5, -1.5, 1.5, -1, 1, -2, 2, -2, 2}, {1, 0, 0, 1, -0.3}, {0, 1, 0, 0, 0}, lifted,
       0, 2 * M_PI, true, ArcLength(lifted, 0, 2 * M_PI), {}, {}, nullptr, {}},
  };
}

// Distance from p to the curve r on [t0, t1]: dense samples, then golden sections.
double CurveDistance(const CurveCase& c, const double* p) {
  auto d2 = [&](double t) {
    const std::vector<double> q = c.r(t);
    double s = 0.0;
    for (long i = 0; i < c.n; ++i)
      s += (q[i] - p[i]) * (q[i] - p[i]);
    return s;
  };
  const int samples = 2000;
  const double dt = (c.t1 - c.t0) / samples;
  int best = 0;
  for (int k = 1; k <= samples; ++k)
    if (d2(c.t0 + k * dt) < d2(c.t0 + best * dt))
      best = k;
  double a = std::fmax(c.t0, c.t0 + (best - 1) * dt), b = std::fmin(c.t1, c.t0 + (best + 1) * dt);
  const double g = 0.5 * (std::sqrt(5.0) - 1);
  for (int it = 0; it < 100; ++it) {
    const double u = b - g * (b - a), v = a + g * (b - a);
    if (d2(u) < d2(v))
      b = v;
    else
      a = u;
  }
  return std::sqrt(d2(0.5 * (a + b)));
}

TEST(Marching, CurvesBattery) {
  const long live = LiveBlocks();
  for (const CurveCase& c : Curves()) {
    SCOPED_TRACE(c.name);
    XelSoftwareConfiguration config;
    Lambda system(c.n, c.f, &config);
    system.SetJacobian(c.jacobian);
    std::vector<XelMathAttrString> keys;
    for (const char* key : c.options)
      keys.emplace_back(key, 0);
    XelMathAttrList list;
    for (const XelMathAttrString& k : keys)
      list.AddAttribute(&k);
    XelMathIntervalND box = Box(c.box);
    XelMathSetOfPointsNDWithVectors result(c.n);
    system.Solve(box, c.start.data(), c.tangent.empty() ? nullptr : c.tangent.data(), result,
                 &list);
    double minStep = 0, maxStep = 0, sag = 0;
    system.GetStepParameters(minStep, maxStep, sag);
    const auto pts = Points(result);
    ASSERT_GT(pts.size(), 10u);
    EXPECT_EQ(system.IsClosed(), c.closed ? 1 : 0);
    EXPECT_EQ(result.IsPeriodic(), c.closed ? 1 : 0);
    double length = 0.0;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      // Near a singular point the gradients vanish: where F is quadratic, |F| <= EpsSol
      // (1e-11) allows a distance of the order of its square root.
      const bool nearSingular =
          !c.singular.empty() &&
          XelSquareDistanceND(c.n, pts[i].data(), c.singular.data()) < 1e-4;
      EXPECT_LT(CurveDistance(c, pts[i].data()), nearSingular ? 1e-5 : 1e-9) << "point " << i;
      EXPECT_TRUE(box.ContainsPoint(pts[i].data())) << "point " << i;
      if (c.branch) {
        EXPECT_TRUE(c.branch(pts[i].data())) << "jump at point " << i;
      }
      // The tangent stored with each point is orthogonal to the gradients: the centred
      // difference of F along it vanishes (to third order, whatever the curvature).
      std::vector<double> t(c.n), ahead(c.n), behind(c.n), f(c.n), g(c.n);
      result.GetVector(static_cast<long>(i), t.data());
      for (long k = 0; k < c.n; ++k) {
        ahead[k] = pts[i][k] + 1e-4 * t[k];
        behind[k] = pts[i][k] - 1e-4 * t[k];
      }
      c.f(ahead.data(), f.data());
      c.f(behind.data(), g.data());
      for (long k = 0; k + 1 < c.n; ++k)
        EXPECT_LT(std::fabs(f[k] - g[k]), 1e-6) << "tangent at point " << i;
      if (i == 0)
        continue;
      const double d = std::sqrt(XelSquareDistanceND(c.n, pts[i].data(), pts[i - 1].data()));
      length += d;
      EXPECT_GT(d, 1e3 * DefaultTol().GetPointResolution()) << "duplicated point " << i;
      std::vector<double> mid(c.n);
      for (long k = 0; k < c.n; ++k) {
        mid[k] = 0.5 * (pts[i][k] + pts[i - 1][k]);
        // The step bounds h |T_k|; the chord adds what the tangent turns within the step.
        EXPECT_LE(std::fabs(pts[i][k] - pts[i - 1][k]), 1.05 * system.GetMaxStep(k))
            << "chord after point " << i;
      }
      // A chord that ends on a cusp is not bounded by the sag: the curvature is not. Within a
      // step of it the curvature changes fast and its estimate from the tangents is rough.
      auto near = [&](const std::vector<double>& p, double radius) {
        return !c.singular.empty() &&
               XelSquareDistanceND(c.n, p.data(), c.singular.data()) < radius * radius;
      };
      if (!near(pts[i], 1e-4) && !near(pts[i - 1], 1e-4)) {
        const bool rough = near(pts[i], 0.1) || near(pts[i - 1], 0.1);
        EXPECT_LT(CurveDistance(c, mid.data()), (rough ? 1.05 : 1.01) * sag)
            << "chord sag after point " << i;
      }
    }
    if (c.length > 0) {
      // An inscribed polyline is shorter than the curve by about sag/3 relative.
      EXPECT_LT(length, c.length * (1 + 1e-9));
      EXPECT_GT(length, c.length * (1 - sag));
    }
    for (const auto& e : c.ends) {
      const bool atStart = std::sqrt(XelSquareDistanceND(c.n, e.data(), pts.front().data())) < 1e-9;
      const bool atEnd = std::sqrt(XelSquareDistanceND(c.n, e.data(), pts.back().data())) < 1e-9;
      EXPECT_TRUE(atStart || atEnd) << "exact border point " << e[0] << ", " << e[1];
    }
    if (!c.ends.empty()) {
      EXPECT_TRUE(system.GetDiagnostic() & XelMathMarchingCode::EndReached);
    }
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(Marching, PlaneFunctionAndCircleLevels) {
  // The same circle through a XelMathFunctionXY, at every level, with a plain result set.
  FnXY circle([](double x, double y) { return x * x + y * y - 1; },
              [](double x, double) { return 2 * x; }, [](double, double y) { return 2 * y; });
  for (long level : {0L, 4L, 5L, 8L}) {
    XelMathImplicitSystemXY system(nullptr, &circle, DefaultTol());
    system.SetLevel(level);
    EXPECT_EQ(system.GetLevel(), level);
    XelMathSetOfPointsND result(2);
    const double start[2] = {0, -1};
    system.Solve(Box({-1.5, 1.5, -1.5, 1.5}), start, nullptr, result);
    EXPECT_TRUE(system.IsClosed()) << "level " << level;
    EXPECT_NEAR(result.Length(), 2 * M_PI, 0.01) << "level " << level;
    // Cut by y = -0.5: both ends exactly on the border (at level 8 the predictions that
    // leave the box are pulled back onto it), every point inside.
    XelMathSetOfPointsND arc(2);
    const double top[2] = {0, 1};
    system.Solve(Box({-1.5, 1.5, -0.5, 1.5}), top, nullptr, arc);
    const double* p = arc.GetPoints();
    const long last = arc.GetNumberOfPoints() - 1;
    for (long i = 0; i <= last; ++i)
      EXPECT_GE(p[2 * i + 1], -0.5) << "level " << level << ", point " << i;
    EXPECT_NEAR(std::fabs(p[0] - p[2 * last]), std::sqrt(3.0), 1e-9) << "level " << level;
    EXPECT_NEAR(p[1], -0.5, 1e-12);
    EXPECT_NEAR(p[2 * last + 1], -0.5, 1e-12);
    EXPECT_NEAR(arc.Length(), 4 * M_PI / 3, 0.01) << "level " << level;
  }
  // Versions: newer configurations march at 7 (8 on request).
  XelSoftwareConfiguration newer, older(XelQuorVersionLevel_Marching_ActivateLevel8AsDefaultLevel - 1);
  XelMathImplicitSystemXY a(&newer, &circle, DefaultTol()), b(&older, &circle, DefaultTol());
  EXPECT_EQ(a.GetLevel(), 7);
  EXPECT_EQ(b.GetLevel(), 0);
  a.SetLevel(3);
  b.SetLevel(3);
  EXPECT_EQ(a.GetLevel(), 7);
  EXPECT_EQ(b.GetLevel(), 3);
  a.SetLevel(8);
  EXPECT_EQ(a.GetLevel(), 8);
}

// The singular points of the nodal cubic y^2 = x^2 + x^3: where its gradient vanishes.
class CubicNodes : public XelMathSystem {
public:
  CubicNodes() : XelMathSystem(2, DefaultTol()) {}
  using XelMathSystem::Eval;
  void Eval(const double* x, double* f) const override {
    ++calls;
    f[0] = 2 * x[0] + 3 * x[0] * x[0];
    f[1] = -2 * x[1];
  }
  mutable long calls = 0;
};

TEST(Marching, SingularSystemLocatesTheNode) {
  Lambda cubic(2, [](const double* X, double* F) {
    F[0] = X[0] * X[0] + X[0] * X[0] * X[0] - X[1] * X[1];
  });
  CubicNodes nodes;
  cubic.SetSingularSystem(&nodes);
  XelMathAttrString singularity("XelMathSingularity", 0);
  XelMathAttrList list(&singularity);
  XelMathSetOfPointsND result(2);
  const double start[2] = {-0.5, std::sqrt(0.125)};
  cubic.Solve(Box({-1.5, 1.5, -1.5, 1.5}), start, nullptr, result, &list);
  EXPECT_GE(cubic.GetNumberOfSingularPoints(), 1);
  EXPECT_GT(nodes.calls, 0);
  long at = -1;
  const double origin[2] = {0, 0};
  EXPECT_TRUE(result.IsPointVertex(origin, 1e-12, at));
  for (const auto& p : Points(result))
    EXPECT_NEAR(p[0] * p[0] * (1 + p[0]), p[1] * p[1], 1e-10);
  // The loop (x from -1 to 0) and both outer branches up to y = -1.5 and y = 1.5.
  double lo[2], hi[2];
  result.BoundingBox(lo, hi);
  EXPECT_LT(lo[0], -0.99);
  EXPECT_DOUBLE_EQ(lo[1], -1.5);
  EXPECT_DOUBLE_EQ(hi[1], 1.5);
}

TEST(Marching, SingularTangentsQuadraticForm) {
  // Directions (u, v) with a u^2 + 2 b u v + c v^2 = 0, checked by substitution.
  struct Case {
    double a, b, c;
    int count;
  } cases[] = {{0, 1, 0, 2}, {1, 0, 1, 0}, {1, 1, 1, 1}, {4, 0, -4, 2}, {1, 3, 2, 2}, {0, 0, 0, 2}};
  for (const Case& k : cases) {
    double d1[2], d2[2];
    const int count = XelMathImplicitSystem::SolveQuadraticForm(k.a, k.b, k.c, 1e-13, d1, d2);
    EXPECT_EQ(count, k.count) << k.a << " " << k.b << " " << k.c;
    if (k.a * k.a + k.c * k.c >= 1e-13)
      for (int i = 0; i < count; ++i) {
        const double* d = i ? d2 : d1;
        EXPECT_NEAR(k.a * d[0] * d[0] + 2 * k.b * d[0] * d[1] + k.c * d[1] * d[1], 0, 1e-12);
        EXPECT_NEAR(std::hypot(d[0], d[1]), 1, 1e-14);
      }
  }
}

TEST(Marching, ConstraintsStopTheMarch) {
  Watched system;
  XelMathIntervalND box = Box({-2, 2, -2, 2});
  const double start[2] = {1, 0};
  // With "XelMathConstraintOption" a start below the watched constraint is accepted and the
  // march stops where the constraint changes sign.
  {
    system.ActivateConstraint(0);
    XelMathAttrString option("XelMathConstraintOption", 0);
    XelMathAttrList list(&option);
    XelMathSetOfPointsND below(2);
    const double bottom[2] = {0, -1};
    system.Solve(box, bottom, nullptr, below, &list);
    for (const auto& p : Points(below))
      EXPECT_LE(p[1], -0.5 + 1e-9);
    EXPECT_NEAR(below.GetPoints()[1], -0.5, 1e-9);
    EXPECT_NEAR(below.GetPoints()[2 * below.GetNumberOfPoints() - 1], -0.5, 1e-9);
  }
  for (long active : {-1L, 0L}) {
    system.ActivateConstraint(active);
    long nbSol = 0;
    XelMathSetOfPointsND** sols = nullptr;
    system.CleverSolve(box, nbSol, 1, start, nullptr, sols);
    ASSERT_EQ(nbSol, 1);
    const auto pts = Points(*sols[0]);
    // Ends exactly at (-sqrt(3)/2, -1/2) and (sqrt(3)/2, -1/2), both stopped by 0 and 1.
    EXPECT_NEAR(pts.front()[0], std::sqrt(0.75), 1e-9);
    EXPECT_NEAR(pts.front()[1], -0.5, 1e-9);
    EXPECT_NEAR(pts.back()[0], -std::sqrt(0.75), 1e-9);
    EXPECT_NEAR(pts.back()[1], -0.5, 1e-9);
    for (const auto& p : pts)
      EXPECT_GE(p[1], -0.5 - 1e-9);
    long s = 0, e = 0;
    system.GetStartEndDiagnosticsOfSol(0, s, e);
    EXPECT_EQ(s, XelMathMarchingCode::OnConstraint);
    EXPECT_EQ(e, XelMathMarchingCode::OnConstraint);
    XelRawCollint first, last;
    system.GetStartListOfCstrns(0, first);
    system.GetEndListOfCstrns(0, last);
    for (XelRawCollint* l : {&first, &last}) {
      ASSERT_EQ(l->Size(), 2);
      EXPECT_EQ((*l)[1], 0);
      EXPECT_EQ((*l)[2], 1);
    }
    XelMathMarchingDiagnostic* diag = system.GetBranchDiagnostic();
    ASSERT_TRUE(diag->IsAKindOf("XelMathMarchingDiagnosticMultiCstrn"));
    XelRawCollint indices;
    static_cast<XelMathMarchingDiagnosticMultiCstrn*>(diag)->GetStopConstraintIndices(indices);
    EXPECT_EQ(indices.Size(), 2);
    delete diag;
    XelMathImplicitSystem::ReleaseSolutions(nbSol, sols);
  }
}

TEST(Marching, SeveralStartsAndBranches) {
  // Two branches of x y = 1e-4 and repeated starts on them: one solution per branch.
  Lambda system(2, [](const double* X, double* F) { F[0] = X[0] * X[1] - 1e-4; });
  const double starts[8] = {0.5, 2e-4, 0.2, 5e-4, -0.5, -2e-4, 1e-2, 1e-2};
  long nbSol = 0;
  XelMathSetOfPointsND** sols = nullptr;
  XelMathAttrString withVectors("WithVectors", 0);
  XelMathAttrList list(&withVectors);
  system.CleverSolve(Box({-1, 1, -1, 1}), nbSol, 4, starts, nullptr, sols, &list);
  ASSERT_EQ(nbSol, 2);
  for (long s = 0; s < nbSol; ++s) {
    EXPECT_TRUE(sols[s]->IsAKindOf("XelMathSetOfPointsNDWithVectors"));
    const double sign = sols[s]->GetPoints()[0] > 0 ? 1 : -1;
    for (const auto& p : Points(*sols[s]))
      EXPECT_TRUE(p[0] * sign > 0 && p[1] * sign > 0);
  }
  XelMathImplicitSystem::ReleaseSolutions(nbSol, sols);
  EXPECT_EQ(sols, nullptr);
  // The node of x^2 - y^2 = 0: singular start, both lines traced with the singular tangents.
  Lambda cross(2, [](const double* X, double* F) { F[0] = X[0] * X[0] - X[1] * X[1]; });
  XelMathAttrString tangents("XelMathTrySingularTangent", 0);
  XelMathAttrList singular(&tangents);
  XelMathSetOfPointsND origin(2);
  const double zero[2] = {0, 0};
  origin.AddPoint(zero);
  cross.SolveMultipleSolutions(Box({-1, 1, -1, 1}), nbSol, 1, origin, sols, &singular);
  ASSERT_EQ(nbSol, 2);
  for (long s = 0; s < nbSol; ++s) {
    const auto pts = Points(*sols[s]);
    EXPECT_NEAR(std::fabs(pts.front()[0]), 1, 1e-9);
    EXPECT_NEAR(std::fabs(pts.back()[0]), 1, 1e-9);
    EXPECT_NEAR(sols[s]->Length(), 2 * kSqrt2, 1e-9);
  }
  XelMathImplicitSystem::ReleaseSolutions(nbSol, sols);
  // The lemniscate from its node, through it: one loop closed on the node, traced once
  // (length 2 sqrt(2) K(-1) from mpmath; the inscribed polyline is shorter by about the sag
  // 0.004 relative).
  Lambda lemniscate(2, [](const double* X, double* F) {
    const double r2 = X[0] * X[0] + X[1] * X[1];
    F[0] = r2 * r2 - 2 * (X[0] * X[0] - X[1] * X[1]);
  });
  XelMathAttrString through("XelMathSingularity", 0);
  singular.AddAttribute(&through);
  lemniscate.SolveMultipleSolutions(Box({-2, 2, -2, 2}), nbSol, 1, origin, sols, &singular);
  ASSERT_EQ(nbSol, 1);
  const auto loop = Points(*sols[0]);
  EXPECT_TRUE(sols[0]->IsPeriodic());
  EXPECT_EQ(loop.front(), loop.back());
  EXPECT_LT(std::hypot(loop.back()[0], loop.back()[1]), 1e-5);
  EXPECT_LT(sols[0]->Length(), 7.4162987092054877);
  EXPECT_GT(sols[0]->Length(), 7.4162987092054877 * (1 - 0.004));
  XelMathImplicitSystem::ReleaseSolutions(nbSol, sols);
  // With the rollback switch only the branch in the direction of the start tangent is traced.
  _XelMarchingRollback = 1;
  Lambda line(2, [](const double* X, double* F) { F[0] = X[1] - 0.5 * X[0]; });
  const double t0[2] = {1, 0.5};
  line.CleverSolve(Box({-1, 1, -1, 1}), nbSol, 1, zero, t0, sols);
  _XelMarchingRollback = 0;
  ASSERT_EQ(nbSol, 1);
  for (const auto& p : Points(*sols[0]))
    EXPECT_GE(p[0], -1e-12);
  XelMathImplicitSystem::ReleaseSolutions(nbSol, sols);
}

TEST(Marching, BorderFaceAndEndPoints) {
  // The sphere of radius 2 met by the face z = 0 of the box: the circle of radius 2.
  Lambda sphere(3, [](const double* X, double* F) {
    F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 4;
    F[1] = 0;
  });
  XelMathBorderMarching face(nullptr, &sphere, 4, 1, DefaultTol());
  XelMathIntervalND box = Box({-3, 3, -3, 3, 0, 3});
  XelMathSetOfPointsND starts(3);
  EXPECT_GE(face.FindStartPoints(box, starts), 1);
  XelMathSetOfPointsND circle(3);
  face.Solve(box, starts.GetPoints(), nullptr, circle);
  EXPECT_TRUE(face.IsClosed());
  for (const auto& p : Points(circle)) {
    EXPECT_NEAR(p[2], 0, 1e-12);
    EXPECT_NEAR(std::hypot(p[0], p[1]), 2, 1e-9);
  }
  EXPECT_NEAR(circle.Length(), 4 * M_PI, 0.02);
  // An end point on the way stops the march exactly there.
  Lambda line(2, [](const double* X, double* F) { F[0] = X[1] - X[0]; });
  XelMathSetOfPointsND ends(2);
  const double end[2] = {0.3, 0.3}, start[2] = {0, 0}, t0[2] = {1, 1};
  ends.AddPoint(end);
  line.SetEndPoints(&ends);
  XelMathSetOfPointsND run(2);
  line.Run(Box({-1, 1, -1, 1}), start, t0, run);
  EXPECT_EQ(line.GetIndexEndPoint(), 0);
  EXPECT_EQ(line.GetDiagnostic(), XelMathMarchingCode::EndReached);
  EXPECT_NEAR(run.GetPoints()[2 * run.GetNumberOfPoints() - 1], 0.3, 1e-15);
  // A start on the border with the tangent pointing out: one point, failure.
  line.SetEndPoints(nullptr);
  const double corner[2] = {1, 1};
  XelMathSetOfPointsND none(2);
  line.Run(Box({-1, 1, -1, 1}), corner, t0, none);
  EXPECT_EQ(none.GetNumberOfPoints(), 1);
  EXPECT_EQ(line.GetDiagnostic(), XelMathMarchingCode::Failure);
}

TEST(Marching, MarchesFarLongerThanTheirStepsEndIncompleteWithinABudget) {
  // The axis y = 0 across a box of 2e300 with steps of at most 1: every step tests the points
  // traced before it for a return, so the march ends incomplete (under way) after some ten
  // thousand points, each on the curve, in bounded evaluations.
  const long live = LiveBlocks();
  {
    long evaluations = 0;
    Lambda axis(2, [&evaluations](const double* X, double* F) {
      ++evaluations;
      F[0] = X[1];
    });
    XelMathAttrRepartition repartition(1e-300, 1e-300, 1.0);
    XelMathAttrList list(&repartition);
    XelMathSetOfPointsNDWithVectors result(2);
    const double start[2] = {0, 0};
    axis.Solve(Box({-1e300, 1e300, -1e300, 1e300}), start, nullptr, result, &list);
    EXPECT_TRUE(axis.GetDiagnostic() & XelMathMarchingCode::UnderWay);
    EXPECT_GT(result.GetNumberOfPoints(), 1000);
    EXPECT_LT(evaluations, 4000000);
    for (long i = 0; i < result.GetNumberOfPoints(); i += 97)
      EXPECT_EQ(result.GetPoints()[2 * i + 1], 0.0) << i;
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(Marching, OptionsAndSettings) {
  // A maximum step of 0.1 in 4 variables gives per-variable maxima of 0.05.
  Lambda line4(4, [](const double* X, double* F) {
    F[0] = X[1] - X[0];
    F[1] = X[2] - X[0];
    F[2] = X[3] - X[0];
  });
  XelMathAttrRepartition repartition(0.001, 1e-6, 0.1);
  XelMathAttrList list(&repartition);
  XelMathSetOfPointsND result(4);
  const double start[4] = {0, 0, 0, 0};
  line4.Solve(Box({-1, 1, -1, 1, -1, 1, -1, 1}), start, nullptr, result, &list);
  for (long i = 0; i < 4; ++i)
    EXPECT_DOUBLE_EQ(line4.GetMaxStep(i), 0.05);
  EXPECT_NEAR(result.Length(), 4.0, 1e-9); // from (-1,-1,-1,-1) to (1,1,1,1)
  EXPECT_DOUBLE_EQ(MIN_DOMAIN, 2.0);
  // EpsSol: values not above 100 x the relative epsilon are ignored.
  const double eps = 100 * DefaultTol().GetRelativeEpsilon();
  EXPECT_DOUBLE_EQ(line4.GetEpsSol(), eps);
  line4.SetEpsSol(0.5 * eps);
  EXPECT_DOUBLE_EQ(line4.GetEpsSol(), eps);
  line4.SetEpsSol(1e-9);
  EXPECT_DOUBLE_EQ(line4.GetEpsSol(), 1e-9);
  // A model at scale 1000: values in S^2, variables in S. A point 5e-11 off the circle is on
  // it for the scaled system (F / S^2 = 1e-13) and off it without the scale option.
  const XelTolerance scaled(1000.0);
  XelMathAttrScaleOption powers(2, 1);
  XelMathAttrList scaleList(&powers);
  Lambda big(2, [](const double* X, double* F) { F[0] = X[0] * X[0] + X[1] * X[1] - 1e6; },
             nullptr, scaled, &scaleList);
  XelMathSetOfPointsND bigCircle(2);
  const double onBig[2] = {1000, 0};
  big.Solve(Box({-2000, 2000, -2000, 2000}), onBig, nullptr, bigCircle);
  EXPECT_TRUE(big.IsClosed());
  EXPECT_NEAR(bigCircle.Length(), 2000 * M_PI, 10.0);
  Lambda plain(2, [](const double* X, double* F) { F[0] = X[0] * X[0] + X[1] * X[1] - 1e6; },
               nullptr, scaled);
  const double near[2] = {1000 + 5e-11, 0};
  double value[2];
  EXPECT_TRUE(big.IsRoot(near, value));
  EXPECT_FALSE(plain.IsRoot(near, value));
  // y = sqrt(x) cannot be continued past the origin (no values for x < 0): that end is
  // normal (1), or incomplete (4) when incomplete sets are accepted; the other is the border.
  Lambda root(2, [](const double* X, double* F) { F[0] = X[1] - std::sqrt(X[0]); });
  XelMathAttrString incomplete("XelMathAcceptNonCompleteSet", 0);
  XelMathAttrList accept(&incomplete);
  const XelMathAttrList* const lists[2] = {nullptr, &accept};
  for (const XelMathAttrList* options : lists) {
    long nbSol = 0;
    XelMathSetOfPointsND** sols = nullptr;
    const double onRoot[2] = {0.25, 0.5};
    root.CleverSolve(Box({-1, 1, -1, 1}), nbSol, 1, onRoot, nullptr, sols, options);
    ASSERT_EQ(nbSol, 1);
    long first = 0, last = 0;
    root.GetStartEndDiagnosticsOfSol(0, first, last);
    EXPECT_EQ(first | last, (options ? XelMathMarchingCode::UnderWay : XelMathMarchingCode::NormalEnd) |
                                XelMathMarchingCode::EndReached);
    XelMathImplicitSystem::ReleaseSolutions(nbSol, sols);
  }
  // A sub-domain below y = 0.5: the circle is traced inside it, up to its exact border.
  Lambda circle(2, [](const double* X, double* F) { F[0] = X[0] * X[0] + X[1] * X[1] - 1; });
  XelMathIntervalND lower = Box({-2, 2, -2, 0.5});
  long tab[1] = {0};
  XelMathAttrMultipleDomain subdomains(1, tab, 1, &lower);
  XelMathAttrList multiple(&subdomains);
  XelMathSetOfPointsND arc(2);
  const double bottom[2] = {0, -1};
  circle.Solve(Box({-2, 2, -2, 2}), bottom, nullptr, arc, &multiple);
  for (const auto& p : Points(arc))
    EXPECT_LE(p[1], 0.5 + 1e-9);
  EXPECT_NEAR(std::fabs(arc.GetPoints()[0]), std::sqrt(0.75), 1e-9);
  EXPECT_NEAR(arc.GetPoints()[1], 0.5, 1e-9);
  EXPECT_NEAR(arc.GetPoints()[2 * arc.GetNumberOfPoints() - 1], 0.5, 1e-9);
  // A set with two tangents gets the unit tangents of its ends, in the order of the points.
  Lambda parabola(2, [](const double* X, double* F) { F[0] = X[1] - X[0] * X[0] + 0.5; });
  XelMathSetOfPointsNDTwoTangents ends(2);
  const double vertex[2] = {0, -0.5}, right[2] = {1, 0};
  parabola.Solve(Box({-1, 1, -1, 1}), vertex, right, ends);
  const double* first = ends.GetFirstTangent();
  const double* last = ends.GetLastTangent();
  EXPECT_NEAR(first[0], 1 / std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(first[1], -2 / std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(last[0], 1 / std::sqrt(5.0), 1e-12);
  EXPECT_NEAR(last[1], 2 / std::sqrt(5.0), 1e-12);
  // The tangent of a 4-variable system is orthogonal to every Jacobian row.
  Lambda curve4(4, [](const double* X, double* F) {
    F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] + X[3] * X[3] - 4;
    F[1] = X[0] + 2 * X[1] - X[3];
    F[2] = X[0] * X[2] - 0.5;
  });
  const double x[4] = {0.7, -0.3, 0.9, 1.1};
  double t[4];
  curve4.EvalTangent(x, t);
  XelMathNxNFullMatrix J(4);
  curve4.EvalJacobian(x, &J);
  for (long r = 0; r < 3; ++r)
    EXPECT_NEAR(J.GetCoef(r, 0) * t[0] + J.GetCoef(r, 1) * t[1] + J.GetCoef(r, 2) * t[2] +
                    J.GetCoef(r, 3) * t[3],
                0, 1e-8);
}

TEST(Marching, MisuseErrors) {
  Lambda circle(2, [](const double* X, double* F) { F[0] = X[0] * X[0] + X[1] * X[1] - 1; });
  XelMathIntervalND box = Box({-2, 2, -2, 2});
  XelMathSetOfPointsND out(2);
  const double on[2] = {1, 0}, off[2] = {0.5, 0}, far[2] = {5, 0}, zero[2] = {0, 0};
  long nbSol = 0;
  XelMathSetOfPointsND** sols = nullptr;
  XelMathSetOfPointsND starts(2);
  starts.AddPoint(zero);
  Lambda cross(2, [](const double* X, double* F) { F[0] = X[0] * X[0] - X[1] * X[1]; });
  XelMathAttrScaleOption wrong(3, std::vector<long>{1, 1, 1}.data(), 1,
                               std::vector<long>{1}.data(), 0, nullptr);
  struct Case {
    std::function<void()> call;
    long code;
    std::vector<std::string> texts;
  } cases[] = {
      {[&] { circle.Solve(Box({-2, 2}), on, nullptr, out); }, 0x2000b,
       {"Solve", "Invalid Domain", ""}},
      {[&] { circle.Solve(Box({1, -1, -2, 2}), on, nullptr, out); }, 0x2000b,
       {"Solve", "Invalid Domain", ""}},
      {[&] { circle.SolveMultipleSolutions(Box({-2, 2}), nbSol, 1, starts, sols); }, 0x2000b,
       {"SolveMultipleSolutions", "Invalid Domain", ""}},
      // Steps and sag are fractions of the widths: a bound that is not finite is refused.
      {[&] { circle.Solve(Box({-2, HUGE_VAL, -2, 2}), on, nullptr, out); }, 0x2000b,
       {"Solve", "Invalid Domain", ""}},
      {[&] { circle.Solve(Box({-HUGE_VAL, HUGE_VAL, -2, 2}), on, nullptr, out); }, 0x2000b,
       {"Solve", "Invalid Domain", ""}},
      {[&] { circle.Solve(Box({-2, 2, std::nan(""), 2}), on, nullptr, out); }, 0x2000b,
       {"Solve", "Invalid Domain", ""}},
      {[&] { circle.SolveMultipleSolutions(Box({-2, 2, -2, HUGE_VAL}), nbSol, 1, starts, sols); },
       0x2000b, {"SolveMultipleSolutions", "Invalid Domain", ""}},
      {[&] { circle.Solve(box, far, nullptr, out); }, 0x2000c,
       {"Solve", "Start Point out of Domain", ""}},
      {[&] { circle.Solve(box, off, nullptr, out); }, 0x2000a, {"Solve", " Invalid Start Point", ""}},
      {[&] { cross.Solve(box, zero, nullptr, out); }, 0x2000a, {"Solve", " Invalid Start Point", ""}},
      {[&] {
         Watched watched;
         watched.ActivateConstraint(0);
         const double below[2] = {0, -1};
         watched.Solve(box, below, nullptr, out);
       },
       0x2000a, {"Solve", " Invalid Start Point", ""}},
      {[&] { cross.SolveMultipleSolutions(box, nbSol, 1, starts, sols); }, 0x2000a,
       {"SolveMultipleSolution", " Singular Start Point", ""}},
      {[&] { circle.SetScaleOption(wrong); }, 0x20006,
       {"the XelMathAttrScaleOption", "wrong dimension", "XelMathSystemXY::Solve"}},
      {[&] {
         XelMathSetOfPointsND three(3);
         circle.Solve(box, on, nullptr, three);
       },
       0x20006, {}},
  };
  for (const Case& c : cases)
    ExpectInputError(c.call, c.code, c.texts);
  EXPECT_EQ(nbSol, 0);
  // An equation that raises past x = 0.5: the march ends there with the points stored so far.
  Lambda failing(2, [](const double* X, double* F) {
    if (X[0] > 0.5)
      XelMathRaise(0x20009, "equation", "raised", "test");
    F[0] = X[1] - X[0];
  });
  XelMathSetOfPointsND part(2);
  const double t0[2] = {1, 1};
  failing.Run(box, zero, t0, part);
  EXPECT_GE(part.GetNumberOfPoints(), 2);
  for (const auto& p : Points(part))
    EXPECT_LE(p[0], 0.5);
}

} // namespace
