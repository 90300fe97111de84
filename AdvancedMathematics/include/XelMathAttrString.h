#pragma once
// Option without a value: its presence in a list under its name switches something on
// ("CheckExtremities", "BrentMethod", ...). The name is copied at construction and freed
// at destruction.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrString : public XelMathAttribute {
public:
  /// No name, exclusive.
  XelMathAttrString();
  /// Name iName (copied; may be null), exclusive when iExclusive is not 0.
  XelMathAttrString(const char* iName, long iExclusive);
  XelMathAttrString(const XelMathAttrString& iOther);
  XelMathAttrString& operator=(const XelMathAttrString& iOther);
  ~XelMathAttrString() override;

  /// The name given.
  const char* GetType() const override;
  unsigned char IsExclusive() const override;

private:
  char* _name;
  unsigned char _exclusive;
};
