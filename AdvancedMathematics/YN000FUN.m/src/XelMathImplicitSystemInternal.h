#pragma once
// Shared constants and the run state of the implicit-system marcher (internal, never
// installed).
class XelMathIntervalND;
class XelMathSetOfPointsNDWithVectors;

/// What the steps of one march share: the domain, the points stored so far and the step.
struct XelMathMarchState {
  XelMathMarchState(const XelMathIntervalND& iDomain, XelMathSetOfPointsNDWithVectors& ioPoints)
      : domain(iDomain), points(ioPoints) {}
  const XelMathIntervalND& domain;
  XelMathSetOfPointsNDWithVectors& points;
  double h = 0.1;           // step from the curvature
  double s = 0.0;           // length of the step under way (ratio x h, bounded by the turn)
  double sign = 1.0;        // orientation of the raw tangent (0: decided at the first point)
  double g = 0.0;           // constraint at the current point
  double gNew = 0.0;        // constraint at the new point
  bool havePrevious = false;
  bool cut = false;         // the march came back over itself at point cutIndex
  long cutIndex = -1;
  double closureTol = 0.0;
};

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
/// Longest chord of one step, as a ratio of the radius of curvature: a turn of the tangent of
/// at most 30 degrees (2 sin 15°), so that a closed curve has at least 12 points.
constexpr double MaxTurnChord = 0.5176380902050415;
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
/// Budget of the return tests of one run: each step looks at every point traced before it,
/// so 200000 steps would look at 2e10 points (minutes). A run ends incomplete once it has
/// looked at 4e8 points (after about 28000 steps), or computed 4e7 distances to points
/// near the chords (a curve whose steps overlap).
constexpr double MaxContainingWork = 4e8;
constexpr double MaxContainingDistances = 4e7;
/// Budget of the refusals in a row (each one shrinks the step by 2/3).
constexpr long MaxRefusals = 80;
/// Outcome of one step of the march (correction, controls, storage).
enum StepOutcome { StepAccepted, StepRetried, StepEnded };
/// Stop information recorded with the diagnostics.
constexpr long StopSingularOrClosure = 4;
constexpr long StopFailure = 8;
} // namespace XelMathMarching
