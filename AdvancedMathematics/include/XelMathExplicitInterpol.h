#pragma once
// Interpolation of a curve given by an explicit vector function f of one parameter (N
// components) by a chain of quintic Hermite arcs (see XelMathInterpol).
//
// The initial set holds parameters of f (dimension 1, increasing) where nodes may be placed;
// the first and last are always nodes, and nodes are added on f wherever an arc deviates
// beyond the tolerance. A node at parameter t carries f(t), f'(t) and f''(t) (the arc length
// of an arc starts at the parameter difference and is tuned by the deviation); with
// SetParametrizedByDistance the tangent is unit, the second derivative is the curvature
// vector and arcs take the arc length of f. A second derivative whose squared norm exceeds the
// maximum (10000 by default) is set to 0 and counted.
//
// Deviation of an arc: samples of f between its nodes projected on the quintic by Newton, and
// samples of the quintic projected on f; the larger distance counts.
//
// Errors: a null f or f of a dimension other than N, or an initial set of a dimension other
// than 1 (for XelMathCheapInterpol: other than N), raise 0x20006 ("Dimension not valid").
#include "XelMathInterpol.h"

class XelMathVectorialFunctionX;

class XELADVANCEDMATHEMATICS_EXPORT XelMathExplicitInterpol : public XelMathInterpol {
public:
  /// iF is held, not copied; a null iF raises 0x20006.
  XelMathExplicitInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                          XelMathVectorialFunctionX* iF, const double iTolerance,
                          const XelTolerance& iTol);
  ~XelMathExplicitInterpol() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Interpolates f through the parameters of iInitial; see XelMathInterpol::RunMain.
  /// oCorrespondingInitialParams (may be null) receives the parameter of f at each node.
  virtual int Run(const XelMathSetOfPointsND& iInitial, XelMathSetOfPointsND& oParameters,
                  XelMathSetOfPointsND& oPoints, XelMathSetOfPointsND& oTangents,
                  XelMathSetOfPointsND& oSecondDerivatives,
                  XelMathSetOfPointsND* oCorrespondingInitialParams = nullptr,
                  const XelMathAttrList* iAttributes = nullptr);
  /// Data of f at parameter t (a node). Returns 1, or 0 when a value is not finite.
  virtual int ComputeDataAtParam(const double t, double* oNode);
  /// Step of the finite differences: iFactor x (1 + |t|) (2e-5 by default).
  void SetHFactor(const double iFactor);
  /// Parametrisation by arc length (switches the best parametrisation off when on).
  void SetParametrizedByDistance(const int iOn);
  /// Plain Newton projections on the quintic (from the guess, no bounds, no sampling).
  void SetOldNewtonMode() { _oldNewton = 1; }

  /// Deviation of the current arc from f between the two nodes.
  double QualityExplicit(const double* iNode0, const double* iNode1);
  /// Distance of f(t) to the current arc, the projection starting at s.
  double QualityExplicitAtPoint(const double t, const double s);
  /// Distance of X to the current arc by Newton from iGuess; oS receives the foot.
  double NewtonOnQuintic(const double* X, const double iGuess, double& oS) const;

  // ---- the curve through f ----
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

protected:
  /// For the interpolators of points alone (no f).
  XelMathExplicitInterpol(XelSoftwareConfiguration* iConfig, const long iN, const double iTolerance,
                          const XelTolerance& iTol);
  /// Makes T unit and D the curvature vector (derivatives with respect to arc length).
  void ToArcLength(double* ioNode) const;
  /// Grows the prepared samples to iCount points.
  double* PreparedSamples(const long iCount);

  XelMathVectorialFunctionX* _f;
  const XelMathSetOfPointsND* _initial;
  double _hFactor;
  int _byDistance;
  int _oldNewton;
  XelMathSetOfPointsND* _stored; // curve positions of the nodes
  double* _prepared;             // samples of the curve for QualityOpt
  long _preparedCapacity;
  long _nbPrepared;
  double _preparedU0, _preparedU1;
};
