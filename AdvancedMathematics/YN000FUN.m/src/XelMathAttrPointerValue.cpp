#include "XelMathAttrPointerValue.h"

#include "XelMathAttrName.h"

XelMathAttrPointerValue::XelMathAttrPointerValue()
    : _name(nullptr), _value(nullptr), _exclusive(1) {}

XelMathAttrPointerValue::XelMathAttrPointerValue(const char* iName, const void* iValue,
                                                 long iExclusive)
    : _name(XelMathAttrName::Copy(iName)), _value(iValue), _exclusive(iExclusive ? 1 : 0) {}

XelMathAttrPointerValue::XelMathAttrPointerValue(const XelMathAttrPointerValue& iOther)
    : XelMathAttribute(iOther), _name(XelMathAttrName::Copy(iOther._name)), _value(iOther._value),
      _exclusive(iOther._exclusive) {}

XelMathAttrPointerValue& XelMathAttrPointerValue::operator=(const XelMathAttrPointerValue& iOther) {
  if (this != &iOther) {
    XelMathAttrName::Assign(_name, iOther._name);
    _value = iOther._value;
    _exclusive = iOther._exclusive;
  }
  return *this;
}

XelMathAttrPointerValue::~XelMathAttrPointerValue() {
  XelMathAttrName::Free(_name);
}

const char* XelMathAttrPointerValue::GetType() const {
  return _name;
}

unsigned char XelMathAttrPointerValue::IsExclusive() const {
  return _exclusive;
}
