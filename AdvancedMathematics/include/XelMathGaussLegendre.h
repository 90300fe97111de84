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
// with an explicit tolerance object and explicit rule orders, and XelMathIntegrateX the same
// driver with a convergence status or, on request, a global adaptive Gauss-Kronrod scheme. Nothing
// here raises, except for a negative or NaN tolerance and the scale-option checks (0x20006) on a
// XelMathBasisFunctionX.
#include "XelAdvancedMathematicsExport.h"

class XelMathAttrList;
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

  /// The 21-point Kronrod rule applied to iF over [iA, iB] (iA < iB), 21 evaluations in one
  /// EvalPoints batch. oError is the error estimate drawn from the embedded 10-point rule
  /// (scaled by the spread of the values, never below oFloor when the values are not all
  /// tiny); oFloor is 50 epsilon times the integral of |f|, the rounding level below which the
  /// estimate means nothing. When a node outside the 10-point rule (the centre, say) gives a
  /// value that is not finite, the 10-point value is returned with an error as large as the
  /// integral of |f|.
  static double ApplyKronrod(const XelMathFunctionX& iF, double iA, double iB, double& oError,
                             double& oFloor);
};

/// Integral of iF over iI, adaptive: the rules of orders iLowOrder and iHighOrder are
/// compared first (8 and 12 when not positive); when they differ by more than the tolerance
/// the 20-point rule is applied on 1, 2, 4, ... equal sub-intervals until two successive
/// sums agree, and that sum is returned. When the count would exceed iMaxIntervals (64 when
/// not positive) without agreement, the last sum is returned (XelMathIntegrateX tells this case
/// apart). The tolerance is 0.5 iEps, or 0.5 iEps (XelHardTol(1) +
/// |high-order value|) when iRelative is not 0. For a XelMathBasisFunctionX carrying a scale
/// option of powers F (values) and X (variable), iEps is read in unscaled units: the tolerance
/// (and the relative floor) is multiplied by S^(F + X), S being iTol's scale factor, unless the
/// option is marked reviewed. A scale option without exactly one F and one X power, or whose
/// factor overflows, and a negative or NaN iEps raise XelMathInputError 0x20006. The member
/// IntegrateAbsOrRel is this scheme with orders 8, 12, at most 64 pieces and the function's own
/// tolerance object. A null iF gives 0.
XELADVANCEDMATHEMATICS_EXPORT double
MyOwnIntegrateAbsOrRel(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                       unsigned char iRelative, const XelTolerance& iTol, long iLowOrder,
                       long iHighOrder, long iMaxIntervals);

/// Integral of iF over iI within iEps (absolute when iRelative is 0, relative otherwise) into
/// oIntegral, by the scheme of IntegrateAbsOrRel (orders 8 and 12, then the 20-point rule on up
/// to 64 pieces, iF's own tolerance object), with a status: 0 when two successive estimates
/// agree within the tolerance, 7 when they do not (oIntegral is then the 64-piece estimate), 4
/// for a null iF (oIntegral 0). The numerical scheme runs whatever closed form iF's class has.
///
/// With the option AttrFunctionXAdaptiveIntegration ("AdaptiveIntegration", presence) in
/// iAttributes, a global adaptive scheme runs instead, on the same tolerance: the 21-point
/// Kronrod rule on the whole interval stands when its estimate (the Kronrod rule has a node at
/// the centre, the 10-point Gauss rule embedded in it none) is within the tolerance and not
/// saturated; otherwise pieces are kept in a heap ordered by their error and the worst piece
/// is bisected (21 evaluations per half, through EvalPoints), until the summed estimate is
/// within the tolerance plus the summed rounding floors (about 50 epsilon times the integral
/// of |f|). In the bisection a piece's estimate is also the error that the decay of the
/// Legendre coefficients of its 21 values predicts, when that is far larger (values of a
/// jump, on which both symmetric rules may agree by chance). Near a singularity at a fixed
/// end of the pieces, where the values grow without bound, the sums taken each time a new
/// level of narrow pieces is reached are extrapolated by the epsilon algorithm, the wider
/// pieces being made accurate first, so that the singular piece is bisected once per level;
/// bounded features (jumps, kinks) are bisected down to their resolution instead. A value at a
/// bisection point that the nodes of a half do not explain (a feature narrower than the gap
/// between the ends and the nodes) keeps that half in the bisection until it is resolved. The
/// scheme stops with status 7 when the worst piece is too narrow to split, when rounding
/// dominates, when the summed error has not fallen by 10 % over 512 bisections (divergent or
/// wildly oscillating integrands), when the extrapolation has stalled or when the whole call
/// has spent 204800 evaluations (80 times the plain scheme); the result is then the extrapolated
/// limit when its estimate is the better one, the sum of the pieces otherwise. An extrapolated
/// limit far from the sum of the pieces (divergence) is never a success, and the sums of |f| are
/// extrapolated alongside, so that pieces that cancel (1/x on [-1, 1]) do not hide it. The heap of
/// pieces is one growing block of the memory services, freed before returning, also when an
/// evaluation raises.
///
/// A domain with an infinite or NaN end gives status 4, a value that is not finite never
/// status 0. A negative or NaN iEps raises XelMathInputError 0x20006 ("the tolerance of the
/// integral"); a scale option of iF as for MyOwnIntegrateAbsOrRel.
XELADVANCEDMATHEMATICS_EXPORT int
XelMathIntegrateX(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                  unsigned char iRelative, const XelMathAttrList* iAttributes, double& oIntegral);
