#include "XelMathCompositionXYByRN.h"

#include <memory>

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathFunctionRN.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathWrapperToolsXY.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathComposite;

namespace {
const long LocalComponents = 10;

// Per inner function: value, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy.
const long DerivCount = 10;
// Per inner function, as (low, high) pairs: images of fx, fy, fxx, fxy, fyy.
const long ImagePairs = 10;

// Index of a derivative in a row of DerivCount numbers, the variables given as 0 (x) or 1 (y):
// only the number of y's counts.
inline long First(int p) {
  return 1 + p;
}
inline long Second(int p, int q) {
  return 3 + p + q;
}
inline long Third(int p, int q, int r) {
  return 6 + p + q + r;
}

// The work array: the rows of the f_k (DerivCount N), their values side by side (N), the
// gradient of F (N), its Hessian (N x N), then the derivative images of the f_k (ImagePairs N).
long ImagesOffset(long iN) {
  return (DerivCount + 2) * iN + iN * iN;
}
long WorkSize(long iN) {
  return ImagesOffset(iN) + ImagePairs * iN;
}

// N from F, refused before anything is allocated when the work arrays would not fit in the
// memory services' blocks.
long CheckedDimension(const XelMathFunctionRN* iF) {
  const long n = iF ? iF->GetNumberOfVariables() : 0;
  if (n <= 0)
    return 0;
  const long limit = XelQuorMaxArrayDoubles;
  if (n > limit / (DerivCount + 2 + ImagePairs + 1) || n > limit / n || WorkSize(n) > limit ||
      n > limit / 2)
    XelMathRaise(XelErrorCode::InvalidOption, "Dimension not valid",
                 "a dimension the memory can hold",
                 "XelMathCompositionXYByRN::XelMathCompositionXYByRN");
  return n;
}

XelMathInterval GetPair(const double* iPairs, long j) {
  return XelMathInterval(iPairs[2 * j], iPairs[2 * j + 1]);
}
void SetPair(double* oPairs, long j, const XelMathInterval& iI) {
  oPairs[2 * j] = iI.low;
  oPairs[2 * j + 1] = iI.high;
}

// Number of distinct orderings of the indices k <= l <= m.
double Multiplicity(long k, long l, long m) {
  if (k == l && l == m)
    return 1.0;
  if (k == l || l == m)
    return 3.0;
  return 6.0;
}

} // namespace

XelMathFunctionXY* XelMathFunctionRN::CreateCompositionXY(const XelMathFunctionXY** iG) const {
  return new XelMathCompositionXYByRN(this, iG, XelGetDefaultTolerance());
}

XelMathCompositionXYByRN::XelMathCompositionXYByRN(const XelMathFunctionRN* iF,
                                                   const XelMathFunctionXY** iG,
                                                   const XelTolerance& iTol)
    : _tolerance(&iTol), _n(CheckedDimension(iF)), _outer(iF), _inner(nullptr), _work(nullptr),
      _box(_n) {
  if (_n > 0) {
    _inner = XelMathNewPointers<const XelMathFunctionXY>(_n);
    for (long k = 0; k < _n; k++)
      _inner[k] = iG ? iG[k] : nullptr;
    auto undo = XelMathMakeOnExit([this] { XelMathDelPointers(_inner, _n); });
    _work = XelQuorArrayDoubleNew(WorkSize(_n));
    undo.Dismiss();
  }
}

XelMathCompositionXYByRN::~XelMathCompositionXYByRN() {
  if (_inner)
    XelMathDelPointers(_inner, _n);
  if (_work)
    XelQuorArrayDoubleDel(_work, WorkSize(_n));
}

long XelMathCompositionXYByRN::GetDynamicMemoryBytes() const {
  return _n > 0 ? static_cast<long>(_n * sizeof(void*) + WorkSize(_n) * sizeof(double)) +
                      _box.GetDynamicMemoryBytes()
                : 0;
}

long XelMathCompositionXYByRN::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathCompositionXYByRN, XelMathFunctionXY);

bool XelMathCompositionXYByRN::HasNullComponent() const {
  if (!_outer)
    return true;
  for (long k = 0; k < _n; k++)
    if (!_inner[k])
      return true;
  return false;
}

unsigned char XelMathCompositionXYByRN::IsOption(const long iOption) const {
  const long offered =
      XelMathOption::PointUpToSecond | XelMathOption::ThirdDeriv | XelMathOption::ImageUpToSecond;
  if ((iOption & ~offered) || HasNullComponent())
    return 0;
  const long needed = DerivativeClosure(iOption);
  if (!_outer->IsOption(needed))
    return 0;
  for (long k = 0; k < _n; k++)
    if (!_inner[k]->IsOption(needed))
      return 0;
  return 1;
}

int XelMathCompositionXYByRN::GetDirectComponents(
    const int iSize, const XelMathFunctionGeneral** oComponents) const {
  if (iSize > 0)
    oComponents[0] = _outer;
  for (long k = 0; k < _n && k + 1 < iSize; k++)
    oComponents[k + 1] = _inner[k];
  return static_cast<int>(_n + 1);
}

// ==== the chain rule at a point ==========================================================
bool XelMathCompositionXYByRN::PointDerivatives(const double x, const double y, const int iOrder,
                                                double* oH) const {
  if (HasNullComponent())
    return false;
  const long n = _n;
  double* rows = _work;
  double* u = rows + DerivCount * n;
  double* grad = u + n;
  double* hess = grad + n;
  for (long k = 0; k < n; k++) {
    double* row = rows + DerivCount * k;
    XelMathWrapperXY::DerivativesAt(_inner[k], x, y, iOrder, row);
    u[k] = row[0];
  }
  if (iOrder <= 0) {
    oH[0] = _outer->Eval(u);
    return true;
  }
  _outer->Eval(u, XelMathOption::ValueAndFirst | (iOrder >= 2 ? XelMathOption::SecondDeriv : 0),
               &oH[0], grad, hess);
  auto d = [rows](long k, long i) { return rows[DerivCount * k + i]; };
  for (int p = 0; p < 2; p++) {
    double h = 0.0;
    for (long k = 0; k < n; k++)
      h += grad[k] * d(k, First(p));
    oH[First(p)] = h;
  }
  if (iOrder >= 2) {
    for (int p = 0; p < 2; p++)
      for (int q = p; q < 2; q++) {
        double h = 0.0;
        for (long k = 0; k < n; k++) {
          h += grad[k] * d(k, Second(p, q));
          for (long l = 0; l < n; l++)
            h += hess[k * n + l] * d(k, First(p)) * d(l, First(q));
        }
        oH[Second(p, q)] = h;
      }
  }
  if (iOrder >= 3) {
    // The four third derivatives: directions (p, q, r) with p <= q <= r, r counting the y's.
    static const int Directions[4][3] = {{0, 0, 0}, {0, 0, 1}, {0, 1, 1}, {1, 1, 1}};
    double h3[4] = {0.0, 0.0, 0.0, 0.0};
    for (int t = 0; t < 4; t++) {
      const int p = Directions[t][0], q = Directions[t][1], r = Directions[t][2];
      double h = 0.0;
      for (long k = 0; k < n; k++) {
        h += grad[k] * d(k, Third(p, q, r));
        for (long l = 0; l < n; l++)
          h += hess[k * n + l] *
               (d(k, Second(p, q)) * d(l, First(r)) + d(k, Second(p, r)) * d(l, First(q)) +
                d(k, Second(q, r)) * d(l, First(p)));
      }
      h3[t] = h;
    }
    // sum_klm F_klm f_k,p f_l,q f_m,r over ordered triples: each F_klm with k <= l <= m once,
    // times the sum over its distinct orderings.
    for (long k = 0; k < n; k++)
      for (long l = k; l < n; l++)
        for (long m = l; m < n; m++) {
          const double f3 = _outer->EvalThirdDeriv(k, l, m, u);
          const double share = Multiplicity(k, l, m) / 6.0;
          const long idx[3] = {k, l, m};
          static const int Orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                           {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
          for (int t = 0; t < 4; t++) {
            const int p = Directions[t][0], q = Directions[t][1], r = Directions[t][2];
            double s = 0.0;
            for (const auto& o : Orders)
              s += d(idx[o[0]], First(p)) * d(idx[o[1]], First(q)) * d(idx[o[2]], First(r));
            h3[t] += f3 * share * s;
          }
        }
    for (int t = 0; t < 4; t++)
      oH[6 + t] = h3[t];
  }
  return true;
}

double XelMathCompositionXYByRN::Eval(const double& x, const double& y) const {
  double h[1];
  return PointDerivatives(x, y, 0, h) ? h[0] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalFirstDerivX(const double& x, const double& y) const {
  double h[3];
  return PointDerivatives(x, y, 1, h) ? h[1] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalFirstDerivY(const double& x, const double& y) const {
  double h[3];
  return PointDerivatives(x, y, 1, h) ? h[2] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalSecondDerivX2(const double& x, const double& y) const {
  double h[6];
  return PointDerivatives(x, y, 2, h) ? h[3] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalSecondDerivXY(const double& x, const double& y) const {
  double h[6];
  return PointDerivatives(x, y, 2, h) ? h[4] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalSecondDerivY2(const double& x, const double& y) const {
  double h[6];
  return PointDerivatives(x, y, 2, h) ? h[5] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalThirdDerivX3(const double& x, const double& y) const {
  double h[DerivCount];
  return PointDerivatives(x, y, 3, h) ? h[6] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalThirdDerivX2Y(const double& x, const double& y) const {
  double h[DerivCount];
  return PointDerivatives(x, y, 3, h) ? h[7] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalThirdDerivXY2(const double& x, const double& y) const {
  double h[DerivCount];
  return PointDerivatives(x, y, 3, h) ? h[8] : XelMathInfinite;
}

double XelMathCompositionXYByRN::EvalThirdDerivY3(const double& x, const double& y) const {
  double h[DerivCount];
  return PointDerivatives(x, y, 3, h) ? h[9] : XelMathInfinite;
}

void XelMathCompositionXYByRN::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                                  double& oFx, double& oFy, double& oFxx,
                                                  double& oFxy, double& oFyy, double& oFxxx,
                                                  double& oFxxy, double& oFxyy,
                                                  double& oFyyy) const {
  double h[DerivCount];
  if (!PointDerivatives(x, y, 3, h))
    for (double& v : h)
      v = XelMathInfinite;
  XelMathWrapperXY::UnpackUpToThird(h, oF, oFx, oFy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathCompositionXYByRN::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                                  double& oFxxy, double& oFxyy,
                                                  double& oFyyy) const {
  double h[DerivCount];
  if (!PointDerivatives(x, y, 3, h))
    for (double& v : h)
      v = XelMathInfinite;
  XelMathWrapperXY::UnpackThirds(h, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathCompositionXYByRN::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                    double* oFx, double* oFy, double* oFxx, double* oFxy,
                                    double* oFyy) const {
  const int order = PointOrder(iDiff);
  if (order < 0)
    return;
  double h[6] = {XelMathInfinite, XelMathInfinite, XelMathInfinite,
                 XelMathInfinite, XelMathInfinite, XelMathInfinite};
  if (!PointDerivatives(x, y, order, h))
    for (double& v : h)
      v = XelMathInfinite;
  double* outputs[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
  const long bits[6] = {XelMathOption::Value,       XelMathOption::FirstDeriv,
                        XelMathOption::FirstDeriv,  XelMathOption::SecondDeriv,
                        XelMathOption::SecondDeriv, XelMathOption::SecondDeriv};
  for (int i = 0; i < 6; i++)
    if (outputs[i] && (iDiff & bits[i]))
      *outputs[i] = h[i];
}

// ==== the chain rule over a box ==========================================================
bool XelMathCompositionXYByRN::IntervalDerivatives(const XelMathInterval& iI,
                                                   const XelMathInterval& iJ, const int iOrder,
                                                   XelMathInterval* oH) const {
  if (HasNullComponent())
    return false;
  const long n = _n;
  const XelTolerance& tol = _tolerance ? *_tolerance : XelGetDefaultTolerance();
  double* pairs = _work + ImagesOffset(n);
  // The images of each f_k, asked one by one when f_k does not offer them all (derivative
  // images without information must not narrow its value image).
  const long asked = iOrder >= 2 ? XelMathOption::ImageUpToSecond : XelMathOption::ImageAndFirst;
  for (long k = 0; k < n; k++) {
    const XelMathWrapperXY::Images d = XelMathWrapperXY::ImagesOf(_inner[k], iI, iJ, asked, tol);
    _box.SetInterval(k, d.f);
    const XelMathInterval derivatives[5] = {d.fx, d.fy, d.fxx, d.fxy, d.fyy};
    for (int i = 0; i < 5; i++)
      SetPair(pairs, ImagePairs / 2 * k + i, derivatives[i]);
  }
  const XelMathIntervalND& box = _box;
  auto a = [pairs](long k, long i) { return GetPair(pairs, ImagePairs / 2 * k + i - 1); };
  if (iOrder <= 1) {
    for (int p = 0; p < 2; p++) {
      XelMathInterval h = Zero();
      for (long k = 0; k < n; k++)
        h = Add(h, Mul(_outer->EvalFirstDeriv(k, box), a(k, First(p))));
      oH[p] = h;
    }
    return true;
  }
  for (int p = 0; p < 2; p++)
    for (int q = p; q < 2; q++) {
      XelMathInterval h = Zero();
      for (long k = 0; k < n; k++) {
        h = Add(h, Mul(_outer->EvalFirstDeriv(k, box), a(k, Second(p, q))));
        const XelMathInterval fp = a(k, First(p)), fq = a(k, First(q));
        h = Add(h, Mul(_outer->EvalSecondDeriv(k, k, box), p == q ? square(fp) : Mul(fp, fq)));
        for (long l = k + 1; l < n; l++) {
          const XelMathInterval cross = p == q
                                            ? Scale(2.0, Mul(fp, a(l, First(p))))
                                            : Add(Mul(fp, a(l, First(q))), Mul(a(l, First(p)), fq));
          h = Add(h, Mul(_outer->EvalSecondDeriv(k, l, box), cross));
        }
      }
      oH[p + q] = h;
    }
  return true;
}

XelMathInterval XelMathCompositionXYByRN::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                               const XelTolerance& iTol) const {
  if (HasNullComponent())
    return Zero();
  if (!_outer->IsOption(XelMathOption::Image))
    return XelMathFunctionXY::Eval(iI, iJ, iTol);
  for (long k = 0; k < _n; k++)
    _box.SetInterval(k, _inner[k]->Eval(iI, iJ, iTol));
  const XelMathIntervalND& box = _box;
  return _outer->Eval(box);
}

XelMathInterval XelMathCompositionXYByRN::EvalFirstDerivX(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ) const {
  XelMathInterval h[2];
  return IntervalDerivatives(iI, iJ, 1, h) ? h[0] : Zero();
}

XelMathInterval XelMathCompositionXYByRN::EvalFirstDerivY(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ) const {
  XelMathInterval h[2];
  return IntervalDerivatives(iI, iJ, 1, h) ? h[1] : Zero();
}

XelMathInterval XelMathCompositionXYByRN::EvalSecondDerivX2(const XelMathInterval& iI,
                                                            const XelMathInterval& iJ) const {
  XelMathInterval h[3];
  return IntervalDerivatives(iI, iJ, 2, h) ? h[0] : Zero();
}

XelMathInterval XelMathCompositionXYByRN::EvalSecondDerivXY(const XelMathInterval& iI,
                                                            const XelMathInterval& iJ) const {
  XelMathInterval h[3];
  return IntervalDerivatives(iI, iJ, 2, h) ? h[1] : Zero();
}

XelMathInterval XelMathCompositionXYByRN::EvalSecondDerivY2(const XelMathInterval& iI,
                                                            const XelMathInterval& iJ) const {
  XelMathInterval h[3];
  return IntervalDerivatives(iI, iJ, 2, h) ? h[2] : Zero();
}

// ==== copies =============================================================================
XelMathFunctionXY* XelMathCompositionXYByRN::Duplicate() const {
  return new XelMathCompositionXYByRN(_outer, _inner, *_tolerance);
}

XelMathFunctionXY* XelMathCompositionXYByRN::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionRN> outer(_outer ? _outer->DeepDuplicate() : nullptr);
  XelMathScratchPointers<XelMathFunctionXY, LocalComponents> copies(_n);
  XelMathWrapperXY::DeepCopies(_n, _inner, copies.Data());
  auto undo = XelMathMakeOnExit([&] { XelMathWrapperXY::DeleteOnce(_n, copies.Data()); });
  XelMathFunctionXY* result =
      new XelMathCompositionXYByRNDel(outer.get(), copies.Data(), *_tolerance);
  undo.Dismiss();
  outer.release();
  return result;
}

// ==== owning variant =====================================================================
XelMathCompositionXYByRNDel::XelMathCompositionXYByRNDel(XelMathFunctionRN* iF,
                                                         XelMathFunctionXY** iG,
                                                         const XelTolerance& iTol)
    : XelMathCompositionXYByRN(iF, const_cast<const XelMathFunctionXY**>(iG), iTol) {}

XelMathCompositionXYByRNDel::~XelMathCompositionXYByRNDel() {
  if (_inner) {
    XelMathWrapperXY::DeleteOnce(_n, _inner);
    for (long k = 0; k < _n; k++)
      _inner[k] = nullptr;
  }
  delete _outer;
  _outer = nullptr;
}

XelMathDefineOwningVariantXY(XelMathCompositionXYByRNDel, XelMathCompositionXYByRN);
