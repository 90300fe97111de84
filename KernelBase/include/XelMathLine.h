#pragma once
// A straight line of space: P(t) = origin + t * direction.
//
// The direction need not be unit: GetScale gives its norm, the length of one unit of
// parameter. Project gives the parameter of the orthogonal projection of a point and
// DistanceTo the distance from a point to the (unbounded) line. A line with a null
// direction degenerates into its origin: Project answers 0 and DistanceTo the distance to
// the origin.
#include "XelMathCurve.h"

class XELKERNELBASE_EXPORT XelMathLine : public XelMathCurve {
public:
  /// The x axis.
  XelMathLine();
  XelMathLine(const XelMathPoint& iOrigin, const XelMathVector& iDirection);
  XelMathLine(const XelMathLine& iOther);
  XelMathLine& operator=(const XelMathLine& iOther);
  ~XelMathLine() override;

  void Set(const XelMathPoint& iOrigin, const XelMathVector& iDirection);
  const XelMathPoint& GetOrigin() const { return _origin; }
  const XelMathVector& GetDirection() const { return _direction; }
  /// Norm of the direction.
  double GetScale() const { return _direction.Norm(); }

  const char* IsA() const override;
  int IsATypeOf(long iType) const override;
  XelMathPoint EvalPoint(double iT) const override { return _origin + iT * _direction; }
  XelMathVector EvalFirstDeriv(double iT) const override;
  XelMathCurve* Duplicate() const override;

  /// Parameter of the orthogonal projection of iPoint.
  double Project(const XelMathPoint& iPoint) const;
  /// Parameter of the projection, and the projected point in oProjection.
  double Project(const XelMathPoint& iPoint, XelMathPoint& oProjection) const;
  /// Distance from iPoint to the line.
  double DistanceTo(const XelMathPoint& iPoint) const;

  long GetStaticMemoryBytes() const override;

private:
  XelMathPoint _origin;
  XelMathVector _direction;
};
