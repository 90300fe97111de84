// Grid of pixels: sizes, window mapping, labels, lines, circles, arcs, flood fill, boundary
// chains and corners, against hand counts, the plain step-by-step rasterisation rules and
// areas.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "XelError.h"
#include "XelMathArrayOfIntegers.h"
#include "XelMathGridOfPixels.h"
#include "XelMathInputError.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;
using Cells = std::set<std::pair<long, long>>;

class Pixels : public ::testing::Test {
protected:
  void SetUp() override { _live = LiveBlocks(); }
  void TearDown() override { EXPECT_EQ(LiveBlocks(), _live); }

private:
  long _live = 0;
};

// The cells of g equal to v (or, with iAny, carrying v through a label list).
Cells CellsOf(const XelMathGridOfPixels& g, long v, bool iAny = false) {
  long nx, ny;
  g.GetSize(nx, ny);
  Cells out;
  for (long x = 0; x < nx; x++)
    for (long y = 0; y < ny; y++)
      if (iAny ? g.AreEqual(g.GetPixel(x, y), v) : g.GetPixel(x, y) == v)
        out.insert({x, y});
  return out;
}

// The rasterisation rules walked step by step over the whole shape, kept inside nx x ny.
Cells PlainLine(long x1, long y1, long x2, long y2, long nx, long ny) {
  Cells out;
  auto set = [&](long x, long y) {
    if (x >= 0 && x < nx && y >= 0 && y < ny)
      out.insert({x, y});
  };
  const long dx = std::labs(x2 - x1), dy = std::labs(y2 - y1);
  const long sx = x1 > x2 ? -1 : 1, sy = y1 > y2 ? -1 : 1;
  long x = x1, y = y1;
  if (dx < dy) {
    for (long e = 2 * dx - dy, k = 0; k <= dy; k++) {
      set(x, y);
      y += sy;
      if (e < 1) {
        e += 2 * dx;
      } else {
        x += sx;
        e += 2 * (dx - dy);
      }
    }
  } else {
    for (long e = 2 * dy - dx, k = 0; k <= dx; k++) {
      set(x, y);
      x += sx;
      if (e > 0)
        y += sy;
      e += e < 1 ? 2 * dy : 2 * (dy - dx);
    }
  }
  return out;
}
Cells PlainCircle(long cx, long cy, long r, long nx, long ny) {
  Cells out;
  for (long x = 0, y = r, d = 3 - 2 * r; x <= y; x++) {
    for (long s : {-1, 1})
      for (long t : {-1, 1})
        for (std::pair<long, long> p :
             {std::make_pair(cx + s * x, cy + t * y), std::make_pair(cx + s * y, cy + t * x)})
          if (p.first >= 0 && p.first < nx && p.second >= 0 && p.second < ny)
            out.insert(p);
    if (d >= 0) {
      d += 4 * (x - y) + 10;
      y--;
    } else {
      d += 4 * x + 6;
    }
  }
  return out;
}

TEST_F(Pixels, ImpossibleSizesRaiseBeforeAllocating) {
  const long sizes[][2] = {{-1, 5},
                           {5, -1},
                           {(1L << 28) + 1, 1},
                           {1L << 20, 1L << 20},
                           {1L << 14, (1L << 13) + 1}, // above 2^27 cells: more than 1 GB
                           {(1L << 28), 7},
                           {LONG_MAX, 2},
                           {LONG_MIN, LONG_MIN}};
  for (const auto& s : sizes) {
    const long before = LiveBlocks();
    ExpectInputError([&] { XelMathGridOfPixels g(s[0], s[1]); }, 0x20006, {"Dimension not valid"});
    EXPECT_EQ(LiveBlocks(), before) << s[0] << " x " << s[1];
  }
  XelMathGridOfPixels g(0, 7);
  g.FloodFill(0, 0, 0);
  EXPECT_EQ(g.GetPixel(0, 0), -1);
}

TEST_F(Pixels, WindowMapsCornersAndLengths) {
  XelMathGridOfPixels g(256, 128);
  g.SetWindow(-1.0, 3.0, 2.0, 4.0); // cells of 1/64 x 1/64
  // {x, y, i, j}: nearest corner, halves upwards, no clamping.
  const double h = 1.0 / 128, t = 1.0 / 1024;
  const double cases[][4] = {{3.0, 4.0, 256, 128},      {-1.0, 2.0, 0, 0},
                             {-1 + h, 2 + 3 * h, 1, 2}, {-1 + h - t, 2 + 3 * h - t, 0, 1},
                             {5.0, 0.0, 384, -128},     {1.0, 3.0, 128, 64}};
  for (const auto& c : cases) {
    long i, j;
    g.ConvertToPixel(c[0], c[1], i, j);
    EXPECT_EQ(i, c[2]) << c[0];
    EXPECT_EQ(j, c[3]) << c[1];
  }
  long n;
  g.ConvertToPixel(0.5 + h, n);
  EXPECT_EQ(n, 33);
  double x, y;
  g.ConvertToModel(64, 300, x, y);
  EXPECT_DOUBLE_EQ(x, 0.0);
  EXPECT_DOUBLE_EQ(y, 4.0); // clamped
  ExpectInputError([&] { g.SetWindow(1.0, 1.0, 0.0, 1.0); }, 0x2000b, {"Invalid Domain"});
}

TEST_F(Pixels, SecondLabelsGoToListsAndCopiesOwnThem) {
  XelMathGridOfPixels g(4, 4);
  g.SetPixel(1, 1, 5);
  g.SetPixel(1, 1, 3);
  g.SetPixel(1, 1, 3);
  g.SetPixel(2, 2, 7);
  g.SetPixel(2, 2, 7); // same label: stays plain
  g.SetPixel(9, 9, 1); // outside: clipped
  EXPECT_EQ(g.GetPixel(2, 2), 7);
  const long k = -100 - g.GetPixel(1, 1);
  ASSERT_EQ(k, 0);
  const XelMathArrayOfIntegers* list = g.GetLabelList(k);
  ASSERT_EQ(list->GetSize(), 3);
  EXPECT_EQ(std::vector<long>({list->GetValue(0), list->GetValue(1), list->GetValue(2)}),
            std::vector<long>({5, 3, 3}));
  EXPECT_EQ(list->GetValue(3), 0);
  EXPECT_TRUE(g.AreEqual(g.GetPixel(1, 1), 5));
  EXPECT_FALSE(g.AreEqual(g.GetPixel(1, 1), 7));
  XelMathGridOfPixels copy(g);
  g.Initialize();
  EXPECT_EQ(g.GetNumberOfLabelLists(), 0);
  EXPECT_TRUE(copy.AreEqual(copy.GetPixel(1, 1), 3));
  g = copy;
  EXPECT_EQ(g.GetLabelList(0)->GetSize(), 3);
  // A label list holds at most 32767 values.
  XelMathArrayOfIntegers many;
  for (long i = 0; i < 32767; i++)
    many.Add(i);
  EXPECT_THROW(many.Add(0), XelResourceError);
}

TEST_F(Pixels, LinesFollowTheStepRuleInsideTheGrid) {
  XelMathGridOfPixels g(12, 9);
  g.DrawLine(0, 0, 3, 1, 4);
  EXPECT_EQ(CellsOf(g, 4), Cells({{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  // End points on and off the grid, every octant, degenerate segments.
  const long lines[][4] = {{-20, -7, 30, 15}, {5, 40, 7, -30},  {11, 8, 0, 0},
                           {3, 3, 3, 3},      {-5, 4, 30, 4},   {2, -50, 9, 60},
                           {40, -3, -9, 20},  {6, 1, 6, 100},   {-100, 90, 90, -100},
                           {13, 2, -2, 6},    {-5, -5, -1, 20}, {12, 9, 30, 40}};
  for (const auto& l : lines) {
    XelMathGridOfPixels h(12, 9);
    h.DrawLine(l[0], l[1], l[2], l[3], 1);
    EXPECT_EQ(CellsOf(h, 1), PlainLine(l[0], l[1], l[2], l[3], 12, 9))
        << l[0] << "," << l[1] << " -> " << l[2] << "," << l[3];
  }
  // Far end points: cut first, the cells still lie on the line.
  XelMathGridOfPixels far(50, 50);
  far.DrawLine(-1000000000000L, -500000000000L, 1000000000000L, 500000000000L, 2);
  EXPECT_EQ(CellsOf(far, 2).size(), 50u);
  for (const auto& c : CellsOf(far, 2))
    EXPECT_LE(std::labs(2 * c.second - c.first), 1);
  const long xs[] = {1, 8, 8, 1, 1}, ys[] = {1, 1, 6, 6, 1};
  XelMathGridOfPixels p(12, 9);
  p.DrawPolyLine(xs, ys, 5, 3);
  EXPECT_EQ(CellsOf(p, 3).size(), 2u * (7 + 5));
  ExpectInputError([&] { p.DrawPolyLine(xs, ys, -1, 3); }, 0x20004, {"Invalid Number Of Points"});
}

TEST_F(Pixels, CirclesFollowTheMidpointRuleAndFilledDiscsHaveTheirArea) {
  XelMathGridOfPixels g(9, 9);
  g.DrawCircle(4, 4, 0, 1);
  EXPECT_EQ(CellsOf(g, 1), Cells({{4, 4}}));
  // {cx, cy, r}: inside, cut by the edges, centred far off the grid (the walk starts late).
  const long circles[][3] = {{20, 15, 12},  {0, 0, 25},  {-500, 15, 510}, {20, 4000, 3990},
                             {39, -60, 75}, {10, 10, 1}, {5, 5, 1000},    {-30, 15, 10}};
  for (const auto& c : circles) {
    XelMathGridOfPixels h(40, 30);
    h.DrawCircle(c[0], c[1], c[2], 1);
    EXPECT_EQ(CellsOf(h, 1), PlainCircle(c[0], c[1], c[2], 40, 30)) << c[0] << " " << c[1];
  }
  for (const long r : {5L, 17L, 40L, 98L}) {
    XelMathGridOfPixels d(201, 201);
    d.DrawCircle(100, 100, r, 0);
    d.FloodFill(100, 100, 0);
    const double area = static_cast<double>(CellsOf(d, -2).size() + CellsOf(d, 0).size());
    EXPECT_GE(area, kPi * (r - 1.0) * (r - 1.0)) << r;
    EXPECT_LE(area, kPi * (r + 1.0) * (r + 1.0)) << r;
  }
  // Two circles of different labels touching at (20, 15): each inside fills as that of the
  // circle alone, and the outside is what both leave.
  XelMathGridOfPixels a(41, 31), ab(41, 31);
  a.DrawCircle(12, 15, 8, 0);
  ab.DrawCircle(12, 15, 8, 0);
  ab.DrawCircle(28, 15, 8, 1);
  EXPECT_TRUE(ab.AreEqual(ab.GetPixel(20, 15), 0) && ab.AreEqual(ab.GetPixel(20, 15), 1));
  a.FloodFill(12, 15, 0);
  const size_t inside = CellsOf(a, -2).size(), walls = 41 * 31 - CellsOf(ab, -1).size();
  for (const long cx : {12L, 28L}) {
    ab.FloodFill(cx, 15, 0);
    EXPECT_EQ(CellsOf(ab, -2).size(), inside) << cx;
    ab.UndoFloodFill();
  }
  ab.FloodFill(0, 0, 0);
  EXPECT_EQ(CellsOf(ab, -2).size(), 41u * 31u - walls - 2 * inside);
  XelMathGridOfPixels f(20, 20);
  f.DrawCircle(-2000000000L, 5, 1, 1); // misses the grid: nothing, no refusal
  EXPECT_TRUE(CellsOf(f, 1).empty());
  ExpectInputError([&] { f.DrawCircle(-2000000000L, 5, 2000000005L, 1); }, 0x20006);
}

TEST_F(Pixels, ArcsKeepTheSideOfTheMiddlePoint) {
  // Arcs of radius 20 about (25, 25) from (45, 25) to (25, 45): the cells of the circle on
  // the side of the chord x + y = 70 where the middle point lies.
  for (const int side : {1, -1}) {
    XelMathGridOfPixels g(51, 51);
    const long m = side > 0 ? 39 : 11;
    g.DrawArc(25, 25, 20, 45, 25, 25, 45, m, m, 1);
    Cells want;
    for (const auto& c : PlainCircle(25, 25, 20, 51, 51))
      if (side * (c.first + c.second - 70) >= 0)
        want.insert(c);
    EXPECT_EQ(CellsOf(g, 1), want) << side;
  }
  XelMathGridOfPixels flat(31, 31), lines(31, 31);
  flat.DrawArc(15, -1000, 1020, 2, 20, 28, 20, 15, 21, 1); // 1 cell off the chord: two lines
  lines.DrawLine(2, 20, 15, 21, 1);
  lines.DrawLine(15, 21, 28, 20, 1);
  EXPECT_EQ(CellsOf(flat, 1), CellsOf(lines, 1));
  const long far = 5000000000L;
  flat.DrawArc(far, 5, 10, far + 10, 5, far, 15, far + 7, 12, 2); // misses the grid
  EXPECT_TRUE(CellsOf(flat, 2).empty());
  ExpectInputError([&] { flat.DrawArc(far, 5, far, 10, 5, 15, 10, 30, 30, 2); }, 0x20006);
}

// A frame of label 9 on the grid's edges, then the shapes; fills stay inside the frame.
XelMathGridOfPixels Framed(long nx, long ny) {
  XelMathGridOfPixels g(nx, ny);
  const long xs[] = {0, nx - 1, nx - 1, 0, 0}, ys[] = {0, 0, ny - 1, ny - 1, 0};
  g.DrawPolyLine(xs, ys, 5, 9);
  return g;
}

TEST_F(Pixels, FillsStopAtWallsAndPassDiagonalGapsBetweenDifferentLabels) {
  XelMathGridOfPixels g(40, 30);
  const long xs[] = {10, 30, 30, 10, 10}, ys[] = {5, 5, 20, 20, 5};
  g.DrawPolyLine(xs, ys, 5, 1);
  g.FloodFill(15, 10, 0);
  EXPECT_EQ(CellsOf(g, -2).size(), 19u * 14u);
  long flags[4] = {7, 7, 7, 7};
  g.GetFloodFillBoundary(4, flags);
  EXPECT_EQ(std::vector<long>(flags, flags + 4), std::vector<long>({0, 1, 0, 0}));
  g.UndoFloodFill();
  EXPECT_TRUE(CellsOf(g, -2).empty());
  // Active zone first, then flood it.
  g.FloodFill(0, 0, 1);
  EXPECT_EQ(CellsOf(g, -3).size(), 40u * 30u - 19u * 14u - 2u * (20u + 15u));
  g.FloodFill(0, 0, 2);
  EXPECT_EQ(CellsOf(g, -2).size(), 40u * 30u - 19u * 14u - 2u * (20u + 15u));
  ExpectInputError([&] { g.FloodFill(1, 1, 3); }, 0x20006, {"Invalid mode"});
  // Two walls meeting only at a corner: different labels let the fill through, one label not.
  for (const long second : {1L, 2L}) {
    XelMathGridOfPixels h = Framed(20, 10);
    h.DrawLine(10, 0, 10, 4, 1);
    h.DrawLine(11, 5, 11, 9, second);
    h.FloodFill(2, 2, 0);
    EXPECT_EQ(h.GetPixel(15, 2) == -2, second != 1) << second;
  }
}

TEST_F(Pixels, BoundingLabelsAndCornersOfARegion) {
  // A quadrilateral of four labelled sides; each corner cell carries two labels.
  XelMathGridOfPixels g(40, 40);
  const long px[] = {5, 30, 34, 8}, py[] = {6, 4, 30, 33};
  for (long k = 0; k < 4; k++)
    g.DrawLine(px[k], py[k], px[(k + 1) % 4], py[(k + 1) % 4], k);
  g.DrawLine(36, 0, 39, 10, 5); // outside the region
  g.FloodFill(20, 20, 0);
  long flags[6];
  g.GetFloodFillBoundary(6, flags);
  EXPECT_EQ(std::vector<long>(flags, flags + 6), std::vector<long>({1, 1, 1, 1, 0, 0}));
  long n, nCorners, *xs, *ys, *corners;
  g.GetFloodZoneCorners(n, xs, ys, nCorners, corners);
  ASSERT_EQ(n, 4);
  ASSERT_EQ(nCorners, 4);
  Cells got;
  for (long i = 0; i < n; i++) {
    got.insert({xs[i], ys[i]});
    EXPECT_EQ(corners[i], i);
    if (i > 0) {
      EXPECT_TRUE(g.AreConnected(xs[i - 1], ys[i - 1], xs[i], ys[i])) << i;
    }
  }
  EXPECT_EQ(got, Cells({{5, 6}, {30, 4}, {34, 30}, {8, 33}}));
  for (long* a : {xs, ys, corners})
    XelMathGridOfPixels::FreeArray(a, n);
  g.UndoFloodFill();
  g.GetFloodZoneCorners(n, xs, ys, nCorners, corners);
  EXPECT_TRUE(n == 0 && nCorners == 0 && !xs && !ys && !corners);
  // Nested squares of labels 0, 1, 2 (frames 2..37, 8..31, 14..25): {start, cells, flags}.
  const long regions[][5] = {{20, 100, 0, 0, 1},
                             {10, 22 * 22 - 12 * 12, 0, 1, 1},
                             {4, 34 * 34 - 24 * 24, 1, 1, 0},
                             {0, 40 * 40 - 36 * 36, 1, 0, 0}};
  for (const auto& r : regions) {
    XelMathGridOfPixels h(40, 40);
    for (long k = 0; k < 3; k++) {
      const long a = 2 + 6 * k, b = 37 - 6 * k, xs2[] = {a, b, b, a, a}, ys2[] = {a, a, b, b, a};
      h.DrawPolyLine(xs2, ys2, 5, k);
    }
    h.FloodFill(r[0], r[0], 0);
    EXPECT_EQ(static_cast<long>(CellsOf(h, -2).size()), r[1]) << r[0];
    h.GetFloodFillBoundary(3, flags);
    EXPECT_EQ(std::vector<long>(flags, flags + 3), std::vector<long>(r + 2, r + 5)) << r[0];
  }
  // Walls of labels 1 and 2 crossing at (10, 10): the crossing keeps both through a fill of a
  // quadrant and its undoing, and a third wall through it adds its label.
  XelMathGridOfPixels c = Framed(21, 21);
  c.DrawLine(0, 10, 20, 10, 1);
  c.DrawLine(10, 0, 10, 20, 2);
  c.FloodFill(5, 5, 0);
  EXPECT_EQ(CellsOf(c, -2).size(), 81u);
  EXPECT_TRUE(c.AreEqual(c.GetPixel(10, 10), 1) && c.AreEqual(c.GetPixel(10, 10), 2));
  c.UndoFloodFill();
  c.DrawLine(0, 0, 20, 20, 3);
  EXPECT_EQ(CellsOf(c, 3, true).size(), 21u);
  EXPECT_TRUE(c.AreEqual(c.GetPixel(10, 10), 1) && c.AreEqual(c.GetPixel(10, 10), 2));
}

TEST_F(Pixels, BoundaryChainsCloseAroundAValue) {
  // A 6 x 4 block of value 3; the chain turns around it through cells next to it.
  for (const long connectivity : {4L, 8L}) {
    XelMathGridOfPixels g(20, 20);
    for (long y = 5; y < 9; y++)
      g.SetRowOfPixels(7, 12, y, 3);
    long n, *xs, *ys;
    ASSERT_EQ(g.GetValueBoundary(3, connectivity, n, xs, ys), 0);
    // 4-connected: the whole ring with its corners; 8-connected: the corners are cut.
    EXPECT_EQ(n, connectivity == 4 ? 2 * (6 + 4) + 4 + 1 : 2 * (6 + 4) + 1);
    EXPECT_EQ(xs[0], 6);
    EXPECT_EQ(ys[0], 5);
    EXPECT_TRUE(xs[n - 1] == xs[0] && ys[n - 1] == ys[0]);
    for (long i = 0; i < n; i++) {
      EXPECT_NE(g.GetPixel(xs[i], ys[i]), 3);
      EXPECT_TRUE(g.IsOnBoundary(xs[i], ys[i], 0, 1, 3));
      if (i > 0) {
        const long step = std::labs(xs[i] - xs[i - 1]) + std::labs(ys[i] - ys[i - 1]);
        EXPECT_TRUE(step == 1 || (connectivity == 8 && step == 2)) << i;
      }
    }
    XelMathGridOfPixels::FreeArray(xs, n);
    XelMathGridOfPixels::FreeArray(ys, n);
    EXPECT_EQ(g.GetValueBoundary(4, connectivity, n, xs, ys), 1);
    EXPECT_EQ(n, 0);
  }
  // Around one cell of a 2 x 1 grid the chain would be longer than the grid: refused.
  XelMathGridOfPixels tiny(2, 1);
  tiny.SetPixel(1, 0, 0);
  long n, *xs, *ys;
  EXPECT_EQ(tiny.GetValueBoundary(0, 4, n, xs, ys), 2);
  EXPECT_TRUE(n == 0 && !xs && !ys);
  // A square spiral wall of label 1 (corridor 3 cells wide) about (30, 30): its 4-connected
  // chain visits exactly the empty cells next to the wall; cut by a wall of label 1 from the
  // centre upwards, the fill from the centre stays in the innermost turn.
  long sx[25] = {30}, sy[25] = {30};
  for (long k = 1; k < 25; k++) {
    const long len = 4 * ((k + 1) / 2), dir = (k - 1) % 4;
    sx[k] = sx[k - 1] + (dir == 0 ? len : dir == 2 ? -len : 0);
    sy[k] = sy[k - 1] + (dir == 1 ? len : dir == 3 ? -len : 0);
  }
  XelMathGridOfPixels spiral(64, 64);
  spiral.DrawPolyLine(sx, sy, 25, 1);
  Cells ring;
  for (const auto& w : CellsOf(spiral, 1))
    for (long dx = -1; dx <= 1; dx++)
      for (long dy = -1; dy <= 1; dy++)
        if (spiral.GetPixel(w.first + dx, w.second + dy) == -1)
          ring.insert({w.first + dx, w.second + dy});
  ASSERT_EQ(spiral.GetValueBoundary(1, 4, n, xs, ys), 0);
  Cells chain;
  for (long i = 0; i < n; i++) {
    chain.insert({xs[i], ys[i]});
    if (i > 0) {
      EXPECT_EQ(std::labs(xs[i] - xs[i - 1]) + std::labs(ys[i] - ys[i - 1]), 1) << i;
    }
  }
  EXPECT_TRUE(xs[n - 1] == xs[0] && ys[n - 1] == ys[0]);
  EXPECT_EQ(chain, ring);
  XelMathGridOfPixels::FreeArray(xs, n);
  XelMathGridOfPixels::FreeArray(ys, n);
  spiral.DrawLine(30, 31, 30, 63, 1);
  spiral.FloodFill(29, 31, 0);
  EXPECT_EQ(CellsOf(spiral, -2).size(), 21u + 24u + 24u + 12u); // the innermost turn, by hand
  EXPECT_EQ(spiral.GetPixel(29, 36), -1);                       // across the cut
}

TEST_F(Pixels, LargeSerpentineFillUsesNoRecursion) {
  // Walls every other row, open alternately at the right and at the left: one corridor
  // 4000 cells wide folded 2000 times.
  const long size = 4000;
  XelMathGridOfPixels g(size, size);
  for (long y = 1; y < size; y += 2)
    g.DrawLine(y % 4 == 1 ? 0 : 1, y, y % 4 == 1 ? size - 2 : size - 1, y, 0);
  g.FloodFill(0, 0, 0);
  long flooded = 0;
  for (long y = 0; y < size; y++)
    for (long x = 0; x < size; x++)
      flooded += g.GetPixel(x, y) == -2;
  EXPECT_EQ(flooded, size * size - (size / 2) * (size - 1));
}

} // namespace
