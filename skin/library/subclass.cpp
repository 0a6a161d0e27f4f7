// Our layers in the windows. Each window of the thread is subclassed once. The program's
// runtime subclasses its controls itself right after creating them, which puts its procedure
// above ours; the first message it passes down shows that, and a second layer of ours is put
// on top, so that the skin sees every message before the program's own handlers (the lower
// layer then only passes messages on). Each layer keeps the procedure below it in a window
// property.
//
// The layers stay in the windows until they are destroyed, also when the plain look comes
// back: controls that the program made while a skin was in force may keep brushes of the
// skin's colours (the runtime makes a control's brush when it makes the control), and the
// layers answer their colour requests with the system's colours instead. Everything else
// passes through them untouched.
#include "skin/library/layers.h"

#include <commctrl.h>

namespace skinlib {

namespace {

bool SameText(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    wchar_t x = *a, y = *b;
    if (x >= L'A' && x <= L'Z') x = wchar_t(x + 32);
    if (y >= L'A' && y <= L'Z') y = wchar_t(y + 32);
    if (x != y) return false;
    if (x == 0) return true;
  }
}

LRESULT CALLBACK LowerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK UpperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

WNDPROC CurrentProc(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

Kind KindOf(HWND hwnd) {
  wchar_t cls[64];
  if (!GetClassNameW(hwnd, cls, 64)) return kOther;
  if (SameText(cls, L"Button")) return kButton;
  if (SameText(cls, L"Edit")) return kEdit;
  if (SameText(cls, L"ScrollBar")) return kScroll;
  if (SameText(cls, PROGRESS_CLASSW)) return kProgress;
  if (SameText(cls, UPDOWN_CLASSW)) return kUpDown;
  if (SameText(cls, L"#32770")) return kDialog;
  if (SameText(cls, L"SplitterBar")) return kDivider;
  return kOther;
}

// Windows the skin leaves alone: menus, tooltips, input method windows.
bool Skipped(HWND hwnd) {
  wchar_t cls[64];
  if (!GetClassNameW(hwnd, cls, 64)) return true;
  static const wchar_t* const kSkip[] = {
      L"#32768", L"#32769", L"IME", L"MSCTFIME UI", L"tooltips_class32", L"ComboLBox", L"Message"};
  for (const wchar_t* s : kSkip) {
    if (SameText(cls, s)) return true;
  }
  return false;
}

// Someone subclassed the window above our layer: put a second one on top.
void AddUpperLayer(HWND hwnd) {
  WNDPROC current = CurrentProc(hwnd);
  if (current == &LowerProc || current == &UpperProc || GetLayerProp(hwnd, kSlotUpper)) return;
  SetLayerProp(hwnd, kSlotUpper, reinterpret_cast<uintptr_t>(current));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UpperProc));
}

// A window being destroyed: our layers come out where they are on top, and the window's
// properties go.
void Forget(HWND hwnd) {
  WNDPROC lower = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotLower));
  WNDPROC upper = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotUpper));
  if (upper && CurrentProc(hwnd) == &UpperProc) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(upper));
  }
  if (lower && CurrentProc(hwnd) == &LowerProc) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lower));
  }
  RemoveLayerProp(hwnd, kSlotLower);
  RemoveLayerProp(hwnd, kSlotUpper);
  RemoveLayerProp(hwnd, kSlotState);
}

LRESULT Skinned(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old) {
  if (msg == WM_NCDESTROY) {
    ForgetScrollTracking(hwnd);
    const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
    Forget(hwnd);
    return r;
  }
  if (!g_skin.active) {
    // The plain look: controls made while a skin was in force may hold its colours.
    if (ColoursMapped() && msg == WM_ERASEBKGND && (StateOf(hwnd) & kKindMask) == kButton &&
        EraseGroupBox(hwnd, reinterpret_cast<HDC>(wp))) {
      return 1;
    }
    if (!ColoursMapped() || msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC) {
      return CallWindowProcW(old, hwnd, msg, wp, lp);
    }
  }
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
    const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
    return reinterpret_cast<LRESULT>(
        MapColours(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HBRUSH>(r)));
  }
  bool done = false;
  LRESULT r = 0;
  // Menus and a window's own scroll bars are the default procedure's drawing: such frames
  // stay plain.
  if (IsTopLevel(hwnd) && !GetMenu(hwnd) &&
      !(GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL))) {
    r = FrameMessage(hwnd, msg, wp, lp, old, &done);
    if (done) return r;
  }
  switch (StateOf(hwnd) & kKindMask) {
    case kButton:
      r = ButtonMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kEdit:
      r = EditMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kScroll:
      r = ScrollMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kProgress:
      r = ProgressMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kUpDown:
      r = UpDownMessage(hwnd, msg, wp, lp, old, &done);
      break;
    default:
      if (msg == WM_ERASEBKGND && EraseWithClassColour(hwnd, reinterpret_cast<HDC>(wp))) {
        return 1;
      }
      break;
  }
  if (done) return r;
  return CallWindowProcW(old, hwnd, msg, wp, lp);
}

LRESULT CALLBACK LowerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotLower));
  if (!old) return DefWindowProcW(hwnd, msg, wp, lp);
  if (GetLayerProp(hwnd, kSlotUpper)) return CallWindowProcW(old, hwnd, msg, wp, lp);
  if (g_skin.active && msg != WM_NCDESTROY && CurrentProc(hwnd) != &LowerProc) AddUpperLayer(hwnd);
  return Skinned(hwnd, msg, wp, lp, old);
}

LRESULT CALLBACK UpperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotUpper));
  if (!old) return DefWindowProcW(hwnd, msg, wp, lp);
  return Skinned(hwnd, msg, wp, lp, old);
}

}  // namespace

void Subclass(HWND hwnd) {
  if (GetLayerProp(hwnd, kSlotLower) || Skipped(hwnd)) return;
  const Kind kind = KindOf(hwnd);
  uintptr_t state = kind;
  if (GetActiveWindow() != hwnd) state |= kInactive;
  SetState(hwnd, state);
  WNDPROC old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LowerProc)));
  if (!old) {
    RemoveLayerProp(hwnd, kSlotState);
    return;
  }
  SetLayerProp(hwnd, kSlotLower, reinterpret_cast<uintptr_t>(old));
}

void Dress(HWND hwnd) {
  if (!GetLayerProp(hwnd, kSlotLower)) {
    Subclass(hwnd);
  } else if (CurrentProc(hwnd) != &LowerProc) {
    AddUpperLayer(hwnd);
  }
  if (IsTopLevel(hwnd)) {
    const uintptr_t s = StateOf(hwnd);
    SetState(hwnd, GetActiveWindow() == hwnd ? s & ~kInactive : s | kInactive);
  }
}

}  // namespace skinlib
