// The DPI windows are drawn at. GetDpiForWindow is there from Windows 10 (1607) on and looked
// up when first needed; before, a window is drawn at the system's DPI, which a DPI-aware
// process is told and an unaware one sees as 96.
#include "skin/library/library.h"

namespace skinlib {

namespace {

struct Dpi {
  bool looked_up;
  UINT(WINAPI* for_window)(HWND);
  int system;  // 0 until asked
};
Dpi g_dpi;

}  // namespace

int SystemDpi() {
  if (g_dpi.system == 0) {
    HDC screen = GetDC(nullptr);
    const int d = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    g_dpi.system = d > 0 ? d : 96;
  }
  return g_dpi.system;
}

int WindowDpi(HWND hwnd) {
  if (!g_dpi.looked_up) {
    g_dpi.looked_up = true;
    g_dpi.for_window = reinterpret_cast<UINT(WINAPI*)(HWND)>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  }
  if (g_dpi.for_window && hwnd) {
    const UINT d = g_dpi.for_window(hwnd);
    if (d > 0) return int(d);
  }
  return SystemDpi();
}

}  // namespace skinlib
