#include "XelMathScaleFunctionX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathSetOfPointsND.h"

using namespace XelMathComposite;

XelMathScaleFunctionX::XelMathScaleFunctionX(const XelMathFunctionX* iF, double iFunctionFactor,
                                             double iVariableFactor)
    : _function(iF), _functionFactor(iFunctionFactor), _variableFactor(iVariableFactor),
      _reviewed(0) {}

XelMathScaleFunctionX::XelMathScaleFunctionX(const XelMathScaleFunctionX& iOther)
    : XelMathFunctionX(iOther), _function(iOther._function),
      _functionFactor(iOther._functionFactor), _variableFactor(iOther._variableFactor),
      _reviewed(iOther._reviewed) {}

XelMathScaleFunctionX& XelMathScaleFunctionX::operator=(const XelMathScaleFunctionX& iOther) {
  _function = iOther._function;
  _functionFactor = iOther._functionFactor;
  _variableFactor = iOther._variableFactor;
  _reviewed = iOther._reviewed;
  return *this;
}

XelMathScaleFunctionX::~XelMathScaleFunctionX() = default;

XelMathDefineIdentity(XelMathScaleFunctionX, XelMathFunctionX);

unsigned char XelMathScaleFunctionX::IsOption(const long iOption) const {
  return _function ? _function->IsOption(iOption) : 0;
}

XelMathDefineComponents(XelMathScaleFunctionX, 1, &_function);

// ==== point evaluations: a b^k f^(k)(b x) ================================================
double XelMathScaleFunctionX::Eval(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  return _functionFactor * _function->Eval(_variableFactor * x);
}

double XelMathScaleFunctionX::EvalFirstDeriv(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  return _functionFactor * _variableFactor * _function->EvalFirstDeriv(_variableFactor * x);
}

double XelMathScaleFunctionX::EvalSecondDeriv(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  const double b = _variableFactor;
  return _functionFactor * b * b * _function->EvalSecondDeriv(b * x);
}

double XelMathScaleFunctionX::EvalThirdDeriv(const double& x) const {
  if (!_function)
    return XelMathInfinite;
  const double b = _variableFactor;
  return _functionFactor * b * b * b * _function->EvalThirdDeriv(b * x);
}

void XelMathScaleFunctionX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                 double* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
  double v = XelMathInfinite, d1 = XelMathInfinite, d2 = XelMathInfinite;
  const double a = _functionFactor, b = _variableFactor;
  if (_function) {
    _function->Eval(b * x,
                    (wantF ? XelMathOption::Value : 0) | (wantF1 ? XelMathOption::FirstDeriv : 0) |
                        (wantF2 ? XelMathOption::SecondDeriv : 0),
                    &v, &d1, &d2);
    v *= a;
    d1 *= a * b;
    d2 *= a * b * b;
  }
  if (wantF)
    *oF = v;
  if (wantF1)
    *oF1 = d1;
  if (wantF2)
    *oF2 = d2;
}

void XelMathScaleFunctionX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                       double* oF, double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (!_function) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  const double a = _functionFactor, b = _variableFactor, ab = a * b, abb = a * b * b;
  const long options = asked.Options();
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    double u[Chunk];
    for (long j = 0; j < iCount; j++)
      u[j] = b * iX[iStart + j];
    double* f = asked.f ? oF + iStart : nullptr;
    double* f1 = asked.f1 ? oF1 + iStart : nullptr;
    double* f2 = asked.f2 ? oF2 + iStart : nullptr;
    _function->EvalPoints(iCount, u, options, f, f1, f2);
    for (long j = 0; j < iCount; j++) {
      if (f)
        f[j] *= a;
      if (f1)
        f1[j] *= ab;
      if (f2)
        f2[j] *= abb;
    }
  });
}

// ==== interval evaluations ===============================================================
namespace {
// b I with the ends swapped when b <= 0.
XelMathInterval ScaledArgument(const double b, const XelMathInterval& iI) {
  if (b > 0.0)
    return XelMathInterval(b * iI.low, b * iI.high);
  return XelMathInterval(b * iI.high, b * iI.low);
}
} // namespace

XelMathInterval XelMathScaleFunctionX::Eval(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  return Scale(_functionFactor, _function->Eval(ScaledArgument(_variableFactor, iI)));
}

XelMathInterval XelMathScaleFunctionX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  const double b = _variableFactor;
  return Scale(_functionFactor * b, _function->EvalFirstDeriv(ScaledArgument(b, iI)));
}

XelMathInterval XelMathScaleFunctionX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  const double b = _variableFactor;
  return Scale(_functionFactor * b * b, _function->EvalSecondDeriv(ScaledArgument(b, iI)));
}

XelMathInterval XelMathScaleFunctionX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (!_function)
    return Zero();
  const double b = _variableFactor;
  return Scale(_functionFactor * b * b * b, _function->EvalThirdDeriv(ScaledArgument(b, iI)));
}

void XelMathScaleFunctionX::Eval(const XelMathInterval& iI, const long iOptions,
                                 XelMathInterval* oF, XelMathInterval* oF1,
                                 XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  XelMathInterval v, d1, d2;
  if (_function) {
    const double a = _functionFactor, b = _variableFactor;
    _function->Eval(ScaledArgument(b, iI),
                    (wantF ? XelMathOption::Image : 0) |
                        (wantF1 ? XelMathOption::FirstDerivImage : 0) |
                        (wantF2 ? XelMathOption::SecondDerivImage : 0),
                    &v, &d1, &d2);
    v = Scale(a, v);
    d1 = Scale(a * b, d1);
    d2 = Scale(a * b * b, d2);
  }
  if (wantF)
    *oF = v;
  if (wantF1)
    *oF1 = d1;
  if (wantF2)
    *oF2 = d2;
}

// ==== copies and domains =================================================================
XelMathFunctionX* XelMathScaleFunctionX::Duplicate() const {
  return new XelMathScaleFunctionX(*this);
}

XelMathFunctionX* XelMathScaleFunctionX::DeepDuplicate() const {
  return WrapDeepCopy(_function, [this](XelMathFunctionX* iCopy) {
    XelMathScaleFunctionXDel* result =
        new XelMathScaleFunctionXDel(iCopy, _functionFactor, _variableFactor);
    if (_reviewed)
      result->SetOKScaleReviewed();
    return result;
  });
}

void XelMathScaleFunctionX::ComputeScaledDomain(const XelMathInterval& iI,
                                                XelMathInterval& oJ) const {
  oJ = XelMathInterval(iI.low / _variableFactor, iI.high / _variableFactor);
}

void XelMathScaleFunctionX::ComputeUnScaledRoots(const XelMathSetOfPointsND& iS,
                                                 XelMathSetOfPointsND& oT) const {
  oT.Reset();
  const long dim = iS.GetDimension(), nb = iS.GetNumberOfPoints();
  const double* points = iS.GetPoints();
  double local[16];
  double* p = dim <= 16 ? local : new double[dim];
  for (long i = 0; i < nb; i++) {
    for (long k = 0; k < dim; k++)
      p[k] = points[i * dim + k] * _variableFactor;
    oT.AddPoint(p);
  }
  if (p != local)
    delete[] p;
}

// ==== owning variant =====================================================================
XelMathScaleFunctionXDel::XelMathScaleFunctionXDel(XelMathFunctionX* iF, double iFunctionFactor,
                                                   double iVariableFactor)
    : XelMathScaleFunctionX(iF, iFunctionFactor, iVariableFactor) {}

XelMathScaleFunctionXDel::~XelMathScaleFunctionXDel() {
  delete _function;
  _function = nullptr;
}

XelMathDefineOwningVariant(XelMathScaleFunctionXDel, XelMathScaleFunctionX);
