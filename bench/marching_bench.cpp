// Tracing a curve F(X) = 0 (N - 1 equations in N unknowns) at one chord tolerance, side by
// side on the same equations and analytic Jacobians:
//  - the library's marcher (XelMathImplicitSystem::Solve, default step parameters of the box,
//    "XelMathSingularity" on the curves that cross themselves);
//  - a plain predictor-corrector written here, the loop a user would write: unit tangent from
//    the null vector of the Jacobian, oriented like the previous one; FIXED step h, the chord
//    whose sag on the circle of the curve's maximum curvature is the marcher's sag (at most the
//    marcher's maximum step); Newton corrector on the hyperplane through the prediction
//    orthogonal to the tangent; the border point by Newton on the face crossed; closure when a
//    chord passes within h/2 of the start; the open curves marched both ways from the start;
//  - the same loop with Open CASCADE's math_FunctionSetRoot as its corrector.
// Quality is measured against the exact curve (its parametrisation, written here): the
// largest distance of a traced point to the curve, the largest deviation of a chord (distance
// to the curve of the chord's points at 1/4, 1/2, 3/4) divided by the sag, closure detected,
// points off the branch of the start (jumps), the length traced over the branch's length
// (laps: below 1 an unfinished curve, far above 1 a march going round again) and marches cut
// by an iteration cap (the marcher's own cap shows as diagnostic 4). The tiny circles are
// smaller than or comparable to the sag of their box. A table is printed before the timed
// runs, which report the same counters.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#ifdef XEL_BENCH_HAVE_OCCT
#include <math_FunctionSetRoot.hxx>
#include <math_FunctionSetWithDerivatives.hxx>
#include <math_Matrix.hxx>
#include <math_Vector.hxx>
#endif

#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathImplicitSystem.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathSetOfPointsND.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"

namespace {

const double kPi = 3.14159265358979323846;
using Vec = std::vector<double>;

// ---- the curves ------------------------------------------------------------------------------

struct Shape {
  std::string name;
  int n;
  std::function<void(const double*, double*, double*)> eval; // F (n-1), J (row-major) or null
  Vec box;                                                   // lo, hi per variable
  Vec start, t0;                                             // t0 empty: the tangent at start
  std::function<Vec(double)> r;                              // the traced branch, t in [a, b]
  double a, b;
  bool periodic;       // r(a) = r(b): a closed curve
  bool singular;       // crosses itself: the marcher is asked to go through
};

// A shape with what is computed from r and the box.
struct Curve : Shape {
  explicit Curve(Shape s) : Shape(std::move(s)) {}
  std::vector<Vec> samples;
  double kmax = 0, length = 0, sag = 0, maxStep = 0, h = 0;
};

Shape Circle(const std::string& name, double cx, double cy, double rad, Vec box) {
  const double r2 = rad * rad;
  return {name, 2,
          [=](const double* X, double* F, double* J) {
            F[0] = (X[0] - cx) * (X[0] - cx) + (X[1] - cy) * (X[1] - cy) - r2;
            if (J)
              J[0] = 2 * (X[0] - cx), J[1] = 2 * (X[1] - cy);
          },
          box, {cx + rad, cy}, {0, 1},
          [=](double t) { return Vec{cx + rad * std::cos(t), cy + rad * std::sin(t)}; }, 0,
          2 * kPi, true, false};
}

std::vector<Shape> Shapes() {
  const double d = 5e-5, b = 0.95, s2 = std::sqrt(2.0);
  return {
      Circle("circle", 0, 0, 1, {-2, 2, -2, 2}),
      {"ellipse 2 x 1", 2,
       [](const double* X, double* F, double* J) {
         F[0] = X[0] * X[0] / 4 + X[1] * X[1] - 1;
         if (J)
           J[0] = X[0] / 2, J[1] = 2 * X[1];
       },
       {-3, 3, -2, 2}, {0, 1}, {},
       [](double t) { return Vec{2 * std::cos(t), std::sin(t)}; }, 0, 2 * kPi, true, false},
      {"lemniscate", 2,
       [](const double* X, double* F, double* J) {
         const double r2 = X[0] * X[0] + X[1] * X[1];
         F[0] = r2 * r2 - 2 * (X[0] * X[0] - X[1] * X[1]);
         if (J)
           J[0] = 4 * X[0] * (r2 - 1), J[1] = 4 * X[1] * (r2 + 1);
       },
       {-2, 2, -2, 2}, {s2, 0}, {0, 1},
       [=](double t) {
         const double q = 1 + std::sin(t) * std::sin(t);
         return Vec{s2 * std::cos(t) / q, s2 * std::sin(t) * std::cos(t) / q};
       },
       0, 2 * kPi, true, true},
      {"Viviani", 3,
       [](const double* X, double* F, double* J) {
         F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 4;
         F[1] = (X[0] - 1) * (X[0] - 1) + X[1] * X[1] - 1;
         if (J)
           J[0] = 2 * X[0], J[1] = 2 * X[1], J[2] = 2 * X[2], J[3] = 2 * (X[0] - 1),
           J[4] = 2 * X[1], J[5] = 0;
       },
       {-0.5, 2.5, -1.5, 1.5, -2.5, 2.5}, {0, 0, 2}, {0, 1, 0},
       [](double t) { return Vec{1 + std::cos(t), std::sin(t), 2 * std::sin(t / 2)}; }, 0,
       4 * kPi, true, true},
      {"Steinmetz 0.95 / 1", 3,
       [=](const double* X, double* F, double* J) {
         F[0] = X[0] * X[0] + X[1] * X[1] - b * b;
         F[1] = X[1] * X[1] + X[2] * X[2] - 1;
         if (J)
           J[0] = 2 * X[0], J[1] = 2 * X[1], J[2] = 0, J[3] = 0, J[4] = 2 * X[1],
           J[5] = 2 * X[2];
       },
       {-1.2, 1.2, -1.2, 1.2, -1.2, 1.2}, {b, 0, 1}, {0, 1, 0},
       [=](double t) {
         return Vec{b * std::cos(t), b * std::sin(t),
                    std::sqrt(1 - b * b * std::sin(t) * std::sin(t))};
       },
       0, 2 * kPi, true, false},
      {"hyperbola, branches 1e-4 apart", 2,
       [=](const double* X, double* F, double* J) {
         F[0] = X[0] * X[0] - X[1] * X[1] - d * d;
         if (J)
           J[0] = 2 * X[0], J[1] = -2 * X[1];
       },
       {-1, 1, -1, 1}, {std::sqrt(0.25 + d * d), 0.5}, {0, -1},
       [=](double u) { return Vec{d * std::cosh(u), d * std::sinh(u)}; }, -std::acosh(1 / d),
       std::acosh(1 / d), false, false},
      {"hyperbola x y = 1e-4", 2,
       [](const double* X, double* F, double* J) {
         F[0] = X[0] * X[1] - 1e-4;
         if (J)
           J[0] = X[1], J[1] = X[0];
       },
       {-1, 1, -1, 1}, {0.5, 2e-4}, {-1, 0},
       [](double u) { return Vec{0.01 * std::exp(u), 0.01 * std::exp(-u)}; },
       -std::log(100.0), std::log(100.0), false, false},
      Circle("tiny circle r = 0.01", 0.3, -0.2, 0.01, {-1, 1, -1, 1}),
      Circle("tiny circle r = 3e-3", 0.3, -0.2, 3e-3, {-1, 1, -1, 1}),
      Circle("tiny circle r = 1e-3", 0.3, -0.2, 1e-3, {-1, 1, -1, 1}),
  };
}

double Dot(const Vec& u, const Vec& v) {
  double s = 0;
  for (std::size_t i = 0; i < u.size(); ++i)
    s += u[i] * v[i];
  return s;
}

double Dist2(const Vec& u, const Vec& v) {
  double s = 0;
  for (std::size_t i = 0; i < u.size(); ++i)
    s += (u[i] - v[i]) * (u[i] - v[i]);
  return s;
}

const int kSamples = 4000;

// Dense samples, maximum curvature (|r' x r''| / |r'|^3 by central differences of r), length;
// the marcher's default sag and maximum step for the box (0.001 and 0.100001 x mean width),
// and the fixed step of the plain loop.
void Prepare(Curve& c) {
  const double dt = (c.b - c.a) / kSamples;
  for (int k = 0; k <= kSamples; ++k)
    c.samples.push_back(c.r(c.a + k * dt));
  for (int k = 1; k <= kSamples; ++k)
    c.length += std::sqrt(Dist2(c.samples[k], c.samples[k - 1]));
  const double e = 1e-4; // the parameters are angles or hyperbolic arguments
  for (int k = 0; k <= 5 * kSamples; ++k) {
    const double t = c.a + e + (c.b - c.a - 2 * e) * k / (5.0 * kSamples);
    const Vec p = c.r(t - e), q = c.r(t), s = c.r(t + e);
    Vec d1(c.n), d2(c.n);
    for (int i = 0; i < c.n; ++i)
      d1[i] = (s[i] - p[i]) / (2 * e), d2[i] = (s[i] - 2 * q[i] + p[i]) / (e * e);
    const double n1 = Dot(d1, d1), cross2 = n1 * Dot(d2, d2) - Dot(d1, d2) * Dot(d1, d2);
    c.kmax = std::max(c.kmax, std::sqrt(std::max(cross2, 0.0)) / (n1 * std::sqrt(n1)));
  }
  double width = 0;
  for (int i = 0; i < c.n; ++i)
    width += c.box[2 * i + 1] - c.box[2 * i];
  c.sag = 0.001 * width / c.n;
  c.maxStep = 0.100001 * width / c.n;
  // On the circle of radius R, the arc of half-angle phi has the sag R (1 - cos phi) and is
  // reached by a prediction of R sin(2 phi) along the tangent; at most 6 points per circle.
  const double R = 1 / c.kmax;
  const double phi = std::min(c.sag < R ? std::acos(1 - c.sag / R) : kPi, kPi / 6);
  c.h = std::min(R * std::sin(2 * phi), c.maxStep);
}

// Distance from p to the branch: nearest sample, then golden sections around it.
double Distance(const Curve& c, const Vec& p) {
  int best = 0;
  double bd = Dist2(c.samples[0], p);
  for (int k = 1; k <= kSamples; ++k) {
    const double dk = Dist2(c.samples[k], p);
    if (dk < bd)
      bd = dk, best = k;
  }
  const double dt = (c.b - c.a) / kSamples, tb = c.a + best * dt;
  double lo = tb - dt, hi = tb + dt;
  if (!c.periodic)
    lo = std::max(lo, c.a), hi = std::min(hi, c.b);
  const double g = 0.5 * (std::sqrt(5.0) - 1);
  for (int it = 0; it < 100; ++it) {
    const double u = hi - g * (hi - lo), v = lo + g * (hi - lo);
    if (Dist2(c.r(u), p) < Dist2(c.r(v), p))
      hi = v;
    else
      lo = u;
  }
  return std::sqrt(std::min(bd, Dist2(c.r(0.5 * (lo + hi)), p)));
}

struct Track {
  std::vector<Vec> pts;
  bool closed = false, capped = false;
  long failures = 0;
};

struct Quality {
  long points = 0, jumps = 0;
  double chord = 0, dist = 0; // chord deviation / sag, point distance
  double laps = 0;            // length of the polyline over the length of the branch
  bool closed = false, capped = false, border = false; // border: both ends on the box border
  long failures = 0;
};

Quality Measure(const Curve& c, const Track& t) {
  Quality q;
  q.points = static_cast<long>(t.pts.size());
  q.closed = t.closed, q.capped = t.capped, q.failures = t.failures;
  auto onBorder = [&c](const Vec& p) {
    bool on = false;
    for (int i = 0; i < c.n; ++i)
      on = on || std::fabs(p[i] - c.box[2 * i]) < 1e-9 || std::fabs(p[i] - c.box[2 * i + 1]) < 1e-9;
    return on;
  };
  q.border = !t.pts.empty() && onBorder(t.pts.front()) && onBorder(t.pts.back());
  // Other branches are at least 1e-4 away; a point on the curve is within 1e-7.
  const double jump = 1e-6;
  for (std::size_t i = 0; i < t.pts.size(); ++i) {
    const double d = Distance(c, t.pts[i]);
    q.dist = std::max(q.dist, d);
    q.jumps += d > jump;
    const bool last = i + 1 == t.pts.size();
    if (last && !t.closed)
      break;
    const Vec& next = last ? t.pts[0] : t.pts[i + 1];
    q.laps += std::sqrt(Dist2(t.pts[i], next)) / c.length;
    for (double w : {0.25, 0.5, 0.75}) {
      Vec m(c.n);
      for (int k = 0; k < c.n; ++k)
        m[k] = (1 - w) * t.pts[i][k] + w * next[k];
      q.chord = std::max(q.chord, Distance(c, m) / c.sag);
    }
  }
  return q;
}

// ---- the library's marcher -----------------------------------------------------------------

class Marched : public XelMathImplicitSystem {
public:
  Marched(const Curve& c, XelSoftwareConfiguration* config)
      : XelMathImplicitSystem(config, c.n, XelGetDefaultTolerance()), _c(c) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override { _c.eval(X, F, nullptr); }
  void EvalJacobian(const double* X, XelMathNxNFullMatrix* J) const override {
    double F[3];
    _c.eval(X, F, J->GetFullMatrixCoef());
  }
  void Eval(const double* X, double* F, XelMathNxNFullMatrix* J) const override {
    _c.eval(X, F, J->GetFullMatrixCoef());
  }

private:
  const Curve& _c;
};

Track XelMarch(const Curve& c, long* oDiagnostic = nullptr) {
  XelSoftwareConfiguration config;
  Marched system(c, &config);
  XelMathAttrString singular("XelMathSingularity", 0);
  XelMathAttrList list;
  if (c.singular)
    list.AddAttribute(&singular);
  XelMathIntervalND box(c.n, c.box.data());
  XelMathSetOfPointsND out(c.n);
  system.Solve(box, c.start.data(), c.t0.empty() ? nullptr : c.t0.data(), out, &list);
  Track t;
  for (long i = 0; i < out.GetNumberOfPoints(); ++i)
    t.pts.emplace_back(out.GetPoints() + i * c.n, out.GetPoints() + (i + 1) * c.n);
  // A closed set may repeat its first point at the end: the closing chord is measured anyway.
  t.closed = system.IsClosed() != 0;
  if (t.closed && t.pts.size() > 1 && Dist2(t.pts.front(), t.pts.back()) < 1e-20)
    t.pts.pop_back();
  t.failures = (system.GetDiagnostic() & 128) != 0;
  t.capped = (system.GetDiagnostic() & 4) != 0; // still under way when the step count ran out
  if (oDiagnostic)
    *oDiagnostic = system.GetDiagnostic();
  return t;
}

// ---- the plain fixed-step loop ---------------------------------------------------------------

// The unit null vector of the (n-1) x n Jacobian (n = 2 or 3).
Vec Tangent(const Curve& c, const Vec& X) {
  double F[3], J[6];
  c.eval(X.data(), F, J);
  Vec t = c.n == 2 ? Vec{-J[1], J[0]}
                   : Vec{J[1] * J[5] - J[2] * J[4], J[2] * J[3] - J[0] * J[5],
                         J[0] * J[4] - J[1] * J[3]};
  const double norm = std::sqrt(Dot(t, t));
  for (double& v : t)
    v = norm > 0 ? v / norm : 0.0;
  return t;
}

// Solves the n x n system A x = b in place (partial pivoting); false when singular.
bool SolveLinear(int n, double* A, double* b) {
  for (int k = 0; k < n; ++k) {
    int p = k;
    for (int i = k + 1; i < n; ++i)
      if (std::fabs(A[i * n + k]) > std::fabs(A[p * n + k]))
        p = i;
    if (A[p * n + k] == 0.0)
      return false;
    for (int j = 0; j < n; ++j)
      std::swap(A[k * n + j], A[p * n + j]);
    std::swap(b[k], b[p]);
    for (int i = k + 1; i < n; ++i) {
      const double m = A[i * n + k] / A[k * n + k];
      for (int j = k; j < n; ++j)
        A[i * n + j] -= m * A[k * n + j];
      b[i] -= m * b[k];
    }
  }
  for (int k = n - 1; k >= 0; --k) {
    for (int j = k + 1; j < n; ++j)
      b[k] -= A[k * n + j] * b[j];
    b[k] /= A[k * n + k];
  }
  return true;
}

bool OnCurve(const Curve& c, const Vec& Y) {
  double F[3];
  c.eval(Y.data(), F, nullptr);
  for (int i = 0; i + 1 < c.n; ++i)
    if (!(std::fabs(F[i]) <= 1e-11))
      return false;
  return true;
}

// Newton on F(Y) = 0, nrm . (Y - P) = 0 from Y.
bool NewtonCorrect(const Curve& c, Vec& Y, const Vec& nrm, const Vec& P) {
  const int n = c.n;
  for (int it = 0; it < 20; ++it) {
    double A[9], r[3];
    c.eval(Y.data(), r, A);
    r[n - 1] = 0;
    for (int i = 0; i < n; ++i)
      A[(n - 1) * n + i] = nrm[i], r[n - 1] += nrm[i] * (Y[i] - P[i]);
    if (!SolveLinear(n, A, r))
      return false;
    double step = 0, size = 1;
    for (int i = 0; i < n; ++i)
      Y[i] -= r[i], step = std::max(step, std::fabs(r[i])), size = std::max(size, std::fabs(Y[i]));
    if (!std::isfinite(step))
      return false;
    if (step <= 1e-14 * size)
      break;
  }
  return OnCurve(c, Y);
}

using Corrector = std::function<bool(Vec&, const Vec&, const Vec&)>;

// One march from X along T, appended to ioTrack (closed, capped, failures recorded there).
void MarchFrom(const Curve& c, Vec X, Vec T, const Corrector& correct, Track& ioTrack) {
  const Vec start = X;
  const long cap = 4 * static_cast<long>(c.length / c.h) + 1000;
  long stored = 1;
  for (long it = 0;; ++it) {
    if (it >= cap) {
      ioTrack.capped = true;
      return;
    }
    Vec P(c.n);
    for (int i = 0; i < c.n; ++i)
      P[i] = X[i] + c.h * T[i];
    Vec Y = P;
    if (!correct(Y, T, P)) {
      ++ioTrack.failures;
      return;
    }
    // The first face crossed by the chord: the end on it, by Newton on that face.
    int face = -1;
    double lambda = 1;
    for (int i = 0; i < c.n; ++i)
      for (int side = 0; side < 2; ++side) {
        const double bound = c.box[2 * i + side];
        if ((side == 0 && Y[i] < bound) || (side == 1 && Y[i] > bound)) {
          const double l = (bound - X[i]) / (Y[i] - X[i]);
          if (l < lambda)
            lambda = l, face = 2 * i + side;
        }
      }
    if (face >= 0) {
      Vec E(c.n), nrm(c.n, 0.0);
      for (int i = 0; i < c.n; ++i)
        E[i] = X[i] + lambda * (Y[i] - X[i]);
      nrm[face / 2] = 1;
      if (correct(E, nrm, E))
        ioTrack.pts.push_back(E);
      else
        ++ioTrack.failures;
      return;
    }
    // Closure: the chord passes within h/2 of the start.
    if (stored >= 3) {
      Vec XY(c.n), XS(c.n);
      for (int i = 0; i < c.n; ++i)
        XY[i] = Y[i] - X[i], XS[i] = start[i] - X[i];
      const double w = std::clamp(Dot(XS, XY) / Dot(XY, XY), 0.0, 1.0);
      Vec foot(c.n);
      for (int i = 0; i < c.n; ++i)
        foot[i] = X[i] + w * XY[i];
      if (Dist2(foot, start) < 0.25 * c.h * c.h) {
        ioTrack.closed = true;
        return;
      }
    }
    Vec U = Tangent(c, Y);
    if (Dot(U, T) < 0)
      for (double& v : U)
        v = -v;
    ioTrack.pts.push_back(Y);
    ++stored;
    X = Y, T = U;
  }
}

Track PlainMarch(const Curve& c, const Corrector& correct) {
  Track fwd, bwd;
  Vec T = Tangent(c, c.start);
  if (!c.t0.empty() && Dot(T, c.t0) < 0)
    for (double& v : T)
      v = -v;
  fwd.pts.push_back(c.start);
  MarchFrom(c, c.start, T, correct, fwd);
  if (fwd.closed || fwd.capped)
    return fwd;
  for (double& v : T)
    v = -v;
  MarchFrom(c, c.start, T, correct, bwd);
  Track all;
  all.pts.assign(bwd.pts.rbegin(), bwd.pts.rend());
  all.pts.insert(all.pts.end(), fwd.pts.begin(), fwd.pts.end());
  all.capped = bwd.capped, all.closed = bwd.closed;
  all.failures = fwd.failures + bwd.failures;
  return all;
}

Track NewtonMarch(const Curve& c) {
  return PlainMarch(c, [&c](Vec& Y, const Vec& nrm, const Vec& P) {
    return NewtonCorrect(c, Y, nrm, P);
  });
}

#ifdef XEL_BENCH_HAVE_OCCT
// The curve's equations completed by the hyperplane nrm . (Y - P) = 0.
class OcctHyperplane : public math_FunctionSetWithDerivatives {
public:
  explicit OcctHyperplane(const Curve& c) : _c(c), _nrm(c.n), _p(c.n) {}
  void Set(const Vec& nrm, const Vec& P) { _nrm = nrm, _p = P; }
  Standard_Integer NbVariables() const override { return _c.n; }
  Standard_Integer NbEquations() const override { return _c.n; }
  Standard_Boolean Value(const math_Vector& X, math_Vector& F) override {
    math_Matrix D(1, _c.n, 1, _c.n);
    return Values(X, F, D);
  }
  Standard_Boolean Derivatives(const math_Vector& X, math_Matrix& D) override {
    math_Vector F(1, _c.n);
    return Values(X, F, D);
  }
  Standard_Boolean Values(const math_Vector& X, math_Vector& F, math_Matrix& D) override {
    const int n = _c.n;
    double x[3], f[3], j[6], plane = 0;
    for (int i = 0; i < n; ++i)
      x[i] = X(i + 1), plane += _nrm[i] * (x[i] - _p[i]);
    _c.eval(x, f, j);
    for (int r = 0; r + 1 < n; ++r) {
      F(r + 1) = f[r];
      for (int k = 0; k < n; ++k)
        D(r + 1, k + 1) = j[r * n + k];
    }
    F(n) = plane;
    for (int k = 0; k < n; ++k)
      D(n, k + 1) = _nrm[k];
    return Standard_True;
  }

private:
  const Curve& _c;
  Vec _nrm, _p;
};

Track OcctMarch(const Curve& c) {
  OcctHyperplane system(c);
  math_Vector tol(1, c.n, 1e-14), start(1, c.n);
  math_FunctionSetRoot root(system, tol, 20);
  return PlainMarch(c, [&](Vec& Y, const Vec& nrm, const Vec& P) {
    system.Set(nrm, P);
    for (int i = 0; i < c.n; ++i)
      start(i + 1) = Y[i];
    root.Perform(system, start);
    if (!root.IsDone())
      return false;
    for (int i = 0; i < c.n; ++i)
      Y[i] = root.Root()(i + 1);
    return OnCurve(c, Y);
  });
}
#endif

// ---- table and timing --------------------------------------------------------------------------

// Mean seconds per call over at least 3 calls and 0.05 s.
template <class Call> double TimeOf(Call iCall) {
  using Clock = std::chrono::steady_clock;
  long calls = 0;
  const auto t0 = Clock::now();
  double elapsed = 0;
  while (calls < 3 || elapsed < 0.05) {
    benchmark::DoNotOptimize(iCall());
    ++calls;
    elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
  }
  return elapsed / static_cast<double>(calls);
}

void PrintSide(const Quality& q, double ms) {
  std::printf(" | %6ld %7.2f %8.3f %8.1e %c %3ld %c%ld %9.3f", q.points, q.laps, q.chord, q.dist,
              q.closed ? 'y' : (q.border ? 'b' : 'n'), q.jumps, q.capped ? 'C' : '-', q.failures, ms);
}

void Register(const std::string& side, const Curve& c, const Quality& q,
              std::function<Track(const Curve&)> march) {
  benchmark::RegisterBenchmark((side + "/" + c.name).c_str(), [&c, q, march](
                                                                  benchmark::State& st) {
    for (auto _ : st)
      benchmark::DoNotOptimize(march(c));
    st.counters["points"] = static_cast<double>(q.points);
    st.counters["laps"] = q.laps;
    st.counters["chord/sag"] = q.chord;
    st.counters["max_dist"] = q.dist;
    st.counters["closed"] = q.closed;
    st.counters["ends_on_border"] = q.border;
    st.counters["jumps"] = static_cast<double>(q.jumps);
    st.counters["capped"] = q.capped;
    st.counters["failures"] = static_cast<double>(q.failures);
  });
}

std::vector<Curve> gCurves;

} // namespace

int main(int argc, char** argv) {
  for (Shape& s : Shapes())
    gCurves.emplace_back(std::move(s));
  std::printf(
      "Tracing a curve at the marcher's default sag (h: the fixed step of the plain loops).\n"
      "Per side: points; laps, the length traced over the branch's length; the largest chord\n"
      "deviation over the sag; the largest distance of a point to the curve; closed (y), or\n"
      "open with both ends on the box border (b), or neither (n); points off the branch\n"
      "(jumps); C when cut by an iteration cap, then the number of corrector failures; ms.\n\n");
  std::printf("%-31s %7s %8s %8s", "curve", "sag", "kmax", "h");
  std::printf(" | %-54s | %-54s", "Xel marcher", "fixed step + Newton");
#ifdef XEL_BENCH_HAVE_OCCT
  std::printf(" | %-54s", "fixed step + math_FunctionSetRoot");
#endif
  std::printf("\n");
  for (Curve& c : gCurves) {
    Prepare(c);
    long diagnostic = 0;
    const Quality qx = Measure(c, XelMarch(c, &diagnostic));
    const Quality qn = Measure(c, NewtonMarch(c));
    std::printf("%-31s %7.1e %8.1e %8.1e", c.name.c_str(), c.sag, c.kmax, c.h);
    PrintSide(qx, 1e3 * TimeOf([&] { return XelMarch(c); }));
    PrintSide(qn, 1e3 * TimeOf([&] { return NewtonMarch(c); }));
    Register("Xel", c, qx, [](const Curve& k) { return XelMarch(k); });
    Register("Newton", c, qn, NewtonMarch);
#ifdef XEL_BENCH_HAVE_OCCT
    const Quality qo = Measure(c, OcctMarch(c));
    PrintSide(qo, 1e3 * TimeOf([&] { return OcctMarch(c); }));
    Register("Occt", c, qo, OcctMarch);
#endif
    std::printf("  (Xel diagnostic %ld)\n", diagnostic);
    std::fflush(stdout);
  }
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
