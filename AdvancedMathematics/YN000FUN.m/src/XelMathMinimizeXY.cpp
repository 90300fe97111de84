// XelMathMinimizeXY, and the entry points Minimize and MinimizeNewton of XelMathFunctionXY:
// the minima of a function of two variables over a rectangle (see XelMathMinimizeXY.h).
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>
#include <utility>

#include "XelError.h"
#include "XelMathBesideSingularityXY.h"
#include "XelMathLocalMinimumXY.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathDebug.h"
#include "XelMathDirectMinimizerXY.h"
#include "XelMathElementaryTools.h"
#include "XelMathFunctionXY.h"
#include "XelMathFunctionXYToX.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathLinearX.h"
#include "XelMathMinimizeXY.h"
#include "XelMathScaleFunctionXY.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystemXYc.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

using XelMathElementary::Inverse;
using XelMathElementary::Mul;
using XelMathElementary::Shift;

/// Default grid of the sampling, per direction.
const long DefaultSampling = 12;
/// Largest grid per direction (4096 x 4096 samples took 800 MB of grid values, and hours of
/// work for an expensive function), and the largest grid of a relentless retry.
const long MaxSampling = 1024;
/// Minima kept by one search: each new candidate is compared with every minimum kept, so a
/// wild function (sin 1e8 u sin 1e8 v on a 1024 x 1024 grid: 110000 minima) took minutes.
const long MaxMinima = 10000;
const long MaxRelentlessSampling = 400;
/// Most nodes of the check grids that choose the default grid (the last one checked is
/// about twice as fine as the grid chosen in each direction).
const long MaxResolvedNodes = 1L << 16;
/// Gradients whose cross product is within this ratio of their norms are parallel.
const double ParallelRatio = 1e-10;
/// A gradient component may vanish in a cell when a corner value is within this multiple of
/// its first-order change across the cell.
const double ReachFactor = 1.0;
/// Eigenvalues of the Hessian within this ratio of the largest one count as zero.
const double CurvatureRatio = 1e-8;
/// A Hessian shows a minimum only when it changes f by more than the precision of the values
/// over this part of the rectangle.
const double CurvatureReach = 1e-2;
/// An inward slope whose change across the rectangle is within this ratio of the values is
/// flat (the values around decide).
const double InwardSlopeRatio = 1e-9;
/// Interval subdivision: smallest box (ratio to the first box), deepest split, box budget of
/// one cell, and the contraction under which a box is contracted rather than split.
const double MinBoxRatio = 1e-6;
const long MaxBoxDepth = 64;
const long MaxBoxes = 4000;
const double ContractionRatio = 0.75;
/// Samples of the first bracketing along a direction, and golden-section steps after it.
const long DirectionSamples = 16;
const long GoldenSteps = 120;
/// Smallest number of sampling intervals of the edge searches.
const long MinEdgeSampling = 15;
/// Iterations of one Newton descent.
const long MaxNewtonSteps = 100;
/// Halvings of one backtracking line search.
const long MaxHalvings = 60;
/// Sufficient decrease of the line search (Armijo).
const double ArmijoSlope = 1e-4;
/// Largest gradient step, as a fraction of the rectangle.
const double GradientStepRatio = 0.25;
/// Relative size under which a Newton step that cannot decrease the value is converged.
const double NewtonStallRatio = 1e-9;
/// Relative size at which a simplex search stops, and its budget of evaluations.
const double SimplexStopRatio = 1e-13;
const long SimplexBudget = 3000;
const long SimplexRestarts = 12;
/// Turn of the first simplex from one restart to the next (radians, the golden angle).
const double SimplexTurn = 2.399963229728653;
/// Relative rounding of a computed value (for stopping tests and merges).
const double Rounding = 8.0 * DBL_EPSILON;
/// Evaluations of the gradient system one cell's solve may spend: a cell the solve cannot
/// settle within it (zero curves of fu and fv nearly parallel along a valley, a solution on
/// the cell's border) is left to a descent from its lowest corner.
const long CellSolveBudget = 100;

/// Thrown by BudgetedGradient when a cell's solve has spent its budget.
struct CellBudgetSpent {};

/// The gradient system fu = fv = 0, counting the evaluations of each solve: every point (a
/// value or a derivative of fu or fv) and every image costs one. Beyond the allowance the
/// solve is abandoned by an exception (the solver holds nothing that outlives the call).
class BudgetedGradient : public XelMathSystemXYc {
public:
  BudgetedGradient(const XelMathFunctionXY* iFu, const XelMathFunctionXY* iFv,
                   const XelTolerance& iTol)
      : XelMathSystemXYc(iFu, iFv, iTol), _left(0) {}
  void Allow(const long iEvaluations) { _left = iEvaluations; }

  using XelMathSystemXYc::EvalF;
  using XelMathSystemXYc::EvalG;
  double EvalF(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalF(x, y);
  }
  double EvalG(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalG(x, y);
  }
  double EvalFirstDerivFX(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalFirstDerivFX(x, y);
  }
  double EvalFirstDerivFY(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalFirstDerivFY(x, y);
  }
  double EvalFirstDerivGX(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalFirstDerivGX(x, y);
  }
  double EvalFirstDerivGY(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalFirstDerivGY(x, y);
  }
  double EvalSecondDerivFX2(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalSecondDerivFX2(x, y);
  }
  double EvalSecondDerivFXY(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalSecondDerivFXY(x, y);
  }
  double EvalSecondDerivFY2(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalSecondDerivFY2(x, y);
  }
  double EvalSecondDerivGX2(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalSecondDerivGX2(x, y);
  }
  double EvalSecondDerivGXY(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalSecondDerivGXY(x, y);
  }
  double EvalSecondDerivGY2(const double& x, const double& y) const override {
    Spend(1);
    return XelMathSystemXYc::EvalSecondDerivGY2(x, y);
  }
  void EvalF(const double& x, const double& y, const long iDiff, double* oF, double* oFx,
             double* oFy, double* oFxx, double* oFxy, double* oFyy) const override {
    Spend(1);
    XelMathSystemXYc::EvalF(x, y, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  }
  void EvalG(const double& x, const double& y, const long iDiff, double* oG, double* oGx,
             double* oGy, double* oGxx, double* oGxy, double* oGyy) const override {
    Spend(1);
    XelMathSystemXYc::EvalG(x, y, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy);
  }
  void EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oF,
             double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const override {
    Spend(Points(iCounts));
    XelMathSystemXYc::EvalF(iBox, iCounts, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  }
  void EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff, double* oG,
             double* oGx, double* oGy, double* oGxx, double* oGxy, double* oGyy) const override {
    Spend(Points(iCounts));
    XelMathSystemXYc::EvalG(iBox, iCounts, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy);
  }
  int EvalImages(const int iWhich, const XelMathInterval& iX, const XelMathInterval& iY,
                 XelMathInterval& oV, XelMathInterval& oVx, XelMathInterval& oVy) const override {
    Spend(1);
    return XelMathSystemXYc::EvalImages(iWhich, iX, iY, oV, oVx, oVy);
  }

private:
  static long Points(const long* iCounts) {
    return iCounts && iCounts[0] > 0 && iCounts[1] > 0 ? iCounts[0] * iCounts[1] : 1;
  }
  void Spend(const long iCount) const {
    _left -= iCount;
    if (_left < 0)
      throw CellBudgetSpent();
  }
  mutable long _left;
};

inline double Clamp(const double x, const XelMathInterval& iI) {
  return x < iI.low ? iI.low : (x > iI.high ? iI.high : x);
}

/// The value of iF at (x, y), +infinity for a value that is not a number (so that such points
/// lose every comparison).
inline double ValueAt(const XelMathFunctionXY& iF, const double x, const double y) {
  const double v = iF.Eval(x, y);
  return std::isnan(v) ? HUGE_VAL : v;
}

/// The step under which two abscissae of iI are the same for a descent: the root resolution,
/// or the rounding of the coordinates when it is coarser.
inline double StepTolerance(const XelMathInterval& iI, const double iR) {
  const double size =
      std::fabs(iI.low) > std::fabs(iI.high) ? std::fabs(iI.low) : std::fabs(iI.high);
  const double rounding = Rounding * size;
  return iR > rounding ? iR : rounding;
}

/// Nelder-Mead search of a minimum of iF from (ioX, ioY) of value ioF inside I x J, first
/// simplex of sizes iHx, iHy; stops when the simplex is within iStopX x iStopY or when ioBudget
/// evaluations are spent. The best vertex is returned in (ioX, ioY, ioF).
void Simplex(const XelMathFunctionXY& iF, const XelMathInterval& iI, const XelMathInterval& iJ,
             double& ioX, double& ioY, double& ioF, const double iHx, const double iHy,
             const double iAngle, const double iStopX, const double iStopY, long& ioBudget) {
  // First simplex: two edges at right angles (in units of iHx, iHy) turned by iAngle, each
  // taken backwards when it leaves the rectangle.
  const double c = std::cos(iAngle), s = std::sin(iAngle);
  double px[3] = {ioX, 0.0, 0.0}, py[3] = {ioY, 0.0, 0.0}, v[3] = {ioF, 0.0, 0.0};
  const double edges[2][2] = {{c, s}, {-s, c}};
  for (int k = 1; k < 3; ++k) {
    const double ex = edges[k - 1][0] * iHx, ey = edges[k - 1][1] * iHy;
    const bool inside =
        iI.low <= ioX + ex && ioX + ex <= iI.high && iJ.low <= ioY + ey && ioY + ey <= iJ.high;
    px[k] = Clamp(inside ? ioX + ex : ioX - ex, iI);
    py[k] = Clamp(inside ? ioY + ey : ioY - ey, iJ);
  }
  v[1] = ValueAt(iF, px[1], py[1]);
  v[2] = ValueAt(iF, px[2], py[2]);
  ioBudget -= 2;
  while (ioBudget > 0) {
    // Order the vertices: 0 best, 2 worst.
    for (int a = 0; a < 2; ++a)
      for (int b = 0; b < 2 - a; ++b)
        if (v[b + 1] < v[b]) {
          std::swap(v[b], v[b + 1]);
          std::swap(px[b], px[b + 1]);
          std::swap(py[b], py[b + 1]);
        }
    const double sx = std::fmax(std::fabs(px[1] - px[0]), std::fabs(px[2] - px[0]));
    const double sy = std::fmax(std::fabs(py[1] - py[0]), std::fabs(py[2] - py[0]));
    if (sx <= iStopX && sy <= iStopY)
      break;
    const double cx = 0.5 * (px[0] + px[1]), cy = 0.5 * (py[0] + py[1]);
    const double rx = Clamp(2.0 * cx - px[2], iI), ry = Clamp(2.0 * cy - py[2], iJ);
    const double vr = ValueAt(iF, rx, ry);
    --ioBudget;
    if (vr < v[0]) {
      const double ex = Clamp(3.0 * cx - 2.0 * px[2], iI), ey = Clamp(3.0 * cy - 2.0 * py[2], iJ);
      const double ve = ValueAt(iF, ex, ey);
      --ioBudget;
      const bool expand = ve < vr;
      px[2] = expand ? ex : rx;
      py[2] = expand ? ey : ry;
      v[2] = expand ? ve : vr;
    } else if (vr < v[1]) {
      px[2] = rx;
      py[2] = ry;
      v[2] = vr;
    } else {
      // Contraction towards the better of the reflected and the worst point.
      const bool outside = vr < v[2];
      const double kx = outside ? 0.5 * (cx + rx) : 0.5 * (cx + px[2]);
      const double ky = outside ? 0.5 * (cy + ry) : 0.5 * (cy + py[2]);
      const double vk = ValueAt(iF, kx, ky);
      --ioBudget;
      if (vk < (outside ? vr : v[2])) {
        px[2] = kx;
        py[2] = ky;
        v[2] = vk;
      } else {
        // Shrink towards the best vertex.
        for (int k = 1; k < 3; ++k) {
          px[k] = 0.5 * (px[0] + px[k]);
          py[k] = 0.5 * (py[0] + py[k]);
          v[k] = ValueAt(iF, px[k], py[k]);
        }
        ioBudget -= 2;
      }
    }
  }
  int best = 0;
  for (int k = 1; k < 3; ++k)
    if (v[k] < v[best])
      best = k;
  if (v[best] < ioF) {
    ioX = px[best];
    ioY = py[best];
    ioF = v[best];
  }
}

/// Ends of a rectangle and its grid: nodes from the low ends, the last one exactly on the
/// high end; a side of no width has one node.
struct Grid {
  Grid(const XelMathInterval2D& iDomain, const long iNu, const long iNv)
      : i(iDomain.GetX()), j(iDomain.GetY()) {
    mu = i.high > i.low ? (iNu > 2 ? iNu : 2) : 1;
    mv = j.high > j.low ? (iNv > 2 ? iNv : 2) : 1;
    hu = mu > 1 ? (i.high - i.low) / double(mu - 1) : 0.0;
    hv = mv > 1 ? (j.high - j.low) / double(mv - 1) : 0.0;
  }
  double U(const long a) const { return a == mu - 1 ? i.high : i.low + double(a) * hu; }
  double V(const long b) const { return b == mv - 1 ? j.high : j.low + double(b) * hv; }
  long Count() const { return mu * mv; }
  /// Values (and derivatives up to iDiff) of iF at the nodes, index a * mv + b.
  void Evaluate(const XelMathFunctionXY& iF, const long iDiff, double* oF, double* oFu, double* oFv,
                double* oFuu, double* oFuv, double* oFvv) const {
    const double coords[4] = {i.low, i.high, j.low, j.high};
    const XelMathIntervalND box(2, coords);
    const long counts[2] = {mu, mv};
    iF.Eval(box, counts, iDiff, oF, oFu, oFv, oFuu, oFuv, oFvv);
  }
  /// Whether node (a, b) is lower than its eight neighbours (the first in grid order wins
  /// among equal values; NaN neighbours do not count).
  bool IsLowest(const double* iG, const long a, const long b) const {
    const double v = iG[a * mv + b];
    if (!std::isfinite(v))
      return false;
    for (long da = -1; da <= 1; ++da)
      for (long db = -1; db <= 1; ++db) {
        const long p = a + da, q = b + db;
        if ((da == 0 && db == 0) || p < 0 || q < 0 || p >= mu || q >= mv)
          continue;
        const double w = iG[p * mv + q];
        const bool earlier = p < a || (p == a && q < b);
        if (std::isfinite(w) && (earlier ? w <= v : w < v))
          return false;
      }
    return true;
  }
  XelMathInterval i, j;
  long mu = 1, mv = 1;
  double hu = 0.0, hv = 0.0;
};

/// The value half-way between nodes iAt and iAt + 1 of a line of iCount equally spaced nodes
/// (iStride apart in iF): the cubic through the four nodes around it, near an end the
/// quadratic through three, on a line of two nodes their mean.
double MiddleOf(const double* iF, const long iStride, const long iCount, const long iAt) {
  const auto f = [&](const long k) { return iF[k * iStride]; };
  if (iCount < 3)
    return 0.5 * (f(iAt) + f(iAt + 1));
  if (iAt >= 1 && iAt + 2 < iCount)
    return (-f(iAt - 1) + 9.0 * (f(iAt) + f(iAt + 1)) - f(iAt + 2)) / 16.0;
  if (iAt + 2 < iCount)
    return 0.375 * f(iAt) + 0.75 * f(iAt + 1) - 0.125 * f(iAt + 2);
  return 0.375 * f(iAt + 1) + 0.75 * f(iAt) - 0.125 * f(iAt - 1);
}

/// The grid of the sampled search when the caller gives none: from the default grid, the
/// count of a direction becomes 2 n - 1 while, on the grid twice as fine, a node half-way
/// between two of the coarse grid along that direction differs from the cubic through its
/// four coarse neighbours by more than a sixteenth of the sampled range. A 12 x 12 grid of
/// Rastrigin's function (ten waves across [-5.12, 5.12]) showed 5 of its 121 minima.
void ResolveGrid(const XelMathFunctionXY& iF, const XelMathInterval2D& iDomain, long& ioNu,
                 long& ioNv) {
  for (;;) {
    const Grid coarse(iDomain, ioNu, ioNv);
    const long fu = coarse.mu > 1 ? 2 * coarse.mu - 1 : 1,
               fv = coarse.mv > 1 ? 2 * coarse.mv - 1 : 1;
    if (fu * fv > MaxResolvedNodes || (fu == 1 && fv == 1))
      return;
    const Grid fine(iDomain, fu, fv);
    XelMathScratchDoubles<> values(fine.Count());
    double* g = values.Data();
    fine.Evaluate(iF, XelMathOption::Value, g, nullptr, nullptr, nullptr, nullptr, nullptr);
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (long k = 0; k < fine.Count(); ++k)
      if (std::isfinite(g[k])) {
        low = std::fmin(low, g[k]);
        high = std::fmax(high, g[k]);
      }
    if (!(high > low))
      return;
    const double tolerance = (high - low) / 16.0;
    // Along u on the coarse rows (stride 2 mv between coarse nodes), along v on the coarse
    // columns (stride 2).
    bool resolvedU = true, resolvedV = true;
    for (long b = 0; b < fine.mv && fu > 1; b += 2)
      for (long a = 0; a + 1 < coarse.mu && resolvedU; ++a) {
        const double middle = g[(2 * a + 1) * fine.mv + b];
        const double predicted = MiddleOf(g + b, 2 * fine.mv, coarse.mu, a);
        if (std::isfinite(middle) && std::isfinite(predicted) &&
            std::fabs(middle - predicted) > tolerance)
          resolvedU = false;
      }
    for (long a = 0; a < fine.mu && fv > 1; a += 2)
      for (long b = 0; b + 1 < coarse.mv && resolvedV; ++b) {
        const double middle = g[a * fine.mv + 2 * b + 1];
        const double predicted = MiddleOf(g + a * fine.mv, 2, coarse.mv, b);
        if (std::isfinite(middle) && std::isfinite(predicted) &&
            std::fabs(middle - predicted) > tolerance)
          resolvedV = false;
      }
    // A direction grows up to the largest grid the strategies take.
    const long nextU = std::min(fu, MaxSampling), nextV = std::min(fv, MaxSampling);
    const bool growU = !resolvedU && nextU > ioNu, growV = !resolvedV && nextV > ioNv;
    if (!growU && !growV)
      return;
    if (growU)
      ioNu = nextU;
    if (growV)
      ioNv = nextV;
  }
}

/// Raises 0x20004 for a grid size below 1 or above MaxSampling (before any product of the
/// sizes: LONG_MAX x 4 overflowed).
void CheckGridSizes(const long iNu, const long iNv) {
  if (iNu < 1 || iNv < 1 || iNu > MaxSampling || iNv > MaxSampling)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "Solve", "Invalid Number Of Points", "");
}

/// The integer option iKey of iAttributes when present (0x20004 below 1 or above
/// MaxSampling), else iDefault.
long SamplingOption(const XelMathAttrList* iAttributes, const char* iKey, const long iDefault) {
  const XelMathAttrIntegerValue* attr =
      iAttributes ? dynamic_cast<const XelMathAttrIntegerValue*>(iAttributes->GetAttribute(iKey))
                  : nullptr;
  if (!attr)
    return iDefault;
  const long n = attr->GetValue();
  if (n < 1 || n > MaxSampling)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "Solve", "Invalid Number Of Points", "");
  return n;
}

/// The double option iKey of iAttributes, or null.
const XelMathAttrDoubleValue* DoubleOption(const XelMathAttrList* iAttributes, const char* iKey) {
  return iAttributes ? dynamic_cast<const XelMathAttrDoubleValue*>(iAttributes->GetAttribute(iKey))
                     : nullptr;
}

bool Present(const XelMathAttrList* iAttributes, const char* iKey) {
  return iAttributes && iAttributes->GetAttribute(iKey);
}

/// Eigenvalues of the symmetric matrix [[a, b], [b, c]], smaller first.
void Eigenvalues(const double a, const double b, const double c, double& oLow, double& oHigh) {
  const double mean = 0.5 * (a + c), radius = std::hypot(0.5 * (a - c), b);
  oLow = mean - radius;
  oHigh = mean + radius;
}

/// The tolerance-like options of a list rescaled for a scaled model, restored on destruction
/// to the values the caller gave (not recomputed, so that no rounding is left behind).
class ScaledOptions {
public:
  ScaledOptions(const XelMathAttrList* iAttributes, const double iFactor) {
    if (!iAttributes)
      return;
    static const char* const keys[5] = {"TolForCst", "AbsoluteTolerance", "Tolerance", "LimitValue",
                                        "EpsRoot"};
    for (const char* key : keys)
      for (long k = 1; _count < MaxSaved; ++k) {
        XelMathAttrDoubleValue* value =
            dynamic_cast<XelMathAttrDoubleValue*>(iAttributes->GetAttribute(key, k));
        if (!iAttributes->GetAttribute(key, k))
          break;
        bool seen = false;
        for (long m = 0; m < _count && !seen; ++m)
          seen = _saved[m] == value;
        if (value && !seen) {
          _saved[_count] = value;
          _values[_count++] = value->GetValue();
        }
      }
    XelMathFunctionXY_DirtyAttributeScaling(const_cast<XelMathAttrList*>(iAttributes), iFactor);
  }
  ~ScaledOptions() {
    for (long m = 0; m < _count; ++m)
      _saved[m]->SetValue(_values[m]);
  }
  ScaledOptions(const ScaledOptions&) = delete;
  ScaledOptions& operator=(const ScaledOptions&) = delete;

private:
  static const long MaxSaved = 32;
  XelMathAttrDoubleValue* _saved[MaxSaved] = {};
  double _values[MaxSaved] = {};
  long _count = 0;
};

} // namespace

// ==== XelMathMinimizeXY ===================================================================

XelMathMinimizeXY::XelMathMinimizeXY(const XelMathFunctionXY* iFunction, const XelTolerance& iTol)
    : _function(iFunction), _tolerance(&iTol), _toleranceValue(0.0), _localMinCorrected(0),
      _specialPoints(nullptr), _scaleReviewed(0), _debugConditionShown(0), _unreviewedCount(0),
      _scale(iTol.GetScaleFactor()), _relativeEps(iTol.GetRelativeEpsilon()),
      _rootRes(iTol.GetRootResolution()), _lengthRes(iTol.GetLengthResolution()), _minimaRefused(0),
      _constantTolerance(0.0), _cellU(0.0), _cellV(0.0), _domain(), _hasDomain(0) {
  _toleranceValue = _lengthRes * _lengthRes;
}

XelMathMinimizeXY::~XelMathMinimizeXY() = default;

long XelMathMinimizeXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathMinimizeXY::GetStaticMemoryBytes() const {
  return sizeof(XelMathMinimizeXY);
}

void XelMathMinimizeXY::SetOKScaleReviewed() {
  _scaleReviewed = 1;
}

void XelMathMinimizeXY::ForceLocalMinBugCorrected() {
  _localMinCorrected = 1;
}

int XelMathMinimizeXY::Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                                const XelMathAttrList* iAttributes) const {
  if (ioMinima.GetDimension() != 2)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "2",
                 "XelMathMinimizeXY::Minimize");
  ioMinima.Reset();
  XelMathMinimizeXYParallelDebugCond(iDomain, nullptr);
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  // (a width that overflows cannot be sampled either: the grid steps would be infinite)
  if (!_function || !(I.low <= I.high) || !(J.low <= J.high) ||
      !std::isfinite(I.high - I.low) || !std::isfinite(J.high - J.low))
    return XelMathStatus::Refused;

  // A NaN value of a tolerance-like option means nothing: every comparison with it fails.
  for (const char* key : {AttrFunctionXLimitValue, "TolForCst", "Tolerance"})
    if (const XelMathAttrDoubleValue* value = DoubleOption(iAttributes, key))
      if (std::isnan(value->GetValue()))
        XelMathRaise(XelErrorCode::InvalidOption, key, "NaN", "XelMathMinimizeXY::Minimize");
  long mode = ModeEveryMinimum, nu = DefaultSampling, nv = DefaultSampling;
  double best = 0.0;
  _constantTolerance = _lengthRes * _lengthRes * _scale * _scale;
  _specialPoints = nullptr;
  _minimaRefused = 0;
  if (iAttributes) {
    if (Present(iAttributes, AttrFunctionXAbsoluteExtremum))
      mode &= ~ModeEveryMinimum;
    if (Present(iAttributes, AttrFunctionXInteriorExtremum))
      mode |= ModeInterior;
    if (const XelMathAttrDoubleValue* limit = DoubleOption(iAttributes, AttrFunctionXLimitValue)) {
      mode |= ModeLimit;
      best = limit->GetValue();
      if (!limit->GetOKReviewed())
        ++_unreviewedCount;
    }
    if (Present(iAttributes, "IntervalMethod"))
      mode |= ModeInterval;
    if (Present(iAttributes, "Relentlessly"))
      mode |= ModeRelentless;
    if (const XelMathAttrDoubleValue* cst = DoubleOption(iAttributes, "TolForCst"))
      _constantTolerance = cst->GetValue();
    if (Present(iAttributes, "LocalMin_BugCorrected"))
      _localMinCorrected = 1;
    if (const XelMathAttribute* special = iAttributes->GetAttribute("SpecialPoints")) {
      const XelMathAttrPointerValue* pointer =
          dynamic_cast<const XelMathAttrPointerValue*>(special);
      if (!pointer || !pointer->GetValue()) {
        XelQuornull(__FILE__, __LINE__);
        return XelMathStatus::Refused;
      }
      _specialPoints = static_cast<const XelMathSetOfPointsND*>(pointer->GetValue());
    }
    if (const XelMathAttrDoubleValue* tolerance = DoubleOption(iAttributes, "Tolerance")) {
      _toleranceValue = tolerance->GetValue();
      if (!tolerance->GetOKReviewed())
        ++_unreviewedCount;
    }
    if (const XelMathAttrScaleOption* scale = XelMathAnalysisScaling::AttrScaleOption(iAttributes))
      if (scale->GetOKReviewed())
        _scaleReviewed = 1;
    nu = SamplingOption(iAttributes, "SamplingPointsX", nu);
    nv = SamplingOption(iAttributes, "SamplingPointsY", nv);
  }
  // No grid given: one that resolves the function.
  const bool gridGiven = iAttributes && (iAttributes->GetAttribute("SamplingPointsX") ||
                                         iAttributes->GetAttribute("SamplingPointsY"));
  if (!gridGiven && !Present(iAttributes, "GridGlobalOptimum") &&
      !Present(iAttributes, "GridLocalOptimum"))
    ResolveGrid(*_function, iDomain, nu, nv);

  int status = XelMathStatus::Done;
  if (Present(iAttributes, "GridGlobalOptimum")) {
    double u = 0.0, v = 0.0;
    status = GridGlobalMinimization(I.low, I.high, J.low, J.high, nu, nv, _constantTolerance, u, v);
    const double p[2] = {u, v};
    const double f = ValueAt(*_function, u, v);
    if (std::isfinite(f) &&
        !XelMathSingularityXY::BesideSingularity(*_function, u, v, f, iDomain,
                                                 _relativeEps * (_scale * _scale + std::fabs(f))))
      ioMinima.AddPoint(p);
  } else if (Present(iAttributes, "GridLocalOptimum")) {
    status = GridLocalMinimization(I.low, I.high, J.low, J.high, ioMinima, nu, nv, mode,
                                   _constantTolerance);
  } else {
    status = FMinimize(iDomain, ioMinima, mode, best, nu, nv);
    if (ioMinima.GetNumberOfPoints() == 0 && mode > 15) {
      nu = 8 * nu < MaxRelentlessSampling ? 8 * nu : MaxRelentlessSampling;
      nv = 8 * nv < MaxRelentlessSampling ? 8 * nv : MaxRelentlessSampling;
      status = FMinimize(iDomain, ioMinima, mode, best, nu, nv);
    }
  }
  SortByValue(ioMinima);
  ioMinima.Beginning();
  return _minimaRefused > 0 && status == XelMathStatus::Done ? XelMathStatus::NotConverged : status;
}

void XelMathMinimizeXY::SortByValue(XelMathSetOfPointsND& ioMinima) const {
  const long n = ioMinima.GetNumberOfPoints();
  double p[2], q[2];
  // Insertion sort: a handful of minima, stable among equal values.
  for (long k = 1; k < n; ++k)
    for (long m = k; m > 0; --m) {
      ioMinima.GetPoint(m - 1, p);
      ioMinima.GetPoint(m, q);
      if (!(ValueAt(*_function, q[0], q[1]) < ValueAt(*_function, p[0], p[1])))
        break;
      ioMinima.ReplacePoint(m - 1, q);
      ioMinima.ReplacePoint(m, p);
    }
}

int XelMathMinimizeXY::MinimizeNewton(double& ioU, double& ioV,
                                      const XelMathInterval2D& iDomain) const {
  return _function->MinimizeNewton(ioU, ioV, iDomain, *_tolerance);
}

int XelMathMinimizeXY::LocalMinimization(double& ioU, double& ioV,
                                         const XelMathInterval2D& iDomain) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  double u = Clamp(ioU, I), v = Clamp(ioV, J);
  if (MinimizeNewton(u, v, iDomain) == XelMathStatus::Done) {
    ioU = u;
    ioV = v;
    return XelMathStatus::Done;
  }
  // No convergence: a kink or derivatives that cannot be trusted. The first minimum down the
  // gradient, then simplex searches restarted from their own result, turned and smaller each
  // time, until two restarts in a row bring nothing (a simplex can stall across a kink).
  double fu = 0.0, fv = 0.0;
  _function->Eval(u, v, XelMathOption::FirstDeriv, nullptr, &fu, &fv, nullptr, nullptr, nullptr);
  if (std::isfinite(fu) && std::isfinite(fv) && (fu != 0.0 || fv != 0.0))
    FirstMinimumInDirection(u, v, -fu * (I.high - I.low), -fv * (J.high - J.low), iDomain);
  double f = ValueAt(*_function, u, v);
  const double stopU = StepTolerance(I, SimplexStopRatio * (I.high - I.low));
  const double stopV = StepTolerance(J, SimplexStopRatio * (J.high - J.low));
  double hu = 0.5 * (_cellU > 0.0 ? _cellU : (I.high - I.low) / double(DefaultSampling));
  double hv = 0.5 * (_cellV > 0.0 ? _cellV : (J.high - J.low) / double(DefaultSampling));
  long budget = SimplexBudget, idle = 0;
  for (long k = 0; k < SimplexRestarts && budget > 0 && idle < 2; ++k) {
    const double before = f;
    Simplex(*_function, I, J, u, v, f, hu, hv, SimplexTurn * double(k), stopU, stopV, budget);
    idle = f < before - Rounding * std::fabs(before) ? 0 : idle + 1;
    hu = std::fmax(0.5 * hu, 16.0 * stopU);
    hv = std::fmax(0.5 * hv, 16.0 * stopV);
  }
  ioU = u;
  ioV = v;
  return std::isfinite(f) ? XelMathStatus::Done : XelMathStatus::NotConverged;
}

int XelMathMinimizeXY::FMinimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                                 const long iMode, double& ioBest, const long iNu,
                                 const long iNv) const {
  if ((iMode & ModeInterval) && _function->IsOption(XelMathOption::ImageAndFirst))
    return RBMinimize(iDomain, ioMinima, iMode & (ModeEveryMinimum | ModeInterior | ModeLimit),
                      ioBest, iNu, iNv);
  return DMinimize(iDomain, ioMinima, iMode, ioBest, iNu, iNv);
}

int XelMathMinimizeXY::DMinimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                                 const long iMode, double& ioBest, const long iNu,
                                 const long iNv) const {
  CheckGridSizes(iNu, iNv);
  const Grid grid(iDomain, iNu, iNv);
  _cellU = grid.hu;
  _cellV = grid.hv;
  const long n = grid.Count();
  XelMathScratchDoubles<> values(6 * n);
  double* g = values.Data();
  double *gu = g + n, *gv = g + 2 * n, *guu = g + 3 * n, *guv = g + 4 * n, *gvv = g + 5 * n;
  grid.Evaluate(*_function, XelMathOption::PointUpToSecond, g, gu, gv, guu, guv, gvv);

  // Constant: a negligible gradient at every node and values that agree.
  // (and the steepest gradient in units of the rectangle: the change of f across it)
  const double wu = grid.i.high > grid.i.low ? grid.i.high - grid.i.low : 1.0;
  const double wv = grid.j.high > grid.j.low ? grid.j.high - grid.j.low : 1.0;
  double low = HUGE_VAL, high = -HUGE_VAL, steepest = 0.0;
  long finite = 0, flat = 0, steep = 0;
  for (long k = 0; k < n; ++k) {
    if (!std::isfinite(g[k]) || !std::isfinite(gu[k]) || !std::isfinite(gv[k]))
      continue;
    ++finite;
    low = std::fmin(low, g[k]);
    high = std::fmax(high, g[k]);
    const double slope = gu[k] * gu[k] + gv[k] * gv[k];
    const double curvature = guu[k] * guu[k] + guv[k] * guv[k] + gvv[k] * gvv[k];
    if (slope <= _toleranceValue * (1.0 + (std::isfinite(curvature) ? curvature : 0.0)))
      ++flat;
    const double change = std::hypot(gu[k] * wu, gv[k] * wv);
    if (change > steepest) {
      steepest = change;
      steep = k;
    }
  }
  // The special points are where the grid may be blind: their values count too.
  if (_specialPoints && _specialPoints->GetDimension() == 2)
    for (long k = 0; k < _specialPoints->GetNumberOfPoints(); ++k) {
      double p[2];
      _specialPoints->GetPoint(k, p);
      if (grid.i.low <= p[0] && p[0] <= grid.i.high && grid.j.low <= p[1] && p[1] <= grid.j.high) {
        low = std::fmin(low, ValueAt(*_function, p[0], p[1]));
        high = std::fmax(high, ValueAt(*_function, p[0], p[1]));
      }
    }
  // (the values agree within the constant tolerance and their own rounding)
  const double rounding = _relativeEps * std::fmax(std::fabs(low), std::fabs(high));
  if (finite == n && flat == n && high - low <= _constantTolerance + rounding) {
    const double centre[2] = {0.5 * (grid.i.low + grid.i.high), 0.5 * (grid.j.low + grid.j.high)};
    AddMinimum(centre[0], centre[1], iMode, ioMinima, ioBest);
    return XelMathStatus::ConstantFunction;
  }

  // One-dimensional: every gradient parallel to the steepest one, in units of the rectangle.
  // In the variables, Himmelblau's function of (1e6 u, v / 1e6) has every gradient within
  // 1e-12 of the u axis, and the search along u at the centre line found none of its minima.
  bool parallel = finite == n && steepest > 0.0 && std::isfinite(steepest);
  const double au = gu[steep] * wu, av = gv[steep] * wv;
  for (long k = 0; k < n && parallel; ++k) {
    const double cross = au * gv[k] * wv - av * gu[k] * wu;
    parallel = std::fabs(cross) <= ParallelRatio * steepest * std::hypot(gu[k] * wu, gv[k] * wv);
  }
  if (parallel && n > 4)
    return MinimizeAlongGradient(iDomain, ioMinima, iMode, ioBest, iNu, iNv, au, av);

  if (!(iMode & ModeInterior))
    MinimumBoundary(iDomain, ioMinima, iMode, ioBest, iNu, iNv);
  MinimizeStationaryPoints(iDomain, ioMinima, iMode, ioBest, iNu, iNv, g);
  MinimizeFromSpecialPoints(iDomain, ioMinima, iMode, ioBest);
  return XelMathStatus::Done;
}

int XelMathMinimizeXY::MinimizeAlongGradient(const XelMathInterval2D& iDomain,
                                             XelMathSetOfPointsND& ioMinima, const long iMode,
                                             double& ioBest, const long iNu, const long iNv,
                                             const double iGu, const double iGv) const {
  // f depends on a u + b v only (a, b the gradient's direction): along the segment between
  // the corners where a u + b v is lowest and highest it takes every value it takes on the
  // rectangle. A negligible component keeps its variable at the centre.
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  const double scale = std::fmax(std::fabs(iGu), std::fabs(iGv));
  const double su = std::fabs(iGu) <= ParallelRatio * scale ? 0.0 : (iGu > 0.0 ? 1.0 : -1.0);
  const double sv = std::fabs(iGv) <= ParallelRatio * scale ? 0.0 : (iGv > 0.0 ? 1.0 : -1.0);
  const double cu = 0.5 * (I.low + I.high), cv = 0.5 * (J.low + J.high);
  const double u0 = su > 0.0 ? I.low : (su < 0.0 ? I.high : cu);
  const double v0 = sv > 0.0 ? J.low : (sv < 0.0 ? J.high : cv);
  const double u1 = su > 0.0 ? I.high : (su < 0.0 ? I.low : cu);
  const double v1 = sv > 0.0 ? J.high : (sv < 0.0 ? J.low : cv);
  const XelMathLinearX lu(u1 - u0, u0), lv(v1 - v0, v0);
  std::unique_ptr<XelMathFunctionX> line(_function->CreateCompositionX(&lu, &lv));
  if (!line)
    return XelMathStatus::Done;

  XelMathAttrTolObject tolerance(*_tolerance);
  XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, iNu + iNv, 1);
  XelMathAttrString restriction((iMode & ModeInterior) ? AttrFunctionXInteriorExtremum
                                                       : AttrFunctionXDiscretizationMethod,
                                1);
  XelMathAttrScaleOption scale2(2, 1);
  if (_scaleReviewed)
    scale2.SetOKReviewed(1);
  XelMathAttrList attributes;
  attributes.AddAttribute(&tolerance);
  attributes.AddAttribute(&sampling);
  attributes.AddAttribute(&restriction);
  attributes.AddAttribute(&scale2);
  XelMathSetOfPointsND minima(1, 4);
  line->Minimize(XelMathInterval(0.0, 1.0), minima, &attributes);
  double t = 0.0;
  for (long k = 0; k < minima.GetNumberOfPoints(); ++k) {
    minima.GetPoint(k, &t);
    const double u = Clamp(u0 + t * (u1 - u0), I), v = Clamp(v0 + t * (v1 - v0), J);
    if ((iMode & ModeInterior) && OnBoundary(u, v, iDomain))
      continue;
    const double f = ValueAt(*_function, u, v);
    if (XelMathSingularityXY::BesideSingularity(
            *_function, u, v, f, iDomain, _relativeEps * (_scale * _scale + std::fabs(f))))
      continue;
    AddMinimum(u, v, iMode, ioMinima, ioBest);
  }
  return XelMathStatus::Done;
}

int XelMathMinimizeXY::MinimumBoundary(const XelMathInterval2D& iDomain,
                                       XelMathSetOfPointsND& ioMinima, const long iMode,
                                       double& ioBest, const long iNu, const long iNv) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  XelMathAttrTolObject tolerance(*_tolerance);
  XelMathAttrScaleOption scale2(2, 1);
  if (_scaleReviewed)
    scale2.SetOKReviewed(1);
  // Edges: index 0 holds u at a side of I and runs over J, index 1 the converse.
  struct Edge {
    long index;
    double value;
  };
  const Edge edges[4] = {{1, J.low}, {1, J.high}, {0, I.low}, {0, I.high}};
  long added = 0;
  for (long e = 0; e < 4; ++e) {
    if ((e == 1 && !(J.high > J.low)) || (e == 3 && !(I.high > I.low)))
      continue; // the side coincides with its opposite
    const Edge& edge = edges[e];
    const XelMathInterval& range = edge.index == 0 ? J : I;
    if (!(range.low < range.high)) {
      // A rectangle of no width: the edge is a point, an end of the segment the rectangle
      // is, and a minimum only when f rises from it along the segment.
      const double u = edge.index == 0 ? edge.value : I.low;
      const double v = edge.index == 0 ? J.low : edge.value;
      if (RisesInwards(u, v, iDomain))
        added += OfferCandidate(u, v, iDomain, iMode, ioMinima, ioBest);
      continue;
    }
    const long n = edge.index == 0 ? iNv : iNu;
    XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints,
                                     n > MinEdgeSampling ? n : MinEdgeSampling, 1);
    XelMathAttrList attributes;
    attributes.AddAttribute(&tolerance);
    attributes.AddAttribute(&sampling);
    attributes.AddAttribute(&scale2);
    const XelMathFunctionXYToX restriction(_function, edge.value, edge.index, *_tolerance);
    XelMathSetOfPointsND minima(1, 4);
    restriction.Minimize(range, minima, &attributes);
    double t = 0.0;
    for (long k = 0; k < minima.GetNumberOfPoints(); ++k) {
      minima.GetPoint(k, &t);
      const double u = edge.index == 0 ? edge.value : Clamp(t, I);
      const double v = edge.index == 0 ? Clamp(t, J) : edge.value;
      if (RisesInwards(u, v, iDomain))
        added += OfferCandidate(u, v, iDomain, iMode, ioMinima, ioBest);
    }
  }
  return added;
}

bool XelMathMinimizeXY::HasGoodSign(const double* iGu, const double* iGv, const double (*iH)[3],
                                    const double iHu, const double iHv) {
  // Component c of the gradient (c = 0: fu, with derivatives fuu, fuv; c = 1: fv, with
  // fuv, fvv) may vanish in the cell when it changes sign at the corners, or when a corner's
  // value is within reach of its first-order change across the cell.
  for (int c = 0; c < 2; ++c) {
    const double* g = c == 0 ? iGu : iGv;
    double low = HUGE_VAL, high = -HUGE_VAL;
    bool reach = false;
    for (int k = 0; k < 4; ++k) {
      if (!std::isfinite(g[k]))
        return true;
      low = std::fmin(low, g[k]);
      high = std::fmax(high, g[k]);
      const double du = iH[k][c], dv = iH[k][c + 1];
      const double change = std::fabs(du) * iHu + std::fabs(dv) * iHv;
      reach = reach || !std::isfinite(change) || std::fabs(g[k]) <= ReachFactor * change;
    }
    if (!(low <= 0.0 && 0.0 <= high) && !reach)
      return false;
  }
  return true;
}

int XelMathMinimizeXY::MinimizeStationaryPoints(const XelMathInterval2D& iDomain,
                                                XelMathSetOfPointsND& ioMinima, const long iMode,
                                                double& ioBest, const long iNu, const long iNv,
                                                const double* iGrid) const {
  const Grid grid(iDomain, iNu, iNv);
  const long n = grid.Count();
  const double *gu = iGrid + n, *gv = iGrid + 2 * n, *guu = iGrid + 3 * n, *guv = iGrid + 4 * n,
               *gvv = iGrid + 5 * n;
  long added = 0;
  if (grid.mu > 1 && grid.mv > 1) {
    // The gradient system fu = fv = 0 on each cell that may hold a stationary point (when
    // the function has an exact gradient).
    const bool exact = _function->IsOption(XelMathOption::FirstDeriv) != 0;
    std::unique_ptr<XelMathFunctionXY> du(_function->CreateDerivX());
    std::unique_ptr<XelMathFunctionXY> dv(_function->CreateDerivY());
    if (du && dv) {
      BudgetedGradient gradient(du.get(), dv.get(), *_tolerance);
      XelMathAttrString discretization(AttrFunctionXDiscretizationMethod, 1);
      XelMathAttrIntegerValue samplingX("SamplingPointsX", 2, 1),
          samplingY("SamplingPointsY", 2, 1);
      const long powersF[2] = {1, 1}, powersX[2] = {1, 1};
      XelMathAttrScaleOption scale(2, powersF, 2, powersX, 0, nullptr);
      if (_scaleReviewed)
        scale.SetOKReviewed(1);
      XelMathAttrList attributes;
      attributes.AddAttribute(&discretization);
      attributes.AddAttribute(&samplingX);
      attributes.AddAttribute(&samplingY);
      attributes.AddAttribute(&scale);
      XelMathSetOfPointsND solutions(2, 4);
      // A descent from the lowest corner of a cell, unless that corner is lower than its
      // neighbours (its descent comes below).
      const auto descend = [&](const long* iCorners) {
        long lowest = iCorners[0];
        for (int k = 1; k < 4; ++k)
          if (iGrid[iCorners[k]] < iGrid[lowest])
            lowest = iCorners[k];
        const long la = lowest / grid.mv, lb = lowest % grid.mv;
        if (grid.IsLowest(iGrid, la, lb))
          return;
        double u = grid.U(la), v = grid.V(lb);
        if (LocalMinimization(u, v, iDomain) == XelMathStatus::Done)
          added += OfferCandidate(u, v, iDomain, iMode, ioMinima, ioBest);
      };
      for (long a = 0; a + 1 < grid.mu && _minimaRefused == 0; ++a)
        for (long b = 0; b + 1 < grid.mv && _minimaRefused == 0; ++b) {
          const long corners[4] = {a * grid.mv + b, a * grid.mv + b + 1, (a + 1) * grid.mv + b,
                                   (a + 1) * grid.mv + b + 1};
          double cu[4], cv[4], h[4][3];
          for (int k = 0; k < 4; ++k) {
            cu[k] = gu[corners[k]];
            cv[k] = gv[corners[k]];
            h[k][0] = guu[corners[k]];
            h[k][1] = guv[corners[k]];
            h[k][2] = gvv[corners[k]];
          }
          // The reach of the first-order changes only where solves are cheap and exact.
          if (!HasGoodSign(cu, cv, h, exact ? grid.hu : 0.0, exact ? grid.hv : 0.0))
            continue;
          if (!exact) {
            // Derivatives by differences: a descent from the lowest corner is both cheaper
            // and more precise than a solve of differences of differences.
            descend(corners);
            continue;
          }
          const XelMathInterval2D cell(grid.U(a), grid.U(a + 1), grid.V(b), grid.V(b + 1));
          gradient.Allow(CellSolveBudget);
          bool settled = true;
          try {
            gradient.Solve(cell, solutions, &attributes);
          } catch (const CellBudgetSpent&) {
            settled = false; // what the solve found so far is not trusted (not yet mapped)
          }
          if (!settled) {
            // A descent from the lowest corner, and one from the centre for a minimum on
            // the cell's border (the solve is slow there too).
            descend(corners);
            double u = 0.5 * (grid.U(a) + grid.U(a + 1)), v = 0.5 * (grid.V(b) + grid.V(b + 1));
            if (LocalMinimization(u, v, iDomain) == XelMathStatus::Done)
              added += OfferCandidate(u, v, iDomain, iMode, ioMinima, ioBest);
            continue;
          }
          double p[2];
          for (long k = 0; k < solutions.GetNumberOfPoints(); ++k) {
            solutions.GetPoint(k, p);
            added += OfferStationary(p[0], p[1], iDomain, iMode, ioMinima, ioBest);
          }
        }
    }
  }
  // Descents from the nodes lower than their neighbours: minima the derivatives do not see
  // (kinks, degenerate bottoms, derivatives that are not exact).
  for (long a = 0; a < grid.mu && _minimaRefused == 0; ++a)
    for (long b = 0; b < grid.mv && _minimaRefused == 0; ++b) {
      if (!grid.IsLowest(iGrid, a, b))
        continue;
      double u = grid.U(a), v = grid.V(b);
      if (LocalMinimization(u, v, iDomain) == XelMathStatus::Done)
        added += OfferCandidate(u, v, iDomain, iMode, ioMinima, ioBest);
    }
  return added;
}

int XelMathMinimizeXY::MinimizeFromSpecialPoints(const XelMathInterval2D& iDomain,
                                                 XelMathSetOfPointsND& ioMinima, const long iMode,
                                                 double& ioBest) const {
  if (!_specialPoints || _specialPoints->GetDimension() != 2)
    return 0;
  long added = 0;
  double p[2];
  for (long k = 0; k < _specialPoints->GetNumberOfPoints(); ++k) {
    _specialPoints->GetPoint(k, p);
    if (!(iDomain.GetX().low <= p[0] && p[0] <= iDomain.GetX().high && iDomain.GetY().low <= p[1] &&
          p[1] <= iDomain.GetY().high))
      continue;
    // A special point is where the derivatives may fail (a kink, a singular point): it is a
    // minimum itself or the start of a descent.
    if (!IsLocalMinimum(p[0], p[1], iDomain) &&
        LocalMinimization(p[0], p[1], iDomain) != XelMathStatus::Done)
      continue;
    added += OfferCandidate(p[0], p[1], iDomain, iMode, ioMinima, ioBest);
  }
  return added;
}

int XelMathMinimizeXY::RBMinimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& ioMinima,
                                  const long iMode, double& ioBest, const long iNu,
                                  const long iNv) const {
  CheckGridSizes(iNu, iNv);
  const Grid grid(iDomain, iNu, iNv);
  _cellU = grid.hu;
  _cellV = grid.hv;
  _domain = iDomain;
  _hasDomain = 1;
  // Constant: the image over the rectangle within the constant tolerance.
  const XelMathInterval image = _function->Eval(grid.i, grid.j, *_tolerance);
  if (std::isfinite(image.low) && std::isfinite(image.high) &&
      image.high - image.low <= _constantTolerance) {
    AddMinimum(0.5 * (grid.i.low + grid.i.high), 0.5 * (grid.j.low + grid.j.high), iMode, ioMinima,
               ioBest);
    return XelMathStatus::ConstantFunction;
  }
  if (!(iMode & ModeInterior))
    MinimumBoundary(iDomain, ioMinima, iMode, ioBest, iNu, iNv);
  const bool second = _function->IsOption(XelMathOption::SecondDerivImage) != 0;
  const long cu = grid.mu > 1 ? grid.mu - 1 : 1, cv = grid.mv > 1 ? grid.mv - 1 : 1;
  for (long a = 0; a < cu && _minimaRefused == 0; ++a)
    for (long b = 0; b < cv && _minimaRefused == 0; ++b) {
      const XelMathInterval2D cell(
          grid.mu > 1 ? grid.U(a) : grid.i.low, grid.mu > 1 ? grid.U(a + 1) : grid.i.high,
          grid.mv > 1 ? grid.V(b) : grid.j.low, grid.mv > 1 ? grid.V(b + 1) : grid.j.high);
      if (second)
        R2Minimize(cell, ioMinima, iMode, ioBest, 0);
      else
        R1Minimize(cell, ioMinima, iMode, ioBest, 0);
    }
  MinimizeFromSpecialPoints(iDomain, ioMinima, iMode, ioBest);
  return XelMathStatus::Done;
}

int XelMathMinimizeXY::R1Minimize(const XelMathInterval2D& iBox, XelMathSetOfPointsND& ioMinima,
                                  const long iMode, double& ioBest, const long iDepth) const {
  return SubdivideBoxes(iBox, ioMinima, iMode, ioBest, iDepth, false);
}

int XelMathMinimizeXY::R2Minimize(const XelMathInterval2D& iBox, XelMathSetOfPointsND& ioMinima,
                                  const long iMode, double& ioBest, const long iDepth) const {
  return SubdivideBoxes(iBox, ioMinima, iMode, ioBest, iDepth, true);
}

int XelMathMinimizeXY::SubdivideBoxes(const XelMathInterval2D& iBox, XelMathSetOfPointsND& ioMinima,
                                      const long iMode, double& ioBest, const long iDepth,
                                      const bool iSecond) const {
  // Descents stay in the rectangle of the running RBMinimize (else in the box); the smallest
  // box is a fixed fraction of the first one.
  const XelMathInterval2D domain = _hasDomain ? _domain : iBox;
  const double minU = std::fmax(MinBoxRatio * (iBox.GetX().high - iBox.GetX().low), _rootRes);
  const double minV = std::fmax(MinBoxRatio * (iBox.GetY().high - iBox.GetY().low), _rootRes);
  struct Box {
    XelMathInterval2D box;
    long depth;
  };
  Box stack[MaxBoxDepth + 4];
  long top = 0, visited = 0, added = 0;
  stack[top++] = {iBox, iDepth};
  while (top > 0) {
    Box current = stack[--top];
    XelMathInterval2D& box = current.box;
    if (++visited > MaxBoxes)
      break;
    const XelMathInterval U = box.GetX(), V = box.GetY();
    // With a limit (or in absolute mode once a minimum is known) boxes above it go.
    const bool bounded =
        (iMode & ModeLimit) || (!(iMode & ModeEveryMinimum) && ioMinima.GetNumberOfPoints() > 0);
    if (bounded) {
      const XelMathInterval image = _function->Eval(U, V, *_tolerance);
      if (image.low > ioBest + _relativeEps * (_scale * _scale + std::fabs(ioBest)))
        continue;
    }
    const XelMathInterval Gu = _function->EvalFirstDerivX(U, V);
    const XelMathInterval Gv = _function->EvalFirstDerivY(U, V);
    if (Gu.low > 0.0 || Gu.high < 0.0 || Gv.low > 0.0 || Gv.high < 0.0)
      continue; // no stationary point: the gradient keeps a sign
    const bool small = U.high - U.low <= minU && V.high - V.low <= minV;
    if (iSecond && !small) {
      const XelMathInterval Huu = _function->EvalSecondDerivX2(U, V);
      const XelMathInterval Hvv = _function->EvalSecondDerivY2(U, V);
      if (Huu.high < 0.0 || Hvv.high < 0.0)
        continue; // concave along a variable: no minimum inside
      XelMathInterval2D contracted = box;
      const int newton = MinimizeIntervalNewton(contracted);
      if (newton == 0)
        continue;
      const XelMathInterval Huv = _function->EvalSecondDerivXY(U, V);
      const double cross = std::fmax(Huv.low * Huv.low, Huv.high * Huv.high);
      const bool convex = Huu.low > 0.0 && Hvv.low > 0.0 && Huu.low * Hvv.low > cross;
      if (newton == 2 || convex) {
        // At most one stationary point, a minimum when the box is convex.
        double u = 0.5 * (contracted.GetX().low + contracted.GetX().high);
        double v = 0.5 * (contracted.GetY().low + contracted.GetY().high);
        // Newton's minimum of the box is the stationary point when one is proven inside or
        // when it does not end on the box's border.
        if (convex && MinimizeNewton(u, v, box) == XelMathStatus::Done &&
            (newton == 2 || (U.low < u && u < U.high && V.low < v && v < V.high))) {
          added += OfferStationary(u, v, domain, iMode, ioMinima, ioBest);
          continue;
        }
      }
      const double shrinkU = contracted.GetX().high - contracted.GetX().low;
      const double shrinkV = contracted.GetY().high - contracted.GetY().low;
      if (shrinkU < ContractionRatio * (U.high - U.low) ||
          shrinkV < ContractionRatio * (V.high - V.low)) {
        if (top < MaxBoxDepth + 4)
          stack[top++] = {contracted, current.depth + 1};
        continue;
      }
    }
    if (small || current.depth >= MaxBoxDepth || top + 2 > MaxBoxDepth + 4) {
      // A box the images cannot decide: a descent from its centre, unless a minimum is
      // already known in it.
      double u = 0.5 * (U.low + U.high), v = 0.5 * (V.low + V.high);
      if (KnownNear(u, v, ioMinima, U.high - U.low, V.high - V.low))
        continue;
      if (LocalMinimization(u, v, domain) == XelMathStatus::Done)
        added += OfferCandidate(u, v, domain, iMode, ioMinima, ioBest);
      continue;
    }
    // Split the wider side (relative to the first box).
    const bool alongU = (U.high - U.low) / (iBox.GetX().high - iBox.GetX().low + DBL_MIN) >=
                        (V.high - V.low) / (iBox.GetY().high - iBox.GetY().low + DBL_MIN);
    const double mid = alongU ? 0.5 * (U.low + U.high) : 0.5 * (V.low + V.high);
    const XelMathInterval2D first = alongU ? XelMathInterval2D(U.low, mid, V.low, V.high)
                                           : XelMathInterval2D(U.low, U.high, V.low, mid);
    const XelMathInterval2D second = alongU ? XelMathInterval2D(mid, U.high, V.low, V.high)
                                            : XelMathInterval2D(U.low, U.high, mid, V.high);
    stack[top++] = {second, current.depth + 1};
    stack[top++] = {first, current.depth + 1};
  }
  return added;
}

int XelMathMinimizeXY::MinimizeIntervalNewton(XelMathInterval2D& ioBox) const {
  const XelMathInterval U = ioBox.GetX(), V = ioBox.GetY();
  const double cu = 0.5 * (U.low + U.high), cv = 0.5 * (V.low + V.high);
  double gu = 0.0, gv = 0.0;
  _function->Eval(cu, cv, XelMathOption::FirstDeriv, nullptr, &gu, &gv, nullptr, nullptr, nullptr);
  const XelMathInterval Huu = _function->EvalSecondDerivX2(U, V);
  const XelMathInterval Huv = _function->EvalSecondDerivXY(U, V);
  const XelMathInterval Hvv = _function->EvalSecondDerivY2(U, V);
  if (!std::isfinite(gu) || !std::isfinite(gv))
    return 1;
  // Gauss-Seidel: u in cu - (gu(c) + Huv (V - cv)) / Huu, then v with the new u.
  XelMathInterval newU = U, newV = V;
  bool strict = true;
  const auto solve = [](const double iG, const XelMathInterval& iCross,
                        const XelMathInterval& iOther, const double iOtherCentre,
                        const XelMathInterval& iDiagonal, const double iCentre,
                        const XelMathInterval& iRange, XelMathInterval& oRange, bool& ioStrict) {
    if (!(iDiagonal.low > 0.0 || iDiagonal.high < 0.0)) {
      ioStrict = false;
      return true; // a diagonal image through 0: no contraction
    }
    const XelMathInterval numerator = Shift(Mul(iCross, Shift(iOther, -iOtherCentre)), iG);
    const XelMathInterval step = Mul(numerator, Inverse(iDiagonal));
    const XelMathInterval candidate(iCentre - step.high, iCentre - step.low);
    if (!std::isfinite(candidate.low) || !std::isfinite(candidate.high)) {
      ioStrict = false;
      return true;
    }
    ioStrict = ioStrict && iRange.low < candidate.low && candidate.high < iRange.high;
    oRange = XelMathInterval(std::fmax(candidate.low, iRange.low),
                             std::fmin(candidate.high, iRange.high));
    return oRange.low <= oRange.high;
  };
  if (!solve(gu, Huv, V, cv, Huu, cu, U, newU, strict))
    return 0;
  if (!solve(gv, Huv, newU, cu, Hvv, cv, V, newV, strict))
    return 0;
  ioBox = XelMathInterval2D(newU.low, newU.high, newV.low, newV.high);
  return strict ? 2 : 1;
}

int XelMathMinimizeXY::AddMinimum(const double iU, const double iV, const long iMode,
                                  XelMathSetOfPointsND& ioMinima, double& ioBest) const {
  if ((iMode & ModeEveryMinimum) && ioMinima.GetNumberOfPoints() >= MaxMinima) {
    ++_minimaRefused;
    return 0;
  }
  const double f = _function->Eval(iU, iV);
  if (!std::isfinite(f))
    return 0; // never a NaN, infinite or pole value as a minimum
  // (An infinite limit stays as it is: -inf + inf would let every value through.)
  if (std::isfinite(ioBest))
    ioBest += _relativeEps * (_scale * _scale + std::fabs(ioBest));
  const bool absolute = !(iMode & ModeEveryMinimum);
  const double p[2] = {iU, iV};
  if (ioMinima.GetNumberOfPoints() > 0) {
    if (((iMode & ModeLimit) || absolute) && f > ioBest)
      return 0;
    if (absolute) {
      ioMinima.ReplacePoint(0, p);
      ioBest = f;
      return 1;
    }
    double q[2];
    for (long k = 0; k < ioMinima.GetNumberOfPoints(); ++k) {
      ioMinima.GetPoint(k, q);
      if (std::fabs(q[0] - iU) + std::fabs(q[1] - iV) < _rootRes)
        return 0;
    }
    ioMinima.AddPoint(p);
    return 1;
  }
  if ((iMode & ModeLimit) && f > ioBest)
    return 0;
  ioMinima.AddPoint(p);
  if (absolute)
    ioBest = f;
  return 1;
}

int XelMathMinimizeXY::FirstMinimumInDirection(double& ioU, double& ioV, const double iDu,
                                               const double iDv,
                                               const XelMathInterval2D& iDomain) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  // The segment (u, v) + t (du, dv), 0 <= t <= reach, inside the rectangle.
  double reach = HUGE_VAL;
  if (iDu > 0.0)
    reach = std::fmin(reach, (I.high - ioU) / iDu);
  else if (iDu < 0.0)
    reach = std::fmin(reach, (I.low - ioU) / iDu);
  if (iDv > 0.0)
    reach = std::fmin(reach, (J.high - ioV) / iDv);
  else if (iDv < 0.0)
    reach = std::fmin(reach, (J.low - ioV) / iDv);
  if (!(reach > 0.0) || !std::isfinite(reach))
    return XelMathStatus::NotConverged;
  const auto at = [&](const double t) {
    return ValueAt(*_function, Clamp(ioU + t * iDu, I), Clamp(ioV + t * iDv, J));
  };
  // Samples until the values rise: the first local minimum is bracketed.
  const double f0 = at(0.0);
  double a = 0.0, x = 0.0, fx = f0;
  double b = reach;
  for (long k = 1; k <= DirectionSamples; ++k) {
    const double t = reach * double(k) / double(DirectionSamples);
    const double ft = at(t);
    if (ft > fx) {
      b = t;
      break;
    }
    a = x;
    x = t;
    fx = ft;
  }
  if (x == 0.0)
    a = 0.0;
  // Golden section in [a, b] around x.
  const double ratio = 0.3819660112501051;
  for (long k = 0; k < GoldenSteps && b - a > Rounding * reach; ++k) {
    const bool right = b - x > x - a;
    const double t = right ? x + ratio * (b - x) : x - ratio * (x - a);
    const double ft = at(t);
    if (ft < fx) {
      (right ? a : b) = x;
      x = t;
      fx = ft;
    } else {
      (right ? b : a) = t;
    }
  }
  if (!(fx < f0))
    return XelMathStatus::NotConverged;
  ioU = Clamp(ioU + x * iDu, I);
  ioV = Clamp(ioV + x * iDv, J);
  return XelMathStatus::Done;
}

int XelMathMinimizeXY::GridGlobalMinimization(const double iUa, const double iUb, const double iVa,
                                              const double iVb, const long iNu, const long iNv,
                                              const double iTolerance, double& oU,
                                              double& oV) const {
  CheckGridSizes(iNu, iNv);
  const XelMathInterval2D domain(iUa, iUb, iVa, iVb);
  const Grid grid(domain, iNu, iNv);
  _cellU = grid.hu;
  _cellV = grid.hv;
  XelMathScratchDoubles<> values(grid.Count());
  double* g = values.Data();
  grid.Evaluate(*_function, XelMathOption::Value, g, nullptr, nullptr, nullptr, nullptr, nullptr);
  long best = -1;
  double low = HUGE_VAL, high = -HUGE_VAL;
  for (long k = 0; k < grid.Count(); ++k) {
    if (!std::isfinite(g[k]))
      continue;
    if (best < 0 || g[k] < g[best])
      best = k;
    low = std::fmin(low, g[k]);
    high = std::fmax(high, g[k]);
  }
  if (best < 0 || high - low <= iTolerance) {
    oU = 0.5 * (iUa + iUb);
    oV = 0.5 * (iVa + iVb);
    return best < 0 ? XelMathStatus::NotConverged : XelMathStatus::ConstantFunction;
  }
  oU = grid.U(best / grid.mv);
  oV = grid.V(best % grid.mv);
  LocalMinimization(oU, oV, domain);
  return XelMathStatus::Done;
}

int XelMathMinimizeXY::GridLocalMinimization(const double iUa, const double iUb, const double iVa,
                                             const double iVb, XelMathSetOfPointsND& ioMinima,
                                             const long iNu, const long iNv, const long iMode,
                                             const double iTolerance) const {
  CheckGridSizes(iNu, iNv);
  const XelMathInterval2D domain(iUa, iUb, iVa, iVb);
  const Grid grid(domain, iNu, iNv);
  _cellU = grid.hu;
  _cellV = grid.hv;
  XelMathScratchDoubles<> values(grid.Count());
  double* g = values.Data();
  grid.Evaluate(*_function, XelMathOption::Value, g, nullptr, nullptr, nullptr, nullptr, nullptr);
  double low = HUGE_VAL, high = -HUGE_VAL;
  long finite = 0;
  for (long k = 0; k < grid.Count(); ++k)
    if (std::isfinite(g[k])) {
      ++finite;
      low = std::fmin(low, g[k]);
      high = std::fmax(high, g[k]);
    }
  double best = 0.0;
  if (finite == grid.Count() && high - low <= iTolerance) {
    AddMinimum(0.5 * (iUa + iUb), 0.5 * (iVa + iVb), iMode, ioMinima, best);
    return XelMathStatus::ConstantFunction;
  }
  for (long a = 0; a < grid.mu && _minimaRefused == 0; ++a)
    for (long b = 0; b < grid.mv && _minimaRefused == 0; ++b) {
      if (!grid.IsLowest(g, a, b))
        continue;
      double u = grid.U(a), v = grid.V(b);
      if (LocalMinimization(u, v, domain) == XelMathStatus::Done)
        OfferCandidate(u, v, domain, iMode, ioMinima, best);
    }
  return XelMathStatus::Done;
}

void XelMathMinimizeXY::XelMathMinimizeXYParallelDebugCond(
    const XelMathInterval2D& iDomain, const XelMathFunctionXY* iUnscaled) const {
  if (!XelMathDebug::GetDebugOnly() || _debugConditionShown || !_function)
    return;
  _debugConditionShown = 1;
  const double u = 0.5 * (iDomain.GetX().low + iDomain.GetX().high);
  const double v = 0.5 * (iDomain.GetY().low + iDomain.GetY().high);
  XelQuorOutput::GetOut() << "XelMathMinimizeXY::Minimize " << (iUnscaled ? "scaled" : "")
                          << " FCenter:" << _function->Eval(u, v);
  if (iUnscaled)
    XelQuorOutput::GetOut() << " " << iUnscaled->Eval(u, v);
  XelQuorOutput::GetOut() << "\n";
}

bool XelMathMinimizeXY::OnBoundary(const double iU, const double iV,
                                   const XelMathInterval2D& iDomain) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  return iU - I.low <= _rootRes || I.high - iU <= _rootRes || iV - J.low <= _rootRes ||
         J.high - iV <= _rootRes;
}

bool XelMathMinimizeXY::IsLocalMinimum(const double iU, const double iV,
                                       const XelMathInterval2D& iDomain,
                                       const double* iAlong) const {
  const double f0 = ValueAt(*_function, iU, iV);
  return std::isfinite(f0) &&
         XelMathLocalMinimumXY::IsLocalMinimum(*_function, iU, iV, iDomain,
                                               _relativeEps * (_scale * _scale + std::fabs(f0)),
                                               _relativeEps, iAlong);
}

bool XelMathMinimizeXY::RisesInwards(const double iU, const double iV,
                                     const XelMathInterval2D& iDomain) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  double f = 0.0, fu = 0.0, fv = 0.0;
  _function->Eval(iU, iV, XelMathOption::ValueAndFirst, &f, &fu, &fv, nullptr, nullptr, nullptr);
  if (!std::isfinite(f) || !std::isfinite(fu) || !std::isfinite(fv))
    return IsLocalMinimum(iU, iV, iDomain);
  // The change of f across the rectangle at the inward slope, against the precision of f.
  const double noise = InwardSlopeRatio * (_scale * _scale + std::fabs(f));
  bool flat = false;
  const double slopes[4] = {iU <= I.low && I.high > I.low ? fu * (I.high - I.low) : HUGE_VAL,
                            iU >= I.high && I.high > I.low ? -fu * (I.high - I.low) : HUGE_VAL,
                            iV <= J.low && J.high > J.low ? fv * (J.high - J.low) : HUGE_VAL,
                            iV >= J.high && J.high > J.low ? -fv * (J.high - J.low) : HUGE_VAL};
  for (const double slope : slopes) {
    if (slope < -noise)
      return false; // f decreases into the rectangle
    flat = flat || slope <= noise;
  }
  return !flat || IsLocalMinimum(iU, iV, iDomain);
}

bool XelMathMinimizeXY::KnownNear(const double iU, const double iV,
                                  const XelMathSetOfPointsND& iMinima, const double iWu,
                                  const double iWv) const {
  double q[2];
  for (long k = 0; k < iMinima.GetNumberOfPoints(); ++k) {
    iMinima.GetPoint(k, q);
    if (std::fabs(q[0] - iU) <= iWu && std::fabs(q[1] - iV) <= iWv)
      return true;
  }
  return false;
}

int XelMathMinimizeXY::OfferStationary(const double iU, const double iV,
                                       const XelMathInterval2D& iDomain, const long iMode,
                                       XelMathSetOfPointsND& ioMinima, double& ioBest) const {
  // A stationary point is a minimum when the Hessian is positive definite; negative
  // curvature rules it out; a degenerate Hessian leaves it to the values around.
  double h[3] = {0.0, 0.0, 0.0};
  _function->Eval(iU, iV, XelMathOption::SecondDeriv, nullptr, nullptr, nullptr, h, h + 1, h + 2);
  double low = 0.0, high = 0.0;
  Eigenvalues(h[0], h[1], h[2], low, high);
  if (!std::isfinite(low) || !std::isfinite(high))
    return 0;
  const double size = std::fmax(std::fabs(low), std::fabs(high));
  if (low < -CurvatureRatio * size)
    return 0;
  if (low <= CurvatureRatio * size && !IsLocalMinimum(iU, iV, iDomain))
    return 0;
  return OfferCandidate(iU, iV, iDomain, iMode, ioMinima, ioBest);
}

int XelMathMinimizeXY::OfferCandidate(const double iU, const double iV,
                                      const XelMathInterval2D& iDomain, const long iMode,
                                      XelMathSetOfPointsND& ioMinima, double& ioBest) const {
  if ((iMode & ModeEveryMinimum) && ioMinima.GetNumberOfPoints() >= MaxMinima) {
    ++_minimaRefused;
    return 0;
  }
  const double f = ValueAt(*_function, iU, iV);
  if (!std::isfinite(f))
    return 0;
  if ((iMode & ModeInterior) && OnBoundary(iU, iV, iDomain))
    return 0;
  // The tests of the point itself, made only when it would be kept (most candidates are
  // other ends of descents to a minimum already kept).
  const auto isMinimum = [&]() {
    // Beside a pole the descents close on the last double before it: no minimum.
    if (XelMathSingularityXY::BesideSingularity(*_function, iU, iV, f, iDomain,
                                                _relativeEps * (_scale * _scale + std::fabs(f))))
      return false;
    // Where f has no gradient (beside a region where it is NaN, so that differences reach
    // into it) the descents and slope tests that offered the point could not see f fall: the
    // values around decide. So do they inside the rectangle where the Hessian does not show
    // a minimum (singular or indefinite: the monkey saddle u^3 - 3 u v^2 at its centre, where
    // a descent with the exact gradient stops).
    double value = 0.0, gu = 0.0, gv = 0.0;
    _function->Eval(iU, iV, XelMathOption::ValueAndFirst, &value, &gu, &gv, nullptr, nullptr,
                    nullptr);
    const bool noGradient = !std::isfinite(gu) || !std::isfinite(gv);
    bool inconclusive = false;
    double flattest[2] = {0.0, 0.0};
    if (!_localMinCorrected && !noGradient && !OnBoundary(iU, iV, iDomain)) {
      double h[3] = {0.0, 0.0, 0.0};
      _function->Eval(iU, iV, XelMathOption::SecondDeriv, nullptr, nullptr, nullptr, h, h + 1,
                      h + 2);
      // The flattest direction of the Hessian is probed too: along a valley floor that is
      // not parallel to an axis or a diagonal (Powell's badly scaled function) f falls only
      // there.
      double low = 0.0, high = 0.0;
      XelMathLocalMinimumXY::FlattestDirection(h[0], h[1], h[2], flattest, low, high);
      inconclusive = !(low > CurvatureRatio * std::fmax(std::fabs(low), std::fabs(high)));
      // Differences of values far below their precision give any Hessian (at -1e-323 on a
      // tail of -exp(-3000 (u^2 + v^2)), a positive definite one of 1e-316).
      const double wu = iDomain.GetX().high - iDomain.GetX().low;
      const double wv = iDomain.GetY().high - iDomain.GetY().low;
      const double curving = std::fabs(h[0]) * wu * wu + 2.0 * std::fabs(h[1]) * wu * wv +
                             std::fabs(h[2]) * wv * wv;
      inconclusive = inconclusive || !(CurvatureReach * CurvatureReach * curving >
                                       _relativeEps * (_scale * _scale + std::fabs(f)));
    }
    // A descent may end on the border where f still falls into the rectangle (held there by
    // a projected step): the test of the edge minima.
    if (!noGradient && OnBoundary(iU, iV, iDomain) && !RisesInwards(iU, iV, iDomain))
      return false;
    return !(_localMinCorrected || noGradient || inconclusive) ||
           IsLocalMinimum(iU, iV, iDomain, inconclusive ? flattest : nullptr);
  };
  // Another end of a descent in the same basin (no ridge between them, up to the precision
  // of the values) is the same minimum reached with the precision of the descents. That
  // precision may be the rounding of terms much larger than the values (the expanded form of
  // a steep valley): twice the larger spread of the values around the two points, measured
  // when the ridge test fails.
  double q[2];
  bool known = false;
  double spread = -1.0;
  for (long k = 0; k < ioMinima.GetNumberOfPoints(); ++k) {
    ioMinima.GetPoint(k, q);
    if (std::fabs(q[0] - iU) > _cellU || std::fabs(q[1] - iV) > _cellV)
      continue;
    if (std::fabs(q[0] - iU) + std::fabs(q[1] - iV) < _rootRes) {
      known = true;
      continue; // AddMinimum's own rule
    }
    const double fq = ValueAt(*_function, q[0], q[1]);
    const double top = std::fmax(f, fq);
    const double mid = ValueAt(*_function, 0.5 * (q[0] + iU), 0.5 * (q[1] + iV));
    const double slack =
        std::fmax(_relativeEps * (_scale * _scale + std::fabs(top)), Rounding * std::fabs(top));
    if (mid > top + slack) {
      if (spread < 0.0)
        spread = XelMathLocalMinimumXY::ValueSpread(*_function, iU, iV, iDomain);
      const double rounding =
          2.0 * std::fmax(spread, XelMathLocalMinimumXY::ValueSpread(*_function, q[0], q[1],
                                                                      iDomain));
      if (mid > top + slack + rounding)
        continue;
    }
    if (!(f < fq) || !isMinimum())
      return 0;
    // The lower end of the two stands for the minimum.
    const double p[2] = {iU, iV};
    ioMinima.ReplacePoint(k, p);
    if (!(iMode & ModeEveryMinimum))
      ioBest = f;
    return 1;
  }
  if (known && (iMode & ModeEveryMinimum))
    return 0; // kept already (AddMinimum would refuse it)
  return isMinimum() ? AddMinimum(iU, iV, iMode, ioMinima, ioBest) : 0;
}

// ==== entry points of XelMathFunctionXY ===================================================

int XelMathFunctionXY::Minimize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                                const XelMathAttrList* iAttributes) const {
  if (oPoints.GetDimension() != 2)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "2",
                 "XelMathFunctionXY::Minimize");
  // 1. Tolerance: the function's own, or the one of the options.
  const XelTolerance* tol = &XelMathFunctionXYGetTolerance(this);
  if (iAttributes)
    if (const XelMathAttrTolObject* attr = dynamic_cast<const XelMathAttrTolObject*>(
            iAttributes->GetAttribute("XelMathAttrTolObject")))
      tol = &attr->GetTolObject();

  // 2. A scaled model: the function in unit scale, the options with it.
  const double S = tol->GetScaleFactor();
  const XelMathAttrScaleOption* option = XelMathAnalysisScaling::AttrScaleOption(iAttributes);
  std::unique_ptr<XelMathScaleFunctionXY> scaled;
  std::unique_ptr<ScaledOptions> scaledOptions;
  if (S != 1.0 && option) {
    long nbF = 0, nbX = 0;
    const long* powersF = option->GetPowerScaleF(nbF);
    const long* powersX = option->GetPowerScaleX(nbX);
    if (nbF != 1 || nbX != 2 || !powersF || !powersX)
      XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                   "XelMathFunctionXY::Minimize");
    if (powersF[0] != 2 || powersX[0] != 1 || powersX[1] != 1) {
      const double valueFactor = std::pow(S, 2.0 - double(powersF[0]));
      const double factorU = std::pow(S, double(powersX[0]) - 1.0);
      const double factorV = std::pow(S, double(powersX[1]) - 1.0);
      XelMathAnalysisScaling::CheckFactors(valueFactor, factorU, "XelMathFunctionXY::Minimize");
      XelMathAnalysisScaling::CheckFactors(valueFactor, factorV, "XelMathFunctionXY::Minimize");
      scaled.reset(new XelMathScaleFunctionXY(this, valueFactor, factorU, factorV));
      if (option->GetOKReviewed())
        scaled->SetOKScaleReviewed();
      scaledOptions.reset(new ScaledOptions(iAttributes, valueFactor));
    }
  }

  // 3. The strategy, on the scaled function and rectangle when scaled.
  const XelMathFunctionXY* f = scaled ? scaled.get() : this;
  XelMathInterval2D domain = iDomain;
  if (scaled)
    scaled->ComputeScaledDomain(iDomain, domain);
  XelMathSetOfPointsND work(2, 4);
  XelMathSetOfPointsND& target = scaled ? work : oPoints;
  int status = XelMathStatus::Done;
  if (Present(iAttributes, AttrDirectMethod)) {
    XelMathDirectMinimizerXY direct(f, *tol);
    if (option && option->GetOKReviewed())
      direct.SetOKScaleReviewed();
    status = direct.Minimize(domain, target, iAttributes);
  } else {
    XelMathMinimizeXY minimizer(f, *tol);
    if (option && option->GetOKReviewed())
      minimizer.SetOKScaleReviewed();
    if (scaled)
      minimizer.XelMathMinimizeXYParallelDebugCond(domain, this);
    status = minimizer.Minimize(domain, target, iAttributes);
  }
  // 4. Back to the caller's variables.
  if (scaled) {
    scaled->ComputeUnScaledRoots(work, oPoints);
    oPoints.Beginning();
  }
  return status;
}

int XelMathFunctionXY::MinimizeNewton(double& ioX, double& ioY, const XelMathInterval2D& iDomain,
                                      const XelTolerance& iTol) const {
  const XelMathInterval& I = iDomain.GetX();
  const XelMathInterval& J = iDomain.GetY();
  if (!(I.low <= I.high) || !(J.low <= J.high))
    return XelMathStatus::NotConverged;
  const double wx = I.high - I.low, wy = J.high - J.low;
  const double r = iTol.GetRootResolution();
  const double tolX = StepTolerance(I, r), tolY = StepTolerance(J, r);
  double x = Clamp(ioX, I), y = Clamp(ioY, J);
  auto finish = [&](const int iStatus) {
    ioX = x;
    ioY = y;
    return iStatus;
  };

  for (long iteration = 0; iteration < MaxNewtonSteps; ++iteration) {
    double f = 0.0, gx = 0.0, gy = 0.0, hxx = 0.0, hxy = 0.0, hyy = 0.0;
    Eval(x, y, XelMathOption::PointUpToSecond, &f, &gx, &gy, &hxx, &hxy, &hyy);
    if (!std::isfinite(f) || !std::isfinite(gx) || !std::isfinite(gy) || !std::isfinite(hxx) ||
        !std::isfinite(hxy) || !std::isfinite(hyy))
      return finish(XelMathStatus::NotConverged);
    // Variables held by a bound that the descent would cross.
    const bool freeX = wx > 0.0 && !((x <= I.low && gx > 0.0) || (x >= I.high && gx < 0.0));
    const bool freeY = wy > 0.0 && !((y <= J.low && gy > 0.0) || (y >= J.high && gy < 0.0));
    const double px = freeX ? gx : 0.0, py = freeY ? gy : 0.0;
    if (px == 0.0 && py == 0.0) {
      // A stationary point, or a corner held by both bounds. A negative curvature of a free
      // variable still leads downhill.
      const bool downX = freeX && hxx < 0.0, downY = freeY && hyy < 0.0;
      if (!downX && !downY)
        return finish(XelMathStatus::Done);
    }

    // Directions: Newton on the free variables when the Hessian is positive definite there,
    // else the gradient scaled by the rectangle (or a direction of negative curvature).
    double dx = 0.0, dy = 0.0;
    bool newton = false;
    if (freeX && freeY) {
      const double det = hxx * hyy - hxy * hxy;
      if (hxx > 0.0 && det > 0.0) {
        dx = -(hyy * px - hxy * py) / det;
        dy = -(hxx * py - hxy * px) / det;
        newton = true;
      }
    } else if (freeX && hxx > 0.0) {
      dx = -px / hxx;
      newton = true;
    } else if (freeY && hyy > 0.0) {
      dy = -py / hyy;
      newton = true;
    }
    if (newton && !(px * dx + py * dy < 0.0))
      newton = false;
    if (!newton) {
      dx = -px * wx;
      dy = -py * wy;
      if (dx == 0.0 && dy == 0.0) {
        // Zero gradient, negative curvature: move along the free variable that curves down.
        if (freeX && hxx < 0.0)
          dx = wx;
        else
          dy = wy;
      }
    }
    // No step leaves the rectangle's size: at most the whole rectangle for Newton, a
    // fraction of it for the gradient.
    const double reach =
        std::fmax(wx > 0.0 ? std::fabs(dx) / wx : 0.0, wy > 0.0 ? std::fabs(dy) / wy : 0.0);
    const double most = newton ? 1.0 : GradientStepRatio;
    if (reach > most) {
      dx *= most / reach;
      dy *= most / reach;
    }

    // Backtracking along the projected path.
    double t = 1.0;
    bool moved = false;
    double nx = x, ny = y;
    for (long k = 0; k < MaxHalvings; ++k, t *= 0.5) {
      nx = Clamp(x + t * dx, I);
      ny = Clamp(y + t * dy, J);
      if (nx == x && ny == y)
        break;
      const double fn = Eval(nx, ny);
      if (fn <= f + ArmijoSlope * (px * (nx - x) + py * (ny - y))) {
        moved = true;
        break;
      }
    }
    if (!moved) {
      // Nothing lower along the direction: a minimum within the precision of the values when
      // the Newton step itself was negligible, else a point the derivatives cannot improve.
      const bool negligible = newton && std::fabs(dx) <= std::fmax(tolX, NewtonStallRatio * wx) &&
                              std::fabs(dy) <= std::fmax(tolY, NewtonStallRatio * wy);
      return finish(negligible ? XelMathStatus::Done : XelMathStatus::NotConverged);
    }
    const double stepX = std::fabs(nx - x), stepY = std::fabs(ny - y);
    x = nx;
    y = ny;
    // Converged when a full step is negligible (a shortened step says nothing: it may be
    // held back by a kink).
    if (stepX <= tolX && stepY <= tolY && t == 1.0)
      return finish(XelMathStatus::Done);
  }
  return finish(XelMathStatus::NotConverged);
}
