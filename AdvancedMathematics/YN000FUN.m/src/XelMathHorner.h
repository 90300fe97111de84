#pragma once
// Horner kernels of the polynomial point evaluations (internal, never installed), shared by
// the polynomial class and by the composites that evaluate a polynomial component in place
// of a call: the same operations in the same order, so the same values.
#include "XelMathBatchTools.h"
#include "XelMathInternalConstants.h"

/// The kernels are small loops that the hot paths want in place, whatever the inliner's
/// size limits.
#if defined(__GNUC__) || defined(__clang__)
#define XelMathHornerInline inline __attribute__((always_inline))
#else
#define XelMathHornerInline inline
#endif

namespace XelMathHornerKernels {

/// Horner value of c_0..c_d at t, with two interleaved chains (even and odd powers) from
/// degree 5 on, four coefficients per iteration.
XelMathHornerInline double HornerKernel(const double* c, const long d, const double t) {
  switch (d) { // straight-line code for the low degrees
  case 0:
    return c[0];
  case 1:
    return c[0] + t * c[1];
  case 2:
    return c[0] + t * (c[1] + t * c[2]);
  case 3:
    return c[0] + t * (c[1] + t * (c[2] + t * c[3]));
  case 4:
    return c[0] + t * (c[1] + t * (c[2] + t * (c[3] + t * c[4])));
  default:
    if (d < 0)
      return 0.0;
  }
  const double t2 = t * t;
  double a = c[d], b = c[d - 1];
  long k = d - 2;
  // a gathers c_d, c_{d-2}, ...; b gathers c_{d-1}, c_{d-3}, ...
  for (; k >= 3; k -= 4) {
    a = a * t2 + c[k];
    b = b * t2 + c[k - 1];
    a = a * t2 + c[k - 2];
    b = b * t2 + c[k - 3];
  }
  for (; k >= 1; k -= 2) {
    a = a * t2 + c[k];
    b = b * t2 + c[k - 1];
  }
  const double r = k == 0 ? (a * t2 + c[0]) + t * b // d even: a ends with c_0, b with c_1
                          : a * t + b;              // d odd: a ends with c_1, b with c_0
  if (r == r)
    return r;
  // Both chains overflowed with opposite signs: one chain gives the infinity of the right sign.
  double y = c[d];
  for (long j = d - 1; j >= 0; --j)
    y = y * t + c[j];
  return y;
}

/// Value and first two derivatives of c_0..c_d at t in one pass.
XelMathHornerInline void HornerAll(const double* c, const long d, const double t, double& f,
                                   double& f1, double& f2) {
  if (d < 0) {
    f = f1 = f2 = 0.0;
    return;
  }
  double p = c[d], p1 = 0.0, p2 = 0.0;
  for (long k = d - 1; k >= 0; --k) {
    p2 = p2 * t + p1;
    p1 = p1 * t + p;
    p = p * t + c[k];
  }
  f = p;
  f1 = p1;
  f2 = 2.0 * p2;
}

/// The multi-output point evaluation of c_0..c_d at t = x - s (bits 1, 2, 4 of iOptions): the
/// value alone by HornerKernel, with a derivative asked for by HornerAll.
XelMathHornerInline void HornerOutputs(const double* c, const long d, const double t,
                                       const long iOptions, double* oF, double* oF1, double* oF2) {
  if ((iOptions & XelMathOption::FirstAndSecond) == 0) {
    if ((iOptions & XelMathOption::Value) && oF)
      *oF = HornerKernel(c, d, t);
    return;
  }
  double f, f1, f2;
  HornerAll(c, d, t, f, f1, f2);
  if ((iOptions & XelMathOption::Value) && oF)
    *oF = f;
  if ((iOptions & XelMathOption::FirstDeriv) && oF1)
    *oF1 = f1;
  if ((iOptions & XelMathOption::SecondDeriv) && oF2)
    *oF2 = f2;
}

/// HornerKernel on the lanes t (a block of points), without its last resort: a lane that
/// gives no number from degree 5 on is to be redone by HornerKernel (RedoNaN).
XelMathHornerInline XelMathBatch::Lanes HornerLanes(const double* c, const long d,
                                                    const XelMathBatch::Lanes& t) {
  using XelMathBatch::Lanes;
  if (d < 0)
    return Lanes::Splat(0.0);
  Lanes a = Lanes::Splat(c[d]);
  if (d <= 4) {
    for (long k = d - 1; k >= 0; --k)
      a = a * t + c[k];
    return a;
  }
  const Lanes t2 = t * t;
  Lanes b = Lanes::Splat(c[d - 1]);
  long k = d - 2;
  for (; k >= 1; k -= 2) {
    a = a * t2 + c[k];
    b = b * t2 + c[k - 1];
  }
  return k == 0 ? (a * t2 + c[0]) + t * b : a * t + b;
}

/// The lanes of iValue that hold no number, redone by HornerKernel at the lanes of t.
inline XelMathBatch::Lanes RedoNaN(const double* c, const long d, const XelMathBatch::Lanes& t,
                                   const XelMathBatch::Lanes& iValue) {
  double v[XelMathBatch::Block], ts[XelMathBatch::Block];
  iValue.StoreAll(v);
  t.StoreAll(ts);
  for (long j = 0; j < XelMathBatch::Block; ++j)
    if (v[j] != v[j])
      v[j] = HornerKernel(c, d, ts[j]);
  return XelMathBatch::Lanes::Load(v);
}

/// HornerAll on the lanes t: value, first derivative and, when iSecond, the second derivative
/// (oF2 holds 2 p2 as HornerAll gives it; untouched otherwise). d >= 0.
template <bool iSecond>
XelMathHornerInline void HornerAllLanes(const double* c, const long d, const XelMathBatch::Lanes& t,
                                        XelMathBatch::Lanes& oF, XelMathBatch::Lanes& oF1,
                                        XelMathBatch::Lanes& oF2) {
  using XelMathBatch::Lanes;
  Lanes p = Lanes::Splat(c[d]), p1 = Lanes::Splat(0.0), p2 = Lanes::Splat(0.0);
  for (long k = d - 1; k >= 0; --k) {
    if (iSecond)
      p2 = p2 * t + p1;
    p1 = p1 * t + p;
    p = p * t + c[k];
  }
  oF = p;
  oF1 = p1;
  if (iSecond)
    oF2 = 2.0 * p2;
}

} // namespace XelMathHornerKernels
