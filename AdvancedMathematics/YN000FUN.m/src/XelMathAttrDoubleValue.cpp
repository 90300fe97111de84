#include "XelMathAttrDoubleValue.h"

#include "XelMathAttrName.h"

XelMathAttrDoubleValue::XelMathAttrDoubleValue()
    : _name(nullptr), _value(0.0), _exclusive(1), _reviewed(0) {}

XelMathAttrDoubleValue::XelMathAttrDoubleValue(const char* iName, double iValue, long iExclusive)
    : _name(XelMathAttrName::Copy(iName)), _value(iValue), _exclusive(iExclusive ? 1 : 0),
      _reviewed(0) {}

XelMathAttrDoubleValue::XelMathAttrDoubleValue(const XelMathAttrDoubleValue& iOther)
    : XelMathAttribute(iOther), _name(XelMathAttrName::Copy(iOther._name)), _value(iOther._value),
      _exclusive(iOther._exclusive), _reviewed(iOther._reviewed) {}

XelMathAttrDoubleValue& XelMathAttrDoubleValue::operator=(const XelMathAttrDoubleValue& iOther) {
  if (this != &iOther) {
    XelMathAttrName::Assign(_name, iOther._name);
    _value = iOther._value;
    _exclusive = iOther._exclusive;
    _reviewed = iOther._reviewed;
  }
  return *this;
}

XelMathAttrDoubleValue::~XelMathAttrDoubleValue() {
  XelMathAttrName::Free(_name);
}

const char* XelMathAttrDoubleValue::GetType() const {
  return _name;
}

unsigned char XelMathAttrDoubleValue::IsExclusive() const {
  return _exclusive;
}
