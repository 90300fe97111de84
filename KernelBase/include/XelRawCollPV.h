#pragma once
// A list of untyped pointers, indexed from 1. The list never owns what its pointers point to.
//
// Append adds at the end and InsertAt(i, p) before position i (1..Size()+1); Locate gives
// the position of the first occurrence of a pointer (0 when absent), Remove removes it
// and RemovePosition removes the pointer at a position; RemoveAll empties the list.
// Positions outside 1..Size() (1..Size()+1 for InsertAt) raise XelMathInputError 0x20007
// "Wrong Index".
#include "XelMathExtendableSet.h"

class XELKERNELBASE_EXPORT XelRawCollPV : public XelMathExtendableSet {
public:
  /// An empty list with room for iCapacity pointers.
  explicit XelRawCollPV(long iCapacity = 0);
  XelRawCollPV(const XelRawCollPV& iOther);
  XelRawCollPV& operator=(const XelRawCollPV& iOther);
  ~XelRawCollPV() override;

  int Size() const { return static_cast<int>(GetSize()); }
  /// Appends iPointer; returns its position.
  int Append(void* iPointer);
  /// Inserts iPointer at iPosition (1..Size()+1).
  void InsertAt(int iPosition, void* iPointer);
  /// Position of the first occurrence of iPointer, 0 when absent.
  int Locate(const void* iPointer) const;
  /// Removes the first occurrence of iPointer; returns its former position, 0 when absent.
  int Remove(const void* iPointer);
  /// Removes the pointer at iPosition (1..Size()).
  void RemovePosition(int iPosition);
  void RemoveAll() { XelMathExtendableSet::RemoveAll(); }
  /// The pointer at iPosition (1..Size()).
  void*& operator[](int iPosition);
  void* operator[](int iPosition) const;

private:
  void** Data() { return reinterpret_cast<void**>(ElementAt(0)); }
  void* const* Data() const { return reinterpret_cast<void* const*>(ElementAt(0)); }
};
