#pragma once
// Conic deformation of space: a cone of half-angle alpha around the z axis and its flat
// development (a sector whose opening is 2 pi lambda sin(alpha)); a is the rip angle at which
// the angle window is cut. The core's coordinate functions F, G, H of p = (x, y, z) (after
// the right transformation) are supplied by the folded (space to development) and unfolded
// (development to space) subclasses through EvalCoreFGH; this class serves them one by one
// and assembles the whole map with the exact Jacobian and interval images.
//
// sin(alpha) and cos(alpha) are computed by the constructors and kept: SetCoef changes alpha
// alone (what GetCoef reads and the streams store), and the maps go on with the kept values.
// Derivative arrays hold the value, then (iOrder >= 1) the x, y and z derivatives, then
// (iOrder >= 2) the xx, xy, xz, yy, yz and zz derivatives.
#include "XelMathNonLinearTransformation.h"

class XelMathVector;

class XELADVANCEDMATHEMATICS_EXPORT XelMathConicDeformation
    : public XelMathNonLinearTransformation {
public:
  /// Rip angle XelPI, ratio 1.
  XelMathConicDeformation(const double iAlpha, const XelTolerance& iTol);
  /// Ratio 1.
  XelMathConicDeformation(const double iAlpha, const double iRip, const XelTolerance& iTol);
  XelMathConicDeformation(const double iAlpha, const double iRip, const double iLambda,
                          const XelTolerance& iTol);
  ~XelMathConicDeformation() override;

  long GetStaticMemoryBytes() const override;

  using XelMathNonLinearTransformation::Eval;
  using XelMathNonLinearTransformation::EvalJacobian;
  void Eval(const double* x, double* oY) const override;
  void EvalJacobian(const double* x, double* oJ) const override;
  void Eval(const double* x, double* oF, double* oJ) const override;
  void Eval(const double* x, double* oY, const double iResolution) const override;
  void EvalJacobian(const double* x, double* oJ, const double iResolution) const override;
  void Eval(const double* x, double* oY, XelMathNxNFullMatrix* oJ,
            const double iResolution) const override;
  void EvalInterval(XelMathInterval* ioBox, const long iCount,
                    const double iResolution) const override;
  /// 1: alpha.
  long GetNumberOfCoef() const override;
  void GetCoef(double* oCoefs) const override;
  /// alpha alone; the kept sine and cosine are not refreshed.
  void SetCoef(const double* iCoefs) override;
  /// 0 (flag 0) before 1006; otherwise 1, with the flag 1 when a is XelPI or iVersion is
  /// not older than 1010.
  unsigned char IsStreamable(const XelQuorStreamVersion iVersion,
                             unsigned char& oFlag) const override;
  /// Type, n and (alpha, a) or alpha alone, then the affine parts (lambda is not stored).
  void Stream(XelMathStream& ioStream, const char* iLabel,
              const unsigned char iFlag) const override;

  // ---- the core (slot order) ----
  virtual double EvalF(const XelMathVector& iP) const;
  virtual double EvalFirstDerivFX(const XelMathVector& iP) const;
  virtual double EvalFirstDerivFY(const XelMathVector& iP) const;
  virtual double EvalFirstDerivFZ(const XelMathVector& iP) const;
  virtual double EvalSecondDerivFX2(const XelMathVector& iP) const;
  virtual double EvalSecondDerivFXY(const XelMathVector& iP) const;
  virtual double EvalSecondDerivFXZ(const XelMathVector& iP) const;
  virtual double EvalSecondDerivFY2(const XelMathVector& iP) const;
  virtual double EvalSecondDerivFYZ(const XelMathVector& iP) const;
  virtual double EvalSecondDerivFZ2(const XelMathVector& iP) const;
  virtual double EvalG(const XelMathVector& iP, const double& iRip) const;
  virtual double EvalFirstDerivGX(const XelMathVector& iP) const;
  virtual double EvalFirstDerivGY(const XelMathVector& iP) const;
  virtual double EvalFirstDerivGZ(const XelMathVector& iP) const;
  virtual double EvalSecondDerivGX2(const XelMathVector& iP) const;
  virtual double EvalSecondDerivGXY(const XelMathVector& iP) const;
  virtual double EvalSecondDerivGXZ(const XelMathVector& iP) const;
  virtual double EvalSecondDerivGY2(const XelMathVector& iP) const;
  virtual double EvalSecondDerivGYZ(const XelMathVector& iP) const;
  virtual double EvalSecondDerivGZ2(const XelMathVector& iP) const;
  virtual double EvalH(const XelMathVector& iP) const;
  /// F, G or H with their derivatives up to iOrder (0 to 2) into oValues (1, 4 or 10).
  virtual void EvalF(const XelMathVector& iP, const int iOrder, double* oValues,
                     const double iResolution) const;
  virtual void EvalG(const XelMathVector& iP, const double& iRip, const int iOrder, double* oValues,
                     const double iResolution) const;
  virtual void EvalH(const XelMathVector& iP, const int iOrder, double* oValues,
                     const double iResolution) const;
  virtual void EvalFGH(const XelMathVector& iP, double& oF, double& oG, double& oH) const;
  virtual void EvalUpToFirstDerivFGH(const XelMathVector& iP, double& oF, double& oG, double& oH,
                                     double& oFx, double& oFy, double& oFz, double& oGx,
                                     double& oGy, double& oGz, double& oHx, double& oHy,
                                     double& oHz) const;
  /// The three coordinate functions at iP with the rip angle iRip, each with its derivatives
  /// up to iOrder into oF, oG, oH (layout of EvalF).
  virtual void EvalCoreFGH(const XelMathVector& iP, const double iRip, const int iOrder, double* oF,
                           double* oG, double* oH, const double iResolution) const = 0;
  /// Enclosures of F, G, H over the box iP (three intervals) into oImage.
  virtual void EvalCoreFGH(const XelMathInterval* iP, const double iRip,
                           XelMathInterval* oImage) const = 0;

  double GetAlpha() const { return _alpha; }
  double GetRipAngle() const { return _rip; }
  double GetRatio() const { return _lambda; }

protected:
  /// The core at p (after R): q and, when oJq is given, its 3 x 3 Jacobian.
  void Core(const double* iP, double* oQ, double* oJq, const double iResolution) const;

  double _alpha;
  double _rip;
  double _lambda;
  double _sin;
  double _cos;
};
