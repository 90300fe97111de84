#include "XelMathDefinitionMemoryX.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

XelMathDefinitionMemoryX::XelMathDefinitionMemoryX()
    : _function(nullptr), _min(0.0), _max(1.0), _image(Zero()), _derivImage(Zero()) {}

XelMathDefinitionMemoryX::XelMathDefinitionMemoryX(const XelMathFunctionX* iF,
                                                   const XelMathInterval& iI)
    : _function(nullptr), _min(0.0), _max(1.0), _image(Zero()), _derivImage(Zero()) {
  XelMathDefinitionMemoryX::Set(iF, iI);
}

XelMathDefinitionMemoryX::~XelMathDefinitionMemoryX() = default;

void XelMathDefinitionMemoryX::Set(const XelMathFunctionX* iF, const XelMathInterval& iI) {
  _function = iF;
  _min = iI.low;
  _max = iI.high;
  _image = _function ? _function->Eval(iI) : Zero();
  _derivImage = _function ? _function->EvalFirstDeriv(iI) : Zero();
}

void XelMathDefinitionMemoryX::CopyDefinition(const XelMathDefinitionMemoryX& iOther) {
  _min = iOther._min;
  _max = iOther._max;
  _image = iOther._image;
  _derivImage = iOther._derivImage;
}

XelMathDefineIdentity(XelMathDefinitionMemoryX, XelMathFunctionX);

XelMathDefineTypeId(XelMathDefinitionMemoryX, XelMathFunctionX, XelMathTypeId::DefinitionMemory);

unsigned char XelMathDefinitionMemoryX::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

int XelMathDefinitionMemoryX::GetDirectComponents(
    const int iSize, const XelMathFunctionGeneral** oComponents) const {
  return ListComponents(1, &_function, iSize, oComponents);
}

// ==== point evaluations: forwarded =======================================================
double XelMathDefinitionMemoryX::Eval(const double& x) const {
  return _function ? _function->Eval(x) : XelMathInfinite;
}

double XelMathDefinitionMemoryX::EvalFirstDeriv(const double& x) const {
  return _function ? _function->EvalFirstDeriv(x) : XelMathInfinite;
}

double XelMathDefinitionMemoryX::EvalSecondDeriv(const double& x) const {
  return _function ? _function->EvalSecondDeriv(x) : XelMathInfinite;
}

double XelMathDefinitionMemoryX::EvalThirdDeriv(const double& x) const {
  return _function ? _function->EvalThirdDeriv(x) : XelMathInfinite;
}

void XelMathDefinitionMemoryX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                    double* oF2) const {
  if (_function) {
    _function->Eval(x, iOptions, oF, oF1, oF2);
    return;
  }
  if (oF && (iOptions & XelMathOption::Value))
    *oF = XelMathInfinite;
  if (oF1 && (iOptions & XelMathOption::FirstDeriv))
    *oF1 = XelMathInfinite;
  if (oF2 && (iOptions & XelMathOption::SecondDeriv))
    *oF2 = XelMathInfinite;
}

void XelMathDefinitionMemoryX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                          double* oF, double* oF1, double* oF2) const {
  if (_function) {
    _function->EvalPoints(iN, iX, iOptions, oF, oF1, oF2);
    return;
  }
  if (iN >= 1)
    XelMathBatch::Fill(XelMathBatch::Asked(iOptions, oF, oF1, oF2), iN, XelMathInfinite, oF, oF1,
                       oF2);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathDefinitionMemoryX::Eval(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  return IsDefinitionInterval(iI) ? _image : _function->Eval(iI);
}

XelMathInterval XelMathDefinitionMemoryX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  return IsDefinitionInterval(iI) ? _derivImage : _function->EvalFirstDeriv(iI);
}

XelMathInterval XelMathDefinitionMemoryX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return _function ? _function->EvalSecondDeriv(iI) : Zero();
}

XelMathInterval XelMathDefinitionMemoryX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return _function ? _function->EvalThirdDeriv(iI) : Zero();
}

void XelMathDefinitionMemoryX::Eval(const XelMathInterval& iI, const long iOptions,
                                    XelMathInterval* oF, XelMathInterval* oF1,
                                    XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  if (!_function || !IsDefinitionInterval(iI)) {
    if (_function) {
      _function->Eval(iI, iOptions, oF, oF1, oF2);
      return;
    }
    SetAsked(wantF, wantF1, wantF2, Zero(), oF, oF1, oF2);
    return;
  }
  if (wantF)
    *oF = _image;
  if (wantF1)
    *oF1 = _derivImage;
  if (wantF2)
    *oF2 = _function->EvalSecondDeriv(iI);
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathDefinitionMemoryX::Duplicate() const {
  XelMathDefinitionMemoryX* copy = new XelMathDefinitionMemoryX();
  copy->_function = _function;
  copy->CopyDefinition(*this);
  return copy;
}

XelMathFunctionX* XelMathDefinitionMemoryX::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionX> f(_function ? _function->DeepDuplicate() : nullptr);
  // Built on no function, then given the copy and the stored images (no re-evaluation).
  XelMathDefinitionMemoryXDel* copy =
      new XelMathDefinitionMemoryXDel(nullptr, XelMathInterval(_min, _max));
  copy->_function = f.release();
  copy->CopyDefinition(*this);
  return copy;
}

// ==== owning variant =====================================================================
XelMathDefinitionMemoryXDel::XelMathDefinitionMemoryXDel(XelMathFunctionX* iF,
                                                         const XelMathInterval& iI)
    : XelMathDefinitionMemoryX(iF, iI) {}

XelMathDefinitionMemoryXDel::~XelMathDefinitionMemoryXDel() {
  delete _function;
  _function = nullptr;
}

void XelMathDefinitionMemoryXDel::Set(const XelMathFunctionX* iF, const XelMathInterval& iI) {
  if (_function != iF)
    delete _function;
  _function = nullptr;
  XelMathDefinitionMemoryX::Set(iF, iI);
}

XelMathDefineOwningVariant(XelMathDefinitionMemoryXDel, XelMathDefinitionMemoryX);
