#include "XelMathBooleanConstraint.h"

XelMathBooleanConstraint::~XelMathBooleanConstraint() = default;

long XelMathBooleanConstraint::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathBooleanConstraint::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathBooleanConstraint));
}

long XelMathBooleanConstraint::GetExteriorIndex(const long) const {
  return 0;
}
