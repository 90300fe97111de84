#include "XelMathSquareDistXYs.h"

#include "XelMathAnalysisScaling.h"
#include "XelMathAttrList.h"
#include "XelMathAttrTolObject.h"
#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathWrapperToolsXY.h"
#include "XelTolerance.h"

using namespace XelMathComposite;
using XelMathElementary::Infinite;

XelMathSquareDistXYs::XelMathSquareDistXYs(const long iN, const XelMathFunctionX** iU,
                                           const XelMathFunctionX** iV)
    : _n(0), _u{nullptr, nullptr, nullptr}, _v{nullptr, nullptr, nullptr} {
  if (iN < 1 || iN > MaxDimension)
    XelMathRaise(XelErrorCode::InvalidOption, "the dimension", "1",
                 "XelMathSquareDistXYs::XelMathSquareDistXYs");
  _n = iN;
  for (long k = 0; k < _n; ++k) {
    _u[k] = iU ? iU[k] : nullptr;
    _v[k] = iV ? iV[k] : nullptr;
  }
}

XelMathSquareDistXYs::~XelMathSquareDistXYs() = default;

long XelMathSquareDistXYs::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathSquareDistXYs::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathSquareDistXYs, XelMathFunctionXY);

bool XelMathSquareDistXYs::HasNullCurve() const {
  return HasNull(_n, _u) || HasNull(_n, _v);
}

unsigned char XelMathSquareDistXYs::IsOption(const long iOption) const {
  if (HasNullCurve())
    return 0;
  const long needed = DerivativeClosure(iOption);
  for (long k = 0; k < _n; ++k)
    if (!_u[k]->IsOption(needed) || !_v[k]->IsOption(needed))
      return 0;
  return 1;
}

int XelMathSquareDistXYs::GetDirectComponents(const int iSize,
                                              const XelMathFunctionGeneral** oComponents) const {
  if (oComponents)
    for (long k = 0; k < 2 * _n && k < iSize; ++k)
      oComponents[k] = k < _n ? _u[k] : _v[k - _n];
  return static_cast<int>(2 * _n);
}

// ==== point evaluations ==========================================================================
void XelMathSquareDistXYs::Derivatives(const double x, const double y, const int iOrder,
                                       double* oH) const {
  if (HasNullCurve()) {
    for (int k = 0; k < 10; ++k)
      oH[k] = XelMathInfinite;
    return;
  }
  for (int k = 0; k < 10; ++k)
    oH[k] = 0.0;
  for (long k = 0; k < _n; ++k) {
    double u[4] = {0.0, 0.0, 0.0, 0.0}, v[4] = {0.0, 0.0, 0.0, 0.0};
    EvalUpTo(_u[k], x, iOrder, u);
    EvalUpTo(_v[k], y, iOrder, v);
    const double r = u[0] - v[0];
    oH[0] += r * r;
    if (iOrder >= 1) {
      oH[1] += 2.0 * r * u[1];
      oH[2] -= 2.0 * r * v[1];
    }
    if (iOrder >= 2) {
      oH[3] += 2.0 * (u[1] * u[1] + r * u[2]);
      oH[4] -= 2.0 * u[1] * v[1];
      oH[5] += 2.0 * (v[1] * v[1] - r * v[2]);
    }
    if (iOrder >= 3) {
      oH[6] += 2.0 * (3.0 * u[1] * u[2] + r * u[3]);
      oH[7] -= 2.0 * u[2] * v[1];
      oH[8] -= 2.0 * u[1] * v[2];
      oH[9] += 2.0 * (3.0 * v[1] * v[2] - r * v[3]);
    }
  }
}

double XelMathSquareDistXYs::Eval(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 0, h);
  return h[0];
}

double XelMathSquareDistXYs::EvalFirstDerivX(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 1, h);
  return h[1];
}

double XelMathSquareDistXYs::EvalFirstDerivY(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 1, h);
  return h[2];
}

double XelMathSquareDistXYs::EvalSecondDerivX2(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 2, h);
  return h[3];
}

double XelMathSquareDistXYs::EvalSecondDerivXY(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 2, h);
  return h[4];
}

double XelMathSquareDistXYs::EvalSecondDerivY2(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 2, h);
  return h[5];
}

double XelMathSquareDistXYs::EvalThirdDerivX3(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 3, h);
  return h[6];
}

double XelMathSquareDistXYs::EvalThirdDerivX2Y(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 3, h);
  return h[7];
}

double XelMathSquareDistXYs::EvalThirdDerivXY2(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 3, h);
  return h[8];
}

double XelMathSquareDistXYs::EvalThirdDerivY3(const double& x, const double& y) const {
  double h[10];
  Derivatives(x, y, 3, h);
  return h[9];
}

void XelMathSquareDistXYs::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                              double& oFx, double& oFy, double& oFxx, double& oFxy,
                                              double& oFyy, double& oFxxx, double& oFxxy,
                                              double& oFxyy, double& oFyyy) const {
  double h[10];
  Derivatives(x, y, 3, h);
  XelMathWrapperXY::UnpackUpToThird(h, oF, oFx, oFy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathSquareDistXYs::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                              double& oFxxy, double& oFxyy, double& oFyyy) const {
  double h[10];
  Derivatives(x, y, 3, h);
  XelMathWrapperXY::UnpackThirds(h, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathSquareDistXYs::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                double* oFx, double* oFy, double* oFxx, double* oFxy,
                                double* oFyy) const {
  const int order = XelMathWrapperXY::AskedPointOrder(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (order < 0)
    return;
  double h[10] = {};
  Derivatives(x, y, order, h);
  XelMathWrapperXY::StoreArray(iDiff, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== interval evaluations =======================================================================
void XelMathSquareDistXYs::Images(const XelMathInterval& iI, const XelMathInterval& iJ,
                                  const int iOrder, XelMathInterval* oH) const {
  if (HasNullCurve()) {
    for (int k = 0; k < 6; ++k)
      oH[k] = Infinite();
    return;
  }
  for (int k = 0; k < 6; ++k)
    oH[k] = Zero();
  for (long k = 0; k < _n; ++k) {
    XelMathInterval u[4], v[4];
    EvalUpTo(_u[k], iI, iOrder, u);
    EvalUpTo(_v[k], iJ, iOrder, v);
    const XelMathInterval r = Sub(u[0], v[0]);
    oH[0] = Add(oH[0], square(r));
    if (iOrder >= 1) {
      oH[1] = Add(oH[1], Scale(2.0, Mul(r, u[1])));
      oH[2] = Sub(oH[2], Scale(2.0, Mul(r, v[1])));
    }
    if (iOrder >= 2) {
      oH[3] = Add(oH[3], Scale(2.0, Add(square(u[1]), Mul(r, u[2]))));
      oH[4] = Sub(oH[4], Scale(2.0, Mul(u[1], v[1])));
      oH[5] = Add(oH[5], Scale(2.0, Sub(square(v[1]), Mul(r, v[2]))));
    }
  }
}

XelMathInterval XelMathSquareDistXYs::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                           const XelTolerance&) const {
  XelMathInterval h[6];
  Images(iI, iJ, 0, h);
  return h[0];
}

XelMathInterval XelMathSquareDistXYs::EvalFirstDerivX(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  XelMathInterval h[6];
  Images(iI, iJ, 1, h);
  return h[1];
}

XelMathInterval XelMathSquareDistXYs::EvalFirstDerivY(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  XelMathInterval h[6];
  Images(iI, iJ, 1, h);
  return h[2];
}

XelMathInterval XelMathSquareDistXYs::EvalSecondDerivX2(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  XelMathInterval h[6];
  Images(iI, iJ, 2, h);
  return h[3];
}

XelMathInterval XelMathSquareDistXYs::EvalSecondDerivXY(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  XelMathInterval h[6];
  Images(iI, iJ, 2, h);
  return h[4];
}

XelMathInterval XelMathSquareDistXYs::EvalSecondDerivY2(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  XelMathInterval h[6];
  Images(iI, iJ, 2, h);
  return h[5];
}

XelMathInterval XelMathSquareDistXYs::ComputeOptimalImage(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ,
                                                          const XelTolerance& iTol) const {
  if (HasNullCurve())
    return Infinite();
  XelMathInterval h = Zero();
  for (long k = 0; k < _n; ++k)
    h = Add(
        h, square(Sub(_u[k]->ComputeOptimalImage(iI, iTol), _v[k]->ComputeOptimalImage(iJ, iTol))));
  return h;
}

// ==== analyses, copies ===========================================================================
int XelMathSquareDistXYs::Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                                   const XelMathAttrList* iAttributes) const {
  const XelTolerance* tol =
      XelMathAnalysisScaling::ListTolerance(iAttributes, &XelGetDefaultTolerance());
  XelMathAttrTolObject tolerance(*tol);
  XelMathAttrList attributes;
  if (iAttributes)
    attributes = *iAttributes;
  attributes.AddAttribute(&tolerance);
  return XelMathFunctionXY::Minimize(iDomain, oPoints, &attributes);
}

XelMathFunctionXY* XelMathSquareDistXYs::Duplicate() const {
  return new XelMathSquareDistXYs(*this);
}

XelMathFunctionXY* XelMathSquareDistXYs::DeepDuplicate() const {
  const XelMathFunctionX* curves[2 * MaxDimension];
  XelMathFunctionX* copies[2 * MaxDimension];
  for (long k = 0; k < _n; ++k) {
    curves[k] = _u[k];
    curves[_n + k] = _v[k];
  }
  DeepCopies(2 * _n, curves, copies);
  auto undo = XelMathMakeOnExit([&] { DeleteOnce(2 * _n, copies); });
  XelMathFunctionXY* copy = new XelMathSquareDistXYsDel(_n, copies, copies + _n);
  undo.Dismiss();
  return copy;
}

// ==== owning variant =============================================================================
XelMathSquareDistXYsDel::XelMathSquareDistXYsDel(const long iN, XelMathFunctionX** iU,
                                                 XelMathFunctionX** iV)
    : XelMathSquareDistXYs(iN, const_cast<const XelMathFunctionX**>(iU),
                           const_cast<const XelMathFunctionX**>(iV)) {}

XelMathSquareDistXYsDel::~XelMathSquareDistXYsDel() {
  const XelMathFunctionX* curves[2 * MaxDimension];
  for (long k = 0; k < _n; ++k) {
    curves[k] = _u[k];
    curves[_n + k] = _v[k];
    _u[k] = nullptr;
    _v[k] = nullptr;
  }
  DeleteOnce(2 * _n, curves);
}

XelMathDefineOwningVariantXY(XelMathSquareDistXYsDel, XelMathSquareDistXYs);
