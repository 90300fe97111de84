#pragma once
// The criterion minimised by XelMathCleverInterpol::OptimalArc: a function of one variable
// (the length of an arc, as a factor of its first length) whose value is the arc's deviation
// from the curve plus its excursion outside the validity domain.
#include "XelMathFunctionRN.h"

class XelMathCleverInterpol;

class XELADVANCEDMATHEMATICS_EXPORT XelMathOptimalArcRN : public XelMathFunctionRN {
public:
  /// The arc of iInterpol (held) whose first length is iLength.
  XelMathOptimalArcRN(XelMathCleverInterpol* iInterpol, const double iLength);
  ~XelMathOptimalArcRN() override;
  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  XelMathFunctionRN* Duplicate() const override;
  using XelMathFunctionRN::Eval;
  /// The criterion at the length x[0] x the first length.
  double Eval(const double* x) const override;
  long GetStaticMemoryBytes() const override;

private:
  XelMathCleverInterpol* _interpol;
  double _length;
};
