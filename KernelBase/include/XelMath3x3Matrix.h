#pragma once
// A 3 x 3 matrix of doubles (row-major), the linear part of a XelMathTransformation.
//
// Plain value type. The default matrix is the identity. Coefficients are reached by
// GetCoef/SetCoef with row and column in 0..2 (another index raises XelMathInputError
// 0x20007 "Wrong Index"), or as nine values in row order. Products with a vector and with
// another matrix, transpose, determinant and inverse (the inverse reports a singular matrix
// through its status instead of raising).
#include "XelMathVector.h"

class XELKERNELBASE_EXPORT XelMath3x3Matrix {
public:
  /// The identity.
  XelMath3x3Matrix();
  /// From nine coefficients in row order.
  explicit XelMath3x3Matrix(const double* iCoefs);
  /// The matrix whose columns are iColumn0, iColumn1, iColumn2.
  XelMath3x3Matrix(const XelMathVector& iColumn0, const XelMathVector& iColumn1,
                   const XelMathVector& iColumn2);

  /// Coefficient at row i, column j.
  double GetCoef(int i, int j) const {
    if (i < 0 || i > 2 || j < 0 || j > 2)
      RaiseIndex("XelMath3x3Matrix::GetCoef");
    return _coef[3 * i + j];
  }
  /// The nine coefficients in row order.
  void GetCoef(double* oCoefs) const;
  void SetCoef(int i, int j, double iValue) {
    if (i < 0 || i > 2 || j < 0 || j > 2)
      RaiseIndex("XelMath3x3Matrix::SetCoef");
    _coef[3 * i + j] = iValue;
  }
  /// Sets the nine coefficients from row order.
  void SetCoef(const double* iCoefs);
  /// The address of the nine coefficients in row order.
  const double* GetCoefs() const { return _coef; }
  XelMathVector GetRow(int i) const;
  XelMathVector GetColumn(int j) const;

  XelMathVector operator*(const XelMathVector& iVector) const {
    const double* v = iVector.GetCoords();
    return XelMathVector(_coef[0] * v[0] + _coef[1] * v[1] + _coef[2] * v[2],
                         _coef[3] * v[0] + _coef[4] * v[1] + _coef[5] * v[2],
                         _coef[6] * v[0] + _coef[7] * v[1] + _coef[8] * v[2]);
  }
  /// Product with the vector of the three values at iIn, written to oOut (may alias iIn).
  void Multiply(const double* iIn, double* oOut) const;
  XelMath3x3Matrix operator*(const XelMath3x3Matrix& iOther) const;
  XelMath3x3Matrix operator+(const XelMath3x3Matrix& iOther) const;
  XelMath3x3Matrix operator-(const XelMath3x3Matrix& iOther) const;
  XelMath3x3Matrix operator*(double iFactor) const;
  bool operator==(const XelMath3x3Matrix& iOther) const;
  bool operator!=(const XelMath3x3Matrix& iOther) const { return !(*this == iOther); }

  XelMath3x3Matrix Transpose() const;
  double Determinant() const;
  /// The inverse in oInverse; returns 0, or 1 (oInverse untouched) when the matrix is
  /// singular or not finite.
  int Inverse(XelMath3x3Matrix& oInverse) const;
  /// Largest absolute coefficient.
  double MaxNorm() const;

private:
  [[noreturn]] static void RaiseIndex(const char* iWhere);
  double _coef[9];
};
