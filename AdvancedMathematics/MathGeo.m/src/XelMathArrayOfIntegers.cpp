#include "XelMathArrayOfIntegers.h"

#include <climits>
#include <cstring>

#include "XelError.h"
#include "XelKernelInternalConstants.h"
#include "XelMathInputError.h"
#include "XelQuorMemory.h"
#include "XelQuorOutput.h"

namespace {
long* NewValues(const long iCount) {
  return static_cast<long*>(xelquornew(sizeof(long) * static_cast<std::size_t>(iCount)));
}
void DelValues(long* iValues, const long iCount) {
  if (iValues)
    xelquordel(iValues, sizeof(long) * static_cast<std::size_t>(iCount));
}
} // namespace

XelMathArrayOfIntegers::XelMathArrayOfIntegers() : _count(0), _capacity(0), _values(nullptr) {}

XelMathArrayOfIntegers::XelMathArrayOfIntegers(const long iValue)
    : _count(1), _capacity(2), _values(NewValues(2)) {
  _values[0] = iValue;
}

XelMathArrayOfIntegers::XelMathArrayOfIntegers(const XelMathArrayOfIntegers& iOther)
    : XelQuorVirtual(iOther), _count(iOther._count), _capacity(iOther._capacity),
      _values(iOther._capacity > 0 ? NewValues(iOther._capacity) : nullptr) {
  if (_count > 0)
    std::memcpy(_values, iOther._values, sizeof(long) * static_cast<std::size_t>(_count));
}

XelMathArrayOfIntegers& XelMathArrayOfIntegers::operator=(const XelMathArrayOfIntegers& iOther) {
  if (this != &iOther) {
    long* values = iOther._capacity > 0 ? NewValues(iOther._capacity) : nullptr;
    if (iOther._count > 0)
      std::memcpy(values, iOther._values, sizeof(long) * static_cast<std::size_t>(iOther._count));
    DelValues(_values, _capacity);
    _values = values;
    _count = iOther._count;
    _capacity = iOther._capacity;
  }
  return *this;
}

XelMathArrayOfIntegers::~XelMathArrayOfIntegers() {
  DelValues(_values, _capacity);
}

long XelMathArrayOfIntegers::GetDynamicMemoryBytes() const {
  return static_cast<long>(sizeof(long)) * _capacity;
}

long XelMathArrayOfIntegers::GetStaticMemoryBytes() const {
  return static_cast<long>(sizeof(*this));
}

void XelMathArrayOfIntegers::Add(const long iValue) {
  if (_count == _capacity) {
    if (_capacity == SHRT_MAX) {
      XelError* error = new XelResourceError(XelErrorCode::NoMoreMemory);
      error->SetParameters(3, "Too many values", "a list holds at most 32767 values",
                           "XelMathArrayOfIntegers::Add");
      XelQuorThrowFunction(error, __FILE__, __LINE__);
    }
    // 0 -> 2, then doubling; the last step stops at the largest 16-bit count.
    const long capacity =
        _capacity == 0 ? 2 : (2L * _capacity > SHRT_MAX ? SHRT_MAX : 2L * _capacity);
    long* values = NewValues(capacity);
    if (_count > 0)
      std::memcpy(values, _values, sizeof(long) * static_cast<std::size_t>(_count));
    DelValues(_values, _capacity);
    _values = values;
    _capacity = static_cast<short>(capacity);
  }
  _values[_count++] = iValue;
}

bool XelMathArrayOfIntegers::Contains(const long iValue) const {
  for (long i = 0; i < _count; i++)
    if (_values[i] == iValue)
      return true;
  return false;
}

bool XelMathArrayOfIntegers::SharesValueWith(const XelMathArrayOfIntegers& iOther) const {
  for (long i = 0; i < _count; i++)
    if (iOther.Contains(_values[i]))
      return true;
  return false;
}

void XelMathArrayOfIntegers::Dump() const {
  XelQuorOutput& out = XelQuorOutput::GetOut();
  out << "XelMathArrayOfIntegers " << static_cast<long>(_count) << " :";
  for (long i = 0; i < _count; i++)
    out << " " << _values[i];
  out << "\n";
}
