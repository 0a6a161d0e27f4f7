#include "runtime/units/label.h"

#include <algorithm>
#include <string>
#include <utility>

#include "base/text_w.h"
#include "runtime/draw/colour.h"
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

constexpr int kGradientFrameBorder = 6;
constexpr int kLastBorder = 6;
// Frame widths written through the property are at least this; stored forms may hold
// narrower ones, which are drawn as they are.
constexpr int32_t kMinFrameWidth = 5;
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
void PaintCaption(HDC dc, const RECT& area, const LabelState& s) {
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
                     draw::ResolveColour(d.text_colour));
  RestoreDC(dc, -1);
}

// Background colour, gradient background, the gradient frame of border 6, then the picture
// and the caption inside the frame.
void PaintLabel(HDC dc, const RECT& client, const LabelState& s) {
  const forms::LabelData& d = s.data;
  FillColour(dc, client, draw::ResolveColour(d.background_colour));
  PaintGradientBackground(dc, client, d);
  RECT inner = client;
  if (d.border == kGradientFrameBorder) {
    inner = draw::DrawGradientFrame(
        dc, client, d.gradient_border_width,
        draw::PickGradientStops(d.border_colour1, d.border_colour2, d.border_colour3));
  }
  s.picture.Draw(dc, inner, draw::LabelPictureLayout(d.picture_mode));
  PaintCaption(dc, inner, s);
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
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out) const;
  const forms::LabelData& Snapshot() const { return s_.data; }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnPaint();

  void SetCaption(const PropertyValue& value);
  void SetBorder(int32_t border);
  void SetFont(const PropertyValue& value);
  void SetPicture(const PropertyValue& value);
  template <class T>
  void SetLook(T* field, T value);

  LabelState s_;
};

LRESULT Label::OnPaint() {
  BufferedPaint paint(hwnd_);
  PaintLabel(paint.dc(), paint.client(), s_);
  return 0;
}

void Label::SetCaption(const PropertyValue& value) {
  if (!StoreText(&s_.data.caption, value)) return;
  s_.text = Wide(s_.data.caption);
  SetWindowTextW(hwnd_, s_.text.c_str());
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Label::SetBorder(int32_t border) {
  if (border == s_.data.border) return;
  s_.data.border = border;
  ApplyBorderFrame(hwnd_, NativeBorderOf(border));
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Label::SetFont(const PropertyValue& value) {
  if (!StoreBytes(&s_.data.font, value)) return;
  s_.font = draw::Font::FromStored(s_.data.font.data(), s_.data.font.size());
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void Label::SetPicture(const PropertyValue& value) {
  if (!StoreBytes(&s_.data.background_picture, value)) return;
  s_.picture =
      draw::Picture::Decode(s_.data.background_picture.data(), s_.data.background_picture.size());
  InvalidateRect(hwnd_, nullptr, FALSE);
}

template <class T>
void Label::SetLook(T* field, T value) {
  if (*field == value) return;
  *field = value;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

int Label::Changed(int32_t index, const PropertyValue& value) {
  forms::LabelData& d = s_.data;
  const auto colour = uint32_t(value.i);
  switch (index) {
    case Own(prop::kCaption):
      SetCaption(value);
      break;
    case Own(prop::kEffect):
      SetLook(&d.effect, ClampTo(value.i, 0, 3));
      break;
    case Own(prop::kBorder):
      SetBorder(ClampTo(value.i, 0, kLastBorder));
      break;
    case Own(prop::kGradientBorderWidth):
      SetLook(&d.gradient_border_width, std::max(value.i, kMinFrameWidth));
      break;
    case Own(prop::kGradientBorderColour1):
      SetLook(&d.border_colour1, colour);
      break;
    case Own(prop::kGradientBorderColour2):
      SetLook(&d.border_colour2, colour);
      break;
    case Own(prop::kGradientBorderColour3):
      SetLook(&d.border_colour3, colour);
      break;
    case Own(prop::kFont):
      SetFont(value);
      break;
    case Own(prop::kTextColour):
      SetLook(&d.text_colour, colour);
      break;
    case Own(prop::kBackgroundColour):
      SetLook(&d.background_colour, colour);
      break;
    case Own(prop::kBackgroundPicture):
      SetPicture(value);
      break;
    case Own(prop::kPictureMode):
      SetLook(&d.picture_mode, ClampTo(value.i, 0, 2));
      break;
    case Own(prop::kGradientBackgroundMode):
      SetLook(&d.gradient_mode, ClampTo(value.i, 0, draw::kLastGradientMode));
      break;
    case Own(prop::kGradientBackgroundColour1):
      SetLook(&d.gradient_colour1, colour);
      break;
    case Own(prop::kGradientBackgroundColour2):
      SetLook(&d.gradient_colour2, colour);
      break;
    case Own(prop::kGradientBackgroundColour3):
      SetLook(&d.gradient_colour3, colour);
      break;
    case Own(prop::kHorizontalAlignment):
      SetLook(&d.horizontal_alignment, ClampTo(value.i, 0, 2));
      break;
    case Own(prop::kWordWrap):
      SetLook(&d.word_wrap, value.i != 0 ? 1 : 0);
      break;
    case Own(prop::kVerticalAlignment):
      SetLook(&d.vertical_alignment, ClampTo(value.i, 0, 2));
      break;
    case Own(prop::kDataBinding1):
      StoreText(&d.data_binding_1, value);
      break;
    case Own(prop::kDataBinding2):
      StoreText(&d.data_binding_2, value);
      break;
    default:
      break;
  }
  return 0;
}

int Label::Get(int32_t index, PropertyValue* out) const {
  const forms::LabelData& d = s_.data;
  // The number properties; the texts and byte properties are answered below.
  const NumberOf numbers[] = {
      {prop::kEffect, d.effect},
      {prop::kBorder, d.border},
      {prop::kGradientBorderWidth, d.gradient_border_width},
      {prop::kGradientBorderColour1, int32_t(d.border_colour1)},
      {prop::kGradientBorderColour2, int32_t(d.border_colour2)},
      {prop::kGradientBorderColour3, int32_t(d.border_colour3)},
      {prop::kTextColour, int32_t(d.text_colour)},
      {prop::kBackgroundColour, int32_t(d.background_colour)},
      {prop::kPictureMode, d.picture_mode},
      {prop::kGradientBackgroundMode, d.gradient_mode},
      {prop::kGradientBackgroundColour1, int32_t(d.gradient_colour1)},
      {prop::kGradientBackgroundColour2, int32_t(d.gradient_colour2)},
      {prop::kGradientBackgroundColour3, int32_t(d.gradient_colour3)},
      {prop::kHorizontalAlignment, d.horizontal_alignment},
      {prop::kWordWrap, d.word_wrap},
      {prop::kVerticalAlignment, d.vertical_alignment},
  };
  switch (index) {
    case Own(prop::kCaption):
      TextValue(d.caption, out);
      return 1;
    case Own(prop::kFont):
      BytesValue(d.font, out);
      return 1;
    case Own(prop::kBackgroundPicture):
      BytesValue(d.background_picture, out);
      return 1;
    case Own(prop::kDataBinding1):
      TextValue(d.data_binding_1, out);
      return 1;
    case Own(prop::kDataBinding2):
      TextValue(d.data_binding_2, out);
      return 1;
    default:
      return NumberValue(numbers, index, out) ? 1 : 0;
  }
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
