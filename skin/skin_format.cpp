#include "skin/skin_format.h"

namespace skin {

const uint8_t kSkinMetricMax[kSkinMetricCount] = {12, 2, 1, 2, 3, 2, 2, 8, 1, 1};

namespace {

// Reads little-endian fields from a byte range. The first read past the end sets `failed`,
// which stays set; reads then give 0, so callers check once after a group of reads.
struct Cursor {
  const uint8_t* data;
  uint32_t size;
  uint32_t pos;
  bool failed;

  bool Has(uint32_t n) const { return !failed && n <= size - pos; }
  const uint8_t* Take(uint32_t n) {
    if (!Has(n)) {
      failed = true;
      return nullptr;
    }
    const uint8_t* p = data + pos;
    pos += n;
    return p;
  }
  uint8_t U8() {
    const uint8_t* p = Take(1);
    return p ? p[0] : 0;
  }
  uint16_t U16() {
    const uint8_t* p = Take(2);
    return p ? uint16_t(p[0] | (p[1] << 8)) : 0;
  }
  uint32_t U32() {
    const uint8_t* p = Take(4);
    return p ? uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
                   (uint32_t(p[3]) << 24)
             : 0;
  }
  bool AtEnd() const { return !failed && pos == size; }
};

constexpr uint32_t Tag(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | (uint32_t(uint8_t(b)) << 8) | (uint32_t(uint8_t(c)) << 16) |
         (uint32_t(uint8_t(d)) << 24);
}
constexpr uint32_t kTagName = Tag('N', 'A', 'M', 'E');
constexpr uint32_t kTagPalette = Tag('P', 'A', 'L', 'T');
constexpr uint32_t kTagMetrics = Tag('M', 'E', 'T', 'R');
constexpr uint32_t kTagPicture = Tag('P', 'I', 'C', 'T');
constexpr uint32_t kTagPadding = Tag('P', 'A', 'D', 'D');

void Clear(SkinInfo* out) {
  uint8_t* p = reinterpret_cast<uint8_t*>(out);
  for (size_t i = 0; i < sizeof *out; ++i) p[i] = 0;
}

uint32_t Rgb(const uint8_t* p) {
  return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}

// Walks the pixel data of a picture; with `pixels` null it only checks. True when the data
// gives exactly width x height pixels and ends there.
bool WalkPixels(const SkinPicture& pic, uint32_t* pixels) {
  const uint32_t count = uint32_t(pic.width) * pic.height;
  Cursor c{pic.data, pic.size, 0, false};
  if (pic.encoding == 0) {
    if (pic.size != count * 3) return false;
    for (uint32_t i = 0; i < count; ++i) {
      const uint8_t* p = c.Take(3);
      if (pixels) pixels[i] = Rgb(p);
    }
    return true;
  }
  if (pic.encoding != 1) return false;
  uint32_t done = 0;
  while (!c.AtEnd()) {
    const uint8_t n = c.U8();
    if (n == 0) return false;
    const uint32_t run = n <= 128 ? n : uint32_t(n - 128);
    if (run > count - done) return false;
    if (n <= 128) {
      const uint8_t* p = c.Take(3);
      if (!p) return false;
      for (uint32_t i = 0; i < run; ++i, ++done) {
        if (pixels) pixels[done] = Rgb(p);
      }
    } else {
      const uint8_t* p = c.Take(3 * run);
      if (!p) return false;
      for (uint32_t i = 0; i < run; ++i, ++done) {
        if (pixels) pixels[done] = Rgb(p + 3 * i);
      }
    }
  }
  return !c.failed && done == count;
}

SkinStatus ReadPicture(Cursor& payload, SkinInfo* info) {
  const uint8_t slot = payload.U8();
  const uint8_t encoding = payload.U8();
  const uint16_t width = payload.U16();
  const uint16_t height = payload.U16();
  payload.U16();  // reserved
  if (payload.failed || slot >= kSkinPictureSlotCount) return kSkinBadPicture;
  if (width == 0 || height == 0 || width > kSkinPictureMaxSide || height > kSkinPictureMaxSide) {
    return kSkinBadPicture;
  }
  SkinPicture& pic = info->pictures[slot];
  if (pic.data != nullptr) return kSkinDuplicate;
  const uint32_t rest = payload.size - payload.pos;
  SkinPicture read{payload.data + payload.pos, rest, width, height, encoding};
  if (!WalkPixels(read, nullptr)) return kSkinBadPicture;
  pic = read;
  return kSkinOk;
}

SkinStatus ReadSection(uint32_t tag, Cursor& payload, SkinInfo* info, uint32_t* seen) {
  switch (tag) {
    case kTagName: {
      if (*seen & 1) return kSkinDuplicate;
      *seen |= 1;
      if (payload.size == 0 || payload.size > kSkinNameMax) return kSkinBadName;
      for (uint32_t i = 0; i < payload.size; ++i) {
        const char ch = char(payload.data[i]);
        if (ch == 0) return kSkinBadName;
        info->name[i] = ch;
      }
      info->name[payload.size] = 0;
      return kSkinOk;
    }
    case kTagPalette: {
      if (*seen & 2) return kSkinDuplicate;
      *seen |= 2;
      if (payload.size % 3 != 0 || payload.size / 3 < kSkinColourCount) return kSkinNoPalette;
      for (uint32_t i = 0; i < kSkinColourCount; ++i) info->colours[i] = Rgb(payload.Take(3));
      return kSkinOk;
    }
    case kTagMetrics: {
      if (*seen & 4) return kSkinDuplicate;
      *seen |= 4;
      if (payload.size < kSkinMetricCount) return kSkinNoMetrics;
      for (uint32_t i = 0; i < kSkinMetricCount; ++i) {
        const uint8_t v = payload.U8();
        info->metrics[i] = v > kSkinMetricMax[i] ? kSkinMetricMax[i] : v;
      }
      return kSkinOk;
    }
    case kTagPicture:
      return ReadPicture(payload, info);
    case kTagPadding:
      info->padding += payload.size;
      return kSkinOk;
    default:
      ++info->unknown_sections;
      return kSkinOk;
  }
}

SkinStatus ReadInto(const uint8_t* data, uint32_t size, SkinInfo* info) {
  if (data == nullptr || size < kSkinHeaderSize) return kSkinTooShort;
  Cursor c{data, size, 0, false};
  const uint8_t* magic = c.Take(6);
  static const uint8_t kMagic[6] = {'.', 'S', 'H', 'E', 0, 3};
  for (int i = 0; i < 6; ++i) {
    if (magic[i] != kMagic[i]) return kSkinBadMagic;
  }
  info->version = c.U16();
  if (info->version != kSkinVersion) return kSkinBadVersion;
  const uint16_t header_size = c.U16();
  const uint16_t flags = c.U16();
  const uint32_t file_size = c.U32();
  const uint32_t checksum = c.U32();
  const uint16_t section_count = c.U16();
  const uint16_t reserved = c.U16();
  if (header_size < kSkinHeaderSize || flags != 0 || reserved != 0) return kSkinBadHeader;
  if (file_size != size) return kSkinBadSize;
  if (header_size > size) return kSkinBadHeader;
  if (SkinChecksum(data + header_size, size - header_size) != checksum) return kSkinBadChecksum;

  c.pos = header_size;
  uint32_t seen = 0;
  for (uint32_t i = 0; i < section_count; ++i) {
    const uint32_t tag = c.U32();
    const uint32_t length = c.U32();
    const uint8_t* payload = c.Take(length);
    if (c.failed) return kSkinBadSection;
    Cursor section{payload, length, 0, false};
    const SkinStatus s = ReadSection(tag, section, info, &seen);
    if (s != kSkinOk) return s;
  }
  if (!c.AtEnd()) return kSkinBadSection;
  if (!(seen & 2)) return kSkinNoPalette;
  if (!(seen & 4)) return kSkinNoMetrics;
  return kSkinOk;
}

}  // namespace

uint32_t SkinChecksum(const uint8_t* data, uint32_t size) {
  uint32_t h = 2166136261u;
  for (uint32_t i = 0; i < size; ++i) {
    h ^= data[i];
    h *= 16777619u;
  }
  return h;
}

SkinStatus ReadSkin(const uint8_t* data, uint32_t size, SkinInfo* out) {
  Clear(out);
  const SkinStatus s = ReadInto(data, size, out);
  if (s != kSkinOk) Clear(out);
  return s;
}

bool DecodeSkinPicture(const SkinPicture& picture, uint32_t* pixels, uint32_t capacity) {
  if (picture.data == nullptr || pixels == nullptr) return false;
  if (uint32_t(picture.width) * picture.height > capacity) return false;
  return WalkPixels(picture, pixels);
}

const char* SkinStatusText(SkinStatus status) {
  switch (status) {
    case kSkinOk:
      return "ok";
    case kSkinTooShort:
      return "too short";
    case kSkinBadMagic:
      return "not a skin";
    case kSkinBadVersion:
      return "unknown version";
    case kSkinBadHeader:
      return "bad header";
    case kSkinBadSize:
      return "size mismatch";
    case kSkinBadChecksum:
      return "checksum mismatch";
    case kSkinBadSection:
      return "bad section";
    case kSkinDuplicate:
      return "duplicate section";
    case kSkinNoPalette:
      return "no palette";
    case kSkinNoMetrics:
      return "no metrics";
    case kSkinBadPicture:
      return "bad picture";
    case kSkinBadName:
      return "bad name";
  }
  return "unknown";
}

}  // namespace skin
