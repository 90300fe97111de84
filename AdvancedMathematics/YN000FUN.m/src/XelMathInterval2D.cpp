#include "XelMathInterval2D.h"

XelMathInterval2D::~XelMathInterval2D() = default;

double XelMathInterval2D::DistanceTo(const XelMathPoint2D& iPoint) const {
  const double dx = _x.DistanceTo(iPoint.GetX()), dy = _y.DistanceTo(iPoint.GetY());
  return dy > dx ? dy : dx;
}
