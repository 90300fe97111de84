// Tour section: minima of functions of two variables. The closest points of two plane curves,
// an ellipse and a wave, as the minima of their squared distance over the rectangle of
// their two parameters: every local minimum (a pair of points where the connecting segment
// is normal to both curves), then the global one alone.
#include <cmath>
#include <cstdio>

#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSquareDistXYs.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "tour_sections.h"
#include "tour_svg.h"

void TourMinimaXY() {
  std::printf("\n== Minima of functions of two variables ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();
  const double pi = 3.14159265358979323846;

  // The ellipse (1.2 cos s, 0.6 sin s) and the wave (t, 0.8 + 0.15 sin 4t).
  const XelMathTrigonometricX ex(1.2, 0.0, 0.0, 1.0, tol), ey(0.0, 0.6, 0.0, 1.0, tol);
  const double px[2] = {0.0, 1.0};
  const XelMathPolynomX waveX(1, px);
  const XelMathTrigonometricX waveY(0.0, 0.15, 0.8, 4.0, tol);
  const XelMathFunctionX* ellipse[2] = {&ex, &ey};
  const XelMathFunctionX* wave[2] = {&waveX, &waveY};
  // D(s, t) = |ellipse(s) - wave(t)|^2 over [0, pi] x [-1.5, 2].
  const XelMathSquareDistXYs distance(2, ellipse, wave);
  const XelMathInterval2D parameters(0.0, pi, -1.5, 2.0);

  XelMathSetOfPointsND minima(2);
  int status = distance.Minimize(parameters, minima, nullptr);
  std::printf("local minima of the squared distance: status %d, %ld pairs (lowest first)\n", status,
              minima.GetNumberOfPoints());
  for (long i = 0; i < minima.GetNumberOfPoints(); ++i) {
    const double s = minima.GetPoints()[2 * i], t = minima.GetPoints()[2 * i + 1];
    std::printf("  s = %.10f  t = %+.10f  distance %.12f\n", s, t, std::sqrt(distance.Eval(s, t)));
  }
  // Only the closest pair: the option "AbsoluteExtremum".
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList options(&absolute);
  XelMathSetOfPointsND closest(2);
  status = distance.Minimize(parameters, closest, &options);
  const double s = closest.GetPoints()[0], t = closest.GetPoints()[1];
  const double a[2] = {ex.Eval(s), ey.Eval(s)}, b[2] = {waveX.Eval(t), waveY.Eval(t)};
  std::printf("closest pair (status %d): (%.10f, %.10f) on the ellipse, (%.10f, %.10f) on the\n"
              "wave, %.12f apart\n",
              status, a[0], a[1], b[0], b[1], std::hypot(a[0] - b[0], a[1] - b[1]));

  // Picture: the curves and the segment of each local minimum, the closest one in red.
  TourSvg picture("closest points of an ellipse and a wave: minima of the squared distance", -1.6,
                  2.2);
  TourSvgPanel& panel = picture.AddPanel(420, -0.8, 2.2, "y");
  const int n = 241;
  double cx[n], cy[n], qx[n], qy[n];
  for (int k = 0; k < n; ++k) {
    const double angle = 2.0 * pi * k / (n - 1), tk = -1.5 + 3.5 * k / (n - 1);
    cx[k] = ex.Eval(angle);
    cy[k] = ey.Eval(angle);
    qx[k] = waveX.Eval(tk);
    qy[k] = waveY.Eval(tk);
  }
  panel.Curve(n, cx, cy, "#1f77b4");
  panel.Curve(n, qx, qy, "#2ca02c");
  for (long i = 0; i < minima.GetNumberOfPoints(); ++i) {
    const double si = minima.GetPoints()[2 * i], ti = minima.GetPoints()[2 * i + 1];
    const double sx[2] = {ex.Eval(si), waveX.Eval(ti)}, sy[2] = {ey.Eval(si), waveY.Eval(ti)};
    panel.Curve(2, sx, sy, i == 0 ? "#d62728" : "#7f7f7f", 1.5);
  }
  panel.Legend("ellipse", "#1f77b4");
  panel.Legend("wave", "#2ca02c");
  panel.Legend("closest pair", "#d62728");
  panel.Legend("other local minima", "#7f7f7f");
  TourWritePicture(picture, "closest-points.svg", "the closest points of two curves");
}
