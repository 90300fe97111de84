#pragma once
// Owned copies of attribute names, allocated through the kernel's memory services so that
// the counters see them. Internal to the library.
namespace XelMathAttrName {
/// A new copy of iName, or null for a null name.
char* Copy(const char* iName);
/// Frees a copy made by Copy (null accepted).
void Free(char* iName);
/// Same pointer, or both not null with the same text.
bool SameKey(const char* iKey1, const char* iKey2);
} // namespace XelMathAttrName
