// Interpolation of curves side by side with peers, at the same maximal deviation:
//  - the library's chain of quintic Hermite arcs (XelMathExplicitInterpol on a vector function,
//    nodes placed where the deviation asks for them);
//  - GSL's cubic splines per component on uniform parameters (natural, and periodic for the
//    closed circle);
//  - Boost.Math's quintic_hermite per component on uniform parameters with the exact values,
//    first and second derivatives.
// For each curve and target deviation the peers get the fewest uniform nodes that meet the
// target (found by doubling then bisection on the measured deviation); a table of nodes and
// measured deviations is printed, then the time to build each interpolant is measured, alone
// (its nodes given) and with the search of its node count (the peer's whole job).
// Deviations are measured independently: dense samples of the interpolant, distance to the
// exact curve (closed form for the circle, Newton on the parameter for the helix).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#ifdef XEL_BENCH_HAVE_GSL
#include <gsl/gsl_spline.h>
#endif
#ifdef XEL_BENCH_HAVE_BOOST
#include <boost/math/interpolators/quintic_hermite.hpp>
#endif

#include "XelMathExplicitInterpol.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathVectorialFunctionX.h"
#include "XelTolerance.h"

namespace {

const double kPi = 3.14159265358979323846;

struct Curve {
  const char* name;
  double t0, t1;
  bool closed;
  void (*eval)(double t, int order, double* o); // order 0, 1, 2: value and derivatives
  double (*distance)(const double* p);
};

void Circle(double t, int order, double* o) {
  const double c = 2 * std::cos(t), s = 2 * std::sin(t);
  const double v[3][3] = {{c, s, 0}, {-s, c, 0}, {-c, -s, 0}};
  std::copy(v[order], v[order] + 3, o);
}
double CircleDistance(const double* p) {
  return std::hypot(std::hypot(p[0], p[1]) - 2.0, p[2]);
}
void Helix(double t, int order, double* o) {
  const double c = std::cos(t), s = std::sin(t);
  const double v[3][3] = {{c, s, 0.3 * t}, {-s, c, 0.3}, {-c, -s, 0}};
  std::copy(v[order], v[order] + 3, o);
}
double HelixDistance(const double* p) {
  double tb = std::atan2(p[1], p[0]);
  // The turn of the helix nearest in height.
  while (0.3 * tb < p[2] - 0.3 * kPi)
    tb += 2 * kPi;
  while (0.3 * tb > p[2] + 0.3 * kPi)
    tb -= 2 * kPi;
  for (int it = 0; it < 30; ++it) {
    const double g = p[0] * std::sin(tb) - p[1] * std::cos(tb) + 0.3 * (0.3 * tb - p[2]);
    const double gp = p[0] * std::cos(tb) + p[1] * std::sin(tb) + 0.09;
    tb -= g / gp;
  }
  return std::sqrt(std::pow(std::cos(tb) - p[0], 2) + std::pow(std::sin(tb) - p[1], 2) +
                   std::pow(0.3 * tb - p[2], 2));
}

const Curve kCurves[] = {{"circle", 0.0, 2 * kPi, true, Circle, CircleDistance},
                         {"helix", 0.0, 6.0, false, Helix, HelixDistance}};
const double kTargets[] = {1e-4, 1e-6};

class Function : public XelMathVectorialFunctionX {
public:
  explicit Function(const Curve& c) : XelMathVectorialFunctionX(3), _c(c) {}
  using XelMathVectorialFunctionX::Eval;
  void Eval(const double x, double* o) const override { _c.eval(x, 0, o); }
  void EvalFirstDeriv(const double x, double* o) const override { _c.eval(x, 1, o); }
  void EvalSecondDeriv(const double x, double* o) const override { _c.eval(x, 2, o); }

private:
  const Curve& _c;
};

// ---- the library ----

struct LibraryResult {
  long arcs;
  double deviation;
};

LibraryResult RunLibrary(const Curve& c, double target, bool removal) {
  Function f(c);
  XelMathExplicitInterpol interp(nullptr, 3, &f, target, XelGetDefaultTolerance());
  interp.SetPointsRemoval(removal);
  XelMathSetOfPointsND init(1), params(1), pts(3), tans(3), secs(3);
  for (int k = 0; k <= 256; ++k) {
    const double t = c.t0 + (c.t1 - c.t0) * k / 256;
    init.AddPoint(&t);
  }
  interp.Run(init, params, pts, tans, secs);
  // Dense samples of each arc, rebuilt from the nodes.
  double worst = 0.0;
  const long n = pts.GetNumberOfPoints();
  for (long i = 0; i + 1 < n; ++i) {
    const double L = params.GetPoints()[i + 1] - params.GetPoints()[i];
    double coef[3][6];
    for (int k = 0; k < 3; ++k)
      XelMathHermiteQuintic(pts.GetPoints()[3 * i + k], tans.GetPoints()[3 * i + k],
                            secs.GetPoints()[3 * i + k], pts.GetPoints()[3 * i + 3 + k],
                            tans.GetPoints()[3 * i + 3 + k], secs.GetPoints()[3 * i + 3 + k], L,
                            coef[k]);
    for (int j = 0; j <= 100; ++j) {
      const double s = L * j / 100;
      double p[3];
      for (int k = 0; k < 3; ++k) {
        const double* q = coef[k];
        p[k] = q[0] + s * (q[1] + s * (q[2] + s * (q[3] + s * (q[4] + s * q[5]))));
      }
      worst = std::max(worst, c.distance(p));
    }
  }
  return {n - 1, worst};
}

// ---- peers: per-component interpolants on n + 1 uniform parameters ----

using Interpolant = std::function<void(double t, double* p)>;
using Builder = std::function<Interpolant(const Curve&, long n)>;

double PeerDeviation(const Curve& c, const Interpolant& f, long n) {
  double worst = 0.0;
  const long samples = 100 * n;
  for (long j = 0; j <= samples; ++j) {
    double p[3];
    f(c.t0 + (c.t1 - c.t0) * j / samples, p);
    worst = std::max(worst, c.distance(p));
  }
  return worst;
}

// The fewest intervals that meet the target (doubling, then bisection).
long FewestNodes(const Curve& c, const Builder& build, double target, double& oDeviation) {
  long hi = 4;
  while (hi < (1L << 16) && PeerDeviation(c, build(c, hi), hi) > target)
    hi *= 2;
  long lo = hi / 2;
  while (hi - lo > 1) {
    const long mid = (lo + hi) / 2;
    (PeerDeviation(c, build(c, mid), mid) > target ? lo : hi) = mid;
  }
  oDeviation = PeerDeviation(c, build(c, hi), hi);
  return hi;
}

#ifdef XEL_BENCH_HAVE_GSL
Interpolant BuildGsl(const Curve& c, long n) {
  struct Splines {
    std::vector<double> t, y[3];
    gsl_spline* s[3] = {nullptr, nullptr, nullptr};
    gsl_interp_accel* acc = gsl_interp_accel_alloc();
    ~Splines() {
      for (gsl_spline* x : s)
        gsl_spline_free(x);
      gsl_interp_accel_free(acc);
    }
  };
  auto sp = std::make_shared<Splines>();
  for (long k = 0; k <= n; ++k) {
    const double t = c.t0 + (c.t1 - c.t0) * k / n;
    double p[3];
    c.eval(t, 0, p);
    sp->t.push_back(t);
    for (int i = 0; i < 3; ++i)
      sp->y[i].push_back(p[i]);
  }
  for (int i = 0; i < 3; ++i) {
    if (c.closed)
      sp->y[i].back() = sp->y[i].front();
    sp->s[i] = gsl_spline_alloc(c.closed ? gsl_interp_cspline_periodic : gsl_interp_cspline, n + 1);
    gsl_spline_init(sp->s[i], sp->t.data(), sp->y[i].data(), n + 1);
  }
  return [sp](double t, double* p) {
    for (int i = 0; i < 3; ++i)
      p[i] = gsl_spline_eval(sp->s[i], std::min(std::max(t, sp->t.front()), sp->t.back()), sp->acc);
  };
}
#endif

#ifdef XEL_BENCH_HAVE_BOOST
Interpolant BuildBoost(const Curve& c, long n) {
  using Q = boost::math::interpolators::quintic_hermite<std::vector<double>>;
  std::vector<std::shared_ptr<Q>> q;
  double lo = c.t0, hi = c.t1;
  for (int i = 0; i < 3; ++i) {
    std::vector<double> t, y, d1, d2;
    for (long k = 0; k <= n; ++k) {
      const double x = c.t0 + (c.t1 - c.t0) * k / n;
      double v[3][3];
      for (int o = 0; o < 3; ++o)
        c.eval(x, o, v[o]);
      t.push_back(x);
      y.push_back(v[0][i]);
      d1.push_back(v[1][i]);
      d2.push_back(v[2][i]);
    }
    lo = t.front();
    hi = t.back();
    q.push_back(std::make_shared<Q>(std::move(t), std::move(y), std::move(d1), std::move(d2)));
  }
  return [q, lo, hi](double t, double* p) {
    for (int i = 0; i < 3; ++i)
      p[i] = (*q[i])(std::min(std::max(t, lo), hi));
  };
}
#endif

struct Peer {
  const char* name;
  Builder build;
};

std::vector<Peer> Peers() {
  std::vector<Peer> peers;
#ifdef XEL_BENCH_HAVE_GSL
  peers.push_back({"GSL cubic spline", BuildGsl});
#endif
#ifdef XEL_BENCH_HAVE_BOOST
  peers.push_back({"Boost quintic_hermite", BuildBoost});
#endif
  return peers;
}

void PrintTable() {
  std::printf("%-8s %-9s %-24s %8s %12s\n", "curve", "target", "side", "arcs", "deviation");
  for (const Curve& c : kCurves)
    for (double target : kTargets) {
      for (int removal = 0; removal < 2; ++removal) {
        const LibraryResult lib = RunLibrary(c, target, removal);
        std::printf("%-8s %-9.0e %-24s %8ld %12.3e\n", c.name, target,
                    removal ? "library, nodes removed" : "library quintic chain", lib.arcs,
                    lib.deviation);
      }
      for (const Peer& p : Peers()) {
        double dev = 0.0;
        const long n = FewestNodes(c, p.build, target, dev);
        std::printf("%-8s %-9.0e %-24s %8ld %12.3e\n", c.name, target, p.name, n, dev);
      }
    }
}

void BM_Library(benchmark::State& state) {
  const Curve& c = kCurves[state.range(0)];
  const double target = kTargets[state.range(1)];
  long arcs = 0;
  for (auto _ : state)
    arcs = RunLibrary(c, target, state.range(2) != 0).arcs;
  state.counters["arcs"] = static_cast<double>(arcs);
}
BENCHMARK(BM_Library)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

void BM_Peer(benchmark::State& state) {
  const std::vector<Peer> peers = Peers();
  if (state.range(2) >= static_cast<long>(peers.size())) {
    state.SkipWithError("peer not built");
    return;
  }
  const Curve& c = kCurves[state.range(0)];
  const Peer& p = peers[state.range(2)];
  double dev = 0.0;
  const long n = FewestNodes(c, p.build, kTargets[state.range(1)], dev);
  for (auto _ : state) {
    Interpolant f = p.build(c, n);
    benchmark::DoNotOptimize(f);
  }
  state.SetLabel(p.name);
  state.counters["arcs"] = static_cast<double>(n);
}
BENCHMARK(BM_Peer)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

// The peer's whole job at a target deviation: the search of its node count, measured on the
// exact curve as the library measures its own arcs (a fixed set of nodes that meets a
// deviation is not known beforehand).
void BM_PeerSearch(benchmark::State& state) {
  const std::vector<Peer> peers = Peers();
  if (state.range(2) >= static_cast<long>(peers.size())) {
    state.SkipWithError("peer not built");
    return;
  }
  const Curve& c = kCurves[state.range(0)];
  const Peer& p = peers[state.range(2)];
  double dev = 0.0;
  long n = 0;
  for (auto _ : state)
    n = FewestNodes(c, p.build, kTargets[state.range(1)], dev);
  state.SetLabel(p.name);
  state.counters["arcs"] = static_cast<double>(n);
}
BENCHMARK(BM_PeerSearch)->ArgsProduct({{0, 1}, {0, 1}, {0, 1}})->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
  PrintTable();
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
