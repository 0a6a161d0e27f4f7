// Colours, gradients, picture scaling quality and GBK text drawing.
#include <cmath>
#include <vector>

#include "runtime/draw/colour.h"
#include "runtime/draw/resample.h"
#include "runtime/draw/text.h"
#include "tests/win/draw_support.h"

namespace rc::draw::test {
namespace {

TEST(DrawColour, DefaultColourIsTheButtonFace) {
  EXPECT_EQ(ResolveColour(kDefaultColour), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ResolveColour(0x00123456), 0x00123456u);
  EXPECT_EQ(ResolveColour(0), 0u);
}

TEST(DrawColour, GradientStopsSkipDefaultColoursInOrder) {
  GradientStops s = PickGradientStops(kDefaultColour, 0x008000, 0x00FF00);
  ASSERT_EQ(s.count, 2);
  EXPECT_EQ(s.colour[0], 0x008000u);
  EXPECT_EQ(s.colour[1], 0x00FF00u);
  EXPECT_EQ(PickGradientStops(kDefaultColour, 0x123456, kDefaultColour).count, 1);
  EXPECT_EQ(PickGradientStops(1, 2, 3).count, 3);
}

TEST(DrawColour, GradientFrameRunsFromOuterToInnerEdge) {
  Canvas c(60, 40, RGB(255, 255, 255));
  const COLORREF dark = RGB(0, 128, 0), light = RGB(0, 255, 0);
  RECT inner =
      DrawGradientFrame(c.dc(), {0, 0, 60, 40}, 8, PickGradientStops(kDefaultColour, dark, light));
  const RECT expected = {8, 8, 52, 32};
  EXPECT_TRUE(EqualRect(&inner, &expected)) << "text area is inset by the frame width";
  for (POINT outer : {POINT{0, 20}, POINT{59, 20}, POINT{30, 0}, POINT{30, 39}, POINT{0, 0}}) {
    EXPECT_EQ(c.At(outer.x, outer.y), dark) << "outer edge at " << outer.x << "," << outer.y;
  }
  for (POINT in : {POINT{7, 20}, POINT{52, 20}, POINT{30, 7}, POINT{30, 32}, POINT{7, 7}}) {
    EXPECT_EQ(c.At(in.x, in.y), light) << "inner edge at " << in.x << "," << in.y;
  }
  EXPECT_TRUE(Near(c.At(3, 20), RGB(0, 182, 0), 2)) << "between the two colours";
  EXPECT_EQ(c.At(8, 20), RGB(255, 255, 255)) << "the inside is left to the label";
  EXPECT_EQ(c.At(30, 20), RGB(255, 255, 255));
}

TEST(DrawColour, ThreeStopGradientPeaksInTheMiddle) {
  Canvas c(40, 40, RGB(0, 0, 0));
  DrawGradientFrame(c.dc(), {0, 0, 40, 40}, 9, PickGradientStops(0x808080, 0xFFFFFF, 0x808080));
  EXPECT_EQ(c.At(0, 20), RGB(128, 128, 128));
  EXPECT_EQ(c.At(4, 20), RGB(255, 255, 255)) << "middle ring of nine";
  EXPECT_EQ(c.At(8, 20), RGB(128, 128, 128));
}

TEST(DrawColour, FewerThanTwoColoursDrawNoFrame) {
  Canvas c(30, 30, RGB(255, 255, 255));
  RECT area = {0, 0, 30, 30};
  RECT inner = DrawGradientFrame(c.dc(), area, 8,
                                 PickGradientStops(kDefaultColour, kDefaultColour, 0x0000FF));
  EXPECT_TRUE(EqualRect(&inner, &area)) << "no frame, no inset";
  EXPECT_EQ(c.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(c.At(4, 15), RGB(255, 255, 255));
}

// Scaling quality, measured on patterns whose correct result is known: a picture shrunk for a
// picture box must keep the brightness of fine patterns instead of sampling stripes out of them.
std::vector<uint32_t> Scale(const std::vector<uint32_t>& src, int sw, int sh, int dw, int dh) {
  std::vector<uint32_t> dst(size_t(dw) * dh);
  ResamplePixels(src.data(), sw, sh, dst.data(), dw, dh);
  return dst;
}

uint32_t Grey(int v) {
  return 0xFF000000u | v << 16 | v << 8 | v;
}

TEST(DrawResample, ShrinkingAveragesTheCoveredArea) {
  // 1-pixel checkerboard shrunk by 3: each target pixel is the mean of a 3 x 3 block, four or
  // five white pixels of nine.
  const int sw = 120, sh = 90;
  std::vector<uint32_t> src(sw * sh);
  for (int y = 0; y < sh; ++y) {
    for (int x = 0; x < sw; ++x) src[y * sw + x] = Grey((x + y) % 2 ? 255 : 0);
  }
  std::vector<uint32_t> dst = Scale(src, sw, sh, 40, 30);
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 40; ++x) {
      int whites = (3 * x + 3 * y) % 2 ? 5 : 4;
      ASSERT_TRUE(NearPixel(dst[y * 40 + x], Grey(whites * 255 / 9), 1)) << x << "," << y;
    }
  }
}

TEST(DrawResample, ShrinkingByAFractionKeepsBrightness) {
  // Stripes shrunk from 100 to 40 columns: sampling gives black and white columns, an area
  // average gives greys of 0.4 and 0.6 white and keeps the mean.
  std::vector<uint32_t> src(100 * 2);
  for (int i = 0; i < 200; ++i) src[i] = Grey(i % 2 ? 255 : 0);
  std::vector<uint32_t> dst = Scale(src, 100, 2, 40, 2);
  double sum = 0;
  for (int x = 0; x < 40; ++x) {
    int v = dst[x] & 0xFF;
    EXPECT_GE(v, 100) << "column " << x;
    EXPECT_LE(v, 155) << "column " << x;
    sum += v;
  }
  EXPECT_NEAR(sum / 40, 127.5, 1.5) << "mean brightness";
}

TEST(DrawResample, EnlargingInterpolatesAndKeepsFlatColoursExact) {
  std::vector<uint32_t> ramp = {Grey(0), Grey(200)};
  std::vector<uint32_t> dst = Scale(ramp, 2, 1, 8, 1);
  EXPECT_EQ(dst[0] & 0xFF, 0u);
  EXPECT_EQ(dst[7] & 0xFF, 200u);
  for (int x = 1; x < 8; ++x)
    EXPECT_GE(dst[x] & 0xFF, dst[x - 1] & 0xFF) << "smooth, no steps back";
  EXPECT_GT(dst[3] & 0xFF, 0u);
  EXPECT_LT(dst[4] & 0xFF, 200u) << "interpolated, not repeated";

  std::vector<uint32_t> flat(7 * 5, 0xFF3366CCu);
  for (uint32_t p : Scale(flat, 7, 5, 23, 3)) ASSERT_EQ(p, 0xFF3366CCu) << "flat stays flat";
}

TEST(DrawResample, PremultipliedColourNeverExceedsAlpha) {
  std::vector<uint32_t> src = {0x80808080u, 0u, 0xFFFFFFFFu, 0x01010101u, 0x40404040u, 0u};
  for (uint32_t p : Scale(src, 3, 2, 7, 5)) {
    uint32_t a = p >> 24;
    ASSERT_LE(p & 0xFF, a);
    ASSERT_LE((p >> 8) & 0xFF, a);
    ASSERT_LE((p >> 16) & 0xFF, a);
  }
}

TEST(DrawGbk, TextIsDrawnAsUnicode) {
  const char text[] = "岚川软件";  // GBK bytes at run time
  Canvas c(120, 40, RGB(255, 255, 255));
  RECT measured = {0, 0, 0, 0}, wide = {0, 0, 0, 0};
  DrawGbkText(c.dc(), text, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(c.dc(), L"\u5C9A\u5DDD\u8F6F\u4EF6", -1, &wide, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_GT(measured.right, 0);
  EXPECT_EQ(measured.right, wide.right) << "the same text as its UTF-16 form";

  RECT r = {0, 0, 120, 40};
  SetTextColor(c.dc(), RGB(0, 0, 0));
  EXPECT_GT(DrawGbkText(c.dc(), text, -1, &r, DT_SINGLELINE), 0);
  int dark = 0;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 120; ++x) dark += c.At(x, y) != RGB(255, 255, 255);
  }
  EXPECT_GT(dark, 20) << "glyphs were drawn";
}

}  // namespace
}  // namespace rc::draw::test
