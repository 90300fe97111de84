#pragma once
// Binary stream encoding over a growable byte buffer, with files as a backing store.
//
// Layout: a header of 8 bytes (the four characters "XelS", then the version number as a
// signed 32-bit integer), then the values in the order written. All integers are
// little-endian whatever the host: long 4 bytes (two's complement), short 2 bytes, ULong 4
// bytes, double 8 bytes (IEEE 754 bit pattern). An array record is its count (4 bytes)
// followed by the elements. Labels and comment sections are not stored.
//
// Writes append at the end of the buffer; reads start right after the header and move a
// cursor forward, so one object can be written, rewound and read back. A read that would
// pass the end of the data, an array count that is negative, larger than what remains or
// different from the count written, a long or ULong outside the 32-bit range on writing,
// a missing or damaged header, or a file that cannot be opened raise XelMathInputError
// 0x20009 ("XelMathStream", the reason, the operation); nothing is read out of bounds and
// the cursor does not move on a failed read.
//
// Files: WriteFile stores the whole buffer at a path; ReadFile loads a path into a new
// object (the caller owns it) positioned at the first value.
#include <vector>

#include "XelMathStreamImpl.h"

class XELKERNELBASE_EXPORT XelMathBinaryStreamImpl : public XelMathStreamImpl {
public:
  /// The version written by default.
  static constexpr XelQuorStreamVersion DefaultVersion = 1013;
  /// Size of the header in bytes.
  static constexpr long HeaderBytes = 8;

  /// An empty stream to write, carrying iVersion in its header.
  explicit XelMathBinaryStreamImpl(XelQuorStreamVersion iVersion = DefaultVersion);
  /// A stream to read from a copy of iSize bytes (header included).
  XelMathBinaryStreamImpl(const unsigned char* iBytes, long iSize);
  explicit XelMathBinaryStreamImpl(const std::vector<unsigned char>& iBytes);
  ~XelMathBinaryStreamImpl() override;

  /// Loads the file at iPath into a new stream positioned at its first value.
  static XelMathBinaryStreamImpl* ReadFile(const char* iPath);
  /// Stores the whole buffer (header included) at iPath, replacing the file.
  void WriteFile(const char* iPath) const;

  /// The whole encoded data, header included.
  const std::vector<unsigned char>& GetBuffer() const { return _buffer; }
  /// Size of the data in bytes, header included.
  long GetSize() const { return static_cast<long>(_buffer.size()); }
  /// Offset of the read cursor from the start of the data.
  long GetPosition() const { return _position; }
  /// Moves the read cursor back to the first value.
  void Rewind() { _position = HeaderBytes; }
  /// Changes the version number (rewrites the header).
  void SetVersionNumber(XelQuorStreamVersion iVersion);

  void WriteLong(long iValue, const char* iLabel) override;
  void ReadLong(long& oValue, const char* iLabel) override;
  void WriteShort(short iValue, const char* iLabel) override;
  void ReadShort(short& oValue, const char* iLabel) override;
  void WriteULong(unsigned long iValue, const char* iLabel) override;
  void ReadULong(unsigned long& oValue, const char* iLabel) override;
  void WriteULong(const unsigned long* iValues, long iCount, const char* iLabel) override;
  void ReadULong(unsigned long* oValues, long iCount, const char* iLabel) override;
  void WriteDouble(double iValue, const char* iLabel) override;
  void ReadDouble(double& oValue, const char* iLabel) override;
  void WriteDouble(const double* iValues, long iCount, const char* iLabel) override;
  void ReadDouble(double* oValues, long iCount, const char* iLabel) override;
  void WriteDoubleByAddress(const double* iValues, long iCount, const char* iLabel) override;
  void DumpCommentBegin(const char* iClassName) override;
  void DumpCommentEnd(const char* iClassName) override;
  XelQuorStreamVersion GetVersionNumber() const override { return _version; }
  long GetRemainingBytes() const override;

private:
  void ParseHeader(const char* iWhere);
  void Put32(unsigned long iBits);
  void Put64(unsigned long long iBits);
  /// Checks that iBytes can be read at the cursor, else raises for iWhere.
  void Need(long iBytes, const char* iWhere) const;
  unsigned long Get32(long iAt) const;
  unsigned long long Get64(long iAt) const;
  /// Reads and checks the count of an array record; returns the offset of its elements.
  long ReadCount(long iCount, long iWidth, const char* iWhere) const;

  std::vector<unsigned char> _buffer;
  long _position;
  XelQuorStreamVersion _version;
};
