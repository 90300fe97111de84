#pragma once
// A condition on the exterior variables of some relations of a XelMathRelationSolver that
// selects among the solutions of the relation set: a solution is kept only when every
// boolean constraint of the set accepts the values it gives to the concerned variables.
//
// A derived class names the relations it concerns (each must have been added to the solver
// before the constraint) and, for each, the index of the exterior variable it reads.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathRelation;

class XELADVANCEDMATHEMATICS_EXPORT XelMathBooleanConstraint : public XelQuorVirtual {
public:
  XelMathBooleanConstraint() = default;
  ~XelMathBooleanConstraint() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// The number m of relations concerned.
  virtual long GetRelationNb() const = 0;
  /// Relation i (0 <= i < m).
  virtual const XelMathRelation* GetRelation(const long i) const = 0;
  /// Which exterior variable of relation i is read (0 by default).
  virtual long GetExteriorIndex(const long i) const;
  /// Whether a solution whose concerned exterior variables take the m values iValues (in
  /// the order of the relations) is kept.
  virtual bool IsSatisfied(const double* iValues) const = 0;
};
