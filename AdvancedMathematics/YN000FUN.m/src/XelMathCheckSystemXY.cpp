#include "XelMathCheckSystemXY.h"

#include <cmath>

#include "XelMathCheckTools.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathSystemXY.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"

using namespace XelMathCheck;

namespace {
/// Largest sampling per direction.
constexpr long MaxSamples = 1000;
/// Cells per direction of the image check, and inner samples per direction of each cell.
constexpr long ImageCells = 4;
constexpr long CellSamples = 6;

const char* const FirstNames[4] = {"Fx", "Fy", "Gx", "Gy"};
const char* const SecondNames[6] = {"Fxx", "Fxy", "Fyy", "Gxx", "Gxy", "Gyy"};
const char* const OutputNames[2][6] = {{"F", "Fx", "Fy", "Fxx", "Fxy", "Fyy"},
                                       {"G", "Gx", "Gy", "Gxx", "Gxy", "Gyy"}};
/// The option bit of each output of a masked evaluation.
constexpr long OutputBit[6] = {XelMathOption::Value,       XelMathOption::FirstDeriv,
                               XelMathOption::FirstDeriv,  XelMathOption::SecondDeriv,
                               XelMathOption::SecondDeriv, XelMathOption::SecondDeriv};

/// The derivative order of each output.
constexpr int OrderOf[6] = {0, 1, 1, 2, 2, 2};

/// The value and the five first and second derivatives of F (iWhich 0) or G (1), one by one.
void Singles(const XelMathSystemXY& iS, const int iWhich, const double x, const double y,
             double* oV) {
  if (iWhich == 0) {
    oV[0] = iS.EvalF(x, y);
    oV[1] = iS.EvalFirstDerivFX(x, y);
    oV[2] = iS.EvalFirstDerivFY(x, y);
    oV[3] = iS.EvalSecondDerivFX2(x, y);
    oV[4] = iS.EvalSecondDerivFXY(x, y);
    oV[5] = iS.EvalSecondDerivFY2(x, y);
  } else {
    oV[0] = iS.EvalG(x, y);
    oV[1] = iS.EvalFirstDerivGX(x, y);
    oV[2] = iS.EvalFirstDerivGY(x, y);
    oV[3] = iS.EvalSecondDerivGX2(x, y);
    oV[4] = iS.EvalSecondDerivGXY(x, y);
    oV[5] = iS.EvalSecondDerivGY2(x, y);
  }
}

/// The i-th cell of n equal cells of iI (the last ends exactly at high).
XelMathInterval CellOf(const XelMathInterval& iI, const long i, const long n) {
  const double w = (iI.high - iI.low) / double(n);
  return XelMathInterval(iI.low + double(i) * w, i == n - 1 ? iI.high : iI.low + double(i + 1) * w);
}

/// An inner sample of an interval: fractions from 0.05 to 0.95, away from the shared edges.
double Inner(const XelMathInterval& iI, const long k, const long n) {
  const double fraction = 0.05 + 0.9 * double(k) / double(n - 1);
  return iI.low + fraction * (iI.high - iI.low);
}
} // namespace

XelMathCheckSystemXY::XelMathCheckSystemXY(const XelMathSystemXY* iSystem,
                                           const XelMathInterval2D& iDomain, const double iEps,
                                           const long n)
    : _system(iSystem), _domain(iDomain), _eps(iEps),
      _n(n < 1 ? 1 : (n > MaxSamples ? MaxSamples : n)) {}

XelMathCheckSystemXY::~XelMathCheckSystemXY() = default;

long XelMathCheckSystemXY::GetDynamicMemoryBytes() const {
  return 0;
}

long XelMathCheckSystemXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathCheckSystemXY));
}

double XelMathCheckSystemXY::CentreX(const long i) const {
  const XelMathInterval& I = _domain.GetX();
  return I.low + (double(i) + 0.5) * (I.high - I.low) / double(_n);
}

double XelMathCheckSystemXY::CentreY(const long j) const {
  const XelMathInterval& J = _domain.GetY();
  return J.low + (double(j) + 0.5) * (J.high - J.low) / double(_n);
}

long XelMathCheckSystemXY::Report(const char* iCheck, const char* iQuantity, const double x,
                                  const double y, const double iFound, const double iExpected,
                                  const long iCode) const {
  XelQuorOutput& err = XelQuorOutput::GetErr();
  const int digits = err.precision(17);
  err << "***** Erreur de CheckSystemXY::" << iCheck << " :"
      << " " << iQuantity << " at x = " << x << " y = " << y << " : " << iFound << " instead of "
      << iExpected << " (code " << iCode << ")\n";
  err.precision(digits);
  err.flush();
  return iCode;
}

long XelMathCheckSystemXY::CheckAll() const {
  long code = CheckFirstDeriv();
  if (!code)
    code = CheckSecondDeriv();
  if (!code)
    code = CheckMultiEval();
  if (!code)
    code = CheckGridEval();
  if (!code)
    code = CheckImages();
  return code;
}

long XelMathCheckSystemXY::CheckFirstDeriv() const {
  const XelMathSystemXY& s = *_system;
  const double power = std::pow(_eps, 0.5);
  for (long i = 0; i < _n; ++i)
    for (long j = 0; j < _n; ++j) {
      const double x = CentreX(i), y = CentreY(j);
      const double a = std::fabs(x) + std::fabs(y) + 1.0;
      const double d[4] = {
          s.XelMathSystemXY::EvalFirstDerivFX(x, y), s.XelMathSystemXY::EvalFirstDerivFY(x, y),
          s.XelMathSystemXY::EvalFirstDerivGX(x, y), s.XelMathSystemXY::EvalFirstDerivGY(x, y)};
      const double own[4] = {s.EvalFirstDerivFX(x, y), s.EvalFirstDerivFY(x, y),
                             s.EvalFirstDerivGX(x, y), s.EvalFirstDerivGY(x, y)};
      for (int k = 0; k < 4; ++k)
        if (!Agree(own[k], d[k], power * (a + std::fabs(d[k]))))
          return Report("CheckFirstDeriv", FirstNames[k], x, y, own[k], d[k], 10 + k);
    }
  return 0;
}

long XelMathCheckSystemXY::CheckSecondDeriv() const {
  const XelMathSystemXY& s = *_system;
  const double power = std::pow(_eps, 0.333);
  for (long i = 0; i < _n; ++i)
    for (long j = 0; j < _n; ++j) {
      const double x = CentreX(i), y = CentreY(j);
      const double a = std::fabs(x) + std::fabs(y) + 1.0;
      const double d[6] = {
          s.XelMathSystemXY::EvalSecondDerivFX2(x, y), s.XelMathSystemXY::EvalSecondDerivFXY(x, y),
          s.XelMathSystemXY::EvalSecondDerivFY2(x, y), s.XelMathSystemXY::EvalSecondDerivGX2(x, y),
          s.XelMathSystemXY::EvalSecondDerivGXY(x, y), s.XelMathSystemXY::EvalSecondDerivGY2(x, y)};
      const double own[6] = {s.EvalSecondDerivFX2(x, y), s.EvalSecondDerivFXY(x, y),
                             s.EvalSecondDerivFY2(x, y), s.EvalSecondDerivGX2(x, y),
                             s.EvalSecondDerivGXY(x, y), s.EvalSecondDerivGY2(x, y)};
      for (int k = 0; k < 6; ++k)
        if (!Agree(own[k], d[k], power * (a + std::fabs(d[k]))))
          return Report("CheckSecondDeriv", SecondNames[k], x, y, own[k], d[k], 20 + k);
    }
  return 0;
}

long XelMathCheckSystemXY::CheckMultiEval() const {
  const XelMathSystemXY& s = *_system;
  for (long i = 0; i < _n; ++i)
    for (long j = 0; j < _n; ++j) {
      const double x = CentreX(i), y = CentreY(j);
      const double t = (std::fabs(x) + std::fabs(y) + 1.0) * _eps;
      for (int which = 0; which < 2; ++which) {
        double single[6];
        Singles(s, which, x, y, single);
        for (long o = 1; o <= 7; ++o) {
          double out[6] = {0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
          if (which == 0)
            s.EvalF(x, y, o, &out[0], &out[1], &out[2], &out[3], &out[4], &out[5]);
          else
            s.EvalG(x, y, o, &out[0], &out[1], &out[2], &out[3], &out[4], &out[5]);
          for (int k = 0; k < 6; ++k)
            if ((o & OutputBit[k]) && !Agree(out[k], single[k], t)) {
              const long order = k == 0 ? 0 : (k < 3 ? 1 : 2);
              return Report("CheckMultiEval", OutputNames[which][k], x, y, out[k], single[k],
                            30 + 30 * which + 10 * order + o);
            }
        }
      }
    }
  return 0;
}

long XelMathCheckSystemXY::CheckGrid(const int iWhich) const {
  const long n = _n * _n;
  const long size = 6 * (n + 1);
  double* block = XelQuorArrayDoubleNew(size);
  auto release = XelMathMakeOnExit([&] { XelQuorArrayDoubleDel(block, size); });
  for (long i = 0; i < size; ++i)
    block[i] = Sentinel;
  double* out[6];
  for (int k = 0; k < 6; ++k)
    out[k] = block + k * (n + 1);
  const XelMathInterval& I = _domain.GetX();
  const XelMathInterval& J = _domain.GetY();
  const double coords[4] = {I.low, I.high, J.low, J.high};
  const XelMathIntervalND box(2, coords);
  const long counts[2] = {_n, _n};
  if (iWhich == 0)
    _system->EvalF(box, counts, XelMathOption::PointUpToSecond, out[0], out[1], out[2], out[3],
                   out[4], out[5]);
  else
    _system->EvalG(box, counts, XelMathOption::PointUpToSecond, out[0], out[1], out[2], out[3],
                   out[4], out[5]);
  const long base = iWhich == 0 ? 90 : 100;
  for (int k = 0; k < 6; ++k)
    if (out[k][n] != Sentinel)
      return Report("CheckGridEval", OutputNames[iWhich][k], I.high, J.high, out[k][n], Sentinel,
                    base + 7);
  bool exact[6];
  for (int k = 0; k < 6; ++k)
    exact[k] = _system->IsOption(OutputBit[k]) != 0;
  double v[6];
  for (long i = 0; i < _n; ++i) {
    const double x = Sample(I, i, _n);
    for (long j = 0; j < _n; ++j) {
      const double y = Sample(J, j, _n);
      const double a = std::fabs(x) + std::fabs(y) + 1.0;
      Singles(*_system, iWhich, x, y, v);
      for (int k = 0; k < 6; ++k)
        if (!Agree(out[k][i * _n + j], v[k], GridTolerance(exact[k], OrderOf[k], _eps, a, v[k])))
          return Report("CheckGridEval", OutputNames[iWhich][k], x, y, out[k][i * _n + j], v[k],
                        base + 1 + k);
    }
  }
  return 0;
}

long XelMathCheckSystemXY::CheckGridEval() const {
  const long code = CheckGrid(0);
  return code ? code : CheckGrid(1);
}

long XelMathCheckSystemXY::CheckImagesOver(const int iWhich, const XelMathInterval& iX,
                                           const XelMathInterval& iY) const {
  XelMathInterval images[3];
  if (!_system->EvalImages(iWhich, iX, iY, images[0], images[1], images[2]))
    return 0;
  double v[6];
  for (long p = 0; p < CellSamples; ++p) {
    const double x = Inner(iX, p, CellSamples);
    for (long q = 0; q < CellSamples; ++q) {
      const double y = Inner(iY, q, CellSamples);
      const double t = (std::fabs(x) + std::fabs(y) + 1.0) * _eps;
      Singles(*_system, iWhich, x, y, v);
      for (int k = 0; k < 3; ++k)
        if (!Encloses(images[k], v[k], t))
          return Report("CheckImages", OutputNames[iWhich][k], x, y, v[k],
                        images[k].DistanceTo(v[k]) > 0.0 && v[k] < images[k].low ? images[k].low
                                                                                 : images[k].high,
                        111 + 10 * iWhich + k);
    }
  }
  return 0;
}

long XelMathCheckSystemXY::CheckImages() const {
  const XelMathInterval& I = _domain.GetX();
  const XelMathInterval& J = _domain.GetY();
  for (int which = 0; which < 2; ++which) {
    long code = CheckImagesOver(which, I, J);
    for (long i = 0; !code && i < ImageCells; ++i)
      for (long j = 0; !code && j < ImageCells; ++j)
        code = CheckImagesOver(which, CellOf(I, i, ImageCells), CellOf(J, j, ImageCells));
    if (code)
      return code;
  }
  return 0;
}
