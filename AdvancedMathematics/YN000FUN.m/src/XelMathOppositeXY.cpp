#include "XelMathOppositeXY.h"

#include <memory>

#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathWrapperToolsXY.h"

using namespace XelMathWrapperXY;
using XelMathElementary::Neg;
using XelMathElementary::Zero;

XelMathOppositeXY::XelMathOppositeXY(const XelMathFunctionXY* iF) : _function(iF) {}

XelMathOppositeXY::~XelMathOppositeXY() = default;

long XelMathOppositeXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathOppositeXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathOppositeXY, XelMathFunctionXY);

unsigned char XelMathOppositeXY::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

int XelMathOppositeXY::GetDirectComponents(const int iSize,
                                           const XelMathFunctionGeneral** oComponents) const {
  return ListComponents(1, &_function, iSize, oComponents);
}

// ==== point evaluations ==================================================================
double XelMathOppositeXY::Eval(const double& x, const double& y) const {
  return _function ? -_function->Eval(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalFirstDerivX(const double& x, const double& y) const {
  return _function ? -_function->EvalFirstDerivX(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalFirstDerivY(const double& x, const double& y) const {
  return _function ? -_function->EvalFirstDerivY(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return _function ? -_function->EvalSecondDerivX2(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return _function ? -_function->EvalSecondDerivXY(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return _function ? -_function->EvalSecondDerivY2(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return _function ? -_function->EvalThirdDerivX3(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return _function ? -_function->EvalThirdDerivX2Y(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return _function ? -_function->EvalThirdDerivXY2(x, y) : XelMathInfinite;
}

double XelMathOppositeXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return _function ? -_function->EvalThirdDerivY3(x, y) : XelMathInfinite;
}

void XelMathOppositeXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                           double& oFx, double& oFy, double& oFxx, double& oFxy,
                                           double& oFyy, double& oFxxx, double& oFxxy,
                                           double& oFxyy, double& oFyyy) const {
  const Jet j = _function ? JetAt(_function, x, y, 3) : Uniform(-XelMathInfinite);
  oF = -j.f;
  oFx = -j.fx;
  oFy = -j.fy;
  oFxx = -j.fxx;
  oFxy = -j.fxy;
  oFyy = -j.fyy;
  oFxxx = -j.fxxx;
  oFxxy = -j.fxxy;
  oFxyy = -j.fxyy;
  oFyyy = -j.fyyy;
}

void XelMathOppositeXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                           double& oFxxy, double& oFxyy, double& oFyyy) const {
  if (!_function) {
    oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  _function->EvalAllThirdDerivs(x, y, oFxxx, oFxxy, oFxyy, oFyyy);
  oFxxx = -oFxxx;
  oFxxy = -oFxxy;
  oFxyy = -oFxyy;
  oFyyy = -oFyyy;
}

void XelMathOppositeXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                             double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  if (AskedPointOrder(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy) < 0)
    return;
  Jet j = Uniform(-XelMathInfinite);
  if (_function)
    _function->Eval(x, y, iDiff & XelMathOption::PointUpToSecond, &j.f, &j.fx, &j.fy, &j.fxx,
                    &j.fxy, &j.fyy);
  Jet h;
  h.f = -j.f;
  h.fx = -j.fx;
  h.fy = -j.fy;
  h.fxx = -j.fxx;
  h.fxy = -j.fxy;
  h.fyy = -j.fyy;
  StoreJet(iDiff, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathOppositeXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                        const XelTolerance& iTol) const {
  return _function ? Neg(_function->Eval(iI, iJ, iTol)) : Zero();
}

XelMathInterval XelMathOppositeXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                   const XelMathInterval& iJ) const {
  return _function ? Neg(_function->EvalFirstDerivX(iI, iJ)) : Zero();
}

XelMathInterval XelMathOppositeXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                   const XelMathInterval& iJ) const {
  return _function ? Neg(_function->EvalFirstDerivY(iI, iJ)) : Zero();
}

XelMathInterval XelMathOppositeXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ) const {
  return _function ? Neg(_function->EvalSecondDerivX2(iI, iJ)) : Zero();
}

XelMathInterval XelMathOppositeXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ) const {
  return _function ? Neg(_function->EvalSecondDerivXY(iI, iJ)) : Zero();
}

XelMathInterval XelMathOppositeXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ) const {
  return _function ? Neg(_function->EvalSecondDerivY2(iI, iJ)) : Zero();
}

void XelMathOppositeXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                             const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                             XelMathInterval* oFy, XelMathInterval* oFxx, XelMathInterval* oFxy,
                             XelMathInterval* oFyy, const XelTolerance& iTol) const {
  const long asked = AskedImages(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (!asked)
    return;
  Images h{Zero(), Zero(), Zero(), Zero(), Zero(), Zero()};
  if (_function) {
    const Images f = ImagesOf(_function, iI, iJ, asked, iTol);
    h = Images{Neg(f.f), Neg(f.fx), Neg(f.fy), Neg(f.fxx), Neg(f.fxy), Neg(f.fyy)};
  }
  StoreImages(asked, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== analyses and copies ================================================================
int XelMathOppositeXY::Maximize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                                const XelMathAttrList* iAttributes) const {
  if (!_function) {
    oPoints.Reset();
    return XelMathStatus::Refused;
  }
  return MinimizeWithOppositeLimit(_function, iDomain, oPoints, iAttributes);
}

XelMathFunctionXY* XelMathOppositeXY::Duplicate() const {
  return new XelMathOppositeXY(_function);
}

XelMathFunctionXY* XelMathOppositeXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> copy(_function ? _function->DeepDuplicate() : nullptr);
  XelMathFunctionXY* owner = new XelMathOppositeXYDel(copy.get());
  copy.release();
  return owner;
}

// ==== owning variant =====================================================================
XelMathOppositeXYDel::XelMathOppositeXYDel(XelMathFunctionXY* iF) : XelMathOppositeXY(iF) {}

XelMathOppositeXYDel::~XelMathOppositeXYDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariantXY(XelMathOppositeXYDel, XelMathOppositeXY);
