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
  return ComponentsAllow(_n, _functions, iOption);
}

int XelMathSumSquareX::GetDirectComponents(const int iSize,
                                           const XelMathFunctionGeneral** oComponents) const {
  return ListComponents(_n, _functions, iSize, oComponents);
}

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
