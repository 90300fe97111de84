#pragma once
// A list of ints, indexed from 1.
//
// Append adds at the end and InsertAt(i, v) before position i (1..Size()+1); Locate gives
// the position of the first occurrence of a value (0 when absent), Remove removes it and
// RemovePosition removes the value at a position; FillArray copies the values out;
// RemoveAll empties the list. Positions outside 1..Size() (1..Size()+1 for InsertAt) raise
// XelMathInputError 0x20007 "Wrong Index".
#include "XelMathExtendableSet.h"

class XELKERNELBASE_EXPORT XelRawCollint : public XelMathExtendableSet {
public:
  /// An empty list with room for iCapacity values.
  explicit XelRawCollint(long iCapacity = 0);
  XelRawCollint(const XelRawCollint& iOther);
  XelRawCollint& operator=(const XelRawCollint& iOther);
  ~XelRawCollint() override;

  int Size() const { return static_cast<int>(GetSize()); }
  /// Appends iValue; returns its position.
  int Append(int iValue);
  /// Inserts iValue at iPosition (1..Size()+1).
  void InsertAt(int iPosition, int iValue);
  /// Position of the first occurrence of iValue, 0 when absent.
  int Locate(int iValue) const;
  /// Removes the first occurrence of iValue; returns its former position, 0 when absent.
  int Remove(int iValue);
  /// Removes the value at iPosition (1..Size()).
  void RemovePosition(int iPosition);
  void RemoveAll() { XelMathExtendableSet::RemoveAll(); }
  /// Copies the Size() values into oValues (room for Size()).
  void FillArray(int* oValues) const;
  /// Copies at most iMaxCount values into oValues; returns the number copied.
  int FillArray(int* oValues, int iMaxCount) const;
  /// The value at iPosition (1..Size()).
  int& operator[](int iPosition);
  int operator[](int iPosition) const;

private:
  int* Data() { return reinterpret_cast<int*>(ElementAt(0)); }
  const int* Data() const { return reinterpret_cast<const int*>(ElementAt(0)); }
};
