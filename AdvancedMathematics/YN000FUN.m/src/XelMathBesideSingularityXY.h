#pragma once
// Whether a point that a two-variable minimizer is about to report lies beside a singularity
// of the function (a pole, a logarithm of zero) rather than at a minimum (internal, never
// installed). The descents and the samples close on such a point: 1/(u - 0.3) + v^2 gave
// u = 0.29999999999999993 (f = -1.8e16, the double next to the pole), the direct search
// u = 0.29999999999999805 (f = -5e14) and log(u + v - 0.5) a point 1e-15 from the line.
#include <cfloat>
#include <cmath>

#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"

namespace XelMathSingularityXY {

/// Steps of the probes: the first one a few units of the last place of the rectangle's
/// coordinates, each the next 4 times farther, up to this part of the rectangle.
const double LastProbeRatio = 1e-2;
const double ProbeGrowth = 4.0;
/// Fall of f along the probes, relative to |f|, that marks a singularity (as for one
/// variable), and the rise to the next double beside an infinite value that does.
const double SingularFall = 1e-3;
const double SingularRise = 0.25;

/// Whether (iU, iV), of value iValue, is beside a singularity of iF inside iDomain. iNoise is
/// the precision of the values there. Two signs:
///  - along one of eight directions f keeps falling from the point, each probe below the last
///    by more than iNoise, until it is below iValue by more than SingularFall |iValue| (or
///    that part of the change of f to the last probes along the axes, when larger): the
///    probes step towards a pole (one lands between the pole and half its distance, where the
///    fall is a large part of |f|); at a minimum they rise or stay within the noise at once;
///  - the next double along an axis gives an infinite value while the double on the other
///    side is above iValue by more than a quarter of |iValue|: the point is the last double
///    before a pole (a minimum whose value changes that much within a unit of the last place
///    is beyond what the values can show anyway).
inline bool BesideSingularity(const XelMathFunctionXY& iF, const double iU, const double iV,
                              const double iValue, const XelMathInterval2D& iDomain,
                              const double iNoise) {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  const double wu = I.high - I.low, wv = J.high - J.low;
  const auto inside = [&](const double u, const double v) {
    return I.low <= u && u <= I.high && J.low <= v && v <= J.high;
  };
  // The last double before a pole.
  for (int axis = 0; axis < 2; ++axis) {
    if (!((axis == 0 ? wu : wv) > 0.0))
      continue;
    const double c = axis == 0 ? iU : iV;
    const double below = std::nextafter(c, -HUGE_VAL), above = std::nextafter(c, HUGE_VAL);
    if (!inside(axis == 0 ? below : iU, axis == 0 ? iV : below) ||
        !inside(axis == 0 ? above : iU, axis == 0 ? iV : above))
      continue;
    const double fb = axis == 0 ? iF.Eval(below, iV) : iF.Eval(iU, below);
    const double fa = axis == 0 ? iF.Eval(above, iV) : iF.Eval(iU, above);
    const double rise = SingularRise * std::fabs(iValue) + iNoise;
    if ((std::isinf(fa) && fb > iValue + rise) || (std::isinf(fb) && fa > iValue + rise))
      return true;
  }
  // A fall towards a singularity: a part of |f| or of the change of f out to the last probes
  // along the axes, whichever is larger (at a minimum of a polynomial by its coefficients, of
  // value 0, the values around are rounding of 1e-12 and fall by more than the noise).
  double spread = std::fabs(iValue);
  for (int k = 0; k < 4; ++k) {
    const double u = iU + (k < 2 ? (k == 0 ? 1.0 : -1.0) * LastProbeRatio * wu : 0.0);
    const double v = iV + (k < 2 ? 0.0 : (k == 2 ? 1.0 : -1.0) * LastProbeRatio * wv);
    const double f = (u != iU || v != iV) && inside(u, v) ? iF.Eval(u, v) : iValue;
    if (std::isfinite(f))
      spread = std::fmax(spread, std::fabs(f - iValue));
  }
  const double fall = std::fmax(iNoise, SingularFall * spread);
  const double hu = DBL_EPSILON * (std::fabs(iU) + wu), hv = DBL_EPSILON * (std::fabs(iV) + wv);
  constexpr double c = 0.7071067811865476;
  static const double directions[8][2] = {{1.0, 0.0}, {c, c},   {0.0, 1.0},  {-c, c},
                                           {-1.0, 0.0}, {-c, -c}, {0.0, -1.0}, {c, -c}};
  for (const auto& d : directions) {
    double previous = iValue;
    for (double step = 1.0;; step *= ProbeGrowth) {
      const double du = step * hu * d[0], dv = step * hv * d[1];
      if (std::fabs(du) > LastProbeRatio * wu || std::fabs(dv) > LastProbeRatio * wv)
        break;
      const double u = iU + du, v = iV + dv;
      if (!inside(u, v) || (u == iU && v == iV))
        break;
      const double f = iF.Eval(u, v);
      if (!(f < previous - iNoise))
        break;
      if (f < iValue - fall)
        return true;
      previous = f;
    }
  }
  return false;
}

} // namespace XelMathSingularityXY
