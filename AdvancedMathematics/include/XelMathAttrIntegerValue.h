#pragma once
// Option holding an integer under a name of the caller's choice (a number of sampling
// points, a level). The name is copied at construction and freed at destruction.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrIntegerValue : public XelMathAttribute {
public:
  /// No name, value 0, exclusive.
  XelMathAttrIntegerValue();
  /// Name iName (copied; may be null), value iValue, exclusive when iExclusive is not 0.
  XelMathAttrIntegerValue(const char* iName, long iValue, long iExclusive);
  XelMathAttrIntegerValue(const XelMathAttrIntegerValue& iOther);
  XelMathAttrIntegerValue& operator=(const XelMathAttrIntegerValue& iOther);
  ~XelMathAttrIntegerValue() override;

  /// The name given.
  const char* GetType() const override;
  unsigned char IsExclusive() const override;

  long GetValue() const { return _value; }
  void SetValue(const long& iValue) { _value = iValue; }

private:
  char* _name;
  long _value;
  unsigned char _exclusive;
};
