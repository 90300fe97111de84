#include "XelRawCollPV.h"

XelRawCollPV::XelRawCollPV(long iCapacity)
    : XelMathExtendableSet(static_cast<long>(sizeof(void*)), iCapacity) {}

XelRawCollPV::XelRawCollPV(const XelRawCollPV& iOther) = default;

XelRawCollPV& XelRawCollPV::operator=(const XelRawCollPV& iOther) = default;

XelRawCollPV::~XelRawCollPV() = default;

int XelRawCollPV::Append(void* iPointer) {
  long index = GetSize();
  SetSize(index + 1);
  Data()[index] = iPointer;
  return static_cast<int>(index + 1);
}

void XelRawCollPV::InsertAt(int iPosition, void* iPointer) {
  if (iPosition < 1 || iPosition > GetSize() + 1)
    RaiseIndex("XelRawCollPV::InsertAt");
  InsertElements(iPosition - 1, 1);
  Data()[iPosition - 1] = iPointer;
}

int XelRawCollPV::Locate(const void* iPointer) const {
  void* const* data = Data();
  for (long i = 0; i < GetSize(); i++)
    if (data[i] == iPointer)
      return static_cast<int>(i + 1);
  return 0;
}

int XelRawCollPV::Remove(const void* iPointer) {
  int position = Locate(iPointer);
  if (position)
    RemoveElements(position - 1, 1);
  return position;
}

void XelRawCollPV::RemovePosition(int iPosition) {
  CheckIndex(iPosition - 1L, "XelRawCollPV::RemovePosition");
  RemoveElements(iPosition - 1, 1);
}

void*& XelRawCollPV::operator[](int iPosition) {
  CheckIndex(iPosition - 1L, "XelRawCollPV::operator[]");
  return Data()[iPosition - 1];
}

void* XelRawCollPV::operator[](int iPosition) const {
  CheckIndex(iPosition - 1L, "XelRawCollPV::operator[]");
  return Data()[iPosition - 1];
}
