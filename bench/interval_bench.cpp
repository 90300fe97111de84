// Interval sine, cosine and two-argument arc tangent side by side with Boost.Interval, on the
// same random intervals of several widths. Before any timing, every side must enclose dense
// point samples of every input (the program stops with a message otherwise); the mean image
// widths are printed, and after the timings a table of time ratios (ours / Boost).
//
// Two Boost.Interval configurations are measured: the rigorous one (rounding mode switched
// for each operation, platform functions called in the directed modes), and one without mode
// switches (round-to-nearest, platform functions taken as exact), which is the arithmetic model
// of our intervals, but which does not enclose every sample (its misses are counted and
// printed, not fatal). Boost.Interval has no atan2: its side is the usual construction from its
// interval atan and division (atan(Y/X) right of the Y axis, +/-pi/2 - atan(X/Y) above and
// below it, the whole range across the cut along the negative X axis).
#include <benchmark/benchmark.h>

#include <boost/numeric/interval.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "XelMathInterval.h"

namespace {

namespace bi = boost::numeric::interval_lib;

typedef boost::numeric::interval<
    double, bi::policies<bi::save_state<bi::rounded_transc_std<double>>, bi::checking_base<double>>>
    BoostInterval;
typedef boost::numeric::interval<
    double, bi::policies<bi::save_state_nothing<
                             bi::rounded_transc_exact<double, bi::rounded_arith_exact<double>>>,
                         bi::checking_base<double>>>
    BoostNearestInterval;

const int kCount = 4096;      // intervals per timed batch
const int kSamples = 64;      // point samples per interval in the enclosure checks
const int kAtan2Samples = 16; // per direction of a box
const int kClasses = 5;       // input classes, see ClassName

const char* ClassName(int c) {
  static const char* names[kClasses] = {"width 1e-6", "width 1e-2", "width 0.5", "width 3",
                                        "width 0.1 at |x| <= 1e6"};
  return names[c];
}

/// kCount intervals of input class c: centres uniform in [-100, 100] (up to 1e6 for the last
/// class), widths around the class's nominal width.
std::vector<XelMathInterval> Inputs(int c, unsigned seed) {
  static const double widths[kClasses] = {1e-6, 1e-2, 0.5, 3.0, 0.1};
  std::mt19937_64 rng(seed + 97 * c);
  std::uniform_real_distribution<double> unit(-1.0, 1.0), spread(0.5, 1.5);
  const double reach = c == kClasses - 1 ? 1e6 : 100.0;
  std::vector<XelMathInterval> out(kCount);
  for (XelMathInterval& I : out) {
    const double m = reach * unit(rng), w = widths[c] * spread(rng);
    I = XelMathInterval(m - 0.5 * w, m + 0.5 * w);
  }
  return out;
}

/// Boxes for atan2: the inputs scaled down so that many straddle an axis or the cut.
void Atan2Inputs(int c, std::vector<XelMathInterval>& oY, std::vector<XelMathInterval>& oX) {
  oY = Inputs(c, 2);
  oX = Inputs(c, 3);
  const double scale = c == kClasses - 1 ? 1e-4 : 0.05;
  for (int i = 0; i < kCount; ++i) {
    oY[i] = XelMathInterval(oY[i].low * scale, oY[i].high * scale);
    oX[i] = XelMathInterval(oX[i].low * scale, oX[i].high * scale);
  }
}

double Sample(const XelMathInterval& I, int k, int n) {
  if (k == n)
    return I.high;
  const double x = I.low + (I.high - I.low) * (double(k) / n);
  return x > I.high ? I.high : x;
}

// ---- the three sides -------------------------------------------------------------------------

struct Ours {
  typedef XelMathInterval Interval;
  static const char* Name() { return "ours"; }
  static Interval Make(const XelMathInterval& I) { return I; }
  static double Low(const Interval& I) { return I.low; }
  static double High(const Interval& I) { return I.high; }
  static Interval Sin(const Interval& I) { return sin(I); }
  static Interval Cos(const Interval& I) { return cos(I); }
  static Interval Atan2(const Interval& y, const Interval& x) { return atan2(y, x); }
};

template <class B> struct BoostSide {
  typedef B Interval;
  static Interval Make(const XelMathInterval& I) { return Interval(I.low, I.high); }
  static double Low(const Interval& I) { return I.lower(); }
  static double High(const Interval& I) { return I.upper(); }
  static Interval Sin(const Interval& I) { return boost::numeric::sin(I); }
  static Interval Cos(const Interval& I) { return boost::numeric::cos(I); }
  static Interval Atan2(const Interval& y, const Interval& x) {
    const Interval halfPi = bi::pi_half<Interval>();
    const Interval pi = bi::pi<Interval>();
    if (x.lower() > 0.0)
      return boost::numeric::atan(y / x);
    if (y.lower() > 0.0)
      return halfPi - boost::numeric::atan(x / y);
    if (y.upper() < 0.0)
      return -halfPi - boost::numeric::atan(x / y);
    if (x.lower() < 0.0) // across the cut, or around the origin
      return Interval(-pi.upper(), pi.upper());
    // x.lower() == 0 with y across 0: from the lower to the upper half-plane.
    return Interval(-halfPi.upper(), halfPi.upper());
  }
};

struct Boost : BoostSide<BoostInterval> {
  static const char* Name() { return "Boost"; }
};
struct BoostNearest : BoostSide<BoostNearestInterval> {
  static const char* Name() { return "Boost (nearest)"; }
};

// ---- enclosure checks -------------------------------------------------------------------------

template <class S> double Width(const typename S::Interval& J) {
  return S::High(J) - S::Low(J);
}

template <class S> bool Encloses(const typename S::Interval& J, double v) {
  return S::Low(J) <= v && v <= S::High(J);
}

/// Misses of point samples by an image: how many, and by how much at most.
struct Misses {
  long count = 0, samples = 0;
  double worst = 0.0;
  void Add(double iLow, double iHigh, double v) {
    ++samples;
    if (iLow <= v && v <= iHigh)
      return;
    ++count;
    const double by = v < iLow ? iLow - v : v - iHigh;
    worst = by > worst ? by : worst;
  }
};

/// Images by S of sin and cos over every input of class c and of atan2 over the boxes of
/// class c, checked against dense point samples; adds the mean image widths to oWidths (sin,
/// cos, atan2). A strict side stops at its first miss with a message and returns false.
template <class S> bool Check(int c, bool iStrict, double oWidths[3], Misses& oMisses) {
  const std::vector<XelMathInterval> inputs = Inputs(c, 1);
  for (const XelMathInterval& I : inputs) {
    const typename S::Interval s = S::Sin(S::Make(I)), co = S::Cos(S::Make(I));
    oWidths[0] += Width<S>(s) / kCount;
    oWidths[1] += Width<S>(co) / kCount;
    for (int k = 0; k <= kSamples; ++k) {
      const double x = Sample(I, k, kSamples);
      oMisses.Add(S::Low(s), S::High(s), std::sin(x));
      oMisses.Add(S::Low(co), S::High(co), std::cos(x));
      if (iStrict && oMisses.count > 0) {
        std::fprintf(stderr,
                     "%s (%s): sin or cos image of [%.17g, %.17g] misses the value at %.17g: "
                     "sin [%.17g, %.17g] %.17g, cos [%.17g, %.17g] %.17g\n",
                     S::Name(), ClassName(c), I.low, I.high, x, S::Low(s), S::High(s), std::sin(x),
                     S::Low(co), S::High(co), std::cos(x));
        return false;
      }
    }
  }
  std::vector<XelMathInterval> ys, xs;
  Atan2Inputs(c, ys, xs);
  for (int i = 0; i < kCount; ++i) {
    const typename S::Interval J = S::Atan2(S::Make(ys[i]), S::Make(xs[i]));
    oWidths[2] += Width<S>(J) / kCount;
    for (int a = 0; a <= kAtan2Samples; ++a)
      for (int b = 0; b <= kAtan2Samples; ++b) {
        const double y = Sample(ys[i], a, kAtan2Samples), x = Sample(xs[i], b, kAtan2Samples);
        oMisses.Add(S::Low(J), S::High(J), std::atan2(y, x));
        if (iStrict && oMisses.count > 0) {
          std::fprintf(stderr,
                       "%s (%s): atan2 image of [%.17g, %.17g] x [%.17g, %.17g] misses "
                       "atan2(%.17g, %.17g) = %.17g\n",
                       S::Name(), ClassName(c), ys[i].low, ys[i].high, xs[i].low, xs[i].high, y, x,
                       std::atan2(y, x));
          return false;
        }
      }
  }
  return true;
}

/// Ours and rigorous Boost must enclose every sample; Boost without mode switches is only
/// reported (it does miss samples by an ulp or so).
bool CheckAll() {
  std::printf("mean image widths (ours / Boost / Boost nearest), %d intervals per class\n", kCount);
  Misses strict, nearest;
  for (int c = 0; c < kClasses; ++c) {
    double w[3][3] = {};
    if (!Check<Ours>(c, true, w[0], strict) || !Check<Boost>(c, true, w[1], strict))
      return false;
    Check<BoostNearest>(c, false, w[2], nearest);
    static const char* names[3] = {"sin", "cos", "atan2"};
    for (int f = 0; f < 3; ++f)
      std::printf("  %-24s %-6s %.9g / %.9g / %.9g\n", ClassName(c), names[f], w[0][f], w[1][f],
                  w[2][f]);
  }
  std::printf("ours and Boost enclose all %ld point samples; Boost nearest misses %ld of them, by "
              "up to %.3g\n\n",
              strict.samples / 2, nearest.count, nearest.worst);
  return true;
}

// ---- timings ------------------------------------------------------------------------------------

template <class S> void BM_Sin(benchmark::State& state) {
  std::vector<typename S::Interval> inputs;
  for (const XelMathInterval& I : Inputs(int(state.range(0)), 1))
    inputs.push_back(S::Make(I));
  for (auto _ : state) {
    double w = 0.0;
    for (const typename S::Interval& I : inputs)
      w += Width<S>(S::Sin(I));
    benchmark::DoNotOptimize(w);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  state.SetLabel(ClassName(int(state.range(0))));
}

template <class S> void BM_Cos(benchmark::State& state) {
  std::vector<typename S::Interval> inputs;
  for (const XelMathInterval& I : Inputs(int(state.range(0)), 1))
    inputs.push_back(S::Make(I));
  for (auto _ : state) {
    double w = 0.0;
    for (const typename S::Interval& I : inputs)
      w += Width<S>(S::Cos(I));
    benchmark::DoNotOptimize(w);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  state.SetLabel(ClassName(int(state.range(0))));
}

template <class S> void BM_Atan2(benchmark::State& state) {
  std::vector<XelMathInterval> ys, xs;
  Atan2Inputs(int(state.range(0)), ys, xs);
  std::vector<typename S::Interval> y, x;
  for (int i = 0; i < kCount; ++i) {
    y.push_back(S::Make(ys[i]));
    x.push_back(S::Make(xs[i]));
  }
  for (auto _ : state) {
    double w = 0.0;
    for (int i = 0; i < kCount; ++i)
      w += Width<S>(S::Atan2(y[i], x[i]));
    benchmark::DoNotOptimize(w);
  }
  state.SetItemsProcessed(state.iterations() * kCount);
  state.SetLabel(ClassName(int(state.range(0))));
}

/// Console output plus a final table of the CPU time of each "_Xel" run divided by that of
/// its "_Boost" and "_BoostNearest" twins (CPU time: the machine may be shared; run with
/// --benchmark_repetitions=N to compare medians).
class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& iRuns) override {
    // With repetitions the median is kept (aggregates come after the repetitions).
    for (const Run& r : iRuns)
      if ((r.run_type == Run::RT_Iteration && r.iterations > 0) ||
          (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median"))
        _times[r.run_name.str()] = r.GetAdjustedCPUTime();
    ConsoleReporter::ReportRuns(iRuns);
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\ntime ratios, ours / Boost.Interval (below 1: ours is faster)\n");
    std::printf("  %-6s %-26s %10s %18s\n", "", "input", "/ Boost", "/ Boost nearest");
    for (const auto& entry : _times) {
      const std::string& name = entry.first;
      const std::string::size_type at = name.find("_Xel/");
      if (at == std::string::npos)
        continue;
      const std::string arg = name.substr(at + 5);
      const double boost = Twin(name, at, "_Boost/"), nearest = Twin(name, at, "_BoostNearest/");
      std::printf("  %-6s %-26s %10.3f %18.3f\n", name.substr(3, at - 3).c_str(),
                  ClassName(std::atoi(arg.c_str())), entry.second / boost, entry.second / nearest);
    }
  }

private:
  double Twin(std::string iName, std::string::size_type iAt, const char* iSuffix) const {
    iName.replace(iAt, 5, iSuffix);
    const auto found = _times.find(iName);
    return found == _times.end() ? NAN : found->second;
  }
  std::map<std::string, double> _times;
};

} // namespace

BENCHMARK_TEMPLATE(BM_Sin, Ours)->Name("BM_sin_Xel")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Sin, Boost)->Name("BM_sin_Boost")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Sin, BoostNearest)->Name("BM_sin_BoostNearest")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Cos, Ours)->Name("BM_cos_Xel")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Cos, Boost)->Name("BM_cos_Boost")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Cos, BoostNearest)->Name("BM_cos_BoostNearest")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Atan2, Ours)->Name("BM_atan2_Xel")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Atan2, Boost)->Name("BM_atan2_Boost")->DenseRange(0, kClasses - 1);
BENCHMARK_TEMPLATE(BM_Atan2, BoostNearest)
    ->Name("BM_atan2_BoostNearest")
    ->DenseRange(0, kClasses - 1);

int main(int argc, char** argv) {
  if (!CheckAll()) {
    std::fprintf(stderr, "interval images do not enclose the point values: no timing\n");
    return EXIT_FAILURE;
  }
  XelBenchInitialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return EXIT_FAILURE;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return EXIT_SUCCESS;
}
