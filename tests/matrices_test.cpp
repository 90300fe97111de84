// Dense, symmetric and band matrices: solves judged by backward error on hard matrices
// (Hilbert, Kahan, graded rows, Läuchli), rank tests, constrained least squares against a closed
// form, SVD against matrices built from known factors, symmetric indefinite pivoting, band
// storage, impositions, misuse codes and texts, and the allocation-free hot paths.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "XelMath3x3Matrix.h"
#include "XelMathFunctionRN.h"
#include "XelMathGrid.h"
#include "XelMathMxNMatrix.h"
#include "XelMathNxNBandSymMatrix.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelMathNxNFullSymMatrixForBfgs.h"
#include "XelMathNxNMatrix.h"
#include "XelMathNxNMatrixForNewtonBfgs.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"
#include "test_helpers.h"

using xeltest::CaptureTrace;
using xeltest::ExpectInputError;
using xeltest::kEps;
using Dense = std::vector<double>;

namespace {

double Norm(const Dense& v) {
  double s = 0.0;
  for (double x : v)
    s += x * x;
  return std::sqrt(s);
}

// The m x n row-major matrix of the values f(i, j).
Dense Fill(long m, long n, const std::function<double(long, long)>& f) {
  Dense a(m * n);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      a[i * n + j] = f(i, j);
  return a;
}

Dense Product(const Dense& a, long m, long n, const Dense& x, long c = 1) {
  return Fill(m, c, [&](long i, long j) {
    double s = 0.0;
    for (long k = 0; k < n; ++k)
      s += a[i * n + k] * x[k * c + j];
    return s;
  });
}

// ||A x - b|| / (||A|| ||x||), Frobenius norm of A.
double BackwardError(const Dense& a, long m, long n, const Dense& x, const Dense& b) {
  Dense r = Product(a, m, n, x);
  for (long i = 0; i < m; ++i)
    r[i] -= b[i];
  return Norm(r) / (Norm(a) * Norm(x));
}

Dense Random(std::mt19937& g, long count, double lo = -1.0, double hi = 1.0) {
  std::uniform_real_distribution<double> u(lo, hi);
  return Fill(count, 1, [&](long, long) { return u(g); });
}

// The reflection I - 2 u uᵀ / uᵀu (n x n), an orthogonal matrix built independently.
Dense Reflection(std::mt19937& g, long n) {
  const Dense u = Random(g, n);
  return Fill(n, n,
              [&](long i, long j) { return (i == j) - 2.0 * u[i] * u[j] / (Norm(u) * Norm(u)); });
}

// U diag(s) Vᵀ with U, V reflections: an m x n matrix of known singular values s.
Dense WithSingularValues(std::mt19937& g, long m, long n, const Dense& s) {
  const Dense u = Reflection(g, m), v = Reflection(g, n);
  return Fill(m, n, [&](long i, long j) {
    double a = 0.0;
    for (long k = 0; k < n; ++k)
      a += u[i * m + k] * s[k] * v[j * n + k];
    return a;
  });
}

Dense Hilbert(long n) {
  return Fill(n, n, [](long i, long j) { return 1.0 / double(i + j + 1); });
}
// Kahan's upper triangular matrix: diag(1, s, ..., s^(n-1)) times (1 on the diagonal, -c above).
Dense Kahan(long n) {
  return Fill(n, n, [](long i, long j) {
    return j < i ? 0.0 : std::pow(std::sin(1.2), double(i)) * (i == j ? 1.0 : -std::cos(1.2));
  });
}
// Rows of a random matrix scaled by 10^-i: badly scaled but well conditioned by rows.
Dense Graded(long n) {
  std::mt19937 g(7);
  const Dense r = Random(g, n * n);
  return Fill(n, n, [&](long i, long j) { return r[i * n + j] * std::pow(10.0, -double(i)); });
}
Dense RandomSquare(long n) {
  std::mt19937 g(static_cast<unsigned>(n));
  return Random(g, n * n);
}

// max |(XᵀX)_ij - δ_ij| for the m x n row-major X.
double OrthogonalityDefect(const Dense& x, long m, long n) {
  double worst = 0.0;
  for (double v : Fill(n, n, [&](long i, long j) {
         double s = -double(i == j);
         for (long k = 0; k < m; ++k)
           s += x[k * n + i] * x[k * n + j];
         return s;
       }))
    worst = std::max(worst, std::fabs(v));
  return worst;
}

Dense Coefs(const XelMathMxNMatrix& a) {
  long m = 0, n = 0;
  a.GetSizeOfMatrix(m, n);
  return Fill(m, n, [&](long i, long j) { return a.GetCoef(i, j); });
}

long Allocations() {
  return XelQuorGetMemoryCounters().totalAllocations;
}

} // namespace

// Square solves (closed forms for N <= 3, complete pivoting beyond, heap buffers from 21 on)
// and least squares by QR on the same square systems: backward error of a few epsilons
// times n, whatever the conditioning. The pivot threshold is absolute, so the most
// ill-conditioned Hilbert matrices may be reported singular (status 5) but never wrong.
TEST(MatrixSolve, BackwardStableOnHardMatrices) {
  struct Case {
    const char* name;
    std::function<Dense(long)> make;
    std::vector<long> sizes;
    bool mayBeSingular;
  };
  const std::vector<Case> cases = {{"hilbert", Hilbert, {1, 2, 3, 4, 6, 8, 10, 12}, true},
                                   {"kahan", Kahan, {4, 10, 20, 25}, false},
                                   {"graded", Graded, {3, 5, 8, 12}, false},
                                   {"random", RandomSquare, {1, 2, 3, 4, 7, 20, 21, 30}, false}};
  for (const Case& c : cases)
    for (long n : c.sizes) {
      SCOPED_TRACE(std::string(c.name) + " n=" + std::to_string(n));
      const Dense a = c.make(n);
      std::mt19937 g(3);
      const Dense xTrue = Random(g, n);
      const Dense b = Product(a, n, n, xTrue);
      Dense x(n);
      const XelMathNxNMatrix square(n, a.data());
      const int status = square.Solve(b.data(), x.data(), 1);
      if (status == 5 && c.mayBeSingular && n > 10) // pivots of H_11, H_12 fall below 1e-13
        continue;
      ASSERT_EQ(status, 0);
      // Cramer's rule and cofactors (N <= 3) are backward stable up to a larger constant.
      EXPECT_LE(BackwardError(a, n, n, x, b), (n <= 3 ? 64.0 : 8.0 * n) * kEps);
      if (n <= 10 || !c.mayBeSingular) {
        const XelMathMxNMatrix rect(n, n, a.data());
        Dense xq(n);
        ASSERT_EQ(rect.Solve(b.data(), xq.data(), 1), 0);
        EXPECT_LE(BackwardError(a, n, n, xq, b), 8.0 * n * kEps);
      }
    }
}

TEST(MatrixSolve, SingularSquareReturnsFiveAndTwoByTwoKeepsB) {
  const double singular4[16] = {1, 2, 3, 4, 2, 4, 6, 8, 1, 0, 1, 0, 0, 1, 0, 1};
  for (long n : {1L, 2L, 3L, 4L, 25L}) {
    SCOPED_TRACE(n);
    XelMathNxNMatrix a(n, 0.0); // all zero: singular at every size
    if (n == 4)
      a.SetCoef(singular4);
    Dense b(n, 1.0);
    EXPECT_EQ(a.Determinant(), 0.0);
    EXPECT_EQ(a.Solve(b.data(), 1), 5);
    if (n <= 2) {
      EXPECT_EQ(b, Dense(n, 1.0));
    }
  }
  XelMathNxNMatrixForNewtonBfgs newton(3); // a decoupled unknown keeps its right-hand side
  newton.SetCoef(Dense{4, 1, 2, 1, 5, 1, 2, 1, 6}.data());
  newton.SetRowAndColumn(1);
  Dense b = {1, 7, 2};
  ASSERT_EQ(newton.Solve(b.data(), 1), 0);
  EXPECT_DOUBLE_EQ(b[1], 7.0);
  EXPECT_NEAR(4 * b[0] + 2 * b[2], 1.0, 1e-14);
}

// An infinite or undefined coefficient or right-hand side has no solution to report: every
// solve fails with 5, determinants are 0, the band Cholesky raises as for a non-positive
// matrix. tridiag(1, 4, 1) with one bad value.
TEST(MatrixSolve, ValuesThatAreNotFiniteAreFailures) {
  for (double bad : {std::numeric_limits<double>::infinity(), std::nan("")})
    for (long n : {2L, 3L, 5L})
      for (bool inRhs : {false, true}) {
        SCOPED_TRACE(testing::Message() << bad << " n=" << n << " rhs=" << inRhs);
        Dense a = Fill(n, n, [](long i, long j) { return i == j ? 4.0 : std::labs(i - j) == 1 ? 1.0 : 0.0; });
        Dense b(n, 1.0), x(n);
        (inRhs ? b[n - 1] : a[n + 1]) = bad;
        const XelMathNxNMatrix dense(n, a.data());
        XelMathNxNFullSymMatrix packed(dense);
        XelMathNxNBandSymMatrix band(dense, 2);
        Dense xp = b, xb = b;
        EXPECT_EQ(dense.Solve(b.data(), x.data(), 1), 5);
        EXPECT_EQ(packed.Solve(xp.data(), 1), 5);
        EXPECT_EQ(band.Solve(xb.data(), 1), 5);
        if (inRhs)
          continue;
        EXPECT_EQ(dense.Determinant(), 0.0);
        EXPECT_EQ(band.Determinant(), 0.0);
        CaptureTrace trace;
        EXPECT_EQ(packed.Cholesky(), 5);
        ExpectInputError([&] { band.Cholesky(); }, 0x20009, {"Cholesky", " A non positive matrix"});
      }
  XelMathNxNMatrix two(2, Dense{4, 1, 1, std::numeric_limits<double>::infinity()}.data());
  Dense b = {1, 2};
  EXPECT_EQ(two.Solve(b.data(), 1), 5);
  EXPECT_EQ(b, (Dense{1, 2})); // refused before B is touched
}

// Determinants of P T (T triangular, P a permutation of known sign) against the product.
TEST(MatrixSolve, DeterminantsOfPermutedTriangles) {
  for (long n : {1L, 2L, 3L, 5L, 9L}) {
    std::mt19937 g(static_cast<unsigned>(n));
    Dense t = Random(g, n * n, 0.5, 2.0), a(n * n);
    double det = 1.0;
    for (long i = 0; i < n; ++i)
      for (long j = 0; j < i; ++j)
        t[i * n + j] = 0.0;
    for (long i = 0; i < n; ++i)
      det *= t[i * n + i];
    for (long i = 0; i < n; ++i) // cyclic shift of the rows: sign (-1)^(n-1)
      for (long j = 0; j < n; ++j)
        a[((i + 1) % n) * n + j] = t[i * n + j];
    det *= (n % 2 == 0) ? -1.0 : 1.0;
    XelMathNxNMatrix m(n, a.data());
    EXPECT_NEAR(m.Determinant(), det, 1e-13 * std::fabs(det)) << n;
    XelMathNxNMatrix inverse;
    ASSERT_EQ(m.Inverse(inverse), 0);
    const Dense id = Product(a, n, n, Coefs(inverse), n);
    for (long i = 0; i < n; ++i)
      EXPECT_NEAR(id[i * n + i], 1.0, 1e-13);
    EXPECT_NEAR(m.DeterminantFast(), det, 1e-13 * std::fabs(det));
  }
}

// Overdetermined least squares: the residual is orthogonal to the columns; Läuchli's matrix,
// whose normal equations are singular in double precision, is solved to its closed form; a
// dependent column is found by the rank test.
TEST(MatrixLeastSquares, ResidualOrthogonalLauchliAndRankTest) {
  std::mt19937 g(11);
  const long m = 9, n = 4;
  const Dense a = Random(g, m * n), b = Random(g, m);
  Dense x(n);
  ASSERT_EQ(XelMathMxNMatrix(m, n, a.data()).Solve(b.data(), x.data(), 1), 0);
  Dense r = Product(a, m, n, x);
  for (long i = 0; i < m; ++i)
    r[i] -= b[i];
  for (long j = 0; j < n; ++j) {
    double s = 0.0;
    for (long i = 0; i < m; ++i)
      s += a[i * n + j] * r[i];
    EXPECT_LE(std::fabs(s), 32 * kEps * Norm(a) * Norm(b));
  }
  for (double delta : {1e-7, 1e-9}) {
    const Dense l = {1, 1, 1, delta, 0, 0, 0, delta, 0, 0, 0, delta};
    const Dense rhs = {1, 0, 0, 0};
    Dense xl(3);
    ASSERT_EQ(XelMathMxNMatrix(4, 3, l.data()).Solve(rhs.data(), xl.data(), 1), 0);
    for (double v : xl) // (J + δ² I) x = (1, 1, 1): every x_i = 1 / (3 + δ²)
      EXPECT_NEAR(v, 1.0 / (3.0 + delta * delta), 1e-15 / delta);
  }
  const Dense tiny = {1, 1, 1, 1e-15, 0, 0, 0, 1e-15, 0, 0, 0, 1e-15};
  const Dense dependent = {1, 2, 3, 2, 4, 1, 0, 0, 0, 3, 6, 5, 1, 2, 0, 2, 4, 7};
  Dense b6(6, 1.0), out(3);
  for (const auto& c : {std::make_pair(4L, tiny), std::make_pair(6L, Dense(dependent))}) {
    const XelMathMxNMatrix deficient(c.first, 3, c.second.data());
    ExpectInputError([&] { deficient.Solve(b6.data(), out.data(), 1); }, 0x20006,
                     {"the Matrix", "don't have full rank", "Solve"});
    XelMathMxNMatrix q;
    Dense beta(3);
    EXPECT_EQ(deficient.QRFactorization(q, beta.data()), 5);
  }
  const Dense parallel = {1, 2, 2, 4, 3, 6};
  ExpectInputError([&] { XelMathMxNMatrix(3, 2, parallel.data()).Solve(b6.data(), out.data(), 1); },
                   0x20006, {"the Matrix", "don't have full rank", "Solve"});
  ExpectInputError([&] { XelMathMxNMatrix(2, 3, parallel.data()).Solve(b6.data(), out.data(), 1); },
                   0x20006, {"the Matrix", "wrong dimension", "Solve"});
}

// A line y = a + b t fitted to six points and forced through (t0, y0): b is the slope of the
// least-squares line through that point, Σ(t−t0)(y−y0)/Σ(t−t0)².
TEST(MatrixLeastSquares, ConstrainedFitMatchesClosedForm) {
  const Dense t = {0, 1, 2, 3, 4, 5}, y = {1.1, 2.9, 5.2, 6.8, 9.1, 11.0};
  const long fixed = 2;
  Dense a, b;
  std::vector<long> flags;
  for (long i = 0; i < 6; ++i) {
    a.insert(a.end(), {1.0, t[i]});
    b.push_back(y[i]);
    flags.push_back(i == fixed ? 0 : 1);
  }
  double num = 0.0, den = 0.0;
  for (long i = 0; i < 6; ++i) {
    num += (t[i] - t[fixed]) * (y[i] - y[fixed]);
    den += (t[i] - t[fixed]) * (t[i] - t[fixed]);
  }
  const XelMathMxNMatrix design(6, 2, a.data());
  Dense x(2);
  ASSERT_EQ(design.Solve(b.data(), x.data(), flags.data(), 1), 0);
  EXPECT_NEAR(x[1], num / den, 1e-14);
  EXPECT_NEAR(x[0] + x[1] * t[fixed], y[fixed], 1e-14);
  XelMathMxNMatrix pinv; // the constrained pseudo-inverse gives the same solution
  design.Inverse(pinv, flags.data());
  const Dense xp = Product(Coefs(pinv), 2, 6, b);
  EXPECT_NEAR(xp[0], x[0], 1e-13);
  EXPECT_NEAR(xp[1], x[1], 1e-13);
  // All flags non-zero: the plain least squares; as many constraints as unknowns: those rows.
  Dense plain(2), all(2);
  std::vector<long> none(6, 1), two(6, 1);
  two[1] = two[4] = 0;
  design.Solve(b.data(), plain.data(), 1);
  design.Solve(b.data(), all.data(), none.data(), 1);
  EXPECT_EQ(plain, all);
  design.Solve(b.data(), x.data(), two.data(), 1);
  EXPECT_NEAR(x[0] + x[1], y[1], 1e-13);
  EXPECT_NEAR(x[0] + 4 * x[1], y[4], 1e-13);
  // Two identical constraint rows on three unknowns: a rank-deficient constraint block.
  const Dense c3 = {1, 2, 3, 1, 2, 3, 1, 0, 0, 0, 1, 0, 0, 0, 1};
  const std::vector<long> f3 = {0, 0, 1, 1, 1};
  Dense b5(5, 1.0), x3(3);
  const XelMathMxNMatrix constrained(5, 3, c3.data());
  ExpectInputError([&] { constrained.Solve(b5.data(), x3.data(), f3.data(), 1); }, 0x20006,
                   {"the Constraints", "don't have full rank", "Solve"});
  XelMathMxNMatrix r;
  ExpectInputError([&] { constrained.Inverse(r, f3.data()); }, 0x20006,
                   {"the Constraint rows", "don't have full rank", "Solve"});
}

TEST(MatrixLeastSquares, PseudoInverseIsALeftInverse) {
  std::mt19937 g(5);
  const Dense a = Random(g, 7 * 4);
  XelMathMxNMatrix p(7, 4, a.data());
  p.Inverse();
  long m = 0, n = 0;
  p.GetSizeOfMatrix(m, n);
  ASSERT_EQ(m, 4);
  ASSERT_EQ(n, 7);
  const Dense id = Product(Coefs(p), 4, 7, a, 4);
  for (long i = 0; i < 4; ++i)
    for (long j = 0; j < 4; ++j)
      EXPECT_NEAR(id[i * 4 + j], i == j ? 1.0 : 0.0, 1e-14);
  XelMathMxNMatrix wide(2, 3, 1.0), flat(3, 2, 1.0);
  ExpectInputError([&] { wide.Inverse(); }, 0x20006, {"the Matrix", "wrong dimension", "Inverse"});
  ExpectInputError([&] { flat.Inverse(); }, 0x20006,
                   {"the Matrix", "don't have full rank", "Inverse"});
}

// SVD of matrices built from known factors: singular values, orthogonality of U and V, the
// reconstruction, and the numerical rank of a rank-deficient matrix.
TEST(MatrixSvd, KnownSingularValuesOrthogonalFactorsAndRank) {
  struct Case {
    long m, n;
    Dense s;
    long rank;
  };
  const std::vector<Case> cases = {{3, 3, {1, 1, 1}, 3},
                                   {6, 4, {5, 3, 2, 1e-3}, 4},
                                   {8, 5, {4, 2, 1, 0, 0}, 3},
                                   {1, 1, {2.5}, 1},
                                   {12, 12, {9, 8, 7, 6, 5, 4, 3, 2, 1, 0.5, 0.25, 0}, 11},
                                   {5, 2, {1e-8, 1e-9}, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.m) + "x" + std::to_string(c.n));
    std::mt19937 g(static_cast<unsigned>(c.m * 31 + c.n));
    const Dense a = WithSingularValues(g, c.m, c.n, c.s);
    XelMathMxNMatrix u, v;
    Dense w(c.n);
    ASSERT_EQ(XelMathMxNMatrix(c.m, c.n, a.data()).SVD(u, w.data(), v), 0);
    const double scale = c.s[0];
    long rank = 0;
    for (long k = 0; k < c.n; ++k) {
      EXPECT_NEAR(w[k], c.s[k], 16 * kEps * scale * c.m);
      rank += w[k] > 1e-12 * w[0] ? 1 : 0;
    }
    EXPECT_EQ(rank, c.rank);
    const Dense uc = Coefs(u), vc = Coefs(v);
    EXPECT_LE(OrthogonalityDefect(uc, c.m, c.n), 1e-14);
    EXPECT_LE(OrthogonalityDefect(vc, c.n, c.n), 1e-14);
    double worst = 0.0;
    for (long i = 0; i < c.m; ++i)
      for (long j = 0; j < c.n; ++j) {
        double s = 0.0;
        for (long k = 0; k < c.n; ++k)
          s += uc[i * c.n + k] * w[k] * vc[j * c.n + k];
        worst = std::max(worst, std::fabs(s - a[i * c.n + j]));
      }
    EXPECT_LE(worst, 32 * kEps * scale * c.m);
  }
  // A NaN or infinite entry: the failure status, one column or more.
  for (const double bad : {std::nan(""), std::numeric_limits<double>::infinity()})
    for (const long n : {1L, 2L}) {
      XelMathMxNMatrix a(3, n, 0.0), u, v;
      a.SetCoef(0, 0, bad);
      Dense w(n);
      EXPECT_EQ(a.SVD(u, w.data(), v), 7) << n;
    }
}

// Symmetric indefinite solves: [[0,1],[1,0]] and a zero-diagonal matrix need 2 x 2 pivots; the
// band solve agrees with the dense complete-pivot solve; determinants agree.
TEST(MatrixSymmetric, IndefiniteSolvesAndBandAgreesWithDense) {
  XelMathNxNFullSymMatrix swap(2);
  swap.SetCoef(1, 0, 1.0);
  Dense b = {2, 3};
  ASSERT_EQ(swap.Solve(b.data(), 1), 0);
  EXPECT_EQ(b, (Dense{3, 2}));
  // A leading 2x2 block that is singular ([[1, 2], [2, 4]]) is refused as a pivot: 1x1 at 0,
  // then the 2x2 pivot [[0, 1], [1, 3]] left by the elimination.
  XelMathNxNBandSymMatrix tri(3, 2);
  for (const auto& c :
       {std::make_tuple(0L, 0L, 1.0), std::make_tuple(1L, 0L, 2.0), std::make_tuple(1L, 1L, 4.0),
        std::make_tuple(2L, 1L, 1.0), std::make_tuple(2L, 2L, 3.0)})
    tri.SetCoef(std::get<0>(c), std::get<1>(c), std::get<2>(c));
  Dense tb = {5, 13, 11};
  ASSERT_EQ(tri.Solve(tb.data(), 1), 0);
  for (long i = 0; i < 3; ++i)
    EXPECT_NEAR(tb[i], i + 1.0, 1e-14);
  // The exchange matrix of 30 unknowns pivots row 0 with row 29: x = J b.
  XelMathNxNFullSymMatrix exchange(30);
  Dense jb(30);
  for (long i = 0; i < 30; ++i) {
    exchange.SetCoef(i, 29 - i, 1.0);
    jb[i] = i;
  }
  ASSERT_EQ(exchange.Solve(jb.data(), 1), 0);
  for (long i = 0; i < 30; ++i)
    EXPECT_EQ(jb[i], 29.0 - i);
  std::mt19937 g(17);
  for (long n : {6L, 12L, 30L}) {
    SCOPED_TRACE(n);
    const long width = 3;
    XelMathNxNFullSymMatrix packed(n);
    XelMathNxNBandSymMatrix band(n, width);
    for (long i = 0; i < n; ++i)
      for (long j = 0; j < i; ++j) {
        const double v = i - j < width ? Random(g, 1)[0] + (i - j == 1 ? 2.0 : 0.0) : 0.0;
        packed.SetCoef(i, j, v);
        band.SetCoef(i, j, v);
      }
    const Dense a = Coefs(packed), rhs = Random(g, n);
    Dense xp = rhs, xb = rhs, xd(n);
    ASSERT_EQ(packed.Solve(xp.data(), 1), 0);
    ASSERT_EQ(band.Solve(xb.data(), 1), 0);
    ASSERT_EQ(XelMathNxNMatrix(n, a.data()).Solve(rhs.data(), xd.data(), 1), 0);
    EXPECT_LE(BackwardError(a, n, n, xp, rhs), 8.0 * n * kEps);
    EXPECT_LE(BackwardError(a, n, n, xb, rhs), 8.0 * n * kEps);
    for (long i = 0; i < n; ++i)
      EXPECT_NEAR(xb[i], xd[i], 1e-10 * Norm(xd));
    const double det = XelMathNxNMatrix(n, a.data()).Determinant();
    EXPECT_NEAR(band.Determinant(), det, 1e-11 * std::fabs(det));
    XelMathNxNFullSymMatrix inverse, packedInverse;
    ASSERT_EQ(band.Inverse(&inverse), 0);
    ASSERT_EQ(packed.Inverse(&packedInverse), 0);
    const Dense id = Product(a, n, n, Coefs(inverse), n),
                pid = Product(a, n, n, Coefs(packedInverse), n);
    for (long k = 0; k < n * n; ++k) {
      EXPECT_NEAR(id[k], k % (n + 1) == 0 ? 1.0 : 0.0, 1e-11);
      EXPECT_NEAR(pid[k], k % (n + 1) == 0 ? 1.0 : 0.0, 1e-11);
    }
    EXPECT_NEAR(band.SchurNorm(), Norm(a), 1e-14 * Norm(a));
    EXPECT_NEAR(packed.SchurNorm(), Norm(a), 1e-14 * Norm(a));
  }
}

// Indefinite band matrices whose pivots need interchanges (zero or small leading blocks).
// Rows of the lower band (columns i−b+1..i of row i); determinants by exact elimination,
// 1-norm condition numbers by extended precision; x = (1, ..., n).
TEST(MatrixSymmetric, BandInterchangesSolveIndefiniteMatrices) {
  struct Case {
    long n, b;
    Dense lower;
    double det, cond;
  };
  const std::vector<Case> cases = {
      {4, 3, {0, 0, 0, -2, -2, 0, 2, 1, 0}, 16.0, 8.75},
      {7, 4, {-1, -2, 1, -1, 1, 1, 0, -1, -1, 1, -1, -2, 0, 0, -1, 2, 0, 1, 0, -2, -2, 0},
       -36.0, 59.5},
      {9, 3, {1, 2, -1, 0, 2, -1, -1, 1, -1, 0, 1, 1, -2, 0, -1, -2, -1, -1, 2, 1, 1, -1, -2, 1},
       -104.0, 112.4},
      // Interchanges in succession fill in past twice the half band width.
      {8, 3, {-2, 1, -1, 1, 1, 0, -2, -1, 2, 0, 0, 2, 2, 1, -2, -2, 0, 0, 0, -1, 2}, 221.0,
       31.8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    XelMathNxNBandSymMatrix band(c.n, c.b);
    for (long i = 0, k = 0; i < c.n; ++i)
      for (long j = std::max(0L, i - c.b + 1); j <= i; ++j)
        band.SetCoef(i, j, c.lower[k++]);
    Dense x(c.n), rhs(c.n);
    for (long i = 0; i < c.n; ++i)
      x[i] = i + 1.0;
    band.Multiply(x.data(), rhs.data());
    ASSERT_EQ(band.Solve(rhs.data(), 1), 0);
    for (long i = 0; i < c.n; ++i)
      EXPECT_NEAR(rhs[i], x[i], 8.0 * c.cond * c.n * c.n * kEps);
    EXPECT_NEAR(band.Determinant(), c.det, 8.0 * c.n * kEps * std::fabs(c.det));
  }
  // Wilkinson's W21− (diagonal 10, 9, ..., −10, ones beside it) is singular.
  XelMathNxNBandSymMatrix w(21, 2);
  for (long i = 0; i < 21; ++i) {
    w.SetCoef(i, i, 10.0 - i);
    if (i > 0)
      w.SetCoef(i, i - 1, 1.0);
  }
  Dense ones(21, 1.0);
  EXPECT_EQ(w.Solve(ones.data(), 1), 5);
  EXPECT_EQ(w.Determinant(), 0.0);
}

TEST(MatrixSymmetric, CholeskyJacobiAndBfgs) {
  std::mt19937 g(23);
  const long n = 5;
  const Dense lambda = {-2.0, 0.5, 1.0, 3.0, 7.0};
  const Dense q = Reflection(g, n);
  XelMathNxNFullSymMatrix s(n), spd(n);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      double v = 0.0, p = 0.0;
      for (long k = 0; k < n; ++k) {
        v += q[i * n + k] * lambda[k] * q[j * n + k];
        p += q[i * n + k] * (k + 1.0) * q[j * n + k];
      }
      s.SetCoef(i, j, v);
      spd.SetCoef(i, j, p);
    }
  XelMathNxNMatrix vectors;
  Dense values(n);
  ASSERT_EQ(s.EvalEigenVal(vectors, values.data(), 1e-15, 1), 0);
  for (long k = 0; k < n; ++k)
    EXPECT_NEAR(values[k], lambda[k], 1e-13);
  EXPECT_LE(OrthogonalityDefect(Coefs(vectors), n, n), 1e-14);
  EXPECT_NEAR(spd.DeterminantCholesky(), 120.0, 1e-11);
  EXPECT_NEAR(spd.Determinant(), 120.0, 1e-11);
  Dense x = {1, 2, 3, 4, 5}, rhs = Product(Coefs(spd), n, n, x);
  ASSERT_EQ(spd.SolveCholesky(rhs.data(), nullptr, 1), 0);
  for (long i = 0; i < n; ++i)
    EXPECT_NEAR(rhs[i], x[i], 1e-13);
  // Imposed unknowns 1 and 3 keep their values; the free rows hold exactly.
  const long imp[5] = {1, 0, 1, 0, 1};
  Dense held = Product(Coefs(spd), n, n, x);
  held[1] = x[1];
  held[3] = x[3];
  ASSERT_EQ(spd.SolveCholesky(held.data(), imp, 1), 0);
  for (long i = 0; i < n; ++i)
    EXPECT_NEAR(held[i], x[i], 1e-13);
  XelMathNxNFullSymMatrix inverse; // the inverse solves every column of the identity
  ASSERT_EQ(spd.InverseCholesky(&inverse), 0);
  const Dense id = Product(Coefs(spd), n, n, Coefs(inverse), n);
  for (long k = 0; k < n * n; ++k)
    EXPECT_NEAR(id[k], k % (n + 1) == 0 ? 1.0 : 0.0, 1e-13);
  // BFGS: after an update the estimate satisfies the secant condition H s = y.
  XelMathNxNFullSymMatrixForBfgs h(3);
  for (long i = 0; i < 3; ++i)
    h.SetCoef(i, i, 1.0);
  const Dense step = {0.3, -0.2, 0.5}, dy = {0.9, -0.1, 1.2};
  Dense w(3), hs(3);
  ASSERT_EQ(
      h.UpdateH(Norm(dy) * Norm(dy), Norm(step) * Norm(step), step.data(), dy.data(), w.data()), 1);
  h.Multiply(step.data(), hs.data());
  for (long i = 0; i < 3; ++i)
    EXPECT_NEAR(hs[i], dy[i], 1e-14);
  const Dense orthogonal = {0.2, 0.3, 0.0};
  EXPECT_EQ(h.UpdateH(1.0, 1.0, step.data(), orthogonal.data(), w.data()), 0); // sᵀy = 0
}

// The edge cases of the symmetric storages, their messages and their impositions.
TEST(MatrixSymmetric, BandLayoutMessagesAndImpositions) {
  XelMathNxNBandSymMatrix band(5, 2);
  band.SetCoef(4, 3, 7.5);
  EXPECT_EQ(band.GetCoef(7), 7.5); // row 4 holds (4,3), (4,4) at 7, 8: rows are contiguous
  EXPECT_EQ(band.GetBandCount(), 9);
  {
    CaptureTrace trace;
    band.SetCoef(4, 1, 1.0);
    EXPECT_EQ(band.GetCoef(4, 1), 0.0);
    EXPECT_NE(trace.Text().find(" element non nul hors de la bande diagonale "), std::string::npos);
  }
  XelMathNxNFullSymMatrix indefinite(2, Dense{1, 2, 1}.data());
  {
    CaptureTrace trace;
    EXPECT_EQ(indefinite.Cholesky(), 5);
    EXPECT_EQ(trace.Text(), " a non positive matrix ");
  }
  XelMathNxNBandSymMatrix indefiniteBand(indefinite, 2);
  ExpectInputError([&] { indefiniteBand.Cholesky(); }, 0x20009,
                   {"Cholesky", " A non positive matrix"});
  ExpectInputError([&] { indefiniteBand.DeterminantFastCholesky(); }, 0x20009,
                   {"DeterminantFastCholesky", " A non positive matrix"});
  const std::vector<std::pair<std::function<void()>, std::string>> messages = {
      {[] { XelMathNxNFullSymMatrix(XelMathMxNMatrix(2, 3, 1.0)); }, " non square matrix !! "},
      {[] {
         XelMathNxNFullSymMatrix(XelMathMxNMatrix(2, 2, Dense{1, 2, 3, 1}.data()));
       },
       " non symetric matrix !! "},
      {[] { XelMathNxNBandSymMatrix(XelMathNxNFullSymMatrix(2), 3); },
       " Band width greater than matrix size!! "},
      {[] {
         XelMathNxNBandSymMatrix(XelMathNxNMatrix(3, Dense{1, 0, 5, 0, 1, 0, 5, 0, 1}.data()), 2);
       },
       " uncorrect matrix (symetry or band) !! "},
      {[] { XelMathNxNBandSymMatrix(XelMathMxNMatrix(2, 2, 1.0), 3); },
       " bandwidth greater than size !! "},
      {[] { XelMathNxNBandSymMatrix(3, 4); },
       " XelMathNxNMatrix : largeur de bande superieure a la dimension "},
      {[] { XelMathNxNFullSymMatrix(3).SetSizeOfMatrix(4); }, " invalid size matrix  "},
      {[] { XelMathNxNBandSymMatrix(5, 3).SetSizeOfMatrix(2); }, " invalid size matrix  "}};
  for (const auto& m : messages) {
    CaptureTrace trace;
    m.first();
    EXPECT_EQ(trace.Text(), m.second);
  }
  XelMathNxNFullSymMatrix three;
  {
    CaptureTrace trace;
    EXPECT_EQ(three.SetData(XelMath3x3Matrix(Dense{1, 2, 3, 2, 1, 0, 3, 0, 1}.data())), 0);
    EXPECT_EQ(three.SetData(XelMath3x3Matrix(Dense{1, 2, 3, 0, 1, 0, 3, 0, 1}.data())),
              0x80004005L);
    EXPECT_EQ(trace.Text(), " non symetric matrix !! ");
  }
  // imp = {1, 0, 1}: x1 keeps its given value 2, the free rows hold exactly.
  const Dense a = {4, 1, 0, 1, 3, 1, 0, 1, 5};
  XelMathNxNFullSymMatrix packed(XelMathMxNMatrix(3, 3, a.data()));
  XelMathNxNBandSymMatrix tri(XelMathMxNMatrix(3, 3, a.data()), 2);
  const long imp[3] = {1, 0, 1};
  for (XelMathNxNFullSymMatrix* m : {&packed, static_cast<XelMathNxNFullSymMatrix*>(&tri)}) {
    Dense x = {6, 2, 7};
    ASSERT_EQ(m->Solve(x.data(), imp, 1), 0);
    EXPECT_EQ(x[1], 2.0);
    EXPECT_NEAR(4 * x[0] + 1 * x[1], 6.0, 1e-14);
    EXPECT_NEAR(1 * x[1] + 5 * x[2], 7.0, 1e-14);
  }
  // A permutation matrix whose leading 1 x 1 and 2 x 2 blocks are singular: both LDLᵀ
  // interchange rows.
  const Dense perm = {0, 0, 1, 0, 1, 0, 1, 0, 0};
  Dense px = {1, 2, 3}, bx = px;
  EXPECT_EQ(XelMathNxNFullSymMatrix(XelMathMxNMatrix(3, 3, perm.data())).Solve(px.data(), 1), 0);
  EXPECT_EQ(px, (Dense{3, 2, 1}));
  EXPECT_EQ(XelMathNxNBandSymMatrix(XelMathMxNMatrix(3, 3, perm.data()), 3).Solve(bx.data(), 1), 0);
  EXPECT_EQ(bx, (Dense{3, 2, 1}));
  const long none[3] = {0, 0, 0};
  Dense kept = {1, 2, 3};
  EXPECT_EQ(packed.Solve(kept.data(), none, 1), 0);
  EXPECT_EQ(kept, (Dense{1, 2, 3}));
}

// Storage rules, in-place transposition and products.
TEST(MatrixStorage, TransposeFillsAndProducts) {
  XelMathMxNMatrix t(2, 3, Dense{1, 2, 3, 4, 5, 6}.data());
  t.Transpose();
  EXPECT_EQ(Coefs(t), (Dense{1, 4, 2, 5, 3, 6}));
  XelMathMxNMatrix row(1, 4, Dense{1, 2, 3, 4}.data());
  row.Transpose();
  EXPECT_EQ(Coefs(row), (Dense{1, 2, 3, 4}));
  std::mt19937 g(29);
  for (const auto& mn :
       {std::make_pair(7L, 5L), std::make_pair(13L, 2L), std::make_pair(1201L, 3L)}) {
    const Dense a = Random(g, mn.first * mn.second);
    XelMathMxNMatrix inPlace(mn.first, mn.second, a.data()), copy(mn.second, mn.first);
    inPlace.Transpose(copy);
    inPlace.Transpose();
    EXPECT_EQ(Coefs(inPlace), Coefs(copy));
    EXPECT_EQ(Coefs(inPlace)[1], a[mn.second]);
  }
  EXPECT_EQ(Coefs(XelMathNxNMatrix(3, 2.0)), (Dense{2, 0, 0, 0, 2, 0, 0, 0, 2}));
  const Dense a = Random(g, 12), c = Random(g, 8);
  const XelMathMxNMatrix A(3, 4, a.data()), C(4, 2, c.data());
  EXPECT_EQ(Coefs(A * C), Product(a, 3, 4, c, 2));
  XelMathNxNFullSymMatrix gram, transGram;
  A.GramProduct(gram);
  A.TransGramProduct(transGram);
  XelMathMxNMatrix at(4, 3);
  A.Transpose(at);
  for (long i = 0; i < 3; ++i)
    for (long j = 0; j < 3; ++j)
      EXPECT_NEAR(gram.GetCoef(i, j), Coefs(A * at)[i * 3 + j], 1e-15);
  EXPECT_NEAR(transGram.GetCoef(3, 1), Coefs(at * A)[3 * 4 + 1], 1e-15);
  XelMathGrid grid(4, 2);
  for (long k = 0; k < 8; ++k)
    grid.SetCoef(k / 2, k % 2, c[k]);
  A.MatrixTimesGrid(grid);
  ASSERT_EQ(grid.GetNumberOfRows(), 3);
  EXPECT_NEAR(grid.GetCoef(2, 1), Product(a, 3, 4, c, 2)[5], 1e-15);
  EXPECT_EQ(Coefs(2.0 * A - A), a);
}

TEST(MatrixMisuse, DimensionsAndSizesRaiseWithTheirTexts) {
  const XelMathMxNMatrix a(2, 3, 1.0), b(3, 3, 1.0);
  XelMathMxNMatrix p;
  const std::vector<std::pair<std::function<void()>, std::vector<std::string>>> cases = {
      {[&] { a.Multiply(a, p); }, {"the Matrix", "wrong dimension", "Multiply"}},
      {[&] { a.Add(b, p); }, {"the Matrix", "wrong dimension", "Add"}},
      {[&] { a.Substract(b, p); }, {"the Matrix", "wrong dimension", "Substract"}},
      {[&] { p = a + b; }, {"the Matrix", "wrong dimension", "Operator +"}},
      {[&] { p = a - b; }, {"the Matrix", "wrong dimension", "Operator -"}},
      {[&] { p = a * a; }, {"the Matrix", "wrong dimension", "Operator *"}},
      {[&] { a.QRFactorization(p, nullptr); }, {"the Matrix", "wrong dimension", "QRFactors"}},
      {[&] {
         XelMathGrid g(2, 2);
         a.MatrixTimesGrid(g);
       },
       {"the XelMathMxNMatrix", "the same as the grid's", "XelMathMxNMatrix::MatrixTimesGrid()"}},
      {[&] {
         XelMathGrid g(2, 3);
         a.GridTimesMatrix(g);
       },
       {"the XelMathMxNMatrix", "the same as the grid's", "XelMathMxNMatrix::GridTimesMatrix()"}}};
  for (const auto& c : cases)
    ExpectInputError(c.first, 0x20006, c.second);
  for (const auto& mn :
       {std::make_pair(-1L, 3L), std::make_pair(3L, -1L), std::make_pair(LONG_MAX, 2L),
        std::make_pair(1L << 32, 1L << 32), std::make_pair(1L << 31, 1L)})
    ExpectInputError([&] { XelMathMxNMatrix(mn.first, mn.second); }, 0x2000c,
                     {"Constructor", "Dimension not valid", ""});
  const XelMathNxNFullSymMatrix sym3(3);
  const XelMathNxNBandSymMatrix band3(3, 2);
  for (const auto& call : std::vector<std::function<void()>>{
           [&] { b.GetCoef(3, 0); }, [&] { b.GetCoef(-1); }, [&] { p.SetCoef(0, 1.0); },
           [&] { sym3.GetCoef(0, 3); }, [&] { sym3.GetCoef(6); }, [&] { band3.GetCoef(5); },
           [&] { band3.GetCoef(-1, 0); }})
    ExpectInputError(call, 0x20007, {"the coefficient index of a matrix", "Wrong Index"});
  ExpectInputError([] { XelMathNxNFullSymMatrix(LONG_MAX); }, 0x2000c);
  ExpectInputError([] { XelMathNxNBandSymMatrix(LONG_MAX / 2, 3); }, 0x2000c);
  // Impossible right-hand-side counts raise before any product or read; a range of linear
  // indices that leaves the matrix writes nothing.
  double rhs[3] = {1, 2, 3};
  XelMathNxNMatrix square(3, 2.0);
  XelMathNxNFullSymMatrix packed(3);
  ExpectInputError([&] { square.Solve(rhs, LONG_MAX); }, 0x2000c);
  ExpectInputError([&] { packed.Solve(rhs, LONG_MAX / 2); }, 0x2000c);
  ExpectInputError([&] { square.SetCoef(7, 12, rhs); }, 0x20007);
  EXPECT_EQ(square.GetCoef(2, 1), 0.0);
  CaptureTrace trace;
  XelQuorOutput::GetErr().Redirect(&std::cout);
  XelMathMxNMatrix small(2, 2, 0.0);
  small.SetSubMatrix(b, 1, 0); // passes the last row: nothing written
  EXPECT_EQ(Coefs(small), Dense(4, 0.0));
  XelMathMxNMatrix tall(3, 2, 0.0);
  const double row[2] = {1.0, 2.0};
  tall.SetSubMatrix(XelMathMxNMatrix(1, 2, row), 1, 0); // one row: the last one stays 0
  EXPECT_EQ(Coefs(tall), (Dense{0, 0, 1, 2, 0, 0}));
  XelQuorOutput::GetErr().Redirect(nullptr);
}

// Solves of fewer than 21 unknowns, QR least squares and small SVDs allocate nothing.
TEST(MatrixHotPaths, SmallSolvesDoNotAllocate) {
  std::mt19937 g(31);
  const Dense a = Random(g, 144), b = Random(g, 12);
  const XelMathNxNMatrix square(12, a.data());
  const XelMathMxNMatrix rect(12, 8, a.data());
  XelMathNxNFullSymMatrix sym(12);
  for (long i = 0; i < 12; ++i)
    sym.SetCoef(i, i, 2.0 + i);
  XelMathNxNBandSymMatrix band(sym, 3);
  XelMathMxNMatrix u(12, 8), v(8, 8);
  Dense x(12), w(8);
  const long before = Allocations();
  EXPECT_EQ(square.Solve(b.data(), x.data(), 1), 0);
  EXPECT_EQ(rect.Solve(b.data(), x.data(), 1), 0);
  EXPECT_EQ(rect.SVD(u, w.data(), v), 0);
  Dense y = b;
  EXPECT_EQ(sym.Solve(y.data(), 1), 0);
  EXPECT_EQ(band.Solve(y.data(), 1), 0);
  EXPECT_EQ(Allocations(), before);
}

// The Hessian of an N-variable function written into a packed symmetric matrix matches the
// full-array form; null outputs are skipped.
TEST(MatrixSymmetric, FunctionHessianIntoPackedMatrix) {
  struct Cubic : XelMathFunctionRN {
    Cubic() : XelMathFunctionRN(3) {}
    const char* IsA() const override { return "Cubic"; }
    XelMathFunctionRN* Duplicate() const override { return new Cubic(); }
    using XelMathFunctionRN::Eval;
    double Eval(const double* x) const override {
      return x[0] * x[0] * x[1] + 3 * x[1] * x[2] * x[2] + x[2];
    }
  } f;
  double x[3] = {0.5, -1.0, 2.0}, full[9], grad[3], value = 0.0;
  XelMathNxNFullSymMatrix packed(3);
  f.Eval(x, 7, &value, grad, &packed);
  f.Eval(x, 4, nullptr, nullptr, full);
  const double exact[9] = {2 * x[1], 2 * x[0], 0, 2 * x[0], 0, 6 * x[2], 0, 6 * x[2], 6 * x[1]};
  for (long i = 0; i < 3; ++i)
    for (long j = 0; j < 3; ++j) {
      EXPECT_EQ(packed.GetCoef(i, j), full[i * 3 + j]);
      EXPECT_NEAR(packed.GetCoef(i, j), exact[i * 3 + j], 1e-6);
    }
  EXPECT_DOUBLE_EQ(value, f.Eval(x));
}
