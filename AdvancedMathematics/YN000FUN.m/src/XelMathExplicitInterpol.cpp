// Interpolation of an explicit vector function by quintic Hermite arcs.
#include "XelMathExplicitInterpol.h"

#include <cmath>

#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathVectorialFunctionX.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

XelMathExplicitInterpol::XelMathExplicitInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                                                 XelMathVectorialFunctionX* iF,
                                                 const double iTolerance, const XelTolerance& iTol)
    : XelMathExplicitInterpol(iConfig, iN, iTolerance, iTol) {
  if (!iF || iF->GetDimension() != iN)
    XelMathRaise(XelErrorCode::InvalidOption, "XelMathExplicitInterpol", "Dimension not valid",
                 "XelMathExplicitInterpol::XelMathExplicitInterpol");
  _f = iF;
}

XelMathExplicitInterpol::XelMathExplicitInterpol(XelSoftwareConfiguration* iConfig, const long iN,
                                                 const double iTolerance, const XelTolerance& iTol)
    : XelMathInterpol(iConfig, iN, nullptr, nullptr, iTolerance, 0.0, iTol), _f(nullptr),
      _initial(nullptr), _hFactor(2e-5), _byDistance(0), _oldNewton(0), _stored(nullptr),
      _prepared(nullptr), _preparedCapacity(0), _nbPrepared(0), _preparedU0(0.0), _preparedU1(0.0) {
  _tolQualityFactor = 0.1;
  _maxSquareSecondDeriv = 10000.0;
  _checkEnergy = 0;
  _stored = new XelMathSetOfPointsND(1);
}

XelMathExplicitInterpol::~XelMathExplicitInterpol() {
  delete _stored;
  if (_prepared)
    XelQuorArrayDoubleDel(_prepared, _preparedCapacity * _n);
}

long XelMathExplicitInterpol::GetDynamicMemoryBytes() const {
  return XelMathInterpol::GetDynamicMemoryBytes() + _stored->GetEstimatedMemoryBytes() +
         static_cast<long>(sizeof(double)) * _preparedCapacity * _n;
}

long XelMathExplicitInterpol::GetStaticMemoryBytes() const {
  return sizeof(XelMathExplicitInterpol);
}

void XelMathExplicitInterpol::SetHFactor(const double iFactor) {
  if (iFactor > 0.0 && std::isfinite(iFactor))
    _hFactor = iFactor;
}

void XelMathExplicitInterpol::SetParametrizedByDistance(const int iOn) {
  _byDistance = iOn ? 1 : 0;
  if (_byDistance)
    _bestParam = 0;
}

int XelMathExplicitInterpol::Run(const XelMathSetOfPointsND& iInitial,
                                 XelMathSetOfPointsND& oParameters, XelMathSetOfPointsND& oPoints,
                                 XelMathSetOfPointsND& oTangents,
                                 XelMathSetOfPointsND& oSecondDerivatives,
                                 XelMathSetOfPointsND* oCorrespondingInitialParams,
                                 const XelMathAttrList* iAttributes) {
  if (iInitial.GetDimension() != 1)
    XelMathRaise(XelErrorCode::InvalidOption, "the initial parameters", "Dimension not valid",
                 "XelMathExplicitInterpol::Run");
  _initial = &iInitial;
  const int status = RunMain(iInitial.GetNumberOfPoints(), 0.95, oParameters, oPoints, oTangents,
                             oSecondDerivatives, oCorrespondingInitialParams, iAttributes);
  _initial = nullptr;
  return status;
}

void XelMathExplicitInterpol::ToArcLength(double* ioNode) const {
  double* T = ioNode + 1 + _n;
  double* D = T + _n;
  double tt = 0.0;
  for (long i = 0; i < _n; ++i)
    tt += T[i] * T[i];
  if (!(tt > 0.0))
    return;
  const double norm = std::sqrt(tt);
  double dt = 0.0;
  for (long i = 0; i < _n; ++i) {
    T[i] /= norm;
    dt += D[i] * T[i];
  }
  for (long i = 0; i < _n; ++i)
    D[i] = (D[i] - dt * T[i]) / tt;
}

int XelMathExplicitInterpol::ComputeDataAtParam(const double t, double* oNode) {
  if (!_f)
    return 0;
  oNode[0] = t;
  _f->Eval(t, oNode + 1);
  _f->EvalFirstDeriv(t, oNode + 1 + _n);
  _f->EvalSecondDeriv(t, oNode + 1 + 2 * _n);
  for (long k = 1; k < NodeSize(); ++k)
    if (!std::isfinite(oNode[k]))
      return 0;
  if (_byDistance)
    ToArcLength(oNode);
  double dd = 0.0;
  for (long i = 0; i < _n; ++i)
    dd += oNode[1 + 2 * _n + i] * oNode[1 + 2 * _n + i];
  if (dd > _maxSquareSecondDeriv) {
    for (long i = 0; i < _n; ++i)
      oNode[1 + 2 * _n + i] = 0.0;
    ++_nbNulled;
    _diagnostic |= DiagSecondDerivNulled;
  }
  return 1;
}

int XelMathExplicitInterpol::GetDataFromISet(const long i, double* oNode) {
  return ComputeDataAtParam(_initial->GetPoints()[i], oNode);
}

void XelMathExplicitInterpol::GetPointFromISet(const long i, double* oP) const {
  _f->Eval(_initial->GetPoints()[i], oP);
}

int XelMathExplicitInterpol::ComputeData(const double iU, const double*, double* oNode) {
  return ComputeDataAtParam(iU, oNode);
}

int XelMathExplicitInterpol::ComputeDataAtMiddle(const double* iNode0, const double* iNode1,
                                                 const double iFraction, double* oNode) {
  return ComputeData(iNode0[0] + iFraction * (iNode1[0] - iNode0[0]), nullptr, oNode);
}

long XelMathExplicitInterpol::GetNbInitialPoints() const {
  return _initial ? _initial->GetNumberOfPoints() : 0;
}

double XelMathExplicitInterpol::GetFiniteDifferenceStep(const double iU) const {
  return _hFactor * (1.0 + std::fabs(iU));
}

double XelMathExplicitInterpol::InitializeDeltaParam(const double* iNode0, const double* iNode1) {
  const double du = std::fabs(iNode1[0] - iNode0[0]);
  if (!_byDistance || !_f)
    return du;
  // Arc length of f: Simpson's rule on |f'|.
  const long panels = 16;
  XelMathScratchDoubles<64> w(_n);
  double sum = 0.0;
  for (long k = 0; k <= 2 * panels; ++k) {
    const double t = iNode0[0] + (iNode1[0] - iNode0[0]) * k / (2.0 * panels);
    _f->EvalFirstDeriv(t, w.Data());
    double s = 0.0;
    for (long i = 0; i < _n; ++i)
      s += w[i] * w[i];
    const double weight = (k == 0 || k == 2 * panels) ? 1.0 : (k % 2 ? 4.0 : 2.0);
    sum += weight * std::sqrt(s);
  }
  return sum * du / (6.0 * panels);
}

double XelMathExplicitInterpol::NewtonOnQuintic(const double* X, const double iGuess,
                                                double& oS) const {
  if (!_oldNewton)
    return DistanceToArc(X, iGuess, &oS);
  XelMathScratchDoubles<64> w(3 * _n);
  double *q = w.Data(), *q1 = q + _n, *q2 = q1 + _n;
  double s = iGuess;
  for (int it = 0; it < 10; ++it) {
    EvalQuintic(s, q, q1, q2);
    double g = 0.0, gp = 0.0;
    for (long i = 0; i < _n; ++i) {
      g += (q[i] - X[i]) * q1[i];
      gp += q1[i] * q1[i] + (q[i] - X[i]) * q2[i];
    }
    if (gp == 0.0)
      break;
    s -= g / gp;
  }
  EvalQuintic(s, q, nullptr, nullptr);
  oS = s;
  return std::sqrt(SquareDistance(q, X));
}

double XelMathExplicitInterpol::QualityExplicitAtPoint(const double t, const double s) {
  XelMathScratchDoubles<64> X(_n);
  _f->Eval(t, X.Data());
  double foot = s;
  return NewtonOnQuintic(X.Data(), s, foot);
}

double XelMathExplicitInterpol::QualityExplicit(const double* iNode0, const double* iNode1) {
  const long n = UpdateSamplingForQualityCheck(_L);
  const double u0 = iNode0[0], u1 = iNode1[0];
  double worst = 0.0;
  for (long k = 1; k < n; ++k) {
    const double e = QualityExplicitAtPoint(u0 + (u1 - u0) * k / n, _L * k / n);
    if (!(e <= worst))
      worst = e;
  }
  // The other way: samples of the arc projected on f by Newton on its parameter.
  XelMathScratchDoubles<64> w(4 * _n);
  double *q = w.Data(), *f = q + _n, *f1 = f + _n, *f2 = f1 + _n;
  const double lo = u0 < u1 ? u0 : u1, hi = u0 < u1 ? u1 : u0;
  for (long k = 1; k < n; ++k) {
    EvalQuintic(_L * k / n, q, nullptr, nullptr);
    double t = u0 + (u1 - u0) * k / n;
    for (int it = 0; it < 20; ++it) {
      _f->Eval(t, f);
      _f->EvalFirstDeriv(t, f1);
      _f->EvalSecondDeriv(t, f2);
      double g = 0.0, gp = 0.0;
      for (long i = 0; i < _n; ++i) {
        g += (f[i] - q[i]) * f1[i];
        gp += f1[i] * f1[i] + (f[i] - q[i]) * f2[i];
      }
      if (!(gp > 0.0))
        break;
      double next = t - g / gp;
      next = next < lo ? lo : (next > hi ? hi : next);
      const bool done = std::fabs(next - t) <= 1e-15 * (1.0 + std::fabs(t));
      t = next;
      if (done)
        break;
    }
    _f->Eval(t, f);
    const double e = std::sqrt(SquareDistance(f, q));
    if (!(e <= worst))
      worst = e;
  }
  return worst;
}

double XelMathExplicitInterpol::Quality(const double* iNode0, const double* iNode1) {
  return QualityExplicit(iNode0, iNode1);
}

double* XelMathExplicitInterpol::PreparedSamples(const long iCount) {
  if (iCount > _preparedCapacity) {
    if (_prepared)
      XelQuorArrayDoubleDel(_prepared, _preparedCapacity * _n);
    _prepared = XelQuorArrayDoubleNew(iCount * _n);
    _preparedCapacity = iCount;
  }
  return _prepared;
}

void XelMathExplicitInterpol::PrepareQualityOpt(const double* iNode0, const double* iNode1) {
  const long n = UpdateSamplingForQualityCheck(0.0);
  double* samples = PreparedSamples(n);
  _preparedU0 = iNode0[0];
  _preparedU1 = iNode1[0];
  _nbPrepared = n - 1;
  for (long k = 1; k < n; ++k)
    _f->Eval(_preparedU0 + (_preparedU1 - _preparedU0) * k / n, samples + (k - 1) * _n);
}

double XelMathExplicitInterpol::QualityOpt() {
  double worst = 0.0;
  const long n = _nbPrepared + 1;
  for (long k = 1; k < n; ++k) {
    double foot = 0.0;
    const double e = NewtonOnQuintic(_prepared + (k - 1) * _n, _L * k / n, foot);
    if (!(e <= worst))
      worst = e;
  }
  return worst;
}

int XelMathExplicitInterpol::CheckValidityOfPoint(const double* iP) const {
  for (long i = 0; i < _n; ++i)
    if (!std::isfinite(iP[i]))
      return 0;
  return IsAcceptable(iP);
}

int XelMathExplicitInterpol::CheckValidityOfLastPoint(const double* iNode) const {
  for (long k = 0; k < NodeSize(); ++k)
    if (!std::isfinite(iNode[k]))
      return 0;
  return CheckValidityOfPoint(iNode + 1);
}

void XelMathExplicitInterpol::StoreFirstParameter(const double* iNode) {
  _stored->Reset();
  _stored->AddPoint(iNode);
}

void XelMathExplicitInterpol::StoreParameter(const double* iNode) {
  _stored->AddPoint(iNode);
}

void XelMathExplicitInterpol::CompleteParameters(XelMathSetOfPointsND& oParams) {
  oParams.Reset();
  oParams.AddSet(*_stored);
}

double XelMathExplicitInterpol::GetCosAngleBetweenTangents(const double* iT0,
                                                           const double* iT1) const {
  return CosAngle(iT0, iT1);
}

double XelMathExplicitInterpol::GetCosAngleBetweenTangents(const long i, const long j) {
  return CosAngleOfNodes(i, j);
}
