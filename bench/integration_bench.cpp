// Definite integrals side by side with peers, at the same requested absolute accuracy:
//  - the library's adaptive Gauss-Legendre driver (XelMathIntegrateX with the option
//    "AdaptiveIntegration": 8- and 12-point rules, then the 20-point rule on 1, 2, ..., 64
//    pieces, then the global adaptive Kronrod continuation with extrapolation when the
//    doubling does not agree),
//  - the library's adaptive vector integrator (XelMathIntegrationFunctionX: Romberg, Boole
//    and Clenshaw-Curtis on nine samples per interval, maximum depth 10),
//  - Boost.Math's adaptive gauss_kronrod<double, 15>,
//  - GSL's gsl_integration_qags (21-point Kronrod with epsilon extrapolation).
// Before timing, every side is run once on every integrand and a table of achieved errors
// (against closed forms) and function evaluations is printed, with the ratios of
// evaluations and of time (one quick timing loop) to the library's driver.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#ifdef XEL_BENCH_HAVE_BOOST
#include <boost/math/quadrature/gauss_kronrod.hpp>
#endif
#ifdef XEL_BENCH_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_integration.h>
#endif

#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathFunctionX.h"
#include "XelMathGaussLegendre.h"
#include "XelMathIntegrationFunctionX.h"
#include "XelMathInterval.h"

namespace {

const double kEps = 1e-10; // requested absolute accuracy, the same for every side

long gEvaluations = 0;

struct Integrand {
  const char* name;
  double (*f)(double);
  double a, b;
  double exact;
  double l1; // integral of |f|, for Boost's relative termination test
};

double Exp(double x) {
  ++gEvaluations;
  return std::exp(x);
}
double Runge(double x) {
  ++gEvaluations;
  return 1.0 / (1.0 + x * x);
}
double Cos50(double x) {
  ++gEvaluations;
  return std::cos(50.0 * x);
}
double Sqrt(double x) {
  ++gEvaluations;
  return std::sqrt(x);
}
double Log(double x) {
  ++gEvaluations;
  return std::log(x);
}
double InvSqrt(double x) {
  ++gEvaluations;
  return 1.0 / std::sqrt(x);
}
double Pow01(double x) {
  ++gEvaluations;
  return std::pow(x, 0.1);
}
double ChebyshevWeight(double x) {
  ++gEvaluations;
  return 1.0 / std::sqrt(1.0 - x * x);
}
double Lorentz(double x) {
  ++gEvaluations;
  return 1.0 / (x * x + 1e-6);
}
double GaussPeak(double x) {
  ++gEvaluations;
  return std::exp(-1e4 * x * x);
}
double Kink(double x) {
  ++gEvaluations;
  return std::fabs(x - 1.0 / 3.0);
}

// Integral of |cos(50 x)| over [0, 2] = (1/50) * integral of |cos u| over [0, 100]: 2 per
// period pi, plus the remainder r (sin r up to pi/2, 2 - sin r beyond).
double AbsCos50Integral() {
  const double pi = 3.14159265358979323846;
  const double periods = std::floor(100.0 / pi);
  const double r = 100.0 - periods * pi;
  const double rest = r <= 0.5 * pi ? std::sin(r) : 2.0 - std::sin(r);
  return (2.0 * periods + rest) / 50.0;
}

const std::vector<Integrand>& Integrands() {
  const double pi = 3.14159265358979323846;
  static const std::vector<Integrand> list = {
      {"exp(x) on [0,1]", Exp, 0.0, 1.0, std::exp(1.0) - 1.0, std::exp(1.0) - 1.0},
      {"1/(1+x^2) on [-5,5]", Runge, -5.0, 5.0, 2.0 * std::atan(5.0), 2.0 * std::atan(5.0)},
      {"cos(50x) on [0,2]", Cos50, 0.0, 2.0, std::sin(100.0) / 50.0, AbsCos50Integral()},
      {"sqrt(x) on [0,1]", Sqrt, 0.0, 1.0, 2.0 / 3.0, 2.0 / 3.0},
      {"log(x) on [0,1]", Log, 0.0, 1.0, -1.0, 1.0},
      {"x^-0.5 on [0,1]", InvSqrt, 0.0, 1.0, 2.0, 2.0},
      {"x^0.1 on [0,1]", Pow01, 0.0, 1.0, 1.0 / 1.1, 1.0 / 1.1},
      {"1/sqrt(1-x^2) on [-1,1]", ChebyshevWeight, -1.0, 1.0, pi, pi},
      {"1/(x^2+1e-6) on [-1,1]", Lorentz, -1.0, 1.0, 2000.0 * std::atan(1000.0),
       2000.0 * std::atan(1000.0)},
      {"exp(-1e4 x^2) on [0,1]", GaussPeak, 0.0, 1.0, std::sqrt(pi) / 200.0, std::sqrt(pi) / 200.0},
      {"exp(-1e4 x^2) on [-1,1]", GaussPeak, -1.0, 1.0, std::sqrt(pi) / 100.0,
       std::sqrt(pi) / 100.0},
      {"|x-1/3| on [0,1]", Kink, 0.0, 1.0, 5.0 / 18.0, 5.0 / 18.0}};
  return list;
}

// ---- the sides ------------------------------------------------------------------------------

class BenchFunctionX : public XelMathFunctionX {
public:
  explicit BenchFunctionX(double (*iF)(double)) : _f(iF) {}
  const char* IsA() const override { return "BenchFunctionX"; }
  using XelMathFunctionX::Eval;
  double Eval(const double& x) const override { return _f(x); }
  XelMathFunctionX* Duplicate() const override { return new BenchFunctionX(_f); }

private:
  double (*_f)(double);
};

double XelGauss(const Integrand& iI) {
  const BenchFunctionX f(iI.f);
  XelMathAttrString adaptive(AttrFunctionXAdaptiveIntegration, 1);
  XelMathAttrList list(&adaptive);
  double result = 0.0;
  XelMathIntegrateX(&f, XelMathInterval(iI.a, iI.b), kEps, 0, &list, result);
  return result;
}

double XelVector(const Integrand& iI) {
  const BenchFunctionX f(iI.f);
  XelMathIntegrationFunctionX integrator(1, &f);
  integrator.SetMaxDepth(10);
  const double tol[1] = {kEps};
  double result[1];
  integrator.Integration(iI.a, iI.b, tol, result, nullptr);
  return result[0];
}

#ifdef XEL_BENCH_HAVE_BOOST
double BoostGaussKronrod(const Integrand& iI) {
  // Boost stops when its error estimate is below tolerance * L1: ask for kEps absolute.
  double error = 0.0;
  return boost::math::quadrature::gauss_kronrod<double, 15>::integrate(iI.f, iI.a, iI.b, 15,
                                                                       kEps / iI.l1, &error);
}
#endif

#ifdef XEL_BENCH_HAVE_GSL
double GslFunction(double x, void* p) {
  return static_cast<const Integrand*>(p)->f(x);
}

double GslQags(const Integrand& iI) {
  static gsl_integration_workspace* workspace = gsl_integration_workspace_alloc(1000);
  gsl_function F;
  F.function = GslFunction;
  F.params = const_cast<Integrand*>(&iI);
  double result = 0.0, error = 0.0;
  gsl_integration_qags(&F, iI.a, iI.b, kEps, 0.0, 1000, workspace, &result, &error);
  return result;
}
#endif

struct Side {
  const char* name;
  double (*run)(const Integrand&);
};

std::vector<Side> Sides() {
  std::vector<Side> sides = {{"Xel Integrate", XelGauss}, {"Xel Integration", XelVector}};
#ifdef XEL_BENCH_HAVE_BOOST
  sides.push_back({"Boost gauss_kronrod15", BoostGaussKronrod});
#endif
#ifdef XEL_BENCH_HAVE_GSL
  sides.push_back({"GSL qags", GslQags});
#endif
  return sides;
}

// Processor time of this process in seconds (the machine may be shared: wall time would
// count the other processes).
double CpuSeconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Processor seconds per call, the median of five timing loops of about 20 ms each.
double SecondsPerCall(const Side& iSide, const Integrand& iI) {
  long reps = 1;
  for (;;) {
    const double t0 = CpuSeconds();
    for (long r = 0; r < reps; ++r)
      benchmark::DoNotOptimize(iSide.run(iI));
    if (CpuSeconds() - t0 > 0.02 || reps > (1L << 24))
      break;
    reps *= 2;
  }
  std::vector<double> times;
  for (int k = 0; k < 5; ++k) {
    const double t0 = CpuSeconds();
    for (long r = 0; r < reps; ++r)
      benchmark::DoNotOptimize(iSide.run(iI));
    times.push_back((CpuSeconds() - t0) / double(reps));
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Report() {
  const std::vector<Side> sides = Sides();
  std::printf("Requested absolute accuracy %g. Columns: error vs closed form, evaluations, "
              "evaluations and processor time relative to Xel Integrate (side / Xel Integrate).\n",
              kEps);
  for (const Integrand& integrand : Integrands()) {
    std::printf("%s (exact %.15g)\n", integrand.name, integrand.exact);
    long xelEvaluations = 0;
    double xelTime = 0.0;
    for (const Side& side : sides) {
      gEvaluations = 0;
      const double value = side.run(integrand);
      const long evaluations = gEvaluations;
      const double error = std::fabs(value - integrand.exact);
      const double seconds = SecondsPerCall(side, integrand);
      if (side.run == XelGauss) {
        xelEvaluations = evaluations;
        xelTime = seconds;
      }
      std::printf("  %-22s error %9.2e %-5s evals %6ld  evals ratio %6.2f  time %9.3f us  "
                  "time ratio %6.2f\n",
                  side.name, error, error <= kEps ? "(ok)" : "(MISS)", evaluations,
                  double(evaluations) / double(xelEvaluations), seconds * 1e6, seconds / xelTime);
    }
  }
  std::fflush(stdout);
}

void RegisterAll() {
  for (const Side& side : Sides())
    for (const Integrand& integrand : Integrands()) {
      const std::string name = std::string(side.name) + " / " + integrand.name;
      benchmark::RegisterBenchmark(name.c_str(), [side, &integrand](benchmark::State& state) {
        for (auto _ : state)
          benchmark::DoNotOptimize(side.run(integrand));
      });
    }
}

} // namespace

int main(int argc, char** argv) {
#ifdef XEL_BENCH_HAVE_GSL
  gsl_set_error_handler_off();
#endif
  Report();
  RegisterAll();
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
