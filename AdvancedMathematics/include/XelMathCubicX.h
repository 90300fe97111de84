#pragma once
// Polynomial of degree 3 with inline coefficients c_0..c_3, evaluated by straight-line code
// c_0 + x (c_1 + x (c_2 + x c_3)). The shift stays 0: changes of variable rewrite the
// coefficients (see XelMathPolynomX), so that values, coefficients and records agree.
#include "XelMathPointsToCubic.h"
#include "XelMathPolynomX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCubicX : public XelMathPolynomX {
public:
  /// c_0..c_3 from c (zero when c is null).
  explicit XelMathCubicX(const double* c = nullptr);
  /// The cubic Hermite interpolant on [0, L] of value p0 and slope d0 at 0, p1 and d1 at L.
  XelMathCubicX(const double p0, const double d0, const double p1, const double d1, const double L);
  XelMathCubicX(const XelMathCubicX& iOther);
  XelMathCubicX& operator=(const XelMathCubicX& iOther);
  ~XelMathCubicX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// 0, 10 and 13.
  unsigned char IsATypeOf(const long iType) const override;
  /// Stream tag 10.
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
  /// EvalPos on the interval when it is non-negative, else a nested interval
  /// product ((c_2 + c_3 I) I + c_1) I + c_0.
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathFunctionX* Duplicate() const override;

private:
  double _inline[4];
};
