#include "XelMathAttrLongArray.h"

#include <cstring>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

long* XelMathAttrLongArray::Copy(const long* iTab, long iCount, long& oCount, const char* iWhere) {
  oCount = 0;
  if (!iTab || iCount <= 0)
    return nullptr;
  if (iCount > XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the number of integers",
                 "Invalid Number Of Points", iWhere);
  long* copy = static_cast<long*>(xelquornew(sizeof(long) * static_cast<std::size_t>(iCount)));
  std::memcpy(copy, iTab, sizeof(long) * static_cast<std::size_t>(iCount));
  oCount = iCount;
  return copy;
}

void XelMathAttrLongArray::Free(long* iTab, long iCount) {
  if (iTab)
    xelquordel(iTab, sizeof(long) * static_cast<std::size_t>(iCount));
}

void XelMathAttrLongArray::Assign(long*& ioTab, long& ioCount, const long* iTab, long iCount,
                                  const char* iWhere) {
  long count = 0;
  long* tab = Copy(iTab, iCount, count, iWhere);
  Free(ioTab, ioCount);
  ioTab = tab;
  ioCount = count;
}
