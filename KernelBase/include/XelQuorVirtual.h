#pragma once
// Base class that gives its derived classes class-level new and delete from the kernel's
// memory services (so that the counters see them) and memory-accounting operations.
#include <cstddef>

#include "XelKernelBaseExport.h"

class XELKERNELBASE_EXPORT XelQuorVirtual {
public:
  XelQuorVirtual() = default;
  XelQuorVirtual(const XelQuorVirtual&) = default;
  XelQuorVirtual& operator=(const XelQuorVirtual&) = default;
  virtual ~XelQuorVirtual();
  /// Bytes allocated by the object outside itself.
  virtual long GetDynamicMemoryBytes() const;
  /// Bytes of the object itself.
  virtual long GetStaticMemoryBytes() const;
  /// Static plus dynamic bytes.
  virtual long GetEstimatedMemoryBytes() const;

  static void* operator new(std::size_t iSize);
  static void operator delete(void* iBlock, std::size_t iSize);
  static void* operator new[](std::size_t iSize);
  static void operator delete[](void* iBlock, std::size_t iSize);
};
