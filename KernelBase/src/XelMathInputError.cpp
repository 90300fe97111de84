#include "XelMathInputError.h"

#include "XelKernelInternalConstants.h"
#include <string>

const char* XelMathInputError::ClassName() const {
  return "XelMathInputError";
}
void XelMathInputError::Raise() const {
  throw *this;
}

const char* XelResourceError::ClassName() const {
  return "XelResourceError";
}
void XelResourceError::Raise() const {
  throw *this;
}

XelQuorNoMoreMemoryError::XelQuorNoMoreMemoryError(long iSize)
    : XelError(XelErrorCode::NoMoreMemory), _size(iSize) {
  std::string size = std::to_string(iSize);
  SetParameters(2, "no more memory", size.c_str());
}
const char* XelQuorNoMoreMemoryError::ClassName() const {
  return "XelQuorNoMoreMemoryError";
}
void XelQuorNoMoreMemoryError::Raise() const {
  throw *this;
}

void XelMathRaiseInputError(long iCode, const char* iWhat, const char* iWhy, const char* iWhere,
                            const char* iFile, long iLine) {
  XelMathInputError* error = new XelMathInputError(iCode);
  error->SetParameters(3, iWhat, iWhy, iWhere);
  XelQuorThrowFunction(error, iFile, iLine);
}
