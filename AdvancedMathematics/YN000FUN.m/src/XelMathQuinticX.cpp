// Polynomial of degree 5 with inline coefficients and its Hermite constructor.
#include "XelMathQuinticX.h"
#include "XelMathBatchTools.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

XelMathQuinticX::XelMathQuinticX(const double* c, const double s) : XelMathPolynomX(_inline, 5, s) {
  for (int k = 0; k < 6; ++k)
    _inline[k] = c ? c[k] : 0.0;
}

XelMathQuinticX::XelMathQuinticX(const double p0, const double d0, const double s0, const double p1,
                                 const double d1, const double s1, const double L)
    : XelMathPolynomX(_inline, 5, 0.5 * L) {
  // Shifted at the midpoint h = L / 2 of [0, L].
  const double low[3] = {p0, d0, s0}, high[3] = {p1, d1, s1};
  const XelMathPolynomX hermite(5, XelMathInterval(0.0, L), low, high, 1);
  for (int k = 0; k < 6; ++k)
    _inline[k] = hermite.GetCoefficient(k);
  _shift = hermite.GetShift();
}

XelMathQuinticX::XelMathQuinticX(const XelMathQuinticX& iOther)
    : XelMathPolynomX(_inline, 5, iOther._shift) {
  for (int k = 0; k < 6; ++k)
    _inline[k] = 0.0;
  SetCoefficients(iOther._degree, iOther._coefficients);
}

XelMathQuinticX& XelMathQuinticX::operator=(const XelMathQuinticX& iOther) {
  XelMathPolynomX::operator=(iOther);
  return *this;
}

XelMathQuinticX::~XelMathQuinticX() = default;

XelMathDefineIdentity(XelMathQuinticX, XelMathPolynomX);

XelMathDefineTypeId(XelMathQuinticX, XelMathPolynomX, XelMathTypeId::Quintic);

double XelMathQuinticX::Eval(const double& x) const {
  if (_degree != 5)
    return XelMathPolynomX::Eval(x);
  const double* c = _coefficients;
  const double t = x - _shift;
  return c[0] + t * (c[1] + t * (c[2] + t * (c[3] + t * (c[4] + t * c[5]))));
}

double XelMathQuinticX::EvalFirstDeriv(const double& x) const {
  if (_degree != 5)
    return XelMathPolynomX::EvalFirstDeriv(x);
  const double* c = _coefficients;
  const double t = x - _shift;
  return c[1] + t * (2.0 * c[2] + t * (3.0 * c[3] + t * (4.0 * c[4] + t * 5.0 * c[5])));
}

double XelMathQuinticX::EvalSecondDeriv(const double& x) const {
  if (_degree != 5)
    return XelMathPolynomX::EvalSecondDeriv(x);
  const double* c = _coefficients;
  const double t = x - _shift;
  return 2.0 * c[2] + t * (6.0 * c[3] + t * (12.0 * c[4] + t * 20.0 * c[5]));
}

double XelMathQuinticX::EvalThirdDeriv(const double& x) const {
  if (_degree != 5)
    return XelMathPolynomX::EvalThirdDeriv(x);
  const double* c = _coefficients;
  const double t = x - _shift;
  return 6.0 * c[3] + t * (24.0 * c[4] + t * 60.0 * c[5]);
}

void XelMathQuinticX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                           double* oF2) const {
  if (_degree != 5) {
    XelMathPolynomX::Eval(x, iOptions, oF, oF1, oF2);
    return;
  }
  const double* c = _coefficients;
  const double t = x - _shift;
  if ((iOptions & XelMathOption::Value) && oF)
    *oF = c[0] + t * (c[1] + t * (c[2] + t * (c[3] + t * (c[4] + t * c[5]))));
  if ((iOptions & XelMathOption::FirstDeriv) && oF1)
    *oF1 = c[1] + t * (2.0 * c[2] + t * (3.0 * c[3] + t * (4.0 * c[4] + t * 5.0 * c[5])));
  if ((iOptions & XelMathOption::SecondDeriv) && oF2)
    *oF2 = 2.0 * c[2] + t * (6.0 * c[3] + t * (12.0 * c[4] + t * 20.0 * c[5]));
}

void XelMathQuinticX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                 double* oF1, double* oF2) const {
  if (_degree != 5) {
    XelMathPolynomX::EvalBatch(iN, iX, iOptions, oF, oF1, oF2);
    return;
  }
  using XelMathBatch::Lanes;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  // The point operation's expressions, eight points at a time.
  const double* c = _coefficients;
  const double s = _shift, d2 = 2.0 * c[2], d3 = 3.0 * c[3], d4 = 4.0 * c[4], e3 = 6.0 * c[3],
               e4 = 12.0 * c[4];
  XelMathBatch::ForEachBlock(
      iN, iX, [&](const Lanes& x, const long iStart, const long iCount) XelMathBlockKernel {
        const Lanes t = x - s;
        if (asked.f)
          (c[0] + t * (c[1] + t * (c[2] + t * (c[3] + t * (c[4] + t * c[5])))))
              .Store(iCount, oF + iStart);
        if (asked.f1)
          (c[1] + t * (d2 + t * (d3 + t * (d4 + t * 5.0 * c[5])))).Store(iCount, oF1 + iStart);
        if (asked.f2)
          (d2 + t * (e3 + t * (e4 + t * 20.0 * c[5]))).Store(iCount, oF2 + iStart);
      });
}

XelMathFunctionX* XelMathQuinticX::Duplicate() const {
  return new XelMathQuinticX(*this);
}
