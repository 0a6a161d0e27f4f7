// The program's two windows as the real program builds them from its form data: the units each
// window creates, what starts hidden, the stacking of the countdown window's two pages, and the
// timers that already tick while the main window's creation handler waits in a message box.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kCountdownTitle[] = "内置倒计时器 v0.2";

// The native classes of the unit types that have a window of their own (timers and the volume
// unit have none on screen).
const char* const kUnitClasses[] = {"Button",  "Edit",       "ScrollBar", "msctls_progress32",
                                    "Label",   "TransLabel", "PicBox",    "SplitterBar",
                                    "SuperBtn"};

bool IsUnitClass(const std::string& cls) {
  for (const char* c : kUnitClasses) {
    if (lstrcmpiA(cls.c_str(), c) == 0) return true;
  }
  return false;
}

struct TopLevelSearch {
  DWORD pid;
  const std::string* title;
  HWND found;
};

BOOL CALLBACK MatchTopLevel(HWND hwnd, LPARAM lp) {
  auto* s = reinterpret_cast<TopLevelSearch*>(lp);
  DWORD owner = 0;
  GetWindowThreadProcessId(hwnd, &owner);
  if (owner == s->pid && WindowText(hwnd) == *s->title) {
    s->found = hwnd;
    return FALSE;
  }
  return TRUE;
}

// A top-level window of the process with this title, shown or not.
HWND FindTopLevel(DWORD pid, const std::string& title) {
  TopLevelSearch search{pid, &title, nullptr};
  EnumWindows(&MatchTopLevel, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<Control> UnitWindows(HWND window) {
  std::vector<Control> units;
  for (const Control& c : Children(window)) {
    if (IsUnitClass(c.cls)) units.push_back(c);
  }
  return units;
}

const Control* ByText(const std::vector<Control>& controls, const std::string& text) {
  for (const Control& c : controls) {
    if (c.text == text) return &c;
  }
  return nullptr;
}

RECT ClientRectOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// True when a lies above b among their common parent's children.
bool Above(HWND a, HWND b) {
  for (HWND h = GetWindow(a, GW_HWNDNEXT); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    if (h == b) return true;
  }
  return false;
}

TEST(ProgramWindows, BothWindowsHoldTheirUnitsAndTimersTickBeforeTheMainWindowShows) {
  TempDir dir;
  Process program(dir, "rollcall.exe");
  ASSERT_TRUE(program.started());

  // No class list yet: the creation handler stops in its warning box before the main window is
  // first shown. The clock's 1 ms timer already runs from the form data, and ticks inside the
  // box's message loop.
  MessageBoxInfo warning = program.WaitMessageBox(20000);
  ASSERT_TRUE(warning) << "the missing class list is announced";
  EXPECT_EQ(warning.caption, "外部数据缺失！");
  HWND main = FindTopLevel(program.pid(), kMainTitle);
  ASSERT_NE(main, nullptr) << "the main window exists while its creation handler runs";
  EXPECT_FALSE(IsWindowVisible(main)) << "it is shown only after the creation handler";
  EXPECT_TRUE(WaitUntil([&] {
    for (const Control& c : Children(main)) {
      if (c.text.find("年") != std::string::npos && c.text.find("日") != std::string::npos) {
        return true;
      }
    }
    return false;
  })) << "the clock timer ticks before the creation handler has returned";
  Answer(warning, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(warning.hwnd); }));
  MessageBoxInfo notice = program.WaitMessageBox();
  ASSERT_TRUE(notice);
  Answer(notice, IDOK);
  ASSERT_EQ(program.WaitWindow(kMainTitle), main);

  RECT frame;
  GetWindowRect(main, &frame);
  EXPECT_EQ(frame.right - frame.left, 617);
  EXPECT_EQ(frame.bottom - frame.top, 407);

  // 46 units: 14 timers and the volume unit have no window; the other 31 do.
  std::vector<Control> units = UnitWindows(main);
  std::map<std::string, int> classes;
  for (const Control& c : units) ++classes[c.cls];
  std::string histogram;
  for (const auto& [cls, n] : classes) histogram += cls + "=" + std::to_string(n) + " ";
  EXPECT_EQ(units.size(), 31u) << "the main window's units with windows: " << histogram;

  const Control* panel = ByText(units, "计时器");
  ASSERT_NE(panel, nullptr) << "the side panel 分组框4";
  EXPECT_FALSE(panel->visible) << "the side panel starts hidden";
  int inside = 0;
  for (const Control& c : units) {
    if (GetParent(c.hwnd) != panel->hwnd) continue;
    ++inside;
    EXPECT_FALSE(IsWindowVisible(c.hwnd))
        << c.cls << " \"" << c.text << "\" is in the hidden panel";
  }
  EXPECT_GE(inside, 10) << "the panel holds the answer timer and the music controls";
  RECT panel_rect = ClientRectOf(panel->hwnd);
  RECT client;
  GetClientRect(main, &client);
  EXPECT_GE(panel_rect.left, client.right - 25) << "the panel lies beyond the collapsed window";

  const Control* roll = ByText(units, "轻触开始点名");
  ASSERT_NE(roll, nullptr);
  EXPECT_TRUE(roll->visible);

  // The countdown window, opened from the panel's button: both pages on one rectangle, the
  // setup page above the running page.
  const Control* open_countdown = ByText(units, "倒计时功能（新）");
  ASSERT_NE(open_countdown, nullptr);
  Click(open_countdown->hwnd);
  HWND countdown = program.WaitWindow(kCountdownTitle);
  ASSERT_NE(countdown, nullptr);
  GetWindowRect(countdown, &frame);
  EXPECT_EQ(frame.right - frame.left, 629);
  EXPECT_EQ(frame.bottom - frame.top, 267);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); })) << "the main window hides";

  std::vector<Control> countdown_units = UnitWindows(countdown);
  classes.clear();
  for (const Control& c : countdown_units) ++classes[c.cls];
  histogram.clear();
  for (const auto& [cls, n] : classes) histogram += cls + "=" + std::to_string(n) + " ";
  // 42 units: the 6 timers have no window.
  EXPECT_EQ(countdown_units.size(), 36u)
      << "the countdown window's units with windows: " << histogram;
  std::vector<HWND> pages;
  for (const Control& c : countdown_units) {
    if (GetParent(c.hwnd) == countdown && lstrcmpiA(c.cls.c_str(), "Button") == 0 &&
        (GetWindowLongW(c.hwnd, GWL_STYLE) & 0x0F) == BS_GROUPBOX) {
      pages.push_back(c.hwnd);
    }
  }
  ASSERT_EQ(pages.size(), 2u) << "the setup page and the running page";
  RECT a = ClientRectOf(pages[0]), b = ClientRectOf(pages[1]);
  EXPECT_TRUE(EqualRect(&a, &b)) << "both pages lie on the same rectangle";
  EXPECT_TRUE(IsWindowVisible(pages[0]) && IsWindowVisible(pages[1])) << "both pages are shown";
  const HWND setup = FindChildByText(countdown, "确定开始！");
  ASSERT_NE(setup, nullptr);
  const HWND setup_page = IsChild(pages[0], setup) ? pages[0] : pages[1];
  const HWND running_page = setup_page == pages[0] ? pages[1] : pages[0];
  EXPECT_TRUE(Above(setup_page, running_page)) << "the setup page, the earlier record, is on top";

  Click(FindChildByText(countdown, "返回"));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }))
      << "closing the countdown window shows the main window again";
  Close(main);
  DWORD code = 1;
  EXPECT_TRUE(program.WaitExit(10000, &code));
  EXPECT_EQ(code, 0u);
}

}  // namespace
