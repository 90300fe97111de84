#include "XelMathSetOf3DObjects.h"

XelMathSetOf3DObjects::XelMathSetOf3DObjects(long iCount)
    : XelMathExtendableSet(static_cast<long>(3 * sizeof(double)), iCount) {
  SetSize(iCount);
}

XelMathSetOf3DObjects::XelMathSetOf3DObjects(const XelMathSetOf3DObjects& iOther) = default;

XelMathSetOf3DObjects&
XelMathSetOf3DObjects::operator=(const XelMathSetOf3DObjects& iOther) = default;

XelMathSetOf3DObjects::~XelMathSetOf3DObjects() = default;

long XelMathSetOf3DObjects::AddObject(const XelMathVector& iVector) {
  long index = GetSize();
  SetSize(index + 1);
  iVector.GetCoord(GetCoords(index));
  return index;
}

XelMathVector XelMathSetOf3DObjects::GetObject(long i) const {
  CheckIndex(i, "XelMathSetOf3DObjects::GetObject");
  return XelMathVector(GetCoords(i));
}

void XelMathSetOf3DObjects::SetObject(long i, const XelMathVector& iVector) {
  CheckIndex(i, "XelMathSetOf3DObjects::SetObject");
  iVector.GetCoord(GetCoords(i));
}
