#pragma once
/// \file XelMathNxNFullSymMatrixForBfgs.h
/// \brief The packed symmetric matrix of the quasi-Newton (BFGS) method, with its update.
#include "XelMathNxNFullSymMatrix.h"

/// \brief A packed symmetric N x N matrix H with the BFGS update of a Hessian estimate.
class XELADVANCEDMATHEMATICS_EXPORT XelMathNxNFullSymMatrixForBfgs
    : public XelMathNxNFullSymMatrix {
public:
  /// An iN x iN zero matrix.
  explicit XelMathNxNFullSymMatrixForBfgs(const long iN);
  ~XelMathNxNFullSymMatrixForBfgs() override;
  using XelMathNxNFullSymMatrix::operator=;
  /// BFGS update with step s and gradient change y (N values each); oW receives H s (N
  /// values). With ε the default tolerance's symmetry epsilon, the update
  /// H += y yᵀ/(sᵀy) − w wᵀ/(sᵀHs) is made only when (sᵀy)² > ε² iA iB and
  /// (sᵀHs)² > ε² iB² (iA, iB: the caller's scales of y and s, e.g. yᵀy and sᵀs).
  /// Returns 1 when H was updated, 0 when the update was skipped.
  int UpdateH(const double iA, const double iB, const double* iS, const double* iY, double* oW);
  /// The full N x N array, row-major (N·N values).
  void GetAllCoef(double* oCoefs) const;
};
