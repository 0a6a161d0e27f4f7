// Legibility maths of the skin library: WCAG's ratios, and the nearest colour of the same hue
// that reaches one, which never touches a colour that reaches it already.
#include <gtest/gtest.h>

#include "skin/contrast.h"

namespace {

using namespace skin;

TEST(SkinContrast, RatiosAreWcags) {
  const struct {
    Rgb a, b;
    int hundredths;
  } cases[] = {
      {{0, 0, 0}, {255, 255, 255}, 2100},       // the most there is
      {{255, 255, 255}, {0, 0, 0}, 2100},       // either way round
      {{119, 119, 119}, {255, 255, 255}, 447},  // the grey just short of 4.5
      {{0, 0, 255}, {43, 45, 49}, 160},         // pure blue on a dark face
      {{0, 0, 128}, {238, 243, 249}, 1435},    {{10, 20, 30}, {10, 20, 30}, 100},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ContrastRatio(c.a, c.b), c.hundredths)
        << int(c.a.r) << "," << int(c.a.g) << "," << int(c.a.b) << " on " << int(c.b.r) << ","
        << int(c.b.g) << "," << int(c.b.b);
  }
}

TEST(SkinContrast, TheNearestColourOfTheSameHueThatReachesTheRatio) {
  const struct {
    const char* what;
    Rgb text, back;
    int ratio;
    bool lighter;  // which way it must go when it moves
  } cases[] = {
      {"blue on graphite", {0, 0, 255}, {43, 45, 49}, kLargeTextRatio, true},
      {"dark red on a dark face", {128, 0, 0}, {28, 35, 51}, kTextRatio, true},
      {"navy on black", {0, 0, 128}, {0, 0, 0}, kTextRatio, true},
      {"green on a dark face", {0, 128, 0}, {44, 62, 53}, kLargeTextRatio, true},
      {"yellow on white", {255, 255, 0}, {255, 255, 255}, kTextRatio, false},
      {"pale grey on a light face", {200, 200, 200}, {238, 243, 249}, kTextRatio, false},
      {"black on black", {0, 0, 0}, {0, 0, 0}, kTextRatio, true},
      {"navy on a light face", {0, 0, 128}, {238, 243, 249}, kTextRatio, false},
  };
  for (const auto& c : cases) {
    const Rgb got = ReadableOn(c.text, c.back, c.ratio);
    EXPECT_GE(ContrastRatio(got, c.back), c.ratio) << c.what << ": the ratio is reached";
    if (ContrastRatio(c.text, c.back) >= c.ratio) {
      EXPECT_EQ(got, c.text) << c.what << ": a colour that reaches it is kept";
      continue;
    }
    const Rgb end = c.lighter ? Rgb{255, 255, 255} : Rgb{0, 0, 0};
    // The same hue: the colour lies on the way from the text's colour to white or black.
    int share = -1;
    for (int t = 0; t <= 256 && share < 0; ++t) {
      if (MixRgb(c.text, end, t) == got) share = t;
    }
    ASSERT_GE(share, 1) << c.what << ": mixed with " << (c.lighter ? "white" : "black");
    EXPECT_LT(ContrastRatio(MixRgb(c.text, end, share - 1), c.back), c.ratio + 1)
        << c.what << ": and no further than needed";
  }
}

}  // namespace
