#pragma once
// The samples of a sampled search (roots, minima) fine enough to show the function's shape
// (internal, never installed). A search on n equal steps misses whatever turns between two
// samples: sin 10x on 15 samples of [0.1, 10.1] shows 4 of its 32 roots. Each step is halved
// while the cubic through its ends' values and slopes misses the middle sample by more than a
// sixteenth of the sampled range, or of the step's own values where these are smaller, within a
// budget of samples.
#include "XelMathScratch.h"

class XelMathFunctionX;

class XelMathResolvedSampling {
public:
  /// Samples g = f (slope f') when iDerivative is 0, g = f' (slope f'') when it is 1.
  XelMathResolvedSampling(const XelMathFunctionX* iFunction, int iDerivative);
  ~XelMathResolvedSampling();
  XelMathResolvedSampling(const XelMathResolvedSampling&) = delete;
  XelMathResolvedSampling& operator=(const XelMathResolvedSampling&) = delete;

  /// Samples [a, b] from iCount equal steps (iCount >= 2), at most MaxSamples in all;
  /// differences of g below iFloor are never a reason to halve a step. False when the budget
  /// ran out with steps left unresolved (the samples are then still in order, the unresolved
  /// steps as they were).
  bool Resolve(double a, double b, long iCount, double iFloor);
  long GetCount() const { return _count; }
  const double* GetX() const { return _x; }
  const double* GetG() const { return _g; }
  const double* GetSlope() const { return _slope; }

  /// Most samples of one search.
  static constexpr long MaxSamples = 4097;
  /// Most halvings of one of the first steps.
  static constexpr long MaxHalvings = 12;

private:
  void Sample(double x, double& oG, double& oSlope) const;
  void Push(double x, double g, double slope);
  // Appends the samples of (x0, x1], halving the step while it is not resolved.
  void Refine(double x0, double g0, double s0, double x1, double g1, double s1, long iDepth);

  const XelMathFunctionX* _function;
  int _derivative;
  double _tolerance; // a sixteenth of the sampled range (at least the floor)
  double _floor;
  long _budget;
  bool _complete;
  long _count;
  double* _x;
  double* _g;
  double* _slope;
};
