// The roll call: the big button counts the class list and starts or stops the name cycle; the
// cycle shows a random pupil every 50 ms; after a stop an optional answer countdown runs down
// the chosen time limit while the main window shows. All state lives in unit properties, except
// NameCount and which pupils the draw leaves out.
#include <algorithm>
#include <vector>

#include "app/app.h"
#include "app/classes.h"
#include "app/fair_round.h"

namespace app {
namespace {

using namespace main_window;

const char kStartCaption[] = "轻触开始点名";
const char kStopCaption[] = "轻触停止点名";
const char kTimerOff[] = "计时器已关闭！";
const char kTimerOn[] = "计时器已启动！";
constexpr uint32_t kGreen = 32768;
constexpr uint32_t kDarkRed = 128;

// The number of names the last click of 按钮1 found: 2 to 50 once a roll call has started (to
// 500 in a class of its own section), and that class.
int NameCount = 0;
std::string Class;

std::string ReadName(int k) {
  return ReadIniItem(ClassListPath(), ClassSection(Class), std::to_string(k));
}

// The fair mode, which the teacher switches on in the file ("点名设置：", "不重复" = "1" or
// "是"): nobody is called twice before everybody present has been. The round and today's
// absences come from the class record; the draw leaves those pupils out.
bool NoRepeat = false;
std::vector<bool> LeftOut;

// At every start and stop: the key read afresh and the pupils left out of the draw found
// again for the class list just counted; at a stop the pupil shown is called, at a start a
// countdown still running means the last one answered in time.
void FollowFairMode() {
  NoRepeat = FairModeOn();
  std::vector<std::string> names;
  for (int k = 1; k <= NameCount; ++k) names.push_back(ReadName(k));
  if (时钟1.interval() == 0) {  // a start calls nobody
    if (时钟4.interval() != 0) NoteAnswer(false);
    LeftOut = LeftOutOfDraw(names, NoRepeat);
    return;
  }
  // A stop calls the pupil shown: the number the hidden label holds.
  const std::string shown = 标签_随机.caption();
  for (int k = 1; k <= NameCount; ++k) {
    if (shown == std::to_string(k)) NoteCall(names[k - 1], NoRepeat);
  }
}

// The time limits, one per radio box: its seconds text and the bar's maximum.
struct Limit {
  const RadioBox& box;
  const char* seconds_text;
  int seconds;
};
const Limit kLimits[] = {
    {单选框1, "15", 15},
    {单选框2, "30", 30},
    {单选框3, "45", 45},
    {单选框4, "60", 60},
};

void ToggleRollCall() {
  FollowFairMode();
  if (时钟1.interval() == 0) {
    时钟1.set_interval(50);
    按钮2.set_disabled(false);
    按钮1.set_caption(kStopCaption);
    时钟4.set_interval(0);
    按钮1.set_disabled(true);
    时钟_限制快速点击.set_interval(750);
  } else {
    时钟1.set_interval(0);
    按钮2.set_disabled(true);
    按钮1.set_caption(kStartCaption);
    for (const Limit& limit : kLimits) {
      if (limit.box.selected()) {
        透明标签4.set_caption(limit.seconds_text);
        进度条1.set_position(0);
      }
    }
    if (透明标签2.caption() != kTimerOff) 时钟4.set_interval(1000);
    按钮1.set_disabled(true);
    时钟_限制快速点击.set_interval(250);
  }
}

void OnLimitClick(const Limit& limit) {
  if (limit.box.selected()) 透明标签4.set_caption(limit.seconds_text);
  进度条1.set_maximum(limit.seconds);
  进度条1.set_position(0);
}

}  // namespace

void StopNameCycle() {
  if (时钟1.interval() != 0) ToggleRollCall();
}

void OnRollButtonClick(Event&) {
  Class = ClassInUse();
  ShowClassInUse(Class);
  if (ReadName(1).empty()) {
    MsgBox("您还没有加入人名（人名和人名之间不能有空缺，否则空缺以下的人名单不会随机点到。）",
           kBoxWarning, "程序规则说明：");
    return;
  }
  if (ReadName(2).empty()) {
    MsgBox("只发现了一个名单", kBoxInformation, "提示：");
    透明标签1.set_caption(ReadName(1));
    return;
  }
  const int limit = ClassLimit(Class);
  for (int k = 3; k <= limit; ++k) {
    if (ReadName(k).empty()) {
      NameCount = k - 1;
      ToggleRollCall();
      return;
    }
  }
  NameCount = limit;
  ToggleRollCall();
}

void OnFastClickGuardTick(Event&) {
  时钟_限制快速点击.set_interval(0);
  按钮1.set_disabled(false);
}

void OnNameCycleTick(Event&) {
  SeedRandom();
  // With nobody left out this is the plain draw from 1 to NameCount; with everybody left out
  // (the whole class absent) the plain draw still shows someone.
  int n = int(LeftOut.size()) == NameCount ? DrawAmong(LeftOut, RandomInt) : 0;
  if (n == 0) n = RandomInt(1, NameCount);
  标签_随机.set_caption(ToText(n));
  // The picked number is kept as the hidden label's caption, and the display follows that
  // caption: exactly one k matches it, and that key is read from the file now.
  const std::string picked = 标签_随机.caption();
  for (int k = 1; k <= std::max(50, NameCount); ++k) {
    if (picked == std::to_string(k)) {
      透明标签1.set_visible(true);
      透明标签1.set_caption(ReadName(k));
    }
  }
}

void OnAnswerCountdownTick(Event&) {
  // While the main window is hidden (the countdown window replaces it) the pupil cannot see the
  // seconds: they hold, and go on from the same one when the window shows again, so that no
  // time-out box comes up over the other window and no name cycle restarts out of sight.
  if (!kWindow.visible()) return;
  const std::string seconds = 透明标签4.caption();
  if (seconds > std::string("0")) {
    透明标签4.set_caption(ToText(ToNumber(seconds) - 1));
    进度条1.set_position(进度条1.position() + 1);
    return;
  }
  时钟4.set_interval(0);
  NoteAnswer(true);
  MsgBox("          回答太慢了吧！换下一位吧~~          ", kBoxWarning, " 超时了！！");
  按钮1.set_caption(kStopCaption);
  按钮2.set_disabled(false);
  时钟1.set_interval(50);
}

void OnAnswerTimerKeeperTick(Event&) {
  时钟4.set_interval(0);
}

// The keeper stopped the countdown a millisecond after it started while the switch was off; a
// stop now starts none then (ToggleRollCall), and turning the switch off stops a running one.
// The switch's state is the caption beside it.
void StopAnswerTimerKeeper() {
  时钟5.set_interval(0);
}

void OnAnswerTimerSwitchClick(Event&) {
  if (透明标签2.caption() == kTimerOff) {
    透明标签2.set_caption(kTimerOn);
    透明标签2.set_text_colour(kGreen);
  } else {
    时钟4.set_interval(0);
    透明标签2.set_caption(kTimerOff);
    透明标签2.set_text_colour(kDarkRed);
  }
}

void OnLimit15Click(Event&) {
  OnLimitClick(kLimits[0]);
}
void OnLimit30Click(Event&) {
  OnLimitClick(kLimits[1]);
}
void OnLimit45Click(Event&) {
  OnLimitClick(kLimits[2]);
}
void OnLimit60Click(Event&) {
  OnLimitClick(kLimits[3]);
}

}  // namespace app
