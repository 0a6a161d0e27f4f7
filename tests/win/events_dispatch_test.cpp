// Event dispatch: sequences of input messages through the runtime's pre-translation compared
// with the events they must raise, results that suppress or replace messages, focus events,
// the handler lookup and typed event records.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "runtime/events.h"
#include "runtime/state.h"
#include "runtime/notify.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/units_test_forms.h"
#include "tests/win/units_test_types.h"

namespace rc::test {
namespace {

constexpr uint32_t kWin = 0x52000300;
constexpr uint32_t kWinUnit = 0x06000301;
constexpr uint32_t kP = 0x16000302;
constexpr uint32_t kE = 0x16000303;
constexpr uint32_t kM = 0x16000304;
constexpr uint32_t kQ = 0x16000305;
constexpr uint32_t kS = 0x16000306;
constexpr uint32_t kF = 0x16000307;

enum Keys { kNone = 0, kCtrl = 1, kShift = 2, kAlt = 4 };

void HoldKeys(int keys) {
  BYTE state[256] = {};
  if (keys & kCtrl) state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
  if (keys & kShift) state[VK_SHIFT] = state[VK_LSHIFT] = 0x80;
  if (keys & kAlt) state[VK_MENU] = state[VK_LMENU] = 0x80;
  SetKeyboardState(state);
}

class UnitsEvents : public UnitsTest {
 protected:
  void SetUp() override {
    std::vector<forms::Binding> edit = {Bind(0), Bind(-1)};
    Install({{kWin,
              kWinUnit,
              "事件",
              {20, 20, 400, 300},
              BindAll(),
              {{kP, kTypePanel, {0, 0, 80, 40}, 0, forms::kStateVisible, BindAll()},
               {kE, kTypeEdit, {0, 50, 80, 24}, 0, forms::kStateVisible, edit},
               {kM, kTypeMute, {0, 80, 80, 24}, 0, forms::kStateVisible, BindAll()},
               {kQ, kTypeEdit, {0, 110, 80, 24}, 0, forms::kStateVisible, {Bind(-11)}}}}});
    ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
    Pump();
    SeenEvents().clear();
    UnitLog().clear();
  }
  void TearDown() override {
    HoldKeys(kNone);
    UnitsTest::TearDown();
  }
};

struct Step {
  uint32_t unit;  // 0: a child window that is no unit
  UINT msg;
  WPARAM wp;
  LPARAM lp;
  int keys;
};

TEST_F(UnitsEvents, InputMessagesRaiseTheCommonEventsInOrder) {
  HWND stranger = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 200, 0, 20, 20,
                                  Hwnd(kWin), nullptr, nullptr, nullptr);
  // Key handlers consume, so that no character or menu key follows from the default handling.
  Answers()[{0u, -9}] = 0;
  Answers()[{0u, -10}] = 0;
  const uint32_t minus3 = uint32_t(-3);
  const Step steps[] = {
      {kP, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 7), kNone},
      {kP, WM_LBUTTONUP, 0, MAKELPARAM(-2, 3), kNone},
      {kP, WM_LBUTTONDBLCLK, 0, MAKELPARAM(1, 1), kCtrl},
      {kP, WM_RBUTTONDOWN, 0, MAKELPARAM(2, 65535), kShift},
      {kP, WM_RBUTTONUP, 0, MAKELPARAM(2, 2), kNone},
      {kP, WM_MOUSEMOVE, 0, MAKELPARAM(9, 8), kCtrl | kShift | kAlt},
      {kP, WM_KEYDOWN, VK_NUMPAD5, 0, kNone},
      {kP, WM_KEYDOWN, VK_CONTROL, 0, kCtrl},
      {kP, WM_KEYDOWN, 'A', 0, kCtrl},
      {kP, WM_SYSKEYDOWN, 'X', 0, kAlt},
      {kP, WM_KEYUP, VK_SUBTRACT, 0, kNone},
      {kP, WM_KEYUP, VK_DECIMAL, 0, kNone},
      {kP, WM_KEYUP, VK_DIVIDE, 0, kShift},
      {kP, WM_KEYUP, VK_NUMPAD0, 0, kNone},
      {kP, WM_SYSKEYUP, VK_MENU, 0, kAlt | kShift},
      {kP, WM_CHAR, 'q', 0, kNone},
      {kP, WM_CHAR, 0x4E2D, 0, kNone},  // 中
      {kP, WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0, kNone},
      {kP, WM_MOUSEWHEEL, MAKEWPARAM(0, -360), 0, kShift},
      {kP, WM_MOUSEWHEEL, MAKEWPARAM(0, 100), 0, kNone},
      {kP, WM_MOUSEWHEEL, MAKEWPARAM(0, -119), 0, kNone},
      {kWinUnit, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2), kNone},
      {0, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2), kNone},
      {kM, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 2), kNone},
      {kE, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 4), kNone},
      {kE, WM_KEYDOWN, VK_F5, 0, kNone},
      {kP, WM_TIMER, 1, 0, kNone},
  };
  const std::vector<Seen> expected = {
      {kP, -1, {5, 7, 0}},
      {kP, -2, {65534, 3, 0}},
      {kP, -3, {1, 1, 1}},
      {kP, -4, {2, 65535, 2}},
      {kP, -5, {2, 2, 0}},
      {kP, -6, {9, 8, 7}},
      {kP, -9, {0x35, 0}},
      {kP, -9, {0x11, 0}},
      {kP, -9, {0x41, 1}},
      {kP, -9, {0x58, 4}},
      {kP, -10, {0xBD, 0}},
      {kP, -10, {0xBE, 0}},
      {kP, -10, {0xBF, 2}},
      {kP, -10, {0x30, 0}},
      {kP, -10, {0x12, 2}},
      {kP, -11, {0x71}},
      {kP, -11, {0xD6D0}},
      {kP, -12, {2, 0}},
      {kP, -12, {minus3, 2}},
      {kP, -12, {0, 0}},
      {kP, -12, {0, 0}},
      {kWinUnit, -1, {1, 2, 0}},
      {kE, -1, {3, 4, 0}},
      {kWinUnit, -8, {}},  // the edit box took the focus from the window on the click
      {kP, 0, {}},
  };
  for (const Step& s : steps) {
    HWND target = s.unit == 0 ? stranger : Hwnd(kWin, s.unit == kWinUnit ? 0 : s.unit);
    HoldKeys(s.keys);
    PostMessageW(target, s.msg, s.wp, s.lp);
    Pump();
  }
  EXPECT_EQ(SeenEvents(), expected);
}

TEST_F(UnitsEvents, AFalseResultConsumesTheMessageOtherResultsLetItThrough) {
  HWND p = Hwnd(kWin, kP);
  struct Case {
    bool answers;
    uint32_t answer;
    bool dispatched;
  } cases[] = {{true, 0, false}, {true, 1, true}, {false, 0, true}};
  for (const Case& c : cases) {
    Answers().clear();
    if (c.answers) Answers()[{kP, -1}] = c.answer;
    UnitLog().clear();
    PostMessageW(p, WM_LBUTTONDOWN, 0, 0);
    Pump();
    EXPECT_EQ(UnitLog().size(), c.dispatched ? 1u : 0u)
        << (c.answers ? "answer " + std::to_string(c.answer) : "no answer");
  }
}

TEST_F(UnitsEvents, ACharacterHandlerSwallowsOrReplacesTheCharacter) {
  HWND q = Hwnd(kWin, kQ);
  struct Case {
    bool answers;
    uint32_t answer;
    const wchar_t* text;
  } cases[] = {{true, 0, L""}, {true, 0x41, L"A"}, {false, 0, L"Ax"}, {true, 0xD6D0, L"Ax中"}};
  for (const Case& c : cases) {
    Answers().clear();
    if (c.answers) Answers()[{kQ, -11}] = c.answer;
    PostMessageW(q, WM_CHAR, 'x', 1);
    Pump();
    wchar_t text[16] = {};
    GetWindowTextW(q, text, 16);
    EXPECT_EQ(std::wstring(text), c.text) << "answer " << c.answer;
  }
}

TEST_F(UnitsEvents, KeyboardMessagesToADisabledWindowRaiseNothing) {
  HWND p = Hwnd(kWin, kP);
  EnableWindow(p, FALSE);
  Answers()[{0u, -9}] = 0;
  for (UINT msg : {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_SYSKEYDOWN}) PostMessageW(p, msg, 'C', 0);
  PostMessageW(p, WM_LBUTTONDOWN, 0, MAKELPARAM(1, 1));
  Pump();
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kP, -1, {1, 1, 0}}}))
      << "only the mouse event of a disabled unit is raised";
}

TEST_F(UnitsEvents, TheUnitTypeSeesTheMessageBeforeTheCommonEvents) {
  PostMessageW(Hwnd(kWin, kP), WM_KEYDOWN, VK_F12, 0);
  Pump();
  EXPECT_EQ(UnitLog(), (std::vector<std::string>{"pretranslated " + Hex(kP)}));
  EXPECT_TRUE(SeenEvents().empty()) << "a message the type consumed raises nothing";
}

TEST_F(UnitsEvents, AnEditBoxGetsPositionAndKeysForMinusOneAndNoArgumentsForZero) {
  HWND e = Hwnd(kWin, kE);
  PostMessageW(e, WM_LBUTTONDOWN, 0, MAKELPARAM(12, 6));
  Pump();
  SetWindowTextW(e, L"5");
  EXPECT_EQ(SeenEvents(),
            (std::vector<Seen>{{kE, -1, {12, 6, 0}}, {kWinUnit, -8, {}}, {kE, 0, {}}}));
}

// Focus events: a window with two units that take the focus by the Tab key.
class UnitsFocus : public UnitsTest {};

TEST_F(UnitsFocus, FocusMovesRaiseLostThenGainedAndAShownWindowReportsItsFocusOnce) {
  HoldKeys(kNone);
  std::vector<forms::Binding> focus = {Bind(-7), Bind(-8)};
  const uint32_t tab = forms::kStateVisible | forms::kStateTabStop;
  Install({{kWin,
            kWinUnit,
            "焦点",
            {20, 20, 400, 300},
            {Bind(0), Bind(-7), Bind(-8)},
            {{kP, kTypePanel, {0, 0, 80, 40}, 0, tab, focus},
             {kS, kTypePanel, {0, 50, 80, 40}, 0, tab, focus}}},
           {0x52000310, 0x06000311, "没有单元", {500, 20, 200, 100}, {Bind(-7), Bind(-8)}, {}}});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  Pump();
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kWinUnit, 0, {}}, {kP, -7, {}}}))
      << "the first unit that takes the focus by Tab gets it once the window is shown";

  SeenEvents().clear();
  SetFocus(Hwnd(kWin, kS));
  PostMessageW(Hwnd(kWin, kS), WM_KEYDOWN, VK_TAB, 0);
  Pump();
  EXPECT_EQ(SeenEvents(),
            (std::vector<Seen>{{kP, -8, {}}, {kS, -7, {}}, {kS, -8, {}}, {kP, -7, {}}}));

  SeenEvents().clear();
  ASSERT_TRUE(OpenWindow(0x52000310, nullptr, false));
  Pump();
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kP, -8, {}}, {0x06000311, -7, {}}}))
      << "a window without such units keeps the focus itself";
}

TEST_F(UnitsFocus, EnterMovesTheFocusAndEscClosesWhenTheWindowAsksForIt) {
  HoldKeys(kNone);
  const uint32_t tab = forms::kStateVisible | forms::kStateTabStop;
  WindowSpec spec{
      kWin,
      kWinUnit,
      "按键",
      {20, 20, 400, 300},
      {Bind(1)},
      {{kP, kTypePanel, {0, 0, 80, 40}, 0, tab}, {kS, kTypePanel, {0, 50, 80, 40}, 0, tab}}};
  Install({spec});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false));
  SetFocus(Hwnd(kWin, kP));
  PostMessageW(Hwnd(kWin, kP), WM_KEYDOWN, VK_RETURN, 0);
  PostMessageW(Hwnd(kWin, kP), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_EQ(GetFocus(), Hwnd(kWin, kP)) << "Enter moves the focus only when the window says so";
  EXPECT_NE(Hwnd(kWin), nullptr) << "Esc closes only when the window says so";
  DestroyWindow(Hwnd(kWin));

  spec.data.enter_moves_focus = 1;
  spec.data.esc_closes = 1;
  Install({spec});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false));
  SetFocus(Hwnd(kWin, kP));
  PostMessageW(Hwnd(kWin, kP), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_EQ(GetFocus(), Hwnd(kWin, kS)) << "Enter moves the focus to the next unit";
  PostMessageW(Hwnd(kWin, kS), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kWinUnit, 1, {}}})) << "Esc asks the window to close";
  EXPECT_EQ(Hwnd(kWin), nullptr);
}

// The handler lookup.
const char* g_order = nullptr;
void AtOffsetZero(HandlerCall& call) {
  g_order = "zero";
  call.Return(TheRuntime().current_event_window);
}
void Wide64(HandlerCall& call) {
  SeenEvents().push_back({TheRuntime().current_event_unit, 9,
                          std::vector<uint32_t>(call.words, call.words + call.word_count)});
  call.Return(0x1122334455667788ull);
}
const Routine kLookupRoutines[] = {AtOffsetZero, Wide64, Recorder<-1>, nullptr};

class UnitsLookup : public UnitsTest {
 protected:
  void SetUp() override {
    Install({{kWin,
              kWinUnit,
              "查找",
              {20, 20, 300, 200},
              {},
              {{kP,
                kTypePanel,
                {0, 0, 80, 40},
                0,
                0,
                {{0, RoutineOffset(0)}, {-1, RoutineOffset(2)}, {9, RoutineOffset(1)}}},
               {kS, kTypePanel, {0, 50, 80, 40}, 0, 0, {{-1, forms::kNoHandlerOffset}}, {}, {}, kP},
               {kE, kTypeEdit, {0, 100, 80, 24}, 0, 0, {}, {}, {}, kP},
               {kF, kTypePanel, {0, 150, 80, 24}, 0, 0, {{-1, forms::kNoHandlerOffset}}}}}},
            kLookupRoutines);
    ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
    SeenEvents().clear();
  }
};

TEST_F(UnitsLookup, TheFirstRoutineIsCalledAndTheCurrentEventIsClearedAfterwards) {
  EventRecord r{kWin, kP, 0, 0, {}, 0, 0};
  EXPECT_TRUE(RaiseEvent(&r));
  EXPECT_STREQ(g_order, "zero") << "a handler bound with offset 0 is called";
  EXPECT_EQ(r.result_flag, 1u);
  EXPECT_EQ(r.result, kWin) << "the current event names the window while the handler runs";
  EXPECT_EQ(TheRuntime().current_event_window, 0u) << "and is cleared when it returns";
}

TEST_F(UnitsLookup, BindingsFollowTheEventSourceOfTheSameType) {
  struct Case {
    uint32_t unit;
    bool handled;
    const char* why;
  } cases[] = {
      {kS, true, "a unit whose event source is a unit of its type uses that unit's bindings"},
      {kE, false, "an event source of another type is not followed"},
      {kF, false, "a binding without handler is no handler"},
  };
  for (const Case& c : cases) {
    SeenEvents().clear();
    EventRecord r{kWin, c.unit, -1, 3, {1, 2, 3}, 0, 0};
    EXPECT_EQ(RaiseEvent(&r), c.handled) << c.why;
    if (c.handled) {
      EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{c.unit, -1, {1, 2, 3}}}));
    }
  }
  ++TheRuntime().handlers_blocked;
  EventRecord r{kWin, kP, -1, 0, {}, 0, 0};
  EXPECT_FALSE(RaiseEvent(&r)) << "no handler runs while a unit is being re-created";
  --TheRuntime().handlers_blocked;
}

TEST_F(UnitsLookup, TypedArgumentsArePassedByFlagsAndTags) {
  struct Case {
    TypedEventArg arg;
    std::vector<uint32_t> words;
  } cases[] = {
      {{0x12345678, 0x9ABCDEF0, 0x80000601, 1}, {0x12345678}},
      {{0x12345678, 0x9ABCDEF0, 0x80000301, 2}, {0x12345678, 0x9ABCDEF0}},
      {{0x1, 0x2, 0x00010003, 0}, {0x1, 0x2}},
      {{0x1234ABCD, 0x77, 0x80000101, 0}, {0xCD}},
      {{0x0000FFFE, 0x77, 0x80000201, 0}, {0xFFFFFFFE}},
      {{0x5, 0x6, 0x80000401, 0}, {0x5, 0x6}},
      {{0x5, 0x6, 0x80000601, 0}, {0x5, 0x6}},
      {{0x5, 0x6, 0x80000003, 0}, {0x5, 0x6}},
      {{0x5, 0x6, 0x80000008, 0}, {0x5, 0x6}},
      {{0x5, 0x6, 0x80000004, 0}, {0x5}},
      {{0x5, 0x6, 0x80000301, 0}, {0x5}},
  };
  for (const Case& c : cases) {
    TypedEventRecord r{};
    r.argc = 1;
    r.args[0] = c.arg;
    HandlerCall call = TypedEventCall(r);
    EXPECT_EQ(std::vector<uint32_t>(call.words, call.words + call.word_count), c.words)
        << "tag " << Hex(c.arg.tag) << " flags " << c.arg.flags;
  }

  TypedEventRecord r{};
  r.window_id = kWin;
  r.unit_id = kP;
  r.event = 9;
  r.argc = 2;
  r.args[0] = {7, 0, 0x80000301, 0};
  r.args[1] = {1, 2, 0x80000601, 0};
  EXPECT_EQ(FrameNotify(kNotifyRaiseTypedEvent, uintptr_t(&r), 0), 1);
  EXPECT_EQ(SeenEvents(), (std::vector<Seen>{{kP, 9, {7, 1, 2}}}));
  EXPECT_EQ(r.result_flag, 1u);
  EXPECT_EQ(r.result_lo, 0x55667788u) << "the typed result has both words";
  EXPECT_EQ(r.result_hi, 0x11223344u);
}

}  // namespace
}  // namespace rc::test
