#include "XelMathDerivFunctionXY.h"

#include <memory>

#include "XelMathConstants.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathWrapperToolsXY.h"

using namespace XelMathWrapperXY;
using XelMathElementary::Zero;

namespace {
/// The jet of h = f_v up to the second order from the jet of f up to the third.
Jet ShiftedJet(const Jet& iF, const long iVariable) {
  Jet h;
  if (iVariable == 0) {
    h.f = iF.fx;
    h.fx = iF.fxx;
    h.fy = iF.fxy;
    h.fxx = iF.fxxx;
    h.fxy = iF.fxxy;
    h.fyy = iF.fxyy;
  } else {
    h.f = iF.fy;
    h.fx = iF.fxy;
    h.fy = iF.fyy;
    h.fxx = iF.fxxy;
    h.fxy = iF.fxyy;
    h.fyy = iF.fyyy;
  }
  return h;
}

/// The point (x, y) moved by iStep along the variable iVariable.
void Moved(const double x, const double y, const long iVariable, const double iStep, double& oX,
           double& oY) {
  oX = iVariable == 0 ? x + iStep : x;
  oY = iVariable == 0 ? y : y + iStep;
}

/// The four fourth derivatives of f differentiated once more along iVariable: the centred
/// differences of f's third derivatives with step XelMathh3.
void FourthAlong(const XelMathFunctionXY* iF, const long iVariable, const double x, const double y,
                 double& oXXX, double& oXXY, double& oXYY, double& oYYY) {
  double xp, yp, xm, ym;
  Moved(x, y, iVariable, XelMathh3, xp, yp);
  Moved(x, y, iVariable, -XelMathh3, xm, ym);
  double p[4], m[4];
  iF->EvalAllThirdDerivs(xp, yp, p[0], p[1], p[2], p[3]);
  iF->EvalAllThirdDerivs(xm, ym, m[0], m[1], m[2], m[3]);
  const double d = 2.0 * XelMathh3;
  oXXX = (p[0] - m[0]) / d;
  oXXY = (p[1] - m[1]) / d;
  oXYY = (p[2] - m[2]) / d;
  oYYY = (p[3] - m[3]) / d;
}

/// One third derivative of f differentiated once more along iVariable; iThird(f, x, y) is
/// the third derivative.
template <class Third>
double FourthAlong(const XelMathFunctionXY* iF, const long iVariable, const double x,
                   const double y, Third iThird) {
  double xp, yp, xm, ym;
  Moved(x, y, iVariable, XelMathh3, xp, yp);
  Moved(x, y, iVariable, -XelMathh3, xm, ym);
  return (iThird(iF, xp, yp) - iThird(iF, xm, ym)) / (2.0 * XelMathh3);
}
} // namespace

XelMathDerivFunctionXY::XelMathDerivFunctionXY(const XelMathFunctionXY* iF, const long iVariable)
    : _function(iF), _variable(iVariable) {
  if (iVariable != 0 && iVariable != 1)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "the derivation variable",
                 "XelMathDerivFunctionXY::XelMathDerivFunctionXY");
}

XelMathDerivFunctionXY::~XelMathDerivFunctionXY() = default;

long XelMathDerivFunctionXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathDerivFunctionXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathDerivFunctionXY, XelMathFunctionXY);

unsigned char XelMathDerivFunctionXY::IsOption(const long iOption) const {
  if (!_function)
    return 0;
  if (iOption == 0)
    return 1;
  // The k-th derivatives of h are the (k+1)-th of f: each bit moves up one place in its
  // group. f has no interval third derivatives and the fourth derivatives are differences.
  if (iOption & (XelMathOption::ThirdDeriv | XelMathOption::SecondDerivImage |
                 XelMathOption::ThirdDerivImage))
    return 0;
  const long shifted = ((iOption & XelMathOption::PointUpToSecond) << 1) |
                       ((iOption & XelMathOption::ImageAndFirst) << 1);
  return _function->IsOption(shifted);
}

int XelMathDerivFunctionXY::GetDirectComponents(const int iSize,
                                                const XelMathFunctionGeneral** oComponents) const {
  return ListComponents(1, &_function, iSize, oComponents);
}

// ==== point evaluations ==================================================================
double XelMathDerivFunctionXY::Eval(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return _variable == 0 ? _function->EvalFirstDerivX(x, y) : _function->EvalFirstDerivY(x, y);
}

double XelMathDerivFunctionXY::EvalFirstDerivX(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return _variable == 0 ? _function->EvalSecondDerivX2(x, y) : _function->EvalSecondDerivXY(x, y);
}

double XelMathDerivFunctionXY::EvalFirstDerivY(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return _variable == 0 ? _function->EvalSecondDerivXY(x, y) : _function->EvalSecondDerivY2(x, y);
}

double XelMathDerivFunctionXY::EvalSecondDerivX2(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return _variable == 0 ? _function->EvalThirdDerivX3(x, y) : _function->EvalThirdDerivX2Y(x, y);
}

double XelMathDerivFunctionXY::EvalSecondDerivXY(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return _variable == 0 ? _function->EvalThirdDerivX2Y(x, y) : _function->EvalThirdDerivXY2(x, y);
}

double XelMathDerivFunctionXY::EvalSecondDerivY2(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return _variable == 0 ? _function->EvalThirdDerivXY2(x, y) : _function->EvalThirdDerivY3(x, y);
}

double XelMathDerivFunctionXY::EvalThirdDerivX3(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return FourthAlong(_function, _variable, x, y,
                     [](const XelMathFunctionXY* f, double u, double v) {
                       return f->EvalThirdDerivX3(u, v);
                     });
}

double XelMathDerivFunctionXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return FourthAlong(_function, _variable, x, y,
                     [](const XelMathFunctionXY* f, double u, double v) {
                       return f->EvalThirdDerivX2Y(u, v);
                     });
}

double XelMathDerivFunctionXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return FourthAlong(_function, _variable, x, y,
                     [](const XelMathFunctionXY* f, double u, double v) {
                       return f->EvalThirdDerivXY2(u, v);
                     });
}

double XelMathDerivFunctionXY::EvalThirdDerivY3(const double& x, const double& y) const {
  if (!_function)
    return XelMathInfinite;
  return FourthAlong(_function, _variable, x, y,
                     [](const XelMathFunctionXY* f, double u, double v) {
                       return f->EvalThirdDerivY3(u, v);
                     });
}

void XelMathDerivFunctionXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                                double& oFx, double& oFy, double& oFxx,
                                                double& oFxy, double& oFyy, double& oFxxx,
                                                double& oFxxy, double& oFxyy,
                                                double& oFyyy) const {
  if (!_function) {
    oF = oFx = oFy = oFxx = oFxy = oFyy = oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  const Jet h = ShiftedJet(JetAt(_function, x, y, 3), _variable);
  oF = h.f;
  oFx = h.fx;
  oFy = h.fy;
  oFxx = h.fxx;
  oFxy = h.fxy;
  oFyy = h.fyy;
  FourthAlong(_function, _variable, x, y, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathDerivFunctionXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                                double& oFxxy, double& oFxyy,
                                                double& oFyyy) const {
  if (!_function) {
    oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
    return;
  }
  FourthAlong(_function, _variable, x, y, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathDerivFunctionXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                  double* oFx, double* oFy, double* oFxx, double* oFxy,
                                  double* oFyy) const {
  const int order = AskedPointOrder(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (order < 0)
    return;
  if (!_function) {
    StoreJet(iDiff, Uniform(XelMathInfinite), oF, oFx, oFy, oFxx, oFxy, oFyy);
    return;
  }
  // The derivatives of order k of h are those of order k + 1 of f: one evaluation of f.
  Jet f;
  if (order == 2) {
    f = JetAt(_function, x, y, 3);
  } else {
    const long mask = order == 0 ? XelMathOption::FirstDeriv : XelMathOption::FirstAndSecond;
    _function->Eval(x, y, mask, nullptr, &f.fx, &f.fy, &f.fxx, &f.fxy, &f.fyy);
  }
  StoreJet(iDiff, ShiftedJet(f, _variable), oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathDerivFunctionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                             const XelTolerance& iTol) const {
  if (!_function)
    return Zero();
  if (_function->IsOption(XelMathOption::FirstDerivImage))
    return _variable == 0 ? _function->EvalFirstDerivX(iI, iJ) : _function->EvalFirstDerivY(iI, iJ);
  // f has no interval derivative: the guaranteed image of h itself.
  return XelMathFunctionXY::Eval(iI, iJ, iTol);
}

XelMathInterval XelMathDerivFunctionXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return _variable == 0 ? _function->EvalSecondDerivX2(iI, iJ)
                        : _function->EvalSecondDerivXY(iI, iJ);
}

XelMathInterval XelMathDerivFunctionXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  if (!_function)
    return Zero();
  return _variable == 0 ? _function->EvalSecondDerivXY(iI, iJ)
                        : _function->EvalSecondDerivY2(iI, iJ);
}

void XelMathDerivFunctionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                  const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                                  XelMathInterval* oFy, XelMathInterval* oFxx,
                                  XelMathInterval* oFxy, XelMathInterval* oFyy,
                                  const XelTolerance& iTol) const {
  const long asked = AskedImages(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  Images h{Zero(), Zero(), Zero(), Zero(), Zero(), Zero()};
  if (_function) {
    if (asked & XelMathOption::Image)
      h.f = Eval(iI, iJ, iTol);
    if (asked & XelMathOption::FirstDerivImage) {
      h.fx = EvalFirstDerivX(iI, iJ);
      h.fy = EvalFirstDerivY(iI, iJ);
    }
  }
  StoreImages(asked, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== copies =============================================================================
XelMathFunctionXY* XelMathDerivFunctionXY::Duplicate() const {
  return new XelMathDerivFunctionXY(_function, _variable);
}

XelMathFunctionXY* XelMathDerivFunctionXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> copy(_function ? _function->DeepDuplicate() : nullptr);
  XelMathFunctionXY* owner = new XelMathDerivFunctionXYDel(copy.get(), _variable);
  copy.release();
  return owner;
}

// ==== owning variant =====================================================================
XelMathDerivFunctionXYDel::XelMathDerivFunctionXYDel(XelMathFunctionXY* iF, const long iVariable)
    : XelMathDerivFunctionXY(iF, iVariable) {}

XelMathDerivFunctionXYDel::~XelMathDerivFunctionXYDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariantXY(XelMathDerivFunctionXYDel, XelMathDerivFunctionXY);
