#pragma once
/// \file XelMathNxNBandSymMatrix.h
/// \brief The symmetric band matrix: band storage, band LDLᵀ (1 x 1 and 2 x 2 pivots,
/// interchanges inside the band, on a copy whose band widens for their fill-in), band Cholesky.
//
// Storage: b stored diagonals (main diagonal included). Rows 0..b−1 are a triangle, (i, j)
// at i(i+1)/2 + j; every later row i stores columns i−b+1..i at offset + (b−1)i + j with
// offset = b(3−b)/2 − 1. Rows are contiguous; the array holds b(2N − b + 1)/2 doubles.
// (i, j) with |i − j| >= b reads 0.0; writing there stores nothing and prints
// " element non nul hors de la bande diagonale " when the value is not negligible (its
// square above the default tolerance's squared-zero threshold).
//
// Failures: solves return 0 or 5 (a singular matrix, a value or a solution that is not
// finite); Cholesky and DeterminantFastCholesky raise
// XelMathInputError 0x20009 on a non-positive diagonal; constructors and size changes print
// their messages to the standard trace stream.
#include "XelMathNxNFullSymMatrix.h"

/// \brief A symmetric band N x N matrix (see the file comment).
class XELADVANCEDMATHEMATICS_EXPORT XelMathNxNBandSymMatrix : public XelMathNxNFullSymMatrix {
public:
  /// A 0 x 0 matrix.
  XelMathNxNBandSymMatrix();
  /// An iN x iN zero matrix of band width iB. iB > iN prints
  /// " XelMathNxNMatrix : largeur de bande superieure a la dimension " and leaves the matrix
  /// without storage (size 0).
  XelMathNxNBandSymMatrix(const long iN, const long iB);
  /// The band of a packed symmetric matrix. iB > N prints " Band width greater than matrix
  /// size!! " (empty result); a coefficient outside the band that is not negligible prints
  /// " non zero term out of band !! ".
  XelMathNxNBandSymMatrix(const XelMathNxNFullSymMatrix& iS, const long iB);
  /// The band of a dense matrix. A non-square input prints " non square matrix !! ", iB > N
  /// prints " bandwidth greater than size !! " (both leave an empty matrix); an input that is
  /// not symmetric or has a non-negligible coefficient outside the band prints
  /// " uncorrect matrix (symetry or band) !! " after the copy of the band.
  XelMathNxNBandSymMatrix(const XelMathMxNMatrix& iA, const long iB);
  /// A copy.
  XelMathNxNBandSymMatrix(const XelMathNxNBandSymMatrix& iOther);
  ~XelMathNxNBandSymMatrix() override;
  /// Bytes of the band array.
  long GetDynamicMemoryBytes() const override;
  /// Bytes of the object itself.
  long GetStaticMemoryBytes() const override;

  using XelMathNxNFullSymMatrix::Cholesky;
  using XelMathNxNFullSymMatrix::GetCoef;
  using XelMathNxNFullSymMatrix::Inverse;
  using XelMathNxNFullSymMatrix::Multiply;
  using XelMathNxNFullSymMatrix::SetCoef;
  using XelMathNxNFullSymMatrix::Solve;
  using XelMathNxNFullSymMatrix::operator=;

  /// Takes the size, band width and band of iOther.
  virtual XelMathNxNBandSymMatrix& operator=(const XelMathNxNBandSymMatrix& iOther);
  /// Takes the size of iOther and copies its coefficients inside the current band width
  /// (clamped to the new size); a coefficient outside it that is not negligible prints
  /// " non zero term out of band !! ".
  XelMathMxNMatrix& operator=(const XelMathMxNMatrix& iOther) override;
  /// As operator=(const XelMathMxNMatrix&).
  XelMathNxNMatrix& operator=(const XelMathNxNMatrix& iOther) override;
  /// As operator=(const XelMathMxNMatrix&).
  XelMathNxNFullSymMatrix& operator=(const XelMathNxNFullSymMatrix& iOther) override;
  /// 3 (band symmetric).
  int GetTypeOfMatrix() const override;
  /// Copies the stored count of band values.
  void SetCoef(const double* iBand) override;
  /// Sets (i, j) in the band (see the file comment for writes outside it).
  void SetCoef(const long i, const long j, const double iValue) override;
  /// Sets band element k.
  void SetCoef(const long k, const double iValue) override;
  /// Sets every coefficient to 0.
  void Reset() override;
  /// Coefficient (i, j) (0.0 outside the band).
  double GetCoef(const long i, const long j) const override;
  /// Band element k.
  double GetCoef(const long k) const override;
  /// The band array (there is no packed triangle).
  double* GetFullSymMatrixCoef() const override;
  /// Sum of the diagonal.
  double Trace() const override;
  /// The Frobenius norm.
  double SchurNorm() const override;
  /// The determinant through the band LDLᵀ of a copy (0.0 when singular).
  double Determinant() const override;
  /// The same (the matrix is kept).
  double DeterminantFast() override;
  /// The determinant through a band Cholesky factor of a copy; a non-positive diagonal
  /// prints " a non positive matrix !! " and returns 0.0.
  double DeterminantCholesky() const override;
  /// The same in place (the matrix becomes its factor); a non-positive diagonal raises
  /// 0x20009 ("DeterminantFastCholesky", " A non positive matrix").
  double DeterminantFastCholesky() override;
  /// oY = A x.
  void Multiply(const double* iX, double* oY) const override;
  /// Solves A X = B in place by the band LDLᵀ on a copy; returns 0 or 5.
  int Solve(double* ioB, const long iNRHS) override;
  /// The same on the free unknowns after Modifie (imposed values kept).
  int Solve(double* ioB, const long* iImp, const long iNRHS) override;
  /// Solves A X = B on a copy; returns 0 or 5.
  int Solve(const double* iB, double* oX, const long iNRHS) const override;
  /// The inverse is not banded: the matrix is left unchanged (use Inverse(R)).
  void Inverse() override;
  /// oR := A⁻¹ (a packed symmetric matrix) through the band LDLᵀ; returns 0 or 5.
  int Inverse(XelMathNxNFullSymMatrix* oR) const override;
  /// The band Cholesky factor of the free part, written to oL (in place when null; oL
  /// receives the band through SetCoef). A non-positive diagonal raises 0x20009
  /// ("Cholesky", " A non positive matrix"). Returns 0.
  int Cholesky(XelMathNxNFullSymMatrix* oL = nullptr, const long* iImp = nullptr) override;
  /// Shrinks the size to iN (b <= iN <= N); another iN prints " invalid size matrix  ".
  void SetSizeOfMatrix(const long iN) override;

  /// The dense lower Cholesky factor, written to oL which must be N x N; another size
  /// prints " wrong size for Cholesky factor " and returns 5. A non-positive diagonal raises
  /// as Cholesky. Returns 0.
  int CholeskyDense(XelMathNxNMatrix* oL) const;
  /// CholeskyDense(oL) (a dense factor argument selects this form).
  int Cholesky(XelMathNxNMatrix* oL) const { return CholeskyDense(oL); }
  /// Band width b (number of stored diagonals).
  long GetBandOfMatrix() const { return _band; }
  /// The band array.
  double* GetBandSymCoef() const { return _bandCoef; }
  /// Number of stored band values, b(2N − b + 1)/2.
  long GetBandCount() const { return _bandCount; }

protected:
  /// Index of (i, j), i >= j, |i − j| < b, in the band array.
  long BandIndex(const long i, const long j) const {
    return i < _band ? i * (i + 1) / 2 + j : _rowOffset + (_band - 1) * i + j;
  }
  /// Band width.
  long _band;
  /// Stored values b(2N − b + 1)/2.
  long _bandCount;
  /// Row offset b(3 − b)/2 − 1.
  long _rowOffset;
  /// Doubles allocated for _bandCoef.
  long _bandAllocated;
  /// The band array.
  double* _bandCoef;
};
