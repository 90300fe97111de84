#include "XelMathStream.h"
#include "XelKernelInternalConstants.h"

namespace {
[[noreturn]] void RaiseNoImpl(const char* iWhere) {
  XelMathRaise(XelErrorCode::Forbidden, "XelMathStream", "no stream implementation", iWhere);
}
const char* Label(const char* iLabel) {
  return iLabel ? iLabel : "";
}
} // namespace

XelMathStream::~XelMathStream() = default;

void XelMathStream::WriteLong(long iValue, const char* iLabel) {
  if (_impl)
    _impl->WriteLong(iValue, Label(iLabel));
}
void XelMathStream::ReadLong(long& oValue, const char* iLabel) {
  if (!_impl)
    RaiseNoImpl("ReadLong");
  _impl->ReadLong(oValue, Label(iLabel));
}
void XelMathStream::WriteShort(short iValue, const char* iLabel) {
  if (_impl)
    _impl->WriteShort(iValue, Label(iLabel));
}
void XelMathStream::ReadShort(short& oValue, const char* iLabel) {
  if (!_impl)
    RaiseNoImpl("ReadShort");
  _impl->ReadShort(oValue, Label(iLabel));
}
void XelMathStream::WriteULong(unsigned long iValue, const char* iLabel) {
  if (_impl)
    _impl->WriteULong(iValue, Label(iLabel));
}
void XelMathStream::ReadULong(unsigned long& oValue, const char* iLabel) {
  if (!_impl)
    RaiseNoImpl("ReadULong");
  _impl->ReadULong(oValue, Label(iLabel));
}
void XelMathStream::WriteULong(const unsigned long* iValues, long iCount, const char* iLabel) {
  if (_impl)
    _impl->WriteULong(iValues, iCount, Label(iLabel));
}
void XelMathStream::ReadULong(unsigned long* oValues, long iCount, const char* iLabel) {
  if (!_impl)
    RaiseNoImpl("ReadULong");
  _impl->ReadULong(oValues, iCount, Label(iLabel));
}
void XelMathStream::WriteDouble(double iValue, const char* iLabel) {
  if (_impl)
    _impl->WriteDouble(iValue, Label(iLabel));
}
void XelMathStream::ReadDouble(double& oValue, const char* iLabel) {
  if (!_impl)
    RaiseNoImpl("ReadDouble");
  _impl->ReadDouble(oValue, Label(iLabel));
}
void XelMathStream::WriteDouble(const double* iValues, long iCount, const char* iLabel) {
  if (_impl)
    _impl->WriteDouble(iValues, iCount, Label(iLabel));
}
void XelMathStream::ReadDouble(double* oValues, long iCount, const char* iLabel) {
  if (!_impl)
    RaiseNoImpl("ReadDouble");
  _impl->ReadDouble(oValues, iCount, Label(iLabel));
}
void XelMathStream::WriteDoubleByAddress(const double* iValues, long iCount, const char* iLabel) {
  if (_impl)
    _impl->WriteDoubleByAddress(iValues, iCount, Label(iLabel));
}
void XelMathStream::DumpCommentBegin(const char* iClassName) {
  if (_impl)
    _impl->DumpCommentBegin(Label(iClassName));
}
void XelMathStream::DumpCommentEnd(const char* iClassName) {
  if (_impl)
    _impl->DumpCommentEnd(Label(iClassName));
}
