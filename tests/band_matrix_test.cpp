// Rectangular band matrices against dense solves written here and closed forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <vector>

#include "XelMathGrid.h"
#include "XelMathMxNBandMatrix.h"
#include "XelMathNxNBandSymMatrix.h"
#include "XelMathMxNMatrix.h"
#include "XelMathSetOf3DObjects.h"
#include "XelQuorMemory.h"

namespace {

using Vec = std::vector<double>;
const double kPi = 3.14159265358979323846;

// Dense solve of G x = r (n x n, nRHS columns), Gaussian elimination with partial pivoting.
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
      for (long j = i + 1; j < n; j++)
        r[i * nRHS + c] -= g[i * n + j] * r[j * nRHS + c];
      r[i * nRHS + c] /= g[i * n + i];
    }
  return r;
}

// Dense weighted normal equations g = A^T W A, r = A^T W b of a dense m x n matrix.
void DenseNormal(const Vec& a, const Vec& b, const Vec& w, long m, long n, long nRHS, Vec& g,
                 Vec& r) {
  g.assign(n * n, 0.0);
  r.assign(n * nRHS, 0.0);
  for (long i = 0; i < m; i++)
    for (long j = 0; j < n; j++) {
      for (long k = 0; k < n; k++)
        g[j * n + k] += w[i] * a[i * n + j] * a[i * n + k];
      for (long c = 0; c < nRHS; c++)
        r[j * nRHS + c] += w[i] * a[i * n + j] * b[i * nRHS + c];
    }
}

double MaxDiff(const double* x, const Vec& y) {
  double d = 0.0;
  for (std::size_t k = 0; k < y.size(); k++)
    d = std::max(d, std::fabs(x[k] - y[k]));
  return d;
}

// A fit by uniform quadratic B-splines at the points i0..i1-1 of m points of [0, 1): open
// (n = cells + 2) or periodic (n = cells), with its dense copy.
struct Fit {
  long m, n;
  XelMathMxNBandMatrix band;
  Vec dense, b, weights;
};
void BuildFit(Fit& f, long m, long cells, bool periodic, bool weighted, long nRHS, long i0 = 0,
              long i1 = -1) {
  f.m = (i1 < 0 ? m : i1) - i0;
  f.n = periodic ? cells : cells + 2;
  f.band = XelMathMxNBandMatrix(f.m, f.n, 3);
  f.dense.assign(f.m * f.n, 0.0);
  f.b.resize(f.m * nRHS);
  f.weights.assign(f.m, 1.0);
  for (long r = 0; r < f.m; r++) {
    const long i = r + i0;
    const double t = (i + 0.37) / m, s = t * cells;
    const long cell = std::min(static_cast<long>(s), cells - 1);
    const double u = s - cell;
    const double v[3] = {0.5 * (1 - u) * (1 - u), 0.5 * (-2 * u * u + 2 * u + 1), 0.5 * u * u};
    f.band.SetCoef(r, cell, v);
    for (long k = 0; k < 3; k++)
      f.dense[r * f.n + (cell + k) % f.n] += v[k];
    for (long c = 0; c < nRHS; c++)
      f.b[r * nRHS + c] = std::sin(2 * kPi * t + c) + 0.1 * std::cos(17.0 * t * (c + 1));
    if (weighted)
      f.weights[r] = 0.5 + std::fabs(std::sin(3.0 * i));
  }
  if (weighted)
    f.band.SetRowWeights(f.weights.data());
}

// The solve paths; kFormed forms the normal matrix then solves in place (imposed values kept).
enum Method { kNormal, kQR, kGrid, kSet3D, kTransfQR, kFormed, kQRSet3D, kQRGrid };
int SolveBy(Method iMethod, XelMathMxNBandMatrix& a, const Vec& b, Vec& x, long nRHS,
            const long* iImp = nullptr) {
  long m, n;
  a.GetSizeOfMatrix(m, n);
  Vec w(std::max(m, n) * nRHS, 0.0);
  std::copy(b.begin(), b.end(), w.begin());
  int done = 0;
  if (iMethod == kNormal)
    return a.Solve(b.data(), x.data(), nRHS, m) && a.GetStorageMode() == 3;
  if (iMethod == kQR)
    return a.SolveQR(b.data(), x.data(), nRHS);
  if (iMethod == kGrid || iMethod == kQRGrid) {
    XelMathGrid g(m, nRHS);
    std::copy(b.begin(), b.end(), g.GetData());
    done = (iMethod == kGrid ? a.Solve(g) : a.TransfQR(g) && a.SolveQRII(g)) &&
           g.GetNumberOfRows() == n;
    std::copy(g.GetData(), g.GetData() + n * nRHS, w.begin());
  } else if (iMethod == kSet3D || iMethod == kQRSet3D) {
    XelMathSetOf3DObjects in(m), out;
    std::copy(b.begin(), b.end(), in.GetData());
    done = (iMethod == kSet3D ? a.Solve(in, out) : a.SolveQR(in, out)) &&
           out.GetNumberOfObjects() == n;
    std::copy(out.GetData(), out.GetData() + n * 3, w.begin());
  } else if (iMethod == kTransfQR) {
    done = a.TransfQR(w.data(), nRHS) && a.SolveQRII(w.data(), nRHS) && a.GetStorageMode() == 4;
  } else {
    done = a.TransMultiply(w.data(), nRHS) && a.TransGramProduct();
    for (long j = 0; j < n && iImp; j++)
      w[j] = iImp[j] ? w[j] : x[j];
    done = done && a.Solve(w.data(), nRHS, n);
  }
  std::copy(w.begin(), w.begin() + n * nRHS, x.begin());
  return done;
}

TEST(BandMatrix, LeastSquaresFitsMatchTheDenseNormalEquations) {
  struct Case {
    bool periodic, weighted;
    Method method;
    long nRHS;
  };
  const Case cases[] = {
      {false, false, kNormal, 1}, {false, true, kNormal, 2},   {true, false, kNormal, 1},
      {true, true, kNormal, 2},   {false, false, kQR, 2},      {false, true, kQR, 1},
      {true, false, kQR, 1},      {true, true, kQR, 2},        {true, true, kGrid, 2},
      {false, true, kSet3D, 3},   {true, false, kTransfQR, 2}, {false, true, kFormed, 1},
      {true, true, kQRSet3D, 3},  {false, false, kQRGrid, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.periodic << c.weighted << c.method);
    Fit f;
    BuildFit(f, 60, 9, c.periodic, c.weighted, c.nRHS);
    XelMathMxNMatrix full;
    ASSERT_TRUE(f.band.GetIfPeriodic() == (c.periodic ? 1 : 0) && f.band.GetFullMatrix(full) == 1);
    EXPECT_LT(MaxDiff(full.GetFullMatrixCoef(), f.dense), 1e-15);
    Vec g, r;
    DenseNormal(f.dense, f.b, f.weights, f.m, f.n, c.nRHS, g, r);
    const Vec ref = DenseSolve(g, r, f.n, c.nRHS);
    Vec x(f.n * c.nRHS, 0.0);
    ASSERT_EQ(SolveBy(c.method, f.band, f.b, x, c.nRHS), 1);
    EXPECT_LT(MaxDiff(x.data(), ref), 1e-10);
  }
}

// Circulant systems with a symmetric stencil: for b_j = cos(2 pi q j / n) the solution is
// b / lambda_q, lambda_q = c0 + 2 sum c_m cos(2 pi q m / n). Method kFormed here writes the
// symmetric band (mode 2) and its corner directly.
TEST(BandMatrix, PeriodicSystemsMatchTheCirculantClosedForm) {
  struct Case {
    long n;
    Vec stencil;
    Method method;
  };
  const Case cases[] = {{7, {4, 1}, kNormal},        {12, {8, -4, 1}, kNormal},
                        {9, {8, -4, 1}, kQR},        {7, {4, 1}, kQR},
                        {12, {8, -4, 1}, kTransfQR}, {7, {4, 1}, kFormed},
                        {12, {8, -4, 1}, kFormed},   {9, {4, 1}, kGrid},
                        {9, {8, -4, 1}, kNormal},    {5, {8, -4, 1}, kFormed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.n << " " << c.method);
    const long n = c.n, h = static_cast<long>(c.stencil.size()) - 1, q[2] = {1, 3};
    Vec b(2 * n), ref(2 * n), row(2 * h + 1), x(2 * n, 0.0);
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
    int done = 0;
    if (c.method == kFormed) {
      XelMathMxNBandMatrix s(n, n, h + 1, 2);
      for (long i = 0; i < n; i++)
        for (long k = 0; k <= h; k++)
          s.SetCoef(i, (i + k) % n, c.stencil[k]);
      ASSERT_EQ(s.GetIfPeriodic() && s.Multiply(ref.data(), x.data(), 2), 1); // A x = b
      EXPECT_LT(MaxDiff(x.data(), b), 1e-13);
      x = b;
      XelMathMxNBandMatrix factor; // factored apart: s stays the symmetric matrix
      done =
          s.FactorizeLDLt(factor, 0.0) && factor.SolveLDLt(x.data(), 2) && s.GetStorageMode() == 2;
    } else {
      XelMathMxNBandMatrix a(n, n, 2 * h + 1);
      for (long i = 0; i < n; i++)
        a.SetCoef(i, i - h, row.data());
      done = SolveBy(c.method, a, b, x, 2);
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
  EXPECT_TRUE(!a.Solve(b.data(), xne.data(), 1, m) || MaxDiff(xne.data(), xTrue) > 100 * errQR);
}

// Free unknowns solve the dense normal equations with the imposed ones moved to the right.
TEST(BandMatrix, ImposedUnknownsKeepTheirGivenValues) {
  for (int run = 0; run < 6; run++) {
    const Method method = run < 2 ? kNormal : run < 4 ? kQR : kFormed;
    const bool periodic = run % 2;
    SCOPED_TRACE(testing::Message() << method << periodic);
    Fit f;
    BuildFit(f, 40, 8, periodic, true, 1);
    const long n = f.n;
    std::vector<long> imp(n, 1);
    imp[0] = imp[n - 1] = imp[n / 2] = 0;
    Vec x(n, 0.0), g, r;
    x[0] = 0.25, x[n - 1] = -0.5, x[n / 2] = 2.0;
    DenseNormal(f.dense, f.b, f.weights, f.m, n, 1, g, r);
    for (long j = 0; j < n; j++)
      for (long k = 0; k < n && !imp[j]; k++)
        r[k] -= imp[k] ? g[k * n + j] * x[j] : 0.0;
    for (long j = 0; j < n; j++)
      for (long k = 0; k < n && !imp[j]; k++) {
        g[j * n + k] = g[k * n + j] = j == k ? 1.0 : 0.0;
        r[j] = x[j];
      }
    const Vec ref = DenseSolve(g, r, n, 1);
    f.band.SetImpositions(imp.data());
    ASSERT_EQ(SolveBy(method, f.band, f.b, x, 1, imp.data()), 1);
    EXPECT_LT(MaxDiff(x.data(), ref), 1e-10);
    EXPECT_TRUE(x[0] == 0.25 && x[n / 2] == 2.0);
  }
}

TEST(BandMatrix, GramProductsAddUpLikeTheDenseSums) {
  Fit f, head, rest;
  BuildFit(f, 50, 10, false, true, 1);
  BuildFit(head, 50, 10, false, true, 1, 0, 23);
  BuildFit(rest, 50, 10, false, true, 1, 23, 50);
  const long n = f.n;
  const double lambda = 0.3, diff[3] = {1.0, -2.0, 1.0};
  XelMathMxNBandMatrix d(n - 2, n, 3); // second differences: the smoothing term lambda D^T D
  for (long i = 0; i < n - 2; i++)
    d.SetCoef(i, i, diff);
  Vec g, r;
  DenseNormal(f.dense, f.b, f.weights, f.m, n, 1, g, r);
  for (long i = 0; i < n - 2; i++)
    for (long a = 0; a < 3; a++)
      for (long c = 0; c < 3; c++)
        g[(i + a) * n + i + c] += lambda * diff[a] * diff[c];
  const Vec ref = DenseSolve(g, r, n, 1);
  for (int variant = 0; variant < 3; variant++) {
    SCOPED_TRACE(variant);
    XelMathMxNBandMatrix normal, smooth;
    Vec atb(n, 0.0), x(n, 0.0), dense(n * n);
    if (variant == 0) { // whole normal matrix, smoothing formed apart then added
      ASSERT_EQ(f.band.TransGramProduct(normal, 1.0, 0, -1), 1);
      ASSERT_EQ(d.TransGramProduct(smooth, lambda, 0, -1), 1);
      ASSERT_EQ(normal.AddGramProduct(smooth, 1.0), 1);
      f.band.TransMultiply(f.b.data(), atb.data(), 1);
    } else { // the first rows, the rest appended, the smoothing accumulated (in two ranges)
      ASSERT_EQ(head.band.TransGramProduct(normal, 1.0, 0, -1), 1);
      head.band.TransMultiply(head.b.data(), atb.data(), 1);
      ASSERT_TRUE(
          normal.UpdateTransMultiplyAndGramProduct(rest.band, rest.b.data(), atb.data(), 1));
      ASSERT_TRUE(normal.UpdateTransGramProduct(d, lambda, 0, variant == 1 ? -1 : 3) &&
                  (variant == 1 || normal.UpdateTransGramProduct(d, lambda, 4, n - 3)));
    }
    ASSERT_TRUE(normal.TransGramProduct(dense.data(), n) &&
                normal.Solve(atb.data(), x.data(), 1, n));
    EXPECT_LT(MaxDiff(dense.data(), g), 1e-12);
    EXPECT_LT(MaxDiff(x.data(), ref), 1e-10);
  }
}

// Failures are results: nothing raises, and a refused size leaves the matrix empty.
TEST(BandMatrix, RefusalsAreResultsAndLeaveNothingAllocated) {
  Fit f;
  BuildFit(f, 30, 6, false, false, 1);
  EXPECT_TRUE(!f.band.FactorizeLDLt(0.0) && f.band.GetStorageMode() == 1); // still rectangular
  XelMathMxNBandMatrix indefinite(3, 3, 2, 2);
  const double rows[3][2] = {{0, 1}, {2, 1}, {-3, 1}};
  for (long i = 0; i < 3; i++)
    indefinite.SetCoef(i, rows[i]);
  EXPECT_TRUE(!indefinite.FactorizeLDLt(0.0) && indefinite.GetStorageMode() == 2);
  EXPECT_EQ(indefinite.FactorizeLDLt(3.0), 1); // the diagonal shift makes it definite
  long width = 3;                              // first columns that no wrap-around makes valid
  EXPECT_EQ(f.band.SetRowSize(0, -f.n - 3, width) + f.band.SetRowSize(0, f.n, width), 0);
  const long sizes[][3] = {
      {-1, 4, 2},      {4, -1, 2}, {4, 4, -2}, {4, 3, 4}, {1L << 40, 1L << 40, 1L << 30},
      {1L << 62, 2, 2}};
  for (const auto& s : sizes) {
    XelMathMxNBandMatrix m(s[0], s[1], s[2]);
    long rowsOut = -1, cols = -1, w = -1;
    m.GetSizeOfMatrix(rowsOut, cols, w);
    EXPECT_TRUE(rowsOut + cols + w == 0 && m.GetDynamicMemoryBytes() == 0);
    EXPECT_EQ(f.band.Reset(s[0], s[1], s[2]), 0);
  }
  // A column that no row touches: singular until identified and imposed.
  XelMathMxNBandMatrix gap(4, 5, 2);
  const double v[2][2] = {{1.0, 0.5}, {0.25, 1.0}};
  for (long i = 0; i < 4; i++)
    gap.SetCoef(i, i < 2 ? 0 : 3, v[i % 2]);
  XelMathMxNBandMatrix copy(gap);
  Vec b = {1, 2, 3, 4}, x(5, 0.0);
  EXPECT_TRUE(!copy.Solve(b.data(), x.data(), 1, 4) && !gap.SolveQR(b.data(), x.data(), 1));
  EXPECT_EQ(gap.IdentifyConstraints(1e-12), 1);
  XelMathMxNBandMatrix scaled(3, 3, 1, 2); // the tolerance is relative to the largest diagonal
  const double diagonal[3] = {1e4, 1e-9, 1e4};
  for (long i = 0; i < 3; i++)
    scaled.SetCoef(i, i, diagonal[i]);
  EXPECT_EQ(scaled.IdentifyConstraints(1e-12), 1);
  x[2] = 7.0; // the unknown held (column 2 is empty)
  EXPECT_TRUE(gap.SolveQR(b.data(), x.data(), 1) == 1 && x[2] == 7.0);
  Vec res(4);
  gap.ResidualVector(b.data(), x.data(), res.data(), 1);
  EXPECT_LT(MaxDiff(res.data(), Vec(4, 0.0)), 1e-12);
  // Counts of right-hand sides that no array could hold fail before any product is formed
  // (2^40 tried a copy of 24 TB, LONG_MAX overflowed the count of values).
  for (const long count : {1L << 40, 1L << 61, LONG_MAX}) {
    EXPECT_EQ(gap.Multiply(b.data(), x.data(), count) +
                  gap.TransMultiply(b.data(), x.data(), count) +
                  gap.ResidualVector(b.data(), x.data(), res.data(), count) +
                  gap.SolveQR(b.data(), x.data(), count),
              0);
  }
  // A symmetric band of no diagonal has no storage, nor any order (its trace read before it).
  EXPECT_EQ(XelMathNxNBandSymMatrix(5, 0).GetSizeOfMatrix(), 0);
}

// The range basis of the last SVD of d (m x cols) is orthonormal (U^T U = I) and holds the
// columns of d (U U^T d = d).
void ExpectOrthonormalRange(const XelMathMxNBandMatrix& d, long m, long cols, long iRank) {
  long rank = 0;
  const double* u = d.GetONRange(rank);
  ASSERT_EQ(rank, iRank);
  Vec gram(rank * rank, 0.0), eye(rank * rank, 0.0), proj(m * cols, 0.0), dense(m * cols);
  for (long p = 0; p < rank; p++) {
    eye[p * rank + p] = 1.0;
    for (long q = 0; q < rank; q++)
      for (long i = 0; i < m; i++)
        gram[p * rank + q] += u[p * m + i] * u[q * m + i];
    for (long j = 0; j < cols; j++) {
      double beta = 0.0;
      for (long i = 0; i < m; i++)
        beta += u[p * m + i] * d.GetCoef(i, j);
      for (long i = 0; i < m; i++)
        proj[i * cols + j] += beta * u[p * m + i];
    }
  }
  for (long i = 0; i < m * cols; i++)
    dense[i] = d.GetCoef(i / cols, i % cols);
  EXPECT_LT(std::max(MaxDiff(gram.data(), eye), MaxDiff(proj.data(), dense)), 1e-13);
}

// D = the (n+1) x n first-difference matrix (dense mode) and its transpose (band): D^T D is
// tridiag(-1, 2, -1), so both have the singular values 2 sin(k pi / (2(n+1))).
TEST(BandMatrix, SingularValuesOfDifferencesMatchTheClosedForm) {
  const long n = 9;
  for (bool transposed : {false, true}) {
    SCOPED_TRACE(transposed);
    const long m = transposed ? n : n + 1, cols = transposed ? n + 1 : n;
    XelMathMxNBandMatrix d(m, cols, transposed ? 2 : n, transposed ? 1 : 5);
    const double pair[2] = {-1.0, 1.0};
    for (long i = 0; i < m; i++)
      if (transposed)
        d.SetCoef(i, i, pair);
      else
        d.SetCoef(i, i, 1.0), d.SetCoef(i, i - 1, -1.0);
    Vec sigma(n);
    ASSERT_EQ(d.SVD(sigma.data(), n), n);
    for (long k = 0; k < n; k++)
      EXPECT_NEAR(sigma[k], 2 * std::sin((n - k) * kPi / (2.0 * (n + 1))), 1e-13);
    ExpectOrthonormalRange(d, m, cols, n);
  }
}

// The adjacency matrix of a path of n vertices (zero diagonal, ones beside it) has the
// eigenvalues 2 cos(k pi / (n + 1)), k = 1..n: for odd n one is 0 and the rank is n - 1.
TEST(BandMatrix, SingularValuesOfRankDeficientPathsMatchTheClosedForm) {
  for (long n : {5L, 6L, 9L}) {
    SCOPED_TRACE(n);
    XelMathMxNBandMatrix path(n, n, 3);
    const double inner[3] = {1, 0, 1}, end[3] = {0, 1, 0};
    for (long i = 0; i < n; i++) // the end rows store columns 0..2 and n-3..n-1
      path.SetCoef(i, std::min(std::max(i - 1, 0L), n - 3), i == 0 || i == n - 1 ? end : inner);
    Vec expected(n), sigma(n);
    for (long k = 0; k < n; k++)
      expected[k] = std::fabs(2 * std::cos((k + 1) * kPi / (n + 1)));
    std::sort(expected.rbegin(), expected.rend());
    ASSERT_EQ(path.SVD(sigma.data(), n), n);
    EXPECT_LT(MaxDiff(sigma.data(), expected), 1e-13);
    long count = 0;
    EXPECT_TRUE(path.GetSingularValues(count) && count == n);
    ExpectOrthonormalRange(path, n, n, n % 2 ? n - 1 : n);
  }
}

TEST(BandMatrix, EigenvaluesOfTridiagonalAndCirculantMatchTheClosedForm) {
  const long liveBytes = XelQuorGetMemoryCounters().liveBytes;
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
      expected[k] =
          periodic ? 2 - 2 * std::cos(2 * kPi * k / n) : 2 - 2 * std::cos((k + 1) * kPi / (n + 1));
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(t.SymmetricEigenSystem(0), n);
    long count = 0;
    const double *lambda = t.GetEigenValues(count), *v = t.GetEigenVectors(count);
    ASSERT_EQ(count, n);
    EXPECT_LT(MaxDiff(lambda, expected), 1e-13);
    for (long k = 0; k < n; k++) { // T v = lambda v, |v| = 1
      Vec tv(n), lv(v + k * n, v + (k + 1) * n);
      t.Multiply(v + k * n, tv.data(), 1);
      for (double& e : lv)
        e *= lambda[k];
      EXPECT_LT(MaxDiff(tv.data(), lv), 1e-13);
    }
    EXPECT_EQ(t.SymmetricEigenSystem(3), 3); // the three smallest
    EXPECT_NEAR(t.GetEigenValues(count)[2], expected[2], 1e-13);
    EXPECT_TRUE(t.SVD(nullptr, 0) == n && !t.GetEigenValues(count)); // SVD replaces the system
  }
  EXPECT_EQ(XelQuorGetMemoryCounters().liveBytes, liveBytes); // every block released
}

// Truncated SVD: exact data keep every singular value; a null column gives the minimum norm.
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
  Vec g = {1, 2, 3, 4, 5, 6}, y(4);
  for (long i = 0; i < 6; i++)
    gap.SetCoef(i, i % 3, &g[i]); // column 3 is null
  ASSERT_EQ(gap.SVD(nullptr, 0), 4);
  EXPECT_TRUE(gap.SmoothIndices(g.data(), y.data()) == 3 && y[3] == 0.0);
  EXPECT_NEAR(y[0], (1 * 1 + 4 * 4) / (1.0 + 16.0), 1e-13);
}

TEST(BandMatrix, CoefficientsLiveWhereTheStorageModeSaysTheyDo) {
  struct Case {
    long mode, m, n, w, i, j, first, element;
  };
  // element -1: outside the pattern, nothing stored
  const Case cases[] = {
      {1, 4, 6, 3, 2, 4, 3, 7},  {1, 4, 6, 3, 1, 5, -1, 3}, {1, 4, 6, 3, 1, 0, -1, 4},
      {2, 6, 6, 3, 4, 3, 0, 13}, {2, 6, 6, 3, 5, 0, 0, 1},  {2, 6, 6, 3, 0, 5, 0, 1},
      {4, 5, 5, 2, 3, 4, 0, 7},  {5, 3, 4, 4, 2, 1, 0, 9},  {1, 4, 6, 3, 2, 4, 1, -1},
      {2, 6, 6, 3, 3, 0, 0, -1}, {4, 5, 5, 2, 1, 3, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mode << " " << c.i << "," << c.j);
    XelMathMxNBandMatrix a(c.m, c.n, c.w, c.mode);
    long w = c.w;
    ASSERT_TRUE(c.mode != 1 || a.SetRowSize(c.i, c.first, w));
    a.SetCoef(c.i, c.j, 5.0);
    long stored = 0, size = c.mode == 5 ? c.m * c.n : (c.mode == 2 ? c.n : c.m) * c.w;
    for (long k = 0; k < size; k++)
      stored += a.GetCoef()[k] == 5.0 ? (k == c.element ? 1 : 100) : 0;
    EXPECT_EQ(stored, c.element < 0 ? 0 : 1);
    EXPECT_EQ(a.GetCoef(c.i, c.j), c.element < 0 ? 0.0 : 5.0);
    EXPECT_TRUE(c.mode != 2 || a.GetCoef(c.j, c.i) == a.GetCoef(c.i, c.j));
  }
}

TEST(BandMatrix, ReshapingKeepsTheMatrix) {
  for (int step = 0; step < 4; step++) {
    SCOPED_TRACE(step);
    Fit f;
    BuildFit(f, 20, 5, step % 2 == 1, false, 1);
    long w = 5;
    if (step < 2) { // widen every row (zeros appended), then trim back
      ASSERT_TRUE(f.band.SetRowSize(0, f.band.GetFirstColumns()[0], w) && w == 5);
      EXPECT_EQ(f.band.Compress(), 3);
      ASSERT_EQ(f.band.SetMaxColSize(6), 1); // room reserved, rows unchanged
      EXPECT_GE(f.band.GetDynamicMemoryBytes(), f.m * 6 * static_cast<long>(sizeof(double)));
    } else { // normal matrix widened then narrowed to its band
      ASSERT_EQ(f.band.TransGramProduct() && f.band.SetColSize(5) && f.band.SetColSize(3), 1);
      Vec g, r, dense(f.n * f.n);
      DenseNormal(f.dense, f.b, f.weights, f.m, f.n, 1, g, r);
      ASSERT_EQ(f.band.TransGramProduct(dense.data(), f.n), 1);
      EXPECT_LT(MaxDiff(dense.data(), g), 1e-13);
      continue;
    }
    XelMathMxNMatrix full;
    ASSERT_EQ(f.band.GetFullMatrix(full), 1);
    EXPECT_LT(MaxDiff(full.GetFullMatrixCoef(), f.dense), 1e-15);
    XelMathGrid x(f.n, 1), b(f.m, 1), res;
    for (long j = 0; j < f.n; j++)
      x.SetCoef(j, 0, std::cos(1.0 + j));
    std::copy(f.b.begin(), f.b.end(), b.GetData());
    ASSERT_EQ(f.band.ResidualVector(b, x, res), 1);
    for (long i = 0; i < f.m; i++)
      EXPECT_NEAR(
          res.GetCoef(i, 0),
          f.b[i] - std::inner_product(&f.dense[i * f.n], &f.dense[i * f.n] + f.n, x.GetData(), 0.0),
          1e-14);
  }
}

} // namespace
