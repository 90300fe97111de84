#include "XelMathCombinationX.h"

#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"

using namespace XelMathComposite;

namespace {
// Components deep-copied on the stack up to this count, on the heap beyond.
const long LocalComponents = 10;

// Deletes the first iN copies of oCopies (used when a later copy raises).
void DeleteCopies(long iN, XelMathFunctionX** ioCopies) {
  for (long i = 0; i < iN; i++)
    delete ioCopies[i];
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
  for (long i = 0; i < _n; i++)
    h += _coefficients[i] * _functions[i]->Eval(x);
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
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
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
    f->Eval(x, options, &v, &d1, &d2);
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

void XelMathCombinationX::EvalPoints(const long iN, const double* iX, const long iOptions,
                             double* oF, double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (HasNull(_n, _functions)) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  const long options = asked.Options();
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    // The sums of the point operation, in its order: from the constant, component by component.
    double h[Chunk], h1[Chunk], h2[Chunk], v[Chunk], d1[Chunk], d2[Chunk];
    const double c0 = _coefficients[_n];
    for (long j = 0; j < iCount; j++) {
      h[j] = c0;
      h1[j] = h2[j] = 0.0;
    }
    for (long i = 0; i < _n; i++) {
      _functions[i]->EvalPoints(iCount, iX + iStart, options, v, d1, d2);
      const double c = _coefficients[i];
      if (asked.f)
        for (long j = 0; j < iCount; j++)
          h[j] += c * v[j];
      if (asked.f1)
        for (long j = 0; j < iCount; j++)
          h1[j] += c * d1[j];
      if (asked.f2)
        for (long j = 0; j < iCount; j++)
          h2[j] += c * d2[j];
    }
    for (long j = 0; j < iCount; j++) {
      if (asked.f)
        oF[iStart + j] = h[j];
      if (asked.f1)
        oF1[iStart + j] = h1[j];
      if (asked.f2)
        oF2[iStart + j] = h2[j];
    }
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
