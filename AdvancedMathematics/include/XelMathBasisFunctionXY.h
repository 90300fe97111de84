#pragma once
// Base class for two-variable functions written by callers of the library. The derived class
// supplies IsA, Eval(x, y) and Duplicate; this class supplies the derivatives by the centred
// differences of XelMathFunctionXY with steps that follow the model's scale: with e the
// tolerance's absolute resolution and pX, pY the powers of the scale in which the variables
// are expressed, eX = e^pX and eY = e^pY (1 for a power 0), and the steps in x are
// eX XelMathh1, eX XelMathh2, eX XelMathh3 (in y the same with eY).
//
// The object keeps a pointer to the tolerance, which must outlive it; the tolerance is what
// XelMathFunctionXYFindTolerance returns for this function.
#include "XelMathFunctionXY.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathBasisFunctionXY : public XelMathFunctionXY {
public:
  XelMathBasisFunctionXY(const XelTolerance& iTol, const long iPX = 1, const long iPY = 1);
  XelMathBasisFunctionXY(const XelMathBasisFunctionXY& iOther) = default;
  XelMathBasisFunctionXY& operator=(const XelMathBasisFunctionXY& iOther) = default;
  ~XelMathBasisFunctionXY() override;

  long GetStaticMemoryBytes() const override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;

  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  /// (f(x + h1X, y) - f(x - h1X, y)) / (2 h1X).
  double EvalFirstDerivX(const double& x, const double& y) const override;
  double EvalFirstDerivY(const double& x, const double& y) const override;
  /// Centred differences of the exact first derivatives (steps h1X, h1Y) when IsOption(2),
  /// else second differences of the value (steps h2X, h2Y).
  double EvalSecondDerivX2(const double& x, const double& y) const override;
  double EvalSecondDerivXY(const double& x, const double& y) const override;
  double EvalSecondDerivY2(const double& x, const double& y) const override;
  /// Centred differences of the second derivatives (step h3X along x, h3Y along y).
  double EvalThirdDerivX3(const double& x, const double& y) const override;
  double EvalThirdDerivX2Y(const double& x, const double& y) const override;
  double EvalThirdDerivXY2(const double& x, const double& y) const override;
  double EvalThirdDerivY3(const double& x, const double& y) const override;

  /// Recomputes the six steps for variables expressed in the powers iPX and iPY of the scale.
  void InitSteps(const long iPX, const long iPY);
  const XelTolerance* GetToleranceObject() const { return _tolerance; }
  long GetPowerX() const { return _powerX; }
  long GetPowerY() const { return _powerY; }
  /// The step of order iOrder (1, 2 or 3) along x (iVariable 0) or y (1).
  double GetStep(const long iVariable, const long iOrder) const;

protected:
  const XelTolerance* _tolerance;
  long _powerX;
  long _powerY;
  double _h1X, _h2X, _h3X;
  double _h1Y, _h2Y, _h3Y;
};
