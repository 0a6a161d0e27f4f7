// Declares itself DPI aware, dresses a window in the skin Mint (a title bar of one colour a row,
// rounded caption buttons, a frame line) and reads off the screen the title bar's height below
// the frame, the close button's box and the frame line's width. Prints "dpi=N caption=N
// close=WxH line=N".
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/source_root.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  auto set_context = reinterpret_cast<BOOL(WINAPI*)(HANDLE)>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext")));
  if (!set_context || !set_context(reinterpret_cast<HANDLE>(-4))) SetProcessDPIAware();
  char path[MAX_PATH];
  std::string dir(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  dir.erase(dir.find_last_of("\\/") + 1);
  std::vector<uint8_t> skin;
  if (FILE* f = std::fopen(rc::test::SourcePath("skin/skins/05.she").c_str(), "rb")) {
    for (int c; (c = std::fgetc(f)) != EOF;) skin.push_back(uint8_t(c));
    std::fclose(f);
  }
  HMODULE library = LoadLibraryA((dir + "SkinH_EL.dll").c_str());
  auto attach = reinterpret_cast<int(WINAPI*)(const uint8_t*, int, const char*, int, int, int)>(
      reinterpret_cast<void*>(GetProcAddress(library, "SkinH_AttachRes")));
  if (!attach || skin.empty()) return 2;

  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.lpszClassName = L"SkinDpiProbe";
  RegisterClassW(&wc);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  HWND top = CreateWindowExW(0, wc.lpszClassName, L"Probe", WS_OVERLAPPEDWINDOW, 0, 0,
                             MulDiv(320, dpi, 96), MulDiv(200, dpi, 96), nullptr, nullptr, instance,
                             nullptr);
  attach(skin.data(), int(skin.size()), "", 0, 0, 0);
  ShowWindow(top, SW_SHOW);
  for (DWORD start = GetTickCount(); GetTickCount() - start < 400; Sleep(5)) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  RECT w, c;
  GetWindowRect(top, &w);
  GetClientRect(top, &c);
  MapWindowPoints(top, nullptr, reinterpret_cast<POINT*>(&c), 2);
  auto at = [&](int x, int y) { return GetPixel(screen, w.left + x, w.top + y); };
  const int edge = c.left - w.left, caption = c.top - w.top - edge, mid = edge + caption / 2;
  // Along the title's middle from the right: the frame line, the band, the close button's box
  // (its glyph is not the band's colour either), the band again. A band's colour is one a row.
  auto band = [&](int x, int y) { return at(x, y) == at((w.right - w.left) / 4, y); };
  int x = w.right - w.left - 1;
  while (x > 0 && !band(x, mid)) --x;
  while (x > 0 && band(x, mid)) --x;
  const int right = x;
  while (x > 0 && !band(x, mid)) --x;
  const int close_w = right - x, column = x + 1 + close_w / 4;  // clear of glyph and corners
  int y0 = mid, y1 = mid;
  while (y0 > edge && !band(column, y0 - 1)) --y0;
  while (y1 < edge + caption - 1 && !band(column, y1 + 1)) ++y1;
  int line = 0;
  while (at(line, mid + caption) == at(0, mid + caption)) ++line;
  std::printf("dpi=%d caption=%d close=%dx%d line=%d\n", dpi, caption, close_w, y1 - y0 + 1, line);
  ReleaseDC(nullptr, screen);
  DestroyWindow(top);
  return 0;
}
