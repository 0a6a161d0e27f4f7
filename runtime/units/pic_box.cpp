#include "runtime/units/pic_box.h"

#include <utility>

#include "runtime/draw/colour.h"
#include "runtime/draw/picture.h"
#include "runtime/units/control_support.h"
#include "runtime/units/drawn_unit.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kPicBoxPropertyCount> kPicBoxProperties =
    PropertyTable(props::pic_box::kOwn);

namespace {

namespace prop = props::pic_box;

constexpr wchar_t kClassName[] = L"PicBox";

constexpr int kLastBorder = 5;
constexpr int kLastDisplayMode = 2;

struct PicBoxState {
  forms::PicBoxData data;  // the properties as last written
  draw::Picture picture;   // decoded whenever data.picture changes; empty when it cannot be
};

class PicBox : public UnitWindow {
 public:
  PicBox(uint32_t window_id, uint32_t unit_id, forms::PicBoxData data)
      : UnitWindow(window_id, unit_id) {
    s_.picture = draw::Picture::Decode(data.picture.data(), data.picture.size());
    s_.data = std::move(data);
  }

  using Data = forms::PicBoxData;
  static UnitObject* Create(const CreateArgs& args) {
    return CreateDrawnUnit<PicBox>(args, kClassName);
  }
  // The picture is not painted over the units inside (transparent ones still show it).
  OwnWindowStyle Window() const {
    const FrameStyles frame = BorderFrame(s_.data.border);
    return {nullptr, WS_CLIPCHILDREN | frame.style, frame.ex_style};
  }
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out) const;
  const forms::PicBoxData& Snapshot() const { return s_.data; }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnPaint();

  void SetBorder(int32_t border);
  void SetBackgroundColour(uint32_t colour);
  void SetPicture(const PropertyValue& value);
  void SetDisplayMode(int32_t mode);

  PicBoxState s_;
};

LRESULT PicBox::OnPaint() {
  BufferedPaint paint(hwnd_);
  FillColour(paint.dc(), paint.client(), draw::ResolveColour(s_.data.background_colour));
  s_.picture.Draw(paint.dc(), paint.client(), draw::PicBoxLayout(s_.data.display_mode));
  return 0;
}

void PicBox::SetBorder(int32_t border) {
  if (border == s_.data.border) return;
  s_.data.border = border;
  ApplyBorderFrame(hwnd_, border);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void PicBox::SetBackgroundColour(uint32_t colour) {
  if (colour == s_.data.background_colour) return;
  s_.data.background_colour = colour;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void PicBox::SetPicture(const PropertyValue& value) {
  if (!StoreBytes(&s_.data.picture, value)) return;
  s_.picture = draw::Picture::Decode(s_.data.picture.data(), s_.data.picture.size());
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void PicBox::SetDisplayMode(int32_t mode) {
  if (mode == s_.data.display_mode) return;
  s_.data.display_mode = mode;
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

int PicBox::Changed(int32_t index, const PropertyValue& value) {
  switch (index) {
    case Own(prop::kBorder):
      SetBorder(ClampTo(value.i, 0, kLastBorder));
      break;
    case Own(prop::kBackgroundColour):
      SetBackgroundColour(uint32_t(value.i));
      break;
    case Own(prop::kPicture):
      SetPicture(value);
      break;
    case Own(prop::kDisplayMode):
      SetDisplayMode(ClampTo(value.i, 0, kLastDisplayMode));
      break;
    case Own(prop::kPlayAnimation):
      // Kept: the pictures this runtime decodes are still pictures.
      s_.data.play_animation = value.i != 0 ? 1 : 0;
      break;
    case Own(prop::kDataBinding1):
      StoreText(&s_.data.p13, value);
      break;
    case Own(prop::kDataBinding2):
      StoreText(&s_.data.p14, value);
      break;
    default:
      break;
  }
  return 0;
}

int PicBox::Get(int32_t index, PropertyValue* out) const {
  const forms::PicBoxData& d = s_.data;
  switch (index) {
    case Own(prop::kBorder):
      out->i = d.border;
      return 1;
    case Own(prop::kBackgroundColour):
      out->i = int32_t(d.background_colour);
      return 1;
    case Own(prop::kPicture):
      BytesValue(d.picture, out);
      return 1;
    case Own(prop::kDisplayMode):
      out->i = d.display_mode;
      return 1;
    case Own(prop::kPlayAnimation):
      out->i = d.play_animation;
      return 1;
    case Own(prop::kDataBinding1):
      TextValue(d.p13, out);
      return 1;
    case Own(prop::kDataBinding2):
      TextValue(d.p14, out);
      return 1;
    default:
      return 0;
  }
}

LRESULT PicBox::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  // A container: the units inside are its child windows and notify it, not the window.
  LRESULT reflected = 0;
  if (ReflectNotification(hwnd_, msg, wp, lp, &reflected)) return reflected;
  switch (msg) {
    case WM_PAINT:
      return OnPaint();
    case WM_ERASEBKGND:
      return 1;  // the paint covers the whole client area
    default:
      return UnitWindow::Handle(msg, wp, lp);
  }
}

}  // namespace

void* PicBoxInterface(int32_t op) {
  return ControlInterface<PicBox>(op);
}

}  // namespace rc
