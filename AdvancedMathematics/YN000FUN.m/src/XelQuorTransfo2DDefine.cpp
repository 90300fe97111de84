// XelQuorTransfo2DDefine: only the destructor lives here.
#include "XelQuorTransfo2DDefine.h"

XelQuorTransfo2DDefine::~XelQuorTransfo2DDefine() = default;
