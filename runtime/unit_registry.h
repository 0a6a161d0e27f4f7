// The unit registry: what the runtime knows of unit types and of the units it has loaded. The
// types come from the data type tables of the program's libraries, the units from the window
// definitions, whose record slots hold the live objects and the cursors made for them. Every
// lookup of a type or of a live unit stands on this file: the window loader, events, property
// access and the message loop; none of them needs another to find a unit.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "forms/form_table.h"
#include "runtime/library.h"

namespace rc {

// The descriptor of a data type code (library number << 16 | type number), or null.
const DataTypeDescriptor* FindDataType(uint32_t type_code);
// An operation of a unit type's interface, or null when the type or the operation is missing.
void* UnitOperation(uint32_t type_code, int32_t op);

// The definition of a window in the form data, or null (no form data, or an unknown id).
forms::WindowDefinition* FindWindowDefinition(uint32_t window_id);
// Record of a unit id in a window (0 or the window unit's id: record 0).
std::optional<size_t> RecordIndex(const forms::WindowDefinition& def, uint32_t unit_id);
// The object in a record's slot, live or not; null when the record has none.
UnitObject* ObjectAt(const forms::WindowDefinition& def, size_t record);
// The type code of a unit of a window (unit_id 0 or the window unit id: the window), 0 when
// the window or the unit is unknown.
uint32_t UnitTypeCode(uint32_t window_id, uint32_t unit_id);

// The live object of a window (unit_id 0 or its window unit id) or of a unit inside it.
UnitObject* FindLiveObject(uint32_t window_id, uint32_t unit_id);
// The live unit of a window (the window unit included) whose native window is `hwnd`, or null.
UnitObject* FindUnitByHwnd(uint32_t window_id, HWND hwnd);
// The loaded window whose native window is `hwnd`, or null.
UnitObject* LoadedWindowOf(HWND hwnd);
// Ids of the windows whose native window is alive, in window list order.
std::vector<uint32_t> LiveWindowIds();
bool AnyLiveWindow();

// The cursor made for a unit's record at load (or by a cursor property write), or null.
HCURSOR UnitCursor(uint32_t window_id, uint32_t unit_id);

}  // namespace rc
