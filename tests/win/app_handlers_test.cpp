// The application's handlers called through a recording entry table: each test sets the unit
// properties a handler reads, runs it, and compares the property writes and command calls it
// made, in order, with the expected sequence. The pure commands (texts and numbers) run for
// real; the settings file, message boxes and windows are played by the fake.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/face.h"
#include "app_forms.h"
#include "base/program.h"
#include "commands/core_commands.h"
#include "forms/props/property.h"

namespace app {
void OnRollButtonClick(Event&);
void OnAnswerTimerSwitchClick(Event&);
void OnAnswerCountdownTick(Event&);
void OnCountdownTick(Event&);
void OnPanelTabClick(Event&);
void OnPanelWidenTick(Event&);
void OnPanelNarrowTick(Event&);
void EnsureSkinLibrary();
}  // namespace app

namespace {

using Sequence = std::vector<std::string>;

// The state the fake runtime keeps: property values by (unit, index), the class list, and
// everything the handlers did.
struct FakeRuntime {
  std::map<std::pair<uint32_t, int32_t>, std::string> texts;
  std::map<std::pair<uint32_t, int32_t>, uint32_t> numbers;
  std::map<std::string, std::string> names;  // key -> name of 全班人名：
  std::map<uint32_t, std::string> unit_names;
  Sequence done;
  // The files the file commands see, the folders where a write stops part-way (leaving what
  // it wrote), and a file another program puts down at the first write.
  std::set<std::string> files;
  std::set<std::string> full;
  std::string appears;
};
FakeRuntime* g_fake = nullptr;

std::string Name(uint32_t unit) {
  auto it = g_fake->unit_names.find(unit);
  return it != g_fake->unit_names.end() ? it->second : std::to_string(unit);
}

bool IsText(int32_t index) {
  return index == 8 || index == 10;  // captions of the types these tests touch
}

uint64_t FakeRead(uint32_t, uint32_t unit, int32_t index, int32_t) {
  if (IsText(index) && g_fake->texts.count({unit, index})) {
    return reinterpret_cast<uintptr_t>(rc::CopyText(g_fake->texts[{unit, index}].c_str()));
  }
  return g_fake->numbers[{unit, index}];
}

void FakeWrite(uint32_t, uint32_t unit, int32_t index, int32_t, uint32_t lo, uint32_t) {
  std::string value;
  if (IsText(index) && g_fake->texts.count({unit, index})) {
    const char* text = reinterpret_cast<const char*>(uintptr_t(lo));
    g_fake->texts[{unit, index}] = text != nullptr ? text : "";
    value = "\"" + g_fake->texts[{unit, index}] + "\"";
  } else {
    g_fake->numbers[{unit, index}] = lo;
    value = std::to_string(int32_t(lo));
  }
  g_fake->done.push_back(Name(unit) + "[" + std::to_string(index) + "]=" + value);
}

const char* ArgText(const rc::ArgRecord& a) {
  const char* t = static_cast<const char*>(rc::SlotPointer(a));
  return t != nullptr ? t : "";
}

// A file of the fake folders C:\class and C:\user as "class/dll" or "user/tmp".
std::string ShortPath(const rc::ArgRecord& a) {
  const std::string path = ArgText(a);
  const std::string folder = path.substr(3, path.find('\\', 3) - 3);
  return folder +
         (path.size() > 4 && path.compare(path.size() - 4, 4, ".tmp") == 0 ? "/tmp" : "/dll");
}

rc::ResultRecord FakeCore(rc::CommandFn fn, uint32_t argc, rc::ArgRecord* args) {
  rc::ResultRecord result{0, 0, 0};
  if (fn == &rc::ReadIniItem) {
    const std::string value = g_fake->names[ArgText(args[2])];
    rc::SetSlotPointer(&result, rc::CopyText(value.c_str()));
  } else if (fn == &rc::MsgBox) {
    g_fake->done.push_back(std::string("MsgBox \"") + ArgText(args[0]) + "\"");
    result.lo = 1;
  } else if (fn == &rc::GetProgramDir) {
    rc::SetSlotPointer(&result, rc::CopyText("C:\\class"));
  } else if (fn == &rc::GetUserLibraryDir) {
    rc::SetSlotPointer(&result, rc::CopyText("C:\\user"));
  } else if (fn == &rc::FileExists) {
    result.lo = g_fake->files.count(ShortPath(args[0]));
  } else if (fn == &rc::WriteBytesToFile) {
    const std::string path = ShortPath(args[0]);
    const bool cut = g_fake->full.count(path.substr(0, path.find('/'))) != 0;
    g_fake->files.insert(path);
    if (!g_fake->appears.empty()) g_fake->files.insert(g_fake->appears);
    g_fake->appears.clear();
    g_fake->done.push_back("write " + path + (cut ? " (cut)" : ""));
    result.lo = !cut;
  } else if (fn == &rc::SetFileAttr) {
    g_fake->done.push_back("attr " + ShortPath(args[0]) + " " + std::to_string(args[1].lo));
  } else if (fn == &rc::RenameFile) {
    const std::string from = ShortPath(args[0]), to = ShortPath(args[1]);
    result.lo = g_fake->files.count(from) && g_fake->files.insert(to).second;
    if (result.lo) g_fake->files.erase(from);
    g_fake->done.push_back("rename " + from + (result.lo ? "" : " (refused)"));
  } else if (fn == &rc::RemoveFile) {
    result.lo = g_fake->files.erase(ShortPath(args[0]));
    g_fake->done.push_back("remove " + ShortPath(args[0]));
  } else if (fn == &rc::SeedRandom || fn == &rc::RandomInt) {
    result.lo = 2;  // the draw itself is the generator's business
  } else {
    fn(&result, int(argc), args);  // texts and numbers: the real commands
  }
  return result;
}

rc::ResultRecord FakeLibrary(rc::CommandFn fn, uint32_t, uint32_t argc, rc::ArgRecord* args) {
  return FakeCore(fn, argc, args);
}

const rc::EntryPoints kFakeEntries = {
    nullptr,         nullptr,      &FakeLibrary, &FakeCore, &FakeRead, &FakeWrite, &rc::AllocMem,
    &rc::ReallocMem, &rc::FreeMem, nullptr,      nullptr,   nullptr,   nullptr,
};

class AppHandlers : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake_;
    previous_ = app::UseEntryPoints(&kFakeEntries);
  }
  void TearDown() override {
    app::UseEntryPoints(previous_);
    g_fake = nullptr;
  }
  template <class U>
  void Unit(const U& unit, const char* name) {
    fake_.unit_names[unit.unit_id()] = name;
  }
  void Text(const app::Unit& unit, int32_t index, const std::string& value) {
    fake_.texts[{unit.unit_id(), index}] = value;
  }
  void Number(const app::Unit& unit, int32_t index, uint32_t value) {
    fake_.numbers[{unit.unit_id(), index}] = value;
  }
  // What the handler did since the last call.
  Sequence Done() {
    Sequence d;
    d.swap(fake_.done);
    return d;
  }

  FakeRuntime fake_;
  app::Event event_;
  const rc::EntryPoints* previous_ = nullptr;
};

// A start and a stop each take their steps in their own order: the guard and the caption
// change only after the cycle itself has started or stopped.
TEST_F(AppHandlers, RollButtonStartsAndStopsTheCycleInOrder) {
  using namespace app::main_window;
  Unit(时钟1, "时钟1");
  Unit(按钮1, "按钮1");
  Unit(按钮2, "按钮2");
  Unit(时钟4, "时钟4");
  Unit(时钟_限制快速点击, "guard");
  Unit(透明标签4, "透明标签4");
  Unit(进度条1, "进度条1");
  Text(按钮1, 10, "轻触开始点名");
  Text(透明标签4, 8, "60");
  Number(单选框3, 18, 1);  // 45 s chosen
  fake_.names = {{"1", "甲"}, {"2", "乙"}, {"3", "丙"}};

  app::OnRollButtonClick(event_);
  EXPECT_EQ(Done(), (Sequence{"时钟1[8]=50", "按钮2[6]=0", "按钮1[10]=\"轻触停止点名\"",
                              "时钟4[8]=0", "按钮1[6]=1", "guard[8]=750"}))
      << "a start: cycle, switch enabled, caption, countdown stopped, guard for 750 ms";

  app::OnRollButtonClick(event_);
  EXPECT_EQ(Done(), (Sequence{"时钟1[8]=0", "按钮2[6]=1", "按钮1[10]=\"轻触开始点名\"",
                              "透明标签4[8]=\"45\"", "进度条1[13]=0", "时钟4[8]=1000", "按钮1[6]=1",
                              "guard[8]=250"}))
      << "a stop: the chosen limit shown, the countdown started, guard for 250 ms";

  fake_.names = {{"1", "甲"}, {"2", ""}};
  Unit(透明标签1, "透明标签1");
  Text(透明标签1, 8, "→ _ ←");
  app::OnRollButtonClick(event_);
  EXPECT_EQ(Done(), (Sequence{"MsgBox \"只发现了一个名单\"", "透明标签1[8]=\"甲\""}))
      << "one name: the box, then that name, and no timer touched";

  // The switch off: a stop starts no countdown, and turning the switch off stops one.
  Unit(透明标签2, "透明标签2");
  Text(透明标签2, 8, "计时器已关闭！");
  fake_.names = {{"1", "甲"}, {"2", "乙"}, {"3", "丙"}};
  app::OnRollButtonClick(event_);
  app::OnRollButtonClick(event_);
  const Sequence stop = Done();
  EXPECT_EQ(std::count(stop.begin(), stop.end(), "时钟4[8]=1000"), 0) << "no countdown";
  app::OnAnswerTimerSwitchClick(event_);
  EXPECT_EQ(Done().front(), "透明标签2[8]=\"计时器已启动！\"");
  app::OnAnswerTimerSwitchClick(event_);
  EXPECT_EQ(Done().front(), "时钟4[8]=0") << "turned off, a running countdown stops at once";
}

// The answer countdown runs the display down to "0", shows it for one more second, then
// announces the time-out and sets the names cycling again.
TEST_F(AppHandlers, AnswerCountdownTimesOutOneTickAfterZero) {
  using namespace app::main_window;
  Unit(透明标签4, "透明标签4");
  Unit(进度条1, "进度条1");
  Unit(时钟4, "时钟4");
  Unit(按钮1, "按钮1");
  Unit(按钮2, "按钮2");
  Unit(时钟1, "时钟1");
  Text(透明标签4, 8, "2");
  Text(按钮1, 10, "轻触开始点名");
  Number(kWindow, rc::props::kVisible.index, 1);  // hidden, the countdown holds
  app::OnAnswerCountdownTick(event_);
  app::OnAnswerCountdownTick(event_);
  EXPECT_EQ(Done(), (Sequence{"透明标签4[8]=\"1\"", "进度条1[13]=1", "透明标签4[8]=\"0\"",
                              "进度条1[13]=2"}));
  app::OnAnswerCountdownTick(event_);
  EXPECT_EQ(Done(),
            (Sequence{"时钟4[8]=0", "MsgBox \"          回答太慢了吧！换下一位吧~~          \"",
                      "按钮1[10]=\"轻触停止点名\"", "按钮2[6]=0", "时钟1[8]=50"}));
}

// From M minutes, S seconds and tenths 0 the time is up at tick 10·S + 601·M + 1: a borrowed
// minute shows as 60 seconds for one tick.
TEST_F(AppHandlers, CountdownBorrowsSixtySecondsAndEndsAtTheExpectedTick) {
  using namespace app::countdown_window;
  struct Case {
    const char* minutes;
    const char* seconds;
    int ticks;
  } cases[] = {{"1", "0", 602}, {"0", "75", 751}, {"2", "5", 1253}};
  for (const Case& c : cases) {
    Text(标签5, 8, c.minutes);
    Text(标签6, 8, c.seconds);
    Text(标签7, 8, "0");
    Number(时钟3, 8, 100);
    Number(图片框3, 5, 0);
    Done();
    int tick = 0;
    std::vector<std::string> shown;
    while (tick < 5000) {
      ++tick;
      app::OnCountdownTick(event_);
      if (tick <= 3) {
        shown.push_back(fake_.texts[{标签5.unit_id(), 8}] + "：" +
                        fake_.texts[{标签6.unit_id(), 8}] + "." +
                        fake_.texts[{标签7.unit_id(), 8}]);
      }
      const Sequence d = Done();
      if (!d.empty() && d.back() == "MsgBox \"时间到！\"") break;
    }
    EXPECT_EQ(tick, c.ticks) << c.minutes << " min " << c.seconds << " s";
    if (std::string(c.minutes) == "1" && std::string(c.seconds) == "0") {
      EXPECT_EQ(shown, (std::vector<std::string>{"0：60.0", "0：59.9", "0：59.8"}));
    }
  }
}

// The panel tab widens the window two pixels a tick to 795 and shows the panel only then; a
// click while widening turns the slide round at once.
TEST_F(AppHandlers, PanelSlidesTwoPixelsATickAndReversesOnAClick) {
  using namespace app::main_window;
  Unit(标签6, "标签6");
  Unit(分组框4, "分组框4");
  Unit(时钟8, "时钟8");
  Unit(时钟9, "时钟9");
  Unit(kWindow, "window");
  Unit(按钮4, "按钮4");
  Number(kWindow, 2, 617);
  app::OnPanelTabClick(event_);
  EXPECT_EQ(Done(), (Sequence{"标签6[5]=1", "时钟8[8]=0", "时钟9[8]=0", "时钟8[8]=1"}));
  int steps = 0;
  while (fake_.numbers[{时钟8.unit_id(), 8}] != 0 && steps < 200) {
    app::OnPanelWidenTick(event_);
    ++steps;
  }
  EXPECT_EQ(fake_.numbers[std::make_pair(kWindow.unit_id(), 2)], 795u);
  EXPECT_EQ(steps, 90) << "89 widening steps, then the step that ends the slide";
  Sequence d = Done();
  EXPECT_EQ(Sequence(d.end() - 3, d.end()), (Sequence{"时钟8[8]=0", "分组框4[5]=1", "标签6[5]=0"}));
  EXPECT_EQ(Sequence(d.end() - 5, d.end() - 3), (Sequence{"window[2]=795", "按钮4[0]=762"}))
      << "the tab follows every change of the width to width - 33";

  // A click on the expanded window narrows it, and the panel goes at the first step.
  app::OnPanelTabClick(event_);
  app::OnPanelNarrowTick(event_);
  EXPECT_EQ(Done(), (Sequence{"标签6[5]=1", "时钟8[8]=0", "时钟9[8]=0", "时钟9[8]=1",
                              "分组框4[5]=0", "window[2]=793", "按钮4[0]=760"}))
      << "the panel hides at the first narrowing step";
}

}  // namespace

// The skin library reaches a folder whole or not at all: written under a temporary name and
// renamed into place; a write cut short is removed and the user's folder tried as for a
// folder that cannot be written; a library already there, or put there meanwhile, is kept.
TEST_F(AppHandlers, SkinLibraryIsPlacedWholeOrNotAtAll) {
  struct Case {
    const char* name;
    std::set<std::string> before, full;
    const char* appears;  // put down by another start meanwhile
    const char* steps;
    std::set<std::string> after;
  } cases[] = {
      // clang-format off
      {"already there", {"class/dll"}, {}, "", "", {"class/dll"}},
      {"writable", {}, {}, "", "write class/tmp, attr class/tmp 2, rename class/tmp", {"class/dll"}},
      {"full", {}, {"class"}, "",
       "write class/tmp (cut), remove class/tmp, write user/tmp, rename user/tmp", {"user/dll"}},
      {"full, the user's there", {"user/dll"}, {"class"}, "",
       "write class/tmp (cut), remove class/tmp", {"user/dll"}},
      {"both full", {}, {"class", "user"}, "",
       "write class/tmp (cut), remove class/tmp, write user/tmp (cut), remove user/tmp", {}},
      {"another start's", {}, {}, "class/dll",
       "write class/tmp, attr class/tmp 2, rename class/tmp (refused), remove class/tmp",
       {"class/dll"}},
      // clang-format on
  };
  for (const Case& c : cases) {
    fake_.files = c.before;
    fake_.full = c.full;
    fake_.appears = c.appears;
    app::EnsureSkinLibrary();
    std::string steps;
    for (const std::string& step : Done()) steps += (steps.empty() ? "" : ", ") + step;
    EXPECT_EQ(steps, c.steps) << c.name;
    EXPECT_EQ(fake_.files, c.after) << c.name << ": no cut or temporary file is left behind";
  }
}
