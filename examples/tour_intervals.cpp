// Tour section: intervals, boxes and a stream round trip.
#include <cstdio>
#include <vector>

#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelMathMemoryStream.h"
#include "tour_sections.h"

void TourIntervals() {
  std::printf("\n== Intervals and boxes ==\n");
  // Enclosures of the image of an interval by elementary functions.
  XelMathInterval I(0.0, 3.14159265358979);
  XelMathInterval S = sin(I);
  XelMathInterval C = cos(XelMathInterval(-0.1, 0.1));
  XelMathInterval A = atan2(XelMathInterval(-1.0, 1.0), XelMathInterval(-2.0, -1.0));
  std::printf("sin[0, pi]        = [%g, %g]\n", S.low, S.high);
  std::printf("cos[-0.1, 0.1]    = [%g, %g]\n", C.low, C.high);
  std::printf("atan2([-1, 1], [-2, -1]) = [%g, %g] (the angles straddle the cut at +/-pi)\n", A.low,
              A.high);
  XelMathInterval Q = 1.0 / XelMathInterval(-1.0, 2.0);
  std::printf("1 / [-1, 2]       = [%g, %g] (touches 0: unbounded)\n", Q.low, Q.high);

  // Folding a value into a period.
  XelMathInterval period(0.0, 1.0);
  double x = 10.5;
  period.PeriodicResidue(x);
  std::printf("10.5 folded into [0, 1] = %g\n", x);

  // A box in three dimensions: containment, distance and where a segment leaves it.
  const double coords[6] = {0.0, 1.0, 0.0, 2.0, -1.0, 1.0};
  XelMathIntervalND box(3, coords);
  const double inside[3] = {0.5, 1.0, 0.0}, outside[3] = {2.0, 1.0, 0.0};
  double closest[3];
  std::printf("box [0, 1] x [0, 2] x [-1, 1]: sum of widths %g, contains (0.5, 1, 0): %s,"
              " squared distance of (2, 1, 0): %g\n",
              box.Width(), box.ContainsPoint(inside) ? "yes" : "no",
              box.MinSquareDistance(outside, closest));
  double t = 0.0;
  long face = -1;
  if (box.Intersection(inside, outside, t, face))
    std::printf("the segment from (0.5, 1, 0) to (2, 1, 0) leaves the box at t = %g through face"
                " %ld\n",
                t, face);

  std::printf("\n== Streams ==\n");
  // Write a few values at a chosen version, read them back in the same order.
  XelMathMemoryStream out(1013);
  out.WriteLong(3, "Count");
  const double values[3] = {1.5, -2.25, 1e-300};
  out.WriteDouble(values, 3, "Values");
  XelMathMemoryStream in(out.GetBuffer());
  long count = 0;
  in.ReadLong(count, "Count");
  std::vector<double> back(static_cast<size_t>(count));
  in.ReadDouble(back.data(), count, "Values");
  std::printf("stream of %zu bytes, version %ld, read back %ld values: %g %g %g\n",
              out.GetBuffer().size(), static_cast<long>(in.GetVersionNumber()), count, back[0],
              back[1], back[2]);
}
