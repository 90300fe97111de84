#pragma once
// A vector of space (three double coordinates).
//
// Plain value type: copyable, no heap. Arithmetic: +, -, unary -, scalar * and /, the dot
// product (Dot, or `u * v`) and the cross product (Cross, or `u ^ v`). GetAngleTo gives the
// unsigned angle between two vectors in [0, pi] (0 when one of them is null); the variant
// with a reference direction gives a signed angle in (-pi, pi]. Coordinates are reached by
// GetX/GetY/GetZ, by SetX/SetY/SetZ/SetCoord, or by index 0..2 through operator[]; another
// index raises XelMathInputError 0x20007 "Wrong Index".
#include "XelMathInputError.h"

class XelMathPoint;

class XELKERNELBASE_EXPORT XelMathVector {
public:
  XelMathVector() : _coord{0.0, 0.0, 0.0} {}
  XelMathVector(double iX, double iY, double iZ) : _coord{iX, iY, iZ} {}
  /// From three coordinates at iCoords.
  explicit XelMathVector(const double* iCoords);
  /// The vector from the origin to iPoint.
  explicit XelMathVector(const XelMathPoint& iPoint);

  double GetX() const { return _coord[0]; }
  double GetY() const { return _coord[1]; }
  double GetZ() const { return _coord[2]; }
  void GetCoord(double& oX, double& oY, double& oZ) const {
    oX = _coord[0];
    oY = _coord[1];
    oZ = _coord[2];
  }
  /// Copies the three coordinates into oCoords.
  void GetCoord(double* oCoords) const;
  /// The address of the three coordinates.
  const double* GetCoords() const { return _coord; }
  void SetX(double iX) { _coord[0] = iX; }
  void SetY(double iY) { _coord[1] = iY; }
  void SetZ(double iZ) { _coord[2] = iZ; }
  void SetCoord(double iX, double iY, double iZ) {
    _coord[0] = iX;
    _coord[1] = iY;
    _coord[2] = iZ;
  }
  void SetCoord(const double* iCoords);

  /// Coordinate i (0, 1 or 2).
  double operator[](int i) const {
    if (i < 0 || i > 2)
      RaiseIndex();
    return _coord[i];
  }
  double& operator[](int i) {
    if (i < 0 || i > 2)
      RaiseIndex();
    return _coord[i];
  }

  double SquareNorm() const {
    return _coord[0] * _coord[0] + _coord[1] * _coord[1] + _coord[2] * _coord[2];
  }
  /// Euclidean norm (computed without overflow for large coordinates).
  double Norm() const;
  /// Makes the vector unit; returns its former norm. A null vector is left unchanged.
  double Normalize();
  double Dot(const XelMathVector& iOther) const {
    return _coord[0] * iOther._coord[0] + _coord[1] * iOther._coord[1] +
           _coord[2] * iOther._coord[2];
  }
  XelMathVector Cross(const XelMathVector& iOther) const {
    return XelMathVector(_coord[1] * iOther._coord[2] - _coord[2] * iOther._coord[1],
                         _coord[2] * iOther._coord[0] - _coord[0] * iOther._coord[2],
                         _coord[0] * iOther._coord[1] - _coord[1] * iOther._coord[0]);
  }
  /// Angle to iOther in [0, pi]; 0 when either vector is null.
  double GetAngleTo(const XelMathVector& iOther) const;
  /// Signed angle to iOther in (-pi, pi]: positive when (this ^ iOther) points along
  /// iReference.
  double GetAngleTo(const XelMathVector& iOther, const XelMathVector& iReference) const;

  XelMathVector operator-() const { return XelMathVector(-_coord[0], -_coord[1], -_coord[2]); }
  XelMathVector& operator+=(const XelMathVector& iOther) {
    for (int i = 0; i < 3; i++)
      _coord[i] += iOther._coord[i];
    return *this;
  }
  XelMathVector& operator-=(const XelMathVector& iOther) {
    for (int i = 0; i < 3; i++)
      _coord[i] -= iOther._coord[i];
    return *this;
  }
  XelMathVector& operator*=(double iFactor) {
    for (int i = 0; i < 3; i++)
      _coord[i] *= iFactor;
    return *this;
  }
  XelMathVector& operator/=(double iDivisor) {
    for (int i = 0; i < 3; i++)
      _coord[i] /= iDivisor;
    return *this;
  }
  bool operator==(const XelMathVector& iOther) const {
    return _coord[0] == iOther._coord[0] && _coord[1] == iOther._coord[1] &&
           _coord[2] == iOther._coord[2];
  }
  bool operator!=(const XelMathVector& iOther) const { return !(*this == iOther); }

private:
  [[noreturn]] static void RaiseIndex();
  double _coord[3];
};

inline XelMathVector operator+(XelMathVector iA, const XelMathVector& iB) {
  return iA += iB;
}
inline XelMathVector operator-(XelMathVector iA, const XelMathVector& iB) {
  return iA -= iB;
}
inline XelMathVector operator*(XelMathVector iA, double iFactor) {
  return iA *= iFactor;
}
inline XelMathVector operator*(double iFactor, XelMathVector iA) {
  return iA *= iFactor;
}
inline XelMathVector operator/(XelMathVector iA, double iDivisor) {
  return iA /= iDivisor;
}
/// Dot product.
inline double operator*(const XelMathVector& iA, const XelMathVector& iB) {
  return iA.Dot(iB);
}
/// Cross product.
inline XelMathVector operator^(const XelMathVector& iA, const XelMathVector& iB) {
  return iA.Cross(iB);
}
