// The frame's typed hosts: what the unit types (runtime/units/unit_host.h) and the core commands
// (command_host.h) may ask of it, answered from the unit registry, the events and the loader.
#include "runtime/frame_host.h"

#include "runtime/command_host.h"
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/events.h"
#include "runtime/state.h"
#include "runtime/unit_registry.h"
#include "runtime/units/unit_host.h"
#include "runtime/units/window.h"
#include "runtime/window_loader.h"

namespace rc {

namespace {

class FrameHost : public UnitHost {
 public:
  bool RaiseEvent(EventRecord* record) override { return rc::RaiseEvent(record); }
  void UnitDestroyed(uint32_t window_id, uint32_t unit_id) override {
    OnWindowDestroyed(window_id, unit_id);
  }
  void RaiseFocusEvent(const UnitObject* unit, bool gained) override {
    rc::RaiseFocusEvent(unit, gained);
  }
  bool RaiseCommonEvents(uint32_t window_id, uint32_t unit_id, MSG* msg) override {
    return rc::RaiseCommonEvents(window_id, unit_id, msg);
  }
  HCURSOR UnitCursor(uint32_t window_id, uint32_t unit_id) override {
    return rc::UnitCursor(window_id, unit_id);
  }
  UnitObject* FindLiveObject(uint32_t window_id, uint32_t unit_id) override {
    return rc::FindLiveObject(window_id, unit_id);
  }
  UnitObject* FindUnitByHwnd(uint32_t window_id, HWND hwnd) override {
    return rc::FindUnitByHwnd(window_id, hwnd);
  }
  const DataTypeDescriptor* UnitType(uint32_t window_id, uint32_t unit_id) override {
    return FindDataType(UnitTypeCode(window_id, unit_id));
  }
  void* UnitOperation(uint32_t window_id, uint32_t unit_id, int32_t op) override {
    return rc::UnitOperation(UnitTypeCode(window_id, unit_id), op);
  }
  std::vector<uint32_t> LiveWindowIds() override { return rc::LiveWindowIds(); }
  void EnableWindowsDisabledFor(uint32_t window_id) override {
    rc::EnableWindowsDisabledFor(window_id);
  }
};

}  // namespace

UnitHost& FrameUnitHost() {
  static FrameHost host;
  return host;
}

const std::string& CommandHost::ProgramDir() {
  return TheRuntime().program_dir;
}

std::string CommandHost::UserLibraryDir() {
  return rc::UserLibraryDir(true);
}

UnitObject* CommandHost::FindObject(uint32_t window_id, uint32_t unit_id) {
  return FindLiveObject(window_id, unit_id);
}

UnitObject* CommandHost::RequireObject(uint32_t window_id, uint32_t unit_id) {
  UnitObject* obj = FindLiveObject(window_id, unit_id);
  if (obj == nullptr) ReportError("指定窗口或窗口组件不存在或尚未载入", 0);
  return obj;
}

bool CommandHost::LoadWindow(uint32_t window_id, UnitObject* parent, bool modal) {
  return OpenWindow(window_id, parent, modal);
}

void CommandHost::CloseWindow(UnitObject* window, bool at_once) {
  MarkWindowClosing(window);
  if (at_once) {
    rc::CloseWindowNow(window);
  } else {
    // Closing from inside one of the window's own handlers would pull the window away under
    // them; the message comes out of the queue only after they have returned.
    PostMessageW(window->hwnd(), kCloseWindowMessage, 0, 0);
  }
}

bool CommandHost::IsWindowClosing(const UnitObject* window) {
  return rc::IsWindowClosing(window);
}

void CommandHost::CloseWindowNow(UnitObject* window) {
  rc::CloseWindowNow(window);
}

}  // namespace rc
