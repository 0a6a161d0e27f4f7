// The RadioBox unit: Windows groups the radio boxes among their siblings, so the selected
// property reads what the user clicked; only a written 1 checks a box.
#include "tests/win/control_units.h"

namespace rc::test {
namespace {

namespace prop = props::radio_box;

constexpr uint32_t kFirst = 0x16000150;
constexpr uint32_t kSecond = 0x16000151;

forms::RecordModel RadioRecord(uint32_t id, const char* caption, bool selected, int left) {
  forms::RadioBoxData data;
  data.caption = caption;
  data.selected = selected ? 1 : 0;
  data.text_colour = 0x800000;
  return UnitRecord(id, data, {left, 8, 64, 24}, forms::kStateVisible | forms::kStateTabStop);
}

using RadioBoxUnit = ControlUnitTest;

TEST_F(RadioBoxUnit, ReadsWhatTheUserClicked) {
  ASSERT_TRUE(
      Load({RadioRecord(kFirst, "60秒", true, 8), RadioRecord(kSecond, "45秒", false, 88)}));
  EXPECT_EQ(Read(kFirst, prop::kSelected.index), 1u) << "stored selected";
  EXPECT_EQ(Read(kSecond, prop::kSelected.index), 0u);
  SendMessageW(Native(kSecond), BM_CLICK, 0, 0);
  EXPECT_EQ(Read(kSecond, prop::kSelected.index), 1u) << "the clicked box is selected";
  EXPECT_EQ(Read(kFirst, prop::kSelected.index), 0u)
      << "after the user clicked another box of its group, a box reads 0";
  EXPECT_EQ(g_unit_events, std::vector<uint32_t>{kSecond}) << "the click raised event 0 once";
}

TEST_F(RadioBoxUnit, OnlyExactlyOneChecks) {
  ASSERT_TRUE(Load({RadioRecord(kFirst, "15秒", false, 8)}));
  // The type's own rule, seen through its property-changed operation: the runtime's logical
  // conversion may already have turned other non-zero values into 1.
  auto changed =
      reinterpret_cast<PropertyChangedOp>(UnitOperation(forms::kTypeRadioBox, kOpPropertyChanged));
  ASSERT_NE(changed, nullptr);
  UnitObject* unit = FindLiveObject(kControlWindow, kFirst);
  const struct {
    int32_t written;
    uint32_t reads;
  } writes[] = {{1, 1}, {0, 0}, {1, 1}, {2, 0}, {1, 1}, {-1, 0}};
  for (const auto& w : writes) {
    PropertyValue value;
    value.i = w.written;
    EXPECT_EQ(changed(unit, prop::kSelected.index - 8, value, nullptr), 0) << "no re-creation";
    EXPECT_EQ(Read(kFirst, prop::kSelected.index), w.reads)
        << "only exactly 1 checks; wrote " << w.written;
  }
  Write(kFirst, prop::kSelected.index, 0);
  EXPECT_EQ(Read(kFirst, prop::kSelected.index), 0u);
  Write(kFirst, prop::kSelected.index, 1);
  EXPECT_EQ(Read(kFirst, prop::kSelected.index), 1u);
  EXPECT_TRUE(g_unit_events.empty()) << "writing selected is no click";
  Write(kFirst, prop::kTextColour.index, 0x0000FF);
  EXPECT_EQ(Read(kFirst, prop::kTextColour.index), 0x0000FFu);
}

}  // namespace
}  // namespace rc::test
