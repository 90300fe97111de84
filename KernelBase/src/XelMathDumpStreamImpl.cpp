#include "XelMathDumpStreamImpl.h"

#include <cstdio>
#include <ostream>
#include <string>

#include "XelQuorOutput.h"

namespace {
std::string Number(const char* iFormat, double iValue) {
  char text[40];
  std::snprintf(text, sizeof(text), iFormat, iValue);
  return text;
}
std::string Double(double iValue) {
  return Number("%.17g", iValue);
}
} // namespace

XelMathDumpStreamImpl::XelMathDumpStreamImpl(std::ostream& ioOut, XelQuorStreamVersion iVersion)
    : _stream(&ioOut), _output(nullptr), _version(iVersion), _depth(0) {}

XelMathDumpStreamImpl::XelMathDumpStreamImpl(XelQuorOutput& ioOut, XelQuorStreamVersion iVersion)
    : _stream(nullptr), _output(&ioOut), _version(iVersion), _depth(0) {}

XelMathDumpStreamImpl::~XelMathDumpStreamImpl() = default;

int XelMathDumpStreamImpl::IsDumpMode() const {
  return 1;
}

void XelMathDumpStreamImpl::Emit(const char* iText) {
  if (_stream)
    *_stream << iText;
  else if (_output)
    *_output << iText;
}

void XelMathDumpStreamImpl::Line(const char* iLabel, const char* iType, const char* iValues) {
  std::string line(2 * static_cast<size_t>(_depth), ' ');
  line += (iLabel && *iLabel) ? iLabel : "-";
  line += " (";
  line += iType;
  line += "): ";
  line += iValues;
  line += "\n";
  Emit(line.c_str());
}

void XelMathDumpStreamImpl::WriteLong(long iValue, const char* iLabel) {
  Line(iLabel, "long", std::to_string(iValue).c_str());
}

void XelMathDumpStreamImpl::WriteShort(short iValue, const char* iLabel) {
  Line(iLabel, "short", std::to_string(iValue).c_str());
}

void XelMathDumpStreamImpl::WriteULong(unsigned long iValue, const char* iLabel) {
  Line(iLabel, "ulong", std::to_string(iValue).c_str());
}

void XelMathDumpStreamImpl::WriteULong(const unsigned long* iValues, long iCount,
                                       const char* iLabel) {
  if (iCount < 0 || (iCount > 0 && !iValues))
    RaiseStreamError("impossible count", "WriteULong");
  std::string values;
  for (long i = 0; i < iCount; i++)
    values += (i ? " " : "") + std::to_string(iValues[i]);
  std::string type = "ulong[" + std::to_string(iCount) + "]";
  Line(iLabel, type.c_str(), values.c_str());
}

void XelMathDumpStreamImpl::WriteDouble(double iValue, const char* iLabel) {
  Line(iLabel, "double", Double(iValue).c_str());
}

void XelMathDumpStreamImpl::DoubleArray(const double* iValues, long iCount, const char* iLabel,
                                        const char* iWhere) {
  if (iCount < 0 || (iCount > 0 && !iValues))
    RaiseStreamError("impossible count", iWhere);
  std::string values;
  for (long i = 0; i < iCount; i++)
    values += (i ? " " : "") + Double(iValues[i]);
  std::string type = "double[" + std::to_string(iCount) + "]";
  Line(iLabel, type.c_str(), values.c_str());
}

void XelMathDumpStreamImpl::WriteDouble(const double* iValues, long iCount, const char* iLabel) {
  DoubleArray(iValues, iCount, iLabel, "WriteDouble");
}

void XelMathDumpStreamImpl::WriteDoubleByAddress(const double* iValues, long iCount,
                                                 const char* iLabel) {
  DoubleArray(iValues, iCount, iLabel, "WriteDoubleByAddress");
}

void XelMathDumpStreamImpl::DumpCommentBegin(const char* iClassName) {
  std::string line(2 * static_cast<size_t>(_depth), ' ');
  line += (iClassName && *iClassName) ? iClassName : "-";
  line += " {\n";
  Emit(line.c_str());
  _depth++;
}

void XelMathDumpStreamImpl::DumpCommentEnd(const char*) {
  if (_depth > 0)
    _depth--;
  std::string line(2 * static_cast<size_t>(_depth), ' ');
  line += "}\n";
  Emit(line.c_str());
}

void XelMathDumpStreamImpl::ReadLong(long&, const char*) {
  RaiseStreamError("a dump cannot be read back", "ReadLong");
}
void XelMathDumpStreamImpl::ReadShort(short&, const char*) {
  RaiseStreamError("a dump cannot be read back", "ReadShort");
}
void XelMathDumpStreamImpl::ReadULong(unsigned long&, const char*) {
  RaiseStreamError("a dump cannot be read back", "ReadULong");
}
void XelMathDumpStreamImpl::ReadULong(unsigned long*, long, const char*) {
  RaiseStreamError("a dump cannot be read back", "ReadULong");
}
void XelMathDumpStreamImpl::ReadDouble(double&, const char*) {
  RaiseStreamError("a dump cannot be read back", "ReadDouble");
}
void XelMathDumpStreamImpl::ReadDouble(double*, long, const char*) {
  RaiseStreamError("a dump cannot be read back", "ReadDouble");
}
