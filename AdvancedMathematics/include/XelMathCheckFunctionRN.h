#pragma once
// Self-checks of a function class of N variables written by a caller, on the plan of
// XelMathCheckFunctionX: exact derivatives against the base class's centred differences,
// multi-output evaluations against single ones, interval images against point values, copies
// against the function itself.
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckIsA                 1 IsAKindOf(IsA()) false, 2 IsAKindOf("XelMathFunctionRN") false
//   CheckDerivatives(x)      10 a first, 11 a second, 12 a third partial derivative
//   CheckMultiDerivEval(x)   20 + o value, 30 + o gradient, 40 + o Hessian of the multi-output
//                            evaluation with option o (o = 1 .. 7, full Hessian array); 50 + o
//                            when an output of the form with a packed symmetric Hessian
//                            disagrees
//   CheckIntervalEvals(box)  70 + s: the first order whose image (among those the function
//                            declares through IsOption: 16 value, 32, 64, 128 the partial
//                            derivatives) is farther than (1 + sum |x_i|) eps from a point
//                            value at the corners of the box (up to 10 variables) or at
//                            IntervalSamples points spread over it: 1 value, 2 first,
//                            3 second, 4 third derivatives
//   CheckDuplicate(box, n)   130 Duplicate differs, 131 DeepDuplicate differs; each also
//                            when the original no longer has its values at 17 points of the
//                            diagonal once that copy is deleted
//   CheckAll(x, box, n)      the first non-zero code of the checks in the order above
//
// Thresholds at x, with a = 1 + sum |x_i| and d the base class's difference: eps^0.5 (a + |d|)
// for the first derivatives, eps^0.333 (a + |d|) for the second, eps^0.25 (a + |d|) for the
// third; evaluations agree within a eps; copies within the default tolerance's relative
// epsilon times (1 + |f|), at n + 1 points of the diagonal and n + 1 points spread over the box.
//
// The point x is not changed. Nothing is printed. DeepDuplicate runs in a protected region: an
// error 0x20009 is discarded, any other is raised again. A point or box whose dimension is not
// the function's raises 0x20006. The function is not owned and must outlive the checker.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathFunctionRN;
class XelMathIntervalND;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckFunctionRN : public XelQuorVirtual {
public:
  /// Points spread over the box by the interval sub-check.
  static constexpr long IntervalSamples = 128;

  XelMathCheckFunctionRN(const XelMathFunctionRN* iFunction, const double iEps);
  XelMathCheckFunctionRN(const XelMathCheckFunctionRN&) = delete;
  XelMathCheckFunctionRN& operator=(const XelMathCheckFunctionRN&) = delete;
  ~XelMathCheckFunctionRN() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll(const double* x, const XelMathIntervalND& iBox, const long n) const;
  long CheckIsA() const;
  long CheckDerivatives(const double* x) const;
  long CheckMultiDerivEval(const double* x) const;
  long CheckIntervalEvals(const XelMathIntervalND& iBox) const;
  long CheckDuplicate(const XelMathIntervalND& iBox, const long n) const;

  const XelMathFunctionRN* GetFunction() const { return _function; }
  double GetEps() const { return _eps; }

private:
  /// The number of variables; raises 0x20006 when iBox (when given) has another dimension or
  /// when the square of the count is more than an array can hold.
  long Dimension(const XelMathIntervalND* iBox) const;
  /// Whether iCopy evaluates like the function at the points of the copy check.
  bool SameValues(const XelMathFunctionRN* iCopy, const XelMathIntervalND& iBox,
                  const long n) const;

  const XelMathFunctionRN* _function;
  double _eps;
};
