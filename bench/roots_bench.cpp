// Root finding side by side with peers, on the same inputs:
//  - every root of a function on an interval: the library's interval Newton strategy and its
//    sampling strategy against Open CASCADE's math_FunctionRoots and against Boost.Math's
//    toms748_solve run on the sign-change brackets of the same sampling;
//  - every real root of a polynomial in an interval: the library's polynomial path against
//    Eigen's PolynomialSolver (companion matrix eigenvalues, real ones kept in the interval).
//  - the roots of cos x + cos 2x on [0, 10], with two double roots (x = pi, 3 pi) between
//    three simple ones, built from the library's own trigonometric functions: its interval
//    Newton strategy and its sampling strategy against the same peers.
// Before timing, every side is checked against reference roots computed independently
// (dense sampling and long double bisection, the closed form, or the known factors), and a
// table of roots missed, spurious roots, function evaluations and calls of the platform's
// sin, cos and sincos is printed. The trigonometric calls are counted by this program's own
// definitions of sin, cos and sincos, which stand before the platform's for the whole
// process (the library's calls included) and forward to it: an interval image counts as one
// evaluation, but its cost shows in the trigonometric calls behind it.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

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

#include "XelMathCombinationX.h"
#include "XelMathFunctionX.h"
#include "XelMathInterval.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSolveX.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"

// ---- counting the platform's trigonometric calls -------------------------------------------

namespace {
long gTrigCalls = 0;
template <class Fn> Fn Platform(const char* iName) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, iName));
}
} // namespace

// Exported, so that they stand before the platform's for the library too.
#define XEL_BENCH_INTERPOSE __attribute__((visibility("default")))
extern "C" {
XEL_BENCH_INTERPOSE double sin(double x) noexcept {
  static const auto platform = Platform<double (*)(double)>("sin");
  ++gTrigCalls;
  return platform(x);
}
XEL_BENCH_INTERPOSE double cos(double x) noexcept {
  static const auto platform = Platform<double (*)(double)>("cos");
  ++gTrigCalls;
  return platform(x);
}
XEL_BENCH_INTERPOSE void sincos(double x, double* oS, double* oC) noexcept {
  static const auto platform = Platform<void (*)(double, double*, double*)>("sincos");
  ++gTrigCalls;
  platform(x, oS, oC);
}
}

namespace {

const double kPi = 3.14159265358979323846;
const double kMatchTol = 1e-8; // a root found within this of a reference root matches it

// ---- the test function: f(x) = sin(w x) + 0.4 cos(3 x) on [0, 10] -------------------------

const double kOmega = 20.0;
const double kA = 0.0, kB = 10.0;
const long kSamples = 400; // sampling shared by the sampling-based sides

long gEvaluations = 0; // point values
long gImages = 0;      // interval images (of the value or of a derivative)

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

// Range of sin over [p0, p1] (and of cos through a quarter-period shift): one sin per end.
XelMathInterval SinRange(double p0, double p1) {
  const double s0 = std::sin(p0), s1 = std::sin(p1);
  double lo = std::min(s0, s1), hi = std::max(s0, s1);
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
    ++gImages;
    const XelMathInterval s = SinRange(kOmega * I.low, kOmega * I.high);
    const XelMathInterval c = SinRange(3.0 * I.low + 0.5 * kPi, 3.0 * I.high + 0.5 * kPi);
    return XelMathInterval(s.low + 0.4 * c.low, s.high + 0.4 * c.high);
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    ++gImages;
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

Score Compare(const std::vector<double>& iFound, const std::vector<double>& iReference,
              double iMatchTol = kMatchTol) {
  Score s;
  for (double t : iReference) {
    long hits = 0;
    for (double x : iFound)
      if (std::fabs(x - t) < iMatchTol)
        ++hits;
    if (hits == 0)
      ++s.missed;
  }
  for (double x : iFound) {
    bool match = false;
    for (double t : iReference)
      match = match || std::fabs(x - t) < iMatchTol;
    if (!match)
      ++s.spurious;
  }
  // A reference root found twice counts as spurious too.
  std::vector<double> sorted(iFound);
  std::sort(sorted.begin(), sorted.end());
  for (std::size_t i = 1; i < sorted.size(); ++i)
    if (sorted[i] - sorted[i - 1] < iMatchTol)
      ++s.spurious;
  return s;
}

template <class Solver>
void Report(const char* iName, Solver iSolve, const std::vector<double>& iReference,
            double iMatchTol = kMatchTol) {
  gEvaluations = gImages = gTrigCalls = 0;
  const std::vector<double> found = iSolve();
  const long evaluations = gEvaluations, images = gImages, trig = gTrigCalls;
  const Score s = Compare(found, iReference, iMatchTol);
  std::printf("  %-34s roots %4zu  missed %3ld  spurious %3ld  values %6ld  images %6ld  "
              "trig calls %7ld\n",
              iName, found.size(), s.missed, s.spurious, evaluations, images, trig);
}

// ---- cos x + cos 2x = 2 cos(3x / 2) cos(x / 2): roots pi/3 + 2k pi/3, double at pi + 2k pi --

const double kDoubleA = 0.0, kDoubleB = 10.0;
const long kDoubleSamples = 50; // sampling of the sampling-based sides
const double kDoubleMatchTol = 1e-7;

inline double G(double x) {
  ++gEvaluations;
  return std::cos(x) + std::cos(2.0 * x);
}
inline double DG(double x) {
  return -std::sin(x) - 2.0 * std::sin(2.0 * x);
}

/// The library's function under a counting wrapper; without images (iImages false) the
/// solver takes its sampling strategy.
class XelCounted : public XelMathFunctionX {
public:
  XelCounted(const XelMathFunctionX& iF, bool iImages) : _f(iF), _images(iImages) {}
  const char* IsA() const override { return "XelCounted"; }
  unsigned char IsOption(const long o) const override {
    return (!_images && (o & ~15L)) ? 0 : _f.IsOption(o);
  }
  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  double Eval(const double& x) const override {
    ++gEvaluations;
    return _f.Eval(x);
  }
  double EvalFirstDeriv(const double& x) const override { return _f.EvalFirstDeriv(x); }
  double EvalSecondDeriv(const double& x) const override { return _f.EvalSecondDeriv(x); }
  void Eval(const double x, const long o, double* oF, double* oF1, double* oF2) const override {
    gEvaluations += (o & 1) ? 1 : 0;
    _f.Eval(x, o, oF, oF1, oF2);
  }
  void EvalBatch(const long n, const double* x, const long o, double* oF, double* oF1,
                  double* oF2) const override {
    gEvaluations += (o & 1) ? n : 0;
    _f.EvalPoints(n, x, o, oF, oF1, oF2);
  }
  XelMathInterval Eval(const XelMathInterval& I) const override {
    ++gImages;
    return _f.Eval(I);
  }
  XelMathInterval EvalFirstDeriv(const XelMathInterval& I) const override {
    ++gImages;
    return _f.EvalFirstDeriv(I);
  }
  XelMathInterval EvalSecondDeriv(const XelMathInterval& I) const override {
    ++gImages;
    return _f.EvalSecondDeriv(I);
  }
  XelMathFunctionX* Duplicate() const override { return new XelCounted(*this); }

private:
  const XelMathFunctionX& _f;
  bool _images;
};

/// cos x + cos 2x as a combination of two of the library's trigonometric functions.
struct XelDoubleRootFunction {
  XelMathTrigonometricX c1{1.0, 0.0, 0.0, 1.0, XelGetDefaultTolerance()};
  XelMathTrigonometricX c2{1.0, 0.0, 0.0, 2.0, XelGetDefaultTolerance()};
  const XelMathFunctionX* parts[2] = {&c1, &c2};
  const double coefficients[2] = {1.0, 1.0};
  XelMathCombinationX f{2, parts, coefficients, 0.0};
};

std::vector<double> XelDoubleRoots(const XelMathFunctionX& iF, bool iSampling) {
  XelMathSolveX solver(&iF, XelGetDefaultTolerance());
  if (iSampling)
    solver.SetSamplingValue(kDoubleSamples);
  XelMathSetOfPointsND set(1);
  solver.Run(XelMathInterval(kDoubleA, kDoubleB), set);
  std::vector<double> r(set.GetPoints(), set.GetPoints() + set.GetNumberOfPoints());
  std::sort(r.begin(), r.end());
  return r;
}

std::vector<double> DoubleReference() {
  std::vector<double> r;
  for (int k = 0; k < 100; ++k) {
    const double x = kPi / 3.0 + 2.0 * kPi * k / 3.0;
    if (x >= kDoubleA && x <= kDoubleB)
      r.push_back(x);
  }
  return r;
}

#ifdef XEL_BENCH_HAVE_OCCT
class OcctDoubleRootFunction : public math_FunctionWithDerivative {
public:
  Standard_Boolean Value(const Standard_Real X, Standard_Real& oF) override {
    oF = G(X);
    return Standard_True;
  }
  Standard_Boolean Derivative(const Standard_Real X, Standard_Real& oD) override {
    oD = DG(X);
    return Standard_True;
  }
  Standard_Boolean Values(const Standard_Real X, Standard_Real& oF, Standard_Real& oD) override {
    oF = G(X);
    oD = DG(X);
    return Standard_True;
  }
};

std::vector<double> OcctDoubleRoots() {
  OcctDoubleRootFunction f;
  math_FunctionRoots roots(f, kDoubleA, kDoubleB, static_cast<Standard_Integer>(kDoubleSamples),
                           1e-12, 1e-12, 1e-12);
  std::vector<double> r;
  if (roots.IsDone() && !roots.IsAllNull())
    for (Standard_Integer i = 1; i <= roots.NbSolutions(); ++i)
      r.push_back(roots.Value(i));
  std::sort(r.begin(), r.end());
  return r;
}
#endif

#ifdef XEL_BENCH_HAVE_BOOST
// toms748 on the sign changes of the same sampling: a double root gives no sign change, so
// this peer cannot see it.
std::vector<double> BoostDoubleRoots() {
  std::vector<double> r;
  const double h = (kDoubleB - kDoubleA) / static_cast<double>(kDoubleSamples - 1);
  double x0 = kDoubleA, f0 = G(kDoubleA);
  if (f0 == 0.0)
    r.push_back(x0);
  for (long i = 1; i < kDoubleSamples; ++i) {
    const double x1 = i == kDoubleSamples - 1 ? kDoubleB : kDoubleA + static_cast<double>(i) * h;
    const double f1 = G(x1);
    if (f1 == 0.0)
      r.push_back(x1);
    else if (f0 * f1 < 0.0) {
      boost::uintmax_t iterations = 100;
      const auto bracket = boost::math::tools::toms748_solve(
          [](double x) { return G(x); }, x0, x1, f0, f1,
          boost::math::tools::eps_tolerance<double>(50), iterations);
      r.push_back(0.5 * (bracket.first + bracket.second));
    }
    x0 = x1;
    f0 = f1;
  }
  return r;
}
#endif

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

XelDoubleRootFunction* gDouble = nullptr;

void BM_DoubleRoots_XelIntervalNewton(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(XelDoubleRoots(gDouble->f, false));
}
BENCHMARK(BM_DoubleRoots_XelIntervalNewton);

void BM_DoubleRoots_XelSampling(benchmark::State& state) {
  const XelCounted sampled(gDouble->f, false); // hides the images; counts are not read here
  for (auto _ : state)
    benchmark::DoNotOptimize(XelDoubleRoots(sampled, true));
}
BENCHMARK(BM_DoubleRoots_XelSampling);

#ifdef XEL_BENCH_HAVE_OCCT
void BM_DoubleRoots_OcctFunctionRoots(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(OcctDoubleRoots());
}
BENCHMARK(BM_DoubleRoots_OcctFunctionRoots);
#endif

#ifdef XEL_BENCH_HAVE_BOOST
void BM_DoubleRoots_BoostToms748OnBrackets(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(BoostDoubleRoots());
}
BENCHMARK(BM_DoubleRoots_BoostToms748OnBrackets);
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

  XelDoubleRootFunction doubleRoot;
  gDouble = &doubleRoot;
  const std::vector<double> doubleReference = DoubleReference();
  std::printf("All roots of cos x + cos 2x on [%g, %g]: %zu roots, two of them double; %ld "
              "samples for the sampling-based sides\n",
              kDoubleA, kDoubleB, doubleReference.size(), kDoubleSamples);
  {
    const XelCounted withImages(doubleRoot.f, true), sampled(doubleRoot.f, false);
    Report(
        "Xel interval Newton", [&] { return XelDoubleRoots(withImages, false); }, doubleReference,
        kDoubleMatchTol);
    Report(
        "Xel sampling", [&] { return XelDoubleRoots(sampled, true); }, doubleReference,
        kDoubleMatchTol);
  }
#ifdef XEL_BENCH_HAVE_OCCT
  Report("Open CASCADE math_FunctionRoots", OcctDoubleRoots, doubleReference, kDoubleMatchTol);
#endif
#ifdef XEL_BENCH_HAVE_BOOST
  Report("Boost toms748 on sign changes", BoostDoubleRoots, doubleReference, kDoubleMatchTol);
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
