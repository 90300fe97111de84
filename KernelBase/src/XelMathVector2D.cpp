#include "XelMathVector2D.h"

#include <cmath>

#include "XelKernelInternalConstants.h"
#include "XelMathPoint2D.h"

XelMathVector2D::XelMathVector2D(const double* iCoords) : _coord{iCoords[0], iCoords[1]} {}

XelMathVector2D::XelMathVector2D(const XelMathPoint2D& iPoint)
    : _coord{iPoint.GetX(), iPoint.GetY()} {}

void XelMathVector2D::RaiseIndex() {
  XelMathRaise(XelErrorCode::WrongIndex, "the coordinate index of a XelMathVector2D", "Wrong Index",
               "XelMathVector2D::operator[]");
}

double XelMathVector2D::Norm() const {
  double square = SquareNorm();
  if (square > 1e-290 && square < 1e290)
    return std::sqrt(square);
  return std::hypot(_coord[0], _coord[1]);
}

double XelMathVector2D::Normalize() {
  double norm = Norm();
  if (norm > 0.0 && std::isfinite(norm)) {
    _coord[0] /= norm;
    _coord[1] /= norm;
  }
  return norm;
}

double XelMathVector2D::GetAngleTo(const XelMathVector2D& iOther) const {
  return std::fabs(GetSignedAngleTo(iOther));
}

double XelMathVector2D::GetSignedAngleTo(const XelMathVector2D& iOther) const {
  double sine = Cross(iOther);
  double cosine = Dot(iOther);
  if (sine == 0.0 && cosine == 0.0)
    return 0.0;
  return std::atan2(sine, cosine);
}
