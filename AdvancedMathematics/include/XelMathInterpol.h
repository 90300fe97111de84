#pragma once
// Interpolation of a discrete curve of N dimensions by a chain of quintic Hermite arcs.
//
// A node carries a curve position u (the meaning is the derived class's: the parameter of an
// explicit function, an index along the initial points, ...), a point P, a unit tangent T and
// the second derivative D with respect to arc length (the curvature vector). Between two nodes
// the arc is, component by component, the quintic q on s in [0, L] with q(0) = P0, q'(0) = T0,
// q''(0) = D0, q(L) = P1, q'(L) = T1, q''(L) = D1; since neighbouring arcs share their node
// data the chain is C2 in the cumulated parameter s.
//
// The engine walks the stretches between required initial points (first, last, exact ones and
// cut discontinuities); each arc reaches as far along the initial points as a first arc of
// estimated length stays within the tolerance (GetNextPoint). On a range of initial points it
// builds the best arc between the end
// nodes (length chosen by the energy of the arc and the quality of candidates); an arc whose
// deviation from the true curve is not within the tolerance is split at the middle initial
// point of the range, or, when the range has no point left, at a node computed on the true
// curve (insertion), up to the maximal depth. The true curve is known only through the
// derived class (data at an initial point, data at a curve position, deviation of an arc).
// Post-processing as asked: cleaning of coincident nodes, removal of superfluous nodes, C1
// discontinuities (found by a dichotomy on the tangent jump, reported and optionally cut), and
// a final control of every arc (maximal error, invalid arcs, arcs leaving the domain and their
// tightening into it).
//
// Tolerance: a negative tolerance means 1e-4 x the reference length of the tolerance object;
// a minimum tolerance of 0 means the tolerance itself, and the minimum tolerance is raised to
// the tolerance when smaller. An arc measured above the tolerance is split when it can be; one
// that cannot be split is kept, and counted invalid when above the minimum tolerance. Arcs are
// not split below the minimum length (the tolerance object's minimum length unless set).
//
// Run returns XelMathStatus::Done, or XelMathStatus::Refused when an output set has the wrong
// dimension (reported on the trace stream by Verif, no node produced) or when fewer than two
// usable initial points are given. Construction with N < 1 raises 0x20006.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathSetOfLongs.h"
#include "XelQuorVirtual.h"

class XelMathAttrList;
class XelMathImplicitSystem;
class XelMathIntervalND;
class XelMathSetOfPointsND;
class XelSoftwareConfiguration;
class XelTolerance;

/// The six monomial coefficients oC (c0 + c1 s + ... + c5 s^5) of the quintic Hermite arc on
/// [0, iL] with value, first and second derivatives (p0, t0, d0) at 0 and (p1, t1, d1) at iL.
XELADVANCEDMATHEMATICS_EXPORT void XelMathHermiteQuintic(const double p0, const double t0,
                                                         const double d0, const double p1,
                                                         const double t1, const double d1,
                                                         const double iL, double* oC);

class XELADVANCEDMATHEMATICS_EXPORT XelMathInterpol : public XelQuorVirtual {
public:
  /// Bits of GetDiagnostic.
  enum Diagnostic : long {
    DiagOk = 0,
    DiagWrongOutput = 1,        // an output set of the wrong dimension (Verif)
    DiagTooFewPoints = 2,       // fewer than two usable initial points
    DiagArcAboveTolerance = 4,  // some arc above the minimum tolerance after all splitting
    DiagSecondDerivNulled = 8,  // a second derivative too big was set to 0
    DiagC1Discontinuity = 16,   // a tangent discontinuity was found
    DiagArcOutOfDomain = 32,    // an arc leaves the validity domain
    DiagDataFailed = 64         // the data at some position could not be computed
  };

  /// N components (>= 1, else 0x20006 "Dimension not valid"); iSystem and iDomain may be null
  /// and are held, not copied; iTolerance < 0 means 1e-4 x the reference length of iTol,
  /// iMinTolerance 0 the tolerance itself.
  XelMathInterpol(XelSoftwareConfiguration* iConfig, const long iN, XelMathImplicitSystem* iSystem,
                  const XelMathIntervalND* iDomain, const double iTolerance,
                  const double iMinTolerance, const XelTolerance& iTol);
  XelMathInterpol(const XelMathInterpol&) = delete;
  XelMathInterpol& operator=(const XelMathInterpol&) = delete;
  ~XelMathInterpol() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- virtual operations (slot order) ----
  virtual void SetCleanOutput();
  /// Turns detection of C1 discontinuities on, with the cut and the removal of points.
  virtual void SetC1DiscontinuitiesDetection();
  virtual long GetNbOfC1Discontinuities() const;
  /// The output node indices of the C1 discontinuities (GetNbOfC1Discontinuities longs).
  virtual void GetC1Discontinuities(int* oIndices) const;
  /// The nodes of piece i (0 <= i < GetNbOfPieces(), else 0x20007) of a result cut at its C1
  /// discontinuities (one piece when nothing was cut). Output sets as in Run.
  virtual void GetPiece(const long i, XelMathSetOfPointsND& oParameters,
                        XelMathSetOfPointsND& oPoints, XelMathSetOfPointsND& oTangents,
                        XelMathSetOfPointsND& oSecondDerivatives) const;
  virtual long GetDiagnostic() const;
  /// Data (a node: u, P, T, D) at initial point i. Returns 1, 0 when it cannot be computed.
  virtual int GetDataFromISet(const long i, double* oNode) = 0;
  /// Initial point i.
  virtual void GetPointFromISet(const long i, double* oP) const = 0;
  /// Coefficients of the current arc between two nodes with length iL.
  virtual void ComputeQuintic(const double* iNode0, const double* iNode1, const double iL);
  /// Point, first and second derivatives (any may be null) of the current arc at s.
  virtual void EvalQuintic(const double s, double* oP, double* oT, double* oD) const;
  /// Data at curve position iU (iGuess: an estimate of the point, may be null). Returns 1 or 0.
  virtual int ComputeData(const double iU, const double* iGuess, double* oNode) = 0;
  /// Deviation of the current arc from the true curve between the two nodes.
  virtual double Quality(const double* iNode0, const double* iNode1) = 0;
  /// Deviation of the current arc from the samples of the true curve prepared by
  /// PrepareQualityOpt (cheap to repeat while the length changes).
  virtual double QualityOpt() = 0;
  virtual void PrepareQualityOpt(const double* iNode0, const double* iNode1) = 0;
  /// Number of samples of the quality check of an arc of length iL.
  virtual long UpdateSamplingForQualityCheck(const double iL) const;
  /// Whether a point is acceptable (inside the validity domain, on the curve...).
  virtual int CheckValidityOfPoint(const double* iP) const = 0;
  /// Whether the last node of a stretch is acceptable.
  virtual int CheckValidityOfLastPoint(const double* iNode) const = 0;
  /// Cosine of the angle of two vectors in their first three components (1 when one is null).
  virtual double Compute3DCosAngle(const double* iA, const double* iB) const;
  /// Builds the best arc between two nodes and returns its deviation.
  virtual double Interpol(const double* iNode0, const double* iNode1);
  /// Builds the arc with length iL and returns its deviation.
  virtual double InterpolAtStep(const double* iNode0, const double* iNode1, const double iL);
  /// First estimate of the length of the arc between two nodes.
  virtual double InitializeDeltaParam(const double* iNode0, const double* iNode1) = 0;
  /// Chooses the length of the arc between two nodes (energy, quality) and builds it.
  virtual double BestInterpol(const double* iNode0, const double* iNode1);
  /// Step of the finite differences at curve position iU.
  virtual double GetFiniteDifferenceStep(const double iU) const = 0;
  /// Data at fraction iFraction of the way between two nodes, on the true curve.
  virtual int ComputeDataAtMiddle(const double* iNode0, const double* iNode1,
                                  const double iFraction, double* oNode) = 0;
  /// Samples of an arc when a node is inserted.
  virtual long GetNbSampleInAddPoint() const;
  /// Inserts a node on the true curve between two nodes and interpolates both halves.
  virtual int AddPointAndInterpol(const double* iNode0, const double* iNode1, const long iDepth,
                                  const double iStretchLength);
  /// Number of initial points of the run under way.
  virtual long GetNbInitialPoints() const = 0;
  /// The first three components of a node's point (zeros beyond N).
  virtual void Get3DPosition(const double* iNode, double* oXYZ) const;
  /// The first three components of the current arc at s.
  virtual void Get3DPosition(const double s, double* oXYZ) const;
  /// Squared length of the part of iV orthogonal to the unit vector iT.
  virtual double GetSquareTransverseLength(const double* iV, const double* iT) const;
  /// Whether the current arc stays in the validity domain (sampled at k L / n, k = 1..n-1),
  /// beyond the root resolution of the tolerance.
  virtual int IsAcceptable(const long n) const;
  /// Whether point P is in the validity domain (beyond the root resolution).
  virtual int IsAcceptable(const double* iP) const;
  /// Flags a node whose two direction vectors have a dot product below 0.5: returns 0 then.
  virtual int CheckComponent(const double* iA, const double* iB) const;
  /// The furthest kept initial point, after kept point k and at most iLimit (whose node is
  /// iLimitNode), that an arc from iStart reaches within the tolerance (k + 1 at least).
  virtual long GetNextPoint(const double* iStart, const long k, const long iLimit,
                            const double* iLimitNode);
  /// Removes consecutive nodes closer than the point resolution.
  virtual void CleanOutputData();
  /// The main run (see the file comment); iFactor is the fraction of the tolerance that
  /// inserted nodes aim at. Returns XelMathStatus::Done or Refused.
  virtual int RunMain(const long iNbInitial, const double iFactor,
                      XelMathSetOfPointsND& oParameters, XelMathSetOfPointsND& oPoints,
                      XelMathSetOfPointsND& oTangents, XelMathSetOfPointsND& oSecondDerivatives,
                      XelMathSetOfPointsND* oCorrespondingInitialParams,
                      const XelMathAttrList* iAttributes);
  /// Squared scaled distance of two points in their first three components.
  virtual double GetSquare3DDistance(const double* iA, const double* iB) const;
  /// Smallest and largest distance of the initial points i0 < i < i1 to the chord of i0, i1.
  virtual void GetMinMaxPointTransverse(const long i0, const long i1, double& oMin,
                                        double& oMax) const;
  /// Sets D of a node to 0 (and counts it) when sum (D_i / scale_i)^2 S^2 exceeds the maximum
  /// squared second derivative. Returns 1 when it did.
  virtual int SetSecondDerivToNullIfTooBig(double* ioNode);
  /// Scale of component i (0 <= i < N, else 0x20007); iScale > 0.
  virtual void SetSpecificScale(const long i, const double iScale);
  /// Records the curve position of an output node.
  virtual void StoreParameter(const double* iNode) = 0;
  virtual void StoreFirstParameter(const double* iNode) = 0;
  /// Writes the positions recorded by StoreParameter into oParams (dimension 1).
  virtual void CompleteParameters(XelMathSetOfPointsND& oParams) = 0;
  /// Cosine of the angle between two tangents.
  virtual double GetCosAngleBetweenTangents(const double* iT0, const double* iT1) const = 0;
  /// Cosine of the angle between the tangents at initial points i and j.
  virtual double GetCosAngleBetweenTangents(const long i, const long j) = 0;
  /// Resolves the tolerance, the minimum tolerance and the minimum length.
  virtual void HandleMinLength();
  /// Checks the dimensions of the output sets (messages on the trace stream). Returns 1 when
  /// they are right.
  virtual int Verif(const XelMathSetOfPointsND& oParameters, const XelMathSetOfPointsND& oPoints,
                    const XelMathSetOfPointsND& oTangents,
                    const XelMathSetOfPointsND& oSecondDerivatives,
                    const XelMathSetOfPointsND* oCorrespondingInitialParams) const;

  // ---- settings (before Run) ----
  /// Maximal depth of insertion, and: iA extra levels granted while an arc stays above the
  /// minimum tolerance; iX smallest arc, as a fraction of its stretch, that insertion may
  /// produce; iB extra quality samples per arc; iY fraction of an arc where a node is
  /// inserted (0: the middle).
  void SetMaxDepth(const long iDepth, const long iA = 0, const double iX = 0.0,
                   const long iB = 0, const double iY = 0.0);
  /// Sets the tolerance and minimum tolerance; a positive iFactor enables the increased
  /// quality control: iCount more passes on arcs above the tolerance, with iFactor times more
  /// samples; otherwise it is disabled.
  void SetIncreaseQualityControl(const double iTolerance, const double iMinTolerance,
                                 const double iFactor, const long iCount);
  /// Fraction of the tolerance kept as a margin when an arc's sampled deviation is judged.
  void SetTolQualityFactor(const double iFactor) { _tolQualityFactor = iFactor; }
  void SetMaxSquareSecondDeriv(const double iValue) { _maxSquareSecondDeriv = iValue; }
  void SetInternalMinLength(const double iLength) { _internalMinLength = iLength; }
  /// Initial points that must be nodes (indices out of the run are ignored); oOut, when not
  /// null, receives the number of indices taken.
  void SetExactPoints(const long* iIndices, const long iCount, long* oOut = nullptr);
  void DisableInsertion() { _insertion = 0; }
  void SetSkipAll(const int iOn = 1) { _skipAll = iOn; }
  void SetCheckEnergy(const int iOn) { _checkEnergy = iOn; }
  void SetBestParametrization(const int iOn) { _bestParam = iOn; }
  void SetPointsRemoval(const int iOn = 1) { _pointsRemoval = iOn; }
  /// Detection, cut and removal of points, with the cut where tangents turn by more than
  /// iAngle (radians, in (0, pi); otherwise the default angle pi/3).
  void SetCutOnC1Discontinuities(const double iAngle);
  /// Mode 0 off, otherwise arcs measured above iTolerance (the tolerance when not set; a
  /// negative value keeps the previous one) are reported by GetInvalidArcs.
  void SetDetectInvalidArcs(const int iMode, const double iTolerance);
  /// Mode 0 off, otherwise arcs leaving the domain by more than iTolerance are shortened
  /// (or optimised by the derived class) to stay inside (negative keeps the previous value).
  void SetTightenArcIntoDomain(const int iMode, const double iTolerance);
  /// Applies the debug switches of the environment (read at load in debug mode).
  void ForceConfig();

  // ---- results ----
  double GetMaxError() const { return _maxError; }
  double GetTolerance() const { return _tolerance; }
  double GetMinTolerance() const { return _minTolerance; }
  double GetMinLength() const { return _minLength; }
  /// Arcs (index of their first node) found invalid by the final control.
  void GetInvalidArcs(XelMathSetOfLongs& oArcs) const { oArcs = _invalidArcs; }
  long GetNbOfPieces() const;
  /// Number of second derivatives set to 0 during the last run.
  long GetNbSecondDerivNulled() const { return _nbNulled; }

  /// Energy of one component of the arc (see the source for the formula); the sum over the
  /// components is ComputeEnergy.
  static double LocalEnergy(const double p0, const double t0, const double d0, const double p1,
                            const double t1, const double d1, const double iL);
  double ComputeEnergy(const double* iNode0, const double* iNode1, const double iL) const;
  long GetDimension() const { return _n; }
  /// Doubles of a node: u, P, T, D.
  long NodeSize() const { return 1 + 3 * _n; }

protected:
  /// Cosine of the angle between the tangents iT0 and iT1 (1 when one of them is zero): the
  /// common body of the derived classes' GetCosAngleBetweenTangents.
  double CosAngle(const double* iT0, const double* iT1) const;
  /// The same between the tangents of the nodes i and j of the interpolation set (1 when
  /// one of them cannot be read).
  double CosAngleOfNodes(const long i, const long j);
  /// Interpolates the kept initial points k0..k1 (indices into the kept list) between the
  /// nodes iNode0 and iNode1, appending accepted nodes.
  void InterpolateWithinTol(const double* iNode0, const double* iNode1, const long k0,
                            const long k1, const long iDepth, const double iStretchLength);
  /// Appends an accepted node with the length of its arc.
  void AcceptNode(const double* iNode, const double iL, const long iFlags);
  /// Data at a C1 discontinuity between kept initial points k and k+1: the left and right
  /// nodes. Returns 1 when a discontinuity is there.
  virtual int FindC1Discontinuity(const long k, double* oLeft, double* oRight);
  /// Finds the discontinuities between consecutive kept points (detection on).
  void FindDiscontinuities();
  /// Nodes that can go (the merged arc stays within the tolerance).
  void GetPointsToRemove(XelMathSetOfLongs& oIndices);
  int IsPointRemovable(const long iNode);
  void RemovePoints(const XelMathSetOfLongs& iIndices);
  /// Final control: deviation of every arc, invalid arcs, arcs leaving the domain.
  void ComputeMaxError();
  /// Keeps the arc starting at node i in the domain: another length, else a node of the curve
  /// inserted where it goes out furthest. Returns 1 when it changed the arc (to be checked
  /// again).
  virtual int TightenArc(const long i);
  /// Largest excursion of the current arc outside the domain, at oS (sampled).
  double WorstExcursion(double& oS) const;
  /// The next required kept point after kept point k (the last one at the latest).
  long GetNextRequired(const long k) const;
  /// Whether point i of the initial points is required (first, last, exact).
  int IsRequired(const long i) const;
  /// Node i of the output (u, P, T, D), its arc length and flags.
  const double* NodeAt(const long i) const;
  double NodeLength(const long i) const;
  long NodeFlags(const long i) const;
  double SquareDistance(const double* iA, const double* iB) const;
  /// Distance of X to the current arc (projection by Newton from the guess s); oS receives the
  /// parameter of the foot.
  double DistanceToArc(const double* X, const double iGuess, double* oS = nullptr) const;
  double Accept() const { return (1.0 - _tolQualityFactor) * _tolerance; }

  long _n;
  XelMathImplicitSystem* _system;
  long _nbVar;
  const XelMathIntervalND* _domain;
  XelSoftwareConfiguration* _config;
  const XelTolerance& _tol;
  double _tolerance;
  double _minTolerance;
  double _tolArgument;
  double _minTolArgument;
  double _minLength;
  // current arc
  double* _coef;   // 6 N
  double _L;
  double* _work;   // WorkNodes nodes of work space
  double* _scale;  // N
  // settings
  double _maxSquareSecondDeriv;
  double _internalMinLength;
  double _tolQualityFactor;
  int _insertion, _checkEnergy, _bestParam;
  long _maxDepth, _depthExtra, _depthSamples;
  double _depthMinFraction, _depthPosition;
  int _increaseQuality;
  double _iqFactor;
  long _iqCount;
  int _detectC1, _cutC1, _pointsRemoval, _cleanOutput, _skipAll;
  double _cutCos;
  int _detectInvalid, _tighten;
  double _invalidTol, _tightenTol;
  XelMathSetOfLongs _exact;
  // run
  double _factor;
  long _nbInitial;
  long _longArcWork;             // points spanned by failed whole-stretch arcs of this run
  XelMathSetOfLongs _kept;       // initial points used
  XelMathSetOfPointsND* _nodes;  // node data, arc length, flags
  XelMathSetOfPointsND* _c1Data; // left and right nodes of each discontinuity, kept index
  // results
  long _diagnostic;
  double _maxError;
  long _nbNulled;
  long _tightenDepth;   // nodes inserted by tightening in this control
  long _tightenLimit;
  XelMathSetOfLongs _c1Nodes;
  XelMathSetOfLongs _invalidArcs;

  static constexpr long WorkNodes = 10;
  static constexpr long FlagRequired = 1;
  static constexpr long FlagPieceStart = 2;
};
