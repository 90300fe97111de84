// The plane transformation interface: only the class identity lives here.
#include "XelQuorTransfo2D.h"

#include <cstring>

XelQuorTransfo2D::~XelQuorTransfo2D() = default;

unsigned char XelQuorTransfo2D::IsAKindOf(const char* iName) const {
  if (!iName)
    return 0;
  if (!std::strcmp(iName, "XelQuorTransfo2D"))
    return 1;
  const char* own = IsA();
  return (own && !std::strcmp(iName, own)) ? 1 : 0;
}
