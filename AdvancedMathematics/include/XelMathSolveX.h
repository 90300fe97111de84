#pragma once
// Root finder of a one-variable function on a closed interval: every root of f in
// [low, high], returned in a XelMathSetOfPointsND of dimension 1.
//
// Two strategies, chosen by Run from what the function offers:
//  - a recursive interval-Newton subdivision (RSolve) when the function computes interval
//    images of its value and first derivative (IsOption(48)); when it also bounds f''
//    (IsOption(64)), a narrow interval where f'' keeps one sign is settled from its two ends
//    and the root of f' (one extremum: a double root, two roots or none) instead of being
//    split on;
//  - a sampling of the domain (DSolve) otherwise, where sign changes of f are solved and
//    double roots are found through the roots of f' between samples.
// Both refine candidates by a bracketed Newton-secant iteration (SolveNewton, optionally
// mixed with bisection steps) and accept points through IsRoot / AddRoot. Closed-form
// paths serve polynomials (RunOnPolynom: every real root, multiple and clustered roots
// included) and a*cos(w*x - phi) + c (RunOnTrigonometric).
//
// Tolerances (read from the tolerance given at construction): S scale factor, R root
// resolution (EpsRoot and absolute tolerance default to 1000 R), E relative epsilon
// (monotony and width tests, derivative threshold 1000 E), W bisection width epsilon,
// P point resolution (two roots closer than P (S + |r|) are one).
//
// Ownership: the function, the tolerance, the constraint and the result set are the
// caller's and must outlive the solver. Failures: a result set of a dimension other than 1
// raises XelMathInputError 0x20006; numerical trouble is a status (0 done, 1 function null
// on the domain, 4 empty domain; Newton solves 0 accepted, 7 budget exhausted). Every
// iteration is bounded, so a function returning NaN ends the search.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval.h"
#include "XelQuorVirtual.h"

class XelMathFunctionX;
class XelMathSetOfPointsND;
class XelMathConstraint;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSolveX : public XelQuorVirtual {
public:
  /// A solver of iFunction under the tolerance iTol (neither is copied nor owned).
  XelMathSolveX(const XelMathFunctionX* iFunction, const XelTolerance& iTol);
  XelMathSolveX(const XelMathSolveX&) = delete;
  XelMathSolveX& operator=(const XelMathSolveX&) = delete;
  ~XelMathSolveX() override;

  // ---- virtual operations (all internal calls go through them) --------------------------
  /// Bracketed Newton-secant solve on iI = [a, b] with end values iFa, iFb, starting from
  /// ioX. iMode 0 solves f = 0; another mode solves f' = 0 (iFa, iFb are then values of f').
  /// Status 0 on an accepted point, 7 when the budget ran out (ioX holds the last iterate).
  virtual int SolveNewton(const XelMathInterval& iI, double iFa, double iFb, long iMode,
                          double& ioX);
  /// Safeguarded Newton iteration from ioX inside iI (ioX is clamped into iI first), on
  /// f = 0 for iMode 0 and on f' = 0 otherwise; oValue receives the solved function at the
  /// final point (f, or f' in mode 1). Status 0 converged, 7 budget exhausted, 4 empty iI.
  /// Runs SolveNewtonWithInitOld when the old-Newton flag is set.
  virtual int SolveNewtonWithInit(const XelMathInterval& iI, long iMode, double& ioX,
                                  double& oValue);
  /// Null test of the value iF at x: |f| below the absolute tolerance when one was given,
  /// else IsRoot. oF2 receives f^2. iDeriv (may be null) is f'(x).
  virtual unsigned char IsNull(const double& x, const double& iF, double& oF2,
                               const double* iDeriv = nullptr);
  /// Root test: f^2 < EpsRoot^2 (1 + f'^2) with a derivative, f^2 < EpsRoot^2 without one.
  virtual unsigned char IsRoot(const double& x, const double& iF, double& oF2,
                               const double* iDeriv = nullptr);
  /// Recursive interval Newton on iI. Status 0, 1 (null function), 4 (empty interval).
  virtual int RSolve(const XelMathInterval& iI, long iDepth);
  /// End of the recursion on a narrow non-monotone interval: tests its two ends.
  virtual int Solve_MaxDepth(const XelMathInterval& iI);
  /// Sampling strategy on iI with iNbPoints points. Status 0, 1 (all samples null), 4.
  virtual int DSolve(const XelMathInterval& iI, long iNbPoints);
  /// The root of f on an interval where f is monotone.
  virtual int SolveMonotone(const XelMathInterval& iI);
  /// Appends x unless a root closer than P (S + |r|) is already in the set. Returns 0.
  virtual int AddRoot(double x);
  /// 1 when eleven evenly spaced points of the domain all pass IsNull (memoised).
  virtual int IsAllNull();
  /// The older Newton iteration from an initial point: plain Newton steps clamped into iI.
  virtual int SolveNewtonWithInitOld(const XelMathInterval& iI, long iMode, double& ioX,
                                     double& oValue);
  /// Bisection steps on the bracket [ioA, ioB] (end values ioFa, ioFb, updated); oX is the
  /// point reached. Status 0 on a root, 7 after the configured steps or a bracket below the
  /// bisection width, 4 when declined (dichotomy off, an end null, no sign change).
  virtual int SolveDichotomy(double& ioA, double& ioB, double& ioFa, double& ioFb, long iMode,
                             double& oX);

  // ---- setters ---------------------------------------------------------------------------
  /// Number of sample points of the sampling strategy (default 15). A count above 2^21
  /// raises XelMathInputError 0x20004 ("Invalid Number Of Points").
  void SetSamplingValue(long iNbPoints);
  void SetConstraint(const XelMathConstraint* iConstraint) { _constraint = iConstraint; }
  void SetCheckExtremities(unsigned char iCheck) { _checkExtremities = iCheck; }
  void SetOldNewtonWithInit(unsigned char iOld) { _oldNewtonWithInit = iOld; }
  void SetOKScaleReviewed() { _scaleReviewed = 1; }
  /// Absolute tolerance on the value at a null point, the given flag, and whether the
  /// value is already in scaled units (an unreviewed value is counted). A negative,
  /// infinite or NaN tolerance raises XelMathInputError 0x20006.
  void SetTolerance(double iTolerance, unsigned char iGiven, unsigned char iReviewed);
  /// New EpsRoot; the derivative threshold keeps its ratio to EpsRoot. A negative, infinite
  /// or NaN width raises XelMathInputError 0x20006.
  void SetEpsRoot(double iEpsRoot, unsigned char iReviewed);
  /// Dichotomy with iSteps bisection steps after iStart Newton iterations; stays off unless
  /// iOn, iSteps >= 1, 0 <= iStart < 2 XelMaxNewtonIteration and
  /// iSteps + iStart - 1 < 2 XelMaxNewtonIteration.
  void SetDichotomy(unsigned char iOn, long iSteps, long iStart);

  // ---- getters ---------------------------------------------------------------------------
  long GetSamplingValue() const { return _sampling; }
  double GetEpsRoot() const { return _epsRoot; }
  double GetDerivativeThreshold() const { return _derivativeThreshold; }
  double GetAbsoluteTolerance() const { return _absoluteTolerance; }
  unsigned char IsToleranceGiven() const { return _toleranceGiven; }
  unsigned char IsDichotomyOn() const { return _dichotomy; }
  long GetDichotomySteps() const { return _dichotomySteps; }
  long GetDichotomyStart() const { return _dichotomyStart; }
  long GetUnreviewedCount() const { return _unreviewedCount; }
  unsigned char IsScaleReviewed() const { return _scaleReviewed; }
  const XelMathFunctionX* GetFunction() const { return _function; }

  // ---- entry points ----------------------------------------------------------------------
  /// Every root of the function in iDomain into ioRoots (emptied first). Raises 0x20006
  /// when ioRoots is not of dimension 1. Status 0, 1 or 4.
  int Run(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioRoots);
  /// Stores the domain and the set and empties the set (same check as Run), without
  /// solving: the closed-form paths below then work on them.
  void Initialize(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioRoots);
  /// Every real root in the stored domain of the polynomial sum iC[k] (x - iShift)^k,
  /// k = 0..iDegree, multiple and clustered roots included, in increasing order. Status 0,
  /// 1 (polynomial null on the domain), 4 (empty domain). Above degree 16384 the roots of
  /// the derivatives (about 10 d^2 operations) are not searched: the roots come from a
  /// sampling of the value and derivative within about 2e9 coefficient operations, and the
  /// status is 7 (the search is not complete).
  int RunOnPolynom(long iDegree, const double* iC, double iShift);
  /// Every root in the stored domain of iA cos(iOmega x - iPhi) + iC, in closed form; only
  /// points that pass the root test (the null test for the double roots of a tangent wave)
  /// are kept. Where the roots are denser than the doubles (huge iOmega x) they cannot be
  /// told apart: the candidates are then the doubles of the domain. Status 0, 1 (null),
  /// 4 (empty domain, or more than twenty million candidates, about ten million periods).
  int RunOnTrigonometric(double iA, double iOmega, double iPhi, double iC);

private:
  /// In the kernel's debug mode, the trace of a solve on a scaled model whose values were not
  /// reviewed (width and values at the ends and the middle); nothing otherwise.
  void XelMathSolveXParallelDebug(const XelMathInterval& iDomain) const;
  /// Reads S, E, W, P from the tolerance (0 for an invalid tolerance).
  void ReadTolerance();
  /// Value (mode 0: f, f'; otherwise f', f'') of the solved function at x.
  void EvalMode(double x, long iMode, double& oValue, double& oDeriv) const;
  /// The roots between two neighbouring points x0 < x1 with values f0, f1 and derivatives
  /// d0, d1 (a value already accepted as a root is given as 0): a sign change is solved; an
  /// extremum between them that turns towards 0 is found as the root of f' and gives a
  /// double root, two roots or none. False when one of the Newton solves did not converge.
  bool SolvePair(double x0, double f0, double d0, double x1, double f1, double d1);
  /// The interval strategy on a non-monotone interval where f'' keeps one sign: f has at
  /// most one extremum there, so its two ends and the root of f' between them settle it.
  /// Returns false when an end is null, a value is not finite or a Newton solve did not
  /// converge: the subdivision then goes on (roots already added are merged as duplicates).
  bool SolveOneExtremum(const XelMathInterval& iI);
  /// RunOnPolynom above the degree of the derivative cascade: iUnit (degree iDegree, brought
  /// to unit size) sampled on [iLow, iHigh] (shifted variable, within the roots' bound);
  /// the clipped flags tell which end is not the domain's. Status 7.
  int SampleHighDegree(const double* iUnit, long iDegree, double iLow, double iHigh,
                       double iShift, bool iClippedLow, bool iClippedHigh);

  const XelMathFunctionX* _function;
  double _domainLow;
  double _domainHigh;
  XelMathSetOfPointsND* _roots;
  long _sampling;
  // The sampling count was given (SetSamplingValue): the sampling strategy uses it as it is;
  // otherwise the run's sampling is refined until it resolves the function's shape.
  unsigned char _samplingGiven;
  unsigned char _resolveSampling;
  // The roots come from RunOnPolynom: a polynomial has no pole to test for.
  unsigned char _polynomialRun;
  const XelMathConstraint* _constraint;
  double _minimumWidth;
  double _absoluteTolerance;
  unsigned char _toleranceGiven;
  unsigned char _noSecondOption;
  unsigned char _notAllNull;
  unsigned char _checkExtremities;
  unsigned char _oldNewtonWithInit;
  unsigned char _dichotomy;
  long _dichotomySteps;
  long _dichotomyStart;
  const XelTolerance* _tolerance;
  double _epsRoot;
  double _derivativeThreshold;
  unsigned char _scaleReviewed;
  long _unreviewedCount;
  long _running;
  // Tolerance values read once at construction.
  double _scale;        // S
  double _relativeEps;  // E
  double _bisectionEps; // W
  double _pointRes;     // P
  // The roots of the set are in increasing order (duplicate tests then look at neighbours).
  unsigned char _rootsSorted;
  // Candidates in the null zone of a multiple root are merged (general strategies only),
  // within this distance of each other.
  unsigned char _mergeZones;
  double _mergeRadius;
  // Splits of the interval strategy below the minimum width in this run.
  long _narrowSplits;
  // The function computes an enclosure of f'' over an interval (IsOption(64)), read by Run.
  unsigned char _secondImage;
  // Intervals of this run on which the single-extremum test was tried, and settled.
  long _extremumTries;
  long _extremumHits;
};
