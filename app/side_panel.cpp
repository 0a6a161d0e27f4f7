// The side panel: the tab along the right edge slides the main window wider, two pixels a
// tick, until the panel is uncovered, and back again; its caption is a column of blinking
// arrows that point the way the next slide goes.
#include "app/app.h"

namespace app {
namespace {

using namespace main_window;

constexpr int kCollapsedWidth = 617;
constexpr int kExpandedWidth = 794;  // widening stops at the first width not below this

struct Arrows {
  const char* a;
  const char* b;
};
const Arrows kOpenArrows = {"》》    》》    》》", "》》    》》"};
const Arrows kCloseArrows = {"《《    《《    《《", "《《    《《"};

// The tab keeps to the right edge: moved with every change of the width.
void SetWidth(int width) {
  kWindow.set_width(width);
  按钮4.set_left(kWindow.width() - 33);
}

}  // namespace

void StopPanelTabKeeper() {
  时钟7.set_interval(0);
  按钮4.set_left(kWindow.width() - 33);
}

void OnPanelTabClick(Event&) {
  标签6.set_visible(true);
  时钟8.set_interval(0);
  时钟9.set_interval(0);
  if (kWindow.width() == kCollapsedWidth) {
    时钟8.set_interval(1);
  } else {
    时钟9.set_interval(1);
  }
}

void OnPanelWidenTick(Event&) {
  if (kWindow.width() < kExpandedWidth) {
    SetWidth(kWindow.width() + 2);
    return;
  }
  时钟8.set_interval(0);
  分组框4.set_visible(true);
  标签6.set_visible(false);
}

void OnPanelNarrowTick(Event&) {
  if (kWindow.width() > kCollapsedWidth) {
    分组框4.set_visible(false);
    SetWidth(kWindow.width() - 2);
    return;
  }
  时钟9.set_interval(0);
  标签6.set_visible(false);
}

void OnPanelTabKeeperTick(Event&) {
  按钮4.set_left(kWindow.width() - 33);
}

void OnPanelArrowBlinkTick(Event&) {
  const Arrows& arrows = kWindow.width() == kCollapsedWidth ? kOpenArrows : kCloseArrows;
  按钮4.set_caption(按钮4.caption() == arrows.a ? arrows.b : arrows.a);
}

}  // namespace app
