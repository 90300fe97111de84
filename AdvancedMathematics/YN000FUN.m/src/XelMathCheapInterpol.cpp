// Interpolation of points alone by quintic Hermite arcs, with data estimated from neighbours.
#include "XelMathCheapInterpol.h"

#include <cmath>

#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"

XelMathCheapInterpol::XelMathCheapInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                                           const double iTolerance, const XelTolerance& iTol)
    : XelMathExplicitInterpol(iConfig, iN, nullptr, iTolerance, iTol), _errorDiag(0),
      _twistIndex(-1), _twistParam(0.0) {}

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
  _initial = &iInitial;
  _errorDiag = 0;
  _twistIndex = -1;
  _twistParam = 0.0;
  const int status = RunMain(iInitial.GetNumberOfPoints(), 0.95, oParameters, oPoints, oTangents,
                             oSecondDerivatives, oCorrespondingInitialParams, iAttributes);
  // The first reversal of the estimated tangent.
  const long n = iInitial.GetNumberOfPoints();
  const long m = NodeSize();
  XelMathScratchDoubles<128> w(2 * m);
  for (long i = 0; status == XelMathStatus::Done && i + 1 < n && _twistIndex < 0; ++i)
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
  }
  _initial = nullptr;
  return status;
}

int XelMathCheapInterpol::Neighbour(const long i, double* oP) const {
  const long n = _initial->GetNumberOfPoints();
  long j = i;
  if (_initial->IsPeriodic() && n > 2) {
    // The last point repeats the first: the loop has n - 1 distinct points.
    while (j < 0)
      j += n - 1;
    while (j >= n - 1)
      j -= n - 1;
  } else if (j < 0 || j >= n) {
    return 0;
  }
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
  const int hasA = Neighbour(i + iSide, A);
  const int hasB = Neighbour(i + 2 * iSide, B);
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
  if (Neighbour(i - 1, A) && Neighbour(i + 1, B) &&
      EstimateTangentAndSecondDeriv(_n, P, A, B, -1.0, 1.0, T, D)) {
    ToArcLength(oNode);
    return 1;
  }
  // An end of an open set: both neighbours on the same side.
  const int side = Neighbour(i + 1, A) ? 1 : -1;
  if (OneSidedData(i, side, oNode))
    return 1;
  ++_errorDiag;
  return 0;
}

int XelMathCheapInterpol::ComputeDataAtPosition(const double u, double* oNode) {
  const long n = _initial->GetNumberOfPoints();
  long i0 = static_cast<long>(std::floor(u));
  if (i0 < 0)
    i0 = 0;
  if (i0 > n - 1)
    i0 = n - 1;
  const double frac = u - i0;
  if (frac <= 0.0 || i0 == n - 1)
    return GetDataFromISet(i0, oNode);
  const long m = NodeSize();
  XelMathScratchDoubles<128> w(2 * m + 6);
  double *n0 = w.Data(), *n1 = n0 + m, *c = n1 + m;
  if (!GetDataFromISet(i0, n0) || !GetDataFromISet(i0 + 1, n1))
    return 0;
  const double L = InitializeDeltaParam(n0, n1);
  const double s = frac * L;
  oNode[0] = u;
  for (long i = 0; i < _n; ++i) {
    XelMathHermiteQuintic(n0[1 + i], n0[1 + _n + i], n0[1 + 2 * _n + i], n1[1 + i],
                          n1[1 + _n + i], n1[1 + 2 * _n + i], L, c);
    oNode[1 + i] = c[0] + s * (c[1] + s * (c[2] + s * (c[3] + s * (c[4] + s * c[5]))));
    oNode[1 + _n + i] = c[1] + s * (2.0 * c[2] + s * (3.0 * c[3] + s * (4.0 * c[4] + s * 5.0 * c[5])));
    oNode[1 + 2 * _n + i] = 2.0 * c[2] + s * (6.0 * c[3] + s * (12.0 * c[4] + s * 20.0 * c[5]));
  }
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

double XelMathCheapInterpol::InitializeDeltaParam(const double* iNode0, const double* iNode1) {
  const double u0 = iNode0[0], u1 = iNode1[0];
  const long first = static_cast<long>(std::floor(u0)) + 1;
  const long last = static_cast<long>(std::ceil(u1)) - 1;
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
      Neighbour(j, b);
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
  const long first = static_cast<long>(std::floor(u0)) + 1;
  const long last = static_cast<long>(std::ceil(u1)) - 1;
  const long inner = last >= first ? last - first + 1 : 0;
  double* samples = PreparedSamples(inner + 1);
  _preparedU0 = u0;
  _preparedU1 = u1;
  for (long j = first; j <= last; ++j)
    Neighbour(j, samples + (j - first) * _n);
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
  const long first = static_cast<long>(std::floor(_preparedU0)) + 1;
  for (long k = 0; k < _nbPrepared; ++k) {
    // Interior points first, then the middle.
    const bool middle = k == _nbPrepared - 1;
    const double u = middle ? 0.5 * (_preparedU0 + _preparedU1) : static_cast<double>(first + k);
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
  const bool adjacent = std::floor(iNode0[0]) + 1.0 >= std::ceil(iNode1[0]);
  if (adjacent || !_bestParam)
    return InterpolAtStep(iNode0, iNode1, L0);
  return XelMathInterpol::BestInterpol(iNode0, iNode1);
}

double XelMathCheapInterpol::BestInterpol(const double* iNode0, const double* iNode1) {
  return BestCheapInterpol(iNode0, iNode1);
}

int XelMathCheapInterpol::FindC1Discontinuity(const long k, double* oLeft, double* oRight) {
  const long nk = _kept.GetNumberOfElements();
  if (k + 2 > nk - 1 && !_initial->IsPeriodic())
    return 0;
  if (k + 1 >= nk - 1)
    return 0;
  const long j = _kept.GetElement(k + 1);
  if (!OneSidedData(j, -1, oLeft) || !OneSidedData(j, 1, oRight))
    return 0;
  const double c = GetCosAngleBetweenTangents(oLeft + 1 + _n, oRight + 1 + _n);
  return c < _cutCos ? 1 : 0;
}
