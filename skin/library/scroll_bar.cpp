// Scroll bar controls, tracked here rather than by the control, whose own tracking loop draws
// the stock thumb. The notifications are the ones the control sends.
#include "skin/library/layers.h"

namespace skinlib {

using namespace skin;

namespace {

constexpr UINT_PTR kScrollTimer = 0x5348;  // "SH"

// The parts, in order along the bar.
enum ScrollPart {
  kScrollNone,
  kScrollArrow1,
  kScrollPage1,
  kScrollThumb,
  kScrollPage2,
  kScrollArrow2
};
struct ScrollGeometry {
  bool vertical;
  int start;    // where the track starts along the bar
  int track;    // track length
  int thumb;    // thumb length; 0 when there is no thumb
  int offset;   // thumb start within the track
  int length;   // the bar's whole length
  int minimum;  // scroll range as the thumb moves
  int movable;  // positions the thumb can take, beyond minimum
};

// The scroll bar the mouse is dragging or holding down, one at a time.
struct Track {
  HWND hwnd;
  int part;
  int grab;      // thumb: where in the thumb it was taken
  int position;  // thumb: the position it shows
  bool ending;
};
Track g_track;

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
  const int twelve = Scale(hwnd)(12);
  const int least = thick < twelve ? thick : twelve;
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
  Buffer b(dc, hwnd);
  if (!b.ok()) return;
  HDC m = b.dc();
  const RECT all = b.rect();
  ScrollGeometry g;
  MeasureScrollBar(hwnd, drag_position, dragging, &g);
  const bool disabled = !IsWindowEnabled(hwnd);
  const COLORREF track = Colour(kTrack);
  const Scale sc(hwnd);
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
    Arrow(m, Inset(a, sc(1)), dir, pressed == part ? Colour(kAccent) : glyph, sc);
  }
  if (g.thumb > 0) {
    RECT t = span(g.start + g.offset, g.start + g.offset + g.thumb);
    const int across = g.vertical ? Width(all) : Height(all);
    const int pad = across >= sc(12) ? sc(3) : sc(1);
    if (g.vertical) {
      InflateRect(&t, -pad, -sc(1));
    } else {
      InflateRect(&t, -sc(1), -pad);
    }
    COLORREF c = Colour(kThumb);
    if (pressed == kScrollThumb) {
      c = Colour(kAccent);
    } else if (hover == kScrollThumb) {
      c = Mix(c, Colour(kAccent), 128);
    }
    int radius = sc(Metric(kThumbRadius));
    const int limit = (g.vertical ? Width(t) : Height(t)) / 2;
    if (radius > limit) radius = limit;
    FillRounded(m, t, radius, c);
  }
  b.Show();
}

void ScrollNotify(HWND hwnd, int code, int position) {
  const bool vertical = (GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0;
  SendMessageW(GetParent(hwnd), vertical ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, position & 0xFFFF), reinterpret_cast<LPARAM>(hwnd));
}

int ScrollCode(int part) {
  switch (part) {
    case kScrollArrow1:
      return SB_LINEUP;
    case kScrollArrow2:
      return SB_LINEDOWN;
    case kScrollPage1:
      return SB_PAGEUP;
    default:
      return SB_PAGEDOWN;
  }
}

// The bar as it is now: its thumb where the mouse drags it, the part the mouse holds pressed.
void PaintScrollNow(HWND hwnd, HDC dc) {
  const Track& t = g_track;
  const bool mine = t.hwnd == hwnd;
  PaintScrollBar(hwnd, dc, mine ? t.position : 0, mine && t.part == kScrollThumb, mine ? t.part : 0,
                 Field(StateOf(hwnd), kPartShift));
}

void RepaintScroll(HWND hwnd) {
  if (!Showing(hwnd)) return;
  WindowDc dc(hwnd, false);
  if (dc.get()) PaintScrollNow(hwnd, dc.get());
}

void EndScrollTracking(HWND hwnd, bool notify) {
  Track& t = g_track;
  if (t.hwnd != hwnd || t.ending) return;
  t.ending = true;
  KillTimer(hwnd, kScrollTimer);
  const int part = t.part, position = t.position;
  if (GetCapture() == hwnd) ReleaseCapture();
  t = {};
  if (notify) {
    if (part == kScrollThumb) ScrollNotify(hwnd, SB_THUMBPOSITION, position);
    ScrollNotify(hwnd, SB_ENDSCROLL, 0);
  }
  RepaintScroll(hwnd);
}

}  // namespace

LRESULT ScrollMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  Track& t = g_track;
  const uintptr_t s = StateOf(hwnd);
  if (GetWindowLongW(hwnd, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
    *done = false;
    return 0;
  }
  switch (msg) {
    case WM_PAINT: {
      PaintDc dc(hwnd);
      if (dc.get()) PaintScrollNow(hwnd, dc.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The control would show a blinking caret over its thumb.
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!IsWindowEnabled(hwnd)) return 0;
      if (t.hwnd) EndScrollTracking(t.hwnd, true);
      ScrollGeometry g;
      MeasureScrollBar(hwnd, 0, false, &g);
      const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
      const int part = ScrollPartAt(g, p);
      if (part == kScrollNone) return 0;
      SCROLLINFO si = {sizeof si, SIF_POS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd, SB_CTL, &si);
      t = {hwnd, part, (g.vertical ? p.y : p.x) - g.start - g.offset, si.nPos, false};
      SetCapture(hwnd);
      if (part != kScrollThumb) {
        ScrollNotify(hwnd, ScrollCode(part), 0);
        SetTimer(hwnd, kScrollTimer, 350, nullptr);
      }
      RepaintScroll(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
      ScrollGeometry g;
      if (t.hwnd == hwnd && t.part == kScrollThumb) {
        MeasureScrollBar(hwnd, 0, false, &g);
        const int room = g.track - g.thumb;
        int offset = (g.vertical ? p.y : p.x) - g.start - t.grab;
        if (offset < 0) offset = 0;
        if (offset > room) offset = room;
        const int position = g.minimum + (room > 0 ? MulDiv(offset, g.movable, room) : 0);
        if (position != t.position) {
          t.position = position;
          ScrollNotify(hwnd, SB_THUMBTRACK, position);
          RepaintScroll(hwnd);
        }
        return 0;
      }
      MeasureScrollBar(hwnd, 0, false, &g);
      const int part = ScrollPartAt(g, p);
      if (part != Field(s, kPartShift)) {
        SetState(hwnd, WithField(s, kPartShift, part));
        TrackLeave(hwnd);
        RepaintScroll(hwnd);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      SetState(hwnd, WithField(s, kPartShift, 0));
      RepaintScroll(hwnd);
      return 0;
    case WM_TIMER:
      if (wp != kScrollTimer) break;
      if (t.hwnd == hwnd) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        ScrollGeometry g;
        MeasureScrollBar(hwnd, 0, false, &g);
        if (ScrollPartAt(g, p) == t.part) ScrollNotify(hwnd, ScrollCode(t.part), 0);
        SetTimer(hwnd, kScrollTimer, 50, nullptr);
      } else {
        KillTimer(hwnd, kScrollTimer);
      }
      return 0;
    case WM_LBUTTONUP:
      EndScrollTracking(hwnd, true);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) EndScrollTracking(hwnd, true);
      return 0;
    // The control draws itself straight away on these.
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW:
    case SBM_SETSCROLLINFO:
    case SBM_ENABLE_ARROWS:
    case WM_ENABLE:
    case WM_KEYDOWN:
    case WM_KEYUP: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      RepaintScroll(hwnd);
      return r;
    }
    default:
      break;
  }
  *done = false;
  return 0;
}

void EndScrollTracking() {
  if (g_track.hwnd) EndScrollTracking(g_track.hwnd, true);
}

void ForgetScrollTracking(HWND hwnd) {
  if (g_track.hwnd == hwnd) g_track = {};
}

}  // namespace skinlib
