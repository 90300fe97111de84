// Every solution of a system of two equations in a box, side by side with peers on the same
// function objects:
//  - the library's system solver (XelMathSystemXYc::Solve, one call per box), with its default
//    sampling and again with the smallest first grid the caller can choose ("DiscretizationMethod"
//    with "SamplingPointsX/Y" = n) that finds as many solutions as any grid, as the peers' n is
//    chosen below;
//  - a plain multi-start Newton written here: Newton's method from the centres of an n x n
//    grid of cells, kept when it converges inside the box, duplicates merged;
//  - Open CASCADE's math_FunctionSetRoot started from the same n x n grid, bounded by the box,
//    kept when converged with a small residual, duplicates merged.
// For the multi-start sides, n is the smallest grid (of 2 to 64 points a side) with which the
// side finds as many of the reference solutions as it ever finds. Reference solutions come
// from closed forms or from the tables computed outside the library in 50-digit arithmetic.
// A table of solutions found, missed, duplicated and spurious, with the time of each side
// divided by the library's, is printed before the timed runs.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#ifdef XEL_BENCH_HAVE_OCCT
#include <math_FunctionSetRoot.hxx>
#include <math_FunctionSetWithDerivatives.hxx>
#include <math_Matrix.hxx>
#include <math_Vector.hxx>
#endif

#include "../tests/support/system_xy_references.h"
#include "XelMathAttrIntegerValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathAttrString.h"
#include "XelMathFunctionXY.h"
#include "XelMathInterval2D.h"
#include "XelMathPolynomXY.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSumXYs.h"
#include "XelMathSystemXYc.h"
#include "XelMathTrigonometricX.h"
#include "XelTolerance.h"

namespace {

const double kPi = 3.14159265358979323846;

struct Pt {
  double x, y;
};
using Points = std::vector<Pt>;

struct Mono {
  long i, j;
  double c;
};
using Monos = std::vector<Mono>;

std::unique_ptr<XelMathPolynomXY> PolyXY(const Monos& m, double sx = 0, double sy = 0) {
  long dx = 0, dy = 0;
  for (const Mono& t : m)
    dx = std::max(dx, t.i), dy = std::max(dy, t.j);
  std::vector<double> a(static_cast<std::size_t>((dx + 1) * (dy + 1)), 0.0);
  for (const Mono& t : m)
    a[static_cast<std::size_t>(t.i * (dy + 1) + t.j)] += t.c;
  return std::make_unique<XelMathPolynomXY>(dx, dy, a.data(), sx, sy);
}

template <std::size_t N> Points Pts(const double (&a)[N][2]) {
  Points v;
  for (const auto& p : a)
    v.push_back({p[0], p[1]});
  return v;
}

struct System {
  std::string name;
  double box[4]; // x0, x1, y0, y1
  Points truth;
  double tol; // matching tolerance per coordinate, relative to the box widths
  std::vector<std::unique_ptr<XelMathFunctionX>> parts;
  std::unique_ptr<XelMathFunctionXY> f, g;
  double TolX() const { return tol * (box[1] - box[0]); }
  double TolY() const { return tol * (box[3] - box[2]); }
};

std::vector<std::unique_ptr<System>> gSystems;

System& AddSystem(const std::string& iName, std::initializer_list<double> iBox, Points iTruth,
                  double iTol, std::unique_ptr<XelMathFunctionXY> iF,
                  std::unique_ptr<XelMathFunctionXY> iG) {
  auto s = std::make_unique<System>();
  s->name = iName;
  std::copy(iBox.begin(), iBox.end(), s->box);
  s->truth = std::move(iTruth);
  s->tol = iTol;
  s->f = std::move(iF);
  s->g = std::move(iG);
  gSystems.push_back(std::move(s));
  return *gSystems.back();
}

void BuildSystems() {
  using namespace xelsystems;
  AddSystem("Chebyshev grid", {-1.1, 1.05, -1.02, 1.1}, Pts(kChebyshev49), 1e-7,
            PolyXY({{7, 0, 64}, {5, 0, -112}, {3, 0, 56}, {1, 0, -7}, {0, 1, 0.1}}),
            PolyXY({{0, 7, 64}, {0, 5, -112}, {0, 3, 56}, {0, 1, -7}, {1, 0, -0.1}}));
  {
    const XelTolerance& t = XelGetDefaultTolerance();
    auto w = [&](double a, double b, double k) {
      return std::make_unique<XelMathTrigonometricX>(a, b, 0.0, k, t);
    };
    auto s6x = w(0, 1, 6), s5y = w(0, 0.3, 5), c5x = w(0.3, 0, 5), s6y = w(0, 1, 6);
    System& s = AddSystem("sine waves", {0.2, 3.9, -0.3, 2.95}, Pts(kSines42), 1e-7,
                          std::make_unique<XelMathSumXYs>(s6x.get(), s5y.get()),
                          std::make_unique<XelMathSumXYs>(c5x.get(), s6y.get()));
    for (auto* p : {&s6x, &s5y, &c5x, &s6y})
      s.parts.push_back(std::move(*p));
  }
  const Monos circle = {{2, 0, 1.0}, {0, 2, 1.0}, {0, 0, -0.64}};
  const Monos quartic = {{4, 0, 1.0}, {0, 4, 1.0}, {1, 1, 0.1}, {0, 0, -0.3}};
  AddSystem("circle and quartic", {-1, 1, -1, 1}, Pts(kCircleQuartic), 1e-7,
            PolyXY(circle, 0.1, -0.05), PolyXY(quartic));
  {
    auto f = PolyXY(circle, 0.1, -0.05), g = PolyXY(quartic);
    f->ApplyScalingOnVariables(1e-3, 1e3);
    g->ApplyScalingOnVariables(1e-3, 1e3);
    Points truth;
    for (const Pt& p : Pts(kCircleQuartic))
      truth.push_back({1e3 * p.x, 1e-3 * p.y});
    AddSystem("the same, x 1e3, y 1e-3", {-1e3, 1e3, -1e-3, 1e-3}, truth, 1e-7, std::move(f),
              std::move(g));
  }
  {
    const double r = 1e-4, c = std::sqrt(r * r - 2.5e-9);
    const Monos m = {{2, 0, 1 / r}, {0, 2, 1 / r}, {0, 0, -r}};
    AddSystem("circles crossing 1e-4 apart", {0, 1, 0, 1}, {{0.3, 0.6 - 5e-5}, {0.3, 0.6 + 5e-5}},
              1e-7, PolyXY(m, 0.3 - c, 0.6), PolyXY(m, 0.3 + c, 0.6));
  }
  AddSystem("line tangent to a circle", {-0.5, 1, -0.5, 1}, {{0.25, 0.625}}, 1e-4,
            PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -0.25}}, 0.25, 0.125),
            PolyXY({{0, 1, 1}, {0, 0, -0.625}}));
  AddSystem("circle through 4 corners", {0, 11, 0, 11}, {{0, 0}, {11, 11}}, 1e-7,
            PolyXY({{2, 0, 1}, {0, 2, 1}, {0, 0, -60.5}}, 5.5, 5.5),
            PolyXY({{1, 0, 1}, {0, 1, -1}}));
  AddSystem("grid nodes and top edge", {0, 11, 0, 11}, {{2, 3}, {7, 3}, {2, 11}, {7, 11}}, 1e-7,
            PolyXY({{2, 0, 1}, {1, 0, -9}, {0, 0, 14}}),
            PolyXY({{0, 2, 1}, {0, 1, -14}, {0, 0, 33}}));
  AddSystem("line through a node", {-1.2, 0.7, -0.8, 0.9}, {{0, 0}, {-0.91, -0.273}}, 1e-4,
            PolyXY({{0, 2, 1}, {3, 0, -1}, {2, 0, -1}}), PolyXY({{0, 1, 1}, {1, 0, -0.3}}));
  {
    const double t11[] = {0, -11, 0, 220, 0, -1232, 0, 2816, 0, -2816, 0, 1024};
    Monos fx, gy;
    for (long k = 0; k <= 11; ++k)
      fx.push_back({k, 0, t11[k]}), gy.push_back({0, k, t11[k]});
    Points truth;
    for (int k = 1; k <= 11; ++k)
      for (int l = 1; l <= 5; ++l)
        truth.push_back({std::cos((2 * k - 1) * kPi / 22), std::cos((2 * l - 1) * kPi / 22)});
    AddSystem("T11(x), T11(y)", {-1.03, 1.01, 0.05, 1.04}, truth, 1e-7, PolyXY(fx), PolyXY(gy));
  }
  const Monos quarter = {{2, 0, 1}, {0, 2, 1}, {0, 0, -0.0625}};
  AddSystem("circles 1e-6 apart (none)", {0, 1, 0, 1}, {}, 1e-7, PolyXY(quarter, 0.25, 0.5),
            PolyXY(quarter, 0.750001, 0.5));
}

// ---- the three sides ---------------------------------------------------------------------------

// n = 0: the default sampling; otherwise an n x n first grid chosen by the caller.
Points XelSolve(const System& s, int n = 0) {
  XelMathSystemXYc system(s.f.get(), s.g.get(), XelGetDefaultTolerance());
  XelMathSetOfPointsND out(2);
  XelMathAttrString grid(AttrFunctionXDiscretizationMethod, 1);
  XelMathAttrIntegerValue nx("SamplingPointsX", n, 1), ny("SamplingPointsY", n, 1);
  XelMathAttrList attrs;
  attrs.AddAttribute(&grid);
  attrs.AddAttribute(&nx);
  attrs.AddAttribute(&ny);
  system.Solve(XelMathInterval2D(s.box[0], s.box[1], s.box[2], s.box[3]), out,
               n > 0 ? &attrs : nullptr);
  Points p;
  for (long i = 0; i < out.GetNumberOfPoints(); ++i)
    p.push_back({out.GetPoints()[2 * i], out.GetPoints()[2 * i + 1]});
  return p;
}

bool Inside(const System& s, double x, double y) {
  const double ex = 1e-9 * (s.box[1] - s.box[0]), ey = 1e-9 * (s.box[3] - s.box[2]);
  return x >= s.box[0] - ex && x <= s.box[1] + ex && y >= s.box[2] - ey && y <= s.box[3] + ey;
}

// Appends p unless a kept point lies within the matching tolerance.
void Merge(const System& s, Points& ioPoints, const Pt& p) {
  for (const Pt& q : ioPoints)
    if (std::fabs(q.x - p.x) <= s.TolX() && std::fabs(q.y - p.y) <= s.TolY())
      return;
  ioPoints.push_back(p);
}

template <class Start> void ForEachStart(const System& s, int n, Start iStart) {
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j)
      iStart(s.box[0] + (s.box[1] - s.box[0]) * (i + 0.5) / n,
             s.box[2] + (s.box[3] - s.box[2]) * (j + 0.5) / n);
}

Points NewtonSolve(const System& s, int n) {
  Points found;
  ForEachStart(s, n, [&](double x, double y) {
    for (int it = 0; it < 50; ++it) {
      double f, fx, fy, g, gx, gy;
      s.f->Eval(x, y, 3, &f, &fx, &fy, nullptr, nullptr, nullptr);
      s.g->Eval(x, y, 3, &g, &gx, &gy, nullptr, nullptr, nullptr);
      const double det = fx * gy - fy * gx;
      if (!std::isfinite(det) || det == 0.0)
        return;
      const double dx = (f * gy - fy * g) / det, dy = (fx * g - f * gx) / det;
      x -= dx;
      y -= dy;
      if (!Inside(s, x, y) && it > 3)
        return;
      if (std::fabs(dx) <= 1e-14 * (s.box[1] - s.box[0]) + 1e-300 &&
          std::fabs(dy) <= 1e-14 * (s.box[3] - s.box[2]) + 1e-300)
        break;
    }
    const double f = s.f->Eval(x, y), g = s.g->Eval(x, y);
    if (Inside(s, x, y) && std::fabs(f) + std::fabs(g) <= 1e-9)
      Merge(s, found, {x, y});
  });
  return found;
}

#ifdef XEL_BENCH_HAVE_OCCT
class OcctSystem : public math_FunctionSetWithDerivatives {
public:
  explicit OcctSystem(const System& s) : _s(s) {}
  Standard_Integer NbVariables() const override { return 2; }
  Standard_Integer NbEquations() const override { return 2; }
  Standard_Boolean Value(const math_Vector& X, math_Vector& F) override {
    F(1) = _s.f->Eval(X(1), X(2));
    F(2) = _s.g->Eval(X(1), X(2));
    return Standard_True;
  }
  Standard_Boolean Derivatives(const math_Vector& X, math_Matrix& D) override {
    math_Vector F(1, 2);
    return Values(X, F, D);
  }
  Standard_Boolean Values(const math_Vector& X, math_Vector& F, math_Matrix& D) override {
    double f, fx, fy, g, gx, gy;
    _s.f->Eval(X(1), X(2), 3, &f, &fx, &fy, nullptr, nullptr, nullptr);
    _s.g->Eval(X(1), X(2), 3, &g, &gx, &gy, nullptr, nullptr, nullptr);
    F(1) = f, F(2) = g;
    D(1, 1) = fx, D(1, 2) = fy, D(2, 1) = gx, D(2, 2) = gy;
    return Standard_True;
  }

private:
  const System& _s;
};

Points OcctSolve(const System& s, int n) {
  OcctSystem sys(s);
  math_Vector tol(1, 2), inf(1, 2), sup(1, 2), start(1, 2);
  tol(1) = 1e-12 * (s.box[1] - s.box[0]), tol(2) = 1e-12 * (s.box[3] - s.box[2]);
  inf(1) = s.box[0], inf(2) = s.box[2], sup(1) = s.box[1], sup(2) = s.box[3];
  math_FunctionSetRoot root(sys, tol, 100);
  Points found;
  ForEachStart(s, n, [&](double x, double y) {
    start(1) = x, start(2) = y;
    root.Perform(sys, start, inf, sup);
    if (!root.IsDone())
      return;
    const math_Vector& r = root.Root();
    const double f = s.f->Eval(r(1), r(2)), g = s.g->Eval(r(1), r(2));
    if (Inside(s, r(1), r(2)) && std::fabs(f) + std::fabs(g) <= 1e-9)
      Merge(s, found, {r(1), r(2)});
  });
  return found;
}
#endif

// ---- scoring and timing
// --------------------------------------------------------------------------

struct Score {
  long found = 0, missed = 0, duplicated = 0, spurious = 0;
};

Score Compare(const System& s, const Points& iFound) {
  Score r;
  r.found = static_cast<long>(iFound.size());
  auto near = [&](const Pt& a, const Pt& b) {
    return std::fabs(a.x - b.x) <= s.TolX() && std::fabs(a.y - b.y) <= s.TolY();
  };
  for (const Pt& t : s.truth) {
    long hits = 0;
    for (const Pt& p : iFound)
      hits += near(p, t);
    r.missed += hits == 0;
    r.duplicated += hits > 1 ? hits - 1 : 0;
  }
  for (const Pt& p : iFound) {
    bool known = false;
    for (const Pt& t : s.truth)
      known = known || near(p, t);
    r.spurious += !known;
  }
  return r;
}

// Mean seconds per call over at least 3 calls and 0.05 s.
template <class Call> double TimeOf(Call iCall) {
  using Clock = std::chrono::steady_clock;
  long calls = 0;
  const auto t0 = Clock::now();
  double elapsed = 0;
  while (calls < 3 || elapsed < 0.05) {
    benchmark::DoNotOptimize(iCall());
    ++calls;
    elapsed = std::chrono::duration<double>(Clock::now() - t0).count();
  }
  return elapsed / static_cast<double>(calls);
}

const int kGrids[] = {2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};

// The smallest grid with which iSolve finds as many reference solutions as with any grid.
template <class Solve> int BestGrid(const System& s, Solve iSolve) {
  int best = kGrids[0];
  long bestFound = -1;
  for (int n : kGrids) {
    const Score sc = Compare(s, iSolve(s, n));
    const long matched = static_cast<long>(s.truth.size()) - sc.missed;
    if (matched > bestFound)
      bestFound = matched, best = n;
  }
  return best;
}

void PrintSide(const Score& sc, int n, double ratio) {
  if (n > 0)
    std::printf(" | %2d %3ld %3ld %3ld %3ld %7.2f", n, sc.found, sc.missed, sc.duplicated,
                sc.spurious, ratio);
  else
    std::printf(" | %3ld %3ld %3ld %3ld %8.3f", sc.found, sc.missed, sc.duplicated, sc.spurious,
                ratio);
}

} // namespace

int main(int argc, char** argv) {
  BuildSystems();
  std::printf("Every solution of a system in a box. Columns: solutions found, missed, found "
              "twice (dup),\nspurious; Xel time in ms per solve; for the multi-start sides the "
              "grid n (n x n starts)\nand the time divided by Xel's; Xn: the library with an n x n first grid "
              "chosen the same way.\n\n");
  std::printf("%-28s %4s | %3s %3s %3s %3s %8s | %2s %3s %3s %3s %3s %7s | %2s %3s %3s %3s %3s %7s",
              "system", "true", "Xel", "mis", "dup", "spu", "ms", "n", "Xn", "mis", "dup", "spu",
              "ratio", "n", "Nwt", "mis", "dup", "spu", "ratio");
#ifdef XEL_BENCH_HAVE_OCCT
  std::printf(" | %2s %3s %3s %3s %3s %7s", "n", "OCC", "mis", "dup", "spu", "ratio");
#endif
  std::printf("\n");
  for (const auto& sp : gSystems) {
    const System& s = *sp;
    std::printf("%-28s %4zu", s.name.c_str(), s.truth.size());
    const double tx = TimeOf([&] { return XelSolve(s); });
    PrintSide(Compare(s, XelSolve(s)), 0, 1e3 * tx);
    const int nx = BestGrid(s, XelSolve);
    PrintSide(Compare(s, XelSolve(s, nx)), nx, TimeOf([&] { return XelSolve(s, nx); }) / tx);
    const int nn = BestGrid(s, NewtonSolve);
    PrintSide(Compare(s, NewtonSolve(s, nn)), nn, TimeOf([&] { return NewtonSolve(s, nn); }) / tx);
#ifdef XEL_BENCH_HAVE_OCCT
    const int no = BestGrid(s, OcctSolve);
    PrintSide(Compare(s, OcctSolve(s, no)), no, TimeOf([&] { return OcctSolve(s, no); }) / tx);
    benchmark::RegisterBenchmark(("Occt/" + s.name).c_str(), [&s, no](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(OcctSolve(s, no));
    });
#endif
    std::printf("\n");
    std::fflush(stdout);
    benchmark::RegisterBenchmark(("Xel/" + s.name).c_str(), [&s](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(XelSolve(s));
    });
    benchmark::RegisterBenchmark(("Newton/" + s.name).c_str(), [&s, nn](benchmark::State& st) {
      for (auto _ : st)
        benchmark::DoNotOptimize(NewtonSolve(s, nn));
    });
  }
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
