// The `Button` unit type (core library, type 11): a native push button whose click (the
// reflected BN_CLICKED) raises event 0.
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kButtonPropertyCount> kButtonProperties =
    PropertyTable(props::button::kOwn);

namespace {

namespace prop = props::button;

enum : int32_t {
  kEventClicked = 0,
};

constexpr DWORD kAlignmentMask = BS_CENTER | BS_VCENTER;

class ButtonUnit : public UnitWindow {
 public:
  ButtonUnit(const CreateArgs& args, const forms::ButtonData& data)
      : UnitWindow(args.window_id, args.unit_id), data_(data) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out);
  forms::ButtonData Snapshot() const { return data_; }

 private:
  void SetPicture(const PropertyValue& value);
  void SetType(int32_t type);
  void SetCaption(const PropertyValue& value);
  void SetAlignment(int32_t* field, int32_t value);
  void SetFont(const PropertyValue& value);

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT OnCommand(WPARAM wp);

  forms::ButtonData data_;  // every property as last written (type and alignments clamped)
  ControlFont font_;        // the font made from data_.font
  ControlPicture picture_;  // the picture decoded from data_.picture
};

DWORD TypeStyle(int32_t type) {
  return type == 1 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

// Horizontal 0 left, 1 centre, 2 right; vertical 0 top, 1 centre, 2 bottom.
DWORD AlignmentStyle(int32_t horizontal, int32_t vertical) {
  const DWORD across[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
  const DWORD down[] = {BS_TOP, BS_VCENTER, BS_BOTTOM};
  return across[ClampTo(horizontal, 0, 2)] | down[ClampTo(vertical, 0, 2)];
}

void ButtonUnit::SetPicture(const PropertyValue& value) {
  if (!StoreBytes(&data_.picture, value)) return;
  picture_.Set(hwnd_, data_.picture, !data_.caption.empty());
}

void ButtonUnit::SetType(int32_t type) {
  if (!StoreInt(&data_.button_type, ClampTo(type, 0, 1))) return;
  SendMessageW(hwnd_, BM_SETSTYLE, TypeStyle(data_.button_type), TRUE);
}

void ButtonUnit::SetCaption(const PropertyValue& value) {
  if (!StoreText(&data_.caption, value)) return;
  SetWindowTextGbk(hwnd_, data_.caption);
  // A picture alone shows only while there is no caption.
  if (!data_.picture.empty()) picture_.Set(hwnd_, data_.picture, !data_.caption.empty());
}

void ButtonUnit::SetAlignment(int32_t* field, int32_t value) {
  if (!StoreInt(field, ClampTo(value, 0, 2))) return;
  SetStyleBits(hwnd_, kAlignmentMask,
               AlignmentStyle(data_.horizontal_alignment, data_.vertical_alignment));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ButtonUnit::SetFont(const PropertyValue& value) {
  if (!StoreBytes(&data_.font, value)) return;
  font_.Set(hwnd_, data_.font);
}

int ButtonUnit::Changed(int32_t index, const PropertyValue& value) {
  switch (index) {
    case Own(prop::kPicture):
      SetPicture(value);
      break;
    case Own(prop::kType):
      SetType(value.i);
      break;
    case Own(prop::kCaption):
      SetCaption(value);
      break;
    case Own(prop::kHorizontalAlignment):
      SetAlignment(&data_.horizontal_alignment, value.i);
      break;
    case Own(prop::kVerticalAlignment):
      SetAlignment(&data_.vertical_alignment, value.i);
      break;
    case Own(prop::kFont):
      SetFont(value);
      break;
    default:
      break;
  }
  return 0;
}

int ButtonUnit::Get(int32_t index, PropertyValue* out) {
  switch (index) {
    case Own(prop::kPicture):
      BytesValue(data_.picture, out);
      return 1;
    case Own(prop::kType):
      out->i = data_.button_type;
      return 1;
    case Own(prop::kCaption):
      TextValue(data_.caption, out);
      return 1;
    case Own(prop::kHorizontalAlignment):
      out->i = data_.horizontal_alignment;
      return 1;
    case Own(prop::kVerticalAlignment):
      out->i = data_.vertical_alignment;
      return 1;
    case Own(prop::kFont):
      BytesValue(data_.font, out);
      return 1;
    default:
      return 0;
  }
}

LRESULT ButtonUnit::OnCommand(WPARAM wp) {
  if (HIWORD(wp) == BN_CLICKED) Raise(kEventClicked);
  return 0;
}

LRESULT ButtonUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectBase + WM_COMMAND:
      return OnCommand(wp);
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* ButtonUnit::Create(const CreateArgs& args) {
  forms::ButtonData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  data.button_type = ClampTo(data.button_type, 0, 1);
  data.horizontal_alignment = ClampTo(data.horizontal_alignment, 0, 2);
  data.vertical_alignment = ClampTo(data.vertical_alignment, 0, 2);
  auto* unit = new ButtonUnit(args, data);
  DWORD style = args.style | TypeStyle(data.button_type) |
                AlignmentStyle(data.horizontal_alignment, data.vertical_alignment) | BS_MULTILINE;
  if (!unit->CreateControl(L"BUTTON", data.caption.c_str(), style, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->font_.Set(unit->hwnd_, data.font);
  if (!data.picture.empty()) unit->picture_.Set(unit->hwnd_, data.picture, !data.caption.empty());
  return unit;
}

}  // namespace

void* ButtonInterface(int32_t op) {
  return ControlInterface<ButtonUnit>(op);
}

}  // namespace rc
