#pragma once
// The test of the values around a point that the two-variable minimizers make before they
// report it as a minimum, and the direction along which a valley floor runs (internal, never
// installed). A descent or a stationary point may end where f still falls: at a degenerate
// saddle, on the floor of a curved valley, along an oblique edge of the region where f is
// defined; the probes of this test see the fall.
#include <cfloat>
#include <cmath>

#include "XelMathFunctionXY.h"
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"

namespace XelMathLocalMinimumXY {

/// Bisections of the angle between two probes, one without a value, that locate the edge of
/// the region where f is defined.
const int EdgeBisections = 40;
/// The angle between two neighbouring directions of the eight (pi / 4).
const double EighthTurn = 0.7853981633974483;

inline double Clamp(const double x, const XelMathInterval& iI) {
  return x < iI.low ? iI.low : (x > iI.high ? iI.high : x);
}

/// The flattest direction of the Hessian [[iHuu, iHuv], [iHuv, iHvv]] (a direction of the
/// variables, not normalized) and its smaller and larger eigenvalues: of (huv, low - huu) and
/// (low - hvv, huv), the longer one.
inline void FlattestDirection(const double iHuu, const double iHuv, const double iHvv,
                              double oAlong[2], double& oLow, double& oHigh) {
  const double mean = 0.5 * (iHuu + iHvv), radius = std::hypot(0.5 * (iHuu - iHvv), iHuv);
  oLow = mean - radius;
  oHigh = mean + radius;
  const double a[2] = {iHuv, oLow - iHuu}, b[2] = {oLow - iHvv, iHuv};
  const bool first = std::hypot(a[0], a[1]) >= std::hypot(b[0], b[1]);
  oAlong[0] = first ? a[0] : b[0];
  oAlong[1] = first ? a[1] : b[1];
}

/// The precision the values of iF allow around (iU, iV): the spread of f over the point and
/// the eight points two units of the last place of the rectangle's coordinates from it, along
/// the axes and diagonals (inside iDomain). A function computed from terms much larger than
/// its value rounds them: (1 - u)^2 + 1e5 (v - u^2)^2 by the coefficients of its expanded
/// form scatters by 1e-12 around (1, 1), where it is 0, and two points of its minimum differ
/// by that much whatever lies between them.
inline double ValueSpread(const XelMathFunctionXY& iF, const double iU, const double iV,
                          const XelMathInterval2D& iDomain) {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  const double f0 = iF.Eval(iU, iV);
  if (!std::isfinite(f0))
    return 0.0;
  const double hu = 2.0 * DBL_EPSILON * (std::fabs(iU) + (I.high - I.low));
  const double hv = 2.0 * DBL_EPSILON * (std::fabs(iV) + (J.high - J.low));
  double low = f0, high = f0;
  for (int k = 0; k < 8; ++k) {
    const double du = k == 2 || k == 6 ? 0.0 : (k < 2 || k == 7 ? hu : -hu);
    const double dv = k == 0 || k == 4 ? 0.0 : (k < 4 ? hv : -hv);
    const double f = iF.Eval(Clamp(iU + du, I), Clamp(iV + dv, J));
    if (std::isfinite(f)) {
      low = std::fmin(low, f);
      high = std::fmax(high, f);
    }
  }
  return high - low;
}

/// Whether no point at small steps around (iU, iV) inside iDomain is lower than it by more
/// than iNoise (the precision of the values there; a side flat within it counts as rising).
/// The eight directions of the axes and diagonals at 1e-6, 1e-4 and 1e-2 of the rectangle,
/// both ways along iAlong (may be null: a direction (du, dv) of the variables, such as the
/// flattest one of the Hessian), and, between a probe without a value and one with a value,
/// the last point with a value at that step (the edge of the region where f is defined).
/// A direction along which every change stays within iNoise but f still falls by more than
/// iRelativeEps |f| also shows no minimum: f falls at its own scale, far below the noise (the
/// tail of -exp(-1000 (u^2 + v^2)) near 1e-196 halves towards the well).
/// When the point is not a minimum and oLower is given, the lowest point seen at the three
/// steps goes there (u, v, value), so that a descent can go on from it.
inline bool IsLocalMinimum(const XelMathFunctionXY& iF, const double iU, const double iV,
                           const XelMathInterval2D& iDomain, const double iNoise,
                           const double iRelativeEps, const double* iAlong = nullptr,
                           double* oLower = nullptr) {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  const double f0 = iF.Eval(iU, iV);
  if (!std::isfinite(f0))
    return false;
  const double wu = I.high - I.low, wv = J.high - J.low;
  static const double steps[3] = {1e-6, 1e-4, 1e-2};
  // The eight directions, the axes exactly (a cosine of 3 pi / 2 computed is -1.8e-16: a probe
  // beside a side the function is undefined beyond would leave it).
  constexpr double c = 0.7071067811865476;
  double directions[10][2] = {{1.0, 0.0},  {c, c},      {0.0, 1.0}, {-c, c},    {-1.0, 0.0},
                              {-c, -c},    {0.0, -1.0}, {c, -c},    {0.0, 0.0}, {0.0, 0.0}};
  // Both ways along iAlong, the larger move of a variable being the step of the rectangle (a
  // valley u v = constant of a rectangle 1e-4 x 2 runs along v: a direction in units of the
  // rectangle would cross it).
  const double reach = iAlong ? std::fmax(wu > 0.0 ? std::fabs(iAlong[0]) / wu : 0.0,
                                          wv > 0.0 ? std::fabs(iAlong[1]) / wv : 0.0)
                              : 0.0;
  const int count = reach > 0.0 && std::isfinite(reach) ? 10 : 8;
  for (int k = 8; k < count; ++k) {
    const double sign = k == 8 ? 1.0 : -1.0;
    directions[k][0] = wu > 0.0 ? sign * iAlong[0] / (reach * wu) : 0.0;
    directions[k][1] = wv > 0.0 ? sign * iAlong[1] / (reach * wv) : 0.0;
  }
  bool lower = false;
  // Per direction: whether f rose beyond the noise at some step, and the least change seen.
  bool decided[10] = {false, false, false, false, false, false, false, false, false, false};
  double fall[10] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
  const auto seen = [&](const double u, const double v, const double f) {
    if (!(f < f0 - iNoise))
      return false;
    if (!oLower)
      return true;
    if (!lower || f < oLower[2]) {
      oLower[0] = u;
      oLower[1] = v;
      oLower[2] = f;
    }
    lower = true;
    return false; // the other probes of the step may be lower still
  };
  for (const double step : steps) {
    bool rising = true;
    // Which of the eight directions found no value (-1: the probe did not move).
    int undefined[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    for (int k = 0; k < count; ++k) {
      const double* d = directions[k];
      const double u = Clamp(iU + step * wu * d[0], I);
      const double v = Clamp(iV + step * wv * d[1], J);
      if (u == iU && v == iV) {
        if (k < 8)
          undefined[k] = -1;
        continue;
      }
      const double value = iF.Eval(u, v);
      if (k < 8)
        undefined[k] = std::isnan(value) ? 1 : 0;
      const double f = std::isnan(value) ? HUGE_VAL : value;
      if (seen(u, v, f))
        return false;
      rising = rising && f > f0 + iNoise;
      decided[k] = decided[k] || f > f0 + iNoise;
      fall[k] = std::fmin(fall[k], f - f0);
    }
    // Between a direction without a value and one with a value runs the edge of the region
    // where f is defined: the last point with a value at this step (bisection of the angle)
    // shows whether f falls along an edge that no direction follows (f = sqrt(u - v / 2)
    // falls along u = v / 2 towards its minimum).
    for (int k = 0; k < 8; ++k) {
      const int next = (k + 1) % 8;
      if (undefined[k] < 0 || undefined[next] < 0 || undefined[k] == undefined[next])
        continue;
      double defined = double(undefined[k] ? next : k), nan = double(undefined[k] ? k : next);
      if (next == 0) // the direction 0 is also the direction 8, after 7
        (undefined[k] ? defined : nan) = 8.0;
      double last = HUGE_VAL, lastU = iU, lastV = iV;
      for (int b = 0; b < EdgeBisections; ++b) {
        const double angle = 0.5 * (defined + nan) * EighthTurn;
        const double u = Clamp(iU + step * wu * std::cos(angle), I);
        const double v = Clamp(iV + step * wv * std::sin(angle), J);
        const double value = iF.Eval(u, v);
        (std::isnan(value) ? nan : defined) = 0.5 * (defined + nan);
        if (!std::isnan(value)) {
          last = value;
          lastU = u;
          lastV = v;
        }
      }
      if (seen(lastU, lastV, last))
        return false;
    }
    if (rising && !lower)
      return true;
  }
  if (lower)
    return false;
  // Flat within the noise at every step: a degenerate minimum, unless f falls at its own
  // scale along a direction where it never rose.
  for (int k = 0; k < count; ++k)
    if (!decided[k] && fall[k] < -iRelativeEps * std::fabs(f0))
      return false;
  return true;
}

} // namespace XelMathLocalMinimumXY
