#include "base/icon_directory.h"

#include "base/byte_cursor.h"

namespace rc {

bool ReadIconDirectory(const uint8_t* data, size_t size, IconDirectory* out) {
  forms::ByteReader r(data, size);
  *out = IconDirectory();
  out->reserved = r.U16();
  out->kind = r.U16();
  const uint16_t count = r.U16();
  // Sixteen bytes an entry: a count larger than the file can hold fails before any is kept.
  if (r.failed() || count == 0 || count > r.remaining() / 16) return false;
  out->entries.resize(count);
  for (IconDirectoryEntry& e : out->entries) {
    const uint8_t* dims = r.Take(4);  // width, height, colour count, reserved
    e.width = dims[0] != 0 ? dims[0] : 256;
    e.height = dims[1] != 0 ? dims[1] : 256;
    e.planes_or_hot_x = r.U16();
    e.bits_or_hot_y = r.U16();
    e.bytes = r.U32();
    e.offset = r.U32();
  }
  return true;
}

}  // namespace rc
