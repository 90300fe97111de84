#include "XelMathStreamImpl.h"
#include "XelKernelInternalConstants.h"

XelMathStreamImpl::~XelMathStreamImpl() = default;

int XelMathStreamImpl::IsDumpMode() const {
  return 0;
}

long XelMathStreamImpl::GetRemainingBytes() const {
  return -1;
}

void XelMathStreamImpl::RaiseStreamError(const char* iWhy, const char* iWhere, const char* iFile,
                                         long iLine) {
  XelMathRaiseInputError(XelErrorCode::Forbidden, "XelMathStream", iWhy, iWhere, iFile, iLine);
}
