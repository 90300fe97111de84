// Fuzz target of the reader of the deformations of space. The input is a stream (header
// included) read as a deformation. The reader either raises a coded error or returns a
// transformation (or none); a transformation is evaluated at a few points with its Jacobian,
// written back with both coefficients at the stream's version, and what it wrote must read
// back into a transformation that writes the same bytes again.
#include <cstdint>
#include <memory>
#include <sstream>
#include <vector>

#include "XelMathDumpStreamImpl.h"
#include "XelMathInputError.h"
#include "XelMathMemoryStream.h"
#include "XelMathNonLinearTransformation.h"
#include "XelQuorOutput.h"

namespace {

typedef std::unique_ptr<XelMathNonLinearTransformation> Map;

void Check(bool iOk) {
  if (!iOk)
    __builtin_trap();
}

std::vector<unsigned char> Write(const XelMathNonLinearTransformation* iT,
                                 XelQuorStreamVersion iVersion) {
  XelMathMemoryStream out(iVersion);
  XelMathNonLinearTransformation::Stream(out, iT, "", 1);
  std::ostringstream text;
  XelMathDumpStreamImpl dumpImpl(text, iVersion);
  XelMathStream dump(&dumpImpl);
  XelMathNonLinearTransformation::Stream(dump, iT, "", 1);
  return out.GetBuffer();
}

Map Read(const std::vector<unsigned char>& iBytes) {
  XelMathMemoryStream in(iBytes);
  XelMathNonLinearTransformation* t = nullptr;
  XelMathNonLinearTransformation::UnStream(in, t, "");
  return Map(t);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Invalid counts are reported on the error output: keep the fuzzer's output readable.
  static std::ostream sink(nullptr);
  XelQuorOutput::GetErr().Redirect(&sink);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  const std::vector<unsigned char> bytes(iData, iData + iSize);
  Map t;
  XelQuorStreamVersion version = 0;
  try {
    XelMathMemoryStream header(bytes);
    version = header.GetVersionNumber();
    t = Read(bytes);
  } catch (const XelMathInputError& error) {
    Check(error.GetCode() >= 0x20001 && error.GetCode() <= 0x2000e);
    return 0;
  }
  if (!t)
    return 0;
  for (const double x : {-1.5, 0.0, 0.75}) {
    const double p[3] = {x, 0.5 - x, 0.25};
    double y[3], j[9];
    t->Eval(p, y);
    t->EvalJacobian(p, j);
  }
  const std::vector<unsigned char> once = Write(t.get(), version);
  Map again = Read(once);
  Check(again != nullptr);
  Check(Write(again.get(), version) == once);
  return 0;
}
