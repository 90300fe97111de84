#pragma once
// Vector-valued function of one variable: N components, each with its value and first and
// second derivatives at a parameter. The explicit interpolator and the samplers of curves
// read a curve through this interface.
//
// The object keeps the software configuration and the tolerance it was built with (either may
// be null; neither is owned).
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelSoftwareConfiguration;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathVectorialFunctionX : public XelQuorVirtual {
public:
  /// N components (a negative N counts as 0), no configuration, no tolerance.
  explicit XelMathVectorialFunctionX(const long iN);
  XelMathVectorialFunctionX(XelSoftwareConfiguration* iConfig, const long iN,
                            const XelTolerance* iTol);
  ~XelMathVectorialFunctionX() override;

  /// The N values at x into oValues.
  virtual void Eval(const double x, double* oValues) const = 0;
  /// The N first derivatives at x into oDerivs.
  virtual void EvalFirstDeriv(const double x, double* oDerivs) const = 0;
  /// The N second derivatives at x into oDerivs.
  virtual void EvalSecondDeriv(const double x, double* oDerivs) const = 0;
  /// Values and first derivatives at once (by default the two calls above).
  virtual void Eval(const double x, double* oValues, double* oDerivs) const;

  long GetDimension() const { return _dimension; }
  XelSoftwareConfiguration* GetSoftwareConfiguration() const { return _config; }
  const XelTolerance* GetTolerance() const { return _tolerance; }

protected:
  long _dimension;
  XelSoftwareConfiguration* _config;
  const XelTolerance* _tolerance;
};
