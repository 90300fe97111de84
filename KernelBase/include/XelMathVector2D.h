#pragma once
// A vector of the plane (two double coordinates).
//
// Plain value type: copyable, no heap. Arithmetic: +, -, unary -, scalar * and /, the dot
// product (Dot, or `u * v`) and the scalar cross product x1*y2 - y1*x2 (Cross, or `u ^ v`).
// GetAngleTo gives the unsigned angle in [0, pi], GetSignedAngleTo the angle from this
// vector to the other in (-pi, pi], counterclockwise positive; both are 0 when a vector is
// null. Coordinates are reached by GetX/GetY, SetX/SetY/SetCoord, or by index 0..1 through
// operator[]; another index raises XelMathInputError 0x20007 "Wrong Index".
#include "XelMathInputError.h"

class XelMathPoint2D;

class XELKERNELBASE_EXPORT XelMathVector2D {
public:
  XelMathVector2D() : _coord{0.0, 0.0} {}
  XelMathVector2D(double iX, double iY) : _coord{iX, iY} {}
  /// From two coordinates at iCoords.
  explicit XelMathVector2D(const double* iCoords);
  /// The vector from the origin to iPoint.
  explicit XelMathVector2D(const XelMathPoint2D& iPoint);

  double GetX() const { return _coord[0]; }
  double GetY() const { return _coord[1]; }
  void GetCoord(double& oX, double& oY) const {
    oX = _coord[0];
    oY = _coord[1];
  }
  /// Copies the two coordinates into oCoords.
  void GetCoord(double* oCoords) const {
    oCoords[0] = _coord[0];
    oCoords[1] = _coord[1];
  }
  /// The address of the two coordinates.
  const double* GetCoords() const { return _coord; }
  void SetX(double iX) { _coord[0] = iX; }
  void SetY(double iY) { _coord[1] = iY; }
  void SetCoord(double iX, double iY) {
    _coord[0] = iX;
    _coord[1] = iY;
  }
  void SetCoord(const double* iCoords) {
    _coord[0] = iCoords[0];
    _coord[1] = iCoords[1];
  }

  /// Coordinate i (0 or 1).
  double operator[](int i) const {
    if (i < 0 || i > 1)
      RaiseIndex();
    return _coord[i];
  }
  double& operator[](int i) {
    if (i < 0 || i > 1)
      RaiseIndex();
    return _coord[i];
  }

  double SquareNorm() const { return _coord[0] * _coord[0] + _coord[1] * _coord[1]; }
  /// Euclidean norm (computed without overflow for large coordinates).
  double Norm() const;
  /// Makes the vector unit; returns its former norm. A null vector is left unchanged.
  double Normalize();
  double Dot(const XelMathVector2D& iOther) const {
    return _coord[0] * iOther._coord[0] + _coord[1] * iOther._coord[1];
  }
  /// The scalar cross product x * iOther.y - y * iOther.x.
  double Cross(const XelMathVector2D& iOther) const {
    return _coord[0] * iOther._coord[1] - _coord[1] * iOther._coord[0];
  }
  /// Angle to iOther in [0, pi]; 0 when either vector is null.
  double GetAngleTo(const XelMathVector2D& iOther) const;
  /// Counterclockwise angle from this vector to iOther in (-pi, pi]; 0 when either is null.
  double GetSignedAngleTo(const XelMathVector2D& iOther) const;

  XelMathVector2D operator-() const { return XelMathVector2D(-_coord[0], -_coord[1]); }
  XelMathVector2D& operator+=(const XelMathVector2D& iOther) {
    _coord[0] += iOther._coord[0];
    _coord[1] += iOther._coord[1];
    return *this;
  }
  XelMathVector2D& operator-=(const XelMathVector2D& iOther) {
    _coord[0] -= iOther._coord[0];
    _coord[1] -= iOther._coord[1];
    return *this;
  }
  XelMathVector2D& operator*=(double iFactor) {
    _coord[0] *= iFactor;
    _coord[1] *= iFactor;
    return *this;
  }
  XelMathVector2D& operator/=(double iDivisor) {
    _coord[0] /= iDivisor;
    _coord[1] /= iDivisor;
    return *this;
  }
  bool operator==(const XelMathVector2D& iOther) const {
    return _coord[0] == iOther._coord[0] && _coord[1] == iOther._coord[1];
  }
  bool operator!=(const XelMathVector2D& iOther) const { return !(*this == iOther); }

private:
  [[noreturn]] static void RaiseIndex();
  double _coord[2];
};

inline XelMathVector2D operator+(XelMathVector2D iA, const XelMathVector2D& iB) {
  return iA += iB;
}
inline XelMathVector2D operator-(XelMathVector2D iA, const XelMathVector2D& iB) {
  return iA -= iB;
}
inline XelMathVector2D operator*(XelMathVector2D iA, double iFactor) {
  return iA *= iFactor;
}
inline XelMathVector2D operator*(double iFactor, XelMathVector2D iA) {
  return iA *= iFactor;
}
inline XelMathVector2D operator/(XelMathVector2D iA, double iDivisor) {
  return iA /= iDivisor;
}
/// Dot product.
inline double operator*(const XelMathVector2D& iA, const XelMathVector2D& iB) {
  return iA.Dot(iB);
}
/// Scalar cross product.
inline double operator^(const XelMathVector2D& iA, const XelMathVector2D& iB) {
  return iA.Cross(iB);
}
