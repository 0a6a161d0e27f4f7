// Background music and the speaker volume: the speaker pictures switch the main window's
// looping music, and the volume bar beside them sets the speaker volume and hides itself again
// a few seconds after it was shown or used.
#include "app/app.h"

namespace app {
namespace {

using namespace main_window;

constexpr int kSpeakers = 4;  // the mixer line of the speaker output

// The bar runs from 1 at the top to 100 at the bottom; 99 is silence. The top positions 1 to 17
// come out above the usual full scale of 65535: SetVolume brings every value into the range the
// volume control reports, so they give its full volume.
int VolumeAt(int position) {
  return int(AbsValue(position - 99.0) * 800);
}

void SetVolumeFromBar() {
  const int v = VolumeAt(纵向滚动条1.position());
  SetVolume(系统音量1, v, v);
}

}  // namespace

void InitVolume() {
  OpenVolumeLine(系统音量1, kSpeakers);
  SetVolumeFromBar();
}

void OnSpeakerPressed(Event&) {
  图片框1.set_visible(false);
  图片框2.set_visible(true);
  SetVolumeFromBar();
  kWindow.set_background_music(ReadFileBytes(GetProgramDir() + "\\v5.15njyls.wav"));
  时钟12.set_interval(4000);
  纵向滚动条1.set_visible(true);
}

void OnMutedSpeakerPressed(Event&) {
  图片框1.set_visible(true);
  图片框2.set_visible(false);
  kWindow.set_background_music(Bytes());
}

void OnVolumeBarPositionChanged(Event&) {
  SetVolumeFromBar();
}

// The bar's self-hiding: a running hide count is replaced only when the new interval differs
// from the running one (a timer keeps its schedule when given the interval it has).
void OnVolumeBarShownTick(Event&) {
  时钟11.set_interval(500);
  时钟12.set_interval(0);
}

void OnVolumeBarMouseMove(Event&) {
  时钟12.set_interval(0);
  时钟13.set_interval(3000);
}

void OnVolumeBarMoveCountTick(Event&) {
  时钟11.set_interval(1);
  时钟13.set_interval(0);
}

void OnVolumeBarLeftDown(Event&) {
  时钟11.set_interval(5000);
}

void OnVolumeBarLeftUp(Event&) {
  时钟11.set_interval(1500);
}

void OnVolumeBarKeyUp(Event&) {
  时钟11.set_interval(1500);
}

void OnVolumeBarHideTick(Event&) {
  纵向滚动条1.set_visible(false);
  时钟11.set_interval(0);
}

// Bound, and meant to do nothing.
void OnVolumeBarKeyDown(Event&) {}
void OnVolumeBarFocusLost(Event&) {}
// Nothing ever starts this timer.
void OnUnusedVolumeTimerTick(Event&) {}

}  // namespace app
