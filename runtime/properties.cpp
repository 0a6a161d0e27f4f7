#include "runtime/properties.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/values.h"
#include "forms/props/property.h"
#include "runtime/draw/font.h"
#include "runtime/error_report.h"
#include "runtime/state.h"
#include "runtime/unit_registry.h"
#include "runtime/draw/dpi.h"
#include "runtime/window_loader.h"

namespace rc {

namespace {

constexpr int32_t kPositionLimit = 32627;

struct Target {
  forms::WindowDefinition* def;
  size_t record;
  UnitObject* live;  // null when the unit has no live object
};

Target Locate(uint32_t window_id, uint32_t unit_id) {
  forms::WindowDefinition* def = FindWindowDefinition(window_id);
  if (def == nullptr) ReportError("未载入欲访问窗口组件所在的窗口", 0);
  std::optional<size_t> index = RecordIndex(*def, unit_id);
  if (!index) ReportError("指定窗口或窗口组件不存在或尚未载入", 0);
  UnitObject* obj = ObjectAt(*def, *index);
  return {def, *index, obj != nullptr && obj->live() ? obj : nullptr};
}

// An index past a type's property table names nothing the type has: a fault of the caller. The
// value then travels as an integer that the type ignores (a read gives 0), as it always has;
// every build tells a debugger which type and index it was, and builds with ROLLCALL_CHECKS (on
// wherever NDEBUG is off, or when the build defines it) stop there with the runtime's error
// report, so that the fault cannot go unseen while the program is being made.
#if !defined(ROLLCALL_CHECKS) && !defined(NDEBUG)
#define ROLLCALL_CHECKS 1
#endif

void ReportIndexPastTable(const DataTypeDescriptor& type, uint32_t type_code, int32_t index) {
  char text[160];
  std::snprintf(text, sizeof text,
                "property index %d is past the table of unit type %s (0x%08X, %u properties)",
                int(index), type.english_name != nullptr ? type.english_name : "?",
                unsigned(type_code), unsigned(type.property_count));
  OutputDebugStringA(text);
#if ROLLCALL_CHECKS
  ReportError(text, 0);
#endif
}

uint16_t KindOf(uint32_t type_code, int32_t index) {
  const DataTypeDescriptor* type = FindDataType(type_code);
  if (type == nullptr || index < 0) return 0;
  if (uint32_t(index) >= type->property_count) {
    ReportIndexPastTable(*type, type_code, index);
    return 0;
  }
  return type->properties[index].kind();
}

bool IsTextKind(uint16_t kind) {
  return kind == kKindText || kind == kKindText1007 || kind == kKindText1008 ||
         kind == kKindText1016 || kind == kKindText1018 || kind == kKindText1020;
}
bool IsBytesKind(uint16_t kind) {
  return kind == kKindPicture || kind == kKindIcon || kind == kKindCursor || kind == kKindSound ||
         kind == kKindBytes1023 || kind == kKindBytes1024;
}

uint64_t Bits(double d) {
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

// The type's value of a property as the 64-bit value the caller gets (texts and byte blocks
// copied into new blocks owned by the caller).
uint64_t ToSlot(uint16_t kind, const PropertyValue& v) {
  if (IsTextKind(kind)) return reinterpret_cast<uintptr_t>(CopyText(v.text));
  if (IsBytesKind(kind)) return reinterpret_cast<uintptr_t>(BytesToByteBlock(v.bytes, v.size));
  if (kind == kKindDouble || kind == kKindDateTime) return Bits(v.d);
  if (kind == kKindBool) return v.i != 0 ? 1 : 0;
  return static_cast<uint32_t>(v.i);
}

PropertyValue FromSlot(uint16_t kind, uint32_t lo, uint32_t hi) {
  PropertyValue v;
  if (IsTextKind(kind)) {
    v.text = reinterpret_cast<const char*>(uintptr_t(lo));
  } else if (IsBytesKind(kind)) {
    const void* block = reinterpret_cast<const void*>(uintptr_t(lo));
    v.bytes = block != nullptr ? ByteBlockData(block) : nullptr;
    v.size = ByteBlockLength(block);
  } else if (kind == kKindDouble || kind == kKindDateTime) {
    uint64_t bits = lo | (uint64_t(hi) << 32);
    std::memcpy(&v.d, &bits, sizeof v.d);
  } else if (kind == kKindChoice) {
    v.i = std::max<int32_t>(0, int32_t(lo));
  } else if (kind == kKindBool) {
    v.i = lo != 0 ? 1 : 0;
  } else {
    v.i = int32_t(lo);
  }
  return v;
}

// A font property read: the unit's whole font (or the default GUI font when it has none) as
// the element asked for.
uint64_t FontSlot(const PropertyValue& v, int32_t element) {
  LOGFONTA font = draw::CurrentFontRecord(v.bytes, v.size);
  if (element == draw::kFontWhole) {
    uint8_t packed[draw::kFontFieldsSize];
    draw::PackFontFields(draw::ReadFontFields(font), packed);
    return reinterpret_cast<uintptr_t>(BytesToByteBlock(packed, sizeof packed));
  }
  if (element == draw::kFontFaceName) {
    return reinterpret_cast<uintptr_t>(CopyText(draw::ReadFontFaceName(font).c_str()));
  }
  return uint32_t(draw::ReadFontNumber(font, element));
}

// A font property write: the element written into the unit's current font. False when the
// value cannot be a font (an element index out of range, a whole record too short).
bool ApplyFontWrite(uint32_t type_code, UnitObject* unit, int32_t index, int32_t element,
                    uint32_t lo, uint8_t (&record)[draw::kFontRecordSize]) {
  PropertyValue current;
  if (!ReadObjectProperty(type_code, unit, index - props::kFirstOwn, &current)) current = {};
  LOGFONTA font = draw::CurrentFontRecord(current.bytes, current.size);
  if (element == draw::kFontWhole) {
    const void* block = reinterpret_cast<const void*>(uintptr_t(lo));
    draw::FontFields fields;
    if (block == nullptr ||
        !draw::UnpackFontFields(ByteBlockData(block), ByteBlockLength(block), &fields)) {
      return false;
    }
    font = draw::WriteFontFields(font, fields);
  } else if (element == draw::kFontFaceName) {
    font = draw::WriteFontFaceName(font, reinterpret_cast<const char*>(uintptr_t(lo)));
  } else if (element >= draw::kFontAngle && element <= draw::kFontSize) {
    font = draw::WriteFontNumber(font, element, int32_t(lo));
  } else {
    return false;
  }
  draw::StoreFontRecord(font, record);
  return true;
}

// The DPI a live unit is laid at, as the unit keeps it: the window system's answer walks up to
// the top-level window, a round trip to the window server under Wine, at every geometry read
// and write of a unit moved on every tick.
int LaidDpi(const UnitObject* live, HWND hwnd) {
  const int dpi = live != nullptr ? live->dpi() : 0;
  return dpi > 0 ? dpi : draw::DpiOf(hwnd);
}

bool IsTopLevel(HWND hwnd) {
  return GetParent(hwnd) == nullptr || !(GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD);
}

// Geometry of a live native window: relative to its parent's client area, or on the screen for
// a top-level window; the outer size, frame included.
RECT NativeRect(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  HWND parent = GetParent(hwnd);
  if (parent != nullptr && (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  return r;
}

}  // namespace

uint64_t ReadProperty(uint32_t window_id, uint32_t unit_id, int32_t index, int32_t element) {
  Target t = Locate(window_id, unit_id);
  forms::UnitTable& units = t.def->units();
  if (units.is_menu_item(t.record)) {
    // Menu items keep their text in the record; this runtime makes no menus, so their other
    // fields never change from what the form data says.
    if (index == 0) return reinterpret_cast<uintptr_t>(CopyText(units.menu_text(t.record).c_str()));
    return 0;
  }
  if (index >= props::kFirstOwn) {
    if (t.live == nullptr) ReportError("指定窗口尚未载入", 0);
    uint32_t type_code = units.type_code(t.record);
    uint16_t kind = KindOf(type_code, index);
    PropertyValue v;
    if (!ReadObjectProperty(type_code, t.live, index - props::kFirstOwn, &v)) return 0;
    if (kind == kKindFont) return FontSlot(v, element);
    return ToSlot(kind, v);
  }
  HWND hwnd = t.live != nullptr ? t.live->hwnd() : nullptr;
  forms::Geometry g = units.geometry(t.record);
  uint32_t flags = units.state_flags(t.record);
  if (hwnd != nullptr && index <= props::kHeight.index) {
    const draw::LogicalRect r =
        draw::UnscaleRect(NativeRect(hwnd), LaidDpi(t.live, hwnd), IsTopLevel(hwnd));
    g = {r.left, r.top, r.width, r.height};
  }
  switch (index) {
    case props::kLeft.index:
      return uint32_t(g.left);
    case props::kTop.index:
      return uint32_t(g.top);
    case props::kWidth.index:
      return uint32_t(g.width);
    case props::kHeight.index:
      return uint32_t(g.height);
    case props::kTag.index:
      return reinterpret_cast<uintptr_t>(CopyText(units.tag(t.record).c_str()));
    case props::kVisible.index:
      return hwnd != nullptr ? (IsWindowVisible(hwnd) ? 1 : 0)
                             : (flags & forms::kStateVisible ? 1 : 0);
    case props::kDisabled.index:
      return hwnd != nullptr ? (IsWindowEnabled(hwnd) ? 0 : 1)
                             : (flags & forms::kStateDisabled ? 1 : 0);
    case props::kCursor.index: {
      forms::ByteSpan cursor = units.cursor(t.record);
      return reinterpret_cast<uintptr_t>(BytesToByteBlock(cursor.data, ptrdiff_t(cursor.size)));
    }
    default:
      return 0;
  }
}

void WriteProperty(uint32_t window_id, uint32_t unit_id, int32_t index, int32_t element,
                   uint32_t lo, uint32_t hi) {
  Target t = Locate(window_id, unit_id);
  forms::UnitTable& units = t.def->units();
  if (units.is_menu_item(t.record)) return;
  uint32_t type_code = units.type_code(t.record);
  if (index >= props::kFirstOwn) {
    if (t.live == nullptr) ReportError("指定窗口尚未载入", 0);
    uint16_t kind = KindOf(type_code, index);
    PropertyValue value;
    uint8_t font[draw::kFontRecordSize];
    if (kind == kKindFont) {
      if (!ApplyFontWrite(type_code, t.live, index, element, lo, font)) return;
      value.bytes = font;
      value.size = sizeof font;
    } else {
      value = FromSlot(kind, lo, hi);
    }
    auto changed =
        reinterpret_cast<PropertyChangedOp>(UnitOperation(type_code, kOpPropertyChanged));
    if (changed == nullptr) return;
    int flag = 0;
    // The type may ask for a new native window to show the change (styles fixed at creation).
    if (changed(t.live, index - props::kFirstOwn, value, &flag) == 1 && t.live->live()) {
      RecreateUnit(*t.def, t.record);
    }
    return;
  }
  HWND hwnd = t.live != nullptr ? t.live->hwnd() : nullptr;
  auto value = int32_t(lo);
  forms::Geometry g = units.geometry(t.record);
  switch (index) {
    case props::kLeft.index:
    case props::kTop.index: {
      value = std::clamp(value, -kPositionLimit, kPositionLimit);
      (index == props::kLeft.index ? g.left : g.top) = value;
      units.set_geometry(t.record, g);
      if (hwnd != nullptr) {
        const int dpi = LaidDpi(t.live, hwnd);
        const bool top_level = IsTopLevel(hwnd);
        const RECT r = NativeRect(hwnd);
        const draw::LogicalRect now = draw::UnscaleRect(r, dpi, top_level);
        const int x = index == props::kLeft.index ? value : now.left;
        const int y = index == props::kTop.index ? value : now.top;
        const RECT to = draw::ScaleRect(x, y, now.width, now.height, dpi, top_level);
        // Handlers write the place a unit already has on every tick; such a write is a round
        // trip to the window server and two messages under Wine, for nothing.
        if (to.left == r.left && to.top == r.top) break;
        // Scaled edges may give the unit another size at another place.
        const bool same_size =
            to.right - to.left == r.right - r.left && to.bottom - to.top == r.bottom - r.top;
        // What a window without background shows is what lies behind it: its old pixels are
        // no use at the new place, and it is painted there anew at once.
        const bool see_through = (GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TRANSPARENT) != 0;
        SetWindowPos(hwnd, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top,
                     (same_size ? SWP_NOSIZE : 0) | SWP_NOZORDER | SWP_NOACTIVATE |
                         (see_through ? SWP_NOCOPYBITS : 0));
      }
      break;
    }
    case props::kWidth.index:
    case props::kHeight.index: {
      value = std::clamp(value, 0, kPositionLimit);
      (index == props::kWidth.index ? g.width : g.height) = value;
      units.set_geometry(t.record, g);
      if (hwnd != nullptr) {
        const int dpi = LaidDpi(t.live, hwnd);
        const bool top_level = IsTopLevel(hwnd);
        const RECT r = NativeRect(hwnd);
        const draw::LogicalRect now = draw::UnscaleRect(r, dpi, top_level);
        const int w = index == props::kWidth.index ? value : now.width;
        const int h = index == props::kHeight.index ? value : now.height;
        const RECT to = draw::ScaleRect(now.left, now.top, w, h, dpi, top_level);
        if (to.right - to.left == r.right - r.left && to.bottom - to.top == r.bottom - r.top) break;
        SetWindowPos(hwnd, nullptr, 0, 0, to.right - to.left, to.bottom - to.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
    case props::kTag.index: {
      const char* text = reinterpret_cast<const char*>(uintptr_t(lo));
      units.SetTag(t.record, text != nullptr ? text : "");
      break;
    }
    case props::kVisible.index: {
      uint32_t flags = units.state_flags(t.record);
      units.set_state_flags(t.record, lo != 0 ? flags | forms::kStateVisible
                                              : flags & ~uint32_t{forms::kStateVisible});
      if (hwnd == nullptr) break;
      const DataTypeDescriptor* type = FindDataType(type_code);
      bool never_shown = type == nullptr || (type->flags & kTypeNeverVisible);
      if (lo == 0) {
        ShowWindow(hwnd, SW_HIDE);
      } else if (t.record == 0) {
        ShowWindow(hwnd, SW_SHOW);
      } else if (!never_shown) {
        ShowWindow(hwnd, SW_SHOWNA);
      }
      break;
    }
    case props::kDisabled.index: {
      uint32_t flags = units.state_flags(t.record);
      units.set_state_flags(t.record, lo != 0 ? flags | forms::kStateDisabled
                                              : flags & ~uint32_t{forms::kStateDisabled});
      if (hwnd != nullptr) EnableWindow(hwnd, lo == 0);
      break;
    }
    case props::kCursor.index: {
      const void* block = reinterpret_cast<const void*>(uintptr_t(lo));
      const uint8_t* data = block != nullptr ? ByteBlockData(block) : nullptr;
      uint32_t size = ByteBlockLength(block);
      units.SetCursor(t.record, data, size);
      if (hwnd != nullptr) {
        ReplaceUnitCursor(*t.def, t.record, MakeRecordCursor(data, size));
        // Moving the mouse to where it is makes the window system ask for the cursor again.
        POINT at;
        if (GetCursorPos(&at)) SetCursorPos(at.x, at.y);
      }
      break;
    }
    default:
      break;
  }
}

int ReadObjectProperty(uint32_t type_code, UnitObject* object, int32_t index, PropertyValue* out) {
  auto get = reinterpret_cast<GetPropertyOp>(UnitOperation(type_code, kOpGetProperty));
  if (get == nullptr || object == nullptr || out == nullptr) return 0;
  return get(nullptr, object, index, out);
}

int WriteObjectProperty(uint32_t type_code, UnitObject* object, int32_t index,
                        const PropertyValue& value) {
  auto changed = reinterpret_cast<PropertyChangedOp>(UnitOperation(type_code, kOpPropertyChanged));
  if (changed == nullptr || object == nullptr) return 0;
  int flag = 0;
  changed(object, index, value, &flag);
  return 1;
}

}  // namespace rc
