// Battery of the two-variable minimizer on functions with published minima, for both
// strategies (the general search, and the direct method): every global minimum found, its
// value within 1e-10 of the reference, nothing reported twice, nothing that is not a local
// minimum of the closed box; the general search also finds every local minimum. The options (absolute, interior, limit) filter as documented;
// misuse raises, and functions that produce NaN still return.
//
// Reference minima: closed forms, or the tables of minimize_xy_references.h computed
// outside the library in 50-digit arithmetic (every local minimum of the closed box).
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "minimize_xy_references.h"
#include "test_helpers.h"
#include "xy_helpers.h"

namespace {

using namespace xeltest;
using Minimum = std::array<double, 3>; // x, y, f
using Maker = std::function<XelMathFunctionXY*()>;
#define XY(expr) [](double x, double y) { return (expr); }

enum Option { None = 0, Absolute = 1, Interior = 2, Limit = 4 };

// sum a_ij (x - sx)^i (y - sy)^j from (i, j, a_ij) triples.
Maker PolyXY(long dx, long dy, std::vector<std::array<double, 3>> terms, double sx = 0, double sy = 0) {
  return [=] {
    std::vector<double> flat((dx + 1) * (dy + 1), 0.0);
    for (const auto& t : terms)
      flat[long(t[0]) * (dy + 1) + long(t[1])] = t[2];
    return new XelMathPolynomXY(dx, dy, flat.data(), sx, sy);
  };
}

// Branin's function (non-polynomial) with exact first derivatives.
const double kB = 5.1 / (4 * kPi * kPi), kC = 5 / kPi, kT = 1 / (8 * kPi);
const Fn2 kBranin = XY((y - kB * x * x + kC * x - 6) * (y - kB * x * x + kC * x - 6) +
                       10 * (1 - kT) * std::cos(x) + 10);
Maker Branin() {
  return [] {
    return new FnXY(kBranin,
                    XY(2 * (y - kB * x * x + kC * x - 6) * (kC - 2 * kB * x) -
                       10 * (1 - kT) * std::sin(x)),
                    XY(2 * (y - kB * x * x + kC * x - 6)));
  };
}

template <std::size_t N> std::vector<Minimum> Table(const double (&t)[N][3]) {
  std::vector<Minimum> r;
  for (const auto& m : t)
    r.push_back({m[0], m[1], m[2]});
  return r;
}

struct Case {
  const char* name;
  Maker make;
  Fn2 closed; // the same function, written independently
  XelMathInterval2D box;
  std::vector<Minimum> minima; // every local minimum of the closed box, by increasing value
  int options;
  double limit;
  double near; // a found point matches a reference within this (max norm)
  int status;
};

std::vector<Case> Cases() {
  const Fn2 camel = XY((4 - 2.1 * x * x + x * x * x * x / 3) * x * x + x * y + (4 * y * y - 4) * y * y);
  const Maker camelP = PolyXY(6, 4, {{{2, 0, 4}, {4, 0, -2.1}, {6, 0, 1.0 / 3}, {1, 1, 1},
                                     {0, 2, -4}, {0, 4, 4}}});
  const Fn2 himmelblau = XY((x * x + y - 11) * (x * x + y - 11) + (x + y * y - 7) * (x + y * y - 7));
  const Maker himmelblauP = PolyXY(4, 4, {{{4, 0, 1}, {2, 1, 2}, {2, 0, -21}, {1, 2, 2}, {1, 0, -14},
                                         {0, 4, 1}, {0, 2, -13}, {0, 1, -22}, {0, 0, 170}}});
  const XelMathInterval2D camelBox(-3, 3, -2, 2), cutBox(-1, 2, -0.5, 1), himBox(-5, 5, -5, 5);
  const XelMathInterval2D unit(0, 1, 0, 1), square(-1, 1, -1, 1);
  const auto camels = Table(xelminima::kCamel), cut = Table(xelminima::kCamelCut);
  const auto hims = Table(xelminima::kHimmelblau);
  return {
      {"camel", camelP, camel, camelBox, camels, None, 0, 1e-6, 0},
      {"camel, absolute", camelP, camel, camelBox, camels, Absolute, 0, 1e-6, 0},
      {"camel, interior", camelP, camel, camelBox, camels, Interior, 0, 1e-6, 0},
      {"camel, limit -0.5", camelP, camel, camelBox, camels, Limit, -0.5, 1e-6, 0},
      {"camel, limit 0", camelP, camel, camelBox, camels, Limit, 0.0, 1e-6, 0},
      {"camel, cut box", camelP, camel, cutBox, cut, None, 0, 1e-6, 0},
      {"camel, cut box, interior", camelP, camel, cutBox, cut, Interior, 0, 1e-6, 0},
      {"Himmelblau", himmelblauP, himmelblau, himBox, hims, None, 0, 1e-6, 0},
      {"Himmelblau, absolute", himmelblauP, himmelblau, himBox, hims, Absolute, 0, 1e-6, 0},
      {"Branin", Branin(), kBranin, {-5, 10, 0, 15}, Table(xelminima::kBranin), None, 0, 1e-6, 0},
      {"Rosenbrock", PolyXY(4, 2, {{{0, 0, 1}, {1, 0, -2}, {2, 0, 1}, {0, 2, 100}, {2, 1, -200},
                                  {4, 0, 100}}}),
       XY((1 - x) * (1 - x) + 100 * (y - x * x) * (y - x * x)), {-2, 2, -1, 3},
       Table(xelminima::kRosenbrock), None, 0, 1e-5, 0},
      // (x - 0.3)^2 + (y + 0.5)^2: on the edge y = 0; (x - 1.5)^2 + (y + 0.5)^2: corner (1, 0).
      {"edge", PolyXY(2, 2, {{{2, 0, 1}, {0, 2, 1}}}, 0.3, -0.5),
       XY((x - 0.3) * (x - 0.3) + (y + 0.5) * (y + 0.5)), unit, {{0.3, 0, 0.25}}, None, 0, 1e-7, 0},
      {"edge, interior", PolyXY(2, 2, {{{2, 0, 1}, {0, 2, 1}}}, 0.3, -0.5),
       XY((x - 0.3) * (x - 0.3) + (y + 0.5) * (y + 0.5)), unit, {{0.3, 0, 0.25}}, Interior, 0, 1e-7, 0},
      {"corner", PolyXY(2, 2, {{{2, 0, 1}, {0, 2, 1}}}, 1.5, -0.5),
       XY((x - 1.5) * (x - 1.5) + (y + 0.5) * (y + 0.5)), unit, {{1, 0, 0.5}}, None, 0, 1e-9, 0},
      {"corner, interior", PolyXY(2, 2, {{{2, 0, 1}, {0, 2, 1}}}, 1.5, -0.5),
       XY((x - 1.5) * (x - 1.5) + (y + 0.5) * (y + 0.5)), unit, {{1, 0, 0.5}}, Interior, 0, 1e-9, 0},
      {"constant", PolyXY(0, 0, {{{0, 0, 3}}}), XY(3.0 + 0 * x * y), {0, 2, -1, 0}, {{1, -0.5, 3}},
       None, 0, 0.0, 2},
      // Degenerate bottoms: a value within 1e-10 only pins the point to about 3e-3.
      {"flat quartic", PolyXY(4, 4, {{{4, 0, 1}, {0, 4, 1}}}, 0.2, -0.1),
       XY(std::pow(x - 0.2, 4) + std::pow(y + 0.1, 4)), square, {{0.2, -0.1, 0}}, None, 0, 4e-3, 0},
      // (x + y)^4 + 0.01 (x - y - 0.2)^2 in u = x - 0.1, v = y + 0.1.
      {"flat valley",
       PolyXY(4, 4, {{{4, 0, 1}, {3, 1, 4}, {2, 2, 6}, {1, 3, 4}, {0, 4, 1}, {2, 0, 0.01},
                    {1, 1, -0.02}, {0, 2, 0.01}}}, 0.1, -0.1),
       XY(std::pow(x + y, 4) + 0.01 * (x - y - 0.2) * (x - y - 0.2)), square, {{0.1, -0.1, 0}}, None,
       0, 4e-3, 0},
  };
}

enum class Strategy { General, Direct };

// Direct: the same calls with the option "DirectMethod" in the list (an entry point that
// does not know the option runs its general search, which passes the same checks).
class MinimizeXYBattery : public ::testing::TestWithParam<Strategy> {
protected:
  // The list of the options iOptions (limit iLimit), with the strategy's own.
  XelMathAttrList Options(int iOptions, double iLimit = 0) {
    _limit = XelMathAttrDoubleValue("LimitValue", iLimit, 1);
    XelMathAttrList list;
    if (GetParam() == Strategy::Direct)
      list.AddAttribute(&_direct);
    if (iOptions & Absolute)
      list.AddAttribute(&_absolute);
    if (iOptions & Interior)
      list.AddAttribute(&_interior);
    if (iOptions & Limit)
      list.AddAttribute(&_limit);
    return list;
  }

private:
  XelMathAttrString _direct{"DirectMethod", 1}, _absolute{"AbsoluteExtremum", 1};
  XelMathAttrString _interior{"InteriorExtremum", 1};
  XelMathAttrDoubleValue _limit{"LimitValue", 0.0, 1};
};

TEST_P(MinimizeXYBattery, FindsPublishedMinimaUnderOptions) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    const XelMathInterval& I = c.box.GetX();
    const XelMathInterval& J = c.box.GetY();
    // The minima the options let through; the global ones among them.
    std::vector<Minimum> wanted;
    for (const Minimum& m : c.minima) {
      const bool boundary = m[0] == I.low || m[0] == I.high || m[1] == J.low || m[1] == J.high;
      if (!((c.options & Interior) && boundary) && !((c.options & Limit) && m[2] > c.limit))
        wanted.push_back(m);
    }
    const double best = c.minima[0][2];
    const long live = LiveBlocks();
    {
      std::unique_ptr<XelMathFunctionXY> f(c.make());
      XelMathSetOfPointsND found(2);
      const XelMathAttrList list = Options(c.options, c.limit);
      ASSERT_EQ(f->Minimize(c.box, found, &list), c.status);
      const long n = found.GetNumberOfPoints();
      std::vector<int> hits(wanted.size(), 0);
      for (long k = 0; k < n; ++k) {
        double p[2];
        found.GetPoint(k, p);
        long match = -1;
        for (std::size_t m = 0; m < wanted.size(); ++m)
          if (std::fabs(p[0] - wanted[m][0]) <= c.near && std::fabs(p[1] - wanted[m][1]) <= c.near)
            match = long(m);
        if (match < 0) {
          ADD_FAILURE() << "(" << p[0] << ", " << p[1] << ") is not a wanted minimum";
          continue;
        }
        ++hits[match];
        EXPECT_TRUE(I.low <= p[0] && p[0] <= I.high && J.low <= p[1] && p[1] <= J.high);
        EXPECT_NEAR(c.closed(p[0], p[1]), wanted[match][2], 1e-10);
      }
      for (std::size_t m = 0; m < wanted.size(); ++m) {
        const Minimum& w = wanted[m];
        EXPECT_LE(hits[m], 1) << "(" << w[0] << ", " << w[1] << ") reported twice";
        const bool global = std::fabs(w[2] - best) <= 1e-12 * (1 + std::fabs(best));
        const bool complete = GetParam() == Strategy::General;
        const bool required = !(c.options & Absolute) && (global || complete);
        if (required) {
          EXPECT_EQ(hits[m], 1) << "(" << w[0] << ", " << w[1] << ") missed";
        }
      }
      if (c.options & Absolute) {
        ASSERT_EQ(n, 1);
        double p[2];
        found.GetPoint(0, p);
        EXPECT_NEAR(c.closed(p[0], p[1]), best, 1e-10);
      }
    }
    EXPECT_EQ(LiveBlocks(), live);
  }
}

TEST_P(MinimizeXYBattery, MisuseRaisesAndNaNValuesStillReturn) {
  const std::unique_ptr<XelMathFunctionXY> bowl(PolyXY(2, 2, {{{2, 0, 1}, {0, 2, 1}}})());
  const XelMathInterval2D square(-1, 1, -1, 1);
  const XelMathAttrList plain = Options(None);
  XelMathSetOfPointsND wrong(3), found(2);
  ExpectInputError([&] { bowl->Minimize(square, wrong, &plain); }, 0x20006);
  XelMathAttrIntegerValue zero("SamplingPointsX", 0, 1);
  XelMathAttrList noGrid = Options(None);
  noGrid.AddAttribute(&zero);
  ExpectInputError([&] { bowl->Minimize(square, found, &noGrid); }, 0x20004);

  // Undefined on the left half, and everywhere: the search ends, every point reported is in
  // the box with a finite value.
  long evaluations = 0;
  const FnXY half([&](double x, double y) { return ++evaluations, std::sqrt(x) + y * y; });
  const FnXY nowhere([&](double, double) { return ++evaluations, std::nan(""); });
  for (const FnXY* f : {&half, &nowhere}) {
    evaluations = 0;
    const int status = f->Minimize(square, found, &plain);
    EXPECT_TRUE(status == 0 || status == 2 || status == 4 || status == 7) << status;
    EXPECT_LT(evaluations, 2000000);
    for (long k = 0; k < found.GetNumberOfPoints(); ++k) {
      double p[2];
      found.GetPoint(k, p);
      EXPECT_TRUE(std::fabs(p[0]) <= 1 && std::fabs(p[1]) <= 1);
      EXPECT_TRUE(std::isfinite(f->Eval(p[0], p[1])));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Strategies, MinimizeXYBattery,
                         ::testing::Values(Strategy::General, Strategy::Direct),
                         [](const ::testing::TestParamInfo<Strategy>& i) {
                           return std::string(i.param == Strategy::General ? "General" : "Direct");
                         });

} // namespace

// Functions known by their values only, with many minima: Rastrigin's on [-5.12, 5.12]^2 (121
// local minima, one near each point of the integer lattice; the global one 0 at the origin)
// and Shubert's on [-10, 10]^2 (760 local minima, 18 of them global, -186.7309). The default
// 12 x 12 grid showed 5 of Rastrigin's minima, not the global one, and 52 of Shubert's.
TEST(MinimizeXYValuesOnly, ManyMinimaOnTheDefaultGrid) {
  const double pi = 3.14159265358979323846;
  const FnXY rastrigin([pi](double x, double y) {
    return 20 + x * x - 10 * std::cos(2 * pi * x) + y * y - 10 * std::cos(2 * pi * y);
  });
  const FnXY shubert([](double x, double y) {
    double a = 0.0, b = 0.0;
    for (int i = 1; i <= 5; ++i) {
      a += i * std::cos((i + 1) * x + i);
      b += i * std::cos((i + 1) * y + i);
    }
    return a * b;
  });
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList absoluteOnly(&absolute);
  XelMathSetOfPointsND all(2), best(2);
  ASSERT_EQ(rastrigin.Minimize(XelMathInterval2D(-5.12, 5.12, -5.12, 5.12), all), 0);
  EXPECT_EQ(all.GetNumberOfPoints(), 121);
  for (long k = 0; k < all.GetNumberOfPoints(); ++k) {
    const double* p = all.GetPoints() + 2 * k;
    EXPECT_LT(std::hypot(p[0] - std::round(p[0]), p[1] - std::round(p[1])), 0.05);
  }
  ASSERT_EQ(rastrigin.Minimize(XelMathInterval2D(-5.12, 5.12, -5.12, 5.12), best, &absoluteOnly),
            0);
  ASSERT_EQ(best.GetNumberOfPoints(), 1);
  EXPECT_NEAR(best.GetPoints()[0], 0.0, 1e-6);
  EXPECT_NEAR(best.GetPoints()[1], 0.0, 1e-6);

  const XelMathInterval2D square(-10, 10, -10, 10);
  ASSERT_EQ(shubert.Minimize(square, all), 0);
  long global = 0;
  for (long k = 0; k < all.GetNumberOfPoints(); ++k)
    global += std::fabs(shubert.Eval(all.GetPoints()[2 * k], all.GetPoints()[2 * k + 1]) +
                        186.7309) < 1e-3;
  EXPECT_GE(all.GetNumberOfPoints(), 760);
  EXPECT_EQ(global, 18);
  ASSERT_EQ(shubert.Minimize(square, best, &absoluteOnly), 0);
  ASSERT_EQ(best.GetNumberOfPoints(), 1);
  EXPECT_NEAR(shubert.Eval(best.GetPoints()[0], best.GetPoints()[1]), -186.7309, 1e-3);
}
