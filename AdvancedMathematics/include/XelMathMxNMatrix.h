#pragma once
/// \file XelMathMxNMatrix.h
/// \brief The general rectangular matrix: storage, products, Householder QR, least squares
/// (plain and with exactly satisfied constraint rows), pseudo-inverse and singular value
/// decomposition.
//
// Storage: M rows, N columns, M*N doubles row-major and 0-based (coefficient (i, j) is
// element i*N + j), owned by the matrix and null when M*N is 0. The symmetric and band
// matrices derive from this class and keep their own packed storage; every operation here
// that reads another matrix reads it through the virtual GetCoef, so it accepts any kind.
//
// Tolerances: the QR rank test reads the default tolerance's relative epsilon at each call,
// the singular value decomposition its singular-value epsilon (0 when the default tolerance
// reports itself invalid).
//
// Failures: misuse (a size that cannot be stored, mismatched dimensions, a rank-deficient
// least-squares system) raises XelMathInputError with the codes and texts listed at each
// operation; a singular value decomposition that does not converge returns 7. Work arrays
// are released before any raise.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathNxNFullSymMatrix;
class XelMathGrid;

/// \brief A dense M x N matrix of doubles, row-major (see the file comment).
class XELADVANCEDMATHEMATICS_EXPORT XelMathMxNMatrix : public XelQuorVirtual {
public:
  /// A 0 x 0 matrix without storage.
  XelMathMxNMatrix();
  /// An iM x iN matrix, contents undefined. A negative size, or a size whose product
  /// exceeds what the memory services can hold, raises XelMathInputError 0x2000c
  /// ("Constructor", "Dimension not valid", "") before anything is allocated.
  XelMathMxNMatrix(const long iM, const long iN);
  /// An iM x iN matrix holding the iM*iN values of iValues in row order (0x2000c as above).
  XelMathMxNMatrix(const long iM, const long iN, const double* iValues);
  /// An iM x iN matrix whose every coefficient is iValue (0x2000c as above).
  XelMathMxNMatrix(const long iM, const long iN, const double& iValue);
  /// A copy of the dimensions and coefficients of iOther (read through GetCoef).
  XelMathMxNMatrix(const XelMathMxNMatrix& iOther);
  /// Releases the coefficients.
  ~XelMathMxNMatrix() override;
  /// Bytes of the coefficient array.
  long GetDynamicMemoryBytes() const override;
  /// Bytes of the object itself.
  long GetStaticMemoryBytes() const override;

  /// Takes iOther's dimensions and coefficients (dense kinds by array copy, the others
  /// through GetCoef); self-assignment does nothing. Reallocates only when sizes differ.
  virtual XelMathMxNMatrix& operator=(const XelMathMxNMatrix& iOther);
  /// The number of rows and columns.
  virtual void GetSizeOfMatrix(long& oM, long& oN) const;
  /// 0 general rectangular, 1 square, 2 full symmetric, 3 band symmetric.
  virtual int GetTypeOfMatrix() const;
  /// Copies M*N values in row order.
  virtual void SetCoef(const double* iValues);
  /// Sets coefficient (i, j).
  virtual void SetCoef(const long i, const long j, const double iValue);
  /// Sets the linear element k of the storage.
  virtual void SetCoef(const long k, const double iValue);
  /// Sets the linear elements k1 to k2 inclusive from iValues (nothing when k1 > k2).
  virtual void SetCoef(const long k1, const long k2, const double* iValues);
  /// Sets every coefficient to 0.
  virtual void Reset();
  /// Writes iSub at rows i0.., columns j0..; when it would pass the last row or column,
  /// writes nothing and prints " bad dimension for SetSubMatrix " to the error trace.
  virtual void SetSubMatrix(const XelMathMxNMatrix& iSub, const long i0, const long j0);
  /// Coefficient (i, j).
  virtual double GetCoef(const long i, const long j) const;
  /// Linear element k of the storage.
  virtual double GetCoef(const long k) const;
  /// The internal coefficient array (not a copy; null for the packed kinds).
  virtual double* GetFullMatrixCoef() const;
  /// A new dense row-major copy of the M*N coefficients; the caller deletes it with
  /// delete[] (null for an empty matrix).
  virtual double* GetCoef() const;
  /// Copies rows i1..i2, columns j1..j2 (inclusive) into oE, which must already be of
  /// that size; otherwise prints " bad dimension of extracted matrix for extract " to the
  /// error trace and copies nothing.
  virtual void Extract(XelMathMxNMatrix& oE, const long i1, const long i2, const long j1,
                       const long j2) const;
  /// The Frobenius norm (0 for an empty matrix).
  virtual double SchurNorm() const;
  /// Writes the transpose of this matrix into the coefficient array of oT, which must be a
  /// dense N x M matrix (nothing is written otherwise).
  virtual void Transpose(const XelMathMxNMatrix& oT) const;
  /// Transposes in place (cycle by cycle) and swaps M and N.
  virtual void Transpose();
  /// oS = A Aᵀ (M x M), written through oS.SetCoef(i, j, v) for i <= j.
  virtual void GramProduct(XelMathNxNFullSymMatrix& oS) const;
  /// Old form: prints " ne plus utiliser cette methode " to the trace stream, then writes
  /// A Aᵀ into the coefficient array of oS when oS is a dense M x M matrix.
  virtual void GramProduct(const XelMathMxNMatrix& oS) const;
  /// oS = Aᵀ A (N x N), written through oS.SetCoef(i, j, v) for i <= j.
  virtual void TransGramProduct(XelMathNxNFullSymMatrix& oS) const;
  /// ioG := A G: G must have N rows; it is resized to M rows. Otherwise raises 0x20006
  /// ("the XelMathMxNMatrix", "the same as the grid's", "XelMathMxNMatrix::MatrixTimesGrid()").
  virtual void MatrixTimesGrid(XelMathGrid& ioG) const;
  /// ioG := G A: G must have M columns; it is resized to N columns. Otherwise raises 0x20006
  /// ("the XelMathMxNMatrix", "the same as the grid's", "XelMathMxNMatrix::GridTimesMatrix()").
  virtual void GridTimesMatrix(XelMathGrid& ioG) const;
  /// A new array y = A x of M doubles; the caller deletes it with delete[].
  virtual double* Multiply(const double* iX) const;
  /// oY = A x (M values; oY must not alias iX).
  virtual void Multiply(const double* iX, double* oY) const;
  /// oP = A B. Raises 0x20006 ("the Matrix", "wrong dimension", "Multiply") when A's
  /// column count differs from B's row count. oP takes the size M x B's columns.
  virtual void Multiply(const XelMathMxNMatrix& iB, XelMathMxNMatrix& oP) const;
  /// oP = A + B. Raises 0x20006 ("the Matrix", "wrong dimension", "Add") when sizes differ.
  virtual void Add(const XelMathMxNMatrix& iB, XelMathMxNMatrix& oP) const;
  /// oP = A − B. Raises 0x20006 ("the Matrix", "wrong dimension", "Substract") when sizes
  /// differ.
  virtual void Substract(const XelMathMxNMatrix& iB, XelMathMxNMatrix& oP) const;
  /// oQ receives a copy of this matrix, then its Householder factored form (R in the upper
  /// triangle, the reflection vectors below); oBeta the N Householder scalars. Returns 0 at
  /// full column rank, 5 otherwise. Raises 0x20006 ("the Matrix", "wrong dimension",
  /// "QRFactors") when N > M.
  virtual int QRFactorization(XelMathMxNMatrix& oQ, double* oBeta) const;
  /// oR := this matrix, then oR.Inverse() (rowFlags null) or oR.Inverse(rowFlags).
  virtual void Inverse(XelMathMxNMatrix& oR, const long* rowFlags) const;
  /// Replaces the matrix by its N x M left pseudo-inverse R⁻¹ Qᵀ. Raises 0x20006 with
  /// ("the Matrix", "wrong dimension", "Inverse") when N > M, ("the Matrix", "don't have
  /// full rank", "Inverse") when rank-deficient.
  virtual void Inverse();
  /// The same with every row whose flag is 0 satisfied exactly. Raises 0x20006 ("the
  /// Matrix", "wrong dimension", "Solve") when N > M, ("the Constraint rows", "don't have
  /// full rank", "Solve") when the constraint rows are rank-deficient.
  virtual void Inverse(const long* rowFlags);
  /// Least-squares solution of A X = B (B is M x nRHS, X is N x nRHS, row-major). Returns 0
  /// (at once when nRHS < 1). Raises 0x20006 ("the Matrix", "wrong dimension", "Solve") when
  /// N > M, ("the Matrix", "don't have full rank", "Solve") when rank-deficient.
  virtual int Solve(const double* iB, double* oX, const long iNRHS) const;
  /// Least squares in which every row whose flag is 0 is satisfied exactly (null-space
  /// method) and the others are fitted. Raises as Solve, and ("the Constraints", "don't
  /// have full rank", "Solve") when the constraint rows are rank-deficient.
  virtual int Solve(const double* iB, double* oX, const long* rowFlags, const long iNRHS) const;

  /// oY = xᵀ A (N values).
  void LeftMultiply(const double* iX, double* oY) const;
  /// Scales every coefficient by iFactor.
  XelMathMxNMatrix& operator*=(const double iFactor);
  /// Singular value decomposition A = U diag(w) Vᵀ by Householder bidiagonalisation and
  /// implicitly shifted QR (M >= N required, else raises 0x20006 ("the Matrix", "wrong
  /// dimension", "SVD")). oU becomes M x N with orthonormal columns, oW receives the N
  /// singular values (>= 0, in decreasing order), oV becomes N x N orthogonal. Returns 0,
  /// or 7 when a singular value needs more than 30 iterations.
  int SVD(XelMathMxNMatrix& oU, double* oW, XelMathMxNMatrix& oV) const;

protected:
  /// Householder QR in place of the iM x iN row-major array ioA (iM >= iN), the scalars in
  /// oBeta; returns 1 at full column rank, 0 otherwise (the factorization is completed).
  static int QRFactors(const long iM, const long iN, double* ioA, double* oBeta);
  /// Raises 0x2000c when iM x iN cannot be stored.
  static void CheckSize(const long iM, const long iN);
  /// Sets the dimensions, reallocating the dense array when its size changes.
  void Resize(const long iM, const long iN);
  /// Swaps M and N of a dense matrix (square packed kinds keep theirs).
  void SwapDimensions();
  /// Writes M x N row-major values (dense kinds by copy, the others through SetCoef).
  void WriteDense(const double* iValues);
  /// One coefficient of A·Aᵀ (rows i and j), or of Aᵀ·A (columns i and j) when iColumns.
  double GramEntry(long i, long j, bool iColumns) const;
  /// Number of rows.
  long _m;
  /// Number of columns.
  long _n;
  /// The owned coefficients (row-major), null when empty or for the packed kinds.
  double* _coef;
};

/// A + B as a new matrix; raises 0x20006 ("the Matrix", "wrong dimension", "Operator +").
XELADVANCEDMATHEMATICS_EXPORT XelMathMxNMatrix operator+(const XelMathMxNMatrix& iA,
                                                         const XelMathMxNMatrix& iB);
/// A − B as a new matrix; raises 0x20006 ("the Matrix", "wrong dimension", "Operator -").
XELADVANCEDMATHEMATICS_EXPORT XelMathMxNMatrix operator-(const XelMathMxNMatrix& iA,
                                                         const XelMathMxNMatrix& iB);
/// A B as a new matrix; raises 0x20006 ("the Matrix", "wrong dimension", "Operator *").
XELADVANCEDMATHEMATICS_EXPORT XelMathMxNMatrix operator*(const XelMathMxNMatrix& iA,
                                                         const XelMathMxNMatrix& iB);
/// s A as a new matrix.
XELADVANCEDMATHEMATICS_EXPORT XelMathMxNMatrix operator*(const double iFactor,
                                                         const XelMathMxNMatrix& iA);
