#pragma once
// Self-checks of a one-variable function class written by a caller: its exact derivatives
// against the centred differences of the base class, its multi-output evaluations against its
// single ones, its interval images against its point values, its grid evaluation against point
// evaluations, and its copies against itself.
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckIsA                     1 IsAKindOf(IsA()) false, 2 IsAKindOf("XelMathFunctionX") false
//   CheckDerivatives(x)          10, 11, 12: first, second, third derivative
//   CheckMultiDerivEval(x)       21 value alone; 20 + o, 30 + o, 40 + o: value, first and
//                                second derivative of the multi-output evaluation with
//                                option o (o = 2 .. 7)
//   CheckIntervalEvals(I)        50 + s
//   CheckMultiDerivIntervalEval  60 + 5 (o / 16 - 1) + s for the interval option o
//   CheckGridEval(I, n)          100 + s for the grid evaluation with option 7 (s = 1, 2, 3),
//                                104 when it writes past its n values
//   CheckDuplicate(I, n)         130 Duplicate differs (or is null), 131 DeepDuplicate differs;
//                                each also when the original no longer has its values at
//                                17 points of I once that copy is deleted (shared state)
//   CheckAll(x, I, n)            the first non-zero code of the checks in the order above
// where s is the code of the interval sub-check: 1 value, 2 first, 3 second, 4 third
// derivative, the first order whose image is farther than (1 + |x|) eps from the point value
// at one of the samples of I (only the orders the function declares through IsOption).
//
// Thresholds at x, with a = |x| + 1 and d1, d2, d3 the base class's differences:
// eps^0.5 (a + |d1|), eps^0.333 (a + |d2|), eps^0.25 (a + |d3|); the multi-output and grid
// evaluations agree within (|x| + 1) eps; copies within the default tolerance's relative
// epsilon times (1 + |f(x)|).
//
// Nothing is printed. Raised: 0x20006 ("the function", "null") by the constructor given no
// function; 0x20004 ("Invalid Number Of Points") by CheckGridEval and CheckDuplicate for a
// count n whose grid no array can hold, before anything is evaluated; an error other than
// 0x20009 raised by DeepDuplicate, again. The function is not owned and must outlive the
// checker.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval.h"
#include "XelQuorVirtual.h"

class XelMathFunctionX;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckFunctionX : public XelQuorVirtual {
public:
  /// Number of samples of the interval sub-check.
  static constexpr long IntervalSamples = 101;

  XelMathCheckFunctionX(const XelMathFunctionX* iFunction, const double iEps);
  XelMathCheckFunctionX(const XelMathCheckFunctionX&) = delete;
  XelMathCheckFunctionX& operator=(const XelMathCheckFunctionX&) = delete;
  ~XelMathCheckFunctionX() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll(const double x, const XelMathInterval& iI, const long n) const;
  long CheckIsA() const;
  long CheckDerivatives(const double x) const;
  long CheckMultiDerivEval(const double x) const;
  long CheckIntervalEvals(const XelMathInterval& iI) const;
  long CheckMultiDerivIntervalEval(const XelMathInterval& iI) const;
  long CheckGridEval(const XelMathInterval& iI, const long n) const;
  long CheckDuplicate(const XelMathInterval& iI, const long n) const;

  const XelMathFunctionX* GetFunction() const { return _function; }
  double GetEps() const { return _eps; }

private:
  /// The interval sub-check: the orders selected by iOption (16 value, 32, 64, 128 the
  /// derivatives) and declared by the function, images iImages[0..3], at n samples of iI.
  long CheckImages(const XelMathInterval& iI, const long iOption,
                   const XelMathInterval* iImages) const;
  /// Whether iCopy evaluates like the function at the n + 1 points of iI.
  bool SameValues(const XelMathFunctionX* iCopy, const XelMathInterval& iI, const long n) const;

  const XelMathFunctionX* _function;
  double _eps;
};
