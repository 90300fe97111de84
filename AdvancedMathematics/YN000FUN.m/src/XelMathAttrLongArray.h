#pragma once
// Owned arrays of integers of the attributes, allocated through the kernel's memory
// services. Internal to the library.
namespace XelMathAttrLongArray {
/// A new copy of the iCount integers of iTab, or null when iCount is not positive or iTab
/// is null (then oCount is 0, else iCount).
long* Copy(const long* iTab, long iCount, long& oCount);
/// Frees an array made by Copy (null accepted).
void Free(long* iTab, long iCount);
} // namespace XelMathAttrLongArray
