#include "XelMathAttribute.h"

XelMathAttribute::~XelMathAttribute() = default;

unsigned char XelMathAttribute::IsExclusive() const {
  return 0;
}
