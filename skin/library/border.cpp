// The borders of child controls in their non-client area, and the edit boxes' (the accent
// colour while focused).
#include "skin/library/layers.h"

namespace skinlib {

using namespace skin;

bool HasBorder(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) ||
         (GetWindowLongW(hwnd, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME));
}

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
  Outline(dc, all, 0, line, Scale(hwnd)(1));
  return true;
}

LRESULT EditMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  switch (msg) {
    case WM_NCPAINT: {
      if (!HasBorder(hwnd)) break;
      LRESULT r = 0;
      // Scroll bars of a multi-line box are the control's own drawing.
      if (GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) {
        r = CallWindowProcW(old, hwnd, msg, wp, lp);
      }
      PaintBorder(hwnd);
      return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case EM_SETREADONLY: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      if (IsWindow(hwnd) && IsWindowVisible(hwnd) && HasBorder(hwnd)) PaintBorder(hwnd);
      return r;
    }
    default:
      break;
  }
  *done = false;
  return 0;
}

}  // namespace skinlib
