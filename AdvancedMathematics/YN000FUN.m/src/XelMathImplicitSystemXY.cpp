// XelMathImplicitSystemXY: the curve f(x, y) = 0 of a function of two variables.
#include "XelMathImplicitSystemXY.h"

#include "XelError.h"
#include "XelMathFunctionXY.h"
#include "XelMathInternalConstants.h"
#include "XelMathNxNFullMatrix.h"

XelMathImplicitSystemXY::XelMathImplicitSystemXY(XelSoftwareConfiguration* iConfig,
                                                 const XelMathFunctionXY* iF,
                                                 const XelTolerance& iTol,
                                                 const XelMathAttrList* iAttributes)
    : XelMathImplicitSystem(iConfig, 2, iTol, iAttributes), _f(iF) {
  if (!iF)
    XelQuornull(__FILE__, __LINE__);
}

XelMathImplicitSystemXY::~XelMathImplicitSystemXY() = default;

long XelMathImplicitSystemXY::GetStaticMemoryBytes() const {
  return sizeof(XelMathImplicitSystemXY);
}

void XelMathImplicitSystemXY::Eval(const double* X, double* oF) const {
  oF[0] = _f ? _f->Eval(X[0], X[1]) : 1.0;
}

void XelMathImplicitSystemXY::EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const {
  double* J = oJ->GetFullMatrixCoef();
  J[0] = _f ? _f->EvalFirstDerivX(X[0], X[1]) : 0.0;
  J[1] = _f ? _f->EvalFirstDerivY(X[0], X[1]) : 0.0;
}

void XelMathImplicitSystemXY::Eval(const double* X, double* oF, XelMathNxNFullMatrix* oJ) const {
  double* J = oJ->GetFullMatrixCoef();
  if (!_f) {
    oF[0] = 1.0;
    J[0] = J[1] = 0.0;
    return;
  }
  _f->Eval(X[0], X[1], XelMathOption::ValueAndFirst, oF, J, J + 1, nullptr, nullptr, nullptr);
}

void XelMathImplicitSystemXY::EvalHessian(const double* X, const long, double* oH) {
  if (!_f) {
    oH[0] = oH[1] = oH[2] = oH[3] = 0.0;
    return;
  }
  oH[0] = _f->EvalSecondDerivX2(X[0], X[1]);
  oH[1] = oH[2] = _f->EvalSecondDerivXY(X[0], X[1]);
  oH[3] = _f->EvalSecondDerivY2(X[0], X[1]);
}
