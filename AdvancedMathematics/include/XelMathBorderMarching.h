#pragma once
// Marching along a face of the domain: the curve, on the face x_k = c (c the lower or upper
// bound of variable k of the domain given to Solve or Run), of the equations of another
// implicit system of the same N unknowns but one (iDroppedEquation, whose place is taken by
// x_k - c). It traces, for instance, the trace on a boundary face of a surface given by N-2
// equations.
//
// FindStartPoints looks for start points on the face with the N-variable minimiser: from a
// grid of seeds on the face, the sum of the squares of the equations is minimised, and the
// minima where the equations vanish are kept (duplicates merged).
//
// The other system is not owned and must outlive this one.
#include "XelMathImplicitSystem.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathBorderMarching : public XelMathImplicitSystem {
public:
  /// iFace: 2k for the lower bound of variable k, 2k + 1 for its upper bound (0 <= k < N);
  /// iDroppedEquation in 0..N-2. Other values raise 0x20007 "Wrong Index".
  XelMathBorderMarching(XelSoftwareConfiguration* iConfig, const XelMathImplicitSystem* iSystem,
                        long iFace, long iDroppedEquation, const XelTolerance& iTol,
                        const XelMathAttrList* iAttributes = nullptr);
  ~XelMathBorderMarching() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Takes the face value from iDomain, then marches (see XelMathImplicitSystem::Solve).
  int Solve(const XelMathIntervalND& iDomain, const double* iX0, const double* iT0,
            XelMathSetOfPointsND& oResult, const XelMathAttrList* iAttributes = nullptr) override;
  int Run(const XelMathIntervalND& iDomain, const double* iX0, const double* iT0,
          XelMathSetOfPointsND& oResult) override;
  using XelMathImplicitSystem::Eval;
  void Eval(const double* X, double* oF) const override;
  void EvalJacobian(const double* X, XelMathNxNFullMatrix* oJ) const override;
  void Eval(const double* X, double* oF, XelMathNxNFullMatrix* oJ) const override;

  /// Start points on the face of iDomain (appended to oStarts, dimension N): iSeeds seeds per
  /// free variable (2 to 20), at most 4096 seeds in all. Returns the number of points added.
  long FindStartPoints(const XelMathIntervalND& iDomain, XelMathSetOfPointsND& oStarts,
                       const long iSeeds = 5);
  long GetFaceVariable() const { return _variable; }
  double GetFaceValue() const { return _value; }

private:
  void TakeFace(const XelMathIntervalND& iDomain);

  const XelMathImplicitSystem* _system;
  long _face;
  long _variable;
  long _dropped;
  double _value;
  double* _values;               // N values of the other system
  XelMathNxNFullMatrix* _inner;  // its Jacobian
};
