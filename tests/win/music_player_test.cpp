// The music player end to end: real files, the real waveOut device. Under the Wine test
// environment the device is a PulseAudio null sink, so playback takes real time and the device's
// position is real; without a sound device the files end at once having played nothing.
#include <windows.h>
#include <mmsystem.h>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "base/library_shutdown.h"
#include "library_commands/music_player.h"
#include "tests/win/music_test_util.h"

namespace rc {
namespace {

using namespace testing_music;
using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

bool HasSoundDevice() {
  return waveOutGetNumDevs() > 0;
}

void PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Waits, pumping this thread's messages, until the player's state is `state`. The player posts
// its end notification before it shows the new state, so those messages have arrived too.
bool WaitForState(PlayerHandle p, int32_t state, double seconds) {
  const auto start = Clock::now();
  bool reached = false;
  while (!reached && Since(start) < seconds) {
    reached = GetPlayState(p) == state;
    if (!reached) Sleep(10);
  }
  PumpMessages();
  return reached;
}

// A window that counts the player's end notifications.
class NotifyWindow {
 public:
  NotifyWindow() {
    static const bool registered = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = "RollcallMusicTestNotify";
      return RegisterClassA(&wc) != 0;
    }();
    (void)registered;
    hwnd_ = CreateWindowExA(0, "RollcallMusicTestNotify", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~NotifyWindow() { DestroyWindow(hwnd_); }
  HWND hwnd() const { return hwnd_; }
  int ends() const { return ends_; }
  int wrong_param() const { return wrong_param_; }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kPlayerEndMessage) {
      auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
      if (self != nullptr) {
        if (wp == kPlayerEndParam) {
          ++self->ends_;
        } else {
          ++self->wrong_param_;
        }
      }
      return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  HWND hwnd_;
  int ends_ = 0;
  int wrong_param_ = 0;
};

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sound_ = HasSoundDevice();
    RecordProperty("sound_device", sound_ ? "yes" : "none");
  }
  void TearDown() override { RemoveAllPlayers(); }

  // A short tone written to the temporary folder.
  std::string Tone(const std::string& name, double seconds, WavSpec w = WavSpec{}) {
    w.seconds = seconds;
    return dir_.Write(name, MakeWav(w));
  }

  PlayerHandle Start(const std::vector<std::string>& files, int32_t times, HWND notify = nullptr) {
    const std::string list = NameList(files);
    PlayerHandle p = CreatePlayer(list.data(), times);
    EXPECT_NE(p, nullptr);
    EXPECT_EQ(NewPlay(p, notify, nullptr, 0), 1);
    return p;
  }

  TempDir dir_;
  bool sound_ = false;
};

TEST_F(MusicPlayerTest, PlaysOnceThenStops) {
  WavSpec w;
  w.seconds = 0.3;
  const std::string file = Tone("once.wav", w.seconds, w);
  const auto start = Clock::now();
  PlayerHandle p = Start({file}, 1);
  EXPECT_EQ(GetPlayState(p), 1) << "playing right after NewPlay";
  ASSERT_TRUE(WaitForState(p, 0, 10)) << "times 1: the list is played once, then stopped";
  const double took = Since(start);
  const PlayerProgress progress = GetPlayerProgress(p);
  EXPECT_EQ(progress.files_ended, 1u);
  if (!sound_) {
    EXPECT_EQ(progress.files_played, 0u) << "without a sound device nothing is played";
    GTEST_SKIP() << "no sound device: played nothing, as it must";
  }
  EXPECT_EQ(progress.files_played, 1u);
  // Proof that the device played it: its position reached the end of the PCM, and that took
  // the tone's real duration.
  // (Wine's position may lag the written bytes by a sample frame of clock rounding.)
  EXPECT_NEAR(static_cast<double>(progress.bytes_played), PcmBytes(w), 16 * 4)
      << "device position at the end of the PCM";
  EXPECT_GE(took, 0.25) << "a 0.3 s tone cannot end sooner on a real device";
  RecordProperty("seconds_for_0.3s_tone", std::to_string(took));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(GetPlayerProgress(p).files_ended, 1u) << "nothing plays after the last time";
}

TEST_F(MusicPlayerTest, TimesTwoPlaysTheListTwiceAndNotifies) {
  NotifyWindow window;
  const std::string a = Tone("a.wav", 0.2), b = Tone("b.wav", 0.15);
  PlayerHandle p = Start({a, b}, 2, window.hwnd());
  ASSERT_TRUE(WaitForState(p, 0, 15));
  const PlayerProgress progress = GetPlayerProgress(p);
  EXPECT_EQ(progress.files_ended, 4u) << "two files, twice";
  EXPECT_EQ(window.ends(), 4) << "message 0x8075 with parameter 100 after every file";
  EXPECT_EQ(window.wrong_param(), 0);
  if (sound_) {
    WavSpec w;
    w.seconds = 0.2;
    const uint64_t a_bytes = PcmBytes(w);
    w.seconds = 0.15;
    EXPECT_NEAR(static_cast<double>(progress.bytes_played), 2 * (a_bytes + PcmBytes(w)),
                4 * 16 * 4);
  }
}

TEST_F(MusicPlayerTest, TimesZeroLoopsUntilRemoved) {
  if (!sound_) GTEST_SKIP() << "no sound device: a list that plays nothing stops after one pass";
  const std::string file = Tone("loop.wav", 0.15);
  PlayerHandle p = Start({file}, 0);
  const auto start = Clock::now();
  while (GetPlayerProgress(p).files_ended < 4 && Since(start) < 10) Sleep(20);
  EXPECT_GE(GetPlayerProgress(p).files_ended, 4u) << "times 0 plays without end";
  EXPECT_EQ(GetPlayState(p), 1) << "still playing";
  const auto removing = Clock::now();
  RemovePlayer(p);
  EXPECT_LT(Since(removing), 2.0) << "removing stops the sound at once";
  EXPECT_EQ(GetPlayState(p), 0) << "a removed handle is no player";
  SetPauseState(p, 1);  // harmless on a removed handle
  EXPECT_EQ(Play(p), 0);
}

TEST_F(MusicPlayerTest, PauseAndResumeFollowTheStateRules) {
  if (!sound_) GTEST_SKIP() << "no sound device";
  const std::string file = Tone("long.wav", 0.8);
  const auto start = Clock::now();
  PlayerHandle p = Start({file}, 1);
  SetPauseState(p, 0);
  EXPECT_EQ(GetPlayState(p), 1) << "resuming is allowed only while paused";
  Sleep(150);
  SetPauseState(p, 1);
  EXPECT_EQ(GetPlayState(p), -1) << "pausing a playing player";
  SetPauseState(p, 7);
  EXPECT_EQ(GetPlayState(p), -1) << "any non-zero flag pauses; pausing twice changes nothing";
  Sleep(1000);
  EXPECT_EQ(GetPlayState(p), -1) << "a paused player stays paused";
  EXPECT_EQ(GetPlayerProgress(p).files_ended, 0u) << "the paused device holds the file";
  SetPauseState(p, 0);
  EXPECT_EQ(GetPlayState(p), 1) << "resuming a paused player";
  ASSERT_TRUE(WaitForState(p, 0, 10));
  EXPECT_GE(Since(start), 0.8 + 1.0 - 0.1) << "the pause added its time to the playing time";
  WavSpec w;
  w.seconds = 0.8;
  EXPECT_NEAR(static_cast<double>(GetPlayerProgress(p).bytes_played), PcmBytes(w), 16 * 4)
      << "the whole file, once";
  SetPauseState(p, 1);
  EXPECT_EQ(GetPlayState(p), 0) << "pausing is allowed only while playing";
}

TEST_F(MusicPlayerTest, FilesThatAreNoSoundPlayNothing) {
  std::mt19937 rng(99);
  std::string random(20000, '\0');
  for (char& c : random) c = static_cast<char>(rng());
  const std::string good = MakeWav(WavSpec{});
  const std::string files[] = {
      dir_.Path("missing.wav"),
      dir_.Write("truncated.wav", good.substr(0, 30)),
      dir_.Write("random.mp3", random),
      dir_.Write("empty.wav", ""),
  };
  for (const std::string& f : files) {
    SCOPED_TRACE(f);
    NotifyWindow window;
    PlayerHandle p = Start({f}, 0, window.hwnd());
    ASSERT_TRUE(WaitForState(p, 0, 5))
        << "a list of which nothing can be played stops, even when told to loop";
    const PlayerProgress progress = GetPlayerProgress(p);
    EXPECT_EQ(progress.files_played, 0u);
    EXPECT_EQ(progress.files_ended, 1u) << "one pass over the list, no spinning";
    EXPECT_EQ(window.ends(), 1) << "the player still moved past the file";
    RemovePlayer(p);
  }
}

TEST_F(MusicPlayerTest, BadFileInAListIsSkipped) {
  const std::string good = Tone("good.wav", 0.1);
  PlayerHandle p = Start({dir_.Path("missing.wav"), good}, 1);
  ASSERT_TRUE(WaitForState(p, 0, 5));
  const PlayerProgress progress = GetPlayerProgress(p);
  EXPECT_EQ(progress.files_ended, 2u);
  EXPECT_EQ(progress.files_played, sound_ ? 1u : 0u) << "the good file still plays";
}

TEST_F(MusicPlayerTest, PlaysMp3AndChineseNamedFiles) {
  if (!sound_) GTEST_SKIP() << "no sound device";
  const std::string mp3 =
      dir_.Write("闹钟.mp3", ReadFileBytes(SourceDir() + "\\music_tone_stereo.mp3"));
  PlayerHandle p = Start({mp3}, 1);
  ASSERT_TRUE(WaitForState(p, 0, 10));
  const PlayerProgress progress = GetPlayerProgress(p);
  EXPECT_EQ(progress.files_played, 1u) << "a GBK file name and MP3 data";
  EXPECT_GE(progress.bytes_played, 13230u * 4) << "at least the encoded 0.3 s reached the device";
}

TEST_F(MusicPlayerTest, NewPlayAfterTheEndPlaysTheCountAgain) {
  const std::string file = Tone("again.wav", 0.1);
  PlayerHandle p = Start({file}, 2);
  ASSERT_TRUE(WaitForState(p, 0, 5));
  EXPECT_EQ(Play(p), 1);
  ASSERT_TRUE(WaitForState(p, 0, 5)) << "a replayed list ends again, it does not loop for ever";
  EXPECT_EQ(GetPlayerProgress(p).files_ended, 4u);
}

TEST_F(MusicPlayerTest, NewPlayWhilePlayingStartsOver) {
  if (!sound_) GTEST_SKIP() << "no sound device";
  const std::string file = Tone("restart.wav", 0.5);
  PlayerHandle p = Start({file}, 1);
  Sleep(100);
  SetPauseState(p, 1);
  EXPECT_EQ(NewPlay(p, nullptr, nullptr, 0), 1);
  EXPECT_EQ(GetPlayState(p), 1) << "NewPlay plays, also a paused player";
  ASSERT_TRUE(WaitForState(p, 0, 10));
  EXPECT_EQ(GetPlayerProgress(p).files_ended, 1u) << "the replaced pipeline reports no end";
}

TEST_F(MusicPlayerTest, CreatePlayerTakesItsOwnCopyOfTheList) {
  std::string list = NameList({Tone("copy.wav", 0.1)});
  PlayerHandle p = CreatePlayer(list.data(), 1);
  ASSERT_NE(p, nullptr);
  const std::string file = list.c_str();
  std::fill(list.begin(), list.end(), 'x');  // the caller frees or reuses its list
  EXPECT_EQ(GetPlayerList(p).files, std::vector<std::string>{file});
  EXPECT_EQ(Play(p), 1);
  ASSERT_TRUE(WaitForState(p, 0, 5));
  EXPECT_EQ(GetPlayerProgress(p).files_played, sound_ ? 1u : 0u);
  const std::string empty(2, '\0');
  EXPECT_EQ(CreatePlayer(empty.data(), 1), nullptr) << "an empty list gives no player";
  EXPECT_EQ(CreatePlayer(nullptr, 1), nullptr);
  const std::string two = NameList({"b.wav", "a.wav"});
  PlayerHandle q = CreatePlayer(two.data(), -5);
  EXPECT_EQ(GetPlayerList(q).files, (std::vector<std::string>{"b.wav", "a.wav"})) << "in order";
  EXPECT_EQ(GetPlayerList(q).times, 0) << "a count below zero plays without end";
  RemovePlayer(q);
  EXPECT_TRUE(GetPlayerList(q).files.empty()) << "a removed player has no list";
}

// The program's end reaches the players through the runtime's shutdown, which knows them only
// by their registration.
TEST_F(MusicPlayerTest, TheProgramsShutdownRemovesEveryPlayer) {
  const std::string file = Tone("shutdown.wav", 0.5);
  PlayerHandle a = Start({file}, 0);
  PlayerHandle b = Start({file}, 0);
  const auto start = Clock::now();
  RunLibraryCommandsShutdown();
  EXPECT_LT(Since(start), 3.0);
  EXPECT_EQ(GetPlayState(a), 0);
  EXPECT_EQ(GetPlayState(b), 0);
  RemovePlayer(a);  // the core commands may still hold the handle: harmless
}

}  // namespace
}  // namespace rc
