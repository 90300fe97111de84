#include "XelMathDerivFunctionX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

namespace {
/// The outputs asked for of the derivative h = f' at iX: h and h' from one evaluation of f'
/// and f'' (bits 2 iFirstBit and 4 iFirstBit), h'' from the third derivative of f.
template <class Arg, class T>
void ShiftedOutputs(const XelMathFunctionX* iF, const Arg& iX, const long iFirstBit,
                    const bool iWantF, const bool iWantF1, const bool iWantF2, T* oF, T* oF1,
                    T* oF2) {
  if (iWantF || iWantF1) {
    T d0 = T(), d1 = T(), d2 = T();
    iF->Eval(iX, (iWantF ? 2 * iFirstBit : 0) | (iWantF1 ? 4 * iFirstBit : 0), &d0, &d1, &d2);
    if (iWantF)
      *oF = d1;
    if (iWantF1)
      *oF1 = d2;
  }
  if (iWantF2)
    *oF2 = iF->EvalThirdDeriv(iX);
}
} // namespace

XelMathDerivFunctionX::XelMathDerivFunctionX(const XelMathFunctionX* iF) : _function(iF) {}

XelMathDerivFunctionX::~XelMathDerivFunctionX() = default;

XelMathFunctionX* XelMathFunctionX::CreateDeriv() const {
  return new XelMathDerivFunctionX(this);
}

XelMathDefineIdentity(XelMathDerivFunctionX, XelMathFunctionX);

XelMathDefineTypeId(XelMathDerivFunctionX, XelMathFunctionX, XelMathTypeId::Deriv);

unsigned char XelMathDerivFunctionX::IsOption(const long iOption) const {
  if (!_function)
    return 0;
  if (iOption == 0)
    return 1;
  // The k-th derivative of h is the (k+1)-th of f: each bit moves up one place in its group.
  if (iOption & (8 | 128))
    return 0;
  const long shifted = ((iOption & XelMathOption::PointUpToSecond) << 1) |
                       ((iOption & XelMathOption::ImageUpToSecond) << 1);
  if (shifted == 0)
    return 0;
  return _function->IsOption(shifted);
}

XelMathDefineComponents(XelMathDerivFunctionX, 1, &_function);

// ==== point evaluations ==================================================================
// The single outputs go through the masked evaluation of f, as the other forms do, so that
// every form gives the same bits (f's own EvalFirstDeriv may round differently).
double XelMathDerivFunctionX::Eval(const double& x) const {
  double h = XelMathInfinite;
  if (_function)
    ShiftedOutputs(_function, x, 1, true, false, false, &h, &h, &h);
  return h;
}

double XelMathDerivFunctionX::EvalFirstDeriv(const double& x) const {
  double h1 = XelMathInfinite;
  if (_function)
    ShiftedOutputs(_function, x, 1, false, true, false, &h1, &h1, &h1);
  return h1;
}

double XelMathDerivFunctionX::EvalSecondDeriv(const double& x) const {
  return _function ? _function->EvalThirdDeriv(x) : XelMathInfinite;
}

double XelMathDerivFunctionX::EvalThirdDeriv(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  const double xp = x + XelMathh3, xm = x - XelMathh3;
  return (_function->EvalThirdDeriv(xp) - _function->EvalThirdDeriv(xm)) / (2.0 * XelMathh3);
}

void XelMathDerivFunctionX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                 double* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
  if (!_function) {
    SetAsked(wantF, wantF1, wantF2, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  ShiftedOutputs(_function, x, 1, wantF, wantF1, wantF2, oF, oF1, oF2);
}

void XelMathDerivFunctionX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                       double* oF, double* oF1, double* oF2) const {
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (!_function) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  // h and h' are f' and f'': one batch of the function straight into the outputs; h'' is f'''
  // point by point, before that batch unless its own output is the abscissas' array.
  const bool thirdFirst = asked.f2 && oF2 != iX;
  if (thirdFirst)
    for (long i = 0; i < iN; i++)
      oF2[i] = _function->EvalThirdDeriv(iX[i]);
  if (asked.f || asked.f1)
    _function->EvalPoints(iN, iX,
                          (asked.f ? XelMathOption::FirstDeriv : 0) |
                              (asked.f1 ? XelMathOption::SecondDeriv : 0),
                          nullptr, asked.f ? oF : nullptr, asked.f1 ? oF1 : nullptr);
  if (asked.f2 && !thirdFirst)
    for (long i = 0; i < iN; i++)
      oF2[i] = _function->EvalThirdDeriv(iX[i]);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathDerivFunctionX::Eval(const XelMathInterval& iI) const {
  return _function ? _function->EvalFirstDeriv(iI) : Zero();
}

XelMathInterval XelMathDerivFunctionX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return _function ? _function->EvalSecondDeriv(iI) : Zero();
}

XelMathInterval XelMathDerivFunctionX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return _function ? _function->EvalThirdDeriv(iI) : Zero();
}

XelMathInterval XelMathDerivFunctionX::EvalThirdDeriv(const XelMathInterval&) const {
  return Zero();
}

void XelMathDerivFunctionX::Eval(const XelMathInterval& iI, const long iOptions,
                                 XelMathInterval* oF, XelMathInterval* oF1,
                                 XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  if (!_function) {
    SetAsked(wantF, wantF1, wantF2, Zero(), oF, oF1, oF2);
    return;
  }
  ShiftedOutputs(_function, iI, 16, wantF, wantF1, wantF2, oF, oF1, oF2);
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathDerivFunctionX::Duplicate() const {
  return new XelMathDerivFunctionX(_function);
}

XelMathFunctionX* XelMathDerivFunctionX::DeepDuplicate() const {
  return WrapDeepCopy(_function,
                      [](XelMathFunctionX* iCopy) { return new XelMathDerivFunctionXDel(iCopy); });
}

// ==== owning variant =====================================================================
XelMathDerivFunctionXDel::XelMathDerivFunctionXDel(XelMathFunctionX* iF)
    : XelMathDerivFunctionX(iF) {}

XelMathDerivFunctionXDel::~XelMathDerivFunctionXDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariant(XelMathDerivFunctionXDel, XelMathDerivFunctionX);
