// Minimization side by side with peers, on the same inputs: every interior minimum of
// f(x) = sin(w x) + 0.1 x + 0.3 cos(3 x) on [0, 10].
//  - the library's XelMathFunctionX::Minimize on its three strategies: interval bisection
//    (the function offers interval images), derivative sampling (exact derivatives, no
//    images), and Brent's search on 3 x 15 samples (values only);
//  - Boost.Math's brent_find_minima and GSL's gsl_min_fminimizer_brent, each run on the
//    brackets of the same 45-point sampling that the library's Brent path uses, with stopping
//    tests they can reach: Boost at 26 bits, the most it accepts for double (it clamps the
//    bits to half the digits), which is a relative tolerance of 2^-25, twice the library's
//    2^-26 = sqrt(DBL_EPSILON); GSL until gsl_min_test_interval holds for the width the library
//    stops at (4 x 2^-26 relative, plus an absolute floor), capped at 200 iterations.
// Before timing, every side is checked against reference minima (roots of f' found by long
// double bisection on a dense sampling): minima missed, spurious minima, the worst distance
// to the reference, function evaluations per run, and for the peers the brackets on which
// their own stopping test was met before the iteration cap.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#ifdef XEL_BENCH_HAVE_BOOST
#include <boost/math/tools/minima.hpp>
#endif
#ifdef XEL_BENCH_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_min.h>
#endif

#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathFunctionX.h"
#include "XelMathInterval.h"
#include "XelMathSetOfPointsND.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kW = 7.0;
const double kA = 0.0, kB = 10.0;
const long kBrentSamples = 45; // the library's Brent path samples 3 x 15 points
const double kMatchTol = 1e-6; // a minimum within this of a reference minimum matches it
const double kLibraryRelTol = 1.4901161193847656e-08; // 2^-26: the library's Brent resolution
// GSL stops when the bracket is narrower than kGslAbs + kGslRel min(|lo|, |hi|): the width at
// which the library's search stops (4 times its tolerance), which GSL can reach (its own
// steps are at least sqrt(DBL_EPSILON) |x| long, so a narrower target is never met).
const double kGslRel = 4.0 * kLibraryRelTol;
const double kGslAbs = 1e-9;
const int kPeerIterations = 200;

// Brackets on which a peer met its own stopping test, and how many it was given.
long gConverged = 0, gBrackets = 0;

long gEvaluations = 0;

inline double F(double x) {
  ++gEvaluations;
  return std::sin(kW * x) + 0.1 * x + 0.3 * std::cos(3.0 * x);
}
inline double DF(double x) {
  return kW * std::cos(kW * x) + 0.1 - 0.9 * std::sin(3.0 * x);
}
inline double D2F(double x) {
  return -kW * kW * std::sin(kW * x) - 2.7 * std::cos(3.0 * x);
}

XelMathInterval SinRange(double p0, double p1) {
  double lo = std::min(std::sin(p0), std::sin(p1));
  double hi = std::max(std::sin(p0), std::sin(p1));
  if (std::floor((p1 - 0.5 * kPi) / (2 * kPi)) >= std::ceil((p0 - 0.5 * kPi) / (2 * kPi)))
    hi = 1.0;
  if (std::floor((p1 + 0.5 * kPi) / (2 * kPi)) >= std::ceil((p0 + 0.5 * kPi) / (2 * kPi)))
    lo = -1.0;
  return XelMathInterval(lo, hi);
}
XelMathInterval CosRange(double p0, double p1) {
  return SinRange(p0 + 0.5 * kPi, p1 + 0.5 * kPi);
}

// The function for the library: iKind 0 values only, 1 exact derivatives, 2 with images of
// f, f', f''.
class BenchWave : public XelMathFunctionX {
public:
  explicit BenchWave(int iKind) : _kind(iKind) {}
  const char* IsA() const override { return "BenchWave"; }
  unsigned char IsOption(const long o) const override {
    const long mask = _kind == 0 ? 1 : (_kind == 1 ? 7 : 7 | 112);
    return (o & ~mask) == 0;
  }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  double Eval(const double& x) const override { return F(x); }
  double EvalFirstDeriv(const double& x) const override {
    if (_kind == 0)
      return XelMathFunctionX::EvalFirstDeriv(x);
    ++gEvaluations;
    return DF(x);
  }
  double EvalSecondDeriv(const double& x) const override {
    if (_kind == 0)
      return XelMathFunctionX::EvalSecondDeriv(x);
    ++gEvaluations;
    return D2F(x);
  }
  void Eval(const double x, const long o, double* f, double* f1, double* f2) const override {
    if (_kind == 0) {
      XelMathFunctionX::Eval(x, o, f, f1, f2);
      return;
    }
    ++gEvaluations; // one evaluation of the shared sines and cosines
    const double s = std::sin(kW * x), c = std::cos(kW * x);
    const double s3 = std::sin(3.0 * x), c3 = std::cos(3.0 * x);
    if ((o & 1) && f)
      *f = s + 0.1 * x + 0.3 * c3;
    if ((o & 2) && f1)
      *f1 = kW * c + 0.1 - 0.9 * s3;
    if ((o & 4) && f2)
      *f2 = -kW * kW * s - 2.7 * c3;
  }
  XelMathInterval Eval(const XelMathInterval& i) const override {
    ++gEvaluations;
    const XelMathInterval s = SinRange(kW * i.low, kW * i.high);
    const XelMathInterval c = CosRange(3.0 * i.low, 3.0 * i.high);
    return XelMathInterval(s.low + 0.1 * i.low + 0.3 * c.low, s.high + 0.1 * i.high + 0.3 * c.high);
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& i) const override {
    ++gEvaluations;
    const XelMathInterval c = CosRange(kW * i.low, kW * i.high);
    const XelMathInterval s = SinRange(3.0 * i.low, 3.0 * i.high);
    return XelMathInterval(kW * c.low + 0.1 - 0.9 * s.high, kW * c.high + 0.1 - 0.9 * s.low);
  }
  XelMathInterval EvalSecondDeriv(const XelMathInterval& i) const override {
    ++gEvaluations;
    const XelMathInterval s = SinRange(kW * i.low, kW * i.high);
    const XelMathInterval c = CosRange(3.0 * i.low, 3.0 * i.high);
    return XelMathInterval(-kW * kW * s.high - 2.7 * c.high, -kW * kW * s.low - 2.7 * c.low);
  }
  XelMathFunctionX* Duplicate() const override { return new BenchWave(_kind); }

private:
  int _kind;
};

// Reference interior minima: sign changes of f' from - to + on a dense grid, bisected in long
// double.
std::vector<double> ReferenceMinima() {
  std::vector<double> r;
  const long n = 100000;
  auto d = [](long double x) {
    return kW * std::cos(static_cast<long double>(kW) * x) + 0.1L - 0.9L * std::sin(3.0L * x);
  };
  long double x0 = kA, d0 = d(x0);
  for (long i = 1; i <= n; ++i) {
    const long double x1 = kA + (kB - kA) * static_cast<long double>(i) / n, d1 = d(x1);
    if (d0 < 0 && d1 > 0) {
      long double lo = x0, hi = x1;
      for (int k = 0; k < 100; ++k) {
        const long double m = 0.5L * (lo + hi);
        (d(m) < 0 ? lo : hi) = m;
      }
      r.push_back(static_cast<double>(0.5L * (lo + hi)));
    }
    x0 = x1;
    d0 = d1;
  }
  return r;
}

const std::vector<double>& Reference() {
  static const std::vector<double> r = ReferenceMinima();
  return r;
}

// The brackets of the 45-point sampling: (x[i-1], x[i], x[i+1]) with f[i] below both.
struct Bracket {
  double lo, mid, hi;
};
std::vector<Bracket> SampleBrackets() {
  std::vector<double> x(kBrentSamples), f(kBrentSamples);
  for (long i = 0; i < kBrentSamples; ++i) {
    x[i] = i == kBrentSamples - 1 ? kB : kA + i * (kB - kA) / (kBrentSamples - 1);
    f[i] = F(x[i]);
  }
  std::vector<Bracket> r;
  for (long i = 1; i + 1 < kBrentSamples; ++i)
    if (f[i] < f[i - 1] && f[i] <= f[i + 1])
      r.push_back({x[i - 1], x[i], x[i + 1]});
  return r;
}

// Interior minima only (the peers look at brackets, not at the ends of the domain).
std::vector<double> Interior(const std::vector<double>& iX) {
  std::vector<double> r;
  for (double x : iX)
    if (x > kA && x < kB)
      r.push_back(x);
  return r;
}

std::vector<double> RunLibrary(int iKind) {
  BenchWave f(iKind);
  XelMathSetOfPointsND minima(1);
  // Brent on 3 x 15 samples; the derivative sampling on the same 45 points.
  XelMathAttrString brent("BrentMethod", 1);
  XelMathAttrIntegerValue sampling("SamplingPoints", kBrentSamples, 1);
  XelMathAttrList list(iKind == 0 ? static_cast<const XelMathAttribute*>(&brent) : &sampling);
  f.Minimize(XelMathInterval(kA, kB), minima, iKind == 2 ? nullptr : &list);
  return Interior(
      std::vector<double>(minima.GetPoints(), minima.GetPoints() + minima.GetNumberOfPoints()));
}

#ifdef XEL_BENCH_HAVE_BOOST
std::vector<double> RunBoost(int iBits) {
  std::vector<double> r;
  for (const Bracket& b : SampleBrackets()) {
    boost::uintmax_t iterations = kPeerIterations;
    const auto m = boost::math::tools::brent_find_minima([](double x) { return F(x); }, b.lo, b.hi,
                                                         iBits, iterations);
    ++gBrackets;
    gConverged += iterations < static_cast<boost::uintmax_t>(kPeerIterations);
    r.push_back(m.first);
  }
  return r;
}
std::vector<double> Boost26() {
  return RunBoost(26);
}
#endif

#ifdef XEL_BENCH_HAVE_GSL
double GslF(double x, void*) {
  return F(x);
}
std::vector<double> RunGsl() {
  std::vector<double> r;
  gsl_min_fminimizer* s = gsl_min_fminimizer_alloc(gsl_min_fminimizer_brent);
  gsl_function fn;
  fn.function = &GslF;
  fn.params = nullptr;
  for (const Bracket& b : SampleBrackets()) {
    ++gBrackets;
    if (gsl_min_fminimizer_set(s, &fn, b.mid, b.lo, b.hi) != GSL_SUCCESS)
      continue;
    for (int it = 0; it < kPeerIterations; ++it) {
      if (gsl_min_fminimizer_iterate(s) != GSL_SUCCESS)
        break;
      if (gsl_min_test_interval(gsl_min_fminimizer_x_lower(s), gsl_min_fminimizer_x_upper(s),
                                kGslAbs, kGslRel) == GSL_SUCCESS) {
        ++gConverged;
        break;
      }
    }
    r.push_back(gsl_min_fminimizer_x_minimum(s));
  }
  gsl_min_fminimizer_free(s);
  return r;
}
#endif

void Report(const char* iName, std::vector<double> (*iRun)()) {
  gEvaluations = 0;
  gConverged = gBrackets = 0;
  const std::vector<double> found = iRun();
  const long evaluations = gEvaluations;
  const std::vector<double>& ref = Reference();
  long missed = 0, spurious = 0;
  double worst = 0.0;
  for (double e : ref) {
    double best = 1e300;
    for (double x : found)
      best = std::min(best, std::fabs(x - e));
    if (best > kMatchTol)
      ++missed;
    else
      worst = std::max(worst, best);
  }
  for (double x : found) {
    long matches = 0;
    for (double e : ref)
      matches += std::fabs(x - e) <= kMatchTol;
    spurious += matches == 0;
  }
  std::printf(
      "%-28s minima %3zu/%3zu  missed %ld  spurious %ld  worst error %.2e  evaluations %4ld", iName,
      found.size(), ref.size(), missed, spurious, worst, evaluations);
  if (gBrackets > 0)
    std::printf("  own test met on %ld/%ld brackets", gConverged, gBrackets);
  std::printf("\n");
}

std::vector<double> LibraryIntervals() {
  return RunLibrary(2);
}
std::vector<double> LibrarySampling() {
  return RunLibrary(1);
}
std::vector<double> LibraryBrent() {
  return RunLibrary(0);
}

void BM_LibraryIntervals(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(RunLibrary(2));
}
void BM_LibrarySampling(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(RunLibrary(1));
}
void BM_LibraryBrent(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(RunLibrary(0));
}
BENCHMARK(BM_LibraryIntervals);
BENCHMARK(BM_LibrarySampling);
BENCHMARK(BM_LibraryBrent);
#ifdef XEL_BENCH_HAVE_BOOST
void BM_BoostBrent(benchmark::State& state) {
  const int bits = static_cast<int>(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(RunBoost(bits));
}
BENCHMARK(BM_BoostBrent)->Arg(26);
#endif
#ifdef XEL_BENCH_HAVE_GSL
void BM_GslBrent(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(RunGsl());
}
BENCHMARK(BM_GslBrent);
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef XEL_BENCH_HAVE_GSL
  gsl_set_error_handler_off();
#endif
  std::printf("Interior minima of sin(%g x) + 0.1 x + 0.3 cos(3 x) on [%g, %g]\n", kW, kA, kB);
  Report("library, interval images", &LibraryIntervals);
  Report("library, derivative sampling", &LibrarySampling);
  Report("library, Brent (values only)", &LibraryBrent);
#ifdef XEL_BENCH_HAVE_BOOST
  Report("Boost brent, 26 bits", &Boost26);
#endif
#ifdef XEL_BENCH_HAVE_GSL
  Report("GSL fminimizer_brent", &RunGsl);
#endif
  std::printf(
      "(peers run on the brackets of the same %ld-point sampling; their counts include it)\n",
      kBrentSamples);
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
