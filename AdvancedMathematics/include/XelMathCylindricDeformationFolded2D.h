#pragma once
// Cylindric deformation of the plane onto the development: EvalFunc1 = sqrt(x^2 + y^2),
// EvalFunc2 = k theta with theta = atan2(y, x) replaced by theta - 2 pi when theta > a. Near
// the origin (|x| and |y| below the point resolution of the tolerance given) derivatives are
// taken at (+/-r, +/-r) by the signs of x and y. Plane stream type 1.
#include "XelMathCylindricDeformation2D.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCylindricDeformationFolded2D
    : public XelMathCylindricDeformation2D {
public:
  XelMathCylindricDeformationFolded2D(const double iK, const double iRip, const XelTolerance& iTol);
  ~XelMathCylindricDeformationFolded2D() override;

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

private:
  const XelTolerance* _resolutionTolerance;
};
