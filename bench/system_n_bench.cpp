// Every real solution of a published polynomial system of N equations in a box, side by side
// with peers on the same equations and exact Jacobians:
//  - the library's N-variable solver (XelMathSystem::Solve), labelled "Xel" with its default
//    sampling (up to 7 unknowns, equation 0 alone on a grid of 6 nodes a side, the other
//    equations at the corners of the cells it keeps; above, as with the option below) and
//    "XelWhole" with "WholeSystemSampling" (the whole
//    system at every node of a default grid of at most 1000 nodes); the table adds the option
//    with the smallest "SamplingPoints" count that finds every solution, chosen as the peers'
//    grids are;
//  - a multi-start Newton written here, each step solved by Eigen's partial-pivoting LU, from
//    the centres of the n^N cells of a regular grid over the box, kept when it converges
//    inside the box with a small residual, duplicates merged;
//  - Open CASCADE's math_FunctionSetRoot started from the same grid, bounded by the box, kept
//    when converged with a small residual, duplicates merged.
// For the multi-start sides, n is the smallest grid (of 2 to 12 points a side, at most 300000
// starts) with which the side finds as many of the reference solutions as it ever finds. The
// reference solutions (tests/support/system_n_references.h) were computed outside the library
// by exact root isolation and 50-digit arithmetic. A table of solutions found, missed,
// duplicated and spurious, with the time of each side divided by the library's, is printed
// before the timed runs.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#ifdef XEL_BENCH_HAVE_EIGEN
#include <Eigen/Dense>
#endif
#ifdef XEL_BENCH_HAVE_OCCT
#include <math_FunctionSetRoot.hxx>
#include <math_FunctionSetWithDerivatives.hxx>
#include <math_Matrix.hxx>
#include <math_Vector.hxx>
#endif

#include "../tests/support/system_n_problems.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathIntervalND.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSystem.h"
#include "XelTolerance.h"

namespace {

using xelsystemsn::Problem;
using Point = std::vector<double>;
using Points = std::vector<Point>;

const double kMatch = 1e-7; // matching tolerance per coordinate, relative to the box widths

class ProblemSystem : public XelMathSystem {
public:
  explicit ProblemSystem(const Problem& p) : XelMathSystem(p.n, XelGetDefaultTolerance()), _p(p) {}
  using XelMathSystem::Eval;
  void Eval(const double* x, double* oF) const override { _p.f(x, oF); }
  void EvalJacobian(const double* x, double* oJ) const override { _p.jac(x, oJ); }

private:
  const Problem& _p;
};

Points XelSolve(const Problem& p, const bool iWholeSystem = false, const long iSampling = 0) {
  ProblemSystem system(p);
  XelMathSetOfPointsND out(p.n);
  XelMathAttrString whole(AttrSystemWholeSystemSampling, 1);
  XelMathAttrIntegerValue sampling(AttrSystemSamplingPoints, iSampling, 1);
  XelMathAttrList attrs;
  if (iWholeSystem)
    attrs.AddAttribute(&whole);
  if (iSampling > 0)
    attrs.AddAttribute(&sampling);
  system.Solve(XelMathIntervalND(p.n, p.box.data()), out, &attrs);
  Points pts;
  for (long i = 0; i < out.GetNumberOfPoints(); ++i)
    pts.emplace_back(out.GetPoints() + i * p.n, out.GetPoints() + (i + 1) * p.n);
  return pts;
}

bool Near(const Problem& p, const Point& a, const Point& b) {
  for (long k = 0; k < p.n; ++k)
    if (std::fabs(a[k] - b[k]) > kMatch * (p.box[2 * k + 1] - p.box[2 * k]))
      return false;
  return true;
}

bool Inside(const Problem& p, const Point& x) {
  for (long k = 0; k < p.n; ++k) {
    const double e = 1e-9 * (p.box[2 * k + 1] - p.box[2 * k]);
    if (!(x[k] >= p.box[2 * k] - e && x[k] <= p.box[2 * k + 1] + e))
      return false;
  }
  return true;
}

double Residual(const Problem& p, const Point& x) {
  Point f(p.n);
  p.f(x.data(), f.data());
  double r = 0;
  for (double v : f)
    r += std::fabs(v);
  return r;
}

// Appends x when it is a solution inside the box not yet kept.
void Merge(const Problem& p, Points& ioPoints, const Point& x) {
  if (!Inside(p, x) || !(Residual(p, x) <= 1e-9))
    return;
  for (const Point& q : ioPoints)
    if (Near(p, q, x))
      return;
  ioPoints.push_back(x);
}

long Starts(long n, long N) {
  long s = 1;
  for (long k = 0; k < N; ++k)
    s *= n;
  return s;
}

template <class Start> void ForEachStart(const Problem& p, long n, Start iStart) {
  std::vector<long> idx(p.n, 0);
  Point x(p.n);
  for (long s = 0, total = Starts(n, p.n); s < total; ++s) {
    for (long k = 0; k < p.n; ++k)
      x[k] = p.box[2 * k] + (p.box[2 * k + 1] - p.box[2 * k]) * (idx[k] + 0.5) / n;
    iStart(x);
    for (long k = p.n - 1; k >= 0; --k) {
      if (++idx[k] < n)
        break;
      idx[k] = 0;
    }
  }
}

#ifdef XEL_BENCH_HAVE_EIGEN
Points NewtonSolve(const Problem& p, long n) {
  Points found;
  Eigen::MatrixXd J(p.n, p.n);
  Eigen::VectorXd f(p.n), dx(p.n);
  Eigen::PartialPivLU<Eigen::MatrixXd> lu(p.n);
  // The callbacks fill row-major arrays: J is read through a row-major map.
  std::vector<double> jr(static_cast<std::size_t>(p.n * p.n));
  ForEachStart(p, n, [&](Point x) {
    for (int it = 0; it < 50; ++it) {
      p.f(x.data(), f.data());
      p.jac(x.data(), jr.data());
      J = Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(
          jr.data(), p.n, p.n);
      lu.compute(J);
      dx = lu.solve(f);
      if (!dx.allFinite())
        return;
      double step = 0;
      for (long k = 0; k < p.n; ++k) {
        x[k] -= dx[k];
        step = std::max(step, std::fabs(dx[k]) / (p.box[2 * k + 1] - p.box[2 * k]));
      }
      if (!Inside(p, x) && it > 3)
        return;
      if (step <= 1e-14)
        break;
    }
    Merge(p, found, x);
  });
  return found;
}
#endif

#ifdef XEL_BENCH_HAVE_OCCT
class OcctSystem : public math_FunctionSetWithDerivatives {
public:
  explicit OcctSystem(const Problem& p) : _p(p), _x(p.n), _f(p.n), _j(p.n * p.n) {}
  Standard_Integer NbVariables() const override { return static_cast<Standard_Integer>(_p.n); }
  Standard_Integer NbEquations() const override { return static_cast<Standard_Integer>(_p.n); }
  Standard_Boolean Value(const math_Vector& X, math_Vector& F) override {
    Load(X);
    _p.f(_x.data(), _f.data());
    for (long i = 0; i < _p.n; ++i)
      F(F.Lower() + i) = _f[i];
    return Standard_True;
  }
  Standard_Boolean Derivatives(const math_Vector& X, math_Matrix& D) override {
    math_Vector F(1, static_cast<Standard_Integer>(_p.n));
    return Values(X, F, D);
  }
  Standard_Boolean Values(const math_Vector& X, math_Vector& F, math_Matrix& D) override {
    Value(X, F);
    _p.jac(_x.data(), _j.data());
    for (long i = 0; i < _p.n; ++i)
      for (long j = 0; j < _p.n; ++j)
        D(D.LowerRow() + i, D.LowerCol() + j) = _j[i * _p.n + j];
    return Standard_True;
  }

private:
  void Load(const math_Vector& X) {
    for (long k = 0; k < _p.n; ++k)
      _x[k] = X(X.Lower() + k);
  }
  const Problem& _p;
  Point _x, _f, _j;
};

Points OcctSolve(const Problem& p, long n) {
  OcctSystem sys(p);
  const Standard_Integer N = static_cast<Standard_Integer>(p.n);
  math_Vector tol(1, N), inf(1, N), sup(1, N), start(1, N);
  for (Standard_Integer k = 1; k <= N; ++k) {
    tol(k) = 1e-12 * (p.box[2 * k - 1] - p.box[2 * k - 2]);
    inf(k) = p.box[2 * k - 2], sup(k) = p.box[2 * k - 1];
  }
  math_FunctionSetRoot root(sys, tol, 100);
  Points found;
  ForEachStart(p, n, [&](const Point& x) {
    for (Standard_Integer k = 1; k <= N; ++k)
      start(k) = x[k - 1];
    root.Perform(sys, start, inf, sup);
    if (!root.IsDone())
      return;
    Point r(p.n);
    for (Standard_Integer k = 1; k <= N; ++k)
      r[k - 1] = root.Root()(k);
    Merge(p, found, r);
  });
  return found;
}
#endif

struct Score {
  long found = 0, missed = 0, duplicated = 0, spurious = 0;
};

Score Compare(const Problem& p, const Points& iFound) {
  Score r;
  r.found = static_cast<long>(iFound.size());
  for (const Point& t : p.truth) {
    long hits = 0;
    for (const Point& x : iFound)
      hits += Near(p, x, t);
    r.missed += hits == 0;
    r.duplicated += hits > 1 ? hits - 1 : 0;
  }
  for (const Point& x : iFound) {
    bool known = false;
    for (const Point& t : p.truth)
      known = known || Near(p, x, t);
    r.spurious += !known;
  }
  return r;
}

// Mean seconds per call over at least 2 calls and 0.05 s.
template <class Call> double TimeOf(Call iCall) {
  using Clock = std::chrono::steady_clock;
  long calls = 0;
  const auto t0 = Clock::now();
  double elapsed = 0;
  while (calls < 2 || elapsed < 0.05) {
    benchmark::DoNotOptimize(iCall());
    ++calls;
    elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
  }
  return elapsed / static_cast<double>(calls);
}

const long kGrids[] = {2, 3, 4, 5, 6, 8, 10, 12};
const long kMaxStarts = 300000;

// The smallest grid with which iSolve finds as many reference solutions as with any grid.
template <class Solve> long BestGrid(const Problem& p, Solve iSolve) {
  long best = kGrids[0], bestFound = -1;
  for (long n : kGrids) {
    if (Starts(n, p.n) > kMaxStarts)
      break;
    const Score sc = Compare(p, iSolve(p, n));
    const long matched = static_cast<long>(p.truth.size()) - sc.missed;
    if (matched > bestFound)
      bestFound = matched, best = n;
    if (matched == static_cast<long>(p.truth.size()))
      break;
  }
  return best;
}

void PrintSide(const Score& sc, long n, double ratio) {
  if (n > 0)
    std::printf(" | %2ld %3ld %3ld %3ld %3ld %8.2f", n, sc.found, sc.missed, sc.duplicated,
                sc.spurious, ratio);
  else
    std::printf(" | %3ld %3ld %3ld %3ld %9.3f", sc.found, sc.missed, sc.duplicated, sc.spurious,
                ratio);
}

std::vector<Problem> gProblems;

} // namespace

int main(int argc, char** argv) {
  gProblems = xelsystemsn::Problems();
  std::printf("Every real solution of a polynomial system in a box. Columns: solutions found, "
              "missed,\nfound twice (dup), spurious; Xel time in ms per solve (default sampling); XW: "
              "with\n\"WholeSystemSampling\", its time divided by Xel's; XS: the same with the smallest "
              "\"SamplingPoints\" n\nthat finds as many; for the multi-start sides the grid n (n^N "
              "starts); ratios are times\ndivided by Xel's.\n\n");
  std::printf("%-26s %2s %4s | %3s %3s %3s %3s %9s | %3s %3s %3s %3s %9s", "system", "N", "true",
              "Xel", "mis", "dup", "spu", "ms", "XW", "mis", "dup", "spu", "W/Xel");
  std::printf(" | %2s %3s %3s %3s %3s %8s", "n", "XS", "mis", "dup", "spu", "ratio");
#ifdef XEL_BENCH_HAVE_EIGEN
  std::printf(" | %2s %3s %3s %3s %3s %8s", "n", "Nwt", "mis", "dup", "spu", "ratio");
#endif
#ifdef XEL_BENCH_HAVE_OCCT
  std::printf(" | %2s %3s %3s %3s %3s %8s", "n", "OCC", "mis", "dup", "spu", "ratio");
#endif
  std::printf("\n");
  for (const Problem& p : gProblems) {
    std::printf("%-26s %2ld %4zu", p.name.c_str(), p.n, p.truth.size());
    std::fflush(stdout);
    const double tx = TimeOf([&] { return XelSolve(p); });
    PrintSide(Compare(p, XelSolve(p)), 0, 1e3 * tx);
    std::fflush(stdout);
    benchmark::RegisterBenchmark(("Xel/" + p.name).c_str(), [&p](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(XelSolve(p));
    })->Unit(benchmark::kMillisecond);
    const double tw = TimeOf([&] { return XelSolve(p, true); });
    PrintSide(Compare(p, XelSolve(p, true)), 0, tw / tx);
    std::fflush(stdout);
    const long ns = BestGrid(p, [](const Problem& q, long n) { return XelSolve(q, true, n); });
    PrintSide(Compare(p, XelSolve(p, true, ns)), ns,
              TimeOf([&] { return XelSolve(p, true, ns); }) / tx);
    std::fflush(stdout);
    benchmark::RegisterBenchmark(("XelWhole/" + p.name).c_str(), [&p](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(XelSolve(p, true));
    })->Unit(benchmark::kMillisecond);
#ifdef XEL_BENCH_HAVE_EIGEN
    const long nn = BestGrid(p, NewtonSolve);
    PrintSide(Compare(p, NewtonSolve(p, nn)), nn, TimeOf([&] { return NewtonSolve(p, nn); }) / tx);
    std::fflush(stdout);
    benchmark::RegisterBenchmark(("NewtonEigenLU/" + p.name).c_str(), [&p,
                                                                       nn](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(NewtonSolve(p, nn));
    })->Unit(benchmark::kMillisecond);
#endif
#ifdef XEL_BENCH_HAVE_OCCT
    const long no = BestGrid(p, OcctSolve);
    PrintSide(Compare(p, OcctSolve(p, no)), no, TimeOf([&] { return OcctSolve(p, no); }) / tx);
    benchmark::RegisterBenchmark(("Occt/" + p.name).c_str(), [&p, no](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(OcctSolve(p, no));
    })->Unit(benchmark::kMillisecond);
#endif
    std::printf("\n");
    std::fflush(stdout);
  }
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
