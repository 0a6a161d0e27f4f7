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
  int Get(int32_t index, PropertyValue* out) { return GetStored(data_, index, out) ? 1 : 0; }
  forms::ButtonData Snapshot() const { return data_; }

 private:
  void ShowPicture() { picture_.Set(hwnd_, data_.picture, !data_.caption.empty(), dpi()); }

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override {
    font_.Set(hwnd_, data_.font, dpi());
    picture_.Show(hwnd_, !data_.caption.empty(), dpi());
  }
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

int ButtonUnit::Changed(int32_t index, const PropertyValue& value) {
  if (WriteStored(&data_, index, value) == forms::Change::kNone) return 0;
  switch (index) {
    case Own(prop::kPicture):
      ShowPicture();
      break;
    case Own(prop::kType):
      SendMessageW(hwnd_, BM_SETSTYLE, TypeStyle(data_.button_type), TRUE);
      break;
    case Own(prop::kCaption):
      SetWindowTextGbk(hwnd_, data_.caption);
      // A picture alone shows only while there is no caption.
      if (!data_.picture.empty()) ShowPicture();
      break;
    case Own(prop::kHorizontalAlignment):
    case Own(prop::kVerticalAlignment):
      SetStyleBits(hwnd_, kAlignmentMask,
                   AlignmentStyle(data_.horizontal_alignment, data_.vertical_alignment));
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case Own(prop::kFont):
      font_.Set(hwnd_, data_.font, dpi());
      break;
    default:
      break;
  }
  return 0;
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
  forms::FitStored(&data);
  auto* unit = new ButtonUnit(args, data);
  DWORD style = args.style | TypeStyle(data.button_type) |
                AlignmentStyle(data.horizontal_alignment, data.vertical_alignment) | BS_MULTILINE;
  if (!unit->CreateControl(L"BUTTON", data.caption.c_str(), style, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->font_.Set(unit->hwnd_, data.font, unit->dpi());
  if (!data.picture.empty()) unit->ShowPicture();
  return unit;
}

}  // namespace

void* ButtonInterface(int32_t op) {
  return ControlInterface<ButtonUnit>(op);
}

}  // namespace rc
