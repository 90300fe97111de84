#include "XelMathMultiFunctionX.h"

#include "XelMathConstants.h"
#include "XelMathFunctionX.h"
#include "XelMathInternalConstants.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"

XelMathMultiFunctionX::XelMathMultiFunctionX(long iN, const XelMathFunctionX** iF)
    : XelMathVectorialFunctionX(iN), _functions(nullptr) {
  Init(iF);
}

XelMathMultiFunctionX::XelMathMultiFunctionX(XelSoftwareConfiguration* iConfig, long iN,
                                             const XelMathFunctionX** iF, const XelTolerance& iTol)
    : XelMathVectorialFunctionX(iConfig, iN, &iTol), _functions(nullptr) {
  Init(iF);
}

void XelMathMultiFunctionX::Init(const XelMathFunctionX** iF) {
  if (_dimension <= 0)
    return;
  XelMathCheckDimension(_dimension, 1, "the number of functions",
                        "XelMathMultiFunctionX::XelMathMultiFunctionX");
  _functions =
      static_cast<const XelMathFunctionX**>(static_cast<void*>(XelQuorArrayPtrsNew(_dimension)));
  for (long i = 0; i < _dimension; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathMultiFunctionX::~XelMathMultiFunctionX() {
  if (_functions)
    XelQuorArrayPtrsDel(
        static_cast<void**>(const_cast<void*>(static_cast<const void*>(_functions))), _dimension);
}

long XelMathMultiFunctionX::GetDynamicMemoryBytes() const {
  return static_cast<long>(_dimension * sizeof(void*));
}

void XelMathMultiFunctionX::Eval(const double x, double* oValues) const {
  for (long i = 0; i < _dimension; i++)
    oValues[i] = _functions[i] ? _functions[i]->Eval(x) : XelMathInfinite;
}

void XelMathMultiFunctionX::EvalFirstDeriv(const double x, double* oDerivs) const {
  for (long i = 0; i < _dimension; i++)
    oDerivs[i] = _functions[i] ? _functions[i]->EvalFirstDeriv(x) : XelMathInfinite;
}

void XelMathMultiFunctionX::EvalSecondDeriv(const double x, double* oDerivs) const {
  for (long i = 0; i < _dimension; i++)
    oDerivs[i] = _functions[i] ? _functions[i]->EvalSecondDeriv(x) : XelMathInfinite;
}

void XelMathMultiFunctionX::Eval(const double x, double* oValues, double* oDerivs) const {
  for (long i = 0; i < _dimension; i++) {
    if (_functions[i]) {
      _functions[i]->Eval(x, XelMathOption::ValueAndFirst, &oValues[i], &oDerivs[i], nullptr);
    } else {
      oValues[i] = XelMathInfinite;
      oDerivs[i] = XelMathInfinite;
    }
  }
}
