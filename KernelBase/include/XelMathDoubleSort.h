#pragma once
// Sorts an array of doubles and returns the permutation.
//
//   XelMathDoubleSort sort(n, values);   // values are copied
//   sort.Sort();
//   sort.GetIndex(0);                    // index of the smallest value
//   sort.GetValue(0);                    // the smallest value
//
// Increasing order by default, decreasing on request; the sort is stable (equal values
// keep their original order) and NaN values come last in either order.
#include "XelMathSortedArray.h"

class XELKERNELBASE_EXPORT XelMathDoubleSort : public XelMathSortedArray {
public:
  /// Copies the iCount values at iValues; iDecreasing non-zero sorts largest first.
  XelMathDoubleSort(long iCount, const double* iValues, int iDecreasing = 0);
  XelMathDoubleSort(const XelMathDoubleSort& iOther);
  XelMathDoubleSort& operator=(const XelMathDoubleSort& iOther);
  ~XelMathDoubleSort() override;

  /// The value of rank iRank (after Sort).
  double GetValue(long iRank) const { return _values[GetIndex(iRank)]; }
  /// The values in sorted order (room for GetNumberOfElements()).
  void GetSortedValues(double* oValues) const;

  long GetDynamicMemoryBytes() const override;

protected:
  int Compare(long i, long j) const override;

private:
  double* _values;
  int _decreasing;
};
