// Painting of every kind of window the skin dresses, from the skin in force.
#include "skin/library/library.h"

#include <commctrl.h>

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

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

int Width(const RECT& r) {
  return r.right - r.left;
}
int Height(const RECT& r) {
  return r.bottom - r.top;
}
RECT Inset(RECT r, int d) {
  InflateRect(&r, -d, -d);
  return r;
}

HFONT FontOf(HWND hwnd) {
  HFONT f = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

// A window's text in a fixed buffer: the controls here carry short captions.
struct Text {
  wchar_t s[256];
  int n;
  explicit Text(HWND hwnd) { n = GetWindowTextW(hwnd, s, 256); }
};

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

// A solid triangle pointing up (0), down (1), left (2) or right (3), centred in r.
void Arrow(HDC dc, const RECT& r, int direction, COLORREF c) {
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  int s = (Width(r) < Height(r) ? Width(r) : Height(r)) / 4;
  if (s < 2) s = 2;
  POINT p[3];
  switch (direction) {
    case 0:
      p[0] = {cx - s, cy + s / 2};
      p[1] = {cx + s, cy + s / 2};
      p[2] = {cx, cy - s / 2 - 1};
      break;
    case 1:
      p[0] = {cx - s, cy - s / 2};
      p[1] = {cx + s, cy - s / 2};
      p[2] = {cx, cy + s / 2 + 1};
      break;
    case 2:
      p[0] = {cx + s / 2, cy - s};
      p[1] = {cx + s / 2, cy + s};
      p[2] = {cx - s / 2 - 1, cy};
      break;
    default:
      p[0] = {cx - s / 2, cy - s};
      p[1] = {cx - s / 2, cy + s};
      p[2] = {cx + s / 2 + 1, cy};
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

void DrawFocus(HDC dc, const RECT& r, int radius) {
  if (Metric(kFocusStyle) == 1) {
    Outline(dc, r, radius, Colour(kAccent));
    Outline(dc, Inset(r, 1), radius > 1 ? radius - 1 : 0, Colour(kAccent));
  } else {
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kWhite);
    DrawFocusRect(dc, &r);
  }
}

}  // namespace

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

// ---------------------------------------------------------------- frames

namespace {

struct Caption {
  int width, height;  // the window
  RECT client;        // in window coordinates
  RECT bar;           // the title bar band, empty when the window has none
  int edge;           // frame thickness at the sides
  int count;
  RECT button[3];
  int part[3];
};

void LayoutCaption(HWND hwnd, Caption* c) {
  RECT w;
  GetWindowRect(hwnd, &w);
  c->width = Width(w);
  c->height = Height(w);
  GetClientRect(hwnd, &c->client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&c->client), 2);
  OffsetRect(&c->client, -w.left, -w.top);
  c->edge = c->client.left;
  c->count = 0;
  SetRectEmpty(&c->bar);
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  if ((style & WS_CAPTION) != WS_CAPTION) return;
  const int inner = c->client.top - c->edge;  // title bar height below the top frame
  if (inner < 8) return;
  c->bar = {0, 0, c->width, c->client.top};
  int bh = inner - 6;
  if (bh < 10) bh = inner - 2;
  const int bw = Metric(kCaptionButtons) == 2 ? bh : bh * 3 / 2;
  int x = c->width - c->edge - 3;
  const int y = c->edge + (inner - bh) / 2;
  auto add = [&](int part) {
    x -= bw;
    c->button[c->count] = {x, y, x + bw, y + bh};
    c->part[c->count++] = part;
    x -= 3;
  };
  if (style & WS_SYSMENU) {
    add(HTCLOSE);
    if (style & WS_MAXIMIZEBOX) add(HTMAXBUTTON);
    if (style & WS_MINIMIZEBOX) add(HTMINBUTTON);
  }
}

void CaptionGlyph(HDC dc, const RECT& r, int part, bool zoomed, COLORREF c) {
  const int size = Width(r) < Height(r) ? Width(r) : Height(r);
  int s = size / 5;
  if (s < 3) s = 3;
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  Owned pen(CreatePen(PS_SOLID, size >= 16 ? 2 : 1, c));
  Selected use(dc, pen.get());
  Selected brush(dc, GetStockObject(NULL_BRUSH));
  switch (part) {
    case HTCLOSE:
      Line(dc, cx - s, cy - s, cx + s, cy + s);
      Line(dc, cx + s, cy - s, cx - s, cy + s);
      break;
    case HTMINBUTTON:
      Line(dc, cx - s, cy + s / 2 + 1, cx + s, cy + s / 2 + 1);
      break;
    default:
      if (zoomed) {
        Rectangle(dc, cx - s, cy - s + 3, cx + s - 2, cy + s + 1);
        Line(dc, cx - s + 3, cy - s, cx + s + 1, cy - s);
        Line(dc, cx + s + 1, cy - s, cx + s + 1, cy + s - 2);
      } else {
        Rectangle(dc, cx - s, cy - s, cx + s + 1, cy + s + 1);
      }
      break;
  }
}

void CaptionButton(HDC dc, const RECT& r, int part, int state, bool active, bool zoomed) {
  const COLORREF top = Colour(active ? kCaptionTop : kInactiveCaptionTop);
  const COLORREF bottom = Colour(active ? kCaptionBottom : kInactiveCaptionBottom);
  const COLORREF mid = Mix(top, bottom, 128);
  COLORREF fg = Colour(active ? kCaptionText : kInactiveCaptionText);
  const int shape = Metric(kCaptionButtons);
  bool back = true;
  COLORREF bg = Mix(mid, fg, 36);
  if (state == 2) {
    bg = part == HTCLOSE ? Mix(Colour(kCloseHover), kBlack, 60) : Mix(mid, fg, 100);
  } else if (state == 1) {
    bg = part == HTCLOSE ? Colour(kCloseHover) : Mix(mid, fg, 64);
  } else if (shape == 0) {
    back = false;
  }
  if (part == HTCLOSE && state != 0) fg = kWhite;
  if (back) {
    if (shape == 2) {
      Selected brush(dc, GetStockObject(DC_BRUSH));
      Selected pen(dc, GetStockObject(DC_PEN));
      SetDCBrushColor(dc, bg);
      SetDCPenColor(dc, bg);
      Ellipse(dc, r.left, r.top, r.right, r.bottom);
    } else {
      FillRounded(dc, r, shape == 1 ? 4 : 0, bg);
    }
  }
  CaptionGlyph(dc, r, part, zoomed, fg);
}

void CaptionBand(HDC dc, const RECT& r, bool active) {
  const COLORREF top = Colour(active ? kCaptionTop : kInactiveCaptionTop);
  const COLORREF bottom = Colour(active ? kCaptionBottom : kInactiveCaptionBottom);
  if (DrawPicture(dc, r, active ? kPictureCaption : kPictureInactiveCaption)) return;
  Body(dc, r, Metric(kCaptionStyle), top, bottom);
}

}  // namespace

void PaintFrame(HWND hwnd, bool active, int hover, int pressed) {
  Caption c;
  LayoutCaption(hwnd, &c);
  WindowDc wdc(hwnd, true);
  HDC dc = wdc.get();
  if (!dc) return;
  const RECT& cl = c.client;
  ExcludeClipRect(dc, cl.left, cl.top, cl.right, cl.bottom);
  const COLORREF frame = Colour(active ? kFrame : kInactiveCaptionBottom);
  const int top = IsRectEmpty(&c.bar) ? 0 : c.bar.bottom;
  const RECT strips[4] = {{0, 0, c.width, top > 0 ? 0 : cl.top},
                          {0, top, cl.left, c.height},
                          {cl.right, top, c.width, c.height},
                          {0, cl.bottom, c.width, c.height}};
  for (const RECT& s : strips) {
    if (!IsRectEmpty(&s)) Fill(dc, s, frame);
  }
  if (top > 0) {
    Buffer b(dc, c.bar);
    HDC bdc = b.ok() ? b.dc() : dc;
    const RECT band = b.ok() ? b.rect() : c.bar;
    CaptionBand(bdc, band, active);

    const COLORREF text_colour = Colour(active ? kCaptionText : kInactiveCaptionText);
    Text title(hwnd);
    const int right_end = c.count > 0 ? c.button[c.count - 1].left - 6 : c.width - c.edge - 6;
    RECT tr = {c.edge + 8, c.edge, right_end, cl.top};
    HFONT font = g_skin.caption_font ? g_skin.caption_font
                                     : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    Selected f(bdc, font);
    SetBkMode(bdc, TRANSPARENT);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
    if (Metric(kCaptionAlign) == 1) {
      RECT m = tr;
      DrawTextW(bdc, title.s, title.n, &m, format | DT_CALCRECT);
      int left = (c.width - Width(m)) / 2;
      if (left > tr.left) tr.left = left;
    }
    if (Lightness(text_colour) > 140) {
      RECT sh = tr;
      OffsetRect(&sh, 1, 1);
      SetTextColor(bdc, Mix(Colour(active ? kCaptionBottom : kInactiveCaptionBottom), kBlack, 90));
      DrawTextW(bdc, title.s, title.n, &sh, format);
    }
    SetTextColor(bdc, text_colour);
    DrawTextW(bdc, title.s, title.n, &tr, format);

    const bool zoomed = IsZoomed(hwnd) != FALSE;
    for (int i = 0; i < c.count; ++i) {
      const int state = pressed == c.part[i] ? 2 : hover == c.part[i] ? 1 : 0;
      CaptionButton(bdc, c.button[i], c.part[i], state, active, zoomed);
    }
    b.Show();
  }
  // The outer line that sets the window off from what lies behind it.
  const COLORREF line = Mix(frame, kBlack, 100);
  RECT edge = {0, 0, c.width, c.height};
  for (int i = 0; i < Metric(kFrameLine); ++i) {
    Outline(dc, edge, 0, line);
    edge = Inset(edge, 1);
  }
}

int CaptionButtonAt(HWND hwnd, POINT screen) {
  Caption c;
  LayoutCaption(hwnd, &c);
  RECT w;
  GetWindowRect(hwnd, &w);
  POINT p = {screen.x - w.left, screen.y - w.top};
  for (int i = 0; i < c.count; ++i) {
    if (PtInRect(&c.button[i], p)) return c.part[i];
  }
  return 0;
}

// ---------------------------------------------------------------- buttons

ButtonLook LookOf(HWND hwnd) {
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  const DWORD type = style & BS_TYPEMASK;
  switch (type) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return kLookPush;
    case BS_GROUPBOX:
      return kLookGroup;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
    case BS_3STATE:
    case BS_AUTO3STATE:
      // Picture and push-like boxes keep the control's own drawing.
      if (style & (BS_PUSHLIKE | BS_BITMAP | BS_ICON)) return kLookNone;
      return kLookCheck;
    default:
      return kLookNone;
  }
}

namespace {

void ButtonContent(HWND hwnd, HDC dc, RECT r, COLORREF text_colour) {
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  if (style & BS_BITMAP) {
    HBITMAP bmp = reinterpret_cast<HBITMAP>(SendMessageW(hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP bm;
    if (bmp && GetObjectW(bmp, sizeof bm, &bm)) {
      HDC mem = CreateCompatibleDC(dc);
      if (mem) {
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(dc, (r.left + r.right - bm.bmWidth) / 2, (r.top + r.bottom - bm.bmHeight) / 2,
               bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
      }
    }
    return;
  }
  if (style & BS_ICON) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(hwnd, BM_GETIMAGE, IMAGE_ICON, 0));
    if (icon) {
      const int s = GetSystemMetrics(SM_CXICON);
      DrawIconEx(dc, (r.left + r.right - s) / 2, (r.top + r.bottom - s) / 2, icon, s, s, 0, nullptr,
                 DI_NORMAL);
    }
    return;
  }
  Text text(hwnd);
  Selected font(dc, FontOf(hwnd));
  SetBkMode(dc, TRANSPARENT);
  // Disabled captions are meant to recede.
  if (IsWindowEnabled(hwnd))
    text_colour = ReadableOnPixels(dc, r, text_colour, LargeFont(dc), true);
  SetTextColor(dc, text_colour);
  UINT format = DT_CENTER;
  if ((style & BS_CENTER) == BS_LEFT) format = DT_LEFT;
  if ((style & BS_CENTER) == BS_RIGHT) format = DT_RIGHT;
  if (style & BS_MULTILINE) {
    RECT m = r;
    DrawTextW(dc, text.s, text.n, &m, format | DT_WORDBREAK | DT_CALCRECT);
    const int space = Height(r) - Height(m);
    if (space > 0) r.top += space / 2;
    DrawTextW(dc, text.s, text.n, &r, format | DT_WORDBREAK);
  } else {
    const DWORD vertical = style & BS_VCENTER;
    format |= vertical == BS_TOP ? DT_TOP : vertical == BS_BOTTOM ? DT_BOTTOM : DT_VCENTER;
    DrawTextW(dc, text.s, text.n, &r, format | DT_SINGLELINE);
  }
}

void PaintPush(HWND hwnd, HDC dc, const RECT& r, bool hover) {
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  const bool pressed = (SendMessageW(hwnd, BM_GETSTATE, 0, 0) & BST_PUSHED) != 0;
  const bool disabled = !IsWindowEnabled(hwnd);
  const bool focused = GetFocus() == hwnd;
  const bool is_default = (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
  FillRect(dc, &r, ParentBrush(hwnd, dc, WM_CTLCOLORBTN));
  int radius = Metric(kButtonRadius);
  if (radius * 2 > Height(r)) radius = Height(r) / 2;
  COLORREF top = Colour(kButtonTop), bottom = Colour(kButtonBottom);
  int slot = kPictureButton;
  if (disabled) {
    top = Mix(top, Colour(kFace), 128);
    bottom = Mix(bottom, Colour(kFace), 128);
    slot = -1;
  } else if (pressed) {
    top = Colour(kButtonPressedTop);
    bottom = Colour(kButtonPressedBottom);
    slot = kPictureButtonPressed;
  } else if (hover) {
    top = Colour(kButtonHoverTop);
    bottom = Colour(kButtonHoverBottom);
    slot = kPictureButtonHover;
  }
  RoundedBody(dc, r, radius, Metric(kButtonStyle), top, bottom, slot);
  COLORREF border = Colour(kButtonBorder);
  if (disabled) border = Mix(border, Colour(kFace), 128);
  if (!disabled && (is_default || hover)) border = Mix(border, Colour(kAccent), 180);
  Outline(dc, r, radius, border);
  if (is_default && !disabled) Outline(dc, Inset(r, 1), radius > 1 ? radius - 1 : 0, border);
  if (focused && !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    DrawFocus(dc, Inset(r, 3), radius > 3 ? radius - 3 : 0);
  }
  RECT content = Inset(r, 4);
  if (pressed) OffsetRect(&content, 1, 1);
  ButtonContent(hwnd, dc, content, disabled ? Colour(kDisabledText) : Colour(kButtonText));
}

void PaintCheck(HWND hwnd, HDC dc, const RECT& r, bool hover) {
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  const DWORD type = style & BS_TYPEMASK;
  const bool radio = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
  const LRESULT state = SendMessageW(hwnd, BM_GETSTATE, 0, 0);
  const int check = int(state & 3);
  const bool pressed = (state & BST_PUSHED) != 0;
  const bool disabled = !IsWindowEnabled(hwnd);
  FillRect(dc, &r, ParentBrush(hwnd, dc, WM_CTLCOLORSTATIC));
  const COLORREF text_colour = disabled ? Colour(kDisabledText) : GetTextColor(dc);

  Selected font(dc, FontOf(hwnd));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  int box = tm.tmHeight - 2;
  if (box < 13) box = 13;
  if (box > Height(r)) box = Height(r);
  const bool left_text = (style & BS_LEFTTEXT) != 0;
  const int bx = left_text ? r.right - box : r.left;
  const int by = r.top + (Height(r) - box) / 2;
  RECT mark = {bx, by, bx + box, by + box};

  const COLORREF accent = Colour(kAccent);
  COLORREF border = hover || pressed ? accent : Colour(kButtonBorder);
  COLORREF inside = pressed ? Mix(Colour(kEditBack), accent, 50) : Colour(kEditBack);
  if (disabled) {
    border = Mix(Colour(kButtonBorder), Colour(kFace), 128);
    inside = Mix(Colour(kEditBack), Colour(kFace), 128);
  }
  const COLORREF on = disabled ? border : accent;
  Selected brush(dc, GetStockObject(DC_BRUSH));
  Selected pen(dc, GetStockObject(DC_PEN));
  if (radio) {
    SetDCBrushColor(dc, check ? on : inside);
    SetDCPenColor(dc, check ? on : border);
    Ellipse(dc, mark.left, mark.top, mark.right, mark.bottom);
    if (check) {
      RECT dot = Inset(mark, box / 4 + 1);
      const COLORREF c = disabled ? inside : Colour(kAccentText);
      SetDCBrushColor(dc, c);
      SetDCPenColor(dc, c);
      Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
    }
  } else {
    SetDCBrushColor(dc, check ? on : inside);
    SetDCPenColor(dc, check ? on : border);
    RoundRect(dc, mark.left, mark.top, mark.right, mark.bottom, 5, 5);
    if (check == BST_CHECKED) {
      Owned tick(CreatePen(PS_SOLID, box >= 15 ? 2 : 1, disabled ? inside : Colour(kAccentText)));
      Selected t(dc, tick.get());
      const POINT p[3] = {{mark.left + box / 4, mark.top + box / 2},
                          {mark.left + box * 5 / 12, mark.top + box * 3 / 4 - 1},
                          {mark.right - box / 4, mark.top + box / 4 + 1}};
      Polyline(dc, p, 3);
    } else if (check == BST_INDETERMINATE) {
      RECT bar = Inset(mark, box / 4 + 1);
      Fill(dc, bar, disabled ? inside : Colour(kAccentText));
    }
  }

  RECT tr = r;
  if (left_text) {
    tr.right = mark.left - 4;
  } else {
    tr.left = mark.right + 5;
  }
  Text text(hwnd);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_colour);
  UINT format = DT_LEFT | DT_VCENTER | DT_SINGLELINE;
  if (style & BS_MULTILINE) format = DT_LEFT | DT_WORDBREAK;
  RECT m = tr;
  DrawTextW(dc, text.s, text.n, &m, format | DT_CALCRECT);
  if (style & BS_MULTILINE) {
    const int space = Height(tr) - Height(m);
    if (space > 0) tr.top += space / 2;
  }
  DrawTextW(dc, text.s, text.n, &tr, format);
  if (GetFocus() == hwnd && text.n > 0 &&
      !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    RECT f = {tr.left - 2, r.top + (Height(r) - Height(m)) / 2 - 1, tr.left + Width(m) + 2, 0};
    f.bottom = f.top + Height(m) + 2;
    if (style & BS_MULTILINE)
      f = {tr.left - 2, tr.top - 1, tr.left + Width(m) + 2, tr.top + Height(m) + 1};
    DrawFocus(dc, f, 0);
  }
}

void PaintGroup(HWND hwnd, HDC dc, const RECT& r) {
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  HBRUSH back = ParentBrush(hwnd, dc, WM_CTLCOLORSTATIC);
  const COLORREF text_colour = IsWindowEnabled(hwnd) ? GetTextColor(dc) : Colour(kDisabledText);
  Selected font(dc, FontOf(hwnd));
  Text text(hwnd);
  RECT m = {0, 0, 0, 0};
  DrawTextW(dc, text.n ? text.s : L"M", text.n ? text.n : 1, &m,
            DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
  RECT frame = r;
  frame.top += Height(m) / 2;
  int radius = Metric(kButtonRadius);
  if (radius > 6) radius = 6;
  Outline(dc, frame, radius, Colour(kButtonBorder));
  if (text.n == 0) return;
  int left = r.left + 8 + radius;
  const int width = Width(m) + 8;
  if ((style & BS_CENTER) == BS_CENTER) {
    left = r.left + (Width(r) - width) / 2;
  } else if ((style & BS_CENTER) == BS_RIGHT) {
    left = r.right - 8 - radius - width;
  }
  RECT label = {left, r.top, left + width, r.top + Height(m)};
  if (label.right > r.right - 2) label.right = r.right - 2;
  FillRect(dc, &label, back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_colour);
  DrawTextW(dc, text.s, text.n, &label, DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
}

}  // namespace

void PaintButton(HWND hwnd, HDC dc, bool hover) {
  RECT r;
  GetClientRect(hwnd, &r);
  const ButtonLook look = LookOf(hwnd);
  if (look == kLookGroup) {
    PaintGroup(hwnd, dc, r);
    return;
  }
  Buffer b(dc, r);
  if (!b.ok()) return;
  if (look == kLookPush) PaintPush(hwnd, b.dc(), b.rect(), hover);
  if (look == kLookCheck) PaintCheck(hwnd, b.dc(), b.rect(), hover);
  b.Show();
}

void PaintGroupBackground(HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  FillRect(dc, &r, ParentBrush(hwnd, dc, WM_CTLCOLORSTATIC));
}

// ---------------------------------------------------------------- borders

bool PaintBorder(HWND hwnd) {
  RECT w, c;
  GetWindowRect(hwnd, &w);
  GetClientRect(hwnd, &c);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&c), 2);
  const int t = c.left - w.left;  // border thickness; these controls have no left scroll bar
  if (t <= 0) return false;
  WindowDc wdc(hwnd, true);
  HDC dc = wdc.get();
  if (!dc) return true;
  const RECT all = {0, 0, Width(w), Height(w)};
  const RECT in = Inset(all, t);
  ExcludeClipRect(dc, in.left, in.top, in.right, in.bottom);
  WCHAR cls[32];
  GetClassNameW(hwnd, cls, 32);
  COLORREF inner = Colour(kTrack);
  if (cls[0] == L'E' || cls[0] == L'e') {
    // An edit box's ring takes the colour of its inside.
    const bool read_only =
        (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) || !IsWindowEnabled(hwnd);
    HBRUSH b = ParentBrush(hwnd, dc, read_only ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    LOGBRUSH lb;
    if (b && GetObjectW(b, sizeof lb, &lb) == sizeof lb && lb.lbStyle == BS_SOLID)
      inner = lb.lbColor;
  }
  Fill(dc, all, inner);
  COLORREF line = Colour(kButtonBorder);
  if (GetFocus() == hwnd) line = Colour(kAccent);
  if (!IsWindowEnabled(hwnd)) line = Mix(line, Colour(kFace), 128);
  Outline(dc, all, 0, line);
  return true;
}

// ---------------------------------------------------------------- up-down

void PaintUpDown(HWND hwnd, HDC dc, int pressed, int hover) {
  RECT r;
  GetClientRect(hwnd, &r);
  Buffer b(dc, r);
  if (!b.ok()) return;
  HDC m = b.dc();
  const RECT all = b.rect();
  const bool horizontal = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
  const bool disabled = !IsWindowEnabled(hwnd);
  Fill(m, all, Colour(kFace));
  RECT half[2] = {all, all};
  if (horizontal) {
    half[0].right = all.right / 2;
    half[1].left = all.right / 2;
  } else {
    half[0].bottom = all.bottom / 2;
    half[1].top = all.bottom / 2;
  }
  int radius = Metric(kButtonRadius);
  if (radius > 3) radius = 3;
  for (int i = 0; i < 2; ++i) {
    COLORREF top = Colour(kButtonTop), bottom = Colour(kButtonBottom);
    if (disabled) {
      top = Mix(top, Colour(kFace), 128);
      bottom = Mix(bottom, Colour(kFace), 128);
    } else if (pressed == i + 1) {
      top = Colour(kButtonPressedTop);
      bottom = Colour(kButtonPressedBottom);
    } else if (hover == i + 1) {
      top = Colour(kButtonHoverTop);
      bottom = Colour(kButtonHoverBottom);
    }
    RECT body = half[i];
    if (horizontal) {
      body.right -= i == 0 ? 0 : 0;
    }
    RoundedBody(m, body, radius, Metric(kButtonStyle) == 0 ? 0 : 1, top, bottom, -1);
    Outline(m, body, radius,
            disabled ? Mix(Colour(kButtonBorder), Colour(kFace), 128) : Colour(kButtonBorder));
    const int dir = horizontal ? (i == 0 ? 2 : 3) : (i == 0 ? 0 : 1);
    Arrow(m, body, dir, disabled ? Colour(kDisabledText) : Colour(kButtonText));
  }
  b.Show();
}

// ---------------------------------------------------------------- scroll bars

void MeasureScrollBar(HWND hwnd, int drag_position, bool dragging, ScrollGeometry* g) {
  RECT r;
  GetClientRect(hwnd, &r);
  g->vertical = (GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0;
  g->length = g->vertical ? Height(r) : Width(r);
  const int thick = g->vertical ? Width(r) : Height(r);
  int arrow = thick;
  if (arrow * 2 > g->length) arrow = g->length / 2;
  g->start = arrow;
  g->track = g->length - 2 * arrow;
  SCROLLINFO si = {sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd, SB_CTL, &si);
  g->minimum = si.nMin;
  const int range = si.nMax - si.nMin + 1;
  g->movable = si.nPage ? range - int(si.nPage) : si.nMax - si.nMin;
  g->thumb = 0;
  g->offset = 0;
  if (g->movable <= 0 || !IsWindowEnabled(hwnd) || g->track <= 0) return;
  int thumb = si.nPage ? MulDiv(g->track, int(si.nPage), range) : thick;
  const int least = thick < 12 ? thick : 12;
  if (thumb < least) thumb = least;
  if (thumb >= g->track) return;
  g->thumb = thumb;
  int pos = (dragging ? drag_position : si.nPos) - si.nMin;
  if (pos < 0) pos = 0;
  if (pos > g->movable) pos = g->movable;
  g->offset = MulDiv(g->track - thumb, pos, g->movable);
}

ScrollPart ScrollPartAt(const ScrollGeometry& g, POINT p) {
  const int along = g.vertical ? p.y : p.x;
  if (along < 0 || along >= g.length) return kScrollNone;
  if (along < g.start) return kScrollArrow1;
  if (along >= g.start + g.track) return kScrollArrow2;
  if (g.thumb == 0) return along < g.start + g.track / 2 ? kScrollPage1 : kScrollPage2;
  const int t = g.start + g.offset;
  if (along < t) return kScrollPage1;
  if (along < t + g.thumb) return kScrollThumb;
  return kScrollPage2;
}

void PaintScrollBar(HWND hwnd, HDC dc, int drag_position, bool dragging, int pressed, int hover) {
  RECT r;
  GetClientRect(hwnd, &r);
  Buffer b(dc, r);
  if (!b.ok()) return;
  HDC m = b.dc();
  const RECT all = b.rect();
  ScrollGeometry g;
  MeasureScrollBar(hwnd, drag_position, dragging, &g);
  const bool disabled = !IsWindowEnabled(hwnd);
  const COLORREF track = Colour(kTrack);
  Fill(m, all, track);
  auto span = [&](int from, int to) {
    return g.vertical ? RECT{all.left, from, all.right, to} : RECT{from, all.top, to, all.bottom};
  };
  const COLORREF glyph = disabled ? Colour(kDisabledText) : Colour(kThumb);
  for (int i = 0; i < 2; ++i) {
    const ScrollPart part = i == 0 ? kScrollArrow1 : kScrollArrow2;
    const RECT a = i == 0 ? span(0, g.start) : span(g.start + g.track, g.length);
    if (!disabled && (pressed == part || hover == part)) {
      Fill(m, a,
           pressed == part ? Mix(track, Colour(kAccent), 110) : Mix(track, Colour(kThumb), 50));
    }
    const int dir = g.vertical ? (i == 0 ? 0 : 1) : (i == 0 ? 2 : 3);
    Arrow(m, Inset(a, 1), dir, pressed == part ? Colour(kAccent) : glyph);
  }
  if (g.thumb > 0) {
    RECT t = span(g.start + g.offset, g.start + g.offset + g.thumb);
    const int across = g.vertical ? Width(all) : Height(all);
    const int pad = across >= 12 ? 3 : 1;
    if (g.vertical) {
      InflateRect(&t, -pad, -1);
    } else {
      InflateRect(&t, -1, -pad);
    }
    COLORREF c = Colour(kThumb);
    if (pressed == kScrollThumb) {
      c = Colour(kAccent);
    } else if (hover == kScrollThumb) {
      c = Mix(c, Colour(kAccent), 128);
    }
    int radius = Metric(kThumbRadius);
    const int limit = (g.vertical ? Width(t) : Height(t)) / 2;
    if (radius > limit) radius = limit;
    FillRounded(m, t, radius, c);
  }
  b.Show();
}

// ---------------------------------------------------------------- progress bars

bool PaintsProgress(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & PBS_MARQUEE) == 0;
}

void PaintProgress(HWND hwnd, HDC dc) {
  RECT r;
  GetClientRect(hwnd, &r);
  Buffer b(dc, r);
  if (!b.ok()) return;
  HDC m = b.dc();
  const RECT all = b.rect();
  const DWORD style = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  const bool vertical = (style & PBS_VERTICAL) != 0;
  COLORREF back = COLORREF(SendMessageW(hwnd, PBM_GETBKCOLOR, 0, 0));
  if (back == CLR_DEFAULT) back = Colour(kTrack);
  COLORREF bar = COLORREF(SendMessageW(hwnd, PBM_GETBARCOLOR, 0, 0));
  if (bar == CLR_DEFAULT) bar = Colour(kAccent);
  bar = Readable(bar, back, true);
  Fill(m, all, back);
  PBRANGE range = {0, 0};
  SendMessageW(hwnd, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  const int pos = int(SendMessageW(hwnd, PBM_GETPOS, 0, 0));
  const int span = range.iHigh - range.iLow;
  const int length = vertical ? Height(all) : Width(all);
  int filled = span > 0 ? MulDiv(length, pos - range.iLow, span) : 0;
  if (filled < 0) filled = 0;
  if (filled > length) filled = length;
  if (filled == 0) {
    b.Show();
    return;
  }
  const int style_metric = Metric(kProgressStyle);
  const COLORREF top = style_metric == 0 ? bar : Mix(bar, RGB(255, 255, 255), 70);
  RECT fill = all;
  if (vertical) {
    fill.top = all.bottom - filled;
  } else {
    fill.right = filled;
  }
  if (!(style & PBS_SMOOTH)) {
    // Blocks, as the classic bar shows them, in the skin's colours.
    const int thick = vertical ? Width(all) : Height(all);
    int block = thick * 2 / 3;
    if (block < 4) block = 4;
    for (int at = 0; at < filled; at += block + 2) {
      const int end = at + block < filled ? at + block : filled;
      RECT blk = vertical ? RECT{all.left + 1, all.bottom - end, all.right - 1, all.bottom - at}
                          : RECT{at, all.top + 1, end, all.bottom - 1};
      Body(m, blk, style_metric == 2 ? 2 : style_metric, top, bar);
    }
  } else {
    Body(m, fill, style_metric, top, bar);
    if (style_metric == 2) {
      // Glass bars carry faint diagonal stripes.
      const int saved = SaveDC(m);
      IntersectClipRect(m, fill.left, fill.top, fill.right, fill.bottom);
      Owned pen(CreatePen(PS_SOLID, 3, Mix(bar, RGB(255, 255, 255), 40)));
      Selected p(m, pen.get());
      const int h = Height(all);
      for (int x = fill.left - h; x < fill.right + h; x += 14)
        Line(m, x, all.bottom, x + h, all.top);
      RestoreDC(m, saved);
    }
  }
  b.Show();
}

}  // namespace skinlib
