#include "XelMathProdX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

XelMathProdX::XelMathProdX(const XelMathFunctionX* iF, const XelMathFunctionX* iG)
    : _f(iF), _g(iG) {}

XelMathProdX::~XelMathProdX() = default;

XelMathDefineIdentity(XelMathProdX, XelMathFunctionX);

unsigned char XelMathProdX::IsOption(const long iOption) const {
  if (!_f || !_g || (iOption & XelMathOption::ThirdDerivImage))
    return 0;
  const long needed = DerivativeClosure(iOption);
  return (_f->IsOption(needed) && _g->IsOption(needed)) ? 1 : 0;
}

int XelMathProdX::GetDirectComponents(const int iSize,
                                      const XelMathFunctionGeneral** oComponents) const {
  const XelMathFunctionX* const parts[2] = {_f, _g};
  return ListComponents(2, parts, iSize, oComponents);
}

// ==== point evaluations: Leibniz's rule ==================================================
namespace {
// The derivatives of order 0..iOrder of f g from those of f (iF) and g (iG).
void Leibniz(const double* iF, const double* iG, const int iOrder, double* oH) {
  oH[0] = iF[0] * iG[0];
  if (iOrder >= 1)
    oH[1] = iF[1] * iG[0] + iF[0] * iG[1];
  if (iOrder >= 2)
    oH[2] = iF[2] * iG[0] + 2.0 * iF[1] * iG[1] + iF[0] * iG[2];
  if (iOrder >= 3)
    oH[3] = iF[3] * iG[0] + 3.0 * (iF[2] * iG[1] + iF[1] * iG[2]) + iF[0] * iG[3];
}

XelMathInterval LeibnizOver(const XelMathInterval* iF, const XelMathInterval* iG, const bool iSame,
                            const int iOrder) {
  switch (iOrder) {
  case 0:
    return iSame ? square(iF[0]) : Mul(iF[0], iG[0]);
  case 1:
    return Add(Mul(iF[1], iG[0]), Mul(iF[0], iG[1]));
  case 2:
    return Add(Add(Mul(iF[2], iG[0]), Scale(2.0, Mul(iF[1], iG[1]))), Mul(iF[0], iG[2]));
  default:
    return Add(Add(Mul(iF[3], iG[0]), Scale(3.0, Add(Mul(iF[2], iG[1]), Mul(iF[1], iG[2])))),
               Mul(iF[0], iG[3]));
  }
}
} // namespace

double XelMathProdX::Eval(const double& x) const {
  if (!_f || !_g)
    return XelMathInfinite;
  return _f->Eval(x) * _g->Eval(x);
}

double XelMathProdX::EvalFirstDeriv(const double& x) const {
  if (!_f || !_g)
    return XelMathInfinite;
  double f[2], g[2], h[2];
  EvalUpTo(_f, x, 1, f);
  EvalUpTo(_g, x, 1, g);
  Leibniz(f, g, 1, h);
  return h[1];
}

double XelMathProdX::EvalSecondDeriv(const double& x) const {
  if (!_f || !_g)
    return XelMathInfinite;
  double f[3], g[3], h[3];
  EvalUpTo(_f, x, 2, f);
  EvalUpTo(_g, x, 2, g);
  Leibniz(f, g, 2, h);
  return h[2];
}

double XelMathProdX::EvalThirdDeriv(const double& x) const {
  if (!_f || !_g)
    return XelMathInfinite;
  double f[4], g[4], h[4];
  EvalUpTo(_f, x, 3, f);
  EvalUpTo(_g, x, 3, g);
  Leibniz(f, g, 3, h);
  return h[3];
}

void XelMathProdX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                        double* oF2) const {
  EvalAsked(iOptions, 1, XelMathInfinite, oF, oF1, oF2, [&](const int iOrder, double* oH) {
    if (_f && _g) {
      double f[3], g[3];
      EvalUpTo(_f, x, iOrder, f);
      EvalUpTo(_g, x, iOrder, g);
      Leibniz(f, g, iOrder, oH);
    }
  });
}

void XelMathProdX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                              double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  const int order = asked.Order();
  if (iN < 1 || order < 0)
    return;
  if (!_f || !_g) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  const long options = UpToOptions(order);
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    double f[3][Chunk], g[3][Chunk];
    const double* x = iX + iStart;
    _f->EvalPoints(iCount, x, options, f[0], f[1], f[2]);
    if (_g != _f)
      _g->EvalPoints(iCount, x, options, g[0], g[1], g[2]);
    const double(*gg)[Chunk] = _g != _f ? g : f;
    for (long j = 0; j < iCount; j++) {
      const double fj[3] = {f[0][j], order >= 1 ? f[1][j] : 0.0, order >= 2 ? f[2][j] : 0.0},
                   gj[3] = {gg[0][j], order >= 1 ? gg[1][j] : 0.0, order >= 2 ? gg[2][j] : 0.0};
      double h[3];
      Leibniz(fj, gj, order, h);
      if (asked.f)
        oF[iStart + j] = h[0];
      if (asked.f1)
        oF1[iStart + j] = h[1];
      if (asked.f2)
        oF2[iStart + j] = h[2];
    }
  });
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathProdX::Eval(const XelMathInterval& iI) const {
  if (!_f || !_g)
    return Zero();
  const XelMathInterval f = _f->Eval(iI);
  return _f == _g ? square(f) : Mul(f, _g->Eval(iI));
}

XelMathInterval XelMathProdX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_f || !_g)
    return Zero();
  XelMathInterval f[2], g[2];
  EvalUpTo(_f, iI, 1, f);
  EvalUpTo(_g, iI, 1, g);
  return LeibnizOver(f, g, false, 1);
}

XelMathInterval XelMathProdX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!_f || !_g)
    return Zero();
  XelMathInterval f[3], g[3];
  EvalUpTo(_f, iI, 2, f);
  EvalUpTo(_g, iI, 2, g);
  return LeibnizOver(f, g, false, 2);
}

XelMathInterval XelMathProdX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (!_f || !_g)
    return Zero();
  XelMathInterval f[4], g[4];
  EvalUpTo(_f, iI, 3, f);
  EvalUpTo(_g, iI, 3, g);
  return LeibnizOver(f, g, false, 3);
}

void XelMathProdX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                        XelMathInterval* oF1, XelMathInterval* oF2) const {
  EvalAsked(iOptions, 16, XelMathInterval(), oF, oF1, oF2,
            [&](const int iOrder, XelMathInterval* oH) {
              if (_f && _g) {
                XelMathInterval f[3], g[3];
                EvalUpTo(_f, iI, iOrder, f);
                EvalUpTo(_g, iI, iOrder, g);
                for (int k = 0; k <= iOrder; k++)
                  oH[k] = LeibnizOver(f, g, _f == _g, k);
              }
            });
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathProdX::Duplicate() const {
  return new XelMathProdX(_f, _g);
}

XelMathFunctionX* XelMathProdX::DeepDuplicate() const {
  const XelMathFunctionX* parts[2] = {_f, _g};
  XelMathFunctionX* copies[2] = {nullptr, nullptr};
  return OwnDeepCopies(2, parts, copies,
                       [](XelMathFunctionX** iC) { return new XelMathProdXDel(iC[0], iC[1]); });
}

// ==== owning variant =====================================================================
XelMathProdXDel::XelMathProdXDel(XelMathFunctionX* iF, XelMathFunctionX* iG)
    : XelMathProdX(iF, iG) {}

XelMathProdXDel::~XelMathProdXDel() {
  if (_g != _f)
    delete _g;
  delete _f;
  _f = _g = nullptr;
}

XelMathDefineOwningVariant(XelMathProdXDel, XelMathProdX);
