// The `GroupBox` unit type (core library, type 9): a native group box that is also a container.
// The units inside it are its child windows, so they are hidden, shown and moved with it, and
// the notifications they send it are reflected back to them as the window reflects those of
// the units that lie on it directly.
#include "runtime/draw/kept_canvas.h"
#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kGroupBoxPropertyCount> kGroupBoxProperties =
    PropertyTable(props::group_box::kOwn);

namespace {

namespace prop = props::group_box;

// What a group box shows behind its child windows, painted once into a bitmap and kept while
// the box looks the same: a transparent label scrolled through the box a pixel at a time asks
// for it at every step, and the box's erase and print (through the skin's layers) cost more
// than the copy.
class KeptBackground {
 public:
  // The kept picture's DC when it holds the box at `size`, else null.
  HDC Held(SIZE size) const { return held_ ? canvas_.Exactly(size) : nullptr; }
  // A DC for painting the picture anew, its bitmap compatible with `like`; null when none can
  // be had. The picture is held once Keep is called.
  HDC Start(HDC like, SIZE size) {
    held_ = false;
    return canvas_.For(like, size, true);
  }
  void Keep() { held_ = true; }
  // The box may look otherwise now.
  void Forget() { held_ = false; }

 private:
  draw::KeptCanvas canvas_;
  bool held_ = false;  // the canvas holds the box as it looks now
};

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
  void OnDpiChanged() override {
    background_.Forget();
    font_.Set(hwnd_, data_.font, dpi());
  }
  LRESULT OnColour(WPARAM wp);
  LRESULT OnEraseBackground(WPARAM wp);

  forms::GroupBoxData data_;  // every property as last written (alignment clamped)
  ControlColours colours_;    // caption colours, and the background behind the child units
  ControlFont font_;          // the font made from data_.font
  KeptBackground background_;
  bool keeping_ = false;  // painting the kept background
};

// Whatever paints the box, the button class or the skin's layers above it, asks the box's
// parent for its colours, which reflects the request here: a paint that was not the kept
// picture's own may show a new look (a skin, a state, a system colour). The messages that
// change the look without a paint at once are counted in too.
bool ChangesLook(UINT msg) {
  switch (msg) {
    case kReflectBase + WM_CTLCOLORSTATIC:
    case kReflectBase + WM_CTLCOLORBTN:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT:
    case WM_SETTEXT:
    case WM_SETFONT:
    case WM_ENABLE:
    case WM_STYLECHANGED:
    case WM_SIZE:
    case WM_SYSCOLORCHANGE:
    case WM_THEMECHANGED:
    case WM_SETTINGCHANGE:
    case WM_UPDATEUISTATE:
      return true;
    default:
      return false;
  }
}

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
  background_.Forget();
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
// on screen. The whole client area is painted into the kept picture, and what `dc` is clipped
// to copied from it.
bool GroupBoxUnit::PaintBehindChildren(HDC dc) {
  RECT client, clip;
  GetClientRect(hwnd_, &client);
  const SIZE size{client.right, client.bottom};
  HDC kept = background_.Held(size);
  if (kept == nullptr) {
    HDC into = background_.Start(dc, size);
    if (into == nullptr) into = dc;  // no room for a picture: straight into `dc`
    keeping_ = true;
    const int saved = SaveDC(into);
    SendMessageW(hwnd_, WM_ERASEBKGND, reinterpret_cast<WPARAM>(into), 0);
    SendMessageW(hwnd_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(into), PRF_CLIENT);
    RestoreDC(into, saved);
    keeping_ = false;
    if (into == dc) return true;
    background_.Keep();
    kept = into;
  }
  if (GetClipBox(dc, &clip) != NULLREGION && IntersectRect(&clip, &clip, &client)) {
    BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, kept, clip.left,
           clip.top, SRCCOPY);
  }
  return true;
}

LRESULT GroupBoxUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (!keeping_ && ChangesLook(msg)) background_.Forget();
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
