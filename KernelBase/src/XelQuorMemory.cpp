#include "XelQuorMemory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include <unistd.h>

#include "XelMathInputError.h"

namespace {
XelQuorMemoryCounters counters = {0, 0, 0, 0};
void* scratch = nullptr;
std::size_t scratchBytes = 0;

std::vector<XelQuorManageMemory::GarbageCallback>& Callbacks() {
  static std::vector<XelQuorManageMemory::GarbageCallback> callbacks;
  return callbacks;
}
std::vector<std::string>& Libraries() {
  static std::vector<std::string> libraries;
  return libraries;
}

// The machine's physical memory in bytes (the 1 TiB cap when it cannot be read). A block larger
// than it cannot be used: asking the system for it would be refused or, where memory is
// overcommitted, served and then fail when touched.
std::size_t PhysicalBytes() {
  static const std::size_t bytes = [] {
    const long pages = sysconf(_SC_PHYS_PAGES), size = sysconf(_SC_PAGESIZE);
    if (pages <= 0 || size <= 0 ||
        static_cast<std::size_t>(pages) > XelQuorMaxBlockBytes / static_cast<std::size_t>(size))
      return XelQuorMaxBlockBytes;
    return static_cast<std::size_t>(pages) * static_cast<std::size_t>(size);
  }();
  return bytes;
}
} // namespace

XelQuorMemoryCounters XelQuorGetMemoryCounters() {
  return counters;
}

void XelQuorResetPeakLiveBytes() {
  counters.peakLiveBytes = counters.liveBytes;
}

namespace {
// Raised by value: building the error with new would ask the failing allocator again.
[[noreturn]] void RaiseNoMoreMemory(long iSize, long iLine) {
  XelQuorNoMoreMemoryError error(iSize);
  error.SetSource(__FILE__, iLine);
  error.Raise();
}

// Large blocks given back are kept for the next request of the same size on the same thread:
// a search that takes and returns a few large work arrays per call would otherwise have the
// system map fresh pages for them every time (with 8 unknowns, a third of a solve). At most
// KeptBlocks blocks and KeptBytes in all are kept; the counters see a kept block as freed, and
// CollectGarbage releases them. Not under AddressSanitizer, whose checks of freed memory would
// miss the kept blocks.
#if defined(__SANITIZE_ADDRESS__)
#define XEL_QUOR_KEEP_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define XEL_QUOR_KEEP_BLOCKS 0
#endif
#endif
#ifndef XEL_QUOR_KEEP_BLOCKS
#define XEL_QUOR_KEEP_BLOCKS 1
#endif
constexpr std::size_t KeptFrom = std::size_t(1) << 16;
constexpr std::size_t KeptBytes = std::size_t(1) << 25;
constexpr int KeptBlocks = 32;

// Plain data, so that it stays readable after the thread's keeper has released it (blocks
// freed by destructors that run later are then freed at once).
struct KeptBlockList {
  void* block[KeptBlocks];
  std::size_t size[KeptBlocks];
  std::size_t bytes;
  bool closed;
};
thread_local KeptBlockList kept = {};

void ReleaseKeptBlocks() {
  for (int i = 0; i < KeptBlocks; ++i) {
    std::free(kept.block[i]);
    kept.block[i] = nullptr;
    kept.size[i] = 0;
  }
  kept.bytes = 0;
}

struct KeptBlockKeeper {
  ~KeptBlockKeeper() {
    ReleaseKeptBlocks();
    kept.closed = true;
  }
};

void* TakeKeptBlock(const std::size_t iSize) {
  if (!XEL_QUOR_KEEP_BLOCKS || iSize < KeptFrom || kept.bytes == 0)
    return nullptr;
  for (int i = 0; i < KeptBlocks; ++i)
    if (kept.block[i] && kept.size[i] == iSize) {
      void* block = kept.block[i];
      kept.block[i] = nullptr;
      kept.bytes -= iSize;
      return block;
    }
  return nullptr;
}

bool KeepBlock(void* iBlock, const std::size_t iSize) {
  if (!XEL_QUOR_KEEP_BLOCKS || iSize < KeptFrom || iSize > KeptBytes || kept.closed)
    return false;
  // The keeper is built with the first kept block of the thread.
  static thread_local KeptBlockKeeper keeper;
  (void)keeper;
  // No room: the blocks kept belong to earlier work, and make room for the new ones.
  if (kept.bytes + iSize > KeptBytes)
    ReleaseKeptBlocks();
  for (int pass = 0; pass < 2; ++pass) {
    for (int i = 0; i < KeptBlocks; ++i)
      if (!kept.block[i]) {
        kept.block[i] = iBlock;
        kept.size[i] = iSize;
        kept.bytes += iSize;
        return true;
      }
    ReleaseKeptBlocks();
  }
  return false;
}
} // namespace

void* xelquornew(std::size_t iSize) {
  // Larger blocks than any machine serves, or than this one holds, are refused up front (a
  // corrupt count must not reach the system allocator).
  if (iSize > XelQuorMaxBlockBytes || iSize > PhysicalBytes())
    RaiseNoMoreMemory(static_cast<long>(iSize), __LINE__);
  void* block = TakeKeptBlock(iSize);
  if (!block)
    block = std::malloc(iSize ? iSize : 1);
  if (!block)
    RaiseNoMoreMemory(static_cast<long>(iSize), __LINE__);
  counters.liveBlocks++;
  counters.liveBytes += static_cast<long>(iSize);
  if (counters.liveBytes > counters.peakLiveBytes)
    counters.peakLiveBytes = counters.liveBytes;
  counters.totalAllocations++;
  return block;
}

void xelquordel(void* iBlock, std::size_t iSize) {
  if (!iBlock)
    return;
  counters.liveBlocks--;
  counters.liveBytes -= static_cast<long>(iSize);
  if (!KeepBlock(iBlock, iSize))
    std::free(iBlock);
}

namespace {
std::size_t Bytes(long iCount, std::size_t iSize) {
  if (iCount < 0 || static_cast<unsigned long>(iCount) > (~std::size_t(0)) / (iSize * 2))
    RaiseNoMoreMemory(iCount, __LINE__);
  return static_cast<std::size_t>(iCount) * iSize;
}

// The byte size of an array being released. A release never raises (it runs on cleanup
// paths, while another error may be in flight): an impossible count is reported and the
// block is freed without adjusting the byte counter.
std::size_t ReleasedBytes(long iCount, std::size_t iSize, long iLine) {
  if (iCount < 0 || static_cast<unsigned long>(iCount) > (~std::size_t(0)) / (iSize * 2)) {
    XelQuornull(__FILE__, iLine);
    return 0;
  }
  return static_cast<std::size_t>(iCount) * iSize;
}
} // namespace

double* XelQuorArrayDoubleNew(long iCount) {
  return static_cast<double*>(xelquornew(Bytes(iCount, sizeof(double))));
}
void XelQuorArrayDoubleDel(double* iArray, long iCount) {
  xelquordel(iArray, ReleasedBytes(iCount, sizeof(double), __LINE__));
}
void** XelQuorArrayPtrsNew(long iCount) {
  void** array = static_cast<void**>(xelquornew(Bytes(iCount, sizeof(void*))));
  if (iCount > 0)
    std::memset(array, 0, Bytes(iCount, sizeof(void*)));
  return array;
}
void XelQuorArrayPtrsDel(void** iArray, long iCount) {
  xelquordel(iArray, ReleasedBytes(iCount, sizeof(void*), __LINE__));
}
unsigned char* XelQuorArrayBytesNew(long iCount) {
  return static_cast<unsigned char*>(xelquornew(Bytes(iCount, 1)));
}
void XelQuorArrayBytesDel(unsigned char* iArray, long iCount) {
  xelquordel(iArray, ReleasedBytes(iCount, 1, __LINE__));
}

void* XelQuorScratchReserve(std::size_t iBytes) {
  if (iBytes > scratchBytes) {
    XelQuorScratchClear();
    scratch = xelquornew(iBytes);
    scratchBytes = iBytes;
  }
  return scratch;
}

void XelQuorScratchClear() {
  xelquordel(scratch, scratchBytes);
  scratch = nullptr;
  scratchBytes = 0;
}

void XelQuorManageMemory::DeclareMemoryGarbage(GarbageCallback iCallback) {
  if (iCallback)
    Callbacks().push_back(iCallback);
}

void XelQuorManageMemory::CollectGarbage() {
  for (GarbageCallback callback : Callbacks())
    callback();
  ReleaseKeptBlocks();
}

void XelQuorDeclareLibraryLoading(const char* iName) {
  if (iName)
    Libraries().push_back(iName);
}

bool XelQuorIsLibraryLoaded(const char* iName) {
  if (!iName)
    return false;
  for (const std::string& name : Libraries())
    if (name == iName)
      return true;
  return false;
}
