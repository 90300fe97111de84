#include "XelMathSumSquareX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelQuorMemory.h"

using namespace XelMathComposite;

namespace {
const long LocalComponents = 10;

const XelMathFunctionX** NewPointers(long iN) {
  return static_cast<const XelMathFunctionX**>(static_cast<void*>(XelQuorArrayPtrsNew(iN)));
}
void DelPointers(const XelMathFunctionX** iArray, long iN) {
  XelQuorArrayPtrsDel(static_cast<void**>(const_cast<void*>(static_cast<const void*>(iArray))), iN);
}
} // namespace

XelMathSumSquareX::XelMathSumSquareX(long iN, const XelMathFunctionX** iF)
    : _n(iN > 0 ? iN : 0), _functions(_inline), _inline {nullptr, nullptr, nullptr} {
  if (_n > InlineCount)
    _functions = NewPointers(_n);
  for (long i = 0; i < _n; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathSumSquareX::~XelMathSumSquareX() {
  if (_functions != _inline)
    DelPointers(_functions, _n);
}

long XelMathSumSquareX::GetDynamicMemoryBytes() const {
  return _functions != _inline ? static_cast<long>(_n * sizeof(void*)) : 0;
}

const char* XelMathSumSquareX::IsA() const {
  return "XelMathSumSquareX";
}

unsigned char XelMathSumSquareX::IsAKindOf(const char* iName) const {
  if (iName && SameName(iName, "XelMathSumSquareX"))
    return 1;
  return XelMathFunctionX::IsAKindOf(iName);
}

unsigned char XelMathSumSquareX::IsOption(const long iOption) const {
  if (iOption & 128)
    return 0;
  const long needed = DerivativeClosure(iOption);
  for (long i = 0; i < _n; i++)
    if (!_functions[i] || !_functions[i]->IsOption(needed))
      return 0;
  return 1;
}

int XelMathSumSquareX::GetDirectComponents(const int iSize,
                                           const XelMathFunctionGeneral** oComponents) const {
  for (long i = 0; i < _n && i < iSize; i++)
    oComponents[i] = _functions[i];
  return static_cast<int>(_n);
}

// ==== evaluations ========================================================================
namespace {
double PointDerivative(const XelMathSumSquareX& iH, const int iOrder, const double x) {
  const long n = iH.GetNumberOfFunctions();
  if (HasNull(n, iH.GetFunctions()))
    return XelMathInfinite;
  double h[4];
  SumOfSquaresAt(n, iH.GetFunctions(), nullptr, x, iOrder, h);
  return h[iOrder];
}
XelMathInterval IntervalDerivative(const XelMathSumSquareX& iH, const int iOrder,
                                   const XelMathInterval& iI) {
  const long n = iH.GetNumberOfFunctions();
  if (HasNull(n, iH.GetFunctions()))
    return Zero();
  XelMathInterval h[4];
  SumOfSquaresOver(n, iH.GetFunctions(), nullptr, iI, iOrder, h);
  return h[iOrder];
}
} // namespace

double XelMathSumSquareX::Eval(const double& x) const {
  return PointDerivative(*this, 0, x);
}
double XelMathSumSquareX::EvalFirstDeriv(const double& x) const {
  return PointDerivative(*this, 1, x);
}
double XelMathSumSquareX::EvalSecondDeriv(const double& x) const {
  return PointDerivative(*this, 2, x);
}
double XelMathSumSquareX::EvalThirdDeriv(const double& x) const {
  return PointDerivative(*this, 3, x);
}

void XelMathSumSquareX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                             double* oF2) const {
  const bool wantF = oF && (iOptions & 1), wantF1 = oF1 && (iOptions & 2),
             wantF2 = oF2 && (iOptions & 4);
  const int order = wantF2 ? 2 : wantF1 ? 1 : wantF ? 0 : -1;
  if (order < 0)
    return;
  double h[3] = {XelMathInfinite, XelMathInfinite, XelMathInfinite};
  if (!HasNull(_n, _functions))
    SumOfSquaresAt(_n, _functions, nullptr, x, order, h);
  StoreAsked(wantF, wantF1, wantF2, h, oF, oF1, oF2);
}

XelMathInterval XelMathSumSquareX::Eval(const XelMathInterval& iI) const {
  return IntervalDerivative(*this, 0, iI);
}
XelMathInterval XelMathSumSquareX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return IntervalDerivative(*this, 1, iI);
}
XelMathInterval XelMathSumSquareX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return IntervalDerivative(*this, 2, iI);
}
XelMathInterval XelMathSumSquareX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return IntervalDerivative(*this, 3, iI);
}

void XelMathSumSquareX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                             XelMathInterval* oF1, XelMathInterval* oF2) const {
  const bool wantF = oF && (iOptions & 16), wantF1 = oF1 && (iOptions & 32),
             wantF2 = oF2 && (iOptions & 64);
  const int order = wantF2 ? 2 : wantF1 ? 1 : wantF ? 0 : -1;
  if (order < 0)
    return;
  XelMathInterval h[3];
  if (!HasNull(_n, _functions))
    SumOfSquaresOver(_n, _functions, nullptr, iI, order, h);
  StoreAsked(wantF, wantF1, wantF2, h, oF, oF1, oF2);
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathSumSquareX::Duplicate() const {
  return new XelMathSumSquareX(_n, _functions);
}

XelMathFunctionX* XelMathSumSquareX::DeepDuplicate() const {
  XelMathFunctionX* local[LocalComponents];
  XelMathFunctionX** copies = local;
  if (_n > LocalComponents)
    copies = const_cast<XelMathFunctionX**>(NewPointers(_n));
  XelMathFunctionX* result = nullptr;
  try {
    DeepCopies(_n, _functions, copies);
    try {
      result = new XelMathSumSquareXDel(_n, copies);
    } catch (...) {
      DeleteOnce(_n, copies);
      throw;
    }
  } catch (...) {
    if (copies != local)
      DelPointers(const_cast<const XelMathFunctionX**>(copies), _n);
    throw;
  }
  if (copies != local)
    DelPointers(const_cast<const XelMathFunctionX**>(copies), _n);
  return result;
}

// ==== owning variant =====================================================================
XelMathSumSquareXDel::XelMathSumSquareXDel(long iN, XelMathFunctionX** iF)
    : XelMathSumSquareX(iN, const_cast<const XelMathFunctionX**>(iF)) {}

XelMathSumSquareXDel::~XelMathSumSquareXDel() {
  DeleteOnce(_n, _functions);
  for (long i = 0; i < _n; i++)
    _functions[i] = nullptr;
}

const char* XelMathSumSquareXDel::IsA() const {
  return "XelMathSumSquareXDel";
}

unsigned char XelMathSumSquareXDel::IsAKindOf(const char* iName) const {
  if (iName && SameName(iName, "XelMathSumSquareXDel"))
    return 1;
  return XelMathSumSquareX::IsAKindOf(iName);
}

XelMathFunctionX* XelMathSumSquareXDel::Duplicate() const {
  return DeepDuplicate();
}
