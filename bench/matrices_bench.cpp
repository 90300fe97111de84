// Dense, symmetric and band solves side by side with Eigen and LAPACK on the same small
// systems (n = 2, 3, 4, 8, 12, 20): square solve (complete pivoting; Eigen PartialPivLU and
// FullPivLU, dgesv), least squares by QR (Eigen HouseholderQR, dgels), SVD (Eigen JacobiSVD
// and BDCSVD, dgesvd), symmetric indefinite solve (Eigen LDLT, dsytrf/dsytrs) and symmetric
// band solve (dpbtrf/dpbtrs). Every answer is checked against the peers' before timing; the
// program prints the time ratios ours/theirs (below 1: ours is faster) and the errors of both
// sides: the backward error ||A x - b|| / (||A|| ||x||) of a solve, the residual norm of a least
// squares solution, the relative reconstruction error ||A - U diag(w) Vᵀ|| / ||A|| of our SVD.
// It then runs the registered Google Benchmark cases (select them with --benchmark_filter).
#include <benchmark/benchmark.h>

#include <cstdio>

#if XEL_BENCH_HAVE_EIGEN && XEL_BENCH_HAVE_LAPACK
#include <Eigen/Dense>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "XelMathMxNBandMatrix.h"
#include "XelMathMxNMatrix.h"
#include "XelMathNxNBandSymMatrix.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelMathNxNMatrix.h"

extern "C" {
void dgesv_(const int* n, const int* nrhs, double* a, const int* lda, int* ipiv, double* b,
            const int* ldb, int* info);
void dgels_(const char* trans, const int* m, const int* n, const int* nrhs, double* a,
            const int* lda, double* b, const int* ldb, double* work, const int* lwork, int* info);
void dgesvd_(const char* jobu, const char* jobvt, const int* m, const int* n, double* a,
             const int* lda, double* s, double* u, const int* ldu, double* vt, const int* ldvt,
             double* work, const int* lwork, int* info);
void dsytrf_(const char* uplo, const int* n, double* a, const int* lda, int* ipiv, double* work,
             const int* lwork, int* info);
void dsytrs_(const char* uplo, const int* n, const int* nrhs, const double* a, const int* lda,
             const int* ipiv, double* b, const int* ldb, int* info);
void dpbtrf_(const char* uplo, const int* n, const int* kd, double* ab, const int* ldab, int* info);
void dpbtrs_(const char* uplo, const int* n, const int* kd, const int* nrhs, const double* ab,
             const int* ldab, double* b, const int* ldb, int* info);
}

namespace {

using Vec = std::vector<double>;
using RowMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

const long kSizes[] = {2, 3, 4, 8, 12, 20};
const long kBand = 3;

/// One test problem of size n: a row-major m x n matrix and its right-hand side.
struct Problem {
  long m = 0, n = 0;
  Vec a, b, colMajor;
};

Problem MakeProblem(long m, long n, int kind) {
  std::mt19937 g(static_cast<unsigned>(1000 * kind + 10 * m + n));
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  Problem p;
  p.m = m;
  p.n = n;
  p.a.resize(m * n);
  for (double& v : p.a)
    v = u(g);
  if (kind >= 1) { // symmetric: indefinite (1), or band and positive definite (2)
    for (long i = 0; i < n; ++i)
      for (long j = 0; j < i; ++j) {
        const double v = kind == 2 && i - j >= kBand ? 0.0 : p.a[i * n + j];
        p.a[i * n + j] = p.a[j * n + i] = v;
      }
    for (long i = 0; i < n; ++i)
      p.a[i * n + i] = kind == 2 ? 2.0 * kBand : (i % 2 ? -1.0 : 1.0) * p.a[i * n + i];
  }
  p.b.resize(m);
  for (double& v : p.b)
    v = u(g);
  p.colMajor.resize(m * n);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      p.colMajor[j * m + i] = p.a[i * n + j];
  return p;
}

double BackwardError(const Problem& p, const double* x) {
  double r = 0.0, na = 0.0, nx = 0.0;
  for (long i = 0; i < p.m; ++i) {
    double s = -p.b[i];
    for (long j = 0; j < p.n; ++j)
      s += p.a[i * p.n + j] * x[j];
    r += s * s;
  }
  for (double v : p.a)
    na += v * v;
  for (long j = 0; j < p.n; ++j)
    nx += x[j] * x[j];
  return std::sqrt(r) / std::sqrt(na * nx);
}

/// Nanoseconds per call: the best of five batches of at least 5 ms each.
double Time(const std::function<void()>& f) {
  using Clock = std::chrono::steady_clock;
  long reps = 1;
  for (;;) {
    const auto t0 = Clock::now();
    for (long r = 0; r < reps; ++r)
      f();
    if (Clock::now() - t0 > std::chrono::milliseconds(5))
      break;
    reps *= 2;
  }
  double best = 1e300;
  for (int k = 0; k < 5; ++k) {
    const auto t0 = Clock::now();
    for (long r = 0; r < reps; ++r)
      f();
    best =
        std::min(best, std::chrono::duration<double, std::nano>(Clock::now() - t0).count() / reps);
  }
  return best;
}

// ---- the solvers, each writing its solution to x --------------------------------------------

void OursSquare(const Problem& p, const XelMathNxNMatrix& a, double* x) {
  a.Solve(p.b.data(), x, 1);
}
void EigenPartialLU(const Problem& p, const RowMatrix& a, double* x) {
  Eigen::Map<Eigen::VectorXd>(x, p.n) =
      a.partialPivLu().solve(Eigen::Map<const Eigen::VectorXd>(p.b.data(), p.n));
}
void EigenFullLU(const Problem& p, const RowMatrix& a, double* x) {
  Eigen::Map<Eigen::VectorXd>(x, p.n) =
      a.fullPivLu().solve(Eigen::Map<const Eigen::VectorXd>(p.b.data(), p.n));
}
void LapackGesv(const Problem& p, Vec& work, std::vector<int>& ipiv, double* x) {
  const int n = static_cast<int>(p.n), one = 1;
  int info = 0;
  std::memcpy(work.data(), p.colMajor.data(), sizeof(double) * p.n * p.n);
  std::memcpy(x, p.b.data(), sizeof(double) * p.n);
  dgesv_(&n, &one, work.data(), &n, ipiv.data(), x, &n, &info);
}

void OursQR(const Problem& p, const XelMathMxNMatrix& a, double* x) {
  a.Solve(p.b.data(), x, 1);
}
void EigenQR(const Problem& p, const RowMatrix& a, double* x) {
  Eigen::Map<Eigen::VectorXd>(x, p.n) =
      a.householderQr().solve(Eigen::Map<const Eigen::VectorXd>(p.b.data(), p.m));
}
void LapackGels(const Problem& p, Vec& work, Vec& rhs, Vec& lwork, double* x) {
  const int m = static_cast<int>(p.m), n = static_cast<int>(p.n), one = 1,
            lw = static_cast<int>(lwork.size());
  int info = 0;
  std::memcpy(work.data(), p.colMajor.data(), sizeof(double) * p.m * p.n);
  std::memcpy(rhs.data(), p.b.data(), sizeof(double) * p.m);
  dgels_("N", &m, &n, &one, work.data(), &m, rhs.data(), &m, lwork.data(), &lw, &info);
  std::memcpy(x, rhs.data(), sizeof(double) * p.n);
}

void OursSym(const Problem& p, const XelMathNxNFullSymMatrix& a, double* x) {
  std::memcpy(x, p.b.data(), sizeof(double) * p.n);
  const_cast<XelMathNxNFullSymMatrix&>(a).Solve(x, 1);
}
void EigenLDLT(const Problem& p, const RowMatrix& a, double* x) {
  Eigen::Map<Eigen::VectorXd>(x, p.n) =
      a.ldlt().solve(Eigen::Map<const Eigen::VectorXd>(p.b.data(), p.n));
}
void LapackSytr(const Problem& p, Vec& work, std::vector<int>& ipiv, Vec& lwork, double* x) {
  const int n = static_cast<int>(p.n), one = 1, lw = static_cast<int>(lwork.size());
  int info = 0;
  std::memcpy(work.data(), p.colMajor.data(), sizeof(double) * p.n * p.n);
  std::memcpy(x, p.b.data(), sizeof(double) * p.n);
  dsytrf_("L", &n, work.data(), &n, ipiv.data(), lwork.data(), &lw, &info);
  dsytrs_("L", &n, &one, work.data(), &n, ipiv.data(), x, &n, &info);
}

void OursBand(const Problem& p, const XelMathNxNBandSymMatrix& a, double* x) {
  std::memcpy(x, p.b.data(), sizeof(double) * p.n);
  const_cast<XelMathNxNBandSymMatrix&>(a).Solve(x, 1);
}
/// Lower band storage of LAPACK: AB(1 + i - j, j) = A(i, j), kd = b - 1 sub-diagonals.
Vec LapackBand(const Problem& p, long kd) {
  Vec ab((kd + 1) * p.n, 0.0);
  for (long j = 0; j < p.n; ++j)
    for (long i = j; i <= std::min(p.n - 1, j + kd); ++i)
      ab[j * (kd + 1) + (i - j)] = p.a[i * p.n + j];
  return ab;
}
void LapackPb(const Problem& p, const Vec& band, long kd, Vec& work, double* x) {
  const int n = static_cast<int>(p.n), k = static_cast<int>(kd), ld = k + 1, one = 1;
  int info = 0;
  std::memcpy(work.data(), band.data(), sizeof(double) * band.size());
  std::memcpy(x, p.b.data(), sizeof(double) * p.n);
  dpbtrf_("L", &n, &k, work.data(), &ld, &info);
  dpbtrs_("L", &n, &k, &one, work.data(), &ld, x, &n, &info);
}

// ---- SVD: reconstruction error ||A - U diag(w) Vᵀ|| / ||A|| --------------------------------

double SvdError(const Problem& p, const Vec& u, const Vec& w, const Vec& vRowMajorV) {
  double e = 0.0, na = 0.0;
  for (long i = 0; i < p.m; ++i)
    for (long j = 0; j < p.n; ++j) {
      double s = 0.0;
      for (long k = 0; k < p.n; ++k)
        s += u[i * p.n + k] * w[k] * vRowMajorV[j * p.n + k];
      e += (s - p.a[i * p.n + j]) * (s - p.a[i * p.n + j]);
      na += p.a[i * p.n + j] * p.a[i * p.n + j];
    }
  return std::sqrt(e / na);
}

bool Agree(const char* what, long n, const double* x, const double* y, long count, double tol) {
  for (long i = 0; i < count; ++i)
    if (!(std::fabs(x[i] - y[i]) <= tol * (1.0 + std::fabs(y[i])))) {
      std::fprintf(stderr, "%s n=%ld: answers differ at %ld: %.17g vs %.17g\n", what, n, i, x[i],
                   y[i]);
      return false;
    }
  return true;
}

/// Checks every answer, then prints the ratio table. Returns false on a disagreement.
bool CheckAndCompare() {
  std::printf("%-22s %4s %12s %10s %10s %10s\n", "problem / peer", "n", "ours ns", "ratio",
              "err ours", "err peer");
  bool ok = true;
  for (long n : kSizes) {
    Vec x(2 * n), y(2 * n), work(4 * n * n + 64), rhs(2 * n);
    std::vector<int> ipiv(n);
    auto row = [&](const char* name, double ours, double theirs, double bo, double bt) {
      std::printf("%-22s %4ld %12.0f %10.2f %10.1e %10.1e\n", name, n, ours, ours / theirs, bo, bt);
    };
    // Square solve.
    const Problem sq = MakeProblem(n, n, 0);
    const XelMathNxNMatrix A(n, sq.a.data());
    const RowMatrix E = Eigen::Map<const RowMatrix>(sq.a.data(), n, n);
    OursSquare(sq, A, x.data());
    const double bo = BackwardError(sq, x.data());
    LapackGesv(sq, work, ipiv, y.data());
    ok = ok && Agree("square", n, x.data(), y.data(), n, 1e-9);
    const double tOurs = Time([&] { OursSquare(sq, A, x.data()); });
    EigenPartialLU(sq, E, y.data());
    row("square / PartialPivLU", tOurs, Time([&] { EigenPartialLU(sq, E, y.data()); }), bo,
        BackwardError(sq, y.data()));
    EigenFullLU(sq, E, y.data());
    row("square / FullPivLU", tOurs, Time([&] { EigenFullLU(sq, E, y.data()); }), bo,
        BackwardError(sq, y.data()));
    LapackGesv(sq, work, ipiv, y.data());
    row("square / dgesv", tOurs, Time([&] { LapackGesv(sq, work, ipiv, y.data()); }), bo,
        BackwardError(sq, y.data()));
    // Least squares (2n x n).
    const Problem ls = MakeProblem(2 * n, n, 0);
    const XelMathMxNMatrix R(2 * n, n, ls.a.data());
    const RowMatrix F = Eigen::Map<const RowMatrix>(ls.a.data(), 2 * n, n);
    Vec lwork(64 * n + 64);
    OursQR(ls, R, x.data());
    EigenQR(ls, F, y.data());
    ok = ok && Agree("least squares", n, x.data(), y.data(), n, 1e-9);
    const double tQR = Time([&] { OursQR(ls, R, x.data()); });
    auto resid = [&](const double* s) { // least squares: compare the residual norms
      double r = 0.0;
      for (long i = 0; i < ls.m; ++i) {
        double t = -ls.b[i];
        for (long j = 0; j < n; ++j)
          t += ls.a[i * n + j] * s[j];
        r += t * t;
      }
      return std::sqrt(r);
    };
    const double rOurs = resid(x.data());
    row("lsq / HouseholderQR", tQR, Time([&] { EigenQR(ls, F, y.data()); }), rOurs,
        resid(y.data()));
    LapackGels(ls, work, rhs, lwork, y.data());
    ok = ok && Agree("least squares dgels", n, x.data(), y.data(), n, 1e-9);
    row("lsq / dgels", tQR, Time([&] { LapackGels(ls, work, rhs, lwork, y.data()); }), rOurs,
        resid(y.data()));
    // SVD (2n x n, thin).
    XelMathMxNMatrix U, V;
    Vec w(n), ew(n), uc(2 * n * n), vc(n * n);
    R.SVD(U, w.data(), V);
    for (long i = 0; i < 2 * n; ++i)
      for (long j = 0; j < n; ++j)
        uc[i * n + j] = U.GetCoef(i, j);
    for (long i = 0; i < n; ++i)
      for (long j = 0; j < n; ++j)
        vc[i * n + j] = V.GetCoef(i, j);
    const double eo = SvdError(ls, uc, w, vc);
    Eigen::JacobiSVD<Eigen::MatrixXd> jac(F, Eigen::ComputeThinU | Eigen::ComputeThinV);
    for (long k = 0; k < n; ++k)
      ew[k] = jac.singularValues()[k];
    ok = ok && Agree("svd", n, w.data(), ew.data(), n, 1e-12);
    const double tSvd = Time([&] { R.SVD(U, w.data(), V); });
    row("svd / JacobiSVD", tSvd, Time([&] {
          Eigen::JacobiSVD<Eigen::MatrixXd> s(F, Eigen::ComputeThinU | Eigen::ComputeThinV);
          benchmark::DoNotOptimize(s.singularValues().data());
        }),
        eo, 0.0);
    row("svd / BDCSVD", tSvd, Time([&] {
          Eigen::BDCSVD<Eigen::MatrixXd> s(F, Eigen::ComputeThinU | Eigen::ComputeThinV);
          benchmark::DoNotOptimize(s.singularValues().data());
        }),
        eo, 0.0);
    Vec su(2 * n * n), svt(n * n), sw(n), swork(64 * n + 64);
    auto gesvd = [&] {
      const int m = static_cast<int>(2 * n), nn = static_cast<int>(n),
                lw = static_cast<int>(swork.size());
      int info = 0;
      std::memcpy(work.data(), ls.colMajor.data(), sizeof(double) * 2 * n * n);
      dgesvd_("S", "S", &m, &nn, work.data(), &m, sw.data(), su.data(), &m, svt.data(), &nn,
              swork.data(), &lw, &info);
    };
    gesvd();
    ok = ok && Agree("svd dgesvd", n, w.data(), sw.data(), n, 1e-12);
    row("svd / dgesvd", tSvd, Time(gesvd), eo, 0.0);
    // Symmetric indefinite.
    const Problem sy = MakeProblem(n, n, 1);
    XelMathNxNFullSymMatrix S(XelMathMxNMatrix(n, n, sy.a.data()));
    const RowMatrix G = Eigen::Map<const RowMatrix>(sy.a.data(), n, n);
    OursSym(sy, S, x.data());
    LapackSytr(sy, work, ipiv, lwork, y.data());
    ok = ok && Agree("symmetric", n, x.data(), y.data(), n, 1e-8);
    const double bs = BackwardError(sy, x.data());
    const double tSym = Time([&] { OursSym(sy, S, x.data()); });
    EigenLDLT(sy, G, y.data());
    row("sym / LDLT", tSym, Time([&] { EigenLDLT(sy, G, y.data()); }), bs,
        BackwardError(sy, y.data()));
    LapackSytr(sy, work, ipiv, lwork, y.data());
    row("sym / dsytrf+dsytrs", tSym, Time([&] { LapackSytr(sy, work, ipiv, lwork, y.data()); }), bs,
        BackwardError(sy, y.data()));
    // Symmetric positive definite band.
    const Problem bd = MakeProblem(n, n, 2);
    const long b = std::min(kBand, n);
    XelMathNxNBandSymMatrix B(XelMathMxNMatrix(n, n, bd.a.data()), b);
    const Vec lb = LapackBand(bd, b - 1);
    OursBand(bd, B, x.data());
    LapackPb(bd, lb, b - 1, work, y.data());
    ok = ok && Agree("band", n, x.data(), y.data(), n, 1e-10);
    row("band / dpbtrf+dpbtrs", Time([&] { OursBand(bd, B, x.data()); }),
        Time([&] { LapackPb(bd, lb, b - 1, work, y.data()); }), BackwardError(bd, x.data()),
        BackwardError(bd, y.data()));
  }
  return ok;
}

// ---- Google Benchmark cases: ours and each peer per size ----------------------------------

void BM_SquareOurs(benchmark::State& state) {
  const Problem p = MakeProblem(state.range(0), state.range(0), 0);
  const XelMathNxNMatrix a(p.n, p.a.data());
  Vec x(p.n);
  for (auto _ : state)
    OursSquare(p, a, x.data());
}
void BM_SquareEigenPartialLU(benchmark::State& state) {
  const Problem p = MakeProblem(state.range(0), state.range(0), 0);
  const RowMatrix a = Eigen::Map<const RowMatrix>(p.a.data(), p.n, p.n);
  Vec x(p.n);
  for (auto _ : state)
    EigenPartialLU(p, a, x.data());
}
void BM_SquareLapack(benchmark::State& state) {
  const Problem p = MakeProblem(state.range(0), state.range(0), 0);
  Vec work(p.n * p.n), x(p.n);
  std::vector<int> ipiv(p.n);
  for (auto _ : state)
    LapackGesv(p, work, ipiv, x.data());
}
void BM_QROurs(benchmark::State& state) {
  const Problem p = MakeProblem(2 * state.range(0), state.range(0), 0);
  const XelMathMxNMatrix a(p.m, p.n, p.a.data());
  Vec x(p.n);
  for (auto _ : state)
    OursQR(p, a, x.data());
}
void BM_QREigen(benchmark::State& state) {
  const Problem p = MakeProblem(2 * state.range(0), state.range(0), 0);
  const RowMatrix a = Eigen::Map<const RowMatrix>(p.a.data(), p.m, p.n);
  Vec x(p.n);
  for (auto _ : state)
    EigenQR(p, a, x.data());
}
void BM_SvdOurs(benchmark::State& state) {
  const Problem p = MakeProblem(2 * state.range(0), state.range(0), 0);
  const XelMathMxNMatrix a(p.m, p.n, p.a.data());
  XelMathMxNMatrix u, v;
  Vec w(p.n);
  for (auto _ : state)
    a.SVD(u, w.data(), v);
}
void BM_SvdEigenJacobi(benchmark::State& state) {
  const Problem p = MakeProblem(2 * state.range(0), state.range(0), 0);
  const Eigen::MatrixXd a = Eigen::Map<const RowMatrix>(p.a.data(), p.m, p.n);
  for (auto _ : state) {
    Eigen::JacobiSVD<Eigen::MatrixXd> s(a, Eigen::ComputeThinU | Eigen::ComputeThinV);
    benchmark::DoNotOptimize(s.singularValues().data());
  }
}
void BM_SymOurs(benchmark::State& state) {
  const Problem p = MakeProblem(state.range(0), state.range(0), 1);
  const XelMathNxNFullSymMatrix a(XelMathMxNMatrix(p.n, p.n, p.a.data()));
  Vec x(p.n);
  for (auto _ : state)
    OursSym(p, a, x.data());
}
void BM_BandOurs(benchmark::State& state) {
  const Problem p = MakeProblem(state.range(0), state.range(0), 2);
  const XelMathNxNBandSymMatrix a(XelMathMxNMatrix(p.n, p.n, p.a.data()), std::min(kBand, p.n));
  Vec x(p.n);
  for (auto _ : state)
    OursBand(p, a, x.data());
}

// Band least squares: a fit by m = 4n rows of width 4 (cubic-spline-like) to n unknowns, solved
// by our banded Givens QR and by our band normal equations, against Eigen's dense Householder QR
// of the same matrix. The answers are compared before timing.
struct BandFit {
  long m, n;
  XelMathMxNBandMatrix band;
  RowMatrix dense;
  Vec b;
};
BandFit MakeBandFit(long n) {
  BandFit f{4 * n, n, XelMathMxNBandMatrix(4 * n, n, 4), RowMatrix::Zero(4 * n, n), Vec(4 * n)};
  for (long i = 0; i < f.m; i++) {
    const double t = (i + 0.5) / f.m * (n - 3), u = t - std::floor(t);
    const long first = std::min(static_cast<long>(t), n - 4);
    const double v[4] = {(1 - u) * (1 - u) * (1 - u) / 6, (3 * u * u * u - 6 * u * u + 4) / 6,
                         (-3 * u * u * u + 3 * u * u + 3 * u + 1) / 6, u * u * u / 6};
    f.band.SetCoef(i, first, v);
    for (long k = 0; k < 4; k++)
      f.dense(i, first + k) = v[k];
    f.b[i] = std::sin(0.01 * i) + 0.3 * std::cos(0.2 * i);
  }
  return f;
}
void BM_BandLeastSquaresOursQR(benchmark::State& state) {
  const BandFit f = MakeBandFit(state.range(0));
  Vec x(f.n), y(f.n);
  const Eigen::Map<const Eigen::VectorXd> b(f.b.data(), f.m);
  Eigen::Map<Eigen::VectorXd>(y.data(), f.n) = f.dense.householderQr().solve(b);
  if (!f.band.SolveQR(f.b.data(), x.data(), 1) ||
      !Agree("band lsq", f.n, x.data(), y.data(), f.n, 1e-8))
    state.SkipWithError("the answers differ");
  for (auto _ : state)
    f.band.SolveQR(f.b.data(), x.data(), 1);
}
void BM_BandLeastSquaresOursNormal(benchmark::State& state) {
  const BandFit f = MakeBandFit(state.range(0));
  Vec x(f.n);
  for (auto _ : state) {
    XelMathMxNBandMatrix a(f.band); // Solve turns the matrix into its factor
    a.Solve(f.b.data(), x.data(), 1, f.m);
  }
}
void BM_BandLeastSquaresEigenQR(benchmark::State& state) {
  const BandFit f = MakeBandFit(state.range(0));
  const Eigen::Map<const Eigen::VectorXd> b(f.b.data(), f.m);
  Eigen::VectorXd x;
  for (auto _ : state)
    benchmark::DoNotOptimize(x = f.dense.householderQr().solve(b));
}

} // namespace

#define XEL_SIZES ->Arg(2)->Arg(3)->Arg(4)->Arg(8)->Arg(12)->Arg(20)
BENCHMARK(BM_SquareOurs) XEL_SIZES;
BENCHMARK(BM_SquareEigenPartialLU) XEL_SIZES;
BENCHMARK(BM_SquareLapack) XEL_SIZES;
BENCHMARK(BM_QROurs) XEL_SIZES;
BENCHMARK(BM_QREigen) XEL_SIZES;
BENCHMARK(BM_SvdOurs) XEL_SIZES;
BENCHMARK(BM_SvdEigenJacobi) XEL_SIZES;
BENCHMARK(BM_SymOurs) XEL_SIZES;
BENCHMARK(BM_BandOurs) XEL_SIZES;
BENCHMARK(BM_BandLeastSquaresOursQR)->Arg(20)->Arg(100)->Arg(400);
BENCHMARK(BM_BandLeastSquaresOursNormal)->Arg(20)->Arg(100)->Arg(400);
BENCHMARK(BM_BandLeastSquaresEigenQR)->Arg(20)->Arg(100)->Arg(400);

int main(int argc, char** argv) {
  if (!CheckAndCompare()) {
    std::fprintf(stderr, "the answers differ: no timing\n");
    return 1;
  }
  XelBenchInitialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

#else

int main() {
  std::printf("matrices_bench: Eigen and LAPACK are needed (scripts/install-deps bench)\n");
  return 0;
}

#endif
