#pragma once
// A XelMathStream with its own in-memory binary implementation (XelMathBinaryStreamImpl),
// for code and tests that write an object and read it back:
//
//   XelMathMemoryStream out(1005);            // version 1005
//   polynom.Stream(out, "");
//   XelMathMemoryStream in(out.GetBuffer());  // or: out.Rewind() and read from out itself
//   XelMathFunctionGeneral::UnStream(in, f, "");
//
// The bytes (header included) are GetBuffer(); they can be truncated or altered to test
// readers against damaged data, which raise XelMathInputError 0x20009 instead of reading
// past the end.
#include <vector>

#include "XelMathBinaryStreamImpl.h"
#include "XelMathStream.h"

class XELKERNELBASE_EXPORT XelMathMemoryStream : public XelMathStream {
public:
  /// An empty stream to write at iVersion.
  explicit XelMathMemoryStream(
      XelQuorStreamVersion iVersion = XelMathBinaryStreamImpl::DefaultVersion);
  /// A stream to read the given bytes (as returned by GetBuffer of a written stream).
  explicit XelMathMemoryStream(const std::vector<unsigned char>& iBytes);
  ~XelMathMemoryStream() override;

  const std::vector<unsigned char>& GetBuffer() const { return _binary.GetBuffer(); }
  /// Moves the read cursor back to the first value written.
  void Rewind() { _binary.Rewind(); }
  void SetVersionNumber(XelQuorStreamVersion iVersion) { _binary.SetVersionNumber(iVersion); }
  XelMathBinaryStreamImpl& GetBinary() { return _binary; }

private:
  XelMathBinaryStreamImpl _binary;
};
