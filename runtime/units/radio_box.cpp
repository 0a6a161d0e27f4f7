// The `RadioBox` unit type (core library, type 13): a native automatic radio button. Windows
// groups the radio buttons among their siblings and unchecks the others of a group when the
// user clicks one, so the selected property is read from the control itself. A click (the
// reflected BN_CLICKED) raises event 0.
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kRadioBoxPropertyCount> kRadioBoxProperties =
    PropertyTable(props::radio_box::kOwn);

namespace {

namespace prop = props::radio_box;

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
  void ShowPicture() { picture_.Set(hwnd_, data_.picture, !data_.caption.empty(), dpi()); }
  void SetSelected(int32_t value);

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override {
    font_.Set(hwnd_, data_.font, dpi());
    picture_.Show(hwnd_, !data_.caption.empty(), dpi());
  }
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

// Only exactly 1 checks the box; any other value unchecks it.
void RadioBoxUnit::SetSelected(int32_t value) {
  data_.selected = value == 1 ? 1 : 0;
  SendMessageW(hwnd_, BM_SETCHECK, data_.selected ? BST_CHECKED : BST_UNCHECKED, 0);
}

int RadioBoxUnit::Changed(int32_t index, const PropertyValue& value) {
  // The box is set whatever the copy holds: the user's clicks change only the control.
  if (index == Own(prop::kSelected)) {
    SetSelected(value.i);
    return 0;
  }
  if (WriteStored(&data_, index, value) == forms::Change::kNone) return 0;
  switch (index) {
    case Own(prop::kPicture):
      ShowPicture();
      break;
    case Own(prop::kCaption):
      SetWindowTextGbk(hwnd_, data_.caption);
      if (!data_.picture.empty()) ShowPicture();
      break;
    case Own(prop::kTextColour):
    case Own(prop::kBackgroundColour):
      colours_.Show(hwnd_, data_.text_colour, data_.background_colour);
      break;
    case Own(prop::kFont):
      font_.Set(hwnd_, data_.font, dpi());
      break;
    default:
      break;
  }
  return 0;
}

int RadioBoxUnit::Get(int32_t index, PropertyValue* out) {
  if (index == Own(prop::kSelected)) {
    out->i = Checked() ? 1 : 0;
    return 1;
  }
  return GetStored(data_, index, out) ? 1 : 0;
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
  unit->font_.Set(unit->hwnd_, data.font, unit->dpi());
  if (!data.picture.empty()) unit->ShowPicture();
  unit->SetSelected(data.selected);
  return unit;
}

}  // namespace

void* RadioBoxInterface(int32_t op) {
  return ControlInterface<RadioBoxUnit>(op);
}

}  // namespace rc
