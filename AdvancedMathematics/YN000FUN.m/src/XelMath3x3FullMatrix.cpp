// Dense 3 x 3 matrix of the matrix classes.
#include "XelMath3x3FullMatrix.h"

XelMath3x3FullMatrix::XelMath3x3FullMatrix() : XelMathNxNMatrix(3, 0.0) {}

XelMath3x3FullMatrix::XelMath3x3FullMatrix(const XelMath3x3Matrix& iM)
    : XelMathNxNMatrix(3, iM.GetCoefs()) {}

XelMath3x3FullMatrix::~XelMath3x3FullMatrix() = default;

XelMath3x3Matrix XelMath3x3FullMatrix::GetMath3x3Matrix() const {
  double coefs[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j)
      coefs[3 * i + j] = GetCoef(i, j);
  return XelMath3x3Matrix(coefs);
}
