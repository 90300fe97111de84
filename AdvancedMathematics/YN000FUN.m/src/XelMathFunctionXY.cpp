#include "XelMathFunctionXY.h"

#include <climits>
#include <cmath>
#include <memory>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrString.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBasisFunctionXY.h"
#include "XelMathCombinationXY.h"
#include "XelMathCompositionXByXY.h"
#include "XelMathDerivFunctionXY.h"
#include "XelMathDifferencesXY.h"
#include "XelMathElementaryTools.h"
#include "XelMathFourierTransform.h"
#include "XelMathFunctionX.h"
#include "XelMathFunctionXYToX.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval2D.h"
#include "XelMathIntervalND.h"
#include "XelMathOppositeXY.h"
#include "XelMathScaleFunctionXY.h"
#include "XelMathScratch.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathWrapperToolsXY.h"
#include "XelTolerance.h"

namespace {
/// The steps of the default derivatives.
const XelMathDifferencesXY::Steps kDefaultSteps = {XelMathh1, XelMathh1, XelMathh2,
                                                   XelMathh2, XelMathh3, XelMathh3};

using XelMathElementary::Hull;
using XelMathElementary::Max2;
using XelMathElementary::Min2;

// The roles of the tolerance that the image computations read: the scale factor s, the
// relative epsilon e, the absolute resolution a and the parametric resolution w. A tolerance
// without its validity mark is reported and read as 0; one in error is handed to
// XelToleranceError and read the same way.
struct ImageTolerance {
  double scale = 0.0;
  double relative = 0.0;
  double absolute = 0.0;
  double parametric = 0.0;
};

ImageTolerance ReadTolerance(const XelTolerance& iTol) {
  ImageTolerance t;
  if (!iTol.IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return t;
  }
  if (iTol.GetError()) {
    XelToleranceError(&iTol);
    return t;
  }
  t.scale = iTol.GetScaleFactor();
  t.relative = iTol.GetRelativeEpsilon();
  t.absolute = iTol.GetAbsoluteResolution();
  t.parametric = iTol.GetParametricResolution();
  return t;
}

// Whether a reference reached us bound to no object (a caller dereferenced null).
bool IsNullReference(const XelTolerance& iTol) {
  const XelTolerance* volatile address = &iTol;
  return address == nullptr;
}

// Constant sign over an interval: non-negative (low >= 0) or non-positive (high <= 0).
inline bool HasSign(const XelMathInterval& iI) {
  return iI.low >= 0.0 || iI.high <= 0.0;
}

inline bool IsFinite(const XelMathInterval& iI) {
  return std::isfinite(iI.low) && std::isfinite(iI.high);
}

// The image of f over I x J when fx has the sign of iFx and fy that of iFy on the box (both of
// constant sign): f is monotone in each variable, its extrema lie at two opposite corners.
XelMathInterval CornerImage(const XelMathFunctionXY& iF, const XelMathInterval& iI,
                            const XelMathInterval& iJ, const XelMathInterval& iFx,
                            const XelMathInterval& iFy) {
  const bool upX = iFx.low >= 0.0, upY = iFy.low >= 0.0;
  const double lo = iF.Eval(upX ? iI.low : iI.high, upY ? iJ.low : iJ.high);
  const double hi = iF.Eval(upX ? iI.high : iI.low, upY ? iJ.high : iJ.low);
  return XelMathInterval(lo, hi);
}

// The node i of n regular nodes of iI: the low end for a single node, exactly the high end
// for the last one.
inline double Node(const XelMathInterval& iI, const long i, const long n) {
  if (n <= 1 || i == 0)
    return iI.low;
  if (i == n - 1)
    return iI.high;
  return iI.low + double(i) * ((iI.high - iI.low) / double(n - 1));
}

// Cell i of n equal cells of iI; the last one ends exactly at the high end.
inline XelMathInterval Cell(const XelMathInterval& iI, const long i, const long n) {
  const double step = (iI.high - iI.low) / double(n);
  const double low = i == 0 ? iI.low : iI.low + double(i) * step;
  const double high = i == n - 1 ? iI.high : iI.low + double(i + 1) * step;
  return XelMathInterval(low, high);
}

// Acceptance ratios of the tail of a Chebyshev series: 4 terms, more terms.
const double TailRatioFirst = 1e-4;
const double TailRatioNext = 1e-3;
// Largest number of terms per variable of the Chebyshev image.
const long MaxChebyshevTerms = 16;
// Relative rounding allowed between a probe value and the series (64 ulps).
const double ProbeRounding = 64.0 * 2.220446049250313e-16;

// The Chebyshev bound of iF over iI x iJ for n = 4, 8, 12, 16 terms per variable (see
// ComputeImageByChebyshev). An accepted bound must also hold the values at the four corners
// and the centre (already known points): a series whose samples all miss the function's
// variation (f = T_n sampled at its own zeros) then goes on to more terms.
int ChebyshevImage(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                   const XelMathInterval& iJ, const ImageTolerance& iTol, XelMathInterval& oImage) {
  double c[MaxChebyshevTerms * MaxChebyshevTerms];
  double probes[5];
  bool probed = false;
  for (long n = 4; n <= MaxChebyshevTerms; n += 4) {
    XelMathFourierTransform::ChebyshevCoefficientsXY(iF, iI, iJ, n, n, c);
    double tail = 0.0, body = 0.0;
    for (long i = 0; i < n; ++i)
      for (long j = 0; j < n; ++j) {
        const double a = std::fabs(c[i * n + j]);
        if (i >= n - 2 || j >= n - 2)
          tail += a;
        else if (i != 0 || j != 0)
          body += a;
      }
    const double c0 = c[0];
    const bool flat = body <= iTol.relative * (iTol.absolute + std::fabs(c0));
    const bool converged = tail <= (n == 4 ? TailRatioFirst : TailRatioNext) * body;
    if (!flat && !converged)
      continue;
    const double radius = body + 2.0 * tail;
    const XelMathInterval image(c0 - radius, c0 + radius);
    if (!(image.low <= image.high))
      return 0; // a sample that is NaN: no series describes the function
    if (!probed) {
      probes[0] = iF->Eval(iI.low, iJ.low);
      probes[1] = iF->Eval(iI.low, iJ.high);
      probes[2] = iF->Eval(iI.high, iJ.low);
      probes[3] = iF->Eval(iI.high, iJ.high);
      probes[4] = iF->Eval(0.5 * (iI.low + iI.high), 0.5 * (iJ.low + iJ.high));
      probed = true;
    }
    // The probes may differ from the series by its rounding errors; the image then takes
    // them in.
    const double slack = Max2(iTol.relative * (iTol.absolute + std::fabs(c0)),
                              ProbeRounding * (std::fabs(c0) + radius));
    bool holds = true;
    XelMathInterval withProbes = image;
    for (const double v : probes) {
      holds = holds && v >= image.low - slack && v <= image.high + slack;
      withProbes = Hull(withProbes, XelMathInterval(v, v));
    }
    if (holds) {
      oImage = withProbes;
      return 1;
    }
  }
  return 0;
}

// Side of the check grid of the image by extremum search.
const long ImageCheckSamples = 17;
// Side of the grid of the extremum search of an image: the minimizer's default.
const long ImageSearchSampling = 12;

// The extremum search behind the image: the global minimum of iG and of its opposite over
// iI x iJ (the function's Minimize, whatever it is), together with the values at a regular
// grid of check samples, so that a search that misses an extremum still leaves an enclosure
// of what was seen. The result is widened by the tolerance on values. A function that is NaN
// or infinite at any of these points has no bound the search can give: the image is then the
// whole line, which says so.
XelMathInterval ImageByExtremumSearch(const XelMathFunctionXY* iG, const XelMathInterval& iI,
                                      const XelMathInterval& iJ, const XelTolerance& iTol,
                                      const ImageTolerance& iRoles) {
  XelMathAttrString absolute(AttrFunctionXAbsoluteExtremum, 1);
  XelMathAttrTolObject tolerance(iTol);
  // A sampled image: the minimizer's default grid, not refined further (an image is asked for
  // often, and refining would spend thousands of values on a function that oscillates).
  XelMathAttrIntegerValue samplingU("SamplingPointsX", ImageSearchSampling, 1);
  XelMathAttrIntegerValue samplingV("SamplingPointsY", ImageSearchSampling, 1);
  XelMathAttrList attributes;
  attributes.AddAttribute(&absolute);
  attributes.AddAttribute(&tolerance);
  attributes.AddAttribute(&samplingU);
  attributes.AddAttribute(&samplingV);

  const XelMathInterval whole(-HUGE_VAL, HUGE_VAL);
  const long counts[2] = {ImageCheckSamples, ImageCheckSamples};
  const double coords[4] = {iI.low, iI.high, iJ.low, iJ.high};
  const XelMathIntervalND box(2, coords);
  XelMathScratchDoubles<> values(ImageCheckSamples * ImageCheckSamples);
  iG->Eval(box, counts, XelMathOption::Value, values.Data(), nullptr, nullptr, nullptr, nullptr,
           nullptr);
  XelMathInterval image(values[0], values[0]);
  for (long k = 0; k < ImageCheckSamples * ImageCheckSamples; ++k) {
    if (!std::isfinite(values[k]))
      return whole;
    image.low = Min2(image.low, values[k]);
    image.high = Max2(image.high, values[k]);
  }

  const XelMathInterval2D domain(iI, iJ);
  XelMathSetOfPointsND points(2, 4);
  double p[2] = {0.0, 0.0};
  iG->Minimize(domain, points, &attributes);
  for (long i = 0; i < points.GetNumberOfPoints(); ++i) {
    points.GetPoint(i, p);
    image.low = Min2(image.low, iG->Eval(p[0], p[1]));
  }
  points.Reset();
  const XelMathOppositeXY opposite(iG);
  opposite.Minimize(domain, points, &attributes);
  for (long i = 0; i < points.GetNumberOfPoints(); ++i) {
    points.GetPoint(i, p);
    image.high = Max2(image.high, iG->Eval(p[0], p[1]));
  }
  if (!IsFinite(image))
    return whole;
  const double widening = 16.0 * iRoles.relative *
                          (iRoles.absolute + Max2(std::fabs(image.low), std::fabs(image.high)));
  return XelMathInterval(image.low - widening, image.high + widening);
}

// The single F power and the two X powers of a scale option; raises 0x20006 otherwise.
void ReadPowersXY(const XelMathAttrScaleOption& iOption, const char* iWhere, long& oF, long& oX,
                  long& oY) {
  long nbF = 0, nbX = 0;
  const long* powersF = iOption.GetPowerScaleF(nbF);
  const long* powersX = iOption.GetPowerScaleX(nbX);
  if (nbF != 1 || nbX != 2 || !powersF || !powersX)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                 iWhere);
  oF = powersF[0];
  oX = powersX[0];
  oY = powersX[1];
}

// s^(p - 1) without overflow of p - 1 (1 for p = 1, s for p = 2).
inline double VariableFactor(const double s, const long p) {
  return p == 1 ? 1.0 : (p == 2 ? s : std::pow(s, double(p) - 1.0));
}

// [low / b, high / b], ends swapped for a negative b.
inline XelMathInterval Divided(const XelMathInterval& iI, const double b) {
  return b < 0.0 ? XelMathInterval(iI.high / b, iI.low / b)
                 : XelMathInterval(iI.low / b, iI.high / b);
}

// The outer integrand of the double integrals: x -> integral of y -> f(x, y) over J, or over
// [y0, g(x)], by the adaptive integrator of one-variable functions with the same tolerance
// and mode.
class XelMathFunctionXYUtil1 : public XelMathFunctionX {
public:
  XelMathFunctionXYUtil1(const XelMathFunctionXY* iF, const XelMathInterval& iJ, double iEps,
                         unsigned char iRelative)
      : _function(iF), _g(nullptr), _j(iJ), _y0(iJ.low), _eps(iEps), _relative(iRelative) {}
  XelMathFunctionXYUtil1(const XelMathFunctionXY* iF, const double iY0, const XelMathFunctionX* iG,
                         double iEps, unsigned char iRelative)
      : _function(iF), _g(iG), _j(iY0, iY0), _y0(iY0), _eps(iEps), _relative(iRelative) {}
  const char* IsA() const override { return "XelMathFunctionXYUtil1"; }
  unsigned char IsAKindOf(const char* iName) const override {
    if (iName && SameName(iName, "XelMathFunctionXYUtil1"))
      return 1;
    return XelMathFunctionX::IsAKindOf(iName);
  }
  long GetStaticMemoryBytes() const override { return long(sizeof(*this)); }
  long GetDynamicMemoryBytes() const override { return 0; }
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override {
    if (iSize >= 1 && oComponents)
      oComponents[0] = _function;
    return 1;
  }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override {
    const XelMathInterval J = _g ? XelMathInterval(_y0, _g->Eval(x)) : _j;
    const XelMathFunctionXYToX slice(_function, x, 0, XelMathFunctionXYGetTolerance(_function));
    return _relative ? slice.IntegrateRelative(J, _eps) : slice.Integrate(J, _eps);
  }
  XelMathFunctionX* Duplicate() const override { return new XelMathFunctionXYUtil1(*this); }

private:
  const XelMathFunctionXY* _function;
  const XelMathFunctionX* _g;
  XelMathInterval _j;
  double _y0;
  double _eps;
  unsigned char _relative;
};

} // namespace

XelMathFunctionXY::~XelMathFunctionXY() = default;

XelMathDefineIsAKindOf(XelMathFunctionXY, XelMathFunctionGeneral);

long XelMathFunctionXY::GetNumberOfVariables() const {
  return 2;
}

// ==== point evaluations ==================================================================
double XelMathFunctionXY::EvalFirstDerivX(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstX(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalFirstDerivY(const double& x, const double& y) const {
  return XelMathDifferencesXY::FirstY(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondX2(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondXY(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return XelMathDifferencesXY::SecondY2(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdX3(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdX2Y(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdXY2(*this, x, y, kDefaultSteps);
}

double XelMathFunctionXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return XelMathDifferencesXY::ThirdY3(*this, x, y, kDefaultSteps);
}

void XelMathFunctionXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                           double& oFx, double& oFy, double& oFxx, double& oFxy,
                                           double& oFyy, double& oFxxx, double& oFxxy,
                                           double& oFxyy, double& oFyyy) const {
  Eval(x, y, XelMathOption::PointUpToSecond, &oF, &oFx, &oFy, &oFxx, &oFxy, &oFyy);
  oFxxx = EvalThirdDerivX3(x, y);
  oFxxy = EvalThirdDerivX2Y(x, y);
  oFxyy = EvalThirdDerivXY2(x, y);
  oFyyy = EvalThirdDerivY3(x, y);
}

void XelMathFunctionXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                           double& oFxxy, double& oFxyy, double& oFyyy) const {
  oFxxx = EvalThirdDerivX3(x, y);
  oFxxy = EvalThirdDerivX2Y(x, y);
  oFxyy = EvalThirdDerivXY2(x, y);
  oFyyy = EvalThirdDerivY3(x, y);
}

void XelMathFunctionXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                             double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  XelMathDifferencesXY::MaskedByOperations(*this, x, y, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
}

void XelMathFunctionXY::Eval(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                             double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                             double* oFyy) const {
  XelMathInterval I, J;
  if (!XelMathWrapperXY::ReadBoxGrid(iBox, iCounts, "XelMathFunctionXY::Eval", I, J))
    return;
  const long nX = iCounts[0], nY = iCounts[1];
  for (long i = 0; i < nX; ++i) {
    const double x = Node(I, i, nX);
    for (long j = 0; j < nY; ++j) {
      const long k = i * nY + j;
      Eval(x, Node(J, j, nY), iDiff, oF ? oF + k : nullptr, oFx ? oFx + k : nullptr,
           oFy ? oFy + k : nullptr, oFxx ? oFxx + k : nullptr, oFxy ? oFxy + k : nullptr,
           oFyy ? oFyy + k : nullptr);
    }
  }
}

void XelMathFunctionXY::EvalGrid(const long iNX, const double* iX, const long iNY, const double* iY,
                                 const long iDiff, double* oF, double* oFx, double* oFy) const {
  if (!XelMathWrapperXY::CheckGivenGrid(iNX, iX, iNY, iY, "XelMathFunctionXY::EvalGrid"))
    return;
  const long mask = iDiff & XelMathOption::ValueAndFirst;
  for (long i = 0; i < iNX; ++i)
    for (long j = 0; j < iNY; ++j) {
      const long k = i * iNY + j;
      Eval(iX[i], iY[j], mask, oF ? oF + k : nullptr, oFx ? oFx + k : nullptr,
           oFy ? oFy + k : nullptr, nullptr, nullptr, nullptr);
    }
}

// ==== checks of the grid evaluations, shared with the classes that override them ===========
void XelMathWrapperXY::CheckGridOutputs(const long nX, const long nY, const char* iWhere) {
  if (nX > 0 && nY > LONG_MAX / nX)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "Invalid Number Of Points", " ", iWhere);
}

bool XelMathWrapperXY::ReadBoxGrid(const XelMathIntervalND& iBox, const long* iCounts,
                                   const char* iWhere, XelMathInterval& oI, XelMathInterval& oJ) {
  if (!iCounts) {
    XelQuornull(__FILE__, __LINE__);
    return false;
  }
  if (iBox.GetDimension() != 2)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathIntervalND", "2", iWhere);
  CheckGridOutputs(iCounts[0], iCounts[1], iWhere);
  oI = iBox.GetInterval(0);
  oJ = iBox.GetInterval(1);
  return iCounts[0] > 0 && iCounts[1] > 0;
}

bool XelMathWrapperXY::CheckGivenGrid(const long iNX, const double* iX, const long iNY,
                                      const double* iY, const char* iWhere) {
  if (iNX < 1 || iNY < 1)
    return false;
  if (!iX || !iY) {
    XelQuornull(__FILE__, __LINE__);
    return false;
  }
  CheckGridOutputs(iNX, iNY, iWhere);
  return true;
}

// ==== interval evaluations ===============================================================
XelMathInterval XelMathFunctionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                        const XelTolerance& iTol) const {
  return ComputeOptimalImage(iI, iJ, iTol);
}

XelMathInterval XelMathFunctionXY::EvalFirstDerivX(const XelMathInterval&,
                                                   const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionXY::EvalFirstDerivY(const XelMathInterval&,
                                                   const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionXY::EvalSecondDerivX2(const XelMathInterval&,
                                                     const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionXY::EvalSecondDerivXY(const XelMathInterval&,
                                                     const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}
XelMathInterval XelMathFunctionXY::EvalSecondDerivY2(const XelMathInterval&,
                                                     const XelMathInterval&) const {
  return XelMathInterval(0.0, 0.0);
}

void XelMathFunctionXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
                             XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy,
                             XelMathInterval* oFxx, XelMathInterval* oFxy, XelMathInterval* oFyy,
                             const XelTolerance& iTol) const {
  // 1. Second derivatives. Their signs (and below those of the first derivatives) are
  // information only when the class computes those images: the base's [0, 0] says nothing.
  bool haveSecond = false;
  if ((iDiff & XelMathOption::SecondDerivImage) && oFxx && oFxy && oFyy) {
    *oFxx = EvalSecondDerivX2(iI, iJ);
    *oFxy = EvalSecondDerivXY(iI, iJ);
    *oFyy = EvalSecondDerivY2(iI, iJ);
    haveSecond = IsOption(XelMathOption::SecondDerivImage) != 0;
  }
  // 2. First derivatives: fx is monotone in x when fxx has a sign, in y when fxy has one;
  // its extrema are then at two opposite corners (fy alike with fxy and fyy).
  bool haveFirst = false;
  XelMathInterval fx, fy;
  if ((iDiff & XelMathOption::FirstDerivImage) && oFx && oFy) {
    if (haveSecond && HasSign(*oFxx) && HasSign(*oFxy)) {
      const bool upX = oFxx->low >= 0.0, upY = oFxy->low >= 0.0;
      fx = XelMathInterval(EvalFirstDerivX(upX ? iI.low : iI.high, upY ? iJ.low : iJ.high),
                           EvalFirstDerivX(upX ? iI.high : iI.low, upY ? iJ.high : iJ.low));
    }
    if (!haveSecond || !HasSign(*oFxx) || !HasSign(*oFxy) || !(fx.low <= fx.high))
      fx = EvalFirstDerivX(iI, iJ);
    if (haveSecond && HasSign(*oFxy) && HasSign(*oFyy)) {
      const bool upX = oFxy->low >= 0.0, upY = oFyy->low >= 0.0;
      fy = XelMathInterval(EvalFirstDerivY(upX ? iI.low : iI.high, upY ? iJ.low : iJ.high),
                           EvalFirstDerivY(upX ? iI.high : iI.low, upY ? iJ.high : iJ.low));
    }
    if (!haveSecond || !HasSign(*oFxy) || !HasSign(*oFyy) || !(fy.low <= fy.high))
      fy = EvalFirstDerivY(iI, iJ);
    *oFx = fx;
    *oFy = fy;
    haveFirst = IsOption(XelMathOption::FirstDerivImage) != 0;
  }
  // 3. The value: monotone in both variables when fx and fy have a sign.
  if ((iDiff & XelMathOption::Image) && oF) {
    XelMathInterval f(1.0, 0.0);
    if (haveFirst && HasSign(fx) && HasSign(fy))
      f = CornerImage(*this, iI, iJ, fx, fy);
    if (!(f.low <= f.high)) // not monotone, or an end value that overflowed to no number
      f = Eval(iI, iJ, iTol);
    *oF = f;
  }
}

void XelMathFunctionXY::Eval(const XelMathIntervalND& iBox, const long* iCounts,
                             XelMathInterval* oImages) const {
  if (!oImages) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  XelMathInterval I, J;
  if (!XelMathWrapperXY::ReadBoxGrid(iBox, iCounts, "XelMathFunctionXY::Eval", I, J))
    return;
  const long nX = iCounts[0], nY = iCounts[1];
  const XelTolerance& tol = XelMathFunctionXYGetTolerance(this);
  for (long i = 0; i < nX; ++i) {
    const XelMathInterval cellX = Cell(I, i, nX);
    for (long j = 0; j < nY; ++j)
      oImages[i * nY + j] = Eval(cellX, Cell(J, j, nY), tol);
  }
}

// ==== guaranteed images ==================================================================
XelMathInterval XelMathFunctionXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                       const XelMathInterval& iJ,
                                                       const XelTolerance& iTol) const {
  return BaseComputeOptimalImage(iI, iJ, iTol);
}

int XelMathFunctionXY::ComputeImageByChebyshev(const XelMathInterval& iI, const XelMathInterval& iJ,
                                               XelMathInterval& oImage,
                                               const XelTolerance& iTol) const {
  if (IsNullReference(iTol)) {
    XelQuornull(__FILE__, __LINE__);
    return 0;
  }
  return ChebyshevImage(this, iI, iJ, ReadTolerance(iTol), oImage);
}

XelMathInterval XelMathFunctionXY::RComputeOptimalImage(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ,
                                                        const XelMathInterval& iImage,
                                                        const long iDepth,
                                                        const XelTolerance& iTol) const {
  // 1. Monotone in both variables: two corner values.
  if (IsOption(XelMathOption::FirstDerivImage)) {
    const XelMathInterval fx = EvalFirstDerivX(iI, iJ);
    if (HasSign(fx)) {
      const XelMathInterval fy = EvalFirstDerivY(iI, iJ);
      if (HasSign(fy)) {
        const XelMathInterval f = CornerImage(*this, iI, iJ, fx, fy);
        if (f.low <= f.high)
          return f;
      }
    }
  }
  // 2. Deep enough.
  if (iDepth >= 3)
    return iImage;
  // 3. Split what is wider than the parametric resolution.
  const double w = IsNullReference(iTol) ? 0.0 : ReadTolerance(iTol).parametric;
  const double mx = (iI.low + iI.high) * 0.5, my = (iJ.low + iJ.high) * 0.5;
  XelMathInterval boxesX[4], boxesY[4];
  long n = 0;
  if (iI.high - iI.low < w) {
    boxesX[0] = boxesX[1] = iI;
    boxesY[0] = XelMathInterval(iJ.low, my);
    boxesY[1] = XelMathInterval(my, iJ.high);
    n = 2;
  } else if (iJ.high - iJ.low < w) {
    boxesX[0] = XelMathInterval(iI.low, mx);
    boxesX[1] = XelMathInterval(mx, iI.high);
    boxesY[0] = boxesY[1] = iJ;
    n = 2;
  } else {
    for (long k = 0; k < 4; ++k) {
      boxesX[k] = k < 2 ? XelMathInterval(iI.low, mx) : XelMathInterval(mx, iI.high);
      boxesY[k] = k % 2 == 0 ? XelMathInterval(iJ.low, my) : XelMathInterval(my, iJ.high);
    }
    n = 4;
  }
  // 4. Images of the pieces and their union.
  XelMathInterval images[4];
  XelMathInterval u;
  for (long k = 0; k < n; ++k) {
    images[k] = Eval(boxesX[k], boxesY[k], iTol);
    u = k == 0 ? images[0] : Hull(u, images[k]);
  }
  // 5. Too little gained by the split: the union is the answer.
  if (iImage.high - iImage.low <= 1.2 * (u.high - u.low) + w)
    return u;
  // 6. Refine every piece.
  XelMathInterval r;
  for (long k = 0; k < n; ++k) {
    const XelMathInterval piece =
        RComputeOptimalImage(boxesX[k], boxesY[k], images[k], iDepth + 1, iTol);
    r = k == 0 ? piece : Hull(r, piece);
  }
  return r;
}

XelMathInterval XelMathFunctionXY::BaseComputeOptimalImage(const XelMathInterval& iI,
                                                           const XelMathInterval& iJ,
                                                           const XelTolerance& iTol) const {
  if (IsNullReference(iTol)) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathInterval(0.0, 0.0);
  }
  const ImageTolerance roles = ReadTolerance(iTol);
  const double s = roles.scale;

  // 1. The scale option filed for this function: values in the power pF of the scale,
  // variables in the powers pX, pY. The search runs on h(x, y) = a f(bX x, bY y), whose
  // values and variables are in the scale itself.
  const XelMathAttrScaleOption* option =
      XelMathAnalysisScaling::FiledScaleOption(XelMathMessage::ImageScale, this);
  long reviewed = 0;
  std::unique_ptr<XelMathScaleFunctionXY> scaled;
  double functionFactor = 1.0;
  const XelMathFunctionXY* work = this;
  XelMathInterval I = iI, J = iJ;
  if (option) {
    long pF = 1, pX = 1, pY = 1;
    ReadPowersXY(*option, "XelMathFunctionXY::ComputeOptimalImage", pF, pX, pY);
    reviewed = option->GetOKReviewed();
    if (s != 1.0 && s > 0.0 && !(pF == 1 && pX == 1 && pY == 1)) {
      // Powers are shifted in double: LONG_MIN or LONG_MAX must not overflow.
      const double bX = VariableFactor(s, pX), bY = VariableFactor(s, pY);
      functionFactor = pF == 1 ? 1.0 : (pF == 0 ? s : std::pow(s, 1.0 - double(pF)));
      XelMathAnalysisScaling::CheckFactors(functionFactor, bX,
                                           "XelMathFunctionXY::ComputeOptimalImage");
      XelMathAnalysisScaling::CheckFactors(functionFactor, bY,
                                           "XelMathFunctionXY::ComputeOptimalImage");
      scaled.reset(new XelMathScaleFunctionXY(this, functionFactor, bX, bY));
      // The image of this function over I x J is that of h over (I / bX) x (J / bY).
      I = Divided(iI, bX);
      J = Divided(iJ, bY);
      work = scaled.get();
    }
  }

  // 2. Chebyshev bound, else 3. global extremum search. A sample on a zero of a denominator
  // inside (a fraction under a wrapper) means the image is unbounded.
  XelMathInterval image;
  try {
    if (ChebyshevImage(work, I, J, roles, image)) {
      // Under the debug control of unreviewed scales the search runs too, for its checks.
      if (XelMathSolveAndMinimizeDebug_UnReviewedControl() && !reviewed)
        ImageByExtremumSearch(work, I, J, iTol, roles);
    } else {
      image = ImageByExtremumSearch(work, I, J, iTol, roles);
    }
  } catch (const XelMathInputError& e) {
    if (e.GetCode() != XelErrorCode::NullDenominator)
      throw;
    return XelMathInterval(-XelMathInfinite, XelMathInfinite);
  }

  // 4. Back to the values of this function.
  if (scaled) {
    const double a = functionFactor;
    image = a < 0.0 ? XelMathInterval(image.high / a, image.low / a)
                    : XelMathInterval(image.low / a, image.high / a);
  }
  return image;
}

XelMathInterval ComputeOptimalImage(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                                    const XelMathInterval& iJ, const XelTolerance& iTol,
                                    XelMathAttrScaleOption* iOption, int iForceBase) {
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    return XelMathInterval(0.0, 0.0);
  }
  // The option is unfiled on every way out, an error included, which then goes on.
  const XelMathMailboxEntry filed(XelMathMessage::ImageScale, iF, iOption);
  XelXHContext region;
  return iForceBase ? iF->BaseComputeOptimalImage(iI, iJ, iTol)
                    : iF->ComputeOptimalImage(iI, iJ, iTol);
}

// ==== analyses ===========================================================================
int XelMathFunctionXY::Maximize(const XelMathInterval2D& iDomain, XelMathSetOfPointsND& oPoints,
                                const XelMathAttrList* iAttributes) const {
  const XelMathOppositeXY opposite(this);
  // A bound on the values of f is the opposite bound on the values of -f; the limit is
  // restored on every way out.
  XelMathAttrDoubleValue* limit = nullptr;
  if (iAttributes)
    limit =
        dynamic_cast<XelMathAttrDoubleValue*>(iAttributes->GetAttribute(AttrFunctionXLimitValue));
  if (limit)
    limit->SetValue(-limit->GetValue());
  const auto restore = XelMathMakeOnExit([limit] {
    if (limit)
      limit->SetValue(-limit->GetValue());
  });
  return opposite.Minimize(iDomain, oPoints, iAttributes);
}

double XelMathFunctionXY::Integrate(const XelMathInterval& iI, const XelMathInterval& iJ,
                                    double iEps) const {
  return IntegrateAbsOrRel(iI, iJ, iEps, 0);
}

double XelMathFunctionXY::IntegrateRelative(const XelMathInterval& iI, const XelMathInterval& iJ,
                                            double iEps) const {
  return IntegrateAbsOrRel(iI, iJ, iEps, 1);
}

double XelMathFunctionXY::Integrate(const XelMathInterval& iI, const double iY0,
                                    const XelMathFunctionX* iG, double iEps) const {
  return IntegrateAbsOrRel(iI, iY0, iG, iEps, 0);
}

double XelMathFunctionXY::IntegrateRelative(const XelMathInterval& iI, const double iY0,
                                            const XelMathFunctionX* iG, double iEps) const {
  return IntegrateAbsOrRel(iI, iY0, iG, iEps, 1);
}

double XelMathFunctionXY::IntegrateAbsOrRel(const XelMathInterval& iI, const XelMathInterval& iJ,
                                            double iEps, unsigned char iRelative) const {
  const XelMathFunctionXYUtil1 inner(this, iJ, iEps, iRelative);
  return iRelative ? inner.IntegrateRelative(iI, iEps) : inner.Integrate(iI, iEps);
}

double XelMathFunctionXY::IntegrateAbsOrRel(const XelMathInterval& iI, const double iY0,
                                            const XelMathFunctionX* iG, double iEps,
                                            unsigned char iRelative) const {
  if (!iG) {
    XelQuornull(__FILE__, __LINE__);
    return 0.0;
  }
  const XelMathFunctionXYUtil1 inner(this, iY0, iG, iEps, iRelative);
  return iRelative ? inner.IntegrateRelative(iI, iEps) : inner.Integrate(iI, iEps);
}

// ==== derived functions ==================================================================
XelMathFunctionXY* XelMathFunctionXY::CreateDerivX() const {
  return new XelMathDerivFunctionXY(this, 0);
}

XelMathFunctionXY* XelMathFunctionXY::CreateDerivY() const {
  return new XelMathDerivFunctionXY(this, 1);
}

XelMathFunctionX* XelMathFunctionXY::CreateIsoparX(const double iX0) const {
  return new XelMathFunctionXYToX(this, iX0, 0, XelMathFunctionXYGetTolerance(this));
}

XelMathFunctionX* XelMathFunctionXY::CreateIsoparY(const double iY0) const {
  return new XelMathFunctionXYToX(this, iY0, 1, XelMathFunctionXYGetTolerance(this));
}

XelMathFunctionX* XelMathFunctionXY::CreateCompositionX(const XelMathFunctionX* iU,
                                                        const XelMathFunctionX* iV) const {
  return new XelMathCompositionXByXY(this, iU, iV, XelMathFunctionXYGetTolerance(this));
}

XelMathFunctionXY* XelMathFunctionXY::FormalCombination(const long, const XelMathFunctionXY**,
                                                        const double*, const double) const {
  return nullptr;
}

XelMathFunctionXY* CreateCombination(const long iN, const XelMathFunctionXY** iF, const double* iC,
                                     const double iC0) {
  if (!iF || !iF[0])
    return nullptr;
  // Before a formal combination reads the iN entries.
  XelMathCheckDimension(iN, 1, "the number of functions", "CreateCombination");
  if (XelMathFunctionXY* formal = iF[0]->FormalCombination(iN, iF, iC, iC0))
    return formal;
  return new XelMathCombinationXY(iN, iF, iC, iC0);
}

// ==== copies =============================================================================
XelMathFunctionXY* XelMathFunctionXY::Duplicate() const {
  XelMathRaiseForbidden("Duplicate", __FILE__, __LINE__);
}

XelMathFunctionXY* XelMathFunctionXY::DeepDuplicate() const {
  XelMathRaiseForbidden("DeepDuplicate", __FILE__, __LINE__);
}

// ==== tolerance lookup ===================================================================
const XelTolerance* XelMathFunctionXYFindTolerance(const XelMathFunctionXY* iF) {
  while (iF) {
    if (iF->IsAKindOf("XelMathBasisFunctionXY"))
      return static_cast<const XelMathBasisFunctionXY*>(iF)->GetToleranceObject();
    if (iF->IsAKindOf("XelMathOppositeXY"))
      iF = static_cast<const XelMathOppositeXY*>(iF)->GetFunction();
    else if (iF->IsAKindOf("XelMathScaleFunctionXY"))
      iF = static_cast<const XelMathScaleFunctionXY*>(iF)->GetFunction();
    else
      return nullptr;
  }
  return nullptr;
}

const XelTolerance& XelMathFunctionXYGetTolerance(const XelMathFunctionXY* iF) {
  const XelTolerance* tol = XelMathFunctionXYFindTolerance(iF);
  return tol ? *tol : XelGetDefaultTolerance();
}

void XelMathFunctionXY_DirtyAttributeScaling(XelMathAttrList* ioAttributes, const double iFactor) {
  if (!ioAttributes)
    return;
  static const char* const keys[5] = {"TolForCst", "AbsoluteTolerance", "Tolerance", "LimitValue",
                                      "EpsRoot"};
  for (const char* key : keys) {
    // Every occurrence of the key, each attribute object once.
    for (long k = 1;; ++k) {
      XelMathAttribute* attribute = ioAttributes->GetAttribute(key, k);
      if (!attribute)
        break;
      bool seen = false;
      for (long m = 1; m < k && !seen; ++m)
        seen = ioAttributes->GetAttribute(key, m) == attribute;
      XelMathAttrDoubleValue* value = dynamic_cast<XelMathAttrDoubleValue*>(attribute);
      if (value && !seen)
        value->SetValue(value->GetValue() * iFactor);
    }
  }
}
