// ICO / CUR directories from arbitrary bytes: no crash; a directory read holds the count the
// header states, every entry within the bytes given, sides from 1 to 256, and an image pointer
// only where the image lies wholly inside the file.
#include <cstdint>
#include <cstdlib>

#include "base/icon_directory.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  rc::IconDirectory dir;
  if (!rc::ReadIconDirectory(data, size, &dir)) {
    if (!dir.entries.empty()) std::abort();
    return 0;
  }
  const size_t count = size_t(data[4]) | size_t(data[5]) << 8;
  if (count == 0 || dir.entries.size() != count || 6 + 16 * count > size) std::abort();
  for (const rc::IconDirectoryEntry& e : dir.entries) {
    if (e.width < 1 || e.width > 256 || e.height < 1 || e.height > 256) std::abort();
    const uint8_t* image = e.Image(data, size);
    if (image != nullptr && (image < data || image + e.bytes > data + size)) std::abort();
    if (image == nullptr && uint64_t(e.offset) + e.bytes <= size) std::abort();
  }
  return 0;
}
