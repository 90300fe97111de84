#pragma once
// Inversion of a plane transformation: the system F = u(x, y) - u*, G = v(x, y) - v*, whose
// solutions are the points that the transformation maps to the wanted point (u*, v*) (set by
// XYWanted, (0, 0) by default). The transformation is not owned and must outlive the
// system; a null one is reported through XelQuornull and evaluates to NaN.
#include "XelMathSystemXY.h"

class XelQuorTransfo2D;

class XELADVANCEDMATHEMATICS_EXPORT XelMathSolveNewtonXY : public XelMathSystemXY {
public:
  XelMathSolveNewtonXY(const XelQuorTransfo2D* iTransformation, const XelTolerance& iTol,
                       const XelMathAttrList* iAttributes = nullptr);
  ~XelMathSolveNewtonXY() override;

  long GetStaticMemoryBytes() const override;

  unsigned char IsAKindOf(const char* iName) const override;
  /// Values, first and second derivatives at a point are exact.
  unsigned char IsOption(const long iOption) const override;
  const char* IsA() const override;

  /// The target (u*, v*).
  void XYWanted(const double iU, const double iV) {
    _uWanted = iU;
    _vWanted = iV;
  }

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

private:
  /// u (iWhich 0) or v (1) and its derivatives at (x, y): iOrder 0 value, 1 first (dx, dy),
  /// 2 second (xx, xy, yy); oD receives them.
  void Read(const int iWhich, const int iOrder, const double x, const double y, double* oD) const;

  const XelQuorTransfo2D* _transformation;
  double _uWanted;
  double _vWanted;
};
