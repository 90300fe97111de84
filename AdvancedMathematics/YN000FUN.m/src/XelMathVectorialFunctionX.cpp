#include "XelMathVectorialFunctionX.h"

XelMathVectorialFunctionX::XelMathVectorialFunctionX(const long iN)
    : _dimension(iN > 0 ? iN : 0), _config(nullptr), _tolerance(nullptr) {}

XelMathVectorialFunctionX::XelMathVectorialFunctionX(XelSoftwareConfiguration* iConfig,
                                                     const long iN, const XelTolerance* iTol)
    : _dimension(iN > 0 ? iN : 0), _config(iConfig), _tolerance(iTol) {}

XelMathVectorialFunctionX::~XelMathVectorialFunctionX() = default;

void XelMathVectorialFunctionX::Eval(const double x, double* oValues, double* oDerivs) const {
  Eval(x, oValues);
  EvalFirstDeriv(x, oDerivs);
}
