#include "XelMathArctanCosX.h"

#include <cmath>

#include "XelMathBatchTools.h"
#include "XelMathElementaryTools.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathElementary;

namespace {
// Derivatives of atan at u: g1 = 1 / (1 + u^2), g2 = -2u g1^2, g3 = (6u^2 - 2) g1^3.
inline double AtanD1(const double u) {
  return 1.0 / (1.0 + u * u);
}
inline double AtanD2(const double u) {
  const double q = AtanD1(u);
  return -2.0 * u * q * q;
}
inline double AtanD3(const double u) {
  const double q = AtanD1(u);
  return (6.0 * u * u - 2.0) * q * q * q;
}
// Critical points of g1 (0), g2 (+/- 1/sqrt(3)) and g3 (-1, 0, 1).
const double CriticalD1[1] = {0.0};
const double CriticalD2[2] = {-0.57735026918962576451, 0.57735026918962576451};
const double CriticalD3[3] = {-1.0, 0.0, 1.0};

// The pieces of the chain rule over an interval, from the phase interval.
struct Chain {
  XelMathInterval u;  // B cos(theta)
  XelMathInterval u1; // -B w sin(theta)
  XelMathInterval u2; // -B w^2 cos(theta)
  XelMathInterval u3; // B w^3 sin(theta)
};
} // namespace

XelMathArctanCosX::XelMathArctanCosX(const double iA, const double iB, const double iOmega,
                                     const double iPhi, const double iC)
    : _a(iA), _b(iB), _omega(iOmega), _phi(iPhi), _c(iC) {}

XelMathArctanCosX::XelMathArctanCosX(const double* iP)
    : _a(iP ? iP[0] : 0.0), _b(iP ? iP[1] : 0.0), _omega(iP ? iP[2] : 0.0), _phi(iP ? iP[3] : 0.0),
      _c(iP ? iP[4] : 0.0) {}

XelMathArctanCosX::~XelMathArctanCosX() = default;

XelMathDefineIdentity(XelMathArctanCosX, XelMathFunctionX);

unsigned char XelMathArctanCosX::IsOption(const long iOption) const {
  return (iOption & ~(XelMathOption::FirstAndSecond | XelMathOption::ImageUpToSecond)) == 0 ? 1 : 0;
}

XelMathDefineNoComponents(XelMathArctanCosX);

XelMathDefineTypeId(XelMathArctanCosX, XelMathFunctionX, XelMathTypeId::ArctanCos);

short XelMathArctanCosX::GetStreamType() const {
  return XelMathStreamType::ArctanCos;
}

XelMathDefineStreamable(XelMathArctanCosX);

void XelMathArctanCosX::GetParameters(double* oP) const {
  if (!oP)
    return;
  oP[0] = _a;
  oP[1] = _b;
  oP[2] = _omega;
  oP[3] = _phi;
  oP[4] = _c;
}

// ==== point evaluations ==========================================================================
double XelMathArctanCosX::Eval(const double& x) const {
  return _a * std::atan(_b * std::cos(_omega * x + _phi)) + _c;
}

double XelMathArctanCosX::EvalFirstDeriv(const double& x) const {
  const double t = _omega * x + _phi;
  const double u = _b * std::cos(t);
  return -_a * _b * _omega * std::sin(t) / (u * u + 1.0);
}

double XelMathArctanCosX::EvalSecondDeriv(const double& x) const {
  const double t = _omega * x + _phi;
  const double s = std::sin(t), c = std::cos(t);
  const double u = _b * c, u1 = -_b * _omega * s, u2 = -_b * _omega * _omega * c;
  return _a * (AtanD2(u) * u1 * u1 + AtanD1(u) * u2);
}

double XelMathArctanCosX::EvalThirdDeriv(const double& x) const {
  const double t = _omega * x + _phi;
  const double s = std::sin(t), c = std::cos(t);
  const double w2 = _omega * _omega;
  const double u = _b * c, u1 = -_b * _omega * s, u2 = -_b * w2 * c, u3 = _b * w2 * _omega * s;
  return _a * (AtanD3(u) * u1 * u1 * u1 + 3.0 * AtanD2(u) * u1 * u2 + AtanD1(u) * u3);
}

void XelMathArctanCosX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                             double* oF2) const {
  const double t = _omega * x + _phi;
  const double s = std::sin(t), c = std::cos(t);
  const double u = _b * c;
  if (oF && (iOptions & XelMathOption::Value))
    *oF = _a * std::atan(u) + _c;
  if ((oF1 && (iOptions & XelMathOption::FirstDeriv)) ||
      (oF2 && (iOptions & XelMathOption::SecondDeriv))) {
    const double u1 = -_b * _omega * s;
    if (oF1 && (iOptions & XelMathOption::FirstDeriv))
      *oF1 = _a * AtanD1(u) * u1;
    if (oF2 && (iOptions & XelMathOption::SecondDeriv))
      *oF2 = _a * (AtanD2(u) * u1 * u1 + AtanD1(u) * (-_b * _omega * _omega * c));
  }
}

void XelMathArctanCosX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                   double* oF1, double* oF2) const {
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  const double a = _a, b = _b, w = _omega, phi = _phi, c0 = _c;
  const double k1 = -b * w, k2 = -b * w * w;
  for (long i = 0; i < iN; ++i) {
    const double t = w * iX[i] + phi;
    const double s = std::sin(t), c = std::cos(t);
    const double u = b * c;
    if (asked.f)
      oF[i] = a * std::atan(u) + c0;
    if (asked.Derivatives()) {
      const double u1 = k1 * s;
      if (asked.f1)
        oF1[i] = a * AtanD1(u) * u1;
      if (asked.f2)
        oF2[i] = a * (AtanD2(u) * u1 * u1 + AtanD1(u) * (k2 * c));
    }
  }
}

// ==== interval evaluations =======================================================================
namespace {
XelMathInterval PhaseOf(const XelMathInterval& iI, const double w, const double phi) {
  const double a = w * iI.low + phi, b = w * iI.high + phi;
  return w >= 0.0 ? XelMathInterval(a, b) : XelMathInterval(b, a);
}

Chain MakeChain(const XelMathInterval& iTheta, const double b, const double w) {
  XelMathInterval c, s;
  PhaseCosSin(iTheta, c, s);
  Chain k;
  k.u = Scale(b, c);
  k.u1 = Scale(-b * w, s);
  k.u2 = Scale(-b * w * w, c);
  k.u3 = Scale(b * w * w * w, s);
  return k;
}

XelMathInterval First(const Chain& k) {
  return Mul(ImageByCriticalPoints(AtanD1, k.u, CriticalD1, 1), k.u1);
}

XelMathInterval Second(const Chain& k) {
  const XelMathInterval g1 = ImageByCriticalPoints(AtanD1, k.u, CriticalD1, 1);
  const XelMathInterval g2 = ImageByCriticalPoints(AtanD2, k.u, CriticalD2, 2);
  return Add(Mul(g2, square(k.u1)), Mul(g1, k.u2));
}

XelMathInterval Third(const Chain& k) {
  const XelMathInterval g1 = ImageByCriticalPoints(AtanD1, k.u, CriticalD1, 1);
  const XelMathInterval g2 = ImageByCriticalPoints(AtanD2, k.u, CriticalD2, 2);
  const XelMathInterval g3 = ImageByCriticalPoints(AtanD3, k.u, CriticalD3, 3);
  return Add(Add(Mul(g3, Cube(k.u1)), Scale(3.0, Mul(Mul(g2, k.u1), k.u2))), Mul(g1, k.u3));
}
} // namespace

XelMathInterval XelMathArctanCosX::ComputeOptimalImage(const XelMathInterval& iI,
                                                       const XelTolerance&) const {
  return Eval(iI);
}

XelMathInterval XelMathArctanCosX::Eval(const XelMathInterval& iI) const {
  const XelMathInterval u = Scale(_b, PhaseCos(PhaseOf(iI, _omega, _phi)));
  return Shift(Scale(_a, atan(u)), _c);
}

XelMathInterval XelMathArctanCosX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return Scale(_a, First(MakeChain(PhaseOf(iI, _omega, _phi), _b, _omega)));
}

XelMathInterval XelMathArctanCosX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return Scale(_a, Second(MakeChain(PhaseOf(iI, _omega, _phi), _b, _omega)));
}

XelMathInterval XelMathArctanCosX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return Scale(_a, Third(MakeChain(PhaseOf(iI, _omega, _phi), _b, _omega)));
}

void XelMathArctanCosX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                             XelMathInterval* oF1, XelMathInterval* oF2) const {
  const Chain k = MakeChain(PhaseOf(iI, _omega, _phi), _b, _omega);
  if (oF && (iOptions & XelMathOption::Image))
    *oF = Shift(Scale(_a, atan(k.u)), _c);
  if (oF1 && (iOptions & XelMathOption::FirstDerivImage))
    *oF1 = Scale(_a, First(k));
  if (oF2 && (iOptions & XelMathOption::SecondDerivImage))
    *oF2 = Scale(_a, Second(k));
}

XelMathFunctionX* XelMathArctanCosX::Duplicate() const {
  return new XelMathArctanCosX(*this);
}

XelMathFunctionX* XelMathArctanCosX::DeepDuplicate() const {
  return Duplicate();
}
