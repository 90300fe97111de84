#pragma once
// The interval helpers of the library's function classes, one copy (internal, never
// installed): the elementary functions (trigonometric, arc tangent of a cosine, hyperbolic,
// fraction, periodic, piecewise) use them directly, the composite functions through
// XelMathCompositeTools.h. Ends are computed in ordinary floating point, as the interval
// functions of the library do; products keep an exact zero.
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
