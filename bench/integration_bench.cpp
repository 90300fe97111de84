// Definite integrals side by side with peers on a battery of 30 published test integrals, at the
// same requested relative accuracy 1e-10:
//  - the library's default driver (XelMathIntegrateX without options: 8- and 12-point rules,
//    then the 20-point rule on 1, 2, ..., 64 equal pieces),
//  - the same driver with the option "AdaptiveIntegration" (21-point Kronrod pieces in a heap
//    ordered by error, worst piece bisected, epsilon extrapolation of the bisection sums),
//  - the library's adaptive vector integrator (XelMathIntegrationFunctionX: Romberg, Boole
//    and Clenshaw-Curtis on nine samples per interval, maximum depth 10),
//  - Boost.Math's adaptive gauss_kronrod<double, 15>,
//  - GSL's gsl_integration_qags (21-point Kronrod with epsilon extrapolation, 1000 pieces).
// The library takes an absolute tolerance: it is given 1e-10 |I| (I the reference value), the
// peers the relative 1e-10. An answer is within tolerance when |result - I| <= 1e-10 |I|.
// The battery: the 23 integrals of Kahaner's and Gander and Gautschi's adaptive quadrature
// tests, and seven classic hard cases (Runge, oscillation, weak and inverse square root end
// singularities, a sharp Lorentz peak, a Gaussian peak between the first nodes, a kink).
// Reference values: closed forms where they exist, else 40-digit quadratures split at every
// peak and breakpoint (rounded to 20 digits).
// Before timing, every side is run once on every integrand and the achieved errors, the
// evaluation counts and their totals are printed; Google Benchmark then times each call.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
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

const double kRelative = 1e-10; // requested relative accuracy
const double kPi = 3.14159265358979323846;

long gEvaluations = 0;

struct Integrand {
  const char* name;
  double (*f)(double);
  double a, b;
  double exact;
};

#define XEL_INTEGRAND(NAME, EXPR)                                                                  \
  double NAME(double x) {                                                                          \
    ++gEvaluations;                                                                                \
    return EXPR;                                                                                   \
  }
XEL_INTEGRAND(Exp, std::exp(x))
XEL_INTEGRAND(Step, x < 0.3 ? 0.0 : 1.0)
XEL_INTEGRAND(Sqrt, std::sqrt(x))
XEL_INTEGRAND(CoshCos, 23.0 / 25.0 * std::cosh(x) - std::cos(x))
XEL_INTEGRAND(Quartic, 1.0 / (x * x * x * x + x * x + 0.9))
XEL_INTEGRAND(Pow15, x* std::sqrt(x))
XEL_INTEGRAND(InvSqrt, 1.0 / std::sqrt(x))
XEL_INTEGRAND(InvQuartic, 1.0 / (1.0 + x * x * x * x))
XEL_INTEGRAND(SinWave, 2.0 / (2.0 + std::sin(10.0 * kPi * x)))
XEL_INTEGRAND(InvOnePlus, 1.0 / (1.0 + x))
XEL_INTEGRAND(Logistic, 1.0 / (1.0 + std::exp(x)))
XEL_INTEGRAND(Bernoulli, x == 0.0 ? 1.0 : x / std::expm1(x))
XEL_INTEGRAND(Sin100, std::sin(100.0 * kPi * x) / (kPi * x))
XEL_INTEGRAND(Gauss50, std::sqrt(50.0) * std::exp(-50.0 * kPi * x * x))
XEL_INTEGRAND(Exp25, 25.0 * std::exp(-25.0 * x))
XEL_INTEGRAND(Cauchy50, 50.0 / (kPi * (2500.0 * x * x + 1.0)))
XEL_INTEGRAND(Sinc2, 50.0 * std::pow(std::sin(50.0 * kPi * x) / (50.0 * kPi * x), 2))
XEL_INTEGRAND(CosCos, std::cos(std::cos(x) + 3.0 * std::sin(x) + 2.0 * std::cos(2.0 * x) +
                               3.0 * std::sin(2.0 * x) + 3.0 * std::cos(3.0 * x)))
XEL_INTEGRAND(Log, std::log(x))
XEL_INTEGRAND(Runge1005, 1.0 / (1.005 + x * x))
XEL_INTEGRAND(Sech3, 1.0 / std::cosh(20.0 * (x - 0.2)) + 1.0 / std::cosh(400.0 * (x - 0.4)) +
                         1.0 / std::cosh(8000.0 * (x - 0.6)))
XEL_INTEGRAND(XSinCos, 4.0 * kPi * kPi * x * std::sin(20.0 * kPi * x) * std::cos(2.0 * kPi * x))
XEL_INTEGRAND(Peak230, 1.0 / (1.0 + (230.0 * x - 30.0) * (230.0 * x - 30.0)))
XEL_INTEGRAND(Runge, 1.0 / (1.0 + x * x))
XEL_INTEGRAND(Cos50, std::cos(50.0 * x))
XEL_INTEGRAND(Pow01, std::pow(x, 0.1))
XEL_INTEGRAND(ChebyshevWeight, 1.0 / std::sqrt(1.0 - x * x))
XEL_INTEGRAND(Lorentz, 1.0 / (x * x + 1e-6))
XEL_INTEGRAND(GaussPeak, std::exp(-1e4 * x * x))
XEL_INTEGRAND(Kink, std::fabs(x - 1.0 / 3.0))
#undef XEL_INTEGRAND

const std::vector<Integrand>& Integrands() {
  static const std::vector<Integrand> list = {
      {"exp(x) [0,1]", Exp, 0.0, 1.0, std::exp(1.0) - 1.0},
      {"step at 0.3 [0,1]", Step, 0.0, 1.0, 0.7},
      {"sqrt(x) [0,1]", Sqrt, 0.0, 1.0, 2.0 / 3.0},
      {"23/25 cosh x - cos x [-1,1]", CoshCos, -1.0, 1.0,
       46.0 / 25.0 * std::sinh(1.0) - 2.0 * std::sin(1.0)},
      {"1/(x^4+x^2+0.9) [-1,1]", Quartic, -1.0, 1.0, 1.5822329637296729331},
      {"x^1.5 [0,1]", Pow15, 0.0, 1.0, 0.4},
      {"x^-0.5 [0,1]", InvSqrt, 0.0, 1.0, 2.0},
      {"1/(1+x^4) [0,1]", InvQuartic, 0.0, 1.0, 0.86697298733991103757},
      {"2/(2+sin(10 pi x)) [0,1]", SinWave, 0.0, 1.0, 2.0 / std::sqrt(3.0)},
      {"1/(1+x) [0,1]", InvOnePlus, 0.0, 1.0, std::log(2.0)},
      {"1/(1+e^x) [0,1]", Logistic, 0.0, 1.0, 1.0 + std::log(2.0 / (1.0 + std::exp(1.0)))},
      {"x/(e^x-1) [0,1]", Bernoulli, 0.0, 1.0, 0.77750463411224827642},
      {"sin(100 pi x)/(pi x) [0.1,1]", Sin100, 0.1, 1.0, 0.0090986375391668429156},
      {"sqrt50 exp(-50 pi x^2) [0,10]", Gauss50, 0.0, 10.0, 0.5},
      {"25 exp(-25x) [0,10]", Exp25, 0.0, 10.0, 1.0},
      {"50/(pi(2500x^2+1)) [0,10]", Cauchy50, 0.0, 10.0, std::atan(500.0) / kPi},
      {"50 sinc^2(50 pi x) [0.01,1]", Sinc2, 0.01, 1.0, 0.11213930374163741027},
      {"cos(cos x+3sin x+...) [0,pi]", CosCos, 0.0, kPi, 0.83867634269442961454},
      {"log(x) [0,1]", Log, 0.0, 1.0, -1.0},
      {"1/(1.005+x^2) [-1,1]", Runge1005, -1.0, 1.0, 1.5643964440690497731},
      {"sum 1/cosh(20^i(x-2i/10)) [0,1]", Sech3, 0.0, 1.0, 0.16349494301863722618},
      {"4pi^2 x sin(20pi x)cos(2pi x) [0,1]", XSinCos, 0.0, 1.0, -0.63466518254339257343},
      {"1/(1+(230x-30)^2) [0,1]", Peak230, 0.0, 1.0, (std::atan(200.0) + std::atan(30.0)) / 230.0},
      {"1/(1+x^2) [-5,5]", Runge, -5.0, 5.0, 2.0 * std::atan(5.0)},
      {"cos(50x) [0,2]", Cos50, 0.0, 2.0, std::sin(100.0) / 50.0},
      {"x^0.1 [0,1]", Pow01, 0.0, 1.0, 1.0 / 1.1},
      {"1/sqrt(1-x^2) [-1,1]", ChebyshevWeight, -1.0, 1.0, kPi},
      {"1/(x^2+1e-6) [-1,1]", Lorentz, -1.0, 1.0, 2000.0 * std::atan(1000.0)},
      {"exp(-1e4 x^2) [-1,1]", GaussPeak, -1.0, 1.0, std::sqrt(kPi) / 100.0},
      {"|x-1/3| [0,1]", Kink, 0.0, 1.0, 5.0 / 18.0}};
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

int gStatus = 0; // status of the last library call

double XelDriver(const Integrand& iI, bool iAdaptive) {
  const BenchFunctionX f(iI.f);
  XelMathAttrString adaptive(AttrFunctionXAdaptiveIntegration, 1);
  XelMathAttrList list(&adaptive);
  double result = 0.0;
  gStatus = XelMathIntegrateX(&f, XelMathInterval(iI.a, iI.b), kRelative * std::fabs(iI.exact), 0,
                              iAdaptive ? &list : nullptr, result);
  return result;
}
double XelDefault(const Integrand& iI) {
  return XelDriver(iI, false);
}
double XelAdaptive(const Integrand& iI) {
  return XelDriver(iI, true);
}

double XelVector(const Integrand& iI) {
  const BenchFunctionX f(iI.f);
  XelMathIntegrationFunctionX integrator(1, &f);
  integrator.SetMaxDepth(10);
  const double tol[1] = {kRelative * std::fabs(iI.exact)};
  double result[1];
  integrator.Integration(iI.a, iI.b, tol, result, nullptr);
  return result[0];
}

#ifdef XEL_BENCH_HAVE_BOOST
double BoostGaussKronrod(const Integrand& iI) {
  double error = 0.0;
  return boost::math::quadrature::gauss_kronrod<double, 15>::integrate(iI.f, iI.a, iI.b, 15,
                                                                       kRelative, &error);
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
  gStatus = gsl_integration_qags(&F, iI.a, iI.b, 0.0, kRelative, 1000, workspace, &result, &error);
  return result;
}
#endif

struct Side {
  const char* name;
  double (*run)(const Integrand&);
};

std::vector<Side> Sides() {
  std::vector<Side> sides = {
      {"Xel default", XelDefault}, {"Xel adaptive", XelAdaptive}, {"Xel vector", XelVector}};
#ifdef XEL_BENCH_HAVE_BOOST
  sides.push_back({"Boost GK15", BoostGaussKronrod});
#endif
#ifdef XEL_BENCH_HAVE_GSL
  sides.push_back({"GSL qags", GslQags});
#endif
  return sides;
}

void Report() {
  const std::vector<Side> sides = Sides();
  std::printf("Requested relative accuracy %g. Per side: evaluations, then '*' when the error "
              "exceeds %g |I| (the relative error follows in brackets), and for the library and "
              "qags their status.\n%-36s",
              kRelative, kRelative, "integrand");
  for (const Side& side : sides)
    std::printf(" %21s", side.name);
  std::printf("\n");
  std::vector<long> evaluations(sides.size(), 0), within(sides.size(), 0);
  for (const Integrand& integrand : Integrands()) {
    std::printf("%-36s", integrand.name);
    for (size_t s = 0; s < sides.size(); ++s) {
      gEvaluations = 0;
      gStatus = -1;
      const double value = sides[s].run(integrand);
      const double error = std::fabs(value - integrand.exact) / std::fabs(integrand.exact);
      const bool ok = error <= kRelative;
      evaluations[s] += gEvaluations;
      within[s] += ok;
      char status[16] = "";
      if (gStatus >= 0)
        std::snprintf(status, sizeof status, "s%d", gStatus);
      std::printf(" %7ld%s[%8.1e]%3s", gEvaluations, ok ? " " : "*", error, status);
    }
    std::printf("\n");
  }
  std::printf("%-36s", "TOTAL evaluations");
  for (size_t s = 0; s < sides.size(); ++s)
    std::printf(" %21ld", evaluations[s]);
  std::printf("\n%-36s", "within tolerance (of 30)");
  for (size_t s = 0; s < sides.size(); ++s)
    std::printf(" %21ld", within[s]);
  std::printf("\n");
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
