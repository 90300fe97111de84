#include "XelMathFunctionXYToX.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathFunctionXY.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathWrapperToolsXY.h"

using namespace XelMathComposite;

XelMathFunctionXYToX::XelMathFunctionXYToX(const XelMathFunctionXY* iF, const double iValue,
                                           const long iIndex, const XelTolerance& iTol)
    : _function(iF), _value(iValue), _index(iIndex), _tolerance(&iTol) {
  if (iIndex != 0 && iIndex != 1)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the fixed variable",
                 "XelMathFunctionXYToX::XelMathFunctionXYToX");
}

XelMathFunctionXYToX::~XelMathFunctionXYToX() = default;

long XelMathFunctionXYToX::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathFunctionXYToX::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathFunctionXYToX, XelMathFunctionX);

XelMathDefineTypeId(XelMathFunctionXYToX, XelMathFunctionX, XelMathTypeId::FunctionXYToX);

unsigned char XelMathFunctionXYToX::IsOption(const long iOption) const {
  if (!_function || (iOption & XelMathOption::ThirdDerivImage))
    return 0;
  return _function->IsOption(iOption);
}

int XelMathFunctionXYToX::GetDirectComponents(const int iSize,
                                              const XelMathFunctionGeneral** oComponents) const {
  return XelMathWrapperXY::ListComponents(1, &_function, iSize, oComponents);
}

// ==== point evaluations: the partial derivatives along the free variable ==================
double XelMathFunctionXYToX::Eval(const double& t) const {
  if (!_function)
    return XelMathInfinite;
  return _index == 0 ? _function->Eval(_value, t) : _function->Eval(t, _value);
}

double XelMathFunctionXYToX::EvalFirstDeriv(const double& t) const {
  if (!_function)
    return XelMathInfinite;
  return _index == 0 ? _function->EvalFirstDerivY(_value, t) : _function->EvalFirstDerivX(t, _value);
}

double XelMathFunctionXYToX::EvalSecondDeriv(const double& t) const {
  if (!_function)
    return XelMathInfinite;
  return _index == 0 ? _function->EvalSecondDerivY2(_value, t)
                     : _function->EvalSecondDerivX2(t, _value);
}

double XelMathFunctionXYToX::EvalThirdDeriv(const double& t) const {
  if (!_function)
    return XelMathInfinite;
  return _index == 0 ? _function->EvalThirdDerivY3(_value, t)
                     : _function->EvalThirdDerivX3(t, _value);
}

void XelMathFunctionXYToX::Eval(const double t, const long iOptions, double* oF, double* oF1,
                                double* oF2) const {
  EvalAsked(iOptions, XelMathOption::Value, XelMathInfinite, oF, oF1, oF2,
            [&](const int iOrder, double* oH) {
              if (!_function)
                return;
              const long mask = iOrder == 0   ? XelMathOption::Value
                                : iOrder == 1 ? XelMathOption::ValueAndFirst
                                              : XelMathOption::PointUpToSecond;
              double f = 0.0, fx = 0.0, fy = 0.0, fxx = 0.0, fxy = 0.0, fyy = 0.0;
              if (_index == 0)
                _function->Eval(_value, t, mask, &f, &fx, &fy, &fxx, &fxy, &fyy);
              else
                _function->Eval(t, _value, mask, &f, &fx, &fy, &fxx, &fxy, &fyy);
              oH[0] = f;
              oH[1] = _index == 0 ? fy : fx;
              oH[2] = _index == 0 ? fyy : fxx;
            });
}

// ==== interval evaluations: boxes degenerate in the fixed variable ========================
XelMathInterval XelMathFunctionXYToX::Eval(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  const XelMathInterval fixed(_value, _value);
  return _index == 0 ? _function->Eval(fixed, iI, *_tolerance)
                     : _function->Eval(iI, fixed, *_tolerance);
}

XelMathInterval XelMathFunctionXYToX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  const XelMathInterval fixed(_value, _value);
  return _index == 0 ? _function->EvalFirstDerivY(fixed, iI) : _function->EvalFirstDerivX(iI, fixed);
}

XelMathInterval XelMathFunctionXYToX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  const XelMathInterval fixed(_value, _value);
  return _index == 0 ? _function->EvalSecondDerivY2(fixed, iI)
                     : _function->EvalSecondDerivX2(iI, fixed);
}

XelMathInterval XelMathFunctionXYToX::EvalThirdDeriv(const XelMathInterval&) const {
  return Zero();
}

void XelMathFunctionXYToX::Eval(const XelMathInterval& iI, const long iOptions,
                                XelMathInterval* oF, XelMathInterval* oF1,
                                XelMathInterval* oF2) const {
  EvalAsked(iOptions, XelMathOption::Image, Zero(), oF, oF1, oF2,
            [&](const int, XelMathInterval* oH) {
              if (!_function)
                return;
              // Only the groups asked for (the value image may cost a global search).
              const auto [wantF, wantF1, wantF2] =
                  AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
              const long mask = (wantF ? XelMathOption::Image : 0) |
                                (wantF1 ? XelMathOption::FirstDerivImage : 0) |
                                (wantF2 ? XelMathOption::SecondDerivImage : 0);
              const XelMathInterval fixed(_value, _value);
              const XelMathWrapperXY::Images f =
                  _index == 0 ? XelMathWrapperXY::ImagesOf(_function, fixed, iI, mask, *_tolerance)
                              : XelMathWrapperXY::ImagesOf(_function, iI, fixed, mask, *_tolerance);
              oH[0] = f.f;
              oH[1] = _index == 0 ? f.fy : f.fx;
              oH[2] = _index == 0 ? f.fyy : f.fxx;
            });
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathFunctionXYToX::Duplicate() const {
  return new XelMathFunctionXYToX(_function, _value, _index, *_tolerance);
}

XelMathFunctionX* XelMathFunctionXYToX::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> copy(_function ? _function->DeepDuplicate() : nullptr);
  XelMathFunctionX* owner = new XelMathFunctionXYToXDel(copy.get(), _value, _index, *_tolerance);
  copy.release();
  return owner;
}

// ==== owning variant =====================================================================
XelMathFunctionXYToXDel::XelMathFunctionXYToXDel(XelMathFunctionXY* iF, const double iValue,
                                                 const long iIndex, const XelTolerance& iTol)
    : XelMathFunctionXYToX(iF, iValue, iIndex, iTol) {}

XelMathFunctionXYToXDel::~XelMathFunctionXYToXDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariant(XelMathFunctionXYToXDel, XelMathFunctionXYToX);
