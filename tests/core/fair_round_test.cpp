// The draw that leaves pupils out, with fixed random sources: the k-th pupil not left out, a
// stray source kept in range, nobody to draw.
#include "app/fair_round.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

TEST(FairDraw, TheKthPupilNotLeftOut) {
  const std::vector<bool> out = {false, true, false, true, false};  // 1, 3 and 5 are in
  struct Case {
    int source, drawn;
  } cases[] = {{1, 1}, {2, 3}, {3, 5}, {0, 1}, {9, 5}};
  for (const Case& c : cases) {
    std::vector<std::pair<int, int>> asked;
    const int drawn = app::DrawAmong(out, [&](int lo, int hi) {
      asked.push_back({lo, hi});
      return c.source;
    });
    EXPECT_EQ(drawn, c.drawn) << "source " << c.source;
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 3}})) << "one draw among the three in";
  }
  int asked = 0;
  auto count = [&](int, int) { return ++asked; };
  EXPECT_EQ(app::DrawAmong(std::vector<bool>{true, true}, count), 0) << "everybody left out";
  EXPECT_EQ(app::DrawAmong(std::vector<bool>{}, count), 0) << "no list";
  EXPECT_EQ(asked, 0) << "nobody to draw asks the source nothing";
}

}  // namespace
