#pragma once
// Errors raised for misuse by the caller, an exhausted resource or a failed allocation,
// and the raise helper used throughout the library.
#include "XelError.h"

class XELKERNELBASE_EXPORT XelMathInputError : public XelError {
public:
  explicit XelMathInputError(long iCode) : XelError(iCode) {}
  const char* ClassName() const override;
  [[noreturn]] void Raise() const override;
};

class XELKERNELBASE_EXPORT XelResourceError : public XelError {
public:
  explicit XelResourceError(long iCode) : XelError(iCode) {}
  const char* ClassName() const override;
  [[noreturn]] void Raise() const override;
};

class XELKERNELBASE_EXPORT XelQuorNoMoreMemoryError : public XelError {
public:
  explicit XelQuorNoMoreMemoryError(long iSize);
  const char* ClassName() const override;
  [[noreturn]] void Raise() const override;
  long GetSize() const { return _size; }

private:
  long _size;
};

/// Builds a XelMathInputError with the three texts and raises it from iFile:iLine.
[[noreturn]] XELKERNELBASE_EXPORT void XelMathRaiseInputError(long iCode, const char* iWhat,
                                                              const char* iWhy,
                                                              const char* iWhere,
                                                              const char* iFile, long iLine);

/// Raises a XelMathInputError with its three texts from the current source line.
#define XelMathRaise(code, what, why, where)                                                  \
  XelMathRaiseInputError((code), (what), (why), (where), __FILE__, __LINE__)
