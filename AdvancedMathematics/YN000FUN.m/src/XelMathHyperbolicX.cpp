#include "XelMathHyperbolicX.h"

#include <cmath>

#include "XelMathBatchTools.h"
#include "XelMathElementaryTools.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathElementary;

XelMathHyperbolicX::XelMathHyperbolicX(const double a, const double b, const double c,
                                       const double w)
    : _a(a), _b(b), _c(c), _omega(w) {}

XelMathHyperbolicX::~XelMathHyperbolicX() = default;

XelMathDefineIdentity(XelMathHyperbolicX, XelMathFunctionX);

unsigned char XelMathHyperbolicX::IsOption(const long iOption) const {
  return (iOption & ~(XelMathOption::FirstAndSecond | XelMathOption::ImageUpToSecond)) == 0 ? 1 : 0;
}

XelMathDefineNoComponents(XelMathHyperbolicX);

XelMathDefineTypeId(XelMathHyperbolicX, XelMathFunctionX, XelMathTypeId::Hyperbolic);

// ==== point evaluations ==========================================================================
namespace {
/// p e^t without an intermediate overflow (p tiny, e^t huge); 0 when p is 0.
double ScaledExp(const double p, const double t) {
  if (p == 0.0)
    return 0.0;
  const double r = std::exp(t + std::log(std::fabs(p)));
  return p < 0.0 ? -r : r;
}

/// p cosh t + q sinh t from ch = cosh t and sh = sinh t. Where cosh overflows the direct form
/// gives inf - inf, 0 inf or a spurious inf; the exponential form
/// ((p + q) e^t + (p - q) e^-t) / 2 then gives the value, or the infinity of the right sign
/// when the value itself overflows.
double Combination(const double p, const double q, const double t, const double ch,
                   const double sh) {
  const double direct = p * ch + q * sh;
  if (std::isfinite(direct))
    return direct;
  return ScaledExp(0.5 * p + 0.5 * q, t) + ScaledExp(0.5 * p - 0.5 * q, -t);
}

/// w^k g where g is p cosh + q sinh at t, for a derivative whose coefficients w^k p, w^k q
/// overflow or whose direct value is not a number.
double PowerTimes(const double w, const int k, const double g) {
  double r = g;
  for (int i = 0; i < k && r != 0.0; ++i)
    r *= w;
  return r;
}
} // namespace

double XelMathHyperbolicX::Eval(const double& x) const {
  const double t = _omega * x;
  return Combination(_a, _b, t, std::cosh(t), std::sinh(t)) + _c;
}

double XelMathHyperbolicX::EvalFirstDeriv(const double& x) const {
  const double t = _omega * x;
  const double ch = std::cosh(t), sh = std::sinh(t);
  const double direct = _a * _omega * sh + _b * _omega * ch;
  if (std::isfinite(direct))
    return direct;
  return PowerTimes(_omega, 1, Combination(_b, _a, t, ch, sh));
}

double XelMathHyperbolicX::EvalSecondDeriv(const double& x) const {
  const double t = _omega * x;
  const double w2 = _omega * _omega;
  const double ch = std::cosh(t), sh = std::sinh(t);
  const double direct = _a * w2 * ch + _b * w2 * sh;
  if (std::isfinite(direct))
    return direct;
  return PowerTimes(_omega, 2, Combination(_a, _b, t, ch, sh));
}

void XelMathHyperbolicX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                              double* oF2) const {
  const double t = _omega * x;
  const double ch = std::cosh(t), sh = std::sinh(t);
  if (oF && (iOptions & XelMathOption::Value))
    *oF = Combination(_a, _b, t, ch, sh) + _c;
  if (oF1 && (iOptions & XelMathOption::FirstDeriv)) {
    *oF1 = _a * _omega * sh + _b * _omega * ch;
    if (!std::isfinite(*oF1))
      *oF1 = PowerTimes(_omega, 1, Combination(_b, _a, t, ch, sh));
  }
  if (oF2 && (iOptions & XelMathOption::SecondDeriv)) {
    const double w2 = _omega * _omega;
    *oF2 = _a * w2 * ch + _b * w2 * sh;
    if (!std::isfinite(*oF2))
      *oF2 = PowerTimes(_omega, 2, Combination(_a, _b, t, ch, sh));
  }
}

void XelMathHyperbolicX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                    double* oF, double* oF1, double* oF2) const {
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  const double a = _a, b = _b, c0 = _c, w = _omega;
  const double aw = a * w, bw = b * w, w2 = w * w, aw2 = a * w2, bw2 = b * w2;
  for (long i = 0; i < iN; ++i) {
    const double t = w * iX[i];
    const double ch = std::cosh(t), sh = std::sinh(t);
    if (asked.f)
      oF[i] = Combination(a, b, t, ch, sh) + c0;
    if (asked.f1) {
      const double d1 = aw * sh + bw * ch;
      oF1[i] = std::isfinite(d1) ? d1 : PowerTimes(w, 1, Combination(b, a, t, ch, sh));
    }
    if (asked.f2) {
      const double d2 = aw2 * ch + bw2 * sh;
      oF2[i] = std::isfinite(d2) ? d2 : PowerTimes(w, 2, Combination(a, b, t, ch, sh));
    }
  }
}

// ==== interval evaluations =======================================================================
namespace {
/// p e^T, ends ordered by the sign of p.
XelMathInterval ExpTerm(const double p, const XelMathInterval& iT) {
  const double l = ScaledExp(p, iT.low), h = ScaledExp(p, iT.high);
  return p >= 0.0 ? XelMathInterval(l, h) : XelMathInterval(h, l);
}

// p cosh(T) + q sinh(T) + r, each term ordered by the sign of its factor (the two terms are
// bounded separately). Where cosh and sinh overflow, an end of that form may be inf - inf or a
// spurious infinity: the exponential form P e^T + Q e^-T (P = (p + q) / 2, Q = (p - q) / 2,
// each term monotone, never NaN) bounds the image too, and each end is the tighter of the two.
XelMathInterval Terms(const XelMathInterval& iT, const double p, const double q, const double r) {
  const XelMathInterval direct = Shift(Add(Scale(p, cosh(iT)), Scale(q, sinh(iT))), r);
  if (std::isfinite(direct.low) && std::isfinite(direct.high))
    return direct;
  const XelMathInterval e =
      Shift(Add(ExpTerm(0.5 * p + 0.5 * q, iT),
                ExpTerm(0.5 * p - 0.5 * q, XelMathInterval(-iT.high, -iT.low))),
            r);
  const XelMathInterval tight(direct.low > e.low ? direct.low : e.low,
                              direct.high < e.high ? direct.high : e.high);
  return tight.low <= tight.high ? tight : e;
}

// w^k (p cosh(T) + q sinh(T)): the image of a derivative. Its coefficients w^k p, w^k q are
// used directly unless they overflow, in which case the power of w multiplies the image.
XelMathInterval DerivativeTerms(const XelMathInterval& iT, const double w, const int k,
                                const double p, const double q) {
  double wk = 1.0;
  for (int i = 0; i < k; ++i)
    wk *= w;
  if (std::isfinite(wk * p) && std::isfinite(wk * q))
    return Terms(iT, wk * p, wk * q, 0.0);
  XelMathInterval r = Terms(iT, p, q, 0.0);
  for (int i = 0; i < k; ++i)
    r = Scale(w, r);
  return r;
}
} // namespace

XelMathInterval XelMathHyperbolicX::Eval(const XelMathInterval& iI) const {
  return Terms(Scale(_omega, iI), _a, _b, _c);
}

XelMathInterval XelMathHyperbolicX::ComputeOptimalImage(const XelMathInterval& iI,
                                                        const XelTolerance&) const {
  // In u = w x the derivative a sinh u + b cosh u vanishes only where tanh u = -b / a.
  const XelMathInterval u = Scale(_omega, iI);
  double critical[1];
  int nb = 0;
  if (std::fabs(_b) < std::fabs(_a)) {
    critical[0] = std::atanh(-_b / _a);
    nb = 1;
  }
  const double a = _a, b = _b, c = _c;
  const XelMathInterval exact = ImageByCriticalPoints(
      [a, b, c](double v) { return Combination(a, b, v, std::cosh(v), std::sinh(v)) + c; }, u,
      critical, nb);
  return Tighter(Eval(iI), exact);
}

XelMathInterval XelMathHyperbolicX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return DerivativeTerms(Scale(_omega, iI), _omega, 1, _b, _a);
}

XelMathInterval XelMathHyperbolicX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return DerivativeTerms(Scale(_omega, iI), _omega, 2, _a, _b);
}

XelMathInterval XelMathHyperbolicX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return DerivativeTerms(Scale(_omega, iI), _omega, 3, _b, _a);
}

// ==== copies, construction
// ========================================================================
XelMathFunctionX* XelMathHyperbolicX::Duplicate() const {
  return new XelMathHyperbolicX(*this);
}

XelMathFunctionX* XelMathHyperbolicX::DeepDuplicate() const {
  return Duplicate();
}

XelMathHyperbolicX XelMathHyperbolicX::Deriv() const {
  return XelMathHyperbolicX(_b * _omega, _a * _omega, 0.0, _omega);
}

XelMathFunctionX* XelMathHyperbolicX::CreateDeriv() const {
  return new XelMathHyperbolicX(Deriv());
}

double XelMathHyperbolicX::IntegrateAbsOrRel(const XelMathInterval& iI, double,
                                             unsigned char) const {
  const double width = iI.high - iI.low;
  if (_omega == 0.0)
    return (_a + _c) * width;
  const double ta = _omega * iI.low, tb = _omega * iI.high;
  // Through the half-sum m and half-difference h, sinh(tb) - sinh(ta) = 2 cosh(m) sinh(h) and
  // cosh(tb) - cosh(ta) = 2 sinh(m) sinh(h): the hyperbolic part is 2 sinh(h) g(m), g being
  // a cosh + b sinh, so that a narrow interval loses nothing to cancellation. g(m) is taken in
  // its exponential form ((a + b) e^m + (a - b) e^-m) / 2: from cosh and sinh, a = -b (a
  // decaying exponential) left the difference of two numbers near cosh(m), e^-x on [0, 40]
  // gave 0.
  const double m = 0.5 * (ta + tb), h = 0.5 * (tb - ta);
  const double sh = std::sinh(h);
  const double p = 0.5 * _a + 0.5 * _b, q = 0.5 * _a - 0.5 * _b;
  const double g = (p == 0.0 ? 0.0 : p * std::exp(m)) + (q == 0.0 ? 0.0 : q * std::exp(-m));
  const double direct = 2.0 * sh * g / _omega + _c * width;
  if (std::isfinite(direct))
    return direct;
  // Where sinh or cosh overflow: the primitive a sinh t + b cosh t is
  // ((a + b) e^t + (b - a) e^-t) / 2, and between lo <= hi
  // e^hi - e^lo = e^hi (1 - e^(lo - hi)), e^-hi - e^-lo = -e^-lo (1 - e^(lo - hi)),
  // each computed without an intermediate overflow.
  const double lo = ta < tb ? ta : tb, hi = ta < tb ? tb : ta;
  const double e = -std::expm1(lo - hi);
  const double primitive =
      ScaledExp((0.5 * _a + 0.5 * _b) * e, hi) + ScaledExp((0.5 * _a - 0.5 * _b) * e, -lo);
  return primitive / std::fabs(_omega) + _c * width;
}
