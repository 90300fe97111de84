// Polynomials of two variables about a shift point: nested Horner evaluation, grids,
// sign-aware interval images, the Chebyshev image of a box and the polynomial algebra.
#include "XelMathPolynomXY.h"

#include <cfloat>
#include <climits>
#include <cmath>
#include <memory>

#include "XelError.h"
#include "XelFedEx.h"
#include "XelMathAnalysisScaling.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathElementaryTools.h"
#include "XelMathIdentity.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathIntervalND.h"
#include "XelMathNxNMatrix.h"
#include "XelMathPolynomX.h"
#include "XelMathScratch.h"
#include "XelMathWrapperToolsXY.h"
#include "XelQuorMemory.h"
#include "XelTolerance.h"

namespace {

const long kTableSize = 16; // T_0 .. T_15

/// (i)_p = i (i - 1) ... (i - p + 1), the factor of a_i after p derivatives of t^i.
inline double Falling(const long i, const long p) {
  double r = 1.0;
  for (long k = 0; k < p; ++k)
    r *= static_cast<double>(i - k);
  return r;
}

/// The default tolerance's length resolution: two shift points closer than it are the same,
/// a scale factor not above it is degenerate (0 when that tolerance is invalid).
double LengthResolution() {
  const XelTolerance& tol = XelGetDefaultTolerance();
  if (!tol.IsValidMark()) {
    XelQuornull(__FILE__, __LINE__);
    return 0.0;
  }
  return tol.GetLengthResolution();
}

bool SameShifts(const double iX1, const double iY1, const double iX2, const double iY2) {
  const double r = LengthResolution();
  return std::fabs(iX1 - iX2) <= r && std::fabs(iY1 - iY2) <= r;
}

/// Taylor shift in place of the d + 1 coefficients c[k * stride]: those of sum c_k (t + b)^k.
void TaylorShift(double* c, const long d, const long stride, const double b) {
  if (b == 0.0)
    return;
  for (long i = d - 1; i >= 0; --i)
    for (long j = i; j <= d - 1; ++j)
      c[j * stride] += b * c[(j + 1) * stride];
}

/// Nested Horner scheme up to the total order N at (u, v). On return
/// d^(s+t) P / du^s dv^t = s! t! oP[t][s] for s + t <= N.
template <int N>
inline void NestedHorner(const double* a, const long dx, const long dy, const double u,
                         const double v, double (&oP)[N + 1][N + 1]) {
  for (int t = 0; t <= N; ++t)
    for (int s = 0; s <= N; ++s)
      oP[t][s] = 0.0;
  const long m = dy + 1;
  for (long i = dx; i >= 0; --i) {
    const double* row = a + i * m;
    double r[N + 1];
    r[0] = row[dy];
    for (int t = 1; t <= N; ++t)
      r[t] = 0.0;
    for (long j = dy - 1; j >= 0; --j) {
      for (int t = N; t >= 1; --t)
        r[t] = r[t] * v + r[t - 1];
      r[0] = r[0] * v + row[j];
    }
    for (int t = 0; t <= N; ++t) {
      for (int s = N - t; s >= 1; --s)
        oP[t][s] = oP[t][s] * u + oP[t][s - 1];
      oP[t][0] = oP[t][0] * u + r[t];
    }
  }
}

/// Grid kernel up to the order N (1 or 2): for each ordinate the row polynomials and their
/// v-derivatives are evaluated once, then a Horner pass in u runs for every abscissa.
/// Outputs (null ones skipped): out[0] f, [1] fx, [2] fy, [3] fxx, [4] fxy, [5] fyy.
template <int N, class UAt, class VAt>
void GridKernel(const double* a, const long dx, const long dy, const long nX, UAt uAt,
                const long nY, VAt vAt, double* const* out) {
  const long m = dy + 1;
  XelMathScratchDoubles<64> rows((N + 1) * (dx + 1));
  double* R = rows.Data(); // R[t * (dx + 1) + i]: t-th v-accumulator of row i
  for (long l = 0; l < nY; ++l) {
    const double v = vAt(l);
    for (long i = 0; i <= dx; ++i) {
      const double* row = a + i * m;
      double r[N + 1];
      r[0] = row[dy];
      for (int t = 1; t <= N; ++t)
        r[t] = 0.0;
      for (long j = dy - 1; j >= 0; --j) {
        for (int t = N; t >= 1; --t)
          r[t] = r[t] * v + r[t - 1];
        r[0] = r[0] * v + row[j];
      }
      for (int t = 0; t <= N; ++t)
        R[t * (dx + 1) + i] = r[t];
    }
    for (long k = 0; k < nX; ++k) {
      const double u = uAt(k);
      double P[N + 1][N + 1];
      for (int t = 0; t <= N; ++t) {
        const double* Rt = R + t * (dx + 1);
        double p[N + 1];
        p[0] = Rt[dx];
        for (int s = 1; s <= N; ++s)
          p[s] = 0.0;
        for (long i = dx - 1; i >= 0; --i) {
          for (int s = N - t; s >= 1; --s)
            p[s] = p[s] * u + p[s - 1];
          p[0] = p[0] * u + Rt[i];
        }
        for (int s = 0; s <= N; ++s)
          P[t][s] = p[s];
      }
      const long at = k * nY + l;
      if (out[0])
        out[0][at] = P[0][0];
      if (out[1])
        out[1][at] = P[0][1];
      if (out[2])
        out[2][at] = P[1][0];
      if (N >= 2) {
        if (out[3])
          out[3][at] = 2.0 * P[0][N >= 2 ? 2 : 0];
        if (out[4])
          out[4][at] = P[1][1];
        if (out[5])
          out[5][at] = 2.0 * P[N >= 2 ? 2 : 0][0];
      }
    }
  }
}

/// Node k of n from iStart by iStep, the last one exactly iEnd.
struct RegularNodes {
  double start, end, step;
  long n;
  double operator()(const long k) const {
    return k == n - 1 ? end : start + static_cast<double>(k) * step;
  }
};

/// Interval Horner step t [lo, hi] for t in [a, b], a >= 0 (Pos) or b <= 0 (Neg).
inline void StepPos(const double a, const double b, double& lo, double& hi) {
  const double l = lo < 0.0 ? lo * b : lo * a;
  const double h = hi > 0.0 ? hi * b : hi * a;
  lo = l;
  hi = h;
}
inline void StepNeg(const double a, const double b, double& lo, double& hi) {
  const double l = hi > 0.0 ? hi * a : hi * b;
  const double h = lo < 0.0 ? lo * a : lo * b;
  lo = l;
  hi = h;
}

/// Image over iV (of one sign, Step the matching sign-aware Horner step) of row iRow + iOrderX
/// of the coefficients differentiated iOrderX times in x and iOrderY times in y.
template <void (*Step)(double, double, double&, double&)>
XelMathInterval SignedRowImage(const double* iCoefficients, const long iDegreeX,
                               const long iDegreeY, const long iRow, const XelMathInterval& iV,
                               const long iOrderX, const long iOrderY) {
  const long i = iRow + iOrderX, dy = iDegreeY, n = dy - iOrderY;
  if (i > iDegreeX || n < 0 || iRow < 0)
    return XelMathInterval(0.0, 0.0);
  const double* row = iCoefficients + i * (dy + 1);
  const double f = Falling(i, iOrderX);
  double lo = f * Falling(dy, iOrderY) * row[dy], hi = lo;
  for (long j = n - 1; j >= 0; --j) {
    Step(iV.low, iV.high, lo, hi);
    const double c = f * Falling(j + iOrderY, iOrderY) * row[j + iOrderY];
    lo += c;
    hi += c;
  }
  return XelMathInterval(lo, hi);
}

/// Interval Horner step t [lo, hi] for any t in [a, b] (four-case product).
inline void StepGeneral(const double a, const double b, double& lo, double& hi) {
  const double p1 = lo * a, p2 = lo * b, p3 = hi * a, p4 = hi * b;
  lo = std::fmin(std::fmin(p1, p2), std::fmin(p3, p4));
  hi = std::fmax(std::fmax(p1, p2), std::fmax(p3, p4));
}

/// An image whose end is NaN (terms that overflowed with opposite signs) is unbounded there.
inline XelMathInterval Unbounded(const XelMathInterval& iI) {
  return XelMathInterval(iI.low == iI.low ? iI.low : -HUGE_VAL,
                         iI.high == iI.high ? iI.high : HUGE_VAL);
}

inline bool ConstantSign(const XelMathInterval& iI) {
  return iI.low >= 0.0 || iI.high <= 0.0;
}

/// Reads a role of a tolerance (0 for an invalid one).
inline bool UsableTolerance(const XelTolerance& iTol) {
  return iTol.IsValidMark() && !iTol.GetError();
}

} // namespace

// ==== class-wide Chebyshev table
// ==================================================================
double XelMathPolynomXY::_InverseOfChebychevArray[256] = {0.0};
unsigned char XelMathPolynomXY::_ChebychevInitializationDone = 0;

void XelMathPolynomXY::InitializeChebychevPolynomials(double* oMatrix) {
  // Column n holds T_n: oMatrix[k][n] is the coefficient of x^k in T_n.
  for (long k = 0; k < kTableSize; ++k)
    for (long n = 0; n < kTableSize; ++n)
      oMatrix[k * kTableSize + n] = XelMathPolynomX::GetChebychevCoefficient(n, k);
}

void XelMathPolynomXY::InitializeInverseOfChebychevPolynomials(const double* iMatrix) {
  const XelMathNxNMatrix T(kTableSize, iMatrix);
  XelMathNxNMatrix inverse(kTableSize);
  T.Inverse(inverse);
  // x^n = 2^(1-n) sum_k binom(n, k) T_|n-2k| (the T_0 term halved): every entry is an integer
  // multiple of 2^-14, so the rounding of the elimination is removed by snapping to that grid.
  const double grid = 16384.0;
  for (long k = 0; k < kTableSize; ++k)
    for (long n = 0; n < kTableSize; ++n) {
      const double e = inverse.GetCoef(k, n);
      _InverseOfChebychevArray[k * kTableSize + n] =
          (k > n || (n - k) % 2 != 0) ? 0.0 : std::nearbyint(e * grid) / grid;
    }
}

void XelMathPolynomXY::InitializeStaticChebychevData() {
  if (_ChebychevInitializationDone)
    return;
  double matrix[kTableSize * kTableSize];
  InitializeChebychevPolynomials(matrix);
  InitializeInverseOfChebychevPolynomials(matrix);
  _ChebychevInitializationDone = 1;
}

// ==== construction
// =================================================================================
double* XelMathPolynomXY::NewCoefficients(const long iDegreeX, const long iDegreeY,
                                          const char* iWhere) {
  // Both degrees fit the 32-bit members and their product the memory services, checked
  // before any size is computed.
  if (iDegreeX < 0 || iDegreeY < 0 || iDegreeX >= INT_MAX || iDegreeY >= INT_MAX ||
      iDegreeX + 1 > XelQuorMaxArrayDoubles / (iDegreeY + 1))
    XelMathRaise(XelErrorCode::InvalidOption, "the degree", "Dimension not valid", iWhere);
  const long n = (iDegreeX + 1) * (iDegreeY + 1);
  double* c = XelQuorArrayDoubleNew(n);
  for (long k = 0; k < n; ++k)
    c[k] = 0.0;
  return c;
}

void XelMathPolynomXY::Adopt(double* iCoefficients, const long iDegreeX, const long iDegreeY) {
  Release();
  _coefficients = iCoefficients;
  _degreeX = static_cast<int>(iDegreeX);
  _degreeY = static_cast<int>(iDegreeY);
}

void XelMathPolynomXY::Release() {
  if (_coefficients)
    XelQuorArrayDoubleDel(_coefficients, (long(_degreeX) + 1) * (long(_degreeY) + 1));
  _coefficients = nullptr;
}

XelMathPolynomXY::XelMathPolynomXY(const long iDegreeX, const long iDegreeY, double** iCoefficients,
                                   const double iShiftX, const double iShiftY)
    : _degreeX(0), _degreeY(0), _coefficients(nullptr), _shiftX(iShiftX), _shiftY(iShiftY) {
  SetCoefficients(iDegreeX, iDegreeY, iCoefficients);
}

XelMathPolynomXY::XelMathPolynomXY(const long iDegreeX, const long iDegreeY, const double* iFlat,
                                   const double iShiftX, const double iShiftY)
    : _degreeX(0), _degreeY(0), _coefficients(nullptr), _shiftX(iShiftX), _shiftY(iShiftY) {
  SetCoefficients(iDegreeX, iDegreeY, iFlat);
}

XelMathPolynomXY::XelMathPolynomXY(const long iDegreeX, const long iDegreeY, std::nullptr_t,
                                   const double iShiftX, const double iShiftY)
    : _degreeX(0), _degreeY(0), _coefficients(nullptr), _shiftX(iShiftX), _shiftY(iShiftY) {
  Adopt(NewCoefficients(iDegreeX, iDegreeY, "XelMathPolynomXY::XelMathPolynomXY"), iDegreeX,
        iDegreeY);
}

XelMathPolynomXY::XelMathPolynomXY(const XelMathPolynomXY& iOther)
    : XelMathFunctionXY(iOther), _degreeX(0), _degreeY(0), _coefficients(nullptr),
      _shiftX(iOther._shiftX), _shiftY(iOther._shiftY) {
  SetCoefficients(iOther._degreeX, iOther._degreeY, iOther._coefficients);
}

XelMathPolynomXY& XelMathPolynomXY::operator=(const XelMathPolynomXY& iOther) {
  if (this != &iOther) {
    SetCoefficients(iOther._degreeX, iOther._degreeY, iOther._coefficients);
    _shiftX = iOther._shiftX;
    _shiftY = iOther._shiftY;
  }
  return *this;
}

XelMathPolynomXY::~XelMathPolynomXY() {
  Release();
}

void XelMathPolynomXY::SetCoefficients(const long iDegreeX, const long iDegreeY,
                                       double** iCoefficients) {
  double* c = NewCoefficients(iDegreeX, iDegreeY, "XelMathPolynomXY::SetCoefficients");
  if (iCoefficients)
    for (long i = 0; i <= iDegreeX; ++i)
      if (iCoefficients[i])
        for (long j = 0; j <= iDegreeY; ++j)
          c[i * (iDegreeY + 1) + j] = iCoefficients[i][j];
  Adopt(c, iDegreeX, iDegreeY);
}

void XelMathPolynomXY::SetCoefficients(const long iDegreeX, const long iDegreeY,
                                       const double* iFlat) {
  // The source may be our own array: the new one is filled before the old is released.
  double* c = NewCoefficients(iDegreeX, iDegreeY, "XelMathPolynomXY::SetCoefficients");
  if (iFlat) {
    const long n = (iDegreeX + 1) * (iDegreeY + 1);
    for (long k = 0; k < n; ++k)
      c[k] = iFlat[k];
  }
  Adopt(c, iDegreeX, iDegreeY);
}

// ==== memory, names, options
// ========================================================================
long XelMathPolynomXY::GetDynamicMemoryBytes() const {
  return 8 * (long(_degreeX) + 1) * (long(_degreeY) + 1);
}
long XelMathPolynomXY::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
XelMathDefineIdentity(XelMathPolynomXY, XelMathFunctionXY);
XelMathDefineNoComponents(XelMathPolynomXY);
unsigned char XelMathPolynomXY::IsOption(const long iOption) const {
  const long exact = XelMathOption::FirstDeriv | XelMathOption::SecondDeriv |
                     XelMathOption::ThirdDeriv | XelMathOption::ImageUpToSecond;
  return (iOption & ~exact) == 0 ? 1 : 0;
}

// ==== changes of variable
// ============================================================================
void XelMathPolynomXY::ApplyFormalShiftOnVariable(const double iDX, const double iDY) {
  const long m = _degreeY + 1;
  if (iDX != 0.0 && _degreeX > 0)
    for (long j = 0; j <= _degreeY; ++j)
      TaylorShift(_coefficients + j, _degreeX, m, iDX);
  if (iDY != 0.0 && _degreeY > 0)
    for (long i = 0; i <= _degreeX; ++i)
      TaylorShift(_coefficients + i * m, _degreeY, 1, iDY);
}

void XelMathPolynomXY::CancelShifts() {
  ApplyFormalShiftOnVariable(-_shiftX, -_shiftY);
  _shiftX = 0.0;
  _shiftY = 0.0;
}

void XelMathPolynomXY::ApplyScalingOnVariables(const double iSX, const double iSY) {
  const double r = LengthResolution();
  // A degenerate factor cannot move the shift: that variable is first written about 0.
  const bool keepX = !(std::fabs(iSX) > r), keepY = !(std::fabs(iSY) > r);
  ApplyFormalShiftOnVariable(keepX ? -_shiftX : 0.0, keepY ? -_shiftY : 0.0);
  _shiftX = keepX ? 0.0 : _shiftX / iSX;
  _shiftY = keepY ? 0.0 : _shiftY / iSY;
  const long m = _degreeY + 1;
  double px = 1.0;
  for (long i = 0; i <= _degreeX; ++i, px *= iSX) {
    double p = px;
    for (long j = 0; j <= _degreeY; ++j, p *= iSY)
      _coefficients[i * m + j] *= p;
  }
}

// ==== point evaluations
// ===============================================================================
double XelMathPolynomXY::Eval(const double& x, const double& y) const {
  const double u = x - _shiftX, v = y - _shiftY;
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  const double* a = _coefficients;
  double p = 0.0;
  for (long i = dx; i >= 0; --i) {
    const double* row = a + i * m;
    double r = row[dy];
    for (long j = dy - 1; j >= 0; --j)
      r = r * v + row[j];
    p = p * u + r;
  }
  return p;
}

double XelMathPolynomXY::EvalPartial(const double u, const double v, const long p,
                                     const long q) const {
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  if (p > dx || q > dy)
    return 0.0;
  const double* a = _coefficients;
  double s = 0.0;
  for (long i = dx; i >= p; --i) {
    const double* row = a + i * m;
    double r = Falling(dy, q) * row[dy];
    for (long j = dy - 1; j >= q; --j)
      r = r * v + Falling(j, q) * row[j];
    s = s * u + Falling(i, p) * r;
  }
  return s;
}

double XelMathPolynomXY::EvalFirstDerivX(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 1, 0);
}
double XelMathPolynomXY::EvalFirstDerivY(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 0, 1);
}
double XelMathPolynomXY::EvalSecondDerivX2(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 2, 0);
}
double XelMathPolynomXY::EvalSecondDerivXY(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 1, 1);
}
double XelMathPolynomXY::EvalSecondDerivY2(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 0, 2);
}
double XelMathPolynomXY::EvalThirdDerivX3(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 3, 0);
}
double XelMathPolynomXY::EvalThirdDerivX2Y(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 2, 1);
}
double XelMathPolynomXY::EvalThirdDerivXY2(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 1, 2);
}
double XelMathPolynomXY::EvalThirdDerivY3(const double& x, const double& y) const {
  return EvalPartial(x - _shiftX, y - _shiftY, 0, 3);
}

void XelMathPolynomXY::EvalFirstDeriv(const double& x, const double& y, double& oFx,
                                      double& oFy) const {
  double f;
  EvalAndFirstDeriv(x, y, f, oFx, oFy);
}

void XelMathPolynomXY::EvalAndFirstDeriv(const double& x, const double& y, double& oF, double& oFx,
                                         double& oFy) const {
  const double u = x - _shiftX, v = y - _shiftY;
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  double p0 = 0.0, p1 = 0.0, q0 = 0.0;
  for (long i = dx; i >= 0; --i) {
    const double* row = _coefficients + i * m;
    double r = row[dy], r1 = 0.0;
    for (long j = dy - 1; j >= 0; --j) {
      r1 = r1 * v + r;
      r = r * v + row[j];
    }
    p1 = p1 * u + p0;
    p0 = p0 * u + r;
    q0 = q0 * u + r1;
  }
  oF = p0;
  oFx = p1;
  oFy = q0;
}

void XelMathPolynomXY::EvalAndFirstAndSecondDeriv(const double& x, const double& y, double& oF,
                                                  double& oFx, double& oFy, double& oFxx,
                                                  double& oFxy, double& oFyy) const {
  const double u = x - _shiftX, v = y - _shiftY;
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  // Rows r, r' and r''/2 in v; then f, fx, fxx/2 from r, fy, fxy from r', fyy/2 from r''/2.
  double p0 = 0.0, p1 = 0.0, p2 = 0.0, q0 = 0.0, q1 = 0.0, s0 = 0.0;
  for (long i = dx; i >= 0; --i) {
    const double* row = _coefficients + i * m;
    double r = row[dy], r1 = 0.0, r2 = 0.0;
    for (long j = dy - 1; j >= 0; --j) {
      r2 = r2 * v + r1;
      r1 = r1 * v + r;
      r = r * v + row[j];
    }
    p2 = p2 * u + p1;
    p1 = p1 * u + p0;
    p0 = p0 * u + r;
    q1 = q1 * u + q0;
    q0 = q0 * u + r1;
    s0 = s0 * u + r2;
  }
  oF = p0;
  oFx = p1;
  oFy = q0;
  oFxx = 2.0 * p2;
  oFxy = q1;
  oFyy = 2.0 * s0;
}

void XelMathPolynomXY::HornerSchemeUpToThird(const double& x, const double& y, double* oD) const {
  double P[4][4];
  NestedHorner<3>(_coefficients, _degreeX, _degreeY, x - _shiftX, y - _shiftY, P);
  oD[0] = P[0][0];
  oD[1] = P[0][1];
  oD[2] = P[1][0];
  oD[3] = 2.0 * P[0][2];
  oD[4] = P[1][1];
  oD[5] = 2.0 * P[2][0];
  oD[6] = 6.0 * P[0][3];
  oD[7] = 2.0 * P[1][2];
  oD[8] = 2.0 * P[2][1];
  oD[9] = 6.0 * P[3][0];
}

void XelMathPolynomXY::EvalUpToThirdDeriv(const double& x, const double& y, double& oF, double& oFx,
                                          double& oFy, double& oFxx, double& oFxy, double& oFyy,
                                          double& oFxxx, double& oFxxy, double& oFxyy,
                                          double& oFyyy) const {
  double d[10];
  HornerSchemeUpToThird(x, y, d);
  XelMathWrapperXY::UnpackUpToThird(d, oF, oFx, oFy, oFxx, oFxy, oFyy, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathPolynomXY::EvalAllThirdDerivs(const double& x, const double& y, double& oFxxx,
                                          double& oFxxy, double& oFxyy, double& oFyyy) const {
  double d[10];
  HornerSchemeUpToThird(x, y, d);
  XelMathWrapperXY::UnpackThirds(d, oFxxx, oFxxy, oFxyy, oFyyy);
}

void XelMathPolynomXY::Eval(const double& x, const double& y, const long iDiff, double* oF,
                            double* oFx, double* oFy, double* oFxx, double* oFxy,
                            double* oFyy) const {
  const long mask = iDiff & XelMathOption::PointUpToSecond;
  if (mask == 0)
    return;
  if (mask == XelMathOption::Value) {
    if (oF)
      *oF = Eval(x, y);
    return;
  }
  double f, fx, fy, fxx, fxy, fyy; // results not asked for stay here
  if (mask == XelMathOption::FirstDeriv)
    EvalFirstDeriv(x, y, fx, fy);
  else if (mask == XelMathOption::ValueAndFirst)
    EvalAndFirstDeriv(x, y, f, fx, fy);
  else
    EvalAndFirstAndSecondDeriv(x, y, f, fx, fy, fxx, fxy, fyy);
  if ((mask & XelMathOption::Value) && oF)
    *oF = f;
  if (mask & XelMathOption::FirstDeriv) {
    if (oFx)
      *oFx = fx;
    if (oFy)
      *oFy = fy;
  }
  if (mask & XelMathOption::SecondDeriv) {
    if (oFxx)
      *oFxx = fxx;
    if (oFxy)
      *oFxy = fxy;
    if (oFyy)
      *oFyy = fyy;
  }
}

// ==== grids
// =========================================================================================
void XelMathPolynomXY::GridEval(const double iUStart, const double iUEnd, const double iUStep,
                                const long iNX, const double iVStart, const double iVEnd,
                                const double iVStep, const long iNY, double* oF) const {
  if (iNX <= 0 || iNY <= 0 || !oF)
    return;
  XelMathWrapperXY::CheckGridOutputs(iNX, iNY, "XelMathPolynomXY::GridEval");
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  const RegularNodes U{iUStart, iUEnd, iUStep, iNX}, V{iVStart, iVEnd, iVStep, iNY};
  XelMathScratchDoubles<64> rows(dx + 1);
  double* R = rows.Data();
  for (long l = 0; l < iNY; ++l) {
    const double v = V(l);
    for (long i = 0; i <= dx; ++i) {
      const double* row = _coefficients + i * m;
      double r = row[dy];
      for (long j = dy - 1; j >= 0; --j)
        r = r * v + row[j];
      R[i] = r;
    }
    for (long k = 0; k < iNX; ++k) {
      const double u = U(k);
      double p = R[dx];
      for (long i = dx - 1; i >= 0; --i)
        p = p * u + R[i];
      oF[k * iNY + l] = p;
    }
  }
}

void XelMathPolynomXY::GridEvalFirstDeriv(const double iUStart, const double iUEnd,
                                          const double iUStep, const long iNX, const double iVStart,
                                          const double iVEnd, const double iVStep, const long iNY,
                                          double* oFx, double* oFy) const {
  GridEvalAndFirstDeriv(iUStart, iUEnd, iUStep, iNX, iVStart, iVEnd, iVStep, iNY, nullptr, oFx,
                        oFy);
}

void XelMathPolynomXY::GridEvalAndFirstDeriv(const double iUStart, const double iUEnd,
                                             const double iUStep, const long iNX,
                                             const double iVStart, const double iVEnd,
                                             const double iVStep, const long iNY, double* oF,
                                             double* oFx, double* oFy) const {
  if (iNX <= 0 || iNY <= 0)
    return;
  XelMathWrapperXY::CheckGridOutputs(iNX, iNY, "XelMathPolynomXY::GridEvalAndFirstDeriv");
  double* const out[6] = {oF, oFx, oFy, nullptr, nullptr, nullptr};
  GridKernel<1>(_coefficients, _degreeX, _degreeY, iNX, RegularNodes{iUStart, iUEnd, iUStep, iNX},
                iNY, RegularNodes{iVStart, iVEnd, iVStep, iNY}, out);
}

void XelMathPolynomXY::GridEvalAndFirstAndSecondDeriv(
    const double iUStart, const double iUEnd, const double iUStep, const long iNX,
    const double iVStart, const double iVEnd, const double iVStep, const long iNY, double* oF,
    double* oFx, double* oFy, double* oFxx, double* oFxy, double* oFyy) const {
  if (iNX <= 0 || iNY <= 0)
    return;
  XelMathWrapperXY::CheckGridOutputs(iNX, iNY, "XelMathPolynomXY::GridEvalAndFirstAndSecondDeriv");
  double* const out[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
  GridKernel<2>(_coefficients, _degreeX, _degreeY, iNX, RegularNodes{iUStart, iUEnd, iUStep, iNX},
                iNY, RegularNodes{iVStart, iVEnd, iVStep, iNY}, out);
}

void XelMathPolynomXY::Eval(const XelMathIntervalND& iBox, const long* iCounts, const long iDiff,
                            double* oF, double* oFx, double* oFy, double* oFxx, double* oFxy,
                            double* oFyy) const {
  XelMathInterval I, J;
  if (!XelMathWrapperXY::ReadBoxGrid(iBox, iCounts, "XelMathPolynomXY::Eval", I, J))
    return;
  const long nX = iCounts[0], nY = iCounts[1];
  const long mask = iDiff & XelMathOption::PointUpToSecond;
  if (mask == 0)
    return;
  const double u0 = I.low - _shiftX, u1 = I.high - _shiftX;
  const double v0 = J.low - _shiftY, v1 = J.high - _shiftY;
  const double du = nX > 1 ? (I.high - I.low) / static_cast<double>(nX - 1) : 0.0;
  const double dv = nY > 1 ? (J.high - J.low) / static_cast<double>(nY - 1) : 0.0;
  // One node: the low end.
  const double e0 = nX > 1 ? u1 : u0, e1 = nY > 1 ? v1 : v0;
  double* const f = (mask & XelMathOption::Value) ? oF : nullptr;
  double* const fx = (mask & XelMathOption::FirstDeriv) ? oFx : nullptr;
  double* const fy = (mask & XelMathOption::FirstDeriv) ? oFy : nullptr;
  if (mask == XelMathOption::Value)
    GridEval(u0, e0, du, nX, v0, e1, dv, nY, f);
  else if (mask == XelMathOption::FirstDeriv)
    GridEvalFirstDeriv(u0, e0, du, nX, v0, e1, dv, nY, fx, fy);
  else if (mask == XelMathOption::ValueAndFirst)
    GridEvalAndFirstDeriv(u0, e0, du, nX, v0, e1, dv, nY, f, fx, fy);
  else
    GridEvalAndFirstAndSecondDeriv(u0, e0, du, nX, v0, e1, dv, nY, f, fx, fy, oFxx, oFxy, oFyy);
}

void XelMathPolynomXY::EvalGrid(const long iNX, const double* iX, const long iNY, const double* iY,
                                const long iDiff, double* oF, double* oFx, double* oFy) const {
  const long mask = iDiff & XelMathOption::ValueAndFirst;
  if (!XelMathWrapperXY::CheckGivenGrid(iNX, iX, iNY, iY, "XelMathPolynomXY::EvalGrid") ||
      mask == 0)
    return;
  const double sx = _shiftX, sy = _shiftY;
  auto U = [iX, sx](const long k) { return iX[k] - sx; };
  auto V = [iY, sy](const long l) { return iY[l] - sy; };
  double* const out[6] = {(mask & XelMathOption::Value) ? oF : nullptr,
                          (mask & XelMathOption::FirstDeriv) ? oFx : nullptr,
                          (mask & XelMathOption::FirstDeriv) ? oFy : nullptr,
                          nullptr,
                          nullptr,
                          nullptr};
  GridKernel<1>(_coefficients, _degreeX, _degreeY, iNX, U, iNY, V, out);
}

// ==== interval evaluations ===================================================================
XelMathInterval XelMathPolynomXY::SubEvalPos(const long iRow, const XelMathInterval& iV,
                                             const long iOrderX, const long iOrderY) const {
  return SignedRowImage<StepPos>(_coefficients, _degreeX, _degreeY, iRow, iV, iOrderX, iOrderY);
}

XelMathInterval XelMathPolynomXY::SubEvalNeg(const long iRow, const XelMathInterval& iV,
                                             const long iOrderX, const long iOrderY) const {
  return SignedRowImage<StepNeg>(_coefficients, _degreeX, _degreeY, iRow, iV, iOrderX, iOrderY);
}

XelMathInterval XelMathPolynomXY::SubEvalSym(const long iRow, const XelMathInterval& iV,
                                             const long iOrderX, const long iOrderY) const {
  const long i = iRow + iOrderX, dy = _degreeY, n = dy - iOrderY;
  if (i > _degreeX || n < 0 || iRow < 0)
    return XelMathInterval(0.0, 0.0);
  const double* row = _coefficients + i * (dy + 1);
  const double f = Falling(i, iOrderX);
  auto coef = [&](const long j) { return f * Falling(j + iOrderY, iOrderY) * row[j + iOrderY]; };
  // Row = E(v^2) + v O(v^2), E and O bounded on [0, m] by the non-negative scheme.
  const double a = iV.low, b = iV.high, m = std::fmax(a * a, b * b);
  auto chain = [&](const long first, double& lo, double& hi) {
    long top = first;
    while (top + 2 <= n)
      top += 2;
    lo = hi = coef(top);
    for (long j = top - 2; j >= first; j -= 2) {
      StepPos(0.0, m, lo, hi);
      lo += coef(j);
      hi += coef(j);
    }
  };
  double el, eh;
  chain(0, el, eh);
  if (n < 1)
    return XelMathInterval(el, eh);
  double ol, oh;
  chain(1, ol, oh);
  XelMathInterval split;
  if (ol >= 0.0)
    split = XelMathInterval(el + a * oh, eh + b * oh);
  else if (oh <= 0.0)
    split = XelMathInterval(el + b * ol, eh + a * ol);
  else
    split = XelMathInterval(el + std::fmin(b * ol, a * oh), eh + std::fmax(a * ol, b * oh));
  // The split loses when the interval is far from symmetric: the plain scheme is kept when
  // it is the tighter on a side.
  double lo = coef(n), hi = lo;
  for (long j = n - 1; j >= 0; --j) {
    StepGeneral(a, b, lo, hi);
    lo += coef(j);
    hi += coef(j);
  }
  return XelMathElementary::Tighter(split, XelMathInterval(lo, hi));
}

namespace {
/// The image of row i over V by the scheme of V's sign.
inline XelMathInterval RowImage(const XelMathPolynomXY& iP, const long i, const XelMathInterval& V,
                                const long p, const long q) {
  if (V.low * V.high < 0.0)
    return iP.SubEvalSym(i, V, p, q);
  if (V.low >= 0.0)
    return iP.SubEvalPos(i, V, p, q);
  return iP.SubEvalNeg(i, V, p, q);
}

/// Outer interval Horner scheme in x over iU (of one sign, Step the matching sign-aware step)
/// on the images over iV of the rows differentiated iOrderX times in x and iOrderY in y.
template <void (*Step)(double, double, double&, double&)>
XelMathInterval SignedOuterImage(const XelMathPolynomXY& iP, const long iDegreeX,
                                 const long iDegreeY, const XelMathInterval& iU,
                                 const XelMathInterval& iV, const long iOrderX,
                                 const long iOrderY) {
  const long n = iDegreeX - iOrderX;
  if (n < 0 || iOrderY > iDegreeY)
    return XelMathInterval(0.0, 0.0);
  XelMathInterval acc = RowImage(iP, n, iV, iOrderX, iOrderY);
  for (long i = n - 1; i >= 0; --i) {
    Step(iU.low, iU.high, acc.low, acc.high);
    const XelMathInterval r = RowImage(iP, i, iV, iOrderX, iOrderY);
    acc = XelMathInterval(acc.low + r.low, acc.high + r.high);
  }
  return acc;
}
} // namespace

XelMathInterval XelMathPolynomXY::EvalIntervalPosX(const XelMathInterval& iU,
                                                   const XelMathInterval& iV, const long iOrderX,
                                                   const long iOrderY) const {
  return SignedOuterImage<StepPos>(*this, _degreeX, _degreeY, iU, iV, iOrderX, iOrderY);
}

XelMathInterval XelMathPolynomXY::EvalIntervalNegX(const XelMathInterval& iU,
                                                   const XelMathInterval& iV, const long iOrderX,
                                                   const long iOrderY) const {
  return SignedOuterImage<StepNeg>(*this, _degreeX, _degreeY, iU, iV, iOrderX, iOrderY);
}

XelMathInterval XelMathPolynomXY::EvalIntervalSymX(const XelMathInterval& iU,
                                                   const XelMathInterval& iV, const long iOrderX,
                                                   const long iOrderY) const {
  const long n = _degreeX - iOrderX;
  if (n < 0 || iOrderY > _degreeY)
    return XelMathInterval(0.0, 0.0);
  // P = E(u^2) + u O(u^2) with interval coefficients (the row images, computed once), E and
  // O bounded on [0, max(a^2, b^2)] by the non-negative scheme.
  XelMathScratchDoubles<64> buffer(2 * (n + 1));
  double* R = buffer.Data();
  for (long i = 0; i <= n; ++i) {
    const XelMathInterval r = RowImage(*this, i, iV, iOrderX, iOrderY);
    R[2 * i] = r.low;
    R[2 * i + 1] = r.high;
  }
  const double a = iU.low, b = iU.high, m = std::fmax(a * a, b * b);
  auto chain = [&](const long first) {
    long top = first;
    while (top + 2 <= n)
      top += 2;
    double lo = R[2 * top], hi = R[2 * top + 1];
    for (long i = top - 2; i >= first; i -= 2) {
      StepPos(0.0, m, lo, hi);
      lo += R[2 * i];
      hi += R[2 * i + 1];
    }
    return XelMathInterval(lo, hi);
  };
  const XelMathInterval E = chain(0);
  if (n < 1)
    return E;
  const XelMathInterval O = chain(1);
  const double ol = O.low, oh = O.high;
  XelMathInterval split;
  if (ol >= 0.0)
    split = XelMathInterval(E.low + a * oh, E.high + b * oh);
  else if (oh <= 0.0)
    split = XelMathInterval(E.low + b * ol, E.high + a * ol);
  else
    split = XelMathInterval(E.low + std::fmin(b * ol, a * oh), E.high + std::fmax(a * ol, b * oh));
  // The plain scheme on the same row images, kept where it is the tighter.
  double lo = R[2 * n], hi = R[2 * n + 1];
  for (long i = n - 1; i >= 0; --i) {
    StepGeneral(a, b, lo, hi);
    lo += R[2 * i];
    hi += R[2 * i + 1];
  }
  return XelMathElementary::Tighter(split, XelMathInterval(lo, hi));
}

XelMathInterval XelMathPolynomXY::ImageOfPartial(const XelMathInterval& iU,
                                                 const XelMathInterval& iV, const long p,
                                                 const long q) const {
  if (p > _degreeX || q > _degreeY)
    return XelMathInterval(0.0, 0.0);
  if (iU.low * iU.high < 0.0)
    return Unbounded(EvalIntervalSymX(iU, iV, p, q));
  if (iU.low >= 0.0)
    return Unbounded(EvalIntervalPosX(iU, iV, p, q));
  return Unbounded(EvalIntervalNegX(iU, iV, p, q));
}

XelMathInterval XelMathPolynomXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ,
                                       const XelTolerance&) const {
  return ImageOfPartial(XelMathInterval(iI.low - _shiftX, iI.high - _shiftX),
                        XelMathInterval(iJ.low - _shiftY, iJ.high - _shiftY), 0, 0);
}

#define XEL_POLYNOMXY_PARTIAL_IMAGE(Name, P, Q)                                                    \
  XelMathInterval XelMathPolynomXY::Name(const XelMathInterval& iI, const XelMathInterval& iJ)     \
      const {                                                                                      \
    return ImageOfPartial(XelMathInterval(iI.low - _shiftX, iI.high - _shiftX),                    \
                          XelMathInterval(iJ.low - _shiftY, iJ.high - _shiftY), P, Q);             \
  }                                                                                                \
  static_assert(true, #Name)
XEL_POLYNOMXY_PARTIAL_IMAGE(EvalFirstDerivX, 1, 0);
XEL_POLYNOMXY_PARTIAL_IMAGE(EvalFirstDerivY, 0, 1);
XEL_POLYNOMXY_PARTIAL_IMAGE(EvalSecondDerivX2, 2, 0);
XEL_POLYNOMXY_PARTIAL_IMAGE(EvalSecondDerivXY, 1, 1);
XEL_POLYNOMXY_PARTIAL_IMAGE(EvalSecondDerivY2, 0, 2);
#undef XEL_POLYNOMXY_PARTIAL_IMAGE

namespace {
/// The image of g over I x J when its partial derivatives have the constant-sign images gx
/// and gy: g at the corner where it is smallest and at the one where it is largest.
template <class G>
XelMathInterval CornerImage(G g, const XelMathInterval& I, const XelMathInterval& J,
                            const XelMathInterval& gx, const XelMathInterval& gy) {
  const bool upX = gx.low >= 0.0, upY = gy.low >= 0.0;
  const double lo = g(upX ? I.low : I.high, upY ? J.low : J.high);
  const double hi = g(upX ? I.high : I.low, upY ? J.high : J.low);
  return XelMathInterval(lo, hi);
}
} // namespace

void XelMathPolynomXY::EvalAndFirstDeriv(const XelMathInterval& iI, const XelMathInterval& iJ,
                                         XelMathInterval* oF, XelMathInterval* oFx,
                                         XelMathInterval* oFy) const {
  EvalAndFirstAndSecondDeriv(iI, iJ, oF, oFx, oFy, nullptr, nullptr, nullptr);
}

void XelMathPolynomXY::EvalAndFirstAndSecondDeriv(const XelMathInterval& iI,
                                                  const XelMathInterval& iJ, XelMathInterval* oF,
                                                  XelMathInterval* oFx, XelMathInterval* oFy,
                                                  XelMathInterval* oFxx, XelMathInterval* oFxy,
                                                  XelMathInterval* oFyy) const {
  const XelMathInterval U(iI.low - _shiftX, iI.high - _shiftX);
  const XelMathInterval V(iJ.low - _shiftY, iJ.high - _shiftY);
  const bool second = oFxx || oFxy || oFyy;
  XelMathInterval fxx, fxy, fyy;
  if (second) {
    fxx = ImageOfPartial(U, V, 2, 0);
    fxy = ImageOfPartial(U, V, 1, 1);
    fyy = ImageOfPartial(U, V, 0, 2);
    if (oFxx)
      *oFxx = fxx;
    if (oFxy)
      *oFxy = fxy;
    if (oFyy)
      *oFyy = fyy;
  }
  if (!oF && !oFx && !oFy)
    return;
  XelMathInterval fx = ImageOfPartial(U, V, 1, 0);
  XelMathInterval fy = ImageOfPartial(U, V, 0, 1);
  // A derivative monotone in both variables takes its extremes at opposite corners.
  if (second && ConstantSign(fxx) && ConstantSign(fxy))
    fx = XelMathElementary::Tighter(
        fx, CornerImage([this](double x, double y) { return EvalFirstDerivX(x, y); }, iI, iJ, fxx,
                        fxy));
  if (second && ConstantSign(fxy) && ConstantSign(fyy))
    fy = XelMathElementary::Tighter(
        fy, CornerImage([this](double x, double y) { return EvalFirstDerivY(x, y); }, iI, iJ, fxy,
                        fyy));
  if (oFx)
    *oFx = fx;
  if (oFy)
    *oFy = fy;
  if (!oF)
    return;
  if (ConstantSign(fx) && ConstantSign(fy))
    *oF = CornerImage([this](double x, double y) { return Eval(x, y); }, iI, iJ, fx, fy);
  else
    *oF = ImageOfPartial(U, V, 0, 0);
}

void XelMathPolynomXY::Eval(const XelMathInterval& iI, const XelMathInterval& iJ, const long iDiff,
                            XelMathInterval* oF, XelMathInterval* oFx, XelMathInterval* oFy,
                            XelMathInterval* oFxx, XelMathInterval* oFxy, XelMathInterval* oFyy,
                            const XelTolerance& iTol) const {
  XelMathInterval* f = (iDiff & XelMathOption::Image) ? oF : nullptr;
  XelMathInterval* fx = (iDiff & XelMathOption::FirstDerivImage) ? oFx : nullptr;
  XelMathInterval* fy = (iDiff & XelMathOption::FirstDerivImage) ? oFy : nullptr;
  const bool second = (iDiff & XelMathOption::SecondDerivImage) && (oFxx || oFxy || oFyy);
  if (second)
    EvalAndFirstAndSecondDeriv(iI, iJ, f, fx, fy, oFxx, oFxy, oFyy);
  else if (fx || fy)
    EvalAndFirstDeriv(iI, iJ, f, fx, fy);
  else if (f)
    *f = Eval(iI, iJ, iTol);
}

// ==== Chebyshev image
// ===================================================================================
XelMathInterval XelMathPolynomXY::ComputeImageByChebychev(const XelMathInterval& iI,
                                                          const XelMathInterval& iJ,
                                                          const XelTolerance& iTol) const {
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  if (dx >= kTableSize || dy >= kTableSize)
    return Eval(iI, iJ, iTol); // beyond the table: the interval scheme alone
  const XelMathInterval U(iI.low - _shiftX, iI.high - _shiftX);
  const XelMathInterval V(iJ.low - _shiftY, iJ.high - _shiftY);
  const double hx = 0.5 * U.high - 0.5 * U.low, hy = 0.5 * V.high - 0.5 * V.low;
  const double cx = 0.5 * U.low + 0.5 * U.high, cy = 0.5 * V.low + 0.5 * V.high;
  const double w = UsableTolerance(iTol) ? iTol.GetParametricResolution() : 0.0;
  const bool thinX = hx <= w, thinY = hy <= w;
  if (thinX || thinY) {
    // A thin direction is frozen at its centre; what it can still change is bounded by the
    // mean value theorem with the interval image of the partial derivative.
    XelMathInterval image;
    if (thinX && thinY) {
      const double value = Eval(cx + _shiftX, cy + _shiftY);
      image = XelMathInterval(value, value);
    } else if (thinX) {
      const std::unique_ptr<XelMathFunctionX> iso(CreateIsoparX(cx + _shiftX));
      image = static_cast<const XelMathPolynomX*>(iso.get())->ComputeImageByChebychev(iJ);
    } else {
      const std::unique_ptr<XelMathFunctionX> iso(CreateIsoparY(cy + _shiftY));
      image = static_cast<const XelMathPolynomX*>(iso.get())->ComputeImageByChebychev(iI);
    }
    double spread = 0.0;
    if (thinX && hx > 0.0)
      spread += ImageOfPartial(U, V, 1, 0).Norm() * hx;
    if (thinY && hy > 0.0)
      spread += ImageOfPartial(U, V, 0, 1).Norm() * hy;
    return Unbounded(XelMathInterval(image.low - spread, image.high + spread));
  }
  InitializeStaticChebychevData();
  const long count = (dx + 1) * m;
  // Small polynomials work in local buffers, larger ones in counted arrays.
  const bool local = count <= 36 && dx < 6 && dy < 6;
  double localB[36], localC[36];
  double* b = local ? localB : XelQuorArrayDoubleNew(count);
  double* c = local ? localC : nullptr;
  auto release = XelMathMakeOnExit([&] {
    if (!local) {
      XelQuorArrayDoubleDel(b, count);
      if (c)
        XelQuorArrayDoubleDel(c, count);
    }
  });
  if (!local)
    c = XelQuorArrayDoubleNew(count);
  // Magnitude of the terms over the box, the scale of the rounding of what follows.
  const double ux = std::fmax(std::fabs(U.low), std::fabs(U.high));
  const double uy = std::fmax(std::fabs(V.low), std::fabs(V.high));
  double magnitude = 0.0, px = 1.0;
  for (long i = 0; i <= dx; ++i, px *= ux) {
    double p = px;
    for (long j = 0; j <= dy; ++j, p *= uy) {
      b[i * m + j] = _coefficients[i * m + j];
      magnitude += std::fabs(_coefficients[i * m + j]) * p;
    }
  }
  // Q(s, t) = P(cx + hx s, cy + hy t): Taylor shifts to the centre, then scaling.
  for (long j = 0; j <= dy; ++j)
    TaylorShift(b + j, dx, m, cx);
  for (long i = 0; i <= dx; ++i)
    TaylorShift(b + i * m, dy, 1, cy);
  px = 1.0;
  for (long i = 0; i <= dx; ++i, px *= hx) {
    double p = px;
    for (long j = 0; j <= dy; ++j, p *= hy)
      b[i * m + j] *= p;
  }
  // Chebyshev basis, first in x (into c), then in y (back into b).
  const double* T = _InverseOfChebychevArray;
  for (long k = 0; k <= dx; ++k)
    for (long j = 0; j <= dy; ++j) {
      double s = 0.0;
      for (long n = k; n <= dx; ++n)
        s += T[k * kTableSize + n] * b[n * m + j];
      c[k * m + j] = s;
    }
  for (long k = 0; k <= dx; ++k)
    for (long l = 0; l <= dy; ++l) {
      double s = 0.0;
      for (long n = l; n <= dy; ++n)
        s += T[l * kTableSize + n] * c[k * m + n];
      b[k * m + l] = s;
    }
  double radius = 0.0;
  for (long k = 1; k < count; ++k)
    radius += std::fabs(b[k]);
  const double rounding = 8.0 * static_cast<double>(dx + dy + 2) * DBL_EPSILON * magnitude;
  const double c00 = b[0];
  if (!std::isfinite(c00) || !std::isfinite(radius + rounding))
    return Eval(iI, iJ, iTol);
  return XelMathInterval(c00 - radius - rounding, c00 + radius + rounding);
}

XelMathInterval XelMathPolynomXY::ComputeOptimalImage(const XelMathInterval& iI,
                                                      const XelMathInterval& iJ,
                                                      const XelTolerance& iTol) const {
  const XelMathAttrScaleOption* option =
      XelMathAnalysisScaling::FiledScaleOption(XelMathMessage::ImageScale, this);
  long pF = 1, pX = 1, pY = 1;
  if (option) {
    long nbF = 0, nbX = 0;
    const long* powersF = option->GetPowerScaleF(nbF);
    const long* powersX = option->GetPowerScaleX(nbX);
    if (nbF != 1 || nbX != 2 || !powersF || !powersX)
      XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                   "XelMathPolynomXY::ComputeOptimalImage");
    pF = powersF[0];
    pX = powersX[0];
    pY = powersX[1];
  }
  if (_degreeX >= kTableSize || _degreeY >= kTableSize)
    return ::ComputeOptimalImage(this, iI, iJ, iTol, const_cast<XelMathAttrScaleOption*>(option),
                                 1);
  XelMathInterval image;
  const double e = UsableTolerance(iTol) ? iTol.GetAbsoluteResolution() : 0.0;
  const double sX = std::pow(e, static_cast<double>(pX) - 1.0);
  const double sY = std::pow(e, static_cast<double>(pY) - 1.0);
  const double sF = std::pow(e, 1.0 - static_cast<double>(pF));
  const bool scaled = (pF != 1 || pX != 1 || pY != 1) && e > 0.0 && std::isfinite(sX) &&
                      std::isfinite(sY) && std::isfinite(sF) && sX != 0.0 && sY != 0.0 && sF != 0.0;
  if (scaled) {
    // Q(X, Y) = sF P(sX X, sY Y) over the box divided by (sX, sY), then divided by sF.
    XelMathPolynomXY copy(*this);
    copy.ApplyScalingOnVariables(sX, sY);
    copy *= sF;
    const XelMathInterval I(iI.low / sX, iI.high / sX), J(iJ.low / sY, iJ.high / sY);
    const XelMathInterval q = copy.ComputeImageByChebychev(I, J, iTol);
    image = XelMathInterval(q.low / sF, q.high / sF);
  } else {
    image = ComputeImageByChebychev(iI, iJ, iTol);
  }
  // The interval scheme encloses the image too and can be the tighter one (x^2 on [0, 1]).
  return XelMathElementary::Tighter(image, Eval(iI, iJ, iTol));
}

// ==== derived functions, copies
// ===========================================================================
XelMathFunctionXY* XelMathPolynomXY::CreateDerivX() const {
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  if (dx == 0)
    return new XelMathPolynomXY(0, 0, nullptr, 0.0, 0.0);
  XelMathPolynomXY* d = new XelMathPolynomXY(dx - 1, dy, nullptr, _shiftX, _shiftY);
  for (long i = 1; i <= dx; ++i)
    for (long j = 0; j <= dy; ++j)
      d->_coefficients[(i - 1) * m + j] = static_cast<double>(i) * _coefficients[i * m + j];
  return d;
}

XelMathFunctionXY* XelMathPolynomXY::CreateDerivY() const {
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  if (dy == 0)
    return new XelMathPolynomXY(0, 0, nullptr, 0.0, 0.0);
  XelMathPolynomXY* d = new XelMathPolynomXY(dx, dy - 1, nullptr, _shiftX, _shiftY);
  for (long i = 0; i <= dx; ++i)
    for (long j = 1; j <= dy; ++j)
      d->_coefficients[i * dy + j - 1] = static_cast<double>(j) * _coefficients[i * m + j];
  return d;
}

XelMathFunctionX* XelMathPolynomXY::CreateIsoparX(const double iX0) const {
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  const double u = iX0 - _shiftX;
  XelMathPolynomX* p = new XelMathPolynomX(dy, nullptr, _shiftY);
  for (long j = 0; j <= dy; ++j) {
    double b = _coefficients[dx * m + j];
    for (long i = dx - 1; i >= 0; --i)
      b = b * u + _coefficients[i * m + j];
    p->SetCoefficient(j, b);
  }
  return p;
}

XelMathFunctionX* XelMathPolynomXY::CreateIsoparY(const double iY0) const {
  const long dx = _degreeX, dy = _degreeY, m = dy + 1;
  const double v = iY0 - _shiftY;
  XelMathPolynomX* p = new XelMathPolynomX(dx, nullptr, _shiftX);
  for (long i = 0; i <= dx; ++i) {
    const double* row = _coefficients + i * m;
    double b = row[dy];
    for (long j = dy - 1; j >= 0; --j)
      b = b * v + row[j];
    p->SetCoefficient(i, b);
  }
  return p;
}

XelMathFunctionXY* XelMathPolynomXY::Duplicate() const {
  return new XelMathPolynomXY(*this);
}
XelMathFunctionXY* XelMathPolynomXY::DeepDuplicate() const {
  return Duplicate();
}

void XelMathPolynomXY::ProductXXtoXY(const XelMathPolynomX* iP, const XelMathPolynomX* iQ) {
  if (!iP || !iQ) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  const long dp = iP->GetDegree() < 0 ? 0 : iP->GetDegree();
  const long dq = iQ->GetDegree() < 0 ? 0 : iQ->GetDegree();
  double* c = NewCoefficients(dp, dq, "XelMathPolynomXY::ProductXXtoXY");
  for (long i = 0; i <= dp; ++i)
    for (long j = 0; j <= dq; ++j)
      c[i * (dq + 1) + j] = iP->GetCoefficient(i) * iQ->GetCoefficient(j);
  Adopt(c, dp, dq);
  _shiftX = iP->GetShift();
  _shiftY = iQ->GetShift();
}

namespace {

/// sum w[k] P[k] + w0 about P[0]'s shift point, degrees the maxima.
XelMathPolynomXY* LinearCombination(const long iN, const XelMathPolynomXY* const* iP,
                                    const double* iW, const double iW0) {
  long dx = 0, dy = 0;
  for (long k = 0; k < iN; ++k) {
    dx = iP[k]->GetDegreeX() > dx ? iP[k]->GetDegreeX() : dx;
    dy = iP[k]->GetDegreeY() > dy ? iP[k]->GetDegreeY() : dy;
  }
  const double sx = iP[0]->GetShiftX(), sy = iP[0]->GetShiftY();
  std::unique_ptr<XelMathPolynomXY> r(new XelMathPolynomXY(dx, dy, nullptr, sx, sy));
  double* out = const_cast<double*>(r->GetCoefficients());
  for (long k = 0; k < iN; ++k) {
    const XelMathPolynomXY* p = iP[k];
    std::unique_ptr<XelMathPolynomXY> moved;
    if (!SameShifts(sx, sy, p->GetShiftX(), p->GetShiftY())) {
      moved.reset(new XelMathPolynomXY(*p));
      moved->ApplyFormalShiftOnVariable(sx - p->GetShiftX(), sy - p->GetShiftY());
      p = moved.get();
    }
    const long px = p->GetDegreeX(), py = p->GetDegreeY();
    const double* a = p->GetCoefficients();
    for (long i = 0; i <= px; ++i)
      for (long j = 0; j <= py; ++j)
        out[i * (dy + 1) + j] += iW[k] * a[i * (py + 1) + j];
  }
  out[0] += iW0;
  return r.release();
}

} // namespace

XelMathFunctionXY* XelMathPolynomXY::FormalCombination(const long iN, const XelMathFunctionXY** iF,
                                                       const double* iC, const double iC0) const {
  if (iN <= 0 || !iF || !iC)
    return nullptr;
  for (long k = 0; k < iN; ++k)
    if (!iF[k] || !iF[k]->IsAKindOf("XelMathPolynomXY"))
      return nullptr;
  XelMathScratchPointers<const XelMathPolynomXY, 8> ops(iN);
  for (long k = 0; k < iN; ++k)
    ops[k] = static_cast<const XelMathPolynomXY*>(iF[k]);
  return LinearCombination(iN, ops.Data(), iC, iC0);
}

// ==== free algebra
// ==========================================================================================
XelMathPolynomXY* Sum(const XelMathPolynomXY* iP, const double iC) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomXY* r = new XelMathPolynomXY(*iP);
  *r += iC;
  return r;
}

XelMathPolynomXY* Sum(const XelMathPolynomXY* iP, const XelMathPolynomXY* iQ) {
  return Combination(iP, iQ, 1.0, 1.0);
}

XelMathPolynomXY* Product(const XelMathPolynomXY* iP, const double iC) {
  if (!iP) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  XelMathPolynomXY* r = new XelMathPolynomXY(*iP);
  *r *= iC;
  return r;
}

XelMathPolynomXY* Combination(const XelMathPolynomXY* iP, const XelMathPolynomXY* iQ,
                              const double iA, const double iB) {
  if (!iP || !iQ) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  const XelMathPolynomXY* ops[2] = {iP, iQ};
  const double w[2] = {iA, iB};
  return LinearCombination(2, ops, w, 0.0);
}

XelMathPolynomXY* Combination(const XelMathPolynomXY* iP, const XelMathPolynomXY* iQ,
                              const XelMathPolynomXY* iR, const double iA, const double iB,
                              const double iC) {
  if (!iP || !iQ || !iR) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  const XelMathPolynomXY* ops[3] = {iP, iQ, iR};
  const double w[3] = {iA, iB, iC};
  return LinearCombination(3, ops, w, 0.0);
}

XelMathPolynomXY& operator+=(XelMathPolynomXY& ioP, const XelMathPolynomXY& iQ) {
  const std::unique_ptr<XelMathPolynomXY> r(Combination(&ioP, &iQ, 1.0, 1.0));
  ioP = *r;
  return ioP;
}

XelMathPolynomXY& operator+=(XelMathPolynomXY& ioP, const double iC) {
  const_cast<double*>(ioP.GetCoefficients())[0] += iC;
  return ioP;
}

XelMathPolynomXY& operator-=(XelMathPolynomXY& ioP, const XelMathPolynomXY& iQ) {
  const std::unique_ptr<XelMathPolynomXY> r(Combination(&ioP, &iQ, 1.0, -1.0));
  ioP = *r;
  return ioP;
}

XelMathPolynomXY& operator-=(XelMathPolynomXY& ioP, const double iC) {
  return ioP += -iC;
}

XelMathPolynomXY& operator*=(XelMathPolynomXY& ioP, const double iC) {
  double* a = const_cast<double*>(ioP.GetCoefficients());
  const long n = (ioP.GetDegreeX() + 1) * (ioP.GetDegreeY() + 1);
  for (long k = 0; k < n; ++k)
    a[k] *= iC;
  return ioP;
}
