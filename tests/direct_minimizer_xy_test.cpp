// The direct two-variable minimizer on published test functions, through both of its methods:
// polynomials and a function with interval images (branch and bound), the same functions known
// by their values only (DIRECT search); options, constant and flat functions, NaN, misuse.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathDirectMinimizerXY.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "test_helpers.h"
#include "xy_helpers.h"

namespace {

using namespace xeltest;
#define XY(expr) [](double x, double y) { return (expr); }

// Branin's function (a = 1, b = 5.1 / (4 pi^2), c = 5 / pi, r = 6, s = 10, t = 1 / (8 pi)) with
// exact first derivatives and interval images of them by reference interval arithmetic.
const double kB = 5.1 / (4 * kPi * kPi), kC = 5 / kPi, kT = 1 / (8 * kPi);
double Branin(double x, double y) {
  const double q = y - kB * x * x + kC * x - 6;
  return q * q + 10 * (1 - kT) * std::cos(x) + 10;
}
class BraninXY : public FnXY {
public:
  BraninXY()
      : FnXY(
            Branin,
            XY(2 * (y - kB * x * x + kC * x - 6) * (kC - 2 * kB * x) - 10 * (1 - kT) * std::sin(x)),
            XY(2 * (y - kB * x * x + kC * x - 6))) {}
  unsigned char IsOption(const long o) const override { return (o & ~(2L | 16L | 32L)) == 0; }
  using FnXY::Eval;
  using FnXY::EvalFirstDerivX;
  using FnXY::EvalFirstDerivY;
  XelMathInterval Q(const XelMathInterval& I, const XelMathInterval& J) const {
    return IAdd(IAdd(J, IScale(-kB, ISquare(I))), IAdd(IScale(kC, I), XelMathInterval(-6, -6)));
  }
  XelMathInterval Eval(const XelMathInterval& I, const XelMathInterval& J,
                       const XelTolerance&) const override {
    const XelMathInterval c = ISin(I.low + kPi / 2, I.high + kPi / 2);
    return IAdd(ISquare(Q(I, J)), IAdd(IScale(10 * (1 - kT), c), XelMathInterval(10, 10)));
  }
  XelMathInterval EvalFirstDerivX(const XelMathInterval& I,
                                  const XelMathInterval& J) const override {
    const XelMathInterval d = IAdd(IScale(-2 * kB, I), XelMathInterval(kC, kC));
    return IAdd(IScale(2, IMul(Q(I, J), d)), IScale(-10 * (1 - kT), ISin(I.low, I.high)));
  }
  XelMathInterval EvalFirstDerivY(const XelMathInterval& I,
                                  const XelMathInterval& J) const override {
    return IScale(2, Q(I, J));
  }
};

using Points = std::vector<std::vector<double>>;
struct Case {
  const char* name;
  Fn2 f;
  long dx, dy;                // degrees of the polynomial form (-1: Branin's interval class)
  std::vector<double> coeffs; // a_ij at i (dy + 1) + j
  XelMathInterval2D box;
  Points global; // every point of least value
  double fmin;
};

const double k3 = 1.0 / 3;
// clang-format off
const std::vector<Case> kCases = {
    {"six-hump camel",
     XY((4 - 2.1 * x * x + x * x * x * x / 3) * x * x + x * y + (4 * y * y - 4) * y * y), 6, 4,
     {0, 0, -4, 0, 4,  0, 1, 0, 0, 0,  4, 0, 0, 0, 0,  0, 0, 0, 0, 0,  -2.1, 0, 0, 0, 0,
      0, 0, 0, 0, 0,  k3, 0, 0, 0, 0},
     {-3, 3, -2, 2}, {{0.0898420131003, -0.7126564030207}, {-0.0898420131003, 0.7126564030207}},
     -1.0316284534898774},
    {"Himmelblau", XY((x * x + y - 11) * (x * x + y - 11) + (x + y * y - 7) * (x + y * y - 7)), 4, 4,
     {170, -22, -13, 0, 1,  -14, 0, 2, 0, 0,  -21, 2, 0, 0, 0,  0, 0, 0, 0, 0,  1, 0, 0, 0, 0},
     {-5, 5, -5, 5},
     {{3, 2}, {-2.805118086952745, 3.131312518250573}, {-3.779310253377747, -3.283185991286170},
      {3.584428340330492, -1.848126526964404}}, 0},
    {"Branin", Branin, -1, -1, {}, {-5, 10, 0, 15},
     {{-kPi, 12.275}, {kPi, 2.275}, {3 * kPi, 2.475}}, 0.39788735772973816},
    {"Rosenbrock", XY((1 - x) * (1 - x) + 100 * (y - x * x) * (y - x * x)), 4, 2,
     {1, 0, 100,  -2, 0, 0,  1, -200, 0,  0, 0, 0,  100, 0, 0}, {-2, 2, -1, 3}, {{1, 1}}, 0},
    // Steep: by its expanded coefficients the values scatter by 1e-12 around (1, 1), more than
    // the slack between two points of one minimum (60 points of it came back).
    {"steep Rosenbrock", XY((1 - x) * (1 - x) + 1e4 * (y - x * x) * (y - x * x)), 4, 2,
     {1, 0, 1e4,  -2, 0, 0,  1, -2e4, 0,  0, 0, 0,  1e4, 0, 0}, {-2, 2, -1, 3}, {{1, 1}}, 0},
    {"edge", XY((x - 0.5) * (x - 0.5) + y), 2, 1, {0.25, 1,  -1, 0,  1, 0}, {0, 1, 0, 1},
     {{0.5, 0}}, 0},
    {"corner", XY((x - 2) * (x - 2) + y), 2, 1, {4, 1,  -4, 0,  1, 0}, {0, 1, 0, 1}, {{1, 0}}, 1},
};
// clang-format on

// The function of a case by its method: polynomial or interval class, or values only.
std::unique_ptr<XelMathFunctionXY> Make(const Case& c, bool intervals) {
  if (!intervals)
    return std::unique_ptr<XelMathFunctionXY>(new FnXY(c.f));
  if (c.dx < 0)
    return std::unique_ptr<XelMathFunctionXY>(new BraninXY);
  return std::unique_ptr<XelMathFunctionXY>(new XelMathPolynomXY(c.dx, c.dy, c.coeffs.data()));
}

int MinimizeBy(const XelMathFunctionXY& f, const XelMathInterval2D& box,
               XelMathSetOfPointsND& found, const XelMathAttrList* list) {
  XelMathDirectMinimizerXY m(&f, DefaultTol());
  return m.Minimize(box, found, list);
}

// Where p is among the points q (within 1e-6), how many times.
int Hits(const std::vector<double>& p, const XelMathSetOfPointsND& q) {
  int hits = 0;
  for (long k = 0; k < q.GetNumberOfPoints(); ++k)
    hits +=
        std::fabs(q.GetPoints()[2 * k] - p[0]) + std::fabs(q.GetPoints()[2 * k + 1] - p[1]) <= 1e-6;
  return hits;
}

TEST(DirectMinimizerXY, PublishedFunctionsByBothMethodsAndModes) {
  XelMathAttrString absolute("AbsoluteExtremum", 1), interior("InteriorExtremum", 1);
  XelMathAttrList absList(&absolute), innerList(&interior);
  const long live = LiveBlocks();
  for (const Case& c : kCases)
    for (const bool intervals : {true, false}) {
      const auto f = Make(c, intervals);
      const std::string what = std::string(c.name) + (intervals ? " (intervals)" : " (values)");
      for (double x : {-0.7, 0.3, 1.9}) // the two forms are one function
        EXPECT_NEAR(f->Eval(x, x - 0.2), c.f(x, x - 0.2), 1e-12 * (1 + std::fabs(c.f(x, x - 0.2))));
      ASSERT_EQ(f->IsOption(48), intervals) << what;
      // Every minimum: each global one once, at its value; the others are local minima.
      XelMathSetOfPointsND found(2);
      EXPECT_EQ(MinimizeBy(*f, c.box, found, nullptr), 0) << what;
      for (const auto& p : c.global) {
        EXPECT_EQ(Hits(p, found), 1) << what << " at " << p[0] << ", " << p[1];
      }
      const XelMathInterval& I = c.box.GetX();
      const XelMathInterval& J = c.box.GetY();
      for (long k = 0; k < found.GetNumberOfPoints(); ++k) {
        const double x = found.GetPoints()[2 * k], y = found.GetPoints()[2 * k + 1], v = c.f(x, y);
        EXPECT_GE(v, c.fmin - 1e-10) << what;
        for (int a = 0; a < 8; ++a) {
          const double px = std::fmin(std::fmax(x + 1e-3 * std::cos(a * kPi / 4), I.low), I.high);
          const double py = std::fmin(std::fmax(y + 1e-3 * std::sin(a * kPi / 4), J.low), J.high);
          EXPECT_LE(v, c.f(px, py) + 1e-12) << what << ": not a minimum at " << x << ", " << y;
        }
      }
      // Only the best one: one of the global minima, within 1e-10 of the published value.
      EXPECT_EQ(MinimizeBy(*f, c.box, found, &absList), 0) << what;
      ASSERT_EQ(found.GetNumberOfPoints(), 1) << what;
      const double* p = found.GetPoints();
      EXPECT_NEAR(c.f(p[0], p[1]), c.fmin, 1e-10) << what;
      int globals = 0;
      for (const auto& q : c.global)
        globals += Hits(q, found);
      EXPECT_EQ(globals, 1) << what;
      // Inside only: the minima on an edge or a corner are not reported.
      EXPECT_EQ(MinimizeBy(*f, c.box, found, &innerList), 0) << what;
      const bool inside = std::string(c.name) != "edge" && std::string(c.name) != "corner";
      for (const auto& q : c.global)
        EXPECT_EQ(Hits(q, found), inside ? 1 : 0) << what << " (interior)";
      if (!inside) {
        EXPECT_EQ(found.GetNumberOfPoints(), 0) << what << " (interior)";
      }
    }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(DirectMinimizerXY, LimitConstantRingNaNAndMisuse) {
  XelMathSetOfPointsND found(2);
  // Under a limit of -1, only the two global minima of the camel (the others are above).
  XelMathAttrDoubleValue limit("LimitValue", -1.0, 1);
  XelMathAttrList limList(&limit);
  for (const bool intervals : {true, false}) {
    const auto camel = Make(kCases[0], intervals);
    limit.SetValue(-1.0);
    EXPECT_EQ(MinimizeBy(*camel, kCases[0].box, found, &limList), 0);
    EXPECT_EQ(found.GetNumberOfPoints(), 2);
    limit.SetValue(-kInf); // nothing is below it
    EXPECT_EQ(MinimizeBy(*camel, kCases[0].box, found, &limList), 0);
    EXPECT_EQ(found.GetNumberOfPoints(), 0);
  }
  // From a single first box (one start at its centre), the branch and bound alone finds
  // every global minimum.
  XelMathAttrIntegerValue oneX("SamplingPointsX", 1, 1), oneY("SamplingPointsY", 1, 1);
  XelMathAttrList one(&oneX);
  one.AddAttribute(&oneY);
  for (const Case& c : kCases) {
    EXPECT_EQ(MinimizeBy(*Make(c, true), c.box, found, &one), 0) << c.name;
    for (const auto& p : c.global)
      EXPECT_EQ(Hits(p, found), 1) << c.name << " from one box";
  }
  // Without images, a narrow deep well away from the bowl's bottom is still the best.
  const FnXY well(
      XY(x * x + y * y - 2 * std::exp(-((x - 0.6) * (x - 0.6) + (y + 0.7) * (y + 0.7)) / 1e-3)));
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList absList(&absolute);
  EXPECT_EQ(MinimizeBy(well, XelMathInterval2D(-1, 1, -1, 1), found, &absList), 0);
  ASSERT_EQ(found.GetNumberOfPoints(), 1);
  EXPECT_NEAR(found.GetPoints()[0], 0.6, 0.01);
  EXPECT_NEAR(found.GetPoints()[1], -0.7, 0.01);
  // A constant: status 2 and the centre.
  const double three = 3.0;
  const XelMathPolynomXY cst(0, 0, &three);
  const FnXY flat(XY(0 * x * y + 3.0));
  for (const XelMathFunctionXY* f : {static_cast<const XelMathFunctionXY*>(&cst),
                                     static_cast<const XelMathFunctionXY*>(&flat)}) {
    EXPECT_EQ(MinimizeBy(*f, XelMathInterval2D(0, 2, -1, 0), found, nullptr), 2);
    ASSERT_EQ(found.GetNumberOfPoints(), 1);
    EXPECT_EQ(found.GetPoints()[0], 1.0);
    EXPECT_EQ(found.GetPoints()[1], -0.5);
  }
  // A ring of minima: points on it, in bounded work.
  const double ring[] = {1, 0, -2, 0, 1, 0, 0, 0, 0, 0, -2, 0, 2,
                         0, 0, 0,  0, 0, 0, 0, 1, 0, 0, 0,  0};
  const XelMathPolynomXY ringP(4, 4, ring);
  const FnXY ringF(XY((x * x + y * y - 1) * (x * x + y * y - 1)));
  for (const XelMathFunctionXY* f : {static_cast<const XelMathFunctionXY*>(&ringP),
                                     static_cast<const XelMathFunctionXY*>(&ringF)}) {
    EXPECT_EQ(MinimizeBy(*f, XelMathInterval2D(-2, 2, -2, 2), found, nullptr), 0);
    ASSERT_GE(found.GetNumberOfPoints(), 1);
    for (long k = 0; k < found.GetNumberOfPoints(); ++k)
      EXPECT_NEAR(std::hypot(found.GetPoints()[2 * k], found.GetPoints()[2 * k + 1]), 1, 1e-6);
  }
  // NaN everywhere: nothing; NaN on half the rectangle: the minimum of the other half.
  const FnXY nan(XY(x * y * kNaN));
  EXPECT_EQ(MinimizeBy(nan, XelMathInterval2D(-1, 1, -1, 1), found, nullptr), 0);
  EXPECT_EQ(found.GetNumberOfPoints(), 0);
  const FnXY half(XY(x > 0 ? kNaN : (x + 0.5) * (x + 0.5) + y * y));
  EXPECT_EQ(MinimizeBy(half, XelMathInterval2D(-1, 1, -1, 1), found, nullptr), 0);
  ASSERT_GE(found.GetNumberOfPoints(), 1);
  EXPECT_NEAR(found.GetPoints()[0], -0.5, 1e-7);
  EXPECT_NEAR(found.GetPoints()[1], 0, 1e-7);
  // Every minimum, where the descents stopped short of it: on the floor of a steep valley
  // (by values, and with the gradient), where f still falls along the floor; on the oblique
  // line x = y / 2 beyond which f is NaN, along which f falls to (1/4, 1/2). Powell's badly
  // scaled function: the two minima of value 0 (mpmath) at the ends of a valley that forks
  // near the origin, where the descents started and took one branch.
  const Fn2 steep = XY((1 - x) * (1 - x) + 1e6 * (y - x * x) * (y - x * x));
  const FnXY valley(steep), valleyGradient(steep, XY(-2 * (1 - x) - 4e6 * x * (y - x * x)),
                                           XY(2e6 * (y - x * x)));
  const FnXY oblique(XY(std::sqrt(x - y / 2) + (y - 0.5) * (y - 0.5)));
  const FnXY powell(XY(std::pow(1e4 * x * y - 1, 2) +
                       std::pow(std::exp(-x) + std::exp(-y) - 1.0001, 2)));
  const double pa = 1.0981593296998174556837616456e-5, pb = 9.1061467398665240109467104903;
  const struct {
    const FnXY* f;
    XelMathInterval2D box;
    Points minima;
  } complete[] = {{&valley, {-2, 2, -1, 3}, {{1, 1}}},
                  {&valleyGradient, {-2, 2, -1, 3}, {{1, 1}}},
                  {&oblique, {-1, 1, 0, 1}, {{0.25, 0.5}}},
                  {&powell, {0, 10, 0, 10}, {{pa, pb}, {pb, pa}}}};
  for (const auto& c : complete) {
    EXPECT_EQ(MinimizeBy(*c.f, c.box, found, nullptr), 0);
    EXPECT_EQ(found.GetNumberOfPoints(), long(c.minima.size())) << c.minima[0][0];
    for (const auto& p : c.minima)
      EXPECT_EQ(Hits(p, found), 1) << p[0] << ", " << p[1];
  }
  // Beside a pole the descents close on the double next to it (f = -5e14); beside the line
  // where a logarithm starts, on a point 1e-15 from it: neither is a minimum.
  const FnXY pole(XY(1 / (x - 0.3) + y * y));
  const FnXY log(XY(x * x + y * y + std::log(x + y - 0.5)));
  EXPECT_EQ(MinimizeBy(pole, XelMathInterval2D(-1, 1, -1, 1), found, nullptr), 0);
  ASSERT_EQ(found.GetNumberOfPoints(), 1);
  EXPECT_EQ(Hits({1, 0}, found), 1);
  EXPECT_EQ(MinimizeBy(log, XelMathInterval2D(-1, 1, -1, 1), found, nullptr), 0);
  EXPECT_EQ(found.GetNumberOfPoints(), 0);
  // Misuse raises; a refused rectangle is a status.
  XelMathSetOfPointsND wrong(3);
  ExpectInputError([&] { MinimizeBy(cst, XelMathInterval2D(0, 1, 0, 1), wrong, nullptr); }, 0x20006,
                   {"the XelMathSetOfPointsND", "2", "XelMathDirectMinimizerXY::Minimize"});
  XelMathAttrIntegerValue none("SamplingPointsX", 0, 1);
  XelMathAttrList noGrid(&none);
  ExpectInputError([&] { MinimizeBy(cst, XelMathInterval2D(0, 1, 0, 1), found, &noGrid); },
                   0x20004);
  for (const char* key : {"LimitValue", "TolForCst"}) {
    XelMathAttrDoubleValue nanValue(key, kNaN, 1);
    XelMathAttrList nanList(&nanValue);
    ExpectInputError([&] { MinimizeBy(cst, XelMathInterval2D(0, 1, 0, 1), found, &nanList); },
                     0x20006, {key, "NaN", "XelMathDirectMinimizerXY::Minimize"});
  }
  EXPECT_EQ(MinimizeBy(cst, XelMathInterval2D(1, 0, 0, 1), found, nullptr), 4);
  EXPECT_EQ(MinimizeBy(cst, XelMathInterval2D(0, kInf, 0, 1), found, nullptr), 4);
  EXPECT_EQ(MinimizeBy(cst, XelMathInterval2D(-1e308, 1e308, 0, 1), found, nullptr), 4);
}

} // namespace
