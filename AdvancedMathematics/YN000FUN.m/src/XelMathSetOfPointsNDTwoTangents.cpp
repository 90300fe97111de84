#include "XelMathSetOfPointsNDTwoTangents.h"

#include <algorithm>
#include <cstring>

#include "XelMathSetOfPointsNDInternal.h"
#include "XelMathStream.h"
#include "XelQuorMemory.h"

namespace {
const char* const ClassName = "XelMathSetOfPointsNDTwoTangents";

// 2N, once N is known to be a valid dimension.
long TangentsSize(long iDimension) {
  XelMathPointSetCheckDimension(iDimension,
                                "XelMathSetOfPointsNDTwoTangents::XelMathSetOfPointsNDTwoTangents");
  return 2 * iDimension;
}
} // namespace

XelMathSetOfPointsNDTwoTangents::XelMathSetOfPointsNDTwoTangents(const long iDimension,
                                                                 const long iCapacity)
    : XelMathSetOfPointsNDTwoTangents(iDimension, iCapacity, TangentsSize(iDimension)) {}

XelMathSetOfPointsNDTwoTangents::XelMathSetOfPointsNDTwoTangents(const long iDimension,
                                                                 const long iCapacity,
                                                                 const long iTangentsSize)
    : XelMathSetOfPointsND(iDimension, iCapacity), _tangents(nullptr), _tangentsSize(0) {
  ReallocateTangents(iTangentsSize);
}

XelMathSetOfPointsNDTwoTangents::XelMathSetOfPointsNDTwoTangents(
    const XelMathSetOfPointsNDTwoTangents& iOther)
    : XelMathSetOfPointsND(iOther), _tangents(nullptr), _tangentsSize(0) {
  ReallocateTangents(2 * _dimension);
  std::memcpy(_tangents, iOther._tangents, sizeof(double) * static_cast<size_t>(2 * _dimension));
}

XelMathSetOfPointsNDTwoTangents::~XelMathSetOfPointsNDTwoTangents() {
  if (_tangents)
    XelQuorArrayDoubleDel(_tangents, _tangentsSize);
}

void XelMathSetOfPointsNDTwoTangents::ReallocateTangents(const long iSize) {
  double* tangents = iSize > 0 ? XelQuorArrayDoubleNew(iSize) : nullptr;
  if (tangents)
    std::memset(tangents, 0, sizeof(double) * static_cast<size_t>(iSize));
  if (_tangents)
    XelQuorArrayDoubleDel(_tangents, _tangentsSize);
  _tangents = tangents;
  _tangentsSize = iSize > 0 ? iSize : 0;
}

bool XelMathSetOfPointsNDTwoTangents::IsZeroVector(const double* iVector) const {
  if (!iVector)
    return true;
  for (long k = 0; k < _dimension; k++)
    if (iVector[k] != 0.0)
      return false;
  return true;
}

XelMathSetOfPointsND&
XelMathSetOfPointsNDTwoTangents::operator=(const XelMathSetOfPointsND& iOther) {
  if (this == &iOther)
    return *this;
  XelMathSetOfPointsND::operator=(iOther);
  if (_tangentsSize != 2 * _dimension)
    ReallocateTangents(2 * _dimension);
  std::memset(_tangents, 0, sizeof(double) * static_cast<size_t>(2 * _dimension));
  if (const auto* other = dynamic_cast<const XelMathSetOfPointsNDTwoTangents*>(&iOther)) {
    if (const double* first = other->GetFirstTangent())
      std::memcpy(_tangents, first, sizeof(double) * static_cast<size_t>(_dimension));
    if (const double* last = other->GetLastTangent())
      std::memcpy(_tangents + _dimension, last, sizeof(double) * static_cast<size_t>(_dimension));
  }
  return *this;
}

XelMathSetOfPointsNDTwoTangents&
XelMathSetOfPointsNDTwoTangents::operator=(const XelMathSetOfPointsNDTwoTangents& iOther) {
  operator=(static_cast<const XelMathSetOfPointsND&>(iOther));
  return *this;
}

long XelMathSetOfPointsNDTwoTangents::GetDynamicMemoryBytes() const {
  return XelMathSetOfPointsND::GetDynamicMemoryBytes() +
         static_cast<long>(sizeof(double)) * _tangentsSize;
}
long XelMathSetOfPointsNDTwoTangents::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(XelMathSetOfPointsNDTwoTangents));
}

XelMathDefinePointSetIdentity(XelMathSetOfPointsNDTwoTangents, XelMathSetOfPointsND);

double* XelMathSetOfPointsNDTwoTangents::GetFirstTangent() {
  return _tangents;
}
const double* XelMathSetOfPointsNDTwoTangents::GetFirstTangent() const {
  return _tangents;
}
double* XelMathSetOfPointsNDTwoTangents::GetLastTangent() {
  return _tangents + _dimension;
}
const double* XelMathSetOfPointsNDTwoTangents::GetLastTangent() const {
  return _tangents + _dimension;
}
void XelMathSetOfPointsNDTwoTangents::SetFirstTangent(const double* iTangent) {
  XelMathPointSetCopyVector(_tangents, iTangent, _dimension);
}
void XelMathSetOfPointsNDTwoTangents::SetLastTangent(const double* iTangent) {
  XelMathPointSetCopyVector(_tangents + _dimension, iTangent, _dimension);
}

void XelMathSetOfPointsNDTwoTangents::Reset() {
  XelMathSetOfPointsND::Reset();
  std::memset(_tangents, 0, sizeof(double) * static_cast<size_t>(2 * _dimension));
}

void XelMathSetOfPointsNDTwoTangents::Invert(XelMathSetOfPointsND& oOther) const {
  if (&oOther == this) {
    const_cast<XelMathSetOfPointsNDTwoTangents*>(this)->AutoInvert();
    return;
  }
  XelMathSetOfPointsND::Invert(oOther);
  if (auto* other = dynamic_cast<XelMathSetOfPointsNDTwoTangents*>(&oOther)) {
    if (other->_nbPoints > 0 || !other->IsAKindOf("XelMathSetOfPointsNDWithVectors")) {
      other->SetFirstTangent(GetLastTangent());
      other->SetLastTangent(GetFirstTangent());
    }
  }
}

void XelMathSetOfPointsNDTwoTangents::AutoInvert() {
  XelMathSetOfPointsND::AutoInvert();
  for (long k = 0; k < _dimension; k++)
    std::swap(_tangents[k], _tangents[_dimension + k]);
}

void XelMathSetOfPointsNDTwoTangents::Split(const long i, XelMathSetOfPointsND& oOther,
                                            const int iKeepSplitPoint, const double) {
  long first, count;
  // The last tangent is read before the split: oOther may be a set with vectors whose
  // storage the split reshapes.
  XelMathPointBuffer last(_dimension);
  std::memcpy(last.Data(), GetLastTangent(), sizeof(double) * static_cast<size_t>(_dimension));
  SplitPoints(i, oOther, iKeepSplitPoint, first, count);
  if (count <= 0)
    return;
  if (auto* other = dynamic_cast<XelMathSetOfPointsNDTwoTangents*>(&oOther))
    other->SetLastTangent(last.Data());
  std::memset(_tangents + _dimension, 0, sizeof(double) * static_cast<size_t>(_dimension));
  Pack();
}

void XelMathSetOfPointsNDTwoTangents::AddSet(const XelMathSetOfPointsND& iOther,
                                             const int iSkipFirst) {
  long before = _nbPoints;
  XelMathSetOfPointsND::AddSet(iOther, iSkipFirst);
  if (_nbPoints == before || &iOther == this)
    return;
  if (const auto* other = dynamic_cast<const XelMathSetOfPointsNDTwoTangents*>(&iOther)) {
    if (const double* last = other->GetLastTangent())
      SetLastTangent(last);
    const double* firstTangent = other->GetFirstTangent();
    if (before == 0 && !iSkipFirst && firstTangent)
      SetFirstTangent(firstTangent);
  }
}

void XelMathSetOfPointsNDTwoTangents::ComputeTangents(
    XelMathSetOfPointsND& oTangents, const XelMathSetOfPointsND* iParameters) const {
  XelMathSetOfPointsND::ComputeTangents(oTangents, iParameters);
  const double* first = GetFirstTangent();
  const double* last = GetLastTangent();
  if (!IsZeroVector(first))
    oTangents.ReplacePoint(0, first);
  if (!IsZeroVector(last))
    oTangents.ReplacePoint(_nbPoints - 1, last);
}

void XelMathSetOfPointsNDTwoTangents::Stream(XelMathStream& ioStream, const char*) const {
  XelMathStreamPointSet(ioStream, ClassName, [&] {
    StreamPoints(ioStream);
    ioStream.WriteDoubleByAddress(_tangents, 2 * _dimension, "Tangents");
  });
}

void XelMathSetOfPointsNDTwoTangents::UnStream(XelMathStream& ioStream,
                                               XelMathSetOfPointsNDTwoTangents*& oSet,
                                               const char*) {
  oSet = nullptr;
  XelMathSetOfPointsND* read = UnStreamPoints(
      ioStream,
      [](long N, long n) -> XelMathSetOfPointsND* {
        return new XelMathSetOfPointsNDTwoTangents(N, n);
      },
      "XelMathSetOfPointsNDTwoTangents::UnStream", 2, 0);
  oSet = XelMathUnStreamRest<XelMathSetOfPointsNDTwoTangents>(
      read, [&](XelMathSetOfPointsNDTwoTangents& ioSet) {
        ioStream.ReadDouble(ioSet._tangents, 2 * ioSet._dimension, "Tangents");
      });
}
