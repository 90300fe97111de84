#pragma once
// A point of the plane (two double coordinates).
//
// Plain value type: copyable, no heap. DistanceTo and SquareDistanceTo give the Euclidean
// distance to another point and its square. Arithmetic: point - point is a vector, point
// +/- vector is a point; point + point and scalar * point are also offered for barycentric
// combinations. Coordinates are reached by GetX/GetY, SetX/SetY/SetCoord, or by index 0..1
// through operator[]; another index raises XelMathInputError 0x20007 "Wrong Index".
#include "XelMathVector2D.h"

class XELKERNELBASE_EXPORT XelMathPoint2D {
public:
  XelMathPoint2D() : _coord{0.0, 0.0} {}
  XelMathPoint2D(double iX, double iY) : _coord{iX, iY} {}
  /// From two coordinates at iCoords.
  explicit XelMathPoint2D(const double* iCoords) : _coord{iCoords[0], iCoords[1]} {}
  /// The end of iVector drawn from the origin.
  explicit XelMathPoint2D(const XelMathVector2D& iVector)
      : _coord{iVector.GetX(), iVector.GetY()} {}

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

  double SquareDistanceTo(const XelMathPoint2D& iOther) const {
    double dx = _coord[0] - iOther._coord[0], dy = _coord[1] - iOther._coord[1];
    return dx * dx + dy * dy;
  }
  /// Euclidean distance (computed without overflow for large coordinates).
  double DistanceTo(const XelMathPoint2D& iOther) const;

  XelMathPoint2D& operator+=(const XelMathVector2D& iVector) {
    _coord[0] += iVector.GetX();
    _coord[1] += iVector.GetY();
    return *this;
  }
  XelMathPoint2D& operator-=(const XelMathVector2D& iVector) {
    _coord[0] -= iVector.GetX();
    _coord[1] -= iVector.GetY();
    return *this;
  }
  XelMathPoint2D& operator+=(const XelMathPoint2D& iPoint) {
    _coord[0] += iPoint._coord[0];
    _coord[1] += iPoint._coord[1];
    return *this;
  }
  XelMathPoint2D& operator*=(double iFactor) {
    _coord[0] *= iFactor;
    _coord[1] *= iFactor;
    return *this;
  }
  bool operator==(const XelMathPoint2D& iOther) const {
    return _coord[0] == iOther._coord[0] && _coord[1] == iOther._coord[1];
  }
  bool operator!=(const XelMathPoint2D& iOther) const { return !(*this == iOther); }

private:
  [[noreturn]] static void RaiseIndex();
  double _coord[2];
};

/// The vector from iB to iA.
inline XelMathVector2D operator-(const XelMathPoint2D& iA, const XelMathPoint2D& iB) {
  return XelMathVector2D(iA.GetX() - iB.GetX(), iA.GetY() - iB.GetY());
}
inline XelMathPoint2D operator+(XelMathPoint2D iA, const XelMathVector2D& iV) {
  return iA += iV;
}
inline XelMathPoint2D operator-(XelMathPoint2D iA, const XelMathVector2D& iV) {
  return iA -= iV;
}
inline XelMathPoint2D operator+(XelMathPoint2D iA, const XelMathPoint2D& iB) {
  return iA += iB;
}
inline XelMathPoint2D operator*(XelMathPoint2D iA, double iFactor) {
  return iA *= iFactor;
}
inline XelMathPoint2D operator*(double iFactor, XelMathPoint2D iA) {
  return iA *= iFactor;
}
