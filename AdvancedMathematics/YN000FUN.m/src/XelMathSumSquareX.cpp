#include "XelMathSumSquareX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"

using namespace XelMathComposite;

namespace {
const long LocalComponents = 10;
} // namespace

XelMathSumSquareX::XelMathSumSquareX(long iN, const XelMathFunctionX** iF)
    : _n(iN > 0 ? iN : 0), _functions(_inline), _inline {nullptr, nullptr, nullptr} {
  XelMathCheckDimension(_n, 1, "the number of functions", "XelMathSumSquareX::XelMathSumSquareX");
  if (_n > InlineCount)
    _functions = XelMathNewPointers<const XelMathFunctionX>(_n);
  for (long i = 0; i < _n; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathSumSquareX::~XelMathSumSquareX() {
  if (_functions != _inline)
    XelMathDelPointers(_functions, _n);
}

long XelMathSumSquareX::GetDynamicMemoryBytes() const {
  return _functions != _inline ? static_cast<long>(_n * sizeof(void*)) : 0;
}

XelMathDefineIdentity(XelMathSumSquareX, XelMathFunctionX);

unsigned char XelMathSumSquareX::IsOption(const long iOption) const {
  return ComponentsAllow(_n, _functions, iOption);
}

XelMathDefineComponents(XelMathSumSquareX, _n, _functions);

// ==== evaluations ========================================================================

double XelMathSumSquareX::Eval(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, nullptr, 0.0, x, 0);
}
double XelMathSumSquareX::EvalFirstDeriv(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, nullptr, 0.0, x, 1);
}
double XelMathSumSquareX::EvalSecondDeriv(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, nullptr, 0.0, x, 2);
}
double XelMathSumSquareX::EvalThirdDeriv(const double& x) const {
  return SumOfSquaresDerivativeAt(_n, _functions, nullptr, 0.0, x, 3);
}

void XelMathSumSquareX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                             double* oF2) const {
  SumOfSquaresAsked(_n, _functions, nullptr, 0.0, x, iOptions, oF, oF1, oF2);
}

void XelMathSumSquareX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                   double* oF1, double* oF2) const {
  SumOfSquaresPoints(_n, _functions, nullptr, 0.0, iN, iX, iOptions, oF, oF1, oF2);
}

XelMathInterval XelMathSumSquareX::Eval(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, nullptr, 0.0, iI, 0);
}
XelMathInterval XelMathSumSquareX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, nullptr, 0.0, iI, 1);
}
XelMathInterval XelMathSumSquareX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, nullptr, 0.0, iI, 2);
}
XelMathInterval XelMathSumSquareX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return SumOfSquaresDerivativeOver(_n, _functions, nullptr, 0.0, iI, 3);
}

void XelMathSumSquareX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                             XelMathInterval* oF1, XelMathInterval* oF2) const {
  SumOfSquaresAsked(_n, _functions, nullptr, 0.0, iI, iOptions, oF, oF1, oF2);
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathSumSquareX::Duplicate() const {
  return new XelMathSumSquareX(_n, _functions);
}

XelMathFunctionX* XelMathSumSquareX::DeepDuplicate() const {
  XelMathScratchPointers<XelMathFunctionX, LocalComponents> copies(_n);
  return OwnDeepCopies(_n, _functions, copies.Data(),
                       [this](XelMathFunctionX** iC) { return new XelMathSumSquareXDel(_n, iC); });
}

// ==== owning variant =====================================================================
XelMathSumSquareXDel::XelMathSumSquareXDel(long iN, XelMathFunctionX** iF)
    : XelMathSumSquareX(iN, const_cast<const XelMathFunctionX**>(iF)) {}

XelMathSumSquareXDel::~XelMathSumSquareXDel() {
  DeleteOnce(_n, _functions);
  for (long i = 0; i < _n; i++)
    _functions[i] = nullptr;
}

XelMathDefineOwningVariant(XelMathSumSquareXDel, XelMathSumSquareX);
