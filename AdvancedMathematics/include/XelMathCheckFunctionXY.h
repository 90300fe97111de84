#pragma once
// Self-checks of a two-variable function class written by a caller, on the plan of
// XelMathCheckFunctionX: exact derivatives against the base class's centred differences,
// masked and full evaluations against single ones, interval images against point values,
// grid evaluations against point evaluations, copies against the function itself.
//
// Each check returns 0 when it passes, otherwise the code of the first failure:
//   CheckIsA                       1 IsAKindOf(IsA()) false, 2 IsAKindOf("XelMathFunctionXY")
//   CheckDerivatives(x, y)         10 fx, 11 fy, 12 fxx, 13 fxy, 14 fyy, 15 fxxx, 16 fxxy,
//                                  17 fxyy, 18 fyyy
//   CheckMultiDerivEval(x, y)      for the masked evaluation with option o = 1 .. 7: 20 + o
//                                  value, 30 + o fx, 40 + o fy, 50 + o fxx, 60 + o fxy,
//                                  70 + o fyy; 80 + k output k of EvalUpToThirdDeriv (value,
//                                  fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy); 90 + k
//                                  output k of EvalAllThirdDerivs
//   CheckIntervalEvals(I, J)       100 + s
//   CheckMultiDerivIntervalEval    140 + 10 (o / 16 - 1) + s for the interval option o
//   CheckGridEval(I, J, nX, nY)    210 + s for the masked grid evaluation with option 7,
//                                  217 when it writes past its nX nY values
//   CheckEvalGrid(I, J, nX, nY)    221 value, 222 fx, 223 fy of EvalGrid with option 3,
//                                  224 when it writes past its values
//   CheckDuplicate(I, J, n)        130 Duplicate differs, 131 DeepDuplicate differs; each
//                                  also when the original no longer has its values at
//                                  17 x 17 points of I x J once that copy is deleted
//   CheckAll(x, y, I, J, n)        the first non-zero code of the checks in the order above
//                                  (grids of n x n points)
// where s, the code of the interval sub-check, names the first image (among those the
// function declares through IsOption: 16 the value, 32 the first, 64 the second derivatives)
// farther than (1 + |x| + |y|) eps from a point value at the samples of I x J: 1 value, 2 fx,
// 3 fy, 4 fxx, 5 fxy, 6 fyy, and 7 an image of the grid of cell images (value images only).
//
// Thresholds at (x, y), with a = |x| + |y| + 1 and d the base class's difference:
// eps^0.5 (a + |d|) for the first derivatives, eps^0.333 (a + |d|) for the second,
// eps^0.25 (a + |d|) for the third; evaluations agree within (|x| + |y| + 1) eps; copies
// within the tolerance's relative epsilon times (1 + |f|). The tolerance is handed to the
// interval evaluations.
//
// Nothing is printed. Duplicate and DeepDuplicate run in a protected region: an error 0x20009
// (the class does not provide the copy) is discarded, any other is raised again. The
// constructor given no function raises 0x20006 ("the function", "null"); the grid checks, and
// CheckDuplicate for the same n x n, raise 0x20004 ("Invalid Number Of Points") for counts
// whose grid no array can hold, before anything is evaluated. The function
// and the tolerance are not owned and must outlive the checker.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval.h"
#include "XelQuorVirtual.h"

class XelMathFunctionXY;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCheckFunctionXY : public XelQuorVirtual {
public:
  /// Samples per direction of the interval sub-check.
  static constexpr long IntervalSamples = 21;

  /// A checker of iFunction at precision iEps; iTol defaults to the function's own tolerance.
  XelMathCheckFunctionXY(const XelMathFunctionXY* iFunction, const double iEps,
                         const XelTolerance* iTol = nullptr);
  XelMathCheckFunctionXY(const XelMathCheckFunctionXY&) = delete;
  XelMathCheckFunctionXY& operator=(const XelMathCheckFunctionXY&) = delete;
  ~XelMathCheckFunctionXY() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long CheckAll(const double x, const double y, const XelMathInterval& iI,
                const XelMathInterval& iJ, const long n) const;
  long CheckIsA() const;
  long CheckDerivatives(const double x, const double y) const;
  long CheckMultiDerivEval(const double x, const double y) const;
  long CheckIntervalEvals(const XelMathInterval& iI, const XelMathInterval& iJ) const;
  long CheckMultiDerivIntervalEval(const XelMathInterval& iI, const XelMathInterval& iJ) const;
  long CheckGridEval(const XelMathInterval& iI, const XelMathInterval& iJ, const long nX,
                     const long nY) const;
  long CheckEvalGrid(const XelMathInterval& iI, const XelMathInterval& iJ, const long nX,
                     const long nY) const;
  long CheckDuplicate(const XelMathInterval& iI, const XelMathInterval& iJ, const long n) const;

  const XelMathFunctionXY* GetFunction() const { return _function; }
  double GetEps() const { return _eps; }
  const XelTolerance& GetTolerance() const { return *_tolerance; }

private:
  /// The interval sub-check of the images iImages (value, fx, fy, fxx, fxy, fyy) selected by
  /// iOption and declared by the function, at the samples of iI x iJ.
  long CheckImages(const XelMathInterval& iI, const XelMathInterval& iJ, const long iOption,
                   const XelMathInterval* iImages) const;
  /// Whether iCopy evaluates like the function at the (n + 1)^2 points of iI x iJ.
  bool SameValues(const XelMathFunctionXY* iCopy, const XelMathInterval& iI,
                  const XelMathInterval& iJ, const long n) const;

  const XelMathFunctionXY* _function;
  double _eps;
  const XelTolerance* _tolerance;
};
