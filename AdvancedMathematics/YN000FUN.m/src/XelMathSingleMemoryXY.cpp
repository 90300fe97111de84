#include "XelMathSingleMemoryXY.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

XelMathSingleMemoryXY::XelMathSingleMemoryXY(const XelMathFunctionXY* iF, const double iX0,
                                             const double iY0, const XelTolerance& iTol)
    : _function(iF), _tolerance(&iTol), _valueX(iX0), _valueY(iY0), _value(XelMathInfinite),
      _derivX(iX0), _derivY(iY0), _fx(XelMathInfinite), _fy(XelMathInfinite) {
  if (_function)
    _function->Eval(iX0, iY0, XelMathOption::ValueAndFirst, &_value, &_fx, &_fy, nullptr, nullptr,
                    nullptr);
}

XelMathSingleMemoryXY::XelMathSingleMemoryXY(const XelMathSingleMemoryXY& iOther)
    : XelMathFunctionXY(iOther), _function(iOther._function), _tolerance(iOther._tolerance) {
  CopyMemories(iOther);
}

XelMathSingleMemoryXY::~XelMathSingleMemoryXY() = default;

void XelMathSingleMemoryXY::CopyMemories(const XelMathSingleMemoryXY& iOther) {
  _valueX = iOther._valueX;
  _valueY = iOther._valueY;
  _value = iOther._value;
  _derivX = iOther._derivX;
  _derivY = iOther._derivY;
  _fx = iOther._fx;
  _fy = iOther._fy;
}

long XelMathSingleMemoryXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathSingleMemoryXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathSingleMemoryXY, XelMathFunctionXY);

unsigned char XelMathSingleMemoryXY::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

int XelMathSingleMemoryXY::GetDirectComponents(const int iSize,
                                               const XelMathFunctionGeneral** oComponents) const {
  if (iSize > 0)
    oComponents[0] = _function;
  return 1;
}

// ==== point evaluations: value and first derivatives remembered ==========================
double XelMathSingleMemoryXY::Eval(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  if (!AtValuePoint(x, y)) {
    _value = _function->Eval(x, y);
    _valueX = x;
    _valueY = y;
  }
  return _value;
}

void XelMathSingleMemoryXY::RefreshDerivatives(const double x, const double y) const {
  if (AtDerivPoint(x, y))
    return;
  double fx = 0.0, fy = 0.0;
  _function->Eval(x, y, XelMathOption::FirstDeriv, nullptr, &fx, &fy, nullptr, nullptr, nullptr);
  _fx = fx;
  _fy = fy;
  _derivX = x;
  _derivY = y;
}

double XelMathSingleMemoryXY::EvalFirstDerivX(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  RefreshDerivatives(x, y);
  return _fx;
}

double XelMathSingleMemoryXY::EvalFirstDerivY(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  RefreshDerivatives(x, y);
  return _fy;
}

double XelMathSingleMemoryXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return _function ? _function->EvalSecondDerivX2(x, y) : XelMathInfinite;
}

double XelMathSingleMemoryXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return _function ? _function->EvalSecondDerivXY(x, y) : XelMathInfinite;
}

double XelMathSingleMemoryXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return _function ? _function->EvalSecondDerivY2(x, y) : XelMathInfinite;
}

double XelMathSingleMemoryXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivX3(x, y) : XelMathInfinite;
}

double XelMathSingleMemoryXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivX2Y(x, y) : XelMathInfinite;
}

double XelMathSingleMemoryXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivXY2(x, y) : XelMathInfinite;
}

double XelMathSingleMemoryXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivY3(x, y) : XelMathInfinite;
}

void XelMathSingleMemoryXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                               double& oFx, double& oFy, double& oFxx, double& oFxy,
                                               double& oFyy, double& oFxxx, double& oFxxy,
                                               double& oFxyy, double& oFyyy) const {
  if (!_function) {
    oF = oFx = oFy = oFxx = oFxy = oFyy = oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  if (AtValuePoint(x, y) && AtDerivPoint(x, y)) {
    oF = _value;
    oFx = _fx;
    oFy = _fy;
    _function->Eval(x, y, XelMathOption::SecondDeriv, nullptr, nullptr, nullptr, &oFxx, &oFxy,
                    &oFyy);
    _function->EvalAllThirdDerivs(x, y, oFxxx, oFxxy, oFxyy, oFyyy);
    return;
  }
  // One pass of f for everything, and both memories move to (x, y).
  double v = 0.0, fx = 0.0, fy = 0.0;
  _function->EvalUpToThirdDeriv(x, y, v, fx, fy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
  _value = v;
  _valueX = x;
  _valueY = y;
  _fx = fx;
  _fy = fy;
  _derivX = x;
  _derivY = y;
  oF = v;
  oFx = fx;
  oFy = fy;
}

void XelMathSingleMemoryXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                               double& oFxxy, double& oFxyy, double& oFyyy) const {
  if (!_function) {
    oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  _function->EvalAllThirdDerivs(x, y, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathSingleMemoryXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                 double* oFx, double* oFy, double* oFxx, double* oFxy,
                                 double* oFyy) const {
  const bool wantF = oF && (iDiff & XelMathOption::Value);
  const bool wantD1 = (oFx || oFy) && (iDiff & XelMathOption::FirstDeriv);
  const bool wantD2 = (oFxx || oFxy || oFyy) && (iDiff & XelMathOption::SecondDeriv);
  if (!_function) {
    if (wantF)
      *oF = XelMathInfinite;
    for (double* o : {oFx, oFy})
      if (wantD1 && o)
        *o = XelMathInfinite;
    for (double* o : {oFxx, oFxy, oFyy})
      if (wantD2 && o)
        *o = XelMathInfinite;
    return;
  }
  // Ask f only for what the memories cannot serve.
  const bool askF = wantF && !AtValuePoint(x, y), askD1 = wantD1 && !AtDerivPoint(x, y);
  const long options = (askF ? XelMathOption::Value : 0) | (askD1 ? XelMathOption::FirstDeriv : 0) |
                       (wantD2 ? XelMathOption::SecondDeriv : 0);
  if (options) {
    double v = 0.0, fx = 0.0, fy = 0.0, fxx = 0.0, fxy = 0.0, fyy = 0.0;
    _function->Eval(x, y, options, &v, &fx, &fy, &fxx, &fxy, &fyy);
    if (askF) {
      _value = v;
      _valueX = x;
      _valueY = y;
    }
    if (askD1) {
      _fx = fx;
      _fy = fy;
      _derivX = x;
      _derivY = y;
    }
    if (wantD2) {
      if (oFxx)
        *oFxx = fxx;
      if (oFxy)
        *oFxy = fxy;
      if (oFyy)
        *oFyy = fyy;
    }
  }
  if (wantF)
    *oF = _value;
  if (wantD1 && oFx)
    *oFx = _fx;
  if (wantD1 && oFy)
    *oFy = _fy;
}

// ==== interval evaluations: forwarded ====================================================
XelMathInterval XelMathSingleMemoryXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                            const XelTolerance& iTol) const {
  return _function ? _function->Eval(iI, iJ, iTol) : Zero();
}

XelMathInterval XelMathSingleMemoryXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                       const XelMathInterval& iJ) const {
  return _function ? _function->EvalFirstDerivX(iI, iJ) : Zero();
}

XelMathInterval XelMathSingleMemoryXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                       const XelMathInterval& iJ) const {
  return _function ? _function->EvalFirstDerivY(iI, iJ) : Zero();
}

XelMathInterval XelMathSingleMemoryXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                         const XelMathInterval& iJ) const {
  return _function ? _function->EvalSecondDerivX2(iI, iJ) : Zero();
}

XelMathInterval XelMathSingleMemoryXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                         const XelMathInterval& iJ) const {
  return _function ? _function->EvalSecondDerivXY(iI, iJ) : Zero();
}

XelMathInterval XelMathSingleMemoryXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                         const XelMathInterval& iJ) const {
  return _function ? _function->EvalSecondDerivY2(iI, iJ) : Zero();
}

void XelMathSingleMemoryXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                 const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                                 XelMathInterval* oFy, XelMathInterval* oFxx, XelMathInterval* oFxy,
                                 XelMathInterval* oFyy, const XelTolerance& iTol) const {
  if (_function) {
    _function->Eval(iI, iJ, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy, iTol);
    return;
  }
  const long bits[6] = {XelMathOption::Image,
                        XelMathOption::FirstDerivImage,
                        XelMathOption::FirstDerivImage,
                        XelMathOption::SecondDerivImage,
                        XelMathOption::SecondDerivImage,
                        XelMathOption::SecondDerivImage};
  XelMathInterval* outputs[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
  for (int i = 0; i < 6; i++)
    if (outputs[i] && (iDiff & bits[i]))
      *outputs[i] = Zero();
}

XelMathInterval XelMathSingleMemoryXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                           const XelMathInterval& iJ,
                                                           const XelTolerance& iTol) const {
  return _function ? _function->ComputeOptimalImage(iI, iJ, iTol) : Zero();
}

// ==== copies =============================================================================
XelMathFunctionXY* XelMathSingleMemoryXY::Duplicate() const {
  return new XelMathSingleMemoryXY(*this);
}

XelMathFunctionXY* XelMathSingleMemoryXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> f(_function ? _function->DeepDuplicate() : nullptr);
  // Built on no function, then given the copy and the memories (no evaluation).
  XelMathSingleMemoryXYDel* copy =
      new XelMathSingleMemoryXYDel(nullptr, _valueX, _valueY, *_tolerance);
  copy->_function = f.release();
  copy->CopyMemories(*this);
  return copy;
}

// ==== owning variant =====================================================================
XelMathSingleMemoryXYDel::XelMathSingleMemoryXYDel(XelMathFunctionXY* iF, const double iX0,
                                                   const double iY0, const XelTolerance& iTol)
    : XelMathSingleMemoryXY(iF, iX0, iY0, iTol) {}

XelMathSingleMemoryXYDel::~XelMathSingleMemoryXYDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariantXY(XelMathSingleMemoryXYDel, XelMathSingleMemoryXY);
