// Differential evolution side by side with a plain implementation and a local peer, on the
// published test functions (sphere, Rosenbrock, Rastrigin, Griewank, Ackley; minimum 0) in
// 2, 5 and 10 dimensions, from 10 seeds each:
//  - XelMathGAOptimizer with its processes 7 (x(r1) + F (x(r2) - x(r3)), binomial crossing)
//    and 6 (best + F (x(r2) - x(r3)), binomial crossing);
//  - DE/rand/1/bin and DE/best/1/bin written here as first published: a random index always
//    takes the trial value, the best is the best of the generation's start, components that
//    leave the box go halfway back to the violated bound from the target's value;
//  - GSL's Nelder-Mead simplex (nmsimplex2) from random starts, restarted from a new random
//    point whenever the simplex has collapsed, until the budget is spent.
// The differential evolutions share the population size, F and CR. A run succeeds when an
// evaluated point has a fitness not above kTarget within kBudget evaluations; the table gives
// the success rate and the median evaluations of the successful runs (counted up to the
// first such point). A few runs are then timed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#ifdef XEL_BENCH_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multimin.h>
#include <gsl/gsl_vector.h>
#endif

#include "XelMathGAOptimizer.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kTarget = 1e-6;
const long kBudget = 200000;
const long kSeeds = 10;
const double kF = 0.5, kCR = 0.9;

double Sphere(long n, const double* x) {
  double s = 0;
  for (long j = 0; j < n; ++j)
    s += x[j] * x[j];
  return s;
}
double Rosenbrock(long n, const double* x) {
  double s = 0;
  for (long j = 0; j + 1 < n; ++j)
    s += 100 * (x[j + 1] - x[j] * x[j]) * (x[j + 1] - x[j] * x[j]) + (1 - x[j]) * (1 - x[j]);
  return s;
}
double Rastrigin(long n, const double* x) {
  double s = 10.0 * n;
  for (long j = 0; j < n; ++j)
    s += x[j] * x[j] - 10 * std::cos(2 * kPi * x[j]);
  return s;
}
double Griewank(long n, const double* x) {
  double s = 0, p = 1;
  for (long j = 0; j < n; ++j) {
    s += x[j] * x[j] / 4000;
    p *= std::cos(x[j] / std::sqrt(j + 1.0));
  }
  return s - p + 1;
}
double Ackley(long n, const double* x) {
  double c = 0;
  for (long j = 0; j < n; ++j)
    c += std::cos(2 * kPi * x[j]);
  return -20 * std::exp(-0.2 * std::sqrt(Sphere(n, x) / n)) - std::exp(c / n) + 20 + std::exp(1.0);
}

struct Problem {
  const char* name;
  double (*f)(long, const double*);
  double lo, hi;
};
const Problem kProblems[] = {{"sphere", Sphere, -5.12, 5.12},
                             {"rosenbrock", Rosenbrock, -2.048, 2.048},
                             {"rastrigin", Rastrigin, -5.12, 5.12},
                             {"griewank", Griewank, -600.0, 600.0},
                             {"ackley", Ackley, -32.768, 32.768}};
const long kDims[] = {2, 5, 10};

long PopulationSize(long n) {
  return std::max(20L, 10 * n);
}

// Counts evaluations and remembers the count at the first one that reaches the target.
struct Counter {
  const Problem* p;
  long n;
  long evaluations = 0, reached = -1;
  double operator()(const double* x) {
    const double f = p->f(n, x);
    ++evaluations;
    if (reached < 0 && f <= kTarget)
      reached = evaluations;
    return f;
  }
  bool Done() const { return reached >= 0 || evaluations >= kBudget; }
};

// The library's optimizer.
class LibraryDE : public XelMathGAOptimizer {
public:
  explicit LibraryDE(Counter& c) : _c(c) {}
  double Fitness(long, double* x) override { return _c(x); }

private:
  Counter& _c;
};

long RunLibrary(Counter& c, long process, long seed) {
  std::vector<double> lo(10, c.p->lo), hi(10, c.p->hi);
  LibraryDE ga(c);
  const long pop = PopulationSize(c.n);
  ga.SetNumParams(c.n);
  ga.SetParamValLimits(lo.data(), hi.data());
  ga.SetPopulationSize(pop);
  ga.SetProcess(process);
  ga.SetCrossValue(kF);
  ga.SetMutatValue(kCR);
  ga.SetSeed(seed);
  ga.SetFitnessReference(kTarget);
  ga.SetMaxNumber(kBudget / pop - 1);
  ga.SetIdemFitnessCount(kBudget); // only the target or the budget stop the search
  ga.Minimize();
  return c.reached;
}

// DE/rand/1/bin (iBest false) or DE/best/1/bin, generational.
long RunPlain(Counter& c, bool iBest, long seed) {
  std::mt19937_64 rng(static_cast<unsigned long>(seed));
  std::uniform_real_distribution<double> u01(0.0, 1.0);
  const long n = c.n, np = PopulationSize(n);
  auto pick = [&](long k) { return static_cast<long>(rng() % static_cast<unsigned long>(k)); };
  std::vector<double> x(np * n), next(np * n), f(np), nextF(np), t(n);
  for (long i = 0; i < np; ++i) {
    for (long j = 0; j < n; ++j)
      x[i * n + j] = c.p->lo + u01(rng) * (c.p->hi - c.p->lo);
    f[i] = c(&x[i * n]);
  }
  while (!c.Done()) {
    const long best = std::min_element(f.begin(), f.end()) - f.begin();
    for (long i = 0; i < np && !c.Done(); ++i) {
      long r1, r2, r3;
      do
        r1 = pick(np);
      while (r1 == i);
      do
        r2 = pick(np);
      while (r2 == i || r2 == r1);
      do
        r3 = pick(np);
      while (r3 == i || r3 == r1 || r3 == r2);
      const long base = iBest ? best : r1, jrand = pick(n);
      for (long j = 0; j < n; ++j) {
        const double target = x[i * n + j];
        double v = target;
        if (u01(rng) < kCR || j == jrand)
          v = x[base * n + j] + kF * (x[r2 * n + j] - x[r3 * n + j]);
        if (v < c.p->lo)
          v = 0.5 * (target + c.p->lo);
        else if (v > c.p->hi)
          v = 0.5 * (target + c.p->hi);
        t[j] = v;
      }
      const double ft = c(t.data());
      const bool keep = ft <= f[i];
      std::copy(keep ? t.begin() : x.begin() + i * n, keep ? t.end() : x.begin() + (i + 1) * n,
                next.begin() + i * n);
      nextF[i] = keep ? ft : f[i];
    }
    x.swap(next);
    f.swap(nextF);
  }
  return c.reached;
}

#ifdef XEL_BENCH_HAVE_GSL
double GslF(const gsl_vector* v, void* params) {
  return (*static_cast<Counter*>(params))(v->data);
}
long RunNelderMead(Counter& c, long seed) {
  std::mt19937_64 rng(static_cast<unsigned long>(seed));
  std::uniform_real_distribution<double> u01(0.0, 1.0);
  const long n = c.n;
  gsl_multimin_function fn;
  fn.n = static_cast<size_t>(n);
  fn.f = &GslF;
  fn.params = &c;
  gsl_multimin_fminimizer* s =
      gsl_multimin_fminimizer_alloc(gsl_multimin_fminimizer_nmsimplex2, fn.n);
  gsl_vector* x0 = gsl_vector_alloc(fn.n);
  gsl_vector* step = gsl_vector_alloc(fn.n);
  gsl_vector_set_all(step, 0.1 * (c.p->hi - c.p->lo));
  while (!c.Done()) {
    for (long j = 0; j < n; ++j)
      gsl_vector_set(x0, static_cast<size_t>(j), c.p->lo + u01(rng) * (c.p->hi - c.p->lo));
    gsl_multimin_fminimizer_set(s, &fn, x0, step);
    while (!c.Done()) {
      if (gsl_multimin_fminimizer_iterate(s) != GSL_SUCCESS)
        break;
      if (gsl_multimin_fminimizer_size(s) < 1e-12)
        break; // collapsed: restart
    }
  }
  gsl_vector_free(step);
  gsl_vector_free(x0);
  gsl_multimin_fminimizer_free(s);
  return c.reached;
}
#endif

enum Method { kLibRand, kLibBest, kPlainRand, kPlainBest, kNelderMead, kMethods };
const char* const kMethodNames[kMethods] = {"lib DE p7", "lib DE p6", "DE/rand/1/bin",
                                            "DE/best/1/bin", "GSL nmsimplex2"};

long RunOnce(Method m, const Problem& p, long n, long seed) {
  Counter c{&p, n};
  switch (m) {
  case kLibRand:
    return RunLibrary(c, 7, seed);
  case kLibBest:
    return RunLibrary(c, 6, seed);
  case kPlainRand:
    return RunPlain(c, false, seed);
  case kPlainBest:
    return RunPlain(c, true, seed);
  case kNelderMead:
#ifdef XEL_BENCH_HAVE_GSL
    return RunNelderMead(c, seed);
#else
    return -2;
#endif
  default:
    return -2;
  }
}

void Table() {
  std::printf("Evaluations to reach %g (budget %ld; population max(20, 10 n), F %g, CR %g):\n"
              "success/%ld and median evaluations of the successful runs\n",
              kTarget, kBudget, kF, kCR, kSeeds);
  std::printf("%-14s %3s", "function", "n");
  for (const char* name : kMethodNames)
    std::printf(" | %-16s", name);
  std::printf("\n");
  for (const Problem& p : kProblems)
    for (long n : kDims) {
      std::printf("%-14s %3ld", p.name, n);
      for (int m = 0; m < kMethods; ++m) {
        std::vector<long> ok;
        bool absent = false;
        for (long seed = 1; seed <= kSeeds; ++seed) {
          const long r = RunOnce(static_cast<Method>(m), p, n, seed);
          absent = absent || r == -2;
          if (r > 0)
            ok.push_back(r);
        }
        std::sort(ok.begin(), ok.end());
        if (absent)
          std::printf(" | %-16s", "-");
        else if (ok.empty())
          std::printf(" | %2zu/%-2ld %9s", ok.size(), kSeeds, "-");
        else
          std::printf(" | %2zu/%-2ld %9ld", ok.size(), kSeeds, ok[(ok.size() - 1) / 2]);
      }
      std::printf("\n");
    }
}

// One run on 5-dimensional Rastrigin, timed.
void BM_Rastrigin5(benchmark::State& state) {
  const Method m = static_cast<Method>(state.range(0));
  state.SetLabel(kMethodNames[m]);
  for (auto _ : state)
    benchmark::DoNotOptimize(RunOnce(m, kProblems[2], 5, 1));
}
BENCHMARK(BM_Rastrigin5)->DenseRange(0, kMethods - 1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
#ifdef XEL_BENCH_HAVE_GSL
  gsl_set_error_handler_off();
#endif
  Table();
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
