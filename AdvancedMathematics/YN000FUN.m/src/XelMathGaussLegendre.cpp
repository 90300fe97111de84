// Gauss-Legendre tables, the fixed-order rules of XelMathFunctionX and its adaptive
// integration driver.
#include "XelMathGaussLegendre.h"

#include <cmath>

#include "XelMathAttrScaleOption.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathConstants.h"
#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathInterval.h"
#include "XelTolerance.h"

// Positive nodes of the n-point rules in increasing order, 20 significant digits (the
// compiler rounds them to the nearest double).
const double XelMathGaussLegendre::GaussLegendreNodes[XelMathGaussLegendre::TableSize] = {
    // 2 points
    0.57735026918962576451,
    // 4 points
    0.33998104358485626480, 0.86113631159405257522,
    // 6 points
    0.23861918608319690863, 0.66120938646626451366, 0.93246951420315202781,
    // 8 points
    0.18343464249564980494, 0.52553240991632898582, 0.79666647741362673959, 0.96028985649753623168,
    // 10 points
    0.14887433898163121088, 0.43339539412924719080, 0.67940956829902440623, 0.86506336668898451073,
    0.97390652851717172008,
    // 12 points
    0.12523340851146891547, 0.36783149899818019375, 0.58731795428661744730, 0.76990267419430468704,
    0.90411725637047485668, 0.98156063424671925069,
    // 16 points
    0.095012509837637440185, 0.28160355077925891323, 0.45801677765722738634, 0.61787624440264374845,
    0.75540440835500303390, 0.86563120238783174388, 0.94457502307323257608, 0.98940093499164993260,
    // 20 points
    0.076526521133497333755, 0.22778585114164507808, 0.37370608871541956067, 0.51086700195082709800,
    0.63605368072651502545, 0.74633190646015079261, 0.83911697182221882339, 0.91223442825132590587,
    0.96397192727791379127, 0.99312859918509492479};

const double XelMathGaussLegendre::GaussLegendreWeights[XelMathGaussLegendre::TableSize] = {
    // 2 points
    1.0,
    // 4 points
    0.65214515486254614263, 0.34785484513745385737,
    // 6 points
    0.46791393457269104739, 0.36076157304813860757, 0.17132449237917034504,
    // 8 points
    0.36268378337836198297, 0.31370664587788728734, 0.22238103445337447054, 0.10122853629037625915,
    // 10 points
    0.29552422471475287017, 0.26926671930999635509, 0.21908636251598204400, 0.14945134915058059315,
    0.066671344308688137594,
    // 12 points
    0.24914704581340278500, 0.23349253653835480876, 0.20316742672306592175, 0.16007832854334622633,
    0.10693932599531843096, 0.047175336386511827195,
    // 16 points
    0.18945061045506849629, 0.18260341504492358887, 0.16915651939500253819, 0.14959598881657673208,
    0.12462897125553387205, 0.095158511682492784810, 0.062253523938647892863,
    0.027152459411754094852,
    // 20 points
    0.15275338713072585070, 0.14917298647260374679, 0.14209610931838205133, 0.13168863844917662690,
    0.11819453196151841731, 0.10193011981724043504, 0.083276741576704748725,
    0.062672048334109063570, 0.040601429800386941331, 0.017614007139152118312};

long XelMathGaussLegendre::GetRule(long iOrder, const double*& oNodes, const double*& oWeights) {
  long start = 29; // 20-point table, also used for unlisted orders
  long size = 10;
  switch (iOrder) {
  case 2:
    start = 0, size = 1;
    break;
  case 4:
    start = 1, size = 2;
    break;
  case 6:
    start = 3, size = 3;
    break;
  case 8:
    start = 6, size = 4;
    break;
  case 10:
    start = 10, size = 5;
    break;
  case 12:
    start = 15, size = 6;
    break;
  case 16:
    start = 21, size = 8;
    break;
  default:
    break;
  }
  oNodes = GaussLegendreNodes + start;
  oWeights = GaussLegendreWeights + start;
  if (iOrder < 2)
    return 0;
  const long pairs = iOrder / 2;
  return pairs < size ? pairs : size;
}

double XelMathGaussLegendre::Apply(const XelMathFunctionX& iF, double iA, double iB, long iOrder) {
  const double *x = nullptr, *w = nullptr;
  const long pairs = GetRule(iOrder, x, w);
  if (pairs <= 0)
    return 0.0;
  const double h = 0.5 * (iB - iA);
  const double m = 0.5 * (iA + iB);
  double sum = 0.0;
  for (long k = 0; k < pairs; ++k) {
    const double d = h * x[k];
    sum += w[k] * (iF.Eval(m - d) + iF.Eval(m + d));
  }
  return h * sum;
}

double XelMathFunctionX::GaussLegendre(const XelMathInterval& iI, const long iOrder) const {
  return XelMathGaussLegendre::Apply(*this, iI.low, iI.high, iOrder);
}

double XelMathFunctionX::GaussLegendre(const XelMathInterval& iI, const long iOrder,
                                       const long iNbIntervals) const {
  if (iNbIntervals < 1)
    return 0.0;
  const double a = iI.low, width = iI.high - iI.low;
  double sum = 0.0, left = a;
  for (long j = 1; j <= iNbIntervals; ++j) {
    // The last end is exactly the high end; the others are computed from a, not accumulated.
    const double right = j == iNbIntervals ? iI.high : a + width * (double(j) / iNbIntervals);
    sum += GaussLegendre(XelMathInterval(left, right), iOrder);
    left = right;
  }
  return sum;
}

namespace {

// The factor S^(F + X) by which the tolerance on the integral of a function of a scaled
// model grows: its values are expressed in S^F and its variable in S^X, while iEps is given
// for the unscaled model. 1 when the function carries no option, when the option is marked
// reviewed (the tolerance is then already in scaled units) or when S is 1. Raises 0x20006
// for an option without exactly one F and one X power.
double IntegralScale(const XelMathFunctionX& iF, const XelTolerance* iTol, const char* iWhere) {
  if (!iF.IsAKindOf("XelMathBasisFunctionX"))
    return 1.0;
  const XelMathBasisFunctionX& basis = static_cast<const XelMathBasisFunctionX&>(iF);
  const XelMathAttrScaleOption* option = basis.GetScaleOption();
  if (!option)
    return 1.0;
  long nbF = 0, nbX = 0;
  const long* powerF = option->GetPowerScaleF(nbF);
  const long* powerX = option->GetPowerScaleX(nbX);
  if (nbF != 1 || nbX != 1)
    XelMathRaise(0x20006, "the XelMathAttrScaleOption", "wrong dimension", iWhere);
  if (option->GetOKReviewed() || !iTol)
    return 1.0;
  const double s = iTol->GetScaleFactor();
  if (!(s > 0.0) || s == 1.0 || !std::isfinite(s))
    return 1.0;
  return std::pow(s, double(powerF[0] + powerX[0]));
}

// The adaptive scheme shared by IntegrateAbsOrRel and MyOwnIntegrateAbsOrRel. The rules go
// through the virtual slots so that a class overriding GaussLegendre is integrated by its
// own rule.
double Adaptive(const XelMathFunctionX& iF, const XelMathInterval& iI, double iEps,
                unsigned char iRelative, const XelTolerance* iTol, long iLowOrder, long iHighOrder,
                long iMaxIntervals, const char* iWhere) {
  const double low = iF.GaussLegendre(iI, iLowOrder);
  const double high = iF.GaussLegendre(iI, iHighOrder);
  const double scale = IntegralScale(iF, iTol, iWhere);
  double tau = 0.5 * iEps * scale;
  if (iRelative)
    tau = 0.5 * iEps * (XelHardTol(1.0) * scale + std::fabs(high));
  if (std::fabs(high - low) <= tau)
    return high;
  double previous = high, sum = high;
  for (long n = 1; n <= iMaxIntervals; n *= 2) {
    sum = iF.GaussLegendre(iI, 20, n);
    if (2 * n > iMaxIntervals || std::fabs(sum - previous) <= tau)
      break;
    previous = sum;
  }
  return sum;
}

} // namespace

double XelMathFunctionX::IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                                           unsigned char iRelative) const {
  const XelTolerance* tol = nullptr;
  if (IsAKindOf("XelMathBasisFunctionX"))
    tol = static_cast<const XelMathBasisFunctionX*>(this)->GetToleranceObject();
  return Adaptive(*this, iI, iEps, iRelative, tol, 8, 12, 64,
                  "XelMathFunctionX::IntegrateAbsOrRel");
}

double MyOwnIntegrateAbsOrRel(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                              unsigned char iRelative, const XelTolerance& iTol, long iLowOrder,
                              long iHighOrder, long iMaxIntervals) {
  if (!iF)
    return 0.0;
  // Beyond about a million sub-intervals the doubling would only accumulate rounding.
  const long maxIntervals =
      iMaxIntervals <= 0 ? 64 : (iMaxIntervals < (1L << 20) ? iMaxIntervals : (1L << 20));
  return Adaptive(*iF, iI, iEps, iRelative, &iTol, iLowOrder > 0 ? iLowOrder : 8,
                  iHighOrder > 0 ? iHighOrder : 12, maxIntervals, "MyOwnIntegrateAbsOrRel");
}
