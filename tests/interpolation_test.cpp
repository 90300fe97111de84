// Chains of quintic Hermite arcs against curves with closed forms: circle and helix from an
// explicit function, points alone, corners, close points, the tolerance rules and misuse.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "XelMathCheapInterpol.h"
#include "XelMathCleverInterpol.h"
#include "XelMathExplicitInterpol.h"
#include "XelMathImplicitSystem.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelMathVectorialFunctionX.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

// f(t) with its first two derivatives given by closed forms: (value, d1, d2)(t, k).
using Curve = std::function<void(double t, double* v, double* d1, double* d2)>;

class Explicit : public XelMathVectorialFunctionX {
public:
  Explicit(long n, Curve c) : XelMathVectorialFunctionX(n), _c(std::move(c)) {}
  void Eval(const double x, double* o) const override { _c(x, o, nullptr, nullptr); }
  void EvalFirstDeriv(const double x, double* o) const override { _c(x, nullptr, o, nullptr); }
  void EvalSecondDeriv(const double x, double* o) const override { _c(x, nullptr, nullptr, o); }
  using XelMathVectorialFunctionX::Eval;

private:
  Curve _c;
};

void Put(double* o, double a, double b, double c = 0.0) {
  if (!o)
    return;
  o[0] = a;
  o[1] = b;
  o[2] = c;
}

// Circle of radius 2 in the plane z = 0 (N = 3), helix (cos t, sin t, 0.3 t), and a curve with
// a corner at t = 0.3: (t, |t - 0.3|, 0).
const Curve kCircle = [](double t, double* v, double* d1, double* d2) {
  Put(v, 2 * std::cos(t), 2 * std::sin(t));
  Put(d1, -2 * std::sin(t), 2 * std::cos(t));
  Put(d2, -2 * std::cos(t), -2 * std::sin(t));
};
const Curve kHelix = [](double t, double* v, double* d1, double* d2) {
  Put(v, std::cos(t), std::sin(t), 0.3 * t);
  Put(d1, -std::sin(t), std::cos(t), 0.3);
  Put(d2, -std::cos(t), -std::sin(t), 0.0);
};
const Curve kCorner = [](double t, double* v, double* d1, double* d2) {
  Put(v, t, std::fabs(t - 0.3));
  Put(d1, 1.0, t < 0.3 ? -1.0 : 1.0);
  Put(d2, 0.0, 0.0);
};

// The output chain, rebuilt with the quintic Hermite basis (independent of the library's
// coefficients).
struct Chain {
  XelMathSetOfPointsND params{1}, points{3}, tangents{3}, second{3}, initial{1};
  long Nodes() const { return points.GetNumberOfPoints(); }
  // Component k of arc i at s (derivative order `order`).
  double At(long i, int k, double s, int order) const {
    const double L = params.GetPoints()[i + 1] - params.GetPoints()[i];
    const double* P = points.GetPoints();
    const double* T = tangents.GetPoints();
    const double* D = second.GetPoints();
    const double x = s / L;
    // Basis on [0, 1] and its derivatives in x, for order 0, 1, 2.
    const double h[3][6] = {
        {1 - 10 * x * x * x + 15 * x * x * x * x - 6 * x * x * x * x * x,
         x - 6 * x * x * x + 8 * x * x * x * x - 3 * x * x * x * x * x,
         0.5 * x * x - 1.5 * x * x * x + 1.5 * x * x * x * x - 0.5 * x * x * x * x * x,
         10 * x * x * x - 15 * x * x * x * x + 6 * x * x * x * x * x,
         -4 * x * x * x + 7 * x * x * x * x - 3 * x * x * x * x * x,
         0.5 * x * x * x - x * x * x * x + 0.5 * x * x * x * x * x},
        {-30 * x * x + 60 * x * x * x - 30 * x * x * x * x,
         1 - 18 * x * x + 32 * x * x * x - 15 * x * x * x * x,
         x - 4.5 * x * x + 6 * x * x * x - 2.5 * x * x * x * x,
         30 * x * x - 60 * x * x * x + 30 * x * x * x * x,
         -12 * x * x + 28 * x * x * x - 15 * x * x * x * x,
         1.5 * x * x - 4 * x * x * x + 2.5 * x * x * x * x},
        {-60 * x + 180 * x * x - 120 * x * x * x, -36 * x + 96 * x * x - 60 * x * x * x,
         1 - 9 * x + 18 * x * x - 10 * x * x * x, 60 * x - 180 * x * x + 120 * x * x * x,
         -24 * x + 84 * x * x - 60 * x * x * x, 3 * x - 12 * x * x + 10 * x * x * x}};
    const double v[6] = {P[3 * i + k], L * T[3 * i + k], L * L * D[3 * i + k],
                         P[3 * i + 3 + k], L * T[3 * i + 3 + k], L * L * D[3 * i + 3 + k]};
    double r = 0.0;
    for (int j = 0; j < 6; ++j)
      r += h[order][j] * v[j];
    return r / std::pow(L, order);
  }
  // Largest distance of dense samples of the arcs to the curve (iDistance of a point).
  double MaxDeviation(const std::function<double(const double*)>& iDistance) const {
    double worst = 0.0;
    for (long i = 0; i + 1 < Nodes(); ++i) {
      const double L = params.GetPoints()[i + 1] - params.GetPoints()[i];
      for (int k = 0; k <= 200 && L > 0; ++k) {
        const double p[3] = {At(i, 0, L * k / 200, 0), At(i, 1, L * k / 200, 0),
                             At(i, 2, L * k / 200, 0)};
        worst = std::max(worst, iDistance(p));
      }
    }
    return worst;
  }
};

double DistanceToCircle(const double* p) {
  return std::hypot(std::hypot(p[0], p[1]) - 2.0, p[2]);
}

// Nearest point of the helix by dense sampling then Newton on the parameter.
double DistanceToHelix(const double* p) {
  double best = 1e300, tb = 0.0;
  for (int k = 0; k <= 800; ++k) {
    const double t = -0.2 + 6.7 * k / 800;
    const double d = std::pow(std::cos(t) - p[0], 2) + std::pow(std::sin(t) - p[1], 2) +
                     std::pow(0.3 * t - p[2], 2);
    if (d < best) {
      best = d;
      tb = t;
    }
  }
  for (int it = 0; it < 30; ++it) {
    const double g = -(std::cos(tb) - p[0]) * std::sin(tb) + (std::sin(tb) - p[1]) * std::cos(tb) +
                     0.3 * (0.3 * tb - p[2]);
    const double gp = 1.09 + p[0] * std::cos(tb) + p[1] * std::sin(tb);
    tb -= g / gp;
  }
  return std::sqrt(std::pow(std::cos(tb) - p[0], 2) + std::pow(std::sin(tb) - p[1], 2) +
                   std::pow(0.3 * tb - p[2], 2));
}

XelMathSetOfPointsND Parameters(double a, double b, int n) {
  XelMathSetOfPointsND s(1);
  for (int k = 0; k <= n; ++k) {
    const double t = a + (b - a) * k / n;
    s.AddPoint(&t);
  }
  return s;
}

// Every node joins its two arcs with equal value, first and second derivatives.
void ExpectC2(const Chain& c) {
  for (long i = 1; i + 1 < c.Nodes(); ++i) {
    const double L = c.params.GetPoints()[i] - c.params.GetPoints()[i - 1];
    for (int k = 0; k < 3; ++k)
      for (int order = 0; order < 3; ++order)
        EXPECT_NEAR(c.At(i - 1, k, L, order), c.At(i, k, 0.0, order), 1e-7 * (1 + order * 10))
            << "node " << i << " component " << k << " order " << order;
  }
}

// The great circle of the sphere of radius 2 cut by the plane z = 0.5 x.
class SphereAndPlane : public XelMathImplicitSystem {
public:
  SphereAndPlane() : XelMathImplicitSystem(nullptr, 3, DefaultTol()) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override {
    F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 4.0;
    F[1] = X[2] - 0.5 * X[0];
  }
};

double DistanceToGreatCircle(const double* p) {
  const double dp = (p[2] - 0.5 * p[0]) / std::sqrt(1.25);
  const double r = std::sqrt(std::max(0.0, p[0] * p[0] + p[1] * p[1] + p[2] * p[2] - dp * dp));
  return std::hypot(r - 2.0, dp);
}

} // namespace

TEST(InterpolationTest, CurvesTracedByTheMarcher) {
  const long live = LiveBlocks();
  {
    SphereAndPlane system;
    const double a = 2.0 / std::sqrt(1.25);
    const double x0[3] = {a, 0.0, 0.5 * a};
    // The whole circle, then in a box whose face y = 2 touches it at (0, 2, 0): the arcs over
    // the top go out unless tightened into the domain.
    const double full[6] = {-3, 3, -3, 3, -3, 3}, touching[6] = {-3, 3, -3, 2, -3, 3};
    for (int bordered = 0; bordered < 2; ++bordered) {
      const XelMathIntervalND domain(3, bordered ? touching : full);
      XelMathSetOfPointsNDWithVectors traced(3);
      system.Solve(domain, x0, nullptr, traced);
      ASSERT_GE(traced.GetNumberOfPoints(), 10);
      for (double tol : {1e-6, 1e-3}) {
        for (int tighten = 0; tighten <= bordered; ++tighten) {
          SCOPED_TRACE("bordered " + std::to_string(bordered) + " tol " + std::to_string(tol) +
                       " tighten " + std::to_string(tighten));
          XelMathCleverInterpol interp(nullptr, 3, &system, &domain, tol, 0.0, DefaultTol());
          interp.SetDetectInvalidArcs(1, -1.0);
          if (tighten)
            interp.SetTightenArcIntoDomain(1, -1.0);
          Chain out;
          ASSERT_EQ(interp.Run(traced, out.params, out.points, out.tangents, out.second), 0);
          EXPECT_LT(out.Nodes(), traced.GetNumberOfPoints());
          EXPECT_LE(out.MaxDeviation(DistanceToGreatCircle), tol);
          ExpectC2(out);
          const double above =
              out.MaxDeviation([](const double* p) { return std::max(0.0, p[1] - 2.0); });
          XelMathSetOfLongs invalid;
          interp.GetInvalidArcs(invalid);
          const bool out_of_domain = bordered && tol > 1e-4 && !tighten;
          EXPECT_EQ(above > 1e-9, out_of_domain && bordered);
          EXPECT_EQ(invalid.GetNumberOfElements() > 0, out_of_domain);
          EXPECT_EQ((interp.GetDiagnostic() & XelMathInterpol::DiagArcOutOfDomain) != 0,
                    out_of_domain);
        }
      }
    }
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(InterpolationTest, ExplicitCurvesStayWithinTolerance) {
  const long live = LiveBlocks();
  struct Case {
    const char* name;
    const Curve* curve;
    double t1;
    double (*distance)(const double*);
    int byDistance;
  } cases[] = {{"circle", &kCircle, 2 * M_PI, DistanceToCircle, 0},
               {"circle by distance", &kCircle, 2 * M_PI, DistanceToCircle, 1},
               {"helix", &kHelix, 6.0, DistanceToHelix, 0}};
  for (const Case& c : cases) {
    long previousArcs = 1L << 30;
    for (double tol : {1e-6, 1e-4, 1e-2}) {
      SCOPED_TRACE(std::string(c.name) + " tol " + std::to_string(tol));
      Explicit f(3, *c.curve);
      XelMathExplicitInterpol interp(nullptr, 3, &f, tol, DefaultTol());
      interp.SetParametrizedByDistance(c.byDistance);
      Chain out;
      const XelMathSetOfPointsND init = Parameters(0.0, c.t1, 40);
      ASSERT_EQ(interp.Run(init, out.params, out.points, out.tangents, out.second, &out.initial),
                0);
      ASSERT_GE(out.Nodes(), 2);
      EXPECT_EQ(out.initial.GetNumberOfPoints(), out.Nodes());
      EXPECT_LE(out.MaxDeviation(c.distance), tol);
      EXPECT_LE(interp.GetMaxError(), tol);
      ExpectC2(out);
      // Fewer arcs as the tolerance loosens.
      EXPECT_LT(out.Nodes() - 1, previousArcs);
      previousArcs = out.Nodes() - 1;
    }
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(InterpolationTest, CheapInterpolationOfPointsAlone) {
  const long live = LiveBlocks();
  // 400 points on the circle of radius 2 (open, then closed as a periodic set).
  for (int periodic = 0; periodic < 2; ++periodic) {
    XelMathSetOfPointsND pts(3);
    for (int k = 0; k <= 400; ++k) {
      const double t = (periodic ? 2 * M_PI : 5.0) * k / 400;
      const double p[3] = {2 * std::cos(t), 2 * std::sin(t), 0.0};
      pts.AddPoint(p);
    }
    if (periodic) {
      double first[3];
      pts.GetPoint(0, first);
      pts.ReplacePoint(400, first);
      pts.SetPeriodic(1);
    }
    XelMathCheapInterpol interp(nullptr, 3, 1e-5, DefaultTol());
    Chain out;
    ASSERT_EQ(interp.Run(pts, out.params, out.points, out.tangents, out.second, &out.initial), 0);
    EXPECT_LT(out.Nodes(), 60);
    EXPECT_LE(out.MaxDeviation(DistanceToCircle), 1e-5);
    EXPECT_EQ(interp.GetErrorDiag(), 0);
    EXPECT_EQ(interp.GetTwistIndex(), -1);
    ExpectC2(out);
    if (periodic) {
      // The closure keeps the tangent: the first and last node tangents agree.
      const double* T = out.tangents.GetPoints();
      for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(T[k], T[3 * (out.Nodes() - 1) + k], 1e-9);
    }
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(InterpolationTest, CheapInterpolationSkipsUnusablePoints) {
  // Points on the circle of radius 2, spoilt: a point that is not finite is left out (with
  // DiagDataFailed), a repeated point is merged with its predecessor, and fewer than two points
  // left refuse the run. What is built is finite, has unit tangents and follows the circle.
  enum Spoil { NotFinite, Repeated, AllEqual };
  struct Case {
    const char* name;
    long count, spoilt; // the number of points, the one spoilt
    Spoil how;
    double x; // the first coordinate of a point that is not finite
    int status;
    long diagnostic;
  };
  const Case cases[] = {
      {"NaN point", 21, 7, NotFinite, std::nan(""), 0, XelMathInterpol::DiagDataFailed},
      {"infinite point", 21, 7, NotFinite, HUGE_VAL, 0, XelMathInterpol::DiagDataFailed},
      {"NaN first point", 21, 0, NotFinite, std::nan(""), 0, XelMathInterpol::DiagDataFailed},
      {"repeated first point", 21, 1, Repeated, 0.0, 0, 0},
      {"repeated middle point", 21, 8, Repeated, 0.0, 0, 0},
      {"repeated last point", 21, 20, Repeated, 0.0, 0, 0},
      {"two equal points", 2, 0, AllEqual, 0.0, 4, XelMathInterpol::DiagTooFewPoints},
      {"five equal points", 5, 0, AllEqual, 0.0, 4, XelMathInterpol::DiagTooFewPoints},
  };
  const double tol = 1e-5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    XelMathSetOfPointsND pts(3);
    for (long k = 0; k < c.count; ++k) {
      const double t =
          c.how == AllEqual ? 0.0 : 0.02 * (c.how == Repeated && k == c.spoilt ? k - 1 : k);
      double p[3];
      Put(p, k == c.spoilt && c.how == NotFinite ? c.x : 2 * std::cos(t), 2 * std::sin(t));
      pts.AddPoint(p);
    }
    XelMathCheapInterpol interp(nullptr, 3, tol, DefaultTol());
    Chain out;
    EXPECT_EQ(interp.Run(pts, out.params, out.points, out.tangents, out.second, &out.initial),
              c.status);
    EXPECT_EQ(interp.GetDiagnostic(), c.diagnostic);
    if (c.status != 0) {
      EXPECT_EQ(out.Nodes(), 0);
      continue;
    }
    ASSERT_GE(out.Nodes(), 2);
    for (long i = 0; i < out.Nodes(); ++i) {
      const double* T = out.tangents.GetPoints() + 3 * i;
      EXPECT_NEAR(std::sqrt(T[0] * T[0] + T[1] * T[1] + T[2] * T[2]), 1.0, 1e-12) << i;
      EXPECT_TRUE(std::isfinite(out.second.GetPoints()[3 * i] + out.params.GetPoints()[i])) << i;
      // Positions are indices of the given points; a point left out is never a node.
      const double u = out.initial.GetPoints()[i];
      EXPECT_TRUE(u >= 0.0 && u <= c.count - 1.0 && !(c.how == NotFinite && u == c.spoilt)) << u;
    }
    EXPECT_LE(out.MaxDeviation(DistanceToCircle), tol);
  }
}

TEST(InterpolationTest, CheapInterpolationOfHugeOrTinyPoints) {
  // Interpolation is similar under scaling: 21 points of a circle scaled by s, with the
  // tolerance scaled alike, give the chain of the reference scale r scaled by s / r (the
  // squared lengths and the arcs' coefficients, L^-5, of such points overflow). Small points
  // take a tolerance object of their scale (otherwise they lie within its point resolution);
  // their curvature is beyond the bound that nulls second derivatives, like that of r = 1e-3.
  struct Case {
    double scale, reference;
  };
  const Case cases[] = {{1e150, 1.0}, {1e300, 1.0}, {1e-150, 1e-3}, {1e-200, 1e-3}};
  auto run = [](double s, Chain& out) {
    XelMathSetOfPointsND pts(3);
    for (int k = 0; k <= 20; ++k) {
      double p[3];
      Put(p, 2 * s * std::cos(0.1 * k), 2 * s * std::sin(0.1 * k));
      pts.AddPoint(p);
    }
    const XelTolerance tol(s < 1.0 ? s : 1.0);
    XelMathCheapInterpol interp(nullptr, 3, 1e-5 * s, tol);
    EXPECT_EQ(interp.Run(pts, out.params, out.points, out.tangents, out.second), 0);
    return interp.GetDiagnostic();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scale);
    Chain ref, out;
    const long refDiagnostic = run(c.reference, ref);
    EXPECT_EQ(run(c.scale, out), refDiagnostic);
    ASSERT_EQ(out.Nodes(), ref.Nodes());
    const double r = c.reference, s = c.scale;
    for (long i = 0; i < 3 * ref.Nodes(); ++i) {
      EXPECT_NEAR(out.points.GetPoints()[i] / s, ref.points.GetPoints()[i] / r, 1e-12) << i;
      EXPECT_NEAR(out.tangents.GetPoints()[i], ref.tangents.GetPoints()[i], 1e-12) << i;
      EXPECT_NEAR(out.second.GetPoints()[i] * s, ref.second.GetPoints()[i] * r, 1e-9) << i;
      EXPECT_NEAR(out.params.GetPoints()[i / 3] / s, ref.params.GetPoints()[i / 3] / r, 1e-12);
    }
  }
}

TEST(InterpolationTest, PointsNeedingManyNodesCostAboutTheirNumber) {
  // 20000 zigzag points need a node at each: the arcs measured (each costing the points it
  // spans, counted by the test's override) span a few times the points, not their square.
  struct Counting : XelMathCheapInterpol {
    Counting() : XelMathCheapInterpol(nullptr, 3, 1e-5, DefaultTol()) {}
    void PrepareQualityOpt(const double* a, const double* b) override {
      spanned += b[0] - a[0];
      XelMathCheapInterpol::PrepareQualityOpt(a, b);
    }
    double spanned = 0.0;
  };
  const long n = 20000, live = LiveBlocks();
  {
    XelMathSetOfPointsND pts(3, n);
    for (long i = 0; i < n; ++i) {
      const double p[3] = {static_cast<double>(i) / 100, static_cast<double>(i % 2), 0.0};
      pts.AddPoint(p);
    }
    Counting interp;
    Chain out;
    EXPECT_EQ(interp.Run(pts, out.params, out.points, out.tangents, out.second), 0);
    EXPECT_GE(out.Nodes(), n);
    EXPECT_LT(interp.spanned, 200.0 * n);
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(InterpolationTest, CornersAreDetectedAndCut) {
  // A smooth curve, coarsely sampled (tangents turn by 45 degrees between samples): none.
  {
    Explicit f(3, kCircle);
    XelMathExplicitInterpol interp(nullptr, 3, &f, 1e-6, DefaultTol());
    interp.SetC1DiscontinuitiesDetection();
    Chain out;
    ASSERT_EQ(interp.Run(Parameters(0, 2 * M_PI, 8), out.params, out.points, out.tangents,
                         out.second),
              0);
    EXPECT_EQ(interp.GetNbOfC1Discontinuities(), 0);
    EXPECT_EQ(interp.GetNbOfPieces(), 1);
  }
  // A polyline with a sharp corner: two straight pieces.
  for (int n : {3, 5}) {
    XelMathSetOfPointsND poly(3);
    for (int k = 0; k < n; ++k) {
      const double p[3] = {std::min(k, n / 2) * 1.0, std::max(0, k - n / 2) * 1.0, 0.0};
      poly.AddPoint(p);
    }
    XelMathCheapInterpol interp(nullptr, 3, 1e-9, DefaultTol());
    interp.SetCutOnC1Discontinuities(0.5);
    Chain out;
    ASSERT_EQ(interp.Run(poly, out.params, out.points, out.tangents, out.second), 0);
    EXPECT_EQ(interp.GetNbOfC1Discontinuities(), 1);
    ASSERT_EQ(interp.GetNbOfPieces(), 2);
    const double c = n / 2;
    EXPECT_LE(out.MaxDeviation([c](const double* q) {
      return std::min(std::hypot(q[1], std::max(0.0, q[0] - c)),
                      std::hypot(q[0] - c, std::min(0.0, q[1])));
    }), 1e-12);
  }
  // Explicit: the dichotomy finds the corner at t = 0.3; points alone: the corner point.
  for (int cheap = 0; cheap < 2; ++cheap) {
    SCOPED_TRACE(cheap ? "cheap" : "explicit");
    Explicit f(3, kCorner);
    XelMathSetOfPointsND pts(3);
    const XelMathSetOfPointsND init = Parameters(0.0, 1.0, 20); // the corner is a sample
    const XelMathSetOfPointsND shifted = Parameters(0.01, 1.01, 20);
    for (long k = 0; k < init.GetNumberOfPoints(); ++k) {
      double p[3];
      f.Eval(init.GetPoints()[k], p);
      pts.AddPoint(p);
    }
    XelMathExplicitInterpol ex(nullptr, 3, &f, 1e-6, DefaultTol());
    XelMathCheapInterpol ch(nullptr, 3, 1e-6, DefaultTol());
    XelMathExplicitInterpol& interp = cheap ? ch : ex;
    interp.SetCutOnC1Discontinuities(0.5);
    Chain out;
    ASSERT_EQ(interp.Run(cheap ? pts : shifted, out.params, out.points, out.tangents, out.second,
                         &out.initial),
              0);
    ASSERT_EQ(interp.GetNbOfC1Discontinuities(), 1);
    EXPECT_EQ(interp.GetNbOfPieces(), 2);
    int at = -1;
    interp.GetC1Discontinuities(&at);
    EXPECT_NEAR(out.points.GetPoints()[3 * at], 0.3, 1e-6);
    EXPECT_NEAR(out.points.GetPoints()[3 * at + 1], 0.0, 1e-6);
    EXPECT_TRUE(interp.GetDiagnostic() & XelMathInterpol::DiagC1Discontinuity);
    // Each piece is a straight segment: two nodes, no deviation from the V.
    for (long piece = 0; piece < 2; ++piece) {
      Chain p;
      interp.GetPiece(piece, p.params, p.points, p.tangents, p.second);
      EXPECT_EQ(p.Nodes(), 2);
      EXPECT_LE(p.MaxDeviation([](const double* q) { return std::fabs(q[1] - std::fabs(q[0] - 0.3)); }),
                1e-6);
    }
  }
}

TEST(InterpolationTest, SegmentsCloseThroughPointsAndTolerances) {
  // A straight segment with matching tangents and null second derivatives: one arc.
  Explicit line(3, [](double t, double* v, double* d1, double* d2) {
    Put(v, 1 + 2 * t, -t, 0.5 * t);
    Put(d1, 2, -1, 0.5);
    Put(d2, 0, 0, 0);
  });
  XelMathExplicitInterpol interp(nullptr, 3, &line, 1e-8, DefaultTol());
  Chain out;
  ASSERT_EQ(interp.Run(Parameters(0, 1, 10), out.params, out.points, out.tangents, out.second), 0);
  EXPECT_EQ(out.Nodes(), 2);
  // Initial points declared exact are nodes.
  const long exact[2] = {3, 7};
  long taken = 0;
  interp.SetExactPoints(exact, 2, &taken);
  EXPECT_EQ(taken, 2);
  ASSERT_EQ(interp.Run(Parameters(0, 1, 10), out.params, out.points, out.tangents, out.second,
                       &out.initial),
            0);
  ASSERT_EQ(out.Nodes(), 4);
  EXPECT_NEAR(out.initial.GetPoints()[1], 0.3, 1e-15);
  EXPECT_NEAR(out.initial.GetPoints()[2], 0.7, 1e-15);

  // Without insertion, arcs between sparse initial points stay above the tolerance and are
  // reported; insertion brings them down.
  {
    Explicit circle(3, kCircle);
    double errors[2];
    for (int insertion = 0; insertion < 2; ++insertion) {
      XelMathExplicitInterpol sparse(nullptr, 3, &circle, 1e-6, DefaultTol());
      sparse.SetDetectInvalidArcs(1, -1.0);
      if (!insertion)
        sparse.DisableInsertion();
      Chain c;
      ASSERT_EQ(sparse.Run(Parameters(0, 2 * M_PI, 4), c.params, c.points, c.tangents, c.second),
                0);
      XelMathSetOfLongs invalid;
      sparse.GetInvalidArcs(invalid);
      errors[insertion] = sparse.GetMaxError();
      EXPECT_NEAR(errors[insertion], c.MaxDeviation(DistanceToCircle), 0.1 * errors[insertion]);
      if (!insertion) {
        EXPECT_EQ(c.Nodes(), 5);
        EXPECT_EQ(invalid.GetNumberOfElements(), 4);
        EXPECT_TRUE(sparse.GetDiagnostic() & XelMathInterpol::DiagArcAboveTolerance);
      }
    }
    EXPECT_LT(errors[1], 0.01 * errors[0]);
    // No insertion depth, but passes of increased quality control on the arcs above.
    XelMathExplicitInterpol passes(nullptr, 3, &circle, 1e-6, DefaultTol());
    passes.SetMaxDepth(0);
    passes.SetIncreaseQualityControl(1e-6, 0.0, 2.0, 3);
    Chain c;
    ASSERT_EQ(passes.Run(Parameters(0, 2 * M_PI, 4), c.params, c.points, c.tangents, c.second),
              0);
    EXPECT_LE(c.MaxDeviation(DistanceToCircle), 1e-6);
    EXPECT_EQ(passes.GetDiagnostic(), 0);
  }

  // Points closer than the minimum length are removed when asked.
  XelMathSetOfPointsND pts(3);
  for (int k = 0; k <= 30; ++k) {
    const double t = k / 10.0;
    const double p[3] = {2 * std::cos(t), 2 * std::sin(t), 0.0};
    pts.AddPoint(p);
    if (k == 10 || k == 20) {
      const double q[3] = {p[0] + 1e-7, p[1], 0.0}; // a near duplicate
      pts.AddPoint(q);
    }
  }
  for (int removal = 0; removal < 2; ++removal) {
    XelMathCheapInterpol cheap(nullptr, 3, 1e-7, DefaultTol());
    cheap.SetInternalMinLength(1e-5);
    cheap.SetPointsRemoval(removal);
    Chain c;
    ASSERT_EQ(cheap.Run(pts, c.params, c.points, c.tangents, c.second, &c.initial), 0);
    bool closePair = false;
    for (long i = 0; i + 1 < c.Nodes(); ++i)
      closePair |= std::fabs(c.params.GetPoints()[i + 1] - c.params.GetPoints()[i]) < 1e-5;
    EXPECT_EQ(closePair, removal == 0);
    if (removal) {
      EXPECT_LE(c.MaxDeviation(DistanceToCircle), 1e-5); // the estimate of the data dominates
    }
  }

  // Tolerances: negative means 1e-4 of the reference length (the scale factor); a minimum
  // tolerance below the tolerance is raised to it.
  XelTolerance scaled(10.0);
  XelMathExplicitInterpol neg(nullptr, 3, &line, -1.0, scaled);
  neg.Run(Parameters(0, 1, 2), out.params, out.points, out.tangents, out.second);
  EXPECT_DOUBLE_EQ(neg.GetTolerance(), 1e-3);
  EXPECT_DOUBLE_EQ(neg.GetMinTolerance(), 1e-3);
  neg.SetIncreaseQualityControl(2e-3, 1e-3, 0.0, 0);
  EXPECT_DOUBLE_EQ(neg.GetMinTolerance(), 2e-3);
}

TEST(InterpolationTest, Misuse) {
  const long live = LiveBlocks();
  {
    Explicit f(3, kCircle);
    ExpectInputError([] { XelMathCheapInterpol(nullptr, 0, 1e-3, DefaultTol()); }, 0x20006,
                     {"XelMathInterpol", "Dimension not valid"});
    ExpectInputError([&] { XelMathExplicitInterpol(nullptr, 2, &f, 1e-3, DefaultTol()); },
                     0x20006);
    ExpectInputError([] { XelMathExplicitInterpol(nullptr, 3, nullptr, 1e-3, DefaultTol()); },
                     0x20006,
                     {"XelMathExplicitInterpol", "Dimension not valid",
                      "XelMathExplicitInterpol::XelMathExplicitInterpol"});
    SphereAndPlane system;
    ExpectInputError(
        [&] { XelMathCleverInterpol(nullptr, 2, &system, nullptr, 1e-3, 0.0, DefaultTol()); },
        0x20006);
    XelMathCheapInterpol nanTolerance(nullptr, 3, std::nan(""), DefaultTol());
    Chain out;
    ExpectInputError(
        [&] {
          nanTolerance.Run(XelMathSetOfPointsND(3), out.params, out.points, out.tangents,
                           out.second);
        },
        0x20006, {"the tolerance of the interpolation", "NaN", "XelMathCheapInterpol::Run"});
    XelMathExplicitInterpol interp(nullptr, 3, &f, 1e-3, DefaultTol());
    XelMathSetOfPointsND wrong(2);
    ExpectInputError([&] { interp.Run(wrong, out.params, out.points, out.tangents, out.second); },
                     0x20006);
    // An output set of the wrong dimension: a message and no node.
    XelMathSetOfPointsND params2(2);
    CaptureTrace trace;
    EXPECT_EQ(interp.Run(Parameters(0, 1, 4), params2, out.points, out.tangents, out.second), 4);
    EXPECT_EQ(trace.Text(), "Pb in XelMathInterpol (Run), oParameters has not the right number "
                            "of variables\n");
    EXPECT_EQ(out.Nodes(), 0);
    EXPECT_EQ(interp.GetDiagnostic(), XelMathInterpol::DiagWrongOutput);
    EXPECT_EQ(interp.Run(Parameters(0, 1, 0), out.params, out.points, out.tangents, out.second),
              4);
    ExpectInputError(
        [&] { interp.GetPiece(0, out.params, out.points, out.tangents, out.second); }, 0x20007);
  }
  EXPECT_EQ(LiveBlocks(), live);
}
