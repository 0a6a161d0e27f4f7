// The header and image directory of an ICO or CUR file, read from untrusted bytes: the picture
// decoders choose an icon image from it and the window loader a cursor image. What an entry
// points to is not read here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace rc {

constexpr uint16_t kIconFile = 1;
constexpr uint16_t kCursorFile = 2;

struct IconDirectoryEntry {
  int width = 0;  // 1 to 256: a stored 0 means 256
  int height = 0;
  // An icon's colour planes and bits per pixel; a cursor's hot spot.
  uint16_t planes_or_hot_x = 0;
  uint16_t bits_or_hot_y = 0;
  uint32_t bytes = 0;
  uint32_t offset = 0;

  // The image's bytes within the file's `size`, or null when they do not lie wholly inside.
  const uint8_t* Image(const uint8_t* file, size_t size) const {
    return offset <= size && bytes <= size - offset ? file + offset : nullptr;
  }
};

struct IconDirectory {
  uint16_t reserved = 0;  // 0 in a well-formed file
  uint16_t kind = 0;      // kIconFile, kCursorFile, or whatever else the file says
  std::vector<IconDirectoryEntry> entries;
};

// False when the header or the directory is cut short, or the directory is empty.
bool ReadIconDirectory(const uint8_t* data, size_t size, IconDirectory* out);

}  // namespace rc
