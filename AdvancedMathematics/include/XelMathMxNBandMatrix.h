#pragma once
/// \file XelMathMxNBandMatrix.h
/// \brief Rectangular band matrix for least-squares fitting with banded design matrices.
//
// An M x N matrix whose row i holds w consecutive coefficients starting at column first[i]
// (spline-like bases). A negative first column makes the row wrap around the last column
// (periodic bases): column j >= first[i] + N is read as j - N. The class forms and factors
// the normal equations (A^T W A, symmetric band, periodic corner coefficients included),
// solves by orthogonal transformations without forming them (banded Givens QR), and offers
// a singular value decomposition, a symmetric eigen-solver and the choice of a truncation
// level from the singular values.
//
// Storage modes (GetStorageMode) and the place of coefficient (i, j) in GetCoef():
//   1  rectangular band: element w*i + j - first[i] for first[i] <= j < first[i] + w.
//   2  symmetric band of half-width w: for j <= i, element (w-1)(i+1) + j when j > i - w;
//      the periodic corner (i, j), j < i - N + w, is element (w-1)(j+1) + i - N; (i, j)
//      with j > i reads (j, i).
//   3  the same storage holding the LDL^T factor (unit L below the diagonal, D on it).
//   4  upper band: element w*i + j - i for i <= j < i + w (the R factor of the QR family).
//   5  dense: element N*i + j.
// A periodic factor keeps its dense last rows (LDL^T) or columns (QR) in an extra block.
//
// Row weights (not owned) weigh the squared residual of each row: the normal equations are
// A^T W A x = A^T W b, the QR solves work on W^(1/2) A; Multiply and ResidualVector return
// the plain A x and b - A x. Imposed unknowns (flag 0) are held at values given by the
// caller (see Solve) and are not solved for.
//
// Nothing here prints or raises: a size that is negative or whose storage could not be
// served leaves the matrix empty (0 x 0) or unchanged, and every operation reports success
// as its result (1 or a positive count) and failure as 0.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathMxNMatrix;
class XelMathSetOf3DObjects;
class XelMathGrid;

/// Rectangular band matrix with normal equations, band LDL^T, banded QR, SVD and eigen-solver.
class XELADVANCEDMATHEMATICS_EXPORT XelMathMxNBandMatrix : public XelQuorVirtual {
public:
  /// An empty matrix (0 x 0, row width 0, mode 1).
  XelMathMxNBandMatrix();
  /// An iM x iN matrix of row width iW in storage mode iMode (1, 2, 4 or 5; 3 is taken as
  /// 2), all coefficients 0 and every first column 0. Modes 2 and 5 ignore iM (square for
  /// mode 2, iM rows for 5). Invalid sizes (negative, iW > iN, iW < 1 with iN > 0) or storage
  /// that cannot be served leave the matrix empty.
  XelMathMxNBandMatrix(long iM, long iN, long iW, long iMode = 1);
  /// Deep copy (coefficients, factor block, impositions, spectral results; the row weights
  /// pointer is shared).
  XelMathMxNBandMatrix(const XelMathMxNBandMatrix& iOther);
  ~XelMathMxNBandMatrix() override;

  /// Bytes owned by the matrix outside itself.
  long GetDynamicMemoryBytes() const override;
  /// Bytes of the object itself.
  long GetStaticMemoryBytes() const override;

  // ---- virtual operations (slot order) ----
  /// Deep copy; self-assignment does nothing. On storage failure this matrix becomes empty.
  virtual XelMathMxNBandMatrix& operator=(const XelMathMxNBandMatrix& iOther);
  /// Rows, columns and row width.
  virtual void GetSizeOfMatrix(long& oM, long& oN, long& oW) const;
  /// Rows and columns.
  virtual void GetSizeOfMatrix(long& oM, long& oN) const;
  /// The storage mode (1 to 5, see the file comment).
  virtual long GetStorageMode() const;
  /// Mode 1: some row wraps (negative first column). Modes 2, 3: 2w <= N + 1 and a corner
  /// coefficient exceeds 1e-15 GetNormOfDiag(). Other modes: never. The answer is stored.
  virtual int GetIfPeriodic();
  /// Sum of the squares of the diagonal coefficients (cached until the next write).
  virtual double GetNormOfDiag() const;
  /// Resizes to iM x iN keeping the row width (clipped to iN) and the mode (a factor goes
  /// back to mode 2; modes 2 and 3 need iM == iN); coefficients and first columns become 0,
  /// impositions are cleared. Arrays are reused when large enough. 1 done, 0 refused.
  virtual int SetSize(long iM, long iN);
  /// Mode 1: sets the first column of row i (0 <= i < M). A first column with
  /// first + width <= 0 is shifted by N; accepted are -(w-1) <= first <= N - w after that.
  /// ioW asks for a row width: a larger width than the current one widens every row
  /// (SetColSize); on return ioW is the matrix's row width. 1 done, 0 refused.
  virtual int SetRowSize(long i, long iFirst, long& ioW);
  /// Reserves storage for rows of iW coefficients (mode 1) without changing the width.
  virtual int SetMaxColSize(long iW);
  /// Changes the row width (or half-width in mode 2) to iW (1..N), keeping the coefficients
  /// that fit. Refused (0) in mode 3.
  virtual int SetColSize(long iW);
  /// Mode 1: trims leading and trailing zero coefficients of every row and shrinks the row
  /// width to the widest remaining row. Returns the new width (0 when refused).
  virtual long Compress();
  /// Writes coefficient (i, j); ignored outside the matrix or outside the stored pattern.
  virtual void SetCoef(long i, long j, double iValue);
  /// Writes the stored coefficients of row i (w values; N in mode 5; mode 2 and 3: the
  /// half-band columns i-w+1..i, taken modulo N).
  virtual void SetCoef(long i, const double* iValues);
  /// Mode 1: sets the first column of row i to iFirst (as SetRowSize) and its w values.
  virtual void SetCoef(long i, long iFirst, const double* iValues);
  /// SetSize(iM, iN) with row width iW. 1 done, 0 refused.
  virtual int Reset(long iM, long iN, long iW);
  /// Coefficient (i, j) as the storage mode reads it; 0.0 outside.
  virtual double GetCoef(long i, long j) const;
  /// The coefficient array of the current mode (not a copy; null when empty).
  virtual const double* GetCoef() const;
  /// Writes the dense M x N matrix into oA (resized when needed). Modes 1, 2, 4, 5; 1 done.
  virtual int GetFullMatrix(XelMathMxNMatrix& oA) const;
  /// First column of every row, M values (mode 1; null otherwise or when empty).
  virtual const long* GetFirstColumns() const;
  /// Copies N flags (0 = imposed unknown, other = free); null clears the impositions.
  virtual void SetImpositions(const long* iImp);
  /// Imposes every unknown that no row determines: a column (mode 1, 4, 5, weighted) or a
  /// diagonal (mode 2) whose squared norm is at most iTol times the largest. Returns the
  /// number of unknowns newly imposed.
  virtual long IdentifyConstraints(double iTol);
  /// Row weights (M values, not owned, >= 0); null clears them.
  virtual void SetRowWeights(const double* iWeights);
  /// oY (M x nRHS) = A iX (N x nRHS), row-major. Modes 1, 2, 4, 5. 1 done, 0 refused.
  virtual int Multiply(const double* iX, double* oY, long nRHS) const;
  /// oY = A iX on vectors of space (oY resized to M).
  virtual int Multiply(const XelMathSetOf3DObjects& iX, XelMathSetOf3DObjects& oY) const;
  /// oY = A iX on grid rows (oY resized to M rows).
  virtual int Multiply(const XelMathGrid& iX, XelMathGrid& oY) const;
  /// oR = iB - A iX (M x nRHS).
  virtual int ResidualVector(const double* iB, const double* iX, double* oR, long nRHS) const;
  /// oR = iB - A iX on vectors of space.
  virtual int ResidualVector(const XelMathSetOf3DObjects& iB, const XelMathSetOf3DObjects& iX,
                             XelMathSetOf3DObjects& oR) const;
  /// oR = iB - A iX on grid rows.
  virtual int ResidualVector(const XelMathGrid& iB, const XelMathGrid& iX, XelMathGrid& oR) const;
  /// oY (N x nRHS) = A^T W iB (iB is M x nRHS). Modes 1, 2, 4, 5.
  virtual int TransMultiply(const double* iB, double* oY, long nRHS) const;
  /// oY = A^T W iB on vectors of space (oY resized to N).
  virtual int TransMultiply(const XelMathSetOf3DObjects& iB, XelMathSetOf3DObjects& oY) const;
  /// oY = A^T W iB on grid rows (oY resized to N rows).
  virtual int TransMultiply(const XelMathGrid& iB, XelMathGrid& oY) const;
  /// In place: ioB holds max(M, N) x nRHS values; its first N rows receive A^T W B.
  virtual int TransMultiply(double* ioB, long nRHS) const;
  /// In place on vectors of space (resized to N).
  virtual int TransMultiply(XelMathSetOf3DObjects& ioB) const;
  /// In place on grid rows (resized to N rows).
  virtual int TransMultiply(XelMathGrid& ioB) const;
  /// Appends rows to normal equations already formed (mode 2): this += R^T W R and ioAtB
  /// (N x nRHS) += R^T W iB, with R = iRows (same N) and W its weights.
  virtual int UpdateTransMultiplyAndGramProduct(const XelMathMxNBandMatrix& iRows, const double* iB,
                                                double* ioAtB, long nRHS);
  /// Replaces the matrix (modes 1, 5, or 4 without a periodic block) by A^T W A in mode 2.
  virtual int TransGramProduct();
  /// oG = iFactor A^T W A over rows iFirstRow..iLastRow (iLastRow < 0: to the last row),
  /// in mode 2; this matrix is unchanged.
  virtual int TransGramProduct(XelMathMxNBandMatrix& oG, double iFactor, long iFirstRow,
                               long iLastRow) const;
  /// This (mode 2) += iFactor iG, iG a mode-2 matrix of the same size (the band widens
  /// when iG's is wider): adds a smoothing term formed by TransGramProduct.
  virtual int AddGramProduct(const XelMathMxNBandMatrix& iG, double iFactor);
  /// This (mode 2) += iFactor A^T W A over rows iFirstRow..iLastRow of iA (iLastRow < 0: to
  /// the last row); the band widens when needed.
  virtual int UpdateTransGramProduct(const XelMathMxNBandMatrix& iA, double iFactor, long iFirstRow,
                                     long iLastRow);
  /// Factors the mode-2 matrix plus iShift on the free diagonal in place (mode 3). Pivots
  /// below XelHardTol(1e-15) GetNormOfDiag() stop it: 0 is returned and the matrix is left
  /// partly factored in mode 2. Periodic matrices factor their corner block too; imposed
  /// unknowns are skipped. 1 done; 0 in any other mode.
  virtual int FactorizeLDLt(double iShift);
  /// The same into oFactor (a copy of this matrix), this matrix unchanged.
  virtual int FactorizeLDLt(XelMathMxNBandMatrix& oFactor, double iShift) const;
  /// Least squares (modes 1, 4, 5: this matrix becomes the factor of A^T W A, mode 3) or
  /// symmetric solve (mode 2 is factored, mode 3 used). iB has iDim rows (M in modes 1, 4,
  /// 5; N in modes 2, 3), oX receives N x nRHS; imposed unknowns keep the values oX holds
  /// on entry. 1 done, 0 refused or singular.
  virtual int Solve(const double* iB, double* oX, long nRHS, long iDim);
  /// In place: ioB (iDim >= max(rows of B, N) rows) receives the solution in its first N
  /// rows. Imposed values are read from ioB in modes 2 and 3; refused with impositions in
  /// the other modes.
  virtual int Solve(double* ioB, long nRHS, long iDim);
  /// Solve on vectors of space (oX resized to N).
  virtual int Solve(const XelMathSetOf3DObjects& iB, XelMathSetOf3DObjects& oX);
  /// Solve in place on vectors of space.
  virtual int Solve(XelMathSetOf3DObjects& ioB);
  /// Solve on grid rows (oX resized to N rows).
  virtual int Solve(const XelMathGrid& iB, XelMathGrid& oX);
  /// Solve in place on grid rows.
  virtual int Solve(XelMathGrid& ioB);
  /// Least squares by banded Givens QR on a copy (mode 1); oX (N x nRHS) keeps its values
  /// at imposed unknowns. 1 done, 0 refused or rank-deficient.
  virtual int SolveQR(const double* iB, double* oX, long nRHS) const;
  /// SolveQR on vectors of space (oX resized to N).
  virtual int SolveQR(const XelMathSetOf3DObjects& iB, XelMathSetOf3DObjects& oX) const;
  /// Mode 1 to 4: triangularises W^(1/2) A into R by Givens rotations applied to ioB
  /// (max(M, N) x nRHS). The first N rows of ioB receive Q^T W^(1/2) B; when M > N row N
  /// receives the norm of the least-squares residual of each column and later rows 0.
  /// iImposed (N x nRHS, may be null for zeros) gives the values of imposed unknowns.
  virtual int TransfQR(double* ioB, long nRHS, const double* iImposed = nullptr);
  /// TransfQR on vectors of space (refused with impositions).
  virtual int TransfQR(XelMathSetOf3DObjects& ioB);
  /// TransfQR on grid rows (refused with impositions).
  virtual int TransfQR(XelMathGrid& ioB);
  /// Mode 4: back substitution R X = first N rows of ioB, in place. 0 when a diagonal of R
  /// is at most the relative epsilon times the largest (rank-deficient).
  virtual int SolveQRII(double* ioB, long nRHS) const;
  /// SolveQRII on vectors of space (resized to N).
  virtual int SolveQRII(XelMathSetOf3DObjects& ioB) const;
  /// SolveQRII on grid rows (resized to N rows).
  virtual int SolveQRII(XelMathGrid& ioB) const;
  /// Singular value decomposition of W^(1/2) A (one-sided Jacobi on a dense copy; modes 1,
  /// 2, 4, 5). Writes up to iCount singular values, decreasing, into oValues (may be null)
  /// and keeps them with the singular vectors (replacing the last eigen-system). Returns
  /// min(M, N), 0 on failure (no convergence in 60 sweeps, a value that is not finite,
  /// storage not served). Rank-deficient matrices are decomposed: a singular value at
  /// rounding level of the matrix (unit roundoff times its Frobenius norm) is kept as
  /// computed and its left vector is 0.
  virtual long SVD(double* oValues, long iCount);
  /// The singular values of the last SVD (decreasing; null when there is none).
  virtual const double* GetSingularValues(long& oCount) const;
  /// An orthonormal basis of the range: oRank vectors of M values, one after the other
  /// (left singular vectors of the singular values above the singular-value epsilon).
  virtual const double* GetONRange(long& oRank) const;
  /// Eigenvalues and eigenvectors of the symmetric matrix (mode 2, or the symmetric part
  /// of a square matrix in modes 1, 4, 5) by cyclic Jacobi on a dense copy (N^3 work per
  /// sweep: meant for moderate N); keeps the iCount smallest (all when iCount <= 0 or > N).
  /// Returns their number, 0 on failure. It replaces the results of the last SVD.
  virtual long SymmetricEigenSystem(long iCount);
  /// Eigenvalues of the last SymmetricEigenSystem, increasing.
  virtual const double* GetEigenValues(long& oCount) const;
  /// Matching unit eigenvectors, N values each, one after the other.
  virtual const double* GetEigenVectors(long& oCount) const;
  /// Truncated-SVD smoothing after SVD: chooses the number k of singular values kept that
  /// minimizes the generalized cross-validation SVFunc(iB, k) over 1..rank, writes the
  /// truncated solution into oX (N values, may be null) and returns k (0: no SVD).
  virtual long SmoothIndices(const double* iB, double* oX);
  /// Dense A^T W A (modes 1, 4, 5) or the symmetric matrix (mode 2) into oG (iN x iN
  /// row-major, iN == N).
  virtual int TransGramProduct(double* oG, long iN) const;
  /// Mode 3: solves with the factor in place (ioB is N x nRHS; imposed unknowns keep the
  /// values ioB holds).
  virtual int SolveLDLt(double* ioB, long nRHS) const;
  /// Generalized cross-validation of truncation k (0..min(M, N)) for the M data iB:
  /// |b - U_k U_k^T b|^2 / (M - k)^2 with weights applied; a huge value when k >= M or
  /// there is no SVD.
  virtual double SVFunc(const double* iB, long k) const;

private:
  bool Allocate(long iM, long iN, long iW, long iMode);
  void Release();
  void CopyFrom(const XelMathMxNBandMatrix& iOther);
  long StoredCount() const;
  double* SymSlot(long i, long j) const;
  int AddSym(long i, long j, double iValue);
  int WidenSym(long iW);
  double RowWeight(long i) const { return _rowWeights ? _rowWeights[i] : 1.0; }
  bool IsFree(long j) const { return !_impositions || _impositions[j] != 0; }
  int Restore(long iW, const long* iFirst);
  int SolveNormal(double* ioRhs, long nRHS);
  long RowOf(long i, double*& oRow) const;
  void Touch() { _normValid = false; }
  friend struct XelMathMxNBandMatrixAccess;

  long _nbRows;        // M
  long _nbCols;        // N
  long _rowWidth;      // w
  long _capacity;      // doubles available in _coef
  long _mode;          // storage mode
  long* _firstCol;     // first column of each row (M, mode 1)
  long _firstCapacity; // longs available in _firstCol
  double* _coef;       // owned coefficients
  double* _symCoef;    // == _coef in modes 2 and 3, else null
  long* _impositions;  // N flags (owned) or null
  long _firstImposed;  // index of the first imposed unknown, -1 when none
  const double* _rowWeights;
  int _periodic; // last answer of GetIfPeriodic
  mutable double _normOfDiag;
  mutable bool _normValid;
  double* _block; // periodic factor block: dense last rows (mode 3) or columns (mode 4)
  long _blockSize;
  long _blockStart;  // first row (mode 3) or column (mode 4) of the block
  double* _spectral; // SVD: values, U, V; eigen: values, vectors
  long _spectralSize;
  long _spectralKind; // 0 none, 1 SVD, 2 eigen
  long _spectralCount;
  long _spectralRank;
};
