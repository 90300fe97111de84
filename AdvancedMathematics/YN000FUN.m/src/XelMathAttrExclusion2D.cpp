#include "XelMathAttrExclusion2D.h"

#include "XelMathInterval.h"
#include "XelMathInterval2D.h"

namespace {
// A new array of iCount rectangles copying the first iCopied of iFrom (null when empty).
XelMathInterval2D* NewRectangles(long iCount, const XelMathInterval2D* iFrom, long iCopied) {
  if (iCount <= 0)
    return nullptr;
  XelMathInterval2D* rectangles = new XelMathInterval2D[static_cast<std::size_t>(iCount)];
  for (long i = 0; i < iCopied; i++)
    rectangles[i] = iFrom[i];
  return rectangles;
}
} // namespace

XelMathAttrExclusion2D::XelMathAttrExclusion2D() : _count(0), _rectangles(nullptr) {}

XelMathAttrExclusion2D::XelMathAttrExclusion2D(const XelMathInterval2D& iRectangle)
    : _count(1), _rectangles(NewRectangles(1, &iRectangle, 1)) {}

XelMathAttrExclusion2D::XelMathAttrExclusion2D(const XelMathAttrExclusion2D& iOther)
    : XelMathAttribute(iOther), _count(iOther._count),
      _rectangles(NewRectangles(iOther._count, iOther._rectangles, iOther._count)) {}

XelMathAttrExclusion2D& XelMathAttrExclusion2D::operator=(const XelMathAttrExclusion2D& iOther) {
  if (this == &iOther)
    return *this;
  XelMathInterval2D* rectangles = NewRectangles(iOther._count, iOther._rectangles, iOther._count);
  delete[] _rectangles;
  _rectangles = rectangles;
  _count = iOther._count;
  return *this;
}

XelMathAttrExclusion2D::~XelMathAttrExclusion2D() {
  delete[] _rectangles;
}

const char* XelMathAttrExclusion2D::GetType() const {
  return "XelMathAttrExclusion2D";
}

unsigned char XelMathAttrExclusion2D::IsExclusive() const {
  return 1;
}

void XelMathAttrExclusion2D::AddInterval(const XelMathInterval2D& iRectangle) {
  // Copy the new rectangle first: it may be one of ours.
  const XelMathInterval2D added(iRectangle);
  XelMathInterval2D* rectangles = NewRectangles(_count + 1, _rectangles, _count);
  rectangles[_count] = added;
  delete[] _rectangles;
  _rectangles = rectangles;
  _count++;
}

const XelMathInterval2D* XelMathAttrExclusion2D::GetInterval(long iIndex) const {
  if (iIndex < 0 || iIndex >= _count)
    return nullptr;
  return &_rectangles[iIndex];
}

int XelMathAttrExclusion2D::Includes(XelMathInterval2D& ioBox) const {
  const XelMathInterval u = ioBox.GetX();
  XelMathInterval v = ioBox.GetY();
  for (long i = 0; i < _count; i++) {
    const XelMathInterval rectangleU = _rectangles[i].GetX();
    if (!u.IsIncludedIn(rectangleU))
      continue;
    const XelMathInterval rectangleV = _rectangles[i].GetY();
    if (v.IsIncludedIn(rectangleV))
      return 1;
    if (rectangleV.DistanceTo(v.high) == 0.0)
      v.high = rectangleV.low;
    else if (rectangleV.DistanceTo(v.low) == 0.0)
      v.low = rectangleV.high;
  }
  ioBox.SetX(u);
  ioBox.SetY(v);
  return 0;
}
