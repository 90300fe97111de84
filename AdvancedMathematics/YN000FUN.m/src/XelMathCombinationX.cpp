#include "XelMathCombinationX.h"

#include "XelMathBatchTools.h"
#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathHorner.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathPolynomX.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"

#include <typeinfo>

using namespace XelMathComposite;

namespace {
// Components deep-copied on the stack up to this count, on the heap beyond.
const long LocalComponents = 10;
// The component as a general polynomial when that is its very class (not a subclass): its
// point operations are then run here by the same kernels, without a call.
inline const XelMathPolynomX* PlainPolynomial(const XelMathFunctionX* iF) {
  return &typeid(*iF) == &typeid(XelMathPolynomX) ? static_cast<const XelMathPolynomX*>(iF)
                                                  : nullptr;
}

// Deletes the first iN copies of oCopies (used when a later copy raises).
void DeleteCopies(long iN, XelMathFunctionX** ioCopies) {
  for (long i = 0; i < iN; i++)
    delete ioCopies[i];
}

// The batch of derivatives of iK[iNb] + sum iK[i] iF[i] when every iF[i] (at most
// LocalComponents) is a general polynomial of degree >= 0, with no call per component; false,
// nothing done, otherwise.
bool PolynomialPoints(const long iNb, const XelMathFunctionX* const* iF, const double* iK,
                      const long iN, const double* iX, const long iOptions,
                      const XelMathBatch::Asked& iAsked, double* oF, double* oF1, double* oF2) {
  using XelMathBatch::Lanes;
  using namespace XelMathHornerKernels;
  // Values alone go faster through the components' own batches (fixed-degree kernels).
  const bool valueOnly = (iOptions & XelMathOption::FirstAndSecond) == 0;
  if (iNb > LocalComponents || valueOnly)
    return false;
  const double* c[LocalComponents];
  long d[LocalComponents];
  double s[LocalComponents];
  for (long i = 0; i < iNb; i++) {
    const XelMathPolynomX* p = PlainPolynomial(iF[i]);
    if (!p || p->GetDegree() < 0)
      return false;
    c[i] = p->GetCoefficientsPointer();
    d[i] = p->GetDegree();
    s[i] = p->GetShift();
  }
  // Block by block, each polynomial's value and derivatives evaluated in registers by the
  // kernels of its own batch and added at once, in the order of the point operation.
  const double* k = iK;
  XelMathBatch::ForEachBlock(
      iN, iX, [&](const Lanes& x, const long iStart, const long iCount) XelMathBlockKernel {
        Lanes h = Lanes::Splat(k[iNb]), h1 = Lanes::Splat(0.0), h2 = h1;
        for (long i = 0; i < iNb; i++) {
          const Lanes t = x - s[i];
          Lanes v, v1, v2;
          if (iAsked.f2) {
            HornerAllLanes<true>(c[i], d[i], t, v, v1, v2);
            h2 = h2 + k[i] * v2;
          } else {
            HornerAllLanes<false>(c[i], d[i], t, v, v1, v2);
          }
          h = h + k[i] * v;
          h1 = h1 + k[i] * v1;
        }
        if (iAsked.f)
          h.Store(iCount, oF + iStart);
        if (iAsked.f1)
          h1.Store(iCount, oF1 + iStart);
        if (iAsked.f2)
          h2.Store(iCount, oF2 + iStart);
      });
  return true;
}
} // namespace

// ==== construction =======================================================================
XelMathCombinationX::XelMathCombinationX(const long& iN, const XelMathFunctionX** iF,
                                         const double* iC, const double iC0)
    : _n(0), _coefficients(nullptr), _functions(nullptr) {
  Allocate(iN, iC, iC0);
  for (long i = 0; i < _n; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathCombinationX::XelMathCombinationX(const long iN, const double* iC, const double iC0)
    : _n(0), _coefficients(nullptr), _functions(nullptr) {
  Allocate(iN, iC, iC0);
}

void XelMathCombinationX::Allocate(long iN, const double* iC, const double iC0) {
  XelMathCheckDimension(iN, 1, "the number of functions",
                        "XelMathCombinationX::XelMathCombinationX");
  _n = iN > 0 ? iN : 0;
  _coefficients = XelQuorArrayDoubleNew(_n + 1);
  for (long i = 0; i < _n; i++)
    _coefficients[i] = iC ? iC[i] : 0.0;
  _coefficients[_n] = iC0;
  if (_n > 0) {
    _functions = static_cast<const XelMathFunctionX**>(static_cast<void*>(XelQuorArrayPtrsNew(_n)));
    for (long i = 0; i < _n; i++)
      _functions[i] = nullptr;
  }
}

XelMathCombinationX::~XelMathCombinationX() {
  XelQuorArrayDoubleDel(_coefficients, _n + 1);
  if (_functions)
    XelQuorArrayPtrsDel(
        static_cast<void**>(const_cast<void*>(static_cast<const void*>(_functions))), _n);
}

long XelMathCombinationX::GetDynamicMemoryBytes() const {
  return static_cast<long>((_n + 1) * sizeof(double) + _n * sizeof(void*));
}

long XelMathCombinationX::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

// ==== identity ===========================================================================
XelMathDefineIdentity(XelMathCombinationX, XelMathFunctionX);

XelMathDefineTypeId(XelMathCombinationX, XelMathFunctionX, XelMathTypeId::Combination);

unsigned char XelMathCombinationX::IsOption(const long iOption) const {
  for (long i = 0; i < _n; i++)
    if (!_functions[i] || !_functions[i]->IsOption(iOption))
      return 0;
  return 1;
}

int XelMathCombinationX::GetDirectComponents(const int iSize,
                                             const XelMathFunctionGeneral** oComponents) const {
  for (long i = 0; i < _n && i < iSize; i++)
    oComponents[i] = _functions[i];
  return static_cast<int>(_n);
}

// ==== point evaluations ==================================================================
double XelMathCombinationX::Eval(const double& x) const {
  if (HasNull(_n, _functions))
    return XelMathInfinite;
  double h = _coefficients[_n];
  for (long i = 0; i < _n; i++) {
    const XelMathFunctionX* f = _functions[i];
    const XelMathPolynomX* p = PlainPolynomial(f);
    h += _coefficients[i] * (p ? XelMathHornerKernels::HornerKernel(
                                     p->GetCoefficientsPointer(), p->GetDegree(), x - p->GetShift())
                               : f->Eval(x));
  }
  return h;
}

double XelMathCombinationX::EvalFirstDeriv(const double& x) const {
  if (HasNull(_n, _functions))
    return XelMathInfinite;
  double h = 0.0;
  for (long i = 0; i < _n; i++)
    h += _coefficients[i] * _functions[i]->EvalFirstDeriv(x);
  return h;
}

double XelMathCombinationX::EvalSecondDeriv(const double& x) const {
  if (HasNull(_n, _functions))
    return XelMathInfinite;
  double h = 0.0;
  for (long i = 0; i < _n; i++)
    h += _coefficients[i] * _functions[i]->EvalSecondDeriv(x);
  return h;
}

double XelMathCombinationX::EvalThirdDeriv(const double& x) const {
  if (HasNull(_n, _functions))
    return XelMathInfinite;
  double h = 0.0;
  for (long i = 0; i < _n; i++)
    h += _coefficients[i] * _functions[i]->EvalThirdDeriv(x);
  return h;
}

void XelMathCombinationX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                               double* oF2) const {
  const bool wantF = oF && (iOptions & XelMathOption::Value),
             wantF1 = oF1 && (iOptions & XelMathOption::FirstDeriv),
             wantF2 = oF2 && (iOptions & XelMathOption::SecondDeriv);
  const long options = (wantF ? XelMathOption::Value : 0) |
                       (wantF1 ? XelMathOption::FirstDeriv : 0) |
                       (wantF2 ? XelMathOption::SecondDeriv : 0);
  double h = _coefficients[_n], h1 = 0.0, h2 = 0.0;
  // One pass: a null component is detected where it is met (the values are then infinite).
  for (long i = 0; i < _n; i++) {
    const XelMathFunctionX* f = _functions[i];
    if (!f) {
      h = h1 = h2 = XelMathInfinite;
      break;
    }
    if (!options)
      continue;
    double v = 0.0, d1 = 0.0, d2 = 0.0;
    if (const XelMathPolynomX* p = PlainPolynomial(f)) {
      // The polynomial's own multi-output evaluation, without the call.
      const double t = x - p->GetShift();
      if ((options & XelMathOption::FirstAndSecond) == 0)
        v = XelMathHornerKernels::HornerKernel(p->GetCoefficientsPointer(), p->GetDegree(), t);
      else
        XelMathHornerKernels::HornerAll(p->GetCoefficientsPointer(), p->GetDegree(), t, v, d1, d2);
    } else {
      f->Eval(x, options, &v, &d1, &d2);
    }
    const double c = _coefficients[i];
    h += c * v;
    h1 += c * d1;
    h2 += c * d2;
  }
  if (wantF)
    *oF = h;
  if (wantF1)
    *oF1 = h1;
  if (wantF2)
    *oF2 = h2;
}

void XelMathCombinationX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                     double* oF, double* oF1, double* oF2) const {
  using XelMathBatch::Block;
  using XelMathBatch::Chunk;
  using XelMathBatch::Lanes;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (HasNull(_n, _functions)) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  const long options = asked.Options();
  if (PolynomialPoints(_n, _functions, _coefficients, iN, iX, iOptions, asked, oF, oF1, oF2))
    return;
  double* const out[3] = {oF, oF1, oF2};
  // The sums go straight to the outputs for a whole chunk that no output overwrites.
  const bool direct = oF != iX && oF1 != iX && oF2 != iX;
  const long group = 4; // components evaluated before their values are added
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    // The sums of the point operation, in its order: from the constant (0 for a derivative),
    // component by component, on whole blocks of points.
    const XelMathBatch::PaddedChunk x(iX + iStart, iCount);
    const long m = x.Count();
    double local[3][Chunk], v[group][3][Chunk];
    double* h[3] = {local[0], local[1], local[2]};
    for (int k = 0; k < 3; k++)
      if (direct && m == iCount && (options & (XelMathOption::Value << k)))
        h[k] = out[k] + iStart;
    for (long first = 0; first == 0 || first < _n; first += group) {
      const long count = _n - first < group ? _n - first : group;
      for (long i = 0; i < count; i++)
        _functions[first + i]->EvalPoints(m, x.X(), options, v[i][0], v[i][1], v[i][2]);
      const double* c = _coefficients + first;
      for (int k = 0; k < 3; k++) {
        if (!(options & (XelMathOption::Value << k)))
          continue;
        const Lanes start = Lanes::Splat(k == 0 ? _coefficients[_n] : 0.0);
        for (long j = 0; j < m; j += Block) {
          Lanes sum = first == 0 ? start : Lanes::Load(h[k] + j);
          for (long i = 0; i < count; i++)
            sum = sum + c[i] * Lanes::Load(v[i][k] + j);
          sum.StoreAll(h[k] + j);
        }
      }
    }
    for (int k = 0; k < 3; k++)
      if ((options & (XelMathOption::Value << k)) && h[k] == local[k])
        for (long j = 0; j < iCount; j++)
          out[k][iStart + j] = local[k][j];
  });
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathCombinationX::Eval(const XelMathInterval& iI) const {
  if (HasNull(_n, _functions))
    return Zero();
  XelMathInterval h = Zero();
  for (long i = 0; i < _n; i++)
    h = Add(h, Scale(_coefficients[i], _functions[i]->Eval(iI)));
  return Shift(h, _coefficients[_n]);
}

XelMathInterval XelMathCombinationX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (HasNull(_n, _functions))
    return Zero();
  XelMathInterval h = Zero();
  for (long i = 0; i < _n; i++)
    h = Add(h, Scale(_coefficients[i], _functions[i]->EvalFirstDeriv(iI)));
  return h;
}

XelMathInterval XelMathCombinationX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (HasNull(_n, _functions))
    return Zero();
  XelMathInterval h = Zero();
  for (long i = 0; i < _n; i++)
    h = Add(h, Scale(_coefficients[i], _functions[i]->EvalSecondDeriv(iI)));
  return h;
}

XelMathInterval XelMathCombinationX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (HasNull(_n, _functions))
    return Zero();
  XelMathInterval h = Zero();
  for (long i = 0; i < _n; i++)
    h = Add(h, Scale(_coefficients[i], _functions[i]->EvalThirdDeriv(iI)));
  return h;
}

void XelMathCombinationX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                               XelMathInterval* oF1, XelMathInterval* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Image, oF, oF1, oF2);
  XelMathInterval h = Zero(), h1 = Zero(), h2 = Zero();
  if (!HasNull(_n, _functions)) {
    const long options = (wantF ? XelMathOption::Image : 0) |
                         (wantF1 ? XelMathOption::FirstDerivImage : 0) |
                         (wantF2 ? XelMathOption::SecondDerivImage : 0);
    for (long i = 0; i < _n && options; i++) {
      XelMathInterval v, d1, d2;
      _functions[i]->Eval(iI, options, &v, &d1, &d2);
      h = Add(h, Scale(_coefficients[i], v));
      h1 = Add(h1, Scale(_coefficients[i], d1));
      h2 = Add(h2, Scale(_coefficients[i], d2));
    }
    h = Shift(h, _coefficients[_n]);
  }
  if (wantF)
    *oF = h;
  if (wantF1)
    *oF1 = h1;
  if (wantF2)
    *oF2 = h2;
}

// ==== copies and construction ============================================================
XelMathFunctionX* XelMathCombinationX::Duplicate() const {
  return new XelMathCombinationX(_n, _functions, _coefficients, _coefficients[_n]);
}

XelMathFunctionX* XelMathCombinationX::DeepDuplicate() const {
  XelMathScratchPointers<XelMathFunctionX, LocalComponents> copies(_n);
  return OwnDeepCopies(_n, _functions, copies.Data(), [this](XelMathFunctionX** iC) {
    return new XelMathCombinationXDel(_n, iC, _coefficients, _coefficients[_n]);
  });
}

XelMathFunctionX* XelMathCombinationX::CreateDeriv() const {
  if (HasNull(_n, _functions))
    return XelMathFunctionX::CreateDeriv();
  XelMathScratchPointers<XelMathFunctionX, LocalComponents> scratch(_n);
  XelMathFunctionX** derivs = scratch.Data();
  long done = 0;
  // The derivatives are deleted on every way out but the one that hands them to the result.
  auto undo = XelMathMakeOnExit([&] { DeleteCopies(done, derivs); });
  for (; done < _n; done++)
    derivs[done] = _functions[done]->CreateDeriv();
  // A closed form of the first derivative's class (polynomials add up to a polynomial).
  if (_n > 0 && derivs[0]) {
    XelMathFunctionX* formal = derivs[0]->FormalCombination(
        _n, const_cast<const XelMathFunctionX**>(derivs), _coefficients, 0.0);
    if (formal)
      return formal;
  }
  XelMathFunctionX* result = new XelMathCombinationXDel(_n, derivs, _coefficients, 0.0);
  undo.Dismiss();
  return result;
}

XelMathFunctionX* CreateCombination(const long iN, const XelMathFunctionX** iF, const double* iC,
                                    const double iC0) {
  if (iN > 0 && (!iF || !iF[0]))
    return nullptr;
  // Before a formal combination reads the iN entries.
  XelMathCheckDimension(iN, 1, "the number of functions", "CreateCombination");
  if (iN > 0) {
    XelMathFunctionX* formal = iF[0]->FormalCombination(iN, iF, iC, iC0);
    if (formal)
      return formal;
  }
  return new XelMathCombinationX(iN, iF, iC, iC0);
}

// ==== owning variant =====================================================================
XelMathCombinationXDel::XelMathCombinationXDel(const long& iN, XelMathFunctionX** iF,
                                               const double* iC, const double iC0)
    : XelMathCombinationX(iN, iC, iC0) {
  for (long i = 0; i < _n; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathCombinationXDel::~XelMathCombinationXDel() {
  // A function given twice is deleted once.
  DeleteOnce(_n, _functions);
  for (long i = 0; i < _n; i++)
    _functions[i] = nullptr;
}

XelMathDefineOwningVariant(XelMathCombinationXDel, XelMathCombinationX);
