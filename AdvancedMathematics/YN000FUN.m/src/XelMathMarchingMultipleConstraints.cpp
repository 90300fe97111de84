// XelMathMarchingMultipleConstraints: a march cut where the earliest of several constraints
// changes sign.
#include "XelMathMarchingMultipleConstraints.h"

#include <cmath>
#include <cstring>

#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathMarchingDiagnosticMultiCstrn.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

XelMathMarchingMultipleConstraints::XelMathMarchingMultipleConstraints(
    XelSoftwareConfiguration* iConfig, long iN, long iNbConstraints, const XelTolerance& iTol,
    const XelMathAttrList* iAttributes)
    : XelMathImplicitSystem(iConfig, iN, iTol, iAttributes), _nbConstraints(iNbConstraints),
      _active(-1) {
  if (iNbConstraints < 0)
    XelMathRaise(XelErrorCode::InvalidOption, "XelMathMarchingMultipleConstraints",
                 "Dimension not valid",
                 "XelMathMarchingMultipleConstraints::XelMathMarchingMultipleConstraints");
}

XelMathMarchingMultipleConstraints::~XelMathMarchingMultipleConstraints() = default;

long XelMathMarchingMultipleConstraints::GetDynamicMemoryBytes() const {
  return XelMathImplicitSystem::GetDynamicMemoryBytes() + _stop.GetDynamicMemoryBytes() +
         _branchStart.GetDynamicMemoryBytes() + _branchEnd.GetDynamicMemoryBytes() +
         _perSolution.GetDynamicMemoryBytes();
}

long XelMathMarchingMultipleConstraints::GetStaticMemoryBytes() const {
  return sizeof(XelMathMarchingMultipleConstraints);
}

void XelMathMarchingMultipleConstraints::ActivateConstraint(const long i) {
  if (i < -1 || i >= _nbConstraints)
    XelMathRaise(XelErrorCode::WrongIndex, "XelMathMarchingMultipleConstraints::ActivateConstraint",
                 "Wrong Index", "");
  _active = i;
}

void XelMathMarchingMultipleConstraints::EvalConstraint(const double* X, double& oValue) const {
  if (_active < 0) {
    oValue = 1.0;
    return;
  }
  EvalOneConstraint(_active, X, oValue, nullptr);
}

void XelMathMarchingMultipleConstraints::EvalConstraint(const double* X, double& oValue,
                                                        double* oGradient) const {
  if (_active < 0) {
    oValue = 1.0;
    for (long i = 0; i < _n; ++i)
      oGradient[i] = 0.0;
    return;
  }
  EvalOneConstraint(_active, X, oValue, oGradient);
}

int XelMathMarchingMultipleConstraints::Run(const XelMathIntervalND& iDomain, const double* iX0,
                                            const double* iT0, XelMathSetOfPointsND& oResult) {
  const long n = _n;
  _stop.RemoveAll();
  XelMathSetOfPointsNDWithVectors march(n);
  XelMathImplicitSystem::Run(iDomain, iX0, iT0, march);
  const long watched = _active;
  auto restore = XelMathMakeOnExit([this, watched] { _active = watched; });
  const long count = march.GetNumberOfPoints();
  // The earliest change of sign of every constraint along the traced points.
  long earliest = -1;
  for (long i = 0; i < _nbConstraints && count >= 2; ++i) {
    _active = i;
    const long at = FindConstraintChangeOfSign(march);
    if (at >= 0 && (earliest < 0 || at < earliest))
      earliest = at;
  }
  const bool watchedStop = (GetDiagnostic() & XelMathMarchingCode::OnConstraint) && watched >= 0;
  if (earliest >= 0 && !(watchedStop && earliest >= count - 2)) {
    // The crossing nearest the start of the segment, and every constraint vanishing there.
    const double* p = march.GetPoints();
    double* a = XelQuorArrayDoubleNew(3 * n);
    auto freeA = XelMathMakeOnExit([a, n] { XelQuorArrayDoubleDel(a, 3 * n); });
    double* best = a + n;
    double* candidate = best + n;
    double bestDistance = -1.0;
    std::memcpy(a, p + earliest * n, sizeof(double) * n);
    for (long i = 0; i < _nbConstraints; ++i) {
      _active = i;
      if (!SolveOnConstraint(a, p + (earliest + 1) * n, candidate))
        continue;
      const double d = std::sqrt(XelSquareDistanceND(n, a, candidate));
      if (bestDistance < 0.0 || d < bestDistance) {
        bestDistance = d;
        std::memcpy(best, candidate, sizeof(double) * n);
      }
    }
    if (bestDistance >= 0.0) {
      // Vanishing there: small against the values at the ends of the segment.
      for (long i = 0; i < _nbConstraints; ++i) {
        double g = 0.0, g0 = 0.0, g1 = 0.0;
        EvalOneConstraint(i, best, g, nullptr);
        EvalOneConstraint(i, a, g0, nullptr);
        EvalOneConstraint(i, p + (earliest + 1) * n, g1, nullptr);
        if (std::fabs(g) <= 1e-6 * std::fmax(std::fabs(g0), std::fabs(g1)) + _epsSol)
          _stop.Append(static_cast<int>(i));
      }
      // Cut: the points up to the segment, then the crossing.
      double* t = XelQuorArrayDoubleNew(n);
      march.GetVector(earliest, t);
      while (march.GetNumberOfPoints() > earliest + 1)
        march.RemovePoint(march.GetNumberOfPoints() - 1);
      FindTangent(best, t);
      if (!EqualPoints(best, p + earliest * n))
        march.AddPointWithVector(best, t);
      XelQuorArrayDoubleDel(t, n);
      _singularStop = 0;
      _closed = 0;
      _diagnostic = 0;
      SetDiagnostic(XelMathMarchingCode::OnConstraint);
    }
  } else if (watchedStop) {
    // Stopped by the watched constraint: with it, every constraint vanishing at the last point.
    const double* p = march.GetPoints();
    const double* last = p + (count - 1) * n;
    for (long i = 0; i < _nbConstraints; ++i) {
      double g = 0.0, g0 = 0.0;
      EvalOneConstraint(i, last, g, nullptr);
      if (count >= 2)
        EvalOneConstraint(i, last - n, g0, nullptr);
      if (i == watched || std::fabs(g) <= 1e-6 * std::fabs(g0) + _epsSol)
        _stop.Append(static_cast<int>(i));
    }
  }
  oResult.AddSet(march);
  return 0;
}

XelMathMarchingDiagnostic* XelMathMarchingMultipleConstraints::GetBranchDiagnostic() const {
  if (GetDiagnostic() == XelMathMarchingCode::OnConstraint)
    return new XelMathMarchingDiagnosticMultiCstrn(GetDiagnostic(), _stop);
  return XelMathImplicitSystem::GetBranchDiagnostic();
}

XelMathMarchingDiagnostic* XelMathMarchingMultipleConstraints::CreateDiagnostic(
    const long iCode, const int iAtStart) const {
  if (iCode == XelMathMarchingCode::OnConstraint)
    return new XelMathMarchingDiagnosticMultiCstrn(iCode, iAtStart ? _branchStart : _branchEnd);
  return XelMathImplicitSystem::CreateDiagnostic(iCode, iAtStart);
}

void XelMathMarchingMultipleConstraints::SetStartDiagnostic(const long iDiagnostic) {
  XelMathImplicitSystem::SetStartDiagnostic(iDiagnostic);
  _branchStart = _stop;
  if (iDiagnostic != XelMathMarchingCode::OnConstraint)
    _branchStart.RemoveAll();
}

void XelMathMarchingMultipleConstraints::SetEndDiagnostic(const long iDiagnostic) {
  XelMathImplicitSystem::SetEndDiagnostic(iDiagnostic);
  _branchEnd = _stop;
  if (iDiagnostic != XelMathMarchingCode::OnConstraint)
    _branchEnd.RemoveAll();
}

void XelMathMarchingMultipleConstraints::SetStartMarchingDiagnostic(
    const long iSol, const XelMathMarchingDiagnostic& iDiag) {
  XelMathImplicitSystem::SetStartMarchingDiagnostic(iSol, iDiag);
  if (iSol == 0)
    _perSolution.RemoveAll();
  if (iDiag.IsAKindOf("XelMathMarchingDiagnosticMultiCstrn")) {
    XelRawCollint list;
    static_cast<const XelMathMarchingDiagnosticMultiCstrn&>(iDiag).GetStopConstraintIndices(list);
    for (int k = 1; k <= list.Size(); ++k) {
      _perSolution.Append(static_cast<int>(iSol));
      _perSolution.Append(0);
      _perSolution.Append(list[k]);
    }
  }
}

void XelMathMarchingMultipleConstraints::SetEndMarchingDiagnostic(
    const long iSol, const XelMathMarchingDiagnostic& iDiag) {
  XelMathImplicitSystem::SetEndMarchingDiagnostic(iSol, iDiag);
  if (iDiag.IsAKindOf("XelMathMarchingDiagnosticMultiCstrn")) {
    XelRawCollint list;
    static_cast<const XelMathMarchingDiagnosticMultiCstrn&>(iDiag).GetStopConstraintIndices(list);
    for (int k = 1; k <= list.Size(); ++k) {
      _perSolution.Append(static_cast<int>(iSol));
      _perSolution.Append(1);
      _perSolution.Append(list[k]);
    }
  }
}

void XelMathMarchingMultipleConstraints::GetStopConstraintIndices(XelRawCollint& oIndices) const {
  oIndices = _stop;
}

void XelMathMarchingMultipleConstraints::ListOf(const long i, const int iKind,
                                                XelRawCollint& oIndices) const {
  long start = 0, end = 0;
  GetStartEndDiagnosticsOfSol(i, start, end); // raises outside the solutions
  oIndices.RemoveAll();
  for (int k = 1; k + 2 <= _perSolution.Size(); k += 3)
    if (_perSolution[k] == i && _perSolution[k + 1] == iKind)
      oIndices.Append(_perSolution[k + 2]);
}

void XelMathMarchingMultipleConstraints::GetStartListOfCstrns(const long i,
                                                              XelRawCollint& oIndices) const {
  ListOf(i, 0, oIndices);
}

void XelMathMarchingMultipleConstraints::GetEndListOfCstrns(const long i,
                                                            XelRawCollint& oIndices) const {
  ListOf(i, 1, oIndices);
}
