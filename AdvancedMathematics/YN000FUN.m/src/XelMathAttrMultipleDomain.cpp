#include "XelMathAttrMultipleDomain.h"

#include "XelMathAttrLongArray.h"

XelMathAttrMultipleDomain::XelMathAttrMultipleDomain(long iCount, long* iTab, long iNbDomains,
                                                     const XelMathIntervalND* iDomain)
    : _count(0), _twiceNbDomains(2 * iNbDomains), _constraints(-1),
      _tab(XelMathAttrLongArray::Copy(iTab, iCount, _count)), _domain(iDomain) {}

XelMathAttrMultipleDomain::XelMathAttrMultipleDomain(long iCount, long* iTab, long iNbDomains,
                                                     long /*iIgnored*/,
                                                     const XelMathIntervalND* iDomain)
    : _count(0), _twiceNbDomains(2 * iNbDomains), _constraints(0),
      _tab(XelMathAttrLongArray::Copy(iTab, iCount, _count)), _domain(iDomain) {}

XelMathAttrMultipleDomain::XelMathAttrMultipleDomain(const XelMathAttrMultipleDomain& iOther)
    : XelMathAttribute(iOther), _count(0), _twiceNbDomains(iOther._twiceNbDomains),
      _constraints(iOther._constraints),
      _tab(XelMathAttrLongArray::Copy(iOther._tab, iOther._count, _count)),
      _domain(iOther._domain) {}

XelMathAttrMultipleDomain&
XelMathAttrMultipleDomain::operator=(const XelMathAttrMultipleDomain& iOther) {
  if (this == &iOther)
    return *this;
  XelMathAttrLongArray::Assign(_tab, _count, iOther._tab, iOther._count);
  _twiceNbDomains = iOther._twiceNbDomains;
  _constraints = iOther._constraints;
  _domain = iOther._domain;
  return *this;
}

XelMathAttrMultipleDomain::~XelMathAttrMultipleDomain() {
  XelMathAttrLongArray::Free(_tab, _count);
}

const char* XelMathAttrMultipleDomain::GetType() const {
  return "XelMathAttrMultipleDomain";
}

unsigned char XelMathAttrMultipleDomain::IsExclusive() const {
  return 1;
}
