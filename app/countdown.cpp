// The countdown window: a lesson timer opened from the side panel. The teacher picks a time
// (a quick choice of minutes, or minutes and seconds typed in), starts it, and watches minutes,
// seconds and tenths run down; at zero an alarm plays and a small label flashes. All state
// lives in captions and timer intervals; every unit starts from its form value at each opening.
#include "app/app.h"
#include "app/config.h"

namespace app {
namespace {

using namespace countdown_window;

const char kPauseCaption[] = "||暂停";
const char kContinueCaption[] = "→继续";
constexpr int kTick = 100;  // the countdown runs in tenths of a second

// The alarm label's frame colours.
constexpr uint32_t kAllowedColours[3] = {55512, 32768, 65280};
constexpr uint32_t kSilencedColours[3] = {24768, 128, 255};

struct QuickChoice {
  const RadioBox& box;
  const char* minutes;
};
const QuickChoice kQuickChoices[] = {
    {单选框1, "1"}, {单选框2, "5"}, {单选框3, "10"}, {单选框4, "15"}, {单选框5, "20"},
};

// The chosen time follows the quick choice or the manual entry as soon as either changes, so
// the copier timers need not poll every millisecond.
void CopyQuickChoice() {
  for (const QuickChoice& choice : kQuickChoices) {
    if (choice.box.selected()) {
      标签3.set_caption(choice.minutes);
      标签4.set_caption("0");
    }
  }
}

void CopyManualEntry() {
  标签3.set_caption(编辑框1.content());
  标签4.set_caption(编辑框2.content());
}

void SetFrameColours(const uint32_t (&colours)[3]) {
  标签12.set_frame_colour_1(colours[0]);
  标签12.set_frame_colour_2(colours[1]);
  标签12.set_frame_colour_3(colours[2]);
}

bool Silenced() {
  return 图片框3.visible();
}

void ClearZero(const EditBox& box) {
  if (box.content() == "0") box.set_content("");
}

}  // namespace

// On the main window.
void OnCountdownButtonClick(Event&) {
  LoadWindow(kWindow, true);
}

void OnCountdownCreated(Event&) {
  main_window::kWindow.set_visible(false);
  // Raised above all other windows once, without staying on top.
  kWindow.set_always_on_top(true);
  kWindow.set_always_on_top(false);
  // A quick choice is copied when it is clicked: its copier need not poll.
  时钟1.set_interval(0);
}

void OnQuickChoiceClick(Event&) {
  编辑框1.set_disabled(true);
  编辑框2.set_disabled(true);
  CopyQuickChoice();
}

void OnQuickCopyTick(Event&) {
  CopyQuickChoice();
}

void OnMinutesBoxLeftDown(Event&) {
  ClearZero(编辑框1);
}

void OnSecondsBoxLeftDown(Event&) {
  ClearZero(编辑框2);
}

void OnManualEntryChanged(Event&) {
  for (const QuickChoice& choice : kQuickChoices) choice.box.set_disabled(true);
  时钟1.set_interval(0);
  CopyManualEntry();
}

void OnManualCopyTick(Event&) {
  CopyManualEntry();
}

void OnStartClick(Event&) {
  const std::string minutes = 标签3.caption(), seconds = 标签4.caption();
  if ((minutes == "0" && seconds == "0") || minutes.empty() || seconds.empty()) {
    MsgBox("输入有误！", kBoxOk);
    return;
  }
  分组框1.set_visible(false);
  标签5.set_caption(minutes);
  标签6.set_caption(seconds);
  时钟3.set_interval(kTick);
}

void OnCountdownTick(Event&) {
  const std::string m = 标签5.caption(), s = 标签6.caption(), t = 标签7.caption();
  if (t != "0") {
    标签7.set_caption(ToText(ToNumber(t) - 1));
  } else if (s != "0") {
    标签6.set_caption(ToText(ToNumber(s) - 1));
    标签7.set_caption("9");
  } else if (m == "0") {
    时钟3.set_interval(0);
    // The alarm starts before the box, whose own message loop lets it play meanwhile; while
    // the alarm is silenced it is not started at all.
    if (!Silenced()) 时钟5.set_interval(1);
    MsgBox("时间到！", kBoxWarning);
  } else {
    标签5.set_caption(ToText(ToNumber(m) - 1));
    标签6.set_caption("60");
  }
}

void OnPauseClick(Event&) {
  if (按钮2.caption() == kPauseCaption && 时钟3.interval() == kTick) {
    按钮2.set_caption(kContinueCaption);
    时钟3.set_interval(0);
  } else {
    按钮2.set_caption(kPauseCaption);
    时钟3.set_interval(kTick);
  }
}

void OnAlarmTick(Event&) {
  PlayMusic(1, "v5.15gxj.mp3");
  时钟5.set_interval(0);
  音乐颜色.set_interval(300);
}

void OnAlarmColourTick(Event&) {
  const int r1 = RandomInt(0, 255), g1 = RandomInt(0, 255), b1 = RandomInt(0, 255);
  标签12.set_frame_colour_1(MakeColor(r1, g1, b1));
  标签12.set_frame_colour_2(32768);
  const int r3 = RandomInt(0, 255), g3 = RandomInt(0, 255), b3 = RandomInt(0, 255);
  标签12.set_frame_colour_3(MakeColor(r3, g3, b3));
}

// Silencing stops a playing alarm and its flashing once; an alarm due later is not started
// (see the countdown tick), so nothing needs to poll while the alarm is silenced.
void OnMuteTick(Event&) {
  时钟5.set_interval(0);
  StopMusic();
  SetFrameColours(kSilencedColours);
  音乐颜色.set_interval(0);
}

void OnBellPressed(Event& event) {
  图片框2.set_visible(false);
  图片框3.set_visible(true);
  OnMuteTick(event);
}

void OnSilencedBellPressed(Event&) {
  时钟4.set_interval(0);
  图片框2.set_visible(true);
  图片框3.set_visible(false);
  SetFrameColours(kAllowedColours);
}

void OnCountdownCloseClick(Event&) {
  DestroyUnit(kWindow);
}

void OnCountdownDestroyed(Event&) {
  StopMusic();
  main_window::kWindow.set_visible(true);
}

void OnDiscussionGroupClick(Event&) {
  OpenWebPage(config::kGroupUrl);
}

}  // namespace app
