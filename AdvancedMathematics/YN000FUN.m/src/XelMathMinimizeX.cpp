// Minimizer of one-variable functions: interval bisection on f, f' (and f''), derivative
// sampling with Newton solves of f' = 0, Brent's derivative-free search; the Minimize and
// Maximize entry points of XelMathFunctionX.
#include "XelMathMinimizeX.h"

#include <cfloat>
#include <cmath>
#include <memory>

#include "XelError.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrName.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathCompositeTools.h"
#include "XelMathFunctionX.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathOppositeX.h"
#include "XelMathResolvedSampling.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

/// Recursion guard of the interval strategies (the minimum width stops them far earlier).
const long MaxRecursionDepth = 40;

/// The smallest piece of the interval strategies, as a fraction of the domain: it bounds
/// the number of pieces whatever ratio the caller gives.
const double SmallestPieceRatio = 1.0 / 4096.0;

/// Iterations of one Brent refinement (golden-section steps alone shrink the bracket by
/// 0.618 each: 100 of them take any bracket below the resolution of double).
const long MaxBrentIterations = 100;

/// The relative resolution of Brent's search: sqrt(DBL_EPSILON) = 2^-26, and a third.
const double SqrtEpsilon = 1.4901161193847656e-08;
const double OneThird = 1.0 / 3.0;

/// 2 - golden ratio: the golden-section fraction of Brent's method.
const double GoldenFraction = 0.38196601125010515;

/// Samples of the constant test and of the absolute-mode presampling.
const long ConstantSamples = 15;
const long BestSamples = 11;

/// Samples of Brent's sliding window evaluated by one batch.
const long SampleChunk = 64;

/// A slope at an end this many times the stationary threshold (at f'' = 0) points outwards
/// whatever f'' is: the end is a minimum without asking for f''.
const double ClearSlope = 1e3;

/// Part of a clear bracket of f' around the point of a solve that did not converge where the
/// sign change of f' is looked for.
const double ClosedBracketReach = 1e-3;

/// Distance, in units of the last place, of the first probes that tell a minimum from a point
/// beside a pole, their count on each side (each 8 times farther than the last: from a few
/// units to a hundredth of the scale, so that one lands between a pole and half its distance),
/// and the relative fall of f along them that marks a pole.
const double BesideProbe = 16.0;
/// Bisections that locate the edge of the part of the domain where f is defined (enough to
/// reach adjacent doubles).
const long MaxEdgeBisections = 1100;
/// Doubling steps out of a sample whose slope is undefined but not its value, to the edge.
const long MaxEdgeSteps = 64;
const long BesideSteps = 14;
const double PoleFall = 1e-3;

} // namespace

// ---- construction and settings ------------------------------------------------------------

XelMathMinimizeX::XelMathMinimizeX(const XelMathFunctionX* iFunction, const XelTolerance& iTol)
    : _function(iFunction), _domainLow(0.0), _domainHigh(0.0), _minima(nullptr), _sampling(15),
      _samplingGiven(0), _resolveSampling(0), _limitSet(0), _limitValue(0.0), _absoluteMinimum(0),
      _interiorMinimum(0), _discretizationMethod(0), _brentMethod(0), _brentTrueSampling(0),
      _reconvergeBestPoint(0), _minimumWidth(0.0),
      _internalMinWidthRatio(XelMathRatio::InternalMinWidth), _notConstant(0), _tolerance(&iTol),
      _scaleReviewed(0), _unreviewedCount(0), _scale(0.0), _relativeEps(0.0), _valueUnit(0.0),
      _pointRes(0.0), _bisectionEps(0.0), _accepted(0), _sortedFrom(0), _derivative(nullptr),
      _known(0), _knownX(0.0), _knownF(0.0), _slopesKnown(0), _slopeLow(0.0), _slopeHigh(0.0) {
  ReadTolerance();
  _limitValue = _tolerance->GetSquareLengthResolution();
  _minimumWidth = XelMinWidth * _scale;
}

XelMathMinimizeX::~XelMathMinimizeX() {
  delete _derivative;
}

long XelMathMinimizeX::GetDynamicMemoryBytes() const {
  return _derivative ? _derivative->GetStaticMemoryBytes() + _derivative->GetDynamicMemoryBytes()
                     : 0;
}

long XelMathMinimizeX::GetStaticMemoryBytes() const {
  return sizeof(XelMathMinimizeX);
}

double XelMathMinimizeX::Value(double x) {
  // The same double (sign of a zero included) gives the same value.
  if (_known && x == _knownX && std::signbit(x) == std::signbit(_knownX))
    return _knownF;
  const double f = _function->Eval(x);
  Remember(x, f);
  return f;
}

void XelMathMinimizeX::Remember(double x, double f) {
  _known = 1;
  _knownX = x;
  _knownF = f;
}

double XelMathMinimizeX::EndSlope(double x) {
  if (_slopesKnown && x == _domainLow)
    return _slopeLow;
  if (_slopesKnown && x == _domainHigh)
    return _slopeHigh;
  const double slope = _function->EvalFirstDeriv(x);
  if (!std::isnan(slope) || !(x == _domainLow || x == _domainHigh))
    return slope;
  // A slope by centred differences reaches outside the domain, where f may be undefined
  // (sqrt x at 0): the one-sided difference inwards.
  const double h = (x == _domainLow ? 1.0 : -1.0) * SqrtEpsilon * (_scale + std::fabs(x));
  const double inner = x + h;
  if (!(inner >= _domainLow && inner <= _domainHigh))
    return slope;
  return (_function->Eval(inner) - Value(x)) / h;
}

void XelMathMinimizeX::ReadTolerance() {
  _scale = _tolerance->GetScaleFactor();
  _relativeEps = _tolerance->GetRelativeEpsilon();
  _valueUnit = _tolerance->GetValueUnit();
  _pointRes = _tolerance->GetPointResolution();
  _bisectionEps = _tolerance->GetBisectionEpsilon();
}

void XelMathMinimizeX::SetSamplingValue(long iNbPoints) {
  _samplingGiven = 1;
  _sampling = XelMathAnalysisScaling::CheckedSampling(iNbPoints, AttrFunctionXSamplingPoints,
                                                      "XelMathMinimizeX::SetSamplingValue");
}

void XelMathMinimizeX::SetInternalMinWidthRatio(double iRatio) {
  _internalMinWidthRatio = XelMathAnalysisScaling::CheckedWidth(
      iRatio, AttrFunctionXInternalMinWidthRatio, "XelMathMinimizeX::SetInternalMinWidthRatio");
}

void XelMathMinimizeX::SetLimitValue(double iLimit, unsigned char iReviewed) {
  // An infinite limit is no limit (or rejects everything); a NaN one means nothing.
  if (std::isnan(iLimit))
    XelMathRaise(XelErrorCode::InvalidOption, AttrFunctionXLimitValue, "NaN",
                 "XelMathMinimizeX::SetLimitValue");
  _limitValue = iLimit;
  _limitSet = 1;
  if (!iReviewed)
    ++_unreviewedCount;
}

// ---- entry points -------------------------------------------------------------------------

void XelMathMinimizeX::Initialize(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioMinima) {
  if (ioMinima.GetDimension() != 1)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "1",
                 "XelMathMinimize::Initialize");
  _minima = &ioMinima;
  _minima->Reset();
  _sortedFrom = 0;
  _domainLow = iDomain.low;
  _domainHigh = iDomain.high;
  _known = 0;
  _slopesKnown = 0;
  XelMathMinimizeXParallelDebug(iDomain);
}

void XelMathMinimizeX::XelMathMinimizeXParallelDebug(const XelMathInterval& iDomain) const {
  if (!XelMathSolveAndMinimizeDebug_UnReviewedControl() || _scale == 1.0 || _scaleReviewed ||
      !_function || !std::isfinite(iDomain.low) || !std::isfinite(iDomain.high))
    return;
  // Debug trace of a run on a scaled model whose values were not reviewed.
  XelQuorOutput& err = XelQuorOutput::GetErr();
  err << "XelMathMinimizeX::Run "
      << " Width:" << (iDomain.high - iDomain.low) / _scale
      << " FMin:" << _function->Eval(iDomain.low)
      << " FMid:" << _function->Eval(0.5 * (iDomain.low + iDomain.high))
      << " FMax:" << _function->Eval(iDomain.high) << "\n";
}

int XelMathMinimizeX::Run(const XelMathInterval& iDomain, XelMathSetOfPointsND& ioMinima) {
  if (!_function) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathStatus::Done;
  }
  Initialize(iDomain, ioMinima);
  _notConstant = 0;
  _accepted = 0;
  const double a = iDomain.low, b = iDomain.high;
  if (!(a <= b) || !std::isfinite(a) || !std::isfinite(b))
    return XelMathStatus::Refused;

  // Absolute mode: the best of eleven samples is a first minimum and bounds the others.
  if (_absoluteMinimum && !_brentTrueSampling) {
    double best = 0.0, fBest = 0.0;
    bool found = false;
    for (long k = 0; k < BestSamples; ++k) {
      const double x = k == BestSamples - 1 ? b : a + k * (b - a) / (BestSamples - 1);
      const double f = _function->Eval(x);
      if (std::isfinite(f) && (!found || f < fBest)) {
        best = x;
        fBest = f;
        found = true;
      }
    }
    if (found) {
      const double limit = fBest + _relativeEps * _valueUnit;
      if (!_limitSet) {
        _limitValue = limit;
        _limitSet = 1;
      } else if (fBest < _limitValue) {
        _limitValue = limit;
      }
      Remember(best, fBest);
      AddMinimum(best);
    }
  }

  // Minima at the ends: the derivative points outwards, or vanishes and f rises from the end.
  // Without its own second derivative the function pays three values for f'': it is asked
  // only when the end is no minimum by its slope.
  if (!_interiorMinimum) {
    const bool together = _function->IsOption(XelMathOption::SecondDeriv) != 0;
    const bool exactSlope = _function->IsOption(XelMathOption::FirstDeriv) != 0;
    for (const double end : {a, b}) {
      double d = 0.0, dd = 0.0;
      _function->Eval(end, together ? XelMathOption::FirstAndSecond : XelMathOption::FirstDeriv,
                      nullptr, &d, &dd);
      (end == a ? _slopeLow : _slopeHigh) = d;
      // A slope within rounding of 0 tells no direction, nor does the slope of a function
      // without its own first derivative (a difference quotient, 1e-10 at a stationary end):
      // such an end is classified by how f changes from it, as a stationary point.
      const bool outward = end == a ? d > 0.0 : d < 0.0;
      const double flat = _relativeEps * (_scale + std::fabs(end));
      // No slope at all (a difference reaching where f is undefined, sqrt x at 0): the values
      // inside decide too.
      if ((outward && !exactSlope) || std::isnan(d)) {
        AddStationary(end);
        continue;
      }
      if (outward && std::fabs(d) >= ClearSlope * flat) {
        AddMinimum(end);
        continue;
      }
      if (!together)
        _function->Eval(end, XelMathOption::SecondDeriv, nullptr, nullptr, &dd);
      if (std::fabs(d) < flat * (std::fabs(dd) + 1.0))
        AddStationary(end);
      else if (outward)
        AddMinimum(end);
    }
    _slopesKnown = 1;
  }

  XelMathInterval domain(a, b);
  int status = XelMathStatus::Done;
  if (b - a < _relativeEps * (_scale + domain.Norm())) {
    AddMinimum(0.5 * (a + b));
  } else if (_function->IsOption(XelMathOption::ImageUpToSecond) && !_discretizationMethod) {
    _minimumWidth = XelMinWidth * (b - a);
    status = RMinimize(domain);
  } else if (_function->IsOption(XelMathOption::ImageAndFirst) && !_discretizationMethod) {
    const double ratio = _internalMinWidthRatio < XelMathRatio::InternalMinWidth
                             ? _internalMinWidthRatio
                             : XelMathRatio::InternalMinWidth;
    _minimumWidth = (b - a) * ratio;
    status = FMinimize(domain);
  } else if (!_brentMethod) {
    _resolveSampling = !_samplingGiven;
    status = DMinimize(domain, _sampling);
  } else {
    status = BrentMinimize(domain, _brentTrueSampling ? _sampling : 3 * _sampling, 0);
  }

  if (status == XelMathStatus::ConstantFunction) {
    // A constant function: its midpoint is the one minimum.
    _minima->Reset();
    AddMinimum(0.5 * (a + b));
  }
  _minima->Beginning();
  return status;
}

// ---- minima ---------------------------------------------------------------------------------

int XelMathMinimizeX::AddMinimum(double x) {
  if (!_minima || !std::isfinite(x))
    return 0;
  const double f = Value(x);
  if (!std::isfinite(f) || FallsBeside(x, f)) // NaN there, or on a pole: no minimum
    return 0;
  if (_brentTrueSampling && _minima->GetNumberOfPoints() == 0 && std::isfinite(f)) {
    _limitValue = f + _relativeEps * _valueUnit;
    _limitSet = 1;
  }
  if (_limitSet) {
    if (!(f <= _limitValue)) // above the limit, or NaN
      return 0;
    if (_absoluteMinimum)
      _limitValue = f;
  }
  const double* points = _minima->GetPoints();
  const long n = _minima->GetNumberOfPoints();
  auto close = [&](double p) { return std::fabs(x - p) < _pointRes * (_scale + std::fabs(p)); };
  // The minima before the sorted run one by one; in the run, a minimum within the point
  // resolution of x implies that the nearest one on its side is too (the resolution grows
  // more slowly than the distance), so only the neighbours of x are looked at (a million
  // minima, added in increasing order after the ends, took minutes when all were).
  const long first = _sortedFrom <= n ? _sortedFrom : n;
  for (long i = 0; i < first; ++i)
    if (close(points[i]))
      return 0;
  long lo = first, hi = n; // first minimum of the run not below x
  while (lo < hi) {
    const long m = lo + (hi - lo) / 2;
    if (points[m] < x)
      lo = m + 1;
    else
      hi = m;
  }
  if ((lo > first && close(points[lo - 1])) || (lo < n && close(points[lo])))
    return 0;
  // A point of a plateau already holding a minimum (tanh 50(x - 1/2) is exactly 1 beyond 0.88:
  // every sample there is stationary) is that minimum again; the lower of the two stands for
  // it ((x - 1)^8 is within the noise over 0.976..1.024, and its minimum 1 may come second).
  if (!_absoluteMinimum) {
    auto samePlateau = [&](const long i) {
      if (!OnePlateau(points[i], x, f))
        return false;
      if (f < _function->Eval(points[i]))
        _minima->ReplacePoint(i, &x);
      return true;
    };
    for (long i = 0; i < first; ++i)
      if (samePlateau(i))
        return 0;
    if ((lo > first && samePlateau(lo - 1)) || (lo < n && samePlateau(lo)))
      return 0;
  }
  if (_absoluteMinimum)
    _minima->Reset();
  if (_absoluteMinimum || n == 0)
    _sortedFrom = 0;
  else if (!(x > points[n - 1]))
    _sortedFrom = n; // x starts a new run
  _minima->AddPoint(&x);
  ++_accepted;
  return 1;
}

bool XelMathMinimizeX::FallsBeside(double x, double iFx) {
  // Beside a pole (1/(x - 0.3) sampled just left of 0.3) the value keeps falling on one side,
  // by far more than rounding, as the probes step towards it; at a minimum it rises or stays
  // within the rounding of its value (which may exceed the noise of the tolerance: a
  // polynomial of high degree by its coefficients).
  const double noise = _relativeEps * (_valueUnit + std::fabs(iFx));
  const double fall = std::fmax(noise, PoleFall * std::fabs(iFx));
  for (const double direction : {-1.0, 1.0}) {
    double h = direction * BesideProbe * DBL_EPSILON * (_scale + std::fabs(x));
    double previous = iFx;
    for (long k = 0; k < BesideSteps; ++k, h *= 8.0) {
      const double y = x + h;
      if (!(y >= _domainLow && y <= _domainHigh) || y == x)
        break;
      const double fy = _function->Eval(y);
      if (!(fy < previous - noise))
        break;
      if (fy < iFx - fall)
        return true;
      previous = fy;
    }
  }
  return false;
}

bool XelMathMinimizeX::OnePlateau(const double iP, const double x, const double iFx) {
  const double noise = _relativeEps * (_valueUnit + std::fabs(iFx));
  if (!(std::fabs(_function->Eval(iP) - iFx) <= noise))
    return false;
  // Points near both ends and at the golden sections: a periodic function with equal extrema
  // at both points cannot keep its value at all of them (quarter points fall on its extrema
  // again when the points are four periods apart).
  for (const double t : {1e-3, 0.381966, 0.618034, 1.0 - 1e-3})
    if (!(std::fabs(_function->Eval(iP + t * (x - iP)) - iFx) <= noise))
      return false;
  return true;
}

bool XelMathMinimizeX::RisesAround(double x) {
  const double fx = _function->Eval(x);
  if (!std::isfinite(fx))
    return false;
  const double noise = _relativeEps * (_valueUnit + std::fabs(fx));
  const double width = _domainHigh - _domainLow;
  bool decided[2] = {false, false};
  // The least change seen on each side: where the changes on a side stay within the noise of
  // the value unit, f may still fall there at its own scale (a tail of exp(-x^2) around
  // 1e-37), and such a point is no minimum.
  double fall[2] = {0.0, 0.0};
  for (const double ratio : {1e-4, 1e-3, 1e-2}) {
    for (int side = 0; side < 2; ++side) {
      const double y = side == 0 ? x - ratio * width : x + ratio * width;
      if (decided[side] || !(y >= _domainLow && y <= _domainHigh) || y == x)
        continue;
      const double change = _function->Eval(y) - fx;
      if (change < -noise)
        return false;
      if (change > noise)
        decided[side] = true;
      fall[side] = std::min(fall[side], change);
    }
  }
  for (int side = 0; side < 2; ++side)
    if (!decided[side] && fall[side] < -_relativeEps * std::fabs(fx))
      return false;
  return true;
}

int XelMathMinimizeX::AddEdgeOfDefinition(double iUndefined, double iDefined) {
  if (!std::isfinite(Value(iDefined)))
    return 0;
  double out = iUndefined, in = iDefined;
  if (!std::isnan(Value(iUndefined))) {
    // Only its slope is undefined there (a difference reaching beyond the edge): the edge
    // lies a little farther out, or is this sample.
    in = iUndefined;
    const double direction = iUndefined < iDefined ? -1.0 : 1.0;
    double h = direction * _pointRes * (_scale + std::fabs(iUndefined));
    out = in;
    for (long k = 0; k < MaxEdgeSteps; ++k, h *= 2.0) {
      const double y = iUndefined + h;
      if (!(y >= _domainLow && y <= _domainHigh))
        break;
      if (std::isnan(_function->Eval(y))) {
        out = y;
        break;
      }
    }
    if (out == in)
      return AddStationary(in);
  }
  for (long k = 0; k < MaxEdgeBisections; ++k) {
    const double m = 0.5 * (out + in);
    if (m == out || m == in)
      break;
    (std::isnan(_function->Eval(m)) ? out : in) = m;
  }
  return AddStationary(in);
}

int XelMathMinimizeX::AddStationary(double x) {
  return RisesAround(x) ? AddMinimum(x) : 0;
}

int XelMathMinimizeX::IsConstant() {
  if (_notConstant)
    return 0;
  const double a = _domainLow, b = _domainHigh;
  const double fa = Value(a);
  const double bound = _relativeEps * (_valueUnit + std::fabs(fa));
  for (long k = 1; k < ConstantSamples; ++k) {
    const double x = k == ConstantSamples - 1 ? b : a + k * (b - a) / (ConstantSamples - 1);
    const double f = _function->Eval(x);
    if (!(std::fabs(f - fa) <= bound)) {
      _notConstant = 1;
      return 0;
    }
  }
  return 1;
}

// ---- Newton solves of f' = 0 ------------------------------------------------------------------

int XelMathMinimizeX::SolveStationary(double iA, double iB, double iDa, double iDb, double iX) {
  // f' goes from negative (or 0) to positive across [iA, iB]: a bracketed solve of f' = 0.
  XelMathAttrScaleOption option(2, 1);
  if (_scaleReviewed)
    option.SetOKReviewed(1);
  double x = iX;
  if (!(x >= iA && x <= iB))
    x = 0.5 * (iA + iB);
  int status = SolveNewton(_function, XelMathInterval(iA, iB), XelMathInterval(iDa, iDb), 1, x,
                           *_tolerance, &option);
  // A slope clearly negative at the start and clearly positive at the end makes the point a
  // minimum: the values beside it would only repeat that, or show their rounding (the
  // monomial T_30 at 0.951: 5e-6, above its rise 2e-4 away).
  const bool clear = iDa <= -ClearSlope * _relativeEps * (_scale + std::fabs(iA)) &&
                     iDb >= ClearSlope * _relativeEps * (_scale + std::fabs(iB));
  if (status == 0)
    return clear ? AddMinimum(x) : AddStationary(x);
  if (!(x >= iA && x <= iB))
    return 0;
  // Not accepted, but where the bracket was clear and f' still goes from negative to positive
  // a thousandth of it around the point, the bracket closed on the minimum: f' there is
  // rounding larger than the root test allows (the monomial T_30 at 0.951: 1e-4).
  if (clear) {
    const double h = ClosedBracketReach * (iB - iA);
    const double dl = _function->EvalFirstDeriv(std::fmax(iA, x - h));
    const double dh = _function->EvalFirstDeriv(std::fmin(iB, x + h));
    if (dl < 0.0 && dh > 0.0 && std::isfinite(_function->Eval(x)))
      return AddMinimum(x);
  }
  // Otherwise once more on the part of the bracket where f' still changes sign.
  const double d = _function->EvalFirstDeriv(x);
  if (!std::isfinite(d))
    return 0;
  double lo = iA, hi = iB, dlo = iDa, dhi = iDb;
  if (d <= 0.0) {
    lo = x;
    dlo = d;
  } else {
    hi = x;
    dhi = d;
  }
  double y = 0.5 * (lo + hi);
  status = SolveNewton(_function, XelMathInterval(lo, hi), XelMathInterval(dlo, dhi), 1, y,
                       *_tolerance, &option);
  if (status != 0)
    return 0;
  return clear ? AddMinimum(y) : AddStationary(y);
}

int XelMathMinimizeX::SolveDip(double iA, double iB, double iDa, double iDb) {
  // f' keeps its sign at both samples while f'' changes sign: f' has an extremum between
  // them, found as the root of f'' (f''' from the derivative function), and may cross 0
  // there.
  if (!_derivative)
    _derivative = _function->CreateDeriv();
  if (!_derivative)
    return 0;
  const double dda = _function->EvalSecondDeriv(iA);
  const double ddb = _function->EvalSecondDeriv(iB);
  if (!(dda * ddb < 0.0))
    return 0;
  XelMathAttrScaleOption option(2, 1);
  if (_scaleReviewed)
    option.SetOKReviewed(1);
  double xc = 0.5 * (iA + iB);
  SolveNewton(_derivative, XelMathInterval(iA, iB), XelMathInterval(dda, ddb), 1, xc, *_tolerance,
              &option);
  if (!(xc > iA && xc < iB))
    return 0;
  const double dc = _function->EvalFirstDeriv(xc);
  if (iDa > 0.0 && iDb > 0.0 && dc < 0.0) // a dip: the minimum of f is right of xc
    return SolveStationary(xc, iB, dc, iDb, (xc * iDb - iB * dc) / (iDb - dc));
  if (iDa < 0.0 && iDb < 0.0 && dc > 0.0) // a bump: the minimum of f is left of xc
    return SolveStationary(iA, xc, iDa, dc, (iA * dc - xc * iDa) / (dc - iDa));
  return 0;
}

// ---- strategies -------------------------------------------------------------------------------

int XelMathMinimizeX::DMinimize(const XelMathInterval& iI, long iNbPoints) {
  const double a = iI.low, b = iI.high;
  if (a > b)
    return XelMathStatus::Refused;
  long n = iNbPoints < 2 ? 2 : iNbPoints;
  const long acceptedBefore = _accepted;
  long stationary = 0, taken = 0;
  double xPrev = a, dPrev = 0.0, ddPrev = 0.0;
  // Each sample of f' and f'' is tested as a stationary point, then paired with the one
  // before.
  auto take = [&](const double x, double d, const double dd) {
    // Between a sample without a slope and one with a slope f may become undefined: the
    // edge of the part where it is defined is an end of the domain for the minima.
    if (taken > 0 && std::isnan(d) != std::isnan(dPrev))
      AddEdgeOfDefinition(std::isnan(d) ? x : xPrev, std::isnan(d) ? xPrev : x);
    if (std::fabs(d) < _relativeEps * (_scale + std::fabs(x)) * (std::fabs(dd) + 1.0)) {
      ++stationary;
      AddStationary(x);
      d = 0.0; // taken as exactly stationary for the sign tests below
    }
    if (taken++ > 0) {
      if (dPrev < 0.0 && d > 0.0)
        SolveStationary(xPrev, x, dPrev, d, (xPrev * d - x * dPrev) / (d - dPrev));
      else if (dPrev * d > 0.0 && ddPrev * dd < 0.0)
        SolveDip(xPrev, x, dPrev, d);
    }
    xPrev = x;
    dPrev = d;
    ddPrev = dd;
  };
  if (_resolveSampling) {
    // The run's own sampling: its steps halved until they resolve f'.
    _resolveSampling = 0;
    XelMathResolvedSampling samples(_function, 1);
    samples.Resolve(a, b, n, _relativeEps * (_scale + std::fabs(a) + std::fabs(b)));
    n = samples.GetCount();
    for (long i = 0; i < n; ++i)
      take(samples.GetX()[i], samples.GetG()[i], samples.GetSlope()[i]);
  } else {
    const double h = (b - a) / static_cast<double>(n - 1);
    for (long i = 0; i < n; ++i) {
      const double x = i == n - 1 ? b : a + static_cast<double>(i) * h;
      double d = 0.0, dd = 0.0;
      _function->Eval(x, XelMathOption::FirstAndSecond, nullptr, &d, &dd);
      take(x, d, dd);
    }
  }
  if (stationary == n)
    return XelMathStatus::ConstantFunction;

  // Absolute mode: the loop found nothing better than the best presample; refine that one.
  if (_absoluteMinimum && _reconvergeBestPoint && _accepted == acceptedBefore && a == _domainLow &&
      b == _domainHigh && _minima->GetNumberOfPoints() == 1) {
    double x = _minima->GetPoints()[0];
    const double step = (_domainHigh - _domainLow) / (BestSamples - 1);
    const double lo = x - step < _domainLow ? _domainLow : x - step;
    const double hi = x + step > _domainHigh ? _domainHigh : x + step;
    XelMathSolveX solver(_function, *_tolerance);
    double value = 0.0;
    if (solver.SolveNewtonWithInit(XelMathInterval(lo, hi), 1, x, value) == 0 &&
        _function->EvalSecondDeriv(x) >= 0.0)
      AddMinimum(x);
  }
  return XelMathStatus::Done;
}

int XelMathMinimizeX::NarrowPiece(const XelMathInterval& iI) {
  const int status = DMinimize(iI, 4);
  if (status == XelMathStatus::ConstantFunction)
    return IsConstant() ? 2 : 0;
  return status;
}

int XelMathMinimizeX::FMinimize(const XelMathInterval& iI) {
  return FMinimizeDepth(iI, 0);
}

int XelMathMinimizeX::FMinimizeDepth(const XelMathInterval& iI, long iDepth) {
  const double a = iI.low, b = iI.high;
  if (a > b)
    return XelMathStatus::Refused;
  XelMathInterval image, deriv;
  _function->Eval(iI, XelMathOption::ImageAndFirst, &image, &deriv, nullptr);
  if (deriv.Sign() != 0) // f' keeps its sign: no interior minimum
    return XelMathStatus::Done;
  if (_limitSet && image.low > _limitValue)
    return XelMathStatus::Done;
  const double floor = (_domainHigh - _domainLow) * SmallestPieceRatio;
  if (b - a < _minimumWidth || b - a < floor || iDepth >= MaxRecursionDepth)
    return NarrowPiece(iI);
  const double m = 0.5 * (a + b);
  if (FMinimizeDepth(XelMathInterval(a, m), iDepth + 1) == XelMathStatus::ConstantFunction)
    return XelMathStatus::ConstantFunction;
  if (FMinimizeDepth(XelMathInterval(m, b), iDepth + 1) == XelMathStatus::ConstantFunction)
    return XelMathStatus::ConstantFunction;
  return XelMathStatus::Done;
}

int XelMathMinimizeX::RMinimize(const XelMathInterval& iI) {
  return RMinimizeDepth(iI, 0);
}

int XelMathMinimizeX::RMinimizeDepth(const XelMathInterval& iI, long iDepth) {
  const double a = iI.low, b = iI.high;
  if (a > b)
    return XelMathStatus::Refused;
  XelMathInterval image, deriv, second;
  _function->Eval(iI, XelMathOption::ImageUpToSecond, &image, &deriv, &second);
  if (deriv.Sign() != 0)
    return XelMathStatus::Done;
  if (_limitSet && image.low > _limitValue)
    return XelMathStatus::Done;
  if (second.low >= 0.0) {
    // f' does not decrease on iI: at most one change of sign, from negative to positive.
    const double da = _function->EvalFirstDeriv(a);
    const double db = _function->EvalFirstDeriv(b);
    if (da <= 0.0 && db > 0.0) {
      SolveStationary(a, b, da, db, (a * db - b * da) / (db - da));
      return XelMathStatus::Done;
    }
    if (da == 0.0 && db == 0.0 && second.high <= 0.0)
      return IsConstant() ? 2 : 0; // f'' = 0 on the piece: flat there
    if (db == 0.0 && da < 0.0)
      AddStationary(b);
    return XelMathStatus::Done;
  }
  if (second.high <= 0.0)
    return XelMathStatus::Done; // f' does not increase: only maxima inside
  const double floor = (_domainHigh - _domainLow) * SmallestPieceRatio;
  if (b - a < _minimumWidth || b - a < floor || iDepth >= MaxRecursionDepth)
    return NarrowPiece(iI);
  const double m = 0.5 * (a + b);
  if (RMinimizeDepth(XelMathInterval(a, m), iDepth + 1) == XelMathStatus::ConstantFunction)
    return XelMathStatus::ConstantFunction;
  if (RMinimizeDepth(XelMathInterval(m, b), iDepth + 1) == XelMathStatus::ConstantFunction)
    return XelMathStatus::ConstantFunction;
  return XelMathStatus::Done;
}

int XelMathMinimizeX::BrentMinimize(const XelMathInterval& iI, long iNbPoints, long iLevel) {
  const double a = iI.low, b = iI.high;
  if (a > b)
    return XelMathStatus::Refused;
  if (iLevel == 0 && IsConstant())
    return XelMathStatus::ConstantFunction;
  const long n = iNbPoints < 3 ? 3 : iNbPoints;
  const double h = (b - a) / static_cast<double>(n - 1);
  const XelMathFunctionX* const function = _function;
  // A sliding window of three samples: a local minimum of the samples brackets a minimum. The
  // samples after a are evaluated by batches of SampleChunk into stack arrays.
  double xs[SampleChunk], fs[SampleChunk];
  double x0 = a, f0 = Value(a);
  double x1 = a, f1 = f0;
  for (long start = 1; start < n; start += SampleChunk) {
    const long count = n - start < SampleChunk ? n - start : SampleChunk;
    for (long k = 0; k < count; ++k)
      xs[k] = start + k == n - 1 ? b : a + static_cast<double>(start + k) * h;
    function->EvalPoints(count, xs, XelMathOption::Value, fs, nullptr, nullptr);
    for (long k = 0; k < count; ++k) {
      const double x2 = xs[k], f2 = fs[k];
      if (start + k == 1) {
        x1 = x2;
        f1 = f2;
        // First piece: f'(a) < 0 with f(a) <= f(x1) hides a minimum inside [a, x1].
        if (f0 <= f1 && EndSlope(a) < 0.0) {
          const double x = a + GoldenFraction * (x1 - a);
          LocalBrentMinimize(a, x, x1, f0, function->Eval(x), f1);
        }
        continue;
      }
      if (f1 < f0 && f1 <= f2)
        LocalBrentMinimize(x0, x1, x2, f0, f1, f2);
      x0 = x1;
      f0 = f1;
      x1 = x2;
      f1 = f2;
    }
  }
  // Last piece: f'(b) > 0 with f(b) <= f(x_{n-2}).
  if (f1 <= f0 && EndSlope(b) > 0.0) {
    const double x = b - GoldenFraction * (b - x0);
    LocalBrentMinimize(x0, x, b, f0, _function->Eval(x), f1);
  }
  return XelMathStatus::Done;
}

int XelMathMinimizeX::LocalBrentMinimize(double iA, double iX, double iB, double iFa, double iFx,
                                         double iFb) {
  double a = iA, b = iB;
  double x = iX, fx = iFx;
  if (!(a <= x && x <= b) || !std::isfinite(fx))
    return 0;
  // w: second best point, v: the previous w. The bracket ends give the first parabola.
  double w = iFa <= iFb ? a : b, fw = iFa <= iFb ? iFa : iFb;
  double v = iFa <= iFb ? b : a, fv = iFa <= iFb ? iFb : iFa;
  if (!std::isfinite(fw) || !std::isfinite(fv)) {
    w = v = x;
    fw = fv = fx;
  }
  double d = b - a, e = b - a;
  // Locals: the evaluations below could otherwise make the compiler reload the members.
  const XelMathFunctionX* const function = _function;
  const double pointRes = _pointRes, scale = _scale;
  const double bisectionEps = _bisectionEps, valueUnit = _valueUnit;
  long smallChanges = 0;
  for (long it = 0; it < MaxBrentIterations; ++it) {
    const double xm = 0.5 * (a + b);
    const double floor = pointRes * (scale + std::fabs(a) + std::fabs(b));
    if (b - a < floor)
      break;
    const double tol1 = SqrtEpsilon * std::fabs(x) + floor * OneThird;
    const double tol2 = 2.0 * tol1;
    if (std::fabs(x - xm) <= tol2 - 0.5 * (b - a))
      break;
    bool golden = true;
    if (std::fabs(e) > tol1) {
      // Parabola through (v, fv), (w, fw), (x, fx).
      double r = (x - w) * (fx - fv);
      double q = (x - v) * (fx - fw);
      double p = (x - v) * q - (x - w) * r;
      q = 2.0 * (q - r);
      if (q > 0.0)
        p = -p;
      q = std::fabs(q);
      const double eOld = e;
      if (std::fabs(p) < std::fabs(0.5 * q * eOld) && p > q * (a - x) && p < q * (b - x)) {
        e = d;
        d = p / q;
        const double u = x + d;
        if (u - a < tol2 || b - u < tol2)
          d = xm >= x ? tol1 : -tol1;
        golden = false;
      }
    }
    if (golden) {
      e = x >= xm ? a - x : b - x;
      d = GoldenFraction * e;
    }
    const double u = std::fabs(d) >= tol1 ? x + d : x + (d >= 0.0 ? tol1 : -tol1);
    const double fu = function->Eval(u);
    if (fu <= fx) {
      const double change = fx - fu;
      if (u >= x)
        a = x;
      else
        b = x;
      v = w;
      fv = fw;
      w = x;
      fw = fx;
      x = u;
      fx = fu;
      // The best value no longer moves: two small changes in a row end the refinement.
      smallChanges = change < bisectionEps * (valueUnit + std::fabs(fx)) ? smallChanges + 1 : 0;
      if (smallChanges >= 2)
        break;
    } else {
      if (u < x)
        a = u;
      else
        b = u;
      if (fu <= fw || w == x) {
        v = w;
        fv = fw;
        w = u;
        fw = fu;
      } else if (fu <= fv || v == x || v == w) {
        v = u;
        fv = fu;
      }
    }
  }
  Remember(x, fx);
  return AddMinimum(x);
}

// ---- entry points of XelMathFunctionX ---------------------------------------------------------

namespace {

/// The options of Minimize, read in one pass over the attribute list: the first attribute
/// of each key counts, as a look-up by key would find it.
struct MinimizeOptions {
  enum Key {
    Tolerance,
    Scale,
    Absolute,
    Interior,
    Limit,
    Discretization,
    Sampling,
    Brent,
    TrueSampling,
    Ratio,
    Reconverge,
    KeyCount
  };
  const XelMathAttribute* found[KeyCount] = {};

  explicit MinimizeOptions(const XelMathAttrList* iAttributes) {
    if (!iAttributes)
      return;
    static const char* const keys[KeyCount] = {"XelMathAttrTolObject",
                                               "XelMathAttrScaleOption",
                                               AttrFunctionXAbsoluteExtremum,
                                               AttrFunctionXInteriorExtremum,
                                               AttrFunctionXLimitValue,
                                               AttrFunctionXDiscretizationMethod,
                                               AttrFunctionXSamplingPoints,
                                               AttrFunctionXBrentMethod,
                                               AttrFunctionXBrentMethodTrueSampling,
                                               AttrFunctionXInternalMinWidthRatio,
                                               AttrFunctionXReconvergeBestPoint};
    const long n = iAttributes->GetNumberOfAttributes();
    for (long i = 0; i < n; ++i) {
      const XelMathAttribute* entry = iAttributes->GetAttributeAt(i);
      const char* type = entry ? entry->GetType() : nullptr;
      if (!type)
        continue;
      for (int k = 0; k < KeyCount; ++k)
        if (!found[k] && type[0] == keys[k][0] && XelMathAttrName::SameKey(type, keys[k])) {
          found[k] = entry;
          break;
        }
    }
  }
  bool Has(Key iKey) const { return found[iKey] != nullptr; }
  template <class Attribute> const Attribute* Get(Key iKey) const {
    return dynamic_cast<const Attribute*>(found[iKey]);
  }
};

/// Sorts a set of dimension 1 by increasing abscissa: insertion, which only compares when the
/// points come in order (the strategies find them from left to right).
void SortAbscissae(XelMathSetOfPointsND& ioSet) {
  const double* x = ioSet.GetPoints();
  const long n = ioSet.GetNumberOfPoints();
  for (long i = 1; i < n; ++i) {
    if (!(x[i] < x[i - 1]))
      continue;
    const double v = x[i];
    long j = i;
    for (; j > 0 && v < x[j - 1]; --j)
      ioSet.SetCoordAtPoint(x[j - 1], 0, j);
    ioSet.SetCoordAtPoint(v, 0, j);
  }
}

} // namespace

int XelMathFunctionX::Minimize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMinima,
                               const XelMathAttrList* iAttributes) const {
  const MinimizeOptions options(iAttributes);
  const XelMathAttrTolObject* tolAttr =
      options.Get<XelMathAttrTolObject>(MinimizeOptions::Tolerance);
  const XelTolerance* tol =
      tolAttr ? &tolAttr->GetTolObject() : XelMathFunctionXFindTolerance(this);
  if (!tol)
    tol = &XelGetDefaultTolerance();
  const double s = tol->GetScaleFactor();

  // Scaling option: the list's, else the one of a basis function. Values of a minimized
  // function are expected in the square of the scale (F power 2), variables in the scale.
  const XelMathAttrScaleOption* option =
      options.Get<XelMathAttrScaleOption>(MinimizeOptions::Scale);
  if (!option)
    option = XelMathAnalysisScaling::BasisOption(this);
  double valueFactor = 1.0, variableFactor = 1.0;
  const bool scaled =
      option && XelMathAnalysisScaling::ScaleFactors(*option, s, 2, "XelMathFunctionX::Minimize",
                                                     valueFactor, variableFactor);
  if (oMinima.GetDimension() != 1)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "1",
                 "XelMathMinimize::Initialize");
  std::unique_ptr<XelMathScaleFunctionX> wrapper;
  if (scaled)
    wrapper = XelMathAnalysisScaling::MakeWrapper(this, *option, valueFactor, variableFactor);
  XelMathMinimizeX minimizer(scaled ? static_cast<const XelMathFunctionX*>(wrapper.get()) : this,
                             *tol);
  if (scaled && option->GetOKReviewed())
    minimizer.SetOKScaleReviewed();

  if (options.Has(MinimizeOptions::Absolute))
    minimizer.SetAbsoluteMinimum();
  if (options.Has(MinimizeOptions::Interior))
    minimizer.SetInteriorMinimum();
  if (const XelMathAttrDoubleValue* limit =
          options.Get<XelMathAttrDoubleValue>(MinimizeOptions::Limit))
    minimizer.SetLimitValue(limit->GetValue() * valueFactor, limit->GetOKReviewed() ? 1 : 0);
  if (options.Has(MinimizeOptions::Discretization))
    minimizer.SetDiscretizationMethod();
  if (const XelMathAttrIntegerValue* sampling =
          options.Get<XelMathAttrIntegerValue>(MinimizeOptions::Sampling))
    minimizer.SetSamplingValue(sampling->GetValue());
  if (options.Has(MinimizeOptions::Brent)) {
    minimizer.SetBrentMethod();
    if (options.Has(MinimizeOptions::TrueSampling))
      minimizer.SetBrentMethodTrueSampling();
  }
  if (const XelMathAttrDoubleValue* ratio =
          options.Get<XelMathAttrDoubleValue>(MinimizeOptions::Ratio))
    minimizer.SetInternalMinWidthRatio(ratio->GetValue());
  if (options.Has(MinimizeOptions::Reconverge))
    minimizer.SetReconvergeBestPoint();

  XelMathSetOfPointsND work(1, 16);
  const int status =
      XelMathAnalysisScaling::RunMapped(minimizer, wrapper.get(), iDomain, work, oMinima);
  if (oMinima.GetNumberOfPoints() > 1)
    SortAbscissae(oMinima);
  oMinima.Beginning();
  return status;
}

int XelMathFunctionX::Maximize(const XelMathInterval& iDomain, XelMathSetOfPointsND& oMaxima,
                               const XelMathAttrList* iAttributes) const {
  XelMathOppositeX opposite(this);
  // The opposite is no basis function: a scale option of this one travels in the list.
  XelMathAttrScaleOption option(2, 1);
  const bool carryOption = (!iAttributes || !iAttributes->GetAttribute("XelMathAttrScaleOption")) &&
                           XelMathAnalysisScaling::BasisScaleOption(this, option);
  XelMathAttrList list;
  if (iAttributes)
    list = *iAttributes;
  if (carryOption)
    list.AddAttribute(&option);
  const XelMathAttrList* attributes = carryOption ? &list : iAttributes;

  // A bound on the values of f is the opposite bound on the values of -f.
  return XelMathComposite::MinimizeWithOppositeLimit(&opposite, iDomain, oMaxima, iAttributes,
                                                     attributes);
}
