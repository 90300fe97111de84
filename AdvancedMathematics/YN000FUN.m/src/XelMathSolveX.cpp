// Root finder of one-variable functions: interval Newton subdivision, sampling with
// bracketed Newton-secant refinement, closed-form polynomial and trigonometric paths.
#include "XelMathSolveX.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <memory>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathConstants.h"
#include "XelMathConstraint.h"
#include "XelMathFunctionX.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathResolvedSampling.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathScratch.h"
#include "XelMathSetOfLongs.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

/// The start of a Newton solve on [a, b]: iX brought into it (a NaN start becomes a).
double ClampedStart(const double iX, const double a, const double b) {
  double x = iX;
  if (!(x >= a))
    x = a;
  if (x > b)
    x = b;
  return x;
}

/// Unit roundoff of double.
const double Unit = 0.5 * DBL_EPSILON;

/// How far apart the sizes of a and b are (the smaller one at least iFloor): their ratio when
/// both have one sign (or one is 0), 1 when [a, b] holds 0 inside.
double SizeSpread(const double a, const double b, const double iFloor) {
  if (a < 0.0 && b > 0.0)
    return 1.0;
  const double small = std::fmax(std::fmin(std::fabs(a), std::fabs(b)), iFloor);
  return std::fmax(std::fabs(a), std::fabs(b)) / small;
}

/// The geometric mean of the sizes of a and b (the smaller at least iFloor), with their sign;
/// the middle when rounding puts it outside (a, b).
double GeometricMiddle(const double a, const double b, const double iFloor) {
  const double small = std::fmax(std::fmin(std::fabs(a), std::fabs(b)), iFloor);
  const double big = std::fmax(std::fabs(a), std::fabs(b));
  const double geometric = std::copysign(std::sqrt(small) * std::sqrt(big), a + b);
  return geometric > a && geometric < b ? geometric : 0.5 * (a + b);
}

/// The point that halves [a, b]: its middle, or the geometric middle where the sizes of its
/// ends differ by more than iRatio, so that an interval of a wide domain ([0, 1e99] around
/// 0.5) shrinks by orders of magnitude, not by halves the iterations or the recursion would
/// run out of.
double HalvingPoint(const double a, const double b, const double iFloor, const double iRatio) {
  return SizeSpread(a, b, iFloor) > iRatio ? GeometricMiddle(a, b, iFloor) : 0.5 * (a + b);
}

/// Spread of sizes beyond which a bracket of the Newton solves, and an interval of the
/// subdivision (sizes below the scale counting as the scale), are halved geometrically.
const double BracketSpread = 8.0;
const double IntervalSpread = 0x1p20;

/// A bracket closed on a point whose value is at most this part of the values at its first
/// ends holds a root (the value is rounding), not a jump.
const double ClosedBracketValue = 1e-3;

/// Distance, in root acceptance widths, of the probes of the pole test, and of its far probes
/// in those distances.
const double PoleProbe = 8.0;
const double PoleReach = 1e3;

/// Whether iX, where iF has the value iFx, lies on a pole rather than on a root: a point
/// within iEpsRoot of a pole passes the tangent test of a root (the zero of the tangent of
/// c / x^k lies within x / k), but its value is far larger than at points a few widths away,
/// where a root's neighbours are larger than its own value.
bool OnPole(const XelMathFunctionX* iF, double iX, double iFx, double iEpsRoot) {
  if (!(std::fabs(iFx) > iEpsRoot))
    return false;
  const double step = PoleProbe * iEpsRoot;
  const double around = std::fmax(std::fabs(iF->Eval(iX - step)), std::fabs(iF->Eval(iX + step)));
  if (!(std::fabs(iFx) > 2.0 * around + iEpsRoot))
    return false;
  // Near a pole the values keep falling farther away; near a root whose values are rounding
  // (a polynomial of high degree by its coefficients) they rise, the slope taking over.
  const double far = PoleReach * step;
  return std::fmax(std::fabs(iF->Eval(iX - far)), std::fabs(iF->Eval(iX + far))) < around;
}

/// Recursion guard of the interval strategy (each split at least halves the interval, so
/// a sane function never comes close).
const long MaxRecursionDepth = 200;

/// Largest ratio of the bounds of |f''| over an interval on which the interval strategy
/// settles f from its single extremum.
const double MaxCurvatureRatio = 4.0;

/// The single-extremum test is tried on the first ExtremumTrial intervals of a run, then only
/// while it settles at least one interval out of ExtremumHitRatio.
const long ExtremumTrial = 16;
const long ExtremumHitRatio = 4;

/// The single-extremum test is tried on intervals narrower than this many minimum widths
/// (wider ones nearly always hold an inflection of f).
const double ExtremumWidth = 10.0;

/// Sample points evaluated by one batch call of the sampling strategy.
const long SamplingBatch = 64;

/// Splits below the minimum width allowed in one run of the interval strategy.
const long MaxNarrowSplits = 100000;

/// Iterations of the polynomial root refinement (bisection alone needs about 60 in
/// double precision; Newton steps make it far fewer).
const long MaxPolynomialIterations = 200;

/// Degree above which the roots of a polynomial are not found from those of its derivatives
/// (a cost of about 10 d^2 operations or more: 2 s at this degree, hours at a million).
const long MaxCascadeDegree = 16384;

/// Coefficient operations allowed to the sampling of a polynomial of higher degree.
const double HighDegreeWork = 2e9;

using DoubleBuffer = XelMathGrowableDoubles<128>;

/// Sorted list of doubles appended in increasing order (equal neighbours are dropped).
class SortedList {
public:
  SortedList() : _count(0) {}
  void Clear() { _count = 0; }
  void Append(double x) {
    if (_count > 0 && !(x > _buffer[_count - 1]))
      return;
    _buffer.Reserve(2 * _count + 8, _count);
    _buffer[_count++] = x;
  }
  long Count() const { return _count; }
  double operator[](long i) { return _buffer[i]; }
  void Swap(SortedList& ioOther) {
    // Exchanges contents through a copy: the lists are short.
    DoubleBuffer tmp;
    long n = _count;
    tmp.Reserve(n, 0);
    for (long i = 0; i < n; ++i)
      tmp[i] = _buffer[i];
    _count = 0;
    for (long i = 0; i < ioOther._count; ++i)
      Append(ioOther._buffer[i]);
    ioOther._count = 0;
    for (long i = 0; i < n; ++i)
      ioOther.Append(tmp[i]);
  }

private:
  DoubleBuffer _buffer;
  long _count;
};

/// Horner value and derivative of sum c[k] t^k (k = 0..n), with a running bound of the
/// rounding error of the value (Higham's running error analysis) and of the effect of
/// one rounding of each coefficient.
struct PolyValue {
  double value;
  double deriv;
  double noise;
};

PolyValue EvalPoly(const double* c, long n, double t) {
  PolyValue r;
  double y = c[n];
  double dy = 0.0;
  double at = std::fabs(t);
  double mu = 0.5 * std::fabs(y);
  double abs = std::fabs(y);
  for (long k = n - 1; k >= 0; --k) {
    dy = dy * t + y;
    y = y * t + c[k];
    mu = mu * at + std::fabs(y);
    abs = abs * at + std::fabs(c[k]);
  }
  r.value = y;
  r.deriv = dy;
  r.noise = 2.0 * Unit * (2.0 * mu - std::fabs(y)) + 2.0 * Unit * abs;
  return r;
}

/// The same with the value by compensated Horner: the rounding error of each product and sum
/// is recovered exactly (fma, Knuth's two-sum) and summed in a second Horner pass, so the
/// value is as accurate as one evaluated in twice the precision and rounded. Its noise is
/// then the rounding of the result, the second-order bound of the compensated scheme and,
/// as before, one rounding of each coefficient. Used where the coefficients are the caller's,
/// and only where the plain value is within its noise (its sign in doubt): elsewhere the plain
/// value is returned.
PolyValue EvalPolyCompensated(const double* c, long n, double t) {
  PolyValue r = EvalPoly(c, n, t);
  if (!(std::fabs(r.value) <= r.noise))
    return r;
  double y = c[n], e = 0.0, dy = 0.0;
  const double at = std::fabs(t);
  double abs = std::fabs(y);
  for (long k = n - 1; k >= 0; --k) {
    dy = dy * t + y;
    const double product = y * t;
    const double productError = std::fma(y, t, -product);
    const double sum = product + c[k];
    const double back = sum - product;
    const double sumError = (product - (sum - back)) + (c[k] - back);
    y = sum;
    e = e * t + (productError + sumError);
    abs = abs * at + std::fabs(c[k]);
  }
  r.value = y + e;
  r.deriv = dy;
  const double twoN = 2.0 * static_cast<double>(n);
  const double gamma = twoN * Unit / (1.0 - twoN * Unit);
  r.noise = Unit * std::fabs(r.value) + 2.0 * gamma * gamma * abs + 2.0 * Unit * abs;
  return r;
}

/// Taylor coefficients T1, T2, T3 of sum c[k] t^k at t0 (first derivative, half the second,
/// a sixth of the third), by nested Horner passes.
void TaylorAt(const double* c, long n, double t0, double& oT1, double& oT2, double& oT3) {
  double b0 = c[n], b1 = 0.0, b2 = 0.0, b3 = 0.0;
  for (long k = n - 1; k >= 0; --k) {
    b3 = b3 * t0 + b2;
    b2 = b2 * t0 + b1;
    b1 = b1 * t0 + b0;
    b0 = b0 * t0 + c[k];
  }
  oT1 = b1;
  oT2 = b2;
  oT3 = b3;
}

/// The root of sum c[k] t^k in [iLo, iHi] where the values at the ends have opposite
/// signs (iFlo is the value at iLo): safeguarded Newton with bisection, down to the
/// resolution of double.
double RefinePolyRoot(const double* c, long n, double iLo, double iHi, double iFlo, double iFloor,
                      bool iCompensated = false) {
  double lo = iLo, hi = iHi;
  const bool loNegative = iFlo < 0.0;
  double x = 0.5 * (lo + hi);
  double dxOld = hi - lo;
  double dx = dxOld;
  for (long it = 0; it < MaxPolynomialIterations; ++it) {
    PolyValue v = iCompensated ? EvalPolyCompensated(c, n, x) : EvalPoly(c, n, x);
    // An overflowed value still has a sign (the bracket goes on); only NaN stops.
    if (v.value == 0.0 || std::isnan(v.value))
      return x;
    if ((v.value < 0.0) == loNegative)
      lo = x;
    else
      hi = x;
    const double tol = 2.0 * Unit * std::fabs(x) + iFloor;
    if (hi - lo <= tol)
      return x;
    const double xn = v.deriv != 0.0 ? x - v.value / v.deriv : lo - 1.0;
    if (xn > lo && xn < hi && std::fabs(2.0 * (x - xn)) <= std::fabs(dxOld)) {
      dxOld = dx;
      dx = xn - x;
      x = xn;
      if (std::fabs(dx) <= tol) {
        // One more step would not move beyond the resolution.
        return x;
      }
    } else {
      dxOld = dx;
      dx = 0.5 * (hi - lo);
      x = lo + dx;
    }
  }
  return x;
}

/// Candidate roots of the closed-form trigonometric path beyond which a domain is refused
/// (about ten million periods).
const double MaxTrigonometricCandidates = 2e7;

/// Number of doubles in [lo, hi] (finite ends, lo <= hi), from their ordered bit patterns.
double DoublesBetween(double lo, double hi) {
  auto ordered = [](double x) {
    long long bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits < 0 ? -(bits & 0x7fffffffffffffffLL) : bits;
  };
  return static_cast<double>(ordered(hi)) - static_cast<double>(ordered(lo)) + 1.0;
}

} // namespace

// ---- construction and settings ------------------------------------------------------------

XelMathSolveX::XelMathSolveX(const XelMathFunctionX* iFunction, const XelTolerance& iTol)
    : _function(iFunction), _domainLow(0.0), _domainHigh(0.0), _roots(nullptr), _sampling(15),
      _samplingGiven(0), _resolveSampling(0), _polynomialRun(0), _constraint(nullptr), _minimumWidth(0.0),
      _absoluteTolerance(0.0), _toleranceGiven(0),
      _noSecondOption(iFunction && iFunction->IsOption(XelMathOption::FirstDeriv) ? 0 : 1),
      _notAllNull(0), _checkExtremities(0), _oldNewtonWithInit(0), _dichotomy(0),
      _dichotomySteps(-1), _dichotomyStart(-1), _tolerance(&iTol), _epsRoot(0.0),
      _derivativeThreshold(0.0), _scaleReviewed(0), _unreviewedCount(0), _running(0), _scale(0.0),
      _relativeEps(0.0), _bisectionEps(0.0), _pointRes(0.0), _rootsSorted(1), _mergeZones(0),
      _mergeRadius(0.0), _narrowSplits(0), _secondImage(0), _extremumTries(0), _extremumHits(0) {
  ReadTolerance();
  const double r = _tolerance->GetRootResolution();
  _absoluteTolerance = 1000.0 * r;
  _epsRoot = 1000.0 * r;
  _derivativeThreshold = 1000.0 * _relativeEps;
}

XelMathSolveX::~XelMathSolveX() = default;

void XelMathSolveX::ReadTolerance() {
  _scale = _tolerance->GetScaleFactor();
  _relativeEps = _tolerance->GetRelativeEpsilon();
  _bisectionEps = _tolerance->GetBisectionEpsilon();
  _pointRes = _tolerance->GetPointResolution();
}

void XelMathSolveX::SetSamplingValue(long iNbPoints) {
  _samplingGiven = 1;
  _sampling = XelMathAnalysisScaling::CheckedSampling(iNbPoints, AttrFunctionXSamplingPoints,
                                                      "XelMathSolveX::SetSamplingValue");
}

void XelMathSolveX::SetTolerance(double iTolerance, unsigned char iGiven, unsigned char iReviewed) {
  _absoluteTolerance = XelMathAnalysisScaling::CheckedWidth(
      iTolerance, AttrFunctionXAbsoluteTolerance, "XelMathSolveX::SetTolerance");
  _toleranceGiven = iGiven;
  if (!iReviewed)
    ++_unreviewedCount;
}

void XelMathSolveX::SetEpsRoot(double iEpsRoot, unsigned char iReviewed) {
  XelMathAnalysisScaling::CheckedWidth(iEpsRoot, AttrFunctionXEpsRoot, "XelMathSolveX::SetEpsRoot");
  if (_epsRoot != 0.0)
    _derivativeThreshold = _derivativeThreshold * iEpsRoot / _epsRoot;
  _epsRoot = iEpsRoot;
  if (!iReviewed)
    ++_unreviewedCount;
}

void XelMathSolveX::SetDichotomy(unsigned char iOn, long iSteps, long iStart) {
  _dichotomy = 0;
  _dichotomySteps = -1;
  _dichotomyStart = -1;
  const long budget = 2 * XelMaxNewtonIteration;
  // iSteps + iStart - 1 < budget, written so that no count near LONG_MAX overflows.
  if (iOn && iSteps >= 1 && iStart >= 0 && iStart < budget && iSteps - 1 < budget - iStart) {
    _dichotomy = 1;
    _dichotomySteps = iSteps;
    _dichotomyStart = iStart;
  }
}

// ---- tests ------------------------------------------------------------------------------------

unsigned char XelMathSolveX::IsNull(const double& x, const double& iF, double& oF2,
                                    const double* iDeriv) {
  if (_toleranceGiven) {
    oF2 = iF * iF;
    return oF2 < _absoluteTolerance * _absoluteTolerance ? 1 : 0;
  }
  return IsRoot(x, iF, oF2, iDeriv);
}

unsigned char XelMathSolveX::IsRoot(const double&, const double& iF, double& oF2,
                                    const double* iDeriv) {
  oF2 = iF * iF;
  const double e2 = _epsRoot * _epsRoot;
  // f^2 < EpsRoot^2 (1 + f'^2), without the square of a steep slope overflowing; an infinite
  // slope would pass any value (a point beside an overflow is no root).
  if (iDeriv && std::isfinite(*iDeriv))
    return std::fabs(iF) < _epsRoot * std::hypot(1.0, *iDeriv) ? 1 : 0;
  return oF2 < e2 ? 1 : 0;
}

int XelMathSolveX::AddRoot(double x) {
  if (!_roots || !std::isfinite(x))
    return 0;
  if (_constraint && !_constraint->IsAdmissible(XelMathInterval(x, x)))
    return 0;
  if (_function) {
    // A point where the function is NaN or infinite, or that lies on a pole, is no root.
    // A polynomial has no pole, and its value at a root of a high degree is rounding that may
    // well exceed its values beside it (T_40 at 0.938: 1e-2): the pole test is for the others.
    const double fx = _function->Eval(x);
    if (!std::isfinite(fx) || (!_polynomialRun && OnPole(_function, x, fx, _epsRoot)))
      return 0;
  }
  const double* points = _roots->GetPoints();
  const long n = _roots->GetNumberOfPoints();
  auto close = [&](double r) { return std::fabs(x - r) < _pointRes * (_scale + std::fabs(r)); };
  double f2;
  long below = -1, above = -1; // nearest roots on each side of x
  if (_rootsSorted && n > 8) {
    // Sorted roots: only the neighbours of x can be within the point resolution of it.
    long lo = 0, hi = n; // first root not below x
    while (lo < hi) {
      const long m = lo + (hi - lo) / 2;
      if (points[m] < x)
        lo = m + 1;
      else
        hi = m;
    }
    for (long i = lo - 2; i <= lo + 1; ++i)
      if (i >= 0 && i < n && close(points[i]))
        return 0;
    below = lo - 1;
    above = lo < n ? lo : -1;
  } else {
    for (long i = 0; i < n; ++i) {
      if (close(points[i]))
        return 0;
      if (points[i] < x && (below < 0 || points[i] > points[below]))
        below = i;
      if (points[i] > x && (above < 0 || points[i] < points[above]))
        above = i;
    }
  }
  if (_mergeZones && _function) {
    // A multiple root is null on a whole zone around it, and candidates from different
    // brackets may land anywhere in it: x is the root r already found when the function is
    // null half-way and does not rise there above its values at x and r (between two distinct
    // roots |f| has a maximum).
    for (long i : {below, above}) {
      if (i < 0 || !(std::fabs(points[i] - x) < _mergeRadius))
        continue;
      const double r = points[i], half = 0.5 * (x + r);
      const double fx = _function->Eval(x), fr = _function->Eval(r), fh = _function->Eval(half);
      if (IsNull(half, fh, f2) && std::fabs(fh) <= std::fmax(std::fabs(fx), std::fabs(fr))) {
        // Keep the better of the two when the order of the set allows it.
        const bool ordered = (i == 0 || points[i - 1] < x) && (i == n - 1 || x < points[i + 1]);
        if (std::fabs(fx) < std::fabs(fr) && ordered)
          _roots->GetPoints()[i] = x;
        return 0;
      }
    }
  }
  if (n > 0 && !(x > points[n - 1]))
    _rootsSorted = 0;
  _roots->AddPoint(&x);
  return 0;
}

int XelMathSolveX::IsAllNull() {
  if (_notAllNull)
    return 0;
  const double a = _domainLow, b = _domainHigh;
  for (long k = 0; k <= 10; ++k) {
    const double x = k == 10 ? b : a + k * (b - a) / 10.0;
    const double f = _function->Eval(x);
    double f2;
    if (!IsNull(x, f, f2)) {
      _notAllNull = 1;
      return 0;
    }
  }
  return 1;
}

void XelMathSolveX::EvalMode(double x, long iMode, double& oValue, double& oDeriv) const {
  if (iMode == 0)
    _function->Eval(x, XelMathOption::ValueAndFirst, &oValue, &oDeriv, nullptr);
  else
    _function->Eval(x, XelMathOption::FirstAndSecond, nullptr, &oValue, &oDeriv);
}

// ---- entry points -------------------------------------------------------------------------

void XelMathSolveX::Initialize(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioRoots) {
  if (ioRoots.GetDimension() != 1)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "1",
                 "XelMathSolveX::Run");
  _domainLow = iDomain.low;
  _domainHigh = iDomain.high;
  _roots = &ioRoots;
  ioRoots.Reset();
  _rootsSorted = 1;
  _mergeZones = 0;
  _narrowSplits = 0;
  XelMathSolveXParallelDebug(iDomain);
}

void XelMathSolveX::XelMathSolveXParallelDebug(const XelMathInterval& iDomain) const {
  if (!XelMathSolveAndMinimizeDebug_UnReviewedControl() || _scale == 1.0 || _scaleReviewed ||
      !_function || !std::isfinite(iDomain.low) || !std::isfinite(iDomain.high))
    return;
  // Debug trace of a solve on a scaled model whose values were not reviewed.
  const double width = (iDomain.high - iDomain.low) / _scale;
  XelQuorOutput& err = XelQuorOutput::GetErr();
  err << "XelMathSolveX::Initialize "
      << " Width:" << width << " FMin:" << _function->Eval(iDomain.low)
      << " FMid:" << _function->Eval(0.5 * (iDomain.low + iDomain.high))
      << " FMax:" << _function->Eval(iDomain.high) << "\n";
}

int XelMathSolveX::Run(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioRoots) {
  Initialize(iDomain, ioRoots);
  _running = 1;
  _notAllNull = 0;
  _mergeZones = 1;
  _mergeRadius = XelMinWidth * (iDomain.high - iDomain.low);
  int status = XelMathStatus::Refused;
  if (_function && iDomain.low <= iDomain.high && std::isfinite(iDomain.low) &&
      std::isfinite(iDomain.high)) {
    if (_function->IsOption(XelMathOption::ImageAndFirst)) {
      _secondImage = _function->IsOption(XelMathOption::SecondDerivImage);
      _extremumTries = _extremumHits = 0;
      _minimumWidth = XelMinWidth * (iDomain.high - iDomain.low);
      status = RSolve(iDomain, 0);
    } else {
      _resolveSampling = !_samplingGiven;
      status = DSolve(iDomain, _sampling);
    }
  } else if (!_function) {
    XelQuornull(__FILE__, __LINE__); // an invalid object: reported, nothing to solve
    status = XelMathStatus::Done;
  }
  ioRoots.Beginning();
  _running = 0;
  return status;
}

// ---- interval Newton strategy ---------------------------------------------------------------

int XelMathSolveX::RSolve(const XelMathInterval& iI, long iDepth) {
  const double a = iI.low, b = iI.high;
  if (a > b)
    return XelMathStatus::Refused;
  if (!(a <= b) || iDepth > MaxRecursionDepth)
    return XelMathStatus::Done; // NaN ends or a runaway recursion: nothing more to find here
  if (_constraint && !_constraint->IsAdmissible(iI))
    return XelMathStatus::Done;
  const double mid = HalvingPoint(a, b, _scale, IntervalSpread);
  double f2;
  const XelMathInterval F = _function->Eval(iI);
  const double dist = F.DistanceTo(0.0);
  if (dist > 0.0 && !IsNull(mid, dist, f2))
    return XelMathStatus::Done;
  if (!(F.low == F.low) || !(F.high == F.high))
    return XelMathStatus::Done; // no usable image
  if (IsNull(mid, F.low, f2) && IsNull(mid, F.high, f2) && IsAllNull())
    return XelMathStatus::NullFunction;
  const XelMathInterval D = _function->EvalFirstDeriv(iI);

  if (iDepth == 0 && _checkExtremities) {
    double fa, da, fb, db;
    _function->Eval(a, XelMathOption::ValueAndFirst, &fa, &da, nullptr);
    if (IsRoot(a, fa, f2, &da))
      AddRoot(a);
    _function->Eval(b, XelMathOption::ValueAndFirst, &fb, &db, nullptr);
    if (IsRoot(b, fb, f2, &db))
      AddRoot(b);
  }

  const bool monotone = D.DistanceTo(0.0) > _relativeEps * (D.Norm() + 1.0);
  if (monotone) {
    const double m = mid;
    const double fm = _function->Eval(m);
    const XelMathInterval q = fm / D;
    XelMathInterval N(m - q.high, m - q.low);
    if (N.low < a)
      N.low = a;
    if (N.high > b)
      N.high = b;
    if (!(N.low == N.low) || !(N.high == N.high))
      return XelMathStatus::Done;
    if (N.high - N.low < _relativeEps * (_scale + N.Norm())) {
      double x = 0.5 * (N.low + N.high);
      if (x < a)
        x = a;
      if (x > b)
        x = b;
      double fx, dx;
      _function->Eval(x, XelMathOption::ValueAndFirst, &fx, &dx, nullptr);
      if (dx != 0.0) {
        const double xn = x - fx / dx;
        if (xn >= a && xn <= b) {
          x = xn;
          _function->Eval(x, XelMathOption::ValueAndFirst, &fx, &dx, nullptr);
        }
      }
      if (IsRoot(x, fx, f2, &dx))
        return AddRoot(x);
    }
    if (N.low > N.high)
      return XelMathStatus::Done;
    return SolveMonotone(N);
  }

  if (_secondImage && std::isfinite(F.low) && std::isfinite(F.high) && std::isfinite(D.low) &&
      std::isfinite(D.high) && b - a < ExtremumWidth * _minimumWidth &&
      (_extremumTries < ExtremumTrial || _extremumHits * ExtremumHitRatio >= _extremumTries)) {
    // Where f'' keeps one sign, f' is monotone: f has at most one extremum and two roots,
    // found from the two ends and the root of f' instead of splitting on (near a double root
    // the splits would only close in on it geometrically). Only where f'' varies little, so
    // that f is close to its quadratic model and the Newton solves converge at once; a solve
    // that does not converge hands the interval back to the subdivision. Where f'' keeps
    // showing both signs (the image of f'' is computed for nothing), the test is given up for
    // the rest of the run.
    const XelMathInterval D2 = _function->EvalSecondDeriv(iI);
    const double d2Low = std::fabs(D2.low), d2High = std::fabs(D2.high);
    ++_extremumTries;
    if (D2.DistanceTo(0.0) > _relativeEps * (D2.Norm() + 1.0) &&
        std::fmax(d2Low, d2High) <= MaxCurvatureRatio * std::fmin(d2Low, d2High) &&
        SolveOneExtremum(iI)) {
      ++_extremumHits;
      return XelMathStatus::Done;
    }
  }

  if (b - a < _minimumWidth) {
    // Narrower than the minimum width: the two ends settle a double root or a cluster within
    // tolerance, but an interval where the function is far from 0 at the middle may still
    // hold several simple roots (oscillations), so it is split on, down to the bisection
    // resolution and within a budget of such splits.
    const double floorWidth = 64.0 * _bisectionEps * (_scale + std::fabs(a) + std::fabs(b));
    if (b - a < floorWidth || ++_narrowSplits > MaxNarrowSplits)
      return Solve_MaxDepth(iI);
    const double fmid = _function->Eval(mid);
    if (!std::isfinite(fmid) || IsNull(mid, fmid, f2))
      return Solve_MaxDepth(iI);
  }

  // Not monotone: split where the derivative bounds allow roots.
  double m = mid;
  double fm = _function->Eval(m);
  if (IsNull(m, fm, f2)) {
    bool taken = false;
    double mm = m;
    for (int k = 0; k < 10; ++k) {
      mm = 0.9 * mm + 0.1 * a;
      const double fmm = _function->Eval(mm);
      if (k < 9 && !IsNull(mm, fmm, f2)) {
        m = mm;
        fm = fmm;
        taken = true;
        break;
      }
    }
    if (!taken) {
      if (IsAllNull())
        return XelMathStatus::NullFunction;
      m = mid;
      fm = _function->Eval(m);
    }
  }
  if (std::isnan(fm))
    return XelMathStatus::Done;

  const double dl = D.low, dh = D.high;
  int result = 0;
  if (!std::isfinite(dl) || !std::isfinite(dh) || !std::isfinite(F.low) || !std::isfinite(F.high) ||
      !std::isfinite(fm)) {
    // Unbounded images, or a value at the middle that overflows: a pole may lie inside,
    // across which the function is not continuous and the derivative bounds tell nothing
    // about where its roots are. Plain halves.
    if (RSolve(XelMathInterval(a, mid), iDepth + 1) == 1)
      result = 1;
    if (RSolve(XelMathInterval(mid, b), iDepth + 1) == 1)
      result = 1;
    return result;
  }
  if (fm < 0.0) {
    if (dl < 0.0 && RSolve(XelMathInterval(a, m - fm / dl), iDepth + 1) == 1)
      result = 1;
    if (dh > 0.0 && RSolve(XelMathInterval(m - fm / dh, b), iDepth + 1) == 1)
      result = 1;
  } else {
    if (dh > 0.0 && RSolve(XelMathInterval(a, m - fm / dh), iDepth + 1) == 1)
      result = 1;
    if (dl < 0.0 && RSolve(XelMathInterval(m - fm / dl, b), iDepth + 1) == 1)
      result = 1;
  }
  return result;
}

bool XelMathSolveX::SolveOneExtremum(const XelMathInterval& iI) {
  const double a = iI.low, b = iI.high;
  double fa, da, fb, db, f2;
  _function->Eval(a, XelMathOption::ValueAndFirst, &fa, &da, nullptr);
  _function->Eval(b, XelMathOption::ValueAndFirst, &fb, &db, nullptr);
  if (!std::isfinite(fa) || !std::isfinite(da) || !std::isfinite(fb) || !std::isfinite(db))
    return false;
  // A null end may hide a second root beside it (its value is taken as 0 by the sign tests):
  // such intervals are left to the subdivision.
  if (IsNull(a, fa, f2, &da) || IsNull(b, fb, f2, &db))
    return false;
  return SolvePair(a, fa, da, b, fb, db);
}

int XelMathSolveX::Solve_MaxDepth(const XelMathInterval& iI) {
  DSolve(iI, 2);
  return 0;
}

int XelMathSolveX::SolveMonotone(const XelMathInterval& iI) {
  const double a = iI.low, b = iI.high;
  const double fa = _function->Eval(a);
  const double fb = _function->Eval(b);
  double f2;
  if (fa * fb < 0.0) {
    // Only a point that passed the root test is offered: a sign change may be a pole or a jump.
    double x = 0.5 * (a + b);
    if (SolveNewton(iI, fa, fb, 0, x) == 0)
      AddRoot(x);
  } else if (IsRoot(a, fa, f2)) {
    AddRoot(a);
  } else if (IsRoot(b, fb, f2)) {
    AddRoot(b);
  }
  return 0;
}

// ---- sampling strategy ----------------------------------------------------------------------

int XelMathSolveX::DSolve(const XelMathInterval& iI, long iNbPoints) {
  const double a = iI.low, b = iI.high;
  if (a > b)
    return XelMathStatus::Refused;
  if (!(a <= b))
    return XelMathStatus::Done;
  long n = iNbPoints > 1 ? iNbPoints : 1;
  long nbNull = 0, taken = 0;
  double f2;
  double x0 = a, f0 = 0.0, d0 = 0.0;
  // Each sample is tested as a root, then paired with the one before. Samples that follow
  // one another in a zone where f is null (a root of high order, a flat stretch) are one
  // root there: the one of least |f| is kept.
  bool lastRoot = false;
  double lastRootValue = 0.0;
  auto take = [&](const double xi, double f, const double d) {
    bool root = false;
    if (IsNull(xi, f, f2, &d)) {
      ++nbNull;
      if (IsRoot(xi, f, f2, &d)) {
        const long count = _roots ? _roots->GetNumberOfPoints() : 0;
        if (lastRoot && count > 0) {
          if (std::fabs(f) < lastRootValue) {
            _roots->GetPoints()[count - 1] = xi;
            lastRootValue = std::fabs(f);
          }
          root = true;
        } else {
          AddRoot(xi);
          root = _roots && _roots->GetNumberOfPoints() > count;
          lastRootValue = std::fabs(f);
        }
        f = 0.0;
      }
    }
    lastRoot = root;
    if (taken++ > 0)
      SolvePair(x0, f0, d0, xi, f, d);
    x0 = xi;
    f0 = f;
    d0 = d;
  };
  if (_resolveSampling && n > 1) {
    // The run's own sampling: its steps halved until they resolve the function.
    _resolveSampling = 0;
    XelMathResolvedSampling samples(_function, 0);
    const bool complete = samples.Resolve(a, b, n, _toleranceGiven ? _absoluteTolerance : _epsRoot);
    n = samples.GetCount();
    for (long k = 0; k < n; ++k)
      take(samples.GetX()[k], samples.GetG()[k], samples.GetSlope()[k]);
    if (nbNull == n)
      return XelMathStatus::NullFunction;
    return complete ? XelMathStatus::Done : XelMathStatus::NotConverged;
  }
  const double h = n > 1 ? (b - a) / static_cast<double>(n - 1) : 0.0;
  double x = a;
  // The samples go to the function by batches: x0 = a, each next one h further, the last
  // exactly b.
  double xs[SamplingBatch], fs[SamplingBatch], ds[SamplingBatch];
  for (long start = 0; start < n; start += SamplingBatch) {
    const long m = n - start < SamplingBatch ? n - start : SamplingBatch;
    for (long j = 0; j < m; ++j) {
      if (start + j == n - 1 && n > 1)
        x = b;
      xs[j] = x;
      x = x + h;
    }
    _function->EvalPoints(m, xs, XelMathOption::ValueAndFirst, fs, ds, nullptr);
    for (long j = 0; j < m; ++j)
      take(xs[j], fs[j], ds[j]);
  }
  return nbNull == n ? 1 : 0;
}

bool XelMathSolveX::SolvePair(double x0, double f0, double d0, double x, double f, double d) {
  double f2;
  const XelMathInterval pair(x0, x);
  bool converged = true;
  if (f0 * f < 0.0) {
    double xr = 0.5 * (x0 + x);
    if (SolveNewton(pair, f0, f, 0, xr) == 0)
      AddRoot(xr);
    else
      converged = false;
  } else if (d0 * d < 0.0 && d * f > 0.0) {
    // An extremum between the samples that turns towards 0.
    double xc = 0.5 * (x0 + x);
    converged = SolveNewton(pair, d0, d, 1, xc) == 0;
    const double fc = _function->Eval(xc);
    const bool crossing = fc * f < 0.0;
    bool doubleRoot = IsRoot(xc, fc, f2) != 0;
    if (doubleRoot && crossing) {
      // Two sign changes: the roots lie about sqrt(2 |f| / |f''|) on each side of the
      // extremum. They are kept apart when they are further than EpsRoot from each
      // other and the value at the extremum is not rounding noise: that noise shows in
      // the changes of f over steps far too small for its curvature to matter.
      double dc, d2c;
      EvalMode(xc, 1, dc, d2c);
      const double delta = d2c != 0.0 ? std::sqrt(2.0 * std::fabs(fc) / std::fabs(d2c)) : 0.0;
      if (delta > _epsRoot) {
        const double step = std::fmax(1e-3 * delta, 8.0 * DBL_EPSILON * std::fabs(xc));
        const double noise = std::fmax(std::fabs(_function->Eval(xc - step) - fc),
                                       std::fabs(_function->Eval(xc + step) - fc));
        if (std::fabs(fc) > 4.0 * noise)
          doubleRoot = false;
      }
    }
    if (doubleRoot) {
      AddRoot(xc); // a double root
    } else if (crossing) {
      // Two roots. Brackets narrowed by the quadratic model at the extremum (roots near
      // xc -+ sqrt(2 |f| / |f''|)) keep the iterations away from the flat bottom, where
      // tiny values would stop them early.
      double dc, d2c;
      EvalMode(xc, 1, dc, d2c);
      double la = x0, lfa = f0, rb = x, rfb = f;
      if (d2c != 0.0) {
        const double delta = 2.0 * std::sqrt(2.0 * std::fabs(fc) / std::fabs(d2c));
        if (xc - delta > x0) {
          const double v = _function->Eval(xc - delta);
          if (v * fc < 0.0) {
            la = xc - delta;
            lfa = v;
          }
        }
        if (xc + delta < x) {
          const double v = _function->Eval(xc + delta);
          if (v * fc < 0.0) {
            rb = xc + delta;
            rfb = v;
          }
        }
      }
      double xl = 0.5 * (la + xc);
      if (SolveNewton(XelMathInterval(la, xc), lfa, fc, 0, xl) == 0)
        AddRoot(xl);
      else
        converged = false;
      double xr = 0.5 * (xc + rb);
      if (SolveNewton(XelMathInterval(xc, rb), fc, rfb, 0, xr) == 0)
        AddRoot(xr);
      else
        converged = false;
    }
  }
  return converged;
}

// ---- Newton iterations --------------------------------------------------------------------

int XelMathSolveX::SolveNewton(const XelMathInterval& iI, double iFa, double iFb, long iMode,
                               double& ioX) {
  double a = iI.low, b = iI.high;
  double fa = iFa, fb = iFb;
  // The bracket is closed when narrower than the bisection resolution of its start, or of its
  // own ends: a bracket from a wide domain (samples 1e14 apart) shrinks to the resolution of
  // the point it holds, not to a fixed 1e-13 of its first width (14 there, where f = 4).
  const double firstWidth = (_scale + (b - a)) * _bisectionEps;
  auto closed = [&]() {
    return b - a < std::fmin(firstWidth,
                             (_scale + std::fmax(std::fabs(a), std::fabs(b))) * _bisectionEps);
  };
  // A point whose value exceeds in size the values at both ends of the bracket lies on a pole
  // (a sign change through infinity), however close its tangent's zero.
  const double endSize = std::fmax(std::fabs(iFa), std::fabs(iFb));
  auto secantAllowed = [&]() {
    return fa != fb && std::fabs(fa - fb) >= _relativeEps * (_scale + std::fabs(fa)) &&
           fa * fb <= 0.0;
  };
  if (fa == 0.0) {
    ioX = a;
    return 0;
  }
  if (fb == 0.0) {
    ioX = b;
    return 0;
  }
  bool allowed = secantAllowed();
  bool useSecant = allowed;
  double newtonX = ioX;
  double x = ioX;
  double previousQ = 0.0;
  bool lastAccepted = false;
  bool dichotomyUsed = false;
  // The bracket's widths one and two iterations back: a bracket that has not halved in two
  // iterations is bisected (secant steps that keep one end, on a steep convex stretch, would
  // otherwise creep along and spend the budget short of the root).
  double widthBefore = b - a, widthBeforeThat = b - a;
  long budget = 2 * XelMaxNewtonIteration;
  long iteration = 0; // iterations done since the start (or the dichotomy)
  for (long k = 0; k < budget; ++k, ++iteration) {
    x = useSecant ? (a * fb - b * fa) / (fb - fa) : newtonX;
    if (!(x >= a && x <= b)) // the secant point of a degenerate bracket, or NaN
      x = HalvingPoint(a, b, _scale * _bisectionEps, BracketSpread);
    // Ends of sizes far apart (beyond the scale): Newton's steps from far out only halve x.
    if (SizeSpread(a, b, _scale) > IntervalSpread)
      x = GeometricMiddle(a, b, _scale);
    double value, deriv;
    EvalMode(x, iMode, value, deriv);
    double testDeriv = deriv;
    if (iMode != 0 && _noSecondOption)
      testDeriv = 10.0 * deriv;
    const double q = value * value;
    double f2;
    lastAccepted = IsRoot(x, value, f2, &testDeriv) != 0 && !(std::fabs(value) > endSize);
    if (q == 0.0) {
      ioX = x;
      return 0;
    }
    if (iteration > 0 && lastAccepted && !(q < previousQ)) {
      ioX = x;
      return 0;
    }
    previousQ = q;
    if (closed()) {
      // The bracket is closed: a root when the point passes the root test, or when its value
      // is a tiny part of the values at the ends (rounding above the root test: a polynomial
      // of degree 30 by its coefficients near 0.95, 5e-6 for ends of 1); a pole or a jump of
      // the function otherwise.
      ioX = x;
      return lastAccepted || std::fabs(value) <= ClosedBracketValue * endSize ? 0 : 7;
    }
    if (_dichotomy && !dichotomyUsed && k == _dichotomyStart) {
      double xd = x;
      const int st = SolveDichotomy(a, b, fa, fb, iMode, xd);
      dichotomyUsed = true;
      if (st != 4) {
        budget -= _dichotomyStart + _dichotomySteps;
        allowed = secantAllowed();
        newtonX = xd;
        useSecant = false;
        k = -1;
        iteration = -1;
        previousQ = 0.0;
        widthBefore = widthBeforeThat = b - a;
        continue;
      }
    }
    if (value * fa < 0.0) {
      b = x;
      fb = value;
    } else {
      a = x;
      fa = value;
    }
    allowed = secantAllowed();
    const bool stalled =
        !lastAccepted && iteration >= 2 && b - a > 0.5 * widthBeforeThat && fa * fb < 0.0;
    widthBeforeThat = widthBefore;
    widthBefore = b - a;
    if (stalled) {
      newtonX = HalvingPoint(a, b, _scale * _bisectionEps, BracketSpread);
      useSecant = false;
      continue;
    }
    if (deriv * deriv > _derivativeThreshold * _derivativeThreshold) {
      const double xn = x - value / deriv;
      if (xn >= a && xn <= b) {
        if (lastAccepted && std::fabs(xn - x) < _bisectionEps * (_scale + std::fabs(x))) {
          // An accepted point whose Newton correction is below the bisection resolution: the
          // next iterations would only move it within rounding, so the corrected point ends
          // the solve without further evaluations.
          ioX = xn;
          return 0;
        }
        newtonX = xn;
        useSecant = false;
        continue;
      }
    }
    newtonX = x;
    useSecant = allowed;
    if (!useSecant && fa * fb < 0.0) // neither Newton nor secant: halve the bracket
      newtonX = HalvingPoint(a, b, _scale * _bisectionEps, BracketSpread);
  }
  ioX = x;
  return lastAccepted ? 0 : 7;
}

int XelMathSolveX::SolveDichotomy(double& ioA, double& ioB, double& ioFa, double& ioFb, long iMode,
                                  double& oX) {
  oX = 0.5 * (ioA + ioB);
  if (!_dichotomy)
    return XelMathStatus::Refused;
  double f2;
  if (IsRoot(ioA, ioFa, f2)) {
    oX = ioA;
    return XelMathStatus::Done;
  }
  if (IsRoot(ioB, ioFb, f2)) {
    oX = ioB;
    return XelMathStatus::Done;
  }
  if (IsNull(ioA, ioFa, f2) || IsNull(ioB, ioFb, f2) || ioFa * ioFb > 0.0)
    return XelMathStatus::Refused;
  const double bound = _bisectionEps * (_scale + std::fabs(ioA) + std::fabs(ioB));
  const double bound2 = bound * bound;
  for (long i = 0; i < _dichotomySteps; ++i) {
    const double m = 0.5 * (ioA + ioB);
    double value, deriv;
    EvalMode(m, iMode, value, deriv);
    if (value * ioFa < 0.0) {
      ioB = m;
      ioFb = value;
    } else {
      ioA = m;
      ioFa = value;
    }
    oX = m;
    if (value == 0.0 || IsRoot(m, value, f2))
      return XelMathStatus::Done;
    if ((ioB - ioA) * (ioB - ioA) < bound2)
      return XelMathStatus::NotConverged;
  }
  return XelMathStatus::NotConverged;
}

int XelMathSolveX::SolveNewtonWithInit(const XelMathInterval& iI, long iMode, double& ioX,
                                       double& oValue) {
  if (_oldNewtonWithInit)
    return SolveNewtonWithInitOld(iI, iMode, ioX, oValue);
  const double a = iI.low, b = iI.high;
  oValue = 0.0;
  if (!(a <= b))
    return XelMathStatus::Refused;
  double x = ClampedStart(ioX, a, b);
  // A bracket, when the ends of the interval give one, safeguards the Newton steps.
  double va, da, vb, db;
  EvalMode(a, iMode, va, da);
  EvalMode(b, iMode, vb, db);
  bool bracket = va * vb < 0.0;
  double lo = a, hi = b, vlo = va;
  const double xtol = _bisectionEps * (_scale + std::fabs(a) + std::fabs(b));
  double value, deriv;
  EvalMode(x, iMode, value, deriv);
  const long budget = 2 * XelMaxNewtonIteration;
  for (long k = 0; k < budget; ++k) {
    if (!std::isfinite(value)) {
      ioX = x;
      oValue = value;
      return XelMathStatus::NotConverged;
    }
    double f2;
    double testDeriv = (iMode != 0 && _noSecondOption) ? 10.0 * deriv : deriv;
    if (value == 0.0 || IsRoot(x, value, f2, &testDeriv)) {
      // One more Newton step when it stays inside and improves, then stop.
      if (value != 0.0 && deriv != 0.0) {
        const double xn = x - value / deriv;
        if (xn >= a && xn <= b) {
          double vn, dn;
          EvalMode(xn, iMode, vn, dn);
          if (std::fabs(vn) < std::fabs(value)) {
            x = xn;
            value = vn;
          }
        }
      }
      ioX = x;
      oValue = value;
      return XelMathStatus::Done;
    }
    if (bracket) {
      if ((value < 0.0) == (vlo < 0.0)) {
        lo = x;
        vlo = value;
      } else {
        hi = x;
      }
    }
    double xn = deriv != 0.0 ? x - value / deriv : x;
    if (bracket) {
      if (!(xn > lo && xn < hi) || deriv == 0.0)
        xn = 0.5 * (lo + hi);
    } else {
      if (!(xn >= a))
        xn = a;
      if (xn > b)
        xn = b;
      // Damp a step that does not decrease |value|.
      double vn = 0.0, dn = 0.0;
      for (int h = 0; h < 30; ++h) {
        EvalMode(xn, iMode, vn, dn);
        if (std::fabs(vn) < std::fabs(value) || std::fabs(xn - x) <= xtol)
          break;
        xn = 0.5 * (x + xn);
      }
      if (std::fabs(xn - x) <= xtol) {
        ioX = x;
        oValue = value;
        return XelMathStatus::NotConverged; // stalled away from a root
      }
      x = xn;
      value = vn;
      deriv = dn;
      continue;
    }
    if (std::fabs(xn - x) <= xtol || hi - lo <= xtol) {
      x = xn;
      EvalMode(x, iMode, value, deriv);
      ioX = x;
      oValue = value;
      return XelMathStatus::Done;
    }
    x = xn;
    EvalMode(x, iMode, value, deriv);
  }
  ioX = x;
  oValue = value;
  return XelMathStatus::NotConverged;
}

int XelMathSolveX::SolveNewtonWithInitOld(const XelMathInterval& iI, long iMode, double& ioX,
                                          double& oValue) {
  const double a = iI.low, b = iI.high;
  oValue = 0.0;
  if (!(a <= b))
    return XelMathStatus::Refused;
  double x = ClampedStart(ioX, a, b);
  const double xtol = _bisectionEps * (_scale + std::fabs(a) + std::fabs(b));
  double value = 0.0, deriv = 0.0;
  for (long k = 0; k < 2 * XelMaxNewtonIteration; ++k) {
    EvalMode(x, iMode, value, deriv);
    double f2;
    double testDeriv = (iMode != 0 && _noSecondOption) ? 10.0 * deriv : deriv;
    if (value == 0.0 || IsRoot(x, value, f2, &testDeriv)) {
      ioX = x;
      oValue = value;
      return XelMathStatus::Done;
    }
    if (deriv == 0.0 || !std::isfinite(value))
      break;
    double xn = x - value / deriv;
    if (!(xn >= a))
      xn = a;
    if (xn > b)
      xn = b;
    if (std::fabs(xn - x) <= xtol) {
      x = xn;
      break;
    }
    x = xn;
  }
  ioX = x;
  oValue = value;
  return XelMathStatus::NotConverged;
}

// ---- closed-form paths ----------------------------------------------------------------------

int XelMathSolveX::RunOnPolynom(long iDegree, const double* iC, double iShift) {
  const double lo = _domainLow, hi = _domainHigh;
  _polynomialRun = 1;
  auto polynomialRunEnds = XelMathMakeOnExit([this] { _polynomialRun = 0; });
  if (!(lo <= hi) || !iC || iDegree < 0 || !std::isfinite(lo) || !std::isfinite(hi) ||
      !std::isfinite(iShift))
    return XelMathStatus::Refused;
  long d = iDegree;
  while (d > 0 && iC[d] == 0.0)
    --d;
  for (long k = 0; k <= d; ++k)
    if (!std::isfinite(iC[k]))
      return XelMathStatus::Refused;
  const double ta = lo - iShift, tb = hi - iShift;
  const double mid = 0.5 * lo + 0.5 * hi;
  double f2;

  // The work runs on the coefficients brought to unit size by a power of two, exactly: the
  // roots do not change, the binomial factors of the derivatives and the values do not
  // overflow, and raw values are recovered exactly (or as infinities) where a test needs them.
  int unitExp = 0;
  {
    double largest = 0.0;
    for (long k = 0; k <= d; ++k)
      largest = std::fmax(largest, std::fabs(iC[k]));
    std::frexp(largest, &unitExp);
  }
  DoubleBuffer unitCoefficients;
  unitCoefficients.Reserve(d + 1, 0);
  double* unit = unitCoefficients.Data();
  for (long k = 0; k <= d; ++k)
    unit[k] = std::ldexp(iC[k], -unitExp);

  // Null on the domain: every coefficient is 0, or, under an absolute tolerance given by
  // the caller, a bound of |p| over the domain passes it. Without one the roots do not
  // depend on a common factor of the coefficients, however small or large.
  {
    const double m = std::fmax(std::fabs(ta), std::fabs(tb));
    double bound = 0.0;
    for (long k = d; k >= 0; --k)
      bound = bound * m + std::fabs(iC[k]);
    if (bound == 0.0 || (_toleranceGiven && IsNull(mid, bound, f2)))
      return XelMathStatus::NullFunction;
  }
  if (d == 0)
    return XelMathStatus::Done;

  // Every real root lies within Fujiwara's bound: the search is clipped to it, so that
  // wide domains neither overflow nor waste steps.
  double rootBound = 0.0;
  for (long k = 1; k <= d; ++k) {
    double r = std::fabs(unit[d - k] / unit[d]);
    if (k == d)
      r *= 0.5;
    r = std::pow(r, 1.0 / static_cast<double>(k));
    if (r > rootBound)
      rootBound = r;
  }
  rootBound = 2.0 * rootBound * (1.0 + 1e-6) + DBL_MIN;
  const double ca = ta > -rootBound ? ta : -rootBound;
  const double cb = tb < rootBound ? tb : rootBound;
  const bool clippedLow = ca != ta, clippedHigh = cb != tb;

  if (d > MaxCascadeDegree)
    return SampleHighDegree(unit, d, ca, cb, iShift, clippedLow, clippedHigh);

  // The roots of p are found level by level from those of its derivatives: the roots of
  // q_{j+1} = p^(j+1) / (j+1)! split the domain into pieces where q_j is monotone, so each
  // piece holds at most one root of q_j, found by safeguarded Newton on a sign change. A
  // split point where q_j is null within rounding, or where a root of q_j may lie within
  // EpsRoot, is itself a root of q_j: this finds double and higher multiple roots at the
  // accurate roots of the derivatives, and keeps two roots apart as soon as they are
  // separated by more than EpsRoot.
  DoubleBuffer coefficients;
  coefficients.Reserve(d + 1, 0);
  double* q = coefficients.Data();
  SortedList critical, roots, points;
  const double eps = _epsRoot;
  const double floor = Unit * (std::fabs(ca) + std::fabs(cb)) * 1e-3 + DBL_MIN;

  for (long j = d - 1; j >= 0; --j) {
    const long n = d - j;
    // q_j coefficients: C(k + j, j) c_{k + j}; levels above 0 are normalised.
    double binomial = 1.0;
    double largest = 0.0;
    for (long k = 0; k <= n; ++k) {
      if (k > 0)
        binomial = binomial * static_cast<double>(k + j) / static_cast<double>(k);
      q[k] = binomial * unit[k + j];
      if (std::fabs(q[k]) > largest)
        largest = std::fabs(q[k]);
    }
    // Levels above 0 are normalised (the roots do not change). Level 0 keeps the scale of
    // its values for the root tests, but a polynomial of tiny coefficients is brought up to
    // unit size: a common factor must not make every point a root. An absolute tolerance
    // given by the caller is compared with the raw values.
    // Level 0 is scaled by a power of two, so that its coefficients stay exact.
    const bool exact = j == 0;
    double norm = 1.0;
    bool normalised = false;
    if (largest > 0.0 && std::isfinite(largest) && (j > 0 || std::ldexp(largest, unitExp) < 1.0)) {
      int e = 0;
      std::frexp(largest, &e);
      const double divisor = exact ? std::ldexp(1.0, e) : largest;
      norm = std::ldexp(divisor, unitExp);
      normalised = true;
      for (long k = 0; k <= n; ++k)
        q[k] /= divisor;
    }

    roots.Clear();
    // Points: ca, the critical points strictly inside, cb.
    points.Clear();
    points.Append(ca);
    for (long i = 0; i < critical.Count(); ++i)
      if (critical[i] > ca && critical[i] < cb)
        points.Append(critical[i]);
    points.Append(cb);
    const long nbPoints = points.Count();
    double prevT = ca, prevV = 0.0;
    bool prevZero = false, prevEndOnly = false;
    for (long i = 0; i < nbPoints; ++i) {
      const double t = points[i];
      // The values of p itself are compensated: its coefficients are exact (the caller's,
      // scaled by a power of two), those of the derivatives carry roundings.
      const PolyValue v = exact ? EvalPolyCompensated(q, n, t) : EvalPoly(q, n, t);
      double t1, t2, t3;
      TaylorAt(q, n, t, t1, t2, t3);
      // A root of q_j may lie within EpsRoot of t, or q_j(t) is null within rounding. Where
      // the terms overflow nothing is known: no root is claimed there.
      const double reach =
          std::fabs(t1) * eps + std::fabs(t2) * eps * eps + std::fabs(t3) * eps * eps * eps;
      const double slack = v.noise + reach;
      bool zero = std::isfinite(v.value) && std::isfinite(slack) && std::fabs(v.value) <= slack;
      // An end of the domain that is a root by the value test alone (a small value with a
      // small slope, the crossing further in).
      bool endOnly = false;
      if (j == 0) {
        const double x = t + iShift;
        const bool domainEnd = (i == 0 && !clippedLow) || (i == nbPoints - 1 && !clippedHigh);
        const double rawValue = normalised ? v.value * norm : std::ldexp(v.value, unitExp);
        const double rawDeriv = normalised ? v.deriv * norm : std::ldexp(v.deriv, unitExp);
        // A polynomial of coefficients below 1 is tested at unit size, others as they are.
        if (domainEnd &&
            (normalised ? IsRoot(x, v.value, f2, &v.deriv) : IsRoot(x, rawValue, f2, &rawDeriv))) {
          endOnly = !zero;
          zero = true;
        }
        if (_toleranceGiven && IsNull(x, rawValue, f2, &rawDeriv))
          zero = true, endOnly = false;
      }
      const bool crossing =
          i > 0 && ((prevV < 0.0 && v.value > 0.0) || (prevV > 0.0 && v.value < 0.0));
      // Between two points p is monotone: where it crosses 0 from such an end, it stays below
      // the end's value up to the crossing, which is the one root of that stretch.
      const bool fromEnd = crossing && (prevEndOnly || endOnly) && (!prevZero || prevEndOnly) &&
                           (!zero || endOnly);
      if (i == 1 && prevEndOnly && !fromEnd)
        roots.Append(prevT);
      if (fromEnd || (crossing && !prevZero && !zero))
        roots.Append(RefinePolyRoot(q, n, prevT, t, prevV, floor, exact));
      // Such a low end waits for the next point.
      if (zero && !(endOnly && (i == 0 || fromEnd)))
        roots.Append(t);
      prevT = t;
      prevV = v.value;
      prevZero = zero;
      prevEndOnly = endOnly;
    }
    if (nbPoints == 1 && prevEndOnly)
      roots.Append(prevT);
    critical.Swap(roots);
  }
  for (long i = 0; i < critical.Count(); ++i)
    AddRoot(critical[i] + iShift);
  return XelMathStatus::Done;
}

int XelMathSolveX::SampleHighDegree(const double* iUnit, long iDegree, double iLow, double iHigh,
                                    double iShift, bool iClippedLow, bool iClippedHigh) {
  // The roots of a polynomial of high degree from samples of its value and derivative: a
  // sign change of the value brackets a root, one of the derivative between values of one
  // sign brackets a turn that may touch 0 (a double root), refined as the cascade refines.
  // The samples and refinements share a budget of coefficient operations; the search is
  // then not complete (roots closer than the sampling step may be missed): status 7.
  const long d = iDegree;
  const double perPass = static_cast<double>(d + 1);
  double budget = HighDegreeWork;
  const long samples = static_cast<long>(
      std::fmin(1048576.0, std::fmax(64.0, 0.5 * HighDegreeWork / (6.0 * perPass))));
  budget -= 6.0 * perPass * static_cast<double>(samples + 1);
  DoubleBuffer derivative;
  derivative.Reserve(d, 0);
  double* dq = derivative.Data();
  for (long k = 0; k < d; ++k)
    dq[k] = static_cast<double>(k + 1) * iUnit[k + 1];
  const double eps = _epsRoot;
  const double floor = Unit * (std::fabs(iLow) + std::fabs(iHigh)) * 1e-3 + DBL_MIN;
  const double step = (iHigh - iLow) / static_cast<double>(samples);
  double f2;
  double prevT = iLow;
  PolyValue prev = EvalPoly(iUnit, d, iLow);
  bool prevZero = false;
  for (long i = 0; i <= samples; ++i) {
    const double t = i == samples ? iHigh : iLow + step * static_cast<double>(i);
    const PolyValue v = i == 0 ? prev : EvalPoly(iUnit, d, t);
    const bool finite = std::isfinite(v.value) && std::isfinite(v.deriv) && std::isfinite(v.noise);
    bool zero = finite && std::fabs(v.value) <= v.noise;
    const bool end = (i == 0 && !iClippedLow) || (i == samples && !iClippedHigh);
    if (end && finite && IsRoot(t + iShift, v.value, f2, &v.deriv))
      zero = true;
    // An overflowed value still has a sign (the refinement brackets on it); NaN has none.
    if (i > 0 && !zero && !prevZero && !std::isnan(v.value) && !std::isnan(prev.value)) {
      if ((prev.value < 0.0) != (v.value < 0.0) && prev.value != 0.0 && v.value != 0.0) {
        budget -= 2.0 * perPass * static_cast<double>(MaxPolynomialIterations);
        AddRoot(RefinePolyRoot(iUnit, d, prevT, t, prev.value, floor) + iShift);
      } else if (finite && std::isfinite(prev.value) && std::isfinite(prev.deriv) &&
                 (prev.deriv < 0.0) != (v.deriv < 0.0) &&
                 (prev.value < 0.0) == (prev.deriv > 0.0)) {
        // The value turns back towards 0 between the samples: the turn is a root when the
        // value there is null within rounding and the reach of EpsRoot.
        budget -= 6.0 * perPass * static_cast<double>(MaxPolynomialIterations);
        const double x = RefinePolyRoot(dq, d - 1, prevT, t, prev.deriv, floor);
        const PolyValue w = EvalPoly(iUnit, d, x);
        double t1, t2, t3;
        TaylorAt(iUnit, d, x, t1, t2, t3);
        const double reach = std::fabs(t1) * eps + std::fabs(t2) * eps * eps;
        const double slack = w.noise + reach;
        if (std::isfinite(w.value) && std::isfinite(slack) && std::fabs(w.value) <= slack)
          AddRoot(x + iShift);
      }
    }
    if (zero)
      AddRoot(t + iShift);
    if (budget < 0.0)
      return XelMathStatus::NotConverged;
    prevT = t;
    prev = v;
    prevZero = zero;
  }
  return XelMathStatus::NotConverged;
}

int XelMathSolveX::RunOnTrigonometric(double iA, double iOmega, double iPhi, double iC) {
  const double lo = _domainLow, hi = _domainHigh;
  if (!(lo <= hi) || !std::isfinite(lo) || !std::isfinite(hi))
    return XelMathStatus::Refused;
  if (!std::isfinite(iA) || !std::isfinite(iOmega) || !std::isfinite(iPhi) || !std::isfinite(iC))
    return XelMathStatus::Done;
  double a = iA, omega = iOmega, phi = iPhi, c = iC;
  if (omega < 0.0) {
    // cos is even: a cos(w x - phi) = a cos(-w x + phi).
    omega = -omega;
    phi = -phi;
  }
  const double mid = 0.5 * lo + 0.5 * hi;
  double f2;
  const double gap = std::fabs(c) - std::fabs(a); // smallest |f| when positive
  if (a * a < c * c && !IsNull(mid, gap, f2))
    return XelMathStatus::Done;
  // Image of f on the domain (the whole range of cos where w x overflows).
  const double pl = omega * lo - phi, ph = omega * hi - phi;
  const bool finitePhase = std::isfinite(pl) && std::isfinite(ph);
  const XelMathInterval cosImage =
      finitePhase ? cos(XelMathInterval(pl, ph)) : XelMathInterval(-1.0, 1.0);
  XelMathInterval image(a * cosImage.low + c, a * cosImage.high + c);
  if (a < 0.0)
    image = XelMathInterval(a * cosImage.high + c, a * cosImage.low + c);
  if (IsNull(mid, image.Norm(), f2))
    return XelMathStatus::NullFunction;
  auto value = [&](double x) { return a * std::cos(omega * x - phi) + c; };
  auto deriv = [&](double x) { return -a * omega * std::sin(omega * x - phi); };

  // Roots: phases -theta + 2k pi and theta + 2k pi (0 <= theta <= pi), or, when the extremum
  // nearest to 0 touches it within the null test (tangent), the double roots at phase
  // base + 2k pi: cos = -1 when a and c have the same sign, +1 otherwise.
  const bool tangent = IsNull(mid, gap, f2) != 0;
  double theta = 0.0, base = 0.0;
  if (tangent) {
    base = (a * c > 0.0) ? XelPI : 0.0;
  } else {
    double ratio = -c / a;
    if (ratio > 1.0)
      ratio = 1.0;
    if (ratio < -1.0)
      ratio = -1.0;
    theta = std::acos(ratio);
  }
  // Candidates: the closed-form roots while they are sparser than the doubles of the domain;
  // where they are denser (huge w x), no root can be represented on its own and every double
  // of the domain is a candidate. Either way only points that pass the test are kept, and a
  // domain with more candidates than can be listed is refused.
  const double periods = finitePhase ? (ph - pl) / Xel2PI : HUGE_VAL;
  const double kFirst = std::floor((pl - (tangent ? base : theta)) / Xel2PI);
  const double kLast = std::ceil((ph - (tangent ? base : -theta)) / Xel2PI);
  const double closedForm = omega == 0.0 ? 0.0 : (tangent ? 1.0 : 2.0) * (periods + 3.0);
  const double doubles = DoublesBetween(lo, hi);
  const bool dense = !(closedForm <= doubles);
  if (omega != 0.0 && !((dense ? doubles : closedForm) <= MaxTrigonometricCandidates))
    return XelMathStatus::Refused;

  // Accepts x, or the point that at most iSteps Newton steps (each within a quarter period)
  // lead to, when it passes the null test (tangent) or the root test. A closed-form root
  // (iSteps > 0) is also kept at the resolution of doubles: where no double lies within
  // EpsRoot of it (|x| of 1e8 and beyond for w = 1), the double whose tangent zero is within
  // one spacing of doubles, up to the rounding of the phase, is the root.
  const double quarter = omega != 0.0 ? XelPIBY2 / omega : 0.0;
  auto offer = [&](double x, int iSteps) {
    double v = value(x), dv = deriv(x);
    for (int step = 0;; ++step) {
      const double spacing = std::nextafter(std::fabs(x), HUGE_VAL) - std::fabs(x);
      const double phaseNoise =
          std::fabs(a) * DBL_EPSILON * (std::fabs(omega * x) + std::fabs(phi));
      if ((tangent ? IsNull(x, v, f2, &dv) : IsRoot(x, v, f2, &dv)) ||
          (iSteps > 0 && std::fabs(v) <= std::fabs(dv) * spacing + phaseNoise)) {
        AddRoot(x);
        return;
      }
      if (step >= iSteps || !(dv != 0.0))
        return;
      const double xn = x - v / dv;
      if (!(xn >= lo && xn <= hi && std::fabs(xn - x) <= quarter) || xn == x)
        return;
      x = xn;
      v = value(x);
      dv = deriv(x);
    }
  };
  // The roots go into the set in increasing order: the low end, the interior, the high end.
  double flo = value(lo), dlo = deriv(lo);
  if (IsRoot(lo, flo, f2, &dlo))
    AddRoot(lo);
  if (omega != 0.0 && dense) {
    for (double x = std::nextafter(lo, hi); x < hi; x = std::nextafter(x, hi))
      offer(x, 0);
  } else if (omega != 0.0) {
    // k counts from kFirst by an integer, so that the count advances even where kFirst + j
    // cannot (beyond 2^53).
    double span = kLast - kFirst;
    if (!(span <= closedForm))
      span = closedForm; // rounding of huge phases: the count stays within the estimate
    const long long count = static_cast<long long>(span) + 1;
    for (long long j = 0; j < count; ++j) {
      const double k = kFirst + static_cast<double>(j);
      if (tangent) {
        const double x = (base + k * Xel2PI + phi) / omega;
        if (x >= lo && x <= hi)
          offer(x, 2);
        continue;
      }
      const double x1 = (-theta + k * Xel2PI + phi) / omega;
      if (x1 >= lo && x1 <= hi)
        offer(x1, 2);
      const double x2 = (theta + k * Xel2PI + phi) / omega;
      if (x2 >= lo && x2 <= hi)
        offer(x2, 2);
    }
  }
  double fhi = value(hi), dhi = deriv(hi);
  if (IsRoot(hi, fhi, f2, &dhi))
    AddRoot(hi);
  return XelMathStatus::Done;
}

// ---- entry points of XelMathFunctionX ---------------------------------------------------------

namespace {

/// The scale option that goes with iF: the filed one (mail message iMessage) or the
/// one of a XelMathBasisFunctionX. Returns 1 when there is one.
int FindScaleOption(const XelMathFunctionX* iF, long iMessage, XelMathAttrScaleOption& oOption) {
  if (const XelMathAttrScaleOption* filed =
          XelMathAnalysisScaling::FiledScaleOption(iMessage, iF)) {
    oOption = *filed;
    return 1;
  }
  return XelMathAnalysisScaling::BasisScaleOption(iF, oOption);
}

} // namespace

int XelMathFunctionX::Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
                            const XelMathAttrList* iAttributes) const {
  const XelTolerance* tol = XelMathAnalysisScaling::FindTolerance(this, iAttributes);
  const double s = tol->GetScaleFactor();

  // Scaling option: the list's, else the one of a basis function.
  XelMathAttrScaleOption option(1, 1);
  double valueFactor = 1.0, variableFactor = 1.0;
  const bool scaled = XelMathAnalysisScaling::ListScaleOption(this, iAttributes, option) &&
                      XelMathAnalysisScaling::ScaleFactors(option, s, 1, "XelMathFunctionX::Solve",
                                                           valueFactor, variableFactor);
  std::unique_ptr<XelMathScaleFunctionX> wrapper;
  if (scaled)
    wrapper = XelMathAnalysisScaling::MakeWrapper(this, option, valueFactor, variableFactor);
  XelMathSolveX solver(scaled ? static_cast<const XelMathFunctionX*>(wrapper.get()) : this, *tol);
  if (scaled && option.GetOKReviewed())
    solver.SetOKScaleReviewed();

  // Options.
  if (iAttributes) {
    const XelMathConstraint* constraint =
        dynamic_cast<const XelMathConstraint*>(iAttributes->GetAttribute(AttrFunctionXConstraint));
    if (constraint)
      solver.SetConstraint(constraint);
    const XelMathAttrIntegerValue* sampling = dynamic_cast<const XelMathAttrIntegerValue*>(
        iAttributes->GetAttribute(AttrFunctionXSamplingPoints));
    if (sampling)
      solver.SetSamplingValue(sampling->GetValue());
    const XelMathAttrDoubleValue* absolute = dynamic_cast<const XelMathAttrDoubleValue*>(
        iAttributes->GetAttribute(AttrFunctionXAbsoluteTolerance));
    if (absolute)
      solver.SetTolerance(absolute->GetValue() * (scaled ? valueFactor : 1.0), 1,
                          absolute->GetOKReviewed() ? 1 : 0);
    if (iAttributes->GetAttribute(AttrFunctionXCheckExtremities))
      solver.SetCheckExtremities(1);
    const XelMathAttrPointerValue* dichotomy = dynamic_cast<const XelMathAttrPointerValue*>(
        iAttributes->GetAttribute(AttrFunctionXDichotomy));
    if (dichotomy && dichotomy->GetValue()) {
      const XelMathSetOfLongs* steps = static_cast<const XelMathSetOfLongs*>(dichotomy->GetValue());
      const long n = steps->GetNumberOfElements();
      if (n == 1)
        solver.SetDichotomy(1, steps->GetElement(0), XelMaxNewtonIteration);
      else if (n == 2)
        solver.SetDichotomy(1, steps->GetElement(0), steps->GetElement(1));
      else if (n >= 3)
        solver.SetDichotomy(1, 10, XelMaxNewtonIteration);
    }
    const XelMathAttrDoubleValue* epsRoot = dynamic_cast<const XelMathAttrDoubleValue*>(
        iAttributes->GetAttribute(AttrFunctionXEpsRoot));
    if (epsRoot)
      solver.SetEpsRoot(epsRoot->GetValue() * (scaled ? valueFactor : 1.0),
                        epsRoot->GetOKReviewed() ? 1 : 0);
  }

  // The working set receives the roots; the caller's set is only written at the end.
  XelMathSetOfPointsND work(oRoots);
  const int status =
      XelMathAnalysisScaling::RunMapped(solver, wrapper.get(), iDomain, work, oRoots);
  oRoots.Beginning();
  return status;
}

int XelMathFunctionX::SolveNewton(const XelMathInterval& iDomain, const XelMathInterval& iImage,
                                  const long& iMode, double& ioX, const XelTolerance& iTol) const {
  // iImage holds the values at the two ends of iDomain (of f in mode 0, of f' otherwise).
  const double s = iTol.GetScaleFactor();
  XelMathAttrScaleOption option(1, 1);
  const int found = FindScaleOption(this, XelMathMessage::NewtonScale, option);
  double valueFactor = 1.0, variableFactor = 1.0;
  if (!found || !XelMathAnalysisScaling::ScaleFactors(option, s, iMode == 0 ? 1 : 2,
                                                      "XelMathFunctionX::SolveNewton", valueFactor,
                                                      variableFactor)) {
    XelMathSolveX solver(this, iTol);
    return solver.SolveNewton(iDomain, iImage.low, iImage.high, iMode, ioX);
  }
  XelMathScaleFunctionX wrapper(this, valueFactor, variableFactor);
  if (option.GetOKReviewed())
    wrapper.SetOKScaleReviewed();
  XelMathSolveX solver(&wrapper, iTol);
  if (option.GetOKReviewed())
    solver.SetOKScaleReviewed();
  XelMathInterval domain;
  wrapper.ComputeScaledDomain(iDomain, domain);
  // h = a f(b x): h' = a b f'(b x).
  const double endFactor = iMode == 0 ? valueFactor : valueFactor * variableFactor;
  double x = ioX / variableFactor;
  const int status =
      solver.SolveNewton(domain, endFactor * iImage.low, endFactor * iImage.high, iMode, x);
  ioX = x * variableFactor;
  return status;
}

int SolveNewton(const XelMathFunctionX* iF, const XelMathInterval& iDomain,
                const XelMathInterval& iImage, const long& iMode, double& ioX,
                const XelTolerance& iTol, XelMathAttrScaleOption* iOption) {
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathStatus::NotConverged;
  }
  const XelMathMailboxEntry filed(XelMathMessage::NewtonScale, iF, iOption);
  return iF->SolveNewton(iDomain, iImage, iMode, ioX, iTol);
}
