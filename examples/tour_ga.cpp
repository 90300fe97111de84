// Tour section: the global minimum of Rosenbrock's valley by differential evolution.
#include <cmath>
#include <cstdio>

#include "XelMathGAOptimizer.h"
#include "tour_sections.h"

namespace {

// f(x, y) = 100 (y - x^2)^2 + (1 - x)^2: a curved, flat-bottomed valley, minimum 0 at (1, 1).
class RosenbrockValley : public XelMathGAOptimizer {
public:
  double Fitness(long, double* x) override {
    return 100.0 * std::pow(x[1] - x[0] * x[0], 2) + std::pow(1.0 - x[0], 2);
  }
};

} // namespace

void TourGeneticOptimizer() {
  std::printf("\n== Genetic optimizer ==\n");
  const double lower[2] = {-2.048, -2.048};
  const double upper[2] = {2.048, 2.048};
  RosenbrockValley search;
  search.SetNumParams(2);
  search.SetParamValLimits(lower, upper);
  search.SetPopulationSize(30);
  search.SetMaxNumber(1000);
  search.SetCrossValue(0.6); // factor of the differences
  search.SetMutatValue(0.9); // probability of taking a trial value
  search.SetProcess(7);      // random member plus one difference, binomial crossover
  search.SetFitnessReference(1e-12);
  search.SetIdemFitnessCount(200);
  search.SetSeed(2026);
  const long before = nbeval;
  search.Minimize();
  double best[2];
  search.GetOptimumParams(best);
  std::printf("Rosenbrock on [-2.048, 2.048]^2: best (%.8f, %.8f), fitness %.3g\n", best[0],
              best[1], search.GetOptimumFitness());
  std::printf("%ld generations, %ld fitness evaluations (known minimum 0 at (1, 1))\n",
              search.GetNumberOfGenerations(), nbeval - before);
}
