#pragma once
// A plane of space: P(u, v) = origin + u * first + v * second.
//
// Built from a point and two vectors, which need not be orthogonal nor unit. GetNormal is
// the unit normal first ^ second. Project gives the parameters (u, v) of the orthogonal
// projection of a point (a least-squares solve on the two directions) and DistanceTo the
// signed distance along the normal. Null or parallel directions raise XelMathInputError
// 0x20009. Planes are created with new by their owners (pooled, counted).
#include "XelMathPoint.h"
#include "XelQuorVirtual.h"

class XELKERNELBASE_EXPORT XelMathPlane : public XelQuorVirtual {
public:
  /// The xy plane.
  XelMathPlane();
  XelMathPlane(const XelMathPoint& iOrigin, const XelMathVector& iFirst,
               const XelMathVector& iSecond);
  XelMathPlane(const XelMathPlane& iOther);
  XelMathPlane& operator=(const XelMathPlane& iOther);
  ~XelMathPlane() override;

  void Set(const XelMathPoint& iOrigin, const XelMathVector& iFirst, const XelMathVector& iSecond);
  const XelMathPoint& GetOrigin() const { return _origin; }
  const XelMathVector& GetFirstDirection() const { return _first; }
  const XelMathVector& GetSecondDirection() const { return _second; }
  void GetDirections(XelMathVector& oFirst, XelMathVector& oSecond) const {
    oFirst = _first;
    oSecond = _second;
  }
  /// The unit normal.
  const XelMathVector& GetNormal() const { return _normal; }

  XelMathPoint EvalPoint(double iU, double iV) const {
    return _origin + iU * _first + iV * _second;
  }
  /// Parameters of the orthogonal projection of iPoint.
  void Project(const XelMathPoint& iPoint, double& oU, double& oV) const;
  /// Signed distance from iPoint to the plane, positive on the side of the normal.
  double DistanceTo(const XelMathPoint& iPoint) const { return (iPoint - _origin) * _normal; }

  long GetStaticMemoryBytes() const override;

private:
  XelMathPoint _origin;
  XelMathVector _first;
  XelMathVector _second;
  XelMathVector _normal;
};
