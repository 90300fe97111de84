#include "XelMathScaleFunctionXY.h"

#include <memory>

#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathWrapperToolsXY.h"

using namespace XelMathWrapperXY;
using XelMathElementary::Scale;
using XelMathElementary::Zero;

namespace {
/// b I, ends swapped when b < 0.
XelMathInterval ScaledArgument(const double b, const XelMathInterval& iI) {
  if (b >= 0.0)
    return XelMathInterval(b * iI.low, b * iI.high);
  return XelMathInterval(b * iI.high, b * iI.low);
}
} // namespace

XelMathScaleFunctionXY::XelMathScaleFunctionXY(const XelMathFunctionXY* iF, const double iSF,
                                               const double iSX, const double iSY)
    : _function(iF), _sF(iSF), _sX(iSX), _sY(iSY), _reviewed(0) {}

XelMathScaleFunctionXY::~XelMathScaleFunctionXY() = default;

long XelMathScaleFunctionXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathScaleFunctionXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathScaleFunctionXY, XelMathFunctionXY);

unsigned char XelMathScaleFunctionXY::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

int XelMathScaleFunctionXY::GetDirectComponents(const int iSize,
                                                const XelMathFunctionGeneral** oComponents) const {
  return ListComponents(1, &_function, iSize, oComponents);
}

// ==== point evaluations: sF sX^a sY^b f_(a,b)(sX x, sY y) ================================
double XelMathScaleFunctionXY::Eval(const double& x, const double& y) const {
  return _function ? _sF * _function->Eval(_sX * x, _sY * y) : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalFirstDerivX(const double& x, const double& y) const {
  return _function ? _sF * _sX * _function->EvalFirstDerivX(_sX * x, _sY * y) : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalFirstDerivY(const double& x, const double& y) const {
  return _function ? _sF * _sY * _function->EvalFirstDerivY(_sX * x, _sY * y) : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return _function ? _sF * _sX * _sX * _function->EvalSecondDerivX2(_sX * x, _sY * y)
                   : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return _function ? _sF * _sX * _sY * _function->EvalSecondDerivXY(_sX * x, _sY * y)
                   : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return _function ? _sF * _sY * _sY * _function->EvalSecondDerivY2(_sX * x, _sY * y)
                   : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return _function ? _sF * _sX * _sX * _sX * _function->EvalThirdDerivX3(_sX * x, _sY * y)
                   : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return _function ? _sF * _sX * _sX * _sY * _function->EvalThirdDerivX2Y(_sX * x, _sY * y)
                   : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return _function ? _sF * _sX * _sY * _sY * _function->EvalThirdDerivXY2(_sX * x, _sY * y)
                   : XelMathInfinite;
}

double XelMathScaleFunctionXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return _function ? _sF * _sY * _sY * _sY * _function->EvalThirdDerivY3(_sX * x, _sY * y)
                   : XelMathInfinite;
}

void XelMathScaleFunctionXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                                double& oFx, double& oFy, double& oFxx,
                                                double& oFxy, double& oFyy, double& oFxxx,
                                                double& oFxxy, double& oFxyy,
                                                double& oFyyy) const {
  if (!_function) {
    oF = oFx = oFy = oFxx = oFxy = oFyy = oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  const Jet j = JetAt(_function, _sX * x, _sY * y, 3);
  const double a = _sF, b = _sX, c = _sY;
  oF = a * j.f;
  oFx = a * b * j.fx;
  oFy = a * c * j.fy;
  oFxx = a * b * b * j.fxx;
  oFxy = a * b * c * j.fxy;
  oFyy = a * c * c * j.fyy;
  oFxxx = a * b * b * b * j.fxxx;
  oFxxy = a * b * b * c * j.fxxy;
  oFxyy = a * b * c * c * j.fxyy;
  oFyyy = a * c * c * c * j.fyyy;
}

void XelMathScaleFunctionXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                                double& oFxxy, double& oFxyy,
                                                double& oFyyy) const {
  if (!_function) {
    oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  _function->EvalAllThirdDerivs(_sX * x, _sY * y, oFxxx, oFxxy, oFxyy, oFyyy);
  const double a = _sF, b = _sX, c = _sY;
  oFxxx *= a * b * b * b;
  oFxxy *= a * b * b * c;
  oFxyy *= a * b * c * c;
  oFyyy *= a * c * c * c;
}

void XelMathScaleFunctionXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                  double* oFx, double* oFy, double* oFxx, double* oFxy,
                                  double* oFyy) const {
  if (AskedPointOrder(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy) < 0)
    return;
  Jet h = Uniform(XelMathInfinite);
  if (_function) {
    Jet j;
    _function->Eval(_sX * x, _sY * y, iDiff & XelMathOption::PointUpToSecond, &j.f, &j.fx, &j.fy,
                    &j.fxx, &j.fxy, &j.fyy);
    const double a = _sF, b = _sX, c = _sY;
    h.f = a * j.f;
    h.fx = a * b * j.fx;
    h.fy = a * c * j.fy;
    h.fxx = a * b * b * j.fxx;
    h.fxy = a * b * c * j.fxy;
    h.fyy = a * c * c * j.fyy;
  }
  StoreJet(iDiff, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathScaleFunctionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                             const XelTolerance& iTol) const {
  if (!_function)
    return Zero();
  return Scale(_sF, _function->Eval(ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ), iTol));
}

XelMathInterval XelMathScaleFunctionXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return Scale(_sF * _sX,
               _function->EvalFirstDerivX(ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ)));
}

XelMathInterval XelMathScaleFunctionXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return Scale(_sF * _sY,
               _function->EvalFirstDerivY(ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ)));
}

XelMathInterval XelMathScaleFunctionXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return Scale(_sF * _sX * _sX,
               _function->EvalSecondDerivX2(ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ)));
}

XelMathInterval XelMathScaleFunctionXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return Scale(_sF * _sX * _sY,
               _function->EvalSecondDerivXY(ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ)));
}

XelMathInterval XelMathScaleFunctionXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return Scale(_sF * _sY * _sY,
               _function->EvalSecondDerivY2(ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ)));
}

void XelMathScaleFunctionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                  const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                                  XelMathInterval* oFy, XelMathInterval* oFxx,
                                  XelMathInterval* oFxy, XelMathInterval* oFyy,
                                  const XelTolerance& iTol) const {
  const long asked = AskedImages(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (!asked)
    return;
  Images h{Zero(), Zero(), Zero(), Zero(), Zero(), Zero()};
  if (_function) {
    const Images f =
        ImagesOf(_function, ScaledArgument(_sX, iI), ScaledArgument(_sY, iJ), asked, iTol);
    const double a = _sF, b = _sX, c = _sY;
    h = Images{Scale(a, f.f),         Scale(a * b, f.fx),     Scale(a * c, f.fy),
               Scale(a * b * b, f.fxx), Scale(a * b * c, f.fxy), Scale(a * c * c, f.fyy)};
  }
  StoreImages(asked, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== copies and domains =================================================================
XelMathFunctionXY* XelMathScaleFunctionXY::Duplicate() const {
  XelMathScaleFunctionXY* copy = new XelMathScaleFunctionXY(_function, _sF, _sX, _sY);
  copy->_reviewed = _reviewed;
  return copy;
}

XelMathFunctionXY* XelMathScaleFunctionXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> copy(_function ? _function->DeepDuplicate() : nullptr);
  XelMathScaleFunctionXYDel* owner = new XelMathScaleFunctionXYDel(copy.get(), _sF, _sX, _sY);
  copy.release();
  owner->_reviewed = _reviewed;
  return owner;
}

void XelMathScaleFunctionXY::ComputeScaledDomain(const XelMathInterval2D& iDomain,
                                                 XelMathInterval2D& oScaled) const {
  // x = X / s for each bound; a negative factor reverses the interval.
  const auto scaled = [](const XelMathInterval& iI, const double iS) {
    const double a = iI.low / iS, b = iI.high / iS;
    return iS < 0.0 ? XelMathInterval(b, a) : XelMathInterval(a, b);
  };
  const XelMathInterval x = scaled(iDomain.GetX(), _sX), y = scaled(iDomain.GetY(), _sY);
  oScaled = XelMathInterval2D(x, y);
}

void XelMathScaleFunctionXY::ComputeUnScaledRoots(const XelMathSetOfPointsND& iRoots,
                                                  XelMathSetOfPointsND& oRoots) const {
  oRoots.Reset();
  const long dim = iRoots.GetDimension(), nb = iRoots.GetNumberOfPoints();
  const double* points = iRoots.GetPoints();
  XelMathScratchDoubles<16> p(dim);
  for (long i = 0; i < nb; i++) {
    for (long k = 0; k < dim; k++)
      p[k] = points[i * dim + k] * (k == 0 ? _sX : k == 1 ? _sY : 1.0);
    oRoots.AddPoint(p.Data());
  }
}

// ==== owning variant =====================================================================
XelMathScaleFunctionXYDel::XelMathScaleFunctionXYDel(XelMathFunctionXY* iF, const double iSF,
                                                     const double iSX, const double iSY)
    : XelMathScaleFunctionXY(iF, iSF, iSX, iSY) {}

XelMathScaleFunctionXYDel::~XelMathScaleFunctionXYDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariantXY(XelMathScaleFunctionXYDel, XelMathScaleFunctionXY);
