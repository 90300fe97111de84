// The two-variable function base: default derivatives against closed forms, grid and masked
// evaluations against point values, interval images (masked, per cell, optimal, refined)
// against dense samples, double integrals against closed forms, the global minimizer on known
// minima, factories, the tolerance walk, attribute scaling, copies, Chebyshev coefficients.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathBasisFunctionXY.h"
#include "XelMathFourierTransform.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathOppositeXY.h"
#include "XelMathScaleFunctionXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;
using Fn = std::function<double(double, double)>;
using IFn = std::function<XelMathInterval(const XelMathInterval&, const XelMathInterval&)>;

// A function known by closures: its value, and optionally exact first derivatives (then it
// offers option 2) and interval images of f, fx, fy, fxx, fxy, fyy (then options 16, 32, 64).
class FnXY : public XelMathFunctionXY {
public:
  explicit FnXY(Fn f, Fn fx = nullptr, Fn fy = nullptr) : _f(f), _fx(fx), _fy(fy) {}
  const char* IsA() const override { return "FnXY"; }
  unsigned char IsOption(const long o) const override {
    const long offered = (_fx ? 2L : 0L) | (images[0] ? 16L | 32L | 64L : 0L);
    return o != 0 && (o & ~offered) == 0;
  }
  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& x, const double& y) const override { return _f(x, y); }
  double EvalFirstDerivX(const double& x, const double& y) const override {
    return _fx ? _fx(x, y) : XelMathFunctionXY::EvalFirstDerivX(x, y);
  }
  double EvalFirstDerivY(const double& x, const double& y) const override {
    return _fy ? _fy(x, y) : XelMathFunctionXY::EvalFirstDerivY(x, y);
  }
  XelMathInterval Eval(const XelMathInterval& I, const XelMathInterval& J,
                       const XelTolerance& t) const override {
    ++intervalCalls;
    return images[0] ? images[0](I, J) : XelMathFunctionXY::Eval(I, J, t);
  }
#define XEL_IMAGE(Name, k)                                                                         \
  XelMathInterval Name(const XelMathInterval& I, const XelMathInterval& J) const override {        \
    return images[k] ? images[k](I, J) : XelMathFunctionXY::Name(I, J);                            \
  }
  XEL_IMAGE(EvalFirstDerivX, 1)
  XEL_IMAGE(EvalFirstDerivY, 2)
  XEL_IMAGE(EvalSecondDerivX2, 3)
  XEL_IMAGE(EvalSecondDerivXY, 4)
  XEL_IMAGE(EvalSecondDerivY2, 5)
#undef XEL_IMAGE
  IFn images[6];
  mutable long intervalCalls = 0;

private:
  Fn _f, _fx, _fy;
};

// f = exp(x) sin(y) + x^2 y and its derivatives d[a][b] = d^(a+b) f / dx^a dy^b (a + b <= 3).
double F(double x, double y) { return std::exp(x) * std::sin(y) + x * x * y; }
double D(int a, int b, double x, double y) {
  const double e = std::exp(x), s = std::sin(y), c = std::cos(y);
  const double trig[4] = {s, c, -s, -c}; // d^b/dy^b of sin y
  const double poly = (a == 0 ? (b == 0 ? x * x * y : b == 1 ? x * x : 0.0)
                       : a == 1 ? (b == 0 ? 2 * x * y : b == 1 ? 2 * x : 0.0)
                       : a == 2 ? (b == 0 ? 2 * y : b == 1 ? 2.0 : 0.0)
                                : 0.0);
  return e * trig[b] + poly;
}
XelMathInterval ICos(const XelMathInterval& J) { return ISin(J.low + kPi / 2, J.high + kPi / 2); }
// Interval images of f, fx, fy, fxx, fxy, fyy by interval arithmetic.
void GiveImages(FnXY& f) {
  auto ES = [](const XelMathInterval& I, const XelMathInterval& J) {
    return IMul(IExp(I), ISin(J.low, J.high));
  };
  auto EC = [](const XelMathInterval& I, const XelMathInterval& J) { return IMul(IExp(I), ICos(J)); };
  f.images[0] = [=](auto I, auto J) { return IAdd(ES(I, J), IMul(ISquare(I), J)); };
  f.images[1] = [=](auto I, auto J) { return IAdd(ES(I, J), IScale(2, IMul(I, J))); };
  f.images[2] = [=](auto I, auto J) { return IAdd(EC(I, J), ISquare(I)); };
  f.images[3] = [=](auto I, auto J) { return IAdd(ES(I, J), IScale(2, J)); };
  f.images[4] = [=](auto I, auto J) { return IAdd(EC(I, J), IScale(2, I)); };
  f.images[5] = [=](auto I, auto J) { return IScale(-1, ES(I, J)); };
}

// Every sample of g on a (n+1) x (n+1) grid of I x J lies in K, up to the rounding of the
// samples' own formulas (and of abscissae that end an ulp off the box's ends).
void ExpectEncloses(const Fn& g, const XelMathInterval& I, const XelMathInterval& J,
                    const XelMathInterval& K, const std::string& what, int n = 120) {
  const double r = 1e-13;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j <= n; ++j) {
      const double x = I.low + (I.high - I.low) * i / n, y = J.low + (J.high - J.low) * j / n;
      const double v = g(x, y);
      if (!(v >= K.low - r * (1 + std::fabs(v)) && v <= K.high + r * (1 + std::fabs(v)))) {
        ADD_FAILURE() << what << ": g(" << x << ", " << y << ") = " << v << " not in [" << K.low
                      << ", " << K.high << "]";
        return;
      }
    }
}

XelMathInterval RandomBox(std::mt19937& gen, double maxWidth) {
  std::uniform_real_distribution<double> u(-1.0, 1.0), w(0.0, maxWidth);
  const double a = u(gen);
  return XelMathInterval(a, a + w(gen));
}

TEST(FunctionXYDerivatives, DefaultDifferencesMatchClosedForms) {
  // Errors of centred differences with step h for derivatives bounded by M = 8 on the
  // sampled square: truncation h^2 M / 6 (h^2 M / 3 for the four-point mixed one, h^2 M / 12
  // for the second difference) and rounding eps M / h (4 eps M / h^2 for differences of values).
  const double M = 8.0, h1 = 1e-5, h2 = 1e-4, h3 = 0.002;
  const double e1 = h1 * h1 * M / 6 + kEps * M / h1;
  const FnXY valuesOnly(F);
  const FnXY exactFirst(F, [](double x, double y) { return D(1, 0, x, y); },
                        [](double x, double y) { return D(0, 1, x, y); });
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-0.9, 0.9);
  for (int trial = 0; trial < 20; ++trial) {
    const double x = u(gen), y = u(gen);
    for (const FnXY* f : {&valuesOnly, &exactFirst}) {
      const bool exact = f == &exactFirst;
      const double e2 = exact ? e1 : h2 * h2 * M / 3 + 4 * kEps * M / (h2 * h2);
      const double e3 = h3 * h3 * M / 6 + e2 / h3;
      EXPECT_NEAR(f->EvalFirstDerivX(x, y), D(1, 0, x, y), 2 * e1);
      EXPECT_NEAR(f->EvalFirstDerivY(x, y), D(0, 1, x, y), 2 * e1);
      double v[10];
      f->EvalUpToThirdDeriv(x, y, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
      const int orders[10][2] = {{0, 0}, {1, 0}, {0, 1}, {2, 0}, {1, 1},
                                 {0, 2}, {3, 0}, {2, 1}, {1, 2}, {0, 3}};
      const double tols[10] = {0, e1, e1, e2, e2, e2, e3, e3, e3, e3};
      for (int k = 0; k < 10; ++k)
        EXPECT_NEAR(v[k], D(orders[k][0], orders[k][1], x, y), 2 * tols[k])
            << "derivative " << k << (exact ? " (exact first)" : " (values only)");
    }
  }
}

TEST(FunctionXYGrids, GridAndMaskedEvaluationsMatchPointValues) {
  const FnXY f(F);
  const double coords[4] = {-0.7, 0.9, 0.1, 1.3};
  const XelMathIntervalND box(2, coords);
  struct Case { long nx, ny; } cases[] = {{4, 3}, {1, 1}, {1, 5}, {0, 5}, {3, -1}};
  for (const Case& c : cases) {
    const long counts[2] = {c.nx, c.ny};
    std::vector<double> out[6];
    for (auto& o : out)
      o.assign(16, kNaN);
    f.Eval(box, counts, 7, out[0].data(), out[1].data(), out[2].data(), out[3].data(),
           out[4].data(), out[5].data());
    const long n = c.nx > 0 && c.ny > 0 ? c.nx * c.ny : 0;
    for (long k = 0; k < 16; ++k) {
      if (k >= n) { // nothing written beyond the grid (nothing at all for a count <= 0)
        EXPECT_TRUE(std::isnan(out[0][k]) && std::isnan(out[5][k])) << k;
        continue;
      }
      const long i = k / c.ny, j = k % c.ny;
      const double x = c.nx == 1 ? -0.7 : (i == c.nx - 1 ? 0.9 : -0.7 + 1.6 * i / (c.nx - 1));
      const double y = c.ny == 1 ? 0.1 : (j == c.ny - 1 ? 1.3 : 0.1 + 1.2 * j / (c.ny - 1));
      double p[6];
      f.Eval(x, y, 7, p, p + 1, p + 2, p + 3, p + 4, p + 5);
      for (int m = 0; m < 6; ++m)
        EXPECT_NEAR(out[m][k], p[m], 1e-12 * (1 + std::fabs(p[m]))) << k << " output " << m;
    }
  }
  // Masks write only what they ask for; arbitrary abscissae go to i * nY + j.
  double v = kNaN, fx = kNaN, fy = kNaN, fxx = kNaN;
  f.Eval(0.3, 0.4, 2, &v, &fx, &fy, &fxx, nullptr, nullptr);
  EXPECT_TRUE(std::isnan(v) && std::isnan(fxx));
  EXPECT_NEAR(fx, D(1, 0, 0.3, 0.4), 1e-8);
  const double xs[2] = {0.5, -0.25}, ys[3] = {0.0, 0.75, -1.0};
  double g[6], gy[6];
  f.EvalGrid(2, xs, 3, ys, 3, g, nullptr, gy);
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(g[k], F(xs[k / 3], ys[k % 3]));
    EXPECT_NEAR(gy[k], D(0, 1, xs[k / 3], ys[k % 3]), 1e-8);
  }
}

TEST(FunctionXYIntervals, MaskedImagesEncloseSamples) {
  FnXY withImages(F, [](double x, double y) { return D(1, 0, x, y); },
                  [](double x, double y) { return D(0, 1, x, y); }),
      valuesOnly(F);
  GiveImages(withImages);
  const Fn parts[6] = {F,
                       [](double x, double y) { return D(1, 0, x, y); },
                       [](double x, double y) { return D(0, 1, x, y); },
                       [](double x, double y) { return D(2, 0, x, y); },
                       [](double x, double y) { return D(1, 1, x, y); },
                       [](double x, double y) { return D(0, 2, x, y); }};
  std::mt19937 gen(11);
  for (int trial = 0; trial < 16; ++trial) {
    const XelMathInterval I = RandomBox(gen, trial % 2 ? 0.05 : 1.5), J = RandomBox(gen, 1.0);
    for (const FnXY* f : {&withImages, &valuesOnly}) {
      XelMathInterval r[6];
      f->Eval(I, J, 112, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], DefaultTol());
      for (int k = 0; k < (f == &withImages ? 6 : 1); ++k)
        ExpectEncloses(parts[k], I, J, r[k], "masked image " + std::to_string(k), 40);
    }
  }
  // Cells of equal size, the last ending exactly at the box's end.
  const double coords[4] = {-1.0, 1.0, -2.0, 2.5};
  const XelMathIntervalND box(2, coords);
  const long counts[2] = {3, 2};
  XelMathInterval cells[6];
  valuesOnly.Eval(box, counts, cells);
  for (int k = 0; k < 6; ++k) {
    const double x0 = -1.0 + 2.0 * (k / 2) / 3, y0 = -2.0 + 4.5 * (k % 2) / 2;
    ExpectEncloses(F, XelMathInterval(x0, x0 + 2.0 / 3), XelMathInterval(y0, y0 + 2.25), cells[k],
                   "cell " + std::to_string(k), 40);
  }
}

TEST(FunctionXYImages, OptimalImageEnclosesDenseSamples) {
  auto t4 = [](double t) { return 8 * t * t * t * t - 8 * t * t + 1; };
  struct Row { const char* name; Fn f; XelMathInterval I, J; } rows[] = {
      {"exp sin + x^2 y", F, {-1, 1}, {-1, 2}},
      {"T4(x) T4(y)", [=](double x, double y) { return t4(x) * t4(y); }, {-1, 1}, {-1, 1}},
      {"sin(9x) cos(7y)", [](double x, double y) { return std::sin(9 * x) * std::cos(7 * y); },
       {-1, 1}, {-1, 1}},
      {"|x - y| + 0.3 sin 3x",
       [](double x, double y) { return std::fabs(x - y) + 0.3 * std::sin(3 * x); }, {-1, 1}, {-1, 1}},
      {"|x + 0.2| |y - 0.3| - x/4",
       [](double x, double y) { return std::fabs(x + 0.2) * std::fabs(y - 0.3) - 0.25 * x; },
       {-1, 1}, {-0.5, 1}},
      {"max(x, 2y) cone", [](double x, double y) { return std::fmax(x, 2 * y) + std::hypot(x, y); },
       {-0.6, 0.8}, {-0.7, 0.5}}};
  for (const Row& row : rows) {
    const FnXY f(row.f);
    XelMathInterval cheb;
    const bool byChebyshev = f.ComputeImageByChebyshev(row.I, row.J, cheb, DefaultTol()) != 0;
    const XelMathInterval K = f.ComputeOptimalImage(row.I, row.J, DefaultTol());
    ExpectEncloses(row.f, row.I, row.J, K, row.name, 300);
    // Tightness: the fallback is the extremum search itself, the series bound a sum of terms.
    double lo = HUGE_VAL, hi = -HUGE_VAL;
    for (int i = 0; i <= 300; ++i)
      for (int j = 0; j <= 300; ++j) {
        const double v = row.f(row.I.low + (row.I.high - row.I.low) * i / 300,
                               row.J.low + (row.J.high - row.J.low) * j / 300);
        lo = std::fmin(lo, v);
        hi = std::fmax(hi, v);
      }
    const double slack = byChebyshev ? 1.5 * (hi - lo) : 1e-3 * (hi - lo);
    EXPECT_LE(K.high - K.low, hi - lo + slack) << row.name;
  }
  // A function without value somewhere in the box has no bound: the whole line.
  const FnXY nan([](double x, double y) { return std::log(x) + y; });
  const XelMathInterval K = nan.ComputeOptimalImage({-1, 1}, {0, 1}, DefaultTol());
  EXPECT_TRUE(std::isinf(K.low) && K.low < 0 && std::isinf(K.high) && K.high > 0);
  // The free form files a scale option for the call; the base and virtual forms agree here.
  const FnXY f(F);
  const XelMathInterval A = ComputeOptimalImage(&f, {0, 1}, {0, 1}, DefaultTol(), nullptr, 1);
  const XelMathInterval B = f.ComputeOptimalImage({0, 1}, {0, 1}, DefaultTol());
  EXPECT_EQ(A.low, B.low);
  EXPECT_EQ(A.high, B.high);
  EXPECT_EQ(ComputeOptimalImage(nullptr, {0, 1}, {0, 1}, DefaultTol(), nullptr, 0).high, 0.0);
}

TEST(FunctionXYImages, RecursiveRefinementEnclosesAndStopsAtDepthThree) {
  FnXY f(F);
  GiveImages(f);
  const XelMathInterval I(-1, 1.5), J(-2, 2);
  const XelMathInterval K = f.Eval(I, J, DefaultTol());
  f.intervalCalls = 0;
  const XelMathInterval R = f.RComputeOptimalImage(I, J, K, 0, DefaultTol());
  ExpectEncloses(F, I, J, R, "refined image", 200);
  EXPECT_LE(R.high - R.low, K.high - K.low);
  EXPECT_LE(f.intervalCalls, 4 + 16 + 64); // three levels of four pieces at most
  f.intervalCalls = 0;
  const XelMathInterval S = f.RComputeOptimalImage(I, J, K, 3, DefaultTol());
  EXPECT_EQ(f.intervalCalls, 0);
  EXPECT_EQ(S.low, K.low);
  // Monotone on a small box (fx > 0, fy > 0 near (0.5, 0.5)): the two corner values.
  const XelMathInterval M = f.RComputeOptimalImage({0.4, 0.5}, {0.4, 0.5}, K, 0, DefaultTol());
  EXPECT_EQ(M.low, F(0.4, 0.4));
  EXPECT_EQ(M.high, F(0.5, 0.5));
}

TEST(FunctionXYIntegrals, DoubleIntegralsMatchClosedForms) {
  const FnXY f(F);
  const double e = std::exp(1.0);
  // Over [0, 1] x [0, 2]: (e - 1)(1 - cos 2) + 2/3.
  const double rect = (e - 1) * (1 - std::cos(2.0)) + 2.0 / 3.0;
  EXPECT_NEAR(f.Integrate({0, 1}, {0, 2}, 1e-9), rect, 1e-8);
  EXPECT_NEAR(f.IntegrateRelative({0, 1}, {0, 2}, 1e-9), rect, 1e-8 * rect);
  // Under g(x) = x from y = 0: (e - 1) - (e (cos 1 + sin 1) - 1) / 2 + 1/10.
  const FnX g([](double x) { return x; });
  const double region = (e - 1) - (e * (std::cos(1.0) + std::sin(1.0)) - 1) / 2 + 0.1;
  EXPECT_NEAR(f.Integrate({0, 1}, 0.0, &g, 1e-9), region, 1e-8);
  EXPECT_NEAR(f.IntegrateRelative({0, 1}, 0.0, &g, 1e-9), region, 1e-8 * region);
}

// Minima of f over the box, compared with the expected points (any order).
void ExpectMinima(const XelMathFunctionXY& f, const XelMathInterval2D& box,
                  const std::vector<std::vector<double>>& expected, const XelMathAttrList* attrs,
                  const char* what, double tol = 1e-6) {
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(f.Minimize(box, found, attrs), 0) << what;
  ASSERT_EQ(found.GetNumberOfPoints(), long(expected.size())) << what;
  for (const auto& p : expected) {
    bool hit = false;
    for (long k = 0; k < found.GetNumberOfPoints(); ++k) {
      double q[2];
      found.GetPoint(k, q);
      hit = hit || (std::fabs(q[0] - p[0]) <= tol && std::fabs(q[1] - p[1]) <= tol);
    }
    EXPECT_TRUE(hit) << what << ": (" << p[0] << ", " << p[1] << ") not found";
  }
}

TEST(FunctionXYMinimize, FindsKnownMinimaUnderOptions) {
  XelMathAttrString absolute("AbsoluteExtremum", 1), interior("InteriorExtremum", 1);
  XelMathAttrDoubleValue limit("LimitValue", -0.2, 1);
  XelMathAttrList abs(&absolute), inner(&interior), lim(&limit);
  const FnXY bowl([](double x, double y) { return (x - 0.3) * (x - 0.3) + 2 * (y + 0.2) * (y + 0.2); });
  const FnXY plane([](double x, double y) { return x + 2 * y; });
  const FnXY edge([](double x, double y) { return (x - 0.5) * (x - 0.5) + y; });
  const FnXY wells([](double x, double y) { return (x * x - 1) * (x * x - 1) + 0.3 * x + y * y; });
  const FnXY kink([](double x, double y) { return std::fabs(x - 0.2) + 2 * std::fabs(y + 0.4); });
  const FnXY valley([](double x, double y) { return std::fabs(x - 2 * y) + (x - 0.5) * (x - 0.5); });
  const XelMathInterval2D unit(0, 1, 0, 1), square(-1, 1, -1, 1), wide(-2, 2, -1, 1);
  // Minima of the wells: 4x(x^2 - 1) + 0.3 = 0.
  auto root = [](double x) {
    for (int k = 0; k < 60; ++k)
      x -= (4 * x * (x * x - 1) + 0.3) / (12 * x * x - 4);
    return x;
  };
  const double a = root(-1.0), b = root(1.0);
  ExpectMinima(bowl, square, {{0.3, -0.2}}, nullptr, "bowl");
  ExpectMinima(plane, unit, {{0, 0}}, nullptr, "corner of a plane");
  ExpectMinima(edge, unit, {{0.5, 0}}, nullptr, "edge");
  ExpectMinima(edge, unit, {}, &inner, "edge, interior only");
  ExpectMinima(wells, wide, {{a, 0}, {b, 0}}, nullptr, "two wells");
  ExpectMinima(wells, wide, {{a, 0}}, &abs, "two wells, absolute");
  ExpectMinima(wells, wide, {{a, 0}}, &lim, "two wells under a limit");
  ExpectMinima(kink, square, {{0.2, -0.4}}, nullptr, "kinks", 1e-8);
  ExpectMinima(valley, square, {{0.5, 0.25}}, nullptr, "oblique valley", 1e-6);

  const FnXY flat([](double, double) { return 3.0; });
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(flat.Minimize(XelMathInterval2D(0, 2, -1, 0), found), 2);
  ASSERT_EQ(found.GetNumberOfPoints(), 1);
  EXPECT_EQ(found.GetPoints()[0], 1.0);
  EXPECT_EQ(found.GetPoints()[1], -0.5);
  EXPECT_EQ(flat.Minimize(XelMathInterval2D(1, 0, 0, 1), found), 4);
  XelMathSetOfPointsND wrong(3);
  ExpectInputError([&] { bowl.Minimize(square, wrong); }, 0x20006,
                   {"the XelMathSetOfPointsND", "2", "XelMathFunctionXY::Minimize"});
  XelMathAttrIntegerValue none("SamplingPointsX", 0, 1);
  XelMathAttrList noGrid(&none);
  ExpectInputError([&] { bowl.Minimize(square, found, &noGrid); }, 0x20004);
}

TEST(FunctionXYMinimize, MaximizeNegatesTheLimitAroundTheCall) {
  const FnXY cap([](double x, double y) { return -(x - 0.3) * (x - 0.3) - (y - 0.1) * (y - 0.1); });
  const XelMathInterval2D square(-1, 1, -1, 1);
  for (const double L : {-0.5, 0.5}) {
    XelMathAttrDoubleValue limit("LimitValue", L, 1);
    XelMathAttrList attrs(&limit);
    XelMathSetOfPointsND found(2);
    EXPECT_EQ(cap.Maximize(square, found, &attrs), 0);
    EXPECT_EQ(limit.GetValue(), L);
    // Maxima not below the limit: the cap's top (value 0) passes -0.5, not 0.5.
    ASSERT_EQ(found.GetNumberOfPoints(), L < 0 ? 1 : 0);
    if (L < 0) {
      EXPECT_NEAR(found.GetPoints()[0], 0.3, 1e-7);
      EXPECT_NEAR(found.GetPoints()[1], 0.1, 1e-7);
    }
  }
}

// A caller's function holding a tolerance.
class BasisF : public XelMathBasisFunctionXY {
public:
  explicit BasisF(const XelTolerance& t) : XelMathBasisFunctionXY(t) {}
  const char* IsA() const override { return "BasisF"; }
  using XelMathFunctionXY::Eval;
  double Eval(const double& x, const double& y) const override { return F(x, y); }
  XelMathFunctionXY* Duplicate() const override { return new BasisF(*this); }
};

TEST(FunctionXYFactories, DerivedFunctionsCombinationsToleranceAndCopies) {
  const FnXY f(F);
  const FnX u([](double t) { return t * t; }), v([](double t) { return 1 - t; });
  std::unique_ptr<XelMathFunctionXY> dx(f.CreateDerivX()), dy(f.CreateDerivY());
  std::unique_ptr<XelMathFunctionX> ix(f.CreateIsoparX(0.3)), iy(f.CreateIsoparY(0.3)),
      comp(f.CreateCompositionX(&u, &v));
  for (const double t : {-0.8, 0.1, 0.6}) {
    EXPECT_NEAR(dx->Eval(t, 0.4), D(1, 0, t, 0.4), 1e-8);
    EXPECT_NEAR(dy->Eval(t, 0.4), D(0, 1, t, 0.4), 1e-8);
    EXPECT_EQ(ix->Eval(t), F(0.3, t));
    EXPECT_EQ(iy->Eval(t), F(t, 0.3));
    EXPECT_EQ(comp->Eval(t), F(t * t, 1 - t));
  }
  // Combination: no closed form at this level, a new combination object.
  const FnXY g([](double x, double y) { return x - y; });
  const XelMathFunctionXY* parts[2] = {&f, &g};
  const double c[2] = {2.0, -3.0};
  std::unique_ptr<XelMathFunctionXY> sum(CreateCombination(2, parts, c, 0.5));
  ASSERT_NE(sum, nullptr);
  EXPECT_NEAR(sum->Eval(0.2, 0.7), 2 * F(0.2, 0.7) - 3 * (0.2 - 0.7) + 0.5, 1e-14);
  const XelMathFunctionXY* nullFirst[2] = {nullptr, &g};
  EXPECT_EQ(CreateCombination(2, nullFirst, c, 0.0), nullptr);
  EXPECT_EQ(CreateCombination(2, static_cast<const XelMathFunctionXY**>(nullptr), c, 0.0), nullptr);

  // Tolerance: through opposites and scalings down to the basis function.
  const XelTolerance mine(10.0);
  const BasisF basis(mine);
  const XelMathOppositeXY opposite(&basis);
  const XelMathScaleFunctionXY scaled(&opposite, 2.0, 1.0, 1.0);
  EXPECT_EQ(XelMathFunctionXYFindTolerance(&scaled), &mine);
  EXPECT_EQ(XelMathFunctionXYFindTolerance(&f), nullptr);
  EXPECT_EQ(XelMathFunctionXYFindTolerance(nullptr), nullptr);
  EXPECT_EQ(&XelMathFunctionXYGetTolerance(&f), &XelGetDefaultTolerance());

  ExpectInputError([&] { f.Duplicate(); }, 0x20009, {"Duplicate", " "});
  ExpectInputError([&] { f.DeepDuplicate(); }, 0x20009, {"DeepDuplicate", " "});
}

TEST(FunctionXYAttributes, DirtyScalingMultipliesTheToleranceLikeValues) {
  XelMathAttrDoubleValue a("TolForCst", 2, 1), b("AbsoluteTolerance", 3, 1), c("Tolerance", 4, 1),
      d("LimitValue", -5, 1), e("EpsRoot", 6, 1), other("Other", 7, 1);
  XelMathAttrIntegerValue sampling("Tolerance", 8, 0);
  XelMathAttrList list;
  for (XelMathAttribute* attr : std::vector<XelMathAttribute*>{&a, &b, &c, &d, &e, &other, &sampling})
    list.AddAttribute(attr);
  XelMathFunctionXY_DirtyAttributeScaling(&list, 10.0);
  EXPECT_EQ(a.GetValue(), 20);
  EXPECT_EQ(b.GetValue(), 30);
  EXPECT_EQ(c.GetValue(), 40);
  EXPECT_EQ(d.GetValue(), -50);
  EXPECT_EQ(e.GetValue(), 60);
  EXPECT_EQ(other.GetValue(), 7);
  EXPECT_EQ(sampling.GetValue(), 8);
  XelMathFunctionXY_DirtyAttributeScaling(nullptr, 10.0);
}

TEST(FunctionXYChebyshev, CoefficientsOfAKnownSeries) {
  // f = 3 + 2 T1(X) - 0.5 T2(X) T3(Y) + T1(Y), X = (x - 1) / 2, Y = (y + 1) / 0.5 on [-1, 3] x [-1.5, -0.5].
  const FnXY f([](double x, double y) {
    const double X = (x - 1) / 2, Y = (y + 1) / 0.5;
    return 3 + 2 * X - 0.5 * (2 * X * X - 1) * (4 * Y * Y * Y - 3 * Y) + Y;
  });
  for (const long n : {4L, 6L, 16L}) {
    std::vector<double> coef(n * 8);
    XelMathFourierTransform::ChebyshevCoefficientsXY(&f, {-1, 3}, {-1.5, -0.5}, n, 8, coef.data());
    for (long p = 0; p < n; ++p)
      for (long q = 0; q < 8; ++q) {
        const double want = p == 0 && q == 0 ? 3 : p == 1 && q == 0 ? 2 : p == 0 && q == 1 ? 1
                            : p == 2 && q == 3 ? -0.5 : 0;
        EXPECT_NEAR(coef[p * 8 + q], want, 1e-14) << n << ": " << p << ", " << q;
      }
  }
  double c[400];
  for (const long bad : {7L, 18L, 0L})
    ExpectInputError([&] { XelMathFourierTransform::ChebyshevCoefficientsXY(&f, {0, 1}, {0, 1}, 4, bad, c); },
                     0x20009, {"ChebyshevCoefficientsXY", " "});
}

TEST(FunctionXYMemory, AnalysesReleaseEverything) {
  const long before = LiveBlocks();
  {
    const FnXY kinked([](double x, double y) { return std::fabs(x - y) + 0.3 * std::sin(3 * x); });
    kinked.ComputeOptimalImage({-1, 1}, {-1, 1}, DefaultTol());
    XelMathAttrIntegerValue grid("SamplingPointsX", 80, 1);
    XelMathAttrList attrs(&grid);
    XelMathSetOfPointsND found(2);
    kinked.Minimize(XelMathInterval2D(-1, 1, -1, 1), found, &attrs);
    const double coords[4] = {0, 1, 0, 1};
    const long counts[2] = {9, 9};
    std::vector<double> out(81);
    kinked.Eval(XelMathIntervalND(2, coords), counts, 1, out.data(), nullptr, nullptr, nullptr,
                nullptr, nullptr);
  }
  EXPECT_EQ(LiveBlocks(), before);
}

} // namespace
