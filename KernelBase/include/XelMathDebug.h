#pragma once
// Debug mode of the kernel: off unless the environment variable XelMathDebugMode holds a
// positive integer at load. In debug mode the library reads its debug switches from the
// environment, and object creations and deletions are counted.
#include "XelKernelBaseExport.h"

class XELKERNELBASE_EXPORT XelMathDebug {
public:
  /// Whether the kernel runs in debug mode (read once, at the first call).
  static int GetDebugOnly();
  /// Forces debug mode on or off (tests use it before reading switches).
  static void SetDebugOnly(int iOn);
  /// The text of an environment variable, or null when absent.
  static const char* _stringGetEnv(const char* iName);
  /// The integer value of an environment variable, 0 when absent or not a number.
  static int _integerGetEnv(const char* iName);
  static void _RecordCreation(const char* iClassName);
  static void _RecordDeletion(const char* iClassName);
  /// Creations minus deletions recorded so far.
  static long GetLiveRecordCount();
};
