// The drawing helpers every kind of window uses.
#include "skin/library/library.h"

namespace skinlib {

using namespace skin;

COLORREF Mix(COLORREF a, COLORREF b, int t) {
  if (t < 0) t = 0;
  if (t > 256) t = 256;
  const int r = GetRValue(a) + ((GetRValue(b) - GetRValue(a)) * t) / 256;
  const int g = GetGValue(a) + ((GetGValue(b) - GetGValue(a)) * t) / 256;
  const int bl = GetBValue(a) + ((GetBValue(b) - GetBValue(a)) * t) / 256;
  return RGB(r, g, bl);
}

int Lightness(COLORREF c) {
  return (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) >> 8;
}

Buffer::Buffer(HDC target, const RECT& area)
    : target_(target),
      dc_(nullptr),
      bitmap_(nullptr),
      old_(nullptr),
      x_(area.left),
      y_(area.top),
      width_(Width(area)),
      height_(Height(area)) {
  if (width_ <= 0 || height_ <= 0) return;
  dc_ = CreateCompatibleDC(target);
  if (!dc_) return;
  bitmap_ = CreateCompatibleBitmap(target, width_, height_);
  if (bitmap_) old_ = SelectObject(dc_, bitmap_);
}

namespace {

RECT ClientRect(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r;
}

}  // namespace

Buffer::Buffer(HDC target, HWND client) : Buffer(target, ClientRect(client)) {}

Buffer::~Buffer() {
  if (dc_) {
    if (old_) SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  if (bitmap_) DeleteObject(bitmap_);
}

void Buffer::Show() {
  if (ok()) BitBlt(target_, x_, y_, width_, height_, dc_, 0, 0, SRCCOPY);
}

void Fill(HDC dc, const RECT& r, COLORREF c) {
  SetDCBrushColor(dc, c);
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Body(HDC dc, const RECT& r, int style, COLORREF top, COLORREF bottom) {
  const int h = Height(r);
  if (style == 0 || h <= 1) {
    Fill(dc, r, top);
    return;
  }
  if (style == 1) {
    for (int y = 0; y < h; ++y) {
      RECT row = {r.left, r.top + y, r.right, r.top + y + 1};
      Fill(dc, row, Mix(top, bottom, y * 256 / (h - 1)));
    }
    return;
  }
  // Glass: a light upper half fading into the top colour, then the gradient below.
  const int half = h * 9 / 20;
  const COLORREF shine = Mix(top, kWhite, 120);
  const COLORREF under = Mix(top, kWhite, 40);
  for (int y = 0; y < h; ++y) {
    RECT row = {r.left, r.top + y, r.right, r.top + y + 1};
    COLORREF c = y < half ? Mix(shine, under, half > 1 ? y * 256 / (half - 1) : 0)
                          : Mix(top, bottom, (y - half) * 256 / (h - half > 1 ? h - half - 1 : 1));
    Fill(dc, row, c);
  }
}

void Outline(HDC dc, const RECT& r, int radius, COLORREF c) {
  Selected brush(dc, GetStockObject(NULL_BRUSH));
  Selected pen(dc, GetStockObject(DC_PEN));
  SetDCPenColor(dc, c);
  if (radius > 0) {
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 2 * radius, 2 * radius);
  } else {
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
  }
}

void Outline(HDC dc, RECT r, int radius, COLORREF c, int width) {
  for (int i = 0; i < width; ++i) {
    Outline(dc, r, radius, c);
    r = Inset(r, 1);
    if (radius > 0) --radius;
  }
}

bool DrawPicture(HDC dc, const RECT& r, SkinPictureSlot slot) {
  const Picture& p = g_skin.picture[slot];
  if (p.height == 0 || Width(r) <= 0 || Height(r) <= 0) return false;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = p.width;
  bi.bmiHeader.biHeight = -p.height;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, COLORONCOLOR);
  // Narrow pictures are gradients: stretched across. Wider ones are patterns: tiled.
  if (p.width <= 4) {
    StretchDIBits(dc, r.left, r.top, Width(r), Height(r), 0, 0, p.width, p.height, p.pixels, &bi,
                  DIB_RGB_COLORS, SRCCOPY);
    return true;
  }
  for (int x = r.left; x < r.right; x += p.width) {
    const int w = r.right - x < p.width ? r.right - x : p.width;
    StretchDIBits(dc, x, r.top, w, Height(r), 0, 0, w, p.height, p.pixels, &bi, DIB_RGB_COLORS,
                  SRCCOPY);
  }
  return true;
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// A solid triangle pointing up (0), down (1), left (2) or right (3), centred in r.
void Arrow(HDC dc, const RECT& r, int direction, COLORREF c, const Scale& sc) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int s = (Width(r) < Height(r) ? Width(r) : Height(r)) / 4;
  if (s < sc(2)) s = sc(2);
  const int tip = sc(1);  // the point reaches a pixel beyond the base's half height
  POINT p[3];
  switch (direction) {
    case 0:
      p[0] = {cx - s, cy + s / 2};
      p[1] = {cx + s, cy + s / 2};
      p[2] = {cx, cy - s / 2 - tip};
      break;
    case 1:
      p[0] = {cx - s, cy - s / 2};
      p[1] = {cx + s, cy - s / 2};
      p[2] = {cx, cy + s / 2 + tip};
      break;
    case 2:
      p[0] = {cx + s / 2, cy - s};
      p[1] = {cx + s / 2, cy + s};
      p[2] = {cx - s / 2 - tip, cy};
      break;
    default:
      p[0] = {cx - s / 2, cy - s};
      p[1] = {cx - s / 2, cy + s};
      p[2] = {cx + s / 2 + tip, cy};
      break;
  }
  Selected brush(dc, GetStockObject(DC_BRUSH));
  Selected pen(dc, GetStockObject(DC_PEN));
  SetDCBrushColor(dc, c);
  SetDCPenColor(dc, c);
  Polygon(dc, p, 3);
}

// A filled shape: 0 rectangle, else rounded with that radius.
void FillRounded(HDC dc, const RECT& r, int radius, COLORREF c) {
  if (radius <= 0) {
    Fill(dc, r, c);
    return;
  }
  Selected brush(dc, GetStockObject(DC_BRUSH));
  Selected pen(dc, GetStockObject(DC_PEN));
  SetDCBrushColor(dc, c);
  SetDCPenColor(dc, c);
  RoundRect(dc, r.left, r.top, r.right, r.bottom, 2 * radius, 2 * radius);
}

// Paints a body inside a rounded outline: clipped to the rounded shape.
void RoundedBody(HDC dc, const RECT& r, int radius, int style, COLORREF top, COLORREF bottom,
                 int picture_slot) {
  Owned clip(radius > 0 ? CreateRoundRectRgn(r.left, r.top, r.right + 1, r.bottom + 1, 2 * radius,
                                             2 * radius)
                        : CreateRectRgnIndirect(&r));
  const int saved = SaveDC(dc);
  if (clip.get()) ExtSelectClipRgn(dc, static_cast<HRGN>(clip.get()), RGN_AND);
  if (picture_slot < 0 || !DrawPicture(dc, r, SkinPictureSlot(picture_slot))) {
    Body(dc, r, style, top, bottom);
  }
  RestoreDC(dc, saved);
}

}  // namespace skinlib
