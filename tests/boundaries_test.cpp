// Boundary cases that ordinary samples never reach: the last valid index, a point interval, a
// zero slope, default orders, stale points past the end of a set, mixed third derivatives.
#include <cmath>
#include <memory>
#include <vector>

#include "XelError.h"
#include "XelMathCircle.h"
#include "XelMathCompositionXByRN.h"
#include "XelMathFunctionRN.h"
#include "XelMathGaussLegendre.h"
#include "XelMathNxNBandSymMatrix.h"
#include "XelMathPolynomX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelMathSolveX.h"
#include "XelMathTransformation2D.h"
#include "XelTolerance.h"
#include "test_helpers.h"

using namespace xeltest;

namespace {

XelMathSetOfPointsND Polyline(const std::vector<std::vector<double>>& iPoints) {
  XelMathSetOfPointsND set(static_cast<long>(iPoints.front().size()));
  for (const auto& p : iPoints)
    set.AddPoint(p.data());
  return set;
}

// F(u, v, w) = u v w: its only non-zero third derivative is the mixed one, (0, 1, 2) = 1.
class TripleProductRN : public XelMathFunctionRN {
public:
  TripleProductRN() : XelMathFunctionRN(3) {}
  const char* IsA() const override { return "TripleProductRN"; }
  XelMathFunctionRN* Duplicate() const override { return new TripleProductRN(); }
  using XelMathFunctionRN::Eval;
  using XelMathFunctionRN::EvalFirstDeriv;
  using XelMathFunctionRN::EvalSecondDeriv;
  using XelMathFunctionRN::EvalThirdDeriv;
  double Eval(const double* x) const override { return x[0] * x[1] * x[2]; }
  double EvalFirstDeriv(const long& i, const double* x) const override {
    return x[(i + 1) % 3] * x[(i + 2) % 3];
  }
  double EvalSecondDeriv(const long& i, const long& j, const double* x) const override {
    return i == j ? 0.0 : x[3 - i - j];
  }
  double EvalThirdDeriv(const long& i, const long& j, const long& k, const double*) const override {
    return i != j && j != k && i != k ? 1.0 : 0.0;
  }
};

} // namespace

TEST(Boundaries, PointSetIndicesAndStalePoints) {
  // Splitting at the point count is off the set.
  XelMathSetOfPointsND line = Polyline({{0, 0}, {1, 0}, {2, 0}}), other(2);
  ExpectInputError([&] { line.Split(3, other, 1, 0.0); }, 0x20007);
  // Points removed from the end stay in memory; simplification reads only the live ones.
  XelMathSetOfPointsND shortened = Polyline({{0, 0}, {1, 0}, {2, 0}, {3, 100}, {4, -100}});
  shortened.RemovePoint(4);
  shortened.RemovePoint(3);
  EXPECT_EQ(shortened.Simplify(0.1), 1);
  EXPECT_EQ(shortened.GetNumberOfPoints(), 2);
  // Points farther apart than the minimum length all stay, the last interior one included.
  XelMathSetOfPointsND spaced = Polyline({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}});
  EXPECT_EQ(spaced.ReduceGranularity(0.5), 0);
  EXPECT_EQ(spaced.GetNumberOfPoints(), 5);
  // A last run exactly the minimum length is long enough: the interior point before it stays.
  EXPECT_EQ(spaced.ReduceGranularity(1.0), 0);
  // There and back as a closed set of three points: the end tangents are the periodic ones
  // (the data turn: zero), not the one-sided estimates of an open set.
  XelMathSetOfPointsND loop = Polyline({{0, 0}, {1, 0}, {0, 0}}), loopTangents(2);
  loop.SetPeriodic(1);
  loop.ComputeTangents(loopTangents, nullptr);
  EXPECT_EQ(loopTangents.GetPoints()[0], 0.0);
  EXPECT_EQ(loopTangents.GetPoints()[4], 0.0);
  // Rays through vertices: a vertex at the height of the point counts once.
  const XelMathSetOfPointsND diamond = Polyline({{0, -1}, {1, 0}, {0, 1}, {-1, 0}});
  const double left[2] = {-2, 0}, inside[2] = {0.5, 0};
  EXPECT_EQ(diamond.PointPosition(left, 1e-12), -1);
  EXPECT_EQ(diamond.PointPosition(inside, 1e-12), 1);
  // More points than the local scratch holds: the chord parameters stay inside their buffer.
  XelMathSetOfPointsND arc(2), tangents(2);
  for (int i = 0; i < 100; ++i) {
    const double p[2] = {std::cos(0.01 * i), std::sin(0.01 * i)};
    arc.AddPoint(p);
  }
  arc.ComputeTangents(tangents);
  EXPECT_EQ(tangents.GetNumberOfPoints(), 100);
  // Chord parameters of a set with no length are 0, normalised or not.
  XelMathSetOfPointsND still = Polyline({{1, 1}, {1, 1}, {1, 1}}), params(1);
  still.InitializeParameters(params, 1);
  EXPECT_EQ(PointsOf(params), std::vector<double>(3, 0.0));
}

TEST(Boundaries, ACoincidentPointLeavesAOnePointSetAlone) {
  XelMathSetOfPointsNDWithVectors set(2);
  const double p[2] = {1, 2}, v[2] = {3, 4}, q[2] = {1 + 1e-12, 2}, w[2] = {5, 6};
  set.AddPointWithVector(p, v);
  EXPECT_EQ(set.AddNewPointWithVector(q, w, 1e-9), 0);
  double outP[2], outV[2];
  set.GetPointWithVector(0, outP, outV);
  EXPECT_EQ(outP[0], 1.0);
  EXPECT_EQ(outV[0], 3.0);
}

TEST(Boundaries, PlaneMapsAndCircles) {
  // A rotation by 30 degrees with a translation: the inverse undoes it.
  const double c = std::cos(kPi / 6), s = std::sin(kPi / 6);
  const double coefs[6] = {2 * c, -2 * s, 3.0, 2 * s, 2 * c, -2.0};
  XelMathTransformation2D map(coefs), inverse;
  ASSERT_EQ(map.Inverse(inverse), 0);
  const auto expectNear = [](double x, double y, double iX, double iY) {
    EXPECT_NEAR(x, iX, 1e-14);
    EXPECT_NEAR(y, iY, 1e-14);
  };
  const XelMathPoint2D back = inverse * (map * XelMathPoint2D(0.7, -1.3));
  expectNear(back.GetX(), back.GetY(), 0.7, -1.3);
  // The product of two maps applies the right one first.
  const double shear[6] = {1.0, 0.5, -1.0, 0.25, 3.0, 2.0};
  const XelMathTransformation2D other(shear);
  const XelMathPoint2D p(0.3, 0.9), once = (map * other) * p, twice = map * (other * p);
  expectNear(once.GetX(), once.GetY(), twice.GetX(), twice.GetY());
  // A quarter turn of a circle from its first axis reaches its second axis.
  XelMathCircle circle(XelMathPoint(1, 2, 3), 2.0, XelMathVector(1, 0, 0), XelMathVector(0, 1, 0));
  const XelMathPoint quarter = circle.EvalPoint(kPi / 2);
  expectNear(quarter.GetX(), quarter.GetY(), 1.0, 4.0);
}

TEST(Boundaries, DegenerateIntervalsSlopesAndDefaultOrders) {
  // Either polynomial missing: no curve to compare, reported once.
  std::unique_ptr<XelMathPolynomX> affine(Poly({1.0, 2.0}));
  const long nulls = XelQuornullCount();
  EXPECT_FALSE(IsConjuguate(affine.get(), 0.0, 1.0, nullptr, 0.0, 1.0, 1e-12));
  EXPECT_FALSE(IsConjuguate(nullptr, 0.0, 1.0, affine.get(), 0.0, 1.0, 1e-12));
  EXPECT_EQ(XelQuornullCount(), nulls + 2);
  // A line of zero slope is monotone and constant.
  const double flat[2] = {3.0, 0.0};
  XelMathPolynomX line(1, flat);
  long sense = 7;
  EXPECT_EQ(line.IsMonotone(XelMathInterval(-1, 1), sense, DefaultTol()), 1);
  EXPECT_EQ(sense, 0);
  // Newton on a point interval at a root succeeds there.
  const double shifted[2] = {-1.0, 1.0};
  XelMathPolynomX root(1, shifted);
  XelMathSolveX solver(&root, DefaultTol());
  double x = 1.0, value = 1.0;
  EXPECT_EQ(solver.SolveNewtonWithInit(XelMathInterval(1, 1), 0, x, value), 0);
  EXPECT_EQ(x, 1.0);
  // Non-positive orders mean the default pair 8 and 12 (x^30 is exact for neither).
  std::vector<double> power30(31, 0.0);
  power30[30] = 1.0;
  XelMathPolynomX p(30, power30.data());
  const XelMathInterval unit(0, 1);
  EXPECT_EQ(MyOwnIntegrateAbsOrRel(&p, unit, 1e-2, 0, DefaultTol(), 0, 0, 0),
            MyOwnIntegrateAbsOrRel(&p, unit, 1e-2, 0, DefaultTol(), 8, 12, 64));
}

TEST(Boundaries, MixedThirdDerivativeOfAComposition) {
  // u v w along u = v = w = x is x^3: every ordering of the mixed index counts.
  const double identity[2] = {0.0, 1.0};
  XelMathPolynomX x(1, identity);
  const XelMathFunctionX* inner[3] = {&x, &x, &x};
  TripleProductRN product;
  XelMathCompositionXByRN cube(&product, inner);
  EXPECT_NEAR(cube.EvalThirdDeriv(0.5), 6.0, 1e-12);
  EXPECT_NEAR(cube.EvalSecondDeriv(0.5), 3.0, 1e-12);
}

TEST(Boundaries, BandMatricesCopyEveryStoredCoefficient) {
  XelMathNxNBandSymMatrix band(5, 2), copy(2, 1);
  for (long i = 0; i < 5; ++i) {
    band.SetCoef(i, i, 4.0 + i);
    if (i > 0)
      band.SetCoef(i, i - 1, -1.0 - i);
  }
  copy = band;
  const XelMathNxNBandSymMatrix constructed(band);
  for (long i = 0; i < 5; ++i)
    for (long j = 0; j < 5; ++j) {
      EXPECT_EQ(copy.GetCoef(i, j), band.GetCoef(i, j)) << i << ", " << j;
      EXPECT_EQ(constructed.GetCoef(i, j), band.GetCoef(i, j)) << i << ", " << j;
    }
}
