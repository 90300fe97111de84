#pragma once
// Solver of a system of two equations F(x, y) = 0, G(x, y) = 0 in two unknowns over a
// rectangle: every isolated solution found is returned in a XelMathSetOfPointsND of
// dimension 2.
//
// A derived class supplies F and G (EvalF, EvalG, IsA) and, when it can, their exact
// derivatives; the defaults are centred differences with the steps h1, h2 (absolute
// resolution times XelMathh1, XelMathh2).
//
// Method: recursive exclusion and subdivision. F is sampled with its gradient on a regular
// grid; cells where F keeps one sign and is monotone along the edges are dropped, G is
// looked at only in the remaining cells, and a cell where both may vanish is tested by the
// sequence of the zeros of F and G met around its boundary (a discrete topological degree).
// Solutions are reached by a safeguarded Newton iteration; each solution found excludes a
// square whose half-size comes from the local Jacobian and second derivatives. Solutions on
// cell edges, tangential (double) and crossing (singular) solutions, and cells below the
// smallest useful size have their own treatments.
//
// Systems that give guaranteed images (EvalValueImage, EvalImages, EvalSecondImages) have
// more cells settled by proof: blocks of cells where F cannot vanish, cells whose interval
// Jacobian is invertible (at most one solution, counted by the boundary degree when F and G
// are monotone there), nearly tangent curves separated by a combination of F and G convex
// over the cell, and around a singular solution a square proved free of other solutions.
//
// Result codes of the internal operations: 0 nothing found (or done), 1 solution added or
// cell handled, 2 handled on an edge or not settled, 3 undecided, -1 stop (the limit of
// 100 solutions is reached, or a whole curve of solutions was met).
//
// Statuses of Solve: 0 done, 4 empty domain (set untouched), 10 stopped early (only the first
// solution found is returned).
//
// Options: "DiscretizationMethod" (presence: grid sampling even for systems with interval
// images), "SamplingPointsX", "SamplingPointsY" (XelMathAttrIntegerValue, default 12, from 2
// to 4096), "NoSingularityTreatment" (presence), "XelMathAttrScaleOption" (power scales of
// the two equations and of the two variables, read when the tolerance is scaled).
//
// Work is bounded whatever F and G do (NaN in part of the box included): the recursion depth
// and the number of cells examined are capped; no NaN is returned as a solution.
//
// A system object is used by one thread at a time and keeps pointers to the caller's
// functions and solution set, which must outlive the call.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelQuorVirtual.h"

class XelTolerance;
class XelMathAttrList;
class XelMathInterval2D;
class XelMathSetOfPointsND;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSystemXY : public XelQuorVirtual {
public:
  /// A rectangular cell with the values and gradients of F and G at its corners, numbered
  /// 0 (x0, y0), 1 (x1, y0), 2 (x0, y1), 3 (x1, y1).
  struct Cell {
    double x0, x1, y0, y1;
    double f[4], fx[4], fy[4];
    double g[4], gx[4], gy[4];
  };

  /// A system solved within iTol (kept by reference). With attributes and a scaled tolerance,
  /// an attribute "XelMathAttrScaleOption" is handed to SetScaleOption.
  explicit XelMathSystemXY(const XelTolerance& iTol, const XelMathAttrList* iAttributes = nullptr);
  ~XelMathSystemXY() override;
  XelMathSystemXY(const XelMathSystemXY&) = delete;
  XelMathSystemXY& operator=(const XelMathSystemXY&) = delete;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- virtual operations (slot order) ----
  /// True for "XelMathSystemXY" and the names of the derived classes.
  virtual unsigned char IsAKindOf(const char* iName) const;
  /// Whether the evaluations named by the bits of iOption are exact (none at this level).
  virtual unsigned char IsOption(const long iOption) const;
  virtual const char* IsA() const = 0;
  virtual double EvalF(const double& x, const double& y) const = 0;
  virtual double EvalG(const double& x, const double& y) const = 0;
  virtual double EvalFirstDerivFX(const double& x, const double& y) const;
  virtual double EvalFirstDerivFY(const double& x, const double& y) const;
  virtual double EvalFirstDerivGX(const double& x, const double& y) const;
  virtual double EvalFirstDerivGY(const double& x, const double& y) const;
  virtual double EvalSecondDerivFX2(const double& x, const double& y) const;
  virtual double EvalSecondDerivFXY(const double& x, const double& y) const;
  virtual double EvalSecondDerivFY2(const double& x, const double& y) const;
  virtual double EvalSecondDerivGX2(const double& x, const double& y) const;
  virtual double EvalSecondDerivGXY(const double& x, const double& y) const;
  virtual double EvalSecondDerivGY2(const double& x, const double& y) const;
  /// Masked evaluation of F at a point: value (bit 1), first (2), second derivatives (4).
  virtual void EvalF(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
                     double* oFy, double* oFxx, double* oFxy, double* oFyy) const;
  virtual void EvalG(const double& x, const double& y, const long iDiff, double* oG, double* oGx,
                     double* oGy, double* oGxx, double* oGxy, double* oGyy) const;
  /// Masked evaluation of F on the regular iCounts[0] x iCounts[1] grid of iBox (point
  /// (x_i, y_j) at i * iCounts[1] + j, the last point at the high end).
  virtual void EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                     double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                     double* oFyy) const;
  virtual void EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                     double* oG, double* oGx, double* oGy, double* oGxx, double* oGxy,
                     double* oGyy) const;
  /// Every solution in iDomain into oSolutions (dimension 2, emptied first). 0, 4 or 10.
  virtual int Solve(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oSolutions,
                    const XelMathAttrList* iAttributes = nullptr);
  /// Safeguarded Newton iteration from (ioX, ioY) inside iDomain: 1 converged (point
  /// updated), 0 otherwise.
  virtual int SolveSafeNewton(double& ioX, double& ioY, const XelMathInterval2D& iDomain);
  /// oNorm = |F| + |G|; true when oNorm < epsSol (1 + sum |J_ij|) + length resolution
  /// (|x| + |y|), the sum taken when iJacobian (Fx, Fy, Gx, Gy) is given.
  virtual int IsNull(const double x, const double y, const double iF, const double iG,
                     double& oNorm, const double* iJacobian = nullptr) const;
  /// Residual threshold: iEps times the absolute resolution when iRelative, else iEps
  /// (times the scale of F when scaled). Remembered for a later scale option.
  virtual void SetEpsSol(const double iEps, const int iRelative);
  /// Determinant below which the Jacobian counts as singular (default 0).
  virtual void SetEpsSing(const double iEps);
  /// Power scales of the two equations and the two variables (0x20006 otherwise).
  virtual void SetScaleOption(const XelMathAttrScaleOption& iOption);
  /// 1 added or replaced a close duplicate, 0 duplicate rejected (or not a finite point, or
  /// outside a solve), -1 limit of 100 reached.
  virtual int AddSolution(const double x, const double y);
  /// DSolve over iDomain with a 12 x 12 grid.
  virtual int ISolve(const XelMathInterval2D& iDomain, const XelMathAttrList* iAttributes);
  /// Search of one box on an nU x nV sampling grid: 0, or -1 when the search must stop.
  virtual int DSolve(const double x0, const double x1, const double y0, const double y1,
                     const long nU, const long nV);
  /// The step of the curve following of TryMarching.
  virtual double GetStepMarching() const;
  /// A cell where F may vanish (F filled): G sampled at the corners and classified.
  virtual int CandidateF(Cell& ioCell);
  /// A cell where F and G may both vanish (both filled).
  virtual int CandidateFG(Cell& ioCell);
  /// A cell where F keeps one sign at the corners but is not monotone along an edge.
  virtual int SuspectF(Cell& ioCell);
  /// A cell where F may vanish and G keeps one sign at the corners without being monotone.
  virtual int CandidateFSuspectG(Cell& ioCell);
  /// Sign sequence around the cell: 0 no solution proved, 1 or 3 solution likely, 2 edge
  /// solution handled, -1 stop.
  virtual int TopologicalDegree(Cell& ioCell);
  /// Order of the zeros of F and G along the edge iA -> iB (both change sign): 0 F first,
  /// 1 G first, 2 common zero handled, 3 undecided, -1 stop.
  virtual int SeparateOnEdge(const double* iA, const double* iB, const double iF0, const double iF1,
                             const double iG0, const double iG1);
  /// Half-size of the square around the solution (x, y) free of other solutions.
  virtual double ExclusionRadiusOnZero(const double x, const double y) const;
  /// Codes of the zeros met along one edge (0 for F, 1 for G) appended to ioSequence.
  virtual int EdgeTreatment(const double* iA, const double* iB, const int iDirection,
                            const double iF0, const double iF1, const double iG0, const double iG1,
                            unsigned char* ioSequence, long& ioLength);
  /// Degree read from a partial sign sequence: 0, 1, or 3 undecided.
  virtual int TryTopologicalDegree(const unsigned char* iSequence, const long iLength) const;
  /// A common zero (x, y) on a cell edge: 0 duplicate, 2 handled, -1 stop.
  virtual int TreatEdgeSolution(const double x, const double y);
  /// The box minus the square of half-size r around (cx, cy), by four strips.
  virtual int DSolveMinusBox(const double x0, const double x1, const double y0, const double y1,
                             const double cx, const double cy, const double r);
  /// Newton from the cell centre (a cell of odd degree), else a minimization of F^2 + G^2
  /// from it, subdivision or exclusion.
  virtual int NewtonDichotomy(Cell& ioCell);
  /// Safeguarded Newton in the box: 1 converged, -2 singular Jacobian, 0 no convergence.
  virtual int SafeNewton(double& ioX, double& ioY, const double x0, const double x1,
                         const double y0, const double y1);
  /// Whether F (iWhich 0) or G (1) changes sign inside the edge iA -> iB: 1 with the point
  /// (oX, oY) where it takes the sign opposite to its ends, 0 otherwise.
  virtual int IsChangingSignOnEdge(const double* iA, const double* iB, const int iWhich, double& oX,
                                   double& oY);
  /// Whether the zero set of F (iWhich 0) or G (1) holds a closed loop inside the cell: 1
  /// with the extremum (oX, oY) of opposite sign, 0 otherwise.
  virtual int IsLoopInSquare(Cell& ioCell, const int iWhich, double& oX, double& oY);
  /// Two branches of the zero set of F (iWhich 0) or G (1) crossing one edge: the cell is
  /// cut between them. 0 none found, 1 handled, -1 stop.
  virtual int TryTwoBranchesByEdge(Cell& ioCell, const int iWhich);
  /// A singular solution (crossing branches or tangency) in the cell: 0 none, 1 handled,
  /// -1 stop.
  virtual int HyperbolicSingularity(Cell& ioCell, const int iWhich);
  /// Whether p1 and p2 are two solutions (see AddSolution).
  virtual int AreSeparateSolutions(const double* p1, const double* p2) const;
  /// Conjugate-gradient minimization in the box of F (iObjective 0), G (1), times iSign, or of
  /// F^2 + G^2 (2) from (ioX, ioY): 1 converged, 0 budget exhausted. oValue at the end.
  virtual int FletcherReeves(const int iObjective, const double iSign, double& ioX, double& ioY,
                             const double x0, const double x1, const double y0, const double y1,
                             double& oValue);
  /// Whether G vanishes along the whole arc of the zero curve of F through (x, y): 1 or 0.
  virtual int TryMarching(const double x, const double y);
  /// Line search: the t of [0, iTMax] where the objective (as FletcherReeves) is smallest
  /// along (x, y) + t (dx, dy), by bracketing its slope and bisection.
  virtual double SolveOnLine(const int iObjective, const double iSign, const double x,
                             const double y, const double dx, const double dy, const double iTMax);
  /// A cell below the smallest widths: 0 no common zero, 1 solution found, 2 not settled,
  /// -1 stop.
  virtual int TreatSmallSubDomain(const double x0, const double x1, const double y0,
                                  const double y1);
  /// Guaranteed images over iX x iY of F (iWhich 0) or G (1) and of its two first
  /// derivatives, when the system can compute them: 1 and the images, else 0 (the default).
  /// The cell scan uses them to drop cells where the function cannot vanish and to tell
  /// whether a function of one sign at the corners may dip inside.
  virtual int EvalImages(const int iWhich, const XelMathInterval& iX, const XelMathInterval& iY,
                         XelMathInterval& oV, XelMathInterval& oVx, XelMathInterval& oVy) const;
  /// The image of F (iWhich 0) or G (1) alone over iX x iY: 1 and the image, else 0 (the
  /// default takes it from EvalImages). Asked first where the value may settle a cell.
  virtual int EvalValueImage(const int iWhich, const XelMathInterval& iX,
                             const XelMathInterval& iY, XelMathInterval& oV) const;
  /// Guaranteed images over iX x iY of the second derivatives of F (iWhich 0) or G (1): 1
  /// and the images, else 0 (the default).
  virtual int EvalSecondImages(const int iWhich, const XelMathInterval& iX,
                               const XelMathInterval& iY, XelMathInterval& oVxx,
                               XelMathInterval& oVxy, XelMathInterval& oVyy) const;

  // ---- non-virtual ----
  /// The threshold of SetEpsSol into oEps (0x20006 when inconsistent with the scale option).
  void SetEps(const double iEps, const int iRelative, double& oEps) const;
  /// Flags: bit 1 sign threshold epsSol, bit 4 undecided edge order kept, bit 8 corner zeros
  /// at epsSol.
  void SetLevel(const unsigned long iLevel) { _level = iLevel; }

protected:
  /// Value and gradient (and second derivatives when asked) of F (iWhich 0) or G (1) in the
  /// solving variables (scaled when a scale option applies).
  void Eval2(const int iWhich, const double x, const double y, const long iDiff, double* oV,
             double* oVx, double* oVy, double* oVxx = nullptr, double* oVxy = nullptr,
             double* oVyy = nullptr) const;

private:
  /// F (iWhich 0) or G (1) with its gradient on the nU x nV grid of the box (solving units).
  void SampleGrid(const int iWhich, const double x0, const double x1, const double y0,
                  const double y1, const long nU, const long nV, double* oV, double* oVx,
                  double* oVy);
  /// The corner values and gradients of F or G of the cell.
  void FillCorners(const int iWhich, Cell& ioCell);
  /// AddSolution, after polishing the point (unless told it is exact) and merging it into a
  /// stored solution it is joined to.
  int Record(const double x, const double y, const bool iPolish = true);
  /// A solution reached inside the cell: added, then the cell searched around it.
  int Found(const double x, const double y, const Cell& iCell, const bool iPolish = true);
  /// The cell searched again on an iN x iN grid (nothing below the smallest widths).
  int Subdivide(const Cell& iCell, const long iN);
  /// A cell whose boundary proves a solution, too small to subdivide, where Newton's method
  /// fails: followed quarter by quarter (the one of degree 1) until Newton's method settles
  /// the solution or the cell reaches the length resolution. 1 found, 0 not, -1 stop.
  int FollowOddDegree(const Cell& iCell);
  /// Marks in oSettled (by the index of a cell's lower-left node) the cells of the nU x nV
  /// grid of the box inside blocks where F, sampled in iF, cannot vanish (one image per
  /// block; the marks already set are kept). Whether any was marked.
  bool SettleBlocks(const double x0, const double x1, const double y0, const double y1,
                    const long nU, const long nV, const double* iF, double* oSettled);
  /// A cell with F known at its corners: dropped, SuspectF or CandidateF.
  int ScanCell(Cell& ioCell);
  /// SuspectF (iWhich 0) or CandidateFSuspectG (1): edge dips cut the cell, else the interior
  /// extremum splits it.
  int SuspectOne(Cell& ioCell, const int iWhich);
  /// Newton's method on F = 0, det J = 0 from the cell centre (double solutions).
  int FindSingularity(Cell& ioCell);
  /// The objective of FletcherReeves and SolveOnLine and its gradient.
  double Objective(const int iObjective, const double iSign, const double x, const double y,
                   double* oGx, double* oGy) const;
  /// Whether the cell lies inside the exclusion square of a solution found.
  bool InsideExclusion(const Cell& iCell) const;
  /// For a function of one sign at the corners (iWhich 0 for F, 1 for G): 0 it cannot vanish
  /// in the cell, 1 it may dip to zero inside (SuspectF), from the images when the system
  /// has them, else from the corner derivatives.
  int MayDip(const int iWhich, const Cell& iCell) const;
  /// Whether the value images of F (iWhich 0) or G (1) over the four quarters of the box
  /// (those that do not settle split again, iLevels levels in all) all exclude 0.
  bool ValueExcludedByQuarters(const int iWhich, const double x0, const double x1,
                               const double y0, const double y1, const int iLevels) const;
  /// Whether the derivative of F (iWhich 0) or G (1) along edge iEdge (0 bottom, 1 right,
  /// 2 top, 3 left) changes sign, judged from the Hermite cubic of the corner data.
  bool EdgeTurns(const Cell& iCell, const int iWhich, const int iEdge) const;
  /// What the images of F and G over the box being scanned prove for every cell in it (and
  /// for every part of those cells searched in turn), and the images themselves.
  struct BoxFacts {
    double x0, x1, y0, y1;
    bool known[2];
    XelMathInterval v[2], vx[2], vy[2];
    bool monotone[2];
    bool regular;
    // Bounds of |d2/dx2|, |d2/dy2| and |d2/dxdy| of F and G over the box (cx0 .. cy1) where
    // they were taken last, which holds this one (curved[w] false: none known); pending[w]:
    // to be taken over this box when first needed.
    mutable bool curved[2];
    mutable double curvature[2][3];
    mutable double cx0, cx1, cy0, cy1;
    mutable bool pending[2];
  };
  /// Fills the curvature bounds of ioFacts: those of the enclosing box, to be taken again
  /// over this box when it is much smaller and they keep coming out much tighter.
  void LearnCurvature(BoxFacts& ioFacts) const;
  /// Whether curvature bounds of F (iWhich 0) or G (1) are known over the box being scanned
  /// (taken now when pending).
  bool Curved(const int iWhich) const;
  /// Whether F (iWhich 0) or G (1), beyond the sign threshold with one sign at the four
  /// values iV of the corners of the iW x iH cell, cannot vanish in it: the bilinear
  /// interpolant keeps that sign and the function departs from it by at most
  /// (iW^2 max|fxx| + iH^2 max|fyy|) / 8 (bounds of the box being scanned).
  bool CurvatureExcludes(const int iWhich, const double* iV, const double iW,
                         const double iH) const;
  /// Whether G cannot vanish in the cell, from its value and gradient at the centre and the
  /// curvature bounds of the box being scanned.
  bool CentreExcludesG(const Cell& iCell) const;
  /// The corner values and gradients of G of the cell, from the nodes of the grid being
  /// scanned when the cell is one of its cells (each node evaluated once).
  void FillCornersG(Cell& ioCell);
  /// Fills ioFacts for the box from the enclosing box's facts and, where the iCount samples
  /// of F and its gradient on the box's grid suggest they can prove something, from the
  /// images: -1 when F or G cannot vanish in the box, 0 otherwise.
  int LearnBox(const double x0, const double x1, const double y0, const double y1,
               const double* iF, const double* iFx, const double* iFy, const long iCount,
               BoxFacts& ioFacts) const;
  /// The images of F (iWhich 0) or G (1) and of its gradient over the cell, in the solving
  /// units (those of the box being scanned when the cell is that box): 1, or 0 when the
  /// system has none.
  int CellImages(const int iWhich, const Cell& iCell, XelMathInterval& oV, XelMathInterval& oVx,
                 XelMathInterval& oVy) const;
  /// Whether the images of F (iWhich 0) or G (1) over the cell are those of the box scanned.
  bool CachedImages(const int iWhich, const Cell& iCell) const;
  /// Whether the combination of F and G with the smallest gradient at the centre is convex
  /// (or concave) over the cell, by the second-derivative images, and keeps one sign there.
  bool QuadraticExcludes(const Cell& iCell) const;
  /// Whether the gradients of F and G are nearly parallel somewhere at the corners (where
  /// QuadraticExcludes may help).
  bool NearlyParallel(const Cell& iCell) const;
  /// Whether F, G or their gradient-cancelling combination keeps one sign over the cell.
  bool CombinationExcludes(const Cell& iCell) const;
  /// From the images of F and G over the cell (systems that have them): -1 one of them
  /// cannot vanish there; 1 the Jacobian is invertible over the cell (at most one solution);
  /// 2 besides, F and G are monotone in x and in y (the boundary degree counts that
  /// solution); 0 otherwise.
  int RegularCell(const Cell& iCell) const;
  /// Whether a solution found already lies in the cell (its edges included, to the length
  /// resolution).
  bool HoldsKnownSolution(const Cell& iCell) const;
  /// RegularCell read from enclosures of F and G and of their gradients over the cell given
  /// by the corner data and the curvature bounds of the box being scanned (known for both).
  int RegularByCurvature(const Cell& iCell) const;
  /// RegularCell from the images of F and G (2 each) over the cell.
  int ReadRegular(const XelMathInterval* iV, const XelMathInterval* iVx,
                  const XelMathInterval* iVy) const;
  /// Half-size of a square around the singular solution (x, y) (Jacobian of rank 1) proved
  /// free of other solutions outside the disc of radius iInner, from the second-derivative
  /// images over the square: the first of the iFirstCount sizes iFirst, else at most iMax;
  /// 0 when none is proved.
  double SingularExclusion(const double x, const double y, const double iInner,
                           const double iMax, const double* iFirst = nullptr,
                           const int iFirstCount = 0) const;
  /// SingularExclusion tried first with the squares around (x, y) that hold the cell with
  /// its neighbours and the whole cell, then with squares of half-size at most iMax.
  double CellExclusion(const double x, const double y, const double iInner, const double iMax,
                       const Cell& iCell) const;
  /// Whether the Jacobian at (x, y) is singular to 1e-4 of its size.
  bool NearlySingular(const double x, const double y) const;
  /// The singular solution near (ioX, ioY) in the cell, where F, G and the Jacobian
  /// determinant vanish together: true and the point, else false.
  bool PolishSingular(double& ioX, double& ioY, const Cell& iCell) const;
  /// Radius of the disc where the residual test holds around a singular solution.
  double SingularRadius(const double x, const double y) const;
  /// A singular solution (x, y) just recorded: -1 when a whole curve of solutions passes
  /// there (the search stops), else 0 with oRadius the radius of its exclusion square.
  int SingularityTreatment(const double x, const double y, double& oRadius);
  /// Zeros of F (at tF) and G (at tG) along the edge from iA to iB closer than the separation
  /// threshold: a common zero is handed to TreatEdgeSolution; otherwise their order (0: F
  /// first, 1: G first) when both brackets are pinned, else 3 (undecided). Codes as
  /// SeparateOnEdge.
  int SeparateOnEdge2(const double* iA, const double* iB, const double tF, const double tG,
                      const bool iPinned);
  /// IsNull, and each equation null on its own scale.
  bool BothNull(const double x, const double y, const double f, const double fx, const double fy,
                const double g, const double gx, const double gy) const;
  /// The exclusion half-size used by the search around a solution.
  double SearchRadius(const double x, const double y) const;
  /// The current cell searched around a solution already known on its boundary (divided
  /// 3 x 3 when the square around the solution is tiny beside it).
  int SearchAroundKnown(const double x, const double y);
  /// Half-sizes (oRx, oRy) of the rectangle excluded around the solution (x, y) in the cell:
  /// the square of half-size r, widened to the exclusion radius taken in the coordinates
  /// scaled by the cell, each side at most a quarter of the cell's side along its axis.
  void ExclusionRectangle(const double x, const double y, const double r, const double x0,
                          const double x1, const double y0, const double y1, double& oRx,
                          double& oRy) const;
  /// The box minus the rectangle of half-sizes (rx, ry) around (cx, cy), by four strips.
  int DSolveMinusRectangle(const double x0, const double x1, const double y0, const double y1,
                           const double cx, const double cy, const double rx, const double ry);
  /// Counts one cell examined; false once the budget of the solve is spent.
  bool Budget();
  /// SetScaleOption with the "XelMathAttrScaleOption" of iAttributes (scaled tolerance only).
  int ApplyScaleAttribute(const XelMathAttrList* iAttributes);
  /// sqrt(F^2 + G^2) at (x, y), without overflow.
  double Residual(const double x, const double y) const;
  /// Damped Newton steps from an accepted solution while they converge, in the domain and
  /// within 2e-2 of its size; true when the last Newton step is within the distance of one
  /// root. Steps that halve the distance stop at a double root, whose estimated place and
  /// distance go to oDoubleRoot (x, y, distance) when given.
  bool Polish(double& ioX, double& ioY, double* oDoubleRoot = nullptr) const;
  /// Whether (x, y), as it is or brought onto F = 0 by at most iReach, passes the solution
  /// test with its threshold times iShare: a point of the stretch where the curves stay within
  /// the test of each other.
  bool OnCommonStretch(double x, double y, const double iReach, const double iShare = 1.0) const;
  /// |det J| / max(|grad F|, |grad G|) at (x, y), about the Jacobian's smallest singular value
  /// (NaN when the derivatives are not finite).
  double SmallestSingularValue(const double x, const double y) const;
  /// The stored solution that (x, y) joins along a stretch passing the test (the join tested
  /// at its eighths, the middle first; stored points within the merge window only when
  /// iInsideWindow), or -1.
  long JoinedSolution(const double x, const double y, const bool iInsideWindow) const;
  /// iRadius (from ExclusionRadiusOnZero) reduced until the second derivatives over the square
  /// it gives around (x, y) agree with it.
  double ConfirmedRadius(const double x, const double y, double iRadius) const;
  /// Full Newton steps from (ioX, ioY) within the reach of Polish (iReach when longer): true
  /// when they settle (ioX, ioY then the point they settle on), oRegular when the last ones
  /// converged faster than linearly (a solution where the Jacobian is regular).
  bool NewtonSettles(double& ioX, double& ioY, bool& oRegular, const double iReach = 0.0) const;
  /// Whether (ioX, ioY) lies in the domain up to the rounding of its border (then brought
  /// onto it).
  bool IntoDomain(double& ioX, double& ioY) const;
  /// Whether full Newton steps from (x, y) settle on a solution beyond the border of the
  /// domain (by more than its rounding).
  bool SettlesOutside(const double x, const double y) const;
  /// Around a nearly singular point (x, y): the crossings at a small angle on either side of
  /// it, where the curves stay within the solution test of each other, from the roots of the
  /// second-order form of one function along the zero curve of the other; recorded when
  /// Newton's steps settle on them. The number added (0 when all were stored already),
  /// oFirst the stored index of the first (-1: none found); -1 when the solution set is full.
  int SplitFold(const double x, const double y, long& oFirst);
  /// Whether Newton's step at (x, y) is within the distance of one root.
  bool Settles(const double x, const double y) const;
  /// The Newton step (J^-1 (F, G)) at (x, y); false when it is not finite.
  bool NewtonStepAt(const double x, const double y, double& oDx, double& oDy) const;
  /// Reads the tolerance's values into the members below.
  void ReadTolerance();

  XelMathSetOfPointsND* _solutions;
  const XelMathInterval2D* _domain;
  XelMathIntervalND _box;
  double _scaleU, _scaleV, _scaleF, _scaleG;
  int _isScaled;
  const XelTolerance& _tolerance;
  double _epsRel10, _epsParam10, _epsJacobian, _epsAbsSmall;
  long _callCount;
  unsigned long _level;
  double _minWidthU, _minWidthV;
  long _depth;
  long _maxSingularDepth;
  double _epsSol;
  double _epsSing;
  double _h1, _h2, _h3;
  XelMathAttrScaleOption _scaleOption;
  int _scaleOptionSet;
  int _epsSolSet;
  double _epsSolValue;
  int _epsSolIsRelative;
  // Search state beyond the above: the cell whose boundary is being walked, the exclusion
  // half-size of each solution, and the count of cells examined in this solve.
  const Cell* _current;
  // The cell proved to hold at most one solution (its search ends with that solution), and
  // the facts proved over the box being scanned.
  const Cell* _uniqueCell;
  const BoxFacts* _facts;
  // How often an optional image settled something in this solve: asked while it pays.
  struct Odds {
    long tries = 0, hits = 0;
    bool Worth(const long iFree = 16) const { return tries < iFree || 4 * hits >= tries; }
    void Count(const bool iHit) {
      ++tries;
      hits += iHit ? 1 : 0;
    }
  };
  mutable Odds _valueFirst, _boxImages, _regularCells, _blockImages, _quadratic, _quarters,
      _curvature, _regularBounds;
  // G at the nodes of the grid being scanned, shared by its cells: the cell being scanned,
  // the indices of its corners, and per node G, Gx, Gy and whether they are known.
  struct NodeCache {
    const Cell* cell;
    long k[4];
    double* g;
    double* gx;
    double* gy;
    double* known;
  };
  NodeCache _nodes;
  // The storage of the node cache of the default 12 x 12 grid (G, Gx, Gy, known), used by the
  // outermost grid of at most 144 nodes.
  bool _nodeBufferBusy;
  double _nodeBuffer[4 * 144];
  // Whether the last boundary walk met two zeros on an edge in an undecided order.
  bool _orderUndecided;
  double _radius[100];
  // Half-size of the square around each solution proved free of other solutions (0: none).
  double _proved[100];
  long _provedCount;
  // The stored solution the last Record or AddSolution call added, replaced or met (-1: none).
  long _recorded;
  // Set by Record while it adds a point its Newton steps did not settle: such a point joins a
  // stored solution along a stretch inside the merge window too.
  bool _unsettled;
  // Set while SplitFold records the crossings beside a nearly singular solution.
  bool _splittingFold;
  long _work;
  // The tolerance's values, read at construction and at the start of each solve.
  double _absRes, _lengthRes, _sqLengthRes, _paramRes, _relEps;
};

/// 1 when (x - dx, y - dy) lies in the box, or when the step clipped to the box boundary is
/// below the resolution or keeps a quarter of the squared length; dx, dy are clipped.
XELADVANCEDMATHEMATICS_EXPORT int SafeNewtonStep(const double x, const double y, double& ioDx,
                                                 double& ioDy, const double xmin, const double xmax,
                                                 const double ymin, const double ymax);
/// The fraction of iStep that reaches the bound it points to: (high - x) / step for a
/// positive step, (low - x) / step for a negative one, XelMathInfinite for 0.
XELADVANCEDMATHEMATICS_EXPORT double ScalingValue(const double iLow, const double iHigh,
                                                  const double x, const double iStep);
