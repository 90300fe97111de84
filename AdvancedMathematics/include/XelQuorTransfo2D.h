#pragma once
// Plane transformation interface: a map (x, y) -> (u(x, y), v(x, y)) of the plane with its
// first and second partial derivatives. A derived class supplies the map; the analyses that
// invert it (XelMathSolveNewtonXY) read nothing else. Objects are created with new by their
// owners (pooled, counted).
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XELADVANCEDMATHEMATICS_EXPORT XelQuorTransfo2D : public XelQuorVirtual {
public:
  XelQuorTransfo2D() = default;
  ~XelQuorTransfo2D() override;

  /// The class name.
  virtual const char* IsA() const = 0;
  /// True for "XelQuorTransfo2D" and the name given by IsA.
  virtual unsigned char IsAKindOf(const char* iName) const;
  /// The image (oU, oV) of the point (x, y).
  virtual void Eval(const double& x, const double& y, double& oU, double& oV) const = 0;
  /// The four first partial derivatives du/dx, du/dy, dv/dx, dv/dy at (x, y).
  virtual void EvalFirstDeriv(const double& x, const double& y, double& oUx, double& oUy,
                              double& oVx, double& oVy) const = 0;
  /// The six second partial derivatives of u (xx, xy, yy) then of v at (x, y).
  virtual void EvalSecondDeriv(const double& x, const double& y, double& oUxx, double& oUxy,
                               double& oUyy, double& oVxx, double& oVxy, double& oVyy) const = 0;
};
