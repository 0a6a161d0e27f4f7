// The skin reader: the 33 shipped skins read whole with their exact sizes; cut, foreign and
// damaged skins are refused with the right reason and never read out of bounds.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "skin/skin_format.h"
#include "tests/source_root.h"

namespace {

using namespace skin;
using Bytes = std::vector<uint8_t>;

// The sizes the program's skins have, in number order.
constexpr uint32_t kShippedSizes[33] = {
    15574, 9533,  19786, 19497, 17699, 41098, 12564, 18930, 13192, 24409, 30738,
    8321,  26370, 15733, 12105, 23603, 20863, 16746, 11676, 17997, 12882, 37461,
    30958, 25715, 34523, 28961, 29447, 15562, 20738, 18765, 31134, 44110, 20275};

Bytes Shipped(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "skin/skins/%02d.she", number);
  const std::string path = rc::test::SourcePath(name);
  Bytes bytes;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

void Put16(Bytes* b, uint16_t v) {
  b->push_back(uint8_t(v));
  b->push_back(uint8_t(v >> 8));
}
void Put32(Bytes* b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b->push_back(uint8_t(v >> (8 * i)));
}
void Section(Bytes* b, const char* tag, const Bytes& payload) {
  b->insert(b->end(), tag, tag + 4);
  Put32(b, uint32_t(payload.size()));
  b->insert(b->end(), payload.begin(), payload.end());
}
Bytes Palette(uint8_t shade, size_t colours = kSkinColourCount) {
  return Bytes(colours * 3, shade);
}
Bytes Metrics() {
  return Bytes{4, 1, 0, 1, 1, 1, 1, 3, 0, 0};
}
// A picture section's payload: slot, encoding, width, height, reserved, data.
Bytes PicturePayload(uint8_t slot, uint8_t encoding, uint16_t w, uint16_t h, const Bytes& data) {
  Bytes p = {slot, encoding};
  Put16(&p, w);
  Put16(&p, h);
  Put16(&p, 0);
  p.insert(p.end(), data.begin(), data.end());
  return p;
}

// A skin made of the given sections, with a correct header and checksum.
Bytes Skin(const std::vector<std::pair<const char*, Bytes>>& sections) {
  Bytes body;
  for (const auto& s : sections) Section(&body, s.first, s.second);
  Bytes b = {'.', 'S', 'H', 'E', 0, 3};
  Put16(&b, 1);
  Put16(&b, 24);
  Put16(&b, 0);
  Put32(&b, uint32_t(24 + body.size()));
  Put32(&b, SkinChecksum(body.data(), uint32_t(body.size())));
  Put16(&b, uint16_t(sections.size()));
  Put16(&b, 0);
  b.insert(b.end(), body.begin(), body.end());
  return b;
}

// Rewrites the size field and the checksum after a change, so that the structure behind them
// is what is tested.
void Reseal(Bytes* b, size_t header = 24) {
  const uint32_t size = uint32_t(b->size());
  const uint32_t sum = SkinChecksum(b->data() + header, uint32_t(b->size() - header));
  for (size_t i = 0; i < 4; ++i) {
    (*b)[12 + i] = uint8_t(size >> (8 * i));
    (*b)[16 + i] = uint8_t(sum >> (8 * i));
  }
}

SkinStatus Read(const Bytes& b, SkinInfo* info = nullptr) {
  SkinInfo local;
  return ReadSkin(b.data(), uint32_t(b.size()), info ? info : &local);
}

TEST(SkinReader, ShippedSkinsReadWholeWithTheirSizes) {
  std::set<std::string> names;
  std::set<uint32_t> faces;
  int with_pictures = 0, dark = 0;
  for (int n = 1; n <= 33; ++n) {
    SCOPED_TRACE(testing::Message() << "skin " << n);
    const Bytes b = Shipped(n);
    ASSERT_EQ(b.size(), kShippedSizes[n - 1]);
    SkinInfo info;
    ASSERT_EQ(Read(b, &info), kSkinOk);
    EXPECT_EQ(info.version, 1);
    EXPECT_GT(info.padding, 0u) << "the padding makes up the size";
    EXPECT_EQ(info.unknown_sections, 0u);
    names.insert(info.name);
    faces.insert(info.colours[kFace]);
    const uint32_t face = info.colours[kFace], text = info.colours[kText];
    const int contrast = int(((text >> 8) & 0xFF)) - int(((face >> 8) & 0xFF));
    EXPECT_GT(contrast < 0 ? -contrast : contrast, 110) << "text stands out from the face";
    if (((face >> 8) & 0xFF) < 100) ++dark;
    bool any = false;
    for (const SkinPicture& p : info.pictures) {
      if (!p.data) continue;
      any = true;
      std::vector<uint32_t> pixels(kSkinPictureMaxPixels);
      EXPECT_TRUE(DecodeSkinPicture(p, pixels.data(), uint32_t(pixels.size())));
      EXPECT_FALSE(DecodeSkinPicture(p, pixels.data(), uint32_t(p.width) * p.height - 1))
          << "a buffer one pixel short is refused";
    }
    with_pictures += any;
  }
  EXPECT_EQ(names.size(), 33u) << "every skin has its own name";
  EXPECT_EQ(faces.size(), 33u) << "every skin has its own face colour";
  EXPECT_GE(with_pictures, 10);
  EXPECT_GE(dark, 6);
}

TEST(SkinReader, EveryCutOfASkinIsRefused) {
  const Bytes b = Shipped(2);  // has a run-length picture
  ASSERT_FALSE(b.empty());
  for (size_t n = 0; n < b.size(); ++n) {
    SkinInfo info;
    info.version = 77;
    const SkinStatus s = ReadSkin(b.data(), uint32_t(n), &info);
    ASSERT_NE(s, kSkinOk) << n << " bytes";
    ASSERT_EQ(info.version, 0) << "a refused skin leaves nothing behind";
    ASSERT_EQ(s, n < 24 ? kSkinTooShort : kSkinBadSize) << n << " bytes";
    if (n < 24) continue;
    // The same cut with a header that agrees: the sections no longer fit.
    Bytes cut(b.begin(), b.begin() + std::ptrdiff_t(n));
    Reseal(&cut);
    ASSERT_EQ(Read(cut), kSkinBadSection) << n << " bytes, resealed";
  }
  SkinInfo info;
  EXPECT_EQ(ReadSkin(nullptr, 100, &info), kSkinTooShort);
}

TEST(SkinReader, HeaderChecks) {
  const Bytes good = Skin({{"PALT", Palette(9)}, {"METR", Metrics()}});
  ASSERT_EQ(Read(good), kSkinOk);
  for (int i = 0; i < 6; ++i) {
    Bytes b = good;
    b[size_t(i)] ^= 0x20;
    EXPECT_EQ(Read(b), kSkinBadMagic) << "magic byte " << i;
  }
  Bytes b = good;
  b[6] = 2;
  EXPECT_EQ(Read(b), kSkinBadVersion);
  b = good;
  b[8] = 20;  // header size below the fixed fields
  EXPECT_EQ(Read(b), kSkinBadHeader);
  b = good;
  b[10] = 1;  // flags
  EXPECT_EQ(Read(b), kSkinBadHeader);
  b = good;
  b.push_back(0);  // a byte more than the size field says
  EXPECT_EQ(Read(b), kSkinBadSize);
  b = good;
  b[30] ^= 1;
  EXPECT_EQ(Read(b), kSkinBadChecksum);
  // A longer header from a later revision is skipped.
  b = good;
  b.insert(b.begin() + 24, 8, 0xAB);
  b[8] = 32;
  Reseal(&b, 32);
  EXPECT_EQ(Read(b), kSkinOk);
}

TEST(SkinReader, SectionsAreCheckedAndTaken) {
  SkinInfo info;
  // Everything known, metrics above their limits, an unknown section and padding.
  const Bytes raw(2 * 3 * 3, 0x40);
  const Bytes rle = {3, 1, 2, 3, 131, 4, 5, 6, 7, 8, 9, 10, 11, 12};  // 3 alike, 3 listed
  // The pictures point into the skin's bytes, which must outlive them.
  const Bytes full = Skin({{"NAME", {'C', 'h', 'a', 'l', 'k'}},
                           {"PALT", Palette(0x11, kSkinColourCount + 2)},
                           {"METR", Bytes{200, 9, 9, 9, 9, 9, 9, 200, 9, 9, 77}},
                           {"PICT", PicturePayload(kPictureCaption, 0, 2, 3, raw)},
                           {"PICT", PicturePayload(kPictureButton, 1, 3, 2, rle)},
                           {"XTRA", Bytes(5, 1)},
                           {"PADD", Bytes(100, 0)},
                           {"PADD", Bytes(20, 0)}});
  ASSERT_EQ(Read(full, &info), kSkinOk);
  EXPECT_STREQ(info.name, "Chalk");
  EXPECT_EQ(info.colours[kLight], 0x111111u);
  for (int i = 0; i < kSkinMetricCount; ++i) EXPECT_EQ(info.metrics[i], kSkinMetricMax[i]);
  EXPECT_EQ(info.padding, 120u);
  EXPECT_EQ(info.unknown_sections, 1u);
  uint32_t px[6];
  ASSERT_TRUE(DecodeSkinPicture(info.pictures[kPictureButton], px, 6));
  EXPECT_EQ(px[0], 0x010203u);
  EXPECT_EQ(px[2], 0x010203u);
  EXPECT_EQ(px[3], 0x040506u);
  EXPECT_EQ(px[5], 0x0A0B0Cu);
  EXPECT_EQ(info.pictures[kPictureCaption].width, 2);
  EXPECT_EQ(info.pictures[kPictureCaption].height, 3);

  struct Case {
    const char* what;
    std::vector<std::pair<const char*, Bytes>> sections;
    SkinStatus status;
  };
  const Case cases[] = {
      {"no palette", {{"METR", Metrics()}}, kSkinNoPalette},
      {"no metrics", {{"PALT", Palette(1)}}, kSkinNoMetrics},
      {"short palette",
       {{"PALT", Palette(1, kSkinColourCount - 1)}, {"METR", Metrics()}},
       kSkinNoPalette},
      {"palette not in threes",
       {{"PALT", Bytes(kSkinColourCount * 3 + 1, 0)}, {"METR", Metrics()}},
       kSkinNoPalette},
      {"short metrics", {{"PALT", Palette(1)}, {"METR", Bytes(3, 0)}}, kSkinNoMetrics},
      {"two palettes",
       {{"PALT", Palette(1)}, {"PALT", Palette(2)}, {"METR", Metrics()}},
       kSkinDuplicate},
      {"empty name", {{"NAME", {}}, {"PALT", Palette(1)}, {"METR", Metrics()}}, kSkinBadName},
      {"name with a zero",
       {{"NAME", {'a', 0}}, {"PALT", Palette(1)}, {"METR", Metrics()}},
       kSkinBadName},
      {"picture slot",
       {{"PALT", Palette(1)}, {"METR", Metrics()}, {"PICT", PicturePayload(9, 0, 1, 1, {1, 2, 3})}},
       kSkinBadPicture},
      {"picture too wide",
       {{"PALT", Palette(1)},
        {"METR", Metrics()},
        {"PICT", PicturePayload(0, 0, 65, 1, Bytes(195, 1))}},
       kSkinBadPicture},
      {"raw pixels short",
       {{"PALT", Palette(1)},
        {"METR", Metrics()},
        {"PICT", PicturePayload(0, 0, 2, 2, Bytes(11, 1))}},
       kSkinBadPicture},
      {"run past the picture",
       {{"PALT", Palette(1)},
        {"METR", Metrics()},
        {"PICT", PicturePayload(0, 1, 2, 2, {5, 1, 2, 3})}},
       kSkinBadPicture},
      {"run of zero",
       {{"PALT", Palette(1)},
        {"METR", Metrics()},
        {"PICT", PicturePayload(0, 1, 1, 1, {0, 1, 2, 3})}},
       kSkinBadPicture},
      {"bytes after the runs",
       {{"PALT", Palette(1)},
        {"METR", Metrics()},
        {"PICT", PicturePayload(0, 1, 1, 1, {1, 1, 2, 3, 9})}},
       kSkinBadPicture},
      {"unknown coding",
       {{"PALT", Palette(1)}, {"METR", Metrics()}, {"PICT", PicturePayload(0, 2, 1, 1, {1, 2, 3})}},
       kSkinBadPicture},
      {"slot twice",
       {{"PALT", Palette(1)},
        {"METR", Metrics()},
        {"PICT", PicturePayload(1, 0, 1, 1, {1, 2, 3})},
        {"PICT", PicturePayload(1, 0, 1, 1, {1, 2, 3})}},
       kSkinDuplicate},
  };
  for (const Case& c : cases) EXPECT_EQ(Read(Skin(c.sections)), c.status) << c.what;

  // Section lengths and the section count must account for every byte.
  Bytes b = Skin({{"PALT", Palette(1)}, {"METR", Metrics()}});
  Bytes longer = b;
  longer[24 + 8 + kSkinColourCount * 3 + 4] += 1;  // the last section claims a byte more
  Reseal(&longer);
  EXPECT_EQ(Read(longer), kSkinBadSection);
  Bytes fewer = b;
  fewer[20] = 1;  // one section counted, two there
  Reseal(&fewer);
  EXPECT_EQ(Read(fewer), kSkinBadSection);
  Bytes more = b;
  more[20] = 3;
  Reseal(&more);
  EXPECT_EQ(Read(more), kSkinBadSection);
}

}  // namespace
