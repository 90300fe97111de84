#pragma once
// A non-linear map of the plane (x, y) -> L(D(R(x, y))), written as a system of two
// equations in two unknowns (F and G are the two coordinates of the image): R (the right
// transformation) is applied first, then the core D supplied by a derived class (EvalCore),
// then L (the left transformation). Both are optional and owned (copies are kept).
//
// The first and second derivatives of F and G are exact, by the chain rule through the
// linear parts of L and R. InvertPoint finds the pre-image of a point by Newton's method
// (the plane-transformation inversion of XelMathSolveNewtonXY), Invert every pre-image in a
// rectangle. The planar deformations are not written to streams: GetStreamTransfo2DType and
// Stream raise 0x20009 at this level.
#include "XelMathSystemXY.h"

class XelMathInterval2D;
class XelMathSetOfPointsND;
class XelMathStream;
class XelMathTransformation2D;

class XELADVANCEDMATHEMATICS_EXPORT XelMathNonLinearTransformation2D : public XelMathSystemXY {
public:
  explicit XelMathNonLinearTransformation2D(const XelTolerance& iTol);
  /// A copy of iLeft as the left transformation.
  XelMathNonLinearTransformation2D(const XelMathTransformation2D& iLeft, const XelTolerance& iTol);
  /// Copies of iLeft and iRight.
  XelMathNonLinearTransformation2D(const XelMathTransformation2D& iLeft,
                                   const XelMathTransformation2D& iRight, const XelTolerance& iTol);
  ~XelMathNonLinearTransformation2D() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Values, first and second derivatives at a point are exact.
  unsigned char IsOption(const long iOption) const override;

  using XelMathSystemXY::EvalF;
  using XelMathSystemXY::EvalG;
  double EvalF(const double& x, const double& y) const override;
  double EvalG(const double& x, const double& y) const override;
  double EvalFirstDerivFX(const double& x, const double& y) const override;
  double EvalFirstDerivFY(const double& x, const double& y) const override;
  double EvalFirstDerivGX(const double& x, const double& y) const override;
  double EvalFirstDerivGY(const double& x, const double& y) const override;
  double EvalSecondDerivFX2(const double& x, const double& y) const override;
  double EvalSecondDerivFXY(const double& x, const double& y) const override;
  double EvalSecondDerivFY2(const double& x, const double& y) const override;
  double EvalSecondDerivGX2(const double& x, const double& y) const override;
  double EvalSecondDerivGXY(const double& x, const double& y) const override;
  double EvalSecondDerivGY2(const double& x, const double& y) const override;

  // ---- virtual operations of the plane maps ----
  virtual long GetType() const = 0;
  /// The core at (x, y) (after R): u and v with their derivatives up to iOrder (0 to 2) into
  /// oU and oV (value, x, y, xx, xy, yy).
  virtual void EvalCore(const double& x, const double& y, const int iOrder, double* oU,
                        double* oV) const = 0;
  virtual XelMathNonLinearTransformation2D* Duplicate() const = 0;
  virtual long GetNumberOfCoef() const = 0;
  virtual void GetCoef(double* oCoefs) const = 0;
  virtual void SetCoef(const double* iCoefs) = 0;
  /// Raises 0x20009 ("GetStreamType", " ") at this level.
  virtual short GetStreamTransfo2DType() const;
  /// Raises 0x20009 ("Stream", " "): the planar deformations are not stored.
  virtual void Stream(XelMathStream& ioStream, const char* iLabel, const unsigned char iFlag) const;

  // ---- non-virtual ----
  /// The image (oU, oV) of (x, y) and, when iOrder >= 1, its derivatives (layout of EvalCore).
  void EvalMap(const double x, const double y, const int iOrder, double* oU, double* oV) const;
  /// L <- iT L, or a copy of iT without a left transformation.
  void ComposeLeft(const XelMathTransformation2D& iT);
  /// R <- R iT, or a copy of iT without a right transformation.
  void ComposeRight(const XelMathTransformation2D& iT);
  const XelMathTransformation2D* GetLeftTransformation() const { return _left; }
  const XelMathTransformation2D* GetRightTransformation() const { return _right; }
  /// Copies of both transformations into ioOther.
  void DuplicateData(XelMathNonLinearTransformation2D& ioOther) const;
  /// The pre-image (oX, oY) of (u, v) by Newton's method started at (u, v) inside iDomain: 1
  /// converged, 0 not.
  int InvertPoint(const double iU, const double iV, const XelMathInterval2D& iDomain, double& oX,
                  double& oY) const;
  /// Every pre-image of (u, v) in iDomain into oPreimages (dimension 2); the status of Solve.
  int Invert(const double iU, const double iV, const XelMathInterval2D& iDomain,
             XelMathSetOfPointsND& oPreimages) const;
  const XelTolerance& GetTolerance() const { return *_tolerance; }

protected:
  XelMathTransformation2D* _left;
  XelMathTransformation2D* _right;
  const XelTolerance* _tolerance;
};
