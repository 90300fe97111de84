#include "XelMathLine.h"

XelMathLine::XelMathLine() : _origin(0, 0, 0), _direction(1, 0, 0) {}

XelMathLine::XelMathLine(const XelMathPoint& iOrigin, const XelMathVector& iDirection)
    : _origin(iOrigin), _direction(iDirection) {}

XelMathLine::XelMathLine(const XelMathLine& iOther)
    : XelMathCurve(iOther), _origin(iOther._origin), _direction(iOther._direction) {}

XelMathLine& XelMathLine::operator=(const XelMathLine& iOther) {
  _origin = iOther._origin;
  _direction = iOther._direction;
  return *this;
}

XelMathLine::~XelMathLine() = default;

void XelMathLine::Set(const XelMathPoint& iOrigin, const XelMathVector& iDirection) {
  _origin = iOrigin;
  _direction = iDirection;
}

const char* XelMathLine::IsA() const {
  return "XelMathLine";
}

int XelMathLine::IsATypeOf(long iType) const {
  return iType == LineType || XelMathCurve::IsATypeOf(iType);
}

XelMathVector XelMathLine::EvalFirstDeriv(double) const {
  return _direction;
}

XelMathCurve* XelMathLine::Duplicate() const {
  return new XelMathLine(*this);
}

double XelMathLine::Project(const XelMathPoint& iPoint) const {
  double square = _direction.SquareNorm();
  if (!(square > 0.0)) {
    // Tiny directions whose square underflows: work on the unit direction.
    double norm = _direction.Norm();
    if (!(norm > 0.0))
      return 0.0;
    XelMathVector unit = _direction / norm;
    return ((iPoint - _origin) * unit) / norm;
  }
  return ((iPoint - _origin) * _direction) / square;
}

double XelMathLine::Project(const XelMathPoint& iPoint, XelMathPoint& oProjection) const {
  double t = Project(iPoint);
  oProjection = EvalPoint(t);
  return t;
}

double XelMathLine::DistanceTo(const XelMathPoint& iPoint) const {
  // |(P - O) x D| / |D| keeps its accuracy for points far along the line.
  double norm = _direction.Norm();
  XelMathVector offset = iPoint - _origin;
  if (!(norm > 0.0))
    return offset.Norm();
  return (offset ^ (_direction / norm)).Norm();
}

long XelMathLine::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
