// The skin library over the runtime's own units: default backgrounds of the window, labels,
// transparent labels, group boxes and radio boxes take the skin's face, explicit colours stay,
// and the runtime's controls made after the skin are dressed too (its subclassing sits above
// the library's, which puts a layer of its own on top).
#include "tests/win/control_units.h"

#include <cstdio>
#include <string>
#include <vector>

#include "skin/skin_format.h"
#include "tests/source_root.h"

namespace rc::test {
namespace {

using AttachFn = int(WINAPI*)(const uint8_t*, int, const char*, int, int, int);

constexpr uint32_t kLabel = 0x16000300, kTrans = 0x16000301, kGroup = 0x16000302,
                   kRadio = 0x16000303, kButton = 0x16000304, kEdit = 0x16000305, kBar = 0x16000306,
                   kRed = 0x16000307;

std::vector<uint8_t> SkinFile(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "skin/skins/%02d.she", number);
  std::vector<uint8_t> bytes;
  if (FILE* f = std::fopen(rc::test::SourcePath(name).c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    std::fclose(f);
  }
  return bytes;
}

class SkinnedUnits : public ControlUnitTest {
 protected:
  void SetUp() override {
    ControlUnitTest::SetUp();
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dll(path, n);
    dll.erase(dll.find_last_of(L"\\/") + 1);
    module_ = LoadLibraryW((dll + L"SkinH_EL.dll").c_str());
    ASSERT_NE(module_, nullptr);
    attach_ = reinterpret_cast<AttachFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, "SkinH_AttachRes")));
    ASSERT_NE(attach_, nullptr);
  }
  void TearDown() override {
    if (attach_) attach_(nullptr, 0, "", 0, 0, 0);
    ControlUnitTest::TearDown();
    if (module_) FreeLibrary(module_);
  }

  // The face of skin `number` (0: the plain look).
  COLORREF Apply(int number) {
    if (number == 0) {
      attach_(nullptr, 0, "", 0, 0, 0);
      Pump(50);
      return PlainFace();
    }
    std::vector<uint8_t> bytes = SkinFile(number);
    skin::SkinInfo info;
    EXPECT_EQ(skin::ReadSkin(bytes.data(), uint32_t(bytes.size()), &info), skin::kSkinOk);
    attach_(bytes.data(), int(bytes.size()), "", 0, 0, 0);
    Pump(50);
    const uint32_t c = info.colours[skin::kFace];
    return RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF);
  }
  // Read through the import each time: the compiler may keep an import's address in a register.
  __attribute__((noinline)) static COLORREF PlainFace() { return GetSysColor(COLOR_BTNFACE); }

  static std::vector<forms::RecordModel> Units() {
    forms::LabelData label;
    label.caption = "标签";
    forms::LabelData red;
    red.caption = "红";
    red.background_colour = 0x0000FF;
    forms::TransLabelData trans;
    trans.caption = "透明";
    forms::GroupBoxData group;
    group.caption = "分组";
    forms::RadioBoxData radio;
    radio.caption = "选项";
    forms::ButtonData button;
    button.caption = "开始";
    forms::EditBoxData edit;
    edit.content = "5";
    edit.spin = 1;
    forms::ProcessBarData bar;
    bar.maximum = 100;
    bar.position = 40;
    std::vector<forms::RecordModel> units = {
        UnitRecord(kLabel, label, {10, 10, 120, 30}),
        UnitRecord(kRed, red, {140, 10, 60, 30}),
        UnitRecord(kGroup, group, {10, 50, 200, 100}),
        UnitRecord(kTrans, trans, {20, 20, 120, 24}),
        UnitRecord(kRadio, radio, {230, 60, 120, 24}),
        UnitRecord(kButton, button, {230, 100, 100, 30}),
        UnitRecord(kEdit, edit, {10, 170, 100, 24}),
        UnitRecord(kBar, bar, {10, 210, 300, 20}),
    };
    PutInto(&units[2], &units[3]);
    return units;
  }

  static COLORREF At(uint32_t unit, int x, int y) {
    HWND hwnd = Native(unit);
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return c;
  }
  // Near the bottom right corner of the window's client area, where no unit lies.
  static COLORREF WindowCorner() {
    HWND hwnd = FindLiveObject(kControlWindow, 0)->hwnd();
    RECT r;
    GetClientRect(hwnd, &r);
    HDC dc = GetDC(hwnd);
    const COLORREF c = GetPixel(dc, r.right - 6, r.bottom - 6);
    ReleaseDC(hwnd, dc);
    return c;
  }

  HMODULE module_ = nullptr;
  AttachFn attach_ = nullptr;
};

TEST_F(SkinnedUnits, DefaultBackgroundsTakeTheFaceExplicitColoursStay) {
  // Loaded after the skin: the runtime subclasses its controls above the library.
  const COLORREF face = Apply(8);
  ASSERT_TRUE(Load(Units()));
  Pump(100);
  auto check = [&](COLORREF expected, const char* when) {
    SCOPED_TRACE(when);
    EXPECT_EQ(WindowCorner(), expected) << "window background";
    EXPECT_EQ(At(kLabel, 110, 3), expected) << "label with the default background";
    EXPECT_EQ(At(kGroup, 100, 80), expected) << "inside the group box";
    EXPECT_EQ(At(kTrans, 110, 20), expected) << "behind the transparent label";
    EXPECT_EQ(At(kRadio, 115, 3), expected) << "radio box background";
    EXPECT_EQ(At(kRed, 55, 3), RGB(255, 0, 0)) << "an explicit colour stays";
  };
  check(face, "skin 8, units made after it");
  HWND button = Native(kButton);
  EXPECT_NE(GetPropW(button, L"SkinH.upper"), nullptr) << "a layer above the runtime's";

  check(Apply(22), "skin 22, units made before it");
  check(Apply(0), "plain look, units made under a skin");
}

}  // namespace
}  // namespace rc::test
