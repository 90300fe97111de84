#include "XelMathFunctionRN.h"

#include "XelMathNxNFullSymMatrix.h"

namespace {
// Steps of the centred differences: first derivatives, second derivatives from values,
// third derivatives from second ones.
const double FirstStep = 1e-6;
const double SecondStep = 1e-4;
const double ThirdStep = 0.002;
} // namespace

XelMathFunctionRN::XelMathFunctionRN(const long iN) : _n(iN) {}

XelMathFunctionRN::~XelMathFunctionRN() = default;

unsigned char XelMathFunctionRN::IsAKindOf(const char* iName) const {
  if (iName && SameName(iName, "XelMathFunctionRN"))
    return 1;
  return XelMathFunctionGeneral::IsAKindOf(iName);
}

long XelMathFunctionRN::GetNumberOfVariables() const {
  return _n;
}

XelMathFunctionRN* XelMathFunctionRN::DeepDuplicate() const {
  return Duplicate();
}

// The differences move one or two coordinates of the caller's point and put back the
// saved values, so the point comes back bit for bit.
double XelMathFunctionRN::EvalFirstDeriv(const long& i, const double* x) const {
  double* p = const_cast<double*>(x);
  const double xi = p[i];
  p[i] = xi + FirstStep;
  const double fp = Eval(p);
  p[i] = xi - FirstStep;
  const double fm = Eval(p);
  p[i] = xi;
  return (fp - fm) / (2.0 * FirstStep);
}

double XelMathFunctionRN::EvalSecondDeriv(const long& i, const long& j, const double* x) const {
  double* p = const_cast<double*>(x);
  const long ii = i, jj = j;
  if (IsOption(2)) {
    const double xi = p[ii];
    p[ii] = xi + FirstStep;
    const double dp = EvalFirstDeriv(jj, p);
    p[ii] = xi - FirstStep;
    const double dm = EvalFirstDeriv(jj, p);
    p[ii] = xi;
    return (dp - dm) / (2.0 * FirstStep);
  }
  const double h = SecondStep;
  if (ii == jj) {
    const double xi = p[ii];
    const double f0 = Eval(p);
    p[ii] = xi + h;
    const double fp = Eval(p);
    p[ii] = xi - h;
    const double fm = Eval(p);
    p[ii] = xi;
    return (fp + fm - 2.0 * f0) / (h * h);
  }
  const double xi = p[ii], xj = p[jj];
  p[ii] = xi - h;
  p[jj] = xj - h;
  const double fmm = Eval(p);
  p[ii] = xi + h;
  p[jj] = xj + h;
  const double fpp = Eval(p);
  p[jj] = xj - h;
  const double fpm = Eval(p);
  p[ii] = xi - h;
  p[jj] = xj + h;
  const double fmp = Eval(p);
  p[ii] = xi;
  p[jj] = xj;
  return (fmm + fpp - fpm - fmp) / (4.0 * h * h);
}

double XelMathFunctionRN::EvalThirdDeriv(const long& i, const long& j, const long& k,
                                         const double* x) const {
  double* p = const_cast<double*>(x);
  const long ii = i, jj = j, kk = k;
  const double xi = p[ii];
  p[ii] = xi + ThirdStep;
  const double sp = EvalSecondDeriv(jj, kk, p);
  p[ii] = xi - ThirdStep;
  const double sm = EvalSecondDeriv(jj, kk, p);
  p[ii] = xi;
  return (sp - sm) / (2.0 * ThirdStep);
}

void XelMathFunctionRN::Eval(const double* x, const long iOptions, double* oF, double* oGrad,
                             double* oHessian) const {
  const long n = _n;
  if ((iOptions & 1) && oF)
    *oF = Eval(x);
  if ((iOptions & 2) && oGrad)
    for (long i = 0; i < n; ++i)
      oGrad[i] = EvalFirstDeriv(i, x);
  if ((iOptions & 4) && oHessian)
    for (long i = 0; i < n; ++i)
      for (long j = 0; j <= i; ++j) {
        const double v = EvalSecondDeriv(j, i, x);
        oHessian[j * n + i] = v;
        oHessian[i * n + j] = v;
      }
}

void XelMathFunctionRN::Eval(const double* x, const long iOptions, double* oF, double* oGrad,
                             XelMathNxNFullSymMatrix* oHessian) const {
  const long n = _n;
  if ((iOptions & 1) && oF)
    *oF = Eval(x);
  if ((iOptions & 2) && oGrad)
    for (long i = 0; i < n; ++i)
      oGrad[i] = EvalFirstDeriv(i, x);
  if ((iOptions & 4) && oHessian) {
    long k = 0;
    for (long i = 0; i < n; ++i)
      for (long j = 0; j <= i; ++j)
        oHessian->SetCoef(k++, EvalSecondDeriv(j, i, x));
  }
}

XelMathInterval XelMathFunctionRN::Eval(const XelMathIntervalND&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionRN::EvalFirstDeriv(const long&, const XelMathIntervalND&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionRN::EvalSecondDeriv(const long&, const long&,
                                                   const XelMathIntervalND&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionRN::EvalThirdDeriv(const long&, const long&, const long&,
                                                  const XelMathIntervalND&) const {
  return XelMathInterval(0.0, 0.0);
}
