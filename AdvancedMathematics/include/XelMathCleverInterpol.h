#pragma once
// Interpolation of a curve traced on an implicit system (N unknowns, N-1 equations; typically
// the points and tangents returned by the marcher) by a chain of quintic Hermite arcs (see
// XelMathInterpol).
//
// A node is a point of the curve: a point is projected on it by Newton iterations on the
// hyperplane orthogonal to the direction of the curve (FromImplicitToInterpol); its tangent is
// the system's tangent (the generalised cross product of the Jacobian rows), made unit and
// oriented like the initial set's vectors; its second derivative is the curvature vector D,
// solution of J D = -H(T, T), T.D = 0 (H(T, T): second differences of the equations along T).
// The curve position of a node is the length along the polyline of the initial points.
//
// The deviation of an arc is the distance from samples of the arc to their projections on the
// curve (with SetQualityNeedsDerivatives, also the arc length times the difference of the
// unit tangents in the named components). An extremity of the initial set where the tangent
// vanishes (a singular point) takes the set's vector as tangent and a null second derivative.
// With SetTightenArcIntoDomain, an arc that leaves the validity domain gets the length that
// minimises the criterion XelMathOptimalArcRN (deviation plus border excursion), found by the
// N-variable minimizer; arcs are checked inside the domain by the interval images of their
// components as XelMathQuinticX.
//
// Errors: a system of other than N unknowns raises 0x20006 ("Dimension not valid"); an
// initial set of another dimension raises 0x20006.
#include "XelMathInterpol.h"

class XelMathSetOfPointsNDWithVectors;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCleverInterpol : public XelMathInterpol {
public:
  /// iSystem (not null) and iDomain (may be null) are held, not copied.
  XelMathCleverInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                        XelMathImplicitSystem* iSystem, const XelMathIntervalND* iDomain,
                        const double iTolerance, const double iMinTolerance,
                        const XelTolerance& iTol);
  ~XelMathCleverInterpol() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Interpolates the curve through the points of iInitial (dimension N, vectors: tangents
  /// that orient the curve; null vectors take the chords). oCorrespondingInitialParams (may
  /// be null) receives the curve position of each node.
  int Run(XelMathSetOfPointsNDWithVectors& iInitial, XelMathSetOfPointsND& oParameters,
          XelMathSetOfPointsND& oPoints, XelMathSetOfPointsND& oTangents,
          XelMathSetOfPointsND& oSecondDerivatives,
          XelMathSetOfPointsND* oCorrespondingInitialParams = nullptr,
          const XelMathAttrList* iAttributes = nullptr);

  void SetValidityDomain(const XelMathIntervalND* iDomain) { _domain = iDomain; }
  /// Settings for curves traced between two surfaces from given start points: points removal,
  /// output cleaning, C1 detection without cut, invalid arcs reported.
  void UseSurSurWithInitsSettings();
  /// Components iFirst..iLast also judged by their tangents (0x20007 outside 0..N-1).
  void SetQualityNeedsDerivatives(const long iFirst, const long iLast);

  /// The node of the curve near X (projected), its tangent oriented like iOrient (may be
  /// null: the raw orientation). Returns 0 when X cannot be projected or is singular.
  int FromImplicitToInterpol(const double* X, const double* iOrient, double* oNode);
  /// Whether initial point i is an extremity where the curve is singular.
  int IsSingularExtremity(const long i);
  /// The node of a singular extremity i: the set's point and unit vector, null D.
  int RunSingular(const long i, double* oNode);
  /// Chooses the length of arc i (between nodes i and i+1) that keeps it within the domain and
  /// near the curve (minimisation of XelMathOptimalArcRN). Returns 1 when it stays inside.
  int OptimalArc(const long i);
  /// Squared excursion of the current arc outside the domain (0 inside), sampled.
  double BorderConstraint() const;
  /// Whether P is inside the domain (within the root resolution).
  int WithinDomain(const double* iP) const;
  /// The criterion of OptimalArc for the current nodes at length iL: deviation from the
  /// prepared curve samples plus the border excursion weighted by 1 / tolerance.
  double ArcCriterion(const double iL);

  int GetDataFromISet(const long i, double* oNode) override;
  void GetPointFromISet(const long i, double* oP) const override;
  int ComputeData(const double iU, const double* iGuess, double* oNode) override;
  double Quality(const double* iNode0, const double* iNode1) override;
  double QualityOpt() override;
  void PrepareQualityOpt(const double* iNode0, const double* iNode1) override;
  int CheckValidityOfPoint(const double* iP) const override;
  int CheckValidityOfLastPoint(const double* iNode) const override;
  double InitializeDeltaParam(const double* iNode0, const double* iNode1) override;
  double GetFiniteDifferenceStep(const double iU) const override;
  int ComputeDataAtMiddle(const double* iNode0, const double* iNode1, const double iFraction,
                          double* oNode) override;
  long GetNbInitialPoints() const override;
  void StoreParameter(const double* iNode) override;
  void StoreFirstParameter(const double* iNode) override;
  void CompleteParameters(XelMathSetOfPointsND& oParams) override;
  double GetCosAngleBetweenTangents(const double* iT0, const double* iT1) const override;
  double GetCosAngleBetweenTangents(const long i, const long j) override;
  using XelMathInterpol::IsAcceptable;
  /// Whether the arc stays in the domain: interval images of its components (XelMathQuinticX)
  /// on [0, L], split where undecided (n is not used).
  int IsAcceptable(const long n) const override;

protected:
  int TightenArc(const long i) override;
  /// The first initial point whose curve position exceeds iU.
  long FirstInitialAfter(const double iU) const;
  /// Largest distance to the current arc of the initial points strictly between the curve
  /// positions of the two nodes (only their first doubles are read).
  double InitialPointsDeviation(const double* iNode0, const double* iNode1) const;
  /// Second differences of the equations along the unit T at X: H(T, T) into oH (N-1).
  void SecondDifference(const double* X, const double* T, double* oH) const;

  const XelMathSetOfPointsNDWithVectors* _initial;
  XelMathSetOfPointsND* _positions; // polyline length at each initial point
  XelMathSetOfPointsND* _stored;    // curve positions of the nodes
  XelMathSetOfPointsND* _samples;   // curve points prepared for QualityOpt
  long _derivFirst, _derivLast;
  const double* _optNodes;          // the nodes of the arc under OptimalArc
  double _optU0, _optU1;            // curve positions of the prepared arc
};
