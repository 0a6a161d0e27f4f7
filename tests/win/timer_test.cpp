// The Timer unit: a hidden window that ticks while its interval is above 0; writing the interval
// it already has leaves its schedule alone.
#include "tests/win/control_units.h"

namespace rc::test {
namespace {

namespace prop = props::timer;

constexpr uint32_t kTimer = 0x16000110;

forms::RecordModel TimerRecord(int32_t interval) {
  forms::TimerData data;
  data.interval = interval;
  return UnitRecord(kTimer, data, {10, 10, 32, 32}, 0);
}

using TimerUnit = ControlUnitTest;

TEST_F(TimerUnit, NeverShown) {
  ASSERT_TRUE(Load({TimerRecord(0)}));
  HWND hwnd = Native(kTimer);
  ASSERT_NE(hwnd, nullptr) << "a timer has a native window while its window is loaded";
  Write(kTimer, props::kVisible.index, 1);
  EXPECT_FALSE(IsWindowVisible(hwnd)) << "writing visible true must not show a timer";
}

TEST_F(TimerUnit, StartsAtCreationOnlyWithAnInterval) {
  ASSERT_TRUE(Load({TimerRecord(0)}));
  Pump(150);
  EXPECT_EQ(EventsOf(kTimer), 0u) << "a stored interval of 0 leaves the timer stopped";
  DestroyWindow(Native(0));
  ASSERT_TRUE(Load({TimerRecord(30)}));
  Pump(200);
  EXPECT_GE(EventsOf(kTimer), 2u) << "a stored interval above 0 starts the timer when it is made";
}

TEST_F(TimerUnit, IntervalWrites) {
  ASSERT_TRUE(Load({TimerRecord(0)}));
  Write(kTimer, prop::kInterval.index, uint32_t(-5));
  EXPECT_EQ(Read(kTimer, prop::kInterval.index), 0u) << "a negative interval is taken as 0";

  Write(kTimer, prop::kInterval.index, 50);
  EXPECT_EQ(Read(kTimer, prop::kInterval.index), 50u);
  Pump(250);
  EXPECT_GE(EventsOf(kTimer), 2u) << "an interval above 0 starts the timer";

  Write(kTimer, prop::kInterval.index, 0);
  g_unit_events.clear();
  Pump(200);
  EXPECT_EQ(EventsOf(kTimer), 0u) << "writing 0 stops a running timer";

  Write(kTimer, prop::kInterval.index, 50);
  Pump(250);
  EXPECT_GE(EventsOf(kTimer), 2u) << "writing 50 after 0 starts the timer again";
}

TEST_F(TimerUnit, WritingTheCurrentIntervalKeepsTheSchedule) {
  // Rewriting every 150 ms: a restart would push the first tick out forever.
  DWORD start = GetTickCount();
  ASSERT_TRUE(Load({TimerRecord(400)}));
  DWORD first_tick = 0;
  g_on_unit_event = [&](uint32_t) {
    if (first_tick == 0) first_tick = GetTickCount() - start;
  };
  for (int i = 0; i < 6 && first_tick == 0; ++i) {
    Pump(150);
    Write(kTimer, prop::kInterval.index, 400);
  }
  ASSERT_NE(first_tick, 0u) << "writing the current interval must not restart the timer";
  EXPECT_LT(first_tick, 750u) << "the first tick comes on the schedule of the first start";
}

TEST_F(TimerUnit, SetToZeroInItsOwnTickGetsNoMoreTicks) {
  ASSERT_TRUE(Load({TimerRecord(20)}));
  g_on_unit_event = [](uint32_t unit) { Write(unit, prop::kInterval.index, 0); };
  Pump(300);
  EXPECT_EQ(EventsOf(kTimer), 1u) << "a timer stopped by its own tick handler ticks no more";
  EXPECT_EQ(Read(kTimer, prop::kInterval.index), 0u);
}

}  // namespace
}  // namespace rc::test
