// Presenting to a class that watches slides: the main window kept above other windows, and a
// key held for the whole system (a presenter remote's) that touches the big button without
// taking the keyboard from the slideshow. Both are read from the settings file at start and
// again once a second, so an edit takes effect while the program runs (the settings reader
// keeps the file's bytes and reads the file again only when it was written). Unset, nothing
// is registered and the window is stacked as ever.
#include "app/app.h"
#include "app/classes.h"

namespace app {
namespace {

using namespace main_window;

const char kOnTopKey[] = "置顶";
const char kHotKeyKey[] = "快捷键";

// How often the raised window looks whether the names still cycle, and how long it stays on
// top after they stopped.
constexpr int kWatchMs = 100;
constexpr int kStayAfterStopMs = 5000;

// The name display's colour in the form (blue).
constexpr uint32_t kNameColour = 0xFF0000;

bool g_on_top = false;              // "置顶" as last read
std::string g_key;                  // "快捷键" as last read
bool g_raised = false;              // above all windows because the key touched the button
bool g_raised_full_screen = false;  // the full screen was what the key raised

bool Cycling() {
  return 时钟1.interval() != 0;
}

}  // namespace

void FollowPresenterSettings() {
  const std::string on = ReadSetting(kOnTopKey);
  const bool on_top = on == "1" || on == "是";
  if (on_top != g_on_top) {
    g_on_top = on_top;
    if (!g_raised) kWindow.set_always_on_top(on_top);
  }
  const std::string key = ReadSetting(kHotKeyKey);
  if (key == g_key) return;
  g_key = key;  // before the box: the clock ticks on inside it and must not say it again
  const std::string why = kWindow.set_hot_key(key);
  if (!why.empty()) {
    MsgBox("“点名设置：”里的快捷键“" + key + "”用不了：" + why +
               "。\r\n点名器照常运行，只是不用这个快捷键。",
           kBoxWarning, "快捷键");
  }
}

// The key, and a touch of the name full screen, act as a touch of 按钮1 would: nothing while the
// button takes no touch (the guard after a start or stop, the main window hidden behind the
// countdown window, a box open over it). While the names cycle the main window, or the name
// full screen when it is open, is raised above all windows without taking the keyboard.
void OnPresenterKey(Event& event) {
  if (按钮1.disabled() || !kWindow.visible() || kWindow.disabled()) return;
  OnRollButtonClick(event);
  if (IsFullScreenTouch(event)) return;
  if (Cycling()) {
    // The name full screen, when it is open, is what the class looks at.
    g_raised_full_screen = FullScreenOpen();
    if (g_raised_full_screen) {
      SetFullScreenOnTop(true);
    } else if (!g_on_top) {
      kWindow.set_always_on_top(true);
    }
    g_raised = true;
    时钟_置顶.set_interval(kWatchMs);
  } else if (g_raised) {
    时钟_置顶.set_interval(kStayAfterStopMs);
  }
}

// While raised: the stop is noticed (whoever stopped the names) and 5 s later the window goes
// back behind the program that has the keyboard, unless it is to stay on top anyway.
void OnOnTopTick(Event&) {
  if (Cycling()) {
    时钟_置顶.set_interval(kWatchMs);
    return;
  }
  if (时钟_置顶.interval() == kWatchMs) {
    时钟_置顶.set_interval(kStayAfterStopMs);
    return;
  }
  时钟_置顶.set_interval(0);
  g_raised = false;
  if (g_raised_full_screen) {
    g_raised_full_screen = false;
    SetFullScreenOnTop(false);
    return;
  }
  if (g_on_top) return;
  kWindow.set_always_on_top(false);
  kWindow.lower_behind_foreground();
}

// A double click (a double tap) on the name display: the name over the whole monitor, sized
// for the longest name of the class whose names come up.
void OnNameDisplayDoubleClick(Event&) {
  const std::string in_use = ClassInUse();
  std::string names;
  for (int k = 1; k <= ClassLimit(in_use); ++k) {
    const std::string name = ReadIniItem(ClassListPath(), ClassSection(in_use), std::to_string(k));
    if (name.empty()) break;
    names += name + "\n";
  }
  ShowFullScreen(kWindow, 透明标签1, 透明标签4, 按钮1, 透明标签2, "轻触开始点名", "计时器已启动！",
                 names, kNameColour);
}

}  // namespace app
