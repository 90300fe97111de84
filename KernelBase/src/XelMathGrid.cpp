#include "XelMathGrid.h"

#include "XelKernelInternalConstants.h"
#include "XelMathInputError.h"
#include "XelQuorMemory.h"

XelMathGrid::XelMathGrid(long iRows, long iColumns) : XelMathExtendableSet(0), _columns(0) {
  SetSize(iRows, iColumns);
}

XelMathGrid::XelMathGrid(const XelMathGrid& iOther)
    : XelMathExtendableSet(iOther), _columns(iOther._columns) {}

XelMathGrid& XelMathGrid::operator=(const XelMathGrid& iOther) {
  XelMathExtendableSet::operator=(iOther);
  _columns = iOther._columns;
  return *this;
}

XelMathGrid::~XelMathGrid() = default;

void XelMathGrid::SetSize(long iRows, long iColumns) {
  if (iRows < 0 || iColumns < 0)
    XelMathRaise(XelErrorCode::Forbidden, "the size of a XelMathGrid", "negative",
                 "XelMathGrid::SetSize");
  // A row must be an array the memory services can serve before its bytes are counted.
  if (iColumns > XelQuorMaxArrayDoubles)
    XelMathRaise(XelErrorCode::Forbidden, "the size of a XelMathGrid", "too large",
                 "XelMathGrid::SetSize");
  if (iColumns != _columns) {
    Reshape(static_cast<long>(iColumns * sizeof(double)));
    _columns = iColumns;
  }
  XelMathExtendableSet::SetSize(iRows);
}

void XelMathGrid::Fill(double iValue) {
  double* data = GetData();
  long count = GetSize() * _columns;
  for (long k = 0; k < count; k++)
    data[k] = iValue;
}
