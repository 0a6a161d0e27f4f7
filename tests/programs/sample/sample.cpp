// Usage: sample.exe [exit code] [--exit-now]
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

int g_exit_code = 7;

std::wstring Wide(const char* gbk) {
  int n = MultiByteToWideChar(936, 0, gbk, -1, nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(936, 0, gbk, -1, &w[0], n);
  w.resize(n > 0 ? n - 1 : 0);
  return w;
}

LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      CreateWindowExW(0, L"BUTTON", Wide("显示消息").c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON,
                      20, 20, 120, 30, hwnd, reinterpret_cast<HMENU>(100), nullptr, nullptr);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wp) == 100)
        MessageBoxW(hwnd, Wide("你好，世界！").c_str(), Wide("样例标题").c_str(), MB_OK | MB_ICONINFORMATION);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(g_exit_code);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmd, int show) {
  char* end = nullptr;
  long code = std::strtol(cmd, &end, 10);
  if (end != cmd) g_exit_code = int(code);
  if (std::string(end ? end : "").find("--exit-now") != std::string::npos) return g_exit_code;

  WNDCLASSW wc{};
  wc.lpfnWndProc = WndProc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = L"HarnessSample";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, Wide("样例窗口").c_str(), WS_OVERLAPPEDWINDOW, 100,
                              100, 320, 200, nullptr, nullptr, inst, nullptr);
  ShowWindow(hwnd, show);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return int(msg.wParam);
}
