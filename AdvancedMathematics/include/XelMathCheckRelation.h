#pragma once
// Self-checks of a relation written by a caller (a XelMathRelation of n main and e exterior
// variables, e + 1 residuals): its Jacobian against the base class's centred differences, its
// combined evaluation against its single evaluations, and its claim of linearity.
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckJacobian(x, z)   10 an entry of EvalJacobian in a main variable, 11 in an exterior one
//   CheckMultiEval(x, z)  30 a residual, 31 a Jacobian entry of Eval(x, z, F, J) against
//                         Eval(x, z, F) and EvalJacobian; 32 a relation that says it is linear
//                         (IsLinear) whose residuals at a shifted point differ from the
//                         first-order expansion at (x, z); 33 a residual written past the
//                         e + 1 of Eval
//   CheckAll(x, z)        the first non-zero code of CheckJacobian, then CheckMultiEval
//
// Thresholds at (x, z), with a = 1 + sum |x_i| + sum |z_i| and d the base class's difference:
// eps^0.5 (a + |d|) for the Jacobian; evaluations agree within a eps. The linearity test shifts
// variable j by (1 + |v_j|) / 2, with alternating signs, and allows eps^0.5 (a' + |F| + sum
// |J_ij dv_j|) at the shifted point (a' its size): a Jacobian by differences is exact for an
// affine relation only up to the rounding divided by the step.
//
// Every failure is also written to the kernel's error trace stream, one line opening with
// "***** Erreur de CheckRelation::" and the name of the check, then the quantity, the residual
// and the variable (the index among the exterior variables for an exterior derivative), and
// the two values compared. A relation whose counts cannot be read (n < 1, e < 0, or more than
// 1024 variables in all) raises 0x20006 ("Dimension not valid"). The relation is not owned and
// must outlive the checker; x (n doubles) and z (e doubles, may be null when e is 0) are not
// changed.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathRelation;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckRelation : public XelQuorVirtual {
public:
  XelMathCheckRelation(const XelMathRelation* iRelation, const double iEps);
  XelMathCheckRelation(const XelMathCheckRelation&) = delete;
  XelMathCheckRelation& operator=(const XelMathCheckRelation&) = delete;
  ~XelMathCheckRelation() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll(const double* x, const double* z) const;
  long CheckJacobian(const double* x, const double* z) const;
  long CheckMultiEval(const double* x, const double* z) const;

  const XelMathRelation* GetRelation() const { return _relation; }
  double GetEps() const { return _eps; }

private:
  /// The counts n and e of the relation, after their check (0x20006).
  void Counts(long& oN, long& oE, const char* iWhere) const;
  /// Writes a failure (residual i, variable j when not negative) and returns iCode.
  long Report(const char* iCheck, const char* iQuantity, const long i, const long j,
              const double iFound, const double iExpected, const long iCode) const;

  const XelMathRelation* _relation;
  double _eps;
};
