// Counts and indices far out of reach (near LONG_MAX, negative, or whose products wrap
// around) given to every class that sizes or indexes an array: point sets, boxes,
// polynomials, Chebyshev expansions and cosine transforms, attributes, composites, piecewise
// functions, grids, checkers and the memory services; and null points or functions where a
// stored one is needed. Each raises its error with its code and texts before any arithmetic
// can overflow or any entry is read, allocates nothing but the error and leaves the objects it
// was called on unchanged.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "XelMathAttrDecomposition.h"
#include "XelMathAttrMultipleDomain.h"
#include "XelMathAttrRepartition.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathCheckFunctionX.h"
#include "XelMathCheckFunctionXY.h"
#include "XelMathCombinationX.h"
#include "XelMathCombinationXY.h"
#include "XelMathFourierTransform.h"
#include "XelMathGrid.h"
#include "XelMathInputError.h"
#include "XelMathIntegrationFunctionX.h"
#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelMathLinearX.h"
#include "XelMathMultiFunctionX.h"
#include "XelMathPiecewiseX.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDTwoTangents.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelMathSumSquareX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"
#include "test_helpers.h"

namespace {

struct Misuse {
  std::string what;
  std::function<void()> call;
  long code;
  std::vector<std::string> texts; // what, why, where ("" not checked)
};

// i * 3 wraps around to -1 in 64-bit arithmetic: the place just before the array.
const long kWrapsToMinusOne = 6148914691236517205L;
// 8 i wraps around to 8: a byte size of one entry.
const long kBytesWrap = (1L << 61) + 1;

} // namespace

TEST(ExtremeCounts, RaiseTheInputErrorBeforeAnyAllocation) {
  double p[3] = {1.0, 2.0, 3.0};
  double work[16] = {0.0};
  // Sets of each kind holding two points (with room for four), a box of dimension 3 and a
  // cubic, on which the misuses are tried.
  XelMathSetOfPointsND plain(3, 4);
  XelMathSetOfPointsNDTwoTangents two(3, 4);
  XelMathSetOfPointsNDWithVectors vectors(3, 4);
  XelMathSetOfPointsND* sets[3] = {&plain, &two, &vectors};
  for (XelMathSetOfPointsND* set : sets) {
    set->AddPoint(p);
    set->AddPoint(p);
  }
  const double bounds[6] = {0.0, 1.0, -1.0, 1.0, 2.0, 3.0};
  XelMathIntervalND box(3, bounds);
  const double coefficients[4] = {1.0, -2.0, 0.5, 3.0};
  XelMathPolynomX cubic(3, coefficients, 0.0);
  // Two pieces on [1, 2, 3], a bilinear polynomial of two variables and the boxes of a grid.
  const XelMathFunctionX* pieces[2] = {&cubic, &cubic};
  const XelMathFunctionX* functions[1] = {&cubic};
  XelMathPiecewiseX piecewise(2, p, pieces);
  const double bilinear[4] = {1.0, 1.0, 1.0, 0.0};
  XelMathPolynomXY surface(1, 1, bilinear);
  const XelMathFunctionXY* surfaces[1] = {&surface};
  const XelMathIntervalND line(1, bounds), square(2, bounds);
  const XelMathInterval unit(0.0, 1.0);
  const long huge[2] = {1L << 32, 1L << 32}, longByTwo[2] = {LONG_MAX, 2}, two2[2] = {2, 2};
  long integers[2] = {1, 2};
  double* const w = work; // outputs of the grids: each call raises first
  const XelTolerance& tolerance = XelGetDefaultTolerance();
  const XelMathCheckFunctionX checkerX(&cubic, 1e-6);
  const XelMathCheckFunctionXY checkerXY(&surface, 1e-6);

  const std::string badIndex = "with an index between 0 and the set number of points";
  const std::string badRemoval =
      "with its argument index between 0 and the set number of points minus 1";
  std::vector<Misuse> misuses = {
      // Point sets: dimensions and counts.
      {"plain dimension", [] { XelMathSetOfPointsND s(LONG_MAX); }, 0x20006,
       {"Dimension not valid", "a dimension the memory can hold",
        "XelMathSetOfPointsND::XelMathSetOfPointsND"}},
      {"two-tangent dimension", [] { XelMathSetOfPointsNDTwoTangents s(LONG_MAX); }, 0x20006,
       {"Dimension not valid", "",
        "XelMathSetOfPointsNDTwoTangents::XelMathSetOfPointsNDTwoTangents"}},
      {"vector dimension", [] { XelMathSetOfPointsNDWithVectors s(LONG_MAX / 2); }, 0x20006,
       {"Dimension not valid", "",
        "XelMathSetOfPointsNDWithVectors::XelMathSetOfPointsNDWithVectors"}},
      {"plain capacity", [] { XelMathSetOfPointsND s(3, LONG_MAX); }, 0x20004,
       {"Invalid Number Of Points", "XelMathSetOfPointsND::XelMathSetOfPointsND"}},
      {"two-tangent capacity", [] { XelMathSetOfPointsNDTwoTangents s(3, LONG_MAX / 2); }, 0x20004,
       {"Invalid Number Of Points"}},
      {"vector capacity", [] { XelMathSetOfPointsNDWithVectors s(1L << 20, 1L << 40); }, 0x20004,
       {"Invalid Number Of Points",
        "XelMathSetOfPointsNDWithVectors::XelMathSetOfPointsNDWithVectors"}},
      // Point sets: indices whose product with the dimension wraps around.
      {"SetCoordAtPoint", [&] { plain.SetCoordAtPoint(9.0, 0, kWrapsToMinusOne); }, 0x20006,
       {"Point or Composant", "Invalid", "XelMathSetOfPointsND::SetCoord"}},
      {"SetCoordAtPoint k", [&] { two.SetCoordAtPoint(9.0, LONG_MAX, 1); }, 0x20006,
       {"Point or Composant", "Invalid", "XelMathSetOfPointsND::SetCoord"}},
      {"SetCoordAtPoint -i", [&] { vectors.SetCoordAtPoint(9.0, 2, LONG_MIN); }, 0x20006,
       {"Point or Composant"}},
      {"InsertPointWithVector", [&] { vectors.InsertPointWithVector(p, p, kWrapsToMinusOne); },
       0x20009,
       {"XelMathSetOfPointsNDWithVectors::InsertPointWithVector", badIndex}},
      {"GetVector", [&] { vectors.GetVector(kWrapsToMinusOne, work); }, 0x20008,
       {"Next", "GetVector"}},
      {"ReplaceVector", [&] { vectors.ReplaceVector(LONG_MIN, p); }, 0x20008,
       {"Next", "ReplaceVector"}},
      {"GetPointWithVector", [&] { vectors.GetPointWithVector(-1, work, work + 3); }, 0x20008,
       {"Next", "GetPointWithVector"}},
      // Boxes.
      {"box dimension", [] { XelMathIntervalND b(LONG_MAX); }, 0x20006,
       {"Dimension not valid", "a dimension the memory can hold",
        "XelMathIntervalND::XelMathIntervalND"}},
      {"box dimension with bounds", [&] { XelMathIntervalND b(LONG_MAX / 2 + 1, bounds); }, 0x20006,
       {"Dimension not valid"}},
      {"GetMin", [&] { (void)box.GetMin(LONG_MAX / 2 + 1); }, 0x20007,
       {"Wrong Index", "XelMathIntervalND::GetMin"}},
      {"GetMax", [&] { (void)box.GetMax(3); }, 0x20007,
       {"Wrong Index", "XelMathIntervalND::GetMax"}},
      {"GetInterval", [&] { (void)box.GetInterval(-1); }, 0x20007,
       {"Wrong Index", "XelMathIntervalND::GetInterval"}},
      {"SetMin", [&] { box.SetMin(LONG_MIN, 0.0); }, 0x20007,
       {"Wrong Index", "XelMathIntervalND::SetMin"}},
      {"SetMax", [&] { box.SetMax(LONG_MAX, 0.0); }, 0x20007,
       {"Wrong Index", "XelMathIntervalND::SetMax"}},
      {"SetInterval", [&] { box.SetInterval(3, XelMathInterval(0.0, 1.0)); }, 0x20007,
       {"Wrong Index", "XelMathIntervalND::SetInterval"}},
      // Polynomials.
      {"polynomial degree", [] { XelMathPolynomX q(LONG_MAX, nullptr, 0.0); }, 0x20006,
       {"the degree", "Dimension not valid", "XelMathPolynomX::XelMathPolynomX"}},
      {"SetCoefficients", [&] { cubic.SetCoefficients(LONG_MAX, p); }, 0x20006,
       {"the degree", "Dimension not valid", "XelMathPolynomX::SetCoefficients"}},
      {"NeedCoeffForDegree", [&] { cubic.NeedCoeffForDegree(LONG_MAX); }, 0x20006,
       {"the degree", "Dimension not valid", "XelMathPolynomX::NeedCoeffForDegree"}},
      {"ChebyshevToCanonical", [&] { XelMathPolynomX::ChebyshevToCanonical(LONG_MAX, p, work); },
       0x20006,
       {"the degree", "Dimension not valid", "XelMathPolynomX::ChebyshevToCanonical"}},
      {"CanonicalToChebyshev", [&] { XelMathPolynomX::CanonicalToChebyshev(LONG_MAX, p, work); },
       0x20006,
       {"the degree", "Dimension not valid", "XelMathPolynomX::CanonicalToChebyshev"}},
      // Chebyshev expansions and cosine transforms.
      {"ComputeChebyshevCoefficients",
       [&] { cubic.ComputeChebyshevCoefficients(XelMathInterval(0.0, 1.0), LONG_MAX); },
       0x20004,
       {"Invalid Number Of Points", " ", "XelMathFunctionX::ComputeChebyshevCoefficients"}},
      {"SlowCosineTransform2",
       [&] { XelMathFourierTransform::SlowCosineTransform2(p, LONG_MAX - 1, work); },
       0x20009,
       {"SlowCosineTransform2", " "}},
      {"CosineTransform2",
       [&] { XelMathFourierTransform::CosineTransform2(p, LONG_MAX - 1, work); },
       0x20009,
       {"CosineTransform2", " "}},
      {"FastFourierTransformReal",
       [&] { XelMathFourierTransform::FastFourierTransformReal(p, LONG_MAX, work); },
       0x20009,
       {"FastFourierTransformReal", " "}},
      {"CosineTransform2_2D",
       [&] { XelMathFourierTransform::CosineTransform2_2D(work, 1L << 32, 1L << 32, work); },
       0x20009,
       {"CosineTransform2_2D", " "}},
      // Grids of the kernel base.
      {"grid columns", [] { XelMathGrid g(1, LONG_MAX); }, 0x20009,
       {"the size of a XelMathGrid", "too large", "XelMathGrid::SetSize"}},
      // Attributes.
      {"scale powers",
       [&] { XelMathAttrScaleOption o(1, integers, kBytesWrap, nullptr, 0, nullptr); }, 0x20006,
       {"the number of powers", "Dimension not valid",
        "XelMathAttrScaleOption::XelMathAttrScaleOption"}},
      {"scale powers F",
       [] { XelMathAttrScaleOption o(LONG_MAX, nullptr, 1, nullptr, 0, nullptr); }, 0x20006,
       {"the number of powers"}},
      {"decomposition", [&] { XelMathAttrDecomposition d(kBytesWrap, integers); }, 0x20004,
       {"the number of integers", "Invalid Number Of Points",
        "XelMathAttrDecomposition::XelMathAttrDecomposition"}},
      {"multiple domain", [&] { XelMathAttrMultipleDomain d(kBytesWrap, integers, 1, nullptr); },
       0x20004,
       {"the number of integers", "Invalid Number Of Points",
        "XelMathAttrMultipleDomain::XelMathAttrMultipleDomain"}},
      {"domains", [&] { XelMathAttrMultipleDomain d(2, integers, LONG_MAX, 0, nullptr); }, 0x20004,
       {"the number of domains", "Invalid Number Of Points"}},
      {"repartition steps", [&] { XelMathAttrRepartition r(0.1, 0.2, work, kBytesWrap); }, 0x20004,
       {"the number of steps", "Invalid Number Of Points",
        "XelMathAttrRepartition::XelMathAttrRepartition"}},
      // Composites and integrators: the count of components or the dimension.
      {"combination", [] { XelMathCombinationX k(LONG_MAX, nullptr, nullptr, 0.0); }, 0x20006,
       {"the number of functions", "Dimension not valid",
        "XelMathCombinationX::XelMathCombinationX"}},
      {"combination bytes", [] { XelMathCombinationX k(LONG_MAX / 8 + 1, nullptr, nullptr, 0.0); },
       0x20006, {"the number of functions"}},
      {"combination XY", [] { XelMathCombinationXY k(LONG_MAX, nullptr, nullptr, 0.0); }, 0x20006,
       {"the number of functions", "", "XelMathCombinationXY::XelMathCombinationXY"}},
      {"CreateCombination", [&] { delete CreateCombination(LONG_MAX, functions, p, 0.0); }, 0x20006,
       {"the number of functions", "Dimension not valid", "CreateCombination"}},
      {"CreateCombination XY", [&] { delete CreateCombination(LONG_MAX, surfaces, p, 0.0); },
       0x20006, {"the number of functions", "", "CreateCombination"}},
      {"FormalCombination", [&] { delete cubic.FormalCombination(LONG_MAX, functions, p, 0.0); },
       0x20006, {"the number of functions", "", "XelMathPolynomX::FormalCombination"}},
      {"sum of squares", [&] { XelMathSumSquareX s(LONG_MAX, functions); }, 0x20006,
       {"the number of functions", "", "XelMathSumSquareX::XelMathSumSquareX"}},
      {"multi-function", [&] { XelMathMultiFunctionX m(LONG_MAX, functions); }, 0x20006,
       {"the number of functions", "", "XelMathMultiFunctionX::XelMathMultiFunctionX"}},
      {"integrator", [&] { XelMathIntegrationFunctionX i(LONG_MAX, &cubic); }, 0x20006,
       {"the dimension", "Dimension not valid", "XelMathIntegration::XelMathIntegration"}},
      {"integrator bytes", [&] { XelMathIntegrationFunctionX i(1L << 40, &cubic); }, 0x20006,
       {"the dimension"}},
      // Piecewise functions: counts refused before any border is read.
      {"pieces", [&] { XelMathPiecewiseX f(LONG_MAX, bounds, pieces); }, 0x20004,
       {"the number of pieces", "Invalid Number Of Points",
        "XelMathPiecewiseX::XelMathPiecewiseX"}},
      {"Extrapol", [&] { piecewise.Extrapol(LONG_MAX, bounds, pieces, 0, nullptr, nullptr); },
       0x20004, {"the number of pieces", "", "XelMathPiecewiseX::Extrapol"}},
      {"Extrapol after", [&] { piecewise.Extrapol(0, nullptr, nullptr, LONG_MAX, p, pieces); },
       0x20004, {"the number of pieces"}},
      {"GetBorder", [&] { (void)piecewise.GetBorder(1000000); }, 0x20007,
       {"Wrong Index", " ", "XelMathPiecewiseX::GetBorder"}},
      {"GetBorder -1", [&] { (void)piecewise.GetBorder(-1); }, 0x20007, {"Wrong Index"}},
      {"CreateCubicInterpolation",
       [&] { delete XelMathFunctionX::CreateCubicInterpolation(LONG_MAX, p, p, tolerance); },
       0x2000e, {"the points", "Invalid Number Of Points"}},
      // Integrals of polynomials refuse what every integral refuses.
      {"Integrate NaN", [&] { (void)cubic.Integrate(unit, std::nan("")); }, 0x20006,
       {"the tolerance of the integral", "negative or NaN", "XelMathPolynomX::Integrate"}},
      {"Integrate line", [&] { (void)XelMathLinearX(2.0, 1.0).Integrate(unit, -1.0); }, 0x20006,
       {"the tolerance of the integral"}},
      // Grids of a polynomial of two variables: the checks of the base class.
      {"grid 2^32 x 2^32", [&] { surface.Eval(square, huge, 1, w, w, w, w, w, w); }, 0x20004,
       {"Invalid Number Of Points", " ", "XelMathPolynomXY::Eval"}},
      {"grid LONG_MAX x 2", [&] { surface.Eval(square, longByTwo, 7, w, w, w, w, w, w); },
       0x20004, {"Invalid Number Of Points"}},
      {"grid of a box of dimension 3", [&] { surface.Eval(box, two2, 1, w, w, w, w, w, w); },
       0x20006, {"the XelMathIntervalND", "2", "XelMathPolynomXY::Eval"}},
      {"grid of a box of dimension 1", [&] { surface.Eval(line, two2, 1, w, w, w, w, w, w); },
       0x20006, {"the XelMathIntervalND", "2", "XelMathPolynomXY::Eval"}},
      {"EvalGrid", [&] { surface.EvalGrid(1L << 62, p, 4, p, 1, w, w, w); }, 0x20004,
       {"Invalid Number Of Points", " ", "XelMathPolynomXY::EvalGrid"}},
      {"GridEval", [&] { surface.GridEval(0.0, 1.0, 0.5, 1L << 32, 0.0, 1.0, 0.5, 1L << 32, w); },
       0x20004, {"Invalid Number Of Points", " ", "XelMathPolynomXY::GridEval"}},
      // Checkers: nothing to check, and walks that the grid checks refuse.
      {"checker X null", [] { XelMathCheckFunctionX c(nullptr, 1e-6); }, 0x20006,
       {"the function", "null", "XelMathCheckFunctionX::XelMathCheckFunctionX"}},
      {"checker XY null", [] { XelMathCheckFunctionXY c(nullptr, 1e-6); }, 0x20006,
       {"the function", "null", "XelMathCheckFunctionXY::XelMathCheckFunctionXY"}},
      {"CheckDuplicate", [&] { (void)checkerX.CheckDuplicate(unit, LONG_MAX); }, 0x20004,
       {"Invalid Number Of Points", "more points than an array can hold",
        "XelMathCheckFunctionX::CheckDuplicate"}},
      {"CheckDuplicate 2^40", [&] { (void)checkerX.CheckDuplicate(unit, 1L << 40); }, 0x20004,
       {"Invalid Number Of Points"}},
      {"CheckDuplicate XY", [&] { (void)checkerXY.CheckDuplicate(unit, unit, 1L << 32); }, 0x20004,
       {"Invalid Number Of Points", "", "XelMathCheckFunctionXY::CheckDuplicate"}},
  };
  // Every kind of set: counts of points and indices at both ends of the range.
  for (XelMathSetOfPointsND* set : sets) {
    const std::string kind = set->IsA();
    const std::string insertWhere = set == &vectors ? "XelMathSetOfPointsNDWithVectors::InsertPoint"
                                                    : "XelMathSetOfPointsND::InsertPoint";
    std::vector<Misuse> perSet = {
        {kind + " Resize", [set] { set->Resize(LONG_MAX); }, 0x20004,
         {"Invalid Number Of Points", "XelMathSetOfPointsND::Resize"}},
        {kind + " ReplacePoints", [set, &p] { set->ReplacePoints(LONG_MAX / 3 + 1, p); }, 0x20004,
         {"Invalid Number Of Points", "ReplacePoints"}},
        {kind + " GetPoint", [set, &work] { set->GetPoint(kWrapsToMinusOne, work); }, 0x20007,
         {"Wrong Index", "GetPoint"}},
        {kind + " ReplacePoint", [set, &p] { set->ReplacePoint(LONG_MIN, p); }, 0x20008,
         {"Next", "ReplacePoint"}},
        {kind + " InsertPoint", [set, &p] { set->InsertPoint(p, LONG_MAX); }, 0x20009,
         {insertWhere, badIndex}},
        {kind + " RemovePoint", [set] { set->RemovePoint(kWrapsToMinusOne); }, 0x20009,
         {"XelMathSetOfPointsND::RemovePoint", badRemoval}},
        {kind + " SwapPoints", [set] { set->SwapPoints(0, LONG_MIN); }, 0x20007,
         {"Wrong Index", "SwapPoints"}},
        {kind + " AddPoint null", [set] { set->AddPoint(nullptr); }, 0x20006,
         {"the point", "null", "XelMathSetOfPointsND::AddPoint"}},
        {kind + " InsertPoint null", [set] { set->InsertPoint(nullptr, 1); }, 0x20006,
         {"the point", "null"}},
        {kind + " ReplacePoint null", [set] { set->ReplacePoint(0, nullptr); }, 0x20006,
         {"the point", "null", "XelMathSetOfPointsND::ReplacePoint"}},
    };
    misuses.insert(misuses.end(), perSet.begin(), perSet.end());
  }

  // Raising builds the error object (a small block): nothing beyond it may come alive.
  const long errorBytes = 1024;
  for (const Misuse& misuse : misuses) {
    SCOPED_TRACE(misuse.what);
    const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
    XelQuorResetPeakLiveBytes();
    xeltest::ExpectInputError(misuse.call, misuse.code, misuse.texts);
    const XelQuorMemoryCounters after = XelQuorGetMemoryCounters();
    EXPECT_LE(after.peakLiveBytes - before.liveBytes, errorBytes);
    EXPECT_EQ(after.liveBlocks, before.liveBlocks);
  }
  // Nothing was written anywhere.
  for (XelMathSetOfPointsND* set : sets) {
    ASSERT_EQ(set->GetNumberOfPoints(), 2) << set->IsA();
    for (long i = 0; i < 2; i++) {
      set->GetPoint(i, work);
      EXPECT_EQ(std::vector<double>(work, work + 3), std::vector<double>(p, p + 3)) << set->IsA();
    }
  }
  EXPECT_EQ(std::vector<double>(box.GetCoords(), box.GetCoords() + 6),
            std::vector<double>(bounds, bounds + 6));
  EXPECT_EQ(cubic.GetDegree(), 3);
  EXPECT_EQ(piecewise.GetNumberOfPieces(), 2);
  // A null tangent is the zero tangent (as a point added without its vector).
  two.SetFirstTangent(p);
  two.SetFirstTangent(nullptr);
  EXPECT_EQ(std::vector<double>(two.GetFirstTangent(), two.GetFirstTangent() + 3),
            std::vector<double>(3, 0.0));

  // The memory services refuse counts whose byte size overflows with their own error.
  const std::vector<std::function<void()>> allocations = {
      [] { XelQuorArrayDoubleNew(LONG_MAX); }, [] { XelQuorArrayDoubleNew(-1); },
      [] { XelQuorArrayPtrsNew(LONG_MAX / 4); }, [] { XelQuorArrayBytesNew(LONG_MAX); }};
  for (const auto& allocation : allocations) {
    const XelQuorMemoryCounters before = XelQuorGetMemoryCounters();
    XelQuorResetPeakLiveBytes();
    EXPECT_THROW(allocation(), XelQuorNoMoreMemoryError);
    EXPECT_LE(XelQuorGetMemoryCounters().peakLiveBytes - before.liveBytes, errorBytes);
    EXPECT_EQ(XelQuorGetMemoryCounters().liveBlocks, before.liveBlocks);
  }
}
