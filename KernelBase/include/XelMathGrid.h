#pragma once
// A grid of values: rows x columns doubles, stored row after row (row-major, contiguous).
//
// Each row is one element of the underlying XelMathExtendableSet, so
// XelMathExtendableSet::SetSize(rows) changes the number of rows (new rows are zero) and
// SetSize(rows, columns) changes both, keeping the values of the common block; a negative
// size or more columns than an array of the memory services holds raises XelMathInputError
// 0x20009. Indices outside the grid raise 0x20007 "Wrong Index".
#include "XelMathExtendableSet.h"

class XELKERNELBASE_EXPORT XelMathGrid : public XelMathExtendableSet {
public:
  /// A grid of iRows x iColumns zeros.
  explicit XelMathGrid(long iRows = 0, long iColumns = 0);
  XelMathGrid(const XelMathGrid& iOther);
  XelMathGrid& operator=(const XelMathGrid& iOther);
  ~XelMathGrid() override;

  using XelMathExtendableSet::SetSize;
  /// Resizes to iRows x iColumns, keeping the values of the common block.
  void SetSize(long iRows, long iColumns);
  long GetNumberOfRows() const { return GetSize(); }
  long GetNumberOfColumns() const { return _columns; }

  double GetCoef(long i, long j) const {
    Check(i, j, "XelMathGrid::GetCoef");
    return GetRow(i)[j];
  }
  void SetCoef(long i, long j, double iValue) {
    Check(i, j, "XelMathGrid::SetCoef");
    GetRow(i)[j] = iValue;
  }
  /// The values of row i (unchecked: 0 <= i < GetNumberOfRows()).
  double* GetRow(long i) { return reinterpret_cast<double*>(ElementAt(i)); }
  const double* GetRow(long i) const { return reinterpret_cast<const double*>(ElementAt(i)); }
  /// All the values, row after row (null for an empty grid).
  double* GetData() { return GetSize() > 0 && _columns > 0 ? GetRow(0) : nullptr; }
  const double* GetData() const { return GetSize() > 0 && _columns > 0 ? GetRow(0) : nullptr; }
  /// Sets every value to iValue.
  void Fill(double iValue);

private:
  void Check(long i, long j, const char* iWhere) const {
    if (i < 0 || i >= GetSize() || j < 0 || j >= _columns)
      RaiseIndex(iWhere);
  }
  long _columns;
};
