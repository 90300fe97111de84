// Tour section: functions of two variables. A height field z = f(x, y), its partial
// derivatives at a point, guaranteed images over a box and over the cells of a grid, an
// iso-parametric restriction and double integrals.
#include <cmath>
#include <cstdio>
#include <memory>

#include "XelMathCombinationXY.h"
#include "XelMathFractionXY.h"
#include "XelMathFunctionX.h"
#include "XelMathIntervalND.h"
#include "XelMathLinearXY.h"
#include "XelMathPolynomXY.h"
#include "XelTolerance.h"
#include "tour_sections.h"
#include "tour_svg.h"

void TourSurfaces() {
  std::printf("\n== Functions of two variables ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();

  // A saddle with a twist, z = x^2 - y^2 + 0.3 x^2 y, as a polynomial of degrees (2, 1):
  // coefficient a_ij of x^i y^j at i * 2 + j.
  const double a[6] = {0.0, 0.0, 0.0, 0.0, 1.0, 0.3};
  XelMathPolynomXY twist(2, 1, a);
  const double b[3] = {0.0, 0.0, -1.0};
  XelMathPolynomXY valley(0, 2, b);
  const XelMathFunctionXY* terms[2] = {&twist, &valley};
  const double ones[2] = {1.0, 1.0};
  std::unique_ptr<XelMathFunctionXY> f(CreateCombination(2, terms, ones, 0.0));

  double v, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy;
  f->EvalUpToThirdDeriv(0.5, -0.25, v, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy);
  std::printf("f(0.5, -0.25) = %.6f; fx = %.4f (exact %.4f), fy = %.4f (exact %.4f)\n", v, fx,
              2 * 0.5 + 0.6 * 0.5 * -0.25, fy, 0.5 + 0.3 * 0.25);
  std::printf("second derivatives fxx %.3f fxy %.3f fyy %.3f; third fxxy %.3f (exact 0.6)\n", fxx,
              fxy, fyy, fxxy);

  // Guaranteed image over a box: the enclosure never misses a value, and the sampled range
  // shows how tight it is.
  const XelMathInterval I(-1.0, 1.0), J(-0.5, 0.5);
  const XelMathInterval image = f->ComputeOptimalImage(I, J, tol);
  double lo = 1e300, hi = -1e300;
  for (int i = 0; i <= 200; ++i)
    for (int j = 0; j <= 200; ++j) {
      const double z = f->Eval(-1.0 + i * 0.01, -0.5 + j * 0.005);
      lo = std::fmin(lo, z);
      hi = std::fmax(hi, z);
    }
  std::printf("image of [-1, 1] x [-0.5, 0.5]: [%.6f, %.6f]; sampled range [%.6f, %.6f]\n",
              image.low, image.high, lo, hi);

  // Images of the 4 x 4 cells of the box in one call.
  const double corners[4] = {-1.0, 1.0, -0.5, 0.5};
  XelMathIntervalND box(2, corners);
  const long counts[2] = {4, 4};
  XelMathInterval cells[16];
  f->Eval(box, counts, cells);
  std::printf("cell images: (0, 0) [%.4f, %.4f], (3, 3) [%.4f, %.4f]\n", cells[0].low,
              cells[0].high, cells[15].low, cells[15].high);

  // The restriction y = 0.25 is a one-variable function, analysed with the tools of one
  // variable.
  std::unique_ptr<XelMathFunctionX> section(f->CreateIsoparY(0.25));
  std::printf("f(x, 0.25) at x = 0.8: %.6f = %.6f; its integral over [-1, 1]: %.6f\n",
              section->Eval(0.8), f->Eval(0.8, 0.25), section->Integrate(I, 1e-12));

  // Double integrals: of the polynomial (exact: 2/3 - 1/6 = 0.5 over [-1, 1] x [-0.5, 0.5])
  // and of 1 / (1 + x + y) over the unit square (exact: 3 ln 3 - 4 ln 2).
  std::printf("integral of f over the box: %.12f (exact %.12f)\n", f->Integrate(I, J, 1e-12),
              2.0 / 3.0 - 1.0 / 6.0);
  XelMathLinearXY one(0.0, 0.0, 1.0), plane(1.0, 1.0, 1.0);
  XelMathFractionXY inverse(&one, &plane, tol);
  const XelMathInterval unit(0.0, 1.0);
  std::printf("integral of 1/(1+x+y) over [0, 1]^2: %.12f (exact %.12f)\n",
              inverse.Integrate(unit, unit, 1e-12), 3 * std::log(3.0) - 4 * std::log(2.0));

  // Picture: three sections y = -0.5, 0, 0.5 of the height field, and the guaranteed image of
  // the box as a band that holds them all.
  TourSvg picture("z = x^2 - y^2 + 0.3 x^2 y: sections y = -0.5, 0, 0.5 and the box image", -1.0,
                  1.0);
  TourSvgPanel& panel = picture.AddPanel(260, image.low - 0.1, image.high + 0.1, "z");
  panel.Box(-1.0, 1.0, image.low, image.high, "#9ecae1", 0.35);
  const char* colours[3] = {"#d62728", "#2ca02c", "#1f77b4"};
  for (int k = 0; k < 3; ++k) {
    double x[101], z[101];
    const double y0 = -0.5 + 0.5 * k;
    for (int i = 0; i <= 100; ++i) {
      x[i] = -1.0 + 0.02 * i;
      z[i] = f->Eval(x[i], y0);
    }
    panel.Curve(101, x, z, colours[k]);
  }
  panel.Legend("guaranteed image of the box", "#9ecae1");
  TourWritePicture(picture, "surface-sections.svg", "sections of a height field and its image");
}
