#include "XelMathAttrScaleOption.h"

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

namespace {
/// A count of powers of one kind: negative counts as 0; a count that no array holds raises
/// 0x20006 before any size is computed from it.
long CheckedCount(const long iCount) {
  if (iCount > XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidOption, "the number of powers", "Dimension not valid",
                 "XelMathAttrScaleOption::XelMathAttrScaleOption");
  return iCount > 0 ? iCount : 0;
}
long* NewPowers(long iCount) {
  return static_cast<long*>(xelquornew(sizeof(long) * static_cast<std::size_t>(iCount)));
}
void FreePowers(long* iPowers, long iCount) {
  xelquordel(iPowers, sizeof(long) * static_cast<std::size_t>(iCount));
}
void CopyPowers(long* oPowers, const long* iPowers, long iCount) {
  for (long i = 0; i < iCount; i++)
    oPowers[i] = iPowers ? iPowers[i] : 0;
}
} // namespace

XelMathAttrScaleOption::XelMathAttrScaleOption(long iPowerF, long iPowerX)
    : _nbF(0), _powersF(nullptr), _nbX(0), _powersX(nullptr), _nbG(0), _powersG(nullptr),
      _reviewed(0), _inlineF(), _inlineX(), _inlineG() {
  Copy(1, &iPowerF, 1, &iPowerX, 0, nullptr);
}

XelMathAttrScaleOption::XelMathAttrScaleOption(long iNbF, const long* iPowersF, long iNbX,
                                               const long* iPowersX, long iNbG,
                                               const long* iPowersG)
    : _nbF(0), _powersF(nullptr), _nbX(0), _powersX(nullptr), _nbG(0), _powersG(nullptr),
      _reviewed(0), _inlineF(), _inlineX(), _inlineG() {
  Copy(iNbF, iPowersF, iNbX, iPowersX, iNbG, iPowersG);
}

XelMathAttrScaleOption::XelMathAttrScaleOption(const XelMathAttrScaleOption& iOther)
    : XelMathAttribute(iOther), _nbF(0), _powersF(nullptr), _nbX(0), _powersX(nullptr), _nbG(0),
      _powersG(nullptr), _reviewed(iOther._reviewed), _inlineF(), _inlineX(), _inlineG() {
  Copy(iOther._nbF, iOther._powersF, iOther._nbX, iOther._powersX, iOther._nbG, iOther._powersG);
}

XelMathAttrScaleOption& XelMathAttrScaleOption::operator=(const XelMathAttrScaleOption& iOther) {
  if (this == &iOther)
    return *this;
  Free();
  Copy(iOther._nbF, iOther._powersF, iOther._nbX, iOther._powersX, iOther._nbG, iOther._powersG);
  _reviewed = iOther._reviewed;
  return *this;
}

XelMathAttrScaleOption::~XelMathAttrScaleOption() {
  Free();
}

const char* XelMathAttrScaleOption::GetType() const {
  return "XelMathAttrScaleOption";
}

unsigned char XelMathAttrScaleOption::IsExclusive() const {
  return 1;
}

const long* XelMathAttrScaleOption::GetPowerScaleF(long& oCount) const {
  oCount = _nbF;
  return _powersF;
}

const long* XelMathAttrScaleOption::GetPowerScaleX(long& oCount) const {
  oCount = _nbX;
  return _powersX;
}

const long* XelMathAttrScaleOption::GetPowerScaleG(long& oCount) const {
  oCount = _nbG;
  return _powersG;
}

void XelMathAttrScaleOption::Alloc() {
  _powersF = _nbF > InlineCount ? NewPowers(_nbF) : _inlineF;
  _powersX = _nbX > InlineCount ? NewPowers(_nbX) : _inlineX;
  _powersG = _nbG > InlineCount ? NewPowers(_nbG) : _inlineG;
}

void XelMathAttrScaleOption::Free() {
  if (_powersF && _powersF != _inlineF)
    FreePowers(_powersF, _nbF);
  if (_powersX && _powersX != _inlineX)
    FreePowers(_powersX, _nbX);
  if (_powersG && _powersG != _inlineG)
    FreePowers(_powersG, _nbG);
  _powersF = _powersX = _powersG = nullptr;
  _nbF = _nbX = _nbG = 0;
}

void XelMathAttrScaleOption::Copy(long iNbF, const long* iPowersF, long iNbX, const long* iPowersX,
                                  long iNbG, const long* iPowersG) {
  const long nbF = CheckedCount(iNbF), nbX = CheckedCount(iNbX), nbG = CheckedCount(iNbG);
  _nbF = nbF;
  _nbX = nbX;
  _nbG = nbG;
  Alloc();
  CopyPowers(_powersF, iPowersF, _nbF);
  CopyPowers(_powersX, iPowersX, _nbX);
  CopyPowers(_powersG, iPowersG, _nbG);
}
