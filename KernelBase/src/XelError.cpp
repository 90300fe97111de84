#include "XelError.h"

#include <cstdio>
#include <memory>

#include "XelQuorMemory.h"
#include "XelQuorOutput.h"

XelError::XelError(long iCode) : _code(iCode) {}

XelError::~XelError() = default;

const char* XelError::ClassName() const {
  return "XelError";
}

void XelError::SetParameters(int iCount, const char* iText1, const char* iText2,
                             const char* iText3) {
  const char* texts[3] = {iText1, iText2, iText3};
  _nbParameters = iCount < 0 ? 0 : (iCount > 3 ? 3 : iCount);
  for (int i = 0; i < 3; i++)
    _parameters[i] = (i < _nbParameters && texts[i]) ? texts[i] : "";
}

namespace {
// The path of a source file relative to the library's tree, without its extension: the
// directory the library was built in is of no use to a caller and differs per machine.
std::string LibraryRelativePath(const char* iFile) {
  std::string path = iFile ? iFile : "";
  for (char& c : path)
    if (c == '\\')
      c = '/';
  std::size_t start = std::string::npos;
  for (const char* root : {"AdvancedMathematics/", "KernelBase/"}) {
    std::size_t at = path.rfind(root);
    if (at != std::string::npos && (at == 0 || path[at - 1] == '/') &&
        (start == std::string::npos || at > start))
      start = at;
  }
  if (start == std::string::npos) {
    std::size_t slash = path.rfind('/');
    start = slash == std::string::npos ? 0 : slash + 1;
  }
  path.erase(0, start);
  std::size_t dot = path.rfind('.');
  std::size_t slash = path.rfind('/');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash) && dot > 0)
    path.erase(dot);
  return path;
}
} // namespace

void XelError::SetSource(const char* iFile, long iLine) {
  _file = LibraryRelativePath(iFile);
  _line = iLine;
}

const char* XelError::GetParameter(long i) const {
  if (i < 0 || i >= _nbParameters)
    return "";
  return _parameters[i].c_str();
}

const char* XelError::what() const noexcept {
  // Composed here rather than at construction: a base constructor would name the base
  // class instead of the raised one.
  try {
    char code[32];
    snprintf(code, sizeof(code), "0x%lx", static_cast<unsigned long>(_code));
    _message = std::string(ClassName()) + " " + code;
    for (long i = 0; i < _nbParameters; i++)
      _message += (i ? ", " : ": ") + _parameters[i];
    if (!_file.empty())
      _message += " (" + _file + ":" + std::to_string(_line) + ")";
  } catch (...) {
    return "XelError (message unavailable: out of memory)";
  }
  return _message.c_str();
}

void XelError::Raise() const {
  throw *this;
}

void* XelError::operator new(std::size_t iSize) {
  return xelquornew(iSize);
}

void XelError::operator delete(void* iBlock, std::size_t iSize) {
  xelquordel(iBlock, iSize);
}

void XelQuorThrowFunction(XelError* iError, const char* iFile, long iLine) {
  std::unique_ptr<XelError> owned(iError);
  if (!owned)
    owned.reset(new XelError(0));
  owned->SetSource(iFile, iLine);
  owned->Raise();
  std::terminate(); // Raise never returns
}

namespace {
long quornullCount = 0;
long contextDepth = 0;
} // namespace

void XelQuornull(const char* iFile, long iLine) {
  quornullCount++;
  XelQuorOutput::GetErr() << "XelQuornull: invalid state at " << (iFile ? iFile : "?") << ":"
                          << iLine << "\n";
}

long XelQuornullCount() {
  return quornullCount;
}

XelXHContext::XelXHContext() {
  contextDepth++;
}
XelXHContext::~XelXHContext() {
  contextDepth--;
}
long XelXHContext::GetDepth() {
  return contextDepth;
}
