// Raising an event: a unit type hands the runtime an event record through its host (an outside
// library through the notify function, with typed arguments too); the runtime finds the handler
// bound in the form data and calls it on the main thread. The events every unit with a native
// window has (mouse, keys, characters, wheel, focus) are raised here too, from the window's message
// pre-translation and from the units' focus messages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "base/routines.h"
#include "runtime/library.h"  // the event records and codes

namespace rc {

// The handler of an event: null when none is bound (or the runtime is re-creating a unit or
// showing an error report). A window or unit that is not in the form data, and a unit type
// without events, are runtime errors. Records the current event when a handler is found.
const Routine* FindHandler(uint32_t window_id, uint32_t unit_id, int32_t event);

// True when a handler ran; the result flag and result are filled in.
bool RaiseEvent(EventRecord* record);
// The same with typed arguments (outside libraries only).
bool RaiseTypedEvent(TypedEventRecord* record);

// The handler's argument words of a typed event record (exposed for tests).
HandlerCall TypedEventCall(const TypedEventRecord& record);

// The key code of a key event: the numeric keypad folded onto the main keyboard.
uint32_t FoldKeypad(uint32_t virtual_key);
// The Ctrl, Shift and Alt bits now; a key event leaves out the bit of the key itself.
uint32_t KeyStateBits(uint32_t own_key = 0);
// A character of a UTF-16 character message as the program sees it: ASCII as is, another
// character as its GBK code (lead byte high); a character GBK lacks stays as it came. And back.
uint32_t CharacterCode(uint32_t utf16_unit);
uint32_t CharacterFromCode(uint32_t code);

// The common events of a message whose target is the native window of a unit (or the window
// itself): true when a handler consumed it (it must not be dispatched). A character handler's
// non-zero result replaces the message's character.
bool RaiseCommonEvents(uint32_t window_id, uint32_t unit_id, MSG* msg);

// Focus events (-7, -8) of a unit whose native window got or lost the keyboard focus; called
// by every unit's native window on WM_SETFOCUS and WM_KILLFOCUS.
void RaiseFocusEvent(const UnitObject* unit, bool gained);
// After a window is shown: the unit that has the focus gets -7 unless it had it already.
void RaiseFocusAfterShow(uint32_t window_id);

}  // namespace rc
