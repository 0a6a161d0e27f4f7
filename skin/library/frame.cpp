// Top-level windows: the title bar, its caption buttons with their hover, press and clicks,
// and the frame.
#include "skin/library/layers.h"

namespace skinlib {

using namespace skin;

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

void LayoutCaption(HWND hwnd, const Scale& sc, Caption* c) {
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
  if (inner < sc(8)) return;
  c->bar = {0, 0, c->width, c->client.top};
  int bh = inner - sc(6);
  if (bh < sc(10)) bh = inner - sc(2);
  const int bw = Metric(kCaptionButtons) == 2 ? bh : bh * 3 / 2;
  int x = c->width - c->edge - sc(3);
  const int y = c->edge + (inner - bh) / 2;
  auto add = [&](int part) {
    x -= bw;
    c->button[c->count] = {x, y, x + bw, y + bh};
    c->part[c->count++] = part;
    x -= sc(3);
  };
  if (style & WS_SYSMENU) {
    add(HTCLOSE);
    if (style & WS_MAXIMIZEBOX) add(HTMAXBUTTON);
    if (style & WS_MINIMIZEBOX) add(HTMINBUTTON);
  }
}

void CaptionGlyph(HDC dc, const RECT& r, int part, bool zoomed, COLORREF c, const Scale& sc) {
  const int size = Width(r) < Height(r) ? Width(r) : Height(r);
  int s = size / 5;
  if (s < sc(3)) s = sc(3);
  const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
  const int one = sc(1), two = sc(2), three = sc(3);
  Owned pen(CreatePen(PS_SOLID, size >= sc(16) ? two : one, c));
  Selected use(dc, pen.get());
  Selected brush(dc, GetStockObject(NULL_BRUSH));
  switch (part) {
    case HTCLOSE:
      Line(dc, cx - s, cy - s, cx + s, cy + s);
      Line(dc, cx + s, cy - s, cx - s, cy + s);
      break;
    case HTMINBUTTON:
      Line(dc, cx - s, cy + s / 2 + one, cx + s, cy + s / 2 + one);
      break;
    default:
      if (zoomed) {
        Rectangle(dc, cx - s, cy - s + three, cx + s - two, cy + s + one);
        Line(dc, cx - s + three, cy - s, cx + s + one, cy - s);
        Line(dc, cx + s + one, cy - s, cx + s + one, cy + s - two);
      } else {
        Rectangle(dc, cx - s, cy - s, cx + s + one, cy + s + one);
      }
      break;
  }
}

void CaptionButton(HDC dc, const RECT& r, int part, int state, bool active, bool zoomed,
                   const Scale& sc) {
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
      FillRounded(dc, r, shape == 1 ? sc(4) : 0, bg);
    }
  }
  CaptionGlyph(dc, r, part, zoomed, fg, sc);
}

void CaptionBand(HDC dc, const RECT& r, bool active) {
  const COLORREF top = Colour(active ? kCaptionTop : kInactiveCaptionTop);
  const COLORREF bottom = Colour(active ? kCaptionBottom : kInactiveCaptionBottom);
  if (DrawPicture(dc, r, active ? kPictureCaption : kPictureInactiveCaption)) return;
  Body(dc, r, Metric(kCaptionStyle), top, bottom);
}

// The title's font at a window's DPI: the system's caption font, which is made for the system's
// DPI, made anew for another.
class CaptionFont {
 public:
  explicit CaptionFont(int dpi) : own_(nullptr) {
    HFONT font = g_skin.caption_font;
    LOGFONTW lf;
    if (font && dpi != SystemDpi() && GetObjectW(font, sizeof lf, &lf) == sizeof lf) {
      lf.lfHeight = MulDiv(lf.lfHeight, dpi, SystemDpi());
      own_ = CreateFontIndirectW(&lf);
    }
    font_ = own_ ? own_ : font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  }
  ~CaptionFont() {
    if (own_) DeleteObject(own_);
  }
  CaptionFont(const CaptionFont&) = delete;
  CaptionFont& operator=(const CaptionFont&) = delete;
  HFONT get() const { return font_; }

 private:
  HFONT own_;
  HFONT font_;
};

void PaintFrame(HWND hwnd, bool active, int hover, int pressed) {
  const Scale sc(hwnd);
  Caption c;
  LayoutCaption(hwnd, sc, &c);
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
    const int right_end =
        c.count > 0 ? c.button[c.count - 1].left - sc(6) : c.width - c.edge - sc(6);
    RECT tr = {c.edge + sc(8), c.edge, right_end, cl.top};
    const CaptionFont font(sc.dpi());
    Selected f(bdc, font.get());
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
      OffsetRect(&sh, sc(1), sc(1));
      SetTextColor(bdc, Mix(Colour(active ? kCaptionBottom : kInactiveCaptionBottom), kBlack, 90));
      DrawTextW(bdc, title.s, title.n, &sh, format);
    }
    SetTextColor(bdc, text_colour);
    DrawTextW(bdc, title.s, title.n, &tr, format);

    const bool zoomed = IsZoomed(hwnd) != FALSE;
    for (int i = 0; i < c.count; ++i) {
      const int state = pressed == c.part[i] ? 2 : hover == c.part[i] ? 1 : 0;
      CaptionButton(bdc, c.button[i], c.part[i], state, active, zoomed, sc);
    }
    b.Show();
  }
  // The outer line that sets the window off from what lies behind it.
  const COLORREF line = Mix(frame, kBlack, 100);
  Outline(dc, RECT{0, 0, c.width, c.height}, 0, line, sc(Metric(kFrameLine)));
}

int CaptionButtonAt(HWND hwnd, POINT screen) {
  Caption c;
  LayoutCaption(hwnd, Scale(hwnd), &c);
  RECT w;
  GetWindowRect(hwnd, &w);
  POINT p = {screen.x - w.left, screen.y - w.top};
  for (int i = 0; i < c.count; ++i) {
    if (PtInRect(&c.button[i], p)) return c.part[i];
  }
  return 0;
}

void PaintFrameOf(HWND hwnd) {
  const uintptr_t s = StateOf(hwnd);
  PaintFrame(hwnd, !(s & kInactive), Field(s, kPartShift), Field(s, kPressShift));
}

bool IsCaptionPart(WPARAM hit) {
  return hit == HTCLOSE || hit == HTMAXBUTTON || hit == HTMINBUTTON;
}

}  // namespace

LRESULT FrameMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  uintptr_t s = StateOf(hwnd);
  switch (msg) {
    case WM_NCPAINT:
      PaintFrameOf(hwnd);
      return 0;
    case WM_NCACTIVATE: {
      SetState(hwnd, wp ? s & ~kInactive : s | kInactive);
      // -1: the default procedure keeps its state but draws nothing.
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, -1);
      PaintFrameOf(hwnd);
      return r;
    }
    case WM_SETTEXT: {
      // The default procedure draws the title straight away; hidden, it only stores it.
      const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
      if (style & WS_VISIBLE) SetWindowLongW(hwnd, GWL_STYLE, style & ~WS_VISIBLE);
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      if (style & WS_VISIBLE) {
        SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | WS_VISIBLE);
        PaintFrameOf(hwnd);
      }
      return r;
    }
    case WM_NCHITTEST: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      if (r == HTCAPTION || r == HTSYSMENU || r == HTHELP || IsCaptionPart(WPARAM(r))) {
        const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
        const int part = CaptionButtonAt(hwnd, p);
        return part ? part : HTCAPTION;
      }
      return r;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (!IsCaptionPart(wp)) break;
      SetState(hwnd, WithField(s, kPressShift, int(wp)));
      PaintFrameOf(hwnd);
      return 0;
    case WM_NCLBUTTONUP: {
      const int pressed = Field(s, kPressShift);
      if (!pressed) break;
      SetState(hwnd, WithField(s, kPressShift, 0));
      PaintFrameOf(hwnd);
      if (int(wp) == pressed) {
        WPARAM command = pressed == HTCLOSE       ? SC_CLOSE
                         : pressed == HTMINBUTTON ? SC_MINIMIZE
                         : IsZoomed(hwnd)         ? SC_RESTORE
                                                  : SC_MAXIMIZE;
        PostMessageW(hwnd, WM_SYSCOMMAND, command, lp);
      }
      return 0;
    }
    case WM_NCMOUSEMOVE: {
      const int part = IsCaptionPart(wp) ? int(wp) : 0;
      if (part != Field(s, kPartShift)) {
        SetState(hwnd, WithField(s, kPartShift, part));
        PaintFrameOf(hwnd);
      }
      TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE | TME_NONCLIENT, hwnd, 0};
      TrackMouseEvent(&tme);
      break;
    }
    case WM_NCMOUSELEAVE:
      if (Field(s, kPartShift) || Field(s, kPressShift)) {
        SetState(hwnd, WithField(WithField(s, kPartShift, 0), kPressShift, 0));
        PaintFrameOf(hwnd);
      }
      break;
    default:
      break;
  }
  *done = false;
  return 0;
}

}  // namespace skinlib
