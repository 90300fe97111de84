#pragma once
// Option holding a real number under a name of the caller's choice (a tolerance, a limit
// value, a ratio). The name is copied at construction and freed at destruction.
//
// The reviewed flag (0 at construction) tells a solver that the caller has already
// expressed the value in the scaled units of the function; a solver on a scaled model
// counts each tolerance-like value given without it.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrDoubleValue : public XelMathAttribute {
public:
  /// No name, value 0, exclusive.
  XelMathAttrDoubleValue();
  /// Name iName (copied; may be null), value iValue, exclusive when iExclusive is not 0.
  XelMathAttrDoubleValue(const char* iName, double iValue, long iExclusive);
  XelMathAttrDoubleValue(const XelMathAttrDoubleValue& iOther);
  XelMathAttrDoubleValue& operator=(const XelMathAttrDoubleValue& iOther);
  ~XelMathAttrDoubleValue() override;

  /// The name given.
  const char* GetType() const override;
  unsigned char IsExclusive() const override;

  double GetValue() const { return _value; }
  void SetValue(const double& iValue) { _value = iValue; }
  /// Marks the value as already expressed in scaled units.
  void SetOKReviewed() { _reviewed = 1; }
  long GetOKReviewed() const { return _reviewed; }

private:
  char* _name;
  double _value;
  unsigned char _exclusive;
  long _reviewed;
};
