// Several classes in one class list file on the real program: the class in use ("点名设置："/
// "当前班级") is the one the names cycle through, up to 500 names in a class of its own section
// and 50 in the original one, and its name stands in the name group box's caption. The cycle's
// ticks are sent as its own timer messages, so a few hundred names take a moment.
#include <gtest/gtest.h>
#include <windows.h>

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

std::string Section(const std::string& name, const std::string& prefix, int count) {
  std::string ini = "[全班人名：" + name + "]\r\n";
  for (int k = 1; k <= count; ++k)
    ini += std::to_string(k) + "=" + prefix + std::to_string(k) + "\r\n";
  return ini;
}

// The original class of `original` names, classes 高一(3)班 of 60 and 初二 of 5, and the class
// in use.
std::string ClassFile(int original, const std::string& in_use) {
  std::string ini = Section("", "原", original) + Section("高一(3)班", "高", 60) +
                    "[广告：]\r\n内容=欢迎\r\n[Running State]\r\nFirst run=no\r\n" +
                    Section("初二", "初", 5);
  return ini + "[点名设置：]\r\n当前班级=" + in_use + "\r\n";
}

void Tick(HWND timer) {
  DWORD_PTR done = 0;
  SendMessageTimeoutW(timer, WM_TIMER, 1, 0, SMTO_ABORTIFHUNG, 2000, &done);
}

struct Classes {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND window = nullptr, group = nullptr, display = nullptr, button = nullptr, cycle = nullptr;

  void Start() {
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    window = proc->WaitWindow(kTitle, 20000);
    if (window == nullptr) return;
    group = FindChildAt(window, "Button", 8, 8);
    display = FindChildAt(group, "TransLabel", 8, 16);
    cycle = FindChildAt(group, "RollcallTimer", 520, 8);
    button = FindChildAt(window, "Button", 8, 168);
  }
  bool found() const { return group && display && button && cycle; }
  void Stop() {
    Close(window);
    DWORD code = 1;
    proc->WaitExit(10000, &code);
  }

  // A roll call started by a click, `ticks` names of the cycle, and the stop: the names shown.
  std::set<std::string> Cycle(int ticks) {
    std::set<std::string> shown;
    Click(button);
    if (!WaitUntil([&] { return WindowText(button) == kStop; })) return {"(not started)"};
    for (int i = 0; i < ticks; ++i) {
      Tick(cycle);
      shown.insert(ChangingText(display));
    }
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    Click(button);
    WaitUntil([&] { return WindowText(button) == kStart; });
    WaitUntil([&] { return IsWindowEnabled(button) != 0; });
    return shown;
  }
};

// Names of the form prefix + number: whether all are of that prefix within 1..max, and whether
// one above `above` came up.
struct Seen {
  bool within = true, above = false;
};
Seen Look(const std::set<std::string>& shown, const std::string& prefix, int max, int above) {
  Seen s;
  for (const std::string& name : shown) {
    const int n =
        name.compare(0, prefix.size(), prefix) == 0 ? atoi(name.c_str() + prefix.size()) : 0;
    s.within = s.within && n >= 1 && n <= max;
    s.above = s.above || n > above;
  }
  return s;
}

TEST(ClassesScenario, TheRollCallDrawsFromTheClassInUse) {
  Classes app;
  ASSERT_TRUE(app.dir.Write("dede.ini", ClassFile(3, "高一(3)班")));
  app.Start();
  ASSERT_NE(app.window, nullptr);
  ASSERT_TRUE(app.found());
  EXPECT_EQ(WindowText(app.group), "被点人名：高一(3)班") << "the class's name in the caption";
  Seen seen = Look(app.Cycle(300), "高", 60, 50);
  EXPECT_TRUE(seen.within) << "only names of the class in use";
  EXPECT_TRUE(seen.above) << "names 51 to 60 of a class larger than 50 come up";

  // Back to the original class (the key emptied by hand, read at the next touch), which keeps
  // its 50: names beyond them are never drawn.
  ASSERT_TRUE(app.dir.Write("dede.ini", ClassFile(55, "")));
  seen = Look(app.Cycle(300), "原", 50, 40);
  EXPECT_TRUE(seen.within) << "the original class, names 1 to 50 only";
  EXPECT_TRUE(seen.above) << "up to name 50";
  EXPECT_EQ(WindowText(app.group), "被点人名") << "the original caption";
  app.Stop();
}

}  // namespace
