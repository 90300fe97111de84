// Differential evolution: the initial population, one generation of trial vectors by each
// strategy with exponential or binomial crossover, the stopping rules, and the reports.
#include "XelMathGAOptimizer.h"

#include <cmath>
#include <cstdlib>

#include "XelMathDebug.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelQuorOutput.h"

long nbeval = 0;

namespace {

const long DefaultMaxNumber = 100;
const long DefaultPopulationSize = 30;
const double DefaultCrossValue = 0.8;
const double DefaultMutatValue = 1.0;
const long DefaultProcess = 2;
const long DefaultRefresh = 1;
const long DefaultIdemFitnessCount = 10;

// Members of a searched population: its two generations then hold 176 MB. Differential
// evolution uses tens to hundreds; a larger size is refused before anything is allocated.
const long MaxSearchMembers = 1000000;

// Fitness evaluations of one search beyond which it stops (status 7) whatever the number of
// generations and the same-fitness count allow (a fitness that never settles, NaN say,
// would otherwise run for as many generations as a count near LONG_MAX asks).
const double MaxSearchEvaluations = 1e7;
/// Strategies 1 to 5 cross exponentially, their binomial twins are 6 to 10.
const long NumberOfStrategies = 5;
/// Random members drawn by strategy (the highest index r_k that it reads).
const long RandomMembers[NumberOfStrategies] = {3, 3, 2, 4, 5};

long Strategy(long iProcess) {
  return (iProcess - 1) % NumberOfStrategies;
}

long NeededRandomMembers(long iProcess) {
  return RandomMembers[Strategy(iProcess)];
}

/// Integer part of drand48 times iCount (kept below iCount).
long DrawIndex(long iCount) {
  const long index = static_cast<long>(drand48() * static_cast<double>(iCount));
  return index < iCount ? index : iCount - 1;
}

/// Whether iA is better than iB in the direction of the search.
bool Better(double iA, double iB, bool iMaximize) {
  return iMaximize ? iA > iB : iA < iB;
}

/// Whether a search reached its reference: the optimum is not above (not below) it.
bool Reached(double iOptimum, double iReference, bool iMaximize) {
  return iMaximize ? !(iOptimum < iReference) : !(iOptimum > iReference);
}

/// Reports a population without members and returns the refused status.
int InvalidObject(const char* iWhere) {
  XelQuorOutput::GetErr() << iWhere << ": invalid object (a population without members)\n";
  return XelMathStatus::Refused;
}

} // namespace

XelMathGAOptimizer::XelMathGAOptimizer()
    : _maxNumber(DefaultMaxNumber), _populationSize(DefaultPopulationSize), _numParams(1),
      _crossValue(DefaultCrossValue), _mutatValue(DefaultMutatValue), _lower(nullptr),
      _upper(nullptr), _fitnessReference(0.0), _process(DefaultProcess), _refresh(2), _seed(-3),
      _idemFitnessCount(DefaultIdemFitnessCount), _optimum(), _current(nullptr), _next(nullptr),
      _generations(0), _fitnessSeen(false) {}

XelMathGAOptimizer::~XelMathGAOptimizer() {
  delete _current;
  delete _next;
}

long XelMathGAOptimizer::GetDynamicMemoryBytes() const {
  long bytes = 0;
  if (_current)
    bytes += _current->GetEstimatedMemoryBytes();
  if (_next)
    bytes += _next->GetEstimatedMemoryBytes();
  return bytes;
}

long XelMathGAOptimizer::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathGAOptimizer));
}

void XelMathGAOptimizer::SetMaxNumber(long iMax) {
  _maxNumber = iMax > 0 ? iMax : DefaultMaxNumber;
}

void XelMathGAOptimizer::SetPopulationSize(long iSize) {
  _populationSize = iSize > 0 ? iSize : DefaultPopulationSize;
}

void XelMathGAOptimizer::SetNumParams(long iNumParams) {
  _numParams =
      (iNumParams <= 0 || iNumParams > XelMathGAMaxParams) ? XelMathGAMaxParams : iNumParams;
}

void XelMathGAOptimizer::SetCrossValue(double iValue) {
  _crossValue = (iValue >= 0.0 && iValue <= 1.0) ? iValue : DefaultCrossValue;
}

void XelMathGAOptimizer::SetMutatValue(double iValue) {
  _mutatValue = (iValue >= 0.0 && iValue <= 1.0) ? iValue : DefaultMutatValue;
}

void XelMathGAOptimizer::SetParamValLimits(const double* iLower, const double* iUpper) {
  _lower = iLower;
  _upper = iUpper;
}

void XelMathGAOptimizer::SetFitnessReference(double iReference) {
  _fitnessReference = iReference;
}

void XelMathGAOptimizer::SetProcess(long iProcess) {
  _process = (iProcess >= 1 && iProcess <= 2 * NumberOfStrategies) ? iProcess : DefaultProcess;
}

void XelMathGAOptimizer::SetRefresh(long iRefresh) {
  _refresh = iRefresh > 0 ? iRefresh : DefaultRefresh;
}

void XelMathGAOptimizer::SetSeed(long iSeed) {
  _seed = iSeed;
}

void XelMathGAOptimizer::SetIdemFitnessCount(long iCount) {
  _idemFitnessCount = iCount > 0 ? iCount : DefaultIdemFitnessCount;
}

void XelMathGAOptimizer::ShiftPopulation() {
  XelMathGAPopulation* swap = _current;
  _current = _next;
  _next = swap;
}

void XelMathGAOptimizer::GetOptimum(XelMathGAIndividual& oOptimum) const {
  oOptimum = _optimum;
}

void XelMathGAOptimizer::GetOptimumParams(double* oParams) const {
  for (long j = 0; j < _numParams; ++j)
    oParams[j] = _optimum.parameters[j];
}

void XelMathGAOptimizer::Statistics(XelMathGAPopulation* ioPopulation) const {
  if (ioPopulation)
    ioPopulation->ComputeStatistics();
}

double XelMathGAOptimizer::Evaluate(const double* iParams, long iCount, bool iMaximize) {
  // The caller's function gets a copy, so that it cannot disturb the population.
  double copy[XelMathGAMaxParams];
  for (long j = 0; j < iCount; ++j)
    copy[j] = iParams[j];
  ++nbeval;
  const double fitness = Fitness(iCount, copy);
  if (std::isnan(fitness))
    return iMaximize ? -HUGE_VAL : HUGE_VAL;
  _fitnessSeen = true;
  return fitness;
}

int XelMathGAOptimizer::Start(bool iMaximize, const char* iWhere) {
  // Everything is checked before anything is drawn or allocated.
  if (!_lower || !_upper)
    XelMathRaise(XelErrorCode::InvalidDomain, "the parameter limits", "Invalid Domain", iWhere);
  for (long j = 0; j < _numParams; ++j)
    if (!(std::isfinite(_lower[j]) && std::isfinite(_upper[j]) && _lower[j] <= _upper[j] &&
          std::isfinite(_upper[j] - _lower[j])))
      XelMathRaise(XelErrorCode::InvalidDomain, "the parameter limits", "Invalid Domain", iWhere);
  if (_populationSize <= NeededRandomMembers(_process) || _populationSize > MaxSearchMembers)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the population size",
                 "Invalid Number Of Points", iWhere);

  srand48(_seed);
  delete _current;
  _current = nullptr;
  delete _next;
  _next = nullptr;
  _generations = 0;
  _fitnessSeen = false;

  _current = new XelMathGAPopulation(_populationSize, _numParams, _lower, _upper);
  _current->Draw();
  XelMathGAIndividual* members = _current->GetMembers();
  if (!members)
    return InvalidObject(iWhere);
  for (long i = 0; i < _current->GetSize(); ++i)
    members[i].fitness = Evaluate(members[i].parameters, _numParams, iMaximize);
  Statistics(_current);
  _next = new XelMathGAPopulation(_current);
  _optimum = members[iMaximize ? _current->GetIndexOfMax() : _current->GetIndexOfMin()];
  return XelMathStatus::Done;
}

int XelMathGAOptimizer::Initialize() {
  const int status = Start(false, "XelMathGAOptimizer::Initialize");
  InitReport();
  return status;
}

int XelMathGAOptimizer::Minimize() {
  return Run(false, "XelMathGAOptimizer::Minimize");
}

int XelMathGAOptimizer::Maximize() {
  return Run(true, "XelMathGAOptimizer::Maximize");
}

int XelMathGAOptimizer::Run(bool iMaximize, const char* iWhere) {
  int status = Start(iMaximize, iWhere);
  // A search whose every trial had a NaN fitness has no optimum to give (an infinite fitness
  // the function returned is one).
  const auto done = [this] {
    return _fitnessSeen ? XelMathStatus::Done : XelMathStatus::NotConverged;
  };
  if (status != XelMathStatus::Done)
    return status;
  if (_maxNumber < 1 || _idemFitnessCount < 1 ||
      Reached(_optimum.fitness, _fitnessReference, iMaximize))
    return done();
  const bool reports = XelMathDebug::GetDebugOnly() != 0;
  long unchanged = 0;
  const double size = static_cast<double>(_current->GetSize());
  while (_generations < _maxNumber) {
    if (size * static_cast<double>(_generations + 2) > MaxSearchEvaluations)
      return XelMathStatus::NotConverged;
    const double before = _optimum.fitness;
    status = Generate(iMaximize);
    if (status != XelMathStatus::Done)
      return status;
    ShiftPopulation();
    ++_generations;
    if (reports && _generations % _refresh == 0)
      Report(_generations);
    if (Reached(_optimum.fitness, _fitnessReference, iMaximize))
      break;
    unchanged = _optimum.fitness == before ? unchanged + 1 : 0;
    if (unchanged >= _idemFitnessCount)
      break;
  }
  return done();
}

int XelMathGAOptimizer::GenerateMin() {
  return Generate(false);
}

int XelMathGAOptimizer::GenerateMax() {
  return Generate(true);
}

int XelMathGAOptimizer::Generate(bool iMaximize) {
  const char* where =
      iMaximize ? "XelMathGAOptimizer::GenerateMax" : "XelMathGAOptimizer::GenerateMin";
  if (!_current || !_next || !_current->GetMembers() || !_next->GetMembers() ||
      _next->GetSize() != _current->GetSize())
    return InvalidObject(where);
  const long size = _current->GetSize();
  const long randomMembers = NeededRandomMembers(_process);
  if (size <= randomMembers)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the population size",
                 "Invalid Number Of Points", where);
  const long np = _current->GetNumParams();
  const double* lower = _current->GetLowerLimits();
  const double* upper = _current->GetUpperLimits();
  const XelMathGAIndividual* x = _current->GetMembers();
  XelMathGAIndividual* out = _next->GetMembers();
  const double* best = _optimum.parameters;
  const double F = _crossValue;
  const long strategy = Strategy(_process);
  const bool exponential = _process <= NumberOfStrategies;

  for (long i = 0; i < size; ++i) {
    // Random members, distinct from the target and from each other.
    long r[NumberOfStrategies] = {0, 0, 0, 0, 0};
    for (long k = 0; k < randomMembers; ++k) {
      bool taken = true;
      while (taken) {
        r[k] = DrawIndex(size);
        taken = r[k] == i;
        for (long l = 0; l < k && !taken; ++l)
          taken = r[k] == r[l];
      }
    }
    const double* x1 = x[r[0]].parameters;
    const double* x2 = x[r[1]].parameters;
    const double* x3 = x[r[2]].parameters;
    const double* x4 = x[r[3]].parameters;
    const double* x5 = x[r[4]].parameters;

    XelMathGAIndividual trial = x[i];
    double* t = trial.parameters;
    auto value = [&](long n) {
      switch (strategy) {
      case 0:
        return best[n] + F * (x2[n] - x3[n]);
      case 1:
        return x1[n] + F * (x2[n] - x3[n]);
      case 2:
        return t[n] + F * (best[n] - t[n]) + F * (x1[n] - x2[n]);
      case 3:
        return best[n] + F * (x1[n] + x2[n] - x3[n] - x4[n]);
      default:
        return x5[n] + F * (x1[n] + x2[n] - x3[n] - x4[n]);
      }
    };

    long n = DrawIndex(np);
    if (exponential) {
      long written = 0;
      do {
        t[n] = value(n);
        n = (n + 1) % np;
        ++written;
      } while (drand48() < _mutatValue && written < np);
    } else {
      for (long visited = 0; visited < np; ++visited) {
        if (drand48() < _mutatValue || visited == np - 1)
          t[n] = value(n);
        n = (n + 1) % np;
      }
    }

    bool feasible = true;
    for (long j = 0; j < np && feasible; ++j)
      feasible = t[j] >= lower[j] && t[j] <= upper[j];
    if (feasible) {
      trial.fitness = Evaluate(t, np, iMaximize);
      out[i] = Better(x[i].fitness, trial.fitness, iMaximize) ? x[i] : trial;
    } else {
      out[i] = x[i];
    }
    _next->UpdateStatistics(i);
  }

  const XelMathGAIndividual& candidate =
      out[iMaximize ? _next->GetIndexOfMax() : _next->GetIndexOfMin()];
  if (Better(candidate.fitness, _optimum.fitness, iMaximize))
    _optimum = candidate;
  return XelMathStatus::Done;
}

void XelMathGAOptimizer::Print(const XelMathGAIndividual& iIndividual, const char* iLabel) const {
  XelQuorOutput& out = XelQuorOutput::GetOut();
  out << (iLabel ? iLabel : "");
  for (long j = 0; j < _numParams; ++j)
    out << " " << iIndividual.parameters[j];
  out << "  _Fitness " << iIndividual.fitness << "\n";
}

void XelMathGAOptimizer::InitReport() const {
  XelQuorOutput& out = XelQuorOutput::GetOut();
  out << "__________Simple GA parameters_____________________\n";
  out << " XelMathGAPopulation size       = " << _populationSize << "\n";
  out << " Chromosome length        = " << _numParams << "\n";
  out << " Number of XelMathGAOptimizers  = " << _maxNumber << "\n";
  out << " Crossover value          = " << _crossValue << "\n";
  out << " Mutation  value          = " << _mutatValue << "\n";
  if (!_current || !_current->GetMembers())
    return;
  out << "__________Initial XelMathGAOptimizer statistics____________\n";
  out << " Initial XelMathGAPopulation maximum fitness = " << _current->GetMaxFitness() << "\n";
  out << " Initial XelMathGAPopulation minimum fitness = " << _current->GetMinFitness() << "\n";
}

void XelMathGAOptimizer::Report(long iGeneration) const {
  if (!_current || !_current->GetMembers())
    return;
  XelQuorOutput& out = XelQuorOutput::GetOut();
  out << "XelMathGAPopulation report, generation " << iGeneration << "\n";
  const XelMathGAIndividual* members = _current->GetMembers();
  for (long i = 0; i < _current->GetSize(); ++i) {
    out << quorsetw(6) << i;
    for (long j = 0; j < _current->GetNumParams(); ++j)
      out << " " << members[i].parameters[j];
    out << "  _Fitness " << members[i].fitness << "\n";
  }
  out << "   _MaxFitness  = " << _current->GetMaxFitness()
      << "  (XelMathGAIndividual = " << _current->GetIndexOfMax() << ")\n";
  out << "   _MinFitness  = " << _current->GetMinFitness()
      << "  (XelMathGAIndividual = " << _current->GetIndexOfMin() << ")\n";
  Print(_optimum, "   optimum:");
}
