#pragma once
// Helpers shared by the wrappers of two-variable functions (internal, never installed): the
// jet of a function up to its third derivatives, component lists, deep copies into owning
// variants, and the minimization of a wrapped function with the opposite limit value.
#include <memory>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathFunctionXY.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathInterval2D.h"
#include "XelMathSetOfPointsND.h"

class XelMathIntervalND;

namespace XelMathWrapperXY {

// Checks of the regular-grid evaluations of XelMathFunctionXY, made alike by every class that
// overrides them (defined with the base class).

/// Raises 0x20004 ("Invalid Number Of Points", " ", iWhere) when the nX x nY outputs of a
/// grid cannot be indexed.
void CheckGridOutputs(long nX, long nY, const char* iWhere);
/// The two intervals of the box of a grid of iCounts[0] x iCounts[1] nodes. Null counts are
/// reported (XelQuornull); a box of a dimension other than 2 raises 0x20006 ("the
/// XelMathIntervalND", "2", iWhere), counts whose outputs cannot be indexed 0x20004. False
/// when there is nothing to evaluate.
bool ReadBoxGrid(const XelMathIntervalND& iBox, const long* iCounts, const char* iWhere,
                 XelMathInterval& oI, XelMathInterval& oJ);
/// Whether the grid of the iNX x iNY given abscissae has anything to evaluate: counts below 1
/// have nothing, null abscissae are reported (XelQuornull); counts whose outputs cannot be
/// indexed raise 0x20004.
bool CheckGivenGrid(long iNX, const double* iX, long iNY, const double* iY, const char* iWhere);

/// The value and the nine partial derivatives of a two-variable function at a point, in the
/// order of EvalUpToThirdDeriv.
struct Jet {
  double f = 0.0, fx = 0.0, fy = 0.0, fxx = 0.0, fxy = 0.0, fyy = 0.0;
  double fxxx = 0.0, fxxy = 0.0, fxyy = 0.0, fyyy = 0.0;
};

/// The jet of iF at (x, y) up to iOrder (0..3) in as few calls as the contract allows; the
/// members above iOrder stay 0.
inline Jet JetAt(const XelMathFunctionXY* iF, const double x, const double y, const int iOrder) {
  Jet j;
  if (iOrder >= 3) {
    iF->EvalUpToThirdDeriv(x, y, j.f, j.fx, j.fy, j.fxx, j.fxy, j.fyy, j.fxxx, j.fxxy, j.fxyy,
                           j.fyyy);
  } else if (iOrder == 0) {
    j.f = iF->Eval(x, y);
  } else {
    const long mask = iOrder == 1 ? XelMathOption::ValueAndFirst : XelMathOption::PointUpToSecond;
    iF->Eval(x, y, mask, &j.f, &j.fx, &j.fy, &j.fxx, &j.fxy, &j.fyy);
  }
  return j;
}

/// The value and derivatives up to iOrder (0..3) of iF at (x, y) into the derivative array oD
/// (f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy), in as few calls as the contract allows;
/// the entries above iOrder are not written.
inline void DerivativesAt(const XelMathFunctionXY* iF, const double x, const double y,
                          const int iOrder, double* oD) {
  if (iOrder <= 0)
    oD[0] = iF->Eval(x, y);
  else if (iOrder == 1)
    iF->Eval(x, y, XelMathOption::ValueAndFirst, oD, oD + 1, oD + 2, nullptr, nullptr, nullptr);
  else if (iOrder == 2)
    iF->Eval(x, y, XelMathOption::PointUpToSecond, oD, oD + 1, oD + 2, oD + 3, oD + 4, oD + 5);
  else
    iF->EvalUpToThirdDeriv(x, y, oD[0], oD[1], oD[2], oD[3], oD[4], oD[5], oD[6], oD[7], oD[8],
                           oD[9]);
}

/// The highest order asked for by the point bits 1, 2, 4 of iDiff whose outputs are given
/// (-1 when none is asked for).
inline int AskedPointOrder(const long iDiff, const double* oF, const double* oFx, const double* oFy,
                           const double* oFxx, const double* oFxy, const double* oFyy) {
  if ((iDiff & XelMathOption::SecondDeriv) && (oFxx || oFxy || oFyy))
    return 2;
  if ((iDiff & XelMathOption::FirstDeriv) && (oFx || oFy))
    return 1;
  if ((iDiff & XelMathOption::Value) && oF)
    return 0;
  return -1;
}

/// Writes the outputs of a masked point evaluation from iJ: each output is written when its
/// bit is set and its pointer given.
inline void StoreJet(const long iDiff, const Jet& iJ, double* oF, double* oFx, double* oFy,
                     double* oFxx, double* oFxy, double* oFyy) {
  if ((iDiff & XelMathOption::Value) && oF)
    *oF = iJ.f;
  if (iDiff & XelMathOption::FirstDeriv) {
    if (oFx)
      *oFx = iJ.fx;
    if (oFy)
      *oFy = iJ.fy;
  }
  if (iDiff & XelMathOption::SecondDeriv) {
    if (oFxx)
      *oFxx = iJ.fxx;
    if (oFxy)
      *oFxy = iJ.fxy;
    if (oFyy)
      *oFyy = iJ.fyy;
  }
}

/// Copies a derivative array d (f, fx, fy, fxx, fxy, fyy, fxxx, fxxy, fxyy, fyyy) into the
/// outputs of EvalUpToThirdDeriv.
inline void UnpackUpToThird(const double* d, double& oF, double& oFx, double& oFy, double& oFxx,
                            double& oFxy, double& oFyy, double& oFxxx, double& oFxxy, double& oFxyy,
                            double& oFyyy) {
  oF = d[0];
  oFx = d[1];
  oFy = d[2];
  oFxx = d[3];
  oFxy = d[4];
  oFyy = d[5];
  oFxxx = d[6];
  oFxxy = d[7];
  oFxyy = d[8];
  oFyyy = d[9];
}

/// The four third derivatives of a derivative array into the outputs of EvalAllThirdDerivs.
inline void UnpackThirds(const double* d, double& oFxxx, double& oFxxy, double& oFxyy,
                         double& oFyyy) {
  oFxxx = d[6];
  oFxxy = d[7];
  oFxyy = d[8];
  oFyyy = d[9];
}

/// Writes the outputs of a masked point evaluation from a derivative array (layout above): each
/// output is written when its bit is set and its pointer given.
inline void StoreArray(const long iDiff, const double* d, double* oF, double* oFx, double* oFy,
                       double* oFxx, double* oFxy, double* oFyy) {
  double* const out[6] = {oF, oFx, oFy, oFxx, oFxy, oFyy};
  const long bit[6] = {XelMathOption::Value,       XelMathOption::FirstDeriv,
                       XelMathOption::FirstDeriv,  XelMathOption::SecondDeriv,
                       XelMathOption::SecondDeriv, XelMathOption::SecondDeriv};
  for (int k = 0; k < 6; ++k)
    if ((iDiff & bit[k]) && out[k])
      *out[k] = d[k];
}

/// A jet whose every member is iValue.
inline Jet Uniform(const double iValue) {
  Jet j;
  j.f = j.fx = j.fy = j.fxx = j.fxy = j.fyy = j.fxxx = j.fxxy = j.fxyy = j.fyyy = iValue;
  return j;
}

/// The images of a masked interval evaluation: value, first and second derivatives.
struct Images {
  XelMathInterval f, fx, fy, fxx, fxy, fyy;
};

/// The interval bits of iDiff (16, 32, 64) whose outputs are all given.
inline long AskedImages(const long iDiff, const XelMathInterval* oF, const XelMathInterval* oFx,
                        const XelMathInterval* oFy, const XelMathInterval* oFxx,
                        const XelMathInterval* oFxy, const XelMathInterval* oFyy) {
  long asked = 0;
  if ((iDiff & XelMathOption::Image) && oF)
    asked |= XelMathOption::Image;
  if ((iDiff & XelMathOption::FirstDerivImage) && oFx && oFy)
    asked |= XelMathOption::FirstDerivImage;
  if ((iDiff & XelMathOption::SecondDerivImage) && oFxx && oFxy && oFyy)
    asked |= XelMathOption::SecondDerivImage;
  return asked;
}

/// Writes the groups of iAsked from iImages.
inline void StoreImages(const long iAsked, const Images& iImages, XelMathInterval* oF,
                        XelMathInterval* oFx, XelMathInterval* oFy, XelMathInterval* oFxx,
                        XelMathInterval* oFxy, XelMathInterval* oFyy) {
  if (iAsked & XelMathOption::Image)
    *oF = iImages.f;
  if (iAsked & XelMathOption::FirstDerivImage) {
    *oFx = iImages.fx;
    *oFy = iImages.fy;
  }
  if (iAsked & XelMathOption::SecondDerivImage) {
    *oFxx = iImages.fxx;
    *oFxy = iImages.fxy;
    *oFyy = iImages.fyy;
  }
}

/// The images of iF for the groups of iAsked (bits 16, 32, 64). One masked evaluation when iF
/// offers every group asked for; otherwise the value image is iF's box image (an enclosure
/// whatever the class) and the derivative images come one by one, so that derivative images
/// that carry no information never narrow the value image.
inline Images ImagesOf(const XelMathFunctionXY* iF, const XelMathInterval& iI,
                       const XelMathInterval& iJ, const long iAsked, const XelTolerance& iTol) {
  Images r;
  if (iF->IsOption(iAsked)) {
    iF->Eval(iI, iJ, iAsked, &r.f, &r.fx, &r.fy, &r.fxx, &r.fxy, &r.fyy, iTol);
    return r;
  }
  if (iAsked & XelMathOption::Image)
    r.f = iF->Eval(iI, iJ, iTol);
  if (iAsked & XelMathOption::FirstDerivImage) {
    r.fx = iF->EvalFirstDerivX(iI, iJ);
    r.fy = iF->EvalFirstDerivY(iI, iJ);
  }
  if (iAsked & XelMathOption::SecondDerivImage) {
    r.fxx = iF->EvalSecondDerivX2(iI, iJ);
    r.fxy = iF->EvalSecondDerivXY(iI, iJ);
    r.fyy = iF->EvalSecondDerivY2(iI, iJ);
  }
  return r;
}

/// Whether one of the iN pointers is null.
template <class T> inline bool HasNull(const long iN, const T* const* iF) {
  for (long i = 0; i < iN; i++)
    if (!iF[i])
      return true;
  return false;
}

/// Lists the iN components in oComponents (at most iSize of them) and returns iN.
template <class T>
inline int ListComponents(const long iN, const T* const* iF, const int iSize,
                          const XelMathFunctionGeneral** oComponents) {
  for (long i = 0; i < iN && i < iSize; i++)
    oComponents[i] = iF[i];
  return static_cast<int>(iN);
}

/// Deletes each of the iN functions once (a pointer given twice is deleted at its first place).
template <class T> inline void DeleteOnce(const long iN, const T* const* iF) {
  for (long i = 0; i < iN; i++) {
    bool seen = false;
    for (long j = 0; j < i && !seen; j++)
      seen = iF[j] == iF[i];
    if (!seen)
      delete iF[i];
  }
}

/// Deep copies of the iN functions into oCopies, a function given several times being copied
/// once and shared (null stays null). When a copy raises, the copies already made are
/// deleted and the error goes on.
template <class T> inline void DeepCopies(const long iN, const T* const* iF, T** oCopies) {
  long done = 0;
  auto undo = XelMathMakeOnExit([&] { DeleteOnce(done, oCopies); });
  for (; done < iN; done++) {
    oCopies[done] = nullptr;
    long j = 0;
    while (j < done && iF[j] != iF[done])
      j++;
    if (j < done)
      oCopies[done] = oCopies[j];
    else if (iF[done])
      oCopies[done] = iF[done]->DeepDuplicate();
  }
  undo.Dismiss();
}

/// The deep copies of the iN functions handed to the owner iMakeOwner(copies) builds; when a
/// copy or the owner raises, the copies are deleted and the error goes on.
template <class T, class MakeOwner>
inline auto OwnDeepCopies(const long iN, const T* const* iF, T** oCopies, MakeOwner iMakeOwner) {
  DeepCopies(iN, iF, oCopies);
  auto undo = XelMathMakeOnExit([&] { DeleteOnce(iN, oCopies); });
  auto* owner = iMakeOwner(oCopies);
  undo.Dismiss();
  return owner;
}

/// iF->Minimize(iDomain, oPoints, iAttributes) with the limit value of the list negated for
/// the call and restored after it, also when an error passes: a bound on the values of a
/// function is the opposite bound on those of its opposite.
inline int MinimizeWithOppositeLimit(const XelMathFunctionXY* iF, const XelMathInterval2D& iDomain,
                                     XelMathSetOfPointsND& oPoints,
                                     const XelMathAttrList* iAttributes) {
  XelMathAttrDoubleValue* limit = nullptr;
  if (iAttributes)
    limit =
        dynamic_cast<XelMathAttrDoubleValue*>(iAttributes->GetAttribute(AttrFunctionXLimitValue));
  if (limit)
    limit->SetValue(-limit->GetValue());
  const auto restore = XelMathMakeOnExit([limit] {
    if (limit)
      limit->SetValue(-limit->GetValue());
  });
  return iF->Minimize(iDomain, oPoints, iAttributes);
}

} // namespace XelMathWrapperXY
