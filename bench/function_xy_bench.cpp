// Polynomials of two variables against hand-written loops: value, gradient and Hessian of a
// bicubic and of a degree-(6, 6) polynomial against a plain nested Horner loop, regular grids
// against a loop of point evaluations, and box images (interval Horner scheme and optimal
// image) against a naive interval Horner scheme with four-case products. The agreement of
// each pairing is checked first, and the mean widths of the box images are printed.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "XelMathFunctionXY.h"
#include "XelMathInterval.h"
#include "XelMathIntervalND.h"
#include "XelMathPolynomXY.h"
#include "XelTolerance.h"

namespace {

const int kPoints = 1024; // points per timed batch
const long kGrid = 32;    // grid of kGrid x kGrid nodes

std::vector<double> Coefficients(long d) {
  std::mt19937 rng(4321 + d);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> c((d + 1) * (d + 1));
  for (double& v : c)
    v = u(rng);
  return c;
}

std::vector<double> Points() {
  std::mt19937 rng(17);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> p(2 * kPoints);
  for (double& v : p)
    v = u(rng);
  return p;
}

/// f, fx, fy, fxx, fxy, fyy of sum a_ij x^i y^j (degree d in each variable) by a plain nested
/// Horner loop.
void HandDerivatives(const double* a, long d, double x, double y, double* o) {
  double p0 = 0, p1 = 0, p2 = 0, q0 = 0, q1 = 0, s0 = 0;
  for (long i = d; i >= 0; --i) {
    const double* row = a + i * (d + 1);
    double r = row[d], r1 = 0, r2 = 0;
    for (long j = d - 1; j >= 0; --j) {
      r2 = r2 * y + r1;
      r1 = r1 * y + r;
      r = r * y + row[j];
    }
    p2 = p2 * x + p1;
    p1 = p1 * x + p0;
    p0 = p0 * x + r;
    q1 = q1 * x + q0;
    q0 = q0 * x + r1;
    s0 = s0 * x + 2 * r2;
  }
  o[0] = p0;
  o[1] = p1;
  o[2] = q0;
  o[3] = 2 * p2;
  o[4] = q1;
  o[5] = s0;
}

inline void IMulAdd(double& lo, double& hi, double a, double b, double c) {
  const double p1 = lo * a, p2 = lo * b, p3 = hi * a, p4 = hi * b;
  lo = std::fmin(std::fmin(p1, p2), std::fmin(p3, p4)) + c;
  hi = std::fmax(std::fmax(p1, p2), std::fmax(p3, p4)) + c;
}

/// Naive interval Horner scheme (four-case products), x outer and y inner.
XelMathInterval NaiveImage(const double* a, long d, const XelMathInterval& I,
                           const XelMathInterval& J) {
  double lo = 0, hi = 0;
  for (long i = d; i >= 0; --i) {
    const double* row = a + i * (d + 1);
    double rl = row[d], rh = row[d];
    for (long j = d - 1; j >= 0; --j)
      IMulAdd(rl, rh, J.low, J.high, row[j]);
    const double p1 = lo * I.low, p2 = lo * I.high, p3 = hi * I.low, p4 = hi * I.high;
    lo = std::fmin(std::fmin(p1, p2), std::fmin(p3, p4)) + rl;
    hi = std::fmax(std::fmax(p1, p2), std::fmax(p3, p4)) + rh;
  }
  return XelMathInterval(lo, hi);
}

std::vector<XelMathInterval> Boxes() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<XelMathInterval> boxes(512); // pairs (I, J)
  for (XelMathInterval& b : boxes) {
    const double m = u(rng), r = 0.01 + 0.3 * std::fabs(u(rng));
    b = XelMathInterval(m - r, m + r);
  }
  return boxes;
}

const XelMathFunctionXY& AsFunction(const XelMathPolynomXY& p) {
  return p;
}

// ---- agreement checks -------------------------------------------------------------------------
bool Check() {
  const std::vector<double> pts = Points();
  const XelTolerance& tol = XelGetDefaultTolerance();
  for (long d : {3L, 6L}) {
    const std::vector<double> c = Coefficients(d);
    const XelMathPolynomXY p(d, d, c.data());
    for (int k = 0; k < kPoints; ++k) {
      double o[6], h[6];
      AsFunction(p).Eval(pts[2 * k], pts[2 * k + 1], 7, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]);
      HandDerivatives(c.data(), d, pts[2 * k], pts[2 * k + 1], h);
      for (int m = 0; m < 6; ++m)
        if (std::fabs(o[m] - h[m]) > 1e-11 * (1 + std::fabs(h[m]))) {
          std::fprintf(stderr, "derivative %d differs at degree %ld\n", m, d);
          return false;
        }
    }
    const double bounds[4] = {-1.0, 1.0, -0.5, 0.8};
    const XelMathIntervalND box(2, bounds);
    const long counts[2] = {kGrid, kGrid};
    std::vector<double> grid(kGrid * kGrid);
    AsFunction(p).Eval(box, counts, 1, grid.data(), nullptr, nullptr, nullptr, nullptr, nullptr);
    for (long i = 0; i < kGrid; ++i)
      for (long j = 0; j < kGrid; ++j) {
        const double x = i == kGrid - 1 ? 1.0 : -1.0 + i * 2.0 / (kGrid - 1);
        const double y = j == kGrid - 1 ? 0.8 : -0.5 + j * 1.3 / (kGrid - 1);
        if (std::fabs(grid[i * kGrid + j] - p.Eval(x, y)) > 1e-12) {
          std::fprintf(stderr, "grid value differs at degree %ld\n", d);
          return false;
        }
      }
    const std::vector<XelMathInterval> boxes = Boxes();
    double wh = 0, wo = 0, wn = 0;
    for (size_t b = 0; b + 1 < boxes.size(); b += 2) {
      const XelMathInterval &I = boxes[b], &J = boxes[b + 1];
      const XelMathInterval H = p.Eval(I, J, tol), O = p.ComputeOptimalImage(I, J, tol),
                            N = NaiveImage(c.data(), d, I, J);
      for (int s = 0; s <= 400; ++s) {
        const double v = p.Eval(I.low + (I.high - I.low) * (s % 21) / 20.0,
                                J.low + (J.high - J.low) * (s / 21) / 19.0);
        if (v < H.low - 1e-12 || v > H.high + 1e-12 || v < O.low - 1e-12 || v > O.high + 1e-12) {
          std::fprintf(stderr, "a box image misses a sample at degree %ld\n", d);
          return false;
        }
      }
      wh += H.high - H.low;
      wo += O.high - O.low;
      wn += N.high - N.low;
    }
    std::printf("degree (%ld, %ld): mean width ratio to the naive interval Horner scheme: "
                "interval Horner %.3f, optimal image %.3f\n",
                d, d, wh / wn, wo / wn);
  }
  return true;
}

// ---- value, gradient and Hessian -------------------------------------------------------------
void BM_DerivativesXel(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), pts = Points();
  const XelMathPolynomXY p(d, d, c.data());
  const XelMathFunctionXY& f = AsFunction(p);
  for (auto _ : state) {
    double s = 0.0, o[6];
    for (int k = 0; k < kPoints; ++k) {
      f.Eval(pts[2 * k], pts[2 * k + 1], 7, &o[0], &o[1], &o[2], &o[3], &o[4], &o[5]);
      s += o[0] + o[1] + o[2] + o[3] + o[4] + o[5];
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_DerivativesHandLoop(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d), pts = Points();
  for (auto _ : state) {
    double s = 0.0, o[6];
    for (int k = 0; k < kPoints; ++k) {
      HandDerivatives(c.data(), d, pts[2 * k], pts[2 * k + 1], o);
      s += o[0] + o[1] + o[2] + o[3] + o[4] + o[5];
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * kPoints);
}

// ---- grids -----------------------------------------------------------------------------------
void BM_GridXel(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomXY p(d, d, c.data(), 0.1, -0.2);
  const double bounds[4] = {-1.0, 1.0, -0.5, 0.8};
  const XelMathIntervalND box(2, bounds);
  const long counts[2] = {kGrid, kGrid};
  std::vector<double> out(kGrid * kGrid);
  for (auto _ : state) {
    AsFunction(p).Eval(box, counts, 1, out.data(), nullptr, nullptr, nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kGrid * kGrid);
}

void BM_GridLoopOfPoints(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomXY p(d, d, c.data(), 0.1, -0.2);
  const XelMathFunctionXY& f = AsFunction(p);
  std::vector<double> out(kGrid * kGrid);
  for (auto _ : state) {
    for (long i = 0; i < kGrid; ++i)
      for (long j = 0; j < kGrid; ++j)
        out[i * kGrid + j] = f.Eval(i == kGrid - 1 ? 1.0 : -1.0 + i * 2.0 / (kGrid - 1),
                                    j == kGrid - 1 ? 0.8 : -0.5 + j * 1.3 / (kGrid - 1));
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kGrid * kGrid);
}

// ---- box images --------------------------------------------------------------------------------
template <int Kind> void BM_Box(benchmark::State& state) {
  const long d = state.range(0);
  const std::vector<double> c = Coefficients(d);
  const XelMathPolynomXY p(d, d, c.data());
  const XelTolerance& tol = XelGetDefaultTolerance();
  const std::vector<XelMathInterval> boxes = Boxes();
  for (auto _ : state) {
    double s = 0.0;
    for (size_t b = 0; b + 1 < boxes.size(); b += 2) {
      const XelMathInterval R = Kind == 0   ? p.Eval(boxes[b], boxes[b + 1], tol)
                                : Kind == 1 ? p.ComputeOptimalImage(boxes[b], boxes[b + 1], tol)
                                            : NaiveImage(c.data(), d, boxes[b], boxes[b + 1]);
      s += R.high - R.low;
    }
    benchmark::DoNotOptimize(s);
  }
  state.SetItemsProcessed(state.iterations() * boxes.size() / 2);
}
void BM_BoxXelIntervalHorner(benchmark::State& state) {
  BM_Box<0>(state);
}
void BM_BoxXelOptimalImage(benchmark::State& state) {
  BM_Box<1>(state);
}
void BM_BoxNaiveIntervalHorner(benchmark::State& state) {
  BM_Box<2>(state);
}

} // namespace

BENCHMARK(BM_DerivativesXel)->Arg(3)->Arg(6);
BENCHMARK(BM_DerivativesHandLoop)->Arg(3)->Arg(6);
BENCHMARK(BM_GridXel)->Arg(3)->Arg(6);
BENCHMARK(BM_GridLoopOfPoints)->Arg(3)->Arg(6);
BENCHMARK(BM_BoxXelIntervalHorner)->Arg(3)->Arg(6);
BENCHMARK(BM_BoxXelOptimalImage)->Arg(3)->Arg(6);
BENCHMARK(BM_BoxNaiveIntervalHorner)->Arg(3)->Arg(6);

int main(int argc, char** argv) {
  if (!Check())
    return EXIT_FAILURE;
  XelBenchInitialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return EXIT_FAILURE;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return EXIT_SUCCESS;
}
