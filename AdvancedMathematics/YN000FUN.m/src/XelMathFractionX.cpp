#include "XelMathFractionX.h"

#include <cmath>
#include <memory>

#include "XelError.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathBatchTools.h"
#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"

using namespace XelMathElementary;

namespace {
const char* const FractionSource = "AdvancedMathematics/YN000FUN.m/src/XelMathFractionX.cpp";
// Sub-intervals narrower than this are not split further when refining the denominator.
const double DenominatorMinWidth = 0.001;
// Bound on the depth of that bisection, whatever the width of the interval.
const int DenominatorMaxDepth = 80;

int RefineDenominator(const XelMathFunctionX* iD, const XelMathInterval& iJ, const double iEps,
                      const int iDepth, XelMathInterval& oImage) {
  oImage = iD->Eval(iJ);
  if (oImage.DistanceTo(0.0) > iEps)
    return 1;
  // The negated test also stops on NaN widths.
  if (!(iJ.high - iJ.low >= DenominatorMinWidth) || iDepth >= DenominatorMaxDepth)
    return 0;
  const double mid = 0.5 * (iJ.low + iJ.high);
  XelMathInterval left, right;
  if (!RefineDenominator(iD, XelMathInterval(iJ.low, mid), iEps, iDepth + 1, left))
    return 0;
  if (!RefineDenominator(iD, XelMathInterval(mid, iJ.high), iEps, iDepth + 1, right))
    return 0;
  oImage = Hull(left, right);
  return 1;
}
} // namespace

XelMathFractionX::XelMathFractionX(const XelMathFunctionX* iN, const XelMathFunctionX* iD,
                                   const XelTolerance& iTol)
    : _tolerance(&iTol), _numerator(iN), _denominator(iD) {}

XelMathFractionX::~XelMathFractionX() = default;

XelMathDefineIdentity(XelMathFractionX, XelMathFunctionX);

unsigned char XelMathFractionX::IsOption(const long iOption) const {
  if (!_numerator || !_denominator)
    return 0;
  return (_numerator->IsOption(iOption) && _denominator->IsOption(iOption)) ? 1 : 0;
}

int XelMathFractionX::GetDirectComponents(const int iSize,
                                          const XelMathFunctionGeneral** oComponents) const {
  if (oComponents) {
    if (iSize > 0)
      oComponents[0] = _numerator;
    if (iSize > 1)
      oComponents[1] = _denominator;
  }
  return 2;
}

XelMathDefineTypeId(XelMathFractionX, XelMathFunctionX, XelMathTypeId::Fraction);

short XelMathFractionX::GetStreamType() const {
  return XelMathStreamType::Fraction;
}

XelMathDefineStreamable(XelMathFractionX);

void XelMathFractionX::ThrowForNullDenom() {
  XelMathRaiseTexts(XelErrorCode::NullDenominator, 2, "XelMathFractionX::Eval",
                    "with a null denominator", nullptr, FractionSource, __LINE__);
}

double XelMathFractionX::Epsilon() const {
  if (!_tolerance || !_tolerance->IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return 0.0;
  }
  return _tolerance->GetRelativeEpsilon();
}

// ==== point evaluations ==========================================================================
double XelMathFractionX::Eval(const double& x) const {
  if (!_numerator || !_denominator)
    return XelMathInfinite;
  const double d = _denominator->Eval(x);
  if (d == 0.0)
    ThrowForNullDenom();
  return _numerator->Eval(x) / d;
}

double XelMathFractionX::EvalFirstDeriv(const double& x) const {
  if (!_numerator || !_denominator)
    return XelMathInfinite;
  double n = 0.0, n1 = 0.0, d = 0.0, d1 = 0.0;
  _denominator->Eval(x, XelMathOption::ValueAndFirst, &d, &d1, nullptr);
  if (d == 0.0)
    ThrowForNullDenom();
  _numerator->Eval(x, XelMathOption::ValueAndFirst, &n, &n1, nullptr);
  return (n1 - EndProduct(n / d, d1)) / d;
}

double XelMathFractionX::EvalSecondDeriv(const double& x) const {
  double f2 = XelMathInfinite;
  Eval(x, XelMathOption::SecondDeriv, nullptr, nullptr, &f2);
  return f2;
}

double XelMathFractionX::EvalThirdDeriv(const double& x) const {
  if (!_numerator || !_denominator)
    return XelMathInfinite;
  double n[3] = {0.0, 0.0, 0.0}, d[3] = {0.0, 0.0, 0.0};
  _denominator->Eval(x, XelMathOption::PointUpToSecond, d, d + 1, d + 2);
  if (d[0] == 0.0)
    ThrowForNullDenom();
  _numerator->Eval(x, XelMathOption::PointUpToSecond, n, n + 1, n + 2);
  const double n3 = _numerator->EvalThirdDeriv(x), d3 = _denominator->EvalThirdDeriv(x);
  // q = n / d, q' = (n' - q d') / d, q'' = (n'' - 2 q' d' - q d'') / d,
  // q''' = (n''' - 3 q'' d' - 3 q' d'' - q d''') / d.
  // Products with an exact zero stay zero: past the overflow of the denominator the
  // quotient and its derivatives are 0, not 0 * inf.
  const double q = n[0] / d[0];
  const double q1 = (n[1] - EndProduct(q, d[1])) / d[0];
  const double q2 = (n[2] - 2.0 * EndProduct(q1, d[1]) - EndProduct(q, d[2])) / d[0];
  return (n3 - 3.0 * EndProduct(q2, d[1]) - 3.0 * EndProduct(q1, d[2]) - EndProduct(q, d3)) / d[0];
}

void XelMathFractionX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                            double* oF2) const {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, XelMathOption::Value, oF, oF1, oF2);
  if (!wantF && !wantF1 && !wantF2)
    return;
  if (!_numerator || !_denominator) {
    if (wantF)
      *oF = XelMathInfinite;
    if (wantF1)
      *oF1 = XelMathInfinite;
    if (wantF2)
      *oF2 = XelMathInfinite;
    return;
  }
  // Every output needs the value; a derivative needs those below it.
  const long options = wantF2 ? 7 : (wantF1 ? 3 : 1);
  double n[3] = {0.0, 0.0, 0.0}, d[3] = {0.0, 0.0, 0.0};
  _denominator->Eval(x, options, d, d + 1, d + 2);
  if (d[0] == 0.0)
    ThrowForNullDenom();
  _numerator->Eval(x, options, n, n + 1, n + 2);
  const double q = n[0] / d[0];
  if (wantF)
    *oF = q;
  if (wantF1 || wantF2) {
    const double q1 = (n[1] - EndProduct(q, d[1])) / d[0];
    if (wantF1)
      *oF1 = q1;
    if (wantF2)
      *oF2 = (n[2] - 2.0 * EndProduct(q1, d[1]) - EndProduct(q, d[2])) / d[0];
  }
}

void XelMathFractionX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                  double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  if (!_numerator || !_denominator) {
    XelMathBatch::Fill(asked, iN, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  // Every output needs the value; a derivative needs those below it.
  const long options = asked.f2 ? 7 : (asked.f1 ? 3 : 1);
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    double n[3][Chunk], d[3][Chunk];
    const double* x = iX + iStart;
    _denominator->EvalPoints(iCount, x, options, d[0], d[1], d[2]);
    for (long j = 0; j < iCount; j++)
      if (d[0][j] == 0.0)
        ThrowForNullDenom();
    _numerator->EvalPoints(iCount, x, options, n[0], n[1], n[2]);
    for (long j = 0; j < iCount; j++) {
      const double q = n[0][j] / d[0][j];
      if (asked.f)
        oF[iStart + j] = q;
      if (asked.Derivatives()) {
        const double q1 = (n[1][j] - EndProduct(q, d[1][j])) / d[0][j];
        if (asked.f1)
          oF1[iStart + j] = q1;
        if (asked.f2)
          oF2[iStart + j] =
              (n[2][j] - 2.0 * EndProduct(q1, d[1][j]) - EndProduct(q, d[2][j])) / d[0][j];
      }
    }
  });
}

// ==== interval evaluations =======================================================================
int XelMathFractionX::REvalDenom(const XelMathInterval& iJ, XelMathInterval& oImage) const {
  if (!_denominator) {
    oImage = XelMathInterval();
    return 0;
  }
  return RefineDenominator(_denominator, iJ, Epsilon(), 0, oImage);
}

void XelMathFractionX::EvalDenom(const XelMathInterval& iI, const long iOptions,
                                 XelMathInterval* oD, XelMathInterval* oD1,
                                 XelMathInterval* oD2) const {
  if (!_denominator)
    return;
  _denominator->Eval(iI, iOptions, oD, oD1, oD2);
  if (!oD || !(iOptions & XelMathOption::Image))
    return;
  const double eps = Epsilon();
  if (oD->DistanceTo(0.0) > eps && !MayVanish(*oD))
    return;
  // Near zero: bisect, so that a denominator bounded away from zero on each half is seen so.
  const double mid = 0.5 * (iI.low + iI.high);
  XelMathInterval left, right;
  if (RefineDenominator(_denominator, XelMathInterval(iI.low, mid), eps, 1, left) &&
      RefineDenominator(_denominator, XelMathInterval(mid, iI.high), eps, 1, right)) {
    *oD = Hull(left, right);
    return;
  }
  // Still near zero. A denominator whose image is unbounded may have a pole in the interval,
  // across which an extremum search can miss where it changes sign: it may vanish.
  if (!(std::fabs(oD->low) < XelMathInfinite && std::fabs(oD->high) < XelMathInfinite)) {
    *oD = Infinite();
    return;
  }
  // Otherwise bound the denominator on the side of zero by its extremum.
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrList attributes(&absolute);
  XelMathSetOfPointsND extremum(1, 1);
  if (_denominator->Eval(mid) > 0.0) {
    _denominator->Minimize(iI, extremum, &attributes);
    if (extremum.GetNumberOfPoints() > 0)
      oD->low = _denominator->Eval(extremum.GetPoints()[0]);
  } else {
    _denominator->Maximize(iI, extremum, &attributes);
    if (extremum.GetNumberOfPoints() > 0)
      oD->high = _denominator->Eval(extremum.GetPoints()[0]);
  }
}

XelMathInterval XelMathFractionX::Eval(const XelMathInterval& iI) const {
  if (!_numerator || !_denominator)
    return XelMathInterval();
  XelMathInterval d;
  EvalDenom(iI, 16, &d, nullptr, nullptr);
  if (MayVanish(d))
    return Infinite();
  return Mul(_numerator->Eval(iI), Inverse(d));
}

XelMathInterval XelMathFractionX::EvalFirstDeriv(const XelMathInterval& iI) const {
  if (!_numerator || !_denominator)
    return XelMathInterval();
  XelMathInterval n, n1, d, d1;
  _numerator->Eval(iI, XelMathOption::ImageAndFirst, &n, &n1, nullptr);
  EvalDenom(iI, 48, &d, &d1, nullptr);
  const XelMathInterval numerator = Sub(Mul(n1, d), Mul(n, d1));
  const XelMathInterval q = square(d);
  if (MayVanish(q))
    return Infinite();
  return Mul(numerator, Inverse(q));
}

XelMathInterval XelMathFractionX::EvalSecondDeriv(const XelMathInterval& iI) const {
  if (!_numerator || !_denominator)
    return XelMathInterval();
  XelMathInterval n, n1, n2, d, d1, d2;
  _numerator->Eval(iI, XelMathOption::ImageUpToSecond, &n, &n1, &n2);
  EvalDenom(iI, 112, &d, &d1, &d2);
  if (MayVanish(d))
    return Infinite();
  // The recurrences of the point derivatives, in interval arithmetic.
  const XelMathInterval inv = Inverse(d);
  const XelMathInterval q = Mul(n, inv);
  const XelMathInterval q1 = Mul(Sub(n1, Mul(q, d1)), inv);
  return Mul(Sub(Sub(n2, Scale(2.0, Mul(q1, d1))), Mul(q, d2)), inv);
}

XelMathInterval XelMathFractionX::EvalThirdDeriv(const XelMathInterval& iI) const {
  if (!_numerator || !_denominator)
    return XelMathInterval();
  XelMathInterval n, n1, n2, d, d1, d2;
  _numerator->Eval(iI, XelMathOption::ImageUpToSecond, &n, &n1, &n2);
  EvalDenom(iI, 112, &d, &d1, &d2);
  if (MayVanish(d))
    return Infinite();
  const XelMathInterval n3 = _numerator->EvalThirdDeriv(iI);
  const XelMathInterval d3 = _denominator->EvalThirdDeriv(iI);
  const XelMathInterval inv = Inverse(d);
  const XelMathInterval q = Mul(n, inv);
  const XelMathInterval q1 = Mul(Sub(n1, Mul(q, d1)), inv);
  const XelMathInterval q2 = Mul(Sub(Sub(n2, Scale(2.0, Mul(q1, d1))), Mul(q, d2)), inv);
  const XelMathInterval t = Add(Add(Scale(3.0, Mul(q2, d1)), Scale(3.0, Mul(q1, d2))), Mul(q, d3));
  return Mul(Sub(n3, t), inv);
}

XelMathInterval XelMathFractionX::ComputeOptimalImage(const XelMathInterval& iI,
                                                      const XelTolerance& iTol) const {
  if (!_numerator || !_denominator)
    return XelMathInterval();
  try {
    // The interval quotient encloses the image too and is often the tighter one.
    return Tighter(XelMathFunctionX::ComputeOptimalImage(iI, iTol), Eval(iI));
  } catch (const XelMathInputError& e) {
    // A sample fell on a zero of the denominator: the image is unbounded.
    if (e.GetCode() == XelErrorCode::NullDenominator)
      return Infinite();
    throw;
  }
}

// ==== copies, analyses ===========================================================================
XelMathFunctionX* XelMathFractionX::Duplicate() const {
  return new XelMathFractionX(*this);
}

XelMathFunctionX* XelMathFractionX::DeepDuplicate() const {
  std::unique_ptr<XelMathFunctionX> n(_numerator ? _numerator->DeepDuplicate() : nullptr);
  std::unique_ptr<XelMathFunctionX> d(_denominator ? _denominator->DeepDuplicate() : nullptr);
  XelMathFunctionX* copy = new XelMathFractionXDel(n.get(), d.get(), *_tolerance);
  n.release();
  d.release();
  return copy;
}

int XelMathFractionX::Solve(const XelMathInterval& iDomain, XelMathSetOfPointsND& oRoots,
                            const XelMathAttrList* iAttributes) const {
  if (!_numerator) {
    oRoots.Reset();
    return 1;
  }
  return _numerator->Solve(iDomain, oRoots, iAttributes);
}

// ==== owning variant
// ==============================================================================
XelMathFractionXDel::XelMathFractionXDel(XelMathFunctionX* iN, XelMathFunctionX* iD,
                                         const XelTolerance& iTol)
    : XelMathFractionX(iN, iD, iTol) {}

XelMathFractionXDel::~XelMathFractionXDel() {
  delete _numerator;
  delete _denominator;
  _numerator = nullptr;
  _denominator = nullptr;
}

XelMathDefineIdentity(XelMathFractionXDel, XelMathFractionX);
