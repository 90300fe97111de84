#pragma once
// Helpers shared by the sources of the point-set classes (not exported).
#include "XelQuorMemory.h"

/// Raises a XelMathInputError of code iCode with iCount texts from iFile:iLine.
[[noreturn]] void XelMathPointSetRaise(long iCode, int iCount, const char* iText1,
                                       const char* iText2, const char* iText3, const char* iFile,
                                       long iLine);

/// Room for iCount doubles: a local buffer of 64, the memory services beyond.
class XelMathPointBuffer {
public:
  explicit XelMathPointBuffer(long iCount);
  ~XelMathPointBuffer();
  XelMathPointBuffer(const XelMathPointBuffer&) = delete;
  XelMathPointBuffer& operator=(const XelMathPointBuffer&) = delete;
  double* Data() { return _heap ? _heap : _local; }

private:
  static const long LocalSize = 64;
  long _count;
  double* _heap;
  double _local[LocalSize];
};

/// One flag per point, all set to 1 at construction.
class XelMathKeepFlags {
public:
  explicit XelMathKeepFlags(long iCount);
  ~XelMathKeepFlags();
  XelMathKeepFlags(const XelMathKeepFlags&) = delete;
  XelMathKeepFlags& operator=(const XelMathKeepFlags&) = delete;
  unsigned char* Data() { return _flags; }

private:
  long _count;
  unsigned char* _flags;
};
