#pragma once
// Shared constants of the implicit-system marcher (internal, never installed).

namespace XelMathMarching {
/// Work vectors of N doubles held by the system, by role.
enum WorkVector {
  CurrentX,
  CurrentT,
  PreviousX,
  PreviousT,
  PredictedX,
  NewX,
  NewT,
  ShiftedX,
  RawT,
  Values,
  Step,
  Scratch1,
  Scratch2,
  Scratch3,
  Scratch4,
  Scratch5,
  WorkVectors
};
/// Ratio of the default maximum steps to the domain widths.
constexpr double StepRatio = 0.100001;
/// Minimum step as a fraction of the smallest domain width.
constexpr double MinStepRatio = 1e-6;
/// Default sag as a fraction of the mean domain width.
constexpr double SagRatio = 0.001;
/// Cosine of 22.5 degrees: tangents closer than that close a curve.
constexpr double ClosureCosine = 0.92388;
/// Reduction of the step ratio after a refused point.
constexpr double StepReduction = 2.0 / 3.0;
/// Growth limit of the step from one point to the next.
constexpr double StepGrowth = 1.5;
/// Most singular points crossed on one branch.
constexpr long MaxSingularities = 10;
/// Most runs of one Solve.
constexpr long MaxRuns = 4;
/// Iteration from which the correction stops when the residual grows.
constexpr long MonotoneFrom = 10;
/// Cosine of the largest turn of the tangent accepted over one step (about 37 degrees).
constexpr double TurnCosine = 0.8;
/// A chord may deviate from the curve by this factor times the sag before it is refused.
constexpr double SagSlack = 1.0;
/// A group of variables may move by this factor times its maximum step.
constexpr double GroupSlack = 1.05;
/// Budget of the steps of one run (a march that goes on beyond it ends incomplete).
constexpr long MaxStepsPerRun = 200000;
/// Budget of the refusals in a row (each one shrinks the step by 2/3).
constexpr long MaxRefusals = 80;
/// Stop information recorded with the diagnostics.
constexpr long StopSingularOrClosure = 4;
constexpr long StopFailure = 8;
} // namespace XelMathMarching
