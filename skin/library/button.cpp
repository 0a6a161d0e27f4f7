// Buttons: push buttons, check and radio boxes and group boxes, in every state.
#include "skin/library/layers.h"

namespace skinlib {

using namespace skin;

namespace {

// Button class: which of its types the skin draws.
enum ButtonLook { kLookNone, kLookPush, kLookCheck, kLookGroup };

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

HFONT FontOf(HWND hwnd) {
  HFONT f = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
  return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void DrawFocus(HDC dc, const RECT& r, int radius, const Scale& sc) {
  if (Metric(kFocusStyle) == 1) {
    Outline(dc, r, radius, Colour(kAccent), sc(2));
  } else {
    SetTextColor(dc, kBlack);
    SetBkColor(dc, kWhite);
    DrawFocusRect(dc, &r);
  }
}

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
  const Scale sc(hwnd);
  int radius = sc(Metric(kButtonRadius));
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
  Outline(dc, r, radius, border, (is_default && !disabled ? 2 : 1) * sc(1));
  if (focused && !(SendMessageW(hwnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS)) {
    DrawFocus(dc, Inset(r, sc(3)), radius > sc(3) ? radius - sc(3) : 0, sc);
  }
  RECT content = Inset(r, sc(4));
  if (pressed) OffsetRect(&content, sc(1), sc(1));
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
  const Scale sc(hwnd);
  int box = tm.tmHeight - sc(2);
  if (box < sc(13)) box = sc(13);
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
  {
    // The mark's outline a scaled pixel wide, inside the mark.
    const COLORREF outline = check ? on : border;
    Owned wide(sc(1) > 1 ? CreatePen(PS_INSIDEFRAME, sc(1), outline) : nullptr);
    Selected use(dc, wide.get());
    SetDCBrushColor(dc, check ? on : inside);
    SetDCPenColor(dc, outline);
    if (radio) {
      Ellipse(dc, mark.left, mark.top, mark.right, mark.bottom);
    } else {
      RoundRect(dc, mark.left, mark.top, mark.right, mark.bottom, sc(5), sc(5));
    }
  }
  if (radio) {
    if (check) {
      RECT dot = Inset(mark, box / 4 + sc(1));
      const COLORREF c = disabled ? inside : Colour(kAccentText);
      SetDCBrushColor(dc, c);
      SetDCPenColor(dc, c);
      Ellipse(dc, dot.left, dot.top, dot.right, dot.bottom);
    }
  } else {
    if (check == BST_CHECKED) {
      Owned tick(CreatePen(PS_SOLID, box >= sc(15) ? sc(2) : sc(1),
                           disabled ? inside : Colour(kAccentText)));
      Selected t(dc, tick.get());
      const POINT p[3] = {{mark.left + box / 4, mark.top + box / 2},
                          {mark.left + box * 5 / 12, mark.top + box * 3 / 4 - sc(1)},
                          {mark.right - box / 4, mark.top + box / 4 + sc(1)}};
      Polyline(dc, p, 3);
    } else if (check == BST_INDETERMINATE) {
      RECT bar = Inset(mark, box / 4 + sc(1));
      Fill(dc, bar, disabled ? inside : Colour(kAccentText));
    }
  }

  RECT tr = r;
  if (left_text) {
    tr.right = mark.left - sc(4);
  } else {
    tr.left = mark.right + sc(5);
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
    RECT f = {tr.left - sc(2), r.top + (Height(r) - Height(m)) / 2 - sc(1),
              tr.left + Width(m) + sc(2), 0};
    f.bottom = f.top + Height(m) + sc(2);
    if (style & BS_MULTILINE)
      f = {tr.left - sc(2), tr.top - sc(1), tr.left + Width(m) + sc(2), tr.top + Height(m) + sc(1)};
    DrawFocus(dc, f, 0, sc);
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
  const Scale sc(hwnd);
  int radius = Metric(kButtonRadius);
  if (radius > 6) radius = 6;
  radius = sc(radius);
  Outline(dc, frame, radius, Colour(kButtonBorder), sc(1));
  if (text.n == 0) return;
  int left = r.left + sc(8) + radius;
  const int width = Width(m) + sc(8);
  if ((style & BS_CENTER) == BS_CENTER) {
    left = r.left + (Width(r) - width) / 2;
  } else if ((style & BS_CENTER) == BS_RIGHT) {
    left = r.right - sc(8) - radius - width;
  }
  RECT label = {left, r.top, left + width, r.top + Height(m)};
  if (label.right > r.right - sc(2)) label.right = r.right - sc(2);
  FillRect(dc, &label, back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, text_colour);
  DrawTextW(dc, text.s, text.n, &label, DT_SINGLELINE | DT_CENTER | DT_END_ELLIPSIS);
}

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

void RepaintButton(HWND hwnd) {
  if (!Showing(hwnd)) return;
  if (LookOf(hwnd) == kLookGroup) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return;
  }
  WindowDc dc(hwnd, false);
  if (dc.get()) PaintButton(hwnd, dc.get(), (StateOf(hwnd) & kHover) != 0);
}

}  // namespace

LRESULT ButtonMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  const ButtonLook look = LookOf(hwnd);
  if (look == kLookNone) {
    *done = false;
    return 0;
  }
  const uintptr_t s = StateOf(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PaintDc dc(hwnd);
      if (dc.get()) PaintButton(hwnd, dc.get(), (s & kHover) != 0);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (look == kLookGroup) PaintGroupBackground(hwnd, reinterpret_cast<HDC>(wp));
      PaintButton(hwnd, reinterpret_cast<HDC>(wp), (s & kHover) != 0);
      return 0;
    case WM_ERASEBKGND:
      if (look == kLookGroup) PaintGroupBackground(hwnd, reinterpret_cast<HDC>(wp));
      return 1;
    case WM_MOUSEMOVE:
      if (!(s & kHover)) {
        SetState(hwnd, s | kHover);
        TrackLeave(hwnd);
        const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
        RepaintButton(hwnd);
        return r;
      }
      break;
    case WM_MOUSELEAVE: {
      SetState(hwnd, s & ~kHover);
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      RepaintButton(hwnd);
      return r;
    }
    // The control draws itself straight away on these; the skin paints over it at once.
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
    case BM_CLICK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case WM_SETFONT: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      RepaintButton(hwnd);
      return r;
    }
    default:
      break;
  }
  *done = false;
  return 0;
}

bool EraseGroupBox(HWND hwnd, HDC dc) {
  if (LookOf(hwnd) != kLookGroup) return false;
  PaintGroupBackground(hwnd, dc);
  return true;
}

}  // namespace skinlib
