// Polynomial of degree 3 with inline coefficients, and the cubic Hermite coefficients.
#include "XelMathCubicX.h"

#include "XelMathBatchTools.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include <cmath>

void XelMathPointsToCubic(const double iP0, const double iD0, const double iP1, const double iD1,
                          const double iL, double* oC) {
  if (!oC)
    return;
  const double slope = (iP1 - iP0) / iL;
  oC[0] = iP0;
  oC[1] = iD0;
  oC[2] = (3.0 * slope - 2.0 * iD0 - iD1) / iL;
  oC[3] = (-2.0 * slope + iD0 + iD1) / (iL * iL);
}

XelMathCubicX::XelMathCubicX(const double* c) : XelMathPolynomX(_inline, 3, 0.0) {
  for (int k = 0; k < 4; ++k)
    _inline[k] = c ? c[k] : 0.0;
}

XelMathCubicX::XelMathCubicX(const double p0, const double d0, const double p1, const double d1,
                             const double L)
    : XelMathPolynomX(_inline, 3, 0.0) {
  XelMathPointsToCubic(p0, d0, p1, d1, L, _inline);
}

XelMathCubicX::XelMathCubicX(const XelMathCubicX& iOther) : XelMathPolynomX(_inline, 3, 0.0) {
  for (int k = 0; k < 4; ++k)
    _inline[k] = 0.0;
  SetCoefficients(iOther._degree, iOther._coefficients);
}

XelMathCubicX& XelMathCubicX::operator=(const XelMathCubicX& iOther) {
  XelMathPolynomX::operator=(iOther);
  return *this;
}

XelMathCubicX::~XelMathCubicX() = default;

XelMathDefineIdentity(XelMathCubicX, XelMathPolynomX);

XelMathDefineTypeId(XelMathCubicX, XelMathPolynomX, XelMathTypeId::Cubic);

double XelMathCubicX::Eval(const double& x) const {
  if (_degree != 3)
    return XelMathPolynomX::Eval(x);
  const double* c = _coefficients;
  return c[0] + x * (c[1] + x * (c[2] + x * c[3]));
}

double XelMathCubicX::EvalFirstDeriv(const double& x) const {
  if (_degree != 3)
    return XelMathPolynomX::EvalFirstDeriv(x);
  const double* c = _coefficients;
  return c[1] + x * (2.0 * c[2] + x * 3.0 * c[3]);
}

double XelMathCubicX::EvalSecondDeriv(const double& x) const {
  if (_degree != 3)
    return XelMathPolynomX::EvalSecondDeriv(x);
  return 2.0 * _coefficients[2] + 6.0 * _coefficients[3] * x;
}

double XelMathCubicX::EvalThirdDeriv(const double& x) const {
  if (_degree != 3)
    return XelMathPolynomX::EvalThirdDeriv(x);
  return 6.0 * _coefficients[3];
}

void XelMathCubicX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                         double* oF2) const {
  if (_degree != 3) {
    XelMathPolynomX::Eval(x, iOptions, oF, oF1, oF2);
    return;
  }
  const double* c = _coefficients;
  if ((iOptions & XelMathOption::Value) && oF)
    *oF = c[0] + x * (c[1] + x * (c[2] + x * c[3]));
  if ((iOptions & XelMathOption::FirstDeriv) && oF1)
    *oF1 = c[1] + x * (2.0 * c[2] + x * 3.0 * c[3]);
  if ((iOptions & XelMathOption::SecondDeriv) && oF2)
    *oF2 = 2.0 * c[2] + 6.0 * c[3] * x;
}

void XelMathCubicX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                               double* oF1, double* oF2) const {
  if (_degree != 3) {
    XelMathPolynomX::EvalBatch(iN, iX, iOptions, oF, oF1, oF2);
    return;
  }
  using XelMathBatch::Lanes;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  // The point operation's expressions, eight points at a time.
  const double* c = _coefficients;
  const double twoC2 = 2.0 * c[2], sixC3 = 6.0 * c[3];
  XelMathBatch::ForEachBlock(
      iN, iX, [&](const Lanes& x, const long iStart, const long iCount) XelMathBlockKernel {
        if (asked.f)
          (c[0] + x * (c[1] + x * (c[2] + x * c[3]))).Store(iCount, oF + iStart);
        if (asked.f1)
          (c[1] + x * (twoC2 + x * 3.0 * c[3])).Store(iCount, oF1 + iStart);
        if (asked.f2)
          (twoC2 + sixC3 * x).Store(iCount, oF2 + iStart);
      });
}

XelMathInterval XelMathCubicX::Eval(const XelMathInterval& iI) const {
  if (_degree != 3)
    return XelMathPolynomX::Eval(iI);
  const double* c = _coefficients;
  const double a = iI.low, b = iI.high;
  if (a >= 0.0)
    return EvalPos(XelMathInterval(a, b), c, 3);
  // ((c_2 + c_3 T) T + c_1) T + c_0 with the four-case product.
  double lo = c[2] + c[3] * a, hi = c[2] + c[3] * b;
  if (c[3] < 0.0) {
    const double tmp = lo;
    lo = hi;
    hi = tmp;
  }
  for (int k = 1; k >= 0; --k) {
    const double p1 = lo * a, p2 = lo * b, p3 = hi * a, p4 = hi * b;
    lo = std::fmin(std::fmin(p1, p2), std::fmin(p3, p4)) + c[k];
    hi = std::fmax(std::fmax(p1, p2), std::fmax(p3, p4)) + c[k];
  }
  return XelMathInterval(lo, hi);
}

XelMathFunctionX* XelMathCubicX::Duplicate() const {
  return new XelMathCubicX(*this);
}
