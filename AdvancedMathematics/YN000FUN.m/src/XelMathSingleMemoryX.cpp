#include "XelMathSingleMemoryX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

namespace {
// Exact match of a cached interval (a NaN end never matches).
bool SameInterval(const XelMathInterval& iA, const XelMathInterval& iB) {
  return iA.low == iB.low && iA.high == iB.high;
}
} // namespace

XelMathSingleMemoryX::XelMathSingleMemoryX(const XelMathFunctionX* iF, const double x0)
    : _function(iF), _valuePoint(x0), _value(XelMathInfinite), _derivPoint(x0),
      _deriv(XelMathInfinite) {
  if (_function)
    _function->Eval(x0, XelMathOption::ValueAndFirst, &_value, &_deriv, nullptr);
  _valueInterval = _derivInterval = XelMathInterval(x0, x0);
  _valueImage = XelMathInterval(_value, _value);
  _derivImage = XelMathInterval(_deriv, _deriv);
}

XelMathSingleMemoryX::XelMathSingleMemoryX(const XelMathSingleMemoryX& iOther)
    : XelMathFunctionX(iOther), _function(iOther._function) {
  CopyCaches(iOther);
}

XelMathSingleMemoryX::~XelMathSingleMemoryX() = default;

void XelMathSingleMemoryX::CopyCaches(const XelMathSingleMemoryX& iOther) {
  _valuePoint = iOther._valuePoint;
  _value = iOther._value;
  _derivPoint = iOther._derivPoint;
  _deriv = iOther._deriv;
  _valueInterval = iOther._valueInterval;
  _valueImage = iOther._valueImage;
  _derivInterval = iOther._derivInterval;
  _derivImage = iOther._derivImage;
}

long XelMathSingleMemoryX::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathSingleMemoryX::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathSingleMemoryX, XelMathFunctionX);

XelMathDefineTypeId(XelMathSingleMemoryX, XelMathFunctionX, XelMathTypeId::SingleMemory);

unsigned char XelMathSingleMemoryX::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

XelMathDefineComponents(XelMathSingleMemoryX, 1, &_function);

// ==== point evaluations ==================================================================
double XelMathSingleMemoryX::Eval(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  if (x != _valuePoint) {
    _value = _function->Eval(x);
    _valuePoint = x;
  }
  return _value;
}

double XelMathSingleMemoryX::EvalFirstDeriv(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  if (x != _derivPoint) {
    _deriv = _function->EvalFirstDeriv(x);
    _derivPoint = x;
  }
  return _deriv;
}

double XelMathSingleMemoryX::EvalSecondDeriv(const double& x) const {
  return _function ? _function->EvalSecondDeriv(x) : XelMathInfinite;
}

double XelMathSingleMemoryX::EvalThirdDeriv(const double& x) const {
  return _function ? _function->EvalThirdDeriv(x) : XelMathInfinite;
}

void XelMathSingleMemoryX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                double* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
  if (!_function) {
    SetAsked(wantF, wantF1, wantF2, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  // Ask f only for what the caches cannot serve.
  const bool askF = wantF && x != _valuePoint, askF1 = wantF1 && x != _derivPoint;
  const long options = (askF ? 1 : 0) | (askF1 ? 2 : 0) | (wantF2 ? XelMathOption::SecondDeriv : 0);
  if (options) {
    double v = 0.0, d1 = 0.0, d2 = 0.0;
    _function->Eval(x, options, &v, &d1, &d2);
    if (askF) {
      _value = v;
      _valuePoint = x;
    }
    if (askF1) {
      _deriv = d1;
      _derivPoint = x;
    }
    if (wantF2)
      *oF2 = d2;
  }
  if (wantF)
    *oF = _value;
  if (wantF1)
    *oF1 = _deriv;
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathSingleMemoryX::Eval(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  if (!SameInterval(iI, _valueInterval)) {
    _valueImage = _function->Eval(iI);
    _valueInterval = iI;
  }
  return _valueImage;
}

XelMathInterval XelMathSingleMemoryX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  if (!SameInterval(iI, _derivInterval)) {
    _derivImage = _function->EvalFirstDeriv(iI);
    _derivInterval = iI;
  }
  return _derivImage;
}

XelMathInterval XelMathSingleMemoryX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return _function ? _function->EvalSecondDeriv(iI) : Zero();
}

XelMathInterval XelMathSingleMemoryX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return _function ? _function->EvalThirdDeriv(iI) : Zero();
}

void XelMathSingleMemoryX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                                XelMathInterval* oF1, XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  if (!_function) {
    SetAsked(wantF, wantF1, wantF2, Zero(), oF, oF1, oF2);
    return;
  }
  const bool askF = wantF && !SameInterval(iI, _valueInterval),
             askF1 = wantF1 && !SameInterval(iI, _derivInterval);
  const long options =
      (askF ? 16 : 0) | (askF1 ? 32 : 0) | (wantF2 ? XelMathOption::SecondDerivImage : 0);
  if (options) {
    XelMathInterval v, d1, d2;
    _function->Eval(iI, options, &v, &d1, &d2);
    if (askF) {
      _valueImage = v;
      _valueInterval = iI;
    }
    if (askF1) {
      _derivImage = d1;
      _derivInterval = iI;
    }
    if (wantF2)
      *oF2 = d2;
  }
  if (wantF)
    *oF = _valueImage;
  if (wantF1)
    *oF1 = _derivImage;
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathSingleMemoryX::Duplicate() const {
  return new XelMathSingleMemoryX(*this);
}

XelMathFunctionX* XelMathSingleMemoryX::DeepDuplicate() const {
  return WrapDeepCopy(_function, [this](XelMathFunctionX* iCopy) {
    XelMathSingleMemoryXDel* result = new XelMathSingleMemoryXDel(iCopy, _valuePoint);
    result->CopyCaches(*this);
    return result;
  });
}

// ==== owning variant =====================================================================
XelMathSingleMemoryXDel::XelMathSingleMemoryXDel(XelMathFunctionX* iF, const double x0)
    : XelMathSingleMemoryX(iF, x0) {}

XelMathSingleMemoryXDel::~XelMathSingleMemoryXDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariant(XelMathSingleMemoryXDel, XelMathSingleMemoryX);
