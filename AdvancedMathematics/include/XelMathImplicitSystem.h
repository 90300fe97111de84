#pragma once
// Tracing the solution curve of an under-determined system: N unknowns X = (x0..x(N-1)) and
// N-1 equations F(X) = 0 inside a box. From a start point on the curve the march predicts
// along the tangent, corrects back onto the curve by Newton iterations on the hyperplane
// through the prediction orthogonal to the tangent, and controls the step from the curvature
// and the chord tolerance (sag). It stops on the domain border (at the exact border point),
// on a closure, on a singular point, on a constraint or at a given end point, and returns the
// traced points (with their tangents for a XelMathSetOfPointsNDWithVectors, with the end
// tangents for a XelMathSetOfPointsNDTwoTangents) in the caller's set.
//
// A derived class supplies the equations, Eval(X, F) (N-1 values), and when it can their
// Jacobian (rows 0..N-2 of an N x N matrix; the last row is work space); the default
// Jacobian is made of centred differences. A constraint g (EvalConstraint, positive by
// default) restricts the march to g >= 0.
//
// Tangent: the generalised cross product of the N-1 Jacobian rows (component i is the
// determinant of those rows completed by the i-th unit vector), normalised in the metric and
// oriented along the march. It vanishes at a singular point. The march watches the sign of
// the raw product against the direction of travel: a change of sign between two points is a
// singular point crossed (or a jump to another branch, which the singular search rejects and
// the step reduction repairs).
//
// Step: h = 2 s sqrt(2 + 2 sqrt(1 + 1 / (K s^2))) from the squared curvature K between the
// last two points and the sag s, at least the minimum step, at most 1.5 times the previous
// step, and such that no variable moves by more than its maximum step. Defaults from the
// domain: maximum step 0.100001 x width per variable, minimum step 1e-6 x the smallest width
// (the exported MIN_DOMAIN), global maximum step 0.100001 x mean width, sag 0.001 x mean
// width. The chord is at most the one whose sag on the circle of the current curvature is s,
// and the correction hyperplane is placed at its distance along the tangent. A refused point
// multiplies the step ratio by 2/3; below the minimum step the march ends. Every loop is
// bounded.
//
// Options (attribute keys): "XelMathAttrRepartition" (sag, minimum and maximum step, or
// per-variable maxima), "XelMathMetric" (weights from the domain widths), "XelMathSingularity"
// (continue through singular points), "XelMathNotInverse" (T0 kept as given),
// "XelMathAttrDecomposition" and "XelMathDecompositionOn" (groups of variables),
// "XelMathAttrMultipleDomain" (a sub-domain box; the sag is doubled), "XelMathConstraintOption"
// (stop where the constraint changes sign, the start may be below it),
// "XelMathAcceptNonCompleteSet" / "XelMathAcceptNonCompleteSetStrong" (an end that cannot be
// continued is reported incomplete, 4), "XelMathTryAllDirections", "XelMathTrySingularTangent",
// "XelMathTryBestReconverge" (singular or off-curve starts of the multiple-solution drivers),
// "TwoTangents" and "WithVectors" (kind of the sets those drivers create).
//
// Levels (SetLevel, 0..8) add refinements: from 4 the step is rescaled by the metric norm of
// the tangent ("XelMathMetric"), from 5 a point moving backwards along the tangent is refused,
// from 6 tangent jumps are searched between points (in debug mode, for the trace), from 7
// the last points are validated at the end (with XelQuorVersionLevel_Marching_CheckLastPoints),
// at 8 the prediction is pulled back into the domain. The tests of a correction that jumps,
// of a tangent that turns too much and of a chord that deviates from the sag are always on.
//
// Closures: a new chord that passes within twice the sag of a traced point closes the curve
// when the tangents there agree within 22.5 degrees (the closing point is the traced one);
// opposite tangents mean that the march came back over itself (only its start is kept,
// diagnostic 1024); other angles refuse the point. Solve marches backwards from the start
// unless the curve closed, and with "XelMathSingularity" continues through singular points
// along the branch closest to the incoming tangent (at most 4 runs, 10 singular points).
//
// Diagnostics: see XelMathMarchingCode (XelMathMarchingDiagnostic.h).
//
// Errors (XelMathInputError): a domain of a dimension other than N or empty: 0x2000b
// ("Solve", "Invalid Domain", ""); a start point outside the domain: 0x2000c ("Solve",
// "Start Point out of Domain", ""); a start point off the curve or below the constraint:
// 0x2000a ("Solve", " Invalid Start Point", ""); a scale option of the wrong dimension:
// 0x20006; a result set of a dimension other than N: 0x20006. An error raised by the
// equations during a march ends it with the points stored so far.
//
// The system keeps references to its tolerance, its configuration, the end points and the
// singular system: they must outlive it. Result sets belong to the caller.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathIntervalND.h"
#include "XelQuorVirtual.h"

class XelMathAttrList;
class XelMathAttrMultipleDomain;
struct XelMathMarchState;
class XelMathMarchingDiagnostic;
class XelMathNxNFullMatrix;
class XelMathSetOfPointsND;
class XelMathSetOfPointsNDWithVectors;
class XelMathSystem;
class XelSoftwareConfiguration;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathImplicitSystem : public XelQuorVirtual {
public:
  /// A system of iN unknowns (>= 2, else 0x20006) and iN-1 equations within iTol. The level
  /// is 7 when iConfig is given at XelQuorVersionLevel_Marching_ActivateLevel8AsDefaultLevel
  /// or later, 0 otherwise. With a scaled tolerance, an "XelMathAttrScaleOption" of
  /// iAttributes is applied (SetScaleOption).
  XelMathImplicitSystem(XelSoftwareConfiguration* iConfig, long iN, const XelTolerance& iTol,
                        const XelMathAttrList* iAttributes = nullptr);
  XelMathImplicitSystem(const XelMathImplicitSystem&) = delete;
  XelMathImplicitSystem& operator=(const XelMathImplicitSystem&) = delete;
  ~XelMathImplicitSystem() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- virtual operations (slot order) ----
  /// Marches from iX0 (on the curve) along iT0 (null: the tangent at iX0), then, depending on
  /// the diagnostic, through a singular point ("XelMathSingularity") or from iX0 the other
  /// way: at most four runs, whose points are appended to oResult in curve order (the backward
  /// part reversed in front). Returns 0; the outcome is in GetDiagnostic().
  virtual int Solve(const XelMathIntervalND& iDomain, const double* iX0, const double* iT0,
                    XelMathSetOfPointsND& oResult, const XelMathAttrList* iAttributes = nullptr);
  /// Several start points (iNbStart points of N coordinates in iX0s, their tangents in iT0s or
  /// null): each branch not yet traced is marched both ways and through singular points
  /// (at most 10 singular points per branch). ioResults, an array of ioNbSol set pointers
  /// (null when ioNbSol is 0) from XelQuorArrayPtrsNew, grows by one new set per branch; the
  /// caller owns the sets and the array (ReleaseSolutions frees both).
  virtual int CleverSolve(const XelMathIntervalND& iDomain, long& ioNbSol, const long iNbStart,
                          const double* iX0s, const double* iT0s, XelMathSetOfPointsND**& ioResults,
                          const XelMathAttrList* iAttributes = nullptr);
  /// CleverSolve from the first iNbStart points of iStartSet (dimension N), no tangents.
  virtual int SolveMultipleSolutions(const XelMathIntervalND& iDomain, long& ioNbSol,
                                     const long iNbStart, const XelMathSetOfPointsND& iStartSet,
                                     XelMathSetOfPointsND**& ioResults,
                                     const XelMathAttrList* iAttributes = nullptr);
  /// The diagnostic of the last run.
  virtual long GetDiagnostic() const;
  /// From the singular point iXs along the branch direction iD: the first point of the branch
  /// at distance about iStep (written to oX with its oriented tangent oT). Returns 1 when found.
  virtual int SolveOnBifurcation(const double* iXs, const double* iD, const double iStep,
                                 double* oX, double* oT);
  /// Newton iterations from ioX on the hyperplane through ioX orthogonal to iT (at most
  /// XelMaxNewtonIteration; from the 11th on they stop when the residual grows). Returns 1
  /// with ioX on the curve, 0 otherwise (ioX then holds the last iterate).
  virtual int SolveOnHyperPlane(double* ioX, const double* iT);
  /// The same with damped steps (halved until the residual decreases).
  virtual int SolveSafeOnHyperPlane(double* ioX, const double* iT);
  /// The N-1 equations at X.
  virtual void Eval(const double* X, double* oF) const = 0;
  /// Rows 0..N-2 of oJ receive dF/dX at X (centred differences by default).
  virtual void EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const;
  /// Values and Jacobian.
  virtual void Eval(const double* X, double* oF, XelMathNxNFullMatrix* oJ) const;
  /// Whether the (scaled) values iF are within EpsSol of 0.
  virtual int IsNull(const double* iF) const;
  /// Whether the raw tangent iT is negligible against the Jacobian iJ (a singular point).
  virtual int IsTangentNull(const double* iT, const XelMathNxNFullMatrix* iJ) const;
  /// The raw (not normalised, not oriented) tangent at X: the generalised cross product of
  /// the Jacobian rows. Returns 0 when it is negligible.
  virtual int EvalTangent(const double* X, double* oT);
  /// The constraint at X (1, no constraint, by default).
  virtual void EvalConstraint(const double* X, double& oValue) const;
  /// Its gradient (centred differences of EvalConstraint by default).
  virtual void EvalConstraintJacobian(const double* X, double* oGradient) const;
  /// Value and gradient.
  virtual void EvalConstraint(const double* X, double& oValue, double* oGradient) const;
  /// Whether the segment [iX1, iX2] passes within iTol of the curve traced in iSet before its
  /// last iSkip points (a closure); oIndex receives the nearest point of iSet.
  virtual int IsContaining(const XelMathSetOfPointsND& iSet, const double* iX1, const double* iX2,
                           const double iTol, const long iSkip, long& oIndex) const;
  /// The step from the curvature between (iX1, iT1) and (iX2, iT2) (see the file comment).
  virtual double EvalStep(const double* iX1, const double* iT1, const double* iX2,
                          const double* iT2) const;
  /// Whether two points coincide within the point resolution.
  virtual int EqualPoints(const double* iX1, const double* iX2) const;
  /// Whether X is a singular point of the curve (on it, with a negligible tangent).
  virtual int IsSingularPoint(const double* X);
  /// Takes iEps as EpsSol when it exceeds 100 x the relative epsilon.
  virtual void SetEpsSol(const double iEps);
  /// Evaluates F at X (into oF, N-1 doubles) and tells whether X is on the curve.
  virtual int IsRoot(const double* X, double* oF);
  /// An extra acceptance test of a derived system for a point on the curve (1 by default).
  virtual int IsRootSpecific(const double* X);
  /// The Hessian of equation iEquation at X into oH (N x N, row-major; centred differences of
  /// the Jacobian by default).
  virtual void EvalHessian(const double* X, const long iEquation, double* oH);
  /// An N-variable system whose solutions are the singular points (not owned): used to locate
  /// a singular point met by the march before the built-in search.
  virtual void SetSingularSystem(XelMathSystem* iSystem);
  /// The unit tangent at X oriented like ioT (the tangent at X alone when ioT is zero); at a
  /// singular point, the branch direction closest to ioT. Returns 1, or 0 when there is none.
  virtual int FindTangent(const double* X, double* ioT);
  /// One march from iX0 along iT0 (see the file comment); appends to oResult. Returns 0.
  /// Called on its own (not from Solve), it marches with the defaults of iDomain.
  virtual int Run(const XelMathIntervalND& iDomain, const double* iX0, const double* iT0,
                  XelMathSetOfPointsND& oResult);
  /// The point of the curve between iX1 and iX2 (on the curve, constraint of opposite signs)
  /// where the constraint vanishes, into oX. Returns 1 when found.
  virtual int SolveOnConstraint(const double* iX1, const double* iX2, double* oX);
  /// The first index i of iSet where the constraint changes sign between points i and i+1
  /// (-1 when it never does).
  virtual long FindConstraintChangeOfSign(const XelMathSetOfPointsND& iSet);
  /// Records the diagnostics of the start and end of solution iSol.
  virtual void SetStartMarchingDiagnostic(const long iSol, const XelMathMarchingDiagnostic& iDiag);
  virtual void SetEndMarchingDiagnostic(const long iSol, const XelMathMarchingDiagnostic& iDiag);
  /// The start (end) diagnostic of the branch under way.
  virtual void SetStartDiagnostic(const long iDiagnostic);
  virtual void SetEndDiagnostic(const long iDiagnostic);
  /// How the last branch ended (a new object owned by the caller).
  virtual XelMathMarchingDiagnostic* GetBranchDiagnostic() const;
  /// Whether a point where the constraint vanishes is acceptable (on the curve).
  virtual int IsConstraintPointOK(const double* X);
  /// Handles a singular point met between (iX, iT) and ioXnew: locates it into oXs and writes
  /// into ioXnew, ioTnew the continuation through it along the branch closest to iT. Returns
  /// 1 when a singular point was found, 0 otherwise (a jump: the point is to be refused).
  virtual int ManageSingularity(const double* iX, const double* iT, double* ioXnew,
                                double* ioTnew, double* oXs);
  /// Scales the N-1 values by the equation factors of the scale option.
  virtual void ScaleGx(double* ioF) const;
  /// Scales the Jacobian rows likewise.
  virtual void ScaleJacobianGX(XelMathNxNFullMatrix* ioJ) const;
  /// Checks the corrected point ioXnew (tangent ioTnew) against the current point: a jump, a
  /// sharp turn, a chord beyond the sag, a backward move (level 5). Returns 1 when accepted.
  virtual int ValidateNextPoint(const double* iX, const double* iT, const double* iXnew,
                                const double* iTnew, const double iStep);
  /// Widens ioDomain by the point resolution on each side (points within tolerance of the
  /// border count as inside). Returns 1.
  virtual int ExpandDomain(XelMathIntervalND& ioDomain) const;
  /// With the constraint changing sign on [iX1, iX2] or [iX2, iX3], the point where it vanishes
  /// (oX). Returns 1 when found.
  virtual int FindConstraintChangeOfSign(const double* iX1, const double* iX2, const double* iX3,
                                         double* oX);

  // ---- settings ----
  long GetNumberOfVariables() const { return _n; }
  /// See the constructor: the level given, or 7 (8 when 8 is asked) for newer configurations.
  void SetLevel(const long iLevel);
  long GetLevel() const { return _level; }
  /// Applies a scale option (F powers: N-1, or 1 for all; X powers: N, or 1), else 0x20006.
  void SetScaleOption(const XelMathAttrScaleOption& iOption);
  double GetEpsSol() const { return _epsSol; }
  /// Points at which the march stops when it reaches them (not copied: must outlive the
  /// marches); the point iIgnoredIndex (-1: none) is the start and not watched.
  void SetEndPoints(const XelMathSetOfPointsND* iEndPoints, const long iIgnoredIndex = -1);
  void SetIndexEndPoint(const long iIgnoredIndex) { _ignoredEndPoint = iIgnoredIndex; }
  /// The index of the end point reached by the last run, -1 when none.
  long GetIndexEndPoint() const { return _reachedEndPoint; }
  /// The cumulative diagnostic and the stop information (4 singular or closure, 8 failure).
  void GetRunInfo(long& oCumulative, long& oStop) const;
  /// Start and end diagnostics of the solution iSol added by the last CleverSolve (0 its first
  /// new set; 0x20007 outside). The start is the end of the backward march (the first point of
  /// the set), the end that of the forward march.
  void GetStartEndDiagnosticsOfSol(const long iSol, long& oStart, long& oEnd) const;
  /// Metric weights (N positive doubles; null restores 1).
  void SetMetric(const double* iWeights);
  /// Whether a march is under way (set while Run executes).
  int IsRunning() const { return _running; }
  /// Whether the last Solve ended with a closed curve.
  int IsClosed() const { return _closed; }
  /// Number of singular points met by the last Solve.
  long GetNumberOfSingularPoints() const { return _nbSingular; }
  /// Step parameters of the last decoded domain.
  void GetStepParameters(double& oMinStep, double& oMaxStep, double& oSag) const;
  double GetMaxStep(const long i) const;
  /// Branch directions at a singular point X (at most 2, unit, N doubles each, into oD1 and
  /// oD2). Returns their number (2 when every direction of the null plane solves it).
  int EvalSingularTangents(const double* X, double* oD1, double* oD2);
  /// Frees the sets of a CleverSolve and their array; ioResults becomes null, ioNbSol 0.
  static void ReleaseSolutions(long& ioNbSol, XelMathSetOfPointsND**& ioResults);
  /// The roots of a u^2 + 2 b u v + c v^2 = 0 as directions (u, v) (see EvalSingularTangents):
  /// returns their number 0, 1 or 2 (2 with every direction a solution: (1, 0) and (0, 1)).
  static int SolveQuadraticForm(const double a, const double b, const double c, const double iEps,
                                double* oD1, double* oD2);

protected:
  /// Decodes the domain and the options of iAttributes (steps, sag, metric, flags).
  void DecodeOptions(const XelMathIntervalND& iDomain, const XelMathAttrList* iAttributes);
  /// Records diagnostic d (see XelMathMarchingCode).
  void SetDiagnostic(const long d);
  /// The unit tangent of the raw iRaw in the metric, times iSign; returns its raw norm.
  double Normalize(const double* iRaw, double iSign, double* oT) const;
  /// Whether the quiet mode (multiple-solution drivers) is on.
  int IsQuiet() const { return _quiet; }
  /// Scalar product in the metric.
  double Dot(const double* a, const double* b) const;
  /// Point of the segment [iIn, iOut] (iIn inside) on the domain border, on the curve.
  int FindLastPoint(const XelMathIntervalND& iDomain, const double* iIn, const double* iT,
                    const double* iOut, double* oX, double* oT);
  /// At a cusp iXs reached from iX along the branch direction iD, the first point of the
  /// branch leaving backwards (into oX, with its tangent oriented away from iXs): on the
  /// hyperplane of iX orthogonal to iD, on the other side of the tangent line. Returns 1 when
  /// found.
  int ContinueThroughCusp(const double* iX, const double* iXs, const double* iD, double* oX,
                          double* oT);
  /// Singular point near iX (Gauss-Newton on F = 0 and tangent = 0). Returns 1 when found.
  int LocateSingularPoint(double* ioX, const double iRadius);
  /// How far X lies outside the sub-domain of "XelMathAttrMultipleDomain": the largest
  /// excess of a coordinate over its bounds (0 inside, and without a sub-domain).
  double SubdomainMinDistance(const double* X) const;
  /// Whether X lies in that sub-domain within the point resolution (1 without one).
  int InSubdomain(const double* X) const;

  // ---- the steps of one march (Run) ----
  /// Start: iX0 brought into the domain (within tolerance) into the current point, checked
  /// on the curve and against the constraint, its tangent oriented. Returns 1; in quiet mode
  /// 0 with the failure diagnostic when the start is refused (else it raises).
  int InitializeRun(XelMathMarchState& ioState, const double* iX0, const double* iT0);
  /// The unit start tangent at X into oT, oriented like iT0 (kept as given with
  /// "XelMathNotInverse"; at a singular start, iT0 itself and the orientation decided at the
  /// first point: ioState.sign 0). Returns 0 when there is neither.
  int VerifyStartTangent(XelMathMarchState& ioState, const double* X, const double* iT0,
                         double* oT);
  /// The first step: from the curvature between X and a point shifted along T, at least
  /// MIN_DOMAIN / 10, and no variable beyond its maximum step.
  double InitializeStep(const double* X, const double* T);
  /// The second-order prediction from the current point along the tangent, on the circle of
  /// the current curvature (into the predicted point; at level 8 pulled back into the domain).
  void Predict(XelMathMarchState& ioState);
  /// Whether iXnew lies outside iDomain; oCross (when given) then receives the point where the
  /// segment from iX crosses the first bound, X + lambda (Xnew - X).
  int OutOfDomain(const XelMathIntervalND& iDomain, const double* iX, const double* iXnew,
                  double* oCross) const;
  /// Whether the arc of the curve from (iX, iT) to (iXnew, iTnew), both inside iDomain, goes
  /// out of it between them (a coordinate whose extremum on the arc lies beyond its bound by
  /// more than the point resolution); oOut then receives a point of the arc outside.
  int LeavesDomainBetween(const XelMathIntervalND& iDomain, const double* iX, const double* iT,
                          const double* iXnew, const double* iTnew, double* oOut);
  /// Correction of the prediction onto the curve and its oriented tangent; a singular point
  /// on the way goes to ManageSingularity.
  int FindNewPoint(XelMathMarchState& ioState);
  /// At the singular point iXs, left along iT: when a traced point lies there (within the
  /// closure tolerance) with a tangent along iT, stores it, records the closure and returns 1.
  int ClosesAtSingularPoint(XelMathMarchState& ioState, const double* iXs, const double* iT);
  /// Controls of the new point: validity, domain border, sub-domain, end points, constraint
  /// and the set already traced.
  int Controles(XelMathMarchState& ioState);
  /// Bisection along the arc between the inside point iIn and the outside point iOut for the
  /// last point inside (into oX). Returns 1.
  int FindLastPointWithBS(const XelMathIntervalND& iDomain, const double* iIn, const double* iOut,
                          double* oX);
  /// The exact end on the border between the current point and the new one, stored.
  void SearchEndPoint(XelMathMarchState& ioState);
  /// A constraint that changes sign between the current and the new point: the point where it
  /// vanishes ends the march (else the point is refused).
  int ManageConstraint(XelMathMarchState& ioState);
  /// IsContaining looking only at the points from index iFirst on.
  int IsContainingFrom(const XelMathSetOfPointsND& iSet, const double* iX1, const double* iX2,
                       const double iTol, const long iSkip, const long iFirst, long& oIndex) const;
  /// Whether the curve point iQ lies, within iTol, on the arc of the curve from (iX1, iT1) to
  /// (iX2, iT2) (or on its continuation just beyond), the tangents oriented along the arc.
  int IsOnArc(const double* iQ, const double* iX1, const double* iT1, const double* iX2,
              const double* iT2, const double iTol);
  /// Closure and return onto what is traced: a new chord that passes near a traced point.
  int VerifySet(XelMathMarchState& ioState);
  /// Stores the new point and makes it the current one.
  int Stockage(XelMathMarchState& ioState);
  /// Appends (iX, iT) to ioPoints unless it repeats the last point. Returns 1 when added.
  int TryToAddPoint(XelMathSetOfPointsNDWithVectors& ioPoints, const double* iX,
                    const double* iT) const;
  /// Ratio of the metric norm of the unit tangent iT to its euclidean norm (the step scale
  /// of the metric).
  double ComputeScal(const double* iT) const;
  /// Keeps the points up to iIndex (the march came back over itself there), at least 2, and
  /// with newer configurations drops the last ones that are not on the curve.
  void KeepStartOfMarch(XelMathSetOfPointsNDWithVectors& ioPoints, const long iIndex);
  /// The generalised cross product of the N-1 rows of iJ (N x N, row-major; the last row is
  /// work space) into oT.
  void VectorialProduct(double* ioJ, double* oT);
  /// The rows 0..N-2 of iJ without column iColumn into the (N-1) x (N-1) matrix oMinor.
  void ComputeSubMatrix(const double* iJ, const long iColumn, XelMathNxNFullMatrix& oMinor) const;
  /// One branch of the multiple-solution drivers: marched from (iX, iT) into a new set
  /// appended to ioResults (with its start and end diagnostics) when it has points.
  void ComputeBranch(const XelMathIntervalND& iDomain, const double* iX, const double* iT,
                     const long iFirstNew, long& ioNbSol, XelMathSetOfPointsND**& ioResults,
                     const XelMathAttrList* iAttributes);
  /// Brings the start point ioX, off the curve, back onto it on the hyperplane orthogonal to
  /// the tangent there. Returns 1 when it converged.
  int ComputeRattrappe(double* ioX);
  /// Drops the last stored points that are not on the curve (at most 3, 2 points stay).
  void CheckLastPoints(XelMathSetOfPointsND& ioPoints);
  /// Looks for a tangent jump between two points (the outcome is traced in debug mode).
  void FindC1Discontinuity(const double* iX, const double* iT, const double* iXnew,
                           const double* iTnew);
  /// The diagnostic object of a branch start (iAtStart) or end with code iCode.
  virtual XelMathMarchingDiagnostic* CreateDiagnostic(const long iCode, const int iAtStart) const;

  long _n;
  XelSoftwareConfiguration* _config;
  const XelTolerance& _tol;
  long _level;
  int _containingV2;
  // Points that IsContaining has looked at in the current run (each step looks at every
  // point traced before it: the run ends incomplete beyond a budget).
  mutable double _containingWork;
  mutable double _containingDistances;
  double _epsSol;
  double* _maxStep;      // N
  double _globalMaxStep;
  double _minStep;
  double _sag;
  double _h;
  double _ratio;
  double* _metric;       // N
  double* _work;         // work vectors, WorkVectors x N
  XelMathNxNFullMatrix* _jacobian;
  XelMathNxNFullMatrix* _subMatrix; // N-1, for the tangents of N > 4 unknowns
  // options
  int _optMetric, _optSingularity, _optNotInverse, _optConstraint, _optDecompositionOn;
  int _acceptNonComplete, _tryAllDirections, _trySingularTangent, _tryBestReconverge;
  int _withVectors, _twoTangents;
  long _nbGroups;
  long* _groups;
  double* _groupMaxStep;
  const XelMathAttrMultipleDomain* _multipleDomain;
  XelMathAttrScaleOption _scaleOption;
  int _scaled;
  double* _scaleF;       // N-1 equation factors
  XelMathSystem* _singularSystem;
  // end points
  const XelMathSetOfPointsND* _endPoints;
  long _ignoredEndPoint;
  long _reachedEndPoint;
  // diagnostics
  long _diagnostic;
  long _cumulative;
  long _stopInfo;
  long _startDiagnostic;
  long _endDiagnostic;
  long _nbSolDiag;
  long* _solDiagnostics; // 2 per solution: start, end
  int _quiet;
  int _running;
  int _decoded;             // the options of the Solve under way are decoded
  int _closed;
  long _nbSingular;
  int _singularStop;        // the last run stopped at a singular point
  double* _continuation;    // singular point, branch point and tangent after it (3 x N)
  const XelMathSetOfPointsND* _tracedSets[2]; // what earlier runs of the same Solve traced
  double _tracedSigns[2];                      // their direction against the run under way
};
