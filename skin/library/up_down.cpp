// Up-down controls: two halves, each with its hover and press.
#include "skin/library/layers.h"

#include <commctrl.h>

namespace skinlib {

using namespace skin;

namespace {

void PaintUpDown(HWND hwnd, HDC dc, int pressed, int hover) {
  Buffer b(dc, hwnd);
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
  const Scale sc(hwnd);
  int radius = Metric(kButtonRadius);
  if (radius > 3) radius = 3;
  radius = sc(radius);
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
            disabled ? Mix(Colour(kButtonBorder), Colour(kFace), 128) : Colour(kButtonBorder),
            sc(1));
    const int dir = horizontal ? (i == 0 ? 2 : 3) : (i == 0 ? 0 : 1);
    Arrow(m, body, dir, disabled ? Colour(kDisabledText) : Colour(kButtonText), sc);
  }
  b.Show();
}

int UpDownHalf(HWND hwnd, LPARAM lp) {
  RECT r;
  GetClientRect(hwnd, &r);
  const bool horizontal = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
  const int at = horizontal ? short(LOWORD(lp)) : short(HIWORD(lp));
  const int mid = horizontal ? r.right / 2 : r.bottom / 2;
  return at < mid ? 1 : 2;
}

void RepaintUpDown(HWND hwnd) {
  if (!Showing(hwnd)) return;
  const uintptr_t s = StateOf(hwnd);
  WindowDc dc(hwnd, false);
  if (dc.get()) PaintUpDown(hwnd, dc.get(), Field(s, kPressShift), Field(s, kPartShift));
}

}  // namespace

LRESULT UpDownMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  uintptr_t s = StateOf(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PaintDc dc(hwnd);
      if (dc.get()) PaintUpDown(hwnd, dc.get(), Field(s, kPressShift), Field(s, kPartShift));
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (IsWindowEnabled(hwnd)) SetState(hwnd, WithField(s, kPressShift, UpDownHalf(hwnd, lp)));
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      SetState(hwnd, WithField(s, kPressShift, 0));
      break;
    case WM_MOUSEMOVE: {
      const int half = UpDownHalf(hwnd, lp);
      if (half != Field(s, kPartShift)) {
        SetState(hwnd, WithField(s, kPartShift, half));
        TrackLeave(hwnd);
      }
      break;
    }
    case WM_MOUSELEAVE:
      SetState(hwnd, WithField(s, kPartShift, 0));
      break;
    case WM_ENABLE:
      break;
    default:
      *done = false;
      return 0;
  }
  const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
  RepaintUpDown(hwnd);
  return r;
}

}  // namespace skinlib
