#include "XelMathAttrMultipleDomain.h"

#include "XelMathAttrLongArray.h"
#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

namespace {
const char* const Where = "XelMathAttrMultipleDomain::XelMathAttrMultipleDomain";

/// Twice the number of domains, refused (0x20004) when no caller could have that many.
long Twice(const long iNbDomains) {
  if (iNbDomains > XelQuorMaxArrayDoubles || iNbDomains < -XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the number of domains",
                 "Invalid Number Of Points", Where);
  return 2 * iNbDomains;
}
} // namespace

XelMathAttrMultipleDomain::XelMathAttrMultipleDomain(long iCount, long* iTab, long iNbDomains,
                                                     const XelMathIntervalND* iDomain)
    : _count(0), _twiceNbDomains(Twice(iNbDomains)), _constraints(-1),
      _tab(XelMathAttrLongArray::Copy(iTab, iCount, _count, Where)), _domain(iDomain) {}

XelMathAttrMultipleDomain::XelMathAttrMultipleDomain(long iCount, long* iTab, long iNbDomains,
                                                     long /*iIgnored*/,
                                                     const XelMathIntervalND* iDomain)
    : _count(0), _twiceNbDomains(Twice(iNbDomains)), _constraints(0),
      _tab(XelMathAttrLongArray::Copy(iTab, iCount, _count, Where)), _domain(iDomain) {}

XelMathAttrMultipleDomain::XelMathAttrMultipleDomain(const XelMathAttrMultipleDomain& iOther)
    : XelMathAttribute(iOther), _count(0), _twiceNbDomains(iOther._twiceNbDomains),
      _constraints(iOther._constraints),
      _tab(XelMathAttrLongArray::Copy(iOther._tab, iOther._count, _count, Where)),
      _domain(iOther._domain) {}

XelMathAttrMultipleDomain&
XelMathAttrMultipleDomain::operator=(const XelMathAttrMultipleDomain& iOther) {
  if (this == &iOther)
    return *this;
  XelMathAttrLongArray::Assign(_tab, _count, iOther._tab, iOther._count, Where);
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
