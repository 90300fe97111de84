#include "XelMathAttrDecomposition.h"

#include "XelMathAttrLongArray.h"

namespace {
const char* const Where = "XelMathAttrDecomposition::XelMathAttrDecomposition";
} // namespace

XelMathAttrDecomposition::XelMathAttrDecomposition(long iCount, long* iTab)
    : _count(0), _tab(XelMathAttrLongArray::Copy(iTab, iCount, _count, Where)) {}

XelMathAttrDecomposition::XelMathAttrDecomposition(const XelMathAttrDecomposition& iOther)
    : XelMathAttribute(iOther), _count(0),
      _tab(XelMathAttrLongArray::Copy(iOther._tab, iOther._count, _count, Where)) {}

XelMathAttrDecomposition&
XelMathAttrDecomposition::operator=(const XelMathAttrDecomposition& iOther) {
  if (this == &iOther)
    return *this;
  XelMathAttrLongArray::Assign(_tab, _count, iOther._tab, iOther._count, Where);
  return *this;
}

XelMathAttrDecomposition::~XelMathAttrDecomposition() {
  XelMathAttrLongArray::Free(_tab, _count);
}

const char* XelMathAttrDecomposition::GetType() const {
  return "XelMathAttrDecomposition";
}

unsigned char XelMathAttrDecomposition::IsExclusive() const {
  return 1;
}
