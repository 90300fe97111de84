#include "XelMathDoubleSort.h"

#include <cmath>

#include "XelQuorMemory.h"

XelMathDoubleSort::XelMathDoubleSort(long iCount, const double* iValues, int iDecreasing)
    : XelMathSortedArray(iCount), _values(XelQuorArrayDoubleNew(iCount)),
      _decreasing(iDecreasing ? 1 : 0) {
  for (long i = 0; i < iCount; i++)
    _values[i] = iValues[i];
}

XelMathDoubleSort::XelMathDoubleSort(const XelMathDoubleSort& iOther)
    : XelMathSortedArray(iOther), _values(XelQuorArrayDoubleNew(iOther.GetNumberOfElements())),
      _decreasing(iOther._decreasing) {
  for (long i = 0; i < GetNumberOfElements(); i++)
    _values[i] = iOther._values[i];
}

XelMathDoubleSort& XelMathDoubleSort::operator=(const XelMathDoubleSort& iOther) {
  if (this == &iOther)
    return *this;
  double* values = XelQuorArrayDoubleNew(iOther.GetNumberOfElements());
  for (long i = 0; i < iOther.GetNumberOfElements(); i++)
    values[i] = iOther._values[i];
  XelQuorArrayDoubleDel(_values, GetNumberOfElements());
  _values = values;
  XelMathSortedArray::operator=(iOther);
  _decreasing = iOther._decreasing;
  return *this;
}

XelMathDoubleSort::~XelMathDoubleSort() {
  XelQuorArrayDoubleDel(_values, GetNumberOfElements());
}

void XelMathDoubleSort::GetSortedValues(double* oValues) const {
  const long* permutation = GetPermutation();
  for (long r = 0; r < GetNumberOfElements(); r++)
    oValues[r] = _values[permutation[r]];
}

int XelMathDoubleSort::Compare(long i, long j) const {
  double a = _values[i], b = _values[j];
  bool nanA = std::isnan(a), nanB = std::isnan(b);
  if (nanA || nanB)
    return nanA == nanB ? 0 : (nanA ? 1 : -1);
  if (a == b)
    return 0;
  return (a < b) != (_decreasing != 0) ? -1 : 1;
}

long XelMathDoubleSort::GetDynamicMemoryBytes() const {
  return XelMathSortedArray::GetDynamicMemoryBytes() +
         GetNumberOfElements() * static_cast<long>(sizeof(double));
}
