#include "XelMathInterval.h"

#include <cfloat>
#include <cmath>

#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"

namespace {

/// Image of sine (kCosine false) or cosine (true) over [x1, x2]. The shape is decided on the
/// ends shifted so that the function is sine, t1 and t2; the end values are those of the
/// function at the unshifted ends, computed only when the image needs them.
template <bool kCosine> XelMathInterval SineLikeImage(double x1, double x2, double t1, double t2) {
  const XelMathElementary::SineShape shape = XelMathElementary::SineShapeOf(t1, t2);
  if (shape.Full())
    return XelMathInterval(-1.0, 1.0);
  const double f1 = kCosine ? std::cos(x1) : std::sin(x1);
  const double f2 = kCosine ? std::cos(x2) : std::sin(x2);
  return XelMathElementary::SineImageFromEnds(shape, f1, f2);
}

/// Folds ioX into [lo, hi] with period hi - lo: one ceil step beyond six periods, single
/// steps within. A result pushed out by rounding is put back on the nearer end.
void FoldIntoPeriod(double lo, double hi, double& ioX) {
  if (std::fabs(lo) >= XelMathInfinite || std::fabs(hi) >= XelMathInfinite)
    return;
  const double p = hi - lo;
  if (p == 0.0) { // a single point: every value folds onto it
    if (ioX > hi || ioX < lo)
      ioX = lo;
    return;
  }
  if (ioX > hi) {
    if (ioX > hi + 6.0 * p)
      ioX -= std::ceil((ioX - hi) / p) * p;
    else
      // At most six steps when p > 0 (this branch is unreachable when p <= 0); the bound
      // guards against a step lost to rounding.
      for (int k = 0; k < 8 && ioX > hi; ++k)
        ioX -= p;
  }
  if (ioX < lo) {
    if (ioX < lo - 6.0 * p)
      ioX += std::ceil((lo - ioX) / p) * p;
    else
      for (int k = 0; k < 8 && ioX < lo; ++k)
        ioX += p;
  }
  if (lo <= hi) {
    if (ioX > hi)
      ioX = hi;
    else if (ioX < lo)
      ioX = lo;
  }
}

} // namespace

// ---- members ---------------------------------------------------------------------------------

void XelMathInterval::PeriodicResidue(double& ioX) {
  FoldIntoPeriod(low, high, ioX);
}

unsigned char XelMathInterval::InPeriodicTrim(const double x, const double iPeriod,
                                              const double iTol) {
  const double span = iPeriod + iTol;
  if (low + span <= high)
    return 1;
  double y = x;
  if (y < high - span)
    FoldIntoPeriod(high - span, high, y);
  if (y > low + span)
    FoldIntoPeriod(low, low + span, y);
  return low <= y && y <= high;
}

double XelMathInterval::ClosestPeriodicEndpoint(double& ioX, const double iPeriod) {
  if (iPeriod <= high - low)
    return 0.0;
  const double half = 0.5 * iPeriod;
  const double top = low + iPeriod;
  if (std::fabs(low) < XelMathInfinite && std::fabs(top) < XelMathInfinite)
    FoldIntoPeriod(low, top, ioX);
  double d1 = std::fabs(ioX - low), d2 = std::fabs(ioX - high);
  if (d2 > half)
    d2 = iPeriod - d2;
  if (d1 > half)
    d1 = iPeriod - d1;
  if (d2 < d1) {
    ioX = high;
    return d2;
  }
  ioX = low;
  return d1;
}

// ---- free functions --------------------------------------------------------------------------

XelMathInterval sqrt(const XelMathInterval& iI) {
  if (iI.high <= 0.0)
    return XelMathInterval(0.0, 0.0);
  if (iI.low > 0.0)
    return XelMathInterval(std::sqrt(iI.low), std::sqrt(iI.high));
  return XelMathInterval(0.0, std::sqrt(iI.high));
}

XelMathInterval square(const XelMathInterval& iI) {
  const double a2 = iI.low * iI.low, b2 = iI.high * iI.high;
  if (iI.low >= 0.0)
    return XelMathInterval(a2, b2);
  if (iI.high <= 0.0)
    return XelMathInterval(b2, a2);
  return XelMathInterval(0.0, b2 > a2 ? b2 : a2);
}

XelMathInterval abs(const XelMathInterval& iI) {
  if (iI.low >= 0.0)
    return iI;
  if (iI.high <= 0.0)
    return XelMathInterval(-iI.high, -iI.low);
  return XelMathInterval(0.0, iI.high > -iI.low ? iI.high : -iI.low);
}

XelMathInterval sin(const XelMathInterval& iI) {
  return SineLikeImage<false>(iI.low, iI.high, iI.low, iI.high);
}

// Cosine is sine shifted by pi/2: the shifted ends decide the branch, while the end values
// are the cosines of the ends themselves (the shifted end carries the rounding of the sum,
// up to half an ulp of the end, which would otherwise move the value off the true cosine).
XelMathInterval cos(const XelMathInterval& iI) {
  return SineLikeImage<true>(iI.low, iI.high, iI.low + XelPIBY2, iI.high + XelPIBY2);
}

XelMathInterval atan(const XelMathInterval& iI) {
  return XelMathInterval(std::atan(iI.low), std::atan(iI.high));
}

XelMathInterval sinh(const XelMathInterval& iI) {
  return XelMathInterval(std::sinh(iI.low), std::sinh(iI.high));
}

XelMathInterval cosh(const XelMathInterval& iI) {
  if (iI.low >= 0.0)
    return XelMathInterval(std::cosh(iI.low), std::cosh(iI.high));
  if (iI.high <= 0.0)
    return XelMathInterval(std::cosh(iI.high), std::cosh(iI.low));
  return XelMathInterval(0.0, std::cosh(-iI.low > iI.high ? iI.low : iI.high));
}

XelMathInterval tanh(const XelMathInterval& iI) {
  return XelMathInterval(std::tanh(iI.low), std::tanh(iI.high));
}

XelMathInterval exp(const XelMathInterval& iI) {
  return XelMathInterval(std::exp(iI.low), std::exp(iI.high));
}

XelMathInterval log(const XelMathInterval& iI) {
  return XelMathInterval(std::log(iI.low), std::log(iI.high));
}

XelMathInterval atan2(const XelMathInterval& iY, const XelMathInterval& iX) {
  const double ylo = iY.low, yhi = iY.high, xlo = iX.low, xhi = iX.high;
  if (ylo <= 0.0 && yhi >= 0.0) {
    // Y contains 0: only a right half-plane X keeps away from the cut along the negative axis.
    if (xhi < 0.0)
      return XelMathInterval(-XelPI, XelPI);
    if (xlo >= 0.0)
      return XelMathInterval(std::atan2(ylo, xlo), std::atan2(yhi, xlo));
    return XelMathInterval(-XelPI, XelPI);
  }
  if (ylo > 0.0) { // upper half-plane
    if (xhi <= 0.0)
      return XelMathInterval(std::atan2(yhi, xhi), std::atan2(ylo, xlo));
    if (xlo >= 0.0)
      return XelMathInterval(std::atan2(ylo, xhi), std::atan2(yhi, xlo));
    if (xlo < 0.0 && xhi > 0.0)
      return XelMathInterval(std::atan2(ylo, xhi), std::atan2(ylo, xlo));
  } else if (yhi < 0.0) { // lower half-plane
    if (xlo < 0.0 && xhi > 0.0)
      return XelMathInterval(std::atan2(yhi, xlo), std::atan2(yhi, xhi));
    if (xlo >= 0.0)
      return XelMathInterval(std::atan2(ylo, xlo), std::atan2(yhi, xhi));
    if (xhi <= 0.0)
      return XelMathInterval(std::atan2(yhi, xlo), std::atan2(ylo, xhi));
  }
  // Unordered comparisons (NaN ends).
  return XelMathInterval(-XelPI, XelPI);
}

bool operator==(const XelMathInterval& iA, const XelMathInterval& iB) {
  return iA.low == iB.low && iA.high == iB.high;
}

bool operator!=(const XelMathInterval& iA, const XelMathInterval& iB) {
  return iA.low != iB.low || iA.high != iB.high;
}

XelMathInterval operator/(const double& iA, const XelMathInterval& iI) {
  if (iI.low * iI.high <= 0.0)
    return XelMathInterval(-XelMathInfinite, XelMathInfinite);
  if (iA > 0.0)
    return XelMathInterval(iA / iI.high, iA / iI.low);
  return XelMathInterval(iA / iI.low, iA / iI.high);
}
