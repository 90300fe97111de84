// Interpolation of points alone by quintic Hermite arcs, with data estimated from neighbours.
#include "XelMathCheapInterpol.h"

#include <cmath>

#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"

XelMathCheapInterpol::XelMathCheapInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                                           const double iTolerance, const XelTolerance& iTol)
    : XelMathExplicitInterpol(iConfig, iN, iTolerance, iTol), _errorDiag(0), _twistIndex(-1),
      _twistParam(0.0), _preparedFirst(0) {}

XelMathCheapInterpol::~XelMathCheapInterpol() = default;

long XelMathCheapInterpol::GetStaticMemoryBytes() const {
  return sizeof(XelMathCheapInterpol);
}

int XelMathCheapInterpol::EstimateTangentAndSecondDeriv(const long iN, const double* P,
                                                        const double* A, const double* B,
                                                        const double iSignA, const double iSignB,
                                                        double* oT, double* oD) {
  double da = 0.0, db = 0.0;
  for (long i = 0; i < iN; ++i) {
    da += (A[i] - P[i]) * (A[i] - P[i]);
    db += (B[i] - P[i]) * (B[i] - P[i]);
  }
  const double a = iSignA * std::sqrt(da), b = iSignB * std::sqrt(db);
  const double den = a * b * (a - b);
  if (a == 0.0 || b == 0.0 || !(std::fabs(a - b) > 1e-12 * (std::fabs(a) + std::fabs(b))))
    return 0;
  for (long i = 0; i < iN; ++i) {
    const double ea = A[i] - P[i], eb = B[i] - P[i];
    oT[i] = (a * a * eb - b * b * ea) / den;
    oD[i] = 2.0 * (b * ea - a * eb) / den;
  }
  return 1;
}

int XelMathCheapInterpol::Run(const XelMathSetOfPointsND& iInitial,
                              XelMathSetOfPointsND& oParameters, XelMathSetOfPointsND& oPoints,
                              XelMathSetOfPointsND& oTangents,
                              XelMathSetOfPointsND& oSecondDerivatives,
                              XelMathSetOfPointsND* oCorrespondingInitialParams,
                              const XelMathAttrList* iAttributes) {
  if (iInitial.GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the initial points", "Dimension not valid",
                 "XelMathCheapInterpol::Run");
  if (std::isnan(_tolArgument) || std::isnan(_minTolArgument))
    XelMathRaise(XelErrorCode::InvalidOption, "the tolerance of the interpolation", "NaN",
                 "XelMathCheapInterpol::Run");
  // The usable points: finite, and apart from the previous usable one (a repeated point has
  // no chord to estimate a tangent from). origin holds their indices in iInitial.
  // Points of a huge or tiny magnitude: the squared lengths and the arcs' monomial coefficients
  // (L^-5) overflow. They are divided by a power of two (exact), the lengths of the settings
  // alike, and the results of the run are scaled back.
  const long n = iInitial.GetNumberOfPoints();
  const int exponent = MagnitudeExponent(iInitial);
  XelMathSetOfPointsND usable(_n, n);
  XelMathSetOfLongs origin;
  bool nonFinite = false;
  const double resolution = std::ldexp(_tol.GetPointResolution(), -exponent);
  XelMathScratchDoubles<64> scaled(_n);
  for (long i = 0; i < n; ++i) {
    const double* p = iInitial.GetPoints() + i * _n;
    bool finite = true;
    for (long k = 0; k < _n; ++k) {
      finite = finite && std::isfinite(p[k]);
      scaled[k] = std::ldexp(p[k], -exponent);
    }
    if (!finite) {
      nonFinite = true;
      continue;
    }
    const long last = usable.GetNumberOfPoints() - 1;
    if (last >= 0 &&
        !(std::sqrt(SquareDistance(scaled.Data(), usable.GetPoints() + last * _n)) > resolution))
      continue;
    usable.AddPoint(scaled.Data());
    origin.AddElement(i);
  }
  const long nu = usable.GetNumberOfPoints();
  if (iInitial.IsPeriodic() && nu > 2 && origin.GetElement(nu - 1) == n - 1 &&
      origin.GetElement(0) == 0)
    usable.SetPeriodic(1);
  // Exact points are told by their index in the usable points while the run lasts; a repeated
  // one is its usable predecessor.
  const XelMathSetOfLongs exact = _exact;
  _exact = XelMathSetOfLongs();
  for (long e = 0; e < exact.GetNumberOfElements(); ++e) {
    const long i = exact.GetElement(e);
    long u = nu - 1;
    while (u >= 0 && origin.GetElement(u) > i)
      --u;
    if (u >= 0 && i >= 0 && i < n && _exact.Find(u) < 0)
      _exact.AddElement(u);
  }
  _initial = &usable;
  _corners = XelMathSetOfLongs();
  _errorDiag = 0;
  _twistIndex = -1;
  _twistParam = 0.0;
  const double saved[6] = {_tolArgument,          _minTolArgument, _internalMinLength,
                           _maxSquareSecondDeriv, _invalidTol,     _tightenTol};
  if (exponent)
    ScaleSettings(exponent);
  const int status = RunMain(nu, 0.95, oParameters, oPoints, oTangents, oSecondDerivatives,
                             oCorrespondingInitialParams, iAttributes);
  if (exponent) {
    _tolArgument = saved[0];
    _minTolArgument = saved[1];
    _internalMinLength = saved[2];
    _maxSquareSecondDeriv = saved[3];
    _invalidTol = saved[4];
    _tightenTol = saved[5];
    HandleMinLength();
    ScaleResults(exponent, oParameters, oPoints, oSecondDerivatives);
  }
  _exact = exact;
  if (nonFinite)
    _diagnostic |= DiagDataFailed;
  // The first reversal of the estimated tangent.
  const long m = NodeSize();
  XelMathScratchDoubles<128> w(2 * m);
  for (long i = 0; status == XelMathStatus::Done && i + 1 < nu && _twistIndex < 0; ++i)
    if (GetDataFromISet(i, w.Data()) && GetDataFromISet(i + 1, w.Data() + m) &&
        GetCosAngleBetweenTangents(w.Data() + 1 + _n, w.Data() + m + 1 + _n) < 0.0)
      _twistIndex = i + 1;
  if (_twistIndex >= 0) {
    double best = -1.0;
    for (long k = 0; k < _stored->GetNumberOfPoints(); ++k) {
      const double d = std::fabs(_stored->GetPoints()[k] - static_cast<double>(_twistIndex));
      if (best < 0.0 || d < best) {
        best = d;
        _twistParam = oParameters.GetPoints()[k];
      }
    }
    _twistIndex = origin.GetElement(_twistIndex);
  }
  // Positions along the usable points back to indices of iInitial.
  for (long k = 0;
       oCorrespondingInitialParams && k < oCorrespondingInitialParams->GetNumberOfPoints(); ++k) {
    const double u = oCorrespondingInitialParams->GetPoints()[k];
    const long j = static_cast<long>(std::floor(u));
    if (j < 0 || j >= nu)
      continue;
    const double i0 = static_cast<double>(origin.GetElement(j));
    const double i1 = j + 1 < nu ? static_cast<double>(origin.GetElement(j + 1)) : i0;
    oCorrespondingInitialParams->SetCoordAtPoint(i0 + (u - j) * (i1 - i0), 0, k);
  }
  _initial = nullptr;
  return status;
}

int XelMathCheapInterpol::MagnitudeExponent(const XelMathSetOfPointsND& iPoints) const {
  double largest = 0.0;
  const double* p = iPoints.GetPoints();
  for (long k = 0; k < iPoints.GetNumberOfPoints() * _n; ++k)
    if (std::isfinite(p[k]))
      largest = std::fmax(largest, std::fabs(p[k]));
  int exponent = 0;
  std::frexp(largest, &exponent);
  return largest > 0.0 && (exponent > 100 || exponent < -100) ? exponent : 0;
}

void XelMathCheapInterpol::ScaleSettings(const int iExponent) {
  // The settings as the run would resolve them, in the units of the scaled points.
  HandleMinLength();
  _tolArgument = std::ldexp(_tolerance, -iExponent);
  _minTolArgument = std::ldexp(_minTolerance, -iExponent);
  _internalMinLength = std::ldexp(_minLength, -iExponent);
  if (_invalidTol >= 0.0)
    _invalidTol = std::ldexp(_invalidTol, -iExponent);
  if (_tightenTol >= 0.0)
    _tightenTol = std::ldexp(_tightenTol, -iExponent);
  // A curvature grows by the scale: the bound on its square by the square.
  _maxSquareSecondDeriv = std::ldexp(_maxSquareSecondDeriv, 2 * iExponent);
}

void XelMathCheapInterpol::ScaleResults(const int iExponent, XelMathSetOfPointsND& ioParameters,
                                        XelMathSetOfPointsND& ioPoints,
                                        XelMathSetOfPointsND& ioSecondDerivatives) {
  _maxError = std::ldexp(_maxError, iExponent);
  for (long k = 0; k < ioParameters.GetNumberOfPoints(); ++k)
    ioParameters.GetPoints()[k] = std::ldexp(ioParameters.GetPoints()[k], iExponent);
  for (long k = 0; k < ioPoints.GetNumberOfPoints() * _n; ++k)
    ioPoints.GetPoints()[k] = std::ldexp(ioPoints.GetPoints()[k], iExponent);
  for (long k = 0; k < ioSecondDerivatives.GetNumberOfPoints() * _n; ++k)
    ioSecondDerivatives.GetPoints()[k] = std::ldexp(ioSecondDerivatives.GetPoints()[k], -iExponent);
  // The stored nodes (u, P, T, D, arc length, flags) that GetPiece reads.
  const long row = _nodes->GetDimension();
  for (long i = 0; i < _nodes->GetNumberOfPoints(); ++i) {
    double* node = _nodes->GetPoints() + i * row;
    for (long k = 0; k < _n; ++k) {
      node[1 + k] = std::ldexp(node[1 + k], iExponent);
      node[1 + 2 * _n + k] = std::ldexp(node[1 + 2 * _n + k], -iExponent);
    }
    node[1 + 3 * _n] = std::ldexp(node[1 + 3 * _n], iExponent);
  }
}

long XelMathCheapInterpol::KeptPosition(const double u) const {
  // The last kept point at or before u (the kept indices increase).
  long lo = 0, hi = _kept.GetNumberOfElements() - 1;
  if (hi < 0 || u < _kept.GetElement(0))
    return -1;
  while (lo < hi) {
    const long mid = (lo + hi + 1) / 2;
    if (_kept.GetElement(mid) <= u)
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

long XelMathCheapInterpol::Step(const long i, const long iStep) const {
  const long n = _initial->GetNumberOfPoints();
  const long nk = _kept.GetNumberOfElements();
  const int periodic = _initial->IsPeriodic() && n > 2;
  const long p = KeptPosition(static_cast<double>(i));
  if (nk >= 2 && p >= 0 && _kept.GetElement(p) == i) {
    long q = p + iStep;
    if (periodic) {
      // The last kept point repeats the first: the loop has nk - 1 distinct points.
      while (q < 0)
        q += nk - 1;
      while (q >= nk - 1)
        q -= nk - 1;
    } else if (q < 0 || q >= nk) {
      return -1;
    }
    return _kept.GetElement(q);
  }
  long j = i + iStep;
  if (periodic) {
    while (j < 0)
      j += n - 1;
    while (j >= n - 1)
      j -= n - 1;
  } else if (j < 0 || j >= n) {
    return -1;
  }
  return j;
}

int XelMathCheapInterpol::Neighbour(const long i, double* oP) const {
  const long n = _initial->GetNumberOfPoints();
  long j = i;
  if (_initial->IsPeriodic() && n > 2 && j == n - 1)
    j = 0;
  if (j < 0 || j >= n)
    return 0;
  const double* p = _initial->GetPoints() + j * _n;
  for (long k = 0; k < _n; ++k)
    oP[k] = p[k];
  return 1;
}

void XelMathCheapInterpol::GetPointFromISet(const long i, double* oP) const {
  Neighbour(i, oP);
}

int XelMathCheapInterpol::OneSidedData(const long i, const int iSide, double* oNode) {
  XelMathScratchDoubles<64> w(2 * _n);
  double *A = w.Data(), *B = A + _n;
  double* P = oNode + 1;
  double* T = P + _n;
  double* D = T + _n;
  oNode[0] = static_cast<double>(i);
  Neighbour(i, P);
  const long ia = Step(i, iSide);
  const int hasA = ia >= 0 && Neighbour(ia, A);
  // A cut corner ends the side: no step through it.
  const long ib = ia >= 0 && _corners.Find(ia) < 0 ? Step(ia, iSide) : -1;
  const int hasB = ib >= 0 && Neighbour(ib, B);
  if (hasA && hasB && EstimateTangentAndSecondDeriv(_n, P, A, B, iSide, iSide, T, D)) {
    ToArcLength(oNode);
    return 1;
  }
  if (!hasA)
    return 0;
  for (long k = 0; k < _n; ++k) {
    T[k] = iSide * (A[k] - P[k]);
    D[k] = 0.0;
  }
  ToArcLength(oNode);
  return 1;
}

int XelMathCheapInterpol::GetDataFromISet(const long i, double* oNode) {
  XelMathScratchDoubles<64> w(2 * _n);
  double *A = w.Data(), *B = A + _n;
  double* P = oNode + 1;
  double* T = P + _n;
  double* D = T + _n;
  oNode[0] = static_cast<double>(i);
  Neighbour(i, P);
  const long ia = Step(i, -1), ib = Step(i, 1);
  if (ia >= 0 && ib >= 0 && Neighbour(ia, A) && Neighbour(ib, B) &&
      EstimateTangentAndSecondDeriv(_n, P, A, B, -1.0, 1.0, T, D)) {
    ToArcLength(oNode);
    return 1;
  }
  // An end of an open set: both neighbours on the same side.
  const int side = ib >= 0 ? 1 : -1;
  if (OneSidedData(i, side, oNode))
    return 1;
  ++_errorDiag;
  return 0;
}

int XelMathCheapInterpol::ComputeDataAtPosition(const double u, double* oNode) {
  const long p = KeptPosition(u);
  const long nk = _kept.GetNumberOfElements();
  if (p < 0)
    return GetDataFromISet(nk > 0 ? _kept.GetElement(0) : 0, oNode);
  const long i0 = _kept.GetElement(p);
  if (u <= i0 || p + 1 >= nk)
    return GetDataFromISet(i0, oNode);
  const long i1 = _kept.GetElement(p + 1);
  const double frac = (u - i0) / static_cast<double>(i1 - i0);
  const long m = NodeSize();
  XelMathScratchDoubles<128> w(2 * m + 6);
  double *n0 = w.Data(), *n1 = n0 + m, *c = n1 + m;
  // A cut corner gives the data of its side facing the interval.
  const int ok0 = _corners.Find(i0) >= 0 ? OneSidedData(i0, 1, n0) : GetDataFromISet(i0, n0);
  const int ok1 = _corners.Find(i1) >= 0 ? OneSidedData(i1, -1, n1) : GetDataFromISet(i1, n1);
  if (!ok0 || !ok1)
    return 0;
  const double L = InitializeDeltaParam(n0, n1);
  const double s = frac * L;
  oNode[0] = u;
  for (long i = 0; i < _n; ++i) {
    XelMathHermiteQuintic(n0[1 + i], n0[1 + _n + i], n0[1 + 2 * _n + i], n1[1 + i], n1[1 + _n + i],
                          n1[1 + 2 * _n + i], L, c);
    oNode[1 + i] = c[0] + s * (c[1] + s * (c[2] + s * (c[3] + s * (c[4] + s * c[5]))));
    oNode[1 + _n + i] =
        c[1] + s * (2.0 * c[2] + s * (3.0 * c[3] + s * (4.0 * c[4] + s * 5.0 * c[5])));
    oNode[1 + 2 * _n + i] = 2.0 * c[2] + s * (6.0 * c[3] + s * (12.0 * c[4] + s * 20.0 * c[5]));
  }
  // No node from data that overflowed.
  for (long k = 1; k < NodeSize(); ++k)
    if (!std::isfinite(oNode[k]))
      return 0;
  ToArcLength(oNode);
  return 1;
}

int XelMathCheapInterpol::ComputeData(const double iU, const double*, double* oNode) {
  return ComputeDataAtPosition(iU, oNode);
}

int XelMathCheapInterpol::ComputeDataAtMiddle(const double* iNode0, const double* iNode1,
                                              const double iFraction, double* oNode) {
  return ComputeDataAtPosition(iNode0[0] + iFraction * (iNode1[0] - iNode0[0]), oNode);
}

double XelMathCheapInterpol::GetFiniteDifferenceStep(const double) const {
  return _hFactor;
}

void XelMathCheapInterpol::InteriorPositions(const double u0, const double u1, long& oFirst,
                                             long& oLast) const {
  // Kept points strictly between u0 and u1 (positions oFirst..oLast, empty when oLast < oFirst).
  oFirst = KeptPosition(u0) + 1;
  oLast = KeptPosition(u1);
  if (oLast >= 0 && _kept.GetElement(oLast) >= u1)
    --oLast;
}

double XelMathCheapInterpol::InitializeDeltaParam(const double* iNode0, const double* iNode1) {
  long first = 0, last = -1;
  InteriorPositions(iNode0[0], iNode1[0], first, last);
  if (last < first) {
    // Adjacent: the chord lengthened by the turn of the tangents (exact on a circle).
    const double c = std::sqrt(SquareDistance(iNode0 + 1, iNode1 + 1));
    double cosA = GetCosAngleBetweenTangents(iNode0 + 1 + _n, iNode1 + 1 + _n);
    cosA = cosA > 1.0 ? 1.0 : (cosA < -1.0 ? -1.0 : cosA);
    double theta = std::acos(cosA);
    if (theta > 2.5)
      theta = 2.5;
    return theta > 1e-8 ? c * 0.5 * theta / std::sin(0.5 * theta) : c;
  }
  // The polyline through the points in between.
  XelMathScratchDoubles<64> w(2 * _n);
  double *a = w.Data(), *b = a + _n;
  for (long k = 0; k < _n; ++k)
    a[k] = iNode0[1 + k];
  double length = 0.0;
  for (long j = first; j <= last + 1; ++j) {
    if (j <= last)
      Neighbour(_kept.GetElement(j), b);
    else
      for (long k = 0; k < _n; ++k)
        b[k] = iNode1[1 + k];
    length += std::sqrt(SquareDistance(a, b));
    for (long k = 0; k < _n; ++k)
      a[k] = b[k];
  }
  return length;
}

void XelMathCheapInterpol::PrepareQualityOpt(const double* iNode0, const double* iNode1) {
  const double u0 = iNode0[0], u1 = iNode1[0];
  long first = 0, last = -1;
  InteriorPositions(u0, u1, first, last);
  const long inner = last >= first ? last - first + 1 : 0;
  double* samples = PreparedSamples(inner + 1);
  _preparedU0 = u0;
  _preparedU1 = u1;
  _preparedFirst = first;
  for (long j = first; j <= last; ++j)
    Neighbour(_kept.GetElement(j), samples + (j - first) * _n);
  // The estimated curve at the middle.
  XelMathScratchDoubles<64> mid(NodeSize());
  _nbPrepared = inner;
  if (ComputeDataAtPosition(0.5 * (u0 + u1), mid.Data())) {
    for (long k = 0; k < _n; ++k)
      samples[inner * _n + k] = mid[1 + k];
    ++_nbPrepared;
  }
}

double XelMathCheapInterpol::QualityOpt() {
  double worst = 0.0;
  const double span = _preparedU1 - _preparedU0;
  for (long k = 0; k < _nbPrepared; ++k) {
    // Interior points first, then the middle.
    const bool middle = k == _nbPrepared - 1;
    const double u = middle ? 0.5 * (_preparedU0 + _preparedU1)
                            : static_cast<double>(_kept.GetElement(_preparedFirst + k));
    const double guess = span != 0.0 ? _L * (u - _preparedU0) / span : 0.0;
    double foot = 0.0;
    const double e = NewtonOnQuintic(_prepared + k * _n, guess, foot);
    if (!(e <= worst))
      worst = e;
  }
  return worst;
}

double XelMathCheapInterpol::Quality(const double* iNode0, const double* iNode1) {
  const double L = _L;
  PrepareQualityOpt(iNode0, iNode1);
  _L = L;
  return QualityOpt();
}

double XelMathCheapInterpol::BestCheapInterpol(const double* iNode0, const double* iNode1) {
  const double L0 = InitializeDeltaParam(iNode0, iNode1);
  long first = 0, last = -1;
  InteriorPositions(iNode0[0], iNode1[0], first, last);
  const bool adjacent = last < first;
  if (adjacent || !_bestParam)
    return InterpolAtStep(iNode0, iNode1, L0);
  return XelMathInterpol::BestInterpol(iNode0, iNode1);
}

double XelMathCheapInterpol::BestInterpol(const double* iNode0, const double* iNode1) {
  return BestCheapInterpol(iNode0, iNode1);
}

int XelMathCheapInterpol::FindC1Discontinuity(const long iKept, double* oLeft, double* oRight) {
  const long nk = _kept.GetNumberOfElements();
  if (iKept + 2 > nk - 1 && !_initial->IsPeriodic())
    return 0;
  if (iKept + 1 >= nk - 1)
    return 0;
  const long j = _kept.GetElement(iKept + 1);
  if (!OneSidedData(j, -1, oLeft) || !OneSidedData(j, 1, oRight))
    return 0;
  if (GetCosAngleBetweenTangents(oLeft + 1 + _n, oRight + 1 + _n) >= _cutCos)
    return 0;
  // The chords on either side turn as well (a point next to a corner has one straight side).
  XelMathScratchDoubles<64> w(4 * _n);
  double *a = w.Data(), *p = a + _n, *b = p + _n;
  const long ia = Step(j, -1), ib = Step(j, 1);
  if (ia < 0 || ib < 0)
    return 0;
  Neighbour(ia, a);
  Neighbour(j, p);
  Neighbour(ib, b);
  for (long k = 0; k < _n; ++k) {
    a[k] = p[k] - a[k];
    b[k] = b[k] - p[k];
  }
  if (GetCosAngleBetweenTangents(a, b) >= _cutCos)
    return 0;
  if (_cutC1)
    _corners.AddElement(j);
  return 1;
}
