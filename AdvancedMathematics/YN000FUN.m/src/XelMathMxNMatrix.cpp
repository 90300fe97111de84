// General rectangular matrix: storage, products, Householder QR, least squares (plain and
// constrained by the null-space method), pseudo-inverse and Golub-Reinsch SVD.
#include "XelMathMxNMatrix.h"

#include <cmath>
#include <cstring>

#include "XelMathGrid.h"
#include "XelMathInputError.h"
#include "XelMathMatrixScratch.h"
#include "XelMathNxNFullSymMatrix.h"
#include "XelQuorOutput.h"
#include "XelTolerance.h"

namespace {

/// Local buffer of the least-squares and SVD work arrays (a 20 x 20 system with its
/// right-hand side fits).
const long LocalDoubles = 512;
/// Iterations allowed per singular value.
const long MaxSvdIterations = 30;
/// Both dimensions below this: the transposition cycles use 32-bit products.
const long SmallTransposeDimension = 1200;

double* NewCoefs(long iCount) {
  return iCount > 0 ? XelQuorArrayDoubleNew(iCount) : nullptr;
}

void DeleteCoefs(double* iCoefs, long iCount) {
  if (iCoefs)
    XelQuorArrayDoubleDel(iCoefs, iCount);
}

bool IsDense(const XelMathMxNMatrix& iA) {
  return iA.GetTypeOfMatrix() <= 1;
}

/// Copies the M x N coefficients of iA into oDense (row-major), through GetCoef for the
/// packed kinds.
void ReadDense(const XelMathMxNMatrix& iA, double* oDense) {
  long m = 0, n = 0;
  iA.GetSizeOfMatrix(m, n);
  const double* a = iA.GetFullMatrixCoef();
  if (IsDense(iA) && a) {
    if (m * n > 0)
      std::memcpy(oDense, a, sizeof(double) * m * n);
    return;
  }
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      oDense[i * n + j] = iA.GetCoef(i, j);
}

double RelativeEpsilon() {
  return XelGetDefaultTolerance().GetRelativeEpsilon();
}

/// Applies the reflections of a QRFactors array (iM x iN, beta) to the iM x iC row-major
/// array ioB: in their order (iReverse false) ioB := Qᵀ B, in reverse order ioB := Q B.
void ApplyReflections(long iM, long iN, const double* iA, const double* iBeta, long iC,
                      double* ioB, bool iReverse) {
  for (long step = 0; step < iN; ++step) {
    const long k = iReverse ? iN - 1 - step : step;
    const double beta = iBeta[k];
    if (beta == 0.0)
      continue;
    for (long c = 0; c < iC; ++c) {
      double s = ioB[k * iC + c];
      for (long i = k + 1; i < iM; ++i)
        s += iA[i * iN + k] * ioB[i * iC + c];
      s *= beta;
      ioB[k * iC + c] -= s;
      for (long i = k + 1; i < iM; ++i)
        ioB[i * iC + c] -= s * iA[i * iN + k];
    }
  }
}

void ApplyQt(long iM, long iN, const double* iA, const double* iBeta, long iC, double* ioB) {
  ApplyReflections(iM, iN, iA, iBeta, iC, ioB, false);
}

void ApplyQ(long iM, long iN, const double* iA, const double* iBeta, long iC, double* ioY) {
  ApplyReflections(iM, iN, iA, iBeta, iC, ioY, true);
}

bool HasZeroDiagonal(long iN, const double* iA) {
  for (long k = 0; k < iN; ++k)
    if (iA[k * iN + k] == 0.0)
      return true;
  return false;
}

/// Back substitution R X = Y on the first iN rows of ioY (iC columns), R the upper triangle
/// of the iM x iN array iR (row stride iN); X is written to oX (iN x iC).
void BackSubstitute(long iN, const double* iR, long iC, const double* iY, double* oX) {
  for (long c = 0; c < iC; ++c)
    for (long i = iN - 1; i >= 0; --i) {
      double s = iY[i * iC + c];
      for (long j = i + 1; j < iN; ++j)
        s -= iR[i * iN + j] * oX[j * iC + c];
      oX[i * iC + c] = s / iR[i * iN + i];
    }
}

/// Householder QR in place (see XelMathMxNMatrix::QRFactors).
int HouseholderQR(long iM, long iN, double* ioA, double* oBeta) {
  const double eps = RelativeEpsilon();
  double maxSquare = 0.0;
  for (long j = 0; j < iN; ++j) {
    double s = 0.0;
    for (long i = 0; i < iM; ++i)
      s += ioA[i * iN + j] * ioA[i * iN + j];
    if (s > maxSquare)
      maxSquare = s;
  }
  const double tRank = eps * std::sqrt(maxSquare);
  const double tSkip = eps * tRank;
  int full = 1;
  for (long k = 0; k < iN; ++k) {
    const double alpha = ioA[k * iN + k];
    double sigma = 0.0;
    for (long i = k + 1; i < iM; ++i)
      sigma += ioA[i * iN + k] * ioA[i * iN + k];
    const double nu = std::sqrt(sigma + alpha * alpha);
    if (!(nu >= tRank))
      full = 0;
    if (std::fabs(sigma) < tSkip) {
      oBeta[k] = 0.0;
      continue;
    }
    const double v = alpha > 0.0 ? -sigma / (alpha + nu) : alpha - nu;
    const double beta = 2.0 * v * v / (sigma + v * v);
    oBeta[k] = beta;
    for (long i = k + 1; i < iM; ++i)
      ioA[i * iN + k] /= v;
    ioA[k * iN + k] = nu;
    for (long j = k + 1; j < iN; ++j) {
      double s = ioA[k * iN + j];
      for (long i = k + 1; i < iM; ++i)
        s += ioA[i * iN + k] * ioA[i * iN + j];
      s *= beta;
      ioA[k * iN + j] -= s;
      for (long i = k + 1; i < iM; ++i)
        ioA[i * iN + j] -= s * ioA[i * iN + k];
    }
  }
  return full;
}

/// Plain least squares of the dense iM x iN array iA (iM >= iN, copied) against iC
/// right-hand sides; raises ("the Matrix", "don't have full rank", "Solve").
void LeastSquares(long iM, long iN, const double* iA, long iC, const double* iB, double* oX) {
  const long na = iM * iN, nb = iM * iC;
  XelMathMatrixScratch<LocalDoubles> work(na + nb + iN);
  double* a = work.Get();
  double* b = a + na;
  double* beta = b + nb;
  if (na > 0)
    std::memcpy(a, iA, sizeof(double) * na);
  if (nb > 0)
    std::memcpy(b, iB, sizeof(double) * nb);
  if (!HouseholderQR(iM, iN, a, beta) || HasZeroDiagonal(iN, a))
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "don't have full rank", "Solve");
  ApplyQt(iM, iN, a, beta, iC, b);
  BackSubstitute(iN, a, iC, b, oX);
}

/// Least squares of the dense iM x iN array iA in which the rows whose flag is 0 are
/// satisfied exactly; iWhat names the constraint block in the rank error.
void ConstrainedLeastSquares(long iM, long iN, const double* iA, const long* iFlags, long iC,
                             const double* iB, double* oX, const char* iWhat) {
  long nc = 0;
  for (long i = 0; i < iM; ++i)
    if (iFlags[i] == 0)
      ++nc;
  if (iM == iN || nc == 0) {
    LeastSquares(iM, iN, iA, iC, iB, oX);
    return;
  }
  if (nc >= iN) {
    // The constraint rows alone, fitted in the least-squares sense.
    XelMathMatrixScratch<LocalDoubles> work(nc * iN + nc * iC);
    double* c = work.Get();
    double* d = c + nc * iN;
    for (long i = 0, r = 0; i < iM; ++i)
      if (iFlags[i] == 0) {
        std::memcpy(c + r * iN, iA + i * iN, sizeof(double) * iN);
        std::memcpy(d + r * iC, iB + i * iC, sizeof(double) * iC);
        ++r;
      }
    LeastSquares(nc, iN, c, iC, d, oX);
    return;
  }
  // Null-space method: Cᵀ = Q [R; 0]; x = Q y, C x = Rᵀ y1 = d fixes y1; the free rows
  // E Q = [E1 E2] give the least-squares problem E2 y2 = f - E1 y1.
  const long mf = iM - nc, nf = iN - nc;
  XelMathMatrixScratch<LocalDoubles> work(iN * nc + nc + mf * iN + mf * iC + iN * iC + mf * nf);
  double* ct = work.Get();
  double* beta = ct + iN * nc;
  double* e = beta + nc;
  double* f = e + mf * iN;
  double* y = f + mf * iC;
  double* e2 = y + iN * iC;
  for (long i = 0, r = 0, q = 0; i < iM; ++i) {
    if (iFlags[i] == 0) {
      for (long j = 0; j < iN; ++j)
        ct[j * nc + r] = iA[i * iN + j];
      for (long c = 0; c < iC; ++c)
        y[r * iC + c] = iB[i * iC + c];
      ++r;
    } else {
      // Row of E transformed: (Qᵀ e)ᵀ, computed below column by column.
      for (long j = 0; j < iN; ++j)
        e[q * iN + j] = iA[i * iN + j];
      for (long c = 0; c < iC; ++c)
        f[q * iC + c] = iB[i * iC + c];
      ++q;
    }
  }
  if (!HouseholderQR(iN, nc, ct, beta) || HasZeroDiagonal(nc, ct))
    XelMathRaise(XelErrorCode::InvalidOption, iWhat, "don't have full rank", "Solve");
  // y1 from Rᵀ y1 = d (forward substitution), for every right-hand side.
  for (long c = 0; c < iC; ++c)
    for (long i = 0; i < nc; ++i) {
      double s = y[i * iC + c];
      for (long j = 0; j < i; ++j)
        s -= ct[j * nc + i] * y[j * iC + c];
      y[i * iC + c] = s / ct[i * nc + i];
    }
  // E Q: each row e becomes (Qᵀ eᵀ)ᵀ; the rows of E are the columns of Eᵀ (iN x mf).
  for (long q = 0; q < mf; ++q)
    ApplyQt(iN, nc, ct, beta, 1, e + q * iN);
  // f := f - E1 y1, E2 gathered.
  for (long q = 0; q < mf; ++q) {
    for (long c = 0; c < iC; ++c) {
      double s = f[q * iC + c];
      for (long j = 0; j < nc; ++j)
        s -= e[q * iN + j] * y[j * iC + c];
      f[q * iC + c] = s;
    }
    for (long j = 0; j < nf; ++j)
      e2[q * nf + j] = e[q * iN + nc + j];
  }
  LeastSquares(mf, nf, e2, iC, f, y + nc * iC);
  ApplyQ(iN, nc, ct, beta, iC, y);
  std::memcpy(oX, y, sizeof(double) * iN * iC);
}

} // namespace

// ---- construction and storage --------------------------------------------------------

void XelMathMxNMatrix::CheckSize(const long iM, const long iN) {
  XelMathCheckMatrixCount(iM, iN);
}

XelMathMxNMatrix::XelMathMxNMatrix() : _m(0), _n(0), _coef(nullptr) {}

XelMathMxNMatrix::XelMathMxNMatrix(const long iM, const long iN) : _m(0), _n(0), _coef(nullptr) {
  CheckSize(iM, iN);
  _coef = NewCoefs(iM * iN);
  _m = iM;
  _n = iN;
}

XelMathMxNMatrix::XelMathMxNMatrix(const long iM, const long iN, const double* iValues)
    : XelMathMxNMatrix(iM, iN) {
  if (iValues && _coef)
    std::memcpy(_coef, iValues, sizeof(double) * _m * _n);
}

XelMathMxNMatrix::XelMathMxNMatrix(const long iM, const long iN, const double& iValue)
    : XelMathMxNMatrix(iM, iN) {
  for (long k = 0; k < _m * _n; ++k)
    _coef[k] = iValue;
}

XelMathMxNMatrix::XelMathMxNMatrix(const XelMathMxNMatrix& iOther)
    : XelQuorVirtual(iOther), _m(0), _n(0), _coef(nullptr) {
  long m = 0, n = 0;
  iOther.GetSizeOfMatrix(m, n);
  _coef = NewCoefs(m * n);
  _m = m;
  _n = n;
  if (_coef)
    ReadDense(iOther, _coef);
}

XelMathMxNMatrix::~XelMathMxNMatrix() {
  DeleteCoefs(_coef, _m * _n);
}

long XelMathMxNMatrix::GetDynamicMemoryBytes() const {
  return _coef ? static_cast<long>(sizeof(double)) * _m * _n : 0;
}

long XelMathMxNMatrix::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

void XelMathMxNMatrix::Resize(const long iM, const long iN) {
  if (iM == _m && iN == _n && (_coef || iM * iN == 0))
    return;
  CheckSize(iM, iN);
  double* coef = NewCoefs(iM * iN);
  DeleteCoefs(_coef, _m * _n);
  _coef = coef;
  _m = iM;
  _n = iN;
}

XelMathMxNMatrix& XelMathMxNMatrix::operator=(const XelMathMxNMatrix& iOther) {
  if (this == &iOther)
    return *this;
  long m = 0, n = 0;
  iOther.GetSizeOfMatrix(m, n);
  Resize(m, n);
  if (_coef)
    ReadDense(iOther, _coef);
  return *this;
}

void XelMathMxNMatrix::GetSizeOfMatrix(long& oM, long& oN) const {
  oM = _m;
  oN = _n;
}

int XelMathMxNMatrix::GetTypeOfMatrix() const {
  return 0;
}

void XelMathMxNMatrix::SetCoef(const double* iValues) {
  if (_coef && iValues)
    std::memcpy(_coef, iValues, sizeof(double) * _m * _n);
}

void XelMathMxNMatrix::SetCoef(const long i, const long j, const double iValue) {
  XEL_MATRIX_CHECK_INDEX(i >= 0 && i < _m && j >= 0 && j < _n, "XelMathMxNMatrix::SetCoef");
  _coef[i * _n + j] = iValue;
}

void XelMathMxNMatrix::SetCoef(const long k, const double iValue) {
  XEL_MATRIX_CHECK_INDEX(k >= 0 && k < _m * _n, "XelMathMxNMatrix::SetCoef");
  _coef[k] = iValue;
}

void XelMathMxNMatrix::SetCoef(const long k1, const long k2, const double* iValues) {
  if (k1 > k2)
    return;
  // The whole range is checked before anything is written.
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  XEL_MATRIX_CHECK_INDEX(k1 >= 0 && k2 < m * n, "XelMathMxNMatrix::SetCoef");
  for (long k = k1; k <= k2; ++k)
    SetCoef(k, iValues[k - k1]);
}

void XelMathMxNMatrix::Reset() {
  for (long k = 0; k < _m * _n; ++k)
    _coef[k] = 0.0;
}

void XelMathMxNMatrix::SetSubMatrix(const XelMathMxNMatrix& iSub, const long i0, const long j0) {
  long m = 0, n = 0;
  iSub.GetSizeOfMatrix(m, n);
  if (i0 < 0 || j0 < 0 || i0 + m > _m || j0 + n > _n) {
    XelQuorOutput::GetErr() << " bad dimension for SetSubMatrix ";
    return;
  }
  const bool dense = IsDense(iSub);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      SetCoef(i0 + i, j0 + j, dense ? iSub.GetCoef(i * n + j) : iSub.GetCoef(i, j));
}

double XelMathMxNMatrix::GetCoef(const long i, const long j) const {
  XEL_MATRIX_CHECK_INDEX(i >= 0 && i < _m && j >= 0 && j < _n, "XelMathMxNMatrix::GetCoef");
  return _coef[i * _n + j];
}

double XelMathMxNMatrix::GetCoef(const long k) const {
  XEL_MATRIX_CHECK_INDEX(k >= 0 && k < _m * _n, "XelMathMxNMatrix::GetCoef");
  return _coef[k];
}

double* XelMathMxNMatrix::GetFullMatrixCoef() const {
  return _coef;
}

double* XelMathMxNMatrix::GetCoef() const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (m * n == 0)
    return nullptr;
  double* copy = new double[m * n];
  ReadDense(*this, copy);
  return copy;
}

void XelMathMxNMatrix::Extract(XelMathMxNMatrix& oE, const long i1, const long i2, const long j1,
                               const long j2) const {
  long m = 0, n = 0, em = 0, en = 0;
  GetSizeOfMatrix(m, n);
  oE.GetSizeOfMatrix(em, en);
  if (i1 < 0 || j1 < 0 || i2 >= m || j2 >= n || i2 < i1 || j2 < j1 || em != i2 - i1 + 1 ||
      en != j2 - j1 + 1) {
    XelQuorOutput::GetErr() << " bad dimension of extracted matrix for extract ";
    return;
  }
  for (long i = i1; i <= i2; ++i)
    for (long j = j1; j <= j2; ++j)
      oE.SetCoef(i - i1, j - j1, GetCoef(i, j));
}

double XelMathMxNMatrix::SchurNorm() const {
  double s = 0.0;
  if (IsDense(*this) && _coef) {
    for (long k = 0; k < _m * _n; ++k)
      s += _coef[k] * _coef[k];
  } else {
    long m = 0, n = 0;
    GetSizeOfMatrix(m, n);
    for (long i = 0; i < m; ++i)
      for (long j = 0; j < n; ++j)
        s += GetCoef(i, j) * GetCoef(i, j);
  }
  return std::sqrt(s);
}

// ---- transposition and products --------------------------------------------------------

void XelMathMxNMatrix::Transpose(const XelMathMxNMatrix& oT) const {
  long tm = 0, tn = 0, m = 0, n = 0;
  oT.GetSizeOfMatrix(tm, tn);
  GetSizeOfMatrix(m, n);
  double* t = oT.GetFullMatrixCoef();
  if (tm != n || tn != m || !IsDense(oT) || !t)
    return;
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      t[j * m + i] = GetCoef(i, j);
}

void XelMathMxNMatrix::Transpose() {
  const long m = _m, n = _n;
  if (m >= 2 && n >= 2) {
    // Element k (1 <= k <= MN-2) moves to (k M) mod (MN - 1); cycles are followed from
    // every position not yet placed.
    const long last = m * n - 1;
    unsigned char* placed = XelQuorArrayBytesNew(last + 1);
    std::memset(placed, 0, static_cast<size_t>(last + 1));
    const bool small = m < SmallTransposeDimension && n < SmallTransposeDimension;
    for (long start = 1; start < last; ++start) {
      if (placed[start])
        continue;
      long k = start;
      double carried = _coef[start];
      do {
        long next;
        if (small)
          next = static_cast<long>((static_cast<int>(k) * static_cast<int>(m)) %
                                   static_cast<int>(last));
        else
          next = static_cast<long>(
              std::fmod(static_cast<double>(k) * static_cast<double>(m), double(last)));
        const double saved = _coef[next];
        _coef[next] = carried;
        carried = saved;
        placed[next] = 1;
        k = next;
      } while (k != start);
    }
    XelQuorArrayBytesDel(placed, last + 1);
  }
  _m = n;
  _n = m;
}

// Sum over k of A(i, k) A(j, k) (rows i and j), or of A(k, i) A(k, j) (columns i and j) when
// iColumns; the dense array is read directly when the matrix has one.
double XelMathMxNMatrix::GramEntry(long i, long j, bool iColumns) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  const double* a = IsDense(*this) ? _coef : nullptr;
  double s = 0.0;
  if (iColumns) {
    for (long k = 0; k < m; ++k)
      s += a ? a[k * n + i] * a[k * n + j] : GetCoef(k, i) * GetCoef(k, j);
  } else {
    for (long k = 0; k < n; ++k)
      s += a ? a[i * n + k] * a[j * n + k] : GetCoef(i, k) * GetCoef(j, k);
  }
  return s;
}

void XelMathMxNMatrix::GramProduct(XelMathNxNFullSymMatrix& oS) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (oS.GetSizeOfMatrix() != m)
    oS = XelMathNxNFullSymMatrix(m);
  for (long i = 0; i < m; ++i)
    for (long j = i; j < m; ++j)
      oS.SetCoef(i, j, GramEntry(i, j, false));
}

void XelMathMxNMatrix::GramProduct(const XelMathMxNMatrix& oS) const {
  XelQuorOutput::GetOut() << " ne plus utiliser cette methode ";
  long m = 0, n = 0, sm = 0, sn = 0;
  GetSizeOfMatrix(m, n);
  oS.GetSizeOfMatrix(sm, sn);
  double* s = oS.GetFullMatrixCoef();
  if (sm != m || sn != m || !IsDense(oS) || !s)
    return;
  for (long i = 0; i < m; ++i)
    for (long j = i; j < m; ++j)
      s[i * m + j] = s[j * m + i] = GramEntry(i, j, false);
}

void XelMathMxNMatrix::TransGramProduct(XelMathNxNFullSymMatrix& oS) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (oS.GetSizeOfMatrix() != n)
    oS = XelMathNxNFullSymMatrix(n);
  for (long i = 0; i < n; ++i)
    for (long j = i; j < n; ++j)
      oS.SetCoef(i, j, GramEntry(i, j, true));
}

void XelMathMxNMatrix::MatrixTimesGrid(XelMathGrid& ioG) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  const long rows = ioG.GetNumberOfRows(), cols = ioG.GetNumberOfColumns();
  if (rows != n)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathMxNMatrix", "the same as the grid's",
                 "XelMathMxNMatrix::MatrixTimesGrid()");
  XelMathCheckMatrixCount(m, cols);
  XelMathGrid product(m, cols);
  for (long i = 0; i < m; ++i) {
    double* out = product.GetRow(i);
    for (long k = 0; k < n; ++k) {
      const double a = GetCoef(i, k);
      const double* in = ioG.GetRow(k);
      for (long c = 0; c < cols; ++c)
        out[c] += a * in[c];
    }
  }
  ioG = product;
}

void XelMathMxNMatrix::GridTimesMatrix(XelMathGrid& ioG) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  const long rows = ioG.GetNumberOfRows(), cols = ioG.GetNumberOfColumns();
  if (cols != m)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathMxNMatrix", "the same as the grid's",
                 "XelMathMxNMatrix::GridTimesMatrix()");
  XelMathGrid product(rows, n);
  for (long r = 0; r < rows; ++r) {
    const double* in = ioG.GetRow(r);
    double* out = product.GetRow(r);
    for (long k = 0; k < m; ++k)
      for (long j = 0; j < n; ++j)
        out[j] += in[k] * GetCoef(k, j);
  }
  ioG = product;
}

double* XelMathMxNMatrix::Multiply(const double* iX) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  double* y = new double[m > 0 ? m : 1];
  Multiply(iX, y);
  return y;
}

void XelMathMxNMatrix::Multiply(const double* iX, double* oY) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  const double* a = IsDense(*this) ? _coef : nullptr;
  for (long i = 0; i < m; ++i) {
    double s = 0.0;
    if (a)
      for (long j = 0; j < n; ++j)
        s += a[i * n + j] * iX[j];
    else
      for (long j = 0; j < n; ++j)
        s += GetCoef(i, j) * iX[j];
    oY[i] = s;
  }
}

void XelMathMxNMatrix::LeftMultiply(const double* iX, double* oY) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  for (long j = 0; j < n; ++j)
    oY[j] = 0.0;
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      oY[j] += iX[i] * GetCoef(i, j);
}

void XelMathMxNMatrix::Multiply(const XelMathMxNMatrix& iB, XelMathMxNMatrix& oP) const {
  long m = 0, n = 0, bm = 0, bn = 0;
  GetSizeOfMatrix(m, n);
  iB.GetSizeOfMatrix(bm, bn);
  if (n != bm)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "Multiply");
  XelMathMxNMatrix product(m, bn);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < bn; ++j) {
      double s = 0.0;
      for (long k = 0; k < n; ++k)
        s += GetCoef(i, k) * iB.GetCoef(k, j);
      product._coef[i * bn + j] = s;
    }
  oP = product;
}

namespace {
// oP = iA + iSign iB, element by element; iWhere names the operation in the error.
void AddScaled(const XelMathMxNMatrix& iA, const XelMathMxNMatrix& iB, const double iSign,
               XelMathMxNMatrix& oP, const char* iWhere) {
  long m = 0, n = 0, bm = 0, bn = 0;
  iA.GetSizeOfMatrix(m, n);
  iB.GetSizeOfMatrix(bm, bn);
  if (m != bm || n != bn)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", iWhere);
  XelMathMxNMatrix result(m, n);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      result.SetCoef(i, j, iA.GetCoef(i, j) + iSign * iB.GetCoef(i, j));
  oP = result;
}
} // namespace

void XelMathMxNMatrix::Add(const XelMathMxNMatrix& iB, XelMathMxNMatrix& oP) const {
  AddScaled(*this, iB, 1.0, oP, "Add");
}

void XelMathMxNMatrix::Substract(const XelMathMxNMatrix& iB, XelMathMxNMatrix& oP) const {
  AddScaled(*this, iB, -1.0, oP, "Substract");
}

XelMathMxNMatrix& XelMathMxNMatrix::operator*=(const double iFactor) {
  if (IsDense(*this)) {
    for (long k = 0; k < _m * _n; ++k)
      _coef[k] *= iFactor;
    return *this;
  }
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j <= i && j < n; ++j)
      SetCoef(i, j, GetCoef(i, j) * iFactor);
  return *this;
}

// ---- QR, least squares, pseudo-inverse ------------------------------------------------

int XelMathMxNMatrix::QRFactors(const long iM, const long iN, double* ioA, double* oBeta) {
  return HouseholderQR(iM, iN, ioA, oBeta);
}

int XelMathMxNMatrix::QRFactorization(XelMathMxNMatrix& oQ, double* oBeta) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (n > m)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "QRFactors");
  if (!IsDense(oQ))
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "QRFactors");
  oQ = *this;
  if (m * n == 0)
    return 0;
  return QRFactors(m, n, oQ._coef, oBeta) ? 0 : 5;
}

int XelMathMxNMatrix::Solve(const double* iB, double* oX, const long iNRHS) const {
  if (iNRHS < 1)
    return 0;
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (n > m)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "Solve");
  XelMathCheckMatrixCount(m, iNRHS);
  if (IsDense(*this) && _coef) {
    LeastSquares(m, n, _coef, iNRHS, iB, oX);
    return 0;
  }
  XelMathMatrixScratch<LocalDoubles> dense(m * n);
  ReadDense(*this, dense.Get());
  LeastSquares(m, n, dense.Get(), iNRHS, iB, oX);
  return 0;
}

int XelMathMxNMatrix::Solve(const double* iB, double* oX, const long* rowFlags,
                            const long iNRHS) const {
  if (iNRHS < 1)
    return 0;
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (n > m)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "Solve");
  XelMathCheckMatrixCount(m, iNRHS);
  if (!rowFlags)
    return Solve(iB, oX, iNRHS);
  XelMathMatrixScratch<LocalDoubles> dense(m * n);
  ReadDense(*this, dense.Get());
  ConstrainedLeastSquares(m, n, dense.Get(), rowFlags, iNRHS, iB, oX, "the Constraints");
  return 0;
}

void XelMathMxNMatrix::Inverse(XelMathMxNMatrix& oR, const long* rowFlags) const {
  oR = *this;
  if (rowFlags)
    oR.Inverse(rowFlags);
  else
    oR.Inverse();
}

void XelMathMxNMatrix::Inverse() {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (n > m)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "Inverse");
  if (m * n == 0) {
    SwapDimensions();
    return;
  }
  XelMathMatrixScratch<LocalDoubles> work(m * n + n + n * m);
  double* a = work.Get();
  double* beta = a + m * n;
  double* y = beta + n;
  ReadDense(*this, a);
  if (!HouseholderQR(m, n, a, beta) || HasZeroDiagonal(n, a))
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "don't have full rank", "Inverse");
  // Y = [R⁻¹ 0] (N x M), column by column of R⁻¹ by back substitution.
  for (long k = 0; k < n * m; ++k)
    y[k] = 0.0;
  for (long c = 0; c < n; ++c)
    for (long i = c; i >= 0; --i) {
      double s = i == c ? 1.0 : 0.0;
      for (long j = i + 1; j <= c; ++j)
        s -= a[i * n + j] * y[j * m + c];
      y[i * m + c] = s / a[i * n + i];
    }
  // Y := Y H_{N-1} ... H_0 = R⁻¹ Qᵀ (each H symmetric, applied from the right).
  for (long k = n - 1; k >= 0; --k) {
    const double b = beta[k];
    if (b == 0.0)
      continue;
    for (long r = 0; r < n; ++r) {
      double* row = y + r * m;
      double s = row[k];
      for (long i = k + 1; i < m; ++i)
        s += row[i] * a[i * n + k];
      s *= b;
      row[k] -= s;
      for (long i = k + 1; i < m; ++i)
        row[i] -= s * a[i * n + k];
    }
  }
  SwapDimensions();
  WriteDense(y);
}

void XelMathMxNMatrix::Inverse(const long* rowFlags) {
  if (!rowFlags) {
    Inverse();
    return;
  }
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (n > m)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "Solve");
  if (m * n == 0) {
    SwapDimensions();
    return;
  }
  XelMathCheckMatrixCount(m, m);
  // The constrained solution of A X = I, column by column of the identity.
  XelMathMatrixScratch<LocalDoubles> work(m * n + m * m + n * m);
  double* a = work.Get();
  double* identity = a + m * n;
  double* x = identity + m * m;
  ReadDense(*this, a);
  for (long k = 0; k < m * m; ++k)
    identity[k] = 0.0;
  for (long i = 0; i < m; ++i)
    identity[i * m + i] = 1.0;
  ConstrainedLeastSquares(m, n, a, rowFlags, m, identity, x, "the Constraint rows");
  SwapDimensions();
  WriteDense(x);
}

void XelMathMxNMatrix::SwapDimensions() {
  if (IsDense(*this)) {
    const long m = _m;
    _m = _n;
    _n = m;
  }
}

void XelMathMxNMatrix::WriteDense(const double* iValues) {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (IsDense(*this)) {
    if (_coef && m * n > 0)
      std::memcpy(_coef, iValues, sizeof(double) * m * n);
    return;
  }
  for (long i = 0; i < m; ++i)
    for (long j = 0; j <= i && j < n; ++j)
      SetCoef(i, j, 0.5 * (iValues[i * n + j] + iValues[j * n + i]));
}

// ---- singular value decomposition -------------------------------------------------------

namespace {

/// Golub-Reinsch SVD of the iM x iN array ioU (iM >= iN), which becomes U; oW the singular
/// values, oV (iN x iN) the right vectors, e the super-diagonal work array (iN values).
int GolubReinsch(long iM, long iN, double* u, double* w, double* v, double* e, double iEps) {
  const long m = iM, n = iN;
  // A matrix with a NaN or infinite entry has no decomposition: the failure status (the sweeps
  // would not converge with more than one column; with one there are none to notice it).
  for (long k = 0; k < m * n; ++k)
    if (!std::isfinite(u[k]))
      return 7;
  double g = 0.0, scale = 0.0, anorm = 0.0;
  long l = 0;
  for (long i = 0; i < n; ++i) {
    l = i + 1;
    e[i] = scale * g;
    g = 0.0;
    double s = 0.0;
    scale = 0.0;
    for (long k = i; k < m; ++k)
      scale += std::fabs(u[k * n + i]);
    if (scale != 0.0) {
      for (long k = i; k < m; ++k) {
        u[k * n + i] /= scale;
        s += u[k * n + i] * u[k * n + i];
      }
      double f = u[i * n + i];
      g = -std::copysign(std::sqrt(s), f);
      const double h = f * g - s;
      u[i * n + i] = f - g;
      for (long j = l; j < n; ++j) {
        s = 0.0;
        for (long k = i; k < m; ++k)
          s += u[k * n + i] * u[k * n + j];
        f = s / h;
        for (long k = i; k < m; ++k)
          u[k * n + j] += f * u[k * n + i];
      }
      for (long k = i; k < m; ++k)
        u[k * n + i] *= scale;
    }
    w[i] = scale * g;
    g = 0.0;
    s = 0.0;
    scale = 0.0;
    if (i != n - 1) {
      for (long k = l; k < n; ++k)
        scale += std::fabs(u[i * n + k]);
      if (scale != 0.0) {
        for (long k = l; k < n; ++k) {
          u[i * n + k] /= scale;
          s += u[i * n + k] * u[i * n + k];
        }
        const double f = u[i * n + l];
        g = -std::copysign(std::sqrt(s), f);
        const double h = f * g - s;
        u[i * n + l] = f - g;
        for (long k = l; k < n; ++k)
          e[k] = u[i * n + k] / h;
        for (long j = l; j < m; ++j) {
          s = 0.0;
          for (long k = l; k < n; ++k)
            s += u[j * n + k] * u[i * n + k];
          for (long k = l; k < n; ++k)
            u[j * n + k] += s * e[k];
        }
        for (long k = l; k < n; ++k)
          u[i * n + k] *= scale;
      }
    }
    const double size = std::fabs(w[i]) + std::fabs(e[i]);
    if (size > anorm)
      anorm = size;
  }
  // Right-hand transformations.
  for (long i = n - 1; i >= 0; --i) {
    if (i < n - 1) {
      if (g != 0.0) {
        for (long j = l; j < n; ++j)
          v[j * n + i] = (u[i * n + j] / u[i * n + l]) / g;
        for (long j = l; j < n; ++j) {
          double s = 0.0;
          for (long k = l; k < n; ++k)
            s += u[i * n + k] * v[k * n + j];
          for (long k = l; k < n; ++k)
            v[k * n + j] += s * v[k * n + i];
        }
      }
      for (long j = l; j < n; ++j) {
        v[i * n + j] = 0.0;
        v[j * n + i] = 0.0;
      }
    }
    v[i * n + i] = 1.0;
    g = e[i];
    l = i;
  }
  // Left-hand transformations.
  for (long i = n - 1; i >= 0; --i) {
    l = i + 1;
    g = w[i];
    for (long j = l; j < n; ++j)
      u[i * n + j] = 0.0;
    if (g != 0.0) {
      g = 1.0 / g;
      for (long j = l; j < n; ++j) {
        double s = 0.0;
        for (long k = l; k < m; ++k)
          s += u[k * n + i] * u[k * n + j];
        const double f = (s / u[i * n + i]) * g;
        for (long k = i; k < m; ++k)
          u[k * n + j] += f * u[k * n + i];
      }
      for (long j = i; j < m; ++j)
        u[j * n + i] *= g;
    } else {
      for (long j = i; j < m; ++j)
        u[j * n + i] = 0.0;
    }
    u[i * n + i] += 1.0;
  }
  // Implicitly shifted QR on the bidiagonal.
  auto negligible = [&](double x) {
    return std::fabs(x) <= iEps * anorm || std::fabs(x) + anorm == anorm;
  };
  for (long k = n - 1; k >= 0; --k) {
    for (long its = 1;; ++its) {
      bool cancel = true;
      long nm = 0;
      for (l = k; l >= 0; --l) {
        nm = l - 1;
        if (l == 0 || negligible(e[l])) {
          cancel = false;
          break;
        }
        if (negligible(w[nm]))
          break;
      }
      if (cancel) {
        double c = 0.0, s = 1.0;
        for (long i = l; i <= k; ++i) {
          const double f = s * e[i];
          e[i] = c * e[i];
          if (negligible(f))
            break;
          g = w[i];
          double h = std::hypot(f, g);
          w[i] = h;
          h = 1.0 / h;
          c = g * h;
          s = -f * h;
          for (long j = 0; j < m; ++j) {
            const double y = u[j * n + nm], z = u[j * n + i];
            u[j * n + nm] = y * c + z * s;
            u[j * n + i] = z * c - y * s;
          }
        }
      }
      double z = w[k];
      if (l == k) {
        if (z < 0.0) {
          w[k] = -z;
          for (long j = 0; j < n; ++j)
            v[j * n + k] = -v[j * n + k];
        }
        break;
      }
      if (its >= MaxSvdIterations)
        return 7;
      double x = w[l];
      nm = k - 1;
      double y = w[nm];
      g = e[nm];
      double h = e[k];
      double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
      g = std::hypot(f, 1.0);
      f = ((x - z) * (x + z) + h * ((y / (f + std::copysign(g, f))) - h)) / x;
      double c = 1.0, s = 1.0;
      for (long j = l; j <= nm; ++j) {
        const long i = j + 1;
        g = e[i];
        y = w[i];
        h = s * g;
        g = c * g;
        z = std::hypot(f, h);
        e[j] = z;
        c = f / z;
        s = h / z;
        f = x * c + g * s;
        g = g * c - x * s;
        h = y * s;
        y *= c;
        for (long jj = 0; jj < n; ++jj) {
          const double vx = v[jj * n + j], vz = v[jj * n + i];
          v[jj * n + j] = vx * c + vz * s;
          v[jj * n + i] = vz * c - vx * s;
        }
        z = std::hypot(f, h);
        w[j] = z;
        if (z != 0.0) {
          z = 1.0 / z;
          c = f * z;
          s = h * z;
        }
        f = c * g + s * y;
        x = c * y - s * g;
        for (long jj = 0; jj < m; ++jj) {
          const double uy = u[jj * n + j], uz = u[jj * n + i];
          u[jj * n + j] = uy * c + uz * s;
          u[jj * n + i] = uz * c - uy * s;
        }
      }
      e[l] = 0.0;
      e[k] = f;
      w[k] = x;
      if (!std::isfinite(x))
        return 7;
    }
  }
  // Decreasing order (selection: n swaps at most).
  for (long i = 0; i < n; ++i) {
    long best = i;
    for (long j = i + 1; j < n; ++j)
      if (w[j] > w[best])
        best = j;
    if (best == i)
      continue;
    const double t = w[i];
    w[i] = w[best];
    w[best] = t;
    for (long r = 0; r < m; ++r) {
      const double ut = u[r * n + i];
      u[r * n + i] = u[r * n + best];
      u[r * n + best] = ut;
    }
    for (long r = 0; r < n; ++r) {
      const double vt = v[r * n + i];
      v[r * n + i] = v[r * n + best];
      v[r * n + best] = vt;
    }
  }
  return 0;
}

} // namespace

int XelMathMxNMatrix::SVD(XelMathMxNMatrix& oU, double* oW, XelMathMxNMatrix& oV) const {
  long m = 0, n = 0;
  GetSizeOfMatrix(m, n);
  if (n > m || !IsDense(oU) || !IsDense(oV))
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "SVD");
  oU.Resize(m, n);
  oV.Resize(n, n);
  if (m * n == 0)
    return 0;
  ReadDense(*this, oU._coef);
  XelMathMatrixScratch<64> e(n);
  return GolubReinsch(m, n, oU._coef, oW, oV._coef, e.Get(),
                      XelGetDefaultTolerance().GetSingularValueEpsilon());
}

// ---- free operators ----------------------------------------------------------------------

XelMathMxNMatrix operator+(const XelMathMxNMatrix& iA, const XelMathMxNMatrix& iB) {
  XelMathMxNMatrix sum;
  AddScaled(iA, iB, 1.0, sum, "Operator +");
  return sum;
}

XelMathMxNMatrix operator-(const XelMathMxNMatrix& iA, const XelMathMxNMatrix& iB) {
  XelMathMxNMatrix difference;
  AddScaled(iA, iB, -1.0, difference, "Operator -");
  return difference;
}

XelMathMxNMatrix operator*(const XelMathMxNMatrix& iA, const XelMathMxNMatrix& iB) {
  long m = 0, n = 0, bm = 0, bn = 0;
  iA.GetSizeOfMatrix(m, n);
  iB.GetSizeOfMatrix(bm, bn);
  if (n != bm)
    XelMathRaise(XelErrorCode::InvalidOption, "the Matrix", "wrong dimension", "Operator *");
  XelMathMxNMatrix product(m, bn);
  iA.Multiply(iB, product);
  return product;
}

XelMathMxNMatrix operator*(const double iFactor, const XelMathMxNMatrix& iA) {
  long m = 0, n = 0;
  iA.GetSizeOfMatrix(m, n);
  XelMathMxNMatrix scaled(m, n);
  for (long i = 0; i < m; ++i)
    for (long j = 0; j < n; ++j)
      scaled.SetCoef(i, j, iFactor * iA.GetCoef(i, j));
  return scaled;
}
