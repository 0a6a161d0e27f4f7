// Date-time values: splitting, building, the text form and GetNow.
#include "commands/datetime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>
#include <string>

#include "commands/core_commands.h"
#include "tests/core/command_call.h"

namespace rc {

// Found by argument lookup from the assertions.
inline bool operator==(const DateTimeParts& a, const DateTimeParts& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

inline std::ostream& operator<<(std::ostream& os, const DateTimeParts& p) {
  return os << p.year << "-" << p.month << "-" << p.day << " " << p.hour << ":" << p.minute << ":"
            << p.second;
}

namespace {

std::string TextOf(double value) {
  char buffer[100];
  FormatDateTime(value, buffer, sizeof buffer);
  return buffer;
}

TEST(DateTimeTest, KnownDayNumbers) {
  const struct {
    DateTimeParts parts;
    double value;
  } cases[] = {
      {{1899, 12, 30, 0, 0, 0}, 0},
      {{1900, 1, 1, 0, 0, 0}, 2},
      {{1900, 2, 28, 0, 0, 0}, 60},  // 1900 was no leap year
      {{1900, 3, 1, 0, 0, 0}, 61},
      {{2016, 8, 19, 0, 0, 0}, 42601},
      {{2016, 8, 19, 12, 0, 0}, 42601.5},
      {{1899, 12, 29, 6, 0, 0}, -1.25},  // the fraction counts away from day 0
      {{100, 1, 1, 0, 0, 0}, kMinDateTime},
      {{9999, 12, 31, 0, 0, 0}, kMaxDateTime},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(MakeDateTime(c.parts), c.value) << c.parts;
    EXPECT_EQ(SplitDateTime(c.value), c.parts) << "value " << c.value;
  }
  EXPECT_EQ(SplitDateTime(-0.25), (DateTimeParts{1899, 12, 30, 6, 0, 0}))
      << "-0.25 and 0.25 are the same moment";
}

TEST(DateTimeTest, ClampsToYears100To9999) {
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(SplitDateTime(-1e9), (DateTimeParts{100, 1, 1, 0, 0, 0}));
  EXPECT_EQ(SplitDateTime(-657434.5), (DateTimeParts{100, 1, 1, 0, 0, 0}));
  EXPECT_EQ(SplitDateTime(1e9), (DateTimeParts{9999, 12, 31, 0, 0, 0}));
  EXPECT_EQ(SplitDateTime(inf), (DateTimeParts{9999, 12, 31, 0, 0, 0}));
  EXPECT_EQ(SplitDateTime(-inf), (DateTimeParts{100, 1, 1, 0, 0, 0}));
  EXPECT_EQ(SplitDateTime(std::numeric_limits<double>::quiet_NaN()),
            (DateTimeParts{1899, 12, 30, 0, 0, 0}))
      << "NaN has no date; it reads as day 0";
}

TEST(DateTimeTest, RoundsToTheNearestSecond) {
  const double day = MakeDateTime({2016, 8, 19, 0, 0, 0});
  EXPECT_EQ(SplitDateTime(day + 8.0 / 24), (DateTimeParts{2016, 8, 19, 8, 0, 0}))
      << "8/24 is not exact in binary; it must not read as 7:59:59";
  EXPECT_EQ(SplitDateTime(day + (86400 - 0.4) / 86400), (DateTimeParts{2016, 8, 20, 0, 0, 0}))
      << "the last half second rolls into the next day";
  EXPECT_EQ(SplitDateTime(-1 - (86400 - 0.4) / 86400), (DateTimeParts{1899, 12, 30, 0, 0, 0}))
      << "for negative dates too the roll-over goes forward in the calendar";
  EXPECT_EQ(SplitDateTime(MakeDateTime({2000, 2, 29, 23, 59, 59})),
            (DateTimeParts{2000, 2, 29, 23, 59, 59}));
}

TEST(DateTimeTextTest, TrailingZeroTimePartsAreLeftOut) {
  const struct {
    DateTimeParts parts;
    const char* expected;
  } cases[] = {
      {{2016, 8, 19, 8, 0, 0}, "2016年8月19日8时"},
      {{2016, 8, 19, 0, 5, 0}, "2016年8月19日0时5分"},
      {{2016, 8, 19, 0, 0, 0}, "2016年8月19日"},
      {{2016, 8, 19, 8, 0, 7}, "2016年8月19日8时0分7秒"},
      {{2016, 12, 1, 23, 59, 59}, "2016年12月1日23时59分59秒"},
      {{1899, 12, 29, 6, 0, 0}, "1899年12月29日6时"},
      {{100, 1, 1, 0, 0, 0}, "100年1月1日"},
  };
  for (const auto& c : cases) EXPECT_EQ(TextOf(MakeDateTime(c.parts)), c.expected) << c.parts;
}

TEST(DateTimeTextTest, CutsToTheBuffer) {
  char small[5];
  EXPECT_EQ(FormatDateTime(0, small, sizeof small), 4u);
  EXPECT_STREQ(small, "1899");
  char none[1] = {'x'};
  EXPECT_EQ(FormatDateTime(0, none, 1), 0u);
  EXPECT_EQ(none[0], '\0');
}

// Sets the time zone for one test and puts the previous one back.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* tz) {
    if (const char* old = std::getenv("TZ")) {
      saved_ = old;
      had_ = true;
    }
    Set(tz);
  }
  ~ScopedTimeZone() { Set(had_ ? saved_.c_str() : nullptr); }

 private:
  static void Set(const char* tz) {
#ifdef _WIN32
    _putenv_s("TZ", tz != nullptr ? tz : "");
    _tzset();
#else
    if (tz != nullptr) {
      setenv("TZ", tz, 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
#endif
  }
  std::string saved_;
  bool had_ = false;
};

// Days since 1899-12-30 of a UTC time.
double UtcDateTime(std::time_t t) {
  return static_cast<double>(t) / 86400 + 25569;
}

TEST(GetNowTest, LocalTimeInWholeSeconds) {
  ScopedTimeZone zone("UTC0");
  const double before = UtcDateTime(std::time(nullptr));
  const double now = SlotDouble(test::Call(GetNow));
  const double after = UtcDateTime(std::time(nullptr));
  // Compared in seconds so that the double's rounding cannot tip a boundary.
  EXPECT_GE(std::llround(now * 86400), std::llround(before * 86400));
  EXPECT_LE(std::llround(now * 86400), std::llround(after * 86400));
  const double seconds = (now - std::floor(now)) * 86400;
  EXPECT_NEAR(seconds, std::round(seconds), 1e-4) << "the current time has no fraction of a second";
}

TEST(GetNowTest, FollowsTheLocalTimeZone) {
  ScopedTimeZone zone("CST-8");  // China Standard Time, no daylight saving
  const double utc = UtcDateTime(std::time(nullptr));
  const double now = SlotDouble(test::Call(GetNow));
  EXPECT_NEAR((now - utc) * 24, 8.0, 2.0 / 3600) << "GetNow gives local, not universal, time";
}

}  // namespace
}  // namespace rc
