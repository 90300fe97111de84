#include "XelMathBinaryStreamImpl.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {
const unsigned char Magic[4] = {'X', 'e', 'l', 'S'};
const long MaxLong32 = 2147483647L;
const long MinLong32 = -MaxLong32 - 1;
const unsigned long MaxULong32 = 4294967295UL;
} // namespace

XelMathBinaryStreamImpl::XelMathBinaryStreamImpl(XelQuorStreamVersion iVersion)
    : _position(HeaderBytes), _version(0) {
  _buffer.reserve(256);
  _buffer.insert(_buffer.end(), Magic, Magic + 4);
  _buffer.resize(HeaderBytes, 0);
  SetVersionNumber(iVersion);
}

XelMathBinaryStreamImpl::XelMathBinaryStreamImpl(const unsigned char* iBytes, long iSize)
    : _position(HeaderBytes), _version(0) {
  if (iSize < 0 || (iSize > 0 && !iBytes))
    RaiseStreamError("invalid data", "XelMathBinaryStreamImpl::XelMathBinaryStreamImpl");
  if (iSize > 0)
    _buffer.assign(iBytes, iBytes + iSize);
  ParseHeader("XelMathBinaryStreamImpl::XelMathBinaryStreamImpl");
}

XelMathBinaryStreamImpl::XelMathBinaryStreamImpl(const std::vector<unsigned char>& iBytes)
    : _buffer(iBytes), _position(HeaderBytes), _version(0) {
  ParseHeader("XelMathBinaryStreamImpl::XelMathBinaryStreamImpl");
}

XelMathBinaryStreamImpl::~XelMathBinaryStreamImpl() = default;

void XelMathBinaryStreamImpl::ParseHeader(const char* iWhere) {
  if (_buffer.size() < static_cast<size_t>(HeaderBytes) ||
      std::memcmp(_buffer.data(), Magic, 4) != 0)
    RaiseStreamError("missing or damaged header", iWhere);
  unsigned long bits = Get32(4);
  _version = bits > static_cast<unsigned long>(MaxLong32)
                 ? static_cast<long>(bits) - static_cast<long>(MaxULong32) - 1
                 : static_cast<long>(bits);
  _position = HeaderBytes;
}

XelMathBinaryStreamImpl* XelMathBinaryStreamImpl::ReadFile(const char* iPath) {
  const char* where = "XelMathBinaryStreamImpl::ReadFile";
  if (!iPath)
    RaiseStreamError("no file name", where);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(iPath, "rb"), &std::fclose);
  if (!file)
    RaiseStreamError("the file cannot be opened for reading", where);
  std::vector<unsigned char> bytes;
  unsigned char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), file.get())) > 0)
    bytes.insert(bytes.end(), chunk, chunk + got);
  if (std::ferror(file.get()))
    RaiseStreamError("the file cannot be read", where);
  return new XelMathBinaryStreamImpl(bytes);
}

void XelMathBinaryStreamImpl::WriteFile(const char* iPath) const {
  const char* where = "XelMathBinaryStreamImpl::WriteFile";
  if (!iPath)
    RaiseStreamError("no file name", where);
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(iPath, "wb"), &std::fclose);
  if (!file)
    RaiseStreamError("the file cannot be opened for writing", where);
  if (std::fwrite(_buffer.data(), 1, _buffer.size(), file.get()) != _buffer.size())
    RaiseStreamError("the file cannot be written", where);
  FILE* raw = file.release();
  if (std::fclose(raw) != 0)
    RaiseStreamError("the file cannot be written", where);
}

void XelMathBinaryStreamImpl::SetVersionNumber(XelQuorStreamVersion iVersion) {
  if (iVersion < MinLong32 || iVersion > MaxLong32)
    RaiseStreamError("version outside the 32-bit range",
                     "XelMathBinaryStreamImpl::SetVersionNumber");
  _version = iVersion;
  unsigned long bits = static_cast<unsigned long>(iVersion) & MaxULong32;
  for (int i = 0; i < 4; i++)
    _buffer[4 + i] = static_cast<unsigned char>(bits >> (8 * i));
}

long XelMathBinaryStreamImpl::GetRemainingBytes() const {
  return static_cast<long>(_buffer.size()) - _position;
}

// ---- encoding -----------------------------------------------------------------------------

void XelMathBinaryStreamImpl::Put32(unsigned long iBits) {
  for (int i = 0; i < 4; i++)
    _buffer.push_back(static_cast<unsigned char>(iBits >> (8 * i)));
}

void XelMathBinaryStreamImpl::Put64(unsigned long long iBits) {
  for (int i = 0; i < 8; i++)
    _buffer.push_back(static_cast<unsigned char>(iBits >> (8 * i)));
}

void XelMathBinaryStreamImpl::Need(long iBytes, const char* iWhere) const {
  if (iBytes < 0 || iBytes > GetRemainingBytes())
    RaiseStreamError("read past the end of the data", iWhere);
}

unsigned long XelMathBinaryStreamImpl::Get32(long iAt) const {
  unsigned long bits = 0;
  for (int i = 0; i < 4; i++)
    bits |= static_cast<unsigned long>(_buffer[iAt + i]) << (8 * i);
  return bits;
}

unsigned long long XelMathBinaryStreamImpl::Get64(long iAt) const {
  unsigned long long bits = 0;
  for (int i = 0; i < 8; i++)
    bits |= static_cast<unsigned long long>(_buffer[iAt + i]) << (8 * i);
  return bits;
}

namespace {
unsigned long long DoubleBits(double iValue) {
  unsigned long long bits;
  static_assert(sizeof(bits) == sizeof(iValue), "64-bit doubles expected");
  std::memcpy(&bits, &iValue, sizeof(bits));
  return bits;
}
double BitsDouble(unsigned long long iBits) {
  double value;
  std::memcpy(&value, &iBits, sizeof(value));
  return value;
}
long SignedFrom32(unsigned long iBits) {
  return iBits > static_cast<unsigned long>(MaxLong32)
             ? static_cast<long>(iBits) - static_cast<long>(MaxULong32) - 1
             : static_cast<long>(iBits);
}
} // namespace

long XelMathBinaryStreamImpl::ReadCount(long iCount, long iWidth, const char* iWhere) const {
  if (iCount < 0)
    RaiseStreamError("impossible count", iWhere);
  Need(4, iWhere);
  long stored = SignedFrom32(Get32(_position));
  if (stored < 0 || stored > (GetRemainingBytes() - 4) / iWidth)
    RaiseStreamError("impossible count", iWhere);
  if (stored != iCount)
    RaiseStreamError("count differs from the count written", iWhere);
  return _position + 4;
}

// ---- primitives ---------------------------------------------------------------------------

void XelMathBinaryStreamImpl::WriteLong(long iValue, const char*) {
  if (iValue < MinLong32 || iValue > MaxLong32)
    RaiseStreamError("value outside the 32-bit range", "WriteLong");
  Put32(static_cast<unsigned long>(iValue) & MaxULong32);
}

void XelMathBinaryStreamImpl::ReadLong(long& oValue, const char*) {
  Need(4, "ReadLong");
  oValue = SignedFrom32(Get32(_position));
  _position += 4;
}

void XelMathBinaryStreamImpl::WriteShort(short iValue, const char*) {
  unsigned int bits = static_cast<unsigned short>(iValue);
  _buffer.push_back(static_cast<unsigned char>(bits & 0xff));
  _buffer.push_back(static_cast<unsigned char>(bits >> 8));
}

void XelMathBinaryStreamImpl::ReadShort(short& oValue, const char*) {
  Need(2, "ReadShort");
  unsigned int bits = _buffer[_position] | (static_cast<unsigned int>(_buffer[_position + 1]) << 8);
  oValue = static_cast<short>(bits >= 0x8000u ? static_cast<int>(bits) - 0x10000
                                              : static_cast<int>(bits));
  _position += 2;
}

void XelMathBinaryStreamImpl::WriteULong(unsigned long iValue, const char*) {
  if (iValue > MaxULong32)
    RaiseStreamError("value outside the 32-bit range", "WriteULong");
  Put32(iValue);
}

void XelMathBinaryStreamImpl::ReadULong(unsigned long& oValue, const char*) {
  Need(4, "ReadULong");
  oValue = Get32(_position);
  _position += 4;
}

void XelMathBinaryStreamImpl::WriteULong(const unsigned long* iValues, long iCount, const char*) {
  if (iCount < 0 || iCount > MaxLong32 || (iCount > 0 && !iValues))
    RaiseStreamError("impossible count", "WriteULong");
  for (long i = 0; i < iCount; i++)
    if (iValues[i] > MaxULong32)
      RaiseStreamError("value outside the 32-bit range", "WriteULong");
  Put32(static_cast<unsigned long>(iCount));
  for (long i = 0; i < iCount; i++)
    Put32(iValues[i]);
}

void XelMathBinaryStreamImpl::ReadULong(unsigned long* oValues, long iCount, const char*) {
  long at = ReadCount(iCount, 4, "ReadULong");
  if (iCount > 0 && !oValues)
    RaiseStreamError("no storage for the values", "ReadULong");
  for (long i = 0; i < iCount; i++)
    oValues[i] = Get32(at + 4 * i);
  _position = at + 4 * iCount;
}

void XelMathBinaryStreamImpl::WriteDouble(double iValue, const char*) {
  Put64(DoubleBits(iValue));
}

void XelMathBinaryStreamImpl::ReadDouble(double& oValue, const char*) {
  Need(8, "ReadDouble");
  oValue = BitsDouble(Get64(_position));
  _position += 8;
}

void XelMathBinaryStreamImpl::WriteDouble(const double* iValues, long iCount, const char*) {
  if (iCount < 0 || iCount > MaxLong32 || (iCount > 0 && !iValues))
    RaiseStreamError("impossible count", "WriteDouble");
  _buffer.reserve(_buffer.size() + 4 + 8 * static_cast<size_t>(iCount));
  Put32(static_cast<unsigned long>(iCount));
  for (long i = 0; i < iCount; i++)
    Put64(DoubleBits(iValues[i]));
}

void XelMathBinaryStreamImpl::ReadDouble(double* oValues, long iCount, const char*) {
  long at = ReadCount(iCount, 8, "ReadDouble");
  if (iCount > 0 && !oValues)
    RaiseStreamError("no storage for the values", "ReadDouble");
  for (long i = 0; i < iCount; i++)
    oValues[i] = BitsDouble(Get64(at + 8 * i));
  _position = at + 8 * iCount;
}

void XelMathBinaryStreamImpl::WriteDoubleByAddress(const double* iValues, long iCount,
                                                   const char* iLabel) {
  if (iCount < 0 || iCount > MaxLong32 || (iCount > 0 && !iValues))
    RaiseStreamError("impossible count", "WriteDoubleByAddress");
  WriteDouble(iValues, iCount, iLabel);
}

void XelMathBinaryStreamImpl::DumpCommentBegin(const char*) {}
void XelMathBinaryStreamImpl::DumpCommentEnd(const char*) {}
