// Point sets: storage, editing (vectors and tangents follow), errors, geometric queries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "XelMathConstants.h"
#include "XelMathInputError.h"
#include "XelMathSetOfLongs.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDTwoTangents.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelQuorMemory.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;
// Results of a few arithmetic operations on values of order 1..10.
const double RoundOff = 64 * kEps;

// Every test checks that the blocks it allocated are released.
class PointSets : public ::testing::Test {
protected:
  void SetUp() override { _live = LiveBlocks(); }
  void TearDown() override { EXPECT_EQ(LiveBlocks(), _live); }

private:
  long _live = 0;
};

// Expects iCall to raise a XelMathInputError of code iCode whose texts include iTexts.
template <class F> void ExpectError(F iCall, long iCode, std::vector<std::string> iTexts) {
  try {
    iCall();
    ADD_FAILURE() << "no error raised, expected code " << std::hex << iCode;
  } catch (const XelMathInputError& error) {
    EXPECT_EQ(error.GetCode(), iCode) << error.what();
    for (const std::string& text : iTexts) {
      bool found = false;
      for (long i = 0; i < error.GetNumberOfParameters(); i++)
        found = found || text == error.GetParameter(i);
      EXPECT_TRUE(found) << "missing text \"" << text << "\" in " << error.what();
    }
  }
}

// Element-wise closeness of computed values to references.
void ExpectNear(const std::vector<double>& iGot, const std::vector<double>& iWant, double iTol) {
  for (size_t k = 0; k < iWant.size(); k++)
    EXPECT_NEAR(iGot[k], iWant[k], iTol) << "entry " << k;
}

// A point of dimension 3 that encodes its identity, and the vector that belongs to it.
const auto Pt = [](double id) { return std::vector<double>{id, 10.0 * id + 1.0, -id}; };
const auto Vec = [](double id) { return std::vector<double>{-2.0 * id, 0.5, id * id}; };

std::vector<double> PointOf(const XelMathSetOfPointsND& set, long i) {
  std::vector<double> p(static_cast<size_t>(set.GetDimension()));
  set.GetPoint(i, p.data());
  return p;
}

// Checks that each point of a set with vectors still carries its own vector exactly.
void ExpectVectorsFollow(const XelMathSetOfPointsNDWithVectors& set) {
  std::vector<double> p(3), v(3);
  for (long i = 0; i < set.GetNumberOfPoints(); i++) {
    set.GetPointWithVector(i, p.data(), v.data());
    EXPECT_EQ(p, Pt(p[0]));
    EXPECT_EQ(v, Vec(p[0])) << "vector of point " << p[0] << " lost at " << i;
  }
}

// The identities of the points of a set built from Pt (whose vectors, if any, are checked).
std::vector<double> Ids(const XelMathSetOfPointsND& set) {
  if (auto withVectors = dynamic_cast<const XelMathSetOfPointsNDWithVectors*>(&set))
    ExpectVectorsFollow(*withVectors);
  std::vector<double> ids;
  for (long i = 0; i < set.GetNumberOfPoints(); i++) {
    std::vector<double> p = PointOf(set, i);
    EXPECT_EQ(p, Pt(p[0])) << "point " << i << " damaged";
    ids.push_back(p[0]);
  }
  return ids;
}

// The points Pt(i0) .. Pt(i0 + n - 1), in that order.
XelMathSetOfPointsND Make(long n, long i0 = 0) {
  XelMathSetOfPointsND set(3);
  for (long i = i0; i < i0 + n; i++)
    set.AddPoint(Pt(i).data());
  return set;
}

XelMathSetOfPointsNDWithVectors MakeWithVectors(long n) {
  XelMathSetOfPointsNDWithVectors set(3);
  for (long i = 0; i < n; i++)
    set.AddPointWithVector(Pt(i).data(), Vec(i).data());
  return set;
}

// The given points, of dimension 2 or that of the first.
XelMathSetOfPointsND Make2D(const std::vector<std::vector<double>>& iPoints) {
  XelMathSetOfPointsND set(iPoints.empty() ? 2 : static_cast<long>(iPoints[0].size()));
  for (const auto& p : iPoints)
    set.AddPoint(p.data());
  return set;
}

// The cubic Hermite interpolant of (x0, y0, m0), (x1, y1, m1) at x, written from its basis.
double Hermite(double x0, double y0, double m0, double x1, double y1, double m1, double x) {
  double h = x1 - x0, t = (x - x0) / h;
  double h00 = (1 + 2 * t) * (1 - t) * (1 - t), h10 = t * (1 - t) * (1 - t);
  double h01 = t * t * (3 - 2 * t), h11 = t * t * (t - 1);
  return h00 * y0 + h10 * h * m0 + h01 * y1 + h11 * h * m1;
}

} // namespace


TEST_F(PointSets, GrowthDoublesCapacityAndKeepsEveryPoint) {
  XelMathSetOfPointsND set(3);
  std::vector<long> capacities;
  for (long i = 0; i < 9; i++) {
    set.AddPoint(Pt(i).data());
    capacities.push_back(set.GetMaxNumberOfPoints());
  }
  EXPECT_EQ(capacities, (std::vector<long>{1, 2, 4, 4, 8, 8, 8, 8, 16}));
  EXPECT_EQ(Ids(set), (std::vector<double>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  // Point i occupies entries i*N .. i*N+N-1 of the coordinate array.
  EXPECT_EQ(set.GetPoints()[5 * 3 + 1], Pt(5)[1]);

  // Appending a point of the set itself while it grows.
  XelMathSetOfPointsND one(3, 1);
  one.AddPoint(Pt(7).data());
  one.AddPoint(one.GetPoints());
  EXPECT_EQ(Ids(one), (std::vector<double>{7, 7}));

  set.Reset();
  set.Resize(40);
  set.AddPoint(Pt(1).data());
  set.Pack();
  EXPECT_EQ(set.GetMaxNumberOfPoints(), 1);
  EXPECT_EQ(Ids(set), (std::vector<double>{1}));
}

TEST_F(PointSets, CursorReadsEveryPointAndRefusesToReadOffTheSet) {
  ExpectError([] { XelMathSetOfPointsND bad(0); }, 0x20006, {"Dimension not valid"});
  XelMathSetOfPointsND set = Make(4);
  std::vector<double> p(3);
  ExpectError([&] { set.GetPoint(p.data()); }, 0x20008, {"Next", "GetPoint"});
  ExpectError([&] { set.ReplacePoint(p.data()); }, 0x20008, {"Next", "ReplacePoint"});
  std::vector<double> read;
  for (set.Beginning(); set.Next();) {
    set.GetPoint(p.data());
    read.push_back(p[0]);
    EXPECT_EQ(set.GetCurrentIndex(), static_cast<long>(read.size()) - 1);
  }
  EXPECT_EQ(read, (std::vector<double>{0, 1, 2, 3}));
  // Past the end the cursor designates nothing.
  ExpectError([&] { set.GetPoint(p.data()); }, 0x20008, {"Next", "GetPoint"});
  set.Beginning();
  set.Next();
  set.ReplacePoint(Pt(9).data());
  EXPECT_EQ(Ids(set), (std::vector<double>{9, 1, 2, 3}));

  ExpectError([&] { set.GetPoint(4, p.data()); }, 0x20007, {"Wrong Index", "GetPoint"});
  ExpectError([&] { set.GetPoint(-1, p.data()); }, 0x20007, {"Wrong Index", "GetPoint"});
  ExpectError([&] { set.ReplacePoint(4, p.data()); }, 0x20008, {"Next", "ReplacePoint"});
  set.ReplacePoint(3, Pt(8).data());
  EXPECT_EQ(Ids(set), (std::vector<double>{9, 1, 2, 8}));

  double flat[6] = {1, 2, 3, 4, 5, 6};
  set.ReplacePoints(2, flat);
  EXPECT_EQ(set.GetNumberOfPoints(), 2);
  EXPECT_EQ(PointOf(set, 1), (std::vector<double>{4, 5, 6}));
}

TEST_F(PointSets, SetCoordAtPointAssignsThenReportsMisuse) {
  XelMathSetOfPointsND set(2, 4);
  double p[2] = {1, 2};
  set.AddPoint(p);
  set.AddPoint(p);
  set.SetCoordAtPoint(7.0, 1, 0);
  EXPECT_EQ(PointOf(set, 0), (std::vector<double>{1, 7}));
  ExpectError([&] { set.SetCoordAtPoint(5.0, 2, 0); }, 0x20006,
              {"Point or Composant", "Invalid", "XelMathSetOfPointsND::SetCoord"});
  // Coordinate 2 of point 0 is the place of coordinate 0 of point 1: it was written.
  EXPECT_EQ(PointOf(set, 1)[0], 5.0);
  ExpectError([&] { set.SetCoordAtPoint(5.0, 0, 2); }, 0x20006, {"Point or Composant"});
}

TEST_F(PointSets, AddNewPointMergesPointsWithinTolerance) {
  XelMathSetOfPointsND set(2);
  const double tol = 1e-3;
  double a[2] = {0, 0}, near[2] = {0.0004, -0.0002}, b[2] = {1, 0}, nearB[2] = {1.0001, 0};
  EXPECT_EQ(set.AddNewPoint(a, tol), 1);
  EXPECT_EQ(set.AddNewPoint(near, tol), 0);
  EXPECT_EQ(PointOf(set, 0), (std::vector<double>{0, 0})) << "a single point stays";
  EXPECT_EQ(set.AddNewPoint(b, tol), 1);
  EXPECT_EQ(set.AddNewPoint(nearB, tol), 0);
  EXPECT_EQ(set.GetNumberOfPoints(), 2);
  EXPECT_EQ(PointOf(set, 1), (std::vector<double>{1.0001, 0})) << "the last point is replaced";
  // A coordinate differing by exactly the tolerance counts as different.
  double c[2] = {1.0001 + 0.5, 0};
  EXPECT_EQ(set.AddNewPoint(c, 0.5), 1);
}

TEST_F(PointSets, InsertAndRemoveKeepTheOtherPointsInOrder) {
  XelMathSetOfPointsND set = Make(4);
  set.InsertPoint(Pt(10).data(), 0);
  set.InsertPoint(Pt(11).data(), 3);
  set.InsertPoint(Pt(12).data(), set.GetNumberOfPoints());
  EXPECT_EQ(Ids(set), (std::vector<double>{10, 0, 1, 11, 2, 3, 12}));
  ExpectError([&] { set.InsertPoint(Pt(13).data(), set.GetNumberOfPoints() + 1); }, 0x20009,
              {"XelMathSetOfPointsND::InsertPoint",
               "with an index between 0 and the set number of points"});
  ExpectError([&] { set.InsertPoint(Pt(13).data(), -1); }, 0x20009,
              {"XelMathSetOfPointsND::InsertPoint"});

  set.RemovePoint(0);
  set.RemovePoint(5);
  set.RemovePoint(2);
  EXPECT_EQ(Ids(set), (std::vector<double>{0, 1, 2, 3}));
  ExpectError([&] { set.RemovePoint(4); }, 0x20009,
              {"XelMathSetOfPointsND::RemovePoint",
               "with its argument index between 0 and the set number of points minus 1"});
  XelMathSetOfLongs indices;
  indices.AddElement(3);
  indices.AddElement(1);
  indices.AddElement(17); // outside: ignored
  set.RemovePoints(indices);
  EXPECT_EQ(Ids(set), (std::vector<double>{0, 2}));
  set.RemovePoint(0);
  set.RemovePoint(0);
  ExpectError([&] { set.RemovePoint(0); }, 0x20009,
              {"XelMathSetOfPointsND::RemovePoint", "on a non empty set"});
}

TEST_F(PointSets, SplitMovesTheTailAndPacks) {
  for (int keep = 0; keep < 2; keep++) {
    XelMathSetOfPointsND set = Make(5), tail = Make(1, 99);
    set.Split(2, tail, keep, 0.0);
    EXPECT_EQ(Ids(set), (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(set.GetMaxNumberOfPoints(), 3);
    EXPECT_EQ(Ids(tail), keep ? (std::vector<double>{2, 3, 4}) : (std::vector<double>{3, 4}));
  }
  XelMathSetOfPointsND set = Make(3), tail(3), flat(2);
  set.Split(2, tail, 0, 0.0); // empty tail: nothing happens
  EXPECT_EQ(set.GetNumberOfPoints(), 3);
  EXPECT_EQ(tail.GetNumberOfPoints(), 0);
  ExpectError([&] { set.Split(1, flat, 1, 0.0); }, 0x20006, {"the same"});
}

TEST_F(PointSets, AddSetAppendsAndChecksDimensions) {
  XelMathSetOfPointsND a = Make(1), b = Make(3, 1), flat(2);
  a.AddSet(b, 1);
  EXPECT_EQ(Ids(a), (std::vector<double>{0, 2, 3}));
  EXPECT_EQ(a.GetMaxNumberOfPoints(), 3) << "grows to exactly the new count";
  a.AddSet(a);
  EXPECT_EQ(Ids(a), (std::vector<double>{0, 2, 3, 0, 2, 3}));
  ExpectError([&] { a.AddSet(flat); }, 0x20006, {"the same", "XelMathSetOfPointsND::AddSet"});
}

TEST_F(PointSets, SortSelectsTheEarliestOfEqualKeys) {
  // Keys 1, 0, 1, 0: selection brings b to the front, swaps d with a, and c stays before a.
  XelMathSetOfPointsND set = Make2D({{'a', 1}, {'b', 0}, {'c', 1}, {'d', 0}});
  set.Sort(1);
  std::string order;
  for (long i = 0; i < 4; i++)
    order += static_cast<char>(PointOf(set, i)[0]);
  EXPECT_EQ(order, "bdca");
  ExpectError([&] { set.Sort(2); }, 0x20006, {"Dimension not valid"});
}

TEST_F(PointSets, ReversalAndSwap) {
  for (long n : {4L, 5L}) {
    XelMathSetOfPointsND set = Make(n), reversed(3);
    std::vector<double> expected = Ids(set);
    std::reverse(expected.begin(), expected.end());
    set.Invert(reversed);
    EXPECT_EQ(Ids(reversed), expected);
    set.AutoInvert();
    EXPECT_EQ(Ids(set), expected);
    set.SwapPoints(0, n - 1);
    EXPECT_EQ(Ids(set).front(), 0.0);
  }
  XelMathSetOfPointsND single = Make(1);
  ExpectError([&] { single.SwapPoints(0, 1); }, 0x20007, {"Wrong Index"});
}

TEST_F(PointSets, PeriodicFlagNeedsEqualEnds) {
  XelMathSetOfPointsND set = Make2D({{0, 0}, {1, 0}, {0, 1}});
  ExpectError([&] { set.SetPeriodic(1); }, 0x20009,
              {"XelMathSetOfPointsND::SetPeriodic", "for a set with equal first and last points"});
  EXPECT_FALSE(set.IsPeriodic());
  set.AddPoint(PointOf(set, 0).data());
  set.SetPeriodic(1);
  EXPECT_TRUE(set.IsPeriodic());
}


TEST_F(PointSets, VectorsFollowTheirPointsThroughEveryMove) {
  XelMathSetOfPointsNDWithVectors set = MakeWithVectors(6);
  set.InsertPointWithVector(Pt(20).data(), Vec(20).data(), 0);
  set.InsertPointWithVector(Pt(21).data(), Vec(21).data(), 4);
  set.InsertPointWithVector(Pt(22).data(), Vec(22).data(), set.GetNumberOfPoints());
  EXPECT_EQ(Ids(set), (std::vector<double>{20, 0, 1, 2, 21, 3, 4, 5, 22}));
  set.RemovePoint(4);
  set.RemovePoint(0);
  set.SwapPoints(1, 5);
  set.Sort(0);
  EXPECT_EQ(Ids(set), (std::vector<double>{0, 1, 2, 3, 4, 5, 22}));
  set.AutoInvert();
  EXPECT_EQ(Ids(set), (std::vector<double>{22, 5, 4, 3, 2, 1, 0}));

  XelMathSetOfPointsNDWithVectors tail(3);
  set.Split(3, tail, 1, 0.0);
  EXPECT_EQ(Ids(set), (std::vector<double>{22, 5, 4, 3}));
  EXPECT_EQ(Ids(tail), (std::vector<double>{3, 2, 1, 0}));

  set.AddSet(tail, 1);
  set.AddSet(set);
  EXPECT_EQ(set.GetNumberOfPoints(), 14);
  ExpectVectorsFollow(set);

  XelMathSetOfLongs indices;
  indices.AddElement(0);
  indices.AddElement(7);
  set.RemovePoints(indices);
  ExpectVectorsFollow(set);

  // Copies and assignment carry the vectors.
  XelMathSetOfPointsNDWithVectors copy(set), assigned(3);
  assigned = set;
  ExpectVectorsFollow(copy);
  ExpectVectorsFollow(assigned);

  // Growth one point at a time from capacity 0.
  XelMathSetOfPointsNDWithVectors grown(3);
  for (long i = 0; i < 33; i++)
    EXPECT_EQ(grown.AddNewPointWithVector(Pt(i).data(), Vec(i).data(), 1e-9), 1);
  ExpectVectorsFollow(grown);
  grown.Pack();
  ExpectVectorsFollow(grown);
}

TEST_F(PointSets, PointsWithoutVectorGetZeroVectors) {
  XelMathSetOfPointsNDWithVectors set = MakeWithVectors(2);
  set.AddPoint(Pt(5).data());
  set.InsertPoint(Pt(6).data(), 0);
  XelMathSetOfPointsND plain = Make(1, 7);
  set.AddSet(plain);
  std::vector<double> v(3), zero(3, 0.0);
  for (long i : {0L, 3L, 4L}) {
    set.GetVector(i, v.data());
    EXPECT_EQ(v, zero) << i;
  }
  set.GetVector(1, v.data());
  EXPECT_EQ(v, Vec(0));
  // AddNewPointWithVector within tolerance replaces the last point and its vector.
  EXPECT_EQ(set.AddNewPointWithVector(Pt(7).data(), Vec(7).data(), 1e-9), 0);
  set.GetVector(4, v.data());
  EXPECT_EQ(v, Vec(7));
  // Cursor and replacement.
  set.Beginning();
  set.Next();
  set.ReplaceVector(Vec(6).data());
  set.GetVector(v.data());
  EXPECT_EQ(v, Vec(6));
  set.ReplaceVector(4, Vec(1).data());
  set.GetVector(4, v.data());
  EXPECT_EQ(v, Vec(1));
  // Storage kept from earlier vectors is cleared, not shown, when plain points come in.
  XelMathSetOfPointsND two(3);
  two.AddSet(plain);
  two.AddPoint(Pt(9).data());
  XelMathSetOfPointsNDWithVectors reused = MakeWithVectors(4), assigned = MakeWithVectors(4);
  reused.Reset();
  reused.AddSet(two);
  assigned = two;
  for (const XelMathSetOfPointsNDWithVectors* s : {&reused, &assigned})
    for (long i = 0; i < 2; i++) {
      s->GetVector(i, v.data());
      EXPECT_EQ(v, zero) << i;
    }
}

TEST_F(PointSets, VectorErrorsNameTheirOperation) {
  XelMathSetOfPointsNDWithVectors set = MakeWithVectors(2), empty(3);
  std::vector<double> p(3), v(3);
  const std::vector<double> point = Pt(1), vector = Vec(1);
  const double *pt = point.data(), *vec = vector.data();
  const struct { std::function<void()> call; long code; std::vector<std::string> texts; } rows[] = {
      {[&] { set.InsertPointWithVector(pt, vec, 3); }, 0x20009,
       {"XelMathSetOfPointsNDWithVectors::InsertPointWithVector",
        "with an index between 0 and the set number of points"}},
      {[&] { set.InsertPoint(pt, -1); }, 0x20009, {"XelMathSetOfPointsNDWithVectors::InsertPoint"}},
      {[&] { set.GetVector(v.data()); }, 0x20008, {"Next", "GetVector"}},
      {[&] { set.ReplaceVector(v.data()); }, 0x20008, {"Next", "ReplaceVector"}},
      {[&] { set.GetPointWithVector(2, p.data(), v.data()); }, 0x20008,
       {"Next", "GetPointWithVector"}},
      {[&] { set.ReplaceVector(-1, v.data()); }, 0x20008, {"Next", "ReplaceVector"}},
      {[&] { empty.SetFirstTangent(v.data()); }, 0x20009, {"on a non empty set"}},
  };
  for (const auto& row : rows)
    ExpectError(row.call, row.code, row.texts);
  EXPECT_EQ(empty.GetLastTangent(), nullptr);
  ExpectVectorsFollow(set);
}

TEST_F(PointSets, TwoTangentsStayWithTheEnds) {
  XelMathSetOfPointsNDTwoTangents set(3);
  set.AddSet(Make(5));
  set.SetFirstTangent(Vec(100).data());
  set.SetLastTangent(Vec(200).data());
  auto Vec3 = [](const double* v) { return std::vector<double>(v, v + 3); };
  auto first = [&](const XelMathSetOfPointsNDTwoTangents& s) { return Vec3(s.GetFirstTangent()); };
  auto last = [&](const XelMathSetOfPointsNDTwoTangents& s) { return Vec3(s.GetLastTangent()); };
  set.InsertPoint(Pt(9).data(), 2);
  set.RemovePoint(2);
  EXPECT_EQ(first(set), Vec(100));
  EXPECT_EQ(last(set), Vec(200));

  set.AutoInvert();
  EXPECT_EQ(first(set), Vec(200));
  EXPECT_EQ(last(set), Vec(100));
  XelMathSetOfPointsNDTwoTangents reversed(3);
  set.Invert(reversed);
  EXPECT_EQ(Ids(reversed), (std::vector<double>{0, 1, 2, 3, 4}));
  EXPECT_EQ(first(reversed), Vec(100));
  EXPECT_EQ(last(reversed), Vec(200));

  XelMathSetOfPointsNDTwoTangents tail(3);
  reversed.Split(1, tail, 0, 0.0);
  const std::vector<double> zero(3, 0.0);
  EXPECT_EQ(Ids(tail), (std::vector<double>{2, 3, 4}));
  EXPECT_EQ(last(tail), Vec(200)) << "the tail takes the last tangent";
  EXPECT_EQ(first(tail), zero);
  EXPECT_EQ(last(reversed), zero);
  EXPECT_EQ(first(reversed), Vec(100));

  reversed.AddSet(tail);
  EXPECT_EQ(last(reversed), Vec(200)) << "appending a set takes its last tangent";
  XelMathSetOfPointsNDTwoTangents assigned(3);
  assigned = reversed;
  EXPECT_EQ(last(assigned), Vec(200));
  XelMathSetOfPointsND plain(3);
  plain.AddPoint(Pt(1).data());
  assigned = plain;
  EXPECT_EQ(last(assigned), zero);
  reversed.Reset();
  EXPECT_EQ(first(reversed), zero);
}


TEST_F(PointSets, FreeFunctionsAndLength) {
  double a[3] = {1, 2, 3}, b[3] = {4, 6, 3}, c[3] = {1, 2, 4};
  EXPECT_EQ(XelSquareDistanceND(3, a, b), 25.0);
  EXPECT_EQ(XelScalarProductND(3, a, b, a, c), 0.0);
  EXPECT_EQ(XelScalarProductND(3, a, b, a, b), 25.0);
  double out[3];
  double p[3] = {4, 2, 3}; // projects at 3/5 * 3/5 of ab... t = (3*3 + 0) / 25
  double t = XelProjectPointOnSegmentND(3, p, a, b, out, 0.0);
  ExpectNear({t, out[0], out[1]}, {9.0 / 25.0, 1 + 3 * 9.0 / 25.0, 2 + 4 * 9.0 / 25.0}, RoundOff);
  double beyond[3] = {10, 20, 3};
  EXPECT_EQ(XelProjectPointOnSegmentND(3, beyond, a, b, out, 0.0), 1.0);
  EXPECT_EQ(XelProjectPointOnSegmentND(3, p, a, a, out, 1e-9), 0.0);
  EXPECT_EQ(Make2D({{1, 1}}).Length(), 0.0);
}

TEST_F(PointSets, DistanceToAPolyline) {
  // An L: (0,0) -> (4,0) -> (4,3).
  XelMathSetOfPointsND set = Make2D({{0, 0}, {4, 0}, {4, 3}});
  // (query, distance, segment, projection); (7, 7) is nearest to the end (4, 3).
  const struct { double q[2], d; long segment; double proj[2]; } rows[] = {
      {{1, 2}, 2.0, 0, {1, 0}}, {{5, 2}, 1.0, 1, {4, 2}}, {{7, 7}, 5.0, 1, {4, 3}}};
  long index;
  for (const auto& row : rows) {
    double proj[2];
    EXPECT_NEAR(set.DistanceMin(row.q, index, 0.0, proj), row.d, RoundOff) << row.q[0];
    EXPECT_EQ(index, row.segment);
    ExpectNear({proj[0], proj[1]}, {row.proj[0], row.proj[1]}, RoundOff);
  }
  XelMathSetOfPointsND empty(2);
  EXPECT_EQ(empty.DistanceMin(rows[0].q, index, 0.0), XelMathInfinite);
  EXPECT_EQ(index, -1);

  // Two skew polylines in space: the x axis and a segment above it along y at height 2.
  XelMathSetOfPointsND axis = Make2D({{-1, 0, 0}, {1, 0, 0}, {3, 1, 0}});
  XelMathSetOfPointsND above = Make2D({{0.5, -1, 2}, {0.5, 1, 2}});
  long i, j;
  double pa[3], pb[3];
  EXPECT_NEAR(axis.GetClosestPoints(above, i, j, pa, pb), 2.0, RoundOff);
  EXPECT_EQ(i, 0);
  EXPECT_EQ(j, 0);
  ExpectNear({pa[0], pb[1], pb[2]}, {0.5, 0.0, 2.0}, RoundOff);

  // Inclusion: the middle points of the L lie on it.
  XelMathSetOfPointsND inner = Make2D({{2, 0}, {4, 1.5}});
  EXPECT_TRUE(inner.IsIncludedIn(set, 1e-12));
  EXPECT_TRUE(set.IsContaining(inner, 1e-12));
  EXPECT_FALSE(set.IsIncludedIn(inner, 1e-12));
  double s0[2] = {3, -1}, s1[2] = {5, 1};
  EXPECT_EQ(set.GetFirstPointOnSegment(s0, s1, 1e-12), 1);
  EXPECT_EQ(set.GetFirstPointOnSegment(s0, s1, 1e-12, 2), -1);
}

TEST_F(PointSets, AlignmentMonotonyBoxAndVertices) {
  XelMathSetOfPointsND set = Make2D({{0, 0}, {1, 1e-7}, {2, 0}, {3, 5}});
  EXPECT_TRUE(set.IsLinear(0, 2, 1e-6));
  EXPECT_FALSE(set.IsLinear(0, 2, 1e-8));
  EXPECT_FALSE(set.IsLinear(0, 3, 1e-6));
  ExpectError([&] { set.IsLinear(2, 4, 1e-6); }, 0x20007, {"Wrong Index"});
  EXPECT_EQ(set.IsMonotonousAlong(0), 1);
  EXPECT_EQ(set.IsMonotonousAlong(1), 0);
  EXPECT_EQ(Make2D({{3, 1}, {2, 2}}).IsMonotonousAlong(0), -1);
  double lo[2], hi[2];
  EXPECT_EQ(set.BoundingBox(lo, hi), 1);
  EXPECT_TRUE(lo[0] == 0.0 && lo[1] == 0.0 && hi[0] == 3.0 && hi[1] == 5.0);
  EXPECT_EQ(XelMathSetOfPointsND(2).BoundingBox(lo, hi), 0);
  long index;
  double q[2] = {2, 1e-11};
  EXPECT_TRUE(set.IsPointVertex(q, 1e-10, index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(set.IsPointVertex(q, 1e-12, index));
  EXPECT_EQ(index, -1);
}


TEST_F(PointSets, CircleThroughThreePoints) {
  // Centre (1, 2), radius 5.
  XelMathSetOfPointsND set = Make2D({{6, 2}, {1, 7}, {-4, 2}, {0, 0}, {2, 0}});
  double center[2], radius;
  ASSERT_EQ(set.FindCircle(0, 1, 2, center, radius, 1e-10), 1);
  ExpectNear({center[0], center[1], radius}, {1.0, 2.0, 5.0}, RoundOff);
  // (0,0), (2,0), (1,7): centre on x = 1 at y with 1 + y^2 = (7 - y)^2, y = 24/7.
  ASSERT_EQ(set.FindCircle(3, 4, 1, center, radius, 1e-10), 1);
  ExpectNear({center[0], center[1], radius}, {1.0, 24.0 / 7.0, 25.0 / 7.0}, RoundOff);
  // Aligned or repeated points have no circle.
  XelMathSetOfPointsND line = Make2D({{0, 0}, {1, 1}, {2, 2}});
  EXPECT_EQ(line.FindCircle(0, 1, 2, center, radius, 1e-10), 0);
  EXPECT_EQ(line.FindCircle(0, 1, 1, center, radius, 1e-10), 0);
  ExpectError([&] { line.FindCircle(0, 1, 3, center, radius, 1e-10); }, 0x20007, {"Wrong Index"});

  // In space: a circle of radius 2 about (1, 1, 1) in the plane spanned by u and w.
  const double u[3] = {1 / std::sqrt(2.0), 1 / std::sqrt(2.0), 0}, w[3] = {0, 0, 1};
  XelMathSetOfPointsND space(3);
  for (double angle : {0.3, 1.9, 4.0}) {
    double p[3];
    for (int k = 0; k < 3; k++)
      p[k] = 1 + 2 * (std::cos(angle) * u[k] + std::sin(angle) * w[k]);
    space.AddPoint(p);
  }
  double c3[3];
  ASSERT_EQ(space.FindCircle(0, 1, 2, c3, radius, 1e-10), 1);
  for (int k = 0; k < 3; k++)
    EXPECT_NEAR(c3[k], 1.0, RoundOff);
  EXPECT_NEAR(radius, 2.0, RoundOff);
}

TEST_F(PointSets, ConicThroughFivePoints) {
  // The ellipse x^2/9 + y^2/4 = 1 moved to centre (2, -1) and turned by 30 degrees.
  const double a = 3, b = 2, cx = 2, cy = -1, phi = XelPI / 6;
  XelMathSetOfPointsND set(2);
  for (double t : {0.1, 1.2, 2.5, 3.9, 5.1, 0.7, 4.4}) {
    double x = a * std::cos(t), y = b * std::sin(t);
    double p[2] = {cx + x * std::cos(phi) - y * std::sin(phi),
                   cy + x * std::sin(phi) + y * std::cos(phi)};
    set.AddPoint(p);
  }
  long five[5] = {0, 1, 2, 3, 4};
  double coef[6];
  ASSERT_EQ(set.FindConic(five, coef, 1e-10), 1);
  // The conic vanishes at the two other points of the ellipse.
  for (long i : {5L, 6L}) {
    std::vector<double> p = PointOf(set, i);
    double q = coef[0] * p[0] * p[0] + coef[1] * p[0] * p[1] + coef[2] * p[1] * p[1] +
               coef[3] * p[0] + coef[4] * p[1] + coef[5];
    EXPECT_NEAR(q, 0.0, 1e-12);
  }
  double center[2], axes[2], angle;
  ASSERT_EQ(XelMathSetOfPointsND::FindConicParameters(coef, center, axes, angle, 1e-12), 1);
  const double geometry = 1e-9;
  ExpectNear({center[0], center[1], axes[0], axes[1], angle}, {cx, cy, a, b, phi}, geometry);

  // Least squares on all seven points: they lie on the conic.
  double all[6];
  EXPECT_EQ(set.FindConic(all, 1e-9), 1);
  for (int k = 0; k < 6; k++)
    EXPECT_NEAR(all[k], coef[k], 1e-9);

  // Four aligned points do not determine a conic; fewer than five points neither.
  XelMathSetOfPointsND degenerate = Make2D({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {1, 1}});
  EXPECT_EQ(degenerate.FindConic(five, coef, 1e-10), 0);
  EXPECT_EQ(Make2D({{0, 0}, {1, 0}}).FindConic(coef, 1e-10), -1);
  long bad[5] = {0, 1, 2, 3, 9};
  ExpectError([&] { set.FindConic(bad, coef, 1e-10); }, 0x20007, {"Wrong Index"});
}

TEST_F(PointSets, ConicParametersOfParabolaAndHyperbola) {
  // y = x^2 + 1 (p = 1/2, towards +y); (x - 1)^2/4 - y^2/9 = 1; x^2 = y^2; x^2 + y^2 = -1.
  struct Row { double coef[6]; int kind; std::vector<double> want; };
  const Row rows[] = {{{1, 0, 0, 0, -1, 1}, 3, {0.0, 1.0, 0.5, 0.0, XelPIBY2}},
                      {{9, 0, -4, -18, 0, -27}, 2, {1.0, 0.0, 2.0, 3.0, 0.0}},
                      {{1, 0, -1, 0, 0, 0}, 0, {}}, {{1, 0, 1, 0, 0, 1}, 0, {}}};
  for (const Row& row : rows) {
    double c[2], axes[2] = {0, 0}, angle;
    ASSERT_EQ(XelMathSetOfPointsND::FindConicParameters(row.coef, c, axes, angle, 1e-12), row.kind);
    if (row.kind == 3)
      axes[1] = 0.0; // a parabola has one parameter
    if (!row.want.empty())
      ExpectNear({c[0], c[1], axes[0], axes[1], angle}, row.want, RoundOff);
  }
}


TEST_F(PointSets, ChordLengthParameters) {
  XelMathSetOfPointsND set = Make2D({{0, 0}, {3, 4}, {3, 10}});
  XelMathSetOfPointsND t(1);
  EXPECT_NEAR(set.Length(), 11.0, RoundOff);
  set.InitializeParameters(t, 0);
  EXPECT_EQ(PointOf(t, 0)[0], 0.0);
  EXPECT_NEAR(PointOf(t, 1)[0], 5.0, RoundOff);
  EXPECT_NEAR(PointOf(t, 2)[0], 11.0, RoundOff);
  set.InitializeParameters(t);
  EXPECT_NEAR(PointOf(t, 1)[0], 5.0 / 11.0, RoundOff);
  EXPECT_EQ(PointOf(t, 2)[0], 1.0);
  XelMathSetOfPointsND wrong(2);
  ExpectError([&] { set.InitializeParameters(wrong); }, 0x20006, {"Dimension not valid"});
}

TEST_F(PointSets, MonotoneTangentsKeepMonotoneDataMonotone) {
  // Monotone data with a flat stretch and a jump: the Hermite cubics stay monotone.
  const std::vector<double> x = {0, 1, 2, 3, 3.5, 6, 7}, y = {0, 0.1, 0.1, 0.2, 5, 5.5, 8};
  XelMathSetOfPointsND graph(2), slopes(2);
  for (size_t i = 0; i < x.size(); i++)
    graph.AddPoint(std::vector<double>{x[i], y[i]}.data());
  graph.ComputeTangents1D(slopes);
  ASSERT_EQ(slopes.GetNumberOfPoints(), 7);
  for (size_t i = 0; i + 1 < x.size(); i++) {
    double m0 = PointOf(slopes, static_cast<long>(i))[1];
    double m1 = PointOf(slopes, static_cast<long>(i) + 1)[1];
    EXPECT_EQ(PointOf(slopes, static_cast<long>(i))[0], 1.0);
    EXPECT_GE(m0, 0.0);
    double previous = y[i];
    for (int s = 1; s <= 50; s++) {
      double v = Hermite(x[i], y[i], m0, x[i + 1], y[i + 1], m1, x[i] + (x[i + 1] - x[i]) * s / 50);
      EXPECT_GE(v, previous - RoundOff) << "interval " << i;
      previous = v;
    }
  }
  // Equal neighbouring values give a zero slope (no overshoot on the flat stretch).
  EXPECT_EQ(PointOf(slopes, 1)[1], 0.0);
  EXPECT_EQ(PointOf(slopes, 2)[1], 0.0);

  // Decreasing abscissae are accepted: the slopes are the same d/dx.
  XelMathSetOfPointsND reversed(2), slopesReversed(2);
  graph.Invert(reversed);
  reversed.ComputeTangents1D(slopesReversed);
  for (long i = 0; i < 7; i++)
    EXPECT_NEAR(PointOf(slopesReversed, 6 - i)[1], PointOf(slopes, i)[1], RoundOff);
}

TEST_F(PointSets, TangentsAlongCurves) {
  // Points along a straight line: chord-length tangents are the unit direction.
  XelMathSetOfPointsND line(3), tangents(3);
  for (double s : {0.0, 0.5, 2.0, 2.25})
    line.AddPoint(std::vector<double>{1 + 2 * s / 3, -s / 3, 2 * s / 3}.data());
  line.ComputeTangents(tangents);
  for (long i = 0; i < 4; i++)
    ExpectNear(PointOf(tangents, i), {2.0 / 3.0, -1.0 / 3.0, 2.0 / 3.0}, RoundOff);
  // Closed unit circle: tangents normal to the radius within the step; closing = first.
  const int n = 48;
  const double step = Xel2PI / n;
  XelMathSetOfPointsND circle(2), loop(2);
  for (int i = 0; i <= n; i++) {
    double a = Xel2PI * (i % n) / n;
    circle.AddPoint(std::vector<double>{std::cos(a), std::sin(a)}.data());
  }
  circle.SetPeriodic(1);
  circle.ComputeTangents(loop);
  for (long i = 0; i <= n; i++) {
    std::vector<double> p = PointOf(circle, i), t = PointOf(loop, i);
    double radial = p[0] * t[0] + p[1] * t[1];
    EXPECT_LT(std::fabs(radial), 0.5 * step * std::hypot(t[0], t[1])) << i;
  }
  EXPECT_EQ(PointOf(loop, 0), PointOf(loop, n));

  // Explicit parameters, and end tangents given by a set with two tangents.
  XelMathSetOfPointsNDTwoTangents ends(2);
  ends.AddSet(Make2D({{0, 0}, {1, 1}, {2, 0}}));
  double given[2] = {0, 7};
  ends.SetFirstTangent(given);
  XelMathSetOfPointsND params(1), out(2);
  for (double t : {0.0, 1.0, 2.0})
    params.AddPoint(&t);
  ends.ComputeTangents(out, &params);
  EXPECT_EQ(PointOf(out, 0), (std::vector<double>{0, 7}));
  EXPECT_NEAR(PointOf(out, 1)[0], 1.0, RoundOff);
  EXPECT_EQ(PointOf(out, 1)[1], 0.0);
}

TEST_F(PointSets, TangentsThatCannotBeComputedRaise) {
  XelMathSetOfPointsND single = Make2D({{1, 1}}), out(2), params(1), line(1), wrong(2);
  XelMathSetOfPointsND repeated = Make2D({{0, 0}, {1, 1}, {1, 2}});
  XelMathSetOfPointsND folded = Make2D({{0, 0}, {2, 1}, {1, 2}});
  XelMathSetOfPointsND coincident = Make2D({{0, 0}, {0, 0}, {1, 2}});
  const double t = 0;
  for (int i = 0; i < 3; i++)
    params.AddPoint(&t);
  line.AddPoint(&t);
  line.AddPoint(&t);
  const std::function<void()> calls[] = {
      [&] { single.ComputeTangents(out); },     [&] { single.ComputeTangents1D(out); },
      [&] { repeated.ComputeTangents1D(out); }, [&] { folded.ComputeTangents1D(out); },
      [&] { coincident.ComputeTangents(out); }, [&] { repeated.ComputeTangents(out, &params); },
      [&] { line.ComputeTangents1D(wrong); }};
  for (const auto& call : calls)
    ExpectError(call, 0x2000e, {});
  ExpectError([&] { repeated.ComputeTangents(line); }, 0x20006, {"Dimension not valid"});
}


TEST_F(PointSets, SimplifyKeepsTheShapeWithinTolerance) {
  // A zigzag of small noise on a line with one real corner at (5, 3).
  XelMathSetOfPointsND set =
      Make2D({{0, 0}, {1, 0.01}, {2, -0.01}, {3, 0.0}, {5, 3}, {6, 3.01}, {7, 3}});
  XelMathSetOfPointsND original(set);
  XelMathSetOfLongs removed;
  // By hand: (3, 0) is farthest from (0,0)-(7,3), then (5, 3); points 1, 2, 5 are noise.
  EXPECT_EQ(set.Simplify(0.05, &removed), 3);
  EXPECT_EQ(set.GetNumberOfPoints(), 4);
  std::vector<long> gone;
  for (long i = 0; i < removed.GetNumberOfElements(); i++)
    gone.push_back(removed.GetElement(i));
  EXPECT_EQ(gone, (std::vector<long>{1, 2, 5}));
  EXPECT_TRUE(original.IsIncludedIn(set, 0.05));
  EXPECT_EQ(set.Simplify(0.05), 0);
}

TEST_F(PointSets, RemoveMultiplePointsAndReduceGranularity) {
  XelMathSetOfPointsNDWithVectors set(3);
  const double jitter = 1e-9;
  for (double id : {0.0, jitter, 1.0, 1.0 + jitter, 2.0, jitter * 2})
    set.AddPointWithVector(Pt(id).data(), Vec(id).data());
  XelMathSetOfPointsNDWithVectors global(set);
  EXPECT_EQ(set.RemoveMultiplePoints(1e-6, 0), 2);
  EXPECT_EQ(Ids(set), (std::vector<double>{0, 1, 2, 2 * jitter}));
  EXPECT_EQ(global.RemoveMultiplePoints(1e-6, 1), 3);
  EXPECT_EQ(Ids(global), (std::vector<double>{0, 1, 2}));

  // Points every 0.1 along a line of length 1: keep a spacing of at least 0.25.
  XelMathSetOfPointsND dense(1);
  for (int i = 0; i <= 10; i++) {
    double x = 0.1 * i;
    dense.AddPoint(&x);
  }
  long removed = dense.ReduceGranularity(0.25);
  EXPECT_EQ(dense.GetNumberOfPoints(), 11 - removed);
  EXPECT_EQ(PointOf(dense, 0)[0], 0.0);
  EXPECT_EQ(PointOf(dense, dense.GetNumberOfPoints() - 1)[0], 1.0);
  for (long i = 0; i + 1 < dense.GetNumberOfPoints(); i++)
    EXPECT_GE(PointOf(dense, i + 1)[0] - PointOf(dense, i)[0], 0.25 - RoundOff);
  EXPECT_EQ(dense.GetNumberOfPoints(), 4); // 0, 0.3, 0.6, 1 (0.9 is too close to 1)
}


TEST_F(PointSets, ConvexityOfContours) {
  EXPECT_EQ(Make2D({{0, 0}, {1, 0}, {1, 1}, {0, 1}}).ConvexContour(1e-12), 1);
  EXPECT_EQ(Make2D({{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}}).ConvexContour(1e-12), -1);
  EXPECT_EQ(Make2D({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}).ConvexContour(1e-12), 0);
  // A point on an edge is not a turn.
  EXPECT_EQ(Make2D({{0, 0}, {1, 0}, {2, 0}, {2, 2}, {0, 2}}).ConvexContour(1e-12), 1);
  // A pentagram turns the same way at every vertex but twice around.
  XelMathSetOfPointsND star(2);
  for (int i = 0; i < 5; i++) {
    double a = Xel2PI * (2 * i % 5) / 5;
    star.AddPoint(std::vector<double>{std::cos(a), std::sin(a)}.data());
  }
  EXPECT_EQ(star.ConvexContour(1e-12), 0);
  EXPECT_EQ(Make2D({{0, 0}, {1, 1}}).ConvexContour(1e-12), 0);
}

TEST_F(PointSets, ConvexHullOfAKnownCloud) {
  // The square [0,4]^2 with edge midpoints, interior points and a repeated corner.
  XelMathSetOfPointsND cloud = Make2D({{2, 2}, {4, 4}, {0, 0}, {2, 0}, {1, 3}, {4, 0}, {4, 2},
                                       {0, 4}, {3, 1}, {0, 2}, {4, 4}, {2, 4}});
  XelMathSetOfPointsND hull(2);
  XelMathSetOfLongs indices;
  EXPECT_EQ(cloud.CreateConvex(hull, 1e-12, &indices), 4);
  std::vector<std::vector<double>> expected = {{0, 0}, {4, 0}, {4, 4}, {0, 4}};
  for (long i = 0; i < 4; i++) {
    EXPECT_EQ(PointOf(hull, i), expected[static_cast<size_t>(i)]);
    EXPECT_EQ(PointOf(cloud, indices.GetElement(i)), expected[static_cast<size_t>(i)]);
  }
  EXPECT_EQ(hull.ConvexContour(1e-12), 1);
}

TEST_F(PointSets, TrivialHulls) {
  // Aligned points give their two ends; a cluster within tolerance gives one point.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Row { std::vector<std::vector<double>> cloud, hull; };
  const Row rows[] = {{{{1, 1}, {3, 3}, {0, 0}, {2, 2}}, {{0, 0}, {3, 3}}},
                      {{{0, 5}, {0, -1}, {0, 2}}, {{0, -1}, {0, 5}}},
                      {{{1, 1}, {1 + 1e-13, 1}}, {{1, 1}}}};
  XelMathSetOfPointsND hull(2);
  for (const Row& row : rows) {
    ASSERT_EQ(Make2D(row.cloud).CreateConvex(hull, 1e-12), static_cast<long>(row.hull.size()));
    for (size_t i = 0; i < row.hull.size(); i++)
      EXPECT_EQ(PointOf(hull, static_cast<long>(i)), row.hull[i]);
  }
  EXPECT_EQ(Make2D({{0, 0}, {1, 0}, {0, 1}}).TrivialConvex(hull, 1e-12), 0);
  EXPECT_EQ(hull.GetNumberOfPoints(), 1) << "untouched when not trivial";
  XelMathSetOfPointsND line(1);
  ExpectError([&] { line.CreateConvex(line, 0.0); }, 0x20006, {"Dimension not valid"});
  // Points with a non-finite coordinate take no part in the hull.
  XelMathSetOfPointsND spoiled = Make2D({{0, 0}, {nan, 1}, {2, 0}, {1, 2}, {1, HUGE_VAL}});
  EXPECT_EQ(spoiled.CreateConvex(hull, 1e-12), 3);
  EXPECT_EQ(hull.ConvexContour(1e-12), 1);
}

TEST_F(PointSets, PointPositionAgainstAPolygon) {
  // A concave polygon (an L).
  XelMathSetOfPointsND l = Make2D({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}});
  XelMathSetOfPointsND reversed(2); // orientation does not matter
  l.Invert(reversed);
  // Inside, in the notch, on an edge, at a vertex, far away.
  const struct { double q[2]; long where; } rows[] = {
      {{0.5, 1.5}, 1}, {{1.5, 1.5}, -1}, {{1, 1.5}, 0}, {{2, 0}, 0}, {{-3, 0}, -1}};
  for (const auto& row : rows)
    for (const XelMathSetOfPointsND* s : {&l, &reversed})
      EXPECT_EQ(s->PointPosition(row.q, 1e-12), row.where) << row.q[0] << " " << row.q[1];
}
