#include "XelMathFunctionX.h"

#include <cmath>
#include <memory>
#include <vector>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathCombinationX.h"
#include "XelMathDifferencesXY.h"
#include "XelMathFourierTransform.h"
#include "XelMathFractionX.h"
#include "XelMathFunctionXYToX.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathConstants.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathOppositeX.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"

namespace {
// The scale factor s and relative epsilon e that the image computations read. A tolerance
// without its validity mark is reported and read as s = e = 0; one in error is handed to
// XelToleranceError and read the same way.
void ReadTolerance(const XelTolerance& iTol, double& oScale, double& oEps) {
  oScale = 0.0;
  oEps = 0.0;
  if (!iTol.IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  if (iTol.GetError()) {
    XelToleranceError(&iTol);
    return;
  }
  oScale = iTol.GetScaleFactor();
  oEps = iTol.GetRelativeEpsilon();
}

// Whether a reference reached us bound to no object (a caller dereferenced null).
bool IsNullReference(const XelTolerance& iTol) {
  const XelTolerance* volatile address = &iTol;
  return address == nullptr;
}

// The Chebyshev bound of iF over iI: for 4, 8, 12 and 16 terms, stops as soon as the
// function is flat within the tolerance or the series has converged. 1 and oImage then.
int ChebyshevImage(const XelMathFunctionX* iF, const XelMathInterval& iI, double iScale,
                   double iEps, double iConfidence, XelMathInterval& oImage) {
  double c[16];
  for (long n = 4; n <= 16; n += 4) {
    XelMathFourierTransform::ChebyshevCoefficientsX(iF, iI, n, c);
    const double tail = std::fabs(c[n - 2]) + std::fabs(c[n - 1]);
    double body = 0.0;
    for (long k = 1; k <= n - 3; ++k)
      body += std::fabs(c[k]);
    if (body + tail <= iEps * (iScale + std::fabs(c[0])) || tail <= iConfidence * body) {
      const double radius = body + 2.0 * tail;
      oImage = XelMathInterval(c[0] - radius, c[0] + radius);
      return 1;
    }
  }
  return 0;
}

inline double Min(double a, double b) {
  return a < b ? a : b;
}
inline double Max(double a, double b) {
  return a > b ? a : b;
}
} // namespace

XelMathFunctionX::~XelMathFunctionX() = default;

XelMathDefineIsAKindOf(XelMathFunctionX, XelMathFunctionGeneral);

long XelMathFunctionX::GetNumberOfVariables() const {
  return 1;
}

unsigned char XelMathFunctionX::IsATypeOf(const long iType) const {
  return iType == XelMathTypeId::FunctionX ? 1 : 0;
}

// ==== point evaluations ==================================================================
// (The steps widen where x is too large to keep them: XelMathDifferencesXY::StepAt.)
double XelMathFunctionX::EvalFirstDeriv(const double& x) const {
  const double h = XelMathDifferencesXY::StepAt(XelMathh1, x);
  return (Eval(x + h) - Eval(x - h)) / (2.0 * h);
}

double XelMathFunctionX::EvalSecondDeriv(const double& x) const {
  if (IsOption(XelMathOption::FirstDeriv)) {
    const double h = XelMathDifferencesXY::StepAt(XelMathh1, x);
    return (EvalFirstDeriv(x + h) - EvalFirstDeriv(x - h)) / (2.0 * h);
  }
  const double h = XelMathDifferencesXY::StepAt(XelMathh2, x);
  return (Eval(x + h) + Eval(x - h) - 2.0 * Eval(x)) / (h * h);
}

double XelMathFunctionX::EvalThirdDeriv(const double& x) const {
  const double h = XelMathDifferencesXY::StepAt(XelMathh3, x);
  return (EvalSecondDeriv(x + h) - EvalSecondDeriv(x - h)) / (2.0 * h);
}

void XelMathFunctionX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                            double* oF2) const {
  if ((iOptions & XelMathOption::Value) && oF)
    *oF = Eval(x);
  if ((iOptions & XelMathOption::FirstDeriv) && oF1)
    *oF1 = EvalFirstDeriv(x);
  if ((iOptions & XelMathOption::SecondDeriv) && oF2)
    *oF2 = EvalSecondDeriv(x);
}

void XelMathFunctionX::Eval(const XelMathInterval& iI, const long iNbPoints, const long iOptions,
                            double* oF, double* oF1, double* oF2) const {
  if (iNbPoints < 1)
    return;
  if (iNbPoints == 1) {
    Eval(iI.low, iOptions, oF, oF1, oF2);
    return;
  }
  const long last = iNbPoints - 1;
  if (iOptions >= 1 && iOptions <= 7) {
    const double step = (iI.high - iI.low) / double(last);
    double x = iI.low;
    for (long i = 0; i < last; ++i, x += step)
      Eval(x, iOptions, oF ? oF + i : nullptr, oF1 ? oF1 + i : nullptr, oF2 ? oF2 + i : nullptr);
  }
  Eval(iI.high, iOptions, oF ? oF + last : nullptr, oF1 ? oF1 + last : nullptr,
       oF2 ? oF2 + last : nullptr);
}

void XelMathFunctionX::EvalPoints(const long iN, const double* iX, const long iOptions,
                                  double* oF, double* oF1, double* oF2) const {
  if (iN < 1)
    return;
  if (!iX)
    XelMathRaise(XelErrorCode::InvalidOption, "the abscissas", "null",
                 "XelMathFunctionX::EvalPoints");
  EvalBatch(iN, iX, iOptions, oF, oF1, oF2);
}

void XelMathFunctionX::EvalBatch(const long iN, const double* iX, const long iOptions,
                                 double* oF, double* oF1, double* oF2) const {
  for (long i = 0; i < iN; ++i)
    Eval(iX[i], iOptions, oF ? oF + i : nullptr, oF1 ? oF1 + i : nullptr,
         oF2 ? oF2 + i : nullptr);
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathFunctionX::Eval(const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionX::EvalFirstDeriv(const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionX::EvalSecondDeriv(const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionX::EvalThirdDeriv(const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}

void XelMathFunctionX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                            XelMathInterval* oF1, XelMathInterval* oF2) const {
  bool haveF1 = false;
  XelMathInterval f1;
  if (oF2 && (iOptions & XelMathOption::SecondDerivImage)) {
    *oF2 = EvalSecondDeriv(iI);
    if (oF1 && (iOptions & XelMathOption::FirstDerivImage)) {
      // A second derivative of constant sign makes the first derivative monotone.
      if (oF2->low >= 0.0)
        f1 = XelMathInterval(EvalFirstDeriv(iI.low), EvalFirstDeriv(iI.high));
      else if (oF2->high <= 0.0)
        f1 = XelMathInterval(EvalFirstDeriv(iI.high), EvalFirstDeriv(iI.low));
      else
        f1 = EvalFirstDeriv(iI);
      if (std::isnan(f1.low) || std::isnan(f1.high)) // an end value that overflowed to no number
        f1 = EvalFirstDeriv(iI);
      *oF1 = f1;
      haveF1 = true;
    }
  } else if (oF1 && (iOptions & XelMathOption::FirstDerivImage)) {
    f1 = EvalFirstDeriv(iI);
    *oF1 = f1;
    haveF1 = true;
  }
  if (oF && (iOptions & XelMathOption::Image)) {
    if (haveF1 && f1.low >= 0.0)
      *oF = XelMathInterval(Eval(iI.low), Eval(iI.high));
    else if (haveF1 && f1.high <= 0.0)
      *oF = XelMathInterval(Eval(iI.high), Eval(iI.low));
    else
      *oF = Eval(iI);
    if (std::isnan(oF->low) || std::isnan(oF->high)) // an end value that overflowed to no number
      *oF = Eval(iI);
  }
}

// ==== copies =============================================================================
XelMathFunctionX* XelMathFunctionX::DeepDuplicate() const {
  XelMathRaiseForbidden("DeepDuplicate", __FILE__, __LINE__);
}

// ==== analyses ===========================================================================
double XelMathFunctionX::Integrate(const XelMathInterval& iI, double iEps) const {
  return IntegrateAbsOrRel(iI, iEps, 0);
}

double XelMathFunctionX::IntegrateRelative(const XelMathInterval& iI, double iEps) const {
  return IntegrateAbsOrRel(iI, iEps, 1);
}

// ==== construction =======================================================================
XelMathFunctionX* XelMathFunctionX::FormalCombination(const long, const XelMathFunctionX**,
                                                      const double*, const double) const {
  return nullptr;
}

double XelMathFunctionX::GetChebyshevConfidenceParametre() const {
  return 1e-4;
}

// ==== guaranteed images ==================================================================
XelMathInterval XelMathFunctionX::ComputeOptimalImage(const XelMathInterval& iI,
                                                      const XelTolerance& iTol) const {
  return BaseComputeOptimalImage(iI, iTol);
}

int XelMathFunctionX::ComputeImageByChebyshev(const XelMathInterval& iI, XelMathInterval& oImage,
                                              const XelTolerance& iTol) const {
  if (IsNullReference(iTol)) {
    XelQuornull(__FILE__, __LINE__);
    return 0;
  }
  double s = 0.0, eps = 0.0;
  ReadTolerance(iTol, s, eps);
  return ChebyshevImage(this, iI, s, eps, GetChebyshevConfidenceParametre(), oImage);
}

XelMathInterval XelMathFunctionX::RComputeOptimalImage(const XelMathInterval& iI,
                                                       const XelMathInterval& iImage,
                                                       const long iDepth,
                                                       const XelTolerance& iTol) const {
  if (IsOption(XelMathOption::FirstDerivImage)) {
    const XelMathInterval d = EvalFirstDeriv(iI);
    if (d.low >= 0.0 || d.high <= 0.0) {
      const double fl = Eval(iI.low), fh = Eval(iI.high);
      return XelMathInterval(Min(fl, fh), Max(fl, fh));
    }
  }
  if (iDepth >= 3)
    return iImage;
  const double mid = 0.5 * (iI.low + iI.high);
  const XelMathInterval left(iI.low, mid), right(mid, iI.high);
  const XelMathInterval jl = Eval(left), jr = Eval(right);
  const XelMathInterval u(Min(jl.low, jr.low), Max(jl.high, jr.high));
  double s = 0.0, eps = 0.0;
  ReadTolerance(iTol, s, eps);
  // Too little gained by the split: the union of the halves' images is the answer.
  if (iImage.high - iImage.low <= 1.2 * (u.high - u.low) + eps * (s + iI.Norm()))
    return u;
  const XelMathInterval l = RComputeOptimalImage(left, jl, iDepth + 1, iTol);
  const XelMathInterval r = RComputeOptimalImage(right, jr, iDepth + 1, iTol);
  return XelMathInterval(Min(l.low, r.low), Max(l.high, r.high));
}

namespace {
// Samples of the check of the image found by the extremum search.
const long ImageCheckSamples = 33;

// Samples of the extremum search of a sampled image: the minimizer's default count.
const long ImageSearchSampling = 15;

// The extremum search behind the image: the global minimum and maximum of iG over iI (in
// the variable of iG), run on iS iG when the model is scaled so that the searches compare
// values in model units. The image is [g(min point), g(max point)]; the ends of iI and a few
// samples take part too, so that a search that misses an extremum still leaves an enclosure
// of what was seen. A function that is NaN or infinite at any of these points has no bound
// the search can give: the image is then the whole line, which says so.
XelMathInterval ImageByExtremumSearch(const XelMathFunctionX* iG, const XelMathInterval& iI,
                                      const XelTolerance& iTol, double iS, long iReviewed) {
  XelMathAttrString absolute("AbsoluteExtremum", 1);
  XelMathAttrTolObject tolerance(iTol);
  XelMathAttrScaleOption scale(2, 1);
  scale.SetOKReviewed(iReviewed);
  // The image is a sampled one: the minimizer's first sampling, not refined further (an image
  // is asked for often, and the search refining its samples would spend thousands of values
  // on a function that oscillates beyond any sampling).
  XelMathAttrIntegerValue sampling(AttrFunctionXSamplingPoints, ImageSearchSampling, 1);
  XelMathAttrList attributes;
  attributes.AddAttribute(&absolute);
  attributes.AddAttribute(&tolerance);
  attributes.AddAttribute(&scale);
  attributes.AddAttribute(&sampling);

  std::unique_ptr<XelMathCombinationX> scaled;
  const XelMathFunctionX* searched = iG;
  if (iS != 1.0 && iS > 0.0) {
    const XelMathFunctionX* parts[1] = {iG};
    const double factor[1] = {iS};
    scaled.reset(new XelMathCombinationX(1, parts, factor, 0.0));
    searched = scaled.get();
  }

  const double gl = iG->Eval(iI.low), gh = iG->Eval(iI.high);
  XelMathInterval image(Min(gl, gh), Max(gl, gh));
  XelMathSetOfPointsND points(1, 1);
  double x = 0.0;
  searched->Minimize(iI, points, &attributes);
  for (long i = 0; i < points.GetNumberOfPoints(); ++i) {
    points.GetPoint(i, &x);
    image.low = Min(image.low, iG->Eval(x));
  }
  points.Reset();
  searched->Maximize(iI, points, &attributes);
  for (long i = 0; i < points.GetNumberOfPoints(); ++i) {
    points.GetPoint(i, &x);
    image.high = Max(image.high, iG->Eval(x));
  }
  bool bounded = std::isfinite(gl) && std::isfinite(gh);
  for (long k = 1; k + 1 < ImageCheckSamples && bounded; ++k) {
    const double g = iG->Eval(iI.low + (iI.high - iI.low) * (double(k) / (ImageCheckSamples - 1)));
    bounded = std::isfinite(g);
    image.low = Min(image.low, g);
    image.high = Max(image.high, g);
  }
  if (!bounded || !std::isfinite(image.low) || !std::isfinite(image.high))
    return XelMathInterval(-HUGE_VAL, HUGE_VAL);
  return image;
}
} // namespace

XelMathInterval XelMathFunctionX::BaseComputeOptimalImage(const XelMathInterval& iI,
                                                          const XelTolerance& iTol) const {
  if (IsNullReference(iTol)) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathInterval(0.0, 0.0);
  }
  double s = 0.0, eps = 0.0;
  ReadTolerance(iTol, s, eps);

  // 1. The scale option filed for this function, else the one a basis function carries.
  const XelMathAttrScaleOption* option =
      XelMathAnalysisScaling::FiledScaleOption(XelMathMessage::ImageScale, this);
  if (!option)
    option = XelMathAnalysisScaling::BasisOption(this);
  long reviewed = 0;
  std::unique_ptr<XelMathScaleFunctionX> scaled;
  const XelMathFunctionX* work = this;
  XelMathInterval J = iI;
  if (option) {
    long pF = 1, pX = 1;
    XelMathAnalysisScaling::ReadPowers(*option, "XelMathFunctionX::ComputeOptimalImage", pF, pX);
    reviewed = option->GetOKReviewed();
    if (s != 1.0 && s > 0.0 && !(pX == 1 && pF == 1)) {
      // Powers are shifted in double: LONG_MIN or LONG_MAX must not overflow.
      const double variableFactor = pX == 1 ? 1.0 : (pX == 2 ? s : std::pow(s, double(pX) - 1.0));
      const double functionFactor = pF == 1 ? 1.0 : (pF == 0 ? s : std::pow(s, 1.0 - double(pF)));
      XelMathAnalysisScaling::CheckFactors(functionFactor, variableFactor,
                                           "XelMathFunctionX::ComputeOptimalImage");
      scaled.reset(new XelMathScaleFunctionX(this, functionFactor, variableFactor));
      if (reviewed)
        scaled->SetOKScaleReviewed();
      // The image of this function over I is the image of the scaled one over I / b.
      scaled->ComputeScaledDomain(iI, J);
      work = scaled.get();
    }
  } else if (IsAKindOf("XelMathScaleFunctionX")) {
    reviewed = static_cast<const XelMathScaleFunctionX*>(this)->GetOKScaleReviewed();
  }

  // 2. Chebyshev bound. A sample on a zero of a denominator inside (a fraction under a
  // wrapper) means the image is unbounded.
  XelMathInterval image;
  try {
    if (ChebyshevImage(work, J, s, eps, GetChebyshevConfidenceParametre(), image)) {
      // 5. Under the debug control of unreviewed scales the search runs too, for its checks.
      if (XelMathSolveAndMinimizeDebug_UnReviewedControl() && !reviewed)
        ImageByExtremumSearch(work, J, iTol, s, reviewed);
    } else if (work->IsOption(XelMathOption::Image)) {
      // 3. Recursive bisection on the function's own interval images.
      image = work->RComputeOptimalImage(J, work->Eval(J), 0, iTol);
    } else {
      // 4. Global extremum search.
      image = ImageByExtremumSearch(work, J, iTol, s, reviewed);
    }
  } catch (const XelMathInputError& e) {
    if (e.GetCode() != XelErrorCode::NullDenominator)
      throw;
    return XelMathInterval(-XelMathInfinite, XelMathInfinite);
  }

  // 6. Back to the values of this function.
  if (scaled) {
    const double a = scaled->GetFunctionFactor();
    image = a < 0.0 ? XelMathInterval(image.high / a, image.low / a)
                    : XelMathInterval(image.low / a, image.high / a);
  }
  return image;
}

XelMathInterval ComputeOptimalImage(const XelMathFunctionX* iF, const XelMathInterval& iI,
                                    const XelTolerance& iTol, XelMathAttrScaleOption* iOption,
                                    int iForceBase) {
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathInterval(0.0, 0.0);
  }
  const XelMathMailboxEntry filed(XelMathMessage::ImageScale, iF, iOption);
  XelXHContext region;
  return iForceBase ? iF->BaseComputeOptimalImage(iI, iTol) : iF->ComputeOptimalImage(iI, iTol);
}

// ==== tolerance lookup ===================================================================
const XelTolerance* XelMathFunctionXFindTolerance(const XelMathFunctionX* iF) {
  if (!iF)
    return nullptr;
  if (iF->IsAKindOf("XelMathBasisFunctionX"))
    return static_cast<const XelMathBasisFunctionX*>(iF)->GetToleranceObject();
  if (iF->IsAKindOf("XelMathCombinationX")) {
    const int n = iF->GetDirectComponents(0, nullptr);
    if (n <= 0)
      return nullptr;
    std::vector<const XelMathFunctionGeneral*> components(static_cast<size_t>(n), nullptr);
    const int m = iF->GetDirectComponents(n, components.data());
    for (int i = 0; i < n && i < m; ++i) {
      const XelMathFunctionGeneral* component = components[i];
      if (!component || !component->IsAKindOf("XelMathFunctionX"))
        continue;
      if (const XelTolerance* tol =
              XelMathFunctionXFindTolerance(static_cast<const XelMathFunctionX*>(component)))
        return tol;
    }
    return nullptr;
  }
  if (iF->IsAKindOf("XelMathOppositeX"))
    return XelMathFunctionXFindTolerance(static_cast<const XelMathOppositeX*>(iF)->GetFunction());
  if (iF->IsAKindOf("XelMathScaleFunctionX"))
    return XelMathFunctionXFindTolerance(
        static_cast<const XelMathScaleFunctionX*>(iF)->GetFunction());
  if (iF->IsAKindOf("XelMathTrigonometricX"))
    return static_cast<const XelMathTrigonometricX*>(iF)->GetTolerance();
  if (iF->IsAKindOf("XelMathFunctionXYToX"))
    return static_cast<const XelMathFunctionXYToX*>(iF)->GetTolerance();
  if (iF->IsAKindOf("XelMathFractionX"))
    return static_cast<const XelMathFractionX*>(iF)->GetTolerance();
  return nullptr;
}

const XelTolerance& XelMathFunctionXGetTolerance(const XelMathFunctionX* iF) {
  const XelTolerance* tol = XelMathFunctionXFindTolerance(iF);
  return tol ? *tol : XelGetDefaultTolerance();
}
