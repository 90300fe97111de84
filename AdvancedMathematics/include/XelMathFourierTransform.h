#pragma once
// Cosine transforms and Chebyshev expansions of short length, as a class of static
// operations.
//
// The transforms are the unnormalised type-II discrete cosine transform
//   out[j] = sum_{i=0}^{n-1} x[i] cos(pi j (2i + 1) / (2n)),  j = 0 .. n-1,
// in one and two dimensions. The Chebyshev expansion of a function f on [a, b] with n
// terms is built from n samples of f at the Chebyshev nodes of the first kind mapped to
// [a, b], so that f(x) ~ sum_k c[k] T_k((x - m) / r), m = (a + b) / 2, r = (b - a) / 2.
// Function objects use the expansions to bound their image over an interval and to
// replace themselves by a polynomial.
//
// A process-wide table (SinCosArray) holds the sines and cosines of the tabulated lengths
// 4, 6, 8, 12 and 16; it is filled once on first use without synchronisation. For each
// length N, with h = pi / N:
//  - a block of 3N/2 values at 0, 6, 15, 27, 45: entry k = sin((k + 0.5) h), entry
//    N/2 + k = sin(k h), entry N + k = cos(k h), k = 0 .. N/2 - 1;
//  - a block of N values at 69, 73, 79, 87, 99: entry k = cos((k + 0.5) h), the Chebyshev
//    nodes of the first kind on [-1, 1].
//
// Arrays are allocated by the caller. Lengths that are odd, negative, longer than an array
// of the memory services (XelQuorMaxArrayDoubles, for both lengths together in two
// dimensions) or (for the Chebyshev operations) greater than 16 raise XelMathInputError
// 0x20009 with the operation's name and " " as texts. A series that has not converged is not an
// error: the approximation returns null and the caller falls back on another method. Objects
// returned belong to the caller.
#include "XelAdvancedMathematicsExport.h"

class XelMathFunctionX;
class XelMathFunctionXY;
class XelMathInterval;
class XelMathPolynomX;
class XelMathPolynomXY;

class XELADVANCEDMATHEMATICS_EXPORT XelMathFourierTransform {
public:
  XelMathFourierTransform() = delete;

  /// Sines and cosines of the tabulated lengths (layout above); valid once
  /// SinCosArrayInitialized is set.
  static double SinCosArray[115];
  /// Set once the table is filled.
  static unsigned char SinCosArrayInitialized;

  /// Fills the two blocks of the tabulated length iN (4, 6, 8, 12 or 16; other values
  /// are ignored).
  static void InitializeSinCosArrayN(long iN);
  /// Fills the five tabulated lengths and sets the flag.
  static void InitializeSinCosArray();

  /// Unnormalised type-II cosine transform by direct sums over the symmetric and
  /// antisymmetric halves of iX. iN even; oOut distinct from iX.
  static void SlowCosineTransform2(const double* iX, long iN, double* oOut);
  /// The same transform, through the table and FastFourierTransformReal for the tabulated
  /// lengths, by direct sums for other even lengths. oOut may be iX.
  static void CosineTransform2(const double* iX, long iN, double* oOut);
  /// Discrete Fourier transform X_k = sum_j x[j] exp(-2 pi i j k / n) of iN real values,
  /// packed into iN doubles: oOut[0] = X_0; oOut[2k - 1], oOut[2k] = Re X_k, Im X_k for
  /// 1 <= k <= (n - 1) / 2; and, for even n, oOut[n - 1] = X_{n/2} (real). Fast (radix 2
  /// and 3) when n is even and n/2 has no prime factor above 3, by direct sums otherwise;
  /// the twiddles come from the table for the tabulated lengths. oOut may be iX.
  static void FastFourierTransformReal(const double* iX, long iN, double* oOut);
  /// The type-II cosine transform along both directions of an iNx x iNy array stored by
  /// rows: element (i, j), i < iNx, j < iNy, at iX[i * iNy + j]; the same layout in oOut:
  ///   oOut[p * iNy + q] = sum_{i,j} x(i, j) cos(pi p (2i + 1) / (2 iNx))
  ///                                      cos(pi q (2j + 1) / (2 iNy)).
  /// Both lengths even; oOut may be iX.
  static void CosineTransform2_2D(const double* iX, long iNx, long iNy, double* oOut);

  /// The iN Chebyshev coefficients of iF on iI into oC (iN even, at most 16): f is sampled
  /// through its point evaluation at the iN Chebyshev nodes of iI; no allocation.
  static void ChebyshevCoefficientsX(const XelMathFunctionX* iF, const XelMathInterval& iI, long iN,
                                     double* oC);
  /// A new polynomial approximating iF on iI within iTol, built from iN Chebyshev
  /// coefficients (iN even, at most 16); its degree is the last index whose coefficient
  /// reaches 0.1 iTol. Null when the last two coefficients sum to 0.5 iTol or more.
  static XelMathPolynomX* ChebyshevApproximationX(const XelMathFunctionX* iF,
                                                  const XelMathInterval& iI, long iN, double iTol);

  /// The iNx x iNy Chebyshev coefficients of iF on iIx x iIy into oC (both counts even, at
  /// most 16), coefficient (p, q) at oC[p * iNy + q]: f is sampled through its point
  /// evaluation at the iNx x iNy Chebyshev nodes of the box; no allocation. Thus
  /// f(x, y) ~ sum c[p][q] T_p((x - mx) / rx) T_q((y - my) / ry).
  static void ChebyshevCoefficientsXY(const XelMathFunctionXY* iF, const XelMathInterval& iIx,
                                      const XelMathInterval& iIy, long iNx, long iNy, double* oC);
  /// A new polynomial approximating iF on iIx x iIy within iTol from iNx x iNy Chebyshev
  /// coefficients (both even, at most 16), or null when the series has not converged.
  static XelMathPolynomXY* ChebyshevApproximationXY(const XelMathFunctionXY* iF,
                                                    const XelMathInterval& iIx,
                                                    const XelMathInterval& iIy, long iNx,
                                                    long iNy, double iTol);
};
