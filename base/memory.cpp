// AllocMem, ReallocMem, FreeMem, the read-only constant range and the copy helpers that build
// results.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/heap.h"
#include "base/runtime_error.h"
#include "base/values.h"

namespace rc {

#ifndef _WIN32
// malloc(0) and realloc(p, 0) may give null (realloc even frees p), which would read as a
// failed allocation; the process heap hands out a block for 0 bytes.
void* PlatformHeapAlloc(size_t size) {
  return std::malloc(size != 0 ? size : 1);
}
void* PlatformHeapRealloc(void* block, size_t size) {
  return std::realloc(block, size != 0 ? size : 1);
}
void PlatformHeapFree(void* block) {
  std::free(block);
}
#endif

const char kEmptyText[1] = {0};
const uint32_t kEmptyByteBlock[2] = {1, 0};

namespace {

const unsigned char* g_const_start = nullptr;
const unsigned char* g_const_end = nullptr;

bool InRange(const void* p, const void* start, size_t size) {
  auto a = reinterpret_cast<uintptr_t>(p);
  auto s = reinterpret_cast<uintptr_t>(start);
  return a >= s && a - s < size;
}

// End of the constant range that holds p, or null when p is no constant. The core's own
// empty constants count too: they are handed out before any range is registered, and in host
// tests where none is.
const unsigned char* ConstantEnd(const void* p) {
  if (p == nullptr) return nullptr;
  if (g_const_start != nullptr &&
      InRange(p, g_const_start, static_cast<size_t>(g_const_end - g_const_start))) {
    return g_const_end;
  }
  if (InRange(p, kEmptyText, sizeof kEmptyText)) {
    return reinterpret_cast<const unsigned char*>(kEmptyText) + sizeof kEmptyText;
  }
  if (InRange(p, kEmptyByteBlock, sizeof kEmptyByteBlock)) {
    return reinterpret_cast<const unsigned char*>(kEmptyByteBlock) + sizeof kEmptyByteBlock;
  }
  return nullptr;
}

[[noreturn]] void AllocationFailed(size_t size) {
  // The message shows the size as the 32-bit program's signed "%d" does (a negative request
  // shows negative there); on a 64-bit host ptrdiff_t keeps the same reading.
  char text[96];
  std::snprintf(text, sizeof text, "分配 %lld 字节内存失败!",
                static_cast<long long>(static_cast<ptrdiff_t>(size)));
  RaiseRuntimeError(text, 0);
}

}  // namespace

void RegisterConstantRange(const void* start, size_t size) {
  if (start == nullptr || size == 0) {
    ClearConstantRange();
    return;
  }
  g_const_start = static_cast<const unsigned char*>(start);
  g_const_end = g_const_start + size;
}

void ClearConstantRange() {
  g_const_start = nullptr;
  g_const_end = nullptr;
}

bool IsConstant(const void* p) {
  return ConstantEnd(p) != nullptr;
}

void* AllocMem(size_t size) {
  void* block = PlatformHeapAlloc(size);
  if (block == nullptr) AllocationFailed(size);
  return block;
}

void* AllocMemForLibrary(size_t size, bool null_on_failure) {
  if (null_on_failure) return PlatformHeapAlloc(size);
  return AllocMem(size);
}

void* ReallocMem(void* block, size_t size) {
  if (block == nullptr) return AllocMem(size);
  if (const unsigned char* end = ConstantEnd(block)) {
    // A constant has no size of its own: copy what fits, but never read past the range.
    auto* from = static_cast<const unsigned char*>(block);
    size_t n = std::min(size, static_cast<size_t>(end - from));
    void* copy = AllocMem(size);
    std::memcpy(copy, from, n);
    return copy;
  }
  void* moved = PlatformHeapRealloc(block, size);
  if (moved == nullptr) AllocationFailed(size);
  return moved;
}

void FreeMem(void* block) {
  if (block == nullptr || IsConstant(block)) return;
  PlatformHeapFree(block);
}

void FreeArrayValue(uint32_t tag, void* array) {
  if (array == nullptr || IsConstant(array)) return;
  uint32_t element = ElementTag(tag);
  if (element == kTagText || element == kTagBytes) {
    unsigned char* items = ArrayElements(array);
    size_t count = ArrayElementCount(array);
    for (size_t i = 0; i < count; ++i) {
      void* item;
      std::memcpy(&item, items + i * sizeof item, sizeof item);
      FreeMem(item);
    }
  }
  FreeMem(array);
}

char* CopyText(const char* text) {
  if (text == nullptr || text[0] == '\0') return nullptr;
  return BytesToText(text, static_cast<ptrdiff_t>(std::strlen(text)));
}

char* BytesToText(const void* data, ptrdiff_t length) {
  if (length < 1) return nullptr;
  auto n = static_cast<size_t>(length);
  auto* text = static_cast<char*>(AllocMem(n + 1));
  std::memcpy(text, data, n);
  text[n] = '\0';
  return text;
}

void* BytesToByteBlock(const void* data, ptrdiff_t length) {
  if (length < 1) return nullptr;
  auto n = static_cast<size_t>(length);
  // The length word is 32 bits; a longer block cannot be described.
  if (n > 0x7FFFFFFFu) AllocationFailed(n + 8);
  auto* block = static_cast<unsigned char*>(AllocMem(n + 8));
  const uint32_t header[2] = {1, static_cast<uint32_t>(n)};
  std::memcpy(block, header, sizeof header);
  std::memcpy(block + 8, data, n);
  return block;
}

}  // namespace rc
