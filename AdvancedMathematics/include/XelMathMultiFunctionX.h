#pragma once
// N one-variable functions packaged as one vector-valued function of one variable: entry i of
// every evaluation comes from f_i. The pointer array is allocated with the object; the
// functions are not owned and must outlive it. A null f_i gives XelMathInfinite in entry i.
#include "XelMathVectorialFunctionX.h"

class XelMathFunctionX;

class XELADVANCEDMATHEMATICS_EXPORT XelMathMultiFunctionX : public XelMathVectorialFunctionX {
public:
  /// The iN functions of iF; an iN that no array holds raises 0x20006 ("the number of
  /// functions", "Dimension not valid").
  XelMathMultiFunctionX(long iN, const XelMathFunctionX** iF);
  XelMathMultiFunctionX(XelSoftwareConfiguration* iConfig, long iN, const XelMathFunctionX** iF,
                        const XelTolerance& iTol);
  XelMathMultiFunctionX(const XelMathMultiFunctionX&) = delete;
  XelMathMultiFunctionX& operator=(const XelMathMultiFunctionX&) = delete;
  ~XelMathMultiFunctionX() override;

  long GetDynamicMemoryBytes() const override;

  void Eval(const double x, double* oValues) const override;
  void EvalFirstDeriv(const double x, double* oDerivs) const override;
  void EvalSecondDeriv(const double x, double* oDerivs) const override;
  /// Each component evaluated once for its value and first derivative.
  void Eval(const double x, double* oValues, double* oDerivs) const override;

  const XelMathFunctionX* GetFunction(const long i) const { return _functions[i]; }

private:
  void Init(const XelMathFunctionX** iF);

  const XelMathFunctionX** _functions;
};
