// XelMathImplicitSystem: construction, options, evaluations, tangents, the Newton correction
// on a hyperplane and the singular points. The march itself is in
// XelMathImplicitSystemMarch.cpp.
#include "XelMathImplicitSystem.h"

#include <cmath>
#include <cstring>

#include "XelMathAttrDecomposition.h"
#include "XelMathAttrList.h"
#include "XelMathAttrMultipleDomain.h"
#include "XelMathAttrRepartition.h"
#include "XelMathGlobals.h"
#include "XelMathImplicitSystemInternal.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem.h"
#include "XelQuorMemory.h"
#include "XelSoftwareConfiguration.h"
#include "XelTolerance.h"

using namespace XelMathMarching;

namespace {
double Norm(const long n, const double* v) {
  double s = 0.0;
  for (long i = 0; i < n; ++i)
    s += v[i] * v[i];
  return std::sqrt(s);
}

double Plain(const long n, const double* a, const double* b) {
  double s = 0.0;
  for (long i = 0; i < n; ++i)
    s += a[i] * b[i];
  return s;
}

/// Orthonormal basis of the complement of the span of iCount vectors of dimension iDim
/// (row-major in iVectors): written to oBasis (room for iDim x iDim), count returned. The
/// vectors are orthonormalised by modified Gram-Schmidt (those whose remainder is below
/// iEps times their norm are dependent and dropped), then the unit vectors complete them.
long Complement(const long iDim, const long iCount, const double* iVectors, const double iEps,
                const double iAbsolute, double* ioSpan, double* oBasis) {
  long rank = 0;
  auto reduce = [&](double* v) {
    for (int pass = 0; pass < 2; ++pass)
      for (long k = 0; k < rank; ++k) {
        const double d = Plain(iDim, v, ioSpan + k * iDim);
        for (long i = 0; i < iDim; ++i)
          v[i] -= d * ioSpan[k * iDim + i];
      }
  };
  for (long r = 0; r < iCount && rank < iDim; ++r) {
    double* v = ioSpan + rank * iDim;
    std::memcpy(v, iVectors + r * iDim, sizeof(double) * iDim);
    const double before = Norm(iDim, v);
    reduce(v);
    const double after = Norm(iDim, v);
    if (before > iAbsolute && after > iEps * before) {
      for (long i = 0; i < iDim; ++i)
        v[i] /= after;
      ++rank;
    }
  }
  long count = 0;
  for (long e = 0; e < iDim && rank < iDim; ++e) {
    double* v = ioSpan + rank * iDim;
    for (long i = 0; i < iDim; ++i)
      v[i] = (i == e) ? 1.0 : 0.0;
    reduce(v);
    const double after = Norm(iDim, v);
    if (after > 1e-3) {
      for (long i = 0; i < iDim; ++i)
        v[i] /= after;
      std::memcpy(oBasis + count * iDim, v, sizeof(double) * iDim);
      ++rank;
      ++count;
    }
  }
  return count;
}

/// Work array of doubles from the counted allocator, released on scope exit.
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
} // namespace

XelMathImplicitSystem::XelMathImplicitSystem(XelSoftwareConfiguration* iConfig, long iN,
                                             const XelTolerance& iTol,
                                             const XelMathAttrList* iAttributes)
    : _n(iN), _config(iConfig), _tol(iTol), _level(0), _containingV2(1), _containingWork(0.0),
      _containingDistances(0.0),
      _epsSol(0.0),
      _maxStep(nullptr), _globalMaxStep(0.0), _minStep(0.0), _sag(0.0), _h(0.0), _ratio(1.0),
      _metric(nullptr), _work(nullptr), _jacobian(nullptr), _subMatrix(nullptr), _optMetric(0), _optSingularity(0),
      _optNotInverse(0), _optConstraint(0), _optDecompositionOn(0), _acceptNonComplete(0),
      _tryAllDirections(0), _trySingularTangent(0), _tryBestReconverge(0), _withVectors(0),
      _twoTangents(0), _nbGroups(0), _groups(nullptr), _groupMaxStep(nullptr),
      _multipleDomain(nullptr), _scaleOption(0, 1), _scaled(0), _scaleF(nullptr),
      _singularSystem(nullptr), _endPoints(nullptr), _ignoredEndPoint(-1), _reachedEndPoint(-1),
      _diagnostic(0), _cumulative(0), _stopInfo(0), _startDiagnostic(0), _endDiagnostic(0),
      _nbSolDiag(0), _solDiagnostics(nullptr), _quiet(0), _running(0), _decoded(0), _closed(0),
      _nbSingular(0), _singularStop(0), _continuation(nullptr), _tracedSets{nullptr, nullptr}, _tracedSigns{1.0, 1.0} {
  if (iN < 2 || iN > 1000)
    XelMathRaise(XelErrorCode::InvalidOption, "XelMathImplicitSystem", "Dimension not valid",
                 "XelMathImplicitSystem::XelMathImplicitSystem");
  _epsSol = 100.0 * _tol.GetRelativeEpsilon();
  if (iConfig && GetQuorLevel(iConfig, "XelMathImplicitSystem") >=
                     XelQuorVersionLevel_Marching_ActivateLevel8AsDefaultLevel)
    _level = 7;
  _containingV2 = GetQuorLevel(iConfig, "XelMathImplicitSystem") >=
                  XelQuorVersionLevel_ImplicitSystemIsContainingV2;
  _maxStep = XelQuorArrayDoubleNew(_n);
  _metric = XelQuorArrayDoubleNew(_n);
  _work = XelQuorArrayDoubleNew(WorkVectors * _n);
  _continuation = XelQuorArrayDoubleNew(3 * _n);
  _scaleF = XelQuorArrayDoubleNew(_n);
  for (long i = 0; i < _n; ++i) {
    _maxStep[i] = 0.0;
    _metric[i] = 1.0;
    _scaleF[i] = 1.0;
  }
  std::memset(_work, 0, sizeof(double) * WorkVectors * _n);
  std::memset(_continuation, 0, sizeof(double) * 3 * _n);
  _jacobian = new XelMathNxNFullMatrix(_n);
  _jacobian->Reset();
  if (_n > 4)
    _subMatrix = new XelMathNxNFullMatrix(_n - 1);
  const double scale = _tol.GetScaleFactor();
  if (scale != 1.0 && iAttributes) {
    const XelMathAttrScaleOption* option = dynamic_cast<const XelMathAttrScaleOption*>(
        iAttributes->GetAttribute("XelMathAttrScaleOption"));
    if (option)
      SetScaleOption(*option);
  }
}

XelMathImplicitSystem::~XelMathImplicitSystem() {
  XelQuorArrayDoubleDel(_maxStep, _n);
  XelQuorArrayDoubleDel(_metric, _n);
  XelQuorArrayDoubleDel(_work, WorkVectors * _n);
  XelQuorArrayDoubleDel(_continuation, 3 * _n);
  XelQuorArrayDoubleDel(_scaleF, _n);
  if (_groupMaxStep)
    XelQuorArrayDoubleDel(_groupMaxStep, _nbGroups);
  if (_groups)
    XelQuorArrayDoubleDel(reinterpret_cast<double*>(_groups), _nbGroups);
  if (_solDiagnostics)
    XelQuorArrayDoubleDel(reinterpret_cast<double*>(_solDiagnostics), 2 * _nbSolDiag);
  delete _jacobian;
  delete _subMatrix;
}

long XelMathImplicitSystem::GetDynamicMemoryBytes() const {
  long bytes = static_cast<long>(sizeof(double)) * (_n * (4 + WorkVectors + 3));
  bytes += _jacobian->GetEstimatedMemoryBytes();
  if (_subMatrix)
    bytes += _subMatrix->GetEstimatedMemoryBytes();
  bytes += static_cast<long>(sizeof(double)) * 2 * _nbGroups;
  bytes += static_cast<long>(sizeof(long)) * 2 * _nbSolDiag;
  return bytes + _scaleOption.GetDynamicMemoryBytes();
}

long XelMathImplicitSystem::GetStaticMemoryBytes() const {
  return sizeof(XelMathImplicitSystem);
}

void XelMathImplicitSystem::SetLevel(const long iLevel) {
  if (_config && GetQuorLevel(_config, "XelMathImplicitSystem::SetLevel") >=
                     XelQuorVersionLevel_Marching_ActivateLevel8AsDefaultLevel)
    _level = (iLevel == 8) ? 8 : 7;
  else
    _level = iLevel;
}

void XelMathImplicitSystem::SetScaleOption(const XelMathAttrScaleOption& iOption) {
  long nbF = 0, nbX = 0;
  const long* powersF = iOption.GetPowerScaleF(nbF);
  iOption.GetPowerScaleX(nbX);
  const bool okF = nbF == 1 || nbF == _n - 1;
  const bool okX = nbX == 1 || nbX == _n;
  if (!okF || !okX || !powersF)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                 "XelMathSystemXY::Solve");
  _scaleOption = iOption;
  const double s = _tol.GetScaleFactor();
  _scaled = 0;
  for (long i = 0; i < _n - 1; ++i) {
    const long p = powersF[nbF == 1 ? 0 : i];
    _scaleF[i] = std::pow(s, static_cast<double>(-p));
    if (_scaleF[i] != 1.0)
      _scaled = 1;
  }
}

void XelMathImplicitSystem::SetEpsSol(const double iEps) {
  if (iEps > 100.0 * _tol.GetRelativeEpsilon())
    _epsSol = iEps;
}

void XelMathImplicitSystem::SetMetric(const double* iWeights) {
  for (long i = 0; i < _n; ++i)
    _metric[i] = (iWeights && iWeights[i] > 0.0 && std::isfinite(iWeights[i])) ? iWeights[i] : 1.0;
}

void XelMathImplicitSystem::SetSingularSystem(XelMathSystem* iSystem) {
  _singularSystem = iSystem;
}

void XelMathImplicitSystem::SetEndPoints(const XelMathSetOfPointsND* iEndPoints,
                                         const long iIgnoredIndex) {
  if (iEndPoints && iEndPoints->GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "wrong dimension",
                 "XelMathImplicitSystem::SetEndPoints");
  _endPoints = iEndPoints;
  _ignoredEndPoint = iIgnoredIndex;
}

void XelMathImplicitSystem::GetRunInfo(long& oCumulative, long& oStop) const {
  oCumulative = _cumulative;
  oStop = _stopInfo;
}

void XelMathImplicitSystem::GetStepParameters(double& oMinStep, double& oMaxStep,
                                              double& oSag) const {
  oMinStep = _minStep;
  oMaxStep = _globalMaxStep;
  oSag = _sag;
}

double XelMathImplicitSystem::GetMaxStep(const long i) const {
  if (i < 0 || i >= _n)
    XelMathRaise(XelErrorCode::WrongIndex, "XelMathImplicitSystem::GetMaxStep", "Wrong Index", "");
  return _maxStep[i];
}

// ---- options ----

void XelMathImplicitSystem::DecodeOptions(const XelMathIntervalND& iDomain,
                                          const XelMathAttrList* iAttributes) {
  auto has = [&](const char* iKey) {
    return (iAttributes && iAttributes->GetAttribute(iKey)) ? 1 : 0;
  };
  double total = 0.0, smallest = 0.0;
  for (long i = 0; i < _n; ++i) {
    const double w = iDomain.GetMax(i) - iDomain.GetMin(i);
    _maxStep[i] = StepRatio * w;
    total += w;
    if (i == 0 || w < smallest)
      smallest = w;
  }
  MIN_DOMAIN = smallest;
  const double mean = total / static_cast<double>(_n);
  _minStep = MinStepRatio * MIN_DOMAIN;
  _globalMaxStep = StepRatio * mean;
  _sag = SagRatio * mean;
  if (_minStep <= 0.0)
    _minStep = MinStepRatio * (mean > 0.0 ? mean : 1.0);

  _optMetric = has("XelMathMetric");
  _optSingularity = has("XelMathSingularity");
  _optNotInverse = has("XelMathNotInverse");
  _optConstraint = has("XelMathConstraintOption");
  _optDecompositionOn = has("XelMathDecompositionOn");
  _acceptNonComplete = has("XelMathAcceptNonCompleteSetStrong")
                           ? 2
                           : (has("XelMathAcceptNonCompleteSet") ? 1 : 0);
  _tryAllDirections = has("XelMathTryAllDirections");
  _trySingularTangent = has("XelMathTrySingularTangent");
  _tryBestReconverge = has("XelMathTryBestReconverge");
  _twoTangents = has("TwoTangents");
  _withVectors = has("WithVectors");

  for (long i = 0; i < _n; ++i)
    _metric[i] = 1.0;
  if (_optMetric)
    for (long i = 0; i < _n; ++i) {
      const double w = iDomain.GetMax(i) - iDomain.GetMin(i);
      _metric[i] = (w > 0.0) ? mean / w : 1.0;
    }

  if (iAttributes) {
    if (const XelMathAttrRepartition* rep = dynamic_cast<const XelMathAttrRepartition*>(
            iAttributes->GetAttribute("XelMathAttrRepartition"))) {
      double sag = 0.0, minStep = 0.0, maxStep = 0.0;
      if (rep->GetSag(sag) && sag > 0.0)
        _sag = sag;
      if (rep->GetMinMaxStep(minStep, maxStep)) {
        if (minStep > 0.0)
          _minStep = minStep;
        if (maxStep > 0.0) {
          _globalMaxStep = maxStep;
          for (long i = 0; i < _n; ++i)
            _maxStep[i] = maxStep / std::sqrt(static_cast<double>(_n));
        }
      } else if (rep->GetKind() == 7) {
        double step = 0.0;
        const long count = rep->GetNumberOfSteps();
        if (count >= _n) {
          Doubles steps(count);
          rep->GetMinMaxStepVect(step, steps.Get(), count);
          for (long i = 0; i < _n; ++i)
            if (steps.Get()[i] > 0.0)
              _maxStep[i] = steps.Get()[i];
        } else {
          rep->GetMinMaxStepVect(step, nullptr, 0);
        }
        if (step > 0.0)
          _globalMaxStep = step;
      }
    }
    // Groups of variables: the largest move of each group is 0.100001 times its width.
    if (_groupMaxStep)
      XelQuorArrayDoubleDel(_groupMaxStep, _nbGroups);
    if (_groups)
      XelQuorArrayDoubleDel(reinterpret_cast<double*>(_groups), _nbGroups);
    _groups = nullptr;
    _groupMaxStep = nullptr;
    _nbGroups = 0;
    if (const XelMathAttrDecomposition* dec = dynamic_cast<const XelMathAttrDecomposition*>(
            iAttributes->GetAttribute("XelMathAttrDecomposition"))) {
      const long count = dec->GetDecompositionNumber();
      const long* tab = dec->GetDecompositionTab();
      long sum = 0;
      bool valid = tab && count > 0 && count <= _n;
      for (long g = 0; valid && g < count; ++g) {
        valid = tab[g] > 0;
        sum += tab[g];
      }
      if (valid && sum == _n) {
        static_assert(sizeof(long) <= sizeof(double), "group sizes are stored in doubles");
        _nbGroups = count;
        _groups = reinterpret_cast<long*>(XelQuorArrayDoubleNew(count));
        _groupMaxStep = XelQuorArrayDoubleNew(count);
        long first = 0;
        for (long g = 0; g < count; ++g) {
          _groups[g] = tab[g];
          double w2 = 0.0, wsum = 0.0;
          for (long i = first; i < first + tab[g]; ++i) {
            const double w = iDomain.GetMax(i) - iDomain.GetMin(i);
            w2 += w * w;
            wsum += w;
          }
          _groupMaxStep[g] = StepRatio * std::sqrt(w2);
          if (_optDecompositionOn && !_XelMarchingRollback)
            for (long i = first; i < first + tab[g]; ++i)
              _metric[i] = (wsum > 0.0) ? mean * tab[g] / wsum : 1.0;
          first += tab[g];
        }
      }
    }
    _multipleDomain = dynamic_cast<const XelMathAttrMultipleDomain*>(
        iAttributes->GetAttribute("XelMathAttrMultipleDomain"));
    if (_multipleDomain && (!_multipleDomain->GetDomain() ||
                            _multipleDomain->GetNumberOfDomains() <= 0))
      _multipleDomain = nullptr;
    if (_multipleDomain)
      _sag *= 2.0;
  } else {
    _multipleDomain = nullptr;
  }
  if (_minStep > _globalMaxStep)
    _minStep = 1e-3 * _globalMaxStep;
}

// ---- evaluations ----

void XelMathImplicitSystem::EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const {
  double* J = oJ->GetFullMatrixCoef();
  Doubles work(3 * _n);
  double* x = work.Get();
  double* fp = x + _n;
  double* fm = fp + _n;
  std::memcpy(x, X, sizeof(double) * _n);
  const double s = _tol.GetScaleFactor();
  for (long j = 0; j < _n; ++j) {
    const double h = XelMathh1 * (s + std::fabs(X[j]));
    x[j] = X[j] + h;
    Eval(x, fp);
    x[j] = X[j] - h;
    Eval(x, fm);
    x[j] = X[j];
    for (long i = 0; i < _n - 1; ++i)
      J[i * _n + j] = (fp[i] - fm[i]) / (2.0 * h);
  }
}

void XelMathImplicitSystem::Eval(const double* X, double* oF, XelMathNxNFullMatrix* oJ) const {
  Eval(X, oF);
  EvalJacobian(X, oJ);
}

void XelMathImplicitSystem::ScaleGx(double* ioF) const {
  if (_scaled)
    for (long i = 0; i < _n - 1; ++i)
      ioF[i] *= _scaleF[i];
}

void XelMathImplicitSystem::ScaleJacobianGX(XelMathNxNFullMatrix* ioJ) const {
  if (!_scaled)
    return;
  double* J = ioJ->GetFullMatrixCoef();
  for (long i = 0; i < _n - 1; ++i)
    for (long j = 0; j < _n; ++j)
      J[i * _n + j] *= _scaleF[i];
}

int XelMathImplicitSystem::IsNull(const double* iF) const {
  double s = 0.0;
  for (long i = 0; i < _n - 1; ++i) {
    if (!std::isfinite(iF[i]))
      return 0;
    s += iF[i] * iF[i];
  }
  return std::sqrt(s) <= _epsSol ? 1 : 0;
}

int XelMathImplicitSystem::IsRoot(const double* X, double* oF) {
  Eval(X, oF);
  ScaleGx(oF);
  return IsNull(oF) && IsRootSpecific(X);
}

int XelMathImplicitSystem::IsRootSpecific(const double*) {
  return 1;
}

int XelMathImplicitSystem::EqualPoints(const double* iX1, const double* iX2) const {
  const double r = _tol.GetPointResolution();
  for (long i = 0; i < _n; ++i)
    if (std::fabs(iX1[i] - iX2[i]) > r)
      return 0;
  return 1;
}

double XelMathImplicitSystem::Dot(const double* a, const double* b) const {
  double s = 0.0;
  for (long i = 0; i < _n; ++i)
    s += _metric[i] * _metric[i] * a[i] * b[i];
  return s;
}

double XelMathImplicitSystem::Normalize(const double* iRaw, double iSign, double* oT) const {
  const double raw = Norm(_n, iRaw);
  const double metricNorm = std::sqrt(Dot(iRaw, iRaw));
  if (!(metricNorm > 0.0) || !std::isfinite(metricNorm)) {
    for (long i = 0; i < _n; ++i)
      oT[i] = 0.0;
    return 0.0;
  }
  for (long i = 0; i < _n; ++i)
    oT[i] = iSign * iRaw[i] / metricNorm;
  return raw;
}

// ---- tangents ----

int XelMathImplicitSystem::EvalTangent(const double* X, double* oT) {
  double* F = _work + Scratch5 * _n;
  Eval(X, F, _jacobian);
  ScaleJacobianGX(_jacobian);
  VectorialProduct(_jacobian->GetFullMatrixCoef(), oT);
  for (long i = 0; i < _n; ++i)
    if (!std::isfinite(oT[i]))
      return 0;
  return IsTangentNull(oT, _jacobian) ? 0 : 1;
}

void XelMathImplicitSystem::VectorialProduct(double* ioJ, double* oT) {
  const double* J = ioJ;
  const long n = _n;
  if (n == 2) {
    oT[0] = -J[1];
    oT[1] = J[0];
  } else if (n == 3) {
    const double* a = J;
    const double* b = J + 3;
    oT[0] = a[1] * b[2] - a[2] * b[1];
    oT[1] = a[2] * b[0] - a[0] * b[2];
    oT[2] = a[0] * b[1] - a[1] * b[0];
  } else if (n == 4) {
    // Expansion along the rows: the 2 x 2 minors of rows 1 and 2 are shared.
    const double* a = J;
    const double* b = J + 4;
    const double* c = J + 8;
    double m[4][4];
    for (int p = 0; p < 4; ++p)
      for (int q = 0; q < 4; ++q)
        m[p][q] = b[p] * c[q] - b[q] * c[p];
    // Component i = (-1)^(3+i) det of rows a, b, c without column i.
    const int cols[4][3] = {{1, 2, 3}, {0, 2, 3}, {0, 1, 3}, {0, 1, 2}};
    for (int i = 0; i < 4; ++i) {
      const int p = cols[i][0], q = cols[i][1], r = cols[i][2];
      const double minor = a[p] * m[q][r] - a[q] * m[p][r] + a[r] * m[p][q];
      oT[i] = ((3 + i) % 2 ? -1.0 : 1.0) * minor;
    }
  } else {
    // Component i = (-1)^(N-1+i) times the minor of the rows without column i.
    for (long i = 0; i < n; ++i) {
      ComputeSubMatrix(J, i, *_subMatrix);
      oT[i] = ((n - 1 + i) % 2 ? -1.0 : 1.0) * _subMatrix->Determinant();
    }
  }
}

void XelMathImplicitSystem::ComputeSubMatrix(const double* iJ, const long iColumn,
                                             XelMathNxNFullMatrix& oMinor) const {
  const long n = _n;
  double* m = oMinor.GetFullMatrixCoef();
  for (long r = 0; r < n - 1; ++r) {
    long c = 0;
    for (long j = 0; j < n; ++j)
      if (j != iColumn)
        m[r * (n - 1) + c++] = iJ[r * n + j];
  }
}

int XelMathImplicitSystem::IsTangentNull(const double* iT, const XelMathNxNFullMatrix* iJ) const {
  const double norm = Norm(_n, iT);
  if (!(norm > 0.0))
    return 1;
  // Against the product of the row norms (Hadamard's bound): the rows are dependent.
  const double* J = iJ->GetFullMatrixCoef();
  double product = 1.0;
  for (long i = 0; i < _n - 1; ++i)
    product *= Norm(_n, J + i * _n);
  const double eps = std::sqrt(_tol.GetRelativeEpsilon()) * 1e-2;
  return (norm <= eps * product || norm <= _tol.GetSquaredZero()) ? 1 : 0;
}

int XelMathImplicitSystem::IsSingularPoint(const double* X) {
  Doubles work(2 * _n);
  double* F = work.Get();
  if (!IsRoot(X, F))
    return 0;
  double* T = F + _n;
  if (!EvalTangent(X, T))
    return 1;
  // A tangent small against the scale of the gradients met so far is singular as well.
  const double* J = _jacobian->GetFullMatrixCoef();
  double largest = 0.0;
  for (long i = 0; i < (_n - 1) * _n; ++i)
    largest = std::fmax(largest, std::fabs(J[i]));
  return Norm(_n, T) <= 1e-8 * std::fmax(1.0, std::pow(largest, static_cast<double>(_n - 1)))
             ? 1
             : 0;
}

int XelMathImplicitSystem::FindTangent(const double* X, double* ioT) {
  Doubles work(3 * _n);
  double* raw = work.Get();
  const int ok = EvalTangent(X, raw);
  const double given = Norm(_n, ioT);
  if (ok) {
    double sign = 1.0;
    if (given > 0.0 && Plain(_n, raw, ioT) < 0.0)
      sign = -1.0;
    Normalize(raw, sign, ioT);
    return 1;
  }
  // Singular point: the branch direction closest to the given one.
  double* d1 = raw + _n;
  double* d2 = d1 + _n;
  const int count = EvalSingularTangents(X, d1, d2);
  if (count == 0)
    return 0;
  const double* best = d1;
  if (count == 2 && given > 0.0 && std::fabs(Plain(_n, d2, ioT)) > std::fabs(Plain(_n, d1, ioT)))
    best = d2;
  const double sign = (given > 0.0 && Plain(_n, best, ioT) < 0.0) ? -1.0 : 1.0;
  Normalize(best, sign, ioT);
  return 1;
}

void XelMathImplicitSystem::EvalHessian(const double* X, const long iEquation, double* oH) {
  Doubles work(2 * _n + 2 * _n * _n);
  double* x = work.Get();
  double* f = x + _n;
  double* jp = f + _n;
  double* jm = jp + _n * _n;
  XelMathNxNFullMatrix J(_n);
  J.Reset();
  std::memcpy(x, X, sizeof(double) * _n);
  const double s = _tol.GetScaleFactor();
  for (long k = 0; k < _n; ++k) {
    const double h = XelMathh2 * (s + std::fabs(X[k]));
    x[k] = X[k] + h;
    Eval(x, f, &J);
    std::memcpy(jp, J.GetFullMatrixCoef(), sizeof(double) * _n * _n);
    x[k] = X[k] - h;
    Eval(x, f, &J);
    std::memcpy(jm, J.GetFullMatrixCoef(), sizeof(double) * _n * _n);
    x[k] = X[k];
    for (long j = 0; j < _n; ++j)
      oH[k * _n + j] = (jp[iEquation * _n + j] - jm[iEquation * _n + j]) / (2.0 * h);
  }
  for (long k = 0; k < _n; ++k)
    for (long j = k + 1; j < _n; ++j) {
      const double m = 0.5 * (oH[k * _n + j] + oH[j * _n + k]);
      oH[k * _n + j] = oH[j * _n + k] = m;
    }
}

int XelMathImplicitSystem::SolveQuadraticForm(const double a, const double b, const double c,
                                              const double iEps, double* oD1, double* oD2) {
  const double delta = b * b - a * c;
  const double size = a * a + b * b + c * c;
  auto unit = [](double* d, double u, double v) {
    const double r = std::sqrt(u * u + v * v);
    d[0] = r > 0.0 ? u / r : 1.0;
    d[1] = r > 0.0 ? v / r : 0.0;
  };
  if (a * a + c * c < iEps) {
    unit(oD1, 1.0, 0.0);
    unit(oD2, 0.0, 1.0);
    return 2;
  }
  if (delta < -iEps * size)
    return 0;
  if (std::fabs(delta) <= iEps * size) {
    if (a * a <= c * c)
      unit(oD1, -c, b);
    else
      unit(oD1, b, -a);
    return 1;
  }
  const double r = std::sqrt(delta);
  if (a * a > c * c) {
    unit(oD1, b + r, -a);
    unit(oD2, b - r, -a);
  } else {
    unit(oD1, -c, b + r);
    unit(oD2, -c, b - r);
  }
  return 2;
}

int XelMathImplicitSystem::EvalSingularTangents(const double* X, double* oD1, double* oD2) {
  const long n = _n;
  Doubles work(6 * n * n + 4 * n);
  double* span = work.Get();
  double* nullDirs = span + n * n;
  double* columns = nullDirs + n * n;
  double* left = columns + n * n;
  double* H = left + n * n;
  double* Q = H + n * n;
  double* f = Q + n * n;
  double* u = f + n;
  XelMathNxNFullMatrix J(n);
  J.Reset();
  Eval(X, f, &J);
  const double* Jc = J.GetFullMatrixCoef();
  double jmax = 0.0;
  for (long i = 0; i < (n - 1) * n; ++i)
    jmax = std::fmax(jmax, std::fabs(Jc[i]));
  // Null directions: the complement of the rows; left null vector: the complement of the
  // columns (vectors of N-1 components).
  const double eps = 1e-6;
  const double absolute = 1e-6 * _tol.GetScaleFactor();
  long nbNull = 0;
  if (jmax > 0.0)
    nbNull = Complement(n, n - 1, Jc, eps, absolute, span, nullDirs);
  else {
    nbNull = n;
    for (long i = 0; i < n * n; ++i)
      nullDirs[i] = (i % (n + 1) == 0) ? 1.0 : 0.0;
  }
  if (nbNull < 2)
    return 0;
  long nbLeft = 0;
  if (n - 1 == 1) {
    left[0] = 1.0;
    nbLeft = 1;
  } else {
    for (long j = 0; j < n; ++j)
      for (long i = 0; i < n - 1; ++i)
        columns[j * (n - 1) + i] = Jc[i * n + j];
    nbLeft = Complement(n - 1, n, columns, eps, absolute, span, left);
    if (nbLeft < 1)
      return 0;
  }
  for (long i = 0; i < n * n; ++i)
    Q[i] = 0.0;
  for (long e = 0; e < n - 1; ++e) {
    if (left[e] == 0.0)
      continue;
    EvalHessian(X, e, H);
    for (long i = 0; i < n * n; ++i)
      Q[i] += left[e] * H[i];
  }
  const double* e1 = nullDirs;
  const double* e2 = nullDirs + n;
  auto form = [&](const double* p, const double* q) {
    double s = 0.0;
    for (long i = 0; i < n; ++i)
      for (long j = 0; j < n; ++j)
        s += p[i] * Q[i * n + j] * q[j];
    return s;
  };
  const double a = form(e1, e1), b = form(e1, e2), c = form(e2, e2);
  double uv1[2], uv2[2];
  const int count = SolveQuadraticForm(a, b, c, _tol.GetRelativeEpsilon() * 1e3, uv1, uv2);
  auto direction = [&](const double* uv, double* d) {
    for (long i = 0; i < n; ++i)
      d[i] = uv[0] * e1[i] + uv[1] * e2[i];
    const double r = Norm(n, d);
    for (long i = 0; i < n; ++i)
      d[i] /= r;
  };
  if (count >= 1)
    direction(uv1, oD1);
  if (count == 2)
    direction(uv2, oD2);
  (void)u;
  return count;
}

// ---- Newton correction ----

int XelMathImplicitSystem::SolveOnHyperPlane(double* ioX, const double* iT) {
  const long n = _n;
  double* F = _work + Values * _n;
  double* d = _work + Step * _n;
  double* origin = _work + Scratch4 * _n;
  std::memcpy(origin, ioX, sizeof(double) * n);
  double previous = 0.0;
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    Eval(ioX, F, _jacobian);
    ScaleGx(F);
    ScaleJacobianGX(_jacobian);
    const double residual = Norm(n - 1, F);
    if (!std::isfinite(residual))
      return 0;
    if (IsNull(F) && (it > 0 || residual == 0.0 || residual <= 0.01 * _epsSol))
      return 1;
    if (it >= MonotoneFrom && residual > previous)
      return 0;
    previous = residual;
    double* J = _jacobian->GetFullMatrixCoef();
    double shift = 0.0;
    for (long j = 0; j < n; ++j) {
      J[(n - 1) * n + j] = iT[j];
      shift += iT[j] * (ioX[j] - origin[j]);
    }
    for (long i = 0; i < n - 1; ++i)
      d[i] = -F[i];
    d[n - 1] = -shift;
    if (_jacobian->Solve(d, 1) != 0)
      return 0;
    double size = 0.0;
    for (long j = 0; j < n; ++j) {
      if (!std::isfinite(d[j]))
        return 0;
      ioX[j] += d[j];
      size = std::fmax(size, std::fabs(d[j]));
    }
    if (it > 0 && IsNull(F) && size <= _tol.GetPointResolution()) {
      Eval(ioX, F);
      ScaleGx(F);
      return IsNull(F);
    }
  }
  Eval(ioX, F);
  ScaleGx(F);
  return IsNull(F);
}

int XelMathImplicitSystem::SolveSafeOnHyperPlane(double* ioX, const double* iT) {
  const long n = _n;
  double* F = _work + Values * _n;
  double* d = _work + Step * _n;
  double* origin = _work + Scratch4 * _n;
  double* trial = _work + Scratch3 * _n;
  std::memcpy(origin, ioX, sizeof(double) * n);
  Eval(ioX, F);
  ScaleGx(F);
  double residual = Norm(n - 1, F);
  for (long it = 0; it < XelMaxNewtonIteration && std::isfinite(residual); ++it) {
    if (IsNull(F))
      return 1;
    Eval(ioX, F, _jacobian);
    ScaleGx(F);
    ScaleJacobianGX(_jacobian);
    double* J = _jacobian->GetFullMatrixCoef();
    double shift = 0.0;
    for (long j = 0; j < n; ++j) {
      J[(n - 1) * n + j] = iT[j];
      shift += iT[j] * (ioX[j] - origin[j]);
    }
    for (long i = 0; i < n - 1; ++i)
      d[i] = -F[i];
    d[n - 1] = -shift;
    if (_jacobian->Solve(d, 1) != 0)
      return 0;
    double lambda = 1.0;
    bool better = false;
    for (int halving = 0; halving < 20 && !better; ++halving, lambda *= 0.5) {
      for (long j = 0; j < n; ++j)
        trial[j] = ioX[j] + lambda * d[j];
      Eval(trial, F);
      ScaleGx(F);
      const double r = Norm(n - 1, F);
      if (std::isfinite(r) && r < residual) {
        better = true;
        residual = r;
      }
    }
    if (!better)
      return 0;
    std::memcpy(ioX, trial, sizeof(double) * n);
  }
  return IsNull(F);
}

// ---- singular points ----

int XelMathImplicitSystem::LocateSingularPoint(double* ioX, const double iRadius) {
  const long n = _n;
  Doubles keep(2 * n);
  double* start = keep.Get();
  double* F = start + n;
  std::memcpy(start, ioX, sizeof(double) * n);
  // A system given by the caller first.
  if (_singularSystem && _singularSystem->GetDimension() == n) {
    XelMathIntervalND box(n);
    for (long i = 0; i < n; ++i) {
      box.SetMin(i, ioX[i] - iRadius);
      box.SetMax(i, ioX[i] + iRadius);
    }
    XelMathSetOfPointsND found(n);
    if (_singularSystem->Solve(box, found, nullptr) == XelMathStatus::Done &&
        found.GetNumberOfPoints() > 0) {
      long best = 0;
      double bestDistance = 0.0;
      Doubles p(n);
      for (long k = 0; k < found.GetNumberOfPoints(); ++k) {
        found.GetPoint(k, p.Get());
        const double dist = XelSquareDistanceND(n, p.Get(), start);
        if (k == 0 || dist < bestDistance) {
          best = k;
          bestDistance = dist;
        }
      }
      found.GetPoint(best, ioX);
      if (IsRoot(ioX, F))
        return 1;
      std::memcpy(ioX, start, sizeof(double) * n);
    }
  }
  // Gauss-Newton on the 2N-1 equations F = 0 and raw tangent = 0 (normal equations).
  Doubles work(5 * n + (2 * n - 1) * (n + 1));
  double* r = work.Get();           // 2N-1 residuals
  double* A = r + (2 * n - 1);      // (2N-1) x N
  double* g = A + (2 * n - 1) * n;  // N
  double* t = g + n;                // N
  double* xh = t + n;               // N
  double* tp = xh + n;              // N
  double* tm = tp + n;              // N
  (void)tm;
  XelMathNxNFullMatrix normal(n);
  const double s = _tol.GetScaleFactor();
  double previous = -1.0;
  for (long it = 0; it < XelMaxNewtonIteration; ++it) {
    Eval(ioX, r, _jacobian);
    ScaleGx(r);
    ScaleJacobianGX(_jacobian);
    const double* J = _jacobian->GetFullMatrixCoef();
    for (long i = 0; i < n - 1; ++i)
      for (long j = 0; j < n; ++j)
        A[i * n + j] = J[i * n + j];
    EvalTangent(ioX, t);
    for (long i = 0; i < n; ++i)
      r[n - 1 + i] = t[i];
    const double size = Norm(2 * n - 1, r);
    if (!std::isfinite(size))
      break;
    if (previous >= 0.0 && size > previous && it > MonotoneFrom)
      break;
    previous = size;
    // Derivatives of the tangent by centred differences.
    std::memcpy(xh, ioX, sizeof(double) * n);
    for (long j = 0; j < n; ++j) {
      const double h = XelMathh2 * (s + std::fabs(ioX[j])) * 1e-1;
      xh[j] = ioX[j] + h;
      EvalTangent(xh, tp);
      xh[j] = ioX[j] - h;
      EvalTangent(xh, t);
      xh[j] = ioX[j];
      for (long i = 0; i < n; ++i)
        A[(n - 1 + i) * n + j] = (tp[i] - t[i]) / (2.0 * h);
    }
    double* M = normal.GetFullMatrixCoef();
    for (long p = 0; p < n; ++p) {
      g[p] = 0.0;
      for (long k = 0; k < 2 * n - 1; ++k)
        g[p] -= A[k * n + p] * r[k];
      for (long q = 0; q < n; ++q) {
        double sum = 0.0;
        for (long k = 0; k < 2 * n - 1; ++k)
          sum += A[k * n + p] * A[k * n + q];
        M[p * n + q] = sum;
      }
    }
    if (normal.Solve(g, 1) != 0)
      break;
    double move = 0.0;
    for (long j = 0; j < n; ++j) {
      ioX[j] += g[j];
      move = std::fmax(move, std::fabs(g[j]));
    }
    if (XelSquareDistanceND(n, ioX, start) > 4.0 * iRadius * iRadius)
      break;
    if (move <= _tol.GetPointResolution())
      break;
  }
  if (XelSquareDistanceND(n, ioX, start) <= 4.0 * iRadius * iRadius && IsRoot(ioX, F) &&
      IsSingularPoint(ioX))
    return 1;
  std::memcpy(ioX, start, sizeof(double) * n);
  return 0;
}

int XelMathImplicitSystem::SolveOnBifurcation(const double* iXs, const double* iD,
                                              const double iStep, double* oX, double* oT) {
  const long n = _n;
  double step = iStep;
  for (int attempt = 0; attempt < 8; ++attempt, step *= 0.5) {
    for (long i = 0; i < n; ++i)
      oX[i] = iXs[i] + step * iD[i];
    if (!SolveOnHyperPlane(oX, iD)) {
      for (long i = 0; i < n; ++i)
        oX[i] = iXs[i] + step * iD[i];
      if (!SolveSafeOnHyperPlane(oX, iD))
        continue;
    }
    // The point must lie ahead along iD, on the branch and not back on the singular point:
    // about one step away (the hyperplane may also cut far parts of the curve).
    double along = 0.0;
    for (long i = 0; i < n; ++i)
      along += (oX[i] - iXs[i]) * iD[i];
    if (along < 0.5 * step || XelSquareDistanceND(n, oX, iXs) > 4.0 * step * step)
      continue;
    for (long i = 0; i < n; ++i)
      oT[i] = iD[i];
    if (FindTangent(oX, oT) && Plain(n, oT, iD) > 0.5 * Norm(n, oT))
      return 1;
  }
  return 0;
}

int XelMathImplicitSystem::ContinueThroughCusp(const double* iX, const double* iXs,
                                               const double* iD, double* oX, double* oT) {
  const long n = _n;
  XelMathScratchDoubles<64> work(2 * n);
  double* side = work.Data(); // the incoming point's offset from the tangent line
  double* guess = side + n;
  double along = 0.0, offset = 0.0;
  for (long i = 0; i < n; ++i)
    along += (iX[i] - iXs[i]) * iD[i];
  for (long i = 0; i < n; ++i) {
    side[i] = iX[i] - iXs[i] - along * iD[i];
    offset += side[i] * side[i];
    guess[i] = iXs[i] + along * iD[i] - side[i];
    oX[i] = guess[i];
  }
  if (!(along < 0.0) || !(offset > 0.0))
    return 0;
  if (!SolveOnHyperPlane(oX, iD)) {
    std::memcpy(oX, guess, sizeof(double) * n);
    if (!SolveSafeOnHyperPlane(oX, iD))
      return 0;
  }
  // On the other side of the line, about as far from the cusp as iX, leaving it.
  const double reach = std::sqrt(XelSquareDistanceND(n, iX, iXs));
  double across = 0.0;
  for (long i = 0; i < n; ++i)
    across += (oX[i] - iXs[i]) * side[i];
  if (across >= 0.0 || XelSquareDistanceND(n, oX, iXs) > 4.0 * reach * reach)
    return 0;
  for (long i = 0; i < n; ++i)
    oT[i] = oX[i] - iXs[i];
  return FindTangent(oX, oT);
}

int XelMathImplicitSystem::ManageSingularity(const double* iX, const double* iT, double* ioXnew,
                                             double* ioTnew, double* oXs) {
  const long n = _n;
  const double chord = std::sqrt(XelSquareDistanceND(n, iX, ioXnew));
  const double radius = std::fmax(chord, 10.0 * _tol.GetPointResolution());
  // Candidates: the middle of the chord, then its ends.
  for (int candidate = 0; candidate < 3; ++candidate) {
    for (long i = 0; i < n; ++i) {
      const double w = candidate == 0 ? 0.5 : (candidate == 1 ? 1.0 : 0.0);
      oXs[i] = (1.0 - w) * iX[i] + w * ioXnew[i];
    }
    if (!LocateSingularPoint(oXs, radius))
      continue;
    // Continuation along the branch direction closest to the incoming tangent.
    Doubles directions(3 * n);
    double* d1 = directions.Get();
    double* d2 = d1 + n;
    const int count = EvalSingularTangents(oXs, d1, d2);
    if (count == 0)
      return 1; // an isolated point: the march ends there
    double* d = d1;
    if (count == 2 && std::fabs(Plain(n, d2, iT)) > std::fabs(Plain(n, d1, iT)))
      d = d2;
    if (Plain(n, d, iT) < 0.0)
      for (long i = 0; i < n; ++i)
        d[i] = -d[i];
    double* direction = d2 + n;
    std::memcpy(direction, d, sizeof(double) * n);
    const double step = std::fmax(0.5 * chord, std::fmin(_globalMaxStep, 50.0 * _minStep));
    Doubles beyond(2 * n);
    std::memcpy(beyond.Get(), ioXnew, sizeof(double) * n);
    std::memcpy(beyond.Get() + n, ioTnew, sizeof(double) * n);
    if (SolveOnBifurcation(oXs, direction, step, ioXnew, ioTnew))
      return 1;
    // No branch straight on: a cusp, whose other branch leaves backwards on the other side of
    // the tangent line. Its point on the hyperplane of the incoming point iX, from the mirror
    // image of iX across that line.
    if (ContinueThroughCusp(iX, oXs, direction, ioXnew, ioTnew))
      return 1;
    // Otherwise the corrected point past the singular point is the continuation when it lies
    // on the curve away from it, within a step.
    std::memcpy(ioXnew, beyond.Get(), sizeof(double) * n);
    std::memcpy(ioTnew, beyond.Get() + n, sizeof(double) * n);
    Doubles f(n);
    const double reach = std::sqrt(XelSquareDistanceND(n, ioXnew, oXs));
    if (reach > 10.0 * _tol.GetPointResolution() && reach <= 2.0 * std::fmax(chord, step) &&
        IsRoot(ioXnew, f.Get()) && FindTangent(ioXnew, ioTnew)) {
      double away = 0.0;
      for (long i = 0; i < n; ++i)
        away += (ioXnew[i] - oXs[i]) * ioTnew[i];
      if (away < 0.0)
        for (long i = 0; i < n; ++i)
          ioTnew[i] = -ioTnew[i];
      return 1;
    }
    for (long i = 0; i < n; ++i)
      ioTnew[i] = 0.0;
    return 1;
  }
  return 0;
}

int XelMathImplicitSystem::ExpandDomain(XelMathIntervalND& ioDomain) const {
  const double r = _tol.GetPointResolution();
  for (long i = 0; i < _n; ++i) {
    ioDomain.SetMin(i, ioDomain.GetMin(i) - r);
    ioDomain.SetMax(i, ioDomain.GetMax(i) + r);
  }
  return 1;
}

void XelMathImplicitSystem::ReleaseSolutions(long& ioNbSol, XelMathSetOfPointsND**& ioResults) {
  if (ioResults) {
    for (long i = 0; i < ioNbSol; ++i)
      delete ioResults[i];
    XelQuorArrayPtrsDel(reinterpret_cast<void**>(ioResults), ioNbSol);
  }
  ioResults = nullptr;
  ioNbSol = 0;
}
