// Symmetric band matrix: band storage, band LDLᵀ with 1 x 1 and 2 x 2 pivots kept in the
// band (FactorizeLDLtBand, SolveLDLtBand, InverseLDLtBand, ExtractLDLtBand), band Cholesky,
// determinants and solves with imposed unknowns.
#include "XelMathNxNBandSymMatrix.h"

#include <cmath>
#include <cstring>

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
  long Last(long k) const { return k + b - 1 < n - 1 ? k + b - 1 : n - 1; }
};

/// Band LDLᵀ in place without interchanges: at step k a 1 x 1 pivot when the Bunch-Kaufman
/// tests accept it, else the 2 x 2 pivot on k and k+1. Columns of a 2 x 2 block keep W = L D
/// (inside the band); the solve applies D⁻¹. oKind as for the packed kernel. Returns 0 or 5.
int FactorizeLDLtBand(const BandView& m, long* oKind, double iTiny) {
  const double alpha = XelMathBunchKaufmanAlpha;
  const long n = m.n;
  for (long k = 0; k < n;) {
    const double absakk = std::fabs(m.At(k, k));
    double lambda = 0.0;
    for (long i = k + 1; i <= m.Last(k); ++i)
      if (std::fabs(m.At(i, k)) > lambda)
        lambda = std::fabs(m.At(i, k));
    if (!((absakk > lambda ? absakk : lambda) > iTiny))
      return 5;
    bool two = false;
    if (absakk < alpha * lambda && k + 1 < n) {
      const long r = k + 1;
      double sigma = 0.0;
      for (long j = k; j <= m.Last(r); ++j)
        if (j != r) {
          const double v = std::fabs(j < r ? m.At(r, j) : m.At(j, r));
          if (v > sigma)
            sigma = v;
        }
      two = absakk * sigma < alpha * lambda * lambda;
      if (two) {
        const double d11 = m.At(k, k), d21 = m.At(k + 1, k), d22 = m.At(k + 1, k + 1);
        if (!(std::fabs(d11 * d22 - d21 * d21) > iTiny * iTiny))
          two = false;
      }
    }
    if (!two) {
      oKind[k] = 1;
      const double d = m.At(k, k);
      if (!(std::fabs(d) > iTiny))
        return 5;
      const long last = m.Last(k);
      for (long i = k + 1; i <= last; ++i) {
        const double li = m.At(i, k) / d;
        for (long j = k + 1; j <= i; ++j)
          m.At(i, j) -= li * m.At(j, k);
      }
      for (long i = k + 1; i <= last; ++i)
        m.At(i, k) /= d;
      k += 1;
    } else {
      oKind[k] = 2;
      oKind[k + 1] = 0;
      const double d11 = m.At(k, k), d21 = m.At(k + 1, k), d22 = m.At(k + 1, k + 1);
      const double det = d11 * d22 - d21 * d21;
      const long last = m.Last(k + 1);
      for (long i = k + 2; i <= last; ++i) {
        const double w1 = i - k < m.b ? m.At(i, k) : 0.0, w2 = m.At(i, k + 1);
        const double l1 = (w1 * d22 - w2 * d21) / det, l2 = (w2 * d11 - w1 * d21) / det;
        for (long j = k + 2; j <= i; ++j) {
          const double v1 = j - k < m.b ? m.At(j, k) : 0.0;
          m.At(i, j) -= l1 * v1 + l2 * m.At(j, k + 1);
        }
      }
      k += 2;
    }
  }
  return 0;
}

/// Solves with the factors of FactorizeLDLtBand (ioB n x iC).
void SolveLDLtBand(const BandView& m, const long* iKind, double* b, long iC) {
  const long n = m.n;
  auto w = [&](long i, long k) { return i - k < m.b ? m.At(i, k) : 0.0; };
  for (long c = 0; c < iC; ++c) {
    for (long k = 0; k < n;) {
      if (iKind[k] == 1) {
        const double zk = b[k * iC + c];
        for (long i = k + 1; i <= m.Last(k); ++i)
          b[i * iC + c] -= m.At(i, k) * zk;
        b[k * iC + c] = zk / m.At(k, k);
        k += 1;
      } else {
        const double d11 = m.At(k, k), d21 = m.At(k + 1, k), d22 = m.At(k + 1, k + 1);
        const double det = d11 * d22 - d21 * d21;
        const double z1 = b[k * iC + c], z2 = b[(k + 1) * iC + c];
        const double u1 = (d22 * z1 - d21 * z2) / det, u2 = (d11 * z2 - d21 * z1) / det;
        for (long i = k + 2; i <= m.Last(k + 1); ++i)
          b[i * iC + c] -= w(i, k) * u1 + m.At(i, k + 1) * u2;
        b[k * iC + c] = u1;
        b[(k + 1) * iC + c] = u2;
        k += 2;
      }
    }
    for (long k = n - 1; k >= 0; --k) {
      if (iKind[k] == 0) {
        const long f = k - 1;
        const double d11 = m.At(f, f), d21 = m.At(k, f), d22 = m.At(k, k);
        const double det = d11 * d22 - d21 * d21;
        double s1 = 0.0, s2 = 0.0;
        for (long i = k + 1; i <= m.Last(k); ++i) {
          s1 += w(i, f) * b[i * iC + c];
          s2 += m.At(i, k) * b[i * iC + c];
        }
        b[f * iC + c] -= (d22 * s1 - d21 * s2) / det;
        b[k * iC + c] -= (d11 * s2 - d21 * s1) / det;
        k = f;
      } else {
        double s = b[k * iC + c];
        for (long i = k + 1; i <= m.Last(k); ++i)
          s -= m.At(i, k) * b[i * iC + c];
        b[k * iC + c] = s;
      }
    }
  }
}

/// Inverse from the factors of FactorizeLDLtBand: oX (n x n row-major) receives A⁻¹.
void InverseLDLtBand(const BandView& m, const long* iKind, double* oX) {
  const long n = m.n;
  for (long k = 0; k < n * n; ++k)
    oX[k] = 0.0;
  for (long i = 0; i < n; ++i)
    oX[i * n + i] = 1.0;
  SolveLDLtBand(m, iKind, oX, n);
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

double BandLDLtDeterminant(const BandView& m, const long* iKind) {
  double det = 1.0;
  for (long k = 0; k < m.n;) {
    if (iKind[k] == 1) {
      det *= m.At(k, k);
      k += 1;
    } else {
      det *= m.At(k, k) * m.At(k + 1, k + 1) - m.At(k + 1, k) * m.At(k + 1, k);
      k += 2;
    }
  }
  return det;
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
        if (!(s > 0.0))
          return 5;
        m.At(i, i) = std::sqrt(s);
      } else {
        m.At(i, j) = s / m.At(j, j);
      }
    }
  }
  return 0;
}

class KindRecords {
public:
  explicit KindRecords(long iN) : _heap(iN > LocalUnknowns ? new long[iN] : nullptr) {}
  KindRecords(const KindRecords&) = delete;
  KindRecords& operator=(const KindRecords&) = delete;
  ~KindRecords() { delete[] _heap; }
  long* Get() { return _heap ? _heap : _local; }

private:
  long* _heap;
  long _local[LocalUnknowns];
};

double MaxAbs(long iCount, const double* a) {
  double m = 0.0;
  for (long k = 0; k < iCount; ++k)
    if (std::fabs(a[k]) > m)
      m = std::fabs(a[k]);
  return m;
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
  XelMathMatrixScratch<LocalBand> copy(_bandCount);
  if (_bandCount > 0)
    std::memcpy(copy.Get(), _bandCoef, sizeof(double) * _bandCount);
  const BandView view{_n, _band, _rowOffset, copy.Get()};
  KindRecords kind(_n);
  const double tiny = GetPivotThreshold() * MaxAbs(_bandCount, copy.Get());
  if (FactorizeLDLtBand(view, kind.Get(), tiny) != 0)
    return 5;
  SolveLDLtBand(view, kind.Get(), ioB, iNRHS);
  return 0;
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
  XelMathMatrixScratch<LocalBand> copy(_bandCount);
  std::memcpy(copy.Get(), _bandCoef, sizeof(double) * _bandCount);
  const BandView view{_n, _band, _rowOffset, copy.Get()};
  KindRecords kind(_n);
  const double tiny = GetPivotThreshold() * MaxAbs(_bandCount, copy.Get());
  if (FactorizeLDLtBand(view, kind.Get(), tiny) != 0)
    return 0.0;
  return BandLDLtDeterminant(view, kind.Get());
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
    XelMathMatrixScratch<LocalBand> copy(_bandCount);
    std::memcpy(copy.Get(), _bandCoef, sizeof(double) * _bandCount);
    const BandView view{_n, _band, _rowOffset, copy.Get()};
    KindRecords kind(_n);
    const double tiny = GetPivotThreshold() * MaxAbs(_bandCount, copy.Get());
    if (FactorizeLDLtBand(view, kind.Get(), tiny) != 0)
      return 5;
    InverseLDLtBand(view, kind.Get(), x);
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
