// Interpolation engine: chains of quintic Hermite arcs within a tolerance of a curve that the
// derived classes know.
#include "XelMathInterpol.h"

#include <cmath>

#include "XelMathGlobals.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

void XelMathHermiteQuintic(const double p0, const double t0, const double d0, const double p1,
                           const double t1, const double d1, const double iL, double* oC) {
  oC[0] = p0;
  oC[1] = t0;
  oC[2] = 0.5 * d0;
  if (!(iL > 0.0)) {
    oC[3] = oC[4] = oC[5] = 0.0;
    return;
  }
  // With a = c3 L^3, b = c4 L^4, c = c5 L^5 the end conditions read
  // a + b + c = A, 3a + 4b + 5c = B, 6a + 12b + 20c = C.
  const double A = p1 - p0 - t0 * iL - 0.5 * d0 * iL * iL;
  const double B = (t1 - t0 - d0 * iL) * iL;
  const double C = (d1 - d0) * iL * iL;
  const double a = 10.0 * A - 4.0 * B + 0.5 * C;
  const double b = -15.0 * A + 7.0 * B - C;
  const double c = 6.0 * A - 3.0 * B + 0.5 * C;
  const double L3 = iL * iL * iL;
  oC[3] = a / L3;
  oC[4] = b / (L3 * iL);
  oC[5] = c / (L3 * iL * iL);
}

namespace {
constexpr long RowExtra = 2; // after the node: arc length, flags

void Trace(const char* iText) {
  if (_XelQuorCleverInterpolDebug > 0)
    XelQuorOutput::GetOut() << iText << "\n";
}
} // namespace

XelMathInterpol::XelMathInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                                 XelMathImplicitSystem* iSystem, const XelMathIntervalND* iDomain,
                                 const double iTolerance, const double iMinTolerance,
                                 const XelTolerance& iTol)
    : _n(iN), _system(iSystem), _nbVar(iN), _domain(iDomain), _config(iConfig), _tol(iTol),
      _tolerance(0.0), _minTolerance(0.0), _tolArgument(iTolerance),
      _minTolArgument(iMinTolerance), _minLength(0.0), _coef(nullptr), _L(0.0), _work(nullptr),
      _scale(nullptr), _maxSquareSecondDeriv(0.0), _internalMinLength(-1.0),
      _tolQualityFactor(0.1), _insertion(1), _checkEnergy(1), _bestParam(1), _maxDepth(3),
      _depthExtra(0), _depthSamples(0), _depthMinFraction(0.0), _depthPosition(0.0),
      _increaseQuality(0), _iqFactor(1.0), _iqCount(0), _detectC1(0), _cutC1(0),
      _pointsRemoval(0), _cleanOutput(0), _skipAll(0), _cutCos(0.5), _detectInvalid(0),
      _tighten(0), _invalidTol(-1.0), _tightenTol(-1.0), _factor(1.0), _nbInitial(0),
      _longArcWork(0), _nodes(nullptr), _c1Data(nullptr), _diagnostic(0), _maxError(0.0), _nbNulled(0),
      _tightenDepth(0), _tightenLimit(0) {
  if (iN < 1 || iN > 1000)
    XelMathRaise(XelErrorCode::InvalidOption, "XelMathInterpol", "Dimension not valid",
                 "XelMathInterpol::XelMathInterpol");
  const double S = iTol.GetScaleFactor() > 0.0 ? iTol.GetScaleFactor() : 1.0;
  _maxSquareSecondDeriv = 100.0 / (S * S);
  _coef = XelQuorArrayDoubleNew(6 * _n);
  _work = XelQuorArrayDoubleNew(WorkNodes * NodeSize());
  _scale = XelQuorArrayDoubleNew(_n);
  for (long i = 0; i < _n; ++i)
    _scale[i] = S;
  _nodes = new XelMathSetOfPointsND(NodeSize() + RowExtra);
  _c1Data = new XelMathSetOfPointsND(2 * NodeSize() + 2);
  HandleMinLength();
}

XelMathInterpol::~XelMathInterpol() {
  XelQuorArrayDoubleDel(_coef, 6 * _n);
  XelQuorArrayDoubleDel(_work, WorkNodes * NodeSize());
  XelQuorArrayDoubleDel(_scale, _n);
  delete _nodes;
  delete _c1Data;
}

long XelMathInterpol::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(double)) * (6 * _n + WorkNodes * NodeSize() + _n) +
         _nodes->GetEstimatedMemoryBytes() + _c1Data->GetEstimatedMemoryBytes();
}

long XelMathInterpol::GetStaticMemoryBytes() const {
  return sizeof(XelMathInterpol);
}

// ---- settings ----

void XelMathInterpol::SetCleanOutput() {
  _cleanOutput = 1;
}

void XelMathInterpol::SetC1DiscontinuitiesDetection() {
  _detectC1 = 1;
  _cutC1 = 1;
  _pointsRemoval = 1;
}

void XelMathInterpol::SetCutOnC1Discontinuities(const double iAngle) {
  SetC1DiscontinuitiesDetection();
  const double angle = (iAngle > 0.0 && iAngle < M_PI) ? iAngle : M_PI / 3.0;
  _cutCos = std::cos(angle);
}

void XelMathInterpol::SetMaxDepth(const long iDepth, const long iA, const double iX,
                                  const long iB, const double iY) {
  _maxDepth = iDepth > 0 ? iDepth : 0;
  _depthExtra = iA > 0 ? iA : 0;
  _depthMinFraction = (iX > 0.0 && iX < 1.0) ? iX : 0.0;
  _depthSamples = iB > 0 ? iB : 0;
  _depthPosition = (iY > 0.0 && iY < 1.0) ? iY : 0.0;
}

void XelMathInterpol::SetIncreaseQualityControl(const double iTolerance,
                                                const double iMinTolerance, const double iFactor,
                                                const long iCount) {
  _tolArgument = iTolerance;
  _minTolArgument = iMinTolerance;
  _increaseQuality = iFactor > 0.0 ? 1 : 0;
  _iqFactor = iFactor > 0.0 ? iFactor : 1.0;
  _iqCount = iFactor > 0.0 && iCount > 0 ? iCount : 0;
  HandleMinLength();
}

void XelMathInterpol::SetExactPoints(const long* iIndices, const long iCount, long* oOut) {
  _exact = XelMathSetOfLongs();
  long taken = 0;
  for (long k = 0; iIndices && k < iCount; ++k)
    if (iIndices[k] >= 0 && _exact.Find(iIndices[k]) < 0) {
      _exact.AddElement(iIndices[k]);
      ++taken;
    }
  if (oOut)
    *oOut = taken;
}

void XelMathInterpol::SetDetectInvalidArcs(const int iMode, const double iTolerance) {
  _detectInvalid = iMode;
  if (iTolerance >= 0.0)
    _invalidTol = iTolerance;
}

void XelMathInterpol::SetTightenArcIntoDomain(const int iMode, const double iTolerance) {
  _tighten = iMode;
  if (iTolerance >= 0.0)
    _tightenTol = iTolerance;
}

void XelMathInterpol::SetSpecificScale(const long i, const double iScale) {
  if (i < 0 || i >= _n)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "SetSpecificScale",
                 "XelMathInterpol::SetSpecificScale");
  if (iScale > 0.0 && std::isfinite(iScale))
    _scale[i] = iScale;
}

void XelMathInterpol::ForceConfig() {
  if (_XelQuorCleverInterpolClean > 0)
    _pointsRemoval = 1;
  if (_XelQuorCleverInterpolClean > 1)
    _skipAll = 1;
  if (_XelQuorCleverInterpolC1 > 0)
    _detectC1 = 1;
  if (_XelQuorCleverInterpolC1 > 1)
    _cutC1 = 1;
  if (_XelQuorCleverInterpolPrecision > 0)
    _depthSamples = _XelQuorCleverInterpolPrecision;
  if (_XelQuorCleverInterpolCheck)
    _detectInvalid = 1;
}

void XelMathInterpol::HandleMinLength() {
  _tolerance = _tolArgument < 0.0 ? 1e-4 * _tol.GetReferenceLength() : _tolArgument;
  if (!(_tolerance > _tol.GetLengthResolution()))
    _tolerance = _tol.GetLengthResolution();
  _minTolerance = _minTolArgument > _tolerance ? _minTolArgument : _tolerance;
  _minLength = _internalMinLength < 0.0 ? _tol.GetMinimumLength() : _internalMinLength;
}

// ---- results ----

long XelMathInterpol::GetDiagnostic() const {
  return _diagnostic;
}

long XelMathInterpol::GetNbOfC1Discontinuities() const {
  return _c1Nodes.GetNumberOfElements();
}

void XelMathInterpol::GetC1Discontinuities(int* oIndices) const {
  for (long k = 0; k < _c1Nodes.GetNumberOfElements(); ++k)
    oIndices[k] = static_cast<int>(_c1Nodes.GetElement(k));
}

long XelMathInterpol::GetNbOfPieces() const {
  long pieces = 0;
  for (long i = 0; i < _nodes->GetNumberOfPoints(); ++i)
    if (NodeFlags(i) & FlagPieceStart)
      ++pieces;
  return pieces;
}

void XelMathInterpol::GetPiece(const long i, XelMathSetOfPointsND& oParameters,
                               XelMathSetOfPointsND& oPoints, XelMathSetOfPointsND& oTangents,
                               XelMathSetOfPointsND& oSecondDerivatives) const {
  if (i < 0 || i >= GetNbOfPieces())
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", "GetPiece", "XelMathInterpol::GetPiece");
  if (!Verif(oParameters, oPoints, oTangents, oSecondDerivatives, nullptr))
    return;
  oParameters.Reset();
  oPoints.Reset();
  oTangents.Reset();
  oSecondDerivatives.Reset();
  long piece = -1;
  double s = 0.0;
  for (long r = 0; r < _nodes->GetNumberOfPoints(); ++r) {
    if (NodeFlags(r) & FlagPieceStart)
      ++piece;
    s += NodeLength(r);
    if (piece < i)
      continue;
    if (piece > i)
      break;
    const double* node = NodeAt(r);
    oParameters.AddPoint(&s);
    oPoints.AddPoint(node + 1);
    oTangents.AddPoint(node + 1 + _n);
    oSecondDerivatives.AddPoint(node + 1 + 2 * _n);
  }
}

// ---- arcs ----

void XelMathInterpol::ComputeQuintic(const double* iNode0, const double* iNode1, const double iL) {
  _L = iL;
  const long n = _n;
  for (long i = 0; i < n; ++i)
    XelMathHermiteQuintic(iNode0[1 + i], iNode0[1 + n + i], iNode0[1 + 2 * n + i], iNode1[1 + i],
                          iNode1[1 + n + i], iNode1[1 + 2 * n + i], iL, _coef + 6 * i);
}

void XelMathInterpol::EvalQuintic(const double s, double* oP, double* oT, double* oD) const {
  for (long i = 0; i < _n; ++i) {
    const double* c = _coef + 6 * i;
    if (oP)
      oP[i] = c[0] + s * (c[1] + s * (c[2] + s * (c[3] + s * (c[4] + s * c[5]))));
    if (oT)
      oT[i] = c[1] + s * (2.0 * c[2] + s * (3.0 * c[3] + s * (4.0 * c[4] + s * 5.0 * c[5])));
    if (oD)
      oD[i] = 2.0 * c[2] + s * (6.0 * c[3] + s * (12.0 * c[4] + s * 20.0 * c[5]));
  }
}

double XelMathInterpol::LocalEnergy(const double p0, const double t0, const double d0,
                                    const double p1, const double t1, const double d1,
                                    const double iL) {
  const double h = 1.0 / iL;
  const double delta = p0 - p1;
  const double inner =
      h * (192.0 * (t0 * t0 + t1 * t1) - 30.0 * (d1 - d0) * delta + 216.0 * t0 * t1 +
           h * (600.0 * (t0 + t1) * delta + 600.0 * h * delta * delta));
  return (d0 * d1 + 3.0 * (d0 * d0 + d1 * d1) +
          h * (8.0 * (d0 * t1 + d1 * t0) + 22.0 * (d0 * t0 - d1 * t1) + inner)) /
         35.0;
}

double XelMathInterpol::ComputeEnergy(const double* iNode0, const double* iNode1,
                                      const double iL) const {
  double e = 0.0;
  const long n = _n;
  for (long i = 0; i < n; ++i)
    e += LocalEnergy(iNode0[1 + i], iNode0[1 + n + i], iNode0[1 + 2 * n + i], iNode1[1 + i],
                     iNode1[1 + n + i], iNode1[1 + 2 * n + i], iL);
  return e;
}

long XelMathInterpol::UpdateSamplingForQualityCheck(const double) const {
  return 10 + _depthSamples;
}

long XelMathInterpol::GetNbSampleInAddPoint() const {
  return 8 + _depthSamples;
}

double XelMathInterpol::InterpolAtStep(const double* iNode0, const double* iNode1,
                                       const double iL) {
  ComputeQuintic(iNode0, iNode1, iL);
  return Quality(iNode0, iNode1);
}

double XelMathInterpol::Interpol(const double* iNode0, const double* iNode1) {
  return BestInterpol(iNode0, iNode1);
}

double XelMathInterpol::BestInterpol(const double* iNode0, const double* iNode1) {
  const double L0 = InitializeDeltaParam(iNode0, iNode1);
  if (!_bestParam || !(L0 > 0.0))
    return InterpolAtStep(iNode0, iNode1, L0 > 0.0 ? L0 : _tol.GetLengthResolution());
  const double golden = 0.5 * (std::sqrt(5.0) - 1.0);
  double best = L0;
  PrepareQualityOpt(iNode0, iNode1);
  ComputeQuintic(iNode0, iNode1, L0);
  double bestQuality = QualityOpt();
  if (_checkEnergy) {
    // The length of least energy near the estimate, by golden section.
    double a = 0.7 * L0, b = 1.5 * L0;
    double x1 = b - golden * (b - a), x2 = a + golden * (b - a);
    double e1 = ComputeEnergy(iNode0, iNode1, x1), e2 = ComputeEnergy(iNode0, iNode1, x2);
    for (int it = 0; it < 30; ++it) {
      if (e1 < e2) {
        b = x2;
        x2 = x1;
        e2 = e1;
        x1 = b - golden * (b - a);
        e1 = ComputeEnergy(iNode0, iNode1, x1);
      } else {
        a = x1;
        x1 = x2;
        e1 = e2;
        x2 = a + golden * (b - a);
        e2 = ComputeEnergy(iNode0, iNode1, x2);
      }
    }
    const double Le = 0.5 * (a + b);
    ComputeQuintic(iNode0, iNode1, Le);
    const double q = QualityOpt();
    if (q < bestQuality) {
      bestQuality = q;
      best = Le;
    }
  }
  // Refines by the measured deviation around the better candidate.
  double a = 0.85 * best, b = 1.15 * best;
  double x1 = b - golden * (b - a), x2 = a + golden * (b - a);
  ComputeQuintic(iNode0, iNode1, x1);
  double q1 = QualityOpt();
  ComputeQuintic(iNode0, iNode1, x2);
  double q2 = QualityOpt();
  for (int it = 0; it < 8; ++it) {
    if (q1 < q2) {
      b = x2;
      x2 = x1;
      q2 = q1;
      x1 = b - golden * (b - a);
      ComputeQuintic(iNode0, iNode1, x1);
      q1 = QualityOpt();
    } else {
      a = x1;
      x1 = x2;
      q1 = q2;
      x2 = a + golden * (b - a);
      ComputeQuintic(iNode0, iNode1, x2);
      q2 = QualityOpt();
    }
  }
  const double candidate = q1 < q2 ? x1 : x2;
  if ((q1 < q2 ? q1 : q2) < bestQuality)
    best = candidate;
  return InterpolAtStep(iNode0, iNode1, best);
}

// ---- geometry ----

double XelMathInterpol::SquareDistance(const double* iA, const double* iB) const {
  const double S = _tol.GetScaleFactor() > 0.0 ? _tol.GetScaleFactor() : 1.0;
  double d = 0.0;
  for (long i = 0; i < _n; ++i) {
    const double e = (iA[i] - iB[i]) * S / _scale[i];
    d += e * e;
  }
  return d;
}

double XelMathInterpol::GetSquare3DDistance(const double* iA, const double* iB) const {
  const long m = _n < 3 ? _n : 3;
  const double S = _tol.GetScaleFactor() > 0.0 ? _tol.GetScaleFactor() : 1.0;
  double d = 0.0;
  for (long i = 0; i < m; ++i) {
    const double e = (iA[i] - iB[i]) * S / _scale[i];
    d += e * e;
  }
  return d;
}

void XelMathInterpol::Get3DPosition(const double* iNode, double* oXYZ) const {
  for (long i = 0; i < 3; ++i)
    oXYZ[i] = i < _n ? iNode[1 + i] : 0.0;
}

void XelMathInterpol::Get3DPosition(const double s, double* oXYZ) const {
  for (long i = 0; i < 3; ++i) {
    oXYZ[i] = 0.0;
    if (i < _n) {
      const double* c = _coef + 6 * i;
      oXYZ[i] = c[0] + s * (c[1] + s * (c[2] + s * (c[3] + s * (c[4] + s * c[5]))));
    }
  }
}

double XelMathInterpol::Compute3DCosAngle(const double* iA, const double* iB) const {
  const long m = _n < 3 ? _n : 3;
  double ab = 0.0, aa = 0.0, bb = 0.0;
  for (long i = 0; i < m; ++i) {
    ab += iA[i] * iB[i];
    aa += iA[i] * iA[i];
    bb += iB[i] * iB[i];
  }
  if (aa <= 0.0 || bb <= 0.0)
    return 1.0;
  return ab / std::sqrt(aa * bb);
}

double XelMathInterpol::GetSquareTransverseLength(const double* iV, const double* iT) const {
  double vt = 0.0, vv = 0.0, tt = 0.0;
  for (long i = 0; i < _n; ++i) {
    vt += iV[i] * iT[i];
    vv += iV[i] * iV[i];
    tt += iT[i] * iT[i];
  }
  if (tt <= 0.0)
    return vv;
  const double r = vv - vt * vt / tt;
  return r > 0.0 ? r : 0.0;
}

void XelMathInterpol::GetMinMaxPointTransverse(const long i0, const long i1, double& oMin,
                                               double& oMax) const {
  oMin = oMax = 0.0;
  if (i1 - i0 < 2)
    return;
  XelMathScratchDoubles<64> w(4 * _n);
  double *a = w.Data(), *b = a + _n, *p = b + _n, *v = p + _n;
  GetPointFromISet(i0, a);
  GetPointFromISet(i1, b);
  for (long i = 0; i < _n; ++i)
    b[i] -= a[i];
  bool first = true;
  for (long k = i0 + 1; k < i1; ++k) {
    GetPointFromISet(k, p);
    for (long i = 0; i < _n; ++i)
      v[i] = p[i] - a[i];
    const double d = std::sqrt(GetSquareTransverseLength(v, b));
    if (first || d < oMin)
      oMin = d;
    if (first || d > oMax)
      oMax = d;
    first = false;
  }
}

double XelMathInterpol::DistanceToArc(const double* X, const double iGuess, double* oS) const {
  XelMathScratchDoubles<64> w(3 * _n);
  double *q = w.Data(), *q1 = q + _n, *q2 = q1 + _n;
  double s = iGuess;
  if (!(s >= 0.0 && s <= _L)) {
    // Nearest of a few samples.
    double bestD = -1.0;
    for (int k = 0; k <= 16; ++k) {
      const double t = _L * k / 16.0;
      EvalQuintic(t, q, nullptr, nullptr);
      double d = 0.0;
      for (long i = 0; i < _n; ++i)
        d += (q[i] - X[i]) * (q[i] - X[i]);
      if (bestD < 0.0 || d < bestD) {
        bestD = d;
        s = t;
      }
    }
  }
  for (int it = 0; it < 30; ++it) {
    EvalQuintic(s, q, q1, q2);
    double g = 0.0, gp = 0.0;
    for (long i = 0; i < _n; ++i) {
      const double r = q[i] - X[i];
      g += r * q1[i];
      gp += q1[i] * q1[i] + r * q2[i];
    }
    if (!(gp > 0.0))
      break;
    double next = s - g / gp;
    if (next < 0.0)
      next = 0.0;
    if (next > _L)
      next = _L;
    const double moved = std::fabs(next - s);
    s = next;
    if (moved <= 1e-15 * (1.0 + _L))
      break;
  }
  EvalQuintic(s, q, nullptr, nullptr);
  if (oS)
    *oS = s;
  return std::sqrt(SquareDistance(q, X));
}

// ---- checks ----

int XelMathInterpol::IsAcceptable(const double* iP) const {
  if (!_domain)
    return 1;
  const long m = _domain->GetDimension() < _n ? _domain->GetDimension() : _n;
  const double eps = _tol.GetRootResolution();
  for (long i = 0; i < m; ++i)
    if (iP[i] < _domain->GetMin(i) - eps || iP[i] > _domain->GetMax(i) + eps)
      return 0;
  return 1;
}

int XelMathInterpol::IsAcceptable(const long n) const {
  if (!_domain)
    return 1;
  XelMathScratchDoubles<64> p(_n);
  for (long k = 1; k < n; ++k) {
    EvalQuintic(_L * k / n, p.Data(), nullptr, nullptr);
    if (!IsAcceptable(p.Data()))
      return 0;
  }
  return 1;
}

int XelMathInterpol::CheckComponent(const double* iA, const double* iB) const {
  double ab = 0.0, aa = 0.0, bb = 0.0;
  for (long i = 0; i < _n; ++i) {
    ab += iA[i] * iB[i];
    aa += iA[i] * iA[i];
    bb += iB[i] * iB[i];
  }
  if (aa <= 0.0 || bb <= 0.0)
    return 1;
  return ab / std::sqrt(aa * bb) < 0.5 ? 0 : 1;
}

int XelMathInterpol::SetSecondDerivToNullIfTooBig(double* ioNode) {
  const double S = _tol.GetScaleFactor() > 0.0 ? _tol.GetScaleFactor() : 1.0;
  double* D = ioNode + 1 + 2 * _n;
  double sum = 0.0;
  for (long i = 0; i < _n; ++i) {
    const double e = D[i] / _scale[i];
    sum += e * e;
  }
  if (!(sum * S * S > _maxSquareSecondDeriv))
    return 0;
  for (long i = 0; i < _n; ++i)
    D[i] = 0.0;
  ++_nbNulled;
  _diagnostic |= DiagSecondDerivNulled;
  return 1;
}

int XelMathInterpol::Verif(const XelMathSetOfPointsND& oParameters,
                           const XelMathSetOfPointsND& oPoints,
                           const XelMathSetOfPointsND& oTangents,
                           const XelMathSetOfPointsND& oSecondDerivatives,
                           const XelMathSetOfPointsND* oCorrespondingInitialParams) const {
  const char* wrong = nullptr;
  if (oParameters.GetDimension() != 1)
    wrong = "Pb in XelMathInterpol (Run), oParameters";
  else if (oPoints.GetDimension() != _n)
    wrong = "Pb in XelMathInterpol (Run), oPoints";
  else if (oTangents.GetDimension() != _n)
    wrong = "Pb in XelMathInterpol (Run), oTangents";
  else if (oSecondDerivatives.GetDimension() != _n)
    wrong = "Pb in XelMathInterpol (Run), oSecondDerivatives";
  else if (oCorrespondingInitialParams && oCorrespondingInitialParams->GetDimension() != 1)
    wrong = "Pb in XelMathInterpol (Run), oCorrespondingInitialParams";
  if (!wrong)
    return 1;
  XelQuorOutput::GetOut() << wrong << " has not the right number of variables\n";
  return 0;
}

// ---- node list ----

const double* XelMathInterpol::NodeAt(const long i) const {
  return _nodes->GetPoints() + i * (NodeSize() + RowExtra);
}

double XelMathInterpol::NodeLength(const long i) const {
  return NodeAt(i)[NodeSize()];
}

long XelMathInterpol::NodeFlags(const long i) const {
  return static_cast<long>(NodeAt(i)[NodeSize() + 1]);
}

void XelMathInterpol::AcceptNode(const double* iNode, const double iL, const long iFlags) {
  XelMathScratchDoubles<64> row(NodeSize() + RowExtra);
  for (long k = 0; k < NodeSize(); ++k)
    row[k] = iNode[k];
  row[NodeSize()] = iL;
  row[NodeSize() + 1] = static_cast<double>(iFlags);
  _nodes->AddPoint(row.Data());
}

int XelMathInterpol::IsRequired(const long i) const {
  return i == 0 || i == _nbInitial - 1 || _exact.Find(i) >= 0;
}

long XelMathInterpol::GetNextRequired(const long k) const {
  const long nk = _kept.GetNumberOfElements();
  for (long j = k + 1; j < nk; ++j)
    if (j == nk - 1 || IsRequired(_kept.GetElement(j)))
      return j;
  return nk - 1;
}

long XelMathInterpol::GetNextPoint(const double* iStart, const long k, const long iLimit,
                                   const double* iLimitNode) {
  if (iLimit <= k + 1 || _skipAll)
    return iLimit;
  // A first arc (estimated length) within the tolerance decides whether j can be reached.
  XelMathScratchDoubles<64> w(NodeSize());
  auto reaches = [&](const long j) {
    const double* node = iLimitNode;
    if (j != iLimit) {
      if (!GetDataFromISet(_kept.GetElement(j), w.Data()))
        return false;
      SetSecondDerivToNullIfTooBig(w.Data());
      node = w.Data();
    }
    return InterpolAtStep(iStart, node, InitializeDeltaParam(iStart, node)) <= Accept();
  };
  // The arc to the end of the stretch is tried first; each try measures every point it spans,
  // so on points that need a node nearly everywhere (a million-point zigzag) these tries
  // would cost n^2. Once the failed ones have spanned more than a few times the points, the
  // arcs grow by doubling alone, each costing about the span it reaches.
  const long span = iLimit - k;
  const bool direct = span <= 64 || _longArcWork <= 8 * _kept.GetNumberOfElements() + 100000;
  if (direct) {
    if (reaches(iLimit))
      return iLimit;
    _longArcWork += span;
  }
  // Doubling, then bisection between the last reached and the first missed.
  long good = k + 1, bad = iLimit;
  for (long step = 1; k + step < iLimit; step *= 2) {
    if (!reaches(k + step)) {
      bad = k + step;
      break;
    }
    good = k + step;
  }
  if (!direct && bad == iLimit && reaches(iLimit))
    return iLimit;
  while (bad - good > 1) {
    const long mid = (good + bad) / 2;
    (reaches(mid) ? good : bad) = mid;
  }
  return good;
}

// ---- the recursion ----

void XelMathInterpol::InterpolateWithinTol(const double* iNode0, const double* iNode1,
                                           const long k0, const long k1, const long iDepth,
                                           const double iStretchLength) {
  const double err = Interpol(iNode0, iNode1);
  const double accept = iDepth > 0 ? _factor * Accept() : Accept();
  if (err <= accept) {
    AcceptNode(iNode1, _L, 0);
    return;
  }
  if (k1 - k0 >= 2 && !_skipAll) {
    const long km = (k0 + k1) / 2;
    XelMathScratchDoubles<64> mid(NodeSize());
    if (GetDataFromISet(_kept.GetElement(km), mid.Data())) {
      SetSecondDerivToNullIfTooBig(mid.Data());
      Trace("Arc trop loin de la courbe : coupure au point initial du milieu");
      InterpolateWithinTol(iNode0, mid.Data(), k0, km, iDepth, iStretchLength);
      InterpolateWithinTol(mid.Data(), iNode1, km, k1, iDepth, iStretchLength);
      return;
    }
    _diagnostic |= DiagDataFailed;
  }
  const long extra = err > _minTolerance ? _depthExtra : 0;
  if (iDepth < _maxDepth + extra &&
      AddPointAndInterpol(iNode0, iNode1, iDepth, iStretchLength))
    return;
  // Kept as it is: rebuild it (the attempt may have changed the current arc).
  const double kept = Interpol(iNode0, iNode1);
  if (kept > _minTolerance)
    _diagnostic |= DiagArcAboveTolerance;
  AcceptNode(iNode1, _L, 0);
}

int XelMathInterpol::AddPointAndInterpol(const double* iNode0, const double* iNode1,
                                         const long iDepth, const double iStretchLength) {
  if (!_insertion || _L < 2.0 * _minLength || _L < _depthMinFraction * iStretchLength)
    return 0;
  const double fraction = _depthPosition > 0.0 ? _depthPosition : 0.5;
  XelMathScratchDoubles<64> mid(NodeSize());
  if (!ComputeDataAtMiddle(iNode0, iNode1, fraction, mid.Data())) {
    _diagnostic |= DiagDataFailed;
    return 0;
  }
  SetSecondDerivToNullIfTooBig(mid.Data());
  Trace("Insertion d'un point sur la courbe");
  InterpolateWithinTol(iNode0, mid.Data(), 0, 1, iDepth + 1, iStretchLength);
  InterpolateWithinTol(mid.Data(), iNode1, 0, 1, iDepth + 1, iStretchLength);
  return 1;
}

// ---- C1 discontinuities ----

int XelMathInterpol::FindC1Discontinuity(const long k, double* oLeft, double* oRight) {
  const long m = NodeSize();
  XelMathScratchDoubles<64> w(m);
  double* mid = w.Data();
  if (!GetDataFromISet(_kept.GetElement(k), oLeft) ||
      !GetDataFromISet(_kept.GetElement(k + 1), oRight))
    return 0;
  if (GetCosAngleBetweenTangents(oLeft + 1 + _n, oRight + 1 + _n) >= _cutCos &&
      CheckComponent(oLeft + 1 + _n, oRight + 1 + _n))
    return 0;
  // Dichotomy: keep the half where the tangent turns most, until the positions meet.
  const double eps = 1e-3 * GetFiniteDifferenceStep(oLeft[0]);
  for (int it = 0; it < 200 && std::fabs(oRight[0] - oLeft[0]) > eps; ++it) {
    const double u = 0.5 * (oLeft[0] + oRight[0]);
    if (!ComputeData(u, nullptr, mid))
      return 0;
    const double cl = GetCosAngleBetweenTangents(oLeft + 1 + _n, mid + 1 + _n);
    const double cr = GetCosAngleBetweenTangents(mid + 1 + _n, oRight + 1 + _n);
    double* target = cl < cr ? oRight : oLeft;
    for (long j = 0; j < m; ++j)
      target[j] = mid[j];
  }
  return GetCosAngleBetweenTangents(oLeft + 1 + _n, oRight + 1 + _n) < _cutCos ? 1 : 0;
}

void XelMathInterpol::FindDiscontinuities() {
  const long m = NodeSize();
  XelMathScratchDoubles<128> row(2 * m + 2);
  const long nk = _kept.GetNumberOfElements();
  for (long k = 0; k + 1 < nk; ++k) {
    if (!FindC1Discontinuity(k, row.Data() + 2, row.Data() + 2 + m))
      continue;
    row[0] = static_cast<double>(k);
    row[1] = static_cast<double>(k); // the next stretch resumes after kept point k
    // A discontinuity at a kept point itself: the next stretch resumes after it.
    if (std::fabs(row[2 + m] - row[2]) == 0.0 && k + 1 < nk)
      row[1] = static_cast<double>(k + 1);
    _c1Data->AddPoint(row.Data());
    _diagnostic |= DiagC1Discontinuity;
    Trace("Discontinuite C1 detectee");
  }
}

// ---- post-processing ----

void XelMathInterpol::CleanOutputData() {
  const double eps = _tol.GetPointResolution();
  XelMathSetOfLongs drop;
  long prev = 0;
  for (long i = 1; i < _nodes->GetNumberOfPoints(); ++i) {
    if (NodeFlags(i) & FlagPieceStart) {
      prev = i;
      continue;
    }
    if (std::sqrt(SquareDistance(NodeAt(prev) + 1, NodeAt(i) + 1)) <= eps &&
        i + 1 < _nodes->GetNumberOfPoints())
      drop.AddElement(i);
    else
      prev = i;
  }
  if (drop.GetNumberOfElements() > 0)
    RemovePoints(drop);
}

int XelMathInterpol::IsPointRemovable(const long iNode) {
  const long n = _nodes->GetNumberOfPoints();
  if (iNode <= 0 || iNode + 1 >= n)
    return 0;
  if ((NodeFlags(iNode) & (FlagRequired | FlagPieceStart)) ||
      (NodeFlags(iNode + 1) & FlagPieceStart))
    return 0;
  return 1;
}

void XelMathInterpol::GetPointsToRemove(XelMathSetOfLongs& oIndices) {
  const long n = _nodes->GetNumberOfPoints();
  const long m = NodeSize();
  long prev = 0;
  for (long j = 1; j + 1 < n; ++j) {
    if (NodeFlags(j) & FlagPieceStart) {
      prev = j;
      continue;
    }
    if (!IsPointRemovable(j)) {
      prev = j;
      continue;
    }
    // Nodes closer than the minimum length go; others when the merged arc is good enough.
    const bool tooClose = std::sqrt(SquareDistance(NodeAt(prev) + 1, NodeAt(j) + 1)) < _minLength;
    XelMathScratchDoubles<128> w(2 * m);
    for (long k = 0; k < m; ++k) {
      w[k] = NodeAt(prev)[k];
      w[m + k] = NodeAt(j + 1)[k];
    }
    const double err = Interpol(w.Data(), w.Data() + m);
    if ((tooClose && err <= _minTolerance) || err <= Accept()) {
      oIndices.AddElement(j);
      _nodes->SetCoordAtPoint(_L, m, j + 1);
    } else {
      prev = j;
    }
  }
}

void XelMathInterpol::RemovePoints(const XelMathSetOfLongs& iIndices) {
  if (iIndices.GetNumberOfElements() > 0)
    _nodes->RemovePoints(iIndices);
}

double XelMathInterpol::WorstExcursion(double& oS) const {
  oS = 0.5 * _L;
  if (!_domain)
    return 0.0;
  const long m = _domain->GetDimension() < _n ? _domain->GetDimension() : _n;
  XelMathScratchDoubles<64> p(_n);
  double worst = 0.0;
  const long samples = 256;
  for (long k = 1; k < samples; ++k) {
    const double s = _L * k / samples;
    EvalQuintic(s, p.Data(), nullptr, nullptr);
    double e = 0.0;
    for (long i = 0; i < m; ++i) {
      const double below = _domain->GetMin(i) - p[i], above = p[i] - _domain->GetMax(i);
      e = below > e ? below : e;
      e = above > e ? above : e;
    }
    if (e > worst) {
      worst = e;
      oS = s;
    }
  }
  return worst;
}

int XelMathInterpol::TightenArc(const long i) {
  const long m = NodeSize();
  XelMathScratchDoubles<128> w(3 * m);
  for (long k = 0; k < m; ++k) {
    w[k] = NodeAt(i)[k];
    w[m + k] = NodeAt(i + 1)[k];
  }
  const double L = NodeLength(i + 1);
  const long samples = UpdateSamplingForQualityCheck(L);
  const double limit = _tightenTol > _minTolerance ? _tightenTol : _minTolerance;
  // Another length first.
  const double factors[] = {0.95, 0.9, 1.05, 0.8, 1.1, 0.7, 1.25, 0.6, 0.5};
  for (double f : factors) {
    const double q = InterpolAtStep(w.Data(), w.Data() + m, f * L);
    if (q <= limit && IsAcceptable(samples)) {
      _nodes->SetCoordAtPoint(f * L, m, i + 1);
      return 1;
    }
  }
  // Then a node of the curve where the arc goes out furthest; both halves are checked again
  // by the caller (at most a few levels per arc).
  ComputeQuintic(w.Data(), w.Data() + m, L);
  double s = 0.0;
  WorstExcursion(s);
  if (_tightenDepth >= _tightenLimit || !_insertion || !(L > 2.0 * _minLength) ||
      !ComputeDataAtMiddle(w.Data(), w.Data() + m, s / L, w.Data() + 2 * m))
    return 0;
  SetSecondDerivToNullIfTooBig(w.Data() + 2 * m);
  if (!IsAcceptable(w.Data() + 2 * m + 1))
    return 0;
  ++_tightenDepth;
  XelMathScratchDoubles<64> row(m + RowExtra);
  for (long k = 0; k < m; ++k)
    row[k] = w[2 * m + k];
  Interpol(w.Data(), w.Data() + 2 * m);
  row[m] = _L;
  row[m + 1] = 0.0;
  _nodes->InsertPoint(row.Data(), i + 1);
  for (long c = 0; c < _c1Nodes.GetNumberOfElements(); ++c)
    if (_c1Nodes.GetElement(c) >= i + 1)
      _c1Nodes.SetElement(c, _c1Nodes.GetElement(c) + 1);
  Interpol(w.Data() + 2 * m, w.Data() + m);
  _nodes->SetCoordAtPoint(_L, m, i + 2);
  return 1;
}

void XelMathInterpol::ComputeMaxError() {
  _maxError = 0.0;
  _invalidArcs = XelMathSetOfLongs();
  _tightenDepth = 0;
  _tightenLimit = 4 * _nodes->GetNumberOfPoints();
  const long m = NodeSize();
  const double invalidTol = _invalidTol >= 0.0 ? _invalidTol : _tolerance;
  XelMathScratchDoubles<128> w(2 * m);
  for (long i = 0; i + 1 < _nodes->GetNumberOfPoints(); ++i) {
    if (NodeFlags(i + 1) & FlagPieceStart)
      continue;
    bool out = false;
    double err = 0.0;
    for (int tries = 0; tries < 6; ++tries) {
      for (long k = 0; k < m; ++k) {
        w[k] = NodeAt(i)[k];
        w[m + k] = NodeAt(i + 1)[k];
      }
      const double L = NodeLength(i + 1);
      err = InterpolAtStep(w.Data(), w.Data() + m, L);
      out = !IsAcceptable(UpdateSamplingForQualityCheck(L));
      // A tightened arc (new length or new node) is measured again.
      if (!out || !_tighten || !TightenArc(i))
        break;
    }
    if (out)
      _diagnostic |= DiagArcOutOfDomain;
    if (err > _maxError)
      _maxError = err;
    if ((_detectInvalid && err > invalidTol) || (out && (_detectInvalid || _tighten)))
      _invalidArcs.AddElement(i);
  }
}

// ---- the run ----

int XelMathInterpol::RunMain(const long iNbInitial, const double iFactor,
                             XelMathSetOfPointsND& oParameters, XelMathSetOfPointsND& oPoints,
                             XelMathSetOfPointsND& oTangents,
                             XelMathSetOfPointsND& oSecondDerivatives,
                             XelMathSetOfPointsND* oCorrespondingInitialParams,
                             const XelMathAttrList*) {
  _diagnostic = 0;
  _maxError = 0.0;
  _nbNulled = 0;
  _c1Nodes = XelMathSetOfLongs();
  _invalidArcs = XelMathSetOfLongs();
  _kept = XelMathSetOfLongs();
  _longArcWork = 0;
  _nodes->Reset();
  _c1Data->Reset();
  if (!Verif(oParameters, oPoints, oTangents, oSecondDerivatives, oCorrespondingInitialParams)) {
    _diagnostic |= DiagWrongOutput;
    return XelMathStatus::Refused;
  }
  oParameters.Reset();
  oPoints.Reset();
  oTangents.Reset();
  oSecondDerivatives.Reset();
  if (oCorrespondingInitialParams)
    oCorrespondingInitialParams->Reset();
  ForceConfig();
  HandleMinLength();
  _factor = iFactor > 0.0 && iFactor <= 1.0 ? iFactor : 1.0;
  _nbInitial = iNbInitial;
  Trace("Debut de l'interpolation");
  if (iNbInitial < 2) {
    _diagnostic |= DiagTooFewPoints;
    return XelMathStatus::Refused;
  }
  // The initial points used: with removal, those closer than the minimum length to the last
  // kept point go (the last point replaces its too close predecessor).
  XelMathScratchDoubles<64> pts(2 * _n);
  double *p = pts.Data(), *last = p + _n;
  for (long i = 0; i < iNbInitial; ++i) {
    GetPointFromISet(i, p);
    const long nk = _kept.GetNumberOfElements();
    if (nk > 0 && _pointsRemoval && std::sqrt(SquareDistance(p, last)) < _minLength) {
      if (i != iNbInitial - 1 && !IsRequired(i))
        continue;
      // The last (or a required) point replaces its too close predecessor when that one is free.
      if (nk > 1 && !IsRequired(_kept.GetElement(nk - 1)))
        _kept.RemoveElement(nk - 1);
    }
    _kept.AddElement(i);
    for (long j = 0; j < _n; ++j)
      last[j] = p[j];
  }
  const long nk = _kept.GetNumberOfElements();
  if (nk < 2) {
    _diagnostic |= DiagTooFewPoints;
    return XelMathStatus::Refused;
  }
  if (_detectC1)
    FindDiscontinuities();

  const long m = NodeSize();
  XelMathScratchDoubles<128> ends(3 * m);
  double *start = ends.Data(), *stop = start + m, *middle = stop + m;
  if (!GetDataFromISet(_kept.GetElement(0), start)) {
    _diagnostic |= DiagDataFailed;
    return XelMathStatus::Refused;
  }
  SetSecondDerivToNullIfTooBig(start);
  AcceptNode(start, 0.0, FlagRequired | FlagPieceStart);
  long k = 0;
  long c1Row = 0;
  const long c1Rows = _c1Data->GetNumberOfPoints();
  const double* c1 = _c1Data->GetPoints();
  while (k < nk - 1) {
    const long next = GetNextRequired(k);
    const double* cut = nullptr;
    while (c1Row < c1Rows && c1[c1Row * (2 * m + 2)] < k)
      ++c1Row;
    if (c1Row < c1Rows && c1[c1Row * (2 * m + 2)] < next)
      cut = c1 + c1Row * (2 * m + 2);
    long endIndex = next;
    if (cut) {
      endIndex = static_cast<long>(cut[0]) + 1;
      for (long j = 0; j < m; ++j)
        stop[j] = cut[2 + j];
    } else if (!GetDataFromISet(_kept.GetElement(next), stop)) {
      _diagnostic |= DiagDataFailed;
      // Skip the point whose data fail (unless it is the last).
      if (next == nk - 1)
        break;
      k = next;
      continue;
    }
    SetSecondDerivToNullIfTooBig(stop);
    if (!CheckValidityOfLastPoint(stop))
      _diagnostic |= DiagDataFailed;
    const double stretch = std::sqrt(SquareDistance(start + 1, stop + 1));
    const long before = _nodes->GetNumberOfPoints();
    // Arcs as long as the tolerance allows, each split further when it must be.
    while (k < endIndex) {
      const long reach = GetNextPoint(start, k, endIndex, stop);
      if (reach == endIndex || !GetDataFromISet(_kept.GetElement(reach), middle)) {
        InterpolateWithinTol(start, stop, k, endIndex, 0, stretch);
        k = endIndex;
        break;
      }
      SetSecondDerivToNullIfTooBig(middle);
      InterpolateWithinTol(start, middle, k, reach, 0, stretch);
      for (long j = 0; j < m; ++j)
        start[j] = middle[j];
      k = reach;
    }
    // The end node of the stretch is a required node.
    if (_nodes->GetNumberOfPoints() > before)
      _nodes->SetCoordAtPoint(static_cast<double>(FlagRequired), m + 1,
                              _nodes->GetNumberOfPoints() - 1);
    if (cut) {
      const long resume = static_cast<long>(cut[1]);
      const double* right = cut + 2 + m;
      if (_cutC1) {
        _c1Nodes.AddElement(_nodes->GetNumberOfPoints() - 1);
        for (long j = 0; j < m; ++j)
          start[j] = right[j];
        SetSecondDerivToNullIfTooBig(start);
        AcceptNode(start, 0.0, FlagRequired | FlagPieceStart);
      } else {
        // Reported only: the chain continues from the left node.
        _c1Nodes.AddElement(_nodes->GetNumberOfPoints() - 1);
        for (long j = 0; j < m; ++j)
          start[j] = stop[j];
      }
      k = resume;
      ++c1Row;
      continue;
    }
    for (long j = 0; j < m; ++j)
      start[j] = stop[j];
  }

  if (_cleanOutput)
    CleanOutputData();
  if (_pointsRemoval) {
    XelMathSetOfLongs drop;
    GetPointsToRemove(drop);
    // Discontinuity indices move down with the removed nodes.
    for (long c = 0; c < _c1Nodes.GetNumberOfElements(); ++c) {
      long shift = 0;
      for (long d = 0; d < drop.GetNumberOfElements(); ++d)
        if (drop.GetElement(d) < _c1Nodes.GetElement(c))
          ++shift;
      _c1Nodes.SetElement(c, _c1Nodes.GetElement(c) - shift);
    }
    RemovePoints(drop);
  }
  ComputeMaxError();
  // Increased quality control: more passes on the arcs above the tolerance.
  for (long pass = 0; _increaseQuality && pass < _iqCount && _maxError > _tolerance; ++pass) {
    const long saveSamples = _depthSamples;
    _depthSamples = static_cast<long>(_depthSamples * _iqFactor + 10.0 * (_iqFactor - 1.0));
    XelMathSetOfPointsND previous(*_nodes);
    _nodes->Reset();
    for (long i = 0; i < previous.GetNumberOfPoints(); ++i) {
      const double* row = previous.GetPoints() + i * (m + RowExtra);
      const long flags = static_cast<long>(row[m + 1]);
      if (i == 0 || (flags & FlagPieceStart)) {
        _nodes->AddPoint(row);
        continue;
      }
      const double* prev = previous.GetPoints() + (i - 1) * (m + RowExtra);
      const double err = InterpolAtStep(prev, row, row[m]);
      if (err > Accept() && AddPointAndInterpol(prev, row, _maxDepth, 0.0)) {
        _nodes->SetCoordAtPoint(static_cast<double>(flags), m + 1,
                                _nodes->GetNumberOfPoints() - 1);
        continue;
      }
      _nodes->AddPoint(row);
    }
    _depthSamples = saveSamples;
    ComputeMaxError();
  }
  // The final control decides whether arcs are left above the minimum tolerance.
  if (_maxError <= _minTolerance)
    _diagnostic &= ~static_cast<long>(DiagArcAboveTolerance);
  if (_detectInvalid && _invalidArcs.GetNumberOfElements() > 0)
    _diagnostic |= DiagArcAboveTolerance;

  // Outputs in node order; the parameter cumulates the arc lengths.
  double s = 0.0;
  for (long i = 0; i < _nodes->GetNumberOfPoints(); ++i) {
    const double* node = NodeAt(i);
    s += NodeLength(i);
    oParameters.AddPoint(&s);
    oPoints.AddPoint(node + 1);
    oTangents.AddPoint(node + 1 + _n);
    oSecondDerivatives.AddPoint(node + 1 + 2 * _n);
    if (i == 0)
      StoreFirstParameter(node);
    else
      StoreParameter(node);
  }
  if (oCorrespondingInitialParams)
    CompleteParameters(*oCorrespondingInitialParams);
  Trace("Fin de l'interpolation");
  return XelMathStatus::Done;
}

double XelMathInterpol::CosAngle(const double* iT0, const double* iT1) const {
  double ab = 0.0, aa = 0.0, bb = 0.0;
  for (long i = 0; i < _n; ++i) {
    ab += iT0[i] * iT1[i];
    aa += iT0[i] * iT0[i];
    bb += iT1[i] * iT1[i];
  }
  if (aa <= 0.0 || bb <= 0.0)
    return 1.0;
  return ab / std::sqrt(aa * bb);
}

double XelMathInterpol::CosAngleOfNodes(const long i, const long j) {
  XelMathScratchDoubles<128> w(2 * NodeSize());
  if (!GetDataFromISet(i, w.Data()) || !GetDataFromISet(j, w.Data() + NodeSize()))
    return 1.0;
  return GetCosAngleBetweenTangents(w.Data() + 1 + _n, w.Data() + NodeSize() + 1 + _n);
}
