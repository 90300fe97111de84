#pragma once
// Plane transformation inverted by Newton's method: a map (x, y) -> (u(x, y), v(x, y)) of
// the plane with its first and second partial derivatives, supplied by a derived class, and
// the reverse evaluations built on them.
//
// An object built with a tolerance owns a Newton inversion system (XelMathSolveNewtonXY on
// the object itself, no attribute list) and a domain, [-XelMathInfinite, XelMathInfinite] in
// both directions by default, inside which pre-images are searched. ReverseEvalPoint starts
// Newton's method at (u, v) itself, so it finds the pre-image of maps close to the identity
// near the point; an object built without a tolerance has no inversion system and its
// reverse evaluations answer 0. Objects are created with new by their owners (pooled,
// counted) and cannot be copied.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval2D.h"
#include "XelQuorVirtual.h"

class XelMathSolveNewtonXY;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelQuorTransfo2D : public XelQuorVirtual {
public:
  /// No inversion system.
  XelQuorTransfo2D();
  /// An inversion system solving within iTol (kept by reference).
  explicit XelQuorTransfo2D(const XelTolerance& iTol);
  XelQuorTransfo2D(const XelQuorTransfo2D&) = delete;
  XelQuorTransfo2D& operator=(const XelQuorTransfo2D&) = delete;
  ~XelQuorTransfo2D() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- the forward map, supplied by the derived class ----
  /// The class name.
  virtual const char* IsA() const = 0;
  /// The image (oU, oV) of the point (x, y).
  virtual void Eval(const double& x, const double& y, double& oU, double& oV) const = 0;
  /// The four first partial derivatives du/dx, du/dy, dv/dx, dv/dy at (x, y).
  virtual void EvalFirstDeriv(const double& x, const double& y, double& oUx, double& oUy,
                              double& oVx, double& oVy) const = 0;
  /// The six second partial derivatives of u (xx, xy, yy) then of v at (x, y).
  virtual void EvalSecondDeriv(const double& x, const double& y, double& oUxx, double& oUxy,
                               double& oUyy, double& oVxx, double& oVxy, double& oVyy) const = 0;
  /// True for "XelQuorTransfo2D" and the name given by IsA.
  virtual unsigned char IsAKindOf(const char* iName) const;

  // ---- reverse evaluations ----
  /// iOrder 1: ReverseEvalPoint(u, v, oX, oY); iOrder 2: ReverseEvalFirstDeriv(u, v, du, dv,
  /// oDx, oDy); other orders do nothing. Answers 0.
  virtual int ReverseEval(const double iU, const double iV, const int iOrder, const double iDu,
                          const double iDv, double& oX, double& oY, double& oDx, double& oDy) const;
  /// The pre-image (oX, oY) of (u, v) by Newton's method from (u, v) inside the domain: 1
  /// converged, 0 not (or no inversion system).
  virtual int ReverseEvalPoint(const double iU, const double iV, double& oX, double& oY) const;
  /// The derivative (oDx, oDy) of the pre-image along (du, dv) at (u, v), by centred
  /// differences of ReverseEvalPoint with the step 1e-5. 1 when the four pre-images converged.
  virtual int ReverseEvalFirstDeriv(const double iU, const double iV, const double iDu,
                                    const double iDv, double& oDx, double& oDy) const;

  // ---- non-virtual ----
  const XelMathInterval2D& GetDomain() const { return _domain; }
  void SetDomain(const XelMathInterval2D& iDomain) { _domain = iDomain; }
  /// The inversion system (null without a tolerance).
  XelMathSolveNewtonXY* GetInversionSystem() const { return _inversion; }

private:
  XelMathSolveNewtonXY* _inversion;
  XelMathInterval2D _domain;
};
