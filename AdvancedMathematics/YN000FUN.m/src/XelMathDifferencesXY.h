#pragma once
// The default derivatives of a two-variable function by centred differences, written once
// (internal, never installed). Each takes the steps of its order per variable: h1 for first
// derivatives, h2 for second derivatives of the value, h3 for third derivatives.
//  - first:  (f(x + h1, y) - f(x - h1, y)) / (2 h1), alike in y;
//  - second: with exact first derivatives (IsOption(2)), the centred difference of fx or fy
//    with step h1; otherwise the second difference of the value with step h2 (four points
//    for fxy);
//  - third:  the centred difference of a second derivative with step h3.
#include "XelMathFunctionXY.h"
#include "XelMathInternalConstants.h"

namespace XelMathDifferencesXY {

/// The step iStep at x, widened where x is so large that x +- iStep would lose it in
/// rounding (beyond 2^32 iStep): there it is 2^-32 |x|, which the coordinates keep to a
/// millionth (a fixed step of 1e-5 is nothing at 1e12, and the difference 0).
inline double StepAt(const double iStep, const double x) {
  const double least = (x < 0.0 ? -x : x) * 0x1p-32;
  return iStep < least ? least : iStep;
}

/// Steps per variable and order.
struct Steps {
  double h1x, h1y, h2x, h2y, h3x, h3y;
};

template <class F>
inline double FirstX(const F& f, const double x, const double y, const Steps& h) {
  const double s = StepAt(h.h1x, x);
  return (f.Eval(x + s, y) - f.Eval(x - s, y)) / (2.0 * s);
}

template <class F>
inline double FirstY(const F& f, const double x, const double y, const Steps& h) {
  const double s = StepAt(h.h1y, y);
  return (f.Eval(x, y + s) - f.Eval(x, y - s)) / (2.0 * s);
}

template <class F>
inline double SecondX2(const F& f, const double x, const double y, const Steps& h) {
  if (f.IsOption(XelMathOption::FirstDeriv)) {
    const double s = StepAt(h.h1x, x);
    return (f.EvalFirstDerivX(x + s, y) - f.EvalFirstDerivX(x - s, y)) / (2.0 * s);
  }
  const double s = StepAt(h.h2x, x);
  return (f.Eval(x + s, y) + f.Eval(x - s, y) - 2.0 * f.Eval(x, y)) / (s * s);
}

template <class F>
inline double SecondXY(const F& f, const double x, const double y, const Steps& h) {
  if (f.IsOption(XelMathOption::FirstDeriv)) {
    const double s = StepAt(h.h1y, y);
    return (f.EvalFirstDerivX(x, y + s) - f.EvalFirstDerivX(x, y - s)) / (2.0 * s);
  }
  const double sx = StepAt(h.h2x, x), sy = StepAt(h.h2y, y);
  const double xp = x + sx, xm = x - sx, yp = y + sy, ym = y - sy;
  return (f.Eval(xp, yp) - f.Eval(xm, yp) - f.Eval(xp, ym) + f.Eval(xm, ym)) / (4.0 * sx * sy);
}

template <class F>
inline double SecondY2(const F& f, const double x, const double y, const Steps& h) {
  if (f.IsOption(XelMathOption::FirstDeriv)) {
    const double s = StepAt(h.h1y, y);
    return (f.EvalFirstDerivY(x, y + s) - f.EvalFirstDerivY(x, y - s)) / (2.0 * s);
  }
  const double s = StepAt(h.h2y, y);
  return (f.Eval(x, y + s) + f.Eval(x, y - s) - 2.0 * f.Eval(x, y)) / (s * s);
}

template <class F>
inline double ThirdX3(const F& f, const double x, const double y, const Steps& h) {
  const double s = StepAt(h.h3x, x);
  return (f.EvalSecondDerivX2(x + s, y) - f.EvalSecondDerivX2(x - s, y)) / (2.0 * s);
}

template <class F>
inline double ThirdX2Y(const F& f, const double x, const double y, const Steps& h) {
  const double s = StepAt(h.h3x, x);
  return (f.EvalSecondDerivXY(x + s, y) - f.EvalSecondDerivXY(x - s, y)) / (2.0 * s);
}

template <class F>
inline double ThirdXY2(const F& f, const double x, const double y, const Steps& h) {
  const double s = StepAt(h.h3x, x);
  return (f.EvalSecondDerivY2(x + s, y) - f.EvalSecondDerivY2(x - s, y)) / (2.0 * s);
}

template <class F>
inline double ThirdY3(const F& f, const double x, const double y, const Steps& h) {
  const double s = StepAt(h.h3y, y);
  return (f.EvalSecondDerivY2(x, y + s) - f.EvalSecondDerivY2(x, y - s)) / (2.0 * s);
}

/// The masked point evaluation through the single operations of f: the value (bit 1), fx and
/// fy (bit 2), fxx, fxy and fyy (bit 4), each written when its bit is set and its pointer given.
template <class F>
inline void MaskedByOperations(const F& f, const double& x, const double& y, const long iDiff,
                               double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                               double* oFyy) {
  if ((iDiff & XelMathOption::Value) && oF)
    *oF = f.Eval(x, y);
  if (iDiff & XelMathOption::FirstDeriv) {
    if (oFx)
      *oFx = f.EvalFirstDerivX(x, y);
    if (oFy)
      *oFy = f.EvalFirstDerivY(x, y);
  }
  if (iDiff & XelMathOption::SecondDeriv) {
    if (oFxx)
      *oFxx = f.EvalSecondDerivX2(x, y);
    if (oFxy)
      *oFxy = f.EvalSecondDerivXY(x, y);
    if (oFyy)
      *oFyy = f.EvalSecondDerivY2(x, y);
  }
}

} // namespace XelMathDifferencesXY
