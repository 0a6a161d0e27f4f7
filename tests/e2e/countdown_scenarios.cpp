// The countdown window on the real program: opened from the side panel, the choice of a time,
// the countdown stepped tick by tick through its timer's own messages (the timer paused by the
// pause button, so that no real tick interferes), the alarm heard on the sound server's sink,
// the flashing and silenced label, and the discussion group's page.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <ostream>
#include <set>
#include <string>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kTitle[] = "内置倒计时器 v0.2";
constexpr char kPause[] = "||暂停";
constexpr char kContinue[] = "→继续";
// An existing class list that has seen its first run: the program starts without boxes.
constexpr char kIni[] = "[Running State]\r\nFirst run=no\r\n";

// A sample above this is sound; the null sink gives exact zeros otherwise.
constexpr int kHeard = 1000;
constexpr int kQuiet = 64;

// The gradient frame of the alarm label: its outermost ring shows colour 1, its innermost
// (8 pixels wide) colour 3.
struct Frame {
  uint32_t outer, inner;
  bool operator==(const Frame& o) const { return outer == o.outer && inner == o.inner; }
};
std::ostream& operator<<(std::ostream& out, const Frame& f) {
  char text[32];
  std::snprintf(text, sizeof text, "%06X/%06X", unsigned(f.outer), unsigned(f.inner));
  return out << text;
}
const Frame kAllowed{Rgb(216, 216, 0), Rgb(0, 255, 0)};  // 55512 and 65280
const Frame kSilenced{Rgb(192, 96, 0), Rgb(255, 0, 0)};  // 24768 and 255

// The program in a fresh folder with its alarm file, its main window shown.
struct Program {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND main = nullptr;

  Program() {
    dir.Write("dede.ini", kIni);
    dir.CopyIn(BinDir() + "v5.15gxj.mp3", "v5.15gxj.mp3");
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    main = proc->WaitWindow(kMainTitle, 20000);
  }
};

// The countdown window's units, found where the form puts them.
struct Countdown {
  HWND window = nullptr;
  // Setup page.
  HWND setup = nullptr, radios[5] = {}, minutes_box = nullptr, seconds_box = nullptr;
  HWND seconds_spin = nullptr, chosen_minutes = nullptr, chosen_seconds = nullptr;
  HWND start = nullptr, back = nullptr;
  // Running page.
  HWND running = nullptr, minutes = nullptr, seconds = nullptr, tenths = nullptr;
  HWND tick = nullptr, pause = nullptr, close = nullptr, group = nullptr;
  HWND bell_label = nullptr, bell = nullptr, bell_off = nullptr;

  // Opens the window from the main window's side panel and finds its units.
  bool Open(const Program& p) {
    Click(FindChildByText(p.main, "倒计时功能（新）"));
    window = p.proc->WaitWindow(kTitle);
    if (window == nullptr) return false;
    start = FindChildByText(window, "确定开始！");
    back = FindChildByText(window, "返回");
    pause = FindChildByText(window, kPause);
    close = FindChildByText(window, "关闭");
    group = FindChildByText(window, "讨论群");
    if (!start || !back || !pause || !close || !group) return false;
    HWND chosen = GetParent(start);
    setup = GetParent(chosen);
    running = GetParent(pause);
    HWND quick = FindChildByText(setup, "快捷"), manual = FindChildByText(setup, "手动");
    const char* captions[] = {"1分钟", "5分钟", "10分钟", "15分钟", "20分钟"};
    for (int i = 0; i < 5; ++i) radios[i] = FindChildByText(quick, captions[i]);
    minutes_box = FindChildAt(manual, "Edit", 8, 24);
    seconds_box = FindChildAt(manual, "Edit", 200, 24);
    for (HWND h = GetWindow(manual, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      if (ClassName(h) == UPDOWN_CLASSA &&
          HWND(SendMessageW(h, UDM_GETBUDDY, 0, 0)) == seconds_box) {
        seconds_spin = h;
      }
    }
    chosen_minutes = FindChildAt(chosen, "Label", 8, 32);
    chosen_seconds = FindChildAt(chosen, "Label", 8, 72);
    minutes = FindChildAt(running, "Label", 64, 16);
    seconds = FindChildAt(running, "Label", 248, 16);
    tenths = FindChildAt(running, "Label", 432, 32);
    tick = FindChildAt(running, "RollcallTimer", 552, 16);
    bell_label = FindChildAt(running, "Label", 48, 182);
    // The two bell pictures lie on one place: the one shown at first allows sound.
    for (HWND h = GetWindow(running, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(h, &r);
      MapWindowPoints(HWND_DESKTOP, running, reinterpret_cast<POINT*>(&r), 2);
      if (r.left == 14 && r.top == 182 && ClassName(h) == "PicBox") {
        (IsWindowVisible(h) ? bell : bell_off) = h;
      }
    }
    for (HWND h : radios) {
      if (h == nullptr) return false;
    }
    return minutes_box && seconds_box && seconds_spin && chosen_minutes && chosen_seconds &&
           minutes && seconds && tenths && tick && bell_label && bell && bell_off;
  }

  std::string Display() const {
    return WindowText(minutes) + "：" + WindowText(seconds) + "." + WindowText(tenths);
  }
  std::string Chosen() const {
    return WindowText(chosen_minutes) + "/" + WindowText(chosen_seconds);
  }
  bool ShowsDisplay(const std::string& want) const {
    return WaitUntil([&] { return Display() == want; });
  }
  bool ShowsChosen(const std::string& want) const {
    return WaitUntil([&] { return Chosen() == want; });
  }

  // Starts with the chosen time and pauses before the first real tick: both clicks are queued
  // together, and a timer's message comes only when nothing else is queued.
  void StartPaused() const {
    Click(start);
    Click(pause);
  }
  // n ticks of the countdown timer, as its own messages.
  void Tick(int n) const {
    for (int i = 0; i < n; ++i) PostMessageW(tick, WM_TIMER, 1000, 0);
  }

  Frame BellFrame() const {
    return {ScreenPixel(bell_label, 0, 17), ScreenPixel(bell_label, 7, 17)};
  }

  // Closes with the given button; true once the window is gone and the main window is back.
  bool CloseWith(HWND button, HWND main) const {
    Click(button);
    return WaitUntil([&] { return !IsWindow(window) && IsWindowVisible(main); });
  }
};

bool Checked(HWND radio) {
  return SendMessageW(radio, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// The message box the program shows next: its text and caption, answered with OK.
std::string NextBox(const Program& p, DWORD timeout = 5000) {
  MessageBoxInfo box = p.proc->WaitMessageBox(timeout);
  if (!box) return "(no box)";
  Answer(box, IDOK);
  WaitUntil([&] { return !IsWindow(box.hwnd); });
  return box.text + " | " + box.caption;
}

std::string ReadWhole(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(f);
  return out;
}

std::string GroupAddress() {
  char port[16] = "47631";
  GetEnvironmentVariableA("ROLLCALL_TEST_PORT", port, sizeof port);
  return std::string("http://127.0.0.1:") + port + "/group";
}

TEST(CountdownScenario, ChoosingATimeOpeningAndClosingAndTheDiscussionGroup) {
  Program p;
  ASSERT_NE(p.main, nullptr);
  Countdown c;
  ASSERT_TRUE(c.Open(p)) << "the countdown window opens from the hidden side panel";
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(p.main); })) << "the main window hides";

  // The setup page lies above the running page on the same rectangle: it is the page seen.
  Image setup = Screenshot(c.window);
  EXPECT_GT(CountNear(setup, 20, 30, 340, 60, Rgb(0, 128, 0), 40), 150) << "the green tip";
  EXPECT_GT(CountNear(setup, 30, 80, 460, 110, Rgb(0, 0, 255), 40), 150) << "quick choices";
  EXPECT_GT(CountNear(setup, 40, 160, 140, 200, Rgb(255, 255, 255), 4), 2000)
      << "the white minutes box";
  EXPECT_LT(CountNear(setup, 0, 0, setup.width, setup.height, Rgb(0, 0, 128), 40), 50)
      << "nothing of the running page's big digits";
  if (!HasFailure()) SaveForReadme(setup, "countdown_setup.png");

  Click(c.start);
  EXPECT_EQ(NextBox(p), "输入有误！ | 信息：") << "nothing chosen";

  // Clicking into a box that shows "0" empties it and decides for manual entry.
  ClickAt(c.minutes_box, 30, 30);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(c.minutes_box).empty(); }));
  EXPECT_TRUE(c.ShowsChosen("/0")) << "the emptied box is copied to the chosen time";
  for (HWND radio : c.radios) EXPECT_FALSE(IsWindowEnabled(radio)) << "quick choice disabled";
  EXPECT_TRUE(IsWindowEnabled(c.minutes_box));
  Click(c.start);
  EXPECT_EQ(NextBox(p), "输入有误！ | 信息：") << "empty minutes";

  // The spin control changes the seconds box, which counts as a change of it; the keyboard
  // gives the minutes box only "-" and digits.
  RECT spin;
  GetClientRect(c.seconds_spin, &spin);
  ClickAt(c.seconds_spin, spin.right / 2, spin.bottom / 4);
  EXPECT_TRUE(c.ShowsChosen("/1")) << "spin up from 0";
  for (char ch : std::string("a.7")) PostMessageW(c.minutes_box, WM_CHAR, WPARAM(ch), 1);
  EXPECT_TRUE(c.ShowsChosen("7/1"));
  TypeText(c.minutes_box, "0");
  TypeText(c.seconds_box, "75");
  EXPECT_TRUE(c.ShowsChosen("0/75"));

  // Seconds above 59 count down as they are; the display runs in real time and holds while
  // paused.
  Click(c.start);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(c.setup); })) << "the running page shows";
  EXPECT_TRUE(WaitUntil([&] { return c.Display() == "0：74.9"; }, 2000)) << c.Display();
  Click(c.pause);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(c.pause) == kContinue; }));
  const std::string held = c.Display();
  harness::Sleep(350);
  EXPECT_EQ(c.Display(), held) << "paused";
  Click(c.pause);
  EXPECT_TRUE(WaitUntil([&] { return WindowText(c.pause) == kPause; }));
  EXPECT_TRUE(WaitUntil([&] { return c.Display() != held; }, 2000)) << "running again";

  // The discussion group's page goes to the browser.
  const std::string log = EnvPath("ROLLCALL_BROWSER_LOG");
  if (!log.empty()) {
    const size_t before = ReadWhole(log).size();
    Click(c.group);
    EXPECT_TRUE(WaitUntil(
        [&] {
          const std::string text = ReadWhole(log);
          return text.size() > before && text.substr(before) == GroupAddress() + "\n";
        },
        20000))
        << "the browser is handed " << GroupAddress();
  }

  ASSERT_TRUE(c.CloseWith(c.close, p.main)) << "关闭 closes and the main window comes back";

  // Every unit starts again from its form value.
  Countdown again;
  ASSERT_TRUE(again.Open(p));
  EXPECT_TRUE(IsWindowVisible(again.setup));
  EXPECT_EQ(again.Chosen(), "0/0");
  EXPECT_EQ(again.Display(), "0：0.0");
  EXPECT_EQ(WindowText(again.pause), kPause);
  EXPECT_EQ(WindowText(again.minutes_box), "0");
  EXPECT_EQ(WindowText(again.seconds_box), "0");
  for (HWND radio : again.radios) EXPECT_TRUE(IsWindowEnabled(radio) && !Checked(radio));
  // A quick choice copies its minutes and decides against manual entry.
  Click(again.radios[2]);
  EXPECT_TRUE(again.ShowsChosen("10/0"));
  EXPECT_FALSE(IsWindowEnabled(again.minutes_box) || IsWindowEnabled(again.seconds_box));
  EXPECT_FALSE(IsWindowEnabled(again.seconds_spin)) << "the spin control goes with its box";
  Click(again.radios[4]);
  EXPECT_TRUE(again.ShowsChosen("20/0"));
  ASSERT_TRUE(again.CloseWith(again.back, p.main)) << "返回 closes too";

  Close(p.main);
  DWORD code = 1;
  EXPECT_TRUE(p.proc->WaitExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

// Whether the recording has been quiet from `from` until now.
bool QuietSince(const SoundRecorder& sound, double from) {
  const double now = sound.Now();
  return now > from && sound.Peak(from, now) < kQuiet;
}

TEST(CountdownScenario, OneMinuteStepsToAnAlarmThatSoundsFlashesAndComesAgainAfterPause) {
  Program p;
  ASSERT_NE(p.main, nullptr);
  Countdown c;
  ASSERT_TRUE(c.Open(p));
  Click(c.radios[0]);
  ASSERT_TRUE(c.ShowsChosen("1/0"));
  c.StartPaused();
  ASSERT_TRUE(WaitUntil([&] { return WindowText(c.pause) == kContinue; }));
  EXPECT_EQ(c.Display(), "1：0.0") << "the tenths keep their form value";
  SoundRecorder sound;

  // Seconds borrow 60, not 59, and show it for one tick; one minute takes 602 ticks.
  c.Tick(1);
  EXPECT_TRUE(c.ShowsDisplay("0：60.0")) << c.Display();
  c.Tick(1);
  EXPECT_TRUE(c.ShowsDisplay("0：59.9")) << c.Display();
  c.Tick(599);
  EXPECT_TRUE(WaitUntil([&] { return c.Display() == "0：0.0"; }, 20000)) << c.Display();
  EXPECT_FALSE(p.proc->HasMessageBox()) << "not up after 601 ticks";
  EXPECT_EQ(c.BellFrame(), kAllowed) << "the label shows that sound is allowed";
  c.Tick(1);
  MessageBoxInfo box = p.proc->WaitMessageBox();
  const double up = sound.Now();
  ASSERT_TRUE(box) << "up at the 602nd tick";
  EXPECT_EQ(box.text, "时间到！");
  EXPECT_EQ(box.caption, "信息：");
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(box.hwnd, 0x440))) << "the exclamation icon";

  // While the box is open the alarm sounds and the label's frame flashes.
  std::set<uint32_t> outer;
  for (int i = 0; i < 4; ++i) {
    harness::Sleep(350);
    outer.insert(c.BellFrame().outer);
  }
  EXPECT_GE(outer.size(), 3u) << "new random colours every 300 ms";
  EXPECT_EQ(outer.count(kAllowed.outer), 0u);
  if (sound.recording()) {
    EXPECT_GT(sound.Peak(up, up + 1.5), kHeard) << "the alarm is heard";
  }
  Answer(box, IDOK);
  if (sound.recording()) {
    EXPECT_TRUE(WaitUntil([&] { return QuietSince(sound, sound.Now() - 0.5); }, 10000))
        << "the alarm plays once and ends";
  }

  // After the time is up the pause button restarts the tick at zero: up again at once, with a
  // new alarm.
  Click(c.pause);
  box = p.proc->WaitMessageBox(3000);
  const double again = sound.Now();
  ASSERT_TRUE(box) << "the next tick is up again";
  EXPECT_EQ(box.text, "时间到！");
  EXPECT_EQ(WindowText(c.pause), kPause);
  Answer(box, IDOK);
  if (sound.recording()) {
    EXPECT_GT(sound.Peak(again, again + 1.0), kHeard) << "a new alarm";
  }

  // Closing while the alarm plays pauses it.
  const double closing = sound.Now();
  ASSERT_TRUE(c.CloseWith(c.close, p.main));
  if (sound.recording()) {
    EXPECT_LT(sound.Peak(closing + 0.6, closing + 1.6), kQuiet) << "closing pauses the alarm";
  } else {
    std::printf("no sound server: the alarm was not listened to\n");
  }
}

TEST(CountdownScenario, OddTimesNeverRunOutAndASilencedAlarmStaysQuiet) {
  Program p;
  ASSERT_NE(p.main, nullptr);

  // The chosen texts are taken as they are; only the keyboard is limited to "-" and digits,
  // so these are set as the boxes' contents.
  struct Case {
    const char* minutes;
    const char* seconds;
    int ticks;
    const char* shows;
  } cases[] = {
      {"12", "35", 5, "12：34.5"},   // the running page of the README
      {"05", "0", 1, "4：60.0"},     // a leading zero is harmless
      {"00", "0", 602, "-2：60.0"},  // "-1" is not "0": past zero, never up
      {"0", "0.5", 11, "0：-1.5.9"}, {"abc", "0", 1, "-1：60.0"},
      {"-", "0", 1, "-1：60.0"},  // a lone "-" is the number 0, yet not the text "0"
      {"0", "-5", 1, "0：-6.9"},  // a negative time only moves away from zero
  };
  for (const Case& k : cases) {
    Countdown c;
    ASSERT_TRUE(c.Open(p)) << k.minutes;
    TypeText(c.minutes_box, k.minutes);
    TypeText(c.seconds_box, k.seconds);
    ASSERT_TRUE(c.ShowsChosen(std::string(k.minutes) + "/" + k.seconds)) << c.Chosen();
    c.StartPaused();
    ASSERT_TRUE(WaitUntil([&] { return WindowText(c.pause) == kContinue; })) << k.minutes;
    c.Tick(k.ticks);
    EXPECT_TRUE(WaitUntil([&] { return c.Display() == k.shows; }, 10000)) << c.Display();
    EXPECT_FALSE(p.proc->HasMessageBox()) << k.shows;
    if (std::string(k.minutes) == "12") {
      Image running = Screenshot(c.window);
      EXPECT_GT(CountNear(running, 80, 60, 180, 150, Rgb(0, 0, 128), 40), 800) << "minutes";
      EXPECT_GT(CountNear(running, 260, 60, 360, 150, Rgb(0, 0, 128), 40), 800) << "seconds";
      EXPECT_GT(CountNear(running, 440, 80, 540, 150, Rgb(0, 0, 128), 40), 200) << "tenths";
      if (!HasFailure()) SaveForReadme(running, "countdown_running.png");
    }
    ASSERT_TRUE(c.CloseWith(c.close, p.main));
  }

  // Silenced before the time is up: no alarm at zero, and the label keeps its silenced
  // colours.
  Countdown c;
  ASSERT_TRUE(c.Open(p));
  TypeText(c.seconds_box, "1");
  ASSERT_TRUE(c.ShowsChosen("0/1"));
  c.StartPaused();
  ASSERT_TRUE(WaitUntil([&] { return WindowText(c.pause) == kContinue; }));
  SoundRecorder sound;
  ClickAt(c.bell, 17, 17);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(c.bell) && IsWindowVisible(c.bell_off); }));
  EXPECT_TRUE(WaitUntil([&] { return c.BellFrame() == kSilenced; })) << c.BellFrame();
  c.Tick(11);
  MessageBoxInfo box = p.proc->WaitMessageBox();
  double up = sound.Now();
  ASSERT_TRUE(box) << "up at the 11th tick";
  EXPECT_EQ(box.text, "时间到！");
  harness::Sleep(700);
  EXPECT_EQ(c.BellFrame(), kSilenced) << "no flashing";
  if (sound.recording()) {
    EXPECT_LT(sound.Peak(up, up + 1.5), kQuiet) << "no alarm";
  }
  Answer(box, IDOK);

  // Sound allowed again: the form's colours, and the next time up rings.
  ClickAt(c.bell_off, 17, 17);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(c.bell) && !IsWindowVisible(c.bell_off); }));
  EXPECT_TRUE(WaitUntil([&] { return c.BellFrame() == kAllowed; })) << c.BellFrame();
  Click(c.pause);
  box = p.proc->WaitMessageBox(3000);
  up = sound.Now();
  ASSERT_TRUE(box);
  Answer(box, IDOK);
  if (sound.recording()) {
    EXPECT_GT(sound.Peak(up, up + 1.0), kHeard) << "the alarm rings";
  }

  // Silencing a ringing alarm pauses it and stops the flashing; allowing sound again does not
  // resume it.
  ClickAt(c.bell, 17, 17);
  EXPECT_TRUE(WaitUntil([&] { return c.BellFrame() == kSilenced; })) << c.BellFrame();
  const double silenced = sound.Now();
  harness::Sleep(400);
  EXPECT_EQ(c.BellFrame(), kSilenced);
  ClickAt(c.bell_off, 17, 17);
  EXPECT_TRUE(WaitUntil([&] { return c.BellFrame() == kAllowed; })) << c.BellFrame();
  if (sound.recording()) {
    EXPECT_LT(sound.Peak(silenced + 0.6, silenced + 1.6), kQuiet) << "paused, not resumed";
  }
  EXPECT_EQ(c.BellFrame(), kAllowed) << "no flashing after the silenced alarm";
  ASSERT_TRUE(c.CloseWith(c.close, p.main));
}

}  // namespace
