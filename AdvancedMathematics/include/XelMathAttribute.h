#pragma once
// Base of every option that can be put in a XelMathAttrList. An attribute is found in a
// list by its key (GetType) and says whether a list may hold only one attribute of that key
// (IsExclusive: adding a second one replaces the first in place). Attributes are small
// value holders: the meaning of each option belongs to the analysis that reads it.
//
// Ownership: lists never own their attributes; the caller keeps an attribute alive as long
// as a list refers to it (attributes usually live on the caller's stack beside the list).
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttribute : public XelQuorVirtual {
public:
  XelMathAttribute() = default;
  XelMathAttribute(const XelMathAttribute&) = default;
  XelMathAttribute& operator=(const XelMathAttribute&) = default;
  ~XelMathAttribute() override;

  /// The key under which the attribute is found in a list.
  virtual const char* GetType() const = 0;
  /// Non-zero when a list may hold only one attribute of this key (false here).
  virtual unsigned char IsExclusive() const;
};
