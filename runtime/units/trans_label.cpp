#include "runtime/units/trans_label.h"

#include <string>
#include <utility>
#include <vector>

#include "base/text_w.h"
#include "runtime/draw/kept_canvas.h"
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

// The part of `area` (in the client coordinates of `parent`) that can show on screen, in
// screen coordinates: cut by the client areas of `parent` and its ancestors up to `top`. A
// label partly scrolled out of its container repaints only what shows of it, not the
// neighbours of the container.
RECT VisibleArea(HWND parent, RECT area, HWND top) {
  MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&area), 2);
  for (HWND w = parent; w != nullptr && !IsRectEmpty(&area); w = GetParent(w)) {
    RECT client;
    GetClientRect(w, &client);
    MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&client), 2);
    IntersectRect(&area, &area, &client);
    if (w == top) break;
  }
  return area;
}

// Whether a paint of the window itself is still to come (one request; GetUpdateRect is two).
bool PaintPending(HWND hwnd) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const int kind = region != nullptr ? GetUpdateRgn(hwnd, region, FALSE) : ERROR;
  if (region != nullptr) DeleteObject(region);
  return kind != NULLREGION;
}

// A window's rectangle in its parent's client coordinates.
RECT PlaceOf(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
  return r;
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
    // A DC of its own: a cached one would be given back to the system at every move of the
    // label (a request to the window server and a look at the displays, under Wine).
    return CreateDrawnUnit<TransLabel>(args, kClassName, CS_OWNDC);
  }
  // The caption is the window text; the window lets what lies behind it show.
  OwnWindowStyle Window() const { return {s_.data.caption.c_str(), 0, WS_EX_TRANSPARENT}; }
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &s_.data, index, value);
  }
  int Get(int32_t index, PropertyValue* out) const { return GetStored(s_.data, index, out); }
  const forms::TransLabelData& Snapshot() const { return s_.data; }
  void Show(int32_t index);
  void Repaint() { RepaintBehind(); }

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  void OnDpiChanged() override {
    s_.font = draw::Font::FromStored(s_.data.font.data(), s_.data.font.size(), dpi());
    InvalidateRect(hwnd_, nullptr, FALSE);
  }

 private:
  LRESULT OnPaint();
  LRESULT OnPlaceChanging(WPARAM wp, LPARAM lp);
  LRESULT OnPlaceChanged(UINT msg, WPARAM wp, LPARAM lp);

  void RepaintBehind() { Repaint(place_); }
  void Repaint(const RECT& was);
  void RepaintArea(const RECT& area, bool label_too);
  bool PaintOverContainer(const RECT& uncovered);
  bool AloneOver(HWND container, const RECT& area);
  void DrawCaption(HDC dc, const RECT& rect) const;

  TransLabelState s_;
  RECT place_{};               // where the label is, in its parent's client coordinates
  draw::KeptCanvas backdrop_;  // the container's background and the text, painted off screen
  // The other windows of the label's container, as they were when the windows change count
  // was `changes`.
  struct {
    HWND container = nullptr;
    uint32_t changes = 0;
    std::vector<HWND> windows;
  } neighbours_;
};

void TransLabel::DrawCaption(HDC dc, const RECT& rect) const {
  if (s_.text.empty()) return;
  HGDIOBJ old_font = SelectObject(dc, s_.font.handle());
  SetBkMode(dc, TRANSPARENT);
  DrawTextWithEffect(dc, s_.text, rect, TextFormat(s_.data), s_.data.effect,
                     draw::ResolveColour(s_.data.text_colour), dpi());
  SelectObject(dc, old_font);
}

LRESULT TransLabel::OnPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  DrawCaption(dc, client);
  EndPaint(hwnd_, &ps);
  return 0;
}

// A move alone is repainted by the label itself, where it was and where it is (OnPlaceChanged):
// the window system would repaint both again.
LRESULT TransLabel::OnPlaceChanging(WPARAM wp, LPARAM lp) {
  auto* pos = reinterpret_cast<WINDOWPOS*>(lp);
  constexpr UINT kMoveAlone = SWP_NOSIZE | SWP_NOZORDER;
  constexpr UINT kMore = SWP_NOMOVE | SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED;
  if ((pos->flags & (kMoveAlone | kMore)) == kMoveAlone) {
    pos->flags |= SWP_NOREDRAW | SWP_NOCOPYBITS;
  }
  return UnitWindow::Handle(WM_WINDOWPOSCHANGING, wp, lp);
}

// A resize is treated like a move: the text may land elsewhere inside the label, and what it
// covered before must not stay on screen.
LRESULT TransLabel::OnPlaceChanged(UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT r = UnitWindow::Handle(msg, wp, lp);
  const RECT was = place_;
  place_ = PlaceOf(hwnd_);
  Repaint(IsRectEmpty(&was) ? place_ : was);
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

// What the label showed at `was` and shows now is painted again. When its container can paint
// its background into a DC and nothing else of the container lies there, the label paints
// the container's background and its text itself, at once, and the strip it uncovered when
// it moved with the container's background alone.
void TransLabel::Repaint(const RECT& was) {
  if (hwnd_ == nullptr || !IsWindowVisible(hwnd_)) return;
  RECT uncovered, shared;
  if (!SubtractRect(&uncovered, &was, &place_)) SetRectEmpty(&uncovered);
  // A move by more than the label's size or along both axes uncovers no rectangle: the old
  // place then comes back whole, under the new one.
  const bool apart = !IntersectRect(&shared, &uncovered, &place_);
  // A paint of the container still to come (something uncovered in it) would paint over the
  // label after it painted itself: the windows there then paint in their order.
  HWND container = GetParent(hwnd_);
  if (apart && AloneOver(container, was) && !PaintPending(container) &&
      PaintOverContainer(uncovered)) {
    return;
  }
  RECT both;
  UnionRect(&both, &was, &place_);
  RepaintArea(both, true);
}

// Whether no other window of the container shows over `area` or the label's place: the label
// would paint the container's background over it. The container's windows are listed again
// only when windows were made or went since.
bool TransLabel::AloneOver(HWND container, const RECT& area) {
  const uint32_t changes = UnitWindow::WindowsChangeCount();
  if (neighbours_.container != container || neighbours_.changes != changes) {
    neighbours_.container = container;
    neighbours_.changes = changes;
    neighbours_.windows.clear();
    for (HWND w = GetWindow(container, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      if (w != hwnd_) neighbours_.windows.push_back(w);
    }
  }
  RECT reach;
  UnionRect(&reach, &area, &place_);
  for (HWND w : neighbours_.windows) {
    if (!IsWindowVisible(w)) continue;
    RECT r = PlaceOf(w), shared;
    if (IntersectRect(&shared, &r, &reach)) return false;
  }
  return true;
}

// The container's background with the text over it, painted off screen and copied into what
// shows of the label in one go, and the background alone into what shows of `uncovered`
// (container coordinates). False, with nothing painted, when the container cannot paint its
// background.
bool TransLabel::PaintOverContainer(const RECT& uncovered) {
  HWND container = GetParent(hwnd_);
  UnitWindow* unit = UnitWindow::FromHwnd(container);
  if (unit == nullptr) return false;
  HDC dc = GetDC(hwnd_);
  if (dc == nullptr) return false;
  // What shows of the label, in the container's coordinates: the box a paint of the label
  // would be clipped to, so that what reads the pixels behind the text reads the same ones.
  RECT client, shown, strip;
  GetClientRect(container, &client);
  if (GetClipBox(dc, &shown) == NULLREGION) SetRectEmpty(&shown);
  OffsetRect(&shown, place_.left, place_.top);
  const bool shows = IntersectRect(&shown, &shown, &client) != 0;
  const bool uncovers = IntersectRect(&strip, &uncovered, &client) != 0;
  bool painted = true;
  if (shows || uncovers) {
    HDC back = backdrop_.For(dc, SIZE{client.right, client.bottom});
    // Each layer in a clean DC of its own, clipped to what it is for: what the container's
    // paint leaves selected is not the text's business.
    auto layer = [&](const RECT& clip, auto paint) {
      const int saved = SaveDC(back);
      IntersectClipRect(back, clip.left, clip.top, clip.right, clip.bottom);
      const bool done = paint();
      RestoreDC(back, saved);
      return done;
    };
    RECT reach;
    UnionRect(&reach, &shown, &strip);
    painted = back != nullptr && layer(reach, [&] { return unit->PaintBehindChildren(back); });
    if (painted && shows) {
      layer(shown, [&] {
        DrawCaption(back, place_);
        return true;
      });
      BitBlt(dc, shown.left - place_.left, shown.top - place_.top, shown.right - shown.left,
             shown.bottom - shown.top, back, shown.left, shown.top, SRCCOPY);
    }
    // Through the container's DC, which leaves out what lies above the container as its own
    // paint would.
    HDC under = painted && uncovers ? GetDC(container) : nullptr;
    if (under != nullptr) {
      BitBlt(under, strip.left, strip.top, strip.right - strip.left, strip.bottom - strip.top, back,
             strip.left, strip.top, SRCCOPY);
      ReleaseDC(container, under);
    }
  }
  ReleaseDC(hwnd_, dc);
  return painted;
}

// The label has no background: whatever lies behind `area` (in its parent's client
// coordinates) is painted again first, in the order the window system paints (the top-level
// window, then every window that overlaps, from the bottom up and each parent before its
// children), and, with `label_too`, the text last, all at once. Nothing outside what shows of
// `area` is touched. The window server knows which windows lie there: asking it for them one
// sibling at a time was a round trip each, twenty a step for a banner label.
void TransLabel::RepaintArea(const RECT& area, bool label_too) {
  HWND top = BackgroundWindowOf(hwnd_);
  RECT shown = VisibleArea(GetParent(hwnd_), area, top);
  if (top != hwnd_ && !IsRectEmpty(&shown)) {
    // With `label_too` the label lies inside `shown` with all that shows of it, so it is
    // painted here too, and after what lies behind it (the server paints a window without
    // background after its siblings).
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT*>(&shown), 2);
    RedrawWindow(top, &shown, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    // A top-level window that clips its children paints nothing of `shown` where a child with
    // a background of its own covers it, as the one holding the label does: a paint of it
    // would change no pixel and cost a dozen round trips.
    HWND holder = ChildOfTopAbove(hwnd_, top);
    if (holder != hwnd_ && (GetWindowLongW(top, GWL_STYLE) & WS_CLIPCHILDREN) != 0 &&
        (GetWindowLongW(holder, GWL_EXSTYLE) & WS_EX_TRANSPARENT) == 0) {
      RedrawWindow(top, &shown, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
    }
    // The label's own paint comes last, whatever order the server would give it.
    if (label_too) RedrawWindow(hwnd_, nullptr, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
    RedrawWindow(top, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  // Painted at once too, so that the background never shows without the text for a moment.
  if (label_too) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TransLabel::Show(int32_t index) {
  switch (index) {
    case Own(prop::kCaption):
      s_.text = Wide(s_.data.caption);
      SetWindowTextW(hwnd_, s_.text.c_str());
      break;
    case Own(prop::kFont):
      s_.font = draw::Font::FromStored(s_.data.font.data(), s_.data.font.size(), dpi());
      break;
    default:
      break;
  }
  RepaintBehind();
}

LRESULT TransLabel::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      return OnPaint();
    case WM_ERASEBKGND:
      return 1;  // nothing of its own behind the text
    case WM_WINDOWPOSCHANGING:
      return OnPlaceChanging(wp, lp);
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
