// The VScrollBar unit: the user's scroll requests, reflected from the window, move the bar by
// the line and page changes, to the thumb, to the top and the bottom, clamped into the range;
// event 0 comes only when the position changed, and never from a property write. Mouse input
// the bar takes in its own tracking loop still reaches the handlers of the common events.
#include "tests/win/control_units.h"
#include "tests/win/units_test_forms.h"

namespace rc::test {
namespace {

namespace prop = props::vscroll_bar;

constexpr uint32_t kBar = 0x16000130;

// The volume bar of the program: 1 to 100, page 10, line 1, at 50, tracking allowed.
forms::VScrollBarData BarData() {
  forms::VScrollBarData data;
  data.minimum = 1;
  data.maximum = 100;
  data.page_change = 10;
  data.line_change = 1;
  data.position = 50;
  data.thumb_tracking = 1;
  return data;
}
forms::RecordModel BarRecord() {
  return UnitRecord(kBar, BarData(), {128, 20, 40, 128});
}

// A scroll request as the bar sends it to its parent window.
void Scroll(int request, int thumb = 0) {
  HWND bar = ControlUnitTest::Native(kBar);
  SendMessageW(GetParent(bar), WM_VSCROLL, MAKEWPARAM(request, thumb),
               reinterpret_cast<LPARAM>(bar));
}

struct Step {
  const char* what;
  int request;  // a scroll request, or -1 for a property write
  int value;    // the thumb position, or the property value
  int32_t property;
  uint32_t reads;  // position read back
  int shown;       // position of the native bar
  size_t events;   // events of the bar so far
};

void RunSteps(const Step* steps, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const Step& s = steps[i];
    SCOPED_TRACE(s.what);
    if (s.request >= 0) {
      Scroll(s.request, s.value);
    } else {
      ControlUnitTest::Write(kBar, s.property, uint32_t(s.value));
    }
    EXPECT_EQ(ControlUnitTest::Read(kBar, prop::kPosition.index), s.reads);
    EXPECT_EQ(GetScrollPos(ControlUnitTest::Native(kBar), SB_CTL), s.shown);
    EXPECT_EQ(ControlUnitTest::EventsOf(kBar), s.events)
        << "event 0 only when the user changed the position";
  }
}

using VScrollBarUnit = ControlUnitTest;

TEST_F(VScrollBarUnit, ScrollRequestsMoveAndReportOnlyChanges) {
  ASSERT_TRUE(Load({BarRecord()}));
  int low = -1, high = -1;
  GetScrollRange(Native(kBar), SB_CTL, &low, &high);
  EXPECT_EQ(low, 1);
  EXPECT_EQ(high, 100);
  const Step steps[] = {
      {"line down", SB_LINEDOWN, 0, 0, 51, 51, 1},
      {"line up", SB_LINEUP, 0, 0, 50, 50, 2},
      {"page down", SB_PAGEDOWN, 0, 0, 60, 60, 3},
      {"page up", SB_PAGEUP, 0, 0, 50, 50, 4},
      {"top", SB_TOP, 0, 0, 1, 1, 5},
      {"line up at the top", SB_LINEUP, 0, 0, 1, 1, 5},
      {"page up at the top", SB_PAGEUP, 0, 0, 1, 1, 5},
      {"bottom", SB_BOTTOM, 0, 0, 100, 100, 6},
      {"bottom again", SB_BOTTOM, 0, 0, 100, 100, 6},
      {"page down at the bottom", SB_PAGEDOWN, 0, 0, 100, 100, 6},
      {"thumb track", SB_THUMBTRACK, 30, 0, 30, 30, 7},
      {"thumb released where it was", SB_THUMBPOSITION, 30, 0, 30, 30, 7},
      {"thumb beyond the range", SB_THUMBPOSITION, 200, 0, 100, 100, 8},
      {"end of scrolling", SB_ENDSCROLL, 0, 0, 100, 100, 8},
      {"position written", -1, 40, prop::kPosition.index, 40, 40, 8},
      {"position written beyond the range", -1, 40000, prop::kPosition.index, 32767, 100, 8},
      {"line down from the shown end", SB_LINEDOWN, 0, 0, 32767, 100, 8},
      {"line up from the shown end", SB_LINEUP, 0, 0, 99, 99, 9},
      {"line change 5", -1, 5, prop::kLineChange.index, 99, 99, 9},
      {"line up by 5", SB_LINEUP, 0, 0, 94, 94, 10},
      {"line change 0 becomes 1", -1, 0, prop::kLineChange.index, 94, 94, 10},
      {"line up by 1", SB_LINEUP, 0, 0, 93, 93, 11},
      {"tracking forbidden", -1, 0, prop::kThumbTracking.index, 93, 93, 11},
      {"thumb track ignored", SB_THUMBTRACK, 20, 0, 93, 93, 11},
      {"thumb released", SB_THUMBPOSITION, 20, 0, 20, 20, 12},
  };
  RunSteps(steps, sizeof steps / sizeof steps[0]);
}

TEST_F(VScrollBarUnit, RangeFromTheSmallerToTheLargerEnd) {
  ASSERT_TRUE(Load({BarRecord()}));
  const Step steps[] = {
      {"minimum above the maximum", -1, 200, prop::kMinimum.index, 50, 100, 0},
      {"top is the smaller end, shown already", SB_TOP, 0, 0, 50, 100, 0},
      {"bottom is the larger end", SB_BOTTOM, 0, 0, 200, 200, 1},
      {"maximum clamped to 32767", -1, 99999, prop::kMaximum.index, 200, 200, 1},
      {"bottom", SB_BOTTOM, 0, 0, 32767, 32767, 2},
  };
  RunSteps(steps, sizeof steps / sizeof steps[0]);
  EXPECT_EQ(Read(kBar, prop::kMaximum.index), 32767u);
  Write(kBar, prop::kPageChange.index, uint32_t(-3));
  EXPECT_EQ(Read(kBar, prop::kPageChange.index), 1u) << "page changes below 1 become 1";
}

#if defined(NDEBUG) && !defined(ROLLCALL_CHECKS)  // with the checks the runtime stops there
// What the program tells a debugger: OutputDebugString raises this exception first.
constexpr DWORD kDebugPrintException = 0x40010006;
std::string g_debug_output;
LONG CALLBACK CatchDebugOutput(EXCEPTION_POINTERS* e) {
  const EXCEPTION_RECORD* r = e->ExceptionRecord;
  if (r->ExceptionCode == kDebugPrintException && r->NumberParameters >= 2) {
    g_debug_output += reinterpret_cast<const char*>(r->ExceptionInformation[1]);
  }
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(VScrollBarUnit, AnIndexPastTheTableIsToldToADebuggerAndChangesNothing) {
  ASSERT_TRUE(Load({BarRecord()}));
  g_debug_output.clear();
  void* handler = AddVectoredExceptionHandler(1, CatchDebugOutput);
  Write(kBar, prop::kCount, 7);
  EXPECT_EQ(Read(kBar, prop::kCount), 0u);
  RemoveVectoredExceptionHandler(handler);
  EXPECT_NE(g_debug_output.find("index 14 is past the table of unit type VScrollBar"),
            std::string::npos)
      << g_debug_output;
  EXPECT_EQ(Read(kBar, prop::kPosition.index), 50u);
  EXPECT_EQ(EventsOf(kBar), 0u);
}
#endif

// A press of the left button, the moves and the release where the last move (or the press)
// was, posted to the bar as the mouse would send them: the press goes through the message loop,
// the rest is taken by the bar's tracking.
enum Setup { kTracking, kNoTracking, kMovesRefused };  // refused: -6 returns false
struct Gesture {
  const char* what;
  Setup setup;
  int press_y;  // kOnThumb: the middle of the thumb where the gesture starts
  std::vector<int> move_y;
  int32_t position;             // afterwards
  std::vector<int32_t> events;  // the mouse events carry their point and key state 0
};
constexpr int kOnThumb = -1000;

using VScrollBarTracking = UnitsTest;

TEST_F(VScrollBarTracking, MovesAndTheReleaseReachTheHandlersAfterThePositionChanges) {
  constexpr uint32_t kWin = 0x52000140;
  UnitSpec bar{kBar, forms::kTypeVScrollBar, {128, 20, 40, 128}};
  bar.bindings = {Bind(-1), Bind(-2), Bind(-6), Bind(0)};
  bar.data = forms::WriteTypeDataAs(BarData());
  Install({{kWin, 0x06000141, "滚动条", {20, 20, 240, 200}, {}, {bar}}});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  Pump();
  HWND native = Hwnd(kWin, kBar);
  RECT r;
  GetClientRect(native, &r);
  const int x = r.right / 2, h = r.bottom, arrow = GetSystemMetrics(SM_CYVSCROLL);

  const Gesture gestures[] = {
      {"lower arrow", kTracking, h - arrow / 2, {}, 51, {-1, 0, -2}},
      {"thumb dragged", kTracking, kOnThumb, {h / 2 + 20, h + 10}, 100, {-1, -6, 0, -6, 0, -2}},
      {"no tracking", kNoTracking, kOnThumb, {h / 2, -10}, 1, {-1, -6, -6, 0, -2}},
      {"refused moves", kMovesRefused, kOnThumb, {h / 2, h + 9}, 1, {-1, -6, -6, -2}},
  };
  for (const Gesture& g : gestures) {
    SCOPED_TRACE(g.what);
    WriteProperty(kWin, kBar, prop::kThumbTracking.index, -1, g.setup == kNoTracking ? 0 : 1, 0);
    if (g.setup == kMovesRefused) Answers()[{kBar, -6}] = 0;
    int press_y = g.press_y;
    if (press_y == kOnThumb) {
      SCROLLBARINFO info{};
      info.cbSize = sizeof info;
      ASSERT_TRUE(GetScrollBarInfo(native, OBJID_CLIENT, &info));
      press_y = (info.xyThumbTop + info.xyThumbBottom) / 2;
    }
    const int release_y = g.move_y.empty() ? press_y : g.move_y.back();
    auto at = [x](int y) { return std::vector<uint32_t>{uint32_t(x), uint16_t(y), 0}; };
    SeenEvents().clear();
    PostMessageW(native, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, press_y));
    for (int y : g.move_y) PostMessageW(native, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(native, WM_LBUTTONUP, 0, MAKELPARAM(x, release_y));
    Pump();

    std::vector<Seen> expected;
    size_t move = 0;
    for (int32_t e : g.events) {
      std::vector<uint32_t> args;
      if (e == -1) args = at(press_y);
      if (e == -6) args = at(g.move_y[move++]);
      if (e == -2) args = at(release_y);
      expected.push_back({kBar, e, args});
    }
    EXPECT_EQ(SeenEvents(), expected);
    EXPECT_EQ(int32_t(ReadProperty(kWin, kBar, prop::kPosition.index, -1)), g.position);
    EXPECT_EQ(GetCapture(), nullptr) << "the tracking ended";
  }
}

}  // namespace
}  // namespace rc::test
