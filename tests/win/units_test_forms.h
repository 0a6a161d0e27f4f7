// Form data and handlers for the unit framework's tests: windows whose units are of the test
// types (units_test_types.h), written with the form writer, and one recording handler per event
// number, so that a test compares the events raised with an expected table.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "base/routines.h"
#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "runtime/events.h"
#include "runtime/libraries.h"
#include "runtime/state.h"
#include "runtime/message_loop.h"
#include "runtime/frame_host.h"
#include "runtime/units/unit_host.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/units_test_types.h"

namespace rc::test {

struct UnitSpec {
  uint32_t id;
  uint32_t type;
  forms::Geometry geometry;
  uint32_t parent = 0;
  uint32_t flags = forms::kStateVisible;
  std::vector<forms::Binding> bindings{};
  forms::Bytes data{};
  forms::Bytes cursor{};
  uint32_t event_source = 0;
};

struct WindowSpec {
  uint32_t id;
  uint32_t unit_id;
  std::string title;
  forms::Geometry geometry;
  std::vector<forms::Binding> bindings{};
  std::vector<UnitSpec> units{};  // records 1, 2, ... in this order
  uint32_t flags = forms::kStateVisible;
  forms::WindowData data = [] {
    forms::WindowData d;
    d.start_position = 0;
    d.min_button = 0;
    return d;
  }();
};

inline forms::Bytes WriteWindows(const std::vector<WindowSpec>& windows) {
  std::vector<forms::WindowModel> models;
  for (const WindowSpec& w : windows) {
    forms::WindowModel model;
    model.id = w.id;
    forms::RecordModel record;
    record.id = w.unit_id;
    record.type_code = forms::kTypeWindow;
    record.geometry = w.geometry;
    record.state_flags = w.flags;
    record.bindings = w.bindings;
    forms::WindowData data = w.data;
    data.title = w.title;
    record.type_data = forms::WriteTypeDataAs(data);
    model.records.push_back(record);
    for (const UnitSpec& u : w.units) {
      forms::RecordModel r;
      r.id = u.id;
      r.type_code = u.type;
      r.name = "unit " + Hex(u.id);
      r.geometry = u.geometry;
      r.parent = u.parent;
      r.state_flags = u.flags;
      r.bindings = u.bindings;
      r.type_data = u.data;
      r.cursor = u.cursor;
      r.event_source = u.event_source;
      model.records.push_back(r);
    }
    models.push_back(model);
  }
  return forms::WriteFormData(models);
}

// A text or byte block as the low word of a property value.
inline uint32_t Ptr(const void* p) {
  return uint32_t(uintptr_t(p));
}

// One raised event as a handler saw it.
struct Seen {
  uint32_t unit;
  int32_t event;
  std::vector<uint32_t> args;
  bool operator==(const Seen& o) const {
    return unit == o.unit && event == o.event && args == o.args;
  }
};

inline std::ostream& operator<<(std::ostream& os, const Seen& s) {
  os << "{" << Hex(s.unit) << ", " << s.event << ", [";
  for (size_t i = 0; i < s.args.size(); ++i) os << (i ? " " : "") << s.args[i];
  return os << "]}";
}

inline std::vector<Seen>& SeenEvents() {
  static std::vector<Seen> seen;
  return seen;
}
// What the handler of an event number returns (nothing when absent), per unit (0: any unit).
inline std::map<std::pair<uint32_t, int32_t>, uint32_t>& Answers() {
  static std::map<std::pair<uint32_t, int32_t>, uint32_t> answers;
  return answers;
}

template <int32_t Event>
void Recorder(HandlerCall& call) {
  const Runtime& rt = TheRuntime();
  Seen s{rt.current_event_unit, Event, {}};
  for (uint32_t i = 0; i < call.word_count; ++i) s.args.push_back(call.words[i]);
  SeenEvents().push_back(s);
  auto& answers = Answers();
  auto it = answers.find({rt.current_event_unit, Event});
  if (it == answers.end()) it = answers.find({0u, Event});
  if (it != answers.end()) call.Return(it->second);
}

// Routine i records event number i - 12 (-12 ... 4).
inline const Routine kRecorders[] = {
    Recorder<-12>, Recorder<-11>, Recorder<-10>, Recorder<-9>, Recorder<-8>, Recorder<-7>,
    Recorder<-6>,  Recorder<-5>,  Recorder<-4>,  Recorder<-3>, Recorder<-2>, Recorder<-1>,
    Recorder<0>,   Recorder<1>,   Recorder<2>,   Recorder<3>,  Recorder<4>,  nullptr};

// The binding of an event to its recorder.
inline forms::Binding Bind(int32_t event) {
  return {event, RoutineOffset(uint32_t(event + 12))};
}
inline std::vector<forms::Binding> BindAll() {
  std::vector<forms::Binding> all;
  for (int32_t e = -12; e <= 4; ++e) all.push_back(Bind(e));
  return all;
}

// Installs the standard libraries and the test library and loads the windows' definitions.
class UnitsTest : public ::testing::Test {
 public:
  static void InstallFor(const std::vector<WindowSpec>& windows,
                         const Routine* routines = kRecorders) {
    Runtime& rt = TheRuntime();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
    rt.libraries.push_back(&kTestLibrary);
    ConnectFrame(&FrameUnitHost());
    rt.loop_started = false;
    rt.modal_window_id = 0;
    rt.handlers_blocked = 0;
    rt.forms.reset();
    forms::Bytes bytes = WriteWindows(windows);
    forms::LoadStatus status =
        LoadWindowDefinitions(bytes.data(), uint32_t(bytes.size()), uintptr_t(routines));
    ASSERT_TRUE(status.ok);
    UnitLog().clear();
    SeenEvents().clear();
    Answers().clear();
  }

 protected:
  void Install(const std::vector<WindowSpec>& windows, const Routine* routines = kRecorders) {
    InstallFor(windows, routines);
  }
  void TearDown() override {
    Runtime& rt = TheRuntime();
    for (uint32_t id : LiveWindowIds()) DestroyWindow(FindLiveObject(id, 0)->hwnd());
    Pump();
    rt.forms.reset();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
  }
  // Runs the messages waiting for this thread through the runtime's own pre-translation, as
  // the message loop does.
  static void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      if (!PreTranslateMessage(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }
  static HWND Hwnd(uint32_t window_id, uint32_t unit_id = 0) {
    UnitObject* obj = FindLiveObject(window_id, unit_id);
    return obj != nullptr ? obj->hwnd() : nullptr;
  }
  static TestUnit* Unit(uint32_t window_id, uint32_t unit_id) {
    return dynamic_cast<TestUnit*>(FindLiveObject(window_id, unit_id));
  }
};

}  // namespace rc::test
