// PlayMusic and StopMusic through the runtime's music player component: a recording stand-in
// shows what the commands ask of the player; the real player shows that a list loops.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "base/program.h"
#include "commands/core_commands.h"
#include "commands/core_win.h"
#include "library_commands/music_player.h"
#include "runtime/runtime.h"
#include "tests/core/command_call.h"
#include "tests/win/core_test_util.h"
#include "tests/win/music_test_util.h"

namespace rc {
namespace {

using test::Call;
using test::TextValue;

constexpr ArgRecord kOmitted{0, 0, 0};

// What the stand-in was asked, one line per operation.
std::vector<std::string> g_calls;
bool g_forward = false;  // pass every operation on to the real player
bool g_refuse = false;   // CreatePlayer gives no player
std::vector<PlayerHandle> g_created;
uintptr_t g_next_handle = 0x1000;

std::string ListText(const char* names) {
  std::string text;
  for (const char* p = names; *p != '\0'; p += std::strlen(p) + 1) text += std::string(p) + "|";
  return text;
}

PlayerHandle SpyCreate(const char* names, int32_t times) {
  g_calls.push_back("create " + ListText(names) + " " + std::to_string(times));
  PlayerHandle p = nullptr;
  if (g_forward) {
    p = CreatePlayer(names, times);
  } else if (!g_refuse) {
    p = reinterpret_cast<PlayerHandle>(g_next_handle++);
  }
  if (p != nullptr) g_created.push_back(p);
  return p;
}
int32_t SpyNewPlay(PlayerHandle p, HWND window, const char* text, int32_t value) {
  g_calls.push_back(std::string("play") + (p == g_created.back() ? "" : " other") +
                    (window == nullptr && text == nullptr && value == 0 ? "" : " with arguments"));
  return g_forward ? NewPlay(p, window, text, value) : 1;
}
void SpyPause(PlayerHandle p, int32_t pause) {
  g_calls.push_back((p == g_created.back() ? "pause " : "pause other ") + std::to_string(pause));
  if (g_forward) SetPauseState(p, pause);
}
void SpyRemove(PlayerHandle p) {
  g_calls.push_back(p == g_created.back() ? "remove" : "remove other");
  if (g_forward) RemovePlayer(p);
}

void* SpyFind(const char* name) {
  const std::string n = name != nullptr ? name : "";
  if (n == "CreatePlayer") return reinterpret_cast<void*>(&SpyCreate);
  if (n == "NewPlay") return reinterpret_cast<void*>(&SpyNewPlay);
  if (n == "SetPauseState") return reinterpret_cast<void*>(&SpyPause);
  if (n == "RemovePlayer") return reinterpret_cast<void*>(&SpyRemove);
  return nullptr;
}
const ComponentService kSpyService = {&SpyFind, nullptr};

// Puts a component into the music player slot the way a program start does, keeping the rest of
// the runtime object as the other tests of this process left it.
void InstallMusicComponent(const ComponentService* service) {
  static const ProgramHeader kBareHeader{};
  Runtime& rt = TheRuntime();
  const auto libraries = rt.libraries;
  const ProgramHeader* header = rt.header;
  const std::string dir = rt.program_dir;
  const std::string file = rt.program_file;
  const uint32_t ids = rt.id_counter;
  const uintptr_t code_base = rt.code_base;
  const uint32_t build_kind = rt.build_kind;
  RegisterComponent(kMusicPlayerSlot, service);
  InitRuntime(&kBareHeader);
  rt.libraries = libraries;
  rt.header = header;
  rt.program_dir = dir;
  rt.program_file = file;
  rt.id_counter = ids;
  rt.code_base = code_base;
  rt.build_kind = build_kind;
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
  void SetUp() override {
    g_calls.clear();
    g_created.clear();
    g_forward = false;
    g_refuse = false;
    InstallMusicComponent(&kSpyService);
    // Whatever player an earlier test left behind is removed first.
    Call(PlayMusic, {IntValue(0)});
    g_calls.clear();
  }
  void TearDown() override {
    Call(PlayMusic, {IntValue(0)});
    InstallMusicComponent(MusicPlayerComponent());
  }
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
    g_calls.clear();
    std::vector<ArgRecord> args = c.args;
    ResultRecord result{0, 0, 0};
    PlayMusic(&result, int(args.size()), args.data());
    ASSERT_GE(g_calls.size(), 2u) << c.rule;
    EXPECT_EQ(g_calls[g_calls.size() - 2], c.create) << c.rule;
    EXPECT_EQ(g_calls.back(), "play") << "the new player is started with no window";
  }
  g_calls.clear();
  Call(PlayMusic, {IntValue(1), TextValue(a)});
  EXPECT_EQ(g_calls, (std::vector<std::string>{"remove", "create a.wav| 1", "play"}))
      << "the previous player is removed before the new one is made";
}

TEST_F(CoreMusic, ZeroTimesOrNoFileOnlyStops) {
  Call(PlayMusic, {IntValue(1), TextValue("a.wav")});
  g_calls.clear();
  Call(PlayMusic, {IntValue(0), TextValue("b.wav")});
  EXPECT_EQ(g_calls, std::vector<std::string>{"remove"}) << "PlayMusic(0) starts nothing";

  Call(PlayMusic, {IntValue(1), TextValue("a.wav")});
  g_calls.clear();
  Call(PlayMusic, {IntValue(1), TextValue(""), PointerValue(nullptr, kTagText)});
  EXPECT_EQ(g_calls, std::vector<std::string>{"remove"}) << "no file name, no player";
  g_calls.clear();
  Call(StopMusic);
  EXPECT_TRUE(g_calls.empty()) << "the removed player is forgotten";
}

TEST_F(CoreMusic, StopMusicPausesAndIsHarmlessWithoutAPlayer) {
  Call(StopMusic);
  EXPECT_TRUE(g_calls.empty()) << "without a player nothing happens";
  Call(PlayMusic, {kOmitted, TextValue("a.wav")});
  g_calls.clear();
  Call(StopMusic);
  Call(StopMusic);
  EXPECT_EQ(g_calls, (std::vector<std::string>{"pause 1", "pause 1"}))
      << "StopMusic only pauses; the player stays for the next PlayMusic to remove";

  g_refuse = true;
  Call(PlayMusic, {kOmitted, TextValue("bad.wav")});
  g_calls.clear();
  Call(StopMusic);
  EXPECT_TRUE(g_calls.empty()) << "a player that could not be made is not paused";
}

TEST_F(CoreMusic, WithoutAPlayerComponentNothingHappens) {
  InstallMusicComponent(nullptr);
  Call(PlayMusic, {kOmitted, TextValue("a.wav")});
  Call(StopMusic);
  Call(PlayMusic, {IntValue(0)});
  EXPECT_TRUE(g_calls.empty());
}

TEST_F(CoreMusic, MinusOneLoopsOnTheRealPlayer) {
  if (waveOutGetNumDevs() == 0) GTEST_SKIP() << "no sound device: nothing plays, nothing loops";
  testing_music::TempDir dir;
  const std::string tone = dir.Write("loop.wav", testing_music::MakeWav({1, 2, 44100, 16, 0.15}));
  g_forward = true;
  Call(PlayMusic, {IntValue(-1), TextValue(tone)});
  ASSERT_EQ(g_created.size(), 1u);
  PlayerHandle player = g_created.back();
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
