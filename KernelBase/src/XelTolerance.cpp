#include "XelTolerance.h"

#include <cmath>

#include "XelError.h"
#include "XelKernelInternalConstants.h"
#include "XelMathInputError.h"
#include "XelQuorOutput.h"

namespace {
// A resolution or epsilon is a width or a ratio: finite and not negative. A negative one
// squares to a positive bound in the tests that compare squares, a NaN one fails every test,
// an infinite one passes every test.
double CheckedRole(double iValue, const char* iWhat, const char* iWhere) {
  if (!(iValue >= 0.0) || !std::isfinite(iValue))
    XelMathRaise(XelErrorCode::InvalidOption, iWhat, "negative, infinite or NaN", iWhere);
  return iValue;
}
} // namespace

XelTolerance::XelTolerance(double iScaleFactor)
    : _mark(ValidMark), _error(0), _scaleFactor(iScaleFactor), _relativeEpsilon(1e-13),
      _rootResolution(1e-13), _parametricResolution(1e-10), _pointResolution(1e-10),
      _lengthResolution(1e-10), _bisectionEpsilon(1e-13), _singularValueEpsilon(1e-13),
      _symmetryEpsilon(1e-13), _squaredZero(1e-26), _minimumLength(1e-6) {
  if (!(iScaleFactor > 0.0) || !std::isfinite(iScaleFactor))
    XelMathRaise(XelErrorCode::InvalidOption, "the scale factor of the XelTolerance",
                 "not a positive finite number", "XelTolerance::XelTolerance");
}

void XelTolerance::SetRelativeEpsilon(double iValue) {
  _relativeEpsilon = CheckedRole(iValue, "the relative epsilon of the XelTolerance",
                                 "XelTolerance::SetRelativeEpsilon");
}
void XelTolerance::SetRootResolution(double iValue) {
  _rootResolution = CheckedRole(iValue, "the root resolution of the XelTolerance",
                                "XelTolerance::SetRootResolution");
}
void XelTolerance::SetParametricResolution(double iValue) {
  _parametricResolution = CheckedRole(iValue, "the parametric resolution of the XelTolerance",
                                      "XelTolerance::SetParametricResolution");
}
void XelTolerance::SetPointResolution(double iValue) {
  _pointResolution = CheckedRole(iValue, "the point resolution of the XelTolerance",
                                 "XelTolerance::SetPointResolution");
}
void XelTolerance::SetLengthResolution(double iValue) {
  _lengthResolution = CheckedRole(iValue, "the length resolution of the XelTolerance",
                                  "XelTolerance::SetLengthResolution");
}
void XelTolerance::SetBisectionEpsilon(double iValue) {
  _bisectionEpsilon = CheckedRole(iValue, "the bisection epsilon of the XelTolerance",
                                  "XelTolerance::SetBisectionEpsilon");
}
void XelTolerance::SetSingularValueEpsilon(double iValue) {
  _singularValueEpsilon = CheckedRole(iValue, "the singular-value epsilon of the XelTolerance",
                                      "XelTolerance::SetSingularValueEpsilon");
}

XelTolerance::~XelTolerance() {
  // A volatile store: the compiler may not drop it as a store to a dying object.
  *static_cast<volatile unsigned long*>(&_mark) = 0;
}

double XelTolerance::Read(double iValue) const {
  if (!IsValidMark() || _error) {
    XelToleranceError(this);
    return 0.0;
  }
  return iValue;
}

double XelTolerance::GetScaleFactor() const {
  return Read(_scaleFactor);
}
double XelTolerance::GetAbsoluteResolution() const {
  return Read(_scaleFactor);
}
double XelTolerance::GetRelativeEpsilon() const {
  return Read(_relativeEpsilon);
}
double XelTolerance::GetRootResolution() const {
  return Read(_rootResolution * _scaleFactor);
}
double XelTolerance::GetParametricResolution() const {
  return Read(_parametricResolution);
}
double XelTolerance::GetPointResolution() const {
  return Read(_pointResolution * _scaleFactor);
}
double XelTolerance::GetLengthResolution() const {
  return Read(_lengthResolution * _scaleFactor);
}
double XelTolerance::GetSquareLengthResolution() const {
  double length = _lengthResolution * _scaleFactor;
  return Read(length * length);
}
double XelTolerance::GetBisectionEpsilon() const {
  return Read(_bisectionEpsilon);
}
double XelTolerance::GetValueUnit() const {
  return Read(1.0);
}
double XelTolerance::GetSingularValueEpsilon() const {
  return Read(_singularValueEpsilon);
}
double XelTolerance::GetSymmetryEpsilon() const {
  return Read(_symmetryEpsilon);
}
double XelTolerance::GetSquaredZero() const {
  return Read(_squaredZero);
}
double XelTolerance::GetReferenceLength() const {
  return Read(_scaleFactor);
}
double XelTolerance::GetMinimumLength() const {
  return Read(_minimumLength * _scaleFactor);
}

const XelTolerance& XelGetDefaultTolerance() {
  static const XelTolerance defaultTolerance(1.0);
  return defaultTolerance;
}

namespace {
long toleranceErrorCount = 0;
}

void XelToleranceError(const XelTolerance* iTolerance) {
  toleranceErrorCount++;
  XelQuorOutput::GetErr() << "XelToleranceError: invalid tolerance object"
                          << (iTolerance ? "" : " (null)") << "\n";
}

long XelToleranceErrorCount() {
  return toleranceErrorCount;
}
