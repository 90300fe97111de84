#pragma once
// Base class for functions written by callers of the library. The derived class supplies
// IsA, Eval(x) and Duplicate; this class supplies derivatives by centred differences whose
// steps follow the model's scale: with s the tolerance's scale factor and p the power of s
// in which the variable is expressed, m = 1 (p = 0), s (p = 1) or s^p, and the steps are
// m XelMathh1, m XelMathh2 and m XelMathh3 for the first, second and third derivatives.
//
// The object keeps a reference to the tolerance (which must outlive it) and its own copy of
// the scale option when one is given. A scale option whose function or variable powers do
// not hold exactly one value raises XelMathInputError 0x20006.
#include "XelMathFunctionX.h"

class XelMathAttrScaleOption;

class XELADVANCEDMATHEMATICS_EXPORT XelMathBasisFunctionX : public XelMathFunctionX {
public:
  /// Steps for a variable expressed in the power iPowerX of the scale; no scale option.
  XelMathBasisFunctionX(const XelTolerance& iTol, long iPowerX);
  /// Copies the option (its variable power gives the steps).
  XelMathBasisFunctionX(const XelTolerance& iTol, XelMathAttrScaleOption& iOption);
  XelMathBasisFunctionX(const XelMathBasisFunctionX& iOther);
  XelMathBasisFunctionX& operator=(const XelMathBasisFunctionX& iOther);
  ~XelMathBasisFunctionX() override;

  long GetDynamicMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;

  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  /// (f(x + h1) - f(x - h1)) / (2 h1).
  double EvalFirstDeriv(const double& x) const override;
  /// Centred difference of the exact first derivative (step h1) when IsOption(2), else
  /// (f(x + h2) + f(x - h2) - 2 f(x)) / h2^2.
  double EvalSecondDeriv(const double& x) const override;
  /// (f''(x + h3) - f''(x - h3)) / (2 h3).
  double EvalThirdDeriv(const double& x) const override;

  /// Copies the option and recomputes the steps from its variable power.
  void SetScaleOption(XelMathAttrScaleOption& iOption);
  /// Copies the stored option into oOption when one was set, the default option (powers 1
  /// and 1) otherwise; returns whether one was set.
  unsigned char GetScaleOption(XelMathAttrScaleOption& oOption) const;
  /// The stored option, or null when none was set.
  const XelMathAttrScaleOption* GetScaleOption() const {
    return _hasScaleOption ? _scaleOption : nullptr;
  }
  /// Recomputes the steps for a variable expressed in the power iPowerX of the scale.
  void InitStep(long iPowerX);
  const XelTolerance* GetToleranceObject() const { return _tolerance; }
  double GetStep1() const { return _h1; }
  double GetStep2() const { return _h2; }
  double GetStep3() const { return _h3; }

protected:
  const XelTolerance* _tolerance;
  double _h1;
  double _h2;
  double _h3;
  XelMathAttrScaleOption* _scaleOption;
  unsigned char _hasScaleOption;
};
