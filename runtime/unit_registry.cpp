#include "runtime/unit_registry.h"

#include "runtime/state.h"

namespace rc {

const DataTypeDescriptor* FindDataType(uint32_t type_code) {
  const Runtime& rt = TheRuntime();
  uint32_t lib = type_code >> 16;
  uint32_t type = type_code & 0xFFFF;
  if (lib == 0 || type == 0 || lib > rt.libraries.size()) return nullptr;
  const LibraryDescriptor* descriptor = rt.libraries[lib - 1].descriptor;
  if (descriptor == nullptr || type > descriptor->data_type_count) return nullptr;
  return &descriptor->data_types[type - 1];
}

void* UnitOperation(uint32_t type_code, int32_t op) {
  const DataTypeDescriptor* type = FindDataType(type_code);
  return type != nullptr && type->interface_fn != nullptr ? type->interface_fn(op) : nullptr;
}

forms::WindowDefinition* FindWindowDefinition(uint32_t window_id) {
  Runtime& rt = TheRuntime();
  return rt.forms ? rt.forms->Find(window_id) : nullptr;
}

std::optional<size_t> RecordIndex(const forms::WindowDefinition& def, uint32_t unit_id) {
  if (def.units().count() == 0) return std::nullopt;
  if (unit_id == 0) return size_t{0};
  return def.units().Find(unit_id);
}

UnitObject* ObjectAt(const forms::WindowDefinition& def, size_t record) {
  return reinterpret_cast<UnitObject*>(def.object_slot(record));
}

uint32_t UnitTypeCode(uint32_t window_id, uint32_t unit_id) {
  const forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr) return 0;
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  return index ? def->units().type_code(*index) : 0;
}

UnitObject* FindLiveObject(uint32_t window_id, uint32_t unit_id) {
  const forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr) return nullptr;
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  if (!index) return nullptr;
  UnitObject* obj = ObjectAt(*def, *index);
  return obj != nullptr && obj->live() ? obj : nullptr;
}

UnitObject* FindUnitByHwnd(uint32_t window_id, HWND hwnd) {
  const forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr || hwnd == nullptr) return nullptr;
  for (size_t i = 0; i < def->units().count(); ++i) {
    UnitObject* obj = ObjectAt(*def, i);
    if (obj != nullptr && obj->hwnd() == hwnd) return obj;
  }
  return nullptr;
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

HCURSOR UnitCursor(uint32_t window_id, uint32_t unit_id) {
  const forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr) return nullptr;
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  return index ? reinterpret_cast<HCURSOR>(def->cursor_slot(*index)) : nullptr;
}

}  // namespace rc
