// Gauss-Legendre tables, the fixed-order rules of XelMathFunctionX and its adaptive
// integration driver.
#include "XelMathGaussLegendre.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "XelMathAnalysisScaling.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathConstants.h"
#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInterval.h"
#include "XelQuorMemory.h"
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

namespace {

// Half-width and centre of [a, b], also where b - a or a + b overflows (a domain reaching the
// largest doubles): the rule then sums values at finite nodes instead of NaN ones.
double HalfWidth(double a, double b) {
  const double h = 0.5 * (b - a);
  return std::isfinite(h) || !std::isfinite(a) || !std::isfinite(b) ? h : 0.5 * b - 0.5 * a;
}
double Centre(double a, double b) {
  const double m = 0.5 * (a + b);
  return std::isfinite(m) || !std::isfinite(a) || !std::isfinite(b) ? m : 0.5 * a + 0.5 * b;
}

} // namespace

double XelMathGaussLegendre::Apply(const XelMathFunctionX& iF, double iA, double iB, long iOrder) {
  const double *x = nullptr, *w = nullptr;
  const long pairs = GetRule(iOrder, x, w);
  if (pairs <= 0)
    return 0.0;
  const double h = HalfWidth(iA, iB);
  const double m = Centre(iA, iB);
  double sum = 0.0;
  for (long k = 0; k < pairs; ++k) {
    const double d = h * x[k];
    sum += w[k] * (iF.Eval(m - d) + iF.Eval(m + d));
  }
  return h * sum;
}

// The 21-point Kronrod extension of the 10-point Gauss rule: the nodes in increasing order
// from 0 (the Gauss nodes at the odd entries) and their weights, computed in 60-digit
// arithmetic from the Stieltjes polynomial of degree 11 and the moment equations.
const double XelMathGaussLegendre::KronrodNodes[XelMathGaussLegendre::KronrodPairs + 1] = {
    0.0,
    0.14887433898163121088,
    0.29439286270146019813,
    0.43339539412924719080,
    0.56275713466860468334,
    0.67940956829902440623,
    0.78081772658641689706,
    0.86506336668898451073,
    0.93015749135570822600,
    0.97390652851717172008,
    0.99565716302580808074};

const double XelMathGaussLegendre::KronrodWeights[XelMathGaussLegendre::KronrodPairs + 1] = {
    0.14944555400291690566,  0.14773910490133849137,  0.14277593857706008080,
    0.13470921731147332593,  0.12349197626206585108,  0.10938715880229764190,
    0.093125454583697605535, 0.075039674810919952767, 0.054755896574351996031,
    0.032558162307964727479, 0.011694638867371874278};

namespace {

// The values of a piece extrapolated to one of its ends by the polynomials through its nodes:
// the one of degree 20 through all 21 (value), the spread of those of degrees 19 and 18 through
// the nodes nearest that end (how far the extrapolation can be trusted on a smooth function)
// and the sum of the magnitudes of the terms of the first (its rounding).
struct EndFit {
  double value = 0.0, spread = 0.0, magnitude = 0.0;
};

// One piece integrated by the 21-point Kronrod rule: the value, the error estimate drawn from
// the embedded 10-point Gauss rule, the rounding floor, and whether the estimate is saturated
// (as large as the spread of the values, so that it says nothing about the rule's accuracy).
struct KronrodEstimate {
  double value = 0.0, error = 0.0, floor = 0.0;
  bool saturated = false;
  // The value at the centre, and at the two nodes nearest to each end (nearest first).
  double centre = 0.0, nearLow[2] = {0.0, 0.0}, nearHigh[2] = {0.0, 0.0};
  // The values extrapolated to the ends.
  EndFit fitLow, fitHigh;
  // The largest |value| and where it is: -1 at the node nearest the low end, 1 at the node
  // nearest the high end, 0 elsewhere.
  double peak = 0.0, peakSide = 0.0;
};

const long kKronrodPoints = 2 * XelMathGaussLegendre::KronrodPairs + 1;

// Lagrange weights that extrapolate the values at the 21 Kronrod nodes (in the order of
// Kronrod21: centre, then -x_k, x_k from the centre outwards) to the end 1 (the end -1 takes
// them mirrored), for the polynomials through all the nodes and through all but the one or the
// two nodes farthest from that end (-x_10, -x_9): degrees 20, 19 and 18. The weights of each
// sum up to 4.2 in magnitude, so that the extrapolation loses little to rounding.
struct EndWeights {
  double w[3][kKronrodPoints];
  EndWeights() {
    double t[kKronrodPoints];
    t[0] = 0.0;
    for (long k = 1; k <= XelMathGaussLegendre::KronrodPairs; ++k) {
      t[2 * k - 1] = -XelMathGaussLegendre::KronrodNodes[k];
      t[2 * k] = XelMathGaussLegendre::KronrodNodes[k];
    }
    const long dropped[3] = {-1, kKronrodPoints - 2, kKronrodPoints - 4};
    for (long v = 0; v < 3; ++v)
      for (long j = 0; j < kKronrodPoints; ++j) {
        double p = 0.0;
        if (j != dropped[v] && !(v == 2 && j == dropped[1])) {
          p = 1.0;
          for (long i = 0; i < kKronrodPoints; ++i)
            if (i != j && i != dropped[v] && !(v == 2 && i == dropped[1]))
              p *= (1.0 - t[i]) / (t[j] - t[i]);
        }
        w[v][j] = p;
      }
  }
};

// The values of Kronrod21 extrapolated to the end iSide (-1 low, 1 high) of their piece.
EndFit FitEnd(const double* iValues, double iSide) {
  static const EndWeights weights;
  double sums[3] = {0.0, 0.0, 0.0}, magnitude = 0.0;
  for (long j = 0; j < kKronrodPoints; ++j) {
    // At the low end node j takes the weight of its mirror image (the pairs swap).
    const long i = iSide > 0.0 || j == 0 ? j : (j % 2 == 1 ? j + 1 : j - 1);
    for (long v = 0; v < 3; ++v)
      sums[v] += weights.w[v][i] * iValues[j];
    magnitude += std::fabs(weights.w[0][i] * iValues[j]);
  }
  EndFit fit;
  fit.value = sums[0];
  fit.spread = std::fmax(std::fabs(sums[0] - sums[1]), std::fabs(sums[1] - sums[2]));
  fit.magnitude = magnitude;
  return fit;
}

// The Gauss error that the Legendre coefficients of the 21 values predict, when it is more
// than 100 times the difference of the rules (0 otherwise). Both rules are symmetric: a
// function whose odd part jumps and whose even part has a feature between two nodes makes
// them agree by chance (floor(e^x) on [1.75, 2]: values 5, 6 and 7, the rules both give 1.5
// against 1.5123). The coefficients a_n = (2n + 1)/2 sum w_k f_k P_n(t_k) up to degree 15 (of
// both parities) decay geometrically on a resolved piece; from the decay between degrees 10-11
// and 14-15 the coefficient of degree 20, which governs the error of the 10-point rule, is
// extrapolated. Values that do not decay (a jump) predict an error of the size of the last
// coefficients. Polynomials of degree 14 to 19, which the rules integrate exactly, are only
// bisected once or twice more. oTail is the rest of the series after the last coefficients at
// the same decay (1024 times the last when they do not decay), which bounds how far a smooth
// function can be from the polynomial through its values.
double PredictedGaussError(const double* iValues, double iHalf, double iDifference, double& oTail) {
  const double* x = XelMathGaussLegendre::KronrodNodes;
  const double* w = XelMathGaussLegendre::KronrodWeights;
  const long top = 15;
  double a[top + 1] = {0.0};
  // P_n at 0 contributes to the even degrees only: P_2m(0) = (-1)^m (2m)! / (4^m m!^2).
  double p0 = 1.0;
  for (long n = 0; n <= top; n += 2) {
    a[n] += w[0] * iValues[0] * p0;
    p0 *= -double(n + 1) / double(n + 2);
  }
  for (long k = 1; k <= XelMathGaussLegendre::KronrodPairs; ++k) {
    const double even = iValues[2 * k] + iValues[2 * k - 1];
    const double odd = iValues[2 * k] - iValues[2 * k - 1];
    double previous = 1.0, current = x[k];
    a[0] += w[k] * even;
    a[1] += w[k] * odd * current;
    for (long n = 1; n < top; ++n) {
      const double next =
          (double(2 * n + 1) * x[k] * current - double(n) * previous) / double(n + 1);
      previous = current;
      current = next;
      a[n + 1] += w[k] * current * ((n + 1) % 2 == 0 ? even : odd);
    }
  }
  const double last = std::fmax(std::fabs(a[14]) * 14.5, std::fabs(a[15]) * 15.5);
  const double earlier = std::fmax(std::fabs(a[10]) * 10.5, std::fabs(a[11]) * 11.5);
  if (!(last > 0.0) || !std::isfinite(last))
    return 0.0;
  const double decay = earlier > last ? std::sqrt(std::sqrt(last / earlier)) : 1.0;
  oTail = last * std::fmin(1.0 / (1.0 - decay), 1024.0);
  const double predicted = std::fabs(iHalf) * last * std::pow(decay, 5.0);
  return predicted > 100.0 * iDifference ? predicted : 0.0;
}

// The 21 nodes of [iA, iB] are evaluated in one batch into a local array (centre first, then
// the pairs from the centre outwards). With iCheckCoefficients the estimate is also that of
// PredictedGaussError, and the piece counts as saturated when that one is used.
void Kronrod21(const XelMathFunctionX& iF, double iA, double iB, KronrodEstimate& oEstimate,
               bool iCheckCoefficients = false) {
  const double h = HalfWidth(iA, iB);
  const double c = Centre(iA, iB);
  double x[kKronrodPoints], values[kKronrodPoints];
  x[0] = c;
  for (long k = 1; k <= XelMathGaussLegendre::KronrodPairs; ++k) {
    const double d = h * XelMathGaussLegendre::KronrodNodes[k];
    x[2 * k - 1] = c - d;
    x[2 * k] = c + d;
  }
  iF.EvalPoints(kKronrodPoints, x, XelMathOption::Value, values, nullptr, nullptr);
  const double* kronrodWeights = XelMathGaussLegendre::KronrodWeights;
  const double* gaussWeights = XelMathGaussLegendre::GaussLegendreWeights + 10; // 10 points
  double kronrod = kronrodWeights[0] * values[0], gauss = 0.0;
  double absolute = kronrodWeights[0] * std::fabs(values[0]);
  for (long k = 1; k <= XelMathGaussLegendre::KronrodPairs; ++k) {
    const double f1 = values[2 * k - 1], f2 = values[2 * k];
    kronrod += kronrodWeights[k] * (f1 + f2);
    absolute += kronrodWeights[k] * (std::fabs(f1) + std::fabs(f2));
    if (k % 2 == 1) // the Gauss nodes are the odd Kronrod pairs
      gauss += gaussWeights[k / 2] * (f1 + f2);
  }
  // Spread of the values around their mean, which scales the raw Kronrod-Gauss difference.
  const double mean = 0.5 * kronrod;
  double spread = kronrodWeights[0] * std::fabs(values[0] - mean);
  for (long k = 1; k <= XelMathGaussLegendre::KronrodPairs; ++k)
    spread +=
        kronrodWeights[k] * (std::fabs(values[2 * k - 1] - mean) + std::fabs(values[2 * k] - mean));
  const double ah = std::fabs(h);
  absolute *= ah;
  spread *= ah;
  double error = std::fabs((kronrod - gauss) * h);
  double tail = 0.0;
  const double predicted = iCheckCoefficients ? PredictedGaussError(values, h, error, tail) : 0.0;
  if (predicted > 0.0)
    error = predicted;
  // The difference estimates the error of the Gauss rule; the Kronrod value is far better
  // on smooth pieces, hence the power 1.5 once the difference is small against the spread.
  oEstimate.saturated = false;
  if (spread != 0.0 && error != 0.0) {
    const double ratio = 200.0 * error / spread;
    oEstimate.saturated = ratio >= 1.0 || predicted > 0.0;
    error = spread * std::fmin(1.0, ratio * std::sqrt(ratio));
  }
  oEstimate.floor = 50.0 * DBL_EPSILON * absolute;
  if (absolute > DBL_MIN / (50.0 * DBL_EPSILON))
    error = std::fmax(oEstimate.floor, error);
  oEstimate.error = error;
  oEstimate.value = kronrod * h;
  oEstimate.centre = values[0];
  const long last = 2 * XelMathGaussLegendre::KronrodPairs;
  oEstimate.nearLow[0] = values[last - 1], oEstimate.nearLow[1] = values[last - 3];
  oEstimate.nearHigh[0] = values[last], oEstimate.nearHigh[1] = values[last - 2];
  oEstimate.fitLow = FitEnd(values, -1.0);
  oEstimate.fitHigh = FitEnd(values, 1.0);
  // A piece that the polynomial does not resolve (the Legendre series beyond its last
  // coefficients) does not predict its ends either.
  oEstimate.fitLow.spread = std::fmax(oEstimate.fitLow.spread, tail);
  oEstimate.fitHigh.spread = std::fmax(oEstimate.fitHigh.spread, tail);
  long peakAt = 0;
  for (long k = 1; k <= last; ++k)
    if (std::fabs(values[k]) > std::fabs(values[peakAt]))
      peakAt = k;
  oEstimate.peak = std::fabs(values[peakAt]);
  oEstimate.peakSide = peakAt == last - 1 ? -1.0 : (peakAt == last ? 1.0 : 0.0);
  if (std::isfinite(oEstimate.value) || !std::isfinite(gauss * h))
    return;
  // A value that is not finite at a node outside the Gauss rule (the centre, where a
  // symmetric interval often puts a singularity): the Gauss value stands, with an error as
  // large as the integral of |f| so that the piece is bisected.
  double gaussAbsolute = 0.0;
  for (long k = 1; k <= XelMathGaussLegendre::KronrodPairs; k += 2)
    gaussAbsolute +=
        gaussWeights[k / 2] * (std::fabs(values[2 * k - 1]) + std::fabs(values[2 * k]));
  oEstimate.value = gauss * h;
  oEstimate.error = std::fabs(oEstimate.value) + gaussAbsolute * ah + DBL_MIN;
  oEstimate.floor = 50.0 * DBL_EPSILON * gaussAbsolute * ah;
  oEstimate.saturated = true;
}

} // namespace

double XelMathGaussLegendre::ApplyKronrod(const XelMathFunctionX& iF, double iA, double iB,
                                          double& oError, double& oFloor) {
  KronrodEstimate estimate;
  Kronrod21(iF, iA, iB, estimate);
  oError = estimate.error;
  oFloor = estimate.floor;
  return estimate.value;
}

double XelMathFunctionX::GaussLegendre(const XelMathInterval& iI, const long iOrder) const {
  return XelMathGaussLegendre::Apply(*this, iI.low, iI.high, iOrder);
}

double XelMathFunctionX::GaussLegendre(const XelMathInterval& iI, const long iOrder,
                                       const long iNbIntervals) const {
  if (iNbIntervals < 1)
    return 0.0;
  // Beyond 2^21 pieces (4e7 evaluations of the 20-point rule) a call would run for minutes.
  XelMathAnalysisScaling::CheckedSampling(iNbIntervals, "the number of sub-intervals",
                                          "XelMathFunctionX::GaussLegendre");
  const double a = iI.low, width = iI.high - iI.low;
  double sum = 0.0, left = a;
  for (long j = 1; j <= iNbIntervals; ++j) {
    // The last end is exactly the high end; the others are computed from a, not accumulated.
    const double t = double(j) / iNbIntervals;
    const double right = j == iNbIntervals    ? iI.high
                         : std::isfinite(width) ? a + width * t
                                                : a * (1.0 - t) + iI.high * t;
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
  const XelMathAttrScaleOption* option = XelMathAnalysisScaling::BasisOption(&iF);
  if (!option)
    return 1.0;
  long powerF = 1, powerX = 1;
  XelMathAnalysisScaling::ReadPowers(*option, iWhere, powerF, powerX);
  if (option->GetOKReviewed() || !iTol)
    return 1.0;
  const double s = iTol->GetScaleFactor();
  if (!(s > 0.0) || s == 1.0 || !std::isfinite(s))
    return 1.0;
  // Powers are added in double: LONG_MIN or LONG_MAX must not overflow.
  const double factor = std::pow(s, double(powerF) + double(powerX));
  if (!std::isfinite(factor) || factor == 0.0)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption",
                 "scale factor out of range", iWhere);
  return factor;
}

// ---- global adaptive scheme --------------------------------------------------------------------
//
// On request the interval is integrated by the 21-point Kronrod rule and, unless its estimate
// is within the tolerance, the piece of largest error is bisected again and again. Near an end
// singularity the sums taken each time a new level of narrow pieces is reached converge
// geometrically: they are extrapolated by the epsilon algorithm once the wider pieces are
// accurate enough, so that the singular piece needs only one bisection per level.

// The whole call may spend at most this many evaluations: 80 times the plain doubling.
const long kBudgetFactor = 80;
const long kMaxEvaluations = kBudgetFactor * (8 + 12 + 20 * 127);
// Bisections between two checks that the summed error still decreases, and the decrease
// asked for over such a window.
const long kProgressWindow = 512;
const double kProgressRatio = 0.9;
// Growth of the largest |value| from a piece to its half that marks a singularity inside it
// (about sqrt 2 for an inverse square root, the nearest node halving its distance).
const double kInteriorGrowth = 1.2;
// Fields of a piece: its ends, Kronrod value, error estimate, rounding floor, its level
// (number of bisections from the whole interval), the value at its centre, the values at its
// ends when known (the centres of the pieces it comes from) and whether these end values are
// unexplained by the values inside (kSuspectLow, kSuspectHigh: 1 or 0), the largest |value| and
// its side (as in KronrodEstimate), and for how many bisections the largest value has stood at
// that same end point and grown (kRun).
enum {
  kLow,
  kHigh,
  kValue,
  kError,
  kFloor,
  kLevel,
  kCentre,
  kEndLow,
  kEndHigh,
  kSuspectLow,
  kSuspectHigh,
  kPeak,
  kPeakSide,
  kRun,
  kFields
};

// The end value iEnd of a piece of half width iHalf against the two nodes nearest to that end
// (iNear, nearest first), extrapolated linearly to the end. A smooth function agrees with the
// extrapolation to far better than half its size there, and than half the change between the
// two nodes (a sixth of it for x^2 at its minimum); otherwise a feature narrower than the gap
// between the end and the nodes is unresolved (a jump of 1 between values near 5 where they are
// constant), and the returned error (the mismatch over the span of the two nodes) makes the
// piece bisected. A kink there (a jump in slope) is smaller than that change: the end value
// is also compared with iFit, the polynomial through all the nodes extrapolated to the end,
// which a smooth function matches as closely as the polynomials of lower degree match each
// other. When the nodes all lie on one branch the kink's mismatch is 2 s d (s the slope, d its
// distance from the end, at most the gap to the first node), and the area missed s d^2, within
// the mismatch times that gap: |x - 0.501| on [0.5, 1] returned 0.25 with status 0 at 1e-12.
// The values near the end iAt differ from the fit by the rounding of the abscissas too (the
// slope times their spacing), which sqrt(1 - x) near 1 shows. 0 when the values agree.
double EndMismatch(double iEnd, double iAt, const double* iNear, double iHalf, const EndFit& iFit) {
  const double gap1 = (1.0 - XelMathGaussLegendre::KronrodNodes[10]) * std::fabs(iHalf);
  const double gap2 = (1.0 - XelMathGaussLegendre::KronrodNodes[9]) * std::fabs(iHalf);
  const double predicted = iNear[0] + (iNear[0] - iNear[1]) * (gap1 / (gap2 - gap1));
  const double mismatch = std::fabs(iEnd - predicted);
  const double size =
      std::fmax(std::fabs(iEnd), std::fmax(std::fabs(iNear[0]), std::fabs(iNear[1])));
  const double scale =
      0.5 * std::fmin(size, std::fabs(iNear[0] - iNear[1])) + 1024.0 * DBL_EPSILON * size;
  if (mismatch > scale && std::isfinite(mismatch))
    return mismatch * gap2;
  const double kink = std::fabs(iEnd - iFit.value);
  const double slope = std::fabs(iNear[0] - iNear[1]) / (gap2 - gap1);
  const double smooth =
      8.0 * iFit.spread +
      1024.0 * DBL_EPSILON * (std::fmax(size, iFit.magnitude) + slope * std::fabs(iAt));
  return kink > smooth && std::isfinite(kink) ? kink * gap1 : 0.0;
}

// Max-heap of pieces ordered by their error estimate, in a growable block of the memory
// services (freed on every way out: an evaluation may raise).
class PieceHeap {
public:
  PieceHeap() = default;
  ~PieceHeap() {
    if (_data)
      XelQuorArrayDoubleDel(_data, kFields * _capacity);
  }
  PieceHeap(const PieceHeap&) = delete;
  PieceHeap& operator=(const PieceHeap&) = delete;
  long Size() const { return _size; }
  const double* Piece(long iIndex) const { return _data + kFields * iIndex; }
  double TopError() const { return _size > 0 ? _data[kError] : -1.0; }
  void Push(const double* iPiece) {
    if (_size == _capacity)
      Grow();
    long k = _size++;
    for (long f = 0; f < kFields; ++f)
      At(k)[f] = iPiece[f];
    SiftUp(k);
  }
  // Removes the top piece into oPiece.
  void Pop(double* oPiece) { Remove(0, oPiece); }
  // Removes the piece at iIndex into oPiece.
  void Remove(long iIndex, double* oPiece) {
    for (long f = 0; f < kFields; ++f)
      oPiece[f] = At(iIndex)[f];
    --_size;
    if (iIndex == _size)
      return;
    Swap(iIndex, _size);
    SiftUp(iIndex);
    SiftDown(iIndex);
  }

  // Moves the pieces of level below iLevel into ioTo; the others stay, in heap order.
  void MoveBelowLevel(double iLevel, PieceHeap& ioTo) {
    long kept = 0;
    for (long k = 0; k < _size; ++k) {
      if (At(k)[kLevel] < iLevel) {
        ioTo.Push(At(k));
        continue;
      }
      if (kept != k)
        for (long f = 0; f < kFields; ++f)
          At(kept)[f] = At(k)[f];
      ++kept;
    }
    _size = kept;
    for (long k = _size / 2 - 1; k >= 0; --k)
      SiftDown(k);
  }

private:
  double* At(long iIndex) { return _data + kFields * iIndex; }
  void Grow() {
    const long capacity = _capacity > 0 ? 2 * _capacity : 32;
    double* data = XelQuorArrayDoubleNew(kFields * capacity);
    for (long i = 0; i < kFields * _size; ++i)
      data[i] = _data[i];
    if (_data)
      XelQuorArrayDoubleDel(_data, kFields * _capacity);
    _data = data;
    _capacity = capacity;
  }
  void SiftUp(long k) {
    while (k > 0) {
      const long parent = (k - 1) / 2;
      if (!(At(parent)[kError] < At(k)[kError]))
        break;
      Swap(parent, k);
      k = parent;
    }
  }
  void SiftDown(long k) {
    for (;;) {
      const long left = 2 * k + 1, right = left + 1;
      long largest = k;
      if (left < _size && At(largest)[kError] < At(left)[kError])
        largest = left;
      if (right < _size && At(largest)[kError] < At(right)[kError])
        largest = right;
      if (largest == k)
        break;
      Swap(k, largest);
      k = largest;
    }
  }
  void Swap(long iA, long iB) {
    double *a = At(iA), *b = At(iB);
    for (long f = 0; f < kFields; ++f) {
      const double t = a[f];
      a[f] = b[f];
      b[f] = t;
    }
  }
  double* _data = nullptr;
  long _capacity = 0;
  long _size = 0;
};

// Compensated (Neumaier) sum.
struct CompensatedSum {
  double sum = 0.0, carry = 0.0;
  void Add(double iX) {
    const double t = sum + iX;
    carry += std::fabs(sum) >= std::fabs(iX) ? (sum - t) + iX : (iX - t) + sum;
    sum = t;
  }
  double Value() const { return sum + carry; }
};

// Whether [iLow, iHigh] can still be bisected into pieces on which the rule's nodes are
// distinct numbers.
bool Splittable(double iLow, double iHigh) {
  const double width = iHigh - iLow;
  const double size = std::fmax(std::fabs(iLow), std::fabs(iHigh));
  const double mid = 0.5 * (iLow + iHigh);
  return iLow < mid && mid < iHigh && width > 1024.0 * DBL_EPSILON * size && width > 1e-290;
}

// Wynn's epsilon algorithm on the sums recorded at each new level of narrow pieces: near an
// endpoint singularity those sums converge geometrically, and the extrapolated limit is
// reached long before the pieces could be made narrow enough. Fixed storage.
class EpsilonExtrapolation {
public:
  // Forgets the sums recorded.
  void Reset() {
    _count = 0;
    _hasLast = false;
  }
  // Records a new sum; returns true and the extrapolated value with its error estimate once
  // two limits have been drawn from full columns.
  bool Add(double iSum, double& oValue, double& oError) {
    if (_count == kSize) {
      for (long k = 1; k < kSize; ++k)
        _sums[k - 1] = _sums[k];
      --_count;
    }
    _sums[_count++] = iSum;
    if (_count < 3)
      return false;
    // Columns of the table; the even ones approximate the limit.
    double older[kSize], previous[kSize], current[kSize];
    long length = _count;
    for (long j = 0; j < length; ++j) {
      older[j] = 0.0;
      previous[j] = _sums[j];
    }
    double best = _sums[_count - 1], bestError = HUGE_VAL;
    for (long column = 1; length > 1; ++column) {
      bool converged = false;
      for (long j = 0; j + 1 < length; ++j) {
        const double d = previous[j + 1] - previous[j];
        const double size = std::fmax(std::fabs(previous[j + 1]), std::fabs(previous[j]));
        if (!(std::fabs(d) > 4.0 * DBL_EPSILON * size)) {
          converged = true; // the column stands still: its last value is the limit
          break;
        }
        current[j] = older[j + 1] + 1.0 / d;
      }
      if (converged) {
        if (column % 2 == 1) { // previous is an even column
          const double last = previous[length - 1];
          const double error = std::fabs(last - previous[length - 2]);
          if (error < bestError)
            best = last, bestError = error;
        }
        break;
      }
      --length;
      if (column % 2 == 0 && length >= 3) {
        const double last = current[length - 1];
        const double error = std::fabs(last - current[length - 2]) +
                             std::fabs(current[length - 2] - current[length - 3]);
        if (error < bestError)
          best = last, bestError = error;
      }
      for (long j = 0; j < length; ++j) {
        older[j] = previous[j];
        previous[j] = current[j];
      }
      older[length] = previous[length];
    }
    // Only a limit drawn from a full column counts. Its estimate is the larger of its change
    // since the previous limit and of the spread within its column.
    if (!std::isfinite(best) || !(bestError < HUGE_VAL))
      return false;
    const bool hasPrevious = _hasLast;
    const double change = std::fabs(best - _last);
    _last = best;
    _hasLast = true;
    if (!hasPrevious)
      return false;
    oValue = best;
    oError = std::fmax(std::fmax(change, bestError), 5.0 * DBL_EPSILON * std::fabs(best));
    return true;
  }

private:
  static const long kSize = 25;
  double _sums[kSize];
  long _count = 0;
  double _last = 0.0; // the previous limit
  bool _hasLast = false;
};

// Outcomes of the schemes.
enum { kConverged = 0, kNotConverged = 7 };

// The tolerance on an estimate: iTau absolute, or in relative mode (relFactor > 0)
// relFactor (relFloor + |estimate|).
struct Tolerance {
  double tau, relFactor, relFloor;
  double Of(double iEstimate) const {
    return relFactor > 0.0 ? relFactor * (relFloor + std::fabs(iEstimate)) : tau;
  }
};

// The global adaptive scheme on [iLow, iHigh] (iLow <= iHigh), at most kMaxEvaluations
// evaluations. The pieces live in two heaps: the large ones (fewer than smallLevel bisections
// from the whole interval) and the small ones. The worst piece is bisected until the summed
// error is within the tolerance plus the summed rounding floors. Once the worst piece is a
// small one, only large pieces are bisected until their summed error is within the tolerance;
// the sum is then the next term of the sequence handed to the epsilon algorithm, and the level
// of the small pieces moves one bisection down. oResult is the extrapolated limit when its
// error estimate is the smaller one, the sum of the pieces otherwise.
int GlobalKronrod(const XelMathFunctionX& iF, double iLow, double iHigh, const Tolerance& iTol,
                  double& oResult) {
  KronrodEstimate whole;
  Kronrod21(iF, iLow, iHigh, whole, true);
  long evaluations = kKronrodPoints;
  oResult = whole.value;
  if (!std::isfinite(whole.value) || !std::isfinite(whole.error))
    return kNotConverged;
  // The first estimate stands when the Kronrod rule, which has a node at the centre, agrees
  // with its Gauss rule within the tolerance and the agreement is not that of a saturated
  // estimate (values that vary as much as the difference of the rules), or at rounding level.
  if (whole.error <= whole.floor ||
      (!whole.saturated && whole.error <= iTol.Of(whole.value) + whole.floor))
    return kConverged;
  PieceHeap large, small;
  const double unknown = std::numeric_limits<double>::quiet_NaN();
  double first[kFields] = {iLow, iHigh,        whole.value,    whole.error, whole.floor,
                           0.0,  whole.centre, unknown,        unknown,     0.0,
                           0.0,  whole.peak,   whole.peakSide, 0.0};
  large.Push(first);
  double area = whole.value, errorSum = whole.error, floorSum = whole.floor;
  // Recomputes the incrementally kept sums from the pieces.
  auto refresh = [&]() {
    CompensatedSum total;
    errorSum = floorSum = 0.0;
    for (const PieceHeap* heap : {&large, &small})
      for (long k = 0; k < heap->Size(); ++k) {
        total.Add(heap->Piece(k)[kValue]);
        errorSum += heap->Piece(k)[kError];
        floorSum += heap->Piece(k)[kFloor];
      }
    area = total.Value();
  };
  auto goalOf = [&](double iEstimate) { return iTol.Of(iEstimate) + floorSum; };
  EpsilonExtrapolation table;
  double extrapolated = 0.0, extrapolationError = 0.0;
  table.Add(area, extrapolated, extrapolationError);
  // The sums of |f| (the floors over 50 epsilon) go through a table of their own, fed and
  // reset with the first. Around a pole at a bisection point the pieces on either side cancel
  // (1/x on [-1, 1]): the signed sums stand still at the principal value and look converged,
  // while the sums of |f| grow as those of 1/|x| do. An extrapolated limit stands only when
  // the sums of |f| have a limit too; one far from their sum (as for the signed one below:
  // the analytic continuation of the integral of 1/|x|^3) is a divergence.
  EpsilonExtrapolation absoluteTable;
  const double l1Factor = 1.0 / (50.0 * DBL_EPSILON);
  double absoluteLimit = 0.0, absoluteError = 0.0;
  bool absoluteFound = false;
  absoluteTable.Add(floorSum * l1Factor, absoluteLimit, absoluteError);
  auto addAbsolute = [&]() {
    double limit = 0.0, error = 0.0;
    if (!absoluteTable.Add(floorSum * l1Factor, limit, error))
      return;
    absoluteLimit = limit;
    absoluteFound = true;
  };
  double smallLevel = 2.0;      // pieces of this level and deeper are small
  double largeError = errorSum; // summed error of the large pieces
  bool extrapolating = false, roundoffInTable = false;
  double bestValue = 0.0, bestError = HUGE_VAL, correction = 0.0, bestAbsolute = 0.0;
  long sinceBest = 0, roundoff1 = 0, roundoff2 = 0, roundoff3 = 0;
  long suspects = 0; // unexplained end values of the pieces
  double checkpoint = HUGE_VAL;
  bool converged = false;
  for (long done = 0; evaluations + 2 * kKronrodPoints <= kMaxEvaluations; ++done) {
    if (done > 0 && done % kProgressWindow == 0) {
      // The error no longer decreases (a divergent or wildly oscillating integrand): more
      // bisections would only spend the budget.
      refresh();
      if (!(errorSum < kProgressRatio * checkpoint))
        break;
      checkpoint = errorSum;
    } else if ((done & 63) == 0) {
      refresh();
    }
    // The worst piece, or the worst large one while a level is being completed.
    PieceHeap& from = extrapolating || !(small.TopError() > large.TopError()) ? large : small;
    double worst[kFields];
    from.Pop(worst);
    const double a = worst[kLow], b = worst[kHigh], m = 0.5 * (a + b);
    if (!Splittable(a, b)) {
      // The worst piece cannot be refined: the remaining error cannot decrease any more.
      from.Push(worst);
      break;
    }
    KronrodEstimate left, right;
    Kronrod21(iF, a, m, left, true);
    Kronrod21(iF, m, b, right, true);
    evaluations += 2 * kKronrodPoints;
    const double value = left.value + right.value;
    if (!std::isfinite(value) || !std::isfinite(left.error + right.error)) {
      oResult = area + (value - worst[kValue]);
      return kNotConverged;
    }
    // Rounding shows when the halves confirm their parent's value but not its error.
    if (!left.saturated && !right.saturated) {
      if (std::fabs(worst[kValue] - value) <= 1e-5 * std::fabs(value) &&
          left.error + right.error >= 0.99 * worst[kError])
        ++(extrapolating ? roundoff2 : roundoff1);
      if (worst[kLevel] >= 10.0 && left.error + right.error > worst[kError])
        ++roundoff3;
    }
    const double level = worst[kLevel] + 1.0;
    double halves[2][kFields] = {
        {a, m, left.value, left.error, left.floor, level, left.centre, worst[kEndLow],
         worst[kCentre], worst[kSuspectLow], 0.0, left.peak, left.peakSide, 0.0},
        {m, b, right.value, right.error, right.floor, level, right.centre, worst[kCentre],
         worst[kEndHigh], 0.0, worst[kSuspectHigh], right.peak, right.peakSide, 0.0}};
    // A singularity: at an end point, the largest value stays at the end the half shares with
    // its parent and grows; inside, off the bisection points, it grows clearly at each
    // bisection, the nodes closing in on it (the values of a jump or a kink stay bounded).
    for (double* half : halves)
      if ((half[kPeakSide] == (half == halves[0] ? -1.0 : 1.0) &&
           worst[kPeakSide] == half[kPeakSide] && half[kPeak] > worst[kPeak]) ||
          half[kPeak] > kInteriorGrowth * worst[kPeak])
        half[kRun] = worst[kRun] + 1.0;
    // The parent's centre value against each half: the half that does not explain it has a
    // feature between its new end and its first node (a step just past the bisection point
    // left 5e-8 unseen when the other half explained the value). The known ends of the parent
    // are checked again on the half that keeps them: a piece too coarse to predict its end
    // (sin 20x + |x - 0.50001|) leaves the check to its narrower halves.
    const double halfWidth = 0.25 * (b - a);
    const double mismatchL = EndMismatch(worst[kCentre], m, left.nearHigh, halfWidth, left.fitHigh);
    const double mismatchR = EndMismatch(worst[kCentre], m, right.nearLow, halfWidth, right.fitLow);
    halves[0][kSuspectHigh] = mismatchL > 0.0 ? 1.0 : 0.0;
    halves[1][kSuspectLow] = mismatchR > 0.0 ? 1.0 : 0.0;
    halves[0][kError] += mismatchL;
    halves[1][kError] += mismatchR;
    if (!std::isnan(worst[kEndLow])) {
      const double mismatch = EndMismatch(worst[kEndLow], a, left.nearLow, halfWidth, left.fitLow);
      halves[0][kSuspectLow] = mismatch > 0.0 ? 1.0 : 0.0;
      halves[0][kError] += mismatch;
    }
    if (!std::isnan(worst[kEndHigh])) {
      const double mismatch =
          EndMismatch(worst[kEndHigh], b, right.nearHigh, halfWidth, right.fitHigh);
      halves[1][kSuspectHigh] = mismatch > 0.0 ? 1.0 : 0.0;
      halves[1][kError] += mismatch;
    }
    const double error = halves[0][kError] + halves[1][kError];
    area += value - worst[kValue];
    errorSum += error - worst[kError];
    floorSum += left.floor + right.floor - worst[kFloor];
    PieceHeap& home = level < smallLevel ? large : small;
    home.Push(halves[0]);
    home.Push(halves[1]);
    largeError +=
        (level < smallLevel ? error : 0.0) - (worst[kLevel] < smallLevel ? worst[kError] : 0.0);
    suspects += long(halves[0][kSuspectLow] + halves[0][kSuspectHigh] + halves[1][kSuspectLow] +
                     halves[1][kSuspectHigh]) -
                long(worst[kSuspectLow] + worst[kSuspectHigh]);
    if (errorSum <= goalOf(area)) {
      refresh(); // confirm the incremental sums
      if (errorSum <= goalOf(area)) {
        converged = true;
        break;
      }
    }
    if (roundoff1 + roundoff2 >= 10 || roundoff3 >= 20)
      break; // rounding dominates: no bisection will lower the error
    if (roundoff2 >= 5)
      roundoffInTable = true;
    if (suspects > 0) {
      // An unresolved feature at the end of some piece: the sums are not yet those of a
      // converging sequence; the worst piece is bisected.
      extrapolating = false;
      continue;
    }
    if (done == 0) {
      // The sum of the two halves is the second term of the sequence.
      table.Add(area, extrapolated, extrapolationError);
      addAbsolute();
      largeError = errorSum;
      continue;
    }
    if (!extrapolating) {
      if (!(small.TopError() > large.TopError()))
        continue; // the worst piece is still a large one
      extrapolating = true;
    }
    if (!roundoffInTable && large.Size() > 0 &&
        largeError > (bestError < HUGE_VAL ? goalOf(bestValue) : goalOf(area)))
      continue; // the large pieces are not yet accurate enough
    // The level is complete: its sum is the next term of the extrapolated sequence when the worst
    // small piece holds a singularity at a fixed end, where the sums converge geometrically. A
    // jump or kink inside (bounded values) or a singularity that is not at the ends of the pieces
    // gives sums that only look geometric for a few levels: their limit is not extrapolated (a
    // step at ln 6 on [1, 2] was extrapolated 9e-5 off with status 0).
    if (small.Size() == 0 || small.Piece(0)[kRun] < 2.0) {
      table.Reset();
      absoluteTable.Reset();
      absoluteFound = false;
      bestError = HUGE_VAL;
      sinceBest = 0;
    }
    ++sinceBest;
    const bool found = table.Add(area, extrapolated, extrapolationError);
    addAbsolute();
    if (found && extrapolationError < bestError && absoluteFound) {
      sinceBest = 0;
      bestValue = extrapolated;
      bestError = extrapolationError;
      bestAbsolute = absoluteLimit;
      correction = largeError;
      if (bestError <= goalOf(bestValue))
        break;
    }
    if (sinceBest > 5 && bestError < 1e-3 * errorSum)
      break; // the extrapolation has stalled
    extrapolating = false;
    smallLevel += 1.0;
    small.MoveBelowLevel(smallLevel, large);
    largeError = errorSum;
  }
  refresh();
  if (converged) {
    oResult = area;
    return std::isfinite(area) ? kConverged : kNotConverged;
  }
  if (roundoffInTable)
    bestError += correction;
  const bool useExtrapolation = bestError < errorSum;
  oResult = useExtrapolation ? bestValue : area;
  if (!std::isfinite(oResult))
    return kNotConverged;
  if (useExtrapolation) {
    // An extrapolated limit far from the sum of the pieces, or pieces whose error exceeds
    // their sum, point to a divergent integral.
    const double l1 = floorSum / (50.0 * DBL_EPSILON);
    const double ratio = oResult / area;
    if (std::fmax(std::fabs(oResult), std::fabs(area)) > 0.01 * l1 &&
        (!(ratio >= 0.01 && ratio <= 100.0) || errorSum > std::fabs(area)))
      return kNotConverged;
    // The same for the sums of |f|, whichever the cancellation in the signed ones.
    const double absoluteRatio = bestAbsolute / l1;
    if (!(absoluteRatio >= 0.01 && absoluteRatio <= 100.0))
      return kNotConverged;
  }
  return (useExtrapolation ? bestError : errorSum) <= goalOf(oResult) ? kConverged : kNotConverged;
}

// The adaptive scheme shared by IntegrateAbsOrRel, MyOwnIntegrateAbsOrRel and
// XelMathIntegrateX: the integral in oResult, status 0 when two successive estimates agree
// within the tolerance, 7 when not. The rules go through the virtual slots so that a class
// overriding GaussLegendre is integrated by its own rule; when the doubling ends without two
// agreeing sums, the last doubling sum is the answer. With iGlobal the global adaptive scheme
// above runs instead, on the same tolerance.
int Adaptive(const XelMathFunctionX& iF, const XelMathInterval& iI, double iEps,
             unsigned char iRelative, const XelTolerance* iTol, long iLowOrder, long iHighOrder,
             long iMaxIntervals, bool iGlobal, const char* iWhere, double& oResult) {
  // A negative or NaN tolerance asks for nothing meaningful (an infinite one accepts the
  // first estimate).
  if (!(iEps >= 0.0))
    XelMathRaise(XelErrorCode::InvalidOption, "the tolerance of the integral", "negative or NaN",
                 iWhere);
  const double scale = IntegralScale(iF, iTol, iWhere);
  if (iGlobal) {
    const Tolerance tolerance = {0.5 * iEps * scale, iRelative ? 0.5 * iEps : 0.0,
                                 XelHardTol(1.0) * scale};
    const bool reversed = iI.low > iI.high;
    double result = 0.0;
    const int status = GlobalKronrod(iF, reversed ? iI.high : iI.low, reversed ? iI.low : iI.high,
                                     tolerance, result);
    oResult = reversed ? -result : result;
    return status;
  }
  const double low = iF.GaussLegendre(iI, iLowOrder);
  const double high = iF.GaussLegendre(iI, iHighOrder);
  double tau = 0.5 * iEps * scale;
  if (iRelative)
    tau = 0.5 * iEps * (XelHardTol(1.0) * scale + std::fabs(high));
  oResult = high;
  if (std::fabs(high - low) <= tau)
    return kConverged;
  double previous = high, sum = high;
  for (long n = 1;; n *= 2) {
    sum = iF.GaussLegendre(iI, 20, n);
    if (2 * n > iMaxIntervals || std::fabs(sum - previous) <= tau)
      break;
    previous = sum;
  }
  oResult = sum;
  return std::fabs(sum - previous) <= tau ? kConverged : kNotConverged;
}

// The tolerance object of a function for its integration: the one of a basis function.
const XelTolerance* OwnTolerance(const XelMathFunctionX& iF) {
  if (iF.IsAKindOf("XelMathBasisFunctionX"))
    return static_cast<const XelMathBasisFunctionX&>(iF).GetToleranceObject();
  return nullptr;
}

} // namespace

double XelMathFunctionX::IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                                           unsigned char iRelative) const {
  double result = 0.0;
  Adaptive(*this, iI, iEps, iRelative, OwnTolerance(*this), 8, 12, 64, false,
           "XelMathFunctionX::IntegrateAbsOrRel", result);
  return result;
}

double MyOwnIntegrateAbsOrRel(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                              unsigned char iRelative, const XelTolerance& iTol, long iLowOrder,
                              long iHighOrder, long iMaxIntervals) {
  if (!iF)
    return 0.0;
  // Beyond about a million sub-intervals the doubling would only accumulate rounding.
  const long maxIntervals =
      iMaxIntervals <= 0 ? 64 : (iMaxIntervals < (1L << 20) ? iMaxIntervals : (1L << 20));
  double result = 0.0;
  Adaptive(*iF, iI, iEps, iRelative, &iTol, iLowOrder > 0 ? iLowOrder : 8,
           iHighOrder > 0 ? iHighOrder : 12, maxIntervals, false, "MyOwnIntegrateAbsOrRel", result);
  return result;
}

int XelMathIntegrateX(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                      unsigned char iRelative, const XelMathAttrList* iAttributes,
                      double& oIntegral) {
  oIntegral = 0.0;
  if (!iF)
    return XelMathStatus::Refused;
  const bool adaptive =
      iAttributes && iAttributes->GetAttribute(AttrFunctionXAdaptiveIntegration) != nullptr;
  const int status = Adaptive(*iF, iI, iEps, iRelative, OwnTolerance(*iF), 8, 12, 64, adaptive,
                              "XelMathIntegrateX", oIntegral);
  // An infinite or NaN end is refused; a value that is not finite is never a success.
  if (!std::isfinite(iI.low) || !std::isfinite(iI.high))
    return XelMathStatus::Refused;
  return status == XelMathStatus::Done && !std::isfinite(oIntegral) ? XelMathStatus::NotConverged
                                                                    : status;
}
