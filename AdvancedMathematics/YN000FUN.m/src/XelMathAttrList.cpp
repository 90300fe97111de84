#include "XelMathAttrList.h"

#include <cstring>

#include "XelMathAttrName.h"
#include "XelQuorMemory.h"

// ---- list ---------------------------------------------------------------------------------
namespace {
std::size_t EntryBytes(long iCount) {
  return sizeof(const XelMathAttribute*) * static_cast<std::size_t>(iCount);
}
const XelMathAttribute** NewEntries(long iCount) {
  return static_cast<const XelMathAttribute**>(xelquornew(EntryBytes(iCount)));
}
void FreeEntries(const XelMathAttribute** iEntries, long iCount) {
  if (iEntries)
    xelquordel(static_cast<void*>(iEntries), EntryBytes(iCount));
}
} // namespace

void* XelMathAttrList::operator new(std::size_t iSize) {
  return xelquornew(iSize);
}
void XelMathAttrList::operator delete(void* iBlock, std::size_t iSize) {
  xelquordel(iBlock, iSize);
}

XelMathAttrList::XelMathAttrList() : _count(0), _entries(nullptr) {}

XelMathAttrList::XelMathAttrList(const XelMathAttribute* iAttribute)
    : _count(1), _entries(NewEntries(1)) {
  _entries[0] = iAttribute;
}

XelMathAttrList::XelMathAttrList(const XelMathAttrList& iOther)
    : _count(iOther._count), _entries(nullptr) {
  if (_count > 0) {
    _entries = NewEntries(_count);
    std::memcpy(_entries, iOther._entries, sizeof(*_entries) * static_cast<std::size_t>(_count));
  }
}

XelMathAttrList& XelMathAttrList::operator=(const XelMathAttrList& iOther) {
  if (this == &iOther)
    return *this;
  const XelMathAttribute** entries = nullptr;
  if (iOther._count > 0) {
    entries = NewEntries(iOther._count);
    std::memcpy(entries, iOther._entries,
                sizeof(*entries) * static_cast<std::size_t>(iOther._count));
  }
  FreeEntries(_entries, _count);
  _entries = entries;
  _count = iOther._count;
  return *this;
}

XelMathAttrList::~XelMathAttrList() {
  FreeEntries(_entries, _count);
}

void XelMathAttrList::AddAttribute(const XelMathAttribute* iAttribute) {
  if (!iAttribute)
    return;
  if (iAttribute->IsExclusive() && _count > 0) {
    const char* key = iAttribute->GetType();
    for (long i = 0; i < _count; i++) {
      if (_entries[i] && XelMathAttrName::SameKey(_entries[i]->GetType(), key)) {
        _entries[i] = iAttribute;
        return;
      }
    }
  }
  const XelMathAttribute** entries = NewEntries(_count + 1);
  if (_count > 0)
    std::memcpy(entries, _entries, sizeof(*entries) * static_cast<std::size_t>(_count));
  entries[_count] = iAttribute;
  FreeEntries(_entries, _count);
  _entries = entries;
  _count++;
}

XelMathAttribute* XelMathAttrList::GetAttribute(const char* iKey, long iOccurrence) const {
  if (!iKey || iOccurrence < 1)
    return nullptr;
  long found = 0;
  for (long i = 0; i < _count; i++) {
    const XelMathAttribute* entry = _entries[i];
    if (!entry)
      continue;
    const char* key = entry->GetType();
    if (key == iKey || XelMathAttrName::SameKey(key, iKey)) {
      if (++found == iOccurrence)
        return const_cast<XelMathAttribute*>(entry);
    }
  }
  return nullptr;
}

const XelMathAttribute* XelMathAttrList::GetAttributeAt(long iIndex) const {
  if (iIndex < 0 || iIndex >= _count)
    return nullptr;
  return _entries[iIndex];
}
