#pragma once
// A population of the differential-evolution optimizer: its members, their extremal
// fitnesses and the box of parameter limits they are drawn in.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathGAIndividual.h"
#include "XelQuorVirtual.h"

/// A population of individuals inside the box of limits [lower, upper] (not owned).
class XELADVANCEDMATHEMATICS_EXPORT XelMathGAPopulation : public XelQuorVirtual {
public:
  /// A population of iSize zeroed members of iNumParams parameters (1 to 10, else 0x20006
  /// "Dimension not valid"); iSize from 0 to what the memory services hold (else 0x20004
  /// "Invalid Number Of Points"). The limits are kept as pointers.
  XelMathGAPopulation(long iSize, long iNumParams, const double* iLower, const double* iUpper);
  /// Deep copy of *iOther (a null pointer raises 0x20009).
  explicit XelMathGAPopulation(const XelMathGAPopulation* iOther);
  /// Deep copy.
  XelMathGAPopulation(const XelMathGAPopulation& iOther);
  /// Deep copy of the members, statistics and limits.
  XelMathGAPopulation& operator=(const XelMathGAPopulation& iOther);
  ~XelMathGAPopulation() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  long GetSize() const { return _size; }
  long GetNumParams() const { return _numParams; }
  /// The members (null for an empty population).
  XelMathGAIndividual* GetMembers() { return _members; }
  const XelMathGAIndividual* GetMembers() const { return _members; }
  /// Member i, 0 <= i < size (0x20007 "Wrong Index" otherwise).
  const XelMathGAIndividual& GetMember(long i) const;
  long GetIndexOfMax() const { return _indexOfMax; }
  long GetIndexOfMin() const { return _indexOfMin; }
  double GetMaxFitness() const { return _maxFitness; }
  double GetMinFitness() const { return _minFitness; }
  const double* GetLowerLimits() const { return _lower; }
  const double* GetUpperLimits() const { return _upper; }

  /// Draws every parameter j of every member as lower(j) + r (upper(j) - lower(j)), r from
  /// drand48, members in order, parameters in order (fitness set to 0). Null limits raise
  /// 0x2000b.
  void Draw();
  /// Recomputes the members of largest and smallest fitness (ties keep the first).
  void ComputeStatistics();
  /// Accounts for member i after it was written: member 0 restarts the statistics, a later
  /// member replaces an extremum that it passes strictly.
  void UpdateStatistics(long i);

private:
  void Allocate(long iSize);
  void Release();

  long _indexOfMax;
  long _indexOfMin;
  double _maxFitness;
  double _minFitness;
  long _size;
  long _numParams;
  const double* _lower;
  const double* _upper;
  XelMathGAIndividual* _members;
};
