// The bottom strip: the clock line and the scrolling banner, whose text is read from the class
// list file at every tick so that an edit shows at once.
//
// Neither polls: the clock wakes once a second, just after the second changes, and the banner
// is held while nobody can see the main window (minimised, hidden behind the countdown window
// or wholly covered) and goes on from where it stood when the clock finds the window seen
// again.
#include <utility>

#include "app/app.h"

namespace app {
namespace {

using namespace main_window;

// The clock ticks this long after the second changes, so that a tick the system delivers a
// little early, or GetNow's coarser clock read a little late, still finds the new second.
constexpr int kClockLateMs = 20;

bool g_watching = false;   // from the end of the window's creation on
int g_held_banner_ms = 0;  // the banner's interval while it is held; 0 while it runs

}  // namespace

void OnClockTick(Event&) {
  // The text is written whether the window is seen or not: the system paints nothing of a
  // window nobody sees, and the label is right the moment it shows again.
  const bool changed = ToText(GetNow()) != 标签1.caption();
  if (changed) 标签1.set_caption(ToText(GetNow()));
  FollowMainWindowView();
  if (g_watching) FollowPresenterSettings();
  // The text changes every second, so a tick that found no change came early: the change is
  // either just ahead or just past (the second GetNow reads lags the clock by a few ms).
  const int ms = GetNowMillisecond();
  const int to_change = changed || ms >= 500 ? 1000 - ms : 0;
  时钟2.set_interval(to_change + kClockLateMs);
}

void OnBannerTick(Event&) {
  透明标签3.set_caption(ReadIniItem(ClassListPath(), "广告：", "内容"));
  if (!透明标签3.caption().empty()) {
    if (透明标签3.left() == -420) {
      透明标签3.set_left(270);
    } else {
      透明标签3.set_left(透明标签3.left() - 1);
    }
  } else {
    时钟3.set_interval(15000);
  }
}

// Not during the creation handler: the banner's ticks inside its boxes, before the window is
// first shown, are what they always were.
void WatchMainWindowView() {
  g_watching = true;
}

void FollowMainWindowView() {
  if (!g_watching) return;
  if (kWindow.in_view()) {
    if (g_held_banner_ms != 0) 时钟3.set_interval(std::exchange(g_held_banner_ms, 0));
  } else if (g_held_banner_ms == 0) {
    g_held_banner_ms = 时钟3.interval();
    时钟3.set_interval(0);
  }
}

}  // namespace app
