#include "XelMathPeriodicX.h"

#include <cmath>

#include "XelMathBatchTools.h"
#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathElementary;

namespace {
// Beyond this many periods from the start, the fold first jumps by whole periods.
const double JumpPeriods = 64.0;
// Bound on the steps of one fold (jumps included), whatever the input.
const int MaxFoldSteps = 1000;
} // namespace

XelMathPeriodicX::XelMathPeriodicX(const XelMathFunctionX* iG, double iPeriod, double iStart)
    : _function(iG), _period(iPeriod), _start(iStart) {}

XelMathPeriodicX::~XelMathPeriodicX() = default;

XelMathDefineIdentity(XelMathPeriodicX, XelMathFunctionX);

unsigned char XelMathPeriodicX::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

int XelMathPeriodicX::GetDirectComponents(const int iSize,
                                          const XelMathFunctionGeneral** oComponents) const {
  if (oComponents && iSize > 0)
    oComponents[0] = _function;
  return 1;
}

XelMathDefineTypeId(XelMathPeriodicX, XelMathFunctionX, XelMathTypeId::Periodic);

double XelMathPeriodicX::Fold(double x) const {
  const double a = _start, t = _period;
  if (!(t > 0.0) || !std::isfinite(t) || !std::isfinite(a) || !std::isfinite(x))
    return x;
  for (int step = 0; step < MaxFoldSteps; ++step) {
    if (x > a + t) {
      const double periods = (x - a) / t;
      x = periods > JumpPeriods ? std::fma(-(std::floor(periods) - 1.0), t, x) : x - t;
    } else if (x < a) {
      const double periods = (a - x) / t;
      x = periods > JumpPeriods ? std::fma(std::floor(periods) - 1.0, t, x) : x + t;
    } else {
      break;
    }
  }
  return x;
}

void XelMathPeriodicX::FoldInterval(const XelMathInterval& iI, XelMathInterval* oParts,
                                    int& oNb) const {
  oNb = 1;
  const double t = _period;
  if (!(t > 0.0) || !std::isfinite(t) || !(iI.low <= iI.high)) {
    oParts[0] = iI;
    return;
  }
  if (!(iI.high - iI.low < t)) {
    // A whole period is covered.
    oParts[0] = XelMathInterval(_start, _start + t);
    return;
  }
  const double rl = Fold(iI.low), rh = Fold(iI.high);
  if (rl <= rh) {
    oParts[0] = XelMathInterval(rl, rh);
    return;
  }
  // The interval crosses the fold: both sides of it.
  oParts[0] = XelMathInterval(_start, rh);
  oParts[1] = XelMathInterval(rl, _start + t);
  oNb = 2;
}

// ==== point evaluations ==========================================================================
double XelMathPeriodicX::Eval(const double& x) const {
  return _function ? _function->Eval(Fold(x)) : XelMathInfinite;
}

double XelMathPeriodicX::EvalFirstDeriv(const double& x) const {
  return _function ? _function->EvalFirstDeriv(Fold(x)) : XelMathInfinite;
}

double XelMathPeriodicX::EvalSecondDeriv(const double& x) const {
  return _function ? _function->EvalSecondDeriv(Fold(x)) : XelMathInfinite;
}

double XelMathPeriodicX::EvalThirdDeriv(const double& x) const {
  return _function ? _function->EvalThirdDeriv(Fold(x)) : XelMathInfinite;
}

void XelMathPeriodicX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                            double* oF2) const {
  if (_function) {
    _function->Eval(Fold(x), iOptions, oF, oF1, oF2);
    return;
  }
  if (oF && (iOptions & XelMathOption::Value))
    *oF = XelMathInfinite;
  if (oF1 && (iOptions & XelMathOption::FirstDeriv))
    *oF1 = XelMathInfinite;
  if (oF2 && (iOptions & XelMathOption::SecondDeriv))
    *oF2 = XelMathInfinite;
}

void XelMathPeriodicX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                  double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (!_function) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    double r[Chunk];
    for (long j = 0; j < iCount; j++)
      r[j] = Fold(iX[iStart + j]);
    _function->EvalPoints(iCount, r, iOptions, asked.f ? oF + iStart : nullptr,
                          asked.f1 ? oF1 + iStart : nullptr, asked.f2 ? oF2 + iStart : nullptr);
  });
}

// ==== interval evaluations =======================================================================
XelMathInterval XelMathPeriodicX::Eval(const XelMathInterval& iI) const {
  if (!_function)
    return XelMathInterval();
  XelMathInterval parts[2];
  int nb = 0;
  FoldInterval(iI, parts, nb);
  XelMathInterval r = _function->Eval(parts[0]);
  if (nb == 2)
    r = Hull(r, _function->Eval(parts[1]));
  return r;
}

XelMathInterval XelMathPeriodicX::ComputeOptimalImage(const XelMathInterval& iI,
                                                      const XelTolerance& iTol) const {
  if (!_function)
    return XelMathInterval();
  XelMathInterval parts[2];
  int nb = 0;
  FoldInterval(iI, parts, nb);
  XelMathInterval r = _function->ComputeOptimalImage(parts[0], iTol);
  if (nb == 2)
    r = Hull(r, _function->ComputeOptimalImage(parts[1], iTol));
  return r;
}

XelMathInterval XelMathPeriodicX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return XelMathInterval();
  XelMathInterval parts[2];
  int nb = 0;
  FoldInterval(iI, parts, nb);
  XelMathInterval r = _function->EvalFirstDeriv(parts[0]);
  if (nb == 2)
    r = Hull(r, _function->EvalFirstDeriv(parts[1]));
  return r;
}

XelMathInterval XelMathPeriodicX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return XelMathInterval();
  XelMathInterval parts[2];
  int nb = 0;
  FoldInterval(iI, parts, nb);
  XelMathInterval r = _function->EvalSecondDeriv(parts[0]);
  if (nb == 2)
    r = Hull(r, _function->EvalSecondDeriv(parts[1]));
  return r;
}

XelMathInterval XelMathPeriodicX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return XelMathInterval();
  XelMathInterval parts[2];
  int nb = 0;
  FoldInterval(iI, parts, nb);
  XelMathInterval r = _function->EvalThirdDeriv(parts[0]);
  if (nb == 2)
    r = Hull(r, _function->EvalThirdDeriv(parts[1]));
  return r;
}

void XelMathPeriodicX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                            XelMathInterval* oF1, XelMathInterval* oF2) const {
  if (!_function) {
    if (oF && (iOptions & XelMathOption::Image))
      *oF = XelMathInterval();
    if (oF1 && (iOptions & XelMathOption::FirstDerivImage))
      *oF1 = XelMathInterval();
    if (oF2 && (iOptions & XelMathOption::SecondDerivImage))
      *oF2 = XelMathInterval();
    return;
  }
  XelMathInterval parts[2];
  int nb = 0;
  FoldInterval(iI, parts, nb);
  _function->Eval(parts[0], iOptions, oF, oF1, oF2);
  if (nb == 2) {
    XelMathInterval f, f1, f2;
    _function->Eval(parts[1], iOptions, oF ? &f : nullptr, oF1 ? &f1 : nullptr,
                    oF2 ? &f2 : nullptr);
    if (oF && (iOptions & XelMathOption::Image))
      *oF = Hull(*oF, f);
    if (oF1 && (iOptions & XelMathOption::FirstDerivImage))
      *oF1 = Hull(*oF1, f1);
    if (oF2 && (iOptions & XelMathOption::SecondDerivImage))
      *oF2 = Hull(*oF2, f2);
  }
}

// ==== copies, construction
// ========================================================================
XelMathFunctionX* XelMathPeriodicX::Duplicate() const {
  return new XelMathPeriodicX(*this);
}

XelMathFunctionX* XelMathPeriodicX::DeepDuplicate() const {
  return new XelMathPeriodicXDel(_function ? _function->DeepDuplicate() : nullptr, _period, _start);
}

XelMathFunctionX* XelMathPeriodicX::CreateDeriv() const {
  XelMathFunctionX* d = _function ? _function->CreateDeriv() : nullptr;
  if (!d)
    return XelMathFunctionX::CreateDeriv();
  return new XelMathPeriodicXDel(d, _period, _start);
}

// ==== owning variant
// ==============================================================================
XelMathPeriodicXDel::XelMathPeriodicXDel(XelMathFunctionX* iG, double iPeriod, double iStart)
    : XelMathPeriodicX(iG, iPeriod, iStart) {}

XelMathPeriodicXDel::~XelMathPeriodicXDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineIdentity(XelMathPeriodicXDel, XelMathPeriodicX);
