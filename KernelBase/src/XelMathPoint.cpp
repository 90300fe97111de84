#include "XelMathPoint.h"

#include "XelKernelInternalConstants.h"
#include <cmath>

const XelMathPoint XelMathO(0.0, 0.0, 0.0);

XelMathPoint::XelMathPoint(const double* iCoords) : _coord{iCoords[0], iCoords[1], iCoords[2]} {}

void XelMathPoint::GetCoord(double* oCoords) const {
  for (int i = 0; i < 3; i++)
    oCoords[i] = _coord[i];
}

void XelMathPoint::SetCoord(const double* iCoords) {
  for (int i = 0; i < 3; i++)
    _coord[i] = iCoords[i];
}

void XelMathPoint::RaiseIndex() {
  XelMathRaise(XelErrorCode::WrongIndex, "the coordinate index of a XelMathPoint", "Wrong Index",
               "XelMathPoint::operator[]");
}

double XelMathPoint::DistanceTo(const XelMathPoint& iOther) const {
  return (*this - iOther).Norm();
}
