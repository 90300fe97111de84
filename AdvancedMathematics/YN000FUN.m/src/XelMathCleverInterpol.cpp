// Interpolation of a curve of an implicit system by quintic Hermite arcs.
#include "XelMathCleverInterpol.h"

#include <cmath>
#include <memory>

#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathAttrTolObject.h"
#include "XelMathImplicitSystem.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathOptimalArcRN.h"
#include "XelMathQuinticX.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsNDWithVectors.h"
#include "XelTolerance.h"

XelMathCleverInterpol::XelMathCleverInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                                             XelMathImplicitSystem* iSystem,
                                             const XelMathIntervalND* iDomain,
                                             const double iTolerance, const double iMinTolerance,
                                             const XelTolerance& iTol)
    : XelMathInterpol(iConfig, iN, iSystem, iDomain, iTolerance, iMinTolerance, iTol),
      _initial(nullptr), _positions(nullptr), _stored(nullptr), _samples(nullptr),
      _derivFirst(0), _derivLast(-1), _optNodes(nullptr), _optU0(0.0), _optU1(0.0) {
  if (!iSystem || iSystem->GetNumberOfVariables() != iN)
    XelMathRaise(XelErrorCode::InvalidOption, "XelMathCleverInterpol", "Dimension not valid",
                 "XelMathCleverInterpol::XelMathCleverInterpol");
  _nbVar = iSystem->GetNumberOfVariables();
  _positions = new XelMathSetOfPointsND(1);
  _stored = new XelMathSetOfPointsND(1);
  _samples = new XelMathSetOfPointsND(iN);
}

XelMathCleverInterpol::~XelMathCleverInterpol() {
  delete _positions;
  delete _stored;
  delete _samples;
}

long XelMathCleverInterpol::GetDynamicMemoryBytes() const {
  return XelMathInterpol::GetDynamicMemoryBytes() + _positions->GetEstimatedMemoryBytes() +
         _stored->GetEstimatedMemoryBytes() + _samples->GetEstimatedMemoryBytes();
}

long XelMathCleverInterpol::GetStaticMemoryBytes() const {
  return sizeof(XelMathCleverInterpol);
}

void XelMathCleverInterpol::UseSurSurWithInitsSettings() {
  _pointsRemoval = 1;
  _cleanOutput = 1;
  _detectC1 = 1;
  _detectInvalid = 1;
}

void XelMathCleverInterpol::SetQualityNeedsDerivatives(const long iFirst, const long iLast) {
  if (iFirst < 0 || iLast >= _n || iFirst > iLast)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "SetQualityNeedsDerivatives",
                 "XelMathCleverInterpol::SetQualityNeedsDerivatives");
  _derivFirst = iFirst;
  _derivLast = iLast;
}

int XelMathCleverInterpol::Run(XelMathSetOfPointsNDWithVectors& iInitial,
                               XelMathSetOfPointsND& oParameters, XelMathSetOfPointsND& oPoints,
                               XelMathSetOfPointsND& oTangents,
                               XelMathSetOfPointsND& oSecondDerivatives,
                               XelMathSetOfPointsND* oCorrespondingInitialParams,
                               const XelMathAttrList* iAttributes) {
  if (iInitial.GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the initial points", "Dimension not valid",
                 "XelMathCleverInterpol::Run");
  _initial = &iInitial;
  // Curve positions: the length along the polyline of the initial points.
  _positions->Reset();
  double u = 0.0;
  const double* p = iInitial.GetPoints();
  for (long i = 0; i < iInitial.GetNumberOfPoints(); ++i) {
    if (i > 0)
      u += std::sqrt(SquareDistance(p + (i - 1) * _n, p + i * _n));
    _positions->AddPoint(&u);
  }
  const int status = RunMain(iInitial.GetNumberOfPoints(), 0.95, oParameters, oPoints, oTangents,
                             oSecondDerivatives, oCorrespondingInitialParams, iAttributes);
  _initial = nullptr;
  return status;
}

void XelMathCleverInterpol::SecondDifference(const double* X, const double* T, double* oH) const {
  const long m = _n - 1;
  XelMathScratchDoubles<64> w(3 * m + _n);
  double *f0 = w.Data(), *fp = f0 + m, *fm = fp + m, *x = fm + m;
  const double S = _tol.GetScaleFactor() > 0.0 ? _tol.GetScaleFactor() : 1.0;
  const double e = 1e-4 * S;
  _system->Eval(X, f0);
  for (long i = 0; i < _n; ++i)
    x[i] = X[i] + e * T[i];
  _system->Eval(x, fp);
  for (long i = 0; i < _n; ++i)
    x[i] = X[i] - e * T[i];
  _system->Eval(x, fm);
  for (long k = 0; k < m; ++k)
    oH[k] = (fp[k] - 2.0 * f0[k] + fm[k]) / (e * e);
}

int XelMathCleverInterpol::FromImplicitToInterpol(const double* X, const double* iOrient,
                                                  double* oNode) {
  double* P = oNode + 1;
  double* T = P + _n;
  double* D = T + _n;
  for (long i = 0; i < _n; ++i)
    P[i] = X[i];
  if (iOrient && !_system->SolveOnHyperPlane(P, iOrient))
    return 0;
  if (!_system->EvalTangent(P, T))
    return 0;
  double tt = 0.0, dir = 0.0;
  for (long i = 0; i < _n; ++i) {
    tt += T[i] * T[i];
    dir += iOrient ? T[i] * iOrient[i] : 0.0;
  }
  if (!(tt > 0.0))
    return 0;
  const double scale = (dir < 0.0 ? -1.0 : 1.0) / std::sqrt(tt);
  for (long i = 0; i < _n; ++i)
    T[i] *= scale;
  // Curvature vector: J D = -H(T, T) with T.D = 0.
  XelMathNxNFullMatrix A(_n);
  _system->EvalJacobian(P, &A);
  for (long j = 0; j < _n; ++j)
    A.SetCoef(_n - 1, j, T[j]);
  SecondDifference(P, T, D);
  for (long k = 0; k < _n - 1; ++k)
    D[k] = -D[k];
  D[_n - 1] = 0.0;
  if (A.Solve(D, 1) != 0)
    for (long i = 0; i < _n; ++i)
      D[i] = 0.0;
  for (long i = 0; i < _n; ++i)
    if (!std::isfinite(D[i]) || !std::isfinite(P[i]))
      return 0;
  return 1;
}

int XelMathCleverInterpol::IsSingularExtremity(const long i) {
  if (i != 0 && i != _initial->GetNumberOfPoints() - 1)
    return 0;
  XelMathScratchDoubles<64> w(2 * _n);
  _initial->GetPoint(i, w.Data());
  return _system->IsSingularPoint(w.Data());
}

int XelMathCleverInterpol::RunSingular(const long i, double* oNode) {
  double* P = oNode + 1;
  double* T = P + _n;
  double* D = T + _n;
  _initial->GetPointWithVector(i, P, T);
  double tt = 0.0;
  for (long k = 0; k < _n; ++k)
    tt += T[k] * T[k];
  if (!(tt > 0.0)) {
    // The chord to the neighbour.
    const long j = i == 0 ? 1 : i - 1;
    _initial->GetPoint(j, T);
    tt = 0.0;
    for (long k = 0; k < _n; ++k) {
      T[k] = (i == 0 ? T[k] - P[k] : P[k] - T[k]);
      tt += T[k] * T[k];
    }
    if (!(tt > 0.0))
      return 0;
  }
  for (long k = 0; k < _n; ++k) {
    T[k] /= std::sqrt(tt);
    D[k] = 0.0;
  }
  return 1;
}

int XelMathCleverInterpol::GetDataFromISet(const long i, double* oNode) {
  XelMathScratchDoubles<64> w(3 * _n);
  double *X = w.Data(), *V = X + _n, *Y = V + _n;
  _initial->GetPointWithVector(i, X, V);
  double vv = 0.0;
  for (long k = 0; k < _n; ++k)
    vv += V[k] * V[k];
  if (!(vv > 0.0)) {
    // No vector: the chord of the neighbours.
    const long a = i > 0 ? i - 1 : i, b = i + 1 < _initial->GetNumberOfPoints() ? i + 1 : i;
    _initial->GetPoint(a, X);
    _initial->GetPoint(b, Y);
    for (long k = 0; k < _n; ++k)
      V[k] = Y[k] - X[k];
    _initial->GetPoint(i, X);
  }
  oNode[0] = _positions->GetPoints()[i];
  if (FromImplicitToInterpol(X, V, oNode))
    return 1;
  if (IsSingularExtremity(i) && RunSingular(i, oNode))
    return 1;
  return 0;
}

void XelMathCleverInterpol::GetPointFromISet(const long i, double* oP) const {
  _initial->GetPoint(i, oP);
}

int XelMathCleverInterpol::ComputeData(const double iU, const double* iGuess, double* oNode) {
  // Guess on the polyline at position iU, oriented by its segment.
  const long n = _initial->GetNumberOfPoints();
  const double* pos = _positions->GetPoints();
  long j = 0;
  while (j + 2 < n && pos[j + 1] < iU)
    ++j;
  XelMathScratchDoubles<64> w(3 * _n);
  double *a = w.Data(), *b = a + _n, *X = b + _n;
  _initial->GetPoint(j, a);
  _initial->GetPoint(j + 1 < n ? j + 1 : j, b);
  const double len = pos[j + 1 < n ? j + 1 : j] - pos[j];
  const double f = len > 0.0 ? (iU - pos[j]) / len : 0.0;
  for (long k = 0; k < _n; ++k) {
    X[k] = iGuess ? iGuess[k] : a[k] + f * (b[k] - a[k]);
    b[k] -= a[k];
  }
  oNode[0] = iU;
  return FromImplicitToInterpol(X, b, oNode);
}

int XelMathCleverInterpol::ComputeDataAtMiddle(const double* iNode0, const double* iNode1,
                                               const double iFraction, double* oNode) {
  // The point of the current arc, projected along its own direction.
  XelMathScratchDoubles<64> w(2 * _n);
  double *X = w.Data(), *T = X + _n;
  ComputeQuintic(iNode0, iNode1, _L);
  EvalQuintic(iFraction * _L, X, T, nullptr);
  oNode[0] = iNode0[0] + iFraction * (iNode1[0] - iNode0[0]);
  return FromImplicitToInterpol(X, T, oNode);
}

long XelMathCleverInterpol::FirstInitialAfter(const double iU) const {
  const double* pos = _positions->GetPoints();
  long lo = 0, hi = _positions->GetNumberOfPoints();
  while (lo < hi) {
    const long mid = (lo + hi) / 2;
    if (pos[mid] <= iU)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

double XelMathCleverInterpol::InitialPointsDeviation(const double* iNode0,
                                                     const double* iNode1) const {
  // The initial points the arc spans (a loop whose ends meet has them all).
  const double* pos = _positions->GetPoints();
  const double u0 = iNode0[0], u1 = iNode1[0], span = u1 - u0;
  double worst = 0.0;
  for (long i = FirstInitialAfter(u0); i < _positions->GetNumberOfPoints() && pos[i] < u1; ++i) {
    const double e = DistanceToArc(_initial->GetPoints() + i * _n,
                                   span > 0.0 ? _L * (pos[i] - u0) / span : -1.0);
    if (!(e <= worst))
      worst = e;
  }
  return worst;
}

double XelMathCleverInterpol::Quality(const double* iNode0, const double* iNode1) {
  const long n = UpdateSamplingForQualityCheck(_L);
  XelMathScratchDoubles<64> w(4 * _n);
  double *Y = w.Data(), *T = Y + _n, *X = T + _n, *Tc = X + _n;
  double worst = InitialPointsDeviation(iNode0, iNode1);
  for (long k = 1; k < n; ++k) {
    EvalQuintic(_L * k / n, Y, T, nullptr);
    for (long i = 0; i < _n; ++i)
      X[i] = Y[i];
    if (!_system->SolveOnHyperPlane(X, T))
      return 1e300;
    double e = std::sqrt(SquareDistance(X, Y));
    if (_derivLast >= _derivFirst && _system->EvalTangent(X, Tc)) {
      double tn = 0.0, cn = 0.0, dot = 0.0;
      for (long i = 0; i < _n; ++i) {
        tn += T[i] * T[i];
        cn += Tc[i] * Tc[i];
        dot += T[i] * Tc[i];
      }
      const double sign = dot < 0.0 ? -1.0 : 1.0;
      for (long i = _derivFirst; i <= _derivLast && tn > 0.0 && cn > 0.0; ++i) {
        const double d = _L * std::fabs(T[i] / std::sqrt(tn) - sign * Tc[i] / std::sqrt(cn));
        if (d > e)
          e = d;
      }
    }
    if (!(e <= worst))
      worst = e;
  }
  return worst;
}

void XelMathCleverInterpol::PrepareQualityOpt(const double* iNode0, const double* iNode1) {
  // Curve points near the arc of the first length, then the initial points it spans.
  _samples->Reset();
  _optU0 = iNode0[0];
  _optU1 = iNode1[0];
  const double L = InitializeDeltaParam(iNode0, iNode1);
  ComputeQuintic(iNode0, iNode1, L);
  const long n = UpdateSamplingForQualityCheck(L);
  XelMathScratchDoubles<64> w(2 * _n);
  double *X = w.Data(), *T = X + _n;
  for (long k = 1; k < n; ++k) {
    EvalQuintic(L * k / n, X, T, nullptr);
    if (_system->SolveOnHyperPlane(X, T))
      _samples->AddPoint(X);
  }
}

double XelMathCleverInterpol::QualityOpt() {
  XelMathScratchDoubles<64> ends(2);
  ends[0] = _optU0;
  ends[1] = _optU1;
  double worst = InitialPointsDeviation(ends.Data(), ends.Data() + 1);
  const long n = _samples->GetNumberOfPoints();
  for (long k = 0; k < n; ++k) {
    const double e = DistanceToArc(_samples->GetPoints() + k * _n, _L * (k + 1) / (n + 1));
    if (!(e <= worst))
      worst = e;
  }
  return worst;
}

int XelMathCleverInterpol::WithinDomain(const double* iP) const {
  return XelMathInterpol::IsAcceptable(iP);
}

int XelMathCleverInterpol::CheckValidityOfPoint(const double* iP) const {
  XelMathScratchDoubles<64> F(_n);
  return WithinDomain(iP) && _system->IsRoot(iP, F.Data());
}

int XelMathCleverInterpol::CheckValidityOfLastPoint(const double* iNode) const {
  return CheckValidityOfPoint(iNode + 1);
}

double XelMathCleverInterpol::InitializeDeltaParam(const double* iNode0, const double* iNode1) {
  // The chord lengthened by the turn of the unit tangents (exact on a circle).
  const double c = std::sqrt(SquareDistance(iNode0 + 1, iNode1 + 1));
  double cosA = GetCosAngleBetweenTangents(iNode0 + 1 + _n, iNode1 + 1 + _n);
  cosA = cosA > 1.0 ? 1.0 : (cosA < -1.0 ? -1.0 : cosA);
  double theta = std::acos(cosA);
  if (theta > 2.5)
    theta = 2.5;
  return theta > 1e-8 ? c * 0.5 * theta / std::sin(0.5 * theta) : c;
}

double XelMathCleverInterpol::GetFiniteDifferenceStep(const double iU) const {
  return 1e-5 * (_tol.GetScaleFactor() + std::fabs(iU));
}

long XelMathCleverInterpol::GetNbInitialPoints() const {
  return _initial ? _initial->GetNumberOfPoints() : 0;
}

void XelMathCleverInterpol::StoreFirstParameter(const double* iNode) {
  _stored->Reset();
  _stored->AddPoint(iNode);
}

void XelMathCleverInterpol::StoreParameter(const double* iNode) {
  _stored->AddPoint(iNode);
}

void XelMathCleverInterpol::CompleteParameters(XelMathSetOfPointsND& oParams) {
  oParams.Reset();
  oParams.AddSet(*_stored);
}

double XelMathCleverInterpol::GetCosAngleBetweenTangents(const double* iT0,
                                                         const double* iT1) const {
  return CosAngle(iT0, iT1);
}

double XelMathCleverInterpol::GetCosAngleBetweenTangents(const long i, const long j) {
  return CosAngleOfNodes(i, j);
}

namespace {
/// Whether q stays within [lo, hi] on [a, b]: guaranteed images, split where undecided.
int ComponentInside(const XelMathQuinticX& q, const double a, const double b, const double lo,
                    const double hi, const int iDepth) {
  const XelMathInterval image = q.Eval(XelMathInterval(a, b));
  if (image.low >= lo && image.high <= hi)
    return 1;
  const double m = 0.5 * (a + b);
  const double v = q.Eval(m);
  if (v < lo || v > hi || q.Eval(a) < lo || q.Eval(a) > hi || q.Eval(b) < lo || q.Eval(b) > hi)
    return 0;
  if (iDepth >= 40)
    return 1;
  return ComponentInside(q, a, m, lo, hi, iDepth + 1) &&
         ComponentInside(q, m, b, lo, hi, iDepth + 1);
}
} // namespace

int XelMathCleverInterpol::IsAcceptable(const long) const {
  if (!_domain)
    return 1;
  // Each component as a XelMathQuinticX, decided by its images over [0, L].
  const double eps = _tol.GetRootResolution();
  const long m = _domain->GetDimension() < _n ? _domain->GetDimension() : _n;
  for (long i = 0; i < m; ++i) {
    const XelMathQuinticX q(_coef + 6 * i, 0.0);
    if (!ComponentInside(q, 0.0, _L, _domain->GetMin(i) - eps, _domain->GetMax(i) + eps, 0))
      return 0;
  }
  return 1;
}

double XelMathCleverInterpol::BorderConstraint() const {
  if (!_domain)
    return 0.0;
  const long n = 8 * UpdateSamplingForQualityCheck(_L);
  const long m = _domain->GetDimension() < _n ? _domain->GetDimension() : _n;
  XelMathScratchDoubles<64> p(_n);
  double excursion = 0.0;
  for (long k = 0; k <= n; ++k) {
    EvalQuintic(_L * k / n, p.Data(), nullptr, nullptr);
    for (long i = 0; i < m; ++i) {
      const double below = _domain->GetMin(i) - p[i], above = p[i] - _domain->GetMax(i);
      if (below > 0.0)
        excursion += below * below;
      if (above > 0.0)
        excursion += above * above;
    }
  }
  return excursion;
}

double XelMathCleverInterpol::ArcCriterion(const double iL) {
  if (!_optNodes || !(iL > 0.0))
    return 1e300;
  ComputeQuintic(_optNodes, _optNodes + NodeSize(), iL);
  return QualityOpt() + BorderConstraint() / _tolerance;
}

int XelMathCleverInterpol::OptimalArc(const long i) {
  const long m = NodeSize();
  XelMathScratchDoubles<128> w(2 * m);
  for (long k = 0; k < m; ++k) {
    w[k] = NodeAt(i)[k];
    w[m + k] = NodeAt(i + 1)[k];
  }
  const double L = NodeLength(i + 1);
  _optNodes = w.Data();
  auto clearNodes = XelMathMakeOnExit([this] { _optNodes = nullptr; });
  PrepareQualityOpt(w.Data(), w.Data() + m);
  XelMathOptimalArcRN criterion(this, L);
  const double box[2] = {0.3, 1.5};
  const XelMathIntervalND domain(1, box);
  XelMathSetOfPointsND minima(1);
  const double start = 1.0;
  minima.AddPoint(&start);
  const XelMathAttrTolObject tolAttr(_tol);
  const XelMathAttrPointerValue inits("MinimizeWithInits", nullptr, 1);
  XelMathAttrList list;
  list.AddAttribute(&tolAttr);
  list.AddAttribute(&inits);
  criterion.Minimize(domain, minima, &list);
  // The best of the minima found and the first length.
  double bestL = L, best = ArcCriterion(L);
  for (long k = 0; k < minima.GetNumberOfPoints(); ++k) {
    const double c = ArcCriterion(minima.GetPoints()[k] * L);
    if (c < best) {
      best = c;
      bestL = minima.GetPoints()[k] * L;
    }
  }
  const double q = InterpolAtStep(w.Data(), w.Data() + m, bestL);
  const long samples = UpdateSamplingForQualityCheck(bestL);
  if (IsAcceptable(samples) && q <= _minTolerance) {
    _nodes->SetCoordAtPoint(bestL, m, i + 1);
    return 1;
  }
  ComputeQuintic(w.Data(), w.Data() + m, L);
  return 0;
}

int XelMathCleverInterpol::TightenArc(const long i) {
  return OptimalArc(i) || XelMathInterpol::TightenArc(i);
}
