#pragma once
// Option bookkeeping, multi-output frames, sums of squares and deep copies shared by the
// composite one-variable functions (internal, never installed). The interval helpers are the
// one copy of XelMathElementaryTools.h, brought into this namespace.
#include <memory>

#include "XelMathAttrDoubleValue.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttrList.h"
#include "XelMathBatchTools.h"
#include "XelMathConstants.h"
#include "XelMathElementaryTools.h"
#include "XelMathFunctionX.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathInterval.h"
#include "XelMathSetOfPointsND.h"

namespace XelMathComposite {

// The interval helpers are those of the elementary functions (one copy).
using XelMathElementary::Add;
using XelMathElementary::AskedOutputs;
using XelMathElementary::Cube;
using XelMathElementary::Max2;
using XelMathElementary::Min2;
using XelMathElementary::Mul;
using XelMathElementary::Neg;
using XelMathElementary::Scale;
using XelMathElementary::Shift;
using XelMathElementary::Sub;
using XelMathElementary::Zero;

/// The evaluation bits that the rules of differentiation need along with iOption: a point
/// derivative of order k needs the derivatives of orders 1..k of the components, an
/// interval derivative of order k needs the images of orders 0..k. The value at a point
/// (bit 1) is never added.
inline long DerivativeClosure(const long iOption) {
  long o = iOption;
  if (o & XelMathOption::ThirdDeriv)
    o |= XelMathOption::SecondDeriv;
  if (o & XelMathOption::SecondDeriv)
    o |= XelMathOption::FirstDeriv;
  if (o & XelMathOption::ThirdDerivImage)
    o |= XelMathOption::SecondDerivImage;
  if (o & XelMathOption::SecondDerivImage)
    o |= XelMathOption::FirstDerivImage;
  if (o & XelMathOption::FirstDerivImage)
    o |= XelMathOption::Image;
  return o;
}

/// Multi-output point evaluation of a component up to the third derivative: oD[k] = f^(k)(x)
/// for k = 0..iOrder (value, first and second derivatives in one call).
inline void EvalUpTo(const XelMathFunctionX* iF, const double x, const int iOrder, double* oD) {
  if (iOrder <= 0) {
    oD[0] = iF->Eval(x);
    return;
  }
  iF->Eval(x, iOrder >= 2 ? 7 : 3, &oD[0], &oD[1], iOrder >= 2 ? &oD[2] : nullptr);
  if (iOrder >= 3)
    oD[3] = iF->EvalThirdDeriv(x);
}

/// Interval images of a component up to the third derivative: oD[k] is the image of f^(k)
/// over iI for k = 0..iOrder (value, first and second derivative images in one call).
inline void EvalUpTo(const XelMathFunctionX* iF, const XelMathInterval& iI, const int iOrder,
                     XelMathInterval* oD) {
  if (iOrder <= 0) {
    oD[0] = iF->Eval(iI);
    return;
  }
  iF->Eval(iI, iOrder >= 2 ? 112 : 48, &oD[0], &oD[1], iOrder >= 2 ? &oD[2] : nullptr);
  if (iOrder >= 3)
    oD[3] = iF->EvalThirdDeriv(iI);
}

/// Highest order requested by the point bits 1, 2, 4 of a multi-output evaluation (-1 none).
inline int PointOrder(const long iOptions) {
  return (iOptions & XelMathOption::SecondDeriv)  ? 2
         : (iOptions & XelMathOption::FirstDeriv) ? 1
         : (iOptions & XelMathOption::Value)      ? 0
                                                  : -1;
}
/// Highest order requested by the interval bits 16, 32, 64 (-1 none).
inline int IntervalOrder(const long iOptions) {
  return (iOptions & XelMathOption::SecondDerivImage)  ? 2
         : (iOptions & XelMathOption::FirstDerivImage) ? 1
         : (iOptions & XelMathOption::Image)           ? 0
                                                       : -1;
}

/// Writes iValue to each output a multi-output evaluation asked for (iWantF, iWantF1, iWantF2).
template <class T>
inline void SetAsked(const bool iWantF, const bool iWantF1, const bool iWantF2, const T& iValue,
                     T* oF, T* oF1, T* oF2) {
  if (iWantF)
    *oF = iValue;
  if (iWantF1)
    *oF1 = iValue;
  if (iWantF2)
    *oF2 = iValue;
}

/// Writes iH[0], iH[1], iH[2] to the outputs asked for.
template <class T>
inline void StoreAsked(const bool iWantF, const bool iWantF1, const bool iWantF2, const T* iH,
                       T* oF, T* oF1, T* oF2) {
  if (iWantF)
    *oF = iH[0];
  if (iWantF1)
    *oF1 = iH[1];
  if (iWantF2)
    *oF2 = iH[2];
}

/// Frame of a multi-output evaluation through the derivatives of orders 0..2: the outputs
/// asked for are those of bits iFirstBit, 2 iFirstBit, 4 iFirstBit of iOptions with a pointer;
/// iCompute(order, h) fills h[0..order] for the highest order asked for (h holds iMissing
/// before) and the outputs asked for receive h. Nothing is computed when none is asked for.
template <class T, class Compute>
inline void EvalAsked(const long iOptions, const long iFirstBit, const T& iMissing, T* oF, T* oF1,
                      T* oF2, Compute iCompute) {
  const auto [wantF, wantF1, wantF2] = AskedOutputs(iOptions, iFirstBit, oF, oF1, oF2);
  const int order = wantF2 ? 2 : wantF1 ? 1 : wantF ? 0 : -1;
  if (order < 0)
    return;
  T h[3] = {iMissing, iMissing, iMissing};
  iCompute(order, h);
  StoreAsked(wantF, wantF1, wantF2, h, oF, oF1, oF2);
}

/// Whether one of the iN pointers is null.
inline bool HasNull(const long iN, const XelMathFunctionX* const* iF) {
  for (long i = 0; i < iN; i++)
    if (!iF[i])
      return true;
  return false;
}

/// Sum over i of (f_i(x) - c_i)^2 and its derivatives up to iOrder (c null: no shift):
/// oH[k] for k = 0..iOrder. The components must not be null.
inline void SumOfSquaresAt(const long iN, const XelMathFunctionX* const* iF, const double* iC,
                           const double x, const int iOrder, double* oH) {
  for (int k = 0; k <= iOrder; k++)
    oH[k] = 0.0;
  for (long i = 0; i < iN; i++) {
    double d[4] = {0.0, 0.0, 0.0, 0.0};
    EvalUpTo(iF[i], x, iOrder, d);
    const double r = iC ? d[0] - iC[i] : d[0];
    oH[0] += r * r;
    if (iOrder >= 1)
      oH[1] += 2.0 * r * d[1];
    if (iOrder >= 2)
      oH[2] += 2.0 * (d[1] * d[1] + r * d[2]);
    if (iOrder >= 3)
      oH[3] += 2.0 * (3.0 * d[1] * d[2] + r * d[3]);
  }
}

/// The options of EvalUpTo for a batch: the value (1), with the first derivative (3), with the
/// second (7).
inline long UpToOptions(const int iOrder) {
  return iOrder <= 0   ? XelMathOption::Value
         : iOrder == 1 ? XelMathOption::ValueAndFirst
                       : XelMathOption::PointUpToSecond;
}

/// Batch form of SumOfSquaresAsked at the iN abscissas iX: each component is evaluated once
/// per chunk, the sums are formed in the order of the point operation (the same values).
inline void SumOfSquaresPoints(const long iN, const XelMathFunctionX* const* iF, const double* iC,
                               const double iOffset, const long iNb, const double* iX,
                               const long iOptions, double* oF, double* oF1, double* oF2) {
  using XelMathBatch::Chunk;
  const XelMathBatch::Asked asked(iOptions, oF, oF1, oF2);
  const int order = asked.Order();
  if (iNb < 1 || order < 0)
    return;
  if (HasNull(iN, iF)) {
    XelMathBatch::Fill(asked, iNb, XelMathInfinite, oF, oF1, oF2);
    return;
  }
  XelMathBatch::ForEachChunk(iNb, [&](const long iStart, const long iCount) {
    double h0[Chunk], h1[Chunk], h2[Chunk], d0[Chunk], d1[Chunk], d2[Chunk];
    for (long j = 0; j < iCount; j++)
      h0[j] = h1[j] = h2[j] = 0.0;
    for (long i = 0; i < iN; i++) {
      iF[i]->EvalPoints(iCount, iX + iStart, UpToOptions(order), d0, d1, d2);
      const double c = iC ? iC[i] : 0.0;
      for (long j = 0; j < iCount; j++) {
        const double r = iC ? d0[j] - c : d0[j];
        h0[j] += r * r;
        if (order >= 1)
          h1[j] += 2.0 * r * d1[j];
        if (order >= 2)
          h2[j] += 2.0 * (d1[j] * d1[j] + r * d2[j]);
      }
    }
    for (long j = 0; j < iCount; j++) {
      if (asked.f)
        oF[iStart + j] = h0[j] - iOffset;
      if (asked.f1)
        oF1[iStart + j] = h1[j];
      if (asked.f2)
        oF2[iStart + j] = h2[j];
    }
  });
}

/// Interval images of the same sum and of its derivatives up to iOrder over iI.
inline void SumOfSquaresOver(const long iN, const XelMathFunctionX* const* iF, const double* iC,
                             const XelMathInterval& iI, const int iOrder, XelMathInterval* oH) {
  for (int k = 0; k <= iOrder; k++)
    oH[k] = Zero();
  for (long i = 0; i < iN; i++) {
    XelMathInterval d[4];
    EvalUpTo(iF[i], iI, iOrder, d);
    const XelMathInterval r = iC ? Shift(d[0], -iC[i]) : d[0];
    oH[0] = Add(oH[0], square(r));
    if (iOrder >= 1)
      oH[1] = Add(oH[1], Scale(2.0, Mul(r, d[1])));
    if (iOrder >= 2)
      oH[2] = Add(oH[2], Scale(2.0, Add(square(d[1]), Mul(r, d[2]))));
    if (iOrder >= 3)
      oH[3] = Add(oH[3], Scale(2.0, Add(Scale(3.0, Mul(d[1], d[2])), Mul(r, d[3]))));
  }
}

/// Derivative of order iOrder (0..3) of the sum of squares minus iOffset at x; infinite when a
/// component is null.
inline double SumOfSquaresDerivativeAt(const long iN, const XelMathFunctionX* const* iF,
                                       const double* iC, const double iOffset, const double x,
                                       const int iOrder) {
  if (HasNull(iN, iF))
    return XelMathInfinite;
  double h[4];
  SumOfSquaresAt(iN, iF, iC, x, iOrder, h);
  return iOrder == 0 ? h[0] - iOffset : h[iOrder];
}

/// Interval image of the same derivative over iI; [0, 0] when a component is null.
inline XelMathInterval SumOfSquaresDerivativeOver(const long iN, const XelMathFunctionX* const* iF,
                                                  const double* iC, const double iOffset,
                                                  const XelMathInterval& iI, const int iOrder) {
  if (HasNull(iN, iF))
    return Zero();
  XelMathInterval h[4];
  SumOfSquaresOver(iN, iF, iC, iI, iOrder, h);
  return iOrder == 0 ? Shift(h[0], -iOffset) : h[iOrder];
}

/// Multi-output evaluation of the sum of squares minus iOffset at x (bits 1, 2, 4 of iOptions):
/// infinite values when a component is null.
inline void SumOfSquaresAsked(const long iN, const XelMathFunctionX* const* iF, const double* iC,
                              const double iOffset, const double x, const long iOptions, double* oF,
                              double* oF1, double* oF2) {
  EvalAsked(iOptions, 1, XelMathInfinite, oF, oF1, oF2, [&](const int iOrder, double* oH) {
    if (!HasNull(iN, iF)) {
      SumOfSquaresAt(iN, iF, iC, x, iOrder, oH);
      oH[0] -= iOffset;
    }
  });
}

/// The same over iI (bits 16, 32, 64 of iOptions): [0, 0] images when a component is null.
inline void SumOfSquaresAsked(const long iN, const XelMathFunctionX* const* iF, const double* iC,
                              const double iOffset, const XelMathInterval& iI, const long iOptions,
                              XelMathInterval* oF, XelMathInterval* oF1, XelMathInterval* oF2) {
  EvalAsked(iOptions, 16, XelMathInterval(), oF, oF1, oF2,
            [&](const int iOrder, XelMathInterval* oH) {
              if (!HasNull(iN, iF)) {
                SumOfSquaresOver(iN, iF, iC, iI, iOrder, oH);
                oH[0] = Shift(oH[0], -iOffset);
              }
            });
}

/// Whether every one of the iN components is there and evaluates what iOption and the rules
/// of differentiation need (no interval third derivative: bit 128).
inline unsigned char ComponentsAllow(const long iN, const XelMathFunctionX* const* iF,
                                     const long iOption) {
  if (iOption & XelMathOption::ThirdDerivImage)
    return 0;
  const long needed = DerivativeClosure(iOption);
  for (long i = 0; i < iN; i++)
    if (!iF[i] || !iF[i]->IsOption(needed))
      return 0;
  return 1;
}

/// Lists the iN components in oComponents (at most iSize of them) and returns iN.
inline int ListComponents(const long iN, const XelMathFunctionX* const* iF, const int iSize,
                          const XelMathFunctionGeneral** oComponents) {
  for (long i = 0; i < iN && i < iSize; i++)
    oComponents[i] = iF[i];
  return static_cast<int>(iN);
}

/// GetDirectComponents of a composite whose components are the iN functions of iArray (a
/// member: &_function for one, _functions for several).
#define XelMathDefineComponents(Class, iN, iArray)                                                 \
  int Class::GetDirectComponents(const int iSize, const XelMathFunctionGeneral** oComponents)      \
      const {                                                                                      \
    return XelMathComposite::ListComponents(iN, iArray, iSize, oComponents);                       \
  }                                                                                                \
  static_assert(true, #Class)

/// Deletes each of the iN functions once (a pointer given twice is deleted at its first
/// place only).
inline void DeleteOnce(const long iN, const XelMathFunctionX* const* iF) {
  for (long i = 0; i < iN; i++) {
    bool seen = false;
    for (long j = 0; j < i && !seen; j++)
      seen = iF[j] == iF[i];
    if (!seen)
      delete iF[i];
  }
}

/// Deep copies of the iN functions into oCopies, a function given several times being
/// copied once and shared (null stays null). When a copy raises, the copies already made are
/// deleted and the error goes on.
inline void DeepCopies(const long iN, const XelMathFunctionX* const* iF,
                       XelMathFunctionX** oCopies) {
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

/// The deep-copy pattern of the owning wrappers: deep copies of the iN functions (as
/// DeepCopies makes them, into oCopies) handed to the owner that iMakeOwner(oCopies) builds.
/// When a copy or the owner raises, the copies are deleted and the error goes on.
template <class MakeOwner>
inline XelMathFunctionX* OwnDeepCopies(const long iN, const XelMathFunctionX* const* iF,
                                       XelMathFunctionX** oCopies, MakeOwner iMakeOwner) {
  DeepCopies(iN, iF, oCopies);
  auto undo = XelMathMakeOnExit([&] { DeleteOnce(iN, oCopies); });
  XelMathFunctionX* owner = iMakeOwner(oCopies);
  undo.Dismiss();
  return owner;
}

/// A deep copy of iF (null stays null) handed to the owning wrapper iMakeOwner builds around
/// it; when that raises, the copy is deleted and the error goes on.
template <class MakeOwner>
inline XelMathFunctionX* WrapDeepCopy(const XelMathFunctionX* iF, MakeOwner iMakeOwner) {
  std::unique_ptr<XelMathFunctionX> copy(iF ? iF->DeepDuplicate() : nullptr);
  XelMathFunctionX* owner = iMakeOwner(copy.get());
  copy.release();
  return owner;
}

/// iF->Minimize(iDomain, oMinima, iAttributes) with the limit value of iLimitList (a
/// XelMathAttrDoubleValue) negated during the call: a bound on the values of a function is the
/// opposite bound on those of its opposite. The limit is restored, also when an error passes.
inline int MinimizeWithOppositeLimit(const XelMathFunctionX* iF, const XelMathInterval& iDomain,
                                     XelMathSetOfPointsND& oMinima,
                                     const XelMathAttrList* iLimitList,
                                     const XelMathAttrList* iAttributes) {
  XelMathAttrDoubleValue* limit = nullptr;
  if (iLimitList)
    limit =
        dynamic_cast<XelMathAttrDoubleValue*>(iLimitList->GetAttribute(AttrFunctionXLimitValue));
  if (limit)
    limit->SetValue(-limit->GetValue());
  const auto restore = XelMathMakeOnExit([limit] {
    if (limit)
      limit->SetValue(-limit->GetValue());
  });
  return iF->Minimize(iDomain, oMinima, iAttributes);
}

} // namespace XelMathComposite
