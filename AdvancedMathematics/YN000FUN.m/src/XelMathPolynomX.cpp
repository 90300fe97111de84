// Polynomials of one variable in a shifted monomial basis, their interval kernels, the
// Chebyshev basis conversions and the free polynomial algebra.
#include "XelMathPolynomX.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <memory>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBatchTools.h"
#include "XelMathElementaryTools.h"
#include "XelMathHorner.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathPointsToCubic.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathHornerKernels;

namespace {

/// Raises 0x20006 for a degree whose d + 1 coefficients the memory services cannot hold,
/// before d + 1 or any size is computed.
void CheckDegree(const long iDegree, const char* iWhere) {
  if (iDegree >= XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidOption, "the degree", "Dimension not valid", iWhere);
}

/// The fixed resolution below which two shifts are equal and a scaling is degenerate: the
/// default tolerance's parametric resolution (0 when that tolerance is invalid).
double ShiftResolution() {
  const XelTolerance& tol = XelGetDefaultTolerance();
  if (!tol.IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return 0.0;
  }
  return tol.GetParametricResolution();
}

/// Taylor shift in place: coefficients of sum c_k (t + b)^k in t.
void TaylorShift(double* c, const long d, const double b) {
  if (b == 0.0)
    return;
  for (long i = d - 1; i >= 0; --i)
    for (long j = i; j <= d - 1; ++j)
      c[j] += b * c[j + 1];
}

/// Product of two intervals (general four-case product).
inline void IntervalMul(const double xl, const double xh, const double a, const double b,
                        double& ol, double& oh) {
  const double p1 = xl * a, p2 = xl * b, p3 = xh * a, p4 = xh * b;
  ol = std::fmin(std::fmin(p1, p2), std::fmin(p3, p4));
  oh = std::fmax(std::fmax(p1, p2), std::fmax(p3, p4));
}

// Interval Horner kernels over a coefficient accessor coef(k), k = 0..n.
template <class Coef>
inline void KernelPos(const double a, const double b, const Coef& coef, const long n, double& lo,
                      double& hi) {
  lo = hi = coef(n);
  for (long k = n - 1; k >= 0; --k) {
    const double ck = coef(k);
    const double l = ck + (lo < 0.0 ? lo * b : lo * a);
    const double h = ck + (hi > 0.0 ? hi * b : hi * a);
    lo = l;
    hi = h;
  }
}

template <class Coef>
inline void KernelNeg(const double a, const double b, const Coef& coef, const long n, double& lo,
                      double& hi) {
  lo = hi = coef(n);
  for (long k = n - 1; k >= 0; --k) {
    const double ck = coef(k);
    const double l = ck + (hi > 0.0 ? hi * a : hi * b);
    const double h = ck + (lo < 0.0 ? lo * a : lo * b);
    lo = l;
    hi = h;
  }
}

template <class Coef>
inline XelMathInterval KernelSym(const double a, const double b, const Coef& coef, const long n) {
  // P(t) = E(t^2) + t O(t^2), E and O bounded by the positive kernel on [0, m].
  const double m = std::fmax(a * a, b * b);
  const long ne = n / 2;                     // degree of E
  const long no = n >= 1 ? (n - 1) / 2 : -1; // degree of O (none when n = 0)
  double el, eh;
  KernelPos(
      0.0, m, [&coef](long j) { return coef(2 * j); }, ne, el, eh);
  if (no < 0)
    return XelMathInterval(el, eh);
  double ol, oh;
  KernelPos(
      0.0, m, [&coef](long j) { return coef(2 * j + 1); }, no, ol, oh);
  if (ol >= 0.0)
    return XelMathInterval(el + a * oh, eh + b * oh);
  if (oh <= 0.0)
    return XelMathInterval(el + b * ol, eh + a * ol);
  return XelMathInterval(el + std::fmin(b * ol, a * oh), eh + std::fmax(a * ol, b * oh));
}

/// General interval Horner over T = [a, b] with the four-case product.
template <class Coef>
inline XelMathInterval KernelGeneral(const double a, const double b, const Coef& coef,
                                     const long n) {
  double lo = coef(n), hi = lo;
  for (long k = n - 1; k >= 0; --k) {
    double l, h;
    IntervalMul(lo, hi, a, b, l, h);
    const double ck = coef(k);
    lo = l + ck;
    hi = h + ck;
  }
  return XelMathInterval(lo, hi);
}

/// An image whose end is NaN (terms that overflowed with opposite signs) is unbounded on
/// that side.
inline XelMathInterval Unbounded(const XelMathInterval& iI) {
  return XelMathInterval(iI.low == iI.low ? iI.low : -HUGE_VAL,
                         iI.high == iI.high ? iI.high : HUGE_VAL);
}

/// The three-way choice of kernel on the shifted interval [a, b].
template <class Coef>
inline XelMathInterval KernelChoose(const double a, const double b, const Coef& coef,
                                    const long n) {
  if (a * b < 0.0)
    return KernelSym(a, b, coef, n);
  double lo, hi;
  if (a >= 0.0)
    KernelPos(a, b, coef, n, lo, hi);
  else
    KernelNeg(a, b, coef, n, lo, hi);
  return XelMathInterval(lo, hi);
}

/// A polynomial of the same values as iP expressed with shift iShift (a new object).
XelMathPolynomX* CopyAtShift(const XelMathPolynomX* iP, const double iShift) {
  XelMathPolynomX* q =
      new XelMathPolynomX(iP->GetDegree(), iP->GetCoefficientsPointer(), iP->GetShift());
  if (!ShiftCheck(iP->GetShift(), iShift))
    q->ChangeShift(iShift);
  else
    q->SetShift(iShift);
  return q;
}

/// Coefficients of iP at shift iShift into oC (room for d + 1): a copy when the shifts agree
/// within the resolution, else a formal Taylor shift.
void CoefficientsAtShift(const XelMathPolynomX* iP, const double iShift, double* oC) {
  const long d = iP->GetDegree();
  if (d < 0)
    return;
  std::memcpy(oC, iP->GetCoefficientsPointer(), sizeof(double) * (d + 1));
  if (!ShiftCheck(iP->GetShift(), iShift))
    TaylorShift(oC, d, iShift - iP->GetShift());
}

/// The operand that keeps its shift in a binary operation: the one of higher degree (P on
/// ties).
inline double ReferenceShift(const XelMathPolynomX* iP, const XelMathPolynomX* iQ) {
  return iQ->GetDegree() > iP->GetDegree() ? iQ->GetShift() : iP->GetShift();
}

/// sum over the operands of w_i P_i written into a new polynomial at the shift of the
/// operand of highest degree (the first one on ties).
XelMathPolynomX* LinearCombination(const long n, const XelMathPolynomX* const* iP, const double* iW,
                                   const double iW0) {
  long d = 0, ref = 0;
  for (long i = 0; i < n; ++i)
    if (iP[i]->GetDegree() > iP[ref]->GetDegree())
      ref = i;
  d = iP[ref]->GetDegree();
  if (d < 0)
    d = 0;
  const double s = iP[ref]->GetShift();
  XelMathPolynomX* r = new XelMathPolynomX(d, nullptr, s);
  double* out = const_cast<double*>(r->GetCoefficientsPointer());
  XelMathScratchDoubles<> buffer(d + 1);
  double* tmp = buffer.Data();
  for (long i = 0; i < n; ++i) {
    const long di = iP[i]->GetDegree();
    if (di < 0)
      continue;
    CoefficientsAtShift(iP[i], s, tmp);
    for (long k = 0; k <= di; ++k)
      out[k] += iW[i] * tmp[k];
  }
  out[0] += iW0;
  return r;
}

/// Product of P and Q written into oR (which may be P or Q).
void ProductInto(const XelMathPolynomX* iP, const XelMathPolynomX* iQ, XelMathPolynomX* oR) {
  const long dp = iP->GetDegree(), dq = iQ->GetDegree();
  if (dp < 0 || dq < 0) {
    const double zero = 0.0;
    oR->SetCoefficients(0, &zero);
    return;
  }
  const double s = ReferenceShift(iP, iQ);
  const long d = dp + dq;
  XelMathScratchDoubles<> bp(dp + 1), bq(dq + 1), br(d + 1);
  double *p = bp.Data(), *q = bq.Data(), *r = br.Data();
  CoefficientsAtShift(iP, s, p);
  CoefficientsAtShift(iQ, s, q);
  for (long k = 0; k <= d; ++k)
    r[k] = 0.0;
  for (long i = 0; i <= dp; ++i)
    for (long j = 0; j <= dq; ++j)
      r[i + j] += p[i] * q[j];
  oR->SetCoefficients(d, r);
  oR->SetShift(s);
}

} // namespace

// ==== class-wide table ====================================================================
double
    XelMathPolynomX::ChebychevPolynomials[(ChebychevTableDegree + 1) * (ChebychevTableDegree + 1)];
bool XelMathPolynomX::ChebychevPolynomialsInitialized = false;

void XelMathPolynomX::InitializeChebychevPolynomials() {
  if (ChebychevPolynomialsInitialized)
    return;
  const long n = ChebychevTableDegree + 1;
  double* t = ChebychevPolynomials;
  for (long i = 0; i < n * n; ++i)
    t[i] = 0.0;
  t[0] = 1.0;     // T_0 = 1
  t[n + 1] = 1.0; // T_1 = x
  for (long m = 1; m + 1 < n; ++m) {
    double* next = t + (m + 1) * n;
    const double* cur = t + m * n;
    const double* prev = t + (m - 1) * n;
    for (long k = 0; k <= m + 1; ++k)
      next[k] = (k > 0 ? 2.0 * cur[k - 1] : 0.0) - prev[k];
  }
  ChebychevPolynomialsInitialized = true;
}

double XelMathPolynomX::GetChebychevCoefficient(const long n, const long k) {
  if (n < 0 || n > ChebychevTableDegree || k < 0 || k > n)
    return 0.0;
  InitializeChebychevPolynomials();
  return ChebychevPolynomials[n * (ChebychevTableDegree + 1) + k];
}

void XelMathPolynomX::ChebyshevToCanonical(const long iDegree, const double* iChebyshev,
                                           double* oCanonical) {
  if (iDegree < 0 || !iChebyshev || !oCanonical)
    return;
  CheckDegree(iDegree, "XelMathPolynomX::ChebyshevToCanonical");
  const long d = iDegree;
  for (long k = 0; k <= d; ++k)
    oCanonical[k] = 0.0;
  if (d <= ChebychevTableDegree) {
    InitializeChebychevPolynomials();
    const long n = ChebychevTableDegree + 1;
    for (long j = 0; j <= d; ++j) {
      const double a = iChebyshev[j];
      if (a == 0.0)
        continue;
      const double* tj = ChebychevPolynomials + j * n;
      for (long k = 0; k <= j; ++k)
        oCanonical[k] += a * tj[k];
    }
    return;
  }
  // Beyond the table: the same sum with T_j built by the recurrence.
  XelMathScratchDoubles<> b0(d + 1), b1(d + 1), b2(d + 1);
  double *prev = b0.Data(), *cur = b1.Data(), *next = b2.Data();
  for (long k = 0; k <= d; ++k)
    prev[k] = cur[k] = 0.0;
  prev[0] = 1.0;
  cur[1] = 1.0;
  oCanonical[0] += iChebyshev[0];
  oCanonical[1] += iChebyshev[1];
  for (long m = 1; m < d; ++m) {
    for (long k = 0; k <= m + 1; ++k)
      next[k] = (k > 0 ? 2.0 * cur[k - 1] : 0.0) - prev[k];
    for (long k = m + 2; k <= d; ++k)
      next[k] = 0.0;
    const double a = iChebyshev[m + 1];
    for (long k = 0; k <= m + 1; ++k)
      oCanonical[k] += a * next[k];
    double* tmp = prev;
    prev = cur;
    cur = next;
    next = tmp;
  }
}

void XelMathPolynomX::CanonicalToChebyshev(const long iDegree, const double* iCanonical,
                                           double* oChebyshev) {
  if (iDegree < 0 || !iCanonical || !oChebyshev)
    return;
  CheckDegree(iDegree, "XelMathPolynomX::CanonicalToChebyshev");
  // Horner's scheme in the Chebyshev basis: b <- x b + q_k, where
  // x T_0 = T_1 and x T_j = (T_{j+1} + T_{j-1}) / 2. Only halvings and additions: stable.
  const long d = iDegree;
  XelMathScratchDoubles<> work(d + 2);
  double* b = oChebyshev;
  double* nb = work.Data();
  for (long k = 0; k <= d; ++k)
    b[k] = 0.0;
  b[0] = iCanonical[d];
  for (long k = d - 1; k >= 0; --k) {
    const long m = d - 1 - k; // current Chebyshev degree of b
    for (long j = 0; j <= m + 1; ++j)
      nb[j] = 0.0;
    nb[1] += b[0];
    for (long j = 1; j <= m; ++j) {
      nb[j + 1] += 0.5 * b[j];
      nb[j - 1] += 0.5 * b[j];
    }
    nb[0] += iCanonical[k];
    for (long j = 0; j <= m + 1; ++j)
      b[j] = nb[j];
  }
}

// ==== construction ===========================================================================
XelMathPolynomX::XelMathPolynomX(const long iDegree, const double* iCoefficients,
                                 const double iShift)
    : _degree(iDegree < 0 ? -1 : iDegree), _coefficients(nullptr), _capacity(0), _shift(iShift) {
  if (iDegree < 0) {
    _degree = iDegree;
    return;
  }
  CheckDegree(iDegree, "XelMathPolynomX::XelMathPolynomX");
  _capacity = iDegree + 1;
  _coefficients = XelQuorArrayDoubleNew(_capacity);
  for (long k = 0; k <= iDegree; ++k)
    _coefficients[k] = iCoefficients ? iCoefficients[k] : 0.0;
}

XelMathPolynomX::XelMathPolynomX(double* iInline, const long iDegree, const double iShift)
    : _degree(iDegree), _coefficients(iInline), _capacity(0), _shift(iShift) {}

XelMathPolynomX::XelMathPolynomX(const long iDegree, const XelMathInterval& iI,
                                 const double* iLowData, const double* iHighData,
                                 const unsigned char iShiftAtMiddle)
    : _degree(-1), _coefficients(nullptr), _capacity(0), _shift(0.0) {
  if (iDegree != 3 && iDegree != 5)
    XelMathRaise(XelErrorCode::InvalidOption, "the degree of the Hermite interpolant",
                 "Dimension not valid", "XelMathPolynomX::XelMathPolynomX");
  if (!iLowData || !iHighData) {
    XelQuornull(__FILE__, __LINE__);
    const double zero = 0.0;
    SetCoefficients(0, &zero);
    return;
  }
  const double L = iI.high - iI.low;
  double c[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  double s = iI.low;
  if (L == 0.0) {
    // Degenerate interval: the Taylor polynomial of the low-end data.
    c[0] = iLowData[0];
    c[1] = iLowData[1];
    if (iDegree == 5)
      c[2] = 0.5 * iLowData[2];
  } else if (iDegree == 3) {
    XelMathPointsToCubic(iLowData[0], iLowData[1], iHighData[0], iHighData[1], L, c);
  } else {
    const double h = 0.5 * L, h2 = h * h;
    const double p0 = iLowData[0], d0 = iLowData[1], s0 = iLowData[2];
    const double p1 = iHighData[0], d1 = iHighData[1], s1 = iHighData[2];
    const double dp = p1 - p0, sig = d1 + d0, del = d1 - d0, ssum = s1 + s0, sdif = s1 - s0;
    c[0] = (8.0 * (p0 + p1) - 5.0 * h * del + h2 * ssum) / 16.0;
    c[1] = (15.0 * dp - 7.0 * h * sig + h2 * sdif) / (16.0 * h);
    c[2] = (6.0 * h * del - 2.0 * h2 * ssum) / (16.0 * h2);
    c[3] = (-10.0 * dp + 10.0 * h * sig - 2.0 * h2 * sdif) / (16.0 * h2 * h);
    c[4] = (-h * del + h2 * ssum) / (16.0 * h2 * h2);
    c[5] = (3.0 * dp - 3.0 * h * sig + h2 * sdif) / (16.0 * h2 * h2 * h);
    s = iI.low + h;
  }
  SetCoefficients(iDegree, c);
  _shift = s;
  ChangeShift(iShiftAtMiddle ? 0.5 * (iI.low + iI.high) : 0.0);
}

XelMathPolynomX::XelMathPolynomX(const XelMathPolynomX& iOther)
    : XelMathFunctionX(iOther), _degree(-1), _coefficients(nullptr), _capacity(0),
      _shift(iOther._shift) {
  if (iOther._degree < 0) {
    _degree = iOther._degree;
    return;
  }
  SetCoefficients(iOther._degree, iOther._coefficients);
}

XelMathPolynomX& XelMathPolynomX::operator=(const XelMathPolynomX& iOther) {
  if (this == &iOther)
    return *this;
  if (iOther._degree < 0) {
    _degree = iOther._degree;
  } else {
    SetCoefficients(iOther._degree, iOther._coefficients);
  }
  _shift = iOther._shift;
  HoldShift();
  return *this;
}

XelMathPolynomX::~XelMathPolynomX() {
  Release();
}

void XelMathPolynomX::Release() {
  if (_capacity > 0 && _coefficients)
    XelQuorArrayDoubleDel(_coefficients, _capacity);
  _coefficients = nullptr;
  _capacity = 0;
}

void XelMathPolynomX::NeedCoeffForDegree(const long iDegree) {
  if (iDegree < 0 || iDegree == _degree)
    return;
  CheckDegree(iDegree, "XelMathPolynomX::NeedCoeffForDegree");
  if (_capacity >= iDegree + 1)
    return;
  if (_capacity == 0 && _coefficients && iDegree <= _degree)
    return; // storage not owned but large enough
  double* c = XelQuorArrayDoubleNew(iDegree + 1);
  if (_coefficients && _degree >= 0 && _degree <= iDegree)
    for (long k = 0; k <= _degree; ++k)
      c[k] = _coefficients[k];
  Release();
  _coefficients = c;
  _capacity = iDegree + 1;
}

void XelMathPolynomX::SetCoefficients(const long iDegree, const double* iCoefficients) {
  if (iDegree < 0) {
    _degree = -1;
    return;
  }
  CheckDegree(iDegree, "XelMathPolynomX::SetCoefficients");
  const bool fits =
      _capacity >= iDegree + 1 || (_capacity == 0 && _coefficients && iDegree <= _degree);
  if (!fits) {
    // Fresh storage; the source may be our own array, so copy before releasing.
    double* c = XelQuorArrayDoubleNew(iDegree + 1);
    for (long k = 0; k <= iDegree; ++k)
      c[k] = iCoefficients ? iCoefficients[k] : 0.0;
    Release();
    _coefficients = c;
    _capacity = iDegree + 1;
  } else if (iCoefficients != _coefficients) {
    for (long k = 0; k <= iDegree; ++k)
      _coefficients[k] = iCoefficients ? iCoefficients[k] : 0.0;
  }
  _degree = iDegree;
}

void XelMathPolynomX::GetCoefficients(double* oCoefficients) const {
  if (!oCoefficients)
    return;
  for (long k = 0; k <= _degree; ++k)
    oCoefficients[k] = _coefficients[k];
}

void XelMathPolynomX::GetFormalCoefficients(double* oCoefficients) const {
  if (!oCoefficients || _degree < 0)
    return;
  GetCoefficients(oCoefficients);
  TaylorShift(oCoefficients, _degree, -_shift);
}

// ==== memory, names, options =================================================================
long XelMathPolynomX::GetDynamicMemoryBytes() const {
  return _degree >= 0 ? 8 * (_degree + 1) : 0;
}
long XelMathPolynomX::GetStaticMemoryBytes() const {
  return 24;
}
XelMathDefineIdentity(XelMathPolynomX, XelMathFunctionX);
unsigned char XelMathPolynomX::IsOption(const long iOption) const {
  return (iOption & ~XelMathOption::DerivativesAndImages) == 0 ? 1 : 0;
}
XelMathDefineNoComponents(XelMathPolynomX);
XelMathDefineTypeId(XelMathPolynomX, XelMathFunctionX, XelMathTypeId::Polynom);

// ==== changes of variable ======================================================================
void XelMathPolynomX::ApplyShiftOnVariable(const double b) {
  _shift -= b;
  HoldShift();
}

void XelMathPolynomX::ApplyScalingOnVariable(const double a) {
  if (_degree < 0)
    return;
  if (!(std::fabs(a) > ShiftResolution()))
    CancelShift();
  else
    _shift /= a;
  double p = a;
  for (long k = 1; k <= _degree; ++k, p *= a)
    _coefficients[k] *= p;
}

void XelMathPolynomX::ApplyLinearChangeOnVariable(const double a, const double b) {
  if (_degree < 0)
    return;
  if (std::fabs(a) > ShiftResolution()) {
    ApplyScalingOnVariable(a);
    _shift -= b / a;
    HoldShift();
    return;
  }
  // Nearly constant map: rewrite at shift 0, then P(x + b), then P(a x + b).
  CancelShift();
  TaylorShift(_coefficients, _degree, b);
  double p = a;
  for (long k = 1; k <= _degree; ++k, p *= a)
    _coefficients[k] *= p;
}

void XelMathPolynomX::ApplyFormalShiftOnVariable(const double b) {
  if (_degree > 0)
    TaylorShift(_coefficients, _degree, b);
}

void XelMathPolynomX::ApplyFormalLinearChangeOnVariable(const double a, const double b) {
  if (_degree < 0)
    return;
  // P(a x + b) = Ptilde(a (x - s) + (a s + b - s)).
  TaylorShift(_coefficients, _degree, a * _shift + b - _shift);
  double p = a;
  for (long k = 1; k <= _degree; ++k, p *= a)
    _coefficients[k] *= p;
}

double XelMathPolynomX::CancelShift() {
  if (_shift == 0.0)
    return 0.0;
  const double old = _shift;
  if (_degree > 0)
    TaylorShift(_coefficients, _degree, -old);
  _shift = 0.0;
  return -old;
}

void XelMathPolynomX::ChangeShift(const double iShift) {
  if (iShift == _shift || IsUnshiftedForm())
    return;
  if (_degree > 0)
    TaylorShift(_coefficients, _degree, iShift - _shift);
  _shift = iShift;
}

bool XelMathPolynomX::IsUnshiftedForm() const {
  return IsATypeOf(XelMathTypeId::Linear) || IsATypeOf(XelMathTypeId::Cubic);
}

void XelMathPolynomX::HoldShift() {
  if (_shift != 0.0 && IsUnshiftedForm())
    CancelShift();
}

XelMathPolynomX* XelMathPolynomX::ShiftVariable(const double b) const {
  XelMathPolynomX* p = new XelMathPolynomX(*this);
  p->ApplyShiftOnVariable(b);
  return p;
}
XelMathPolynomX* XelMathPolynomX::ScaleVariable(const double a) const {
  XelMathPolynomX* p = new XelMathPolynomX(*this);
  p->ApplyScalingOnVariable(a);
  return p;
}
XelMathPolynomX* XelMathPolynomX::LinearChangeVariable(const double a, const double b) const {
  XelMathPolynomX* p = new XelMathPolynomX(*this);
  p->ApplyLinearChangeOnVariable(a, b);
  return p;
}
XelMathPolynomX* XelMathPolynomX::FormalShiftVariable(const double b) const {
  XelMathPolynomX* p = new XelMathPolynomX(*this);
  p->ApplyFormalShiftOnVariable(b);
  return p;
}
XelMathPolynomX* XelMathPolynomX::FormalLinearChangeVariable(const double a, const double b) const {
  XelMathPolynomX* p = new XelMathPolynomX(*this);
  p->ApplyFormalLinearChangeOnVariable(a, b);
  return p;
}

// ==== point evaluations =========================================================================
double XelMathPolynomX::HornerValue(const double t) const {
  return HornerKernel(_coefficients, _degree, t);
}

double XelMathPolynomX::Eval(const double& x) const {
  return HornerKernel(_coefficients, _degree, x - _shift);
}

double XelMathPolynomX::EvalFirstDeriv(const double& x) const {
  const long d = _degree;
  if (d < 1)
    return d < 0 ? 0.0 : d * _coefficients[d];
  const double t = x - _shift;
  const double* c = _coefficients;
  double p = d * c[d];
  for (long k = d - 1; k >= 1; --k)
    p = p * t + k * c[k];
  return p;
}

double XelMathPolynomX::EvalSecondDeriv(const double& x) const {
  const long d = _degree;
  if (d < 2)
    return d < 0 ? 0.0 : d * (d - 1) * _coefficients[d];
  const double t = x - _shift;
  const double* c = _coefficients;
  double p = double(d * (d - 1)) * c[d];
  for (long k = d - 1; k >= 2; --k)
    p = p * t + double(k * (k - 1)) * c[k];
  return p;
}

double XelMathPolynomX::EvalThirdDeriv(const double& x) const {
  const long d = _degree;
  if (d < 3)
    return d < 0 ? 0.0 : d * (d - 1) * (d - 2) * _coefficients[d];
  const double t = x - _shift;
  const double* c = _coefficients;
  double p = double(d * (d - 1) * (d - 2)) * c[d];
  for (long k = d - 1; k >= 3; --k)
    p = p * t + double(k * (k - 1) * (k - 2)) * c[k];
  return p;
}

void XelMathPolynomX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                           double* oF2) const {
  HornerOutputs(_coefficients, _degree, x - _shift, iOptions, oF, oF1, oF2);
}

void XelMathPolynomX::Eval(const XelMathInterval& iI, const long iNbPoints, const long iOptions,
                           double* oF, double* oF1, double* oF2) const {
  const long m = iNbPoints;
  if (m <= 0)
    return;
  if (m == 1) {
    Eval(iI.low, iOptions, oF, oF1, oF2);
    return;
  }
  const bool wantF = (iOptions & XelMathOption::Value) && oF,
             want1 = (iOptions & XelMathOption::FirstDeriv) && oF1,
             want2 = (iOptions & XelMathOption::SecondDeriv) && oF2;
  const double step = (iI.high - iI.low) / double(m - 1);
  const long d = _degree;
  const double* c = _coefficients;
  double t = iI.low - _shift;
  long i = 0;
  if (d >= 0 && !want1 && !want2) {
    // Values only: four independent Horner chains.
    for (; i + 4 <= m - 1; i += 4) {
      const double t0 = t, t1 = t0 + step, t2 = t1 + step, t3 = t2 + step;
      t = t3 + step;
      double p0 = c[d], p1 = p0, p2 = p0, p3 = p0;
      for (long k = d - 1; k >= 0; --k) {
        const double ck = c[k];
        p0 = p0 * t0 + ck;
        p1 = p1 * t1 + ck;
        p2 = p2 * t2 + ck;
        p3 = p3 * t3 + ck;
      }
      if (wantF) {
        oF[i] = p0;
        oF[i + 1] = p1;
        oF[i + 2] = p2;
        oF[i + 3] = p3;
      }
    }
  } else if (d >= 0) {
    for (; i + 4 <= m - 1; i += 4) {
      double tt[4];
      tt[0] = t;
      tt[1] = tt[0] + step;
      tt[2] = tt[1] + step;
      tt[3] = tt[2] + step;
      t = tt[3] + step;
      double p[4], q[4], r[4];
      for (int j = 0; j < 4; ++j) {
        p[j] = c[d];
        q[j] = 0.0;
        r[j] = 0.0;
      }
      for (long k = d - 1; k >= 0; --k) {
        const double ck = c[k];
        for (int j = 0; j < 4; ++j) {
          r[j] = r[j] * tt[j] + q[j];
          q[j] = q[j] * tt[j] + p[j];
          p[j] = p[j] * tt[j] + ck;
        }
      }
      for (int j = 0; j < 4; ++j) {
        if (wantF)
          oF[i + j] = p[j];
        if (want1)
          oF1[i + j] = q[j];
        if (want2)
          oF2[i + j] = 2.0 * r[j];
      }
    }
  }
  // Remaining points one by one, the last exactly at the high end.
  for (; i < m; ++i) {
    const double ti = (i == m - 1) ? iI.high - _shift : t;
    double f, f1, f2;
    if (!want1 && !want2) {
      f = HornerKernel(c, d, ti);
      f1 = f2 = 0.0;
    } else {
      HornerAll(c, d, ti, f, f1, f2);
    }
    if (wantF)
      oF[i] = f;
    if (want1)
      oF1[i] = f1;
    if (want2)
      oF2[i] = f2;
    t += step;
  }
}

namespace {
using XelMathBatch::Lanes;

// Plain Horner of degree D (below 5) at t = x[i] - s, the coefficients held in registers.
template <int D>
void HornerLow(const double* c, const double s, const long n, const double* x, double* oF) {
  Lanes k[D + 1];
  for (int j = 0; j <= D; ++j)
    k[j] = Lanes::Splat(c[j]);
  XelMathBatch::ForEachBlock(
      n, x, [&](const Lanes& iX, const long iStart, const long iCount) XelMathBlockKernel {
        const Lanes t = iX - s;
        Lanes a = k[D];
        for (int j = D - 1; j >= 0; --j)
          a = a * t + k[j];
        a.Store(iCount, oF + iStart);
      });
}

// The two chains in t^2 of HornerLanes (degree iD from 5 on) with the coefficients already
// splatted: iK(k) is c_k over the lanes.
template <class Coefficient>
XelMathHornerInline Lanes TwoChains(const Lanes& t, const long iD, Coefficient iK) {
  const Lanes t2 = t * t;
  Lanes a = iK(iD), b = iK(iD - 1);
  long k = iD - 2;
  for (; k >= 1; k -= 2) {
    a = a * t2 + iK(k);
    b = b * t2 + iK(k - 1);
  }
  return k == 0 ? (a * t2 + iK(0)) + t * b : a * t + b;
}

// The same at a fixed degree D, the coefficients held in registers.
template <int D>
void HornerTwoChains(const double* c, const double s, const long n, const double* x, double* oF) {
  Lanes k[D + 1];
  for (int j = 0; j <= D; ++j)
    k[j] = Lanes::Splat(c[j]);
  XelMathBatch::ForEachBlock(
      n, x, [&](const Lanes& iX, const long iStart, const long iCount) XelMathBlockKernel {
        const Lanes t = iX - s;
        Lanes a = TwoChains(t, D, [&k](const long j) XelMathBlockKernel { return k[j]; });
        if (a.AnyNaN())
          a = RedoNaN(c, D, t, a);
        a.Store(iCount, oF + iStart);
      });
}

// Values of c_0..c_d at t = x[i] - s into oF[0..n-1], eight points at a time, with the
// operations of HornerKernel in the same order (so the same results): plain Horner below
// degree 5, two chains in t^2 from degree 5 on.
void HornerValues(const double* c, const long d, const double s, const long n, const double* x,
                  double* oF) {
  if (d < 0) {
    for (long i = 0; i < n; ++i)
      oF[i] = 0.0;
    return;
  }
  switch (d) {
  case 0:
    for (long i = 0; i < n; ++i)
      oF[i] = c[0];
    return;
  case 1:
    HornerLow<1>(c, s, n, x, oF);
    return;
  case 2:
    HornerLow<2>(c, s, n, x, oF);
    return;
  case 3:
    HornerLow<3>(c, s, n, x, oF);
    return;
  case 4:
    HornerLow<4>(c, s, n, x, oF);
    return;
  case 5:
    HornerTwoChains<5>(c, s, n, x, oF);
    return;
  case 6:
    HornerTwoChains<6>(c, s, n, x, oF);
    return;
  case 7:
    HornerTwoChains<7>(c, s, n, x, oF);
    return;
  case 8:
    HornerTwoChains<8>(c, s, n, x, oF);
    return;
  default:
    break;
  }
  XelMathBatch::ForEachBlock(
      n, x, [&](const Lanes& iX, const long iStart, const long iCount) XelMathBlockKernel {
        const Lanes t = iX - s;
        Lanes a = HornerLanes(c, d, t);
        if (a.AnyNaN())
          a = RedoNaN(c, d, t, a);
        a.Store(iCount, oF + iStart);
      });
}

// Value and derivatives at t = x[i] - s with the operations of HornerAll, eight points at a
// time; the second derivative's chain only when iSecond.
template <bool iSecond>
void HornerAllValues(const double* c, const long d, const double s, const long n, const double* x,
                     const XelMathBatch::Asked& iAsked, double* oF, double* oF1, double* oF2) {
  if (d < 0) {
    XelMathBatch::Fill(iAsked, n, 0.0, oF, oF1, oF2);
    return;
  }
  XelMathBatch::ForEachBlock(
      n, x, [&](const Lanes& iX, const long iStart, const long iCount) XelMathBlockKernel {
        Lanes p, p1, p2;
        HornerAllLanes<iSecond>(c, d, iX - s, p, p1, p2);
        if (iAsked.f)
          p.Store(iCount, oF + iStart);
        if (iAsked.f1)
          p1.Store(iCount, oF1 + iStart);
        if (iSecond)
          p2.Store(iCount, oF2 + iStart);
      });
}
} // namespace

void XelMathPolynomX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                 double* oF1, double* oF2) const {
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  // As the point operation: the value alone by HornerKernel, with a derivative by HornerAll.
  if ((iOptions & XelMathOption::FirstAndSecond) == 0)
    HornerValues(_coefficients, _degree, _shift, iN, iX, oF);
  else if (asked.f2)
    HornerAllValues<true>(_coefficients, _degree, _shift, iN, iX, asked, oF, oF1, oF2);
  else
    HornerAllValues<false>(_coefficients, _degree, _shift, iN, iX, asked, oF, oF1, oF2);
}

// ==== interval evaluations ======================================================================
XelMathInterval XelMathPolynomX::Eval(const XelMathInterval& iI) const {
  if (_degree < 0)
    return XelMathInterval(0.0, 0.0);
  const double* c = _coefficients;
  return Unbounded(KernelChoose(
      iI.low - _shift, iI.high - _shift, [c](long k) { return c[k]; }, _degree));
}

XelMathInterval XelMathPolynomX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (_degree < 1)
    return XelMathInterval(0.0, 0.0);
  const double* c = _coefficients;
  return Unbounded(KernelChoose(
      iI.low - _shift, iI.high - _shift, [c](long k) { return double(k + 1) * c[k + 1]; },
      _degree - 1));
}

XelMathInterval XelMathPolynomX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (_degree < 2)
    return XelMathInterval(0.0, 0.0);
  const double* c = _coefficients;
  if (_degree == 2)
    return XelMathInterval(2.0 * c[2], 2.0 * c[2]);
  return Unbounded(KernelGeneral(
      iI.low - _shift, iI.high - _shift,
      [c](long k) { return double((k + 2) * (k + 1)) * c[k + 2]; }, _degree - 2));
}

XelMathInterval XelMathPolynomX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (_degree < 3)
    return XelMathInterval(0.0, 0.0);
  const double* c = _coefficients;
  return Unbounded(KernelGeneral(
      iI.low - _shift, iI.high - _shift,
      [c](long k) { return double((k + 3) * (k + 2) * (k + 1)) * c[k + 3]; }, _degree - 3));
}

XelMathInterval XelMathPolynomX::ComputeImageByChebychev(const XelMathInterval& iI) const {
  const long d = _degree;
  if (d < 0)
    return XelMathInterval(0.0, 0.0);
  const double m = 0.5 * iI.low + 0.5 * iI.high, r = 0.5 * iI.high - 0.5 * iI.low;
  // The work runs in tau = (x - s) / R, R a power of two at least max |x - s| on iI, on the
  // coefficients c_k R^k / 2^e that the largest brings to unit size: powers of two scale
  // exactly, so nothing overflows and the image is scaled back by 2^e at the end.
  if (!std::isfinite(m) || !std::isfinite(r) || !std::isfinite(m - _shift))
    return d == 0 ? XelMathInterval(_coefficients[0], _coefficients[0])
                  : XelMathInterval(-HUGE_VAL, HUGE_VAL);
  // R from half of max |x - s|, so that neither the sum nor R overflow: beyond 2^1023 R stays
  // 2^1023 and |tau| reaches up to 2, which the bounds below allow for.
  int logR = 0;
  const double halfReach = 0.5 * std::fabs(m - _shift) + 0.5 * r;
  std::frexp(halfReach, &logR);
  logR = std::min(logR + 1, DBL_MAX_EXP - 1);
  const double R = std::ldexp(1.0, logR);
  long e = LONG_MIN;
  for (long k = 0; k <= d; ++k)
    if (_coefficients[k] != 0.0)
      e = std::max(e, static_cast<long>(std::ilogb(_coefficients[k])) + k * logR);
  if (e == LONG_MIN)
    return XelMathInterval(0.0, 0.0);
  XelMathScratchDoubles<> bq(d + 1), ba(d + 2);
  double* q = bq.Data();
  double* a = ba.Data();
  // total = sum |c_k| T^k / 2^e, T = max |x - s| on iI: the magnitude of the terms.
  const double reach = std::ldexp(halfReach, 1 - logR);
  double total = 0.0, power = 1.0;
  for (long k = 0; k <= d; ++k, power *= reach) {
    const long n = std::min(std::max(k * logR - e, -4000L), 4000L);
    q[k] = std::ldexp(_coefficients[k], static_cast<int>(n));
    total += std::fabs(q[k]) * power;
  }
  // Q(u) = P(m + r u) / 2^e: Taylor shift to the centre, then scale by powers of r / R.
  TaylorShift(q, d, (m - _shift) / R);
  const double ratio = r / R;
  double p = ratio;
  for (long k = 1; k <= d; ++k, p *= ratio)
    q[k] *= p;
  CanonicalToChebyshev(d, q, a);
  double radius = 0.0;
  for (long k = 1; k <= d; ++k)
    radius += std::fabs(a[k]);
  // The shift and the change of basis round at most about 2 (d + 1) epsilons of the terms'
  // magnitude: the bound is widened by it, or the cancellation of large terms could cut off
  // part of the image (x^2 - 2 on [-1e150, 1e150]: the -2 is below their rounding).
  const double rounding = 4.0 * static_cast<double>(d + 1) * DBL_EPSILON * total;
  const int ee = static_cast<int>(std::min(std::max(e, -4000L), 4000L));
  return XelMathInterval(std::ldexp(a[0] - radius - rounding, ee),
                         std::ldexp(a[0] + radius + rounding, ee));
}

namespace {
/// The copy a P(b x) of iP that works in the scale iScale for a polynomial declared with
/// iOption (a = S^(1 - F), b = S^(X - 1)), and its factors; null (factors 1) when the scale is 1
/// or the powers are those of the scale. Raises InvalidOption (iWhere) for an option that does
/// not hold exactly one power of each.
std::unique_ptr<XelMathPolynomX> ScaledCopy(const XelMathPolynomX& iP,
                                            const XelMathAttrScaleOption& iOption,
                                            const double iScale, const char* iWhere,
                                            double& oVariableFactor, double& oFunctionFactor) {
  oVariableFactor = 1.0;
  oFunctionFactor = 1.0;
  long pF = 1, pX = 1;
  XelMathAnalysisScaling::ReadPowers(iOption, iWhere, pF, pX);
  if (iScale == 1.0 || !(iScale > 0.0) || (pX == 1 && pF == 1))
    return nullptr;
  // Powers are shifted in double: LONG_MIN or LONG_MAX must not overflow.
  oVariableFactor = pX == 1 ? 1.0 : (pX == 2 ? iScale : std::pow(iScale, double(pX) - 1.0));
  oFunctionFactor = pF == 1 ? 1.0 : (pF == 0 ? iScale : std::pow(iScale, 1.0 - double(pF)));
  const std::unique_ptr<XelMathPolynomX> changed(iP.LinearChangeVariable(oVariableFactor, 0.0));
  return std::unique_ptr<XelMathPolynomX>(Product(changed.get(), oFunctionFactor));
}
} // namespace

XelMathInterval XelMathPolynomX::ComputeOptimalImage(const XelMathInterval& iI,
                                                     const XelTolerance& iTol) const {
  if (_degree < 0)
    return XelMathInterval(0.0, 0.0);
  std::unique_ptr<XelMathPolynomX> scaled;
  double variableFactor = 1.0, functionFactor = 1.0;
  if (_degree < 16) {
    const XelMathAttrScaleOption* option =
        XelMathAnalysisScaling::FiledScaleOption(XelMathMessage::ImageScale, this);
    if (option) {
      const double s = iTol.IsValidMark() && !iTol.GetError() ? iTol.GetScaleFactor() : 1.0;
      scaled = ScaledCopy(*this, *option, s, "XelMathPolynomX::ComputeOptimalImage", variableFactor,
                          functionFactor);
    }
  }
  const XelMathPolynomX* work = scaled ? scaled.get() : this;
  const XelMathInterval D = EvalFirstDeriv(iI);
  XelMathInterval image;
  if (D.low > 0.0) {
    image = XelMathInterval(Eval(iI.low), Eval(iI.high));
  } else if (D.high < 0.0) {
    image = XelMathInterval(Eval(iI.high), Eval(iI.low));
  } else if (_degree >= 16) {
    image = ::ComputeOptimalImage(this, iI, iTol, nullptr, 1);
    image = XelMathElementary::Tighter(image, Eval(iI));
  } else {
    // The working polynomial takes x / variableFactor where this one takes x.
    XelMathInterval J(iI.low / variableFactor, iI.high / variableFactor);
    if (J.low > J.high) {
      const double tmp = J.low;
      J.low = J.high;
      J.high = tmp;
    }
    image = work->ComputeImageByChebychev(J);
    if (scaled) {
      XelMathInterval back(image.low / functionFactor, image.high / functionFactor);
      if (functionFactor < 0.0)
        back = XelMathInterval(back.high, back.low);
      image = back;
    }
    // The interval Horner image encloses the image too and can be the tighter one (x^2 on
    // [0, 1]: [0, 1] against the Chebyshev bound [-1/4, 1]).
    image = XelMathElementary::Tighter(image, Eval(iI));
  }
  return image;
}

// ==== copies, analyses, construction
// ================================================================
XelMathFunctionX* XelMathPolynomX::Duplicate() const {
  return new XelMathPolynomX(*this);
}
XelMathFunctionX* XelMathPolynomX::DeepDuplicate() const {
  return Duplicate();
}

double XelMathPolynomX::Integrate(const XelMathInterval& iI, double iEps) const {
  // Exact, but a tolerance that asks for nothing meaningful is refused as by every integral.
  if (!(iEps >= 0.0))
    XelMathRaise(XelErrorCode::InvalidOption, "the tolerance of the integral", "negative or NaN",
                 "XelMathPolynomX::Integrate");
  const long d = _degree;
  if (d < 0)
    return 0.0;
  const double tl = iI.low - _shift, th = iI.high - _shift;
  const double* c = _coefficients;
  double hl = c[d] / double(d + 1), hh = hl;
  for (long k = d - 1; k >= 0; --k) {
    const double ck = c[k] / double(k + 1);
    hl = hl * tl + ck;
    hh = hh * th + ck;
  }
  return th * hh - tl * hl;
}

double XelMathPolynomX::IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                                          unsigned char) const {
  return XelMathPolynomX::Integrate(iI, iEps);
}

XelMathFunctionX* XelMathPolynomX::CreateDeriv() const {
  const long d = _degree;
  if (d <= 0) {
    const double zero = 0.0;
    return new XelMathPolynomX(0, &zero, _shift);
  }
  XelMathPolynomX* q = new XelMathPolynomX(d - 1, nullptr, _shift);
  for (long k = 1; k <= d; ++k)
    q->_coefficients[k - 1] = double(k) * _coefficients[k];
  return q;
}

XelMathFunctionX* XelMathPolynomX::FormalCompositionX(const XelMathFunctionX* iG) const {
  if (!iG) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  if (iG->IsATypeOf(XelMathTypeId::Polynom)) {
    const XelMathPolynomX* g = static_cast<const XelMathPolynomX*>(iG);
    if (g->_degree == 1) {
      const double a = g->_coefficients[1];
      const double b = g->_coefficients[0] - a * g->_shift;
      return LinearChangeVariable(a, b);
    }
  }
  return XelMathFunctionX::FormalCompositionX(iG);
}

XelMathFunctionX* XelMathPolynomX::FormalCombination(const long iN, const XelMathFunctionX** iF,
                                                     const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC)
    return nullptr;
  XelMathCheckDimension(iN, 1, "the number of functions", "XelMathPolynomX::FormalCombination");
  for (long i = 0; i < iN; ++i)
    if (!iF[i] || !iF[i]->IsATypeOf(XelMathTypeId::Polynom))
      return nullptr;
  const XelMathPolynomX* f0 = static_cast<const XelMathPolynomX*>(iF[0]);
  long d = 0;
  for (long i = 0; i < iN; ++i) {
    const long di = static_cast<const XelMathPolynomX*>(iF[i])->_degree;
    if (di > d)
      d = di;
  }
  const double s = f0->_shift;
  // Work array first: nothing to release should it fail.
  XelMathScratchDoubles<> buffer(d + 1);
  double* tmp = buffer.Data();
  XelMathPolynomX* r = new XelMathPolynomX(d, nullptr, s);
  for (long i = 0; i < iN; ++i) {
    const XelMathPolynomX* fi = static_cast<const XelMathPolynomX*>(iF[i]);
    if (fi->_degree < 0)
      continue;
    CoefficientsAtShift(fi, s, tmp);
    for (long k = 0; k <= fi->_degree; ++k)
      r->_coefficients[k] += iC[i] * tmp[k];
  }
  r->_coefficients[0] += iC0;
  return r;
}

int XelMathPolynomX::IsMonotone(const XelMathInterval& iI, long& oSense,
                                const XelTolerance& iTol) const {
  oSense = 0;
  // Scale option filed for this polynomial for the duration of the test.
  long powerX = 1, powerF = 1, reviewed = 0;
  const XelMathAttrScaleOption* option =
      XelMathAnalysisScaling::FiledScaleOption(XelMathMessage::MonotoneScale, this);
  if (option) {
    XelMathAnalysisScaling::ReadPowers(*option, "XelMathPolynomX::IsMonotone", powerF, powerX);
    reviewed = option->GetOKReviewed();
  }
  if (_degree <= 0)
    return 1;
  if (_degree == 1) {
    const double c1 = _coefficients[1];
    oSense = c1 > 0.0 ? 1 : (c1 < 0.0 ? -1 : 0);
    return 1;
  }
  // A derivative image of strict sign leaves no root to look for.
  const XelMathInterval image = EvalFirstDeriv(iI);
  if (image.low > 0.0 || image.high < 0.0) {
    oSense = image.low > 0.0 ? 1 : -1;
    return 1;
  }
  const bool validTol = iTol.IsValidMark() && !iTol.GetError();
  const double s = validTol ? iTol.GetScaleFactor() : 1.0;
  const double resolution = validTol ? iTol.GetParametricResolution() : 0.0;
  const double m = powerX == 0 ? 1.0 : (powerX == 1 ? s : std::pow(s, double(powerX)));
  const double epsX = resolution * m;

  const std::unique_ptr<XelMathFunctionX> D(CreateDeriv());
  if (!D) {
    XelQuornull(__FILE__, __LINE__);
    return 0;
  }
  XelMathSetOfPointsND roots(1);
  XelMathAttrTolObject tolAttribute(iTol);
  XelMathAttrScaleOption derivativeOption(powerF - powerX, powerX);
  derivativeOption.SetOKReviewed(reviewed);
  XelMathAttrList attributes;
  attributes.AddAttribute(&tolAttribute);
  if (option)
    attributes.AddAttribute(&derivativeOption);
  int answer = 0;
  const int status = D->Solve(iI, roots, &attributes);
  if (status == XelMathStatus::NullFunction) {
    answer = 1; // the derivative vanishes identically
  } else if (status == XelMathStatus::Done) {
    const long n = roots.GetNumberOfPoints();
    const double* t = roots.GetPoints();
    bool outside = false;
    if (n == 0)
      outside = true;
    else if (n == 1)
      outside = t[0] <= iI.low + epsX || t[0] >= iI.high - epsX;
    else if (n == 2)
      outside = std::fmin(t[0], t[1]) <= iI.low + epsX && std::fmax(t[0], t[1]) >= iI.high - epsX;
    if (outside) {
      const double mid = D->Eval(0.5 * (iI.low + iI.high));
      oSense = mid > 0.0 ? 1 : (mid < 0.0 ? -1 : 0);
      answer = 1;
    }
  }
  return answer;
}

// ==== interval kernels
// ==============================================================================
XelMathInterval EvalPos(const XelMathInterval& iT, const double* iC, const long iD) {
  if (!iC || iD < 0)
    return XelMathInterval(0.0, 0.0);
  double lo, hi;
  KernelPos(
      iT.low, iT.high, [iC](long k) { return iC[k]; }, iD, lo, hi);
  return XelMathInterval(lo, hi);
}
XelMathInterval EvalNeg(const XelMathInterval& iT, const double* iC, const long iD) {
  if (!iC || iD < 0)
    return XelMathInterval(0.0, 0.0);
  double lo, hi;
  KernelNeg(
      iT.low, iT.high, [iC](long k) { return iC[k]; }, iD, lo, hi);
  return XelMathInterval(lo, hi);
}
XelMathInterval EvalSym(const XelMathInterval& iT, const double* iC, const long iD) {
  if (!iC || iD < 0)
    return XelMathInterval(0.0, 0.0);
  return KernelSym(
      iT.low, iT.high, [iC](long k) { return iC[k]; }, iD);
}
XelMathInterval EvalFirstDerivPos(const XelMathInterval& iT, const double* iC, const long iD) {
  if (!iC || iD < 1)
    return XelMathInterval(0.0, 0.0);
  double lo, hi;
  KernelPos(
      iT.low, iT.high, [iC](long k) { return double(k + 1) * iC[k + 1]; }, iD - 1, lo, hi);
  return XelMathInterval(lo, hi);
}
XelMathInterval EvalFirstDerivNeg(const XelMathInterval& iT, const double* iC, const long iD) {
  if (!iC || iD < 1)
    return XelMathInterval(0.0, 0.0);
  double lo, hi;
  KernelNeg(
      iT.low, iT.high, [iC](long k) { return double(k + 1) * iC[k + 1]; }, iD - 1, lo, hi);
  return XelMathInterval(lo, hi);
}
XelMathInterval EvalFirstDerivSym(const XelMathInterval& iT, const double* iC, const long iD) {
  if (!iC || iD < 1)
    return XelMathInterval(0.0, 0.0);
  return KernelSym(
      iT.low, iT.high, [iC](long k) { return double(k + 1) * iC[k + 1]; }, iD - 1);
}

// ==== free algebra
// ====================================================================================
XelMathPolynomX* FirstDeriv(const XelMathPolynomX* iP) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  return static_cast<XelMathPolynomX*>(iP->XelMathPolynomX::CreateDeriv());
}

XelMathPolynomX* SecondDeriv(const XelMathPolynomX* iP) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomX* d1 = FirstDeriv(iP);
  XelMathPolynomX* d2 = FirstDeriv(d1);
  delete d1;
  return d2;
}

XelMathPolynomX* ThirdDeriv(const XelMathPolynomX* iP) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomX* d2 = SecondDeriv(iP);
  XelMathPolynomX* d3 = FirstDeriv(d2);
  delete d2;
  return d3;
}

namespace {
// Writes a new derivative into oQ and releases it.
XelMathPolynomX* MoveInto(XelMathPolynomX* iDerivative, XelMathPolynomX* oQ) {
  *oQ = *iDerivative;
  delete iDerivative;
  return oQ;
}
} // namespace

XelMathPolynomX* FirstDeriv(const XelMathPolynomX* iP, XelMathPolynomX* oQ) {
  if (!iP || !oQ) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  return MoveInto(FirstDeriv(iP), oQ);
}

XelMathPolynomX* SecondDeriv(const XelMathPolynomX* iP, XelMathPolynomX* oQ) {
  if (!iP || !oQ) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  return MoveInto(SecondDeriv(iP), oQ);
}

XelMathPolynomX* Primitiv(const XelMathPolynomX* iP, const double iC) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  const long d = iP->GetDegree() < 0 ? 0 : iP->GetDegree();
  XelMathPolynomX* r = new XelMathPolynomX(d + 1, nullptr, iP->GetShift());
  for (long k = 0; k <= iP->GetDegree(); ++k)
    r->SetCoefficient(k + 1, iP->GetCoefficient(k) / double(k + 1));
  const double atZero = iP->GetShift() == 0.0 ? 0.0 : r->Eval(0.0);
  r->SetCoefficient(0, iC - atZero);
  return r;
}

XelMathPolynomX* Opposite(const XelMathPolynomX* iP) {
  return Product(iP, -1.0);
}

XelMathPolynomX* Sum(const XelMathPolynomX* iP, const double iA) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomX* r = new XelMathPolynomX(*iP);
  if (r->GetDegree() < 0)
    r->SetCoefficients(0, &iA);
  else
    r->SetCoefficient(0, r->GetCoefficient(0) + iA);
  return r;
}

XelMathPolynomX* Difference(const XelMathPolynomX* iP, const double iA) {
  return Sum(iP, -iA);
}

XelMathPolynomX* Difference(const double iA, const XelMathPolynomX* iP) {
  XelMathPolynomX* r = Opposite(iP);
  if (r)
    r->SetCoefficient(0, r->GetCoefficient(0) + iA);
  return r;
}

XelMathPolynomX* Sum(const XelMathPolynomX* iP, const XelMathPolynomX* iQ) {
  return Combination(iP, iQ, 1.0, 1.0);
}

XelMathPolynomX* Difference(const XelMathPolynomX* iP, const XelMathPolynomX* iQ) {
  return Combination(iP, iQ, 1.0, -1.0);
}

XelMathPolynomX* Product(const XelMathPolynomX* iP, const double iA) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomX* r = new XelMathPolynomX(*iP);
  for (long k = 0; k <= r->GetDegree(); ++k)
    r->SetCoefficient(k, r->GetCoefficient(k) * iA);
  return r;
}

XelMathPolynomX* Product(const XelMathPolynomX* iP, const XelMathPolynomX* iQ) {
  if (!iP || !iQ) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomX* r = new XelMathPolynomX();
  ProductInto(iP, iQ, r);
  return r;
}

XelMathPolynomX* Product(const XelMathPolynomX* iP, const XelMathPolynomX* iQ,
                         XelMathPolynomX* oR) {
  if (!iP || !iQ || !oR) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  ProductInto(iP, iQ, oR);
  return oR;
}

XelMathPolynomX* Square(const XelMathPolynomX* iP) {
  return Product(iP, iP);
}

XelMathPolynomX* Square(const XelMathPolynomX* iP, XelMathPolynomX* oR) {
  return Product(iP, iP, oR);
}

XelMathPolynomX* Combination(const XelMathPolynomX* iP, const XelMathPolynomX* iQ, const double iA,
                             const double iB) {
  if (!iP || !iQ) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  const XelMathPolynomX* ops[2] = {iP, iQ};
  const double w[2] = {iA, iB};
  return LinearCombination(2, ops, w, 0.0);
}

XelMathPolynomX* Combination(const XelMathPolynomX* iP, const XelMathPolynomX* iQ,
                             const XelMathPolynomX* iR, const double iA, const double iB,
                             const double iC) {
  if (!iP || !iQ || !iR) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  const XelMathPolynomX* ops[3] = {iP, iQ, iR};
  const double w[3] = {iA, iB, iC};
  return LinearCombination(3, ops, w, 0.0);
}

bool ShiftCheck(const double iS1, const double iS2) {
  return std::fabs(iS1 - iS2) <= ShiftResolution();
}

bool ShiftCheck(const double iS1, const double iS2, const double iS3, const double iS4) {
  return ShiftCheck(iS1, iS2) && ShiftCheck(iS3, iS4);
}

bool IsConjuguate(const XelMathPolynomX* iP, const double iA1, const double iB1,
                  const XelMathPolynomX* iQ, const double iA2, const double iB2,
                  const double iTol) {
  if (!iP || !iQ) {
    XelQuornull(__FILE__, __LINE__);
    return false;
  }
  if (std::fabs(iB1 - iA1) <= iTol || std::fabs(iB2 - iA2) <= iTol)
    return false;
  // P(alpha y + beta) maps [a2, b2] onto [a1, b1]; compare with Q at Q's shift.
  const double alpha = (iB1 - iA1) / (iB2 - iA2);
  const double beta = iA1 - alpha * iA2;
  XelMathPolynomX* mapped = CopyAtShift(iP, iQ->GetShift());
  mapped->ApplyFormalLinearChangeOnVariable(alpha, beta);
  const long dm = mapped->GetDegree(), dq = iQ->GetDegree();
  const long d = dm > dq ? dm : dq;
  bool same = true;
  for (long k = 0; k <= d && same; ++k)
    same = std::fabs(mapped->GetCoefficient(k) - iQ->GetCoefficient(k)) <= iTol;
  delete mapped;
  return same;
}

int IsMonotone(const XelMathPolynomX* iP, const XelMathInterval& iI, long& oSense,
               const XelTolerance& iTol, XelMathAttrScaleOption* iOption) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    oSense = 0;
    return 0;
  }
  const XelMathMailboxEntry filed(XelMathMessage::MonotoneScale, iP, iOption);
  XelXHContext region;
  return iP->IsMonotone(iI, oSense, iTol);
}

// ==== operators
// =========================================================================================
namespace {
XelMathPolynomX TakeValue(XelMathPolynomX* iP) {
  XelMathPolynomX r(*iP);
  delete iP;
  return r;
}
} // namespace

XelMathPolynomX operator+(const XelMathPolynomX& iP, const XelMathPolynomX& iQ) {
  return TakeValue(Sum(&iP, &iQ));
}
XelMathPolynomX operator+(const XelMathPolynomX& iP, const double iA) {
  return TakeValue(Sum(&iP, iA));
}
XelMathPolynomX operator+(const double iA, const XelMathPolynomX& iP) {
  return TakeValue(Sum(&iP, iA));
}
XelMathPolynomX operator-(const XelMathPolynomX& iP, const XelMathPolynomX& iQ) {
  return TakeValue(Difference(&iP, &iQ));
}
XelMathPolynomX operator-(const XelMathPolynomX& iP, const double iA) {
  return TakeValue(Difference(&iP, iA));
}
XelMathPolynomX operator-(const double iA, const XelMathPolynomX& iP) {
  return TakeValue(Difference(iA, &iP));
}
XelMathPolynomX operator-(const XelMathPolynomX& iP) {
  return TakeValue(Opposite(&iP));
}
XelMathPolynomX operator*(const XelMathPolynomX& iP, const XelMathPolynomX& iQ) {
  return TakeValue(Product(&iP, &iQ));
}
XelMathPolynomX operator*(const XelMathPolynomX& iP, const double iA) {
  return TakeValue(Product(&iP, iA));
}
XelMathPolynomX operator*(const double iA, const XelMathPolynomX& iP) {
  return TakeValue(Product(&iP, iA));
}
XelMathPolynomX operator/(const XelMathPolynomX& iP, const double iA) {
  return TakeValue(Product(&iP, 1.0 / iA));
}
XelMathPolynomX& operator+=(XelMathPolynomX& ioP, const XelMathPolynomX& iQ) {
  XelMathPolynomX* r = Sum(&ioP, &iQ);
  ioP = *r;
  delete r;
  return ioP;
}
XelMathPolynomX& operator+=(XelMathPolynomX& ioP, const double iA) {
  if (ioP.GetDegree() < 0)
    ioP.SetCoefficients(0, &iA);
  else
    ioP.SetCoefficient(0, ioP.GetCoefficient(0) + iA);
  return ioP;
}
XelMathPolynomX& operator-=(XelMathPolynomX& ioP, const XelMathPolynomX& iQ) {
  XelMathPolynomX* r = Difference(&ioP, &iQ);
  ioP = *r;
  delete r;
  return ioP;
}
XelMathPolynomX& operator-=(XelMathPolynomX& ioP, const double iA) {
  return ioP += -iA;
}
XelMathPolynomX& operator*=(XelMathPolynomX& ioP, const XelMathPolynomX& iQ) {
  ProductInto(&ioP, &iQ, &ioP);
  return ioP;
}
XelMathPolynomX& operator*=(XelMathPolynomX& ioP, const double iA) {
  for (long k = 0; k <= ioP.GetDegree(); ++k)
    ioP.SetCoefficient(k, ioP.GetCoefficient(k) * iA);
  return ioP;
}

// ---- roots ------------------------------------------------------------------------------------

int XelMathPolynomX::Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
                           const XelMathAttrList* iAttributes) const {
  const XelTolerance* tol =
      XelMathAnalysisScaling::ListTolerance(iAttributes, &XelGetDefaultTolerance());
  const XelMathAttrScaleOption* option = XelMathAnalysisScaling::AttrScaleOption(iAttributes);
  const XelMathAttrDoubleValue* absolute = nullptr;
  const XelMathAttrDoubleValue* epsRoot = nullptr;
  if (iAttributes) {
    absolute = dynamic_cast<const XelMathAttrDoubleValue*>(
        iAttributes->GetAttribute(AttrFunctionXAbsoluteTolerance));
    epsRoot = dynamic_cast<const XelMathAttrDoubleValue*>(
        iAttributes->GetAttribute(AttrFunctionXEpsRoot));
  }
  // Scaled copy a P(b x) over the domain divided by b, when the model asks for it.
  const double s = tol->GetScaleFactor();
  double variableFactor = 1.0, functionFactor = 1.0;
  std::unique_ptr<XelMathPolynomX> scaled;
  if (option && s != 1.0 && s > 0.0)
    scaled =
        ScaledCopy(*this, *option, s, "XelMathPolynomX::Solve", variableFactor, functionFactor);
  const XelMathPolynomX* work = scaled ? scaled.get() : this;
  XelMathInterval domain = iDomain;
  if (scaled)
    domain = XelMathInterval(iDomain.low / variableFactor, iDomain.high / variableFactor);

  XelMathSolveX solver(work, *tol);
  if (absolute)
    solver.SetTolerance(absolute->GetValue() * functionFactor, 1,
                        absolute->GetOKReviewed() ? 1 : 0);
  if (epsRoot)
    solver.SetEpsRoot(epsRoot->GetValue() * functionFactor, epsRoot->GetOKReviewed() ? 1 : 0);
  solver.Initialize(domain, oRoots);
  long d = work->_degree;
  while (d > 0 && work->_coefficients[d] == 0.0)
    --d;
  const int status = solver.RunOnPolynom(d, work->_coefficients, work->_shift);
  if (variableFactor != 1.0) {
    double* points = oRoots.GetPoints();
    for (long i = 0; i < oRoots.GetNumberOfPoints(); ++i)
      points[i] *= variableFactor;
  }
  oRoots.Beginning();
  return status;
}
