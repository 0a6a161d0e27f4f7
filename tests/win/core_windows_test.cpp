// LoadWindow and DestroyUnit on windows loaded from form data inside the test process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "base/routines.h"
#include "commands/core_commands.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "runtime/libraries.h"
#include "runtime/state.h"
#include "runtime/notify.h"
#include "runtime/frame_host.h"
#include "runtime/units/unit_host.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/core/command_call.h"

namespace rc {
namespace {

using test::Call;

constexpr uint32_t kFirst = 0x52000010;
constexpr uint32_t kFirstUnit = 0x06000011;
constexpr uint32_t kSecond = 0x52000020;
constexpr uint32_t kSecondUnit = 0x06000021;
constexpr uint32_t kHolder = 0x52000030;
constexpr uint32_t kHolderUnit = 0x06000031;
constexpr uint32_t kChild = 0x16000032;
// The test library stands in for library 2; its one type is a plain child window.
constexpr uint32_t kChildType = 0x00020001;

constexpr ArgRecord kOmitted{0, 0, 0};
constexpr ArgRecord kFirstRef{kFirst, kFirstUnit, kTagWindowRef};
constexpr ArgRecord kSecondRef{kSecond, kSecondUnit, kTagWindowRef};
constexpr ArgRecord kHolderRef{kHolder, kHolderUnit, kTagWindowRef};
constexpr ArgRecord kChildRef{kHolder, kChild, kChildType};

std::vector<std::string> g_events;
bool g_close_in_created = false;

// Only the events of the first window are recorded.
bool OfFirst() {
  return TheRuntime().current_event_window == kFirst;
}
void Created(HandlerCall&) {
  if (!OfFirst()) return;
  g_events.push_back("created");
  if (g_close_in_created) Call(DestroyUnit, {kFirstRef});
}
void Destroyed(HandlerCall&) {
  if (OfFirst()) g_events.push_back("destroyed");
}
const Routine kRoutines[] = {Created, Destroyed, nullptr};

// A unit type of the test library: a child window that reports its end as every unit does.
class ChildUnit : public UnitObject {
 public:
  ChildUnit(const CreateArgs& args) : UnitObject(args.window_id, args.unit_id) {
    static const bool registered = [] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = &Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"RollcallCoreTestChild";
      return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(0, L"RollcallCoreTestChild", L"", WS_CHILD | args.style, args.left,
                            args.top, args.width, args.height, args.parent,
                            reinterpret_cast<HMENU>(uintptr_t(args.control_id)),
                            GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCDESTROY) {
      auto* self = reinterpret_cast<ChildUnit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
      if (self != nullptr) {
        FrameNotify(kNotifyWindowDestroyed, self->window_id(), self->unit_id());
        delete self;
      }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
};

UnitObject* CreateChild(const CreateArgs& args) {
  return new ChildUnit(args);
}
void* ChildInterface(int32_t op) {
  return op == kOpCreate ? reinterpret_cast<void*>(&CreateChild) : nullptr;
}
const DataTypeDescriptor kTestTypes[1] = {
    {"子窗口", "child", nullptr, 0, 0, 0, 0, 0, nullptr, 8, nullptr, &ChildInterface, 0, 0}};
const LibraryDescriptor kTestLibrary = {kLibrarySignature, "test", 1, 1, kTestTypes, nullptr};

forms::RecordModel WindowRecord(uint32_t unit_id, int left) {
  forms::WindowData data;
  data.title = "窗口";
  data.start_position = 0;
  forms::RecordModel record;
  record.id = unit_id;
  record.type_code = forms::kTypeWindow;
  record.geometry = {left, 40, 200, 150};
  record.state_flags = forms::kStateVisible;
  record.bindings = {{0, RoutineOffset(0)}, {2, RoutineOffset(1)}};
  record.type_data = forms::WriteTypeDataAs(data);
  return record;
}

forms::WindowModel Window(uint32_t id, uint32_t unit_id, int left) {
  forms::WindowModel model;
  model.id = id;
  model.records.push_back(WindowRecord(unit_id, left));
  return model;
}

class CoreWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    Runtime& rt = TheRuntime();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
    rt.libraries[1] = &kTestLibrary;
    ConnectFrame(&FrameUnitHost());
    rt.loop_started = false;
    rt.modal_window_id = 0;
    rt.handlers_blocked = 0;
    g_events.clear();
    g_close_in_created = false;

    forms::WindowModel holder = Window(kHolder, kHolderUnit, 600);
    forms::RecordModel child;
    child.id = kChild;
    child.type_code = kChildType;
    child.geometry = {10, 10, 50, 20};
    child.state_flags = forms::kStateVisible;
    holder.records[0].children = {kChild};
    holder.records.push_back(child);
    forms::Bytes bytes = forms::WriteFormData(
        {Window(kFirst, kFirstUnit, 20), Window(kSecond, kSecondUnit, 300), holder});
    ASSERT_TRUE(
        LoadWindowDefinitions(bytes.data(), uint32_t(bytes.size()), uintptr_t(kRoutines)).ok);
  }
  void TearDown() override {
    Runtime& rt = TheRuntime();
    // Owned windows go with their owner, so each one is looked up afresh.
    for (uint32_t id : LiveWindowIds()) {
      if (HWND hwnd = Hwnd(id)) DestroyWindow(hwnd);
    }
    Pump();
    rt.forms.reset();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
  }
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  static HWND Hwnd(uint32_t id, uint32_t unit = 0) {
    UnitObject* obj = FindLiveObject(id, unit);
    return obj != nullptr ? obj->hwnd() : nullptr;
  }
  static bool Load(ArgRecord window, ArgRecord parent = kOmitted, bool modal = false) {
    return Call(LoadWindow, {window, parent, BoolValue(modal)}).lo != 0;
  }
};

TEST_F(CoreWindows, OpenWindowIsOnlyBroughtForward) {
  ASSERT_TRUE(Load(kFirstRef));
  HWND first = Hwnd(kFirst);
  ASSERT_TRUE(Load(kSecondRef));
  ASSERT_NE(GetActiveWindow(), first);

  EXPECT_TRUE(Load(kFirstRef)) << "an open window loads as true";
  EXPECT_EQ(Hwnd(kFirst), first) << "no second copy";
  EXPECT_EQ(GetActiveWindow(), first) << "it is made the active window";

  ShowWindow(first, SW_MINIMIZE);
  ASSERT_TRUE(IsIconic(first));
  EXPECT_TRUE(Load(kFirstRef));
  EXPECT_FALSE(IsIconic(first)) << "a minimised window is restored";
  EXPECT_EQ(g_events, std::vector<std::string>{"created"}) << "no handler runs for a second load";
}

TEST_F(CoreWindows, ParentMustBeLoadedAndOwnsTheWindow) {
  EXPECT_FALSE(Load(kSecondRef, kFirstRef)) << "a parent that is not loaded fails the load";
  EXPECT_EQ(Hwnd(kSecond), nullptr) << "and nothing is loaded";
  ASSERT_TRUE(Load(kFirstRef));
  ASSERT_TRUE(Load(kSecondRef, kFirstRef));
  EXPECT_EQ(GetWindow(Hwnd(kSecond), GW_OWNER), Hwnd(kFirst));
  EXPECT_FALSE(Load({0x52009999, 0x06009999, kTagWindowRef})) << "an unknown window is false";
  EXPECT_FALSE(Call(LoadWindow, {}).lo) << "no window at all is false";
}

TEST_F(CoreWindows, DestroyUnitClosesWhenTheLoopRunsNext) {
  ASSERT_TRUE(Load(kFirstRef));
  HWND first = Hwnd(kFirst);
  Call(DestroyUnit, {kFirstRef});
  EXPECT_TRUE(IsWindow(first)) << "DestroyUnit returns before the window is gone";
  EXPECT_EQ(g_events, std::vector<std::string>{"created"});
  Pump();
  EXPECT_FALSE(IsWindow(first)) << "the posted close message closes it";
  EXPECT_EQ(g_events, (std::vector<std::string>{"created", "destroyed"}));
  EXPECT_EQ(FindLiveObject(kFirst, 0), nullptr);

  ASSERT_TRUE(Load(kFirstRef));
  Call(DestroyUnit, {kFirstRef, BoolValue(false)});
  EXPECT_NE(Hwnd(kFirst), nullptr) << "a second argument of false also closes later";
  Pump();
  EXPECT_EQ(Hwnd(kFirst), nullptr);
}

TEST_F(CoreWindows, DestroyUnitAtOnceClosesBeforeReturning) {
  ASSERT_TRUE(Load(kFirstRef));
  HWND first = Hwnd(kFirst);
  Call(DestroyUnit, {kFirstRef, BoolValue(true)});
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(g_events, (std::vector<std::string>{"created", "destroyed"}));
}

TEST_F(CoreWindows, LoadRightAfterDestroyUnitGivesAFreshWindow) {
  ASSERT_TRUE(Load(kFirstRef));
  HWND old = Hwnd(kFirst);
  Call(DestroyUnit, {kFirstRef});
  ASSERT_TRUE(Load(kFirstRef));
  EXPECT_FALSE(IsWindow(old)) << "the window being closed is closed first";
  EXPECT_EQ(g_events, (std::vector<std::string>{"created", "destroyed", "created"}))
      << "and a new one is loaded";
  Pump();
  EXPECT_NE(Hwnd(kFirst), nullptr) << "the old close request does not close the new window";
}

TEST_F(CoreWindows, ModalLoadReturnsOnlyAfterTheWindowCloses) {
  ASSERT_TRUE(Load(kSecondRef));
  HWND second = Hwnd(kSecond);
  g_close_in_created = true;  // the window asks to be closed from its creation handler
  EXPECT_TRUE(Load(kFirstRef, kSecondRef, true));
  EXPECT_EQ(g_events, (std::vector<std::string>{"created", "destroyed"}))
      << "the nested loop ran until the close message had closed the window";
  EXPECT_EQ(Hwnd(kFirst), nullptr);
  EXPECT_EQ(TheRuntime().modal_window_id, 0u);
  EXPECT_TRUE(IsWindowEnabled(second)) << "the other windows are usable again";
}

TEST_F(CoreWindows, DestroyUnitOfAUnitLeavesItsWindow) {
  ASSERT_TRUE(Load(kHolderRef));
  HWND child = Hwnd(kHolder, kChild);
  ASSERT_NE(child, nullptr);
  Call(DestroyUnit, {kChildRef});
  EXPECT_FALSE(IsWindow(child)) << "a unit's native window goes at once";
  EXPECT_EQ(FindLiveObject(kHolder, kChild), nullptr) << "the unit is no longer found";
  EXPECT_NE(Hwnd(kHolder), nullptr) << "its window stays";
  Pump();
  EXPECT_NE(Hwnd(kHolder), nullptr) << "and is not closed later either";
}

// A window is in view while it is shown, not minimised and not wholly covered; only opaque
// windows above it cover it, and a part left over is enough to be seen.
TEST_F(CoreWindows, InViewWhileShownNotMinimisedAndNotWhollyCovered) {
  ASSERT_TRUE(Load(kFirstRef));
  HWND first = Hwnd(kFirst);
  RECT r;
  GetWindowRect(first, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  struct Case {
    const char* what;
    std::vector<RECT> covers;  // relative to the window's corner
    DWORD ex_style;
    int show;
    bool in_view;
  } const cases[] = {
      {"shown", {}, 0, SW_SHOWNOACTIVATE, true},
      {"minimised", {}, 0, SW_MINIMIZE, false},
      {"restored", {}, 0, SW_RESTORE, true},
      {"hidden", {}, 0, SW_HIDE, false},
      {"half covered", {{0, 0, w / 2, h}}, 0, SW_SHOWNOACTIVATE, true},
      {"wholly covered", {{-5, -5, w + 5, h + 5}}, 0, SW_SHOWNOACTIVATE, false},
      {"covered in two halves",
       {{-1, -1, w / 2, h + 1}, {w / 2 - 1, -1, w + 1, h + 1}},
       0,
       SW_SHOWNOACTIVATE,
       false},
      {"under a layered window", {{-5, -5, w + 5, h + 5}}, WS_EX_LAYERED, SW_SHOWNOACTIVATE, true},
  };
  for (const Case& c : cases) {
    std::vector<HWND> covers;
    for (const RECT& cover : c.covers) {
      covers.push_back(CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | c.ex_style, L"STATIC",
                                       L"", WS_POPUP, r.left + cover.left, r.top + cover.top,
                                       cover.right - cover.left, cover.bottom - cover.top, nullptr,
                                       nullptr, GetModuleHandleW(nullptr), nullptr));
      if (c.ex_style & WS_EX_LAYERED) SetLayeredWindowAttributes(covers.back(), 0, 128, LWA_ALPHA);
      ShowWindow(covers.back(), SW_SHOWNOACTIVATE);
    }
    ShowWindow(first, c.show);
    Pump();
    EXPECT_EQ(Call(WindowInView, {kFirstRef}).lo != 0, c.in_view) << c.what;
    for (HWND cover : covers) DestroyWindow(cover);
  }
  Pump();
  EXPECT_TRUE(Call(WindowInView, {kFirstRef}).lo) << "seen again once the covers are gone";
  EXPECT_FALSE(Call(WindowInView, {kSecondRef}).lo) << "a window not loaded is not in view";
}

// A cover that stays is asked about again each time: whatever it does after it covered the
// window is seen at the next ask.
TEST_F(CoreWindows, ACoverThatStaysIsFollowed) {
  ASSERT_TRUE(Load(kFirstRef));
  HWND first = Hwnd(kFirst);
  ShowWindow(first, SW_SHOWNOACTIVATE);
  RECT r;
  GetWindowRect(first, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HWND cover = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP,
                               r.left - 5, r.top - 5, w + 10, h + 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  ShowWindow(cover, SW_SHOWNOACTIVATE);
  struct Step {
    const char* what;
    int shift;  // to the right of where it covers the window
    HWND after;
    UINT flags;
    bool in_view;
  } const steps[] = {
      {"covered", 0, nullptr, SWP_NOZORDER, false},
      {"still covered", 0, nullptr, SWP_NOZORDER, false},
      {"moved half away", w / 2, nullptr, SWP_NOZORDER, true},
      {"moved back", 0, nullptr, SWP_NOZORDER, false},
      {"put below", 0, HWND_BOTTOM, 0, true},
      {"raised again", 0, HWND_TOPMOST, 0, false},
      {"hidden", 0, nullptr, SWP_NOZORDER | SWP_HIDEWINDOW, true},
  };
  for (const Step& step : steps) {
    SetWindowPos(cover, step.after, r.left - 5 + step.shift, r.top - 5, 0, 0,
                 step.flags | SWP_NOSIZE | SWP_NOACTIVATE);
    Pump();
    EXPECT_EQ(Call(WindowInView, {kFirstRef}).lo != 0, step.in_view) << step.what;
  }
  DestroyWindow(cover);
}

}  // namespace
}  // namespace rc
