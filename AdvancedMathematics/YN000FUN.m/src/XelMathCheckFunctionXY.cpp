#include "XelMathCheckFunctionXY.h"

#include <cmath>
#include <memory>

#include "XelMathCheckTools.h"
#include "XelMathFunctionXY.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

using namespace XelMathCheck;

namespace {
/// Cells per direction of the grid of cell images, and samples per direction of each cell.
constexpr long ImageCells = 4;
constexpr long CellSamples = 6;

/// The value and the five first and second derivatives of f at (x, y), one by one.
void Singles(const XelMathFunctionXY& iF, const double x, const double y, double* oV) {
  oV[0] = iF.Eval(x, y);
  oV[1] = iF.EvalFirstDerivX(x, y);
  oV[2] = iF.EvalFirstDerivY(x, y);
  oV[3] = iF.EvalSecondDerivX2(x, y);
  oV[4] = iF.EvalSecondDerivXY(x, y);
  oV[5] = iF.EvalSecondDerivY2(x, y);
}

/// The option bit of each of the six outputs of a masked evaluation (point bits; the interval
/// bits are 16 times larger).
constexpr long OutputBit[6] = {XelMathOption::Value,       XelMathOption::FirstDeriv,
                               XelMathOption::FirstDeriv,  XelMathOption::SecondDeriv,
                               XelMathOption::SecondDeriv, XelMathOption::SecondDeriv};

/// Outputs of the masked grid check (value, first and second derivatives).
constexpr long GridOutputs = 6;

/// The derivative order of each output.
constexpr int OrderOf[6] = {0, 1, 1, 2, 2, 2};

/// The i-th cell of n equal cells of iI (the last ends exactly at high).
XelMathInterval CellOf(const XelMathInterval& iI, const long i, const long n) {
  const double w = (iI.high - iI.low) / double(n);
  return XelMathInterval(iI.low + double(i) * w, i == n - 1 ? iI.high : iI.low + double(i + 1) * w);
}

/// An inner sample of a cell: fractions from 0.05 to 0.95, away from the shared edges.
double Inner(const XelMathInterval& iI, const long k, const long n) {
  const double fraction = 0.05 + 0.9 * double(k) / double(n - 1);
  return iI.low + fraction * (iI.high - iI.low);
}
} // namespace

XelMathCheckFunctionXY::XelMathCheckFunctionXY(const XelMathFunctionXY* iFunction,
                                               const double iEps, const XelTolerance* iTol)
    : _function(iFunction), _eps(iEps),
      _tolerance(iTol ? iTol : &XelMathFunctionXYGetTolerance(iFunction)) {
  CheckNotNull(iFunction, "the function", "XelMathCheckFunctionXY::XelMathCheckFunctionXY");
}

XelMathCheckFunctionXY::~XelMathCheckFunctionXY() = default;

long XelMathCheckFunctionXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckFunctionXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckFunctionXY));
}

long XelMathCheckFunctionXY::CheckAll(const double x, const double y, const XelMathInterval& iI,
                                      const XelMathInterval& iJ, const long n) const {
  long code = CheckIsA();
  if (!code)
    code = CheckDerivatives(x, y);
  if (!code)
    code = CheckMultiDerivEval(x, y);
  if (!code)
    code = CheckIntervalEvals(iI, iJ);
  if (!code)
    code = CheckMultiDerivIntervalEval(iI, iJ);
  if (!code)
    code = CheckGridEval(iI, iJ, n, n);
  if (!code)
    code = CheckEvalGrid(iI, iJ, n, n);
  if (!code)
    code = CheckDuplicate(iI, iJ, n);
  return code;
}

long XelMathCheckFunctionXY::CheckIsA() const {
  const char* name = _function->IsA();
  if (!name || !_function->IsAKindOf(name))
    return 1;
  return _function->IsAKindOf("XelMathFunctionXY") ? 0 : 2;
}

long XelMathCheckFunctionXY::CheckDerivatives(const double x, const double y) const {
  const XelMathFunctionXY& f = *_function;
  const double a = std::fabs(x) + std::fabs(y) + 1.0;
  // Each exact derivative against the base class's difference, orders 1, 2, 3 in turn.
  const double d[9] = {
      f.XelMathFunctionXY::EvalFirstDerivX(x, y),   f.XelMathFunctionXY::EvalFirstDerivY(x, y),
      f.XelMathFunctionXY::EvalSecondDerivX2(x, y), f.XelMathFunctionXY::EvalSecondDerivXY(x, y),
      f.XelMathFunctionXY::EvalSecondDerivY2(x, y), f.XelMathFunctionXY::EvalThirdDerivX3(x, y),
      f.XelMathFunctionXY::EvalThirdDerivX2Y(x, y), f.XelMathFunctionXY::EvalThirdDerivXY2(x, y),
      f.XelMathFunctionXY::EvalThirdDerivY3(x, y)};
  const double own[9] = {
      f.EvalFirstDerivX(x, y),   f.EvalFirstDerivY(x, y),   f.EvalSecondDerivX2(x, y),
      f.EvalSecondDerivXY(x, y), f.EvalSecondDerivY2(x, y), f.EvalThirdDerivX3(x, y),
      f.EvalThirdDerivX2Y(x, y), f.EvalThirdDerivXY2(x, y), f.EvalThirdDerivY3(x, y)};
  const double power[3] = {std::pow(_eps, 0.5), std::pow(_eps, 0.333), std::pow(_eps, 0.25)};
  for (int k = 0; k < 9; ++k) {
    const int order = k < 2 ? 0 : (k < 5 ? 1 : 2);
    if (!Agree(own[k], d[k], power[order] * (a + std::fabs(d[k]))))
      return 10 + k;
  }
  return 0;
}

long XelMathCheckFunctionXY::CheckMultiDerivEval(const double x, const double y) const {
  const XelMathFunctionXY& f = *_function;
  const double t = (std::fabs(x) + std::fabs(y) + 1.0) * _eps;
  double single[10];
  Singles(f, x, y, single);
  for (long o = 1; o <= 7; ++o) {
    double out[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    f.Eval(x, y, o, &out[0], &out[1], &out[2], &out[3], &out[4], &out[5]);
    for (int k = 0; k < 6; ++k)
      if ((o & OutputBit[k]) && !Agree(out[k], single[k], t))
        return 20 + 10 * k + o;
  }
  single[6] = f.EvalThirdDerivX3(x, y);
  single[7] = f.EvalThirdDerivX2Y(x, y);
  single[8] = f.EvalThirdDerivXY2(x, y);
  single[9] = f.EvalThirdDerivY3(x, y);
  double all[10];
  f.EvalUpToThirdDeriv(x, y, all[0], all[1], all[2], all[3], all[4], all[5], all[6], all[7], all[8],
                       all[9]);
  for (int k = 0; k < 10; ++k)
    if (!Agree(all[k], single[k], t))
      return 80 + k;
  f.EvalAllThirdDerivs(x, y, all[0], all[1], all[2], all[3]);
  for (int k = 0; k < 4; ++k)
    if (!Agree(all[k], single[6 + k], t))
      return 90 + k;
  return 0;
}

long XelMathCheckFunctionXY::CheckImages(const XelMathInterval& iI, const XelMathInterval& iJ,
                                         const long iOption, const XelMathInterval* iImages) const {
  const XelMathFunctionXY& f = *_function;
  bool asked[6];
  for (int k = 0; k < 6; ++k) {
    const long bit = XelMathOption::Image * OutputBit[k];
    asked[k] = (iOption & bit) && f.IsOption(bit);
  }
  double v[6];
  for (long i = 0; i < IntervalSamples; ++i) {
    const double x = Sample(iI, i, IntervalSamples);
    for (long j = 0; j < IntervalSamples; ++j) {
      const double y = Sample(iJ, j, IntervalSamples);
      const double t = (1.0 + std::fabs(x) + std::fabs(y)) * _eps;
      Singles(f, x, y, v);
      for (int k = 0; k < 6; ++k)
        if (asked[k] && !Encloses(iImages[k], v[k], t))
          return k + 1;
    }
  }
  return 0;
}

long XelMathCheckFunctionXY::CheckIntervalEvals(const XelMathInterval& iI,
                                                const XelMathInterval& iJ) const {
  const XelMathFunctionXY& f = *_function;
  const XelMathInterval images[6] = {f.Eval(iI, iJ, *_tolerance), f.EvalFirstDerivX(iI, iJ),
                                     f.EvalFirstDerivY(iI, iJ),   f.EvalSecondDerivX2(iI, iJ),
                                     f.EvalSecondDerivXY(iI, iJ), f.EvalSecondDerivY2(iI, iJ)};
  const long code = CheckImages(iI, iJ, XelMathOption::ImageUpToSecond, images);
  if (code)
    return 100 + code;
  if (!f.IsOption(XelMathOption::Image))
    return 0;
  // The grid of cell images: each cell's image encloses the values inside the cell.
  const double coords[4] = {iI.low, iI.high, iJ.low, iJ.high};
  const XelMathIntervalND box(2, coords);
  const long counts[2] = {ImageCells, ImageCells};
  XelMathInterval cells[ImageCells * ImageCells];
  f.Eval(box, counts, cells);
  for (long i = 0; i < ImageCells; ++i) {
    const XelMathInterval cellX = CellOf(iI, i, ImageCells);
    for (long j = 0; j < ImageCells; ++j) {
      const XelMathInterval cellY = CellOf(iJ, j, ImageCells);
      for (long p = 0; p < CellSamples; ++p) {
        const double x = Inner(cellX, p, CellSamples);
        for (long q = 0; q < CellSamples; ++q) {
          const double y = Inner(cellY, q, CellSamples);
          const double t = (1.0 + std::fabs(x) + std::fabs(y)) * _eps;
          if (!Encloses(cells[i * ImageCells + j], f.Eval(x, y), t))
            return 107;
        }
      }
    }
  }
  return 0;
}

long XelMathCheckFunctionXY::CheckMultiDerivIntervalEval(const XelMathInterval& iI,
                                                         const XelMathInterval& iJ) const {
  const XelMathFunctionXY& f = *_function;
  for (long o = XelMathOption::Image; o <= XelMathOption::ImageUpToSecond;
       o += XelMathOption::Image) {
    if (!f.IsOption(o))
      continue;
    XelMathInterval images[6];
    f.Eval(iI, iJ, o, &images[0], &images[1], &images[2], &images[3], &images[4], &images[5],
           *_tolerance);
    const long code = CheckImages(iI, iJ, o, images);
    if (code)
      return 140 + 10 * (o / XelMathOption::Image - 1) + code;
  }
  return 0;
}

namespace {
/// Room for iArrays outputs of nX nY values and one sentinel each; impossible counts raise.
long GridBlockSize(const long nX, const long nY, const long iArrays, const char* iWhere) {
  CheckGridCount(nX, nY, iArrays, iWhere);
  return iArrays * (nX * nY + 1);
}
} // namespace

long XelMathCheckFunctionXY::CheckGridEval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                           const long nX, const long nY) const {
  if (nX < 1 || nY < 1)
    return 0;
  const long size = GridBlockSize(nX, nY, GridOutputs, "XelMathCheckFunctionXY::CheckGridEval");
  const long n = nX * nY;
  double* block = XelQuorArrayDoubleNew(size);
  auto release = XelMathMakeOnExit([&] { XelQuorArrayDoubleDel(block, size); });
  for (long i = 0; i < size; ++i)
    block[i] = Sentinel;
  double* out[6];
  for (int k = 0; k < 6; ++k)
    out[k] = block + k * (n + 1);
  const double coords[4] = {iI.low, iI.high, iJ.low, iJ.high};
  const XelMathIntervalND box(2, coords);
  const long counts[2] = {nX, nY};
  _function->Eval(box, counts, XelMathOption::PointUpToSecond, out[0], out[1], out[2], out[3],
                  out[4], out[5]);
  for (int k = 0; k < 6; ++k)
    if (out[k][n] != Sentinel)
      return 217;
  bool exact[6];
  for (int k = 0; k < 6; ++k)
    exact[k] = _function->IsOption(OutputBit[k]) != 0;
  double v[6];
  for (long i = 0; i < nX; ++i) {
    const double x = Sample(iI, i, nX);
    for (long j = 0; j < nY; ++j) {
      const double y = Sample(iJ, j, nY);
      const double a = std::fabs(x) + std::fabs(y) + 1.0;
      Singles(*_function, x, y, v);
      for (int k = 0; k < 6; ++k)
        if (!Agree(out[k][i * nY + j], v[k], GridTolerance(exact[k], OrderOf[k], _eps, a, v[k])))
          return 211 + k;
    }
  }
  return 0;
}

long XelMathCheckFunctionXY::CheckEvalGrid(const XelMathInterval& iI, const XelMathInterval& iJ,
                                           const long nX, const long nY) const {
  if (nX < 1 || nY < 1)
    return 0;
  const long size = GridBlockSize(nX, nY, 3, "XelMathCheckFunctionXY::CheckEvalGrid");
  const long n = nX * nY;
  // Block: the three outputs with their sentinels, then the abscissae.
  const long total = size + nX + nY;
  double* block = XelQuorArrayDoubleNew(total);
  auto release = XelMathMakeOnExit([&] { XelQuorArrayDoubleDel(block, total); });
  for (long i = 0; i < size; ++i)
    block[i] = Sentinel;
  double* out[3] = {block, block + (n + 1), block + 2 * (n + 1)};
  double* xs = block + size;
  double* ys = xs + nX;
  for (long i = 0; i < nX; ++i)
    xs[i] = Sample(iI, i, nX);
  for (long j = 0; j < nY; ++j)
    ys[j] = Sample(iJ, j, nY);
  _function->EvalGrid(nX, xs, nY, ys, XelMathOption::ValueAndFirst, out[0], out[1], out[2]);
  for (int k = 0; k < 3; ++k)
    if (out[k][n] != Sentinel)
      return 224;
  const bool exact = _function->IsOption(XelMathOption::FirstDeriv) != 0;
  double v[6];
  for (long i = 0; i < nX; ++i)
    for (long j = 0; j < nY; ++j) {
      const double a = std::fabs(xs[i]) + std::fabs(ys[j]) + 1.0;
      Singles(*_function, xs[i], ys[j], v);
      for (int k = 0; k < 3; ++k)
        if (!Agree(out[k][i * nY + j], v[k], GridTolerance(exact, OrderOf[k], _eps, a, v[k])))
          return 221 + k;
    }
  return 0;
}

bool XelMathCheckFunctionXY::SameValues(const XelMathFunctionXY* iCopy, const XelMathInterval& iI,
                                        const XelMathInterval& iJ, const long n) const {
  if (!iCopy)
    return false;
  const double eps = _tolerance->GetRelativeEpsilon();
  for (long i = 0; i <= n; ++i) {
    const double x = Step(iI, i, n);
    for (long j = 0; j <= n; ++j) {
      const double y = Step(iJ, j, n);
      const double v = _function->Eval(x, y);
      if (!Agree(iCopy->Eval(x, y), v, eps * (1.0 + std::fabs(v))))
        return false;
    }
  }
  return true;
}

long XelMathCheckFunctionXY::CheckDuplicate(const XelMathInterval& iI, const XelMathInterval& iJ,
                                            const long n) const {
  const long steps = n < 1 ? 1 : n;
  // The counts that the grid check refuses: (n + 1)^2 points would not end.
  CheckGridCount(steps, steps, GridOutputs, "XelMathCheckFunctionXY::CheckDuplicate");
  // The original at a grid of witness points, compared again once each copy is gone: a copy
  // that shares state with the original and changes it (evaluated or deleted) is caught.
  const double eps = _tolerance->GetRelativeEpsilon();
  const long last = CopyWitnesses - 1;
  double witness[CopyWitnesses * CopyWitnesses];
  for (long i = 0; i <= last; ++i)
    for (long j = 0; j <= last; ++j)
      witness[i * CopyWitnesses + j] = _function->Eval(Step(iI, i, last), Step(iJ, j, last));
  auto unchanged = [&] {
    for (long i = 0; i <= last; ++i)
      for (long j = 0; j <= last; ++j) {
        const double w = witness[i * CopyWitnesses + j];
        if (!Agree(_function->Eval(Step(iI, i, last), Step(iJ, j, last)), w,
                   eps * (1.0 + std::fabs(w))))
          return false;
      }
    return true;
  };
  bool provided = false;
  {
    const std::unique_ptr<XelMathFunctionXY> copy(
        ProtectedCopy([&] { return _function->Duplicate(); }, provided));
    if (provided && !SameValues(copy.get(), iI, iJ, steps))
      return 130;
  }
  if (provided && !unchanged())
    return 130;
  std::unique_ptr<XelMathFunctionXY> deep(
      ProtectedCopy([&] { return _function->DeepDuplicate(); }, provided));
  if (!provided)
    return 0;
  if (!SameValues(deep.get(), iI, iJ, steps))
    return 131;
  deep.reset();
  return unchanged() ? 0 : 131;
}
