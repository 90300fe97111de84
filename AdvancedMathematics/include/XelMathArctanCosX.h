#pragma once
// Arc tangent of a cosine wave: f(x) = A atan(B cos(w x + phi)) + C.
//
// With theta = w x + phi and u = B cos(theta), the derivatives are exact closed forms of
// atan'(u) = 1 / (1 + u^2) and its derivatives. The interval image follows the composition
// interval by interval (cosine of the phase interval, times B, arc tangent, times A, plus C);
// the interval derivatives combine exact images of the derivatives of atan over the interval
// of u with the interval sine and cosine of the phase. Evaluation never raises.
#include "XelMathFunctionX.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathArctanCosX : public XelMathFunctionX {
public:
  /// A atan(B cos(w x + phi)) + C.
  XelMathArctanCosX(const double iA, const double iB, const double iOmega, const double iPhi,
                    const double iC);
  /// A, B, w, phi, C from iP[0..4].
  explicit XelMathArctanCosX(const double* iP);
  XelMathArctanCosX(const XelMathArctanCosX& iOther) = default;
  XelMathArctanCosX& operator=(const XelMathArctanCosX& iOther) = default;
  ~XelMathArctanCosX() override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True exactly when no bit outside 2, 4, 16, 32 and 64 is set.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;
  /// 0 and 31.
  unsigned char IsATypeOf(const long iType) const override;
  /// Stream tag 7.
  short GetStreamType() const override;
  /// 1 with the flag set, whatever the version.
  unsigned char _IsStreamable(const XelQuorStreamVersion iVersion,
                              unsigned char& oFlag) const override;
  /// Writes the tag and the fields (XelMathFunctionStr.cpp).
  void Stream(XelMathStream& ioStream, const char* iLabel) const override;

  /// A, B, w, phi, C into oP[0..4].
  void GetParameters(double* oP) const;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& x) const override;
  /// -A B w sin(theta) / (1 + (B cos(theta))^2).
  double EvalFirstDeriv(const double& x) const override;
  double EvalSecondDeriv(const double& x) const override;
  double EvalThirdDeriv(const double& x) const override;
  void Eval(const double x, const long iOptions, double* oF, double* oF1,
            double* oF2) const override;
  /// A batch of abscissas: one call, the point operation's expressions in a loop.
  void EvalBatch(const long iN, const double* iX, const long iOptions, double* oF, double* oF1,
                  double* oF2) const override;
  XelMathInterval Eval(const XelMathInterval& iI) const override;
  XelMathInterval EvalFirstDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalSecondDeriv(const XelMathInterval& iI) const override;
  XelMathInterval EvalThirdDeriv(const XelMathInterval& iI) const override;
  /// The interval image: x occurs once in the formula, so it is the image itself up to
  /// rounding.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI,
                                      const XelTolerance& iTol) const override;
  /// One phase interval for all outputs.
  void Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
            XelMathInterval* oF1, XelMathInterval* oF2) const override;

  XelMathFunctionX* Duplicate() const override;
  XelMathFunctionX* DeepDuplicate() const override;

private:
  double _a;
  double _b;
  double _omega;
  double _phi;
  double _c;
};
