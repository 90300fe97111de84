#pragma once
/// \file XelMathNxNMatrix.h
/// \brief The square matrix: solves by closed forms (N <= 3) and Gaussian elimination with
/// complete pivoting, determinants, inverse, trace.
//
// A pivot (or a 2 x 2 determinant) whose magnitude does not exceed the singular-pivot
// threshold (the default tolerance's relative epsilon, read once at load) makes the solve
// return 5 and the determinant 0.0; square solves never raise. Solves of fewer than 21
// unknowns use fixed local buffers and allocate nothing.
#include "XelMathMxNMatrix.h"

class XelMathNxNFullSymMatrix;
class XelMathNxNBandSymMatrix;

/// \brief A dense N x N matrix (see the file comment).
class XELADVANCEDMATHEMATICS_EXPORT XelMathNxNMatrix : public XelMathMxNMatrix {
public:
  /// A 0 x 0 matrix.
  XelMathNxNMatrix();
  /// An iN x iN matrix, contents undefined (0x2000c when it cannot be stored).
  explicit XelMathNxNMatrix(const long iN);
  /// An iN x iN matrix holding iN*iN values in row order.
  XelMathNxNMatrix(const long iN, const double* iValues);
  /// The diagonal matrix iD·I (not a constant fill).
  XelMathNxNMatrix(const long iN, const double& iD);
  /// A dense copy of the first iN x iN coefficients of a packed symmetric matrix.
  XelMathNxNMatrix(const XelMathNxNFullSymMatrix* iS, const long iN);
  /// A dense copy of a band symmetric matrix.
  explicit XelMathNxNMatrix(const XelMathNxNBandSymMatrix& iS);
  /// A copy.
  XelMathNxNMatrix(const XelMathNxNMatrix& iOther);
  ~XelMathNxNMatrix() override;

  using XelMathMxNMatrix::GetSizeOfMatrix;
  using XelMathMxNMatrix::Inverse;
  using XelMathMxNMatrix::Solve;
  using XelMathMxNMatrix::Transpose;
  using XelMathMxNMatrix::operator=;

  /// 1 (square).
  int GetTypeOfMatrix() const override;
  /// Swaps (i, j) and (j, i) in place.
  void Transpose() override;
  /// Solves A X = B on a copy of the matrix (B and X are N x nRHS row-major); returns the
  /// status of Solve(double*, long).
  int Solve(const double* iB, double* oX, const long iNRHS) const override;

  /// Takes iOther's size and coefficients.
  virtual XelMathNxNMatrix& operator=(const XelMathNxNMatrix& iOther);
  /// N.
  virtual long GetSizeOfMatrix() const;
  /// Sum of the diagonal.
  virtual double Trace() const;
  /// The determinant, computed on a copy (0.0 when a pivot is not above the threshold).
  virtual double Determinant() const;
  /// The determinant, computed in place (the matrix is destroyed).
  virtual double DeterminantFast();
  /// Solves A X = B in place: ioB (N x nRHS row-major) receives X and the matrix is
  /// overwritten by its elimination. Returns 0, or 5 when a pivot is not above the
  /// threshold or not finite (the 2 x 2 case then leaves ioB untouched) or a value of the
  /// solution is not finite.
  virtual int Solve(double* ioB, const long iNRHS);
  /// oI = A⁻¹ (solve against the identity on a copy); returns the status of Solve.
  virtual int Inverse(XelMathNxNMatrix& oI) const;

  /// The singular-pivot threshold of every square solve and determinant.
  static double GetPivotThreshold();
};
