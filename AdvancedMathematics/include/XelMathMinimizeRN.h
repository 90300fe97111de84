#pragma once
// Local minimizer of a function of N variables inside a box, from given start points.
//
// Options (read from the list given to Run):
//  - "MinimizeWithInits": the start points. A XelMathAttrPointerValue holding a
//    XelMathSetOfPointsND* of dimension N; any other attribute of that key (or a null
//    pointer) means the points held by the result set on entry. Without this option Run
//    does nothing and returns 0.
//  - "BFGS" (presence): a quasi-Newton method (BFGS update of the inverse Hessian on the free
//    variables, projected backtracking line search with the Armijo condition); otherwise a
//    bounded Newton method (Hessian from the function: exact, or differences by default),
//    Levenberg-shifted when not positive definite, with the same projected line search.
//  - "KeepBestSol" (presence): when no start converged, the best point reached from each
//    start is returned with status 7.
// Variables at a bound where the gradient pushes outwards are held on the bound (projected
// gradient); a point is converged when the projected gradient is below 1e5 E (S + |f|)
// (E relative epsilon, S scale factor of the tolerance), or when the steps stall below
// P (S + |x|) (P point resolution) with a projected gradient below sqrt(E) (S + |f|).
// Minima closer than 1e4 P (1 + |x| / S) in each coordinate are merged.
//
// Ownership: the function, the tolerance, the box, the set and the list are the caller's.
// Failures: a box or result set of a dimension other than N raises XelMathInputError
// 0x20006. Status: 0 done (minima in the set, possibly none when no start was given), 4
// empty box, 7 no start converged (the set then holds the kept points with "KeepBestSol",
// nothing otherwise). Every iteration is bounded; NaN values end a start's descent.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathFunctionRN;
class XelMathIntervalND;
class XelMathSetOfPointsND;
class XelMathAttrList;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathMinimizeRN : public XelQuorVirtual {
public:
  /// A minimizer of iFunction under iTol (neither is copied nor owned).
  XelMathMinimizeRN(const XelMathFunctionRN* iFunction, const XelTolerance& iTol);
  XelMathMinimizeRN(const XelMathMinimizeRN&) = delete;
  XelMathMinimizeRN& operator=(const XelMathMinimizeRN&) = delete;
  ~XelMathMinimizeRN() override;

  /// The minima reached from the start points of iAttributes inside iBox into ioMinima.
  int Run(const XelMathIntervalND& iBox, XelMathSetOfPointsND& ioMinima,
          const XelMathAttrList* iAttributes);

  /// Iteration budgets of one descent (defaults 500 for BFGS, 100 for Newton).
  void SetMaxIterations(long iBfgs, long iNewton) {
    _maxBfgsIterations = iBfgs;
    _maxNewtonIterations = iNewton;
  }
  /// Number of function evaluations (values, gradients, Hessians) of the last Run.
  long GetNumberOfEvaluations() const { return _evaluations; }

  /// One descent from ioX (N coordinates, projected into the box first) by BFGS when iBfgs
  /// is not 0, by bounded Newton otherwise. ioX receives the last point, oValue its value.
  /// Returns 1 when converged. iBox must have dimension N.
  int Descend(const XelMathIntervalND& iBox, double* ioX, double& oValue, unsigned char iBfgs);

private:
  struct Work;
  int Bfgs(const XelMathIntervalND& iBox, Work& ioWork, double& oValue);
  int Newton(const XelMathIntervalND& iBox, Work& ioWork, double& oValue);
  /// Value and gradient at x.
  double ValueAndGradient(const double* x, double* oGrad);
  /// Largest component of the projected gradient.
  double ProjectedGradientNorm(const XelMathIntervalND& iBox, const double* x,
                               const double* g) const;
  /// Projected backtracking line search along d from x (value fx, gradient g): ioX1 receives
  /// the accepted point, oF1 its value. Returns 0 when no step decreased f.
  int LineSearch(const XelMathIntervalND& iBox, const double* x, double fx, const double* g,
                 const double* d, double iStep, double* oX1, double& oF1);

  const XelMathFunctionRN* _function;
  const XelTolerance* _tolerance;
  long _n;
  long _maxBfgsIterations;
  long _maxNewtonIterations;
  long _evaluations;
  double _scale;
  double _relativeEps;
  double _pointRes;
};
