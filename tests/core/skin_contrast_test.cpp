// Legibility maths of the skin library: the nearest colour of the same hue that reaches a
// contrast ratio, which never touches a colour that reaches it already. (The ratios themselves
// are measured on the program's screenshots by the e2e skin contrast scenario.)
#include <gtest/gtest.h>

#include "skin/contrast.h"

namespace {

using namespace skin;

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
