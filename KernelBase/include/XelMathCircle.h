#pragma once
// A circle of space: P(t) = center + radius * (cos(a) U + sin(a) V), a = scale * t + shift.
//
// U and V are the two orthonormal directions of the circle's plane (GetDirections); the
// constructor orthonormalises the two vectors it is given (Gram-Schmidt), keeping the
// direction of the first. Scale (default 1) and shift (default 0) relate the parameter to
// the angle. DistanceMin gives the distance from a point to the circle (the curve, not the
// disc) and the parameter of a nearest point; from a point on the axis every point of the
// circle is nearest and the parameter of the angle 0 is returned.
//
// A negative or non-finite radius, a null scale, or null or parallel directions raise
// XelMathInputError 0x20009.
#include "XelMathCurve.h"

class XELKERNELBASE_EXPORT XelMathCircle : public XelMathCurve {
public:
  /// The unit circle of the xy plane about the origin.
  XelMathCircle();
  XelMathCircle(const XelMathPoint& iCenter, double iRadius, const XelMathVector& iFirst,
                const XelMathVector& iSecond, double iScale = 1.0, double iShift = 0.0);
  XelMathCircle(const XelMathCircle& iOther);
  XelMathCircle& operator=(const XelMathCircle& iOther);
  ~XelMathCircle() override;

  const XelMathPoint& GetCenter() const { return _center; }
  double GetRadius() const { return _radius; }
  /// The orthonormal directions U and V of the plane.
  void GetDirections(XelMathVector& oFirst, XelMathVector& oSecond) const {
    oFirst = _first;
    oSecond = _second;
  }
  /// The unit normal U ^ V.
  XelMathVector GetNormal() const { return _first ^ _second; }
  double GetScale() const { return _scale; }
  double GetShift() const { return _shift; }

  const char* IsA() const override;
  int IsATypeOf(long iType) const override;
  XelMathPoint EvalPoint(double iT) const override;
  XelMathVector EvalFirstDeriv(double iT) const override;
  XelMathCurve* Duplicate() const override;

  /// Distance from iPoint to the circle.
  double DistanceMin(const XelMathPoint& iPoint) const;
  /// Distance from iPoint to the circle, and the parameter of a nearest point in oParam.
  double DistanceMin(const XelMathPoint& iPoint, double& oParam) const;

  long GetStaticMemoryBytes() const override;

private:
  XelMathPoint _center;
  double _radius;
  XelMathVector _first;
  XelMathVector _second;
  double _scale;
  double _shift;
};
