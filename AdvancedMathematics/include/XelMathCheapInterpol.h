#pragma once
// Interpolation of points alone (no function) by a chain of quintic Hermite arcs (see
// XelMathInterpol). The tangent and second derivative at a point come from the parabola
// through it and its neighbours, in chord length (EstimateTangentAndSecondDeriv); the tangent
// is then made unit and the second derivative the curvature vector. Between two points the
// curve is taken as the quintic Hermite arc of their estimated data (ComputeDataAtPosition),
// so that nodes can be inserted between points. A periodic set wraps around its closure.
//
// The curve position of a node is the (fractional) index of the initial point.
// With C1 detection, a point whose one-sided tangents turn by more than the cut angle is a
// discontinuity; with the cut both sides get their one-sided data.
#include "XelMathExplicitInterpol.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheapInterpol : public XelMathExplicitInterpol {
public:
  XelMathCheapInterpol(XelSoftwareConfiguration* iConfig, const long iN, const double iTolerance,
                       const XelTolerance& iTol);
  ~XelMathCheapInterpol() override;

  long GetStaticMemoryBytes() const override;

  /// iInitial: the points (dimension N, else 0x20006). A point with a coordinate that is not
  /// finite is left out (DiagDataFailed); one within the tolerance object's point resolution of
  /// the previous usable point is merged with it; fewer than two usable points give status 4 and
  /// DiagTooFewPoints. oCorrespondingInitialParams (may be null) receives the index in iInitial
  /// of the initial point at each node (fractional for inserted ones). A NaN tolerance raises
  /// 0x20006.
  int Run(const XelMathSetOfPointsND& iInitial, XelMathSetOfPointsND& oParameters,
          XelMathSetOfPointsND& oPoints, XelMathSetOfPointsND& oTangents,
          XelMathSetOfPointsND& oSecondDerivatives,
          XelMathSetOfPointsND* oCorrespondingInitialParams = nullptr,
          const XelMathAttrList* iAttributes = nullptr) override;

  /// Tangent oT and second derivative oD at P of the parabola through A, P and B, with signed
  /// chord distances a = iSignA |A - P| and b = iSignB |B - P| (a != b, both non-zero):
  /// T = (a^2 (B - P) - b^2 (A - P)) / (a b (a - b)), D = 2 (b (A - P) - a (B - P)) / (a b (a - b)).
  /// Returns 0 (outputs untouched) when the distances do not allow it.
  static int EstimateTangentAndSecondDeriv(const long iN, const double* P, const double* A,
                                           const double* B, const double iSignA,
                                           const double iSignB, double* oT, double* oD);
  /// Data at a fractional index u of the initial points.
  int ComputeDataAtPosition(const double u, double* oNode);
  /// Chooses the length of an arc by its deviation from the points it spans.
  double BestCheapInterpol(const double* iNode0, const double* iNode1);

  /// Number of points whose data could not be estimated (coincident neighbours) in the last run.
  long GetErrorDiag() const { return _errorDiag; }
  /// First initial point where the estimated tangent reverses against its predecessor's (-1
  /// when none) and the output parameter of the node nearest to it (0 when none).
  long GetTwistIndex() const { return _twistIndex; }
  double GetTwistParam() const { return _twistParam; }

  int GetDataFromISet(const long i, double* oNode) override;
  void GetPointFromISet(const long i, double* oP) const override;
  int ComputeData(const double iU, const double* iGuess, double* oNode) override;
  double Quality(const double* iNode0, const double* iNode1) override;
  double QualityOpt() override;
  void PrepareQualityOpt(const double* iNode0, const double* iNode1) override;
  double BestInterpol(const double* iNode0, const double* iNode1) override;
  double InitializeDeltaParam(const double* iNode0, const double* iNode1) override;
  double GetFiniteDifferenceStep(const double iU) const override;
  int ComputeDataAtMiddle(const double* iNode0, const double* iNode1, const double iFraction,
                          double* oNode) override;

protected:
  int FindC1Discontinuity(const long k, double* oLeft, double* oRight) override;
  /// One-sided data at initial point i from its two neighbours on side iSide (-1, +1).
  int OneSidedData(const long i, const int iSide, double* oNode);
  /// Initial point i (the last of a periodic set is the first); 0 when i is off the set.
  int Neighbour(const long i, double* oP) const;
  /// The initial index iStep kept points away from i (wrapped for a periodic set), -1 off
  /// an open set.
  long Step(const long i, const long iStep) const;
  /// Position in the kept points of the last one at or before u (-1 before the first).
  long KeptPosition(const double u) const;
  /// Positions of the kept points strictly between u0 and u1.
  void InteriorPositions(const double u0, const double u1, long& oFirst, long& oLast) const;
  /// The binary exponent of the largest finite coordinate of the points when it is beyond
  /// 2^100 or below 2^-100 (0 otherwise): a run at that magnitude is made on scaled points.
  int MagnitudeExponent(const XelMathSetOfPointsND& iPoints) const;
  /// Divides the lengths of the settings by 2^iExponent (the curvature bound grows).
  void ScaleSettings(const int iExponent);
  /// Multiplies the results of a scaled run (lengths, points, nodes) back by 2^iExponent.
  void ScaleResults(const int iExponent, XelMathSetOfPointsND& ioParameters,
                    XelMathSetOfPointsND& ioPoints, XelMathSetOfPointsND& ioSecondDerivatives);

  long _errorDiag;
  long _twistIndex;
  double _twistParam;
  long _preparedFirst;
  XelMathSetOfLongs _corners; // initial points where the result is cut
};
