// Fuzz target of the point-set readers. The input is a stream (header included) read by the
// reader of each kind of set in turn. A reader either raises a coded error or returns a set
// that writes back exactly the bytes it read.
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "XelMathInputError.h"
#include "XelMathMemoryStream.h"
#include "XelMathSetOfPointsND.h"
#include "XelMathSetOfPointsNDTwoTangents.h"
#include "XelMathSetOfPointsNDWithVectors.h"

namespace {

void ReadAndWriteBack(const std::vector<unsigned char>& iBytes,
                      const std::function<XelMathSetOfPointsND*(XelMathStream&)>& iRead) {
  std::unique_ptr<XelMathSetOfPointsND> set;
  long consumed = 0;
  XelQuorStreamVersion version = 0;
  try {
    XelMathMemoryStream in(iBytes);
    version = in.GetVersionNumber();
    set.reset(iRead(in));
    consumed = static_cast<long>(iBytes.size()) - in.GetRemainingBytes();
  } catch (const XelMathInputError& error) {
    if (error.GetCode() < 0x20001 || error.GetCode() > 0x2000e)
      __builtin_trap();
    return;
  }
  if (!set)
    return;
  XelMathMemoryStream out(version);
  set->Stream(out, "");
  const std::vector<unsigned char>& written = out.GetBuffer();
  if (static_cast<long>(written.size()) != consumed ||
      !std::equal(written.begin(), written.end(), iBytes.begin()))
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  const std::vector<unsigned char> bytes(iData, iData + iSize);
  ReadAndWriteBack(bytes, [](XelMathStream& s) {
    XelMathSetOfPointsND* set = nullptr;
    XelMathSetOfPointsND::UnStream(s, set, "");
    return set;
  });
  ReadAndWriteBack(bytes, [](XelMathStream& s) {
    XelMathSetOfPointsNDTwoTangents* set = nullptr;
    XelMathSetOfPointsNDTwoTangents::UnStream(s, set, "");
    return static_cast<XelMathSetOfPointsND*>(set);
  });
  ReadAndWriteBack(bytes, [](XelMathStream& s) {
    XelMathSetOfPointsNDWithVectors* set = nullptr;
    XelMathSetOfPointsNDWithVectors::UnStream(s, set, "");
    return static_cast<XelMathSetOfPointsND*>(set);
  });
  return 0;
}
