#include "runtime/events.h"

#include "base/values.h"
#include "forms/form_table.h"
#include "runtime/error_report.h"
#include "runtime/state.h"
#include "runtime/unit_registry.h"
#include "runtime/draw/dpi.h"

namespace rc {

namespace {

constexpr UINT kGbk = 936;

// Two more tags that decide how a typed event argument is passed: both words.
enum : uint32_t {
  kTagWideValue = 0x80000008,
  kTagBothWords = 0x00010003,
};

// The native window whose unit got the last focus event (-7) that was not yet followed by its
// -8: after a window is shown, a focus that already reached its unit is not reported twice.
HWND g_focus_reported = nullptr;

void Invoke(const Routine* routine, HandlerCall& call) {
  (*routine)(call);
  TheRuntime().current_event_window = 0;
}

// Whether the unit's type raises events at all. The common events are offered to every unit
// with a native window; a type without the capability simply has none.
bool UnitRaisesEvents(uint32_t window_id, uint32_t unit_id) {
  const forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr) return false;
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  if (!index || def->units().is_menu_item(*index)) return false;
  const DataTypeDescriptor* type = FindDataType(def->units().type_code(*index));
  return type != nullptr && (type->flags & kTypeHasEvents) != 0;
}

int32_t MouseEvent(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
      return kEventLeftDown;
    case WM_LBUTTONUP:
      return kEventLeftUp;
    case WM_LBUTTONDBLCLK:
      return kEventDoubleClick;
    case WM_RBUTTONDOWN:
      return kEventRightDown;
    case WM_RBUTTONUP:
      return kEventRightUp;
    default:
      return kEventMouseMove;
  }
}

uint32_t LowWord(uintptr_t v) {
  return uint32_t(v) & 0xFFFF;
}
uint32_t HighWord(uintptr_t v) {
  return (uint32_t(v) >> 16) & 0xFFFF;
}

// A client coordinate of a mouse message (a 16-bit word) in design pixels, as a word again.
uint32_t DesignCoordinate(uint32_t word, HWND hwnd) {
  const int dpi = draw::DpiOf(hwnd);
  if (dpi == draw::kDesignDpi) return word;
  return uint32_t(uint16_t(int16_t(draw::UnscaleEdge(int16_t(uint16_t(word)), dpi))));
}

}  // namespace

const Routine* FindHandler(uint32_t window_id, uint32_t unit_id, int32_t event) {
  Runtime& rt = TheRuntime();
  if (rt.handlers_blocked > 0) return nullptr;
  forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr) ReportError("未找到引发事件的窗口", 0);
  forms::UnitTable& units = def->units();
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  if (!index) ReportError("未找到引发事件的窗口组件", 0);

  // A unit may use the bindings of another unit of the same type in its window; the chain is
  // bounded by the record count so that a loop in the data cannot hang the program.
  size_t at = *index;
  for (size_t steps = 0; steps < units.count(); ++steps) {
    uint32_t source = units.event_source(at);
    if (source == 0) break;
    std::optional<size_t> next = units.Find(source);
    if (!next || *next == at || units.type_code(*next) != units.type_code(at)) break;
    at = *next;
  }
  if (!units.is_menu_item(at)) {
    const DataTypeDescriptor* type = FindDataType(units.type_code(at));
    if (type == nullptr || (type->flags & kTypeHasEvents) == 0) {
      ReportError("引发事件的窗口组件无效", 0);
    }
  }
  const Routine* routine = def->handler(at, event);
  if (routine == nullptr || *routine == nullptr) return nullptr;
  rt.current_event_window = window_id;
  rt.current_event_unit = unit_id;
  return routine;
}

bool RaiseEvent(EventRecord* record) {
  if (record == nullptr) return false;
  const Routine* routine = FindHandler(record->window_id, record->unit_id, record->event);
  if (routine == nullptr) return false;
  HandlerCall call;
  call.word_count = record->argc > 5 ? 5 : record->argc;
  for (uint32_t i = 0; i < call.word_count; ++i) call.words[i] = record->args[i];
  Invoke(routine, call);
  if (call.returned) {
    record->result_flag = 1;
    record->result = static_cast<uint32_t>(call.result);
  }
  return true;
}

HandlerCall TypedEventCall(const TypedEventRecord& record) {
  HandlerCall call;
  uint32_t argc = record.argc > kTypedEventMaxArgs ? kTypedEventMaxArgs : record.argc;
  auto push = [&call](uint32_t word) { call.words[call.word_count++] = word; };
  for (uint32_t i = 0; i < argc; ++i) {
    const TypedEventArg& a = record.args[i];
    bool both = false;
    uint32_t low = a.lo;
    if (a.flags & 1) {
      both = false;
    } else if ((a.flags & 2) || a.tag == kTagBothWords) {
      both = true;
    } else {
      switch (a.tag) {
        case kTagByte:
          low = a.lo & 0xFF;
          break;
        case kTagShort:
          low = uint32_t(int32_t(int16_t(a.lo & 0xFFFF)));
          break;
        case kTagLong:
        case kTagDouble:
        case kTagDateTime:
        case kTagWideValue:
          both = true;
          break;
        default:
          break;
      }
    }
    push(low);
    if (both) push(a.hi);
  }
  return call;
}

bool RaiseTypedEvent(TypedEventRecord* record) {
  if (record == nullptr) return false;
  const Routine* routine = FindHandler(record->window_id, record->unit_id, record->event);
  if (routine == nullptr) return false;
  HandlerCall call = TypedEventCall(*record);
  Invoke(routine, call);
  if (call.returned) {
    record->result_flag = 1;
    record->result_lo = uint32_t(call.result);
    record->result_hi = uint32_t(call.result >> 32);
  }
  return true;
}

uint32_t FoldKeypad(uint32_t vk) {
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return '0' + (vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SUBTRACT:
      return VK_OEM_MINUS;
    case VK_DECIMAL:
      return VK_OEM_PERIOD;
    case VK_DIVIDE:
      return VK_OEM_2;
    default:
      return vk;
  }
}

uint32_t KeyStateBits(uint32_t own_key) {
  uint32_t bits = 0;
  if (GetKeyState(VK_CONTROL) < 0) bits |= kKeyStateCtrl;
  if (GetKeyState(VK_SHIFT) < 0) bits |= kKeyStateShift;
  if (GetKeyState(VK_MENU) < 0) bits |= kKeyStateAlt;
  // By the time a modifier's own key-down is handled the system already counts it as held;
  // the event reports the modifiers held besides the key.
  switch (own_key) {
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
      bits &= ~uint32_t{kKeyStateCtrl};
      break;
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
      bits &= ~uint32_t{kKeyStateShift};
      break;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
      bits &= ~uint32_t{kKeyStateAlt};
      break;
    default:
      break;
  }
  return bits;
}

uint32_t CharacterCode(uint32_t unit) {
  if (unit < 0x80) return unit;
  wchar_t wide = wchar_t(unit);
  char bytes[2];
  BOOL defaulted = FALSE;
  int n = WideCharToMultiByte(kGbk, 0, &wide, 1, bytes, 2, nullptr, &defaulted);
  if (n <= 0 || defaulted) return unit;
  if (n == 1) return uint8_t(bytes[0]);
  return uint32_t(uint8_t(bytes[0])) << 8 | uint8_t(bytes[1]);
}

uint32_t CharacterFromCode(uint32_t code) {
  if (code < 0x80 || code > 0xFFFF) return code;
  char bytes[2];
  int len = 1;
  if (code <= 0xFF) {
    bytes[0] = char(code);
  } else {
    bytes[0] = char(code >> 8);
    bytes[1] = char(code & 0xFF);
    len = 2;
  }
  wchar_t wide;
  int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, len, &wide, 1);
  return n == 1 ? uint32_t(wide) : code;
}

bool RaiseCommonEvents(uint32_t window_id, uint32_t unit_id, MSG* msg) {
  EventRecord r{window_id, unit_id, 0, 0, {}, 0, 0};
  auto set = [&r](int32_t event, std::initializer_list<uint32_t> args) {
    r.event = event;
    for (uint32_t a : args) r.args[r.argc++] = a;
  };
  bool keyboard = false;
  const uintptr_t wp = msg->wParam;
  const uintptr_t lp = uintptr_t(msg->lParam);
  switch (msg->message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
      set(MouseEvent(msg->message), {DesignCoordinate(LowWord(lp), msg->hwnd),
                                     DesignCoordinate(HighWord(lp), msg->hwnd), KeyStateBits()});
      break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      keyboard = true;
      set(kEventKeyDown, {FoldKeypad(uint32_t(wp)), KeyStateBits(uint32_t(wp))});
      break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      keyboard = true;
      set(kEventKeyUp, {FoldKeypad(uint32_t(wp)), KeyStateBits(uint32_t(wp))});
      break;
    case WM_CHAR:
      keyboard = true;
      set(kEventCharacter, {CharacterCode(uint32_t(wp))});
      break;
    case WM_MOUSEWHEEL: {
      // Toward zero: a fine-grained wheel's partial notch counts as none.
      int notches = int(int16_t(HighWord(wp))) / WHEEL_DELTA;
      set(kEventWheel, {uint32_t(notches), KeyStateBits()});
      break;
    }
    default:
      return false;
  }
  if (keyboard && !IsWindowEnabled(msg->hwnd)) return false;
  if (!UnitRaisesEvents(window_id, unit_id)) return false;
  if (!RaiseEvent(&r) || r.result_flag == 0) return false;
  if (msg->message == WM_CHAR) {
    if (r.result == 0) return true;
    msg->wParam = CharacterFromCode(r.result);
    return false;
  }
  return r.result == 0;
}

void RaiseFocusEvent(const UnitObject* unit, bool gained) {
  if (unit == nullptr) return;
  HWND hwnd = unit->hwnd();
  if (gained) {
    g_focus_reported = hwnd;
  } else if (g_focus_reported == hwnd) {
    g_focus_reported = nullptr;
  }
  if (!UnitRaisesEvents(unit->window_id(), unit->unit_id())) return;
  EventRecord r{unit->window_id(),
                unit->unit_id(),
                gained ? kEventFocusGained : kEventFocusLost,
                0,
                {},
                0,
                0};
  RaiseEvent(&r);
}

void RaiseFocusAfterShow(uint32_t window_id) {
  HWND focus = GetFocus();
  if (focus == nullptr || focus == g_focus_reported) return;
  if (UnitObject* unit = FindUnitByHwnd(window_id, focus)) RaiseFocusEvent(unit, true);
}

}  // namespace rc
