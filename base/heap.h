// The platform heap under AllocMem: the Windows process heap in the program, malloc on the
// host. The Windows implementation lives in heap_win.cpp so that the core needs no windows.h.
// Each returns null on failure and accepts a size of 0.
#pragma once

#include <cstddef>

namespace rc {

void* PlatformHeapAlloc(size_t size);
void* PlatformHeapRealloc(void* block, size_t size);
void PlatformHeapFree(void* block);

}  // namespace rc
