// The class record: lines written and read back, a damaged or cut file read as far as it makes
// sense, and where the class stands (the fair round, absences, tallies) after a run of events.
#include "app/class_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace app::record;
using Names = std::vector<std::string>;
using Flags = std::vector<bool>;

// Names as the record holds them (UTF-8 whatever the compiler's execution character set).
const std::string A = u8"张三", B = u8"李四", C = u8"王五", D = u8"赵六", E = u8"孙七";
const Names kFive = {A, B, C, D, E};

Entry At(const std::string& when, const std::string& name, What what) {
  return Entry{when, name, what};
}

std::string File(const std::vector<Entry>& entries) {
  std::string file = Head();
  for (const Entry& e : entries) file += Line(e);
  return file;
}

TEST(ClassRecordFile, LinesReadBackAndDamageCostsOnlyTheDamagedLine) {
  const std::vector<Entry> entries = {
      At("2026-09-01 08:00:00", A, What::kCalled),
      At("2026-09-01 08:00:30", "Smith, J. \"Jr\"", What::kAnswered),
      At("2026-09-01 08:01:00", B, What::kTimedOut),
      At("2026-09-01 08:02:00", B, What::kTakenBack),
      At("2026-09-01 08:03:00", C, What::kAbsent),
      At("2026-09-01 08:04:00", C, What::kPresent),
  };
  const std::string file = File(entries);
  EXPECT_EQ(file.substr(0, 3), "\xEF\xBB\xBF") << "a byte-order mark for spreadsheet programs";
  EXPECT_EQ(Line(entries[0]), "2026-09-01 08:00:00," + A + u8",点名\r\n");
  EXPECT_EQ(Line(entries[1]), u8"2026-09-01 08:00:30,\"Smith, J. \"\"Jr\"\"\",按时回答\r\n");
  EXPECT_EQ(Read(file), entries);

  // Middle lines spoiled by hand: each is passed over, the others kept.
  const std::string spoiled[] = {"garbage\r\n",
                                 u8"2026-09-01 08:00,x,点名\r\n",
                                 u8"2026-09-01 08:00:00,,点名\r\n",
                                 u8"2026-09-01 08:00:00,x,点名,extra\r\n",
                                 u8"2026-09-01 08:00:00,\"x,点名\r\n",
                                 u8"2026-09-01 08:00:00,x,唱歌\r\n",
                                 std::string("\0\0\0\r\n", 5)};
  for (const std::string& bad : spoiled) {
    const std::string damaged = Head() + Line(entries[0]) + bad + Line(entries[2]);
    EXPECT_EQ(Read(damaged), (std::vector<Entry>{entries[0], entries[2]})) << bad;
  }
  EXPECT_EQ(Read(Line(entries[0]) + "\n" + Line(entries[2]).substr(0, 40)).size(), 2u)
      << "no mark, LF only: still read";

  // The last line cut at every byte: the line counts only when all its text is there.
  const std::string last = Line(entries[5]);
  for (size_t cut = 0; cut < last.size(); ++cut) {
    const std::vector<Entry> read = Read(file.substr(0, file.size() - last.size() + cut));
    const bool whole = cut >= last.size() - 2;
    ASSERT_EQ(read.size(), whole ? 6u : 5u) << "cut at " << cut;
    EXPECT_EQ(std::vector<Entry>(read.begin(), read.begin() + 5),
              std::vector<Entry>(entries.begin(), entries.begin() + 5));
  }
}

TEST(ClassRecordStanding, RoundsAbsencesAndTakenBackCallsFollowFromTheLines) {
  struct Step {
    Entry entry;
    Flags called;  // after the entry, today being its date
    Flags absent;
    const char* rule;
  };
  const std::string d1 = "2026-09-01 08:00:00", d2 = "2026-09-02 08:00:00";
  const Step steps[] = {
      {At(d1, A, What::kCalled), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, "a call"},
      {At(d1, B, What::kCalled), {1, 1, 0, 0, 0}, {0, 0, 0, 0, 0}, "another"},
      {At(d1, B, What::kTakenBack), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, "taken back: due again"},
      {At(d1, E, What::kAbsent), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 1}, "marked absent"},
      {At(d1, "X", What::kCalled), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 1}, "a name not in the list"},
      {At(d1, B, What::kCalled), {1, 1, 0, 0, 0}, {0, 0, 0, 0, 1}, ""},
      {At(d1, C, What::kCalled), {1, 1, 1, 0, 0}, {0, 0, 0, 0, 1}, ""},
      {At(d1, D, What::kCalled),
       {0, 0, 0, 0, 0},
       {0, 0, 0, 0, 1},
       "all present called: the round does not wait for the absent one"},
      {At(d1, D, What::kTakenBack),
       {1, 1, 1, 0, 0},
       {0, 0, 0, 0, 1},
       "taking back the completing call returns to its round"},
      {At(d1, D, What::kCalled), {0, 0, 0, 0, 0}, {0, 0, 0, 0, 1}, "complete again"},
      {At(d1, A, What::kCalled), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 1}, "the next call: a new round"},
      {At(d1, E, What::kPresent), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, "present after all"},
      {At(d1, C, What::kAbsent), {1, 0, 0, 0, 0}, {0, 0, 1, 0, 0}, ""},
      {At(d2, A, What::kAnswered), {1, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, "a new day: nobody absent"},
  };
  std::vector<Entry> entries;
  for (const Step& s : steps) {
    entries.push_back(s.entry);
    const Standing st = Stand(entries, kFive, DateOf(s.entry.when));
    EXPECT_EQ(st.called, s.called) << entries.size() << ": " << s.rule;
    EXPECT_EQ(st.absent, s.absent) << entries.size() << ": " << s.rule;
  }
  EXPECT_EQ(Stand(entries, kFive, "2026-09-01").absent, (Flags{0, 0, 0, 0, 0}))
      << "absences of a day are read only on that day";

  // Absent yesterday while the others were called: today that pupil is the one still due.
  std::vector<Entry> week = {At(d1, E, What::kAbsent)};
  for (const std::string& n : {A, B, C, D}) week.push_back(At(d1, n, What::kCalled));
  EXPECT_EQ(Stand(week, kFive, "2026-09-02").called, (Flags{1, 1, 1, 1, 0}));
  // The list edited between lessons: the round kept by name, a new name due; the rounds before
  // the edit end where they ended.
  const Names edited = {u8"新同学", D, C, B};
  EXPECT_EQ(Stand(week, edited, "2026-09-02").called, (Flags{0, 1, 1, 1}));
  for (const std::string& n : {A, B}) week.push_back(At(d2, n, What::kCalled));
  EXPECT_EQ(Stand(week, edited, "2026-09-02").called, (Flags{0, 0, 0, 1}));
}

TEST(ClassRecordStanding, TalliesCountCallsNotTakenBackFewestFirst) {
  const std::vector<Entry> entries = {
      At("2026-09-01 08:00:00", A, What::kCalled),    At("2026-09-01 08:01:00", B, What::kCalled),
      At("2026-09-01 08:02:00", A, What::kCalled),    At("2026-09-02 08:00:00", A, What::kCalled),
      At("2026-09-02 08:00:09", A, What::kTakenBack), At("2026-09-02 08:01:00", C, What::kAbsent),
      At("2026-09-02 08:02:00", B, What::kAbsent),    At("2026-09-02 08:03:00", B, What::kPresent),
  };
  const std::vector<Tally> t = Tallies(entries, {A, B, C}, "2026-09-02");
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[0].name, C);
  EXPECT_EQ(t[0].times, 0);
  EXPECT_EQ(t[0].last, "");
  EXPECT_TRUE(t[0].absent);
  EXPECT_EQ(t[1].name, B);
  EXPECT_EQ(t[1].times, 1);
  EXPECT_FALSE(t[1].absent) << "marked present again";
  EXPECT_EQ(t[2].name, A);
  EXPECT_EQ(t[2].times, 2) << "the call taken back does not count";
  EXPECT_EQ(t[2].last, "2026-09-01 08:02:00");
}

}  // namespace
