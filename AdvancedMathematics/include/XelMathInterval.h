#pragma once
// Closed interval of reals [low, high], a plain value type. An interval whose low end
// exceeds its high end is empty; no operation rejects it. Bounds are computed in ordinary
// floating point from end values and known extrema, without directed rounding.
#include "XelAdvancedMathematicsExport.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathInterval {
public:
  XelMathInterval() : low(0.0), high(0.0) {}
  XelMathInterval(double iLow, double iHigh) : low(iLow), high(iHigh) {}

  /// +1 if empty or low > 0; -1 if high < 0; 0 when the interval contains 0.
  int Sign() const;
  /// Inclusion in iOther (false when iOther is empty).
  bool IsIncludedIn(const XelMathInterval& iOther) const;
  /// Inclusion in iOther widened by iTol on both sides (false when iOther is empty).
  bool IsIncludedIn(const XelMathInterval& iOther, const double iTol) const;
  /// Distance from x to the interval (0 inside).
  double DistanceTo(const double& x) const;
  /// Largest absolute value in the interval.
  double Norm() const;
  /// Folds ioX into the interval, its width being the period.
  void PeriodicResidue(double& ioX);
  /// Whether x lies in the interval modulo the period iPeriod, with tolerance iTol.
  unsigned char InPeriodicTrim(const double x, const double iPeriod, const double iTol);
  /// Periodic distance from ioX to the nearer end; ioX becomes that end. 0 (ioX kept) when
  /// the interval covers a whole period.
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
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval cosh(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval tanh(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval exp(const XelMathInterval& iI);
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval log(const XelMathInterval& iI);
/// Arc tangent of Y over X, in [-pi, pi]; the full range when the branch cut is crossed.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval atan2(const XelMathInterval& iY,
                                                     const XelMathInterval& iX);
XELADVANCEDMATHEMATICS_EXPORT bool operator==(const XelMathInterval& iA, const XelMathInterval& iB);
XELADVANCEDMATHEMATICS_EXPORT bool operator!=(const XelMathInterval& iA, const XelMathInterval& iB);
/// iA divided by the interval: the infinite interval when the interval touches 0.
XELADVANCEDMATHEMATICS_EXPORT XelMathInterval operator/(const double& iA,
                                                         const XelMathInterval& iI);
