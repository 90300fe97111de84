#include "XelMathTrigonometricX.h"

#include <algorithm>
#include <cmath>

#include "XelError.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBatchTools.h"
#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelTolerance.h"

using namespace XelMathElementary;

namespace {
/// An empty memo: NaN phases never match.
template <class Phase> void ClearMemo(Phase& ioPhase) {
  ioPhase = Phase{std::nan(""),      std::nan(""),      0.0,   0.0,   0.0,  0.0,
                  XelMathInterval(), XelMathInterval(), false, false, false};
}
} // namespace

XelMathTrigonometricX::XelMathTrigonometricX(const double a, const double b, const double c,
                                             const double w, const XelTolerance& iTol)
    : _amplitude(0.0), _phase(0.0), _pulsation(w), _constant(c), _tolerance(&iTol), _phaseMemo() {
  ClearMemo(_phaseMemo);
  if (a != 0.0 || b != 0.0) {
    _amplitude = std::hypot(a, b);
    _phase = std::atan2(b, a);
  }
  if (w < 0.0) {
    // cos(-w x - phi) = cos(w x + phi): the value is unchanged.
    _pulsation = -w;
    _phase = -_phase;
  }
}

XelMathTrigonometricX::XelMathTrigonometricX(const double* iP, const XelTolerance& iTol)
    : _amplitude(iP ? iP[0] : 0.0), _phase(iP ? iP[1] : 0.0), _pulsation(iP ? iP[2] : 0.0),
      _constant(iP ? iP[3] : 0.0), _tolerance(&iTol), _phaseMemo() {
  ClearMemo(_phaseMemo);
}

XelMathTrigonometricX::~XelMathTrigonometricX() = default;

long XelMathTrigonometricX::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathTrigonometricX, XelMathFunctionX);

unsigned char XelMathTrigonometricX::IsOption(const long iOption) const {
  return (iOption & ~(XelMathOption::FirstAndSecond | XelMathOption::ImageUpToSecond)) == 0 ? 1 : 0;
}

XelMathDefineNoComponents(XelMathTrigonometricX);

XelMathDefineTypeId(XelMathTrigonometricX, XelMathFunctionX, XelMathTypeId::Trigonometric);

short XelMathTrigonometricX::GetStreamType() const {
  return XelMathStreamType::Trigonometric;
}

XelMathDefineStreamable(XelMathTrigonometricX);

// ==== point evaluations ==========================================================================
double XelMathTrigonometricX::Eval(const double& x) const {
  return _amplitude * std::cos(_pulsation * x - _phase) + _constant;
}

double XelMathTrigonometricX::EvalFirstDeriv(const double& x) const {
  return EndProduct(-_amplitude * _pulsation, std::sin(_pulsation * x - _phase));
}

double XelMathTrigonometricX::EvalSecondDeriv(const double& x) const {
  return EndProduct(-_amplitude * _pulsation * _pulsation, std::cos(_pulsation * x - _phase));
}

double XelMathTrigonometricX::EvalThirdDeriv(const double& x) const {
  // A coefficient that overflowed times an exact zero of the sine is 0, not NaN.
  return EndProduct(_amplitude * _pulsation * _pulsation * _pulsation,
                    std::sin(_pulsation * x - _phase));
}

void XelMathTrigonometricX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                 double* oF2) const {
  double s, c;
  SinCos(_pulsation * x - _phase, s, c);
  if (oF && (iOptions & XelMathOption::Value))
    *oF = _amplitude * c + _constant;
  if (oF1 && (iOptions & XelMathOption::FirstDeriv))
    *oF1 = -_amplitude * _pulsation * s;
  if (oF2 && (iOptions & XelMathOption::SecondDeriv))
    *oF2 = -_amplitude * _pulsation * _pulsation * c;
}

void XelMathTrigonometricX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                       double* oF, double* oF1, double* oF2) const {
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  const double a = _amplitude, w = _pulsation, phi = _phase, c0 = _constant;
  const double k1 = -a * w, k2 = -a * w * w;
  for (long i = 0; i < iN; ++i) {
    double s, c;
    SinCos(w * iX[i] - phi, s, c);
    if (asked.f)
      oF[i] = a * c + c0;
    if (asked.f1)
      oF1[i] = k1 * s;
    if (asked.f2)
      oF2[i] = k2 * c;
  }
}

// ==== interval evaluations =======================================================================
namespace {
// Phase interval [w low - phi, w high - phi], ends swapped when w <= 0.
XelMathInterval Phase(const XelMathInterval& iI, const double w, const double phi) {
  const double a = w * iI.low - phi, b = w * iI.high - phi;
  return w > 0.0 ? XelMathInterval(a, b) : XelMathInterval(b, a);
}
} // namespace

void XelMathTrigonometricX::PhaseImages(const XelMathInterval& iI, XelMathInterval* oCos,
                                        XelMathInterval* oSin) const {
  const XelMathInterval theta = Phase(iI, _pulsation, _phase);
  if (!std::isfinite(theta.low) || !std::isfinite(theta.high)) {
    // w x overflowed: the platform's functions have no value there.
    if (oCos)
      *oCos = XelMathInterval(-1.0, 1.0);
    if (oSin)
      *oSin = XelMathInterval(-1.0, 1.0);
    return;
  }
  PhaseValues& memo = _phaseMemo;
  if (!(theta.low == memo.low && theta.high == memo.high)) {
    memo.low = theta.low;
    memo.high = theta.high;
    memo.hasEnds = memo.hasCos = memo.hasSin = false;
  }
  const bool wantCos = oCos && !memo.hasCos, wantSin = oSin && !memo.hasSin;
  if (wantCos || wantSin) {
    SineShape cosShape{}, sinShape{};
    bool needEnds = false;
    if (wantCos) {
      cosShape = CosineShapeOf(theta.low, theta.high);
      needEnds = needEnds || !cosShape.Full();
    }
    if (wantSin) {
      sinShape = SineShapeOf(theta.low, theta.high);
      needEnds = needEnds || !sinShape.Full();
    }
    if (needEnds && !memo.hasEnds) {
      SinCos(theta.low, memo.sLow, memo.cLow);
      SinCos(theta.high, memo.sHigh, memo.cHigh);
      memo.hasEnds = true;
    }
    if (wantCos) {
      memo.cos = SineImageFromEnds(cosShape, memo.cLow, memo.cHigh);
      memo.hasCos = true;
    }
    if (wantSin) {
      memo.sin = SineImageFromEnds(sinShape, memo.sLow, memo.sHigh);
      memo.hasSin = true;
    }
  }
  if (oCos)
    *oCos = memo.cos;
  if (oSin)
    *oSin = memo.sin;
}

XelMathInterval XelMathTrigonometricX::Eval(const XelMathInterval& iI) const {
  XelMathInterval c;
  PhaseImages(iI, &c, nullptr);
  return Shift(Scale(_amplitude, c), _constant);
}

XelMathInterval XelMathTrigonometricX::EvalFirstDeriv(const XelMathInterval& iI) const {
  XelMathInterval s;
  PhaseImages(iI, nullptr, &s);
  return Scale(-_amplitude * _pulsation, s);
}

XelMathInterval XelMathTrigonometricX::EvalSecondDeriv(const XelMathInterval& iI) const {
  XelMathInterval c;
  PhaseImages(iI, &c, nullptr);
  return Scale(-_amplitude * _pulsation * _pulsation, c);
}

XelMathInterval XelMathTrigonometricX::EvalThirdDeriv(const XelMathInterval& iI) const {
  XelMathInterval s;
  PhaseImages(iI, nullptr, &s);
  return Scale(_amplitude * _pulsation * _pulsation * _pulsation, s);
}

void XelMathTrigonometricX::Eval(const XelMathInterval& iI, const long iOptions,
                                 XelMathInterval* oF, XelMathInterval* oF1,
                                 XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  XelMathInterval c, s;
  PhaseImages(iI, (wantF || wantF2) ? &c : nullptr, wantF1 ? &s : nullptr);
  if (wantF)
    *oF = Shift(Scale(_amplitude, c), _constant);
  if (wantF1)
    *oF1 = Scale(-_amplitude * _pulsation, s);
  if (wantF2)
    *oF2 = Scale(-_amplitude * _pulsation * _pulsation, c);
}

XelMathInterval XelMathTrigonometricX::ComputeOptimalImage(const XelMathInterval& iI,
                                                           const XelTolerance&) const {
  return Eval(iI);
}

// ==== copies, construction
// ========================================================================
XelMathFunctionX* XelMathTrigonometricX::Duplicate() const {
  return new XelMathTrigonometricX(*this);
}

XelMathFunctionX* XelMathTrigonometricX::DeepDuplicate() const {
  return Duplicate();
}

XelMathFunctionX* XelMathTrigonometricX::CreateDeriv() const {
  const double p[4] = {_amplitude * _pulsation, _phase - XelPIBY2, _pulsation, 0.0};
  return new XelMathTrigonometricX(p, *_tolerance);
}

XelMathFunctionX* XelMathTrigonometricX::FormalCombination(const long iN,
                                                           const XelMathFunctionX** iF,
                                                           const double* iC,
                                                           const double iC0) const {
  if (iN <= 0 || !iF || !iC || !iF[0] || !iF[0]->IsAKindOf("XelMathTrigonometricX"))
    return nullptr;
  const double w = static_cast<const XelMathTrigonometricX*>(iF[0])->_pulsation;
  double x = 0.0, y = 0.0, c = iC0;
  for (long i = 0; i < iN; ++i) {
    if (!iF[i] || !iF[i]->IsAKindOf("XelMathTrigonometricX"))
      return nullptr;
    const XelMathTrigonometricX* t = static_cast<const XelMathTrigonometricX*>(iF[i]);
    if (t->_pulsation != w)
      return nullptr;
    // A cos(w x - phi) = A cos(phi) cos(w x) + A sin(phi) sin(w x).
    x += iC[i] * t->_amplitude * std::cos(t->_phase);
    y += iC[i] * t->_amplitude * std::sin(t->_phase);
    c += iC[i] * t->_constant;
  }
  return new XelMathTrigonometricX(x, y, c, w, *_tolerance);
}

double XelMathTrigonometricX::IntegrateAbsOrRel(const XelMathInterval& iI, double,
                                                unsigned char) const {
  const double width = iI.high - iI.low;
  if (_pulsation == 0.0)
    return (_amplitude * std::cos(_phase) + _constant) * width;
  const double ta = _pulsation * iI.low - _phase, tb = _pulsation * iI.high - _phase;
  // sin(tb) - sin(ta) = 2 cos((ta + tb) / 2) sin((tb - ta) / 2): no cancellation for a
  // narrow interval.
  const double half = 0.5 * _pulsation * width;
  const double diff = 2.0 * std::cos(0.5 * (ta + tb)) * std::sin(half);
  return _amplitude / _pulsation * diff + _constant * width;
}

// ==== roots
// =========================================================================================
int XelMathTrigonometricX::Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
                                 const XelMathAttrList* iAttributes) const {
  const XelTolerance* tol = XelMathAnalysisScaling::ListTolerance(
      iAttributes, _tolerance ? _tolerance : &XelGetDefaultTolerance());
  const XelMathAttrScaleOption* option = XelMathAnalysisScaling::AttrScaleOption(iAttributes);
  if (!tol || !tol->IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return 0;
  }
  // Scaling: h(u) = a f(b u) with a = S^(1 - F), b = S^(X - 1), solved in closed form.
  const double s = tol->GetScaleFactor();
  double valueFactor = 1.0, variableFactor = 1.0;
  bool scaled = false;
  if (option && s != 1.0) {
    long pF = 1, pX = 1;
    XelMathAnalysisScaling::ReadPowers(*option, "XelMathTrigonometricX::Solve", pF, pX);
    if (pF != 1 || pX != 1) {
      scaled = true;
      // Powers are shifted in double: LONG_MIN or LONG_MAX must not overflow.
      valueFactor = std::pow(s, 1.0 - double(pF));
      variableFactor = std::pow(s, double(pX) - 1.0);
    }
  }
  const double p[4] = {valueFactor * _amplitude, _phase, _pulsation * variableFactor,
                       valueFactor * _constant};
  const XelMathTrigonometricX work(p, *tol);
  XelMathSolveX solver(&work, *tol);
  if (scaled && option->GetOKReviewed())
    solver.SetOKScaleReviewed();
  if (iAttributes) {
    if (const XelMathAttrDoubleValue* v = dynamic_cast<const XelMathAttrDoubleValue*>(
            iAttributes->GetAttribute(AttrFunctionXAbsoluteTolerance)))
      solver.SetTolerance(v->GetValue() * valueFactor, 1, v->GetOKReviewed() ? 1 : 0);
    if (const XelMathAttrDoubleValue* v = dynamic_cast<const XelMathAttrDoubleValue*>(
            iAttributes->GetAttribute(AttrFunctionXEpsRoot)))
      solver.SetEpsRoot(v->GetValue() * valueFactor, v->GetOKReviewed() ? 1 : 0);
  }
  const XelMathInterval domain(iDomain.low / variableFactor, iDomain.high / variableFactor);
  solver.Initialize(domain, oRoots);
  int status = XelMathStatus::Refused;
  if (domain.low <= domain.high)
    status = solver.RunOnTrigonometric(p[0], p[2], p[1], p[3]);
  const long n = oRoots.GetNumberOfPoints();
  double* x = oRoots.GetPoints();
  if (n > 0 && x) {
    // The two families of roots come one after the other: one sorted list.
    std::sort(x, x + n);
    if (scaled)
      for (long i = 0; i < n; ++i)
        x[i] *= variableFactor;
  }
  oRoots.Beginning();
  return status;
}
