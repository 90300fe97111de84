#pragma once
// Option "XelMathConstraint" (exclusive): a condition g(x) >= 0 on the parameter that
// restricts where a root finder (or a sampler) looks. A derived class says whether an
// interval may hold admissible points, so that the search drops the intervals that cannot,
// and evaluates g at a parameter. The derivative of g defaults to a centred difference.
#include "XelMathAttribute.h"

class XelMathInterval;

class XELADVANCEDMATHEMATICS_EXPORT XelMathConstraint : public XelMathAttribute {
public:
  XelMathConstraint() = default;
  ~XelMathConstraint() override;

  /// "XelMathConstraint".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  /// Non-zero when iInterval may hold admissible points; 0 drops the interval.
  virtual unsigned char IsAdmissible(const XelMathInterval& iInterval) const = 0;
  /// The constraint g at the parameter x.
  virtual double EvalConstraint(double x) const = 0;
  /// g'(x); default (g(x + h) - g(x - h)) / (2 h), h = XelHardTol(1e-06).
  virtual double EvalDerivConstraint(double x) const;
};
