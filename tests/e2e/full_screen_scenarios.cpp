// The name full screen on the real program: a double click on the name display opens a window
// over the whole monitor showing the display's text at the size the longest name of a class of
// 40 fits; touches there start and stop the names with the guard of the big button; with the
// answer timer on its seconds show in a corner and the time-out box comes over it; Esc brings
// the main window back as it would have been.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";
constexpr char kLongest[] = "欧阳司马诸葛上官东方皇甫";  // 12 characters

// A class of its own in use, beside an original class of short names: the size follows the
// class whose names come up.
std::string ClassList() {
  const char* const given[] = {"张三", "李四", "王小五", "赵六", "孙七七", "周八"};
  std::string ini = "[全班人名：]\r\n1=甲\r\n2=乙\r\n[全班人名：高一(3)班]\r\n";
  for (int k = 1; k <= 40; ++k) {
    const std::string name = k == 17 ? kLongest : given[k % 6] + std::to_string(k);
    ini += std::to_string(k) + "=" + name + "\r\n";
  }
  return ini + "[广告：]\r\n内容=欢迎\r\n[Running State]\r\nFirst run=no\r\n" +
         "[点名设置：]\r\n当前班级=高一(3)班\r\n";
}

// Real mouse clicks at a point of the screen, as a finger's tap gives them. The point travels
// with each press and release: a cursor placed apart from them can be put back by a late pointer
// event of Wine's X11 desktop (the full screen mapped under the old pointer), and two taps
// meant 200 px apart then land on one spot as a double tap, which closes the full screen.
void TapAt(POINT p, int taps = 1) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  for (int i = 0; i < taps; ++i) {
    INPUT in[2] = {};
    for (INPUT& at : in) {
      at.type = INPUT_MOUSE;
      at.mi.dx = (p.x * 65536 + w - 1) / w;  // the absolute scale maps 65536 to the width
      at.mi.dy = (p.y * 65536 + h - 1) / h;
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
  }
}

POINT CentreOf(HWND w, int dx = 0) {
  RECT r;
  GetWindowRect(w, &r);
  return POINT{(r.left + r.right) / 2 + dx, (r.top + r.bottom) / 2};
}

void Key(WORD vk) {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = vk;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// The box around the pixels of a shot that differ from its corner colour, from `top` down.
RECT InkBox(const Image& shot, int top) {
  const uint32_t back = shot.at(shot.width / 2, shot.height - 1);
  RECT box = {shot.width, shot.height, -1, -1};
  for (int y = top; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      if (Near(shot.at(x, y), back, 40)) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  return box;
}

void Tick(HWND timer) {
  DWORD_PTR done = 0;
  SendMessageTimeoutW(timer, WM_TIMER, 1, 0, SMTO_ABORTIFHUNG, 2000, &done);
}

TEST(FullScreen, NameOverTheMonitorTouchedAndClosed) {
  TempDir dir;
  dir.Write("dede.ini", ClassList());
  Process proc(dir, "rollcall.exe");
  HWND window = proc.WaitWindow(kTitle, 20000);
  ASSERT_NE(window, nullptr);
  // Units at their places times the display's scale: the picture is taken at every scale.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  auto at = [dpi](HWND parent, const char* cls, int x, int y) {
    return FindChildAt(parent, cls, MulDiv(x, dpi, 96), MulDiv(y, dpi, 96));
  };
  HWND names = at(window, "Button", 8, 8);
  HWND panel = at(window, "Button", 592, 8);
  HWND answer = at(panel, "Button", 8, 136);
  HWND display = at(names, "TransLabel", 8, 16);
  HWND button = at(window, "Button", 8, 168);
  HWND timer_switch = at(panel, "Button", 8, 16);
  HWND countdown = at(answer, "RollcallTimer", 112, 72);
  ASSERT_TRUE(display && button && timer_switch && countdown);
  Click(timer_switch);  // the answer timer on
  // A double click as the window system makes it of two quick presses.
  PostMessageW(display, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
  PostMessageW(display, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
  PostMessageW(display, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 60));
  PostMessageW(display, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
  HWND full = proc.WaitWindowByClass("RollcallFullScreen", 5000);
  ASSERT_NE(full, nullptr) << "a double click on the name display opens the full screen";
  RECT r;
  GetWindowRect(full, &r);
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == w && r.bottom == h)
      << "it covers the monitor: " << r.left << "," << r.top << " " << r.right << "x" << r.bottom;
  wchar_t longest[32] = {};
  MultiByteToWideChar(936, 0, kLongest, -1, longest, 32);
  SetWindowTextW(display, longest);  // the longest name called after the opening
  ::Sleep(300);
  const Image shot = ClientShot(full);
  // The README's pictures, one per display scaling the run had.
  if (!Env("ROLLCALL_SCREENSHOT_DIR").empty()) {
    SavePng(shot, EnvPath("ROLLCALL_SCREENSHOT_DIR") + "\\full_screen_" + std::to_string(dpi) +
                      "dpi.png");
  }
  const RECT ink = InkBox(shot, h / 10);  // below the corner marks
  printf("longest name's ink %ld,%ld-%ld,%ld on %dx%d\n", ink.left, ink.top, ink.right, ink.bottom,
         w, h);
  EXPECT_TRUE(ink.left > 0 && ink.right < w && ink.bottom < h) << "the name lies inside";
  EXPECT_GE((ink.right - ink.left) * 100, 80 * w) << "the longest name spans most of the width";
  EXPECT_GE((ink.bottom - ink.top) * 100, 7 * h) << "in one line of large letters";

  TapAt(CentreOf(full, -100));
  EXPECT_TRUE(WaitUntil([&] { return WindowText(button) == kStop; }))
      << "a tap there is a touch of 按钮1: the names cycle";
  TapAt(CentreOf(full, 100));
  ::Sleep(300);
  EXPECT_EQ(WindowText(button), kStop) << "a second tap within 750 ms does nothing";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != 0; }));
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == full; }, 2000))
      << "the full screen has the keyboard";
  Key(VK_SPACE);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(button) == kStart; })) << "Space stops them";
  const std::string called = WindowText(display);
  Tick(countdown);
  ::Sleep(200);
  const Image counting = ClientShot(full);
  EXPECT_GT(InkBox(counting, 0).top, -1);
  const RECT corner = InkBox(counting, 0);
  EXPECT_LT(corner.top, h / 10) << "the answer seconds show in a corner";
  for (int i = 0; i < 70 && !proc.HasMessageBox(); ++i) Tick(countdown);
  MessageBoxInfo box = proc.WaitMessageBox(3000);
  ASSERT_TRUE(box) << "the time-out box comes";
  bool over = false;
  for (HWND z = GetWindow(full, GW_HWNDPREV); z != nullptr; z = GetWindow(z, GW_HWNDPREV)) {
    over = over || z == box.hwnd;
  }
  EXPECT_TRUE(over) << "over the full screen";
  Answer(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(button) == kStop; })) << "the names cycle again";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) != 0; }));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == full; }, 2000))
      << "and has it again once the box is gone";
  Key(VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(button) == kStart; })) << "Enter stops them";
  Key(VK_ESCAPE);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(full); })) << "Esc closes the full screen";
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(WindowText(button), kStart) << "the main window as it would have been";
  EXPECT_FALSE(called.empty());
}

}  // namespace
