#pragma once
// Readable dump of what a writer puts into a stream: one line per primitive with its label,
// its type and its value(s), and comment sections (DumpCommentBegin/End, given the class
// name of the object written) as indented blocks:
//
//   XelMathPolynomX {
//     Degree (ulong): 2
//     Coefficients (double[3]): 1 -2 0.5
//     Shift (double): 0
//   }
//
// An empty label shows as "-". Doubles are written with 17 significant digits, so the dump
// shows exact values. The output goes to a std::ostream or to a trace stream
// (XelQuorOutput); neither is owned. IsDumpMode answers 1, so writers open their sections.
// A dump cannot be read back: every Read raises XelMathInputError 0x20009
// ("XelMathStream", "a dump cannot be read back", the operation).
#include <iosfwd>

#include "XelMathStreamImpl.h"

class XelQuorOutput;

class XELKERNELBASE_EXPORT XelMathDumpStreamImpl : public XelMathStreamImpl {
public:
  /// The version reported by GetVersionNumber unless given.
  static constexpr XelQuorStreamVersion DefaultVersion = 1013;

  explicit XelMathDumpStreamImpl(std::ostream& ioOut,
                                 XelQuorStreamVersion iVersion = DefaultVersion);
  explicit XelMathDumpStreamImpl(XelQuorOutput& ioOut,
                                 XelQuorStreamVersion iVersion = DefaultVersion);
  ~XelMathDumpStreamImpl() override;

  void SetVersionNumber(XelQuorStreamVersion iVersion) { _version = iVersion; }
  /// Current nesting depth of comment sections.
  long GetDepth() const { return _depth; }

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
  int IsDumpMode() const override;

private:
  /// Writes one indented line: label (type): values.
  void Line(const char* iLabel, const char* iType, const char* iValues);
  void Emit(const char* iText);
  void DoubleArray(const double* iValues, long iCount, const char* iLabel, const char* iWhere);
  std::ostream* _stream;
  XelQuorOutput* _output;
  XelQuorStreamVersion _version;
  long _depth;
};
