#pragma once
// Owned arrays of integers of the attributes, allocated through the kernel's memory
// services. Internal to the library.
namespace XelMathAttrLongArray {
/// A new copy of the iCount integers of iTab, or null when iCount is not positive or iTab
/// is null (then oCount is 0, else iCount). A count larger than the memory services can hold
/// raises 0x20004 ("the number of integers", "Invalid Number Of Points", iWhere) before
/// anything is read or allocated.
long* Copy(const long* iTab, long iCount, long& oCount, const char* iWhere);
/// Frees an array made by Copy (null accepted).
void Free(long* iTab, long iCount);
/// Replaces the array ioTab of ioCount integers by a copy of iTab (the copy is made before the
/// old array is freed, so that a failure leaves ioTab as it was).
void Assign(long*& ioTab, long& ioCount, const long* iTab, long iCount, const char* iWhere);
} // namespace XelMathAttrLongArray
