#include "XelMathVector.h"

#include <cmath>

#include "XelKernelInternalConstants.h"
#include "XelMathPoint.h"

XelMathVector::XelMathVector(const double* iCoords) : _coord{iCoords[0], iCoords[1], iCoords[2]} {}

XelMathVector::XelMathVector(const XelMathPoint& iPoint)
    : _coord{iPoint.GetX(), iPoint.GetY(), iPoint.GetZ()} {}

void XelMathVector::GetCoord(double* oCoords) const {
  for (int i = 0; i < 3; i++)
    oCoords[i] = _coord[i];
}

void XelMathVector::SetCoord(const double* iCoords) {
  for (int i = 0; i < 3; i++)
    _coord[i] = iCoords[i];
}

void XelMathVector::RaiseIndex() {
  XelMathRaise(XelErrorCode::WrongIndex, "the coordinate index of a XelMathVector", "Wrong Index",
               "XelMathVector::operator[]");
}

double XelMathVector::Norm() const {
  // Fast path; rescale only when the sum of squares overflows or loses the subnormal range.
  double square = SquareNorm();
  if (square > 1e-290 && square < 1e290)
    return std::sqrt(square);
  double largest =
      std::fmax(std::fabs(_coord[0]), std::fmax(std::fabs(_coord[1]), std::fabs(_coord[2])));
  if (largest == 0.0 || !std::isfinite(largest))
    return std::isnan(square) ? square : largest;
  double x = _coord[0] / largest, y = _coord[1] / largest, z = _coord[2] / largest;
  return largest * std::sqrt(x * x + y * y + z * z);
}

double XelMathVector::Normalize() {
  double norm = Norm();
  if (norm > 0.0 && std::isfinite(norm))
    for (int i = 0; i < 3; i++)
      _coord[i] /= norm;
  return norm;
}

double XelMathVector::GetAngleTo(const XelMathVector& iOther) const {
  // atan2 of |u x v| and u.v keeps full accuracy near 0 and pi, unlike acos.
  double sine = Cross(iOther).Norm();
  double cosine = Dot(iOther);
  if (sine == 0.0 && cosine == 0.0)
    return 0.0;
  return std::atan2(sine, cosine);
}

double XelMathVector::GetAngleTo(const XelMathVector& iOther,
                                 const XelMathVector& iReference) const {
  XelMathVector normal = Cross(iOther);
  double angle = GetAngleTo(iOther);
  if (normal.Dot(iReference) < 0.0)
    angle = -angle;
  return angle;
}
