// SeedRandom and RandomInt.
#include "commands/random.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "commands/core_commands.h"
#include "tests/core/command_call.h"

namespace rc {
namespace {

using test::Call;

uint32_t g_tick = 0;
uint32_t FixedTick() {
  return g_tick;
}

class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_tick = 1000;
    SetTickCountSource(FixedTick);
  }
  void TearDown() override { SetTickCountSource(nullptr); }

  static void Seed(int32_t seed) { Call(SeedRandom, {IntValue(seed)}); }
  static int32_t Draw(int32_t lo, int32_t hi) {
    return SlotInt(Call(RandomInt, {IntValue(lo), IntValue(hi)}));
  }
};

TEST_F(RandomTest, SeedOneGivesFortyOneFirst) {
  Seed(1);
  EXPECT_EQ(Draw(0, 32767), 41);
  EXPECT_EQ(RandomState(), 2745024u);
}

TEST_F(RandomTest, EqualBoundsReturnTheBoundWithoutDrawing) {
  Seed(12345);
  EXPECT_EQ(Draw(5, 5), 5);
  EXPECT_EQ(RandomState(), 12345u) << "RandomInt(5, 5) must leave the random state";
  EXPECT_EQ(Draw(-4, 0), 0) << "negative bounds read as 0, so this is (0, 0)";
  EXPECT_EQ(RandomState(), 12345u);
}

TEST_F(RandomTest, BoundsMayComeInEitherOrder) {
  for (int32_t seed : {1, 77, 99991, -5}) {
    Seed(seed);
    const int32_t reversed = Draw(10, 1);
    Seed(seed);
    EXPECT_EQ(reversed, Draw(1, 10)) << "RandomInt(10, 1) behaves as RandomInt(1, 10)";
    EXPECT_GE(reversed, 1);
    EXPECT_LE(reversed, 10);
  }
}

TEST_F(RandomTest, NegativeMinimumBecomesZero) {
  Seed(3);
  std::set<int32_t> seen;
  for (int i = 0; i < 200; ++i) seen.insert(Draw(-3, 2));
  EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2}));
}

TEST_F(RandomTest, OnlyOffsetsUpTo32767FromTheMinimumComeOut) {
  Seed(1);
  EXPECT_EQ(SlotInt(Call(RandomInt)), 41) << "no bounds is 0 to 0x7FFFFFFF";
  Seed(9);
  for (int i = 0; i < 500; ++i) {
    const int32_t v = Draw(100, 2000000000);
    ASSERT_GE(v, 100);
    ASSERT_LE(v, 100 + 32767);
  }
}

TEST_F(RandomTest, OmittedRecordsUseTheDefaults) {
  Seed(1);
  ResultRecord r = Call(RandomInt, {{0, 0, kTagOmitted}, IntValue(0)});
  EXPECT_EQ(SlotInt(r), 0) << "(omitted, 0) is (0, 0)";
  r = Call(RandomInt, {IntValue(0), {0, 0, kTagOmitted}});
  EXPECT_EQ(SlotInt(r), 41) << "(0, omitted) is (0, 0x7FFFFFFF)";
}

TEST_F(RandomTest, UnseededCallsInOneMillisecondStillDiffer) {
  Call(SeedRandom);
  const uint32_t first = RandomState();
  Call(SeedRandom, {{0, 0, kTagOmitted}});
  const uint32_t second = RandomState();
  EXPECT_EQ(second, first + (first & 0xFF) + 100)
      << "the seed addend grows by ((t + s) AND 0xFF) + 100 at each call";

  g_tick = 0xFFFFFFF0u;  // wraps like GetTickCount after 49.7 days
  Call(SeedRandom);
  EXPECT_EQ(RandomState(), second + (second & 0xFF) + 100 + (0xFFFFFFF0u - 1000))
      << "the state is the tick count plus the addend, with 32-bit wrap-around";
}

TEST_F(RandomTest, EveryThreadStartsAtOne) {
  Seed(555);
  uint32_t state_before = 0;
  int32_t first = 0;
  std::thread worker([&] {
    state_before = RandomState();
    first = Draw(0, 32767);
  });
  worker.join();
  EXPECT_EQ(state_before, 1u);
  EXPECT_EQ(first, 41) << "an unseeded thread draws the same sequence as seed 1";
  EXPECT_EQ(RandomState(), 555u) << "another thread's draws leave this thread's state";
}

}  // namespace
}  // namespace rc
