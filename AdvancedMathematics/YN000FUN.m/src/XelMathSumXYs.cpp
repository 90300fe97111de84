#include "XelMathSumXYs.h"

#include <memory>

#include "XelMathCombinationX.h"
#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathScratch.h"

using namespace XelMathComposite;
using XelMathElementary::Infinite;

namespace {
// The order (0..2) of the highest group asked for by the bits iFirst, 2 iFirst, 4 iFirst of
// iDiff whose outputs are given; -1 when none is.
int AskedOrder(const long iDiff, const long iFirst, const bool iValue, const bool iFirstGroup,
               const bool iSecondGroup) {
  return ((iDiff & (4 * iFirst)) && iSecondGroup)  ? 2
         : ((iDiff & (2 * iFirst)) && iFirstGroup) ? 1
         : ((iDiff & iFirst) && iValue)            ? 0
                                                   : -1;
}
} // namespace

XelMathSumXYs::XelMathSumXYs(const XelMathFunctionX* iU, const XelMathFunctionX* iV)
    : _u(iU), _v(iV) {}

XelMathSumXYs::~XelMathSumXYs() = default;

long XelMathSumXYs::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathSumXYs::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathSumXYs, XelMathFunctionXY);

unsigned char XelMathSumXYs::IsOption(const long iOption) const {
  if (!_u || !_v)
    return 0;
  return (_u->IsOption(iOption) && _v->IsOption(iOption)) ? 1 : 0;
}

int XelMathSumXYs::GetDirectComponents(const int iSize,
                                       const XelMathFunctionGeneral** oComponents) const {
  if (oComponents) {
    if (iSize > 0)
      oComponents[0] = _u;
    if (iSize > 1)
      oComponents[1] = _v;
  }
  return 2;
}

// ==== point evaluations ==========================================================================
double XelMathSumXYs::Eval(const double& x, const double& y) const {
  return (_u && _v) ? _u->Eval(x) + _v->Eval(y) : XelMathInfinite;
}

double XelMathSumXYs::EvalFirstDerivX(const double& x, const double&) const {
  return (_u && _v) ? _u->EvalFirstDeriv(x) : XelMathInfinite;
}

double XelMathSumXYs::EvalFirstDerivY(const double&, const double& y) const {
  return (_u && _v) ? _v->EvalFirstDeriv(y) : XelMathInfinite;
}

double XelMathSumXYs::EvalSecondDerivX2(const double& x, const double&) const {
  return (_u && _v) ? _u->EvalSecondDeriv(x) : XelMathInfinite;
}

double XelMathSumXYs::EvalSecondDerivXY(const double&, const double&) const {
  return (_u && _v) ? 0.0 : XelMathInfinite;
}

double XelMathSumXYs::EvalSecondDerivY2(const double&, const double& y) const {
  return (_u && _v) ? _v->EvalSecondDeriv(y) : XelMathInfinite;
}

double XelMathSumXYs::EvalThirdDerivX3(const double& x, const double&) const {
  return (_u && _v) ? _u->EvalThirdDeriv(x) : XelMathInfinite;
}

double XelMathSumXYs::EvalThirdDerivX2Y(const double&, const double&) const {
  return (_u && _v) ? 0.0 : XelMathInfinite;
}

double XelMathSumXYs::EvalThirdDerivXY2(const double&, const double&) const {
  return (_u && _v) ? 0.0 : XelMathInfinite;
}

double XelMathSumXYs::EvalThirdDerivY3(const double&, const double& y) const {
  return (_u && _v) ? _v->EvalThirdDeriv(y) : XelMathInfinite;
}

void XelMathSumXYs::Eval(const double& x, const double& y, const long iDiff, double* oF,
                         double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const {
  const bool d1 = oFx && oFy, d2 = oFxx && oFxy && oFyy;
  const int order = AskedOrder(iDiff, XelMathOption::Value, oF != nullptr, d1, d2);
  if (order < 0)
    return;
  double u[4] = {XelMathInfinite, XelMathInfinite, XelMathInfinite, XelMathInfinite};
  double v[4] = {XelMathInfinite, XelMathInfinite, XelMathInfinite, XelMathInfinite};
  double mixed = XelMathInfinite;
  if (_u && _v) {
    EvalUpTo(_u, x, order, u);
    EvalUpTo(_v, y, order, v);
    mixed = 0.0;
  }
  if (oF && (iDiff & XelMathOption::Value))
    *oF = u[0] + v[0];
  if (d1 && (iDiff & XelMathOption::FirstDeriv)) {
    *oFx = u[1];
    *oFy = v[1];
  }
  if (d2 && (iDiff & XelMathOption::SecondDeriv)) {
    *oFxx = u[2];
    *oFxy = mixed;
    *oFyy = v[2];
  }
}

// ==== interval evaluations =======================================================================
XelMathInterval XelMathSumXYs::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                    const XelTolerance&) const {
  return (_u && _v) ? Add(_u->Eval(iI), _v->Eval(iJ)) : Infinite();
}

XelMathInterval XelMathSumXYs::EvalFirstDerivX(const XelMathInterval& iI,
                                               const XelMathInterval&) const {
  return (_u && _v) ? _u->EvalFirstDeriv(iI) : Infinite();
}

XelMathInterval XelMathSumXYs::EvalFirstDerivY(const XelMathInterval&,
                                               const XelMathInterval& iJ) const {
  return (_u && _v) ? _v->EvalFirstDeriv(iJ) : Infinite();
}

XelMathInterval XelMathSumXYs::EvalSecondDerivX2(const XelMathInterval& iI,
                                                 const XelMathInterval&) const {
  return (_u && _v) ? _u->EvalSecondDeriv(iI) : Infinite();
}

XelMathInterval XelMathSumXYs::EvalSecondDerivXY(const XelMathInterval&,
                                                 const XelMathInterval&) const {
  return (_u && _v) ? Zero() : Infinite();
}

XelMathInterval XelMathSumXYs::EvalSecondDerivY2(const XelMathInterval&,
                                                 const XelMathInterval& iJ) const {
  return (_u && _v) ? _v->EvalSecondDeriv(iJ) : Infinite();
}

void XelMathSumXYs::Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
                         XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy,
                         XelMathInterval* oFxx, XelMathInterval* oFxy, XelMathInterval* oFyy,
                         const XelTolerance&) const {
  const bool d1 = oFx && oFy, d2 = oFxx && oFxy && oFyy;
  const int order = AskedOrder(iDiff, XelMathOption::Image, oF != nullptr, d1, d2);
  if (order < 0)
    return;
  XelMathInterval u[4] = {Infinite(), Infinite(), Infinite(), Infinite()};
  XelMathInterval v[4] = {Infinite(), Infinite(), Infinite(), Infinite()};
  XelMathInterval mixed = Infinite();
  if (_u && _v) {
    EvalUpTo(_u, iI, order, u);
    EvalUpTo(_v, iJ, order, v);
    mixed = Zero();
  }
  if (oF && (iDiff & XelMathOption::Image))
    *oF = Add(u[0], v[0]);
  if (d1 && (iDiff & XelMathOption::FirstDerivImage)) {
    *oFx = u[1];
    *oFy = v[1];
  }
  if (d2 && (iDiff & XelMathOption::SecondDerivImage)) {
    *oFxx = u[2];
    *oFxy = mixed;
    *oFyy = v[2];
  }
}

XelMathInterval XelMathSumXYs::ComputeOptimalImage(const XelMathInterval& iI,
                                                   const XelMathInterval& iJ,
                                                   const XelTolerance& iTol) const {
  if (!_u || !_v)
    return Infinite();
  return Add(_u->ComputeOptimalImage(iI, iTol), _v->ComputeOptimalImage(iJ, iTol));
}

// ==== derived functions, copies ==================================================================
XelMathFunctionX* XelMathSumXYs::CreateIsoparX(const double iX0) const {
  if (!_u || !_v)
    return XelMathFunctionXY::CreateIsoparX(iX0);
  const XelMathFunctionX* terms[1] = {_v};
  const double one[1] = {1.0};
  return new XelMathCombinationX(1, terms, one, _u->Eval(iX0));
}

XelMathFunctionX* XelMathSumXYs::CreateIsoparY(const double iY0) const {
  if (!_u || !_v)
    return XelMathFunctionXY::CreateIsoparY(iY0);
  const XelMathFunctionX* terms[1] = {_u};
  const double one[1] = {1.0};
  return new XelMathCombinationX(1, terms, one, _v->Eval(iY0));
}

XelMathFunctionXY* XelMathSumXYs::FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                                    const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC)
    return nullptr;
  for (long k = 0; k < iN; ++k) {
    if (!iF[k] || !iF[k]->IsAKindOf("XelMathSumXYs"))
      return nullptr;
    const XelMathSumXYs* s = static_cast<const XelMathSumXYs*>(iF[k]);
    if (!s->_u || !s->_v)
      return nullptr;
  }
  XelMathScratchPointers<const XelMathFunctionX, 8> us(iN), vs(iN);
  for (long k = 0; k < iN; ++k) {
    us[k] = static_cast<const XelMathSumXYs*>(iF[k])->_u;
    vs[k] = static_cast<const XelMathSumXYs*>(iF[k])->_v;
  }
  std::unique_ptr<XelMathFunctionX> u(CreateCombination(iN, us.Data(), iC, iC0));
  std::unique_ptr<XelMathFunctionX> v(CreateCombination(iN, vs.Data(), iC, 0.0));
  if (!u || !v)
    return nullptr;
  XelMathFunctionXY* result = new XelMathSumXYsDel(u.get(), v.get());
  u.release();
  v.release();
  return result;
}

XelMathFunctionXY* XelMathSumXYs::Duplicate() const {
  return new XelMathSumXYs(*this);
}

XelMathFunctionXY* XelMathSumXYs::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionX> u(_u ? _u->DeepDuplicate() : nullptr);
  if (_v == _u) {
    XelMathFunctionXY* copy = new XelMathSumXYsDel2(u.get(), u.get());
    u.release();
    return copy;
  }
  std::unique_ptr<XelMathFunctionX> v(_v ? _v->DeepDuplicate() : nullptr);
  XelMathFunctionXY* copy = new XelMathSumXYsDel(u.get(), v.get());
  u.release();
  v.release();
  return copy;
}

// ==== owning variants ============================================================================
XelMathSumXYsDel::XelMathSumXYsDel(XelMathFunctionX* iU, XelMathFunctionX* iV)
    : XelMathSumXYs(iU, iV) {}

XelMathSumXYsDel::~XelMathSumXYsDel() {
  if (_v != _u)
    delete _v;
  delete _u;
  _u = nullptr;
  _v = nullptr;
}

XelMathDefineOwningVariantXY(XelMathSumXYsDel, XelMathSumXYs);

XelMathSumXYsDel2::XelMathSumXYsDel2(XelMathFunctionX* iU, XelMathFunctionX* iV)
    : XelMathSumXYs(iU, iV) {}

XelMathSumXYsDel2::~XelMathSumXYsDel2() {
  delete _u;
  _u = nullptr;
  _v = nullptr;
}

XelMathDefineOwningVariantXY(XelMathSumXYsDel2, XelMathSumXYs);
