// Tour section: systems of two equations. Every intersection point of two implicit curves, a
// circle and a quartic, found in a box by the two-variable system solver, each checked by its
// residuals.
#include <cmath>
#include <cstdio>

#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystemXYc.h"
#include "XelTolerance.h"
#include "tour_sections.h"
#include "tour_svg.h"

void TourSystems() {
  std::printf("\n== Systems of two equations ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();

  // The circle (x - 0.1)^2 + (y + 0.05)^2 = 0.64, written about its centre (a shifted
  // polynomial: coefficient a_ij of (x - 0.1)^i (y + 0.05)^j at i * 3 + j) ...
  const double c[9] = {-0.64, 0.0, 1.0, 0.0, 0.0, 0.0, 1.0, 0.0, 0.0};
  XelMathPolynomXY circle(2, 2, c, 0.1, -0.05);
  // ... and the quartic x^4 + y^4 + 0.1 x y = 0.3 (a_ij at i * 5 + j).
  double q[25] = {0.0};
  q[0] = -0.3;
  q[4] = 1.0;         // y^4
  q[1 * 5 + 1] = 0.1; // x y
  q[4 * 5] = 1.0;     // x^4
  XelMathPolynomXY quartic(4, 4, q);

  // Every solution in the box [-1.5, 1.5] x [-1.1, 1.1]; the status is 0 when the search
  // completed (4 for an empty box, 10 when it stopped after more than 100 solutions).
  XelMathSystemXYc system(&circle, &quartic, tol);
  XelMathSetOfPointsND solutions(2);
  const int status = system.Solve(XelMathInterval2D(-1.5, 1.5, -1.1, 1.1), solutions);
  std::printf("circle and quartic: status %d, %ld intersection points\n", status,
              solutions.GetNumberOfPoints());
  int good = 0;
  for (long i = 0; i < solutions.GetNumberOfPoints(); ++i) {
    const double x = solutions.GetPoints()[2 * i], y = solutions.GetPoints()[2 * i + 1];
    // Residuals from the equations written out, not from the solver's functions.
    const double rc = (x - 0.1) * (x - 0.1) + (y + 0.05) * (y + 0.05) - 0.64;
    const double rq = x * x * x * x + y * y * y * y + 0.1 * x * y - 0.3;
    good += std::fabs(rc) < 1e-9 && std::fabs(rq) < 1e-9;
    std::printf("  (%+.12f, %+.12f)  residuals %9.2e %9.2e\n", x, y, rc, rq);
  }
  std::printf("%d of %ld points satisfy both equations to 1e-9\n", good,
              solutions.GetNumberOfPoints());

  // Picture: the two curves and their intersection points. The quartic is star-shaped about
  // the origin: along the direction t, r^2 solves (cos^4 t + sin^4 t) r^4 + 0.1 cos t sin t r^2
  // = 0.3.
  TourSvg picture("circle and quartic x^4 + y^4 + 0.1 x y = 0.3: every intersection", -1.5, 1.5);
  TourSvgPanel& panel = picture.AddPanel(491, -1.1, 1.1, "y");
  const int n = 361;
  double cx[n], cy[n], qx[n], qy[n];
  for (int k = 0; k < n; ++k) {
    const double t = 2.0 * 3.14159265358979323846 * k / (n - 1), ct = std::cos(t), st = std::sin(t);
    cx[k] = 0.1 + 0.8 * ct;
    cy[k] = -0.05 + 0.8 * st;
    const double a = ct * ct * ct * ct + st * st * st * st, b = 0.1 * ct * st;
    const double r = std::sqrt((-b + std::sqrt(b * b + 1.2 * a)) / (2.0 * a));
    qx[k] = r * ct;
    qy[k] = r * st;
  }
  panel.Curve(n, cx, cy, "#1f77b4");
  panel.Curve(n, qx, qy, "#2ca02c");
  for (long i = 0; i < solutions.GetNumberOfPoints(); ++i)
    panel.Mark(solutions.GetPoints()[2 * i], solutions.GetPoints()[2 * i + 1], TourSvgPanel::Circle,
               "#d62728");
  panel.Legend("circle", "#1f77b4");
  panel.Legend("quartic", "#2ca02c");
  panel.Legend("solutions", "#d62728");
  TourWritePicture(picture, "circle-quartic.svg", "the intersections of a circle and a quartic");
}
