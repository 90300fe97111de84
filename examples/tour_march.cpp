// Tour section: marching along the intersection curve of two surfaces. The sphere
// x^2 + y^2 + z^2 = 4 and the cylinder (x - 1)^2 + y^2 = 1 meet along a closed curve that
// crosses itself at (2, 0, 0), where the two surfaces touch (Viviani's curve). The marcher
// traces it from one point, goes through the crossing, and returns the points with their
// tangents; the length of the polyline is compared with the length of the curve.
#include <cmath>
#include <cstdio>

#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathImplicitSystem.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelTolerance.h"

void TourMarching();

namespace {
/// Two equations in three unknowns: the sphere and the cylinder.
class SphereAndCylinder : public XelMathImplicitSystem {
public:
  SphereAndCylinder() : XelMathImplicitSystem(nullptr, 3, XelGetDefaultTolerance()) {}
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* F) const override {
    F[0] = X[0] * X[0] + X[1] * X[1] + X[2] * X[2] - 4.0;
    F[1] = (X[0] - 1.0) * (X[0] - 1.0) + X[1] * X[1] - 1.0;
  }
};
} // namespace

void TourMarching() {
  std::printf("\n== Marching along an intersection curve ==\n");
  SphereAndCylinder system;
  const double bounds[6] = {-0.5, 2.5, -1.5, 1.5, -2.5, 2.5};
  const XelMathIntervalND box(3, bounds);
  const double start[3] = {0.0, 0.0, 2.0}; // the top of the sphere lies on the cylinder
  XelMathAttrString singularity("XelMathSingularity", 0);
  XelMathAttrList options(&singularity);
  XelMathSetOfPointsNDWithVectors curve(3);
  system.Solve(box, start, nullptr, curve, &options);

  // The curve is (1 + cos t, sin t, 2 sin(t/2)), t in [0, 4 pi]: |r'| = sqrt(1 + cos^2(t/2)).
  const double pi = 3.14159265358979323846;
  double length = 0.0;
  const int n = 2000;
  for (int k = 0; k <= n; ++k) {
    const double t = 4.0 * pi * k / n;
    const double w = (k == 0 || k == n) ? 1.0 : (k % 2 ? 4.0 : 2.0);
    length += w * std::sqrt(1.0 + std::cos(t / 2) * std::cos(t / 2));
  }
  length *= 4.0 * pi / n / 3.0;
  double minStep = 0.0, maxStep = 0.0, sag = 0.0;
  system.GetStepParameters(minStep, maxStep, sag);
  std::printf("%ld points, closed %d, singular points crossed %ld, chord tolerance %.4g\n",
              curve.GetNumberOfPoints(), system.IsClosed(), system.GetNumberOfSingularPoints(),
              sag);
  std::printf("polyline length %.6f, curve length %.6f\n", curve.Length(), length);
  double p[3], t[3];
  curve.GetPointWithVector(curve.GetNumberOfPoints() / 4, p, t);
  std::printf("a point (%.6f, %.6f, %.6f) with its unit tangent (%.4f, %.4f, %.4f)\n", p[0], p[1],
              p[2], t[0], t[1], t[2]);
}
