#pragma once
// Abstract function of one real variable: the contract every root finder, minimizer,
// integrator and marcher relies on.
//
// A concrete function overrides IsA, Eval(x) and Duplicate, and as many other operations
// as it can compute exactly, saying so through IsOption. The base class supplies:
//  - derivatives by centred differences (steps XelMathh1, XelMathh2, XelMathh3),
//  - multi-output and grid evaluations through the single-value operations,
//  - interval evaluations that return [0, 0] (no interval information) and a multi-output
//    interval evaluation that chains monotonicity,
//  - a guaranteed image of an interval (ComputeOptimalImage) by Chebyshev expansion,
//    recursive bisection or global extremum search,
//  - the analyses: roots (Solve), extrema (Minimize, Maximize) and integrals.
//
// Ownership: functions are created with new and owned by their creator. Duplicate shares
// the components of a composite; DeepDuplicate copies them into the owning (Del) variant.
// Objects returned by factory operations (CreateDeriv, compositions, approximations)
// belong to the caller.
#include "XelMathFunctionGeneral.h"
#include "XelMathInterval.h"

class XelTolerance;
class XelMathSetOfPointsND;
class XelMathAttrList;
class XelMathAttrScaleOption;
class XelMathPolynomX;

class XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionX : public XelMathFunctionGeneral {
public:
  XelMathFunctionX() = default;
  ~XelMathFunctionX() override;

  unsigned char IsAKindOf(const char* iName) const override;
  long GetNumberOfVariables() const override;

  /// True for 0 and for the class's own type identifier (10 polynomials, 20 fractions...).
  virtual unsigned char IsATypeOf(const long iType) const;

  // ---- point evaluations --------------------------------------------------------------
  virtual double Eval(const double& x) const = 0;
  /// Default: (f(x + h1) - f(x - h1)) / (2 h1).
  virtual double EvalFirstDeriv(const double& x) const;
  /// Default: centred difference of the exact first derivative when IsOption(2), else the
  /// second centred difference of the value with step XelMathh2.
  virtual double EvalSecondDeriv(const double& x) const;
  /// Default: centred difference of the second derivative with step XelMathh3.
  virtual double EvalThirdDeriv(const double& x) const;
  /// Value (bit 1), first (bit 2) and second (bit 4) derivatives at x into oF, oF1, oF2.
  virtual void Eval(const double x, const long iOptions, double* oF, double* oF1,
                    double* oF2) const;
  /// The same outputs on a uniform grid of iNbPoints points of iI (the last point exactly
  /// at the high end); each requested array receives iNbPoints values.
  virtual void Eval(const XelMathInterval& iI, const long iNbPoints, const long iOptions,
                    double* oF, double* oF1, double* oF2) const;
  /// The same outputs at iN given abscissas iX[0..iN-1] (a batch): each requested array
  /// receives iN values, in the order of iX, exactly the values of the point operation.
  /// Nothing happens for iN < 1; null abscissas with iN > 0 raise XelMathInputError 0x20006
  /// ("the abscissas", "null", "XelMathFunctionX::EvalPoints"). The work is done by the
  /// virtual EvalBatch.
  void EvalPoints(const long iN, const double* iX, const long iOptions, double* oF,
                  double* oF1, double* oF2) const;
  /// The batch itself, called by EvalPoints with iN >= 1 and iX not null. The default loops
  /// over the point operation; polynomials, elementary functions and composites override it so
  /// that a batch costs one call and a composite calls each component once per chunk.
  virtual void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                         double* oF1, double* oF2) const;

  // ---- interval evaluations (default [0, 0]: no information) ---------------------------
  virtual XelMathInterval Eval(const XelMathInterval& iI) const;
  virtual XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const;
  virtual XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const;
  virtual XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const;
  /// Images of the value (bit 16), first (32) and second (64) derivatives over iI; the
  /// default chains monotonicity from the highest derivative requested.
  virtual void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                    XelMathInterval* oF1, XelMathInterval* oF2) const;
  /// A guaranteed enclosure of the image of iI, tight to the tolerance. When the image comes
  /// from the extremum search and the function is NaN or infinite somewhere on iI, no bound
  /// can be given: the image is then the whole line (infinite ends).
  virtual XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                              const XelTolerance& iTol) const;

  // ---- copies ----------------------------------------------------------------------------
  virtual XelMathFunctionX* Duplicate() const = 0;
  /// Raises 0x20009 unless overridden (leaf classes return Duplicate()).
  virtual XelMathFunctionX* DeepDuplicate() const;

  // ---- analyses ----------------------------------------------------------------------------
  /// Every root in iDomain into oRoots (dimension 1; earlier contents discarded). Status:
  /// 0 done, 1 function null on the domain, 4 empty domain.
  virtual int Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
                    const XelMathAttrList* iAttributes = nullptr) const;
  /// One bracketed Newton solve in iDomain starting from ioX (iImage: known image of
  /// iDomain); iMode 0 solves f = 0, 1 solves f' = 0. Status 0 converged, 7 budget out.
  virtual int SolveNewton(const XelMathInterval& iDomain, const XelMathInterval& iImage,
                          const long& iMode, double& ioX, const XelTolerance& iTol) const;
  /// Every minimum in iDomain into oMinima (dimension 1). Status 0 done, 2 constant,
  /// 4 empty domain.
  virtual int Minimize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMinima,
                       const XelMathAttrList* iAttributes = nullptr) const;
  /// Every maximum: the minima of the opposite function.
  virtual int Maximize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMaxima,
                       const XelMathAttrList* iAttributes = nullptr) const;
  /// Integral over iI within the absolute tolerance iEps.
  virtual double Integrate(const XelMathInterval& iI, double iEps) const;
  /// Integral over iI within the relative tolerance iEps.
  virtual double IntegrateRelative(const XelMathInterval& iI, double iEps) const;
  /// Gauss-Legendre rule of order iOrder on iNbIntervals equal sub-intervals of iI (0 below
  /// 1; above 2^21 raises 0x20004 "Invalid Number Of Points" before any evaluation).
  virtual double GaussLegendre(const XelMathInterval& iI, const long iOrder,
                               const long iNbIntervals) const;

  // ---- construction ----------------------------------------------------------------------
  /// A new function for the derivative (the caller owns it).
  virtual XelMathFunctionX* CreateDeriv() const;
  /// Recursive bisection image of iI knowing the image iImage of iI.
  virtual XelMathInterval RComputeOptimalImage(const XelMathInterval& iI,
                                               const XelMathInterval& iImage, const long iDepth,
                                               const XelTolerance& iTol) const;
  /// A new function computing this(g(t)).
  virtual XelMathFunctionX* FormalCompositionX(const XelMathFunctionX* iG) const;
  /// Closed form of sum c[i] f[i] + c0 when one exists (null at this level).
  virtual XelMathFunctionX* FormalCombination(const long iN, const XelMathFunctionX** iF,
                                              const double* iC, const double iC0) const;
  /// Relative convergence threshold of the Chebyshev image (1e-4 by default).
  virtual double GetChebyshevConfidenceParametre() const;
  /// Integral over iI within iEps, absolute (iRelative 0) or relative (1). When the doubling
  /// has not converged at 64 pieces, the 64-piece estimate (XelMathIntegrateX gives the status
  /// and, on request, goes on adaptively). A negative or NaN iEps raises 0x20006.
  virtual double IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                                   unsigned char iRelative) const;
  /// Gauss-Legendre rule of order iOrder over iI.
  virtual double GaussLegendre(const XelMathInterval& iI, const long iOrder) const;

  // ---- non-virtual helpers ---------------------------------------------------------------
  /// Step 2 of ComputeOptimalImage alone: 1 and oImage when a Chebyshev series of at most
  /// 16 terms converges, 0 otherwise.
  int ComputeImageByChebyshev(const XelMathInterval& iI, XelMathInterval& oImage,
                              const XelTolerance& iTol) const;
  /// The base algorithm of ComputeOptimalImage, whatever the class overrides.
  XelMathInterval BaseComputeOptimalImage(const XelMathInterval& iI,
                                          const XelTolerance& iTol) const;
  /// A new array of iN + 1 Chebyshev interpolation coefficients on iI (first halved),
  /// allocated by the kernel's memory services: the caller frees it with
  /// XelQuorArrayDoubleDel(array, iN + 1) (XelQuorMemory.h), never with delete[]. A
  /// negative iN, or one whose array the services cannot hold, raises 0x20004.
  double* ComputeChebyshevCoefficients(const XelMathInterval& iI, long iN) const;
  /// A polynomial approximating the function on iI within iTol from iN Chebyshev
  /// coefficients (iN even, at most 16), or null when the series has not converged.
  XelMathPolynomX* ChebyshevApproximation(const XelMathInterval& iI, long iN, double iTol) const;

  /// Null for a null iF, else iF->FormalCompositionX(iG).
  static XelMathFunctionX* CreateCompositionX(const XelMathFunctionX* iF,
                                              const XelMathFunctionX* iG);
  /// A new owning composition iF(iG(t)).
  static XelMathFunctionX* CreateCompositionXDel(XelMathFunctionX* iF, XelMathFunctionX* iG);
  /// A new piecewise cubic (XelMathPiecewiseXDel) interpolating the iN points (iX[i], iY[i])
  /// with estimated tangents; a XelMathLinearX below three points. Raises 0x2000e on
  /// inconsistent input.
  static XelMathFunctionX* CreateCubicInterpolation(const long iN, const double* iX,
                                                    const double* iY, const XelTolerance& iTol);
};

/// sum c[i] f[i] + c0: the closed form of f[0]'s class when it has one, else a new
/// XelMathCombinationX (null for a null f or f[0]).
XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionX* CreateCombination(const long iN,
                                                                  const XelMathFunctionX** iF,
                                                                  const double* iC,
                                                                  const double iC0);

/// Guaranteed image of iI by iF. Files iOption (when not null) in the mailbox for the
/// duration of the call; runs the base algorithm when iForceBase is not 0, the virtual
/// operation otherwise. Errors raised by the evaluation are raised again after cleaning.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval ComputeOptimalImage(const XelMathFunctionX* iF,
                                                                  const XelMathInterval& iI,
                                                                  const XelTolerance& iTol,
                                                                  XelMathAttrScaleOption* iOption,
                                                                  int iForceBase);

/// One bracketed Newton solve of iF under a scale option (see XelMathFunctionX::SolveNewton).
XELADVANCEDMATHEMATICS_EXPORT int SolveNewton(const XelMathFunctionX* iF,
                                              const XelMathInterval& iDomain,
                                              const XelMathInterval& iImage, const long& iMode,
                                              double& ioX, const XelTolerance& iTol,
                                              XelMathAttrScaleOption* iOption);

/// The first tolerance object held by a function of the tree, or null.
XELADVANCEDMATHEMATICS_EXPORT const XelTolerance* XelMathFunctionXFindTolerance(
    const XelMathFunctionX* iF);
/// That tolerance, or the default tolerance when there is none.
XELADVANCEDMATHEMATICS_EXPORT const XelTolerance& XelMathFunctionXGetTolerance(
    const XelMathFunctionX* iF);
