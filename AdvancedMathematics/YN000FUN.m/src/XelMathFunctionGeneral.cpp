#include "XelMathFunctionGeneral.h"

#include <cstring>
#include <vector>

#include "XelError.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelMathInternalGuards.h"
#include "XelMathStream.h"

namespace {
// The stream writers and readers of all functions live together; errors about streaming
// name that source.
const char* const StreamSource = "AdvancedMathematics/YN000FUN.m/src/XelMathFunctionStr.cpp";

// Components fetched on the stack up to this count, on the heap beyond.
const int LocalComponents = 5;
} // namespace

XelMathFunctionGeneral::~XelMathFunctionGeneral() = default;

bool XelMathFunctionGeneral::SameName(const char* iName, const char* iOwnName) {
  if (!iName || !iOwnName)
    return false;
  if (iName == iOwnName)
    return true;
  return iName[0] == iOwnName[0] && (iName[0] == '\0' || std::strcmp(iName + 1, iOwnName + 1) == 0);
}

unsigned char XelMathFunctionGeneral::IsAKindOf(const char* iName) const {
  if (!iName) {
    XelQuornull(__FILE__, __LINE__);
    return 0;
  }
  return SameName(iName, "XelMathFunctionGeneral") ? 1 : 0;
}

unsigned char XelMathFunctionGeneral::IsOption(const long) const {
  return 0;
}

int XelMathFunctionGeneral::GetDirectComponents(const int, const XelMathFunctionGeneral**) const {
  return -1;
}

short XelMathFunctionGeneral::GetStreamType() const {
  XelMathRaiseForbidden("GetStreamType", StreamSource, __LINE__);
}

void XelMathFunctionGeneral::Stream(XelMathStream&, const char*) const {
  XelMathRaiseForbidden("Stream", StreamSource, __LINE__);
}

unsigned char XelMathFunctionGeneral::_IsStreamable(const XelQuorStreamVersion,
                                                    unsigned char& oFlag) const {
  oFlag = 0;
  return 0;
}

unsigned char XelMathFunctionGeneral::IsStreamable(const XelQuorStreamVersion iVersion,
                                                   unsigned char& oFlag) const {
  const XelMathFunctionGeneral* local[LocalComponents] = {};
  const int n = GetDirectComponents(LocalComponents, local);
  if (n < 0)
    return 0;
  unsigned char ownFlag = 0;
  if (_IsStreamable(iVersion, ownFlag) != 1)
    return 0;
  oFlag = ownFlag;

  const XelMathFunctionGeneral** components = local;
  std::vector<const XelMathFunctionGeneral*> heap;
  if (n > LocalComponents) {
    heap.assign(static_cast<size_t>(n), nullptr);
    if (GetDirectComponents(n, heap.data()) != n) {
      XelQuornull(__FILE__, __LINE__);
      return 0;
    }
    components = heap.data();
  }
  for (int i = 0; i < n; ++i) {
    const XelMathFunctionGeneral* component = components[i];
    if (!component) {
      XelQuornull(__FILE__, __LINE__);
      return 0;
    }
    unsigned char componentFlag = 0;
    if (!component->IsStreamable(iVersion, componentFlag))
      return 0;
    if (!componentFlag)
      oFlag = 0;
  }
  return 1;
}
