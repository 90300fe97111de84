#pragma once
// Conic deformation from space to the flat development (s = sin alpha, c = cos alpha):
// rho = sqrt(x^2 + y^2), theta = atan2(y, x) folded at the rip angle a, phi = lambda s theta;
// u = rho s + z c (distance along the generator), w = rho c - z s (offset from the cone);
// F = u cos(phi) s + w c, G = u sin(phi), H = u cos(phi) c - w s. The cone of half-angle
// alpha around z goes to the plane tangent to it along its generator at theta = 0; the apex
// stays at the origin and the seam theta = a becomes the edges of a sector. Near the axis
// (|x| and |y| below the resolution) derivatives are taken at (+/-r, +/-r). Stream type 3.
#include "XelMathConicDeformation.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathConicDeformationFolded : public XelMathConicDeformation {
public:
  /// Rip angle XelPI, ratio 1.
  XelMathConicDeformationFolded(const double iAlpha, const XelTolerance& iTol);
  /// Ratio 1.
  XelMathConicDeformationFolded(const double iAlpha, const double iRip, const XelTolerance& iTol);
  XelMathConicDeformationFolded(const double iAlpha, const double iRip, const double iLambda,
                                const XelTolerance& iTol);
  ~XelMathConicDeformationFolded() override;

  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  long GetType() const override;
  XelMathNonLinearTransformation* Duplicate() const override;
  XelMathPlane* GetRipPlane() const override;
  short GetStreamTransfoType() const override;

  void EvalCoreFGH(const XelMathVector& iP, const double iRip, const int iOrder, double* oF,
                   double* oG, double* oH, const double iResolution) const override;
  void EvalCoreFGH(const XelMathInterval* iP, const double iRip,
                   XelMathInterval* oImage) const override;
};
