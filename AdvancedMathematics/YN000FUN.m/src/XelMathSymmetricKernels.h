#pragma once
// Kernels of the symmetric matrices on raw packed arrays (lower triangle by rows, (i, j) at
// i(i+1)/2 + j): Bunch-Kaufman LDLᵀ (FactorizeLDLt, SymmetricPivot), its solve (SolveLDLt),
// the inverse from its factors (InverseLDLt), and Cholesky over the free unknowns.
// Shared by the packed, band and quasi-Newton symmetric classes.

/// Index of (i, j) in a packed lower triangle.
inline long XelMathPackedIndex(long i, long j) {
  return i >= j ? i * (i + 1) / 2 + j : j * (j + 1) / 2 + i;
}

/// Bunch-Kaufman constant (1 + sqrt(17)) / 8.
const double XelMathBunchKaufmanAlpha = 0.6403882032022076;

/// Symmetric interchange of rows and columns iK and iR of the packed iN x iN array ioA,
/// recorded in the permutation: oSwap[iK] = iR.
void SymmetricPivot(long iN, double* ioA, long iK, long iR, long* oSwap);
/// LDLᵀ with symmetric pivoting of the packed iN x iN array ioA, in place. oKind[k] is 1
/// for a 1 x 1 pivot, 2 for the first and 0 for the second row of a 2 x 2 pivot; oSwap[k]
/// the row interchanged with k at its step. Returns 0, or 5 when a pivot column is not
/// above iTiny (the matrix is singular).
int FactorizeLDLt(long iN, double* ioA, long* oKind, long* oSwap, double iTiny);
/// Solves with the factors of FactorizeLDLt: ioB (iN x iC row-major) receives X.
void SolveLDLt(long iN, const double* iA, const long* iKind, const long* iSwap, double* ioB,
               long iC);
/// Inverse from the factors of FactorizeLDLt: oX (iN x iN row-major) receives A⁻¹.
void InverseLDLt(long iN, const double* iA, const long* iKind, const long* iSwap, double* oX);
/// Cholesky in place of the packed array over the unknowns whose flag is not 0 (all when
/// iImp is null). Returns 0, or 5 on a diagonal that is not positive.
int XelMathPackedCholesky(long iN, double* ioA, const long* iImp);
/// Solves L Lᵀ X = B over the free unknowns (ioB iN x iC); returns 0 or 5 (zero diagonal).
int XelMathPackedCholeskySolve(long iN, const double* iL, const long* iImp, double* ioB, long iC);
