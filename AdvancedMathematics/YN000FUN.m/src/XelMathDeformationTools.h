#pragma once
// The shared pieces of the non-linear transformations (internal, never installed): the
// folding of an angle into the window cut at the rip angle, the same on intervals, the
// affine parts of space and of the plane applied to points, Jacobians and boxes, and a
// second-order forward-mode derivative number of three variables with which the conic maps
// get exact first and second derivatives from the one written formula.
#include <cmath>

#include "XelMathConstants.h"
#include "XelMathInterval.h"
#include "XelMathTransformation.h"
#include "XelMathTransformation2D.h"

namespace XelMathDeformation {

/// Stream versions from which the deformation records change: both coefficients are
/// written from TwoCoefficients on, conic deformations exist from ConicRecords on.
constexpr long TwoCoefficients = 1010;
constexpr long ConicRecords = 1006;

/// The angle iTheta in (-pi, pi] put into the window cut at iRip: for iRip > 0, angles at or
/// above iRip lose a turn; otherwise angles below iRip gain one.
inline double FoldAngle(const double iTheta, const double iRip) {
  if (iRip > 0.0)
    return iTheta >= iRip ? iTheta - 2.0 * XelPI : iTheta;
  return iTheta < iRip ? iTheta + 2.0 * XelPI : iTheta;
}

/// An enclosure of FoldAngle over the angles of iTheta.
inline XelMathInterval FoldAngle(const XelMathInterval& iTheta, const double iRip) {
  const double turn = 2.0 * XelPI;
  if (iRip > 0.0) {
    if (iTheta.high < iRip)
      return iTheta;
    if (iTheta.low >= iRip)
      return XelMathInterval(iTheta.low - turn, iTheta.high - turn);
    return XelMathInterval(std::fmin(iTheta.low, iRip - turn), std::fmax(iRip, iTheta.high - turn));
  }
  if (iTheta.low >= iRip)
    return iTheta;
  if (iTheta.high < iRip)
    return XelMathInterval(iTheta.low + turn, iTheta.high + turn);
  return XelMathInterval(std::fmin(iRip, iTheta.low + turn), std::fmax(iTheta.high, iRip + turn));
}

/// The 3 x 3 linear part and the translation of an affine map of space (the identity when
/// iT is null).
inline void AffineParts(const XelMathTransformation* iT, double* oA, double* oT) {
  if (!iT) {
    for (int i = 0; i < 9; i++)
      oA[i] = (i % 4 == 0) ? 1.0 : 0.0;
    oT[0] = oT[1] = oT[2] = 0.0;
    return;
  }
  double c[12];
  iT->GetCoef(c);
  for (int i = 0; i < 3; i++) {
    for (int j = 0; j < 3; j++)
      oA[3 * i + j] = c[4 * i + j];
    oT[i] = c[4 * i + 3];
  }
}

/// oC = iA iB for 3 x 3 row-major matrices (oC distinct from both).
inline void Product3(const double* iA, const double* iB, double* oC) {
  for (int i = 0; i < 3; i++)
    for (int j = 0; j < 3; j++)
      oC[3 * i + j] = iA[3 * i] * iB[j] + iA[3 * i + 1] * iB[3 + j] + iA[3 * i + 2] * iB[6 + j];
}

/// The image of the box iIn (three intervals) by an affine map of space into oOut: each
/// output is the sum of the scaled intervals and the translation.
inline void AffineImage(const XelMathTransformation* iT, const XelMathInterval* iIn,
                        XelMathInterval* oOut) {
  if (!iT) {
    for (int i = 0; i < 3; i++)
      oOut[i] = iIn[i];
    return;
  }
  double a[9], t[3];
  AffineParts(iT, a, t);
  XelMathInterval r[3];
  for (int i = 0; i < 3; i++) {
    double low = t[i], high = t[i];
    for (int j = 0; j < 3; j++) {
      const double m = a[3 * i + j];
      if (m == 0.0)
        continue;
      const double p = m * iIn[j].low, q = m * iIn[j].high;
      low += std::fmin(p, q);
      high += std::fmax(p, q);
    }
    r[i] = XelMathInterval(low, high);
  }
  for (int i = 0; i < 3; i++)
    oOut[i] = r[i];
}

/// The 2 x 2 linear part and the translation of an affine map of the plane (the identity
/// when iT is null).
inline void AffineParts2D(const XelMathTransformation2D* iT, double* oA, double* oT) {
  if (!iT) {
    oA[0] = oA[3] = 1.0;
    oA[1] = oA[2] = 0.0;
    oT[0] = oT[1] = 0.0;
    return;
  }
  double c[6];
  iT->GetCoef(c);
  oA[0] = c[0];
  oA[1] = c[1];
  oT[0] = c[2];
  oA[2] = c[3];
  oA[3] = c[4];
  oT[1] = c[5];
}

/// A number carrying its first and second partial derivatives in three variables (Hessian
/// stored xx, xy, xz, yy, yz, zz).
struct Jet {
  double v = 0.0;
  double d[3] = {0.0, 0.0, 0.0};
  double h[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};

  static Jet Constant(const double iV) {
    Jet r;
    r.v = iV;
    return r;
  }
  static Jet Variable(const double iV, const int iIndex) {
    Jet r;
    r.v = iV;
    r.d[iIndex] = 1.0;
    return r;
  }
};

/// Index of the Hessian entry (i, j), i <= j.
inline int HessianIndex(const int i, const int j) {
  static const int index[3][3] = {{0, 1, 2}, {1, 3, 4}, {2, 4, 5}};
  return index[i][j];
}

/// f(a) from f, f', f'' at a.value (chain rule to second order).
inline Jet Apply(const Jet& a, const double f, const double f1, const double f2) {
  Jet r;
  r.v = f;
  for (int i = 0; i < 3; i++)
    r.d[i] = f1 * a.d[i];
  for (int i = 0; i < 3; i++)
    for (int j = i; j < 3; j++) {
      const int k = HessianIndex(i, j);
      r.h[k] = f1 * a.h[k] + f2 * a.d[i] * a.d[j];
    }
  return r;
}

inline Jet operator+(const Jet& a, const Jet& b) {
  Jet r;
  r.v = a.v + b.v;
  for (int i = 0; i < 3; i++)
    r.d[i] = a.d[i] + b.d[i];
  for (int k = 0; k < 6; k++)
    r.h[k] = a.h[k] + b.h[k];
  return r;
}
inline Jet operator-(const Jet& a, const Jet& b) {
  Jet r;
  r.v = a.v - b.v;
  for (int i = 0; i < 3; i++)
    r.d[i] = a.d[i] - b.d[i];
  for (int k = 0; k < 6; k++)
    r.h[k] = a.h[k] - b.h[k];
  return r;
}
inline Jet operator*(const double s, const Jet& a) {
  Jet r;
  r.v = s * a.v;
  for (int i = 0; i < 3; i++)
    r.d[i] = s * a.d[i];
  for (int k = 0; k < 6; k++)
    r.h[k] = s * a.h[k];
  return r;
}
inline Jet operator*(const Jet& a, const double s) {
  return s * a;
}
inline Jet operator*(const Jet& a, const Jet& b) {
  Jet r;
  r.v = a.v * b.v;
  for (int i = 0; i < 3; i++)
    r.d[i] = a.d[i] * b.v + a.v * b.d[i];
  for (int i = 0; i < 3; i++)
    for (int j = i; j < 3; j++) {
      const int k = HessianIndex(i, j);
      r.h[k] = a.h[k] * b.v + a.v * b.h[k] + a.d[i] * b.d[j] + a.d[j] * b.d[i];
    }
  return r;
}
inline Jet sqrt(const Jet& a) {
  const double s = std::sqrt(a.v);
  return Apply(a, s, 0.5 / s, -0.25 / (s * a.v));
}
inline Jet cos(const Jet& a) {
  const double c = std::cos(a.v), s = std::sin(a.v);
  return Apply(a, c, -s, -c);
}
inline Jet sin(const Jet& a) {
  const double c = std::cos(a.v), s = std::sin(a.v);
  return Apply(a, s, c, -s);
}
/// atan2(y, x) with its derivatives (undefined at the origin).
inline Jet atan2(const Jet& y, const Jet& x) {
  const double r2 = x.v * x.v + y.v * y.v;
  Jet r;
  r.v = std::atan2(y.v, x.v);
  // d theta = (x dy - y dx) / r2.
  const double ax = -y.v / r2, ay = x.v / r2;
  // Second derivatives of theta with respect to (x, y).
  const double txx = 2.0 * x.v * y.v / (r2 * r2), tyy = -txx;
  const double txy = (y.v * y.v - x.v * x.v) / (r2 * r2);
  for (int i = 0; i < 3; i++)
    r.d[i] = ax * x.d[i] + ay * y.d[i];
  for (int i = 0; i < 3; i++)
    for (int j = i; j < 3; j++) {
      const int k = HessianIndex(i, j);
      r.h[k] = ax * x.h[k] + ay * y.h[k] + txx * x.d[i] * x.d[j] + tyy * y.d[i] * y.d[j] +
               txy * (x.d[i] * y.d[j] + y.d[i] * x.d[j]);
    }
  return r;
}

/// The plain-number versions, so that a map written once serves values and derivatives.
inline double Value(const double a) {
  return a;
}
inline double Value(const Jet& a) {
  return a.v;
}

} // namespace XelMathDeformation

namespace XelMathDeformation {
/// FoldAngle of a derivative number: the value moves by a turn, the derivatives stay.
inline Jet FoldAngle(const Jet& iTheta, const double iRip) {
  Jet r = iTheta;
  r.v = FoldAngle(iTheta.v, iRip);
  return r;
}
} // namespace XelMathDeformation

namespace XelMathDeformation {
/// Runs iCore (a generic callable (x, y, z, F, G, H) written once for double and Jet) at iP
/// for the values and, when iOrder >= 1, at iGuarded for the derivatives up to iOrder; the
/// arrays get 1, 4 or 10 entries (value, gradient, Hessian xx xy xz yy yz zz).
template <class CoreFn>
void CoreWithDerivatives(CoreFn iCore, const double* iP, const double* iGuarded, const int iOrder,
                         double* oF, double* oG, double* oH) {
  double f = 0.0, g = 0.0, h = 0.0;
  iCore(iP[0], iP[1], iP[2], f, g, h);
  oF[0] = f;
  oG[0] = g;
  oH[0] = h;
  if (iOrder < 1)
    return;
  const Jet x = Jet::Variable(iGuarded[0], 0), y = Jet::Variable(iGuarded[1], 1),
            z = Jet::Variable(iGuarded[2], 2);
  Jet jf, jg, jh;
  iCore(x, y, z, jf, jg, jh);
  for (int i = 0; i < 3; i++) {
    oF[1 + i] = jf.d[i];
    oG[1 + i] = jg.d[i];
    oH[1 + i] = jh.d[i];
  }
  if (iOrder < 2)
    return;
  for (int k = 0; k < 6; k++) {
    oF[4 + k] = jf.h[k];
    oG[4 + k] = jg.h[k];
    oH[4 + k] = jh.h[k];
  }
}
} // namespace XelMathDeformation
