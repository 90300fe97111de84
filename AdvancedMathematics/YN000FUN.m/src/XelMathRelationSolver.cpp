// The relations and constraints are kept in pointer arrays from the memory services that
// double their capacity when full; the domain given by SetDomain is a copy.
#include "XelMathRelationSolver.h"

#include <memory>

#include "XelError.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrString.h"
#include "XelMathBooleanConstraint.h"
#include "XelMathBooleanConstraintData.h"
#include "XelMathConstants.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathIntervalND.h"
#include "XelMathRelation.h"
#include "XelMathRelationSystem.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"

namespace {
long CheckedDimension(const long iDimension) {
  if (iDimension < 1 || iDimension > XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidOption, "the dimension of the XelMathRelationSolver",
                 "Dimension not valid", "XelMathRelationSolver::XelMathRelationSolver");
  return iDimension;
}

void SetRange(long* oRange, const long iFirst, const long iSecond) {
  if (oRange) {
    oRange[0] = iFirst;
    oRange[1] = iSecond;
  }
}

} // namespace

XelMathRelationSolver::XelMathRelationSolver(const long iDimension)
    : _dimension(CheckedDimension(iDimension)), _exteriorCount(0), _relationCount(0),
      _relationCapacity(0), _relations(nullptr), _domain(nullptr), _constraintCount(0),
      _constraintCapacity(0), _constraints(nullptr), _constraintData(nullptr) {}

XelMathRelationSolver::~XelMathRelationSolver() {
  if (_relations)
    XelMathDelPointers<const XelMathRelation>(_relations, _relationCapacity);
  for (long i = 0; i < _constraintCount; ++i)
    delete _constraintData[i];
  if (_constraints) {
    XelMathDelPointers<const XelMathBooleanConstraint>(_constraints, _constraintCapacity);
    XelMathDelPointers<XelMathBooleanConstraintData>(_constraintData, _constraintCapacity);
  }
  delete _domain;
}

long XelMathRelationSolver::GetDynamicMemoryBytes() const {
  long bytes = static_cast<long>(sizeof(void*)) * (_relationCapacity + 2 * _constraintCapacity);
  for (long i = 0; i < _constraintCount; ++i)
    bytes += _constraintData[i]->GetEstimatedMemoryBytes();
  if (_domain)
    bytes += _domain->GetEstimatedMemoryBytes();
  return bytes;
}

long XelMathRelationSolver::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathRelationSolver));
}

int XelMathRelationSolver::AddRelation(const XelMathRelation* iRelation, long* oRange) {
  if (!iRelation) {
    XelQuornull(__FILE__, __LINE__);
    SetRange(oRange, -1, -1);
    return 0;
  }
  const long e = iRelation->GetExteriorDimension();
  if (iRelation->GetDimension() != _dimension || e < 0 ||
      e > XelQuorMaxArrayDoubles - _dimension - _exteriorCount) {
    SetRange(oRange, -1, -1);
    return 0;
  }
  if (_relationCount == _relationCapacity) {
    const long capacity = _relationCapacity > 0 ? 2 * _relationCapacity : 4;
    const XelMathRelation** grown = XelMathNewPointers<const XelMathRelation>(capacity);
    for (long i = 0; i < _relationCount; ++i)
      grown[i] = _relations[i];
    if (_relations)
      XelMathDelPointers<const XelMathRelation>(_relations, _relationCapacity);
    _relations = grown;
    _relationCapacity = capacity;
  }
  SetRange(oRange, _relationCount, _exteriorCount);
  _relations[_relationCount++] = iRelation;
  _exteriorCount += e;
  return 1;
}

long XelMathRelationSolver::ExteriorBefore(const long k) const {
  long before = 0;
  for (long i = 0; i < k; ++i)
    before += _relations[i]->GetExteriorDimension();
  return before;
}

int XelMathRelationSolver::AddBooleanConstraint(const XelMathBooleanConstraint* iConstraint,
                                                long* oRange) {
  SetRange(oRange, -1, -1);
  if (!iConstraint) {
    XelQuornull(__FILE__, __LINE__);
    return 0;
  }
  const long m = iConstraint->GetRelationNb();
  if (m < 0 || m > XelQuorMaxArrayDoubles)
    return 0;
  XelMathScratchDoubles<16> scratch(m); // long places fit in doubles' room
  long* places = static_cast<long*>(static_cast<void*>(scratch.Data()));
  static_assert(sizeof(long) <= sizeof(double), "a place must fit in a double's room");
  for (long i = 0; i < m; ++i) {
    const XelMathRelation* relation = iConstraint->GetRelation(i);
    long k = 0;
    while (k < _relationCount && _relations[k] != relation)
      ++k;
    if (!relation || k == _relationCount)
      return 0;
    const long j = iConstraint->GetExteriorIndex(i);
    if (j < 0 || j >= relation->GetExteriorDimension())
      return 0;
    places[i] = _dimension + ExteriorBefore(k) + j;
  }
  std::unique_ptr<XelMathBooleanConstraintData> data(new XelMathBooleanConstraintData(m, places));
  if (_constraintCount == _constraintCapacity) {
    const long capacity = _constraintCapacity > 0 ? 2 * _constraintCapacity : 2;
    const XelMathBooleanConstraint** constraints =
        XelMathNewPointers<const XelMathBooleanConstraint>(capacity);
    XelMathBooleanConstraintData** datas =
        XelMathNewPointers<XelMathBooleanConstraintData>(capacity);
    for (long i = 0; i < _constraintCount; ++i) {
      constraints[i] = _constraints[i];
      datas[i] = _constraintData[i];
    }
    if (_constraints) {
      XelMathDelPointers<const XelMathBooleanConstraint>(_constraints, _constraintCapacity);
      XelMathDelPointers<XelMathBooleanConstraintData>(_constraintData, _constraintCapacity);
    }
    _constraints = constraints;
    _constraintData = datas;
    _constraintCapacity = capacity;
  }
  SetRange(oRange, _constraintCount, m);
  _constraints[_constraintCount] = iConstraint;
  _constraintData[_constraintCount] = data.release();
  ++_constraintCount;
  return 1;
}

const XelMathRelation* XelMathRelationSolver::GetRelation(const long i) const {
  if (i < 0 || i >= _relationCount)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the relation",
                 "XelMathRelationSolver::GetRelation");
  return _relations[i];
}

const XelMathBooleanConstraint* XelMathRelationSolver::GetBooleanConstraint(const long i) const {
  if (i < 0 || i >= _constraintCount)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the boolean constraint",
                 "XelMathRelationSolver::GetBooleanConstraint");
  return _constraints[i];
}

const XelMathBooleanConstraintData*
XelMathRelationSolver::GetBooleanConstraintData(const long i) const {
  if (i < 0 || i >= _constraintCount)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the boolean constraint",
                 "XelMathRelationSolver::GetBooleanConstraintData");
  return _constraintData[i];
}

void XelMathRelationSolver::SetDomain(const XelMathIntervalND* iDomain) {
  delete _domain;
  _domain = nullptr;
  if (iDomain)
    _domain = new XelMathIntervalND(*iDomain);
}

int XelMathRelationSolver::GetDomain(XelMathIntervalND& oDomain) const {
  if (_domain) {
    oDomain = *_domain;
    return 1;
  }
  oDomain = XelMathIntervalND(_dimension + _exteriorCount);
  const double H = XelHardTol(100000.0);
  for (long k = 0; k < _dimension; ++k) {
    oDomain.SetMin(k, -H);
    oDomain.SetMax(k, H);
  }
  long place = _dimension;
  for (long r = 0; r < _relationCount; ++r) {
    const XelMathRelation* relation = _relations[r];
    if (!relation) {
      XelQuornull(__FILE__, __LINE__);
      return 0;
    }
    const long e = relation->GetExteriorDimension();
    for (long i = 0; i < e; ++i)
      oDomain.SetInterval(place++, relation->GetExteriorDomain(i));
  }
  return 1;
}

int XelMathRelationSolver::Solve(const XelMathIntervalND* iDomain, XelMathSetOfPointsND& oPoints,
                                 const XelTolerance& iTol) {
  if (!IsSquare())
    return XelMathStatus::Stopped;
  const long N = _dimension + _exteriorCount;
  std::unique_ptr<XelMathIntervalND> built;
  if (!iDomain) {
    built.reset(new XelMathIntervalND(N));
    if (!GetDomain(*built))
      return XelMathStatus::Refused;
    iDomain = built.get();
  }
  XelMathRelationSystem system(_relations, _relationCount, _exteriorCount, _constraints,
                               _constraintData, _constraintCount, iTol);
  // Three nodes per unknown, no singular treatment.
  XelMathScratchDoubles<16> scratch(N);
  long* counts = static_cast<long*>(static_cast<void*>(scratch.Data()));
  for (long k = 0; k < N; ++k)
    counts[k] = 3;
  XelMathAttrString noSingular(AttrSystemNoSingularityTreatment, 1);
  XelMathAttrPointerValue sampling(AttrSystemSamplingPoints, counts, 1);
  XelMathAttrList attributes;
  attributes.AddAttribute(&noSingular);
  attributes.AddAttribute(&sampling);
  return system.Solve(*iDomain, oPoints, &attributes);
}
