#include "XelMathAttrKeys.h"

const char* const AttrFunctionXSamplingPoints = "SamplingPoints";
const char* const AttrFunctionXConstraint = "XelMathConstraint";
const char* const AttrFunctionXAbsoluteTolerance = "AbsoluteTolerance";
const char* const AttrFunctionXEpsRoot = "EpsilonRoot";
const char* const AttrFunctionXCheckExtremities = "CheckExtremities";
const char* const AttrFunctionXDichotomy = "Dichotomy";
const char* const AttrFunctionXAbsoluteExtremum = "AbsoluteExtremum";
const char* const AttrFunctionXInteriorExtremum = "InteriorExtremum";
const char* const AttrFunctionXLimitValue = "LimitValue";
const char* const AttrFunctionXDiscretizationMethod = "DiscretizationMethod";
const char* const AttrFunctionXBrentMethod = "BrentMethod";
const char* const AttrFunctionXBrentMethodTrueSampling = "BrentMethodTrueSampling";
const char* const AttrFunctionXInternalMinWidthRatio = "InternalMinWidthRatio";
const char* const AttrFunctionXReconvergeBestPoint = "ReconvergeBestPoint";
const char* const AttrFunctionXAdaptiveIntegration = "AdaptiveIntegration";
const char* const AttrDomain = "MaxDomain";
const char* const AttrSystemSamplingPoints = "SamplingPoints";
const char* const AttrSystemNoSingularityTreatment = "NoSingularityTreatment";
const char* const AttrSystemLightSingularityTreatment = "NoSingularityTreatment";
const char* const AttrSystemEasySolver = "EasySolver";
const char* const AttrSystemWholeSystemSampling = "WholeSystemSampling";
const char* const AttrDomainPoint = "DomainPoints";
const char* const AttrStopParam = "StopParam";
const char* const AttrDirectMethod = "DirectMethod";
