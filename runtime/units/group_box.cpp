// The `GroupBox` unit type (core library, type 9): a native group box that is also a container.
// The units inside it are its child windows, so they are hidden, shown and moved with it, and
// the notifications they send it are reflected back to them as the window reflects those of
// the units that lie on it directly.
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kGroupBoxPropertyCount> kGroupBoxProperties =
    PropertyTable(props::group_box::kOwn);

namespace {

namespace prop = props::group_box;

class GroupBoxUnit : public UnitWindow {
 public:
  GroupBoxUnit(const CreateArgs& args, const forms::GroupBoxData& data)
      : UnitWindow(args.window_id, args.unit_id),
        data_(data),
        colours_(data.text_colour, data.background_colour) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out) { return GetStored(data_, index, out) ? 1 : 0; }
  forms::GroupBoxData Snapshot() const { return data_; }
  bool PaintBehindChildren(HDC dc) override;

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override { font_.Set(hwnd_, data_.font, dpi()); }
  LRESULT OnColour(WPARAM wp);
  LRESULT OnEraseBackground(WPARAM wp);

  forms::GroupBoxData data_;  // every property as last written (alignment clamped)
  ControlColours colours_;    // caption colours, and the background behind the child units
  ControlFont font_;          // the font made from data_.font
};

// 0 left, 1 centre, 2 right.
DWORD AlignmentStyle(int32_t alignment) {
  const DWORD styles[] = {BS_LEFT, BS_CENTER, BS_RIGHT};
  return styles[ClampTo(alignment, 0, 2)];
}

int GroupBoxUnit::Changed(int32_t index, const PropertyValue& value) {
  if (WriteStored(&data_, index, value) == forms::Change::kNone) return 0;
  switch (index) {
    case Own(prop::kCaption):
      SetWindowTextGbk(hwnd_, data_.caption);
      break;
    case Own(prop::kCaptionAlignment):
      SetStyleBits(hwnd_, BS_CENTER, AlignmentStyle(data_.caption_alignment));
      break;
    case Own(prop::kTextColour):
    case Own(prop::kBackgroundColour):
      colours_.Show(hwnd_, data_.text_colour, data_.background_colour);
      break;
    case Own(prop::kFont):
      font_.Set(hwnd_, data_.font, dpi());
      break;
    default:
      return 0;
  }
  // The units without background inside show the box's new look through them only when they
  // paint again too: the box's erase reaches under them and takes their text.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return 0;
}

// The group box itself sends this to its parent, which reflects it here.
LRESULT GroupBoxUnit::OnColour(WPARAM wp) {
  return colours_.Paint(reinterpret_cast<HDC>(wp));
}

// The button class paints only the frame and the caption; the inside, where the child units
// lie, would keep whatever was on the screen before.
LRESULT GroupBoxUnit::OnEraseBackground(WPARAM wp) {
  RECT r;
  GetClientRect(hwnd_, &r);
  FillRect(reinterpret_cast<HDC>(wp), &r, colours_.brush());
  return 1;
}

// Through the window's procedure, so that the skin's layers above it paint as they do on
// screen; the button class paints the frame and the caption into a given DC as it paints them
// on screen.
bool GroupBoxUnit::PaintBehindChildren(HDC dc) {
  SendMessageW(hwnd_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  SendMessageW(hwnd_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  return true;
}

LRESULT GroupBoxUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT reflected = 0;
  if (ReflectNotification(hwnd_, msg, wp, lp, &reflected)) return reflected;
  switch (msg) {
    case kReflectBase + WM_CTLCOLORSTATIC:
    case kReflectBase + WM_CTLCOLORBTN:
      return OnColour(wp);
    case WM_ERASEBKGND:
      return OnEraseBackground(wp);
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* GroupBoxUnit::Create(const CreateArgs& args) {
  forms::GroupBoxData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  forms::FitStored(&data);
  auto* unit = new GroupBoxUnit(args, data);
  DWORD style = args.style | BS_GROUPBOX | WS_CLIPCHILDREN | AlignmentStyle(data.caption_alignment);
  if (!unit->CreateControl(L"BUTTON", data.caption.c_str(), style, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->font_.Set(unit->hwnd_, data.font, unit->dpi());
  return unit;
}

}  // namespace

void* GroupBoxInterface(int32_t op) {
  return ControlInterface<GroupBoxUnit>(op);
}

}  // namespace rc
