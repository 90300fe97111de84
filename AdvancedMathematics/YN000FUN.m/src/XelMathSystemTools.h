#pragma once
// Helpers of the solvers of systems (internal, never installed): the nodes of a regular
// sampling grid, shared by the two-variable and the N-variable solvers, and the limits and
// small helpers of the N-variable search, whose members are split over XelMathSystem.cpp
// (evaluations, options, the grid scan) and XelMathSystemSearch.cpp (suspect and singular
// cells, Newton's method, the solution set).
#include <algorithm>
#include <cmath>
#include <type_traits>

#include "XelMathIntervalND.h"
#include "XelQuorMemory.h"

/// The k-th of n regular samples of [a, b] (the last exactly b).
inline double XelMathGridCoordinate(const double a, const double b, const long k, const long n) {
  if (n <= 1 || k == 0)
    return a;
  if (k == n - 1)
    return b;
  return a + (b - a) * double(k) / double(n - 1);
}

namespace XelMathSystemSearch {

/// Most solutions of one solve.
const long MaxSolutions = 500;
/// Default sampling per dimension and the largest read from the options.
const long DefaultSampling = 6;
const long MaxSampling = 4096;
/// Most nodes of the default first grid: fewer nodes a side in high dimension.
const long DefaultGridNodes = 1000;
/// Most doubles of the node values (and Jacobians) of one grid kept at once; a larger grid
/// evaluates the corners of each cell instead.
const long MaxGridDoubles = 1L << 23;
/// Largest dimension a solve takes: the corner data of one cell (N + N x N doubles at each
/// of its 2^N corners) stay near 5 MB.
const long MaxSolveDimension = 12;
/// Largest dimension whose default first grid is the grid of equation 0 with DefaultSampling
/// nodes a side (6^7 nodes); above it the whole system is sampled on a coarser grid.
const long MaxWrittenGridDimension = 7;
/// Most evaluations of the system in one solve, and most doubles held by the corner data of
/// the cells being halved: beyond either the search stops (status 10).
const long MaxEvaluations = 10000000;
const long MaxHalfBlockDoubles = 1L << 25;
/// Deepest recursion of the cell search and the number of cells one solve may examine.
const long MaxDepth = 40;
const long MaxWork = 100000;
/// Cells examined per cell of the solve's grid, and the most one solve may examine.
const long WorkPerCell = 16;
const long MaxWorkCap = 50000000;
/// Halvings of every side (one side per level) of a regular cell whose Newton runs fail.
const long RegularSplitDepth = 1;
/// Depth until which cells holding a NaN corner are subdivided (then dropped).
const long NaNDepth = 3;
/// Steps of the descent searching a sign change, of the edge bisection, and of the
/// minimization reaching a double solution.
const long MaxDescentSteps = 100;
const long MaxEdgeSteps = 50;
const long MaxMinimizeSteps = 200;
/// Length, relative to the edge, at which the bisection of an edge stops.
const double EdgeResolution = 1e-9;
/// Most edges searched for a sign change in one cell.
const long MaxEdges = 64;
/// Tiny singular cells: width below this ratio of the domain's width.
const double SingularWidthRatio = 1e-4;
/// Merge window of two solutions, times the absolute resolution.
const double MergeWindow = 2e-4;
/// Longest join between two solutions tested for a common stretch, relative to the sum of
/// the domain's sides, and the points tested on it (the join cut in this many pieces).
const double JoinReach = 5e-2;
const int JoinPoints = 8;
/// How far beyond the residual threshold the linear change over a join may reach for the
/// join to be tested.
const double JoinSlack = 100.0;
/// Largest squared move of a point of a join brought back onto the stretch, relative to the
/// squared length of the join.
const double StretchShift = 1e-2;
/// Newton steps polishing a solution before it is compared with the stored ones, and the
/// length (relative to 1 + sum |x_k|) of a last step that settles it.
const long PolishSteps = 6;
const double SameRootDistance = 1e-9;
/// Two points Newton's steps settle on, farther apart than this share of their coordinates'
/// size, are two roots.
const double DistinctRootDistance = 1e-7;
/// A Jacobian whose normalised determinant is below this is singular at a solution.
const double SingularDeterminant = 1e-7;
/// Half-width, in cells, of the box where a point found in a tiny singular cell is carried
/// on.
const double PolishCells = 16.0;
/// An edge whose end values and slopes miss the change of value by more than this ratio of
/// the smaller end value is not resolved by the sampling: the function may dip along it.
const double UnresolvedEdge = 0.5;
/// Corner data whose trapezoidal rule misses the change of an equation along an edge by more
/// than this share of its size do not resolve the system: no Jacobian hull is taken from them.
const double UnresolvedHull = 0.5;
/// Most steps of Krawczyk's operator on one cell, the ratio of the widths of two steps above
/// which it stops (too little contraction), and the padding of the contracted boxes, relative
/// to their size.
const long KrawczykSteps = 8;
const double KrawczykProgress = 0.75;
const double KrawczykPadding = 1e-9;
/// A domain with a bound beyond this magnitude is refused (status 4): the widths, squares and
/// grids of the search would overflow.
const double MaxDomainBound = 1e300;
/// Relative rounding of an equation's value, against the size of its terms (its value and
/// the first-order terms at the point): C f(c) is padded by C times that rounding.
const double ValueRounding = 1e-14;
/// A cell that Krawczyk's operator contracts below this ratio of its volume is searched in
/// the contracted box.
const double ContractedVolume = 0.5;
/// Widening of the Jacobian hull sampled at the corners and centre of a cell.
const double HullWidening = 0.1;
/// Most sweeps of the second-order narrowing of a box (they go on while its volume falls
/// below KrawczykProgress of the previous one).
const long SecondOrderSweeps = 4;
/// Up to this dimension, a tiny singular cell whose first solution leaves no second one to
/// the deflated run from its mirror image runs it from each corner.
const long MaxDeflatedCornerDimension = 4;
/// The side a singular cell is halved on is chosen by its share of |I - C [J]| among the
/// sides at least this fraction as wide as the widest (compared with the domain's).
const double SmearWidthRatio = 0.25;
/// Relative rounding allowed to the Jacobian of a quadratic system.
const double QuadraticRounding = 1e-9;
/// Doubles of the second derivatives of a quadratic system: their midpoints and radii
/// (N^3 each), then per equation the sum of their magnitudes (N).
inline long QuadraticDataSize(const long iN) {
  return 2 * iN * iN * iN + iN;
}

inline bool Finite(const double a) {
  return std::isfinite(a);
}

inline bool AllFinite(const double* a, const long n) {
  // x - x is 0 for a finite x and NaN otherwise: four sums without a branch.
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
  long k = 0;
  for (; k + 3 < n; k += 4) {
    s0 += a[k] - a[k];
    s1 += a[k + 1] - a[k + 1];
    s2 += a[k + 2] - a[k + 2];
    s3 += a[k + 3] - a[k + 3];
  }
  for (; k < n; ++k)
    s0 += a[k] - a[k];
  return (s0 + s1) + (s2 + s3) == 0.0;
}

inline double MaxWidth(const XelMathIntervalND& iBox) {
  double w = 0.0;
  for (long k = 0; k < iBox.GetDimension(); ++k)
    w = std::max(w, iBox.GetMax(k) - iBox.GetMin(k));
  return w;
}

inline double Clip(const double v, const double lo, const double hi) {
  return v < lo ? lo : (v > hi ? hi : v);
}

/// Nodes of a grid of iCounts, or -1 when a count is outside 2..MaxSampling or the grid
/// (with iPerNode doubles per node) cannot be stored.
inline long GridNodes(const long iN, const long* iCounts, const long iPerNode,
                      const long iMinCount) {
  long nodes = 1;
  for (long k = 0; k < iN; ++k) {
    if (iCounts[k] < iMinCount || iCounts[k] > MaxSampling)
      return -1;
    if (nodes > XelQuorMaxArrayDoubles / iCounts[k] / iPerNode)
      return -1;
    nodes *= iCounts[k];
  }
  return nodes;
}

/// Cells one solve may examine on a grid of iCounts: a fixed part and a share per grid cell.
inline long WorkBudget(const long iN, const long* iCounts) {
  long cells = 1;
  for (long k = 0; k < iN; ++k) {
    cells *= std::max(1L, iCounts[k] - 1);
    if (cells > MaxWorkCap)
      return MaxWorkCap;
  }
  return std::min(MaxWorkCap, MaxWork + WorkPerCell * cells);
}

/// The default nodes a side of the first grid in dimension iN: DefaultSampling, or the most
/// (at least 2) for which the grid keeps at most DefaultGridNodes nodes.
inline long DefaultSamplingFor(const long iN) {
  long count = DefaultSampling;
  while (count > 2) {
    long nodes = 1;
    for (long k = 0; k < iN && nodes <= DefaultGridNodes; ++k)
      nodes *= count;
    if (nodes <= DefaultGridNodes)
      break;
    --count;
  }
  return count;
}

/// Point of corner iCorner of iCell (bit N - 1 - k set: the upper end in dimension k).
inline void CornerPoint(const XelMathIntervalND& iCell, const long iN, const long iCorner,
                        double* oX) {
  for (long k = 0; k < iN; ++k)
    oX[k] = (iCorner & (1L << (iN - 1 - k))) ? iCell.GetMax(k) : iCell.GetMin(k);
}

/// Whether two boxes have the same bounds.
inline bool SameBox(const XelMathIntervalND& iA, const XelMathIntervalND& iB) {
  if (iA.GetDimension() != iB.GetDimension())
    return false;
  for (long k = 0; k < iA.GetDimension(); ++k)
    if (iA.GetMin(k) != iB.GetMin(k) || iA.GetMax(k) != iB.GetMax(k))
      return false;
  return true;
}

/// Unrolls the loop that follows (over the sides, or the entries of an N x N matrix): with a
/// fixed dimension (WithDimension) it becomes straight-line code.
#define XEL_MATH_UNROLL _Pragma("GCC unroll 8")

/// iBody(std::integral_constant<long, N>()) with N = iN for the small dimensions, where the
/// loops over the sides then have a fixed length (unrolled, addresses folded), and N = 0
/// (the dimension read at run time) for the others.
/// Dimensions above iLargest take the run-time form.
template <long iLargest = 8, class Body> inline auto WithDimension(const long iN, Body&& iBody) {
  switch (iN <= iLargest ? iN : 0) {
  case 2:
    return iBody(std::integral_constant<long, 2>());
  case 3:
    return iBody(std::integral_constant<long, 3>());
  case 4:
    return iBody(std::integral_constant<long, 4>());
  case 5:
    return iBody(std::integral_constant<long, 5>());
  case 6:
    return iBody(std::integral_constant<long, (iLargest < 6 ? 0 : 6)>());
  case 8:
    return iBody(std::integral_constant<long, (iLargest < 8 ? 0 : 8)>());
  default:
    return iBody(std::integral_constant<long, 0>());
  }
}

/// Largest possible element of |a| over an interval [lo, hi].
inline double MagOf(const double lo, const double hi) {
  return std::max(std::fabs(lo), std::fabs(hi));
}

} // namespace XelMathSystemSearch
