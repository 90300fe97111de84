#pragma once
// The intersection of a surface S(u, v) = (F_0, F_1, F_2)(u, v) with a curve
// C(w) = (G_0, G_1, G_2)(w): the system of three equations f_i(u, v, w) = G_i(w) - F_i(u, v)
// in the unknowns (u, v, w), solved by the N-variable solver XelMathSystem.
//
// XelMathSystem3x3s is abstract: a derived class supplies the surface coordinates F_i and the
// curve coordinates G_i with their derivatives (EvalEquationF, EvalEquationG and their
// derivative, grid and interval forms; the defaults are centred differences, loops over the
// nodes, and no interval information). XelMathSystem3x3sImp binds three XelMathFunctionXY and
// three XelMathFunctionX.
//
// The separation is used everywhere the solver samples: on a grid of the box, F_i is sampled
// on the (u, v) grid and G_i on the w grid, once each, and each node's residual is formed
// from the two samples; the Jacobian rows are (-dF_i/du, -dF_i/dv, G_i'); with interval
// forms, the Jacobian enclosure of a cell comes from the images of the derivatives.
//
// Tangential and singular cases: a cell whose Jacobian may be singular is first tested for a
// curve lying in the surface (TryMarching: the common points, followed from a solution along
// the kernel direction of the Jacobian, stay common points); a converged point with a
// singular Jacobian is refined to the double root by the Lagrange conditions of the distance
// between the surface and the curve (LagrangeNearSingularity), and a cell where the curve
// stays away from the surface is reported empty (LocalTryNonIntersection).
//
// Statuses of Solve: 0 done, 4 empty domain, 10 stopped early: more than 500 solutions, or
// the curve lies in the surface over an arc (one point of the arc is returned alone, and
// IsCurveInSurface tells so).
#include "XelMathSystem.h"

class XelMathInterval;
class XelMathFunctionX;
class XelMathFunctionXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSystem3x3s : public XelMathSystem {
public:
  /// A system of 3 equations solved within iTol (kept by reference).
  explicit XelMathSystem3x3s(const XelTolerance& iTol, const XelMathAttrList* iAttributes = nullptr);
  ~XelMathSystem3x3s() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- what a derived class supplies (i from 0 to 2, else 0x20007 "Wrong Index") ----
  virtual double EvalEquationF(const long i, const double u, const double v) const = 0;
  virtual double EvalFirstDerivUEquationF(const long i, const double u, const double v) const;
  virtual double EvalFirstDerivVEquationF(const long i, const double u, const double v) const;
  virtual double EvalSecondDerivU2EquationF(const long i, const double u, const double v) const;
  virtual double EvalSecondDerivUVEquationF(const long i, const double u, const double v) const;
  virtual double EvalSecondDerivV2EquationF(const long i, const double u, const double v) const;
  virtual double EvalEquationG(const long i, const double w) const = 0;
  virtual double EvalFirstDerivEquationG(const long i, const double w) const;
  virtual double EvalSecondDerivEquationG(const long i, const double w) const;
  /// F_i and, when oFu and oFv are given, its derivatives on the regular grid of iBoxUV
  /// (dimension 2) with iCounts[0] x iCounts[1] nodes, node (j, k) at j * iCounts[1] + k.
  virtual void EvalEquationF(const long i, const XelMathIntervalND& iBoxUV, const long* iCounts,
                             double* oF, double* oFu, double* oFv) const;
  /// G_i and, when oGw is given, its derivative at the iCount regular nodes of iW.
  virtual void EvalEquationG(const long i, const XelMathInterval& iW, const long iCount, double* oG,
                             double* oGw) const;
  /// Images of F_i, dF_i/du, dF_i/dv over iU x iV: 1, or 0 when not available (default).
  virtual int EvalEquationF(const long i, const XelMathInterval& iU, const XelMathInterval& iV,
                            XelMathInterval& oF, XelMathInterval& oFu, XelMathInterval& oFv) const;
  /// Images of G_i and G_i' over iW: 1, or 0 when not available (default).
  virtual int EvalEquationG(const long i, const XelMathInterval& iW, XelMathInterval& oG,
                            XelMathInterval& oGw) const;

  // ---- the system of XelMathSystem ----
  using XelMathSystem::Eval;
  using XelMathSystem::EvalEquation;
  using XelMathSystem::EvalFirstDerivEquation;
  /// f_i = G_i(w) - F_i(u, v): the three F_i in one pass, the three G_i in another.
  void Eval(const double* x, double* oF) const override;
  /// Rows (-dF_i/du, -dF_i/dv, G_i').
  void EvalJacobian(const double* x, double* oJ) const override;
  void Eval(const double* x, double* oF, double* oJ) const override;
  double EvalEquation(const long i, const double* x) const override;
  void EvalFirstDerivEquation(const long i, const double* x, double* oGradient) const override;
  double EvalSecondDerivEquation(const long i, const long j, const long k,
                                 const double* x) const override;
  void EvalEquation(const long i, const double* x, double& oValue, double* oGradient) const override;
  /// Separable grids: F_i on the (u, v) grid and G_i on the w grid, once each.
  void EvalEquation(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                    double* oValues, double* oGradients) const override;
  void EvalEquation(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                    double* oValues) const override;
  /// Jacobian enclosure from the interval forms (1), or 0 when one is missing.
  int EvalJacobianImage(const XelMathIntervalND& iCell, double* oLow, double* oHigh) const override;
  /// Enclosure of G_i(w) - F_i(u, v) from the interval forms (1), or 0 when one is missing.
  int EvalEquationImage(const long i, const XelMathIntervalND& iCell, double& oLow,
                        double& oHigh) const override;
  /// The enclosure when both interval forms are at hand; with the curve's alone, the curve's
  /// image less the surface's values over the (u, v) rectangle as its corners, centre and
  /// slopes there show them (an estimate).
  int EvalEquationRange(const long i, const XelMathIntervalND& iCell, double& oLow,
                        double& oHigh) const override;

  /// The solve of XelMathSystem, 10 with one point when the curve lies in the surface.
  int Solve(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oSolutions,
            const XelMathAttrList* iAttributes = nullptr) override;
  /// The sampling search of XelMathSystem with the separable grids. 0 or -2.
  int FSolve(const XelMathIntervalND& iBox, const long* iCounts) override;
  /// The cell scan, stopped (-2) once a curve of common points has been met.
  int DSolve(const XelMathIntervalND& iBox, const long* iCounts, const long* iCellMask) override;
  /// From a point of a singular cell: 1 when the common points form a curve there (one of
  /// them added, the search then stops), 0 otherwise.
  int TryMarching(const XelMathIntervalND& iCell, const double* x) override;
  /// A solution x with a singular Jacobian: a curve of solutions (TryMarching), else the
  /// double root refined and kept. 1 when settled.
  int FindRootNearSingularity(const XelMathIntervalND& iCell, const double* x) override;

  // ---- tangential and singular cases (solving units) ----
  /// Newton's method on the Lagrange conditions of the squared distance between S(u, v) and
  /// C(w) from ioX, kept in iCell: 1 when it reaches a common point (ioX updated, added),
  /// 0 otherwise.
  virtual int LagrangeNearSingularity(const XelMathIntervalND& iCell, double* ioX);
  /// The point of the surface nearest to C(w) from (ioX[0], ioX[1]), ioX[2] = w fixed, by
  /// Gauss-Newton steps: the distance reached (ioX updated).
  virtual double ProjectionOnPatch(double* ioX) const;
  /// 1 when the curve provably does not meet the surface over iCell (an equation's image
  /// stays away from 0), 0 otherwise.
  virtual int LocalTryNonIntersection(const XelMathIntervalND& iCell) const;

  /// Whether the last solve met a curve lying in the surface.
  int IsCurveInSurface() const { return _curveInSurface; }

protected:
  /// Index check (0x20007 "Wrong Index").
  void CheckEquation(const long i, const char* iWhere) const;

private:
  /// Levenberg-Marquardt steps from ioX onto the solution set: 1 converged (ioX updated).
  int ProjectOnSolutions(double* ioX, const double iRadius) const;
  /// Unit vector of the kernel of a rank-2 Jacobian (0 when the Jacobian is regular).
  int KernelDirection(const double* iJ, double* oT) const;

  const XelTolerance& _tol;
  // State of a solve: a curve lying in the surface was met (kept after the solve), the
  // search is being stopped, the solve works in the system's own units.
  int _curveInSurface;
  int _stop;
  int _unscaled;
  // Steps of the default differences: absolute resolution times XelMathh1, XelMathh2.
  double _h1, _h2;
};

/// The system of a surface given by three XelMathFunctionXY and a curve given by three
/// XelMathFunctionX (not owned; they must outlive the system). A null function is reported
/// through XelQuornull and evaluates to NaN.
class XELADVANCEDMATHEMATICS_EXPORT XelMathSystem3x3sImp : public XelMathSystem3x3s {
public:
  XelMathSystem3x3sImp(const XelMathFunctionXY* iF0, const XelMathFunctionXY* iF1,
                       const XelMathFunctionXY* iF2, const XelMathFunctionX* iG0,
                       const XelMathFunctionX* iG1, const XelMathFunctionX* iG2,
                       const XelTolerance& iTol, const XelMathAttrList* iAttributes = nullptr);
  ~XelMathSystem3x3sImp() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  using XelMathSystem3x3s::EvalEquationF;
  using XelMathSystem3x3s::EvalEquationG;
  double EvalEquationF(const long i, const double u, const double v) const override;
  double EvalFirstDerivUEquationF(const long i, const double u, const double v) const override;
  double EvalFirstDerivVEquationF(const long i, const double u, const double v) const override;
  double EvalSecondDerivU2EquationF(const long i, const double u, const double v) const override;
  double EvalSecondDerivUVEquationF(const long i, const double u, const double v) const override;
  double EvalSecondDerivV2EquationF(const long i, const double u, const double v) const override;
  double EvalEquationG(const long i, const double w) const override;
  double EvalFirstDerivEquationG(const long i, const double w) const override;
  double EvalSecondDerivEquationG(const long i, const double w) const override;
  void EvalEquationF(const long i, const XelMathIntervalND& iBoxUV, const long* iCounts, double* oF,
                     double* oFu, double* oFv) const override;
  void EvalEquationG(const long i, const XelMathInterval& iW, const long iCount, double* oG,
                     double* oGw) const override;
  /// The images of the i-th surface function when it computes value and first-derivative
  /// images (IsOption(48)).
  int EvalEquationF(const long i, const XelMathInterval& iU, const XelMathInterval& iV,
                    XelMathInterval& oF, XelMathInterval& oFu, XelMathInterval& oFv) const override;
  int EvalEquationG(const long i, const XelMathInterval& iW, XelMathInterval& oG,
                    XelMathInterval& oGw) const override;

  const XelMathFunctionXY* GetF(const long i) const;
  const XelMathFunctionX* GetG(const long i) const;

private:
  const XelMathFunctionXY* _f[3];
  const XelMathFunctionX* _g[3];
};
