// The bottom strip: the clock line and the scrolling banner, whose text is read from the class
// list file at every tick so that an edit shows at once.
#include "app/app.h"

namespace app {

using namespace main_window;

void OnClockTick(Event&) {
  // Rewritten only when the text changes: a label repaint every millisecond would flicker.
  if (ToText(GetNow()) != 标签1.caption()) 标签1.set_caption(ToText(GetNow()));
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

}  // namespace app
