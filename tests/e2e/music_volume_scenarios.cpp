// Background music and the volume bar on the real program: the speaker pictures switch the
// window's looping music, the bar sets the program's speaker volume and hides itself by its
// three timers. The volume is heard, not read back: Wine keeps the mixer value of a program to
// that program's own sound, so the null sink's monitor is where it shows. A short tone in place
// of the music file makes the level exact and the looping quick to hear.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <memory>
#include <string>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kMainTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kIni[] = "[Running State]\r\nFirst run=no\r\n";
constexpr char kMusicFile[] = "v5.15njyls.wav";

// The tone: 441 Hz at 22050 Hz mono, 265 whole periods (0.6 s), peak kToneAmplitude.
constexpr int kToneAmplitude = 30000;
// The null sink gives exact zeros between sounds.
constexpr int kQuiet = 64;

std::string ToneWave() {
  constexpr int kRate = 22050, kPeriod = 50, kSamples = 265 * kPeriod;
  std::string pcm;
  for (int i = 0; i < kSamples; ++i) {
    const double s = std::sin(2 * 3.14159265358979 * i / kPeriod);
    pcm += LittleEndian(uint32_t(int16_t(std::lround(kToneAmplitude * s))), 2);
  }
  return "RIFF" + LittleEndian(uint32_t(36 + pcm.size()), 4) + "WAVEfmt " + LittleEndian(16, 4) +
         LittleEndian(1, 2) + LittleEndian(1, 2) + LittleEndian(kRate, 4) +
         LittleEndian(kRate * 2, 4) + LittleEndian(2, 2) + LittleEndian(16, 2) + "data" +
         LittleEndian(uint32_t(pcm.size()), 4) + pcm;
}

// The peak the tone reaches at a mixer volume value (0 to 65535 is silence to full).
int ToneAt(int volume) {
  return int(std::lround(kToneAmplitude * volume / 65535.0));
}

int Position(HWND bar) {
  DWORD_PTR position = 0;
  SendMessageTimeoutW(bar, SBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 2000, &position);
  return int(position);
}

bool Shown(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The program in a fresh folder, the units of this feature found where the form puts them.
struct Program {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND main = nullptr, panel = nullptr, speaker = nullptr, muted = nullptr, bar = nullptr;

  explicit Program(bool with_tone) {
    dir.Write("dede.ini", kIni);
    if (with_tone) dir.Write(kMusicFile, ToneWave());
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    main = proc->WaitWindow(kMainTitle, 20000);
    if (main == nullptr) return;
    panel = FindChildAt(main, "Button", 592, 8);
    if (panel == nullptr) return;
    bar = FindChildAt(panel, "ScrollBar", 128, 200);
    // The speaker and the crossed-out speaker share one rectangle; the speaker starts shown.
    for (HWND h = GetWindow(panel, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(h, &r);
      MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
      if (ClassName(h) == "PicBox" && r.left == 128 && r.top == 328) {
        (Shown(h) ? speaker : muted) = h;
      }
    }
  }
  bool found() const { return main && panel && speaker && muted && bar; }

  bool OpenPanel() const {
    Click(FindChildAt(main, "Button", 584, 0));
    return WaitUntil([&] { return IsWindowVisible(panel) != FALSE; }, 10000);
  }
  bool SpeakerShown() const { return Shown(speaker) && !Shown(muted); }
  bool MutedShown() const { return Shown(muted) && !Shown(speaker); }
};

// A left press on a picture, as the mouse gives it.
void Press(HWND picture) {
  ClickAt(picture, 19, 15);
}

// Milliseconds from the tick count `since` until the window is hidden; 0 when it is still shown
// after `limit_ms`.
DWORD HiddenAfter(HWND hwnd, DWORD since, DWORD limit_ms = 8000) {
  if (!WaitUntil([&] { return !Shown(hwnd); }, limit_ms)) return 0;
  return GetTickCount() - since;
}

// What the sink played, when there is a sound server to record it; without one every sound
// check passes and the scenario records that it was not heard.
bool Quiet(const SoundRecorder& sound, double from, double to) {
  return !sound.recording() || sound.Peak(from, to) < kQuiet;
}
bool Heard(const SoundRecorder& sound, double from, double to) {
  return !sound.recording() || sound.Peak(from, to) > 1000;
}
// Whether every 0.2 s of [from, to) peaks at `peak`: the sound never stopped. Within 10 %: the
// resampling on the way to the sink overshoots by up to 8 % where a sound starts.
bool SteadyAt(const SoundRecorder& sound, double from, double to, int peak) {
  if (!sound.recording()) return true;
  for (double t = from; t + 0.2 <= to; t += 0.2) {
    const int p = sound.Peak(t, t + 0.2);
    if (std::abs(p - peak) > peak / 10 + 4) {
      ADD_FAILURE() << "peak " << p << " at " << t << " s, want " << peak;
      return false;
    }
  }
  return true;
}

TEST(MusicVolumeScenario, SpeakerLoopsTheMusicAtTheBarVolumeAndTheBarHidesByItsTimers) {
  SoundRecorder sound(60);
  Program p(true);
  ASSERT_TRUE(p.found());
  EXPECT_TRUE(p.SpeakerShown());
  EXPECT_FALSE(Shown(p.bar));
  EXPECT_EQ(Position(p.bar), 50);
  ASSERT_TRUE(p.OpenPanel());
  RecordProperty("sound", sound.recording() ? "recorded" : "none");
  double start = sound.Now();
  harness::Sleep(300);
  EXPECT_TRUE(Quiet(sound, start, start + 0.3)) << "no music at start";

  // The speaker: the pictures swap, the bar shows, and the tone plays at the volume of the bar's
  // position 50 (39200), set by the press after the line the start-up opened, and loops: heard
  // without a break for more than six times its length. Left alone the bar hides after 4 + 0.5 s.
  start = sound.Now();
  DWORD pressed = GetTickCount();
  Press(p.speaker);
  EXPECT_TRUE(WaitUntil([&] { return p.MutedShown() && Shown(p.bar); }));
  const DWORD alone = HiddenAfter(p.bar, pressed);
  RecordProperty("bar_alone_ms", int(alone));
  EXPECT_TRUE(alone >= 4400 && alone <= 5400) << alone << " ms";
  EXPECT_TRUE(SteadyAt(sound, start + 0.5, start + 4.3, ToneAt(39200)));

  // The crossed-out speaker: the speaker returns and the music stops.
  Press(p.muted);
  EXPECT_TRUE(WaitUntil([&] { return p.SpeakerShown(); }));
  EXPECT_FALSE(Shown(p.bar));
  start = sound.Now();
  harness::Sleep(700);
  EXPECT_TRUE(Quiet(sound, start + 0.2, start + 0.7)) << "the music stopped";

  // Pointer movement over the bar: it hides 3 s after the first movement, however long the
  // pointer keeps moving (later movements do not restart the count), not 4.5 s after the press.
  Press(p.speaker);
  ASSERT_TRUE(WaitUntil([&] { return Shown(p.bar); }));
  harness::Sleep(500);
  const DWORD first_move = GetTickCount();
  DWORD moving = 0;
  for (int y = 30; Shown(p.bar) && GetTickCount() - first_move < 8000; y = 158 - y) {
    PostMessageW(p.bar, WM_MOUSEMOVE, 0, MAKELPARAM(20, y));
    harness::Sleep(100);
    moving = GetTickCount() - first_move;
  }
  RecordProperty("bar_moved_over_ms", int(moving));
  EXPECT_TRUE(moving >= 2900 && moving <= 3600) << moving << " ms";

  // Dragging the thumb to the bottom: position 100 gives 800, not silence; the release hides
  // the bar 1.5 s later (before the 3 s count the drag's movements started runs out).
  Press(p.muted);
  Press(p.speaker);
  ASSERT_TRUE(WaitUntil([&] { return Shown(p.bar); }));
  harness::Sleep(300);
  // The thumb of position 50 lies across the middle of the bar.
  RECT client;
  GetClientRect(p.bar, &client);
  const int middle = client.bottom / 2;
  PostMessageW(p.bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, middle));
  PostMessageW(p.bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, middle + 30));
  PostMessageW(p.bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, client.bottom + 10));
  PostMessageW(p.bar, WM_LBUTTONUP, 0, MAKELPARAM(20, client.bottom + 10));
  const DWORD released = GetTickCount();
  start = sound.Now();
  const DWORD after_drag = HiddenAfter(p.bar, released);
  RecordProperty("bar_after_release_ms", int(after_drag));
  EXPECT_EQ(Position(p.bar), 100);
  EXPECT_TRUE(after_drag >= 1400 && after_drag <= 2100) << after_drag << " ms";
  EXPECT_TRUE(SteadyAt(sound, start + 0.3, start + 1.3, ToneAt(800)));

  // One line up from the bottom, position 99: silence.
  Press(p.muted);
  Press(p.speaker);
  ASSERT_TRUE(WaitUntil([&] { return Shown(p.bar); }));
  ClickAt(p.bar, 20, 3);
  EXPECT_TRUE(WaitUntil([&] { return Position(p.bar) == 99; }));
  start = sound.Now();
  // (The bar hides when the 3 s count the drag's movements started runs out.)
  EXPECT_TRUE(WaitUntil([&] { return !Shown(p.bar); }, 5000));
  EXPECT_TRUE(Quiet(sound, start + 0.3, start + 1.0)) << "position 99 is silence";

  // The top by the Home key: position 1 gives full volume (its 78400 is above the mixer's full
  // scale, which the mixer would refuse and leave the silence of position 99); the key's
  // release hides the bar 1.5 s later.
  Press(p.muted);
  Press(p.speaker);
  ASSERT_TRUE(WaitUntil([&] { return Shown(p.bar); }));
  PostMessageW(p.bar, WM_KEYDOWN, VK_HOME, 0x00470001);
  PostMessageW(p.bar, WM_KEYUP, VK_HOME, 0xC0470001);
  const DWORD key_up = GetTickCount();
  EXPECT_TRUE(WaitUntil([&] { return Position(p.bar) == 1; }));
  start = sound.Now();
  const DWORD after_key = HiddenAfter(p.bar, key_up);
  RecordProperty("bar_after_key_ms", int(after_key));
  EXPECT_TRUE(after_key >= 1400 && after_key <= 2100) << after_key << " ms";
  EXPECT_TRUE(SteadyAt(sound, start + 0.3, start + 1.3, ToneAt(65535)));

  Close(p.main);
  EXPECT_TRUE(p.proc->WaitExit(10000, nullptr));
}

TEST(MusicVolumeScenario, WithoutTheMusicFileThePicturesStillSwapAndTheFileIsReadAtEachPress) {
  SoundRecorder sound(20);
  Program p(false);
  ASSERT_TRUE(p.found());

  Press(p.speaker);
  EXPECT_TRUE(WaitUntil([&] { return p.MutedShown() && Shown(p.bar); }));
  double start = sound.Now();
  harness::Sleep(1000);
  EXPECT_TRUE(Quiet(sound, start, start + 1.0)) << "nothing plays";
  Press(p.muted);
  EXPECT_TRUE(WaitUntil([&] { return p.SpeakerShown(); }));

  // The music the build makes, put beside the program now: the next press plays it.
  ASSERT_TRUE(p.dir.CopyIn(BinDir() + kMusicFile, kMusicFile));
  Press(p.speaker);
  EXPECT_TRUE(WaitUntil([&] { return p.MutedShown(); }));
  start = sound.Now();
  harness::Sleep(1500);
  EXPECT_TRUE(Heard(sound, start, start + 1.5)) << "the music is heard";
  Press(p.muted);
  EXPECT_TRUE(WaitUntil([&] { return p.SpeakerShown(); }));
  start = sound.Now();
  harness::Sleep(700);
  EXPECT_TRUE(Quiet(sound, start + 0.2, start + 0.7)) << "and stops";
}

}  // namespace
