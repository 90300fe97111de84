#pragma once
// Box of the plane: an X interval and a Y interval, the domain of two-variable functions.
//
// The default box is [0, 0] x [0, 0]. The box is empty when either interval is empty; no
// operation rejects an empty box. DistanceTo measures in the maximum norm (0 inside).
#include "XelMathInterval.h"
#include "XelMathPoint2D.h"
#include "XelQuorVirtual.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathInterval2D : public XelQuorVirtual {
public:
  XelMathInterval2D() = default;
  XelMathInterval2D(const XelMathInterval& iX, const XelMathInterval& iY) : _x(iX), _y(iY) {}
  XelMathInterval2D(double iXMin, double iXMax, double iYMin, double iYMax)
      : _x(iXMin, iXMax), _y(iYMin, iYMax) {}
  ~XelMathInterval2D() override;

  const XelMathInterval& GetX() const { return _x; }
  const XelMathInterval& GetY() const { return _y; }
  void SetX(const XelMathInterval& iX) { _x = iX; }
  void SetY(const XelMathInterval& iY) { _y = iY; }

  /// The point of the two low ends.
  XelMathPoint2D GetMin() const { return XelMathPoint2D(_x.low, _y.low); }
  /// The point of the two high ends.
  XelMathPoint2D GetMax() const { return XelMathPoint2D(_x.high, _y.high); }
  /// Whether either interval is empty.
  bool IsEmpty() const { return _x.low > _x.high || _y.low > _y.high; }
  /// The point of the two midpoints.
  XelMathPoint2D Center() const {
    return XelMathPoint2D((_x.low + _x.high) * 0.5, (_y.low + _y.high) * 0.5);
  }
  /// Maximum-norm distance from iPoint to the box: the larger of the distances of its
  /// coordinates to the X and Y intervals; 0 inside.
  double DistanceTo(const XelMathPoint2D& iPoint) const;

private:
  XelMathInterval _x;
  XelMathInterval _y;
};
