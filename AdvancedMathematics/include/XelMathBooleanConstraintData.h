#pragma once
// Where a boolean constraint reads its values in the unknowns of a relation system: the
// number of relations it concerns and, for each, the place of its exterior variable among
// the n + e unknowns (n main variables first, then the exterior variables relation by
// relation). Built by XelMathRelationSolver::AddBooleanConstraint.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathBooleanConstraintData : public XelQuorVirtual {
public:
  /// iRelationNb places copied from iPlaces (a negative count raises 0x20006 ("the
  /// XelMathBooleanConstraintData", "Dimension not valid", the constructor)).
  XelMathBooleanConstraintData(const long iRelationNb, const long* iPlaces);
  ~XelMathBooleanConstraintData() override;
  XelMathBooleanConstraintData(const XelMathBooleanConstraintData&) = delete;
  XelMathBooleanConstraintData& operator=(const XelMathBooleanConstraintData&) = delete;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long GetRelationNb() const { return _relationNb; }
  /// The place of exterior variable i (0x20007 "Wrong Index" outside 0..m-1).
  long GetExtVarPlace(const long i) const;

private:
  long _relationNb;
  long* _places;
};
