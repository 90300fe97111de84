#pragma once
// List of the options given to a solver or minimizer: attributes found by their key text.
//
// AddAttribute appends an attribute, except that an exclusive attribute replaces in place
// the first entry of the same key (so the length and order of the list do not change).
// Non-exclusive attributes of the same key pile up in insertion order and are told apart
// by their occurrence number in GetAttribute.
//
// Ownership: the list never owns its attributes. Its destructor frees only its array of
// pointers, a copy shares the same attributes, and a replaced attribute is not deleted.
// The caller keeps every attribute alive as long as a list (or copy) refers to it.
// Nothing here raises except on memory exhaustion.
#include "XelAdvancedMathematicsExport.h"
#include "XelMathAttrKeys.h"
#include "XelMathAttribute.h"

#include <cstddef>

class XELADVANCEDMATHEMATICS_EXPORT XelMathAttrList {
public:
  /// An empty list.
  XelMathAttrList();
  /// A list of exactly that one entry; a null pointer is stored too.
  explicit XelMathAttrList(const XelMathAttribute* iAttribute);
  /// The same entries in the same order (the pointers are copied, not the attributes).
  XelMathAttrList(const XelMathAttrList& iOther);
  XelMathAttrList& operator=(const XelMathAttrList& iOther);
  ~XelMathAttrList();

  /// Adds iAttribute (ignored when null): an exclusive attribute replaces the first entry of
  /// the same key when there is one; otherwise the attribute is appended.
  void AddAttribute(const XelMathAttribute* iAttribute);
  /// The iOccurrence-th entry (counted from 1) whose key is the same pointer as iKey or has
  /// the same text; null when there are fewer matches, when iOccurrence < 1 or iKey is null.
  XelMathAttribute* GetAttribute(const char* iKey, long iOccurrence = 1) const;

  /// Number of entries (null entries included).
  long GetNumberOfAttributes() const { return _count; }
  /// The entry at iIndex (0-based, insertion order); null outside [0, count).
  const XelMathAttribute* GetAttributeAt(long iIndex) const;

  static void* operator new(std::size_t iSize);
  static void operator delete(void* iBlock, std::size_t iSize);

private:
  long _count;
  const XelMathAttribute** _entries;
};
