// PlayMusic and StopMusic on the runtime's music player: the list and count each player is made
// with, which player is kept, and on a sound device that a list loops and pauses.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "commands/core_commands.h"
#include "commands/core_win.h"
#include "tests/core/command_call.h"
#include "tests/win/core_test_util.h"
#include "tests/win/music_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TextValue;

constexpr ArgRecord kOmitted{0, 0, 0};

// The list the current player was made with, as "create file|file|... times"; "none" without one.
std::string CurrentList() {
  const PlayerList list = GetPlayerList(CurrentMusicPlayer());
  if (list.files.empty()) return "none";
  std::string text = "create ";
  for (const std::string& f : list.files) text += f + "|";
  return text + " " + std::to_string(list.times);
}

// A one-dimensional text array value.
std::vector<unsigned char> TextArray(const std::vector<const char*>& texts) {
  std::vector<unsigned char> block(8 + texts.size() * sizeof(const char*));
  const uint32_t head[2] = {1, uint32_t(texts.size())};
  std::memcpy(block.data(), head, 8);
  std::memcpy(block.data() + 8, texts.data(), texts.size() * sizeof(const char*));
  return block;
}

class CoreMusic : public ::testing::Test {
 protected:
  // Whatever player an earlier test left behind is removed, and so is this test's.
  void SetUp() override { Call(PlayMusic, {IntValue(0)}); }
  void TearDown() override { Call(PlayMusic, {IntValue(0)}); }
};

TEST_F(CoreMusic, TimesAndFilesAsThePlayerGetsThem) {
  const std::string a = "a.wav", b = "名.mp3", empty;
  const std::vector<unsigned char> array = TextArray({"x.wav", "", nullptr, "y.wav"});
  struct Case {
    std::vector<ArgRecord> args;
    const char* create;
    const char* rule;
  } cases[] = {
      {{kOmitted, TextValue(a)}, "create a.wav| 1", "times omitted is 1"},
      {{IntValue(3), TextValue(a), TextValue(empty), TextValue(b)},
       "create a.wav|名.mp3| 3",
       "empty texts are left out"},
      {{IntValue(-1), TextValue(a)}, "create a.wav| 0", "-1 plays without end"},
      {{IntValue(-7), TextValue(a)}, "create a.wav| 0", "below -1 plays without end too"},
      {{IntValue(1), PointerValue(array.data(), kTagText | kTagArrayFlag), IntValue(5),
        TextValue(b)},
       "create x.wav|y.wav|名.mp3| 1",
       "array elements in order, other types ignored"},
  };
  for (const Case& c : cases) {
    std::vector<ArgRecord> args = c.args;
    ResultRecord result{0, 0, 0};
    PlayMusic(&result, int(args.size()), args.data());
    EXPECT_EQ(CurrentList(), c.create) << c.rule;
  }
}

TEST_F(CoreMusic, ZeroTimesOrNoFileOnlyRemovesAndStopMusicKeeps) {
  Call(StopMusic);
  EXPECT_EQ(CurrentMusicPlayer(), nullptr) << "without a player StopMusic does nothing";
  struct Case {
    std::vector<ArgRecord> args;
    const char* rule;
  } cases[] = {
      {{IntValue(0), TextValue("b.wav")}, "PlayMusic(0) starts nothing"},
      {{IntValue(1), TextValue(""), PointerValue(nullptr, kTagText)}, "no file name, no player"},
  };
  for (const Case& c : cases) {
    Call(PlayMusic, {kOmitted, TextValue("a.wav")});
    PlayerHandle p = CurrentMusicPlayer();
    Call(StopMusic);
    EXPECT_EQ(CurrentMusicPlayer(), p) << "StopMusic keeps the player for the next PlayMusic";
    std::vector<ArgRecord> args = c.args;
    ResultRecord result{0, 0, 0};
    PlayMusic(&result, int(args.size()), args.data());
    EXPECT_EQ(CurrentMusicPlayer(), nullptr) << c.rule;
    EXPECT_TRUE(GetPlayerList(p).files.empty()) << c.rule << ": the old player is removed";
  }
}

TEST_F(CoreMusic, MinusOneLoopsOnTheRealPlayer) {
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no sound device: nothing plays, nothing loops";
  testing_music::TempDir dir;
  const std::string tone = dir.Write("loop.wav", testing_music::MakeWav({1, 2, 44100, 16, 0.15}));
  Call(PlayMusic, {IntValue(-1), TextValue(tone)});
  PlayerHandle player = CurrentMusicPlayer();
  ASSERT_NE(player, nullptr);
  const auto start = std::chrono::steady_clock::now();
  while (GetPlayerProgress(player).files_ended < 3 &&
         std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
    Sleep(20);
  }
  EXPECT_GE(GetPlayerProgress(player).files_ended, 3u) << "the file starts again and again";
  EXPECT_EQ(GetPlayState(player), 1) << "and is still playing";
  Call(StopMusic);
  EXPECT_EQ(GetPlayState(player), -1) << "StopMusic pauses";
  Call(StopMusic);
  EXPECT_EQ(GetPlayState(player), -1) << "a second StopMusic changes nothing";
  Call(PlayMusic, {IntValue(0)});
  EXPECT_EQ(GetPlayState(player), 0) << "PlayMusic(0) removes the player";
}

}  // namespace
}  // namespace rc
