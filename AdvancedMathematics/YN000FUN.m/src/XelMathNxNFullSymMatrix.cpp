// Packed symmetric matrix: Bunch-Kaufman LDLᵀ, Cholesky, inverses, determinants, cyclic
// Jacobi eigenvalues and solves with imposed unknowns.
#include "XelMathNxNFullSymMatrix.h"

#include <cmath>
#include <cstring>

#include "XelMath3x3Matrix.h"
#include "XelMathInputError.h"
#include "XelMathMatrixScratch.h"
#include "XelMathSymmetricKernels.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

/// Local buffers: packed triangles of up to 20 unknowns and their pivot records.
const long LocalPacked = 256;
const long LocalUnknowns = 64;
/// Sweeps of the Jacobi method before giving up.
const long MaxJacobiSweeps = 100;

double MaxAbsPacked(long iCount, const double* a) {
  double m = 0.0;
  for (long k = 0; k < iCount; ++k)
    if (std::fabs(a[k]) > m)
      m = std::fabs(a[k]);
  return m;
}

/// Pivot records of a factorization: local below LocalUnknowns, else heap.
class PivotRecords {
public:
  explicit PivotRecords(long iN) : _n(iN), _heap(nullptr) {
    if (iN > LocalUnknowns)
      _heap = new long[2 * iN];
  }
  PivotRecords(const PivotRecords&) = delete;
  PivotRecords& operator=(const PivotRecords&) = delete;
  ~PivotRecords() { delete[] _heap; }
  long* Kind() { return _heap ? _heap : _local; }
  long* Swap() { return _heap ? _heap + _n : _local + LocalUnknowns; }

private:
  long _n;
  long* _heap;
  long _local[2 * LocalUnknowns];
};

/// The rows and columns of iM whose flag is not 0, into the packed array oA, and the same
/// rows of iB (iNRHS columns) into oB.
void ExtractLDLt(const XelMathNxNFullSymMatrix& iM, const long* iImp, long iNRHS,
                 const double* iB, double* oA, double* oB) {
  const long n = iM.GetSizeOfMatrix();
  for (long i = 0, fi = 0; i < n; ++i) {
    if (iImp[i] == 0)
      continue;
    for (long j = 0, fj = 0; j <= i; ++j)
      if (iImp[j] != 0)
        oA[fi * (fi + 1) / 2 + fj++] = iM.GetCoef(i, j);
    for (long c = 0; c < iNRHS; ++c)
      oB[fi * iNRHS + c] = iB[i * iNRHS + c];
    ++fi;
  }
}

double SymmetryEpsilon() {
  return XelGetDefaultTolerance().GetSymmetryEpsilon();
}

} // namespace

// ---- packed kernels ------------------------------------------------------------------------

void SymmetricPivot(long iN, double* a, long p, long q, long* oSwap) {
  oSwap[p] = q;
  if (p == q)
    return;
  for (long j = 0; j < iN; ++j) {
    if (j == p || j == q)
      continue;
    const long ip = XelMathPackedIndex(p, j), iq = XelMathPackedIndex(q, j);
    const double t = a[ip];
    a[ip] = a[iq];
    a[iq] = t;
  }
  const long pp = XelMathPackedIndex(p, p), qq = XelMathPackedIndex(q, q);
  const double t = a[pp];
  a[pp] = a[qq];
  a[qq] = t;
}

int FactorizeLDLt(long iN, double* a, long* oKind, long* oSwap, double iTiny) {
  const double alpha = XelMathBunchKaufmanAlpha;
  const long n = iN;
  long k = 0;
  while (k < n) {
    const double absakk = std::fabs(a[XelMathPackedIndex(k, k)]);
    double lambda = 0.0;
    long r = k;
    for (long i = k + 1; i < n; ++i) {
      const double v = std::fabs(a[XelMathPackedIndex(i, k)]);
      if (v > lambda) {
        lambda = v;
        r = i;
      }
    }
    if (!((absakk > lambda ? absakk : lambda) > iTiny))
      return 5;
    long size = 1, kp = k;
    if (absakk < alpha * lambda) {
      double sigma = 0.0;
      for (long j = k; j < n; ++j)
        if (j != r && std::fabs(a[XelMathPackedIndex(r, j)]) > sigma)
          sigma = std::fabs(a[XelMathPackedIndex(r, j)]);
      if (absakk * sigma >= alpha * lambda * lambda)
        kp = k;
      else if (std::fabs(a[XelMathPackedIndex(r, r)]) >= alpha * sigma)
        kp = r;
      else {
        kp = r;
        size = 2;
      }
    }
    const long kk = k + size - 1;
    SymmetricPivot(n, a, kk, kp, oSwap);
    if (size == 1) {
      oKind[k] = 1;
      const double d = a[XelMathPackedIndex(k, k)];
      if (!(std::fabs(d) > iTiny))
        return 5;
      for (long i = k + 1; i < n; ++i) {
        const double li = a[XelMathPackedIndex(i, k)] / d;
        if (li == 0.0)
          continue;
        double* row = a + i * (i + 1) / 2;
        for (long j = k + 1; j <= i; ++j)
          row[j] -= li * a[XelMathPackedIndex(j, k)];
      }
      for (long i = k + 1; i < n; ++i)
        a[XelMathPackedIndex(i, k)] /= d;
      k += 1;
    } else {
      oKind[k] = 2;
      oKind[k + 1] = 0;
      oSwap[k] = k;
      const double d11 = a[XelMathPackedIndex(k, k)];
      const double d21 = a[XelMathPackedIndex(k + 1, k)];
      const double d22 = a[XelMathPackedIndex(k + 1, k + 1)];
      const double det = d11 * d22 - d21 * d21;
      if (!(std::fabs(det) > iTiny * iTiny))
        return 5;
      for (long i = k + 2; i < n; ++i) {
        const double w1 = a[XelMathPackedIndex(i, k)], w2 = a[XelMathPackedIndex(i, k + 1)];
        const double l1 = (w1 * d22 - w2 * d21) / det;
        const double l2 = (w2 * d11 - w1 * d21) / det;
        double* row = a + i * (i + 1) / 2;
        for (long j = k + 2; j <= i; ++j)
          row[j] -= l1 * a[XelMathPackedIndex(j, k)] + l2 * a[XelMathPackedIndex(j, k + 1)];
      }
      for (long i = k + 2; i < n; ++i) {
        const long i1 = XelMathPackedIndex(i, k), i2 = XelMathPackedIndex(i, k + 1);
        const double w1 = a[i1], w2 = a[i2];
        a[i1] = (w1 * d22 - w2 * d21) / det;
        a[i2] = (w2 * d11 - w1 * d21) / det;
      }
      k += 2;
    }
  }
  return 0;
}

void SolveLDLt(long iN, const double* a, const long* iKind, const long* iSwap, double* b,
               long iC) {
  const long n = iN;
  auto swapRows = [&](long p, long q) {
    if (p == q)
      return;
    for (long c = 0; c < iC; ++c) {
      const double t = b[p * iC + c];
      b[p * iC + c] = b[q * iC + c];
      b[q * iC + c] = t;
    }
  };
  for (long k = 0; k < n; ++k)
    swapRows(k, iSwap[k]);
  for (long c = 0; c < iC; ++c) {
    // L z = P b.
    for (long k = 0; k < n;) {
      if (iKind[k] == 1) {
        const double bk = b[k * iC + c];
        for (long i = k + 1; i < n; ++i)
          b[i * iC + c] -= a[XelMathPackedIndex(i, k)] * bk;
        k += 1;
      } else {
        const double b1 = b[k * iC + c], b2 = b[(k + 1) * iC + c];
        for (long i = k + 2; i < n; ++i)
          b[i * iC + c] -= a[XelMathPackedIndex(i, k)] * b1 + a[XelMathPackedIndex(i, k + 1)] * b2;
        k += 2;
      }
    }
    // D y = z.
    for (long k = 0; k < n;) {
      if (iKind[k] == 1) {
        b[k * iC + c] /= a[XelMathPackedIndex(k, k)];
        k += 1;
      } else {
        const double d11 = a[XelMathPackedIndex(k, k)], d21 = a[XelMathPackedIndex(k + 1, k)],
                     d22 = a[XelMathPackedIndex(k + 1, k + 1)];
        const double det = d11 * d22 - d21 * d21;
        const double b1 = b[k * iC + c], b2 = b[(k + 1) * iC + c];
        b[k * iC + c] = (d22 * b1 - d21 * b2) / det;
        b[(k + 1) * iC + c] = (d11 * b2 - d21 * b1) / det;
        k += 2;
      }
    }
    // Lᵀ x = y.
    for (long k = n - 1; k >= 0; --k) {
      const bool second = iKind[k] == 0;
      const long first = second ? k - 1 : k;
      for (long r = first; r <= k; ++r) {
        double s = b[r * iC + c];
        for (long i = k + 1; i < n; ++i)
          s -= a[XelMathPackedIndex(i, r)] * b[i * iC + c];
        b[r * iC + c] = s;
      }
      k = first;
    }
  }
  for (long k = n - 1; k >= 0; --k)
    swapRows(k, iSwap[k]);
}

void InverseLDLt(long iN, const double* a, const long* iKind, const long* iSwap, double* oX) {
  for (long k = 0; k < iN * iN; ++k)
    oX[k] = 0.0;
  for (long i = 0; i < iN; ++i)
    oX[i * iN + i] = 1.0;
  SolveLDLt(iN, a, iKind, iSwap, oX, iN);
}

int XelMathPackedCholesky(long iN, double* a, const long* iImp) {
  for (long i = 0; i < iN; ++i) {
    if (iImp && iImp[i] == 0)
      continue;
    double* ri = a + i * (i + 1) / 2;
    for (long j = 0; j <= i; ++j) {
      if (iImp && iImp[j] == 0)
        continue;
      const double* rj = a + j * (j + 1) / 2;
      double s = ri[j];
      for (long k = 0; k < j; ++k)
        if (!iImp || iImp[k] != 0)
          s -= ri[k] * rj[k];
      if (i == j) {
        if (!(s > 0.0 && std::isfinite(s)))
          return 5;
        ri[i] = std::sqrt(s);
      } else {
        ri[j] = s / rj[j];
      }
    }
  }
  return 0;
}

int XelMathPackedCholeskySolve(long iN, const double* a, const long* iImp, double* b, long iC) {
  auto isFree = [&](long k) { return !iImp || iImp[k] != 0; };
  for (long i = 0; i < iN; ++i)
    if (isFree(i) && a[XelMathPackedIndex(i, i)] == 0.0)
      return 5;
  for (long c = 0; c < iC; ++c) {
    for (long i = 0; i < iN; ++i) {
      if (!isFree(i))
        continue;
      double s = b[i * iC + c];
      for (long k = 0; k < i; ++k)
        if (isFree(k))
          s -= a[XelMathPackedIndex(i, k)] * b[k * iC + c];
      b[i * iC + c] = s / a[XelMathPackedIndex(i, i)];
    }
    for (long i = iN - 1; i >= 0; --i) {
      if (!isFree(i))
        continue;
      double s = b[i * iC + c];
      for (long k = i + 1; k < iN; ++k)
        if (isFree(k))
          s -= a[XelMathPackedIndex(k, i)] * b[k * iC + c];
      b[i * iC + c] = s / a[XelMathPackedIndex(i, i)];
    }
  }
  return 0;
}

// ---- construction and storage --------------------------------------------------------------

XelMathNxNFullSymMatrix::XelMathNxNFullSymMatrix() : _packed(nullptr), _packedCount(0) {}

XelMathNxNFullSymMatrix::XelMathNxNFullSymMatrix(const long iN)
    : _packed(nullptr), _packedCount(0) {
  ResizePacked(iN);
}

XelMathNxNFullSymMatrix::XelMathNxNFullSymMatrix(const long iN, const double* iPacked)
    : _packed(nullptr), _packedCount(0) {
  ResizePacked(iN);
  if (iPacked && _packedCount > 0)
    std::memcpy(_packed, iPacked, sizeof(double) * _packedCount);
}

XelMathNxNFullSymMatrix::XelMathNxNFullSymMatrix(const XelMathMxNMatrix& iA)
    : _packed(nullptr), _packedCount(0) {
  long m = 0, n = 0;
  iA.GetSizeOfMatrix(m, n);
  if (m != n) {
    XelQuorOutput::GetOut() << " non square matrix !! ";
    return;
  }
  ResizePacked(n);
  const double eps = SymmetryEpsilon();
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      const double aij = iA.GetCoef(i, j), aji = iA.GetCoef(j, i);
      if ((aij - aji) * (aij - aji) > eps * aij * aij) {
        XelQuorOutput::GetOut() << " non symetric matrix !! ";
        return;
      }
      _packed[i * (i + 1) / 2 + j] = aij;
    }
}

XelMathNxNFullSymMatrix::XelMathNxNFullSymMatrix(const XelMathNxNFullSymMatrix& iOther)
    : XelMathNxNMatrix(), _packed(nullptr), _packedCount(0) {
  const long n = iOther.GetSizeOfMatrix();
  ResizePacked(n);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      _packed[i * (i + 1) / 2 + j] = iOther.GetCoef(i, j);
}

XelMathNxNFullSymMatrix::~XelMathNxNFullSymMatrix() {
  if (_packed)
    XelQuorArrayDoubleDel(_packed, _packedCount);
}

long XelMathNxNFullSymMatrix::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(double)) * _packedCount;
}

long XelMathNxNFullSymMatrix::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

void XelMathNxNFullSymMatrix::CopyPacked(double* oPacked) const {
  const long n = GetSizeOfMatrix();
  if (GetTypeOfMatrix() == 2 && _packed) {
    std::memcpy(oPacked, _packed, sizeof(double) * n * (n + 1) / 2);
    return;
  }
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      oPacked[i * (i + 1) / 2 + j] = GetCoef(i, j);
}

void XelMathNxNFullSymMatrix::ResizePacked(const long iN) {
  CheckSize(iN, iN);
  const long count = iN * (iN + 1) / 2;
  if (count != _packedCount) {
    double* packed = count > 0 ? XelQuorArrayDoubleNew(count) : nullptr;
    if (_packed)
      XelQuorArrayDoubleDel(_packed, _packedCount);
    _packed = packed;
    _packedCount = count;
  }
  for (long k = 0; k < count; ++k)
    _packed[k] = 0.0;
  _m = iN;
  _n = iN;
}

XelMathMxNMatrix& XelMathNxNFullSymMatrix::operator=(const XelMathMxNMatrix& iOther) {
  if (this == &iOther)
    return *this;
  long m = 0, n = 0;
  iOther.GetSizeOfMatrix(m, n);
  if (m != n) {
    XelQuorOutput::GetOut() << " non square matrix !! ";
    return *this;
  }
  XelMathMatrixScratch<LocalPacked> copy(n * (n + 1) / 2);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      copy.Get()[i * (i + 1) / 2 + j] = iOther.GetCoef(i, j);
  ResizePacked(n);
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      SetCoef(i, j, copy.Get()[i * (i + 1) / 2 + j]);
  return *this;
}

XelMathNxNMatrix& XelMathNxNFullSymMatrix::operator=(const XelMathNxNMatrix& iOther) {
  XelMathNxNFullSymMatrix::operator=(static_cast<const XelMathMxNMatrix&>(iOther));
  return *this;
}

XelMathNxNFullSymMatrix& XelMathNxNFullSymMatrix::operator=(const XelMathNxNFullSymMatrix& iOther) {
  XelMathNxNFullSymMatrix::operator=(static_cast<const XelMathMxNMatrix&>(iOther));
  return *this;
}

int XelMathNxNFullSymMatrix::GetTypeOfMatrix() const {
  return 2;
}

void XelMathNxNFullSymMatrix::SetCoef(const double* iPacked) {
  const long count = _n * (_n + 1) / 2;
  if (iPacked && count > 0)
    std::memcpy(_packed, iPacked, sizeof(double) * count);
}

void XelMathNxNFullSymMatrix::SetCoef(const long i, const long j, const double iValue) {
  XEL_MATRIX_CHECK_INDEX(i >= 0 && i < _n && j >= 0 && j < _n, "XelMathNxNFullSymMatrix::SetCoef");
  _packed[XelMathPackedIndex(i, j)] = iValue;
}

void XelMathNxNFullSymMatrix::SetCoef(const long k, const double iValue) {
  XEL_MATRIX_CHECK_INDEX(k >= 0 && k < _n * (_n + 1) / 2, "XelMathNxNFullSymMatrix::SetCoef");
  _packed[k] = iValue;
}

void XelMathNxNFullSymMatrix::Reset() {
  for (long k = 0; k < _packedCount; ++k)
    _packed[k] = 0.0;
}

double XelMathNxNFullSymMatrix::GetCoef(const long i, const long j) const {
  XEL_MATRIX_CHECK_INDEX(i >= 0 && i < _n && j >= 0 && j < _n, "XelMathNxNFullSymMatrix::GetCoef");
  return _packed[XelMathPackedIndex(i, j)];
}

double XelMathNxNFullSymMatrix::GetCoef(const long k) const {
  XEL_MATRIX_CHECK_INDEX(k >= 0 && k < _n * (_n + 1) / 2, "XelMathNxNFullSymMatrix::GetCoef");
  return _packed[k];
}

double* XelMathNxNFullSymMatrix::GetCoef() const {
  const long n = GetSizeOfMatrix();
  if (n == 0)
    return nullptr;
  double* dense = new double[n * n];
  for (long i = 0; i < n; ++i)
    for (long j = 0; j < n; ++j)
      dense[i * n + j] = GetCoef(i, j);
  return dense;
}

double* XelMathNxNFullSymMatrix::GetFullSymMatrixCoef() const {
  return _packed;
}

double XelMathNxNFullSymMatrix::SchurNorm() const {
  const long n = GetSizeOfMatrix();
  double s = 0.0;
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      const double v = GetCoef(i, j);
      s += (i == j ? 1.0 : 2.0) * v * v;
    }
  return std::sqrt(s);
}

void XelMathNxNFullSymMatrix::Transpose() {}

double XelMathNxNFullSymMatrix::Trace() const {
  const long n = GetSizeOfMatrix();
  double s = 0.0;
  for (long i = 0; i < n; ++i)
    s += GetCoef(i, i);
  return s;
}

double XelMathNxNFullSymMatrix::DeterminantFast() {
  return XelMathNxNMatrix::Determinant();
}

void XelMathNxNFullSymMatrix::SetSizeOfMatrix(const long iN) {
  if (iN < 0 || iN > GetSizeOfMatrix()) {
    XelQuorOutput::GetOut() << " invalid size matrix  ";
    return;
  }
  _m = iN;
  _n = iN;
}

void XelMathNxNFullSymMatrix::Multiply(const double* iX, double* oY) const {
  const long n = GetSizeOfMatrix();
  for (long i = 0; i < n; ++i)
    oY[i] = 0.0;
  for (long i = 0; i < n; ++i) {
    const double* row = _packed + i * (i + 1) / 2;
    double s = 0.0;
    for (long j = 0; j < i; ++j) {
      s += row[j] * iX[j];
      oY[j] += row[j] * iX[i];
    }
    oY[i] += s + row[i] * iX[i];
  }
}

// ---- LDLᵀ solves ----------------------------------------------------------------------------

int XelMathNxNFullSymMatrix::Solve(double* ioB, const long iNRHS) {
  if (iNRHS < 1)
    return 0;
  XelMathCheckMatrixCount(GetSizeOfMatrix(), iNRHS);
  const long n = GetSizeOfMatrix();
  const long count = n * (n + 1) / 2;
  XelMathMatrixScratch<LocalPacked> copy(count);
  double* a = copy.Get();
  CopyPacked(a);
  PivotRecords pivots(n);
  const double tiny = GetPivotThreshold() * MaxAbsPacked(count, a);
  if (FactorizeLDLt(n, a, pivots.Kind(), pivots.Swap(), tiny) != 0)
    return 5;
  SolveLDLt(n, a, pivots.Kind(), pivots.Swap(), ioB, iNRHS);
  return XelMathAllFinite(n * iNRHS, ioB) ? 0 : 5;
}

int XelMathNxNFullSymMatrix::Solve(const double* iB, double* oX, const long iNRHS) const {
  if (iNRHS < 1)
    return 0;
  const long n = GetSizeOfMatrix();
  XelMathCheckMatrixCount(n, iNRHS);
  if (oX != iB && n > 0)
    std::memcpy(oX, iB, sizeof(double) * n * iNRHS);
  return const_cast<XelMathNxNFullSymMatrix*>(this)->Solve(oX, iNRHS);
}

void XelMathNxNFullSymMatrix::Modifie(double* ioB, const long* iImp, const long iNRHS) const {
  const long n = GetSizeOfMatrix();
  if (!iImp)
    return;
  for (long i = 0; i < n; ++i) {
    if (iImp[i] == 0)
      continue;
    for (long j = 0; j < n; ++j)
      if (iImp[j] == 0) {
        const double aij = GetCoef(i, j);
        for (long c = 0; c < iNRHS; ++c)
          ioB[i * iNRHS + c] -= aij * ioB[j * iNRHS + c];
      }
  }
}

int XelMathNxNFullSymMatrix::Solve(double* ioB, const long* iImp, const long iNRHS) {
  if (!iImp)
    return Solve(ioB, iNRHS);
  if (iNRHS < 1)
    return 0;
  XelMathCheckMatrixCount(GetSizeOfMatrix(), iNRHS);
  const long n = GetSizeOfMatrix();
  long nf = 0;
  for (long i = 0; i < n; ++i)
    if (iImp[i] != 0)
      ++nf;
  if (nf == 0)
    return 0;
  Modifie(ioB, iImp, iNRHS);
  // The free rows and columns, extracted into a smaller packed matrix.
  const long count = nf * (nf + 1) / 2;
  XelMathMatrixScratch<LocalPacked> work(count + nf * iNRHS);
  double* a = work.Get();
  double* b = a + count;
  ExtractLDLt(*this, iImp, iNRHS, ioB, a, b);
  PivotRecords pivots(nf);
  const double tiny = GetPivotThreshold() * MaxAbsPacked(count, a);
  if (FactorizeLDLt(nf, a, pivots.Kind(), pivots.Swap(), tiny) != 0)
    return 5;
  SolveLDLt(nf, a, pivots.Kind(), pivots.Swap(), b, iNRHS);
  if (!XelMathAllFinite(nf * iNRHS, b))
    return 5;
  for (long i = 0, fi = 0; i < n; ++i)
    if (iImp[i] != 0) {
      for (long c = 0; c < iNRHS; ++c)
        ioB[i * iNRHS + c] = b[fi * iNRHS + c];
      ++fi;
    }
  return 0;
}

int XelMathNxNFullSymMatrix::Inverse(XelMathNxNFullSymMatrix* oR) const {
  const long n = GetSizeOfMatrix();
  XelMathCheckMatrixCount(n, n);
  XelMathMatrixScratch<LocalPacked> identity(n * n);
  double* x = identity.Get();
  if (n > 0) {
    const long count = n * (n + 1) / 2;
    XelMathMatrixScratch<LocalPacked> copy(count);
    double* a = copy.Get();
    CopyPacked(a);
    PivotRecords pivots(n);
    const double tiny = GetPivotThreshold() * MaxAbsPacked(count, a);
    if (FactorizeLDLt(n, a, pivots.Kind(), pivots.Swap(), tiny) != 0)
      return 5;
    InverseLDLt(n, a, pivots.Kind(), pivots.Swap(), x);
  }
  return StoreInverse(oR, x);
}

int XelMathNxNFullSymMatrix::StoreInverse(XelMathNxNFullSymMatrix* oR, const double* x) const {
  const long n = GetSizeOfMatrix();
  if (!oR)
    return 0;
  if (oR->GetSizeOfMatrix() != n) {
    if (oR->GetTypeOfMatrix() != 2)
      return 5;
    oR->ResizePacked(n);
  }
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      oR->SetCoef(i, j, 0.5 * (x[i * n + j] + x[j * n + i]));
  return 0;
}

void XelMathNxNFullSymMatrix::Inverse() {
  Inverse(this);
}

// ---- Cholesky -------------------------------------------------------------------------------

int XelMathNxNFullSymMatrix::Cholesky(XelMathNxNFullSymMatrix* oL, const long* iImp) {
  const long n = GetSizeOfMatrix();
  const long count = n * (n + 1) / 2;
  XelMathMatrixScratch<LocalPacked> copy(count);
  double* a = copy.Get();
  CopyPacked(a);
  if (XelMathPackedCholesky(n, a, iImp) != 0) {
    XelQuorOutput::GetOut() << " a non positive matrix ";
    return 5;
  }
  XelMathNxNFullSymMatrix* target = oL ? oL : this;
  if (target->GetSizeOfMatrix() != n) {
    if (target->GetTypeOfMatrix() != 2) {
      XelQuorOutput::GetOut() << " wrong size for Cholesky factor ";
      return 5;
    }
    target->ResizePacked(n);
  }
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      target->SetCoef(i, j, a[i * (i + 1) / 2 + j]);
  return 0;
}

int XelMathNxNFullSymMatrix::SolveCholesky(double* ioB, const long* iImp, const long iNRHS) const {
  const long n = GetSizeOfMatrix();
  const long count = n * (n + 1) / 2;
  XelMathMatrixScratch<LocalPacked> copy(count);
  double* a = copy.Get();
  CopyPacked(a);
  if (XelMathPackedCholesky(n, a, iImp) != 0)
    return 5;
  Modifie(ioB, iImp, iNRHS);
  return XelMathPackedCholeskySolve(n, a, iImp, ioB, iNRHS);
}

int XelMathNxNFullSymMatrix::Resolution(double* ioB, const long iNRHS) const {
  const long n = GetSizeOfMatrix();
  const long count = n * (n + 1) / 2;
  XelMathMatrixScratch<LocalPacked> copy(count);
  double* a = copy.Get();
  CopyPacked(a);
  return XelMathPackedCholeskySolve(n, a, nullptr, ioB, iNRHS);
}

int XelMathNxNFullSymMatrix::InverseCholesky(XelMathNxNFullSymMatrix* oR) const {
  const long n = GetSizeOfMatrix();
  XelMathCheckMatrixCount(n, n);
  XelMathMatrixScratch<LocalPacked> identity(n * n);
  double* x = identity.Get();
  for (long k = 0; k < n * n; ++k)
    x[k] = 0.0;
  for (long i = 0; i < n; ++i)
    x[i * n + i] = 1.0;
  if (SolveCholesky(x, nullptr, n) != 0)
    return 5;
  return StoreInverse(oR, x);
}

int XelMathNxNFullSymMatrix::FastInverseCholesky() {
  return InverseCholesky(this);
}

double XelMathNxNFullSymMatrix::DeterminantCholesky() const {
  XelMathNxNFullSymMatrix copy(*this);
  return copy.XelMathNxNFullSymMatrix::DeterminantFastCholesky();
}

double XelMathNxNFullSymMatrix::DeterminantFastCholesky() {
  const long n = GetSizeOfMatrix();
  if (XelMathPackedCholesky(n, _packed, nullptr) != 0) {
    XelQuorOutput::GetOut() << " a non positive matrix !! ";
    return 0.0;
  }
  double det = 1.0;
  for (long i = 0; i < n; ++i)
    det *= _packed[XelMathPackedIndex(i, i)] * _packed[XelMathPackedIndex(i, i)];
  return det;
}

// ---- eigenvalues ------------------------------------------------------------------------------

bool XelMathNxNFullSymMatrix::StopJacobi(const double iEps) const {
  const long n = GetSizeOfMatrix();
  for (long i = 1; i < n; ++i)
    for (long j = 0; j < i; ++j) {
      const double a = GetCoef(i, j);
      if (!(a * a <= iEps * iEps))
        return false;
    }
  return true;
}

int XelMathNxNFullSymMatrix::EvalEigenVal(XelMathNxNMatrix& oV, double* oLambda, const double iEps,
                                          const long iFlag) const {
  const long n = GetSizeOfMatrix();
  XelMathNxNFullSymMatrix a(*this);
  XelMathNxNMatrix identity(n, 1.0);
  oV = identity;
  double* v = oV.GetFullMatrixCoef();
  int status = 7;
  for (long sweep = 0; sweep <= MaxJacobiSweeps; ++sweep) {
    if (a.StopJacobi(iEps)) {
      status = 0;
      break;
    }
    if (sweep == MaxJacobiSweeps)
      break;
    for (long p = 0; p < n - 1; ++p)
      for (long q = p + 1; q < n; ++q) {
        const double apq = a.GetCoef(q, p);
        if (apq == 0.0)
          continue;
        const double app = a.GetCoef(p, p), aqq = a.GetCoef(q, q);
        const double theta = (aqq - app) / (2.0 * apq);
        const double t =
            (theta >= 0.0 ? 1.0 : -1.0) / (std::fabs(theta) + std::sqrt(theta * theta + 1.0));
        const double c = 1.0 / std::sqrt(t * t + 1.0), s = t * c;
        for (long k = 0; k < n; ++k) {
          if (k == p || k == q)
            continue;
          const double akp = a.GetCoef(k, p), akq = a.GetCoef(k, q);
          a.SetCoef(k, p, c * akp - s * akq);
          a.SetCoef(k, q, s * akp + c * akq);
        }
        a.SetCoef(p, p, app - t * apq);
        a.SetCoef(q, q, aqq + t * apq);
        a.SetCoef(q, p, 0.0);
        for (long k = 0; k < n; ++k) {
          const double vkp = v[k * n + p], vkq = v[k * n + q];
          v[k * n + p] = c * vkp - s * vkq;
          v[k * n + q] = s * vkp + c * vkq;
        }
      }
  }
  for (long i = 0; i < n; ++i)
    oLambda[i] = a.GetCoef(i, i);
  if (iFlag != 0)
    for (long i = 0; i < n; ++i) {
      long best = i;
      for (long j = i + 1; j < n; ++j)
        if (oLambda[j] < oLambda[best])
          best = j;
      if (best == i)
        continue;
      const double t = oLambda[i];
      oLambda[i] = oLambda[best];
      oLambda[best] = t;
      for (long k = 0; k < n; ++k) {
        const double vt = v[k * n + i];
        v[k * n + i] = v[k * n + best];
        v[k * n + best] = vt;
      }
    }
  return status;
}

long XelMathNxNFullSymMatrix::SetData(const XelMath3x3Matrix& iM) {
  if (GetSizeOfMatrix() != 3) {
    if (GetTypeOfMatrix() != 2)
      return 0x80004005L;
    ResizePacked(3);
  }
  const double eps = SymmetryEpsilon();
  long status = 0;
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j <= i; ++j) {
      const double aij = iM.GetCoef(i, j), aji = iM.GetCoef(j, i);
      if ((aij - aji) * (aij - aji) > eps * aij * aij)
        status = 0x80004005L;
      SetCoef(i, j, aij);
    }
  if (status != 0)
    XelQuorOutput::GetOut() << " non symetric matrix !! ";
  return status;
}
