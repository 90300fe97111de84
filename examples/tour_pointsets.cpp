// Tour section: point sets.
#include <cmath>
#include <cstdio>

#include "XelMathMemoryStream.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "tour_sections.h"

void TourPointSets() {
  std::printf("\n== Point sets ==\n");

  // A set of 2D points grows as points are appended; the cursor reads them in order.
  XelMathSetOfPointsND polyline(2);
  const double corners[4][2] = {{0, 0}, {4, 0}, {4, 3}, {0, 3}};
  for (const double* p : corners)
    polyline.AddPoint(p);
  double p[2];
  std::printf("%ld points, capacity %ld:", polyline.GetNumberOfPoints(),
              polyline.GetMaxNumberOfPoints());
  for (polyline.Beginning(); polyline.Next();) {
    polyline.GetPoint(p);
    std::printf(" (%g, %g)", p[0], p[1]);
  }
  std::printf("\nlength of the polyline: %g\n", polyline.Length());

  // Distance from a point to the polyline, and the nearest segment.
  const double q[2] = {5, 1};
  long segment;
  double nearest[2];
  double distance = polyline.DistanceMin(q, segment, 1e-10, nearest);
  std::printf("(5, 1) is %g away, on segment %ld at (%g, %g)\n", distance, segment, nearest[0],
              nearest[1]);

  // The circle through three points, the convex hull of a cloud, a point's position.
  double center[2], radius;
  if (polyline.FindCircle(0, 1, 2, center, radius, 1e-10))
    std::printf("circle through the first three points: centre (%g, %g), radius %g\n", center[0],
                center[1], radius);
  XelMathSetOfPointsND cloud(2), hull(2);
  const double scattered[6][2] = {{1, 1}, {3, 0.5}, {2, 2}, {0, 2}, {2.5, 3}, {1.5, 1.8}};
  for (const double* s : scattered)
    cloud.AddPoint(s);
  long vertices = cloud.CreateConvex(hull, 1e-12);
  std::printf("convex hull of 6 points: %ld vertices; (1.5, 1.8) is %s\n", vertices,
              hull.PointPosition(scattered[5], 1e-12) > 0 ? "inside" : "not inside");

  // Shape-preserving slopes of sampled monotone data, ready for a Hermite interpolation.
  XelMathSetOfPointsND samples(2), slopes(2);
  const double data[5][2] = {{0, 0}, {1, 0.2}, {2, 0.2}, {3, 2}, {4, 2.1}};
  for (const double* d : data)
    samples.AddPoint(d);
  samples.ComputeTangents1D(slopes);
  std::printf("slopes at x = 0, 1, 2, 3, 4 of (0, 0.2, 0.2, 2, 2.1):");
  for (long i = 0; i < slopes.GetNumberOfPoints(); i++) {
    slopes.GetPoint(i, p);
    std::printf(" %.4g", p[1]);
  }
  std::printf("  (zero on the flat step: no overshoot)\n");

  // A set with one vector per point keeps each vector beside its point when reordered.
  XelMathSetOfPointsNDWithVectors marched(2);
  for (int i = 0; i < 4; i++) {
    double a = 0.5 * i;
    const double point[2] = {std::cos(a), std::sin(a)}, tangent[2] = {-std::sin(a), std::cos(a)};
    marched.AddPointWithVector(point, tangent);
  }
  marched.AutoInvert();
  double v[2];
  marched.GetPointWithVector(0, p, v);
  std::printf("after reversal the first point (%.3f, %.3f) still has its tangent (%.3f, %.3f)\n",
              p[0], p[1], v[0], v[1]);

  // Stream round trip through memory.
  XelMathMemoryStream out;
  polyline.Stream(out, "");
  XelMathMemoryStream in(out.GetBuffer());
  XelMathSetOfPointsND* copy = nullptr;
  XelMathSetOfPointsND::UnStream(in, copy, "");
  std::printf("streamed in %zu bytes and read back %ld points\n", out.GetBuffer().size(),
              copy->GetNumberOfPoints());
  delete copy;
}
