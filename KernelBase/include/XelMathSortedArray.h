#pragma once
// Base of the sorts of the kernel: orders the indices 0..n-1 of a collection by a
// comparison supplied by the derived class and keeps the permutation.
//
// After Sort, GetIndex(r) is the index in the original collection of the element of rank r
// (0 = first in the order). The sort is stable: equal elements keep their original order.
// A rank outside 0..n-1 raises XelMathInputError 0x20007 "Wrong Index".
#include "XelQuorVirtual.h"

class XELKERNELBASE_EXPORT XelMathSortedArray : public XelQuorVirtual {
public:
  /// A collection of iCount elements (the identity permutation until Sort).
  explicit XelMathSortedArray(long iCount);
  XelMathSortedArray(const XelMathSortedArray& iOther);
  XelMathSortedArray& operator=(const XelMathSortedArray& iOther);
  ~XelMathSortedArray() override;

  /// Orders the indices by Compare (merge sort, O(n log n), stable).
  void Sort();
  long GetNumberOfElements() const { return _count; }
  /// Original index of the element of rank iRank.
  long GetIndex(long iRank) const;
  /// The permutation: oPermutation[r] = GetIndex(r) (room for GetNumberOfElements()).
  void GetPermutation(long* oPermutation) const;
  /// The address of the permutation.
  const long* GetPermutation() const { return _permutation; }

  long GetDynamicMemoryBytes() const override;

protected:
  /// Negative when element i comes before element j, positive after, 0 when equal.
  virtual int Compare(long i, long j) const = 0;

private:
  long _count;
  long* _permutation;
};
