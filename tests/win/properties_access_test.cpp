// ReadProperty and WriteProperty on units of the test types: the clamps of the common
// properties, conversion by property kind, fonts by element, visible and disabled, tag and
// cursor, and the re-creation of a unit that asks for it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/text_w.h"
#include "base/values.h"
#include "runtime/draw/font.h"
#include "runtime/properties.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/units_test_forms.h"
#include "tests/win/units_test_types.h"

namespace rc::test {
namespace {

constexpr uint32_t kWin = 0x52000200;
constexpr uint32_t kWinUnit = 0x06000201;
constexpr uint32_t kA = 0x16000202;
constexpr uint32_t kP = 0x16000203;
constexpr uint32_t kB = 0x16000204;
constexpr uint32_t kX = 0x16000205;
constexpr uint32_t kH = 0x16000206;

class UnitsProperties : public UnitsTest {
 protected:
  void SetUp() override {
    Install({{kWin,
              kWinUnit,
              "属性",
              {20, 20, 400, 300},
              {},
              {{kA, kTypePanel, {0, 0, 50, 20}, 0, forms::kStateVisible | forms::kStateTabStop},
               {kP,
                kTypePanel,
                {60, 60, 120, 100},
                0,
                forms::kStateVisible | forms::kStateTabStop,
                {Bind(-1), Bind(1)}},
               {kB, kTypePanel, {0, 200, 50, 20}},
               {kX, kTypePanel, {5, 5, 40, 20}, kP},
               {kH, kTypeHidden, {0, 230, 50, 20}, 0, 0}}}});
  }
  static int32_t Read(uint32_t unit, int32_t index, int32_t element = -1) {
    return int32_t(uint32_t(ReadProperty(kWin, unit, index, element)));
  }
};

TEST_F(UnitsProperties, PositionAndSizeAreClampedOnTheRecordAndOnTheNativeWindow) {
  struct Case {
    props::Property property;
    int32_t value, want;
  } cases[] = {
      {props::kWidth, 40000, 32627},  {props::kWidth, -5, 0},
      {props::kHeight, 32628, 32627}, {props::kHeight, 12, 12},
      {props::kLeft, -40000, -32627}, {props::kTop, 40000, 32627},
      {props::kLeft, -32627, -32627}, {props::kTop, 17, 17},
  };
  for (bool loaded : {false, true}) {
    if (loaded) {
      ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
    }
    for (const Case& c : cases) {
      WriteProperty(kWin, kA, c.property.index, -1, uint32_t(c.value), 0);
      EXPECT_EQ(Read(kA, c.property.index), c.want)
          << c.property.name << " written " << c.value << (loaded ? " (loaded)" : "");
    }
  }
  RECT r;
  GetWindowRect(Hwnd(kWin, kA), &r);
  EXPECT_EQ(r.bottom - r.top, 12) << "height is the native window's outer height";
}

TEST_F(UnitsProperties, ValuesAreConvertedByTheKindOfTheProperty) {
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  TestUnit* p = Unit(kWin, kP);

  WriteProperty(kWin, kP, 11, -1, 5, 0);
  EXPECT_EQ(p->data().flag, 1) << "any non-zero logical is true";
  EXPECT_EQ(Read(kP, 11), 1) << "a logical reads back as 1";
  WriteProperty(kWin, kP, 12, -1, uint32_t(-3), 0);
  EXPECT_EQ(p->data().choice, 0) << "a negative choice is stored as 0";
  WriteProperty(kWin, kP, 15, -1, 0x00112233, 0xDEAD);
  EXPECT_EQ(Read(kP, 15), 0x00112233) << "colours travel in the low word";

  double number = 2.5;
  uint64_t bits;
  std::memcpy(&bits, &number, sizeof bits);
  WriteProperty(kWin, kP, 14, -1, uint32_t(bits), uint32_t(bits >> 32));
  EXPECT_EQ(p->data().number, 2.5);
  EXPECT_EQ(ReadProperty(kWin, kP, 14, -1), bits) << "doubles travel in both words";

  const std::string caption = "新标题";
  WriteProperty(kWin, kP, 8, -1, Ptr(caption.c_str()), 0);
  wchar_t shown[32] = {};
  GetWindowTextW(Hwnd(kWin, kP), shown, 32);
  EXPECT_EQ(std::wstring(shown), Wide(caption)) << "texts reach the window system as UTF-16";
  HeapText read(reinterpret_cast<char*>(uintptr_t(ReadProperty(kWin, kP, 8, -1))));
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read.get(), "新标题");
  EXPECT_NE(static_cast<const void*>(read.get()), p->data().caption.c_str())
      << "a text read is a new block owned by the caller";
  WriteProperty(kWin, kP, 8, -1, 0, 0);
  EXPECT_EQ(ReadProperty(kWin, kP, 8, -1), 0u) << "null writes and reads as the empty text";

  const uint8_t raw[] = {1, 2, 3};
  HeapBlock block(BytesToByteBlock(raw, 3));
  WriteProperty(kWin, kP, 13, -1, Ptr(block.get()), 0);
  EXPECT_EQ(p->data().blob, forms::Bytes(raw, raw + 3));
  HeapBlock back(reinterpret_cast<void*>(uintptr_t(ReadProperty(kWin, kP, 13, -1))));
  ASSERT_EQ(ByteBlockLength(back.get()), 3u);
  EXPECT_EQ(std::memcmp(ByteBlockData(back.get()), raw, 3), 0);
  EXPECT_NE(back.get(), block.get());
  WriteProperty(kWin, kP, 13, -1, 0, 0);
  EXPECT_TRUE(p->data().blob.empty()) << "a null byte block means none";
  EXPECT_EQ(ReadProperty(kWin, kP, 13, -1), 0u);
}

TEST_F(UnitsProperties, FontsAreWrittenAndReadByElement) {
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  TestUnit* p = Unit(kWin, kP);
  LOGFONTA gui = draw::DefaultGuiFontRecord();
  EXPECT_EQ(Read(kP, 9, 5), draw::ReadFontNumber(gui, 5))
      << "a unit without a font reads the default GUI font";

  auto record = [p] {
    LOGFONTA f{};
    std::memcpy(&f, p->data().font.data(), std::min(sizeof f, p->data().font.size()));
    return f;
  };
  WriteProperty(kWin, kP, 9, 5, 20, 0);
  ASSERT_EQ(p->data().font.size(), draw::kFontRecordSize) << "the unit gets a whole record";
  EXPECT_EQ(record().lfHeight, -20);
  EXPECT_EQ(record().lfWeight, gui.lfWeight) << "a single field starts from the current font";
  WriteProperty(kWin, kP, 9, 1, 1, 0);
  EXPECT_EQ(record().lfWeight, 700);
  EXPECT_EQ(record().lfHeight, -20);
  WriteProperty(kWin, kP, 9, 0, 3700, 0);
  EXPECT_EQ(Read(kP, 9, 0), 100) << "angles are kept modulo 3600";

  struct Face {
    std::string written, want;
  } faces[] = {{"黑体", "黑体"}, {"", "宋体"}, {std::string(40, 'x'), "宋体"}};
  for (const Face& f : faces) {
    WriteProperty(kWin, kP, 9, 6, Ptr(f.written.c_str()), 0);
    HeapText face(reinterpret_cast<char*>(uintptr_t(ReadProperty(kWin, kP, 9, 6))));
    EXPECT_STREQ(face.get(), f.want.c_str()) << "face written: '" << f.written << "'";
  }
  LOGFONTW made{};
  GetObjectW(p->font(), sizeof made, &made);
  EXPECT_EQ(std::wstring(made.lfFaceName), Wide("宋体")) << "the face reaches GDI as UTF-16";

  HeapBlock whole(reinterpret_cast<void*>(uintptr_t(ReadProperty(kWin, kP, 9, -1))));
  draw::FontFields fields;
  ASSERT_TRUE(
      draw::UnpackFontFields(ByteBlockData(whole.get()), ByteBlockLength(whole.get()), &fields));
  EXPECT_EQ(fields.size, 20);
  EXPECT_EQ(fields.bold, 1);
  fields.size = 30;
  fields.italic = 1;
  uint8_t packed[draw::kFontFieldsSize];
  draw::PackFontFields(fields, packed);
  HeapBlock next(BytesToByteBlock(packed, sizeof packed));
  WriteProperty(kWin, kP, 9, -1, Ptr(next.get()), 0);
  EXPECT_EQ(record().lfHeight, -30);
  EXPECT_EQ(record().lfItalic, 1);

  forms::Bytes before = p->data().font;
  WriteProperty(kWin, kP, 9, 9, 1, 0);
  HeapBlock short_block(BytesToByteBlock(packed, 10));
  WriteProperty(kWin, kP, 9, -1, Ptr(short_block.get()), 0);
  EXPECT_EQ(p->data().font, before) << "an unknown element or a short record changes nothing";
}

TEST_F(UnitsProperties, VisibleAndDisabledGoToTheRecordAndTheNativeWindow) {
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  WriteProperty(kWin, kA, props::kVisible.index, -1, 0, 0);
  EXPECT_FALSE(IsWindowVisible(Hwnd(kWin, kA)));
  EXPECT_EQ(Read(kA, props::kVisible.index), 0);
  WriteProperty(kWin, kA, props::kVisible.index, -1, 1, 0);
  EXPECT_TRUE(IsWindowVisible(Hwnd(kWin, kA)));

  WriteProperty(kWin, kH, props::kVisible.index, -1, 1, 0);
  EXPECT_FALSE(IsWindowVisible(Hwnd(kWin, kH))) << "a type that is never visible is not shown";

  WriteProperty(kWin, kA, props::kDisabled.index, -1, 1, 0);
  EXPECT_FALSE(IsWindowEnabled(Hwnd(kWin, kA)));
  EXPECT_EQ(Read(kA, props::kDisabled.index), 1);

  WriteProperty(kWin, kWinUnit, props::kVisible.index, -1, 0, 0);
  EXPECT_FALSE(IsWindowVisible(Hwnd(kWin)));
  WriteProperty(kWin, kWinUnit, props::kVisible.index, -1, 1, 0);
  EXPECT_TRUE(IsWindowVisible(Hwnd(kWin))) << "making the window unit visible shows the window";

  WriteProperty(kWin, kWinUnit, props::kLeft.index, -1, 123, 0);
  WriteProperty(kWin, kWinUnit, props::kTop.index, -1, 45, 0);
  RECT r;
  GetWindowRect(Hwnd(kWin), &r);
  EXPECT_EQ(r.left, 123) << "a window's position is on the screen";
  EXPECT_EQ(r.top, 45);
}

TEST_F(UnitsProperties, TagAndCursorAreRecordEdits) {
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  const std::string tag = "标记";
  WriteProperty(kWin, kA, props::kTag.index, -1, Ptr(tag.c_str()), 0);
  HeapText read(reinterpret_cast<char*>(uintptr_t(ReadProperty(kWin, kA, props::kTag.index, -1))));
  EXPECT_STREQ(read.get(), "标记");
  WriteProperty(kWin, kA, props::kTag.index, -1, 0, 0);
  EXPECT_EQ(ReadProperty(kWin, kA, props::kTag.index, -1), 0u)
      << "a null tag is stored as the empty text";

  const uint8_t hand[] = {0x89, 0x7F, 0, 0};
  HeapBlock cursor(BytesToByteBlock(hand, 4));
  WriteProperty(kWin, kA, props::kCursor.index, -1, Ptr(cursor.get()), 0);
  HCURSOR made = UnitCursor(kWin, kA);
  EXPECT_NE(made, nullptr) << "writing the cursor makes the new cursor at once";
  HeapBlock back(
      reinterpret_cast<void*>(uintptr_t(ReadProperty(kWin, kA, props::kCursor.index, -1))));
  ASSERT_EQ(ByteBlockLength(back.get()), 4u);
  EXPECT_EQ(std::memcmp(ByteBlockData(back.get()), hand, 4), 0);
  WriteProperty(kWin, kA, props::kCursor.index, -1, 0, 0);
  EXPECT_EQ(UnitCursor(kWin, kA), nullptr);
  EXPECT_EQ(ReadProperty(kWin, kA, props::kCursor.index, -1), 0u);
}

TEST_F(UnitsProperties, ReCreationKeepsPlaceChildrenAndFocusAndRaisesNothingMeanwhile) {
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kP, 1, {}}})) << "events of a first creation run";
  HWND old = Hwnd(kWin, kP);
  int id = GetDlgCtrlID(old);
  SetFocus(old);
  WriteProperty(kWin, kP, props::kVisible.index, -1, 1, 0);
  SeenEvents().clear();
  UnitLog().clear();

  WriteProperty(kWin, kP, 10, -1, 7, 0);
  HWND fresh = Hwnd(kWin, kP);
  ASSERT_NE(fresh, nullptr);
  EXPECT_NE(fresh, old);
  EXPECT_FALSE(IsWindow(old)) << "the old native window is destroyed";
  EXPECT_EQ(UnitLog().front(), "create " + Hex(kP) + " id " + std::to_string(id) + " recreating")
      << "same control id, made while the re-creation counter is raised";
  EXPECT_TRUE(SeenEvents().empty()) << "no event is dispatched while the unit is being made";
  EXPECT_EQ(Read(kP, 10), 7) << "the new unit is made from the old one's current data";
  EXPECT_EQ(Read(kP, props::kLeft.index), 60);
  EXPECT_EQ(Read(kP, props::kTop.index), 60);
  EXPECT_EQ(Read(kP, props::kWidth.index), 120);
  EXPECT_EQ(GetWindow(Hwnd(kWin, kA), GW_HWNDNEXT), fresh) << "z-order kept";
  EXPECT_EQ(GetWindow(fresh, GW_HWNDNEXT), Hwnd(kWin, kB));
  EXPECT_EQ(GetParent(Hwnd(kWin, kX)), fresh) << "a container's units move into the new one";
  EXPECT_EQ(GetFocus(), fresh) << "the focus comes back";
  EXPECT_TRUE(IsWindowVisible(fresh));
  EXPECT_NE(std::find(UnitLog().begin(), UnitLog().end(),
                      "notified " + Hex(kP) + " visible 0 parent 00000000"),
            UnitLog().end())
      << "the new unit is told it exists before it is shown";

  PostMessageW(fresh, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4));
  Pump();
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kP, -1, {3, 4, 0}}})) << "events flow again";

  WriteProperty(kWin, kP, 10, -1, 7, 0);
  EXPECT_EQ(Hwnd(kWin, kP), fresh) << "a type that does not ask for it is not re-created";
}

}  // namespace
}  // namespace rc::test
