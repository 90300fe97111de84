#pragma once
// Memory services of the kernel: pooled blocks, arrays of doubles, pointers and bytes,
// scratch areas, and counters that tell how much is alive (tests use them to prove that
// nothing leaks). This stand-in forwards to the global allocator and counts.
#include <cstddef>

#include "XelKernelBaseExport.h"

struct XelQuorMemoryCounters {
  long liveBlocks; // blocks allocated and not yet freed
  long liveBytes;  // bytes of those blocks
  long totalAllocations;
  long peakLiveBytes; // highest liveBytes since load or the last XelQuorResetPeakLiveBytes
};

/// The current counters of everything allocated through these services.
XELKERNELBASE_EXPORT XelQuorMemoryCounters XelQuorGetMemoryCounters();
/// Restarts the peak of live bytes from the bytes alive now.
XELKERNELBASE_EXPORT void XelQuorResetPeakLiveBytes();

/// Largest block served (1 TiB, or the machine's physical memory when smaller); a larger
/// request raises XelQuorNoMoreMemoryError.
constexpr std::size_t XelQuorMaxBlockBytes = std::size_t(1) << 40;
/// Most doubles in one array the services can serve. Classes check the counts they are
/// given against it and raise their own input error before any size arithmetic can overflow.
constexpr long XelQuorMaxArrayDoubles = static_cast<long>(XelQuorMaxBlockBytes / sizeof(double));

/// A block of iSize bytes; raises XelQuorNoMoreMemoryError (code 0x20001) when it cannot be
/// served.
XELKERNELBASE_EXPORT void* xelquornew(std::size_t iSize);
XELKERNELBASE_EXPORT void xelquordel(void* iBlock, std::size_t iSize);

XELKERNELBASE_EXPORT double* XelQuorArrayDoubleNew(long iCount);
XELKERNELBASE_EXPORT void XelQuorArrayDoubleDel(double* iArray, long iCount);
XELKERNELBASE_EXPORT void** XelQuorArrayPtrsNew(long iCount);
XELKERNELBASE_EXPORT void XelQuorArrayPtrsDel(void** iArray, long iCount);
XELKERNELBASE_EXPORT unsigned char* XelQuorArrayBytesNew(long iCount);
XELKERNELBASE_EXPORT void XelQuorArrayBytesDel(unsigned char* iArray, long iCount);

/// A scratch area of at least iBytes, owned by the services until XelQuorScratchClear.
XELKERNELBASE_EXPORT void* XelQuorScratchReserve(std::size_t iBytes);
XELKERNELBASE_EXPORT void XelQuorScratchClear();

class XELKERNELBASE_EXPORT XelQuorManageMemory {
public:
  typedef void (*GarbageCallback)();
  /// Registers a callback that releases cached memory on demand.
  static void DeclareMemoryGarbage(GarbageCallback iCallback);
  /// Calls every registered callback.
  static void CollectGarbage();
};

/// Registers a library with the memory services at load time.
XELKERNELBASE_EXPORT void XelQuorDeclareLibraryLoading(const char* iName);
/// Whether a library of that name has declared itself.
XELKERNELBASE_EXPORT bool XelQuorIsLibraryLoaded(const char* iName);
