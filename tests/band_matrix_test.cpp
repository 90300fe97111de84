// Rectangular band matrices: least squares (normal equations and Givens QR), periodic bases,
// impositions, weights, Gram products, singular values and eigenvalues. References are dense
// solves written here with plain loops, closed forms of circulant and tridiagonal matrices.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "XelMathGrid.h"
#include "XelMathMxNBandMatrix.h"
#include "XelMathSetOf3DObjects.h"

namespace {

using Vec = std::vector<double>;
const double kPi = 3.14159265358979323846;

// Dense solve of the n x n system G x = r (nRHS columns) by Gaussian elimination with partial
// pivoting; the independent reference of every band solve below.
Vec DenseSolve(Vec g, Vec r, long n, long nRHS) {
  for (long k = 0; k < n; k++) {
    long piv = k;
    for (long i = k + 1; i < n; i++)
      if (std::fabs(g[i * n + k]) > std::fabs(g[piv * n + k]))
        piv = i;
    for (long j = 0; j < n; j++)
      std::swap(g[k * n + j], g[piv * n + j]);
    for (long c = 0; c < nRHS; c++)
      std::swap(r[k * nRHS + c], r[piv * nRHS + c]);
    for (long i = k + 1; i < n; i++) {
      const double f = g[i * n + k] / g[k * n + k];
      for (long j = k; j < n; j++)
        g[i * n + j] -= f * g[k * n + j];
      for (long c = 0; c < nRHS; c++)
        r[i * nRHS + c] -= f * r[k * nRHS + c];
    }
  }
  for (long i = n - 1; i >= 0; i--)
    for (long c = 0; c < nRHS; c++) {
      double s = r[i * nRHS + c];
      for (long j = i + 1; j < n; j++)
        s -= g[i * n + j] * r[j * nRHS + c];
      r[i * nRHS + c] = s / g[i * n + i];
    }
  return r;
}

// Dense weighted normal equations A^T W A x = A^T W b of a dense m x n matrix.
Vec DenseLeastSquares(const Vec& a, const Vec& b, const Vec& w, long m, long n, long nRHS) {
  Vec g(n * n, 0.0), r(n * nRHS, 0.0);
  for (long i = 0; i < m; i++)
    for (long j = 0; j < n; j++) {
      for (long k = 0; k < n; k++)
        g[j * n + k] += w[i] * a[i * n + j] * a[i * n + k];
      for (long c = 0; c < nRHS; c++)
        r[j * nRHS + c] += w[i] * a[i * n + j] * b[i * nRHS + c];
    }
  return DenseSolve(g, r, n, nRHS);
}

double MaxDiff(const double* x, const Vec& y) {
  double d = 0.0;
  for (std::size_t k = 0; k < y.size(); k++)
    d = std::max(d, std::fabs(x[k] - y[k]));
  return d;
}

// A fit by uniform quadratic B-splines (w = 3) at m points of [0, 1): open (n = cells + 2) or
// periodic (n = cells, rows wrap around). Returns the band matrix and fills its dense copy.
struct Fit {
  long m, n;
  XelMathMxNBandMatrix band;
  Vec dense, b, weights;
};
void BuildFit(Fit& f, long m, long cells, bool periodic, bool weighted, long nRHS) {
  f.m = m;
  f.n = periodic ? cells : cells + 2;
  f.band = XelMathMxNBandMatrix(m, f.n, 3);
  f.dense.assign(m * f.n, 0.0);
  f.b.resize(m * nRHS);
  f.weights.assign(m, 1.0);
  for (long i = 0; i < m; i++) {
    const double t = (i + 0.37) / m, s = t * cells;
    const long cell = std::min(static_cast<long>(s), cells - 1);
    const double u = s - cell;
    const double v[3] = {0.5 * (1 - u) * (1 - u), 0.5 * (-2 * u * u + 2 * u + 1), 0.5 * u * u};
    f.band.SetCoef(i, cell, v);
    for (long k = 0; k < 3; k++)
      f.dense[i * f.n + (cell + k) % f.n] += v[k];
    for (long c = 0; c < nRHS; c++)
      f.b[i * nRHS + c] = std::sin(2 * kPi * t + c) + 0.1 * std::cos(17.0 * t * (c + 1));
    if (weighted)
      f.weights[i] = 0.5 + std::fabs(std::sin(3.0 * i));
  }
  if (weighted)
    f.band.SetRowWeights(f.weights.data());
}

enum Method { kNormal, kQR, kGrid, kSet3D, kTransfQR };

TEST(BandMatrix, LeastSquaresFitsMatchTheDenseNormalEquations) {
  struct Case { bool periodic, weighted; Method method; long nRHS; };
  const Case cases[] = {{false, false, kNormal, 1}, {false, true, kNormal, 2},
                        {true, false, kNormal, 1},  {true, true, kNormal, 2},
                        {false, false, kQR, 2},     {false, true, kQR, 1},
                        {true, false, kQR, 1},      {true, true, kQR, 2},
                        {true, true, kGrid, 2},     {false, true, kSet3D, 3},
                        {true, false, kTransfQR, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.periodic << c.weighted << c.method);
    Fit f;
    BuildFit(f, 60, 9, c.periodic, c.weighted, c.nRHS);
    EXPECT_EQ(f.band.GetIfPeriodic(), c.periodic ? 1 : 0);
    const Vec ref = DenseLeastSquares(f.dense, f.b, f.weights, f.m, f.n, c.nRHS);
    Vec x(f.n * c.nRHS, 0.0);
    int done = 0;
    if (c.method == kNormal) {
      done = f.band.Solve(f.b.data(), x.data(), c.nRHS, f.m);
      EXPECT_EQ(f.band.GetStorageMode(), 3);
    } else if (c.method == kQR) {
      done = f.band.SolveQR(f.b.data(), x.data(), c.nRHS);
    } else if (c.method == kGrid) {
      XelMathGrid g(f.m, c.nRHS);
      std::copy(f.b.begin(), f.b.end(), g.GetData());
      done = f.band.Solve(g) && g.GetNumberOfRows() == f.n;
      std::copy(g.GetData(), g.GetData() + f.n * c.nRHS, x.begin());
    } else if (c.method == kSet3D) {
      XelMathSetOf3DObjects in(f.m), out;
      std::copy(f.b.begin(), f.b.end(), in.GetData());
      done = f.band.Solve(in, out) && out.GetNumberOfObjects() == f.n;
      std::copy(out.GetData(), out.GetData() + f.n * 3, x.begin());
    } else {
      Vec b = f.b;
      done = f.band.TransfQR(b.data(), c.nRHS) && f.band.SolveQRII(b.data(), c.nRHS);
      std::copy(b.begin(), b.begin() + f.n * c.nRHS, x.begin());
      EXPECT_EQ(f.band.GetStorageMode(), 4);
    }
    ASSERT_EQ(done, 1);
    EXPECT_LT(MaxDiff(x.data(), ref), 1e-10);
  }
}

// Circulant systems with a symmetric stencil: for b_j = cos(2 pi q j / n) the solution is
// b / lambda_q, lambda_q = c0 + 2 sum c_m cos(2 pi q m / n).
TEST(BandMatrix, PeriodicSystemsMatchTheCirculantClosedForm) {
  struct Case { long n; Vec stencil; Method method; };
  const Case cases[] = {{7, {4, 1}, kNormal},        {12, {8, -4, 1}, kNormal},
                        {9, {8, -4, 1}, kQR},        {7, {4, 1}, kQR},
                        {12, {8, -4, 1}, kTransfQR}, {7, {4, 1}, kGrid}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.method);
    const long n = c.n, h = static_cast<long>(c.stencil.size()) - 1, q[2] = {1, 3};
    Vec b(2 * n), ref(2 * n), row(2 * h + 1);
    for (long k = -h; k <= h; k++)
      row[k + h] = c.stencil[std::labs(k)];
    for (long j = 0; j < n; j++)
      for (long r = 0; r < 2; r++) {
        double lambda = c.stencil[0];
        for (long m = 1; m <= h; m++)
          lambda += 2 * c.stencil[m] * std::cos(2 * kPi * q[r] * m / n);
        b[j * 2 + r] = std::cos(2 * kPi * q[r] * j / n);
        ref[j * 2 + r] = b[j * 2 + r] / lambda;
      }
    Vec x(2 * n, 0.0);
    int done = 0;
    if (c.method == kGrid) { // the symmetric band (mode 2) with its corner written directly
      XelMathMxNBandMatrix s(n, n, h + 1, 2);
      for (long i = 0; i < n; i++)
        for (long k = 0; k <= h; k++)
          s.SetCoef(i, (i + k) % n, c.stencil[k]);
      EXPECT_EQ(s.GetIfPeriodic(), 1);
      done = s.FactorizeLDLt(0.0) && s.SolveLDLt(b.data(), 2);
      x = b;
    } else {
      XelMathMxNBandMatrix a(n, n, 2 * h + 1);
      for (long i = 0; i < n; i++)
        a.SetCoef(i, i - h, row.data());
      if (c.method == kNormal)
        done = a.Solve(b.data(), x.data(), 2, n);
      else if (c.method == kQR)
        done = a.SolveQR(b.data(), x.data(), 2);
      else {
        x = b;
        done = a.TransfQR(x.data(), 2) && a.SolveQRII(x.data(), 2);
      }
    }
    ASSERT_EQ(done, 1);
    EXPECT_LT(MaxDiff(x.data(), ref), 1e-12);
  }
}

// Rows x_i + x_{i+1} and delta x_j: the normal matrix has condition about 1/delta^2.
TEST(BandMatrix, QRKeepsTheAccuracyThatNormalEquationsLose) {
  const long n = 20, m = 2 * n - 1;
  const double delta = 1e-7;
  XelMathMxNBandMatrix a(m, n, 2);
  Vec xTrue(n), b(m, 0.0);
  for (long j = 0; j < n; j++)
    xTrue[j] = 1.0 + 0.5 * std::sin(1.0 + j);
  for (long i = 0; i < n - 1; i++) {
    const double v[2] = {1.0, 1.0};
    a.SetCoef(i, i, v);
    b[i] = xTrue[i] + xTrue[i + 1];
  }
  for (long j = 0; j < n; j++) {
    const double v[2] = {j < n - 1 ? delta : 0.0, j < n - 1 ? 0.0 : delta};
    a.SetCoef(n - 1 + j, std::min(j, n - 2), v);
    b[n - 1 + j] = delta * xTrue[j];
  }
  Vec xqr(n, 0.0), xne(n, 0.0);
  ASSERT_EQ(a.SolveQR(b.data(), xqr.data(), 1), 1);
  const double errQR = MaxDiff(xqr.data(), xTrue);
  EXPECT_LT(errQR, 1e-6);
  const int normalDone = a.Solve(b.data(), xne.data(), 1, m);
  EXPECT_TRUE(normalDone == 0 || MaxDiff(xne.data(), xTrue) > 100 * errQR);
}

// Imposed unknowns keep their values; the others solve the reduced problem (imposed columns
// moved to the right-hand side), solved densely here.
TEST(BandMatrix, ImposedUnknownsKeepTheirGivenValues) {
  for (Method method : {kNormal, kQR, kGrid}) {
    for (bool periodic : {false, true}) {
      SCOPED_TRACE(testing::Message() << method << periodic);
      Fit f;
      BuildFit(f, 40, 8, periodic, true, 1);
      const long n = f.n;
      std::vector<long> imp(n, 1);
      imp[0] = imp[n - 1] = imp[n / 2] = 0;
      Vec x(n, 0.0);
      x[0] = 0.25, x[n - 1] = -0.5, x[n / 2] = 2.0;
      Vec rhs = f.b;
      for (long i = 0; i < f.m; i++)
        for (long j = 0; j < n; j++)
          if (!imp[j])
            rhs[i] -= f.dense[i * n + j] * x[j];
      // Reference: dense normal equations of the free columns only.
      Vec g(n * n, 0.0), r(n, 0.0);
      for (long i = 0; i < f.m; i++)
        for (long j = 0; j < n; j++) {
          for (long k = 0; k < n; k++)
            if (imp[j] && imp[k])
              g[j * n + k] += f.weights[i] * f.dense[i * n + j] * f.dense[i * n + k];
          r[j] += imp[j] ? f.weights[i] * f.dense[i * n + j] * rhs[i] : 0.0;
        }
      for (long j = 0; j < n; j++)
        if (!imp[j])
          g[j * n + j] = 1.0, r[j] = x[j];
      const Vec ref = DenseSolve(g, r, n, 1);
      f.band.SetImpositions(imp.data());
      int done = 0;
      if (method == kNormal) {
        done = f.band.Solve(f.b.data(), x.data(), 1, f.m);
      } else if (method == kQR) {
        done = f.band.SolveQR(f.b.data(), x.data(), 1);
      } else { // normal matrix formed first, then the symmetric solve in place
        Vec atb(n);
        ASSERT_TRUE(f.band.TransMultiply(f.b.data(), atb.data(), 1) && f.band.TransGramProduct());
        for (long j = 0; j < n; j++)
          if (!imp[j])
            atb[j] = x[j];
        done = f.band.Solve(atb.data(), 1, n);
        x = atb;
      }
      ASSERT_EQ(done, 1);
      EXPECT_LT(MaxDiff(x.data(), ref), 1e-10);
      EXPECT_EQ(x[0], 0.25);
      EXPECT_EQ(x[n / 2], 2.0);
    }
  }
}

// Smoothing terms and appended rows give the same normal equations as the dense sums.
TEST(BandMatrix, GramProductsAddUpLikeTheDenseSums) {
  Fit f;
  BuildFit(f, 50, 10, false, true, 1);
  const long n = f.n, half = 23;
  const double lambda = 0.3;
  // Second differences D (n-2 rows of width 3) as the smoothing term lambda D^T D.
  XelMathMxNBandMatrix d(n - 2, n, 3);
  const double diff[3] = {1.0, -2.0, 1.0};
  for (long i = 0; i < n - 2; i++)
    d.SetCoef(i, i, diff);
  Vec g(n * n, 0.0), r(n, 0.0);
  for (long i = 0; i < f.m; i++)
    for (long j = 0; j < n; j++) {
      for (long k = 0; k < n; k++)
        g[j * n + k] += f.weights[i] * f.dense[i * n + j] * f.dense[i * n + k];
      r[j] += f.weights[i] * f.dense[i * n + j] * f.b[i];
    }
  for (long i = 0; i < n - 2; i++)
    for (long a = 0; a < 3; a++)
      for (long c = 0; c < 3; c++)
        g[(i + a) * n + i + c] += lambda * diff[a] * diff[c];
  const Vec ref = DenseSolve(g, r, n, 1);
  for (int variant = 0; variant < 3; variant++) {
    SCOPED_TRACE(variant);
    XelMathMxNBandMatrix normal, smooth;
    Vec atb(n, 0.0), x(n, 0.0);
    if (variant == 0) { // whole normal matrix, smoothing formed apart then added
      ASSERT_EQ(f.band.TransGramProduct(normal, 1.0, 0, -1), 1);
      ASSERT_EQ(d.TransGramProduct(smooth, lambda, 0, -1), 1);
      ASSERT_EQ(normal.AddGramProduct(smooth, 1.0), 1);
      f.band.TransMultiply(f.b.data(), atb.data(), 1);
    } else { // the first rows, then the rest appended, smoothing accumulated directly
      ASSERT_EQ(f.band.TransGramProduct(normal, 1.0, 0, half - 1), 1);
      XelMathMxNBandMatrix rest(f.m - half, n, 3);
      for (long i = half; i < f.m; i++)
        rest.SetCoef(i - half, f.band.GetFirstColumns()[i], f.band.GetCoef() + 3 * i);
      rest.SetRowWeights(f.weights.data() + half);
      Vec firstRows(f.b.begin(), f.b.begin() + half), weights(f.weights.begin(), f.weights.begin() + half);
      XelMathMxNBandMatrix head(half, n, 3);
      for (long i = 0; i < half; i++)
        head.SetCoef(i, f.band.GetFirstColumns()[i], f.band.GetCoef() + 3 * i);
      head.SetRowWeights(weights.data());
      head.TransMultiply(firstRows.data(), atb.data(), 1);
      ASSERT_EQ(normal.UpdateTransMultiplyAndGramProduct(rest, f.b.data() + half, atb.data(), 1), 1);
      ASSERT_EQ(normal.UpdateTransGramProduct(d, lambda, 0, variant == 1 ? -1 : n - 3), 1);
    }
    Vec dense(n * n);
    ASSERT_EQ(normal.TransGramProduct(dense.data(), n), 1);
    EXPECT_LT(MaxDiff(dense.data(), g), 1e-12);
    ASSERT_EQ(normal.Solve(atb.data(), x.data(), 1, n), 1);
    EXPECT_LT(MaxDiff(x.data(), ref), 1e-10);
  }
}

// Failures are results: nothing raises, and a refused size leaves the matrix empty.
TEST(BandMatrix, RefusalsAreResultsAndLeaveNothingAllocated) {
  Fit f;
  BuildFit(f, 30, 6, false, false, 1);
  EXPECT_EQ(f.band.FactorizeLDLt(0.0), 0); // still the rectangular matrix (mode 1)
  EXPECT_EQ(f.band.GetStorageMode(), 1);
  XelMathMxNBandMatrix indefinite(3, 3, 2, 2);
  const double rows[3][2] = {{0, 1}, {2, 1}, {-3, 1}};
  for (long i = 0; i < 3; i++)
    indefinite.SetCoef(i, rows[i]);
  EXPECT_EQ(indefinite.FactorizeLDLt(0.0), 0);
  EXPECT_EQ(indefinite.GetStorageMode(), 2);
  EXPECT_EQ(indefinite.FactorizeLDLt(3.0), 1); // the diagonal shift makes it definite
  const long sizes[][3] = {{-1, 4, 2}, {4, -1, 2}, {4, 4, -2}, {4, 3, 4},
                           {1L << 40, 1L << 40, 1L << 30}, {1L << 62, 2, 2}};
  for (const auto& s : sizes) {
    XelMathMxNBandMatrix m(s[0], s[1], s[2]);
    long rowsOut = -1, cols = -1, w = -1;
    m.GetSizeOfMatrix(rowsOut, cols, w);
    EXPECT_EQ(rowsOut + cols + w, 0);
    EXPECT_EQ(m.GetDynamicMemoryBytes(), 0);
    EXPECT_EQ(f.band.Reset(s[0], s[1], s[2]), 0);
  }
  // A column that no row touches: singular until identified and imposed.
  XelMathMxNBandMatrix gap(4, 5, 2);
  const double v[2][2] = {{1.0, 0.5}, {0.25, 1.0}};
  for (long i = 0; i < 4; i++)
    gap.SetCoef(i, i < 2 ? 0 : 3, v[i % 2]);
  XelMathMxNBandMatrix copy(gap);
  Vec b = {1, 2, 3, 4}, x(5, 0.0);
  EXPECT_EQ(copy.Solve(b.data(), x.data(), 1, 4), 0);
  EXPECT_EQ(gap.SolveQR(b.data(), x.data(), 1), 0);
  EXPECT_EQ(gap.IdentifyConstraints(1e-12), 1);
  x[2] = 7.0; // the unknown held (column 2 is empty)
  EXPECT_EQ(gap.SolveQR(b.data(), x.data(), 1), 1);
  EXPECT_EQ(x[2], 7.0);
  Vec res(4);
  gap.ResidualVector(b.data(), x.data(), res.data(), 1);
  EXPECT_LT(MaxDiff(res.data(), Vec(4, 0.0)), 1e-12);
}

// D = the (n+1) x n first-difference matrix: D^T D = tridiag(-1, 2, -1), so the singular values
// are 2 sin(k pi / (2(n+1))); its transpose has the same ones.
TEST(BandMatrix, SingularValuesOfDifferencesMatchTheClosedForm) {
  const long n = 9;
  for (bool transposed : {false, true}) {
    SCOPED_TRACE(transposed);
    const long m = transposed ? n : n + 1, cols = transposed ? n + 1 : n;
    XelMathMxNBandMatrix d(m, cols, 2);
    for (long i = 0; i < m; i++) {
      const double v[2] = {transposed ? -1.0 : 1.0, transposed ? 1.0 : 0.0};
      const double last[2] = {0.0, 1.0};
      if (!transposed && i == n)
        d.SetCoef(i, n - 2, last);
      else if (!transposed && i > 0) {
        const double pair[2] = {-1.0, 1.0};
        d.SetCoef(i, i - 1, pair);
      } else
        d.SetCoef(i, i, v);
    }
    Vec sigma(n);
    ASSERT_EQ(d.SVD(sigma.data(), n), n);
    for (long k = 0; k < n; k++)
      EXPECT_NEAR(sigma[k], 2 * std::sin((n - k) * kPi / (2.0 * (n + 1))), 1e-13);
    long rank = 0;
    const double* u = d.GetONRange(rank);
    ASSERT_EQ(rank, n);
    for (long p = 0; p < rank; p++) // orthonormal, and U U^T D = D
      for (long q = 0; q < rank; q++) {
        double dot = 0.0;
        for (long i = 0; i < m; i++)
          dot += u[p * m + i] * u[q * m + i];
        EXPECT_NEAR(dot, p == q ? 1.0 : 0.0, 1e-13);
      }
    for (long j = 0; j < cols; j++) {
      Vec col(m), proj(m, 0.0);
      for (long i = 0; i < m; i++)
        col[i] = d.GetCoef(i, j);
      for (long p = 0; p < rank; p++) {
        double beta = 0.0;
        for (long i = 0; i < m; i++)
          beta += u[p * m + i] * col[i];
        for (long i = 0; i < m; i++)
          proj[i] += beta * u[p * m + i];
      }
      EXPECT_LT(MaxDiff(proj.data(), col), 1e-13);
    }
  }
}

TEST(BandMatrix, EigenvaluesOfTridiagonalAndCirculantMatchTheClosedForm) {
  for (bool periodic : {false, true}) {
    SCOPED_TRACE(periodic);
    const long n = 11;
    XelMathMxNBandMatrix t(n, n, 2, 2);
    for (long i = 0; i < n; i++) {
      t.SetCoef(i, i, 2.0);
      if (i + 1 < n || periodic)
        t.SetCoef(i, (i + 1) % n, -1.0);
    }
    Vec expected(n);
    for (long k = 0; k < n; k++)
      expected[k] = periodic ? 2 - 2 * std::cos(2 * kPi * k / n) : 2 - 2 * std::cos((k + 1) * kPi / (n + 1));
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(t.SymmetricEigenSystem(0), n);
    long count = 0;
    const double* lambda = t.GetEigenValues(count);
    const double* v = t.GetEigenVectors(count);
    ASSERT_EQ(count, n);
    EXPECT_LT(MaxDiff(lambda, expected), 1e-13);
    for (long k = 0; k < n; k++) { // T v = lambda v, |v| = 1
      Vec tv(n);
      t.Multiply(v + k * n, tv.data(), 1);
      Vec lv(v + k * n, v + (k + 1) * n);
      for (double& e : lv)
        e *= lambda[k];
      EXPECT_LT(MaxDiff(tv.data(), lv), 1e-13);
    }
    EXPECT_EQ(t.SymmetricEigenSystem(3), 3); // the three smallest
    EXPECT_NEAR(t.GetEigenValues(count)[2], expected[2], 1e-13);
  }
}

// Truncated SVD by generalized cross-validation: exact data of a full-rank fit keep every
// singular value; a matrix with a null column keeps the rank and gives the minimum-norm fit.
TEST(BandMatrix, SmoothingLevelFollowsTheSingularValues) {
  Fit f;
  BuildFit(f, 30, 5, false, false, 1);
  Vec xTrue(f.n), b(f.m), x(f.n);
  for (long j = 0; j < f.n; j++)
    xTrue[j] = std::cos(0.7 * j);
  f.band.Multiply(xTrue.data(), b.data(), 1);
  ASSERT_EQ(f.band.SVD(nullptr, 0), f.n);
  EXPECT_EQ(f.band.SmoothIndices(b.data(), x.data()), f.n);
  EXPECT_LT(MaxDiff(x.data(), xTrue), 1e-10);
  EXPECT_LT(f.band.SVFunc(b.data(), f.n), f.band.SVFunc(b.data(), f.n - 1));
  XelMathMxNBandMatrix gap(6, 4, 1);
  for (long i = 0; i < 6; i++) {
    const double one = 1.0 + i;
    gap.SetCoef(i, i % 3, &one); // column 3 is null
  }
  Vec g = {1, 2, 3, 4, 5, 6}, y(4);
  ASSERT_EQ(gap.SVD(nullptr, 0), 4);
  EXPECT_EQ(gap.SmoothIndices(g.data(), y.data()), 3);
  EXPECT_EQ(y[3], 0.0);
  EXPECT_NEAR(y[0], (1 * 1 + 4 * 4) / (1.0 + 16.0), 1e-13);
}

// The storage addresses written for each mode.
TEST(BandMatrix, CoefficientsLiveWhereTheStorageModeSaysTheyDo) {
  struct Case { long mode, m, n, w, i, j, first, element; };
  const Case cases[] = {{1, 4, 6, 3, 2, 4, 3, 7},  {1, 4, 6, 3, 1, 5, -1, 3},
                        {1, 4, 6, 3, 1, 0, -1, 4}, {2, 6, 6, 3, 4, 3, 0, 13},
                        {2, 6, 6, 3, 5, 0, 0, 1},  {2, 6, 6, 3, 0, 5, 0, 1},
                        {4, 5, 5, 2, 3, 4, 0, 7},  {5, 3, 4, 4, 2, 1, 0, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.i << "," << c.j);
    XelMathMxNBandMatrix a(c.m, c.n, c.w, c.mode);
    long w = c.w;
    if (c.mode == 1) {
      ASSERT_EQ(a.SetRowSize(c.i, c.first, w), 1);
    }
    a.SetCoef(c.i, c.j, 5.0);
    EXPECT_EQ(a.GetCoef()[c.element], 5.0);
    EXPECT_EQ(a.GetCoef(c.i, c.j), 5.0);
    if (c.mode == 2) {
      EXPECT_EQ(a.GetCoef(c.j, c.i), 5.0);
    }
  }
}

} // namespace
