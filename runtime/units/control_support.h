// What the unit types share, whether native controls or drawn by the runtime: the property
// table made of the type's declared properties, the interface function made from the type's
// class, the save operation, the frame styles of a border choice, the colours a control paints
// with, its font and picture.
//
// A type's class provides
//   static UnitObject* Create(const CreateArgs& args);            operation 1
//   int Changed(int32_t index, const PropertyValue& value);       operation 4 (index - 8)
//   int Get(int32_t index, PropertyValue* out);                   operation 6 (index - 8)
//   Data Snapshot();                                              the current typed data (5)
// and ControlInterface<Class> turns these into the operations the runtime looks up by number.
// Changed and Get name a property as Own(props::<type>::kX), its index less 8. What a type
// stores comes from its list of stored fields (forms/props/<type>.h): GetStored answers Get,
// ChangeStored does the stored part of Changed and calls the type's setter Show(index) or
// Repaint() as the list says, so that a type writes only its setters' side effects.
#pragma once

#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <type_traits>
#include <utility>

#include "base/values.h"
#include "forms/props/property.h"
#include "forms/type_data.h"
#include "runtime/draw/font.h"
#include "runtime/draw/picture.h"
#include "runtime/library.h"

namespace rc {

constexpr size_t kCommonPropertyCount = size_t(props::kFirstOwn);
static_assert(sizeof props::kCommon / sizeof props::kCommon[0] == kCommonPropertyCount);

using props::Own;

// Reached only while a property table is made of a list that is not in index order from 8;
// not being constexpr, it makes such a table fail to compile.
inline void OwnPropertiesOutOfIndexOrder() {}

// A property table: the eight common properties, then the type's own properties (its
// props::<type>::kOwn), each at its index.
template <size_t N>
constexpr std::array<PropertyEntry, kCommonPropertyCount + N> PropertyTable(
    const props::Property (&own)[N]) {
  std::array<PropertyEntry, kCommonPropertyCount + N> table{};
  for (size_t i = 0; i < kCommonPropertyCount; ++i) {
    table[i] = Property(uint16_t(props::kCommon[i].kind), kCommonEditorFlags);
  }
  for (size_t i = 0; i < N; ++i) {
    if (own[i].index != props::kFirstOwn + int32_t(i)) OwnPropertiesOutOfIndexOrder();
    table[kCommonPropertyCount + i] = Property(uint16_t(own[i].kind));
  }
  return table;
}
// A type with no properties of its own.
constexpr std::array<PropertyEntry, kCommonPropertyCount> PropertyTable() {
  std::array<PropertyEntry, kCommonPropertyCount> table{};
  for (size_t i = 0; i < kCommonPropertyCount; ++i) {
    table[i] = Property(uint16_t(props::kCommon[i].kind), kCommonEditorFlags);
  }
  return table;
}

// The typed data of a record; false when the type refuses it, and the create operation fails.
template <class Data>
bool ReadTypeData(const CreateArgs& args, Data* data) {
  return forms::ParseTypeDataAs(args.type_data, args.type_data_size, data) ==
         forms::TypeDataStatus::kOk;
}

// The save operation's block: the type data as stored in a record, on the runtime heap.
template <class Data>
void* SaveTypeData(const Data& data, uint32_t* size) {
  forms::Bytes bytes = forms::WriteTypeDataAs(data);
  void* block = AllocMem(bytes.size());
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  if (size != nullptr) *size = uint32_t(bytes.size());
  return block;
}

template <class Unit>
struct ControlOperations {
  static UnitObject* Create(const CreateArgs& args) { return Unit::Create(args); }
  static int Changed(UnitObject* unit, int32_t index, const PropertyValue& value, int*) {
    return static_cast<Unit*>(unit)->Changed(index, value);
  }
  static void* Save(UnitObject* unit, uint32_t* size) {
    return SaveTypeData(static_cast<Unit*>(unit)->Snapshot(), size);
  }
  static int Get(void*, UnitObject* unit, int32_t index, PropertyValue* value) {
    return static_cast<Unit*>(unit)->Get(index, value);
  }
};

template <class Unit>
void* ControlInterface(int32_t op) {
  switch (op) {
    case kOpCreate:
      return reinterpret_cast<void*>(&ControlOperations<Unit>::Create);
    case kOpPropertyChanged:
      return reinterpret_cast<void*>(&ControlOperations<Unit>::Changed);
    case kOpSave:
      return reinterpret_cast<void*>(&ControlOperations<Unit>::Save);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&ControlOperations<Unit>::Get);
    default:
      return nullptr;
  }
}

// Clamps a property value into [low, high].
constexpr int32_t ClampTo(int32_t value, int32_t low, int32_t high) {
  return value < low ? low : value > high ? high : value;
}

// Frame styles of a border choice: 0 none, 1 sunken client edge, 2 dialog frame, 3 static
// edge, 4 client edge and dialog frame, 5 thin line. Values outside count as the nearest end.
struct FrameStyles {
  DWORD style = 0;
  DWORD ex_style = 0;
};
FrameStyles BorderFrame(int32_t border);
// Replaces the frame styles of a live control and has the frame drawn anew.
void ApplyBorderFrame(HWND hwnd, int32_t border);
// Replaces the style bits of `style_mask` and the extended ones of `ex_mask` of a live window by
// those of `frame` and has the frame drawn anew.
void ApplyFrameStyles(HWND hwnd, const FrameStyles& frame, DWORD style_mask, DWORD ex_mask);

// Sets or clears style bits of a live window; true when they changed.
bool SetStyleBits(HWND hwnd, DWORD mask, DWORD bits);

// The text of a native window as GBK.
std::string WindowTextGbk(HWND hwnd);
void SetWindowTextGbk(HWND hwnd, const std::string& gbk);

// The brush and colours a control paints its text with (WM_CTLCOLOR*). Stored colours; the
// default colour is the button face.
class ControlColours {
 public:
  ControlColours(uint32_t text, uint32_t background) : text_(text) { SetBackground(background); }
  ~ControlColours();
  ControlColours(const ControlColours&) = delete;
  ControlColours& operator=(const ControlColours&) = delete;

  // Takes new colours and has the control painted with them.
  void Show(HWND hwnd, uint32_t text, uint32_t background);
  // Prepares the control's DC and returns the background brush, as WM_CTLCOLOR* wants.
  LRESULT Paint(HDC dc) const;
  HBRUSH brush() const { return brush_; }

 private:
  void SetBackground(uint32_t background);

  uint32_t text_;
  HBRUSH brush_ = nullptr;
  COLORREF background_ = 0;
};

// A unit's font, made from its stored record for the unit's DPI and set on the native control.
// A record the window system cannot make a font from, and no record, give the default GUI font.
class ControlFont {
 public:
  void Set(HWND hwnd, const forms::Bytes& stored, int dpi);

 private:
  draw::Font font_;
};

// The picture of a button or radio box, shown through the control's own image support, which
// shows either an image or a caption: the picture shows while there is no caption, at its own
// size in design pixels scaled smoothly to the control's DPI.
class ControlPicture {
 public:
  void Set(HWND hwnd, const forms::Bytes& stored, bool has_caption, int dpi);
  // Shows the picture held again, at another DPI.
  void Show(HWND hwnd, bool has_caption, int dpi);

 private:
  bool TakeBack(HWND hwnd);                             // false: nothing was shown
  bool ShowHeld(HWND hwnd, bool has_caption, int dpi);  // false: nothing to show

  draw::Picture picture_;
};

// Property values handed out by get-property: they point into the unit's data.
void TextValue(const std::string& text, PropertyValue* out);
void BytesValue(const forms::Bytes& bytes, PropertyValue* out);

// Storing a written value in a type's data; each returns false when nothing changed, so that
// the setter can return early. A null text is the empty text, null bytes are none; a font
// arrives as its whole record.
bool StoreText(std::string* stored, const PropertyValue& value);
bool StoreBytes(forms::Bytes* stored, const PropertyValue& value);
bool StoreInt(int32_t* stored, int32_t value);

// The plain get-property: the stored value of the type's field with this index (index - 8),
// pointing into `data` for texts and bytes; false when the type stores no such field.
template <class Data>
bool GetStored(const Data& data, int32_t index, PropertyValue* out) {
  bool found = false;
  forms::ForEachField(Data::Fields(), [&](const auto& f) {
    if (found || Own(f.property) != index) return;
    found = true;
    const auto& x = forms::FieldOf(data, f);
    using T = std::decay_t<decltype(x)>;
    if constexpr (std::is_same_v<T, std::string>) {
      TextValue(x, out);
    } else if constexpr (std::is_same_v<T, forms::Bytes>) {
      BytesValue(x, out);
    } else {
      out->i = int32_t(x);
    }
  });
  return found;
}

// The plain part of a property change: the written value, a number brought into the field's
// range, stored in the type's field with this index (index - 8). Returns what the change does
// (the field's Change), or kNone when the value is the stored one or no field has the index:
// the unit's setter returns early then.
template <class Data>
forms::Change WriteStored(Data* data, int32_t index, const PropertyValue& value) {
  forms::Change change = forms::Change::kNone;
  forms::ForEachField(Data::Fields(), [&](const auto& f) {
    if (Own(f.property) != index) return;
    auto& x = forms::FieldOf(*data, f);
    using T = std::decay_t<decltype(x)>;
    bool changed = false;
    if constexpr (std::is_same_v<T, std::string>) {
      changed = StoreText(&x, value);
    } else if constexpr (std::is_same_v<T, forms::Bytes>) {
      changed = StoreBytes(&x, value);
    } else if constexpr (std::is_same_v<T, int32_t>) {
      changed = StoreInt(&x, f.range.Fit(value.i));
    } else {
      changed = x != T(value.i);
      x = T(value.i);
    }
    if (changed) change = f.change;
  });
  return change;
}

// A property change as the type's list says: the stored part, then, when the value changed,
// the unit's setter `unit.Show(index)` (kSetter), its `unit.Repaint()` (kRepaint), or 1, asking
// the runtime for a new unit (kRecreate). A type has Show and Repaint when its list names them.
// The unit type writes only the setters' side effects.
template <class Unit, class = void>
struct HasSetter : std::false_type {};
template <class Unit>
struct HasSetter<Unit, std::void_t<decltype(std::declval<Unit&>().Show(0))>> : std::true_type {};
template <class Unit, class = void>
struct HasRepaint : std::false_type {};
template <class Unit>
struct HasRepaint<Unit, std::void_t<decltype(std::declval<Unit&>().Repaint())>> : std::true_type {};

template <class Unit, class Data>
int ChangeStored(Unit& unit, Data* data, int32_t index, const PropertyValue& value) {
  static_assert(HasSetter<Unit>::value || !forms::ListsChange<Data>(forms::Change::kSetter),
                "a type whose list names setters has Show(index)");
  static_assert(HasRepaint<Unit>::value || !forms::ListsChange<Data>(forms::Change::kRepaint),
                "a type whose list names repaints has Repaint()");
  switch (WriteStored(data, index, value)) {
    case forms::Change::kSetter:
      if constexpr (HasSetter<Unit>::value) unit.Show(index);
      return 0;
    case forms::Change::kRepaint:
      if constexpr (HasRepaint<Unit>::value) unit.Repaint();
      return 0;
    case forms::Change::kRecreate:
      return 1;
    default:
      return 0;
  }
}

// Makes the common controls' window classes (progress bar, up-down) known, once.
void InitControlClasses();

}  // namespace rc
