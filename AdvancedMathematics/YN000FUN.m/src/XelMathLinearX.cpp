// The affine function c_0 + c_1 x with inline coefficients.
#include "XelMathLinearX.h"
#include "XelMathIdentity.h"

XelMathLinearX::XelMathLinearX(const double a, const double b) : XelMathPolynomX(_inline, 1, 0.0) {
  _inline[0] = b;
  _inline[1] = a;
}

XelMathLinearX::XelMathLinearX(const double* c) : XelMathPolynomX(_inline, 1, 0.0) {
  _inline[0] = c ? c[0] : 0.0;
  _inline[1] = c ? c[1] : 0.0;
}

XelMathLinearX::XelMathLinearX(const XelMathLinearX& iOther) : XelMathPolynomX(_inline, 1, 0.0) {
  _inline[0] = _inline[1] = 0.0;
  SetCoefficients(iOther._degree, iOther._coefficients);
}

XelMathLinearX& XelMathLinearX::operator=(const XelMathLinearX& iOther) {
  XelMathPolynomX::operator=(iOther);
  return *this;
}

XelMathLinearX::~XelMathLinearX() = default;

XelMathDefineIdentity(XelMathLinearX, XelMathPolynomX);

XelMathDefineTypeId(XelMathLinearX, XelMathPolynomX, XelMathTypeId::Linear);

double XelMathLinearX::Eval(const double& x) const {
  if (_degree != 1)
    return XelMathPolynomX::Eval(x);
  return _coefficients[0] + x * _coefficients[1];
}

double XelMathLinearX::EvalFirstDeriv(const double& x) const {
  if (_degree != 1)
    return XelMathPolynomX::EvalFirstDeriv(x);
  return _coefficients[1];
}

double XelMathLinearX::EvalSecondDeriv(const double& x) const {
  if (_degree != 1)
    return XelMathPolynomX::EvalSecondDeriv(x);
  return 0.0;
}

double XelMathLinearX::EvalThirdDeriv(const double& x) const {
  if (_degree != 1)
    return XelMathPolynomX::EvalThirdDeriv(x);
  return 0.0;
}

XelMathInterval XelMathLinearX::Eval(const XelMathInterval& iI) const {
  if (_degree != 1)
    return XelMathPolynomX::Eval(iI);
  const double c0 = _coefficients[0], c1 = _coefficients[1];
  const double l = c0 + c1 * iI.low, h = c0 + c1 * iI.high;
  return c1 < 0.0 ? XelMathInterval(h, l) : XelMathInterval(l, h);
}

XelMathInterval XelMathLinearX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (_degree != 1)
    return XelMathPolynomX::EvalFirstDeriv(iI);
  return XelMathInterval(_coefficients[1], _coefficients[1]);
}

XelMathInterval XelMathLinearX::ComputeOptimalImage(const XelMathInterval& iI,
                                                    const XelTolerance& iTol) const {
  if (_degree != 1)
    return XelMathPolynomX::ComputeOptimalImage(iI, iTol);
  return Eval(iI);
}

XelMathFunctionX* XelMathLinearX::Duplicate() const {
  return new XelMathLinearX(*this);
}

double XelMathLinearX::Integrate(const XelMathInterval& iI, double iEps) const {
  if (_degree != 1 || !(iEps >= 0.0)) // the general form refuses a meaningless tolerance
    return XelMathPolynomX::Integrate(iI, iEps);
  const double l = iI.low, h = iI.high;
  return _coefficients[0] * (h - l) + 0.5 * _coefficients[1] * (h - l) * (h + l);
}

int XelMathLinearX::IsMonotone(const XelMathInterval&, long& oSense) const {
  const double a = _degree >= 1 ? _coefficients[1] : 0.0;
  oSense = a > 0.0 ? 1 : (a < 0.0 ? -1 : 0);
  return 1;
}
