#include "XelMathHyperbolicX.h"

#include <cmath>

#include "XelMathElementaryTools.h"

using namespace XelMathElementary;

XelMathHyperbolicX::XelMathHyperbolicX(const double a, const double b, const double c,
                                       const double w)
    : _a(a), _b(b), _c(c), _omega(w) {}

XelMathHyperbolicX::~XelMathHyperbolicX() = default;

const char* XelMathHyperbolicX::IsA() const {
  return "XelMathHyperbolicX";
}

unsigned char XelMathHyperbolicX::IsAKindOf(const char* iName) const {
  if (iName && SameName(iName, "XelMathHyperbolicX"))
    return 1;
  return XelMathFunctionX::IsAKindOf(iName);
}

unsigned char XelMathHyperbolicX::IsOption(const long iOption) const {
  return (iOption & ~(2L | 4L | 16L | 32L | 64L)) == 0 ? 1 : 0;
}

int XelMathHyperbolicX::GetDirectComponents(const int, const XelMathFunctionGeneral**) const {
  return 0;
}

unsigned char XelMathHyperbolicX::IsATypeOf(const long iType) const {
  return (iType == 0 || iType == 40) ? 1 : 0;
}

// ==== point evaluations ==========================================================================
double XelMathHyperbolicX::Eval(const double& x) const {
  const double t = _omega * x;
  return _a * std::cosh(t) + _b * std::sinh(t) + _c;
}

double XelMathHyperbolicX::EvalFirstDeriv(const double& x) const {
  const double t = _omega * x;
  return _a * _omega * std::sinh(t) + _b * _omega * std::cosh(t);
}

double XelMathHyperbolicX::EvalSecondDeriv(const double& x) const {
  const double t = _omega * x;
  const double w2 = _omega * _omega;
  return _a * w2 * std::cosh(t) + _b * w2 * std::sinh(t);
}

void XelMathHyperbolicX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                              double* oF2) const {
  const double t = _omega * x;
  const double ch = std::cosh(t), sh = std::sinh(t);
  if (oF && (iOptions & 1))
    *oF = _a * ch + _b * sh + _c;
  if (oF1 && (iOptions & 2))
    *oF1 = _a * _omega * sh + _b * _omega * ch;
  if (oF2 && (iOptions & 4)) {
    const double w2 = _omega * _omega;
    *oF2 = _a * w2 * ch + _b * w2 * sh;
  }
}

// ==== interval evaluations =======================================================================
namespace {
// p cosh(T) + q sinh(T) + r, each term ordered by the sign of its factor.
XelMathInterval Terms(const XelMathInterval& iT, const double p, const double q, const double r) {
  return Shift(Add(Scale(p, cosh(iT)), Scale(q, sinh(iT))), r);
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
      [a, b, c](double v) { return a * std::cosh(v) + b * std::sinh(v) + c; }, u, critical, nb);
  return Tighter(Eval(iI), exact);
}

XelMathInterval XelMathHyperbolicX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return Terms(Scale(_omega, iI), _b * _omega, _a * _omega, 0.0);
}

XelMathInterval XelMathHyperbolicX::EvalSecondDeriv(const XelMathInterval& iI) const {
  const double w2 = _omega * _omega;
  return Terms(Scale(_omega, iI), _a * w2, _b * w2, 0.0);
}

XelMathInterval XelMathHyperbolicX::EvalThirdDeriv(const XelMathInterval& iI) const {
  const double w3 = _omega * _omega * _omega;
  return Terms(Scale(_omega, iI), _b * w3, _a * w3, 0.0);
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
  // Differences of sinh and cosh through the half-sum and half-difference, so that a narrow
  // interval loses nothing to cancellation.
  const double m = 0.5 * (ta + tb), h = 0.5 * (tb - ta);
  const double sh = std::sinh(h);
  const double dSinh = 2.0 * std::cosh(m) * sh; // sinh(tb) - sinh(ta)
  const double dCosh = 2.0 * std::sinh(m) * sh; // cosh(tb) - cosh(ta)
  return (_a * dSinh + _b * dCosh) / _omega + _c * width;
}
