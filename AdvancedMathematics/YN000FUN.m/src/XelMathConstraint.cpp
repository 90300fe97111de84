#include "XelMathConstraint.h"

#include "XelMathConstants.h"

XelMathConstraint::~XelMathConstraint() = default;

const char* XelMathConstraint::GetType() const {
  return "XelMathConstraint";
}

unsigned char XelMathConstraint::IsExclusive() const {
  return 1;
}

double XelMathConstraint::EvalDerivConstraint(double x) const {
  const double h = XelHardTol(1e-06);
  return (EvalConstraint(x + h) - EvalConstraint(x - h)) * 0.5 / h;
}
