// Adaptive integrator of vector-valued integrands on nine samples per interval.
#include "XelMathIntegration.h"

#include <cmath>

#include "XelMathInternalConstants.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"
#include "XelSoftwareConfiguration.h"

long XelMathIntegration::NestedIntegrations = 0;

namespace {

// Weights of the fixed rules, computed once per process from their integer ratios.
struct RuleWeights {
  // Romberg on 9 samples (H times): ends, odd samples, samples 2 and 6, middle.
  double romberg0, romberg1, romberg2, romberg4;
  // Composite Boole (H times).
  double boole0, boole1, boole2, boole4;
  // Two 7-point Clenshaw-Curtis rules (quarter width times): ends, samples at +-q/2,
  // centres, middle, the four new nodes at +-q sqrt(3)/2; error factor (H times).
  double cc0, cc1, cc2, cc4, ccNew, ccError;
  // Boole's rule on five samples (width times).
  double lagrange0, lagrange1, lagrange2;
  double halfSqrt3;
};

const RuleWeights& Weights() {
  static const RuleWeights w = {31.0 / 810.0, 512.0 / 2835.0,       176.0 / 2835.0, 218.0 / 2835.0,
                                7.0 / 180.0,  8.0 / 45.0,           1.0 / 15.0,     7.0 / 90.0,
                                1.0 / 35.0,   16.0 / 35.0,          164.0 / 315.0,  2.0 / 35.0,
                                16.0 / 63.0,  16.0 / (63.0 * 27.0), 7.0 / 90.0,     16.0 / 45.0,
                                2.0 / 15.0,   0.5 * std::sqrt(3.0)};
  return w;
}

// Raises the library-wide nesting count for the lifetime of one Integration call.
class NestingGuard {
public:
  explicit NestingGuard(long& ioCounter) : _counter(ioCounter) { ++_counter; }
  NestingGuard(const NestingGuard&) = delete;
  NestingGuard& operator=(const NestingGuard&) = delete;
  ~NestingGuard() { --_counter; }

private:
  long& _counter;
};

// The point iA + k (iB - iA) / 8, exactly iB for k = 8.
inline double SamplePoint(double iA, double iB, long iK) {
  return iK == 8 ? iB : iA + (iB - iA) * (double(iK) / 8.0);
}

/// A symmetric rule on nine equally spaced samples (iN values each, sample k at iF + k iN):
/// weight iW0 at the ends, iW1 at the odd samples, iW2 at samples 2 and 6, iW4 at the centre.
void NinePointRule(const double iH, const double iW0, const double iW1, const double iW2,
                   const double iW4, const double* iF, const long iN, double* oResults) {
  const double* f = iF;
  const long n = iN;
  for (long i = 0; i < n; ++i)
    oResults[i] = iH * (iW0 * (f[i] + f[8 * n + i]) +
                        iW1 * (f[n + i] + f[3 * n + i] + f[5 * n + i] + f[7 * n + i]) +
                        iW2 * (f[2 * n + i] + f[6 * n + i]) + iW4 * f[4 * n + i]);
}

} // namespace

XelMathIntegration::XelMathIntegration(XelSoftwareConfiguration* iConfig, long iDimension)
    : _work1(_inlineWork), _work2(_inlineWork + InlineDimension),
      _dimension(iDimension > 0 ? iDimension : 0), _maxDepth(6), _minDepth(0),
      _intervals(0), _configuration(iConfig) {
  if (_dimension > InlineDimension) {
    XelMathCheckDimension(_dimension, 2, "the dimension", "XelMathIntegration::XelMathIntegration");
    _work1 = XelQuorArrayDoubleNew(2 * _dimension);
    _work2 = _work1 + _dimension;
  }
}

XelMathIntegration::~XelMathIntegration() {
  if (_work1 != _inlineWork)
    XelQuorArrayDoubleDel(_work1, 2 * _dimension);
}

long XelMathIntegration::GetDynamicMemoryBytes() const {
  return _work1 != _inlineWork ? long(2 * _dimension * sizeof(double)) : 0;
}

long XelMathIntegration::GetStaticMemoryBytes() const {
  return long(sizeof(*this));
}

void XelMathIntegration::SetMaxDepth(long iDepth) {
  _maxDepth = iDepth < 0 ? 0 : (iDepth > DepthLimit ? DepthLimit : iDepth);
}

void XelMathIntegration::SetMinDepth(long iDepth) {
  _minDepth = iDepth < 0 ? 0 : iDepth;
}

void XelMathIntegration::Romberg9(const double iA, const double iB, const double* iSamples,
                                  double* oResults) {
  const RuleWeights& w = Weights();
  NinePointRule(iB - iA, w.romberg0, w.romberg1, w.romberg2, w.romberg4, iSamples, _dimension,
                oResults);
}

void XelMathIntegration::TwoNewtonCotes5(const double iA, const double iB, const double* iSamples,
                                         double* oResults) {
  const RuleWeights& w = Weights();
  NinePointRule(iB - iA, w.boole0, w.boole1, w.boole2, w.boole4, iSamples, _dimension, oResults);
}

void XelMathIntegration::Lagrange3(const double iA, const double iB, const double* iSamples,
                                   double* oResults) const {
  const RuleWeights& w = Weights();
  const long n = _dimension;
  const double h = iB - iA;
  const double* f = iSamples;
  for (long i = 0; i < n; ++i)
    oResults[i] = h * (w.lagrange0 * (f[i] + f[4 * n + i]) +
                       w.lagrange1 * (f[n + i] + f[3 * n + i]) + w.lagrange2 * f[2 * n + i]);
}

void XelMathIntegration::TwoClenshawCurtis7(const double iA, const double iB,
                                            const double* iSamples, double* oResults,
                                            double* oErrors) {
  const RuleWeights& w = Weights();
  const long n = _dimension;
  const double h = iB - iA;
  const double q = 0.25 * h;
  const double* f = iSamples;
  double* g1 = _work1;
  double* g2 = _work2;

  // Left half: centre at sample 2, nodes in increasing order f0, g1, f1, f2, f3, g2, f4.
  const double cl = iA + q;
  Eval(cl - q * w.halfSqrt3, g1);
  Eval(cl + q * w.halfSqrt3, g2);
  for (long i = 0; i < n; ++i) {
    const double f0 = f[i], f1 = f[n + i], f2 = f[2 * n + i], f3 = f[3 * n + i], f4 = f[4 * n + i];
    oResults[i] = w.cc0 * f0 + w.cc1 * (f1 + f3) + w.cc2 * f2 + w.ccNew * (g1[i] + g2[i]);
    oErrors[i] = std::fabs(0.5 * (f0 + f4) - g1[i] + f1 - f2 + f3 - g2[i]);
  }
  // Right half: centre at sample 6, nodes f4, g1, f5, f6, f7, g2, f8.
  const double cr = iB - q;
  Eval(cr - q * w.halfSqrt3, g1);
  Eval(cr + q * w.halfSqrt3, g2);
  const bool absolute = GetQuorLevel(_configuration, "XelMathIntegration::TwoClenshawCurtis7") >=
                        XelQuorVersionLevel_MathIntegration_BugTwoClenshawCurtis7;
  for (long i = 0; i < n; ++i) {
    const double f4 = f[4 * n + i], f5 = f[5 * n + i], f6 = f[6 * n + i], f7 = f[7 * n + i],
                 f8 = f[8 * n + i];
    oResults[i] = q * (oResults[i] + w.cc0 * f8 + w.cc1 * (f5 + f7) + w.cc2 * f6 + w.cc4 * f4 +
                       w.ccNew * (g1[i] + g2[i]));
    const double e = std::fabs(0.5 * (f4 + f8) - g1[i] + f5 - f6 + f7 - g2[i]);
    const double error = h * w.ccError * (oErrors[i] + e);
    oErrors[i] = absolute ? std::fabs(error) : error;
  }
}

int XelMathIntegration::CCRSubdivision(const double iA, const double iB, const double* iTol,
                                       const double* iSamples, double* oResults, double* oErrors,
                                       long iDepth) {
  const long n = _dimension;
  if (n == 0)
    return XelMathStatus::Done;
  // Own samples (when not given), Romberg and Boole values, the samples of a half and the
  // results and errors of the right half.
  XelMathScratchDoubles<22 * InlineDimension> buffer(22 * n);
  double* own = buffer.Data();
  double* romberg = own + 9 * n;
  double* boole = romberg + n;
  double* half = boole + n;
  double* rightResults = half + 9 * n;
  double* rightErrors = rightResults + n;

  if (!iSamples) {
    for (long k = 0; k <= 8; ++k)
      Eval(SamplePoint(iA, iB, k), own + k * n);
    iSamples = own;
  }
  if (iDepth == 0)
    _intervals = 0;
  const bool atMax = iDepth >= _maxDepth || ++_intervals > MaxIntervals;
  bool accepted = false, hopeless = false;
  if (iDepth >= _minDepth || atMax) {
    Romberg9(iA, iB, iSamples, romberg);
    TwoNewtonCotes5(iA, iB, iSamples, boole);
    if (iDepth >= _minDepth) {
      accepted = true;
      for (long i = 0; i < n; ++i) {
        const double d = std::fabs(boole[i] - romberg[i]);
        if (std::isnan(d))
          hopeless = true; // no subdivision can repair a NaN sample
        else if (d > (iTol ? std::fabs(iTol[i]) : 0.0))
          accepted = false;
      }
    }
  }
  if (accepted || atMax || hopeless) {
    TwoClenshawCurtis7(iA, iB, iSamples, oResults, oErrors);
    bool met = true;
    for (long i = 0; i < n; ++i) {
      double e = std::fabs(boole[i] - romberg[i]);
      const double dc = std::fabs(oResults[i] - romberg[i]);
      if (dc > e || std::isnan(dc))
        e = dc;
      if (oErrors[i] > e || std::isnan(oErrors[i]))
        e = oErrors[i];
      oErrors[i] = e;
      if (!(e <= (iTol ? std::fabs(iTol[i]) : 0.0)))
        met = false;
      if (std::isnan(e))
        hopeless = true;
    }
    if (met)
      return XelMathStatus::Done;
    if (atMax || hopeless)
      return XelMathStatus::NotConverged;
  }

  // Halve: the even samples of each half are samples of this interval.
  const double m = iA + 0.5 * (iB - iA);
  for (long k = 0; k <= 8; k += 2)
    for (long i = 0; i < n; ++i)
      half[k * n + i] = iSamples[(k / 2) * n + i];
  for (long k = 1; k < 8; k += 2)
    Eval(SamplePoint(iA, m, k), half + k * n);
  int status = CCRSubdivision(iA, m, iTol, half, oResults, oErrors, iDepth + 1);

  for (long k = 0; k <= 8; k += 2)
    for (long i = 0; i < n; ++i)
      half[k * n + i] = iSamples[(4 + k / 2) * n + i];
  for (long k = 1; k < 8; k += 2)
    Eval(SamplePoint(m, iB, k), half + k * n);
  if (CCRSubdivision(m, iB, iTol, half, rightResults, rightErrors, iDepth + 1) != 0)
    status = XelMathStatus::NotConverged;

  for (long i = 0; i < n; ++i) {
    oResults[i] += rightResults[i];
    oErrors[i] += rightErrors[i];
  }
  return status;
}

int XelMathIntegration::Integration(const double iA, const double iB, const double* iTol,
                                    double* oResults, double* oErrors) {
  if (!oResults)
    return XelMathStatus::Refused;
  NestingGuard guard(NestedIntegrations);
  XelMathScratchDoubles<InlineDimension> scratch(oErrors ? 0 : _dimension);
  return CCRSubdivision(iA, iB, iTol, nullptr, oResults, oErrors ? oErrors : scratch.Data(), 0);
}
