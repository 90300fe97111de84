#include "XelFedEx.h"

#include <vector>

struct XelFedExMail::Impl {
  struct Filing {
    long message;
    const void* key;
    void* value;
    long status;
  };
  std::vector<Filing> filings;
};

XelFedExMail _XelR19QuorMail;

XelFedExMail::XelFedExMail() : _impl(new Impl) {}
XelFedExMail::~XelFedExMail() { delete _impl; }
long XelFedExMail::GetNumberOfFilings() const { return static_cast<long>(_impl->filings.size()); }

void XelFedEx::Put(XelFedExMail& ioMail, long iMessage, const void* iKey, void* iValue,
                   long iStatus) {
  ioMail._impl->filings.push_back({iMessage, iKey, iValue, iStatus});
}

int XelFedEx::Get(const XelFedExMail& iMail, long iMessage, const void* iKey, void*& oValue,
                  long& oStatus) {
  const auto& filings = iMail._impl->filings;
  for (auto it = filings.rbegin(); it != filings.rend(); ++it)
    if (it->message == iMessage && it->key == iKey) {
      oValue = it->value;
      oStatus = it->status;
      return 1;
    }
  return 0;
}

void XelFedEx::UnstackUntil(XelFedExMail& ioMail, long iMessage, const void* iKey) {
  auto& filings = ioMail._impl->filings;
  for (long i = static_cast<long>(filings.size()) - 1; i >= 0; i--)
    if (filings[i].message == iMessage && filings[i].key == iKey) {
      filings.erase(filings.begin() + i, filings.end());
      return;
    }
}
