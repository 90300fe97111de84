#pragma once
// Owned copies of attribute names, allocated through the kernel's memory services so that
// the counters see them. Internal to the library.
namespace XelMathAttrName {
/// A new copy of iName, or null for a null name.
char* Copy(const char* iName);
/// Frees a copy made by Copy (null accepted).
void Free(char* iName);
/// Replaces the copy ioName by a copy of iName (the new copy is made before the old one is
/// freed, so that a failure leaves ioName as it was).
void Assign(char*& ioName, const char* iName);
/// Same pointer, or both not null with the same text.
bool SameKey(const char* iKey1, const char* iKey2);
} // namespace XelMathAttrName
