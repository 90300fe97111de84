#include "XelMathDefinitionMemoryXY.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathIntervalND.h"
#include "XelTolerance.h"

using namespace XelMathComposite;

namespace {
// Writes iValue to the outputs of the bits iBits[i] that iDiff holds and whose pointer is
// given.
template <class T>
void FillAsked(const long iDiff, const long* iBits, T* const* oOutputs, const T& iValue) {
  for (int i = 0; i < 6; i++)
    if (oOutputs[i] && (iDiff & iBits[i]))
      *oOutputs[i] = iValue;
}
const long PointBits[6] = {XelMathOption::Value,       XelMathOption::FirstDeriv,
                           XelMathOption::FirstDeriv,  XelMathOption::SecondDeriv,
                           XelMathOption::SecondDeriv, XelMathOption::SecondDeriv};
const long ImageBits[6] = {XelMathOption::Image,
                           XelMathOption::FirstDerivImage,
                           XelMathOption::FirstDerivImage,
                           XelMathOption::SecondDerivImage,
                           XelMathOption::SecondDerivImage,
                           XelMathOption::SecondDerivImage};

} // namespace

XelMathDefinitionMemoryXY::XelMathDefinitionMemoryXY(const XelTolerance& iTol)
    : _function(nullptr), _tolerance(&iTol), _minU(0.0), _widthU(1.0), _minV(0.0), _widthV(1.0),
      _maxU(1.0), _maxV(1.0), _hasImage(false), _hasDerivImages(false), _image(Zero()),
      _derivImageX(Zero()), _derivImageY(Zero()) {}

XelMathDefinitionMemoryXY::XelMathDefinitionMemoryXY(const XelMathFunctionXY* iF,
                                                     const XelMathInterval& iI,
                                                     const XelMathInterval& iJ,
                                                     const XelTolerance& iTol)
    : XelMathDefinitionMemoryXY(iTol) {
  XelMathDefinitionMemoryXY::Set(iF, iI, iJ);
}

XelMathDefinitionMemoryXY::~XelMathDefinitionMemoryXY() = default;

void XelMathDefinitionMemoryXY::Set(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                                    const XelMathInterval& iJ) {
  _function = iF;
  _minU = iI.low;
  _maxU = iI.high;
  _widthU = iI.high - iI.low;
  _minV = iJ.low;
  _maxV = iJ.high;
  _widthV = iJ.high - iJ.low;
  _hasImage = _hasDerivImages = false;
  _image = _derivImageX = _derivImageY = Zero();
}

void XelMathDefinitionMemoryXY::CopyDefinition(const XelMathDefinitionMemoryXY& iOther) {
  _minU = iOther._minU;
  _widthU = iOther._widthU;
  _minV = iOther._minV;
  _widthV = iOther._widthV;
  _maxU = iOther._maxU;
  _maxV = iOther._maxV;
  _hasImage = iOther._hasImage;
  _hasDerivImages = iOther._hasDerivImages;
  _image = iOther._image;
  _derivImageX = iOther._derivImageX;
  _derivImageY = iOther._derivImageY;
}

long XelMathDefinitionMemoryXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathDefinitionMemoryXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathDefinitionMemoryXY, XelMathFunctionXY);

unsigned char XelMathDefinitionMemoryXY::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

int XelMathDefinitionMemoryXY::GetDirectComponents(
    const int iSize, const XelMathFunctionGeneral** oComponents) const {
  if (iSize > 0)
    oComponents[0] = _function;
  return 1;
}

// ==== point evaluations: forwarded =======================================================
double XelMathDefinitionMemoryXY::Eval(const double& x, const double& y) const {
  return _function ? _function->Eval(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalFirstDerivX(const double& x, const double& y) const {
  return _function ? _function->EvalFirstDerivX(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalFirstDerivY(const double& x, const double& y) const {
  return _function ? _function->EvalFirstDerivY(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return _function ? _function->EvalSecondDerivX2(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return _function ? _function->EvalSecondDerivXY(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return _function ? _function->EvalSecondDerivY2(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivX3(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivX2Y(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivXY2(x, y) : XelMathInfinite;
}

double XelMathDefinitionMemoryXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return _function ? _function->EvalThirdDerivY3(x, y) : XelMathInfinite;
}

void XelMathDefinitionMemoryXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                                   double& oFx, double& oFy, double& oFxx,
                                                   double& oFxy, double& oFyy, double& oFxxx,
                                                   double& oFxxy, double& oFxyy,
                                                   double& oFyyy) const {
  if (_function) {
    _function->EvalUpToThirdDeriv(x, y, oF, oFx, oFy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
    return;
  }
  oF = oFx = oFy = oFxx = oFxy = oFyy = oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
}

void XelMathDefinitionMemoryXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                                   double& oFxxy, double& oFxyy,
                                                   double& oFyyy) const {
  if (_function) {
    _function->EvalAllThirdDerivs(x, y, oFxxx, oFxxy, oFxyy, oFyyy);
    return;
  }
  oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
}

void XelMathDefinitionMemoryXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                     double* oFx, double* oFy, double* oFxx, double* oFxy,
                                     double* oFyy) const {
  if (_function) {
    _function->Eval(x, y, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
    return;
  }
  double* const outputs[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
  FillAsked(iDiff, PointBits, outputs, XelMathInfinite);
}

void XelMathDefinitionMemoryXY::Eval(const XelMathIntervalND& iBox, const long* iCounts,
                                     const long iDiff, double* oF, double* oFx, double* oFy,
                                     double* oFxx, double* oFxy, double* oFyy) const {
  if (_function) {
    _function->Eval(iBox, iCounts, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
    return;
  }
  XelMathFunctionXY::Eval(iBox, iCounts, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

void XelMathDefinitionMemoryXY::EvalGrid(const long iNX, const double* iX, const long iNY,
                                         const double* iY, const long iDiff, double* oF,
                                         double* oFx, double* oFy) const {
  if (_function) {
    _function->EvalGrid(iNX, iX, iNY, iY, iDiff, oF, oFx, oFy);
    return;
  }
  XelMathFunctionXY::EvalGrid(iNX, iX, iNY, iY, iDiff, oF, oFx, oFy);
}

// ==== interval evaluations: the definition box from the stored images ==================
const XelMathInterval& XelMathDefinitionMemoryXY::StoredImage() const {
  if (!_hasImage) {
    const XelMathInterval I(_minU, _maxU), J(_minV, _maxV);
    _image = _function->Eval(I, J, _tolerance ? *_tolerance : XelGetDefaultTolerance());
    _hasImage = true;
  }
  return _image;
}

void XelMathDefinitionMemoryXY::StoreDerivativeImages() const {
  if (_hasDerivImages)
    return;
  const XelMathInterval I(_minU, _maxU), J(_minV, _maxV);
  _derivImageX = _function->EvalFirstDerivX(I, J);
  _derivImageY = _function->EvalFirstDerivY(I, J);
  _hasDerivImages = true;
}

XelMathInterval XelMathDefinitionMemoryXY::Eval(const XelMathInterval& iI,
                                                const XelMathInterval& iJ,
                                                const XelTolerance& iTol) const {
  if (!_function)
    return Zero();
  return IsDefinitionBox(iI, iJ) ? StoredImage() : _function->Eval(iI, iJ, iTol);
}

XelMathInterval XelMathDefinitionMemoryXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                           const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  if (!IsDefinitionBox(iI, iJ))
    return _function->EvalFirstDerivX(iI, iJ);
  StoreDerivativeImages();
  return _derivImageX;
}

XelMathInterval XelMathDefinitionMemoryXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                           const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  if (!IsDefinitionBox(iI, iJ))
    return _function->EvalFirstDerivY(iI, iJ);
  StoreDerivativeImages();
  return _derivImageY;
}

XelMathInterval XelMathDefinitionMemoryXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                             const XelMathInterval& iJ) const {
  return _function ? _function->EvalSecondDerivX2(iI, iJ) : Zero();
}

XelMathInterval XelMathDefinitionMemoryXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                             const XelMathInterval& iJ) const {
  return _function ? _function->EvalSecondDerivXY(iI, iJ) : Zero();
}

XelMathInterval XelMathDefinitionMemoryXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                             const XelMathInterval& iJ) const {
  return _function ? _function->EvalSecondDerivY2(iI, iJ) : Zero();
}

void XelMathDefinitionMemoryXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                     const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                                     XelMathInterval* oFy, XelMathInterval* oFxx,
                                     XelMathInterval* oFxy, XelMathInterval* oFyy,
                                     const XelTolerance& iTol) const {
  if (!_function) {
    XelMathInterval* const outputs[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
    FillAsked(iDiff, ImageBits, outputs, Zero());
    return;
  }
  if (!IsDefinitionBox(iI, iJ)) {
    _function->Eval(iI, iJ, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy, iTol);
    return;
  }
  if (iDiff & XelMathOption::SecondDerivImage)
    _function->Eval(iI, iJ, XelMathOption::SecondDerivImage, nullptr, nullptr, nullptr, oFxx, oFxy,
                    oFyy, iTol);
  if ((iDiff & XelMathOption::FirstDerivImage) && (oFx || oFy)) {
    StoreDerivativeImages();
    if (oFx)
      *oFx = _derivImageX;
    if (oFy)
      *oFy = _derivImageY;
  }
  if ((iDiff & XelMathOption::Image) && oF)
    *oF = StoredImage();
}

XelMathInterval XelMathDefinitionMemoryXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                               const XelMathInterval& iJ,
                                                               const XelTolerance& iTol) const {
  return _function ? _function->ComputeOptimalImage(iI, iJ, iTol) : Zero();
}

// ==== copies =============================================================================
XelMathFunctionXY* XelMathDefinitionMemoryXY::Duplicate() const {
  XelMathDefinitionMemoryXY* copy = new XelMathDefinitionMemoryXY(*_tolerance);
  copy->_function = _function;
  copy->CopyDefinition(*this);
  return copy;
}

XelMathFunctionXY* XelMathDefinitionMemoryXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> f(_function ? _function->DeepDuplicate() : nullptr);
  XelMathDefinitionMemoryXYDel* copy = new XelMathDefinitionMemoryXYDel(*_tolerance);
  copy->_function = f.release();
  copy->CopyDefinition(*this);
  return copy;
}

// ==== owning variant =====================================================================
XelMathDefinitionMemoryXYDel::XelMathDefinitionMemoryXYDel(const XelTolerance& iTol)
    : XelMathDefinitionMemoryXY(iTol) {}

XelMathDefinitionMemoryXYDel::XelMathDefinitionMemoryXYDel(XelMathFunctionXY* iF,
                                                           const XelMathInterval& iI,
                                                           const XelMathInterval& iJ,
                                                           const XelTolerance& iTol)
    : XelMathDefinitionMemoryXY(iF, iI, iJ, iTol) {}

XelMathDefinitionMemoryXYDel::~XelMathDefinitionMemoryXYDel() {
  delete _function;
  _function = nullptr;
}

void XelMathDefinitionMemoryXYDel::Set(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                                       const XelMathInterval& iJ) {
  if (_function != iF)
    delete _function;
  _function = nullptr;
  XelMathDefinitionMemoryXY::Set(iF, iI, iJ);
}

XelMathDefineOwningVariantXY(XelMathDefinitionMemoryXYDel, XelMathDefinitionMemoryXY);
