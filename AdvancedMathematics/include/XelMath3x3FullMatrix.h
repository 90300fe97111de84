#pragma once
/// \file XelMath3x3FullMatrix.h
/// \brief A 3 x 3 matrix of the matrix classes (square solves, determinants), convertible
/// to and from the kernel's value type XelMath3x3Matrix.
#include "XelMath3x3Matrix.h"
#include "XelMathNxNMatrix.h"

/// \brief A dense 3 x 3 matrix.
class XELADVANCEDMATHEMATICS_EXPORT XelMath3x3FullMatrix : public XelMathNxNMatrix {
public:
  /// The zero matrix.
  XelMath3x3FullMatrix();
  /// The coefficients of iM.
  explicit XelMath3x3FullMatrix(const XelMath3x3Matrix& iM);
  ~XelMath3x3FullMatrix() override;
  using XelMathNxNMatrix::operator=;
  /// The coefficients as the kernel's value type.
  XelMath3x3Matrix GetMath3x3Matrix() const;
};
