// XelMathSystem: all solutions of N equations in N unknowns in a box by grid exclusion,
// subdivision and safeguarded Newton iterations (see the header for the outline).
//
// Every evaluation of the search goes through the S* members, which work in the solving
// units: with a scale option each variable is divided by its scale factor and each equation
// multiplied by its own, and the solutions are brought back at the end of Solve.
#include "XelMathSystem.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrPointerValue.h"
#include "XelMathConstants.h"
#include "XelMathDifferencesXY.h"
#include "XelMathGlobals.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystemTools.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathSystemSearch;

// ---- free function --------------------------------------------------------------------------

void RFillLocalHyperCube(const long iN, const long iK, const long iStride, const long* iCounts,
                         const double* iValues, const double* iGradients, double* oCorner,
                         double* oCornerGradients) {
  if (iK < 0) {
    *oCorner = *iValues;
    if (iGradients && oCornerGradients)
      std::memcpy(oCornerGradients, iGradients, sizeof(double) * iN);
    return;
  }
  // Dimension iK is bit N - 1 - iK of the corner index.
  const long bit = 1L << (iN - 1 - iK);
  for (long b = 0; b < 2; ++b)
    RFillLocalHyperCube(iN, iK - 1, iStride * iCounts[iK], iCounts, iValues + b * iStride,
                        iGradients ? iGradients + b * iStride * iN : nullptr, oCorner + b * bit,
                        oCornerGradients ? oCornerGradients + b * bit * iN : nullptr);
}

// ---- construction -----------------------------------------------------------------------------

namespace {
long CheckedDimension(const long iDimension) {
  // An N x N matrix must be storable: N * N is formed only below that bound.
  if (iDimension < 1 || iDimension > XelQuorMaxArrayDoubles / iDimension)
    XelMathRaise(XelErrorCode::InvalidOption, "the dimension of the XelMathSystem",
                 "Dimension not valid", "XelMathSystem::XelMathSystem");
  return iDimension;
}
} // namespace

XelMathSystem::XelMathSystem(const long iDimension, const XelTolerance& iTol,
                             const XelMathAttrList* iAttributes)
    : _dimension(CheckedDimension(iDimension)), _cornerCount(0), _domain(nullptr),
      _solutions(nullptr), _jacobian(nullptr), _work1(nullptr), _work2(nullptr), _counts(nullptr),
      _cornerValues(nullptr), _cornerJacobians(nullptr), _suspectWidth(0.0), _singularLevel(4),
      _depth(0), _callCount(0), _easySolver(0), _verySuspectCoeffs(nullptr),
      _scaleFactorsX(nullptr), _scaleFactorsF(nullptr), _isScaled(0), _scaleOption(1, 1),
      _scaleOptionSet(0), _tolerance(iTol), _interSol(nullptr), _work(0), _maxWork(MaxWork),
      _evaluations(0), _maxEvaluations(MaxEvaluations), _cellBox(nullptr), _cellValues(nullptr),
      _cellJacobians(nullptr), _parentBox(nullptr), _parentValues(nullptr),
      _parentJacobians(nullptr), _hullData(nullptr), _hullCorners(nullptr), _hullCentre(nullptr),
      _hullState(0), _hullMagnitude(0), _hullAffine(0), _halfBlocks(nullptr), _halfBlockCount(0),
      _halfBlockTop(0), _easySet(0), _quadraticHessian(nullptr), _quadratic(-1),
      _wholeSystemSampling(0) {
  ReadTolerance();
  _relativeEpsSol = _relEps;
  _epsSol = _relativeEpsSol * _absRes;
  ApplyScaleAttribute(iAttributes);
}

XelMathSystem::~XelMathSystem() {
  ReleaseFillArrays();
  if (_verySuspectCoeffs)
    XelQuorArrayDoubleDel(_verySuspectCoeffs, _dimension);
  if (_scaleFactorsX)
    XelQuorArrayDoubleDel(_scaleFactorsX, _dimension);
  if (_scaleFactorsF)
    XelQuorArrayDoubleDel(_scaleFactorsF, _dimension);
  if (_interSol)
    XelQuorArrayDoubleDel(_interSol, _dimension + 1);
  if (_hullData)
    XelQuorArrayDoubleDel(_hullData, 4 * _dimension * _dimension);
  if (_quadraticHessian)
    XelQuorArrayDoubleDel(_quadraticHessian, QuadraticDataSize(_dimension));
}

void XelMathSystem::ReadTolerance() {
  _absRes = _tolerance.GetAbsoluteResolution();
  _sqLengthRes = _tolerance.GetSquareLengthResolution();
  _paramRes = _tolerance.GetParametricResolution();
  _relEps = _tolerance.GetRelativeEpsilon();
  // A tolerance read as 0 must not give null difference steps.
  const double unit = _absRes > 0.0 && Finite(_absRes) ? _absRes : 1.0;
  _h1 = unit * XelMathh1;
  _h2 = unit * XelMathh2;
}

long XelMathSystem::GetDynamicMemoryBytes() const {
  const long n = _dimension;
  long bytes = _scaleOption.GetDynamicMemoryBytes();
  if (_verySuspectCoeffs)
    bytes += long(sizeof(double)) * n;
  if (_scaleFactorsX)
    bytes += long(sizeof(double)) * n;
  if (_scaleFactorsF)
    bytes += long(sizeof(double)) * n;
  if (_interSol)
    bytes += long(sizeof(double)) * (n + 1);
  if (_hullData)
    bytes += long(sizeof(double)) * 4 * n * n;
  if (_quadraticHessian)
    bytes += long(sizeof(double)) * QuadraticDataSize(n);
  if (_counts)
    bytes += long(sizeof(long)) * n;
  if (_cornerValues)
    bytes += long(sizeof(double)) * _cornerCount;
  if (_cornerJacobians)
    bytes += long(sizeof(double)) * _cornerCount * n * n;
  if (_halfBlocks) {
    bytes += long(sizeof(double*)) * _halfBlockCount;
    for (long b = 0; b < _halfBlockCount; ++b)
      if (_halfBlocks[b])
        bytes += long(sizeof(double)) * HalfBlockSize();
  }
  for (const XelMathNxNFullMatrix* m : {_jacobian, _work1, _work2})
    if (m)
      bytes += m->GetStaticMemoryBytes() + m->GetDynamicMemoryBytes();
  return bytes;
}

long XelMathSystem::GetStaticMemoryBytes() const {
  return sizeof(XelMathSystem);
}

int XelMathSystem::ApplyScaleAttribute(const XelMathAttrList* iAttributes) {
  if (!iAttributes || _absRes == 1.0)
    return 0;
  const XelMathAttrScaleOption* option = dynamic_cast<const XelMathAttrScaleOption*>(
      iAttributes->GetAttribute("XelMathAttrScaleOption"));
  if (!option)
    return 0;
  SetScaleOption(*option);
  return 1;
}

// ---- options ----------------------------------------------------------------------------------

void XelMathSystem::SetScaleOption(const XelMathAttrScaleOption& iOption) {
  long nbF = 0, nbX = 0;
  const long* powersF = iOption.GetPowerScaleF(nbF);
  const long* powersX = iOption.GetPowerScaleX(nbX);
  if (nbF != _dimension || nbX != _dimension || !powersF || !powersX)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                 "XelMathSystem::SetScaleOption");
  int scaled = 0;
  for (long k = 0; k < _dimension; ++k)
    if (powersF[k] != 1 || powersX[k] != 1)
      scaled = 1;
  const double e = _absRes;
  if (scaled) {
    for (long k = 0; k < _dimension; ++k) {
      const double x = std::pow(e, double(powersX[k]) - 1.0);
      const double f = std::pow(e, 1.0 - double(powersF[k]));
      if (!Finite(x) || !Finite(f) || x == 0.0 || f == 0.0)
        XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption",
                     "scale factor out of range", "XelMathSystem::SetScaleOption");
    }
    if (!_scaleFactorsX)
      _scaleFactorsX = XelQuorArrayDoubleNew(_dimension);
    if (!_scaleFactorsF)
      _scaleFactorsF = XelQuorArrayDoubleNew(_dimension);
    for (long k = 0; k < _dimension; ++k) {
      _scaleFactorsX[k] = std::pow(e, double(powersX[k]) - 1.0);
      _scaleFactorsF[k] = std::pow(e, 1.0 - double(powersF[k]));
    }
  }
  _scaleOption = iOption;
  _scaleOptionSet = 1;
  _isScaled = scaled;
}

void XelMathSystem::SetRelativeEpsSol(const double iRelative) {
  if (!(iRelative >= 0.0) || !std::isfinite(iRelative))
    XelMathRaise(XelErrorCode::InvalidOption, "the solution threshold",
                 "negative, infinite or NaN", "XelMathSystem::SetRelativeEpsSol");
  _relativeEpsSol = iRelative;
  _epsSol = iRelative * _absRes;
}

void XelMathSystem::SetVerySuspectCoeffs(const double* iCoeffs) {
  if (!iCoeffs)
    return;
  if (!_verySuspectCoeffs)
    _verySuspectCoeffs = XelQuorArrayDoubleNew(_dimension);
  std::memcpy(_verySuspectCoeffs, iCoeffs, sizeof(double) * _dimension);
}

void XelMathSystem::SetEasySolver() {
  if (_easySet)
    return;
  _easySet = 1;
  _singularLevel = 2;
  _suspectWidth = _domain ? 0.06125 * MaxWidth(*_domain) : _suspectWidth;
  _easySolver = 1;
  if (!_verySuspectCoeffs)
    _verySuspectCoeffs = XelQuorArrayDoubleNew(_dimension);
  const double c = _XelRollback_SolverPerfo ? 0.06 : 0.0;
  for (long k = 0; k < _dimension; ++k)
    _verySuspectCoeffs[k] = c;
}

int XelMathSystem::IsEasySolverOn() const {
  return _easySolver;
}

void XelMathSystem::SetInterSol(const double* iPoint, const double iFlatness) {
  if (!_interSol)
    _interSol = XelQuorArrayDoubleNew(_dimension + 1);
  for (long k = 0; k < _dimension; ++k)
    _interSol[k] = iPoint ? iPoint[k] : 0.0;
  _interSol[_dimension] = iFlatness;
}

double XelMathSystem::InterSol_GetFlatness() const {
  return _interSol ? _interSol[_dimension] : 0.0;
}

// ---- default evaluations ----------------------------------------------------------------------

namespace {
void CheckIndex(const long i, const long n, const char* iWhere) {
  if (i < 0 || i >= n)
    XelMathRaise(XelErrorCode::WrongIndex, "the index of the equation or variable", "Wrong Index",
                 iWhere);
}
} // namespace

void XelMathSystem::EvalJacobian(const double* x, double* oJ) const {
  const long n = _dimension;
  XelMathScratchDoubles<24> work(3 * n);
  double* xp = work.Data();
  double* fp = xp + n;
  double* fm = fp + n;
  std::memcpy(xp, x, sizeof(double) * n);
  for (long j = 0; j < n; ++j) {
    const double h = XelMathDifferencesXY::StepAt(_h1, x[j]);
    xp[j] = x[j] + h;
    Eval(xp, fp);
    xp[j] = x[j] - h;
    Eval(xp, fm);
    xp[j] = x[j];
    for (long i = 0; i < n; ++i)
      oJ[i * n + j] = (fp[i] - fm[i]) / (2.0 * h);
  }
}

void XelMathSystem::Eval(const double* x, double* oF, double* oJ) const {
  Eval(x, oF);
  EvalJacobian(x, oJ);
}

double XelMathSystem::EvalEquation(const long i, const double* x) const {
  CheckIndex(i, _dimension, "XelMathSystem::EvalEquation");
  XelMathScratchDoubles<8> f(_dimension);
  Eval(x, f.Data());
  return f[i];
}

void XelMathSystem::EvalFirstDerivEquation(const long i, const double* x, double* oGradient) const {
  CheckIndex(i, _dimension, "XelMathSystem::EvalFirstDerivEquation");
  XelMathScratchDoubles<64> jac(_dimension * _dimension);
  EvalJacobian(x, jac.Data());
  std::memcpy(oGradient, jac.Data() + i * _dimension, sizeof(double) * _dimension);
}

double XelMathSystem::EvalFirstDerivEquation(const long i, const long j, const double* x) const {
  CheckIndex(j, _dimension, "XelMathSystem::EvalFirstDerivEquation");
  XelMathScratchDoubles<8> g(_dimension);
  EvalFirstDerivEquation(i, x, g.Data());
  return g[j];
}

double XelMathSystem::EvalSecondDerivEquation(const long i, const long j, const long k,
                                              const double* x) const {
  CheckIndex(k, _dimension, "XelMathSystem::EvalSecondDerivEquation");
  XelMathScratchDoubles<8> xp(_dimension);
  std::memcpy(xp.Data(), x, sizeof(double) * _dimension);
  const double h = XelMathDifferencesXY::StepAt(_h2, x[k]);
  xp[k] = x[k] + h;
  const double p = EvalFirstDerivEquation(i, j, xp.Data());
  xp[k] = x[k] - h;
  const double m = EvalFirstDerivEquation(i, j, xp.Data());
  return (p - m) / (2.0 * h);
}

void XelMathSystem::EvalEquation(const long i, const double* x, double& oValue,
                                 double* oGradient) const {
  oValue = EvalEquation(i, x);
  EvalFirstDerivEquation(i, x, oGradient);
}

namespace {
/// Calls iVisit(x, m) at every node m of the grid (last dimension fastest).
template <class Visit>
void ForEachNode(const XelMathIntervalND& iBox, const long* iCounts, const long n, Visit iVisit) {
  const long nodes = GridNodes(n, iCounts, n + 1, 1);
  if (nodes < 0 || iBox.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the grid of the box",
                 "Invalid Number Of Points", "XelMathSystem::EvalEquation");
  XelMathScratchDoubles<8> work(n);
  double* x = work.Data();
  long local[32];
  long* idx = n <= 32 ? local : static_cast<long*>(xelquornew(sizeof(long) * n));
  auto release = XelMathMakeOnExit([&] {
    if (idx != local)
      xelquordel(idx, sizeof(long) * n);
  });
  for (long k = 0; k < n; ++k) {
    idx[k] = 0;
    x[k] = iBox.GetMin(k);
  }
  for (long m = 0; m < nodes; ++m) {
    iVisit(x, m);
    for (long k = n - 1; k >= 0; --k) {
      if (++idx[k] < iCounts[k]) {
        x[k] = XelMathGridCoordinate(iBox.GetMin(k), iBox.GetMax(k), idx[k], iCounts[k]);
        break;
      }
      idx[k] = 0;
      x[k] = iBox.GetMin(k);
    }
  }
}
} // namespace

void XelMathSystem::EvalEquation(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                                 double* oValues, double* oGradients) const {
  CheckIndex(i, _dimension, "XelMathSystem::EvalEquation");
  const long n = _dimension;
  ForEachNode(iBox, iCounts, n, [&](const double* x, const long m) {
    if (oGradients)
      EvalEquation(i, x, oValues[m], oGradients + m * n);
    else
      oValues[m] = EvalEquation(i, x);
  });
}

void XelMathSystem::EvalEquation(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                                 double* oValues) const {
  EvalEquation(i, iBox, iCounts, oValues, nullptr);
}

int XelMathSystem::EvalJacobianImage(const XelMathIntervalND&, double*, double*) const {
  return 0;
}

int XelMathSystem::EvalEquationImage(const long, const XelMathIntervalND&, double&,
                                     double&) const {
  return 0;
}

int XelMathSystem::EvalEquationRange(const long i, const XelMathIntervalND& iCell, double& oLow,
                                     double& oHigh) const {
  return EvalEquationImage(i, iCell, oLow, oHigh);
}

int XelMathSystem::TryMarching(const XelMathIntervalND&, const double*) {
  return 0;
}

int XelMathSystem::FindRootNearSingularity(const XelMathIntervalND&, const double*) {
  return 0;
}

// ---- evaluation in the solving units ----------------------------------------------------------

void XelMathSystem::SEval(const double* x, double* oF) const {
  ++_evaluations;
  if (!_isScaled) {
    Eval(x, oF);
    return;
  }
  XelMathScratchDoubles<8> X(_dimension);
  for (long k = 0; k < _dimension; ++k)
    X[k] = x[k] * _scaleFactorsX[k];
  Eval(X.Data(), oF);
  for (long k = 0; k < _dimension; ++k)
    oF[k] *= _scaleFactorsF[k];
}

void XelMathSystem::SEval(const double* x, double* oF, double* oJ) const {
  const long n = _dimension;
  ++_evaluations;
  if (!_isScaled) {
    Eval(x, oF, oJ);
    return;
  }
  XelMathScratchDoubles<8> X(n);
  for (long k = 0; k < n; ++k)
    X[k] = x[k] * _scaleFactorsX[k];
  Eval(X.Data(), oF, oJ);
  for (long i = 0; i < n; ++i) {
    oF[i] *= _scaleFactorsF[i];
    for (long j = 0; j < n; ++j)
      oJ[i * n + j] *= _scaleFactorsF[i] * _scaleFactorsX[j];
  }
}

void XelMathSystem::SGrid(const long i, const XelMathIntervalND& iBox, const long* iCounts,
                          double* oValues, double* oGradients) const {
  const long n = _dimension;
  _evaluations += GridNodes(n, iCounts, n + 1, 1);
  auto grid = [&](const XelMathIntervalND& iGrid) {
    if (oGradients)
      EvalEquation(i, iGrid, iCounts, oValues, oGradients);
    else
      EvalEquation(i, iGrid, iCounts, oValues);
  };
  if (!_isScaled) {
    grid(iBox);
    return;
  }
  XelMathIntervalND box(n);
  for (long k = 0; k < n; ++k) {
    box.SetMin(k, iBox.GetMin(k) * _scaleFactorsX[k]);
    box.SetMax(k, iBox.GetMax(k) * _scaleFactorsX[k]);
  }
  grid(box);
  const long nodes = GridNodes(n, iCounts, n + 1, 1);
  const double sf = _scaleFactorsF[i];
  for (long m = 0; m < nodes; ++m) {
    oValues[m] *= sf;
    if (oGradients)
      for (long j = 0; j < n; ++j)
        oGradients[m * n + j] *= sf * _scaleFactorsX[j];
  }
}

double XelMathSystem::Residual2(const double* x) const {
  XelMathScratchDoubles<8> f(_dimension);
  SEval(x, f.Data());
  double s = 0.0;
  for (long k = 0; k < _dimension; ++k)
    s += f[k] * f[k];
  return Finite(s) ? s : XelMathInfinite;
}

double XelMathSystem::EvalForDoubleRoot(const double* x, double* oF, double* oJ, double* oGradient,
                                        double* oHessian) const {
  const long n = _dimension;
  SEval(x, oF, oJ);
  double phi = 0.0;
  for (long i = 0; i < n; ++i)
    phi += 0.5 * oF[i] * oF[i];
  for (long j = 0; j < n; ++j) {
    double g = 0.0;
    for (long i = 0; i < n; ++i)
      g += oJ[i * n + j] * oF[i];
    oGradient[j] = g;
    for (long k = 0; k <= j; ++k) {
      double h = 0.0;
      for (long i = 0; i < n; ++i)
        h += oJ[i * n + j] * oJ[i * n + k];
      oHessian[j * n + k] = oHessian[k * n + j] = h;
    }
  }
  return phi;
}

// ---- root tests -------------------------------------------------------------------------------

namespace {
// sqrt(1 + sum v_k^2) without overflow.
double NormPlusOne(const double* v, const long n) {
  double big = 1.0;
  for (long k = 0; k < n; ++k)
    big = std::max(big, std::fabs(v[k]));
  if (!Finite(big))
    return big;
  double sum = 1.0 / big / big;
  for (long k = 0; k < n; ++k)
    sum += (v[k] / big) * (v[k] / big);
  return big * std::sqrt(sum);
}

// Every |f_i| within eps times the size of x and of the row i of J.
bool EachWithin(const double* x, const double* iF, const double* iJ, const long n,
                const double iEps) {
  const double sizeX = NormPlusOne(x, n);
  for (long i = 0; i < n; ++i) {
    const double row = iJ ? NormPlusOne(iJ + i * n, n) : 1.0;
    if (!(std::fabs(iF[i]) <= iEps * sizeX * row))
      return false;
  }
  return true;
}
} // namespace

int XelMathSystem::IsRoot(const double* x, const double* iF, double& oNorm,
                          const double* iJ) const {
  oNorm = 0.0;
  for (long k = 0; k < _dimension; ++k)
    oNorm += iF[k] * iF[k];
  // (Values near the largest doubles overflow their squares: each is read on its own.)
  if (!AllFinite(iF, _dimension))
    return 0;
  return EachWithin(x, iF, iJ, _dimension, _epsSol) ? 1 : 0;
}

int XelMathSystem::IsNull(const double* x, const double* iF, double& oNorm,
                          const double* iJ) const {
  oNorm = 0.0;
  for (long k = 0; k < _dimension; ++k)
    oNorm += iF[k] * iF[k];
  if (!AllFinite(iF, _dimension))
    return 0;
  return EachWithin(x, iF, iJ, _dimension, std::max(_epsSol, _paramRes * _absRes)) ? 1 : 0;
}

// ---- Solve ------------------------------------------------------------------------------------

void XelMathSystem::ComputeScaledDomain(const XelMathIntervalND& iDomain,
                                        XelMathIntervalND& oScaled) const {
  oScaled = iDomain;
  if (!_isScaled)
    return;
  for (long k = 0; k < _dimension; ++k) {
    oScaled.SetMin(k, iDomain.GetMin(k) / _scaleFactorsX[k]);
    oScaled.SetMax(k, iDomain.GetMax(k) / _scaleFactorsX[k]);
  }
}

namespace {
[[noreturn]] void RaiseSampling(const char* iWhere) {
  XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "SamplingPoints", "Invalid Number Of Points",
               iWhere);
}

/// The per-dimension counts of "SamplingPoints" (N longs behind a pointer attribute, or one
/// integer for all dimensions), by default iDefault.
void ReadSampling(const XelMathAttrList* iAttributes, const long iN, const long iDefault,
                  long* oCounts) {
  for (long k = 0; k < iN; ++k)
    oCounts[k] = iDefault;
  if (!iAttributes)
    return;
  const XelMathAttribute* attr = iAttributes->GetAttribute(AttrSystemSamplingPoints);
  if (const XelMathAttrPointerValue* p = dynamic_cast<const XelMathAttrPointerValue*>(attr)) {
    const long* counts = static_cast<const long*>(p->GetValue());
    if (!counts)
      RaiseSampling("XelMathSystem::Solve");
    for (long k = 0; k < iN; ++k)
      oCounts[k] = counts[k];
  } else if (const XelMathAttrIntegerValue* v =
                 dynamic_cast<const XelMathAttrIntegerValue*>(attr)) {
    for (long k = 0; k < iN; ++k)
      oCounts[k] = v->GetValue();
  }
}
} // namespace

int XelMathSystem::Solve(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oSolutions,
                         const XelMathAttrList* iAttributes) {
  const long n = _dimension;
  ReadTolerance();
  _epsSol = _relativeEpsSol * _absRes;
  ApplyScaleAttribute(iAttributes);
  if (iDomain.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathIntervalND", "N", "XelMathSystem::Solve");
  XelMathIntervalND scaled(n);
  ComputeScaledDomain(iDomain, scaled);
  for (long k = 0; k < n; ++k)
    if (!(scaled.GetMin(k) < scaled.GetMax(k)) ||
        !(std::fabs(scaled.GetMin(k)) <= MaxDomainBound) ||
        !(std::fabs(scaled.GetMax(k)) <= MaxDomainBound))
      return XelMathStatus::Refused;
  if (oSolutions.GetDimension() != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "N",
                 "XelMathSystem::Solve");
  if (n > MaxSolveDimension)
    XelMathRaise(XelErrorCode::InvalidOption, "the dimension of the XelMathSystem",
                 "Dimension not valid", "XelMathSystem::Solve");
  _wholeSystemSampling =
      iAttributes && iAttributes->GetAttribute(AttrSystemWholeSystemSampling) ? 1 : 0;
  // Without a grid of the caller's, the grid of equation 0 with 6 nodes a side would hold
  // millions of nodes above 7 unknowns (6^13 could not even be stored): the whole system is
  // sampled on the coarser default grid instead.
  if (n > MaxWrittenGridDimension &&
      !(iAttributes && iAttributes->GetAttribute(AttrSystemSamplingPoints)))
    _wholeSystemSampling = 1;
  long counts[MaxSolveDimension];
  ReadSampling(iAttributes, n, _wholeSystemSampling ? DefaultSamplingFor(n) : DefaultSampling,
               counts);
  if (GridNodes(n, counts, n + 1, 2) < 0)
    RaiseSampling("XelMathSystem::Solve");

  oSolutions.Reset();
  _solutions = &oSolutions;
  _quadratic = -1;
  _domain = &scaled;
  _cornerCount = 1L << n;
  std::unique_ptr<XelMathNxNFullMatrix> jacobian(new XelMathNxNFullMatrix(n));
  _jacobian = jacobian.get();
  auto reset = XelMathMakeOnExit([this] {
    _solutions = nullptr;
    _quadratic = -1;
    _domain = nullptr;
    _jacobian = nullptr;
    _depth = 0;
    _wholeSystemSampling = 0;
    _cellBox = _parentBox = nullptr;
    _cellValues = _cellJacobians = _parentValues = _parentJacobians = nullptr;
  });
  _easySolver = 0;
  _easySet = 0;
  _singularLevel = 4;
  _suspectWidth = 0.005 * MaxWidth(scaled);
  _depth = 0;
  _callCount = 0;
  _work = 0;
  _evaluations = 0;
  // A grid of the caller's is sampled whatever its size.
  _maxEvaluations = MaxEvaluations + 2 * GridNodes(n, counts, n + 1, 2);
  // The budget is that of the written grid at least: a coarser first grid leaves more of
  // the search to the halving of cells, not less of it.
  long budgetCounts[MaxSolveDimension];
  for (long k = 0; k < n; ++k)
    budgetCounts[k] = std::max(counts[k], DefaultSampling);
  _maxWork = WorkBudget(n, budgetCounts);
  if (iAttributes && iAttributes->GetAttribute(AttrSystemNoSingularityTreatment))
    _singularLevel = 0;
  if (iAttributes && iAttributes->GetAttribute(AttrSystemEasySolver))
    SetEasySolver();

  const int status = FSolve(scaled, counts);
  // Cells refused by the budget: the box was not searched completely.
  const bool cut = _work > _maxWork;

  jacobian.reset();
  _jacobian = nullptr;
  if (status == -2) {
    for (long k = oSolutions.GetNumberOfPoints() - 1; k >= 1; --k)
      oSolutions.RemovePoint(k);
  } else if (_isScaled) {
    double* p = oSolutions.GetPoints();
    for (long m = 0; m < oSolutions.GetNumberOfPoints(); ++m)
      for (long k = 0; k < n; ++k)
        p[m * n + k] *= _scaleFactorsX[k];
  }
  if (status == -2 && _isScaled && oSolutions.GetNumberOfPoints() > 0) {
    double* p = oSolutions.GetPoints();
    for (long k = 0; k < n; ++k)
      p[k] *= _scaleFactorsX[k];
  }
  return status == -2 || cut ? XelMathStatus::Stopped : XelMathStatus::Done;
}

void XelMathSystem::AllocateFillArrays() {
  const long n = _dimension;
  if (!_work1)
    _work1 = new XelMathNxNFullMatrix(n);
  if (!_work2)
    _work2 = new XelMathNxNFullMatrix(n);
  if (!_counts)
    _counts = static_cast<long*>(xelquornew(sizeof(long) * n));
  if (!_cornerValues)
    _cornerValues = XelQuorArrayDoubleNew(_cornerCount);
  if (!_cornerJacobians)
    _cornerJacobians = XelQuorArrayDoubleNew(_cornerCount * n * n);
}

void XelMathSystem::ReleaseFillArrays() {
  delete _work1;
  delete _work2;
  _work1 = _work2 = nullptr;
  if (_counts)
    xelquordel(_counts, sizeof(long) * _dimension);
  _counts = nullptr;
  if (_cornerValues)
    XelQuorArrayDoubleDel(_cornerValues, _cornerCount);
  _cornerValues = nullptr;
  if (_cornerJacobians)
    XelQuorArrayDoubleDel(_cornerJacobians, _cornerCount * _dimension * _dimension);
  _cornerJacobians = nullptr;
  if (_halfBlocks) {
    const long size = HalfBlockSize();
    for (long b = 0; b < _halfBlockCount; ++b)
      if (_halfBlocks[b])
        XelQuorArrayDoubleDel(_halfBlocks[b], size);
    XelMathDelPointers(_halfBlocks, _halfBlockCount);
  }
  _halfBlocks = nullptr;
  _halfBlockCount = _halfBlockTop = 0;
}

long XelMathSystem::HalfBlockSize() const {
  return 2 * _cornerCount * (_dimension + _dimension * _dimension);
}

double* XelMathSystem::PushHalfBlock() {
  if (_halfBlockTop == _halfBlockCount) {
    // Room for twice as many frames, the blocks kept.
    const long count = std::max(16L, 2 * _halfBlockCount);
    double** blocks = XelMathNewPointers<double>(count);
    for (long b = 0; b < count; ++b)
      blocks[b] = b < _halfBlockCount ? _halfBlocks[b] : nullptr;
    if (_halfBlocks)
      XelMathDelPointers(_halfBlocks, _halfBlockCount);
    _halfBlocks = blocks;
    _halfBlockCount = count;
  }
  double*& block = _halfBlocks[_halfBlockTop];
  if (!block)
    block = XelQuorArrayDoubleNew(HalfBlockSize());
  ++_halfBlockTop;
  return block;
}

int XelMathSystem::FSolve(const XelMathIntervalND& iBox, const long* iCounts) {
  const long n = _dimension;
  if (n > MaxSolveDimension)
    XelMathRaise(XelErrorCode::InvalidOption, "the dimension of the XelMathSystem",
                 "Dimension not valid", "XelMathSystem::FSolve");
  if (!iCounts || iBox.GetDimension() != n || GridNodes(n, iCounts, n + 1, 2) < 0)
    RaiseSampling("XelMathSystem::FSolve");
  ReleaseFillArrays();
  _cornerCount = 1L << n;
  AllocateFillArrays();
  auto release = XelMathMakeOnExit([this] { ReleaseFillArrays(); });
  for (long k = 0; k < n; ++k)
    _counts[k] = 2;
  if (_suspectWidth <= 0.0)
    _suspectWidth = 0.005 * MaxWidth(iBox);
  return DSolve(iBox, iCounts, nullptr);
}

bool XelMathSystem::Budget() {
  ++_callCount;
  if (++_work <= _maxWork && _evaluations <= _maxEvaluations &&
      _halfBlockTop * HalfBlockSize() <= MaxHalfBlockDoubles)
    return true;
  // Any of the three ends the search: the box is not searched completely.
  _work = std::max(_work, _maxWork + 1);
  return false;
}

// ---- the cell scan ----------------------------------------------------------------------------

void XelMathSystem::FillLocalHyperCube(const long* iCell, const long* iCounts,
                                       const double* iValues, const double* iGradients,
                                       double* oCorner, double* oCornerGradients) const {
  const long n = _dimension;
  long offset = 0, stride = 1;
  for (long k = n - 1; k >= 0; --k) {
    offset += iCell[k] * stride;
    stride *= iCounts[k];
  }
  RFillLocalHyperCube(n, n - 1, 1, iCounts, iValues + offset,
                      iGradients ? iGradients + offset * n : nullptr, oCorner,
                      iGradients ? oCornerGradients : nullptr);
}

void XelMathSystem::SampleCell(const XelMathIntervalND& iCell, double* oValues,
                               double* oJacobians) const {
  const long n = _dimension, nn = n * n, corners = 1L << n;
  XelMathScratchDoubles<8> x(n);
  for (long c = 0; c < corners; ++c) {
    CornerPoint(iCell, n, c, x.Data());
    if (oJacobians)
      SEval(x.Data(), oValues + c * n, oJacobians + c * nn);
    else
      SEval(x.Data(), oValues + c * n);
  }
}

void XelMathSystem::SplitCorners(const XelMathIntervalND& iCell, const long iSide,
                                 const double* iValues, const double* iJacobians,
                                 double* oLowValues, double* oLowJacobians, double* oHighValues,
                                 double* oHighJacobians) const {
  // The copies are inlined for a small fixed dimension; from N = 6 on, a copy of a fixed size
  // would be a slow string move, and the library's copy is used.
  WithDimension<5>(_dimension, [&](auto iDim) {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension, nn = n * n, corners = 1L << n;
    const long bit = 1L << (n - 1 - iSide);
    const double mid = 0.5 * (iCell.GetMin(iSide) + iCell.GetMax(iSide));
    const bool jacobians = iJacobians && oLowJacobians && oHighJacobians;
    XelMathScratchDoubles<8> x(n);
    for (long c = 0; c < corners; ++c) {
      if (c & bit)
        continue;
      // The low half keeps the parent's lower face, the high half its upper face; both share
      // the nodes of the cut.
      const long u = c | bit;
      std::memcpy(oLowValues + c * n, iValues + c * n, sizeof(double) * n);
      std::memcpy(oHighValues + u * n, iValues + u * n, sizeof(double) * n);
      CornerPoint(iCell, n, c, x.Data());
      x[iSide] = mid;
      if (jacobians) {
        std::memcpy(oLowJacobians + c * nn, iJacobians + c * nn, sizeof(double) * nn);
        std::memcpy(oHighJacobians + u * nn, iJacobians + u * nn, sizeof(double) * nn);
        SEval(x.Data(), oLowValues + u * n, oLowJacobians + u * nn);
        std::memcpy(oHighJacobians + c * nn, oLowJacobians + u * nn, sizeof(double) * nn);
      } else {
        SEval(x.Data(), oLowValues + u * n);
      }
      std::memcpy(oHighValues + c * n, oLowValues + u * n, sizeof(double) * n);
    }
  });
}

int XelMathSystem::DSolve(const XelMathIntervalND& iBox, const long* iCounts,
                          const long* iCellMask) {
  const long n = _dimension;
  // Corners handed down by the halving of a cell: for this call only.
  const XelMathIntervalND* parentBox = _parentBox;
  const double* parentValues = _parentValues;
  const double* parentJacobians = _parentJacobians;
  _parentBox = nullptr;
  _parentValues = _parentJacobians = nullptr;
  const long nodes = GridNodes(n, iCounts, n + 1, 2);
  if (nodes < 0 || iBox.GetDimension() != n || n > MaxSolveDimension)
    RaiseSampling("XelMathSystem::DSolve");
  if (_depth >= MaxDepth || _work > _maxWork)
    return 0;
  if (_cornerCount != (1L << n))
    _cornerCount = 1L << n;
  ++_depth;
  auto depthGuard = XelMathMakeOnExit([this] { --_depth; });
  const bool gradients = _depth < _singularLevel && !_easySolver;
  const long nn = n * n, corners = 1L << n;
  // A grid of two nodes a side but three across one side, over the parent's box, is the
  // parent's halving: its end nodes are the parent's corners.
  long side = -1;
  if (parentBox && parentValues && (parentJacobians || !gradients) && SameBox(*parentBox, iBox)) {
    for (long k = 0; k < n; ++k) {
      if (iCounts[k] == 3 && side < 0)
        side = k;
      else if (iCounts[k] != 2) {
        side = -1;
        break;
      }
    }
  }
  // The halves of a cell keep their parent's corners whatever the sampling.
  if (!_wholeSystemSampling && side < 0)
    return ScanEquationZero(iBox, iCounts, iCellMask, gradients);
  const long perNode = n + (gradients ? nn : 0);
  const bool stored = nodes <= MaxGridDoubles / perNode;
  XelMathScratchDoubles<256> gridValues(stored ? nodes * n : 0);
  XelMathScratchDoubles<256> gridJacobians(stored && gradients ? nodes * nn : 0);
  long idx[MaxSolveDimension], stride[MaxSolveDimension];
  for (long k = n - 1, s = 1; k >= 0; --k) {
    stride[k] = s;
    s *= iCounts[k];
  }
  XelMathScratchDoubles<8> x(n);
  if (stored) {
    // "WholeSystemSampling", or the halves of a cell: every node once, the whole system at a
    // time (last dimension fastest).
    for (long k = 0; k < n; ++k) {
      idx[k] = 0;
      x[k] = iBox.GetMin(k);
    }
    for (long m = 0; m < nodes; ++m) {
      double* v = gridValues.Data() + m * n;
      double* jac = gradients ? gridJacobians.Data() + m * nn : nullptr;
      if (side >= 0 && idx[side] != 1) {
        long c = 0;
        for (long k = 0; k < n; ++k)
          if (k == side ? idx[k] == 2 : idx[k] == 1)
            c |= 1L << (n - 1 - k);
        std::memcpy(v, parentValues + c * n, sizeof(double) * n);
        if (jac)
          std::memcpy(jac, parentJacobians + c * nn, sizeof(double) * nn);
      } else if (jac) {
        SEval(x.Data(), v, jac);
      } else {
        SEval(x.Data(), v);
      }
      for (long k = n - 1; k >= 0; --k) {
        if (++idx[k] < iCounts[k]) {
          x[k] = XelMathGridCoordinate(iBox.GetMin(k), iBox.GetMax(k), idx[k], iCounts[k]);
          break;
        }
        idx[k] = 0;
        x[k] = iBox.GetMin(k);
      }
    }
  }
  XelMathScratchDoubles<256> cornerValues(stored ? 0 : corners * n);
  XelMathScratchDoubles<1024> cornerJacobians(!stored && gradients ? corners * nn : 0);
  XelMathScratchPointers<const double, 64> valuePtrs(corners), jacobianPtrs(corners);
  long cells = 1;
  for (long k = 0; k < n; ++k) {
    idx[k] = 0;
    cells *= iCounts[k] - 1;
  }
  XelMathIntervalND cell(n);
  for (long c = 0; c < cells; ++c) {
    if (!iCellMask || iCellMask[c] == 1) {
      long base = 0;
      for (long k = 0; k < n; ++k) {
        cell.SetMin(k, XelMathGridCoordinate(iBox.GetMin(k), iBox.GetMax(k), idx[k], iCounts[k]));
        cell.SetMax(k,
                    XelMathGridCoordinate(iBox.GetMin(k), iBox.GetMax(k), idx[k] + 1, iCounts[k]));
        base += idx[k] * stride[k];
      }
      int r = 0;
      if (stored) {
        // The corners read at the nodes.
        for (long q = 0; q < corners; ++q) {
          long m = base;
          for (long k = 0; k < n; ++k)
            if (q & (1L << (n - 1 - k)))
              m += stride[k];
          valuePtrs[q] = gridValues.Data() + m * n;
          if (gradients)
            jacobianPtrs[q] = gridJacobians.Data() + m * nn;
        }
        r = SearchCorners(cell, valuePtrs.Data(), gradients ? jacobianPtrs.Data() : nullptr,
                          nullptr, nullptr, -1);
      } else {
        SampleCell(cell, cornerValues.Data(), gradients ? cornerJacobians.Data() : nullptr);
        r = SearchCell(cell, cornerValues.Data(), gradients ? cornerJacobians.Data() : nullptr);
      }
      if (r == -2)
        return -2;
      if (_work > _maxWork)
        return 0;
    }
    for (long k = n - 1; k >= 0; --k) {
      if (++idx[k] < iCounts[k] - 1)
        break;
      idx[k] = 0;
    }
  }
  return 0;
}

int XelMathSystem::SimpleDSolve(const XelMathIntervalND& iBox) {
  const long n = _dimension;
  if (iBox.GetDimension() != n || n > MaxSolveDimension)
    RaiseSampling("XelMathSystem::SimpleDSolve");
  const bool gradients = _depth < _singularLevel && !_easySolver;
  const long corners = 1L << n;
  XelMathScratchDoubles<256> values(corners * n);
  XelMathScratchDoubles<1024> jacobians(gradients ? corners * n * n : 0);
  SampleCell(iBox, values.Data(), gradients ? jacobians.Data() : nullptr);
  return SearchCell(iBox, values.Data(), gradients ? jacobians.Data() : nullptr);
}

int XelMathSystem::IsChangingSignOnHyperCube(const double* iCornerValues) const {
  return EasyChangingSignOnHyperCube(iCornerValues, _paramRes);
}

int XelMathSystem::EasyChangingSignOnHyperCube(const double* iCornerValues,
                                               const double iThreshold) const {
  const long corners = 1L << _dimension;
  const double c0 = iCornerValues[0];
  // A first corner within the threshold of 0 is itself a zero of the equation.
  if (std::fabs(c0) <= iThreshold)
    return 1;
  // Every corner is compared, without a branch per corner: the answer has no pattern a
  // predictor could learn.
  int change = 0;
  if (c0 >= -iThreshold) {
    for (long c = 1; c < corners; ++c)
      change |= iCornerValues[c] <= iThreshold;
  } else {
    for (long c = 1; c < corners; ++c)
      change |= iCornerValues[c] >= -iThreshold;
  }
  return change;
}

int XelMathSystem::Subdivide(const XelMathIntervalND& iCell, const long iCount) {
  long counts[MaxSolveDimension];
  for (long k = 0; k < _dimension; ++k)
    counts[k] = iCount;
  return DSolve(iCell, counts, nullptr) == -2 ? -2 : 1;
}

double XelMathSystem::RelativeWidth(const XelMathIntervalND& iCell, const long k) const {
  const double side = _domain ? _domain->GetMax(k) - _domain->GetMin(k) : 1.0;
  return (iCell.GetMax(k) - iCell.GetMin(k)) / (side > 0.0 ? side : 1.0);
}

long XelMathSystem::WidestSide(const XelMathIntervalND& iCell) const {
  long widest = 0;
  double ratio = -1.0;
  for (long k = 0; k < _dimension; ++k) {
    const double r = RelativeWidth(iCell, k);
    if (r > ratio) {
      ratio = r;
      widest = k;
    }
  }
  return widest;
}

int XelMathSystem::Bisect(const XelMathIntervalND& iCell, const long iSide) {
  long counts[MaxSolveDimension];
  for (long k = 0; k < _dimension; ++k)
    counts[k] = 2;
  counts[iSide >= 0 && iSide < _dimension ? iSide : WidestSide(iCell)] = 3;
  // The corners of the cell being searched are those of the halves' grid.
  if (_cellBox && _cellValues && SameBox(*_cellBox, iCell)) {
    _parentBox = &iCell;
    _parentValues = _cellValues;
    _parentJacobians = _cellJacobians;
  }
  const int r = DSolve(iCell, counts, nullptr);
  _parentBox = nullptr;
  _parentValues = _parentJacobians = nullptr;
  return r == -2 ? -2 : 1;
}

int XelMathSystem::MayDip(const XelMathIntervalND& iCell, const double* iCorner,
                          const double* const* iRows, const long iOffset) const {
  if (!iRows)
    return 0;
  return WithDimension(_dimension, [&](auto iDim) -> int {
    constexpr long Fixed = decltype(iDim)::value;
    const long n = Fixed ? Fixed : _dimension, corners = 1L << n;
    const double s = iCorner[0] > 0.0 ? 1.0 : -1.0;
    const double* bounds = iCell.GetCoords();
    double width[MaxSolveDimension];
    for (long k = 0; k < n; ++k)
      width[k] = bounds[2 * k + 1] - bounds[2 * k];
    // A tangent plane at some corner that reaches the other sign inside the cell (checked first:
    // most cells away from the zero set stop here)...
    bool reaches = false;
    for (long c = 0; c < corners && !reaches; ++c) {
      const double at = s * iCorner[c];
      const double* g = iRows[c] + iOffset;
      // The plane cannot fall by more than sum |g_k| w_k: most corners stop there.
      double fall = 0.0;
      XEL_MATH_UNROLL
      for (long k = 0; k < n; ++k)
        fall += std::fabs(g[k]) * width[k];
      if (at > fall)
        continue;
      double lowest = at;
      XEL_MATH_UNROLL
      for (long k = 0; k < n; ++k) {
        // From the lower end of side k the plane goes up the side, from the upper end down.
        const double run = (c & (1L << (n - 1 - k))) ? -width[k] : width[k];
        lowest += std::min(0.0, s * g[k] * run);
      }
      reaches = lowest <= 0.0;
    }
    // ... and a derivative that turns along an edge, or an edge along which the corner data do
    // not resolve the function: the trapezoidal rule on the end slopes misses the change of
    // value by more than the margin between the function and 0 there. An unresolved edge
    // counts even where no tangent plane reaches 0 (a function that swings across a period
    // or more between two corners has no tangent plane to tell it); only the edges from the
    // first and the last corner are read then.
    auto edge = [&](const long a, const long k) {
      const long bit = 1L << (n - 1 - k);
      const double da = iRows[a][iOffset + k], db = iRows[a | bit][iOffset + k];
      const double miss = iCorner[a | bit] - iCorner[a] - 0.5 * width[k] * (da + db);
      const double margin = std::min(std::fabs(iCorner[a]), std::fabs(iCorner[a | bit]));
      // The rounding of the terms is no sign of a swing.
      const double noise = 1e-12 * (std::fabs(iCorner[a]) + std::fabs(iCorner[a | bit]) +
                                    width[k] * (std::fabs(da) + std::fabs(db)));
      return (reaches && da * db <= 0.0) || std::fabs(miss) > UnresolvedEdge * margin + noise;
    };
    if (!reaches) {
      for (long k = 0; k < n; ++k)
        if (edge(0, k) || edge((corners - 1) ^ (1L << (n - 1 - k)), k))
          return 1;
      return 0;
    }
    for (long c = 0; c < corners; ++c) {
      XEL_MATH_UNROLL
      for (long k = 0; k < n; ++k)
        if (!(c & (1L << (n - 1 - k))) && edge(c, k))
          return 1;
    }
    return 0;
  });
}

int XelMathSystem::DSolveLocal(const XelMathIntervalND& iCell, const double* iCorner0,
                               const double* iGradients0) {
  const long n = _dimension, nn = n * n, corners = 1L << n;
  const bool gradients = iGradients0 != nullptr;
  XelMathScratchDoubles<256> values(corners * n);
  XelMathScratchDoubles<1024> jacobians(gradients ? corners * nn : 0);
  SampleCell(iCell, values.Data(), gradients ? jacobians.Data() : nullptr);
  // The caller's data of equation 0 stand.
  for (long c = 0; c < corners; ++c) {
    if (iCorner0)
      values[c * n] = iCorner0[c];
    if (gradients)
      std::memcpy(jacobians.Data() + c * nn, iGradients0 + c * n, sizeof(double) * n);
  }
  return SearchCell(iCell, values.Data(), gradients ? jacobians.Data() : nullptr);
}

int XelMathSystem::CornerTest(const long i, const XelMathIntervalND& iCell, const double* iCorner,
                              const double* const* iRows, const long iOffset,
                              const int iChange) const {
  if (_easySolver) {
    const long corners = 1L << _dimension;
    double big = 0.0;
    for (long c = 0; c < corners; ++c)
      big = std::max(big, std::fabs(iCorner[c]));
    const double coeff = _verySuspectCoeffs ? _verySuspectCoeffs[i] : 0.0;
    if (!EasyChangingSignOnHyperCube(iCorner, coeff * big))
      return 0;
    return iChange ? 1 : 2;
  }
  if (iChange)
    return 1;
  if (_depth > _singularLevel)
    return 0;
  if (iRows && MayDip(iCell, iCorner, iRows, iOffset))
    return 2;
  // Corner data do not see an equation that swings across 0 and back between the corners
  // (a curve of many turns in one cell): an enclosure over the cell has the last word.
  return ImageMayVanish(i, iCell) ? 2 : 0;
}

bool XelMathSystem::ImageMayVanish(const long i, const XelMathIntervalND& iCell) const {
  const long n = _dimension;
  double lo = 0.0, hi = 0.0;
  if (!_isScaled) {
    if (!EvalEquationRange(i, iCell, lo, hi))
      return false;
  } else {
    XelMathIntervalND box(n);
    for (long k = 0; k < n; ++k) {
      box.SetMin(k, iCell.GetMin(k) * _scaleFactorsX[k]);
      box.SetMax(k, iCell.GetMax(k) * _scaleFactorsX[k]);
    }
    if (!EvalEquationRange(i, box, lo, hi))
      return false;
    const double a = lo * _scaleFactorsF[i], b = hi * _scaleFactorsF[i];
    lo = std::min(a, b);
    hi = std::max(a, b);
  }
  // An enclosure that is not one (NaN, reversed) proves nothing either way.
  if (!(lo <= hi))
    return true;
  return lo <= _paramRes && hi >= -_paramRes;
}

int XelMathSystem::ScanEquationZero(const XelMathIntervalND& iBox, const long* iCounts,
                                    const long* iCellMask, const bool iGradients) {
  const long n = _dimension, corners = 1L << n;
  const long perNode = 1 + (iGradients ? n : 0);
  // The grid is sampled by blocks: the first `sliced` dimensions are cut into blocks of two
  // layers (one cell thick), the last of them into blocks of `layers` layers, the others are
  // whole. The fewest dimensions are cut for a block to fit in MaxGridDoubles; the whole grid
  // is one block when it fits. The blocks share their boundary layers.
  long sliced = 0, tail = 1;
  for (long k = 0; k < n; ++k)
    tail *= iCounts[k];
  while (sliced < n && tail > ((MaxGridDoubles / perNode) >> sliced)) {
    tail /= iCounts[sliced];
    ++sliced;
  }
  long layers = 2;
  if (sliced > 0) {
    const long room = ((MaxGridDoubles / perNode) >> (sliced - 1)) / tail;
    layers = std::max(2L, std::min(iCounts[sliced - 1], room));
  }
  long blockNodes = tail;
  for (long k = 0; k < sliced; ++k)
    blockNodes *= k == sliced - 1 ? layers : 2;
  XelMathScratchDoubles<256> values(blockNodes);
  XelMathScratchDoubles<1024> gradients(iGradients ? blockNodes * n : 0);
  // The whole system at the nodes of the cells that equation 0 keeps, each node evaluated
  // once for all the cells around it (kept for the block when it fits).
  const long nn = n * n, perCached = n + (iGradients ? nn : 0);
  const bool cached = blockNodes <= MaxGridDoubles / perCached;
  XelMathScratchDoubles<1> cache(cached ? blockNodes * perCached : 0);
  unsigned char* known = cached ? XelQuorArrayBytesNew(blockNodes) : nullptr;
  auto releaseKnown = XelMathMakeOnExit([&] {
    if (known)
      XelQuorArrayBytesDel(known, blockNodes);
  });
  XelMathScratchPointers<const double, 64> valuePtrs(corners), jacobianPtrs(corners),
      gradientRows(corners);
  XelMathScratchDoubles<8> point(n);
  long* offset = static_cast<long*>(xelquornew(sizeof(long) * static_cast<std::size_t>(corners)));
  auto releaseOffset = XelMathMakeOnExit(
      [&] { xelquordel(offset, sizeof(long) * static_cast<std::size_t>(corners)); });
  XelMathScratchDoubles<64> corner(corners);
  XelMathScratchDoubles<256> cornerGradients(iGradients ? corners * n : 0);
  double* grads = iGradients ? gradients.Data() : nullptr;
  double* cornerGrads = iGradients ? cornerGradients.Data() : nullptr;
  long start[MaxSolveDimension], local[MaxSolveDimension], blockCounts[MaxSolveDimension];
  long cellStride[MaxSolveDimension];
  for (long k = n - 1, stride = 1; k >= 0; --k) {
    start[k] = 0;
    blockCounts[k] = iCounts[k];
    cellStride[k] = stride;
    stride *= iCounts[k] - 1;
  }
  XelMathIntervalND block(iBox), cell(n);
  auto coordinate = [&](const long k, const long m) {
    return XelMathGridCoordinate(iBox.GetMin(k), iBox.GetMax(k), m, iCounts[k]);
  };
  for (;;) {
    // Equation 0 on this block (the whole grid when it fits).
    for (long k = 0; k < sliced; ++k) {
      blockCounts[k] = k == sliced - 1 ? std::min(layers, iCounts[k] - start[k]) : 2;
      block.SetMin(k, coordinate(k, start[k]));
      block.SetMax(k, coordinate(k, start[k] + blockCounts[k] - 1));
    }
    SGrid(0, block, blockCounts, values.Data(), grads);
    if (known)
      std::memset(known, 0, static_cast<std::size_t>(blockNodes));
    long nodeStride[MaxSolveDimension];
    for (long k = n - 1, stride = 1; k >= 0; --k) {
      nodeStride[k] = stride;
      stride *= blockCounts[k];
    }
    // Node offset of each corner from the lowest corner of its cell.
    offset[0] = 0;
    for (long q = 1; q < corners; ++q) {
      long k = n - 1;
      while (!(q & (1L << (n - 1 - k))))
        --k;
      offset[q] = offset[q & ~(1L << (n - 1 - k))] + nodeStride[k];
    }
    for (long k = 0; k < n; ++k)
      local[k] = 0;
    for (;;) {
      long c = 0;
      for (long k = 0; k < n; ++k)
        c += (start[k] + local[k]) * cellStride[k];
      if (!iCellMask || iCellMask[c] == 1) {
        for (long k = 0; k < n; ++k) {
          cell.SetMin(k, coordinate(k, start[k] + local[k]));
          cell.SetMax(k, coordinate(k, start[k] + local[k] + 1));
        }
        // The corner values read at their nodes (corner q is node base + offset[q]); the
        // gradients are copied only when a test needs them.
        long base = 0;
        for (long k = 0; k < n; ++k)
          base += local[k] * nodeStride[k];
        for (long q = 0; q < corners; ++q)
          corner[q] = values[base + offset[q]];
        bool rowsSet = false;
        auto setRows = [&] {
          if (!rowsSet && grads)
            for (long q = 0; q < corners; ++q)
              gradientRows[q] = grads + (base + offset[q]) * n;
          rowsSet = true;
        };
        // Equation 0 drops the cell before anything else is evaluated there; corners where
        // it is not defined are left to the cell search.
        bool keep = !AllFinite(corner.Data(), corners);
        int test0 = -1;
        if (!keep) {
          const int change = IsChangingSignOnHyperCube(corner.Data());
          if (!change && !_easySolver)
            setRows();
          test0 = CornerTest(0, cell, corner.Data(),
                             rowsSet && grads ? gradientRows.Data() : nullptr, 0, change);
          keep = test0 != 0;
        }
        if (keep) {
          int r = 0;
          if (cached) {
            for (long q = 0; q < corners; ++q) {
              const long m = base + offset[q];
              double* node = cache.Data() + m * perCached;
              if (!known[m]) {
                CornerPoint(cell, n, q, point.Data());
                if (iGradients)
                  SEval(point.Data(), node, node + n);
                else
                  SEval(point.Data(), node);
                // The grid's data of equation 0 stand.
                node[0] = values[m];
                if (iGradients)
                  std::memcpy(node + n, grads + m * n, sizeof(double) * n);
                known[m] = 1;
              }
              valuePtrs[q] = node;
              if (iGradients)
                jacobianPtrs[q] = node + n;
            }
            r = SearchCorners(cell, valuePtrs.Data(), iGradients ? jacobianPtrs.Data() : nullptr,
                              nullptr, nullptr, test0);
          } else {
            if (grads)
              for (long q = 0; q < corners; ++q)
                std::memcpy(cornerGrads + q * n, grads + (base + offset[q]) * n,
                            sizeof(double) * n);
            r = DSolveLocal(cell, corner.Data(), cornerGrads);
          }
          if (r == -2)
            return -2;
          if (_work > _maxWork)
            return 0;
        }
      }
      long k = n - 1;
      for (; k >= 0; --k) {
        if (++local[k] < blockCounts[k] - 1)
          break;
        local[k] = 0;
      }
      if (k < 0)
        break;
    }
    // A grid whose cells equation 0 drops makes no call to the budget.
    if (_evaluations > _maxEvaluations) {
      _work = std::max(_work, _maxWork + 1);
      return 0;
    }
    // The next block.
    long k = sliced - 1;
    for (; k >= 0; --k) {
      start[k] += blockCounts[k] - 1;
      if (start[k] < iCounts[k] - 1)
        break;
      start[k] = 0;
    }
    if (k < 0)
      break;
  }
  return 0;
}

int XelMathSystem::SearchCell(const XelMathIntervalND& iCell, const double* iValues,
                              const double* iJacobians) {
  const long n = _dimension, nn = n * n, corners = 1L << n;
  XelMathScratchPointers<const double, 64> valuePtrs(corners);
  XelMathScratchPointers<const double, 64> jacobianPtrs(iJacobians ? corners : 0);
  for (long c = 0; c < corners; ++c) {
    valuePtrs.Data()[c] = iValues + c * n;
    if (iJacobians)
      jacobianPtrs.Data()[c] = iJacobians + c * nn;
  }
  return SearchCorners(iCell, valuePtrs.Data(), iJacobians ? jacobianPtrs.Data() : nullptr, iValues,
                       iJacobians, -1);
}

int XelMathSystem::SearchCorners(const XelMathIntervalND& iCell, const double* const* iValuePtrs,
                                 const double* const* iJacobianPtrs, const double* iValues,
                                 const double* iJacobians, const int iTest0) {
  const long n = _dimension, corners = 1L << n;
  if (!Budget())
    return 0;
  const bool gradients = iJacobianPtrs != nullptr;
  // Arrays missing (a cell searched outside a fill) are allocated; those of a search in
  // progress are kept.
  if (!_cornerValues || !_cornerJacobians) {
    _cornerCount = corners;
    AllocateFillArrays();
  }
  XelMathScratchDoubles<64> vals(corners);
  // Every equation is tested on its corner values before any suspect cell is searched: the
  // first equation of one sign that cannot dip drops the cell. The corner data are read
  // where they lie (grid nodes, the parent's corners) until the cell survives these tests.
  bool suspect[MaxSolveDimension] = {};
  for (long i = 0; i < n; ++i) {
    for (long c = 0; c < corners; ++c)
      vals[c] = iValuePtrs[c][i];
    if (i == 0)
      std::memcpy(_cornerValues, vals.Data(), sizeof(double) * corners);
    long nans = 0;
    for (long c = 0; c < corners; ++c)
      if (std::isnan(vals[c]))
        ++nans;
    if (nans) {
      // Not defined everywhere in the cell: look closer a few times where part of it is, then
      // run Newton's method from the centre (a solution near the edge of the region).
      if (nans < corners && _depth < NaNDepth && MaxWidth(iCell) > _suspectWidth)
        return Subdivide(iCell, 3);
      if (nans == corners)
        return 0;
      XelMathScratchDoubles<8> start(n);
      iCell.Center(start.Data());
      const int found = NewtonFrom(iCell, start.Data());
      if (found != 0)
        return found;
      // The centre may lie where the system is not defined: the defined corner of least
      // residual.
      long best = -1;
      double least = 0.0;
      for (long c = 0; c < corners; ++c) {
        double r = 0.0;
        for (long k = 0; k < n; ++k)
          r += iValuePtrs[c][k] * iValuePtrs[c][k];
        if (Finite(r) && (best < 0 || r < least)) {
          best = c;
          least = r;
        }
      }
      if (best < 0)
        return 0;
      CornerPoint(iCell, n, best, start.Data());
      return NewtonFrom(iCell, start.Data());
    }
    // Equation 0 may have been tested by the grid scan already.
    const int test = i == 0 && iTest0 >= 0
                         ? iTest0
                         : CornerTest(i, iCell, vals.Data(), gradients ? iJacobianPtrs : nullptr,
                                      i * n, IsChangingSignOnHyperCube(vals.Data()));
    if (!test)
      return 0;
    suspect[i] = test == 2;
  }
  if (iValues && (iJacobians || !gradients))
    return SearchKeptCell(iCell, iValues, iJacobians, suspect);
  // The cell goes on: its corner data side by side, as its halving and the Jacobian hull read
  // them.
  const long nn = n * n;
  XelMathScratchDoubles<256> values(corners * n);
  XelMathScratchDoubles<1024> jacobians(gradients ? corners * nn : 0);
  for (long c = 0; c < corners; ++c) {
    std::memcpy(values.Data() + c * n, iValuePtrs[c], sizeof(double) * n);
    if (gradients)
      std::memcpy(jacobians.Data() + c * nn, iJacobianPtrs[c], sizeof(double) * nn);
  }
  return SearchKeptCell(iCell, values.Data(), gradients ? jacobians.Data() : nullptr, suspect);
}

int XelMathSystem::SearchKeptCell(const XelMathIntervalND& iCell, const double* iValues,
                                  const double* iJacobians, const bool* iSuspect) {
  const long n = _dimension, nn = n * n, corners = 1L << n;
  const bool gradients = iJacobians != nullptr;
  // This cell's corners serve its halving; the caller's cell is current again on the way
  // out.
  const XelMathIntervalND* savedBox = _cellBox;
  const double* savedValues = _cellValues;
  const double* savedJacobians = _cellJacobians;
  _cellBox = &iCell;
  _cellValues = iValues;
  _cellJacobians = iJacobians;
  auto restore = XelMathMakeOnExit([&] {
    _cellBox = savedBox;
    _cellValues = savedValues;
    _cellJacobians = savedJacobians;
  });
  XelMathScratchDoubles<64> vals(corners);
  XelMathScratchDoubles<256> grads(gradients ? corners * n : 0);
  XelMathScratchDoubles<64> residual(corners);
  for (long c = 0; c < corners; ++c) {
    double r = 0.0;
    for (long i = 0; i < n; ++i)
      r += iValues[c * n + i] * iValues[c * n + i];
    residual[c] = r;
  }
  // Krawczyk's operator and the combination test first: a cell they drop needs no search
  // of its suspect equations.
  XelMathScratchDoubles<64> centre(n);
  iCell.Center(centre.Data());
  const bool hullTests = gradients || (_singularLevel > 0 && !_easySolver);
  bool hullReady = false;
  int singular = 1;
  long side = -1;
  // A Jacobian not finite at some corner gives no hull: the cell may be singular.
  if (hullTests && gradients && AllFinite(iJacobians, corners * nn)) {
    XelMathScratchDoubles<8> f(n);
    XelMathScratchDoubles<64> jc(nn);
    SEval(centre.Data(), f.Data(), jc.Data());
    // No hull of another cell is taken for this one's.
    _hullState = 0;
    const int excluded =
        KrawczykExcludes(iCell, iValues, iJacobians, jc.Data(), centre.Data(), f.Data(), nullptr);
    singular = excluded ? 1 : IsSingularIntervalJacobian(iCell, iJacobians, jc.Data());
    side = excluded ? -1 : HalvingSide(iCell);
    hullReady = _hullState != 0;
    _hullCorners = _hullCentre = nullptr;
    if (excluded)
      return 0;
  }
  // The hull of the cell, when ready, bounds each suspect equation from its corners first.
  for (long i = 0; i < n; ++i)
    if (iSuspect[i]) {
      if (hullReady && EquationKeepsSign(i, iCell, iValues))
        return 0;
      for (long c = 0; c < corners; ++c)
        vals[c] = iValues[c * n + i];
      if (gradients)
        for (long c = 0; c < corners; ++c)
          std::memcpy(grads.Data() + c * n, iJacobians + c * nn + i * n, sizeof(double) * n);
      const int r =
          TreatSuspectHyperCube(i, iCell, vals.Data(), gradients ? grads.Data() : nullptr);
      if (r != 2)
        return r;
    }

  // Every equation may vanish in the cell.
  if (hullTests && singular) {
    if (_depth + 1 >= _singularLevel || !gradients) {
      const int r = TreatSingularJacobian(iCell);
      if (r == -2 || (_solutions && _solutions->GetNumberOfPoints() > MaxSolutions))
        return -2;
      return r;
    }
    // Halving one side only: two sub-cells, whatever the dimension.
    return Bisect(iCell, side);
  }
  // At most one solution in the cell: Newton from the centre, then from the best corner.
  XelMathScratchDoubles<8> x(n);
  std::memcpy(x.Data(), centre.Data(), sizeof(double) * n);
  int status = 0;
  if (SolveSafeNewtonWithAlloc(iCell, x.Data(), status))
    return Recorded(x.Data(), iCell);
  const int firstStatus = status;
  long best = 0;
  for (long c = 1; c < corners; ++c)
    if (residual[c] < residual[best])
      best = c;
  CornerPoint(iCell, n, best, x.Data());
  if (SolveSafeNewtonWithAlloc(iCell, x.Data(), status))
    return Recorded(x.Data(), iCell);
  // A system whose values break down is searched lightly for the rest of the solve.
  if ((firstStatus == 4 || status == 4) && _depth < 2 && _depth <= _singularLevel)
    SetEasySolver();
  // Newton's runs may leave a regular cell that holds a solution (a start far from it, a
  // step clipped by the cell): its halves are searched, a few levels deep.
  if (!_easySolver && _depth < RegularSplitDepth * _dimension &&
      MaxWidth(iCell) > SingularWidthRatio * (_domain ? MaxWidth(*_domain) : 1.0))
    return Bisect(iCell);
  return 0;
}

bool XelMathSystem::NewtonStepAt(const double* x, double* oStep) {
  const long n = _dimension;
  XelMathScratchDoubles<64> j(n * n);
  SEval(x, oStep, j.Data());
  if (!AllFinite(oStep, n) || !AllFinite(j.Data(), n * n))
    return false;
  if (!_work1)
    _work1 = new XelMathNxNFullMatrix(n);
  std::memcpy(_work1->GetFullMatrixCoef(), j.Data(), sizeof(double) * n * n);
  return _work1->Solve(oStep, 1) == 0 && AllFinite(oStep, n);
}

void XelMathSystem::Polish(double* ioX, double* oDoubleRoot) {
  // Newton's steps damped by the natural monotonicity test: a step is taken when the Newton
  // step from where it lands is clearly shorter (the residual is no guide where the
  // Jacobian is nearly singular). The steps stay in the domain, move the point by at most
  // 1e-3 of the domain's size in all, and only a point they settle is moved.
  const long n = _dimension;
  XelMathScratchDoubles<32> work(4 * n);
  double* x = work.Data();
  double* step = x + n;
  double* trial = step + n;
  double* next = trial + n;
  std::memcpy(x, ioX, sizeof(double) * n);
  if (!NewtonStepAt(x, step))
    return;
  double budget = 0.0, size = 1.0;
  for (long k = 0; k < n; ++k) {
    budget += _domain ? 1e-3 * (_domain->GetMax(k) - _domain->GetMin(k)) : 0.0;
    size += std::fabs(x[k]);
  }
  const double settled = SameRootDistance * size;
  auto longest = [n](const double* v) {
    double m = 0.0;
    for (long k = 0; k < n; ++k)
      m = std::max(m, std::fabs(v[k]));
    return m;
  };
  for (long it = 0; it < PolishSteps; ++it) {
    const double length = longest(step);
    if (length <= settled || length > budget)
      break;
    bool taken = false;
    for (double lambda = 1.0; lambda >= 0.25 && !taken; lambda *= 0.5) {
      bool inside = true;
      for (long k = 0; k < n; ++k) {
        trial[k] = x[k] - lambda * step[k];
        if (_domain && !(trial[k] >= _domain->GetMin(k) && trial[k] <= _domain->GetMax(k)))
          inside = false;
      }
      if (!inside || !NewtonStepAt(trial, next))
        continue;
      const double ratio = longest(next) / length;
      // Full steps that halve the distance: a double root, which these steps do not settle.
      // It lies about twice the step away (the error of that guess is of the order of the
      // step squared): where and how far, for the caller.
      if (lambda == 1.0 && ratio > 0.4 && ratio < 0.6) {
        if (oDoubleRoot) {
          for (long k = 0; k < n; ++k)
            oDoubleRoot[k] = x[k] - 2.0 * step[k];
          oDoubleRoot[n] = 2.0 * length;
        }
        return;
      }
      if (!(ratio <= 1.0 - 0.5 * lambda))
        continue;
      budget -= lambda * length;
      std::memcpy(x, trial, sizeof(double) * n);
      std::memcpy(step, next, sizeof(double) * n);
      taken = true;
    }
    if (!taken)
      break;
  }
  if (longest(step) <= settled)
    std::memcpy(ioX, x, sizeof(double) * n);
}

int XelMathSystem::Recorded(const double* iX, const XelMathIntervalND& iCell) {
  // Where the solution sets of the equations meet at a small angle the residual test holds
  // along a stretch of them, and points of that stretch would pass for distinct solutions:
  // polished, they land on the one solution there.
  const long n = _dimension;
  XelMathScratchDoubles<8> polished(n);
  double* x = polished.Data();
  std::memcpy(x, iX, sizeof(double) * n);
  XelMathScratchDoubles<9> doubleRoot(n + 1);
  doubleRoot[n] = -1.0;
  Polish(x, doubleRoot.Data());
  // Newton's steps from the point head for a singular solution stored already (they halve
  // the distance to it at each step): the point is that solution.
  if (doubleRoot[n] >= 0.0 && _solutions) {
    double size = 1.0;
    for (long k = 0; k < n; ++k)
      size += std::fabs(x[k]);
    const double reach = doubleRoot[n] + SameRootDistance * size;
    const double* points = _solutions->GetPoints();
    for (long m = 0; m < _solutions->GetNumberOfPoints(); ++m) {
      double dist = 0.0;
      for (long k = 0; k < n; ++k)
        dist = std::max(dist, std::fabs(points[m * n + k] - doubleRoot[k]));
      if (dist <= reach)
        return 1;
    }
  }
  const int r = AddSolution(x);
  if (r == -1)
    return -2;
  if (r == 0)
    return 1;
  XelMathScratchDoubles<8> f(n);
  XelMathScratchDoubles<64> j(n * n);
  SEval(x, f.Data(), j.Data());
  double hadamard = 1.0;
  for (long i = 0; i < n; ++i) {
    double row = 0.0;
    for (long k = 0; k < n; ++k)
      row += j[i * n + k] * j[i * n + k];
    hadamard *= std::sqrt(row);
  }
  if (!_work1)
    _work1 = new XelMathNxNFullMatrix(n);
  std::memcpy(_work1->GetFullMatrixCoef(), j.Data(), sizeof(double) * n * n);
  const double det = _work1->DeterminantFast();
  if (!(std::fabs(det) > SingularDeterminant * hadamard) && FindRootNearSingularity(iCell, x))
    return -1;
  return 1;
}
