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
  int Get(int32_t index, PropertyValue* out);
  forms::GroupBoxData Snapshot() const { return data_; }
  bool PaintBehindChildren(HDC dc) override;

 private:
  void SetCaption(const PropertyValue& value);
  void SetAlignment(int32_t alignment);
  void SetColour(uint32_t* field, int32_t value);
  void SetFont(const PropertyValue& value);

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
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

void GroupBoxUnit::SetCaption(const PropertyValue& value) {
  if (!StoreText(&data_.caption, value)) return;
  SetWindowTextGbk(hwnd_, data_.caption);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void GroupBoxUnit::SetAlignment(int32_t alignment) {
  if (!StoreInt(&data_.caption_alignment, ClampTo(alignment, 0, 2))) return;
  SetStyleBits(hwnd_, BS_CENTER, AlignmentStyle(data_.caption_alignment));
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void GroupBoxUnit::SetColour(uint32_t* field, int32_t value) {
  if (StoreColour(field, value)) colours_.Show(hwnd_, data_.text_colour, data_.background_colour);
}

void GroupBoxUnit::SetFont(const PropertyValue& value) {
  if (!StoreBytes(&data_.font, value)) return;
  font_.Set(hwnd_, data_.font);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

int GroupBoxUnit::Changed(int32_t index, const PropertyValue& value) {
  switch (index) {
    case Own(prop::kCaption):
      SetCaption(value);
      break;
    case Own(prop::kCaptionAlignment):
      SetAlignment(value.i);
      break;
    case Own(prop::kTextColour):
      SetColour(&data_.text_colour, value.i);
      break;
    case Own(prop::kBackgroundColour):
      SetColour(&data_.background_colour, value.i);
      break;
    case Own(prop::kFont):
      SetFont(value);
      break;
    default:
      break;
  }
  return 0;
}

int GroupBoxUnit::Get(int32_t index, PropertyValue* out) {
  switch (index) {
    case Own(prop::kCaption):
      TextValue(data_.caption, out);
      return 1;
    case Own(prop::kCaptionAlignment):
      out->i = data_.caption_alignment;
      return 1;
    case Own(prop::kTextColour):
      out->i = int32_t(data_.text_colour);
      return 1;
    case Own(prop::kBackgroundColour):
      out->i = int32_t(data_.background_colour);
      return 1;
    case Own(prop::kFont):
      BytesValue(data_.font, out);
      return 1;
    default:
      return 0;
  }
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
  data.caption_alignment = ClampTo(data.caption_alignment, 0, 2);
  auto* unit = new GroupBoxUnit(args, data);
  DWORD style = args.style | BS_GROUPBOX | WS_CLIPCHILDREN | AlignmentStyle(data.caption_alignment);
  if (!unit->CreateControl(L"BUTTON", data.caption.c_str(), style, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->font_.Set(unit->hwnd_, data.font);
  return unit;
}

}  // namespace

void* GroupBoxInterface(int32_t op) {
  return ControlInterface<GroupBoxUnit>(op);
}

}  // namespace rc
