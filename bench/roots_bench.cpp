// Root finding side by side with peers, on the same inputs:
//  - every root of a function on an interval: the library's interval Newton strategy and its
//    sampling strategy against Open CASCADE's math_FunctionRoots and against Boost.Math's
//    toms748_solve run on the sign-change brackets of the same sampling;
//  - every real root of a polynomial in an interval: the library's polynomial path against
//    Eigen's PolynomialSolver (companion matrix eigenvalues, real ones kept in the interval).
// Before timing, every side is checked against reference roots computed independently
// (dense sampling and long double bisection, or the known factors), and a table of roots
// missed, spurious roots and function evaluations is printed.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#ifdef XEL_BENCH_HAVE_BOOST
#include <boost/math/tools/toms748_solve.hpp>
#endif
#ifdef XEL_BENCH_HAVE_EIGEN
#include <unsupported/Eigen/Polynomials>
#endif
#ifdef XEL_BENCH_HAVE_OCCT
#include <math_FunctionRoots.hxx>
#include <math_FunctionWithDerivative.hxx>
#endif

#include "XelMathFunctionX.h"
#include "XelMathInterval.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelTolerance.h"

namespace {

const double kPi = 3.14159265358979323846;
const double kMatchTol = 1e-8; // a root found within this of a reference root matches it

// ---- the test function: f(x) = sin(w x) + 0.4 cos(3 x) on [0, 10] -------------------------

const double kOmega = 20.0;
const double kA = 0.0, kB = 10.0;
const long kSamples = 400; // sampling shared by the sampling-based sides

long gEvaluations = 0;

inline double F(double x) {
  ++gEvaluations;
  return std::sin(kOmega * x) + 0.4 * std::cos(3.0 * x);
}
inline double DF(double x) {
  return kOmega * std::cos(kOmega * x) - 1.2 * std::sin(3.0 * x);
}
inline double D2F(double x) {
  return -kOmega * kOmega * std::sin(kOmega * x) - 3.6 * std::cos(3.0 * x);
}

// Range of sin over [p0, p1] (and of cos through a quarter-period shift).
XelMathInterval SinRange(double p0, double p1) {
  double lo = std::min(std::sin(p0), std::sin(p1));
  double hi = std::max(std::sin(p0), std::sin(p1));
  if (std::floor((p1 - 0.5 * kPi) / (2 * kPi)) >= std::ceil((p0 - 0.5 * kPi) / (2 * kPi)))
    hi = 1.0;
  if (std::floor((p1 + 0.5 * kPi) / (2 * kPi)) >= std::ceil((p0 + 0.5 * kPi) / (2 * kPi)))
    lo = -1.0;
  return XelMathInterval(lo, hi);
}

class XelTestFunction : public XelMathFunctionX {
public:
  explicit XelTestFunction(bool iIntervals) : _intervals(iIntervals) {}
  const char* IsA() const override { return "XelTestFunction"; }
  unsigned char IsOption(const long o) const override {
    const long mask = 1 | 2 | 4 | (_intervals ? 16 | 32 : 0);
    return (o & ~mask) == 0;
  }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  double Eval(const double& x) const override { return F(x); }
  double EvalFirstDeriv(const double& x) const override { return DF(x); }
  double EvalSecondDeriv(const double& x) const override { return D2F(x); }
  void Eval(const double x, const long o, double* oF, double* oF1, double* oF2) const override {
    if ((o & 1) && oF)
      *oF = F(x);
    if ((o & 2) && oF1)
      *oF1 = DF(x);
    if ((o & 4) && oF2)
      *oF2 = D2F(x);
  }
  XelMathInterval Eval(const XelMathInterval& I) const override {
    ++gEvaluations;
    const XelMathInterval s = SinRange(kOmega * I.low, kOmega * I.high);
    const XelMathInterval c = SinRange(3.0 * I.low + 0.5 * kPi, 3.0 * I.high + 0.5 * kPi);
    return XelMathInterval(s.low + 0.4 * c.low, s.high + 0.4 * c.high);
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    const XelMathInterval c = SinRange(kOmega * I.low + 0.5 * kPi, kOmega * I.high + 0.5 * kPi);
    const XelMathInterval s = SinRange(3.0 * I.low, 3.0 * I.high);
    return XelMathInterval(kOmega * c.low - 1.2 * s.high, kOmega * c.high - 1.2 * s.low);
  }
  XelMathFunctionX* Duplicate() const override { return new XelTestFunction(*this); }

private:
  bool _intervals;
};

std::vector<double> XelRoots(bool iIntervals) {
  XelTestFunction f(iIntervals);
  XelMathSolveX solver(&f, XelGetDefaultTolerance());
  solver.SetSamplingValue(kSamples);
  XelMathSetOfPointsND set(1);
  solver.Run(XelMathInterval(kA, kB), set);
  std::vector<double> r(set.GetPoints(), set.GetPoints() + set.GetNumberOfPoints());
  std::sort(r.begin(), r.end());
  return r;
}

#ifdef XEL_BENCH_HAVE_OCCT
class OcctTestFunction : public math_FunctionWithDerivative {
public:
  Standard_Boolean Value(const Standard_Real X, Standard_Real& oF) override {
    oF = F(X);
    return Standard_True;
  }
  Standard_Boolean Derivative(const Standard_Real X, Standard_Real& oD) override {
    oD = DF(X);
    return Standard_True;
  }
  Standard_Boolean Values(const Standard_Real X, Standard_Real& oF, Standard_Real& oD) override {
    oF = F(X);
    oD = DF(X);
    return Standard_True;
  }
};

std::vector<double> OcctRoots() {
  OcctTestFunction f;
  math_FunctionRoots roots(f, kA, kB, static_cast<Standard_Integer>(kSamples), 1e-12, 1e-12, 1e-12);
  std::vector<double> r;
  if (roots.IsDone() && !roots.IsAllNull())
    for (Standard_Integer i = 1; i <= roots.NbSolutions(); ++i)
      r.push_back(roots.Value(i));
  std::sort(r.begin(), r.end());
  return r;
}
#endif

#ifdef XEL_BENCH_HAVE_BOOST
std::vector<double> BoostRoots() {
  std::vector<double> r;
  const double h = (kB - kA) / static_cast<double>(kSamples - 1);
  double x0 = kA, f0 = F(kA);
  if (f0 == 0.0)
    r.push_back(x0);
  for (long i = 1; i < kSamples; ++i) {
    const double x1 = i == kSamples - 1 ? kB : kA + static_cast<double>(i) * h;
    const double f1 = F(x1);
    if (f1 == 0.0)
      r.push_back(x1);
    else if (f0 * f1 < 0.0) {
      boost::uintmax_t iterations = 100;
      const auto bracket = boost::math::tools::toms748_solve(
          [](double x) { return F(x); }, x0, x1, f0, f1,
          boost::math::tools::eps_tolerance<double>(50), iterations);
      r.push_back(0.5 * (bracket.first + bracket.second));
    }
    x0 = x1;
    f0 = f1;
  }
  return r;
}
#endif

// Reference roots of f: a sampling 100 times denser than the others, long double
// bisection on every sign change, and a check that no extremum between samples touches 0.
std::vector<double> ReferenceRoots() {
  auto f = [](long double x) {
    return std::sin(static_cast<long double>(kOmega) * x) + 0.4L * std::cos(3.0L * x);
  };
  std::vector<double> r;
  const long n = 100 * kSamples;
  const long double h = (static_cast<long double>(kB) - kA) / n;
  for (long i = 0; i < n; ++i) {
    long double a = kA + i * h, b = a + h;
    long double fa = f(a), fb = f(b);
    if (fa == 0.0L)
      r.push_back(static_cast<double>(a));
    if (fa * fb < 0.0L) {
      for (int k = 0; k < 80; ++k) {
        const long double m = 0.5L * (a + b);
        const long double fm = f(m);
        if ((fm < 0.0L) == (fa < 0.0L)) {
          a = m;
          fa = fm;
        } else
          b = m;
      }
      r.push_back(static_cast<double>(0.5L * (a + b)));
    }
  }
  return r;
}

struct Score {
  long missed = 0;
  long spurious = 0;
};

Score Compare(const std::vector<double>& iFound, const std::vector<double>& iReference) {
  Score s;
  for (double t : iReference) {
    long hits = 0;
    for (double x : iFound)
      if (std::fabs(x - t) < kMatchTol)
        ++hits;
    if (hits == 0)
      ++s.missed;
  }
  for (double x : iFound) {
    bool match = false;
    for (double t : iReference)
      match = match || std::fabs(x - t) < kMatchTol;
    if (!match)
      ++s.spurious;
  }
  // A reference root found twice counts as spurious too.
  std::vector<double> sorted(iFound);
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i] - sorted[i - 1] < kMatchTol)
      ++s.spurious;
  return s;
}

template <class Solver>
void Report(const char* iName, Solver iSolve, const std::vector<double>& iReference) {
  gEvaluations = 0;
  const std::vector<double> found = iSolve();
  const long evaluations = gEvaluations;
  const Score s = Compare(found, iReference);
  std::printf("  %-34s roots %4zu  missed %3ld  spurious %3ld  evaluations %7ld\n", iName,
              found.size(), s.missed, s.spurious, evaluations);
}

// ---- polynomials ------------------------------------------------------------------------------

struct PolynomialCase {
  std::vector<double> roots;        // the real roots inside [-1, 1]
  std::vector<double> coefficients; // increasing powers
};

// Degree iDegree: real roots in [-1, 1] at least 0.02 apart, the rest complex pairs.
PolynomialCase MakePolynomial(int iDegree, unsigned iSeed) {
  std::mt19937 rng(iSeed);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  PolynomialCase p;
  const int nbReal = iDegree / 2 + (iDegree % 2);
  while (static_cast<int>(p.roots.size()) < nbReal) {
    const double r = u(rng);
    bool apart = true;
    for (double s : p.roots)
      apart = apart && std::fabs(r - s) > 0.02;
    if (apart)
      p.roots.push_back(r);
  }
  std::sort(p.roots.begin(), p.roots.end());
  std::vector<long double> c(1, 1.0L);
  for (double r : p.roots) {
    std::vector<long double> n(c.size() + 1, 0.0L);
    for (std::size_t j = 0; j < c.size(); ++j) {
      n[j + 1] += c[j];
      n[j] -= c[j] * r;
    }
    c = n;
  }
  while (static_cast<int>(c.size()) - 1 < iDegree) {
    const long double a = u(rng), b = 0.2L + 0.5L * std::fabs(u(rng));
    std::vector<long double> n(c.size() + 2, 0.0L);
    for (std::size_t j = 0; j < c.size(); ++j) {
      n[j + 2] += c[j];
      n[j + 1] -= 2 * a * c[j];
      n[j] += (a * a + b * b) * c[j];
    }
    c = n;
  }
  p.coefficients.assign(c.begin(), c.end());
  return p;
}

std::vector<double> XelPolynomialRoots(const PolynomialCase& iP) {
  XelMathSetOfPointsND set(1);
  XelMathSolveX solver(nullptr, XelGetDefaultTolerance());
  solver.Initialize(XelMathInterval(-1.0, 1.0), set);
  solver.RunOnPolynom(static_cast<long>(iP.coefficients.size()) - 1, iP.coefficients.data(), 0.0);
  return std::vector<double>(set.GetPoints(), set.GetPoints() + set.GetNumberOfPoints());
}

#ifdef XEL_BENCH_HAVE_EIGEN
std::vector<double> EigenPolynomialRoots(const PolynomialCase& iP) {
  Eigen::VectorXd c(static_cast<Eigen::Index>(iP.coefficients.size()));
  for (std::size_t i = 0; i < iP.coefficients.size(); ++i)
    c[static_cast<Eigen::Index>(i)] = iP.coefficients[i];
  Eigen::PolynomialSolver<double, Eigen::Dynamic> solver;
  solver.compute(c);
  std::vector<double> real;
  solver.realRoots(real, 1e-8);
  std::vector<double> r;
  for (double x : real)
    if (x >= -1.0 && x <= 1.0)
      r.push_back(x);
  std::sort(r.begin(), r.end());
  return r;
}
#endif

const int kDegrees[3] = {10, 20, 30};
PolynomialCase gPolynomials[3];

// ---- timed runs -------------------------------------------------------------------------------

void BM_Roots_XelIntervalNewton(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(XelRoots(true));
}
BENCHMARK(BM_Roots_XelIntervalNewton);

void BM_Roots_XelSampling(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(XelRoots(false));
}
BENCHMARK(BM_Roots_XelSampling);

#ifdef XEL_BENCH_HAVE_OCCT
void BM_Roots_OcctFunctionRoots(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(OcctRoots());
}
BENCHMARK(BM_Roots_OcctFunctionRoots);
#endif

#ifdef XEL_BENCH_HAVE_BOOST
void BM_Roots_BoostToms748OnBrackets(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(BoostRoots());
}
BENCHMARK(BM_Roots_BoostToms748OnBrackets);
#endif

void BM_Polynomial_Xel(benchmark::State& state) {
  const PolynomialCase& p = gPolynomials[state.range(0)];
  for (auto _ : state)
    benchmark::DoNotOptimize(XelPolynomialRoots(p));
  state.SetLabel("degree " + std::to_string(kDegrees[state.range(0)]));
}
BENCHMARK(BM_Polynomial_Xel)->DenseRange(0, 2);

#ifdef XEL_BENCH_HAVE_EIGEN
void BM_Polynomial_EigenPolynomialSolver(benchmark::State& state) {
  const PolynomialCase& p = gPolynomials[state.range(0)];
  for (auto _ : state)
    benchmark::DoNotOptimize(EigenPolynomialRoots(p));
  state.SetLabel("degree " + std::to_string(kDegrees[state.range(0)]));
}
BENCHMARK(BM_Polynomial_EigenPolynomialSolver)->DenseRange(0, 2);
#endif

} // namespace

int main(int argc, char** argv) {
  const std::vector<double> reference = ReferenceRoots();
  std::printf("All roots of sin(%g x) + 0.4 cos(3 x) on [%g, %g]: %zu reference roots, %ld "
              "samples for the sampling-based sides\n",
              kOmega, kA, kB, reference.size(), kSamples);
  Report(
      "Xel interval Newton", [] { return XelRoots(true); }, reference);
  Report(
      "Xel sampling", [] { return XelRoots(false); }, reference);
#ifdef XEL_BENCH_HAVE_OCCT
  Report("Open CASCADE math_FunctionRoots", OcctRoots, reference);
#endif
#ifdef XEL_BENCH_HAVE_BOOST
  Report("Boost toms748 on sign changes", BoostRoots, reference);
#endif

  std::printf("Real roots in [-1, 1] of polynomials with known roots\n");
  for (int i = 0; i < 3; ++i) {
    gPolynomials[i] = MakePolynomial(kDegrees[i], 7u + static_cast<unsigned>(i));
    const Score x = Compare(XelPolynomialRoots(gPolynomials[i]), gPolynomials[i].roots);
    std::printf("  degree %2d (%2zu real roots): Xel missed %ld spurious %ld", kDegrees[i],
                gPolynomials[i].roots.size(), x.missed, x.spurious);
#ifdef XEL_BENCH_HAVE_EIGEN
    const Score e = Compare(EigenPolynomialRoots(gPolynomials[i]), gPolynomials[i].roots);
    std::printf(";  Eigen missed %ld spurious %ld", e.missed, e.spurious);
#endif
    std::printf("\n");
  }
  std::fflush(stdout);

  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
