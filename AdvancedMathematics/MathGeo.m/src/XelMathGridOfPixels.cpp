#include "XelMathGridOfPixels.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

#include "../../YN000FUN.m/src/XelMathInternalGuards.h"
#include "XelError.h"
#include "XelMathArrayOfIntegers.h"
#include "XelMathInputError.h"
#include "XelQuorMemory.h"

namespace {
// Sizes: at most 2^28 cells a side and 2^27 cells, 1 GB of cells (2^31 - 1 cells, the limit of
// 32-bit cell indices, would take 16 GB and half a minute to fill).
constexpr long MaxSide = 1L << 28;
constexpr long MaxCells = 1L << 27;
// Pixel coordinates of converted model points are clamped at 2^40 cells.
constexpr double FarCells = 1099511627776.0;
// Drawing is exact with coordinates up to 2^29 cells (products of two coordinate
// differences stay below 2^62); longer lines are cut to the square of 2^28 cells first.
constexpr long ExactCoordinate = 1L << 29;
constexpr double CutSquare = static_cast<double>(1L << 28);
// Label lists reserved at initialisation, and the first flood queue.
constexpr long FirstListCapacity = 128;
constexpr long FirstQueueCapacity = 256;
// A multi-label cell -100 - k refers to label list k.
constexpr long FirstListValue = -100;

long* NewLongs(const long iCount) {
  return static_cast<long*>(xelquornew(sizeof(long) * static_cast<std::size_t>(iCount)));
}
void DelLongs(long* iArray, const long iCount) {
  if (iArray)
    xelquordel(iArray, sizeof(long) * static_cast<std::size_t>(iCount));
}

// A growable array of longs from the memory services, freed unless handed over.
class LongBuffer {
public:
  explicit LongBuffer(const long iCapacity) : _data(NewLongs(iCapacity)), _capacity(iCapacity) {}
  ~LongBuffer() { DelLongs(_data, _capacity); }
  LongBuffer(const LongBuffer&) = delete;
  LongBuffer& operator=(const LongBuffer&) = delete;
  long Capacity() const { return _capacity; }
  long& operator[](const long i) { return _data[i]; }
  long operator[](const long i) const { return _data[i]; }
  void Grow(const long iCapacity, const long iUsed) {
    long* data = NewLongs(iCapacity);
    if (iUsed > 0)
      std::memcpy(data, _data, sizeof(long) * static_cast<std::size_t>(iUsed));
    DelLongs(_data, _capacity);
    _data = data;
    _capacity = iCapacity;
  }
  // An array of exactly iUsed entries (null when none) owned by the caller.
  long* HandOver(const long iUsed) {
    long* data = nullptr;
    if (iUsed > 0) {
      data = NewLongs(iUsed);
      std::memcpy(data, _data, sizeof(long) * static_cast<std::size_t>(iUsed));
    }
    return data;
  }

private:
  long* _data;
  long _capacity;
};

long ToCell(const double iT) {
  if (!(iT > -FarCells))
    return -static_cast<long>(FarCells);
  if (iT > FarCells)
    return static_cast<long>(FarCells);
  return static_cast<long>(std::floor(iT));
}

bool IsFar(const long iV) {
  return iV > ExactCoordinate || iV < -ExactCoordinate;
}

// ceil(iNum / iDen) for iDen > 0.
long CeilDiv(const long iNum, const long iDen) {
  return iNum >= 0 ? (iNum + iDen - 1) / iDen : -((-iNum) / iDen);
}

// Directions 0..7 counter-clockwise from +x.
const long DirX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
const long DirY[8] = {0, 1, 1, 1, 0, -1, -1, -1};
} // namespace

// ---- construction ------------------------------------------------------------------------

XelMathGridOfPixels::XelMathGridOfPixels()
    : _nx(0), _ny(0), _size(0), _pixels(nullptr), _xmin(0.0), _xmax(1.0), _ymin(0.0), _ymax(1.0),
      _floodValue(-2), _emptyValue(-1), _activeZoneValue(-3), _lists(nullptr), _listCount(0),
      _listCapacity(0), _queue(nullptr), _queueCapacity(0), _queueRead(0), _queueWrite(0) {
  Initialize();
}

XelMathGridOfPixels::XelMathGridOfPixels(const long iNx, const long iNy) : XelMathGridOfPixels() {
  // Checked before any product is formed: a negative, overflowing or absurd size never
  // reaches the allocator.
  if (iNx < 0 || iNy < 0 || iNx > MaxSide || iNy > MaxSide || (iNy > 0 && iNx > MaxCells / iNy))
    XelMathRaise(XelErrorCode::InvalidOption, "Dimension not valid",
                 "a grid has 0 to 2^28 columns and rows and at most 2^27 cells",
                 "XelMathGridOfPixels::XelMathGridOfPixels");
  _pixels = iNx * iNy > 0 ? NewLongs(iNx * iNy) : nullptr;
  _nx = iNx;
  _ny = iNy;
  _size = iNx * iNy;
  Initialize();
}

XelMathGridOfPixels::XelMathGridOfPixels(const XelMathGridOfPixels& iOther)
    : XelQuorVirtual(iOther), _nx(0), _ny(0), _size(0), _pixels(nullptr), _xmin(0.0), _xmax(1.0),
      _ymin(0.0), _ymax(1.0), _floodValue(-2), _emptyValue(-1), _activeZoneValue(-3),
      _lists(nullptr), _listCount(0), _listCapacity(0), _queue(nullptr), _queueCapacity(0),
      _queueRead(0), _queueWrite(0) {
  auto undo = XelMathMakeOnExit([this] { Release(); });
  CopyFrom(iOther);
  undo.Dismiss();
}

XelMathGridOfPixels& XelMathGridOfPixels::operator=(const XelMathGridOfPixels& iOther) {
  if (this != &iOther) {
    XelMathGridOfPixels copy(iOther);
    std::swap(_nx, copy._nx);
    std::swap(_ny, copy._ny);
    std::swap(_size, copy._size);
    std::swap(_pixels, copy._pixels);
    std::swap(_xmin, copy._xmin);
    std::swap(_xmax, copy._xmax);
    std::swap(_ymin, copy._ymin);
    std::swap(_ymax, copy._ymax);
    std::swap(_floodValue, copy._floodValue);
    std::swap(_emptyValue, copy._emptyValue);
    std::swap(_activeZoneValue, copy._activeZoneValue);
    std::swap(_lists, copy._lists);
    std::swap(_listCount, copy._listCount);
    std::swap(_listCapacity, copy._listCapacity);
  }
  return *this;
}

XelMathGridOfPixels::~XelMathGridOfPixels() {
  Release();
}

void XelMathGridOfPixels::Release() {
  DelLongs(_pixels, _size);
  _pixels = nullptr;
  _nx = _ny = _size = 0;
  for (long k = 0; k < _listCount; k++)
    delete _lists[k];
  if (_lists)
    XelQuorArrayPtrsDel(reinterpret_cast<void**>(_lists), _listCapacity);
  _lists = nullptr;
  _listCount = _listCapacity = 0;
  DelLongs(_queue, _queueCapacity);
  _queue = nullptr;
  _queueCapacity = _queueRead = _queueWrite = 0;
}

void XelMathGridOfPixels::CopyFrom(const XelMathGridOfPixels& iOther) {
  if (iOther._size > 0) {
    _pixels = NewLongs(iOther._size);
    std::memcpy(_pixels, iOther._pixels, sizeof(long) * static_cast<std::size_t>(iOther._size));
  }
  _nx = iOther._nx;
  _ny = iOther._ny;
  _size = iOther._size;
  _xmin = iOther._xmin;
  _xmax = iOther._xmax;
  _ymin = iOther._ymin;
  _ymax = iOther._ymax;
  _floodValue = iOther._floodValue;
  _emptyValue = iOther._emptyValue;
  _activeZoneValue = iOther._activeZoneValue;
  if (iOther._listCapacity > 0) {
    _lists = reinterpret_cast<XelMathArrayOfIntegers**>(XelQuorArrayPtrsNew(iOther._listCapacity));
    _listCapacity = iOther._listCapacity;
  }
  for (long k = 0; k < iOther._listCount; k++) {
    _lists[k] = iOther._lists[k] ? new XelMathArrayOfIntegers(*iOther._lists[k]) : nullptr;
    _listCount = k + 1;
  }
}

void XelMathGridOfPixels::Initialize() {
  _xmin = 0.0;
  _xmax = 1.0;
  _ymin = 0.0;
  _ymax = 1.0;
  _floodValue = -2;
  _emptyValue = -1;
  _activeZoneValue = -3;
  std::fill(_pixels, _pixels + _size, _emptyValue);
  for (long k = 0; k < _listCount; k++)
    delete _lists[k];
  _listCount = 0;
  if (_listCapacity != FirstListCapacity) {
    void** table = XelQuorArrayPtrsNew(FirstListCapacity);
    if (_lists)
      XelQuorArrayPtrsDel(reinterpret_cast<void**>(_lists), _listCapacity);
    _lists = reinterpret_cast<XelMathArrayOfIntegers**>(table);
    _listCapacity = FirstListCapacity;
  } else {
    std::fill(_lists, _lists + _listCapacity, nullptr);
  }
}

long XelMathGridOfPixels::GetDynamicMemoryBytes() const {
  long bytes = static_cast<long>(sizeof(long)) * (_size + _queueCapacity) +
               static_cast<long>(sizeof(void*)) * _listCapacity;
  for (long k = 0; k < _listCount; k++)
    if (_lists[k])
      bytes += _lists[k]->GetEstimatedMemoryBytes();
  return bytes;
}

long XelMathGridOfPixels::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

const XelMathArrayOfIntegers* XelMathGridOfPixels::GetLabelList(const long k) const {
  return k >= 0 && k < _listCount ? _lists[k] : nullptr;
}

// ---- window ------------------------------------------------------------------------------

void XelMathGridOfPixels::SetWindow(const double iXmin, const double iXmax, const double iYmin,
                                    const double iYmax) {
  if (!(iXmin < iXmax && iYmin < iYmax) || !std::isfinite(iXmax - iXmin) ||
      !std::isfinite(iYmax - iYmin))
    XelMathRaise(XelErrorCode::InvalidDomain, "Invalid Domain",
                 "the window needs finite xmin < xmax and ymin < ymax",
                 "XelMathGridOfPixels::SetWindow");
  _xmin = iXmin;
  _xmax = iXmax;
  _ymin = iYmin;
  _ymax = iYmax;
}

void XelMathGridOfPixels::ConvertToPixel(const double iX, const double iY, long& oI,
                                         long& oJ) const {
  oI = ToCell(static_cast<double>(_nx) * (iX - _xmin) / (_xmax - _xmin) + 0.5);
  oJ = ToCell(static_cast<double>(_ny) * (iY - _ymin) / (_ymax - _ymin) + 0.5);
}

void XelMathGridOfPixels::ConvertToPixel(const double iD, long& oN) const {
  oN = ToCell(static_cast<double>(_nx) * iD / (_xmax - _xmin) + 0.5);
}

void XelMathGridOfPixels::ConvertToModel(const long iI, const long iJ, double& oX,
                                         double& oY) const {
  oX = _nx > 0 ? _xmin + static_cast<double>(iI) * (_xmax - _xmin) / static_cast<double>(_nx)
               : _xmin;
  oY = _ny > 0 ? _ymin + static_cast<double>(iJ) * (_ymax - _ymin) / static_cast<double>(_ny)
               : _ymin;
  oX = std::min(std::max(oX, _xmin), _xmax);
  oY = std::min(std::max(oY, _ymin), _ymax);
}

// ---- cells -------------------------------------------------------------------------------

long XelMathGridOfPixels::GetPixel(const long iX, const long iY) const {
  return Inside(iX, iY) ? Cell(iX, iY) : _emptyValue;
}

void XelMathGridOfPixels::SetPixel(const long iX, const long iY, const long iV) {
  if (Inside(iX, iY))
    SetCell(iX + iY * _nx, iV);
}

void XelMathGridOfPixels::SetRowOfPixels(const long iX1, const long iX2, const long iY,
                                         const long iV) {
  if (iY < 0 || iY >= _ny || iX1 < 0 || iX2 >= _nx || iX1 > iX2)
    return;
  for (long x = iX1; x <= iX2; x++)
    SetCell(x + iY * _nx, iV);
}

void XelMathGridOfPixels::SetCell(const long iIndex, const long iV) {
  const long c = _pixels[iIndex];
  if (c == iV || c == _emptyValue || c == _floodValue || c == _activeZoneValue) {
    _pixels[iIndex] = iV;
    return;
  }
  if (c <= FirstListValue) {
    const long k = FirstListValue - c;
    if (k >= _listCount || !_lists[k]) {
      XelQuornull(__FILE__, __LINE__);
      return;
    }
    _lists[k]->Add(iV);
    return;
  }
  // A second label: a new list [c, v].
  if (_listCount == _listCapacity) {
    const long capacity = _listCapacity > 0 ? 2 * _listCapacity : FirstListCapacity;
    void** table = XelQuorArrayPtrsNew(capacity);
    if (_listCount > 0)
      std::memcpy(table, _lists, sizeof(void*) * static_cast<std::size_t>(_listCount));
    if (_lists)
      XelQuorArrayPtrsDel(reinterpret_cast<void**>(_lists), _listCapacity);
    _lists = reinterpret_cast<XelMathArrayOfIntegers**>(table);
    _listCapacity = capacity;
  }
  std::unique_ptr<XelMathArrayOfIntegers> list(new XelMathArrayOfIntegers(c));
  list->Add(iV);
  _lists[_listCount] = list.release();
  _pixels[iIndex] = FirstListValue - _listCount;
  _listCount++;
}

// ---- drawing -----------------------------------------------------------------------------

void XelMathGridOfPixels::DrawLine(const long iX1, const long iY1, const long iX2, const long iY2,
                                   const long iV) {
  if (!IsFar(iX1) && !IsFar(iY1) && !IsFar(iX2) && !IsFar(iY2)) {
    DrawClippedLine(iX1, iY1, iX2, iY2, iV);
    return;
  }
  // Cut the segment to the square |x|, |y| <= 2^28 (Liang-Barsky), then round its ends.
  const double x1 = static_cast<double>(iX1), y1 = static_cast<double>(iY1);
  const double ux = static_cast<double>(iX2) - x1, uy = static_cast<double>(iY2) - y1;
  double t0 = 0.0, t1 = 1.0;
  const double p[4] = {-ux, ux, -uy, uy};
  const double q[4] = {x1 + CutSquare, CutSquare - x1, y1 + CutSquare, CutSquare - y1};
  for (int k = 0; k < 4; k++) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0)
        return;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  if (t0 > t1)
    return;
  DrawClippedLine(std::lround(x1 + t0 * ux), std::lround(y1 + t0 * uy), std::lround(x1 + t1 * ux),
                  std::lround(y1 + t1 * uy), iV);
}

void XelMathGridOfPixels::DrawClippedLine(long iX1, long iY1, long iX2, long iY2, const long iV) {
  const long dx = std::labs(iX2 - iX1), dy = std::labs(iY2 - iY1);
  const long sx = iX1 > iX2 ? -1 : 1, sy = iY1 > iY2 ? -1 : 1;
  if (dx == 0 && dy == 0) {
    SetPixel(iX1, iY1, iV);
    return;
  }
  // Along the major axis a (D steps) the minor coordinate b has moved n(t) =
  // ceil((2 d t - D) / (2 D)) times after t steps: the error term e = 2d - D + 2dt - 2Dn
  // stays in (2d - 2D, 2d]. Only the steps inside the grid are walked.
  const bool yMajor = dx < dy;
  const long D = yMajor ? dy : dx, d = yMajor ? dx : dy;
  const long a1 = yMajor ? iY1 : iX1, sa = yMajor ? sy : sx, aCount = yMajor ? _ny : _nx;
  const long b1 = yMajor ? iX1 : iY1, sb = yMajor ? sx : sy, bCount = yMajor ? _nx : _ny;
  if (aCount == 0 || bCount == 0)
    return;
  auto minorSteps = [&](long t) { return CeilDiv(2 * d * t - D, 2 * D); };
  // Steps with the major coordinate in 0..aCount-1.
  long tLo = sa > 0 ? -a1 : a1 - (aCount - 1);
  long tHi = sa > 0 ? aCount - 1 - a1 : a1;
  // Minor steps keeping b in 0..bCount-1.
  const long nLo = sb > 0 ? -b1 : b1 - (bCount - 1);
  const long nHi = sb > 0 ? bCount - 1 - b1 : b1;
  tLo = std::max(tLo, 0L);
  tHi = std::min(tHi, D);
  if (tLo > tHi || minorSteps(tHi) < nLo || minorSteps(tLo) > nHi)
    return;
  // First step with n >= nLo, last step with n <= nHi (n is non-decreasing).
  long lo = tLo, hi = tHi;
  while (lo < hi) {
    const long mid = lo + (hi - lo) / 2;
    if (minorSteps(mid) >= nLo)
      hi = mid;
    else
      lo = mid + 1;
  }
  const long tFirst = lo;
  lo = tLo;
  hi = tHi;
  while (lo < hi) {
    const long mid = hi - (hi - lo) / 2;
    if (minorSteps(mid) <= nHi)
      lo = mid;
    else
      hi = mid - 1;
  }
  const long tLast = lo;
  long n = minorSteps(tFirst);
  long e = 2 * d - D + 2 * d * tFirst - 2 * D * n;
  long a = a1 + sa * tFirst, b = b1 + sb * n;
  for (long t = tFirst; t <= tLast; t++) {
    if (yMajor)
      SetPixel(b, a, iV);
    else
      SetPixel(a, b, iV);
    a += sa;
    if (e > 0) {
      b += sb;
      e += 2 * (d - D);
    } else {
      e += 2 * d;
    }
  }
}

void XelMathGridOfPixels::DrawPolyLine(const long* iXs, const long* iYs, const long iN,
                                       const long iV) {
  if (iN < 0 || (iN > 0 && (!iXs || !iYs)))
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "Invalid Number Of Points",
                 "a polyline needs a non-negative count and its coordinates",
                 "XelMathGridOfPixels::DrawPolyLine");
  for (long i = 0; i + 1 < iN; i++)
    DrawLine(iXs[i], iYs[i], iXs[i + 1], iYs[i + 1], iV);
}

void XelMathGridOfPixels::DrawCircle(const long iCx, const long iCy, const long iR, const long iV) {
  if (iR >= 0)
    TraceCircle(iCx, iCy, iR, iV, nullptr);
}

void XelMathGridOfPixels::TraceCircle(const long iCx, const long iCy, const long iR, const long iV,
                                      const long* iChord) {
  if (_nx == 0 || _ny == 0 || iR < 0)
    return;
  // The traced cells are within one cell of the true circle: nothing to do when the ring
  // misses the grid.
  const double cx = static_cast<double>(iCx), cy = static_cast<double>(iCy);
  const double gx = static_cast<double>(_nx - 1), gy = static_cast<double>(_ny - 1);
  const double nearX = std::max({0.0, -cx, cx - gx}), nearY = std::max({0.0, -cy, cy - gy});
  const double farX = std::max(std::fabs(cx), std::fabs(cx - gx));
  const double farY = std::max(std::fabs(cy), std::fabs(cy - gy));
  const double r = static_cast<double>(iR);
  if (r > std::hypot(farX, farY) + 2.0 || r < std::hypot(nearX, nearY) - 2.0)
    return;
  if (IsFar(iCx) || IsFar(iCy) || IsFar(iR))
    XelMathRaise(XelErrorCode::InvalidOption, "Dimension not valid",
                 "a circle or arc reaching the grid has a centre or radius beyond 2^29 cells",
                 "XelMathGridOfPixels::DrawCircle");
  // The column offsets x at which one of the eight points can be inside the grid.
  std::pair<long, long> ranges[4] = {
      {-iCx, _nx - 1 - iCx}, {iCx - (_nx - 1), iCx}, {-iCy, _ny - 1 - iCy}, {iCy - (_ny - 1), iCy}};
  std::sort(ranges, ranges + 4);
  auto plot = [&](long px, long py) {
    if (!Inside(px, py))
      return;
    if (iChord && iChord[0] * (px - iChord[2]) + iChord[1] * (py - iChord[3]) < 0)
      return;
    SetCell(px + py * _nx, iV);
  };
  const long r2 = iR * iR;
  long x = 0, y = iR, d = 3 - 2 * iR;
  for (int k = 0; k < 4 && x <= y; k++) {
    const long first = std::max(ranges[k].first, 0L), last = std::min(ranges[k].second, iR);
    if (first > x) {
      // Jump to column first: y is the largest with y^2 + (y - 1)^2 < 2 (r^2 - x^2), the
      // value the recurrence reaches there.
      x = first;
      const long s = 2 * (r2 - x * x);
      y = static_cast<long>(std::floor((1.0 + std::sqrt(std::max(0.0, 2.0 * s - 1.0))) / 2.0));
      while (y > 0 && 2 * y * y - 2 * y + 1 >= s)
        y--;
      while (2 * (y + 1) * (y + 1) - 2 * (y + 1) + 1 < s)
        y++;
      d = 2 * (x + 1) * (x + 1) + y * y + (y - 1) * (y - 1) - 2 * r2;
    }
    for (; x <= last && x <= y; x++) {
      plot(iCx + x, iCy + y);
      plot(iCx - x, iCy + y);
      plot(iCx + x, iCy - y);
      plot(iCx - x, iCy - y);
      plot(iCx + y, iCy + x);
      plot(iCx - y, iCy + x);
      plot(iCx + y, iCy - x);
      plot(iCx - y, iCy - x);
      if (d >= 0) {
        d += 4 * (x - y) + 10;
        y--;
      } else {
        d += 4 * x + 6;
      }
    }
  }
}

void XelMathGridOfPixels::DrawArc(const long iCx, const long iCy, const long iR, const long iXs,
                                  const long iYs, const long iXe, const long iYe, const long iXm,
                                  const long iYm, const long iV) {
  const long values[9] = {iCx, iCy, iR, iXs, iYs, iXe, iYe, iXm, iYm};
  if (std::any_of(values, values + 9, IsFar)) {
    // Far geometry: nothing when the box of the circle and of the three points misses the
    // grid, otherwise refused like a far circle.
    const double cx = static_cast<double>(iCx), cy = static_cast<double>(iCy);
    const double r = static_cast<double>(iR);
    const double xs = static_cast<double>(iXs), xe = static_cast<double>(iXe);
    const double xm = static_cast<double>(iXm), ys = static_cast<double>(iYs);
    const double ye = static_cast<double>(iYe), ym = static_cast<double>(iYm);
    const double xlo = std::min({cx - r, xs, xe, xm}), xhi = std::max({cx + r, xs, xe, xm});
    const double ylo = std::min({cy - r, ys, ye, ym}), yhi = std::max({cy + r, ys, ye, ym});
    if (xhi < 0.0 || yhi < 0.0 || xlo >= static_cast<double>(_nx) ||
        ylo >= static_cast<double>(_ny))
      return;
    XelMathRaise(XelErrorCode::InvalidOption, "Dimension not valid",
                 "an arc reaching the grid has a point or radius beyond 2^29 cells",
                 "XelMathGridOfPixels::DrawArc");
  }
  const long ex = iXe - iXs, ey = iYe - iYs;
  const long chord2 = ex * ex + ey * ey;
  if (chord2 <= 2) {
    DrawLine(iXs, iYs, iXe, iYe, iV);
    return;
  }
  // n, normal to the chord; h = n . (M - S), the offset of M from the chord times |SE|.
  long normal[4] = {iYe - iYs, iXs - iXe, iXs, iYs};
  const long h = normal[0] * (iXm - iXs) + normal[1] * (iYm - iYs);
  const long double h2 = static_cast<long double>(h) * static_cast<long double>(h);
  if (h2 < 9.0L * static_cast<long double>(chord2)) {
    DrawLine(iXs, iYs, iXm, iYm, iV);
    DrawLine(iXm, iYm, iXe, iYe, iV);
    return;
  }
  if (h < 0) {
    normal[0] = -normal[0];
    normal[1] = -normal[1];
  }
  TraceCircle(iCx, iCy, iR, iV, normal);
}

// ---- flood fill --------------------------------------------------------------------------

void XelMathGridOfPixels::Push(const long iIndex) {
  if (_queueWrite == _queueCapacity) {
    if (_queueRead > 0 && _queueRead >= _queueCapacity / 2) {
      std::memmove(_queue, _queue + _queueRead,
                   sizeof(long) * static_cast<std::size_t>(_queueWrite - _queueRead));
      _queueWrite -= _queueRead;
      _queueRead = 0;
    } else {
      const long capacity = _queueCapacity > 0 ? 2 * _queueCapacity : FirstQueueCapacity;
      long* queue = NewLongs(capacity);
      if (_queueWrite > _queueRead)
        std::memcpy(queue, _queue + _queueRead,
                    sizeof(long) * static_cast<std::size_t>(_queueWrite - _queueRead));
      DelLongs(_queue, _queueCapacity);
      _queue = queue;
      _queueCapacity = capacity;
      _queueWrite -= _queueRead;
      _queueRead = 0;
    }
  }
  _queue[_queueWrite++] = iIndex;
}

void XelMathGridOfPixels::FloodFill(const long iX, const long iY, const long iMode) {
  long source = 0, fill = 0;
  switch (iMode) {
  case FloodEmpty:
    source = _emptyValue;
    fill = _floodValue;
    break;
  case FloodEmptyToActive:
    source = _emptyValue;
    fill = _activeZoneValue;
    break;
  case FloodActiveToFlood:
    source = _activeZoneValue;
    fill = _floodValue;
    break;
  default:
    XelMathRaise(XelErrorCode::InvalidOption, "Invalid mode",
                 "the fill mode is 0 (empty to flood), 1 (empty to active zone) or 2 (active "
                 "zone to flood)",
                 "XelMathGridOfPixels::FloodFill");
  }
  if (!Inside(iX, iY))
    return;
  _queueRead = _queueWrite = 0;
  Push(iX + iY * _nx);
  while (_queueRead < _queueWrite) {
    const long index = _queue[_queueRead++];
    if (_pixels[index] != source)
      continue;
    const long px = index % _nx, py = index / _nx;
    long xl = px, xr = px;
    while (xl > 0 && Cell(xl - 1, py) == source)
      xl--;
    while (xr < _nx - 1 && Cell(xr + 1, py) == source)
      xr++;
    SetRowOfPixels(xl, xr, py, fill);
    // The rows above then below: one entry per run of source cells within [xl, xr].
    for (const long row : {py + 1, py - 1}) {
      if (row < 0 || row >= _ny)
        continue;
      for (long x = xl; x <= xr; x++)
        if (Cell(x, row) == source && (x == xl || Cell(x - 1, row) != source))
          Push(x + row * _nx);
    }
    if (xl >= 1 && xr < _nx - 1)
      DiagonalFloodFill(xl, xr, py, source);
  }
  _queueRead = _queueWrite = 0;
}

void XelMathGridOfPixels::DiagonalFloodFill(const long iXl, const long iXr, const long iY,
                                            const long iSource) {
  // Diagonal cell, then the two cells between it and the run (the one in the run's row
  // first).
  const long steps[4][6] = {{iXl - 1, iY + 1, iXl - 1, iY, iXl, iY + 1},
                            {iXr + 1, iY + 1, iXr + 1, iY, iXr, iY + 1},
                            {iXl - 1, iY - 1, iXl - 1, iY, iXl, iY - 1},
                            {iXr + 1, iY - 1, iXr + 1, iY, iXr, iY - 1}};
  for (int k = 0; k < 4; k++) {
    const long* s = steps[k];
    if ((k < 2 && iY + 1 >= _ny) || (k >= 2 && iY <= 0) || !Inside(s[0], s[1]))
      continue;
    if (Cell(s[0], s[1]) != iSource)
      continue;
    const long first = GetPixel(s[2], s[3]), second = GetPixel(s[4], s[5]);
    if (second == iSource || AreEqual(first, second))
      continue;
    Push(s[0] + s[1] * _nx);
  }
}

void XelMathGridOfPixels::UndoFloodFill() {
  for (long i = 0; i < _size; i++)
    if (_pixels[i] == _floodValue)
      _pixels[i] = _emptyValue;
}

// ---- labels ------------------------------------------------------------------------------

bool XelMathGridOfPixels::AreEqual(const long iA, const long iB) const {
  const bool aList = iA <= FirstListValue, bList = iB <= FirstListValue;
  if (!aList && !bList)
    return iA == iB;
  const XelMathArrayOfIntegers* la = aList ? GetLabelList(FirstListValue - iA) : nullptr;
  const XelMathArrayOfIntegers* lb = bList ? GetLabelList(FirstListValue - iB) : nullptr;
  if ((aList && !la) || (bList && !lb)) {
    XelQuornull(__FILE__, __LINE__);
    return false;
  }
  if (aList && bList)
    return la->SharesValueWith(*lb);
  return aList ? la->Contains(iB) : lb->Contains(iA);
}

bool XelMathGridOfPixels::AreConnected(const long iX1, const long iY1, const long iX2,
                                       const long iY2) const {
  const long a = GetPixel(iX1, iY1), b = GetPixel(iX2, iY2);
  return a <= FirstListValue && b <= FirstListValue && AreEqual(a, b);
}

bool XelMathGridOfPixels::IsCrossing(const long iX1, const long iY1, const long iX2, const long iY2,
                                     const long iValue) const {
  return Holds(iX2, iY1, iValue) && Holds(iX1, iY2, iValue);
}

bool XelMathGridOfPixels::IsOnBoundary(const long iX, const long iY, const long, const long,
                                       const long iValue) const {
  for (int k = 0; k < 8; k++)
    if (Holds(iX + DirX[k], iY + DirY[k], iValue))
      return true;
  return false;
}

bool XelMathGridOfPixels::FindBoundaryPoint(const long iValue, long& oX, long& oY, long& oDx,
                                            long& oDy) const {
  for (long x = 1; x < _nx; x++)
    for (long y = 0; y < _ny; y++)
      if (AreEqual(Cell(x, y), iValue)) {
        oX = x - 1;
        oY = y;
        oDx = 0;
        oDy = 1;
        return true;
      }
  return false;
}

long XelMathGridOfPixels::GetValueBoundary(const long iValue, const long iConnectivity, long& oN,
                                           long*& oXs, long*& oYs) const {
  oN = 0;
  oXs = oYs = nullptr;
  long x0 = 0, y0 = 0, dx = 0, dy = 0;
  if (!FindBoundaryPoint(iValue, x0, y0, dx, dy))
    return BoundaryNoValue;
  const long capacity = std::max(
      1L, static_cast<long>(std::floor(static_cast<double>(std::max(_nx, _ny)) * 3.141592653)));
  LongBuffer xs(capacity), ys(capacity);
  long n = 0;
  xs[n] = x0;
  ys[n] = y0;
  n++;
  const bool eight = iConnectivity == 8;
  long x = x0, y = y0;
  for (;;) {
    bool found = false;
    long nx = 0, ny = 0;
    for (long k = 0; k < (eight ? 8 : 4) && !found; k++) {
      if (eight) {
        const long b = dx == 0 ? 2 - 2 * dy : (dx == -1 ? 2 - dy : 6 + dy);
        const long dir = ((b + k) % 8 + 8) % 8;
        nx = x + DirX[dir];
        ny = y + DirY[dir];
      } else {
        const long cand[4][2] = {
            {x + dy, y - dx}, {x + dx, y + dy}, {x - dy, y + dx}, {x - dx, y - dy}};
        nx = cand[k][0];
        ny = cand[k][1];
      }
      found = !Holds(nx, ny, iValue) && IsOnBoundary(nx, ny, dx, dy, iValue) &&
              !IsCrossing(x, y, nx, ny, iValue);
    }
    if (!found)
      break;
    if (n == xs.Capacity()) {
      if (2 * xs.Capacity() > _size)
        return BoundaryTooLong;
      xs.Grow(2 * xs.Capacity(), n);
      ys.Grow(2 * ys.Capacity(), n);
    }
    xs[n] = nx;
    ys[n] = ny;
    n++;
    dx = nx - x;
    dy = ny - y;
    x = nx;
    y = ny;
    if (x == x0 && y == y0)
      break;
  }
  long* outXs = xs.HandOver(n);
  auto freeXs = XelMathMakeOnExit([&] { DelLongs(outXs, n); });
  oYs = ys.HandOver(n);
  freeXs.Dismiss();
  oXs = outXs;
  oN = n;
  return BoundaryDone;
}

void XelMathGridOfPixels::GetFloodFillBoundary(const long iN, long* oFlags) const {
  if (iN <= 0)
    return;
  if (!oFlags)
    XelMathRaise(XelErrorCode::InvalidOption, "Dimension not valid",
                 "the flags need room for the labels", "XelMathGridOfPixels::GetFloodFillBoundary");
  std::fill(oFlags, oFlags + iN, 0L);
  for (long y = 0; y < _ny; y++)
    for (long x = 0; x < _nx; x++) {
      if (Cell(x, y) != _floodValue)
        continue;
      for (long oy = -2; oy <= 2; oy++)
        for (long ox = -2; ox <= 2; ox++) {
          if (ox == 0 && oy == 0)
            continue;
          const long c = GetPixel(x + ox, y + oy);
          if (c >= 0) {
            if (c < iN)
              oFlags[c] = 1;
          } else if (c <= FirstListValue) {
            const XelMathArrayOfIntegers* list = GetLabelList(FirstListValue - c);
            for (long i = 0; list && i < list->GetSize(); i++) {
              const long l = list->GetValue(i);
              if (l >= 0 && l < iN)
                oFlags[l] = 1;
            }
          }
        }
    }
}

namespace {
// The two lists hold the same labels (ignoring order and repeats).
bool SameLabels(const XelMathArrayOfIntegers* iA, const XelMathArrayOfIntegers* iB) {
  if (!iA || !iB)
    return false;
  for (long i = 0; i < iA->GetSize(); i++)
    if (!iB->Contains(iA->GetValue(i)))
      return false;
  for (long i = 0; i < iB->GetSize(); i++)
    if (!iA->Contains(iB->GetValue(i)))
      return false;
  return true;
}
} // namespace

void XelMathGridOfPixels::GetFloodZoneCorners(long& oN, long*& oXs, long*& oYs, long& oNCorners,
                                              long*& oCorners) const {
  oN = oNCorners = 0;
  oXs = oYs = oCorners = nullptr;
  if (_size == 0)
    return;
  unsigned char* seen = XelQuorArrayBytesNew(_size);
  auto freeSeen = XelMathMakeOnExit([&] { XelQuorArrayBytesDel(seen, _size); });
  std::memset(seen, 0, static_cast<std::size_t>(_size));
  LongBuffer xs(4), ys(4);
  long n = 0;
  for (long x = 0; x < _nx; x++)
    for (long y = 0; y < _ny; y++) {
      if (Cell(x, y) != _floodValue)
        continue;
      for (long ox = -1; ox <= 1; ox++)
        for (long oy = -1; oy <= 1; oy++) {
          const long px = x + ox, py = y + oy;
          if (!Inside(px, py) || Cell(px, py) > FirstListValue || seen[px + py * _nx])
            continue;
          seen[px + py * _nx] = 1;
          if (n == xs.Capacity()) {
            xs.Grow(2 * n, n);
            ys.Grow(2 * n, n);
          }
          xs[n] = px;
          ys[n] = py;
          n++;
        }
    }
  if (n == 0)
    return;
  auto list = [&](long i) { return GetLabelList(FirstListValue - Cell(xs[i], ys[i])); };
  // Greedy chain: each cell is followed by a later cell of the same corner (same labels)
  // when there is one, else by the next later cell that shares a label with it.
  for (long i = 0; i + 1 < n; i++) {
    long next = -1;
    for (long j = i + 1; j < n && next < 0; j++)
      if (SameLabels(list(i), list(j)))
        next = j;
    for (long j = i + 1; j < n && next < 0; j++)
      if (AreConnected(xs[i], ys[i], xs[j], ys[j]))
        next = j;
    if (next > i + 1) {
      std::swap(xs[i + 1], xs[next]);
      std::swap(ys[i + 1], ys[next]);
    }
  }
  // A corner starts wherever the labels change along the chain.
  LongBuffer corners(n);
  long count = 0;
  for (long i = 0; i < n; i++)
    if (i == 0 || !SameLabels(list(i - 1), list(i)))
      corners[count++] = i;
  long* outXs = xs.HandOver(n);
  auto freeXs = XelMathMakeOnExit([&] { DelLongs(outXs, n); });
  long* outYs = ys.HandOver(n);
  auto freeYs = XelMathMakeOnExit([&] { DelLongs(outYs, n); });
  oCorners = corners.HandOver(count);
  freeXs.Dismiss();
  freeYs.Dismiss();
  oXs = outXs;
  oYs = outYs;
  oN = n;
  oNCorners = count;
}

void XelMathGridOfPixels::FreeArray(long*& ioArray, const long iCount) {
  DelLongs(ioArray, iCount);
  ioArray = nullptr;
}
