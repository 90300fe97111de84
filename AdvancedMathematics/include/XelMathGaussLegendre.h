#pragma once
// Gauss-Legendre rules on [-1, 1] and the adaptive integration driver of one-variable
// functions built on them.
//
// The tables hold, for each supported order n in {2, 4, 6, 8, 10, 12, 16, 20}, the n/2
// positive nodes of the n-point rule and their weights in increasing order of the node, to
// full double precision. The orders lie end to end in one array of 39 nodes and one of 39
// weights; order n starts at entry 0, 1, 3, 6, 10, 15, 21, 29 for n = 2, 4, ..., 20.
//
// The members XelMathFunctionX::GaussLegendre (both forms) and IntegrateAbsOrRel are
// implemented with these tables; MyOwnIntegrateAbsOrRel below is the same adaptive driver
// with an explicit tolerance object and explicit rule orders. The 21-point Kronrod rule
// serves the global adaptive continuation of that driver, which allocates one work array
// through the memory services (freed before returning, also when an evaluation raises).
// Nothing here raises, except the scale-option dimension check (0x20006) on a
// XelMathBasisFunctionX.
#include "XelAdvancedMathematicsExport.h"

class XelMathFunctionX;
class XelMathInterval;
class XelTolerance;

class XELADVANCEDMATHEMATICS_EXPORT XelMathGaussLegendre {
public:
  /// Total length of the node and weight tables.
  static constexpr long TableSize = 39;
  /// Positive nodes of all supported rules, end to end.
  static const double GaussLegendreNodes[TableSize];
  /// The matching weights.
  static const double GaussLegendreWeights[TableSize];

  /// The rule used for iOrder: its first node and weight in oNodes / oWeights and the number
  /// of node pairs summed, which is iOrder / 2 (integer division). An order outside the
  /// supported list uses the 20-point table; the pair count is then capped at the 10 pairs
  /// that table holds. An order below 2 gives 0 pairs.
  static long GetRule(long iOrder, const double*& oNodes, const double*& oWeights);

  /// The rule of order iOrder applied to iF over [iA, iB] (negated when iB < iA).
  static double Apply(const XelMathFunctionX& iF, double iA, double iB, long iOrder);

  /// Number of positive nodes of the 21-point Kronrod rule.
  static constexpr long KronrodPairs = 10;
  /// Nodes of the 21-point Kronrod extension of the 10-point rule, from 0 upwards; the
  /// entries 1, 3, ..., 9 are the 10-point Gauss nodes.
  static const double KronrodNodes[KronrodPairs + 1];
  /// The matching Kronrod weights.
  static const double KronrodWeights[KronrodPairs + 1];

  /// The 21-point Kronrod rule applied to iF over [iA, iB] (iA < iB), 21 evaluations. oError
  /// is the error estimate drawn from the embedded 10-point rule (scaled by the spread of the
  /// values, never below oFloor when the values are not all tiny); oFloor is 50 epsilon times
  /// the integral of |f|, the rounding level below which the estimate means nothing.
  static double ApplyKronrod(const XelMathFunctionX& iF, double iA, double iB, double& oError,
                             double& oFloor);
};

/// Integral of iF over iI, adaptive: the rules of orders iLowOrder and iHighOrder are
/// compared first (8 and 12 when not positive); when they differ by more than the tolerance
/// the 20-point rule is applied on 1, 2, 4, ... equal sub-intervals until two successive
/// sums agree, and that sum is returned. When the count would exceed iMaxIntervals (64 when
/// not positive) without agreement, a global adaptive scheme continues from the last
/// partition: each piece gets the 21-point Kronrod value and error estimate, the piece of
/// largest error is bisected until the summed estimate is within the tolerance (in relative
/// mode, relative to the current estimate), pieces are too narrow to split or the whole call
/// has spent 200000 evaluations. The sums recorded each time the narrowest piece is halved
/// are extrapolated by the epsilon algorithm (endpoint singularities); the extrapolated
/// limit is returned when its estimate is the better one, the sum of the pieces otherwise
/// (the last doubling sum when neither is finite, and at once for a NaN tolerance). The achievable
/// accuracy is bounded below by about 50 epsilon times the integral of |f|. The tolerance is 0.5
/// iEps, or 0.5 iEps (XelHardTol(1) + |high-order value|) when iRelative is not 0. For a
/// XelMathBasisFunctionX carrying a scale option of powers F (values) and X (variable), iEps is
/// read in unscaled units: the tolerance (and the relative floor) is multiplied by S^(F + X), S
/// being iTol's scale factor, unless the option is marked reviewed. A scale option without exactly
/// one F and one X power raises 0x20006. The member IntegrateAbsOrRel is this scheme with orders 8,
/// 12, at most 64 pieces and the function's own tolerance object. A null iF gives 0.
XELADVANCEDMATHEMATICS_EXPORT double
MyOwnIntegrateAbsOrRel(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                       unsigned char iRelative, const XelTolerance& iTol, long iLowOrder,
                       long iHighOrder, long iMaxIntervals);
