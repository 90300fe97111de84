#include "XelMathCurve.h"

XelMathCurve::~XelMathCurve() = default;

const char* XelMathCurve::IsA() const {
  return "XelMathCurve";
}

int XelMathCurve::IsATypeOf(long iType) const {
  return iType == CurveType;
}
