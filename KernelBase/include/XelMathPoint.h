#pragma once
// A point of space (three double coordinates).
//
// Plain value type: copyable, no heap. DistanceTo and SquareDistanceTo give the Euclidean
// distance to another point and its square. Arithmetic: point - point is a vector, point
// +/- vector is a point; point + point and scalar * point are also offered for barycentric
// combinations. Coordinates are reached by GetX/GetY/GetZ, SetX/SetY/SetZ/SetCoord, or by
// index 0..2 through operator[]; another index raises XelMathInputError 0x20007
// "Wrong Index".
#include "XelMathVector.h"

class XELKERNELBASE_EXPORT XelMathPoint {
public:
  XelMathPoint() : _coord{0.0, 0.0, 0.0} {}
  XelMathPoint(double iX, double iY, double iZ) : _coord{iX, iY, iZ} {}
  /// From three coordinates at iCoords.
  explicit XelMathPoint(const double* iCoords);
  /// The end of iVector drawn from the origin.
  explicit XelMathPoint(const XelMathVector& iVector)
      : _coord{iVector.GetX(), iVector.GetY(), iVector.GetZ()} {}

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

  double SquareDistanceTo(const XelMathPoint& iOther) const {
    double dx = _coord[0] - iOther._coord[0], dy = _coord[1] - iOther._coord[1],
           dz = _coord[2] - iOther._coord[2];
    return dx * dx + dy * dy + dz * dz;
  }
  /// Euclidean distance (computed without overflow for large coordinates).
  double DistanceTo(const XelMathPoint& iOther) const;

  XelMathPoint& operator+=(const XelMathVector& iVector) {
    for (int i = 0; i < 3; i++)
      _coord[i] += iVector.GetCoords()[i];
    return *this;
  }
  XelMathPoint& operator-=(const XelMathVector& iVector) {
    for (int i = 0; i < 3; i++)
      _coord[i] -= iVector.GetCoords()[i];
    return *this;
  }
  XelMathPoint& operator+=(const XelMathPoint& iPoint) {
    for (int i = 0; i < 3; i++)
      _coord[i] += iPoint._coord[i];
    return *this;
  }
  XelMathPoint& operator*=(double iFactor) {
    for (int i = 0; i < 3; i++)
      _coord[i] *= iFactor;
    return *this;
  }
  bool operator==(const XelMathPoint& iOther) const {
    return _coord[0] == iOther._coord[0] && _coord[1] == iOther._coord[1] &&
           _coord[2] == iOther._coord[2];
  }
  bool operator!=(const XelMathPoint& iOther) const { return !(*this == iOther); }

private:
  [[noreturn]] static void RaiseIndex();
  double _coord[3];
};

/// The vector from iB to iA.
inline XelMathVector operator-(const XelMathPoint& iA, const XelMathPoint& iB) {
  return XelMathVector(iA.GetX() - iB.GetX(), iA.GetY() - iB.GetY(), iA.GetZ() - iB.GetZ());
}
inline XelMathPoint operator+(XelMathPoint iA, const XelMathVector& iV) {
  return iA += iV;
}
inline XelMathPoint operator-(XelMathPoint iA, const XelMathVector& iV) {
  return iA -= iV;
}
inline XelMathPoint operator+(XelMathPoint iA, const XelMathPoint& iB) {
  return iA += iB;
}
inline XelMathPoint operator*(XelMathPoint iA, double iFactor) {
  return iA *= iFactor;
}
inline XelMathPoint operator*(double iFactor, XelMathPoint iA) {
  return iA *= iFactor;
}

/// The origin.
XELKERNELBASE_EXPORT extern const XelMathPoint XelMathO;
