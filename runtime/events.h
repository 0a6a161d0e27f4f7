// Raising an event: a unit type or a window hands the runtime an event record (service 2008, or
// 2031 for typed arguments); the runtime finds the handler bound in the form data and calls it
// on the main thread. The events every unit with a native window has (mouse, keys, characters,
// wheel, focus) are raised here too, from the window's message pre-translation and from the
// units' focus messages.
#pragma once

#include <windows.h>

#include <cstdint>

#include "forms/routines.h"
#include "runtime/library.h"

namespace rc {

struct EventRecord {
  uint32_t window_id;
  uint32_t unit_id;  // the window unit's id (or 0) for events of the window itself
  int32_t event;
  uint32_t argc;  // 0 to 5
  uint32_t args[5];
  uint32_t result_flag;  // set to 1 when the handler returned a value
  uint32_t result;
};
static_assert(sizeof(EventRecord) == 44, "event records are 11 dwords");

// One argument of a typed event: the 64-bit value, its value type tag and how to pass it.
struct TypedEventArg {
  uint32_t lo;
  uint32_t hi;
  uint32_t tag;
  uint32_t flags;  // bit 0: pass the low word alone; bit 1: pass both words
};
constexpr uint32_t kTypedEventMaxArgs = 12;

// The record of service 2031. The 64-bit result is kept as two words so that the layout does
// not depend on how a compiler aligns 64-bit members.
struct TypedEventRecord {
  uint32_t window_id;
  uint32_t unit_id;
  int32_t event;
  uint32_t argc;  // 0 to 12
  TypedEventArg args[kTypedEventMaxArgs];
  uint32_t result_flag;
  uint32_t result_lo;
  uint32_t result_hi;
};
static_assert(sizeof(TypedEventRecord) == 16 + 12 * 16 + 12, "typed event records are 220 bytes");

// Window events raised by the runtime frame itself.
enum : int32_t {
  kEventWindowCreated = 0,
  kEventWindowCloseRequested = 1,
  kEventWindowDestroyed = 2,
  kEventWindowMoved = 3,
  kEventWindowResized = 4,
  kEventWindowIdle = 7,
};

// The events of every unit with a native window.
enum : int32_t {
  kEventLeftDown = -1,
  kEventLeftUp = -2,
  kEventDoubleClick = -3,
  kEventRightDown = -4,
  kEventRightUp = -5,
  kEventMouseMove = -6,
  kEventFocusGained = -7,
  kEventFocusLost = -8,
  kEventKeyDown = -9,
  kEventKeyUp = -10,
  kEventCharacter = -11,
  kEventWheel = -12,
};

// Key state bits of the mouse and key events, read when the event is raised.
enum : uint32_t {
  kKeyStateCtrl = 1,
  kKeyStateShift = 2,
  kKeyStateAlt = 4,
};

// The handler of an event: null when none is bound (or the runtime is re-creating a unit or
// showing an error report). A window or unit that is not in the form data, and a unit type
// without events, are runtime errors. Records the current event when a handler is found.
const Routine* FindHandler(uint32_t window_id, uint32_t unit_id, int32_t event);

// Service 2008: true when a handler ran; the result flag and result are filled in.
bool RaiseEvent(EventRecord* record);
// Service 2031.
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
