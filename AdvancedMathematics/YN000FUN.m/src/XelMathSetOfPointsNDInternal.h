#pragma once
// Helpers shared by the sources of the point-set classes (not exported).
#include <cstddef>
#include <cstring>
#include <memory>

#include "XelMathInternalGuards.h"
#include "XelMathScratch.h"
#include "XelMathStream.h"
#include "XelQuorMemory.h"

class XelMathSetOfPointsND;

/// IsA and IsAKindOf of a point-set class derived from Base, named by the ClassName of its
/// source file; its use takes a semicolon.
#define XelMathDefinePointSetIdentity(Class, Base)                                                 \
  const char* Class::IsA() const {                                                                 \
    return ClassName;                                                                              \
  }                                                                                                \
  unsigned char Class::IsAKindOf(const char* iName) const {                                        \
    return (iName && std::strcmp(iName, ClassName) == 0) || Base::IsAKindOf(iName);                \
  }                                                                                                \
  static_assert(true, #Class)

/// Raises 0x20006 ("Dimension not valid") for a dimension below 1 or too large for the
/// memory services to hold the two tangents (2N doubles); iWhere names the constructor.
void XelMathPointSetCheckDimension(long iDimension, const char* iWhere);
/// Raises 0x20004 ("Invalid Number Of Points", iWhere) when iCount points of iDimension
/// coordinates (a valid dimension) exceed the largest array of doubles; the product
/// iCount * iDimension is then safe to form.
void XelMathPointSetCheckCount(long iDimension, long iCount, const char* iWhere);

/// Raises 0x20006 ("the point", "null", iWhere) for a null point given to be stored.
void XelMathPointSetCheckPoint(const double* p, const char* iWhere);
/// Copies the iDimension coordinates of a tangent or vector iV into oV (they may overlap); a
/// null iV gives the zero vector, as for a point added without its vector.
void XelMathPointSetCopyVector(double* oV, const double* iV, long iDimension);

/// Room for iCount doubles: a local buffer of 64, the memory services beyond.
using XelMathPointBuffer = XelMathScratchDoubles<64>;

/// One flag per point, all set to 1 at construction.
class XelMathKeepFlags {
public:
  explicit XelMathKeepFlags(long iCount);
  ~XelMathKeepFlags();
  XelMathKeepFlags(const XelMathKeepFlags&) = delete;
  XelMathKeepFlags& operator=(const XelMathKeepFlags&) = delete;
  unsigned char* Data() { return _flags; }

private:
  long _count;
  unsigned char* _flags;
};

/// Moves the rows of iStride doubles whose flag in iKeep is set to the front of ioRows (in
/// order) and returns their number: the compaction of a point array and of its companions.
inline long XelMathCompactRows(double* ioRows, const long iCount, const long iStride,
                               const unsigned char* iKeep) {
  long kept = 0;
  for (long i = 0; i < iCount; i++)
    if (iKeep[i]) {
      if (kept != i)
        std::memcpy(ioRows + kept * iStride, ioRows + i * iStride,
                    sizeof(double) * static_cast<std::size_t>(iStride));
      kept++;
    }
  return kept;
}

/// Writes a point set between the dump comments of its class iClassName (dump mode only):
/// iWrite writes the points and what follows them. Nothing without a stream implementation.
template <class Write>
void XelMathStreamPointSet(XelMathStream& ioStream, const char* iClassName, Write iWrite) {
  if (!ioStream.GetImpl())
    return;
  const int dump = ioStream.IsDumpMode();
  if (dump)
    ioStream.DumpCommentBegin(iClassName);
  iWrite();
  if (dump)
    ioStream.DumpCommentEnd(iClassName);
}

/// Reads with iReadRest what follows the points of a set of class Set just read (iRead);
/// the set is deleted when that raises, and the error goes on.
template <class Set, class ReadRest>
Set* XelMathUnStreamRest(XelMathSetOfPointsND* iRead, ReadRest iReadRest) {
  std::unique_ptr<Set> set(static_cast<Set*>(iRead));
  iReadRest(*set);
  return set.release();
}
