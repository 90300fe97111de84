#include "XelMathDebug.h"

#include <cerrno>
#include <cstdlib>

namespace {
int debugMode = -1;
long liveRecords = 0;
} // namespace

int XelMathDebug::GetDebugOnly() {
  if (debugMode < 0) debugMode = _integerGetEnv("XelMathDebugMode") > 0 ? 1 : 0;
  return debugMode;
}

void XelMathDebug::SetDebugOnly(int iOn) { debugMode = iOn ? 1 : 0; }

const char* XelMathDebug::_stringGetEnv(const char* iName) {
  if (!iName) return nullptr;
  return std::getenv(iName);
}

int XelMathDebug::_integerGetEnv(const char* iName) {
  const char* text = _stringGetEnv(iName);
  if (!text) return 0;
  char* end = nullptr;
  errno = 0;
  long value = std::strtol(text, &end, 10);
  if (end == text || errno) return 0;
  if (value > 2147483647L) return 2147483647;
  if (value < -2147483647L) return -2147483647;
  return static_cast<int>(value);
}

void XelMathDebug::_RecordCreation(const char*) {
  if (GetDebugOnly()) liveRecords++;
}

void XelMathDebug::_RecordDeletion(const char*) {
  if (GetDebugOnly()) liveRecords--;
}

long XelMathDebug::GetLiveRecordCount() { return liveRecords; }
