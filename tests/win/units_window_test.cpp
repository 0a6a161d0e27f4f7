// The window unit's own properties: each one written and read back with its range, the frame
// styles they decide, the background painting, icons, the Move command, the always-on-top rule
// between windows, and background music kept and replaced.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/values.h"
#include "forms/props/window.h"
#include "runtime/properties.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/draw_support.h"
#include "tests/win/units_test_forms.h"

namespace rc::test {
namespace {

namespace prop = props::window;

constexpr uint32_t kWin = 0x52000400;
constexpr uint32_t kWinUnit = 0x06000401;
constexpr uint32_t kOther = 0x52000410;
constexpr uint32_t kOtherUnit = 0x06000411;

// A short silent PCM wave file.
forms::Bytes SilentWave() {
  forms::Bytes out;
  forms::ByteWriter w(&out);
  const uint32_t samples = 800;
  w.Raw("RIFF", 4);
  w.U32(36 + samples);
  w.Raw("WAVEfmt ", 8);
  w.U32(16);
  w.U16(1);  // PCM
  w.U16(1);
  w.U32(8000);
  w.U32(8000);
  w.U16(1);
  w.U16(8);
  w.Raw("data", 4);
  w.U32(samples);
  out.insert(out.end(), samples, 0x80);
  return out;
}

class UnitsWindow : public UnitsTest {
 protected:
  void SetUp() override {
    Install({{kWin, kWinUnit, "窗口属性", {30, 30, 320, 240}},
             {kOther, kOtherUnit, "另一个窗口", {400, 30, 200, 150}}});
    ASSERT_TRUE(OpenWindow(kWin, nullptr, false));
    hwnd_ = Hwnd(kWin);
  }
  static void Write(const props::Property& property, uint32_t value, uint32_t window = kWin,
                    uint32_t unit = kWinUnit) {
    WriteProperty(window, unit, property.index, -1, value, 0);
  }
  static int32_t Read(const props::Property& property) {
    return int32_t(uint32_t(ReadProperty(kWin, kWinUnit, property.index, -1)));
  }
  DWORD Style() const { return DWORD(GetWindowLongW(hwnd_, GWL_STYLE)); }
  DWORD ExStyle() const { return DWORD(GetWindowLongW(hwnd_, GWL_EXSTYLE)); }
  HWND hwnd_ = nullptr;
};

TEST_F(UnitsWindow, EveryNumberPropertyReadsBackWhatWasWrittenWithinItsRange) {
  struct Case {
    props::Property property;
    uint32_t written;
    int32_t read;
  } cases[] = {
      {prop::kBorderStyle, 7, 6},     {prop::kBorderStyle, uint32_t(-1), 0},
      {prop::kBorderStyle, 2, 2},     {prop::kBackgroundColour, 0x00336699, 0x00336699},
      {prop::kPictureMode, 9, 3},     {prop::kPictureMode, 1, 1},
      {prop::kMusicPlayCount, 5, 2},  {prop::kControlBox, 0, 0},
      {prop::kControlBox, 1, 1},      {prop::kMaximiseButton, 3, 1},
      {prop::kMinimiseButton, 1, 1},  {prop::kStartPosition, 0, 0},
      {prop::kMovable, 0, 0},         {prop::kMovable, 1, 1},
      {prop::kEnterMovesFocus, 1, 1}, {prop::kEscCloses, 1, 1},
      {prop::kF1OpensHelp, 1, 1},     {prop::kHelpContext, 77, 77},
      {prop::kTaskbarButton, 0, 0},   {prop::kDragByAnyPoint, 1, 1},
      {prop::kShape, 40, 29},         {prop::kShape, 3, 3},
      {prop::kProperty30, 9, 1},      {prop::kAlwaysOnTop, 0, 0},
  };
  for (const Case& c : cases) {
    Write(c.property, c.written);
    EXPECT_EQ(Read(c.property), c.read) << c.property.name << " written " << c.written;
  }
  struct TextCase {
    props::Property property;
    std::string text;
  } texts[] = {
      {prop::kTitle, "新的标题"}, {prop::kHelpFile, "帮助.hlp"}, {prop::kClassName, "别的类名"}};
  for (const TextCase& t : texts) {
    Write(t.property, Ptr(t.text.c_str()));
    HeapText back(
        reinterpret_cast<char*>(uintptr_t(ReadProperty(kWin, kWinUnit, t.property.index, -1))));
    EXPECT_STREQ(back.get(), t.text.c_str()) << t.property.name;
  }
  wchar_t title[32] = {};
  GetWindowTextW(hwnd_, title, 32);
  EXPECT_EQ(std::wstring(title), Wide("新的标题"));
  wchar_t cls[32] = {};
  GetClassNameW(hwnd_, cls, 32);
  EXPECT_STREQ(cls, L"WTWindow") << "the class is chosen when the window is made";
}

TEST_F(UnitsWindow, BorderControlBoxAndButtonsDecideTheFrame) {
  struct Case {
    int32_t border, control_box, max, min;
    DWORD present, absent, ex_present, ex_absent;
  } cases[] = {
      {2, 1, 0, 0, WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MAXIMIZEBOX, 0,
       WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE},
      {0, 1, 0, 0, 0, WS_CAPTION | WS_DLGFRAME | WS_THICKFRAME, 0, 0},
      {1, 0, 1, 1, WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX, WS_SYSMENU, 0, 0},
      {3, 1, 0, 0, WS_THICKFRAME, 0, WS_EX_TOOLWINDOW, WS_EX_CLIENTEDGE},
      {5, 1, 0, 0, WS_THICKFRAME, 0, WS_EX_CLIENTEDGE, WS_EX_TOOLWINDOW},
      {6, 1, 0, 0, WS_DLGFRAME, WS_THICKFRAME, WS_EX_CLIENTEDGE, 0},
  };
  for (const Case& c : cases) {
    Write(prop::kBorderStyle, uint32_t(c.border));
    Write(prop::kControlBox, uint32_t(c.control_box));
    Write(prop::kMaximiseButton, uint32_t(c.max));
    Write(prop::kMinimiseButton, uint32_t(c.min));
    EXPECT_EQ(Style() & c.present, c.present) << "border " << c.border;
    EXPECT_EQ(Style() & c.absent, 0u) << "border " << c.border;
    EXPECT_EQ(ExStyle() & c.ex_present, c.ex_present) << "border " << c.border;
    EXPECT_EQ(ExStyle() & c.ex_absent, 0u) << "border " << c.border;
  }
  Write(prop::kControlBox, 0);
  Write(prop::kBorderStyle, 2);
  Write(prop::kTitle, 0);
  EXPECT_EQ(Style() & WS_CAPTION, DWORD(WS_DLGFRAME))
      << "no title and no control box: no title bar";
}

TEST(UnitsWindowClass, OneClassWithDoubleClicksAndNoBrushAndTheTaskbarOwnerRule) {
  UnitsTest::InstallFor({});
  Runtime& rt = TheRuntime();
  HWND hidden = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, nullptr, nullptr);
  rt.message_window = hidden;
  WindowSpec with{kWin, kWinUnit, "有任务栏按钮", {30, 30, 200, 100}};
  WindowSpec without{kOther, kOtherUnit, "没有任务栏按钮", {300, 30, 200, 100}};
  without.data.taskbar_button = 0;
  UnitsTest::InstallFor({with, without});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false));
  ASSERT_TRUE(OpenWindow(kOther, nullptr, false));
  HWND a = FindLiveObject(kWin, 0)->hwnd();
  HWND b = FindLiveObject(kOther, 0)->hwnd();
  EXPECT_EQ(GetWindow(a, GW_OWNER), nullptr) << "a window with a taskbar button has no owner";
  EXPECT_EQ(GetWindow(b, GW_OWNER), hidden) << "one without is owned by the runtime's window";
  EXPECT_EQ(GetClassLongPtrW(a, GCLP_HBRBACKGROUND), 0u) << "the window paints its background";
  EXPECT_EQ(GetClassLongW(a, GCL_STYLE) & (CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW),
            DWORD(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(GetClassLongPtrW(a, GCLP_HCURSOR), GetClassLongPtrW(b, GCLP_HCURSOR))
      << "both windows share the one class";
  DestroyWindow(a);
  DestroyWindow(b);
  rt.message_window = nullptr;
  DestroyWindow(hidden);
  rt.forms.reset();
}

TEST_F(UnitsWindow, AWindowThatIsNotMovableHasNoMoveCommand) {
  auto has_move = [this] {
    return GetMenuState(GetSystemMenu(hwnd_, FALSE), SC_MOVE, MF_BYCOMMAND) != UINT(-1);
  };
  EXPECT_TRUE(has_move());
  Write(prop::kMovable, 0);
  EXPECT_FALSE(has_move());
  Write(prop::kMovable, 1);
  EXPECT_TRUE(has_move());
}

TEST_F(UnitsWindow, BackgroundColourAndPictureArePainted) {
  RECT client;
  GetClientRect(hwnd_, &client);
  draw::test::Canvas canvas(client.right, client.bottom, RGB(1, 2, 3));
  auto paint = [&] { SendMessageW(hwnd_, WM_ERASEBKGND, WPARAM(canvas.dc()), 0); };
  paint();
  EXPECT_EQ(canvas.At(5, 5), GetSysColor(COLOR_BTNFACE)) << "the default colour is button face";
  Write(prop::kBackgroundColour, 0x000000FF);
  paint();
  EXPECT_EQ(canvas.At(client.right - 1, client.bottom - 1), RGB(255, 0, 0));

  std::vector<uint8_t> jpeg = draw::test::ReadPicture("quad.jpg");
  HeapBlock picture(BytesToByteBlock(jpeg.data(), ptrdiff_t(jpeg.size())));
  Write(prop::kPictureMode, 0);
  Write(prop::kBackgroundPicture, Ptr(picture.get()));
  paint();
  EXPECT_TRUE(draw::test::Near(canvas.At(2, 2), RGB(255, 0, 0), 24));
  EXPECT_EQ(canvas.At(client.right - 1, client.bottom - 1), RGB(255, 0, 0))
      << "mode 0: the picture in its own size at the top-left, the colour elsewhere";
  Write(prop::kPictureMode, 3);
  paint();
  EXPECT_TRUE(
      draw::test::Near(canvas.At(client.right - 3, client.bottom - 3), RGB(255, 255, 255), 24))
      << "mode 3: stretched over the client area";
  Write(prop::kPictureMode, 1);
  paint();
  EXPECT_TRUE(draw::test::Near(canvas.At(64 + 2, 2), RGB(255, 0, 0), 24)) << "mode 1: tiled";
}

TEST_F(UnitsWindow, IconsComeFromTheIconPropertyOrTheProgram) {
  HICON before = reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_BIG, 0));
  EXPECT_NE(before, nullptr) << "a window without an icon gets the program's";
  std::vector<uint8_t> ico = draw::test::ReadPicture("multi.ico");
  HeapBlock icon(BytesToByteBlock(ico.data(), ptrdiff_t(ico.size())));
  Write(prop::kIcon, Ptr(icon.get()));
  HICON big = reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_BIG, 0));
  HICON small = reinterpret_cast<HICON>(SendMessageW(hwnd_, WM_GETICON, ICON_SMALL, 0));
  EXPECT_NE(big, before);
  EXPECT_NE(small, nullptr);
  EXPECT_NE(small, big) << "big and small icons are made for their sizes";
  HeapBlock back(
      reinterpret_cast<void*>(uintptr_t(ReadProperty(kWin, kWinUnit, prop::kIcon.index, -1))));
  EXPECT_EQ(size_t(ByteBlockLength(back.get())), ico.size());
}

TEST_F(UnitsWindow, ClearingAlwaysOnTopPutsTheOtherTopmostWindowsBack) {
  ASSERT_TRUE(OpenWindow(kOther, nullptr, false));
  HWND other = Hwnd(kOther);
  auto topmost = [](HWND h) { return (GetWindowLongW(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
  Write(prop::kAlwaysOnTop, 1);
  Write(prop::kAlwaysOnTop, 1, kOther, kOtherUnit);
  EXPECT_TRUE(topmost(hwnd_));
  EXPECT_TRUE(topmost(other));
  Write(prop::kAlwaysOnTop, 0);
  EXPECT_FALSE(topmost(hwnd_));
  EXPECT_TRUE(topmost(other)) << "a window that asked to stay on top stays there";
  Write(prop::kAlwaysOnTop, 0, kOther, kOtherUnit);
  EXPECT_FALSE(topmost(other));
}

TEST_F(UnitsWindow, StartPositionOneCentresAVisibleWindow) {
  Write(prop::kStartPosition, 1);
  RECT r;
  GetWindowRect(hwnd_, &r);
  EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 320) / 2);
  EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 240) / 2);
}

TEST_F(UnitsWindow, BackgroundMusicIsKeptReplacedAndStoppedWithTheWindow) {
  forms::Bytes wave = SilentWave();
  HeapBlock block(BytesToByteBlock(wave.data(), ptrdiff_t(wave.size())));
  Write(prop::kMusicPlayCount, 1);
  Write(prop::kBackgroundMusic, Ptr(block.get()));
  HeapBlock back(reinterpret_cast<void*>(
      uintptr_t(ReadProperty(kWin, kWinUnit, prop::kBackgroundMusic.index, -1))));
  ASSERT_EQ(size_t(ByteBlockLength(back.get())), wave.size());
  EXPECT_EQ(std::memcmp(ByteBlockData(back.get()), wave.data(), wave.size()), 0);
  const uint8_t midi[] = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    0,
                          96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
  HeapBlock sequence(BytesToByteBlock(midi, sizeof midi));
  Write(prop::kBackgroundMusic,
        Ptr(sequence.get()));  // replaces the wave (the sequencer may be missing: no sound)
  Write(prop::kMusicPlayCount, 0);
  Write(prop::kBackgroundMusic, 0);
  EXPECT_EQ(ReadProperty(kWin, kWinUnit, prop::kBackgroundMusic.index, -1), 0u) << "emptied";
  Write(prop::kBackgroundMusic, Ptr(block.get()));
  DestroyWindow(hwnd_);
  EXPECT_EQ(FindLiveObject(kWin, 0), nullptr);
}

}  // namespace
}  // namespace rc::test
