// The fair roll call on the real program: switched on in the class list file, nobody is called
// twice in a round, a finished round or an edited class list begins a new one, and the file is
// never written; switched off, pupils come up twice as before. The stopped name is read from
// the display. The first round waits for the touch guard and the name cycle in real time; the
// later ones send the guard's and the cycle's own timer messages, so a roll call takes a
// fraction of the guard's second.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

using Names = std::vector<std::string>;
using Shown = std::set<std::string>;

// A class list as a teacher writes it, with the fair mode's key when `no_repeat` is given.
std::string ClassList(const Names& names, const std::string& no_repeat) {
  std::string ini = "[全班人名：]\r\n";
  for (size_t k = 0; k < names.size(); ++k) {
    ini += std::to_string(k + 1) + "=" + names[k] + "\r\n";
  }
  ini += "[广告：]\r\n内容=欢迎使用岚川软件！www.example.com\r\n";
  ini += "[Running State]\r\nFirst run=no\r\n";
  if (!no_repeat.empty()) ini += "[点名设置：]\r\n不重复=" + no_repeat + "\r\n";
  return ini;
}

// The files of a folder.
std::set<std::string> FilesIn(const TempDir& dir) {
  std::set<std::string> files;
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA((dir.path() + "*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.insert(found.cFileName);
  } while (FindNextFileA(find, &found));
  FindClose(find);
  return files;
}

void Tick(HWND timer) {
  DWORD_PTR done = 0;
  SendMessageTimeoutW(timer, WM_TIMER, 1, 0, SMTO_ABORTIFHUNG, 2000, &done);
}

// The program in a fresh folder with a class list, and the units of the roll call.
struct FairRollCall {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND window = nullptr;
  HWND display = nullptr, number = nullptr, button = nullptr;  // 透明标签1, 标签_随机, 按钮1
  HWND cycle = nullptr, guard = nullptr;                       // 时钟1, 时钟_限制快速点击
  int touches = 0;

  explicit FairRollCall(const std::string& ini) {
    dir.Write("dede.ini", ini);
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    window = proc->WaitWindow(kTitle, 20000);
    if (window == nullptr) return;
    HWND names = FindChildAt(window, "Button", 8, 8);
    display = FindChildAt(names, "TransLabel", 8, 16);
    number = FindChildAt(names, "Label", 472, 104);
    cycle = FindChildAt(names, "RollcallTimer", 520, 8);
    button = FindChildAt(window, "Button", 8, 168);
    guard = FindChildAt(window, "RollcallTimer", 480, 216);
  }
  bool found() const { return display && number && button && cycle && guard; }

  std::string Name() const { return ChangingText(display); }

  // A real mouse touch on the big button, each at another spot of it: two at one spot within
  // the double-click time would make a double click.
  void Touch() {
    SetForegroundWindow(window);
    RECT r;
    GetWindowRect(button, &r);
    SetCursorPos((r.left + r.right) / 2 + (touches++ % 5 - 2) * 40, (r.top + r.bottom) / 2);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
  }

  // One roll call: a start, the names cycling, a stop; the name the display stopped on. The
  // names the cycle shows go to `shown`, from the first that differs from the one shown before
  // the start. Hurried, the cycle's ticks and the guard's are sent at once.
  std::string Call(Shown* shown, bool hurry) {
    const std::string before = Name();
    bool cycling = false;
    auto watch = [&] {
      const std::string name = Name();
      cycling = cycling || name != before;
      if (cycling) shown->insert(name);
    };
    Touch();
    if (!WaitUntil([&] { return WindowText(button) == kStop; })) return "(not started)";
    if (hurry) {
      for (int i = 0; i < 12; ++i) {
        Tick(cycle);
        watch();
      }
      Tick(guard);
    }
    const bool touchable = WaitUntil(
        [&] {
          watch();
          return IsWindowEnabled(button) != 0;
        },
        5000);
    if (!touchable) return "(locked)";
    Touch();
    if (!WaitUntil([&] { return WindowText(button) == kStart; })) return "(not stopped)";
    if (hurry) Tick(guard);
    if (!WaitUntil([&] { return IsWindowEnabled(button) != 0; })) return "(locked)";
    return Name();
  }

  // The pupil's number the hidden label holds for the name shown.
  std::string Number() const { return WindowText(number); }

  bool Ends() const {
    Close(window);
    DWORD code = 1;
    return proc->WaitExit(10000, &code) && code == 0;
  }
};

std::string NumberOf(const Names& names, const std::string& name) {
  auto it = std::find(names.begin(), names.end(), name);
  return it == names.end() ? "?" : std::to_string(it - names.begin() + 1);
}

bool Within(const Shown& shown, const Names& names) {
  for (const std::string& name : shown) {
    if (std::find(names.begin(), names.end(), name) == names.end()) return false;
  }
  return true;
}

TEST(FairRollCallScenario, NobodyTwiceInARoundAndANewRoundForAnEditedList) {
  Names names = {"张三", "李四", "王五", "赵六", "孙七"};
  std::string ini = ClassList(names, "1");
  FairRollCall app(ini);
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());

  // The first round in real time: each cycle flickers among the pupils not called yet, and
  // with one left shows only that one.
  Names called;
  for (int i = 0; i < 5; ++i) {
    Shown shown;
    const DWORD start = GetTickCount();
    const std::string name = app.Call(&shown, false);
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 950u) << "the guard's 750 and 250 ms";
    EXPECT_LE(took, 3000u);
    Names left;
    for (const std::string& n : names) {
      if (std::find(called.begin(), called.end(), n) == called.end()) left.push_back(n);
    }
    EXPECT_TRUE(Within(shown, left)) << "stop " << i + 1 << ": one already called came up";
    if (left.size() >= 3) {
      EXPECT_GE(shown.size(), 2u) << "stop " << i + 1 << ": it flickers";
    }
    if (left.size() == 1) {
      EXPECT_EQ(shown, Shown{left[0]}) << "the one left";
    }
    EXPECT_EQ(app.Number(), NumberOf(names, name)) << name;
    called.push_back(name);
  }
  EXPECT_EQ(Shown(called.begin(), called.end()), Shown(names.begin(), names.end()));

  // Everybody called: the next start draws among all again. Four stops call four pupils.
  called.clear();
  for (int i = 0; i < 4; ++i) {
    Shown shown;
    called.push_back(app.Call(&shown, true));
    EXPECT_TRUE(Within(shown, names));
    if (i == 0) {
      EXPECT_GE(shown.size(), 2u) << "a new round: the whole class again";
    }
    EXPECT_EQ(app.Number(), NumberOf(names, called.back())) << called.back();
  }
  EXPECT_EQ(Shown(called.begin(), called.end()).size(), 4u) << "four different pupils";

  // One pupil left, and the teacher corrects a name (and writes "是" for "1"): a new round,
  // in which the pupils called before the edit come up again.
  names[1] = "李思";
  ini = ClassList(names, "是");
  ASSERT_TRUE(app.dir.Write("dede.ini", ini));
  called.clear();
  for (int i = 0; i < 5; ++i) {
    Shown shown;
    called.push_back(app.Call(&shown, true));
    EXPECT_TRUE(Within(shown, names)) << "the old name no more";
    if (i == 0) {
      EXPECT_GE(shown.size(), 2u) << "not just the one left before the edit";
    }
  }
  EXPECT_EQ(Shown(called.begin(), called.end()), Shown(names.begin(), names.end()));

  EXPECT_TRUE(app.Ends());
  EXPECT_EQ(app.dir.Read("dede.ini"), ini) << "the round is not written down";
  EXPECT_EQ(FilesIn(app.dir), (std::set<std::string>{"SkinH_EL.dll", "dede.ini", "rollcall.exe"}));
}

TEST(FairRollCallScenario, SwitchedOffPupilsComeUpTwiceAsBefore) {
  const Names names = {"甲", "乙", "丙", "丁", "戊"};
  const std::string ini = ClassList(names, "否");  // any value but "1" or "是" is off
  FairRollCall app(ini);
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  // Five groups of five stops each all different would come once in ten million runs.
  int groups_with_a_repeat = 0;
  for (int group = 0; group < 5; ++group) {
    Shown called;
    for (int i = 0; i < 5; ++i) {
      Shown shown;
      const std::string name = app.Call(&shown, true);
      EXPECT_TRUE(Within(shown, names));
      EXPECT_EQ(app.Number(), NumberOf(names, name)) << name;
      called.insert(name);
    }
    if (called.size() < 5) ++groups_with_a_repeat;
  }
  EXPECT_GE(groups_with_a_repeat, 1);
  EXPECT_TRUE(app.Ends());
  EXPECT_EQ(app.dir.Read("dede.ini"), ini);
}

}  // namespace
