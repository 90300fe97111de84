#include "XelRawCollint.h"

XelRawCollint::XelRawCollint(long iCapacity)
    : XelMathExtendableSet(static_cast<long>(sizeof(int)), iCapacity) {}

XelRawCollint::XelRawCollint(const XelRawCollint& iOther) = default;

XelRawCollint& XelRawCollint::operator=(const XelRawCollint& iOther) = default;

XelRawCollint::~XelRawCollint() = default;

int XelRawCollint::Append(int iValue) {
  long index = GetSize();
  SetSize(index + 1);
  Data()[index] = iValue;
  return static_cast<int>(index + 1);
}

void XelRawCollint::InsertAt(int iPosition, int iValue) {
  if (iPosition < 1 || iPosition > GetSize() + 1)
    RaiseIndex("XelRawCollint::InsertAt");
  InsertElements(iPosition - 1, 1);
  Data()[iPosition - 1] = iValue;
}

int XelRawCollint::Locate(int iValue) const {
  const int* data = Data();
  for (long i = 0; i < GetSize(); i++)
    if (data[i] == iValue)
      return static_cast<int>(i + 1);
  return 0;
}

int XelRawCollint::Remove(int iValue) {
  int position = Locate(iValue);
  if (position)
    RemoveElements(position - 1, 1);
  return position;
}

void XelRawCollint::RemovePosition(int iPosition) {
  CheckIndex(iPosition - 1L, "XelRawCollint::RemovePosition");
  RemoveElements(iPosition - 1, 1);
}

void XelRawCollint::FillArray(int* oValues) const {
  FillArray(oValues, Size());
}

int XelRawCollint::FillArray(int* oValues, int iMaxCount) const {
  int count = iMaxCount < Size() ? iMaxCount : Size();
  const int* data = Data();
  for (int i = 0; i < count; i++)
    oValues[i] = data[i];
  return count < 0 ? 0 : count;
}

int& XelRawCollint::operator[](int iPosition) {
  CheckIndex(iPosition - 1L, "XelRawCollint::operator[]");
  return Data()[iPosition - 1];
}

int XelRawCollint::operator[](int iPosition) const {
  CheckIndex(iPosition - 1L, "XelRawCollint::operator[]");
  return Data()[iPosition - 1];
}
