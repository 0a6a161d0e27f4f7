#include "runtime/draw/colour.h"

#include <algorithm>
#include <cmath>

#include "runtime/draw/bitmap.h"

namespace rc::draw {

COLORREF ResolveColour(uint32_t stored) {
  if (stored == kDefaultColour) return GetSysColor(COLOR_BTNFACE);
  return stored & 0x00FFFFFF;
}

GradientStops PickGradientStops(uint32_t c1, uint32_t c2, uint32_t c3) {
  GradientStops s;
  for (uint32_t c : {c1, c2, c3}) {
    if (c != kDefaultColour) s.colour[s.count++] = c & 0x00FFFFFF;
  }
  return s;
}

COLORREF GradientAt(const GradientStops& stops, double t) {
  if (stops.count <= 0) return 0;
  if (stops.count == 1) return stops.colour[0];
  t = std::clamp(t, 0.0, 1.0) * (stops.count - 1);
  int i = std::min(static_cast<int>(t), stops.count - 2);
  double f = t - i;
  COLORREF a = stops.colour[i], b = stops.colour[i + 1];
  auto mix = [f](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * f)); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

namespace {

void Fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  if (left >= right || top >= bottom) return;
  // ExtTextOut with an opaque rectangle fills without creating a brush per ring.
  RECT r = {left, top, right, bottom};
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

}  // namespace

RECT DrawGradientFrame(HDC dc, const RECT& rect, int width, const GradientStops& stops) {
  if (stops.count < 2 || width <= 0) return rect;
  COLORREF old = GetBkColor(dc);
  RECT r = rect;
  for (int i = 0; i < width && r.left < r.right && r.top < r.bottom; ++i) {
    // The outermost and innermost rings carry the end colours exactly.
    COLORREF c = GradientAt(stops, width > 1 ? double(i) / (width - 1) : 0.0);
    // One ring of one pixel: top and bottom rows, then the two side columns between them.
    Fill(dc, r.left, r.top, r.right, r.top + 1, c);
    Fill(dc, r.left, r.bottom - 1, r.right, r.bottom, c);
    Fill(dc, r.left, r.top + 1, r.left + 1, r.bottom - 1, c);
    Fill(dc, r.right - 1, r.top + 1, r.right, r.bottom - 1, c);
    InflateRect(&r, -1, -1);
  }
  SetBkColor(dc, old);
  RECT inner = rect;
  InflateRect(&inner, -width, -width);
  if (inner.right < inner.left) inner.right = inner.left;
  if (inner.bottom < inner.top) inner.bottom = inner.top;
  return inner;
}

double GradientPosition(int mode, double fx, double fy) {
  switch (mode) {
    case 1:
      return fx;
    case 2:
      return fy;
    case 3:
      return 1 - std::fabs(2 * fx - 1);
    case 4:
      return 1 - std::fabs(2 * fy - 1);
    case 5:
      return (fx + fy) / 2;
    case 6:
      return (1 - fx + fy) / 2;
    case 7:
      return 1 - std::max(std::fabs(2 * fx - 1), std::fabs(2 * fy - 1));
    default: {
      const double dx = 2 * fx - 1, dy = 2 * fy - 1;
      return std::min(1.0, std::sqrt((dx * dx + dy * dy) / 2));
    }
  }
}

void FillGradient(HDC dc, const RECT& area, int mode, const GradientStops& stops) {
  const int w = area.right - area.left, h = area.bottom - area.top;
  if (mode <= 0 || stops.count == 0 || w <= 0 || h <= 0) return;
  Bitmap pixels = Bitmap::Create(w, h);
  if (pixels.empty()) return;
  for (int y = 0; y < h; ++y) {
    uint32_t* row = pixels.row(y);
    for (int x = 0; x < w; ++x) {
      COLORREF c = GradientAt(stops, GradientPosition(mode, (x + 0.5) / w, (y + 0.5) / h));
      row[x] = 0xFF000000u | (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) |
               GetBValue(c);
    }
  }
  MemoryDc source(dc, pixels.handle());
  if (source) BitBlt(dc, area.left, area.top, w, h, source.get(), 0, 0, SRCCOPY);
}

}  // namespace rc::draw
