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

/// Steps per variable and order.
struct Steps {
  double h1x, h1y, h2x, h2y, h3x, h3y;
};

template <class F>
inline double FirstX(const F& f, const double x, const double y, const Steps& h) {
  return (f.Eval(x + h.h1x, y) - f.Eval(x - h.h1x, y)) / (2.0 * h.h1x);
}

template <class F>
inline double FirstY(const F& f, const double x, const double y, const Steps& h) {
  return (f.Eval(x, y + h.h1y) - f.Eval(x, y - h.h1y)) / (2.0 * h.h1y);
}

template <class F>
inline double SecondX2(const F& f, const double x, const double y, const Steps& h) {
  if (f.IsOption(XelMathOption::FirstDeriv))
    return (f.EvalFirstDerivX(x + h.h1x, y) - f.EvalFirstDerivX(x - h.h1x, y)) / (2.0 * h.h1x);
  return (f.Eval(x + h.h2x, y) + f.Eval(x - h.h2x, y) - 2.0 * f.Eval(x, y)) / (h.h2x * h.h2x);
}

template <class F>
inline double SecondXY(const F& f, const double x, const double y, const Steps& h) {
  if (f.IsOption(XelMathOption::FirstDeriv))
    return (f.EvalFirstDerivX(x, y + h.h1y) - f.EvalFirstDerivX(x, y - h.h1y)) / (2.0 * h.h1y);
  const double xp = x + h.h2x, xm = x - h.h2x, yp = y + h.h2y, ym = y - h.h2y;
  return (f.Eval(xp, yp) - f.Eval(xm, yp) - f.Eval(xp, ym) + f.Eval(xm, ym)) /
         (4.0 * h.h2x * h.h2y);
}

template <class F>
inline double SecondY2(const F& f, const double x, const double y, const Steps& h) {
  if (f.IsOption(XelMathOption::FirstDeriv))
    return (f.EvalFirstDerivY(x, y + h.h1y) - f.EvalFirstDerivY(x, y - h.h1y)) / (2.0 * h.h1y);
  return (f.Eval(x, y + h.h2y) + f.Eval(x, y - h.h2y) - 2.0 * f.Eval(x, y)) / (h.h2y * h.h2y);
}

template <class F>
inline double ThirdX3(const F& f, const double x, const double y, const Steps& h) {
  return (f.EvalSecondDerivX2(x + h.h3x, y) - f.EvalSecondDerivX2(x - h.h3x, y)) / (2.0 * h.h3x);
}

template <class F>
inline double ThirdX2Y(const F& f, const double x, const double y, const Steps& h) {
  return (f.EvalSecondDerivXY(x + h.h3x, y) - f.EvalSecondDerivXY(x - h.h3x, y)) / (2.0 * h.h3x);
}

template <class F>
inline double ThirdXY2(const F& f, const double x, const double y, const Steps& h) {
  return (f.EvalSecondDerivY2(x + h.h3x, y) - f.EvalSecondDerivY2(x - h.h3x, y)) / (2.0 * h.h3x);
}

template <class F>
inline double ThirdY3(const F& f, const double x, const double y, const Steps& h) {
  return (f.EvalSecondDerivY2(x, y + h.h3y) - f.EvalSecondDerivY2(x, y - h.h3y)) / (2.0 * h.h3y);
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
