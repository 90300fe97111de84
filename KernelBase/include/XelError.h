#pragma once
// Base of every error object of the kernel.
//
// An error carries a numeric code, up to three texts (what was wrong, why, and the
// operation that raised it), and the source file and line of the raise. Errors are C++
// exceptions: they are built with new, given their texts through SetParameters, and
// raised by XelQuorThrowFunction, which throws a copy by value and frees the heap
// object. Callers catch `const XelError&` (or a derived class) by reference. what() reads
// "<class> 0x<code>: <text1>, <text2>, <text3> (<file>:<line>)", composed when asked so that
// it names the most derived class from construction on. The source file is kept as a path
// relative to the library's tree without extension ("AdvancedMathematics/YN000FUN.m/src/
// XelMathFractionX"), whatever directory the library was built in.
#include <cstddef>
#include <exception>
#include <string>

#include "XelKernelBaseExport.h"

class XELKERNELBASE_EXPORT XelError : public std::exception {
public:
  explicit XelError(long iCode = 0);
  XelError(const XelError&) = default;
  XelError& operator=(const XelError&) = default;
  ~XelError() override;

  /// The class name of the error ("XelError", "XelMathInputError", ...).
  virtual const char* ClassName() const;
  /// Sets iCount texts (at most three are kept); null texts are stored empty.
  void SetParameters(int iCount, const char* iText1 = nullptr, const char* iText2 = nullptr,
                     const char* iText3 = nullptr);
  /// Records where the error was raised; iFile is reduced to the library-relative path
  /// without extension (a path outside the library's tree keeps its file name only).
  void SetSource(const char* iFile, long iLine);
  /// Discards a caught error: nothing to release with exceptions held by value.
  void Flush() const {}

  long GetCode() const { return _code; }
  long GetNumberOfParameters() const { return _nbParameters; }
  /// The i-th text (0-based); an empty text outside [0, GetNumberOfParameters()).
  const char* GetParameter(long i) const;
  const char* GetSourceFile() const { return _file.c_str(); }
  long GetLine() const { return _line; }
  const char* what() const noexcept override;

  /// Throws a copy of this error with its dynamic type.
  [[noreturn]] virtual void Raise() const;

  /// Errors built with new come from the kernel's memory services, so that the counters
  /// show that XelQuorThrowFunction frees them.
  static void* operator new(std::size_t iSize);
  static void operator delete(void* iBlock, std::size_t iSize);

private:
  long _code = 0;
  long _nbParameters = 0;
  std::string _parameters[3];
  std::string _file;
  long _line = 0;
  mutable std::string _message;
};

/// Raises an error built with new: sets its source, throws a copy and frees the original.
[[noreturn]] XELKERNELBASE_EXPORT void XelQuorThrowFunction(XelError* iError, const char* iFile,
                                                            long iLine);

/// Reports that an object reached an invalid state (trace error stream, counted); returns.
XELKERNELBASE_EXPORT void XelQuornull(const char* iFile, long iLine);
/// Number of XelQuornull reports since load (tests read it).
XELKERNELBASE_EXPORT long XelQuornullCount();

/// Marks a protected region: evaluation errors raised inside are caught at its end by a
/// try/catch of the caller. The context only counts the nesting depth for tracing.
class XELKERNELBASE_EXPORT XelXHContext {
public:
  XelXHContext();
  ~XelXHContext();
  XelXHContext(const XelXHContext&) = delete;
  XelXHContext& operator=(const XelXHContext&) = delete;
  static long GetDepth();
};
