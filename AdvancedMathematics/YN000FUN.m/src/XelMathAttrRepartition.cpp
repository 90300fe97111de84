#include "XelMathAttrRepartition.h"

#include <cstring>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

namespace {
/// Gives iValue to oValue and returns 1 when the kind iKind is one of iFirst..iLast (a
/// value the kind carries); returns 0 and leaves oValue otherwise.
template <class T>
int GetForKinds(const long iKind, const long iFirst, const long iLast, const T& iValue, T& oValue) {
  if (iKind < iFirst || iKind > iLast)
    return 0;
  oValue = iValue;
  return 1;
}
} // namespace

void XelMathAttrRepartition::Init(long iKind) {
  _kind = iKind;
  _orientation = 0;
  _sag = 0.001;
  _angle = 0.0;
  _minStep = 1e-06;
  _maxStep = 0.1;
  _minStepPoint = 0.001;
  _maxStepPoint = 0.0;
  _nbSteps = 0;
  _steps = nullptr;
}

XelMathAttrRepartition::XelMathAttrRepartition() {
  Init(0);
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag) {
  Init(1);
  _sag = iSag;
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep) {
  Init(2);
  Set(iSag, iMinStep, iMaxStep);
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep,
                                               long iOrientation) {
  Init(3);
  Set(iSag, iMinStep, iMaxStep);
  _orientation = iOrientation;
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep,
                                               double iMinStepPoint, long iOrientation) {
  Init(4);
  Set(iSag, iMinStep, iMaxStep);
  _minStepPoint = iMinStepPoint;
  _orientation = iOrientation;
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep,
                                               double iMinStepPoint, double iAngle,
                                               long iOrientation) {
  Init(5);
  Set(iSag, iMinStep, iMaxStep);
  _minStepPoint = iMinStepPoint;
  _angle = iAngle;
  _orientation = iOrientation;
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag, double iMinStep, double iMaxStep,
                                               double iMinStepPoint, double iMaxStepPoint,
                                               double iAngle, long iOrientation) {
  Init(6);
  Set(iSag, iMinStep, iMaxStep);
  _minStepPoint = iMinStepPoint;
  _maxStepPoint = iMaxStepPoint;
  _angle = iAngle;
  _orientation = iOrientation;
}

XelMathAttrRepartition::XelMathAttrRepartition(double iSag, double iStep, const double* iSteps,
                                               long iNbSteps) {
  Init(7);
  _sag = iSag;
  _minStep = iStep;
  CopySteps(iSteps, iNbSteps);
}

XelMathAttrRepartition::XelMathAttrRepartition(const XelMathAttrRepartition& iOther)
    : XelMathAttribute(iOther) {
  Init(iOther._kind);
  _orientation = iOther._orientation;
  _sag = iOther._sag;
  _angle = iOther._angle;
  _minStep = iOther._minStep;
  _maxStep = iOther._maxStep;
  _minStepPoint = iOther._minStepPoint;
  _maxStepPoint = iOther._maxStepPoint;
  CopySteps(iOther._steps, iOther._nbSteps);
}

XelMathAttrRepartition& XelMathAttrRepartition::operator=(const XelMathAttrRepartition& iOther) {
  if (this == &iOther)
    return *this;
  double* oldSteps = _steps;
  const long oldNbSteps = _nbSteps;
  _steps = nullptr;
  _nbSteps = 0;
  CopySteps(iOther._steps, iOther._nbSteps);
  if (oldSteps)
    XelQuorArrayDoubleDel(oldSteps, oldNbSteps);
  _kind = iOther._kind;
  _orientation = iOther._orientation;
  _sag = iOther._sag;
  _angle = iOther._angle;
  _minStep = iOther._minStep;
  _maxStep = iOther._maxStep;
  _minStepPoint = iOther._minStepPoint;
  _maxStepPoint = iOther._maxStepPoint;
  return *this;
}

XelMathAttrRepartition::~XelMathAttrRepartition() {
  FreeSteps();
}

void XelMathAttrRepartition::CopySteps(const double* iSteps, long iNbSteps) {
  if (!iSteps || iNbSteps <= 0)
    return;
  // Refused before anything is read or allocated: no array of the caller holds more.
  if (iNbSteps > XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the number of steps",
                 "Invalid Number Of Points", "XelMathAttrRepartition::XelMathAttrRepartition");
  _steps = XelQuorArrayDoubleNew(iNbSteps);
  std::memcpy(_steps, iSteps, sizeof(double) * static_cast<std::size_t>(iNbSteps));
  _nbSteps = iNbSteps;
}

void XelMathAttrRepartition::FreeSteps() {
  if (_steps)
    XelQuorArrayDoubleDel(_steps, _nbSteps);
  _steps = nullptr;
  _nbSteps = 0;
}

const char* XelMathAttrRepartition::GetType() const {
  return "XelMathAttrRepartition";
}

unsigned char XelMathAttrRepartition::IsExclusive() const {
  return 1;
}

int XelMathAttrRepartition::GetSag(double& oSag) const {
  return GetForKinds(_kind, 1, 7, _sag, oSag);
}

int XelMathAttrRepartition::GetMinMaxStep(double& oMinStep, double& oMaxStep) const {
  if (_kind < 2 || _kind > 6)
    return 0;
  oMinStep = _minStep;
  oMaxStep = _maxStep;
  return 1;
}

int XelMathAttrRepartition::GetOrientation(long& oOrientation) const {
  oOrientation = 0;
  return GetForKinds(_kind, 3, 6, _orientation, oOrientation);
}

int XelMathAttrRepartition::GetMinStepPoint(double& oMinStepPoint) const {
  return GetForKinds(_kind, 4, 6, _minStepPoint, oMinStepPoint);
}

int XelMathAttrRepartition::GetAngle(double& oAngle) const {
  return GetForKinds(_kind, 5, 6, _angle, oAngle);
}

int XelMathAttrRepartition::GetMaxStepPoint(double& oMaxStepPoint) const {
  return GetForKinds(_kind, 6, 6, _maxStepPoint, oMaxStepPoint);
}

int XelMathAttrRepartition::GetMinMaxStepVect(double& oStep, double* oSteps, long iNbSteps) const {
  if (_kind != 7)
    return 0;
  oStep = _minStep;
  const long n = iNbSteps < _nbSteps ? iNbSteps : _nbSteps;
  if (oSteps && n > 0)
    std::memcpy(oSteps, _steps, sizeof(double) * static_cast<std::size_t>(n));
  return 1;
}

void XelMathAttrRepartition::Set(double iSag, double iMinStep, double iMaxStep) {
  _sag = iSag;
  _minStep = iMinStep;
  _maxStep = iMaxStep;
}
