#pragma once
// An affine map of the plane: x -> A x + t, with A a 2 x 2 matrix and t a translation.
//
// The six coefficients (GetCoef, SetCoef, the constructor from an array) are the rows of
// the 2 x 3 matrix [A | t] in order: A00 A01 t0, A10 A11 t1. The default is the identity.
// Composition: (T1 * T2)(x) = T1(T2(x)), T2 applied first. `T * point` is the image of a
// point, `T * vector` the image of a vector (linear part only). Inverse reports a singular
// map through its status. Objects are created with new by their owners (pooled, counted).
#include "XelMathPoint2D.h"
#include "XelQuorVirtual.h"

class XELKERNELBASE_EXPORT XelMathTransformation2D : public XelQuorVirtual {
public:
  /// The identity.
  XelMathTransformation2D();
  /// From the six coefficients of [A | t] in row order.
  explicit XelMathTransformation2D(const double* iCoefs);
  XelMathTransformation2D(const XelMathTransformation2D& iOther);
  XelMathTransformation2D& operator=(const XelMathTransformation2D& iOther);
  ~XelMathTransformation2D() override;

  /// The six coefficients of [A | t] in row order.
  void GetCoef(double* oCoefs) const;
  void SetCoef(const double* iCoefs);
  /// Coefficient k (0..5) of that order; another k raises 0x20007 "Wrong Index".
  double GetCoef(int k) const;
  void SetCoef(int k, double iValue);
  /// The translation t.
  XelMathVector2D GetVector() const { return XelMathVector2D(_coef[2], _coef[5]); }
  void SetVector(const XelMathVector2D& iVector) { SetVector(iVector.GetX(), iVector.GetY()); }
  void SetVector(double iX, double iY) {
    _coef[2] = iX;
    _coef[5] = iY;
  }

  XelMathPoint2D operator*(const XelMathPoint2D& iPoint) const {
    double x = iPoint.GetX(), y = iPoint.GetY();
    return XelMathPoint2D(_coef[0] * x + _coef[1] * y + _coef[2],
                          _coef[3] * x + _coef[4] * y + _coef[5]);
  }
  /// Linear part applied to a vector.
  XelMathVector2D operator*(const XelMathVector2D& iVector) const {
    double x = iVector.GetX(), y = iVector.GetY();
    return XelMathVector2D(_coef[0] * x + _coef[1] * y, _coef[3] * x + _coef[4] * y);
  }
  /// Composition: iOther applied first, then this transformation.
  XelMathTransformation2D operator*(const XelMathTransformation2D& iOther) const;
  bool operator==(const XelMathTransformation2D& iOther) const;
  bool operator!=(const XelMathTransformation2D& iOther) const { return !(*this == iOther); }

  double Determinant() const { return _coef[0] * _coef[4] - _coef[1] * _coef[3]; }
  /// The inverse map in oInverse; returns 0, or 1 (oInverse untouched) when A is singular.
  int Inverse(XelMathTransformation2D& oInverse) const;
  /// Whether every coefficient is within iTolerance of the identity's.
  bool IsIdentity(double iTolerance = 0.0) const;

  long GetStaticMemoryBytes() const override;

private:
  double _coef[6];
};
