// The constructor checks the relations, builds the index tables (the place of each exterior
// variable, the (relation, component) pair of each equation) and makes the work arrays and
// one Jacobian matrix per relation, so that evaluations allocate nothing.
#include "XelMathRelationSystem.h"

#include <cstring>
#include <memory>

#include "XelMathBooleanConstraint.h"
#include "XelMathBooleanConstraintData.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathMxNFullMatrix.h"
#include "XelMathRelation.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"

namespace {
[[noreturn]] void RaiseDimension() {
  XelMathRaise(XelErrorCode::InvalidOption, "the XelMathRelationSystem", "Dimension not valid",
               "XelMathRelationSystem::XelMathRelationSystem");
}

/// The number of unknowns n + e of a square set of relations, checked.
long CheckedUnknowns(const XelMathRelation* const* iRelations, const long iCount,
                     const long iExteriorCount) {
  if (!iRelations || iCount < 1 || iExteriorCount < 0)
    RaiseDimension();
  for (long k = 0; k < iCount; ++k)
    if (!iRelations[k])
      RaiseDimension();
  const long n = iRelations[0]->GetDimension();
  if (n != iCount)
    RaiseDimension();
  long total = 0;
  for (long k = 0; k < iCount; ++k) {
    const long e = iRelations[k]->GetExteriorDimension();
    if (iRelations[k]->GetDimension() != n || e < 0 || e > iExteriorCount - total)
      RaiseDimension();
    total += e;
  }
  if (total != iExteriorCount)
    RaiseDimension();
  return n + iExteriorCount;
}

long* NewLongs(const long iCount) {
  return static_cast<long*>(xelquornew(sizeof(long) * static_cast<std::size_t>(iCount)));
}

void DelLongs(long* iArray, const long iCount) {
  if (iArray)
    xelquordel(iArray, sizeof(long) * static_cast<std::size_t>(iCount));
}
} // namespace

XelMathRelationSystem::XelMathRelationSystem(
    const XelMathRelation* const* iRelations, const long iCount, const long iExteriorCount,
    const XelMathBooleanConstraint* const* iConstraints,
    const XelMathBooleanConstraintData* const* iConstraintVariables, const long iConstraintCount,
    const XelTolerance& iTol)
    : XelMathSystem(CheckedUnknowns(iRelations, iCount, iExteriorCount), iTol),
      _relations(iRelations), _count(iCount), _mainDimension(iCount),
      _exteriorCount(iExteriorCount), _constraints(iConstraints),
      _constraintVariables(iConstraintVariables), _constraintCount(iConstraintCount),
      _firstExterior(nullptr), _exteriorPlaces(nullptr), _equationRelation(nullptr),
      _equationComponent(nullptr), _jacobians(nullptr), _z(nullptr), _f(nullptr), _maxExterior(0) {
  const long N = GetDimension();
  if (iConstraintCount < 0 || (iConstraintCount > 0 && (!iConstraints || !iConstraintVariables)))
    RaiseDimension();
  for (long j = 0; j < iConstraintCount; ++j) {
    const XelMathBooleanConstraintData* data = iConstraintVariables[j];
    if (!iConstraints[j] || !data)
      RaiseDimension();
    for (long i = 0; i < data->GetRelationNb(); ++i) {
      const long place = data->GetExtVarPlace(i);
      if (place < 0 || place >= N)
        XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the place of a constrained variable",
                     "XelMathRelationSystem::XelMathRelationSystem");
    }
  }
  // Everything below is released by the destructor, also when a later step raises.
  auto release = XelMathMakeOnExit([this] { Release(); });
  _firstExterior = NewLongs(_count + 1);
  _exteriorPlaces = NewLongs(_exteriorCount > 0 ? _exteriorCount : 1);
  _equationRelation = NewLongs(N);
  _equationComponent = NewLongs(N);
  _jacobians = XelMathNewPointers<XelMathMxNFullMatrix>(_count);
  for (long k = 0; k < _count; ++k)
    _jacobians[k] = nullptr;
  long place = 0, equation = 0;
  for (long k = 0; k < _count; ++k) {
    const long e = _relations[k]->GetExteriorDimension();
    _firstExterior[k] = place;
    for (long j = 0; j < e; ++j, ++place)
      _exteriorPlaces[place] = _mainDimension + place;
    for (long c = 0; c <= e; ++c, ++equation) {
      _equationRelation[equation] = k;
      _equationComponent[equation] = c;
    }
    if (e > _maxExterior)
      _maxExterior = e;
    _jacobians[k] = new XelMathMxNFullMatrix(e + 1, _mainDimension + e);
  }
  _firstExterior[_count] = place;
  _z = XelQuorArrayDoubleNew(_maxExterior > 0 ? _maxExterior : 1);
  _f = XelQuorArrayDoubleNew(_maxExterior + 1);
  release.Dismiss();
}

XelMathRelationSystem::~XelMathRelationSystem() {
  Release();
}

void XelMathRelationSystem::Release() {
  if (_jacobians) {
    for (long k = 0; k < _count; ++k)
      delete _jacobians[k];
    XelMathDelPointers<XelMathMxNFullMatrix>(_jacobians, _count);
    _jacobians = nullptr;
  }
  DelLongs(_firstExterior, _count + 1);
  DelLongs(_exteriorPlaces, _exteriorCount > 0 ? _exteriorCount : 1);
  DelLongs(_equationRelation, GetDimension());
  DelLongs(_equationComponent, GetDimension());
  _firstExterior = _exteriorPlaces = _equationRelation = _equationComponent = nullptr;
  if (_z)
    XelQuorArrayDoubleDel(_z, _maxExterior > 0 ? _maxExterior : 1);
  if (_f)
    XelQuorArrayDoubleDel(_f, _maxExterior + 1);
  _z = _f = nullptr;
}

long XelMathRelationSystem::GetDynamicMemoryBytes() const {
  long bytes = XelMathSystem::GetDynamicMemoryBytes();
  bytes += static_cast<long>(sizeof(long)) * (_count + 1 + _exteriorCount + 2 * GetDimension());
  bytes += static_cast<long>(sizeof(double)) * (2 * _maxExterior + 2);
  bytes += static_cast<long>(sizeof(void*)) * _count;
  for (long k = 0; k < _count; ++k)
    if (_jacobians && _jacobians[k])
      bytes += _jacobians[k]->GetEstimatedMemoryBytes();
  return bytes;
}

long XelMathRelationSystem::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathRelationSystem));
}

long XelMathRelationSystem::GetExteriorPlace(const long k, const long j) const {
  if (k < 0 || k >= _count || j < 0 || j >= _firstExterior[k + 1] - _firstExterior[k])
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the exterior variable",
                 "XelMathRelationSystem::GetExteriorPlace");
  return _exteriorPlaces[_firstExterior[k] + j];
}

long XelMathRelationSystem::GetEquationRelation(const long i) const {
  if (i < 0 || i >= GetDimension())
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the equation",
                 "XelMathRelationSystem::GetEquationRelation");
  return _equationRelation[i];
}

long XelMathRelationSystem::GetEquationComponent(const long i) const {
  if (i < 0 || i >= GetDimension())
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the equation",
                 "XelMathRelationSystem::GetEquationComponent");
  return _equationComponent[i];
}

void XelMathRelationSystem::Gather(const long k, const double* x) const {
  const long first = _firstExterior[k];
  const long e = _firstExterior[k + 1] - first;
  for (long j = 0; j < e; ++j)
    _z[j] = x[_exteriorPlaces[first + j]];
}

double XelMathRelationSystem::EvalEquation(const long i, const double* x) const {
  if (i < 0 || i >= GetDimension())
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the equation",
                 "XelMathRelationSystem::EvalEquation");
  const long k = _equationRelation[i];
  Gather(k, x);
  _relations[k]->Eval(x, _z, _f);
  return _f[_equationComponent[i]];
}

void XelMathRelationSystem::EvalFirstDerivEquation(const long i, const double* x,
                                                   double* oGradient) const {
  if (i < 0 || i >= GetDimension())
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the equation",
                 "XelMathRelationSystem::EvalFirstDerivEquation");
  const long n = _mainDimension, k = _equationRelation[i], c = _equationComponent[i];
  const long first = _firstExterior[k];
  const long e = _firstExterior[k + 1] - first;
  Gather(k, x);
  XelMathMxNFullMatrix& J = *_jacobians[k];
  _relations[k]->EvalJacobian(x, _z, J);
  const double* row = J.GetFullMatrixCoef() + c * (n + e);
  std::memset(oGradient, 0, sizeof(double) * static_cast<std::size_t>(GetDimension()));
  for (long j = 0; j < n; ++j)
    oGradient[j] = row[j];
  for (long j = 0; j < e; ++j)
    oGradient[_exteriorPlaces[first + j]] = row[n + j];
}

void XelMathRelationSystem::Eval(const double* x, double* oF) const {
  long equation = 0;
  for (long k = 0; k < _count; ++k) {
    Gather(k, x);
    _relations[k]->Eval(x, _z, oF + equation);
    equation += _firstExterior[k + 1] - _firstExterior[k] + 1;
  }
}

void XelMathRelationSystem::EvalJacobian(const double* x, double* oJ) const {
  const long N = GetDimension();
  const long n = _mainDimension;
  std::memset(oJ, 0, sizeof(double) * static_cast<std::size_t>(N * N));
  long equation = 0;
  for (long k = 0; k < _count; ++k) {
    const long first = _firstExterior[k];
    const long e = _firstExterior[k + 1] - first;
    Gather(k, x);
    XelMathMxNFullMatrix& J = *_jacobians[k];
    _relations[k]->EvalJacobian(x, _z, J);
    const double* block = J.GetFullMatrixCoef();
    const long cols = n + e;
    for (long c = 0; c <= e; ++c) {
      double* row = oJ + (equation + c) * N;
      for (long j = 0; j < n; ++j)
        row[j] = block[c * cols + j];
      for (long j = 0; j < e; ++j)
        row[_exteriorPlaces[first + j]] = block[c * cols + n + j];
    }
    equation += e + 1;
  }
}

void XelMathRelationSystem::Eval(const double* x, double* oF, double* oJ) const {
  Eval(x, oF);
  EvalJacobian(x, oJ);
}

bool XelMathRelationSystem::IsAccepted(const double* x) const {
  for (long j = 0; j < _constraintCount; ++j) {
    const XelMathBooleanConstraintData* data = _constraintVariables[j];
    const long m = data->GetRelationNb();
    XelMathScratchDoubles<16> values(m > 0 ? m : 1);
    for (long i = 0; i < m; ++i)
      values[i] = x[data->GetExtVarPlace(i)];
    if (!_constraints[j]->IsSatisfied(values.Data()))
      return false;
  }
  return true;
}

int XelMathRelationSystem::Solve(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oSolutions,
                                 const XelMathAttrList* iAttributes) {
  const int status = XelMathSystem::Solve(iDomain, oSolutions, iAttributes);
  if (_constraintCount == 0)
    return status;
  const long N = GetDimension();
  for (long p = oSolutions.GetNumberOfPoints() - 1; p >= 0; --p)
    if (!IsAccepted(oSolutions.GetPoints() + p * N))
      oSolutions.RemovePoint(p);
  return status;
}
