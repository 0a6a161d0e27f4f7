// Presenting to the class on the real program: the presenter's key held for the whole system
// touches the big button while another program keeps the keyboard, brings the main window above
// everything while the names cycle and sends it back behind 5 s after the stop; a key another
// program holds, or a name nobody can read, is said once at start and the program runs without
// it; without the key nothing is held; "置顶" keeps the window on top.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";

std::string ClassList(const std::string& settings) {
  std::string ini = "[全班人名：]\r\n1=张三\r\n2=李四\r\n3=王五\r\n4=赵六\r\n";
  ini += "[广告：]\r\n内容=欢迎使用岚川软件！www.example.com\r\n";
  ini += "[Running State]\r\nFirst run=no\r\n";
  if (!settings.empty()) ini += "[点名设置：]\r\n" + settings;
  return ini;
}

bool Topmost(HWND w) {
  return (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// True when `lower` lies below `upper` in the stacking order.
bool Below(HWND lower, HWND upper) {
  for (HWND w = GetWindow(upper, GW_HWNDNEXT); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == lower) return true;
  }
  return false;
}

void PressF9() {
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = VK_F9;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
}

// Another program that has the keyboard, as a slideshow would: Wine's own notepad.
struct Slideshow {
  PROCESS_INFORMATION pi{};
  HWND window = nullptr;
  Slideshow() {
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    char cmd[] = "notepad.exe";
    if (!CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      return;
    }
    WaitForInputIdle(pi.hProcess, 10000);
    WaitUntil([&] { return (window = FindWindowW(L"Notepad", nullptr)) != nullptr; }, 10000);
  }
  ~Slideshow() {
    if (pi.hProcess == nullptr) return;
    TerminateProcess(pi.hProcess, 0);
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
  bool HasKeyboard() const { return GetForegroundWindow() == window; }
};

struct Program {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND window = nullptr, button = nullptr;
  explicit Program(const std::string& ini, bool expect_box = false,
                   std::string* box_text = nullptr) {
    dir.Write("dede.ini", ini);
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    if (expect_box) {
      MessageBoxInfo box = proc->WaitMessageBox(20000);
      if (box_text != nullptr) *box_text = box.text;
      if (box) Answer(box, IDOK);
    }
    window = proc->WaitWindow(kTitle, 20000);
    if (window != nullptr) button = FindChildAt(window, "Button", 8, 168);
  }
  std::string Caption() const { return WindowText(button); }
  bool Shows(const char* caption, DWORD ms = 3000) const {
    return WaitUntil([&] { return Caption() == caption; }, ms);
  }
};

TEST(Presenter, KeyTouchesTheButtonWhileTheSlideshowKeepsTheKeyboard) {
  Program p(ClassList("快捷键=F9\r\n"));
  ASSERT_TRUE(p.window && p.button);
  ASSERT_FALSE(p.proc->HasMessageBox()) << "a key the program could hold is said nowhere";
  ASSERT_FALSE(Topmost(p.window)) << "without 置顶 the window starts as ever";
  Slideshow show;
  ASSERT_NE(show.window, nullptr);
  SetForegroundWindow(show.window);
  ASSERT_TRUE(WaitUntil([&] { return show.HasKeyboard(); }));

  PressF9();
  ASSERT_TRUE(p.Shows(kStop)) << "the key starts the names as a touch of 按钮1 does";
  EXPECT_TRUE(WaitUntil([&] { return Topmost(p.window); }, 300))
      << "the main window is above all windows while the names cycle";
  PressF9();
  ::Sleep(300);
  EXPECT_EQ(p.Caption(), kStop) << "a press within 750 ms of the start does nothing";
  EXPECT_TRUE(show.HasKeyboard()) << "the slideshow keeps the keyboard";
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(p.button) != 0; }));
  PressF9();
  ASSERT_TRUE(p.Shows(kStart)) << "the next press stops the names";
  const DWORD stopped = GetTickCount();
  EXPECT_TRUE(show.HasKeyboard());
  ::Sleep(4500 - (GetTickCount() - stopped));
  EXPECT_TRUE(Topmost(p.window)) << "on top until 5 s after the stop";
  EXPECT_TRUE(WaitUntil([&] { return !Topmost(p.window); }, 1500))
      << "and no longer after those 5 s";
  // Out of the topmost band first, then behind the foreground program: two steps the test may
  // look between.
  EXPECT_TRUE(WaitUntil([&] { return Below(p.window, show.window); }, 1000))
      << "back behind the slideshow, as before";
  EXPECT_TRUE(show.HasKeyboard()) << "which kept the keyboard throughout";

  // With the name full screen open it is the full screen that comes above the slideshow. The
  // teacher opens it on the main window, which has the keyboard then, and goes back to the
  // slides once it has opened (it takes the keyboard as it opens).
  SetForegroundWindow(p.window);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == p.window; }));
  HWND display = FindChildAt(FindChildAt(p.window, "Button", 8, 8), "TransLabel", 8, 16);
  PostMessageW(display, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 60));
  PostMessageW(display, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
  PostMessageW(display, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 60));
  PostMessageW(display, WM_LBUTTONUP, 0, MAKELPARAM(100, 60));
  HWND full = p.proc->WaitWindowByClass("RollcallFullScreen", 5000);
  ASSERT_NE(full, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == full; }, 2000))
      << "the full screen takes the keyboard as it opens";
  SetForegroundWindow(show.window);
  ASSERT_TRUE(WaitUntil([&] { return show.HasKeyboard(); }));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(p.button) != 0; }));
  PressF9();
  ASSERT_TRUE(p.Shows(kStop));
  EXPECT_TRUE(WaitUntil([&] { return Topmost(full) && Below(show.window, full); }, 1000))
      << "the full screen above the slideshow while the names cycle";
  EXPECT_FALSE(Topmost(p.window));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(p.button) != 0; }));
  PressF9();
  ASSERT_TRUE(p.Shows(kStart));
  EXPECT_TRUE(show.HasKeyboard());
  EXPECT_TRUE(WaitUntil([&] { return !Topmost(full) && Below(full, show.window); }, 7000))
      << "and back behind it after the stop";
  PostMessageW(full, WM_KEYDOWN, VK_ESCAPE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(full); }));
  SetForegroundWindow(p.window);
  p.dir.Write("dede.ini", ClassList(""));
  ::Sleep(2000);
  PressF9();
  ::Sleep(1000);
  EXPECT_EQ(p.Caption(), kStart) << "the key is let go once the file no longer names it";
}

TEST(Presenter, WithoutTheKeyNothingIsHeld) {
  Program p(ClassList(""));
  ASSERT_TRUE(p.window && p.button);
  // A key nobody holds comes to whoever has the keyboard: the program, at the front.
  SetForegroundWindow(p.window);
  PressF9();
  ::Sleep(1000);
  EXPECT_EQ(p.Caption(), kStart) << "without 快捷键, F9 does nothing";
  EXPECT_FALSE(Topmost(p.window));
  EXPECT_FALSE(p.proc->HasMessageBox());
}

TEST(Presenter, OnTopIsKeptAndFollowsTheFile) {
  Program p(ClassList("置顶=是\r\n"));
  ASSERT_TRUE(p.window);
  EXPECT_TRUE(WaitUntil([&] { return Topmost(p.window); }, 2000)) << "置顶=是 keeps it on top";
  p.dir.Write("dede.ini", ClassList("置顶=0\r\n"));
  EXPECT_TRUE(WaitUntil([&] { return !Topmost(p.window); }, 3000))
      << "an edit of 置顶 takes effect without a restart";
  p.dir.Write("dede.ini", ClassList("置顶=1\r\n"));
  EXPECT_TRUE(WaitUntil([&] { return Topmost(p.window); }, 3000)) << "and back";
}

TEST(Presenter, AKeyThatCannotBeHeldIsSaidOnceAtStart) {
  // The test itself holds F9, as another program would.
  ASSERT_TRUE(RegisterHotKey(nullptr, 1, 0, VK_F9));
  std::string said;
  {
    Program p(ClassList("快捷键=F9\r\n"), true, &said);
    EXPECT_NE(said.find("F9"), std::string::npos) << "the box names the key: " << said;
    EXPECT_NE(said.find("占用"), std::string::npos) << "and says it is taken: " << said;
    ASSERT_TRUE(p.window && p.button) << "the program runs";
    ::Sleep(2500);
    EXPECT_FALSE(p.proc->HasMessageBox()) << "said once, not at every reading of the file";
    Click(p.button);
    EXPECT_TRUE(p.Shows(kStop)) << "and its button works";
  }
  UnregisterHotKey(nullptr, 1);
  Program p(ClassList("快捷键=Ctrl+Q+W\r\n"), true, &said);
  EXPECT_NE(said.find("Ctrl+Q+W"), std::string::npos) << "an unreadable name is said: " << said;
  EXPECT_TRUE(p.window != nullptr) << "and the program runs";
}

}  // namespace
