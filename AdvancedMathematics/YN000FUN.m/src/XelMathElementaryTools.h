#pragma once
// The interval helpers of the library's function classes, one copy (internal, never
// installed): the elementary functions (trigonometric, arc tangent of a cosine, hyperbolic,
// fraction, periodic, piecewise) use them directly, the composite functions through
// XelMathCompositeTools.h. Ends are computed in ordinary floating point, as the interval
// functions of the library do; products keep an exact zero.
#include <cfloat>
#include <cmath>
#include <tuple>

#include "XelMathConstants.h"
#include "XelMathInterval.h"

namespace XelMathElementary {

inline double Min2(double a, double b) {
  return b < a ? b : a;
}
inline double Max2(double a, double b) {
  return b > a ? b : a;
}

/// Product of two bounds: 0 when either is 0, so that an exact zero times an end that
/// overflowed to infinity stays 0 instead of NaN.
inline double EndProduct(double a, double b) {
  return (a == 0.0 || b == 0.0) ? 0.0 : a * b;
}
/// k I, ends ordered by the sign of k.
inline XelMathInterval Scale(const double k, const XelMathInterval& iI) {
  return k >= 0.0 ? XelMathInterval(EndProduct(k, iI.low), EndProduct(k, iI.high))
                  : XelMathInterval(EndProduct(k, iI.high), EndProduct(k, iI.low));
}
/// -I.
inline XelMathInterval Neg(const XelMathInterval& iI) {
  return XelMathInterval(-iI.high, -iI.low);
}
/// [0, 0].
inline XelMathInterval Zero() {
  return XelMathInterval(0.0, 0.0);
}
/// I + c.
inline XelMathInterval Shift(const XelMathInterval& iI, const double c) {
  return XelMathInterval(iI.low + c, iI.high + c);
}
inline XelMathInterval Add(const XelMathInterval& iA, const XelMathInterval& iB) {
  return XelMathInterval(iA.low + iB.low, iA.high + iB.high);
}
/// [a - d, b - c].
inline XelMathInterval Sub(const XelMathInterval& iA, const XelMathInterval& iB) {
  return XelMathInterval(iA.low - iB.high, iA.high - iB.low);
}
/// Four-case product: minimum and maximum of the four end products.
inline XelMathInterval Mul(const XelMathInterval& iA, const XelMathInterval& iB) {
  const double p1 = EndProduct(iA.low, iB.low), p2 = EndProduct(iA.low, iB.high);
  const double p3 = EndProduct(iA.high, iB.low), p4 = EndProduct(iA.high, iB.high);
  return XelMathInterval(Min2(Min2(p1, p2), Min2(p3, p4)), Max2(Max2(p1, p2), Max2(p3, p4)));
}
/// Smallest interval holding both.
inline XelMathInterval Hull(const XelMathInterval& iA, const XelMathInterval& iB) {
  return XelMathInterval(Min2(iA.low, iB.low), Max2(iA.high, iB.high));
}
/// Intersection of two enclosures of the same image (the tighter bound on each side); when
/// rounding makes them disjoint, their hull. A NaN end in iB keeps iA, one in iA keeps iB.
inline XelMathInterval Tighter(const XelMathInterval& iA, const XelMathInterval& iB) {
  if (!(iB.low <= iB.high))
    return iA;
  if (!(iA.low <= iA.high))
    return iB;
  const XelMathInterval r(iB.low > iA.low ? iB.low : iA.low, iB.high < iA.high ? iB.high : iA.high);
  if (r.low <= r.high)
    return r;
  return Hull(iA, iB);
}
/// [-XelMathInfinite, XelMathInfinite].
inline XelMathInterval Infinite() {
  return XelMathInterval(-XelMathInfinite, XelMathInfinite);
}
/// Whether an interval holds 0 (ends of product <= 0), so that dividing by it is unbounded.
inline bool MayVanish(const XelMathInterval& iI) {
  return !(iI.low * iI.high > 0.0);
}
/// 1 / I for an interval that does not hold 0.
inline XelMathInterval Inverse(const XelMathInterval& iI) {
  return XelMathInterval(1.0 / iI.high, 1.0 / iI.low);
}
/// I^3 (monotone).
inline XelMathInterval Cube(const XelMathInterval& iI) {
  return XelMathInterval(iI.low * iI.low * iI.low, iI.high * iI.high * iI.high);
}
/// The outputs a multi-output evaluation asks for: those of the bits iFirstBit, 2 iFirstBit
/// and 4 iFirstBit of iOptions (XelMathOption::Value at a point, XelMathOption::Image over an
/// interval) whose pointer is not null.
/// const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
inline std::tuple<bool, bool, bool> AskedOutputs(const long iOptions, const long iFirstBit,
                                                 const void* oF, const void* oF1, const void* oF2) {
  return std::make_tuple(oF && (iOptions & iFirstBit), oF1 && (iOptions & (2 * iFirstBit)),
                         oF2 && (iOptions & (4 * iFirstBit)));
}

/// Sine and cosine of t in one call of the platform's sincos where it has one (the same
/// values as its sin and cos, at about the cost of one of them).
inline void SinCos(const double t, double& oS, double& oC) {
#if defined(__GLIBC__)
  ::sincos(t, &oS, &oC);
#else
  oS = std::sin(t);
  oC = std::cos(t);
#endif
}

// ---- sine and cosine over an interval from their end values ------------------------------
// The shape of the sine over [t1, t2] (monotone window, extrema inside) is decided by
// arithmetic on the ends; the platform's functions are called only for the end values that
// the image needs. The cosine over [x1, x2] is the sine over [x1 + pi/2, x2 + pi/2] with the
// cosines of x1 and x2 as end values, so one sincos per end serves both images (and all the
// derivatives of a wave).

/// Error bound of u = t * XelINV2PI - phase relative to |u| + 1, in periods, where t may carry
/// the rounding of a shift by pi/2: the constant 1/2pi, the product, the shift and the
/// subtraction each add at most half an epsilon (relative to |u| + 1/4), i.e. 2 epsilons in
/// all; 3 leaves a margin. Far from the origin (beyond about 1e12) the literal floor test can
/// miss an extremum by more than rounding, e.g. by 0.15 radian around 1e15.
constexpr double SineReductionError = 3.0 * DBL_EPSILON;

/// floor(x), exact for every double, without a call into the platform's library: below 2^52
/// in size through the integer conversion (exact there), beyond (every such double is an
/// integer), infinite or NaN as it is.
inline double ExactFloor(const double x) {
  if (!(std::fabs(x) < 4503599627370496.0))
    return x;
  const double t = static_cast<double>(static_cast<long long>(x));
  return t > x ? t - 1.0 : t;
}

/// Whether some point phase*2pi + 2k*pi lies in [t1, t2]: an integer k with
/// t1/2pi - phase <= k <= t2/2pi - phase. The floor is exact for every finite double; the
/// test widens both reduced ends by their error bound, so that a point lying in the interval
/// is never missed (one lying just outside may be taken, which only widens the image by a
/// rounding-sized amount).
inline bool HasPeriodicPoint(double t1, double t2, double phase) {
  const double u1 = t1 * XelINV2PI - phase, u2 = t2 * XelINV2PI - phase;
  const double s1 = (std::fabs(u1) + 1.0) * SineReductionError;
  const double s2 = (std::fabs(u2) + 1.0) * SineReductionError;
  return ExactFloor(u2 + s2) > u1 - s1;
}

/// Shape of the sine over [t1, t2].
struct SineShape {
  bool increasing; // inside a fixed increasing window
  bool decreasing; // inside the fixed decreasing window
  bool hasMax;     // a maximum pi/2 + 2k pi lies inside
  bool hasMin;     // a minimum 3pi/2 + 2k pi lies inside
  /// The image is [-1, 1] whatever the end values.
  bool Full() const { return hasMax && hasMin; }
};

inline SineShape SineShapeOf(double t1, double t2) {
  SineShape r{false, false, false, false};
  if (t2 - t1 >= Xel2PI) {
    r.hasMax = r.hasMin = true;
    return r;
  }
  // Fixed monotonic windows, not reduced by the period.
  r.increasing =
      (t1 >= -XelPIBY2 && t2 <= XelPIBY2) || (t1 >= Xel3PIBY2 && t2 <= Xel2PI + XelPIBY2);
  r.decreasing = !r.increasing && t1 >= XelPIBY2 && t2 <= Xel3PIBY2;
  if (!r.increasing && !r.decreasing) {
    r.hasMax = (t1 <= XelPIBY2 && t2 >= XelPIBY2) || HasPeriodicPoint(t1, t2, 0.25);
    r.hasMin = (t1 <= Xel3PIBY2 && t2 >= Xel3PIBY2) || HasPeriodicPoint(t1, t2, 0.75);
  }
  return r;
}

/// The image of a shape given the values f1, f2 of the function at the two ends.
inline XelMathInterval SineImageFromEnds(const SineShape& iShape, double f1, double f2) {
  if (iShape.Full())
    return XelMathInterval(-1.0, 1.0);
  if (iShape.increasing)
    return XelMathInterval(f1, f2);
  if (iShape.decreasing)
    return XelMathInterval(f2, f1);
  const double lo = f2 < f1 ? f2 : f1, hi = f2 > f1 ? f2 : f1;
  if (iShape.hasMax)
    return XelMathInterval(lo, 1.0);
  if (iShape.hasMin)
    return XelMathInterval(-1.0, hi);
  return XelMathInterval(lo, hi);
}

/// Shape of the cosine over [x1, x2].
inline SineShape CosineShapeOf(double x1, double x2) {
  return SineShapeOf(x1 + XelPIBY2, x2 + XelPIBY2);
}

/// Interval cosine and sine of a phase w x + p; [-1, 1] when w x overflows, where the
/// platform's functions have no value.
inline XelMathInterval PhaseCos(const XelMathInterval& iTheta) {
  if (!std::isfinite(iTheta.low) || !std::isfinite(iTheta.high))
    return XelMathInterval(-1.0, 1.0);
  return cos(iTheta);
}
inline XelMathInterval PhaseSin(const XelMathInterval& iTheta) {
  if (!std::isfinite(iTheta.low) || !std::isfinite(iTheta.high))
    return XelMathInterval(-1.0, 1.0);
  return sin(iTheta);
}
/// Interval cosine and sine of the same phase, from one sincos per end; each equals PhaseCos,
/// PhaseSin.
inline void PhaseCosSin(const XelMathInterval& iTheta, XelMathInterval& oCos,
                        XelMathInterval& oSin) {
  if (!std::isfinite(iTheta.low) || !std::isfinite(iTheta.high)) {
    oCos = oSin = XelMathInterval(-1.0, 1.0);
    return;
  }
  const SineShape cosShape = CosineShapeOf(iTheta.low, iTheta.high);
  const SineShape sinShape = SineShapeOf(iTheta.low, iTheta.high);
  if (cosShape.Full() && sinShape.Full()) {
    oCos = oSin = XelMathInterval(-1.0, 1.0);
    return;
  }
  double s1, c1, s2, c2;
  SinCos(iTheta.low, s1, c1);
  SinCos(iTheta.high, s2, c2);
  oCos = SineImageFromEnds(cosShape, c1, c2);
  oSin = SineImageFromEnds(sinShape, s1, s2);
}
/// Image of iI by a smooth function whose extrema can only lie at the iNb critical points:
/// the values at both ends and at the critical points inside.
template <class Fn>
XelMathInterval ImageByCriticalPoints(Fn iFn, const XelMathInterval& iI, const double* iCritical,
                                      const int iNb) {
  const double a = iFn(iI.low), b = iFn(iI.high);
  XelMathInterval r(Min2(a, b), Max2(a, b));
  for (int k = 0; k < iNb; ++k) {
    if (iI.low < iCritical[k] && iCritical[k] < iI.high) {
      const double v = iFn(iCritical[k]);
      r.low = Min2(r.low, v);
      r.high = Max2(r.high, v);
    }
  }
  return r;
}

} // namespace XelMathElementary
