// Polynomial evaluation side by side with Boost: point values against Boost.Math's
// evaluate_polynomial and a plain Horner loop, batches of points (EvalPoints) against the same
// two peers filling the same output array at every degree 3..20, grid evaluation against a
// loop of point evaluations, and interval images against an interval Horner scheme in
// Boost.Interval.
// Every pairing checks first that both sides agree (same values, enclosures of the same
// samples) and prints the widths of the interval images.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

#if XEL_BENCH_HAVE_BOOST
#include <boost/math/tools/rational.hpp>
#include <boost/numeric/interval.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "XelMathInterval.h"
#include "XelMathPolynomX.h"

namespace {

typedef boost::numeric::interval<double> BoostInterval;

const int kPoints = 1024; // points per timed batch

std::vector<double> Coefficients(long d) {
  std::mt19937 rng(1234 + d);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> c(d + 1);
  for (double& v : c)
    v = u(rng);
  return c;
}

std::vector<double> Abscissas() {
  std::mt19937 rng(99);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> x(kPoints);
  for (double& v : x)
    v = u(rng);
  return x;
}

inline double PlainHorner(const double* c, long d, double x) {
  double p = c[d];
  for (long k = d - 1; k >= 0; --k)
    p = p * x + c[k];
  return p;
}

BoostInterval BoostHorner(const double* c, long d, const BoostInterval& x) {
  BoostInterval p(c[d]);
  for (long k = d - 1; k >= 0; --k)
    p = p * x + c[k];
  return p;
}

/// The polynomial object behind a base reference, as callers hold it.
const XelMathFunctionX& AsFunction(const XelMathPolynomX& p) {
  return p;
}

// ---- agreement checks -------------------------------------------------------------------
bool CheckPointValues() {
  const std::vector<double> x = Abscissas();
  for (long d : {3L, 5L, 10L, 20L}) {
    const std::vector<double> c = Coefficients(d);
    const XelMathPolynomX p(d, c.data(), 0.0);
    for (double xi : x) {
      const double a = p.Eval(xi), b = PlainHorner(c.data(), d, xi),
                   e = boost::math::tools::evaluate_polynomial(c.data(), xi, c.size());
      double magnitude = 0.0;
      for (long k = 0; k <= d; ++k)
        magnitude += std::fabs(c[k]) * std::pow(std::fabs(xi), double(k));
      const double tol = 4.0 * (d + 1) * 2.2e-16 * magnitude;
      if (std::fabs(a - b) > tol || std::fabs(a - e) > tol) {
        std::fprintf(stderr, "point values differ at degree %ld, x = %g: %.17g %.17g %.17g\n", d,
                     xi, a, b, e);
        return false;
      }
    }
  }
  return true;
}

bool CheckBatchValues() {
  const std::vector<double> x = Abscissas();
  std::vector<double> f(kPoints), f1(kPoints), f2(kPoints);
  for (long d = 0; d <= 20; ++d) {
    const std::vector<double> c = Coefficients(d);
    const XelMathPolynomX p(d, c.data(), 0.25);
    for (long o : {1L, 7L}) {
      p.EvalPoints(kPoints, x.data(), o, f.data(), f1.data(), f2.data());
      for (int i = 0; i < kPoints; ++i) {
        double g = 0.0, g1 = 0.0, g2 = 0.0;
        p.Eval(x[i], o, &g, &g1, &g2);
        if (g != f[i] || (o == 7 && (g1 != f1[i] || g2 != f2[i]))) {
          std::fprintf(stderr, "batch differs from point values at degree %ld, point %d\n", d, i);
          return false;
        }
      }
    }
  }
  return true;
}

bool CheckGridValues() {
  for (long d : {3L, 5L, 10L, 20L}) {
    const std::vector<double> c = Coefficients(d);
    const XelMathPolynomX p(d, c.data(), 0.1);
    const XelMathInterval I(-1.0, 1.0);
    std::vector<double> grid(kPoints);
    p.Eval(I, kPoints, 1, grid.data(), nullptr, nullptr);
    const double step = (I.high - I.low) / (kPoints - 1);
    for (int i = 0; i < kPoints; ++i) {
      const double xi = i == kPoints - 1 ? I.high : I.low + i * step;
      if (std::fabs(grid[i] - p.Eval(xi)) > 1e-12) {
        std::fprintf(stderr, "grid value differs at degree %ld, point %d\n", d, i);
        return false;
      }
    }
  }
  return true;
}

bool CheckIntervalImages() {
  std::printf("interval image widths (ours: interval Horner kernel / Chebyshev basis; Boost: "
              "interval Horner) and true range\n");
  for (long d : {3L, 5L, 10L, 20L}) {
    const std::vector<double> c = Coefficients(d);
    const XelMathPolynomX p(d, c.data(), 0.0);
    for (const XelMathInterval& I :
         {XelMathInterval(0.2, 0.6), XelMathInterval(-0.9, -0.3), XelMathInterval(-0.5, 0.7)}) {
      const XelMathInterval H = p.Eval(I), C = p.ComputeImageByChebychev(I);
      const BoostInterval B = BoostHorner(c.data(), d, BoostInterval(I.low, I.high));
      double lo = HUGE_VAL, hi = -HUGE_VAL;
      for (int i = 0; i <= 2000; ++i) {
        const double v = p.Eval(I.low + (I.high - I.low) * i / 2000.0);
        lo = std::fmin(lo, v);
        hi = std::fmax(hi, v);
      }
      const double slack = 1e-12;
      if (H.low > lo + slack || H.high < hi - slack || C.low > lo + slack || C.high < hi - slack ||
          B.lower() > lo + slack || B.upper() < hi - slack) {
        std::fprintf(stderr, "an interval image misses a sample at degree %ld\n", d);
        return false;
      }
      std::printf("  degree %2ld on [%5.2f, %5.2f]: horner %.4g  chebyshev %.4g  boost %.4g  "
                  "range %.4g\n",
                  d, I.low, I.high, H.high - H.low, C.high - C.low, B.upper() - B.lower(), hi - lo);
    }
  }
  return true;
}

// ---- point evaluation -----------------------------------------------------------------------
void BM_PointXel(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  const XelMathPolynomX p(d, c.data(), 0.0);
  const XelMathFunctionX& f = AsFunction(p);
  for (auto _ : state) {
    double s = 0.0;
    for (double xi : x)
      s += f.Eval(xi);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_PointBoost(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  for (auto _ : state) {
    double s = 0.0;
    for (double xi : x)
      s += boost::math::tools::evaluate_polynomial(c.data(), xi, c.size());
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_PointPlainHorner(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  for (auto _ : state) {
    double s = 0.0;
    for (double xi : x)
      s += PlainHorner(c.data(), d, xi);
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// ---- batches of points: the same abscissas into the same output array -----------------------
void BM_BatchXel(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  const XelMathPolynomX p(d, c.data(), 0.0);
  const XelMathFunctionX& f = AsFunction(p);
  std::vector<double> out(kPoints);
  for (auto _ : state) {
    f.EvalPoints(kPoints, x.data(), 1, out.data(), nullptr, nullptr);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_BatchBoost(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  std::vector<double> out(kPoints);
  for (auto _ : state) {
    for (int i = 0; i < kPoints; ++i)
      out[i] = boost::math::tools::evaluate_polynomial(c.data(), x[i], c.size());
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_BatchPlainHorner(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  std::vector<double> out(kPoints);
  for (auto _ : state) {
    for (int i = 0; i < kPoints; ++i)
      out[i] = PlainHorner(c.data(), d, x[i]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

/// Value and two derivatives of a batch: the library against a loop of its point operation.
void BM_BatchXel012(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  const XelMathPolynomX p(d, c.data(), 0.0);
  const XelMathFunctionX& f = AsFunction(p);
  std::vector<double> o0(kPoints), o1(kPoints), o2(kPoints);
  for (auto _ : state) {
    f.EvalPoints(kPoints, x.data(), 7, o0.data(), o1.data(), o2.data());
    benchmark::DoNotOptimize(o0.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_LoopOfPoints012(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), x = Abscissas();
  const XelMathPolynomX p(d, c.data(), 0.0);
  const XelMathFunctionX& f = AsFunction(p);
  std::vector<double> o0(kPoints), o1(kPoints), o2(kPoints);
  for (auto _ : state) {
    for (int i = 0; i < kPoints; ++i)
      f.Eval(x[i], 7, &o0[i], &o1[i], &o2[i]);
    benchmark::DoNotOptimize(o0.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// ---- grid evaluation -------------------------------------------------------------------------
void BM_GridXel(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomX p(d, c.data(), 0.1);
  const XelMathFunctionX& f = AsFunction(p);
  std::vector<double> out(kPoints);
  const XelMathInterval I(-1.0, 1.0);
  for (auto _ : state) {
    f.Eval(I, kPoints, 1, out.data(), nullptr, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_GridLoopOfPoints(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomX p(d, c.data(), 0.1);
  const XelMathFunctionX& f = AsFunction(p);
  std::vector<double> out(kPoints);
  const double low = -1.0, high = 1.0, step = (high - low) / (kPoints - 1);
  for (auto _ : state) {
    for (int i = 0; i < kPoints; ++i)
      out[i] = f.Eval(i == kPoints - 1 ? high : low + i * step);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// ---- interval images -------------------------------------------------------------------------
std::vector<XelMathInterval> Boxes() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<XelMathInterval> boxes(256);
  for (XelMathInterval& b : boxes) {
    const double m = u(rng), r = 0.01 + 0.3 * std::fabs(u(rng));
    b = XelMathInterval(m - r, m + r);
  }
  return boxes;
}

void BM_IntervalXelHorner(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomX p(d, c.data(), 0.0);
  const XelMathFunctionX& f = AsFunction(p);
  const std::vector<XelMathInterval> boxes = Boxes();
  for (auto _ : state) {
    double s = 0.0;
    for (const XelMathInterval& b : boxes) {
      const XelMathInterval J = f.Eval(b);
      s += J.high - J.low;
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * boxes.size());
}

void BM_IntervalXelChebyshev(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomX p(d, c.data(), 0.0);
  const std::vector<XelMathInterval> boxes = Boxes();
  for (auto _ : state) {
    double s = 0.0;
    for (const XelMathInterval& b : boxes) {
      const XelMathInterval J = p.ComputeImageByChebychev(b);
      s += J.high - J.low;
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * boxes.size());
}

void BM_IntervalBoostHorner(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const std::vector<XelMathInterval> boxes = Boxes();
  for (auto _ : state) {
    double s = 0.0;
    for (const XelMathInterval& b : boxes) {
      const BoostInterval J = BoostHorner(c.data(), d, BoostInterval(b.low, b.high));
      s += J.upper() - J.lower();
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * boxes.size());
}

void PrintMeanWidths() {
  const std::vector<XelMathInterval> boxes = Boxes();
  std::printf("mean interval image widths over %zu boxes (horner / chebyshev / boost)\n",
              boxes.size());
  for (long d : {3L, 5L, 10L, 20L}) {
    const std::vector<double> c = Coefficients(d);
    const XelMathPolynomX p(d, c.data(), 0.0);
    double wh = 0, wc = 0, wb = 0;
    for (const XelMathInterval& b : boxes) {
      const XelMathInterval H = p.Eval(b), C = p.ComputeImageByChebychev(b);
      const BoostInterval B = BoostHorner(c.data(), d, BoostInterval(b.low, b.high));
      wh += H.high - H.low;
      wc += C.high - C.low;
      wb += B.upper() - B.lower();
    }
    std::printf("  degree %2ld: %.4g / %.4g / %.4g\n", d, wh / boxes.size(), wc / boxes.size(),
                wb / boxes.size());
  }
}

} // namespace

BENCHMARK(BM_PointXel)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_PointBoost)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_PointPlainHorner)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_BatchXel)->DenseRange(3, 20);
BENCHMARK(BM_BatchBoost)->DenseRange(3, 20);
BENCHMARK(BM_BatchPlainHorner)->DenseRange(3, 20);
BENCHMARK(BM_BatchXel012)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_LoopOfPoints012)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_GridXel)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_GridLoopOfPoints)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_IntervalXelHorner)->Arg(3)->Arg(5)->Arg(10)->Arg(20);
BENCHMARK(BM_IntervalXelChebyshev)->Arg(3)->Arg(5)->Arg(10)->Arg(15);
BENCHMARK(BM_IntervalBoostHorner)->Arg(3)->Arg(5)->Arg(10)->Arg(20);

/// Keeps the time of each run (the median when repetitions are aggregated) for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& iRuns) override {
    for (const Run& run : iRuns) {
      std::string name = run.benchmark_name();
      const std::string median = "_median";
      if (run.run_type == Run::RT_Aggregate) {
        if (name.size() <= median.size() ||
            name.compare(name.size() - median.size(), median.size(), median) != 0)
          continue;
        name.resize(name.size() - median.size());
      }
      times[name] = run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(iRuns);
  }
  std::map<std::string, double> times;
};

void PrintBatchRatios(std::map<std::string, double>& t) {
  bool header = false;
  for (long d = 3; d <= 20; ++d) {
    const std::string n = "/" + std::to_string(d);
    if (!t.count("BM_BatchXel" + n) || !t.count("BM_BatchBoost" + n) ||
        !t.count("BM_BatchPlainHorner" + n))
      continue;
    if (!header)
      std::printf("batch of %d values: library time / peer time\n", kPoints);
    header = true;
    std::printf("  degree %2ld: / boost evaluate_polynomial %.2f   / inlined Horner %.2f\n", d,
                t["BM_BatchXel" + n] / t["BM_BatchBoost" + n],
                t["BM_BatchXel" + n] / t["BM_BatchPlainHorner" + n]);
  }
  for (long d : {3L, 5L, 10L, 20L}) {
    const std::string n = "/" + std::to_string(d);
    if (t.count("BM_BatchXel012" + n) && t.count("BM_LoopOfPoints012" + n))
      std::printf("  degree %2ld, value and two derivatives: batch / loop of points %.2f\n", d,
                  t["BM_BatchXel012" + n] / t["BM_LoopOfPoints012" + n]);
  }
}

int main(int argc, char** argv) {
  if (!CheckPointValues() || !CheckBatchValues() || !CheckGridValues() || !CheckIntervalImages())
    return EXIT_FAILURE;
  PrintMeanWidths();
  XelBenchInitialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return EXIT_FAILURE;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  PrintBatchRatios(reporter.times);
  benchmark::Shutdown();
  return EXIT_SUCCESS;
}

#else
int main() {
  std::printf("polynomial_bench: Boost not found, nothing to compare\n");
  return 0;
}
#endif
