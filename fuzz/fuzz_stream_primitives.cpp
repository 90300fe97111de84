// Fuzz target of the binary stream primitives. The input is a script and a stream: the first
// byte n, then n operation bytes, then the bytes of a stream (header included). Each
// operation reads one primitive (or an array whose count it gives) from the stream; a read
// either raises the stream's coded error or returns a value. Every value read is written to
// a second stream and to a dump, and must read back from the second stream bit for bit.
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

#include "XelMathBinaryStreamImpl.h"
#include "XelMathDumpStreamImpl.h"
#include "XelMathInputError.h"
#include "XelMathStream.h"

namespace {

struct Value {
  int kind;
  long l;
  unsigned long u;
  double d;
  std::vector<unsigned long> us;
  std::vector<double> ds;
};

void Check(bool iOk) {
  if (!iOk)
    __builtin_trap();
}

void Write(XelMathStream& ioOut, const Value& iValue) {
  switch (iValue.kind) {
  case 0: ioOut.WriteLong(iValue.l, "Long"); break;
  case 1: ioOut.WriteShort(static_cast<short>(iValue.l), "Short"); break;
  case 2: ioOut.WriteULong(iValue.u, "ULong"); break;
  case 3: ioOut.WriteULong(iValue.us.data(), static_cast<long>(iValue.us.size()), "ULongs"); break;
  case 4: ioOut.WriteDouble(iValue.d, "Double"); break;
  default: ioOut.WriteDoubleByAddress(iValue.ds.data(), static_cast<long>(iValue.ds.size()), "Doubles");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* iData, size_t iSize) {
  if (iSize < 1)
    return 0;
  const size_t nOps = iData[0];
  if (iSize < 1 + nOps)
    return 0;
  const uint8_t* ops = iData + 1;
  std::vector<Value> values;
  XelQuorStreamVersion version = 0;
  try {
    XelMathBinaryStreamImpl impl(iData + 1 + nOps, static_cast<long>(iSize - 1 - nOps));
    version = impl.GetVersionNumber();
    XelMathStream in(&impl);
    for (size_t k = 0; k < nOps; k++) {
      Value value;
      value.kind = ops[k] % 6;
      const long count = ops[k] / 6; // 0..42
      const long before = in.GetRemainingBytes();
      try {
        switch (value.kind) {
        case 0: in.ReadLong(value.l); break;
        case 1: {
          short s = 0;
          in.ReadShort(s);
          value.l = s;
          break;
        }
        case 2: in.ReadULong(value.u); break;
        case 3:
          value.us.resize(static_cast<size_t>(count));
          in.ReadULong(value.us.data(), count);
          break;
        case 4: in.ReadDouble(value.d); break;
        default:
          value.ds.resize(static_cast<size_t>(count));
          in.ReadDouble(value.ds.data(), count);
        }
        values.push_back(value);
      } catch (const XelMathInputError& error) {
        // A failed read leaves the cursor where it was.
        Check(error.GetCode() == 0x20009 && in.GetRemainingBytes() == before);
      }
    }
  } catch (const XelMathInputError& error) {
    Check(error.GetCode() == 0x20009); // the header
    return 0;
  }

  XelMathBinaryStreamImpl outImpl(version);
  XelMathStream out(&outImpl);
  std::ostringstream text;
  XelMathDumpStreamImpl dumpImpl(text, version);
  XelMathStream dump(&dumpImpl);
  for (const Value& value : values) {
    Write(out, value);
    Write(dump, value);
  }
  XelMathBinaryStreamImpl back(outImpl.GetBuffer());
  XelMathStream again(&back);
  for (const Value& value : values) {
    Value read = value;
    switch (value.kind) {
    case 0: again.ReadLong(read.l); break;
    case 1: {
      short s = 0;
      again.ReadShort(s);
      read.l = s;
      break;
    }
    case 2: again.ReadULong(read.u); break;
    case 3: again.ReadULong(read.us.data(), static_cast<long>(read.us.size())); break;
    case 4: again.ReadDouble(read.d); break;
    default: again.ReadDouble(read.ds.data(), static_cast<long>(read.ds.size()));
    }
    Check(read.l == value.l && read.u == value.u && read.us == value.us &&
          std::memcmp(&read.d, &value.d, sizeof(double)) == 0 &&
          (read.ds.empty() ||
           std::memcmp(read.ds.data(), value.ds.data(), read.ds.size() * sizeof(double)) == 0));
  }
  Check(again.GetRemainingBytes() == 0);
  return 0;
}
