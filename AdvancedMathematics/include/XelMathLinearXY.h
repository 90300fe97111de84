#pragma once
// The affine function f(x, y) = a x + b y + c. Every derivative is exact (fx = a, fy = b, the
// higher ones 0) and the interval image of a box is exact: each term takes its extremes at
// the ends chosen by the sign of its coefficient.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathLinearXY : public XelMathFunctionXY {
public:
  /// a x + b y + c.
  XelMathLinearXY(const double a, const double b, const double c);
  ~XelMathLinearXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  /// True exactly when iOption has no bit outside 2, 4, 8, 16, 32 and 64.
  unsigned char IsOption(const long iOption) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  void SetCoefficients(const double a, const double b, const double c);
  void GetCoefficients(double& oA, double& oB, double& oC) const;

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

  /// The exact image.
  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override;
  /// [a, a], [b, b] and [0, 0].
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
  void Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
            XelMathInterval* oFxy, XelMathInterval* oFyy, const XelTolerance& iTol) const override;
  /// The exact image.
  XelMathInterval ComputeOptimalImage(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance& iTol) const override;

  /// The constants a and b.
  XelMathFunctionXY* CreateDerivX() const override;
  XelMathFunctionXY* CreateDerivY() const override;
  /// y -> b y + (a x0 + c) and x -> a x + (b y0 + c).
  XelMathFunctionX* CreateIsoparX(const double iX0) const override;
  XelMathFunctionX* CreateIsoparY(const double iY0) const override;
  /// t -> a u(t) + b v(t) + c, the one-variable combination (null when u or v is null).
  XelMathFunctionX* CreateCompositionX(const XelMathFunctionX* iU,
                                       const XelMathFunctionX* iV) const override;
  XelMathFunctionXY* Duplicate() const override;
  XelMathFunctionXY* DeepDuplicate() const override;
  /// A XelMathLinearXY when every f[k] is one, else null.
  XelMathFunctionXY* FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                       const double* iC, const double iC0) const override;

private:
  double _a;
  double _b;
  double _c;
};
