#include "XelMathCompositionXByX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

XelMathCompositionXByX::XelMathCompositionXByX(const XelMathFunctionX* iF,
                                               const XelMathFunctionX* iG)
    : _outer(iF), _inner(iG) {}

XelMathCompositionXByX::~XelMathCompositionXByX() = default;

// ==== factories of the function contract =================================================
XelMathFunctionX* XelMathFunctionX::FormalCompositionX(const XelMathFunctionX* iG) const {
  return new XelMathCompositionXByX(this, iG);
}

XelMathFunctionX* XelMathFunctionX::CreateCompositionX(const XelMathFunctionX* iF,
                                                       const XelMathFunctionX* iG) {
  return iF ? iF->FormalCompositionX(iG) : nullptr;
}

XelMathFunctionX* XelMathFunctionX::CreateCompositionXDel(XelMathFunctionX* iF,
                                                          XelMathFunctionX* iG) {
  return new XelMathCompositionXByXDel(iF, iG);
}

// ==== identity ===========================================================================
XelMathDefineIdentity(XelMathCompositionXByX, XelMathFunctionX);

XelMathDefineTypeId(XelMathCompositionXByX, XelMathFunctionX, XelMathTypeId::CompositionXByX);

unsigned char XelMathCompositionXByX::IsOption(const long iOption) const {
  if (!_outer || !_inner || (iOption & (8 | 128)))
    return 0;
  const long needed = DerivativeClosure(iOption);
  return (_outer->IsOption(needed) && _inner->IsOption(needed)) ? 1 : 0;
}

int XelMathCompositionXByX::GetDirectComponents(const int iSize,
                                                const XelMathFunctionGeneral** oComponents) const {
  const XelMathFunctionX* const parts[2] = {_outer, _inner};
  return ListComponents(2, parts, iSize, oComponents);
}

// ==== point evaluations ==================================================================
double XelMathCompositionXByX::Eval(const double& x) const {
  if (!_outer || !_inner)
    return XelMathInfinite;
  return _outer->Eval(_inner->Eval(x));
}

double XelMathCompositionXByX::EvalFirstDeriv(const double& x) const {
  if (!_outer || !_inner)
    return XelMathInfinite;
  double g[2];
  EvalUpTo(_inner, x, 1, g);
  return _outer->EvalFirstDeriv(g[0]) * g[1];
}

double XelMathCompositionXByX::EvalSecondDeriv(const double& x) const {
  if (!_outer || !_inner)
    return XelMathInfinite;
  double g[3], f1 = 0.0, f2 = 0.0;
  EvalUpTo(_inner, x, 2, g);
  _outer->Eval(g[0], XelMathOption::FirstAndSecond, nullptr, &f1, &f2);
  return f2 * g[1] * g[1] + f1 * g[2];
}

double XelMathCompositionXByX::EvalThirdDeriv(const double& x) const {
  if (!_outer || !_inner)
    return XelMathInfinite;
  double g[4], f1 = 0.0, f2 = 0.0;
  EvalUpTo(_inner, x, 3, g);
  _outer->Eval(g[0], XelMathOption::FirstAndSecond, nullptr, &f1, &f2);
  const double f3 = _outer->EvalThirdDeriv(g[0]);
  return f3 * g[1] * g[1] * g[1] + 3.0 * f2 * g[1] * g[2] + f1 * g[3];
}

void XelMathCompositionXByX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                  double* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
  if (!_outer || !_inner) {
    SetAsked(wantF, wantF1, wantF2, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  const int order = wantF2 ? 2 : wantF1 ? 1 : wantF ? 0 : -1;
  if (order < 0)
    return;
  double g[3] = {0.0, 0.0, 0.0}, f[3] = {0.0, 0.0, 0.0};
  EvalUpTo(_inner, x, order, g);
  _outer->Eval(g[0],
               (wantF ? XelMathOption::Value : 0) | (order >= 1 ? XelMathOption::FirstDeriv : 0) |
                   (order >= 2 ? XelMathOption::SecondDeriv : 0),
               &f[0], &f[1], &f[2]);
  if (wantF)
    *oF = f[0];
  if (wantF1)
    *oF1 = f[1] * g[1];
  if (wantF2)
    *oF2 = f[2] * g[1] * g[1] + f[1] * g[2];
}

void XelMathCompositionXByX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                        double* oF, double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  const int order = asked.Order();
  if (iN < 1 || order < 0)
    return;
  if (!_outer || !_inner) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  const long outer = (asked.f ? XelMathOption::Value : 0) |
                     (order >= 1 ? XelMathOption::FirstDeriv : 0) |
                     (order >= 2 ? XelMathOption::SecondDeriv : 0);
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    double g[3][Chunk], f[3][Chunk];
    _inner->EvalPoints(iCount, iX + iStart, UpToOptions(order), g[0], g[1], g[2]);
    _outer->EvalPoints(iCount, g[0], outer, f[0], f[1], f[2]);
    for (long j = 0; j < iCount; j++) {
      if (asked.f)
        oF[iStart + j] = f[0][j];
      if (asked.f1)
        oF1[iStart + j] = f[1][j] * g[1][j];
      if (asked.f2)
        oF2[iStart + j] = f[2][j] * g[1][j] * g[1][j] + f[1][j] * g[2][j];
    }
  });
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathCompositionXByX::Eval(const XelMathInterval& iI) const {
  if (!_outer || !_inner)
    return Zero();
  return _outer->Eval(_inner->Eval(iI));
}

XelMathInterval XelMathCompositionXByX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_outer || !_inner)
    return Zero();
  XelMathInterval g[2];
  EvalUpTo(_inner, iI, 1, g);
  return Mul(_outer->EvalFirstDeriv(g[0]), g[1]);
}

XelMathInterval XelMathCompositionXByX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!_outer || !_inner)
    return Zero();
  XelMathInterval g[3], f1, f2;
  EvalUpTo(_inner, iI, 2, g);
  _outer->Eval(g[0], XelMathOption::FirstAndSecondImages, nullptr, &f1, &f2);
  return Add(Mul(f2, square(g[1])), Mul(f1, g[2]));
}

XelMathInterval XelMathCompositionXByX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (!_outer || !_inner)
    return Zero();
  XelMathInterval g[4], f1, f2;
  EvalUpTo(_inner, iI, 3, g);
  _outer->Eval(g[0], XelMathOption::FirstAndSecondImages, nullptr, &f1, &f2);
  const XelMathInterval f3 = _outer->EvalThirdDeriv(g[0]);
  return Add(Add(Mul(f3, Cube(g[1])), Scale(3.0, Mul(f2, Mul(g[1], g[2])))), Mul(f1, g[3]));
}

void XelMathCompositionXByX::Eval(const XelMathInterval& iI, const long iOptions,
                                  XelMathInterval* oF, XelMathInterval* oF1,
                                  XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  if (!_outer || !_inner) {
    SetAsked(wantF, wantF1, wantF2, Zero(), oF, oF1, oF2);
    return;
  }
  const int order = wantF2 ? 2 : wantF1 ? 1 : wantF ? 0 : -1;
  if (order < 0)
    return;
  XelMathInterval g[3], f[3];
  EvalUpTo(_inner, iI, order, g);
  _outer->Eval(g[0],
               (wantF ? XelMathOption::Image : 0) |
                   (order >= 1 ? XelMathOption::FirstDerivImage : 0) |
                   (order >= 2 ? XelMathOption::SecondDerivImage : 0),
               &f[0], &f[1], &f[2]);
  if (wantF)
    *oF = f[0];
  if (wantF1)
    *oF1 = Mul(f[1], g[1]);
  if (wantF2)
    *oF2 = Add(Mul(f[2], square(g[1])), Mul(f[1], g[2]));
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathCompositionXByX::Duplicate() const {
  return new XelMathCompositionXByX(_outer, _inner);
}

XelMathFunctionX* XelMathCompositionXByX::DeepDuplicate() const {
  const XelMathFunctionX* parts[2] = {_outer, _inner};
  XelMathFunctionX* copies[2] = {nullptr, nullptr};
  return OwnDeepCopies(2, parts, copies, [](XelMathFunctionX** iC) {
    return new XelMathCompositionXByXDel(iC[0], iC[1]);
  });
}

// ==== owning variant =====================================================================
XelMathCompositionXByXDel::XelMathCompositionXByXDel(XelMathFunctionX* iF, XelMathFunctionX* iG)
    : XelMathCompositionXByX(iF, iG) {}

XelMathCompositionXByXDel::~XelMathCompositionXByXDel() {
  if (_inner != _outer)
    delete _inner;
  delete _outer;
  _outer = _inner = nullptr;
}

XelMathDefineOwningVariant(XelMathCompositionXByXDel, XelMathCompositionXByX);
