#include "XelMathAttrName.h"

#include <cstring>

#include "XelQuorMemory.h"

char* XelMathAttrName::Copy(const char* iName) {
  if (!iName)
    return nullptr;
  const long length = static_cast<long>(std::strlen(iName)) + 1;
  char* copy = reinterpret_cast<char*>(XelQuorArrayBytesNew(length));
  std::memcpy(copy, iName, static_cast<std::size_t>(length));
  return copy;
}

void XelMathAttrName::Free(char* iName) {
  if (!iName)
    return;
  XelQuorArrayBytesDel(reinterpret_cast<unsigned char*>(iName),
                       static_cast<long>(std::strlen(iName)) + 1);
}

void XelMathAttrName::Assign(char*& ioName, const char* iName) {
  char* copy = Copy(iName);
  Free(ioName);
  ioName = copy;
}

bool XelMathAttrName::SameKey(const char* iKey1, const char* iKey2) {
  if (iKey1 == iKey2)
    return true;
  if (!iKey1 || !iKey2)
    return false;
  return std::strcmp(iKey1, iKey2) == 0;
}
