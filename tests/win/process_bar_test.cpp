// The ProcessBar unit: the range runs from the smaller to the larger end, the position shown is
// clamped into it while the position read back is the one written, and a style change makes a
// new native control that keeps every property.
#include "tests/win/control_units.h"

#include <commctrl.h>

namespace rc::test {
namespace {

namespace prop = props::process_bar;

constexpr uint32_t kBar = 0x16000120;

forms::RecordModel BarRecord() {
  forms::ProcessBarData data;
  data.border = 3;
  data.smooth = 1;
  data.maximum = 60;
  return UnitRecord(kBar, data, {8, 8, 152, 24});
}

int32_t ShownPosition() {
  return int32_t(SendMessageW(ControlUnitTest::Native(kBar), PBM_GETPOS, 0, 0));
}
PBRANGE ShownRange() {
  PBRANGE range{};
  SendMessageW(ControlUnitTest::Native(kBar), PBM_GETRANGE, FALSE,
               reinterpret_cast<LPARAM>(&range));
  return range;
}

using ProcessBarUnit = ControlUnitTest;

TEST_F(ProcessBarUnit, PositionShownClampedReadAsWritten) {
  ASSERT_TRUE(Load({BarRecord()}));
  struct Step {
    int32_t index;
    int32_t value;
    uint32_t reads;  // the property read back
    int shown_low, shown_high, shown_position;
  };
  const Step steps[] = {
      {prop::kPosition.index, 100, 100, 0, 60, 60},  // above the maximum: a full bar that reads 100
      {prop::kMinimum.index, 80, 80, 60, 80, 80},    // ends swapped: the range runs 60 to 80
      {prop::kPosition.index, -5, 0, 60, 80, 60},    // below 0 is stored as 0, shown at the low end
      {prop::kPosition.index, 40000, 32767, 60, 80, 80},
      {prop::kMaximum.index, 40000, 32767, 80, 32767, 32767},
      {prop::kMinimum.index, -1, 0, 0, 32767, 32767},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << "property " << s.index << " := " << s.value);
    Write(kBar, s.index, uint32_t(s.value));
    EXPECT_EQ(Read(kBar, s.index), s.reads) << "a read gives the stored value (0..32767)";
    PBRANGE range = ShownRange();
    EXPECT_EQ(range.iLow, s.shown_low) << "the range starts at the smaller end";
    EXPECT_EQ(range.iHigh, s.shown_high) << "the range ends at the larger end";
    EXPECT_EQ(ShownPosition(), s.shown_position) << "the position is shown clamped into range";
  }
}

TEST_F(ProcessBarUnit, StyleChangeRecreatesAndKeepsTheValues) {
  ASSERT_TRUE(Load({BarRecord()}));
  Write(kBar, prop::kMinimum.index, 10);
  Write(kBar, prop::kPosition.index, 100);
  HWND old_bar = Native(kBar);
  ASSERT_EQ(GetWindowLongW(old_bar, GWL_STYLE) & PBS_VERTICAL, 0);

  Write(kBar, prop::kVertical.index, 0);
  EXPECT_EQ(Native(kBar), old_bar) << "writing the style it has changes nothing";

  Write(kBar, prop::kVertical.index, 1);
  HWND bar = Native(kBar);
  ASSERT_NE(bar, nullptr);
  EXPECT_NE(GetWindowLongW(bar, GWL_STYLE) & PBS_VERTICAL, 0)
      << "a vertical bar is a new control with the vertical style";
  EXPECT_NE(GetWindowLongW(bar, GWL_STYLE) & PBS_SMOOTH, 0) << "the other style stays";
  EXPECT_NE(GetWindowLongW(bar, GWL_EXSTYLE) & WS_EX_STATICEDGE, 0) << "and so does the border";
  EXPECT_EQ(Read(kBar, prop::kVertical.index), 1u);
  EXPECT_EQ(Read(kBar, prop::kMinimum.index), 10u) << "re-creation keeps the minimum";
  EXPECT_EQ(Read(kBar, prop::kMaximum.index), 60u) << "re-creation keeps the maximum";
  EXPECT_EQ(Read(kBar, prop::kPosition.index), 100u) << "re-creation keeps the position as written";
  EXPECT_EQ(ShownPosition(), 60);
  EXPECT_TRUE(IsWindowVisible(bar)) << "a visible bar stays visible";
}

}  // namespace
}  // namespace rc::test
