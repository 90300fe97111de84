#pragma once
// Collects relations over the same n main variables (XelMathRelation), each with its own
// exterior variables, and boolean constraints that select among the solutions; when there
// are as many relations as main variables, Solve finds every isolated solution of the whole
// set in a box of the n + e unknowns (n main variables first, then the exterior variables
// of each relation in the order of the relations) with the N-variable solver.
//
// Neither the relations nor the constraints are owned: they must outlive the solver.
//
// Statuses of Solve: 10 when the set is not square (no search), 4 when no domain can be
// built (a null relation, reported through XelQuornull), else the status of the N-variable
// solver (0 done, 4 empty domain, 10 stopped early).
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XelMathBooleanConstraint;
class XelMathBooleanConstraintData;
class XelMathIntervalND;
class XelMathRelation;
class XelMathSetOfPointsND;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathRelationSolver : public XelQuorVirtual {
public:
  /// A solver of relations over iDimension main variables (>= 1, else 0x20006 ("the
  /// dimension of the XelMathRelationSolver", "Dimension not valid", the constructor)).
  explicit XelMathRelationSolver(const long iDimension);
  ~XelMathRelationSolver() override;
  XelMathRelationSolver(const XelMathRelationSolver&) = delete;
  XelMathRelationSolver& operator=(const XelMathRelationSolver&) = delete;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Appends iRelation when it has n main variables; oRange (2 longs, may be null) receives
  /// its index and the number of exterior variables registered before it, or (-1, -1) when
  /// it is refused (another number of main variables; a null relation is also reported
  /// through XelQuornull). 1 appended, 0 refused.
  int AddRelation(const XelMathRelation* iRelation, long* oRange = nullptr);
  /// Registers iConstraint: each relation it concerns must already be registered and the
  /// exterior variable it reads must exist. oRange (2 longs, may be null) receives the
  /// constraint's index and its number of relations, or (-1, -1) when refused. 1 or 0.
  int AddBooleanConstraint(const XelMathBooleanConstraint* iConstraint, long* oRange = nullptr);

  long GetDimension() const { return _dimension; }
  long GetRelationCount() const { return _relationCount; }
  long GetBooleanConstraintCount() const { return _constraintCount; }
  /// Relation i (0x20007 "Wrong Index" outside 0..count-1).
  const XelMathRelation* GetRelation(const long i) const;
  /// Boolean constraint i (0x20007 "Wrong Index" outside 0..count-1).
  const XelMathBooleanConstraint* GetBooleanConstraint(const long i) const;
  /// Where constraint i reads its values (0x20007 "Wrong Index" outside 0..count-1).
  const XelMathBooleanConstraintData* GetBooleanConstraintData(const long i) const;
  /// The total number of exterior variables.
  long GetExteriorDimension() const { return _exteriorCount; }
  /// True when there are as many relations as main variables.
  bool IsSquare() const { return _relationCount == _dimension; }
  /// The domain used by Solve when it is given none (a copy is kept; null forgets it).
  /// Its dimension must be n + e when Solve runs.
  void SetDomain(const XelMathIntervalND* iDomain);
  /// oDomain takes dimension n + e and receives the domain set by SetDomain, or else the
  /// default one: [-H, H] for each main variable, H = XelHardTol(100000.0), and each
  /// relation's GetExteriorDomain for its exterior variables. 1, or 0 when a null relation
  /// (reported through XelQuornull) stopped the filling.
  int GetDomain(XelMathIntervalND& oDomain) const;

  /// Every solution in iDomain (or, when null, in GetDomain) into oPoints (dimension
  /// n + e), sampled with 3 nodes per unknown and without singular treatment; the solutions
  /// refused by a boolean constraint are removed. Statuses in the file comment.
  int Solve(const XelMathIntervalND* iDomain, XelMathSetOfPointsND& oPoints,
            const XelTolerance& iTol);

private:
  void Grow();
  long ExteriorBefore(const long k) const;

  long _dimension;
  long _exteriorCount;
  long _relationCount;
  long _relationCapacity;
  const XelMathRelation** _relations;
  XelMathIntervalND* _domain;
  long _constraintCount;
  long _constraintCapacity;
  const XelMathBooleanConstraint** _constraints;
  XelMathBooleanConstraintData** _constraintData;
};
