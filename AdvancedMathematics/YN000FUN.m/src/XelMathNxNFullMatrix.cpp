// Dense square matrix built from any square matrix kind.
#include "XelMathNxNFullMatrix.h"

#include "XelMathNxNFullSymMatrix.h"

namespace {

void CopyInto(const XelMathMxNMatrix* iA, long iN, double* oCoef) {
  long m = 0, n = 0;
  if (iA)
    iA->GetSizeOfMatrix(m, n);
  for (long i = 0; i < iN; ++i)
    for (long j = 0; j < iN; ++j)
      oCoef[i * iN + j] = i < m && j < n ? iA->GetCoef(i, j) : 0.0;
}

} // namespace

XelMathNxNFullMatrix::XelMathNxNFullMatrix() = default;

XelMathNxNFullMatrix::XelMathNxNFullMatrix(const long iN) : XelMathNxNMatrix(iN) {}

XelMathNxNFullMatrix::XelMathNxNFullMatrix(const XelMathMxNMatrix* iA, const long iN)
    : XelMathNxNMatrix(iN) {
  CopyInto(iA, iN, _coef);
}

XelMathNxNFullMatrix::XelMathNxNFullMatrix(const XelMathNxNMatrix* iA, const long iN)
    : XelMathNxNMatrix(iN) {
  CopyInto(iA, iN, _coef);
}

XelMathNxNFullMatrix::XelMathNxNFullMatrix(const XelMathNxNFullSymMatrix* iA, const long iN)
    : XelMathNxNMatrix(iN) {
  CopyInto(iA, iN, _coef);
}

XelMathNxNFullMatrix::~XelMathNxNFullMatrix() = default;
