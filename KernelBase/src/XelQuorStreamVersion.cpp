#include "XelQuorStreamVersion.h"

bool XelQuorStreamIsStrictlyOlderThan(const XelQuorStreamVersion iA, const XelQuorStreamVersion iB) {
  return iA < iB;
}
