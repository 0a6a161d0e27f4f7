#include "runtime/units/super_btn.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "base/text_w.h"
#include "runtime/draw/bitmap.h"
#include "runtime/draw/colour.h"
#include "runtime/draw/font.h"
#include "runtime/draw/picture.h"
#include "runtime/draw/text.h"
#include "runtime/units/control_support.h"
#include "runtime/units/drawn_unit.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kSuperBtnPropertyCount> kSuperBtnProperties =
    PropertyTable(props::super_btn::kOwn);

namespace {

namespace prop = props::super_btn;

// The six state colours (text and background for normal, mouse over and pressed) in a run.
constexpr int32_t kFirstStateColour = Own(prop::kTextColourNormal);
constexpr int32_t kLastStateColour = Own(prop::kBackgroundColourPressed);
static_assert(kLastStateColour == kFirstStateColour + 5);

constexpr int32_t kEventClick = 0;

// The three looks of the button; pictures 1 to 3 and the state colour pairs follow this order.
enum Look { kNormal = 0, kHover = 1, kPressed = 2 };
// The state colours as the properties order them: text and background of each look.
constexpr uint32_t forms::SuperBtnData::*kStateColours[6] = {
    &forms::SuperBtnData::text_colour_normal,
    &forms::SuperBtnData::background_colour_normal,
    &forms::SuperBtnData::text_colour_mouse_over,
    &forms::SuperBtnData::background_colour_mouse_over,
    &forms::SuperBtnData::text_colour_pressed,
    &forms::SuperBtnData::background_colour_pressed};

using prop::kFlat;
using prop::kFlatHover;
using prop::kPictureAbove;
using prop::kPictureBelow;
using prop::kPictureLeft;
using prop::kPictureRight;
using prop::kRaised;

constexpr int kMargin = 3;       // edge and padding around the content
constexpr int kMinPicture = 12;  // below this a picture beside the caption is left out

struct SuperBtnState {
  // The properties as last written; state colours hold the button face for the default colour.
  forms::SuperBtnData data;
  draw::Picture pictures[3];  // pictures 1 to 3, for the normal, mouse-over and pressed looks
  int picture_size = 0;       // the size ICO images are first decoded for: the content size
  draw::Font font;            // made whenever data.font changes, never per paint
  std::wstring text;          // the caption as the window text and as drawn
  bool hover = false;         // the mouse is over the button (tracked until it leaves)
  OwnedWindow tooltip;        // the tooltip control, while there is a tooltip text
};

// Picture i (0 to 2) of the data and its colour.
template <class Data>
auto& PictureBytes(Data& d, int i) {
  return i == 0 ? d.picture1 : (i == 1 ? d.picture2 : d.picture3);
}
template <class Data>
auto& PictureColour(Data& d, int i) {
  return i == 0 ? d.picture1_colour : (i == 1 ? d.picture2_colour : d.picture3_colour);
}

uint32_t StoredStateColour(uint32_t colour) {
  return colour == draw::kDefaultColour ? uint32_t(GetSysColor(COLOR_BTNFACE)) : colour;
}

COLORREF Mix(COLORREF a, COLORREF b, int percent_b) {
  auto mix = [percent_b](int x, int y) { return (x * (100 - percent_b) + y * percent_b) / 100; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)),
             mix(GetBValue(a), GetBValue(b)));
}

struct Colours {
  COLORREF text;
  COLORREF back;
};

Colours ColoursFor(const forms::SuperBtnData& d, Look look, bool disabled) {
  Colours c;
  if (d.use_default_colours != 0) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    c.text = GetSysColor(COLOR_BTNTEXT);
    c.back = look == kHover     ? Mix(face, GetSysColor(COLOR_BTNHIGHLIGHT), 50)
             : look == kPressed ? Mix(face, GetSysColor(COLOR_BTNSHADOW), 30)
                                : face;
  } else {
    c.text = draw::ResolveColour(d.*kStateColours[2 * look]);
    c.back = draw::ResolveColour(d.*kStateColours[2 * look + 1]);
  }
  if (disabled) c.text = GetSysColor(COLOR_GRAYTEXT);
  return c;
}

void DrawEdgeFor(HDC dc, RECT rect, int style, Look look, bool default_button) {
  if (default_button) {
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&rect, -1, -1);
  }
  UINT edge = 0;
  if (style == kRaised) {
    edge = look == kPressed ? EDGE_SUNKEN : EDGE_RAISED;
  } else if (style != kFlat && look != kNormal) {
    edge = look == kPressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER;
  }
  if (edge != 0) DrawEdge(dc, &rect, edge, BF_RECT);
}

// A picture centred in `area`, shrunk to fit. Pictures without transparency of their own lose
// the pixels of their colour (unless it is the default colour); a disabled button shows its
// picture faded.
void DrawPicture(HDC dc, const draw::Picture& picture, uint32_t key, bool faded, const RECT& area,
                 int dpi) {
  if (picture.empty() || IsRectEmpty(&area)) return;
  const bool keyed = key != draw::kDefaultColour && !picture.has_alpha();
  if (!keyed && !faded) {
    picture.Draw(dc, area, draw::PictureLayout::kCentre, dpi);
    return;
  }
  const int w = area.right - area.left, h = area.bottom - area.top;
  draw::Bitmap layer = draw::Bitmap::Create(w, h);
  if (layer.empty()) return;
  draw::MemoryDc layer_dc(dc, layer.handle());
  if (!layer_dc) return;
  picture.Draw(layer_dc.get(), RECT{0, 0, w, h}, draw::PictureLayout::kCentre, dpi);
  GdiFlush();
  if (keyed) {
    const uint32_t rgb =
        (uint32_t(GetRValue(key)) << 16) | (uint32_t(GetGValue(key)) << 8) | GetBValue(key);
    for (int y = 0; y < h; ++y) {
      uint32_t* row = layer.row(y);
      for (int x = 0; x < w; ++x) {
        if ((row[x] & 0x00FFFFFF) == rgb) row[x] = 0;
      }
    }
  }
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, BYTE(faded ? 96 : 255), AC_SRC_ALPHA};
  AlphaBlend(dc, area.left, area.top, w, h, layer_dc.get(), 0, 0, w, h, blend);
}

// Where the picture and the caption go inside the content rectangle. A picture beside, above
// or below a caption that leaves it too little room is shown alone: the caption still is the
// button's text and its tooltip's business.
struct ContentPlaces {
  RECT picture;  // empty: no picture
  RECT text;     // empty: no caption
};

// `margin` and `min_picture` are kMargin and kMinPicture at the button's DPI.
ContentPlaces PlaceContent(const RECT& content, int alignment, SIZE text, bool has_picture,
                           bool has_text, int margin, int min_picture) {
  ContentPlaces p{content, content};
  if (!has_picture) {
    p.picture = RECT{};
    return p;
  }
  if (!has_text) {
    p.text = RECT{};
    return p;
  }
  const int w = content.right - content.left, h = content.bottom - content.top;
  const bool beside = alignment == kPictureLeft || alignment == kPictureRight;
  const int side = beside ? std::min(h, w - int(text.cx) - margin) : h - int(text.cy) - margin;
  if (side < min_picture) {
    p.text = RECT{};
    return p;
  }
  switch (alignment) {
    case kPictureLeft:
      p.picture.right = content.left + side;
      p.text.left = p.picture.right + margin;
      break;
    case kPictureRight:
      p.picture.left = content.right - side;
      p.text.right = p.picture.left - margin;
      break;
    case kPictureBelow:
      p.text.bottom = content.top + text.cy;
      p.picture.top = p.text.bottom + margin;
      break;
    default:
      p.picture.bottom = content.top + side;
      p.text.top = p.picture.bottom + margin;
      break;
  }
  return p;
}

class SuperBtn : public UnitWindow {
 public:
  SuperBtn(const CreateArgs& args, forms::SuperBtnData data)
      : UnitWindow(args.window_id, args.unit_id) {
    for (auto colour : kStateColours) data.*colour = StoredStateColour(data.*colour);
    s_.picture_size = std::max(0, std::min(args.width, args.height) - 2 * kMargin);
    for (int i = 0; i < 3; ++i) DecodePicture(data, i);
    s_.font = draw::Font::FromStored(data.font.data(), data.font.size());
    s_.text = Wide(data.caption);
    s_.data = std::move(data);
  }

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out) const { return GetStored(s_.data, index, out); }
  const forms::SuperBtnData& Snapshot() const { return s_.data; }
  void Show(int32_t index);
  void Repaint() { InvalidateRect(hwnd_, nullptr, FALSE); }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override;

 private:
  LRESULT OnDrawItem(LPARAM lp);
  LRESULT OnCommand(WPARAM wp);
  LRESULT OnMouseMove(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnMouseLeave(UINT msg, WPARAM wp, LPARAM lp);

  Look LookOf(UINT item_state) const;
  void Paint(HDC dc, const RECT& rect, UINT item_state);
  void DecodePicture(const forms::SuperBtnData& data, int i);

  void UpdateTooltip();

  SuperBtnState s_;
};

// The three looks often carry the same picture: it is decoded once, since an icon takes the
// system some milliseconds to decode, three times over before the window first shows.
void SuperBtn::DecodePicture(const forms::SuperBtnData& data, int i) {
  const forms::Bytes& bytes = PictureBytes(data, i);
  for (int j = 0; j < 3; ++j) {
    if (j != i && !bytes.empty() && !s_.pictures[j].empty() && PictureBytes(data, j) == bytes) {
      s_.pictures[i] = s_.pictures[j].Copy();
      return;
    }
  }
  s_.pictures[i] = draw::Picture::Decode(bytes.data(), bytes.size(), s_.picture_size, dpi());
}

// The font made for the DPI; the pictures take the icon image for the size they are drawn at
// as they are drawn.
void SuperBtn::OnDpiChanged() {
  s_.font = draw::Font::FromStored(s_.data.font.data(), s_.data.font.size(), dpi());
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(s_.font.handle()), FALSE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

Look SuperBtn::LookOf(UINT item_state) const {
  if ((item_state & ODS_SELECTED) || (s_.data.check_box_mode != 0 && s_.data.checked != 0)) {
    return kPressed;
  }
  return s_.hover && !(item_state & ODS_DISABLED) ? kHover : kNormal;
}

// Background and edge of the look, then the look's picture (picture 1 when it has none) and
// the caption, pushed one pixel right and down while pressed, and the focus rectangle.
void SuperBtn::Paint(HDC dc, const RECT& rect, UINT item_state) {
  const forms::SuperBtnData& d = s_.data;
  const Look look = LookOf(item_state);
  const bool disabled = (item_state & ODS_DISABLED) != 0;
  const Colours colours = ColoursFor(d, look, disabled);
  FillColour(dc, rect, colours.back);
  DrawEdgeFor(dc, rect, d.button_style, look, d.default_button != 0);

  RECT content = rect;
  InflateRect(&content, -Px(kMargin), -Px(kMargin));
  if (look == kPressed) OffsetRect(&content, Px(1), Px(1));
  const int shown = s_.pictures[look].empty() ? 0 : int(look);
  HGDIOBJ old_font = SelectObject(dc, s_.font.handle());
  // The caption is drawn on one line: its line breaks take no room and show nothing.
  const std::wstring text = draw::OneLine(s_.text);
  SIZE extent{};
  if (!text.empty()) GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &extent);
  ContentPlaces places =
      PlaceContent(content, d.picture_alignment, extent, !s_.pictures[shown].empty(), !text.empty(),
                   Px(kMargin), Px(kMinPicture));
  DrawPicture(dc, s_.pictures[shown], PictureColour(d, shown), disabled, places.picture, dpi());
  if (!IsRectEmpty(&places.text)) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colours.text);
    DrawTextW(dc, text.c_str(), int(text.size()), &places.text,
              DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS |
                  ((item_state & ODS_NOACCEL) ? DT_HIDEPREFIX : 0));
  }
  SelectObject(dc, old_font);
  if ((item_state & ODS_FOCUS) && !(item_state & ODS_NOFOCUSRECT)) {
    RECT focus = rect;
    InflateRect(&focus, -Px(kMargin), -Px(kMargin));
    DrawFocusRect(dc, &focus);
  }
}

LRESULT SuperBtn::OnDrawItem(LPARAM lp) {
  const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
  OffscreenDc dc(item->hDC, item->rcItem);
  Paint(dc.get(), item->rcItem, item->itemState);
  return TRUE;
}

// The second press of a quick double click arrives as BN_DOUBLECLICKED instead of a click;
// it is a click all the same.
LRESULT SuperBtn::OnCommand(WPARAM wp) {
  const WORD code = HIWORD(wp);
  if (code != BN_CLICKED && code != BN_DOUBLECLICKED) return 0;
  if (s_.data.check_box_mode != 0) {
    s_.data.checked = s_.data.checked != 0 ? 0 : 1;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  // Last: the handler may destroy the unit.
  Raise(kEventClick);
  return 0;
}

LRESULT SuperBtn::OnMouseMove(UINT msg, WPARAM wp, LPARAM lp) {
  if (!s_.hover) {
    s_.hover = true;
    TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, hwnd_, 0};
    TrackMouseEvent(&track);
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  return UnitWindow::Handle(msg, wp, lp);
}

LRESULT SuperBtn::OnMouseLeave(UINT msg, WPARAM wp, LPARAM lp) {
  if (s_.hover) {
    s_.hover = false;
    InvalidateRect(hwnd_, nullptr, FALSE);
  }
  return UnitWindow::Handle(msg, wp, lp);
}

void SuperBtn::Show(int32_t index) {
  switch (index) {
    case Own(prop::kPicture1):
    case Own(prop::kPicture2):
    case Own(prop::kPicture3):
      DecodePicture(s_.data, (index - Own(prop::kPicture1)) / 2);
      break;
    case Own(prop::kCaption):
      s_.text = Wide(s_.data.caption);
      SetWindowTextW(hwnd_, s_.text.c_str());
      break;
    case Own(prop::kFont):
      s_.font = draw::Font::FromStored(s_.data.font.data(), s_.data.font.size(), dpi());
      SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(s_.font.handle()), FALSE);
      break;
    case Own(prop::kTooltip):
      UpdateTooltip();
      return;
    default:
      break;
  }
  Repaint();
}

int SuperBtn::Changed(int32_t index, const PropertyValue& value) {
  if (index < kFirstStateColour || index > kLastStateColour) {
    return ChangeStored(*this, &s_.data, index, value);
  }
  // A state colour is held as the colour it paints with: the default one as the button face.
  PropertyValue colour = value;
  colour.i = int32_t(StoredStateColour(uint32_t(value.i)));
  return ChangeStored(*this, &s_.data, index, colour);
}

// The tool is the button itself, named by its own window on both sides so that it stays the
// same tool wherever the button is moved to.
void SuperBtn::UpdateTooltip() {
  if (s_.data.tooltip.empty()) {
    s_.tooltip.reset();
    return;
  }
  std::wstring text = Wide(s_.data.tooltip);
  TOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  tool.lpszText = &text[0];
  if (s_.tooltip.get() != nullptr) {
    SendMessageW(s_.tooltip.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    return;
  }
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  if (tip == nullptr) return;
  s_.tooltip.reset(tip);
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

LRESULT SuperBtn::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectBase + WM_DRAWITEM:
      return OnDrawItem(lp);
    case kReflectBase + WM_COMMAND:
      return OnCommand(wp);
    case WM_ERASEBKGND:
      return 1;  // the drawing covers the whole button
    case WM_MOUSEMOVE:
      return OnMouseMove(msg, wp, lp);
    case WM_MOUSELEAVE:
      return OnMouseLeave(msg, wp, lp);
    default:
      return UnitWindow::Handle(msg, wp, lp);
  }
}

UnitObject* SuperBtn::Create(const CreateArgs& args) {
  forms::SuperBtnData data;
  if (forms::ParseTypeDataAs(args.type_data, args.type_data_size, &data) !=
      forms::TypeDataStatus::kOk) {
    return nullptr;
  }
  auto* unit = new SuperBtn(args, std::move(data));
  // The default push button style and BS_OWNERDRAW are values of the same style field, so the
  // default button shows only in the drawing (its dark outline).
  if (!unit->CreateControl(L"BUTTON", unit->s_.data.caption.c_str(), args.style | BS_OWNERDRAW, 0,
                           args)) {
    delete unit;
    return nullptr;
  }
  SendMessageW(unit->hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(unit->s_.font.handle()), FALSE);
  unit->UpdateTooltip();
  return unit;
}

}  // namespace

void* SuperBtnInterface(int32_t op) {
  return ControlInterface<SuperBtn>(op);
}

}  // namespace rc
