// Gauss-Legendre tables, the fixed-order rules of XelMathFunctionX and its adaptive
// integration driver.
#include "XelMathGaussLegendre.h"

#include <cfloat>
#include <cmath>

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

double XelMathGaussLegendre::ApplyKronrod(const XelMathFunctionX& iF, double iA, double iB,
                                          double& oError, double& oFloor) {
  const double h = 0.5 * (iB - iA);
  const double c = 0.5 * (iA + iB);
  const double* gaussWeights = GaussLegendreWeights + 10; // the 10-point rule
  double values[2 * KronrodPairs + 1];
  values[0] = iF.Eval(c);
  double kronrod = KronrodWeights[0] * values[0], gauss = 0.0;
  double absolute = KronrodWeights[0] * std::fabs(values[0]);
  for (long k = 1; k <= KronrodPairs; ++k) {
    const double d = h * KronrodNodes[k];
    const double f1 = iF.Eval(c - d), f2 = iF.Eval(c + d);
    values[2 * k - 1] = f1;
    values[2 * k] = f2;
    kronrod += KronrodWeights[k] * (f1 + f2);
    absolute += KronrodWeights[k] * (std::fabs(f1) + std::fabs(f2));
    if (k % 2 == 1)
      gauss += gaussWeights[k / 2] * (f1 + f2);
  }
  // Spread of the values around their mean, which scales the raw Kronrod-Gauss difference.
  const double mean = 0.5 * kronrod;
  double spread = KronrodWeights[0] * std::fabs(values[0] - mean);
  for (long k = 1; k <= KronrodPairs; ++k)
    spread +=
        KronrodWeights[k] * (std::fabs(values[2 * k - 1] - mean) + std::fabs(values[2 * k] - mean));
  const double ah = std::fabs(h);
  absolute *= ah;
  spread *= ah;
  double error = std::fabs((kronrod - gauss) * h);
  // The difference estimates the error of the Gauss rule; the Kronrod value is far better
  // on smooth pieces, hence the power 1.5 once the difference is small against the spread.
  if (spread != 0.0 && error != 0.0)
    error = spread * std::fmin(1.0, std::pow(200.0 * error / spread, 1.5));
  oFloor = 50.0 * DBL_EPSILON * absolute;
  if (absolute > DBL_MIN / (50.0 * DBL_EPSILON))
    error = std::fmax(oFloor, error);
  oError = error;
  return kronrod * h;
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

// ---- global adaptive continuation ------------------------------------------------------------
//
// On request, when the doubling stops without agreement, the interval is cut into the same
// equal pieces, each integrated by the 21-point Kronrod rule with its error estimate, and the
// piece of largest error is bisected until the summed estimate is within the tolerance (plus
// the summed rounding floors), the worst piece cannot be split any more, the error stops
// decreasing or the evaluation budget is spent.

// The whole call may spend this many times the evaluations of the plain scheme.
const long kBudgetFactor = 80;
// Bisections between two checks that the summed error still decreases, and the decrease
// asked for over such a window.
const long kProgressWindow = 512;
const double kProgressRatio = 0.9;
// Fields of a piece in the work array.
enum { kLow = 0, kHigh = 1, kValue = 2, kError = 3, kFloor = 4, kFields = 5 };

// The work array of the continuation, allocated once through the memory services and freed on
// every way out (an evaluation may raise).
class PieceArray {
public:
  explicit PieceArray(long iCapacity)
      : _capacity(iCapacity), _data(XelQuorArrayDoubleNew(kFields * iCapacity)) {}
  ~PieceArray() { XelQuorArrayDoubleDel(_data, kFields * _capacity); }
  PieceArray(const PieceArray&) = delete;
  PieceArray& operator=(const PieceArray&) = delete;
  double* operator[](long iIndex) { return _data + kFields * iIndex; }
  long Capacity() const { return _capacity; }

private:
  long _capacity;
  double* _data;
};

// Max-heap of pieces ordered by their error estimate.
class PieceHeap {
public:
  explicit PieceHeap(PieceArray& ioArray) : _array(ioArray) {}
  long Size() const { return _size; }
  bool Full() const { return _size >= _array.Capacity(); }
  double* Piece(long iIndex) { return _array[iIndex]; }
  void Push(double iLow, double iHigh, double iValue, double iError, double iFloor) {
    long k = _size++;
    double* p = _array[k];
    p[kLow] = iLow, p[kHigh] = iHigh, p[kValue] = iValue, p[kError] = iError, p[kFloor] = iFloor;
    while (k > 0) {
      const long parent = (k - 1) / 2;
      if (!(_array[parent][kError] < _array[k][kError]))
        break;
      Swap(parent, k);
      k = parent;
    }
  }
  // Removes the top piece into oPiece.
  void Pop(double* oPiece) {
    for (long f = 0; f < kFields; ++f)
      oPiece[f] = _array[0][f];
    --_size;
    if (_size == 0)
      return;
    Swap(0, _size);
    long k = 0;
    for (;;) {
      const long left = 2 * k + 1, right = left + 1;
      long largest = k;
      if (left < _size && _array[largest][kError] < _array[left][kError])
        largest = left;
      if (right < _size && _array[largest][kError] < _array[right][kError])
        largest = right;
      if (largest == k)
        break;
      Swap(k, largest);
      k = largest;
    }
  }

private:
  void Swap(long iA, long iB) {
    double *a = _array[iA], *b = _array[iB];
    for (long f = 0; f < kFields; ++f) {
      const double t = a[f];
      a[f] = b[f];
      b[f] = t;
    }
  }
  PieceArray& _array;
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

// Wynn's epsilon algorithm on the sums recorded each time the narrowest piece is halved:
// near an endpoint singularity those sums converge geometrically, and the extrapolated limit
// is reached long before the pieces could be made narrow enough. Fixed storage.
class EpsilonExtrapolation {
public:
  // Records a new sum; returns true and the extrapolated value with its error estimate
  // (differences of the last extrapolations) once there are enough sums.
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
    // The estimate compares the newest extrapolation with the three before it.
    double error = HUGE_VAL;
    if (_results == 3)
      error = std::fabs(best - _last[0]) + std::fabs(best - _last[1]) + std::fabs(best - _last[2]);
    if (_results == 3)
      _last[0] = _last[1], _last[1] = _last[2], _last[2] = best;
    else
      _last[_results++] = best;
    if (!std::isfinite(best) || !(bestError < HUGE_VAL))
      return false;
    oValue = best;
    oError = std::fmax(std::fmax(error, bestError), 5.0 * DBL_EPSILON * std::fabs(best));
    return error < HUGE_VAL;
  }

private:
  static const long kSize = 25;
  double _sums[kSize];
  long _count = 0;
  double _last[3] = {0.0, 0.0, 0.0};
  long _results = 0;
};

// Outcomes of the continuation.
enum { kUnusable = -1, kConverged = 0, kNotConverged = 7 };

// The continuation on [iLow, iHigh] (iLow < iHigh) cut into iPieces equal pieces. iTau is the
// absolute tolerance; in relative mode (iRelFactor > 0) the tolerance is iRelFactor (iFloor +
// |current estimate|). At most iBudget evaluations. Returns kUnusable when the budget does not
// even allow the first pass or the result is not finite; otherwise oResult, and kConverged when
// its error estimate is within the tolerance plus the summed rounding floors of the pieces.
int GlobalAdaptive(const XelMathFunctionX& iF, double iLow, double iHigh, long iPieces, double iTau,
                   double iRelFactor, double iFloor, long iBudget, double& oResult) {
  const long perRule = 2 * XelMathGaussLegendre::KronrodPairs + 1;
  if (iPieces < 1 || iBudget < iPieces * perRule)
    return kUnusable;
  const long bisections = (iBudget - iPieces * perRule) / (2 * perRule);
  PieceArray array(iPieces + bisections + 1);
  PieceHeap heap(array);
  // Errors and rounding floors of the pieces still in the heap and of the retired ones.
  double heapError = 0.0, heapFloor = 0.0, retiredError = 0.0, retiredFloor = 0.0;
  CompensatedSum retired, estimate;
  const double width = iHigh - iLow;
  double left = iLow;
  for (long j = 1; j <= iPieces; ++j) {
    const double right = j == iPieces ? iHigh : iLow + width * (double(j) / double(iPieces));
    double error = 0.0, floor = 0.0;
    const double value = XelMathGaussLegendre::ApplyKronrod(iF, left, right, error, floor);
    if (!std::isfinite(value) || !std::isfinite(error))
      return kUnusable;
    heap.Push(left, right, value, error, floor);
    heapError += error;
    heapFloor += floor;
    estimate.Add(value);
    left = right;
  }
  double running = estimate.Value();
  double narrowest = width / double(iPieces);
  auto tauOf = [&](double iEstimate) {
    return iRelFactor > 0.0 ? iRelFactor * (iFloor + std::fabs(iEstimate)) : iTau;
  };
  // The tolerance plus the rounding level that no refinement can go below.
  auto goalOf = [&](double iEstimate) { return tauOf(iEstimate) + heapFloor + retiredFloor; };
  EpsilonExtrapolation extrapolation;
  bool extrapolated = false;
  double bestValue = 0.0, bestError = HUGE_VAL;
  double checkpoint = HUGE_VAL;
  for (long done = 0; heap.Size() > 0;) {
    const double goal = goalOf(running);
    if (heapError + retiredError <= goal || (done & 63) == 0) {
      // Confirm (and refresh every 64 steps) the incrementally kept sums by full ones.
      heapError = heapFloor = 0.0;
      for (long k = 0; k < heap.Size(); ++k) {
        heapError += heap.Piece(k)[kError];
        heapFloor += heap.Piece(k)[kFloor];
      }
      if (heapError + retiredError <= goalOf(running))
        break;
    }
    if (done >= bisections)
      break;
    if (done > 0 && done % kProgressWindow == 0) {
      // The error no longer decreases (a divergent or wildly oscillating integrand): more
      // bisections would only spend the budget.
      const double now = heapError + retiredError;
      if (!(now < kProgressRatio * checkpoint))
        break;
      checkpoint = now;
    }
    double worst[kFields];
    heap.Pop(worst);
    const double a = worst[kLow], b = worst[kHigh], m = 0.5 * (a + b);
    if (!Splittable(a, b)) {
      // The worst piece cannot be refined: the remaining error cannot decrease any more.
      heap.Push(a, b, worst[kValue], worst[kError], worst[kFloor]);
      break;
    }
    ++done;
    heapError -= worst[kError];
    heapFloor -= worst[kFloor];
    double errorL = 0.0, floorL = 0.0, errorR = 0.0, floorR = 0.0;
    const double valueL = XelMathGaussLegendre::ApplyKronrod(iF, a, m, errorL, floorL);
    const double valueR = XelMathGaussLegendre::ApplyKronrod(iF, m, b, errorR, floorR);
    if (!std::isfinite(valueL + valueR) || !std::isfinite(errorL + errorR))
      return kUnusable;
    running += valueL + valueR - worst[kValue];
    // A half is retired once its error is within an eighth of its share of the tolerance, or
    // at the rounding floor of its rule: it needs no further work.
    const double tau = tauOf(running);
    const double halves[2][5] = {{a, m, valueL, errorL, floorL}, {m, b, valueR, errorR, floorR}};
    for (const auto& half : halves) {
      const double share = 0.125 * tau * ((half[1] - half[0]) / width);
      if (half[3] <= share || !(half[3] > half[4]) || heap.Full()) {
        retired.Add(half[2]);
        retiredError += half[3];
        retiredFloor += half[4];
      } else {
        heap.Push(half[0], half[1], half[2], half[3], half[4]);
        heapError += half[3];
        heapFloor += half[4];
      }
    }
    if (heapError < 0.0)
      heapError = 0.0;
    if (m - a < narrowest * (1.0 - 1e-9)) {
      // A new narrowest level: record the sum for the extrapolation; its error adds that of
      // the pieces wider than the two narrowest levels and of the retired ones, which the
      // limit does not cover.
      narrowest = m - a;
      double value = 0.0, error = 0.0;
      if (extrapolation.Add(running, value, error)) {
        double wide = 0.0;
        for (long k = 0; k < heap.Size(); ++k) {
          const double* p = heap.Piece(k);
          if (p[kHigh] - p[kLow] > 2.5 * narrowest)
            wide += p[kError];
        }
        error += wide + retiredError;
        if (error < bestError) {
          bestValue = value, bestError = error, extrapolated = true;
          if (bestError <= goalOf(bestValue) && bestError < heapError + retiredError) {
            oResult = bestValue;
            return std::isfinite(oResult) ? kConverged : kUnusable;
          }
        }
      }
    }
  }
  double sumError = retiredError;
  CompensatedSum total = retired;
  for (long k = 0; k < heap.Size(); ++k) {
    total.Add(heap.Piece(k)[kValue]);
    sumError += heap.Piece(k)[kError];
  }
  const bool useExtrapolation = extrapolated && bestError < sumError;
  oResult = useExtrapolation ? bestValue : total.Value();
  if (!std::isfinite(oResult))
    return kUnusable;
  return (useExtrapolation ? bestError : sumError) <= goalOf(oResult) ? kConverged : kNotConverged;
}

// The adaptive scheme shared by IntegrateAbsOrRel, MyOwnIntegrateAbsOrRel and
// XelMathIntegrateX: the integral in oResult, status 0 when two successive estimates agree
// within the tolerance, 7 when not. The rules go through the virtual slots so that a class
// overriding GaussLegendre is integrated by its own rule. When the doubling ends without two
// agreeing sums, the last doubling sum is the answer, unless iContinue asks for the global
// adaptive continuation above, which then starts from the last partition.
int Adaptive(const XelMathFunctionX& iF, const XelMathInterval& iI, double iEps,
             unsigned char iRelative, const XelTolerance* iTol, long iLowOrder, long iHighOrder,
             long iMaxIntervals, bool iContinue, const char* iWhere, double& oResult) {
  // A negative or NaN tolerance asks for nothing meaningful (an infinite one accepts the
  // first estimate).
  if (!(iEps >= 0.0))
    XelMathRaise(XelErrorCode::InvalidOption, "the tolerance of the integral", "negative or NaN",
                 iWhere);
  const double low = iF.GaussLegendre(iI, iLowOrder);
  const double high = iF.GaussLegendre(iI, iHighOrder);
  const double scale = IntegralScale(iF, iTol, iWhere);
  double tau = 0.5 * iEps * scale;
  if (iRelative)
    tau = 0.5 * iEps * (XelHardTol(1.0) * scale + std::fabs(high));
  oResult = high;
  if (std::fabs(high - low) <= tau)
    return kConverged;
  double previous = high, sum = high;
  long n = 1;
  for (;; n *= 2) {
    sum = iF.GaussLegendre(iI, 20, n);
    if (2 * n > iMaxIntervals || std::fabs(sum - previous) <= tau)
      break;
    previous = sum;
  }
  oResult = sum;
  if (std::fabs(sum - previous) <= tau)
    return kConverged;
  if (!iContinue || !std::isfinite(iI.low) || !std::isfinite(iI.high) || iI.low == iI.high)
    return kNotConverged;
  // Evaluations of the plain scheme: both first rules and the 20-point rule on 1 + 2 + ... + n
  // pieces. The continuation may spend kBudgetFactor times as many for the whole call.
  const double *x = nullptr, *w = nullptr;
  const long plain = 2 * (XelMathGaussLegendre::GetRule(iLowOrder, x, w) +
                          XelMathGaussLegendre::GetRule(iHighOrder, x, w)) +
                     20 * (2 * n - 1);
  const double absTau = tau > 0.0 ? tau : 0.0;
  const double relFactor = iRelative ? 0.5 * iEps : 0.0;
  const bool reversed = iI.low > iI.high;
  double result = 0.0;
  const int status =
      GlobalAdaptive(iF, reversed ? iI.high : iI.low, reversed ? iI.low : iI.high, n, absTau,
                     relFactor, XelHardTol(1.0) * scale, (kBudgetFactor - 1) * plain, result);
  if (status == kUnusable)
    return kNotConverged;
  oResult = reversed ? -result : result;
  return status;
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
