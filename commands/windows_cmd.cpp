// Loading and destroying windows and units. A window reference carries the window id in its low
// word and the unit id (the window's own unit for the window itself) in its high word.
#include <windows.h>

#include "commands/core_commands.h"
#include "runtime/command_host.h"

namespace rc {
namespace {

UnitObject* FindObject(uint32_t window_id, uint32_t unit_id) {
  return CommandHost::FindObject(window_id, unit_id);
}

// Missing: the runtime error "指定窗口或窗口组件不存在或尚未载入"; does not return then.
UnitObject* RequireObject(uint32_t window_id, uint32_t unit_id) {
  return CommandHost::RequireObject(window_id, unit_id);
}

}  // namespace

void LoadWindow(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* window = OptionalArg(argc, args, 0);
  if (window == nullptr) return;
  const uint32_t window_id = window->lo;
  const bool modal = IntArgOr(argc, args, 2, 0) != 0;

  UnitObject* parent = nullptr;
  if (const ArgRecord* parent_arg = OptionalArg(argc, args, 1)) {
    parent = FindObject(parent_arg->lo, 0);
    if (parent == nullptr) return;
  }
  // A window that DestroyUnit is about to close is not the window the caller wants to see:
  // it goes now, and a fresh one is loaded. Any other open window is only brought forward,
  // which the load itself does.
  UnitObject* open = FindObject(window_id, 0);
  if (open != nullptr && CommandHost::IsWindowClosing(open)) CommandHost::CloseWindowNow(open);

  // A modal window is not tied to a parent.
  result->lo = CommandHost::LoadWindow(window_id, modal ? nullptr : parent, modal);
}

void DestroyUnit(ResultRecord*, int argc, ArgRecord* args) {
  const ArgRecord* reference = OptionalArg(argc, args, 0);
  const uint32_t window_id = reference != nullptr ? reference->lo : 0;
  const uint32_t unit_id = reference != nullptr ? reference->hi : 0;
  UnitObject* object = RequireObject(window_id, unit_id);
  if (object == nullptr) return;  // only when the error report could not end the program

  if (object == FindObject(window_id, 0)) {
    CommandHost::CloseWindow(object, IntArgOr(argc, args, 1, 0) != 0);
    return;
  }
  // The unit's type clears its slot when the native window goes (service 2000), after which
  // the unit is no longer found.
  DestroyWindow(object->hwnd());
}

}  // namespace rc
