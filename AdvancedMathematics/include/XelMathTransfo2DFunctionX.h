#pragma once
// A planar curve followed through a map of the plane: h(t) is one coordinate of the image of
// the point (u, v) = (f1(t), f2(t)), either by an affine transformation of the plane (copied
// and owned) or by a system of two equations (its F when the coordinate flag is 0, its G
// otherwise; not owned, must outlive the function). The first to third derivatives follow
// by the chain rule; with a system the third partial derivatives are centred differences of
// its second ones.
//
// f1 and f2 are not owned and must outlive the function; with a null one (or a null system)
// every evaluation returns XelMathInfinite. GetScaling keeps the linear part of
// the transformation (its translation set to zero), built on first use; Scale applies it to a
// vector and returns the chosen coordinate.
#include "XelMathFunctionX.h"

class XelMathSystemXY;
class XelMathTransformation2D;

class XELADVANCEDMATHEMATICS_EXPORT XelMathTransfo2DFunctionX : public XelMathFunctionX {
public:
  XelMathTransfo2DFunctionX(const XelMathFunctionX* iF1, const XelMathFunctionX* iF2,
                            const XelMathTransformation2D& iTransformation, const int iCoordinate);
  XelMathTransfo2DFunctionX(const XelMathFunctionX* iF1, const XelMathFunctionX* iF2,
                            const XelMathSystemXY* iSystem, const int iCoordinate);
  XelMathTransfo2DFunctionX(const XelMathTransfo2DFunctionX&) = delete;
  XelMathTransfo2DFunctionX& operator=(const XelMathTransfo2DFunctionX&) = delete;
  ~XelMathTransfo2DFunctionX() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  const char* IsA() const override;
  unsigned char IsAKindOf(const char* iName) const override;
  int GetDirectComponents(const int iSize,
                          const XelMathFunctionGeneral** oComponents) const override;

  using XelMathFunctionX::Eval;
  using XelMathFunctionX::EvalFirstDeriv;
  using XelMathFunctionX::EvalSecondDeriv;
  using XelMathFunctionX::EvalThirdDeriv;
  double Eval(const double& t) const override;
  double EvalFirstDeriv(const double& t) const override;
  double EvalSecondDeriv(const double& t) const override;
  double EvalThirdDeriv(const double& t) const override;

  XelMathFunctionX* Duplicate() const override;

  /// The linear part of the transformation (null with a system).
  const XelMathTransformation2D* GetScaling();
  /// The chosen coordinate of the linear part applied to (a, b) (0 with a system).
  double Scale(const double iA, const double iB);

private:
  /// h and its derivatives up to iOrder (0 to 3) at t into oD.
  void Derivatives(const double t, const int iOrder, double* oD) const;

  const XelMathFunctionX* _f[2];
  XelMathTransformation2D* _transformation;
  const XelMathSystemXY* _system;
  int _coordinate;
  XelMathTransformation2D* _scaling;
};
