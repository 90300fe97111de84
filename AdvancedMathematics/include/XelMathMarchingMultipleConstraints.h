#pragma once
// A march watched by several constraints g_0..g_(m-1) (a derived class supplies them through
// EvalOneConstraint). ActivateConstraint selects the one the march itself watches (-1: none);
// after each run every constraint is searched for a change of sign along the traced points,
// and the march is cut at the earliest one, at the exact point where it vanishes (diagnostic
// XelMathMarchingCode::OnConstraint). GetStopConstraintIndices lists the constraints that
// vanish there (several when they meet at that point); per solution of CleverSolve,
// GetStartListOfCstrns and GetEndListOfCstrns give those of each end. A branch stopped so
// reports a XelMathMarchingDiagnosticMultiCstrn from GetBranchDiagnostic.
#include "XelMathImplicitSystem.h"
#include "XelRawCollint.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathMarchingMultipleConstraints
    : public XelMathImplicitSystem {
public:
  /// iNbConstraints >= 0 constraints (else 0x20006); none active.
  XelMathMarchingMultipleConstraints(XelSoftwareConfiguration* iConfig, long iN,
                                     long iNbConstraints, const XelTolerance& iTol,
                                     const XelMathAttrList* iAttributes = nullptr);
  ~XelMathMarchingMultipleConstraints() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Constraint i at X; its gradient (N doubles) into oGradient when not null.
  virtual void EvalOneConstraint(const long i, const double* X, double& oValue,
                                 double* oGradient) const = 0;

  using XelMathImplicitSystem::EvalConstraint;
  /// The active constraint (1 when none is).
  void EvalConstraint(const double* X, double& oValue) const override;
  void EvalConstraint(const double* X, double& oValue, double* oGradient) const override;
  int Run(const XelMathIntervalND& iDomain, const double* iX0, const double* iT0,
          XelMathSetOfPointsND& oResult) override;
  XelMathMarchingDiagnostic* GetBranchDiagnostic() const override;
  void SetStartDiagnostic(const long iDiagnostic) override;
  void SetEndDiagnostic(const long iDiagnostic) override;
  void SetStartMarchingDiagnostic(const long iSol, const XelMathMarchingDiagnostic& iDiag) override;
  void SetEndMarchingDiagnostic(const long iSol, const XelMathMarchingDiagnostic& iDiag) override;

  /// -1 (none) or 0..m-1 (else 0x20007 "Wrong Index").
  void ActivateConstraint(const long i);
  long GetActiveConstraint() const { return _active; }
  long GetNumberOfConstraints() const { return _nbConstraints; }
  /// The constraints that stopped the last run (emptied first).
  void GetStopConstraintIndices(XelRawCollint& oIndices) const;
  /// The constraints that stopped solution i of the last CleverSolve at its start (end).
  void GetStartListOfCstrns(const long i, XelRawCollint& oIndices) const;
  void GetEndListOfCstrns(const long i, XelRawCollint& oIndices) const;

protected:
  XelMathMarchingDiagnostic* CreateDiagnostic(const long iCode, const int iAtStart) const override;

private:
  void ListOf(const long i, const int iKind, XelRawCollint& oIndices) const;

  long _nbConstraints;
  long _active;
  XelRawCollint _stop;        // constraints that stopped the last run
  XelRawCollint _branchStart; // ... the start and the end of the branch under way
  XelRawCollint _branchEnd;
  XelRawCollint _perSolution; // triples (solution, 0 start / 1 end, constraint)
};
