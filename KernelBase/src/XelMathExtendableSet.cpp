#include "XelMathExtendableSet.h"

#include <cstring>

#include "XelKernelInternalConstants.h"
#include "XelMathInputError.h"
#include "XelQuorMemory.h"

XelMathExtendableSet::XelMathExtendableSet(long iElementBytes, long iCapacity)
    : _elementBytes(iElementBytes), _size(0), _capacity(0), _data(nullptr) {
  if (iElementBytes < 0)
    XelMathRaise(XelErrorCode::Forbidden, "the element size of a XelMathExtendableSet", "negative",
                 "XelMathExtendableSet::XelMathExtendableSet");
  if (iCapacity > 0)
    Reserve(iCapacity);
}

XelMathExtendableSet::XelMathExtendableSet(const XelMathExtendableSet& iOther)
    : XelQuorVirtual(iOther), _elementBytes(iOther._elementBytes), _size(0), _capacity(0),
      _data(nullptr) {
  Reserve(iOther._size);
  if (iOther._size > 0)
    std::memcpy(_data, iOther._data, iOther._size * _elementBytes);
  _size = iOther._size;
}

XelMathExtendableSet& XelMathExtendableSet::operator=(const XelMathExtendableSet& iOther) {
  if (this == &iOther)
    return *this;
  if (_elementBytes != iOther._elementBytes) {
    Release();
    _elementBytes = iOther._elementBytes;
  }
  _size = 0;
  Reserve(iOther._size);
  if (iOther._size > 0)
    std::memcpy(_data, iOther._data, iOther._size * _elementBytes);
  _size = iOther._size;
  return *this;
}

XelMathExtendableSet::~XelMathExtendableSet() {
  Release();
}

void XelMathExtendableSet::Release() {
  if (_data)
    XelQuorArrayBytesDel(_data, _capacity * _elementBytes);
  _data = nullptr;
  _capacity = 0;
}

void XelMathExtendableSet::RaiseIndex(const char* iWhere) {
  XelMathRaise(XelErrorCode::WrongIndex, "the index of an element", "Wrong Index", iWhere);
}

void XelMathExtendableSet::Reserve(long iCapacity) {
  if (iCapacity <= _capacity)
    return;
  if (_elementBytes == 0) {
    _capacity = iCapacity;
    return;
  }
  // XelQuorArrayBytesNew raises XelQuorNoMoreMemoryError for an impossible byte count.
  if (iCapacity > (0x7fffffffffffL / _elementBytes))
    XelQuorThrowFunction(new XelQuorNoMoreMemoryError(iCapacity), __FILE__, __LINE__);
  unsigned char* data = XelQuorArrayBytesNew(iCapacity * _elementBytes);
  if (_size > 0)
    std::memcpy(data, _data, _size * _elementBytes);
  Release();
  _data = data;
  _capacity = iCapacity;
}

void XelMathExtendableSet::SetSize(long iSize) {
  if (iSize < 0)
    XelMathRaise(XelErrorCode::Forbidden, "the size of a set", "negative",
                 "XelMathExtendableSet::SetSize");
  if (iSize > _capacity) {
    long capacity = _capacity < 4 ? 4 : _capacity;
    while (capacity < iSize)
      capacity = capacity > 0x3fffffffffffL ? iSize : 2 * capacity;
    Reserve(capacity);
  }
  if (iSize > _size && _elementBytes > 0)
    std::memset(ElementAt(_size), 0, (iSize - _size) * _elementBytes);
  _size = iSize;
}

void XelMathExtendableSet::InsertElements(long iAt, long iCount) {
  if (iAt < 0 || iAt > _size)
    RaiseIndex("XelMathExtendableSet::InsertElements");
  if (iCount <= 0)
    return;
  long oldSize = _size;
  SetSize(_size + iCount);
  if (_elementBytes > 0) {
    std::memmove(ElementAt(iAt + iCount), ElementAt(iAt), (oldSize - iAt) * _elementBytes);
    std::memset(ElementAt(iAt), 0, iCount * _elementBytes);
  }
}

void XelMathExtendableSet::RemoveElements(long iAt, long iCount) {
  if (iCount <= 0)
    return;
  if (iAt < 0 || iCount > _size - iAt)
    RaiseIndex("XelMathExtendableSet::RemoveElements");
  if (_elementBytes > 0)
    std::memmove(ElementAt(iAt), ElementAt(iAt + iCount), (_size - iAt - iCount) * _elementBytes);
  _size -= iCount;
}

void XelMathExtendableSet::Reshape(long iElementBytes) {
  if (iElementBytes < 0)
    XelMathRaise(XelErrorCode::Forbidden, "the element size of a XelMathExtendableSet", "negative",
                 "XelMathExtendableSet::Reshape");
  if (iElementBytes == _elementBytes)
    return;
  XelMathExtendableSet reshaped(iElementBytes, _size);
  reshaped.SetSize(_size);
  long common = iElementBytes < _elementBytes ? iElementBytes : _elementBytes;
  if (common > 0)
    for (long i = 0; i < _size; i++)
      std::memcpy(reshaped.ElementAt(i), ElementAt(i), common);
  Release();
  _elementBytes = iElementBytes;
  _data = reshaped._data;
  _capacity = reshaped._capacity;
  reshaped._data = nullptr;
  reshaped._capacity = 0;
}

long XelMathExtendableSet::GetDynamicMemoryBytes() const {
  return _capacity * _elementBytes;
}

long XelMathExtendableSet::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}
