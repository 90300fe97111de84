// Square matrix: closed forms for N <= 3, Gaussian elimination with complete pivoting,
// determinants, inverse and trace.
#include "XelMathNxNMatrix.h"

#include <cmath>
#include <cstring>

#include "XelMathInputError.h"
#include "XelMathMatrixScratch.h"
#include "XelMathNxNBandSymMatrix.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelTolerance.h"

namespace {

/// Below this many unknowns the elimination keeps its permutation and scratch row in local
/// buffers.
const long LocalUnknowns = 21;

/// Singular-pivot threshold, read once at load from the default tolerance.
const double PivotThreshold = XelGetDefaultTolerance().GetRelativeEpsilon();

void SwapRows(double* ioA, long iN, long iR1, long iR2) {
  if (iR1 == iR2)
    return;
  double* r1 = ioA + iR1 * iN;
  double* r2 = ioA + iR2 * iN;
  for (long j = 0; j < iN; ++j) {
    const double t = r1[j];
    r1[j] = r2[j];
    r2[j] = t;
  }
}

/// Solves the iN x iN row-major system ioA X = ioB in place (ioB: iN x iC). Returns 0 or 5.
// The largest |a(i, j)| over the rows and columns k..n-1 (complete pivoting), at (oP, oQ).
double CompletePivot(long n, const double* a, long k, long& oP, long& oQ) {
  double big = -1.0;
  for (long i = k; i < n; ++i)
    for (long j = k; j < n; ++j) {
      const double v = std::fabs(a[i * n + j]);
      if (v > big) {
        big = v;
        oP = i;
        oQ = j;
      }
    }
  return big;
}

/// 0 when the iN x iC solution b is finite, else 5.
int FiniteStatus(long iN, long iC, const double* b) {
  return XelMathAllFinite(iN * iC, b) ? 0 : 5;
}

int SquareSolve(long iN, double* a, double* b, long iC) {
  const double eps = PivotThreshold;
  if (iN == 0)
    return 0;
  if (iN == 1) {
    if (!(std::fabs(a[0]) > eps) || !std::isfinite(a[0]))
      return 5;
    for (long c = 0; c < iC; ++c)
      b[c] /= a[0];
    return FiniteStatus(iN, iC, b);
  }
  if (iN == 2) {
    const double det = a[0] * a[3] - a[1] * a[2];
    if (!(std::fabs(det) >= eps) || !std::isfinite(det))
      return 5;
    for (long c = 0; c < iC; ++c) {
      const double b0 = b[c], b1 = b[iC + c];
      b[c] = (a[3] * b0 - a[1] * b1) / det;
      b[iC + c] = (a[0] * b1 - a[2] * b0) / det;
    }
    return FiniteStatus(iN, iC, b);
  }
  if (iN == 3) {
    const double c00 = a[4] * a[8] - a[5] * a[7];
    const double c01 = a[5] * a[6] - a[3] * a[8];
    const double c02 = a[3] * a[7] - a[4] * a[6];
    const double det = a[0] * c00 + a[1] * c01 + a[2] * c02;
    if (!(std::fabs(det) > eps) || !std::isfinite(det))
      return 5;
    const double c10 = a[2] * a[7] - a[1] * a[8];
    const double c11 = a[0] * a[8] - a[2] * a[6];
    const double c12 = a[1] * a[6] - a[0] * a[7];
    const double c20 = a[1] * a[5] - a[2] * a[4];
    const double c21 = a[2] * a[3] - a[0] * a[5];
    const double c22 = a[0] * a[4] - a[1] * a[3];
    for (long c = 0; c < iC; ++c) {
      const double b0 = b[c], b1 = b[iC + c], b2 = b[2 * iC + c];
      // x = adj(A) b / det, adj(A) = transpose of the cofactors.
      b[c] = (c00 * b0 + c10 * b1 + c20 * b2) / det;
      b[iC + c] = (c01 * b0 + c11 * b1 + c21 * b2) / det;
      b[2 * iC + c] = (c02 * b0 + c12 * b1 + c22 * b2) / det;
    }
    return FiniteStatus(iN, iC, b);
  }
  const long n = iN;
  long localPerm[LocalUnknowns];
  double localRow[LocalUnknowns];
  long* perm = localPerm;
  double* row = localRow;
  long* heapPerm = nullptr;
  XelMathMatrixScratch<1> heapRow(n < LocalUnknowns ? 0 : n);
  if (n >= LocalUnknowns) {
    heapPerm = new long[n];
    perm = heapPerm;
    row = heapRow.Get();
  }
  for (long k = 0; k < n; ++k)
    perm[k] = k;
  int status = 0;
  for (long k = 0; k < n && status == 0; ++k) {
    long p = k, q = k;
    const double big = CompletePivot(n, a, k, p, q);
    if (!(big > eps) || !std::isfinite(big)) {
      status = 5;
      break;
    }
    SwapRows(a, n, k, p);
    SwapRows(b, iC, k, p);
    if (q != k) {
      for (long i = 0; i < n; ++i) {
        const double t = a[i * n + k];
        a[i * n + k] = a[i * n + q];
        a[i * n + q] = t;
      }
      const long t = perm[k];
      perm[k] = perm[q];
      perm[q] = t;
    }
    const double pivot = a[k * n + k];
    const double* pr = a + k * n;
    const double* pb = b + k * iC;
    for (long i = k + 1; i < n; ++i) {
      double* ri = a + i * n;
      const double f = ri[k] / pivot;
      if (f == 0.0)
        continue;
      ri[k] = f;
      for (long j = k + 1; j < n; ++j)
        ri[j] -= f * pr[j];
      double* bi = b + i * iC;
      for (long c = 0; c < iC; ++c)
        bi[c] -= f * pb[c];
    }
  }
  if (status == 0) {
    for (long c = 0; c < iC; ++c) {
      for (long i = n - 1; i >= 0; --i) {
        double s = b[i * iC + c];
        for (long j = i + 1; j < n; ++j)
          s -= a[i * n + j] * b[j * iC + c];
        b[i * iC + c] = s / a[i * n + i];
      }
      for (long i = 0; i < n; ++i)
        row[perm[i]] = b[i * iC + c];
      for (long i = 0; i < n; ++i)
        b[i * iC + c] = row[i];
    }
  }
  delete[] heapPerm;
  return status == 0 ? FiniteStatus(iN, iC, b) : status;
}

/// Determinant of the iN x iN row-major array a, destroyed: closed forms up to 3, else
/// elimination with complete pivoting (0.0 on a pivot not above the threshold).
double EliminationDeterminant(long iN, double* a) {
  const long n = iN;
  if (n == 0)
    return 1.0;
  if (n == 1)
    return a[0];
  if (n == 2)
    return a[0] * a[3] - a[1] * a[2];
  if (n == 3)
    return a[0] * (a[4] * a[8] - a[5] * a[7]) - a[1] * (a[3] * a[8] - a[5] * a[6]) +
           a[2] * (a[3] * a[7] - a[4] * a[6]);
  double det = 1.0;
  for (long k = 0; k < n; ++k) {
    long p = k, q = k;
    const double big = CompletePivot(n, a, k, p, q);
    if (!(big > PivotThreshold))
      return 0.0;
    if (p != k) {
      SwapRows(a, n, k, p);
      det = -det;
    }
    if (q != k) {
      for (long i = 0; i < n; ++i) {
        const double t = a[i * n + k];
        a[i * n + k] = a[i * n + q];
        a[i * n + q] = t;
      }
      det = -det;
    }
    const double pivot = a[k * n + k];
    det *= pivot;
    for (long i = k + 1; i < n; ++i) {
      const double f = a[i * n + k] / pivot;
      for (long j = k + 1; j < n; ++j)
        a[i * n + j] -= f * a[k * n + j];
    }
  }
  return det;
}

/// Determinant of the iN x iN row-major array a, destroyed. 0.0 when a value of the array is
/// not finite (as for a singular matrix); a finite array whose determinant overflows gives
/// ±inf, and 0.0 when the closed forms meet inf − inf.
double SquareDeterminant(long iN, double* a) {
  const long n = iN;
  if (!XelMathAllFinite(n * n, a))
    return 0.0;
  const double det = EliminationDeterminant(n, a);
  return std::isnan(det) ? 0.0 : det;
}

} // namespace

XelMathNxNMatrix::XelMathNxNMatrix() = default;

XelMathNxNMatrix::XelMathNxNMatrix(const long iN) : XelMathMxNMatrix(iN, iN) {}

XelMathNxNMatrix::XelMathNxNMatrix(const long iN, const double* iValues)
    : XelMathMxNMatrix(iN, iN, iValues) {}

XelMathNxNMatrix::XelMathNxNMatrix(const long iN, const double& iD) : XelMathMxNMatrix(iN, iN) {
  Reset();
  for (long i = 0; i < iN; ++i)
    _coef[i * iN + i] = iD;
}

XelMathNxNMatrix::XelMathNxNMatrix(const XelMathNxNFullSymMatrix* iS, const long iN)
    : XelMathMxNMatrix(iN, iN) {
  const long size = iS ? iS->GetSizeOfMatrix() : 0;
  for (long i = 0; i < iN; ++i)
    for (long j = 0; j < iN; ++j)
      _coef[i * iN + j] = i < size && j < size ? iS->GetCoef(i, j) : 0.0;
}

XelMathNxNMatrix::XelMathNxNMatrix(const XelMathNxNBandSymMatrix& iS)
    : XelMathMxNMatrix(iS.GetSizeOfMatrix(), iS.GetSizeOfMatrix()) {
  const long n = _n;
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      _coef[i * n + j] = iS.GetCoef(i, j);
}

XelMathNxNMatrix::XelMathNxNMatrix(const XelMathNxNMatrix& iOther) : XelMathMxNMatrix(iOther) {}

XelMathNxNMatrix::~XelMathNxNMatrix() = default;

double XelMathNxNMatrix::GetPivotThreshold() {
  return PivotThreshold;
}

int XelMathNxNMatrix::GetTypeOfMatrix() const {
  return 1;
}

XelMathNxNMatrix& XelMathNxNMatrix::operator=(const XelMathNxNMatrix& iOther) {
  XelMathMxNMatrix::operator=(iOther);
  return *this;
}

long XelMathNxNMatrix::GetSizeOfMatrix() const {
  return _n;
}

void XelMathNxNMatrix::Transpose() {
  const long n = _n;
  for (long i = 0; i < n; ++i)
    for (long j = i + 1; j < n; ++j) {
      const double t = _coef[i * n + j];
      _coef[i * n + j] = _coef[j * n + i];
      _coef[j * n + i] = t;
    }
}

double XelMathNxNMatrix::Trace() const {
  const long n = GetSizeOfMatrix();
  double s = 0.0;
  for (long i = 0; i < n; ++i)
    s += GetCoef(i, i);
  return s;
}

double XelMathNxNMatrix::Determinant() const {
  const long n = GetSizeOfMatrix();
  XelMathMatrixScratch<LocalUnknowns * LocalUnknowns> copy(n * n);
  double* a = copy.Get();
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      a[i * n + j] = GetCoef(i, j);
  return SquareDeterminant(n, a);
}

double XelMathNxNMatrix::DeterminantFast() {
  return SquareDeterminant(_n, _coef);
}

int XelMathNxNMatrix::Solve(double* ioB, const long iNRHS) {
  if (iNRHS < 1)
    return 0;
  XelMathCheckMatrixCount(_n, iNRHS);
  return SquareSolve(_n, _coef, ioB, iNRHS);
}

int XelMathNxNMatrix::Solve(const double* iB, double* oX, const long iNRHS) const {
  if (iNRHS < 1)
    return 0;
  const long n = GetSizeOfMatrix();
  XelMathCheckMatrixCount(n, iNRHS);
  XelMathMatrixScratch<LocalUnknowns * LocalUnknowns> copy(n * n);
  double* a = copy.Get();
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      a[i * n + j] = GetCoef(i, j);
  if (oX != iB && n * iNRHS > 0)
    std::memcpy(oX, iB, sizeof(double) * n * iNRHS);
  return SquareSolve(n, a, oX, iNRHS);
}

int XelMathNxNMatrix::Inverse(XelMathNxNMatrix& oI) const {
  const long n = GetSizeOfMatrix();
  XelMathNxNMatrix identity(n, 1.0);
  const int status = Solve(identity.GetFullMatrixCoef(), identity.GetFullMatrixCoef(), n);
  oI = identity;
  return status;
}
