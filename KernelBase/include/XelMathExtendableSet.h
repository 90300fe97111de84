#pragma once
// Base of the growable sets of the kernel: a contiguous array of elements of a fixed number
// of bytes, with a count and a capacity.
//
// SetSize changes the number of elements: new elements are zero-filled, elements beyond
// the new size are dropped; the capacity grows by doubling so that repeated growth is
// amortised. Storage comes from the kernel's memory services (counted) and is copied with
// the set. A negative size raises XelMathInputError 0x20009; derived classes raise 0x20007
// "Wrong Index" for an index outside the set.
#include "XelQuorVirtual.h"

class XELKERNELBASE_EXPORT XelMathExtendableSet : public XelQuorVirtual {
public:
  /// An empty set of elements of iElementBytes bytes, with room for iCapacity of them.
  explicit XelMathExtendableSet(long iElementBytes, long iCapacity = 0);
  XelMathExtendableSet(const XelMathExtendableSet& iOther);
  XelMathExtendableSet& operator=(const XelMathExtendableSet& iOther);
  ~XelMathExtendableSet() override;

  /// Number of elements.
  long GetSize() const { return _size; }
  /// Sets the number of elements (new ones zero-filled).
  void SetSize(long iSize);
  /// Makes room for iCapacity elements without changing the size.
  void Reserve(long iCapacity);
  long GetCapacity() const { return _capacity; }
  long GetElementBytes() const { return _elementBytes; }
  /// Drops every element (the storage is kept).
  void RemoveAll() { _size = 0; }

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

protected:
  unsigned char* ElementAt(long i) { return _data + i * _elementBytes; }
  const unsigned char* ElementAt(long i) const { return _data + i * _elementBytes; }
  /// Raises 0x20007 "Wrong Index" from iWhere when i is outside 0..GetSize()-1.
  void CheckIndex(long i, const char* iWhere) const {
    if (i < 0 || i >= _size)
      RaiseIndex(iWhere);
  }
  [[noreturn]] static void RaiseIndex(const char* iWhere);
  /// Opens iCount zero-filled elements at iAt (0..GetSize()), shifting the following ones.
  void InsertElements(long iAt, long iCount);
  /// Removes iCount elements from iAt, shifting the following ones down.
  void RemoveElements(long iAt, long iCount);
  /// Changes the element width to iElementBytes, keeping the first bytes of each element
  /// (zero-filling the rest).
  void Reshape(long iElementBytes);

private:
  void Release();
  long _elementBytes;
  long _size;
  long _capacity;
  unsigned char* _data;
};
