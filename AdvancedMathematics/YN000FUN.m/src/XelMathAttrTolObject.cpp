#include "XelMathAttrTolObject.h"

XelMathAttrTolObject::XelMathAttrTolObject(const XelTolerance& iTolerance)
    : _tolerance(&iTolerance) {}

XelMathAttrTolObject::~XelMathAttrTolObject() = default;

const char* XelMathAttrTolObject::GetType() const {
  return "XelMathAttrTolObject";
}

unsigned char XelMathAttrTolObject::IsExclusive() const {
  return 1;
}
