#pragma once
/// \file XelMathNxNMatrixForNewtonBfgs.h
/// \brief The square matrix of the N-variable minimizer's Newton steps.
#include "XelMathNxNMatrix.h"

/// \brief A dense N x N matrix that can decouple an unknown (SetRowAndColumn).
class XELADVANCEDMATHEMATICS_EXPORT XelMathNxNMatrixForNewtonBfgs : public XelMathNxNMatrix {
public:
  /// An iN x iN matrix, contents undefined (0x2000c when it cannot be stored).
  explicit XelMathNxNMatrixForNewtonBfgs(const long iN);
  ~XelMathNxNMatrixForNewtonBfgs() override;
  using XelMathNxNMatrix::operator=;
  /// Sets row i and column i to 0, then (i, i) to 1: unknown i is decoupled (a solve then
  /// returns the right-hand side's value i for it). An i outside 0..N−1 does nothing.
  void SetRowAndColumn(const long i);
};
