#include "XelMathAttrIntegerValue.h"

#include "XelMathAttrName.h"

XelMathAttrIntegerValue::XelMathAttrIntegerValue() : _name(nullptr), _value(0), _exclusive(1) {}

XelMathAttrIntegerValue::XelMathAttrIntegerValue(const char* iName, long iValue, long iExclusive)
    : _name(XelMathAttrName::Copy(iName)), _value(iValue), _exclusive(iExclusive ? 1 : 0) {}

XelMathAttrIntegerValue::XelMathAttrIntegerValue(const XelMathAttrIntegerValue& iOther)
    : XelMathAttribute(iOther), _name(XelMathAttrName::Copy(iOther._name)), _value(iOther._value),
      _exclusive(iOther._exclusive) {}

XelMathAttrIntegerValue& XelMathAttrIntegerValue::operator=(const XelMathAttrIntegerValue& iOther) {
  if (this != &iOther) {
    XelMathAttrName::Assign(_name, iOther._name);
    _value = iOther._value;
    _exclusive = iOther._exclusive;
  }
  return *this;
}

XelMathAttrIntegerValue::~XelMathAttrIntegerValue() {
  XelMathAttrName::Free(_name);
}

const char* XelMathAttrIntegerValue::GetType() const {
  return _name;
}

unsigned char XelMathAttrIntegerValue::IsExclusive() const {
  return _exclusive;
}
