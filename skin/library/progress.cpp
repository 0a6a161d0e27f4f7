// Progress bars: blocks, or smooth in the skin's style.
#include "skin/library/layers.h"

#include <commctrl.h>

namespace skinlib {

using namespace skin;

namespace {

bool PaintsProgress(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & PBS_MARQUEE) == 0;
}

void PaintProgress(HWND hwnd, HDC dc) {
  Buffer b(dc, hwnd);
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
    const Scale sc(hwnd);
    const int one = sc(1);
    int block = thick * 2 / 3;
    if (block < sc(4)) block = sc(4);
    for (int at = 0; at < filled; at += block + sc(2)) {
      const int end = at + block < filled ? at + block : filled;
      RECT blk = vertical ? RECT{all.left + one, all.bottom - end, all.right - one, all.bottom - at}
                          : RECT{at, all.top + one, end, all.bottom - one};
      Body(m, blk, style_metric == 2 ? 2 : style_metric, top, bar);
    }
  } else {
    Body(m, fill, style_metric, top, bar);
    if (style_metric == 2) {
      // Glass bars carry faint diagonal stripes.
      const int saved = SaveDC(m);
      IntersectClipRect(m, fill.left, fill.top, fill.right, fill.bottom);
      const Scale sc(hwnd);
      Owned pen(CreatePen(PS_SOLID, sc(3), Mix(bar, RGB(255, 255, 255), 40)));
      Selected p(m, pen.get());
      const int h = Height(all);
      for (int x = fill.left - h; x < fill.right + h; x += sc(14))
        Line(m, x, all.bottom, x + h, all.top);
      RestoreDC(m, saved);
    }
  }
  b.Show();
}

}  // namespace

LRESULT ProgressMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC, bool* done) {
  *done = true;
  switch (msg) {
    case WM_PAINT:
      if (!PaintsProgress(hwnd)) break;
      {
        PaintDc dc(hwnd);
        if (dc.get()) PaintProgress(hwnd, dc.get());
      }
      return 0;
    case WM_PRINTCLIENT:
      if (!PaintsProgress(hwnd)) break;
      PaintProgress(hwnd, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      if (!PaintsProgress(hwnd)) break;
      return 1;
    case WM_NCPAINT:
      if (!HasBorder(hwnd)) break;
      PaintBorder(hwnd);
      return 0;
    default:
      break;
  }
  (void)lp;
  *done = false;
  return 0;
}

}  // namespace skinlib
