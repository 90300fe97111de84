#pragma once
// Option "XelMathAttrMultipleDomain" (exclusive): sub-domains and constraints that the
// implicit-system marcher watches. It holds a list of integers (copied and owned), the
// number of sub-domains, a constraints field and a domain box (not owned: it must outlive
// the attribute).
#include "XelMathAttribute.h"

class XelMathIntervalND;

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrMultipleDomain : public XelMathAttribute {
public:
  /// iCount integers of iTab (copied), iNbDomains sub-domains, the domain iDomain;
  /// constraints field -1. More integers or domains than an array holds raise 0x20004 ("the
  /// number of integers" or "the number of domains").
  XelMathAttrMultipleDomain(long iCount, long* iTab, long iNbDomains,
                            const XelMathIntervalND* iDomain);
  /// The same with constraints field 0; iIgnored is not used.
  XelMathAttrMultipleDomain(long iCount, long* iTab, long iNbDomains, long iIgnored,
                            const XelMathIntervalND* iDomain);
  XelMathAttrMultipleDomain(const XelMathAttrMultipleDomain& iOther);
  XelMathAttrMultipleDomain& operator=(const XelMathAttrMultipleDomain& iOther);
  ~XelMathAttrMultipleDomain() override;

  /// "XelMathAttrMultipleDomain".
  const char* GetType() const override;
  /// True.
  unsigned char IsExclusive() const override;

  long GetMultipleDomainNumber() const { return _count; }
  /// The copied integers (null when there are none).
  const long* GetMultipleDomainTab() const { return _tab; }
  /// The number of sub-domains given.
  long GetNumberOfDomains() const { return _twiceNbDomains / 2; }
  const XelMathIntervalND* GetDomain() const { return _domain; }
  /// -1 or 0 depending on the constructor.
  long GetConstraints() const { return _constraints; }

private:
  long _count;
  long _twiceNbDomains;
  long _constraints;
  long* _tab;
  const XelMathIntervalND* _domain;
};
