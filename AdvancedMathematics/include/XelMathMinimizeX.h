#pragma once
// Minimizer of a one-variable function on a closed interval: every local minimum of f in
// [a, b] (or only the absolute one), returned in a XelMathSetOfPointsND of dimension 1.
//
// Interior minima are points where f' changes sign from negative to positive; a minimum at
// an end is where f' points outwards (f'(a) > 0, f'(b) < 0). Run chooses a strategy from
// what the function offers:
//  - RMinimize, a recursive bisection on the interval images of f, f' and f''
//    (IsOption(112)): pieces where f' keeps a sign or f is above the limit are dropped,
//    convex pieces are solved for f' = 0 by a bracketed Newton solve;
//  - FMinimize, the same bisection on the images of f and f' (IsOption(48)), ending in the
//    derivative sampling on narrow pieces;
//  - DMinimize, a sampling of f' and f'' with Newton solves of f' = 0 between samples where
//    f' goes from negative to positive (and where f' dips below 0 between two positive
//    samples);
//  - BrentMinimize, a derivative-free search: samples of f bracket each decrease-increase
//    pattern, refined by Brent's parabolic interpolation with golden-section fallback.
// Every minimum goes through AddMinimum, which applies the limit value, the absolute mode
// and the duplicate test, and never keeps a point where f is NaN or infinite. A stationary
// point (an end included) is a minimum only when f does not decrease from it on either side:
// where f' and f'' both vanish (x^3 at 0, x^4 / 3 at an end) the derivatives alone cannot tell
// a minimum from an inflection or a maximum, the change of f over small steps does.
//
// Tolerances (read from the tolerance given at construction): S scale factor, E relative
// epsilon (stationary and constant tests), U value unit, P point resolution (two minima
// closer than P (S + |r|) are one), W bisection width epsilon (Brent value test), L length
// resolution (L^2 is the default limit value, in force only once a limit is set).
//
// Ownership: the function, the tolerance and the result set are the caller's and must
// outlive the minimizer. Failures: a result set of a dimension other than 1 raises
// XelMathInputError 0x20006; numerical trouble is a status: 0 done, 2 the function is
// constant on the domain (its midpoint is the one minimum reported), 4 empty or non-finite
// domain. Every loop and recursion is bounded, so a function returning NaN ends the search.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval.h"
#include "XelQuorVirtual.h"

class XelMathFunctionX;
class XelMathSetOfPointsND;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathMinimizeX : public XelQuorVirtual {
public:
  /// A minimizer of iFunction under the tolerance iTol (neither is copied nor owned).
  XelMathMinimizeX(const XelMathFunctionX* iFunction, const XelTolerance& iTol);
  XelMathMinimizeX(const XelMathMinimizeX&) = delete;
  XelMathMinimizeX& operator=(const XelMathMinimizeX&) = delete;
  ~XelMathMinimizeX() override;
  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- setters ---------------------------------------------------------------------------
  /// Number of sample points of the sampling strategies (default 15; at least 2 is used). A
  /// count above 2^21 raises XelMathInputError 0x20004 ("Invalid Number Of Points").
  void SetSamplingValue(long iNbPoints);
  /// Minima whose value is above iLimit are rejected. An unreviewed value is counted. A NaN
  /// limit raises XelMathInputError 0x20006.
  void SetLimitValue(double iLimit, unsigned char iReviewed);
  /// Keep only the best minimum.
  void SetAbsoluteMinimum() { _absoluteMinimum = 1; }
  /// Do not report minima at the ends of the domain.
  void SetInteriorMinimum() { _interiorMinimum = 1; }
  /// Never use the interval strategies.
  void SetDiscretizationMethod() { _discretizationMethod = 1; }
  /// Derivative-free Brent strategy instead of the derivative sampling.
  void SetBrentMethod() { _brentMethod = 1; }
  /// Brent on the given sampling (not three times it); the first minimum sets the limit.
  void SetBrentMethodTrueSampling() { _brentTrueSampling = 1; }
  /// In absolute mode, refine a lone best sample once more by Newton on f' = 0.
  void SetReconvergeBestPoint() { _reconvergeBestPoint = 1; }
  /// Smallest piece of the first-derivative strategy, as a ratio of the domain (at most
  /// 0.1 is used). A negative, infinite or NaN ratio raises XelMathInputError 0x20006.
  void SetInternalMinWidthRatio(double iRatio);
  void SetOKScaleReviewed() { _scaleReviewed = 1; }

  // ---- getters ---------------------------------------------------------------------------
  long GetSamplingValue() const { return _sampling; }
  unsigned char IsLimitSet() const { return _limitSet ? 1 : 0; }
  double GetLimitValue() const { return _limitValue; }
  double GetMinimumWidth() const { return _minimumWidth; }
  long GetUnreviewedCount() const { return _unreviewedCount; }
  unsigned char IsScaleReviewed() const { return _scaleReviewed ? 1 : 0; }
  const XelMathFunctionX* GetFunction() const { return _function; }

  // ---- entry points ----------------------------------------------------------------------
  /// Stores iDomain and ioMinima and empties the set; raises 0x20006 when the set is not of
  /// dimension 1.
  void Initialize(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioMinima);
  /// Every minimum of the function in iDomain into ioMinima (emptied first). Status 0, 2
  /// (constant: the midpoint is reported) or 4 (empty or non-finite domain).
  int Run(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioMinima);

  // ---- strategies (work on the stored domain and set) -------------------------------------
  /// Recursive bisection on the images of f, f' and f''. Status 0, 2 or 4.
  virtual int RMinimize(const XelMathInterval& iI);
  /// Recursive bisection on the images of f and f'. Status 0, 2 or 4.
  virtual int FMinimize(const XelMathInterval& iI);
  /// Sampling of f' and f'' on iNbPoints points of iI with Newton solves of f' = 0.
  /// Status 0, 2 (every sample stationary) or 4 (iI empty).
  virtual int DMinimize(const XelMathInterval& iI, long iNbPoints);
  /// Derivative-free search on iNbPoints samples of iI. iLevel 0 (a whole domain) first
  /// tests the function for a constant (status 2); other levels skip that test. Status 0,
  /// 2 or 4.
  virtual int BrentMinimize(const XelMathInterval& iI, long iNbPoints, long iLevel);
  /// Brent's local minimization in [iA, iB] from iX inside it (iFa, iFx, iFb the values
  /// there); the point found is offered to AddMinimum, whose answer is returned.
  virtual int LocalBrentMinimize(double iA, double iX, double iB, double iFa, double iFx,
                                 double iFb);
  /// 1 when f differs from f(a) by at most E (U + |f(a)|) at 15 points of the domain
  /// (memoised once a difference is found).
  virtual int IsConstant();
  /// Offers x as a minimum: rejected (0) above the limit or within P (S + |r|) of a kept
  /// minimum r; otherwise kept (1), alone in absolute mode.
  virtual int AddMinimum(double x);

private:
  /// In the kernel's debug mode, the trace of a run on a scaled model whose values were not
  /// reviewed (width and values at the ends and the middle); nothing otherwise.
  void XelMathMinimizeXParallelDebug(const XelMathInterval& iDomain) const;
  void ReadTolerance();
  double Value(double x);
  void Remember(double x, double f);
  double EndSlope(double x);
  /// RMinimize and FMinimize with the recursion depth.
  int RMinimizeDepth(const XelMathInterval& iI, long iDepth);
  int FMinimizeDepth(const XelMathInterval& iI, long iDepth);
  /// The derivative sampling on a narrow piece: a run of stationary samples there only
  /// means constant when the whole function is.
  int NarrowPiece(const XelMathInterval& iI);
  /// 1 when f does not decrease from x on either side inside the domain: the first of the
  /// steps 1e-4, 1e-3, 1e-2 times the width of the domain at which the change of f leaves the
  /// noise E (U + |f(x)|) decides each side; a side flat within the noise counts as rising.
  bool RisesAround(double x);
  /// 1 when f falls steadily on one side of x inside the domain, on probes from a few units of
  /// the last place out, by more than 1/1000 of |f(x)|: x lies beside a pole, not at a minimum.
  bool FallsBeside(double x, double iFx);
  /// 1 when f keeps the value iFx, within the noise E (U + |iFx|), at iP and at four points
  /// between iP and x: both lie on one plateau, which is one minimum.
  bool OnePlateau(double iP, double x, double iFx);
  /// The edge between iUndefined (no slope there: f NaN, or NaN a little farther out) and
  /// iDefined, located to adjacent doubles, offered as a stationary end (AddStationary of
  /// its defined side).
  int AddEdgeOfDefinition(double iUndefined, double iDefined);
  /// AddMinimum of a stationary point that RisesAround accepts.
  int AddStationary(double x);
  /// Newton solve of f' = 0 in [iA, iB] with f'(iA) = iDa < 0 < f'(iB) = iDb, from iX.
  /// Returns 1 when a point was accepted into the set.
  int SolveStationary(double iA, double iB, double iDa, double iDb, double iX);
  /// Between two samples where f' > 0 at both ends and f'' goes from negative to positive,
  /// the lowest point of f' may dip below 0: the minimum of f' is found and, when f' is
  /// negative there, the minimum of f on its right.
  int SolveDip(double iA, double iB, double iDa, double iDb);

  const XelMathFunctionX* _function;
  double _domainLow;
  double _domainHigh;
  XelMathSetOfPointsND* _minima;
  long _sampling;
  // The sampling count was given (SetSamplingValue): the derivative sampling uses it as it
  // is; otherwise the run's sampling is refined until it resolves the shape of f'.
  unsigned char _samplingGiven;
  unsigned char _resolveSampling;
  long _limitSet;
  double _limitValue;
  unsigned char _absoluteMinimum;
  unsigned char _interiorMinimum;
  unsigned char _discretizationMethod;
  unsigned char _brentMethod;
  unsigned char _brentTrueSampling;
  unsigned char _reconvergeBestPoint;
  double _minimumWidth;
  double _internalMinWidthRatio;
  long _notConstant;
  const XelTolerance* _tolerance;
  long _scaleReviewed;
  long _unreviewedCount;
  // Tolerance values read once at construction.
  double _scale;        // S
  double _relativeEps;  // E
  double _valueUnit;    // U
  double _pointRes;     // P
  double _bisectionEps; // W
  // Minima accepted by the running strategy (the reconvergence test reads it).
  long _accepted;
  // The minima of the set from this index on are in increasing order (the duplicate test
  // looks at the neighbours of a new point among them, and at every minimum before them).
  long _sortedFrom;
  // The derivative of the function, built on first need by the dip test.
  XelMathFunctionX* _derivative;
  // The last value known to the search (f(_knownX) = _knownF), so that a point is not evaluated
  // twice when a strategy hands it to AddMinimum; and f' at the ends as Run found it.
  long _known;
  double _knownX;
  double _knownF;
  long _slopesKnown;
  double _slopeLow;
  double _slopeHigh;
};
