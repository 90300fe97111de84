#include "XelMathCompositionXByRN.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathFunctionRN.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"

using namespace XelMathComposite;

namespace {
const long LocalComponents = 10;

long WorkSize(long iN) {
  return 11 * iN + iN * iN;
}

// Interval number j of an array of intervals stored as (low, high) pairs.
XelMathInterval GetPair(const double* iPairs, long j) {
  return XelMathInterval(iPairs[2 * j], iPairs[2 * j + 1]);
}
void SetPair(double* oPairs, long j, const XelMathInterval& iI) {
  oPairs[2 * j] = iI.low;
  oPairs[2 * j + 1] = iI.high;
}

// Number of distinct orderings of the indices j <= k <= l.
double Multiplicity(long j, long k, long l) {
  if (j == k && k == l)
    return 1.0;
  if (j == k || k == l)
    return 3.0;
  return 6.0;
}
} // namespace

XelMathFunctionX* XelMathFunctionRN::CreateCompositionX(const XelMathFunctionX** iG) const {
  return new XelMathCompositionXByRN(this, iG);
}

XelMathCompositionXByRN::XelMathCompositionXByRN(const XelMathFunctionRN* iF,
                                                 const XelMathFunctionX** iG)
    : _n(iF ? iF->GetNumberOfVariables() : 0), _outer(iF), _inner(nullptr), _work(nullptr),
      _box(_n > 0 ? _n : 0) {
  if (_n < 0)
    _n = 0;
  if (_n > 0) {
    _inner = XelMathNewPointers<const XelMathFunctionX>(_n);
    for (long j = 0; j < _n; j++)
      _inner[j] = iG ? iG[j] : nullptr;
    _work = XelQuorArrayDoubleNew(WorkSize(_n));
  }
}

XelMathCompositionXByRN::~XelMathCompositionXByRN() {
  if (_inner)
    XelMathDelPointers(_inner, _n);
  if (_work)
    XelQuorArrayDoubleDel(_work, WorkSize(_n));
}

long XelMathCompositionXByRN::GetDynamicMemoryBytes() const {
  return _n > 0 ? static_cast<long>(_n * sizeof(void*) + WorkSize(_n) * sizeof(double)) +
                      _box.GetDynamicMemoryBytes()
                : 0;
}

XelMathDefineIdentity(XelMathCompositionXByRN, XelMathFunctionX);

XelMathDefineTypeId(XelMathCompositionXByRN, XelMathFunctionX, XelMathTypeId::CompositionXByRN);

bool XelMathCompositionXByRN::HasNullComponent() const {
  return !_outer || HasNull(_n, _inner);
}

unsigned char XelMathCompositionXByRN::IsOption(const long iOption) const {
  if (HasNullComponent())
    return 0;
  const long needed = DerivativeClosure(iOption);
  if (!_outer->IsOption(needed))
    return 0;
  for (long j = 0; j < _n; j++)
    if (!_inner[j]->IsOption(needed))
      return 0;
  return 1;
}

int XelMathCompositionXByRN::GetDirectComponents(const int iSize,
                                                 const XelMathFunctionGeneral** oComponents) const {
  if (iSize > 0)
    oComponents[0] = _outer;
  for (long j = 0; j < _n && j + 1 < iSize; j++)
    oComponents[j + 1] = _inner[j];
  return static_cast<int>(_n + 1);
}

// ==== the chain rule at a point ==========================================================
bool XelMathCompositionXByRN::PointDerivatives(const double x, const int iOrder, double* oH) const {
  if (HasNullComponent())
    return false;
  const long n = _n;
  double* u = _work;
  double* g1 = u + n;
  double* g2 = u + 2 * n;
  double* g3 = u + 3 * n;
  double* grad = u + 4 * n;
  double* hess = u + 5 * n;
  for (long j = 0; j < n; j++) {
    double d[4] = {0.0, 0.0, 0.0, 0.0};
    EvalUpTo(_inner[j], x, iOrder, d);
    u[j] = d[0];
    g1[j] = d[1];
    g2[j] = d[2];
    g3[j] = d[3];
  }
  if (iOrder <= 0) {
    oH[0] = _outer->Eval(u);
    return true;
  }
  _outer->Eval(u, XelMathOption::ValueAndFirst | (iOrder >= 2 ? XelMathOption::SecondDeriv : 0),
               &oH[0], grad, hess);
  double h1 = 0.0;
  for (long j = 0; j < n; j++)
    h1 += grad[j] * g1[j];
  oH[1] = h1;
  if (iOrder >= 2) {
    double h2 = 0.0;
    for (long j = 0; j < n; j++) {
      h2 += grad[j] * g2[j];
      for (long k = 0; k < n; k++)
        h2 += hess[j * n + k] * g1[j] * g1[k];
    }
    oH[2] = h2;
  }
  if (iOrder >= 3) {
    double h3 = 0.0;
    for (long j = 0; j < n; j++) {
      h3 += grad[j] * g3[j];
      for (long k = 0; k < n; k++)
        h3 += 3.0 * hess[j * n + k] * g2[j] * g1[k];
      for (long k = j; k < n; k++)
        for (long l = k; l < n; l++)
          h3 += Multiplicity(j, k, l) * _outer->EvalThirdDeriv(j, k, l, u) * g1[j] * g1[k] * g1[l];
    }
    oH[3] = h3;
  }
  return true;
}

double XelMathCompositionXByRN::Eval(const double& x) const {
  double h[1];
  return PointDerivatives(x, 0, h) ? h[0] : XelMathInfinite;
}

double XelMathCompositionXByRN::EvalFirstDeriv(const double& x) const {
  double h[2];
  return PointDerivatives(x, 1, h) ? h[1] : XelMathInfinite;
}

double XelMathCompositionXByRN::EvalSecondDeriv(const double& x) const {
  double h[3];
  return PointDerivatives(x, 2, h) ? h[2] : XelMathInfinite;
}

double XelMathCompositionXByRN::EvalThirdDeriv(const double& x) const {
  double h[4];
  return PointDerivatives(x, 3, h) ? h[3] : XelMathInfinite;
}

void XelMathCompositionXByRN::Eval(const double x, const long iOptions, double* oF, double* oF1,
                                   double* oF2) const {
  EvalAsked(iOptions, 1, XelMathInfinite, oF, oF1, oF2, [&](const int iOrder, double* oH) {
    if (!PointDerivatives(x, iOrder, oH))
      oH[0] = oH[1] = oH[2] = XelMathInfinite;
  });
}

// ==== the chain rule over an interval ====================================================
bool XelMathCompositionXByRN::IntervalDerivatives(const XelMathInterval& iI, const int iOrder,
                                                  XelMathInterval* oH) const {
  if (HasNullComponent())
    return false;
  const long n = _n;
  double* pairs = _work + 5 * n + n * n;
  double* g1 = pairs;
  double* g2 = pairs + 2 * n;
  double* g3 = pairs + 4 * n;
  for (long j = 0; j < n; j++) {
    XelMathInterval d[4];
    EvalUpTo(_inner[j], iI, iOrder, d);
    _box.SetInterval(j, d[0]);
    SetPair(g1, j, d[1]);
    SetPair(g2, j, d[2]);
    SetPair(g3, j, d[3]);
  }
  const XelMathIntervalND& box = _box;
  oH[0] = _outer->Eval(box);
  if (iOrder >= 1) {
    XelMathInterval h1 = Zero();
    for (long j = 0; j < n; j++)
      h1 = Add(h1, Mul(_outer->EvalFirstDeriv(j, box), GetPair(g1, j)));
    oH[1] = h1;
  }
  if (iOrder >= 2) {
    XelMathInterval h2 = Zero();
    for (long j = 0; j < n; j++) {
      const XelMathInterval a = GetPair(g1, j);
      h2 = Add(h2, Mul(_outer->EvalFirstDeriv(j, box), GetPair(g2, j)));
      h2 = Add(h2, Mul(_outer->EvalSecondDeriv(j, j, box), square(a)));
      for (long k = j + 1; k < n; k++)
        h2 = Add(h2, Scale(2.0, Mul(_outer->EvalSecondDeriv(j, k, box), Mul(a, GetPair(g1, k)))));
    }
    oH[2] = h2;
  }
  if (iOrder >= 3) {
    XelMathInterval h3 = Zero();
    for (long j = 0; j < n; j++) {
      const XelMathInterval a = GetPair(g1, j);
      h3 = Add(h3, Mul(_outer->EvalFirstDeriv(j, box), GetPair(g3, j)));
      for (long k = 0; k < n; k++)
        h3 = Add(h3, Scale(3.0, Mul(_outer->EvalSecondDeriv(j, k, box),
                                    Mul(GetPair(g2, j), GetPair(g1, k)))));
      for (long k = j; k < n; k++)
        for (long l = k; l < n; l++) {
          XelMathInterval p;
          if (j == l)
            p = Cube(a);
          else if (j == k)
            p = Mul(square(a), GetPair(g1, l));
          else if (k == l)
            p = Mul(a, square(GetPair(g1, k)));
          else
            p = Mul(Mul(a, GetPair(g1, k)), GetPair(g1, l));
          h3 = Add(h3, Scale(Multiplicity(j, k, l), Mul(_outer->EvalThirdDeriv(j, k, l, box), p)));
        }
    }
    oH[3] = h3;
  }
  return true;
}

XelMathInterval XelMathCompositionXByRN::Eval(const XelMathInterval& iI) const {
  XelMathInterval h[1];
  return IntervalDerivatives(iI, 0, h) ? h[0] : Zero();
}

XelMathInterval XelMathCompositionXByRN::EvalFirstDeriv(const XelMathInterval& iI) const {
  XelMathInterval h[2];
  return IntervalDerivatives(iI, 1, h) ? h[1] : Zero();
}

XelMathInterval XelMathCompositionXByRN::EvalSecondDeriv(const XelMathInterval& iI) const {
  XelMathInterval h[3];
  return IntervalDerivatives(iI, 2, h) ? h[2] : Zero();
}

XelMathInterval XelMathCompositionXByRN::EvalThirdDeriv(const XelMathInterval& iI) const {
  XelMathInterval h[4];
  return IntervalDerivatives(iI, 3, h) ? h[3] : Zero();
}

void XelMathCompositionXByRN::Eval(const XelMathInterval& iI, const long iOptions,
                                   XelMathInterval* oF, XelMathInterval* oF1,
                                   XelMathInterval* oF2) const {
  EvalAsked(iOptions, 16, XelMathInterval(), oF, oF1, oF2,
            [&](const int iOrder, XelMathInterval* oH) {
              if (!IntervalDerivatives(iI, iOrder, oH))
                oH[0] = oH[1] = oH[2] = Zero();
            });
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathCompositionXByRN::Duplicate() const {
  if (!_outer)
    return new XelMathCompositionXByRN(nullptr, nullptr);
  return new XelMathCompositionXByRN(_outer, _inner);
}

XelMathFunctionX* XelMathCompositionXByRN::DeepDuplicate() const {
  XelMathScratchPointers<XelMathFunctionX, LocalComponents> copies(_n);
  std::unique_ptr<XelMathFunctionRN> outer(_outer ? _outer->DeepDuplicate() : nullptr);
  XelMathFunctionX* result =
      OwnDeepCopies(_n, _inner, copies.Data(), [&outer](XelMathFunctionX** iC) {
        return new XelMathCompositionXByRNDel(outer.get(), iC);
      });
  outer.release();
  return result;
}

// ==== owning variant =====================================================================
XelMathCompositionXByRNDel::XelMathCompositionXByRNDel(XelMathFunctionRN* iF, XelMathFunctionX** iG)
    : XelMathCompositionXByRN(iF, const_cast<const XelMathFunctionX**>(iG)) {}

XelMathCompositionXByRNDel::~XelMathCompositionXByRNDel() {
  if (_inner) {
    DeleteOnce(_n, _inner);
    for (long j = 0; j < _n; j++)
      _inner[j] = nullptr;
  }
  delete _outer;
  _outer = nullptr;
}

XelMathDefineOwningVariant(XelMathCompositionXByRNDel, XelMathCompositionXByRN);
