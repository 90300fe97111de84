#include "XelMathPiecewiseX.h"

#include <cmath>
#include <cstring>

#include "XelError.h"
#include "XelMathBatchTools.h"
#include "XelMathConstants.h"
#include "XelMathCubicX.h"
#include "XelMathElementaryTools.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathLinearX.h"
#include "XelMathSetOfPointsND.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathElementary;

namespace {
// Pieces handled with local work arrays; beyond, the arrays are allocated.
const long LocalPieces = 20;

// Work array of function pointers: on the stack up to LocalPieces, on the heap beyond.
class FunctionBuffer {
public:
  explicit FunctionBuffer(const long iN)
      : _size(iN > 0 ? iN : 0), _data(_size > LocalPieces ? new XelMathFunctionX*[_size] : _local) {
    for (long i = 0; i < _size; ++i)
      _data[i] = nullptr;
  }
  FunctionBuffer(const FunctionBuffer&) = delete;
  FunctionBuffer& operator=(const FunctionBuffer&) = delete;
  ~FunctionBuffer() {
    if (_data != _local)
      delete[] _data;
  }
  XelMathFunctionX** Get() { return _data; }
  XelMathFunctionX*& operator[](const long i) { return _data[i]; }
  /// Deletes the functions still held (after a failure).
  void DeleteAll() {
    for (long i = 0; i < _size; ++i) {
      delete _data[i];
      _data[i] = nullptr;
    }
  }

private:
  long _size;
  XelMathFunctionX* _local[LocalPieces];
  XelMathFunctionX** _data;
};

// Raises 0x20004 for a number of pieces whose arrays (4 images each) no block of the memory
// services holds, before any border is read or anything is allocated or computed from it.
void CheckPieceCount(const long iN, const char* iWhere) {
  if (iN > XelQuorMaxArrayDoubles / 4)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the number of pieces",
                 "Invalid Number Of Points", iWhere);
}

// Borders iB[0..iN] must increase strictly (NaN fails every comparison and is refused too).
void CheckBorders(const long iN, const double* iB, const char* iWhere) {
  for (long k = 0; k <= iN; ++k)
    if (!(iB[k] == iB[k]) || (k > 0 && !(iB[k - 1] < iB[k])))
      XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ", iWhere);
}

[[noreturn]] void RaiseBadInterpolation(const char* iWhy) {
  XelMathRaise(XelErrorCode::NoTangents, "the points", iWhy,
               "XelMathFunctionX::CreateCubicInterpolation");
}
} // namespace

// ==== construction, arrays =====================================================================
XelMathPiecewiseX::XelMathPiecewiseX(const long iN, const double* iB, const XelMathFunctionX** iG)
    : _cachedPiece(0), _nbPieces(0), _functions(nullptr), _borders(nullptr), _images(nullptr),
      _flags(nullptr), _optionsTrue(0), _lastOptionFalse(-1) {
  const long n = iN > 0 ? iN : 0;
  CheckPieceCount(n, "XelMathPiecewiseX::XelMathPiecewiseX");
  if (n > 0 && (!iB || !iG))
    XelMathRaise(XelErrorCode::InvalidOption, "the borders or the functions", "null",
                 "XelMathPiecewiseX::XelMathPiecewiseX");
  if (iB)
    CheckBorders(n, iB, "XelMathPiecewiseX::XelMathPiecewiseX");
  Allocate(n);
  for (long i = 0; i < n; ++i)
    _functions[i] = iG[i];
  for (long i = 0; i <= n; ++i)
    _borders[i] = iB ? iB[i] : 0.0;
}

XelMathPiecewiseX::XelMathPiecewiseX(const XelMathPiecewiseX& iOther)
    : XelMathFunctionX(iOther), _cachedPiece(0), _nbPieces(0), _functions(nullptr),
      _borders(nullptr), _images(nullptr), _flags(nullptr), _optionsTrue(0), _lastOptionFalse(-1) {
  Allocate(iOther._nbPieces);
  CopyFrom(iOther);
}

XelMathPiecewiseX& XelMathPiecewiseX::operator=(const XelMathPiecewiseX& iOther) {
  if (this != &iOther) {
    Desallocate();
    Allocate(iOther._nbPieces);
    CopyFrom(iOther);
  }
  return *this;
}

XelMathPiecewiseX::~XelMathPiecewiseX() {
  Desallocate();
}

void XelMathPiecewiseX::Allocate(const long iN) {
  const long n = iN > 0 ? iN : 0;
  _nbPieces = n;
  _borders = XelQuorArrayDoubleNew(n + 1);
  if (n > 0) {
    _functions = static_cast<const XelMathFunctionX**>(static_cast<void*>(XelQuorArrayPtrsNew(n)));
    _images = XelQuorArrayDoubleNew(4 * n);
    _flags = XelQuorArrayBytesNew(2 * n);
    std::memset(_flags, 0, size_t(2 * n));
  }
}

void XelMathPiecewiseX::Desallocate() {
  const long n = _nbPieces;
  if (_borders)
    XelQuorArrayDoubleDel(_borders, n + 1);
  if (_functions)
    XelQuorArrayPtrsDel(static_cast<void**>(static_cast<void*>(_functions)), n);
  if (_images)
    XelQuorArrayDoubleDel(_images, 4 * n);
  if (_flags)
    XelQuorArrayBytesDel(_flags, 2 * n);
  _borders = nullptr;
  _functions = nullptr;
  _images = nullptr;
  _flags = nullptr;
  _nbPieces = 0;
}

void XelMathPiecewiseX::CopyFrom(const XelMathPiecewiseX& iOther) {
  const long n = _nbPieces;
  for (long i = 0; i < n; ++i)
    _functions[i] = iOther._functions[i];
  for (long i = 0; i < 4 * n; ++i)
    _images[i] = iOther._images[i];
  for (long i = 0; i < 2 * n; ++i)
    _flags[i] = iOther._flags[i];
  for (long i = 0; i <= n; ++i)
    _borders[i] = iOther._borders[i];
  _cachedPiece = iOther._cachedPiece;
  _optionsTrue = iOther._optionsTrue;
  _lastOptionFalse = iOther._lastOptionFalse;
}

void XelMathPiecewiseX::ResetOptionCache() const {
  _optionsTrue = 0;
  _lastOptionFalse = -1;
}

void XelMathPiecewiseX::ReleaseFunction(const XelMathFunctionX*) {}

long XelMathPiecewiseX::GetDynamicMemoryBytes() const {
  const long n = _nbPieces;
  return long(n * sizeof(void*)) + 32 * n + 2 * n + long((n + 1) * sizeof(double));
}

long XelMathPiecewiseX::GetStaticMemoryBytes() const {
  return long(sizeof(*this));
}

// ==== names, options =============================================================================
XelMathDefineIdentity(XelMathPiecewiseX, XelMathFunctionX);

unsigned char XelMathPiecewiseX::IsOption(const long iOption) const {
  if (iOption == _lastOptionFalse)
    return 0;
  if ((iOption & ~_optionsTrue) == 0)
    return 1;
  for (long i = 0; i < _nbPieces; ++i) {
    if (!_functions[i] || !_functions[i]->IsOption(iOption)) {
      _lastOptionFalse = iOption;
      return 0;
    }
  }
  _optionsTrue |= iOption;
  return 1;
}

int XelMathPiecewiseX::GetDirectComponents(const int iSize,
                                           const XelMathFunctionGeneral** oComponents) const {
  if (oComponents)
    for (long i = 0; i < _nbPieces && i < iSize; ++i)
      oComponents[i] = _functions[i];
  return int(_nbPieces);
}

XelMathDefineTypeId(XelMathPiecewiseX, XelMathFunctionX, XelMathTypeId::Piecewise);

XelMathDefineStreamable(XelMathPiecewiseX);

// ==== pieces =====================================================================================
void XelMathPiecewiseX::GetFunction(const long i, const XelMathFunctionX*& oG,
                                    XelMathInterval& oDomain) const {
  if (i < 0 || i >= _nbPieces)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", " ", "XelMathPiecewiseX::GetFunction");
  oG = _functions[i];
  oDomain = XelMathInterval(_borders[i], _borders[i + 1]);
}

double XelMathPiecewiseX::GetBorder(const long i) const {
  if (i < 0 || i > _nbPieces)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", " ", "XelMathPiecewiseX::GetBorder");
  return _borders[i];
}

void XelMathPiecewiseX::GlobalToLocal(const double& x, long& oPiece, double& oLocal) const {
  const long n = _nbPieces;
  long piece = 0;
  if (n > 1) {
    if (_PieceWiseX_Dev && x == x) {
      // Sequential search from the last piece found.
      piece = _cachedPiece;
      if (piece < 0 || piece >= n)
        piece = 0;
      while (piece > 0 && !(x > _borders[piece]))
        --piece;
      while (piece < n - 1 && x > _borders[piece + 1])
        ++piece;
    } else {
      long lo = 0, hi = n - 1;
      while (lo != hi) {
        const long mid = (lo + hi) / 2;
        if (x > _borders[mid + 1])
          lo = mid + 1;
        else
          hi = mid;
      }
      piece = lo;
    }
  }
  _cachedPiece = piece;
  oPiece = piece;
  oLocal = x - _borders[piece];
}

void XelMathPiecewiseX::ChangeFirstFunction(const double iX0, const XelMathFunctionX* iG) {
  if (_nbPieces <= 0)
    return;
  if (!(iX0 < _borders[1]))
    XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ",
                 "XelMathPiecewiseX::ChangeFirstFunction");
  if (_functions[0] != iG)
    ReleaseFunction(_functions[0]);
  _functions[0] = iG;
  _borders[0] = iX0;
  _flags[0] = 0;
  _flags[1] = 0;
  ResetOptionCache();
}

void XelMathPiecewiseX::ChangeLastBorder(const double iB) {
  if (!(iB == iB) || (_nbPieces > 0 && !(_borders[_nbPieces - 1] < iB)))
    XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ",
                 "XelMathPiecewiseX::ChangeLastBorder");
  _borders[_nbPieces] = iB;
  if (_nbPieces > 0) {
    _flags[2 * (_nbPieces - 1)] = 0;
    _flags[2 * (_nbPieces - 1) + 1] = 0;
  }
}

void XelMathPiecewiseX::Extrapol(const long iNbBefore, const double* iBordersBefore,
                                 const XelMathFunctionX** iFunctionsBefore, const long iNbAfter,
                                 const double* iBordersAfter,
                                 const XelMathFunctionX** iFunctionsAfter) {
  const long nb = iNbBefore > 0 ? iNbBefore : 0, na = iNbAfter > 0 ? iNbAfter : 0;
  CheckPieceCount(nb, "XelMathPiecewiseX::Extrapol");
  CheckPieceCount(na, "XelMathPiecewiseX::Extrapol");
  CheckPieceCount(_nbPieces + nb + na, "XelMathPiecewiseX::Extrapol");
  if ((nb > 0 && (!iBordersBefore || !iFunctionsBefore)) ||
      (na > 0 && (!iBordersAfter || !iFunctionsAfter)))
    XelMathRaise(XelErrorCode::InvalidOption, "the borders or the functions", "null",
                 "XelMathPiecewiseX::Extrapol");
  // The new borders must continue the partition.
  for (long k = 0; k < nb; ++k) {
    const double next = k + 1 < nb ? iBordersBefore[k + 1] : _borders[0];
    if (!(iBordersBefore[k] < next))
      XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ",
                   "XelMathPiecewiseX::Extrapol");
  }
  for (long k = 0; k < na; ++k) {
    const double previous = k > 0 ? iBordersAfter[k - 1] : _borders[_nbPieces];
    if (!(previous < iBordersAfter[k]))
      XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ",
                   "XelMathPiecewiseX::Extrapol");
  }
  if (nb == 0 && na == 0)
    return;
  XelMathPiecewiseX old(*this);
  Desallocate();
  Allocate(old._nbPieces + nb + na);
  const long n = _nbPieces;
  for (long k = 0; k < nb; ++k) {
    _functions[k] = iFunctionsBefore[k];
    _borders[k] = iBordersBefore[k];
  }
  for (long i = 0; i < old._nbPieces; ++i) {
    _functions[nb + i] = old._functions[i];
    for (int q = 0; q < 4; ++q)
      _images[4 * (nb + i) + q] = old._images[4 * i + q];
    _flags[2 * (nb + i)] = old._flags[2 * i];
    _flags[2 * (nb + i) + 1] = old._flags[2 * i + 1];
  }
  for (long i = 0; i <= old._nbPieces; ++i)
    _borders[nb + i] = old._borders[i];
  for (long k = 0; k < na; ++k) {
    _functions[nb + old._nbPieces + k] = iFunctionsAfter[k];
    _borders[nb + old._nbPieces + 1 + k] = iBordersAfter[k];
  }
  // The pieces that were first or last now have neighbours: their caches stay valid, being
  // images over their own local domains.
  _cachedPiece = old._cachedPiece + nb < n ? old._cachedPiece + nb : 0;
  ResetOptionCache();
}

void XelMathPiecewiseX::Unextrapol(const long iNbBefore, const long iNbAfter) {
  long nb = iNbBefore > 0 ? iNbBefore : 0, na = iNbAfter > 0 ? iNbAfter : 0;
  if (nb > _nbPieces)
    nb = _nbPieces;
  if (na > _nbPieces - nb)
    na = _nbPieces - nb;
  if (nb == 0 && na == 0)
    return;
  XelMathPiecewiseX old(*this);
  for (long k = 0; k < nb; ++k)
    ReleaseFunction(old._functions[k]);
  for (long k = old._nbPieces - na; k < old._nbPieces; ++k)
    ReleaseFunction(old._functions[k]);
  Desallocate();
  Allocate(old._nbPieces - nb - na);
  const long n = _nbPieces;
  for (long i = 0; i < n; ++i) {
    _functions[i] = old._functions[nb + i];
    for (int q = 0; q < 4; ++q)
      _images[4 * i + q] = old._images[4 * (nb + i) + q];
    _flags[2 * i] = old._flags[2 * (nb + i)];
    _flags[2 * i + 1] = old._flags[2 * (nb + i) + 1];
  }
  for (long i = 0; i <= n; ++i)
    _borders[i] = old._borders[nb + i];
  _cachedPiece = 0;
  ResetOptionCache();
}

// ==== point evaluations ==========================================================================
const XelMathFunctionX* XelMathPiecewiseX::PieceAt(const double x, double& oLocal) const {
  if (_nbPieces <= 0)
    return nullptr;
  long i;
  GlobalToLocal(x, i, oLocal);
  return _functions[i];
}

double XelMathPiecewiseX::Eval(const double& x) const {
  double t;
  const XelMathFunctionX* g = PieceAt(x, t);
  return g ? g->Eval(t) : XelMathInfinite;
}

double XelMathPiecewiseX::EvalFirstDeriv(const double& x) const {
  double t;
  const XelMathFunctionX* g = PieceAt(x, t);
  return g ? g->EvalFirstDeriv(t) : XelMathInfinite;
}

double XelMathPiecewiseX::EvalSecondDeriv(const double& x) const {
  double t;
  const XelMathFunctionX* g = PieceAt(x, t);
  return g ? g->EvalSecondDeriv(t) : XelMathInfinite;
}

double XelMathPiecewiseX::EvalThirdDeriv(const double& x) const {
  double t;
  const XelMathFunctionX* g = PieceAt(x, t);
  return g ? g->EvalThirdDeriv(t) : XelMathInfinite;
}

void XelMathPiecewiseX::Eval(const double x, const long iOptions, double* oF, double* oF1,
                             double* oF2) const {
  double t = x;
  const XelMathFunctionX* g = PieceAt(x, t);
  if (g) {
    g->Eval(t, iOptions, oF, oF1, oF2);
    return;
  }
  if (oF && (iOptions & XelMathOption::Value))
    *oF = XelMathInfinite;
  if (oF1 && (iOptions & XelMathOption::FirstDeriv))
    *oF1 = XelMathInfinite;
  if (oF2 && (iOptions & XelMathOption::SecondDeriv))
    *oF2 = XelMathInfinite;
}

void XelMathPiecewiseX::EvalBatch(const long iN, const double* iX, const long iOptions, double* oF,
                                   double* oF1, double* oF2) const {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  if (iN < 1 || !asked.Any())
    return;
  XelMathBatch::ForEachChunk(iN, [&](const long iStart, const long iCount) {
    double t[Chunk];
    const XelMathFunctionX* g[Chunk];
    for (long j = 0; j < iCount; j++) {
      t[j] = iX[iStart + j];
      g[j] = PieceAt(iX[iStart + j], t[j]);
    }
    // One batch per run of consecutive points in the same piece.
    for (long j = 0; j < iCount;) {
      long end = j + 1;
      while (end < iCount && g[end] == g[j])
        end++;
      const long at = iStart + j;
      if (g[j])
        g[j]->EvalPoints(end - j, t + j, iOptions, asked.f ? oF + at : nullptr,
                         asked.f1 ? oF1 + at : nullptr, asked.f2 ? oF2 + at : nullptr);
      else
        XelMathBatch::Fill(asked, end - j, XelMathInfinite, asked.f ? oF + at : nullptr,
                           asked.f1 ? oF1 + at : nullptr, asked.f2 ? oF2 + at : nullptr);
      j = end;
    }
  });
}

// ==== interval evaluations =======================================================================
XelMathInterval XelMathPiecewiseX::PieceImage(const long i, const XelMathInterval& iLocal,
                                              const XelMathCommand iCommand) const {
  const XelMathFunctionX* g = _functions[i];
  if (!g)
    return XelMathInterval();
  switch (iCommand) {
  case CommandFirstDeriv:
    return g->EvalFirstDeriv(iLocal);
  case CommandSecondDeriv:
    return g->EvalSecondDeriv(iLocal);
  case CommandThirdDeriv:
    return g->EvalThirdDeriv(iLocal);
  case CommandValue:
  default:
    return g->Eval(iLocal);
  }
}

XelMathInterval XelMathPiecewiseX::WholePieceImage(const long i,
                                                   const XelMathCommand iCommand) const {
  const XelMathInterval local(0.0, _borders[i + 1] - _borders[i]);
  if (iCommand != CommandValue && iCommand != CommandFirstDeriv)
    return PieceImage(i, local, iCommand);
  const long slot = iCommand == CommandValue ? 0 : 1;
  if (!_flags[2 * i + slot]) {
    const XelMathInterval r = PieceImage(i, local, iCommand);
    _images[4 * i + 2 * slot] = r.low;
    _images[4 * i + 2 * slot + 1] = r.high;
    _flags[2 * i + slot] = 1;
  }
  return XelMathInterval(_images[4 * i + 2 * slot], _images[4 * i + 2 * slot + 1]);
}

XelMathInterval XelMathPiecewiseX::EvalInterval(const XelMathInterval& iI,
                                                const XelMathCommand iCommand) const {
  if (_nbPieces <= 0)
    return XelMathInterval();
  long i, j;
  double tl, th;
  GlobalToLocal(iI.low, i, tl);
  GlobalToLocal(iI.high, j, th);
  if (j <= i)
    return PieceImage(i, XelMathInterval(tl, th), iCommand);
  XelMathInterval r = PieceImage(i, XelMathInterval(tl, _borders[i + 1] - _borders[i]), iCommand);
  for (long k = i + 1; k < j; ++k)
    r = Hull(r, WholePieceImage(k, iCommand));
  return Hull(r, PieceImage(j, XelMathInterval(0.0, th), iCommand));
}

void XelMathPiecewiseX::Eval(const XelMathInterval& iI, const long iOptions, XelMathInterval* oF,
                             XelMathInterval* oF1, XelMathInterval* oF2) const {
  if (oF && (iOptions & XelMathOption::Image))
    *oF = EvalInterval(iI, CommandValue);
  if (oF1 && (iOptions & XelMathOption::FirstDerivImage))
    *oF1 = EvalInterval(iI, CommandFirstDeriv);
  if (oF2 && (iOptions & XelMathOption::SecondDerivImage))
    *oF2 = EvalInterval(iI, CommandSecondDeriv);
}

XelMathInterval XelMathPiecewiseX::ComputeOptimalImage(const XelMathInterval& iI,
                                                       const XelTolerance& iTol) const {
  if (_nbPieces <= 0)
    return XelMathInterval();
  long i, j;
  double tl, th;
  GlobalToLocal(iI.low, i, tl);
  GlobalToLocal(iI.high, j, th);
  const auto image = [this, &iTol](const long k, const XelMathInterval& iLocal) {
    const XelMathFunctionX* g = _functions[k];
    return g ? g->ComputeOptimalImage(iLocal, iTol) : XelMathInterval();
  };
  if (j <= i)
    return image(i, XelMathInterval(tl, th));
  XelMathInterval r = image(i, XelMathInterval(tl, _borders[i + 1] - _borders[i]));
  for (long k = i + 1; k < j; ++k)
    r = Hull(r, image(k, XelMathInterval(0.0, _borders[k + 1] - _borders[k])));
  return Hull(r, image(j, XelMathInterval(0.0, th)));
}

XelMathInterval XelMathPiecewiseX::Eval(const XelMathInterval& iI) const {
  return EvalInterval(iI, CommandValue);
}

XelMathInterval XelMathPiecewiseX::EvalFirstDeriv(const XelMathInterval& iI) const {
  return EvalInterval(iI, CommandFirstDeriv);
}

XelMathInterval XelMathPiecewiseX::EvalSecondDeriv(const XelMathInterval& iI) const {
  return EvalInterval(iI, CommandSecondDeriv);
}

XelMathInterval XelMathPiecewiseX::EvalThirdDeriv(const XelMathInterval& iI) const {
  return EvalInterval(iI, CommandThirdDeriv);
}

// ==== copies, construction, analyses ============================================================
XelMathFunctionX* XelMathPiecewiseX::Duplicate() const {
  return new XelMathPiecewiseX(*this);
}

XelMathFunctionX* XelMathPiecewiseX::DeepDuplicate() const {
  FunctionBuffer copies(_nbPieces);
  auto undo = XelMathMakeOnExit([&copies] { copies.DeleteAll(); });
  for (long i = 0; i < _nbPieces; ++i)
    copies[i] = _functions[i] ? _functions[i]->DeepDuplicate() : nullptr;
  XelMathFunctionX* result = new XelMathPiecewiseXDel(_nbPieces, _borders, copies.Get());
  undo.Dismiss();
  return result;
}

XelMathFunctionX* XelMathPiecewiseX::CreateDeriv() const {
  FunctionBuffer derivatives(_nbPieces);
  auto undo = XelMathMakeOnExit([&derivatives] { derivatives.DeleteAll(); });
  for (long i = 0; i < _nbPieces; ++i) {
    derivatives[i] = _functions[i] ? _functions[i]->CreateDeriv() : nullptr;
    if (!derivatives[i]) {
      derivatives.DeleteAll();
      return XelMathFunctionX::CreateDeriv();
    }
  }
  XelMathFunctionX* result = new XelMathPiecewiseXDel(_nbPieces, _borders, derivatives.Get());
  undo.Dismiss();
  return result;
}

double XelMathPiecewiseX::IntegrateAbsOrRel(const XelMathInterval& iI, double iEps,
                                            unsigned char iRelative) const {
  if (_nbPieces <= 0 || !(iI.low == iI.low) || !(iI.high == iI.high))
    return 0.0;
  if (iI.low > iI.high)
    return -IntegrateAbsOrRel(XelMathInterval(iI.high, iI.low), iEps, iRelative);
  long i, j;
  double tl, th;
  GlobalToLocal(iI.low, i, tl);
  GlobalToLocal(iI.high, j, th);
  // An absolute tolerance is shared among the pieces; a relative one holds for each.
  const double eps = iRelative ? iEps : iEps / double(j - i + 1);
  double sum = 0.0;
  for (long k = i; k <= j; ++k) {
    if (!_functions[k])
      return XelMathInfinite;
    const double a = k == i ? tl : 0.0;
    const double b = k == j ? th : _borders[k + 1] - _borders[k];
    sum += _functions[k]->IntegrateAbsOrRel(XelMathInterval(a, b), eps, iRelative);
  }
  return sum;
}

XelMathFunctionX* XelMathPiecewiseX::FormalCombination(const long iN, const XelMathFunctionX** iF,
                                                       const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC)
    return nullptr;
  const double resolution = XelGetDefaultTolerance().GetParametricResolution();
  const long n = _nbPieces;
  for (long f = 0; f < iN; ++f) {
    if (!iF[f] || !iF[f]->IsATypeOf(XelMathTypeId::Piecewise))
      return nullptr;
    const XelMathPiecewiseX* p = static_cast<const XelMathPiecewiseX*>(iF[f]);
    if (p->_nbPieces != n)
      return nullptr;
    for (long k = 0; k <= n; ++k)
      if (!(std::fabs(p->_borders[k] - _borders[k]) <= resolution * (1.0 + std::fabs(_borders[k]))))
        return nullptr;
    for (long k = 0; k < n; ++k)
      if (!p->_functions[k])
        return nullptr;
  }
  FunctionBuffer combined(n);
  auto undo = XelMathMakeOnExit([&combined] { combined.DeleteAll(); });
  for (long k = 0; k < n; ++k) {
    // The terms of piece k, one per function combined (iN may exceed n: own buffer).
    FunctionBuffer column(iN);
    for (long f = 0; f < iN; ++f)
      column[f] = const_cast<XelMathFunctionX*>(
          static_cast<const XelMathPiecewiseX*>(iF[f])->_functions[k]);
    const XelMathFunctionX** c = const_cast<const XelMathFunctionX**>(column.Get());
    // Only closed forms: a general combination would point into the pieces of the
    // operands, which the result does not own and may outlive.
    combined[k] = c[0]->FormalCombination(iN, c, iC, iC0);
    if (!combined[k])
      return nullptr;
  }
  XelMathFunctionX* result = new XelMathPiecewiseXDel(n, _borders, combined.Get());
  undo.Dismiss();
  return result;
}

// ==== owning variant
// ==============================================================================
XelMathPiecewiseXDel::XelMathPiecewiseXDel(const long iN, const double* iB, XelMathFunctionX** iG)
    : XelMathPiecewiseX(iN, iB, const_cast<const XelMathFunctionX**>(iG)) {}

XelMathPiecewiseXDel::~XelMathPiecewiseXDel() {
  for (long i = 0; i < _nbPieces; ++i) {
    delete _functions[i];
    _functions[i] = nullptr;
  }
}

XelMathDefineIdentity(XelMathPiecewiseXDel, XelMathPiecewiseX);

void XelMathPiecewiseXDel::ReleaseFunction(const XelMathFunctionX* iG) {
  delete iG;
}

// ==== cubic interpolation ========================================================================
XelMathFunctionX* XelMathFunctionX::CreateCubicInterpolation(const long iN, const double* iX,
                                                             const double* iY,
                                                             const XelTolerance&) {
  // Refused before any entry is read: n - 1 pieces must be possible.
  if (iN < 1 || iN - 1 > XelQuorMaxArrayDoubles / 4 || !iX || !iY)
    RaiseBadInterpolation("Invalid Number Of Points");
  for (long i = 0; i < iN; ++i) {
    if (!std::isfinite(iX[i]) || !std::isfinite(iY[i]))
      RaiseBadInterpolation("not finite");
    if (i > 0 && !(iX[i] > iX[i - 1]))
      RaiseBadInterpolation("abscissae not strictly increasing");
  }
  if (iN == 1)
    return new XelMathLinearX(0.0, iY[0]);
  if (iN == 2) {
    const double slope = (iY[1] - iY[0]) / (iX[1] - iX[0]);
    return new XelMathLinearX(slope, iY[0] - slope * iX[0]);
  }
  // Tangents dy/dx: the values as a curve of dimension 1 parametrised by the abscissae.
  XelMathSetOfPointsND values(1, iN), parameters(1, iN), tangents(1, iN);
  for (long i = 0; i < iN; ++i) {
    values.AddPoint(iY + i);
    parameters.AddPoint(iX + i);
  }
  values.ComputeTangents(tangents, &parameters);
  if (tangents.GetNumberOfPoints() != iN)
    RaiseBadInterpolation("tangents not computed");
  const double* d = tangents.GetPoints();
  const long n = iN - 1;
  FunctionBuffer cubics(n);
  auto undo = XelMathMakeOnExit([&cubics] { cubics.DeleteAll(); });
  for (long i = 0; i < n; ++i)
    cubics[i] = new XelMathCubicX(iY[i], d[i], iY[i + 1], d[i + 1], iX[i + 1] - iX[i]);
  XelMathFunctionX* result = new XelMathPiecewiseXDel(n, iX, cubics.Get());
  undo.Dismiss();
  return result;
}
