#include "XelMathTransformation.h"

#include <cmath>

XelMathTransformation::XelMathTransformation() = default;

XelMathTransformation::XelMathTransformation(const double* iCoefs) {
  SetCoef(iCoefs);
}

XelMathTransformation::XelMathTransformation(const XelMath3x3Matrix& iMatrix,
                                             const XelMathVector& iVector)
    : _matrix(iMatrix), _vector(iVector) {}

XelMathTransformation::XelMathTransformation(const XelMathTransformation& iOther)
    : XelQuorVirtual(iOther), _matrix(iOther._matrix), _vector(iOther._vector) {}

XelMathTransformation& XelMathTransformation::operator=(const XelMathTransformation& iOther) {
  _matrix = iOther._matrix;
  _vector = iOther._vector;
  return *this;
}

XelMathTransformation::~XelMathTransformation() = default;

void XelMathTransformation::GetCoef(double* oCoefs) const {
  for (int i = 0; i < 3; i++) {
    for (int j = 0; j < 3; j++)
      oCoefs[4 * i + j] = _matrix.GetCoefs()[3 * i + j];
    oCoefs[4 * i + 3] = _vector.GetCoords()[i];
  }
}

void XelMathTransformation::SetCoef(const double* iCoefs) {
  double linear[9];
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++)
      linear[3 * i + j] = iCoefs[4 * i + j];
  _matrix.SetCoef(linear);
  _vector.SetCoord(iCoefs[3], iCoefs[7], iCoefs[11]);
}

void XelMathTransformation::Apply(const double* iIn, double* oOut) const {
  _matrix.Multiply(iIn, oOut);
  for (int i = 0; i < 3; i++)
    oOut[i] += _vector.GetCoords()[i];
}

XelMathPoint XelMathTransformation::operator*(const XelMathPoint& iPoint) const {
  double image[3];
  Apply(iPoint.GetCoords(), image);
  return XelMathPoint(image);
}

XelMathTransformation XelMathTransformation::operator*(const XelMathTransformation& iOther) const {
  // A1 (A2 x + t2) + t1 = (A1 A2) x + (A1 t2 + t1)
  return XelMathTransformation(_matrix * iOther._matrix, _matrix * iOther._vector + _vector);
}

bool XelMathTransformation::operator==(const XelMathTransformation& iOther) const {
  return _matrix == iOther._matrix && _vector == iOther._vector;
}

int XelMathTransformation::Inverse(XelMathTransformation& oInverse) const {
  XelMath3x3Matrix inverse;
  if (_matrix.Inverse(inverse))
    return 1;
  oInverse._matrix = inverse;
  oInverse._vector = -(inverse * _vector);
  return 0;
}

bool XelMathTransformation::IsIdentity(double iTolerance) const {
  XelMath3x3Matrix identity;
  for (int k = 0; k < 9; k++)
    if (!(std::fabs(_matrix.GetCoefs()[k] - identity.GetCoefs()[k]) <= iTolerance))
      return false;
  for (int i = 0; i < 3; i++)
    if (!(std::fabs(_vector.GetCoords()[i]) <= iTolerance))
      return false;
  return true;
}

long XelMathTransformation::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
