#pragma once
// Scratch arrays of the hot paths (internal, never installed): on the stack up to a fixed
// count, from the kernel's memory services beyond (so that their counters see them), and
// released on every way out of the scope, an error included.
#include <cstring>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

/// Raises 0x20006 (iWhat, "Dimension not valid", iWhere) unless iPer (iCount + 1) values fit
/// in one array of the memory services: a count of components or a dimension that no caller's
/// array can match, refused before anything is read, allocated or computed from it.
inline void XelMathCheckDimension(const long iCount, const long iPer, const char* iWhat,
                                  const char* iWhere) {
  if (iCount > XelQuorMaxArrayDoubles / iPer - 1)
    XelMathRaise(XelErrorCode::InvalidOption, iWhat, "Dimension not valid", iWhere);
}

/// An array of iCount pointers to T from the memory services (members that outgrow their
/// inline storage); released by XelMathDelPointers with the same count.
template <class T> T** XelMathNewPointers(const long iCount) {
  return static_cast<T**>(static_cast<void*>(XelQuorArrayPtrsNew(iCount)));
}
template <class T> void XelMathDelPointers(T** iArray, const long iCount) {
  XelQuorArrayPtrsDel(static_cast<void**>(const_cast<void*>(static_cast<const void*>(iArray))),
                      iCount);
}

/// iCount doubles, on the stack up to InlineCount (contents not initialised).
template <long InlineCount = 64> class XelMathScratchDoubles {
public:
  explicit XelMathScratchDoubles(const long iCount)
      : _count(iCount), _data(iCount > InlineCount ? XelQuorArrayDoubleNew(iCount) : _local) {}
  ~XelMathScratchDoubles() {
    if (_data != _local)
      XelQuorArrayDoubleDel(_data, _count);
  }
  XelMathScratchDoubles(const XelMathScratchDoubles&) = delete;
  XelMathScratchDoubles& operator=(const XelMathScratchDoubles&) = delete;
  double* Data() { return _data; }
  double& operator[](const long i) { return _data[i]; }

private:
  long _count;
  double _local[InlineCount];
  double* _data;
};

/// iCount pointers to T, on the stack up to InlineCount (contents not initialised).
template <class T, long InlineCount> class XelMathScratchPointers {
public:
  explicit XelMathScratchPointers(const long iCount)
      : _count(iCount),
        _data(iCount > InlineCount
                  ? static_cast<T**>(static_cast<void*>(XelQuorArrayPtrsNew(iCount)))
                  : _local) {}
  ~XelMathScratchPointers() {
    if (_data != _local)
      XelQuorArrayPtrsDel(static_cast<void**>(static_cast<void*>(_data)), _count);
  }
  XelMathScratchPointers(const XelMathScratchPointers&) = delete;
  XelMathScratchPointers& operator=(const XelMathScratchPointers&) = delete;
  T** Data() { return _data; }
  T*& operator[](const long i) { return _data[i]; }

private:
  long _count;
  T* _local[InlineCount];
  T** _data;
};

/// A growable array of doubles: on the stack up to InlineCount entries, from the memory
/// services beyond (contents not initialised).
template <long InlineCount> class XelMathGrowableDoubles {
public:
  XelMathGrowableDoubles() : _data(_local), _capacity(InlineCount) {}
  ~XelMathGrowableDoubles() {
    if (_data != _local)
      XelQuorArrayDoubleDel(_data, _capacity);
  }
  XelMathGrowableDoubles(const XelMathGrowableDoubles&) = delete;
  XelMathGrowableDoubles& operator=(const XelMathGrowableDoubles&) = delete;
  /// Ensures room for iCount entries, keeping the first iKeep.
  void Reserve(const long iCount, const long iKeep) {
    if (iCount <= _capacity)
      return;
    double* data = XelQuorArrayDoubleNew(iCount);
    if (iKeep > 0)
      std::memcpy(data, _data, sizeof(double) * static_cast<std::size_t>(iKeep));
    if (_data != _local)
      XelQuorArrayDoubleDel(_data, _capacity);
    _data = data;
    _capacity = iCount;
  }
  double* Data() { return _data; }
  double& operator[](const long i) { return _data[i]; }

private:
  double _local[InlineCount];
  double* _data;
  long _capacity;
};
