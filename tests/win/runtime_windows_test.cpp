// Loading and destroying windows from form data inside the test process: the opening events,
// the saved unit table, when WM_QUIT is posted, close requests, the idle event and the nested
// loop of a modal window.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/values.h"
#include "runtime/events.h"
#include "runtime/libraries.h"
#include "runtime/properties.h"
#include "runtime/state.h"
#include "runtime/message_loop.h"
#include "runtime/notify.h"
#include "runtime/frame_host.h"
#include "runtime/units/unit_host.h"
#include "runtime/services.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/runtime_forms.h"

namespace rc {
namespace {

constexpr uint32_t kFirst = 0x52000010;
constexpr uint32_t kFirstUnit = 0x06000011;
constexpr uint32_t kSecond = 0x52000020;
constexpr uint32_t kSecondUnit = 0x06000021;
constexpr uint32_t kModal = 0x52000030;
constexpr uint32_t kModalUnit = 0x06000031;

std::vector<std::string> g_events;
int g_close_answer = -1;  // -1: the close handler returns nothing
int g_idle_answers = 0;   // how many idle events of the first window still ask for more
std::vector<uint32_t> g_idle_ms;

void Created(HandlerCall&) {
  g_events.push_back("created");
}
void Moved(HandlerCall&) {
  g_events.push_back("moved");
}
void Resized(HandlerCall&) {
  g_events.push_back("resized");
}
void CloseRequested(HandlerCall& call) {
  g_events.push_back("close");
  if (g_close_answer >= 0) call.Return(uint64_t(g_close_answer));
}
void Destroyed(HandlerCall&) {
  g_events.push_back("destroyed");
}
void ShowState(HandlerCall& call) {
  g_events.push_back(call.Arg(0) != 0 ? "shown" : "away");
}
void Idle(HandlerCall& call) {
  g_idle_ms.push_back(call.Arg(0));
  call.Return(g_idle_answers-- > 0 ? 1 : 0);
}

uint32_t g_modal_id_seen = 0;
bool g_first_enabled_seen = true;
// The modal window closes itself once its nested loop runs.
void ModalCreated(HandlerCall&) {
  PostMessageW(FindLiveObject(kModal, 0)->hwnd(), WM_CLOSE, 0, 0);
}
void ModalCloseRequested(HandlerCall&) {
  g_modal_id_seen = TheRuntime().modal_window_id;
  UnitObject* first = FindLiveObject(kFirst, 0);
  g_first_enabled_seen = first != nullptr && IsWindowEnabled(first->hwnd());
}

const Routine kRoutines[] = {Created,   Moved,  Resized,      CloseRequested,
                             Destroyed, Idle,   ModalCreated, ModalCloseRequested,
                             ShowState, nullptr};

class RuntimeWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    Runtime& rt = TheRuntime();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
    ConnectFrame(&FrameUnitHost());
    rt.loop_started = false;
    rt.modal_window_id = 0;
    rt.handlers_blocked = 0;
    g_events.clear();
    g_close_answer = -1;
    g_idle_answers = 0;
    g_idle_ms.clear();
    std::vector<forms::Binding> all = {
        {0, RoutineOffset(0)}, {3, RoutineOffset(1)}, {4, RoutineOffset(2)}, {1, RoutineOffset(3)},
        {2, RoutineOffset(4)}, {7, RoutineOffset(5)}, {10, RoutineOffset(8)}};
    forms::Bytes bytes = test::WriteTestForms({
        {kFirst, kFirstUnit, "第一个窗口", 30, 40, 300, 200, all},
        {kSecond, kSecondUnit, "第二个窗口", 360, 40, 200, 150, {}},
        {kModal,
         kModalUnit,
         "模态窗口",
         100,
         100,
         200,
         150,
         {{0, RoutineOffset(6)}, {1, RoutineOffset(7)}}},
    });
    forms::LoadStatus status =
        LoadWindowDefinitions(bytes.data(), uint32_t(bytes.size()), uintptr_t(kRoutines));
    ASSERT_TRUE(status.ok);
  }
  void TearDown() override {
    Runtime& rt = TheRuntime();
    rt.loop_started = false;
    rt.modal_window_id = 0;
    for (uint32_t id : LiveWindowIds()) DestroyWindow(FindLiveObject(id, 0)->hwnd());
    DrainQuit();
    rt.forms.reset();
  }
  static bool DrainQuit() {
    MSG msg;
    bool quit = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) quit = true;
      DispatchMessageW(&msg);
    }
    return quit;
  }
  static HWND Hwnd(uint32_t id) {
    UnitObject* obj = FindLiveObject(id, 0);
    return obj != nullptr ? obj->hwnd() : nullptr;
  }
};

TEST_F(RuntimeWindows, LoadRaisesCreatedMovedResizedThenShows) {
  EXPECT_FALSE(OpenWindow(0x52009999, nullptr, false)) << "an id not in the form data";
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  EXPECT_EQ(g_events, (std::vector<std::string>{"created", "moved", "resized"}));
  HWND hwnd = Hwnd(kFirst);
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(IsWindowVisible(hwnd));
  wchar_t cls[32];
  GetClassNameW(hwnd, cls, 32);
  EXPECT_STREQ(cls, L"WTWindow");
  RECT r;
  GetWindowRect(hwnd, &r);
  EXPECT_EQ(r.right - r.left, 300) << "the stored width is the outer width";
  EXPECT_EQ(r.bottom - r.top, 200);

  HeapText title(reinterpret_cast<char*>(
      uintptr_t(ReadProperty(kFirst, kFirstUnit, props::window::kTitle.index, -1))));
  ASSERT_TRUE(title);
  EXPECT_STREQ(title.get(), "第一个窗口") << "the title reads back as GBK";

  g_events.clear();
  EXPECT_TRUE(OpenWindow(kFirst, nullptr, false));
  EXPECT_TRUE(g_events.empty()) << "an open window is not loaded twice";
  EXPECT_EQ(Hwnd(kFirst), hwnd);
}

// The show state is told at each change from the first show on, after the change is done, and
// not at a change of place or size that leaves it; a window destroyed tells nothing (the
// close test's sequence).
TEST_F(RuntimeWindows, ShowStateChangesAreToldOnce) {
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  HWND hwnd = Hwnd(kFirst);
  struct Step {
    int show;  // a ShowWindow command, or -1: moved and resized
    const char* told;
  } const steps[] = {
      {SW_HIDE, "away"},
      {SW_HIDE, ""},
      {SW_SHOW, "shown"},
      {-1, ""},
      {SW_MINIMIZE, "away"},
      {SW_HIDE, ""},
      {SW_RESTORE, "shown"},
      {SW_RESTORE, ""},
      {SW_SHOWMINNOACTIVE, "away"},
      {SW_SHOWNORMAL, "shown"},
  };
  for (const Step& step : steps) {
    g_events.clear();
    if (step.show < 0) {
      SetWindowPos(hwnd, nullptr, 40, 50, 320, 210, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
      ShowWindow(hwnd, step.show);
    }
    DrainQuit();
    std::string told;
    for (const std::string& e : g_events) {
      if (e == "shown" || e == "away") told += e;
    }
    EXPECT_EQ(told, step.told) << "ShowWindow " << step.show
                               << ": told once per change, with the state it left";
  }
}

TEST_F(RuntimeWindows, DestroyPutsTheSavedUnitTableBack) {
  WriteProperty(kFirst, kFirstUnit, props::kLeft.index, -1, 77, 0);  // before the load: kept
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  EXPECT_EQ(uint32_t(ReadProperty(kFirst, kFirstUnit, props::kLeft.index, -1)), 77u);
  WriteProperty(kFirst, kFirstUnit, props::kLeft.index, -1, 123, 0);  // while loaded: forgotten
  WriteProperty(kFirst, kFirstUnit, props::kWidth.index, -1, 40000, 0);
  EXPECT_EQ(uint32_t(ReadProperty(kFirst, kFirstUnit, props::kWidth.index, -1)), 32627u)
      << "widths above 32627 are clamped";
  DestroyWindow(Hwnd(kFirst));
  EXPECT_EQ(FindLiveObject(kFirst, 0), nullptr);
  EXPECT_EQ(uint32_t(ReadProperty(kFirst, kFirstUnit, props::kLeft.index, -1)), 77u)
      << "what was written while the window was loaded is forgotten when it goes";
  EXPECT_EQ(uint32_t(ReadProperty(kFirst, kFirstUnit, props::kWidth.index, -1)), 300u);
}

TEST_F(RuntimeWindows, QuitOnlyForTheLastWindowAfterTheLoopStarted) {
  Runtime& rt = TheRuntime();
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  DestroyWindow(Hwnd(kFirst));
  EXPECT_FALSE(DrainQuit()) << "before the loop has started no WM_QUIT is posted";

  rt.loop_started = true;
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  ASSERT_TRUE(OpenWindow(kSecond, nullptr, false));
  DestroyWindow(Hwnd(kSecond));
  EXPECT_FALSE(DrainQuit()) << "another window is still alive";
  DestroyWindow(Hwnd(kFirst));
  EXPECT_TRUE(DrainQuit()) << "the last window going ends the main loop";
}

TEST_F(RuntimeWindows, RunMessageLoopReturnsAtOnceWithoutWindows) {
  Runtime& rt = TheRuntime();
  RunMessageLoop();
  EXPECT_TRUE(rt.loop_started) << "the loop-started flag is set even when nothing runs";
}

TEST_F(RuntimeWindows, CloseRequestRefusedOnlyByAFalseResult) {
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  g_events.clear();
  g_close_answer = 0;
  SendMessageW(Hwnd(kFirst), WM_CLOSE, 0, 0);
  EXPECT_NE(Hwnd(kFirst), nullptr) << "a handler returning false keeps the window";
  g_close_answer = 1;
  SendMessageW(Hwnd(kFirst), WM_CLOSE, 0, 0);
  EXPECT_EQ(Hwnd(kFirst), nullptr);
  EXPECT_EQ(g_events, (std::vector<std::string>{"close", "close", "destroyed"}));

  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  g_close_answer = -1;
  SendMessageW(Hwnd(kFirst), WM_CLOSE, 0, 0);
  EXPECT_EQ(Hwnd(kFirst), nullptr) << "a handler that returns nothing lets the window close";
}

TEST_F(RuntimeWindows, NoHandlerRunsWhileTheReCreationCounterIsUp) {
  Runtime& rt = TheRuntime();
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  g_events.clear();
  rt.handlers_blocked = 1;
  EventRecord record{kFirst, kFirstUnit, 0, 0, {}, 0, 0};
  EXPECT_FALSE(RaiseEvent(&record));
  rt.handlers_blocked = 0;
  EXPECT_TRUE(RaiseEvent(&record));
  EXPECT_EQ(g_events, std::vector<std::string>{"created"});
  EventRecord unbound{kSecond, 0, 0, 0, {}, 0, 0};
  EXPECT_FALSE(RaiseEvent(&unbound)) << "an event without handler is not an error";
}

TEST_F(RuntimeWindows, IdleEventAfterTwoCallsUntilAWindowWantsNoMore) {
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  ASSERT_TRUE(OpenWindow(kSecond, nullptr, false));
  g_idle_answers = 1;
  EXPECT_TRUE(OnIdle(0));
  EXPECT_TRUE(OnIdle(1));
  EXPECT_TRUE(g_idle_ms.empty()) << "counters 0 and 1 raise no idle event";
  Sleep(80);
  EXPECT_TRUE(OnIdle(2)) << "the first window's handler asked for more";
  ASSERT_EQ(g_idle_ms.size(), 1u);
  EXPECT_GE(g_idle_ms[0], 40u) << "the argument is the time since the idle period began";
  EXPECT_FALSE(OnIdle(3)) << "its handler now returns false and the second window has none";
  EXPECT_FALSE(OnIdle(4));
  EXPECT_EQ(g_idle_ms.size(), 2u) << "a window that declined is not asked again this period";
  g_idle_answers = 5;
  EXPECT_TRUE(OnIdle(0));
  EXPECT_TRUE(OnIdle(2)) << "a new idle period asks every window again";
  EXPECT_EQ(g_idle_ms.size(), 3u);
}

LRESULT CALLBACK EndModalProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_APP) TheRuntime().modal_window_id = 0;
  return DefWindowProcW(hwnd, msg, wp, lp);
}

TEST_F(RuntimeWindows, NestedLoopLeavesWmQuitToTheMainLoop) {
  Runtime& rt = TheRuntime();
  rt.modal_window_id = kSecond;
  PostQuitMessage(5);
  RunLoop(LoopMode::kModal);
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "the nested loop returns without taking WM_QUIT";
  EXPECT_EQ(msg.wParam, 5u);

  WNDCLASSW wc{};
  wc.lpfnWndProc = EndModalProc;
  wc.lpszClassName = L"RuntimeTestEndModal";
  RegisterClassW(&wc);
  HWND target = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                nullptr, nullptr);
  PostMessageW(target, WM_APP, 0, 0);
  rt.modal_window_id = kSecond;
  RunLoop(LoopMode::kModal);
  EXPECT_EQ(rt.modal_window_id, 0u) << "the nested loop ends when the modal id becomes 0";
  DestroyWindow(target);
}

TEST_F(RuntimeWindows, ModalLoadRunsANestedLoopAndRestoresTheModalId) {
  Runtime& rt = TheRuntime();
  ASSERT_TRUE(OpenWindow(kFirst, nullptr, false));
  rt.modal_window_id = 0x52000099;  // as if inside another modal window
  g_modal_id_seen = 0;
  ASSERT_TRUE(OpenWindow(kModal, FindLiveObject(kFirst, 0), true));
  EXPECT_EQ(FindLiveObject(kModal, 0), nullptr) << "a modal load returns once its window is gone";
  EXPECT_EQ(g_modal_id_seen, kModal) << "while it runs, the modal window id is its window's";
  EXPECT_FALSE(g_first_enabled_seen) << "the other windows are disabled meanwhile";
  EXPECT_TRUE(IsWindowEnabled(FindLiveObject(kFirst, 0)->hwnd())) << "and enabled again after";
  EXPECT_EQ(rt.modal_window_id, 0x52000099u) << "the outer modal id is put back";
  EXPECT_FALSE(DrainQuit()) << "the first window is still alive: no WM_QUIT";
}

TEST_F(RuntimeWindows, DestroyingTheModalWindowClearsTheModalId) {
  Runtime& rt = TheRuntime();
  ASSERT_TRUE(OpenWindow(kSecond, nullptr, false));
  rt.modal_window_id = kSecond;
  DestroyWindow(Hwnd(kSecond));
  EXPECT_EQ(rt.modal_window_id, 0u);
}

TEST_F(RuntimeWindows, ServicesFindObjectsAndAnswerPaths) {
  Runtime& rt = TheRuntime();
  rt.program_dir = "C:\\班级";
  rt.program_file = "点名.exe";
  rt.build_kind = 3;
  EXPECT_STREQ(reinterpret_cast<const char*>(uintptr_t(FrameNotify(kNotifyProgramDir, 0, 0))),
               "C:\\班级");
  EXPECT_STREQ(reinterpret_cast<const char*>(uintptr_t(FrameNotify(kNotifyProgramFile, 0, 0))),
               "点名.exe");
  EXPECT_EQ(FrameNotify(kNotifyBuildKind, 0, 0), 3);
  EXPECT_EQ(FrameNotify(kNotifyFindObject, kFirst, 0), 0) << "a window not loaded has no object";
  LoadWindowRequest request{kFirst, nullptr, 0};
  EXPECT_EQ(FrameNotify(kNotifyLoadWindow, uintptr_t(&request), 0), 0);
  auto* obj = reinterpret_cast<UnitObject*>(uintptr_t(FrameNotify(kNotifyFindObject, kFirst, 0)));
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->window_id(), kFirst);
  EXPECT_EQ(FrameNotify(kNotifyFindObject, kFirst, kFirstUnit), int64_t(uintptr_t(obj)))
      << "the window unit's id names the window itself";
  LoadWindowRequest unknown{0x52007777, nullptr, 0};
  EXPECT_EQ(FrameNotify(kNotifyLoadWindow, uintptr_t(&unknown), 0), -1);
  void* block = reinterpret_cast<void*>(uintptr_t(FrameNotify(kNotifyAlloc, 16, 0)));
  ASSERT_NE(block, nullptr);
  FrameNotify(kNotifyFree, uintptr_t(block), 0);
  EXPECT_EQ(FrameNotify(kNotifyAlloc, 0x7FFFFFF0u, 1), 0) << "with value 2 set, failure is null";
}

}  // namespace
}  // namespace rc
