// The GroupBox unit as a container: the units inside it are its child windows, hidden with it,
// and their notifications reach them through it (a button inside still raises its click).
#include "tests/win/control_units.h"

namespace rc::test {
namespace {

namespace prop = props::group_box;

constexpr uint32_t kGroup = 0x16000170;
constexpr uint32_t kButton = 0x16000171;
constexpr uint32_t kRadio = 0x16000172;

std::vector<forms::RecordModel> GroupWithUnits() {
  forms::GroupBoxData group;
  group.caption = "计时器";
  forms::RecordModel box = UnitRecord(kGroup, group, {8, 8, 300, 200});
  forms::ButtonData button;
  button.caption = "计时器开关";
  forms::RecordModel inside = UnitRecord(kButton, button, {8, 20, 150, 24});
  forms::RadioBoxData radio;
  radio.caption = "15秒";
  forms::RecordModel choice = UnitRecord(kRadio, radio, {8, 60, 80, 24});
  PutInto(&box, &inside);
  PutInto(&box, &choice);
  return {inside, choice, box};
}

using GroupBoxUnit = ControlUnitTest;

TEST_F(GroupBoxUnit, ChildrenLiveInsideAndReachTheirEvents) {
  ASSERT_TRUE(Load(GroupWithUnits()));
  HWND group = Native(kGroup);
  ASSERT_EQ(GetParent(Native(kButton)), group) << "a unit inside a group box is its child window";
  SendMessageW(Native(kButton), BM_CLICK, 0, 0);
  SendMessageW(Native(kRadio), BM_CLICK, 0, 0);
  EXPECT_EQ(g_unit_events, (std::vector<uint32_t>{kButton, kRadio}))
      << "the group box reflects its children's notifications to them";
  EXPECT_EQ(Read(kRadio, props::radio_box::kSelected.index), 1u);

  Write(kGroup, props::kVisible.index, 0);
  EXPECT_FALSE(IsWindowVisible(Native(kButton))) << "hiding the group box hides its units";
  Write(kGroup, props::kVisible.index, 1);
  EXPECT_TRUE(IsWindowVisible(Native(kButton)));
}

TEST_F(GroupBoxUnit, CaptionAndAlignment) {
  ASSERT_TRUE(Load(GroupWithUnits()));
  HWND group = Native(kGroup);
  EXPECT_EQ(NativeText(group), L"计时器");
  WriteText(kGroup, prop::kCaption.index, "被点人名");
  EXPECT_EQ(NativeText(group), L"被点人名");
  EXPECT_EQ(ReadText(kGroup, prop::kCaption.index), "被点人名");
  Write(kGroup, prop::kCaptionAlignment.index, 1);
  EXPECT_EQ(GetWindowLongW(group, GWL_STYLE) & BS_CENTER, BS_CENTER) << "1 centres the caption";
  Write(kGroup, prop::kCaptionAlignment.index, uint32_t(-4));
  EXPECT_EQ(Read(kGroup, prop::kCaptionAlignment.index), 0u) << "a negative choice is 0";
  EXPECT_EQ(GetWindowLongW(group, GWL_STYLE) & BS_CENTER, BS_LEFT);
  Write(kGroup, prop::kTextColour.index, 0x808000);
  EXPECT_EQ(Read(kGroup, prop::kTextColour.index), 0x808000u);
}

}  // namespace
}  // namespace rc::test
