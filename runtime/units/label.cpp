#include "runtime/units/label.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/text_w.h"
#include "runtime/draw/colour.h"
#include "runtime/draw/dpi.h"
#include "runtime/draw/font.h"
#include "runtime/draw/picture.h"
#include "runtime/units/control_support.h"
#include "runtime/units/drawn_unit.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kLabelPropertyCount> kLabelProperties =
    PropertyTable(props::label::kOwn);

namespace {

namespace prop = props::label;

constexpr wchar_t kClassName[] = L"Label";

constexpr int kGradientFrameBorder = prop::kLastBorder;
static_assert(prop::kLastGradientMode == draw::kLastGradientMode);
constexpr UINT kHorizontalFormats[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};

struct LabelState {
  forms::LabelData data;  // the properties as last written (the caption in GBK)
  std::wstring text;      // the caption as the window text and as painted
  draw::Font font;        // made whenever data.font changes, never per paint
  draw::Picture picture;  // decoded whenever data.background_picture changes; empty if it cannot
};

void PaintGradientBackground(HDC dc, const RECT& area, const forms::LabelData& data) {
  if (data.gradient_mode <= 0) return;
  draw::FillGradient(
      dc, area, std::min(data.gradient_mode, draw::kLastGradientMode),
      draw::PickGradientStops(data.gradient_colour1, data.gradient_colour2, data.gradient_colour3));
}

// The caption inside `area`: broken at line breaks (and, with word wrap, at word boundaries),
// the block of lines placed by the vertical alignment in every case.
void PaintCaption(HDC dc, const RECT& area, const LabelState& s, int dpi) {
  if (s.text.empty() || IsRectEmpty(&area)) return;
  const forms::LabelData& d = s.data;
  UINT format = DT_NOPREFIX | kHorizontalFormats[ClampTo(d.horizontal_alignment, 0, 2)] |
                (d.word_wrap != 0 ? DT_WORDBREAK : 0);
  SaveDC(dc);
  IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
  SelectObject(dc, s.font.handle());
  SetBkMode(dc, TRANSPARENT);
  RECT box = area;
  DrawTextW(dc, s.text.c_str(), int(s.text.size()), &box, format | DT_CALCRECT);
  const int height = box.bottom - box.top;
  const int space = (area.bottom - area.top) - height;
  RECT at = area;
  at.top += ClampTo(d.vertical_alignment, 0, 2) * space / 2;
  at.bottom = at.top + height;
  DrawTextWithEffect(dc, s.text, at, format | DT_NOCLIP, d.effect,
                     draw::ResolveColour(d.text_colour), dpi);
  RestoreDC(dc, -1);
}

// Background colour, gradient background, the gradient frame of border 6, then the picture
// and the caption inside the frame.
void PaintLabel(HDC dc, const RECT& client, const LabelState& s, int dpi) {
  const forms::LabelData& d = s.data;
  FillColour(dc, client, draw::ResolveColour(d.background_colour));
  PaintGradientBackground(dc, client, d);
  RECT inner = client;
  if (d.border == kGradientFrameBorder) {
    inner = draw::DrawGradientFrame(
        dc, client, draw::ScaleLength(d.gradient_border_width, dpi),
        draw::PickGradientStops(d.border_colour1, d.border_colour2, d.border_colour3));
  }
  s.picture.Draw(dc, inner, draw::LabelPictureLayout(d.picture_mode), dpi);
  PaintCaption(dc, inner, s, dpi);
}

// Border 6 is drawn by the label itself, inside a window without a native frame.
int NativeBorderOf(int border) {
  return border == kGradientFrameBorder ? 0 : border;
}

class Label : public UnitWindow {
 public:
  Label(uint32_t window_id, uint32_t unit_id, forms::LabelData data)
      : UnitWindow(window_id, unit_id) {
    s_.text = Wide(data.caption);
    s_.font = draw::Font::FromStored(data.font.data(), data.font.size());
    s_.picture =
        draw::Picture::Decode(data.background_picture.data(), data.background_picture.size());
    s_.data = std::move(data);
  }

  using Data = forms::LabelData;
  static UnitObject* Create(const CreateArgs& args) {
    return CreateDrawnUnit<Label>(args, kClassName);
  }
  // The caption is the window text; borders 1 to 5 are native frames.
  OwnWindowStyle Window() const {
    const FrameStyles frame = BorderFrame(NativeBorderOf(s_.data.border));
    return {s_.data.caption.c_str(), frame.style, frame.ex_style};
  }
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &s_.data, index, value);
  }
  int Get(int32_t index, PropertyValue* out) const { return GetStored(s_.data, index, out); }
  const forms::LabelData& Snapshot() const { return s_.data; }
  void Show(int32_t index);
  void Repaint() { InvalidateRect(hwnd_, nullptr, FALSE); }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override { Show(Own(prop::kFont)); }

 private:
  LRESULT OnPaint();

  LabelState s_;
};

LRESULT Label::OnPaint() {
  BufferedPaint paint(hwnd_);
  PaintLabel(paint.dc(), paint.client(), s_, dpi());
  return 0;
}

void Label::Show(int32_t index) {
  const forms::LabelData& d = s_.data;
  switch (index) {
    case Own(prop::kCaption):
      s_.text = Wide(d.caption);
      SetWindowTextW(hwnd_, s_.text.c_str());
      break;
    case Own(prop::kBorder):
      ApplyBorderFrame(hwnd_, NativeBorderOf(d.border));
      break;
    case Own(prop::kFont):
      s_.font = draw::Font::FromStored(d.font.data(), d.font.size(), dpi());
      break;
    case Own(prop::kBackgroundPicture):
      s_.picture = draw::Picture::Decode(d.background_picture.data(), d.background_picture.size());
      break;
    default:
      break;
  }
  Repaint();
}

LRESULT Label::Handle(UINT msg, WPARAM wp, LPARAM lp) {
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

void* LabelInterface(int32_t op) {
  return ControlInterface<Label>(op);
}

}  // namespace rc
