#pragma once
// Self-checks of an under-determined system written by a caller (a XelMathImplicitSystem of N
// unknowns and N-1 equations, with its optional constraint): its Jacobian, constraint gradient
// and Hessians against the base class's centred differences, and its combined evaluations and
// tangent against its single evaluations.
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckJacobian(x)    10 an entry of the rows 0..N-2 of EvalJacobian; 11 an entry of
//                       EvalConstraintJacobian; 20 an entry of EvalHessian
//   CheckMultiEval(x)   30 a value, 31 a Jacobian entry of Eval(X, F, J) against Eval(X, F) and
//                       EvalJacobian; 32 the value, 33 the gradient of EvalConstraint(X, v, g)
//                       against EvalConstraint(X, v) and EvalConstraintJacobian; 34 the
//                       direction of the raw tangent of EvalTangent against the generalised
//                       cross product of the Jacobian rows; 35 a tangent said null (or not
//                       finite) while the rows are clearly independent; 36 a value written by
//                       Eval past the N-1 equations
//   CheckAll(x)         the first non-zero code of CheckJacobian, then CheckMultiEval
//
// Thresholds at x, with a = 1 + sum |x_i| and d the base class's difference: eps^0.5 (a + |d|)
// for the first derivatives, eps^0.333 (a + |d|) for the Hessians; evaluations agree within
// a eps. Tangents are compared as unit vectors, within eps^0.5 (their sign matters: the march
// orients itself by it); a tangent said null is a failure when the cross product exceeds
// eps^0.25 times the product of the row norms.
//
// Every failure is also written to the kernel's error trace stream, one line opening with
// "***** Erreur de CheckImplicitSystem::" and the name of the check, then the quantity, its
// indices, and the two values compared. The system is not owned and must outlive the checker
// (its tangent and Hessian are non-const operations, hence the non-const pointer); x, N
// doubles, is not changed.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathImplicitSystem;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckImplicitSystem : public XelQuorVirtual {
public:
  XelMathCheckImplicitSystem(XelMathImplicitSystem* iSystem, const double iEps);
  XelMathCheckImplicitSystem(const XelMathCheckImplicitSystem&) = delete;
  XelMathCheckImplicitSystem& operator=(const XelMathCheckImplicitSystem&) = delete;
  ~XelMathCheckImplicitSystem() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll(const double* x) const;
  long CheckJacobian(const double* x) const;
  long CheckMultiEval(const double* x) const;

  XelMathImplicitSystem* GetSystem() const { return _system; }
  double GetEps() const { return _eps; }

private:
  /// Writes a failure (equation i, variables j and k when not negative) and returns iCode.
  long Report(const char* iCheck, const char* iQuantity, const long i, const long j, const long k,
              const double iFound, const double iExpected, const long iCode) const;
  /// The tangent checks (34, 35) at the point p.
  long CheckTangent(const double* p) const;

  XelMathImplicitSystem* _system;
  double _eps;
};
