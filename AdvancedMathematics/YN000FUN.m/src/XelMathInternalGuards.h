#pragma once
// The one way to raise and the scope guards of the library (internal, never installed).
//
// - XelMathRaiseTexts: a XelMathInputError with a code, 0 to 3 texts and the source path
//   (the exported XelMathRaise macro is the three-text case from the current line).
// - XelMathMailboxEntry: files a value in the library's mailbox for the lifetime of a scope
//   and unstacks it on every way out, an error included.
// - XelMathOnExit: runs a cleanup on every way out of a scope (use std::unique_ptr where an
//   owned object is all there is to free).
#include <utility>

#include "XelFedEx.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"

/// Raises a XelMathInputError iCode with the first iCount of the texts (null texts are stored
/// empty), recorded as raised from iFile:iLine.
[[noreturn]] inline void XelMathRaiseTexts(const long iCode, const int iCount, const char* iText1,
                                           const char* iText2, const char* iText3,
                                           const char* iFile, const long iLine) {
  XelMathInputError* error = new XelMathInputError(iCode);
  error->SetParameters(iCount, iText1, iText2, iText3);
  XelQuorThrowFunction(error, iFile, iLine);
}

/// Raises XelErrorCode::Forbidden with the texts iOperation and " ": the object does not know
/// how to do it, or cannot take that length or array.
[[noreturn]] inline void XelMathRaiseForbidden(const char* iOperation, const char* iFile,
                                               const long iLine) {
  XelMathRaiseTexts(XelErrorCode::Forbidden, 2, iOperation, " ", nullptr, iFile, iLine);
}

/// Files iValue under iMessage and iKey in _XelR19QuorMail (nothing when iValue is null) and
/// unstacks it when the scope ends.
class XelMathMailboxEntry {
public:
  XelMathMailboxEntry(const long iMessage, const void* iKey, void* iValue)
      : _message(iMessage), _key(iKey), _filed(iValue != nullptr) {
    if (_filed)
      XelFedEx::Put(_XelR19QuorMail, _message, _key, iValue);
  }
  ~XelMathMailboxEntry() {
    if (_filed)
      XelFedEx::UnstackUntil(_XelR19QuorMail, _message, _key);
  }
  XelMathMailboxEntry(const XelMathMailboxEntry&) = delete;
  XelMathMailboxEntry& operator=(const XelMathMailboxEntry&) = delete;

private:
  long _message;
  const void* _key;
  bool _filed;
};

/// Runs iCleanup when the scope ends, unless Dismiss() was called.
template <class Cleanup> class XelMathOnExit {
public:
  explicit XelMathOnExit(Cleanup iCleanup) : _cleanup(std::move(iCleanup)) {}
  ~XelMathOnExit() {
    if (_armed)
      _cleanup();
  }
  XelMathOnExit(const XelMathOnExit&) = delete;
  XelMathOnExit& operator=(const XelMathOnExit&) = delete;
  void Dismiss() { _armed = false; }

private:
  Cleanup _cleanup;
  bool _armed = true;
};

/// XelMathOnExit of a lambda: auto guard = XelMathMakeOnExit([&] { ... });
template <class Cleanup> XelMathOnExit<Cleanup> XelMathMakeOnExit(Cleanup iCleanup) {
  return XelMathOnExit<Cleanup>(std::move(iCleanup));
}
