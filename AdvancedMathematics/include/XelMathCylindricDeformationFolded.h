#pragma once
// Cylindric deformation from space to the flat development: F = sqrt(x^2 + y^2) (the radius),
// G = k theta with theta = atan2(y, x) folded into the window cut at the rip angle a
// ([a - 2 pi, a) for a > 0, [a, a + 2 pi) otherwise), H = z. Near the axis, where both |x|
// and |y| are below the resolution, the derivatives are taken at (+/-r, +/-r) by the signs
// of x and y (0 counting as positive), so that they stay finite. Stream type 1.
#include "XelMathCylindricDeformation.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCylindricDeformationFolded
    : public XelMathCylindricDeformation {
public:
  /// Rip angle XelPI.
  XelMathCylindricDeformationFolded(const double iK, const XelTolerance& iTol);
  XelMathCylindricDeformationFolded(const double iK, const double iRip, const XelTolerance& iTol);
  ~XelMathCylindricDeformationFolded() override;

  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  long GetType() const override;
  XelMathNonLinearTransformation* Duplicate() const override;
  XelMathPlane* GetRipPlane() const override;
  short GetStreamTransfoType() const override;

  using XelMathCylindricDeformation::EvalF;
  using XelMathCylindricDeformation::EvalG;
  XelMathInterval EvalF(const XelMathInterval& iX, const XelMathInterval& iY) const override;
  XelMathInterval EvalG(const XelMathInterval& iX, const XelMathInterval& iY,
                        const double& iRip) const override;
  void EvalF(const double& x, const double& y, const int iOrder, double* oValues,
             const double iResolution) const override;
  void EvalG(const double& x, const double& y, const double& iRip, const int iOrder,
             double* oValues, const double iResolution) const override;
};
