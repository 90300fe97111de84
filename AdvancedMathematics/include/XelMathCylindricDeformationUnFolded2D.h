#pragma once
// Cylindric deformation of the plane from the development: EvalFunc1 = x cos(k y), EvalFunc2 =
// x sin(k y) (the rip angle is not used). Plane stream type 2.
#include "XelMathCylindricDeformation2D.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCylindricDeformationUnFolded2D
    : public XelMathCylindricDeformation2D {
public:
  XelMathCylindricDeformationUnFolded2D(const double iK, const double iRip);
  ~XelMathCylindricDeformationUnFolded2D() override;

  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  long GetType() const override;
  short GetStreamTransfo2DType() const override;
  XelMathNonLinearTransformation2D* Duplicate() const override;

  using XelMathCylindricDeformation2D::EvalFunc1;
  using XelMathCylindricDeformation2D::EvalFunc2;
  void EvalFunc1(const double& x, const double& y, const int iOrder,
                 double* oValues) const override;
  void EvalFunc2(const double& x, const double& y, const double& iRip, const int iOrder,
                 double* oValues) const override;
};
