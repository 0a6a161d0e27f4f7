#include "runtime/units/trans_label.h"

#include <string>
#include <utility>

#include "base/text_w.h"
#include "runtime/draw/colour.h"
#include "runtime/draw/font.h"
#include "runtime/units/control_support.h"
#include "runtime/units/drawn_unit.h"
#include "runtime/units/unit_window.h"

namespace rc {

constexpr std::array<PropertyEntry, kTransLabelPropertyCount> kTransLabelProperties =
    PropertyTable(props::trans_label::kOwn);

namespace {

namespace prop = props::trans_label;

constexpr wchar_t kClassName[] = L"TransLabel";

constexpr UINT kHorizontalFormats[3] = {DT_LEFT, DT_CENTER, DT_RIGHT};
constexpr UINT kVerticalFormats[3] = {DT_TOP, DT_VCENTER, DT_BOTTOM};

struct TransLabelState {
  forms::TransLabelData data;  // the properties as last written (the caption in GBK)
  std::wstring text;           // the caption as the window text and as painted
  draw::Font font;             // made whenever data.font changes, never per paint
};

// Texts are data (names from the class list), not menu captions: "&" is shown as it is.
UINT TextFormat(const forms::TransLabelData& data) {
  UINT format =
      DT_NOCLIP | DT_NOPREFIX | kHorizontalFormats[ClampTo(data.horizontal_alignment, 0, 2)];
  if (data.word_wrap != 0) return format | DT_WORDBREAK | DT_TOP;
  return format | DT_SINGLELINE | kVerticalFormats[ClampTo(data.vertical_alignment, 0, 2)];
}

// The window whose background shows through a label: up the parent chain to a pop-up window or
// one without parent.
HWND BackgroundWindowOf(HWND hwnd) {
  HWND top = hwnd;
  while ((GetWindowLongW(top, GWL_STYLE) & WS_POPUP) == 0) {
    HWND parent = GetParent(top);
    if (parent == nullptr) break;
    top = parent;
  }
  return top;
}

// The part of a window that can show on screen, in screen coordinates: its client rectangle
// cut by the client areas of its ancestors up to `top`. A label partly scrolled out of its
// container repaints only what shows of it, not the neighbours of the container.
RECT VisibleArea(HWND hwnd, HWND top) {
  RECT area;
  GetClientRect(hwnd, &area);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&area), 2);
  for (HWND parent = hwnd; parent != top && !IsRectEmpty(&area);) {
    parent = GetParent(parent);
    if (parent == nullptr) break;
    RECT client;
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    IntersectRect(&area, &area, &client);
  }
  return area;
}

class TransLabel : public UnitWindow {
 public:
  TransLabel(uint32_t window_id, uint32_t unit_id, forms::TransLabelData data)
      : UnitWindow(window_id, unit_id) {
    s_.text = Wide(data.caption);
    s_.font = draw::Font::FromStored(data.font.data(), data.font.size());
    s_.data = std::move(data);
  }

  using Data = forms::TransLabelData;
  static UnitObject* Create(const CreateArgs& args) {
    return CreateDrawnUnit<TransLabel>(args, kClassName);
  }
  // The caption is the window text; the window lets what lies behind it show.
  OwnWindowStyle Window() const { return {s_.data.caption.c_str(), 0, WS_EX_TRANSPARENT}; }
  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out) const;
  const forms::TransLabelData& Snapshot() const { return s_.data; }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  LRESULT OnPaint();
  LRESULT OnPlaceChanged(UINT msg, WPARAM wp, LPARAM lp);

  void SetCaption(const PropertyValue& value);
  void SetFont(const PropertyValue& value);
  template <class T>
  void SetLook(T* field, T value);
  void RepaintBehind();

  TransLabelState s_;
};

LRESULT TransLabel::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (!s_.text.empty()) {
    RECT client;
    GetClientRect(hwnd_, &client);
    HGDIOBJ old_font = SelectObject(dc, s_.font.handle());
    SetBkMode(dc, TRANSPARENT);
    DrawTextWithEffect(dc, s_.text, client, TextFormat(s_.data), s_.data.effect,
                       draw::ResolveColour(s_.data.text_colour));
    SelectObject(dc, old_font);
  }
  EndPaint(hwnd_, &ps);
  return 0;
}

// A resize is treated like a move: the text may land elsewhere inside the label, and what it
// covered before must not stay on screen.
LRESULT TransLabel::OnPlaceChanged(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = UnitWindow::Handle(msg, wp, lp);
  RepaintBehind();
  return r;
}

// The child of `top` on the way down to `hwnd`.
HWND ChildOfTopAbove(HWND hwnd, HWND top) {
  for (HWND parent = GetParent(hwnd); parent != nullptr && parent != top;
       parent = GetParent(parent)) {
    hwnd = parent;
  }
  return hwnd;
}

// The label has no background: whatever lies behind its rectangle is painted again first, in
// the order the window system paints (the top-level window, then every window that overlaps,
// from the bottom up and each parent before its children), and the text last, all at once.
// Nothing outside what shows of the label's rectangle is touched. The window server knows
// which windows lie there: asking it for them one sibling at a time was a round trip each,
// twenty a step for a banner label.
void TransLabel::RepaintBehind() {
  if (hwnd_ == nullptr || !IsWindowVisible(hwnd_)) return;
  HWND top = BackgroundWindowOf(hwnd_);
  RECT area = VisibleArea(hwnd_, top);
  if (top != hwnd_ && !IsRectEmpty(&area)) {
    // The label lies inside `area` with all that shows of it, so it is painted here too, and
    // after what lies behind it (the server paints a window without background after its
    // siblings).
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&area), 2);
    RedrawWindow(top, &area, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    // A top-level window that clips its children paints nothing of `area` where a child with a
    // background of its own covers it, as the one holding the label does: a paint of it would
    // change no pixel and cost a dozen round trips.
    HWND holder = ChildOfTopAbove(hwnd_, top);
    if (holder != hwnd_ && (GetWindowLongW(top, GWL_STYLE) & WS_CLIPCHILDREN) != 0 &&
        (GetWindowLongW(holder, GWL_EXSTYLE) & WS_EX_TRANSPARENT) == 0) {
      RedrawWindow(top, &area, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
    }
    // The label's own paint comes last, whatever order the server would give it.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  // Painted at once too, so that the background never shows without the text for a moment.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TransLabel::SetCaption(const PropertyValue& value) {
  if (!StoreText(&s_.data.caption, value)) return;
  s_.text = Wide(s_.data.caption);
  SetWindowTextW(hwnd_, s_.text.c_str());
  RepaintBehind();
}

void TransLabel::SetFont(const PropertyValue& value) {
  if (!StoreBytes(&s_.data.font, value)) return;
  s_.font = draw::Font::FromStored(s_.data.font.data(), s_.data.font.size());
  RepaintBehind();
}

template <class T>
void TransLabel::SetLook(T* field, T value) {
  if (*field == value) return;
  *field = value;
  RepaintBehind();
}

int TransLabel::Changed(int32_t index, const PropertyValue& value) {
  forms::TransLabelData& d = s_.data;
  switch (index) {
    case Own(prop::kCaption):
      SetCaption(value);
      break;
    case Own(prop::kEffect):
      SetLook(&d.effect, ClampTo(value.i, 0, 3));
      break;
    case Own(prop::kFont):
      SetFont(value);
      break;
    case Own(prop::kTextColour):
      SetLook(&d.text_colour, uint32_t(value.i));
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
    default:
      break;
  }
  return 0;
}

int TransLabel::Get(int32_t index, PropertyValue* out) const {
  const forms::TransLabelData& d = s_.data;
  switch (index) {
    case Own(prop::kCaption):
      TextValue(d.caption, out);
      return 1;
    case Own(prop::kEffect):
      out->i = d.effect;
      return 1;
    case Own(prop::kFont):
      BytesValue(d.font, out);
      return 1;
    case Own(prop::kTextColour):
      out->i = int32_t(d.text_colour);
      return 1;
    case Own(prop::kHorizontalAlignment):
      out->i = d.horizontal_alignment;
      return 1;
    case Own(prop::kWordWrap):
      out->i = d.word_wrap;
      return 1;
    case Own(prop::kVerticalAlignment):
      out->i = d.vertical_alignment;
      return 1;
    default:
      return 0;
  }
}

LRESULT TransLabel::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      return OnPaint();
    case WM_ERASEBKGND:
      return 1;  // nothing of its own behind the text
    case WM_MOVE:
    case WM_SIZE:
      return OnPlaceChanged(msg, wp, lp);
    default:
      return UnitWindow::Handle(msg, wp, lp);
  }
}

}  // namespace

void* TransLabelInterface(int32_t op) {
  return ControlInterface<TransLabel>(op);
}

}  // namespace rc
