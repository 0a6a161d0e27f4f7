// Fuzz target of the skin reader: any input is read or refused without a fault; what is read
// holds to the format's limits and its pictures decode. Inputs are read twice: as they are,
// and with the size field and checksum made to agree, so that mutations reach the sections
// behind the checksum. Seed corpus: <build>/tests/seeds/skin_reader_fuzz (the shipped skins).
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "skin/skin_format.h"

namespace {

using namespace skin;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

void Exercise(const uint8_t* data, size_t size) {
  SkinInfo info;
  const SkinStatus status = ReadSkin(data, uint32_t(size), &info);
  Check(SkinStatusText(status) != nullptr);
  if (status != kSkinOk) {
    const uint8_t* raw = reinterpret_cast<const uint8_t*>(&info);
    for (size_t i = 0; i < sizeof info; ++i) Check(raw[i] == 0);
    return;
  }
  Check(info.version == kSkinVersion);
  Check(std::memchr(info.name, 0, sizeof info.name) != nullptr);
  for (int i = 0; i < kSkinMetricCount; ++i) Check(info.metrics[i] <= kSkinMetricMax[i]);
  for (const uint32_t c : info.colours) Check(c <= 0xFFFFFF);
  static uint32_t pixels[kSkinPictureMaxPixels];
  for (const SkinPicture& p : info.pictures) {
    if (!p.data) continue;
    Check(p.data >= data && p.data + p.size <= data + size);
    Check(p.width >= 1 && p.width <= kSkinPictureMaxSide);
    Check(p.height >= 1 && p.height <= kSkinPictureMaxSide);
    Check(DecodeSkinPicture(p, pixels, kSkinPictureMaxPixels));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Exercise(data, size);
  if (size < kSkinHeaderSize || size > 1 << 20) return 0;
  std::vector<uint8_t> sealed(data, data + size);
  const uint32_t header = uint32_t(sealed[8] | (sealed[9] << 8));
  if (header > size) return 0;
  const uint32_t length = uint32_t(size);
  const uint32_t sum = SkinChecksum(sealed.data() + header, length - header);
  for (int i = 0; i < 4; ++i) {
    sealed[size_t(12 + i)] = uint8_t(length >> (8 * i));
    sealed[size_t(16 + i)] = uint8_t(sum >> (8 * i));
  }
  Exercise(sealed.data(), sealed.size());
  return 0;
}
