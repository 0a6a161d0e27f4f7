// The name full screen: a borderless window over the whole monitor that holds the main window,
// showing the name display's text as it changes, in the display's font at the largest size at
// which the longest name of the class list fits one line. It draws its own text at the
// monitor's pixels (the program is per-monitor DPI aware where the system can), so it is crisp at
// any display scaling. A tap, a click, Space or Enter is a touch of the big button, handed to the
// main window as its hot key event with kFullScreenTouch; Esc, a double tap or the close mark
// closes it.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "base/text_w.h"
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "runtime/command_host.h"

namespace rc {
namespace {

constexpr wchar_t kClass[] = L"RollcallFullScreen";
constexpr UINT_PTR kFollowTimer = 1;
constexpr UINT kFollowMs = 20;  // faster than the name cycle's 50 ms

struct FullScreen {
  HWND hwnd = nullptr;
  HWND main = nullptr, name = nullptr, seconds = nullptr, button = nullptr, timer_switch = nullptr;
  std::wstring start_caption, switch_on;  // the button's caption when idle, the switch's when on
  std::vector<std::wstring> names;        // the class list, for the size
  COLORREF text = 0, back = 0;
  std::wstring face;
  int weight = FW_BOLD;
  BYTE charset = DEFAULT_CHARSET;
  int height = 0;              // font height in pixels
  std::wstring shown, corner;  // what is on the screen now
  // The program's own window the keyboard last went to from here (a box over it); null when it
  // went to another program, or came back.
  HWND lent_to = nullptr;
};
FullScreen* g_screen = nullptr;

std::wstring TextOf(HWND hwnd) {
  if (hwnd == nullptr) return std::wstring();
  wchar_t buf[512];
  const int n = GetWindowTextW(hwnd, buf, 512);
  return std::wstring(buf, size_t(std::max(n, 0)));
}

// WCAG relative luminance, 0 to 1.
double Luminance(COLORREF c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}
double Contrast(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
// The colour itself when it stands out (4.5 : 1); else mixed step by step with black on a light
// background, with white on a dark one, until it does.
COLORREF Readable(COLORREF text, COLORREF back) {
  const int target = Luminance(back) > 0.18 ? 0 : 255;
  for (int t = 0; t <= 256 && Contrast(text, back) < 4.5; t += 16) {
    auto mix = [&](int v) { return BYTE(v + (target - v) * std::min(t, 256) / 256); };
    text = RGB(mix(GetRValue(text)), mix(GetGValue(text)), mix(GetBValue(text)));
  }
  return text;
}

HFONT MakeFont(const FullScreen& s, int height) {
  LOGFONTW lf = {};
  lf.lfHeight = -height;
  lf.lfWeight = s.weight;
  lf.lfCharSet = s.charset;
  lf.lfQuality = CLEARTYPE_QUALITY;
  lstrcpynW(lf.lfFaceName, s.face.c_str(), LF_FACESIZE);
  return CreateFontIndirectW(&lf);
}

// The largest height at which every name fits one line in 90 % of the width and 60 % of the
// height: measured once at a reference height, text scales with it.
int FitHeight(FullScreen& s, const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  constexpr int kReference = 100;
  HDC dc = GetDC(s.hwnd);
  HFONT font = MakeFont(s, kReference);
  HGDIOBJ old = SelectObject(dc, font);
  int widest = 1, tallest = 1;
  std::vector<std::wstring> all = s.names;
  all.push_back(TextOf(s.name));
  for (const std::wstring& n : all) {
    SIZE size = {};
    if (!n.empty() && GetTextExtentPoint32W(dc, n.c_str(), int(n.size()), &size)) {
      widest = std::max(widest, int(size.cx));
      tallest = std::max(tallest, int(size.cy));
    }
  }
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(s.hwnd, dc);
  const double by_width = 0.9 * w * kReference / widest;
  const double by_height = 0.6 * h * kReference / tallest;
  return std::max(8, int(std::min(by_width, by_height)));
}

// The close mark: a square in the top right corner, a little larger than a finger.
RECT CloseMark(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  const int side = std::max(32, int(r.bottom / 16));
  return RECT{r.right - side, 0, r.right, side};
}

void Paint(FullScreen& s, HDC dc) {
  RECT r;
  GetClientRect(s.hwnd, &r);
  HBRUSH back = CreateSolidBrush(s.back);
  FillRect(dc, &r, back);
  DeleteObject(back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, s.text);
  HFONT font = MakeFont(s, s.height);
  HGDIOBJ old = SelectObject(dc, font);
  DrawTextW(dc, s.shown.c_str(), int(s.shown.size()), &r,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  DeleteObject(font);
  const int small = std::max(16, int(r.bottom / 20));
  HFONT corner_font = MakeFont(s, small);
  old = SelectObject(dc, corner_font);
  RECT mark = CloseMark(s.hwnd);
  DrawTextW(dc, L"\u00D7", 1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (!s.corner.empty()) {
    RECT c = {small / 2, small / 4, r.right / 2, small / 4 + small * 3 / 2};
    DrawTextW(dc, s.corner.c_str(), int(s.corner.size()), &c, DT_LEFT | DT_SINGLELINE);
  }
  SelectObject(dc, old);
  DeleteObject(corner_font);
}

// The answer seconds while the countdown can run: the switch on and the names standing still.
std::wstring Corner(const FullScreen& s) {
  if (TextOf(s.timer_switch) != s.switch_on || TextOf(s.button) != s.start_caption) return {};
  return TextOf(s.seconds);
}

void Touch(const FullScreen& s) {
  SendMessageW(s.main, WM_HOTKEY, kFullScreenTouch, 0);
}

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  FullScreen* s = g_screen;
  if (s == nullptr || s->hwnd != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
  switch (msg) {
    case WM_TIMER: {
      std::wstring shown = TextOf(s->name), corner = Corner(*s);
      if (shown != s->shown || corner != s->corner) {
        s->shown = std::move(shown);
        s->corner = std::move(corner);
        InvalidateRect(hwnd, nullptr, FALSE);
      }
      if (!IsWindow(s->main)) {
        DestroyWindow(hwnd);
      } else if (HWND front = GetForegroundWindow();
                 front == s->main ||
                 (front == nullptr && s->lent_to != nullptr && !IsWindow(s->lent_to))) {
        // A box over both closed and left the keyboard to the main window, or to nobody: it is
        // the full screen's, which stays in front. Nobody also has it for a moment while another
        // program takes it, which is no call to take it back.
        SetForegroundWindow(hwnd);
      }
      return 0;
    }
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        const HWND to = reinterpret_cast<HWND>(lp);
        DWORD pid = 0;
        if (to != nullptr) GetWindowThreadProcessId(to, &pid);
        s->lent_to = pid == GetCurrentProcessId() ? to : nullptr;
      } else {
        s->lent_to = nullptr;
      }
      return DefWindowProcW(hwnd, msg, wp, lp);
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      // Drawn off screen first: the name changes every 50 ms and must not flicker.
      RECT r;
      GetClientRect(hwnd, &r);
      HDC mem = CreateCompatibleDC(dc);
      HBITMAP bmp = CreateCompatibleBitmap(dc, r.right, r.bottom);
      HGDIOBJ old = SelectObject(mem, bmp);
      Paint(*s, mem);
      BitBlt(dc, 0, 0, r.right, r.bottom, mem, 0, 0, SRCCOPY);
      SelectObject(mem, old);
      DeleteObject(bmp);
      DeleteDC(mem);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN: {
      const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
      const RECT mark = CloseMark(hwnd);
      if (PtInRect(&mark, p)) {
        DestroyWindow(hwnd);
      } else {
        Touch(*s);
      }
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      DestroyWindow(hwnd);
      return 0;
    case WM_KEYDOWN:
      if (wp == VK_ESCAPE) {
        DestroyWindow(hwnd);
      } else if ((wp == VK_SPACE || wp == VK_RETURN) && !(lp & (1 << 30))) {
        Touch(*s);
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd, kFollowTimer);
      return 0;
    case WM_NCDESTROY:
      delete g_screen;
      g_screen = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd, msg, wp, lp);
  }
}

HWND HwndOf(int argc, const ArgRecord* args, int i) {
  const ArgRecord* a = OptionalArg(argc, args, i);
  UnitObject* o = a != nullptr ? CommandHost::FindObject(a->lo, a->hi) : nullptr;
  return o != nullptr && o->live() ? o->hwnd() : nullptr;
}

std::wstring WideArg(int argc, const ArgRecord* args, int i) {
  const char* t = TextArg(argc, args, i);
  return t != nullptr ? Wide(t) : std::wstring();
}

}  // namespace

// main window, name display, seconds display, big button, switch label, the button's idle
// caption, the switch's "on" caption, the names (one a line), the display's colour.
void ShowFullScreen(ResultRecord* result, int argc, ArgRecord* args) {
  if (g_screen != nullptr) {
    SetForegroundWindow(g_screen->hwnd);
    result->lo = 1;
    return;
  }
  auto* s = new FullScreen;
  s->main = HwndOf(argc, args, 0);
  s->name = HwndOf(argc, args, 1);
  s->seconds = HwndOf(argc, args, 2);
  s->button = HwndOf(argc, args, 3);
  s->timer_switch = HwndOf(argc, args, 4);
  s->start_caption = WideArg(argc, args, 5);
  s->switch_on = WideArg(argc, args, 6);
  const std::wstring names = WideArg(argc, args, 7);
  for (size_t at = 0; at < names.size();) {
    const size_t end = std::min(names.find(L'\n', at), names.size());
    if (end > at) s->names.push_back(names.substr(at, end - at));
    at = end + 1;
  }
  if (s->main == nullptr || s->name == nullptr) {
    delete s;
    return;
  }
  // The display's font face and weight; its colour on the main window's face, made readable.
  LOGFONTW lf = {};
  if (HFONT f = reinterpret_cast<HFONT>(SendMessageW(s->name, WM_GETFONT, 0, 0))) {
    if (GetObjectW(f, sizeof lf, &lf) != 0) {
      s->face = lf.lfFaceName;
      s->weight = lf.lfWeight;
      s->charset = lf.lfCharSet;
    }
  }
  s->back = GetSysColor(COLOR_BTNFACE);
  if (HDC dc = GetDC(s->main)) {
    const COLORREF c = GetPixel(dc, 2, 2);  // the face as the skin paints it
    if (c != CLR_INVALID) s->back = c;
    ReleaseDC(s->main, dc);
  }
  s->text = Readable(COLORREF(IntArgOr(argc, args, 8, 0)), s->back);

  static const bool registered = [] {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
    wc.lpszClassName = kClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) {
    delete s;
    return;
  }
  MONITORINFO mi = {};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(s->main, MONITOR_DEFAULTTONEAREST), &mi);
  const RECT r = mi.rcMonitor;
  g_screen = s;
  s->hwnd =
      CreateWindowExW(0, kClass, TextOf(s->main).c_str(), WS_POPUP, r.left, r.top, r.right - r.left,
                      r.bottom - r.top, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (s->hwnd == nullptr) {
    g_screen = nullptr;
    delete s;
    return;
  }
  s->height = FitHeight(*s, r);
  s->shown = TextOf(s->name);
  s->corner = Corner(*s);
  SetTimer(s->hwnd, kFollowTimer, kFollowMs, nullptr);
  ShowWindow(s->hwnd, SW_SHOW);
  SetForegroundWindow(s->hwnd);
  result->lo = 1;
}

void FullScreenOpen(ResultRecord* result, int, ArgRecord*) {
  result->lo = g_screen != nullptr;
}

// Above all windows without taking the keyboard (1), or back among the others behind the
// program that has the keyboard, unless that is one of ours (0).
void FullScreenOnTop(ResultRecord*, int argc, ArgRecord* args) {
  const ArgRecord* on = OptionalArg(argc, args, 0);
  if (g_screen == nullptr || on == nullptr) return;
  const HWND hwnd = g_screen->hwnd;
  constexpr UINT kKeep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  if (on->lo != 0) {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, kKeep);
    return;
  }
  const HWND front = GetForegroundWindow();
  DWORD pid = 0;
  if (front != nullptr) GetWindowThreadProcessId(front, &pid);
  if (front != nullptr && front != hwnd && pid != GetCurrentProcessId() &&
      !(GetWindowLongW(front, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    // One move: placed after a window that is not topmost, it is no longer topmost either.
    // Lowered out of the topmost band first, Wine's X11 desktop at times stacked it back on top
    // of the foreground program afterwards.
    SetWindowPos(hwnd, front, 0, 0, 0, 0, kKeep);
  } else {
    SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, kKeep);
  }
}

}  // namespace rc
