// XelMathImplicitSystem: the march (Run), its controls and the drivers (Solve, CleverSolve,
// SolveMultipleSolutions), constraints and diagnostics.
#include "XelMathImplicitSystem.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "XelMathAttrMultipleDomain.h"
#include "XelMathGlobals.h"
#include "XelMathImplicitSystemInternal.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathMarchingDiagnostic.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDTwoTangents.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"

using namespace XelMathMarching;

namespace {
double Distance(const long n, const double* a, const double* b) {
  return std::sqrt(XelSquareDistanceND(n, a, b));
}

/// Distance from p to the segment [a, b].
double SegmentDistance(const long n, const double* p, const double* a, const double* b) {
  double ab2 = 0.0, t = 0.0;
  for (long i = 0; i < n; ++i) {
    ab2 += (b[i] - a[i]) * (b[i] - a[i]);
    t += (p[i] - a[i]) * (b[i] - a[i]);
  }
  t = ab2 > 0.0 ? t / ab2 : 0.0;
  t = t < 0.0 ? 0.0 : (t > 1.0 ? 1.0 : t);
  double d2 = 0.0;
  for (long i = 0; i < n; ++i) {
    const double q = a[i] + t * (b[i] - a[i]) - p[i];
    d2 += q * q;
  }
  return std::sqrt(d2);
}

/// A domain the march can work in: of the system's dimension, not empty, with finite bounds
/// (the steps and the sag are fractions of its widths).
bool IsValidDomain(const XelMathIntervalND& iDomain, const long iN) {
  if (iDomain.GetDimension() != iN || iDomain.IsEmpty())
    return false;
  for (long i = 0; i < iN; ++i)
    if (!std::isfinite(iDomain.GetMin(i)) || !std::isfinite(iDomain.GetMax(i)))
      return false;
  return true;
}

class Doubles {
public:
  explicit Doubles(const long iCount) : _count(iCount), _data(XelQuorArrayDoubleNew(iCount)) {}
  ~Doubles() { XelQuorArrayDoubleDel(_data, _count); }
  Doubles(const Doubles&) = delete;
  Doubles& operator=(const Doubles&) = delete;
  double* Get() { return _data; }

private:
  long _count;
  double* _data;
};

/// The set of the kind the options ask for.
XelMathSetOfPointsND* NewResultSet(const long iN, const int iWithVectors, const int iTwoTangents) {
  if (iWithVectors)
    return new XelMathSetOfPointsNDWithVectors(iN);
  if (iTwoTangents)
    return new XelMathSetOfPointsNDTwoTangents(iN);
  return new XelMathSetOfPointsND(iN);
}

// Whether X lies on a face of the box (within iEps).
bool OnBorder(const XelMathIntervalND& iDomain, const double* X, const double iEps) {
  for (long i = 0; i < iDomain.GetDimension(); ++i)
    if (std::fabs(X[i] - iDomain.GetMin(i)) <= iEps || std::fabs(X[i] - iDomain.GetMax(i)) <= iEps)
      return true;
  return false;
}
} // namespace

// ---- diagnostics ----

void XelMathImplicitSystem::SetDiagnostic(const long d) {
  if (d == 0) {
    _cumulative = XelMathMarchingCode::UnderWay;
    return;
  }
  _diagnostic = d;
  if ((_cumulative & XelMathMarchingCode::UnderWay) &&
      !(d & (XelMathMarchingCode::NormalEnd | XelMathMarchingCode::Failure))) {
    _cumulative |= d;
    if (d & XelMathMarchingCode::SingularOrClosure)
      _stopInfo = StopSingularOrClosure;
    return;
  }
  _cumulative &= ~XelMathMarchingCode::UnderWay;
  if (d & XelMathMarchingCode::SingularOrClosure)
    _stopInfo = StopSingularOrClosure;
  if (d & XelMathMarchingCode::Failure)
    _stopInfo = StopFailure;
  _cumulative |= d;
}

long XelMathImplicitSystem::GetDiagnostic() const {
  return _diagnostic;
}

void XelMathImplicitSystem::SetStartDiagnostic(const long iDiagnostic) {
  _startDiagnostic = iDiagnostic;
}

void XelMathImplicitSystem::SetEndDiagnostic(const long iDiagnostic) {
  _endDiagnostic = iDiagnostic;
}

XelMathMarchingDiagnostic* XelMathImplicitSystem::GetBranchDiagnostic() const {
  return new XelMathMarchingDiagnostic(_diagnostic);
}

void XelMathImplicitSystem::SetStartMarchingDiagnostic(const long iSol,
                                                       const XelMathMarchingDiagnostic& iDiag) {
  if (iSol >= 0 && iSol < _nbSolDiag)
    _solDiagnostics[2 * iSol] = iDiag.GetStopDiagnostic();
}

void XelMathImplicitSystem::SetEndMarchingDiagnostic(const long iSol,
                                                     const XelMathMarchingDiagnostic& iDiag) {
  if (iSol >= 0 && iSol < _nbSolDiag)
    _solDiagnostics[2 * iSol + 1] = iDiag.GetStopDiagnostic();
}

void XelMathImplicitSystem::GetStartEndDiagnosticsOfSol(const long iSol, long& oStart,
                                                        long& oEnd) const {
  if (iSol < 0 || iSol >= _nbSolDiag)
    XelMathRaise(XelErrorCode::WrongIndex, "XelMathImplicitSystem::GetStartEndDiagnosticsOfSol",
                 "Wrong Index", "");
  oStart = _solDiagnostics[2 * iSol];
  oEnd = _solDiagnostics[2 * iSol + 1];
}

// ---- constraint ----

void XelMathImplicitSystem::EvalConstraint(const double*, double& oValue) const {
  oValue = 1.0;
}

void XelMathImplicitSystem::EvalConstraintJacobian(const double* X, double* oGradient) const {
  Doubles work(_n);
  double* x = work.Get();
  std::memcpy(x, X, sizeof(double) * _n);
  const double s = _tol.GetScaleFactor();
  for (long j = 0; j < _n; ++j) {
    const double h = XelMathh1 * (s + std::fabs(X[j]));
    double plus = 0.0, minus = 0.0;
    x[j] = X[j] + h;
    EvalConstraint(x, plus);
    x[j] = X[j] - h;
    EvalConstraint(x, minus);
    x[j] = X[j];
    oGradient[j] = (plus - minus) / (2.0 * h);
  }
}

void XelMathImplicitSystem::EvalConstraint(const double* X, double& oValue,
                                           double* oGradient) const {
  EvalConstraint(X, oValue);
  EvalConstraintJacobian(X, oGradient);
}

int XelMathImplicitSystem::IsConstraintPointOK(const double* X) {
  Doubles f(_n);
  return IsRoot(X, f.Get());
}

int XelMathImplicitSystem::SolveOnConstraint(const double* iX1, const double* iX2, double* oX) {
  const long n = _n;
  Doubles work(4 * n);
  double* a = work.Get();
  double* b = a + n;
  double* m = b + n;
  double* chord = m + n;
  std::memcpy(a, iX1, sizeof(double) * n);
  std::memcpy(b, iX2, sizeof(double) * n);
  double ga = 0.0, gb = 0.0;
  EvalConstraint(a, ga);
  EvalConstraint(b, gb);
  if ((ga < 0.0) == (gb < 0.0))
    return 0;
  // Bisection along the arc: each middle of the chord is brought back onto the curve on the
  // hyperplane orthogonal to the chord, and the constraint sign decides which half remains.
  for (int it = 0; it < 200 && Distance(n, a, b) > _tol.GetPointResolution(); ++it) {
    for (long i = 0; i < n; ++i) {
      chord[i] = b[i] - a[i];
      m[i] = 0.5 * (a[i] + b[i]);
    }
    if (!SolveOnHyperPlane(m, chord))
      for (long i = 0; i < n; ++i)
        m[i] = 0.5 * (a[i] + b[i]);
    // The secant guess is used once the arc is short: it converges faster than halving.
    double gm = 0.0;
    EvalConstraint(m, gm);
    if ((gm < 0.0) == (ga < 0.0)) {
      std::memcpy(a, m, sizeof(double) * n);
      ga = gm;
    } else {
      std::memcpy(b, m, sizeof(double) * n);
      gb = gm;
    }
  }
  // The end with the smaller constraint magnitude.
  std::memcpy(oX, std::fabs(ga) <= std::fabs(gb) ? a : b, sizeof(double) * n);
  return IsConstraintPointOK(oX);
}

long XelMathImplicitSystem::FindConstraintChangeOfSign(const XelMathSetOfPointsND& iSet) {
  const long count = iSet.GetNumberOfPoints();
  if (count < 2)
    return -1;
  const double* p = iSet.GetPoints();
  double previous = 0.0;
  EvalConstraint(p, previous);
  for (long i = 1; i < count; ++i) {
    double g = 0.0;
    EvalConstraint(p + i * _n, g);
    if ((g < 0.0) != (previous < 0.0))
      return i - 1;
    previous = g;
  }
  return -1;
}

int XelMathImplicitSystem::FindConstraintChangeOfSign(const double* iX1, const double* iX2,
                                                      const double* iX3, double* oX) {
  double g1 = 0.0, g2 = 0.0, g3 = 0.0;
  EvalConstraint(iX1, g1);
  EvalConstraint(iX2, g2);
  if ((g1 < 0.0) != (g2 < 0.0))
    return SolveOnConstraint(iX1, iX2, oX);
  if (!iX3)
    return 0;
  EvalConstraint(iX3, g3);
  if ((g2 < 0.0) != (g3 < 0.0))
    return SolveOnConstraint(iX2, iX3, oX);
  return 0;
}

// ---- geometry of the march ----

int XelMathImplicitSystem::IsContaining(const XelMathSetOfPointsND& iSet, const double* iX1,
                                        const double* iX2, const double iTol, const long iSkip,
                                        long& oIndex) const {
  return IsContainingFrom(iSet, iX1, iX2, iTol, iSkip, 0, oIndex);
}

int XelMathImplicitSystem::IsContainingFrom(const XelMathSetOfPointsND& iSet, const double* iX1,
                                            const double* iX2, const double iTol, const long iSkip,
                                            const long iFirst, long& oIndex) const {
  oIndex = -1;
  const long last = iSet.GetNumberOfPoints() - iSkip;
  const double* p = iSet.GetPoints();
  if (last > iFirst)
    _containingWork += static_cast<double>(last - iFirst);
  // A point farther than the tolerance from the box of the segment along one coordinate is
  // farther from the segment (and from X2): skipped before any distance is computed. The
  // margin covers the rounding of the distances.
  const long n = _n;
  const double margin = iTol * (1.0 + 1e-9) + 1e-300;
  XelMathScratchDoubles<32> bounds(2 * n);
  double* lo = bounds.Data();
  double* hi = lo + n;
  for (long i = 0; i < n; ++i) {
    const double a = _containingV2 ? iX1[i] : iX2[i];
    lo[i] = std::fmin(a, iX2[i]) - margin;
    hi[i] = std::fmax(a, iX2[i]) + margin;
  }
  for (long j = iFirst; j < last; ++j) {
    const double* q = p + j * _n;
    long i = 0;
    while (i < n && q[i] >= lo[i] && q[i] <= hi[i])
      ++i;
    if (i < n)
      continue;
    _containingDistances += 1.0;
    if (Distance(_n, q, iX1) <= iTol)
      continue; // the point the segment starts from
    const double d = _containingV2 ? SegmentDistance(_n, q, iX1, iX2) : Distance(_n, q, iX2);
    if (d <= iTol) {
      oIndex = j;
      return 1;
    }
  }
  return 0;
}

int XelMathImplicitSystem::IsOnArc(const double* iQ, const double* iX1, const double* iT1,
                                   const double* iX2, const double* iT2, const double iTol) {
  // The hyperplane through iQ orthogonal to the chord cuts the arc of the chord once; iQ, a
  // point of the curve, lies on that arc when it is that cut. The Newton iterations start on
  // the cubic of the two ends and tangents (much closer to the arc than the sag), so that a
  // part of the curve running alongside is not taken for the arc.
  const long n = _n;
  XelMathScratchDoubles<64> work(2 * n);
  double* chord = work.Data();
  double* m = chord + n;
  double c2 = 0.0, t = 0.0, n1 = 0.0, n2 = 0.0;
  for (long i = 0; i < n; ++i) {
    chord[i] = iX2[i] - iX1[i];
    c2 += chord[i] * chord[i];
    t += chord[i] * (iQ[i] - iX1[i]);
    n1 += iT1[i] * iT1[i];
    n2 += iT2[i] * iT2[i];
  }
  if (!(c2 > 0.0 && n1 > 0.0 && n2 > 0.0))
    return 0;
  t /= c2;
  const double L = std::sqrt(c2);
  const double h10 = L * t * (1.0 - t) * (1.0 - t) / std::sqrt(n1);
  const double h11 = -L * t * t * (1.0 - t) / std::sqrt(n2);
  const double h01 = t * t * (3.0 - 2.0 * t);
  double shift = 0.0;
  for (long i = 0; i < n; ++i) {
    m[i] = iX1[i] + h01 * chord[i] + h10 * iT1[i] + h11 * iT2[i];
    shift += (iQ[i] - m[i]) * chord[i];
  }
  for (long i = 0; i < n; ++i) // onto the hyperplane through iQ
    m[i] += shift / c2 * chord[i];
  return SolveOnHyperPlane(m, chord) && Distance(n, m, iQ) <= iTol ? 1 : 0;
}

double XelMathImplicitSystem::EvalStep(const double* iX1, const double* iT1, const double* iX2,
                                       const double* iT2) const {
  const long n = _n;
  double d2 = 0.0, q2 = 0.0;
  const double n1 = std::sqrt(Dot(iT1, iT1));
  const double n2 = std::sqrt(Dot(iT2, iT2));
  for (long i = 0; i < n; ++i) {
    const double w = _metric[i];
    const double dx = w * (iX2[i] - iX1[i]);
    const double dt = w * ((n2 > 0.0 ? iT2[i] / n2 : 0.0) - (n1 > 0.0 ? iT1[i] / n1 : 0.0));
    d2 += dx * dx;
    q2 += dt * dt;
  }
  double h = _globalMaxStep;
  if (d2 > 0.0 && q2 > 1e-30 * d2) {
    const double K = q2 / d2;
    const double s = _sag;
    const double value = 2.0 * s * std::sqrt(2.0 + 2.0 * std::sqrt(1.0 + 1.0 / (K * s * s)));
    if (std::isfinite(value))
      h = value;
  }
  if (h < _minStep)
    h = _minStep;
  if (h > _globalMaxStep)
    h = _globalMaxStep;
  for (long i = 0; i < n; ++i)
    if (std::fabs(h * iT2[i]) > _maxStep[i] && iT2[i] != 0.0)
      h = _maxStep[i] / std::fabs(iT2[i]);
  return h;
}

int XelMathImplicitSystem::ValidateNextPoint(const double* iX, const double* iT,
                                             const double* iXnew, const double* iTnew,
                                             const double iStep) {
  const long n = _n;
  const double* predicted = _work + PredictedX * _n;
  double chord2 = 0.0, along = 0.0, alongNew = 0.0;
  for (long i = 0; i < n; ++i) {
    const double d = iXnew[i] - iX[i];
    chord2 += _metric[i] * _metric[i] * d * d;
    along += _metric[i] * _metric[i] * d * iT[i];
    alongNew += _metric[i] * _metric[i] * d * iTnew[i];
  }
  const double chord = std::sqrt(chord2);
  if (!(chord > 0.0))
    return 0;
  // The correction must not jump: it stays within half a step of the prediction, and the
  // chord goes forward along both tangents.
  if (Distance(n, iXnew, predicted) > 0.5 * iStep + _tol.GetPointResolution())
    return 0;
  if (along <= 0.0 || alongNew <= 0.0)
    return 0;
  // A tangent that turns too much, or a chord that deviates beyond the sag.
  const double turn = Dot(iT, iTnew);
  if (turn < TurnCosine)
    return 0;
  double q2 = 0.0;
  for (long i = 0; i < n; ++i) {
    const double dt = _metric[i] * (iTnew[i] - iT[i]);
    q2 += dt * dt;
  }
  const double curvature = std::sqrt(q2) / chord;
  if (chord * chord * curvature / 8.0 > SagSlack * _sag)
    return 0;
  if (_level >= 5 && along < -_tol.GetRelativeEpsilon())
    return 0;
  // Each group of variables moves by at most its own maximum step.
  long first = 0;
  for (long g = 0; g < _nbGroups; ++g) {
    double move = 0.0;
    for (long i = first; i < first + _groups[g]; ++i)
      move += (iXnew[i] - iX[i]) * (iXnew[i] - iX[i]);
    if (std::sqrt(move) > GroupSlack * _groupMaxStep[g])
      return 0;
    first += _groups[g];
  }
  return 1;
}

int XelMathImplicitSystem::FindLastPoint(const XelMathIntervalND& iDomain, const double* iIn,
                                         const double* iT, const double* iOut, double* oX,
                                         double* oT) {
  const long n = _n;
  Doubles work(n);
  double* normal = work.Get();
  // First the exact crossing: Newton on the face hyperplane through the crossing of the chord.
  double t = 0.0;
  long face = -1;
  if (iDomain.Intersection(iIn, iOut, t, face) && face >= 0) {
    const long k = face / 2;
    const double bound = (face % 2) ? iDomain.GetMax(k) : iDomain.GetMin(k);
    for (long i = 0; i < n; ++i) {
      oX[i] = iIn[i] + t * (iOut[i] - iIn[i]);
      normal[i] = (i == k) ? 1.0 : 0.0;
    }
    oX[k] = bound;
    if (SolveOnHyperPlane(oX, normal)) {
      oX[k] = bound;
      const double reach = Distance(n, iIn, iOut);
      if (iDomain.ContainsPoint(oX, _tol.GetPointResolution()) && InSubdomain(oX) &&
          Distance(n, oX, iIn) <= 2.0 * reach + _tol.GetPointResolution()) {
        std::memcpy(oT, iT, sizeof(double) * n);
        // The curve must go out there: where it comes back in, the face was crossed earlier
        // (a short arc outside, the Newton iterations drawn to its far end).
        if (FindTangent(oX, oT) && ((face % 2) ? oT[k] : -oT[k]) >= 0.0)
          return 1;
      }
    }
  }
  // Otherwise a bisection along the arc between the last inside and the outside point.
  FindLastPointWithBS(iDomain, iIn, iOut, oX);
  std::memcpy(oT, iT, sizeof(double) * n);
  return FindTangent(oX, oT);
}

int XelMathImplicitSystem::FindLastPointWithBS(const XelMathIntervalND& iDomain,
                                               const double* iIn, const double* iOut,
                                               double* oX) {
  const long n = _n;
  Doubles work(3 * n);
  double* normal = work.Get();
  double* b = normal + n;
  double* m = b + n;
  std::memcpy(oX, iIn, sizeof(double) * n);
  std::memcpy(b, iOut, sizeof(double) * n);
  for (int it = 0; it < 200 && Distance(n, oX, b) > _tol.GetPointResolution(); ++it) {
    for (long i = 0; i < n; ++i) {
      normal[i] = b[i] - oX[i];
      m[i] = 0.5 * (oX[i] + b[i]);
    }
    if (!SolveOnHyperPlane(m, normal))
      for (long i = 0; i < n; ++i)
        m[i] = 0.5 * (oX[i] + b[i]);
    // Strictly inside: the end then stays on the curve (the clamp below leaves it alone).
    const bool inside = iDomain.ContainsPoint(m) && InSubdomain(m);
    std::memcpy(inside ? oX : b, m, sizeof(double) * n);
  }
  for (long i = 0; i < n; ++i)
    oX[i] = std::fmin(std::fmax(oX[i], iDomain.GetMin(i)), iDomain.GetMax(i));
  return 1;
}

double XelMathImplicitSystem::SubdomainMinDistance(const double* X) const {
  const XelMathIntervalND* box = _multipleDomain ? _multipleDomain->GetDomain() : nullptr;
  if (!box || box->GetDimension() != _n)
    return 0.0;
  double excess = 0.0;
  for (long i = 0; i < _n; ++i) {
    if (std::isnan(X[i]))
      return HUGE_VAL;
    excess = std::fmax(excess, box->GetMin(i) - X[i]);
    excess = std::fmax(excess, X[i] - box->GetMax(i));
  }
  return excess;
}

int XelMathImplicitSystem::InSubdomain(const double* X) const {
  return SubdomainMinDistance(X) <= _tol.GetPointResolution() ? 1 : 0;
}

int XelMathImplicitSystem::OutOfDomain(const XelMathIntervalND& iDomain, const double* iX,
                                       const double* iXnew, double* oCross) const {
  if (iDomain.ContainsPoint(iXnew))
    return 0;
  if (oCross) {
    double lambda = 0.0;
    long face = -1;
    if (iDomain.ContainsPoint(iX) && iDomain.Intersection(iX, iXnew, lambda, face) && face >= 0 &&
        lambda <= 1.0) {
      for (long i = 0; i < _n; ++i)
        oCross[i] = iX[i] + lambda * (iXnew[i] - iX[i]);
      oCross[face / 2] = (face % 2) ? iDomain.GetMax(face / 2) : iDomain.GetMin(face / 2);
    } else {
      std::memcpy(oCross, iXnew, sizeof(double) * _n);
    }
    for (long i = 0; i < _n; ++i) // rounding of the crossing must not leave the box
      oCross[i] = std::fmin(std::fmax(oCross[i], iDomain.GetMin(i)), iDomain.GetMax(i));
  }
  return 1;
}

int XelMathImplicitSystem::LeavesDomainBetween(const XelMathIntervalND& iDomain, const double* iX,
                                               const double* iT, const double* iXnew,
                                               const double* iTnew, double* oOut) {
  const long n = _n;
  const double r = _tol.GetPointResolution();
  const double chord = Distance(n, iX, iXnew);
  XelMathScratchDoubles<64> work(4 * n);
  double* a = work.Data();
  double* b = a + n;
  double* m = b + n;
  double* t = m + n;
  for (long k = 0; k < n; ++k) {
    // Coordinate k has a maximum (side 1) or a minimum (side -1) on the arc when its tangent
    // component changes sign; over an arc of about the chord it cannot move farther than the
    // chord beyond its ends.
    const double side =
        iT[k] > 0.0 && iTnew[k] < 0.0 ? 1.0 : (iT[k] < 0.0 && iTnew[k] > 0.0 ? -1.0 : 0.0);
    if (side == 0.0)
      continue;
    const double bound = side > 0.0 ? iDomain.GetMax(k) : iDomain.GetMin(k);
    std::memcpy(a, iX, sizeof(double) * n);
    std::memcpy(b, iXnew, sizeof(double) * n);
    // Bisection along the arc on the sign of the tangent component, as long as the extremum
    // can still reach beyond the bound; a point of the arc found outside ends it.
    for (int it = 0; it < 200; ++it) {
      const double span = Distance(n, a, b);
      if (span <= r || side * (bound - side * std::fmax(side * a[k], side * b[k])) > span + r)
        break;
      for (long i = 0; i < n; ++i) {
        t[i] = b[i] - a[i];
        m[i] = 0.5 * (a[i] + b[i]);
      }
      if (!SolveOnHyperPlane(m, t) || Distance(n, m, iX) > 2.0 * chord)
        break;
      if (side * (m[k] - bound) > r) {
        std::memcpy(oOut, m, sizeof(double) * n);
        return 1;
      }
      std::memcpy(t, iT, sizeof(double) * n);
      if (!FindTangent(m, t))
        break;
      std::memcpy(side * t[k] > 0.0 ? a : b, m, sizeof(double) * n);
    }
  }
  return 0;
}

// ---- one march ----

int XelMathImplicitSystem::InitializeRun(XelMathMarchState& ioState, const double* iX0,
                                         const double* iT0) {
  const long n = _n;
  double* X = _work + CurrentX * n;
  double* T = _work + CurrentT * n;
  double* F = _work + Values * n;
  auto refuse = [&](const long iCode, const char* iText) {
    if (!_quiet)
      XelMathRaise(iCode, "Solve", iText, "");
    SetDiagnostic(XelMathMarchingCode::Failure);
    return 0;
  };
  // Inside the domain (a point within tolerance is projected), on the curve, admissible.
  std::memcpy(X, iX0, sizeof(double) * n);
  if (!ioState.domain.ContainsPoint(X)) {
    XelMathIntervalND grown(ioState.domain);
    ExpandDomain(grown);
    if (!grown.ContainsPoint(X))
      return refuse(XelErrorCode::InvalidMatrixSize, "Start Point out of Domain");
    for (long i = 0; i < n; ++i)
      X[i] = std::fmin(std::fmax(X[i], ioState.domain.GetMin(i)), ioState.domain.GetMax(i));
  }
  if (!IsRoot(X, F))
    return refuse(XelErrorCode::InvalidStartPoint, " Invalid Start Point");
  EvalConstraint(X, ioState.g);
  if (ioState.g < 0.0 && !_optConstraint)
    return refuse(XelErrorCode::InvalidStartPoint, " Invalid Start Point");
  if (!VerifyStartTangent(ioState, X, iT0, T))
    return refuse(XelErrorCode::InvalidStartPoint, " Invalid Start Point");
  return 1;
}

int XelMathImplicitSystem::VerifyStartTangent(XelMathMarchState& ioState, const double* X,
                                              const double* iT0, double* oT) {
  const long n = _n;
  double* raw = _work + RawT * n;
  double givenNorm = 0.0;
  if (iT0)
    for (long i = 0; i < n; ++i)
      givenNorm += iT0[i] * iT0[i];
  if (EvalTangent(X, raw)) {
    double d = 0.0;
    if (givenNorm > 0.0)
      for (long i = 0; i < n; ++i)
        d += raw[i] * iT0[i];
    ioState.sign = d < 0.0 ? -1.0 : 1.0;
    if (_optNotInverse && givenNorm > 0.0)
      Normalize(iT0, 1.0, oT);
    else
      Normalize(raw, ioState.sign, oT);
    return 1;
  }
  if (givenNorm > 0.0) {
    Normalize(iT0, 1.0, oT); // a singular start: the branch direction given
    ioState.sign = 0.0;      // decided at the first point
    return 1;
  }
  return 0;
}

double XelMathImplicitSystem::InitializeStep(const double* X, const double* T) {
  const long n = _n;
  double* Xs = _work + ShiftedX * n;
  double* raw = _work + RawT * n;
  double* Ts = _work + Scratch1 * n;
  const double S = _tol.GetScaleFactor();
  double h = 0.1;
  for (long i = 0; i < n; ++i)
    Xs[i] = X[i] + XelMathh1 * S * T[i];
  if (EvalTangent(Xs, raw)) {
    double d = 0.0;
    for (long i = 0; i < n; ++i)
      d += raw[i] * T[i];
    Normalize(raw, d < 0.0 ? -1.0 : 1.0, Ts);
    h = EvalStep(X, T, Xs, Ts);
  }
  if (h < MIN_DOMAIN / 10.0)
    h = MIN_DOMAIN / 10.0;
  for (long i = 0; i < n; ++i)
    if (std::fabs(h * T[i]) > _maxStep[i] && T[i] != 0.0)
      h = _maxStep[i] / std::fabs(T[i]);
  return h;
}

void XelMathImplicitSystem::Predict(XelMathMarchState& ioState) {
  const long n = _n;
  const double* X = _work + CurrentX * n;
  const double* T = _work + CurrentT * n;
  const double* Xprev = _work + PreviousX * n;
  const double* Tprev = _work + PreviousT * n;
  double* Xp = _work + PredictedX * n;
  const double S = _tol.GetScaleFactor();
  const double h = ioState.h;
  double& s = ioState.s;
  // Second order from the change of tangent.
  bool frozen = false;
  for (long i = 0; i < n; ++i) {
    if (std::fabs(T[i]) * _globalMaxStep < 1e-5 * std::fmin(S, _maxStep[i])) {
      Xp[i] = X[i];
      frozen = true;
    } else {
      Xp[i] = X[i] + s * (T[i] + s * (0.5 / h) * (T[i] - Tprev[i]));
    }
  }
  // The correction ends on the hyperplane through the prediction: placed at the distance
  // along the tangent of a chord of length s on the circle of the current curvature.
  if (ioState.havePrevious && !frozen) {
    double d2 = 0.0, q2 = 0.0, along = 0.0;
    for (long i = 0; i < n; ++i) {
      const double w2 = _metric[i] * _metric[i];
      d2 += w2 * (X[i] - Xprev[i]) * (X[i] - Xprev[i]);
      q2 += w2 * (T[i] - Tprev[i]) * (T[i] - Tprev[i]);
      along += w2 * (Xp[i] - X[i]) * T[i];
    }
    const double k2 = d2 > 0.0 ? q2 / d2 : 0.0;
    // No longer than the chord whose sag on that circle is exactly the sag, and no more than
    // a fixed turn of the tangent: on a curve smaller than the sag the sag alone would allow
    // a chord across the whole curve.
    if (k2 > 0.0) {
      const double radius = 1.0 / std::sqrt(k2);
      if (_sag < radius)
        s = std::fmin(s, 2.0 * std::sqrt(_sag * (2.0 * radius - _sag)));
      s = std::fmin(s, MaxTurnChord * radius);
    }
    if (k2 * s * s < 4.0) {
      const double shift = s * std::sqrt(1.0 - 0.25 * k2 * s * s) - along;
      for (long i = 0; i < n; ++i)
        Xp[i] += shift * T[i];
    }
  }
  if (_level >= 8) {
    double* cross = _work + Scratch2 * n;
    if (OutOfDomain(ioState.domain, X, Xp, cross))
      std::memcpy(Xp, cross, sizeof(double) * n);
  }
}

int XelMathImplicitSystem::FindNewPoint(XelMathMarchState& ioState) {
  const long n = _n;
  double* X = _work + CurrentX * n;
  double* T = _work + CurrentT * n;
  double* Xp = _work + PredictedX * n;
  double* Xn = _work + NewX * n;
  double* Tn = _work + NewT * n;
  double* raw = _work + RawT * n;
  std::memcpy(Xn, Xp, sizeof(double) * n);
  if (!SolveOnHyperPlane(Xn, T)) {
    std::memcpy(Xn, Xp, sizeof(double) * n);
    if (!SolveSafeOnHyperPlane(Xn, T))
      return StepRetried;
  }
  const int tangentOK = EvalTangent(Xn, raw);
  if (tangentOK && ioState.sign == 0.0) {
    double d = 0.0;
    for (long i = 0; i < n; ++i)
      d += raw[i] * T[i];
    ioState.sign = d < 0.0 ? -1.0 : 1.0;
  }
  if (tangentOK)
    Normalize(raw, ioState.sign, Tn);
  if (tangentOK && Dot(Tn, T) >= 0.0)
    return StepAccepted;
  // A singular point on the way (the oriented tangent turns over), or a jump to another
  // branch (no singular point there: refused).
  if (!tangentOK)
    std::memcpy(Tn, T, sizeof(double) * n);
  Doubles keep(n);
  if (ManageSingularity(X, T, Xn, Tn, keep.Get())) {
    if (ClosesAtSingularPoint(ioState, keep.Get(), Tn))
      return StepEnded;
    if (!EqualPoints(keep.Get(), X)) {
      Doubles branch(n);
      std::memcpy(branch.Get(), T, sizeof(double) * n);
      FindTangent(keep.Get(), branch.Get());
      ioState.points.AddPointWithVector(keep.Get(), branch.Get());
    }
    std::memcpy(_continuation, keep.Get(), sizeof(double) * n);
    std::memcpy(_continuation + n, Xn, sizeof(double) * n);
    std::memcpy(_continuation + 2 * n, Tn, sizeof(double) * n);
    _singularStop = 1;
    ++_nbSingular;
    SetDiagnostic(tangentOK ? XelMathMarchingCode::SingularOrClosure
                            : XelMathMarchingCode::SingularCorrection);
    return StepEnded;
  }
  if (!tangentOK && _ratio * ioState.h <= 10.0 * _minStep) {
    SetDiagnostic(XelMathMarchingCode::TangentNotComputable);
    return StepEnded;
  }
  return StepRetried;
}

int XelMathImplicitSystem::ClosesAtSingularPoint(XelMathMarchState& ioState, const double* iXs,
                                                 const double* iT) {
  // The branch leaving iXs was traced already when a traced point lies there with that
  // tangent (the march started on the node, or crossed it the same way before): the curve
  // closes on that point.
  const long n = _n;
  if (!(Dot(iT, iT) > 0.0))
    return 0;
  const XelMathSetOfPointsND* sets[3] = {&ioState.points, _tracedSets[0], _tracedSets[1]};
  const double signs[3] = {1.0, _tracedSigns[0], _tracedSigns[1]};
  XelMathScratchDoubles<64> work(2 * n);
  double* pj = work.Data();
  double* tj = pj + n;
  const XelMathSetOfPointsNDWithVectors* best = nullptr;
  long bestIndex = -1;
  double bestDistance = ioState.closureTol, bestSign = 1.0;
  const double behind = 1e-3 * ioState.closureTol + 10.0 * _tol.GetPointResolution();
  for (int k = 0; k < 3; ++k) {
    if (!sets[k] || !sets[k]->IsAKindOf("XelMathSetOfPointsNDWithVectors"))
      continue;
    const XelMathSetOfPointsNDWithVectors* set =
        static_cast<const XelMathSetOfPointsNDWithVectors*>(sets[k]);
    for (long j = 0; j < set->GetNumberOfPoints(); ++j) {
      const double* q = set->GetPoints() + j * n;
      const double d = Distance(n, q, iXs);
      if (d > bestDistance)
        continue;
      // A point before the singular point along the march (the one the march comes from)
      // arrives there; only a point on it or beyond it leaves along the branch.
      double along = 0.0;
      for (long i = 0; i < n; ++i)
        along += (q[i] - iXs[i]) * iT[i];
      if (along < -behind * std::sqrt(Dot(iT, iT)))
        continue;
      set->GetVector(j, tj);
      const double norm = std::sqrt(Dot(tj, tj) * Dot(iT, iT));
      if (norm > 0.0 && signs[k] * Dot(tj, iT) / norm > ClosureCosine) {
        best = set;
        bestIndex = j;
        bestDistance = d;
        bestSign = signs[k];
      }
    }
  }
  if (!best)
    return 0;
  best->GetPointWithVector(bestIndex, pj, tj);
  for (long i = 0; i < n; ++i)
    tj[i] *= bestSign;
  ioState.points.AddPointWithVector(pj, tj);
  _closed = 1;
  SetDiagnostic(XelMathMarchingCode::SingularOrClosure);
  return 1;
}

int XelMathImplicitSystem::Controles(XelMathMarchState& ioState) {
  const long n = _n;
  const double* X = _work + CurrentX * n;
  const double* T = _work + CurrentT * n;
  const double* Xn = _work + NewX * n;
  const double* Tn = _work + NewT * n;
  if (!ValidateNextPoint(X, T, Xn, Tn, ioState.s))
    return StepRetried;
  if (OutOfDomain(ioState.domain, X, Xn, nullptr) || !InSubdomain(Xn) ||
      LeavesDomainBetween(ioState.domain, X, T, Xn, Tn, _work + NewX * n)) {
    SearchEndPoint(ioState);
    return StepEnded;
  }
  if (_endPoints) {
    const long count = _endPoints->GetNumberOfPoints();
    for (long k = 0; k < count; ++k) {
      const double* q = _endPoints->GetPoints() + k * n;
      if (k == _ignoredEndPoint || Distance(n, q, X) <= ioState.closureTol ||
          SegmentDistance(n, q, X, Xn) > ioState.closureTol)
        continue;
      Doubles qt(n);
      std::memcpy(qt.Get(), Tn, sizeof(double) * n);
      FindTangent(q, qt.Get());
      TryToAddPoint(ioState.points, q, qt.Get());
      _reachedEndPoint = k;
      SetDiagnostic(XelMathMarchingCode::EndReached);
      return StepEnded;
    }
  }
  const int constraint = ManageConstraint(ioState);
  if (constraint != StepAccepted)
    return constraint;
  return VerifySet(ioState);
}

void XelMathImplicitSystem::SearchEndPoint(XelMathMarchState& ioState) {
  const long n = _n;
  Doubles bx(n), bt(n);
  if (FindLastPoint(ioState.domain, _work + CurrentX * n, _work + CurrentT * n,
                    _work + NewX * n, bx.Get(), bt.Get()))
    TryToAddPoint(ioState.points, bx.Get(), bt.Get());
  SetDiagnostic(ioState.points.GetNumberOfPoints() < 2 ? XelMathMarchingCode::Failure
                                                       : XelMathMarchingCode::EndReached);
}

int XelMathImplicitSystem::ManageConstraint(XelMathMarchState& ioState) {
  const long n = _n;
  const double* X = _work + CurrentX * n;
  const double* Xn = _work + NewX * n;
  EvalConstraint(Xn, ioState.gNew);
  if ((ioState.gNew < 0.0) == (ioState.g < 0.0))
    return StepAccepted;
  Doubles c(n), ct(n);
  if (!SolveOnConstraint(X, Xn, c.Get()))
    return StepRetried;
  std::memcpy(ct.Get(), _work + NewT * n, sizeof(double) * n);
  FindTangent(c.Get(), ct.Get());
  TryToAddPoint(ioState.points, c.Get(), ct.Get());
  SetDiagnostic(XelMathMarchingCode::OnConstraint);
  return StepEnded;
}

int XelMathImplicitSystem::VerifySet(XelMathMarchState& ioState) {
  // The tolerance is also bounded by half the chord, so that on a curve smaller than the sag
  // the points already traced are not all within it (neither skipped as the chord's start
  // nor taken for a return).
  const long n = _n;
  const double* X = _work + CurrentX * n;
  const double* T = _work + CurrentT * n;
  const double* Xn = _work + NewX * n;
  const double* Tn = _work + NewT * n;
  const double closureNow = std::fmin(ioState.closureTol, 0.5 * Distance(n, X, Xn));
  // A traced point near the chord is a return only when it lies on the chord's own arc: a
  // part of the curve running alongside within the tolerance (a thin loop, the other half of
  // a flat ellipse) is not the part already traced.
  const double onArc = 1e-3 * closureNow + 10.0 * _tol.GetPointResolution();
  const XelMathSetOfPointsND* sets[3] = {&ioState.points, _tracedSets[0], _tracedSets[1]};
  const double signs[3] = {1.0, _tracedSigns[0], _tracedSigns[1]};
  XelMathScratchDoubles<64> work(2 * n);
  double* pj = work.Data();
  double* tj = pj + n;
  for (int k = 0; k < 3; ++k) {
    if (!sets[k])
      continue;
    long j = -1;
    while (IsContainingFrom(*sets[k], X, Xn, closureNow, k == 0 ? 2 : 0, j + 1, j)) {
      sets[k]->GetPoint(j, pj);
      if (!IsOnArc(pj, X, T, Xn, Tn, onArc))
        continue;
      const XelMathSetOfPointsNDWithVectors* withVectors =
          sets[k]->IsAKindOf("XelMathSetOfPointsNDWithVectors")
              ? static_cast<const XelMathSetOfPointsNDWithVectors*>(sets[k])
              : nullptr;
      if (withVectors)
        withVectors->GetVector(j, tj);
      else
        std::memcpy(tj, Tn, sizeof(double) * n);
      const double norm = std::sqrt(Dot(tj, tj) * Dot(Tn, Tn));
      const double c = norm > 0.0 ? signs[k] * Dot(tj, Tn) / norm : 1.0;
      // A regular curve comes back onto its trace only at an end of it (the start of this
      // run, or an end of another run): met elsewhere with the same direction, the chord
      // jumped onto a part running alongside and is retried shorter.
      const bool atEnd = j == 0 || (k > 0 && j == sets[k]->GetNumberOfPoints() - 1);
      if (c > ClosureCosine && atEnd) {
        if (withVectors && signs[k] < 0.0)
          for (long i = 0; i < n; ++i)
            tj[i] = -tj[i];
        // A traced point beyond the new one (by more than a thousandth of the chord): the new
        // point first, so that no chord is longer than the one checked against the sag.
        double beyond = 0.0, chord2 = 0.0;
        for (long i = 0; i < n; ++i) {
          beyond += (pj[i] - Xn[i]) * (Xn[i] - X[i]);
          chord2 += (Xn[i] - X[i]) * (Xn[i] - X[i]);
        }
        if (beyond > 1e-3 * chord2)
          ioState.points.AddPointWithVector(Xn, Tn);
        ioState.points.AddPointWithVector(pj, tj);
        _closed = 1;
        SetDiagnostic(XelMathMarchingCode::SingularOrClosure);
        return StepEnded;
      }
      if (c < -ClosureCosine && k == 0) {
        ioState.cut = true; // the march turned back over itself
        ioState.cutIndex = j;
        SetDiagnostic(XelMathMarchingCode::CutAfterStart);
        return StepEnded;
      }
      return StepRetried;
    }
  }
  return StepAccepted;
}

int XelMathImplicitSystem::Stockage(XelMathMarchState& ioState) {
  const long n = _n;
  double* X = _work + CurrentX * n;
  double* T = _work + CurrentT * n;
  const double* Xn = _work + NewX * n;
  const double* Tn = _work + NewT * n;
  if (_level >= 6 && _XelMarchingDebug && Dot(T, Tn) < 0.98)
    FindC1Discontinuity(X, T, Xn, Tn);
  ioState.points.AddPointWithVector(Xn, Tn);
  std::memcpy(_work + PreviousX * n, X, sizeof(double) * n);
  std::memcpy(_work + PreviousT * n, T, sizeof(double) * n);
  std::memcpy(X, Xn, sizeof(double) * n);
  std::memcpy(T, Tn, sizeof(double) * n);
  ioState.g = ioState.gNew;
  ioState.havePrevious = true;
  _ratio = 1.0;
  if (_level >= 4 && _optMetric) {
    const double scal = ComputeScal(T);
    if (scal > 0.0 && std::isfinite(scal))
      ioState.h = std::fmax(_minStep, std::fmin(ioState.h, ioState.h * scal));
  }
  return StepAccepted;
}

int XelMathImplicitSystem::TryToAddPoint(XelMathSetOfPointsNDWithVectors& ioPoints,
                                         const double* iX, const double* iT) const {
  const long count = ioPoints.GetNumberOfPoints();
  if (count > 0 && EqualPoints(iX, ioPoints.GetPoints() + (count - 1) * _n))
    return 0;
  ioPoints.AddPointWithVector(iX, iT);
  return 1;
}

double XelMathImplicitSystem::ComputeScal(const double* iT) const {
  double euclid = 0.0;
  for (long i = 0; i < _n; ++i)
    euclid += iT[i] * iT[i];
  return std::sqrt(Dot(iT, iT) / euclid);
}

void XelMathImplicitSystem::KeepStartOfMarch(XelMathSetOfPointsNDWithVectors& ioPoints,
                                             const long iIndex) {
  while (ioPoints.GetNumberOfPoints() > iIndex + 1 && ioPoints.GetNumberOfPoints() > 2)
    ioPoints.RemovePoint(ioPoints.GetNumberOfPoints() - 1);
  if (GetQuorLevel(_config, "XelMathImplicitSystem::Run") <
      XelQuorVersionLevel_Marching_NonCompleteSetAccepted_TestPointValidity)
    return;
  Doubles p(_n), f(_n);
  while (ioPoints.GetNumberOfPoints() > 1) {
    ioPoints.GetPoint(ioPoints.GetNumberOfPoints() - 1, p.Get());
    if (IsRoot(p.Get(), f.Get()))
      break;
    ioPoints.RemovePoint(ioPoints.GetNumberOfPoints() - 1);
  }
}

int XelMathImplicitSystem::Run(const XelMathIntervalND& iDomain, const double* iX0,
                               const double* iT0, XelMathSetOfPointsND& oResult) {
  const long n = _n;
  if (oResult.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "wrong dimension",
                 "XelMathImplicitSystem::Run");
  if (!IsValidDomain(iDomain, n))
    XelMathRaise(XelErrorCode::InvalidDomain, "Solve", "Invalid Domain", "");
  if (!_decoded)
    DecodeOptions(iDomain, nullptr); // a run on its own: the defaults of its domain
  _running = 1;
  auto running = XelMathMakeOnExit([this] { _running = 0; });
  _reachedEndPoint = -1;
  _singularStop = 0;
  _diagnostic = 0;
  _stopInfo = 0;
  SetDiagnostic(0);

  XelMathSetOfPointsNDWithVectors points(n, 64);
  XelMathMarchState state(iDomain, points);
  if (!InitializeRun(state, iX0, iT0))
    return 0;
  double* X = _work + CurrentX * n;
  double* T = _work + CurrentT * n;
  points.AddPointWithVector(X, T);
  state.h = InitializeStep(X, T);
  std::memcpy(_work + PreviousX * n, X, sizeof(double) * n);
  std::memcpy(_work + PreviousT * n, T, sizeof(double) * n);
  state.closureTol = 2.0 * _sag + 10.0 * _tol.GetPointResolution();
  _ratio = 1.0;

  bool ended = false;
  _containingWork = 0.0;
  _containingDistances = 0.0;
  try {
    for (long step = 0; step < MaxStepsPerRun && !ended && _containingWork <= MaxContainingWork &&
                        _containingDistances <= MaxContainingDistances;
         ++step) {
      if (_ratio == 1.0 && state.havePrevious)
        state.h = std::fmin(EvalStep(_work + PreviousX * n, _work + PreviousT * n, X, T),
                            StepGrowth * state.h);
      state.s = _ratio * state.h;
      if (state.s < _minStep || !(state.s > 0.0)) {
        if (points.GetNumberOfPoints() < 2)
          SetDiagnostic(XelMathMarchingCode::Failure);
        else if (_acceptNonComplete)
          SetDiagnostic(XelMathMarchingCode::UnderWay);
        else
          SetDiagnostic(XelMathMarchingCode::NormalEnd);
        ended = true;
        break;
      }
      Predict(state);
      int outcome = FindNewPoint(state);
      if (outcome == StepAccepted)
        outcome = Controles(state);
      if (outcome == StepAccepted)
        outcome = Stockage(state);
      if (outcome == StepRetried)
        _ratio *= StepReduction;
      ended = outcome == StepEnded;
    }
    if (!ended)
      SetDiagnostic(XelMathMarchingCode::UnderWay);
  } catch (const XelMathInputError&) {
    // An equation that raised: the march ends with the points stored so far.
    SetDiagnostic(points.GetNumberOfPoints() < 2 ? XelMathMarchingCode::Failure
                                                 : XelMathMarchingCode::UnderWay);
  }
  if (state.cut && points.GetNumberOfPoints() >= 2)
    KeepStartOfMarch(points, state.cutIndex);
  if (_level >= 7 && (_diagnostic & XelMathMarchingCode::NormalEnd) &&
      GetQuorLevel(_config, "XelMathImplicitSystem::Run") >=
          XelQuorVersionLevel_Marching_CheckLastPoints)
    CheckLastPoints(points);
  if (_XelMarchingDebug)
    XelQuorOutput::GetOut() << "XelMathImplicitSystem::Run: " << points.GetNumberOfPoints()
                            << " points, diagnostic " << _diagnostic << ", cumulative "
                            << _cumulative << "\n";
  oResult.AddSet(points);
  return 0;
}

void XelMathImplicitSystem::CheckLastPoints(XelMathSetOfPointsND& ioPoints) {
  Doubles p(_n), f(_n);
  for (int k = 0; k < 3 && ioPoints.GetNumberOfPoints() > 2; ++k) {
    ioPoints.GetPoint(ioPoints.GetNumberOfPoints() - 1, p.Get());
    if (IsRoot(p.Get(), f.Get()))
      break;
    ioPoints.RemovePoint(ioPoints.GetNumberOfPoints() - 1);
  }
}

void XelMathImplicitSystem::FindC1Discontinuity(const double* iX, const double* iT,
                                                const double* iXnew, const double* iTnew) {
  const long n = _n;
  Doubles work(6 * n);
  double* a = work.Get();
  double* b = a + n;
  double* m = b + n;
  double* ta = m + n;
  double* tb = ta + n;
  double* tm = tb + n;
  std::memcpy(a, iX, sizeof(double) * n);
  std::memcpy(b, iXnew, sizeof(double) * n);
  std::memcpy(ta, iT, sizeof(double) * n);
  std::memcpy(tb, iTnew, sizeof(double) * n);
  // Bisection on the half where the tangent turns most; a turn that does not shrink with the
  // arc is a tangent jump.
  int outcome = 0; // 0 none, 1 found, 2 no convergence
  double angle = 0.0;
  for (int it = 0; it < 40; ++it) {
    const double c = Dot(ta, tb) / std::sqrt(Dot(ta, ta) * Dot(tb, tb));
    angle = std::acos(std::fmax(-1.0, std::fmin(1.0, c)));
    if (angle < 1e-3) {
      outcome = 0;
      break;
    }
    if (Distance(n, a, b) <= _tol.GetPointResolution()) {
      outcome = 1;
      break;
    }
    for (long i = 0; i < n; ++i) {
      m[i] = 0.5 * (a[i] + b[i]);
      tm[i] = b[i] - a[i];
    }
    if (!SolveOnHyperPlane(m, tm)) {
      outcome = 2;
      break;
    }
    std::memcpy(tm, ta, sizeof(double) * n);
    if (!FindTangent(m, tm)) {
      outcome = 2;
      break;
    }
    if (Dot(ta, tm) < Dot(tm, tb)) {
      std::memcpy(b, m, sizeof(double) * n);
      std::memcpy(tb, tm, sizeof(double) * n);
    } else {
      std::memcpy(a, m, sizeof(double) * n);
      std::memcpy(ta, tm, sizeof(double) * n);
    }
    outcome = 2;
  }
  if (_XelMarchingDebug) {
    XelQuorOutput& out = XelQuorOutput::GetOut();
    if (outcome == 1)
      out << "FindC1Discontinuity: tangent jump of " << angle << " radians\n";
    else if (outcome == 0)
      out << "FindC1Discontinuity: no discontinuity detected\n";
    else
      out << "FindC1Discontinuity: no convergence\n";
  }
}

// ---- drivers ----

int XelMathImplicitSystem::Solve(const XelMathIntervalND& iDomain, const double* iX0,
                                 const double* iT0, XelMathSetOfPointsND& oResult,
                                 const XelMathAttrList* iAttributes) {
  const long n = _n;
  if (!IsValidDomain(iDomain, n))
    XelMathRaise(XelErrorCode::InvalidDomain, "Solve", "Invalid Domain", "");
  if (oResult.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "wrong dimension",
                 "XelMathImplicitSystem::Solve");
  if (!iX0)
    XelMathRaise(XelErrorCode::InvalidStartPoint, "Solve", " Invalid Start Point", "");
  DecodeOptions(iDomain, iAttributes);
  _decoded = 1;
  auto undecode = XelMathMakeOnExit([this] { _decoded = 0; });
  _closed = 0;
  _nbSingular = 0;
  _startDiagnostic = 0;
  _endDiagnostic = 0;
  Doubles start(2 * n);
  double* x0 = start.Get();
  double* t0 = x0 + n;
  std::memcpy(x0, iX0, sizeof(double) * n);
  for (long i = 0; i < n; ++i)
    t0[i] = iT0 ? iT0[i] : 0.0;
  // Orientation of the start tangent like the one given.
  if (!_optNotInverse) {
    Doubles f(2 * n);
    if (iDomain.ContainsPoint(x0, _tol.GetPointResolution()) && IsRoot(x0, f.Get()) &&
        (iT0 || EvalTangent(x0, f.Get() + n)))
      FindTangent(x0, t0);
  }
  XelMathSetOfPointsNDWithVectors forward(n), backward(n);
  auto clearTraced = XelMathMakeOnExit([this] {
    _tracedSets[0] = _tracedSets[1] = nullptr;
  });
  long runs = 0;
  auto continueThrough = [&](XelMathSetOfPointsNDWithVectors& ioSet) {
    while (_singularStop && _optSingularity && runs < MaxRuns && _nbSingular <= MaxSingularities) {
      Doubles next(2 * n);
      std::memcpy(next.Get(), _continuation + n, sizeof(double) * 2 * n);
      double norm = 0.0;
      for (long i = 0; i < n; ++i)
        norm += next.Get()[n + i] * next.Get()[n + i];
      if (!(norm > 0.0))
        break;
      Run(iDomain, next.Get(), next.Get() + n, ioSet);
      ++runs;
      if (_closed)
        break;
    }
    // Beyond the singular points one branch may cross, the branch fails.
    if (_singularStop && _nbSingular > MaxSingularities)
      SetDiagnostic(XelMathMarchingCode::Failure);
  };
  // The first run sees only its own points; the runs after it see the forward part.
  _tracedSets[0] = _tracedSets[1] = nullptr;
  _tracedSigns[0] = _tracedSigns[1] = 1.0;
  {
    XelMathSetOfPointsNDWithVectors first(n);
    Run(iDomain, x0, t0, first);
    forward.AddSet(first);
  }
  ++runs;
  _tracedSets[0] = &forward;
  continueThrough(forward);
  SetEndDiagnostic(_diagnostic);
  const bool backwards = !_closed && runs < MaxRuns && !(_quiet && _XelMarchingRollback) &&
                         forward.GetNumberOfPoints() > 0;
  if (backwards) {
    for (long i = 0; i < n; ++i)
      t0[i] = -t0[i];
    Doubles t(n);
    forward.GetVector(0, t.Get());
    bool haveT = false;
    for (long i = 0; i < n; ++i)
      haveT = haveT || t.Get()[i] != 0.0;
    if (haveT)
      for (long i = 0; i < n; ++i)
        t0[i] = -t.Get()[i];
    _tracedSets[0] = &forward;
    _tracedSigns[0] = -1.0;
    _tracedSets[1] = &backward;
    _tracedSigns[1] = 1.0;
    Doubles first(n);
    forward.GetPoint(0, first.Get());
    XelMathSetOfPointsNDWithVectors back(n);
    Run(iDomain, first.Get(), t0, back);
    // From a start on the border going out at once the backward run has no point beyond the
    // start: that end of the branch is the border, not a failure of the solve.
    if ((_diagnostic & XelMathMarchingCode::Failure) && back.GetNumberOfPoints() < 2 &&
        forward.GetNumberOfPoints() >= 2 &&
        OnBorder(iDomain, first.Get(), _tol.GetPointResolution())) {
      SetDiagnostic(0);
      SetDiagnostic(XelMathMarchingCode::EndReached);
      _stopInfo = 0;
    }
    backward.AddSet(back);
    ++runs;
    continueThrough(backward);
    SetStartDiagnostic(_diagnostic);
  } else {
    SetStartDiagnostic(_closed ? XelMathMarchingCode::SingularOrClosure : _diagnostic);
  }
  // Curve order: the backward part reversed, then the forward part.
  XelMathSetOfPointsNDWithVectors all(n);
  if (backward.GetNumberOfPoints() > 1) {
    backward.AutoInvert();
    const long count = backward.GetNumberOfPoints();
    Doubles p(n), t(n);
    for (long i = 0; i + 1 < count; ++i) {
      backward.GetPointWithVector(i, p.Get(), t.Get());
      for (long k = 0; k < n; ++k)
        t.Get()[k] = -t.Get()[k];
      all.AddPointWithVector(p.Get(), t.Get());
    }
  }
  all.AddSet(forward);
  if (_closed && all.GetNumberOfPoints() > 2) {
    const double* p = all.GetPoints();
    const double* q = p + (all.GetNumberOfPoints() - 1) * n;
    if (!std::memcmp(p, q, sizeof(double) * n))
      all.SetPeriodic(1);
  }
  const long before = oResult.GetNumberOfPoints();
  oResult.AddSet(all);
  if (before == 0 && all.IsPeriodic())
    oResult.SetPeriodic(1);
  if (oResult.IsAKindOf("XelMathSetOfPointsNDTwoTangents") &&
      !oResult.IsAKindOf("XelMathSetOfPointsNDWithVectors") && all.GetNumberOfPoints() > 0) {
    XelMathSetOfPointsNDTwoTangents& two = static_cast<XelMathSetOfPointsNDTwoTangents&>(oResult);
    Doubles t(n);
    all.GetVector(0, t.Get());
    if (before == 0)
      two.SetFirstTangent(t.Get());
    all.GetVector(all.GetNumberOfPoints() - 1, t.Get());
    two.SetLastTangent(t.Get());
  }
  return 0;
}

int XelMathImplicitSystem::CleverSolve(const XelMathIntervalND& iDomain, long& ioNbSol,
                                       const long iNbStart, const double* iX0s,
                                       const double* iT0s, XelMathSetOfPointsND**& ioResults,
                                       const XelMathAttrList* iAttributes) {
  const long n = _n;
  if (!IsValidDomain(iDomain, n))
    XelMathRaise(XelErrorCode::InvalidDomain, "Solve", "Invalid Domain", "");
  if (iNbStart < 0 || (iNbStart > 0 && !iX0s) || iNbStart > XelQuorMaxArrayDoubles / n)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "CleverSolve", "Invalid Number Of Points",
                 "");
  if (ioNbSol < 0 || (ioNbSol > 0 && !ioResults))
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "CleverSolve", "Invalid Number Of Points",
                 "");
  DecodeOptions(iDomain, iAttributes);
  _quiet = 1;
  auto loud = XelMathMakeOnExit([this] { _quiet = 0; });
  if (_solDiagnostics)
    XelQuorArrayDoubleDel(reinterpret_cast<double*>(_solDiagnostics), 2 * _nbSolDiag);
  _solDiagnostics = nullptr;
  _nbSolDiag = 0;
  const long firstNew = ioNbSol;
  const double onBranch = 2.0 * _sag + 10.0 * _tol.GetPointResolution();
  Doubles work(5 * n);
  double* x0 = work.Get();
  double* t0 = x0 + n;
  double* f = t0 + n;
  double* d1 = f + n;
  double* d2 = d1 + n;

  for (long k = 0; k < iNbStart; ++k) {
    std::memcpy(x0, iX0s + k * n, sizeof(double) * n);
    for (long i = 0; i < n; ++i)
      t0[i] = iT0s ? iT0s[k * n + i] : 0.0;
    if (!iDomain.ContainsPoint(x0, _tol.GetPointResolution()))
      continue;
    if (!IsRoot(x0, f)) {
      if (!_tryBestReconverge || !ComputeRattrappe(x0))
        continue;
    }
    bool traced = false;
    for (long s = firstNew; s < ioNbSol && !traced; ++s) {
      long index = -1;
      traced = ioResults[s]->DistanceMin(x0, index, _tol.GetPointResolution()) <= onBranch;
    }
    if (traced)
      continue;
    if (IsSingularPoint(x0)) {
      if (!_trySingularTangent && !_tryAllDirections)
        XelMathRaise(XelErrorCode::InvalidStartPoint, "SolveMultipleSolution",
                     " Singular Start Point", "");
      const int count = EvalSingularTangents(x0, d1, d2);
      for (int c = 0; c < count; ++c) {
        Doubles dir(n);
        std::memcpy(dir.Get(), c == 0 ? d1 : d2, sizeof(double) * n);
        const int senses = _tryAllDirections ? 2 : 1;
        for (int sense = 0; sense < senses; ++sense) {
          if (sense == 1)
            for (long i = 0; i < n; ++i)
              dir.Get()[i] = -dir.Get()[i];
          // A direction whose first point is already on a traced branch is skipped.
          Doubles ahead(n), aheadT(n);
          const double step = std::fmax(10.0 * _minStep, std::fmin(5.0 * onBranch, _globalMaxStep));
          if (!SolveOnBifurcation(x0, dir.Get(), step, ahead.Get(), aheadT.Get()))
            continue;
          bool done = false;
          for (long s = firstNew; s < ioNbSol && !done; ++s) {
            long index = -1;
            done = ioResults[s]->DistanceMin(ahead.Get(), index, _tol.GetPointResolution()) <=
                   onBranch;
          }
          if (!done)
            ComputeBranch(iDomain, x0, dir.Get(), firstNew, ioNbSol, ioResults, iAttributes);
        }
      }
      continue;
    }
    ComputeBranch(iDomain, x0, iT0s ? t0 : nullptr, firstNew, ioNbSol, ioResults, iAttributes);
  }
  return 0;
}

void XelMathImplicitSystem::ComputeBranch(const XelMathIntervalND& iDomain, const double* iX,
                                          const double* iT, const long iFirstNew, long& ioNbSol,
                                          XelMathSetOfPointsND**& ioResults,
                                          const XelMathAttrList* iAttributes) {
  std::unique_ptr<XelMathSetOfPointsND> set(NewResultSet(_n, _withVectors, _twoTangents));
  Solve(iDomain, iX, iT, *set, iAttributes);
  _quiet = 1;
  if (set->GetNumberOfPoints() == 0)
    return;
  // Reallocation: the array grows by one.
  XelMathSetOfPointsND** grown =
      reinterpret_cast<XelMathSetOfPointsND**>(XelQuorArrayPtrsNew(ioNbSol + 1));
  for (long k = 0; k < ioNbSol; ++k)
    grown[k] = ioResults[k];
  grown[ioNbSol] = set.release();
  if (ioResults)
    XelQuorArrayPtrsDel(reinterpret_cast<void**>(ioResults), ioNbSol);
  ioResults = grown;
  ++ioNbSol;
  // Diagnostics of the new solution.
  const long count = ioNbSol - iFirstNew;
  long* grownDiag = reinterpret_cast<long*>(XelQuorArrayDoubleNew(2 * count));
  for (long k = 0; k < 2 * (count - 1); ++k)
    grownDiag[k] = _solDiagnostics[k];
  if (_solDiagnostics)
    XelQuorArrayDoubleDel(reinterpret_cast<double*>(_solDiagnostics), 2 * _nbSolDiag);
  _solDiagnostics = grownDiag;
  _nbSolDiag = count;
  std::unique_ptr<XelMathMarchingDiagnostic> startDiag(CreateDiagnostic(_startDiagnostic, 1));
  std::unique_ptr<XelMathMarchingDiagnostic> endDiag(CreateDiagnostic(_endDiagnostic, 0));
  SetStartMarchingDiagnostic(count - 1, *startDiag);
  SetEndMarchingDiagnostic(count - 1, *endDiag);
}

int XelMathImplicitSystem::ComputeRattrappe(double* ioX) {
  double* raw = _work + RawT * _n;
  return EvalTangent(ioX, raw) && SolveSafeOnHyperPlane(ioX, raw) ? 1 : 0;
}

int XelMathImplicitSystem::SolveMultipleSolutions(const XelMathIntervalND& iDomain,
                                                  long& ioNbSol, const long iNbStart,
                                                  const XelMathSetOfPointsND& iStartSet,
                                                  XelMathSetOfPointsND**& ioResults,
                                                  const XelMathAttrList* iAttributes) {
  if (!IsValidDomain(iDomain, _n))
    XelMathRaise(XelErrorCode::InvalidDomain, "SolveMultipleSolutions", "Invalid Domain", "");
  if (iStartSet.GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "wrong dimension",
                 "XelMathImplicitSystem::SolveMultipleSolutions");
  if (iNbStart < 0 || iNbStart > iStartSet.GetNumberOfPoints())
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "SolveMultipleSolutions",
                 "Invalid Number Of Points", "");
  return CleverSolve(iDomain, ioNbSol, iNbStart, iStartSet.GetPoints(), nullptr, ioResults,
                     iAttributes);
}

XelMathMarchingDiagnostic* XelMathImplicitSystem::CreateDiagnostic(const long iCode,
                                                                   const int) const {
  return new XelMathMarchingDiagnostic(iCode);
}
