#pragma once
// Abstract function f(x, y) of two real variables: the contract every two-variable system
// solver, the two-variable minimizer, the marchers and the stream writers rely on.
//
// Partial derivatives are named by the variables they differentiate: FirstDerivX = df/dx,
// FirstDerivY = df/dy; SecondDerivX2 = d2f/dx2, SecondDerivXY = d2f/dxdy, SecondDerivY2 =
// d2f/dy2; ThirdDerivX3 = d3f/dx3, ThirdDerivX2Y = d3f/dx2dy, ThirdDerivXY2 = d3f/dxdy2,
// ThirdDerivY3 = d3f/dy3.
//
// A concrete function overrides IsA, Eval(x, y) and, when it can be copied, Duplicate; and as
// many other operations as it can compute exactly, saying so through IsOption. The base class
// supplies:
//  - derivatives up to the third order by centred differences (steps XelMathh1, XelMathh2,
//    XelMathh3 of the one-variable functions),
//  - masked and grid evaluations through the single-value operations,
//  - interval derivatives that return [0, 0] (no information: callers consult IsOption(32)
//    and IsOption(64) first) and a masked interval evaluation that chains monotonicity,
//  - a guaranteed image of a box (ComputeOptimalImage) by a two-dimensional Chebyshev
//    expansion, else by global extremum search,
//  - double integrals, and factories of derived functions (partial derivatives,
//    iso-parametric restrictions, compositions, linear combinations).
//
// Evaluation masks: at a point, bit 1 the value, 2 the first derivatives (fx and fy), 4 the
// second (fxx, fxy, fyy); over a box, 16, 32 and 64 the same. Outputs not asked for are not
// written. Grid outputs are stored x outer, y inner: the point (x_i, y_j) at i * nY + j.
//
// Ownership: functions are created with new and owned by their creator. Objects returned by
// the factories belong to the caller and keep a pointer to this function, which must outlive
// them.
#include "XelMathFunctionGeneral.h"
#include "XelMathInterval.h"

class XelTolerance;
class XelMathFunctionX;
class XelMathInterval2D;
class XelMathIntervalND;
class XelMathSetOfPointsND;
class XelMathAttrList;
class XelMathAttrScaleOption;

/// \brief The abstract function f(x, y) of two real variables (see the file comment).
class XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionXY : public XelMathFunctionGeneral {
public:
  XelMathFunctionXY() = default;
  /// Nothing to release at this level.
  ~XelMathFunctionXY() override;

  /// True for "XelMathFunctionXY" and the names of its bases.
  unsigned char IsAKindOf(const char* iName) const override;
  /// 2.
  long GetNumberOfVariables() const override;

  // ---- point evaluations --------------------------------------------------------------------
  /// The value f(x, y).
  virtual double Eval(const double& x, const double& y) const = 0;
  /// df/dx; default (f(x + h1, y) - f(x - h1, y)) / (2 h1).
  virtual double EvalFirstDerivX(const double& x, const double& y) const;
  /// df/dy; default (f(x, y + h1) - f(x, y - h1)) / (2 h1).
  virtual double EvalFirstDerivY(const double& x, const double& y) const;
  /// d2f/dx2; default: centred difference of the exact fx when IsOption(2), else the second
  /// difference of the value with step XelMathh2.
  virtual double EvalSecondDerivX2(const double& x, const double& y) const;
  /// d2f/dxdy; default: centred difference of the exact fx in y when IsOption(2), else the
  /// four-point difference of the value with step XelMathh2.
  virtual double EvalSecondDerivXY(const double& x, const double& y) const;
  /// d2f/dy2; default as EvalSecondDerivX2 in y.
  virtual double EvalSecondDerivY2(const double& x, const double& y) const;
  /// d3f/dx3; default: centred difference of fxx in x with step XelMathh3.
  virtual double EvalThirdDerivX3(const double& x, const double& y) const;
  /// d3f/dx2dy; default: centred difference of fxy in x with step XelMathh3.
  virtual double EvalThirdDerivX2Y(const double& x, const double& y) const;
  /// d3f/dxdy2; default: centred difference of fyy in x with step XelMathh3.
  virtual double EvalThirdDerivXY2(const double& x, const double& y) const;
  /// d3f/dy3; default: centred difference of fyy in y with step XelMathh3.
  virtual double EvalThirdDerivY3(const double& x, const double& y) const;
  /// The value and every derivative up to the third order at (x, y).
  virtual void EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx,
                                  double& oFy, double& oFxx, double& oFxy, double& oFyy,
                                  double& oFxxx, double& oFxxy, double& oFxyy,
                                  double& oFyyy) const;
  /// The four third derivatives at (x, y).
  virtual void EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx, double& oFxxy,
                                  double& oFxyy, double& oFyyy) const;
  /// Masked point evaluation: value (bit 1), fx and fy (bit 2), fxx, fxy and fyy (bit 4).
  virtual void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
                    double* oFy, double* oFxx, double* oFxy, double* oFyy) const;
  /// Masked evaluation on the regular grid of iCounts[0] x iCounts[1] points of the box iBox
  /// (dimension 2; the last point of each direction exactly at the high end, one point at the
  /// low end, nothing for a count of 0 or less). Each requested array receives
  /// iCounts[0] * iCounts[1] values.
  virtual void Eval(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                    double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                    double* oFyy) const;
  /// Value (bit 1) and first derivatives (bit 2) on the grid iX[0..iNX) x iY[0..iNY).
  virtual void EvalGrid(const long iNX, const double* iX, const long iNY, const double* iY,
                        const long iDiff, double* oF, double* oFx, double* oFy) const;

  // ---- interval evaluations ------------------------------------------------------------------
  /// An enclosure of f over iI x iJ; default ComputeOptimalImage.
  virtual XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                               const XelTolerance& iTol) const;
  /// Image of fx over iI x iJ: [0, 0] (no information) unless the class sets option 32.
  virtual XelMathInterval EvalFirstDerivX(const XelMathInterval& iI, const XelMathInterval& iJ) const;
  /// Image of fy over iI x iJ: [0, 0] unless the class sets option 32.
  virtual XelMathInterval EvalFirstDerivY(const XelMathInterval& iI, const XelMathInterval& iJ) const;
  /// Image of fxx over iI x iJ: [0, 0] unless the class sets option 64.
  virtual XelMathInterval EvalSecondDerivX2(const XelMathInterval& iI,
                                            const XelMathInterval& iJ) const;
  /// Image of fxy over iI x iJ: [0, 0] unless the class sets option 64.
  virtual XelMathInterval EvalSecondDerivXY(const XelMathInterval& iI,
                                            const XelMathInterval& iJ) const;
  /// Image of fyy over iI x iJ: [0, 0] unless the class sets option 64.
  virtual XelMathInterval EvalSecondDerivY2(const XelMathInterval& iI,
                                            const XelMathInterval& iJ) const;
  /// Masked interval evaluation: image of the value (bit 16), of fx and fy (32), of fxx, fxy
  /// and fyy (64); a group is computed only when its outputs are given. The default chains
  /// monotonicity from the highest group asked for down to the value.
  virtual void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
                    XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy,
                    XelMathInterval* oFxx, XelMathInterval* oFxy, XelMathInterval* oFyy,
                    const XelTolerance& iTol) const;
  /// The image of every cell of the iCounts[0] x iCounts[1] equal cells of iBox, cell (i, j)
  /// at i * iCounts[1] + j.
  virtual void Eval(const XelMathIntervalND& iBox, const long* iCounts,
                    XelMathInterval* oImages) const;
  /// A guaranteed enclosure of f over iI x iJ, tight to the tolerance.
  virtual XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                              const XelTolerance& iTol) const;

  // ---- analyses ------------------------------------------------------------------------------
  /// Every minimum in iDomain into oPoints (dimension 2). Status 0 done, 2 constant, 4 refused.
  virtual int Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                       const XelMathAttrList* iAttributes = nullptr) const;
  /// Every maximum: the minima of the opposite function ("LimitValue" negated for the call).
  virtual int Maximize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                       const XelMathAttrList* iAttributes = nullptr) const;
  /// Integral over iI x iJ within the absolute tolerance iEps.
  virtual double Integrate(const XelMathInterval& iI, const XelMathInterval& iJ, double iEps) const;
  /// Integral over iI x iJ within the relative tolerance iEps.
  virtual double IntegrateRelative(const XelMathInterval& iI, const XelMathInterval& iJ,
                                   double iEps) const;
  /// Integral over the region x in iI, y from iY0 to iG(x).
  virtual double Integrate(const XelMathInterval& iI, const double iY0, const XelMathFunctionX* iG,
                           double iEps) const;
  /// The same within the relative tolerance iEps.
  virtual double IntegrateRelative(const XelMathInterval& iI, const double iY0,
                                   const XelMathFunctionX* iG, double iEps) const;

  // ---- derived functions ---------------------------------------------------------------------
  /// A new function for df/dx.
  virtual XelMathFunctionXY* CreateDerivX() const;
  /// A new function for df/dy.
  virtual XelMathFunctionXY* CreateDerivY() const;
  /// A new one-variable function y -> f(iX0, y).
  virtual XelMathFunctionX* CreateIsoparX(const double iX0) const;
  /// A new one-variable function x -> f(x, iY0).
  virtual XelMathFunctionX* CreateIsoparY(const double iY0) const;
  /// A new one-variable function t -> f(iU(t), iV(t)).
  virtual XelMathFunctionX* CreateCompositionX(const XelMathFunctionX* iU,
                                               const XelMathFunctionX* iV) const;
  /// A local minimum by safeguarded Newton steps from (ioX, ioY) inside iDomain; the point
  /// is moved to the minimum. Status 0 converged, 7 not converged.
  virtual int MinimizeNewton(double& ioX, double& ioY, const XelMathInterval2D& iDomain,
                             const XelTolerance& iTol) const;

  // ---- copies --------------------------------------------------------------------------------
  /// A copy sharing the components; raises 0x20009 ("Duplicate") unless overridden.
  virtual XelMathFunctionXY* Duplicate() const;
  /// A copy owning copies of the components; raises 0x20009 ("DeepDuplicate") unless
  /// overridden.
  virtual XelMathFunctionXY* DeepDuplicate() const;

  // ---- construction and refinement -----------------------------------------------------------
  /// Recursive bisection image of iI x iJ knowing the image iImage of the box (depth <= 3).
  virtual XelMathInterval RComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                               const XelMathInterval& iImage, const long iDepth,
                                               const XelTolerance& iTol) const;
  /// Closed form of sum c[k] f[k] + c0 when one exists (null at this level).
  virtual XelMathFunctionXY* FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                               const double* iC, const double iC0) const;
  /// Integral over iI x iJ, absolute (iRelative 0) or relative (1).
  virtual double IntegrateAbsOrRel(const XelMathInterval& iI, const XelMathInterval& iJ,
                                   double iEps, unsigned char iRelative) const;
  /// Integral over x in iI, y from iY0 to iG(x), absolute or relative.
  virtual double IntegrateAbsOrRel(const XelMathInterval& iI, const double iY0,
                                   const XelMathFunctionX* iG, double iEps,
                                   unsigned char iRelative) const;

  // ---- non-virtual helpers -------------------------------------------------------------------
  /// The Chebyshev step of ComputeOptimalImage alone: 1 and oImage when a series of at most
  /// 16 x 16 terms converges, 0 otherwise.
  int ComputeImageByChebyshev(const XelMathInterval& iI, const XelMathInterval& iJ,
                              XelMathInterval& oImage, const XelTolerance& iTol) const;
  /// The base algorithm of ComputeOptimalImage, whatever the class overrides.
  XelMathInterval BaseComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                          const XelTolerance& iTol) const;
};

/// sum c[k] f[k] + c0: the closed form of f[0]'s class when it has one, else a new
/// XelMathCombinationXY (null for a null f or f[0]).
XELADVANCEDMATHEMATICS_EXPORT XelMathFunctionXY* CreateCombination(const long iN,
                                                                   const XelMathFunctionXY** iF,
                                                                   const double* iC,
                                                                   const double iC0);

/// Guaranteed image of iI x iJ by iF. Files iOption (when not null) in the mailbox for the
/// duration of the call; runs the base algorithm when iForceBase is not 0, the virtual
/// operation otherwise. Errors raised by the evaluation are raised again after cleaning.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval ComputeOptimalImage(const XelMathFunctionXY* iF,
                                                                  const XelMathInterval& iI,
                                                                  const XelMathInterval& iJ,
                                                                  const XelTolerance& iTol,
                                                                  XelMathAttrScaleOption* iOption,
                                                                  int iForceBase);

/// The tolerance held by the function, looking through opposites and scalings down to a
/// XelMathBasisFunctionXY; null when there is none (and for a null iF).
XELADVANCEDMATHEMATICS_EXPORT const XelTolerance* XelMathFunctionXYFindTolerance(
    const XelMathFunctionXY* iF);
/// That tolerance, or the default tolerance when there is none.
XELADVANCEDMATHEMATICS_EXPORT const XelTolerance& XelMathFunctionXYGetTolerance(
    const XelMathFunctionXY* iF);
/// Multiplies by iFactor the double-valued attributes "TolForCst", "AbsoluteTolerance",
/// "Tolerance", "LimitValue" and "EpsRoot" present in ioAttributes.
XELADVANCEDMATHEMATICS_EXPORT void XelMathFunctionXY_DirtyAttributeScaling(
    XelMathAttrList* ioAttributes, const double iFactor);
