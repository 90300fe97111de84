// Two-variable composites: fraction, piecewise grid of patches (and its extension), separable
// sum, squared distance of two curves. Derivatives up to the third order against nested
// fourth-order centred differences of independent closed forms; interval images against dense
// samples (boxes straddling breakpoints, boxes holding a pole); patch lookup against
// hand-computed patches; ownership against counters of live leaves and kernel blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathConstants.h"
#include "XelMathFractionXY.h"
#include "XelMathGlobals.h"
#include "XelMathInterval2D.h"
#include "XelMathLinearXY.h"
#include "XelMathOppositeXY.h"
#include "XelMathPiecewiseXY.h"
#include "XelMathScaleFunctionXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSquareDistXYs.h"
#include "XelMathSumXYs.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "reference_functions.h"
#include "test_helpers.h"
#include "xy_helpers.h"

namespace {

using namespace xeltest;
using Ptr = std::unique_ptr<XelMathFunctionXY>;

const auto A0 = [](int a, int b, double x, double y) { return ClosedD(0, 0.0, a, b, x, y); };

// The composites under test, each owning its leaves, with an independent closed form.
struct Case {
  const char* name;
  std::function<XelMathFunctionXY*()> make;
  Fn2 value;
  XelMathInterval I, J;
  double tol; // relative tolerance of the derivative check
};

const double kBx[3] = {-1, 0.2, 1}, kBy[4] = {-1, -0.3, 0.4, 1};

XelMathFunctionXY* MakeGrid() {
  XelMathFunctionXY* patches[6];
  double sx[6], sy[6];
  for (int p = 0; p < 6; ++p) {
    patches[p] = new ClosedXY(p % 2, p % 2 ? 2.0 + p : 0.1 * p);
    sx[p] = 0.1 * p;
    sy[p] = -0.05 * p;
  }
  return new XelMathPiecewiseXYDel(2, kBx, 3, kBy, patches, sx, sy);
}

double GridValue(double x, double y) {
  const int i = x > 0.2, j = (y > -0.3) + (y > 0.4), p = 3 * i + j;
  return ClosedD(p % 2, p % 2 ? 2.0 + p : 0.1 * p, 0, 0, x - kBx[i] + 0.1 * p,
                 y - kBy[j] - 0.05 * p);
}

XelMathFunctionXY* MakeExtended() {
  const double b[2] = {0, 1};
  XelMathFunctionXY* patch[1] = {new ClosedXY(0, 0.0)};
  XelMathPiecewiseXY* f = new XelMathPiecewiseXYDel(1, b, 1, b, patch, nullptr, nullptr);
  f->Extrapol(-1, 2, -1, 2);
  return f;
}

// First-order extension of A0 beyond the unit square.
double ExtendedValue(double x, double y) {
  const double ex = std::min(std::max(x, 0.0), 1.0), ey = std::min(std::max(y, 0.0), 1.0);
  const double t = x - ex, s = y - ey;
  return A0(0, 0, ex, ey) + t * A0(1, 0, ex, ey) + s * A0(0, 1, ex, ey) + t * s * A0(1, 1, ex, ey);
}

XelMathFunctionXY* MakeDistance3() {
  XelMathFunctionX* u[3] = {new ExpX(1, 0.5), new SineX(1, 0), new QuadX(1, -0.5, 0.2)};
  XelMathFunctionX* v[3] = {new SineX(2, 0.1), new ExpX(0.5, -1), new QuadX(-0.3, 1, 0)};
  return new XelMathSquareDistXYsDel(3, u, v);
}

std::vector<Case> Cases() {
  const XelMathInterval unit(-1, 1);
  return {
      {"fraction",
       [] { return new XelMathFractionXYDel(new ClosedXY(0, 0.3), new ClosedXY(1, 3.0)); },
       [](double x, double y) { return (A0(0, 0, x, y) + 0.3) / (x - y * y + 3); }, unit, unit,
       1e-6},
      {"sum", [] { return new XelMathSumXYsDel(new ExpX(0.7, 1.3), new SineX(2, 0.4, 0.5)); },
       [](double x, double y) { return 0.7 * std::exp(1.3 * x) + std::sin(2 * y + 0.4) + 0.5 * y; },
       unit, unit, 1e-6},
      {"distance n=3", MakeDistance3,
       [](double x, double y) {
         const double r[3] = {std::exp(0.5 * x) - std::sin(2 * y + 0.1),
                              std::sin(x) - 0.5 * std::exp(-y),
                              x * x - 0.5 * x + 0.2 - (-0.3 * y * y + y)};
         return r[0] * r[0] + r[1] * r[1] + r[2] * r[2];
       },
       unit, unit, 1e-6},
      {"piecewise", MakeGrid, GridValue, unit, unit, 1e-6},
      {"extended piecewise", MakeExtended, ExtendedValue, XelMathInterval(-1, 2),
       XelMathInterval(-1, 2), 1e-5},
  };
}

// Whether x lies within d of one of the breakpoints of the grids above.
bool NearBreak(double x, double d) {
  for (double b : {-0.3, 0.0, 0.2, 0.4, 1.0})
    if (std::fabs(x - b) < d)
      return true;
  return false;
}

TEST(CompositesXY, DerivativesMatchDifferencesAndImagesEncloseSamples) {
  std::mt19937 gen(7);
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    Ptr f(c.make());
    std::uniform_real_distribution<double> ux(c.I.low, c.I.high), uy(c.J.low, c.J.high);
    for (int n = 0; n < 12; ++n) {
      double x = ux(gen), y = uy(gen), o[3][10];
      if (n < 5) {
        const double a = ux(gen), d = uy(gen);
        ExpectImagesEncloseXY(*f, XelMathInterval(std::min(a, x), std::max(a, x)),
                              XelMathInterval(std::min(d, y), std::max(d, y)));
      }
      if (NearBreak(x, 0.06) || NearBreak(y, 0.06))
        continue;
      RoutesXY(*f, x, y, o);
      for (int k = 0; k < 10; ++k) {
        const double ref = StencilXY(c.value, kOrdersXY[k][0], kOrdersXY[k][1], x, y, 4e-3);
        for (int r = 0; r < 3; ++r)
          EXPECT_NEAR(o[r][k], ref, c.tol * (1 + std::fabs(ref)))
              << "output " << k << " route " << r << " at " << x << ", " << y;
      }
    }
  }
  // Boxes across breakpoints (where the function jumps) and across the old grid's edge.
  Ptr grid(MakeGrid()), extended(MakeExtended());
  for (const XelMathInterval2D& box :
       {XelMathInterval2D(0.1, 0.3, -0.5, 0.5), XelMathInterval2D(-1, 1, -1, 1),
        XelMathInterval2D(0.2, 0.2, -0.3, 0.4), XelMathInterval2D(-3, -2, 2, 3)})
    ExpectImagesEncloseXY(*grid, box.GetX(), box.GetY());
  ExpectImagesEncloseXY(*extended, XelMathInterval(0.5, 1.5), XelMathInterval(0.8, 1.9));
}

TEST(CompositesXY, FractionRaisesAtAZeroOfTheDenominatorButNotOverABox) {
  // q = (exp(x) sin(y) + x^2 y) / (x - y^2): g vanishes on x = y^2.
  ClosedXY* g = new ClosedXY(1, 0.0);
  g->loose = 0.5; // a loose image, as interval arithmetic gives: refinement needed
  XelMathFractionXYDel q(new ClosedXY(0, 0.0), g);
  const std::vector<std::string> texts = {"XelMathFractionXY::Eval", "with a null denominator"};
  ExpectInputError([&] { q.Eval(4.0, 2.0); }, 0x20005, texts);
  ExpectInputError([&] { q.EvalThirdDerivXY2(0.25, -0.5); }, 0x20005, texts);
  // A box across the zero curve: the whole line, no error; boxes beside it: finite.
  const XelMathInterval I(-0.5, 0.5), across = q.Eval(I, I, DefaultTol());
  EXPECT_LE(across.low, -XelMathInfinite);
  EXPECT_GE(across.high, XelMathInfinite);
  EXPECT_NO_THROW(q.ComputeOptimalImage(I, I, DefaultTol()));
  // A wrapper's guaranteed image samples the fraction, possibly on the zero curve: unbounded.
  const XelMathOppositeXY minusQ(&q);
  const XelMathScaleFunctionXY scaledQ(&q, 2.0, 1.0, 1.0);
  for (const XelMathFunctionXY* w : {static_cast<const XelMathFunctionXY*>(&minusQ),
                                     static_cast<const XelMathFunctionXY*>(&scaledQ)}) {
    const XelMathInterval image = w->ComputeOptimalImage(I, I, DefaultTol());
    EXPECT_TRUE(image.low <= -XelMathInfinite && image.high >= XelMathInfinite);
  }
  // g in [0.2, 0.75] and in [-1, -0.14], with images that hold 0 until the box is bisected.
  ExpectImagesEncloseXY(q, XelMathInterval(0.45, 0.75), XelMathInterval(-0.5, 0.1));
  ExpectImagesEncloseXY(q, XelMathInterval(0.0, 0.5), XelMathInterval(0.8, 1.0));
}

TEST(CompositesXY, PiecewiseLookupTakesTheLowerPatchOnABreakpoint) {
  // 2 x 3 patches over x in 0, 1, 2 and y in 0, 1, 2, 3; patch p = 3 i + j is x - y^2 + 10 p
  // with start values 0.01 p and -0.02 p.
  const double bx[3] = {0, 1, 2}, by[4] = {0, 1, 2, 3};
  double sx[6], sy[6];
  const XelMathFunctionXY* patches[6];
  std::vector<Ptr> leaves;
  for (int p = 0; p < 6; ++p) {
    leaves.emplace_back(new ClosedXY(1, 10.0 * p));
    patches[p] = leaves.back().get();
    sx[p] = 0.01 * p;
    sy[p] = -0.02 * p;
  }
  const XelMathPiecewiseXY f(2, bx, 3, by, patches, sx, sy);
  // The memory it reports is what it holds from the memory services.
  const long held = XelQuorGetMemoryCounters().liveBytes;
  {
    const XelMathPiecewiseXY counted(2, bx, 3, by, patches, sx, sy);
    EXPECT_EQ(XelQuorGetMemoryCounters().liveBytes - held, counted.GetDynamicMemoryBytes());
  }
  // Affine patches add in closed form on one grid with the same start values, not when the
  // start values differ in y; with no patch in y there is nothing to bound.
  const XelMathLinearXY lin(1.0, -2.0, 0.5);
  const XelMathFunctionXY* flat[6] = {&lin, &lin, &lin, &lin, &lin, &lin};
  const XelMathPiecewiseXY lf(2, bx, 3, by, flat, sx, sy), lg(2, bx, 3, by, flat, sx, nullptr),
      none(2, bx, 0, by, flat, nullptr, nullptr);
  const XelMathFunctionXY *pair[2] = {&lf, &lf}, *mixed[2] = {&lf, &lg};
  const double ones[2] = {1.0, 1.0};
  EXPECT_NE(Ptr(lf.FormalCombination(2, pair, ones, 0.0)), nullptr);
  EXPECT_EQ(lf.FormalCombination(2, mixed, ones, 0.0), nullptr);
  EXPECT_EQ(none.Eval(XelMathInterval(0, 1), XelMathInterval(0, 1), DefaultTol()).high,
            XelMathInfinite);
  struct Row {
    double x, y;
    long i, j;
    double lx, ly;
  };
  const std::vector<Row> rows = {{1, 1, 0, 0, 1, 1},           {1.5, 2.5, 1, 2, 0.5, 0.5},
                                 {-1, 0.5, 0, 0, -1, 0.5},     {3, 4, 1, 2, 2, 2},
                                 {2, 3, 1, 2, 1, 1},           {0, 0, 0, 0, 0, 0},
                                 {1 + 1e-9, 2, 1, 1, 1e-9, 1}, {0.5, 2 + 1e-9, 0, 2, 0.5, 1e-9},
                                 {0.5, -5, 0, 0, 0.5, -5}};
  for (int dev : {0, 1}) {
    _PieceWiseXY_Dev = dev;
    for (int pass = 0; pass < 2; ++pass)
      for (std::size_t r = 0; r < rows.size(); ++r) {
        const Row& w = rows[pass ? rows.size() - 1 - r : r]; // both orders: the cache
        long i, j;
        double lx, ly;
        f.GlobalToLocal(w.x, w.y, i, lx, j, ly);
        const long p = 3 * w.i + w.j;
        EXPECT_TRUE(i == w.i && j == w.j) << w.x << ", " << w.y;
        EXPECT_NEAR(lx, w.lx + 0.01 * p, 1e-15);
        EXPECT_NEAR(ly, w.ly - 0.02 * p, 1e-15);
        EXPECT_NEAR(f.Eval(w.x, w.y), lx - ly * ly + 10.0 * p, 1e-12);
      }
  }
  _PieceWiseXY_Dev = 0;
}

TEST(CompositesXY, ConstructionRefusesBadInputBeforeAllocating) {
  const long blocks = LiveBlocks();
  const double good[3] = {0, 1, 2}, flat[3] = {0, 1, 1}, nan[3] = {0, kNaN, 2};
  const long big = 1L << 40;
  ClosedXY leaf(0, 0.0);
  const XelMathFunctionXY* four[4] = {&leaf, &leaf, &leaf, &leaf};
  QuadX line(0, 1, 0);
  const XelMathFunctionX* curves[4] = {&line, &line, &line, &line};
  const std::vector<std::string> dim = {"the dimension", "1",
                                        "XelMathSquareDistXYs::XelMathSquareDistXYs"};
  struct Bad {
    std::function<void()> build;
    long code;
    std::vector<std::string> texts;
  };
  const std::vector<Bad> table = {
      {[&] { XelMathSquareDistXYs d(4, curves, curves); }, 0x20006, dim},
      {[&] { XelMathSquareDistXYs d(0, curves, curves); }, 0x20006, dim},
      {[&] { XelMathPiecewiseXY p(2, flat, 2, good, four, nullptr, nullptr); }, 0x2000b, {}},
      {[&] { XelMathPiecewiseXY p(2, good, 2, nan, four, nullptr, nullptr); }, 0x2000b, {}},
      {[&] { XelMathPiecewiseXY p(-1, good, 2, good, four, nullptr, nullptr); }, 0x20006, {}},
      {[&] { XelMathPiecewiseXY p(big, good, big, good, four, nullptr, nullptr); }, 0x20006, {}},
      {[&] { XelMathPiecewiseXY p(2, good, 2, good, nullptr, nullptr, nullptr); }, 0x20006, {}},
  };
  for (const Bad& b : table)
    ExpectInputError(b.build, b.code, b.texts);
  EXPECT_EQ(LiveBlocks(), blocks);
}

TEST(CompositesXY, OwningVariantsDeleteEachComponentOnce) {
  const long blocks = LiveBlocks(), leaves = gLiveLeaves, leavesXY = gLiveXY;
  {
    ClosedXY* kept = new ClosedXY(1, 2.0);
    std::vector<Ptr> all;
    all.emplace_back(new XelMathFractionXYDel(new ClosedXY(0, 1.0), new ClosedXY(1, 3.0)));
    all.emplace_back(new XelMathFractionXYDel(new ClosedXY(0, 1.0), kept, 0));
    ExpX* u = new ExpX(1, 1);
    all.emplace_back(new XelMathSumXYsDel2(u, u));
    all.emplace_back(new XelMathSumXYsDel(new ExpX(1, 2), new SineX(1, 0)));
    ExpX* shared = new ExpX(2, 1);
    XelMathFunctionX* us[2] = {shared, shared};
    XelMathFunctionX* vs[2] = {new SineX(1, 0), shared};
    all.emplace_back(new XelMathSquareDistXYsDel(2, us, vs));
    ClosedXY* twice = new ClosedXY(0, 0.0);
    XelMathFunctionXY* patches[4] = {twice, new ClosedXY(1, 1.0), twice, new ClosedXY(1, 2.0)};
    XelMathPiecewiseXYDel* grid =
        new XelMathPiecewiseXYDel(2, kBx, 2, kBx, patches, nullptr, nullptr);
    grid->Extrapol(-2, 2, -3, 3);
    grid->Extrapol(-4, 4, -5, 5); // extensions of extensions
    all.emplace_back(grid);
    const std::size_t n = all.size();
    for (std::size_t k = 0; k < n; ++k) {
      all.emplace_back(all[k]->DeepDuplicate());
      all.emplace_back(all[k]->Duplicate());
      EXPECT_NEAR(all.back()->Eval(0.3, -0.4), all[k]->Eval(0.3, -0.4), 1e-14);
      EXPECT_NEAR(all[n + 2 * k]->Eval(3.5, 4.5), all[k]->Eval(3.5, 4.5), 1e-12);
    }
    all.clear();
    EXPECT_EQ(gLiveXY, leavesXY + 1); // the denominator not owned
    delete kept;
  }
  EXPECT_EQ(gLiveXY, leavesXY);
  EXPECT_EQ(gLiveLeaves, leaves);
  EXPECT_EQ(LiveBlocks(), blocks);
}

TEST(CompositesXY, ClosedFormsOfCombinationsAndRestrictions) {
  ClosedXY a(0, 0.5), b(0, -1.0), g(1, 3.0), h(1, 4.0);
  const XelMathFractionXY qa(&a, &g, DefaultTol()), qb(&b, &g, DefaultTol()),
      qh(&b, &h, DefaultTol());
  const double c[2] = {2.0, -1.5};
  const XelMathFunctionXY* same[2] = {&qa, &qb};
  const XelMathFunctionXY* other[2] = {&qa, &qh};
  Ptr sum(CreateCombination(2, same, c, 0.25));
  ASSERT_TRUE(sum && sum->IsAKindOf("XelMathFractionXY"));
  EXPECT_EQ(qa.FormalCombination(2, other, c, 0.25), nullptr); // not one denominator
  ExpX eu(1, 0.5);
  SineX sv(1, 0.3);
  QuadX qu(1, 0, 0), qv(0, 1, 0);
  const XelMathSumXYs s1(&eu, &sv), s2(&qu, &qv);
  const XelMathFunctionXY* sums[2] = {&s1, &s2};
  Ptr ssum(CreateCombination(2, sums, c, 0.25));
  ASSERT_TRUE(ssum && ssum->IsAKindOf("XelMathSumXYs"));
  std::unique_ptr<XelMathFunctionX> rx(qa.CreateIsoparX(0.3)), ry(qa.CreateIsoparY(-0.2));
  for (double t : {-0.7, 0.1, 0.6}) {
    const double x = 0.4 * t + 0.1, y = t;
    EXPECT_NEAR(sum->Eval(x, y), 2 * qa.Eval(x, y) - 1.5 * qb.Eval(x, y) + 0.25, 1e-13);
    EXPECT_NEAR(ssum->Eval(x, y),
                2 * (std::exp(0.5 * x) + std::sin(y + 0.3)) - 1.5 * (x * x + y) + 0.25, 1e-13);
    EXPECT_NEAR(rx->Eval(t), qa.Eval(0.3, t), 1e-14);
    EXPECT_NEAR(rx->EvalFirstDeriv(t), qa.EvalFirstDerivY(0.3, t), 1e-12);
    EXPECT_NEAR(ry->Eval(t), qa.Eval(t, -0.2), 1e-14);
    EXPECT_NEAR(ry->EvalSecondDeriv(t), qa.EvalSecondDerivX2(t, -0.2), 1e-12);
  }
}

TEST(CompositesXY, SquareDistanceFindsTheClosestPointsOfTwoCurves) {
  // (x - y)^2 + (x^2 + 1)^2: the parabola y = x^2 + 1 and the axis, closest at (0, 0).
  QuadX id(0, 1, 0), parabola(1, 0, 1), zero(0, 0, 0);
  const XelMathFunctionX* u[2] = {&id, &parabola};
  const XelMathFunctionX* v[2] = {&id, &zero};
  const XelMathSquareDistXYs d(2, u, v);
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrTolObject tol(DefaultTol());
  XelMathAttrList plain(&absolute), withTol(&absolute);
  withTol.AddAttribute(&tol);
  for (const XelMathAttrList* list : {&plain, &withTol}) {
    XelMathSetOfPointsND minima(2, 4);
    EXPECT_EQ(d.Minimize(XelMathInterval2D(-1, 1, -0.5, 1), minima, list), 0);
    ASSERT_EQ(minima.GetNumberOfPoints(), 1);
    EXPECT_NEAR(minima.GetPoints()[0], 0.0, 1e-5);
    EXPECT_NEAR(minima.GetPoints()[1], 0.0, 1e-5);
  }
}

} // namespace
