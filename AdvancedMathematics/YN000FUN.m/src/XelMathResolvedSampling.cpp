#include "XelMathResolvedSampling.h"

#include <algorithm>
#include <cmath>

#include "XelMathFunctionX.h"
#include "XelMathInternalConstants.h"

namespace {
// The step's own values count where they exceed this many floors.
const double LocalSizeFloors = 1e3;
} // namespace

XelMathResolvedSampling::XelMathResolvedSampling(const XelMathFunctionX* iFunction,
                                                 const int iDerivative)
    : _function(iFunction), _derivative(iDerivative), _tolerance(0.0), _floor(0.0), _budget(0),
      _complete(true),
      _count(0), _x(XelQuorArrayDoubleNew(3 * MaxSamples)), _g(_x + MaxSamples),
      _slope(_g + MaxSamples) {}

XelMathResolvedSampling::~XelMathResolvedSampling() {
  XelQuorArrayDoubleDel(_x, 3 * MaxSamples);
}

void XelMathResolvedSampling::Sample(const double x, double& oG, double& oSlope) const {
  oG = oSlope = 0.0;
  if (_derivative == 0)
    _function->Eval(x, XelMathOption::ValueAndFirst, &oG, &oSlope, nullptr);
  else
    _function->Eval(x, XelMathOption::FirstAndSecond, nullptr, &oG, &oSlope);
}

void XelMathResolvedSampling::Push(const double x, const double g, const double slope) {
  _x[_count] = x;
  _g[_count] = g;
  _slope[_count] = slope;
  ++_count;
}

bool XelMathResolvedSampling::Resolve(const double a, const double b, const long iCount,
                                      const double iFloor) {
  const long n = std::min(std::max(iCount, 2L), MaxSamples);
  // The first samples where the final ones go: the refined ones are written behind them, so
  // that the first ones are read before they are overwritten (a step's samples never outrun
  // the steps still to be read: the budget keeps the total within the arrays).
  double* firstX = _x + (MaxSamples - n);
  double* firstG = _g + (MaxSamples - n);
  double* firstSlope = _slope + (MaxSamples - n);
  const double h = (b - a) / static_cast<double>(n - 1);
  double low = HUGE_VAL, high = -HUGE_VAL;
  for (long k = 0; k < n; ++k) {
    firstX[k] = k == n - 1 ? b : a + static_cast<double>(k) * h;
    Sample(firstX[k], firstG[k], firstSlope[k]);
    if (std::isfinite(firstG[k])) {
      low = std::min(low, firstG[k]);
      high = std::max(high, firstG[k]);
    }
  }
  _tolerance = std::max(high > low ? (high - low) / 16.0 : 0.0, iFloor);
  _floor = iFloor;
  _budget = MaxSamples - n;
  _complete = true;
  _count = 0;
  Push(firstX[0], firstG[0], firstSlope[0]);
  for (long k = 1; k < n; ++k) {
    // The step's ends are copied first: the refinement may write over them.
    const double x0 = firstX[k - 1], g0 = firstG[k - 1], s0 = firstSlope[k - 1];
    const double x1 = firstX[k], g1 = firstG[k], s1 = firstSlope[k];
    Refine(x0, g0, s0, x1, g1, s1, 0);
  }
  return _complete;
}

void XelMathResolvedSampling::Refine(const double x0, const double g0, const double s0,
                                     const double x1, const double g1, const double s1,
                                     const long iDepth) {
  const double xm = 0.5 * (x0 + x1);
  if (iDepth >= MaxHalvings || !(xm > x0 && xm < x1)) {
    Push(x1, g1, s1);
    return;
  }
  if (_budget <= 0) {
    _complete = false;
    Push(x1, g1, s1);
    return;
  }
  double gm, sm;
  Sample(xm, gm, sm);
  --_budget;
  // The cubic of the ends' values and slopes, its value and slope at the middle (a step
  // that spans a whole turn of g can meet the value there by chance, not both). Where g is
  // not finite there is nothing to predict; a step with one such end is halved to find where
  // g stops being finite (only that half goes on).
  const double h = x1 - x0;
  const double value = 0.5 * (g0 + g1) + 0.125 * h * (s0 - s1);
  const double slope = 1.5 * (g1 - g0) / h - 0.25 * (s0 + s1);
  // The miss is read against the step's own values too where these stand well above the
  // floor: where g has fallen far below the sampled range (a damped oscillation), its turns are
  // a small part of that range. (Closer to the floor lies the flat neighbourhood of a multiple
  // root, which the root test accepts as a whole.)
  const double size = std::max(std::max(std::fabs(g0), std::fabs(g1)), std::fabs(gm));
  const double allowed =
      size > LocalSizeFloors * _floor ? std::min(_tolerance, size / 16.0) : _tolerance;
  const bool resolved = std::isfinite(gm) ? std::fabs(gm - value) <= allowed &&
                                                std::fabs(sm - slope) * 0.25 * h <= allowed
                                          : !std::isfinite(g0) && !std::isfinite(g1);
  if (!resolved) {
    Refine(x0, g0, s0, xm, gm, sm, iDepth + 1);
    Refine(xm, gm, sm, x1, g1, s1, iDepth + 1);
    return;
  }
  Push(xm, gm, sm);
  Push(x1, g1, s1);
}
