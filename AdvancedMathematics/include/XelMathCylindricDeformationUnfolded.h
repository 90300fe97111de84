#pragma once
// Cylindric deformation from the flat development to space: F = x cos(k y), G = x sin(k y),
// H = z (G ignores the rip angle). A development point (r, y, z) goes to the cylinder of
// radius r at the angle k y and height z. Stream type 2.
#include "XelMathCylindricDeformation.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathCylindricDeformationUnfolded
    : public XelMathCylindricDeformation {
public:
  /// Rip angle XelPI.
  XelMathCylindricDeformationUnfolded(const double iK, const XelTolerance& iTol);
  XelMathCylindricDeformationUnfolded(const double iK, const double iRip, const XelTolerance& iTol);
  ~XelMathCylindricDeformationUnfolded() override;

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
