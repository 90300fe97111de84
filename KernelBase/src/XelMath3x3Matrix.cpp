#include "XelMath3x3Matrix.h"

#include "XelKernelInternalConstants.h"
#include <cmath>

XelMath3x3Matrix::XelMath3x3Matrix() : _coef{1, 0, 0, 0, 1, 0, 0, 0, 1} {}

XelMath3x3Matrix::XelMath3x3Matrix(const double* iCoefs) {
  SetCoef(iCoefs);
}

XelMath3x3Matrix::XelMath3x3Matrix(const XelMathVector& iColumn0, const XelMathVector& iColumn1,
                                   const XelMathVector& iColumn2) {
  const XelMathVector* columns[3] = {&iColumn0, &iColumn1, &iColumn2};
  for (int j = 0; j < 3; j++)
    for (int i = 0; i < 3; i++)
      _coef[3 * i + j] = columns[j]->GetCoords()[i];
}

void XelMath3x3Matrix::RaiseIndex(const char* iWhere) {
  XelMathRaise(XelErrorCode::WrongIndex, "the row or column of a XelMath3x3Matrix", "Wrong Index",
               iWhere);
}

void XelMath3x3Matrix::GetCoef(double* oCoefs) const {
  for (int k = 0; k < 9; k++)
    oCoefs[k] = _coef[k];
}

void XelMath3x3Matrix::SetCoef(const double* iCoefs) {
  for (int k = 0; k < 9; k++)
    _coef[k] = iCoefs[k];
}

XelMathVector XelMath3x3Matrix::GetRow(int i) const {
  if (i < 0 || i > 2)
    RaiseIndex("XelMath3x3Matrix::GetRow");
  return XelMathVector(_coef + 3 * i);
}

XelMathVector XelMath3x3Matrix::GetColumn(int j) const {
  if (j < 0 || j > 2)
    RaiseIndex("XelMath3x3Matrix::GetColumn");
  return XelMathVector(_coef[j], _coef[3 + j], _coef[6 + j]);
}

void XelMath3x3Matrix::Multiply(const double* iIn, double* oOut) const {
  double x = iIn[0], y = iIn[1], z = iIn[2];
  for (int i = 0; i < 3; i++)
    oOut[i] = _coef[3 * i] * x + _coef[3 * i + 1] * y + _coef[3 * i + 2] * z;
}

XelMath3x3Matrix XelMath3x3Matrix::operator*(const XelMath3x3Matrix& iOther) const {
  XelMath3x3Matrix product;
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++) {
      double sum = 0.0;
      for (int k = 0; k < 3; k++)
        sum += _coef[3 * i + k] * iOther._coef[3 * k + j];
      product._coef[3 * i + j] = sum;
    }
  return product;
}

XelMath3x3Matrix XelMath3x3Matrix::operator+(const XelMath3x3Matrix& iOther) const {
  XelMath3x3Matrix sum;
  for (int k = 0; k < 9; k++)
    sum._coef[k] = _coef[k] + iOther._coef[k];
  return sum;
}

XelMath3x3Matrix XelMath3x3Matrix::operator-(const XelMath3x3Matrix& iOther) const {
  XelMath3x3Matrix difference;
  for (int k = 0; k < 9; k++)
    difference._coef[k] = _coef[k] - iOther._coef[k];
  return difference;
}

XelMath3x3Matrix XelMath3x3Matrix::operator*(double iFactor) const {
  XelMath3x3Matrix scaled;
  for (int k = 0; k < 9; k++)
    scaled._coef[k] = _coef[k] * iFactor;
  return scaled;
}

bool XelMath3x3Matrix::operator==(const XelMath3x3Matrix& iOther) const {
  for (int k = 0; k < 9; k++)
    if (_coef[k] != iOther._coef[k])
      return false;
  return true;
}

XelMath3x3Matrix XelMath3x3Matrix::Transpose() const {
  XelMath3x3Matrix transpose;
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++)
      transpose._coef[3 * j + i] = _coef[3 * i + j];
  return transpose;
}

double XelMath3x3Matrix::Determinant() const {
  const double* a = _coef;
  return a[0] * (a[4] * a[8] - a[5] * a[7]) - a[1] * (a[3] * a[8] - a[5] * a[6]) +
         a[2] * (a[3] * a[7] - a[4] * a[6]);
}

double XelMath3x3Matrix::MaxNorm() const {
  double norm = 0.0;
  for (int k = 0; k < 9; k++)
    norm = std::fmax(norm, std::fabs(_coef[k]));
  return norm;
}

int XelMath3x3Matrix::Inverse(XelMath3x3Matrix& oInverse) const {
  // Adjugate over determinant; singular when the determinant is negligible against the
  // product of the row norms (a scale-free test).
  const double* a = _coef;
  double cofactor[9] = {
      a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
      a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
      a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]};
  double determinant = a[0] * cofactor[0] + a[1] * cofactor[3] + a[2] * cofactor[6];
  double rows = 1.0;
  for (int i = 0; i < 3; i++)
    rows *= GetRow(i).Norm();
  if (!std::isfinite(determinant) || !std::isfinite(rows) || rows == 0.0 ||
      std::fabs(determinant) <= 1e-14 * rows)
    return 1;
  for (int k = 0; k < 9; k++)
    oInverse._coef[k] = cofactor[k] / determinant;
  return 0;
}
