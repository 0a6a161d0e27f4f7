// Decoding of the picture files units store, and their placement in the unit layouts.
#include <random>

#include "runtime/draw/picture.h"
#include "tests/win/draw_support.h"

namespace rc::draw::test {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kLime = RGB(0, 255, 0), kBlue = RGB(0, 0, 255),
                   kWhite = RGB(255, 255, 255), kGrey = RGB(128, 128, 128);

Picture Load(const char* name, int preferred = 0) {
  std::vector<uint8_t> bytes = ReadPicture(name);
  return Picture::Decode(bytes.data(), bytes.size(), preferred);
}

COLORREF PixelAt(const Picture& p, int x, int y) {
  uint32_t v = p.pixels().row(y)[x];
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

// The sample pictures are split into red, lime, blue and white quadrants.
void ExpectQuadrants(const Picture& p, int tolerance) {
  const int w = p.width(), h = p.height();
  EXPECT_TRUE(Near(PixelAt(p, w / 4, h / 4), kRed, tolerance)) << "top left";
  EXPECT_TRUE(Near(PixelAt(p, 3 * w / 4, h / 4), kLime, tolerance)) << "top right";
  EXPECT_TRUE(Near(PixelAt(p, w / 4, 3 * h / 4), kBlue, tolerance)) << "bottom left";
  EXPECT_TRUE(Near(PixelAt(p, 3 * w / 4, 3 * h / 4), kWhite, tolerance)) << "bottom right";
}

TEST(DrawPictureDecode, JpegKindsAndBmpDepthsGiveTheirColours) {
  const struct {
    const char* name;
    int width, height, tolerance;
  } cases[] = {
      {"quad.jpg", 64, 48, 8},       {"quad_progressive.jpg", 64, 48, 8},
      {"quad_cmyk.jpg", 64, 48, 10},  // stored inverted, with an Adobe marker
      {"quad24.bmp", 10, 6, 0},       // rows padded to four bytes, bottom-up
      {"quad8.bmp", 10, 6, 0},        // palette
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Picture p = Load(c.name);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.width(), c.width);
    EXPECT_EQ(p.height(), c.height);
    EXPECT_FALSE(p.has_alpha()) << "JPEG and BMP pictures are opaque";
    ExpectQuadrants(p, c.tolerance);
  }
}

TEST(DrawPictureDecode, GreyscaleJpegBecomesGreyPixels) {
  Picture p = Load("gray.jpg");
  ASSERT_FALSE(p.empty());
  EXPECT_TRUE(Near(PixelAt(p, 4, 8), RGB(0, 0, 0), 6));
  EXPECT_TRUE(Near(PixelAt(p, 28, 8), RGB(200, 200, 200), 6));
}

TEST(DrawPictureDecode, CutOrDamagedJpegGivesAnEmptyPicture) {
  for (const char* name : {"quad.jpg", "quad_progressive.jpg"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> good = ReadPicture(name);
    const struct {
      size_t keep;
      bool shown;
      const char* rule;
    } cuts[] = {
        {good.size() - 2, true, "only the end marker missing: the picture is all there"},
        {good.size() - 1, true, "half the end marker missing"},
        {good.size() - 3, false, "the last byte of image data missing"},
        {good.size() * 3 / 4, false, "cut inside the image data: a half picture is not shown"},
        {20, false, "cut inside the header"},
    };
    for (const auto& c : cuts) {
      Picture p = Picture::Decode(good.data(), c.keep);
      EXPECT_EQ(!p.empty(), c.shown) << c.rule;
    }
  }
  std::vector<uint8_t> bad_frame = ReadPicture("quad.jpg");
  for (size_t i = 0; i + 8 < bad_frame.size(); ++i) {
    if (bad_frame[i] == 0xFF && bad_frame[i + 1] == 0xC0) {  // frame header: zero the size
      bad_frame[i + 5] = bad_frame[i + 6] = bad_frame[i + 7] = bad_frame[i + 8] = 0;
      break;
    }
  }
  EXPECT_TRUE(Picture::Decode(bad_frame.data(), bad_frame.size()).empty()) << "a frame of size 0";
}

TEST(DrawPictureDecode, RandomBytesBehindEverySignatureNeverCrash) {
  // Decoding must survive anything: the bytes come from stored form data.
  const std::vector<uint8_t> signatures[] = {
      {0xFF, 0xD8, 0xFF}, {'B', 'M'}, {0, 0, 1, 0, 1, 0}, {}};
  std::mt19937 rng(1234);
  int decoded = 0;
  for (const auto& sig : signatures) {
    for (int round = 0; round < 150; ++round) {
      std::vector<uint8_t> b(sig);
      size_t n = rng() % 600;
      for (size_t i = 0; i < n; ++i) b.push_back(static_cast<uint8_t>(rng()));
      Picture p = Picture::Decode(b.data(), b.size());
      if (!p.empty()) ++decoded;
    }
  }
  EXPECT_EQ(decoded, 0) << "random bytes are not a picture";
  EXPECT_TRUE(Picture::Decode(nullptr, 0).empty());
}

TEST(DrawPictureDecode, BmpWhoseHeaderPromisesMoreThanTheFileHoldsIsRefused) {
  std::vector<uint8_t> b = ReadPicture("quad24.bmp");
  std::vector<uint8_t> cut(b.begin(), b.end() - 4);
  EXPECT_TRUE(Picture::Decode(cut.data(), cut.size()).empty()) << "last row cut short";
  std::vector<uint8_t> tall = b;
  tall[22] = 0x00;
  tall[23] = 0x40;  // height 16384 rows
  EXPECT_TRUE(Picture::Decode(tall.data(), tall.size()).empty());
}

// Premultiplied pixels of the 256 x 256 PNG icon: red, lime at half alpha, blue, clear.
void ExpectPngIcon(const Picture& p) {
  ASSERT_EQ(p.width(), 256);
  ASSERT_EQ(p.height(), 256);
  EXPECT_TRUE(p.has_alpha());
  EXPECT_TRUE(NearPixel(p.pixels().row(10)[10], 0xFFFF0000, 1));
  EXPECT_TRUE(NearPixel(p.pixels().row(10)[200], 0x7F007F00, 2)) << "half-transparent lime";
  EXPECT_TRUE(NearPixel(p.pixels().row(200)[10], 0xFF0000FF, 1));
  EXPECT_TRUE(NearPixel(p.pixels().row(200)[200], 0, 1)) << "clear quarter";
}

TEST(DrawPictureDecode, IcoWithPng256Image) {
  Picture p = Load("png256.ico");
  ASSERT_FALSE(p.empty());
  ExpectPngIcon(p);
}

TEST(DrawPictureDecode, IcoImagesAreChosenBySizeAndKeepTheirTransparency) {
  // multi.ico: 16 x 16 magenta, 1 bit with an AND mask; 32 x 32 yellow | blue, 32-bit BMP with
  // alpha; 256 x 256 PNG. The top-left 8 x 8 of both small ones is clear.
  ExpectPngIcon(Load("multi.ico", 0));
  ExpectPngIcon(Load("multi.ico", 300));  // none large enough: the largest

  for (int preferred : {32, 20}) {
    SCOPED_TRACE(preferred);
    Picture p = Load("multi.ico", preferred);
    ASSERT_EQ(p.width(), 32);
    EXPECT_TRUE(p.has_alpha());
    EXPECT_TRUE(NearPixel(p.pixels().row(4)[4], 0, 1)) << "clear corner";
    EXPECT_TRUE(NearPixel(p.pixels().row(20)[4], 0xFFFFFF00, 1)) << "yellow";
    EXPECT_TRUE(NearPixel(p.pixels().row(20)[28], 0xFF0000FF, 1)) << "blue";
  }

  Picture mask = Load("multi.ico", 16);
  ASSERT_EQ(mask.width(), 16);
  EXPECT_TRUE(mask.has_alpha()) << "the AND mask becomes transparency";
  EXPECT_TRUE(NearPixel(mask.pixels().row(3)[3], 0, 1));
  EXPECT_TRUE(NearPixel(mask.pixels().row(12)[12], 0xFFFF00FF, 1));
}

TEST(DrawPictureDecode, IcoWithEntriesOutsideTheFileIsRefused) {
  std::vector<uint8_t> b = ReadPicture("png256.ico");
  std::vector<uint8_t> beyond = b;
  beyond[20] = 0x01;  // image offset 64 KB beyond the start, past the end
  EXPECT_TRUE(Picture::Decode(beyond.data(), beyond.size()).empty());
  std::vector<uint8_t> broken = b;
  for (size_t i = 60; i < broken.size(); ++i) broken[i] ^= 0x5A;  // PNG data garbled
  EXPECT_TRUE(Picture::Decode(broken.data(), broken.size()).empty());
}

TEST(DrawPictureLayout, PlacementRectangles) {
  const struct {
    SIZE picture;
    RECT area;
    PictureLayout layout;
    RECT expected;
    const char* rule;
  } cases[] = {
      {{64, 48}, {10, 20, 110, 90}, PictureLayout::kTopLeft, {10, 20, 74, 68}, "own size"},
      {{64, 48}, {10, 20, 30, 30}, PictureLayout::kTopLeft, {10, 20, 74, 68}, "not shrunk"},
      {{64, 48}, {10, 20, 110, 90}, PictureLayout::kStretch, {10, 20, 110, 90}, "fills"},
      {{64, 48}, {0, 0, 100, 70}, PictureLayout::kCentre, {18, 11, 82, 59}, "centred own size"},
      {{64, 48}, {0, 0, 40, 60}, PictureLayout::kCentre, {0, 15, 40, 45}, "width limits"},
      {{64, 48}, {0, 0, 100, 30}, PictureLayout::kCentre, {30, 0, 70, 30}, "height limits"},
      {{64, 48}, {0, 0, 80, 30}, PictureLayout::kCentre, {20, 0, 60, 30}, "taller only"},
      {{3, 1000}, {0, 0, 10, 10}, PictureLayout::kCentre, {4, 0, 5, 10}, "at least 1 pixel"},
  };
  for (const auto& c : cases) {
    RECT r = PlacePicture(c.picture, c.area, c.layout);
    EXPECT_TRUE(EqualRect(&r, &c.expected))
        << c.rule << ": got " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
  }
}

TEST(DrawPictureLayout, ModeNumbersClampToTheirEnds) {
  EXPECT_EQ(PicBoxLayout(-3), PictureLayout::kTopLeft);
  EXPECT_EQ(PicBoxLayout(1), PictureLayout::kStretch);
  EXPECT_EQ(PicBoxLayout(2), PictureLayout::kCentre);
  EXPECT_EQ(PicBoxLayout(9), PictureLayout::kCentre);
  EXPECT_EQ(LabelPictureLayout(0), PictureLayout::kTopLeft);
  EXPECT_EQ(LabelPictureLayout(1), PictureLayout::kTile);
  EXPECT_EQ(LabelPictureLayout(7), PictureLayout::kCentre);
}

// Draws quad.jpg (64 x 48) into the area {10, 10, 190, 140} of a grey canvas.
class DrawPictureModes : public ::testing::Test {
 protected:
  void Draw(PictureLayout layout, RECT area = {10, 10, 190, 140}) {
    picture_.Draw(canvas_.dc(), area, layout);
  }
  Picture picture_ = Load("quad.jpg");
  Canvas canvas_{200, 150, kGrey};
};

TEST_F(DrawPictureModes, TopLeftInOwnSize) {
  Draw(PictureLayout::kTopLeft);
  EXPECT_TRUE(Near(canvas_.At(10 + 16, 10 + 12), kRed, 8));
  EXPECT_TRUE(Near(canvas_.At(10 + 48, 10 + 36), kWhite, 8));
  EXPECT_EQ(canvas_.At(10 + 70, 10 + 20), kGrey) << "right of the picture";
  EXPECT_EQ(canvas_.At(10 + 20, 10 + 50), kGrey) << "below the picture";
  EXPECT_EQ(canvas_.At(9, 9), kGrey) << "outside the area";
}

TEST_F(DrawPictureModes, StretchedFillsTheWholeArea) {
  Draw(PictureLayout::kStretch);
  EXPECT_TRUE(Near(canvas_.At(10 + 45, 10 + 32), kRed, 8));
  EXPECT_TRUE(Near(canvas_.At(10 + 135, 10 + 32), kLime, 8));
  EXPECT_TRUE(Near(canvas_.At(10 + 45, 10 + 97), kBlue, 8));
  EXPECT_TRUE(Near(canvas_.At(10 + 135, 10 + 97), kWhite, 8));
  EXPECT_TRUE(Near(canvas_.At(10, 10), kRed, 12)) << "first pixel of the area";
  EXPECT_TRUE(Near(canvas_.At(189, 139), kWhite, 12)) << "last pixel of the area";
  EXPECT_EQ(canvas_.At(9, 9), kGrey);
  EXPECT_EQ(canvas_.At(190, 140), kGrey);
}

TEST_F(DrawPictureModes, CentredInOwnSizeWhenItFits) {
  Draw(PictureLayout::kCentre);
  // x = 10 + (180 - 64) / 2 = 68, y = 10 + (130 - 48) / 2 = 51.
  EXPECT_TRUE(Near(canvas_.At(68, 51), kRed, 12));
  EXPECT_TRUE(Near(canvas_.At(68 + 63, 51 + 47), kWhite, 12));
  EXPECT_EQ(canvas_.At(67, 60), kGrey);
  EXPECT_EQ(canvas_.At(68 + 64, 60), kGrey);
  EXPECT_EQ(canvas_.At(80, 50), kGrey);
}

TEST_F(DrawPictureModes, CentredAndShrunkProportionallyWhenLarger) {
  // Area 40 x 60: the width limits, so the picture becomes 40 x 30 at y = 10 + 15.
  Draw(PictureLayout::kCentre, {10, 10, 50, 70});
  EXPECT_EQ(canvas_.At(30, 10 + 14), kGrey) << "band above";
  EXPECT_TRUE(Near(canvas_.At(10 + 10, 25 + 7), kRed, 10));
  EXPECT_TRUE(Near(canvas_.At(10 + 30, 25 + 7), kLime, 10));
  EXPECT_TRUE(Near(canvas_.At(10 + 10, 25 + 22), kBlue, 10));
  EXPECT_TRUE(Near(canvas_.At(10 + 30, 25 + 22), kWhite, 10));
  EXPECT_EQ(canvas_.At(30, 10 + 45), kGrey) << "band below";
  EXPECT_EQ(canvas_.At(51, 30), kGrey) << "outside the area";
}

TEST_F(DrawPictureModes, TiledRepeatsAndStopsAtTheArea) {
  Picture tile = Load("quad24.bmp");  // 10 x 6
  tile.Draw(canvas_.dc(), {5, 5, 40, 25}, PictureLayout::kTile);
  EXPECT_EQ(canvas_.At(5 + 2, 5 + 1), kRed);
  EXPECT_EQ(canvas_.At(5 + 10 + 7, 5 + 6 + 4), kWhite) << "second tile, second row";
  EXPECT_EQ(canvas_.At(5 + 30 + 2, 5 + 18 + 1), kRed) << "cut tile at the corner";
  EXPECT_EQ(canvas_.At(40, 6), kGrey) << "nothing right of the area";
  EXPECT_EQ(canvas_.At(6, 25), kGrey) << "nothing below the area";
}

TEST_F(DrawPictureModes, TransparentPictureBlendsOverTheBackground) {
  Picture icon = Load("png256.ico");
  icon.Draw(canvas_.dc(), {0, 0, 200, 150}, PictureLayout::kTopLeft);
  EXPECT_TRUE(Near(canvas_.At(10, 10), kRed, 1));
  EXPECT_TRUE(Near(canvas_.At(140, 10), RGB(64, 191, 64), 3)) << "half lime over grey";
  EXPECT_TRUE(Near(canvas_.At(140, 140), kGrey, 1)) << "the clear quarter shows the grey";
}

// An icon file is drawn from its image nearest to the size drawn at from above, whichever
// image was decoded first: multi.ico's 16 (magenta), 32 (yellow | blue) and 256 (PNG) images.
TEST_F(DrawPictureModes, IconsAreDrawnFromTheStoredSizeNearestTheDrawnOne) {
  const struct {
    int first;  // the size the image first decoded is chosen for
    PictureLayout layout;
    int area, dpi;
    POINT at;
    COLORREF expected;
    const char* rule;
  } cases[] = {
      {0, PictureLayout::kStretch, 16, 96, {12, 12}, RGB(255, 0, 255), "the 16 image, not 256"},
      {0, PictureLayout::kStretch, 32, 96, {4, 20}, RGB(255, 255, 0), "the 32 image at its size"},
      {16, PictureLayout::kStretch, 24, 96, {3, 15}, RGB(255, 255, 0), "the 32 image shrunk"},
      {16, PictureLayout::kStretch, 64, 96, {5, 5}, kRed, "past 32 the 256 image"},
      {0, PictureLayout::kCentre, 200, 96, {40, 40}, kRed, "own size: the largest"},
      {32, PictureLayout::kCentre, 16, 192, {12, 12}, RGB(255, 0, 255), "16 device pixels"},
  };
  const std::vector<uint8_t> bytes = ReadPicture("multi.ico");
  for (const auto& c : cases) {
    Canvas canvas(c.area, c.area, kGrey);
    Picture p = Picture::Decode(bytes.data(), bytes.size(), c.first);
    p.Draw(canvas.dc(), {0, 0, c.area, c.area}, c.layout, c.dpi);
    EXPECT_TRUE(Near(canvas.At(c.at.x, c.at.y), c.expected, 24)) << c.rule;
  }
}

TEST_F(DrawPictureModes, EmptyPictureDrawsNothing) {
  Picture none;
  none.Draw(canvas_.dc(), {0, 0, 200, 150}, PictureLayout::kStretch);
  EXPECT_EQ(canvas_.At(100, 75), kGrey);
}

TEST(DrawPictureIcon, WindowIconKeepsColoursAndTransparency) {
  Picture p = Load("png256.ico");
  Icon icon = p.MakeIcon(32);
  ASSERT_FALSE(icon.empty());
  Canvas canvas(32, 32, RGB(0, 0, 0));
  ASSERT_TRUE(DrawIconEx(canvas.dc(), 0, 0, icon.handle(), 32, 32, 0, nullptr, DI_NORMAL));
  EXPECT_TRUE(Near(canvas.At(4, 4), kRed, 2));
  EXPECT_TRUE(Near(canvas.At(4, 28), kBlue, 2));
  EXPECT_TRUE(Near(canvas.At(28, 4), RGB(0, 127, 0), 3)) << "half lime over black";
  EXPECT_TRUE(Near(canvas.At(28, 28), RGB(0, 0, 0), 1)) << "clear quarter";
}

TEST(DrawPictureIcon, IconFromFileUsesTheImageOfThatSize) {
  std::vector<uint8_t> bytes = ReadPicture("multi.ico");
  Icon small = MakeIconFromFile(bytes.data(), bytes.size(), 16);  // the 1-bit image with mask
  ASSERT_FALSE(small.empty());
  Canvas canvas(16, 16, RGB(0, 0, 0));
  ASSERT_TRUE(DrawIconEx(canvas.dc(), 0, 0, small.handle(), 16, 16, 0, nullptr, DI_NORMAL));
  EXPECT_EQ(canvas.At(12, 12), RGB(255, 0, 255)) << "the 16 x 16 image, not a shrunk 256";
  EXPECT_EQ(canvas.At(3, 3), RGB(0, 0, 0)) << "its masked corner stays clear";
  EXPECT_TRUE(MakeIconFromFile(bytes.data(), 10, 16).empty());
}

}  // namespace
}  // namespace rc::draw::test
