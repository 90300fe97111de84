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
#include "XelMathAttrScaleOption.h"
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
#include "values_only.h"
#include "xy_helpers.h"

namespace {

using namespace xeltest;
using Fn = Fn2;
// A function of (x, y) given by an expression.
#define XY(expr) [=](double x, double y) { return (expr); }

// f = exp(x) sin(y) + x^2 y and its derivatives D(a, b) = d^(a+b) f / dx^a dy^b (a + b <= 3).
const auto F = [](double x, double y) { return ClosedD(0, 0.0, 0, 0, x, y); };
const auto D = [](int a, int b, double x, double y) { return ClosedD(0, 0.0, a, b, x, y); };
const auto Part = [](int a, int b) { return Fn(XY(D(a, b, x, y))); };
TEST(FunctionXYDerivatives, DefaultDifferencesMatchClosedForms) {
  // Errors of centred differences with step h for derivatives bounded by M = 8 on the
  // sampled square: truncation h^2 M / 6 (h^2 M / 3 for the four-point mixed one, h^2 M / 12
  // for the second difference) and rounding eps M / h (4 eps M / h^2 for differences of values).
  const double M = 8.0, h1 = 1e-5, h2 = 1e-4, h3 = 0.002;
  const double e1 = h1 * h1 * M / 6 + kEps * M / h1;
  const FnXY valuesOnly(F);
  const FnXY exactFirst(F, Part(1, 0), Part(0, 1));
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> u(-0.9, 0.9);
  for (int trial = 0; trial < 20; ++trial) {
    const double x = u(gen), y = u(gen);
    for (const FnXY* f : {&valuesOnly, &exactFirst}) {
      const bool exact = f == &exactFirst;
      const double e2 = exact ? e1 : h2 * h2 * M / 3 + 4 * kEps * M / (h2 * h2);
      const double e3 = h3 * h3 * M / 6 + e2 / h3;
      double v[10];
      f->EvalUpToThirdDeriv(x, y, v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8], v[9]);
      const double tols[10] = {0, e1, e1, e2, e2, e2, e3, e3, e3, e3};
      for (int k = 0; k < 10; ++k)
        EXPECT_NEAR(v[k], D(kOrdersXY[k][0], kOrdersXY[k][1], x, y), 2 * tols[k])
            << "derivative " << k << (exact ? " (exact first)" : " (values only)");
    }
  }
}

TEST(FunctionXYGrids, GridAndMaskedEvaluationsMatchPointValues) {
  const FnXY f(F);
  const double coords[4] = {-0.7, 0.9, 0.1, 1.3};
  const XelMathIntervalND box(2, coords);
  for (const auto& counts : {std::vector<long>{4, 3}, {1, 1}, {1, 5}, {0, 5}, {3, -1}}) {
    const long nx = counts[0], ny = counts[1];
    std::vector<double> out[6];
    for (auto& o : out)
      o.assign(16, kNaN);
    f.Eval(box, counts.data(), 7, out[0].data(), out[1].data(), out[2].data(), out[3].data(),
           out[4].data(), out[5].data());
    const long n = nx > 0 && ny > 0 ? nx * ny : 0;
    for (long k = 0; k < 16; ++k) {
      if (k >= n) { // nothing written beyond the grid (nothing at all for a count <= 0)
        EXPECT_TRUE(std::isnan(out[0][k]) && std::isnan(out[5][k])) << k;
        continue;
      }
      const long i = k / ny, j = k % ny;
      const double x = nx == 1 ? -0.7 : (i == nx - 1 ? 0.9 : -0.7 + 1.6 * i / (nx - 1));
      const double y = ny == 1 ? 0.1 : (j == ny - 1 ? 1.3 : 0.1 + 1.2 * j / (ny - 1));
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
  const ClosedXY images; // exact images by interval arithmetic
  const FnXY values(F);
  const XelMathFunctionXY &withImages = images, &valuesOnly = values;
  std::mt19937 gen(11);
  std::uniform_real_distribution<double> u(-1.0, 1.0), w(0.0, 1.0);
  for (int trial = 0; trial < 16; ++trial) {
    const double a = u(gen), b = u(gen), wx = w(gen) * (trial % 2 ? 0.05 : 1.5);
    const XelMathInterval I(a, a + wx), J(b, b + w(gen));
    for (const XelMathFunctionXY* f : {&withImages, &valuesOnly}) {
      XelMathInterval r[6];
      f->Eval(I, J, 112, &r[0], &r[1], &r[2], &r[3], &r[4], &r[5], DefaultTol());
      for (int k = 0; k < (f == &withImages ? 6 : 1); ++k)
        ExpectEnclosesXY(Part(kOrdersXY[k][0], kOrdersXY[k][1]), I, J, r[k],
                         "masked image " + std::to_string(k), 40);
    }
  }
  // Cells of equal size, the last ending exactly at the box's end: each the image of its cell.
  const double coords[4] = {-1.0, 1.0, -2.0, 2.5};
  const XelMathIntervalND box(2, coords);
  const long counts[2] = {3, 2};
  XelMathInterval cells[6];
  withImages.Eval(box, counts, cells);
  for (int k = 0; k < 6; ++k) {
    const double x0 = -1.0 + 2.0 * (k / 2) / 3, y0 = -2.0 + 4.5 * (k % 2) / 2;
    const XelMathInterval cell = ClosedDI(0, 0.0, 0, 0, {x0, x0 + 2.0 / 3}, {y0, y0 + 2.25});
    EXPECT_NEAR(cells[k].low, cell.low, 1e-12) << k;
    EXPECT_NEAR(cells[k].high, cell.high, 1e-12) << k;
  }
}

TEST(FunctionXYImages, OptimalImageEnclosesDenseSamples) {
  const long before = LiveBlocks();
  auto t4 = [](double t) { return 8 * t * t * t * t - 8 * t * t + 1; };
  struct Row {
    const char* name;
    Fn f;
    XelMathInterval I, J;
  } rows[] = {
      {"exp sin + x^2 y", F, {-1, 1}, {-1, 2}},
      {"T4(x) T4(y)", XY(t4(x) * t4(y)), {-1, 1}, {-1, 1}},
      {"sin(9x) cos(7y)", XY(std::sin(9 * x) * std::cos(7 * y)), {-1, 1}, {-1, 1}},
      {"|x - y| + 0.3 sin 3x", XY(std::fabs(x - y) + 0.3 * std::sin(3 * x)), {-1, 1}, {-1, 1}},
      {"|x+.2||y-.3|-x/4", XY(std::fabs(x + 0.2) * std::fabs(y - 0.3) - x / 4), {-1, 1}, {0, 1}},
      {"max(x, 2y) cone", XY(std::fmax(x, 2 * y) + std::hypot(x, y)), {-0.6, 0.8}, {-0.7, 0.5}}};
  for (const Row& row : rows) {
    const FnXY f(row.f);
    XelMathInterval cheb;
    const bool byChebyshev = f.ComputeImageByChebyshev(row.I, row.J, cheb, DefaultTol()) != 0;
    const XelMathInterval K = f.ComputeOptimalImage(row.I, row.J, DefaultTol());
    const XelMathInterval seen = ExpectEnclosesXY(row.f, row.I, row.J, K, row.name, 300);
    // Tightness: the fallback is the extremum search itself, the series bound a sum of terms.
    const double spread = seen.high - seen.low;
    EXPECT_LE(K.high - K.low, spread * (byChebyshev ? 2.5 : 1.001)) << row.name;
  }
  // A function without value somewhere in the box has no bound: the whole line.
  const FnXY nan(XY(std::log(x) + y));
  const XelMathInterval K = nan.ComputeOptimalImage({-1, 1}, {0, 1}, DefaultTol());
  EXPECT_TRUE(std::isinf(K.low) && K.low < 0 && std::isinf(K.high) && K.high > 0);
  // A scale option filed for the call on a model at scale 10 (values in S^2, x in S^2, y in
  // S): the search runs on 0.1 f(10 x, y) over [-0.1, 0.1] x J, the image is still f's.
  const XelTolerance model(10.0);
  const long pF = 2, pX[2] = {2, 1};
  XelMathAttrScaleOption option(1, &pF, 2, pX, 0, nullptr);
  const FnXY kink(rows[3].f);
  const XelMathInterval S = ComputeOptimalImage(&kink, {-1, 1}, {-1, 1}, model, &option, 0);
  ExpectEnclosesXY(rows[3].f, {-1, 1}, {-1, 1}, S, "scaled model", 300);
  EXPECT_LE(S.high - S.low, 2.3424);
  EXPECT_EQ(LiveBlocks(), before);
}

TEST(FunctionXYImages, RecursiveRefinementEnclosesAndStopsAtDepthThree) {
  const ClosedXY f;
  const XelMathInterval I(-1, 1.5), J(-2, 2);
  const XelMathInterval K = f.Eval(I, J, DefaultTol());
  f.valueImageCalls = 0;
  const XelMathInterval R = f.RComputeOptimalImage(I, J, K, 0, DefaultTol());
  ExpectEnclosesXY(F, I, J, R, "refined image", 200);
  EXPECT_LE(R.high - R.low, K.high - K.low);
  EXPECT_LE(f.valueImageCalls, 4 + 16 + 64); // three levels of four pieces at most
  f.valueImageCalls = 0;
  const XelMathInterval S = f.RComputeOptimalImage(I, J, K, 3, DefaultTol());
  EXPECT_EQ(f.valueImageCalls, 0);
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
  const ValuesX g([](double x) { return x; });
  const double region = (e - 1) - (e * (std::cos(1.0) + std::sin(1.0)) - 1) / 2 + 0.1;
  EXPECT_NEAR(f.Integrate({0, 1}, 0.0, &g, 1e-9), region, 1e-8);
  EXPECT_NEAR(f.IntegrateRelative({0, 1}, 0.0, &g, 1e-9), region, 1e-8 * region);
}

// Minima (maxima) of f over the box, compared with the expected points (any order).
using Points = std::vector<std::vector<double>>;
void ExpectMinima(const XelMathFunctionXY& f, const XelMathInterval2D& box, const Points& expected,
                  const XelMathAttrList* attrs, const char* what, double tol = 1e-6,
                  bool maxima = false) {
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(maxima ? f.Maximize(box, found, attrs) : f.Minimize(box, found, attrs), 0) << what;
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
  const FnXY bowl(XY((x - 0.3) * (x - 0.3) + 2 * (y + 0.2) * (y + 0.2)));
  const FnXY plane(XY(x + 2 * y));
  const FnXY edge(XY((x - 0.5) * (x - 0.5) + y));
  const FnXY wells(XY((x * x - 1) * (x * x - 1) + 0.3 * x + y * y));
  const FnXY kink(XY(std::fabs(x - 0.2) + 2 * std::fabs(y + 0.4)));
  const FnXY valley(XY(std::fabs(x - 2 * y) + (x - 0.5) * (x - 0.5)));
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
  // Beside a pole or a logarithm of zero f is unbounded below: no minimum there (the double
  // next to the pole, f = -1.8e16, was one). The only minimum of the pole's is on an edge.
  const FnXY pole(XY(1 / (x - 0.3) + y * y));
  const FnXY log(XY(x * x + y * y + std::log(x + y - 0.5)));
  ExpectMinima(pole, square, {{1, 0}}, nullptr, "beside a pole");
  ExpectMinima(pole, square, {{1, 0}}, &abs, "beside a pole, absolute");
  ExpectMinima(log, square, {}, nullptr, "beside a logarithm");
  // Degenerate stationary points with the exact gradient: the monkey saddle u^3 - 3 u v^2 and
  // the inflection (u - 0.123)^3 + (v + 0.0456)^2 fall along -u; the minima are on the border.
  const FnXY monkey(XY(x * x * x - 3 * x * y * y), XY(3 * x * x - 3 * y * y), XY(-6 * x * y));
  const FnXY inflection(XY((x - 0.123) * (x - 0.123) * (x - 0.123) + (y + 0.0456) * (y + 0.0456)),
                        XY(3 * (x - 0.123) * (x - 0.123) + 0 * y), XY(2 * (y + 0.0456) + 0 * x));
  ExpectMinima(monkey, square, {{-1, 0}, {1, -1}, {1, 1}}, nullptr, "monkey saddle");
  ExpectMinima(inflection, square, {{-1, -0.0456}}, nullptr, "inflection");
  // Powell's badly scaled function with its gradient: the valley floor u v = 1e-4 falls
  // towards the one minimum (mpmath), and no point of it short of there is one.
  const FnXY powell(
      XY((1e4 * x * y - 1) * (1e4 * x * y - 1) +
         (std::exp(-x) + std::exp(-y) - 1.0001) * (std::exp(-x) + std::exp(-y) - 1.0001)),
      XY(2e4 * y * (1e4 * x * y - 1) - 2 * std::exp(-x) * (std::exp(-x) + std::exp(-y) - 1.0001)),
      XY(2e4 * x * (1e4 * x * y - 1) - 2 * std::exp(-y) * (std::exp(-x) + std::exp(-y) - 1.0001)));
  ExpectMinima(powell, XelMathInterval2D(0, 1e-4, 8, 10), {{1.0981593296998e-5, 9.1061467398665}},
               nullptr, "valley floor", 1e-9);
  // Himmelblau's function in the variables (1e6 u, v / 1e6): every gradient of the grid is
  // within 1e-12 of the u axis, yet f is not a function of u alone. Its four minima are the
  // images of Himmelblau's (published values), found with values or gradients.
  const double sc = 1e6;
  const auto H = [sc](double x, double y) {
    const double X = x * sc, Y = y / sc;
    return (X * X + Y - 11) * (X * X + Y - 11) + (X + Y * Y - 7) * (X + Y * Y - 7);
  };
  const FnXY scaledValues(H);
  const FnXY scaledGradient(
      H,
      [sc](double x, double y) {
        const double X = x * sc, Y = y / sc;
        return sc * (4 * X * (X * X + Y - 11) + 2 * (X + Y * Y - 7));
      },
      [sc](double x, double y) {
        const double X = x * sc, Y = y / sc;
        return (2 * (X * X + Y - 11) + 4 * Y * (X + Y * Y - 7)) / sc;
      });
  const Points himmelblau = {{3, 2},
                             {-2.805118086952745, 3.131312518250573},
                             {-3.779310253377747, -3.283185991286170},
                             {3.584428340330492, -1.848126526964404}};
  for (const FnXY* f : {&scaledValues, &scaledGradient}) {
    XelMathSetOfPointsND scaledMinima(2);
    EXPECT_EQ(f->Minimize(XelMathInterval2D(-5 / sc, 5 / sc, -5 * sc, 5 * sc), scaledMinima), 0);
    Points images;
    const double* m = scaledMinima.GetPoints();
    for (long k = 0; k < scaledMinima.GetNumberOfPoints(); ++k)
      images.push_back({m[2 * k] * sc, m[2 * k + 1] / sc});
    ASSERT_EQ(images.size(), himmelblau.size()) << "anisotropic Himmelblau";
    for (const auto& p : himmelblau) {
      bool hit = false;
      for (const auto& q : images)
        hit = hit || (std::fabs(q[0] - p[0]) <= 1e-6 && std::fabs(q[1] - p[1]) <= 1e-6);
      EXPECT_TRUE(hit) << "anisotropic Himmelblau: (" << p[0] << ", " << p[1] << ") not found";
    }
  }
  // A rectangle of no width is a segment: its ends are minima only where f rises from them.
  ExpectMinima(bowl, XelMathInterval2D(0.5, 0.5, -1, 1), {{0.5, -0.2}}, nullptr, "segment", 1e-7);
  ExpectMinima(bowl, XelMathInterval2D(-1, 1, 0.5, 0.5), {{0.3, 0.5}}, nullptr, "segment'", 1e-7);
  // The six local minima of the six-hump camel function, each once (published values).
  const FnXY camel(
      XY((4 - 2.1 * x * x + x * x * x * x / 3) * x * x + x * y + (4 * y * y - 4) * y * y));
  Points six; // symmetric under (x, y) -> (-x, -y)
  for (const auto& p : Points{{0.0898, -0.7126}, {1.7036, -0.7961}, {1.6071, 0.5687}})
    six.push_back(p), six.push_back({-p[0], -p[1]});
  ExpectMinima(camel, XelMathInterval2D(-3, 3, -2, 2), six, nullptr, "six-hump camel", 1e-4);

  // Maxima not below the limit: the cap's top (0 at (0.3, 0.1)) passes -0.5, not 0.5; the
  // limit is negated for the minimization of the opposite and restored.
  const FnXY cap(XY(-(x - 0.3) * (x - 0.3) - (y - 0.1) * (y - 0.1)));
  for (const double L : {-0.5, 0.5, -kInf, kInf}) {
    XelMathAttrDoubleValue limitL("LimitValue", L, 1);
    XelMathAttrList attrs(&limitL);
    ExpectMinima(cap, square, L < 0 ? Points{{0.3, 0.1}} : Points{}, &attrs, "maxima", 1e-7, true);
    EXPECT_EQ(limitL.GetValue(), L);
  }

  const FnXY flat([](double, double) { return 3.0; });
  XelMathSetOfPointsND found(2);
  EXPECT_EQ(flat.Minimize(XelMathInterval2D(0, 2, -1, 0), found), 2);
  ASSERT_EQ(found.GetNumberOfPoints(), 1);
  EXPECT_EQ(found.GetPoints()[0], 1.0);
  EXPECT_EQ(found.GetPoints()[1], -0.5);
  EXPECT_EQ(flat.Minimize(XelMathInterval2D(1, 0, 0, 1), found), 4);
  EXPECT_EQ(bowl.Minimize(XelMathInterval2D(-1e308, 1e308, -1, 1), found), 4); // width overflows
  XelMathSetOfPointsND wrong(3);
  ExpectInputError([&] { bowl.Minimize(square, wrong); }, 0x20006,
                   {"the XelMathSetOfPointsND", "2", "XelMathFunctionXY::Minimize"});
  XelMathAttrIntegerValue none("SamplingPointsX", 0, 1);
  XelMathAttrList noGrid(&none);
  ExpectInputError([&] { bowl.Minimize(square, found, &noGrid); }, 0x20004);
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
  const ValuesX u([](double t) { return t * t; }), v([](double t) { return 1 - t; });
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
  const FnXY g(XY(x - y));
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
  XelMathAttrDoubleValue values[6] = {{"TolForCst", 2, 1}, {"AbsoluteTolerance", 3, 1},
                                      {"Tolerance", 4, 1}, {"LimitValue", -5, 1},
                                      {"EpsRoot", 6, 1},   {"Other", 7, 1}};
  XelMathAttrIntegerValue count("Tolerance", 8, 0);
  XelMathAttrList list(&count);
  for (const auto& v : values)
    list.AddAttribute(&v);
  XelMathFunctionXY_DirtyAttributeScaling(&list, 10.0);
  const double expected[6] = {20, 30, 40, -50, 60, 7};
  for (int k = 0; k < 6; ++k)
    EXPECT_EQ(values[k].GetValue(), expected[k]) << values[k].GetType();
  EXPECT_EQ(count.GetValue(), 8);
  XelMathFunctionXY_DirtyAttributeScaling(nullptr, 10.0);
}

TEST(FunctionXYChebyshev, CoefficientsOfAKnownSeries) {
  // f = 3 + 2 T1(X) - 0.5 T2(X) T3(Y) + T1(Y) on [-1, 3] x [-1.5, -0.5] (X, Y in [-1, 1]).
  const FnXY f([](double x, double y) {
    const double X = (x - 1) / 2, Y = (y + 1) / 0.5;
    return 3 + 2 * X - 0.5 * (2 * X * X - 1) * (4 * Y * Y * Y - 3 * Y) + Y;
  });
  const double table[3][4] = {{3, 1, 0, 0}, {2, 0, 0, 0}, {0, 0, 0, -0.5}};
  for (const long n : {4L, 6L, 16L}) {
    std::vector<double> coef(n * 8);
    XelMathFourierTransform::ChebyshevCoefficientsXY(&f, {-1, 3}, {-1.5, -0.5}, n, 8, coef.data());
    for (long p = 0; p < n; ++p)
      for (long q = 0; q < 8; ++q) {
        const double want = p < 3 && q < 4 ? table[p][q] : 0.0;
        EXPECT_NEAR(coef[p * 8 + q], want, 1e-14) << n << ": " << p << ", " << q;
      }
  }
  double c[400];
  using T = XelMathFourierTransform;
  for (const long bad : {7L, 18L, 0L})
    ExpectInputError(
        [&] {
          T::ChebyshevCoefficientsXY(&f, {0, 1}, {0, 1}, 4, bad, c);
        },
        0x20009, {"ChebyshevCoefficientsXY", " "});
}

} // namespace
