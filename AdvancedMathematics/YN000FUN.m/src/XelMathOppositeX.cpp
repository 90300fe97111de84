#include "XelMathOppositeX.h"

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"

using namespace XelMathComposite;

namespace {
double Negated(const double iV) {
  return -iV;
}
XelMathInterval Negated(const XelMathInterval& iV) {
  return Neg(iV);
}
/// Changes the sign of the outputs asked for.
template <class T>
void NegateAsked(const bool iWantF, const bool iWantF1, const bool iWantF2, T* ioF, T* ioF1,
                 T* ioF2) {
  if (iWantF)
    *ioF = Negated(*ioF);
  if (iWantF1)
    *ioF1 = Negated(*ioF1);
  if (iWantF2)
    *ioF2 = Negated(*ioF2);
}
} // namespace

XelMathOppositeX::XelMathOppositeX(const XelMathFunctionX* iF) : _function(iF) {}

XelMathOppositeX::~XelMathOppositeX() = default;

XelMathDefineIdentity(XelMathOppositeX, XelMathFunctionX);

XelMathDefineTypeId(XelMathOppositeX, XelMathFunctionX, XelMathTypeId::Opposite);

unsigned char XelMathOppositeX::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

XelMathDefineComponents(XelMathOppositeX, 1, &_function);

// ==== point evaluations ==================================================================
double XelMathOppositeX::Eval(const double& x) const {
  return _function ? -_function->Eval(x) : XelMathInfinite;
}

double XelMathOppositeX::EvalFirstDeriv(const double& x) const {
  return _function ? -_function->EvalFirstDeriv(x) : XelMathInfinite;
}

double XelMathOppositeX::EvalSecondDeriv(const double& x) const {
  return _function ? -_function->EvalSecondDeriv(x) : XelMathInfinite;
}

double XelMathOppositeX::EvalThirdDeriv(const double& x) const {
  return _function ? -_function->EvalThirdDeriv(x) : XelMathInfinite;
}

void XelMathOppositeX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                            double* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
  if (!_function) {
    SetAsked(wantF, wantF1, wantF2, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  _function->Eval(x, iOptions, oF, oF1, oF2);
  NegateAsked(wantF, wantF1, wantF2, oF, oF1, oF2);
}

void XelMathOppositeX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                  double* oF1, double* oF2) const {
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (!_function) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  _function->EvalPoints(iN, iX, iOptions, oF, oF1, oF2);
  for (long i = 0; i < iN; i++) {
    if (asked.f)
      oF[i] = -oF[i];
    if (asked.f1)
      oF1[i] = -oF1[i];
    if (asked.f2)
      oF2[i] = -oF2[i];
  }
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathOppositeX::Eval(const XelMathInterval& iI) const {
  return _function ? Neg(_function->Eval(iI)) : Zero();
}

XelMathInterval XelMathOppositeX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return _function ? Neg(_function->EvalFirstDeriv(iI)) : Zero();
}

XelMathInterval XelMathOppositeX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return _function ? Neg(_function->EvalSecondDeriv(iI)) : Zero();
}

XelMathInterval XelMathOppositeX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return _function ? Neg(_function->EvalThirdDeriv(iI)) : Zero();
}

void XelMathOppositeX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                            XelMathInterval* oF1, XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  if (!_function) {
    SetAsked(wantF, wantF1, wantF2, Zero(), oF, oF1, oF2);
    return;
  }
  _function->Eval(iI, iOptions, oF, oF1, oF2);
  NegateAsked(wantF, wantF1, wantF2, oF, oF1, oF2);
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathOppositeX::Duplicate() const {
  return new XelMathOppositeX(_function);
}

XelMathFunctionX* XelMathOppositeX::DeepDuplicate() const {
  return WrapDeepCopy(_function,
                      [](XelMathFunctionX* iCopy) { return new XelMathOppositeXDel(iCopy); });
}

// ==== analyses ===========================================================================
int XelMathOppositeX::Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
                            const XelMathAttrList* iAttributes) const {
  if (!_function) {
    oRoots.Reset();
    return 1;
  }
  return _function->Solve(iDomain, oRoots, iAttributes);
}

int XelMathOppositeX::Maximize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMaxima,
                               const XelMathAttrList* iAttributes) const {
  if (!_function) {
    oMaxima.Reset();
    return XelMathStatus::Refused;
  }
  return MinimizeWithOppositeLimit(_function, iDomain, oMaxima, iAttributes, iAttributes);
}

// ==== owning variant =====================================================================
XelMathOppositeXDel::XelMathOppositeXDel(XelMathFunctionX* iF) : XelMathOppositeX(iF) {}

XelMathOppositeXDel::~XelMathOppositeXDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariant(XelMathOppositeXDel, XelMathOppositeX);
