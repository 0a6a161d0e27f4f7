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
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &s_.data, index, value);
  }
  int Get(int32_t index, PropertyValue* out) const { return GetStored(s_.data, index, out); }
  const forms::PicBoxData& Snapshot() const { return s_.data; }
  void Show(int32_t index);
  void Repaint() { InvalidateRect(hwnd_, nullptr, FALSE); }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override { InvalidateRect(hwnd_, nullptr, FALSE); }

 private:
  LRESULT OnPaint();

  PicBoxState s_;
};

LRESULT PicBox::OnPaint() {
  BufferedPaint paint(hwnd_);
  FillColour(paint.dc(), paint.client(), draw::ResolveColour(s_.data.background_colour));
  s_.picture.Draw(paint.dc(), paint.client(), draw::PicBoxLayout(s_.data.display_mode), dpi());
  return 0;
}

void PicBox::Show(int32_t index) {
  switch (index) {
    case Own(prop::kBorder):
      ApplyBorderFrame(hwnd_, s_.data.border);
      break;
    case Own(prop::kPicture):
      s_.picture = draw::Picture::Decode(s_.data.picture.data(), s_.data.picture.size());
      break;
    case Own(prop::kDisplayMode):
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      return;
    default:
      break;
  }
  Repaint();
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
