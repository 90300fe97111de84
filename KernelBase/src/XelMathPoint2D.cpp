#include "XelMathPoint2D.h"
#include "XelKernelInternalConstants.h"

void XelMathPoint2D::RaiseIndex() {
  XelMathRaise(XelErrorCode::WrongIndex, "the coordinate index of a XelMathPoint2D", "Wrong Index",
               "XelMathPoint2D::operator[]");
}

double XelMathPoint2D::DistanceTo(const XelMathPoint2D& iOther) const {
  return (*this - iOther).Norm();
}
