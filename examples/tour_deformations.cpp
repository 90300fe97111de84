// Tour section: deformations of space. A flat polyline (a zigzag drawn in the development
// plane) is wrapped onto a cylinder of radius 2 and onto a cone of half-angle 30 degrees, and
// unwrapped again by the folded maps; each vertex is printed with its distance to the axis
// and the gap left by the round trip. Then one wrapped vertex is found back by inverting the
// folded map with the system solver in a box.
#include <cmath>
#include <cstdio>
#include <memory>

#include "XelMathConicDeformationFolded.h"
#include "XelMathConicDeformationUnfolded.h"
#include "XelMathConstants.h"
#include "XelMathCylindricDeformationFolded.h"
#include "XelMathCylindricDeformationUnfolded.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"
#include "tour_sections.h"

namespace {

// The zigzag: five vertices (a, b) of a flat sheet.
const double kZigzag[5][2] = {{2.0, -2.0}, {2.5, -1.0}, {2.0, 0.0}, {2.5, 1.0}, {2.0, 2.0}};

/// Wraps the zigzag laid in the development by iLay, unwraps it, and prints each vertex with
/// iOffSurface (0 on the surface) of its wrapped image.
template <class Lay, class OffSurface>
void WrapAndUnwrap(const char* iName, const XelMathNonLinearTransformation& iWrap,
                   const XelMathNonLinearTransformation& iUnwrap, Lay iLay,
                   OffSurface iOffSurface) {
  std::printf("%s\n", iName);
  for (const auto& vertex : kZigzag) {
    double v[3], onSurface[3], back[3];
    iLay(vertex[0], vertex[1], v);
    iWrap.Eval(v, onSurface);
    iUnwrap.Eval(onSurface, back);
    const double gap =
        std::fabs(back[0] - v[0]) + std::fabs(back[1] - v[1]) + std::fabs(back[2] - v[2]);
    std::printf("  (%5.2f, %5.2f, %5.2f) -> (%+.6f, %+.6f, %+.6f)  off the surface %.1e  "
                "round trip gap %.1e\n",
                v[0], v[1], v[2], onSurface[0], onSurface[1], onSurface[2], iOffSurface(onSurface),
                gap);
  }
}

} // namespace

void TourDeformations() {
  std::printf("\n== Deformations: wrapping onto a cylinder and a cone ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();
  // Cylinder: the development coordinate y becomes the angle y / 2 (k = 0.5), so a length
  // along the development is kept on the cylinder of radius 2.
  XelMathCylindricDeformationUnfolded wrapCylinder(0.5, tol);
  XelMathCylindricDeformationFolded unwrapCylinder(2.0, tol);
  // The sheet lies in the plane x = 2 of the development: b along the circumference, a up.
  WrapAndUnwrap(
      "cylinder of radius 2 (the development x = 2 is the radius)", wrapCylinder, unwrapCylinder,
      [](double a, double b, double* oV) { oV[0] = 2.0, oV[1] = b, oV[2] = a - 2.0; },
      [](const double* p) { return std::hypot(p[0], p[1]) - 2.0; });

  // Cone: the development is the plane tangent to the cone along its generator at angle 0,
  // spanned by (sin alpha, 0, cos alpha) (a, the distance from the apex) and (0, 1, 0) (b).
  const double alpha = XelPI / 6, s = std::sin(alpha), c = std::cos(alpha);
  XelMathConicDeformationUnfolded wrapCone(alpha, tol);
  XelMathConicDeformationFolded unwrapCone(alpha, tol);
  WrapAndUnwrap(
      "cone of half-angle 30 degrees (apex at the origin)", wrapCone, unwrapCone,
      [&](double a, double b, double* oV) { oV[0] = a * s, oV[1] = b, oV[2] = a * c; },
      [&](const double* p) { return std::hypot(p[0], p[1]) * c - p[2] * s; });

  // Inversion: the point (2, 1, 1) of the development wrapped onto the cylinder, found back from
  // its image.
  double target[3];
  const double vertex[3] = {2.0, 1.0, 1.0};
  wrapCylinder.Eval(vertex, target);
  const double box[6] = {1.5, 2.5, 0.5, 1.5, 0.5, 1.5};
  XelMathSetOfPointsND found(3);
  const int status = wrapCylinder.Invert(target, XelMathIntervalND(3, box), found);
  std::printf("pre-images of (%+.6f, %+.6f, %+.6f) in [1.5, 2.5] x [0.5, 1.5] x [0.5, 1.5]: "
              "status %d\n",
              target[0], target[1], target[2], status);
  for (long i = 0; i < found.GetNumberOfPoints(); i++) {
    const double* p = found.GetPoints() + 3 * i;
    std::printf("  (%.12f, %.12f, %.12f)\n", p[0], p[1], p[2]);
  }
}
