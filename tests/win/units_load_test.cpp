// Loading a window with its units: creation order and control ids, containers and stacking,
// the unit-created notification before anything is shown, the opening events, a failing unit,
// the cursors of the records, and a new load starting from the state of the first.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/values.h"
#include "runtime/properties.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/units_test_forms.h"
#include "tests/win/units_test_types.h"

namespace rc::test {
namespace {

constexpr uint32_t kWin = 0x52000100;
constexpr uint32_t kWinUnit = 0x06000101;
constexpr uint32_t kA = 0x16000102;
constexpr uint32_t kB = 0x16000103;
constexpr uint32_t kC = 0x16000104;
constexpr uint32_t kP = 0x16000105;
constexpr uint32_t kX = 0x16000106;
constexpr uint32_t kY = 0x16000107;

std::vector<std::string> LogStartingWith(const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& e : UnitLog()) {
    if (e.compare(0, prefix.size(), prefix) == 0) out.push_back(e);
  }
  return out;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> out;
  for (HWND c = GetWindow(parent, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    out.push_back(c);
  }
  return out;
}

class UnitsLoad : public UnitsTest {};

TEST_F(UnitsLoad, CreatesFromTheLastRecordWithControlIdsFromOneHundredInTens) {
  Install({{kWin,
            kWinUnit,
            "载入顺序",
            {10, 10, 300, 200},
            {},
            {{kA, kTypePanel, {0, 0, 50, 20}},
             {kB, kTypeEdit, {0, 30, 50, 20}},
             {kC, kTypePanel, {0, 60, 50, 20}}}}});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  EXPECT_EQ(LogStartingWith("create"), (std::vector<std::string>{"create " + Hex(kC) + " id 100",
                                                                 "create " + Hex(kB) + " id 110",
                                                                 "create " + Hex(kA) + " id 120"}))
      << "units are made from the last record back to the first";
  EXPECT_EQ(GetDlgCtrlID(Hwnd(kWin, kA)), 120);
}

TEST_F(UnitsLoad, UnitsGoIntoTheirContainerAndEarlierRecordsLieAbove) {
  Install({{kWin,
            kWinUnit,
            "容器",
            {10, 10, 300, 200},
            {},
            {{kX, kTypePanel, {5, 5, 40, 20}, kP},
             {kA, kTypePanel, {0, 0, 50, 20}},
             {kY, kTypePanel, {5, 30, 40, 20}, kP},
             {kP, kTypePanel, {60, 60, 120, 100}},
             {kB, kTypePanel, {0, 0, 60, 30}}}}});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  HWND p = Hwnd(kWin, kP);
  EXPECT_EQ(Children(p), (std::vector<HWND>{Hwnd(kWin, kX), Hwnd(kWin, kY)}))
      << "the container holds its units, the earlier record on top";
  EXPECT_EQ(Children(Hwnd(kWin)),
            (std::vector<HWND>{Hwnd(kWin, kA), Hwnd(kWin, kP), Hwnd(kWin, kB)}))
      << "siblings are stacked in record order";
  RECT r;
  GetWindowRect(Hwnd(kWin, kY), &r);
  MapWindowPoints(HWND_DESKTOP, p, reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 5) << "a unit's stored position is relative to its container";
  EXPECT_EQ(r.top, 30);
  EXPECT_EQ(uint32_t(ReadProperty(kWin, kY, props::kTop.index, -1)), 30u);
}

// The state of the window and its units when the creation handler runs.
std::string g_at_created;
void NoteStateAtCreated(HandlerCall& call) {
  HWND window = FindLiveObject(kWin, 0)->hwnd();
  HWND a = FindLiveObject(kWin, kA)->hwnd();
  g_at_created = "window " + std::to_string(IsWindowVisible(window) != 0) + " unit " +
                 std::to_string((GetWindowLongW(a, GWL_STYLE) & WS_VISIBLE) != 0);
  Recorder<0>(call);
}
const Routine kOpeningRoutines[] = {NoteStateAtCreated, Recorder<3>, Recorder<4>, Recorder<2>,
                                    nullptr};

TEST_F(UnitsLoad, NotifiedHiddenThenShownThenOpeningEventsThenTheWindow) {
  Install({{kWin,
            kWinUnit,
            "打开",
            {10, 10, 300, 200},
            {{0, RoutineOffset(0)}, {3, RoutineOffset(1)}, {4, RoutineOffset(2)}},
            {{kA, kTypePanel, {0, 0, 50, 20}},
             {kB, kTypePanel, {0, 30, 50, 20}, 0, 0},
             {kC, kTypeHidden, {0, 60, 50, 20}}}}},
          kOpeningRoutines);
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  EXPECT_EQ(LogStartingWith("notified"),
            (std::vector<std::string>{"notified " + Hex(kA) + " visible 0 parent 00000000",
                                      "notified " + Hex(kB) + " visible 0 parent 00000000",
                                      "notified " + Hex(kC) + " visible 0 parent 00000000"}))
      << "every unit is told it exists, in record order, before any is shown";
  EXPECT_EQ(g_at_created, "window 0 unit 1")
      << "the creation event comes after the units are shown and before the window is";
  EXPECT_EQ(SeenEvents(),
            (std::vector<Seen>{{kWinUnit, 0, {}}, {kWinUnit, 3, {}}, {kWinUnit, 4, {}}}));
  EXPECT_TRUE(IsWindowVisible(Hwnd(kWin)));
  EXPECT_FALSE(IsWindowVisible(Hwnd(kWin, kB))) << "a unit without the visible flag stays hidden";
  EXPECT_FALSE(IsWindowVisible(Hwnd(kWin, kC))) << "a type that is never visible is never shown";
}

TEST_F(UnitsLoad, AFailingUnitFailsTheLoadAndLeavesNothingBehind) {
  Install({{kWin,
            kWinUnit,
            "失败",
            {10, 10, 300, 200},
            {Bind(0), Bind(2)},
            {{kA, kTypePanel, {0, 0, 50, 20}},
             {kB, kTypeFailing, {0, 30, 50, 20}},
             {kC, kTypePanel, {0, 60, 50, 20}}}}});
  WriteProperty(kWin, kA, props::kLeft.index, -1, 7, 0);
  EXPECT_FALSE(OpenWindow(kWin, nullptr, false));
  EXPECT_EQ(LogStartingWith("create"), (std::vector<std::string>{"create " + Hex(kC) + " id 100",
                                                                 "create " + Hex(kB) + " fails"}));
  EXPECT_EQ(FindLiveObject(kWin, 0), nullptr);
  EXPECT_EQ(FindWindowW(L"RcTestPanel", nullptr), nullptr) << "the units made so far are gone";
  EXPECT_TRUE(SeenEvents().empty()) << "a window that never opened raises no events";
  forms::WindowDefinition* def = TheRuntime().forms->Find(kWin);
  EXPECT_FALSE(def->has_saved_units()) << "the saved copy of the unit table is cleared";
  EXPECT_EQ(def->object_slot(1), 0u);
  EXPECT_EQ(uint32_t(ReadProperty(kWin, kA, props::kLeft.index, -1)), 7u)
      << "what was written before stays";
  EXPECT_FALSE(OpenWindow(kWin, nullptr, false)) << "and the next attempt fails alike";
}

TEST_F(UnitsLoad, EachRecordGetsItsCursorForTheTimeItIsLoaded) {
  const forms::Bytes hand = {0x89, 0x7F, 0, 0};
  const forms::Bytes junk = {0, 0, 2, 0, 1, 0, 32, 32, 0, 0, 1, 0, 1, 0, 0xFF, 0xFF};
  Install({{kWin,
            kWinUnit,
            "光标",
            {10, 10, 300, 200},
            {},
            {{kA, kTypePanel, {0, 0, 50, 20}, 0, forms::kStateVisible, {}, {}, hand},
             {kB, kTypePanel, {0, 30, 50, 20}, 0, forms::kStateVisible, {}, {}, junk},
             {kC, kTypePanel, {0, 60, 50, 20}}}}});
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  HCURSOR cursor = UnitCursor(kWin, kA);
  ASSERT_NE(cursor, nullptr) << "a 4-byte cursor names a system cursor";
  EXPECT_NE(cursor, LoadCursorW(nullptr, MAKEINTRESOURCEW(0x7F89))) << "a private copy";
  EXPECT_EQ(UnitCursor(kWin, kB), nullptr) << "a cursor file that does not read is no cursor";
  EXPECT_EQ(UnitCursor(kWin, kC), nullptr);

  HWND a = Hwnd(kWin, kA);
  EXPECT_EQ(SendMessageW(a, WM_SETCURSOR, WPARAM(a), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
  EXPECT_EQ(GetCursor(), cursor) << "the unit shows its own cursor over its client area";

  DestroyWindow(Hwnd(kWin));
  EXPECT_EQ(UnitCursor(kWin, kA), nullptr) << "the cursor goes with the window";
}

TEST_F(UnitsLoad, LoadingAgainStartsFromTheStateOfTheFirstLoad) {
  PanelData data;
  data.caption = "原来的";
  Install({{kWin,
            kWinUnit,
            "再次载入",
            {10, 10, 300, 200},
            {},
            {{kA, kTypePanel, {0, 0, 50, 20}, 0, forms::kStateVisible, {}, WritePanelData(data)},
             {kB, kTypePanel, {0, 30, 50, 20}}}}});
  WriteProperty(kWin, kA, props::kLeft.index, -1, 5, 0);  // before the load: kept
  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  EXPECT_EQ(uint32_t(ReadProperty(kWin, kA, props::kLeft.index, -1)), 5u);
  WriteProperty(kWin, kA, props::kLeft.index, -1, 77, 0);  // while loaded: forgotten
  WriteProperty(kWin, kB, props::kVisible.index, -1, 0, 0);
  const std::string tag = "标记";
  WriteProperty(kWin, kA, props::kTag.index, -1, uint32_t(uintptr_t(tag.c_str())), 0);
  const std::string caption = "改过的";
  WriteProperty(kWin, kA, 8, -1, uint32_t(uintptr_t(caption.c_str())), 0);
  EXPECT_FALSE(IsWindowVisible(Hwnd(kWin, kB)));

  DestroyWindow(Hwnd(kWin));
  EXPECT_EQ(uint32_t(ReadProperty(kWin, kA, props::kLeft.index, -1)), 5u);
  EXPECT_EQ(uint32_t(ReadProperty(kWin, kB, props::kVisible.index, -1)), 1u);
  EXPECT_EQ(reinterpret_cast<char*>(uintptr_t(ReadProperty(kWin, kA, props::kTag.index, -1))),
            nullptr)
      << "the tag written while loaded is forgotten";

  ASSERT_TRUE(OpenWindow(kWin, nullptr, false)) << LogText();
  EXPECT_EQ(uint32_t(ReadProperty(kWin, kA, props::kLeft.index, -1)), 5u);
  EXPECT_TRUE(IsWindowVisible(Hwnd(kWin, kB)));
  HeapText again(reinterpret_cast<char*>(uintptr_t(ReadProperty(kWin, kA, 8, -1))));
  EXPECT_STREQ(again.get(), "原来的") << "a type property starts from the stored data each load";
}

}  // namespace
}  // namespace rc::test
