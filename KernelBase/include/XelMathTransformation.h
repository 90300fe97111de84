#pragma once
// An affine map of space: x -> A x + t, with A a 3 x 3 matrix and t a translation.
//
// The twelve coefficients (GetCoef, SetCoef, the constructor from an array) are the rows of
// the 3 x 4 matrix [A | t] in order: A00 A01 A02 t0, A10 A11 A12 t1, A20 A21 A22 t2, so that
// output coordinate i is A_i0 x0 + A_i1 x1 + A_i2 x2 + t_i. The default is the identity.
// Composition: (T1 * T2)(x) = T1(T2(x)), T2 applied first. `T * point` is the image of a
// point, `T * vector` the image of a vector (linear part only). Inverse reports a singular
// map through its status. Objects are created with new by their owners (pooled, counted).
#include "XelMath3x3Matrix.h"
#include "XelMathPoint.h"
#include "XelQuorVirtual.h"

class XELKERNELBASE_EXPORT XelMathTransformation : public XelQuorVirtual {
public:
  /// The identity.
  XelMathTransformation();
  /// From the twelve coefficients of [A | t] in row order.
  explicit XelMathTransformation(const double* iCoefs);
  XelMathTransformation(const XelMath3x3Matrix& iMatrix, const XelMathVector& iVector);
  XelMathTransformation(const XelMathTransformation& iOther);
  XelMathTransformation& operator=(const XelMathTransformation& iOther);
  ~XelMathTransformation() override;

  /// The twelve coefficients of [A | t] in row order.
  void GetCoef(double* oCoefs) const;
  void SetCoef(const double* iCoefs);
  /// The linear part A.
  const XelMath3x3Matrix& GetMatrix() const { return _matrix; }
  /// The translation t.
  const XelMathVector& GetVector() const { return _vector; }
  void SetMatrix(const XelMath3x3Matrix& iMatrix) { _matrix = iMatrix; }
  void SetVector(const XelMathVector& iVector) { _vector = iVector; }

  /// Image of the point at iIn (three values) into oOut (may alias iIn).
  void Apply(const double* iIn, double* oOut) const;
  XelMathPoint operator*(const XelMathPoint& iPoint) const;
  /// Linear part applied to a vector.
  XelMathVector operator*(const XelMathVector& iVector) const { return _matrix * iVector; }
  /// Composition: iOther applied first, then this transformation.
  XelMathTransformation operator*(const XelMathTransformation& iOther) const;
  bool operator==(const XelMathTransformation& iOther) const;
  bool operator!=(const XelMathTransformation& iOther) const { return !(*this == iOther); }

  /// The inverse map in oInverse; returns 0, or 1 (oInverse untouched) when A is singular.
  int Inverse(XelMathTransformation& oInverse) const;
  /// Whether every coefficient is within iTolerance of the identity's.
  bool IsIdentity(double iTolerance = 0.0) const;

  long GetStaticMemoryBytes() const override;

private:
  XelMath3x3Matrix _matrix;
  XelMathVector _vector;
};
