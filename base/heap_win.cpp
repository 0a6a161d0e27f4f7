// Runtime values come from the process heap, the heap that support libraries and DLLs sharing
// blocks with the program also use.
#include "base/heap.h"

#include <windows.h>

namespace rc {

void* PlatformHeapAlloc(size_t size) {
  return HeapAlloc(GetProcessHeap(), 0, size);
}

void* PlatformHeapRealloc(void* block, size_t size) {
  return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

void PlatformHeapFree(void* block) {
  HeapFree(GetProcessHeap(), 0, block);
}

}  // namespace rc
