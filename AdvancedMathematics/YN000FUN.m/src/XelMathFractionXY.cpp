#include "XelMathFractionXY.h"

#include <memory>

#include "XelError.h"
#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathFractionX.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathWrapperToolsXY.h"
#include "XelTolerance.h"

using namespace XelMathElementary;

namespace {
const char* const FractionXYSource = "AdvancedMathematics/YN000FUN.m/src/XelMathFractionXY.cpp";
// Boxes narrower than this in both directions are not split further when refining the
// denominator's image.
const double DenominatorMinWidth = 0.001;
// Bounds on the depth of that bisection and on the number of images it computes.
const int DenominatorMaxDepth = 40;
const long DenominatorBudget = 64;

// The operations of the quotient rule, on numbers (products keep an exact zero) and on
// intervals (four-case products; a division is a product by the inverse, the divisor being
// bounded away from 0).
inline double Times(const double a, const double b) {
  return EndProduct(a, b);
}
inline XelMathInterval Times(const XelMathInterval& a, const XelMathInterval& b) {
  return Mul(a, b);
}
inline double Minus(const double a, const double b) {
  return a - b;
}
inline XelMathInterval Minus(const XelMathInterval& a, const XelMathInterval& b) {
  return Sub(a, b);
}
inline double Over(const double a, const double b) {
  return a / b;
}
inline XelMathInterval Over(const XelMathInterval& a, const XelMathInterval& b) {
  return Mul(a, Inverse(b));
}

// Derivatives are stored f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy: the derivative in
// a (0 = x, 1 = y) is at 1 + a, in a and b at 3 + a + b, in a, b and c at 6 + a + b + c.
// From f = q g, q and its derivatives up to iOrder (0..3) are, in turn,
//   q_a = (f_a - q g_a) / g,
//   q_ab = (f_ab - q_a g_b - q_b g_a - q g_ab) / g,
//   q_abc = (f_abc - q_ab g_c - q_ac g_b - q_bc g_a - q_a g_bc - q_b g_ac - q_c g_ab
//            - q g_abc) / g.
template <class T> void QuotientRule(const T* f, const T* g, const int iOrder, T* q) {
  q[0] = Over(f[0], g[0]);
  for (int a = 0; a < 2 && iOrder >= 1; ++a)
    q[1 + a] = Over(Minus(f[1 + a], Times(q[0], g[1 + a])), g[0]);
  for (int s = 0; s < 3 && iOrder >= 2; ++s) {
    const int a = s >= 2 ? 1 : 0, b = s >= 1 ? 1 : 0;
    T t = Minus(f[3 + s], Times(q[1 + a], g[1 + b]));
    t = Minus(t, Times(q[1 + b], g[1 + a]));
    q[3 + s] = Over(Minus(t, Times(q[0], g[3 + s])), g[0]);
  }
  for (int s = 0; s < 4 && iOrder >= 3; ++s) {
    const int a = s >= 3 ? 1 : 0, b = s >= 2 ? 1 : 0, c = s >= 1 ? 1 : 0;
    T t = Minus(f[6 + s], Times(q[3 + a + b], g[1 + c]));
    t = Minus(t, Times(q[3 + a + c], g[1 + b]));
    t = Minus(t, Times(q[3 + b + c], g[1 + a]));
    t = Minus(t, Times(q[1 + a], g[3 + b + c]));
    t = Minus(t, Times(q[1 + b], g[3 + a + c]));
    t = Minus(t, Times(q[1 + c], g[3 + a + b]));
    q[6 + s] = Over(Minus(t, Times(q[0], g[6 + s])), g[0]);
  }
}

// A component's images up to iOrder (0..2) over iI x iJ in the same order.
void ComponentOver(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                   const XelMathInterval& iJ, const int iOrder, const XelTolerance& iTol,
                   XelMathInterval* oD) {
  if (iOrder <= 0)
    oD[0] = iF->Eval(iI, iJ, iTol);
  else if (iOrder == 1)
    iF->Eval(iI, iJ, XelMathOption::ImageAndFirst, oD, oD + 1, oD + 2, nullptr, nullptr, nullptr,
             iTol);
  else
    iF->Eval(iI, iJ, XelMathOption::ImageUpToSecond, oD, oD + 1, oD + 2, oD + 3, oD + 4, oD + 5,
             iTol);
}

// Image of iG over iI x iJ bounded away from 0 by more than iEps, by bisection of the wider
// side; 0 when a part stays near 0 at the width, depth or budget limit.
int RefineDenominator(const XelMathFunctionXY* iG, const XelMathInterval& iI,
                      const XelMathInterval& iJ, const double iEps, const XelTolerance& iTol,
                      const int iDepth, long& ioBudget, XelMathInterval& oImage) {
  oImage = iG->Eval(iI, iJ, iTol);
  --ioBudget;
  if (oImage.DistanceTo(0.0) > iEps && !MayVanish(oImage))
    return 1;
  const double wI = iI.high - iI.low, wJ = iJ.high - iJ.low;
  // The negated tests also stop on NaN widths.
  const bool splitI = wI >= DenominatorMinWidth, splitJ = wJ >= DenominatorMinWidth;
  if ((!splitI && !splitJ) || iDepth >= DenominatorMaxDepth || ioBudget <= 0)
    return 0;
  XelMathInterval lowI = iI, highI = iI, lowJ = iJ, highJ = iJ;
  if (splitI && (!splitJ || wI >= wJ)) {
    lowI.high = highI.low = 0.5 * (iI.low + iI.high);
  } else {
    lowJ.high = highJ.low = 0.5 * (iJ.low + iJ.high);
  }
  XelMathInterval lowImage, highImage;
  if (!RefineDenominator(iG, lowI, lowJ, iEps, iTol, iDepth + 1, ioBudget, lowImage)) {
    oImage = lowImage;
    return 0;
  }
  if (!RefineDenominator(iG, highI, highJ, iEps, iTol, iDepth + 1, ioBudget, highImage)) {
    oImage = highImage;
    return 0;
  }
  oImage = Hull(lowImage, highImage);
  return 1;
}
} // namespace

XelMathFractionXY::XelMathFractionXY(const XelMathFunctionXY* iNum, const XelMathFunctionXY* iDen,
                                     const XelTolerance& iTol)
    : _tolerance(&iTol), _numerator(iNum), _denominator(iDen) {}

XelMathFractionXY::~XelMathFractionXY() = default;

long XelMathFractionXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathFractionXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathDefineIdentity(XelMathFractionXY, XelMathFunctionXY);

unsigned char XelMathFractionXY::IsOption(const long iOption) const {
  if (!_numerator || !_denominator)
    return 0;
  const long needed = XelMathComposite::DerivativeClosure(iOption);
  return (_numerator->IsOption(needed) && _denominator->IsOption(needed)) ? 1 : 0;
}

int XelMathFractionXY::GetDirectComponents(const int iSize,
                                           const XelMathFunctionGeneral** oComponents) const {
  if (oComponents) {
    if (iSize > 0)
      oComponents[0] = _numerator;
    if (iSize > 1)
      oComponents[1] = _denominator;
  }
  return 2;
}

void XelMathFractionXY::ThrowForNullDenom() {
  XelMathRaiseTexts(XelErrorCode::NullDenominator, 2, "XelMathFractionXY::Eval",
                    "with a null denominator", nullptr, FractionXYSource, __LINE__);
}

double XelMathFractionXY::Epsilon() const {
  if (!_tolerance || !_tolerance->IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return 0.0;
  }
  return _tolerance->GetRelativeEpsilon();
}

// ==== point evaluations ==========================================================================
void XelMathFractionXY::Derivatives(const double x, const double y, const int iOrder,
                                    double* oQ) const {
  if (!_numerator || !_denominator) {
    for (int k = 0; k < 10; ++k)
      oQ[k] = XelMathInfinite;
    return;
  }
  double f[10], g[10];
  XelMathWrapperXY::DerivativesAt(_denominator, x, y, iOrder, g);
  if (g[0] == 0.0)
    ThrowForNullDenom();
  XelMathWrapperXY::DerivativesAt(_numerator, x, y, iOrder, f);
  QuotientRule(f, g, iOrder, oQ);
}

double XelMathFractionXY::Eval(const double& x, const double& y) const {
  if (!_numerator || !_denominator)
    return XelMathInfinite;
  const double g = _denominator->Eval(x, y);
  if (g == 0.0)
    ThrowForNullDenom();
  return _numerator->Eval(x, y) / g;
}

double XelMathFractionXY::EvalFirstDerivX(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 1, q);
  return q[1];
}

double XelMathFractionXY::EvalFirstDerivY(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 1, q);
  return q[2];
}

double XelMathFractionXY::EvalSecondDerivX2(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 2, q);
  return q[3];
}

double XelMathFractionXY::EvalSecondDerivXY(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 2, q);
  return q[4];
}

double XelMathFractionXY::EvalSecondDerivY2(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 2, q);
  return q[5];
}

double XelMathFractionXY::EvalThirdDerivX3(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 3, q);
  return q[6];
}

double XelMathFractionXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 3, q);
  return q[7];
}

double XelMathFractionXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 3, q);
  return q[8];
}

double XelMathFractionXY::EvalThirdDerivY3(const double& x, const double& y) const {
  double q[10];
  Derivatives(x, y, 3, q);
  return q[9];
}

void XelMathFractionXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                           double& oFx, double& oFy, double& oFxx, double& oFxy,
                                           double& oFyy, double& oFxxx, double& oFxxy,
                                           double& oFxyy, double& oFyyy) const {
  double q[10];
  Derivatives(x, y, 3, q);
  XelMathWrapperXY::UnpackUpToThird(q, oF, oFx, oFy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathFractionXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                           double& oFxxy, double& oFxyy, double& oFyyy) const {
  double q[10];
  Derivatives(x, y, 3, q);
  XelMathWrapperXY::UnpackThirds(q, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathFractionXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                             double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  const int order = XelMathWrapperXY::AskedPointOrder(iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
  if (order < 0)
    return;
  double q[10] = {};
  Derivatives(x, y, order, q);
  XelMathWrapperXY::StoreArray(iDiff, q, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

// ==== interval evaluations =======================================================================
int XelMathFractionXY::REvalDenom(const XelMathInterval& iI, const XelMathInterval& iJ,
                                  XelMathInterval& oImage) const {
  if (!_denominator) {
    oImage = Infinite();
    return 0;
  }
  long budget = DenominatorBudget;
  return RefineDenominator(_denominator, iI, iJ, Epsilon(), *_tolerance, 0, budget, oImage);
}

void XelMathFractionXY::EvalDenom(const XelMathInterval& iI, const XelMathInterval& iJ,
                                  const long iDiff, XelMathInterval* oG, XelMathInterval* oGx,
                                  XelMathInterval* oGy, XelMathInterval* oGxx,
                                  XelMathInterval* oGxy, XelMathInterval* oGyy) const {
  if (!_denominator) {
    XelMathInterval* outputs[6] = {oG, oGx, oGy, oGxx, oGxy, oGyy};
    for (XelMathInterval* o : outputs)
      if (o)
        *o = Infinite();
    return;
  }
  _denominator->Eval(iI, iJ, iDiff, oG, oGx, oGy, oGxx, oGxy, oGyy, *_tolerance);
  if (!oG || !(iDiff & XelMathOption::Image))
    return;
  if (oG->DistanceTo(0.0) > Epsilon() && !MayVanish(*oG))
    return;
  XelMathInterval refined;
  if (REvalDenom(iI, iJ, refined))
    *oG = Tighter(*oG, refined);
}

XelMathInterval XelMathFractionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                        const XelTolerance& iTol) const {
  if (!_numerator || !_denominator)
    return Infinite();
  XelMathInterval g;
  EvalDenom(iI, iJ, XelMathOption::Image, &g, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (MayVanish(g))
    return Infinite();
  return Mul(_numerator->Eval(iI, iJ, iTol), Inverse(g));
}

namespace {
// Image of the derivative of the fraction at index iIndex (1..5 in the order of the point
// derivatives) over iI x iJ; the whole line when the denominator may vanish.
XelMathInterval DerivativeImage(const XelMathFractionXY& iQ, const XelMathInterval& iI,
                                const XelMathInterval& iJ, const int iIndex) {
  const XelMathFunctionXY* n = iQ.GetNumerator();
  if (!n || !iQ.GetDenominator())
    return Infinite();
  const int order = iIndex >= 3 ? 2 : 1;
  XelMathInterval f[6], g[6], q[6];
  if (order == 1)
    iQ.EvalDenom(iI, iJ, XelMathOption::ImageAndFirst, g, g + 1, g + 2, nullptr, nullptr, nullptr);
  else
    iQ.EvalDenom(iI, iJ, XelMathOption::ImageUpToSecond, g, g + 1, g + 2, g + 3, g + 4, g + 5);
  if (MayVanish(g[0]))
    return Infinite();
  ComponentOver(n, iI, iJ, order, *iQ.GetTolerance(), f);
  QuotientRule(f, g, order, q);
  return q[iIndex];
}
} // namespace

XelMathInterval XelMathFractionXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                   const XelMathInterval& iJ) const {
  return DerivativeImage(*this, iI, iJ, 1);
}

XelMathInterval XelMathFractionXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                   const XelMathInterval& iJ) const {
  return DerivativeImage(*this, iI, iJ, 2);
}

XelMathInterval XelMathFractionXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ) const {
  return DerivativeImage(*this, iI, iJ, 3);
}

XelMathInterval XelMathFractionXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ) const {
  return DerivativeImage(*this, iI, iJ, 4);
}

XelMathInterval XelMathFractionXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                     const XelMathInterval& iJ) const {
  return DerivativeImage(*this, iI, iJ, 5);
}

XelMathInterval XelMathFractionXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                       const XelMathInterval& iJ,
                                                       const XelTolerance& iTol) const {
  const XelMathInterval quotient = Eval(iI, iJ, iTol);
  // A pole in the box: no sampling of the function can bound it.
  if (!(quotient.high < XelMathInfinite) || !(quotient.low > -XelMathInfinite))
    return quotient;
  try {
    return Tighter(BaseComputeOptimalImage(iI, iJ, iTol), quotient);
  } catch (const XelMathInputError& e) {
    if (e.GetCode() == XelErrorCode::NullDenominator)
      return quotient;
    throw;
  }
}

// ==== derived functions, copies ==================================================================
XelMathFunctionX* XelMathFractionXY::CreateIsoparX(const double iX0) const {
  if (!_numerator || !_denominator)
    return XelMathFunctionXY::CreateIsoparX(iX0);
  std::unique_ptr<XelMathFunctionX> n(_numerator->CreateIsoparX(iX0));
  std::unique_ptr<XelMathFunctionX> d(_denominator->CreateIsoparX(iX0));
  if (!n || !d)
    return XelMathFunctionXY::CreateIsoparX(iX0);
  XelMathFunctionX* restriction = new XelMathFractionXDel(n.get(), d.get(), *_tolerance);
  n.release();
  d.release();
  return restriction;
}

XelMathFunctionX* XelMathFractionXY::CreateIsoparY(const double iY0) const {
  if (!_numerator || !_denominator)
    return XelMathFunctionXY::CreateIsoparY(iY0);
  std::unique_ptr<XelMathFunctionX> n(_numerator->CreateIsoparY(iY0));
  std::unique_ptr<XelMathFunctionX> d(_denominator->CreateIsoparY(iY0));
  if (!n || !d)
    return XelMathFunctionXY::CreateIsoparY(iY0);
  XelMathFunctionX* restriction = new XelMathFractionXDel(n.get(), d.get(), *_tolerance);
  n.release();
  d.release();
  return restriction;
}

XelMathFunctionXY* XelMathFractionXY::FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                                        const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC || !_denominator)
    return nullptr;
  for (long k = 0; k < iN; ++k) {
    if (!iF[k] || !iF[k]->IsAKindOf("XelMathFractionXY"))
      return nullptr;
    const XelMathFractionXY* q = static_cast<const XelMathFractionXY*>(iF[k]);
    if (q->_denominator != _denominator || !q->_numerator)
      return nullptr;
  }
  // (sum c_k f_k + c0 g) / g: one combination of the numerators and g.
  const long m = iC0 != 0.0 ? iN + 1 : iN;
  XelMathScratchPointers<const XelMathFunctionXY, 8> terms(m);
  XelMathScratchDoubles<8> coefficients(m);
  for (long k = 0; k < iN; ++k) {
    terms[k] = static_cast<const XelMathFractionXY*>(iF[k])->_numerator;
    coefficients[k] = iC[k];
  }
  if (m > iN) {
    terms[iN] = _denominator;
    coefficients[iN] = iC0;
  }
  std::unique_ptr<XelMathFunctionXY> numerator(
      CreateCombination(m, terms.Data(), coefficients.Data(), 0.0));
  if (!numerator)
    return nullptr;
  XelMathFunctionXY* result = new XelMathFractionXYDel(
      numerator.get(), const_cast<XelMathFunctionXY*>(_denominator), *_tolerance, 0);
  numerator.release();
  return result;
}

XelMathFunctionXY* XelMathFractionXY::Duplicate() const {
  return new XelMathFractionXY(*this);
}

XelMathFunctionXY* XelMathFractionXY::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionXY> n(_numerator ? _numerator->DeepDuplicate() : nullptr);
  if (_denominator == _numerator) {
    // One object for both: one copy, deleted once.
    XelMathFunctionXY* copy = new XelMathFractionXYDel(n.get(), n.get(), *_tolerance, 0);
    n.release();
    return copy;
  }
  std::unique_ptr<XelMathFunctionXY> d(_denominator ? _denominator->DeepDuplicate() : nullptr);
  XelMathFunctionXY* copy = new XelMathFractionXYDel(n.get(), d.get(), *_tolerance, 1);
  n.release();
  d.release();
  return copy;
}

// ==== owning variant =============================================================================
XelMathFractionXYDel::XelMathFractionXYDel(XelMathFunctionXY* iNum, XelMathFunctionXY* iDen,
                                           unsigned char iDeleteDenominator)
    : XelMathFractionXY(iNum, iDen, XelGetDefaultTolerance()),
      _deleteDenominator(iDeleteDenominator) {}

XelMathFractionXYDel::XelMathFractionXYDel(XelMathFunctionXY* iNum, XelMathFunctionXY* iDen,
                                           const XelTolerance& iTol,
                                           unsigned char iDeleteDenominator)
    : XelMathFractionXY(iNum, iDen, iTol), _deleteDenominator(iDeleteDenominator) {}

XelMathFractionXYDel::~XelMathFractionXYDel() {
  if (_deleteDenominator && _denominator != _numerator)
    delete _denominator;
  delete _numerator;
  _numerator = nullptr;
  _denominator = nullptr;
}

XelMathDefineOwningVariantXY(XelMathFractionXYDel, XelMathFractionXY);
