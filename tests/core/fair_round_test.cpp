// The fair roll call's round with fixed random sources: draws among the pupils not yet called,
// the end of a round, and a new round for a changed class list.
#include "app/fair_round.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using app::FairRound;
using Names = std::vector<std::string>;

const Names kFive = {"A", "B", "C", "D", "E"};

// A source that answers `pick` and remembers the ranges it was asked for.
struct Scripted {
  int pick;
  std::vector<std::pair<int, int>>* asked;
  int operator()(int lo, int hi) const {
    asked->push_back({lo, hi});
    return pick;
  }
};

TEST(FairRound, DrawsOnlyAmongThoseNotCalledUntilTheRoundEnds) {
  FairRound round;
  std::vector<std::pair<int, int>> asked;
  EXPECT_EQ(round.Draw(Scripted{1, &asked}), 0) << "no list yet";
  EXPECT_TRUE(asked.empty());

  round.Follow(kFive);
  round.Call(2);
  round.Call(4);
  round.Call(0);  // the display's "-=-" before any draw, or a number past the list
  round.Call(6);
  EXPECT_EQ(round.left(), 3);
  // The k-th pupil not called, in list order: 1, 3, 5.
  EXPECT_EQ(round.Draw(Scripted{1, &asked}), 1);
  EXPECT_EQ(round.Draw(Scripted{2, &asked}), 3);
  EXPECT_EQ(round.Draw(Scripted{3, &asked}), 5);
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 3}, {1, 3}, {1, 3}}));
  EXPECT_EQ(round.Draw(Scripted{0, &asked}), 1) << "a stray source still draws one not called";
  EXPECT_EQ(round.Draw(Scripted{9, &asked}), 5);
  EXPECT_EQ(round.left(), 3) << "drawing calls nobody: only the stop does";

  round.Call(1);
  round.Call(5);
  asked.clear();
  EXPECT_EQ(round.Draw(Scripted{1, &asked}), 3) << "the one left, whatever the source says";
  round.Call(3);
  EXPECT_EQ(round.left(), 0);
  EXPECT_EQ(round.Draw(Scripted{4, &asked}), 4) << "everybody called: a new round";
  EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 1}, {1, 5}}));
  EXPECT_EQ(round.left(), 5);

  // With a real generator, every run of as many stops as pupils calls each of them once.
  std::mt19937 gen(20240901);
  auto random = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(gen); };
  Names seven = {"1", "2", "3", "4", "5", "6", "7"};
  round.Follow(seven);
  for (int r = 0; r < 50; ++r) {
    std::set<int> called;
    for (int i = 0; i < 7; ++i) {
      for (int tick = 0; tick < 3; ++tick) round.Draw(random);  // the flicker
      const int n = round.Draw(random);
      ASSERT_TRUE(n >= 1 && n <= 7);
      EXPECT_TRUE(called.insert(n).second) << "round " << r << ": " << n << " twice";
      round.Call(n);
    }
  }
}

TEST(FairRound, AChangedClassListBeginsANewRound) {
  FairRound round;
  std::vector<std::pair<int, int>> asked;
  round.Follow(kFive);
  round.Call(1);
  round.Call(2);
  round.Follow(kFive);
  EXPECT_EQ(round.left(), 3) << "the same list: the round goes on";

  Names renamed = kFive;
  renamed[4] = "E2";
  round.Follow(renamed);
  EXPECT_EQ(round.left(), 5) << "a name edited";
  round.Call(5);
  round.Follow(Names(kFive.begin(), kFive.end() - 1));
  EXPECT_EQ(round.left(), 4) << "a pupil fewer";
  round.Call(4);
  round.Follow(kFive);
  EXPECT_EQ(round.left(), 5) << "a pupil more";
  round.Call(3);
  EXPECT_EQ(round.Draw(Scripted{3, &asked}), 4);
  EXPECT_EQ(asked.back(), std::make_pair(1, 4));
}

}  // namespace
