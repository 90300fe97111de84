// Packed symmetric matrix with the BFGS update of the quasi-Newton method.
#include "XelMathNxNFullSymMatrixForBfgs.h"

#include "XelTolerance.h"

XelMathNxNFullSymMatrixForBfgs::XelMathNxNFullSymMatrixForBfgs(const long iN)
    : XelMathNxNFullSymMatrix(iN) {}

XelMathNxNFullSymMatrixForBfgs::~XelMathNxNFullSymMatrixForBfgs() = default;

int XelMathNxNFullSymMatrixForBfgs::UpdateH(const double iA, const double iB, const double* iS,
                                            const double* iY, double* oW) {
  const long n = GetSizeOfMatrix();
  Multiply(iS, oW);
  double sy = 0.0, sHs = 0.0;
  for (long i = 0; i < n; ++i) {
    sy += iS[i] * iY[i];
    sHs += iS[i] * oW[i];
  }
  const double eps = XelGetDefaultTolerance().GetSymmetryEpsilon();
  if (!(sy * sy > eps * eps * iA * iB) || !(sHs * sHs > eps * eps * iB * iB))
    return 0;
  for (long i = 0; i < n; ++i) {
    double* row = _packed + i * (i + 1) / 2;
    for (long j = 0; j <= i; ++j)
      row[j] += iY[i] * iY[j] / sy - oW[i] * oW[j] / sHs;
  }
  return 1;
}

void XelMathNxNFullSymMatrixForBfgs::GetAllCoef(double* oCoefs) const {
  const long n = GetSizeOfMatrix();
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      oCoefs[i * n + j] = GetCoef(i, j);
}
