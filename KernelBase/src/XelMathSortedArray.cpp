#include "XelMathSortedArray.h"

#include "XelKernelInternalConstants.h"
#include "XelMathInputError.h"
#include "XelQuorMemory.h"

namespace {
long* NewLongs(long iCount) {
  return static_cast<long*>(xelquornew(static_cast<std::size_t>(iCount) * sizeof(long)));
}
void DelLongs(long* iArray, long iCount) {
  xelquordel(iArray, static_cast<std::size_t>(iCount) * sizeof(long));
}
} // namespace

XelMathSortedArray::XelMathSortedArray(long iCount) : _count(iCount), _permutation(nullptr) {
  if (iCount < 0)
    XelMathRaise(XelErrorCode::InvalidNumberOfPoints, "the number of elements to sort",
                 "Invalid Number Of Points", "XelMathSortedArray::XelMathSortedArray");
  _permutation = NewLongs(_count);
  for (long i = 0; i < _count; i++)
    _permutation[i] = i;
}

XelMathSortedArray::XelMathSortedArray(const XelMathSortedArray& iOther)
    : XelQuorVirtual(iOther), _count(iOther._count), _permutation(NewLongs(iOther._count)) {
  for (long i = 0; i < _count; i++)
    _permutation[i] = iOther._permutation[i];
}

XelMathSortedArray& XelMathSortedArray::operator=(const XelMathSortedArray& iOther) {
  if (this == &iOther)
    return *this;
  long* permutation = NewLongs(iOther._count);
  for (long i = 0; i < iOther._count; i++)
    permutation[i] = iOther._permutation[i];
  DelLongs(_permutation, _count);
  _permutation = permutation;
  _count = iOther._count;
  return *this;
}

XelMathSortedArray::~XelMathSortedArray() {
  DelLongs(_permutation, _count);
}

void XelMathSortedArray::Sort() {
  if (_count < 2)
    return;
  // Bottom-up merge sort: runs of 1, 2, 4, ... merged between two buffers. Taking from
  // the left run on ties keeps the sort stable.
  long* work = NewLongs(_count);
  long* from = _permutation;
  long* to = work;
  for (long width = 1; width < _count; width *= 2) {
    for (long start = 0; start < _count; start += 2 * width) {
      long middle = start + width < _count ? start + width : _count;
      long end = start + 2 * width < _count ? start + 2 * width : _count;
      long i = start, j = middle, k = start;
      while (i < middle && j < end)
        to[k++] = Compare(from[j], from[i]) < 0 ? from[j++] : from[i++];
      while (i < middle)
        to[k++] = from[i++];
      while (j < end)
        to[k++] = from[j++];
    }
    long* swap = from;
    from = to;
    to = swap;
  }
  if (from != _permutation)
    for (long i = 0; i < _count; i++)
      _permutation[i] = from[i];
  DelLongs(work, _count);
}

long XelMathSortedArray::GetIndex(long iRank) const {
  if (iRank < 0 || iRank >= _count)
    XelMathRaise(XelErrorCode::WrongIndex, "the rank of a sorted element", "Wrong Index",
                 "XelMathSortedArray::GetIndex");
  return _permutation[iRank];
}

void XelMathSortedArray::GetPermutation(long* oPermutation) const {
  for (long i = 0; i < _count; i++)
    oPermutation[i] = _permutation[i];
}

long XelMathSortedArray::GetDynamicMemoryBytes() const {
  return _count * static_cast<long>(sizeof(long));
}
