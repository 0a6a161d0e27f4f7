// The bottom strip: the clock line and the scrolling banner, whose text is read from the class
// list file at every tick so that an edit shows at once.
//
// Neither polls: the clock wakes once a second, just after the second changes, and nothing of
// the window animates while nobody can see it. Hidden (behind the countdown window) or
// minimised, the window says so itself: the clock's text, the banner and the tab's arrows rest
// until it says it is shown again. Wholly covered, it says nothing (the system keeps its
// pixels), so the clock looks once a second whether it is seen and holds the banner and the
// arrows meanwhile. Each goes on from where it stood.
#include <utility>

#include "app/app.h"

namespace app {
namespace {

using namespace main_window;

// The clock ticks this long after the second changes, so that a tick the system delivers a
// little early, or GetNow's coarser clock read a little late, still finds the new second.
constexpr int kClockLateMs = 20;

bool g_watching = false;  // from the end of the window's creation on
bool g_away = false;      // hidden or minimised: the clock writes no text either
// The intervals of the banner and of the arrow blinker while they are held; 0 while they run.
int g_held_banner_ms = 0;
int g_held_blink_ms = 0;

void Hold() {
  if (g_held_banner_ms != 0) return;
  g_held_banner_ms = 时钟3.interval();
  g_held_blink_ms = 时钟6.interval();
  时钟3.set_interval(0);
  时钟6.set_interval(0);
}

// A held banner whose interval was 0 (never the case while the window is watched) is not held.
void Resume() {
  if (g_held_banner_ms == 0) return;
  时钟3.set_interval(std::exchange(g_held_banner_ms, 0));
  时钟6.set_interval(std::exchange(g_held_blink_ms, 0));
}

// The text as it is now, and the next tick just after the second changes.
void ShowClock() {
  const bool changed = ToText(GetNow()) != 标签1.caption();
  if (changed) 标签1.set_caption(ToText(GetNow()));
  // The text changes every second, so a tick that found no change came early: the change is
  // either just ahead or just past (the second GetNow reads lags the clock by a few ms).
  const int ms = GetNowMillisecond();
  const int to_change = changed || ms >= 500 ? 1000 - ms : 0;
  时钟2.set_interval(to_change + kClockLateMs);
}

}  // namespace

void OnClockTick(Event&) {
  if (g_away) {
    // Still once a second, for the presenter's settings; the text waits for the window to show.
    时钟2.set_interval(1000);
  } else {
    // Covered, the text is still written: the window's pixels show the moment the cover goes,
    // before anything could tell the clock.
    ShowClock();
    FollowMainWindowView();
  }
  if (g_watching) FollowPresenterSettings();
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

void OnMainWindowShowState(Event& event) {
  if (!g_watching) return;
  g_away = event.Arg(0) == 0;
  if (g_away) {
    Hold();
  } else {
    Resume();
    ShowClock();
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
    Resume();
  } else {
    Hold();
  }
}

}  // namespace app
