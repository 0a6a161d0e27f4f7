// Support libraries, their data types and the unit type interface. The runtime is table-driven:
// it learns every unit type from the data type tables of the libraries named in the program
// header, and tells each library of the program's start and end through its notify function. A
// unit type is added by adding a descriptor to its library's table, never by changing the
// runtime.
#pragma once

#include <windows.h>

#include <cstdint>

#include "forms/props/property.h"

namespace rc {

constexpr uint32_t kLibrarySignature = 0x01312D65;

// Library → runtime and runtime → library calls: (code, value 1, value 2) → result.
using NotifyFn = int64_t (*)(int32_t code, uintptr_t v1, uintptr_t v2);

// Codes the runtime sends to a library.
enum : int32_t {
  kLibInit = 1,      // value 1: the runtime's notify function
  kLibShutdown = 6,  // value 1: the library's state word
};

// One entry of a unit type's property table (20 bytes): three empty words, the kind in the low
// 16 bits of the fourth with editor flags above, and a word the runtime does not read.
struct PropertyEntry {
  uint32_t unused_name;
  uint32_t unused_english;
  uint32_t unused_help;
  uint32_t kind_and_flags;
  uint32_t reserved;
  constexpr uint16_t kind() const { return uint16_t(kind_and_flags & 0xFFFF); }
};

// Property kinds (how a value of the property travels, see property access). The unit types'
// properties declare theirs as props::Kind (forms/props/property.h); these are the same numbers.
enum : uint16_t {
  kKindInteger = uint16_t(props::Kind::kInteger),
  kKindInteger2 = uint16_t(props::Kind::kInteger2),
  kKindDouble = uint16_t(props::Kind::kDouble),
  kKindBool = uint16_t(props::Kind::kBool),
  kKindDateTime = uint16_t(props::Kind::kDateTime),
  kKindText = uint16_t(props::Kind::kText),
  kKindChoice = uint16_t(props::Kind::kChoice),
  kKindPicture = uint16_t(props::Kind::kPicture),
  kKindIcon = uint16_t(props::Kind::kIcon),
  kKindCursor = uint16_t(props::Kind::kCursor),
  kKindSound = uint16_t(props::Kind::kSound),
  kKindFont = uint16_t(props::Kind::kFont),
  kKindColour = uint16_t(props::Kind::kColour),
  kKindColour2 = uint16_t(props::Kind::kColour2),
  kKindColour3 = uint16_t(props::Kind::kColour3),
  // Kinds no unit type of this runtime declares, named by how their values travel (property
  // access): as texts, as byte blocks, or as integers like every kind not named here.
  kKindText1007 = 1007,
  kKindText1008 = 1008,
  kKindText1016 = 1016,
  kKindText1018 = 1018,
  kKindInteger1019 = 1019,
  kKindText1020 = 1020,
  kKindInteger1021 = 1021,
  kKindInteger1022 = 1022,
  kKindBytes1023 = 1023,
  kKindBytes1024 = 1024,
};

class UnitObject;

// Idle tasks run from the message loop while no message waits, one per window handle.
using IdleCallback = void (*)(void* arg);
struct IdleTask {
  HWND hwnd;
  IdleCallback callback;
  void* arg;
};

// The records of an event raised by a library: the unit types' through UnitHost, an outside
// library's through the runtime's notify function (runtime/notify.h).
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

// The record of an event with typed arguments. The 64-bit result is kept as two words so that the
// layout does not depend on how a compiler aligns 64-bit members.
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
  kEventWindowHotKey = 8,  // (id) a key held for the whole system was pressed
  // Once the window has been shown: it became hidden or minimised (argument 0), or shown and
  // not minimised again (1).
  kEventWindowShowState = 10,
  // The menu key, Shift+F10 or a right click in the window: (x, y) on the screen, (-1, -1)
  // from the keyboard, and the unit of the window's own child under the point (0: none).
  kEventWindowContextMenu = 100,
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

// Type flags the runtime tests.
enum : uint32_t {
  kTypeHasEvents = 0x00000044,  // either bit: the type raises events
  kTypeNeverRecreated = 0x00000010,
  kTypeContainer = 0x00000080,
  kTypeNeverVisible = 0x00008000,
  kTypeDragsWindow = 0x04000000,
};

// The live object of a unit. Every unit type's object derives from it; the runtime reads the
// native window and the ids from it. An object lives as long as its native window: when that
// window is finally destroyed (WM_NCDESTROY) the type reports it to the runtime (with the window
// id, and the unit id for a unit) and deletes the object.
class UnitObject {
 public:
  UnitObject(uint32_t window_id, uint32_t unit_id) : window_id_(window_id), unit_id_(unit_id) {}
  virtual ~UnitObject() = default;
  UnitObject(const UnitObject&) = delete;
  UnitObject& operator=(const UnitObject&) = delete;

  HWND hwnd() const { return hwnd_; }
  uint32_t window_id() const { return window_id_; }
  uint32_t unit_id() const { return unit_id_; }
  // Live: the object's native window still exists.
  bool live() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
  // The DPI the unit is laid and drawn at; 0 when the object does not keep it (the runtime
  // asks the window system then).
  virtual int dpi() const { return 0; }

 protected:
  HWND hwnd_ = nullptr;
  uint32_t window_id_;
  uint32_t unit_id_;
};

// Sent (wParam, lParam 0) to the native window of every unit once all units of its window
// exist, sit in their containers and are stacked, before any of them is shown; and to a unit
// that was re-created, once it has taken the old one's place.
constexpr UINT kUnitCreatedMessage = 0x8066;

// Everything the create operation needs to make a unit from its record.
struct CreateArgs {
  const uint8_t* type_data;  // null when the record has none (all defaults)
  uint32_t type_data_size;
  uint32_t style;  // WS_DISABLED, WS_TABSTOP from the record's state flags
  HWND parent;     // the window's native window; null for the window unit
  uint32_t control_id;
  int left, top, width, height;
  uint32_t window_id;
  uint32_t unit_id;
  uint32_t design_mode;  // 0 at run time
  // Window unit only: the owner given by the loader (parent window, or the runtime's hidden
  // window when the window gets no taskbar button) is decided by the type from these.
  HWND parent_window;   // native window of the parent window object, or null
  HWND runtime_window;  // the runtime's hidden message window
};

// A property value handed between the runtime and a unit type, already converted by the
// property's kind: integers, choices, colours and logicals in `i`; doubles and date-times in
// `d`; texts as a GBK pointer (null for empty) in `text`; byte data in `bytes`/`size`.
// Fonts (kind 1013) travel both ways as one whole 60-byte LOGFONTA record in `bytes`/`size`:
// the runtime itself applies the element index of a read or write (one field or the whole
// record, runtime/draw/font.h), starting from what the type's get-property operation returns;
// size 0 from that operation means the unit has no font of its own (the default GUI font).
struct PropertyValue {
  int32_t i = 0;
  double d = 0;
  const char* text = nullptr;
  const uint8_t* bytes = nullptr;
  uint32_t size = 0;
};

// Unit type operations, looked up by number through the type's interface function.
enum : int32_t {
  kOpCreate = 1,
  kOpPropertyChanged = 4,
  kOpSave = 5,
  kOpGetProperty = 6,
  kOpPreTranslate = 11,
};
using CreateOp = UnitObject* (*)(const CreateArgs& args);  // null: creation failed
// (object, index - 8, value, out flag) → 1 when the unit must be re-created to show the change.
using PropertyChangedOp = int (*)(UnitObject* unit, int32_t index, const PropertyValue& value,
                                  int* out_flag);
// (object, size out) → new heap block (AllocMem) with the unit's current type data.
using SaveOp = void* (*)(UnitObject* unit, uint32_t* size);
// (unused, object, index - 8, value out) → 1 on success. Texts and bytes returned through the
// value stay owned by the unit; the runtime copies them for its caller.
using GetPropertyOp = int (*)(void* unused, UnitObject* unit, int32_t index, PropertyValue* value);
// (object, message) → true when the type consumed the message. The message loop calls the
// operation of the window type for every message to a loaded window or its units; the window
// calls that of the unit the message is addressed to (its own native window is the target)
// before it raises the unit's common events (mouse, keys, characters, wheel).
using PreTranslateOp = int (*)(UnitObject* unit, MSG* msg);
using UnitInterfaceFn = void* (*)(int32_t op);

// One data type of a library (56 bytes); unit types are such data types.
struct DataTypeDescriptor {
  const char* name;          // GBK, e.g. "窗口"
  const char* english_name;  // e.g. "window"
  const char* help;
  uint32_t reserved0;
  uint32_t reserved1;
  uint32_t flags;
  uint32_t reserved2;
  uint32_t event_count;
  const void* events;
  uint32_t property_count;  // the eight common properties included
  const PropertyEntry* properties;
  UnitInterfaceFn interface_fn;
  uint32_t reserved3;
  uint32_t reserved4;
};

// A support library. Only the signature's place is fixed by the program header's contract; the
// runtime uses the data type table and the notify function.
struct LibraryDescriptor {
  uint32_t signature;  // kLibrarySignature
  const char* name;    // GBK
  uint32_t version;
  uint32_t data_type_count;
  const DataTypeDescriptor* data_types;
  NotifyFn notify;
};

#if defined(__i386__)
static_assert(sizeof(DataTypeDescriptor) == 56, "data type descriptors are 56 bytes");
static_assert(sizeof(PropertyEntry) == 20, "property entries are 20 bytes");
#endif

// A property table entry of the given kind; the eight common properties carry editor flags 0xE000.
constexpr PropertyEntry Property(uint16_t kind, uint16_t editor_flags = 0) {
  return PropertyEntry{0, 0, 0, (uint32_t(editor_flags) << 16) | kind, 0};
}
constexpr uint16_t kCommonEditorFlags = 0xE000;

}  // namespace rc
