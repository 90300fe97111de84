#include "XelMathMxNBandMatrix.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <vector>

#include "XelError.h"
#include "XelMathConstants.h"
#include "XelMathGrid.h"
#include "XelMathSetOf3DObjects.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

#if __has_include("XelMathMxNMatrix.h")
#include "XelMathMxNMatrix.h"
#define XEL_BAND_HAS_DENSE 1
#endif

namespace {

// Storage is served by the memory services; a request they refuse is a failure, not an error.
double* NewDoubles(long iCount, bool& oOk) {
  oOk = true;
  if (iCount <= 0)
    return nullptr;
  try {
    return XelQuorArrayDoubleNew(iCount);
  } catch (const XelError&) {
    oOk = false;
    return nullptr;
  }
}

void DelDoubles(double*& ioArray, long iCount) {
  if (ioArray)
    XelQuorArrayDoubleDel(ioArray, iCount);
  ioArray = nullptr;
}

// Unit roundoff of doubles.
const double Roundoff = std::numeric_limits<double>::epsilon() / 2;

// a * b <= XelQuorMaxArrayDoubles for non-negative a and b.
bool ProductFits(long a, long b) {
  return a == 0 || b <= XelQuorMaxArrayDoubles / a;
}

// A count of right-hand sides for arrays of iRows rows: at least one, and arrays that the
// memory services could hold (a larger count fails before any product is formed).
bool RhsCountFits(long iRows, long nRHS) {
  return nRHS >= 1 && ProductFits(iRows, nRHS);
}

// Slot of (p, q), p >= q, in a symmetric band of order n and half-width w; -1 outside.
long SymIndex(long n, long w, long p, long q) {
  if (p - q < w)
    return (w - 1) * (p + 1) + q;
  if (q < p - n + w)
    return (w - 1) * (q + 1) + p - n;
  return -1;
}

// Copies a work array of n x nRHS values through a temporary when source and target alias.
std::vector<double> CopyOf(const double* iData, long iCount) {
  return std::vector<double>(iData, iData + iCount);
}

} // namespace

// Row iteration shared by the products (friend of the class, keeps templates out of the
// exported header).
struct XelMathMxNBandMatrixAccess {
  // iF(j, a) for the stored coefficients of row i (modes 1, 4, 5).
  template <class F> static void Row(const XelMathMxNBandMatrix& m, long i, F iF) {
    const long n = m._nbCols, w = m._rowWidth;
    if (m._mode == 1) {
      const double* row = m._coef + w * i;
      const long f = m._firstCol[i];
      for (long k = 0; k < w; k++) {
        long j = f + k;
        if (j < 0)
          j += n;
        iF(j, row[k]);
      }
    } else if (m._mode == 4) {
      const double* row = m._coef + w * i;
      const long last = std::min(i + w, n);
      for (long j = i; j < last; j++)
        iF(j, row[j - i]);
      if (m._block) {
        const long bs = m._blockStart, bw = n - bs;
        for (long j = std::max(bs, i + w); j < n; j++)
          iF(j, m._block[i * bw + j - bs]);
      }
    } else {
      const double* row = m._coef + n * i;
      for (long j = 0; j < n; j++)
        iF(j, row[j]);
    }
  }
  // iF(p, q, a) for the stored lower coefficients (p >= q) of a mode-2 matrix.
  template <class F> static void Sym(const XelMathMxNBandMatrix& m, F iF) {
    const long n = m._nbCols, w = m._rowWidth;
    for (long p = 0; p < n; p++) {
      for (long q = std::max(0L, p - w + 1); q <= p; q++)
        iF(p, q, m._coef[(w - 1) * (p + 1) + q]);
      const long qEnd = std::min(p - n + w - 1, p - w);
      for (long q = 0; q <= qEnd; q++)
        iF(p, q, m._coef[(w - 1) * (q + 1) + p - n]);
    }
  }
  static bool RowMode(const XelMathMxNBandMatrix& m) {
    return m._mode == 1 || m._mode == 4 || m._mode == 5;
  }
};
using Access = XelMathMxNBandMatrixAccess;

// ---- construction ------------------------------------------------------------------------

XelMathMxNBandMatrix::XelMathMxNBandMatrix()
    : _nbRows(0), _nbCols(0), _rowWidth(0), _capacity(0), _mode(1), _firstCol(nullptr),
      _firstCapacity(0), _coef(nullptr), _symCoef(nullptr), _impositions(nullptr),
      _firstImposed(-1), _rowWeights(nullptr), _periodic(0), _normOfDiag(0.0), _normValid(false),
      _block(nullptr), _blockSize(0), _blockStart(0), _spectral(nullptr), _spectralSize(0),
      _spectralKind(0), _spectralCount(0), _spectralRank(0) {}

XelMathMxNBandMatrix::XelMathMxNBandMatrix(long iM, long iN, long iW, long iMode)
    : XelMathMxNBandMatrix() {
  if (!Allocate(iM, iN, iW, iMode == 3 ? 2 : iMode))
    Release();
}

XelMathMxNBandMatrix::XelMathMxNBandMatrix(const XelMathMxNBandMatrix& iOther)
    : XelMathMxNBandMatrix() {
  CopyFrom(iOther);
}

XelMathMxNBandMatrix::~XelMathMxNBandMatrix() {
  Release();
}

void XelMathMxNBandMatrix::Release() {
  DelDoubles(_coef, _capacity);
  DelDoubles(_block, _blockSize);
  DelDoubles(_spectral, _spectralSize);
  delete[] _firstCol;
  delete[] _impositions;
  _firstCol = nullptr;
  _impositions = nullptr;
  _symCoef = nullptr;
  _nbRows = _nbCols = _rowWidth = _capacity = _firstCapacity = _blockSize = 0;
  _spectralSize = _spectralKind = _spectralCount = _spectralRank = 0;
  _mode = 1;
  _firstImposed = -1;
  _periodic = 0;
  _normValid = false;
}

long XelMathMxNBandMatrix::StoredCount() const {
  if (_mode == 2 || _mode == 3)
    return _nbCols * _rowWidth;
  if (_mode == 1 || _mode == 4)
    return _nbRows * _rowWidth;
  return _nbRows * _nbCols;
}

// Sizes the arrays for an iM x iN matrix of width iW in mode iMode, all zero; reuses the
// arrays when they are large enough. Invalid or unserved sizes change nothing.
bool XelMathMxNBandMatrix::Allocate(long iM, long iN, long iW, long iMode) {
  if (iMode < 1 || iMode > 5 || iMode == 3)
    iMode = 5;
  if (iMode == 2)
    iM = iN;
  if (iMode == 5)
    iW = iN;
  if (iM < 0 || iN < 0 || iW < 0 || iM > XelQuorMaxArrayDoubles || iN > XelQuorMaxArrayDoubles)
    return false;
  if (iW > iN || (iN > 0 && iW < 1))
    return false;
  const long rows = iMode == 2 ? iN : iM;
  const long cols = iMode == 5 ? iN : iW;
  if (!ProductFits(rows, cols))
    return false;
  const long count = rows * cols;
  if (count > _capacity) {
    bool ok;
    double* fresh = NewDoubles(count, ok);
    if (!ok)
      return false;
    DelDoubles(_coef, _capacity);
    _coef = fresh;
    _capacity = count;
  }
  if (iM > _firstCapacity) {
    long* fresh = new (std::nothrow) long[static_cast<std::size_t>(iM)];
    if (!fresh)
      return false;
    delete[] _firstCol;
    _firstCol = fresh;
    _firstCapacity = iM;
  }
  if (count > 0)
    std::memset(_coef, 0, sizeof(double) * static_cast<std::size_t>(count));
  for (long i = 0; i < iM; i++)
    _firstCol[i] = 0;
  delete[] _impositions;
  _impositions = nullptr;
  _firstImposed = -1;
  DelDoubles(_block, _blockSize);
  _blockSize = 0;
  _nbRows = iM;
  _nbCols = iN;
  _rowWidth = iW;
  _mode = iMode;
  _symCoef = iMode == 2 ? _coef : nullptr;
  _rowWeights = nullptr;
  _periodic = 0;
  Touch();
  return true;
}

void XelMathMxNBandMatrix::CopyFrom(const XelMathMxNBandMatrix& iOther) {
  Release();
  bool ok1, ok2, ok3;
  const long count = iOther.StoredCount();
  _coef = NewDoubles(count, ok1);
  _block = NewDoubles(iOther._blockSize, ok2);
  _spectral = NewDoubles(iOther._spectralSize, ok3);
  long* first = iOther._nbRows > 0 ? new (std::nothrow) long[iOther._nbRows] : nullptr;
  long* imp = iOther._impositions ? new (std::nothrow) long[iOther._nbCols] : nullptr;
  _capacity = count;
  _blockSize = iOther._blockSize;
  _spectralSize = iOther._spectralSize;
  _firstCol = first;
  _impositions = imp;
  _firstCapacity = first ? iOther._nbRows : 0;
  if (!ok1 || !ok2 || !ok3 || (iOther._nbRows > 0 && !first) || (iOther._impositions && !imp)) {
    Release();
    return;
  }
  if (count > 0)
    std::memcpy(_coef, iOther._coef, sizeof(double) * static_cast<std::size_t>(count));
  if (_blockSize > 0)
    std::memcpy(_block, iOther._block, sizeof(double) * static_cast<std::size_t>(_blockSize));
  if (_spectralSize > 0)
    std::memcpy(_spectral, iOther._spectral,
                sizeof(double) * static_cast<std::size_t>(_spectralSize));
  // After a normal matrix or an R factor is formed the rows are N, the first columns still M.
  for (long i = 0; first && i < iOther._nbRows; i++)
    first[i] = i < iOther._firstCapacity ? iOther._firstCol[i] : 0;
  if (imp)
    std::memcpy(imp, iOther._impositions, sizeof(long) * static_cast<std::size_t>(iOther._nbCols));
  _nbRows = iOther._nbRows;
  _nbCols = iOther._nbCols;
  _rowWidth = iOther._rowWidth;
  _mode = iOther._mode;
  _symCoef = (_mode == 2 || _mode == 3) ? _coef : nullptr;
  _firstImposed = iOther._firstImposed;
  _rowWeights = iOther._rowWeights;
  _periodic = iOther._periodic;
  _normOfDiag = iOther._normOfDiag;
  _normValid = iOther._normValid;
  _blockStart = iOther._blockStart;
  _spectralKind = iOther._spectralKind;
  _spectralCount = iOther._spectralCount;
  _spectralRank = iOther._spectralRank;
}

long XelMathMxNBandMatrix::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(double)) * (_capacity + _blockSize + _spectralSize) +
         static_cast<long>(sizeof(long)) * (_firstCapacity + (_impositions ? _nbCols : 0));
}

long XelMathMxNBandMatrix::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

XelMathMxNBandMatrix& XelMathMxNBandMatrix::operator=(const XelMathMxNBandMatrix& iOther) {
  if (this != &iOther)
    CopyFrom(iOther);
  return *this;
}

// ---- sizes and access --------------------------------------------------------------------

void XelMathMxNBandMatrix::GetSizeOfMatrix(long& oM, long& oN, long& oW) const {
  oM = _nbRows;
  oN = _nbCols;
  oW = _rowWidth;
}

void XelMathMxNBandMatrix::GetSizeOfMatrix(long& oM, long& oN) const {
  oM = _nbRows;
  oN = _nbCols;
}

long XelMathMxNBandMatrix::GetStorageMode() const {
  return _mode;
}

int XelMathMxNBandMatrix::GetIfPeriodic() {
  int periodic = 0;
  const long n = _nbCols, w = _rowWidth;
  if (_mode == 1) {
    for (long i = 0; i < _nbRows && !periodic; i++)
      periodic = _firstCol[i] < 0;
  } else if (_mode == 3 && _block) {
    periodic = 1;
  } else if ((_mode == 2 || _mode == 3) && 2 * w <= n + 1) {
    const double threshold = XelHardTol(1e-15) * GetNormOfDiag();
    for (long p = n - w + 1; p < n && !periodic; p++)
      for (long q = 0; q < p - n + w && !periodic; q++)
        periodic = std::fabs(_coef[(w - 1) * (q + 1) + p - n]) > threshold;
  }
  _periodic = periodic;
  return periodic;
}

double XelMathMxNBandMatrix::GetNormOfDiag() const {
  if (!_normValid) {
    double sum = 0.0;
    const long n = std::min(_nbRows, _nbCols);
    for (long i = 0; i < n; i++) {
      const double d = GetCoef(i, i);
      sum += d * d;
    }
    _normOfDiag = sum;
    _normValid = true;
  }
  return _normOfDiag;
}

int XelMathMxNBandMatrix::SetSize(long iM, long iN) {
  const long mode = _mode == 3 ? 2 : _mode;
  if (mode == 2 && iM != iN)
    return 0;
  const long w = iN == 0 ? 0 : std::min(std::max(_rowWidth, 1L), iN);
  return Allocate(iM, iN, w, mode) ? 1 : 0;
}

int XelMathMxNBandMatrix::Reset(long iM, long iN, long iW) {
  const long mode = _mode == 3 ? 2 : _mode;
  if (mode == 2 && iM != iN)
    return 0;
  return Allocate(iM, iN, iW, mode) ? 1 : 0;
}

int XelMathMxNBandMatrix::SetRowSize(long i, long iFirst, long& ioW) {
  if (_mode != 1 || i < 0 || i >= _nbRows)
    return 0;
  if (ioW > _rowWidth && !SetColSize(ioW))
    return 0;
  const long n = _nbCols, w = _rowWidth;
  ioW = w;
  long f = iFirst;
  if (f + w <= 0)
    f += n;
  else if (f > n - w && f < n)
    f -= n; // a row passing the last column wraps to the first ones
  if (f < -(w - 1) || f > n - w)
    return 0;
  _firstCol[i] = f;
  Touch();
  return 1;
}

int XelMathMxNBandMatrix::SetMaxColSize(long iW) {
  if (_mode != 1 || iW < 1 || !ProductFits(_nbRows, iW))
    return 0;
  const long count = _nbRows * iW;
  if (count > _capacity) {
    bool ok;
    double* fresh = NewDoubles(count, ok);
    if (!ok)
      return 0;
    const long used = StoredCount();
    if (used > 0)
      std::memcpy(fresh, _coef, sizeof(double) * static_cast<std::size_t>(used));
    DelDoubles(_coef, _capacity);
    _coef = fresh;
    _capacity = count;
  }
  return 1;
}

// Mode 1: re-stores every row with width iW from the first columns iFirst (normalised so
// that a row stays inside the columns or wraps), keeping the coefficients that fit.
int XelMathMxNBandMatrix::Restore(long iW, const long* iFirst) {
  const long m = _nbRows, n = _nbCols;
  if (!ProductFits(m, iW))
    return 0;
  bool ok;
  double* fresh = NewDoubles(m * iW, ok);
  if (!ok)
    return 0;
  for (long k = 0; k < m * iW; k++)
    fresh[k] = 0.0;
  for (long i = 0; i < m; i++) {
    long f = iFirst[i];
    if (f + iW <= 0)
      f += n;
    if (f >= 0 && f + iW > n)
      f = n - iW;
    Access::Row(*this, i, [&](long j, double a) {
      long k = j - f;
      if (f < 0 && j >= f + n)
        k -= n;
      if (k >= 0 && k < iW)
        fresh[iW * i + k] = a;
    });
    _firstCol[i] = f;
  }
  DelDoubles(_coef, _capacity);
  _coef = fresh;
  _capacity = m * iW;
  _rowWidth = iW;
  Touch();
  return 1;
}

int XelMathMxNBandMatrix::SetColSize(long iW) {
  if (iW < 1 || iW > _nbCols)
    return 0;
  if (_mode == 1) {
    std::vector<long> first(_firstCol, _firstCol + _nbRows);
    return Restore(iW, first.data());
  }
  if (_mode == 2)
    return WidenSym(iW);
  if (_mode == 4 && !_block) {
    XelMathMxNBandMatrix copy(*this);
    if (!Allocate(copy._nbRows, _nbCols, iW, 4))
      return 0;
    for (long i = 0; i < _nbRows; i++)
      Access::Row(copy, i, [&](long j, double a) {
        if (j < i + iW)
          _coef[iW * i + j - i] = a;
      });
    return 1;
  }
  return _mode == 5 ? (iW == _nbCols) : 0;
}

long XelMathMxNBandMatrix::Compress() {
  if (_mode != 1 || _nbRows == 0 || _nbCols == 0)
    return 0;
  const long w = _rowWidth;
  std::vector<long> first(static_cast<std::size_t>(_nbRows));
  long width = 1;
  for (long i = 0; i < _nbRows; i++) {
    const double* row = _coef + w * i;
    long lead = 0, last = -1;
    for (long k = 0; k < w; k++)
      if (row[k] != 0.0) {
        if (last < 0)
          lead = k;
        last = k;
      }
    first[i] = _firstCol[i] + (last < 0 ? 0 : lead);
    width = std::max(width, last - lead + 1);
  }
  return Restore(width, first.data()) ? width : 0;
}

double* XelMathMxNBandMatrix::SymSlot(long i, long j) const {
  const long p = std::max(i, j), q = std::min(i, j);
  if (_mode == 3 && _block && p >= _blockStart)
    return _block + (p - _blockStart) * _nbCols + q;
  const long k = SymIndex(_nbCols, _rowWidth, p, q);
  return k < 0 ? nullptr : _coef + k;
}

void XelMathMxNBandMatrix::SetCoef(long i, long j, double iValue) {
  if (i < 0 || i >= _nbRows || j < 0 || j >= _nbCols)
    return;
  const long n = _nbCols, w = _rowWidth;
  double* slot = nullptr;
  switch (_mode) {
  case 1: {
    const long f = _firstCol[i];
    const long jj = j >= f + n ? j - n : j;
    if (jj >= f && jj < f + w)
      slot = _coef + w * i + jj - f;
    break;
  }
  case 2:
  case 3:
    slot = SymSlot(i, j);
    break;
  case 4:
    if (j >= i && j < i + w)
      slot = _coef + w * i + j - i;
    else if (_block && j >= _blockStart && j >= i + w)
      slot = _block + i * (n - _blockStart) + j - _blockStart;
    break;
  default:
    slot = _coef + n * i + j;
  }
  if (slot) {
    *slot = iValue;
    Touch();
  }
}

void XelMathMxNBandMatrix::SetCoef(long i, const double* iValues) {
  if (!iValues || i < 0 || i >= _nbRows)
    return;
  const long count = _mode == 5 ? _nbCols : _rowWidth;
  const long at = (_mode == 2 || _mode == 3) ? _rowWidth * i : count * i;
  for (long k = 0; k < count; k++)
    _coef[at + k] = iValues[k];
  Touch();
}

void XelMathMxNBandMatrix::SetCoef(long i, long iFirst, const double* iValues) {
  long w = _rowWidth;
  if (SetRowSize(i, iFirst, w))
    SetCoef(i, iValues);
}

double XelMathMxNBandMatrix::GetCoef(long i, long j) const {
  if (i < 0 || i >= _nbRows || j < 0 || j >= _nbCols)
    return 0.0;
  const long n = _nbCols, w = _rowWidth;
  switch (_mode) {
  case 1: {
    const long f = _firstCol[i];
    const long jj = j >= f + n ? j - n : j;
    return (jj >= f && jj < f + w) ? _coef[w * i + jj - f] : 0.0;
  }
  case 2:
  case 3: {
    const double* slot = SymSlot(i, j);
    return slot ? *slot : 0.0;
  }
  case 4:
    if (j >= i && j < i + w)
      return _coef[w * i + j - i];
    if (_block && j >= _blockStart && j >= i + w)
      return _block[i * (n - _blockStart) + j - _blockStart];
    return 0.0;
  default:
    return _coef[n * i + j];
  }
}

const double* XelMathMxNBandMatrix::GetCoef() const {
  return _coef;
}

int XelMathMxNBandMatrix::GetFullMatrix(XelMathMxNMatrix& oA) const {
#ifdef XEL_BAND_HAS_DENSE
  if (_mode == 3)
    return 0;
  long m = 0, n = 0;
  oA.GetSizeOfMatrix(m, n);
  if (m != _nbRows || n != _nbCols)
    oA = XelMathMxNMatrix(_nbRows, _nbCols, 0.0);
  oA.GetSizeOfMatrix(m, n);
  if (m != _nbRows || n != _nbCols)
    return 0;
  for (long i = 0; i < _nbRows; i++)
    for (long j = 0; j < _nbCols; j++)
      oA.SetCoef(i, j, GetCoef(i, j));
  return 1;
#else
  (void)oA;
  return 0;
#endif
}

const long* XelMathMxNBandMatrix::GetFirstColumns() const {
  return _mode == 1 && _nbRows > 0 ? _firstCol : nullptr;
}

void XelMathMxNBandMatrix::SetImpositions(const long* iImp) {
  delete[] _impositions;
  _impositions = nullptr;
  _firstImposed = -1;
  if (!iImp || _nbCols == 0)
    return;
  _impositions = new (std::nothrow) long[_nbCols];
  if (!_impositions)
    return;
  for (long j = 0; j < _nbCols; j++) {
    _impositions[j] = iImp[j];
    if (iImp[j] == 0 && _firstImposed < 0)
      _firstImposed = j;
  }
}

long XelMathMxNBandMatrix::IdentifyConstraints(double iTol) {
  const long n = _nbCols;
  if (n == 0 || _mode == 3)
    return 0;
  std::vector<double> norm(static_cast<std::size_t>(n), 0.0);
  if (_mode == 2) {
    for (long j = 0; j < n; j++)
      norm[j] = std::fabs(GetCoef(j, j));
  } else {
    for (long i = 0; i < _nbRows; i++) {
      const double omega = std::fabs(RowWeight(i));
      Access::Row(*this, i, [&](long j, double a) { norm[j] += omega * a * a; });
    }
  }
  const double largest = *std::max_element(norm.begin(), norm.end());
  std::vector<long> flags(static_cast<std::size_t>(n), 1);
  if (_impositions)
    flags.assign(_impositions, _impositions + n);
  long count = 0;
  for (long j = 0; j < n; j++)
    if (flags[j] != 0 && norm[j] <= iTol * largest) {
      flags[j] = 0;
      count++;
    }
  if (count > 0)
    SetImpositions(flags.data());
  return count;
}

void XelMathMxNBandMatrix::SetRowWeights(const double* iWeights) {
  _rowWeights = iWeights;
}

// ---- products ----------------------------------------------------------------------------

int XelMathMxNBandMatrix::Multiply(const double* iX, double* oY, long nRHS) const {
  if (!iX || !oY || !RhsCountFits(std::max(_nbRows, _nbCols), nRHS) || _mode == 3)
    return 0;
  const std::vector<double> x = CopyOf(iX, _nbCols * nRHS);
  for (long k = 0; k < _nbRows * nRHS; k++)
    oY[k] = 0.0;
  if (_mode == 2) {
    Access::Sym(*this, [&](long p, long q, double a) {
      for (long c = 0; c < nRHS; c++) {
        oY[p * nRHS + c] += a * x[q * nRHS + c];
        if (p != q)
          oY[q * nRHS + c] += a * x[p * nRHS + c];
      }
    });
    return 1;
  }
  for (long i = 0; i < _nbRows; i++) {
    double* y = oY + i * nRHS;
    Access::Row(*this, i, [&](long j, double a) {
      for (long c = 0; c < nRHS; c++)
        y[c] += a * x[j * nRHS + c];
    });
  }
  return 1;
}

int XelMathMxNBandMatrix::Multiply(const XelMathSetOf3DObjects& iX,
                                   XelMathSetOf3DObjects& oY) const {
  if (iX.GetNumberOfObjects() != _nbCols || _nbCols == 0)
    return 0;
  const std::vector<double> x = CopyOf(iX.GetData(), 3 * _nbCols);
  oY.SetSize(_nbRows);
  return _nbRows == 0 ? 1 : Multiply(x.data(), oY.GetData(), 3);
}

int XelMathMxNBandMatrix::Multiply(const XelMathGrid& iX, XelMathGrid& oY) const {
  const long cols = iX.GetNumberOfColumns();
  if (iX.GetNumberOfRows() != _nbCols || _nbCols == 0 || cols < 1)
    return 0;
  const std::vector<double> x = CopyOf(iX.GetData(), cols * _nbCols);
  oY.SetSize(_nbRows, cols);
  return _nbRows == 0 ? 1 : Multiply(x.data(), oY.GetData(), cols);
}

int XelMathMxNBandMatrix::ResidualVector(const double* iB, const double* iX, double* oR,
                                         long nRHS) const {
  if (!iB || !iX || !oR || !RhsCountFits(std::max(_nbRows, _nbCols), nRHS))
    return 0;
  std::vector<double> ax(static_cast<std::size_t>(_nbRows * nRHS));
  if (!Multiply(iX, ax.data(), nRHS))
    return 0;
  for (long k = 0; k < _nbRows * nRHS; k++)
    oR[k] = iB[k] - ax[k];
  return 1;
}

int XelMathMxNBandMatrix::ResidualVector(const XelMathSetOf3DObjects& iB,
                                         const XelMathSetOf3DObjects& iX,
                                         XelMathSetOf3DObjects& oR) const {
  if (iB.GetNumberOfObjects() != _nbRows || iX.GetNumberOfObjects() != _nbCols || _nbRows == 0)
    return 0;
  const std::vector<double> b = CopyOf(iB.GetData(), 3 * _nbRows);
  const std::vector<double> x = CopyOf(iX.GetData(), 3 * _nbCols);
  oR.SetSize(_nbRows);
  return ResidualVector(b.data(), x.data(), oR.GetData(), 3);
}

int XelMathMxNBandMatrix::ResidualVector(const XelMathGrid& iB, const XelMathGrid& iX,
                                         XelMathGrid& oR) const {
  const long cols = iB.GetNumberOfColumns();
  if (iB.GetNumberOfRows() != _nbRows || iX.GetNumberOfRows() != _nbCols || _nbRows == 0 ||
      iX.GetNumberOfColumns() != cols || cols < 1)
    return 0;
  const std::vector<double> b = CopyOf(iB.GetData(), cols * _nbRows);
  const std::vector<double> x = CopyOf(iX.GetData(), cols * _nbCols);
  oR.SetSize(_nbRows, cols);
  return ResidualVector(b.data(), x.data(), oR.GetData(), cols);
}

int XelMathMxNBandMatrix::TransMultiply(const double* iB, double* oY, long nRHS) const {
  if (!iB || !oY || !RhsCountFits(std::max(_nbRows, _nbCols), nRHS) || _mode == 3)
    return 0;
  if (_mode == 2)
    return Multiply(iB, oY, nRHS);
  const std::vector<double> b = CopyOf(iB, _nbRows * nRHS);
  for (long k = 0; k < _nbCols * nRHS; k++)
    oY[k] = 0.0;
  for (long i = 0; i < _nbRows; i++) {
    const double omega = RowWeight(i);
    const double* bi = b.data() + i * nRHS;
    Access::Row(*this, i, [&](long j, double a) {
      const double wa = omega * a;
      for (long c = 0; c < nRHS; c++)
        oY[j * nRHS + c] += wa * bi[c];
    });
  }
  return 1;
}

int XelMathMxNBandMatrix::TransMultiply(const XelMathSetOf3DObjects& iB,
                                        XelMathSetOf3DObjects& oY) const {
  const long rows = _mode == 2 ? _nbCols : _nbRows;
  if (iB.GetNumberOfObjects() != rows || rows == 0 || _nbCols == 0)
    return 0;
  const std::vector<double> b = CopyOf(iB.GetData(), 3 * rows);
  oY.SetSize(_nbCols);
  return TransMultiply(b.data(), oY.GetData(), 3);
}

int XelMathMxNBandMatrix::TransMultiply(const XelMathGrid& iB, XelMathGrid& oY) const {
  const long rows = _mode == 2 ? _nbCols : _nbRows, cols = iB.GetNumberOfColumns();
  if (iB.GetNumberOfRows() != rows || rows == 0 || _nbCols == 0 || cols < 1)
    return 0;
  const std::vector<double> b = CopyOf(iB.GetData(), cols * rows);
  oY.SetSize(_nbCols, cols);
  return TransMultiply(b.data(), oY.GetData(), cols);
}

int XelMathMxNBandMatrix::TransMultiply(double* ioB, long nRHS) const {
  return TransMultiply(ioB, ioB, nRHS); // the products read a copy of their input
}

int XelMathMxNBandMatrix::TransMultiply(XelMathSetOf3DObjects& ioB) const {
  return TransMultiply(ioB, ioB);
}

int XelMathMxNBandMatrix::TransMultiply(XelMathGrid& ioB) const {
  return TransMultiply(ioB, ioB);
}

// ---- normal equations --------------------------------------------------------------------

int XelMathMxNBandMatrix::AddSym(long i, long j, double iValue) {
  double* slot = SymSlot(i, j);
  if (!slot)
    return 0;
  *slot += iValue;
  return 1;
}

// Mode 2: re-stores the symmetric band with half-width iW (entries that no longer fit are
// dropped).
int XelMathMxNBandMatrix::WidenSym(long iW) {
  if (_mode != 2 || iW < 1 || iW > _nbCols)
    return 0;
  if (iW == _rowWidth)
    return 1;
  const long n = _nbCols;
  if (!ProductFits(n, iW))
    return 0;
  bool ok;
  double* fresh = NewDoubles(n * iW, ok);
  if (!ok)
    return 0;
  for (long k = 0; k < n * iW; k++)
    fresh[k] = 0.0;
  Access::Sym(*this, [&](long p, long q, double a) {
    const long k = SymIndex(n, iW, p, q);
    if (k >= 0 && a != 0.0)
      fresh[k] = a;
  });
  DelDoubles(_coef, _capacity);
  _coef = _symCoef = fresh;
  _capacity = n * iW;
  _rowWidth = iW;
  Touch();
  return 1;
}

int XelMathMxNBandMatrix::UpdateTransGramProduct(const XelMathMxNBandMatrix& iA, double iFactor,
                                                 long iFirstRow, long iLastRow) {
  if (_mode != 2 || iA._nbCols != _nbCols || !Access::RowMode(iA) || &iA == this ||
      (iA._mode == 4 && iA._block))
    return 0;
  const long last = iLastRow < 0 ? iA._nbRows - 1 : std::min(iLastRow, iA._nbRows - 1);
  const long first = std::max(iFirstRow, 0L);
  const long need = iA._mode == 5 ? _nbCols : iA._rowWidth;
  if (need > _rowWidth && !WidenSym(need))
    return 0;
  std::vector<long> cols;
  std::vector<double> vals;
  for (long i = first; i <= last; i++) {
    cols.clear();
    vals.clear();
    Access::Row(iA, i, [&](long j, double a) {
      if (a != 0.0) {
        cols.push_back(j);
        vals.push_back(a);
      }
    });
    const double f = iFactor * iA.RowWeight(i);
    for (std::size_t a = 0; a < cols.size(); a++)
      for (std::size_t b = 0; b <= a; b++)
        AddSym(cols[a], cols[b], f * vals[a] * vals[b]);
  }
  Touch();
  return 1;
}

int XelMathMxNBandMatrix::TransGramProduct() {
  if (!Access::RowMode(*this) || (_mode == 4 && _block) || _nbCols == 0)
    return 0;
  XelMathMxNBandMatrix gram(_nbCols, _nbCols, _mode == 5 ? _nbCols : _rowWidth, 2);
  if (gram._nbCols != _nbCols || !gram.UpdateTransGramProduct(*this, 1.0, 0, -1))
    return 0;
  std::swap(_coef, gram._coef);
  std::swap(_capacity, gram._capacity);
  _symCoef = _coef;
  _nbRows = _nbCols;
  _rowWidth = gram._rowWidth;
  _mode = 2;
  _rowWeights = nullptr;
  Touch();
  return 1;
}

int XelMathMxNBandMatrix::TransGramProduct(XelMathMxNBandMatrix& oG, double iFactor, long iFirstRow,
                                           long iLastRow) const {
  if (&oG == this || !Access::RowMode(*this) || _nbCols == 0)
    return 0;
  if (!oG.Allocate(_nbCols, _nbCols, _mode == 5 ? _nbCols : _rowWidth, 2))
    return 0;
  return oG.UpdateTransGramProduct(*this, iFactor, iFirstRow, iLastRow);
}

int XelMathMxNBandMatrix::AddGramProduct(const XelMathMxNBandMatrix& iG, double iFactor) {
  if (_mode != 2 || iG._mode != 2 || iG._nbCols != _nbCols || &iG == this)
    return 0;
  if (iG._rowWidth > _rowWidth && !WidenSym(iG._rowWidth))
    return 0;
  Access::Sym(iG, [&](long p, long q, double a) {
    if (a != 0.0)
      AddSym(p, q, iFactor * a);
  });
  Touch();
  return 1;
}

int XelMathMxNBandMatrix::UpdateTransMultiplyAndGramProduct(const XelMathMxNBandMatrix& iRows,
                                                            const double* iB, double* ioAtB,
                                                            long nRHS) {
  if (_mode != 2 || !iB || !ioAtB || iRows._nbCols != _nbCols ||
      !RhsCountFits(std::max(iRows._nbRows, _nbCols), nRHS))
    return 0;
  std::vector<double> atb(static_cast<std::size_t>(_nbCols * nRHS));
  if (!iRows.TransMultiply(iB, atb.data(), nRHS) || !UpdateTransGramProduct(iRows, 1.0, 0, -1))
    return 0;
  for (long k = 0; k < _nbCols * nRHS; k++)
    ioAtB[k] += atb[k];
  return 1;
}

int XelMathMxNBandMatrix::TransGramProduct(double* oG, long iN) const {
  if (!oG || iN != _nbCols || _mode == 3)
    return 0;
  const long n = _nbCols;
  for (long k = 0; k < n * n; k++)
    oG[k] = 0.0;
  if (_mode == 2) {
    for (long i = 0; i < n; i++)
      for (long j = 0; j < n; j++)
        oG[i * n + j] = GetCoef(i, j);
    return 1;
  }
  std::vector<long> cols;
  std::vector<double> vals;
  for (long i = 0; i < _nbRows; i++) {
    cols.clear();
    vals.clear();
    Access::Row(*this, i, [&](long j, double a) {
      cols.push_back(j);
      vals.push_back(a);
    });
    const double omega = RowWeight(i);
    for (std::size_t a = 0; a < cols.size(); a++)
      for (std::size_t b = 0; b < cols.size(); b++)
        oG[cols[a] * n + cols[b]] += omega * vals[a] * vals[b];
  }
  return 1;
}

// ---- LDL^T of the normal matrix ----------------------------------------------------------

// Row i of the symmetric storage: oRow[j] is coefficient (i, j) for start <= j <= i; returns
// the start (the first column of the row's envelope).
long XelMathMxNBandMatrix::RowOf(long i, double*& oRow) const {
  if (_block && (_mode == 2 || _mode == 3) && i >= _blockStart) {
    oRow = _block + (i - _blockStart) * _nbCols;
    return 0;
  }
  oRow = _coef + (_rowWidth - 1) * (i + 1);
  return std::max(0L, i - _rowWidth + 1);
}

int XelMathMxNBandMatrix::FactorizeLDLt(double iShift) {
  if (_mode != 2)
    return 0;
  const long n = _nbCols, w = _rowWidth;
  const double threshold = XelHardTol(1e-15) * GetNormOfDiag();
  DelDoubles(_block, _blockSize);
  _blockSize = 0;
  if (n > 0 && GetIfPeriodic()) {
    // The last w-1 rows couple with the first ones: their factor rows are dense.
    const long start = n - w + 1;
    bool ok;
    double* block = NewDoubles((w - 1) * n, ok);
    if (!ok)
      return 0;
    for (long p = start; p < n; p++)
      for (long q = 0; q < n; q++)
        block[(p - start) * n + q] = q <= p ? GetCoef(p, q) : 0.0;
    _block = block;
    _blockSize = (w - 1) * n;
    _blockStart = start;
  }
  std::vector<double> d(static_cast<std::size_t>(n), 0.0);
  for (long i = 0; i < n; i++) {
    if (!IsFree(i))
      continue;
    double* li;
    const long si = RowOf(i, li);
    double diag = li[i] + iShift;
    for (long j = si; j < i; j++) {
      if (!IsFree(j))
        continue;
      double* lj;
      const long sj = RowOf(j, lj);
      double s = li[j];
      for (long k = std::max(si, sj); k < j; k++)
        if (IsFree(k))
          s -= li[k] * d[k] * lj[k];
      li[j] = s / d[j];
      diag -= s * li[j];
    }
    if (!(diag >= threshold) || diag == 0.0) {
      DelDoubles(_block, _blockSize);
      _blockSize = 0;
      Touch();
      return 0;
    }
    li[i] = d[i] = diag;
  }
  _mode = 3;
  return 1;
}

int XelMathMxNBandMatrix::FactorizeLDLt(XelMathMxNBandMatrix& oFactor, double iShift) const {
  if (_mode != 2)
    return 0;
  if (&oFactor != this)
    oFactor = *this;
  return oFactor.FactorizeLDLt(iShift);
}

int XelMathMxNBandMatrix::SolveLDLt(double* ioB, long nRHS) const {
  if (_mode != 3 || !ioB || !RhsCountFits(_nbCols, nRHS))
    return 0;
  const long n = _nbCols;
  double* row;
  if (_firstImposed >= 0) {
    // Move the imposed unknowns to the right-hand side (their couplings were kept as given).
    for (long r = 0; r < n; r++) {
      const long s = RowOf(r, row);
      for (long c = s; c < r; c++) {
        if (!IsFree(c) && IsFree(r))
          for (long k = 0; k < nRHS; k++)
            ioB[r * nRHS + k] -= row[c] * ioB[c * nRHS + k];
        else if (!IsFree(r) && IsFree(c))
          for (long k = 0; k < nRHS; k++)
            ioB[c * nRHS + k] -= row[c] * ioB[r * nRHS + k];
      }
    }
  }
  for (long i = 0; i < n; i++) {
    if (!IsFree(i))
      continue;
    const long s = RowOf(i, row);
    for (long j = s; j < i; j++)
      if (IsFree(j) && row[j] != 0.0)
        for (long k = 0; k < nRHS; k++)
          ioB[i * nRHS + k] -= row[j] * ioB[j * nRHS + k];
  }
  for (long i = 0; i < n; i++)
    if (IsFree(i)) {
      RowOf(i, row);
      for (long k = 0; k < nRHS; k++)
        ioB[i * nRHS + k] /= row[i];
    }
  for (long i = n - 1; i >= 0; i--) {
    if (!IsFree(i))
      continue;
    const long s = RowOf(i, row);
    for (long j = s; j < i; j++)
      if (IsFree(j) && row[j] != 0.0)
        for (long k = 0; k < nRHS; k++)
          ioB[j * nRHS + k] -= row[j] * ioB[i * nRHS + k];
  }
  return 1;
}

// ---- solves ------------------------------------------------------------------------------

// Normal right-hand side (N x nRHS, imposed values in place) to solution, factoring first in
// mode 2.
int XelMathMxNBandMatrix::SolveNormal(double* ioRhs, long nRHS) {
  if (_mode == 2 && !FactorizeLDLt(0.0))
    return 0;
  return SolveLDLt(ioRhs, nRHS);
}

int XelMathMxNBandMatrix::Solve(const double* iB, double* oX, long nRHS, long iDim) {
  const bool rect = Access::RowMode(*this);
  if (!iB || !oX || !RhsCountFits(std::max(_nbRows, _nbCols), nRHS) || _nbCols == 0 ||
      iDim != (rect ? _nbRows : _nbCols))
    return 0;
  std::vector<double> rhs(static_cast<std::size_t>(_nbCols * nRHS));
  if (rect) {
    if (!TransMultiply(iB, rhs.data(), nRHS) || !TransGramProduct())
      return 0;
  } else {
    rhs.assign(iB, iB + _nbCols * nRHS);
  }
  for (long j = 0; j < _nbCols; j++)
    if (!IsFree(j))
      for (long k = 0; k < nRHS; k++)
        rhs[j * nRHS + k] = oX[j * nRHS + k];
  if (!SolveNormal(rhs.data(), nRHS))
    return 0;
  std::copy(rhs.begin(), rhs.end(), oX);
  return 1;
}

int XelMathMxNBandMatrix::Solve(double* ioB, long nRHS, long iDim) {
  const bool rect = Access::RowMode(*this);
  const long rows = rect ? _nbRows : _nbCols;
  if (!ioB || !RhsCountFits(std::max(iDim, _nbCols), nRHS) || _nbCols == 0 ||
      iDim < std::max(rows, _nbCols))
    return 0;
  if (!rect)
    return SolveNormal(ioB, nRHS);
  if (_firstImposed >= 0)
    return 0;
  const std::vector<double> b = CopyOf(ioB, rows * nRHS);
  return Solve(b.data(), ioB, nRHS, rows);
}

int XelMathMxNBandMatrix::Solve(const XelMathSetOf3DObjects& iB, XelMathSetOf3DObjects& oX) {
  if (&iB == &oX)
    return Solve(oX);
  const long rows = Access::RowMode(*this) ? _nbRows : _nbCols;
  if (iB.GetNumberOfObjects() != rows || rows == 0)
    return 0;
  oX.SetSize(_nbCols);
  return Solve(iB.GetData(), oX.GetData(), 3, rows);
}

int XelMathMxNBandMatrix::Solve(XelMathSetOf3DObjects& ioB) {
  const long rows = Access::RowMode(*this) ? _nbRows : _nbCols;
  if (ioB.GetNumberOfObjects() != rows || rows == 0)
    return 0;
  const long room = std::max(rows, _nbCols);
  ioB.SetSize(room);
  const int done = Solve(ioB.GetData(), 3, room);
  ioB.SetSize(done ? _nbCols : rows);
  return done;
}

int XelMathMxNBandMatrix::Solve(const XelMathGrid& iB, XelMathGrid& oX) {
  if (&iB == &oX)
    return Solve(oX);
  const long rows = Access::RowMode(*this) ? _nbRows : _nbCols, cols = iB.GetNumberOfColumns();
  if (iB.GetNumberOfRows() != rows || rows == 0 || cols < 1)
    return 0;
  oX.SetSize(_nbCols, cols);
  return Solve(iB.GetData(), oX.GetData(), cols, rows);
}

int XelMathMxNBandMatrix::Solve(XelMathGrid& ioB) {
  const long rows = Access::RowMode(*this) ? _nbRows : _nbCols, cols = ioB.GetNumberOfColumns();
  if (ioB.GetNumberOfRows() != rows || rows == 0 || cols < 1)
    return 0;
  const long room = std::max(rows, _nbCols);
  ioB.SetSize(room, cols);
  const int done = Solve(ioB.GetData(), cols, room);
  ioB.SetSize(done ? _nbCols : rows, cols);
  return done;
}

// ---- orthogonal transformations ----------------------------------------------------------

// Rows of W^(1/2) A are rotated one after the other into an upper band R of width w (plus,
// for a periodic matrix, its dense last w-1 columns). A data row is held as a window of w
// values starting at the column being eliminated, and the part in the last columns beyond
// the window; R's row j is split the same way, so a rotation pairs matching values.
int XelMathMxNBandMatrix::TransfQR(double* ioB, long nRHS, const double* iImposed) {
  if (_mode != 1 || !ioB || !RhsCountFits(std::max(_nbRows, _nbCols), nRHS) || _nbCols == 0)
    return 0;
  const long m = _nbRows, n = _nbCols, w = _rowWidth;
  for (long i = 0; i < m; i++)
    if (!(RowWeight(i) >= 0.0))
      return 0;
  const long start = GetIfPeriodic() ? n - w + 1 : n; // first column of the dense part
  const long bw = n - start;
  if (!ProductFits(n, w) || !ProductFits(n, std::max(bw, nRHS)))
    return 0;
  std::vector<double> r(static_cast<std::size_t>(n * w), 0.0);
  std::vector<double> rb(static_cast<std::size_t>(n * bw), 0.0);
  std::vector<double> d(static_cast<std::size_t>(n * nRHS), 0.0);
  std::vector<double> v(static_cast<std::size_t>(w)), u(static_cast<std::size_t>(bw));
  std::vector<double> rhs(static_cast<std::size_t>(nRHS)), resid(static_cast<std::size_t>(nRHS));
  for (long i = 0; i < m; i++) {
    const double sw = std::sqrt(RowWeight(i));
    for (long c = 0; c < nRHS; c++)
      rhs[c] = sw * ioB[i * nRHS + c];
    std::fill(v.begin(), v.end(), 0.0);
    std::fill(u.begin(), u.end(), 0.0);
    const long f = _firstCol[i];
    long j = std::max(f, 0L);
    for (long k = 0; k < w; k++) {
      long col = f + k;
      if (col < 0)
        col += n;
      const double a = sw * _coef[w * i + k];
      if (!IsFree(col)) {
        for (long c = 0; c < nRHS; c++)
          rhs[c] -= a * (iImposed ? iImposed[col * nRHS + c] : 0.0);
      } else if (col >= j && col - j < w) {
        v[col - j] += a;
      } else {
        u[col - start] += a;
      }
    }
    for (; j < n; j++) {
      const double x = v[0];
      if (x != 0.0) {
        double* rj = r.data() + j * w;
        double* ru = rb.data() + j * bw;
        const double h = std::hypot(rj[0], x);
        const double cs = rj[0] / h, sn = x / h;
        const long kEnd = std::min(w, n - j);
        for (long k = 0; k < kEnd; k++) {
          const double a = rj[k], b = v[k];
          rj[k] = cs * a + sn * b;
          v[k] = cs * b - sn * a;
        }
        for (long k = 0; k < bw; k++) {
          const double a = ru[k], b = u[k];
          ru[k] = cs * a + sn * b;
          u[k] = cs * b - sn * a;
        }
        for (long c = 0; c < nRHS; c++) {
          const double a = d[j * nRHS + c], b = rhs[c];
          d[j * nRHS + c] = cs * a + sn * b;
          rhs[c] = cs * b - sn * a;
        }
      }
      // Move the window one column on; a column of the dense part may enter it.
      bool rest = false;
      for (long k = 0; k + 1 < w; k++) {
        v[k] = v[k + 1];
        rest = rest || v[k] != 0.0;
      }
      v[w - 1] = 0.0;
      const long enter = j + w;
      if (enter < n && enter >= start) {
        v[w - 1] = u[enter - start];
        u[enter - start] = 0.0;
      }
      for (long k = 0; k < bw && !rest; k++)
        rest = u[k] != 0.0 || v[w - 1] != 0.0;
      if (!rest && v[w - 1] == 0.0)
        break;
    }
    for (long c = 0; c < nRHS; c++)
      resid[c] += rhs[c] * rhs[c];
  }
  for (long jj = 0; jj < n; jj++)
    if (!IsFree(jj)) {
      std::fill(r.begin() + jj * w, r.begin() + (jj + 1) * w, 0.0);
      r[jj * w] = 1.0;
      for (long c = 0; c < nRHS; c++)
        d[jj * nRHS + c] = iImposed ? iImposed[jj * nRHS + c] : 0.0;
    }
  // R replaces the rows: mode 4, N rows.
  bool ok1 = true, ok2 = true;
  double* coef = _capacity >= n * w ? _coef : NewDoubles(n * w, ok1);
  double* block = NewDoubles(n * bw, ok2);
  if (!ok1 || !ok2) {
    if (coef != _coef)
      DelDoubles(coef, n * w);
    DelDoubles(block, n * bw);
    return 0;
  }
  if (coef != _coef) {
    DelDoubles(_coef, _capacity);
    _coef = coef;
    _capacity = n * w;
  }
  std::copy(r.begin(), r.end(), _coef);
  DelDoubles(_block, _blockSize);
  _block = block;
  _blockSize = n * bw;
  _blockStart = start;
  if (bw > 0)
    std::copy(rb.begin(), rb.end(), _block);
  _nbRows = n;
  _mode = 4;
  _rowWeights = nullptr;
  Touch();
  std::copy(d.begin(), d.end(), ioB);
  for (long i = n; i < m; i++)
    for (long c = 0; c < nRHS; c++)
      ioB[i * nRHS + c] = i == n ? std::sqrt(resid[c]) : 0.0;
  return 1;
}

int XelMathMxNBandMatrix::TransfQR(XelMathSetOf3DObjects& ioB) {
  if (_mode != 1 || _firstImposed >= 0 || ioB.GetNumberOfObjects() != _nbRows || _nbRows == 0)
    return 0;
  ioB.SetSize(std::max(_nbRows, _nbCols));
  return TransfQR(ioB.GetData(), 3, nullptr);
}

int XelMathMxNBandMatrix::TransfQR(XelMathGrid& ioB) {
  const long cols = ioB.GetNumberOfColumns();
  if (_mode != 1 || _firstImposed >= 0 || ioB.GetNumberOfRows() != _nbRows || _nbRows == 0 ||
      cols < 1)
    return 0;
  ioB.SetSize(std::max(_nbRows, _nbCols), cols);
  return TransfQR(ioB.GetData(), cols, nullptr);
}

int XelMathMxNBandMatrix::SolveQRII(double* ioB, long nRHS) const {
  if (_mode != 4 || !ioB || !RhsCountFits(_nbCols, nRHS) || _nbCols == 0 || _nbRows != _nbCols)
    return 0;
  const long n = _nbCols, w = _rowWidth;
  double largest = 0.0;
  for (long j = 0; j < n; j++)
    largest = std::max(largest, std::fabs(_coef[j * w]));
  const double floor = XelGetDefaultTolerance().GetRelativeEpsilon() * largest;
  for (long j = 0; j < n; j++)
    if (!(std::fabs(_coef[j * w]) > floor))
      return 0;
  std::vector<double> x(static_cast<std::size_t>(n * nRHS));
  for (long j = n - 1; j >= 0; j--) {
    for (long c = 0; c < nRHS; c++)
      x[j * nRHS + c] = ioB[j * nRHS + c];
    Access::Row(*this, j, [&](long col, double a) {
      if (col > j && a != 0.0)
        for (long c = 0; c < nRHS; c++)
          x[j * nRHS + c] -= a * x[col * nRHS + c];
    });
    for (long c = 0; c < nRHS; c++)
      x[j * nRHS + c] /= _coef[j * w];
  }
  std::copy(x.begin(), x.end(), ioB);
  return 1;
}

int XelMathMxNBandMatrix::SolveQRII(XelMathSetOf3DObjects& ioB) const {
  if (ioB.GetNumberOfObjects() < _nbCols || _nbCols == 0 || !SolveQRII(ioB.GetData(), 3))
    return 0;
  ioB.SetSize(_nbCols);
  return 1;
}

int XelMathMxNBandMatrix::SolveQRII(XelMathGrid& ioB) const {
  const long cols = ioB.GetNumberOfColumns();
  if (ioB.GetNumberOfRows() < _nbCols || _nbCols == 0 || cols < 1 ||
      !SolveQRII(ioB.GetData(), cols))
    return 0;
  ioB.SetSize(_nbCols, cols);
  return 1;
}

int XelMathMxNBandMatrix::SolveQR(const double* iB, double* oX, long nRHS) const {
  if (_mode != 1 || !iB || !oX || !RhsCountFits(std::max(_nbRows, _nbCols), nRHS) || _nbCols == 0)
    return 0;
  XelMathMxNBandMatrix work(*this);
  if (work._nbCols != _nbCols)
    return 0;
  const long room = std::max(_nbRows, _nbCols);
  std::vector<double> b(static_cast<std::size_t>(room * nRHS), 0.0);
  std::copy(iB, iB + _nbRows * nRHS, b.begin());
  if (!work.TransfQR(b.data(), nRHS, oX) || !work.SolveQRII(b.data(), nRHS))
    return 0;
  std::copy(b.begin(), b.begin() + _nbCols * nRHS, oX);
  return 1;
}

int XelMathMxNBandMatrix::SolveQR(const XelMathSetOf3DObjects& iB,
                                  XelMathSetOf3DObjects& oX) const {
  if (iB.GetNumberOfObjects() != _nbRows || _nbRows == 0 || _nbCols == 0)
    return 0;
  const std::vector<double> b = CopyOf(iB.GetData(), 3 * _nbRows);
  oX.SetSize(_nbCols);
  return SolveQR(b.data(), oX.GetData(), 3);
}

// ---- spectral decompositions -------------------------------------------------------------

long XelMathMxNBandMatrix::SVD(double* oValues, long iCount) try {
  const long m = _nbRows, n = _nbCols;
  const long p = std::min(m, n);
  if (_mode == 3 || p == 0 || !ProductFits(m, n))
    return 0;
  for (long i = 0; i < m; i++)
    if (!(RowWeight(i) >= 0.0))
      return 0;
  // Columns of the work matrix (W^(1/2) A, or its transpose when M < N) are made orthogonal by
  // plane rotations (one-sided Jacobi); the rotations accumulate in V.
  const bool trans = m < n;
  const long rows = trans ? n : m; // length of a work column; there are p columns
  std::vector<double> a(static_cast<std::size_t>(rows * p)), vv(static_cast<std::size_t>(p * p));
  for (long i = 0; i < m; i++) {
    const double sw = std::sqrt(RowWeight(i));
    for (long j = 0; j < n; j++) {
      const double x = sw * GetCoef(i, j);
      if (trans)
        a[i * rows + j] = x;
      else
        a[j * rows + i] = x;
    }
  }
  for (long k = 0; k < p; k++)
    vv[k * p + k] = 1.0;
  // A pair is orthogonal when its inner product is at rounding level of the column norms
  // (the rounding of an inner product grows with the square root of its length). A column
  // whose norm is at rounding level of the whole matrix is a null column: rotating it against
  // the others only stirs rounding noise (it would sink towards underflow without ever passing
  // the relative test), so it takes part in no rotation.
  double frob2 = 0.0;
  for (const double x : a)
    frob2 += x * x;
  if (!std::isfinite(frob2))
    return 0;
  const double eps = std::max(1e-15, std::sqrt(static_cast<double>(rows)) * Roundoff);
  const double null2 = Roundoff * Roundoff * frob2;
  bool converged = false;
  for (int sweep = 0; sweep < 60 && !converged; sweep++) {
    converged = true;
    for (long i = 0; i < p; i++)
      for (long j = i + 1; j < p; j++) {
        double* ci = a.data() + i * rows;
        double* cj = a.data() + j * rows;
        double alpha = 0.0, beta = 0.0, gamma = 0.0;
        for (long k = 0; k < rows; k++) {
          alpha += ci[k] * ci[k];
          beta += cj[k] * cj[k];
          gamma += ci[k] * cj[k];
        }
        if (gamma == 0.0 || alpha <= null2 || beta <= null2 ||
            std::fabs(gamma) <= eps * std::sqrt(alpha * beta))
          continue;
        converged = false;
        const double zeta = (beta - alpha) / (2.0 * gamma);
        const double t = (zeta >= 0 ? 1.0 : -1.0) / (std::fabs(zeta) + std::hypot(1.0, zeta));
        const double c = 1.0 / std::hypot(1.0, t), s = c * t;
        for (long k = 0; k < rows; k++) {
          const double x = ci[k], y = cj[k];
          ci[k] = c * x - s * y;
          cj[k] = s * x + c * y;
        }
        double* vi = vv.data() + i * p;
        double* vj = vv.data() + j * p;
        for (long k = 0; k < p; k++) {
          const double x = vi[k], y = vj[k];
          vi[k] = c * x - s * y;
          vj[k] = s * x + c * y;
        }
      }
  }
  if (!converged)
    return 0;
  std::vector<double> sigma(static_cast<std::size_t>(p));
  std::vector<long> order(static_cast<std::size_t>(p));
  for (long k = 0; k < p; k++) {
    double s = 0.0;
    for (long i = 0; i < rows; i++)
      s += a[k * rows + i] * a[k * rows + i];
    sigma[k] = std::sqrt(s);
    order[k] = k;
  }
  std::stable_sort(order.begin(), order.end(), [&](long x, long y) { return sigma[x] > sigma[y]; });
  // Block: p values, p left vectors of M, p right vectors of N.
  const long size = p + p * m + p * n;
  bool ok;
  double* block = NewDoubles(size, ok);
  if (!ok)
    return 0;
  DelDoubles(_spectral, _spectralSize);
  _spectral = block;
  _spectralSize = size;
  double* values = block;
  double* left = block + p;
  double* right = left + p * m;
  const double top = sigma[order[0]];
  const double eps2 = XelGetDefaultTolerance().GetSingularValueEpsilon();
  _spectralRank = 0;
  for (long k = 0; k < p; k++) {
    const long o = order[k];
    values[k] = sigma[o];
    if (top > 0.0 && sigma[o] > eps2 * top)
      _spectralRank++;
    // A null column has no direction: its left vector is 0 (it holds rounding noise that is
    // not orthogonal to the others).
    const double inv = sigma[o] * sigma[o] > null2 ? 1.0 / sigma[o] : 0.0;
    // Work column o over sigma is a left vector of the work matrix; V's column o the right one.
    double* workSide = trans ? right + k * n : left + k * m;
    double* rotSide = trans ? left + k * m : right + k * n;
    for (long i = 0; i < rows; i++)
      workSide[i] = a[o * rows + i] * inv;
    for (long i = 0; i < p; i++)
      rotSide[i] = vv[o * p + i];
  }
  _spectralKind = 1;
  _spectralCount = p;
  if (oValues)
    for (long k = 0; k < std::min(iCount, p); k++)
      oValues[k] = values[k];
  return p;
} catch (const std::bad_alloc&) {
  return 0; // the dense work copy could not be served
}

const double* XelMathMxNBandMatrix::GetSingularValues(long& oCount) const {
  oCount = _spectralKind == 1 ? _spectralCount : 0;
  return oCount > 0 ? _spectral : nullptr;
}

const double* XelMathMxNBandMatrix::GetONRange(long& oRank) const {
  oRank = _spectralKind == 1 ? _spectralRank : 0;
  return _spectralKind == 1 ? _spectral + _spectralCount : nullptr;
}

long XelMathMxNBandMatrix::SymmetricEigenSystem(long iCount) try {
  const long n = _nbCols;
  if (_mode == 3 || n == 0 || _nbRows != n || !ProductFits(n, n))
    return 0;
  std::vector<double> s(static_cast<std::size_t>(n * n)), v(static_cast<std::size_t>(n * n));
  double frob = 0.0;
  for (long i = 0; i < n; i++)
    for (long j = 0; j < n; j++) {
      s[i * n + j] = 0.5 * (GetCoef(i, j) + GetCoef(j, i));
      frob += s[i * n + j] * s[i * n + j];
      v[i * n + j] = i == j ? 1.0 : 0.0;
    }
  // Cyclic Jacobi: each rotation zeroes (p, q); sweeps end when no coefficient is above
  // rounding level of the matrix norm.
  const double tiny = 1e-17 * std::sqrt(frob);
  bool converged = false;
  for (int sweep = 0; sweep < 100 && !converged; sweep++) {
    converged = true;
    for (long p = 0; p < n; p++)
      for (long q = p + 1; q < n; q++) {
        const double apq = s[p * n + q];
        if (std::fabs(apq) <= tiny)
          continue;
        converged = false;
        const double theta = (s[q * n + q] - s[p * n + p]) / (2.0 * apq);
        const double t = (theta >= 0 ? 1.0 : -1.0) / (std::fabs(theta) + std::hypot(theta, 1.0));
        const double c = 1.0 / std::hypot(t, 1.0), sn = t * c;
        for (long k = 0; k < n; k++) {
          const double x = s[k * n + p], y = s[k * n + q];
          s[k * n + p] = c * x - sn * y;
          s[k * n + q] = sn * x + c * y;
        }
        for (long k = 0; k < n; k++) {
          const double x = s[p * n + k], y = s[q * n + k];
          s[p * n + k] = c * x - sn * y;
          s[q * n + k] = sn * x + c * y;
        }
        for (long k = 0; k < n; k++) {
          const double x = v[k * n + p], y = v[k * n + q];
          v[k * n + p] = c * x - sn * y;
          v[k * n + q] = sn * x + c * y;
        }
      }
  }
  if (!converged)
    return 0;
  std::vector<long> order(static_cast<std::size_t>(n));
  for (long k = 0; k < n; k++)
    order[k] = k;
  std::stable_sort(order.begin(), order.end(),
                   [&](long x, long y) { return s[x * n + x] < s[y * n + y]; });
  const long count = (iCount <= 0 || iCount > n) ? n : iCount;
  bool ok;
  double* block = NewDoubles(count + count * n, ok);
  if (!ok)
    return 0;
  DelDoubles(_spectral, _spectralSize);
  _spectral = block;
  _spectralSize = count + count * n;
  for (long k = 0; k < count; k++) {
    const long o = order[k];
    block[k] = s[o * n + o];
    for (long i = 0; i < n; i++)
      block[count + k * n + i] = v[i * n + o];
  }
  _spectralKind = 2;
  _spectralCount = count;
  _spectralRank = count;
  return count;
} catch (const std::bad_alloc&) {
  return 0; // the dense work copy could not be served
}

const double* XelMathMxNBandMatrix::GetEigenValues(long& oCount) const {
  oCount = _spectralKind == 2 ? _spectralCount : 0;
  return oCount > 0 ? _spectral : nullptr;
}

const double* XelMathMxNBandMatrix::GetEigenVectors(long& oCount) const {
  oCount = _spectralKind == 2 ? _spectralCount : 0;
  return oCount > 0 ? _spectral + _spectralCount : nullptr;
}

double XelMathMxNBandMatrix::SVFunc(const double* iB, long k) const {
  const long m = _nbRows, p = _spectralCount;
  if (_spectralKind != 1 || !iB || k < 0 || k > p || k >= m)
    return XelMathInfinite;
  // |b - U_k U_k^T b|^2 = |b_perp|^2 + sum over i >= k of (u_i . b)^2, b_perp the part of b
  // outside the span of all p left vectors (computed directly, without cancellation).
  const double* left = _spectral + p;
  std::vector<double> b(static_cast<std::size_t>(m));
  for (long i = 0; i < m; i++)
    b[i] = std::sqrt(std::fabs(RowWeight(i))) * iB[i];
  std::vector<double> perp(b);
  double tail = 0.0;
  for (long q = 0; q < p; q++) {
    double beta = 0.0;
    for (long i = 0; i < m; i++)
      beta += left[q * m + i] * b[i];
    for (long i = 0; i < m; i++)
      perp[i] -= beta * left[q * m + i];
    if (q >= k)
      tail += beta * beta;
  }
  double r2 = tail;
  for (long i = 0; i < m; i++)
    r2 += perp[i] * perp[i];
  const double dof = static_cast<double>(m - k);
  return r2 / (dof * dof);
}

long XelMathMxNBandMatrix::SmoothIndices(const double* iB, double* oX) {
  if (_spectralKind != 1 || !iB || _spectralRank == 0)
    return 0;
  const long m = _nbRows, n = _nbCols, p = _spectralCount;
  long best = 0;
  double bestValue = XelMathInfinite;
  for (long k = 1; k <= _spectralRank; k++) {
    const double g = SVFunc(iB, k);
    if (g < bestValue) {
      bestValue = g;
      best = k;
    }
  }
  if (best == 0)
    best = _spectralRank; // square systems: no residual degree of freedom left
  if (oX) {
    const double* left = _spectral + p;
    const double* right = left + p * m;
    for (long j = 0; j < n; j++)
      oX[j] = 0.0;
    for (long q = 0; q < best; q++) {
      double beta = 0.0;
      for (long i = 0; i < m; i++)
        beta += left[q * m + i] * std::sqrt(std::fabs(RowWeight(i))) * iB[i];
      const double coef = beta / _spectral[q];
      for (long j = 0; j < n; j++)
        oX[j] += coef * right[q * n + j];
    }
  }
  return best;
}
