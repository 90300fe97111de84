// Polynomials of two variables and the affine function of two variables: derivatives against
// the differentiated monomials, changes of variable, grids against point values, interval
// and Chebyshev images against dense samples, algebra across shift points, and the
// two-variable Chebyshev approximation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "XelError.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathFourierTransform.h"
#include "XelMathIntervalND.h"
#include "XelMathLinearX.h"
#include "XelMathLinearXY.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelTolerance.h"
#include "test_helpers.h"
#include "xy_helpers.h"

using namespace xeltest;

namespace {

#define XY(expr) [&](double x, double y) { return (expr); }
struct Shape {
  long dx, dy;
  double sx, sy;
};
const Shape kShapes[] = {{0, 0, 0.0, 0.0},  {1, 2, 0.5, -0.25}, {3, 3, -1.0, 2.0},
                         {2, 5, 0.0, 0.75}, {6, 6, 0.3, -0.6},  {15, 4, 0.1, 0.2}};

std::vector<double> Coefficients(std::mt19937& rng, const Shape& s) {
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> c((s.dx + 1) * (s.dy + 1));
  for (double& v : c)
    v = u(rng);
  return c;
}

// d^(p+q)/dx^p dy^q of sum a_ij (x - sx)^i (y - sy)^j, each monomial differentiated in long
// double; oMagnitude receives the sum of the absolute terms.
long double Reference(const std::vector<double>& a, const Shape& s, double x, double y, int p,
                      int q, double* oMagnitude = nullptr) {
  long double sum = 0, mag = 0, pu = 1;
  for (long i = p; i <= s.dx; ++i, pu *= x - s.sx) {
    long double pv = 1;
    for (long j = q; j <= s.dy; ++j, pv *= y - s.sy) {
      long double f = a[i * (s.dy + 1) + j];
      for (int k = 0; k < p; ++k)
        f *= i - k;
      for (int k = 0; k < q; ++k)
        f *= j - k;
      sum += f * pu * pv;
      mag += fabsl(f * pu * pv);
    }
  }
  if (oMagnitude)
    *oMagnitude = double(mag);
  return sum;
}

// Naive interval Horner with four-case products, x outer, y inner.
XelMathInterval NaiveImage(const std::vector<double>& a, const Shape& s, const XelMathInterval& I,
                           const XelMathInterval& J) {
  const XelMathInterval U(I.low - s.sx, I.high - s.sx), V(J.low - s.sy, J.high - s.sy);
  XelMathInterval acc(0.0, 0.0);
  for (long i = s.dx; i >= 0; --i) {
    XelMathInterval row(0.0, 0.0);
    for (long j = s.dy; j >= 0; --j)
      row = IAdd(IMul(row, V), XelMathInterval(a[i * (s.dy + 1) + j], a[i * (s.dy + 1) + j]));
    acc = IAdd(IMul(acc, U), row);
  }
  return acc;
}

void ExpectEncloses(const XelMathInterval& image, const XelMathInterval& range, double slack,
                    const char* what) {
  EXPECT_LE(image.low, range.low + slack) << what;
  EXPECT_GE(image.high, range.high - slack) << what;
}

} // namespace

TEST(PolynomXY, EveryDerivativeMatchesTheDifferentiatedMonomials) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.5, 1.5);
  const auto& orders = kOrdersXY;
  for (const Shape& s : kShapes) {
    const std::vector<double> a = Coefficients(rng, s);
    const XelMathPolynomXY P(s.dx, s.dy, a.data(), s.sx, s.sy);
    const std::unique_ptr<XelMathFunctionXY> DX(P.CreateDerivX()), DY(P.CreateDerivY());
    for (int n = 0; n < 20; ++n) {
      const double x = u(rng), y = u(rng);
      double routes[3][10], pass[10], d[6], mask[6];
      RoutesXY(P, x, y, routes);
      P.HornerSchemeUpToThird(x, y, pass);
      P.EvalAndFirstAndSecondDeriv(x, y, d[0], d[1], d[2], d[3], d[4], d[5]);
      for (int k = 0; k < 10; ++k) {
        double mag = 0.0;
        const double ref = double(Reference(a, s, x, y, orders[k][0], orders[k][1], &mag));
        const double tol = 64 * (s.dx + s.dy + 2) * kEps * (mag + 1e-300);
        const double dk = k < 6 ? d[k] : ref, dp = k == 1   ? DX->Eval(x, y)
                                                   : k == 2 ? DY->Eval(x, y)
                                                            : ref;
        const double got[6] = {routes[0][k], routes[1][k], routes[2][k], pass[k], dk, dp};
        for (int r = 0; r < 6; ++r)
          EXPECT_NEAR(got[r], ref, tol)
              << "order " << k << " route " << r << " degrees " << s.dx << "," << s.dy;
      }
      // Masked evaluation writes exactly the requested groups.
      for (long m = 0; m <= 7; ++m) {
        for (double& v : mask)
          v = -777.0;
        P.Eval(x, y, m, &mask[0], &mask[1], &mask[2], &mask[3], &mask[4], &mask[5]);
        for (int k = 0; k < 6; ++k) {
          const long bit = k == 0 ? 1 : (k < 3 ? 2 : 4);
          EXPECT_NEAR(mask[k], (m & bit) ? d[k] : -777.0, 1e-12 * (1 + std::fabs(d[k])))
              << m << " " << k;
        }
      }
    }
  }
}

TEST(PolynomXY, ChangesOfVariableKeepTheirMeaning) {
  std::mt19937 rng(11);
  const Shape s = {4, 3, 0.4, -0.7};
  const std::vector<double> a = Coefficients(rng, s);
  const XelMathPolynomXY P(s.dx, s.dy, a.data(), s.sx, s.sy);
  const double pc[3] = {1.0, -2.0, 0.5}, qc[4] = {0.5, 1.0, 0.0, -1.5};
  const XelMathPolynomX px(2, pc, 0.3), qy(3, qc, -0.2);
  auto ref = [&](double x, double y) { return double(Reference(a, s, x, y, 0, 0)); };
  typedef XelMathPolynomXY Q;
  const std::pair<std::function<void(Q&)>, Fn2> cases[] = {
      {[](Q& c) { c.CancelShifts(); }, ref},
      {[&](Q& c) { c.SetShiftX(s.sx + 0.5); }, XY(ref(x - 0.5, y))},
      {[](Q& c) { c.ApplyScalingOnVariables(2, 3); }, XY(ref(2 * x, 3 * y))},
      {[](Q& c) { c.ApplyScalingOnVariables(0, 1); }, [&](double, double y) { return ref(0, y); }},
      {[](Q& c) { c.ApplyFormalShiftOnVariable(0.3, -1.1); }, XY(ref(x + 0.3, y - 1.1))},
      {[&](Q& c) { c.ProductXXtoXY(&px, &qy); }, XY(px.Eval(x) * qy.Eval(y))}};
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (const auto& c : cases) {
    XelMathPolynomXY changed(P);
    c.first(changed);
    for (int n = 0; n < 25; ++n) {
      const double x = u(rng), y = u(rng), e = c.second(x, y);
      EXPECT_NEAR(changed.Eval(x, y), e, 1e-12 * (1 + std::fabs(e))) << &c - cases;
    }
  }
  for (double t : {-0.9, 0.2, 1.3}) {
    const std::unique_ptr<XelMathFunctionX> ix(P.CreateIsoparX(t)), iy(P.CreateIsoparY(t));
    for (double v : {-1.0, 0.0, 0.6}) {
      EXPECT_NEAR(ix->Eval(v), ref(t, v), 1e-12);
      EXPECT_NEAR(iy->Eval(v), ref(v, t), 1e-12);
    }
  }
}

TEST(PolynomXY, GridsAgreeWithPointEvaluation) {
  std::mt19937 rng(3);
  const Shape s = {5, 4, 0.2, -0.1};
  const std::vector<double> a = Coefficients(rng, s);
  const XelMathPolynomXY P(s.dx, s.dy, a.data(), s.sx, s.sy);
  const double bounds[4] = {-1.0, 0.7, 0.1, 1.9};
  const XelMathIntervalND box(2, bounds);
  const long counts[][2] = {{1, 1}, {0, 3}, {3, 0}, {2, 5}, {7, 4}};
  for (const auto& n : counts)
    for (long mask : {1L, 2L, 3L, 4L, 7L}) {
      const long total = std::max(n[0] * n[1], 0L) + 1; // one guard value past the end
      std::vector<std::vector<double>> out(6, std::vector<double>(total, -777.0));
      P.Eval(box, n, mask, out[0].data(), out[1].data(), out[2].data(), out[3].data(),
             out[4].data(), out[5].data());
      for (long i = 0; i < n[0]; ++i)
        for (long j = 0; j < n[1]; ++j) {
          const double x =
              i == n[0] - 1 && n[0] > 1 ? 0.7 : -1.0 + i * 1.7 / std::max(n[0] - 1, 1L);
          const double y = j == n[1] - 1 && n[1] > 1 ? 1.9 : 0.1 + j * 1.8 / std::max(n[1] - 1, 1L);
          double e[6] = {-777.0, -777.0, -777.0, -777.0, -777.0, -777.0};
          P.Eval(x, y, mask, &e[0], &e[1], &e[2], &e[3], &e[4], &e[5]);
          // The last node is the box's end itself: identical arithmetic at the corners.
          const bool corner = (i == 0 || i == n[0] - 1) && (j == 0 || j == n[1] - 1);
          for (int k = 0; k < 6; ++k)
            EXPECT_NEAR(out[k][i * n[1] + j], e[k], corner ? 0.0 : 1e-12 * (1 + std::fabs(e[k])))
                << "counts " << n[0] << "," << n[1] << " mask " << mask << " output " << k;
        }
      for (int k = 0; k < 6; ++k)
        EXPECT_EQ(out[k][total - 1], -777.0) << "wrote past the grid";
    }
  const double xs[3] = {-0.3, 0.0, 2.0}, ys[2] = {0.5, -1.0};
  double g[3][6];
  P.EvalGrid(3, xs, 2, ys, 3, g[0], g[1], g[2]);
  for (int k = 0; k < 6; ++k)
    for (int o = 0; o < 3; ++o)
      EXPECT_NEAR(g[o][k], DerivXY(P, o, xs[k / 2], ys[k % 2]), 1e-11) << k;
}

TEST(PolynomXY, ImagesEncloseSamplesAndTheOptimalOneIsTheTightest) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> centre(-1.5, 1.5), half(0.0, 1.0);
  const XelTolerance& tol = DefaultTol();
  const auto& orders = kOrdersXY;
  for (const Shape& s : kShapes) {
    const std::vector<double> a = Coefficients(rng, s);
    const XelMathPolynomXY P(s.dx, s.dy, a.data(), s.sx, s.sy);
    for (int n = 0; n < 30; ++n) {
      // Every third box straddles the shift point in both variables.
      const double mx = n % 3 == 0 ? s.sx : centre(rng), my = n % 3 == 0 ? s.sy : centre(rng);
      const double hx = n % 7 == 0 ? 0.0 : half(rng), hy = half(rng);
      const XelMathInterval I(mx - hx, mx + 0.5 * hx), J(my - 0.5 * hy, my + hy);
      XelMathInterval masked[6];
      P.Eval(I, J, 16 | 32 | 64, &masked[0], &masked[1], &masked[2], &masked[3], &masked[4],
             &masked[5], tol);
      const XelMathInterval single[6] = {P.Eval(I, J, tol),         P.EvalFirstDerivX(I, J),
                                         P.EvalFirstDerivY(I, J),   P.EvalSecondDerivX2(I, J),
                                         P.EvalSecondDerivXY(I, J), P.EvalSecondDerivY2(I, J)};
      for (int k = 0; k < 6; ++k) {
        double mag = 0.0;
        Reference(a, s, I.high, J.high, orders[k][0], orders[k][1], &mag);
        const double slack = 1e-12 * (1 + 10 * mag);
        const XelMathInterval range = ExpectEnclosesXY(
            [&](double x, double y) {
              return double(Reference(a, s, x, y, orders[k][0], orders[k][1]));
            },
            I, J, single[k], "interval Horner", 20, slack / (1 + mag));
        ExpectEncloses(masked[k], range, slack, "masked interval evaluation");
        if (k > 0)
          continue;
        const XelMathInterval cheb = P.ComputeImageByChebychev(I, J, tol);
        const XelMathInterval best = P.ComputeOptimalImage(I, J, tol);
        const XelMathInterval naive = NaiveImage(a, s, I, J);
        ExpectEncloses(cheb, range, slack, "Chebyshev image");
        ExpectEncloses(best, range, slack, "optimal image");
        EXPECT_LE(best.high - best.low, single[0].high - single[0].low + slack);
        EXPECT_LE(best.high - best.low, naive.high - naive.low + slack);
      }
    }
  }
  // The Chebyshev bound alone is not always the tighter: x^2 on [0, 1] gives [-1/4, 1].
  const double sq[3] = {0.0, 0.0, 1.0};
  const XelMathPolynomXY X2(2, 0, sq);
  const XelMathInterval unit(0.0, 1.0), cheb = X2.ComputeImageByChebychev(unit, unit, tol);
  EXPECT_NEAR(cheb.low, -0.25, 1e-12);
  EXPECT_NEAR(X2.ComputeOptimalImage(unit, unit, tol).low, 0.0, 1e-12);
  // A box thinner than the parametric resolution still encloses: 1e6 x + y^2 on it.
  const double steep[6] = {0.0, 0.0, 1.0, 1e6, 0.0, 0.0};
  const XelMathPolynomXY S(1, 2, steep);
  const XelMathInterval thin(0.3, 0.3 + 1e-10), T = S.ComputeImageByChebychev(thin, unit, tol);
  EXPECT_LE(T.low, S.Eval(thin.low, 0.0));
  EXPECT_GE(T.high, S.Eval(thin.high, 1.0));
}

TEST(PolynomXY, HighDegreesAndScaleOptionsOfTheOptimalImage) {
  std::mt19937 rng(9);
  const Shape s16 = {16, 2, 0.0, 0.0};
  const std::vector<double> a = Coefficients(rng, s16);
  const XelMathPolynomXY P(16, 2, a.data());
  const XelMathInterval I(-0.4, 0.9), J(-1.0, 0.5);
  const XelTolerance& tol = DefaultTol();
  const XelMathInterval general = ComputeOptimalImage(&P, I, J, tol, nullptr, 1);
  const XelMathInterval image = P.ComputeOptimalImage(I, J, tol);
  EXPECT_EQ(image.low, general.low);
  EXPECT_EQ(image.high, general.high);
  ExpectEnclosesXY([&](double x, double y) { return P.Eval(x, y); }, I, J, image, "degree 16", 20,
                   1e-9);
  // An option filed for the polynomial must be one function of two variables.
  XelMathAttrScaleOption wrong(1, 1);
  ExpectInputError(
      [&] { ComputeOptimalImage(&P, I, J, tol, &wrong, 0); }, 0x20006,
      {"the XelMathAttrScaleOption", "wrong dimension", "XelMathPolynomXY::ComputeOptimalImage"});
  const long pf[1] = {2}, px[2] = {1, 2};
  XelMathAttrScaleOption right(1, pf, 2, px, 0, nullptr);
  const XelTolerance scaled(1000.0);
  const Shape s = {4, 5, 0.3, 0.1};
  const std::vector<double> b = Coefficients(rng, s);
  const XelMathPolynomXY Q(4, 5, b.data(), 0.3, 0.1);
  const XelMathInterval withOption = ComputeOptimalImage(&Q, I, J, scaled, &right, 0);
  ExpectEnclosesXY([&](double x, double y) { return Q.Eval(x, y); }, I, J, withOption,
                   "scaled copy", 20, 1e-9);
}

TEST(PolynomXY, AlgebraAcrossShiftPointsIsPointwise) {
  std::mt19937 rng(13);
  const Shape sp = {3, 2, 0.5, -0.5}, sq = {1, 4, -1.0, 0.25}, sr = {2, 2, 0.5, -0.5};
  const std::vector<double> a = Coefficients(rng, sp), b = Coefficients(rng, sq),
                            c = Coefficients(rng, sr);
  const XelMathPolynomXY P(3, 2, a.data(), 0.5, -0.5), Q(1, 4, b.data(), -1.0, 0.25),
      R(2, 2, c.data(), 0.5, -0.5);
  XelMathPolynomXY inPlace(P);
  const long before = LiveBlocks(), nulls = XelQuornullCount();
  const XelMathFunctionXY* fs[3] = {&P, &Q, &R};
  const double w[3] = {2.0, -0.5, 3.0};
  inPlace += Q;
  inPlace -= R;
  inPlace *= 2.0;
  inPlace += 1.5;
  // Each result with its weights on (P, Q, R) and its constant.
  struct Case {
    std::unique_ptr<XelMathFunctionXY> f;
    double wp, wq, wr, c;
  };
  Case cases[] = {
      {std::unique_ptr<XelMathFunctionXY>(Sum(&P, &Q)), 1, 1, 0, 0},
      {std::unique_ptr<XelMathFunctionXY>(Sum(&P, 4.0)), 1, 0, 0, 4},
      {std::unique_ptr<XelMathFunctionXY>(Product(&Q, -3.0)), 0, -3, 0, 0},
      {std::unique_ptr<XelMathFunctionXY>(Combination(&Q, &P, 2.0, -1.0)), -1, 2, 0, 0},
      {std::unique_ptr<XelMathFunctionXY>(Combination(&P, &Q, &R, 1.0, 2.0, 3.0)), 1, 2, 3, 0},
      {std::unique_ptr<XelMathFunctionXY>(CreateCombination(3, fs, w, 0.25)), 2, -0.5, 3, 0.25},
      {std::unique_ptr<XelMathFunctionXY>(inPlace.Duplicate()), 2, 2, -2, 1.5},
  };
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (Case& k : cases) {
    ASSERT_TRUE(k.f && k.f->IsAKindOf("XelMathPolynomXY")) << &k - cases;
    for (int n = 0; n < 20; ++n) {
      const double x = u(rng), y = u(rng);
      const double e = k.wp * P.Eval(x, y) + k.wq * Q.Eval(x, y) + k.wr * R.Eval(x, y) + k.c;
      EXPECT_NEAR(k.f->Eval(x, y), e, 1e-11 * (1 + std::fabs(e))) << &k - cases;
    }
  }
  const auto* combo = static_cast<const XelMathPolynomXY*>(cases[3].f.get());
  EXPECT_EQ(combo->GetShiftX(), -1.0); // the first operand's shift point and the larger degrees
  EXPECT_EQ(combo->GetDegreeX(), 3);
  EXPECT_EQ(combo->GetDegreeY(), 4);
  EXPECT_EQ(Sum(&P, nullptr), nullptr);
  EXPECT_GT(XelQuornullCount(), nulls);
  for (Case& k : cases)
    k.f.reset();
  inPlace = P;
  EXPECT_EQ(LiveBlocks(), before);
  ExpectInputError([] { XelMathPolynomXY(-1, 2, nullptr); }, 0x20006, {"the degree"});
}

TEST(PolynomXY, ChebyshevApproximationXYIsWithinTolerance) {
  const FnXY smooth([](double x, double y) { return std::exp(0.5 * x) * std::cos(y); });
  const XelMathInterval I(0.2, 1.4), J(-1.0, 0.5);
  using T = XelMathFourierTransform;
  const std::unique_ptr<XelMathPolynomXY> A(
      T::ChebyshevApproximationXY(&smooth, I, J, 16, 16, 1e-8));
  ASSERT_TRUE(A);
  ExpectEnclosesXY(XY(A->Eval(x, y) - smooth.Eval(x, y)), I, J, XelMathInterval(-1e-8, 1e-8),
                   "approximation error", 12, 0.0);
  // A polynomial comes back with its own degrees.
  const FnXY cubic([](double x, double y) { return x * x * x - 2 * x * y * y + 0.5; });
  const std::unique_ptr<XelMathPolynomXY> C(T::ChebyshevApproximationXY(&cubic, I, J, 8, 8, 1e-10));
  ASSERT_TRUE(C);
  EXPECT_EQ(C->GetDegreeX(), 3);
  EXPECT_EQ(C->GetDegreeY(), 2);
  EXPECT_NEAR(C->Eval(0.7, -0.3), cubic.Eval(0.7, -0.3), 1e-12);
  const FnXY kink([](double x, double y) { return std::fabs(x) + y; });
  EXPECT_EQ(T::ChebyshevApproximationXY(&kink, XelMathInterval(-1, 1), J, 4, 4, 1e-6), nullptr);
  for (long n : {7L, 18L, 0L})
    ExpectInputError([&] { T::ChebyshevApproximationXY(&smooth, I, J, n, 4, 1e-6); }, 0x20009,
                     {"ChebyshevApproximationXY", " "});
}

TEST(PolynomXYLinear, ImageIsExactAndCompositionIsTheCombination) {
  const XelTolerance& tol = DefaultTol();
  const double coefs[][3] = {{2.0, -3.0, 1.0}, {-1.5, 0.0, 4.0}, {0.0, 2.5, -1.0}};
  const XelMathInterval I(-0.5, 2.0), J(1.0, 3.0);
  for (const auto& k : coefs) {
    const XelMathLinearXY L(k[0], k[1], k[2]);
    const XelMathInterval K = L.ComputeOptimalImage(I, J, tol);
    const double corners[4] = {k[0] * I.low + k[1] * J.low, k[0] * I.low + k[1] * J.high,
                               k[0] * I.high + k[1] * J.low, k[0] * I.high + k[1] * J.high};
    EXPECT_DOUBLE_EQ(K.low, *std::min_element(corners, corners + 4) + k[2]);
    EXPECT_DOUBLE_EQ(K.high, *std::max_element(corners, corners + 4) + k[2]);
    const XelMathLinearX u(2.0, 1.0), v(-1.0, 0.5);
    const std::unique_ptr<XelMathFunctionX> c(L.CreateCompositionX(&u, &v));
    for (double t : {-1.0, 0.3, 2.0})
      EXPECT_NEAR(c->Eval(t), k[0] * (2 * t + 1) + k[1] * (0.5 - t) + k[2], 1e-14);
  }
  const XelMathLinearXY A(1, 2, 3), B(-1, 0.5, 2);
  const double one = 1.0;
  const XelMathPolynomXY P(0, 0, &one);
  const XelMathFunctionXY* both[2] = {&A, &B};
  const XelMathFunctionXY* mixed[2] = {&A, &P};
  const double w[2] = {2.0, 3.0};
  const std::unique_ptr<XelMathFunctionXY> S(A.FormalCombination(2, both, w, 1.0));
  ASSERT_TRUE(S && S->IsAKindOf("XelMathLinearXY"));
  EXPECT_NEAR(S->Eval(0.5, -2.0), 2 * A.Eval(0.5, -2.0) + 3 * B.Eval(0.5, -2.0) + 1, 1e-14);
  EXPECT_EQ(A.FormalCombination(2, mixed, w, 0.0), nullptr);
}

// The double integral of a shifted polynomial is exact: the monomials integrate in closed form
// about the shift point, summed in long double.
TEST(PolynomXY, DoubleIntegralsAreExact) {
  std::mt19937 rng(29);
  const Shape s = {4, 3, 0.75, -0.25};
  const std::vector<double> a = Coefficients(rng, s);
  const XelMathPolynomXY P(4, 3, a.data(), s.sx, s.sy);
  const XelMathInterval I(-1.0, 2.0), J(-0.5, 1.5);
  long double exact = 0.0L;
  for (int i = 0; i <= 4; ++i)
    for (int j = 0; j <= 3; ++j) {
      const long double u =
          (std::pow(I.high - s.sx, i + 1) - std::pow(I.low - s.sx, i + 1)) / (i + 1);
      const long double v =
          (std::pow(J.high - s.sy, j + 1) - std::pow(J.low - s.sy, j + 1)) / (j + 1);
      exact += a[i * 4 + j] * u * v;
    }
  const double scale = 1.0 + std::fabs(static_cast<double>(exact));
  EXPECT_NEAR(P.Integrate(I, J, 1e-12), static_cast<double>(exact), 1e-11 * scale);
  EXPECT_NEAR(P.IntegrateRelative(I, J, 1e-12), static_cast<double>(exact), 1e-11 * scale);
}
