#pragma once
// Option "XelMathAttrTolObject" (exclusive): a tolerance that a solver uses instead of the
// function's own. The tolerance is not copied nor owned: it must outlive the attribute.
#include "XelMathAttribute.h"

class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrTolObject : public XelMathAttribute {
public:
  explicit XelMathAttrTolObject(const XelTolerance& iTolerance);
  ~XelMathAttrTolObject() override;

  /// "XelMathAttrTolObject".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  const XelTolerance& GetTolObject() const { return *_tolerance; }

private:
  const XelTolerance* _tolerance;
};
