// The window definitions of the form data and the windows loaded from them: loading a window
// with its units, finding live objects, and what happens when a window is destroyed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "forms/form_table.h"
#include "runtime/library.h"

namespace rc {

// InitRuntime steps 11 and 12. The code base is the address of the application's routine
// table, which ends with a null routine.
forms::LoadStatus LoadWindowDefinitions(const uint8_t* data, uint32_t size, uintptr_t code_base);

// The descriptor of a data type code (library number << 16 | type number), or null.
const DataTypeDescriptor* FindDataType(uint32_t type_code);
// An operation of a unit type's interface, or null when the type or the operation is missing.
void* UnitOperation(uint32_t type_code, int32_t op);

// Record of a unit id in a window (0 or the window unit's id: record 0).
std::optional<size_t> RecordIndex(const forms::WindowDefinition& def, uint32_t unit_id);
// The live object of a window (unit_id 0 or its window unit id) or of a unit inside it.
UnitObject* FindLiveObject(uint32_t window_id, uint32_t unit_id);
// The live unit of a window (the window unit included) whose native window is `hwnd`, or null.
UnitObject* FindUnitByHwnd(uint32_t window_id, HWND hwnd);
// The loaded window whose native window is `hwnd`, or null.
UnitObject* LoadedWindowOf(HWND hwnd);
// Ids of the windows whose native window is alive, in window list order.
std::vector<uint32_t> LiveWindowIds();
bool AnyLiveWindow();

// Loads a window from its definition: the window unit, then the units from the last record
// back to record 1, events 0, 3 and 4, then the window is shown; a modal window then runs the
// nested loop until it is closed. False when the id is unknown or a unit cannot be created.
bool LoadWindow(uint32_t window_id, UnitObject* parent, bool modal);
// Entry point 12: "载入启动窗口失败" when the window cannot be loaded.
void LoadStartWindow(uint32_t window_id);

// The mouse cursor of a record's stored cursor bytes: 4 bytes name a system cursor by id,
// anything else is read as a cursor (.cur) file. Null for none or what cannot be read. The
// handle is the caller's to destroy (DestroyCursor).
HCURSOR MakeRecordCursor(const uint8_t* data, size_t size);
// The cursor made for a unit's record at load (or by a cursor property write), or null.
HCURSOR UnitCursor(uint32_t window_id, uint32_t unit_id);
// Replaces the cursor made for a record; the old one is destroyed.
void ReplaceUnitCursor(forms::WindowDefinition& def, size_t record, HCURSOR cursor);

// Re-creates the live unit of a record from its type's saved data, in the old one's place (see
// windows.cpp). False when the type is never re-created or the new object cannot be made; the
// old unit then stays.
bool RecreateUnit(forms::WindowDefinition& def, size_t record);

// Service 2000.
void OnWindowDestroyed(uint32_t window_id, uint32_t unit_id);
// Enables again the windows that were disabled while this modal window was shown.
void EnableWindowsDisabledFor(uint32_t window_id);

}  // namespace rc
