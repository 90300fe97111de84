// Tour section: separated systems. A line through a torus, solved as the surface/curve system
// of three equations G_i(w) - F_i(u, v) = 0, each point checked against the closed form; then
// a circle and a line as two planar curves.
#include <cmath>
#include <cstdio>

#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem3x3s.h"
#include "XelMathSystemXYs.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "tour_sections.h"


namespace {

// The torus S(u, v) = ((R + r cos v) cos u, (R + r cos v) sin u, r sin v) and the line
// C(w) = P + w D. The class supplies the coordinates and their first derivatives; second
// derivatives, grids and the rest come from XelMathSystem3x3s.
class TorusAndLine : public XelMathSystem3x3s {
public:
  TorusAndLine(const double* iP, const double* iD, const XelTolerance& iTol)
      : XelMathSystem3x3s(iTol), _p{iP[0], iP[1], iP[2]}, _d{iD[0], iD[1], iD[2]} {}
  using XelMathSystem3x3s::EvalEquationF;
  using XelMathSystem3x3s::EvalEquationG;
  double EvalEquationF(const long i, const double u, const double v) const override {
    const double ring = R + r * std::cos(v);
    return i == 0 ? ring * std::cos(u) : i == 1 ? ring * std::sin(u) : r * std::sin(v);
  }
  double EvalFirstDerivUEquationF(const long i, const double u, const double v) const override {
    const double ring = R + r * std::cos(v);
    return i == 0 ? -ring * std::sin(u) : i == 1 ? ring * std::cos(u) : 0.0;
  }
  double EvalFirstDerivVEquationF(const long i, const double u, const double v) const override {
    return i == 0 ? -r * std::sin(v) * std::cos(u)
                  : i == 1 ? -r * std::sin(v) * std::sin(u) : r * std::cos(v);
  }
  double EvalEquationG(const long i, const double w) const override { return _p[i] + w * _d[i]; }
  double EvalFirstDerivEquationG(const long i, const double) const override { return _d[i]; }

  static constexpr double R = 2.0, r = 0.75;

private:
  double _p[3], _d[3];
};

void LineThroughTorus() {
  // A line in the plane z = 0.2, slightly tilted: it crosses the tube four times.
  const double p[3] = {0.0, 0.3, 0.2}, d[3] = {1.0, 0.1, 0.0};
  TorusAndLine system(p, d, XelGetDefaultTolerance());
  const double pi = 3.14159265358979323846;
  XelMathIntervalND box(3);
  const double bounds[6] = {-pi / 2, 3 * pi / 2, -pi, pi, -4.0, 4.0};
  for (long k = 0; k < 3; ++k) {
    box.SetMin(k, bounds[2 * k]);
    box.SetMax(k, bounds[2 * k + 1]);
  }
  XelMathSetOfPointsND points(3);
  const int status = system.Solve(box, points);
  std::printf("line (0, 0.3, 0.2) + w (1, 0.1, 0) through the torus R = 2, r = 0.75: status %d, "
              "%ld points\n",
              status, points.GetNumberOfPoints());
  for (long i = 0; i < points.GetNumberOfPoints(); ++i) {
    const double* s = points.GetPoints() + 3 * i;
    const double x = p[0] + s[2] * d[0], y = p[1] + s[2] * d[1], z = p[2] + s[2] * d[2];
    // The implicit torus equation (sqrt(x^2 + y^2) - R)^2 + z^2 = r^2 at the line's point.
    const double rho = std::sqrt(x * x + y * y) - TorusAndLine::R;
    std::printf("  u %+.8f v %+.8f w %+.8f  point (%+.6f, %+.6f, %+.6f)  torus residual %9.2e\n",
                s[0], s[1], s[2], x, y, z, rho * rho + z * z - TorusAndLine::r * TorusAndLine::r);
  }
}

void LineAcrossCircle() {
  const XelTolerance& tol = XelGetDefaultTolerance();
  // Circle (cos x, sin x) and line (y, 0.5): the equations cos x - y and sin x - 0.5.
  XelMathTrigonometricX a(1.0, 0.0, 0.0, 1.0, tol), b(0.0, 1.0, 0.0, 1.0, tol);
  const double identity[2] = {0.0, 1.0}, half[1] = {0.5};
  XelMathPolynomX c(1, identity), d(0, half);
  XelMathSystemXYs system(&a, &b, &c, &d, tol);
  XelMathSetOfPointsND points(2);
  const int status = system.Solve(XelMathInterval2D(0.0, 6.0, -2.0, 2.0), points);
  std::printf("unit circle and the line y = 0.5: status %d, %ld points\n", status,
              points.GetNumberOfPoints());
  for (long i = 0; i < points.GetNumberOfPoints(); ++i) {
    const double* s = points.GetPoints() + 2 * i;
    std::printf("  angle %.10f (pi/6 = %.10f, 5 pi/6 = %.10f)  line parameter %+.10f\n", s[0],
                std::asin(0.5), 3.14159265358979323846 - std::asin(0.5), s[1]);
  }
}

} // namespace

void TourSmallSystems() {
  std::printf("\n== Small systems: a curve and a surface, two plane curves ==\n");
  LineThroughTorus();
  LineAcrossCircle();
}
