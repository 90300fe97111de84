#pragma once
// The plane curve f(x, y) = 0 of one XelMathFunctionXY (not owned: it must outlive the
// system), traced by XelMathImplicitSystem with N = 2: Eval gives f(x, y), EvalJacobian its
// two first derivatives and EvalHessian its second derivatives (the function's own formulas,
// or its centred differences).
#include "XelMathImplicitSystem.h"

class XelMathFunctionXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathImplicitSystemXY : public XelMathImplicitSystem {
public:
  XelMathImplicitSystemXY(XelSoftwareConfiguration* iConfig, const XelMathFunctionXY* iF,
                          const XelTolerance& iTol, const XelMathAttrList* iAttributes = nullptr);
  ~XelMathImplicitSystemXY() override;

  long GetStaticMemoryBytes() const override;

  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* oF) const override;
  void EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const override;
  void Eval(const double* X, double* oF, XelMathNxNFullMatrix* oJ) const override;
  void EvalHessian(const double* X, const long iEquation, double* oH) override;

  const XelMathFunctionXY* GetFunction() const { return _f; }

private:
  const XelMathFunctionXY* _f;
};
