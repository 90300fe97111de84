#pragma once
// Keys of the options read by the analyses of the library. A caller builds an attribute of
// the class that the reader expects, with the key as its name, and adds it to a
// XelMathAttrList. Keys read for their presence only can be given by any attribute of that
// key (usually a XelMathAttrString).
#include "XelAdvancedMathematicsExport.h"

/// "SamplingPoints" (XelMathAttrIntegerValue): sampling intervals of the one-variable root
/// finder and minimizer (default 15).
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXSamplingPoints;
/// "XelMathConstraint" (the XelMathConstraint itself): roots must satisfy the constraint.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXConstraint;
/// "AbsoluteTolerance" (XelMathAttrDoubleValue): tolerance on the function value at a root.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXAbsoluteTolerance;
/// "EpsilonRoot" (XelMathAttrDoubleValue): width under which an interval is one root.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXEpsRoot;
/// "CheckExtremities" (presence): the ends of the domain are tested as roots.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXCheckExtremities;
/// "Dichotomy" (XelMathAttrPointerValue holding a XelMathSetOfLongs*): bisection steps mixed
/// into Newton's method.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXDichotomy;
/// "AbsoluteExtremum" (presence): only the absolute minimum is returned.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXAbsoluteExtremum;
/// "InteriorExtremum" (presence): only minima inside the domain are returned.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXInteriorExtremum;
/// "LimitValue" (XelMathAttrDoubleValue): only minima below this value are wanted.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXLimitValue;
/// "DiscretizationMethod" (presence): minimization by discretization.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXDiscretizationMethod;
/// "BrentMethod" (presence): minimization by Brent's method.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXBrentMethod;
/// "BrentMethodTrueSampling" (presence): read only with "BrentMethod".
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXBrentMethodTrueSampling;
/// "InternalMinWidthRatio" (XelMathAttrDoubleValue): smallest sub-interval width as a ratio
/// (default 0.1).
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXInternalMinWidthRatio;
/// "ReconvergeBestPoint" (presence): the best point is refined once more.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXReconvergeBestPoint;
/// "AdaptiveIntegration" (presence): XelMathIntegrateX goes on, when the doubling of the
/// 20-point rule has not converged at 64 pieces, with the global adaptive Gauss-Kronrod
/// scheme (see XelMathGaussLegendre.h), within 80 times the evaluations of the doubling.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrFunctionXAdaptiveIntegration;
/// "MaxDomain": exported for callers; no analysis of the library reads it.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrDomain;
/// "SamplingPoints": sampling of the N-variable system solver, a XelMathAttrPointerValue
/// holding N longs (nodes per dimension) or a XelMathAttrIntegerValue for every dimension.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrSystemSamplingPoints;
/// "NoSingularityTreatment" (presence): singular solutions of a system are not treated.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrSystemNoSingularityTreatment;
/// The same text as AttrSystemNoSingularityTreatment: either key finds an attribute made
/// with the other.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrSystemLightSingularityTreatment;
/// "EasySolver" (presence): the N-variable system solver starts in its light mode (fewer
/// levels of singular treatment, coarser suspect cells).
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrSystemEasySolver;
/// "WholeSystemSampling" (presence): the N-variable system solver evaluates the whole system
/// once at every node of its grids (each cell's corners copied from the nodes), and its
/// default first grid keeps at most 1000 nodes (fewer nodes a side from 4 unknowns on).
/// Without it, equation 0 alone is sampled on the grid (the grid form of EvalEquation), the
/// other equations only at the corners of the cells that equation 0 keeps, and every
/// dimension has 6 nodes by default.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrSystemWholeSystemSampling;
/// "DomainPoints": points of the domain that the sampling of a vector function must pass.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrDomainPoint;
/// "StopParam": parameter at which the sampling of a vector function stops.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrStopParam;
/// "DirectMethod" (presence): XelMathFunctionXY::Minimize runs XelMathDirectMinimizerXY
/// (interval branch and bound, or DIRECT search) instead of its sampling minimizer.
XELADVANCEDMATHEMATICS_EXPORT extern const char* const AttrDirectMethod;
