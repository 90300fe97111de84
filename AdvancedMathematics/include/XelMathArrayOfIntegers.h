#pragma once
// A small growable list of integers: the labels carried by one cell of a grid of pixels
// where several drawn walls meet (XelMathGridOfPixels).
//
// The count and the capacity are 16-bit: the storage starts empty, grows to 2 values on
// the first Add and then doubles, up to 32767 values; one more raises XelResourceError
// 0x20001 ("Too many values"). Values are kept in the order of insertion, duplicates
// included. Copies duplicate the storage.
#include "XelAdvancedMathematicsExport.h"
#include "XelQuorVirtual.h"

class XELADVANCEDMATHEMATICS_EXPORT XelMathArrayOfIntegers : public XelQuorVirtual {
public:
  /// An empty list without storage.
  XelMathArrayOfIntegers();
  /// The list [iValue], with room for 2 values.
  explicit XelMathArrayOfIntegers(const long iValue);
  XelMathArrayOfIntegers(const XelMathArrayOfIntegers& iOther);
  XelMathArrayOfIntegers& operator=(const XelMathArrayOfIntegers& iOther);
  ~XelMathArrayOfIntegers() override;

  long GetDynamicMemoryBytes() const override;
  long GetStaticMemoryBytes() const override;

  /// Appends iValue (capacity 0 -> 2 -> 4 -> ...).
  void Add(const long iValue);
  /// Number of values.
  long GetSize() const { return _count; }
  /// Value i, or 0 when i is outside 0..GetSize()-1.
  long GetValue(const long i) const { return i >= 0 && i < _count ? _values[i] : 0; }
  /// True when one of the values is iValue.
  bool Contains(const long iValue) const;
  /// True when the two lists have a value in common.
  bool SharesValueWith(const XelMathArrayOfIntegers& iOther) const;
  /// Prints the count and the values to the trace output.
  void Dump() const;

private:
  short _count;
  short _capacity;
  long* _values;
};
