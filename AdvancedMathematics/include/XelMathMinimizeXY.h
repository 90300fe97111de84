#pragma once
// Minimizer of a two-variable function over a rectangle: every local minimum of f in
// [ua, ub] x [va, vb] (or only the absolute one), returned in a XelMathSetOfPointsND of
// dimension 2 holding (u, v).
//
// Minimize reads the options into a mode word (the Mode* constants below) and runs one strategy:
//  - DMinimize, the sampling strategy: f, its gradient and its Hessian on a grid; a function
//    whose gradient vanishes at every node and whose values agree is constant (status 2, the
//    centre reported); a function whose gradients are all parallel depends on one combination
//    a u + b v only and is minimized along the diagonal that spans that combination; otherwise
//    the four edges are minimized by the one-variable minimizer (MinimumBoundary), the
//    gradient system fu = fv = 0 is solved by the two-variable system solver in every grid cell
//    whose corner derivatives allow a stationary point (HasGoodSign), and every node lower than
//    its eight neighbours starts a local descent (LocalMinimization) for what the derivatives
//    cannot see (kinks, degenerate bottoms);
//  - RBMinimize, the interval strategy ("IntervalMethod", for functions with interval images
//    of f and of its gradient): recursive subdivision of the rectangle; boxes where a
//    component of the gradient keeps a sign, where the Hessian image is negative in a
//    direction, or (with a limit) where f stays above the limit are dropped; interval Newton
//    steps on the gradient contract the others; convex boxes are finished by Newton;
//  - GridGlobalMinimization and GridLocalMinimization ("GridGlobalOptimum",
//    "GridLocalOptimum"), descents from the best node or from every locally lowest node.
// Every minimum goes through AddMinimum, which applies the limit, the absolute mode and the
// coincidence distance R (|du| + |dv|).
//
// Tolerances (read from the tolerance given at construction): S scale factor, E relative
// epsilon (slack of the running best value), R root resolution (coincidence distance), L
// length resolution (L^2 is the default of the option "Tolerance"), and the constant
// tolerance of the option "TolForCst" (default L^2 S^2): values that spread less are one value.
//
// Ownership: the function, the tolerance and the result set are the caller's and must outlive
// the minimizer; a special-points set given by "SpecialPoints" is read, never owned.
// Failures: a result set of a dimension other than 2 raises XelMathInputError 0x20006; a grid
// size below 1 (or above 1024) raises 0x20004 ("Invalid Number Of Points"); statuses: 0 done,
// 2 constant function, 4 refused input (a null special-points set, an empty or non-finite
// rectangle, or one whose width overflows), 7 when more than 10000 minima were found (the first
// 10000 are returned; each new one is compared with those found). Every loop and recursion is
// bounded, so a function returning NaN ends the search.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval2D.h"
#include "XelQuorVirtual.h"

class XelMathAttrList;
class XelMathFunctionXY;
class XelMathSetOfPointsND;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathMinimizeXY : public XelQuorVirtual {
public:
  /// Bits of the mode word given to the strategies.
  static const long ModeEveryMinimum = 1; // every local minimum (clear: only the best)
  static const long ModeInterior = 2;     // no minimum on the boundary of the rectangle
  static const long ModeLimit = 4;        // no minimum above the running best value
  static const long ModeInterval = 8;     // the interval strategy when the function allows it
  static const long ModeRelentless = 16;  // a finer grid when nothing was found

  /// A minimizer of iFunction under iTol (neither is copied nor owned).
  XelMathMinimizeXY(const XelMathFunctionXY* iFunction, const XelTolerance& iTol);
  XelMathMinimizeXY(const XelMathMinimizeXY&) = delete;
  XelMathMinimizeXY& operator=(const XelMathMinimizeXY&) = delete;
  ~XelMathMinimizeXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Every minimum of the function over iDomain into ioMinima (dimension 2, emptied first),
  /// under the options of iAttributes (may be null). Status 0, 2 or 4.
  virtual int Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                       const XelMathAttrList* iAttributes) const;
  /// Safeguarded Newton descent from (ioU, ioV) inside iDomain: 0 converged, 7 otherwise (the
  /// point reached is returned either way).
  virtual int MinimizeNewton(double& ioU, double& ioV, const XelMathInterval2D& iDomain) const;
  /// A local minimum from (ioU, ioV) inside iDomain: Newton, and where it fails (a kink, a
  /// degenerate bottom) a descent along the gradient followed by restarted simplex searches.
  /// 0 when the point was improved or confirmed, 7 when every value met was NaN.
  virtual int LocalMinimization(double& ioU, double& ioV, const XelMathInterval2D& iDomain) const;
  virtual void SetOKScaleReviewed();
  virtual void ForceLocalMinBugCorrected();
  /// The strategy the mode and the function allow: RBMinimize (with the mode bits 1, 2 and 4)
  /// when ModeInterval is set and the function has interval images of f and its gradient,
  /// DMinimize otherwise.
  virtual int FMinimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                        const long iMode, double& ioBest, const long iNu, const long iNv) const;
  /// The sampling strategy on an iNu x iNv grid (see above). Raises 0x20004 for a size below 1
  /// or above 1024 (as do FMinimize, RBMinimize and the grid strategies, before any work).
  virtual int DMinimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                        const long iMode, double& ioBest, const long iNu, const long iNv) const;
  /// The interval strategy: the edges, then R2Minimize (second-derivative images available) or
  /// R1Minimize over the iNu x iNv cells of the rectangle.
  virtual int RBMinimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                         const long iMode, double& ioBest, const long iNu, const long iNv) const;
  /// Subdivision of iBox on the images of f and of its gradient; boxes narrower than the
  /// smallest width are finished by a local descent. iDepth counts the splits so far.
  virtual int R1Minimize(const XelMathInterval2D& iBox, XelMathSetOfPointsND& ioMinima,
                         const long iMode, double& ioBest, const long iDepth) const;
  /// R1Minimize with the Hessian images: concave directions drop a box, interval Newton steps
  /// contract it, a positive definite box holds at most one minimum and is finished by Newton.
  virtual int R2Minimize(const XelMathInterval2D& iBox, XelMathSetOfPointsND& ioMinima,
                         const long iMode, double& ioBest, const long iDepth) const;
  /// One interval Gauss-Seidel step on the gradient over ioBox (contracted in place): 0 no
  /// stationary point in the box, 1 the box may hold some, 2 the step maps the box into
  /// itself (exactly one stationary point, unique in the box).
  virtual int MinimizeIntervalNewton(XelMathInterval2D& ioBox) const;
  /// Offers (iU, iV) as a minimum under iMode; ioBest is the running best value (the limit).
  /// Returns 1 when the point was kept, 0 when rejected.
  virtual int AddMinimum(const double iU, const double iV, const long iMode,
                         XelMathSetOfPointsND& ioMinima, double& ioBest) const;
  /// From (ioU, ioV) along (iDu, iDv), up to the border of iDomain: the first local minimum
  /// of f on that segment (ioU, ioV updated). 0 found, 7 no decrease along the direction.
  virtual int FirstMinimumInDirection(double& ioU, double& ioV, const double iDu, const double iDv,
                                      const XelMathInterval2D& iDomain) const;
  /// The lowest node of the iNu x iNv grid of [iUa, iUb] x [iVa, iVb] refined by
  /// LocalMinimization into (oU, oV): 0; or the centre with status 2 when the values spread
  /// by at most iTolerance. Raises 0x20004 for a size below 1 or above 1024.
  virtual int GridGlobalMinimization(const double iUa, const double iUb, const double iVa,
                                     const double iVb, const long iNu, const long iNv,
                                     const double iTolerance, double& oU, double& oV) const;
  /// Every node of the grid lower than its neighbours refined by LocalMinimization and
  /// offered to AddMinimum under iMode: 0; 2 with the centre for a constant function.
  virtual int GridLocalMinimization(const double iUa, const double iUb, const double iVa,
                                    const double iVb, XelMathSetOfPointsND& ioMinima,
                                    const long iNu, const long iNv, const long iMode,
                                    const double iTolerance) const;
  /// In the kernel's debug mode, prints once the value at the centre of iDomain beside the
  /// value of the unscaled function iUnscaled (may be null); nothing otherwise.
  virtual void XelMathMinimizeXYParallelDebugCond(const XelMathInterval2D& iDomain,
                                                  const XelMathFunctionXY* iUnscaled) const;

  const XelMathFunctionXY* GetFunction() const { return _function; }
  long GetUnreviewedCount() const { return _unreviewedCount; }
  unsigned char IsScaleReviewed() const { return _scaleReviewed; }

private:
  /// The minima of the four edges of iDomain (one-variable minimizer) that are minima of f on
  /// the rectangle, offered to AddMinimum. Returns the number kept.
  int MinimumBoundary(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                      const long iMode, double& ioBest, const long iNu, const long iNv) const;
  /// Whether a cell whose corners carry the gradients iGu[4], iGv[4] and the Hessians
  /// (fuu, fuv, fvv) iH[4] (steps iHu, iHv) may hold a stationary point: each component
  /// changes sign at the corners or comes within reach of its first-order change.
  static bool HasGoodSign(const double* iGu, const double* iGv, const double (*iH)[3],
                          const double iHu, const double iHv);
  /// DMinimize for a function of a u + b v only (every gradient parallel to (iGu, iGv)).
  int MinimizeAlongGradient(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                            const long iMode, double& ioBest, const long iNu, const long iNv,
                            const double iGu, const double iGv) const;
  /// DMinimize inside the rectangle: the gradient system on the selected cells, then descents
  /// from the locally lowest nodes. iGrid holds f, fu, fv, fuu, fuv, fvv at the nodes.
  int MinimizeStationaryPoints(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                               const long iMode, double& ioBest, const long iNu, const long iNv,
                               const double* iGrid) const;
  /// Descents from the special points inside iDomain.
  int MinimizeFromSpecialPoints(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                                const long iMode, double& ioBest) const;
  /// R1Minimize and R2Minimize share the box loop; iSecond selects the Hessian tests.
  int SubdivideBoxes(const XelMathInterval2D& iBox, XelMathSetOfPointsND& ioMinima,
                     const long iMode, double& ioBest, const long iDepth, const bool iSecond) const;
  /// Whether no point at small steps around (iU, iV) inside iDomain is lower than it, up to
  /// the precision of the values (a side flat within that precision counts as rising). The
  /// eight directions of the axes and diagonals, and both ways along iAlong (may be null: a
  /// direction (du, dv) of the variables, such as the flattest one of the Hessian).
  bool IsLocalMinimum(const double iU, const double iV, const XelMathInterval2D& iDomain,
                      const double* iAlong = nullptr) const;
  /// Whether f does not decrease from a point of the border into the rectangle (the slopes
  /// across each side it lies on; where they are flat, IsLocalMinimum decides).
  bool RisesInwards(const double iU, const double iV, const XelMathInterval2D& iDomain) const;
  bool OnBoundary(const double iU, const double iV, const XelMathInterval2D& iDomain) const;
  /// Whether a minimum of iMinima lies within iWu x iWv of (iU, iV).
  bool KnownNear(const double iU, const double iV, const XelMathSetOfPointsND& iMinima,
                 const double iWu, const double iWv) const;
  /// A stationary point: offered when the Hessian (or, degenerate, the values around) says
  /// it is a minimum.
  int OfferStationary(const double iU, const double iV, const XelMathInterval2D& iDomain,
                      const long iMode, XelMathSetOfPointsND& ioMinima, double& ioBest) const;
  /// A point found by a strategy: dropped on the boundary in interior mode, merged with a
  /// kept minimum of the same basin (no ridge between them within a cell: the lower stays),
  /// else passed to AddMinimum. With the local-minimum-corrected flag every point is first
  /// confirmed by IsLocalMinimum.
  int OfferCandidate(const double iU, const double iV, const XelMathInterval2D& iDomain,
                     const long iMode, XelMathSetOfPointsND& ioMinima, double& ioBest) const;
  /// The minima by increasing value (equal values keep their order).
  void SortByValue(XelMathSetOfPointsND& ioMinima) const;

  const XelMathFunctionXY* _function;
  const XelTolerance* _tolerance;
  mutable double _toleranceValue;
  mutable long _localMinCorrected;
  mutable const XelMathSetOfPointsND* _specialPoints;
  mutable unsigned char _scaleReviewed;
  mutable unsigned char _debugConditionShown;
  mutable long _unreviewedCount;
  // Tolerance values read once at construction.
  double _scale;       // S
  double _relativeEps; // E
  double _rootRes;     // R
  double _lengthRes;   // L
  // State of the running call: the constant tolerance ("TolForCst" or L^2 S^2), the grid
  // steps (the reach of a merge and of the first simplex), the rectangle of RBMinimize.
  // Minima refused because the set already held MaxMinima of them (the status is then 7).
  mutable long _minimaRefused;
  mutable double _constantTolerance;
  mutable double _cellU;
  mutable double _cellV;
  mutable XelMathInterval2D _domain;
  mutable unsigned char _hasDomain;
};
