#pragma once
// Self-checks of a system class of N equations written by a caller (a XelMathSystem): its
// Jacobian and second derivatives against the base class's centred differences, its combined
// and per-equation evaluations against each other, and its grid evaluations against point
// evaluations.
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckJacobian(x)          10 an entry of EvalJacobian, 20 a second derivative of
//                             EvalSecondDerivEquation
//   CheckMultiEval(x)         30 a value, 31 a Jacobian entry of Eval(x, f, J); 32 a value of
//                             EvalEquation(i, x); 33 an entry of EvalFirstDerivEquation(i, j,
//                             x); 34 of the gradient form; 35 the value, 36 the gradient of
//                             EvalEquation(i, x, value, gradient)
//   CheckGridEval(box, n)     40 a value, 41 a gradient of the grid evaluation of an equation
//                             with gradients, 42 a value of the form without; 43 when a grid
//                             evaluation writes past its values
//   CheckJacobianImage(box, n) 50 an entry of the Jacobian at a node of the grid outside the
//                             enclosure EvalJacobianImage gives over the box (when it gives one)
//   CheckAll(x, box, n)       the first non-zero code of the checks in the order above
//
// Thresholds at x, with a = 1 + sum |x_i| and d the base class's difference: eps^0.5 (a + |d|)
// for the first derivatives, eps^0.333 (a + |d|) for the second; evaluations agree within a eps
// (derivatives on a grid, whose nodes may differ from the checker's by rounding, within the
// first-derivative threshold).
//
// Every failure is also written to the kernel's error trace stream, one line opening with
// "***** Erreur de CheckSystem::" and the name of the check, then the quantity, its indices,
// and the two values compared. A point or box of another dimension than the system's cannot be
// read: box dimensions are checked (0x20006). The system is not owned and must outlive the
// checker; x is not changed.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathIntervalND;
class XelMathSystem;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckSystem : public XelQuorVirtual {
public:
  XelMathCheckSystem(const XelMathSystem* iSystem, const double iEps);
  XelMathCheckSystem(const XelMathCheckSystem&) = delete;
  XelMathCheckSystem& operator=(const XelMathCheckSystem&) = delete;
  ~XelMathCheckSystem() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll(const double* x, const XelMathIntervalND& iBox, const long n) const;
  long CheckJacobian(const double* x) const;
  long CheckMultiEval(const double* x) const;
  /// The grid of n nodes per dimension of iBox (at most 2^20 nodes in all and 64 unknowns,
  /// else 0x20004 and 0x20006).
  long CheckGridEval(const XelMathIntervalND& iBox, const long n) const;
  /// The Jacobian at the nodes of the same grid against the enclosure over iBox.
  long CheckJacobianImage(const XelMathIntervalND& iBox, const long n) const;

  const XelMathSystem* GetSystem() const { return _system; }
  double GetEps() const { return _eps; }

private:
  /// The number of nodes of the grid of n nodes per dimension of iBox (0 for n < 1), after
  /// the checks of the box dimension and of the counts.
  long GridNodes(const XelMathIntervalND& iBox, const long n, const char* iWhere) const;
  /// Node m of that grid (the last dimension varies fastest) into oNode.
  void GridNode(const XelMathIntervalND& iBox, const long n, const long m, double* oNode) const;
  /// Writes a failure (equation i, indices j and k when not negative) and returns iCode.
  long Report(const char* iCheck, const char* iQuantity, const long i, const long j, const long k,
              const double iFound, const double iExpected, const long iCode) const;

  const XelMathSystem* _system;
  double _eps;
};
