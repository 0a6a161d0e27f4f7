// Applies the 33 shipped skins 500 times over (an empty skin every 50th time) to a window with
// every control kind, then compares free GDI handle slots and window properties with what they
// were before. GetGuiResources tells nothing under Wine, so free slots are counted by making
// brushes until the table is full. Prints one line; exit code 0 when nothing was left behind.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/source_root.h"

namespace {

using AttachFn = int(WINAPI*)(const uint8_t*, int, const char*, int, int, int);

std::vector<uint8_t> SkinFile(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "skin/skins/%02d.she", number);
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(rc::test::SourcePath(name).c_str(), "rb")) {
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
      bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

int FreeGdiSlots() {
  std::vector<HBRUSH> made;
  made.reserve(70000);
  while (made.size() < 70000) {
    HBRUSH b = CreateSolidBrush(RGB(1, 2, 3));
    if (!b) break;
    made.push_back(b);
  }
  for (HBRUSH b : made) DeleteObject(b);
  return int(made.size());
}

BOOL CALLBACK CountProp(HWND, LPWSTR, HANDLE, ULONG_PTR n) {
  ++*reinterpret_cast<int*>(n);
  return TRUE;
}
BOOL CALLBACK CountChildProps(HWND hwnd, LPARAM n) {
  EnumPropsExW(hwnd, CountProp, n);
  return TRUE;
}
int WindowProperties(HWND top) {
  int n = 0;
  EnumPropsExW(top, CountProp, reinterpret_cast<LPARAM>(&n));
  EnumChildWindows(top, CountChildProps, reinterpret_cast<LPARAM>(&n));
  return n;
}

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

HWND MakeWindow() {
  INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&icc);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"SkinSoakWindow";
  RegisterClassW(&wc);
  HWND top = CreateWindowExW(0, wc.lpszClassName, L"皮肤 soak", WS_OVERLAPPEDWINDOW, 80, 80, 360,
                             260, nullptr, nullptr, wc.hInstance, nullptr);
  const struct {
    const wchar_t* cls;
    DWORD style;
    DWORD ex;
    RECT r;
  } kChildren[] = {
      {L"BUTTON", BS_PUSHBUTTON, 0, {10, 10, 100, 30}},
      {L"BUTTON", BS_AUTORADIOBUTTON, 0, {10, 50, 100, 20}},
      {L"BUTTON", BS_GROUPBOX, 0, {120, 10, 120, 80}},
      {L"EDIT", 0, WS_EX_CLIENTEDGE, {10, 100, 80, 24}},
      {UPDOWN_CLASSW, UDS_ALIGNRIGHT, 0, {90, 100, 16, 24}},
      {L"SCROLLBAR", SBS_VERT, 0, {300, 10, 18, 150}},
      {PROGRESS_CLASSW, PBS_SMOOTH, WS_EX_CLIENTEDGE, {10, 140, 200, 20}},
  };
  for (const auto& c : kChildren) {
    CreateWindowExW(c.ex, c.cls, L"30", WS_CHILD | WS_VISIBLE | c.style, c.r.left, c.r.top,
                    c.r.right, c.r.bottom, top, nullptr, wc.hInstance, nullptr);
  }
  ShowWindow(top, SW_SHOW);
  UpdateWindow(top);
  return top;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  HMODULE dll = LoadLibraryW(L"SkinH_EL.dll");
  auto attach = dll ? reinterpret_cast<AttachFn>(
                          reinterpret_cast<void*>(GetProcAddress(dll, "SkinH_AttachRes")))
                    : nullptr;
  std::vector<std::vector<uint8_t>> skins;
  for (int i = 1; i <= 33; ++i) skins.push_back(SkinFile(i));
  if (!attach || skins.back().empty()) {
    std::printf("skin soak: no library or no skins\n");
    return 2;
  }
  HWND top = MakeWindow();
  Pump();
  // The first applications fill caches of the window system; counting starts after them.
  for (int i = 0; i < 3; ++i) {
    attach(skins[size_t(i)].data(), int(skins[size_t(i)].size()), "", 0, 0, 0);
    Pump();
  }
  attach(nullptr, 0, "", 0, 0, 0);
  Pump();
  const int props_before = WindowProperties(top);
  const int before = FreeGdiSlots();
  const DWORD start = GetTickCount();
  for (int i = 0; i < 500; ++i) {
    if (i % 50 == 49) {
      attach(nullptr, 0, "", 0, 0, 0);
    } else {
      const std::vector<uint8_t>& s = skins[size_t(i % 33)];
      attach(s.data(), int(s.size()), "", 0, 0, 0);
    }
    Pump();
  }
  attach(nullptr, 0, "", 0, 0, 0);
  Pump();
  const DWORD took = GetTickCount() - start;
  const int after = FreeGdiSlots();
  const int props_after = WindowProperties(top);
  std::printf(
      "skin soak: 500 changes in %lu ms; free GDI slots %d before, %d after; "
      "window properties %d before, %d after\n",
      took, before, after, props_before, props_after);
  std::fflush(stdout);
  DestroyWindow(top);
  return before == after && props_before == props_after ? 0 : 1;
}
