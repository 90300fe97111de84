#pragma once
// Composition of a function of N variables with N functions of two variables:
// h(x, y) = F(f_1(x, y), ..., f_N(x, y)). With F_k, F_kl, F_klm the partial derivatives of F
// at (f_1(x, y), ..., f_N(x, y)) and p, q, r standing for x or y, the chain rule gives
//   h_p   = sum_k F_k f_k,p,
//   h_pq  = sum_kl F_kl f_k,p f_l,q + sum_k F_k f_k,pq,
//   h_pqr = sum_klm F_klm f_k,p f_l,q f_m,r
//           + sum_kl F_kl (f_k,pq f_l,r + f_k,pr f_l,q + f_k,qr f_l,p) + sum_k F_k f_k,pqr.
// Interval images: when F offers its image over a box (IsOption(16)) the image of h is F's
// image of the box of the f_k images, and the interval derivatives apply the same formulas
// with F's interval derivatives over that box; otherwise the general image of the base class.
//
// N comes from F. The work arrays (values and derivatives of the f_k, gradient and Hessian of
// F, the box and the derivative images of the f_k) are allocated with the object, so point
// evaluations do not allocate; they are changed by const evaluations, so one object serves
// one thread at a time. F and the f_k are not owned (XelMathCompositionXYByRNDel owns them).
// With a null F or f_k the point evaluations return XelMathInfinite, the interval images
// [0, 0] and IsOption false. The tolerance is kept by reference.
#include "XelMathFunctionXY.h"
#include "XelMathIntervalND.h"

class XelMathFunctionRN;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXYByRN : public XelMathFunctionXY {
public:
  /// F(iG[0](x, y), ..., iG[N-1](x, y)); N = 0 for a null F. A dimension whose work arrays
  /// the memory services cannot hold raises XelMathInputError 0x20006.
  XelMathCompositionXYByRN(const XelMathFunctionRN* iF, const XelMathFunctionXY** iG,
                           const XelTolerance& iTol);
  XelMathCompositionXYByRN(const XelMathCompositionXYByRN&) = delete;
  XelMathCompositionXYByRN& operator=(const XelMathCompositionXYByRN&) = delete;
  ~XelMathCompositionXYByRN() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False with a null component; otherwise true when F and every f_k answer true for the
  /// bits and the lower orders the chain rule needs (no bit above 64).
  unsigned char IsOption(const long iOption) const override;
  /// N + 1 components: F, then f_1..f_N.
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& x, const double& y) const override;
  double EvalFirstDerivX(const double& x, const double& y) const override;
  double EvalFirstDerivY(const double& x, const double& y) const override;
  double EvalSecondDerivX2(const double& x, const double& y) const override;
  double EvalSecondDerivXY(const double& x, const double& y) const override;
  double EvalSecondDerivY2(const double& x, const double& y) const override;
  double EvalThirdDerivX3(const double& x, const double& y) const override;
  double EvalThirdDerivX2Y(const double& x, const double& y) const override;
  double EvalThirdDerivXY2(const double& x, const double& y) const override;
  double EvalThirdDerivY3(const double& x, const double& y) const override;
  /// One pass of the chain rule for every output.
  void EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx, double& oFy,
                          double& oFxx, double& oFxy, double& oFyy, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  /// One pass of the chain rule up to the highest order asked for.
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;

  /// F's image of the box of the f_k images when F offers it, else the general image.
  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  XelMathInterval EvalFirstDerivX(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalFirstDerivY(const XelMathInterval& iI,
                                  const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivX2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivXY(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;
  XelMathInterval EvalSecondDerivY2(const XelMathInterval& iI,
                                    const XelMathInterval& iJ) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathCompositionXYByRNDel of deep copies of F and of the f_k (same tolerance).
  XelMathFunctionXY* DeepDuplicate() const override;

  /// N, the number of inner functions.
  long GetDimension() const { return _n; }
  const XelMathFunctionRN* GetOuterFunction() const { return _outer; }
  const XelMathFunctionXY* GetInnerFunction(const long k) const { return _inner[k]; }
  /// The tolerance given at construction.
  const XelTolerance* GetTolerance() const { return _tolerance; }

protected:
  /// The value and the derivatives of orders 1..iOrder (at most 3) at (x, y) into oH, in the
  /// order f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy; false with a null component.
  bool PointDerivatives(const double x, const double y, const int iOrder, double* oH) const;
  /// The images of the derivatives of order iOrder (1 or 2) over iI x iJ into oH (fx, fy, or
  /// fxx, fxy, fyy); false with a null component or when F offers no box image.
  bool IntervalDerivatives(const XelMathInterval& iI, const XelMathInterval& iJ, const int iOrder,
                           XelMathInterval* oH) const;
  bool HasNullComponent() const;

  const XelTolerance* _tolerance;
  long _n;
  const XelMathFunctionRN* _outer;
  const XelMathFunctionXY** _inner;
  // Work arrays: the value and the nine derivatives of each f_k (10N), the values again side
  // by side (N), the gradient of F (N), its Hessian (N x N), and the derivative images of the
  // f_k as (low, high) pairs (10N).
  double* _work;
  mutable XelMathIntervalND _box;
};

/// The composition owning F and the f_k (each deleted once). Copies are deep.
class XELADVANCEDMATHEMATICS_EXPORT XelMathCompositionXYByRNDel : public XelMathCompositionXYByRN {
public:
  XelMathCompositionXYByRNDel(XelMathFunctionRN* iF, XelMathFunctionXY** iG,
                              const XelTolerance& iTol);
  ~XelMathCompositionXYByRNDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its functions).
  XelMathFunctionXY* Duplicate() const override;
};
