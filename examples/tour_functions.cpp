// Tour section: elementary functions composed together, evaluated with their derivatives and
// over intervals.
#include <cstdio>
#include <memory>

#include "XelMathFractionX.h"
#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "tour_sections.h"

namespace {
void PrintInterval(const char* iLabel, const XelMathInterval& iI) {
  std::printf("  %s [%.6g, %.6g]\n", iLabel, iI.low, iI.high);
}
} // namespace

void TourFunctions() {
  std::printf("\n== Elementary functions ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();

  // A rational function: r(x) = (1 + x^2) / (x - 2).
  const double n[3] = {1.0, 0.0, 1.0}, d[2] = {-2.0, 1.0};
  XelMathPolynomX num(2, n), den(1, d);
  XelMathFractionX r(&num, &den, tol);
  double f = 0.0, f1 = 0.0, f2 = 0.0;
  r.Eval(0.5, 7, &f, &f1, &f2);
  std::printf("r(x) = (1 + x^2) / (x - 2): r(0.5) = %.6g, r'(0.5) = %.6g, r''(0.5) = %.6g\n", f, f1,
              f2);
  PrintInterval("r over [0, 1]:          ", r.Eval(XelMathInterval(0.0, 1.0)));
  PrintInterval("r' over [0, 1]:         ", r.EvalFirstDeriv(XelMathInterval(0.0, 1.0)));
  PrintInterval("r over [1, 3] (a pole, so unbounded):", r.Eval(XelMathInterval(1.0, 3.0)));
  try {
    r.Eval(2.0);
  } catch (const XelMathInputError& e) {
    std::printf("  r(2) raises 0x%lx: %s %s\n", e.GetCode(), e.GetParameter(0), e.GetParameter(1));
  }

  // A wave w(x) = cos(3x) + sin(3x) + 0.5 and the composition w(r(x)).
  XelMathTrigonometricX w(1.0, 1.0, 0.5, 3.0, tol);
  std::printf("w(x) = cos 3x + sin 3x + 0.5 = %.6g cos(3x - %.6g) + 0.5\n", w.GetAmplitude(),
              w.GetPhase());
  std::unique_ptr<XelMathFunctionX> h(XelMathFunctionX::CreateCompositionX(&w, &r));
  if (h) {
    h->Eval(0.5, 7, &f, &f1, &f2);
    std::printf("h = w(r(x)) (a %s): h(0.5) = %.6g, h'(0.5) = %.6g, h''(0.5) = %.6g\n", h->IsA(), f,
                f1, f2);
    PrintInterval("h over [0, 1]:          ", h->Eval(XelMathInterval(0.0, 1.0)));
    PrintInterval("h' over [0, 1]:         ", h->EvalFirstDeriv(XelMathInterval(0.0, 1.0)));
  }

  // Roots of the wave in closed form.
  XelMathSetOfPointsND roots(1);
  w.Solve(XelMathInterval(0.0, 3.0), roots);
  std::printf("roots of w in [0, 3]:");
  for (long i = 0; i < roots.GetNumberOfPoints(); ++i)
    std::printf(" %.9g", roots.GetPoints()[i]);
  std::printf("\n");

  // A piecewise cubic through points, evaluated across its pieces.
  const double x[5] = {0.0, 1.0, 2.0, 3.0, 4.0}, y[5] = {0.0, 0.8, 0.9, 0.1, -0.7};
  std::unique_ptr<XelMathFunctionX> p(XelMathFunctionX::CreateCubicInterpolation(5, x, y, tol));
  std::printf("cubic interpolant (a %s): p(2.5) = %.6g, p'(2.5) = %.6g\n", p->IsA(), p->Eval(2.5),
              p->EvalFirstDeriv(2.5));
  PrintInterval("p over [0.5, 3.5]:      ", p->Eval(XelMathInterval(0.5, 3.5)));
}
