#pragma once
// The encoding behind a XelMathStream: writes and reads primitive values in order.
//
// Every primitive carries a label (a short text naming the field, possibly empty) that
// serves a readable dump only; a binary encoding does not need it to read back. Values are
// read back in exactly the order and with exactly the widths in which they were written:
//   long   one signed 32-bit integer (a value outside that range raises on writing),
//   short  one 16-bit integer,
//   ULong  one unsigned 32-bit integer, or an array of them with its count,
//   double one IEEE double, or an array with its count (WriteDoubleByAddress writes the
//          same array record; it is read back by ReadDouble on an array).
// An array is read into storage of iCount elements that the reader allocated beforehand
// from a count it read earlier; the count must be the one written.
//
// Implementations raise XelMathInputError 0x20009 with the texts "XelMathStream", the
// reason (for example "read past the end of the data"), and the operation ("ReadDouble")
// when the data cannot be read as asked, and never read outside their data.
// Implementations in this library: XelMathBinaryStreamImpl (memory and files) and
// XelMathDumpStreamImpl (readable text, write only).
#include "XelMathInputError.h"
#include "XelQuorStreamVersion.h"

class XELKERNELBASE_EXPORT XelMathStreamImpl {
public:
  XelMathStreamImpl() = default;
  XelMathStreamImpl(const XelMathStreamImpl&) = delete;
  XelMathStreamImpl& operator=(const XelMathStreamImpl&) = delete;
  virtual ~XelMathStreamImpl();

  virtual void WriteLong(long iValue, const char* iLabel) = 0;
  virtual void ReadLong(long& oValue, const char* iLabel) = 0;
  virtual void WriteShort(short iValue, const char* iLabel) = 0;
  virtual void ReadShort(short& oValue, const char* iLabel) = 0;
  virtual void WriteULong(unsigned long iValue, const char* iLabel) = 0;
  virtual void ReadULong(unsigned long& oValue, const char* iLabel) = 0;
  /// iCount values and their count.
  virtual void WriteULong(const unsigned long* iValues, long iCount, const char* iLabel) = 0;
  /// Reads an array written with iCount values into oValues (room for iCount).
  virtual void ReadULong(unsigned long* oValues, long iCount, const char* iLabel) = 0;
  virtual void WriteDouble(double iValue, const char* iLabel) = 0;
  virtual void ReadDouble(double& oValue, const char* iLabel) = 0;
  /// iCount doubles and their count.
  virtual void WriteDouble(const double* iValues, long iCount, const char* iLabel) = 0;
  /// Reads an array written with iCount doubles into oValues (room for iCount).
  virtual void ReadDouble(double* oValues, long iCount, const char* iLabel) = 0;
  /// Same record as WriteDouble on an array.
  virtual void WriteDoubleByAddress(const double* iValues, long iCount, const char* iLabel) = 0;
  /// Opens a named, nested section of the readable dump (iClassName: the object's class).
  virtual void DumpCommentBegin(const char* iClassName) = 0;
  /// Closes the section opened last.
  virtual void DumpCommentEnd(const char* iClassName) = 0;
  /// The version of the data being read or written.
  virtual XelQuorStreamVersion GetVersionNumber() const = 0;

  /// Non-zero when the stream writes a readable dump (writers then open comment sections).
  virtual int IsDumpMode() const;
  /// Bytes left to read, or -1 when unknown. Readers may check a count they read against
  /// it before allocating.
  virtual long GetRemainingBytes() const;

protected:
  /// Raises XelMathInputError 0x20009 ("XelMathStream", iWhy, iWhere) from the caller's
  /// source line.
  [[noreturn]] static void RaiseStreamError(const char* iWhy, const char* iWhere,
                                            const char* iFile = __builtin_FILE(),
                                            long iLine = __builtin_LINE());
};
