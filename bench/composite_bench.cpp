// Cost of composite evaluation against the cost of its components: the value and two
// derivatives of a combination of three polynomials, and of a composition f(g(x)), each
// compared with the sum of the component evaluations it needs, point by point and by batches
// of points (EvalPoints). The ratios printed at the end are composite time / sum of component
// times (aim: at most 1.2).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "XelMathCombinationX.h"
#include "XelMathCompositionXByX.h"
#include "XelMathPolynomX.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"

namespace {
const int NbPoints = 1024;

struct Fixture {
  XelMathPolynomX p1, p2, p3;
  const XelMathFunctionX* parts[3];
  double weights[3] = {1.5, -0.25, 2.0};
  XelMathCombinationX* combination = nullptr;
  XelMathTrigonometricX wave;
  XelMathCompositionXByX* composition = nullptr;
  // A combination whose components are not plain polynomials (each reached by a call).
  XelMathTrigonometricX wave1, wave2, wave3;
  const XelMathFunctionX* waves[3];
  XelMathCombinationX* waveCombination = nullptr;
  double x[NbPoints];

  static XelMathPolynomX Make(int iSeed) {
    double c[6];
    for (int k = 0; k < 6; k++) c[k] = std::sin(1.7 * (k + 1) * (iSeed + 1));
    return XelMathPolynomX(5, c, 0.1 * iSeed);
  }
  Fixture()
      : p1(Make(1)), p2(Make(2)), p3(Make(3)),
        wave(1.0, 0.5, 0.2, 3.0, XelGetDefaultTolerance()),
        wave1(1.0, 0.5, 0.2, 3.0, XelGetDefaultTolerance()),
        wave2(-0.5, 2.0, 1.0, 1.5, XelGetDefaultTolerance()),
        wave3(0.25, 0.0, -1.0, 7.0, XelGetDefaultTolerance()) {
    waves[0] = &wave1;
    waves[1] = &wave2;
    waves[2] = &wave3;
    waveCombination = new XelMathCombinationX(3, waves, weights, 0.5);
    parts[0] = &p1;
    parts[1] = &p2;
    parts[2] = &p3;
    combination = new XelMathCombinationX(3, parts, weights, 0.5);
    composition = new XelMathCompositionXByX(&wave, &p1);
    for (int i = 0; i < NbPoints; i++) x[i] = -1.0 + 2.0 * i / (NbPoints - 1);
    // Check the composites against their components before timing.
    for (int i = 0; i < NbPoints; i += 97) {
      double f, f1, f2, g, g1, g2;
      combination->Eval(x[i], 7, &f, &f1, &f2);
      double ref = 0.5, ref1 = 0.0, ref2 = 0.0;
      for (int k = 0; k < 3; k++) {
        parts[k]->Eval(x[i], 7, &g, &g1, &g2);
        ref += weights[k] * g;
        ref1 += weights[k] * g1;
        ref2 += weights[k] * g2;
      }
      double u, u1, u2, w, w1, w2, h, h1, h2;
      p1.Eval(x[i], 7, &u, &u1, &u2);
      wave.Eval(u, 7, &w, &w1, &w2);
      composition->Eval(x[i], 7, &h, &h1, &h2);
      const double bound = 1e-12 * (1.0 + std::fabs(ref) + std::fabs(ref1) + std::fabs(ref2));
      if (std::fabs(f - ref) > bound || std::fabs(f1 - ref1) > bound ||
          std::fabs(f2 - ref2) > bound || std::fabs(h - w) > 1e-12 ||
          std::fabs(h1 - w1 * u1) > 1e-11 || std::fabs(h2 - (w2 * u1 * u1 + w1 * u2)) > 1e-10) {
        std::fprintf(stderr, "composite values differ from their components at x = %g\n", x[i]);
        std::exit(1);
      }
    }
  }
  ~Fixture() {
    delete combination;
    delete composition;
    delete waveCombination;
  }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

void RunEval(benchmark::State& ioState, const XelMathFunctionX* const* iFunctions, int iCount) {
  Fixture& d = Data();
  for (auto _ : ioState) {
    double sum = 0.0;
    for (int i = 0; i < NbPoints; i++)
      for (int k = 0; k < iCount; k++) {
        double f, f1, f2;
        iFunctions[k]->Eval(d.x[i], 7, &f, &f1, &f2);
        sum += f + f1 + f2;
      }
    benchmark::DoNotOptimize(sum);
  }
  ioState.SetItemsProcessed(ioState.iterations() * NbPoints);
}

void CombinationOfThree(benchmark::State& s) {
  const XelMathFunctionX* f[1] = {Data().combination};
  RunEval(s, f, 1);
}
void ThreeComponents(benchmark::State& s) { RunEval(s, Data().parts, 3); }

void Composition(benchmark::State& s) {
  const XelMathFunctionX* f[1] = {Data().composition};
  RunEval(s, f, 1);
}
void CombinationOfThreeWaves(benchmark::State& s) {
  const XelMathFunctionX* f[1] = {Data().waveCombination};
  RunEval(s, f, 1);
}
void ThreeWaves(benchmark::State& s) { RunEval(s, Data().waves, 3); }
void CompositionComponents(benchmark::State& s) {
  // f(g(x)) needs g at x and f at g(x): time both evaluations in sequence.
  Fixture& d = Data();
  for (auto _ : s) {
    double sum = 0.0;
    for (int i = 0; i < NbPoints; i++) {
      double u, u1, u2, w, w1, w2;
      d.p1.Eval(d.x[i], 7, &u, &u1, &u2);
      d.wave.Eval(u, 7, &w, &w1, &w2);
      sum += w + w1 + w2 + u1 + u2;
    }
    benchmark::DoNotOptimize(sum);
  }
  s.SetItemsProcessed(s.iterations() * NbPoints);
}

// ---- batches: the composite's EvalPoints against its components' EvalPoints ---------------
void RunBatch(benchmark::State& ioState, const XelMathFunctionX* const* iFunctions, int iCount) {
  Fixture& d = Data();
  static double f[NbPoints], f1[NbPoints], f2[NbPoints];
  for (auto _ : ioState) {
    for (int k = 0; k < iCount; k++)
      iFunctions[k]->EvalPoints(NbPoints, d.x, 7, f, f1, f2);
    benchmark::DoNotOptimize(f);
    benchmark::ClobberMemory();
  }
  ioState.SetItemsProcessed(ioState.iterations() * NbPoints);
}

void CombinationOfThreeBatch(benchmark::State& s) {
  const XelMathFunctionX* f[1] = {Data().combination};
  RunBatch(s, f, 1);
}
void ThreeComponentsBatch(benchmark::State& s) { RunBatch(s, Data().parts, 3); }

void CombinationOfThreeWavesBatch(benchmark::State& s) {
  const XelMathFunctionX* f[1] = {Data().waveCombination};
  RunBatch(s, f, 1);
}
void ThreeWavesBatch(benchmark::State& s) { RunBatch(s, Data().waves, 3); }

void CompositionBatch(benchmark::State& s) {
  const XelMathFunctionX* f[1] = {Data().composition};
  RunBatch(s, f, 1);
}
void CompositionComponentsBatch(benchmark::State& s) {
  Fixture& d = Data();
  static double u[NbPoints], u1[NbPoints], u2[NbPoints], w[NbPoints], w1[NbPoints],
      w2[NbPoints];
  for (auto _ : s) {
    d.p1.EvalPoints(NbPoints, d.x, 7, u, u1, u2);
    d.wave.EvalPoints(NbPoints, u, 7, w, w1, w2);
    benchmark::DoNotOptimize(w);
    benchmark::ClobberMemory();
  }
  s.SetItemsProcessed(s.iterations() * NbPoints);
}

BENCHMARK(CombinationOfThree);
BENCHMARK(ThreeComponents);
BENCHMARK(Composition);
BENCHMARK(CompositionComponents);
BENCHMARK(CombinationOfThreeWaves);
BENCHMARK(ThreeWaves);
BENCHMARK(CombinationOfThreeBatch);
BENCHMARK(ThreeComponentsBatch);
BENCHMARK(CompositionBatch);
BENCHMARK(CompositionComponentsBatch);
BENCHMARK(CombinationOfThreeWavesBatch);
BENCHMARK(ThreeWavesBatch);

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& iRuns) override {
    // Keep single runs, or the median when repetitions are aggregated.
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
} // namespace

int main(int argc, char** argv) {
  XelBenchInitialize(&argc, argv);
  Data();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& t = reporter.times;
  if (t.count("CombinationOfThree") && t.count("ThreeComponents"))
    std::printf("combination of three polynomials / sum of components: %.2f\n",
                t["CombinationOfThree"] / t["ThreeComponents"]);
  if (t.count("Composition") && t.count("CompositionComponents"))
    std::printf("composition / its two component evaluations: %.2f\n",
                t["Composition"] / t["CompositionComponents"]);
  if (t.count("CombinationOfThreeBatch") && t.count("ThreeComponentsBatch"))
    std::printf("batch: combination of three polynomials / sum of components: %.2f\n",
                t["CombinationOfThreeBatch"] / t["ThreeComponentsBatch"]);
  if (t.count("CompositionBatch") && t.count("CompositionComponentsBatch"))
    std::printf("batch: composition / its two component evaluations: %.2f\n",
                t["CompositionBatch"] / t["CompositionComponentsBatch"]);
  if (t.count("CombinationOfThreeWaves") && t.count("ThreeWaves"))
    std::printf("combination of three waves / sum of components: %.2f\n",
                t["CombinationOfThreeWaves"] / t["ThreeWaves"]);
  if (t.count("CombinationOfThreeWavesBatch") && t.count("ThreeWavesBatch"))
    std::printf("batch: combination of three waves / sum of components: %.2f\n",
                t["CombinationOfThreeWavesBatch"] / t["ThreeWavesBatch"]);
  if (t.count("CombinationOfThreeBatch") && t.count("CombinationOfThree"))
    std::printf("combination: batch / loop of point evaluations: %.2f\n",
                t["CombinationOfThreeBatch"] / t["CombinationOfThree"]);
  benchmark::Shutdown();
  return 0;
}
