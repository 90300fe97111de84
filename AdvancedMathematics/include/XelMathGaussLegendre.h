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
// driver with a convergence status and, on request, a global adaptive continuation served by
// the 21-point Kronrod rule. Nothing here raises, except for a negative or NaN tolerance and
// the scale-option checks (0x20006) on a XelMathBasisFunctionX.
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
/// not positive) without agreement, the last sum is returned (XelMathIntegrateX tells this case
/// apart and can go on adaptively). The tolerance is 0.5 iEps, or 0.5 iEps (XelHardTol(1) +
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
/// iAttributes, a doubling that has not converged at 64 pieces is continued by a global
/// adaptive scheme: each piece gets the 21-point Kronrod value and error estimate, the piece of
/// largest error is bisected, and a piece is retired once its error is within an eighth of its
/// share of the tolerance. The continuation stops with status 0 when the summed estimate is
/// within the tolerance plus the summed rounding floors of the pieces (about 50 epsilon times
/// the integral of |f|), and with status 7 when the worst piece is too narrow to split, when
/// the summed error has not fallen by 10 % over 512 bisections (divergent or wildly
/// oscillating integrands) or when the whole call has spent 80 times the evaluations of the
/// plain scheme (204800). The sums recorded each time the narrowest piece is halved are
/// extrapolated by the epsilon algorithm (endpoint singularities, also at an end where the
/// pieces cannot be made narrow enough); the extrapolated limit is returned when its error
/// estimate is the better one, the sum of the pieces otherwise (the last doubling sum when
/// neither is finite). The continuation allocates one work array through the memory services,
/// freed before returning, also when an evaluation raises.
///
/// A domain with an infinite or NaN end gives status 4, a value that is not finite never
/// status 0. A negative or NaN iEps raises XelMathInputError 0x20006 ("the tolerance of the
/// integral"); a scale option of iF as for MyOwnIntegrateAbsOrRel.
XELADVANCEDMATHEMATICS_EXPORT int
XelMathIntegrateX(const XelMathFunctionX* iF, const XelMathInterval& iI, double iEps,
                  unsigned char iRelative, const XelMathAttrList* iAttributes, double& oIntegral);
