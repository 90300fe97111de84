#pragma once
// Tolerance and scale-option handling shared by the entry points of the one-variable analyses
// (roots, extrema, images, integrals; internal to the library). Every entry point reads its
// scale option here: from its attribute list (AttrScaleOption), the mailbox
// (FiledScaleOption) or a basis function (BasisOption), and its powers through ReadPowers. An
// analysis works on values in the scale power iExpectedF and on variables in the scale; a function
// declaring other powers (XelMathAttrScaleOption) is run through a XelMathScaleFunctionX wrapper
// whose results are mapped back. Misuse (an option of more than one power) raises 0x20006.
#include <cmath>
#include <memory>

#include "XelFedEx.h"
#include "XelMathAttrList.h"
#include "XelMathAttrScaleOption.h"
#include "XelMathAttrTolObject.h"
#include "XelMathBasisFunctionX.h"
#include "XelMathFunctionX.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInterval.h"
#include "XelMathScaleFunctionX.h"
#include "XelMathSetOfPointsND.h"
#include "XelTolerance.h"

namespace XelMathAnalysisScaling {

/// The tolerance of the XelMathAttrTolObject of iAttributes (which may be null), else iOther.
inline const XelTolerance* ListTolerance(const XelMathAttrList* iAttributes,
                                         const XelTolerance* iOther) {
  if (!iAttributes)
    return iOther;
  const XelMathAttrTolObject* attr =
      dynamic_cast<const XelMathAttrTolObject*>(iAttributes->GetAttribute("XelMathAttrTolObject"));
  return attr ? &attr->GetTolObject() : iOther;
}

/// The tolerance of an analysis of iF: the function's own, else the default one; a
/// XelMathAttrTolObject of iAttributes overrides both.
inline const XelTolerance* FindTolerance(const XelMathFunctionX* iF,
                                         const XelMathAttrList* iAttributes) {
  const XelTolerance* tol = XelMathFunctionXFindTolerance(iF);
  return ListTolerance(iAttributes, tol ? tol : &XelGetDefaultTolerance());
}

/// The scale option iF carries when it is a XelMathBasisFunctionX with one, else null.
inline const XelMathAttrScaleOption* BasisOption(const XelMathFunctionX* iF) {
  if (!iF->IsAKindOf("XelMathBasisFunctionX"))
    return nullptr;
  return static_cast<const XelMathBasisFunctionX*>(iF)->GetScaleOption();
}

/// The scale option filed for iKey under iMessage (XelMathMessage) in the library's mailbox
/// for the duration of a call (XelMathMailboxEntry), else null.
inline const XelMathAttrScaleOption* FiledScaleOption(const long iMessage, const void* iKey) {
  void* filed = nullptr;
  long status = 0;
  if (XelFedEx::Get(_XelR19QuorMail, iMessage, iKey, filed, status) && filed)
    return static_cast<const XelMathAttrScaleOption*>(filed);
  return nullptr;
}

/// The scale option of a XelMathBasisFunctionX, when it has one. Returns 1 then.
inline int BasisScaleOption(const XelMathFunctionX* iF, XelMathAttrScaleOption& oOption) {
  const XelMathAttrScaleOption* option = BasisOption(iF);
  if (!option)
    return 0;
  oOption = *option;
  return 1;
}

/// The XelMathAttrScaleOption of iAttributes (which may be null), or null.
inline const XelMathAttrScaleOption* AttrScaleOption(const XelMathAttrList* iAttributes) {
  if (!iAttributes)
    return nullptr;
  return dynamic_cast<const XelMathAttrScaleOption*>(
      iAttributes->GetAttribute("XelMathAttrScaleOption"));
}

/// The scale option of an analysis: the one of iAttributes, else the one of a basis
/// function. Returns 1 when there is one.
inline int ListScaleOption(const XelMathFunctionX* iF, const XelMathAttrList* iAttributes,
                           XelMathAttrScaleOption& oOption) {
  if (const XelMathAttrScaleOption* attr = AttrScaleOption(iAttributes)) {
    oOption = *attr;
    return 1;
  }
  return BasisScaleOption(iF, oOption);
}

/// Reads the single F and X powers of an option; raises 0x20006 with iWhere otherwise.
inline void ReadPowers(const XelMathAttrScaleOption& iOption, const char* iWhere, long& oF,
                       long& oX) {
  long nbF = 0, nbX = 0;
  const long* powersF = iOption.GetPowerScaleF(nbF);
  const long* powersX = iOption.GetPowerScaleX(nbX);
  if (nbF != 1 || nbX != 1 || !powersF || !powersX)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption", "wrong dimension",
                 iWhere);
  oF = powersF[0];
  oX = powersX[0];
}

/// Raises 0x20006 with iWhere unless both scale factors are finite and not 0.
inline void CheckFactors(const double iValueFactor, const double iVariableFactor,
                         const char* iWhere) {
  if (!std::isfinite(iValueFactor) || !std::isfinite(iVariableFactor) || iValueFactor == 0.0 ||
      iVariableFactor == 0.0)
    XelMathRaise(XelErrorCode::InvalidOption, "the XelMathAttrScaleOption",
                 "scale factor out of range", iWhere);
}

/// A value read from an option: raises 0x20006 (iKey, why, iWhere) unless it is finite and not
/// negative.
inline double CheckedWidth(const double iValue, const char* iKey, const char* iWhere) {
  if (!(iValue >= 0.0) || !std::isfinite(iValue))
    XelMathRaise(XelErrorCode::InvalidOption, iKey, "negative, infinite or NaN", iWhere);
  return iValue;
}

/// Largest sampling count of the one-variable analyses: at 2^24 samples the minimization of
/// a wild function (sin 1e8 x, a minimum in every other sample) took 16 s and 1.2 billion
/// evaluations, the root finder 11 s; at this count below 4 s.
const long MaxSamplingPoints = 1L << 21;

/// A sampling count read from an option: raises 0x20004 "Invalid Number Of Points" (iKey,
/// iWhere) above MaxSamplingPoints.
inline long CheckedSampling(const long iCount, const char* iKey, const char* iWhere) {
  if (iCount > MaxSamplingPoints)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, iKey, "Invalid Number Of Points", iWhere);
  return iCount;
}

/// The factors that bring a function declared with iOption to values in the power
/// iExpectedF of the scale iScale and variables in the scale: h(x) = oValueFactor *
/// f(oVariableFactor * x). Returns true when a wrapper is needed (factors other than 1).
inline bool ScaleFactors(const XelMathAttrScaleOption& iOption, const double iScale,
                         const long iExpectedF, const char* iWhere, double& oValueFactor,
                         double& oVariableFactor) {
  oValueFactor = 1.0;
  oVariableFactor = 1.0;
  if (iScale == 1.0)
    return false;
  long powerF = iExpectedF, powerX = 1;
  ReadPowers(iOption, iWhere, powerF, powerX);
  if (powerF == iExpectedF && powerX == 1)
    return false;
  // Powers are subtracted in double: LONG_MIN or LONG_MAX must not overflow. A factor that
  // overflows or underflows would turn every value of the wrapper into 0, inf or NaN.
  oValueFactor = std::pow(iScale, static_cast<double>(iExpectedF) - static_cast<double>(powerF));
  oVariableFactor = std::pow(iScale, static_cast<double>(powerX) - 1.0);
  CheckFactors(oValueFactor, oVariableFactor, iWhere);
  return true;
}

/// The wrapper of iF with the given factors, marked reviewed as the option says.
inline std::unique_ptr<XelMathScaleFunctionX> MakeWrapper(const XelMathFunctionX* iF,
                                                          const XelMathAttrScaleOption& iOption,
                                                          const double iValueFactor,
                                                          const double iVariableFactor) {
  std::unique_ptr<XelMathScaleFunctionX> wrapper(
      new XelMathScaleFunctionX(iF, iValueFactor, iVariableFactor));
  if (iOption.GetOKReviewed())
    wrapper->SetOKScaleReviewed();
  return wrapper;
}

/// Runs ioAnalysis over iDomain into the working set ioWork and writes the points to oPoints:
/// through the wrapper's domain and back when iWrapper is given, as they are otherwise.
template <class Analysis>
int RunMapped(Analysis& ioAnalysis, const XelMathScaleFunctionX* iWrapper,
              const XelMathInterval& iDomain, XelMathSetOfPointsND& ioWork,
              XelMathSetOfPointsND& oPoints) {
  if (!iWrapper) {
    const int status = ioAnalysis.Run(iDomain, ioWork);
    oPoints = ioWork;
    return status;
  }
  XelMathInterval domain;
  iWrapper->ComputeScaledDomain(iDomain, domain);
  const int status = ioAnalysis.Run(domain, ioWork);
  iWrapper->ComputeUnScaledRoots(ioWork, oPoints);
  return status;
}

} // namespace XelMathAnalysisScaling
