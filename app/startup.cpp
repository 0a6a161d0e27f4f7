// The main window's creation: everything the program does before its window is first shown.
// The timers with intervals in the form data are already running, and keep ticking while the
// message boxes below are open.
#include "app/app.h"
#include "app/classes.h"

namespace app {

using namespace main_window;

void OnMainWindowCreated(Event&) {
  标签4.set_caption(FetchPublishedVersion());
  ApplySkin(8);
  EnsureClassListFile();
  ShowFirstRunNotice();
  ShowClassInUse(ClassInUse());
  InitVolume();
  StopAnswerTimerKeeper();
  StopPanelTabKeeper();
  WatchMainWindowView();
  FollowPresenterSettings();
}

}  // namespace app
