#include "XelMathPiecewiseXY.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>

#include "XelError.h"
#include "XelMathCompositeTools.h"
#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathGlobals.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathWrapperToolsXY.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathElementary;

namespace {
const char* const PiecewiseXYName = "XelMathPiecewiseXY::XelMathPiecewiseXY";

// First-order Taylor extension of a patch function f across the edge a = iEdgeX (when
// iAlongX), across the edge b = iEdgeY (when iAlongY), or across the corner of both, in the
// patch's local parameters (a, b):
//   along x: f(ex, b) + t fx(ex, b), t = a - ex;
//   along y: f(a, ey) + s fy(a, ey), s = b - ey;
//   corner:  f + t fx + s fy + t s fxy, all at (ex, ey).
// Derivatives are exact, except the one third derivative along the edge that needs a fourth
// derivative of f (a centred difference of f's third derivative, step XelMathh3). The
// extension points to f, which it does not own.
class PatchExtension : public XelMathFunctionXY {
public:
  PatchExtension(const XelMathFunctionXY* iF, const bool iAlongX, const double iEdgeX,
                 const bool iAlongY, const double iEdgeY)
      : _f(iF), _alongX(iAlongX), _alongY(iAlongY), _edgeX(iEdgeX), _edgeY(iEdgeY) {}

  const char* IsA() const override { return "XelMathPiecewiseXYExtension"; }
  unsigned char IsAKindOf(const char* iName) const override {
    return (iName && SameName(iName, IsA())) ? 1 : XelMathFunctionXY::IsAKindOf(iName);
  }
  long GetStaticMemoryBytes() const override { return static_cast<long>(sizeof(*this)); }
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override {
    if (oComponents && iSize > 0)
      oComponents[0] = _f;
    return 1;
  }
  unsigned char IsOption(const long iOption) const override {
    if (!_f || (iOption & (XelMathOption::FirstDerivImage | XelMathOption::SecondDerivImage |
                           XelMathOption::ThirdDerivImage)))
      return 0;
    const bool corner = _alongX && _alongY;
    if ((iOption & XelMathOption::ThirdDeriv) && !corner)
      return 0;
    long needed = 0;
    if (iOption & (XelMathOption::Value | XelMathOption::FirstDeriv | XelMathOption::SecondDeriv |
                   XelMathOption::ThirdDeriv))
      needed |= corner ? XelMathOption::FirstAndSecond
                       : (XelMathOption::FirstAndSecond | XelMathOption::ThirdDeriv);
    if ((iOption & XelMathOption::Image) && !corner)
      needed |= XelMathOption::ImageAndFirst;
    return needed ? _f->IsOption(needed) : 1;
  }
  const XelMathFunctionXY* GetBase() const { return _f; }
  PatchExtension* OnBase(const XelMathFunctionXY* iF) const {
    return new PatchExtension(iF, _alongX, _edgeX, _alongY, _edgeY);
  }

  using XelMathFunctionXY::Eval;
  using XelMathFunctionXY::EvalFirstDerivX;
  using XelMathFunctionXY::EvalFirstDerivY;
  using XelMathFunctionXY::EvalSecondDerivX2;
  using XelMathFunctionXY::EvalSecondDerivXY;
  using XelMathFunctionXY::EvalSecondDerivY2;
  double Eval(const double& a, const double& b) const override { return At(a, b, 0, 0); }
  double EvalFirstDerivX(const double& a, const double& b) const override { return At(a, b, 1, 1); }
  double EvalFirstDerivY(const double& a, const double& b) const override { return At(a, b, 1, 2); }
  double EvalSecondDerivX2(const double& a, const double& b) const override {
    return At(a, b, 2, 3);
  }
  double EvalSecondDerivXY(const double& a, const double& b) const override {
    return At(a, b, 2, 4);
  }
  double EvalSecondDerivY2(const double& a, const double& b) const override {
    return At(a, b, 2, 5);
  }
  double EvalThirdDerivX3(const double& a, const double& b) const override {
    return At(a, b, 3, 6);
  }
  double EvalThirdDerivX2Y(const double& a, const double& b) const override {
    return At(a, b, 3, 7);
  }
  double EvalThirdDerivXY2(const double& a, const double& b) const override {
    return At(a, b, 3, 8);
  }
  double EvalThirdDerivY3(const double& a, const double& b) const override {
    return At(a, b, 3, 9);
  }
  void Eval(const double& a, const double& b, const long iDiff, double* oF, double* oFx,
            double* oFy, double* oFxx, double* oFxy, double* oFyy) const override {
    const bool wantF = (iDiff & XelMathOption::Value) && oF;
    const bool wantD1 = (iDiff & XelMathOption::FirstDeriv) && oFx && oFy;
    const bool wantD2 = (iDiff & XelMathOption::SecondDeriv) && oFxx && oFxy && oFyy;
    if (!wantF && !wantD1 && !wantD2)
      return;
    double e[10];
    Compute(a, b, wantD2 ? 2 : wantD1 ? 1 : 0, e);
    if (wantF)
      *oF = e[0];
    if (wantD1) {
      *oFx = e[1];
      *oFy = e[2];
    }
    if (wantD2) {
      *oFxx = e[3];
      *oFxy = e[4];
      *oFyy = e[5];
    }
  }

  XelMathInterval Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                       const XelTolerance& iTol) const override {
    if (!_f)
      return Infinite();
    const XelMathInterval t = Shift(iI, -_edgeX), s = Shift(iJ, -_edgeY);
    if (_alongX && _alongY) {
      double d[10];
      XelMathWrapperXY::DerivativesAt(_f, _edgeX, _edgeY, 2, d);
      const XelMathInterval linear = Add(Shift(Scale(d[1], t), d[0]), Scale(d[2], s));
      return Add(linear, Scale(d[4], Mul(t, s)));
    }
    if (!_f->IsOption(XelMathOption::ImageAndFirst))
      return BaseComputeOptimalImage(iI, iJ, iTol);
    if (_alongX) {
      const XelMathInterval edge(_edgeX, _edgeX);
      return Add(_f->Eval(edge, iJ, iTol), Mul(t, _f->EvalFirstDerivX(edge, iJ)));
    }
    const XelMathInterval edge(_edgeY, _edgeY);
    return Add(_f->Eval(iI, edge, iTol), Mul(s, _f->EvalFirstDerivY(iI, edge)));
  }

  XelMathFunctionXY* Duplicate() const override { return OnBase(_f); }

private:
  double At(const double a, const double b, const int iOrder, const int iIndex) const {
    double e[10];
    Compute(a, b, iOrder, e);
    return e[iIndex];
  }

  // The extension's value and derivatives up to iOrder at (a, b) into oE (order of
  // XelMathWrapperXY::DerivativesAt).
  void Compute(const double a, const double b, const int iOrder, double* oE) const {
    for (int k = 0; k < 10; ++k)
      oE[k] = _f ? 0.0 : XelMathInfinite;
    if (!_f)
      return;
    double d[10];
    const double t = a - _edgeX, s = b - _edgeY;
    if (_alongX && _alongY) {
      XelMathWrapperXY::DerivativesAt(_f, _edgeX, _edgeY, 2, d);
      oE[0] = d[0] + t * d[1] + s * d[2] + t * s * d[4];
      oE[1] = d[1] + s * d[4];
      oE[2] = d[2] + t * d[4];
      oE[4] = d[4];
      return;
    }
    // One order of f more than asked for: the extension's derivatives carry t or s times a
    // derivative of f one order higher.
    const int order = iOrder + 1 > 3 ? 3 : iOrder + 1;
    if (_alongX) {
      XelMathWrapperXY::DerivativesAt(_f, _edgeX, b, order, d);
      oE[0] = d[0] + t * d[1];
      oE[1] = d[1];
      if (iOrder >= 1)
        oE[2] = d[2] + t * d[4];
      if (iOrder >= 2) {
        oE[4] = d[4];
        oE[5] = d[5] + t * d[8];
      }
      if (iOrder >= 3) {
        oE[8] = d[8];
        const double fxyyy = (_f->EvalThirdDerivXY2(_edgeX, b + XelMathh3) -
                              _f->EvalThirdDerivXY2(_edgeX, b - XelMathh3)) /
                             (2.0 * XelMathh3);
        oE[9] = d[9] + t * fxyyy;
      }
      return;
    }
    XelMathWrapperXY::DerivativesAt(_f, a, _edgeY, order, d);
    oE[0] = d[0] + s * d[2];
    oE[2] = d[2];
    if (iOrder >= 1)
      oE[1] = d[1] + s * d[4];
    if (iOrder >= 2) {
      oE[3] = d[3] + s * d[7];
      oE[4] = d[4];
    }
    if (iOrder >= 3) {
      oE[7] = d[7];
      const double fxxxy = (_f->EvalThirdDerivX2Y(a + XelMathh3, _edgeY) -
                            _f->EvalThirdDerivX2Y(a - XelMathh3, _edgeY)) /
                           (2.0 * XelMathh3);
      oE[6] = d[6] + s * fxxxy;
    }
  }

  const XelMathFunctionXY* _f;
  bool _alongX;
  bool _alongY;
  double _edgeX;
  double _edgeY;
};

// The piece of the n pieces over the breakpoints b_0 .. b_n that holds x: 0 at or below b_1,
// n - 1 above b_{n-1}, else the piece k with b_k < x <= b_{k+1}. ioLast, the piece found last,
// is tried first and then updated.
long LocatePiece(const double x, const double* b, const long n, long& ioLast) {
  if (n <= 1)
    return 0;
  long k = (ioLast >= 0 && ioLast < n) ? ioLast : 0;
  if ((k == 0 || x > b[k]) && (k == n - 1 || !(x > b[k + 1])))
    return k;
  if (_PieceWiseXY_Dev) {
    // Sequential search from the last piece found.
    while (k > 0 && !(x > b[k]))
      --k;
    while (k < n - 1 && x > b[k + 1])
      ++k;
  } else {
    long lo = 0, hi = n - 1;
    while (lo != hi) {
      const long mid = (lo + hi) / 2;
      if (x > b[mid + 1])
        lo = mid + 1;
      else
        hi = mid;
    }
    k = lo;
  }
  ioLast = k;
  return k;
}

// Breakpoints b_0 .. b_n must be finite and increase strictly.
void CheckBreakpoints(const long n, const double* b, const char* iWhere) {
  for (long k = 0; k <= n; ++k)
    if (!std::isfinite(b[k]) || (k > 0 && !(b[k - 1] < b[k])))
      XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ", iWhere);
}

// The part of iI in the piece k of [i0, i1] (the outer pieces keep the ends of iI), as a
// local interval of that piece (lower breakpoint b_k, start value s).
XelMathInterval LocalPart(const XelMathInterval& iI, const double* b, const long k, const long i0,
                          const long i1, const double s) {
  const double lo = k == i0 ? iI.low : b[k];
  const double hi = k == i1 ? iI.high : b[k + 1];
  return XelMathInterval(lo - b[k] + s, hi - b[k] + s);
}

// Deletes each of the iN functions once (a function given for several patches once).
void DeleteDistinct(const long iN, const XelMathFunctionXY* const* iF) {
  if (iN <= 0)
    return;
  XelMathScratchPointers<const XelMathFunctionXY, 16> sorted(iN);
  for (long k = 0; k < iN; ++k)
    sorted[k] = iF[k];
  std::sort(sorted.Data(), sorted.Data() + iN);
  for (long k = 0; k < iN; ++k)
    if (k == 0 || sorted[k] != sorted[k - 1])
      delete sorted[k];
}
} // namespace

// ==== construction, arrays =======================================================================
XelMathPiecewiseXY::XelMathPiecewiseXY(long iNX, const double* iBreaksX, long iNY,
                                       const double* iBreaksY, const XelMathFunctionXY** iPatches,
                                       const double* iStartsX, const double* iStartsY)
    : _lastI(0), _lastJ(0), _nX(0), _nY(0), _breaksX(nullptr), _breaksY(nullptr), _startsX(nullptr),
      _startsY(nullptr), _patches(nullptr), _owned(nullptr) {
  // Every check before the first allocation.
  if (iNX < 0 || iNY < 0 || iNX >= XelQuorMaxArrayDoubles || iNY >= XelQuorMaxArrayDoubles ||
      (iNX > 0 && iNY > XelQuorMaxArrayDoubles / iNX))
    XelMathRaise(XelErrorCode::InvalidOption, "the number of patches", "Dimension not valid",
                 PiecewiseXYName);
  if (iNX * iNY > 0 && (!iBreaksX || !iBreaksY || !iPatches))
    XelMathRaise(XelErrorCode::InvalidOption, "the breakpoints or the patches", "null",
                 PiecewiseXYName);
  if (iBreaksX)
    CheckBreakpoints(iNX, iBreaksX, PiecewiseXYName);
  if (iBreaksY)
    CheckBreakpoints(iNY, iBreaksY, PiecewiseXYName);
  Allocate(iNX, iNY, iStartsX || iStartsY);
  const long n = _nX * _nY;
  for (long k = 0; k <= _nX; ++k)
    _breaksX[k] = iBreaksX ? iBreaksX[k] : double(k);
  for (long k = 0; k <= _nY; ++k)
    _breaksY[k] = iBreaksY ? iBreaksY[k] : double(k);
  for (long p = 0; p < n; ++p) {
    _patches[p] = iPatches[p];
    _owned[p] = 0;
    if (_startsX) {
      _startsX[p] = iStartsX ? iStartsX[p] : 0.0;
      _startsY[p] = iStartsY ? iStartsY[p] : 0.0;
    }
  }
}

XelMathPiecewiseXY::XelMathPiecewiseXY(const XelMathPiecewiseXY& iOther)
    : XelMathFunctionXY(iOther), _lastI(0), _lastJ(0), _nX(0), _nY(0), _breaksX(nullptr),
      _breaksY(nullptr), _startsX(nullptr), _startsY(nullptr), _patches(nullptr), _owned(nullptr) {
  CopyFrom(iOther);
}

XelMathPiecewiseXY& XelMathPiecewiseXY::operator=(const XelMathPiecewiseXY& iOther) {
  if (this != &iOther) {
    DeleteOwned();
    Desallocate();
    CopyFrom(iOther);
  }
  return *this;
}

XelMathPiecewiseXY::~XelMathPiecewiseXY() {
  DeleteOwned();
  Desallocate();
}

void XelMathPiecewiseXY::Allocate(const long iNX, const long iNY, const bool iStarts) {
  const long n = iNX * iNY;
  // Each array is recorded as soon as it exists, so that Desallocate frees what was obtained
  // when a later one is refused.
  _breaksX = XelQuorArrayDoubleNew(iNX + 1);
  _nX = iNX;
  _breaksY = XelQuorArrayDoubleNew(iNY + 1);
  _nY = iNY;
  auto undo = XelMathMakeOnExit([this] { Desallocate(); });
  if (n > 0) {
    _patches = XelMathNewPointers<const XelMathFunctionXY>(n);
    _owned = XelQuorArrayBytesNew(n);
    std::memset(_owned, 0, size_t(n));
    for (long p = 0; p < n; ++p)
      _patches[p] = nullptr;
    if (iStarts) {
      _startsX = XelQuorArrayDoubleNew(n);
      _startsY = XelQuorArrayDoubleNew(n);
    }
  }
  undo.Dismiss();
}

void XelMathPiecewiseXY::Desallocate() {
  const long n = _nX * _nY;
  if (_breaksX)
    XelQuorArrayDoubleDel(_breaksX, _nX + 1);
  if (_breaksY)
    XelQuorArrayDoubleDel(_breaksY, _nY + 1);
  if (_startsX)
    XelQuorArrayDoubleDel(_startsX, n);
  if (_startsY)
    XelQuorArrayDoubleDel(_startsY, n);
  if (_patches)
    XelMathDelPointers(_patches, n);
  if (_owned)
    XelQuorArrayBytesDel(_owned, n);
  _breaksX = _breaksY = _startsX = _startsY = nullptr;
  _patches = nullptr;
  _owned = nullptr;
  _nX = _nY = 0;
}

void XelMathPiecewiseXY::CopyFrom(const XelMathPiecewiseXY& iOther) {
  Allocate(iOther._nX, iOther._nY, iOther._startsX != nullptr);
  const long n = _nX * _nY;
  for (long k = 0; k <= _nX; ++k)
    _breaksX[k] = iOther._breaksX[k];
  for (long k = 0; k <= _nY; ++k)
    _breaksY[k] = iOther._breaksY[k];
  for (long p = 0; p < n; ++p) {
    if (_startsX) {
      _startsX[p] = iOther._startsX[p];
      _startsY[p] = iOther._startsY[p];
    }
    // An extension belongs to one object: the copy makes its own, on the same base.
    _patches[p] = iOther._owned[p] ? iOther._patches[p]->Duplicate() : iOther._patches[p];
    _owned[p] = iOther._owned[p];
  }
  _lastI = iOther._lastI;
  _lastJ = iOther._lastJ;
}

void XelMathPiecewiseXY::DeleteOwned() {
  const long n = _nX * _nY;
  for (long p = 0; p < n; ++p)
    if (_owned && _owned[p]) {
      delete _patches[p];
      _patches[p] = nullptr;
      _owned[p] = 0;
    }
}

long XelMathPiecewiseXY::GetDynamicMemoryBytes() const {
  const long n = _nX * _nY;
  long bytes = long((_nX + _nY + 2) * sizeof(double)) + long(n * sizeof(void*)) + n;
  if (_startsX)
    bytes += long(2 * n * sizeof(double));
  for (long p = 0; p < n; ++p)
    if (_owned[p])
      bytes += _patches[p]->GetStaticMemoryBytes();
  return bytes;
}

long XelMathPiecewiseXY::GetStaticMemoryBytes() const {
  return long(sizeof(*this));
}

// ==== names, options =============================================================================
XelMathDefineIdentity(XelMathPiecewiseXY, XelMathFunctionXY);

unsigned char XelMathPiecewiseXY::IsOption(const long iOption) const {
  const long n = _nX * _nY;
  for (long p = 0; p < n; ++p)
    if (!_patches[p] || !_patches[p]->IsOption(iOption))
      return 0;
  return 1;
}

int XelMathPiecewiseXY::GetDirectComponents(const int iSize,
                                            const XelMathFunctionGeneral** oComponents) const {
  const long n = _nX * _nY;
  if (oComponents)
    for (long p = 0; p < n && p < iSize; ++p)
      oComponents[p] = _patches[p];
  return int(n);
}

// ==== patches ====================================================================================
void XelMathPiecewiseXY::GetNumberOfPieces(long& oNX, long& oNY) const {
  oNX = _nX;
  oNY = _nY;
}

void XelMathPiecewiseXY::GetFunction(const long i, const long j, const XelMathFunctionXY*& oF,
                                     XelMathInterval& oI, XelMathInterval& oJ) const {
  if (i < 0 || i >= _nX || j < 0 || j >= _nY)
    XelMathRaise(XelErrorCode::WrongIndex, "Wrong Index", " ", "XelMathPiecewiseXY::GetFunction");
  oF = _patches[i * _nY + j];
  oI = XelMathInterval(_breaksX[i], _breaksX[i + 1]);
  oJ = XelMathInterval(_breaksY[j], _breaksY[j + 1]);
}

void XelMathPiecewiseXY::GetInternalData(long& oNX, long& oNY, const double*& oBreaksX,
                                         const double*& oBreaksY, const double*& oStartsX,
                                         const double*& oStartsY,
                                         const XelMathFunctionXY* const*& oFunctions) const {
  oNX = _nX;
  oNY = _nY;
  oBreaksX = _breaksX;
  oBreaksY = _breaksY;
  oStartsX = _startsX;
  oStartsY = _startsY;
  oFunctions = _patches;
}

void XelMathPiecewiseXY::GlobalToLocal(const double& x, const double& y, long& oI, double& oLocalX,
                                       long& oJ, double& oLocalY) const {
  oI = LocatePiece(x, _breaksX, _nX, _lastI);
  oJ = LocatePiece(y, _breaksY, _nY, _lastJ);
  _lastI = oI;
  _lastJ = oJ;
  const long p = oI * _nY + oJ;
  const bool starts = _startsX && _nX > 0 && _nY > 0;
  oLocalX = x - _breaksX[oI] + (starts ? _startsX[p] : 0.0);
  oLocalY = y - _breaksY[oJ] + (starts ? _startsY[p] : 0.0);
}

const XelMathFunctionXY* XelMathPiecewiseXY::PatchAt(const double x, const double y,
                                                     double& oLocalX, double& oLocalY) const {
  if (_nX <= 0 || _nY <= 0)
    return nullptr;
  long i, j;
  GlobalToLocal(x, y, i, oLocalX, j, oLocalY);
  return _patches[i * _nY + j];
}

void XelMathPiecewiseXY::Extrapol(const double iLowX, const double iHighX, const double iLowY,
                                  const double iHighY) {
  if (_nX <= 0 || _nY <= 0)
    return;
  const long beforeX = iLowX < _breaksX[0] ? 1 : 0, afterX = iHighX > _breaksX[_nX] ? 1 : 0;
  const long beforeY = iLowY < _breaksY[0] ? 1 : 0, afterY = iHighY > _breaksY[_nY] ? 1 : 0;
  if (!beforeX && !afterX && !beforeY && !afterY)
    return;
  if ((beforeX && !std::isfinite(iLowX)) || (afterX && !std::isfinite(iHighX)) ||
      (beforeY && !std::isfinite(iLowY)) || (afterY && !std::isfinite(iHighY)))
    XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain", " ",
                 "XelMathPiecewiseXY::Extrapol");
  // The new grid is built aside, then swapped in: an allocation failure leaves this object
  // as it was.
  XelMathPiecewiseXY grown(0, nullptr, 0, nullptr, nullptr, nullptr, nullptr);
  grown.Desallocate();
  const long nX = _nX + beforeX + afterX, nY = _nY + beforeY + afterY;
  grown.Allocate(nX, nY, true);
  for (long i = 0; i <= nX; ++i)
    grown._breaksX[i] = i < beforeX ? iLowX : i - beforeX <= _nX ? _breaksX[i - beforeX] : iHighX;
  for (long j = 0; j <= nY; ++j)
    grown._breaksY[j] = j < beforeY ? iLowY : j - beforeY <= _nY ? _breaksY[j - beforeY] : iHighY;
  for (long i = 0; i < nX; ++i) {
    const long oi = std::min(std::max(i - beforeX, 0L), _nX - 1);
    const bool lowX = i < beforeX, highX = i - beforeX >= _nX;
    for (long j = 0; j < nY; ++j) {
      const long oj = std::min(std::max(j - beforeY, 0L), _nY - 1);
      const bool lowY = j < beforeY, highY = j - beforeY >= _nY;
      const long p = i * nY + j, op = oi * _nY + oj;
      const double sx = _startsX ? _startsX[op] : 0.0, sy = _startsY ? _startsY[op] : 0.0;
      // Local parameters of the old patch at its outer edges, and the start values that give
      // the new patch the old patch's local parameters.
      const double edgeX = lowX ? sx : _breaksX[oi + 1] - _breaksX[oi] + sx;
      const double edgeY = lowY ? sy : _breaksY[oj + 1] - _breaksY[oj] + sy;
      grown._startsX[p] = sx + grown._breaksX[i] - _breaksX[oi];
      grown._startsY[p] = sy + grown._breaksY[j] - _breaksY[oj];
      const XelMathFunctionXY* f = _patches[op];
      if ((lowX || highX || lowY || highY) && f) {
        grown._patches[p] = new PatchExtension(f, lowX || highX, edgeX, lowY || highY, edgeY);
        grown._owned[p] = 1;
      } else {
        grown._patches[p] = f;
        grown._owned[p] = _owned[op];
      }
    }
  }
  // The old patches (and the extensions they may hold) move to the new grid.
  std::swap(_nX, grown._nX);
  std::swap(_nY, grown._nY);
  std::swap(_breaksX, grown._breaksX);
  std::swap(_breaksY, grown._breaksY);
  std::swap(_startsX, grown._startsX);
  std::swap(_startsY, grown._startsY);
  std::swap(_patches, grown._patches);
  std::swap(_owned, grown._owned);
  for (long p = 0; p < grown._nX * grown._nY; ++p)
    grown._owned[p] = 0;
  _lastI = _lastJ = 0;
}

// ==== point evaluations ==========================================================================
double XelMathPiecewiseXY::Eval(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->Eval(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalFirstDerivX(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalFirstDerivX(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalFirstDerivY(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalFirstDerivY(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalSecondDerivX2(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalSecondDerivX2(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalSecondDerivXY(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalSecondDerivXY(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalSecondDerivY2(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalSecondDerivY2(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalThirdDerivX3(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalThirdDerivX3(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalThirdDerivX2Y(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalThirdDerivXY2(a, b) : XelMathInfinite;
}

double XelMathPiecewiseXY::EvalThirdDerivY3(const double& x, const double& y) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  return f ? f->EvalThirdDerivY3(a, b) : XelMathInfinite;
}

void XelMathPiecewiseXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF,
                                            double& oFx, double& oFy, double& oFxx, double& oFxy,
                                            double& oFyy, double& oFxxx, double& oFxxy,
                                            double& oFxyy, double& oFyyy) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  if (f) {
    f->EvalUpToThirdDeriv(a, b, oF, oFx, oFy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
    return;
  }
  oF = oFx = oFy = oFxx = oFxy = oFyy = oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
}

void XelMathPiecewiseXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                            double& oFxxy, double& oFxyy, double& oFyyy) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  if (f) {
    f->EvalAllThirdDerivs(a, b, oFxxx, oFxxy, oFxyy, oFyyy);
    return;
  }
  oFxxx = oFxxy = oFxyy = oFyyy = XelMathInfinite;
}

void XelMathPiecewiseXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                              double* oFx, double* oFy, double* oFxx, double* oFxy,
                              double* oFyy) const {
  double a, b;
  const XelMathFunctionXY* f = PatchAt(x, y, a, b);
  if (f) {
    f->Eval(a, b, iDiff, oF, oFx, oFy, oFxx, oFxy, oFyy);
    return;
  }
  double* outputs[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
  const long bits[6] = {XelMathOption::Value,       XelMathOption::FirstDeriv,
                        XelMathOption::FirstDeriv,  XelMathOption::SecondDeriv,
                        XelMathOption::SecondDeriv, XelMathOption::SecondDeriv};
  for (int k = 0; k < 6; ++k)
    if (outputs[k] && (iDiff & bits[k]))
      *outputs[k] = XelMathInfinite;
}

// ==== interval evaluations =======================================================================
XelMathInterval XelMathPiecewiseXY::Union(const XelMathInterval& iI, const XelMathInterval& iJ,
                                          const Command iCommand, const XelTolerance* iTol) const {
  if (_nX <= 0 || _nY <= 0)
    return Infinite();
  const long i0 = LocatePiece(iI.low, _breaksX, _nX, _lastI);
  const long i1 = std::max(i0, LocatePiece(iI.high, _breaksX, _nX, _lastI));
  const long j0 = LocatePiece(iJ.low, _breaksY, _nY, _lastJ);
  const long j1 = std::max(j0, LocatePiece(iJ.high, _breaksY, _nY, _lastJ));
  XelMathInterval r;
  bool first = true;
  for (long i = i0; i <= i1; ++i)
    for (long j = j0; j <= j1; ++j) {
      const long p = i * _nY + j;
      const XelMathFunctionXY* f = _patches[p];
      if (!f)
        return Infinite();
      const XelMathInterval a = LocalPart(iI, _breaksX, i, i0, i1, _startsX ? _startsX[p] : 0.0);
      const XelMathInterval b = LocalPart(iJ, _breaksY, j, j0, j1, _startsY ? _startsY[p] : 0.0);
      XelMathInterval image;
      switch (iCommand) {
      case Command::Value:
        f->Eval(a, b, XelMathOption::Image, &image, nullptr, nullptr, nullptr, nullptr, nullptr,
                *iTol);
        break;
      case Command::Optimal:
        image = f->ComputeOptimalImage(a, b, *iTol);
        break;
      case Command::DerivX:
        image = f->EvalFirstDerivX(a, b);
        break;
      case Command::DerivY:
        image = f->EvalFirstDerivY(a, b);
        break;
      case Command::DerivXX:
        image = f->EvalSecondDerivX2(a, b);
        break;
      case Command::DerivXY:
        image = f->EvalSecondDerivXY(a, b);
        break;
      case Command::DerivYY:
        image = f->EvalSecondDerivY2(a, b);
        break;
      }
      r = first ? image : Hull(r, image);
      first = false;
    }
  return r;
}

XelMathInterval XelMathPiecewiseXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                         const XelTolerance& iTol) const {
  return Union(iI, iJ, Command::Value, &iTol);
}

XelMathInterval XelMathPiecewiseXY::EvalFirstDerivX(const XelMathInterval& iI,
                                                    const XelMathInterval& iJ) const {
  return Union(iI, iJ, Command::DerivX, nullptr);
}

XelMathInterval XelMathPiecewiseXY::EvalFirstDerivY(const XelMathInterval& iI,
                                                    const XelMathInterval& iJ) const {
  return Union(iI, iJ, Command::DerivY, nullptr);
}

XelMathInterval XelMathPiecewiseXY::EvalSecondDerivX2(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  return Union(iI, iJ, Command::DerivXX, nullptr);
}

XelMathInterval XelMathPiecewiseXY::EvalSecondDerivXY(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  return Union(iI, iJ, Command::DerivXY, nullptr);
}

XelMathInterval XelMathPiecewiseXY::EvalSecondDerivY2(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ) const {
  return Union(iI, iJ, Command::DerivYY, nullptr);
}

void XelMathPiecewiseXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                              const long iDiff, XelMathInterval* oF, XelMathInterval* oFx,
                              XelMathInterval* oFy, XelMathInterval* oFxx, XelMathInterval* oFxy,
                              XelMathInterval* oFyy, const XelTolerance& iTol) const {
  if (oF && (iDiff & XelMathOption::Image))
    *oF = Union(iI, iJ, Command::Value, &iTol);
  if (oFx && oFy && (iDiff & XelMathOption::FirstDerivImage)) {
    *oFx = Union(iI, iJ, Command::DerivX, nullptr);
    *oFy = Union(iI, iJ, Command::DerivY, nullptr);
  }
  if (oFxx && oFxy && oFyy && (iDiff & XelMathOption::SecondDerivImage)) {
    *oFxx = Union(iI, iJ, Command::DerivXX, nullptr);
    *oFxy = Union(iI, iJ, Command::DerivXY, nullptr);
    *oFyy = Union(iI, iJ, Command::DerivYY, nullptr);
  }
}

XelMathInterval XelMathPiecewiseXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                        const XelMathInterval& iJ,
                                                        const XelTolerance& iTol) const {
  return Union(iI, iJ, Command::Optimal, &iTol);
}

// ==== combinations, copies =======================================================================
XelMathFunctionXY* XelMathPiecewiseXY::FormalCombination(const long iN,
                                                         const XelMathFunctionXY** iF,
                                                         const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC)
    return nullptr;
  const double resolution = XelGetDefaultTolerance().GetParametricResolution();
  const auto same = [resolution](const double a, const double b) {
    return std::fabs(a - b) <= resolution * (1.0 + std::fabs(a));
  };
  const long n = _nX * _nY;
  for (long f = 0; f < iN; ++f) {
    if (!iF[f] || !iF[f]->IsAKindOf("XelMathPiecewiseXY"))
      return nullptr;
    const XelMathPiecewiseXY* q = static_cast<const XelMathPiecewiseXY*>(iF[f]);
    if (q->_nX != _nX || q->_nY != _nY)
      return nullptr;
    for (long k = 0; k <= _nX; ++k)
      if (!same(_breaksX[k], q->_breaksX[k]))
        return nullptr;
    for (long k = 0; k <= _nY; ++k)
      if (!same(_breaksY[k], q->_breaksY[k]))
        return nullptr;
    for (long p = 0; p < n; ++p) {
      if (!q->_patches[p])
        return nullptr;
      const double sx = _startsX ? _startsX[p] : 0.0, sy = _startsY ? _startsY[p] : 0.0;
      const double qx = q->_startsX ? q->_startsX[p] : 0.0, qy = q->_startsY ? q->_startsY[p] : 0.0;
      if (!same(sx, qx) || !same(sy, qy))
        return nullptr;
    }
  }
  XelMathScratchPointers<XelMathFunctionXY, 16> combined(n);
  for (long p = 0; p < n; ++p)
    combined[p] = nullptr;
  auto undo = XelMathMakeOnExit([&] {
    for (long p = 0; p < n; ++p)
      delete combined[p];
  });
  XelMathScratchPointers<const XelMathFunctionXY, 16> column(iN);
  for (long p = 0; p < n; ++p) {
    for (long f = 0; f < iN; ++f)
      column[f] = static_cast<const XelMathPiecewiseXY*>(iF[f])->_patches[p];
    // Only closed forms: a general combination would point into the operands' patches, which
    // the result does not own and may outlive.
    combined[p] = column[0]->FormalCombination(iN, column.Data(), iC, iC0);
    if (!combined[p])
      return nullptr;
  }
  XelMathFunctionXY* result =
      new XelMathPiecewiseXYDel(_nX, _breaksX, _nY, _breaksY, combined.Data(), _startsX, _startsY);
  undo.Dismiss();
  return result;
}

XelMathFunctionXY* XelMathPiecewiseXY::Duplicate() const {
  return new XelMathPiecewiseXY(*this);
}

XelMathFunctionXY* XelMathPiecewiseXY::DeepDuplicate() const {
  const long n = _nX * _nY;
  // One copy per distinct function; an extension is rebuilt on the copy of its base.
  std::map<const XelMathFunctionXY*, XelMathFunctionXY*> copies;
  auto undo = XelMathMakeOnExit([&copies] {
    for (auto& c : copies)
      delete c.second;
  });
  for (long p = 0; p < n; ++p)
    if (_patches[p] && !_owned[p] && !copies.count(_patches[p])) {
      // The slot exists (null) before the copy is made, so that a failure leaves no copy out.
      XelMathFunctionXY*& slot = copies[_patches[p]];
      slot = _patches[p]->DeepDuplicate();
    }
  const auto copyOf = [&copies](const XelMathFunctionXY* iF) -> XelMathFunctionXY* {
    auto c = copies.find(iF);
    return c == copies.end() ? nullptr : c->second;
  };
  // Extensions of extensions (Extrapol called again) need their base's copy first: the
  // owned patches are taken until none is left (each pass settles at least the innermost).
  XelMathScratchPointers<XelMathFunctionXY, 16> patches(n);
  for (long p = 0; p < n; ++p)
    patches[p] = _owned[p] ? nullptr : copyOf(_patches[p]);
  for (bool progress = true; progress;) {
    progress = false;
    for (long p = 0; p < n; ++p) {
      if (!_owned[p] || patches[p])
        continue;
      const PatchExtension* e = static_cast<const PatchExtension*>(_patches[p]);
      XelMathFunctionXY* base = copyOf(e->GetBase());
      if (!base)
        continue;
      XelMathFunctionXY*& slot = copies[_patches[p]];
      slot = e->OnBase(base);
      patches[p] = slot;
      progress = true;
    }
  }
  XelMathFunctionXY* result =
      new XelMathPiecewiseXYDel(_nX, _breaksX, _nY, _breaksY, patches.Data(), _startsX, _startsY);
  undo.Dismiss();
  return result;
}

// ==== owning variant =============================================================================
XelMathPiecewiseXYDel::XelMathPiecewiseXYDel(long iNX, const double* iBreaksX, long iNY,
                                             const double* iBreaksY, XelMathFunctionXY** iPatches,
                                             const double* iStartsX, const double* iStartsY)
    : XelMathPiecewiseXY(iNX, iBreaksX, iNY, iBreaksY,
                         const_cast<const XelMathFunctionXY**>(iPatches), iStartsX, iStartsY) {}

XelMathPiecewiseXYDel::~XelMathPiecewiseXYDel() {
  // The extensions first (they point to the patches), then every patch given, once.
  DeleteOwned();
  const long n = _nX * _nY;
  long kept = 0;
  for (long p = 0; p < n; ++p)
    if (_patches[p])
      _patches[kept++] = _patches[p];
  DeleteDistinct(kept, _patches);
  for (long p = 0; p < n; ++p)
    _patches[p] = nullptr;
}

XelMathDefineOwningVariantXY(XelMathPiecewiseXYDel, XelMathPiecewiseXY);
