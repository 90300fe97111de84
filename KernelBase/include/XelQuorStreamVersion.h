#pragma once
// Version of stored data. Versions are integers that grow with each format change
// (1005, 1006, 1012 mark the layouts of function records).
#include "XelKernelBaseExport.h"

typedef long XelQuorStreamVersion;

/// Whether version iA is strictly older than version iB.
XELKERNELBASE_EXPORT bool XelQuorStreamIsStrictlyOlderThan(const XelQuorStreamVersion iA,
                                                           const XelQuorStreamVersion iB);
