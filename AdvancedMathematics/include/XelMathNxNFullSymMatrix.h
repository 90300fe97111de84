#pragma once
/// \file XelMathNxNFullSymMatrix.h
/// \brief The symmetric matrix in packed storage: LDLᵀ with symmetric (Bunch-Kaufman)
/// pivoting, Cholesky, inverses, determinants, Jacobi eigenvalues, solves with imposed
/// unknowns.
//
// Storage: the lower triangle row by row, N(N+1)/2 doubles owned by the matrix; (i, j) with
// i >= j is element i(i+1)/2 + j, (i, j) with i < j reads (j, i). The dense array of the
// base class stays null: read the coefficients through GetCoef.
//
// Impositions: several solves take an array imp of N flags; an unknown whose flag is 0 is
// imposed (its value is given in the right-hand side at its own position and kept), the
// others are solved for.
//
// Failures: solves return 0, or 5 for a singular (LDLᵀ) or non-positive (Cholesky) matrix;
// they never raise. Conversions and size changes print their messages to the standard
// trace stream.
#include "XelMathNxNMatrix.h"

class XelMath3x3Matrix;

/// \brief A packed symmetric N x N matrix (see the file comment).
class XELADVANCEDMATHEMATICS_EXPORT XelMathNxNFullSymMatrix : public XelMathNxNMatrix {
public:
  /// A 0 x 0 matrix.
  XelMathNxNFullSymMatrix();
  /// An iN x iN zero matrix (0x2000c when it cannot be stored).
  explicit XelMathNxNFullSymMatrix(const long iN);
  /// An iN x iN matrix from its packed lower triangle (iN(iN+1)/2 values).
  XelMathNxNFullSymMatrix(const long iN, const double* iPacked);
  /// The lower triangle of a square matrix, row by row. A non-square input prints
  /// " non square matrix !! " (the result is empty); a coefficient with (a_ij − a_ji)² above
  /// the symmetry epsilon times a_ij² prints " non symetric matrix !! " and stops the copy.
  explicit XelMathNxNFullSymMatrix(const XelMathMxNMatrix& iA);
  /// A copy.
  XelMathNxNFullSymMatrix(const XelMathNxNFullSymMatrix& iOther);
  ~XelMathNxNFullSymMatrix() override;
  /// Bytes of the packed array.
  long GetDynamicMemoryBytes() const override;
  /// Bytes of the object itself.
  long GetStaticMemoryBytes() const override;

  using XelMathNxNMatrix::GetCoef;
  using XelMathNxNMatrix::GetSizeOfMatrix;
  using XelMathNxNMatrix::Inverse;
  using XelMathNxNMatrix::Multiply;
  using XelMathNxNMatrix::SetCoef;
  using XelMathNxNMatrix::Solve;
  using XelMathNxNMatrix::Transpose;

  /// Takes the size of iOther and copies its lower triangle through GetCoef.
  XelMathMxNMatrix& operator=(const XelMathMxNMatrix& iOther) override;
  /// As operator=(const XelMathMxNMatrix&).
  XelMathNxNMatrix& operator=(const XelMathNxNMatrix& iOther) override;
  /// 2 (full symmetric).
  int GetTypeOfMatrix() const override;
  /// Copies N(N+1)/2 packed values.
  void SetCoef(const double* iPacked) override;
  /// Sets (i, j) and (j, i) (one shared element).
  void SetCoef(const long i, const long j, const double iValue) override;
  /// Sets packed element k.
  void SetCoef(const long k, const double iValue) override;
  /// Sets every coefficient to 0.
  void Reset() override;
  /// Coefficient (i, j).
  double GetCoef(const long i, const long j) const override;
  /// Packed element k.
  double GetCoef(const long k) const override;
  /// A new dense N x N copy (row-major); the caller deletes it with delete[].
  double* GetCoef() const override;
  /// The Frobenius norm.
  double SchurNorm() const override;
  /// Nothing to do: a symmetric matrix is its own transpose.
  void Transpose() override;
  /// Sum of the diagonal.
  double Trace() const override;
  /// The determinant, computed on a dense copy (the matrix is kept).
  double DeterminantFast() override;
  /// oY = A x.
  void Multiply(const double* iX, double* oY) const override;
  /// Solves A X = B on a copy (LDLᵀ); returns 0 or 5.
  int Solve(const double* iB, double* oX, const long iNRHS) const override;
  /// Replaces the matrix by its inverse through its LDLᵀ factors (unchanged when singular).
  void Inverse() override;

  /// Takes the size and coefficients of iOther.
  virtual XelMathNxNFullSymMatrix& operator=(const XelMathNxNFullSymMatrix& iOther);
  /// Shrinks the logical size to iN (iN <= N); a larger or negative iN prints
  /// " invalid size matrix  " and changes nothing.
  virtual void SetSizeOfMatrix(const long iN);
  /// The packed array (not a copy).
  virtual double* GetFullSymMatrixCoef() const;
  /// The determinant through a Cholesky factor of a copy; a non-positive diagonal prints
  /// " a non positive matrix !! " and returns 0.0.
  virtual double DeterminantCholesky() const;
  /// The same in place (the matrix becomes its Cholesky factor).
  virtual double DeterminantFastCholesky();
  /// Solves A X = B in place (B is N x nRHS row-major) by LDLᵀ with symmetric pivoting; the
  /// matrix is not modified. Returns 0, or 5 when the matrix is singular or a value of the
  /// solution is not finite.
  int Solve(double* ioB, const long iNRHS) override;
  /// The same on the free unknowns (flag not 0) after Modifie; imposed values are kept.
  /// Returns 0 at once when no unknown is free.
  virtual int Solve(double* ioB, const long* iImp, const long iNRHS);
  /// oR := A⁻¹ through the LDLᵀ factors; returns 0, or 5 (oR unchanged) when singular.
  virtual int Inverse(XelMathNxNFullSymMatrix* oR) const;
  /// Solves A X = B in place by Cholesky on a copy, with impositions when iImp is not null.
  /// Returns 0, or 5 when the free part is not positive definite.
  virtual int SolveCholesky(double* ioB, const long* iImp, const long iNRHS) const;
  /// The Cholesky factor L (L Lᵀ = A) of the free part, written to the lower triangle of oL
  /// (in place when oL is null); imposed rows and columns are left as they are. A diagonal
  /// that is not positive prints " a non positive matrix " and returns 5; else 0.
  virtual int Cholesky(XelMathNxNFullSymMatrix* oL = nullptr, const long* iImp = nullptr);
  /// oR := A⁻¹ through a Cholesky factor; returns 0 or 5 (oR unchanged).
  virtual int InverseCholesky(XelMathNxNFullSymMatrix* oR) const;
  /// Replaces the matrix by its inverse through a Cholesky factor; returns 0 or 5
  /// (unchanged).
  virtual int FastInverseCholesky();
  /// Eigenvalues by cyclic Jacobi rotations on a copy: oV (resized to N x N) starts as the
  /// identity and receives the eigenvectors in its columns, oLambda the N eigenvalues
  /// (increasing when iFlag is not 0, else in the order of the diagonal). Sweeps stop when
  /// every off-diagonal coefficient a has a² <= iEps². Returns 0, or 7 after 100 sweeps.
  virtual int EvalEigenVal(XelMathNxNMatrix& oV, double* oLambda, const double iEps,
                           const long iFlag) const;
  /// Prepares a right-hand side for imposed unknowns: every free row i gets
  /// B[i] −= Σ A(i, j) B[j] over the imposed j (nRHS columns, row-major).
  virtual void Modifie(double* ioB, const long* iImp, const long iNRHS = 1) const;
  /// Solves L Lᵀ X = B in place when the matrix holds its own Cholesky factor (after
  /// Cholesky() in place); returns 0, or 5 when a diagonal of the factor is 0.
  virtual int Resolution(double* ioB, const long iNRHS) const;

  /// Loads a 3 x 3 matrix (size becomes 3). An asymmetric input prints
  /// " non symetric matrix !! " and returns 0x80004005; else 0.
  long SetData(const XelMath3x3Matrix& iM);
  /// True when every off-diagonal coefficient a has a² <= iEps².
  bool StopJacobi(const double iEps) const;

protected:
  /// Copies the lower triangle (N(N+1)/2 values) into oPacked.
  void CopyPacked(double* oPacked) const;
  /// Reallocates the packed array for size iN (contents zero).
  void ResizePacked(const long iN);
  /// Writes the symmetric part of the n x n row-major inverse x into oR (packed, resized when
  /// it is packed); returns 0, or 5 when oR has another size and is not packed.
  int StoreInverse(XelMathNxNFullSymMatrix* oR, const double* x) const;
  /// The packed array (lower triangle by rows).
  double* _packed;
  /// Number of doubles allocated for _packed.
  long _packedCount;
};
