// Symmetric band matrix: band storage, band LDLᵀ with Bunch-Kaufman pivoting on a widening
// copy (BandLDLt: FactorizeLDLtBand, BandSymmetricPivot, SolveLDLtBand), band Cholesky,
// determinants and solves with imposed unknowns.
#include "XelMathNxNBandSymMatrix.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include "XelMathInputError.h"
#include "XelMathInternalGuards.h"
#include "XelMathMatrixScratch.h"
#include "XelMathSymmetricKernels.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

const long LocalBand = 256;
const long LocalUnknowns = 64;

[[noreturn]] void RaiseNonPositive(const char* iWhere) {
  XelMathRaiseTexts(XelErrorCode::Forbidden, 2, iWhere, " A non positive matrix", nullptr,
                    __FILE__, __LINE__);
}

/// Band view of a work array laid out as the matrix's band array.
struct BandView {
  long n;
  long b;
  long offset;
  double* a;
  double& At(long i, long j) const {
    return a[i < b ? i * (i + 1) / 2 + j : offset + (b - 1) * i + j];
  }
};

/// LDLᵀ of a symmetric band matrix with Bunch-Kaufman pivoting: 1 x 1 and 2 x 2 pivots and
/// symmetric interchanges of k with a row r of the band of column k. Such an interchange
/// brings row r's band, which reaches r + b − 1, into column k, and the elimination fills the
/// remaining matrix down to that row: the factor works on its own copy whose band widens as
/// interchanges require (from twice the matrix's half width), so that nothing is dropped.
/// Column j holds rows j..j+width (column-major); _last[j] is the lowest row of column j
/// that may be non-zero, and every slot below it holds 0. Interchanges are applied to the
/// remaining matrix only and recorded per step (_swap), as the solve replays them.
class BandLDLt {
public:
  explicit BandLDLt(const XelMathNxNBandSymMatrix& iA);
  BandLDLt(const BandLDLt&) = delete;
  BandLDLt& operator=(const BandLDLt&) = delete;
  ~BandLDLt();
  /// Factors the copy; returns 0, or 5 when the matrix holds a value that is not finite or
  /// a pivot is not above iThreshold times its largest coefficient (singular matrix).
  int FactorizeLDLtBand(double iThreshold);
  /// ioB (n x iC row-major) := A⁻¹ ioB. Returns 0, or 5 when a result is not finite.
  int SolveLDLtBand(double* ioB, long iC) const;
  /// The product of the pivot determinants (interchanges are symmetric).
  double Determinant() const;

private:
  double& At(long i, long j) { return _a[j * (_width + 1) + i - j]; }
  double At(long i, long j) const { return _a[j * (_width + 1) + i - j]; }
  void Widen(long iWidth);
  void BandSymmetricPivot(long iK, long iP, long iQ);
  void SwapRows(double* ioB, long iC, long iP, long iQ) const;

  long _n;
  long _width;
  long _count;
  double* _a;
  long* _last;
  long* _kind;
  long* _swap;
  std::unique_ptr<long[]> _heapLongs;
  double _localA[LocalBand];
  long _localLongs[3 * LocalUnknowns];
};

BandLDLt::BandLDLt(const XelMathNxNBandSymMatrix& iA)
    : _n(iA.GetSizeOfMatrix()), _width(0), _count(0), _a(_localA),
      _heapLongs(_n > LocalUnknowns ? new long[3 * _n] : nullptr) {
  const long n = _n, half = iA.GetBandOfMatrix() - 1;
  _last = _heapLongs ? _heapLongs.get() : _localLongs;
  _kind = _last + n;
  _swap = _kind + n;
  Widen(2 * half < n - 1 ? 2 * half : (n > 0 ? n - 1 : 0));
  for (long j = 0; j < n; ++j) {
    _last[j] = j + half < n - 1 ? j + half : n - 1;
    for (long i = j; i <= _last[j]; ++i)
      At(i, j) = iA.GetCoef(i, j);
  }
}

BandLDLt::~BandLDLt() {
  if (_a != _localA)
    XelQuorArrayDoubleDel(_a, _count);
}

void BandLDLt::Widen(long iWidth) {
  if (iWidth <= _width && _count > 0)
    return;
  const long count = XelMathMatrixCount(_n, iWidth + 1);
  if (count < 0)
    XelMathRaise(XelErrorCode::InvalidMatrixSize, "Constructor", "Dimension not valid", "");
  double* a = count <= LocalBand ? _localA : XelQuorArrayDoubleNew(count);
  if (a == _a) { // still in the local buffer: re-space the columns from the last one
    for (long j = _n - 1; j >= 0; --j)
      for (long i = iWidth; i >= 0; --i)
        a[j * (iWidth + 1) + i] = i <= _width && _count > 0 ? _a[j * (_width + 1) + i] : 0.0;
  } else {
    for (long j = 0; j < _n; ++j)
      for (long i = 0; i <= iWidth; ++i)
        a[j * (iWidth + 1) + i] = i <= _width && _count > 0 ? _a[j * (_width + 1) + i] : 0.0;
    if (_a != _localA)
      XelQuorArrayDoubleDel(_a, _count);
  }
  _a = a;
  _count = count;
  _width = iWidth;
}

void BandLDLt::BandSymmetricPivot(long iK, long p, long q) {
  const long lastP = _last[p], lastQ = _last[q];
  const long tail = lastP > lastQ ? lastP : lastQ;
  if (tail - p > _width)
    Widen(tail - p);
  for (long j = iK; j < p; ++j)
    std::swap(At(p, j), At(q, j));
  for (long i = p + 1; i < q; ++i) {
    std::swap(At(i, p), At(q, i));
    if (i <= lastP && _last[i] < q)
      _last[i] = q;
  }
  std::swap(At(p, p), At(q, q));
  for (long i = q + 1; i <= tail; ++i)
    std::swap(At(i, p), At(i, q));
  _last[p] = lastQ > q ? lastQ : q;
  _last[q] = lastP > q ? lastP : q;
}

int BandLDLt::FactorizeLDLtBand(double iThreshold) {
  const double alpha = XelMathBunchKaufmanAlpha;
  double big = 0.0;
  for (long j = 0; j < _n; ++j)
    for (long i = j; i <= _last[j]; ++i)
      big = std::fabs(At(i, j)) > big ? std::fabs(At(i, j)) : big;
  if (!std::isfinite(big))
    return 5;
  const double tiny = iThreshold * big;
  for (long k = 0; k < _n;) {
    const double absakk = std::fabs(At(k, k));
    double lambda = 0.0;
    long r = k;
    for (long i = k + 1; i <= _last[k]; ++i)
      if (std::fabs(At(i, k)) > lambda) {
        lambda = std::fabs(At(i, k));
        r = i;
      }
    if (!((absakk > lambda ? absakk : lambda) > tiny))
      return 5;
    long size = 1, kp = k;
    if (absakk < alpha * lambda) {
      double sigma = 0.0;
      for (long j = k; j < r; ++j)
        if (_last[j] >= r && std::fabs(At(r, j)) > sigma)
          sigma = std::fabs(At(r, j));
      for (long i = r + 1; i <= _last[r]; ++i)
        if (std::fabs(At(i, r)) > sigma)
          sigma = std::fabs(At(i, r));
      if (absakk * sigma >= alpha * lambda * lambda)
        kp = k;
      else if (std::fabs(At(r, r)) >= alpha * sigma)
        kp = r;
      else {
        kp = r;
        size = 2;
      }
    }
    const long kk = k + size - 1;
    if (kp != kk)
      BandSymmetricPivot(k, kk, kp);
    _swap[k] = k;
    _swap[kk] = kp;
    if (size == 1) {
      _kind[k] = 1;
      const double d = At(k, k);
      if (!(std::fabs(d) > tiny))
        return 5;
      const long last = _last[k];
      for (long j = k + 1; j <= last; ++j) {
        const double lj = At(j, k) / d;
        if (lj == 0.0)
          continue;
        for (long i = j; i <= last; ++i)
          At(i, j) -= At(i, k) * lj;
        if (_last[j] < last)
          _last[j] = last;
      }
      for (long i = k + 1; i <= last; ++i)
        At(i, k) /= d;
      k += 1;
    } else {
      _kind[k] = 2;
      _kind[k + 1] = 0;
      const double d11 = At(k, k), d21 = At(k + 1, k), d22 = At(k + 1, k + 1);
      const double det = d11 * d22 - d21 * d21;
      if (!(std::fabs(det) > tiny * tiny))
        return 5;
      const long last = _last[k] > _last[k + 1] ? _last[k] : _last[k + 1];
      if (last - k > _width)
        Widen(last - k);
      for (long j = k + 2; j <= last; ++j) {
        const double w1 = At(j, k), w2 = At(j, k + 1);
        const double l1 = (w1 * d22 - w2 * d21) / det, l2 = (w2 * d11 - w1 * d21) / det;
        if (l1 == 0.0 && l2 == 0.0)
          continue;
        for (long i = j; i <= last; ++i)
          At(i, j) -= At(i, k) * l1 + At(i, k + 1) * l2;
        if (_last[j] < last)
          _last[j] = last;
      }
      for (long i = k + 2; i <= last; ++i) {
        const double w1 = At(i, k), w2 = At(i, k + 1);
        At(i, k) = (w1 * d22 - w2 * d21) / det;
        At(i, k + 1) = (w2 * d11 - w1 * d21) / det;
      }
      _last[k] = _last[k + 1] = last;
      k += 2;
    }
  }
  return 0;
}

void BandLDLt::SwapRows(double* b, long iC, long p, long q) const {
  if (p != q)
    for (long c = 0; c < iC; ++c)
      std::swap(b[p * iC + c], b[q * iC + c]);
}

int BandLDLt::SolveLDLtBand(double* b, long iC) const {
  const long n = _n;
  // L D z = P b, step by step as the interchanges were made.
  for (long k = 0; k < n;) {
    const long size = _kind[k] == 2 ? 2 : 1;
    SwapRows(b, iC, k + size - 1, _swap[k + size - 1]);
    for (long c = 0; c < iC; ++c) {
      const double b1 = b[k * iC + c], b2 = size == 2 ? b[(k + 1) * iC + c] : 0.0;
      for (long i = k + size; i <= _last[k]; ++i)
        b[i * iC + c] -= At(i, k) * b1 + (size == 2 ? At(i, k + 1) * b2 : 0.0);
      if (size == 1) {
        b[k * iC + c] = b1 / At(k, k);
      } else {
        const double d11 = At(k, k), d21 = At(k + 1, k), d22 = At(k + 1, k + 1);
        const double det = d11 * d22 - d21 * d21;
        b[k * iC + c] = (d22 * b1 - d21 * b2) / det;
        b[(k + 1) * iC + c] = (d11 * b2 - d21 * b1) / det;
      }
    }
    k += size;
  }
  // Lᵀ x = z, undoing the interchanges in reverse order.
  for (long k = n - 1; k >= 0;) {
    const long first = _kind[k] == 0 ? k - 1 : k;
    for (long c = 0; c < iC; ++c)
      for (long f = first; f <= k; ++f) {
        double s = b[f * iC + c];
        for (long i = k + 1; i <= _last[f]; ++i)
          s -= At(i, f) * b[i * iC + c];
        b[f * iC + c] = s;
      }
    SwapRows(b, iC, k, _swap[k]);
    k = first - 1;
  }
  return XelMathAllFinite(n * iC, b) ? 0 : 5;
}

double BandLDLt::Determinant() const {
  double det = 1.0;
  for (long k = 0; k < _n;) {
    if (_kind[k] == 1) {
      det *= At(k, k);
      k += 1;
    } else {
      det *= At(k, k) * At(k + 1, k + 1) - At(k + 1, k) * At(k + 1, k);
      k += 2;
    }
  }
  return det;
}

/// The rows and columns of iM whose flag is not 0, into the band oFree (entries outside its
/// width are dropped), and the same rows of iB (iNRHS columns) into oB.
void ExtractLDLtBand(const XelMathNxNBandSymMatrix& iM, const long* iImp, long iNRHS,
                     const double* iB, const BandView& oFree, double* oB) {
  const long n = iM.GetSizeOfMatrix();
  for (long i = 0, fi = 0; i < n; ++i) {
    if (iImp[i] == 0)
      continue;
    for (long j = 0, fj = 0; j <= i; ++j)
      if (iImp[j] != 0) {
        if (fi - fj < oFree.b)
          oFree.At(fi, fj) = iM.GetCoef(i, j);
        ++fj;
      }
    for (long c = 0; c < iNRHS; ++c)
      oB[fi * iNRHS + c] = iB[i * iNRHS + c];
    ++fi;
  }
}

/// Band Cholesky in place over the free unknowns; returns 0 or 5.
int BandCholesky(const BandView& m, const long* iImp) {
  for (long i = 0; i < m.n; ++i) {
    if (iImp && iImp[i] == 0)
      continue;
    const long first = i - m.b + 1 > 0 ? i - m.b + 1 : 0;
    for (long j = first; j <= i; ++j) {
      if (iImp && iImp[j] == 0)
        continue;
      double s = m.At(i, j);
      for (long k = first; k < j; ++k)
        if (!iImp || iImp[k] != 0)
          s -= m.At(i, k) * m.At(j, k);
      if (i == j) {
        if (!(s > 0.0 && std::isfinite(s)))
          return 5;
        m.At(i, i) = std::sqrt(s);
      } else {
        m.At(i, j) = s / m.At(j, j);
      }
    }
  }
  return 0;
}

} // namespace

// ---- construction and storage ---------------------------------------------------------------

XelMathNxNBandSymMatrix::XelMathNxNBandSymMatrix()
    : _band(0), _bandCount(0), _rowOffset(0), _bandAllocated(0), _bandCoef(nullptr) {}

XelMathNxNBandSymMatrix::XelMathNxNBandSymMatrix(const long iN, const long iB)
    : XelMathNxNBandSymMatrix() {
  if (iB > iN || iB < 0) {
    XelQuorOutput::GetOut() << " XelMathNxNMatrix : largeur de bande superieure a la dimension ";
    return;
  }
  // A matrix of some order needs its diagonal at least: without it, it is left without
  // storage like a band wider than the order.
  if (iB == 0 && iN > 0)
    return;
  CheckSize(iN, iB);
  _band = iB;
  _bandCount = iB * (2 * iN - iB + 1) / 2;
  _rowOffset = iB * (3 - iB) / 2 - 1;
  _bandAllocated = _bandCount;
  _bandCoef = _bandCount > 0 ? XelQuorArrayDoubleNew(_bandCount) : nullptr;
  for (long k = 0; k < _bandCount; ++k)
    _bandCoef[k] = 0.0;
  _m = iN;
  _n = iN;
}

XelMathNxNBandSymMatrix::XelMathNxNBandSymMatrix(const XelMathNxNFullSymMatrix& iS, const long iB)
    : XelMathNxNBandSymMatrix() {
  const long n = iS.GetSizeOfMatrix();
  if (iB > n) {
    XelQuorOutput::GetOut() << " Band width greater than matrix size!! ";
    return;
  }
  XelMathNxNBandSymMatrix band(n, iB);
  *this = band;
  const double zero = XelGetDefaultTolerance().GetSquaredZero();
  bool outside = false;
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      const double v = iS.GetCoef(i, j);
      if (i - j < _band)
        _bandCoef[BandIndex(i, j)] = v;
      else if (v * v > zero)
        outside = true;
    }
  if (outside)
    XelQuorOutput::GetOut() << " non zero term out of band !! ";
}

XelMathNxNBandSymMatrix::XelMathNxNBandSymMatrix(const XelMathMxNMatrix& iA, const long iB)
    : XelMathNxNBandSymMatrix() {
  long m = 0, n = 0;
  iA.GetSizeOfMatrix(m, n);
  if (m != n) {
    XelQuorOutput::GetOut() << " non square matrix !! ";
    return;
  }
  if (iB > n) {
    XelQuorOutput::GetOut() << " bandwidth greater than size !! ";
    return;
  }
  XelMathNxNBandSymMatrix band(n, iB);
  *this = band;
  const double zero = XelGetDefaultTolerance().GetSquaredZero();
  const double eps = XelGetDefaultTolerance().GetSymmetryEpsilon();
  bool wrong = false;
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      const double aij = iA.GetCoef(i, j), aji = iA.GetCoef(j, i);
      if ((aij - aji) * (aij - aji) > eps * aij * aij)
        wrong = true;
      if (i - j < _band)
        _bandCoef[BandIndex(i, j)] = aij;
      else if (aij * aij > zero || aji * aji > zero)
        wrong = true;
    }
  if (wrong)
    XelQuorOutput::GetOut() << " uncorrect matrix (symetry or band) !! ";
}

XelMathNxNBandSymMatrix::XelMathNxNBandSymMatrix(const XelMathNxNBandSymMatrix& iOther)
    : XelMathNxNBandSymMatrix() {
  *this = iOther;
}

XelMathNxNBandSymMatrix::~XelMathNxNBandSymMatrix() {
  if (_bandCoef)
    XelQuorArrayDoubleDel(_bandCoef, _bandAllocated);
}

long XelMathNxNBandSymMatrix::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(double)) * _bandAllocated;
}

long XelMathNxNBandSymMatrix::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathNxNBandSymMatrix& XelMathNxNBandSymMatrix::operator=(const XelMathNxNBandSymMatrix& iOther) {
  if (this == &iOther)
    return *this;
  if (_bandAllocated != iOther._bandCount) {
    double* band = iOther._bandCount > 0 ? XelQuorArrayDoubleNew(iOther._bandCount) : nullptr;
    if (_bandCoef)
      XelQuorArrayDoubleDel(_bandCoef, _bandAllocated);
    _bandCoef = band;
    _bandAllocated = iOther._bandCount;
  }
  _band = iOther._band;
  _bandCount = iOther._bandCount;
  _rowOffset = iOther._rowOffset;
  if (_bandCount > 0)
    std::memcpy(_bandCoef, iOther._bandCoef, sizeof(double) * _bandCount);
  _m = iOther._m;
  _n = iOther._n;
  return *this;
}

XelMathMxNMatrix& XelMathNxNBandSymMatrix::operator=(const XelMathMxNMatrix& iOther) {
  if (this == &iOther)
    return *this;
  if (iOther.GetTypeOfMatrix() == 3)
    return *this = static_cast<const XelMathNxNBandSymMatrix&>(iOther);
  long m = 0, n = 0;
  iOther.GetSizeOfMatrix(m, n);
  if (m != n) {
    XelQuorOutput::GetOut() << " non square matrix !! ";
    return *this;
  }
  XelMathNxNBandSymMatrix band(n, _band < n ? _band : n);
  const double zero = XelGetDefaultTolerance().GetSquaredZero();
  bool outside = false;
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j) {
      const double v = iOther.GetCoef(i, j);
      if (i - j < band._band)
        band._bandCoef[band.BandIndex(i, j)] = v;
      else if (v * v > zero)
        outside = true;
    }
  if (outside)
    XelQuorOutput::GetOut() << " non zero term out of band !! ";
  return *this = band;
}

XelMathNxNMatrix& XelMathNxNBandSymMatrix::operator=(const XelMathNxNMatrix& iOther) {
  XelMathNxNBandSymMatrix::operator=(static_cast<const XelMathMxNMatrix&>(iOther));
  return *this;
}

XelMathNxNFullSymMatrix& XelMathNxNBandSymMatrix::operator=(const XelMathNxNFullSymMatrix& iOther) {
  XelMathNxNBandSymMatrix::operator=(static_cast<const XelMathMxNMatrix&>(iOther));
  return *this;
}

int XelMathNxNBandSymMatrix::GetTypeOfMatrix() const {
  return 3;
}

void XelMathNxNBandSymMatrix::SetCoef(const double* iBand) {
  if (iBand && _bandCount > 0)
    std::memcpy(_bandCoef, iBand, sizeof(double) * _bandCount);
}

void XelMathNxNBandSymMatrix::SetCoef(const long i, const long j, const double iValue) {
  XEL_MATRIX_CHECK_INDEX(i >= 0 && i < _n && j >= 0 && j < _n, "XelMathNxNBandSymMatrix::SetCoef");
  const long r = i >= j ? i : j, c = i >= j ? j : i;
  if (r - c >= _band) {
    if (iValue * iValue > XelGetDefaultTolerance().GetSquaredZero())
      XelQuorOutput::GetOut() << " element non nul hors de la bande diagonale ";
    return;
  }
  _bandCoef[BandIndex(r, c)] = iValue;
}

void XelMathNxNBandSymMatrix::SetCoef(const long k, const double iValue) {
  XEL_MATRIX_CHECK_INDEX(k >= 0 && k < _bandCount, "XelMathNxNBandSymMatrix::SetCoef");
  _bandCoef[k] = iValue;
}

void XelMathNxNBandSymMatrix::Reset() {
  for (long k = 0; k < _bandCount; ++k)
    _bandCoef[k] = 0.0;
}

double XelMathNxNBandSymMatrix::GetCoef(const long i, const long j) const {
  XEL_MATRIX_CHECK_INDEX(i >= 0 && i < _n && j >= 0 && j < _n, "XelMathNxNBandSymMatrix::GetCoef");
  const long r = i >= j ? i : j, c = i >= j ? j : i;
  return r - c >= _band ? 0.0 : _bandCoef[BandIndex(r, c)];
}

double XelMathNxNBandSymMatrix::GetCoef(const long k) const {
  XEL_MATRIX_CHECK_INDEX(k >= 0 && k < _bandCount, "XelMathNxNBandSymMatrix::GetCoef");
  return _bandCoef[k];
}

double* XelMathNxNBandSymMatrix::GetFullSymMatrixCoef() const {
  return _bandCoef;
}

double XelMathNxNBandSymMatrix::Trace() const {
  double s = 0.0;
  for (long i = 0; i < _n; ++i)
    s += _bandCoef[BandIndex(i, i)];
  return s;
}

double XelMathNxNBandSymMatrix::SchurNorm() const {
  double s = 0.0;
  for (long i = 0; i < _n; ++i) {
    const long first = i - _band + 1 > 0 ? i - _band + 1 : 0;
    for (long j = first; j <= i; ++j) {
      const double v = _bandCoef[BandIndex(i, j)];
      s += (i == j ? 1.0 : 2.0) * v * v;
    }
  }
  return std::sqrt(s);
}

void XelMathNxNBandSymMatrix::SetSizeOfMatrix(const long iN) {
  if (iN < _band || iN > _n) {
    XelQuorOutput::GetOut() << " invalid size matrix  ";
    return;
  }
  _m = iN;
  _n = iN;
  _bandCount = _band * (2 * iN - _band + 1) / 2;
}

void XelMathNxNBandSymMatrix::Multiply(const double* iX, double* oY) const {
  const long n = _n;
  for (long i = 0; i < n; ++i)
    oY[i] = 0.0;
  for (long i = 0; i < n; ++i) {
    const long first = i - _band + 1 > 0 ? i - _band + 1 : 0;
    double s = 0.0;
    for (long j = first; j < i; ++j) {
      const double v = _bandCoef[BandIndex(i, j)];
      s += v * iX[j];
      oY[j] += v * iX[i];
    }
    oY[i] += s + (_band > 0 ? _bandCoef[BandIndex(i, i)] * iX[i] : 0.0);
  }
}

// ---- factorizations and solves -----------------------------------------------------------------

int XelMathNxNBandSymMatrix::Solve(double* ioB, const long iNRHS) {
  if (iNRHS < 1)
    return 0;
  XelMathCheckMatrixCount(_n, iNRHS);
  if (_n > 0 && _band == 0)
    return 5;
  BandLDLt factor(*this);
  if (factor.FactorizeLDLtBand(GetPivotThreshold()) != 0)
    return 5;
  return factor.SolveLDLtBand(ioB, iNRHS);
}

int XelMathNxNBandSymMatrix::Solve(const double* iB, double* oX, const long iNRHS) const {
  if (iNRHS < 1)
    return 0;
  XelMathCheckMatrixCount(_n, iNRHS);
  if (oX != iB && _n > 0)
    std::memcpy(oX, iB, sizeof(double) * _n * iNRHS);
  return const_cast<XelMathNxNBandSymMatrix*>(this)->Solve(oX, iNRHS);
}

int XelMathNxNBandSymMatrix::Solve(double* ioB, const long* iImp, const long iNRHS) {
  if (!iImp)
    return Solve(ioB, iNRHS);
  if (iNRHS < 1)
    return 0;
  XelMathCheckMatrixCount(_n, iNRHS);
  const long n = _n;
  long nf = 0;
  for (long i = 0; i < n; ++i)
    if (iImp[i] != 0)
      ++nf;
  if (nf == 0)
    return 0;
  Modifie(ioB, iImp, iNRHS);
  // The free rows and columns keep a band of the same width once extracted.
  const long b = _band < nf ? _band : nf;
  XelMathNxNBandSymMatrix free(nf, b);
  XelMathMatrixScratch<LocalBand> rhs(nf * iNRHS);
  ExtractLDLtBand(*this, iImp, iNRHS, ioB, BandView{nf, b, free._rowOffset, free._bandCoef},
                  rhs.Get());
  if (free.Solve(rhs.Get(), iNRHS) != 0)
    return 5;
  for (long i = 0, fi = 0; i < n; ++i)
    if (iImp[i] != 0) {
      for (long c = 0; c < iNRHS; ++c)
        ioB[i * iNRHS + c] = rhs.Get()[fi * iNRHS + c];
      ++fi;
    }
  return 0;
}

double XelMathNxNBandSymMatrix::Determinant() const {
  if (_n == 0)
    return 1.0;
  if (_band == 0)
    return 0.0;
  BandLDLt factor(*this);
  if (factor.FactorizeLDLtBand(GetPivotThreshold()) != 0)
    return 0.0;
  return factor.Determinant();
}

double XelMathNxNBandSymMatrix::DeterminantFast() {
  return Determinant();
}

void XelMathNxNBandSymMatrix::Inverse() {}

int XelMathNxNBandSymMatrix::Inverse(XelMathNxNFullSymMatrix* oR) const {
  const long n = _n;
  XelMathCheckMatrixCount(n, n);
  XelMathMatrixScratch<LocalBand> identity(n * n);
  double* x = identity.Get();
  if (n > 0) {
    if (_band == 0)
      return 5;
    BandLDLt factor(*this);
    for (long k = 0; k < n * n; ++k)
      x[k] = 0.0;
    for (long i = 0; i < n; ++i)
      x[i * n + i] = 1.0;
    if (factor.FactorizeLDLtBand(GetPivotThreshold()) != 0 || factor.SolveLDLtBand(x, n) != 0)
      return 5;
  }
  if (!oR)
    return 0;
  if (oR->GetSizeOfMatrix() != n || oR->GetTypeOfMatrix() != 2) {
    if (oR->GetTypeOfMatrix() != 2)
      return 5;
    XelMathNxNFullSymMatrix sized(n);
    *oR = sized;
  }
  for (long i = 0; i < n; ++i)
    for (long j = 0; j <= i; ++j)
      oR->SetCoef(i, j, 0.5 * (x[i * n + j] + x[j * n + i]));
  return 0;
}

int XelMathNxNBandSymMatrix::Cholesky(XelMathNxNFullSymMatrix* oL, const long* iImp) {
  XelMathMatrixScratch<LocalBand> copy(_bandCount);
  if (_bandCount > 0)
    std::memcpy(copy.Get(), _bandCoef, sizeof(double) * _bandCount);
  const BandView view{_n, _band, _rowOffset, copy.Get()};
  if ((_n > 0 && _band == 0) || BandCholesky(view, iImp) != 0)
    RaiseNonPositive("Cholesky");
  if (!oL || oL == this) {
    if (_bandCount > 0)
      std::memcpy(_bandCoef, copy.Get(), sizeof(double) * _bandCount);
    return 0;
  }
  if (oL->GetSizeOfMatrix() != _n) {
    XelQuorOutput::GetOut() << " wrong size for Cholesky factor ";
    return 5;
  }
  for (long i = 0; i < _n; ++i) {
    const long first = i - _band + 1 > 0 ? i - _band + 1 : 0;
    for (long j = 0; j <= i; ++j)
      oL->SetCoef(i, j, j >= first ? view.At(i, j) : 0.0);
  }
  return 0;
}

int XelMathNxNBandSymMatrix::CholeskyDense(XelMathNxNMatrix* oL) const {
  long m = 0, n = 0;
  if (oL)
    oL->GetSizeOfMatrix(m, n);
  if (!oL || m != _n || n != _n) {
    XelQuorOutput::GetOut() << " wrong size for Cholesky factor ";
    return 5;
  }
  XelMathMatrixScratch<LocalBand> copy(_bandCount);
  if (_bandCount > 0)
    std::memcpy(copy.Get(), _bandCoef, sizeof(double) * _bandCount);
  const BandView view{_n, _band, _rowOffset, copy.Get()};
  if ((_n > 0 && _band == 0) || BandCholesky(view, nullptr) != 0)
    RaiseNonPositive("Cholesky");
  for (long i = 0; i < _n; ++i)
    for (long j = 0; j < _n; ++j)
      oL->SetCoef(i, j, j <= i && i - j < _band ? view.At(i, j) : 0.0);
  return 0;
}

double XelMathNxNBandSymMatrix::DeterminantCholesky() const {
  XelMathMatrixScratch<LocalBand> copy(_bandCount);
  if (_bandCount > 0)
    std::memcpy(copy.Get(), _bandCoef, sizeof(double) * _bandCount);
  const BandView view{_n, _band, _rowOffset, copy.Get()};
  if ((_n > 0 && _band == 0) || BandCholesky(view, nullptr) != 0) {
    XelQuorOutput::GetOut() << " a non positive matrix !! ";
    return 0.0;
  }
  double det = 1.0;
  for (long i = 0; i < _n; ++i)
    det *= view.At(i, i) * view.At(i, i);
  return det;
}

double XelMathNxNBandSymMatrix::DeterminantFastCholesky() {
  const BandView view{_n, _band, _rowOffset, _bandCoef};
  if ((_n > 0 && _band == 0) || BandCholesky(view, nullptr) != 0)
    RaiseNonPositive("DeterminantFastCholesky");
  double det = 1.0;
  for (long i = 0; i < _n; ++i)
    det *= view.At(i, i) * view.At(i, i);
  return det;
}
