// XelMathSystem, the search proper: suspect cells (an equation of one sign at the corners that
// may dip between them), cells whose Jacobian may be singular, Newton's method and the
// minimization reaching double solutions, and the solution set with its merge rule.
#include "XelMathSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "XelMathConstants.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystemTools.h"
#include "XelTolerance.h"

using namespace XelMathSystemSearch;

// ---- suspect cells ----------------------------------------------------------------------------

int XelMathSystem::TreatSuspectHyperCube(const long i, const XelMathIntervalND& iCell,
                                         const double* iCorner, const double* iGradients) {
  // Split while the sub-cells are still sampled with gradients (depth < singularLevel),
  // where the same test can be made on them.
  if (MaxWidth(iCell) > _suspectWidth && _depth + 1 < _singularLevel)
    return Bisect(iCell);
  if ((iGradients && TryChangeSignOnEdge(i, iCell, iCorner, iGradients)) ||
      TryChangeSignInHyperCube(i, iCell, iCorner))
    return 2;
  // No point of the other sign found in a cell still wider than the suspect width: the
  // halving search, whose halves keep their corner Jacobians, tests the halves again.
  if (iGradients && MaxWidth(iCell) > _suspectWidth)
    return HalvingSearch(iCell);
  return 0;
}

int XelMathSystem::TryChangeSignOnEdge(const long i, const XelMathIntervalND& iCell,
                                       const double* iCorner, const double* iGradients) {
  const long n = _dimension, corners = 1L << n;
  const double s = iCorner[0] > 0.0 ? 1.0 : -1.0;
  XelMathScratchDoubles<24> work(3 * n);
  double* a = work.Data();
  double* p = a + n;
  double* grad = p + n;
  long edges = 0;
  for (long c = 0; c < corners; ++c)
    for (long k = 0; k < n; ++k) {
      const long bit = 1L << (n - 1 - k);
      if ((c & bit) || !(iGradients[c * n + k] * iGradients[(c | bit) * n + k] < 0.0))
        continue;
      if (++edges > MaxEdges)
        return 0;
      for (long m = 0; m < n; ++m)
        a[m] = (c & (1L << (n - 1 - m))) ? iCell.GetMax(m) : iCell.GetMin(m);
      // The zero of the derivative along the edge, where the function is extremal, by
      // regula falsi on the derivative (its ends have opposite signs) with the Illinois
      // halving of a stale end, until the bracket or the step is a billionth of the edge.
      double lo = iCell.GetMin(k), hi = iCell.GetMax(k);
      double dLo = iGradients[c * n + k], dHi = iGradients[(c | bit) * n + k];
      const double enough = EdgeResolution * (hi - lo);
      int stale = 0;
      double last = lo;
      std::memcpy(p, a, sizeof(double) * n);
      for (long it = 0; it < MaxEdgeSteps && hi - lo > enough; ++it) {
        double t = lo + (hi - lo) * dLo / (dLo - dHi);
        // The step has settled on the zero of the derivative.
        if (it > 0 && std::fabs(t - last) <= enough)
          break;
        if (!(t > lo && t < hi))
          t = 0.5 * (lo + hi);
        if (t <= lo || t >= hi)
          break;
        last = t;
        p[k] = t;
        double v = 0.0;
        if (_isScaled) {
          XelMathScratchDoubles<8> X(n);
          for (long m = 0; m < n; ++m)
            X[m] = p[m] * _scaleFactorsX[m];
          EvalEquation(i, X.Data(), v, grad);
          v *= _scaleFactorsF[i];
          grad[k] *= _scaleFactorsF[i] * _scaleFactorsX[k];
        } else {
          EvalEquation(i, p, v, grad);
        }
        if (!Finite(v) || !Finite(grad[k]))
          break;
        if (s * v <= _paramRes)
          return 1;
        if (grad[k] * dLo > 0.0) {
          lo = t;
          dLo = grad[k];
          if (stale == -1)
            dHi *= 0.5;
          stale = -1;
        } else {
          hi = t;
          dHi = grad[k];
          if (stale == 1)
            dLo *= 0.5;
          stale = 1;
        }
      }
    }
  return 0;
}

int XelMathSystem::TryChangeSignInHyperCube(const long i, const XelMathIntervalND& iCell,
                                            const double* iCorner) {
  const long n = _dimension, corners = 1L << n;
  const double s = iCorner[0] > 0.0 ? 1.0 : -1.0;
  long best = 0;
  for (long c = 1; c < corners; ++c)
    if (s * iCorner[c] < s * iCorner[best])
      best = c;
  XelMathScratchDoubles<32> work(4 * n);
  double* x = work.Data();
  double* xn = x + n;
  double* g = xn + n;
  double* gn = g + n;
  for (long k = 0; k < n; ++k)
    x[k] = (best & (1L << (n - 1 - k))) ? iCell.GetMax(k) : iCell.GetMin(k);
  auto phiAt = [&](const double* y, double* oGrad) {
    double v = 0.0;
    if (_isScaled) {
      XelMathScratchDoubles<8> X(n);
      for (long m = 0; m < n; ++m)
        X[m] = y[m] * _scaleFactorsX[m];
      EvalEquation(i, X.Data(), v, oGrad);
      v *= _scaleFactorsF[i];
      for (long m = 0; m < n; ++m)
        oGrad[m] *= _scaleFactorsF[i] * _scaleFactorsX[m];
    } else {
      EvalEquation(i, y, v, oGrad);
    }
    for (long m = 0; m < n; ++m)
      oGrad[m] *= s;
    return s * v;
  };
  double phi = phiAt(x, g);
  // Projected descent of s f_i, each step aimed at the zero of its tangent plane.
  for (long it = 0; it < MaxDescentSteps; ++it) {
    if (!Finite(phi) || !AllFinite(g, n))
      return 0;
    if (phi <= _paramRes)
      return 1;
    double gg = 0.0;
    for (long k = 0; k < n; ++k)
      gg += g[k] * g[k];
    if (!(gg > 0.0))
      return 0;
    double t = phi / gg;
    bool moved = false;
    for (long half = 0; half < 40; ++half, t *= 0.5) {
      double step = 0.0;
      for (long k = 0; k < n; ++k) {
        xn[k] = Clip(x[k] - t * g[k], iCell.GetMin(k), iCell.GetMax(k));
        step = std::max(step, std::fabs(xn[k] - x[k]));
      }
      if (step <= 1e-15 * (1.0 + MaxWidth(iCell)))
        return 0;
      const double phin = phiAt(xn, gn);
      if (phin < phi) {
        std::memcpy(x, xn, sizeof(double) * n);
        std::memcpy(g, gn, sizeof(double) * n);
        phi = phin;
        moved = true;
        break;
      }
    }
    if (!moved)
      return 0;
  }
  return phi <= _paramRes ? 1 : 0;
}

namespace {
// Two doubles side by side, for element-wise minima, maxima and sums of N x N blocks.
typedef double XelMathPair __attribute__((vector_size(2 * sizeof(double))));
} // namespace

// ---- singular cells ---------------------------------------------------------------------------

void XelMathSystem::FillIntervalJacobian(const XelMathIntervalND&, const double* iCornerJacobians,
                                         const double* iCentreJacobian, double* oLow,
                                         double* oHigh) const {
  // (Copies of a size known at run time: a fixed large size would be a slow string move.)
  std::memcpy(oLow, iCentreJacobian, sizeof(double) * _dimension * _dimension);
  std::memcpy(oHigh, iCentreJacobian, sizeof(double) * _dimension * _dimension);
  WithDimension(_dimension, [&](auto iDim) {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension, nn = n * n, corners = 1L << n;
    double* __restrict__ low = oLow;
    double* __restrict__ high = oHigh;
    // Corner by corner: the samples are read in storage order, four corners at a time, two
    // entries at a time (the callers pass finite samples).
    long c = 0;
    for (; c + 3 < corners; c += 4) {
      const double* __restrict__ ja = iCornerJacobians + c * nn;
      const double* __restrict__ jb = ja + nn;
      const double* __restrict__ jc = jb + nn;
      const double* __restrict__ jd = jc + nn;
      long e = 0;
      XEL_MATH_UNROLL
      for (; e + 1 < nn; e += 2) {
        XelMathPair a, b, x, y, l, h;
        std::memcpy(&a, ja + e, sizeof a);
        std::memcpy(&b, jb + e, sizeof b);
        std::memcpy(&x, jc + e, sizeof x);
        std::memcpy(&y, jd + e, sizeof y);
        std::memcpy(&l, low + e, sizeof l);
        std::memcpy(&h, high + e, sizeof h);
        const XelMathPair loAB = b < a ? b : a, hiAB = a < b ? b : a;
        const XelMathPair loXY = y < x ? y : x, hiXY = x < y ? y : x;
        const XelMathPair lo = loXY < loAB ? loXY : loAB, hi = hiAB < hiXY ? hiXY : hiAB;
        l = lo < l ? lo : l;
        h = h < hi ? hi : h;
        std::memcpy(low + e, &l, sizeof l);
        std::memcpy(high + e, &h, sizeof h);
      }
      for (; e < nn; ++e) {
        const double a = ja[e], b = jb[e], x = jc[e], y = jd[e];
        const double loAB = b < a ? b : a, hiAB = a < b ? b : a;
        const double loXY = y < x ? y : x, hiXY = x < y ? y : x;
        const double lo = loXY < loAB ? loXY : loAB, hi = hiAB < hiXY ? hiXY : hiAB;
        low[e] = lo < low[e] ? lo : low[e];
        high[e] = high[e] < hi ? hi : high[e];
      }
    }
    // Fewer than four corners: one dimension.
    if constexpr (Fixed == 0)
      for (; c < corners; ++c) {
        const double* jc = iCornerJacobians + c * nn;
        for (long e = 0; e < nn; ++e) {
          low[e] = std::min(low[e], jc[e]);
          high[e] = std::max(high[e], jc[e]);
        }
      }
    // The samples do not see the curvature between them: widen the hull.
    XEL_MATH_UNROLL
    for (long e = 0; e < nn; ++e) {
      const double lo = low[e], hi = high[e];
      const double w = HullWidening * (hi - lo) + 1e-12 * (std::fabs(lo) + std::fabs(hi));
      low[e] = lo - w;
      high[e] = hi + w;
    }
  });
}

int XelMathSystem::JacobianHull(const XelMathIntervalND& iCell, const double* iCornerJacobians,
                                const double* iCentreJacobian, double* oLow, double* oHigh,
                                const double* iCornerValues, const double* iCentreValues) {
  const long n = _dimension, nn = n * n;
  int image = 0;
  if (!_isScaled) {
    image = EvalJacobianImage(iCell, oLow, oHigh);
  } else {
    XelMathIntervalND box(n);
    for (long k = 0; k < n; ++k) {
      box.SetMin(k, iCell.GetMin(k) * _scaleFactorsX[k]);
      box.SetMax(k, iCell.GetMax(k) * _scaleFactorsX[k]);
    }
    image = EvalJacobianImage(box, oLow, oHigh);
    if (image)
      for (long r = 0; r < n; ++r)
        for (long c = 0; c < n; ++c) {
          const double f = _scaleFactorsF[r] * _scaleFactorsX[c];
          const double a = oLow[r * n + c] * f, b = oHigh[r * n + c] * f;
          oLow[r * n + c] = std::min(a, b);
          oHigh[r * n + c] = std::max(a, b);
        }
  }
  _hullAffine = 0;
  if (!image) {
    if (!iCornerJacobians || !iCentreJacobian)
      return 0;
    // The Jacobian of a quadratic system, affine over the cell: its exact hull from the
    // centre and the second derivatives.
    const double* hessian = QuadraticHessian();
    if (hessian && AffineOverCell(hessian, iCell, iCornerJacobians, iCentreJacobian,
                                  iCornerValues, iCentreValues)) {
      _hullAffine = 1;
      const double* mid = hessian;
      const double* rad = hessian + nn * n;
      double half[MaxSolveDimension];
      for (long k = 0; k < n; ++k)
        half[k] = 0.5 * (iCell.GetMax(k) - iCell.GetMin(k));
      for (long e = 0; e < nn; ++e) {
        double spread = 0.0;
        for (long k = 0; k < n; ++k)
          spread += (std::fabs(mid[e * n + k]) + rad[e * n + k]) * half[k];
        spread += QuadraticRounding * (std::fabs(iCentreJacobian[e]) + spread);
        oLow[e] = iCentreJacobian[e] - spread;
        oHigh[e] = iCentreJacobian[e] + spread;
      }
    } else {
      // Corner data that do not resolve the system give no hull: an equation that swings
      // across several periods between two corners can show the same values and slopes at
      // both, and the hull of the samples would prove the cell regular (one solution) or
      // empty.
      if (iCornerValues && Unresolved(iCell, iCornerValues, iCornerJacobians))
        return 0;
      FillIntervalJacobian(iCell, iCornerJacobians, iCentreJacobian, oLow, oHigh);
    }
  }
  return AllFinite(oLow, nn) && AllFinite(oHigh, nn) ? 1 : 0;
}

bool XelMathSystem::Unresolved(const XelMathIntervalND& iCell, const double* iCornerValues,
                               const double* iCornerJacobians) const {
  const long n = _dimension, nn = n * n, last = (1L << n) - 1;
  // Along the edges from the first and the last corner (2N of them: a swing along a side shows
  // on those), the trapezoidal rule on the end slopes against the change of value: exact for
  // an equation of degree 2 along the edge, a fifth off for x^3, all of it for a period.
  for (long k = 0; k < n; ++k) {
    const long bit = 1L << (n - 1 - k);
    const double w = iCell.GetMax(k) - iCell.GetMin(k);
    for (const long c : {0L, last ^ bit}) {
      const double* va = iCornerValues + c * n;
      const double* vb = iCornerValues + (c | bit) * n;
      const double* ja = iCornerJacobians + c * nn + k;
      const double* jb = iCornerJacobians + (c | bit) * nn + k;
      for (long i = 0; i < n; ++i) {
        const double da = ja[i * n], db = jb[i * n], change = vb[i] - va[i];
        const double miss = change - 0.5 * w * (da + db);
        const double scale = std::fabs(change) + 0.5 * w * (std::fabs(da) + std::fabs(db));
        if (std::fabs(miss) > UnresolvedHull * scale)
          return true;
      }
    }
  }
  return false;
}

namespace {
// The singular-pivot threshold of the matrix classes' elimination.
const double InversePivotThreshold = XelGetDefaultTolerance().GetRelativeEpsilon();

// ioA X = I solved in place into ioX (which holds I on entry), N x N row-major, by Gaussian
// elimination with row pivoting and N fixed; the divisions by a pivot are products by its
// reciprocal (any inverse serves the operator, which bounds I - C [J] itself). A pivot below
// the matrix classes' singular-pivot threshold: 5, else 0.
template <long N> int InvertInPlace(double* __restrict__ ioA, double* __restrict__ ioX) {
  double diagonal[N];
  for (long k = 0; k < N; ++k) {
    long p = k;
    double big = std::fabs(ioA[k * N + k]);
    for (long i = k + 1; i < N; ++i) {
      const double v = std::fabs(ioA[i * N + k]);
      p = v > big ? i : p;
      big = v > big ? v : big;
    }
    if (!(big > InversePivotThreshold))
      return 5;
    if (p != k) {
      XEL_MATH_UNROLL
      for (long j = 0; j < N; ++j) {
        std::swap(ioA[k * N + j], ioA[p * N + j]);
        std::swap(ioX[k * N + j], ioX[p * N + j]);
      }
    }
    const double pivot = 1.0 / ioA[k * N + k];
    diagonal[k] = pivot;
    const double* pr = ioA + k * N;
    const double* pb = ioX + k * N;
    for (long i = k + 1; i < N; ++i) {
      double* ri = ioA + i * N;
      const double f = ri[k] * pivot;
      if (f == 0.0)
        continue;
      XEL_MATH_UNROLL
      for (long j = k + 1; j < N; ++j)
        ri[j] -= f * pr[j];
      double* bi = ioX + i * N;
      XEL_MATH_UNROLL
      for (long c = 0; c < N; ++c)
        bi[c] -= f * pb[c];
    }
  }
  // Back substitution, all the columns at once.
  for (long i = N - 1; i >= 0; --i) {
    double* xi = ioX + i * N;
    for (long j = i + 1; j < N; ++j) {
      const double a = ioA[i * N + j];
      const double* xj = ioX + j * N;
      XEL_MATH_UNROLL
      for (long c = 0; c < N; ++c)
        xi[c] -= a * xj[c];
    }
    XEL_MATH_UNROLL
    for (long c = 0; c < N; ++c)
      xi[c] *= diagonal[i];
  }
  return 0;
}
} // namespace

int XelMathSystem::PrepareHull(const XelMathIntervalND& iCell, const double* iCornerJacobians,
                               const double* iCentreJacobian, const bool iInverse,
                               const double* iCornerValues, const double* iCentreValues) {
  const long n = _dimension, nn = n * n;
  // The hull and the inverse of its midpoint serve the tests of one cell: kept for the same
  // corner and centre data. States: 0 no hull, 1 hull and inverse, 2 hull (inverse not
  // formed yet), 3 hull (singular midpoint).
  const bool same = _hullData && _hullCorners && _hullCorners == iCornerJacobians &&
                    _hullCentre == iCentreJacobian;
  if (!same) {
    if (!_hullData)
      _hullData = XelQuorArrayDoubleNew(4 * nn);
    _hullMagnitude = 0;
    _hullCorners = iCornerJacobians;
    _hullCentre = iCentreJacobian;
    _hullState = JacobianHull(iCell, iCornerJacobians, iCentreJacobian, _hullData,
                              _hullData + nn, iCornerValues, iCentreValues)
                     ? 2
                     : 0;
  }
  if (_hullState == 2 && iInverse) {
    const double* low = _hullData;
    const double* high = low + nn;
    double* inv = _hullData + 2 * nn;
    if (!_work1)
      _work1 = new XelMathNxNFullMatrix(n);
    double* m = _work1->GetFullMatrixCoef();
    for (long e = 0; e < nn; ++e) {
      m[e] = 0.5 * (low[e] + high[e]);
      inv[e] = 0.0;
    }
    for (long k = 0; k < n; ++k)
      inv[k * n + k] = 1.0;
    // From four unknowns on, the elimination with the dimension fixed; the matrix class's
    // closed forms below.
    const int status = WithDimension(n, [&](auto iDim) -> int {
      constexpr long Fixed = decltype(iDim)::value;
      if constexpr (Fixed >= 4)
        return InvertInPlace<Fixed>(m, inv);
      else
        return _work1->Solve(inv, n);
    });
    _hullState = status != 0 || !AllFinite(inv, nn) ? 3 : 1;
    _hullMagnitude = 0;
  }
  return iInverse ? (_hullState == 1 ? 1 : 0) : (_hullState != 0 ? 1 : 0);
}

namespace {
// The combination v.f over the box [iLow, iHigh] from two of its corners (iCornerValues,
// 2^N x N): [gLow, gHigh] bounds [v.J] over the box, down has the bit of side j (bit N - 1 - j)
// set where the midpoint of [v.J]_j is negative. 1 when it keeps one sign.
template <long Fixed>
int CornerBoundsOf(const long iN, const double* v, const double* gLow, const double* gHigh,
                   const long down, const double* iLow, const double* iHigh,
                   const double* iCornerValues, const double iPad) {
  const long n = Fixed ? Fixed : iN, corners = 1L << n;
  const long up = (corners - 1) & ~down;
  double lowest = 0.0, highest = 0.0, scale = 0.0;
  for (int which = 0; which < 2; ++which) {
    const long q = which ? up : down;
    const double* fq = iCornerValues + q * n;
    double bound = 0.0;
    XEL_MATH_UNROLL
    for (long i = 0; i < n; ++i) {
      bound += v[i] * fq[i];
      scale = std::max(scale, std::fabs(v[i] * fq[i]));
    }
    XEL_MATH_UNROLL
    for (long j = 0; j < n; ++j) {
      const double w = iHigh[j] - iLow[j];
      const bool atHigh = (q & (1L << (n - 1 - j))) != 0;
      // x_j - q_j in [-w, 0] at the upper end, [0, w] at the lower.
      if (which == 0)
        bound += atHigh ? -w * std::max(gHigh[j], 0.0) : w * std::min(gLow[j], 0.0);
      else
        bound += atHigh ? -w * std::min(gLow[j], 0.0) : w * std::max(gHigh[j], 0.0);
    }
    (which ? highest : lowest) = bound;
  }
  const double pad = KrawczykPadding * (iPad + scale);
  return Finite(lowest) && Finite(highest) && (lowest > pad || highest < -pad) ? 1 : 0;
}
} // namespace

int XelMathSystem::CombinationExcludes(const double* iLow, const double* iHigh,
                                       const double* iValues, const double* iCornerValues) const {
  return WithDimension(_dimension, [&](auto iDim) -> int {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension, nn = n * n;
    const double* low = _hullData;
    const double* high = low + nn;
    // Mean-value form of a combination v.f of the equations over the box X around its centre c:
    //   v.f(X) in v.f(c) + sum_j (v.M)_j [X_j - c_j] + sum_i |v_i| d_i,
    // M the midpoint of the Jacobian hull, d_i = sum_j radius([J]_ij) radius(X_j). v is the
    // weighted least-squares choice: the smallest sum_j ((v.M)_j r_j)^2 + n sum_i (v_i d_i)^2
    // for v.f(c) = 1, i.e. v = A^-1 f(c) with A = B B^T + n D^2, B = M R. Near a fold (v.M
    // nearly 0) and where the Jacobian of some equations is much less known than that of the
    // others, it excludes far larger boxes than the midpoint inverse of Krawczyk's operator.
    XelMathScratchDoubles<128> work(2 * nn + 3 * n);
    double* a = work.Data();
    double* b = a + nn;
    double* d = b + nn;
    double* r = d + n;
    double* v = r + n;
    XEL_MATH_UNROLL
    for (long j = 0; j < n; ++j)
      r[j] = 0.5 * (iHigh[j] - iLow[j]);
    XEL_MATH_UNROLL
    for (long i = 0; i < n; ++i) {
      double di = 0.0;
      XEL_MATH_UNROLL
      for (long j = 0; j < n; ++j) {
        const double lo = low[i * n + j], hi = high[i * n + j];
        di += 0.5 * (hi - lo) * r[j];
        b[i * n + j] = 0.5 * (lo + hi) * r[j];
      }
      d[i] = di;
    }
    double trace = 0.0;
    XEL_MATH_UNROLL
    for (long i = 0; i < n; ++i) {
      const double* bi = b + i * n;
      XEL_MATH_UNROLL
      for (long k = 0; k <= i; ++k) {
        const double* bk = b + k * n;
        double s = 0.0;
        XEL_MATH_UNROLL
        for (long j = 0; j < n; ++j)
          s += bi[j] * bk[j];
        a[i * n + k] = s;
      }
      a[i * n + i] += double(n) * d[i] * d[i];
      trace += a[i * n + i];
    }
    if (!(trace > 0.0) || !Finite(trace))
      return 0;
    // A = L D L^T (L unit lower triangular, below the diagonal of a; D on it), slightly
    // regularised: any v is verified below, so the factors are formed without square roots
    // and the divisions by the pivots are products by their reciprocals (short latency).
    const double floor = 1e-13 * trace / double(n);
    double reciprocal[MaxSolveDimension];
    XEL_MATH_UNROLL
    for (long i = 0; i < n; ++i) {
      XEL_MATH_UNROLL
      for (long k = 0; k <= i; ++k) {
        double s = a[i * n + k] + (i == k ? floor : 0.0);
        XEL_MATH_UNROLL
        for (long m = 0; m < k; ++m)
          s -= a[i * n + m] * a[k * n + m] * a[m * n + m];
        if (i == k) {
          if (!(s > 0.0))
            return 0;
          a[i * n + i] = s;
          reciprocal[i] = 1.0 / s;
        } else {
          a[i * n + k] = s * reciprocal[k];
        }
      }
    }
    XEL_MATH_UNROLL
    for (long i = 0; i < n; ++i) {
      double s = iValues[i];
      XEL_MATH_UNROLL
      for (long m = 0; m < i; ++m)
        s -= a[i * n + m] * v[m];
      v[i] = s;
    }
    XEL_MATH_UNROLL
    for (long i = n - 1; i >= 0; --i) {
      double s = v[i] * reciprocal[i];
      XEL_MATH_UNROLL
      for (long m = i + 1; m < n; ++m)
        s -= a[m * n + i] * v[m];
      v[i] = s;
    }
    // The test itself, with v whatever its accuracy: (v.M)_j r_j = (v.B)_j.
    double vf = 0.0, spread = 0.0, size = 0.0;
    XEL_MATH_UNROLL
    for (long i = 0; i < n; ++i) {
      vf += v[i] * iValues[i];
      spread += std::fabs(v[i]) * d[i];
      size += std::fabs(v[i] * iValues[i]);
    }
    // The padding covers the rounding of f(c) as Krawczyk's covers that of its centre: a
    // shift of the centre by the padding ratio of its size.
    // [v.J] over the box (its midpoint v.M and radius), for the bounds from the corners.
    double shift = 0.0;
    double slopes[2 * MaxSolveDimension];
    double* gLow = slopes;
    double* gHigh = slopes + n;
    long down = 0;
    XEL_MATH_UNROLL
    for (long j = 0; j < n; ++j) {
      double vb = 0.0, vm = 0.0, vd = 0.0;
      XEL_MATH_UNROLL
      for (long i = 0; i < n; ++i) {
        vb += v[i] * b[i * n + j];
        vm += v[i] * 0.5 * (low[i * n + j] + high[i * n + j]);
        vd += std::fabs(v[i]) * 0.5 * (high[i * n + j] - low[i * n + j]);
      }
      spread += std::fabs(vb);
      shift += std::fabs(vm) * (0.5 * std::fabs(iLow[j] + iHigh[j]) + r[j]);
      gLow[j] = vm - vd;
      gHigh[j] = vm + vd;
      if (vm < 0.0)
        down |= 1L << (n - 1 - j);
    }
    if (!Finite(vf) || !Finite(spread) || !Finite(shift))
      return 0;
    if (std::fabs(vf) > spread + KrawczykPadding * (spread + size + shift))
      return 1;
    return iCornerValues && CornerBoundsOf<Fixed>(n, v, gLow, gHigh, down, iLow, iHigh,
                                                  iCornerValues, spread + shift)
               ? 1
               : 0;
  });
}

bool XelMathSystem::EquationKeepsSign(const long i, const XelMathIntervalND& iCell,
                                      const double* iCornerValues) const {
  const long n = _dimension;
  XelMathScratchDoubles<24> work(3 * n);
  double* low = work.Data();
  double* high = low + n;
  double* unit = high + n;
  for (long k = 0; k < n; ++k) {
    low[k] = iCell.GetMin(k);
    high[k] = iCell.GetMax(k);
    unit[k] = k == i ? 1.0 : 0.0;
  }
  return CornerBoundsExclude(unit, low, high, iCornerValues, 0.0) != 0;
}

int XelMathSystem::CornerBoundsExclude(const double* iV, const double* iLow, const double* iHigh,
                                       const double* iCornerValues, const double iPad) const {
  return WithDimension(_dimension, [&](auto iDim) -> int {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension, nn = n * n;
    const double* low = _hullData;
    const double* high = low + nn;
    const double* v = iV;
    // The combination v.f from a corner q of the box (values f(q)): over the box,
    // v.f(x) = v.f(q) + [v.J] (x - q), x - q of one sign in each side. The lower bound is taken
    // from the corner downhill along each side (by the midpoint of [v.J]), the upper bound from
    // the opposite one: exact in the sides where [v.J] keeps one sign.
    long down = 0;
    XelMathScratchDoubles<32> grad(2 * n);
    double* gLow = grad.Data();
    double* gHigh = gLow + n;
    XEL_MATH_UNROLL
    for (long j = 0; j < n; ++j) {
      double vm = 0.0, vd = 0.0;
      XEL_MATH_UNROLL
      for (long i = 0; i < n; ++i) {
        vm += v[i] * 0.5 * (low[i * n + j] + high[i * n + j]);
        vd += std::fabs(v[i]) * 0.5 * (high[i * n + j] - low[i * n + j]);
      }
      gLow[j] = vm - vd;
      gHigh[j] = vm + vd;
      if (vm < 0.0)
        down |= 1L << (n - 1 - j);
    }
    return CornerBoundsOf<Fixed>(n, v, gLow, gHigh, down, iLow, iHigh, iCornerValues, iPad);
  });
}

int XelMathSystem::KrawczykExcludes(const XelMathIntervalND& iCell, const double* iCornerValues,
                                    const double* iCornerJacobians, const double* iCentreJacobian,
                                    const double* iCentre, const double* iCentreValues,
                                    double* oContracted) {
  return WithDimension(_dimension, [&](auto iDim) -> int {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension;
    const long dim = n;
    // Not contracted until the operator does.
    if (oContracted)
      for (long k = 0; k < dim; ++k) {
        oContracted[k] = iCell.GetMin(k);
        oContracted[dim + k] = iCell.GetMax(k);
      }
    const long nn = n * n;
    if (!AllFinite(iCentreValues, n))
      return 0;
    // The combination test first: it needs no inverse.
    if (!PrepareHull(iCell, iCornerJacobians, iCentreJacobian, false, iCornerValues,
                     iCentreValues))
      return 0;
    {
      XelMathScratchDoubles<16> bounds(2 * n);
      for (long k = 0; k < n; ++k) {
        bounds[k] = iCell.GetMin(k);
        bounds[n + k] = iCell.GetMax(k);
      }
      if (CombinationExcludes(bounds.Data(), bounds.Data() + n, iCentreValues, iCornerValues))
        return 1;
    }
    if (!PrepareHull(iCell, iCornerJacobians, iCentreJacobian, true))
      return 0;
    const double* inv = _hullData + 2 * nn;
    // |I - C [J]|, C the inverse of the hull's midpoint.
    const double* mag = HullMagnitude();
    XelMathScratchDoubles<64> work(8 * n);
    double* boxLow = work.Data();
    double* boxHigh = boxLow + n;
    double* nextLow = boxHigh + n;
    double* nextHigh = nextLow + n;
    double* centre = nextHigh + n;
    double* values = centre + n;
    double* rounding = values + n;
    double* valuePad = rounding + n;
    for (long k = 0; k < n; ++k) {
      boxLow[k] = iCell.GetMin(k);
      boxHigh[k] = iCell.GetMax(k);
      centre[k] = iCentre[k];
      values[k] = iCentreValues[k];
    }
    // The rounding of the values, against the size of their terms: where the Jacobian is
    // nearly singular C magnifies it beyond the width of a small cell around the solution.
    for (long i = 0; i < n; ++i) {
      double size = std::fabs(iCentreValues[i]);
      for (long j = 0; j < n; ++j)
        size += std::fabs(iCentreJacobian[i * n + j]) *
                (std::fabs(iCentre[j]) + 0.5 * (iCell.GetMax(j) - iCell.GetMin(j)));
      rounding[i] = ValueRounding * size;
    }
    for (long r = 0; r < n; ++r) {
      double pad = 0.0;
      for (long k = 0; k < n; ++k)
        pad += std::fabs(inv[r * n + k]) * rounding[k];
      valuePad[r] = pad;
    }
    // A quadratic system: its second-order form first, which drops or narrows far larger cells
    // than the hull's first-order spread where the Jacobian changes much over the cell.
    const double* hessian = _hullAffine ? QuadraticHessian() : nullptr;
    if (hessian &&
        SecondOrderExcludes(hessian, iCentreJacobian, iCentre, iCentreValues, inv, valuePad,
                            boxLow, boxHigh))
      return 1;
    bool narrowed = false;
    for (long k = 0; k < n; ++k)
      narrowed = narrowed || boxLow[k] > iCell.GetMin(k) || boxHigh[k] < iCell.GetMax(k);
    if (narrowed && oContracted) {
      std::memcpy(oContracted, boxLow, sizeof(double) * n);
      std::memcpy(oContracted + n, boxHigh, sizeof(double) * n);
    }
    // Krawczyk's operator K = c - C f(c) + (I - C [J]) (X - c): a cell that K misses in one
    // coordinate holds no solution. The solutions of X lie in X n K(X), where the operator is
    // applied again (the hull of X still encloses the Jacobian) while it contracts. K is padded
    // well beyond its rounding errors: a solution on the border of a box (a corner of the
    // domain, a node of the grid) is not lost to them.
    for (long step = 0; step < KrawczykSteps; ++step) {
      if (step > 0 || narrowed) {
        for (long k = 0; k < n; ++k)
          centre[k] = 0.5 * (boxLow[k] + boxHigh[k]);
        SEval(centre, values);
        if (!AllFinite(values, n))
          return 0;
      }
      double ratio = 0.0, volume = 1.0;
      for (long r = 0; r < n; ++r) {
        double cf = 0.0, spread = 0.0;
        XEL_MATH_UNROLL
        for (long k = 0; k < n; ++k)
          cf += inv[r * n + k] * values[k];
        XEL_MATH_UNROLL
        for (long c = 0; c < n; ++c)
          spread += mag[r * n + c] * 0.5 * (boxHigh[c] - boxLow[c]);
        const double k0 = centre[r] - cf;
        if (!Finite(k0) || !Finite(spread))
          return 0;
        const double width = boxHigh[r] - boxLow[r];
        const double pad = KrawczykPadding * (width + std::fabs(k0) + spread) + valuePad[r];
        nextLow[r] = std::max(boxLow[r], k0 - spread - pad);
        nextHigh[r] = std::min(boxHigh[r], k0 + spread + pad);
        if (nextLow[r] > nextHigh[r])
          return 1;
        if (width > 0.0) {
          ratio = std::max(ratio, (nextHigh[r] - nextLow[r]) / width);
          volume *= (nextHigh[r] - nextLow[r]) / width;
        }
      }
      std::memcpy(boxLow, nextLow, sizeof(double) * n);
      std::memcpy(boxHigh, nextHigh, sizeof(double) * n);
      if (oContracted) {
        std::memcpy(oContracted, boxLow, sizeof(double) * n);
        std::memcpy(oContracted + n, boxHigh, sizeof(double) * n);
      }
      // Steps go on while the box contracts: in every side, or much in volume.
      if (ratio > KrawczykProgress && !(volume < ContractedVolume))
        break;
    }
    return 0;
  });
}

int XelMathSystem::IsSingularIntervalJacobian(const XelMathIntervalND& iCell,
                                              const double* iCornerJacobians,
                                              const double* iCentreJacobian) {
  const long n = _dimension;
  const int ready = PrepareHull(iCell, iCornerJacobians, iCentreJacobian, true);
  // The prepared hull belongs to this call's data only.
  _hullCorners = _hullCentre = nullptr;
  if (!ready)
    return 1;
  // Regular when |I - C [J]| has every row sum below 1, C the inverse of the midpoint (the
  // matrix Krawczyk's operator used, when it was formed for the same hull).
  const double* mag = HullMagnitude();
  for (long r = 0; r < n; ++r) {
    double sum = 0.0;
    for (long c = 0; c < n; ++c)
      sum += mag[r * n + c];
    if (!(sum < 1.0))
      return 1;
  }
  return 0;
}

long XelMathSystem::HalvingSide(const XelMathIntervalND& iCell) {
  // The side that adds most to |I - C [J]| (its column times the side's width) among the sides
  // at least a quarter as wide as the widest (both compared with the domain's): halving it
  // brings the cell closest to one the hull tests settle, without cutting it into slabs.
  const long n = _dimension, widest = WidestSide(iCell);
  if (_hullState != 1)
    return widest;
  const double* mag = HullMagnitude();
  const double reference = RelativeWidth(iCell, widest);
  long side = widest;
  double most = -1.0;
  for (long k = 0; k < n; ++k) {
    if (!(RelativeWidth(iCell, k) >= SmearWidthRatio * reference))
      continue;
    double column = 0.0;
    for (long r = 0; r < n; ++r)
      column += mag[r * n + k];
    const double smear = column * (iCell.GetMax(k) - iCell.GetMin(k));
    if (smear > most) {
      most = smear;
      side = k;
    }
  }
  return side;
}

const double* XelMathSystem::HullMagnitude() {
  const long nn = _dimension * _dimension;
  double* out = _hullData + 3 * nn;
  if (_hullMagnitude)
    return out;
  WithDimension(_dimension, [&](auto iDim) {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension;
    const double* __restrict__ low = _hullData;
    const double* __restrict__ high = low + nn;
    const double* __restrict__ inv = high + nn;
    double* __restrict__ mag = out;
    XEL_MATH_UNROLL
    for (long r = 0; r < n; ++r) {
      XEL_MATH_UNROLL
      for (long c = 0; c < n; ++c) {
        double lo = r == c ? 1.0 : 0.0, hi = lo;
        XEL_MATH_UNROLL
        for (long k = 0; k < n; ++k) {
          const double ck = inv[r * n + k];
          const double a = ck * low[k * n + c], b = ck * high[k * n + c];
          lo -= std::max(a, b);
          hi -= std::min(a, b);
        }
        mag[r * n + c] = MagOf(lo, hi);
      }
    }
  });
  _hullMagnitude = 1;
  return out;
}

int XelMathSystem::TreatSingularJacobian(const XelMathIntervalND& iCell) {
  XelMathScratchDoubles<8> centre(_dimension);
  iCell.Center(centre.Data());
  if (TryMarching(iCell, centre.Data()))
    return 1;
  return HalvingSearch(iCell);
}

int XelMathSystem::HalvingSearch(const XelMathIntervalND& iCell) {
  const long n = _dimension, nn = n * n, corners = 1L << n;
  // The corners of the cell being searched when they hold the Jacobians, else sampled.
  if (_cellBox && _cellValues && _cellJacobians && SameBox(*_cellBox, iCell))
    return SingularSearch(iCell, _cellValues, _cellJacobians, 0, 0);
  XelMathScratchDoubles<256> values(corners * n);
  XelMathScratchDoubles<1024> jacobians(corners * nn);
  SampleCell(iCell, values.Data(), jacobians.Data());
  return SingularSearch(iCell, values.Data(), jacobians.Data(), 0, 0);
}

int XelMathSystem::SingularSearch(const XelMathIntervalND& iCell, const double* iValues,
                                  const double* iJacobians, const long iLevel,
                                  const long iRegularSplits) {
  const long n = _dimension, corners = 1L << n, nn = n * n;
  // One side is halved per level: n levels make one halving of the whole cell.
  if (!Budget() || _depth + iLevel / n >= MaxDepth)
    return 0;
  // The halves of a cell check only the nodes of the cut, below. A cell whose corner data are
  // not all finite (at the edge of a region where the system is not defined, or where its
  // differences reach into one): Newton's method from the centre, then a closer look a few
  // times, as for a cell whose values are not all defined.
  if (iLevel == 0 && (!AllFinite(iValues, corners * n) || !AllFinite(iJacobians, corners * nn))) {
    XelMathScratchDoubles<8> start(n);
    iCell.Center(start.Data());
    const int found = NewtonFrom(iCell, start.Data());
    if (found != 0)
      return found;
    if (_depth < NaNDepth && MaxWidth(iCell) > _suspectWidth)
      return Subdivide(iCell, 3);
    return 0;
  }
  // The corner values equation by equation (row i: f_i at the 2^N corners).
  XelMathScratchDoubles<256> byEquation(n * corners);
  WithDimension(n, [&](auto iDim) {
    constexpr long Fixed = decltype(iDim)::value;
    const long m = Fixed ? Fixed : n;
    double* __restrict__ rows = byEquation.Data();
    for (long c = 0; c < corners; ++c) {
      const double* __restrict__ v = iValues + c * m;
      XEL_MATH_UNROLL
      for (long i = 0; i < m; ++i)
        rows[i * corners + c] = v[i];
    }
  });
  XelMathScratchPointers<const double, 64> rows(corners);
  for (long c = 0; c < corners; ++c)
    rows[c] = iJacobians + c * nn;
  // Equations of one sign at the corners first (the cheap drop), then those that may dip.
  bool oneSign[MaxSolveDimension] = {};
  for (long i = 0; i < n; ++i) {
    const double* vals = byEquation.Data() + i * corners;
    if (IsChangingSignOnHyperCube(vals))
      continue;
    if (!MayDip(iCell, vals, rows.Data(), i * n) && !ImageMayVanish(i, iCell))
      return 0;
    oneSign[i] = true;
  }
  XelMathScratchDoubles<8> x(n), f(n);
  XelMathScratchDoubles<64> jc(nn);
  iCell.Center(x.Data());
  SEval(x.Data(), f.Data(), jc.Data());
  XelMathScratchDoubles<16> contracted(2 * n);
  // No hull of another cell is taken for this one's.
  _hullState = 0;
  const int excluded = KrawczykExcludes(iCell, iValues, iJacobians, jc.Data(), x.Data(), f.Data(),
                                        contracted.Data());
  const int singular = excluded ? 1 : IsSingularIntervalJacobian(iCell, iJacobians, jc.Data());
  const long side = excluded ? 0 : HalvingSide(iCell);
  _hullCorners = _hullCentre = nullptr;
  if (excluded)
    return 0;
  // An equation of one sign at the corners that may dip between them keeps the cell while it
  // is wider than the suspect width (its halves are tested again), then only when a point of
  // the other sign is found.
  if (!(MaxWidth(iCell) > _suspectWidth)) {
    // The hull of the cell, when ready, bounds each such equation from its corners first.
    const bool bounded = _hullState != 0;
    XelMathScratchDoubles<256> grads(n * corners);
    for (long i = 0; i < n; ++i) {
      if (!oneSign[i])
        continue;
      if (bounded && EquationKeepsSign(i, iCell, iValues))
        return 0;
      const double* vals = byEquation.Data() + i * corners;
      for (long c = 0; c < corners; ++c)
        std::memcpy(grads.Data() + c * n, iJacobians + c * nn + i * n, sizeof(double) * n);
      if (!TryChangeSignOnEdge(i, iCell, vals, grads.Data()) &&
          !TryChangeSignInHyperCube(i, iCell, vals))
        return 0;
    }
  }
  bool tiny = true;
  for (long k = 0; k < n; ++k)
    if (iCell.GetMax(k) - iCell.GetMin(k) >
        SingularWidthRatio * (_domain ? _domain->GetMax(k) - _domain->GetMin(k) : 1.0))
      tiny = false;
  if (!singular || tiny) {
    // The corner of least squared residual.
    long best = 0;
    double least = 0.0;
    for (long c = 0; c < corners; ++c) {
      const double* v = iValues + c * n;
      double r = 0.0;
      for (long i = 0; i < n; ++i)
        r += v[i] * v[i];
      if (c == 0 || r < least) {
        best = c;
        least = r;
      }
    }
    for (long attempt = 0; attempt < 2; ++attempt) {
      if (attempt == 1)
        CornerPoint(iCell, n, best, x.Data());
      else
        iCell.Center(x.Data());
      if (NewtonInCell(iCell, x.Data(), singular)) {
        if (Recorded(x.Data(), iCell) == -2)
          return -2;
        if (!(tiny && singular))
          return 1;
        // A tiny singular cell may hold two close solutions: Newton's method again from its
        // lowest and highest corners, then Newton's method deflated by the solution found,
        // from its mirror image through the centre (two close solutions lie on either side
        // of the fold between them).
        XelMathScratchDoubles<8> y(n);
        for (long end = 0; end < 2; ++end) {
          for (long k = 0; k < n; ++k)
            y[k] = end ? iCell.GetMax(k) : iCell.GetMin(k);
          if (NewtonInCell(iCell, y.Data(), singular) && Recorded(y.Data(), iCell) == -2)
            return -2;
        }
        XelMathIntervalND wider(iCell);
        Widened(iCell, wider);
        iCell.Center(y.Data());
        for (long k = 0; k < n; ++k)
          y[k] = Clip(2.0 * y[k] - x[k], wider.GetMin(k), wider.GetMax(k));
        const long stored = _solutions ? _solutions->GetNumberOfPoints() : 0;
        if (DeflatedNewton(wider, x.Data(), y.Data()) && Recorded(y.Data(), iCell) == -2)
          return -2;
        // The solution found may lie at the centre, where its mirror image is itself: the
        // deflated runs start from the corners too (the second solution near one of them),
        // until one adds a solution. Up to 16 corners (four unknowns).
        if (n <= MaxDeflatedCornerDimension)
          for (long c = 0; c < corners && _solutions &&
                          _solutions->GetNumberOfPoints() == stored;
               ++c) {
            CornerPoint(iCell, n, c, y.Data());
            if (DeflatedNewton(wider, x.Data(), y.Data()) && Recorded(y.Data(), iCell) == -2)
              return -2;
          }
        return 1;
      }
    }
    // Newton's steps clipped by a tiny cell stall when they reach a solution near a face
    // across it: once more from the centre, in the cell widened by its own width each side.
    if (tiny) {
      XelMathIntervalND wider(iCell);
      Widened(iCell, wider);
      iCell.Center(x.Data());
      int status = 0;
      if (SolveSafeNewtonWithAlloc(wider, x.Data(), status))
        return Recorded(x.Data(), iCell) == -2 ? -2 : 1;
      return 0;
    }
    // A regular cell whose Newton runs leave it is halved a few times more.
    if (iRegularSplits >= RegularSplitDepth * n)
      return 0;
  }
  // The solutions of the cell lie in the box Krawczyk's operator contracted it to: when that
  // box is much smaller, it is searched instead (its corners sampled afresh), as one level.
  // A side no wider than a tiny cell's is not counted: at a tangential solution the operator
  // narrows the regular sides again at every level while the sides along the kernel stay
  // whole, and a box that only that narrowing makes smaller would never be halved.
  if (singular) {
    double volume = 1.0;
    for (long k = 0; k < n; ++k) {
      const double tinyWidth =
          SingularWidthRatio * (_domain ? _domain->GetMax(k) - _domain->GetMin(k) : 1.0);
      const double w = iCell.GetMax(k) - iCell.GetMin(k);
      if (w > tinyWidth)
        volume *= std::max(contracted[n + k] - contracted[k], tinyWidth) / w;
    }
    if (volume < ContractedVolume) {
      if (!_cornerValues) {
        _cornerCount = corners;
        AllocateFillArrays();
      }
      double* block = PushHalfBlock();
      auto pop = XelMathMakeOnExit([this] { --_halfBlockTop; });
      double* values = block;
      double* jacobians = block + corners * n;
      XelMathIntervalND inner(iCell);
      for (long k = 0; k < n; ++k) {
        inner.SetMin(k, contracted[k]);
        inner.SetMax(k, contracted[n + k]);
      }
      SampleCell(inner, values, jacobians);
      if (!AllFinite(values, corners * n) || !AllFinite(jacobians, corners * nn))
        return 1;
      return SingularSearch(inner, values, jacobians, iLevel + 1, iRegularSplits) == -2 ? -2 : 1;
    }
  }
  // Halve the widest side (compared with the domain's): one sub-cell pair per level, where
  // halving every side would make 2^N sub-cells. The halves share the nodes of the cut.
  const double mid = 0.5 * (iCell.GetMin(side) + iCell.GetMax(side));
  // The blocks of the frames above stay where they are: nothing is released here.
  if (!_cornerValues) {
    _cornerCount = corners;
    AllocateFillArrays();
  }
  double* lowValues = PushHalfBlock();
  auto pop = XelMathMakeOnExit([this] { --_halfBlockTop; });
  double* highValues = lowValues + corners * n;
  double* lowJacobians = highValues + corners * n;
  double* highJacobians = lowJacobians + corners * nn;
  SplitCorners(iCell, side, iValues, iJacobians, lowValues, lowJacobians, highValues,
               highJacobians);
  // A half with a node of the cut where the system is not finite is dropped, as the cell
  // would be.
  const long bit = 1L << (n - 1 - side);
  for (long c = 0; c < corners; ++c)
    if ((c & bit) && (!AllFinite(lowValues + c * n, n) || !AllFinite(lowJacobians + c * nn, nn)))
      return 1;
  XelMathIntervalND child(iCell);
  for (int upper = 0; upper < 2; ++upper) {
    child.SetMin(side, upper ? mid : iCell.GetMin(side));
    child.SetMax(side, upper ? iCell.GetMax(side) : mid);
    if (SingularSearch(child, upper ? highValues : lowValues, upper ? highJacobians : lowJacobians,
                       iLevel + 1, iRegularSplits + (singular ? 0 : 1)) == -2)
      return -2;
    if (_solutions && _solutions->GetNumberOfPoints() > MaxSolutions)
      return -2;
  }
  return 1;
}

void XelMathSystem::Widened(const XelMathIntervalND& iCell, XelMathIntervalND& oWider) const {
  for (long k = 0; k < _dimension; ++k) {
    const double w = iCell.GetMax(k) - iCell.GetMin(k);
    double lo = iCell.GetMin(k) - w, hi = iCell.GetMax(k) + w;
    if (_domain) {
      lo = std::max(lo, _domain->GetMin(k));
      hi = std::min(hi, _domain->GetMax(k));
    }
    oWider.SetMin(k, lo);
    oWider.SetMax(k, hi);
  }
}

int XelMathSystem::DeflatedNewton(const XelMathIntervalND& iBox, const double* iRoot, double* ioX) {
  // Newton's method on g = m f with m = 1 / |x - r| + 1: g has the zeros of f but r, and no
  // pull towards r, so that the steps reach a second solution close to r where those of f
  // fall back on r. Jacobian of g: m J + f (grad m)', grad m = -(x - r) / |x - r|^3.
  const long n = _dimension, nn = n * n;
  XelMathScratchDoubles<32> work(4 * n);
  double *f = work.Data(), *g = f + n, *d = g + n, *trial = d + n;
  XelMathScratchDoubles<64> j(nn);
  if (!_work1)
    _work1 = new XelMathNxNFullMatrix(n);
  double* a = _work1->GetFullMatrixCoef();
  auto deflated = [&](const double* x, double* oG, double* oJ) {
    double dist2 = 0.0;
    for (long k = 0; k < n; ++k)
      dist2 += (x[k] - iRoot[k]) * (x[k] - iRoot[k]);
    const double dist = std::sqrt(dist2);
    if (!(dist > 0.0))
      return -1.0;
    if (oJ)
      SEval(x, f, j.Data());
    else
      SEval(x, f);
    const double m = 1.0 / dist + 1.0;
    double norm = 0.0;
    for (long i = 0; i < n; ++i) {
      oG[i] = m * f[i];
      norm += oG[i] * oG[i];
      if (oJ)
        for (long k = 0; k < n; ++k)
          oJ[i * n + k] = m * j[i * n + k] - f[i] * (x[k] - iRoot[k]) / (dist2 * dist);
    }
    return Finite(norm) ? norm : -1.0;
  };
  double norm = deflated(ioX, g, a);
  for (long it = 0; it < XelMaxNewtonIteration && norm >= 0.0; ++it) {
    double residual = 0.0;
    if (IsRoot(ioX, f, residual, j.Data())) {
      double away = 0.0, size = 0.0;
      for (long k = 0; k < n; ++k) {
        away = std::max(away, std::fabs(ioX[k] - iRoot[k]));
        size += std::fabs(ioX[k]);
      }
      return away > SameRootDistance * (1.0 + size) ? 1 : 0;
    }
    std::memcpy(d, g, sizeof(double) * n);
    if (_work1->Solve(d, 1) != 0 || !AllFinite(d, n))
      return 0;
    // Steps halved until g decreases, inside the box.
    bool taken = false;
    for (double lambda = 1.0; lambda >= 1.0 / 64.0 && !taken; lambda *= 0.5) {
      bool inside = true;
      for (long k = 0; k < n; ++k) {
        trial[k] = ioX[k] - lambda * d[k];
        inside = inside && trial[k] >= iBox.GetMin(k) && trial[k] <= iBox.GetMax(k);
      }
      if (!inside)
        continue;
      double gt[MaxSolveDimension];
      const double nt = deflated(trial, gt, nullptr);
      taken = nt >= 0.0 && nt < norm;
    }
    if (!taken)
      return 0;
    std::memcpy(ioX, trial, sizeof(double) * n);
    norm = deflated(ioX, g, a);
  }
  return 0;
}

int XelMathSystem::NewtonInCell(const XelMathIntervalND& iCell, double* ioX,
                                const int iTangential) {
  const long n = _dimension;
  XelMathScratchDoubles<8> start(n);
  std::memcpy(start.Data(), ioX, sizeof(double) * n);
  int status = 0;
  int found = SolveSafeNewtonWithAlloc(iCell, ioX, status);
  if (!iTangential)
    return found;
  if (!found) {
    std::memcpy(ioX, start.Data(), sizeof(double) * n);
    found = Minimize(iCell, ioX);
  }
  if (!found)
    return 0;
  // A point of a tiny cell may only be near a multiple solution (its residual within the
  // tolerance, the solution in a neighbouring cell): it is carried on in a box of a few cells
  // around, so that every cell near one solution ends on the same point.
  XelMathIntervalND around(n);
  for (long k = 0; k < n; ++k) {
    const double w = PolishCells * (iCell.GetMax(k) - iCell.GetMin(k));
    double lo = iCell.GetMin(k) - w, hi = iCell.GetMax(k) + w;
    if (_domain) {
      lo = std::max(lo, _domain->GetMin(k));
      hi = std::min(hi, _domain->GetMax(k));
    }
    around.SetMin(k, lo);
    around.SetMax(k, hi);
  }
  XelMathScratchDoubles<8> y(n);
  std::memcpy(y.Data(), ioX, sizeof(double) * n);
  if (SolveSafeNewtonWithAlloc(around, y.Data(), status) ||
      (Minimize(around, y.Data()) && Residual2(y.Data()) <= Residual2(ioX)))
    std::memcpy(ioX, y.Data(), sizeof(double) * n);
  return 1;
}

int XelMathSystem::Minimize(const XelMathIntervalND& iCell, double* ioX) {
  // Levenberg-Marquardt on 0.5 |f|^2 inside the cell: it reaches double solutions, where
  // Newton's steps are singular, at a linear rate.
  const long n = _dimension, nn = n * n;
  XelMathScratchDoubles<64> work(6 * n + 4 * nn);
  double* f = work.Data();
  double* g = f + n;
  double* d = g + n;
  double* xn = d + n;
  double* fn = xn + n;
  double* gn = fn + n;
  double* j = gn + n;
  double* h = j + nn;
  double* jn = h + nn;
  double* hn = jn + nn;
  if (!_work2)
    _work2 = new XelMathNxNFullMatrix(n);
  XelMathNxNFullMatrix& system = *_work2;
  double phi = EvalForDoubleRoot(ioX, f, j, g, h);
  double lambda = 1e-3;
  double norm = 0.0;
  for (long it = 0; it < MaxMinimizeSteps && Finite(phi); ++it) {
    if (IsRoot(ioX, f, norm, j))
      break;
    double* a = system.GetFullMatrixCoef();
    std::memcpy(a, h, sizeof(double) * nn);
    for (long k = 0; k < n; ++k)
      a[k * n + k] += lambda * (h[k * n + k] + 1e-30);
    std::memcpy(d, g, sizeof(double) * n);
    if (system.Solve(d, 1) != 0 || !AllFinite(d, n)) {
      lambda *= 10.0;
      if (lambda > 1e16)
        break;
      continue;
    }
    double step = 0.0;
    for (long k = 0; k < n; ++k) {
      xn[k] = Clip(ioX[k] - d[k], iCell.GetMin(k), iCell.GetMax(k));
      step = std::max(step, std::fabs(xn[k] - ioX[k]));
    }
    const double phin = EvalForDoubleRoot(xn, fn, jn, gn, hn);
    if (Finite(phin) && phin < phi) {
      std::memcpy(ioX, xn, sizeof(double) * n);
      phi = EvalForDoubleRoot(ioX, f, j, g, h);
      lambda = std::max(lambda / 3.0, 1e-12);
    } else {
      lambda *= 4.0;
      if (lambda > 1e16)
        break;
    }
    if (step <= 1e-16 * (1.0 + MaxWidth(iCell)))
      break;
  }
  SEval(ioX, f);
  return IsNull(ioX, f, norm) ? 1 : 0;
}

// ---- Newton -----------------------------------------------------------------------------------

int XelMathSystem::SolveSafeNewton(const XelMathIntervalND& iBox, double* ioX, double* ioF,
                                   double* oDx, XelMathNxNFullMatrix& ioJ, int& oStatus) {
  const long n = _dimension;
  // The caller's work matrix and box must be the system's size.
  if (ioJ.GetSizeOfMatrix() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathNxNFullMatrix", "N",
                 "XelMathSystem::SolveSafeNewton");
  if (iBox.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathIntervalND", "N",
                 "XelMathSystem::SolveSafeNewton");
  double* j = ioJ.GetFullMatrixCoef();
  XelMathScratchDoubles<16> trial(2 * n);
  double* xt = trial.Data();
  double* ft = xt + n;
  XelMathScratchDoubles<64> jcopy(n * n);
  double bounds = 0.0;
  for (long k = 0; k < n; ++k)
    bounds += iBox.GetMin(k) * iBox.GetMin(k) + iBox.GetMax(k) * iBox.GetMax(k);
  SEval(ioX, ioF, j);
  double norm = 0.0;
  oStatus = 2;
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    if (!AllFinite(ioF, n) || !AllFinite(j, n * n)) {
      oStatus = 4;
      return 0;
    }
    std::memcpy(jcopy.Data(), j, sizeof(double) * n * n);
    if (IsRoot(ioX, ioF, norm, jcopy.Data())) {
      oStatus = 0;
      return 1;
    }
    std::memcpy(oDx, ioF, sizeof(double) * n);
    if (ioJ.Solve(oDx, 1) != 0 || !AllFinite(oDx, n)) {
      oStatus = 1;
      SEval(ioX, ioF, j);
      return IsNull(ioX, ioF, norm, j) ? (oStatus = 0, 1) : 0;
    }
    // Clip the step to the box: it lands on the boundary, and is kept when it is tiny or
    // keeps a quarter of the squared length of the full step.
    double full = 0.0, clipped = 0.0;
    bool inside = true;
    for (long k = 0; k < n; ++k) {
      full += oDx[k] * oDx[k];
      const double to = ioX[k] - oDx[k];
      if (to < iBox.GetMin(k)) {
        oDx[k] = ioX[k] - iBox.GetMin(k);
        inside = false;
      } else if (to > iBox.GetMax(k)) {
        oDx[k] = ioX[k] - iBox.GetMax(k);
        inside = false;
      }
      clipped += oDx[k] * oDx[k];
    }
    if (!inside && !(clipped < _sqLengthRes * bounds) && !(clipped >= 0.25 * full)) {
      oStatus = 3;
      return 0;
    }
    // Halve the step while the residual does not decrease.
    double lambda = 1.0, normt = 0.0;
    bool decreased = false;
    for (long half = 0; half <= XelMaxIntervalIteration; ++half, lambda *= 0.5) {
      for (long k = 0; k < n; ++k)
        xt[k] = Clip(ioX[k] - lambda * oDx[k], iBox.GetMin(k), iBox.GetMax(k));
      SEval(xt, ft);
      normt = 0.0;
      for (long k = 0; k < n; ++k)
        normt += ft[k] * ft[k];
      if (Finite(normt) && normt < norm) {
        decreased = true;
        break;
      }
    }
    if (!decreased) {
      // Held against the box by the clipping: the solution, if any, lies beyond it.
      SEval(ioX, ioF, j);
      if (inside && IsNull(ioX, ioF, norm, j)) {
        oStatus = 0;
        return 1;
      }
      oStatus = 2;
      return 0;
    }
    double step = 0.0, size = 0.0;
    for (long k = 0; k < n; ++k) {
      step += (xt[k] - ioX[k]) * (xt[k] - ioX[k]);
      size += xt[k] * xt[k];
    }
    std::memcpy(ioX, xt, sizeof(double) * n);
    SEval(ioX, ioF, j);
    if (step <= 1e-30 * (1.0 + size)) {
      if (inside && IsNull(ioX, ioF, norm, j)) {
        oStatus = 0;
        return 1;
      }
      oStatus = 2;
      return 0;
    }
  }
  if (AllFinite(ioF, n) && IsNull(ioX, ioF, norm, j)) {
    oStatus = 0;
    return 1;
  }
  return 0;
}

int XelMathSystem::NewtonFrom(const XelMathIntervalND& iCell, double* ioStart) {
  int status = 0;
  if (!SolveSafeNewtonWithAlloc(iCell, ioStart, status))
    return 0;
  return Recorded(ioStart, iCell) == -2 ? -2 : 1;
}

int XelMathSystem::SolveSafeNewtonWithAlloc(const XelMathIntervalND& iBox, double* ioX,
                                            int& oStatus) {
  const long n = _dimension;
  if (iBox.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathIntervalND", "N",
                 "XelMathSystem::SolveSafeNewtonWithAlloc");
  XelMathScratchDoubles<24> work(3 * n);
  double* x = work.Data();
  double* f = x + n;
  double* dx = f + n;
  std::memcpy(x, ioX, sizeof(double) * n);
  XelMathNxNFullMatrix* j = _jacobian;
  std::unique_ptr<XelMathNxNFullMatrix> own;
  if (!j) {
    own.reset(new XelMathNxNFullMatrix(n));
    j = own.get();
  }
  if (!SolveSafeNewton(iBox, x, f, dx, *j, oStatus))
    return 0;
  std::memcpy(ioX, x, sizeof(double) * n);
  return 1;
}

// ---- solutions --------------------------------------------------------------------------------

int XelMathSystem::AreSeparateSolutions(const double* p1, const double* p2) const {
  const long n = _dimension;
  XelMathScratchDoubles<24> work(3 * n);
  double* d = work.Data();
  double* m = d + n;
  double* f = m + n;
  double dd = 0.0;
  for (long k = 0; k < n; ++k) {
    d[k] = p2[k] - p1[k];
    m[k] = 0.5 * (p1[k] + p2[k]);
    dd += d[k] * d[k];
  }
  if (dd <= 1e-12 * _sqLengthRes)
    return 0;
  // The middle of two ends of one tangential solution is still a solution: where the
  // solutions of the equations touch to a high order their common stretch is curved and the
  // middle of the segment leaves it, so it is first brought back (two sweeps of projections
  // on the zero set of each equation along its gradient, moving it by less than the segment).
  double norm = 0.0;
  SEval(m, f);
  if (IsNull(m, f, norm))
    return 0;
  if (OnCommonStretch(m, StretchShift * dd))
    return 0;
  XelMathScratchDoubles<64> j1(n * n), j2(n * n);
  // Two distinct solutions: every equation, null at both ends, turns along the segment.
  SEval(p1, f, j1.Data());
  SEval(p2, f, j2.Data());
  for (long i = 0; i < n; ++i) {
    double a = 0.0, b = 0.0;
    for (long k = 0; k < n; ++k) {
      a += j1[i * n + k] * d[k];
      b += j2[i * n + k] * d[k];
    }
    if (a * b > 0.0)
      return 0;
  }
  return 1;
}

bool XelMathSystem::OnCommonStretch(const double* iPoint, const double iShift2) const {
  const long n = _dimension;
  XelMathScratchDoubles<8> q(n), f(n);
  XelMathScratchDoubles<64> j(n * n);
  std::memcpy(q.Data(), iPoint, sizeof(double) * n);
  // The ends of a join may just pass the test themselves: its points are allowed twice
  // their residual, and one that passes needs no projection.
  double norm = 0.0;
  SEval(q.Data(), f.Data());
  for (long i = 0; i < n; ++i)
    f[i] *= 0.5;
  if (IsNull(q.Data(), f.Data(), norm))
    return true;
  // An equation within the test already stays where it is: the zero set of one that
  // vanishes to a high order (w^4) lies far from where it passes the test.
  const double small = 0.5 * std::max(_epsSol, _paramRes * _absRes);
  for (int sweep = 0; sweep < 2; ++sweep)
    for (long i = 0; i < n; ++i) {
      SEval(q.Data(), f.Data(), j.Data());
      if (std::fabs(f[i]) <= small)
        continue;
      const double* g = j.Data() + i * n;
      double g2 = 0.0;
      for (long k = 0; k < n; ++k)
        g2 += g[k] * g[k];
      if (!Finite(f[i]) || !(g2 > 0.0) || !Finite(g2))
        return false;
      for (long k = 0; k < n; ++k)
        q[k] -= f[i] * g[k] / g2;
    }
  // Projections that run off towards a solution at an end of the join do not follow a
  // stretch.
  double shift = 0.0;
  for (long k = 0; k < n; ++k)
    shift += (q[k] - iPoint[k]) * (q[k] - iPoint[k]);
  if (!(shift < iShift2))
    return false;
  SEval(q.Data(), f.Data());
  for (long i = 0; i < n; ++i)
    f[i] *= 0.5;
  return IsNull(q.Data(), f.Data(), norm) != 0;
}

long XelMathSystem::JoinedSolution(const double* iX) const {
  const long n = _dimension;
  if (!_solutions || !_domain || n < 2)
    return -1;
  // The test holds along a stretch only where the solution sets meet at a small angle: the
  // smallest singular value of the Jacobian, about |det J| over the product of its row norms
  // times the smallest of them, times the distance must stay within reach of the threshold
  // (evenly spaced solutions cannot pass for points of a stretch).
  double sigma = 0.0;
  {
    XelMathScratchDoubles<8> f(n);
    XelMathScratchDoubles<64> j(n * n);
    SEval(iX, f.Data(), j.Data());
    double hadamard = 1.0, smallest = XelMathInfinite;
    for (long i = 0; i < n; ++i) {
      double row = 0.0;
      for (long k = 0; k < n; ++k)
        row += j[i * n + k] * j[i * n + k];
      hadamard *= std::sqrt(row);
      smallest = std::min(smallest, std::sqrt(row));
    }
    XelMathNxNFullMatrix jacobian(n);
    std::memcpy(jacobian.GetFullMatrixCoef(), j.Data(), sizeof(double) * n * n);
    sigma = hadamard > 0.0 ? std::fabs(jacobian.DeterminantFast()) / hadamard * smallest : 0.0;
    if (!Finite(sigma))
      return -1;
  }
  const double threshold = JoinSlack * std::max(_epsSol, _paramRes * _absRes);
  double reach = 0.0;
  for (long k = 0; k < n; ++k)
    reach += _domain->GetMax(k) - _domain->GetMin(k);
  reach *= JoinReach;
  const double window = MergeWindow * _absRes;
  XelMathScratchDoubles<8> d(n), p(n);
  const double* points = _solutions->GetPoints();
  for (long m = 0; m < _solutions->GetNumberOfPoints(); ++m) {
    const double* s = points + m * n;
    double far = 0.0, span = 0.0, dd = 0.0;
    for (long k = 0; k < n; ++k) {
      d[k] = iX[k] - s[k];
      far = std::max(far, std::fabs(d[k]));
      span += std::fabs(d[k]);
      dd += d[k] * d[k];
    }
    // Closer ones are AddSolution's; the middle first: distinct solutions fail there.
    if (far < window || span > reach || sigma * far > threshold)
      continue;
    bool joined = true;
    for (int piece = 0; piece < JoinPoints && joined; ++piece) {
      const double t = static_cast<double>((piece + JoinPoints / 2) % JoinPoints) / JoinPoints;
      if (t == 0.0)
        continue;
      for (long k = 0; k < n; ++k)
        p[k] = s[k] + t * d[k];
      joined = OnCommonStretch(p.Data(), StretchShift * dd);
    }
    if (joined)
      return m;
  }
  return -1;
}

int XelMathSystem::AddSolution(const double* x) {
  const long n = _dimension;
  if (!_solutions || !AllFinite(x, n))
    return 0;
  const double window = MergeWindow * _absRes;
  const long count = _solutions->GetNumberOfPoints();
  double* points = _solutions->GetPoints();
  // Beyond the window, a point joined to a stored solution along a stretch that passes the
  // test is that solution too.
  const long joined = JoinedSolution(x);
  // Two points on which Newton's steps settle, apart by more than they can leave a root, are
  // two roots whatever the rule of the window says (an equation linear along the join has
  // directional derivatives null up to rounding, of either sign, at both ends).
  double size = 1.0;
  for (long k = 0; k < n; ++k)
    size += std::fabs(x[k]);
  XelMathScratchDoubles<8> step(n);
  auto settled = [&](const double* p) {
    if (!NewtonStepAt(p, step.Data()))
      return false;
    for (long k = 0; k < n; ++k)
      if (!(std::fabs(step[k]) <= SameRootDistance * size))
        return false;
    return true;
  };
  int settledHere = -1;
  auto distinctRoots = [&](const double* p, const double iDistance) {
    if (!(iDistance > DistinctRootDistance * size))
      return false;
    if (settledHere < 0)
      settledHere = settled(x) ? 1 : 0;
    return settledHere == 1 && settled(p);
  };
  for (long m = 0; m < count; ++m) {
    const double* p = points + m * n;
    double dist = 0.0;
    for (long k = 0; k < n; ++k)
      dist = std::max(dist, std::fabs(p[k] - x[k]));
    if (m != joined &&
        (!(dist < window) || AreSeparateSolutions(x, p) || distinctRoots(p, dist)))
      continue;
    if (Residual2(x) < Residual2(p)) {
      for (long k = 0; k < n; ++k)
        _solutions->SetCoordAtPoint(x[k], k, m);
      return 1;
    }
    return 0;
  }
  if (count >= MaxSolutions)
    return -1;
  _solutions->AddPoint(x);
  return 1;
}

// ---- second-order form ------------------------------------------------------------------------

bool XelMathSystem::AffineOverCell(const double* iHessian, const XelMathIntervalND& iCell,
                                   const double* iCornerJacobians, const double* iCentreJacobian,
                                   const double* iCornerValues,
                                   const double* iCentreValues) const {
  const long n = _dimension, nn = n * n, nnn = nn * n, corners = 1L << n;
  if (!iCornerValues || !iCentreValues)
    return false;
  const double* mid = iHessian;
  const double* rad = iHessian + nnn;
  double half[MaxSolveDimension], centre[MaxSolveDimension];
  for (long k = 0; k < n; ++k) {
    half[k] = 0.5 * (iCell.GetMax(k) - iCell.GetMin(k));
    centre[k] = 0.5 * (iCell.GetMin(k) + iCell.GetMax(k));
  }
  // The mean of a quadratic's values at the corners is its value at the centre plus half its
  // second derivatives along the sides times the half-widths squared: the terms of first
  // order and the cross terms cancel corner against corner (2^N N additions; any other term
  // of the cell's corners shows there).
  double mean[MaxSolveDimension];
  WithDimension(n, [&](auto iDim) {
    constexpr long Fixed = decltype(iDim)::value;
    const long m = Fixed ? Fixed : n;
    // The sums kept in registers for a fixed dimension.
    double sum[MaxSolveDimension] = {};
    for (long q = 0; q < corners; ++q) {
      const double* __restrict__ v = iCornerValues + q * m;
      XEL_MATH_UNROLL
      for (long i = 0; i < m; ++i)
        sum[i] += v[i];
    }
    for (long i = 0; i < m; ++i)
      mean[i] = sum[i];
  });
  const double share = 1.0 / double(corners);
  // The rounding of the values grows with the terms at the cell, whose size the coordinates
  // of its farthest corner bound.
  const double* secondSizes = iHessian + 2 * nnn;
  double reachSquared = 0.0;
  for (long k = 0; k < n; ++k)
    reachSquared = std::max(reachSquared, std::fabs(centre[k]) + half[k]);
  reachSquared *= reachSquared;
  for (long i = 0; i < n; ++i) {
    double curvature = 0.0;
    double size = std::fabs(iCentreValues[i]) + secondSizes[i] * reachSquared;
    for (long j = 0; j < n; ++j) {
      curvature += mid[(i * n + j) * n + j] * half[j] * half[j];
      size += std::fabs(iCentreJacobian[i * n + j]) * (std::fabs(centre[j]) + half[j]);
    }
    if (!(std::fabs(mean[i] * share - (iCentreValues[i] + 0.5 * curvature)) <=
          QuadraticRounding * size))
      return false;
  }
  // The lowest and highest corners' Jacobians are the centre's moved by the second
  // derivatives (to rounding).
  const double* lowest = iCornerJacobians;
  const double* highest = iCornerJacobians + (corners - 1) * nn;
  for (long e = 0; e < nn; ++e) {
    const double* me = mid + e * n;
    const double* re = rad + e * n;
    double spread = 0.0, move = 0.0;
    for (long k = 0; k < n; ++k) {
      spread += (std::fabs(me[k]) + re[k]) * half[k];
      move += me[k] * half[k];
    }
    const double pad = QuadraticRounding * (std::fabs(iCentreJacobian[e]) + 2.0 * spread);
    if (!(std::fabs(lowest[e] - (iCentreJacobian[e] - move)) <= pad) ||
        !(std::fabs(highest[e] - (iCentreJacobian[e] + move)) <= pad))
      return false;
  }
  return true;
}

const double* XelMathSystem::QuadraticHessian() {
  const long n = _dimension, nn = n * n, nnn = nn * n;
  if (_quadratic >= 0 || !_domain)
    return _quadratic == 1 ? _quadraticHessian : nullptr;
  _quadratic = 0;
  // The Jacobian at the centre of the domain and half a width away along each side gives
  // the second derivatives of an affine Jacobian; it is affine when it matches their
  // prediction at scattered points of the domain, far and near (to rounding).
  XelMathScratchDoubles<64> work(3 * nn + 4 * n);
  double* jc = work.Data();
  double* jp = jc + nn;
  double* jm = jp + nn;
  double* c = jm + nn;
  double* x = c + n;
  double* f = x + n;
  double* w = f + n;
  for (long k = 0; k < n; ++k) {
    c[k] = 0.5 * (_domain->GetMin(k) + _domain->GetMax(k));
    w[k] = _domain->GetMax(k) - _domain->GetMin(k);
  }
  SEval(c, f, jc);
  if (!AllFinite(jc, nn))
    return nullptr;
  if (!_quadraticHessian)
    _quadraticHessian = XelQuorArrayDoubleNew(QuadraticDataSize(n));
  double* mid = _quadraticHessian;
  double* rad = mid + nnn;
  for (long k = 0; k < n; ++k) {
    std::memcpy(x, c, sizeof(double) * n);
    x[k] = c[k] + 0.5 * w[k];
    SEval(x, f, jp);
    x[k] = c[k] - 0.5 * w[k];
    SEval(x, f, jm);
    if (!AllFinite(jp, nn) || !AllFinite(jm, nn))
      return nullptr;
    for (long e = 0; e < nn; ++e) {
      mid[e * n + k] = (jp[e] - jm[e]) / w[k];
      rad[e * n + k] = QuadraticRounding * (std::fabs(jp[e]) + std::fabs(jm[e])) / w[k];
    }
  }
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      for (long k = j + 1; k < n; ++k) {
        const long a = (i * n + j) * n + k, b = (i * n + k) * n + j;
        const double gap = std::fabs(mid[a] - mid[b]);
        if (gap > rad[a] + rad[b])
          return nullptr;
        mid[a] = mid[b] = 0.5 * (mid[a] + mid[b]);
        rad[a] = rad[b] = std::max(rad[a], rad[b]) + 0.5 * gap;
      }
  // Scattered points: a fixed sequence of fractions of the domain, every other one within a
  // hundredth of the domain around the previous one.
  unsigned long seed = 88172645463325252UL;
  auto next = [&seed] {
    seed ^= seed << 13;
    seed ^= seed >> 7;
    seed ^= seed << 17;
    return double(seed >> 11) * (1.0 / 9007199254740992.0);
  };
  for (long r = 0; r < n + 4; ++r) {
    for (long k = 0; k < n; ++k) {
      const double t = next();
      x[k] = r % 2 ? Clip(x[k] + 0.01 * (t - 0.5) * w[k], _domain->GetMin(k), _domain->GetMax(k))
                   : _domain->GetMin(k) + t * w[k];
    }
    SEval(x, f, jp);
    if (!AllFinite(jp, nn))
      return nullptr;
    for (long e = 0; e < nn; ++e) {
      double predicted = jc[e], size = std::fabs(jc[e]) + std::fabs(jp[e]);
      for (long k = 0; k < n; ++k) {
        predicted += mid[e * n + k] * (x[k] - c[k]);
        size += (std::fabs(mid[e * n + k]) + rad[e * n + k]) * std::fabs(x[k] - c[k]);
      }
      if (!(std::fabs(jp[e] - predicted) <= QuadraticRounding * size))
        return nullptr;
    }
  }
  for (long e = 0; e < nnn; ++e)
    rad[e] += QuadraticRounding * std::fabs(mid[e]);
  double* secondSizes = rad + nnn;
  for (long i = 0; i < n; ++i) {
    secondSizes[i] = 0.0;
    for (long e = i * nn; e < (i + 1) * nn; ++e)
      secondSizes[i] += std::fabs(mid[e]) + rad[e];
  }
  _quadratic = 1;
  return _quadraticHessian;
}

int XelMathSystem::SecondOrderExcludes(const double* iHessian, const double* iCentreJacobian,
                                       const double* iCentre, const double* iCentreValues,
                                       const double* iInverse, const double* iValuePad,
                                       double* ioLow, double* ioHigh) const {
  const long n = _dimension, nn = n * n, nnn = nn * n;
  const double* hMid = iHessian;
  const double* hRad = iHessian + nnn;
  // Stack storage up to N = 8 (2 x 512 + 64 + 40 doubles).
  XelMathScratchDoubles<1136> work(2 * nnn + nn + 5 * n);
  double* aMid = work.Data();
  double* aRad = aMid + nnn;
  double* cj = aRad + nnn;
  double* cf = cj + nn;
  double* c = cf + n;
  double* rho = c + n;
  double* diagLow = rho + n;
  double* diagHigh = diagLow + n;
  // Row k of C f(x) = C f(c) + C J(c) d + 1/2 d^T A_k d, d = x - c, C the inverse given and
  // A_k = sum_i C_ki [H_i] (midpoints and radii).
  for (long k = 0; k < n; ++k) {
    const double* ck = iInverse + k * n;
    double s = 0.0;
    for (long i = 0; i < n; ++i)
      s += ck[i] * iCentreValues[i];
    cf[k] = s;
    c[k] = iCentre[k];
    for (long m = 0; m < n; ++m) {
      double t = 0.0;
      for (long i = 0; i < n; ++i)
        t += ck[i] * iCentreJacobian[i * n + m];
      cj[k * n + m] = t;
    }
    double* __restrict__ am = aMid + k * nn;
    double* __restrict__ ar = aRad + k * nn;
    for (long e = 0; e < nn; ++e)
      am[e] = ar[e] = 0.0;
    // Two entries at a time (the sums over i keep their order).
    for (long i = 0; i < n; ++i) {
      const double w = ck[i], a = std::fabs(w);
      const double* __restrict__ hm = hMid + i * nn;
      const double* __restrict__ hr = hRad + i * nn;
      const XelMathPair w2 = {w, w}, a2 = {a, a};
      long e = 0;
      for (; e + 1 < nn; e += 2) {
        XelMathPair sm, sr, xm, xr;
        std::memcpy(&sm, am + e, sizeof sm);
        std::memcpy(&sr, ar + e, sizeof sr);
        std::memcpy(&xm, hm + e, sizeof xm);
        std::memcpy(&xr, hr + e, sizeof xr);
        sm += w2 * xm;
        sr += a2 * xr;
        std::memcpy(am + e, &sm, sizeof sm);
        std::memcpy(ar + e, &sr, sizeof sr);
      }
      for (; e < nn; ++e) {
        am[e] += w * hm[e];
        ar[e] += a * hr[e];
      }
    }
    // The diagonal's bounds aside, aRad becomes the magnitude |A_k| off the diagonal.
    for (long e = 0; e < nn; ++e)
      ar[e] += std::fabs(am[e]);
  }
  if (!AllFinite(cf, n) || !AllFinite(cj, nn) || !AllFinite(aMid, nnn) || !AllFinite(aRad, nnn))
    return 0;
  // At a solution x of the box, (C J(c))_kk d_k lies in -(C f(c))_k less the other terms: each
  // side in turn is narrowed to it (the narrowed sides serve the next ones), again while the
  // box shrinks.
  for (long sweep = 0; sweep < SecondOrderSweeps; ++sweep) {
    double volume = 1.0;
    for (long k = 0; k < n; ++k) {
      const double diag = cj[k * n + k];
      if (!(diag > 0.5))
        continue;
      const double* am = aMid + k * nn;
      const double* __restrict__ mag = aRad + k * nn;
      for (long j = 0; j < n; ++j) {
        rho[j] = std::max(c[j] - ioLow[j], ioHigh[j] - c[j]);
        const double r = mag[j * n + j] - std::fabs(am[j * n + j]);
        diagLow[j] = am[j * n + j] - r;
        diagHigh[j] = am[j * n + j] + r;
      }
      // 1/2 d^T A_k d: the squares d_j^2 over their ranges, the products d_j d_m within
      // +- rho_j rho_m; and the linear terms of the other sides.
      double qLow = 0.0, qHigh = 0.0, off = 0.0, lLow = 0.0, lHigh = 0.0;
      double size = std::fabs(cf[k]);
      for (long j = 0; j < n; ++j) {
        const double dl = ioLow[j] - c[j], dh = ioHigh[j] - c[j];
        const double s0 = dl <= 0.0 && dh >= 0.0 ? 0.0 : std::min(dl * dl, dh * dh);
        const double s1 = std::max(dl * dl, dh * dh);
        const double lo = diagLow[j], hi = diagHigh[j];
        qLow += lo >= 0.0 ? lo * s0 : lo * s1;
        qHigh += hi >= 0.0 ? hi * s1 : hi * s0;
        const double* __restrict__ row = mag + j * n;
        double sum = 0.0;
        for (long m = 0; m < n; ++m)
          sum += row[m] * rho[m];
        off += (sum - row[j] * rho[j]) * rho[j];
        if (j != k) {
          const double a = cj[k * n + j];
          lLow += a >= 0.0 ? a * dl : a * dh;
          lHigh += a >= 0.0 ? a * dh : a * dl;
        }
        size += std::fabs(cj[k * n + j]) * rho[j];
      }
      qLow = lLow + 0.5 * (qLow - off);
      qHigh = lHigh + 0.5 * (qHigh + off);
      if (!Finite(qLow) || !Finite(qHigh))
        return 0;
      const double pad =
          KrawczykPadding * (size + qHigh - qLow + std::fabs(c[k]) * diag) + iValuePad[k];
      const double low = std::max(ioLow[k], c[k] + (-cf[k] - qHigh - pad) / diag);
      const double high = std::min(ioHigh[k], c[k] + (-cf[k] - qLow + pad) / diag);
      if (low > high)
        return 1;
      if (ioHigh[k] > ioLow[k])
        volume *= (high - low) / (ioHigh[k] - ioLow[k]);
      ioLow[k] = low;
      ioHigh[k] = high;
    }
    if (!(volume < KrawczykProgress))
      break;
  }
  return 0;
}
