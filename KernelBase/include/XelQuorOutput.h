#pragma once
// Trace streams of the kernel. GetOut() and GetErr() write to stdout and stderr by
// default; tests redirect them to a std::ostream of their own to check the messages.
#include <iosfwd>

#include "XelKernelBaseExport.h"

/// Width manipulator of the trace streams: `out << quorsetw(12) << x`.
struct XelQuorSetW {
  int width;
};
inline XelQuorSetW quorsetw(int iWidth) {
  return XelQuorSetW{iWidth};
}

class XELKERNELBASE_EXPORT XelQuorOutput {
public:
  static XelQuorOutput& GetOut();
  static XelQuorOutput& GetErr();

  XelQuorOutput& operator<<(const char* iText);
  XelQuorOutput& operator<<(double iValue);
  XelQuorOutput& operator<<(int iValue);
  XelQuorOutput& operator<<(long iValue);
  XelQuorOutput& operator<<(short iValue);
  XelQuorOutput& operator<<(unsigned int iValue);
  XelQuorOutput& operator<<(unsigned long iValue);
  XelQuorOutput& operator<<(char iValue);
  XelQuorOutput& operator<<(XelQuorSetW iWidth);
  /// Sets the number of significant digits of doubles; returns the previous one.
  int precision(int iDigits);
  int precision() const { return _precision; }
  void flush();

  /// Redirects the stream (null restores the standard stream).
  void Redirect(std::ostream* iStream);

private:
  explicit XelQuorOutput(int iWhich);
  std::ostream& Target();
  int _which;
  int _precision;
  int _width;
  std::ostream* _redirect;
};
