#pragma once
// The object handed to every Stream and UnStream operation.
//
// A XelMathStream forwards each primitive to its implementation (XelMathStreamImpl), which
// it does not own. When the implementation is null, writes and comment sections do nothing
// and return, GetVersionNumber answers 0, IsDumpMode 0, and reads raise XelMathInputError
// 0x20009 ("XelMathStream", "no stream implementation", the operation) instead of leaving
// the outputs unset. Labels default to an empty text.
//
//   XelMathBinaryStreamImpl impl(1013);      // binary, in memory
//   XelMathStream stream(&impl);
//   stream.WriteLong(3, "Degree");
//   impl.Rewind();                           // read back from the start
//   long degree;
//   stream.ReadLong(degree, "Degree");
//
// XelMathMemoryStream (XelMathMemoryStream.h) bundles a stream with its own in-memory
// binary implementation.
#include "XelMathStreamImpl.h"

class XELKERNELBASE_EXPORT XelMathStream {
public:
  explicit XelMathStream(XelMathStreamImpl* iImpl = nullptr) : _impl(iImpl) {}
  XelMathStream(const XelMathStream&) = delete;
  XelMathStream& operator=(const XelMathStream&) = delete;
  virtual ~XelMathStream();

  XelMathStreamImpl* GetImpl() const { return _impl; }
  void SetImpl(XelMathStreamImpl* iImpl) { _impl = iImpl; }
  /// Non-zero when the implementation writes a readable dump.
  int IsDumpMode() const { return _impl ? _impl->IsDumpMode() : 0; }
  /// The version of the data being read or written (0 without implementation).
  XelQuorStreamVersion GetVersionNumber() const { return _impl ? _impl->GetVersionNumber() : 0; }
  /// Bytes left to read, -1 when unknown (or without implementation).
  long GetRemainingBytes() const { return _impl ? _impl->GetRemainingBytes() : -1; }

  void WriteLong(long iValue, const char* iLabel = "");
  void ReadLong(long& oValue, const char* iLabel = "");
  void WriteShort(short iValue, const char* iLabel = "");
  void ReadShort(short& oValue, const char* iLabel = "");
  void WriteULong(unsigned long iValue, const char* iLabel = "");
  void ReadULong(unsigned long& oValue, const char* iLabel = "");
  void WriteULong(const unsigned long* iValues, long iCount, const char* iLabel = "");
  void ReadULong(unsigned long* oValues, long iCount, const char* iLabel = "");
  void WriteDouble(double iValue, const char* iLabel = "");
  void ReadDouble(double& oValue, const char* iLabel = "");
  void WriteDouble(const double* iValues, long iCount, const char* iLabel = "");
  void ReadDouble(double* oValues, long iCount, const char* iLabel = "");
  void WriteDoubleByAddress(const double* iValues, long iCount, const char* iLabel = "");
  void DumpCommentBegin(const char* iClassName);
  void DumpCommentEnd(const char* iClassName);

private:
  XelMathStreamImpl* _impl;
};
