// A test window made of unit records, loaded by the runtime inside the test process: the tests
// of the native-control unit types drive its units through WriteProperty, ReadProperty and the
// messages the user's actions produce, and compare the events the handlers saw.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/routines.h"
#include "base/values.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "runtime/libraries.h"
#include "runtime/properties.h"
#include "runtime/state.h"
#include "runtime/frame_host.h"
#include "runtime/units/unit_host.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"

namespace rc::test {

constexpr uint32_t kControlWindow = 0x52000100;
constexpr uint32_t kControlWindowUnit = 0x06000101;

// Every event a handler was called for: the unit, in order.
inline std::vector<uint32_t> g_unit_events;
// Runs inside the handler, after the event was logged (for handlers that write properties).
inline std::function<void(uint32_t unit)> g_on_unit_event;

inline void LogUnitEvent(HandlerCall&) {
  uint32_t unit = TheRuntime().current_event_unit;
  g_unit_events.push_back(unit);
  if (g_on_unit_event) g_on_unit_event(unit);
}
inline const Routine kControlRoutines[] = {LogUnitEvent, nullptr};

// A unit record of a type with typed data; event 0 goes to the logging handler.
template <class Data>
forms::RecordModel UnitRecord(uint32_t id, const Data& data, forms::Geometry geometry,
                              uint32_t state_flags = forms::kStateVisible) {
  forms::RecordModel record;
  record.id = id;
  record.type_code = Data::kTypeCode;
  record.geometry = geometry;
  record.state_flags = state_flags;
  record.bindings = {{0, RoutineOffset(0)}};
  record.type_data = forms::WriteTypeDataAs(data);
  return record;
}

// Puts a unit into a container: the parent field of the one, the child list of the other.
inline void PutInto(forms::RecordModel* container, forms::RecordModel* unit) {
  unit->parent = container->id;
  container->children.push_back(unit->id);
}

class ControlUnitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Runtime& rt = TheRuntime();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
    ConnectFrame(&FrameUnitHost());
    rt.loop_started = false;
    rt.modal_window_id = 0;
    rt.handlers_blocked = 0;
    g_unit_events.clear();
    g_on_unit_event = nullptr;
  }
  void TearDown() override {
    g_on_unit_event = nullptr;
    for (uint32_t id : LiveWindowIds()) DestroyWindow(FindLiveObject(id, 0)->hwnd());
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    TheRuntime().forms.reset();
  }

  // Loads a shown window of 400 x 300 holding these units (records 1 and up, in this order).
  ::testing::AssertionResult Load(std::vector<forms::RecordModel> units) {
    forms::WindowData window;
    window.title = "单元测试";
    window.start_position = 0;
    forms::RecordModel record;
    record.id = kControlWindowUnit;
    record.type_code = forms::kTypeWindow;
    record.geometry = {20, 20, 400, 300};
    record.state_flags = forms::kStateVisible;
    record.type_data = forms::WriteTypeDataAs(window);
    forms::WindowModel model;
    model.id = kControlWindow;
    model.records.push_back(record);
    for (forms::RecordModel& unit : units) model.records.push_back(std::move(unit));
    forms::Bytes bytes = forms::WriteFormData({model});
    forms::LoadStatus status = LoadWindowDefinitions(bytes.data(), uint32_t(bytes.size()),
                                                     reinterpret_cast<uintptr_t>(kControlRoutines));
    if (!status.ok) return ::testing::AssertionFailure() << "the form data does not load";
    if (!OpenWindow(kControlWindow, nullptr, false)) {
      return ::testing::AssertionFailure() << "the window does not load";
    }
    return ::testing::AssertionSuccess();
  }

 public:
  static HWND Native(uint32_t unit) {
    UnitObject* object = FindLiveObject(kControlWindow, unit);
    return object != nullptr ? object->hwnd() : nullptr;
  }
  static uint32_t Read(uint32_t unit, int32_t index) {
    return uint32_t(ReadProperty(kControlWindow, unit, index, -1));
  }
  static void Write(uint32_t unit, int32_t index, uint32_t value) {
    WriteProperty(kControlWindow, unit, index, -1, value, 0);
  }
  static std::string ReadText(uint32_t unit, int32_t index) {
    auto* text = reinterpret_cast<char*>(uintptr_t(ReadProperty(kControlWindow, unit, index, -1)));
    std::string copy = text != nullptr ? text : "";
    FreeMem(text);
    return copy;
  }
  static void WriteText(uint32_t unit, int32_t index, const char* text) {
    WriteProperty(kControlWindow, unit, index, -1, uint32_t(reinterpret_cast<uintptr_t>(text)), 0);
  }
  static std::wstring NativeText(HWND hwnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hwnd, text, 256);
    return text;
  }
  // How many events the unit raised so far.
  static size_t EventsOf(uint32_t unit) {
    size_t n = 0;
    for (uint32_t u : g_unit_events) n += u == unit ? 1 : 0;
    return n;
  }
  // Dispatches messages for about this long, as the message loop would.
  static void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    for (;;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      auto left = int32_t(end - GetTickCount());
      if (left <= 0) return;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(left), QS_ALLINPUT);
    }
  }
};

}  // namespace rc::test
