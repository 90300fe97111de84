#include "XelMathStreamImpl.h"

XelMathStreamImpl::~XelMathStreamImpl() = default;

int XelMathStreamImpl::IsDumpMode() const {
  return 0;
}

long XelMathStreamImpl::GetRemainingBytes() const {
  return -1;
}

void XelMathStreamImpl::RaiseStreamError(const char* iWhy, const char* iWhere, const char* iFile,
                                         long iLine) {
  XelMathRaiseInputError(0x20009, "XelMathStream", iWhy, iWhere, iFile, iLine);
}
