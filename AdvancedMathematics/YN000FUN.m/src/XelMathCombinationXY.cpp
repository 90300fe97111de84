#include "XelMathCombinationXY.h"

#include "XelMathConstants.h"
#include "XelMathIdentity.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathWrapperToolsXY.h"
#include "XelQuorMemory.h"

using namespace XelMathWrapperXY;
using XelMathElementary::Add;
using XelMathElementary::Scale;
using XelMathElementary::Shift;
using XelMathElementary::Zero;

namespace {
// Components deep-copied (or differentiated) on the stack up to this count, on the heap beyond.
const long LocalComponents = 10;

/// ioSum += iC iJ, member by member.
void AddScaled(Jet& ioSum, const double iC, const Jet& iJ) {
  ioSum.f += iC * iJ.f;
  ioSum.fx += iC * iJ.fx;
  ioSum.fy += iC * iJ.fy;
  ioSum.fxx += iC * iJ.fxx;
  ioSum.fxy += iC * iJ.fxy;
  ioSum.fyy += iC * iJ.fyy;
  ioSum.fxxx += iC * iJ.fxxx;
  ioSum.fxxy += iC * iJ.fxxy;
  ioSum.fxyy += iC * iJ.fxyy;
  ioSum.fyyy += iC * iJ.fyyy;
}

/// ioSum += iC iImages, group by group.
void AddScaled(Images& ioSum, const double iC, const Images& iImages) {
  ioSum.f = Add(ioSum.f, Scale(iC, iImages.f));
  ioSum.fx = Add(ioSum.fx, Scale(iC, iImages.fx));
  ioSum.fy = Add(ioSum.fy, Scale(iC, iImages.fy));
  ioSum.fxx = Add(ioSum.fxx, Scale(iC, iImages.fxx));
  ioSum.fxy = Add(ioSum.fxy, Scale(iC, iImages.fxy));
  ioSum.fyy = Add(ioSum.fyy, Scale(iC, iImages.fyy));
}
} // namespace

// ==== construction =======================================================================
XelMathCombinationXY::XelMathCombinationXY(const long& iN, const XelMathFunctionXY** iF,
                                           const double* iC, const double iC0)
    : _n(0), _coefficients(nullptr), _functions(nullptr) {
  Allocate(iN, iC, iC0);
  for (long i = 0; i < _n; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathCombinationXY::XelMathCombinationXY(const long iN, const double* iC, const double iC0)
    : _n(0), _coefficients(nullptr), _functions(nullptr) {
  Allocate(iN, iC, iC0);
}

void XelMathCombinationXY::Allocate(long iN, const double* iC, const double iC0) {
  XelMathCheckDimension(iN, 1, "the number of functions",
                        "XelMathCombinationXY::XelMathCombinationXY");
  const long n = iN > 0 ? iN : 0;
  _coefficients = XelQuorArrayDoubleNew(n + 1);
  _n = n;
  for (long i = 0; i < _n; i++)
    _coefficients[i] = iC ? iC[i] : 0.0;
  _coefficients[_n] = iC0;
  if (_n > 0) {
    _functions = XelMathNewPointers<const XelMathFunctionXY>(_n);
    for (long i = 0; i < _n; i++)
      _functions[i] = nullptr;
  }
}

XelMathCombinationXY::~XelMathCombinationXY() {
  XelQuorArrayDoubleDel(_coefficients, _n + 1);
  if (_functions)
    XelMathDelPointers(_functions, _n);
}

long XelMathCombinationXY::GetDynamicMemoryBytes() const {
  return static_cast<long>((_n + 1) * sizeof(double) + _n * sizeof(void*));
}

long XelMathCombinationXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

// ==== identity ===========================================================================
XelMathDefineIdentity(XelMathCombinationXY, XelMathFunctionXY);

unsigned char XelMathCombinationXY::IsOption(const long iOption) const {
  for (long i = 0; i < _n; i++)
    if (!_functions[i] || !_functions[i]->IsOption(iOption))
      return 0;
  return 1;
}

int XelMathCombinationXY::GetDirectComponents(const int iSize,
                                              const XelMathFunctionGeneral** oComponents) const {
  return ListComponents(_n, _functions, iSize, oComponents);
}

// ==== point evaluations ==================================================================
namespace {
/// sum c_k iMember(f_k) (constant excluded); infinite when a component is null.
template <class Member>
double Combined(const long iN, const XelMathFunctionXY* const* iF, const double* iC,
                Member iMember) {
  if (HasNull(iN, iF))
    return XelMathInfinite;
  double h = 0.0;
  for (long i = 0; i < iN; i++)
    h += iC[i] * iMember(iF[i]);
  return h;
}
} // namespace

double XelMathCombinationXY::Eval(const double& x, const double& y) const {
  const double h =
      Combined(_n, _functions, _coefficients, [&](const XelMathFunctionXY* f) { return f->Eval(x, y); });
  return h == XelMathInfinite ? h : h + _coefficients[_n];
}

double XelMathCombinationXY::EvalFirstDerivX(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalFirstDerivX(x, y); });
}

double XelMathCombinationXY::EvalFirstDerivY(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalFirstDerivY(x, y); });
}

double XelMathCombinationXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalSecondDerivX2(x, y); });
}

double XelMathCombinationXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalSecondDerivXY(x, y); });
}

double XelMathCombinationXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalSecondDerivY2(x, y); });
}

double XelMathCombinationXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalThirdDerivX3(x, y); });
}

double XelMathCombinationXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalThirdDerivX2Y(x, y); });
}

double XelMathCombinationXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalThirdDerivXY2(x, y); });
}

double XelMathCombinationXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return Combined(_n, _functions, _coefficients,
                  [&](const XelMathFunctionXY* f) { return f->EvalThirdDerivY3(x, y); });
}

void XelMathCombinationXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                              double& oFx, double& oFy, double& oFxx,
                                              double& oFxy, double& oFyy, double& oFxxx,
                                              double& oFxxy, double& oFxyy, double& oFyyy) const {
  Jet h;
  if (HasNull(_n, _functions)) {
    h = Uniform(XelMathInfinite);
  } else {
    for (long i = 0; i < _n; i++)
      AddScaled(h, _coefficients[i], JetAt(_functions[i], x, y, 3));
    h.f += _coefficients[_n];
  }
  oF = h.f;
  oFx = h.fx;
  oFy = h.fy;
  oFxx = h.fxx;
  oFxy = h.fxy;
  oFyy = h.fyy;
  oFxxx = h.fxxx;
  oFxxy = h.fxxy;
  oFxyy = h.fxyy;
  oFyyy = h.fyyy;
}

void XelMathCombinationXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                              double& oFxxy, double& oFxyy,
                                              double& oFyyy) const {
  Jet h;
  if (HasNull(_n, _functions)) {
    h = Uniform(XelMathInfinite);
  } else {
    for (long i = 0; i < _n; i++) {
      Jet j;
      _functions[i]->EvalAllThirdDerivs(x, y, j.fxxx, j.fxxy, j.fxyy, j.fyyy);
      AddScaled(h, _coefficients[i], j);
    }
  }
  oFxxx = h.fxxx;
  oFxxy = h.fxxy;
  oFxyy = h.fxyy;
  oFyyy = h.fyyy;
}

void XelMathCombinationXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                                double* oFx, double* oFy, double* oFxx, double* oFxy,
                                double* oFyy) const {
  const int order = AskedPointOrder(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (order < 0)
    return;
  // Each component once, with the groups asked for.
  const long mask = iDiff & XelMathOption::PointUpToSecond;
  Jet h;
  for (long i = 0; i < _n; i++) {
    if (!_functions[i]) {
      h = Uniform(XelMathInfinite);
      break;
    }
    Jet j;
    _functions[i]->Eval(x, y, mask, &j.f, &j.fx, &j.fy, &j.fxx, &j.fxy, &j.fyy);
    AddScaled(h, _coefficients[i], j);
  }
  if (h.f != XelMathInfinite)
    h.f += _coefficients[_n];
  StoreJet(iDiff, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== interval evaluations ===============================================================
namespace {
/// sum c_k iMember(f_k) over intervals (constant excluded); [0, 0] when a component is null.
template <class Member>
XelMathInterval CombinedImage(const long iN, const XelMathFunctionXY* const* iF, const double* iC,
                              Member iMember) {
  if (HasNull(iN, iF))
    return Zero();
  XelMathInterval h = Zero();
  for (long i = 0; i < iN; i++)
    h = Add(h, Scale(iC[i], iMember(iF[i])));
  return h;
}
} // namespace

XelMathInterval XelMathCombinationXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                           const XelTolerance& iTol) const {
  if (HasNull(_n, _functions))
    return Zero();
  return Shift(CombinedImage(_n, _functions, _coefficients,
                             [&](const XelMathFunctionXY* f) { return f->Eval(iI, iJ, iTol); }),
               _coefficients[_n]);
}

XelMathInterval XelMathCombinationXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  return CombinedImage(_n, _functions, _coefficients,
                       [&](const XelMathFunctionXY* f) { return f->EvalFirstDerivX(iI, iJ); });
}

XelMathInterval XelMathCombinationXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  return CombinedImage(_n, _functions, _coefficients,
                       [&](const XelMathFunctionXY* f) { return f->EvalFirstDerivY(iI, iJ); });
}

XelMathInterval XelMathCombinationXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  return CombinedImage(_n, _functions, _coefficients,
                       [&](const XelMathFunctionXY* f) { return f->EvalSecondDerivX2(iI, iJ); });
}

XelMathInterval XelMathCombinationXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  return CombinedImage(_n, _functions, _coefficients,
                       [&](const XelMathFunctionXY* f) { return f->EvalSecondDerivXY(iI, iJ); });
}

XelMathInterval XelMathCombinationXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ) const {
  return CombinedImage(_n, _functions, _coefficients,
                       [&](const XelMathFunctionXY* f) { return f->EvalSecondDerivY2(iI, iJ); });
}

void XelMathCombinationXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                                XelMathInterval* oFy, XelMathInterval* oFxx,
                                XelMathInterval* oFxy, XelMathInterval* oFyy,
                                const XelTolerance& iTol) const {
  const long asked = AskedImages(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (!asked)
    return;
  Images h{Zero(), Zero(), Zero(), Zero(), Zero(), Zero()};
  if (!HasNull(_n, _functions)) {
    for (long i = 0; i < _n; i++)
      AddScaled(h, _coefficients[i], ImagesOf(_functions[i], iI, iJ, asked, iTol));
    h.f = Shift(h.f, _coefficients[_n]);
  }
  StoreImages(asked, h, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== copies and construction ============================================================
XelMathFunctionXY* XelMathCombinationXY::Duplicate() const {
  return new XelMathCombinationXY(_n, _functions, _coefficients, _coefficients[_n]);
}

XelMathFunctionXY* XelMathCombinationXY::DeepDuplicate() const {
  XelMathScratchPointers<XelMathFunctionXY, LocalComponents> copies(_n);
  return OwnDeepCopies(_n, _functions, copies.Data(), [this](XelMathFunctionXY** iC) {
    return new XelMathCombinationXYDel(_n, iC, _coefficients, _coefficients[_n]);
  });
}

XelMathFunctionXY* XelMathCombinationXY::CombinedDerivatives(const long iVariable) const {
  if (HasNull(_n, _functions))
    return iVariable == 0 ? XelMathFunctionXY::CreateDerivX() : XelMathFunctionXY::CreateDerivY();
  XelMathScratchPointers<XelMathFunctionXY, LocalComponents> scratch(_n);
  XelMathFunctionXY** derivs = scratch.Data();
  long done = 0;
  // The derivatives are deleted on every way out but the one that hands them to the result.
  auto undo = XelMathMakeOnExit([&] { DeleteOnce(done, derivs); });
  for (; done < _n; done++)
    derivs[done] = iVariable == 0 ? _functions[done]->CreateDerivX()
                                  : _functions[done]->CreateDerivY();
  // A closed form of the first derivative's class (polynomials add up to a polynomial).
  if (_n > 0 && derivs[0]) {
    XelMathFunctionXY* formal = derivs[0]->FormalCombination(
        _n, const_cast<const XelMathFunctionXY**>(derivs), _coefficients, 0.0);
    if (formal)
      return formal;
  }
  XelMathFunctionXY* result = new XelMathCombinationXYDel(_n, derivs, _coefficients, 0.0);
  undo.Dismiss();
  return result;
}

XelMathFunctionXY* XelMathCombinationXY::CreateDerivX() const {
  return CombinedDerivatives(0);
}

XelMathFunctionXY* XelMathCombinationXY::CreateDerivY() const {
  return CombinedDerivatives(1);
}

// ==== owning variant =====================================================================
XelMathCombinationXYDel::XelMathCombinationXYDel(const long& iN, XelMathFunctionXY** iF,
                                                 const double* iC, const double iC0)
    : XelMathCombinationXY(iN, iC, iC0) {
  for (long i = 0; i < _n; i++)
    _functions[i] = iF ? iF[i] : nullptr;
}

XelMathCombinationXYDel::~XelMathCombinationXYDel() {
  // A function given twice is deleted once.
  DeleteOnce(_n, _functions);
  for (long i = 0; i < _n; i++)
    _functions[i] = nullptr;
}

XelMathDefineOwningVariantXY(XelMathCombinationXYDel, XelMathCombinationXY);
