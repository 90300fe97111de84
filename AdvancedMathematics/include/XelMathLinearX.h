#pragma once
// The affine function a x + b as a polynomial of degree 1 with inline coefficients
// (c_0 = b, c_1 = a). Evaluation is straight-line code; its interval image is exact.
// Note that GetShift here returns the constant term c_0 and GetScale the slope c_1, as the
// callers of this class expect; the polynomial shift, read through XelMathPolynomX::GetShift,
// stays 0 (changes of variable rewrite the coefficients, see XelMathPolynomX).
#include "XelMathPolynomX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathLinearX : public XelMathPolynomX {
public:
  /// a x + b.
  XelMathLinearX(const double a, const double b);
  /// c[0] + c[1] x (zero when c is null).
  explicit XelMathLinearX(const double* c);
  XelMathLinearX(const XelMathLinearX& iOther);
  XelMathLinearX& operator=(const XelMathLinearX& iOther);
  ~XelMathLinearX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// 0, 10 and 11.
  unsigned char IsATypeOf(const long iType) const override;
  /// Stream tag 12.
  short GetStreamType() const override;
  /// Writes the tag and the fields (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  /// The slope c_1.
  double GetScale() const { return _coefficients[1]; }
  /// The constant term c_0.
  double GetShift() const { return _coefficients[0]; }

  using XelMathPolynomX::Eval;
  using XelMathPolynomX::EvalFirstDeriv;
  using XelMathPolynomX::EvalSecondDeriv;
  using XelMathPolynomX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  /// The exact image Eval(iI).
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;
  XelMathFunctionX* Duplicate() const override;
  double Integrate(const XelMathInterval& iI, double iEps) const override;

  using XelMathPolynomX::IsMonotone;
  /// Always 1: sense +1 for a positive slope, -1 for a negative one, 0 for a zero slope.
  int IsMonotone(const XelMathInterval& iI, long& oSense) const;

private:
  double _inline[2];
};
