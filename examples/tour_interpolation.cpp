// Tour section: a traced curve turned into a chain of quintic Hermite arcs. The marcher traces
// the upper part (z >= 0.3) of the curve where the sphere x^2 + y^2 + z^2 = 4 meets the
// cylinder (x - 1)^2 + y^2 = 1; the clever interpolator replaces its many points by a few
// arcs, C2 where they meet, within a tolerance of the curve. The deviation is measured
// independently: dense samples of every arc, each at the first-order distance |F| / |grad F|
// from both surfaces.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "XelMathCleverInterpol.h"
#include "XelMathImplicitSystem.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelTolerance.h"
#include "tour_sections.h"


namespace {
class SphereAndCylinder : public XelMathImplicitSystem {
public:
  SphereAndCylinder() : XelMathImplicitSystem(nullptr, 3, XelGetDefaultTolerance()) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override {
    F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 4.0;
    F[1] = (X[0] - 1.0) * (X[0] - 1.0) + X[1] * X[1] - 1.0;
  }
};

/// Distance of p to the curve, to first order: the larger of |F_i| / |grad F_i|.
double Distance(const double* p) {
  const double f0 = p[0] * p[0] + p[1] * p[1] + p[2] * p[2] - 4.0;
  const double f1 = (p[0] - 1.0) * (p[0] - 1.0) + p[1] * p[1] - 1.0;
  const double g0 = 2.0 * std::sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
  const double g1 = 2.0 * std::hypot(p[0] - 1.0, p[1]);
  return std::max(std::fabs(f0) / g0, std::fabs(f1) / g1);
}
} // namespace

void TourInterpolation() {
  std::printf("\n== Interpolating a traced curve by quintic arcs ==\n");
  SphereAndCylinder system;
  const double bounds[6] = {-0.5, 2.5, -1.5, 1.5, 0.3, 2.5};
  const XelMathIntervalND box(3, bounds);
  const double start[3] = {0.0, 0.0, 2.0};
  XelMathSetOfPointsNDWithVectors traced(3);
  system.Solve(box, start, nullptr, traced);
  std::printf("marcher: %ld points with tangents\n", traced.GetNumberOfPoints());

  for (double tol : {1e-3, 1e-5, 1e-7}) {
    XelMathCleverInterpol interp(nullptr, 3, &system, &box, tol, 0.0, XelGetDefaultTolerance());
    XelMathSetOfPointsND params(1), points(3), tangents(3), second(3);
    interp.Run(traced, params, points, tangents, second);
    // Dense samples of every arc, rebuilt from its end nodes.
    double worst = 0.0;
    const double* P = points.GetPoints();
    const double* T = tangents.GetPoints();
    const double* D = second.GetPoints();
    for (long i = 0; i + 1 < points.GetNumberOfPoints(); ++i) {
      const double L = params.GetPoints()[i + 1] - params.GetPoints()[i];
      double c[3][6];
      for (int k = 0; k < 3; ++k)
        XelMathHermiteQuintic(P[3 * i + k], T[3 * i + k], D[3 * i + k], P[3 * i + 3 + k],
                              T[3 * i + 3 + k], D[3 * i + 3 + k], L, c[k]);
      for (int j = 0; j <= 200; ++j) {
        const double s = L * j / 200;
        double p[3];
        for (int k = 0; k < 3; ++k)
          p[k] = c[k][0] + s * (c[k][1] + s * (c[k][2] + s * (c[k][3] + s * (c[k][4] + s * c[k][5]))));
        worst = std::max(worst, Distance(p));
      }
    }
    std::printf("tolerance %.0e: %ld arcs, length %.6f, max deviation %.2e (engine: %.2e)\n", tol,
                points.GetNumberOfPoints() - 1, params.GetPoints()[params.GetNumberOfPoints() - 1],
                worst, interp.GetMaxError());
  }
}
