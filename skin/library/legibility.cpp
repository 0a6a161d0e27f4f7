// Legibility: colours that stand out from what they are drawn on (skin/contrast.h).
#include "skin/library/library.h"

namespace skinlib {

using namespace skin;

namespace {

Rgb ToRgb(COLORREF c) {
  return {GetRValue(c), GetGValue(c), GetBValue(c)};
}

}  // namespace

COLORREF Readable(COLORREF c, COLORREF back, bool large) {
  const Rgb r = ReadableOn(ToRgb(c), ToRgb(back), large ? kLargeTextRatio : kTextRatio);
  return RGB(r.r, r.g, r.b);
}

COLORREF ReadableOnPixels(HDC dc, const RECT& area, COLORREF c, bool large, bool body) {
  RECT clip, r;
  if (GetClipBox(dc, &clip) == ERROR || !IntersectRect(&r, &area, &clip)) return c;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return c;
  // A body: a column down the middle, and its darkest colour (a glass body's highlight is
  // left to the skin). Otherwise a grid across the rectangle, and the colour most of it shows: a
  // label's rectangle may reach over its neighbours.
  constexpr int kSteps = 6;
  COLORREF seen[(kSteps + 1) * (kSteps + 1)];
  int times[(kSteps + 1) * (kSteps + 1)];
  int kinds = 0;
  for (int i = 0; i <= kSteps; ++i) {
    for (int j = 0; j <= kSteps; ++j) {
      if (body && i != kSteps / 2) continue;
      const COLORREF p = GetPixel(dc, r.left + (w - 1) * i / kSteps, r.top + (h - 1) * j / kSteps);
      if (p == CLR_INVALID) continue;
      int k = 0;
      while (k < kinds && seen[k] != p) ++k;
      if (k == kinds) {
        seen[kinds] = p;
        times[kinds++] = 0;
      }
      ++times[k];
    }
  }
  if (kinds == 0) return c;
  int pick = 0;
  for (int k = 1; k < kinds; ++k) {
    const bool darker = Luminance(ToRgb(seen[k])) < Luminance(ToRgb(seen[pick]));
    if (body ? darker : times[k] > times[pick]) pick = k;
  }
  return Readable(c, seen[pick], large);
}

bool LargeFont(HDC dc) {
  TEXTMETRICW tm;
  if (!GetTextMetricsW(dc, &tm)) return false;
  // Points from the em height at the DC's resolution.
  const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
  const int em = tm.tmHeight - tm.tmInternalLeading;
  return (dpi > 0 ? em * 72 / dpi : em) >= 18;
}

}  // namespace skinlib
