#pragma once
/// \file XelMathMxNFullMatrix.h
/// \brief A rectangular matrix in dense storage built from any matrix kind.
#include "XelMathMxNMatrix.h"

/// \brief A dense M x N matrix; its constructor from another matrix reads every coefficient
/// through the virtual GetCoef(i, j), so it turns a symmetric or band matrix into dense
/// storage.
class XELADVANCEDMATHEMATICS_EXPORT XelMathMxNFullMatrix : public XelMathMxNMatrix {
public:
  /// A 0 x 0 matrix.
  XelMathMxNFullMatrix();
  /// An iM x iN matrix, contents undefined (0x2000c when it cannot be stored).
  XelMathMxNFullMatrix(const long iM, const long iN);
  /// A dense copy of *iA (an empty matrix when iA is null).
  explicit XelMathMxNFullMatrix(const XelMathMxNMatrix* iA);
  ~XelMathMxNFullMatrix() override;
  using XelMathMxNMatrix::operator=;
};
