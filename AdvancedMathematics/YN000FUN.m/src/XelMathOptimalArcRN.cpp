// Criterion of the length of an arc kept inside the validity domain.
#include "XelMathOptimalArcRN.h"

#include "XelMathCleverInterpol.h"
#include "XelMathIdentity.h"

XelMathOptimalArcRN::XelMathOptimalArcRN(XelMathCleverInterpol* iInterpol, const double iLength)
    : XelMathFunctionRN(1), _interpol(iInterpol), _length(iLength) {}

XelMathOptimalArcRN::~XelMathOptimalArcRN() = default;

XelMathDefineIdentity(XelMathOptimalArcRN, XelMathFunctionRN);

XelMathFunctionRN* XelMathOptimalArcRN::Duplicate() const {
  return new XelMathOptimalArcRN(_interpol, _length);
}

double XelMathOptimalArcRN::Eval(const double* x) const {
  return _interpol->ArcCriterion(x[0] * _length);
}

long XelMathOptimalArcRN::GetStaticMemoryBytes() const {
  return sizeof(XelMathOptimalArcRN);
}
