// Dense rectangular matrix built from any matrix kind.
#include "XelMathMxNFullMatrix.h"

XelMathMxNFullMatrix::XelMathMxNFullMatrix() = default;

XelMathMxNFullMatrix::XelMathMxNFullMatrix(const long iM, const long iN)
    : XelMathMxNMatrix(iM, iN) {}

XelMathMxNFullMatrix::XelMathMxNFullMatrix(const XelMathMxNMatrix* iA) {
  if (!iA)
    return;
  long m = 0, n = 0;
  iA->GetSizeOfMatrix(m, n);
  Resize(m, n);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      _coef[i * n + j] = iA->GetCoef(i, j);
}

XelMathMxNFullMatrix::~XelMathMxNFullMatrix() = default;
