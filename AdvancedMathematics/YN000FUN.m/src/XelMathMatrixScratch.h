#pragma once
// Work arrays of the matrix classes: a fixed local buffer of Local doubles, with a fallback
// to the memory services for larger requests. The heap block is released by the destructor,
// so a raise in the middle of a solve frees it.
#include <cmath>

#include "XelMathInputError.h"
#include "XelMathInternalConstants.h"
#include "XelQuorMemory.h"

template <long Local> class XelMathMatrixScratch {
public:
  explicit XelMathMatrixScratch(long iCount)
      : _count(iCount), _data(iCount <= Local ? _local : XelQuorArrayDoubleNew(iCount)) {}
  XelMathMatrixScratch(const XelMathMatrixScratch&) = delete;
  XelMathMatrixScratch& operator=(const XelMathMatrixScratch&) = delete;
  ~XelMathMatrixScratch() {
    if (_data != _local)
      XelQuorArrayDoubleDel(_data, _count);
  }
  double* Get() { return _data; }

private:
  long _count;
  double _local[Local];
  double* _data;
};

// Coefficients of a matrix of M x N doubles, or -1 when M x N cannot be stored (negative
// sizes, a dimension beyond the 32-bit range of the row and column counts, or a product beyond
// what the memory services hold); checked before any product is formed.
inline long XelMathMatrixCount(long iM, long iN) {
  if (iM < 0 || iN < 0 || iM > 2147483647L || iN > 2147483647L)
    return -1;
  if (iM != 0 && iN > XelQuorMaxArrayDoubles / iM)
    return -1;
  return iM * iN;
}

// Raises 0x2000c ("Constructor", "Dimension not valid") when M x N right-hand sides or
// coefficients cannot exist, before any product of the two is formed.
inline void XelMathCheckMatrixCount(long iM, long iN) {
  if (XelMathMatrixCount(iM, iN) < 0)
    XelMathRaise(XelErrorCode::InvalidMatrixSize, "Constructor", "Dimension not valid", "");
}

// Raises 0x20007 ("the coefficient index of a matrix", "Wrong Index", iWhere) unless iOk.
#define XEL_MATRIX_CHECK_INDEX(iOk, iWhere)                                                        \
  do {                                                                                             \
    if (!(iOk))                                                                                    \
      XelMathRaise(XelErrorCode::WrongIndex, "the coefficient index of a matrix", "Wrong Index", iWhere);           \
  } while (0)

// False when one of the iCount values is infinite or undefined: a solve that meets one has no
// solution to report and fails.
inline bool XelMathAllFinite(long iCount, const double* iX) {
  for (long k = 0; k < iCount; ++k)
    if (!std::isfinite(iX[k]))
      return false;
  return true;
}
