#include "XelMathPlane.h"

#include "XelKernelInternalConstants.h"
#include <cmath>

XelMathPlane::XelMathPlane()
    : _origin(0, 0, 0), _first(1, 0, 0), _second(0, 1, 0), _normal(0, 0, 1) {}

XelMathPlane::XelMathPlane(const XelMathPoint& iOrigin, const XelMathVector& iFirst,
                           const XelMathVector& iSecond) {
  Set(iOrigin, iFirst, iSecond);
}

XelMathPlane::XelMathPlane(const XelMathPlane& iOther)
    : XelQuorVirtual(iOther), _origin(iOther._origin), _first(iOther._first),
      _second(iOther._second), _normal(iOther._normal) {}

XelMathPlane& XelMathPlane::operator=(const XelMathPlane& iOther) {
  _origin = iOther._origin;
  _first = iOther._first;
  _second = iOther._second;
  _normal = iOther._normal;
  return *this;
}

XelMathPlane::~XelMathPlane() = default;

void XelMathPlane::Set(const XelMathPoint& iOrigin, const XelMathVector& iFirst,
                       const XelMathVector& iSecond) {
  XelMathVector normal = iFirst ^ iSecond;
  double scale = iFirst.Norm() * iSecond.Norm();
  // Parallel when |first ^ second| is negligible against |first| |second| (sine of the angle).
  if (!(scale > 0.0) || !std::isfinite(scale) || !(normal.Norm() > 1e-12 * scale))
    XelMathRaise(XelErrorCode::Forbidden, "the directions of a XelMathPlane", "null or parallel",
                 "XelMathPlane::Set");
  normal.Normalize();
  _origin = iOrigin;
  _first = iFirst;
  _second = iSecond;
  _normal = normal;
}

void XelMathPlane::Project(const XelMathPoint& iPoint, double& oU, double& oV) const {
  // With N = first ^ second: u = ((P - O) ^ second).N / |N|^2, v = (first ^ (P - O)).N / |N|^2,
  // which avoids the cancellation of the Gram determinant for nearly parallel directions.
  XelMathVector offset = iPoint - _origin;
  XelMathVector normal = _first ^ _second;
  double square = normal.SquareNorm();
  oU = ((offset ^ _second) * normal) / square;
  oV = ((_first ^ offset) * normal) / square;
}

long XelMathPlane::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
