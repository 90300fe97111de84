#pragma once
// Option "XelMathAttrDecomposition" (exclusive): a list of integers that tells the marcher
// and the vector-function sampler how the unknowns are split into groups. The integers are
// copied and owned.
#include "XelMathAttribute.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrDecomposition : public XelMathAttribute {
public:
  /// Copies iCount integers of iTab (none when iTab is null or iCount is not positive; more
  /// than an array holds raise 0x20004, "the number of integers").
  XelMathAttrDecomposition(long iCount, long* iTab);
  XelMathAttrDecomposition(const XelMathAttrDecomposition& iOther);
  XelMathAttrDecomposition& operator=(const XelMathAttrDecomposition& iOther);
  ~XelMathAttrDecomposition() override;

  /// "XelMathAttrDecomposition".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  long GetDecompositionNumber() const { return _count; }
  /// The copied integers (null when there are none).
  const long* GetDecompositionTab() const { return _tab; }

private:
  long _count;
  long* _tab;
};
