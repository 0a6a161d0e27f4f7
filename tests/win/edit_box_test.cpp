// The EditBox unit: a content write raises the change event exactly once, typing raises it,
// integer input refuses anything but "-" and digits from the keyboard, and the spin option
// attaches an up-down control with its range.
#include "tests/win/control_units.h"

#include <commctrl.h>

namespace rc::test {
namespace {

namespace prop = props::edit_box;

constexpr uint32_t kEdit = 0x16000160;

// The minutes box of the countdown window.
forms::EditBoxData CountdownBox() {
  forms::EditBoxData data;
  data.content = "0";
  data.max_length = 2;
  data.alignment = 1;
  data.input_mode = 3;
  data.spin = 1;
  data.spin_min = 0;
  data.spin_max = 60;
  return data;
}

forms::RecordModel EditRecord(const forms::EditBoxData& data) {
  return UnitRecord(kEdit, data, {8, 24, 104, 30}, forms::kStateVisible | forms::kStateTabStop);
}

void Type(const wchar_t* text) {
  for (const wchar_t* c = text; *c != 0; ++c) {
    SendMessageW(ControlUnitTest::Native(kEdit), WM_CHAR, *c, 1);
  }
}

using EditBoxUnit = ControlUnitTest;

TEST_F(EditBoxUnit, ContentWriteRaisesTheChangeEventOnce) {
  ASSERT_TRUE(Load({EditRecord(forms::EditBoxData())}));
  EXPECT_TRUE(g_unit_events.empty()) << "creating the box is no change";
  const char* writes[] = {"分钟", "分钟", "", "12"};
  size_t expected = 0;
  for (const char* text : writes) {
    WriteText(kEdit, prop::kContent.index, text);
    EXPECT_EQ(EventsOf(kEdit), ++expected) << "writing \"" << text << "\" raises event 0 once";
    EXPECT_EQ(ReadText(kEdit, prop::kContent.index), text);
  }
  EXPECT_EQ(NativeText(Native(kEdit)), L"12");
}

TEST_F(EditBoxUnit, TypingRaisesTheChangeEvent) {
  ASSERT_TRUE(Load({EditRecord(forms::EditBoxData())}));
  Type(L"ab");
  EXPECT_EQ(EventsOf(kEdit), 2u) << "every change by the user is reported";
  EXPECT_EQ(ReadText(kEdit, prop::kContent.index), "ab") << "the content is read from the control";
}

TEST_F(EditBoxUnit, IntegerInputRefusesLetters) {
  forms::EditBoxData data;
  data.input_mode = 3;
  ASSERT_TRUE(Load({EditRecord(data)}));
  const struct {
    const wchar_t* typed;
    const char* content;
  } cases[] = {
      {L"a", ""},   {L"5", "5"},     {L"x-", "5-"},   {L"\b", "5"},
      {L"９", "5"}, {L"1 2", "512"}, {L"+.e", "512"},
  };
  for (const auto& c : cases) {
    Type(c.typed);
    EXPECT_EQ(ReadText(kEdit, prop::kContent.index), c.content)
        << "integer mode takes only \"-\", digits and control characters";
  }
  Write(kEdit, prop::kInputMode.index, 0);
  Type(L"a");
  EXPECT_EQ(ReadText(kEdit, prop::kContent.index), "512a") << "normal mode takes letters again";
}

TEST_F(EditBoxUnit, MaximumLengthAndSpin) {
  ASSERT_TRUE(Load({EditRecord(CountdownBox())}));
  HWND edit = Native(kEdit);
  HWND spin = FindWindowExW(GetParent(edit), nullptr, UPDOWN_CLASSW, nullptr);
  ASSERT_NE(spin, nullptr) << "the spin option attaches an up-down control";
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(spin, UDM_GETBUDDY, 0, 0)), edit);
  int low = -1, high = -1;
  SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
               reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 0);
  EXPECT_EQ(high, 60);
  EXPECT_EQ(ReadText(kEdit, prop::kContent.index), "0") << "attaching keeps the content";
  EXPECT_TRUE(g_unit_events.empty());
  RECT box, arrows;
  GetWindowRect(edit, &box);
  GetWindowRect(spin, &arrows);
  EXPECT_EQ(arrows.left, box.right) << "the up-down sits right beside the box";
  EXPECT_TRUE(IsWindowVisible(spin)) << "shown with the box";
  Write(kEdit, props::kVisible.index, 0);
  EXPECT_FALSE(IsWindowVisible(spin)) << "hidden with the box";
  Write(kEdit, props::kVisible.index, 1);
  Write(kEdit, props::kDisabled.index, 1);
  EXPECT_FALSE(IsWindowEnabled(spin)) << "disabled with the box";
  Write(kEdit, props::kDisabled.index, 0);
  EXPECT_TRUE(IsWindowEnabled(spin));

  Write(kEdit, prop::kSpinMinimum.index, 90);
  SendMessageW(spin, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
               reinterpret_cast<LPARAM>(&high));
  EXPECT_EQ(low, 60) << "the range runs from the smaller end";
  EXPECT_EQ(high, 90);

  Write(kEdit, prop::kSelectionStart.index, 1);  // the caret after the "0"
  Type(L"123");
  EXPECT_EQ(ReadText(kEdit, prop::kContent.index), "01") << "at most 2 characters";
  Write(kEdit, prop::kMaximumLength.index, 4);
  Type(L"23");
  EXPECT_EQ(ReadText(kEdit, prop::kContent.index), "0123");

  Write(kEdit, prop::kSpinControl.index, 0);
  EXPECT_FALSE(IsWindow(spin)) << "switching the spin option off removes the up-down";
}

TEST_F(EditBoxUnit, MultiLineChangeRecreatesWithTheContent) {
  ASSERT_TRUE(Load({EditRecord(forms::EditBoxData())}));
  Type(L"第一行");
  HWND old_edit = Native(kEdit);
  Write(kEdit, prop::kMultiLine.index, 1);
  HWND edit = Native(kEdit);
  ASSERT_NE(edit, nullptr);
  EXPECT_NE(GetWindowLongW(edit, GWL_STYLE) & ES_MULTILINE, 0)
      << "multi-line is a style of a new control";
  EXPECT_NE(edit, old_edit);
  EXPECT_EQ(ReadText(kEdit, prop::kContent.index), "第一行")
      << "what the user typed survives re-creation";
}

}  // namespace
}  // namespace rc::test
