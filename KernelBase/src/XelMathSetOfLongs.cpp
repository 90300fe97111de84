#include "XelMathSetOfLongs.h"

#include "XelKernelInternalConstants.h"
#include "XelMathInputError.h"

XelMathSetOfLongs::XelMathSetOfLongs()
    : XelMathExtendableSet(static_cast<long>(sizeof(long))), _cursor(-1) {}

XelMathSetOfLongs::XelMathSetOfLongs(long iCount, const long* iValues)
    : XelMathExtendableSet(static_cast<long>(sizeof(long)), iCount), _cursor(-1) {
  for (long i = 0; i < iCount; i++)
    AddElement(iValues[i]);
}

XelMathSetOfLongs::XelMathSetOfLongs(const XelMathSetOfLongs& iOther)
    : XelMathExtendableSet(iOther), _cursor(iOther._cursor) {}

XelMathSetOfLongs& XelMathSetOfLongs::operator=(const XelMathSetOfLongs& iOther) {
  XelMathExtendableSet::operator=(iOther);
  _cursor = iOther._cursor;
  return *this;
}

XelMathSetOfLongs::~XelMathSetOfLongs() = default;

long XelMathSetOfLongs::AddElement(long iValue) {
  long index = GetSize();
  SetSize(index + 1);
  Data()[index] = iValue;
  return index;
}

void XelMathSetOfLongs::RemoveElement(long i) {
  CheckIndex(i, "XelMathSetOfLongs::RemoveElement");
  RemoveElements(i, 1);
  if (_cursor > i)
    _cursor--;
}

long XelMathSetOfLongs::Find(long iValue) const {
  const long* data = Data();
  for (long i = 0; i < GetSize(); i++)
    if (data[i] == iValue)
      return i;
  return -1;
}

void XelMathSetOfLongs::GetElements(long* oValues) const {
  const long* data = Data();
  for (long i = 0; i < GetSize(); i++)
    oValues[i] = data[i];
}

int XelMathSetOfLongs::Beginning() {
  _cursor = 0;
  return GetSize() > 0;
}

int XelMathSetOfLongs::Next() {
  if (_cursor < GetSize())
    _cursor++;
  return _cursor < GetSize();
}

long XelMathSetOfLongs::GetElement() const {
  if (_cursor < 0 || _cursor >= GetSize())
    XelMathRaise(XelErrorCode::NotOnElement, "the cursor of a XelMathSetOfLongs",
                 "not on an element", "Next");
  return Data()[_cursor];
}
