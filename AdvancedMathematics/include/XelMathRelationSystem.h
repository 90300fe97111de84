#pragma once
// A set of relations over the same n main variables presented as one square XelMathSystem
// of N = n + e unknowns, e the total number of exterior variables: the unknowns are the n
// main variables, then the exterior variables of relation 0, of relation 1, and so on; the
// equations are the e_0 + 1 residuals of relation 0, then those of relation 1, and so on.
// A square set has as many relations as main variables, so N equations.
//
// Solve is the N-variable search followed by the removal of the solutions that a boolean
// constraint refuses.
//
// Neither the relations nor the constraints are owned. Evaluations allocate nothing: the
// work arrays and the relations' Jacobian matrices are made by the constructor.
#include "XelMathSystem.h"

class XelMathBooleanConstraint;
class XelMathBooleanConstraintData;
class XelMathMxNFullMatrix;
class XelMathRelation;

class XELADVANCEDMATHEMATICS_EXPORT XelMathRelationSystem : public XelMathSystem {
public:
  /// iCount relations with iExteriorCount exterior variables in all, and iConstraintCount
  /// boolean constraints with the places of their variables (both arrays may be null when
  /// the count is 0). Raises 0x20006 ("the XelMathRelationSystem", "Dimension not valid",
  /// the constructor) when a relation is missing, when the relations do not share one number
  /// n of main variables, when iCount differs from n or when the exterior dimensions do not
  /// add up to iExteriorCount; 0x20007 ("Wrong Index") when a constraint reads a place
  /// outside the unknowns.
  XelMathRelationSystem(const XelMathRelation* const* iRelations, const long iCount,
                        const long iExteriorCount,
                        const XelMathBooleanConstraint* const* iConstraints,
                        const XelMathBooleanConstraintData* const* iConstraintVariables,
                        const long iConstraintCount, const XelTolerance& iTol);
  ~XelMathRelationSystem() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  using XelMathSystem::Eval;
  using XelMathSystem::EvalEquation;
  using XelMathSystem::EvalFirstDerivEquation;
  /// The N-variable search, then the solutions refused by a boolean constraint removed.
  int Solve(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oSolutions,
            const XelMathAttrList* iAttributes = nullptr) override;
  void Eval(const double* x, double* oF) const override;
  /// Each relation's Jacobian placed at the main columns and at its exterior columns; 0
  /// elsewhere.
  void EvalJacobian(const double* x, double* oJ) const override;
  void Eval(const double* x, double* oF, double* oJ) const override;
  /// Component c of relation k for the equation i = (k, c).
  double EvalEquation(const long i, const double* x) const override;
  /// The gradient of equation i = (k, c) from relation k's Jacobian alone.
  void EvalFirstDerivEquation(const long i, const double* x, double* oGradient) const override;

  // ---- index tables ----
  long GetMainDimension() const { return _mainDimension; }
  /// The place among the unknowns of exterior variable j of relation k:
  /// n + (exterior variables of the relations before k) + j.
  long GetExteriorPlace(const long k, const long j) const;
  /// The relation that owns equation i.
  long GetEquationRelation(const long i) const;
  /// The component of its relation that equation i is.
  long GetEquationComponent(const long i) const;
  /// Whether the point x (N unknowns) satisfies every boolean constraint.
  bool IsAccepted(const double* x) const;

private:
  /// Relation k's exterior variables gathered from x into _z.
  void Gather(const long k, const double* x) const;
  /// Frees the tables and work arrays (destructor, or a constructor that raises).
  void Release();

  const XelMathRelation* const* _relations;
  long _count;
  long _mainDimension;
  long _exteriorCount;
  const XelMathBooleanConstraint* const* _constraints;
  const XelMathBooleanConstraintData* const* _constraintVariables;
  long _constraintCount;
  long* _firstExterior;              // _count + 1 offsets into _exteriorPlaces
  long* _exteriorPlaces;             // _exteriorCount places
  long* _equationRelation;           // N
  long* _equationComponent;          // N
  XelMathMxNFullMatrix** _jacobians; // one per relation
  mutable double* _z;                // largest exterior dimension
  mutable double* _f;                // largest exterior dimension + 1
  long _maxExterior;
};
