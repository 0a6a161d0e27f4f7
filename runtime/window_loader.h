// The window loader: the window definitions of the form data, loading a window with its units,
// re-creating a unit, the cursors made for records, and what happens when a window is
// destroyed. Lookups of types and live units are the unit registry's (runtime/unit_registry.h).
#pragma once

#include <windows.h>

#include <cstdint>

#include "forms/form_table.h"
#include "runtime/library.h"

namespace rc {

// InitRuntime steps 11 and 12. The code base is the address of the application's routine
// table, which ends with a null routine.
forms::LoadStatus LoadWindowDefinitions(const uint8_t* data, uint32_t size, uintptr_t code_base);

// Loads a window from its definition: the window unit, then the units from the last record
// back to record 1, events 0, 3 and 4, then the window is shown; a modal window then runs the
// nested loop until it is closed. False when the id is unknown or a unit cannot be created.
bool OpenWindow(uint32_t window_id, UnitObject* parent, bool modal);
// Entry point 12: "载入启动窗口失败" when the window cannot be loaded.
void LoadStartWindow(uint32_t window_id);

// The mouse cursor of a record's stored cursor bytes: 4 bytes name a system cursor by id,
// anything else is read as a cursor (.cur) file. Null for none or what cannot be read. The
// handle is the caller's to destroy (DestroyCursor).
HCURSOR MakeRecordCursor(const uint8_t* data, size_t size);
// Replaces the cursor made for a record; the old one is destroyed.
void ReplaceUnitCursor(forms::WindowDefinition& def, size_t record, HCURSOR cursor);

// Re-creates the live unit of a record from its type's saved data, in the old one's place (see
// window_loader.cpp). False when the type is never re-created or the new object cannot be made;
// the old unit then stays.
bool RecreateUnit(forms::WindowDefinition& def, size_t record);

// The native window of a unit (unit_id 0: of the window) is finally gone, as its type reports.
void OnWindowDestroyed(uint32_t window_id, uint32_t unit_id);
// Enables again the windows that were disabled while this modal window was shown.
void EnableWindowsDisabledFor(uint32_t window_id);

}  // namespace rc
