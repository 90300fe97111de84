#pragma once
// Polynomial of degree 5 with inline coefficients c_0..c_5 and a shift s, evaluated by
// straight-line Horner code in t = x - s. The Hermite constructor interpolates the value,
// first and second derivatives at both ends of [0, L] and stores the result with shift L/2.
#include "XelMathPolynomX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathQuinticX : public XelMathPolynomX {
public:
  /// c_0..c_5 from c (zero when c is null), shift s.
  explicit XelMathQuinticX(const double* c = nullptr, const double s = 0.0);
  /// Quintic Hermite interpolant on [0, L]: value p0, first derivative d0 and second
  /// derivative s0 at 0; p1, d1, s1 at L.
  XelMathQuinticX(const double p0, const double d0, const double s0, const double p1,
                  const double d1, const double s1, const double L);
  XelMathQuinticX(const XelMathQuinticX& iOther);
  XelMathQuinticX& operator=(const XelMathQuinticX& iOther);
  ~XelMathQuinticX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// 0, 10 and 15.
  unsigned char IsATypeOf(const long iType) const override;
  /// Stream tag 6.
  short GetStreamType() const override;
  /// Writes the tag and the fields (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  using XelMathPolynomX::Eval;
  using XelMathPolynomX::EvalFirstDeriv;
  using XelMathPolynomX::EvalSecondDeriv;
  using XelMathPolynomX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathFunctionX* Duplicate() const override;

private:
  double _inline[6];
};
