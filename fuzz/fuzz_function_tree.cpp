// Fuzz target of the function-tree readers. The input is a stream (header included) read as
// a one-variable and as a two-variable function. A reader either raises a coded error or
// returns a tree; the tree is evaluated at a few points, written back at the stream's
// version, and what it wrote must read back into a tree that writes the same bytes again.
#include <cstdint>
#include <memory>
#include <sstream>
#include <vector>

#include "XelMathDumpStreamImpl.h"
#include "XelMathFunctionX.h"
#include "XelMathFunctionXY.h"
#include "XelMathInputError.h"
#include "XelMathMemoryStream.h"
#include "XelQuorOutput.h"

namespace {

void Check(bool iOk) {
  if (!iOk)
    __builtin_trap();
}

template <class F> std::vector<unsigned char> Write(const F* iF, XelQuorStreamVersion iVersion) {
  XelMathMemoryStream out(iVersion);
  XelMathFunctionGeneral::Stream(out, iF, "");
  std::ostringstream text;
  XelMathDumpStreamImpl dumpImpl(text, iVersion);
  XelMathStream dump(&dumpImpl);
  XelMathFunctionGeneral::Stream(dump, iF, "");
  return out.GetBuffer();
}

template <class F> std::unique_ptr<F> Read(const std::vector<unsigned char>& iBytes) {
  XelMathMemoryStream in(iBytes);
  F* f = nullptr;
  XelMathFunctionGeneral::UnStream(in, f, "");
  return std::unique_ptr<F>(f);
}

void Evaluate(const XelMathFunctionX& iF) {
  for (double x : {-1.5, 0.0, 0.75}) {
    try {
      iF.Eval(x);
      iF.EvalFirstDeriv(x);
    } catch (const XelMathInputError&) {
      // A pole of a fraction.
    }
  }
}
void Evaluate(const XelMathFunctionXY& iF) {
  for (double x : {-1.5, 0.0, 0.75})
    try {
      iF.Eval(x, 0.5 - x);
    } catch (const XelMathInputError&) {
    }
}

template <class F> void Fuzz(const std::vector<unsigned char>& iBytes) {
  std::unique_ptr<F> f;
  XelQuorStreamVersion version = 0;
  try {
    XelMathMemoryStream header(iBytes);
    version = header.GetVersionNumber();
    f = Read<F>(iBytes);
  } catch (const XelMathInputError& error) {
    Check(error.GetCode() >= 0x20001 && error.GetCode() <= 0x2000e);
    return;
  }
  if (!f)
    return;
  Evaluate(*f);
  const std::vector<unsigned char> once = Write(f.get(), version);
  std::unique_ptr<F> g = Read<F>(once);
  Check(g != nullptr);
  Check(Write(g.get(), version) == once);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Unknown types are reported on the error output: keep the fuzzer's output readable.
  static std::ostream sink(nullptr);
  XelQuorOutput::GetErr().Redirect(&sink);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  const std::vector<unsigned char> bytes(iData, iData + iSize);
  Fuzz<XelMathFunctionX>(bytes);
  Fuzz<XelMathFunctionXY>(bytes);
  return 0;
}
