// Square matrix of the Newton steps of the N-variable minimizer.
#include "XelMathNxNMatrixForNewtonBfgs.h"

XelMathNxNMatrixForNewtonBfgs::XelMathNxNMatrixForNewtonBfgs(const long iN)
    : XelMathNxNMatrix(iN) {}

XelMathNxNMatrixForNewtonBfgs::~XelMathNxNMatrixForNewtonBfgs() = default;

void XelMathNxNMatrixForNewtonBfgs::SetRowAndColumn(const long i) {
  const long n = _n;
  if (i < 0 || i >= n)
    return;
  for (long k = 0; k < n; ++k) {
    _coef[i * n + k] = 0.0;
    _coef[k * n + i] = 0.0;
  }
  _coef[i * n + i] = 1.0;
}
