// Tour section: polynomials, their derivatives and images, and Chebyshev approximation.
#include <cmath>
#include <cstdio>

#include "XelMathFourierTransform.h"
#include "XelMathFunctionX.h"
#include "XelMathPolynomX.h"
#include "XelTolerance.h"
#include "tour_sections.h"
#include "tour_svg.h"

namespace {
// A function written by the caller: only its value is known exactly.
class Gaussian : public XelMathFunctionX {
public:
  using XelMathFunctionX::Eval;
  const char* IsA() const override { return "Gaussian"; }
  double Eval(const double& x) const override { return std::exp(-x * x); }
  XelMathFunctionX* Duplicate() const override { return new Gaussian; }
};

// The curve inside the plain interval images and the optimal images of eight pieces.
void EnclosurePicture(const XelMathFunctionX& iF, const XelMathInterval& iI) {
  TourSvg svg("p(x) = 1 - 3x + x^3 inside the images of 8 pieces of [-2, 2]", iI.low, iI.high);
  TourSvgPanel& panel = svg.AddPanel(320, -2.5, 5.5, "p(x)");
  const int pieces = 8, n = 400;
  const double step = (iI.high - iI.low) / pieces;
  for (int k = 0; k < pieces; k++) {
    const XelMathInterval piece(iI.low + k * step, iI.low + (k + 1) * step);
    const XelMathInterval plain = iF.Eval(piece);
    const XelMathInterval tight = iF.ComputeOptimalImage(piece, XelGetDefaultTolerance());
    panel.Box(piece.low, piece.high, plain.low, plain.high, "#9ecae1", 0.6);
    panel.Box(piece.low, piece.high, tight.low, tight.high, "#3182bd", 0.6);
  }
  double x[n + 1], y[n + 1];
  for (int i = 0; i <= n; i++) {
    x[i] = iI.low + (iI.high - iI.low) * i / n;
    y[i] = iF.Eval(x[i]);
  }
  panel.Curve(n + 1, x, y, "#d62728");
  panel.Legend("interval evaluation Eval(piece)", "#9ecae1");
  panel.Legend("optimal image ComputeOptimalImage(piece, tolerance)", "#3182bd");
  panel.Legend("p", "#d62728");
  TourWritePicture(svg, "interval-images.svg", "p inside its plain and optimal images");
}

// The function against its Chebyshev approximation, and the error curve.
void ChebyshevPicture(const XelMathFunctionX& iF, const XelMathPolynomX& iApprox,
                      const XelMathInterval& iI, double iWorst) {
  TourSvg svg("exp(-x^2) and its Chebyshev approximation", iI.low, iI.high);
  const int n = 400;
  double x[n + 1], f[n + 1], a[n + 1], e[n + 1];
  for (int i = 0; i <= n; i++) {
    x[i] = iI.low + (iI.high - iI.low) * i / n;
    f[i] = iF.Eval(x[i]);
    a[i] = iApprox.Eval(x[i]);
    e[i] = a[i] - f[i];
  }
  TourSvgPanel& top = svg.AddPanel(260, 0.0, 1.5, "value");
  top.Curve(n + 1, x, f, "#1f5fa8", 5.0);
  top.Curve(n + 1, x, a, "#f2a200", 2.0, "6 4");
  top.Legend("exp(-x^2)", "#1f5fa8");
  top.Legend("Chebyshev approximation (a polynomial)", "#f2a200");
  TourSvgPanel& bottom = svg.AddPanel(160, -1.2 * iWorst, 1.2 * iWorst, "error");
  bottom.Curve(n + 1, x, e, "#d62728", 1.5);
  bottom.Legend("approximation - exp(-x^2)", "#d62728");
  TourWritePicture(svg, "chebyshev-approximation.svg",
                   "exp(-x^2), its Chebyshev approximation and the error");
}
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
  std::printf("  (both enclose p on [-2, 2]; the optimal one is tight to the tolerance)\n");
  EnclosurePicture(p, I);

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
    ChebyshevPicture(g, *approx, J, worst);
    delete approx;
  } else {
    std::printf("exp(-x^2): the series did not converge within the tolerance\n");
  }
}
