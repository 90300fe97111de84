#pragma once
// Option holding a pointer under a name of the caller's choice (for example "Dichotomy",
// which holds a XelMathSetOfLongs*). The name is copied at construction and freed at
// destruction; the object pointed to is neither copied nor owned.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrPointerValue : public XelMathAttribute {
public:
  /// No name, null value, exclusive.
  XelMathAttrPointerValue();
  /// Name iName (copied; may be null), value iValue, exclusive when iExclusive is not 0.
  XelMathAttrPointerValue(const char* iName, const void* iValue, long iExclusive);
  XelMathAttrPointerValue(const XelMathAttrPointerValue& iOther);
  XelMathAttrPointerValue& operator=(const XelMathAttrPointerValue& iOther);
  ~XelMathAttrPointerValue() override;

  /// The name given.
  const char* GetType() const override;
  unsigned char IsExclusive() const override;

  const void* GetValue() const { return _value; }

private:
  char* _name;
  const void* _value;
  unsigned char _exclusive;
};
