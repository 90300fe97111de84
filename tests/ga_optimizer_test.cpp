// Differential evolution: every strategy on published test functions and against its rules
// written again, reproducibility from the seed, limits, stopping rules, Maximize against
// Minimize of the opposite, NaN and misuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "XelMathGAOptimizer.h"
#include "test_helpers.h"

namespace {

using namespace xeltest;
using Fn = std::function<double(long, const double*)>;

// Runs Fitness through iF, counting the calls and those outside the limits.
class Probe : public XelMathGAOptimizer {
public:
  Probe(Fn iF, long iN, double iLo, double iHi) : f(std::move(iF)), lo(10, iLo), hi(10, iHi) {
    SetNumParams(iN);
    SetParamValLimits(lo.data(), hi.data());
  }
  // Runs up to iGens generations, stopping at iReference or after iIdem unchanged ones.
  int Run(bool iMax, long iGens, double iReference, long iIdem) {
    SetMaxNumber(iGens);
    SetFitnessReference(iReference);
    SetIdemFitnessCount(iIdem);
    return iMax ? Maximize() : Minimize();
  }
  double Fitness(long n, double* x) override {
    ++calls;
    for (long j = 0; j < n; ++j)
      outside += !(x[j] >= lo[j] && x[j] <= hi[j]);
    return f(n, x);
  }
  Fn f;
  std::vector<double> lo, hi;
  long calls = 0, outside = 0;
};

// Published test functions: n-dimensional sums, minimum 0.
double Sum(long n, const double* x, double (*term)(const double*, long)) {
  double s = 0;
  for (long j = 0; j < n; ++j)
    s += term(x, j);
  return s;
}
double Sphere(long n, const double* x) {
  return Sum(n, x, [](const double* y, long j) { return y[j] * y[j]; });
}
double Rosenbrock(long n, const double* x) {
  return Sum(n - 1, x, [](const double* y, long j) {
    return 100 * std::pow(y[j + 1] - y[j] * y[j], 2) + std::pow(1 - y[j], 2);
  });
}
double Rastrigin(long n, const double* x) {
  return 10.0 * n + Sum(n, x, [](const double* y, long j) {
           return y[j] * y[j] - 10 * std::cos(2 * kPi * y[j]);
         });
}
double Ackley(long n, const double* x) {
  const double c = Sum(n, x, [](const double* y, long j) { return std::cos(2 * kPi * y[j]); });
  return -20 * std::exp(-0.2 * std::sqrt(Sphere(n, x) / n)) - std::exp(c / n) + 20 + std::exp(1.0);
}
double Griewank(long n, const double* x) {
  double p = 1;
  for (long j = 0; j < n; ++j)
    p *= std::cos(x[j] / std::sqrt(j + 1.0));
  return Sphere(n, x) / 4000 - p + 1;
}

struct Published {
  const char* name;
  Fn f;
  long n;
  double lo, hi, argmin, fitTol, argTol;
  long pop, budget; // members; evaluations allowed, the initial population included
  double F, CR;
  std::vector<long> seeds;
};

// The optimum of a run (parameters then fitness) as raw bytes.
std::vector<double> Optimum(const XelMathGAOptimizer& ga) {
  XelMathGAIndividual o;
  ga.GetOptimum(o);
  std::vector<double> v(o.parameters, o.parameters + XelMathGAMaxParams);
  v.push_back(o.fitness);
  return v;
}

TEST(GAOptimizer, EveryStrategyReachesThePublishedMinima) {
  const Published table[] = {
      {"sphere", Sphere, 5, -5.12, 5.12, 0.0, 1e-8, 1e-4, 40, 60000, 0.6, 0.9, {17}},
      {"sphere10", Sphere, 10, -5.12, 5.12, 0.0, 1e-8, 1e-4, 50, 100000, 0.6, 0.9, {1, 2, 3}},
      {"rosenbrock2", Rosenbrock, 2, -2.048, 2.048, 1.0, 1e-8, 1e-3, 30, 45000, 0.6, 0.9, {17}},
      {"rosenbrock5", Rosenbrock, 5, -2.048, 2.048, 1.0, 1e-6, 1e-2, 60, 240000, 0.8, 0.9, {17}},
      {"rastrigin", Rastrigin, 2, -5.12, 5.12, 0.0, 1e-8, 1e-4, 40, 60000, 0.5, 0.3, {17, 4, 9}},
      {"ackley", Ackley, 2, -32.768, 32.768, 0.0, 1e-6, 1e-6, 40, 60000, 0.5, 0.5, {17, 4, 9}},
      {"griewank", Griewank, 2, -6e2, 6e2, 0.0, 1e-6, 3e-3, 50, 60000, 0.5, 0.5, {1, 2, 3, 4, 5}},
  };
  for (const Published& p : table)
    for (long process = 1; process <= 10; ++process)
      for (long seed : p.seeds) {
        SCOPED_TRACE(std::string(p.name) + " process " + std::to_string(process) + " seed " +
                     std::to_string(seed));
        Probe ga(p.f, p.n, p.lo, p.hi);
        ga.SetProcess(process);
        ga.SetPopulationSize(p.pop);
        ga.SetCrossValue(p.F);
        ga.SetMutatValue(p.CR);
        ga.SetSeed(seed);
        const long before = nbeval, gens = p.budget / p.pop - 1;
        EXPECT_EQ(ga.Run(false, gens, p.fitTol / 10, gens), 0);
        EXPECT_LE(ga.GetOptimumFitness(), p.fitTol);
        double x[XelMathGAMaxParams];
        ga.GetOptimumParams(x);
        for (long j = 0; j < p.n; ++j)
          EXPECT_NEAR(x[j], p.argmin, p.argTol);
        EXPECT_EQ(ga.outside, 0);
        EXPECT_EQ(nbeval - before, ga.calls);
        EXPECT_LE(ga.calls, p.budget);
      }
}

TEST(GAOptimizer, OneGenerationFollowsTheWrittenRulesOfEachProcess) {
  const long size = 8, np = 3;
  const double F = 0.7, CR = 0.6;
  for (long process = 1; process <= 10; ++process) {
    SCOPED_TRACE(process);
    Probe ga(Rastrigin, np, -5.0, 5.0);
    ga.SetPopulationSize(size);
    ga.SetProcess(process);
    ga.SetCrossValue(F);
    ga.SetMutatValue(CR);
    CaptureTrace trace;
    ga.Initialize();
    const XelMathGAIndividual* x = ga.GetCurrentPopulation()->GetMembers();
    std::vector<XelMathGAIndividual> expected(x, x + size);
    XelMathGAIndividual best;
    ga.GetOptimum(best);
    // The rules written again on the same sequence: the seed, the initial draw, then for each
    // target the random members, the start parameter and the crossover draws.
    srand48(-3);
    for (long k = 0; k < size * np; ++k)
      drand48();
    const long s = (process - 1) % 5, drawn = s == 2 ? 2 : s < 2 ? 3 : s + 1;
    for (long i = 0; i < size; ++i) {
      long r[6] = {0, 0, 0, 0, 0, 0};
      for (long m = 1; m <= drawn; ++m)
        do
          r[m] = static_cast<long>(drand48() * size);
        while (r[m] == i || std::find(r + 1, r + m, r[m]) != r + m);
      XelMathGAIndividual t = x[i];
      auto X = [&](long m, long n) { return x[r[m]].parameters[n]; };
      auto value = [&](long n) {
        const double b = best.parameters[n], c = t.parameters[n];
        const double d4 = X(1, n) + X(2, n) - X(3, n) - X(4, n);
        const double v[5] = {b + F * (X(2, n) - X(3, n)), X(1, n) + F * (X(2, n) - X(3, n)),
                             c + F * (b - c) + F * (X(1, n) - X(2, n)), b + F * d4,
                             X(5, n) + F * d4};
        return v[s];
      };
      long n = static_cast<long>(drand48() * np), written = 0;
      if (process <= 5)
        do
          t.parameters[n] = value(n), n = (n + 1) % np, ++written;
        while (drand48() < CR && written < np);
      else
        for (long k = 0; k < np; ++k, n = (n + 1) % np)
          if (drand48() < CR || k == np - 1)
            t.parameters[n] = value(n);
      bool inside = true;
      for (long j = 0; j < np; ++j)
        inside = inside && std::fabs(t.parameters[j]) <= 5.0;
      t.fitness = inside ? Rastrigin(np, t.parameters) : kInf;
      if (t.fitness <= x[i].fitness)
        expected[i] = t;
    }
    ga.Initialize(); // the same population, the sequence back at the first generation
    EXPECT_EQ(ga.GenerateMin(), 0);
    ga.ShiftPopulation();
    for (long i = 0; i < size; ++i)
      EXPECT_EQ(0, std::memcmp(&expected[i], &ga.GetCurrentPopulation()->GetMember(i),
                               sizeof(XelMathGAIndividual)))
          << "member " << i;
  }
}

TEST(GAOptimizer, SameSeedRepeatsTheRunAndMaximizeMirrorsMinimize) {
  for (long process = 1; process <= 10; ++process) {
    SCOPED_TRACE(process);
    // Optimum, generations and evaluations of a run on Rosenbrock (3 parameters), or of
    // Maximize on its opposite with the fitness turned back.
    auto run = [&](bool maximize, long seed) {
      const Fn f = [maximize](long n, const double* x) {
        return maximize ? -Rosenbrock(n, x) : Rosenbrock(n, x);
      };
      Probe ga(f, 3, -2.048, 2.048);
      ga.SetProcess(process);
      ga.SetSeed(seed);
      ga.Run(maximize, 100, maximize ? 1.0 : -1.0, 10);
      std::vector<double> v = Optimum(ga);
      v.back() = maximize ? -v.back() : v.back();
      v.push_back(static_cast<double>(ga.GetNumberOfGenerations()));
      v.push_back(static_cast<double>(ga.calls));
      return v;
    };
    const std::vector<double> first = run(false, 5);
    EXPECT_EQ(run(false, 5), first);
    EXPECT_EQ(run(true, 5), first);
    EXPECT_NE(run(false, 6), first);
  }
}

TEST(GAOptimizer, TrialsOutsideTheLimitsAreNeverEvaluated) {
  // The unconstrained minimum (3, 3) lies outside [0, 1]^2: the optimum is the corner (1, 1).
  Probe ga([](long, const double* x) { return std::pow(x[0] - 3, 2) + std::pow(x[1] - 3, 2); }, 2,
           0.0, 1.0);
  ga.SetPopulationSize(20);
  ga.Run(false, 1, -1.0, 10);
  EXPECT_LT(ga.calls, 2 * 20); // the initial population, then fewer trials than members
  ga.Run(false, 500, -1.0, 500);
  EXPECT_EQ(ga.outside, 0);
  EXPECT_NEAR(ga.GetOptimumFitness(), 8.0, 1e-6);
}

TEST(GAOptimizer, StoppingRules) {
  struct Case {
    Fn f;
    double reference;
    long maxNumber, idem, generations, status;
  };
  const Fn never = [](long, const double*) { return kNaN; }; // never settles, never reached
  const Case cases[] = {
      // The reference is above the initial optimum: only the initial population.
      {Sphere, 10.0, 100, 10, 0, 0},
      // A constant fitness stays the same: stops after the same-fitness count.
      {[](long, const double*) { return 1.0; }, 0.0, 100, 7, 7, 0},
      // An unreachable reference: the maximum number of generations.
      {Sphere, -1.0, 5, 100, 5, 0},
      // Counts near LONG_MAX: the search stops at 10 million evaluations (30 members).
      {never, -1.0, LONG_MAX, LONG_MAX, 333332, 7},
  };
  for (const Case& c : cases) {
    Probe ga(c.f, 2, -1.0, 1.0);
    EXPECT_EQ(ga.Run(false, c.maxNumber, c.reference, c.idem), c.status);
    EXPECT_EQ(ga.GetNumberOfGenerations(), c.generations);
    EXPECT_LE(ga.calls, 10000000);
  }
  // A population that its two generations could not hold in 200 MB is refused first.
  const long live = LiveBlocks();
  Probe big(Sphere, 2, -1.0, 1.0);
  big.SetPopulationSize(1000001);
  ExpectInputError([&] { big.Minimize(); }, 0x20004, {"the population size"});
  EXPECT_EQ(big.calls, 0);
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(GAOptimizer, OutOfRangeSettingsGiveTheRunOfTheirDefault) {
  const std::function<void(XelMathGAOptimizer&, bool)> settings[] = {
      [](XelMathGAOptimizer& g, bool odd) { g.SetCrossValue(odd ? 1.5 : 0.8); },
      [](XelMathGAOptimizer& g, bool odd) { g.SetMutatValue(odd ? -0.1 : 1.0); },
      [](XelMathGAOptimizer& g, bool odd) { g.SetProcess(odd ? 11 : 2); },
      [](XelMathGAOptimizer& g, bool odd) { g.SetPopulationSize(odd ? -4 : 30); },
      [](XelMathGAOptimizer& g, bool odd) { g.SetNumParams(odd ? 25 : 10); },
      [](XelMathGAOptimizer& g, bool odd) { g.SetNumParams(odd ? 0 : 10); },
  };
  for (const auto& set : settings) {
    Probe a(Rastrigin, 3, -5.0, 5.0), b(Rastrigin, 3, -5.0, 5.0);
    set(a, true);
    set(b, false);
    a.Minimize();
    b.Minimize();
    EXPECT_EQ(Optimum(a), Optimum(b));
  }
}

TEST(GAOptimizer, NaNFitnessIsNeverTheOptimum) {
  Probe ga([](long, const double* x) { return x[0] < 0.5 ? kNaN : Sphere(1, x + 1) + x[0] - 0.5; },
           2, -2.0, 2.0);
  ga.Run(false, 500, 1e-9, 100);
  EXPECT_LE(ga.GetOptimumFitness(), 1e-6);
  // Every fitness NaN: no optimum, status 7.
  Probe none([](long, const double*) { return kNaN; }, 2, -1.0, 1.0);
  EXPECT_EQ(none.Minimize(), 7);
  EXPECT_EQ(none.GetOptimumFitness(), kInf);
  EXPECT_EQ(none.GetNumberOfGenerations(), 10);
  EXPECT_EQ(none.Run(true, 100, 1.0, 10), 7);
  EXPECT_EQ(none.GetOptimumFitness(), -kInf);
  // An infinite fitness the function returns is a value: the optimum, status 0.
  Probe well([](long, const double* x) { return x[0] < -0.5 ? -kInf : Sphere(2, x); }, 2, -1.0,
             1.0);
  EXPECT_EQ(well.Run(false, 20, -1.0, 5), 0);
  EXPECT_EQ(well.GetOptimumFitness(), -kInf);
}

TEST(GAOptimizer, MisuseRaisesBeforeAnyAllocation) {
  const long live = LiveBlocks();
  {
    Probe ga(Sphere, 2, -1.0, 1.0);
    ga.SetParamValLimits(nullptr, nullptr);
    const std::vector<std::string> domain = {"the parameter limits", "Invalid Domain",
                                             "XelMathGAOptimizer::Minimize"};
    ExpectInputError([&] { ga.Minimize(); }, 0x2000b, domain);
    ga.SetParamValLimits(ga.lo.data(), ga.hi.data());
    ga.lo[1] = 2.0; // reversed
    ExpectInputError([&] { ga.Minimize(); }, 0x2000b, domain);
    ga.lo[1] = -kInf;
    ExpectInputError([&] { ga.Minimize(); }, 0x2000b, domain);
    ga.lo[1] = -1.0;
    ga.SetPopulationSize(LONG_MAX);
    ExpectInputError([&] { ga.Maximize(); }, 0x20004, {"the population size"});
    ga.SetPopulationSize(5);
    ga.SetProcess(10); // needs five members besides the target
    ExpectInputError([&] { ga.Minimize(); }, 0x20004, {"", "", "XelMathGAOptimizer::Minimize"});
    ga.SetProcess(4);
    EXPECT_EQ(ga.Minimize(), 0);
    ExpectInputError([] { XelMathGAPopulation p(3, 11, nullptr, nullptr); }, 0x20006);
    ExpectInputError([&] { ga.GetCurrentPopulation()->GetMember(5); }, 0x20007);
    Probe fresh(Sphere, 2, -1.0, 1.0);
    CaptureTrace trace(XelQuorOutput::GetErr());
    EXPECT_EQ(fresh.GenerateMin(), 4);
    EXPECT_NE(trace.Text().find("invalid object"), std::string::npos);
  }
  EXPECT_EQ(LiveBlocks(), live);
}

TEST(GAOptimizer, InitialReportAndDeepCopiesOfPopulations) {
  const long live = LiveBlocks();
  {
    Probe ga(Sphere, 2, -1.0, 1.0);
    CaptureTrace trace;
    ga.Initialize();
    for (const char* text : {"__________Simple GA parameters", " Chromosome length        = 2",
                             " Initial XelMathGAPopulation minimum fitness = "})
      EXPECT_NE(trace.Text().find(text), std::string::npos) << text;
    const XelMathGAPopulation& pop = *ga.GetCurrentPopulation();
    XelMathGAPopulation copy(&pop), assigned(4, 1, nullptr, nullptr);
    assigned = pop;
    copy.GetMembers()[0].fitness = -1.0;
    EXPECT_EQ(assigned.GetMember(0).fitness, pop.GetMember(0).fitness);
    EXPECT_NE(pop.GetMember(0).fitness, -1.0);
  }
  EXPECT_EQ(LiveBlocks(), live);
}

} // namespace
