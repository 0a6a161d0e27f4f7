#include "runtime/window_loader.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "base/byte_cursor.h"
#include "base/icon_directory.h"
#include "base/values.h"
#include "runtime/error_report.h"
#include "runtime/events.h"
#include "runtime/message_loop.h"
#include "runtime/state.h"
#include "runtime/unit_registry.h"
#include "runtime/draw/dpi.h"

namespace rc {

namespace {

// The windows disabled while a modal window is shown, by the modal window's id.
std::map<uint32_t, std::vector<HWND>>& DisabledForModal() {
  static std::map<uint32_t, std::vector<HWND>> disabled;
  return disabled;
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

bool NeverShown(uint32_t type_code) {
  const DataTypeDescriptor* type = FindDataType(type_code);
  return type == nullptr || (type->flags & kTypeNeverVisible) != 0;
}

HWND LiveHwnd(const forms::WindowDefinition& def, size_t record) {
  UnitObject* obj = ObjectAt(def, record);
  return obj != nullptr && obj->live() ? obj->hwnd() : nullptr;
}

void DestroyCursors(forms::WindowDefinition& def) {
  for (size_t i = 0; i < def.units().count(); ++i) ReplaceUnitCursor(def, i, nullptr);
}

// Units whose native window a type keeps outside the window's (a helper window of its own)
// would outlive it: they go with the window.
void DestroyStrayUnits(forms::WindowDefinition& def) {
  for (size_t i = 1; i < def.units().count(); ++i) {
    if (HWND hwnd = LiveHwnd(def, i)) DestroyWindow(hwnd);
  }
}

// A load that fails half-way takes down what it made; the window's own handlers do not run
// for a window that never opened.
void FailLoad(forms::WindowDefinition& def, UnitObject* window) {
  Runtime& rt = TheRuntime();
  ++rt.handlers_blocked;
  HWND hwnd = window->hwnd();
  // The window is no longer ours when its native window goes, so its destruction neither
  // restores a table nor ends the loop.
  def.set_object_slot(0, 0);
  DestroyWindow(hwnd);
  DestroyStrayUnits(def);
  DestroyCursors(def);
  for (size_t k = 0; k < def.units().count(); ++k) def.set_object_slot(k, 0);
  def.DropSavedUnits();
  --rt.handlers_blocked;
}

// Units whose record names a container are moved into the container's native window; their
// stored position is relative to it already.
void MoveIntoContainers(forms::WindowDefinition& def) {
  forms::UnitTable& units = def.units();
  for (size_t i = 1; i < units.count(); ++i) {
    HWND hwnd = LiveHwnd(def, i);
    uint32_t parent = units.parent(i);
    if (hwnd == nullptr || parent == 0) continue;
    std::optional<size_t> container = units.Find(parent);
    if (!container || *container == 0 || *container == i) continue;
    const DataTypeDescriptor* type = FindDataType(units.type_code(*container));
    HWND into = LiveHwnd(def, *container);
    if (type == nullptr || !(type->flags & kTypeContainer) || into == nullptr) continue;
    SetParent(hwnd, into);
  }
}

// Siblings are stacked in record order: each unit directly below the nearest earlier record
// that shares its parent window, the first of them at the top.
void StackInRecordOrder(const forms::WindowDefinition& def) {
  const size_t n = def.units().count();
  for (size_t i = 1; i < n; ++i) {
    HWND hwnd = LiveHwnd(def, i);
    if (hwnd == nullptr) continue;
    HWND parent = GetParent(hwnd);
    HWND above = HWND_TOP;
    for (size_t j = i - 1; j >= 1; --j) {
      HWND other = LiveHwnd(def, j);
      if (other != nullptr && GetParent(other) == parent) {
        above = other;
        break;
      }
    }
    SetWindowPos(hwnd, above, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void MakeCursor(forms::WindowDefinition& def, size_t record) {
  forms::ByteSpan bytes = def.units().cursor(record);
  ReplaceUnitCursor(def, record, MakeRecordCursor(bytes.data, bytes.size));
}

// Direct child windows of a native window.
std::vector<HWND> ChildWindows(HWND hwnd) {
  std::vector<HWND> children;
  for (HWND c = GetWindow(hwnd, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
    children.push_back(c);
  }
  return children;
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

bool OpenWindow(uint32_t window_id, UnitObject* parent, bool modal) {
  Runtime& rt = TheRuntime();
  forms::WindowDefinition* def = FindWindowDefinition(window_id);
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
  MakeCursor(*def, 0);

  // The units, from the last record back to the first; control ids in creation order.
  uint32_t control_id = 100;
  for (size_t i = units.count(); i-- > 1;) {
    if (units.is_menu_item(i)) continue;
    CreateArgs unit_args = ArgsFor(units, i, window_id);
    unit_args.parent = window->hwnd();
    unit_args.control_id = control_id;
    control_id += 10;
    UnitObject* unit = CreateUnit(units.type_code(i), unit_args);
    if (unit == nullptr) {
      FailLoad(*def, window);
      return false;
    }
    def->set_object_slot(i, reinterpret_cast<uintptr_t>(unit));
    MakeCursor(*def, i);
  }
  MoveIntoContainers(*def);
  StackInRecordOrder(*def);
  for (size_t i = 1; i < units.count(); ++i) {
    if (HWND hwnd = LiveHwnd(*def, i)) SendMessageW(hwnd, kUnitCreatedMessage, 0, 0);
  }
  for (size_t i = 1; i < units.count(); ++i) {
    HWND hwnd = LiveHwnd(*def, i);
    if (hwnd != nullptr && !NeverShown(units.type_code(i)) &&
        (units.state_flags(i) & forms::kStateVisible)) {
      ShowWindow(hwnd, SW_SHOWNA);
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
    if (def->units().state_flags(0) & forms::kStateVisible) {
      ShowWindow(hwnd, SW_SHOW);
      RaiseFocusAfterShow(window_id);
    }
    return true;
  }
  if (parent != nullptr && (GetWindowLongW(parent->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  uint32_t saved_modal = rt.modal_window_id;
  rt.modal_window_id = window_id;
  DisableOthers(window_id, hwnd);
  ShowWindow(hwnd, SW_SHOW);
  RaiseFocusAfterShow(window_id);
  RunLoop(LoopMode::kModal);
  EnableWindowsDisabledFor(window_id);
  rt.modal_window_id = saved_modal;
  return true;
}

void LoadStartWindow(uint32_t window_id) {
  if (!OpenWindow(window_id, nullptr, false)) ReportError("载入启动窗口失败", 0);
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

HCURSOR MakeRecordCursor(const uint8_t* data, size_t size) {
  if (data == nullptr || size == 0) return nullptr;
  if (size == 4) {
    // A system cursor by id. A private copy, so that every cursor of a record is destroyed
    // the same way.
    HCURSOR shared = LoadCursorW(nullptr, MAKEINTRESOURCEW(forms::LoadU32(data) & 0xFFFF));
    return shared != nullptr ? CopyCursor(shared) : nullptr;
  }
  // A cursor file (or an icon file, taken with its hot spot in the middle): the image that
  // suits the system's cursor size best.
  IconDirectory dir;
  if (!ReadIconDirectory(data, size, &dir) || (dir.kind != kIconFile && dir.kind != kCursorFile)) {
    return nullptr;
  }
  const int wanted = GetSystemMetrics(SM_CXCURSOR);
  const IconDirectoryEntry* best = &dir.entries[0];
  for (const IconDirectoryEntry& e : dir.entries) {
    if (best->width != wanted && e.width == wanted) best = &e;
  }
  const uint8_t* image = best->Image(data, size);
  if (image == nullptr || best->bytes == 0) return nullptr;
  uint16_t hot_x = best->planes_or_hot_x, hot_y = best->bits_or_hot_y;
  if (dir.kind == kIconFile) {
    hot_x = uint16_t(best->width / 2);
    hot_y = uint16_t(best->height / 2);
  }
  // The resource form of a cursor image: its hot spot, then the image.
  std::vector<BYTE> resource(4 + best->bytes);
  resource[0] = BYTE(hot_x);
  resource[1] = BYTE(hot_x >> 8);
  resource[2] = BYTE(hot_y);
  resource[3] = BYTE(hot_y >> 8);
  std::copy(image, image + best->bytes, resource.begin() + 4);
  return reinterpret_cast<HCURSOR>(CreateIconFromResourceEx(
      resource.data(), DWORD(resource.size()), FALSE, 0x00030000, 0, 0, LR_DEFAULTCOLOR));
}

void ReplaceUnitCursor(forms::WindowDefinition& def, size_t record, HCURSOR cursor) {
  if (auto old = reinterpret_cast<HCURSOR>(def.cursor_slot(record))) {
    // The cursor on screen may be this one: it must not stay selected once destroyed.
    if (GetCursor() == old) SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)));
    DestroyCursor(old);
  }
  def.set_cursor_slot(record, reinterpret_cast<uintptr_t>(cursor));
}

// Re-creating a unit: the type saves its current data, a new object is made from it with the
// old one's geometry, control id and ids (no events meanwhile), takes over the old one's
// children, its slot and its place among its siblings, and the old one goes.
bool RecreateUnit(forms::WindowDefinition& def, size_t record) {
  Runtime& rt = TheRuntime();
  forms::UnitTable& units = def.units();
  if (record == 0 || record >= units.count()) return false;
  const uint32_t type_code = units.type_code(record);
  const DataTypeDescriptor* type = FindDataType(type_code);
  UnitObject* old = ObjectAt(def, record);
  if (type == nullptr || (type->flags & kTypeNeverRecreated) || old == nullptr || !old->live()) {
    return false;
  }
  auto save = reinterpret_cast<SaveOp>(UnitOperation(type_code, kOpSave));
  auto create = reinterpret_cast<CreateOp>(UnitOperation(type_code, kOpCreate));
  if (save == nullptr || create == nullptr) return false;

  uint32_t size = 0;
  void* data = save(old, &size);
  HWND old_hwnd = old->hwnd();
  HWND parent = GetParent(old_hwnd);
  RECT r;
  GetWindowRect(old_hwnd, &r);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  HWND focus = GetFocus();
  const bool had_focus = focus != nullptr && (focus == old_hwnd || IsChild(old_hwnd, focus));
  const bool visible = (GetWindowLongW(old_hwnd, GWL_STYLE) & WS_VISIBLE) != 0;

  CreateArgs args{};
  args.type_data = static_cast<const uint8_t*>(data);
  args.type_data_size = data != nullptr ? size : 0;
  if (!IsWindowEnabled(old_hwnd)) args.style |= WS_DISABLED;
  if (units.state_flags(record) & forms::kStateTabStop) args.style |= WS_TABSTOP;
  args.parent = parent;
  args.control_id = uint32_t(GetDlgCtrlID(old_hwnd));
  const draw::LogicalRect at = draw::UnscaleRect(r, draw::DpiOf(old_hwnd));
  args.left = at.left;
  args.top = at.top;
  args.width = at.width;
  args.height = at.height;
  args.window_id = old->window_id();
  args.unit_id = old->unit_id();
  ++rt.handlers_blocked;
  UnitObject* fresh = create(args);
  --rt.handlers_blocked;
  FreeMem(data);
  if (fresh == nullptr) return false;

  if (type->flags & kTypeContainer) {
    for (HWND child : ChildWindows(old_hwnd)) SetParent(child, fresh->hwnd());
  }
  def.set_object_slot(record, reinterpret_cast<uintptr_t>(fresh));
  SetWindowPos(fresh->hwnd(), old_hwnd, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SendMessageW(fresh->hwnd(), kUnitCreatedMessage, 0, 0);
  if (visible && !NeverShown(type_code)) ShowWindow(fresh->hwnd(), SW_SHOWNA);
  ++rt.replacing_native;
  DestroyWindow(old_hwnd);
  --rt.replacing_native;
  if (had_focus && fresh->live()) SetFocus(fresh->hwnd());
  return true;
}

void OnWindowDestroyed(uint32_t window_id, uint32_t unit_id) {
  Runtime& rt = TheRuntime();
  forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr || def->units().count() == 0) return;
  forms::UnitTable& units = def->units();
  if (unit_id != 0 && unit_id != units.id(0)) {
    // The old object of a re-created unit leaves the new one in the slot.
    if (rt.replacing_native > 0) return;
    std::optional<size_t> index = RecordIndex(*def, unit_id);
    if (!index) return;
    ReplaceUnitCursor(*def, *index, nullptr);
    def->set_object_slot(*index, 0);
    return;
  }
  // A native window the runtime no longer counts as the window's (a failed load), or one being
  // replaced by a new native window, changes nothing.
  if (ObjectAt(*def, 0) == nullptr || rt.replacing_native > 0) return;
  DestroyStrayUnits(*def);
  DestroyCursors(*def);
  EnableWindowsDisabledFor(window_id);
  def->RestoreUnits();
  if (rt.modal_window_id == window_id) rt.modal_window_id = 0;
  if (rt.loop_started && !AnyLiveWindow()) PostQuitMessage(0);
}

}  // namespace rc
