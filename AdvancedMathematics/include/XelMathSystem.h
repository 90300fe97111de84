#pragma once
// Solver of a square system of N equations f_i(x) = 0 in N unknowns over a box: every
// isolated solution found is returned in a XelMathSetOfPointsND of dimension N.
//
// A derived class supplies the N values (Eval) and, when it can, exact derivatives (EvalJacobian,
// or the per-equation forms); the defaults are centred differences with the step h1 = absolute
// resolution x XelMathh1 (h2 for second derivatives).
//
// Method: the box is sampled on a regular grid (counts[k] nodes in dimension k). Equation 0
// alone is sampled on the grid (its grid form of EvalEquation, with gradients while the
// recursion is shallow), and each grid cell, a hypercube with 2^N corners, takes its corner
// values of equation 0 from the nodes; a cell that equation 0 drops costs no other
// evaluation, a cell it keeps has the whole system evaluated at its corners. With
// "WholeSystemSampling" the whole system is evaluated once at every node instead, and each
// cell takes all its corner data from the nodes. A halved cell passes its corners on to its
// halves, which evaluate only the nodes of the cut. A cell is dropped when an equation keeps one
// sign at all its corners and its corner gradients rule out an interior dip, when a combination
// of the equations (chosen by weighted least squares) keeps one sign over it by its mean-value
// forms over the enclosed Jacobian, or when Krawczyk's operator misses the cell (or the box it
// contracts the cell to; a singular cell contracted below half its volume is searched in that
// box). A surviving cell whose Jacobian, enclosed over the cell, is regular holds at most one
// solution, reached by a safeguarded Newton iteration from its centre or its best corner; when
// both runs fail, the cell is halved a few more times. A cell whose Jacobian may be singular is
// halved along its widest side (compared with the domain's), and from the level singularLevel - 1
// on (singularLevel: 4, 2 in easy mode, 0 with "NoSingularityTreatment"), searched by bisection of
// its widest side down to a tiny width with Newton's method and, for tangential (double) solutions,
// a Levenberg-Marquardt minimization of the residual (a tiny cell whose Newton runs stall runs
// Newton once more in the cell widened by its width; after a first solution, a tiny singular
// cell runs Newton's method deflated by it, for a second one close by). Equations that keep one sign at the corners
// but may dip in between (suspect cells) are split down to suspectWidth, then searched for a sign
// change along the edges and inside the cell; where the depth stops the splitting of a cell
// still wider than suspectWidth, the bisection search takes it. The cells one solve may examine
// grow with its grid (100000 plus 16 per grid cell, at most 5e7); a solve also stops after 10
// million evaluations (plus twice the nodes of its first grid) or 256 MB of corner data of cells
// being halved. At most 12 unknowns (the corner data of a cell grow fourfold per unknown).
//
// Result codes of the internal operations: 0 nothing found (or cell dropped), 1 handled,
// 2 a sign change found (the cell goes on), -1 cell settled by a singular treatment,
// -2 stop the whole search (more than 500 solutions).
//
// Statuses of Solve: 0 done (the whole box searched), 4 empty domain (set untouched), 10
// stopped early: either more than 500 solutions (only the first one found is returned), or
// the work budget of the solve ended the search before the whole box was examined (every
// solution found so far is returned, others may exist).
//
// Options: "SamplingPoints" (XelMathAttrPointerValue holding N longs, or a
// XelMathAttrIntegerValue for the same count in every dimension; 2 to 4096; by default 6 up
// to 7 unknowns, and above, the whole system on the default grid of "WholeSystemSampling"),
// "WholeSystemSampling" (presence: the whole system at every grid node, and a default first
// grid of at most 1000 nodes: 5 nodes a side for N = 4, 3 for N = 5 and 6, 2 beyond, the
// halving of cells refining where needed), "NoSingularityTreatment" (presence), "EasySolver"
// (presence), "XelMathAttrScaleOption" (power scales of the N equations and N variables, read when
// the tolerance is scaled).
//
// Work is bounded whatever the equations do (NaN in part of the box included): the recursion
// depth and the number of cells examined are capped (a search cut by the cap answers 10);
// no NaN is returned as a solution.
//
// A derived class that overrides some overloads of Eval or EvalEquation says
// `using XelMathSystem::Eval;` (or EvalEquation) to keep the others.
//
// A system object is used by one thread at a time; it keeps pointers to the caller's box and
// solution set during Solve only.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathAttrScaleOption.h"
#include "XelQuorVirtual.h"

class XelTolerance;
class XelMathAttrList;
class XelMathIntervalND;
class XelMathNxNFullMatrix;
class XelMathSetOfPointsND;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSystem : public XelQuorVirtual {
public:
  /// A system of iDimension equations (>= 1, and small enough for an N x N matrix, else
  /// 0x20006 "Dimension not valid") solved within iTol (kept by reference). With attributes
  /// and a scaled tolerance, an attribute "XelMathAttrScaleOption" is handed to
  /// SetScaleOption.
  XelMathSystem(const long iDimension, const XelTolerance& iTol,
                const XelMathAttrList* iAttributes = nullptr);
  ~XelMathSystem() override;
  XelMathSystem(const XelMathSystem&) = delete;
  XelMathSystem& operator=(const XelMathSystem&) = delete;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- virtual operations (slot order) ----
  /// Every solution in iDomain into oSolutions (dimension N, emptied first). 0, 4 or 10.
  virtual int Solve(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oSolutions,
                    const XelMathAttrList* iAttributes = nullptr);
  /// Safeguarded Newton iteration inside iBox from ioX, allocation-free: ioF (N values at
  /// the end), oDx (N, the last step) and ioJ (N x N, the last Jacobian, overwritten by its
  /// elimination) are the caller's work arrays. Returns 1 converged (ioX updated), 0 not
  /// converged; oStatus: 0 converged, 1 singular Jacobian, 2 no convergence, 3 the iterate
  /// leaves the box, 4 a value is not finite.
  virtual int SolveSafeNewton(const XelMathIntervalND& iBox, double* ioX, double* ioF, double* oDx,
                              XelMathNxNFullMatrix& ioJ, int& oStatus);
  /// The N values at x.
  virtual void Eval(const double* x, double* oF) const = 0;
  /// The Jacobian at x, row-major (oJ[i * N + j] = d f_i / d x_j); centred differences.
  virtual void EvalJacobian(const double* x, double* oJ) const;
  /// Values and Jacobian at x.
  virtual void Eval(const double* x, double* oF, double* oJ) const;
  /// oNorm = sum f_i^2; true when every |f_i| is below epsSol sqrt(1 + |x|^2) sqrt(1 +
  /// |J_i|^2), J_i the row i of iJ when given (each equation on its own scale: a steep one
  /// must not let the others pass).
  virtual int IsRoot(const double* x, const double* iF, double& oNorm,
                     const double* iJ = nullptr) const;
  /// The looser test of a tangential solution: the same with the parametric resolution (in
  /// absolute units) in place of epsSol when it is larger.
  virtual int IsNull(const double* x, const double* iF, double& oNorm,
                     const double* iJ = nullptr) const;
  /// Keeps a point of N coordinates and a flatness measure of the intersection there.
  virtual void SetInterSol(const double* iPoint, const double iFlatness);
  /// The flatness kept by SetInterSol (0 when none).
  virtual double InterSol_GetFlatness() const;
  virtual int IsEasySolverOn() const;
  /// relativeEpsSol = iRelative, epsSol = iRelative x absolute resolution.
  virtual void SetRelativeEpsSol(const double iRelative);
  /// Component i of the system at x.
  virtual double EvalEquation(const long i, const double* x) const;
  /// d f_i / d x_j at x.
  virtual double EvalFirstDerivEquation(const long i, const long j, const double* x) const;
  /// d2 f_i / d x_j d x_k at x (centred difference of the first derivative, step h2).
  virtual double EvalSecondDerivEquation(const long i, const long j, const long k,
                                         const double* x) const;
  /// The gradient of f_i at x (row i of the Jacobian).
  virtual void EvalFirstDerivEquation(const long i, const double* x, double* oGradient) const;
  /// Value and gradient of f_i at x.
  virtual void EvalEquation(const long i, const double* x, double& oValue, double* oGradient) const;
  /// f_i and its gradient at every node of the regular grid of iBox with iCounts[k] nodes in
  /// dimension k (the last node at the high end; the last dimension varies fastest); node m
  /// has its value at oValues[m] and its gradient at oGradients[m * N].
  virtual void EvalEquation(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                            double* oValues, double* oGradients) const;
  /// f_i at every node of the grid, as above.
  virtual void EvalEquation(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                            double* oValues) const;
  /// The search over iBox (solving units) with iCounts nodes per dimension, work arrays
  /// allocated for the call. 0 or -2.
  virtual int FSolve(const XelMathIntervalND& iBox, const long* iCounts);
  /// The scan of the grid cells of iBox; when iCellMask is given only the cells whose entry
  /// (cell odometer order) is 1 are examined. 0, or -2 when the search must stop.
  virtual int DSolve(const XelMathIntervalND& iBox, const long* iCounts, const long* iCellMask);
  /// The 2^N corner values (and N gradients per corner when both are given) of the cell
  /// whose lowest node has the grid indices iCell, from grid arrays laid out as EvalEquation.
  virtual void FillLocalHyperCube(const long* iCell, const long* iCounts, const double* iValues,
                                  const double* iGradients, double* oCorner,
                                  double* oCornerGradients) const;
  /// 1 when the corner values may change sign (within the parametric resolution), else 0.
  virtual int IsChangingSignOnHyperCube(const double* iCornerValues) const;
  /// The same test with the threshold iThreshold.
  virtual int EasyChangingSignOnHyperCube(const double* iCornerValues,
                                          const double iThreshold) const;
  /// Whether the Jacobian enclosure over the cell may hold a singular matrix, from the
  /// N x N x 2^N corner Jacobians (row-major per corner) and the Jacobian at the centre (or
  /// from EvalJacobianImage when the system offers it). 1 may be singular, 0 regular.
  virtual int IsSingularIntervalJacobian(const XelMathIntervalND& iCell,
                                         const double* iCornerJacobians,
                                         const double* iCentreJacobian);
  /// Curve following from x when the solutions may form a curve through the cell: 1 handled
  /// (solutions added), 0 nothing found (the default).
  virtual int TryMarching(const XelMathIntervalND& iCell, const double* x);
  /// Called when Newton converged to x with a singular Jacobian: 1 when the solutions near
  /// the singularity were settled (added), 0 nothing found (the default).
  virtual int FindRootNearSingularity(const XelMathIntervalND& iCell, const double* x);
  /// The objective of the search of double solutions, 0.5 sum f_i^2, with its gradient
  /// J^T f (oGradient, N) and its Gauss-Newton Hessian J^T J (oHessian, N x N), and the
  /// values oF (N) and Jacobian oJ (N x N) at x, all in the solving units (scaled when a
  /// scale option applies).
  virtual double EvalForDoubleRoot(const double* x, double* oF, double* oJ, double* oGradient,
                                   double* oHessian) const;
  /// Easy mode for the rest of the solve: singularLevel 2, suspectWidth 0.06125 x domain
  /// width, very suspect coefficients 0 (0.06 with the rollback switch).
  virtual void SetEasySolver();
  /// Guaranteed enclosure of the Jacobian over iCell (oLow, oHigh, N x N each): 1 when the
  /// system can compute it, 0 otherwise (the default).
  virtual int EvalJacobianImage(const XelMathIntervalND& iCell, double* oLow, double* oHigh) const;
  /// Guaranteed enclosure [oLow, oHigh] of f_i over iCell: 1 when the system can compute it,
  /// 0 otherwise (the default).
  virtual int EvalEquationImage(const long i, const XelMathIntervalND& iCell, double& oLow,
                                double& oHigh) const;
  /// A range [oLow, oHigh] of f_i over iCell, an estimate where no enclosure is at hand, read
  /// only to keep a cell whose corner data miss a swing of f_i across 0 (never to drop one):
  /// EvalEquationImage by default.
  virtual int EvalEquationRange(const long i, const XelMathIntervalND& iCell, double& oLow,
                                double& oHigh) const;

  // ---- non-virtual ----
  long GetDimension() const { return _dimension; }
  /// Power scales of the N equations and the N variables (0x20006 otherwise).
  void SetScaleOption(const XelMathAttrScaleOption& iOption);
  /// Coefficients of the easy-mode threshold of each equation (N values copied).
  void SetVerySuspectCoeffs(const double* iCoeffs);
  /// One cell searched alone: its corners filled, then DSolveLocal. 0, 1 or -2.
  int SimpleDSolve(const XelMathIntervalND& iBox);
  /// Newton from ioX in iBox with its own work arrays: 1 converged, 0 not (oStatus as
  /// SolveSafeNewton).
  int SolveSafeNewtonWithAlloc(const XelMathIntervalND& iBox, double* ioX, int& oStatus);
  /// Newton's method from ioStart, kept in iCell: 1 when it records a solution, -2 when the
  /// solution set is full, 0 otherwise.
  int NewtonFrom(const XelMathIntervalND& iCell, double* ioStart);
  /// 1 added (or replaced a duplicate of larger residual), 0 duplicate, -1 limit of 500
  /// reached.
  int AddSolution(const double* x);
  /// Whether two solutions p1, p2 closer than the merge window are distinct.
  int AreSeparateSolutions(const double* p1, const double* p2) const;

protected:
  /// One cell with the corner values iCorner0 and gradients iGradients0 (null when not
  /// sampled) of equation 0. 0 dropped, 1 handled, -2 stop.
  int DSolveLocal(const XelMathIntervalND& iCell, const double* iCorner0,
                  const double* iGradients0);
  /// A cell where equation i keeps one sign at the corners but may dip: split while wider
  /// than suspectWidth, else searched for a sign change. 0 dropped, 1 handled, 2 goes on,
  /// -2 stop.
  int TreatSuspectHyperCube(const long i, const XelMathIntervalND& iCell, const double* iCorner,
                            const double* iGradients);
  /// A sign change (or a zero) of f_i along an edge of the cell whose derivative turns: 1.
  int TryChangeSignOnEdge(const long i, const XelMathIntervalND& iCell, const double* iCorner,
                          const double* iGradients);
  /// A point of the cell where f_i takes the sign opposite to its corners, or vanishes, by
  /// a projected descent from the best corner: 1 found, 0 not.
  int TryChangeSignInHyperCube(const long i, const XelMathIntervalND& iCell, const double* iCorner);
  /// A cell whose Jacobian may be singular: bisected down to a tiny width, regular parts by
  /// Newton, tiny singular cells by Newton and the double-root minimization. 0, 1, -2.
  int TreatSingularJacobian(const XelMathIntervalND& iCell);
  /// The halving search of iCell from its corner data (those of the cell being searched, or
  /// sampled): SingularSearch. 0, 1, -2.
  int HalvingSearch(const XelMathIntervalND& iCell);
  /// The interval hull of the corner and centre Jacobians (finite samples), widened (oLow,
  /// oHigh, N x N).
  void FillIntervalJacobian(const XelMathIntervalND& iCell, const double* iCornerJacobians,
                            const double* iCentreJacobian, double* oLow, double* oHigh) const;
  /// The domain in solving units: each bound divided by its variable scale factor.
  void ComputeScaledDomain(const XelMathIntervalND& iDomain, XelMathIntervalND& oScaled) const;
  /// The box of the solve under way, in solving units (null outside a solve).
  const XelMathIntervalND* GetSolvingDomain() const { return _domain; }

  // ---- evaluation in the solving units (scaled when a scale option applies) ----
  void SEval(const double* x, double* oF) const;
  void SEval(const double* x, double* oF, double* oJ) const;
  void SGrid(const long i, const XelMathIntervalND& iBox, const long* iCounts, double* oValues,
             double* oGradients) const;

private:
  /// The search of one cell from its corner data: iValues (2^N x N, corner-major) and, when
  /// sampled, iJacobians (2^N x N x N). 0 dropped, 1 handled, -2 stop.
  int SearchCell(const XelMathIntervalND& iCell, const double* iValues, const double* iJacobians);
  /// The same with the data of corner c read at iValuePtrs[c] (N values) and
  /// iJacobianPtrs[c] (N x N, or null when not sampled), where they lie; iValues and
  /// iJacobians, when given, hold the same data side by side; iTest0: the corner test of
  /// equation 0 when made already (CornerTest's answer), else -1.
  int SearchCorners(const XelMathIntervalND& iCell, const double* const* iValuePtrs,
                    const double* const* iJacobianPtrs, const double* iValues,
                    const double* iJacobians, const int iTest0);
  /// The search of a cell whose corner data passed the sign tests: iSuspect[i] for each
  /// equation of one sign at the corners that may dip between them.
  int SearchKeptCell(const XelMathIntervalND& iCell, const double* iValues,
                     const double* iJacobians, const bool* iSuspect);
  /// The scan of the grid cells of iBox from equation 0 sampled on the grid (by blocks, cut
  /// across its first dimensions, when the whole grid is too large to keep): the cells it
  /// keeps go on to DSolveLocal. 0 or -2.
  int ScanEquationZero(const XelMathIntervalND& iBox, const long* iCounts, const long* iCellMask,
                       const bool iGradients);
  /// The test of equation i on the corner values iCorner of iCell (iChange: whether they
  /// change sign; iRows: the gradient of f_i at corner c at iRows[c] + iOffset, or null): 0
  /// the cell is dropped, 1 the equation may vanish in it, 2 suspect (one sign at the corners, may
  /// dip between them).
  int CornerTest(const long i, const XelMathIntervalND& iCell, const double* iCorner,
                 const double* const* iRows, const long iOffset, const int iChange) const;
  /// The system (and its Jacobian when oJacobians is given) at the 2^N corners of iCell.
  void SampleCell(const XelMathIntervalND& iCell, double* oValues, double* oJacobians) const;
  /// The corner data of the two halves of iCell cut across iSide at its middle, from the
  /// parent's: only the 2^(N-1) nodes of the cut are evaluated.
  void SplitCorners(const XelMathIntervalND& iCell, const long iSide, const double* iValues,
                    const double* iJacobians, double* oLowValues, double* oLowJacobians,
                    double* oHighValues, double* oHighJacobians) const;
  int SingularSearch(const XelMathIntervalND& iCell, const double* iValues,
                     const double* iJacobians, const long iLevel, const long iRegularSplits);
  int NewtonInCell(const XelMathIntervalND& iCell, double* ioX, const int iTangential);
  /// Newton's method from ioX on the system deflated by the solution iRoot, inside iBox: 1
  /// when it reaches another solution (ioX), 0 otherwise.
  int DeflatedNewton(const XelMathIntervalND& iBox, const double* iRoot, double* ioX);
  /// iCell widened by its own width each side, within the domain.
  void Widened(const XelMathIntervalND& iCell, XelMathIntervalND& oWider) const;
  int Minimize(const XelMathIntervalND& iCell, double* ioX);
  /// Whether f_i, of one sign at the corners (iCorner), may reach the other sign inside the
  /// cell; its gradient at corner c is read at iRows[c] + iOffset.
  int MayDip(const XelMathIntervalND& iCell, const double* iCorner, const double* const* iRows,
             const long iOffset) const;
  /// Whether the enclosure of f_i over iCell (in the solving units) comes within the
  /// parametric resolution of 0; false when the system offers none.
  bool ImageMayVanish(const long i, const XelMathIntervalND& iCell) const;
  /// Whether the corner values and Jacobians (2^N each) fail to resolve some equation along
  /// some edge of iCell (see UnresolvedHull).
  bool Unresolved(const XelMathIntervalND& iCell, const double* iCornerValues,
                  const double* iCornerJacobians) const;
  int Subdivide(const XelMathIntervalND& iCell, const long iCount);
  /// Hull of the Jacobian over iCell (its image, or the widened hull of the samples); 0 when
  /// neither is available or finite.
  /// The corner and centre values, when given, let a quadratic system's exact hull be used.
  int JacobianHull(const XelMathIntervalND& iCell, const double* iCornerJacobians,
                   const double* iCentreJacobian, double* oLow, double* oHigh,
                   const double* iCornerValues = nullptr, const double* iCentreValues = nullptr);
  /// The hull of the Jacobian over iCell and the inverse of its midpoint, kept in _hullData
  /// (low, high, inverse) for the same corner and centre data; 1 when the hull is available
  /// and, when iInverse, the inverse too (formed on the first call that needs it).
  int PrepareHull(const XelMathIntervalND& iCell, const double* iCornerJacobians,
                  const double* iCentreJacobian, const bool iInverse,
                  const double* iCornerValues = nullptr, const double* iCentreValues = nullptr);
  /// |I - C [J]| for the hull and midpoint inverse prepared (PrepareHull with the inverse):
  /// N x N doubles, formed once per hull.
  const double* HullMagnitude();
  /// 1 when Krawczyk's operator or the combination test proves that iCell holds no solution
  /// (iCentreValues: the values at iCentre, the centre of iCell; iCornerValues: 2^N x N, or
  /// null): K misses the cell, or the box X n K(X) it contracts to, after a few steps with
  /// the same hull. oContracted (2 N: lower bounds, then upper), when given, receives the box
  /// holding the solutions of the cell.
  int KrawczykExcludes(const XelMathIntervalND& iCell, const double* iCornerValues,
                       const double* iCornerJacobians, const double* iCentreJacobian,
                       const double* iCentre, const double* iCentreValues, double* oContracted);
  /// The second derivatives of a system whose Jacobian is affine over the domain (a system of
  /// quadratic equations), found by sampling the Jacobian once per solve (midpoints, then
  /// radii, index (i N + j) N + k for d2 f_i / dx_j dx_k); null for any other system.
  const double* QuadraticHessian();
  /// Whether the system agrees over iCell with the quadratic one of the second derivatives
  /// iHessian (QuadraticHessian's), to rounding: the mean of the corner values against the
  /// centre's, and the lowest and highest corners' Jacobians against the centre's.
  bool AffineOverCell(const double* iHessian, const XelMathIntervalND& iCell,
                      const double* iCornerJacobians, const double* iCentreJacobian,
                      const double* iCornerValues, const double* iCentreValues) const;
  /// 1 when the second-order form of C f about iCentre (C = iInverse; iHessian: a hull of the
  /// second derivatives over the box, midpoints then radii) proves that the box [ioLow, ioHigh]
  /// holds no solution; otherwise the box is narrowed side by side to the solutions it may
  /// hold. iValuePad: per row, C times the rounding of the values at the centre.
  int SecondOrderExcludes(const double* iHessian, const double* iCentreJacobian,
                          const double* iCentre, const double* iCentreValues,
                          const double* iInverse, const double* iValuePad, double* ioLow,
                          double* ioHigh) const;
  /// 1 when a combination of the equations, chosen by weighted least squares from the hull
  /// prepared for the cell, keeps one sign over the box [iLow, iHigh] (its mean-value form
  /// about the centre of the box, where the system takes the values iValues, and, when
  /// iCornerValues (2^N x N) is given, about its downhill and uphill corners).
  int CombinationExcludes(const double* iLow, const double* iHigh, const double* iValues,
                          const double* iCornerValues) const;
  /// 1 when the combination iV.f keeps one sign over the box [iLow, iHigh], bounded from
  /// two of its corners (iCornerValues, 2^N x N) with the hull prepared for the cell; iPad:
  /// a size of the bound's terms for the padding.
  int CornerBoundsExclude(const double* iV, const double* iLow, const double* iHigh,
                          const double* iCornerValues, const double iPad) const;
  /// Whether equation i keeps one sign over iCell, bounded from the cell's corners
  /// (iCornerValues, 2^N x N) with the hull prepared for the cell.
  bool EquationKeepsSign(const long i, const XelMathIntervalND& iCell,
                         const double* iCornerValues) const;
  /// The side of iCell widest compared with the same side of the domain.
  long WidestSide(const XelMathIntervalND& iCell) const;
  /// The width of side k of iCell divided by the domain's.
  double RelativeWidth(const XelMathIntervalND& iCell, long k) const;
  /// The side to halve iCell on: with the hull and inverse of iCell prepared, the side with the
  /// largest share of |I - C [J]| among those at least SmearWidthRatio as wide as the widest;
  /// otherwise the widest.
  long HalvingSide(const XelMathIntervalND& iCell);
  /// iCell halved along iSide (by default its widest side), both halves searched one level
  /// deeper. 1 or -2.
  int Bisect(const XelMathIntervalND& iCell, long iSide = -1);
  /// A solution found in iCell: polished, then added (AddSolution) and, when its Jacobian is
  /// singular, handed to FindRootNearSingularity. 1 or -2.
  int Recorded(const double* iX, const XelMathIntervalND& iCell);
  /// Whether iPoint, brought back by two sweeps of projections on each equation's zero set
  /// along its gradient (moving by less than sqrt(iShift2)), passes IsNull: a point of a
  /// stretch where the solution sets stay within the test of each other.
  bool OnCommonStretch(const double* iPoint, const double iShift2) const;
  /// The stored solution that iX joins along such a stretch (the join tested at its
  /// JoinPoints pieces, the middle first), or -1.
  long JoinedSolution(const double* iX) const;
  /// Damped Newton steps from an accepted solution, in the domain; the point is moved only
  /// when they settle it (a last step within the distance of one root). Steps that halve the
  /// distance stop at a double root, whose estimated place and distance go to oDoubleRoot
  /// (n coordinates, then the distance) when given.
  void Polish(double* ioX, double* oDoubleRoot = nullptr);
  /// The Newton step J(x)^-1 f(x) into oStep; false when it is not finite.
  bool NewtonStepAt(const double* x, double* oStep);
  bool Budget();
  /// A block of HalfBlockSize() doubles for one frame of the singular search, released by
  /// --_halfBlockTop.
  double* PushHalfBlock();
  long HalfBlockSize() const;
  void AllocateFillArrays();
  void ReleaseFillArrays();
  double Residual2(const double* x) const;
  void ReadTolerance();
  int ApplyScaleAttribute(const XelMathAttrList* iAttributes);

  long _dimension;
  long _cornerCount;
  const XelMathIntervalND* _domain;
  XelMathSetOfPointsND* _solutions;
  XelMathNxNFullMatrix* _jacobian;
  // Work arrays of a fill.
  XelMathNxNFullMatrix* _work1;
  XelMathNxNFullMatrix* _work2;
  long* _counts;
  double* _cornerValues;
  double* _cornerJacobians;
  double _suspectWidth;
  long _singularLevel;
  long _depth;
  long _callCount;
  int _easySolver;
  double* _verySuspectCoeffs;
  double* _scaleFactorsX;
  double* _scaleFactorsF;
  int _isScaled;
  double _relativeEpsSol;
  double _epsSol;
  XelMathAttrScaleOption _scaleOption;
  int _scaleOptionSet;
  const XelTolerance& _tolerance;
  double* _interSol;
  // Search state beyond the above: cells examined in this solve, whether easy mode was set
  // in this solve, and the tolerance's values read at each solve.
  long _work;
  long _maxWork;
  // Evaluations of the system (values, or values and Jacobian) made by this solve, and the
  // most it may make.
  mutable long _evaluations;
  long _maxEvaluations;
  // The corner data of the cell being searched (kept for its halving), and that of a cell
  // being halved, read by the DSolve call that searches its halves.
  const XelMathIntervalND* _cellBox;
  const double* _cellValues;
  const double* _cellJacobians;
  const XelMathIntervalND* _parentBox;
  const double* _parentValues;
  const double* _parentJacobians;
  // The Jacobian hull of a cell, the inverse of its midpoint and |I - C [J]| (4 N x N
  // doubles), with the data they were computed from.
  double* _hullData;
  const double* _hullCorners;
  const double* _hullCentre;
  int _hullState;
  // Whether |I - C [J]| (the fourth N x N block of _hullData) is formed for the hull.
  int _hullMagnitude;
  // Whether the hull is that of a quadratic system's Jacobian, affine over the cell.
  int _hullAffine;
  // Corner data of the halves of the cells being halved by the singular search, one block
  // per active frame (2 x 2^N x (N + N x N) doubles each), kept until the fill ends.
  double** _halfBlocks;
  long _halfBlockCount;
  long _halfBlockTop;
  int _easySet;
  // The second derivatives of a quadratic system over the domain of the solve in progress
  // (2 x N x N x N doubles), and whether they are known: -1 not sampled yet, 0 not a
  // quadratic system, 1 known.
  double* _quadraticHessian;
  int _quadratic;
  // "WholeSystemSampling" given to the solve in progress.
  int _wholeSystemSampling;
  double _absRes, _sqLengthRes, _paramRes, _relEps;
  double _h1, _h2;
};

/// Fills the 2^N corners of a grid cell from the node arrays, dimension iK and below (from
/// the last dimension to the first): iValues (and iGradients, N per node) point at the node
/// of the cell for the dimensions above iK, iStride is the node stride of dimension iK.
XELADVANCEDMATHEMATICS_EXPORT void RFillLocalHyperCube(const long iN, const long iK,
                                                       const long iStride, const long* iCounts,
                                                       const double* iValues,
                                                       const double* iGradients, double* oCorner,
                                                       double* oCornerGradients);
