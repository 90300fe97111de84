#include "XelMathCompositionXByXY.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathFunctionXY.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathWrapperToolsXY.h"

using namespace XelMathComposite;
using XelMathWrapperXY::Jet;
using XelMathWrapperXY::JetAt;

namespace {
/// The derivatives h[0..iOrder] of h = f(u, v) from the jet of f at (u, v) and the
/// derivatives u[k], v[k] of the components (chain rule).
void Chain(const Jet& f, const double* u, const double* v, const int iOrder, double* h) {
  h[0] = f.f;
  if (iOrder >= 1)
    h[1] = f.fx * u[1] + f.fy * v[1];
  if (iOrder >= 2)
    h[2] = f.fxx * u[1] * u[1] + 2.0 * f.fxy * u[1] * v[1] + f.fyy * v[1] * v[1] + f.fx * u[2] +
           f.fy * v[2];
  if (iOrder >= 3)
    h[3] = f.fxxx * u[1] * u[1] * u[1] + 3.0 * f.fxxy * u[1] * u[1] * v[1] +
           3.0 * f.fxyy * u[1] * v[1] * v[1] + f.fyyy * v[1] * v[1] * v[1] +
           3.0 * (f.fxx * u[1] * u[2] + f.fxy * (u[1] * v[2] + u[2] * v[1]) + f.fyy * v[1] * v[2]) +
           f.fx * u[3] + f.fy * v[3];
}
} // namespace

XelMathCompositionXByXY::XelMathCompositionXByXY(const XelMathFunctionXY* iF,
                                                 const XelMathFunctionX* iU,
                                                 const XelMathFunctionX* iV,
                                                 const XelTolerance& iTol)
    : _function(iF), _u(iU), _v(iV), _tolerance(&iTol) {}

XelMathCompositionXByXY::~XelMathCompositionXByXY() = default;

long XelMathCompositionXByXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCompositionXByXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathCompositionXByXY, XelMathFunctionX);

XelMathDefineTypeId(XelMathCompositionXByXY, XelMathFunctionX, XelMathTypeId::CompositionXByXY);

unsigned char XelMathCompositionXByXY::IsOption(const long iOption) const {
  if (!_function || !_u || !_v || (iOption & XelMathOption::ThirdDerivImage))
    return 0;
  const long needed = DerivativeClosure(iOption);
  return (_function->IsOption(needed) && _u->IsOption(needed) && _v->IsOption(needed)) ? 1 : 0;
}

int XelMathCompositionXByXY::GetDirectComponents(const int iSize,
                                                 const XelMathFunctionGeneral** oComponents) const {
  const XelMathFunctionGeneral* components[3] = {_function, _u, _v};
  for (int i = 0; i < 3 && i < iSize; i++)
    oComponents[i] = components[i];
  return 3;
}

// ==== point evaluations ==================================================================
namespace {
/// h^(k)(t) for k = 0..iOrder; false when a component is null.
bool ChainAt(const XelMathFunctionXY* iF, const XelMathFunctionX* iU, const XelMathFunctionX* iV,
             const double t, const int iOrder, double* oH) {
  if (!iF || !iU || !iV)
    return false;
  double u[4] = {0.0, 0.0, 0.0, 0.0}, v[4] = {0.0, 0.0, 0.0, 0.0};
  EvalUpTo(iU, t, iOrder, u);
  EvalUpTo(iV, t, iOrder, v);
  Chain(JetAt(iF, u[0], v[0], iOrder), u, v, iOrder, oH);
  return true;
}
} // namespace

double XelMathCompositionXByXY::Eval(const double& t) const {
  double h[4];
  return ChainAt(_function, _u, _v, t, 0, h) ? h[0] : XelMathInfinite;
}

double XelMathCompositionXByXY::EvalFirstDeriv(const double& t) const {
  double h[4];
  return ChainAt(_function, _u, _v, t, 1, h) ? h[1] : XelMathInfinite;
}

double XelMathCompositionXByXY::EvalSecondDeriv(const double& t) const {
  double h[4];
  return ChainAt(_function, _u, _v, t, 2, h) ? h[2] : XelMathInfinite;
}

double XelMathCompositionXByXY::EvalThirdDeriv(const double& t) const {
  double h[4];
  return ChainAt(_function, _u, _v, t, 3, h) ? h[3] : XelMathInfinite;
}

void XelMathCompositionXByXY::Eval(const double t, const long iOptions, double* oF, double* oF1,
                                   double* oF2) const {
  EvalAsked(iOptions, XelMathOption::Value, XelMathInfinite, oF, oF1, oF2,
            [&](const int iOrder, double* oH) {
              double h[4];
              if (ChainAt(_function, _u, _v, t, iOrder, h))
                for (int k = 0; k <= iOrder; k++)
                  oH[k] = h[k];
            });
}

// ==== interval evaluations ===============================================================
namespace {
/// An enclosure of the image of iU over iI: its own image when it offers one, else the
/// guaranteed image.
XelMathInterval ComponentImage(const XelMathFunctionX* iU, const XelMathInterval& iI,
                               const XelTolerance& iTol) {
  return iU->IsOption(XelMathOption::Image) ? iU->Eval(iI) : iU->ComputeOptimalImage(iI, iTol);
}

/// The images of h^(k) over iI for k = 0..iOrder (iOrder <= 2); the callers ask for
/// derivative images only when every component offers what the chain rule needs.
void ChainOver(const XelMathFunctionXY* iF, const XelMathFunctionX* iU,
                      const XelMathFunctionX* iV, const XelTolerance& iTol,
                      const XelMathInterval& iI, const int iOrder, XelMathInterval* oH) {
  XelMathInterval u[4], v[4];
  if (iOrder == 0) {
    u[0] = ComponentImage(iU, iI, iTol);
    v[0] = ComponentImage(iV, iI, iTol);
  } else {
    EvalUpTo(iU, iI, iOrder, u);
    EvalUpTo(iV, iI, iOrder, v);
  }
  const long asked = XelMathOption::Image | (iOrder >= 1 ? XelMathOption::FirstDerivImage : 0) |
                     (iOrder >= 2 ? XelMathOption::SecondDerivImage : 0);
  const XelMathWrapperXY::Images f = XelMathWrapperXY::ImagesOf(iF, u[0], v[0], asked, iTol);
  oH[0] = f.f;
  if (iOrder >= 1)
    oH[1] = Add(Mul(f.fx, u[1]), Mul(f.fy, v[1]));
  if (iOrder >= 2)
    oH[2] = Add(Add(Add(Mul(f.fxx, square(u[1])), Scale(2.0, Mul(f.fxy, Mul(u[1], v[1])))),
                    Mul(f.fyy, square(v[1]))),
                Add(Mul(f.fx, u[2]), Mul(f.fy, v[2])));
}
} // namespace

XelMathInterval XelMathCompositionXByXY::Eval(const XelMathInterval& iI) const {
  if (!_function || !_u || !_v)
    return Zero();
  XelMathInterval h[3];
  ChainOver(_function, _u, _v, *_tolerance, iI, 0, h);
  return h[0];
}

XelMathInterval XelMathCompositionXByXY::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!IsOption(XelMathOption::FirstDerivImage))
    return Zero();
  XelMathInterval h[3];
  ChainOver(_function, _u, _v, *_tolerance, iI, 1, h);
  return h[1];
}

XelMathInterval XelMathCompositionXByXY::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!IsOption(XelMathOption::SecondDerivImage))
    return Zero();
  XelMathInterval h[3];
  ChainOver(_function, _u, _v, *_tolerance, iI, 2, h);
  return h[2];
}

XelMathInterval XelMathCompositionXByXY::EvalThirdDeriv(const XelMathInterval&) const {
  return Zero();
}

void XelMathCompositionXByXY::Eval(const XelMathInterval& iI, const long iOptions,
                                   XelMathInterval* oF, XelMathInterval* oF1,
                                   XelMathInterval* oF2) const {
  EvalAsked(iOptions, XelMathOption::Image, Zero(), oF, oF1, oF2,
            [&](const int iOrder, XelMathInterval* oH) {
              if (!_function || !_u || !_v)
                return;
              // Derivative images only as far as the components offer them.
              int order = iOrder;
              while (order > 0 && !IsOption(order == 2 ? XelMathOption::SecondDerivImage
                                                       : XelMathOption::FirstDerivImage))
                order--;
              XelMathInterval h[3] = {Zero(), Zero(), Zero()};
              ChainOver(_function, _u, _v, *_tolerance, iI, order, h);
              for (int k = 0; k <= iOrder; k++)
                oH[k] = h[k];
            });
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathCompositionXByXY::Duplicate() const {
  return new XelMathCompositionXByXY(_function, _u, _v, *_tolerance);
}

XelMathFunctionX* XelMathCompositionXByXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> f(_function ? _function->DeepDuplicate() : nullptr);
  const XelMathFunctionX* components[2] = {_u, _v};
  XelMathFunctionX* copies[2] = {nullptr, nullptr};
  return OwnDeepCopies(2, components, copies, [&](XelMathFunctionX** iC) {
    XelMathFunctionX* owner = new XelMathCompositionXByXYDel(f.get(), iC[0], iC[1], *_tolerance);
    f.release();
    return owner;
  });
}

// ==== owning variant =====================================================================
XelMathCompositionXByXYDel::XelMathCompositionXByXYDel(XelMathFunctionXY* iF,
                                                       XelMathFunctionX* iU,
                                                       XelMathFunctionX* iV,
                                                       const XelTolerance& iTol)
    : XelMathCompositionXByXY(iF, iU, iV, iTol) {}

XelMathCompositionXByXYDel::~XelMathCompositionXByXYDel() {
  delete _function;
  const XelMathFunctionX* components[2] = {_u, _v};
  DeleteOnce(2, components);
  _function = nullptr;
  _u = _v = nullptr;
}

XelMathDefineOwningVariant(XelMathCompositionXByXYDel, XelMathCompositionXByXY);
