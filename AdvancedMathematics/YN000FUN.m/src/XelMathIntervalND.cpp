#include "XelMathIntervalND.h"

#include <cstring>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

void XelMathIntervalND::RaiseWrongIndex(const char* iWhere) {
  XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", iWhere, " ");
}

void XelMathIntervalND::Allocate(long iDimension) {
  // 2N doubles must be an array the memory services can serve.
  if (iDimension > XelQuorMaxArrayDoubles / 2)
    XelMathRaise(XelErrorCode::InvalidOption, "Dimension not valid",
                 "a dimension the memory can hold", "XelMathIntervalND::XelMathIntervalND");
  _dimension = iDimension > 0 ? iDimension : 0;
  if (_dimension == 0)
    _coords = nullptr;
  else if (_dimension <= InlineDimension)
    _coords = _inline;
  else
    _coords = XelQuorArrayDoubleNew(2 * _dimension);
}

void XelMathIntervalND::Release() {
  if (_coords != nullptr && _coords != _inline)
    XelQuorArrayDoubleDel(_coords, 2 * _dimension);
  _coords = nullptr;
  _dimension = 0;
}

XelMathIntervalND::XelMathIntervalND() : _dimension(0), _coords(nullptr), _inline() {}

XelMathIntervalND::XelMathIntervalND(const long iDimension)
    : _dimension(0), _coords(nullptr), _inline() {
  Allocate(iDimension);
}

XelMathIntervalND::XelMathIntervalND(const long iDimension, const double* iCoords)
    : _dimension(0), _coords(nullptr), _inline() {
  Allocate(iDimension);
  SetCoords(iCoords);
}

XelMathIntervalND::XelMathIntervalND(const XelMathIntervalND& iOther)
    : XelQuorVirtual(iOther), _dimension(0), _coords(nullptr), _inline() {
  Allocate(iOther._dimension);
  SetCoords(iOther._coords);
}

XelMathIntervalND& XelMathIntervalND::operator=(const XelMathIntervalND& iOther) {
  if (this == &iOther)
    return *this;
  if (_dimension != iOther._dimension || _coords == nullptr) {
    Release();
    Allocate(iOther._dimension);
  }
  SetCoords(iOther._coords);
  return *this;
}

XelMathIntervalND::~XelMathIntervalND() {
  Release();
}

long XelMathIntervalND::GetDynamicMemoryBytes() const {
  if (_coords == nullptr || _coords == _inline)
    return 0;
  return static_cast<long>(2 * _dimension * sizeof(double));
}

void XelMathIntervalND::SetCoords(const double* iCoords) {
  if (_dimension > 0)
    std::memcpy(_coords, iCoords, 2 * _dimension * sizeof(double));
}

bool XelMathIntervalND::IsEmpty() const {
  for (long i = 0; i < _dimension; ++i)
    if (_coords[2 * i] > _coords[2 * i + 1])
      return true;
  return false;
}

bool XelMathIntervalND::ContainsPoint(const double* iPoint) const {
  return ContainsPoint(iPoint, 0.0);
}

bool XelMathIntervalND::ContainsPoint(const double* iPoint, const double& iTol) const {
  for (long i = 0; i < _dimension; ++i) {
    const double x = iPoint[i];
    if (!(_coords[2 * i] - x - iTol <= 0.0 && _coords[2 * i + 1] - x + iTol >= 0.0))
      return false;
  }
  return true;
}

double XelMathIntervalND::MinSquareDistance(const double* iPoint, double* oClosest) const {
  double sum = 0.0;
  for (long i = 0; i < _dimension; ++i) {
    const double x = iPoint[i], lo = _coords[2 * i], hi = _coords[2 * i + 1];
    double c = x;
    if ((x - lo) * (x - hi) > 0.0) {
      c = x - lo < 0.0 ? lo : hi;
      sum += (x - c) * (x - c);
    }
    if (oClosest != nullptr)
      oClosest[i] = c;
  }
  return sum;
}

bool XelMathIntervalND::Intersection(const double* iP0, const double* iP1, double& oT,
                                     long& oFace) const {
  double t = 2.0;
  oT = t;
  for (long i = 0; i < _dimension; ++i) {
    const double lo = _coords[2 * i], hi = _coords[2 * i + 1];
    const double p0 = iP0[i], p1 = iP1[i];
    if (p1 < lo && p0 - lo < t * (p0 - p1)) {
      if (p0 - lo < 0.0)
        return false;
      t = (p0 - lo) / (p0 - p1);
      oT = t;
      oFace = 2 * i;
    } else if (hi < p1 && hi - p0 < t * (p1 - p0)) {
      if (hi - p0 < 0.0)
        return false;
      t = (hi - p0) / (p1 - p0);
      oT = t;
      oFace = 2 * i + 1;
    }
  }
  return t <= 1.0;
}

void XelMathIntervalND::Center(double* oCenter) const {
  for (long i = 0; i < _dimension; ++i)
    oCenter[i] = 0.5 * (_coords[2 * i] + _coords[2 * i + 1]);
}

double XelMathIntervalND::Width() const {
  double sum = 0.0;
  for (long i = 0; i < _dimension; ++i)
    sum += _coords[2 * i + 1] - _coords[2 * i];
  return sum;
}
