// The adaptive integrator bound to a one-variable function.
#include "XelMathIntegrationFunctionX.h"

#include "XelMathConstants.h"
#include "XelMathFunctionX.h"

XelMathIntegrationFunctionX::XelMathIntegrationFunctionX(XelSoftwareConfiguration* iConfig,
                                                         long iDimension,
                                                         const XelMathFunctionX* iF)
    : XelMathIntegration(iConfig, iDimension), _function(iF) {}

XelMathIntegrationFunctionX::XelMathIntegrationFunctionX(long iDimension,
                                                         const XelMathFunctionX* iF)
    : XelMathIntegration(nullptr, iDimension), _function(iF) {}

XelMathIntegrationFunctionX::~XelMathIntegrationFunctionX() = default;

long XelMathIntegrationFunctionX::GetStaticMemoryBytes() const {
  return long(sizeof(*this));
}

void XelMathIntegrationFunctionX::Eval(double iX, double* oValues) {
  const long n = GetDimension();
  if (n < 1)
    return;
  oValues[0] = _function ? _function->Eval(iX) : XelMathInfinite;
  for (long i = 1; i < n; ++i)
    oValues[i] = 0.0;
}
