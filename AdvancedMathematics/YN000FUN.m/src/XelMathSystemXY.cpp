// XelMathSystemXY: all solutions of F(x, y) = 0, G(x, y) = 0 in a rectangle by recursive
// exclusion and subdivision (see the header for the outline).
//
// Every evaluation of the search goes through Eval2, which works in the solving variables:
// with a scale option the domain is divided by (scaleU, scaleV) and the equations multiplied
// by (scaleF, scaleG), and the solutions are brought back at the end of Solve.
#include "XelMathSystemXY.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <cstring>

#include "XelError.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathConstants.h"
#include "XelMathDifferencesXY.h"
#include "XelMathElementaryTools.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval2D.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystemTools.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

namespace {

/// Most solutions of one solve.
const long MaxSolutions = 100;
/// Default sampling per direction, and the grid held in local storage.
const long DefaultSampling = 12;
const long LocalGridPoints = 144;
/// The marks of the cells settled by blocks are kept in local storage up to 6 x 6 nodes.
const long SmallGridPoints = 36;
/// Largest sampling per direction read from the options.
const long MaxSampling = 4096;
/// Newton steps polishing a solution before it is compared with the stored ones, and the
/// distance (relative to 1 + |x| + |y|) within which two polished solutions are one.
const int PolishSteps = 10;
/// Largest move of a polished point, relative to the sum of the domain's sides.
const double PolishReach = 2e-2;
/// Share of a cell below which the square searched around a known solution is too small to
/// cut the cell by.
const double TinyExclusionShare = 1.0 / 64.0;
// A solution beyond the border of the domain by at most this share of its coordinates' size
// lies on it.
const double BorderSlack = 1e-8;
// The join between a new solution and a stored one: its length, its points and its slack are
// those of the N-variable solver.
using XelMathSystemSearch::DistinctRootDistance;
using XelMathSystemSearch::MaxDomainBound;
using XelMathSystemSearch::SameRootDistance;
using XelMathSystemSearch::JoinPoints;
using XelMathSystemSearch::JoinReach;
using XelMathSystemSearch::JoinSlack;
/// Share of the residual test that the join between two settled points inside the merge
/// window must pass for them to be one solution.
const double StrictJoinShare = 1e-4;
/// Rounds of ConfirmedRadius, and the eight points of the square of radius 1 around the
/// solution where it reads the second derivatives.
const int ConfirmRounds = 4;
const double InnerRing = 0.6180339887498949;
const double RingX[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
const double RingY[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
/// Deepest recursion of the cell search, and the number of cells one solve may examine.
const long MaxDepth = 48;
const long MaxWork = 50000;
/// Depth from which an edge solution no longer triggers the search of its cell.
const long EdgeSearchDepth = 20;
/// Most pieces along the long side of a thin cell cut in more pieces than across.
const long StripPieces = 8;
/// Depth below which a failed Newton iteration subdivides the cell.
const long DichotomyDepth = 2;
/// Most quarterings of a cell of odd degree too small to subdivide (a side of 1e-3 of the box
/// reaches the resolution of double well within them).
const long MaxOddDegreeLevels = 64;
/// Depth until which cells holding a NaN corner are subdivided (then dropped).
const long NaNDepth = 4;
/// Iterations of the conjugate-gradient search and of the line search bisection.
const long MaxGradientSteps = 200;
const long MaxLineSteps = 60;
/// Steps of the curve following, each way.
const long MarchingSteps = 8;

bool Finite(const double a) {
  return std::isfinite(a);
}

/// Corner indices of the four edges, counter-clockwise from the lower-left corner.
const int EdgeFrom[4] = {0, 1, 3, 2};
const int EdgeTo[4] = {1, 3, 2, 0};

/// Whether the derivative along an edge changes sign: x edges (bottom, top) use d/dx, y
/// edges d/dy.
bool DerivativeTurns(const double* iDx, const double* iDy) {
  return (iDx[0] * iDx[1] < 0.0) || (iDx[2] * iDx[3] < 0.0) || (iDy[0] * iDy[2] < 0.0) ||
         (iDy[1] * iDy[3] < 0.0);
}

/// Whether both partial derivatives change sign among the corners: a stationary point may lie
/// inside.
bool GradientMayVanish(const double* iDx, const double* iDy) {
  auto changes = [](const double* d) {
    const double lo = std::min(std::min(d[0], d[1]), std::min(d[2], d[3]));
    const double hi = std::max(std::max(d[0], d[1]), std::max(d[2], d[3]));
    return lo <= 0.0 && hi >= 0.0;
  };
  return changes(iDx) && changes(iDy);
}

/// Whether the derivative of the cubic Hermite interpolant of the end values v0, v1 and end
/// slopes d0, d1 (per unit of t in [0, 1]) changes sign inside (0, 1): always when the end
/// slopes differ in sign, and also when the values cannot be joined monotonically with those
/// slopes (a dip and a rise between two ends of the same slope sign).
bool HermiteTurns(const double v0, const double v1, const double d0, const double d1) {
  if (!Finite(v0) || !Finite(v1) || !Finite(d0) || !Finite(d1))
    return false;
  if (d0 * d1 < 0.0)
    return true;
  const double delta = v1 - v0;
  const double a = 3.0 * (d0 + d1 - 2.0 * delta), b = 2.0 * (3.0 * delta - 2.0 * d0 - d1);
  if (a == 0.0)
    return false;
  const double t = -b / (2.0 * a);
  if (!(t > 0.0 && t < 1.0))
    return false;
  const double m = d0 + b * t + a * t * t;
  const double reference = d0 != 0.0 ? d0 : d1;
  return m * reference < 0.0;
}

/// The classification of one function at four corners: +1 all above eps, -1 all below -eps,
/// 0 otherwise; 2 when a corner is NaN.
int CornerSign(const double* iV, const double iEps) {
  int above = 0, below = 0;
  for (int k = 0; k < 4; ++k) {
    if (std::isnan(iV[k]))
      return 2;
    if (iV[k] > iEps)
      ++above;
    else if (iV[k] < -iEps)
      ++below;
  }
  return above == 4 ? 1 : (below == 4 ? -1 : 0);
}

/// The zero in [0, 1] of a function of opposite signs v0, v1 at the ends, by regula falsi
/// with the Illinois correction (the value kept at an end chosen twice in a row is halved) so
/// that both ends close in, bisection when the guess falls outside the bracket;
/// one evaluation per step: Next gives the abscissa to evaluate (or ends the search), Take
/// its value. Until done the zero lies in [a, b]; then it is t.
struct EdgeZero {
  double a = 0.0, b = 1.0, v0, v1, t = 0.0;
  long it = 0;
  int side = 0;
  bool done = false, exact = false;
  EdgeZero(const double iV0, const double iV1) : v0(iV0), v1(iV1) {}
  double Low() const { return done ? t : a; }
  /// Done with the bracket closed to a few doubles (or on an exact zero).
  bool Pinned() const { return done && (exact || b - a <= 1e-14); }
  double High() const { return done ? t : b; }
  double Next() {
    // Ends at neighbouring doubles: nothing lies between them any more.
    const double mid = 0.5 * (a + b);
    if (!(it < 2 * MaxLineSteps && b - a > 1e-16 && mid > a && mid < b)) {
      t = mid;
      done = true;
      return t;
    }
    double m = a - v0 * (b - a) / (v1 - v0);
    if (!(m > a && m < b))
      m = 0.5 * (a + b);
    return m;
  }
  void Take(const double m, const double vm) {
    ++it;
    if (!std::isfinite(vm)) {
      t = 0.5 * (a + b);
      done = true;
    } else if (vm == 0.0) {
      t = m;
      done = true;
      exact = true;
    } else if ((vm < 0.0) == (v0 < 0.0)) {
      a = m;
      v0 = vm;
      if (side == -1)
        v1 *= 0.5;
      side = -1;
    } else {
      b = m;
      v1 = vm;
      if (side == 1)
        v0 *= 0.5;
      side = 1;
    }
  }
};

/// Whether the four corner values keep one sign (zeros allowed).
bool SameSigns(const double* iV) {
  return (iV[0] >= 0.0 && iV[1] >= 0.0 && iV[2] >= 0.0 && iV[3] >= 0.0) ||
         (iV[0] <= 0.0 && iV[1] <= 0.0 && iV[2] <= 0.0 && iV[3] <= 0.0);
}

/// Whether F changes sign on every edge of the cell.
bool SignChangeOnAllEdges(const double* iV) {
  for (int e = 0; e < 4; ++e)
    if (!(iV[EdgeFrom[e]] * iV[EdgeTo[e]] < 0.0))
      return false;
  return true;
}

// The Newton step of (f, g) with gradients (fx, fy), (gx, gy): each equation divided by its
// largest derivative first, so that the determinant of equations of size 1e154 does not
// overflow (the step is the same). False when it is not finite.
bool NewtonStep2(double f, double fx, double fy, double g, double gx, double gy, double& oDx,
                 double& oDy) {
  const double sf = std::max(std::fabs(fx), std::fabs(fy));
  const double sg = std::max(std::fabs(gx), std::fabs(gy));
  if (sf > 0.0 && sf < XelMathInfinite) {
    f /= sf, fx /= sf, fy /= sf;
  }
  if (sg > 0.0 && sg < XelMathInfinite) {
    g /= sg, gx /= sg, gy /= sg;
  }
  const double det = fx * gy - fy * gx;
  oDx = (gy * f - fy * g) / det;
  oDy = (fx * g - gx * f) / det;
  return std::isfinite(oDx) && std::isfinite(oDy);
}

} // namespace

// ---- free functions ---------------------------------------------------------------------------

int SafeNewtonStep(const double x, const double y, double& ioDx, double& ioDy, const double xmin,
                   const double xmax, const double ymin, const double ymax) {
  const double nx = x - ioDx, ny = y - ioDy;
  if (nx >= xmin && nx <= xmax && ny >= ymin && ny <= ymax)
    return 1;
  const double full = ioDx * ioDx + ioDy * ioDy;
  if (nx < xmin)
    ioDx = x - xmin;
  else if (nx > xmax)
    ioDx = x - xmax;
  if (ny < ymin)
    ioDy = y - ymin;
  else if (ny > ymax)
    ioDy = y - ymax;
  const double clipped = ioDx * ioDx + ioDy * ioDy;
  const double scale = xmin * xmin + xmax * xmax + ymin * ymin + ymax * ymax;
  if (clipped < XelGetDefaultTolerance().GetSquareLengthResolution() * scale)
    return 1;
  return clipped >= 0.25 * full ? 1 : 0;
}

double ScalingValue(const double iLow, const double iHigh, const double x, const double iStep) {
  if (iStep > 0.0)
    return (iHigh - x) / iStep;
  if (iStep < 0.0)
    return (iLow - x) / iStep;
  return XelMathInfinite;
}

// ---- construction -----------------------------------------------------------------------------

XelMathSystemXY::XelMathSystemXY(const XelTolerance& iTol, const XelMathAttrList* iAttributes)
    : _solutions(nullptr), _domain(nullptr), _box(2), _scaleU(1.0), _scaleV(1.0), _scaleF(1.0),
      _scaleG(1.0), _isScaled(0), _tolerance(iTol), _callCount(0), _level(0), _minWidthU(0.0),
      _minWidthV(0.0), _depth(0), _maxSingularDepth(2), _epsSing(0.0), _scaleOption(1, 1),
      _scaleOptionSet(0), _epsSolSet(0), _epsSolValue(1.0), _epsSolIsRelative(0), _current(nullptr),
      _uniqueCell(nullptr), _facts(nullptr), _nodes{nullptr, {0, 0, 0, 0}, nullptr, nullptr, nullptr, nullptr},
      _nodeBufferBusy(false), _orderUndecided(false), _provedCount(0), _recorded(-1),
      _unsettled(false), _splittingFold(false), _work(0) {
  ReadTolerance();
  const double abs = _absRes;
  _epsRel10 = 10.0 * _relEps;
  _epsParam10 = 10.0 * _paramRes;
  _epsJacobian = 10.0 * _relEps * _sqLengthRes;
  _epsAbsSmall = 2e-4 * abs;
  _epsSol = _epsParam10;
  // A tolerance read as 0 must not give null difference steps.
  const double unit = abs > 0.0 && Finite(abs) ? abs : 1.0;
  _h1 = unit * XelMathh1;
  _h2 = unit * XelMathh2;
  _h3 = unit * XelMathh3;
  for (double& r : _radius)
    r = 0.0;
  for (double& r : _proved)
    r = 0.0;
  _box.SetMin(0, 0.0);
  _box.SetMax(0, 0.0);
  _box.SetMin(1, 0.0);
  _box.SetMax(1, 0.0);
  ApplyScaleAttribute(iAttributes);
}

XelMathSystemXY::~XelMathSystemXY() = default;

void XelMathSystemXY::ReadTolerance() {
  // Read once per solve: an invalid tolerance is reported here and reads as 0.
  _absRes = _tolerance.GetAbsoluteResolution();
  _lengthRes = _tolerance.GetLengthResolution();
  _sqLengthRes = _tolerance.GetSquareLengthResolution();
  _paramRes = _tolerance.GetParametricResolution();
  _relEps = _tolerance.GetRelativeEpsilon();
}

long XelMathSystemXY::GetDynamicMemoryBytes() const {
  return _box.GetDynamicMemoryBytes() + _scaleOption.GetDynamicMemoryBytes();
}

long XelMathSystemXY::GetStaticMemoryBytes() const {
  return sizeof(XelMathSystemXY);
}

int XelMathSystemXY::ApplyScaleAttribute(const XelMathAttrList* iAttributes) {
  if (!iAttributes || _absRes == 1.0)
    return 0;
  const XelMathAttrScaleOption* option = dynamic_cast<const XelMathAttrScaleOption*>(
      iAttributes->GetAttribute("XelMathAttrScaleOption"));
  if (!option)
    return 0;
  SetScaleOption(*option);
  return 1;
}

// ---- identity ---------------------------------------------------------------------------------

unsigned char XelMathSystemXY::IsAKindOf(const char* iName) const {
  if (!iName)
    return 0;
  if (!std::strcmp(iName, "XelMathSystemXY"))
    return 1;
  const char* own = IsA();
  return (own && !std::strcmp(iName, own)) ? 1 : 0;
}

unsigned char XelMathSystemXY::IsOption(const long) const {
  return 0;
}

// ---- default derivatives ----------------------------------------------------------------------

namespace {
/// One equation of a system (F, or G when iG), seen as a function of two variables by the
/// default differences.
struct Equation {
  const XelMathSystemXY& system;
  bool g;
  double Eval(const double& x, const double& y) const {
    return g ? system.EvalG(x, y) : system.EvalF(x, y);
  }
  double EvalFirstDerivX(const double& x, const double& y) const {
    return g ? system.EvalFirstDerivGX(x, y) : system.EvalFirstDerivFX(x, y);
  }
  double EvalFirstDerivY(const double& x, const double& y) const {
    return g ? system.EvalFirstDerivGY(x, y) : system.EvalFirstDerivFY(x, y);
  }
  double EvalSecondDerivX2(const double& x, const double& y) const {
    return g ? system.EvalSecondDerivGX2(x, y) : system.EvalSecondDerivFX2(x, y);
  }
  double EvalSecondDerivXY(const double& x, const double& y) const {
    return g ? system.EvalSecondDerivGXY(x, y) : system.EvalSecondDerivFXY(x, y);
  }
  double EvalSecondDerivY2(const double& x, const double& y) const {
    return g ? system.EvalSecondDerivGY2(x, y) : system.EvalSecondDerivFY2(x, y);
  }
  unsigned char IsOption(const long iOption) const { return system.IsOption(iOption); }
};
} // namespace

double XelMathSystemXY::EvalFirstDerivFX(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstX(Equation{*this, false}, x, y, {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalFirstDerivFY(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstY(Equation{*this, false}, x, y, {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalFirstDerivGX(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstX(Equation{*this, true}, x, y, {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalFirstDerivGY(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstY(Equation{*this, true}, x, y, {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalSecondDerivFX2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondX2(Equation{*this, false}, x, y,
                                        {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalSecondDerivFXY(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondXY(Equation{*this, false}, x, y,
                                        {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalSecondDerivFY2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondY2(Equation{*this, false}, x, y,
                                        {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalSecondDerivGX2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondX2(Equation{*this, true}, x, y,
                                        {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalSecondDerivGXY(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondXY(Equation{*this, true}, x, y,
                                        {_h1, _h1, _h2, _h2, _h3, _h3});
}
double XelMathSystemXY::EvalSecondDerivGY2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondY2(Equation{*this, true}, x, y,
                                        {_h1, _h1, _h2, _h2, _h3, _h3});
}

void XelMathSystemXY::EvalF(const double& x, const double& y, const long iDiff, double* oF,
                            double* oFx, double* oFy, double* oFxx, double* oFxy,
                            double* oFyy) const {
  XelMathDifferencesXY::MaskedByOperations(Equation{*this, false}, x, y, iDiff, oF, oFx, oFy, oFxx,
                                           oFxy, oFyy);
}

void XelMathSystemXY::EvalG(const double& x, const double& y, const long iDiff, double* oG,
                            double* oGx, double* oGy, double* oGxx, double* oGxy,
                            double* oGyy) const {
  XelMathDifferencesXY::MaskedByOperations(Equation{*this, true}, x, y, iDiff, oG, oGx, oGy, oGxx,
                                           oGxy, oGyy);
}

namespace {
template <class PointEval>
void EvalOnGrid(const XelMathIntervalND& iBox, const long* iCounts, PointEval iEval) {
  if (!iCounts || iBox.GetDimension() != 2)
    return;
  const long nX = iCounts[0], nY = iCounts[1];
  for (long i = 0; i < nX; ++i) {
    const double x = XelMathGridCoordinate(iBox.GetMin(0), iBox.GetMax(0), i, nX);
    for (long j = 0; j < nY; ++j)
      iEval(x, XelMathGridCoordinate(iBox.GetMin(1), iBox.GetMax(1), j, nY), i * nY + j);
  }
}

double* At(double* iArray, const long k) {
  return iArray ? iArray + k : nullptr;
}
} // namespace

void XelMathSystemXY::EvalF(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                            double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                            double* oFyy) const {
  EvalOnGrid(iBox, iCounts, [&](const double x, const double y, const long k) {
    EvalF(x, y, iDiff, At(oF, k), At(oFx, k), At(oFy, k), At(oFxx, k), At(oFxy, k), At(oFyy, k));
  });
}

void XelMathSystemXY::EvalG(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                            double* oG, double* oGx, double* oGy, double* oGxx, double* oGxy,
                            double* oGyy) const {
  EvalOnGrid(iBox, iCounts, [&](const double x, const double y, const long k) {
    EvalG(x, y, iDiff, At(oG, k), At(oGx, k), At(oGy, k), At(oGxx, k), At(oGxy, k), At(oGyy, k));
  });
}

// ---- evaluation in the solving variables ------------------------------------------------------

void XelMathSystemXY::Eval2(const int iWhich, const double x, const double y, const long iDiff,
                            double* oV, double* oVx, double* oVy, double* oVxx, double* oVxy,
                            double* oVyy) const {
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const double sf = _isScaled ? (iWhich ? _scaleG : _scaleF) : 1.0;
  const double X = x * su, Y = y * sv;
  if (iWhich)
    EvalG(X, Y, iDiff, oV, oVx, oVy, oVxx, oVxy, oVyy);
  else
    EvalF(X, Y, iDiff, oV, oVx, oVy, oVxx, oVxy, oVyy);
  if (!_isScaled)
    return;
  if ((iDiff & XelMathOption::Value) && oV)
    *oV *= sf;
  if (iDiff & XelMathOption::FirstDeriv) {
    if (oVx)
      *oVx *= sf * su;
    if (oVy)
      *oVy *= sf * sv;
  }
  if (iDiff & XelMathOption::SecondDeriv) {
    if (oVxx)
      *oVxx *= sf * su * su;
    if (oVxy)
      *oVxy *= sf * su * sv;
    if (oVyy)
      *oVyy *= sf * sv * sv;
  }
}

void XelMathSystemXY::SampleGrid(const int iWhich, const double x0, const double x1,
                                 const double y0, const double y1, const long nU, const long nV,
                                 double* oV, double* oVx, double* oVy) {
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  _box.SetMin(0, x0 * su);
  _box.SetMax(0, x1 * su);
  _box.SetMin(1, y0 * sv);
  _box.SetMax(1, y1 * sv);
  const long counts[2] = {nU, nV};
  if (iWhich)
    EvalG(_box, counts, XelMathOption::ValueAndFirst, oV, oVx, oVy, nullptr, nullptr, nullptr);
  else
    EvalF(_box, counts, XelMathOption::ValueAndFirst, oV, oVx, oVy, nullptr, nullptr, nullptr);
  if (!_isScaled)
    return;
  const double sf = iWhich ? _scaleG : _scaleF;
  for (long k = 0; k < nU * nV; ++k) {
    oV[k] *= sf;
    oVx[k] *= sf * su;
    oVy[k] *= sf * sv;
  }
}

void XelMathSystemXY::FillCorners(const int iWhich, Cell& ioCell) {
  double v[4], vx[4], vy[4];
  SampleGrid(iWhich, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, 2, 2, v, vx, vy);
  // The grid is x outer, y inner: (x0,y0) (x0,y1) (x1,y0) (x1,y1).
  const int order[4] = {0, 2, 1, 3};
  double* dst = iWhich ? ioCell.g : ioCell.f;
  double* dstx = iWhich ? ioCell.gx : ioCell.fx;
  double* dsty = iWhich ? ioCell.gy : ioCell.fy;
  for (int k = 0; k < 4; ++k) {
    dst[k] = v[order[k]];
    dstx[k] = vx[order[k]];
    dsty[k] = vy[order[k]];
  }
}

double XelMathSystemXY::Residual(const double x, const double y) const {
  double f = 0.0, g = 0.0;
  Eval2(0, x, y, XelMathOption::Value, &f, nullptr, nullptr);
  Eval2(1, x, y, XelMathOption::Value, &g, nullptr, nullptr);
  return std::hypot(f, g);
}

// ---- thresholds and options -------------------------------------------------------------------

int XelMathSystemXY::IsNull(const double x, const double y, const double iF, const double iG,
                            double& oNorm, const double* iJacobian) const {
  oNorm = std::fabs(iF) + std::fabs(iG);
  double jac = 0.0;
  if (iJacobian)
    jac = std::fabs(iJacobian[0]) + std::fabs(iJacobian[1]) + std::fabs(iJacobian[2]) +
          std::fabs(iJacobian[3]);
  const double bound = _epsSol * (1.0 + jac) + _lengthRes * (std::fabs(x) + std::fabs(y));
  return oNorm < bound ? 1 : 0;
}

void XelMathSystemXY::SetEps(const double iEps, const int iRelative, double& oEps) const {
  if (!(iEps >= 0.0) || !std::isfinite(iEps))
    XelMathRaise(XelErrorCode::InvalidOption, "the solution threshold",
                 "negative, infinite or NaN", "XelMathSystemXY::SetEps");
  if (_scaleOptionSet) {
    long nbF = 0;
    const long* powersF = _scaleOption.GetPowerScaleF(nbF);
    if (nbF != 2 || !powersF || powersF[0] != powersF[1])
      XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption",
                   "SetEps inconsistent with scale dimensions", "XelMathSystemXY::SetEps");
  }
  if (iRelative)
    oEps = iEps * _absRes;
  else
    oEps = _isScaled ? iEps * _scaleF : iEps;
}

void XelMathSystemXY::SetEpsSol(const double iEps, const int iRelative) {
  double eps = 0.0;
  SetEps(iEps, iRelative, eps);
  _epsSolSet = 1;
  _epsSolValue = iEps;
  _epsSolIsRelative = iRelative;
  _epsSol = eps;
}

void XelMathSystemXY::SetEpsSing(const double iEps) {
  if (!(iEps >= 0.0) || !std::isfinite(iEps))
    XelMathRaise(XelErrorCode::InvalidOption, "the singularity threshold",
                 "negative, infinite or NaN", "XelMathSystemXY::SetEpsSing");
  _epsSing = iEps;
}

void XelMathSystemXY::SetScaleOption(const XelMathAttrScaleOption& iOption) {
  long nbF = 0, nbX = 0;
  const long* powersF = iOption.GetPowerScaleF(nbF);
  const long* powersX = iOption.GetPowerScaleX(nbX);
  if (nbF != 2 || nbX != 2 || !powersF || !powersX)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                 "XelMathSystemXY::SetScaleOption");
  const double e = _absRes;
  const double u = std::pow(e, double(powersX[0]) - 1.0);
  const double v = std::pow(e, double(powersX[1]) - 1.0);
  const double f = std::pow(e, 1.0 - double(powersF[0]));
  const double g = std::pow(e, 1.0 - double(powersF[1]));
  if (!Finite(u) || !Finite(v) || !Finite(f) || !Finite(g) || u == 0.0 || v == 0.0 || f == 0.0 ||
      g == 0.0)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption",
                 "scale factor out of range", "XelMathSystemXY::SetScaleOption");
  _scaleOption = iOption;
  _scaleOptionSet = 1;
  _scaleU = u;
  _scaleV = v;
  _scaleF = f;
  _scaleG = g;
  _isScaled = (powersF[0] != 1 || powersX[0] != 1 || powersF[1] != 1 || powersX[1] != 1) ? 1 : 0;
  if (_epsSolSet)
    SetEpsSol(_epsSolValue, _epsSolIsRelative);
}

double XelMathSystemXY::GetStepMarching() const {
  const double step = 10.0 * (_minWidthU + _minWidthV);
  return step > 0.0 ? step : _h2;
}

// ---- Solve ------------------------------------------------------------------------------------

namespace {
long SamplingOption(const XelMathAttrList* iAttributes, const char* iKey) {
  const XelMathAttrIntegerValue* attr =
      dynamic_cast<const XelMathAttrIntegerValue*>(iAttributes->GetAttribute(iKey));
  if (!attr)
    return DefaultSampling;
  const long n = attr->GetValue();
  if (n < 2 || n > MaxSampling)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, iKey, "Invalid Number Of Points",
                 "XelMathSystemXY::Solve");
  return n;
}
} // namespace

int XelMathSystemXY::Solve(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oSolutions,
                           const XelMathAttrList* iAttributes) {
  ReadTolerance();
  ApplyScaleAttribute(iAttributes);
  double x0 = iDomain.GetX().low, x1 = iDomain.GetX().high;
  double y0 = iDomain.GetY().low, y1 = iDomain.GetY().high;
  if (_isScaled) {
    x0 /= _scaleU;
    x1 /= _scaleU;
    y0 /= _scaleV;
    y1 /= _scaleV;
  }
  if (!(x0 <= x1) || !(y0 <= y1) || !(std::max(std::fabs(x0), std::fabs(x1)) <= MaxDomainBound) ||
      !(std::max(std::fabs(y0), std::fabs(y1)) <= MaxDomainBound))
    return XelMathStatus::Refused;
  if (oSolutions.GetDimension() != 2)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "2",
                 "XelMathSystemXY::Solve");
  long nU = DefaultSampling, nV = DefaultSampling;
  int grid = 1;
  if (iAttributes) {
    if (!iAttributes->GetAttribute(AttrFunctionXDiscretizationMethod) &&
        IsOption(XelMathOption::ImageAndFirst))
      grid = 0;
    if (grid) {
      nU = SamplingOption(iAttributes, "SamplingPointsX");
      nV = SamplingOption(iAttributes, "SamplingPointsY");
    }
  } else if (IsOption(XelMathOption::ImageAndFirst)) {
    grid = 0;
  }
  oSolutions.Reset();
  _solutions = &oSolutions;
  const XelMathInterval2D scaled(x0, x1, y0, y1);
  _domain = &scaled;
  auto reset = XelMathMakeOnExit([this] {
    _solutions = nullptr;
    _domain = nullptr;
    _current = nullptr;
    _uniqueCell = nullptr;
    _facts = nullptr;
    _nodes.cell = nullptr;
    _nodeBufferBusy = false;
  });
  _minWidthU = 1e-4 * (x1 - x0);
  _minWidthV = 1e-4 * (y1 - y0);
  _callCount = 0;
  _depth = 0;
  _work = 0;
  _valueFirst = Odds();
  _boxImages = Odds();
  _regularCells = Odds();
  _blockImages = Odds();
  _quadratic = Odds();
  _quarters = Odds();
  _curvature = Odds();
  _regularBounds = Odds();
  _nodes.cell = nullptr;
  _nodeBufferBusy = false;
  _provedCount = 0;
  _maxSingularDepth = 2;
  int status = 0;
  if (!grid) {
    status = ISolve(scaled, iAttributes);
  } else {
    if (iAttributes && iAttributes->GetAttribute(AttrSystemNoSingularityTreatment))
      _maxSingularDepth = 0;
    status = DSolve(x0, x1, y0, y1, nU, nV);
  }
  if (status == -1 && oSolutions.GetNumberOfPoints() > 0) {
    double first[2];
    std::memcpy(first, oSolutions.GetPoints(), sizeof first);
    oSolutions.Reset();
    oSolutions.AddPoint(first);
  }
  if (_isScaled) {
    double* p = oSolutions.GetPoints();
    for (long i = 0; i < oSolutions.GetNumberOfPoints(); ++i) {
      p[2 * i] *= _scaleU;
      p[2 * i + 1] *= _scaleV;
    }
  }
  return status == -1 ? XelMathStatus::Stopped : XelMathStatus::Done;
}

int XelMathSystemXY::ISolve(const XelMathInterval2D& iDomain, const XelMathAttrList*) {
  return DSolve(iDomain.GetX().low, iDomain.GetX().high, iDomain.GetY().low, iDomain.GetY().high,
                DefaultSampling, DefaultSampling);
}

int XelMathSystemXY::SolveSafeNewton(double& ioX, double& ioY, const XelMathInterval2D& iDomain) {
  double x = ioX, y = ioY;
  const int r = SafeNewton(x, y, iDomain.GetX().low, iDomain.GetX().high, iDomain.GetY().low,
                           iDomain.GetY().high);
  if (r > 0) {
    ioX = x;
    ioY = y;
    return 1;
  }
  return 0;
}

bool XelMathSystemXY::Budget() {
  return ++_work <= MaxWork;
}

// ---- the cell scan ----------------------------------------------------------------------------

int XelMathSystemXY::DSolve(const double x0, const double x1, const double y0, const double y1,
                            const long nU, const long nV) {
  if (nU > MaxSampling || nV > MaxSampling)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the sampling of the box",
                 "Invalid Number Of Points", "XelMathSystemXY::DSolve");
  if (!Budget() || _depth >= MaxDepth || nU < 2 || nV < 2)
    return 0;
  if (x1 - x0 < _minWidthU && y1 - y0 < _minWidthV) {
    const int small = TreatSmallSubDomain(x0, x1, y0, y1);
    if (small != 2)
      return small == -1 ? -1 : 0;
  }
  ++_depth;
  auto depthGuard = XelMathMakeOnExit([this] { --_depth; });
  const long n = nU * nV;
  XelMathScratchDoubles<LocalGridPoints> F(n), Fx(n), Fy(n);
  SampleGrid(0, x0, x1, y0, y1, nU, nV, F.Data(), Fx.Data(), Fy.Data());
  BoxFacts facts;
  if (LearnBox(x0, x1, y0, y1, F.Data(), Fx.Data(), Fy.Data(), n, facts) == -1)
    return 0;
  LearnCurvature(facts);
  const BoxFacts* outer = _facts;
  _facts = &facts;
  auto factsGuard = XelMathMakeOnExit([this, outer] { _facts = outer; });
  // G at the nodes is shared by the cells around them (the outermost grid keeps it in the
  // object, larger ones in counted storage, inner small grids not at all).
  const NodeCache outerNodes = _nodes;
  const bool shareNodes = n > 4 && (n > LocalGridPoints || !_nodeBufferBusy);
  XelMathScratchDoubles<1> nodeStorage(shareNodes && n > LocalGridPoints ? 4 * n : 1);
  const bool ownBuffer = shareNodes && n <= LocalGridPoints;
  double* nodeData = !shareNodes ? nullptr : ownBuffer ? _nodeBuffer : nodeStorage.Data();
  if (ownBuffer)
    _nodeBufferBusy = true;
  auto nodesGuard = XelMathMakeOnExit([this, outerNodes, ownBuffer] {
    _nodes = outerNodes;
    if (ownBuffer)
      _nodeBufferBusy = false;
  });
  _nodes.cell = nullptr;
  if (nodeData) {
    _nodes.g = nodeData;
    _nodes.gx = nodeData + n;
    _nodes.gy = nodeData + 2 * n;
    _nodes.known = nodeData + 3 * n;
    std::fill(_nodes.known, _nodes.known + n, 0.0);
  }
  double xs[LocalGridPoints], ys[LocalGridPoints];
  const bool tabulated = nU <= LocalGridPoints && nV <= LocalGridPoints;
  if (tabulated) {
    for (long i = 0; i < nU; ++i)
      xs[i] = XelMathGridCoordinate(x0, x1, i, nU);
    for (long j = 0; j < nV; ++j)
      ys[j] = XelMathGridCoordinate(y0, y1, j, nV);
  }
  // Cells where F keeps one sign by more than the curvature bounds allow it to dip are
  // dropped first; then blocks of cells where F keeps one sign at every node are tried whole.
  const bool curved = !facts.monotone[0] && n > 4 && Curved(0);
  bool tryBlocks = (nU - 1) * (nV - 1) >= 16 && !facts.monotone[0] && _blockImages.Worth();
  XelMathScratchDoubles<LocalGridPoints> settled(tryBlocks || curved ? n : 1);
  bool blocks = false;
  if (tryBlocks || curved)
    std::fill(settled.Data(), settled.Data() + n, 0.0);
  if (curved) {
    const double w = (x1 - x0) / static_cast<double>(nU - 1);
    const double h = (y1 - y0) / static_cast<double>(nV - 1);
    // The bilinear interpolation error bound (see CurvatureExcludes), with room for the
    // rounding of the cell sides.
    const double dip = 0.125 * (w * w * facts.curvature[0][0] + h * h * facts.curvature[0][1]) *
                       (1.0 + 1e-9);
    const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
    long dropped = 0, kept = 0;
    for (long i = 0; i + 1 < nU && Finite(dip); ++i)
      for (long j = 0; j + 1 < nV; ++j) {
        const double a = F[i * nV + j], b = F[(i + 1) * nV + j], c = F[i * nV + j + 1],
                     d = F[(i + 1) * nV + j + 1];
        const double lo = std::min(std::min(a, b), std::min(c, d));
        const double hi = std::max(std::max(a, b), std::max(c, d));
        if (!(lo > eps || hi < -eps))
          continue;
        const double margin = dip + 1e-13 * std::max(std::fabs(lo), std::fabs(hi));
        if (lo - margin > eps || hi + margin < -eps) {
          settled[i * nV + j] = 1.0;
          ++dropped;
        } else {
          ++kept;
        }
      }
    blocks = dropped > 0;
    // Block images rarely settle what the curvature bounds left, beside the zero curve.
    tryBlocks = tryBlocks && kept > dropped;
  }
  if (tryBlocks && SettleBlocks(x0, x1, y0, y1, nU, nV, F.Data(), settled.Data()))
    blocks = true;
  for (long i = 0; i + 1 < nU; ++i) {
    for (long j = 0; j + 1 < nV; ++j) {
      if (blocks && settled[i * nV + j] != 0.0)
        continue;
      Cell cell;
      cell.x0 = tabulated ? xs[i] : XelMathGridCoordinate(x0, x1, i, nU);
      cell.x1 = tabulated ? xs[i + 1] : XelMathGridCoordinate(x0, x1, i + 1, nU);
      cell.y0 = tabulated ? ys[j] : XelMathGridCoordinate(y0, y1, j, nV);
      cell.y1 = tabulated ? ys[j + 1] : XelMathGridCoordinate(y0, y1, j + 1, nV);
      const long k[4] = {i * nV + j, (i + 1) * nV + j, i * nV + j + 1, (i + 1) * nV + j + 1};
      for (int c = 0; c < 4; ++c) {
        cell.f[c] = F[k[c]];
        cell.fx[c] = Fx[k[c]];
        cell.fy[c] = Fy[k[c]];
        cell.g[c] = cell.gx[c] = cell.gy[c] = 0.0;
      }
      if (nodeData) {
        _nodes.cell = &cell;
        std::copy(k, k + 4, _nodes.k);
      }
      const int r = ScanCell(cell);
      _nodes.cell = nullptr;
      if (r == -1)
        return -1;
    }
  }
  return 0;
}

void XelMathSystemXY::LearnCurvature(BoxFacts& ioFacts) const {
  const bool inside = _facts && ioFacts.x0 >= _facts->x0 && ioFacts.x1 <= _facts->x1 &&
                      ioFacts.y0 >= _facts->y0 && ioFacts.y1 <= _facts->y1;
  for (int w = 0; w < 2; ++w) {
    ioFacts.curved[w] = inside && _facts->curved[w];
    for (int e = 0; e < 3; ++e)
      ioFacts.curvature[w][e] = inside ? _facts->curvature[w][e] : 0.0;
    ioFacts.pending[w] = false;
  }
  ioFacts.cx0 = inside ? _facts->cx0 : ioFacts.x0;
  ioFacts.cx1 = inside ? _facts->cx1 : ioFacts.x1;
  ioFacts.cy0 = inside ? _facts->cy0 : ioFacts.y0;
  ioFacts.cy1 = inside ? _facts->cy1 : ioFacts.y1;
  // The bounds of the whole domain are taken when first needed; those of a box much smaller
  // than the one they come from too, while they keep coming out much tighter.
  if (inside) {
    const bool smaller = 4.0 * (ioFacts.x1 - ioFacts.x0) <= ioFacts.cx1 - ioFacts.cx0 &&
                         4.0 * (ioFacts.y1 - ioFacts.y0) <= ioFacts.cy1 - ioFacts.cy0;
    if (!smaller || !_curvature.Worth(4))
      return;
  }
  ioFacts.pending[0] = ioFacts.pending[1] = true;
}

bool XelMathSystemXY::Curved(const int iWhich) const {
  if (!_facts)
    return false;
  const BoxFacts& facts = *_facts;
  if (!facts.pending[iWhich])
    return facts.curved[iWhich];
  facts.pending[iWhich] = false;
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const XelMathInterval X(facts.x0 * su, facts.x1 * su), Y(facts.y0 * sv, facts.y1 * sv);
  XelMathInterval xx, xy, yy;
  if (!EvalSecondImages(iWhich, X, Y, xx, xy, yy))
    return facts.curved[iWhich];
  const double sf = _isScaled ? (iWhich ? _scaleG : _scaleF) : 1.0;
  const double bx = std::max(std::fabs(xx.low), std::fabs(xx.high)) * sf * su * su;
  const double by = std::max(std::fabs(yy.low), std::fabs(yy.high)) * sf * sv * sv;
  const double bxy = std::max(std::fabs(xy.low), std::fabs(xy.high)) * sf * su * sv;
  if (!Finite(bx) || !Finite(by) || !Finite(bxy))
    return facts.curved[iWhich];
  // Tighter or not, the new bounds hold over the smaller box. Taking them again pays while
  // they come out much tighter than the enclosing box's.
  const double b[3] = {bx, by, bxy};
  double* c = facts.curvature[iWhich];
  if (facts.curved[iWhich])
    _curvature.Count(bx < 0.5 * c[0] || by < 0.5 * c[1]);
  for (int e = 0; e < 3; ++e)
    c[e] = facts.curved[iWhich] ? std::min(c[e], b[e]) : b[e];
  facts.curved[iWhich] = true;
  facts.cx0 = facts.x0;
  facts.cx1 = facts.x1;
  facts.cy0 = facts.y0;
  facts.cy1 = facts.y1;
  return true;
}

bool XelMathSystemXY::CurvatureExcludes(const int iWhich, const double* iV, const double iW,
                                        const double iH) const {
  if (!Curved(iWhich))
    return false;
  double lo = iV[0], hi = iV[0];
  for (int c = 0; c < 4; ++c) {
    if (!Finite(iV[c]))
      return false;
    lo = std::min(lo, iV[c]);
    hi = std::max(hi, iV[c]);
  }
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  // The interpolation error bound, widened for the rounding of the corner values and of the
  // bound itself.
  const double dip = 0.125 * (iW * iW * _facts->curvature[iWhich][0] +
                              iH * iH * _facts->curvature[iWhich][1]) *
                         (1.0 + 1e-9) +
                     1e-13 * std::max(std::fabs(lo), std::fabs(hi));
  return Finite(dip) && (lo - dip > eps || hi + dip < -eps);
}

bool XelMathSystemXY::CentreExcludesG(const Cell& iCell) const {
  if (!Curved(1))
    return false;
  // G at the centre c with its gradient and the curvature bounds: over the cell
  // |G - G(c)| <= |Gx| a + |Gy| b + (cxx a^2 + 2 cxy a b + cyy b^2) / 2 (a, b the half-sides).
  const double a = 0.5 * (iCell.x1 - iCell.x0), b = 0.5 * (iCell.y1 - iCell.y0);
  double g, gx, gy;
  Eval2(1, iCell.x0 + a, iCell.y0 + b, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  const double* c = _facts->curvature[1];
  const double change = (std::fabs(gx) * a + std::fabs(gy) * b +
                         0.5 * (c[0] * a * a + 2.0 * c[2] * a * b + c[1] * b * b)) *
                            (1.0 + 1e-9) +
                        1e-13 * std::fabs(g);
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  return Finite(g) && Finite(change) && std::fabs(g) - change > eps;
}

void XelMathSystemXY::FillCornersG(Cell& ioCell) {
  if (_nodes.cell != &ioCell) {
    FillCorners(1, ioCell);
    return;
  }
  const double xs[4] = {ioCell.x0, ioCell.x1, ioCell.x0, ioCell.x1};
  const double ys[4] = {ioCell.y0, ioCell.y0, ioCell.y1, ioCell.y1};
  for (int c = 0; c < 4; ++c) {
    const long k = _nodes.k[c];
    if (_nodes.known[k] == 0.0) {
      Eval2(1, xs[c], ys[c], XelMathOption::ValueAndFirst, &_nodes.g[k], &_nodes.gx[k],
            &_nodes.gy[k]);
      _nodes.known[k] = 1.0;
    }
    ioCell.g[c] = _nodes.g[k];
    ioCell.gx[c] = _nodes.gx[k];
    ioCell.gy[c] = _nodes.gy[k];
  }
}

bool XelMathSystemXY::SettleBlocks(const double x0, const double x1, const double y0,
                                   const double y1, const long nU, const long nV,
                                   const double* iF, double* oSettled) {
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const double sf = _isScaled ? _scaleF : 1.0;
  bool any = false;
  // Cells [i0, i1) x [j0, j1): one image of F over the block when all its nodes have one
  // sign; a block that does not settle is tried again by quarters, down to 2 x 2 cells.
  auto visit = [&](auto& iSelf, const long i0, const long i1, const long j0,
                   const long j1) -> void {
    bool above = true, below = true;
    for (long i = i0; i <= i1 && (above || below); ++i)
      for (long j = j0; j <= j1; ++j) {
        const double f = iF[i * nV + j];
        above = above && f > eps;
        below = below && f < -eps;
      }
    if (above || below) {
      // Cells already settled one by one need no image.
      bool all = true;
      for (long i = i0; i < i1 && all; ++i)
        for (long j = j0; j < j1 && all; ++j)
          all = oSettled[i * nV + j] != 0.0;
      if (all)
        return;
      const XelMathInterval X(XelMathGridCoordinate(x0, x1, i0, nU) * su,
                              XelMathGridCoordinate(x0, x1, i1, nU) * su);
      const XelMathInterval Y(XelMathGridCoordinate(y0, y1, j0, nV) * sv,
                              XelMathGridCoordinate(y0, y1, j1, nV) * sv);
      XelMathInterval v;
      if (!EvalValueImage(0, X, Y, v))
        return;
      const double lo = v.low * sf, hi = v.high * sf;
      const bool excluded = Finite(lo) && Finite(hi) && (lo > eps || hi < -eps);
      _blockImages.Count(excluded);
      if (excluded) {
        for (long i = i0; i < i1; ++i)
          for (long j = j0; j < j1; ++j)
            oSettled[i * nV + j] = 1.0;
        any = true;
        return;
      }
    }
    if (i1 - i0 <= 2 && j1 - j0 <= 2)
      return;
    const long im = i1 - i0 > 2 ? (i0 + i1) / 2 : i1, jm = j1 - j0 > 2 ? (j0 + j1) / 2 : j1;
    iSelf(iSelf, i0, im, j0, jm);
    if (jm < j1)
      iSelf(iSelf, i0, im, jm, j1);
    if (im < i1) {
      iSelf(iSelf, im, i1, j0, jm);
      if (jm < j1)
        iSelf(iSelf, im, i1, jm, j1);
    }
  };
  for (long i = 0; i + 1 < nU; i += 4)
    for (long j = 0; j + 1 < nV; j += 4)
      visit(visit, i, std::min(i + 4, nU - 1), j, std::min(j + 4, nV - 1));
  return any;
}

int XelMathSystemXY::ScanCell(Cell& ioCell) {
  // F known at the corners: dropped, suspected or a candidate.
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  const int sign = CornerSign(ioCell.f, eps);
  if (sign == 2) {
    // F is not defined everywhere in the cell: look closer a few times where part of it is,
    // then give up.
    if (_depth < NaNDepth && !(std::isnan(ioCell.f[0]) && std::isnan(ioCell.f[1]) &&
                               std::isnan(ioCell.f[2]) && std::isnan(ioCell.f[3])))
      return Subdivide(ioCell, 3);
    return 0;
  }
  if (sign != 0)
    return MayDip(0, ioCell) ? SuspectF(ioCell) : 0;
  return CandidateF(ioCell);
}

namespace {
bool FiniteInterval(const XelMathInterval& i) {
  return Finite(i.low) && Finite(i.high);
}
/// Of one sign (0 allowed): the function is monotone along that variable.
bool OneSign(const XelMathInterval& i) {
  return FiniteInterval(i) && (i.low >= 0.0 || i.high <= 0.0);
}
} // namespace

int XelMathSystemXY::LearnBox(const double x0, const double x1, const double y0, const double y1,
                              const double* iF, const double* iFx, const double* iFy,
                              const long iCount, BoxFacts& ioFacts) const {
  ioFacts.x0 = x0;
  ioFacts.x1 = x1;
  ioFacts.y0 = y0;
  ioFacts.y1 = y1;
  ioFacts.known[0] = ioFacts.known[1] = false;
  // What holds over the enclosing box holds over any part of it.
  const bool inside = _facts && x0 >= _facts->x0 && x1 <= _facts->x1 && y0 >= _facts->y0 &&
                      y1 <= _facts->y1;
  ioFacts.monotone[0] = inside && _facts->monotone[0];
  ioFacts.monotone[1] = inside && _facts->monotone[1];
  ioFacts.regular = inside && _facts->regular;
  if (ioFacts.regular)
    return 0;
  // A single cell of one sign needs F's images anyway; larger boxes are tried while their
  // images keep paying in this solve.
  if (iCount > 4 && !_boxImages.Worth())
    return 0;
  // The images are asked for only where the samples of F suggest they can prove something:
  // F of one sign on the whole grid, or a gradient whose components keep their signs.
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  bool above = true, below = true, xUp = true, xDown = true, yUp = true, yDown = true;
  for (long k = 0; k < iCount && (above || below || xUp || xDown || yUp || yDown); ++k) {
    above = above && iF[k] > eps;
    below = below && iF[k] < -eps;
    xUp = xUp && iFx[k] >= 0.0;
    xDown = xDown && iFx[k] <= 0.0;
    yUp = yUp && iFy[k] >= 0.0;
    yDown = yDown && iFy[k] <= 0.0;
  }
  const bool oneSign = above || below;
  const bool looksMonotone = (xUp || xDown) && (yUp || yDown);
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const XelMathInterval X(x0 * su, x1 * su), Y(y0 * sv, y1 * sv);
  auto learn = [&](const int w) {
    if (!EvalImages(w, X, Y, ioFacts.v[w], ioFacts.vx[w], ioFacts.vy[w]))
      return 0;
    ioFacts.known[w] = true;
    const double sf = _isScaled ? (w ? _scaleG : _scaleF) : 1.0;
    const XelMathInterval& v = ioFacts.v[w];
    if (FiniteInterval(v) && (v.low * sf > eps || v.high * sf < -eps)) {
      _boxImages.Count(true);
      return -1;
    }
    const bool monotone = OneSign(ioFacts.vx[w]) && OneSign(ioFacts.vy[w]);
    _boxImages.Count(monotone);
    ioFacts.monotone[w] = ioFacts.monotone[w] || monotone;
    return 1;
  };
  if (iCount == 4 && !oneSign)
    return 0;
  if (!ioFacts.monotone[0] && (oneSign || (looksMonotone && iCount > 9))) {
    const int r = learn(0);
    if (r <= 0)
      return r;
  }
  // G matters where F may vanish: when F is monotone over the box, G's images may prove the
  // whole box regular.
  if (!ioFacts.monotone[0] || oneSign)
    return 0;
  if (!ioFacts.known[1]) {
    const int r = learn(1);
    if (r <= 0)
      return r;
  }
  if (ioFacts.monotone[1] && ioFacts.known[0] && ioFacts.known[1]) {
    // Scale factors are positive: the signs read in the caller's units hold in the solving
    // ones.
    using namespace XelMathElementary;
    const XelMathInterval det =
        Sub(Mul(ioFacts.vx[0], ioFacts.vy[1]), Mul(ioFacts.vy[0], ioFacts.vx[1]));
    ioFacts.regular = FiniteInterval(det) && (det.low > 0.0 || det.high < 0.0);
  }
  return 0;
}

bool XelMathSystemXY::CachedImages(const int iWhich, const Cell& iCell) const {
  return _facts && _facts->known[iWhich] && _facts->x0 == iCell.x0 && _facts->x1 == iCell.x1 &&
         _facts->y0 == iCell.y0 && _facts->y1 == iCell.y1;
}

int XelMathSystemXY::CellImages(const int iWhich, const Cell& iCell, XelMathInterval& oV,
                                XelMathInterval& oVx, XelMathInterval& oVy) const {
  if (CachedImages(iWhich, iCell)) {
    oV = _facts->v[iWhich];
    oVx = _facts->vx[iWhich];
    oVy = _facts->vy[iWhich];
    return 1;
  }
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const XelMathInterval X(iCell.x0 * su, iCell.x1 * su), Y(iCell.y0 * sv, iCell.y1 * sv);
  return EvalImages(iWhich, X, Y, oV, oVx, oVy);
}

int XelMathSystemXY::EvalValueImage(const int iWhich, const XelMathInterval& iX,
                                    const XelMathInterval& iY, XelMathInterval& oV) const {
  XelMathInterval vx, vy;
  return EvalImages(iWhich, iX, iY, oV, vx, vy);
}

int XelMathSystemXY::EvalSecondImages(const int, const XelMathInterval&, const XelMathInterval&,
                                      XelMathInterval&, XelMathInterval&,
                                      XelMathInterval&) const {
  return 0;
}

int XelMathSystemXY::EvalImages(const int, const XelMathInterval&, const XelMathInterval&,
                                XelMathInterval&, XelMathInterval&, XelMathInterval&) const {
  return 0;
}

int XelMathSystemXY::MayDip(const int iWhich, const Cell& iCell) const {
  // With guaranteed images: a value image of one sign proves the cell empty; derivative
  // images of one sign each make the function monotone in x and in y, so that its extremes
  // are at the corners. Otherwise a derivative changing sign along an edge, as the cubic
  // Hermite interpolant of the corner values and derivatives along it shows.
  if (_facts && _facts->monotone[iWhich])
    return 0;
  if (CurvatureExcludes(iWhich, iWhich ? iCell.g : iCell.f, iCell.x1 - iCell.x0,
                        iCell.y1 - iCell.y0))
    return 0;
  const double sf = _isScaled ? (iWhich ? _scaleG : _scaleF) : 1.0;
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  XelMathInterval v, vx, vy;
  if (!CachedImages(iWhich, iCell) && _valueFirst.Worth()) {
    // The value alone settles most cells far from the zero curve (while it keeps doing so in
    // this solve).
    const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
    const XelMathInterval X(iCell.x0 * su, iCell.x1 * su), Y(iCell.y0 * sv, iCell.y1 * sv);
    if (EvalValueImage(iWhich, X, Y, v)) {
      const double lo = v.low * sf, hi = v.high * sf;
      const bool settled = Finite(lo) && Finite(hi) && (lo > eps || hi < -eps);
      _valueFirst.Count(settled);
      if (settled)
        return 0;
    }
  }
  if (CellImages(iWhich, iCell, v, vx, vy)) {
    const double lo = v.low * sf, hi = v.high * sf;
    if (Finite(lo) && Finite(hi) && (lo > eps || hi < -eps))
      return 0;
    const bool monotoneX = Finite(vx.low) && Finite(vx.high) && (vx.low > 0.0 || vx.high < 0.0);
    const bool monotoneY = Finite(vy.low) && Finite(vy.high) && (vy.low > 0.0 || vy.high < 0.0);
    if (monotoneX && monotoneY)
      return 0;
    // The images of the quarters (and of their quarters) are tighter: they may still prove
    // the cell empty before the dip is searched for.
    if (!_quarters.Worth(2))
      return 1;
    const bool empty = ValueExcludedByQuarters(iWhich, iCell.x0, iCell.x1, iCell.y0, iCell.y1, 2);
    _quarters.Count(empty);
    return empty ? 0 : 1;
  }
  for (int e = 0; e < 4; ++e)
    if (EdgeTurns(iCell, iWhich, e))
      return 1;
  return 0;
}

bool XelMathSystemXY::ValueExcludedByQuarters(const int iWhich, const double x0, const double x1,
                                              const double y0, const double y1,
                                              const int iLevels) const {
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const double sf = _isScaled ? (iWhich ? _scaleG : _scaleF) : 1.0;
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  const double xm = 0.5 * (x0 + x1), ym = 0.5 * (y0 + y1);
  const double xs[3] = {x0, xm, x1}, ys[3] = {y0, ym, y1};
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j) {
      XelMathInterval v;
      const XelMathInterval X(xs[i] * su, xs[i + 1] * su), Y(ys[j] * sv, ys[j + 1] * sv);
      if (!EvalValueImage(iWhich, X, Y, v))
        return false;
      const double lo = v.low * sf, hi = v.high * sf;
      if (Finite(lo) && Finite(hi) && (lo > eps || hi < -eps))
        continue;
      if (iLevels <= 1 ||
          !ValueExcludedByQuarters(iWhich, xs[i], xs[i + 1], ys[j], ys[j + 1], iLevels - 1))
        return false;
    }
  return true;
}

bool XelMathSystemXY::EdgeTurns(const Cell& iCell, const int iWhich, const int iEdge) const {
  const int a = EdgeFrom[iEdge], b = EdgeTo[iEdge];
  const bool alongX = (iEdge == 0 || iEdge == 2);
  const double* v = iWhich ? iCell.g : iCell.f;
  const double* d = alongX ? (iWhich ? iCell.gx : iCell.fx) : (iWhich ? iCell.gy : iCell.fy);
  const double xs[4] = {iCell.x0, iCell.x1, iCell.x0, iCell.x1};
  const double ys[4] = {iCell.y0, iCell.y0, iCell.y1, iCell.y1};
  const double length = alongX ? xs[b] - xs[a] : ys[b] - ys[a];
  return HermiteTurns(v[a], v[b], d[a] * length, d[b] * length);
}

// The cell searched again on an iN x iN grid (iN - 1 pieces per side).
int XelMathSystemXY::Subdivide(const Cell& iCell, const long iN) {
  const double w = iCell.x1 - iCell.x0, h = iCell.y1 - iCell.y0;
  if (w < _minWidthU && h < _minWidthV)
    return 0;
  // A cell much longer than wide (in the proportions of the box) is cut more along its long
  // side: halving a thin strip keeps every curve that crosses it in each half, down to the
  // depth limit.
  long nU = iN, nV = iN;
  const double across = (w / _minWidthU) / (h / _minWidthV);
  if (Finite(across) && across > 3.0)
    nU = 1 + (iN - 1) * std::min(StripPieces, static_cast<long>(across + 0.5));
  else if (Finite(across) && across > 0.0 && across < 1.0 / 3.0)
    nV = 1 + (iN - 1) * std::min(StripPieces, static_cast<long>(1.0 / across + 0.5));
  return DSolve(iCell.x0, iCell.x1, iCell.y0, iCell.y1, nU, nV) == -1 ? -1 : 0;
}

bool XelMathSystemXY::HoldsKnownSolution(const Cell& iCell) const {
  if (!_solutions)
    return false;
  const double* p = _solutions->GetPoints();
  for (long i = 0; i < _solutions->GetNumberOfPoints(); ++i) {
    const double x = p[2 * i], y = p[2 * i + 1];
    const double e = _lengthRes * (1.0 + std::fabs(x) + std::fabs(y));
    if (x >= iCell.x0 - e && x <= iCell.x1 + e && y >= iCell.y0 - e && y <= iCell.y1 + e)
      return true;
  }
  return false;
}

bool XelMathSystemXY::InsideExclusion(const Cell& iCell) const {
  if (!_solutions)
    return false;
  const double* p = _solutions->GetPoints();
  for (long i = 0; i < _solutions->GetNumberOfPoints() && i < MaxSolutions; ++i) {
    const double r = _radius[i];
    if (r > 0.0 && iCell.x0 >= p[2 * i] - r && iCell.x1 <= p[2 * i] + r &&
        iCell.y0 >= p[2 * i + 1] - r && iCell.y1 <= p[2 * i + 1] + r)
      return true;
  }
  return false;
}

int XelMathSystemXY::CandidateF(Cell& ioCell) {
  if (InsideExclusion(ioCell))
    return 0;
  // A square proved free of other solutions around a singular one cuts the cell: only the
  // rest is searched.
  if (_solutions && _provedCount > 0) {
    const double* p = _solutions->GetPoints();
    for (long i = 0; i < _solutions->GetNumberOfPoints() && i < MaxSolutions; ++i) {
      const double r = _proved[i];
      if (!(r > 0.0))
        continue;
      const double a = std::max(ioCell.x0, p[2 * i] - r), b = std::min(ioCell.x1, p[2 * i] + r);
      const double c = std::max(ioCell.y0, p[2 * i + 1] - r);
      const double d = std::min(ioCell.y1, p[2 * i + 1] + r);
      if (b - a > 0.25 * (ioCell.x1 - ioCell.x0) && d - c > 0.25 * (ioCell.y1 - ioCell.y0))
        return DSolveMinusRectangle(ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, p[2 * i],
                                    p[2 * i + 1], r, r) == -1
                   ? -1
                   : 0;
    }
  }
  if (CentreExcludesG(ioCell))
    return 0;
  FillCornersG(ioCell);
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  const int sign = CornerSign(ioCell.g, eps);
  if (sign == 2)
    return _depth < NaNDepth ? Subdivide(ioCell, 3) : 0;
  if (sign != 0)
    return MayDip(1, ioCell) ? CandidateFSuspectG(ioCell) : 0;
  return CandidateFG(ioCell);
}

// A cell where one function (iWhich) keeps its sign at the corners without being monotone:
// shared by SuspectF and CandidateFSuspectG. Edge dips cut the cell; otherwise the interior
// extremum decides.
int XelMathSystemXY::SuspectOne(Cell& ioCell, const int iWhich) {
  const int two = TryTwoBranchesByEdge(ioCell, iWhich);
  if (two != 0)
    return two == -1 ? -1 : 0;
  double px = 0.0, py = 0.0;
  if (!IsLoopInSquare(ioCell, iWhich, px, py))
    return 0;
  // The function may vanish around its interior extremum: split there into up to four
  // sub-cells (a split within the resolution of a side snaps to it).
  const double sq = _sqLengthRes;
  double xs[3] = {ioCell.x0, px, ioCell.x1}, ys[3] = {ioCell.y0, py, ioCell.y1};
  int nx = 3, ny = 3;
  if (px - ioCell.x0 <= sq || ioCell.x1 - px <= sq) {
    xs[1] = ioCell.x1;
    nx = 2;
  }
  if (py - ioCell.y0 <= sq || ioCell.y1 - py <= sq) {
    ys[1] = ioCell.y1;
    ny = 2;
  }
  if (nx == 2 && ny == 2 && _depth >= MaxDepth - 1)
    return 0;
  for (int i = 0; i + 1 < nx; ++i)
    for (int j = 0; j + 1 < ny; ++j)
      if (DSolve(xs[i], xs[i + 1], ys[j], ys[j + 1], 2, 2) == -1)
        return -1;
  return 0;
}

int XelMathSystemXY::SuspectF(Cell& ioCell) {
  return SuspectOne(ioCell, 0);
}

int XelMathSystemXY::CandidateFSuspectG(Cell& ioCell) {
  return SuspectOne(ioCell, 1);
}

int XelMathSystemXY::TryTwoBranchesByEdge(Cell& ioCell, const int iWhich) {
  const double c[4][2] = {{ioCell.x0, ioCell.y0},
                          {ioCell.x1, ioCell.y0},
                          {ioCell.x0, ioCell.y1},
                          {ioCell.x1, ioCell.y1}};
  for (int e = 0; e < 4; ++e) {
    const int a = EdgeFrom[e], b = EdgeTo[e];
    const int alongX = (e == 0 || e == 2);
    if (!EdgeTurns(ioCell, iWhich, e))
      continue;
    double px = 0.0, py = 0.0;
    if (!IsChangingSignOnEdge(c[a], c[b], iWhich, px, py))
      continue;
    // Cut across the edge at the dip: each half has corners of both signs.
    Cell halves[2];
    halves[0] = ioCell;
    halves[1] = ioCell;
    if (alongX) {
      halves[0].x1 = px;
      halves[1].x0 = px;
    } else {
      halves[0].y1 = py;
      halves[1].y0 = py;
    }
    for (Cell& h : halves) {
      if (!(h.x1 > h.x0) || !(h.y1 > h.y0))
        continue;
      FillCorners(0, h);
      if ((iWhich == 0 ? CandidateF(h) : ScanCell(h)) == -1)
        return -1;
    }
    return 1;
  }
  return 0;
}

int XelMathSystemXY::IsChangingSignOnEdge(const double* iA, const double* iB, const int iWhich,
                                          double& oX, double& oY) {
  // The extremum of the restriction along the edge: the zero of the directional derivative,
  // then the value there against the sign of the ends.
  const double dx = iB[0] - iA[0], dy = iB[1] - iA[1];
  auto slope = [&](const double t, double& oV) {
    double v = 0.0, vx = 0.0, vy = 0.0;
    Eval2(iWhich, iA[0] + t * dx, iA[1] + t * dy, XelMathOption::ValueAndFirst, &v, &vx, &vy);
    oV = v;
    return vx * dx + vy * dy;
  };
  // Values and slopes at the ends and at the samples t = k / samples, kept for the bracket.
  const long samples = 8;
  double sv[samples + 1], ss[samples + 1];
  ss[0] = slope(0.0, sv[0]);
  ss[samples] = slope(1.0, sv[samples]);
  const double v0 = sv[0], v1 = sv[samples];
  if (!Finite(v0) || !Finite(v1) || v0 == 0.0 || v0 * v1 < 0.0)
    return 0;
  const double sign = v0 > 0.0 ? 1.0 : -1.0;
  // Also sample the edge: a dip between two sign changes of the slope is found too.
  double best = sign * v0, bestT = 0.0;
  long bestK = 0;
  for (long k = 1; k < samples; ++k) {
    const double t = double(k) / double(samples);
    ss[k] = slope(t, sv[k]);
    const double v = sv[k];
    if (Finite(v) && sign * v < best) {
      best = sign * v;
      bestT = t;
      bestK = k;
    }
  }
  if (best < 0.0) {
    // A sample of the opposite sign already: the cut can go there.
    oX = iA[0] + bestT * dx;
    oY = iA[1] + bestT * dy;
    return 1;
  }
  double a = 0.0, b = 1.0, vm = 0.0;
  double s0 = ss[0], s1 = ss[samples];
  if (bestK > 0) {
    a = double(bestK - 1) / double(samples);
    b = double(bestK + 1) / double(samples);
    s0 = ss[bestK - 1];
    s1 = ss[bestK + 1];
  }
  double t = bestT;
  if (s0 * s1 < 0.0) {
    // The zero of the slope by regula falsi with the Illinois correction (bisection when the
    // guess falls outside the bracket).
    int side = 0;
    for (long it = 0; it < MaxLineSteps && b - a > 1e-14; ++it) {
      double m = a - s0 * (b - a) / (s1 - s0);
      if (!(m > a && m < b))
        m = 0.5 * (a + b);
      const double sm = slope(m, vm);
      if (Finite(vm) && sign * vm < 0.0) {
        // Already of the opposite sign: the cut can go there.
        oX = iA[0] + m * dx;
        oY = iA[1] + m * dy;
        return 1;
      }
      if (!Finite(sm))
        break;
      if (sm == 0.0) {
        a = b = m;
        break;
      }
      if ((sm < 0.0) == (s0 < 0.0)) {
        a = m;
        s0 = sm;
        if (side == -1)
          s1 *= 0.5;
        side = -1;
      } else {
        b = m;
        s1 = sm;
        if (side == 1)
          s0 *= 0.5;
        side = 1;
      }
    }
    t = 0.5 * (a + b);
  }
  slope(t, vm);
  if (!Finite(vm) || sign * vm > 0.0)
    return 0;
  oX = iA[0] + t * dx;
  oY = iA[1] + t * dy;
  return 1;
}

int XelMathSystemXY::IsLoopInSquare(Cell& ioCell, const int iWhich, double& oX, double& oY) {
  // The extremum of F (or G) of the sign opposite to the corners' is sought by minimizing
  // sign * F over the cell from its centre and from the best corner.
  const double* v = iWhich ? ioCell.g : ioCell.f;
  const double sign = v[0] > 0.0 ? 1.0 : -1.0;
  double bestV = XelMathInfinite, bx = 0.0, by = 0.0;
  const double starts[2][2] = {
      {0.5 * (ioCell.x0 + ioCell.x1), 0.5 * (ioCell.y0 + ioCell.y1)},
      {0.25 * (3.0 * ioCell.x0 + ioCell.x1), 0.25 * (3.0 * ioCell.y0 + ioCell.y1)}};
  for (const auto& s : starts) {
    double x = s[0], y = s[1], value = 0.0;
    FletcherReeves(iWhich, sign, x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, value);
    if (Finite(value) && value < bestV) {
      bestV = value;
      bx = x;
      by = y;
    }
  }
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  if (!(bestV <= eps))
    return 0;
  oX = bx;
  oY = by;
  return 1;
}

// ---- cells where both may vanish --------------------------------------------------------------

int XelMathSystemXY::CandidateFG(Cell& ioCell) {
  if (ioCell.x1 - ioCell.x0 < _minWidthU && ioCell.y1 - ioCell.y0 < _minWidthV) {
    const int small = TreatSmallSubDomain(ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1);
    if (small != 2)
      return small;
  }
  if (!Budget())
    return 0;
  const int regular = RegularCell(ioCell);
  if (regular == -1)
    return 0;
  // A cell with at most one solution that holds one found already (on a node or an edge
  // shared with a cell searched before) has nothing else to give.
  if (regular >= 1 && HoldsKnownSolution(ioCell))
    return 1;
  // A cell with at most one solution: once that one is found (inside or on an edge) nothing
  // is left to search around it.
  const Cell* savedUnique = _uniqueCell;
  if (regular >= 1)
    _uniqueCell = &ioCell;
  auto restoreUnique = XelMathMakeOnExit([this, savedUnique] { _uniqueCell = savedUnique; });
  if (_depth <= _maxSingularDepth) {
    if (DerivativeTurns(ioCell.fx, ioCell.fy)) {
      const int r = HyperbolicSingularity(ioCell, 0);
      if (r != 0)
        return r;
    }
    if (DerivativeTurns(ioCell.gx, ioCell.gy)) {
      const int r = HyperbolicSingularity(ioCell, 1);
      if (r != 0)
        return r;
    }
  }
  if ((SignChangeOnAllEdges(ioCell.f) || SignChangeOnAllEdges(ioCell.g)) &&
      !(ioCell.x1 - ioCell.x0 < _minWidthU && ioCell.y1 - ioCell.y0 < _minWidthV))
    return DSolve(ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, 3, 3);
  const double zero = (_level & 8) ? _epsSol : _paramRes;
  for (int k = 0; k < 4; ++k) {
    if (std::fabs(ioCell.f[k]) < zero)
      ioCell.f[k] = 0.0;
    if (std::fabs(ioCell.g[k]) < zero)
      ioCell.g[k] = 0.0;
  }
  const int degree = TopologicalDegree(ioCell);
  if (degree == -1)
    return -1;
  if (degree == 2)
    return 1;
  // In a regular cell the zero curves are two monotone arcs crossing at most once: the
  // degree read from the boundary is the number of solutions inside.
  if (regular == 2 && !_orderUndecided && degree == 0)
    return 0;
  if (degree == 1 || degree == 3)
    return NewtonDichotomy(ioCell);
  // Degree 0 proves nothing: a Newton iteration, then the tangential search, then a closer
  // look while F and G may both vanish. Curves nearly tangent are first told apart by the
  // combination of F and G that is convex over the cell.
  if (NearlyParallel(ioCell) && _quadratic.Worth(3)) {
    const bool excluded = QuadraticExcludes(ioCell);
    _quadratic.Count(excluded);
    if (excluded)
      return 0;
  }
  double x = 0.5 * (ioCell.x0 + ioCell.x1), y = 0.5 * (ioCell.y0 + ioCell.y1);
  if (SafeNewton(x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1) > 0)
    return Found(x, y, ioCell);
  const int tangential = FindSingularity(ioCell);
  if (tangential != 0)
    return tangential;
  // A node of one curve that the other passes through has degree 0 and a singular Jacobian,
  // so the Newton runs above stall beside it. The saddle searches of the first levels look
  // only where a derivative turns along an edge, which a saddle turned by 45 degrees
  // (z = xy) never shows: deeper, a cell where both partial derivatives change sign is
  // searched for a saddle as well.
  if (_maxSingularDepth > 0 && _depth > _maxSingularDepth)
    for (int w = 0; w < 2; ++w)
      if (GradientMayVanish(w ? ioCell.gx : ioCell.fx, w ? ioCell.gy : ioCell.fy)) {
        const int r = HyperbolicSingularity(ioCell, w);
        if (r != 0)
          return r;
      }
  if (CombinationExcludes(ioCell) || _depth >= MaxDepth - 1)
    return 0;
  return Subdivide(ioCell, 3);
}

int XelMathSystemXY::FindSingularity(Cell& ioCell) {
  // F = 0 and det J = 0 together: a double solution where the curves touch.
  double x = 0.5 * (ioCell.x0 + ioCell.x1), y = 0.5 * (ioCell.y0 + ioCell.y1);
  const double tolStep = _lengthRes;
  int converged = 0, singular = 0;
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    double f, fx, fy, fxx, fxy, fyy, g, gx, gy, gxx, gxy, gyy;
    Eval2(0, x, y, XelMathOption::PointUpToSecond, &f, &fx, &fy, &fxx, &fxy, &fyy);
    Eval2(1, x, y, XelMathOption::PointUpToSecond, &g, &gx, &gy, &gxx, &gxy, &gyy);
    const double d = fx * gy - fy * gx;
    const double dx = fxx * gy + fx * gxy - fxy * gx - fy * gxx;
    const double dy = fxy * gy + fx * gyy - fyy * gx - fy * gxy;
    const double m = fx * dy - fy * dx;
    if (!Finite(m) || !Finite(f) || !Finite(d))
      return 0;
    if (std::fabs(m) <= _epsSing || m == 0.0) {
      singular = 1;
      break;
    }
    double sx = (dy * f - fy * d) / m, sy = (fx * d - dx * f) / m;
    const double full = std::fabs(sx) + std::fabs(sy);
    if (!SafeNewtonStep(x, y, sx, sy, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1))
      return 0;
    x -= sx;
    y -= sy;
    if (full <= tolStep * (1.0 + std::fabs(x) + std::fabs(y))) {
      converged = 1;
      break;
    }
  }
  if (converged) {
    double f, fx, fy, g, gx, gy;
    Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
    Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
    // Converged on F = det J = 0: the point is as exact as it gets, and Newton's steps on F and
    // G, singular there, would only move it.
    if (BothNull(x, y, f, fx, fy, g, gx, gy))
      return Found(x, y, ioCell, false) == -1 ? -1 : 1;
    return 0;
  }
  if (!singular)
    return 0;
  // The iteration met a degenerate point: minimize F^2 + G^2 there and follow the curve.
  double value = 0.0;
  FletcherReeves(2, 1.0, x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, value);
  double f, fx, fy, g, gx, gy;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  if (!BothNull(x, y, f, fx, fy, g, gx, gy))
    return 0;
  return Found(x, y, ioCell) == -1 ? -1 : 1;
}

int XelMathSystemXY::Found(const double x, const double y, const Cell& iCell,
                           const bool iPolish) {
  const int added = Record(x, y, iPolish);
  if (added == -1)
    return -1;
  const long stored = _recorded;
  double r = ExclusionRadiusOnZero(x, y);
  const bool singular = r < 1e-6 * _absRes;
  if (singular && SingularityTreatment(x, y, r) == -1)
    return -1;
  // The radius rests on derivatives at the point only: inside a cell it is not trusted beyond
  // a quarter of the cell, the rest of which is searched again, nor beyond what the second
  // derivatives around the point allow.
  const double cap = 0.25 * std::min(iCell.x1 - iCell.x0, iCell.y1 - iCell.y0);
  if (cap > 0.0)
    r = std::min(r, cap);
  r = ConfirmedRadius(x, y, r);
  // Around a singular (or nearly singular) solution the square proved free of others from
  // the second derivatives, centred on the singular point itself.
  double cx = x, cy = y;
  bool polished = false;
  if (r < cap && (singular || NearlySingular(x, y))) {
    double px = x, py = y;
    if (PolishSingular(px, py, iCell)) {
      const double inner = std::max(1e-6 * _absRes, SingularRadius(px, py));
      const double rho = CellExclusion(px, py, std::max(inner, r), cap, iCell);
      if (rho > r) {
        r = rho;
        cx = px;
        cy = py;
        polished = true;
      }
    }
  }
  // A point taken for a stored solution some way from it, on which Newton's steps do not
  // settle, is a point of a stretch where the curves stay within the test of each other:
  // the stretch runs on through the cell, and squares of the tiny radius of a nearly
  // singular point around each of its points cover it only at the cost of the whole search.
  if (added == 0 && stored >= 0 && !polished && r < cap && _solutions) {
    const double* p = _solutions->GetPoints() + 2 * stored;
    const double same = SameRootDistance * (1.0 + std::fabs(x) + std::fabs(y));
    if (std::max(std::fabs(p[0] - x), std::fabs(p[1] - y)) > same && NearlySingular(x, y) &&
        !Settles(x, y))
      r = cap;
  }
  if (_solutions && stored >= 0 && stored < MaxSolutions) {
    double* p = _solutions->GetPoints() + 2 * stored;
    // The polished point replaces the one stored for it when its residual is smaller; the
    // square proved free is then centred on the stored point.
    if (polished && Residual(cx, cy) <= Residual(p[0], p[1])) {
      p[0] = cx;
      p[1] = cy;
    }
    const double off = std::max(std::fabs(p[0] - cx), std::fabs(p[1] - cy));
    if (added == 1 || polished)
      _radius[stored] = std::max(0.0, r - off);
    if (polished && r > off) {
      _proved[stored] = r - off;
      ++_provedCount;
    }
  }
  if (_depth >= EdgeSearchDepth || &iCell == _uniqueCell)
    return 1;
  double rx, ry;
  ExclusionRectangle(cx, cy, r, iCell.x0, iCell.x1, iCell.y0, iCell.y1, rx, ry);
  return DSolveMinusRectangle(iCell.x0, iCell.x1, iCell.y0, iCell.y1, cx, cy, rx, ry) == -1 ? -1
                                                                                          : 1;
}

int XelMathSystemXY::TopologicalDegree(Cell& ioCell) {
  const Cell* saved = _current;
  _current = &ioCell;
  auto restore = XelMathMakeOnExit([this, saved] { _current = saved; });
  const double c[4][2] = {{ioCell.x0, ioCell.y0},
                          {ioCell.x1, ioCell.y0},
                          {ioCell.x0, ioCell.y1},
                          {ioCell.x1, ioCell.y1}};
  unsigned char sequence[16];
  long length = 0;
  int degree = 3;
  _orderUndecided = false;
  for (int e = 0; e < 4; ++e) {
    const int a = EdgeFrom[e], b = EdgeTo[e];
    const int direction = (e == 0 || e == 2) ? 2 : 4;
    const int r = EdgeTreatment(c[a], c[b], direction, ioCell.f[a], ioCell.f[b], ioCell.g[a],
                                ioCell.g[b], sequence, length);
    if (r == -1 || r >= 2)
      return r;
    if (e >= 1) {
      degree = TryTopologicalDegree(sequence, length);
      if (degree < 2)
        return degree;
    }
  }
  return degree;
}

int XelMathSystemXY::EdgeTreatment(const double* iA, const double* iB, const int, const double iF0,
                                   const double iF1, const double iG0, const double iG1,
                                   unsigned char* ioSequence, long& ioLength) {
  // Room is kept for two codes; a longer sequence is undecided anyway.
  auto append = [&](const unsigned char code) {
    if (ioLength < 14)
      ioSequence[ioLength] = code;
    ++ioLength;
    if (ioLength > 14)
      ioLength = 14;
  };
  if (iF0 * iF1 < 0.0 && iG0 * iG1 < 0.0) {
    const int r = SeparateOnEdge(iA, iB, iF0, iF1, iG0, iG1);
    switch (r) {
    case 0:
      append(0);
      append(1);
      return 0;
    case 3:
      _orderUndecided = true;
      if (_level & 4)
        return 3;
      append(1);
      append(0);
      return 0;
    case 1:
      append(1);
      append(0);
      return 0;
    default:
      return r;
    }
  }
  if (iF0 * iF1 < 0.0) {
    if (iG0 == 0.0)
      append(1);
    append(0);
    return 0;
  }
  if (iF0 != 0.0) {
    if (iG0 * iG1 < 0.0 || iG0 == 0.0)
      append(1);
    return 0;
  }
  // F vanishes at the start corner.
  append(0);
  if (iG0 * iG1 < 0.0)
    append(1);
  if (iG0 == 0.0) {
    const int r = TreatEdgeSolution(iA[0], iA[1]);
    return r == 0 ? SearchAroundKnown(iA[0], iA[1]) : r;
  }
  return 0;
}

int XelMathSystemXY::TryTopologicalDegree(const unsigned char* iSequence,
                                          const long iLength) const {
  if (iLength < 2 || iLength > 4)
    return 3;
  if (iSequence[0] == iSequence[1])
    return 0;
  if (iLength == 2)
    return 3;
  return iSequence[1] != iSequence[2] ? 1 : 0;
}

int XelMathSystemXY::SeparateOnEdge(const double* iA, const double* iB, const double iF0,
                                    const double iF1, const double iG0, const double iG1) {
  // The zero of each function along the edge by bisection with a secant guess, then their
  // order; a common zero is a solution on the edge. The two searches advance side by side
  // and stop as soon as their brackets are apart by more than the threshold: each zero lies
  // in its bracket, so the order is then decided.
  const double dx = iB[0] - iA[0], dy = iB[1] - iA[1];
  const double length = std::sqrt(dx * dx + dy * dy);
  // The threshold follows the edge: on a short edge of a cell thin in one direction a fixed
  // length would take apart zeros for one common zero.
  const double apart = std::min(_lengthRes * 1e3, 1e-4 * length) + 1e-14 * length;
  EdgeZero zero[2] = {EdgeZero(iF0, iF1), EdgeZero(iG0, iG1)};
  for (;;) {
    const EdgeZero &zF = zero[0], &zG = zero[1];
    if (zF.High() < zG.Low() && (zG.Low() - zF.High()) * length > apart)
      return 0;
    if (zG.High() < zF.Low() && (zF.Low() - zG.High()) * length > apart)
      return 1;
    if (zF.done && zG.done)
      break;
    for (int w = 0; w < 2; ++w) {
      if (zero[w].done)
        continue;
      double vm = 0.0;
      const double m = zero[w].Next();
      if (!zero[w].done) {
        Eval2(w, iA[0] + m * dx, iA[1] + m * dy, XelMathOption::Value, &vm, nullptr, nullptr);
        zero[w].Take(m, vm);
      }
    }
  }
  const double tF = zero[0].t, tG = zero[1].t;
  if (std::fabs(tF - tG) * length > apart)
    return tF < tG ? 0 : 1;
  return SeparateOnEdge2(iA, iB, tF, tG, zero[0].Pinned() && zero[1].Pinned());
}

int XelMathSystemXY::SeparateOnEdge2(const double* iA, const double* iB, const double tF,
                                     const double tG, const bool iPinned) {
  // The zeros of F and G at tF and tG along the edge are closer than the threshold: a common
  // zero is a solution on the edge.
  const double t = 0.5 * (tF + tG);
  double x = iA[0] + t * (iB[0] - iA[0]), y = iA[1] + t * (iB[1] - iA[1]);
  double f, fx, fy, g, gx, gy;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  if (!BothNull(x, y, f, fx, fy, g, gx, gy)) {
    // Not a common zero: two zeros closed in to the last digits and still apart are in the
    // order found (curves nearly tangent along the edge).
    if (iPinned && std::fabs(tF - tG) > 1e-13)
      return tF < tG ? 0 : 1;
    // Refine on the cell when there is one before giving up the order.
    if (!_current)
      return 3;
    if (SafeNewton(x, y, _current->x0, _current->x1, _current->y0, _current->y1) <= 0)
      return 3;
  }
  const int r = TreatEdgeSolution(x, y);
  return r == 0 ? SearchAroundKnown(x, y) : r;
}

int XelMathSystemXY::SingularityTreatment(const double x, const double y, double& oRadius) {
  // A whole curve of solutions through the point stops the search, the point added again;
  // otherwise the radius comes from the second derivatives, at least the floor.
  if (TryMarching(x, y)) {
    AddSolution(x, y);
    return -1;
  }
  oRadius = std::max(1e-6 * _absRes, SingularRadius(x, y));
  return 0;
}

int XelMathSystemXY::TreatEdgeSolution(const double x, const double y) {
  const int added = Record(x, y);
  if (added == -1)
    return -1;
  if (added == 0)
    return 0;
  const long stored = _recorded;
  double r = ExclusionRadiusOnZero(x, y);
  const bool singular = r < 1e-6 * _absRes;
  if (singular && SingularityTreatment(x, y, r) == -1)
    return -1;
  if (_depth >= EdgeSearchDepth || !_current || _current == _uniqueCell)
    return 2;
  const Cell& c = *_current;
  const double cap = 0.25 * std::min(c.x1 - c.x0, c.y1 - c.y0);
  if (cap > 0.0)
    r = std::min(r, cap);
  r = ConfirmedRadius(x, y, r);
  if (singular)
    r = std::max(r, CellExclusion(x, y, r, cap, c));
  if (_solutions && stored >= 0 && stored < MaxSolutions) {
    const double* p = _solutions->GetPoints() + 2 * stored;
    _radius[stored] = std::max(0.0, r - std::max(std::fabs(p[0] - x), std::fabs(p[1] - y)));
  }
  double rx, ry;
  ExclusionRectangle(x, y, r, c.x0, c.x1, c.y0, c.y1, rx, ry);
  return DSolveMinusRectangle(c.x0, c.x1, c.y0, c.y1, x, y, rx, ry) == -1 ? -1 : 2;
}

double XelMathSystemXY::ExclusionRadiusOnZero(const double x, const double y) const {
  double fx, fy, fxx, fxy, fyy, gx, gy, gxx, gxy, gyy;
  Eval2(0, x, y, XelMathOption::FirstAndSecond, nullptr, &fx, &fy, &fxx, &fxy, &fyy);
  Eval2(1, x, y, XelMathOption::FirstAndSecond, nullptr, &gx, &gy, &gxx, &gxy, &gyy);
  const double d = std::fabs(fx * gy - fy * gx);
  if (!(d >= _relEps) || !Finite(d))
    return 0.0;
  const double k = std::max(std::fabs(fx) + std::fabs(gx), std::fabs(fy) + std::fabs(gy)) / d;
  const double mF = 0.5 * (std::fabs(fxx) + std::fabs(fyy)) + std::fabs(fxy);
  const double mG = 0.5 * (std::fabs(gxx) + std::fabs(gyy)) + std::fabs(gxy);
  double m = std::max(mF, mG);
  if (!(m >= 1.0))
    m = Finite(m) ? 1.0 : m;
  const double r = 1.0 / (m * k);
  return Finite(r) ? r : 0.0;
}

double XelMathSystemXY::ConfirmedRadius(const double x, const double y, double iRadius) const {
  // The radius rests on the second derivatives at the solution, which say nothing of the
  // square around it (sin 200 pi x has none at its roots, and the square of radius 1 held
  // others): the bound is taken again over the square, from the curvature bounds of the box
  // when the functions give them, else from the second derivatives at its corners and the
  // middles of its sides (and of a smaller square), until the square it gives is one it was
  // taken over.
  if (!(iRadius > 0.0))
    return 0.0;
  double fx, fy, gx, gy;
  Eval2(0, x, y, XelMathOption::FirstDeriv, nullptr, &fx, &fy);
  Eval2(1, x, y, XelMathOption::FirstDeriv, nullptr, &gx, &gy);
  const double d = std::fabs(fx * gy - fy * gx);
  const double k = std::max(std::fabs(fx) + std::fabs(gx), std::fabs(fy) + std::fabs(gy)) / d;
  if (!Finite(k) || !(k > 0.0))
    return 0.0;
  auto bound = [](const double xx, const double yy, const double xy) {
    return 0.5 * (std::fabs(xx) + std::fabs(yy)) + std::fabs(xy);
  };
  if (Curved(0) && Curved(1) && _facts->cx0 <= x - iRadius && x + iRadius <= _facts->cx1 &&
      _facts->cy0 <= y - iRadius && y + iRadius <= _facts->cy1) {
    const double* c0 = _facts->curvature[0];
    const double* c1 = _facts->curvature[1];
    const double m = std::max(1.0, std::max(bound(c0[0], c0[1], c0[2]), bound(c1[0], c1[1], c1[2])));
    return std::min(iRadius, 1.0 / (m * k));
  }
  double r = iRadius;
  for (int round = 0; round < ConfirmRounds; ++round) {
    double m = 1.0;
    for (int p = 0; p < 16; ++p) {
      // Two rings, the inner one at an irrational share of the radius: evenly spaced features
      // cannot hide from both.
      const double s = p < 8 ? r : InnerRing * r;
      const double px = x + s * RingX[p % 8], py = y + s * RingY[p % 8];
      double xx, xy, yy;
      Eval2(0, px, py, XelMathOption::SecondDeriv, nullptr, nullptr, nullptr, &xx, &xy, &yy);
      m = std::max(m, bound(xx, yy, xy));
      Eval2(1, px, py, XelMathOption::SecondDeriv, nullptr, nullptr, nullptr, &xx, &xy, &yy);
      m = std::max(m, bound(xx, yy, xy));
    }
    if (!Finite(m))
      return 0.0;
    const double next = 1.0 / (m * k);
    if (next >= r)
      return r;
    r = next;
  }
  return r;
}

double XelMathSystemXY::SearchRadius(const double x, const double y) const {
  const double floor = 1e-6 * _absRes;
  const double r = ExclusionRadiusOnZero(x, y);
  return r < floor ? std::max(floor, SingularRadius(x, y)) : r;
}

int XelMathSystemXY::SearchAroundKnown(const double x, const double y) {
  // A solution already known met on the boundary of the current cell: the cell is still
  // searched around it.
  if (!_current || _depth >= EdgeSearchDepth || _current == _uniqueCell)
    return 2;
  const Cell& c = *_current;
  const double side = std::min(c.x1 - c.x0, c.y1 - c.y0);
  const double r = ConfirmedRadius(x, y, std::min(SearchRadius(x, y), 0.25 * side));
  // Around a nearly singular solution the square is tiny: the rest of the cell, nearly all
  // of it, would meet the same solution on its boundary again and again down to the depth
  // limit, its inside never searched. The cell is divided instead.
  if (r < TinyExclusionShare * side)
    return Subdivide(c, 3) == -1 ? -1 : 2;
  double rx, ry;
  ExclusionRectangle(x, y, r, c.x0, c.x1, c.y0, c.y1, rx, ry);
  return DSolveMinusRectangle(c.x0, c.x1, c.y0, c.y1, x, y, rx, ry) == -1 ? -1 : 2;
}

void XelMathSystemXY::ExclusionRectangle(const double x, const double y, const double r,
                                         const double x0, const double x1, const double y0,
                                         const double y1, double& oRx, double& oRy) const {
  // The radius on zero taken in the coordinates (u, v) = ((x - x0) / wx, (y - y0) / wy): on a
  // cell much longer than wide the square bounded by the shorter side leaves strips that are
  // almost the whole cell, searched again and again around the same point.
  const double wx = x1 - x0, wy = y1 - y0;
  oRx = r;
  oRy = r;
  if (!(wx > 0.0) || !(wy > 0.0))
    return;
  double fx, fy, fxx, fxy, fyy, gx, gy, gxx, gxy, gyy;
  Eval2(0, x, y, XelMathOption::FirstAndSecond, nullptr, &fx, &fy, &fxx, &fxy, &fyy);
  Eval2(1, x, y, XelMathOption::FirstAndSecond, nullptr, &gx, &gy, &gxx, &gxy, &gyy);
  fx *= wx;
  gx *= wx;
  fy *= wy;
  gy *= wy;
  const double sxx = wx * wx, sxy = wx * wy, syy = wy * wy;
  const double d = std::fabs(fx * gy - fy * gx);
  if (!(d > 0.0) || !Finite(d))
    return;
  const double k = std::max(std::fabs(fx) + std::fabs(gx), std::fabs(fy) + std::fabs(gy)) / d;
  const double mF = 0.5 * (std::fabs(fxx) * sxx + std::fabs(fyy) * syy) + std::fabs(fxy) * sxy;
  const double mG = 0.5 * (std::fabs(gxx) * sxx + std::fabs(gyy) * syy) + std::fabs(gxy) * sxy;
  double m = std::max(mF, mG);
  if (!(m >= 1.0))
    m = Finite(m) ? 1.0 : m;
  double s = 1.0 / (m * k);
  if (!Finite(s))
    return;
  s = std::min(s, 0.25);
  oRx = std::max(r, s * wx);
  oRy = std::max(r, s * wy);
}

double XelMathSystemXY::SingularExclusion(const double x, const double y, const double iInner,
                                          const double iMax, const double* iFirst,
                                          const int iFirstCount) const {
  // With J = s1 u1 v1' + s2 u2 v2' at the solution p (s1 > 0, s2 about 0) and h = q - p for
  // another solution q in the square B, Taylor's formula with the Hessians A of F and C of G
  // somewhere in B gives
  //   u1.R + s1 (v1.h) + h'Nh / 2 = 0 and u2.R + s2 (v2.h) + h'Mh / 2 = 0,
  // R the residual at p, N = u1x A + u1y C, M = u2x A + u2y C. So h is nearly along k = v2:
  // h = t k + s v1 with |s| <= (|u1.R| + |N| |h|^2 / 2) / s1, and then
  //   t^2 |k'Mk| / 2 <= |u2.R| + s2 |t| + |t| |s| |M| + s^2 |M| / 2,
  // impossible over the rings of radii [a, b] where the bounds keep the left side larger.
  if (!(iMax > iInner) || !(iInner > 0.0))
    return 0.0;
  double f, fx, fy, g, gx, gy;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  if (!Finite(f) || !Finite(g) || !Finite(fx) || !Finite(fy) || !Finite(gx) || !Finite(gy))
    return 0.0;
  // Right singular vectors: eigenvectors of J'J.
  const double p = fx * fx + gx * gx, q = fx * fy + gx * gy, r = fy * fy + gy * gy;
  const double mean = 0.5 * (p + r), gap = std::sqrt(0.25 * (p - r) * (p - r) + q * q);
  const double l1 = mean + gap, l2 = std::max(0.0, mean - gap);
  if (!(l1 > 0.0))
    return 0.0;
  double v1x = q, v1y = l1 - p;
  if (std::hypot(l1 - r, q) > std::hypot(v1x, v1y)) {
    v1x = l1 - r;
    v1y = q;
  }
  const double nv = std::hypot(v1x, v1y);
  if (!(nv > 0.0)) {
    v1x = p >= r ? 1.0 : 0.0;
    v1y = p >= r ? 0.0 : 1.0;
  } else {
    v1x /= nv;
    v1y /= nv;
  }
  const double s1 = std::sqrt(l1), s2 = std::sqrt(l2);
  const double kx = -v1y, ky = v1x;
  const double u1x = (fx * v1x + fy * v1y) / s1, u1y = (gx * v1x + gy * v1y) / s1;
  const double u2x = -u1y, u2y = u1x;
  const double res1 = std::fabs(u1x * f + u1y * g), res2 = std::fabs(u2x * f + u2y * g);
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  using namespace XelMathElementary;
  for (int k = 0;; ++k) {
    // The larger squares asked for first, then iMax, iMax / 4, ... down to the inner radius.
    double rho = iMax;
    if (k < iFirstCount) {
      rho = iFirst[k];
      if (!(rho > iInner) || !Finite(rho))
        continue;
    } else {
      for (int e = iFirstCount; e < k; ++e)
        rho *= 0.25;
      if (!(rho > iInner))
        break;
    }
    // Another solution lies in the domain too: the Hessians are bounded over the part of the
    // square inside it (convex, so the segment between two solutions stays there).
    double bx0 = x - rho, bx1 = x + rho, by0 = y - rho, by1 = y + rho;
    if (_domain) {
      bx0 = std::max(bx0, _domain->GetX().low);
      bx1 = std::min(bx1, _domain->GetX().high);
      by0 = std::max(by0, _domain->GetY().low);
      by1 = std::min(by1, _domain->GetY().high);
    }
    const XelMathInterval X(bx0 * su, bx1 * su), Y(by0 * sv, by1 * sv);
    XelMathInterval h[2][3];
    bool known = true;
    for (int w = 0; w < 2 && known; ++w) {
      known = EvalSecondImages(w, X, Y, h[w][0], h[w][1], h[w][2]) != 0;
      if (_isScaled) {
        const double sf = w ? _scaleG : _scaleF;
        h[w][0] = Scale(sf * su * su, h[w][0]);
        h[w][1] = Scale(sf * su * sv, h[w][1]);
        h[w][2] = Scale(sf * sv * sv, h[w][2]);
      }
    }
    if (!known)
      return 0.0;
    XelMathInterval m[3], n[3];
    for (int e = 0; e < 3; ++e) {
      m[e] = Add(Scale(u2x, h[0][e]), Scale(u2y, h[1][e]));
      n[e] = Add(Scale(u1x, h[0][e]), Scale(u1y, h[1][e]));
      if (!FiniteInterval(m[e]) || !FiniteInterval(n[e]))
        return 0.0;
    }
    auto bound = [](const XelMathInterval* iM) {
      auto mag = [](const XelMathInterval& i) { return std::max(std::fabs(i.low), std::fabs(i.high)); };
      return std::max(mag(iM[0]), mag(iM[2])) + mag(iM[1]);
    };
    const double mb = bound(m), nb = bound(n);
    const XelMathInterval kmk =
        Add(Add(Scale(kx * kx, m[0]), Scale(2.0 * kx * ky, m[1])), Scale(ky * ky, m[2]));
    if (!(kmk.low > 0.0 || kmk.high < 0.0))
      continue;
    const double m0 = std::min(std::fabs(kmk.low), std::fabs(kmk.high));
    // Rings [a, b] from the inner radius out to the corners of the square.
    const double outer = rho * 1.4142135623730951;
    bool proved = true;
    for (double a = iInner; a < outer && proved;) {
      const double b = std::min(outer, 1.25 * a);
      const double sb = (res1 + 0.5 * nb * b * b) / s1;
      const double t2 = a * a - sb * sb;
      proved = sb < a && 0.5 * m0 * t2 > res2 + s2 * b + b * sb * mb + 0.5 * sb * sb * mb;
      a = b;
    }
    if (proved)
      return rho;
  }
  return 0.0;
}

double XelMathSystemXY::CellExclusion(const double x, const double y, const double iInner,
                                      const double iMax, const Cell& iCell) const {
  // A square holding the cell and its neighbours of the same size, or the whole cell, ends
  // the search of the cell at once (and of the neighbours searched later); failing that, the
  // squares of at most a quarter of the cell.
  const double whole = std::max(std::max(x - iCell.x0, iCell.x1 - x),
                                std::max(y - iCell.y0, iCell.y1 - y));
  const double around = whole + std::max(iCell.x1 - iCell.x0, iCell.y1 - iCell.y0);
  const double first[2] = {around, whole};
  if (whole > iMax && Finite(around))
    return SingularExclusion(x, y, iInner, iMax, first, 2);
  return SingularExclusion(x, y, iInner, iMax);
}

bool XelMathSystemXY::NearlySingular(const double x, const double y) const {
  double fx, fy, gx, gy;
  Eval2(0, x, y, XelMathOption::FirstDeriv, nullptr, &fx, &fy);
  Eval2(1, x, y, XelMathOption::FirstDeriv, nullptr, &gx, &gy);
  const double det = std::fabs(fx * gy - fy * gx);
  const double size = fx * fx + fy * fy + gx * gx + gy * gy;
  return Finite(det) && Finite(size) && size > 0.0 && det < 1e-4 * size;
}

bool XelMathSystemXY::PolishSingular(double& ioX, double& ioY, const Cell& iCell) const {
  // Gauss-Newton on F = G = det J = 0 (three equations, consistent at a singular solution
  // where the three gradients span the plane: there it converges quadratically).
  double x = ioX, y = ioY;
  for (long it = 0; it < 12; ++it) {
    double f, fx, fy, fxx, fxy, fyy, g, gx, gy, gxx, gxy, gyy;
    Eval2(0, x, y, XelMathOption::PointUpToSecond, &f, &fx, &fy, &fxx, &fxy, &fyy);
    Eval2(1, x, y, XelMathOption::PointUpToSecond, &g, &gx, &gy, &gxx, &gxy, &gyy);
    const double d = fx * gy - fy * gx;
    const double dx = fxx * gy + fx * gxy - fxy * gx - fy * gxx;
    const double dy = fxy * gy + fx * gyy - fyy * gx - fy * gxy;
    // The determinant row weighted to the scale of the other two.
    const double wf = std::hypot(fx, fy) + std::hypot(gx, gy), wd = std::hypot(dx, dy);
    const double k = wd > 0.0 ? wf / wd : 0.0;
    const double a11 = fx * fx + gx * gx + k * k * dx * dx;
    const double a12 = fx * fy + gx * gy + k * k * dx * dy;
    const double a22 = fy * fy + gy * gy + k * k * dy * dy;
    const double b1 = fx * f + gx * g + k * k * dx * d, b2 = fy * f + gy * g + k * k * dy * d;
    const double det = a11 * a22 - a12 * a12;
    if (!Finite(det) || !(det > 0.0))
      return false;
    const double sx = (a22 * b1 - a12 * b2) / det, sy = (a11 * b2 - a12 * b1) / det;
    if (!Finite(sx) || !Finite(sy))
      return false;
    x -= sx;
    y -= sy;
    if (x < iCell.x0 || x > iCell.x1 || y < iCell.y0 || y > iCell.y1)
      return false;
    if (std::fabs(sx) + std::fabs(sy) <= _lengthRes * (1.0 + std::fabs(x) + std::fabs(y))) {
      double vf, vfx, vfy, vg, vgx, vgy;
      Eval2(0, x, y, XelMathOption::ValueAndFirst, &vf, &vfx, &vfy);
      Eval2(1, x, y, XelMathOption::ValueAndFirst, &vg, &vgx, &vgy);
      if (!BothNull(x, y, vf, vfx, vfy, vg, vgx, vgy))
        return false;
      ioX = x;
      ioY = y;
      return true;
    }
  }
  return false;
}

double XelMathSystemXY::SingularRadius(const double x, const double y) const {
  // Around a singular solution the residual test holds over a disc of about
  // sqrt(2 threshold / curvature): points found there are the same solution.
  double fx, fy, fxx, fxy, fyy, gx, gy, gxx, gxy, gyy;
  Eval2(0, x, y, XelMathOption::FirstAndSecond, nullptr, &fx, &fy, &fxx, &fxy, &fyy);
  Eval2(1, x, y, XelMathOption::FirstAndSecond, nullptr, &gx, &gy, &gxx, &gxy, &gyy);
  const double m = std::max(0.5 * (std::fabs(fxx) + std::fabs(fyy)) + std::fabs(fxy),
                            0.5 * (std::fabs(gxx) + std::fabs(gyy)) + std::fabs(gxy));
  const double jac = std::fabs(fx) + std::fabs(fy) + std::fabs(gx) + std::fabs(gy);
  if (!(m > 0.0) || !Finite(m) || !Finite(jac))
    return 0.0;
  return std::sqrt(2.0 * _epsSol * (1.0 + jac) / m);
}

int XelMathSystemXY::DSolveMinusBox(const double x0, const double x1, const double y0,
                                    const double y1, const double cx, const double cy,
                                    const double r) {
  return DSolveMinusRectangle(x0, x1, y0, y1, cx, cy, r, r);
}

int XelMathSystemXY::DSolveMinusRectangle(const double x0, const double x1, const double y0,
                                          const double y1, const double cx, const double cy,
                                          const double rx, const double ry) {
  const double a = std::max(cx - rx, x0), b = std::min(cx + rx, x1);
  const double c = std::max(cy - ry, y0), d = std::min(cy + ry, y1);
  const double strips[4][4] = {{x0, a, y0, d}, {a, x1, y0, c}, {b, x1, c, y1}, {x0, b, d, y1}};
  for (const auto& s : strips) {
    if (!(s[1] > s[0]) || !(s[3] > s[2]))
      continue;
    if (DSolve(s[0], s[1], s[2], s[3], 2, 2) == -1)
      return -1;
  }
  return 0;
}

int XelMathSystemXY::NewtonDichotomy(Cell& ioCell) {
  double x = 0.5 * (ioCell.x0 + ioCell.x1), y = 0.5 * (ioCell.y0 + ioCell.y1);
  const int r = SafeNewton(x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1);
  if (r > 0)
    return Found(x, y, ioCell);
  if (_depth < DichotomyDepth)
    return Subdivide(ioCell, 3);
  if (r == -2) {
    const double mx = 0.5 * (ioCell.x0 + ioCell.x1), my = 0.5 * (ioCell.y0 + ioCell.y1);
    const double starts[4][2] = {
        {mx, ioCell.y1}, {mx, ioCell.y0}, {ioCell.x1, my}, {ioCell.x0, my}};
    for (const auto& s : starts) {
      x = s[0];
      y = s[1];
      if (SafeNewton(x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1) > 0)
        return Found(x, y, ioCell);
    }
  }
  // The degree of the cell is odd: it holds a solution. Where the curves nearly touch,
  // Newton's steps from the centre leave the cell or stall however close the solution is;
  // F^2 + G^2 minimized from the centre reaches it.
  x = 0.5 * (ioCell.x0 + ioCell.x1);
  y = 0.5 * (ioCell.y0 + ioCell.y1);
  double value = 0.0, f, fx, fy, g, gx, gy;
  FletcherReeves(2, 1.0, x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, value);
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  if (BothNull(x, y, f, fx, fy, g, gx, gy))
    return Found(x, y, ioCell);
  // The corner ranges of F and G: a cell where both may still vanish is looked at closer.
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  if (CornerSign(ioCell.f, eps) != 0 || CornerSign(ioCell.g, eps) != 0 ||
      CombinationExcludes(ioCell) || _depth >= MaxDepth - 1)
    return 0;
  if (ioCell.x1 - ioCell.x0 < _minWidthU && ioCell.y1 - ioCell.y0 < _minWidthV)
    return FollowOddDegree(ioCell);
  return Subdivide(ioCell, 3);
}

int XelMathSystemXY::FollowOddDegree(const Cell& iCell) {
  Cell cell = iCell;
  for (long level = 0; level < MaxOddDegreeLevels; ++level) {
    const double mx = 0.5 * (cell.x0 + cell.x1), my = 0.5 * (cell.y0 + cell.y1);
    double x = mx, y = my;
    if (SafeNewton(x, y, cell.x0, cell.x1, cell.y0, cell.y1) > 0)
      return Found(x, y, cell) == -1 ? -1 : 1;
    const double xs[3] = {cell.x0, mx, cell.x1}, ys[3] = {cell.y0, my, cell.y1};
    if (!(xs[1] > xs[0] && xs[1] < xs[2] && ys[1] > ys[0] && ys[1] < ys[2]))
      return 0;
    // The nine nodes: the corners kept, the five new ones evaluated.
    double v[2][3][3][3];
    const int corner[4][2] = {{0, 0}, {2, 0}, {0, 2}, {2, 2}};
    for (int c = 0; c < 4; ++c) {
      double* p0 = v[0][corner[c][0]][corner[c][1]];
      double* p1 = v[1][corner[c][0]][corner[c][1]];
      p0[0] = cell.f[c], p0[1] = cell.fx[c], p0[2] = cell.fy[c];
      p1[0] = cell.g[c], p1[1] = cell.gx[c], p1[2] = cell.gy[c];
    }
    for (int i = 0; i < 3; ++i)
      for (int j = 0; j < 3; ++j)
        if ((i == 1 || j == 1))
          for (int w = 0; w < 2; ++w) {
            double* p = v[w][i][j];
            Eval2(w, xs[i], ys[j], XelMathOption::ValueAndFirst, p, p + 1, p + 2);
          }
    bool next = false;
    for (int qi = 0; qi < 2 && !next; ++qi)
      for (int qj = 0; qj < 2 && !next; ++qj) {
        Cell sub;
        sub.x0 = xs[qi];
        sub.x1 = xs[qi + 1];
        sub.y0 = ys[qj];
        sub.y1 = ys[qj + 1];
        for (int c = 0; c < 4; ++c) {
          const int i = qi + (c & 1), j = qj + (c >> 1);
          sub.f[c] = v[0][i][j][0], sub.fx[c] = v[0][i][j][1], sub.fy[c] = v[0][i][j][2];
          sub.g[c] = v[1][i][j][0], sub.gx[c] = v[1][i][j][1], sub.gy[c] = v[1][i][j][2];
        }
        const int degree = TopologicalDegree(sub);
        if (degree == -1)
          return -1;
        if (degree == 2)
          return 1;
        if (degree == 1) {
          cell = sub;
          next = true;
        }
      }
    if (!next)
      return 0;
  }
  return 0;
}

int XelMathSystemXY::SafeNewton(double& ioX, double& ioY, const double x0, const double x1,
                                const double y0, const double y1) {
  double x = ioX, y = ioY;
  double f, fx, fy, g, gx, gy, norm;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  const double lengthRes = _lengthRes;
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    if (!Finite(f) || !Finite(g) || !Finite(fx) || !Finite(fy) || !Finite(gx) || !Finite(gy))
      return 0;
    norm = std::fabs(f) + std::fabs(g);
    if (BothNull(x, y, f, fx, fy, g, gx, gy)) {
      // Polish: a few more full steps while they stay in the box and lower the residual.
      for (int k = 0; k < 3; ++k) {
        const double det = fx * gy - fy * gx;
        if (det == 0.0 || !Finite(det))
          break;
        const double nx = x - (gy * f - fy * g) / det, ny = y - (fx * g - gx * f) / det;
        if (!(nx >= x0 && nx <= x1 && ny >= y0 && ny <= y1))
          break;
        double pf, pfx, pfy, pg, pgx, pgy;
        Eval2(0, nx, ny, XelMathOption::ValueAndFirst, &pf, &pfx, &pfy);
        Eval2(1, nx, ny, XelMathOption::ValueAndFirst, &pg, &pgx, &pgy);
        if (!(std::fabs(pf) + std::fabs(pg) < std::fabs(f) + std::fabs(g)))
          break;
        x = nx;
        y = ny;
        f = pf;
        g = pg;
        fx = pfx;
        fy = pfy;
        gx = pgx;
        gy = pgy;
      }
      ioX = x;
      ioY = y;
      return 1;
    }
    const double det = fx * gy - fy * gx;
    if (std::fabs(det) < _epsSing || det == 0.0)
      return -2;
    double dx = 0.0, dy = 0.0;
    if (!NewtonStep2(f, fx, fy, g, gx, gy, dx, dy))
      return -2;
    const double newton = std::fabs(dx) + std::fabs(dy);
    if (!SafeNewtonStep(x, y, dx, dy, x0, x1, y0, y1))
      return 0;
    double nf = 0.0, ng = 0.0, nfx = 0.0, nfy = 0.0, ngx = 0.0, ngy = 0.0, nnorm = XelMathInfinite;
    long halvings = 0;
    for (;;) {
      const double nx = x - dx, ny = y - dy;
      Eval2(0, nx, ny, XelMathOption::ValueAndFirst, &nf, &nfx, &nfy);
      Eval2(1, nx, ny, XelMathOption::ValueAndFirst, &ng, &ngx, &ngy);
      nnorm = std::fabs(nf) + std::fabs(ng);
      if (nnorm < norm || halvings >= XelMaxIntervalIteration)
        break;
      dx *= 0.5;
      dy *= 0.5;
      ++halvings;
    }
    if (!(nnorm < norm) && !(newton <= lengthRes * (1.0 + std::fabs(x) + std::fabs(y))))
      return 0;
    x -= dx;
    y -= dy;
    f = nf;
    g = ng;
    fx = nfx;
    fy = nfy;
    gx = ngx;
    gy = ngy;
    if (newton <= lengthRes * (1.0 + std::fabs(x) + std::fabs(y)) && Finite(f) && Finite(g)) {
      // A step below the resolution converges when the residual is within a few
      // resolutions of the Jacobian's scale.
      if (BothNull(x, y, f, fx, fy, g, gx, gy) ||
          norm <= 1e3 * lengthRes *
                      (1.0 + std::fabs(fx) + std::fabs(fy) + std::fabs(gx) + std::fabs(gy))) {
        ioX = x;
        ioY = y;
        return 1;
      }
    }
  }
  return 0;
}

// ---- singular solutions -----------------------------------------------------------------------

int XelMathSystemXY::HyperbolicSingularity(Cell& ioCell, const int iWhich) {
  // Two branches of the zero curve of F (or G) crossing at a saddle of the function: the
  // Jacobian is singular there and the degree cannot see the solution. The stationary point
  // of the function whose derivatives turn is sought by Newton's method on its gradient;
  // when the function nearly vanishes there, F^2 + G^2 is minimized from it and a minimum
  // that solves the system with a near-singular Jacobian is taken.
  double x = 0.5 * (ioCell.x0 + ioCell.x1), y = 0.5 * (ioCell.y0 + ioCell.y1);
  int stationary = 0;
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    double v, vx, vy, vxx, vxy, vyy;
    Eval2(iWhich, x, y, XelMathOption::PointUpToSecond, &v, &vx, &vy, &vxx, &vxy, &vyy);
    const double h = vxx * vyy - vxy * vxy;
    if (!Finite(h) || h == 0.0)
      break;
    double sx = (vyy * vx - vxy * vy) / h, sy = (vxx * vy - vxy * vx) / h;
    const double full = std::fabs(sx) + std::fabs(sy);
    if (!SafeNewtonStep(x, y, sx, sy, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1))
      break;
    x -= sx;
    y -= sy;
    if (full <= _lengthRes * (1.0 + std::fabs(x) + std::fabs(y))) {
      stationary = 1;
      break;
    }
  }
  if (!stationary)
    return 0;
  const double* corners = iWhich ? ioCell.g : ioCell.f;
  double spread = 0.0;
  for (int k = 0; k < 4; ++k)
    spread = std::max(spread, std::fabs(corners[k]));
  double v = 0.0;
  Eval2(iWhich, x, y, XelMathOption::Value, &v, nullptr, nullptr);
  if (!(std::fabs(v) <= 1e-3 * spread + _epsSol))
    return 0;
  // The stationary point itself may solve the system (the other curve through the saddle):
  // no minimization is needed then.
  double f, fx, fy, g, gx, gy;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  const bool atSaddle = BothNull(x, y, f, fx, fy, g, gx, gy);
  if (!atSaddle) {
    double value = 0.0;
    FletcherReeves(2, 1.0, x, y, ioCell.x0, ioCell.x1, ioCell.y0, ioCell.y1, value);
    Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
    Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
    if (!BothNull(x, y, f, fx, fy, g, gx, gy))
      return 0;
  }
  // Regular or singular on the scale of the gradients over the cell: at a node the gradient of
  // F vanishes, and its own size is no yardstick.
  const double det = std::fabs(fx * gy - fy * gx);
  double cellF = std::fabs(fx) + std::fabs(fy), cellG = std::fabs(gx) + std::fabs(gy);
  for (int k = 0; k < 4; ++k) {
    cellF = std::max(cellF, std::fabs(ioCell.fx[k]) + std::fabs(ioCell.fy[k]));
    cellG = std::max(cellG, std::fabs(ioCell.gx[k]) + std::fabs(ioCell.gy[k]));
  }
  if (det > 1e-6 * cellF * cellG && det > _epsJacobian)
    return 0; // a regular solution: the degree finds it
  // A saddle located by Newton's method on the gradient is exact (a node of one curve on the
  // other): Newton's steps on F and G, singular there, would only move it.
  return Found(x, y, ioCell, !atSaddle) == -1 ? -1 : 1;
}

bool XelMathSystemXY::BothNull(const double x, const double y, const double f, const double fx,
                               const double fy, const double g, const double gx,
                               const double gy) const {
  // The residual test of the system, and each equation within the threshold on its own
  // scale (an equation of large values must not hide the other one).
  double norm = 0.0;
  const double jac[4] = {fx, fy, gx, gy};
  if (!IsNull(x, y, f, g, norm, jac))
    return false;
  const double lr = _lengthRes * (std::fabs(x) + std::fabs(y));
  return std::fabs(f) < _epsSol * (1.0 + std::fabs(fx) + std::fabs(fy)) + lr &&
         std::fabs(g) < _epsSol * (1.0 + std::fabs(gx) + std::fabs(gy)) + lr;
}

double XelMathSystemXY::Objective(const int iObjective, const double iSign, const double x,
                                  const double y, double* oGx, double* oGy) const {
  if (iObjective == 2) {
    double f, fx, fy, g, gx, gy;
    Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
    Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
    if (oGx)
      *oGx = 2.0 * (f * fx + g * gx);
    if (oGy)
      *oGy = 2.0 * (f * fy + g * gy);
    return f * f + g * g;
  }
  double v, vx, vy;
  Eval2(iObjective, x, y, XelMathOption::ValueAndFirst, &v, &vx, &vy);
  if (oGx)
    *oGx = iSign * vx;
  if (oGy)
    *oGy = iSign * vy;
  return iSign * v;
}

int XelMathSystemXY::FletcherReeves(const int iObjective, const double iSign, double& ioX,
                                    double& ioY, const double x0, const double x1, const double y0,
                                    const double y1, double& oValue) {
  double x = std::min(std::max(ioX, x0), x1), y = std::min(std::max(ioY, y0), y1);
  double gx = 0.0, gy = 0.0;
  double value = Objective(iObjective, iSign, x, y, &gx, &gy);
  if (!Finite(value)) {
    oValue = value;
    return 0;
  }
  // Components pushing out of the box at a face are dropped (projected gradient).
  auto project = [&](double& ioGx, double& ioGy) {
    if ((x <= x0 && ioGx > 0.0) || (x >= x1 && ioGx < 0.0))
      ioGx = 0.0;
    if ((y <= y0 && ioGy > 0.0) || (y >= y1 && ioGy < 0.0))
      ioGy = 0.0;
  };
  double px = gx, py = gy;
  project(px, py);
  double dx = -px, dy = -py;
  double g2 = px * px + py * py;
  const double size = (x1 - x0) + (y1 - y0);
  int converged = 0;
  for (long it = 0; it < MaxGradientSteps; ++it) {
    if (g2 == 0.0 || !Finite(g2)) {
      converged = 1;
      break;
    }
    const double tx = ScalingValue(x0, x1, x, dx), ty = ScalingValue(y0, y1, y, dy);
    const double tmax = std::min(tx, ty);
    if (!(tmax > 0.0)) {
      // Stuck on a face: restart along the projected steepest descent.
      dx = -px;
      dy = -py;
      if (it > 0 && (std::fabs(dx) + std::fabs(dy)) == 0.0) {
        converged = 1;
        break;
      }
      const double t2 = std::min(ScalingValue(x0, x1, x, dx), ScalingValue(y0, y1, y, dy));
      if (!(t2 > 0.0)) {
        converged = 1;
        break;
      }
    }
    const double tm = std::min(ScalingValue(x0, x1, x, dx), ScalingValue(y0, y1, y, dy));
    const double t = SolveOnLine(iObjective, iSign, x, y, dx, dy, tm);
    const double nx = std::min(std::max(x + t * dx, x0), x1);
    const double ny = std::min(std::max(y + t * dy, y0), y1);
    double ngx = 0.0, ngy = 0.0;
    const double nvalue = Objective(iObjective, iSign, nx, ny, &ngx, &ngy);
    if (!Finite(nvalue) || nvalue > value)
      break;
    const double moved = std::fabs(nx - x) + std::fabs(ny - y);
    const double drop = value - nvalue;
    x = nx;
    y = ny;
    value = nvalue;
    double qx = ngx, qy = ngy;
    project(qx, qy);
    const double ng2 = qx * qx + qy * qy;
    if (moved <= 1e-15 * (1.0 + size) || drop <= 1e-15 * std::fabs(value) + 1e-300) {
      converged = 1;
      break;
    }
    // Fletcher-Reeves update, restarted every two steps (two unknowns) and on a face.
    const double beta = ((it + 1) % 2 == 0) ? 0.0 : ng2 / g2;
    dx = -qx + beta * dx;
    dy = -qy + beta * dy;
    if (dx * qx + dy * qy >= 0.0) {
      dx = -qx;
      dy = -qy;
    }
    px = qx;
    py = qy;
    g2 = ng2;
  }
  ioX = x;
  ioY = y;
  oValue = value;
  return converged;
}

double XelMathSystemXY::SolveOnLine(const int iObjective, const double iSign, const double x,
                                    const double y, const double dx, const double dy,
                                    const double iTMax) {
  if (!(iTMax > 0.0) || !Finite(dx) || !Finite(dy))
    return 0.0;
  auto slope = [&](const double t, double& oV) {
    double gx = 0.0, gy = 0.0;
    oV = Objective(iObjective, iSign, x + t * dx, y + t * dy, &gx, &gy);
    return gx * dx + gy * dy;
  };
  double v0 = 0.0;
  double s0 = slope(0.0, v0);
  if (!(s0 < 0.0))
    return 0.0;
  // Bracket the zero of the slope within [0, tmax] (a finite guess first when tmax is
  // unbounded), else the far end is the best point.
  const bool bounded = Finite(iTMax) && iTMax < XelMathInfinite;
  double hi = bounded ? iTMax : 1.0;
  double vHi = 0.0, sHi = slope(hi, vHi);
  long grow = 0;
  while (!bounded && sHi < 0.0 && grow++ < 60) {
    hi *= 2.0;
    sHi = slope(hi, vHi);
  }
  if (!Finite(sHi) || !Finite(vHi)) {
    // Shrink until the objective is defined.
    long shrink = 0;
    while ((!Finite(sHi) || !Finite(vHi)) && shrink++ < 60) {
      hi *= 0.5;
      sHi = slope(hi, vHi);
    }
    if (!Finite(sHi))
      return 0.0;
  }
  if (sHi <= 0.0)
    return vHi <= v0 ? hi : 0.0;
  // Illinois regula falsi on the slope over [lo, hi].
  double lo = 0.0, sLo = s0;
  int side = 0;
  for (long it = 0; it < MaxLineSteps && hi - lo > 1e-12 * (1.0 + hi); ++it) {
    double m = (lo * sHi - hi * sLo) / (sHi - sLo);
    if (!(m > lo && m < hi))
      m = 0.5 * (lo + hi);
    double vm = 0.0;
    const double sm = slope(m, vm);
    if (!Finite(sm)) {
      hi = m;
      continue;
    }
    if (sm == 0.0)
      return m;
    if (sm < 0.0) {
      lo = m;
      sLo = sm;
      if (side == -1)
        sHi *= 0.5;
      side = -1;
    } else {
      hi = m;
      sHi = sm;
      if (side == 1)
        sLo *= 0.5;
      side = 1;
    }
  }
  return 0.5 * (lo + hi);
}

int XelMathSystemXY::TryMarching(const double x, const double y) {
  // The zero curve of F or G is followed (the one of larger gradient) with a
  // predictor along the tangent and a corrector back onto the curve along the gradient; the
  // other function must vanish on its own scale at every step. When neither gradient is
  // usable, a ring of points around the solution is tested instead (a region of solutions).
  const double step = GetStepMarching();
  const XelMathInterval2D* domain = _domain;
  const double lr = _lengthRes;
  auto otherVanishes = [&](const int iOther, const double px, const double py) {
    double v, vx, vy;
    Eval2(iOther, px, py, XelMathOption::ValueAndFirst, &v, &vx, &vy);
    const double n = std::sqrt(vx * vx + vy * vy);
    if (!Finite(v) || !Finite(n))
      return false;
    // Its zero curve passes within a millionth of the step (a tangent curve leaves by about
    // the squared step); a function flat at the point must be null there.
    return std::fabs(v) <= n * std::max(1e-6 * step, lr * (1.0 + std::fabs(px) + std::fabs(py))) ||
           std::fabs(v) <= _epsSol * 1e-3;
  };
  double fx, fy, gx, gy;
  Eval2(0, x, y, XelMathOption::FirstDeriv, nullptr, &fx, &fy);
  Eval2(1, x, y, XelMathOption::FirstDeriv, nullptr, &gx, &gy);
  const double nf = std::hypot(fx, fy), ng = std::hypot(gx, gy);
  if (!Finite(nf) || !Finite(ng))
    return 0;
  if (!(nf > 0.0) && !(ng > 0.0)) {
    for (int k = 0; k < 8; ++k) {
      const double a = 0.25 * 3.14159265358979323846 * k;
      const double px = x + step * std::cos(a), py = y + step * std::sin(a);
      if (!otherVanishes(0, px, py) || !otherVanishes(1, px, py))
        return 0;
    }
    return 1;
  }
  // The curve with the larger gradient is followed: one whose gradient is rounding (F of a
  // cubic at its flat inflection, 3e-29) points nowhere.
  const int follow = nf >= ng ? 0 : 1, other = 1 - follow;
  // Steps checked inside the domain: a point from which every way leaves the domain at once (a
  // solution at a corner) shows no curve.
  long checked = 0;
  for (int way = -1; way <= 1; way += 2) {
    double px = x, py = y;
    for (long s = 0; s < MarchingSteps; ++s) {
      double f, dx, dy;
      Eval2(follow, px, py, XelMathOption::ValueAndFirst, &f, &dx, &dy);
      const double n = std::sqrt(dx * dx + dy * dy);
      if (!(n > 0.0) || !Finite(n))
        return 0;
      px += way * step * (-dy / n);
      py += way * step * (dx / n);
      if (domain && (px < domain->GetX().low || px > domain->GetX().high ||
                     py < domain->GetY().low || py > domain->GetY().high))
        break;
      for (long c = 0; c < 10; ++c) {
        Eval2(follow, px, py, XelMathOption::ValueAndFirst, &f, &dx, &dy);
        const double n2 = dx * dx + dy * dy;
        if (!(n2 > 0.0) || !Finite(f))
          return 0;
        px -= f * dx / n2;
        py -= f * dy / n2;
        if (std::fabs(f) <= _epsSol * 1e-3 * std::sqrt(n2))
          break;
      }
      if (!otherVanishes(other, px, py))
        return 0;
      ++checked;
    }
  }
  return checked > 0 ? 1 : 0;
}

int XelMathSystemXY::RegularCell(const Cell& iCell) const {
  if (_facts && _facts->regular)
    return 2;
  // Jacobian determinants of both signs at the corners: not regular. Unless the partial
  // derivatives keep their signs at the corners, determinants that vary more than they stay
  // away from 0 make the images fail: they are not asked for.
  bool up = true, down = true;
  double least = XelMathInfinite, lo = XelMathInfinite, hi = -XelMathInfinite;
  for (int k = 0; k < 4; ++k) {
    const double det = iCell.fx[k] * iCell.gy[k] - iCell.fy[k] * iCell.gx[k];
    up = up && det > 0.0;
    down = down && det < 0.0;
    least = std::min(least, std::fabs(det));
    lo = std::min(lo, det);
    hi = std::max(hi, det);
  }
  if (!up && !down)
    return 0;
  if (!(least > 0.5 * (hi - lo)) && (DerivativeTurns(iCell.fx, iCell.fy) ||
                                      DerivativeTurns(iCell.gx, iCell.gy) ||
                                      !SameSigns(iCell.fx) || !SameSigns(iCell.fy) ||
                                      !SameSigns(iCell.gx) || !SameSigns(iCell.gy)))
    return 0;
  // The corner data widened by the curvature bounds enclose the values and gradients over
  // the cell without images.
  int bounded = 0;
  if (_regularBounds.Worth() && Curved(0) && Curved(1)) {
    bounded = RegularByCurvature(iCell);
    _regularBounds.Count(bounded == 2 || bounded == -1);
    if (bounded == 2 || bounded == -1)
      return bounded;
  }
  const bool cached = CachedImages(0, iCell) && CachedImages(1, iCell);
  if (!cached && !_regularCells.Worth())
    return bounded;
  XelMathInterval v[2], vx[2], vy[2];
  for (int w = 0; w < 2; ++w)
    if (!CellImages(w, iCell, v[w], vx[w], vy[w]))
      return bounded;
  const int r = ReadRegular(v, vx, vy);
  if (!cached)
    _regularCells.Count(r != 0);
  return r == 0 ? bounded : r;
}

int XelMathSystemXY::RegularByCurvature(const Cell& iCell) const {
  // Over the cell, each function departs from the bilinear interpolant of its corner values
  // by at most (w^2 cxx + h^2 cyy) / 8, and each partial derivative from its value at the
  // nearest corner (at most w/2 and h/2 away in x and y) by the curvature bounds times those
  // distances. The enclosures are read as ReadRegular reads the images.
  struct Range {
    double lo, hi;
  };
  const double w = iCell.x1 - iCell.x0, h = iCell.y1 - iCell.y0;
  auto hull = [](const double* a, const double iWiden) {
    double lo = a[0], hi = a[0];
    for (int q = 1; q < 4; ++q) {
      lo = std::min(lo, a[q]);
      hi = std::max(hi, a[q]);
    }
    const double widen = iWiden * (1.0 + 1e-9) + 1e-12 * std::max(std::fabs(lo), std::fabs(hi));
    return Range{lo - widen, hi + widen};
  };
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  Range v[2], vx[2], vy[2];
  for (int k = 0; k < 2; ++k) {
    const double* c = _facts->curvature[k];
    v[k] = hull(k ? iCell.g : iCell.f, 0.125 * (w * w * c[0] + h * h * c[1]));
    vx[k] = hull(k ? iCell.gx : iCell.fx, 0.5 * (w * c[0] + h * c[2]));
    vy[k] = hull(k ? iCell.gy : iCell.fy, 0.5 * (w * c[2] + h * c[1]));
    if (!Finite(v[k].lo) || !Finite(v[k].hi) || !Finite(vx[k].lo) || !Finite(vx[k].hi) ||
        !Finite(vy[k].lo) || !Finite(vy[k].hi))
      return 0;
  }
  for (int k = 0; k < 2; ++k)
    if (v[k].lo > eps || v[k].hi < -eps)
      return -1;
  auto mul = [](const Range& a, const Range& b) {
    const double p[4] = {a.lo * b.lo, a.lo * b.hi, a.hi * b.lo, a.hi * b.hi};
    return Range{std::min(std::min(p[0], p[1]), std::min(p[2], p[3])),
                 std::max(std::max(p[0], p[1]), std::max(p[2], p[3]))};
  };
  const Range p = mul(vx[0], vy[1]), q = mul(vy[0], vx[1]);
  const double slack = 1e-12 * (std::max(std::fabs(p.lo), std::fabs(p.hi)) +
                                std::max(std::fabs(q.lo), std::fabs(q.hi)));
  const double lo = p.lo - q.hi - slack, hi = p.hi - q.lo + slack;
  if (!(lo > 0.0 || hi < 0.0))
    return 0;
  for (int k = 0; k < 2; ++k)
    if (!(vx[k].lo >= 0.0 || vx[k].hi <= 0.0) || !(vy[k].lo >= 0.0 || vy[k].hi <= 0.0))
      return 1;
  return 2;
}

int XelMathSystemXY::ReadRegular(const XelMathInterval* v, const XelMathInterval* vx,
                                 const XelMathInterval* vy) const {
  const double eps = (_level & 1) ? _epsSol : 0.05 * _epsParam10;
  for (int w = 0; w < 2; ++w) {
    const double sf = _isScaled ? (w ? _scaleG : _scaleF) : 1.0;
    if (FiniteInterval(v[w]) && (v[w].low * sf > eps || v[w].high * sf < -eps))
      return -1;
  }
  // Every matrix whose entries lie in the images is invertible: two solutions x, y in the
  // cell would give J (x - y) = 0 for the matrix J of the mean values of the gradients
  // between them. Scale factors are positive: signs in the caller's units hold in the
  // solving ones.
  using namespace XelMathElementary;
  const XelMathInterval det = Sub(Mul(vx[0], vy[1]), Mul(vy[0], vx[1]));
  if (!(FiniteInterval(det) && (det.low > 0.0 || det.high < 0.0)))
    return 0;
  for (int w = 0; w < 2; ++w)
    if (!OneSign(vx[w]) || !OneSign(vy[w]))
      return 1;
  return 2;
}

namespace {
/// Whether the gradients of F and G are nearly parallel at a corner of the cell (sine of
/// their angle below 0.2) or turn from one side to the other between corners.
bool NearlyParallelGradients(const XelMathSystemXY::Cell& iCell) {
  bool up = false, down = false;
  for (int k = 0; k < 4; ++k) {
    const double det = iCell.fx[k] * iCell.gy[k] - iCell.fy[k] * iCell.gx[k];
    const double size = std::hypot(iCell.fx[k], iCell.fy[k]) * std::hypot(iCell.gx[k], iCell.gy[k]);
    if (!(std::fabs(det) > 0.2 * size))
      return true;
    up = up || det > 0.0;
    down = down || det < 0.0;
  }
  return up && down;
}
} // namespace

bool XelMathSystemXY::NearlyParallel(const Cell& iCell) const {
  return NearlyParallelGradients(iCell);
}

bool XelMathSystemXY::QuadraticExcludes(const Cell& iCell) const {
  // h = a F + b G with (a, b) the combination whose gradient at the centre c is smallest (the
  // left singular vector of the Jacobian for its smaller singular value). With Hessian
  // images of one definite sign (Gershgorin bound mu on the eigenvalues),
  //   h(c + d) >= h(c) + grad h(c) . d + mu |d|^2 / 2
  // over the cell, a separable bound minimized coordinate by coordinate: when it stays above
  // 0 (below 0 for the concave case), h, and so F and G together, cannot vanish.
  const double cx = 0.5 * (iCell.x0 + iCell.x1), cy = 0.5 * (iCell.y0 + iCell.y1);
  const double hx = 0.5 * (iCell.x1 - iCell.x0), hy = 0.5 * (iCell.y1 - iCell.y0);
  const double su = _isScaled ? _scaleU : 1.0, sv = _isScaled ? _scaleV : 1.0;
  const XelMathInterval X(iCell.x0 * su, iCell.x1 * su), Y(iCell.y0 * sv, iCell.y1 * sv);
  XelMathInterval h[2][3];
  for (int w = 0; w < 2; ++w) {
    if (!EvalSecondImages(w, X, Y, h[w][0], h[w][1], h[w][2]))
      return false;
    if (_isScaled) {
      const double sf = w ? _scaleG : _scaleF;
      h[w][0] = XelMathElementary::Scale(sf * su * su, h[w][0]);
      h[w][1] = XelMathElementary::Scale(sf * su * sv, h[w][1]);
      h[w][2] = XelMathElementary::Scale(sf * sv * sv, h[w][2]);
    }
  }
  double f, fx, fy, g, gx, gy;
  Eval2(0, cx, cy, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, cx, cy, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  // Left singular vectors: eigenvectors of J J'.
  const double p = fx * fx + fy * fy, q = fx * gx + fy * gy, r = gx * gx + gy * gy;
  const double lambda = 0.5 * (p + r) - std::sqrt(0.25 * (p - r) * (p - r) + q * q);
  double a = q, b = lambda - p;
  if (std::hypot(lambda - r, q) > std::hypot(a, b)) {
    a = lambda - r;
    b = q;
  }
  const double norm = std::hypot(a, b);
  if (!(norm > 0.0) || !Finite(norm))
    return false;
  a /= norm;
  b /= norm;
  using namespace XelMathElementary;
  const XelMathInterval hxx = Add(Scale(a, h[0][0]), Scale(b, h[1][0]));
  const XelMathInterval hxy = Add(Scale(a, h[0][1]), Scale(b, h[1][1]));
  const XelMathInterval hyy = Add(Scale(a, h[0][2]), Scale(b, h[1][2]));
  if (!FiniteInterval(hxx) || !FiniteInterval(hxy) || !FiniteInterval(hyy))
    return false;
  const double off = std::max(std::fabs(hxy.low), std::fabs(hxy.high));
  const double v = a * f + b * g, vx = a * fx + b * gx, vy = a * fy + b * gy;
  if (!Finite(v) || !Finite(vx) || !Finite(vy))
    return false;
  // The smallest of g d + mu d^2 / 2 over |d| <= half-width.
  auto least = [](const double iSlope, const double iMu, const double iHalf) {
    const double d = std::min(iHalf, std::max(-iHalf, -iSlope / iMu));
    return iSlope * d + 0.5 * iMu * d * d;
  };
  // |h| <= |F| + |G|: beyond the residual accepted of a solution, none lies in the cell.
  const double margin =
      _epsSol * (1.0 + std::fabs(fx) + std::fabs(fy) + std::fabs(gx) + std::fabs(gy)) +
      _lengthRes * (std::fabs(cx) + std::fabs(cy));
  const double convex = std::min(hxx.low, hyy.low) - off;
  if (convex > 0.0 && v + least(vx, convex, hx) + least(vy, convex, hy) > margin)
    return true;
  const double concave = std::min(-hxx.high, -hyy.high) - off;
  return concave > 0.0 && -v + least(-vx, concave, hx) + least(-vy, concave, hy) > margin;
}

bool XelMathSystemXY::CombinationExcludes(const Cell& iCell) const {
  // F, G and the combination a F + b G whose gradient nearly cancels over the cell ((a, b) the
  // left singular vector of the mean Jacobian for its smallest singular value) are bounded
  // over the cell from the corner values and gradients: a combination of one sign whose
  // smallest corner magnitude exceeds its possible variation to the nearest corner cannot
  // vanish, nor can F and G together. The gradient bound takes the largest corner gradient
  // plus the spread of the corner gradients, for the curvature between corners.
  double j[4] = {0.0, 0.0, 0.0, 0.0};
  for (int k = 0; k < 4; ++k) {
    j[0] += 0.25 * iCell.fx[k];
    j[1] += 0.25 * iCell.fy[k];
    j[2] += 0.25 * iCell.gx[k];
    j[3] += 0.25 * iCell.gy[k];
  }
  const double p = j[0] * j[0] + j[1] * j[1], q = j[0] * j[2] + j[1] * j[3];
  const double r = j[2] * j[2] + j[3] * j[3];
  const double lambda = 0.5 * (p + r) - std::sqrt(0.25 * (p - r) * (p - r) + q * q);
  double a1 = q, b1 = lambda - p, a2 = lambda - r, b2 = q;
  if (std::hypot(a2, b2) > std::hypot(a1, b1)) {
    a1 = a2;
    b1 = b2;
  }
  const double norm = std::hypot(a1, b1);
  const double combos[3][2] = {
      {1.0, 0.0}, {0.0, 1.0}, {norm > 0.0 ? a1 / norm : 0.0, norm > 0.0 ? b1 / norm : 0.0}};
  const double hx = 0.5 * (iCell.x1 - iCell.x0), hy = 0.5 * (iCell.y1 - iCell.y0);
  for (const auto& c : combos) {
    if (c[0] == 0.0 && c[1] == 0.0)
      continue;
    double lo = XelMathInfinite, hi = -XelMathInfinite;
    double dxMin = XelMathInfinite, dxMax = -XelMathInfinite, dyMin = XelMathInfinite,
           dyMax = -XelMathInfinite;
    for (int k = 0; k < 4; ++k) {
      const double h = c[0] * iCell.f[k] + c[1] * iCell.g[k];
      const double hxk = c[0] * iCell.fx[k] + c[1] * iCell.gx[k];
      const double hyk = c[0] * iCell.fy[k] + c[1] * iCell.gy[k];
      if (!Finite(h) || !Finite(hxk) || !Finite(hyk))
        return false;
      lo = std::min(lo, h);
      hi = std::max(hi, h);
      dxMin = std::min(dxMin, hxk);
      dxMax = std::max(dxMax, hxk);
      dyMin = std::min(dyMin, hyk);
      dyMax = std::max(dyMax, hyk);
    }
    if (lo <= 0.0 && hi >= 0.0)
      continue;
    const double lx = std::max(std::fabs(dxMin), std::fabs(dxMax)) + (dxMax - dxMin);
    const double ly = std::max(std::fabs(dyMin), std::fabs(dyMax)) + (dyMax - dyMin);
    const double smallest = std::min(std::fabs(lo), std::fabs(hi));
    if (smallest > lx * hx + ly * hy)
      return true;
  }
  return false;
}

// ---- solutions --------------------------------------------------------------------------------

int XelMathSystemXY::AreSeparateSolutions(const double* p1, const double* p2) const {
  const double dx = p2[0] - p1[0], dy = p2[1] - p1[1];
  if (dx * dx + dy * dy <= 1e-12 * _sqLengthRes)
    return 0;
  double f1x, f1y, g1x, g1y, f2x, f2y, g2x, g2y;
  Eval2(0, p1[0], p1[1], XelMathOption::FirstDeriv, nullptr, &f1x, &f1y);
  Eval2(1, p1[0], p1[1], XelMathOption::FirstDeriv, nullptr, &g1x, &g1y);
  Eval2(0, p2[0], p2[1], XelMathOption::FirstDeriv, nullptr, &f2x, &f2y);
  Eval2(1, p2[0], p2[1], XelMathOption::FirstDeriv, nullptr, &g2x, &g2y);
  // A function flat along the join at one end (a null directional derivative) does not
  // change monotonicity there.
  const bool fTurns = (f1x * dx + f1y * dy) * (f2x * dx + f2y * dy) < 0.0;
  const bool gTurns = (g1x * dx + g1y * dy) * (g2x * dx + g2y * dy) < 0.0;
  return (fTurns && gTurns) ? 1 : 0;
}

int XelMathSystemXY::Record(const double iX, const double iY, const bool iPolish) {
  // Where the curves are nearly tangent the residual test holds along a stretch of them, and
  // two points of that stretch pass the separation test as two close solutions would:
  // polished by Newton's steps they meet at the one solution there, where distinct
  // solutions stay apart.
  _recorded = -1;
  double x = iX, y = iY;
  double doubleRoot[3] = {0.0, 0.0, -1.0};
  const bool converged =
      _solutions && Finite(x) && Finite(y) && (iPolish ? Polish(x, y, doubleRoot) : true);
  // Steps that did not settle may have left the solution (where the curves touch to a high
  // order the residual test holds along a stretch, and the steps wander along it): the point
  // given is kept unless they improved it.
  if (!converged && Finite(iX) && Finite(iY) && !(Residual(x, y) <= Residual(iX, iY))) {
    x = iX;
    y = iY;
  }
  // Where the curves cross at a small angle just outside the domain, the test holds along a
  // stretch reaching into it (an edge of the domain cuts it): a point of that stretch whose
  // Newton steps settle beyond the border belongs to the solution there.
  if (!converged && iPolish && SettlesOutside(x, y))
    return 0;
  // A point of the stretch around a tangential solution (Newton's steps halve their way to
  // it): the singular solution itself when the steps on F = G = det J = 0 reach it.
  const bool nearlySingular = _domain && NearlySingular(x, y);
  if (nearlySingular && !converged && iPolish) {
    Cell whole{};
    whole.x0 = _domain->GetX().low;
    whole.x1 = _domain->GetX().high;
    whole.y0 = _domain->GetY().low;
    whole.y1 = _domain->GetY().high;
    double px = x, py = y;
    if (PolishSingular(px, py, whole) && Residual(px, py) <= Residual(x, y)) {
      x = px;
      y = py;
    }
  }
  // A point met again, or one that Newton's steps send to a singular solution stored already,
  // is that solution; everything else (a point joined to a stored one along a stretch where
  // the curves stay within the test of each other among them) is AddSolution's decision.
  if (_solutions && Finite(x) && Finite(y)) {
    double* points = _solutions->GetPoints();
    // A point met again (a solution on a node or edge shared by cells) is that solution.
    const double same = SameRootDistance * (1.0 + std::fabs(x) + std::fabs(y));
    for (long i = 0; i < _solutions->GetNumberOfPoints(); ++i)
      if (std::fabs(points[2 * i] - x) <= same && std::fabs(points[2 * i + 1] - y) <= same) {
        _recorded = i;
        return 0;
      }
    // Newton's steps from the point head for a singular solution stored already (they halve
    // the distance to it at each step): the point is that solution.
    if (doubleRoot[2] >= 0.0)
      for (long i = 0; i < _solutions->GetNumberOfPoints(); ++i)
        if (std::fabs(points[2 * i] - doubleRoot[0]) <= doubleRoot[2] + same &&
            std::fabs(points[2 * i + 1] - doubleRoot[1]) <= doubleRoot[2] + same) {
          _recorded = i;
          return 0;
        }
  }
  // Beside a nearly singular point, crossings at a small angle are searched for on either
  // side of it: a point the steps do not settle is a point of the stretch between them, and
  // the crossings found stand for it.
  long first = -1;
  // (A point given as exact is settled when Newton's step there is within the distance of
  // one root.)
  const bool settled = iPolish ? converged : Settles(x, y);
  if (nearlySingular && !settled) {
    const int crossings = SplitFold(x, y, first);
    if (crossings == -1)
      return -1;
    if (first >= 0) {
      _recorded = first;
      return crossings > 0 ? 1 : 0;
    }
  }
  _unsettled = !converged;
  auto settle = XelMathMakeOnExit([this] { _unsettled = false; });
  const int added = AddSolution(x, y);
  if (added == 1 && nearlySingular && settled) {
    const long stored = _recorded;
    _unsettled = false;
    if (SplitFold(x, y, first) == -1)
      return -1;
    _recorded = stored;
  }
  return added;
}

long XelMathSystemXY::JoinedSolution(const double x, const double y,
                                      const bool iInsideWindow) const {
  if (!_solutions)
    return -1;
  const double* points = _solutions->GetPoints();
  const double reach = JoinReach * ((_minWidthU + _minWidthV) * 1e4);
  const double sigma = SmallestSingularValue(x, y);
  for (long i = 0; i < _solutions->GetNumberOfPoints(); ++i) {
    const double* q = points + 2 * i;
    const double dx = x - q[0], dy = y - q[1];
    const double span = std::fabs(dx) + std::fabs(dy);
    // Inside the window the written rule decides between settled points (two solutions
    // 1e-5 apart where both functions turn are two) unless the join passes the test ten
    // thousand times over (the curves agree nearly to rounding all along it).
    const double far = std::max(std::fabs(dx), std::fabs(dy));
    const double share = far < _epsAbsSmall && !iInsideWindow ? StrictJoinShare : 1.0;
    // The test holds along a stretch only where the curves meet at a small angle: the
    // Jacobian's smallest singular value times the distance within reach of the threshold
    // (evenly spaced crossings cannot pass for points of a stretch).
    if (span > reach || !(sigma * far <= JoinSlack * _epsSol))
      continue;
    // The middle first: distinct solutions fail there.
    bool joined = OnCommonStretch(q[0] + 0.5 * dx, q[1] + 0.5 * dy, span, share);
    for (int k = 1; k < JoinPoints && joined; ++k) {
      const double t = static_cast<double>(k) / JoinPoints;
      joined =
          2 * k == JoinPoints || OnCommonStretch(q[0] + t * dx, q[1] + t * dy, span, share);
    }
    if (joined)
      return i;
  }
  return -1;
}

double XelMathSystemXY::SmallestSingularValue(const double x, const double y) const {
  double fx, fy, gx, gy;
  Eval2(0, x, y, XelMathOption::FirstDeriv, nullptr, &fx, &fy);
  Eval2(1, x, y, XelMathOption::FirstDeriv, nullptr, &gx, &gy);
  // |det J| over the larger gradient: within a factor 2 of the smallest singular value.
  const double det = std::fabs(fx * gy - fy * gx);
  const double big = std::max(std::hypot(fx, fy), std::hypot(gx, gy));
  if (!Finite(det) || !Finite(big))
    return std::numeric_limits<double>::quiet_NaN();
  return big > 0.0 ? det / big : 0.0;
}

bool XelMathSystemXY::OnCommonStretch(double x, double y, const double iReach,
                                      const double iShare) const {
  // Where the curves touch to a high order their common stretch is curved and a straight
  // join leaves it: the point is first brought onto F = 0 along the gradient of F.
  const double x0 = x, y0 = y;
  double f, fx, fy, g, gx, gy;
  for (int s = 0; s < 2; ++s) {
    Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
    // A point that passes needs no projection (F's zero curve may lie where G does not).
    if (s == 0) {
      Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
      if (BothNull(x, y, f / iShare, fx, fy, g / iShare, gx, gy))
        return true;
    }
    // Within the test already: the zero curve of an F that vanishes to a high order may lie
    // far from where it passes the test.
    if (std::fabs(f) <= 0.5 * _epsSol)
      break;
    const double n2 = fx * fx + fy * fy;
    if (!Finite(f) || !(n2 > 0.0) || !Finite(n2))
      return false;
    x -= f * fx / n2;
    y -= f * fy / n2;
  }
  if (!(std::fabs(x - x0) + std::fabs(y - y0) <= iReach))
    return false;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  return BothNull(x, y, f / iShare, fx, fy, g / iShare, gx, gy);
}

bool XelMathSystemXY::Polish(double& ioX, double& ioY, double* oDoubleRoot) const {
  // Newton's steps damped by the natural monotonicity test: a step is taken when the Newton
  // step from where it lands is clearly shorter (the residual is no guide where the
  // Jacobian is nearly singular). The steps stay in the domain and move the point by at most
  // PolishReach of the domain's size in all.
  double x = ioX, y = ioY, dx = 0.0, dy = 0.0;
  if (!NewtonStepAt(x, y, dx, dy))
    return false;
  double budget = PolishReach;
  if (_domain)
    budget *= (_domain->GetX().high - _domain->GetX().low) +
              (_domain->GetY().high - _domain->GetY().low);
  const double settled = SameRootDistance * (1.0 + std::fabs(x) + std::fabs(y));
  for (int k = 0; k < PolishSteps; ++k) {
    const double step = std::max(std::fabs(dx), std::fabs(dy));
    if (step <= settled || step > budget)
      break;
    bool taken = false;
    for (double lambda = 1.0; lambda >= 0.25 && !taken; lambda *= 0.5) {
      double nx = x - lambda * dx, ny = y - lambda * dy;
      // A step may land beyond the border by its rounding (a solution on it): brought back.
      if (!IntoDomain(nx, ny))
        continue;
      double ndx = 0.0, ndy = 0.0;
      if (!NewtonStepAt(nx, ny, ndx, ndy))
        continue;
      const double ratio = std::max(std::fabs(ndx), std::fabs(ndy)) / step;
      // Full steps that halve the distance: a double root, which these steps do not settle.
      // It lies about twice the step away (the error of that guess is of the order of the
      // step squared): where and how far, for the caller.
      if (lambda == 1.0 && ratio > 0.4 && ratio < 0.6) {
        if (oDoubleRoot) {
          oDoubleRoot[0] = x - 2.0 * dx;
          oDoubleRoot[1] = y - 2.0 * dy;
          oDoubleRoot[2] = 2.0 * step;
        }
        return false;
      }
      if (!(ratio <= 1.0 - 0.5 * lambda))
        continue;
      budget -= lambda * step;
      x = nx, y = ny, dx = ndx, dy = ndy;
      taken = true;
    }
    if (!taken)
      break;
  }
  ioX = x;
  ioY = y;
  return std::max(std::fabs(dx), std::fabs(dy)) <=
         SameRootDistance * (1.0 + std::fabs(x) + std::fabs(y));
}

bool XelMathSystemXY::NewtonSettles(double& ioX, double& ioY, bool& oRegular,
                                    const double iReach) const {
  oRegular = false;
  double budget = PolishReach;
  if (_domain)
    budget *= (_domain->GetX().high - _domain->GetX().low) +
              (_domain->GetY().high - _domain->GetY().low);
  budget = std::max(budget, iReach);
  double x = ioX, y = ioY, previous = 0.0;
  // Full steps, the linear ones of a double root included.
  for (int k = 0; k < 4 * PolishSteps; ++k) {
    double dx = 0.0, dy = 0.0;
    if (!NewtonStepAt(x, y, dx, dy))
      return false;
    const double step = std::max(std::fabs(dx), std::fabs(dy));
    x -= dx;
    y -= dy;
    if (step <= SameRootDistance * (1.0 + std::fabs(x) + std::fabs(y))) {
      oRegular = k == 0 || step < 0.25 * previous;
      ioX = x;
      ioY = y;
      return true;
    }
    budget -= step;
    if (!(budget >= 0.0))
      return false;
    previous = step;
  }
  return false;
}

bool XelMathSystemXY::IntoDomain(double& ioX, double& ioY) const {
  if (!_domain)
    return true;
  const XelMathInterval X = _domain->GetX(), Y = _domain->GetY();
  const double slack = BorderSlack * (1.0 + std::fabs(ioX) + std::fabs(ioY));
  if (!(ioX >= X.low - slack && ioX <= X.high + slack && ioY >= Y.low - slack &&
        ioY <= Y.high + slack))
    return false;
  ioX = std::min(std::max(ioX, X.low), X.high);
  ioY = std::min(std::max(ioY, Y.low), Y.high);
  return true;
}

bool XelMathSystemXY::SettlesOutside(const double iX, const double iY) const {
  double x = iX, y = iY;
  bool regular = false;
  return _domain && NewtonSettles(x, y, regular) && !IntoDomain(x, y);
}

int XelMathSystemXY::SplitFold(const double x, const double y, long& oFirst) {
  oFirst = -1;
  if (!_domain || _splittingFold)
    return 0;
  // Along the zero curve of the function of larger gradient (A), the other one (B) is about
  // phi(t) = phi0 + phi1 t + phi2 t^2 / 2, t the arc from the point: the crossings are its
  // roots.
  double v[2][6];
  Eval2(0, x, y, XelMathOption::PointUpToSecond, v[0], v[0] + 1, v[0] + 2, v[0] + 3, v[0] + 4,
        v[0] + 5);
  Eval2(1, x, y, XelMathOption::PointUpToSecond, v[1], v[1] + 1, v[1] + 2, v[1] + 3, v[1] + 4,
        v[1] + 5);
  const bool fFirst = std::hypot(v[0][1], v[0][2]) >= std::hypot(v[1][1], v[1][2]);
  const double* a = v[fFirst ? 0 : 1];
  const double* b = v[fFirst ? 1 : 0];
  const double na2 = a[1] * a[1] + a[2] * a[2], na = std::sqrt(na2);
  const double vx = -a[2] / na, vy = a[1] / na;
  const double ratio = (b[1] * a[1] + b[2] * a[2]) / na2;
  const double phi0 = b[0] - ratio * a[0], phi1 = b[1] * vx + b[2] * vy;
  const double curveA = a[3] * vx * vx + 2.0 * a[4] * vx * vy + a[5] * vy * vy;
  const double curveB = b[3] * vx * vx + 2.0 * b[4] * vx * vy + b[5] * vy * vy;
  const double phi2 = curveB - ratio * curveA;
  const double discriminant = phi1 * phi1 - 2.0 * phi0 * phi2;
  // No real roots: the curves come near without crossing; roots closer than two distinct
  // solutions can be: one double solution.
  if (!Finite(discriminant) || !Finite(phi2) || phi2 == 0.0 || discriminant < 0.0)
    return 0;
  const double half = std::sqrt(discriminant) / std::fabs(phi2), middle = -phi1 / phi2;
  if (!(half > 0.5 * DistinctRootDistance * (1.0 + std::fabs(x) + std::fabs(y))))
    return 0;
  _splittingFold = true;
  auto done = XelMathMakeOnExit([this] { _splittingFold = false; });
  const XelMathInterval X = _domain->GetX(), Y = _domain->GetY();
  int count = 0;
  for (const double t : {middle - half, middle + half}) {
    double px = std::min(std::max(x + t * vx, X.low), X.high);
    double py = std::min(std::max(y + t * vy, Y.low), Y.high);
    bool regular = false;
    if (!NewtonSettles(px, py, regular, 4.0 * (std::fabs(middle) + half)) || !regular ||
        !IntoDomain(px, py))
      continue;
    double f, pfx, pfy, g, pgx, pgy;
    Eval2(0, px, py, XelMathOption::ValueAndFirst, &f, &pfx, &pfy);
    Eval2(1, px, py, XelMathOption::ValueAndFirst, &g, &pgx, &pgy);
    if (!BothNull(px, py, f, pfx, pfy, g, pgx, pgy))
      continue;
    const int added = Record(px, py, false);
    if (added == -1)
      return -1;
    if (_recorded >= 0) {
      count += added;
      if (oFirst < 0)
        oFirst = _recorded;
    }
  }
  return count;
}

bool XelMathSystemXY::Settles(const double x, const double y) const {
  double dx = 0.0, dy = 0.0;
  return NewtonStepAt(x, y, dx, dy) &&
         std::max(std::fabs(dx), std::fabs(dy)) <=
             SameRootDistance * (1.0 + std::fabs(x) + std::fabs(y));
}

bool XelMathSystemXY::NewtonStepAt(const double x, const double y, double& oDx,
                                   double& oDy) const {
  double f, fx, fy, g, gx, gy;
  Eval2(0, x, y, XelMathOption::ValueAndFirst, &f, &fx, &fy);
  Eval2(1, x, y, XelMathOption::ValueAndFirst, &g, &gx, &gy);
  return NewtonStep2(f, fx, fy, g, gx, gy, oDx, oDy);
}

int XelMathSystemXY::AddSolution(const double x, const double y) {
  _recorded = -1;
  if (!_solutions || !Finite(x) || !Finite(y))
    return 0;
  const double residual = Residual(x, y);
  if (!Finite(residual))
    return 0;
  const double p[2] = {x, y};
  double* points = _solutions->GetPoints();
  const long n = _solutions->GetNumberOfPoints();
  // Beyond the rule of the window, a point joined to a stored solution along a stretch where
  // the curves stay within the test of each other is that solution.
  // Inside the window, joins are for points Newton's steps do not settle (the ends of a
  // tangential stretch); two settled points there are the written rule's to tell apart.
  // A stored point that Newton's steps do not settle either (the end of a stretch at an
  // edge of the domain, the middle of one) is joined as well.
  bool inside = _unsettled;
  for (long i = 0; i < n && !inside; ++i)
    if (std::max(std::fabs(points[2 * i] - x), std::fabs(points[2 * i + 1] - y)) < _epsAbsSmall)
      inside = !Settles(x, y) || !Settles(points[2 * i], points[2 * i + 1]);
  const long joined = JoinedSolution(x, y, inside);
  // Two points on which Newton's steps settle, apart by more than they can leave a root, are
  // two roots whatever the written rule says (it merges them where one equation is linear
  // along the join: its directional derivatives are then null up to rounding, of either sign).
  int settledHere = -1;
  auto distinctRoots = [&](const double* q) {
    const double far = std::max(std::fabs(q[0] - x), std::fabs(q[1] - y));
    if (!(far > DistinctRootDistance * (1.0 + std::fabs(x) + std::fabs(y))))
      return false;
    if (settledHere < 0)
      settledHere = Settles(x, y) ? 1 : 0;
    return settledHere == 1 && Settles(q[0], q[1]);
  };
  for (long i = 0; i < n; ++i) {
    double* q = points + 2 * i;
    if (i != joined && (std::max(std::fabs(q[0] - x), std::fabs(q[1] - y)) >= _epsAbsSmall ||
                        AreSeparateSolutions(p, q) || distinctRoots(q)))
      continue;
    _recorded = i;
    if (residual < Residual(q[0], q[1])) {
      q[0] = x;
      q[1] = y;
      if (i < MaxSolutions)
        _radius[i] = _proved[i] = 0.0;
      return 1;
    }
    return 0;
  }
  if (n >= MaxSolutions)
    return -1;
  _radius[n] = _proved[n] = 0.0;
  _recorded = n;
  _solutions->AddPoint(p);
  return 1;
}

// ---- small cells ------------------------------------------------------------------------------

int XelMathSystemXY::TreatSmallSubDomain(const double x0, const double x1, const double y0,
                                         const double y1) {
  ++_callCount;
  if (_callCount > MaxWork)
    return 0;
  const double x = 0.5 * (x0 + x1), y = 0.5 * (y0 + y1);
  double bound[2] = {0.0, 0.0};
  for (int w = 0; w < 2; ++w) {
    double v, vx, vy, vxx, vxy, vyy;
    Eval2(w, x, y, XelMathOption::PointUpToSecond, &v, &vx, &vy, &vxx, &vxy, &vyy);
    if (!Finite(v))
      return 0;
    if (std::fabs(v) < _epsParam10) {
      bound[w] = 0.0;
      continue;
    }
    const double q = 1.0 / std::fabs(v);
    const double b =
        std::max(std::sqrt((0.5 * (std::fabs(vxx) + std::fabs(vyy)) + std::fabs(vxy)) * q),
                 (std::fabs(vx) + std::fabs(vy)) * q);
    bound[w] = (b > 0.0 && Finite(b)) ? 0.5 / b : (x1 - x0) + (y1 - y0);
  }
  if (std::max(bound[0], bound[1]) > _minWidthU + _minWidthV)
    return 0;
  double nx = x, ny = y;
  const int r = SafeNewton(nx, ny, x0, x1, y0, y1);
  if (r <= 0)
    return 2;
  return Record(nx, ny) == -1 ? -1 : 1;
}
