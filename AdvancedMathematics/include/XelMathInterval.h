#pragma once
// Closed interval of reals [low, high], a plain value type. An interval whose low end
// exceeds its high end is empty; no operation rejects it. Bounds are computed in ordinary
// floating point from end values and known extrema, without directed rounding: an end of a
// result is the platform's value of the function at an end of the argument, or a constant
// (an extremum, 0, +/-pi, +/-XelMathInfinite).
//
// The elementary functions on intervals (sqrt, square, abs, sin, cos, atan, sinh, cosh, tanh,
// exp, log, atan2) are free functions below. sin and cos decide which extrema lie in the
// interval by counting periods, widened by the error bound of that count, so the image
// encloses the point values at the ends and inside even far from the origin. The widening
// changes a bound by less than an ulp up to about 1e7 in magnitude; it grows with the
// magnitude, and beyond about 5e15 (where the count cannot be trusted) the image is [-1, 1].
//
// The periodic operations fold a value into the interval modulo a period. No operation
// raises; NaN ends fall through the comparisons as each operation states.
#include "XelAdvancedMathematicsExport.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathInterval {
public:
  XelMathInterval() : low(0.0), high(0.0) {}
  XelMathInterval(double iLow, double iHigh) : low(iLow), high(iHigh) {}

  /// +1 if empty or low > 0; -1 if high < 0; 0 when the interval contains 0.
  int Sign() const {
    if (low > high || low > 0.0)
      return 1;
    return high < 0.0 ? -1 : 0;
  }
  /// Inclusion in iOther (false when iOther is empty, or either holds a NaN end).
  bool IsIncludedIn(const XelMathInterval& iOther) const {
    return iOther.low <= iOther.high && low >= iOther.low && high <= iOther.high;
  }
  /// Inclusion in iOther widened by iTol on both sides (false when iOther is empty, or a NaN
  /// takes part).
  bool IsIncludedIn(const XelMathInterval& iOther, const double iTol) const {
    return iOther.low <= iOther.high && low >= iOther.low - iTol && high <= iOther.high + iTol;
  }
  /// Distance from x to the interval (0 inside).
  double DistanceTo(const double& x) const {
    if (x < low)
      return low - x;
    if (x > high)
      return x - high;
    return 0.0;
  }
  /// Largest absolute value in the interval.
  double Norm() const {
    if (low >= 0.0)
      return high;
    if (high <= 0.0)
      return -low;
    return high > -low ? high : -low;
  }
  /// Folds ioX into the interval, its width being the period: a value above is brought down
  /// (possibly onto high), a value below brought up (possibly onto low), a value inside is
  /// kept. Nothing changes when an end is at least XelMathInfinite in magnitude.
  void PeriodicResidue(double& ioX);
  /// Whether x lies in the interval modulo the period iPeriod, with tolerance iTol on the
  /// folding windows. True when the interval covers a whole period plus iTol.
  unsigned char InPeriodicTrim(const double x, const double iPeriod, const double iTol);
  /// Periodic distance from ioX to the nearer end; ioX becomes that end (low on ties). 0 (ioX
  /// kept) when the interval covers a whole period.
  double ClosestPeriodicEndpoint(double& ioX, const double iPeriod);

  double low;
  double high;
};

XELADVANCEDMATHEMATICS_EXPORT XelMathInterval sqrt(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval square(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval abs(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval sin(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval cos(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval atan(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval sinh(const XelMathInterval& iI);
/// [0, cosh of the end farther from 0] when the interval contains 0 (the low end is 0, not 1).
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval cosh(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval tanh(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval exp(const XelMathInterval& iI);
/// Logarithm of both ends; non-positive ends go to the platform's log unchecked.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval log(const XelMathInterval& iI);
/// Arc tangent of Y over X, in [-pi, pi]; the full range when the branch cut is crossed.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval atan2(const XelMathInterval& iY,
                                                    const XelMathInterval& iX);
XELADVANCEDMATHEMATICS_EXPORT bool operator==(const XelMathInterval& iA, const XelMathInterval& iB);
XELADVANCEDMATHEMATICS_EXPORT bool operator!=(const XelMathInterval& iA, const XelMathInterval& iB);
/// iA divided by the interval: the infinite interval when the interval touches 0.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval operator/(const double& iA,
                                                        const XelMathInterval& iI);
