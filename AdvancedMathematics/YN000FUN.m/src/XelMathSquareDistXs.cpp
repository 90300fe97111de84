#include "XelMathSquareDistXs.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"

using namespace XelMathComposite;

XelMathSquareDistXs::XelMathSquareDistXs(long iN, const XelMathFunctionX** iF, const double* iC,
                                         double iD)
    : _n(iN < 0          ? 0
         : iN > MaxCount ? MaxCount
                         : iN),
      _functions{nullptr, nullptr, nullptr}, _target{0.0, 0.0, 0.0}, _offset(iD) {
  for (long i = 0; i < _n; i++) {
    _functions[i] = iF ? iF[i] : nullptr;
    _target[i] = iC ? iC[i] : 0.0;
  }
}

XelMathSquareDistXs::~XelMathSquareDistXs() = default;

XelMathDefineIdentity(XelMathSquareDistXs, XelMathFunctionX);

unsigned char XelMathSquareDistXs::IsOption(const long iOption) const {
  return ComponentsAllow(_n, _functions, iOption);
}

XelMathDefineComponents(XelMathSquareDistXs, _n, _functions);

// ==== point evaluations ==================================================================
double XelMathSquareDistXs::Eval(const double& x) const {
  if (HasNull(_n, _functions))
    return XelMathInfinite;
  double h = -_offset;
  for (long i = 0; i < _n; i++) {
    const double r = _functions[i]->Eval(x) - _target[i];
    h += r * r;
  }
  return h;
}

double XelMathSquareDistXs::EvalFirstDeriv(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, _target, _offset, x, 1);
}

double XelMathSquareDistXs::EvalSecondDeriv(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, _target, _offset, x, 2);
}

double XelMathSquareDistXs::EvalThirdDeriv(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, _target, _offset, x, 3);
}

void XelMathSquareDistXs::Eval(const double x, const long iOptions, double* oF, double* oF1,
                               double* oF2) const {
  SumOfSquaresAsked(_n, _functions, _target, _offset, x, iOptions, oF, oF1, oF2);
}

void XelMathSquareDistXs::EvalBatch(const long iN, const double* iX, const long iOptions,
                                     double* oF, double* oF1, double* oF2) const {
  SumOfSquaresPoints(_n, _functions, _target, _offset, iN, iX, iOptions, oF, oF1, oF2);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathSquareDistXs::Eval(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, _target, _offset, iI, 0);
}

XelMathInterval XelMathSquareDistXs::EvalFirstDeriv(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, _target, _offset, iI, 1);
}

XelMathInterval XelMathSquareDistXs::EvalSecondDeriv(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, _target, _offset, iI, 2);
}

XelMathInterval XelMathSquareDistXs::EvalThirdDeriv(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, _target, _offset, iI, 3);
}

void XelMathSquareDistXs::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                               XelMathInterval* oF1, XelMathInterval* oF2) const {
  SumOfSquaresAsked(_n, _functions, _target, _offset, iI, iOptions, oF, oF1, oF2);
}

XelMathInterval XelMathSquareDistXs::ComputeOptimalImage(const XelMathInterval& iI,
                                                         const XelTolerance& iTol) const {
  if (HasNull(_n, _functions))
    return Zero();
  XelMathInterval h(-_offset, -_offset);
  for (long i = 0; i < _n; i++) {
    const XelMathInterval r = Shift(_functions[i]->ComputeOptimalImage(iI, iTol), -_target[i]);
    h = Add(h, Mul(r, r));
  }
  return h;
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathSquareDistXs::Duplicate() const {
  return new XelMathSquareDistXs(_n, const_cast<const XelMathFunctionX**>(_functions), _target,
                                 _offset);
}

XelMathFunctionX* XelMathSquareDistXs::DeepDuplicate() const {
  XelMathFunctionX* copies[MaxCount] = {nullptr, nullptr, nullptr};
  return OwnDeepCopies(_n, _functions, copies, [this](XelMathFunctionX** iC) {
    return new XelMathSquareDistXsDel(_n, iC, _target, _offset);
  });
}

// ==== owning variant =====================================================================
XelMathSquareDistXsDel::XelMathSquareDistXsDel(long iN, XelMathFunctionX** iF, const double* iC,
                                               double iD)
    : XelMathSquareDistXs(iN, const_cast<const XelMathFunctionX**>(iF), iC, iD) {}

XelMathSquareDistXsDel::~XelMathSquareDistXsDel() {
  DeleteOnce(_n, _functions);
  for (long i = 0; i < _n; i++)
    _functions[i] = nullptr;
}

XelMathDefineOwningVariant(XelMathSquareDistXsDel, XelMathSquareDistXs);
