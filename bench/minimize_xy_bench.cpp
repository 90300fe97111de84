// Two-variable minimization side by side with GSL's multimin, on functions with published
// minima over boxes: the six-hump camel (on [-3, 3] x [-2, 2], and cut to [-1, 2] x [-0.5, 1]
// so that minima lie on edges), Himmelblau, Branin, Rosenbrock, a minimum on an edge, one in
// a corner and a degenerate (quartic) bottom.
//  - the library's XelMathFunctionXY::Minimize, general search and direct method
//    ("DirectMethod");
//  - GSL's Nelder-Mead (nmsimplex2) and BFGS (vector_bfgs2) from the centres of the 12 x 12
//    cells of the box (the library's default sampling). GSL minimizes without bounds:
//    both peers work in the variables t of x = m + h sin t (m the middle, h the half-width of
//    the box), which keep every point inside the box and make the minima on its edges
//    minima of the transformed function. Results closer than the match tolerance of a kept
//    one are merged (the lower one is kept).
// Every function counts its evaluations (one per call of a point evaluation, whatever the
// derivatives asked). Before timing, each side is checked against every local minimum of
// the closed box (tests/support/minimize_xy_references.h): global and local minima found,
// missed, duplicates, spurious points; the same counts are the benchmark's counters.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#ifdef XEL_BENCH_HAVE_GSL
#include <gsl/gsl_errno.h>
#include <gsl/gsl_multimin.h>
#endif

#include "../tests/support/minimize_xy_references.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathSetOfPointsND.h"

namespace {

const double kPi = 3.14159265358979323846;
const long kGrid = 12;           // starts per direction of the peers
const long kPeerIterations = 2000;
const double kPeerSize = 1e-7;      // simplex size at which Nelder-Mead stops (in t)
const double kPeerGradient = 1e-10; // gradient norm at which BFGS stops (in t)

long gEvaluations = 0;

// Value, gradient and Hessian (f, fx, fy, fxx, fxy, fyy) at (x, y).
using Eval6 = std::function<void(double, double, double*)>;

// sum a (x - sx)^i (y - sy)^j over the terms (i, j, a), with its derivatives.
struct Term {
  int i, j;
  double a;
};
Eval6 Polynomial(std::vector<Term> terms, double sx = 0.0, double sy = 0.0) {
  return [=](double x, double y, double* o) {
    const double u = x - sx, v = y - sy;
    auto p = [](double t, int k) { return k < 0 ? 0.0 : std::pow(t, k); };
    std::fill(o, o + 6, 0.0);
    for (const Term& t : terms) {
      o[0] += t.a * p(u, t.i) * p(v, t.j);
      o[1] += t.a * t.i * p(u, t.i - 1) * p(v, t.j);
      o[2] += t.a * t.j * p(u, t.i) * p(v, t.j - 1);
      o[3] += t.a * t.i * (t.i - 1) * p(u, t.i - 2) * p(v, t.j);
      o[4] += t.a * t.i * t.j * p(u, t.i - 1) * p(v, t.j - 1);
      o[5] += t.a * t.j * (t.j - 1) * p(u, t.i) * p(v, t.j - 2);
    }
  };
}

void Branin(double x, double y, double* o) {
  const double b = 5.1 / (4 * kPi * kPi), c = 5 / kPi, s = 10 * (1 - 1 / (8 * kPi));
  const double q = y - b * x * x + c * x - 6, qx = c - 2 * b * x;
  o[0] = q * q + s * std::cos(x) + 10;
  o[1] = 2 * q * qx - s * std::sin(x);
  o[2] = 2 * q;
  o[3] = 2 * qx * qx - 4 * b * q - s * std::cos(x);
  o[4] = 2 * qx;
  o[5] = 2;
}

struct Problem {
  const char* name;
  Eval6 f;
  double box[4]; // x low, x high, y low, y high
  std::vector<std::array<double, 3>> minima; // every local minimum of the box (x, y, f)
  double near;                               // match tolerance (max norm)
};

template <std::size_t N> std::vector<std::array<double, 3>> Table(const double (&t)[N][3]) {
  std::vector<std::array<double, 3>> r;
  for (const auto& m : t)
    r.push_back({m[0], m[1], m[2]});
  return r;
}

const std::vector<Problem>& Problems() {
  static const std::vector<Problem> problems = [] {
    const Eval6 camel =
        Polynomial({{2, 0, 4}, {4, 0, -2.1}, {6, 0, 1.0 / 3}, {1, 1, 1}, {0, 2, -4}, {0, 4, 4}});
    return std::vector<Problem>{
        {"camel", camel, {-3, 3, -2, 2}, Table(xelminima::kCamel), 1e-6},
        {"camel cut", camel, {-1, 2, -0.5, 1}, Table(xelminima::kCamelCut), 1e-6},
        {"Himmelblau",
         Polynomial({{4, 0, 1}, {2, 1, 2}, {2, 0, -21}, {1, 2, 2}, {1, 0, -14}, {0, 4, 1},
                     {0, 2, -13}, {0, 1, -22}, {0, 0, 170}}),
         {-5, 5, -5, 5}, Table(xelminima::kHimmelblau), 1e-6},
        {"Branin", Branin, {-5, 10, 0, 15}, Table(xelminima::kBranin), 1e-6},
        {"Rosenbrock",
         Polynomial({{0, 0, 1}, {1, 0, -2}, {2, 0, 1}, {0, 2, 100}, {2, 1, -200}, {4, 0, 100}}),
         {-2, 2, -1, 3}, Table(xelminima::kRosenbrock), 1e-5},
        {"edge", Polynomial({{2, 0, 1}, {0, 2, 1}}, 0.3, -0.5), {0, 1, 0, 1}, {{{0.3, 0, 0.25}}},
         1e-6},
        {"corner", Polynomial({{2, 0, 1}, {0, 2, 1}}, 1.5, -0.5), {0, 1, 0, 1}, {{{1, 0, 0.5}}},
         1e-6},
        {"flat quartic", Polynomial({{4, 0, 1}, {0, 4, 1}}, 0.2, -0.1), {-1, 1, -1, 1},
         {{{0.2, -0.1, 0}}}, 4e-3},
    };
  }();
  return problems;
}

// The library's view of a problem: exact derivatives to the second order, every point
// evaluation counted once.
class CountingXY : public XelMathFunctionXY {
public:
  explicit CountingXY(const Eval6& iF) : _f(iF) {}
  const char* IsA() const override { return "CountingXY"; }
  unsigned char IsOption(const long o) const override { return (o & ~6L) == 0; }
  XelMathFunctionXY* Duplicate() const override { return new CountingXY(_f); }
  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& x, const double& y) const override { return At(x, y, 0); }
  double EvalFirstDerivX(const double& x, const double& y) const override { return At(x, y, 1); }
  double EvalFirstDerivY(const double& x, const double& y) const override { return At(x, y, 2); }
  double EvalSecondDerivX2(const double& x, const double& y) const override {
    return At(x, y, 3);
  }
  double EvalSecondDerivXY(const double& x, const double& y) const override {
    return At(x, y, 4);
  }
  double EvalSecondDerivY2(const double& x, const double& y) const override {
    return At(x, y, 5);
  }
  void Eval(const double& x, const double& y, const long m, double* f, double* fx, double* fy,
            double* fxx, double* fxy, double* fyy) const override {
    double o[6];
    ++gEvaluations;
    _f(x, y, o);
    double* out[6] = {f, fx, fy, fxx, fxy, fyy};
    const long bits[6] = {1, 2, 2, 4, 4, 4};
    for (int k = 0; k < 6; ++k)
      if ((m & bits[k]) && out[k])
        *out[k] = o[k];
  }

private:
  double At(double x, double y, int k) const {
    double o[6];
    ++gEvaluations;
    _f(x, y, o);
    return o[k];
  }
  Eval6 _f;
};

using Points = std::vector<std::array<double, 2>>;

Points RunLibrary(const Problem& p, bool iDirect) {
  CountingXY f(p.f);
  XelMathSetOfPointsND found(2);
  XelMathAttrString direct("DirectMethod", 1);
  XelMathAttrList list;
  if (iDirect)
    list.AddAttribute(&direct);
  f.Minimize(XelMathInterval2D(p.box[0], p.box[1], p.box[2], p.box[3]), found, &list);
  Points r;
  for (long k = 0; k < found.GetNumberOfPoints(); ++k) {
    double q[2];
    found.GetPoint(k, q);
    r.push_back({q[0], q[1]});
  }
  return r;
}

#ifdef XEL_BENCH_HAVE_GSL
// The peers minimize F(t) = f(x(t)) over the whole plane, with x(t) = m + h sin t per variable
// (m the middle, h the half-width of the box): x(t) never leaves the box, and a point of an
// edge where f grows into the box is a minimum of F (where dF/dt = fx h cos t vanishes).
void Transformed(const Problem& p, const gsl_vector* t, double* f, gsl_vector* g) {
  ++gEvaluations;
  double x[2], dx[2], o[6];
  for (int k = 0; k < 2; ++k) {
    const double m = 0.5 * (p.box[2 * k] + p.box[2 * k + 1]);
    const double h = 0.5 * (p.box[2 * k + 1] - p.box[2 * k]);
    x[k] = std::min(std::max(m + h * std::sin(gsl_vector_get(t, k)), p.box[2 * k]),
                    p.box[2 * k + 1]);
    dx[k] = h * std::cos(gsl_vector_get(t, k));
  }
  p.f(x[0], x[1], o);
  if (f)
    *f = o[0];
  if (g)
    for (int k = 0; k < 2; ++k)
      gsl_vector_set(g, k, o[1 + k] * dx[k]);
}
double GslF(const gsl_vector* v, void* p) {
  double f = 0.0;
  Transformed(*static_cast<const Problem*>(p), v, &f, nullptr);
  return f;
}
void GslDF(const gsl_vector* v, void* p, gsl_vector* g) {
  Transformed(*static_cast<const Problem*>(p), v, nullptr, g);
}
void GslFDF(const gsl_vector* v, void* p, double* f, gsl_vector* g) {
  Transformed(*static_cast<const Problem*>(p), v, f, g);
}

// The merged results of one peer run from the centres of the kGrid x kGrid cells of the box.
Points RunGsl(const Problem& p, bool iSimplex) {
  const double step0 = 0.5 * kPi / kGrid; // half a cell, in t
  gsl_vector* x = gsl_vector_alloc(2);
  gsl_vector* step = gsl_vector_alloc(2);
  gsl_vector_set_all(step, step0);
  gsl_multimin_fminimizer* nm =
      iSimplex ? gsl_multimin_fminimizer_alloc(gsl_multimin_fminimizer_nmsimplex2, 2) : nullptr;
  gsl_multimin_fdfminimizer* bfgs =
      iSimplex ? nullptr : gsl_multimin_fdfminimizer_alloc(gsl_multimin_fdfminimizer_vector_bfgs2, 2);
  gsl_multimin_function fn = {&GslF, 2, const_cast<Problem*>(&p)};
  gsl_multimin_function_fdf fdf = {&GslF, &GslDF, &GslFDF, 2, const_cast<Problem*>(&p)};
  std::vector<std::array<double, 3>> kept; // x, y, f
  for (long a = 0; a < kGrid; ++a)
    for (long b = 0; b < kGrid; ++b) {
      gsl_vector_set(x, 0, std::asin(2.0 * (a + 0.5) / kGrid - 1.0));
      gsl_vector_set(x, 1, std::asin(2.0 * (b + 0.5) / kGrid - 1.0));
      const gsl_vector* end = nullptr;
      if (iSimplex) {
        gsl_multimin_fminimizer_set(nm, &fn, x, step);
        for (long it = 0; it < kPeerIterations; ++it)
          if (gsl_multimin_fminimizer_iterate(nm) != GSL_SUCCESS ||
              gsl_multimin_test_size(gsl_multimin_fminimizer_size(nm), kPeerSize) == GSL_SUCCESS)
            break;
        end = gsl_multimin_fminimizer_x(nm);
      } else {
        gsl_multimin_fdfminimizer_set(bfgs, &fdf, x, step0, 0.1);
        for (long it = 0; it < kPeerIterations; ++it)
          if (gsl_multimin_fdfminimizer_iterate(bfgs) != GSL_SUCCESS ||
              gsl_multimin_test_gradient(gsl_multimin_fdfminimizer_gradient(bfgs), kPeerGradient) ==
                  GSL_SUCCESS)
            break;
        end = gsl_multimin_fdfminimizer_x(bfgs);
      }
      double q[2], o[6];
      for (int k = 0; k < 2; ++k)
        q[k] = std::min(std::max(0.5 * (p.box[2 * k] + p.box[2 * k + 1]) +
                                     0.5 * (p.box[2 * k + 1] - p.box[2 * k]) *
                                         std::sin(gsl_vector_get(end, k)),
                                 p.box[2 * k]),
                        p.box[2 * k + 1]);
      p.f(q[0], q[1], o);
      if (!std::isfinite(o[0]))
        continue;
      bool merged = false;
      for (auto& m : kept)
        if (std::fabs(m[0] - q[0]) <= p.near && std::fabs(m[1] - q[1]) <= p.near) {
          if (o[0] < m[2])
            m = {q[0], q[1], o[0]};
          merged = true;
          break;
        }
      if (!merged)
        kept.push_back({q[0], q[1], o[0]});
    }
  if (nm)
    gsl_multimin_fminimizer_free(nm);
  if (bfgs)
    gsl_multimin_fdfminimizer_free(bfgs);
  gsl_vector_free(step);
  gsl_vector_free(x);
  Points r;
  for (const auto& m : kept)
    r.push_back({m[0], m[1]});
  return r;
}
#endif

// The methods compared.
struct Method {
  const char* name;
  std::function<Points(const Problem&)> run;
};
std::vector<Method> Methods() {
  std::vector<Method> m = {{"library", [](const Problem& p) { return RunLibrary(p, false); }}};
  m.push_back({"library direct", [](const Problem& p) { return RunLibrary(p, true); }});
#ifdef XEL_BENCH_HAVE_GSL
  m.push_back({"GSL nmsimplex2", [](const Problem& p) { return RunGsl(p, true); }});
  m.push_back({"GSL vector_bfgs2", [](const Problem& p) { return RunGsl(p, false); }});
#endif
  return m;
}

struct Score {
  long global = 0, globals = 0, local = 0, locals = 0, duplicate = 0, spurious = 0;
  long evaluations = 0;
};

Score Check(const Problem& p, const Method& m) {
  gEvaluations = 0;
  const Points found = m.run(p);
  Score s;
  s.evaluations = gEvaluations;
  std::vector<long> hits(p.minima.size(), 0);
  for (const auto& q : found) {
    bool any = false;
    for (std::size_t k = 0; k < p.minima.size(); ++k)
      if (std::fabs(q[0] - p.minima[k][0]) <= p.near && std::fabs(q[1] - p.minima[k][1]) <= p.near) {
        ++hits[k];
        any = true;
        break;
      }
    s.spurious += !any;
  }
  const double best = p.minima[0][2];
  for (std::size_t k = 0; k < p.minima.size(); ++k) {
    const bool global = std::fabs(p.minima[k][2] - best) <= 1e-12 * (1 + std::fabs(best));
    (global ? s.globals : s.locals) += 1;
    (global ? s.global : s.local) += hits[k] > 0;
    s.duplicate += hits[k] > 1 ? hits[k] - 1 : 0;
  }
  return s;
}

void Run(benchmark::State& state, const Problem* p, const Method* m) {
  for (auto _ : state)
    benchmark::DoNotOptimize(m->run(*p));
  const Score s = Check(*p, *m);
  state.counters["global"] = double(s.global);
  state.counters["global_missed"] = double(s.globals - s.global);
  state.counters["local"] = double(s.local);
  state.counters["local_missed"] = double(s.locals - s.local);
  state.counters["duplicate"] = double(s.duplicate);
  state.counters["spurious"] = double(s.spurious);
  state.counters["evaluations"] = double(s.evaluations);
}

} // namespace

int main(int argc, char** argv) {
#ifdef XEL_BENCH_HAVE_GSL
  gsl_set_error_handler_off();
#endif
  static const std::vector<Method> methods = Methods();
  std::printf("Minima of two-variable functions over boxes (peers from a %ld x %ld grid of starts)\n",
              kGrid, kGrid);
  std::printf("%-14s %-18s %8s %8s %9s %8s %11s\n", "function", "method", "global", "local",
              "duplicate", "spurious", "evaluations");
  for (const Problem& p : Problems())
    for (const Method& m : methods) {
      const Score s = Check(p, m);
      std::printf("%-14s %-18s %4ld/%-3ld %4ld/%-3ld %9ld %8ld %11ld\n", p.name, m.name, s.global,
                  s.globals, s.local, s.locals, s.duplicate, s.spurious, s.evaluations);
    }
  for (const Problem& p : Problems())
    for (const Method& m : methods)
      benchmark::RegisterBenchmark((std::string(p.name) + "/" + m.name).c_str(), Run, &p, &m);
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
