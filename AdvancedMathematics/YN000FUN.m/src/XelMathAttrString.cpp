#include "XelMathAttrString.h"

#include "XelMathAttrName.h"

XelMathAttrString::XelMathAttrString() : _name(nullptr), _exclusive(1) {}

XelMathAttrString::XelMathAttrString(const char* iName, long iExclusive)
    : _name(XelMathAttrName::Copy(iName)), _exclusive(iExclusive ? 1 : 0) {}

XelMathAttrString::XelMathAttrString(const XelMathAttrString& iOther)
    : XelMathAttribute(iOther), _name(XelMathAttrName::Copy(iOther._name)),
      _exclusive(iOther._exclusive) {}

XelMathAttrString& XelMathAttrString::operator=(const XelMathAttrString& iOther) {
  if (this != &iOther) {
    XelMathAttrName::Assign(_name, iOther._name);
    _exclusive = iOther._exclusive;
  }
  return *this;
}

XelMathAttrString::~XelMathAttrString() {
  XelMathAttrName::Free(_name);
}

const char* XelMathAttrString::GetType() const {
  return _name;
}

unsigned char XelMathAttrString::IsExclusive() const {
  return _exclusive;
}
