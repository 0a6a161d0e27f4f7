// BMP files and ICO files. Their headers are checked here, against the bytes actually there,
// before GDI or USER ever sees them: the system routines trust the sizes a header states.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "base/byte_cursor.h"
#include "base/icon_directory.h"
#include "runtime/draw/decode.h"

namespace rc::draw {

namespace {

using forms::ByteReader;

constexpr int kMaxIconSide = 1024;

size_t Stride(int64_t width, int bits) {
  return static_cast<size_t>((width * bits + 31) / 32 * 4);
}

// The fields of a BITMAPINFOHEADER the decoders look at.
struct DibHeader {
  uint32_t size = 0;
  int32_t width = 0;
  int32_t height = 0;
  uint16_t planes = 0;
  uint16_t bits = 0;
  uint32_t compression = 0;
  uint32_t colours_used = 0;

  bool Read(ByteReader& r) {
    size = r.U32();
    width = r.I32();
    height = r.I32();
    planes = r.U16();
    bits = r.U16();
    compression = r.U32();
    r.Skip(12);  // image size, resolution
    colours_used = r.U32();
    r.Skip(4);
    return !r.failed() && size >= 40 && planes == 1 && width > 0 && height != 0 &&
           height != INT32_MIN;
  }
  // Palette entries that follow the header; 0 when the depth takes none. -1 when invalid.
  int64_t PaletteSize() const {
    if (bits > 8) return 0;
    if (colours_used == 0) return int64_t(1) << bits;
    return colours_used <= (1u << bits) ? int64_t(colours_used) : -1;
  }
};

void MakeOpaque(Bitmap& b) {
  uint32_t* p = b.pixels();
  for (size_t i = 0, n = size_t(b.width()) * b.height(); i < n; ++i) p[i] |= 0xFF000000u;
}

struct IconHandle {
  HICON h;
  ~IconHandle() {
    if (h) DestroyIcon(h);
  }
};

// Reads an icon's pixels and alpha by drawing it over black and over white: whatever the
// icon's kind (alpha channel, AND mask, PNG) and however the system stores it, the result over
// black is the premultiplied colour and the difference between the two is the transparency.
Decoded IconPixels(HICON icon, int width, int height) {
  Decoded out;
  Bitmap black = Bitmap::Create(width, height);
  Bitmap white = Bitmap::Create(width, height);
  if (black.empty() || white.empty()) return out;
  std::fill_n(white.pixels(), size_t(width) * height, 0x00FFFFFFu);
  for (Bitmap* b : {&black, &white}) {
    MemoryDc dc(nullptr, b->handle());
    if (!dc || !DrawIconEx(dc.get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL)) return out;
  }
  GdiFlush();
  bool alpha = false;
  uint32_t* p = black.pixels();
  const uint32_t* q = white.pixels();
  for (size_t i = 0, n = size_t(width) * height; i < n; ++i) {
    int diff = 0;
    int c0[3], c1[3];
    for (int k = 0; k < 3; ++k) {
      c0[k] = (p[i] >> (8 * k)) & 0xFF;
      c1[k] = (q[i] >> (8 * k)) & 0xFF;
      diff += std::max(0, c1[k] - c0[k]);
    }
    int a = 255 - (diff + 1) / 3;
    if (a < 255) alpha = true;
    uint32_t px = uint32_t(a) << 24;
    for (int k = 0; k < 3; ++k) px |= uint32_t(std::min(c0[k], a)) << (8 * k);
    p[i] = px;
  }
  out.pixels = std::move(black);
  out.has_alpha = alpha;
  return out;
}

struct IconEntry {
  int size;  // larger side as the directory states it, 0 counting as 256
  int bits;
  const uint8_t* data;
  size_t length;
};

bool Better(const IconEntry& a, const IconEntry& b, int preferred) {
  if (a.size != b.size) {
    if (preferred > 0) {
      bool fits_a = a.size >= preferred, fits_b = b.size >= preferred;
      if (fits_a != fits_b) return fits_a;
      if (fits_a) return a.size < b.size;
    }
    return a.size > b.size;
  }
  return a.bits > b.bits;
}

uint32_t Be32(const uint8_t* b) {
  return uint32_t(b[0]) << 24 | uint32_t(b[1]) << 16 | uint32_t(b[2]) << 8 | b[3];
}

uint32_t Crc32(const uint8_t* p, size_t n) {
  static uint32_t table[256];
  static const bool ready = [] {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    return true;
  }();
  (void)ready;
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

// A PNG stream whose chunks are whole and undamaged, from IHDR to IEND. The system's decoder
// would refuse any other as well, but Wine's loses memory on every damaged one it is given.
bool WholePng(const uint8_t* p, size_t size) {
  size_t at = 8;
  for (bool first = true;; first = false) {
    if (size - at < 12) return false;
    const uint32_t length = Be32(p + at);
    if (length > size - at - 12) return false;
    const uint8_t* type = p + at + 4;
    if (Be32(p + at + 8 + length) != Crc32(type, length + 4)) return false;
    if (first && (std::memcmp(type, "IHDR", 4) != 0 || length != 13)) return false;
    if (std::memcmp(type, "IEND", 4) == 0) return true;
    at += 12 + size_t(length);
  }
}

// Checks one icon image and finds its real size: a PNG stream, or a DIB whose height counts
// the colour and the mask rows.
bool IconImageSize(const IconEntry& e, int* width, int* height) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (e.length >= 24 && std::equal(kPng, kPng + 8, e.data)) {
    if (!WholePng(e.data, e.length)) return false;
    // The IHDR chunk comes first: width and height, big-endian, at bytes 16 and 20.
    *width = static_cast<int>(std::min<uint32_t>(Be32(e.data + 16), kMaxIconSide + 1));
    *height = static_cast<int>(std::min<uint32_t>(Be32(e.data + 20), kMaxIconSide + 1));
  } else {
    ByteReader r(e.data, e.length);
    DibHeader h;
    if (!h.Read(r) || h.size != 40 || h.compression != BI_RGB || h.height < 0 ||
        (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 24 && h.bits != 32)) {
      return false;
    }
    // Above 8 bits a colour table is optional, but one the header counts stands before the
    // bits all the same, and the system skips it to find them.
    int64_t palette = h.bits > 8 ? int64_t(h.colours_used) : h.PaletteSize();
    int64_t rows = h.height / 2;
    if (palette < 0 || rows <= 0 || h.width > kMaxIconSide || rows > kMaxIconSide) return false;
    int64_t need = 40 + palette * 4 + (Stride(h.width, h.bits) + Stride(h.width, 1)) * rows;
    if (need > int64_t(e.length)) return false;
    *width = h.width;
    *height = static_cast<int>(rows);
  }
  return *width > 0 && *height > 0 && *width <= kMaxIconSide && *height <= kMaxIconSide;
}

}  // namespace

Decoded DecodeBmp(const uint8_t* data, size_t size) {
  Decoded out;
  ByteReader r(data, size);
  if (r.U16() != 0x4D42) return out;  // "BM"
  r.Skip(8);
  const uint32_t bits_at = r.U32();
  const size_t header_at = r.pos();
  DibHeader h;
  if (!h.Read(r)) return out;
  const bool fields = h.compression == BI_BITFIELDS;
  if (h.compression != BI_RGB && !(fields && (h.bits == 16 || h.bits == 32))) return out;
  if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 && h.bits != 32) {
    return out;
  }
  const int64_t palette = h.PaletteSize();
  if (palette < 0 || h.size > size) return out;
  const int rows = h.height < 0 ? -h.height : h.height;

  // The header GDI gets: the short form, then the colour masks (inside longer headers they
  // sit at the same place), then the palette.
  ByteReader masks(data, size);
  masks.Skip(header_at + 40);
  ByteReader colours(data, size);
  colours.Skip(header_at + h.size + (fields && h.size == 40 ? 12 : 0));
  std::vector<uint32_t> info(10 + 3 + static_cast<size_t>(palette));
  memcpy(info.data(), data + header_at, 40);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = 40;
  header->biClrUsed = static_cast<DWORD>(palette);
  header->biClrImportant = 0;
  size_t n = 10;
  if (fields) {
    for (int i = 0; i < 3; ++i) info[n++] = masks.U32();
  }
  for (int64_t i = 0; i < palette; ++i) info[n++] = colours.U32() & 0x00FFFFFF;
  if (masks.failed() || colours.failed()) return out;

  const uint64_t need = uint64_t(Stride(h.width, h.bits)) * rows;
  if (bits_at < colours.pos() || bits_at > size || need > size - bits_at) return out;
  std::vector<uint32_t> pixels((need + 3) / 4);
  memcpy(pixels.data(), data + bits_at, need);

  Bitmap b = Bitmap::Create(h.width, rows);
  if (b.empty()) return out;
  {
    MemoryDc dc(nullptr, b.handle());
    if (!dc ||
        StretchDIBits(dc.get(), 0, 0, h.width, rows, 0, 0, h.width, rows, pixels.data(),
                      reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS, SRCCOPY) <= 0) {
      return out;
    }
  }
  GdiFlush();
  MakeOpaque(b);
  out.pixels = std::move(b);
  return out;
}

IcoImage ChooseIcoImage(const uint8_t* data, size_t size, int preferred_size) {
  IcoImage out;
  IconDirectory dir;
  if (!ReadIconDirectory(data, size, &dir) || dir.reserved != 0 || dir.kind != kIconFile) {
    return out;
  }
  bool found = false;
  IconEntry best = {};
  int best_index = -1;
  for (size_t i = 0; i < dir.entries.size(); ++i) {
    const IconDirectoryEntry& d = dir.entries[i];
    const uint8_t* image = d.Image(data, size);
    if (image == nullptr || d.bytes < 8) continue;
    IconEntry e = {std::max(d.width, d.height), d.bits_or_hot_y, image, d.bytes};
    if (!found || Better(e, best, preferred_size)) best = e, best_index = int(i);
    found = true;
  }
  if (found && IconImageSize(best, &out.width, &out.height)) out.index = best_index;
  return out;
}

Decoded DecodeIcoImage(const uint8_t* data, size_t size, const IcoImage& chosen) {
  Decoded out;
  IconDirectory dir;
  if (chosen.index < 0 || !ReadIconDirectory(data, size, &dir) ||
      size_t(chosen.index) >= dir.entries.size()) {
    return out;
  }
  const IconDirectoryEntry& d = dir.entries[size_t(chosen.index)];
  const uint8_t* at = d.Image(data, size);
  if (at == nullptr) return out;
  // The system reads the image as a structure: give it an aligned copy.
  std::vector<uint32_t> image((d.bytes + 3) / 4);
  memcpy(image.data(), at, d.bytes);
  IconHandle icon = {CreateIconFromResourceEx(reinterpret_cast<BYTE*>(image.data()),
                                              static_cast<DWORD>(d.bytes), TRUE, 0x00030000,
                                              chosen.width, chosen.height, LR_DEFAULTCOLOR)};
  if (!icon.h) return out;
  return IconPixels(icon.h, chosen.width, chosen.height);
}

Decoded DecodeIco(const uint8_t* data, size_t size, int preferred_size) {
  return DecodeIcoImage(data, size, ChooseIcoImage(data, size, preferred_size));
}

}  // namespace rc::draw
