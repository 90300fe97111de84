#include "XelMathMemoryStream.h"

XelMathMemoryStream::XelMathMemoryStream(XelQuorStreamVersion iVersion) : _binary(iVersion) {
  SetImpl(&_binary);
}

XelMathMemoryStream::XelMathMemoryStream(const std::vector<unsigned char>& iBytes)
    : _binary(iBytes) {
  SetImpl(&_binary);
}

XelMathMemoryStream::~XelMathMemoryStream() {
  SetImpl(nullptr);
}
