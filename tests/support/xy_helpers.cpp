#include "xy_helpers.h"

#include <cmath>
#include <vector>

#include "XelTolerance.h"

namespace xeltest {

const int kOrdersXY[10][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1},
                              {0, 2}, {3, 0}, {2, 1}, {1, 2}, {0, 3}};
long gLiveXY = 0;

double DerivXY(const XelMathFunctionXY& f, int k, double x, double y) {
  typedef XelMathFunctionXY G;
  typedef double (G::*Op)(const double&, const double&) const;
  static const Op ops[10] = {&G::Eval,
                             &G::EvalFirstDerivX,
                             &G::EvalFirstDerivY,
                             &G::EvalSecondDerivX2,
                             &G::EvalSecondDerivXY,
                             &G::EvalSecondDerivY2,
                             &G::EvalThirdDerivX3,
                             &G::EvalThirdDerivX2Y,
                             &G::EvalThirdDerivXY2,
                             &G::EvalThirdDerivY3};
  return (f.*ops[k])(x, y);
}

void RoutesXY(const XelMathFunctionXY& f, double x, double y, double o[3][10]) {
  for (int k = 0; k < 10; ++k)
    o[0][k] = DerivXY(f, k, x, y);
  double* m = o[1];
  f.Eval(x, y, 7, &m[0], &m[1], &m[2], &m[3], &m[4], &m[5]);
  f.EvalAllThirdDerivs(x, y, m[6], m[7], m[8], m[9]);
  double* u = o[2];
  f.EvalUpToThirdDeriv(x, y, u[0], u[1], u[2], u[3], u[4], u[5], u[6], u[7], u[8], u[9]);
}

double StencilXY(const Fn2& g, int a, int b, double x, double y, double h) {
  static const double w[4][7] = {{0, 0, 0, 1, 0, 0, 0},
                                 {-1. / 60, 3. / 20, -3. / 4, 0, 3. / 4, -3. / 20, 1. / 60},
                                 {1. / 90, -3. / 20, 3. / 2, -49. / 18, 3. / 2, -3. / 20, 1. / 90},
                                 {1. / 8, -1, 13. / 8, 0, -13. / 8, 1, -1. / 8}};
  double sum = 0.0;
  for (int i = 0; i < 7; ++i)
    for (int j = 0; j < 7; ++j)
      if (w[a][i] != 0 && w[b][j] != 0)
        sum += w[a][i] * w[b][j] * g(x + (i - 3) * h, y + (j - 3) * h);
  return sum / std::pow(h, a + b);
}

double ClosedD(int kind, double c, int a, int b, double x, double y) {
  if (kind == 2)
    return std::ldexp(std::sin(x + 2 * y + 0.5 * kPi * (a + b)), b) + (a + b ? 0 : c);
  if (kind == 1) {
    const double t[4][4] = {{x - y * y + c, -2 * y, -2, 0}, {1, 0, 0, 0}, {0}, {0}};
    return t[a][b];
  }
  const double p[4][4] = {{x * x * y + c, x * x, 0, 0}, {2 * x * y, 2 * x, 0, 0}, {2 * y, 2}, {0}};
  return std::exp(x) * std::sin(y + 0.5 * kPi * b) + p[a][b];
}

XelMathInterval ClosedDI(int kind, double c, int a, int b, const XelMathInterval& I,
                         const XelMathInterval& J) {
  const XelMathInterval k(c, c), zero(0, 0);
  if (kind == 2) {
    const double s = 0.5 * kPi * (a + b);
    return IAdd(IScale(std::ldexp(1, b), ISin(I.low + 2 * J.low + s, I.high + 2 * J.high + s)),
                a + b ? zero : k);
  }
  if (kind == 1) {
    const XelMathInterval t[3][3] = {
        {IAdd(IAdd(I, IScale(-1, ISquare(J))), k), IScale(-2, J), XelMathInterval(-2, -2)},
        {XelMathInterval(1, 1), zero, zero},
        {zero, zero, zero}};
    return t[a][b];
  }
  const XelMathInterval p[3][3] = {{IAdd(IMul(ISquare(I), J), k), ISquare(I), zero},
                                   {IScale(2, IMul(I, J)), IScale(2, I), zero},
                                   {IScale(2, J), XelMathInterval(2, 2), zero}};
  return IAdd(IMul(IExp(I), ISin(J.low + 0.5 * kPi * b, J.high + 0.5 * kPi * b)), p[a][b]);
}

void ClosedXY::Eval(const double& x, const double& y, const long m, double* f, double* fx,
                    double* fy, double* fxx, double* fxy, double* fyy) const {
  ++pointCalls;
  double* const out[6] = {f, fx, fy, fxx, fxy, fyy};
  for (int k = 0; k < 6; k++)
    if (out[k] && (m & (k == 0 ? 1 : k < 3 ? 2 : 4)))
      *out[k] = D(kOrdersXY[k][0], kOrdersXY[k][1], x, y);
}

XelMathInterval ClosedXY::Eval(const XelMathInterval& I, const XelMathInterval& J,
                               const XelTolerance&) const {
  ++intervalCalls, ++valueImageCalls;
  const XelMathInterval r = DI(0, 0, I, J);
  const double m = loose * (I.high - I.low + J.high - J.low);
  return XelMathInterval(r.low - m, r.high + m);
}

XelMathInterval ExpectEnclosesXY(const Fn2& g, const XelMathInterval& I, const XelMathInterval& J,
                                 const XelMathInterval& K, const std::string& what, int n,
                                 double r) {
  XelMathInterval range(HUGE_VAL, -HUGE_VAL);
  long misses = 0;
  double miss[3] = {0, 0, 0};
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j) {
      const double x = I.low + (I.high - I.low) * i / n, y = J.low + (J.high - J.low) * j / n;
      const double v = g(x, y), s = r * (1 + std::fabs(v));
      range = XelMathInterval(std::fmin(range.low, v), std::fmax(range.high, v));
      if (!(v >= K.low - s && v <= K.high + s) && misses++ == 0)
        miss[0] = x, miss[1] = y, miss[2] = v;
    }
  EXPECT_EQ(misses, 0) << what << ": g(" << miss[0] << ", " << miss[1] << ") = " << miss[2]
                       << " not in [" << K.low << ", " << K.high << "]";
  return range;
}

void ExpectImagesEncloseXY(const XelMathFunctionXY& f, const XelMathInterval& I,
                           const XelMathInterval& J, double r) {
  const XelTolerance& tol = DefaultTol();
  const int groups = f.IsOption(64) ? 3 : f.IsOption(32) ? 2 : 1, count[4] = {0, 1, 3, 6};
  XelMathInterval im[6], masked[6];
  im[0] = f.Eval(I, J, tol);
  if (groups > 1)
    im[1] = f.EvalFirstDerivX(I, J), im[2] = f.EvalFirstDerivY(I, J);
  if (groups > 2)
    im[3] = f.EvalSecondDerivX2(I, J), im[4] = f.EvalSecondDerivXY(I, J),
    im[5] = f.EvalSecondDerivY2(I, J);
  const long mask = groups == 3 ? 112 : groups == 2 ? 48 : 16;
  f.Eval(I, J, mask, &masked[0], &masked[1], &masked[2], &masked[3], &masked[4], &masked[5], tol);
  const XelMathInterval best = f.ComputeOptimalImage(I, J, tol);
  for (int k = 0; k < count[groups]; ++k) {
    const Fn2 g = [&](double x, double y) { return DerivXY(f, k, x, y); };
    const std::string what = std::string(f.IsA()) + " image " + std::to_string(k);
    for (const XelMathInterval& K : {im[k], masked[k], best})
      EXPECT_TRUE(std::isfinite(K.low) && K.high - K.low < 1e6) << what;
    ExpectEnclosesXY(g, I, J, im[k], what, 20, r);
    ExpectEnclosesXY(g, I, J, masked[k], "masked " + what, 20, r);
    if (k == 0)
      ExpectEnclosesXY(g, I, J, best, "optimal " + what, 20, r);
  }
}

} // namespace xeltest
