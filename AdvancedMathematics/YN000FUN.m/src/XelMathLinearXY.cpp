// The affine function a x + b y + c.
#include "XelMathLinearXY.h"

#include "XelError.h"
#include "XelMathElementaryTools.h"
#include "XelMathFunctionX.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathLinearX.h"

XelMathLinearXY::XelMathLinearXY(const double a, const double b, const double c)
    : _a(a), _b(b), _c(c) {}
XelMathLinearXY::~XelMathLinearXY() = default;

long XelMathLinearXY::GetDynamicMemoryBytes() const {
  return 0;
}
long XelMathLinearXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
XelMathDefineIdentity(XelMathLinearXY, XelMathFunctionXY);
XelMathDefineNoComponents(XelMathLinearXY);
unsigned char XelMathLinearXY::IsOption(const long iOption) const {
  const long exact = XelMathOption::FirstDeriv | XelMathOption::SecondDeriv |
                     XelMathOption::ThirdDeriv | XelMathOption::ImageUpToSecond;
  return (iOption & ~exact) == 0 ? 1 : 0;
}

void XelMathLinearXY::SetCoefficients(const double a, const double b, const double c) {
  _a = a;
  _b = b;
  _c = c;
}
void XelMathLinearXY::GetCoefficients(double& oA, double& oB, double& oC) const {
  oA = _a;
  oB = _b;
  oC = _c;
}

double XelMathLinearXY::Eval(const double& x, const double& y) const {
  return _a * x + _b * y + _c;
}
double XelMathLinearXY::EvalFirstDerivX(const double&, const double&) const {
  return _a;
}
double XelMathLinearXY::EvalFirstDerivY(const double&, const double&) const {
  return _b;
}
double XelMathLinearXY::EvalSecondDerivX2(const double&, const double&) const {
  return 0.0;
}
double XelMathLinearXY::EvalSecondDerivXY(const double&, const double&) const {
  return 0.0;
}
double XelMathLinearXY::EvalSecondDerivY2(const double&, const double&) const {
  return 0.0;
}
double XelMathLinearXY::EvalThirdDerivX3(const double&, const double&) const {
  return 0.0;
}
double XelMathLinearXY::EvalThirdDerivX2Y(const double&, const double&) const {
  return 0.0;
}
double XelMathLinearXY::EvalThirdDerivXY2(const double&, const double&) const {
  return 0.0;
}
double XelMathLinearXY::EvalThirdDerivY3(const double&, const double&) const {
  return 0.0;
}

void XelMathLinearXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx,
                                         double& oFy, double& oFxx, double& oFxy, double& oFyy,
                                         double& oFxxx, double& oFxxy, double& oFxyy,
                                         double& oFyyy) const {
  oF = Eval(x, y);
  oFx = _a;
  oFy = _b;
  oFxx = oFxy = oFyy = 0.0;
  oFxxx = oFxxy = oFxyy = oFyyy = 0.0;
}

void XelMathLinearXY::EvalAllThirdDerivs(const double&, const double&, double& oFxxx, double& oFxxy,
                                         double& oFxyy, double& oFyyy) const {
  oFxxx = oFxxy = oFxyy = oFyyy = 0.0;
}

void XelMathLinearXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                           double* oFx, double* oFy, double* oFxx, double* oFxy,
                           double* oFyy) const {
  if ((iDiff & XelMathOption::Value) && oF)
    *oF = Eval(x, y);
  if (iDiff & XelMathOption::FirstDeriv) {
    if (oFx)
      *oFx = _a;
    if (oFy)
      *oFy = _b;
  }
  if (iDiff & XelMathOption::SecondDeriv) {
    if (oFxx)
      *oFxx = 0.0;
    if (oFxy)
      *oFxy = 0.0;
    if (oFyy)
      *oFyy = 0.0;
  }
}

XelMathInterval XelMathLinearXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                      const XelTolerance&) const {
  const double lo =
      _c + (_a > 0.0 ? _a * iI.low : _a * iI.high) + (_b > 0.0 ? _b * iJ.low : _b * iJ.high);
  const double hi =
      _c + (_a > 0.0 ? _a * iI.high : _a * iI.low) + (_b > 0.0 ? _b * iJ.high : _b * iJ.low);
  return XelMathInterval(lo, hi);
}

XelMathInterval XelMathLinearXY::EvalFirstDerivX(const XelMathInterval&,
                                                 const XelMathInterval&) const {
  return XelMathInterval(_a, _a);
}
XelMathInterval XelMathLinearXY::EvalFirstDerivY(const XelMathInterval&,
                                                 const XelMathInterval&) const {
  return XelMathInterval(_b, _b);
}
XelMathInterval XelMathLinearXY::EvalSecondDerivX2(const XelMathInterval&,
                                                   const XelMathInterval&) const {
  return XelMathElementary::Zero();
}
XelMathInterval XelMathLinearXY::EvalSecondDerivXY(const XelMathInterval&,
                                                   const XelMathInterval&) const {
  return XelMathElementary::Zero();
}
XelMathInterval XelMathLinearXY::EvalSecondDerivY2(const XelMathInterval&,
                                                   const XelMathInterval&) const {
  return XelMathElementary::Zero();
}

void XelMathLinearXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
                           XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy,
                           XelMathInterval* oFxx, XelMathInterval* oFxy, XelMathInterval* oFyy,
                           const XelTolerance& iTol) const {
  if ((iDiff & XelMathOption::Image) && oF)
    *oF = Eval(iI, iJ, iTol);
  if (iDiff & XelMathOption::FirstDerivImage) {
    if (oFx)
      *oFx = XelMathInterval(_a, _a);
    if (oFy)
      *oFy = XelMathInterval(_b, _b);
  }
  if (iDiff & XelMathOption::SecondDerivImage) {
    if (oFxx)
      *oFxx = XelMathElementary::Zero();
    if (oFxy)
      *oFxy = XelMathElementary::Zero();
    if (oFyy)
      *oFyy = XelMathElementary::Zero();
  }
}

XelMathInterval XelMathLinearXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ,
                                                     const XelTolerance& iTol) const {
  return Eval(iI, iJ, iTol);
}

XelMathFunctionXY* XelMathLinearXY::CreateDerivX() const {
  return new XelMathLinearXY(0.0, 0.0, _a);
}
XelMathFunctionXY* XelMathLinearXY::CreateDerivY() const {
  return new XelMathLinearXY(0.0, 0.0, _b);
}
XelMathFunctionX* XelMathLinearXY::CreateIsoparX(const double iX0) const {
  return new XelMathLinearX(_b, _a * iX0 + _c);
}
XelMathFunctionX* XelMathLinearXY::CreateIsoparY(const double iY0) const {
  return new XelMathLinearX(_a, _b * iY0 + _c);
}

XelMathFunctionX* XelMathLinearXY::CreateCompositionX(const XelMathFunctionX* iU,
                                                      const XelMathFunctionX* iV) const {
  if (!iU || !iV) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  const XelMathFunctionX* f[2] = {iU, iV};
  const double c[2] = {_a, _b};
  return CreateCombination(2, f, c, _c);
}

XelMathFunctionXY* XelMathLinearXY::Duplicate() const {
  return new XelMathLinearXY(_a, _b, _c);
}
XelMathFunctionXY* XelMathLinearXY::DeepDuplicate() const {
  return Duplicate();
}

XelMathFunctionXY* XelMathLinearXY::FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                                      const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC)
    return nullptr;
  double a = 0.0, b = 0.0, c = iC0;
  for (long k = 0; k < iN; ++k) {
    if (!iF[k] || !iF[k]->IsAKindOf("XelMathLinearXY"))
      return nullptr;
    const XelMathLinearXY* f = static_cast<const XelMathLinearXY*>(iF[k]);
    a += iC[k] * f->_a;
    b += iC[k] * f->_b;
    c += iC[k] * f->_c;
  }
  return new XelMathLinearXY(a, b, c);
}
