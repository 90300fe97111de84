#pragma once
// Conic deformation from the flat development to space (s = sin alpha, c = cos alpha):
// u = x s + z c, w = -x c + z s, r = sqrt(u^2 + y^2), phi = atan2(y, u) / (lambda s) folded
// at the rip angle a, t = r s - w c; F = t cos(phi), G = t sin(phi), H = r c + w s. It undoes
// the folded map of the same cone for points off the axis. Near the axis of the development
// (|u| and |y| below the resolution) derivatives are taken at the point moved along u and y
// to (+/-r, +/-r). Stream type 4.
#include "XelMathConicDeformation.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathConicDeformationUnfolded
    : public XelMathConicDeformation {
public:
  /// Rip angle XelPI, ratio 1.
  XelMathConicDeformationUnfolded(const double iAlpha, const XelTolerance& iTol);
  /// Ratio 1.
  XelMathConicDeformationUnfolded(const double iAlpha, const double iRip, const XelTolerance& iTol);
  XelMathConicDeformationUnfolded(const double iAlpha, const double iRip, const double iLambda,
                                  const XelTolerance& iTol);
  ~XelMathConicDeformationUnfolded() override;

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
