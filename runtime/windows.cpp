#include "runtime/windows.h"

#include <algorithm>
#include <map>
#include <memory>

#include "runtime/events.h"
#include "runtime/runtime.h"

namespace rc {

namespace {

// The windows disabled while a modal window is shown, by the modal window's id.
std::map<uint32_t, std::vector<HWND>>& DisabledForModal() {
  static std::map<uint32_t, std::vector<HWND>> disabled;
  return disabled;
}

UnitObject* ObjectAt(const forms::WindowDefinition& def, size_t record) {
  return reinterpret_cast<UnitObject*>(def.object_slot(record));
}

CreateArgs ArgsFor(const forms::UnitTable& units, size_t i, uint32_t window_id) {
  CreateArgs args{};
  forms::ByteSpan data = units.type_data(i);
  args.type_data = data.size != 0 ? data.data : nullptr;
  args.type_data_size = static_cast<uint32_t>(data.size);
  uint32_t flags = units.state_flags(i);
  if (flags & forms::kStateDisabled) args.style |= WS_DISABLED;
  if (flags & forms::kStateTabStop) args.style |= WS_TABSTOP;
  forms::Geometry g = units.geometry(i);
  args.left = g.left;
  args.top = g.top;
  args.width = g.width;
  args.height = g.height;
  args.window_id = window_id;
  args.unit_id = units.id(i);
  return args;
}

UnitObject* CreateUnit(uint32_t type_code, const CreateArgs& args) {
  auto create = reinterpret_cast<CreateOp>(UnitOperation(type_code, kOpCreate));
  return create != nullptr ? create(args) : nullptr;
}

// Disables the other live windows while a modal window is up; they still get their messages
// (timers keep ticking) but take no input.
void DisableOthers(uint32_t modal_id, HWND modal) {
  std::vector<HWND>& list = DisabledForModal()[modal_id];
  for (uint32_t id : LiveWindowIds()) {
    UnitObject* obj = FindLiveObject(id, 0);
    if (obj == nullptr || obj->hwnd() == modal || !IsWindowEnabled(obj->hwnd())) continue;
    EnableWindow(obj->hwnd(), FALSE);
    list.push_back(obj->hwnd());
  }
}

}  // namespace

forms::LoadStatus LoadWindowDefinitions(const uint8_t* data, uint32_t size, uintptr_t code_base) {
  Runtime& rt = TheRuntime();
  auto table = std::make_unique<forms::FormTable>();
  RoutineTable routines;
  routines.base = reinterpret_cast<const Routine*>(code_base);
  while (routines.base != nullptr && routines.base[routines.count] != nullptr) ++routines.count;
  forms::LoadStatus status = table->Load(data, size, routines);
  if (status.ok) rt.forms = std::move(table);
  return status;
}

const DataTypeDescriptor* FindDataType(uint32_t type_code) {
  const Runtime& rt = TheRuntime();
  uint32_t lib = type_code >> 16;
  uint32_t type = type_code & 0xFFFF;
  if (lib == 0 || type == 0 || lib > rt.libraries.size()) return nullptr;
  const LibraryDescriptor* descriptor = rt.libraries[lib - 1];
  if (descriptor == nullptr || type > descriptor->data_type_count) return nullptr;
  return &descriptor->data_types[type - 1];
}

void* UnitOperation(uint32_t type_code, int32_t op) {
  const DataTypeDescriptor* type = FindDataType(type_code);
  return type != nullptr && type->interface_fn != nullptr ? type->interface_fn(op) : nullptr;
}

std::optional<size_t> RecordIndex(const forms::WindowDefinition& def, uint32_t unit_id) {
  if (def.units().count() == 0) return std::nullopt;
  if (unit_id == 0) return size_t{0};
  return def.units().Find(unit_id);
}

UnitObject* FindLiveObject(uint32_t window_id, uint32_t unit_id) {
  Runtime& rt = TheRuntime();
  const forms::WindowDefinition* def = rt.forms ? rt.forms->Find(window_id) : nullptr;
  if (def == nullptr) return nullptr;
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  if (!index) return nullptr;
  UnitObject* obj = ObjectAt(*def, *index);
  return obj != nullptr && obj->live() ? obj : nullptr;
}

UnitObject* LoadedWindowOf(HWND hwnd) {
  Runtime& rt = TheRuntime();
  if (!rt.forms || hwnd == nullptr) return nullptr;
  for (size_t i = 0; i < rt.forms->size(); ++i) {
    const forms::WindowDefinition& def = rt.forms->at(i);
    if (def.units().count() == 0) continue;
    UnitObject* obj = ObjectAt(def, 0);
    if (obj != nullptr && obj->hwnd() == hwnd) return obj;
  }
  return nullptr;
}

std::vector<uint32_t> LiveWindowIds() {
  Runtime& rt = TheRuntime();
  std::vector<uint32_t> ids;
  if (!rt.forms) return ids;
  for (size_t i = 0; i < rt.forms->size(); ++i) {
    const forms::WindowDefinition& def = rt.forms->at(i);
    if (def.units().count() == 0) continue;
    UnitObject* obj = ObjectAt(def, 0);
    if (obj != nullptr && obj->live()) ids.push_back(def.id());
  }
  return ids;
}

bool AnyLiveWindow() {
  return !LiveWindowIds().empty();
}

bool LoadWindow(uint32_t window_id, UnitObject* parent, bool modal) {
  Runtime& rt = TheRuntime();
  forms::WindowDefinition* def = rt.forms ? rt.forms->Find(window_id) : nullptr;
  if (def == nullptr || def->units().count() == 0) return false;
  if (parent != nullptr && !parent->live()) return false;
  if (UnitObject* open = FindLiveObject(window_id, 0)) {
    // Already open: no second copy, only brought forward.
    if (IsIconic(open->hwnd())) {
      ShowWindow(open->hwnd(), SW_RESTORE);
    } else {
      SetActiveWindow(open->hwnd());
    }
    return true;
  }

  def->SaveUnits();
  forms::UnitTable& units = def->units();
  CreateArgs args = ArgsFor(units, 0, window_id);
  args.parent_window = parent != nullptr ? parent->hwnd() : nullptr;
  args.runtime_window = rt.message_window;
  UnitObject* window = CreateUnit(units.type_code(0), args);
  if (window == nullptr) {
    def->DropSavedUnits();
    return false;
  }
  def->set_object_slot(0, reinterpret_cast<uintptr_t>(window));

  // The units, from the last record back to the first; control ids in creation order.
  uint32_t control_id = 100;
  for (size_t i = units.count(); i-- > 1;) {
    if (units.is_menu_item(i)) continue;
    CreateArgs unit_args = ArgsFor(units, i, window_id);
    unit_args.parent = window->hwnd();
    unit_args.control_id = control_id;
    control_id += 10;
    const DataTypeDescriptor* type = FindDataType(units.type_code(i));
    if (type != nullptr && (type->flags & kTypeNeverVisible)) unit_args.style &= ~WS_VISIBLE;
    UnitObject* unit = CreateUnit(units.type_code(i), unit_args);
    if (unit == nullptr) {
      // The load fails as a whole. The window is no longer ours when its native window goes,
      // so its destruction neither restores a table nor ends the loop.
      HWND hwnd = window->hwnd();
      def->set_object_slot(0, 0);
      DestroyWindow(hwnd);
      for (size_t k = 0; k < units.count(); ++k) def->set_object_slot(k, 0);
      def->DropSavedUnits();
      return false;
    }
    def->set_object_slot(i, reinterpret_cast<uintptr_t>(unit));
  }
  for (size_t i = 1; i < units.count(); ++i) {
    UnitObject* unit = ObjectAt(*def, i);
    const DataTypeDescriptor* type = FindDataType(units.type_code(i));
    bool never_shown = type == nullptr || (type->flags & kTypeNeverVisible);
    if (unit != nullptr && unit->live() && !never_shown &&
        (units.state_flags(i) & forms::kStateVisible)) {
      ShowWindow(unit->hwnd(), SW_SHOWNA);
    }
  }

  const int32_t kOpeningEvents[] = {kEventWindowCreated, kEventWindowMoved, kEventWindowResized};
  for (int32_t event : kOpeningEvents) {
    if (FindLiveObject(window_id, 0) != window) return true;  // closed by a handler
    EventRecord record{window_id, units.id(0), event, 0, {}, 0, 0};
    RaiseEvent(&record);
  }
  if (FindLiveObject(window_id, 0) != window) return true;
  HWND hwnd = window->hwnd();
  if (!modal) {
    if (def->units().state_flags(0) & forms::kStateVisible) ShowWindow(hwnd, SW_SHOW);
    return true;
  }
  if (parent != nullptr && (GetWindowLongW(parent->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  uint32_t saved_modal = rt.modal_window_id;
  rt.modal_window_id = window_id;
  DisableOthers(window_id, hwnd);
  ShowWindow(hwnd, SW_SHOW);
  RunLoop(LoopMode::kModal);
  EnableWindowsDisabledFor(window_id);
  rt.modal_window_id = saved_modal;
  return true;
}

void LoadStartWindow(uint32_t window_id) {
  if (!LoadWindow(window_id, nullptr, false)) ReportError("载入启动窗口失败", 0);
}

void EnableWindowsDisabledFor(uint32_t window_id) {
  auto& all = DisabledForModal();
  auto it = all.find(window_id);
  if (it == all.end()) return;
  for (HWND hwnd : it->second) {
    if (IsWindow(hwnd)) EnableWindow(hwnd, TRUE);
  }
  all.erase(it);
}

void OnWindowDestroyed(uint32_t window_id, uint32_t unit_id) {
  Runtime& rt = TheRuntime();
  forms::WindowDefinition* def = rt.forms ? rt.forms->Find(window_id) : nullptr;
  if (def == nullptr || def->units().count() == 0) return;
  forms::UnitTable& units = def->units();
  if (unit_id != 0 && unit_id != units.id(0)) {
    std::optional<size_t> index = units.Find(unit_id);
    if (!index) return;
    if (HCURSOR cursor = reinterpret_cast<HCURSOR>(def->cursor_slot(*index))) DestroyCursor(cursor);
    def->set_cursor_slot(*index, 0);
    def->set_object_slot(*index, 0);
    return;
  }
  // A native window the runtime no longer counts as the window's (a failed load), or one being
  // replaced by a new native window, changes nothing.
  if (def->object_slot(0) == 0 || rt.replacing_native > 0) return;
  EnableWindowsDisabledFor(window_id);
  def->RestoreUnits();
  if (rt.modal_window_id == window_id) rt.modal_window_id = 0;
  if (rt.loop_started && !AnyLiveWindow()) PostQuitMessage(0);
}

}  // namespace rc
