// Legibility of a colour on another: WCAG's relative luminance and contrast ratio, and the
// nearest colour of the same hue that reaches a ratio. Shared by the skin library, which has
// no C runtime, and the host tests: integers only, no allocation.
#pragma once

#include <cstdint>

namespace skin {

struct Rgb {
  uint8_t r, g, b;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Ratios in hundredths: 450 is 4.5 : 1.
constexpr int kTextRatio = 450;
constexpr int kLargeTextRatio = 300;  // text of 18 points and more, and graphics

// 0 (black) to 1,000,000 (white).
uint32_t Luminance(Rgb c);
// From 100 (the same luminance) to 2100 (black on white), rounded down.
int ContrastRatio(Rgb a, Rgb b);
// a with a share t/256 of b, as the skin library mixes colours.
Rgb MixRgb(Rgb a, Rgb b, int t);
// `text` when it reaches `ratio` on `back`; otherwise the colour of the same hue nearest to
// it that does: mixed with white on dark backgrounds, with black on light ones (the other way
// round only when that way cannot reach the ratio).
Rgb ReadableOn(Rgb text, Rgb back, int ratio);

}  // namespace skin
