#pragma once
// A relation between n main variables x shared by every relation of a set and e private
// exterior variables z of its own: e + 1 equations f(x, z) = 0. A set of n relations over the
// same n main variables is a square system of n + (sum of e) equations in as many unknowns,
// solved by XelMathRelationSolver.
//
// A derived class gives the number of main variables and the residuals; the Jacobian
// defaults to centred differences of the residuals with the step XelMathh1.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathInterval.h"
#include "XelQuorVirtual.h"

class XelMathMxNFullMatrix;

class XELADVANCEDMATHEMATICS_EXPORT XelMathRelation : public XelQuorVirtual {
public:
  XelMathRelation() = default;
  ~XelMathRelation() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  // ---- virtual operations (slot order) ----
  /// "XelMathRelation".
  virtual const char* IsA() const;
  /// 1 for "XelMathRelation" (and the names of the derived classes that say so), else 0.
  virtual unsigned char IsAKindOf(const char* iName) const;
  /// The number n of main variables.
  virtual long GetDimension() const = 0;
  /// The number e of exterior variables (0 by default).
  virtual long GetExteriorDimension() const;
  /// Where exterior variable i is searched when the caller gives no domain ([0, 0] by
  /// default).
  virtual XelMathInterval GetExteriorDomain(const long i) const;
  /// Whether the residuals are affine in all the variables (false by default).
  virtual bool IsLinear() const;
  /// The e + 1 residuals oF at the main variables x (n values) and the exterior variables z
  /// (e values; may be null when e = 0).
  virtual void Eval(const double* x, const double* z, double* oF) const = 0;
  /// The (e + 1) x (n + e) Jacobian: column j < n is d f / d x_j, column n + i is
  /// d f / d z_i. By default centred differences (f(v + h) - f(v - h)) / (2 h), h = XelMathh1,
  /// column by column. A matrix of another size raises 0x20006 ("the XelMathMxNFullMatrix",
  /// "wrong dimension", "XelMathRelation::EvalJacobian").
  virtual void EvalJacobian(const double* x, const double* z, XelMathMxNFullMatrix& oJ) const;
  /// Residuals and Jacobian: Eval, then EvalJacobian.
  virtual void Eval(const double* x, const double* z, double* oF, XelMathMxNFullMatrix& oJ) const;

protected:
  /// Compares class names (for IsAKindOf of derived classes).
  static bool SameName(const char* iA, const char* iB);
};
