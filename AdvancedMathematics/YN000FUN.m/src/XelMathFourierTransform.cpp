#include "XelMathFourierTransform.h"

#include <cfloat>
#include <cmath>

#include "XelError.h"
#include "XelMathConstants.h"
#include "XelMathFunctionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathPolynomX.h"
#include "XelMathPolynomXY.h"
#include "XelMathScratch.h"
#include "XelQuorMemory.h"

double XelMathFourierTransform::SinCosArray[115] = {0.0};
unsigned char XelMathFourierTransform::SinCosArrayInitialized = 0;

namespace {

// The tabulated lengths and where their blocks start in SinCosArray.
const long kTabulatedLengths[5] = {4, 6, 8, 12, 16};
const long kSinCosOffsets[5] = {0, 6, 15, 27, 45};
const long kNodeOffsets[5] = {69, 73, 79, 87, 99};
const long kMaxChebyshevLength = 16;
const double kHalfSqrt3 = 0.86602540378443864676;

long TableIndex(long iN) {
  for (long i = 0; i < 5; i++)
    if (kTabulatedLengths[i] == iN)
      return i;
  return -1;
}

// Lengths of arrays the memory services can hold; a longer one cannot be the caller's
// array, and the index arithmetic below (multiples up to 8n) stays far from overflow.
bool TooLong(long iN) {
  return iN > XelQuorMaxArrayDoubles;
}

void EnsureTable() {
  if (!XelMathFourierTransform::SinCosArrayInitialized)
    XelMathFourierTransform::InitializeSinCosArray();
}

// The sine/cosine block of a tabulated length, null for other lengths.
const double* SinCosBlock(long iN) {
  long index = TableIndex(iN);
  if (index < 0)
    return nullptr;
  EnsureTable();
  return XelMathFourierTransform::SinCosArray + kSinCosOffsets[index];
}

// The Chebyshev node block of a tabulated length, null for other lengths.
const double* NodeBlock(long iN) {
  long index = TableIndex(iN);
  if (index < 0)
    return nullptr;
  EnsureTable();
  return XelMathFourierTransform::SinCosArray + kNodeOffsets[index];
}

// Cosine and sine of m pi / n for any integer m, reduced by symmetry to an angle in
// [0, pi/2] and read from the table when n is tabulated (so that the fast transforms use
// exactly the tabulated values), computed otherwise.
class Angles {
public:
  explicit Angles(long iN) : _n(iN), _block(SinCosBlock(iN)) {}
  void CosSin(long iM, double& oCos, double& oSin) const {
    long twoN = 2 * _n;
    long m = iM;
    if (m < 0 || m >= 4 * twoN) { // the transforms pass small non-negative multiples
      m %= twoN;
      if (m < 0)
        m += twoN;
    }
    while (m >= twoN)
      m -= twoN;
    double signCos = 1.0, signSin = 1.0;
    if (m > _n) { // 2 pi - a
      m = twoN - m;
      signSin = -1.0;
    }
    if (2 * m > _n) { // pi - a
      m = _n - m;
      signCos = -1.0;
    }
    if (2 * m == _n) {
      oCos = 0.0;
      oSin = 1.0;
    } else if (_block) {
      oCos = _block[_n + m];
      oSin = _block[_n / 2 + m];
    } else {
      double angle = static_cast<double>(m) * XelPI / static_cast<double>(_n);
      oCos = std::cos(angle);
      oSin = std::sin(angle);
    }
    oCos *= signCos;
    oSin *= signSin;
  }

private:
  long _n;
  const double* _block;
};

// Whether iM > 0 has no prime factor above 3.
bool IsSmooth23(long iM) {
  if (iM <= 0)
    return false;
  while (iM % 2 == 0)
    iM /= 2;
  while (iM % 3 == 0)
    iM /= 3;
  return iM == 1;
}

// Discrete Fourier transform (exponent sign -) of iM complex values read at iIn[0],
// iIn[2 iStride], ... (interleaved real and imaginary parts), written contiguously into
// oOut (2 iM doubles, distinct from iIn). iM has no prime factor above 3. The twiddle
// W = exp(-2 pi i / iM) has the angle iUnit pi / n of iAngles. Decimation in time,
// radix 2 first, then 3.
void ComplexDft23(const double* iIn, long iStride, long iM, long iUnit, const Angles& iAngles,
                  double* oOut) {
  if (iM == 1) {
    oOut[0] = iIn[0];
    oOut[1] = iIn[1];
    return;
  }
  const long p = (iM % 2 == 0) ? 2 : 3;
  const long q = iM / p;
  for (long r = 0; r < p; r++)
    ComplexDft23(iIn + 2 * r * iStride, iStride * p, q, iUnit * p, iAngles, oOut + 2 * r * q);
  // Combine: X[k + s q] = sum_r W^(r (k + s q)) Y_r[k]; the outputs k + s q occupy the
  // places of the inputs Y_r[k], so each k is combined in place.
  for (long k = 0; k < q; k++) {
    double yr[3], yi[3];
    for (long r = 0; r < p; r++) {
      double re = oOut[2 * (r * q + k)], im = oOut[2 * (r * q + k) + 1];
      if (r * k != 0) {
        double c, s;
        iAngles.CosSin(iUnit * r * k, c, s);
        double t = re * c + im * s;
        im = im * c - re * s;
        re = t;
      }
      yr[r] = re;
      yi[r] = im;
    }
    if (p == 2) {
      oOut[2 * k] = yr[0] + yr[1];
      oOut[2 * k + 1] = yi[0] + yi[1];
      oOut[2 * (k + q)] = yr[0] - yr[1];
      oOut[2 * (k + q) + 1] = yi[0] - yi[1];
    } else {
      double sr = yr[1] + yr[2], si = yi[1] + yi[2];
      double dr = yr[1] - yr[2], di = yi[1] - yi[2];
      double mr = yr[0] - 0.5 * sr, mi = yi[0] - 0.5 * si;
      // -i (sqrt(3)/2) (dr + i di) = (sqrt(3)/2) (di - i dr)
      double rr = kHalfSqrt3 * di, ri = -kHalfSqrt3 * dr;
      oOut[2 * k] = yr[0] + sr;
      oOut[2 * k + 1] = yi[0] + si;
      oOut[2 * (k + q)] = mr + rr;
      oOut[2 * (k + q) + 1] = mi + ri;
      oOut[2 * (k + 2 * q)] = mr - rr;
      oOut[2 * (k + 2 * q) + 1] = mi - ri;
    }
  }
}

// Direct sums of the real Fourier transform, packed as FastFourierTransformReal; iX and
// oOut distinct.
void DirectDftReal(const double* iX, long iN, const Angles& iAngles, double* oOut) {
  double sum = 0.0;
  for (long j = 0; j < iN; j++)
    sum += iX[j];
  oOut[0] = sum;
  for (long k = 1; 2 * k <= iN; k++) {
    double re = 0.0, im = 0.0;
    long jk = 0; // j k modulo n, kept without forming the product
    for (long j = 0; j < iN; j++, jk = (jk + k) % iN) {
      double c, s;
      iAngles.CosSin(2 * jk, c, s);
      re += iX[j] * c;
      im -= iX[j] * s;
    }
    if (2 * k == iN) {
      oOut[iN - 1] = re;
    } else {
      oOut[2 * k - 1] = re;
      oOut[2 * k] = im;
    }
  }
}

// Direct sums of the type-II cosine transform for any length (odd included); iX and oOut
// distinct. Angles are reduced exactly on integers before the cosine is taken.
void DirectCosineTransform2(const double* iX, long iN, double* oOut) {
  const long period = 4 * iN;
  const double step = 0.5 * XelPI / static_cast<double>(iN);
  for (long j = 0; j < iN; j++) {
    double sum = 0.0;
    long t = j % period; // j (2i + 1) modulo 4n, stepped by 2j without forming the product
    for (long i = 0; i < iN; i++, t = (t + 2 * j) % period)
      sum += iX[i] * std::cos(static_cast<double>(t) * step);
    oOut[j] = sum;
  }
}

// Lengths up to which the transforms of lengths without a fast factorisation are direct
// sums; above, they go through Bluestein's convolution, in n log n operations instead of n^2
// (a length of a million took hours by direct sums).
const long kDirectSumsMaxLength = 256;
// SlowCosineTransform2 sums directly up to this length (16 million products).
const long kSlowTransformMaxLength = 4096;

// The complex transform (exponent sign -) of any length iM >= 1, read and written as
// ComplexDft23 (iIn contiguous, oOut distinct from iIn). Lengths without a prime factor above
// 3 use ComplexDft23 directly; others Bluestein's identity j k = (j^2 + k^2 - (j - k)^2) / 2:
// X_j = conj(c_j) sum_k (x_k conj(c_k)) c_(j-k), with c_k = exp(i pi k^2 / m), a circular
// convolution computed by transforms of a length L >= 2m - 1 that is a power of two.
void ComplexDftAnyLength(const double* iIn, long iM, double* oOut) {
  if (IsSmooth23(iM)) {
    ComplexDft23(iIn, 1, iM, 2, Angles(iM), oOut);
    return;
  }
  long L = 1;
  while (L < 2 * iM - 1)
    L *= 2;
  XelMathScratchDoubles<> chirpWork(2 * iM), aWork(2 * L), bWork(2 * L), tWork(2 * L);
  double* chirp = chirpWork.Data();
  double* a = aWork.Data();
  double* b = bWork.Data();
  double* t = tWork.Data();
  // c_k from k^2 modulo 2m, stepped by 2k - 1 so that no product overflows.
  const Angles angles(iM);
  long square = 0;
  for (long k = 0; k < iM; k++) {
    if (k > 0) {
      square += 2 * k - 1;
      square %= 2 * iM;
    }
    angles.CosSin(square, chirp[2 * k], chirp[2 * k + 1]);
  }
  for (long i = 0; i < 2 * L; i++) {
    a[i] = 0.0;
    b[i] = 0.0;
  }
  for (long k = 0; k < iM; k++) {
    const double c = chirp[2 * k], s = chirp[2 * k + 1], xr = iIn[2 * k], xi = iIn[2 * k + 1];
    a[2 * k] = xr * c + xi * s; // x_k conj(c_k)
    a[2 * k + 1] = xi * c - xr * s;
    b[2 * k] = c;
    b[2 * k + 1] = s;
    if (k > 0) {
      b[2 * (L - k)] = c;
      b[2 * (L - k) + 1] = s;
    }
  }
  const Angles anglesL(L);
  ComplexDft23(a, 1, L, 2, anglesL, t);
  ComplexDft23(b, 1, L, 2, anglesL, a);
  // The product, conjugated: its forward transform, conjugated and divided by L, is the
  // inverse transform.
  for (long i = 0; i < L; i++) {
    const double pr = t[2 * i] * a[2 * i] - t[2 * i + 1] * a[2 * i + 1];
    const double pi = t[2 * i] * a[2 * i + 1] + t[2 * i + 1] * a[2 * i];
    b[2 * i] = pr;
    b[2 * i + 1] = -pi;
  }
  ComplexDft23(b, 1, L, 2, anglesL, t);
  const double scale = 1.0 / static_cast<double>(L);
  for (long j = 0; j < iM; j++) {
    const double yr = t[2 * j] * scale, yi = -t[2 * j + 1] * scale;
    const double c = chirp[2 * j], s = chirp[2 * j + 1];
    oOut[2 * j] = yr * c + yi * s; // conj(c_j) y_j
    oOut[2 * j + 1] = yi * c - yr * s;
  }
}

// The real transform of any length, packed as FastFourierTransformReal, through the complex
// transform of the values with null imaginary parts (iX and oOut may be the same array).
void RealDftAnyLength(const double* iX, long iN, double* oOut) {
  XelMathScratchDoubles<> inWork(2 * iN), outWork(2 * iN);
  double* in = inWork.Data();
  double* out = outWork.Data();
  for (long j = 0; j < iN; j++) {
    in[2 * j] = iX[j];
    in[2 * j + 1] = 0.0;
  }
  ComplexDftAnyLength(in, iN, out);
  oOut[0] = out[0];
  for (long k = 1; 2 * k <= iN; k++) {
    if (2 * k == iN) {
      oOut[iN - 1] = out[2 * k];
    } else {
      oOut[2 * k - 1] = out[2 * k];
      oOut[2 * k] = out[2 * k + 1];
    }
  }
}

// The type-II cosine transform of an even length through one real transform (Makhoul):
// v_k = x_(2k), v_(n-1-k) = x_(2k+1), then X_j = Re(exp(-i pi j / (2n)) V_j). iX and oOut
// may be the same array.
void CosineTransform2ByFourier(const double* iX, long iN, double* oOut) {
  XelMathScratchDoubles<> vWork(iN);
  double* v = vWork.Data();
  const long half = iN / 2;
  for (long k = 0; k < half; k++) {
    v[k] = iX[2 * k];
    v[iN - 1 - k] = iX[2 * k + 1];
  }
  XelMathFourierTransform::FastFourierTransformReal(v, iN, v);
  const Angles angles(2 * iN); // angle j pi / (2n)
  oOut[0] = v[0];
  for (long j = 1; j < iN; j++) {
    // V_j from the packed half: V_(n-j) = conj(V_j).
    const long k = 2 * j <= iN ? j : iN - j;
    const double re = 2 * k == iN ? v[iN - 1] : v[2 * k - 1];
    const double im = 2 * k == iN ? 0.0 : (k == j ? v[2 * k] : -v[2 * k]);
    double c, s;
    angles.CosSin(j, c, s);
    oOut[j] = c * re + s * im;
  }
}

} // namespace

void XelMathFourierTransform::InitializeSinCosArrayN(long iN) {
  long index = TableIndex(iN);
  if (index < 0)
    return;
  const double h = XelPI / static_cast<double>(iN);
  const long half = iN / 2;
  double* block = SinCosArray + kSinCosOffsets[index];
  for (long k = 0; k < half; k++) {
    block[k] = std::sin((static_cast<double>(k) + 0.5) * h);
    block[half + k] = std::sin(static_cast<double>(k) * h);
    block[iN + k] = std::cos(static_cast<double>(k) * h);
  }
  // Nodes: the second half is the exact opposite of the first, so that samples of even
  // and odd functions keep their symmetry.
  double* nodes = SinCosArray + kNodeOffsets[index];
  for (long k = 0; k < half; k++) {
    nodes[k] = std::cos((static_cast<double>(k) + 0.5) * h);
    nodes[iN - 1 - k] = -nodes[k];
  }
}

void XelMathFourierTransform::InitializeSinCosArray() {
  for (long i = 0; i < 5; i++)
    InitializeSinCosArrayN(kTabulatedLengths[i]);
  SinCosArrayInitialized = 1;
}

void XelMathFourierTransform::SlowCosineTransform2(const double* iX, long iN, double* oOut) {
  if (iN < 0 || iN % 2 != 0 || TooLong(iN) || (iN > 0 && iX == oOut))
    XelMathRaiseForbidden("SlowCosineTransform2", __FILE__, __LINE__);
  if (iN == 0)
    return;
  if (!iX || !oOut) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  if (iN > kSlowTransformMaxLength) {
    // The direct sums would take n^2 / 2 products: the same values through the fast route.
    CosineTransform2ByFourier(iX, iN, oOut);
    return;
  }
  const long m = iN / 2;
  double localS[8], localD[8];
  double* s = m <= 8 ? localS : XelQuorArrayDoubleNew(m);
  double* d = m <= 8 ? localD : XelQuorArrayDoubleNew(m);
  for (long k = 0; k < m; k++) {
    s[k] = iX[k] + iX[iN - 1 - k];
    d[k] = iX[k] - iX[iN - 1 - k];
  }
  // cos(j (2k + 1) h') with h' = pi / (2n), the integer j (2k + 1) taken modulo 4n.
  const long period = 4 * iN;
  const double step = 0.5 * XelPI / static_cast<double>(iN);
  for (long j = 0; j < iN; j++) {
    const double* half = (j % 2 == 0) ? s : d;
    double sum = 0.0;
    long t = j % period;
    for (long k = 0; k < m; k++, t = (t + 2 * j) % period)
      sum += half[k] * std::cos(static_cast<double>(t) * step);
    oOut[j] = sum;
  }
  if (m > 8) {
    XelQuorArrayDoubleDel(s, m);
    XelQuorArrayDoubleDel(d, m);
  }
}

void XelMathFourierTransform::FastFourierTransformReal(const double* iX, long iN, double* oOut) {
  if (iN < 0 || TooLong(iN))
    XelMathRaiseForbidden("FastFourierTransformReal", __FILE__, __LINE__);
  if (iN == 0)
    return;
  if (!iX || !oOut) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  const Angles angles(iN);
  const bool fast = iN % 2 == 0 && IsSmooth23(iN / 2);
  if (!fast && iN > kDirectSumsMaxLength && iN % 2 != 0) {
    RealDftAnyLength(iX, iN, oOut);
    return;
  }
  if (!fast && iN <= kDirectSumsMaxLength) {
    if (iX == oOut) {
      XelMathScratchDoubles<> copy(iN);
      double* x = copy.Data();
      for (long j = 0; j < iN; j++)
        x[j] = iX[j];
      DirectDftReal(x, iN, angles, oOut);
    } else {
      DirectDftReal(iX, iN, angles, oOut);
    }
    return;
  }
  // The n real values as m = n/2 complex ones w_j = x_{2j} + i x_{2j+1}; their transform
  // W gives X_k = E_k + exp(-2 pi i k / n) O_k with E_k = (W_k + conj W_{m-k}) / 2 and
  // O_k = (W_k - conj W_{m-k}) / (2i).
  const long m = iN / 2;
  XelMathScratchDoubles<> work(iN);
  double* w = work.Data();
  if (fast)
    ComplexDft23(iX, 1, m, 4, angles, w);
  else
    ComplexDftAnyLength(iX, m, w);
  oOut[0] = w[0] + w[1];
  oOut[iN - 1] = w[0] - w[1];
  for (long k = 1; k < m; k++) {
    const double ar = w[2 * k], ai = w[2 * k + 1];
    const double br = w[2 * (m - k)], bi = -w[2 * (m - k) + 1]; // conj W_{m-k}
    const double er = 0.5 * (ar + br), ei = 0.5 * (ai + bi);
    const double or_ = 0.5 * (ai - bi), oi = -0.5 * (ar - br);
    double c, s;
    angles.CosSin(2 * k, c, s);
    // (c - i s) (or + i oi)
    oOut[2 * k - 1] = er + (c * or_ + s * oi);
    oOut[2 * k] = ei + (c * oi - s * or_);
  }
}

void XelMathFourierTransform::CosineTransform2(const double* iX, long iN, double* oOut) {
  if (iN < 0 || iN % 2 != 0 || TooLong(iN))
    XelMathRaiseForbidden("CosineTransform2", __FILE__, __LINE__);
  if (iN == 0)
    return;
  if (!iX || !oOut) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  const double* block = SinCosBlock(iN);
  if (!block && iN > kDirectSumsMaxLength) {
    CosineTransform2ByFourier(iX, iN, oOut);
    return;
  }
  if (!block) {
    if (iX == oOut) {
      XelMathScratchDoubles<> copy(iN);
      double* x = copy.Data();
      for (long i = 0; i < iN; i++)
        x[i] = iX[i];
      SlowCosineTransform2(x, iN, oOut);
    } else {
      SlowCosineTransform2(iX, iN, oOut);
    }
    return;
  }
  // With a_i = (x_i + x_{n-1-i}) / 2 and b_i = x_i - x_{n-1-i}, the sequence
  // z_i = a_i + sin((i + 1/2) pi / n) b_i has a Fourier transform Z_k such that
  // conj(Z_k) exp(i k pi / n) = X_{2k} + i (X_{2k-1} - X_{2k+1}), and X_{n-1} = Z_{n/2} / 2.
  const long half = iN / 2;
  double z[kMaxChebyshevLength], transform[kMaxChebyshevLength];
  for (long i = 0; i < half; i++) {
    const double a = 0.5 * (iX[i] + iX[iN - 1 - i]);
    const double b = block[i] * (iX[i] - iX[iN - 1 - i]);
    z[i] = a + b;
    z[iN - 1 - i] = a - b;
  }
  FastFourierTransformReal(z, iN, transform);
  double odd = 0.5 * transform[iN - 1];
  oOut[0] = transform[0];
  oOut[iN - 1] = odd;
  for (long k = half - 1; k >= 1; k--) {
    const double re = transform[2 * k - 1], im = transform[2 * k];
    const double s = block[half + k], c = block[iN + k];
    oOut[2 * k] = re * c + im * s;
    odd += re * s - im * c;
    oOut[2 * k - 1] = odd;
  }
}

void XelMathFourierTransform::CosineTransform2_2D(const double* iX, long iNx, long iNy,
                                                  double* oOut) {
  if (iNx < 0 || iNy < 0 || iNx % 2 != 0 || iNy % 2 != 0 ||
      (iNx > 0 && iNy > XelQuorMaxArrayDoubles / iNx))
    XelMathRaiseForbidden("CosineTransform2_2D", __FILE__, __LINE__);
  if (iNx == 0 || iNy == 0)
    return;
  if (!iX || !oOut) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  for (long i = 0; i < iNx; i++)
    CosineTransform2(iX + i * iNy, iNy, oOut + i * iNy);
  XelMathScratchDoubles<> work(iNx);
  double* column = work.Data();
  for (long j = 0; j < iNy; j++) {
    for (long i = 0; i < iNx; i++)
      column[i] = oOut[i * iNy + j];
    CosineTransform2(column, iNx, column);
    for (long i = 0; i < iNx; i++)
      oOut[i * iNy + j] = column[i];
  }
}

void XelMathFourierTransform::ChebyshevCoefficientsX(const XelMathFunctionX* iF,
                                                     const XelMathInterval& iI, long iN,
                                                     double* oC) {
  if (iN <= 0 || iN % 2 != 0 || iN > kMaxChebyshevLength)
    XelMathRaiseForbidden("ChebyshevCoefficientsX", __FILE__, __LINE__);
  if (!oC) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    for (long k = 0; k < iN; k++)
      oC[k] = 0.0;
    return;
  }
  const double centre = (iI.low + iI.high) * 0.5;
  const double radius = (iI.high - iI.low) * 0.5;
  const double* nodes = NodeBlock(iN);
  double samples[kMaxChebyshevLength];
  for (long i = 0; i < iN; i++) {
    const double t =
        nodes ? nodes[i]
              : std::cos((static_cast<double>(i) + 0.5) * XelPI / static_cast<double>(iN));
    const double x = centre + radius * t;
    samples[i] = iF->Eval(x);
  }
  CosineTransform2(samples, iN, oC);
  oC[0] *= 0.5;
  const double scale = 2.0 / static_cast<double>(iN);
  for (long k = 0; k < iN; k++)
    oC[k] *= scale;
}

void XelMathFourierTransform::ChebyshevCoefficientsXY(const XelMathFunctionXY* iF,
                                                      const XelMathInterval& iIx,
                                                      const XelMathInterval& iIy, long iNx,
                                                      long iNy, double* oC) {
  if (iNx <= 0 || iNx % 2 != 0 || iNx > kMaxChebyshevLength || iNy <= 0 || iNy % 2 != 0 ||
      iNy > kMaxChebyshevLength)
    XelMathRaiseForbidden("ChebyshevCoefficientsXY", __FILE__, __LINE__);
  if (!oC) {
    XelQuornull(__FILE__, __LINE__);
    return;
  }
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    for (long k = 0; k < iNx * iNy; k++)
      oC[k] = 0.0;
    return;
  }
  // Nodes of each direction mapped to its interval.
  double xs[kMaxChebyshevLength], ys[kMaxChebyshevLength];
  const long counts[2] = {iNx, iNy};
  const XelMathInterval* intervals[2] = {&iIx, &iIy};
  double* abscissae[2] = {xs, ys};
  for (long d = 0; d < 2; d++) {
    const long n = counts[d];
    const double centre = (intervals[d]->low + intervals[d]->high) * 0.5;
    const double radius = (intervals[d]->high - intervals[d]->low) * 0.5;
    const double* nodes = NodeBlock(n);
    for (long i = 0; i < n; i++) {
      const double t =
          nodes ? nodes[i]
                : std::cos((static_cast<double>(i) + 0.5) * XelPI / static_cast<double>(n));
      abscissae[d][i] = centre + radius * t;
    }
  }
  double samples[kMaxChebyshevLength * kMaxChebyshevLength];
  for (long i = 0; i < iNx; i++)
    for (long j = 0; j < iNy; j++)
      samples[i * iNy + j] = iF->Eval(xs[i], ys[j]);
  CosineTransform2_2D(samples, iNx, iNy, oC);
  // The first row and the first column are halved (c[0][0] twice), then every coefficient
  // takes the factor (2 / nx) (2 / ny).
  const double scale = (2.0 / static_cast<double>(iNx)) * (2.0 / static_cast<double>(iNy));
  for (long p = 0; p < iNx; p++)
    for (long q = 0; q < iNy; q++) {
      double c = oC[p * iNy + q] * scale;
      if (p == 0)
        c *= 0.5;
      if (q == 0)
        c *= 0.5;
      oC[p * iNy + q] = c;
    }
}

namespace {

// Whether the truncated series c[0..iDegree] stays within iTol of iF at the iN + 1 extrema of
// T_iN on iI (both ends included), which lie between the sampling nodes. Small last
// coefficients do not prove convergence: those of one parity vanish for an even or odd
// function, and a kink leaves slowly decaying ones whose aliased sum is far above them.
bool WithinToleranceBetweenNodes(const XelMathFunctionX* iF, const XelMathInterval& iI, long iN,
                                 const double* c, long iDegree, double iTol) {
  double size = 0.0;
  for (long k = 0; k <= iDegree; k++)
    size += std::fabs(c[k]);
  const double bound = iTol + 16.0 * DBL_EPSILON * size;
  const double centre = (iI.low + iI.high) * 0.5;
  const double radius = (iI.high - iI.low) * 0.5;
  for (long j = 0; j <= iN; j++) {
    const double t = std::cos(static_cast<double>(j) * XelPI / static_cast<double>(iN));
    const double x = j == 0 ? iI.high : (j == iN ? iI.low : centre + radius * t);
    // Clenshaw's recurrence for the sum of c[k] T_k(t).
    double b1 = 0.0, b2 = 0.0;
    for (long k = iDegree; k >= 1; k--) {
      const double b = c[k] + 2.0 * t * b1 - b2;
      b2 = b1;
      b1 = b;
    }
    const double value = c[0] + t * b1 - b2;
    if (!(std::fabs(iF->Eval(x) - value) <= bound))
      return false;
  }
  return true;
}

} // namespace

XelMathPolynomX* XelMathFourierTransform::ChebyshevApproximationX(const XelMathFunctionX* iF,
                                                                  const XelMathInterval& iI,
                                                                  long iN, double iTol) {
  if (iN <= 0 || iN % 2 != 0 || iN > kMaxChebyshevLength)
    XelMathRaiseForbidden("ChebyshevApproximationX", __FILE__, __LINE__);
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  double c[kMaxChebyshevLength];
  ChebyshevCoefficientsX(iF, iI, iN, c);
  // Not converged (or not finite): the caller falls back on another method.
  const double tail = std::fabs(c[iN - 2]) + std::fabs(c[iN - 1]);
  if (!(tail < 0.5 * iTol))
    return nullptr;
  const double cut = 0.1 * iTol;
  long degree = iN - 1;
  while (degree >= 1 && std::fabs(c[degree]) < cut)
    degree--;
  const double centre = (iI.low + iI.high) * 0.5;
  const double radius = (iI.high - iI.low) * 0.5;
  // On a point interval every sample is the same value: only the constant is meaningful,
  // and the change of variable below would divide by zero.
  if (radius == 0.0)
    degree = 0;
  else if (!WithinToleranceBetweenNodes(iF, iI, iN, c, degree, iTol))
    return nullptr;
  double canonical[kMaxChebyshevLength];
  XelMathPolynomX::ChebyshevToCanonical(degree, c, canonical);
  XelMathPolynomX* polynomial = new XelMathPolynomX(degree, canonical, 0.0);
  if (radius != 0.0)
    polynomial->ApplyScalingOnVariable(1.0 / radius);
  polynomial->ApplyShiftOnVariable(-centre);
  return polynomial;
}

// ---- members of XelMathFunctionX built on the expansions ----------------------------------

double* XelMathFunctionX::ComputeChebyshevCoefficients(const XelMathInterval& iI, long iN) const {
  // iN + 1 coefficients must be an array the memory services can hold.
  if (iN < 0 || iN >= XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "Invalid Number Of Points", " ",
                 "XelMathFunctionX::ComputeChebyshevCoefficients");
  const long count = iN + 1;
  const double centre = (iI.low + iI.high) * 0.5;
  const double radius = (iI.high - iI.low) * 0.5;
  const double* nodes = NodeBlock(count);
  XelMathScratchDoubles<> work(count);
  double* samples = work.Data();
  for (long k = 0; k < count; k++) {
    const double t =
        nodes ? nodes[k]
              : std::cos((static_cast<double>(k) + 0.5) * XelPI / static_cast<double>(count));
    const double x = centre + radius * t;
    samples[k] = Eval(x);
  }
  // From the memory services, so that their counters see it; the caller frees it with
  // XelQuorArrayDoubleDel(coefficients, iN + 1).
  double* coefficients = XelQuorArrayDoubleNew(count);
  auto release = XelMathMakeOnExit([&] { XelQuorArrayDoubleDel(coefficients, count); });
  if (count % 2 == 0)
    XelMathFourierTransform::CosineTransform2(samples, count, coefficients);
  else
    DirectCosineTransform2(samples, count, coefficients);
  release.Dismiss();
  coefficients[0] *= 0.5;
  const double scale = 2.0 / static_cast<double>(count);
  for (long k = 0; k < count; k++)
    coefficients[k] *= scale;
  return coefficients;
}

XelMathPolynomX* XelMathFunctionX::ChebyshevApproximation(const XelMathInterval& iI, long iN,
                                                          double iTol) const {
  return XelMathFourierTransform::ChebyshevApproximationX(this, iI, iN, iTol);
}

// ---- two-variable approximation ------------------------------------------------------------

XelMathPolynomXY* XelMathFourierTransform::ChebyshevApproximationXY(const XelMathFunctionXY* iF,
                                                                    const XelMathInterval& iIx,
                                                                    const XelMathInterval& iIy,
                                                                    long iNx, long iNy,
                                                                    double iTol) {
  if (iNx <= 0 || iNx % 2 != 0 || iNx > kMaxChebyshevLength || iNy <= 0 || iNy % 2 != 0 ||
      iNy > kMaxChebyshevLength)
    XelMathRaiseForbidden("ChebyshevApproximationXY", __FILE__, __LINE__);
  if (!iF) {
    XelQuornull(__FILE__, __LINE__);
    return nullptr;
  }
  double c[kMaxChebyshevLength * kMaxChebyshevLength];
  ChebyshevCoefficientsXY(iF, iIx, iIy, iNx, iNy, c);
  // Not converged (or not finite) when the last two rows and columns weigh 0.5 iTol or more.
  double tail = 0.0;
  for (long p = 0; p < iNx; p++)
    for (long q = 0; q < iNy; q++)
      if (p >= iNx - 2 || q >= iNy - 2)
        tail += std::fabs(c[p * iNy + q]);
  if (!(tail < 0.5 * iTol))
    return nullptr;
  const double mx = (iIx.low + iIx.high) * 0.5, rx = (iIx.high - iIx.low) * 0.5;
  const double my = (iIy.low + iIy.high) * 0.5, ry = (iIy.high - iIy.low) * 0.5;
  // Degrees cut from the top, a last row or column at a time, while all that was dropped
  // (both directions together) stays below 0.1 iTol. A point interval keeps the constant only.
  long dx = rx == 0.0 ? 0 : iNx - 1, dy = ry == 0.0 ? 0 : iNy - 1;
  const double cut = 0.1 * iTol;
  double dropped = 0.0;
  for (bool progress = true; progress;) {
    progress = false;
    double row = 0.0, column = 0.0;
    for (long q = 0; q <= dy; q++)
      row += std::fabs(c[dx * iNy + q]);
    for (long p = 0; p <= dx; p++)
      column += std::fabs(c[p * iNy + dy]);
    // The lighter of the two goes first.
    if (dx >= 1 && (dy < 1 || row <= column) && dropped + row < cut) {
      dropped += row;
      dx--;
      progress = true;
    } else if (dy >= 1 && dropped + column < cut) {
      dropped += column;
      dy--;
      progress = true;
    } else if (dx >= 1 && dropped + row < cut) {
      dropped += row;
      dx--;
      progress = true;
    }
  }
  // Rows to the power basis in y, then columns in x: e[p][q] with p <= dx, q <= dy.
  double d[kMaxChebyshevLength * kMaxChebyshevLength];
  double e[kMaxChebyshevLength * kMaxChebyshevLength];
  double in[kMaxChebyshevLength], out[kMaxChebyshevLength];
  const long m = dy + 1;
  for (long p = 0; p <= dx; p++) {
    XelMathPolynomX::ChebyshevToCanonical(dy, c + p * iNy, d + p * m);
  }
  for (long q = 0; q <= dy; q++) {
    for (long p = 0; p <= dx; p++)
      in[p] = d[p * m + q];
    XelMathPolynomX::ChebyshevToCanonical(dx, in, out);
    for (long p = 0; p <= dx; p++)
      e[p * m + q] = out[p];
  }
  // A polynomial in ((x - mx) / rx, (y - my) / ry): scaled by the inverse radii about the
  // origin, then the shift point moved to the centre.
  XelMathPolynomXY* polynomial = new XelMathPolynomXY(dx, dy, static_cast<const double*>(e));
  polynomial->ApplyScalingOnVariables(rx == 0.0 ? 1.0 : 1.0 / rx, ry == 0.0 ? 1.0 : 1.0 / ry);
  polynomial->SetShiftXY(mx, my);
  return polynomial;
}
