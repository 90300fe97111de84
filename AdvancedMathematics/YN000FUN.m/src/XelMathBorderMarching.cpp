// XelMathBorderMarching: a march on a face of the domain.
#include "XelMathBorderMarching.h"

#include <cmath>
#include <cstring>
#include <memory>

#include "XelMathFunctionRN.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathMinimizeRN.h"
#include "XelMathNxNFullMatrix.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

namespace {
/// The sum of the squares of the equations of a system: the function the minimiser descends.
class SquaredResidual : public XelMathFunctionRN {
public:
  explicit SquaredResidual(const XelMathImplicitSystem* iSystem)
      : XelMathFunctionRN(iSystem->GetNumberOfVariables()), _system(iSystem),
        _values(XelQuorArrayDoubleNew(iSystem->GetNumberOfVariables())) {}
  ~SquaredResidual() override { XelQuorArrayDoubleDel(_values, _n); }
  SquaredResidual(const SquaredResidual&) = delete;
  SquaredResidual& operator=(const SquaredResidual&) = delete;
  const char* IsA() const override { return "XelMathBorderMarchingResidual"; }
  XelMathFunctionRN* Duplicate() const override { return new SquaredResidual(_system); }
  using XelMathFunctionRN::Eval;
  double Eval(const double* x) const override {
    _system->Eval(x, _values);
    double s = 0.0;
    for (long i = 0; i < _n - 1; ++i)
      s += _values[i] * _values[i];
    return s;
  }

private:
  const XelMathImplicitSystem* _system;
  double* _values;
};
} // namespace

XelMathBorderMarching::XelMathBorderMarching(XelSoftwareConfiguration* iConfig,
                                             const XelMathImplicitSystem* iSystem, long iFace,
                                             long iDroppedEquation, const XelTolerance& iTol,
                                             const XelMathAttrList* iAttributes)
    : XelMathImplicitSystem(iConfig, iSystem ? iSystem->GetNumberOfVariables() : 2, iTol,
                            iAttributes),
      _system(iSystem), _face(iFace), _variable(iFace / 2), _dropped(iDroppedEquation),
      _value(0.0), _values(nullptr), _inner(nullptr) {
  if (!iSystem)
    XelMathRaise(XelErrorCode::InvalidOption, "XelMathBorderMarching", "null system",
                 "XelMathBorderMarching::XelMathBorderMarching");
  if (iFace < 0 || iFace >= 2 * _n || iDroppedEquation < 0 || iDroppedEquation > _n - 2)
    XelMathRaise(XelErrorCode::WrongIndex, "XelMathBorderMarching::XelMathBorderMarching",
                 "Wrong Index", "");
  _values = XelQuorArrayDoubleNew(_n);
  _inner = new XelMathNxNFullMatrix(_n);
  _inner->Reset();
}

XelMathBorderMarching::~XelMathBorderMarching() {
  XelQuorArrayDoubleDel(_values, _n);
  delete _inner;
}

long XelMathBorderMarching::GetDynamicMemoryBytes() const {
  return XelMathImplicitSystem::GetDynamicMemoryBytes() +
         static_cast<long>(sizeof(double)) * _n + _inner->GetEstimatedMemoryBytes();
}

long XelMathBorderMarching::GetStaticMemoryBytes() const {
  return sizeof(XelMathBorderMarching);
}

void XelMathBorderMarching::TakeFace(const XelMathIntervalND& iDomain) {
  if (iDomain.GetDimension() != _n || iDomain.IsEmpty())
    XelMathRaise(XelErrorCode::InvalidDomain, "Solve", "Invalid Domain", "");
  _value = (_face % 2) ? iDomain.GetMax(_variable) : iDomain.GetMin(_variable);
}

int XelMathBorderMarching::Solve(const XelMathIntervalND& iDomain, const double* iX0,
                                 const double* iT0, XelMathSetOfPointsND& oResult,
                                 const XelMathAttrList* iAttributes) {
  TakeFace(iDomain);
  return XelMathImplicitSystem::Solve(iDomain, iX0, iT0, oResult, iAttributes);
}

int XelMathBorderMarching::Run(const XelMathIntervalND& iDomain, const double* iX0,
                               const double* iT0, XelMathSetOfPointsND& oResult) {
  TakeFace(iDomain);
  return XelMathImplicitSystem::Run(iDomain, iX0, iT0, oResult);
}

void XelMathBorderMarching::Eval(const double* X, double* oF) const {
  _system->Eval(X, _values);
  long k = 0;
  for (long i = 0; i < _n - 1; ++i)
    if (i != _dropped)
      oF[k++] = _values[i];
  oF[_n - 2] = X[_variable] - _value;
}

void XelMathBorderMarching::EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const {
  _system->EvalJacobian(X, _inner);
  const double* in = _inner->GetFullMatrixCoef();
  double* J = oJ->GetFullMatrixCoef();
  long k = 0;
  for (long i = 0; i < _n - 1; ++i)
    if (i != _dropped) {
      std::memcpy(J + k * _n, in + i * _n, sizeof(double) * _n);
      ++k;
    }
  for (long j = 0; j < _n; ++j)
    J[(_n - 2) * _n + j] = (j == _variable) ? 1.0 : 0.0;
}

void XelMathBorderMarching::Eval(const double* X, double* oF, XelMathNxNFullMatrix* oJ) const {
  Eval(X, oF);
  EvalJacobian(X, oJ);
}

long XelMathBorderMarching::FindStartPoints(const XelMathIntervalND& iDomain,
                                            XelMathSetOfPointsND& oStarts, const long iSeeds) {
  TakeFace(iDomain);
  if (oStarts.GetDimension() != _n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathSetOfPointsND", "wrong dimension",
                 "XelMathBorderMarching::FindStartPoints");
  if (iSeeds < 2 || iSeeds > 20)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "FindStartPoints",
                 "Invalid Number Of Points", "");
  // The face as a box whose face variable is fixed.
  XelMathIntervalND face(iDomain);
  face.SetMin(_variable, _value);
  face.SetMax(_variable, _value);
  SquaredResidual residual(this);
  XelMathMinimizeRN minimizer(&residual, _tol);
  const long free = _n - 1;
  long total = 1;
  for (long k = 0; k < free && total <= 4096; ++k)
    total *= iSeeds;
  if (total > 4096)
    total = 4096;
  double* work = XelQuorArrayDoubleNew(3 * _n);
  auto release = XelMathMakeOnExit([work, this] { XelQuorArrayDoubleDel(work, 3 * _n); });
  double* x = work;
  double* f = x + _n;
  double* t = f + _n;
  const long before = oStarts.GetNumberOfPoints();
  const double merge = 10.0 * _sag > 0.0 ? 10.0 * _sag : 1e-6;
  for (long seed = 0; seed < total; ++seed) {
    long rest = seed;
    for (long i = 0; i < _n; ++i) {
      if (i == _variable) {
        x[i] = _value;
        continue;
      }
      const long k = rest % iSeeds;
      rest /= iSeeds;
      const double lo = iDomain.GetMin(i), hi = iDomain.GetMax(i);
      x[i] = lo + (hi - lo) * (static_cast<double>(k) + 0.5) / static_cast<double>(iSeeds);
    }
    double value = 0.0;
    minimizer.Descend(face, x, value, 1);
    // Onto the curve: Newton on the hyperplane orthogonal to its tangent.
    if (!IsRoot(x, f)) {
      if (!EvalTangent(x, t) || !SolveSafeOnHyperPlane(x, t) || !IsRoot(x, f))
        continue;
    }
    if (!iDomain.ContainsPoint(x, _tol.GetPointResolution()))
      continue;
    bool known = false;
    for (long p = before; p < oStarts.GetNumberOfPoints() && !known; ++p)
      known = XelSquareDistanceND(_n, oStarts.GetPoints() + p * _n, x) <= merge * merge;
    if (!known)
      oStarts.AddPoint(x);
  }
  return oStarts.GetNumberOfPoints() - before;
}
