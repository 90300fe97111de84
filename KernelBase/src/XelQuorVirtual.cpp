#include "XelQuorVirtual.h"

#include "XelQuorMemory.h"

XelQuorVirtual::~XelQuorVirtual() = default;
long XelQuorVirtual::GetDynamicMemoryBytes() const { return 0; }
long XelQuorVirtual::GetStaticMemoryBytes() const { return static_cast<long>(sizeof(*this)); }
long XelQuorVirtual::GetEstimatedMemoryBytes() const {
  return GetStaticMemoryBytes() + GetDynamicMemoryBytes();
}
void* XelQuorVirtual::operator new(std::size_t iSize) { return xelquornew(iSize); }
void XelQuorVirtual::operator delete(void* iBlock, std::size_t iSize) { xelquordel(iBlock, iSize); }
void* XelQuorVirtual::operator new[](std::size_t iSize) { return xelquornew(iSize); }
void XelQuorVirtual::operator delete[](void* iBlock, std::size_t iSize) {
  xelquordel(iBlock, iSize);
}
