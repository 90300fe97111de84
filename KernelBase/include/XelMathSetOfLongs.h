#pragma once
// A growable set of integers (kept in the order of insertion, duplicates allowed), with
// a cursor. Copyable.
//
// GetElement(i) reads element i (0-based; another index raises XelMathInputError 0x20007
// "Wrong Index"); Find gives the index of the first element equal to a value, or -1.
// Cursor: Reset puts it before the first element and Beginning on the first one; Next
// moves it forward; both answer 1 when the cursor is then on an element, 0 past the end.
// GetElement() reads at the cursor and raises 0x20008 ("Next") when the cursor is not on
// an element. Two iteration forms:
//   s.Reset(); while (s.Next()) use(s.GetElement());
//   for (int on = s.Beginning(); on; on = s.Next()) use(s.GetElement());
#include "XelMathExtendableSet.h"

class XELKERNELBASE_EXPORT XelMathSetOfLongs : public XelMathExtendableSet {
public:
  XelMathSetOfLongs();
  /// A set of the iCount values at iValues.
  XelMathSetOfLongs(long iCount, const long* iValues);
  XelMathSetOfLongs(const XelMathSetOfLongs& iOther);
  XelMathSetOfLongs& operator=(const XelMathSetOfLongs& iOther);
  ~XelMathSetOfLongs() override;

  /// Appends iValue; returns its index.
  long AddElement(long iValue);
  long GetElement(long i) const {
    CheckIndex(i, "XelMathSetOfLongs::GetElement");
    return Data()[i];
  }
  void SetElement(long i, long iValue) {
    CheckIndex(i, "XelMathSetOfLongs::SetElement");
    Data()[i] = iValue;
  }
  /// Removes element i, shifting the following ones.
  void RemoveElement(long i);
  long GetNumberOfElements() const { return GetSize(); }
  /// Index of the first element equal to iValue, or -1.
  long Find(long iValue) const;
  /// Copies the elements into oValues (room for GetNumberOfElements()).
  void GetElements(long* oValues) const;

  /// Cursor before the first element.
  void Reset() { _cursor = -1; }
  /// Cursor on the first element; 1 when there is one.
  int Beginning();
  /// Cursor on the next element; 1 when there is one.
  int Next();
  /// The element at the cursor.
  long GetElement() const;

private:
  long* Data() { return reinterpret_cast<long*>(ElementAt(0)); }
  const long* Data() const { return reinterpret_cast<const long*>(ElementAt(0)); }
  long _cursor;
};
