#pragma once
// A keyed mailbox. Values are filed on a mail object under a message number and an
// object key; Get finds the latest filing for that number and key; UnstackUntil removes
// what was filed under that key from its latest filing down to (and including) the first
// one found. The library files, on _XelR19QuorMail with a function object as key, the
// scaling option that goes with that function while an analysis runs.
#include "XelKernelBaseExport.h"

class XELKERNELBASE_EXPORT XelFedExMail {
public:
  XelFedExMail();
  ~XelFedExMail();
  XelFedExMail(const XelFedExMail&) = delete;
  XelFedExMail& operator=(const XelFedExMail&) = delete;
  long GetNumberOfFilings() const;

private:
  friend class XelFedEx;
  struct Impl;
  Impl* _impl;
};

class XELKERNELBASE_EXPORT XelFedEx {
public:
  /// Files iValue (with iStatus) under iMessage and iKey.
  static void Put(XelFedExMail& ioMail, long iMessage, const void* iKey, void* iValue,
                  long iStatus = 0);
  /// Non-zero when something is filed under iMessage and iKey: oValue and oStatus receive
  /// the latest filing.
  static int Get(const XelFedExMail& iMail, long iMessage, const void* iKey, void*& oValue,
                 long& oStatus);
  /// Removes, for iKey and iMessage, the latest filing and every filing made after it.
  static void UnstackUntil(XelFedExMail& ioMail, long iMessage, const void* iKey);
};

/// The library's mail object.
XELKERNELBASE_EXPORT extern XelFedExMail _XelR19QuorMail;
