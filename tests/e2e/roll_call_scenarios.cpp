// The roll call on the real program: the class list counted up to its first gap at every touch,
// the name cycle sampled from the display, the fast-touch guard against real mouse clicks, the
// answer countdown stepped through its timer's own messages, and the main window's pictures.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";
constexpr char kSwitchOff[] = "计时器已关闭！";
constexpr char kSwitchOn[] = "计时器已启动！";
constexpr char kBanner[] = "[广告：]\r\n内容=欢迎使用岚川软件！www.example.com\r\n";
constexpr char kSeen[] = "[Running State]\r\nFirst run=no\r\n";

// A class list as a teacher writes it, keys from 1 on; an empty name leaves the key empty.
std::string ClassList(const std::vector<std::string>& names) {
  std::string ini = "[全班人名：]\r\n";
  for (size_t k = 0; k < names.size(); ++k) {
    ini += std::to_string(k + 1) + "=" + names[k] + "\r\n";
  }
  return ini + kBanner + kSeen;
}

LRESULT Ask(HWND control, UINT msg, WPARAM wp = 0) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(control, msg, wp, 0, SMTO_ABORTIFHUNG, 2000, &result);
  return LRESULT(result);
}

// The program in a fresh folder with a class list, its main window shown and its units found
// where the form puts them.
struct RollCall {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND window = nullptr;
  HWND display = nullptr, number = nullptr, button = nullptr;  // 透明标签1, 标签_随机, 按钮1
  HWND timer_switch = nullptr, switch_state = nullptr;         // 按钮2, 透明标签2
  HWND limit15 = nullptr, seconds = nullptr, bar = nullptr;  // 单选框1, 透明标签4, 进度条1
  HWND cycle = nullptr, countdown = nullptr;                 // 时钟1, 时钟4

  explicit RollCall(const std::string& ini) {
    dir.Write("dede.ini", ini);
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    window = proc->WaitWindow(kTitle, 20000);
    if (window == nullptr) return;
    HWND names = FindChildAt(window, "Button", 8, 8);
    HWND panel = FindChildAt(window, "Button", 592, 8);
    HWND answer = FindChildAt(panel, "Button", 8, 136);
    display = FindChildAt(names, "TransLabel", 8, 16);
    number = FindChildAt(names, "Label", 472, 104);
    button = FindChildAt(window, "Button", 8, 168);
    timer_switch = FindChildAt(panel, "Button", 8, 16);
    switch_state = FindChildAt(panel, "TransLabel", 8, 40);
    limit15 = FindChildAt(panel, "Button", 8, 80);
    bar = FindChildAt(panel, "msctls_progress32", 8, 256);
    seconds = FindChildAt(answer, "TransLabel", 8, 16);
    cycle = FindChildAt(names, "RollcallTimer", 520, 8);
    countdown = FindChildAt(answer, "RollcallTimer", 112, 72);
  }
  bool found() const {
    return display && number && button && timer_switch && switch_state && limit15 && bar &&
           seconds && cycle && countdown;
  }

  std::string Name() const { return ChangingText(display); }
  // The seconds display and the bar as "seconds position/maximum".
  std::string Answer() const {
    return WindowText(seconds) + " " + std::to_string(Ask(bar, PBM_GETPOS)) + "/" +
           std::to_string(Ask(bar, PBM_GETRANGE, FALSE));
  }
  bool Shows(HWND unit, const std::string& text, DWORD timeout = 3000) const {
    return WaitUntil([&] { return WindowText(unit) == text; }, timeout);
  }
  // The names the display shows over a while, sampled faster than the cycle changes them.
  std::set<std::string> NamesShown(DWORD ms) const {
    std::set<std::string> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
      seen.insert(Name());
      ::Sleep(5);
    }
    return seen;
  }

  // A touch of the big button, as the mouse gives it: a disabled button takes none. Each lands
  // somewhere else on the button, as a finger's would: two at one spot within the system's
  // double-click time make a double click, which a button does not take as a second click.
  void Touch() const {
    SetForegroundWindow(window);
    RECT r;
    GetWindowRect(button, &r);
    const int spot = touches_++ % 5 - 2;
    SetCursorPos((r.left + r.right) / 2 + spot * 40, (r.top + r.bottom) / 2);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
  }
  // Touches the button once it takes touches again; the milliseconds it stayed locked after
  // the caption changed to `caption`.
  DWORD TouchFor(const char* caption) const {
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    Touch();
    if (!Shows(button, caption, 5000)) return 0;
    const DWORD changed = GetTickCount();
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    return GetTickCount() - changed;
  }

  // A touch that brings a box: the box, left open.
  MessageBoxInfo TouchForBox() const {
    // A touch while the guard still locks the button would do nothing.
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    Touch();
    return proc->WaitMessageBox();
  }

  // The box the program shows next, answered: "text | caption".
  std::string NextBox(DWORD timeout = 5000) const {
    MessageBoxInfo box = proc->WaitMessageBox(timeout);
    if (!box) return "(no box)";
    const bool ok_only = box.buttons == std::vector<int>{IDOK};
    harness::Answer(box, IDOK);
    WaitUntil([&] { return !IsWindow(box.hwnd); });
    return box.text + " | " + box.caption + (ok_only ? "" : " (not OK alone)");
  }

  mutable int touches_ = 0;

  bool Ends() const {
    Close(window);
    DWORD code = 1;
    return proc->WaitExit(10000, &code) && code == 0;
  }
};

// Pixels near a colour inside a unit, in a shot of its whole window.
int Pixels(const Image& shot, HWND window, HWND unit, uint32_t colour, int tolerance = 40) {
  RECT w, u;
  GetWindowRect(window, &w);
  GetWindowRect(unit, &u);
  return CountNear(shot, u.left - w.left, u.top - w.top, u.right - w.left, u.bottom - w.top, colour,
                   tolerance);
}

// The colours of the form: names blue, banner navy, clock purple, the button's caption black.
const uint32_t kBlue = Rgb(0, 0, 255), kNavy = Rgb(0, 0, 128), kPurple = Rgb(128, 0, 128);
const uint32_t kBlack = Rgb(0, 0, 0);

TEST(RollCallScenario, OnlyTheNamesBeforeTheFirstGapComeUp) {
  RollCall app(ClassList({""}));
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  EXPECT_EQ(app.Name(), "→ _ ←");
  EXPECT_EQ(WindowText(app.number), "-=-");
  EXPECT_EQ(WindowText(app.button), kStart);
  EXPECT_EQ(app.Answer(), "60 0/60");
  // No names: the rule, and nothing else.
  app.TouchForBox();
  EXPECT_EQ(app.NextBox(),
            "您还没有加入人名（人名和人名之间不能有空缺，否则空缺以下的人名单不会随机点到。） | "
            "程序规则说明：");
  EXPECT_EQ(WindowText(app.button), kStart);
  EXPECT_TRUE(IsWindowEnabled(app.button)) << "no guard after a box";

  // The banner comes in from the right: the picture waits for it.
  HWND banner = FindChildAt(app.window, "Button", 80, 336);
  HWND scroll = FindChild(banner, "TransLabel");
  HWND clock = FindChildAt(FindChildAt(app.window, "Button", 336, 336), "Label", 2, 8);
  EXPECT_TRUE(WaitUntil([&] { return LeftInParent(scroll) <= 4; }, 6000));
  // The banner repaints what lies behind it before its text at every move: a shot may come
  // in between.
  Image idle;
  for (int i = 0; i < 3 && Pixels(idle, app.window, banner, kNavy) <= 100; ++i) {
    idle = Screenshot(app.window);
  }
  SaveForReadme(idle, "main_idle.png");
  const int arrows = Pixels(idle, app.window, app.display, kBlue);
  EXPECT_GT(arrows, 1000) << "the blue arrows";
  EXPECT_LT(arrows, 4000);
  EXPECT_GT(Pixels(idle, app.window, app.button, kBlack, 60), 3000) << "the big caption";
  EXPECT_GT(Pixels(idle, app.window, banner, kNavy), 100) << "the banner's text";
  EXPECT_GT(Pixels(idle, app.window, clock, kPurple), 100) << "the clock's text";

  // One name before a blank one: it is shown without a cycle.
  app.dir.Write("dede.ini", ClassList({"张三", " ", "王五"}));
  app.TouchForBox();
  EXPECT_EQ(app.NextBox(), "只发现了一个名单 | 提示：");
  EXPECT_TRUE(app.Shows(app.display, "张三"));
  harness::Sleep(200);
  EXPECT_EQ(WindowText(app.number), "-=-") << "no cycle ran";
  EXPECT_EQ(WindowText(app.button), kStart);

  // Three names, a gap, more names: only the three ever come up.
  app.dir.Write("dede.ini", ClassList({"张三", "李四", "王五", "", "赵六", "孙七"}));
  const DWORD start_lock = app.TouchFor(kStop);
  EXPECT_GE(start_lock, 700u) << "locked for 750 ms after a start";
  EXPECT_LE(start_lock, 1500u);
  const std::set<std::string> three = app.NamesShown(1500);
  EXPECT_EQ(three, (std::set<std::string>{"张三", "李四", "王五"}));
  const Image cycling = Screenshot(app.window);
  SaveForReadme(cycling, "main_cycling.png");
  EXPECT_GT(Pixels(cycling, app.window, app.display, kBlue), arrows + 1000) << "a name";

  // A stop keeps the name the last tick put up, the one the hidden number names; with the
  // answer timer off (as at start) the seconds stay put.
  const DWORD stop_lock = app.TouchFor(kStart);
  EXPECT_GE(stop_lock, 200u) << "locked for 250 ms after a stop";
  EXPECT_LE(stop_lock, 1000u);
  const std::string called = app.Name();
  const char* const keys[] = {"张三", "李四", "王五"};
  const int n = atoi(WindowText(app.number).c_str());
  ASSERT_TRUE(n >= 1 && n <= 3) << WindowText(app.number);
  EXPECT_EQ(called, keys[n - 1]);
  EXPECT_FALSE(IsWindowEnabled(app.timer_switch)) << "no switching while answering";
  const Image stopped = Screenshot(app.window);
  SaveForReadme(stopped, "main_stopped.png");
  const int name_pixels = Pixels(stopped, app.window, app.display, kBlue);
  EXPECT_GT(name_pixels, arrows + 1000);
  harness::Sleep(1300);
  EXPECT_EQ(app.Name(), called);
  EXPECT_EQ(Pixels(Screenshot(app.window), app.window, app.display, kBlue, 0),
            Pixels(stopped, app.window, app.display, kBlue, 0))
      << "the same picture of the name a while later";
  EXPECT_EQ(app.Answer(), "60 0/60") << "the switch is off: no countdown";

  // A second touch right after a start or a stop is not taken.
  app.Touch();
  ASSERT_TRUE(app.Shows(app.button, kStop));
  app.Touch();
  harness::Sleep(900);
  EXPECT_EQ(WindowText(app.button), kStop) << "the touch right after a start";
  EXPECT_GT(app.NamesShown(300).size(), 1u) << "still cycling";
  app.Touch();
  ASSERT_TRUE(app.Shows(app.button, kStart));
  app.Touch();
  const std::string kept = app.Name();
  harness::Sleep(500);
  EXPECT_EQ(WindowText(app.button), kStart) << "the touch right after a stop";
  EXPECT_EQ(app.Name(), kept);

  // All fifty: the fiftieth comes up too. A tick of the cycle's timer sent to it is one more
  // pick at once.
  std::vector<std::string> fifty;
  for (int k = 1; k <= 50; ++k) fifty.push_back("学生" + std::to_string(k));
  app.dir.Write("dede.ini", ClassList(fifty));
  app.TouchFor(kStop);
  std::set<std::string> seen;
  for (int i = 0; i < 1000 && seen.count("学生50") == 0; ++i) {
    DWORD_PTR done = 0;
    SendMessageTimeoutW(app.cycle, WM_TIMER, 1, 0, SMTO_ABORTIFHUNG, 2000, &done);
    seen.insert(app.Name());
  }
  EXPECT_EQ(seen.count("学生50"), 1u);
  for (const std::string& name : seen) {
    EXPECT_TRUE(std::find(fifty.begin(), fifty.end(), name) != fifty.end()) << name;
  }

  // The file emptied while the names cycle: the touch finds no names and the cycle goes on.
  app.dir.Write("dede.ini", "");
  MessageBoxInfo box = app.TouchForBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box.caption, "程序规则说明：");
  std::set<std::string> numbers;
  WaitUntil([&] {
    numbers.insert(ChangingText(app.number));
    return numbers.size() > 3;
  });
  EXPECT_GT(numbers.size(), 3u) << "the cycle runs behind the box";
  EXPECT_EQ(app.Name(), "") << "what the emptied keys hold";
  harness::Answer(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box.hwnd); }));
  EXPECT_EQ(WindowText(app.button), kStop);
  EXPECT_TRUE(app.Ends());
}

TEST(RollCallScenario, TheAnswerTimerCountsDownOnlyWhileSwitchedOn) {
  RollCall app(ClassList({"甲", "乙"}));
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  EXPECT_EQ(WindowText(app.switch_state), kSwitchOff);
  Click(app.timer_switch);  // the panel is hidden: the button takes its click all the same
  EXPECT_TRUE(app.Shows(app.switch_state, kSwitchOn));

  // A stop starts the countdown at the chosen limit, one second a tick.
  app.TouchFor(kStop);
  app.TouchFor(kStart);
  EXPECT_EQ(app.Answer(), "60 0/60");
  ASSERT_TRUE(app.Shows(app.seconds, "59", 2000));
  const DWORD first = GetTickCount();
  EXPECT_EQ(app.Answer(), "59 1/60");
  ASSERT_TRUE(app.Shows(app.seconds, "58", 2000));
  const DWORD period = GetTickCount() - first;
  EXPECT_GE(period, 850u);
  EXPECT_LE(period, 1500u);
  EXPECT_EQ(app.Answer(), "58 2/60");

  // Another limit while it runs: display and bar start again from it. The next real tick is a
  // second away; the fifteen ticks to "0" are the timer's own messages, posted at once, which
  // come before any real one.
  Click(app.limit15);
  EXPECT_TRUE(app.Shows(app.seconds, "15"));
  EXPECT_EQ(app.Answer(), "15 0/15");
  PostMessageW(app.countdown, WM_TIMER, 1, 0);
  EXPECT_TRUE(app.Shows(app.seconds, "14"));
  EXPECT_EQ(app.Answer(), "14 1/15");
  for (int i = 0; i < 14; ++i) PostMessageW(app.countdown, WM_TIMER, 1, 0);
  EXPECT_TRUE(app.Shows(app.seconds, "0"));
  const DWORD zero = GetTickCount();
  EXPECT_FALSE(app.proc->HasMessageBox()) << "\"0\" shows for a tick";
  EXPECT_EQ(app.Answer(), "0 15/15");
  const std::string called = app.Name();

  // The sixteenth tick, the real one, says time is up; behind the box the cycle still waits.
  MessageBoxInfo box = app.proc->WaitMessageBox(3000);
  ASSERT_TRUE(box);
  EXPECT_LE(GetTickCount() - zero, 2000u) << "the real tick after 0";
  EXPECT_EQ(box.caption, " 超时了！！");
  EXPECT_EQ(box.text, "          回答太慢了吧！换下一位吧~~          ");
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  harness::Sleep(300);
  EXPECT_EQ(app.Name(), called);
  EXPECT_EQ(WindowText(app.button), kStart);
  harness::Answer(box, IDOK);
  EXPECT_TRUE(app.Shows(app.button, kStop)) << "then the next pupil is looked for";
  EXPECT_TRUE(IsWindowEnabled(app.timer_switch));
  EXPECT_GT(app.NamesShown(500).size(), 1u);

  // Switched off again: a stop shows the limit, and there it stays.
  Click(app.timer_switch);
  EXPECT_TRUE(app.Shows(app.switch_state, kSwitchOff));
  app.TouchFor(kStart);
  EXPECT_EQ(app.Answer(), "15 0/15");
  harness::Sleep(1300);
  EXPECT_EQ(app.Answer(), "15 0/15");
  EXPECT_FALSE(app.proc->HasMessageBox());
  EXPECT_TRUE(app.Ends());
}

// The countdown window hides the main window; meanwhile the answer countdown holds, for longer
// than the seconds it had left, and goes on from the same second once "返回" shows the main
// window again, the time-out coming when they have run out.
TEST(RollCallScenario, TheAnswerCountdownHoldsWhileTheCountdownWindowIsOpen) {
  RollCall app(ClassList({"甲", "乙"}));
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  Click(app.timer_switch);
  ASSERT_TRUE(app.Shows(app.switch_state, kSwitchOn));
  app.TouchFor(kStop);
  app.TouchFor(kStart);
  Click(app.limit15);
  ASSERT_TRUE(app.Shows(app.seconds, "15"));
  for (int i = 0; i < 12; ++i) PostMessageW(app.countdown, WM_TIMER, 1, 0);
  ASSERT_TRUE(app.Shows(app.seconds, "3"));

  Click(FindChildByText(app.window, "倒计时功能（新）"));
  HWND countdown_window = app.proc->WaitWindow("内置倒计时器 v0.2");
  ASSERT_NE(countdown_window, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(app.window); }));
  const std::string held = WindowText(app.seconds);
  const int left = std::atoi(held.c_str());
  ASSERT_GE(left, 2) << "at most one real tick between \"3\" and the hiding";
  for (int i = 0; i < 20; ++i) PostMessageW(app.countdown, WM_TIMER, 1, 0);
  harness::Sleep(left * 1000 + 1500);
  EXPECT_FALSE(app.proc->HasMessageBox()) << "no time-out box over the countdown window";
  EXPECT_EQ(WindowText(app.seconds), held) << "hidden, the seconds hold";
  EXPECT_EQ(WindowText(app.button), kStart) << "no name cycle out of sight";

  Click(FindChildByText(countdown_window, "返回"));
  ASSERT_TRUE(WaitUntil([&] { return IsWindowVisible(app.window) != 0; }));
  const DWORD shown = GetTickCount();
  EXPECT_TRUE(app.Shows(app.seconds, std::to_string(left - 1), 2000))
      << "shown again, the next second comes";
  MessageBoxInfo box = app.proc->WaitMessageBox(left * 1000 + 3000);
  ASSERT_TRUE(box);
  EXPECT_GE(GetTickCount() - shown, DWORD(left * 1000 - 300))
      << "the time-out comes only when the held seconds have run out";
  EXPECT_EQ(box.caption, " 超时了！！");
  harness::Answer(box, IDOK);
  EXPECT_TRUE(app.Shows(app.button, kStop));
  EXPECT_TRUE(app.Ends());
}

}  // namespace
