#include "XelMathConstraintOption.h"

XelMathConstraintOption::~XelMathConstraintOption() = default;

const char* XelMathConstraintOption::GetType() const {
  return "XelMathConstraintOption";
}

unsigned char XelMathConstraintOption::IsExclusive() const {
  return 1;
}
