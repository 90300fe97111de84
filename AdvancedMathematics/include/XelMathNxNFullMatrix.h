#pragma once
/// \file XelMathNxNFullMatrix.h
/// \brief A square matrix in dense storage built from any square matrix kind.
#include "XelMathNxNMatrix.h"

/// \brief A dense N x N matrix; its constructors from another matrix read every coefficient
/// through the virtual GetCoef(i, j), so they turn a symmetric or band matrix into dense
/// storage.
class XELADVANCEDMATHEMATICS_EXPORT XelMathNxNFullMatrix : public XelMathNxNMatrix {
public:
  /// A 0 x 0 matrix.
  XelMathNxNFullMatrix();
  /// An iN x iN matrix, contents undefined (0x2000c when it cannot be stored).
  explicit XelMathNxNFullMatrix(const long iN);
  /// The first iN x iN coefficients of *iA (zero where iA is smaller or null).
  XelMathNxNFullMatrix(const XelMathMxNMatrix* iA, const long iN);
  /// The first iN x iN coefficients of a square matrix.
  XelMathNxNFullMatrix(const XelMathNxNMatrix* iA, const long iN);
  /// The first iN x iN coefficients of a packed symmetric matrix.
  XelMathNxNFullMatrix(const XelMathNxNFullSymMatrix* iA, const long iN);
  ~XelMathNxNFullMatrix() override;
  using XelMathNxNMatrix::operator=;
};
