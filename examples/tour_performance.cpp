// Tour section: two opt-ins for speed. A batch of abscissas evaluated in one call (a
// combination calls each of its components once per batch), and the adaptive integration that
// spends its evaluations where the integrand needs them instead of on equal pieces.
#include <cmath>
#include <cstdio>

#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathCombinationX.h"
#include "XelMathConstants.h"
#include "XelMathGaussLegendre.h"
#include "XelMathPolynomX.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"
#include "tour_sections.h"

void TourPerformanceOptIns();

namespace {
// An integrand written by the caller, which counts its evaluations.
class CountedIntegrand : public XelMathFunctionX {
public:
  using Formula = double (*)(double);
  explicit CountedIntegrand(Formula iFormula) : _formula(iFormula) {}
  using XelMathFunctionX::Eval;
  const char* IsA() const override { return "CountedIntegrand"; }
  double Eval(const double& x) const override {
    ++_count;
    return _formula(x);
  }
  XelMathFunctionX* Duplicate() const override { return new CountedIntegrand(_formula); }
  long TakeCount() const {
    const long count = _count;
    _count = 0;
    return count;
  }

private:
  Formula _formula;
  mutable long _count = 0;
};

void CompareIntegrals(const char* iName, CountedIntegrand& iF, const XelMathInterval& iI,
                      double iExact) {
  XelMathAttrString adaptive(AttrFunctionXAdaptiveIntegration, 1);
  XelMathAttrList options;
  options.AddAttribute(&adaptive);
  std::printf("%s, exact %.12f\n", iName, iExact);
  const XelMathAttrList* runs[2] = {nullptr, &options};
  const char* labels[2] = {"default ", "adaptive"};
  for (int k = 0; k < 2; ++k) {
    double value = 0.0;
    const int status = XelMathIntegrateX(&iF, iI, 1e-10, 1, runs[k], value);
    std::printf("   %s  %.12f  status %d  relative error %.1e  %ld evaluations\n", labels[k],
                value, status, std::fabs(value - iExact) / std::fabs(iExact), iF.TakeCount());
  }
}
} // namespace

void TourPerformanceOptIns() {
  std::printf("\n== Batch evaluation and adaptive integration ==\n");
  const XelTolerance& tol = XelGetDefaultTolerance();

  // f(x) = sin(3x) + 0.5 x - 0.2 at five abscissas in one call: values and slopes.
  XelMathTrigonometricX wave(0.0, 1.0, 0.0, 3.0, tol);
  const double line[2] = {-0.2, 0.5};
  XelMathPolynomX affine(1, line);
  const XelMathFunctionX* parts[2] = {&wave, &affine};
  const double weights[2] = {1.0, 1.0};
  XelMathCombinationX f(2, parts, weights, 0.0);
  const double x[5] = {-1.0, -0.3, 0.0, 0.7, 1.9};
  double value[5], slope[5];
  f.EvalPoints(5, x, 1 | 2, value, slope, nullptr);
  std::printf("sin(3x) + 0.5x - 0.2 by one batch call (each component called once):\n");
  for (int i = 0; i < 5; ++i)
    std::printf("   x = % .2f   f = % .15f   f' = % .15f   (closed form % .15f)\n", x[i],
                value[i], slope[i], std::sin(3 * x[i]) + 0.5 * x[i] - 0.2);

  // Integrals at relative 1e-10: the default doubling of equal pieces against the option
  // "AdaptiveIntegration".
  CountedIntegrand peak([](double t) { return std::exp(-1e4 * t * t); });
  CompareIntegrals("exp(-1e4 x^2) on [-1, 1] (a peak narrower than the first rules' nodes)",
                   peak, XelMathInterval(-1.0, 1.0), std::sqrt(XelPI) / 100.0);
  CountedIntegrand singular([](double t) { return 1.0 / std::sqrt(t); });
  CompareIntegrals("1/sqrt(x) on [0, 1] (a singular end)", singular, XelMathInterval(0.0, 1.0),
                   2.0);
  CountedIntegrand kink([](double t) { return std::fabs(t - 1.0 / 3.0); });
  CompareIntegrals("|x - 1/3| on [0, 1] (a kink)", kink, XelMathInterval(0.0, 1.0), 5.0 / 18.0);
}
