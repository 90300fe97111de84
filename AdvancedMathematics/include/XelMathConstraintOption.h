#pragma once
// Option "XelMathConstraintOption" (exclusive), without data: its presence tells the
// implicit-system marcher to stop where the constraint changes sign.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathConstraintOption : public XelMathAttribute {
public:
  XelMathConstraintOption() = default;
  ~XelMathConstraintOption() override;

  /// "XelMathConstraintOption".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;
};
