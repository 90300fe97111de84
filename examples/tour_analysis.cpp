// Tour section: the typical road of an analysis on a one-variable function: all its roots on
// an interval, its minima and maxima, and an integral.
#include <cmath>
#include <cstdio>

#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathCombinationX.h"
#include "XelMathConstants.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "tour_sections.h"

namespace {
void PrintAbscissae(const char* iWhat, int iStatus, const XelMathSetOfPointsND& iSet,
                    const XelMathFunctionX& iF) {
  std::printf("%s (status %d, %ld found):\n", iWhat, iStatus, iSet.GetNumberOfPoints());
  const double* x = iSet.GetPoints();
  for (long i = 0; i < iSet.GetNumberOfPoints(); i++)
    std::printf("   x = % .15f   f(x) = % .3e\n", x[i], iF.Eval(x[i]));
}

// A function written by the caller that gives its values only: no derivative, no interval
// image. The root finder can only sample it: a narrow bump exp(-((x - 1.234) / 0.01)^2) - 0.5.
class NarrowBump : public XelMathFunctionX {
public:
  using XelMathFunctionX::Eval;
  const char* IsA() const override { return "NarrowBump"; }
  double Eval(const double& x) const override {
    const double t = (x - 1.234) / 0.01;
    return std::exp(-t * t) - 0.5;
  }
  XelMathFunctionX* Duplicate() const override { return new NarrowBump; }
};
} // namespace

void TourAnalysis() {
  std::printf("\n== Roots, extrema and integrals ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();

  // f(x) = sin(3x) + 0.5 x - 0.2 as a combination of a wave and a line.
  XelMathTrigonometricX wave(0.0, 1.0, 0.0, 3.0, tol); // sin(3x)
  const double line[2] = {-0.2, 0.5};
  XelMathPolynomX affine(1, line);
  const XelMathFunctionX* parts[2] = {&wave, &affine};
  const double weights[2] = {1.0, 1.0};
  XelMathCombinationX f(2, parts, weights, 0.0);
  XelMathInterval domain(-2.0, 2.0);

  XelMathSetOfPointsND roots(1);
  int status = f.Solve(domain, roots, nullptr);
  PrintAbscissae("roots of sin(3x) + 0.5x - 0.2 on [-2, 2]", status, roots, f);

  XelMathSetOfPointsND minima(1), maxima(1);
  status = f.Minimize(domain, minima, nullptr);
  PrintAbscissae("local minima", status, minima, f);
  status = f.Maximize(domain, maxima, nullptr);
  PrintAbscissae("local maxima", status, maxima, f);

  // The global minimum only.
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList options(&absolute);
  XelMathSetOfPointsND best(1);
  status = f.Minimize(domain, best, &options);
  PrintAbscissae("absolute minimum", status, best, f);

  // A polynomial with a triple and a double root: (x - 1)^3 (x - 2)^2 (x + 0.5).
  const double c[7] = {-2.0, 4.0, 3.5, -15.5, 15.5, -6.5, 1.0};
  XelMathPolynomX p(6, c);
  XelMathSetOfPointsND proots(1);
  status = p.Solve(XelMathInterval(-1.0, 3.0), proots, nullptr);
  PrintAbscissae("roots of (x-1)^3 (x-2)^2 (x+0.5) on [-1, 3]", status, proots, p);

  // Integrals: closed forms where the class has one, adaptive Gauss-Legendre otherwise.
  const double integral = f.Integrate(XelMathInterval(0.0, XelPI), 1e-12);
  std::printf("integral of f on [0, pi] = %.15f (closed form %.15f)\n", integral,
              2.0 / 3.0 + 0.25 * XelPI * XelPI - 0.2 * XelPI);
  const double polyIntegral = p.Integrate(XelMathInterval(-0.5, 2.0), 0.0);
  std::printf("integral of the polynomial on [-0.5, 2] = %.15f\n", polyIntegral);

  // A function known only by its values is searched by sampling: 15 intervals by default,
  // more with the option "SamplingPoints". The bump is 0.017 wide: 15 samples of [0, 3]
  // step over it, 300 do not.
  NarrowBump bump;
  XelMathSetOfPointsND bumpRoots(1);
  status = bump.Solve(XelMathInterval(0.0, 3.0), bumpRoots, nullptr);
  PrintAbscissae("roots of a narrow bump known only by its values, default sampling", status,
                 bumpRoots, bump);
  XelMathAttrIntegerValue dense("SamplingPoints", 300, 1);
  XelMathAttrList denseOptions(&dense);
  status = bump.Solve(XelMathInterval(0.0, 3.0), bumpRoots, &denseOptions);
  PrintAbscissae("the same with the option \"SamplingPoints\" = 300", status, bumpRoots, bump);
}
