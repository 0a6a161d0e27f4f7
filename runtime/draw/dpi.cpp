#include "runtime/draw/dpi.h"

#include <utility>
#include <vector>

namespace rc::draw {

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Windows 10 1607 on; before that every window has the system's DPI.
GetDpiForWindowFn WindowDpiFunction() {
  static const auto fn = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  return fn;
}

// Top-level windows and the DPI their units are laid at. A handful of windows at most, all of
// the one UI thread.
std::vector<std::pair<HWND, int>>& LaidWindows() {
  static auto* windows = new std::vector<std::pair<HWND, int>>;
  return *windows;
}

int Valid(int dpi) {
  return dpi > 0 ? dpi : kDesignDpi;
}

}  // namespace

int ScaleEdge(int v, int dpi) {
  return dpi == kDesignDpi ? v : MulDiv(v, dpi, kDesignDpi);
}

int UnscaleEdge(int v, int dpi) {
  return dpi == kDesignDpi ? v : MulDiv(v, kDesignDpi, dpi);
}

int ScaleLength(int v, int dpi) {
  const int scaled = ScaleEdge(v, dpi);
  return v >= 1 && scaled < 1 ? 1 : scaled;
}

RECT ScaleRect(int left, int top, int width, int height, int dpi) {
  return RECT{ScaleEdge(left, dpi), ScaleEdge(top, dpi), ScaleEdge(left + width, dpi),
              ScaleEdge(top + height, dpi)};
}

LogicalRect UnscaleRect(const RECT& r, int dpi) {
  const int left = UnscaleEdge(r.left, dpi), top = UnscaleEdge(r.top, dpi);
  return {left, top, UnscaleEdge(r.right, dpi) - left, UnscaleEdge(r.bottom, dpi) - top};
}

RECT ScaleRect(int left, int top, int width, int height, int dpi, bool top_level) {
  if (!top_level) return ScaleRect(left, top, width, height, dpi);
  const int x = ScaleEdge(left, dpi), y = ScaleEdge(top, dpi);
  return RECT{x, y, x + ScaleEdge(width, dpi), y + ScaleEdge(height, dpi)};
}

LogicalRect UnscaleRect(const RECT& r, int dpi, bool top_level) {
  if (!top_level) return UnscaleRect(r, dpi);
  return {UnscaleEdge(r.left, dpi), UnscaleEdge(r.top, dpi), UnscaleEdge(r.right - r.left, dpi),
          UnscaleEdge(r.bottom - r.top, dpi)};
}

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int d = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : kDesignDpi;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    return Valid(d);
  }();
  return dpi;
}

int DpiOf(HWND hwnd) {
  HWND top = hwnd != nullptr ? GetAncestor(hwnd, GA_ROOT) : nullptr;
  if (top == nullptr) return SystemDpi();
  for (const auto& [window, dpi] : LaidWindows()) {
    if (window == top) return dpi;
  }
  GetDpiForWindowFn fn = WindowDpiFunction();
  return fn != nullptr ? Valid(int(fn(top))) : SystemDpi();
}

void SetLaidDpi(HWND top, int dpi) {
  auto& windows = LaidWindows();
  for (auto it = windows.begin(); it != windows.end(); ++it) {
    if (it->first != top) continue;
    if (dpi > 0) {
      it->second = dpi;
    } else {
      windows.erase(it);
    }
    return;
  }
  if (dpi > 0) windows.emplace_back(top, dpi);
}

}  // namespace rc::draw
