#include "XelQuorMemory.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

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
} // namespace

void* xelquornew(std::size_t iSize) {
  // Larger blocks than any machine serves are refused up front (a corrupt count must not
  // reach the system allocator).
  if (iSize > XelQuorMaxBlockBytes)
    RaiseNoMoreMemory(static_cast<long>(iSize), __LINE__);
  void* block = std::malloc(iSize ? iSize : 1);
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
