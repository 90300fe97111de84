// Tour section: polynomials, their derivatives and images, and Chebyshev approximation.
#include <cmath>
#include <cstdio>

#include "XelMathFourierTransform.h"
#include "XelMathFunctionX.h"
#include "XelMathPolynomX.h"
#include "XelTolerance.h"
#include "tour_sections.h"

namespace {
// A function written by the caller: only its value is known exactly.
class Gaussian : public XelMathFunctionX {
public:
  using XelMathFunctionX::Eval;
  const char* IsA() const override { return "Gaussian"; }
  double Eval(const double& x) const override { return std::exp(-x * x); }
  XelMathFunctionX* Duplicate() const override { return new Gaussian; }
};
} // namespace

void TourPolynomials() {
  std::printf("\n== Polynomials ==\n");
  // p(x) = 1 - 3x + x^3
  const double c[4] = {1.0, -3.0, 0.0, 1.0};
  XelMathPolynomX p(3, c);
  double f = 0.0, f1 = 0.0, f2 = 0.0;
  p.Eval(0.5, 7, &f, &f1, &f2);
  std::printf("p(0.5) = %g, p'(0.5) = %g, p''(0.5) = %g\n", f, f1, f2);

  // Images of an interval: interval evaluation and the tolerance-tight image.
  XelMathInterval I(-2.0, 2.0);
  XelMathInterval fast = p.Eval(I);
  XelMathInterval tight = p.ComputeOptimalImage(I, XelGetDefaultTolerance());
  std::printf("image of [-2, 2]: interval evaluation [%g, %g], optimal [%g, %g]\n", fast.low,
              fast.high, tight.low, tight.high);

  // The derivative is a polynomial again.
  XelMathFunctionX* dp = p.CreateDeriv();
  std::printf("p' is a %s, p'(1) = %g\n", dp->IsA(), dp->Eval(1.0));
  delete dp;

  // Any function can be replaced by a polynomial on an interval when its Chebyshev series
  // converges within the tolerance.
  Gaussian g;
  XelMathInterval J(-1.0, 1.0);
  XelMathPolynomX* approx = XelMathFourierTransform::ChebyshevApproximationX(&g, J, 16, 1e-6);
  if (approx) {
    double worst = 0.0;
    for (int k = 0; k <= 200; k++) {
      double x = -1.0 + 0.01 * k;
      worst = std::fmax(worst, std::fabs(approx->Eval(x) - g.Eval(x)));
    }
    std::printf("exp(-x^2) on [-1, 1] ~ polynomial of degree %ld, max error %.2e\n",
                approx->GetDegree(), worst);
    delete approx;
  } else {
    std::printf("exp(-x^2): the series did not converge within the tolerance\n");
  }
}
