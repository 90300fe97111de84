#pragma once
// Derivative-free global optimizer of a fitness function of up to 10 real parameters inside a
// box of parameter limits, by differential evolution.
//
// A caller derives from XelMathGAOptimizer, implements Fitness, sets the search (limits,
// number of parameters, population size, strategy, ...) and calls Minimize or Maximize; the
// best vector found and its fitness are then read back with GetOptimum.
//
// Each generation builds, for every member of the population (the target), a trial vector
// from the differences of randomly chosen members, crosses it with the target and keeps the
// better of the two. With F the cross value, best the optimum so far and x(r) member r, the
// value written at a parameter n is, by process (strategy):
//   1, 6   best(n) + F (x(r2)(n) - x(r3)(n))
//   2, 7   x(r1)(n) + F (x(r2)(n) - x(r3)(n))
//   3, 8   t(n) + F (best(n) - t(n)) + F (x(r1)(n) - x(r2)(n))   (t: the trial so far)
//   4, 9   best(n) + F (x(r1)(n) + x(r2)(n) - x(r3)(n) - x(r4)(n))
//   5, 10  x(r5)(n) + F (x(r1)(n) + x(r2)(n) - x(r3)(n) - x(r4)(n))
// Processes 1 to 5 cross exponentially (a run of consecutive parameters from a random start,
// continued while drand48 is below the mutation value), 6 to 10 binomially (each parameter
// taken when drand48 is below the mutation value, the last one visited always). The random
// members differ from the target and from each other: a process needs a population of at
// least 3 (process 3, 8), 4 (1, 2, 6, 7), 5 (4, 9) or 6 (5, 10) members.
//
// A trial with a parameter outside its limits (or NaN) is never evaluated: the target is
// kept. Every evaluated vector therefore lies inside the limits.
//
// Random numbers come from the process-wide drand48 sequence, seeded with srand48(seed) at
// each Minimize, Maximize or Initialize: the same seed and settings give the same result, bit
// for bit. A fitness that returns NaN counts as the worst value of the search (+inf when
// minimizing, -inf when maximizing), so it is never kept against a number nor reported as
// the optimum unless no vector had a number.
//
// Failures: limits that are not set, not finite or reversed raise XelMathInputError 0x2000b
// ("Invalid Domain"); a population smaller than the process needs, or larger than the memory
// services can hold, raises 0x20004 ("Invalid Number Of Points") before anything is
// allocated. Setters never fail: out-of-range values fall back to the defaults.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathGAIndividual.h"
#include "XelMathGAPopulation.h"
#include "XelQuorVirtual.h"

/// Fitness evaluations made by every XelMathGAOptimizer since load (never reset).
XELADVANCEDMATHEMATICS_EXPORT extern long nbeval;

/// Differential-evolution optimizer; derive from it and implement Fitness.
class XELADVANCEDMATHEMATICS_EXPORT XelMathGAOptimizer : public XelQuorVirtual {
public:
  XelMathGAOptimizer();
  XelMathGAOptimizer(const XelMathGAOptimizer&) = delete;
  XelMathGAOptimizer& operator=(const XelMathGAOptimizer&) = delete;
  ~XelMathGAOptimizer() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// The fitness of the iNumParams parameters iParams (a copy: writing to it changes
  /// nothing in the search).
  virtual double Fitness(long iNumParams, double* iParams) = 0;

  /// Maximum number of generations (<= 0 gives 100).
  void SetMaxNumber(long iMax);
  /// Number of members (<= 0 gives 30).
  void SetPopulationSize(long iSize);
  /// Number of parameters (<= 0 gives 10; larger values are cut to 10).
  void SetNumParams(long iNumParams);
  /// The factor F of the differences, kept within [0, 1], otherwise 0.8.
  void SetCrossValue(double iValue);
  /// The probability of taking a trial value, kept within [0, 1], otherwise 1.0.
  void SetMutatValue(double iValue);
  /// The limits of the parameters, one per parameter each (kept as pointers, not owned;
  /// they must outlive the searches).
  void SetParamValLimits(const double* iLower, const double* iUpper);
  /// The search stops once the optimum's fitness is not above (Minimize) or not below
  /// (Maximize) this value (default 0).
  void SetFitnessReference(double iReference);
  /// The strategy, 1 to 10 (any other value gives 2).
  void SetProcess(long iProcess);
  /// Generations between two reports written in the kernel's debug mode (<= 0 gives 1).
  void SetRefresh(long iRefresh);
  /// Seed given to srand48 at each search (default -3).
  void SetSeed(long iSeed);
  /// The search stops when the optimum's fitness has stayed the same for this many
  /// successive generations (<= 0 gives 10).
  void SetIdemFitnessCount(long iCount);

  /// Searches the minimum of Fitness. Returns 0, 4 when a population has no member array
  /// (reported as an invalid object on the error trace; the run stops), or 7 when the next
  /// generation would take the search beyond 1e7 fitness evaluations, or when every fitness
  /// was NaN (there is no optimum). A population size
  /// above 1000000 (or not above the random members the strategy draws) raises 0x20004
  /// before anything is drawn or allocated.
  int Minimize();
  /// Searches the maximum of Fitness (every comparison of Minimize reversed).
  int Maximize();
  /// Seeds, draws and evaluates the initial population, sets the optimum to its member of
  /// smallest fitness and writes the initial report. Returns as Minimize.
  int Initialize();
  /// One generation of Minimize (or Maximize) from the current population into the next
  /// one; the caller then swaps them with ShiftPopulation. Returns as Minimize.
  int GenerateMin();
  int GenerateMax();
  /// Swaps the current and next populations.
  void ShiftPopulation();

  /// The optimum: parameters and fitness.
  void GetOptimum(XelMathGAIndividual& oOptimum) const;
  /// The optimum's parameters (number of parameters entries).
  void GetOptimumParams(double* oParams) const;
  double GetOptimumFitness() const { return _optimum.fitness; }
  /// Generations run by the last search.
  long GetNumberOfGenerations() const { return _generations; }
  /// The current population (null before the first search).
  const XelMathGAPopulation* GetCurrentPopulation() const { return _current; }

  /// Recomputes the extremal members of *ioPopulation (ties keep the first).
  void Statistics(XelMathGAPopulation* ioPopulation) const;
  /// Writes the parameters of the search and the statistics of the current population.
  void InitReport() const;
  /// Writes the current population, one line per member, and its extremal members.
  void Report(long iGeneration) const;
  /// Writes one individual after the text iLabel.
  void Print(const XelMathGAIndividual& iIndividual, const char* iLabel) const;

private:
  int Start(bool iMaximize, const char* iWhere);
  int Generate(bool iMaximize);
  int Run(bool iMaximize, const char* iWhere);
  /// Fitness of the iCount parameters iParams, counted in nbeval; NaN becomes the worst
  /// value of the direction.
  double Evaluate(const double* iParams, long iCount, bool iMaximize);

  long _maxNumber;
  long _populationSize;
  long _numParams;
  double _crossValue;
  double _mutatValue;
  const double* _lower;
  const double* _upper;
  double _fitnessReference;
  long _process;
  long _refresh;
  long _seed;
  long _idemFitnessCount;
  XelMathGAIndividual _optimum;
  XelMathGAPopulation* _current;
  XelMathGAPopulation* _next;
  long _generations;
  bool _fitnessSeen; // some trial of the current search had a fitness that is not NaN
};
