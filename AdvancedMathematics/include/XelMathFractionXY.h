#pragma once
// Quotient of two functions of two variables q(x, y) = f(x, y) / g(x, y).
//
// Point evaluation evaluates g first; derivatives up to the third order follow the quotient
// rule (from f = q g: q_a = (f_a - q g_a) / g, q_ab = (f_ab - q_a g_b - q_b g_a - q g_ab) / g,
// and likewise at the third order) on one multi-output evaluation of each component.
//
// Over a box the denominator's image is computed first (EvalDenom); when it comes within the
// tolerance's relative epsilon of 0 it is refined by bisecting the box (REvalDenom, the wider
// side first, down to a width of 0.001 and within an evaluation budget). A denominator that
// may still vanish gives the whole line [-XelMathInfinite, XelMathInfinite]; otherwise the
// image is the numerator's image times the inverse of the denominator's. A box that contains
// a zero of g therefore never raises.
//
// Derived functions: CreateIsoparX / CreateIsoparY give a XelMathFractionXDel of the two
// components' restrictions (it owns the restrictions, which point to the components).
// FormalCombination has a closed form only when every operand is a fraction over the very same
// denominator object: (sum c_k f_k + c0 g) / g, the numerator being CreateCombination of the
// numerators and g; null otherwise.
//
// Ownership: XelMathFractionXY points to f and g, which the caller keeps alive, and keeps the
// tolerance by address. XelMathFractionXYDel owns f, and g when asked to.
// Failures: a point where g is exactly 0 raises XelMathInputError 0x20005
// ("XelMathFractionXY::Eval", "with a null denominator"); with a null component, point values
// are XelMathInfinite and interval images the whole line.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathFractionXY : public XelMathFunctionXY {
public:
  XelMathFractionXY(const XelMathFunctionXY* iNum, const XelMathFunctionXY* iDen,
                    const XelTolerance& iTol);
  XelMathFractionXY(const XelMathFractionXY& iOther) = default;
  XelMathFractionXY& operator=(const XelMathFractionXY& iOther) = default;
  ~XelMathFractionXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// False with a null component; otherwise true when both components answer true for the
  /// bits and the lower orders the quotient rule needs.
  unsigned char IsOption(const long iOption) const override;
  /// f and g (2).
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  const XelMathFunctionXY* GetNumerator() const { return _numerator; }
  const XelMathFunctionXY* GetDenominator() const { return _denominator; }
  const XelTolerance* GetTolerance() const { return _tolerance; }

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
  void EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx, double& oFy,
                          double& oFxx, double& oFxy, double& oFyy, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx, double& oFxxy,
                          double& oFxyy, double& oFyyy) const override;
  void Eval(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override;

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
  /// The interval quotient, tightened by the general algorithm when the denominator is
  /// bounded away from 0 on the box; the whole line when it may vanish.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  /// The denominator's images over iI x iJ (bits 16, 32, 64 of iDiff as in the masked
  /// interval evaluation); the value image is refined by REvalDenom when it comes near 0.
  void EvalDenom(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
                 XelMathInterval* oG, XelMathInterval* oGx, XelMathInterval* oGy,
                 XelMathInterval* oGxx, XelMathInterval* oGxy, XelMathInterval* oGyy) const;
  /// 1 and the union of the denominator's images over a bisection of iI x iJ in which every
  /// part stays farther than the relative epsilon from 0; 0 (oImage: the last image met) when
  /// no such bisection is found within the width and budget limits.
  int REvalDenom(const XelMathInterval& iI, const XelMathInterval& iJ,
                 XelMathInterval& oImage) const;

  /// A XelMathFractionXDel of the restrictions y -> f(iX0, y) and y -> g(iX0, y).
  XelMathFunctionX* CreateIsoparX(const double iX0) const override;
  /// A XelMathFractionXDel of the restrictions x -> f(x, iY0) and x -> g(x, iY0).
  XelMathFunctionX* CreateIsoparY(const double iY0) const override;
  XelMathFunctionXY* FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                       const double* iC, const double iC0) const override;

  XelMathFunctionXY* Duplicate() const override;
  /// A XelMathFractionXYDel of deep copies of f and g (one copy when f and g are one object).
  XelMathFunctionXY* DeepDuplicate() const override;

  /// Raises 0x20005 for a zero denominator.
  [[noreturn]] static void ThrowForNullDenom();

protected:
  /// q and its derivatives up to iOrder (0..3) at (x, y) into oQ, indexed f, fx, fy, fxx, fxy,
  /// fyy, fxxx, fxxy, fxyy, fyyy; XelMathInfinite everywhere with a null component.
  void Derivatives(const double x, const double y, const int iOrder, double* oQ) const;
  /// The relative epsilon of the tolerance (0 after a report when it is invalid).
  double Epsilon() const;

  const XelTolerance* _tolerance;
  const XelMathFunctionXY* _numerator;
  const XelMathFunctionXY* _denominator;
};

/// A fraction that owns its numerator, and its denominator unless told otherwise.
class XELADVANCEDMATHEMATICS_EXPORT XelMathFractionXYDel : public XelMathFractionXY {
public:
  /// With the default tolerance.
  XelMathFractionXYDel(XelMathFunctionXY* iNum, XelMathFunctionXY* iDen,
                       unsigned char iDeleteDenominator = 1);
  XelMathFractionXYDel(XelMathFunctionXY* iNum, XelMathFunctionXY* iDen, const XelTolerance& iTol,
                       unsigned char iDeleteDenominator = 1);
  XelMathFractionXYDel(const XelMathFractionXYDel&) = delete;
  XelMathFractionXYDel& operator=(const XelMathFractionXYDel&) = delete;
  ~XelMathFractionXYDel() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// A deep copy (an owning object never shares its components).
  XelMathFunctionXY* Duplicate() const override;

private:
  unsigned char _deleteDenominator;
};
