// The Button unit: a click raises event 0; the caption goes to the native control as UTF-16
// and reads back as GBK; type and alignments are styles of the live control.
#include "runtime/units/unit_window.h"
#include "tests/win/control_units.h"

namespace rc::test {
namespace {

namespace prop = props::button;

constexpr uint32_t kButton = 0x16000140;

forms::RecordModel ButtonRecord() {
  forms::ButtonData data;
  data.caption = "轻触开始点名";
  return UnitRecord(kButton, data, {8, 8, 200, 60}, forms::kStateVisible | forms::kStateTabStop);
}

using ButtonUnit = ControlUnitTest;

TEST_F(ButtonUnit, ClickRaisesEventZero) {
  ASSERT_TRUE(Load({ButtonRecord()}));
  SendMessageW(Native(kButton), BM_CLICK, 0, 0);
  EXPECT_EQ(g_unit_events, std::vector<uint32_t>{kButton}) << "one click, one event 0";
  Write(kButton, prop::kCaption.index, 0);
  Write(kButton, prop::kType.index, 1);
  EXPECT_EQ(EventsOf(kButton), 1u) << "property writes are no clicks";
}

TEST_F(ButtonUnit, CaptionTypeAndAlignment) {
  ASSERT_TRUE(Load({ButtonRecord()}));
  HWND hwnd = Native(kButton);
  EXPECT_EQ(NativeText(hwnd), L"轻触开始点名") << "the stored GBK caption is shown as UTF-16";
  WriteText(kButton, prop::kCaption.index, "轻触停止点名");
  EXPECT_EQ(NativeText(hwnd), L"轻触停止点名");
  EXPECT_EQ(ReadText(kButton, prop::kCaption.index), "轻触停止点名");
  WriteText(kButton, prop::kCaption.index, nullptr);
  EXPECT_EQ(NativeText(hwnd), L"") << "a null text is the empty caption";

  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);
  Write(kButton, prop::kType.index, 1);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON)
      << "type 1 is the default push button";
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (BS_CENTER | BS_VCENTER), BS_CENTER | BS_VCENTER);
  Write(kButton, prop::kHorizontalAlignment.index, 2);
  Write(kButton, prop::kVerticalAlignment.index, 7);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & (BS_CENTER | BS_VCENTER), BS_RIGHT | BS_BOTTOM);
  EXPECT_EQ(Read(kButton, prop::kVerticalAlignment.index), 2u)
      << "alignments beyond 2 are taken as 2";
  EXPECT_EQ(Native(kButton), hwnd) << "none of these re-creates the button";
}

TEST_F(ButtonUnit, PictureShowsWithoutCaption) {
  ASSERT_TRUE(Load({ButtonRecord()}));
  HWND hwnd = Native(kButton);
  // A 2 x 1 bitmap file: one red and one blue pixel.
  const uint8_t bmp[] = {
      'B', 'M', 62,  0,   0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  // file header
      40,  0,   0,   0,   2, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
      8,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  // info header
      0,   0,   255, 255, 0, 0, 0, 0};                                       // pixels
  void* block = BytesToByteBlock(bmp, sizeof bmp);
  Write(kButton, prop::kPicture.index, uint32_t(reinterpret_cast<uintptr_t>(block)));
  FreeMem(block);
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & BS_BITMAP, 0) << "the caption shows";
  WriteText(kButton, prop::kCaption.index, "");
  EXPECT_NE(GetWindowLongW(hwnd, GWL_STYLE) & BS_BITMAP, 0) << "without a caption the picture";
  EXPECT_NE(SendMessageW(hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
  EXPECT_EQ(ReadText(kButton, prop::kCaption.index), "");
  // At every DPI the picture is its design size scaled (a length of 1 at least 1 more), its
  // colours smoothed but kept: red at the left end, blue at the right; at 96 as stored.
  const struct { int dpi, width; } scales[] = {{192, 4}, {144, 3}, {120, 3}, {96, 2}};
  for (const auto& c : scales) {
    UnitWindow::FromHwnd(hwnd)->SetDpi(c.dpi);
    BITMAP b{};
    auto shown = reinterpret_cast<HBITMAP>(SendMessageW(hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_TRUE(shown != nullptr && GetObjectW(shown, sizeof b, &b) == sizeof b && b.bmBits);
    const auto* row = static_cast<const uint32_t*>(b.bmBits);
    EXPECT_TRUE(b.bmWidth == c.width && b.bmHeight == MulDiv(1, c.dpi, 96) &&
                (row[0] & 0xFFFFFF) == 0xFF0000 && (row[c.width - 1] & 0xFFFFFF) == 0x0000FF)
        << "a 2 x 1 picture at " << c.dpi << " DPI: " << b.bmWidth << " x " << b.bmHeight;
  }
  Write(kButton, prop::kPicture.index, 0);
  EXPECT_EQ(SendMessageW(hwnd, BM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "no bytes, no picture";
  EXPECT_EQ(GetWindowLongW(hwnd, GWL_STYLE) & BS_BITMAP, 0);
}

}  // namespace
}  // namespace rc::test
