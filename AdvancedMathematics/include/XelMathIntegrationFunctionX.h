#pragma once
// The adaptive integrator bound to a one-variable function: the integrand's first component
// is f(x), the other components (when the dimension exceeds 1) are 0.
//
// The function is not owned and must outlive the integrator. A null function evaluates to
// XelMathInfinite, like the other composites of a missing component.
#include "XelMathIntegration.h"

class XelMathFunctionX;

class XELADVANCEDMATHEMATICS_EXPORT XelMathIntegrationFunctionX : public XelMathIntegration {
public:
  XelMathIntegrationFunctionX(XelSoftwareConfiguration* iConfig, long iDimension,
                              const XelMathFunctionX* iF);
  /// Without a configuration (the current level).
  XelMathIntegrationFunctionX(long iDimension, const XelMathFunctionX* iF);
  ~XelMathIntegrationFunctionX() override;

  long GetStaticMemoryBytes() const override;

  /// f(iX) into oValues[0]; 0 into the other components.
  void Eval(double iX, double* oValues) override;

  const XelMathFunctionX* GetFunction() const { return _function; }

private:
  const XelMathFunctionX* _function;
};
