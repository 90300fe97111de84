#pragma once
// Cylindric deformation of space: a cylinder of axis z and its flat development. The core
// is written with three coordinate functions of the point p = (x, y, z) after the right
// transformation, F(x, y), G(x, y, a) and H = z, supplied by the folded (space to the
// development) and unfolded (development to space) subclasses; a is the rip angle at which
// the angle window is cut (XelPI by default) and k the scale of the angle.
//
// This class assembles the whole map from them: values, the exact Jacobian by the chain rule
// through the linear parts of the affine transformations, and interval images of a box.
// Derivative arrays of EvalF and EvalG hold the value, then (iOrder >= 1) the x and y
// derivatives, then (iOrder >= 2) the xx, xy and yy derivatives.
#include "XelMathNonLinearTransformation.h"

class XelMathVector;

class XELADVANCEDMATHEMATICS_EXPORT XelMathCylindricDeformation
    : public XelMathNonLinearTransformation {
public:
  /// Rip angle XelPI.
  XelMathCylindricDeformation(const double iK, const XelTolerance& iTol);
  XelMathCylindricDeformation(const double iK, const double iRip, const XelTolerance& iTol);
  ~XelMathCylindricDeformation() override;

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
  /// 2: (k, a).
  long GetNumberOfCoef() const override;
  void GetCoef(double* oCoefs) const override;
  void SetCoef(const double* iCoefs) override;
  /// 1, with the flag 1 when a is XelPI or iVersion is not older than 1010.
  unsigned char IsStreamable(const XelQuorStreamVersion iVersion,
                             unsigned char& oFlag) const override;
  /// Type, n and (k, a) or k alone, then the affine parts.
  void Stream(XelMathStream& ioStream, const char* iLabel,
              const unsigned char iFlag) const override;

  // ---- the core (slot order) ----
  virtual double EvalF(const double& x, const double& y) const;
  virtual XelMathInterval EvalF(const XelMathInterval& iX, const XelMathInterval& iY) const = 0;
  virtual double EvalFirstDerivFX(const double& x, const double& y) const;
  virtual double EvalFirstDerivFY(const double& x, const double& y) const;
  virtual double EvalSecondDerivFX2(const double& x, const double& y) const;
  virtual double EvalSecondDerivFXY(const double& x, const double& y) const;
  virtual double EvalSecondDerivFY2(const double& x, const double& y) const;
  virtual double EvalG(const double& x, const double& y, const double& iRip) const;
  virtual XelMathInterval EvalG(const XelMathInterval& iX, const XelMathInterval& iY,
                                const double& iRip) const = 0;
  virtual double EvalFirstDerivGX(const double& x, const double& y) const;
  virtual double EvalFirstDerivGY(const double& x, const double& y) const;
  virtual double EvalSecondDerivGX2(const double& x, const double& y) const;
  virtual double EvalSecondDerivGXY(const double& x, const double& y) const;
  virtual double EvalSecondDerivGY2(const double& x, const double& y) const;
  /// F and its derivatives up to iOrder (0 to 2) into oValues (1, 3 or 6 values).
  virtual void EvalF(const double& x, const double& y, const int iOrder, double* oValues,
                     const double iResolution) const = 0;
  virtual void EvalG(const double& x, const double& y, const double& iRip, const int iOrder,
                     double* oValues, const double iResolution) const = 0;
  virtual void EvalFGH(const XelMathVector& iP, double& oF, double& oG, double& oH) const;
  virtual void EvalUpToFirstDerivFGH(const XelMathVector& iP, double& oF, double& oG, double& oH,
                                     double& oFx, double& oFy, double& oFz, double& oGx,
                                     double& oGy, double& oGz, double& oHx, double& oHy,
                                     double& oHz) const;

  double GetK() const { return _k; }
  double GetRipAngle() const { return _rip; }

protected:
  /// The core at p (after R): q and, when oJq is given, its 3 x 3 Jacobian.
  void Core(const double* iP, double* oQ, double* oJq, const double iResolution) const;

  double _k;
  double _rip;
};
