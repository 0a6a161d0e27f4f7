// The `RadioBox` unit type (core library, type 13): a native automatic radio button. Windows
// groups the radio buttons among their siblings and unchecks the others of a group when the
// user clicks one, so the selected property is read from the control itself. A click (the
// reflected BN_CLICKED) raises event 0.
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

const std::array<PropertyEntry, kRadioBoxPropertyCount> kRadioBoxProperties = ControlProperties({
    kKindPicture,  // 8 picture
    kKindInteger,  // 9
    kKindInteger,  // 10
    kKindText,     // 11 caption
    kKindInteger,  // 12
    kKindInteger,  // 13
    kKindInteger,  // 14
    kKindColour,   // 15 text colour
    kKindColour,   // 16 background colour
    kKindFont,     // 17 font
    kKindBool,     // 18 selected
});

namespace {

enum : int32_t {  // property index - 8
  kPicture = 0,
  kP9,
  kP10,
  kCaption,
  kP12,
  kP13,
  kP14,
  kTextColour,
  kBackgroundColour,
  kFont,
  kSelected,
};
enum : int32_t {
  kEventClicked = 0,
};

class RadioBoxUnit : public UnitWindow {
 public:
  RadioBoxUnit(const CreateArgs& args, const forms::RadioBoxData& data)
      : UnitWindow(args.window_id, args.unit_id),
        data_(data),
        colours_(data.text_colour, data.background_colour) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out);
  forms::RadioBoxData Snapshot();

 private:
  bool Checked() const { return SendMessageW(hwnd_, BM_GETCHECK, 0, 0) == BST_CHECKED; }
  void SetPicture(const PropertyValue& value);
  void SetCaption(const PropertyValue& value);
  void SetColour(uint32_t* field, int32_t value);
  void SetFont(const PropertyValue& value);
  void SetSelected(int32_t value);
  int32_t* StoredOnly(int32_t index);

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT OnCommand(WPARAM wp);
  LRESULT OnColour(WPARAM wp);

  // Every property as last written; `selected` only as created or written, since the user's
  // clicks change the control and not this copy (Snapshot reads the control).
  forms::RadioBoxData data_;
  ControlColours colours_;  // text and background colour of the caption
  ControlFont font_;        // the font made from data_.font
  ControlPicture picture_;  // the picture decoded from data_.picture
};

forms::RadioBoxData RadioBoxUnit::Snapshot() {
  data_.selected = Checked() ? 1 : 0;
  return data_;
}

void RadioBoxUnit::SetPicture(const PropertyValue& value) {
  if (!StoreBytes(&data_.picture, value)) return;
  picture_.Set(hwnd_, data_.picture, !data_.caption.empty());
}

void RadioBoxUnit::SetCaption(const PropertyValue& value) {
  if (!StoreText(&data_.caption, value)) return;
  SetWindowTextGbk(hwnd_, data_.caption);
  if (!data_.picture.empty()) picture_.Set(hwnd_, data_.picture, !data_.caption.empty());
}

void RadioBoxUnit::SetColour(uint32_t* field, int32_t value) {
  if (StoreColour(field, value)) colours_.Show(hwnd_, data_.text_colour, data_.background_colour);
}

void RadioBoxUnit::SetFont(const PropertyValue& value) {
  if (!StoreBytes(&data_.font, value)) return;
  font_.Set(hwnd_, data_.font);
}

// Only exactly 1 checks the box; any other value unchecks it.
void RadioBoxUnit::SetSelected(int32_t value) {
  data_.selected = value == 1 ? 1 : 0;
  SendMessageW(hwnd_, BM_SETCHECK, data_.selected ? BST_CHECKED : BST_UNCHECKED, 0);
}

// The numbered properties without a meaning here are kept for the save operation.
int32_t* RadioBoxUnit::StoredOnly(int32_t index) {
  switch (index) {
    case kP9:
      return &data_.p9;
    case kP10:
      return &data_.p10;
    case kP12:
      return &data_.p12;
    case kP13:
      return &data_.p13;
    case kP14:
      return &data_.p14;
    default:
      return nullptr;
  }
}

int RadioBoxUnit::Changed(int32_t index, const PropertyValue& value) {
  if (int32_t* field = StoredOnly(index)) *field = value.i;
  switch (index) {
    case kPicture:
      SetPicture(value);
      break;
    case kCaption:
      SetCaption(value);
      break;
    case kTextColour:
      SetColour(&data_.text_colour, value.i);
      break;
    case kBackgroundColour:
      SetColour(&data_.background_colour, value.i);
      break;
    case kFont:
      SetFont(value);
      break;
    case kSelected:
      SetSelected(value.i);
      break;
    default:
      break;
  }
  return 0;
}

int RadioBoxUnit::Get(int32_t index, PropertyValue* out) {
  if (const int32_t* field = StoredOnly(index)) {
    out->i = *field;
    return 1;
  }
  switch (index) {
    case kPicture:
      BytesValue(data_.picture, out);
      return 1;
    case kCaption:
      TextValue(data_.caption, out);
      return 1;
    case kTextColour:
      out->i = int32_t(data_.text_colour);
      return 1;
    case kBackgroundColour:
      out->i = int32_t(data_.background_colour);
      return 1;
    case kFont:
      BytesValue(data_.font, out);
      return 1;
    case kSelected:
      out->i = Checked() ? 1 : 0;
      return 1;
    default:
      return 0;
  }
}

LRESULT RadioBoxUnit::OnCommand(WPARAM wp) {
  if (HIWORD(wp) == BN_CLICKED) Raise(kEventClicked);
  return 0;
}

LRESULT RadioBoxUnit::OnColour(WPARAM wp) {
  return colours_.Paint(reinterpret_cast<HDC>(wp));
}

LRESULT RadioBoxUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectBase + WM_COMMAND:
      return OnCommand(wp);
    case kReflectBase + WM_CTLCOLORSTATIC:
    case kReflectBase + WM_CTLCOLORBTN:
      return OnColour(wp);
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* RadioBoxUnit::Create(const CreateArgs& args) {
  forms::RadioBoxData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  data.selected = data.selected == 1 ? 1 : 0;
  auto* unit = new RadioBoxUnit(args, data);
  if (!unit->CreateControl(L"BUTTON", data.caption.c_str(), args.style | BS_AUTORADIOBUTTON, 0,
                           args)) {
    delete unit;
    return nullptr;
  }
  unit->font_.Set(unit->hwnd_, data.font);
  if (!data.picture.empty()) unit->picture_.Set(unit->hwnd_, data.picture, !data.caption.empty());
  unit->SetSelected(data.selected);
  return unit;
}

}  // namespace

void* RadioBoxInterface(int32_t op) {
  return ControlInterface<RadioBoxUnit>(op);
}

}  // namespace rc
