#pragma once
// Hyperbolic combination f(x) = a cosh(w x) + b sinh(w x) + c.
//
// The value and the first two derivatives are exact at a point; the third derivative at a
// point is the centred difference of the exact second derivative (the class declares it
// inexact). Over an interval, the value and the first three derivatives are bounded from the
// interval cosh and sinh of w I, each term ordered by the sign of its factor (the two terms
// are bounded separately, so the image encloses the range without being tight). Evaluation
// never raises. Where cosh and sinh overflow, values and images come from the exponential
// form ((a + b) e^t + (a - b) e^-t) / 2: finite where the function is (a cosh t - a sinh t),
// infinite where it overflows, never NaN.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathHyperbolicX : public XelMathFunctionX {
public:
  /// a cosh(w x) + b sinh(w x) + c.
  XelMathHyperbolicX(const double a, const double b, const double c, const double w);
  XelMathHyperbolicX(const XelMathHyperbolicX& iOther) = default;
  XelMathHyperbolicX& operator=(const XelMathHyperbolicX& iOther) = default;
  ~XelMathHyperbolicX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True exactly when no bit outside 2, 4, 16, 32 and 64 is set.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// 0 and 40.
  unsigned char IsATypeOf(const long iType) const override;

  double GetCoshCoefficient() const { return _a; }
  double GetSinhCoefficient() const { return _b; }
  double GetConstant() const { return _c; }
  double GetPulsation() const { return _omega; }

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  /// One cosh and sinh for all outputs.
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// A batch of abscissas: one call, the point operation's expressions in a loop.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// The values at the ends of iI and at the only possible extremum, tanh(w x) = -b / a
  /// (when |b| < |a|), within the interval image.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;

  XelMathFunctionX* Duplicate() const override;
  XelMathFunctionX* DeepDuplicate() const override;
  /// The derivative as a hyperbolic function: (b w) cosh + (a w) sinh, constant 0.
  XelMathHyperbolicX Deriv() const;
  /// A new hyperbolic function, Deriv().
  XelMathFunctionX* CreateDeriv() const override;
  /// (a sinh(w x) + b cosh(w x)) / w + c x between the ends, exact (iEps is not used).
  double IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                           unsigned char iRelative) const override;

private:
  double _a;
  double _b;
  double _c;
  double _omega;
};
