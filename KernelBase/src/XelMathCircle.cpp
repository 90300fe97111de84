#include "XelMathCircle.h"

#include "XelKernelInternalConstants.h"
#include <cmath>

XelMathCircle::XelMathCircle()
    : _center(0, 0, 0), _radius(1.0), _first(1, 0, 0), _second(0, 1, 0), _scale(1.0), _shift(0.0) {}

XelMathCircle::XelMathCircle(const XelMathPoint& iCenter, double iRadius,
                             const XelMathVector& iFirst, const XelMathVector& iSecond,
                             double iScale, double iShift)
    : _center(iCenter), _radius(iRadius), _first(iFirst), _second(iSecond), _scale(iScale),
      _shift(iShift) {
  const char* where = "XelMathCircle::XelMathCircle";
  if (!(iRadius >= 0.0) || !std::isfinite(iRadius))
    XelMathRaise(XelErrorCode::Forbidden, "the radius of a XelMathCircle", "negative or not finite",
                 where);
  if (!(iScale != 0.0) || !std::isfinite(iScale) || !std::isfinite(iShift))
    XelMathRaise(XelErrorCode::Forbidden, "the parametrisation of a XelMathCircle",
                 "null or not finite scale", where);
  double firstNorm = _first.Normalize();
  double secondNorm = _second.Norm();
  if (!(firstNorm > 0.0) || !std::isfinite(firstNorm) || !(secondNorm > 0.0) ||
      !std::isfinite(secondNorm))
    XelMathRaise(XelErrorCode::Forbidden, "the directions of a XelMathCircle", "null or not finite",
                 where);
  _second -= (_second * _first) * _first;
  // Parallel when what is left of the second direction is negligible against it.
  if (!(_second.Norm() > 1e-12 * secondNorm))
    XelMathRaise(XelErrorCode::Forbidden, "the directions of a XelMathCircle", "parallel", where);
  _second.Normalize();
}

XelMathCircle::XelMathCircle(const XelMathCircle& iOther)
    : XelMathCurve(iOther), _center(iOther._center), _radius(iOther._radius), _first(iOther._first),
      _second(iOther._second), _scale(iOther._scale), _shift(iOther._shift) {}

XelMathCircle& XelMathCircle::operator=(const XelMathCircle& iOther) {
  _center = iOther._center;
  _radius = iOther._radius;
  _first = iOther._first;
  _second = iOther._second;
  _scale = iOther._scale;
  _shift = iOther._shift;
  return *this;
}

XelMathCircle::~XelMathCircle() = default;

const char* XelMathCircle::IsA() const {
  return "XelMathCircle";
}

int XelMathCircle::IsATypeOf(long iType) const {
  return iType == CircleType || XelMathCurve::IsATypeOf(iType);
}

XelMathPoint XelMathCircle::EvalPoint(double iT) const {
  double angle = _scale * iT + _shift;
  return _center + (_radius * std::cos(angle)) * _first + (_radius * std::sin(angle)) * _second;
}

XelMathVector XelMathCircle::EvalFirstDeriv(double iT) const {
  double angle = _scale * iT + _shift;
  double factor = _radius * _scale;
  return (-factor * std::sin(angle)) * _first + (factor * std::cos(angle)) * _second;
}

XelMathCurve* XelMathCircle::Duplicate() const {
  return new XelMathCircle(*this);
}

double XelMathCircle::DistanceMin(const XelMathPoint& iPoint) const {
  double param;
  return DistanceMin(iPoint, param);
}

double XelMathCircle::DistanceMin(const XelMathPoint& iPoint, double& oParam) const {
  // In the frame (U, V, N): the nearest point lies in the half-plane through the axis and
  // the point, at distance sqrt(h^2 + (rho - R)^2).
  XelMathVector offset = iPoint - _center;
  double x = offset * _first, y = offset * _second, h = offset * GetNormal();
  double rho = std::hypot(x, y);
  double angle = rho > 0.0 ? std::atan2(y, x) : 0.0;
  oParam = (angle - _shift) / _scale;
  return std::hypot(h, rho - _radius);
}

long XelMathCircle::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
