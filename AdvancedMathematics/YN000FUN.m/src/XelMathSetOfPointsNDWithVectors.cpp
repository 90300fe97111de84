#include "XelMathSetOfPointsNDWithVectors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathSetOfPointsNDInternal.h"
#include "XelMathStream.h"
#include "XelQuorMemory.h"

namespace {
const char* const ClassName = "XelMathSetOfPointsNDWithVectors";

// One vector per reserved point, once the dimension and the capacity are known valid.
long VectorsSize(long iDimension, long iCapacity) {
  const char* where = "XelMathSetOfPointsNDWithVectors::XelMathSetOfPointsNDWithVectors";
  XelMathPointSetCheckDimension(iDimension, where);
  XelMathPointSetCheckCount(iDimension, iCapacity, where);
  return iCapacity > 0 ? iCapacity * iDimension : 0;
}
} // namespace

XelMathSetOfPointsNDWithVectors::XelMathSetOfPointsNDWithVectors(const long iDimension,
                                                                 const long iCapacity)
    : XelMathSetOfPointsNDTwoTangents(iDimension, iCapacity, VectorsSize(iDimension, iCapacity)) {}

XelMathSetOfPointsNDWithVectors::XelMathSetOfPointsNDWithVectors(
    const XelMathSetOfPointsNDWithVectors& iOther)
    : XelMathSetOfPointsNDTwoTangents(iOther._dimension, iOther._nbPoints,
                                      iOther._nbPoints * iOther._dimension) {
  XelMathSetOfPointsND::operator=(iOther);
  if (_nbPoints > 0)
    std::memcpy(_tangents, iOther._tangents,
                sizeof(double) * static_cast<size_t>(_nbPoints * _dimension));
}

XelMathSetOfPointsNDWithVectors::~XelMathSetOfPointsNDWithVectors() = default;

XelMathSetOfPointsND&
XelMathSetOfPointsNDWithVectors::operator=(const XelMathSetOfPointsND& iOther) {
  if (this == &iOther)
    return *this;
  XelMathSetOfPointsND::operator=(iOther);
  if (_nbPoints > 0) {
    const auto* other = dynamic_cast<const XelMathSetOfPointsNDWithVectors*>(&iOther);
    if (other)
      std::memcpy(_tangents, other->_tangents,
                  sizeof(double) * static_cast<size_t>(_nbPoints * _dimension));
    else
      std::memset(_tangents, 0, sizeof(double) * static_cast<size_t>(_nbPoints * _dimension));
  }
  return *this;
}

XelMathSetOfPointsNDWithVectors&
XelMathSetOfPointsNDWithVectors::operator=(const XelMathSetOfPointsNDWithVectors& iOther) {
  operator=(static_cast<const XelMathSetOfPointsND&>(iOther));
  return *this;
}

XelMathDefinePointSetIdentity(XelMathSetOfPointsNDWithVectors, XelMathSetOfPointsNDTwoTangents);

// ---- storage ------------------------------------------------------------------------------

void XelMathSetOfPointsNDWithVectors::SetCapacity(const long iCapacity) {
  long capacity = std::max(0L, iCapacity);
  XelMathPointSetCheckCount(_dimension, capacity, "XelMathSetOfPointsND::SetCapacity");
  long kept = std::min(_nbPoints, capacity);
  long size = capacity * _dimension;
  double* vectors = size > 0 ? XelQuorArrayDoubleNew(size) : nullptr;
  if (size > 0) {
    if (kept > 0)
      std::memcpy(vectors, _tangents, sizeof(double) * static_cast<size_t>(kept * _dimension));
    std::memset(vectors + kept * _dimension, 0,
                sizeof(double) * static_cast<size_t>((capacity - kept) * _dimension));
  }
  {
    // The new vectors are released when growing the points raises.
    auto release = XelMathMakeOnExit([vectors, size] {
      if (vectors)
        XelQuorArrayDoubleDel(vectors, size);
    });
    XelMathSetOfPointsND::SetCapacity(capacity);
    release.Dismiss();
  }
  if (_tangents)
    XelQuorArrayDoubleDel(_tangents, _tangentsSize);
  _tangents = vectors;
  _tangentsSize = size;
}

void XelMathSetOfPointsNDWithVectors::KeepPoints(const unsigned char* iKeep) {
  XelMathCompactRows(_tangents, _nbPoints, _dimension, iKeep);
  XelMathSetOfPointsND::KeepPoints(iKeep);
}

void XelMathSetOfPointsNDWithVectors::Reset() {
  XelMathSetOfPointsND::Reset();
}

// ---- adding and removing ------------------------------------------------------------------

void XelMathSetOfPointsNDWithVectors::AddPointWithVector(const double* p, const double* v) {
  // v may lie in the storage that growing releases.
  XelMathPointBuffer vector(_dimension);
  XelMathPointSetCopyVector(vector.Data(), v, _dimension);
  XelMathSetOfPointsND::AddPoint(p);
  std::memcpy(VectorAt(_nbPoints - 1), vector.Data(),
              sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsNDWithVectors::AddPoint(const double* p) {
  AddPointWithVector(p, nullptr);
}

int XelMathSetOfPointsNDWithVectors::AddNewPointWithVector(const double* p, const double* v,
                                                           const double iTol) {
  XelMathPointSetCheckPoint(p, "XelMathSetOfPointsNDWithVectors::AddNewPointWithVector");
  if (_nbPoints > 0) {
    const double* last = At(_nbPoints - 1);
    bool differs = false;
    for (long k = 0; k < _dimension && !differs; k++)
      differs = std::fabs(p[k] - last[k]) >= iTol;
    if (!differs) {
      if (_nbPoints > 1) {
        std::memmove(At(_nbPoints - 1), p, sizeof(double) * static_cast<size_t>(_dimension));
        XelMathPointSetCopyVector(VectorAt(_nbPoints - 1), v, _dimension);
      }
      return 0;
    }
  }
  AddPointWithVector(p, v);
  return 1;
}

void XelMathSetOfPointsNDWithVectors::InsertPointWithVector(const double* p, const double* v,
                                                            const long i) {
  if (i < 0 || i > _nbPoints)
    XelMathRaiseTexts(
        XelErrorCode::Forbidden, 2, "XelMathSetOfPointsNDWithVectors::InsertPointWithVector",
        "with an index between 0 and the set number of points", nullptr, __FILE__, __LINE__);
  if (i == _nbPoints) {
    AddPointWithVector(p, v);
    return;
  }
  XelMathPointBuffer vector(_dimension);
  XelMathPointSetCopyVector(vector.Data(), v, _dimension);
  InsertRaw(p, i);
  // Points i.. moved up one place: their vectors follow.
  std::memmove(VectorAt(i + 1), VectorAt(i),
               sizeof(double) * static_cast<size_t>((_nbPoints - 1 - i) * _dimension));
  std::memcpy(VectorAt(i), vector.Data(), sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsNDWithVectors::InsertPoint(const double* p, const long i) {
  if (i < 0 || i > _nbPoints)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2, "XelMathSetOfPointsNDWithVectors::InsertPoint",
                      "with an index between 0 and the set number of points", nullptr, __FILE__,
                      __LINE__);
  InsertPointWithVector(p, nullptr, i);
}

void XelMathSetOfPointsNDWithVectors::RemovePoint(const long i) {
  CheckRemoveIndex(i, "XelMathSetOfPointsND::RemovePoint");
  std::memmove(VectorAt(i), VectorAt(i + 1),
               sizeof(double) * static_cast<size_t>((_nbPoints - i - 1) * _dimension));
  XelMathSetOfPointsND::RemovePoint(i);
}

void XelMathSetOfPointsNDWithVectors::AddSet(const XelMathSetOfPointsND& iOther,
                                             const int iSkipFirst) {
  if (&iOther == this) {
    XelMathSetOfPointsNDWithVectors copy(*this);
    AddSet(copy, iSkipFirst);
    return;
  }
  long before = _nbPoints;
  XelMathSetOfPointsND::AddSet(iOther, iSkipFirst);
  long added = _nbPoints - before;
  if (added <= 0)
    return;
  const auto* other = dynamic_cast<const XelMathSetOfPointsNDWithVectors*>(&iOther);
  if (other)
    std::memcpy(VectorAt(before), other->VectorAt(iSkipFirst ? 1 : 0),
                sizeof(double) * static_cast<size_t>(added * _dimension));
  else
    std::memset(VectorAt(before), 0, sizeof(double) * static_cast<size_t>(added * _dimension));
}

void XelMathSetOfPointsNDWithVectors::Split(const long i, XelMathSetOfPointsND& oOther,
                                            const int iKeepSplitPoint, const double) {
  if (&oOther == this)
    return;
  long first, count;
  SplitPoints(i, oOther, iKeepSplitPoint, first, count);
  if (count <= 0)
    return;
  // The moved points' vectors are still in place beyond the points kept here.
  if (auto* other = dynamic_cast<XelMathSetOfPointsNDWithVectors*>(&oOther)) {
    std::memcpy(other->VectorAt(0), VectorAt(first),
                sizeof(double) * static_cast<size_t>(count * _dimension));
  } else if (auto* two = dynamic_cast<XelMathSetOfPointsNDTwoTangents*>(&oOther)) {
    two->SetFirstTangent(VectorAt(first));
    two->SetLastTangent(VectorAt(first + count - 1));
  }
  Pack();
}

// ---- reordering -----------------------------------------------------------------------------

void XelMathSetOfPointsNDWithVectors::SwapPoints(const long i, const long j) {
  XelMathSetOfPointsND::SwapPoints(i, j);
  double* a = VectorAt(i);
  double* b = VectorAt(j);
  for (long k = 0; k < _dimension && i != j; k++)
    std::swap(a[k], b[k]);
}

void XelMathSetOfPointsNDWithVectors::AutoInvert() {
  for (long i = 0, j = _nbPoints - 1; i < j; i++, j--)
    SwapPoints(i, j);
}

void XelMathSetOfPointsNDWithVectors::Invert(XelMathSetOfPointsND& oOther) const {
  if (&oOther == this) {
    const_cast<XelMathSetOfPointsNDWithVectors*>(this)->AutoInvert();
    return;
  }
  XelMathSetOfPointsND::Invert(oOther);
  if (_nbPoints <= 0)
    return;
  if (auto* other = dynamic_cast<XelMathSetOfPointsNDWithVectors*>(&oOther)) {
    for (long i = 0; i < _nbPoints; i++)
      std::memcpy(other->VectorAt(i), VectorAt(_nbPoints - 1 - i),
                  sizeof(double) * static_cast<size_t>(_dimension));
  } else if (auto* two = dynamic_cast<XelMathSetOfPointsNDTwoTangents*>(&oOther)) {
    two->SetFirstTangent(VectorAt(_nbPoints - 1));
    two->SetLastTangent(VectorAt(0));
  }
}

// ---- access ---------------------------------------------------------------------------------

void XelMathSetOfPointsNDWithVectors::GetVector(double* oV) const {
  if (_cursor < 1 || _cursor > _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "GetVector", nullptr, __FILE__,
                      __LINE__);
  std::memcpy(oV, VectorAt(_cursor - 1), sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsNDWithVectors::GetVector(const long i, double* oV) const {
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "GetVector", nullptr, __FILE__,
                      __LINE__);
  std::memcpy(oV, VectorAt(i), sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsNDWithVectors::GetPointWithVector(const long i, double* oP,
                                                         double* oV) const {
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "GetPointWithVector", nullptr,
                      __FILE__, __LINE__);
  std::memcpy(oP, At(i), sizeof(double) * static_cast<size_t>(_dimension));
  std::memcpy(oV, VectorAt(i), sizeof(double) * static_cast<size_t>(_dimension));
}

void XelMathSetOfPointsNDWithVectors::ReplaceVector(const double* v) {
  if (_cursor < 1 || _cursor > _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "ReplaceVector", nullptr, __FILE__,
                      __LINE__);
  XelMathPointSetCopyVector(VectorAt(_cursor - 1), v, _dimension);
}

void XelMathSetOfPointsNDWithVectors::ReplaceVector(const long i, const double* v) {
  if (i < 0 || i >= _nbPoints)
    XelMathRaiseTexts(XelErrorCode::NotOnElement, 2, "Next", "ReplaceVector", nullptr, __FILE__,
                      __LINE__);
  XelMathPointSetCopyVector(VectorAt(i), v, _dimension);
}

double* XelMathSetOfPointsNDWithVectors::GetFirstTangent() {
  return _nbPoints > 0 ? VectorAt(0) : nullptr;
}
const double* XelMathSetOfPointsNDWithVectors::GetFirstTangent() const {
  return _nbPoints > 0 ? VectorAt(0) : nullptr;
}
double* XelMathSetOfPointsNDWithVectors::GetLastTangent() {
  return _nbPoints > 0 ? VectorAt(_nbPoints - 1) : nullptr;
}
const double* XelMathSetOfPointsNDWithVectors::GetLastTangent() const {
  return _nbPoints > 0 ? VectorAt(_nbPoints - 1) : nullptr;
}
void XelMathSetOfPointsNDWithVectors::SetFirstTangent(const double* iTangent) {
  if (_nbPoints <= 0)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2,
                      "XelMathSetOfPointsNDWithVectors::SetFirstTangent", "on a non empty set",
                      nullptr, __FILE__, __LINE__);
  XelMathPointSetCopyVector(VectorAt(0), iTangent, _dimension);
}
void XelMathSetOfPointsNDWithVectors::SetLastTangent(const double* iTangent) {
  if (_nbPoints <= 0)
    XelMathRaiseTexts(XelErrorCode::Forbidden, 2, "XelMathSetOfPointsNDWithVectors::SetLastTangent",
                      "on a non empty set", nullptr, __FILE__, __LINE__);
  XelMathPointSetCopyVector(VectorAt(_nbPoints - 1), iTangent, _dimension);
}

// ---- tangents and stream ----------------------------------------------------------------------

void XelMathSetOfPointsNDWithVectors::ComputeTangents(
    XelMathSetOfPointsND& oTangents, const XelMathSetOfPointsND* iParameters) const {
  if (&oTangents == this) {
    XelMathSetOfPointsND result(_dimension, _nbPoints);
    ComputeTangents(result, iParameters);
    oTangents.ReplacePoints(result.GetNumberOfPoints(), result.GetPoints());
    return;
  }
  XelMathSetOfPointsND::ComputeTangents(oTangents, iParameters);
  for (long i = 0; i < _nbPoints; i++)
    if (!IsZeroVector(VectorAt(i)))
      oTangents.ReplacePoint(i, VectorAt(i));
}

void XelMathSetOfPointsNDWithVectors::Stream(XelMathStream& ioStream, const char*) const {
  XelMathStreamPointSet(ioStream, ClassName, [&] {
    StreamPoints(ioStream);
    ioStream.WriteDoubleByAddress(_tangents, _nbPoints * _dimension, "Vectors");
  });
}

void XelMathSetOfPointsNDWithVectors::UnStream(XelMathStream& ioStream,
                                               XelMathSetOfPointsNDWithVectors*& oSet,
                                               const char*) {
  oSet = nullptr;
  XelMathSetOfPointsND* read = UnStreamPoints(
      ioStream,
      [](long N, long n) -> XelMathSetOfPointsND* {
        return new XelMathSetOfPointsNDWithVectors(N, n);
      },
      "XelMathSetOfPointsNDWithVectors::UnStream", 0, 1);
  oSet = XelMathUnStreamRest<XelMathSetOfPointsNDWithVectors>(
      read, [&](XelMathSetOfPointsNDWithVectors& ioSet) {
        const long count = ioSet._nbPoints * ioSet._dimension;
        ioStream.ReadDouble(count > 0 ? ioSet._tangents : nullptr, count, "Vectors");
      });
}
