// The `VScrollBar` unit type (core library, type 18): a native vertical scroll bar. The bar
// moves only when the unit moves it: the user's scrolling arrives reflected from the parent as
// WM_VSCROLL, and the new position, clamped into the range, is taken and reported (event 0) only
// when it differs from the one shown. Writing the position never raises the event.
//
// From a press of the left button to its release the native bar follows the mouse in a loop of
// its own, so the moves and the release it takes there never reach the message loop, nor the
// window's pre-translation that raises the common events. The unit watches that loop through a
// message filter hook and raises them itself: -6 for each move as it comes (a false result
// keeps the bar from following that move), and -2 once the bar is done with the release, after
// the position changes the release brought. The release is never kept from the bar: it must
// end its tracking.
#include <algorithm>

#include "runtime/units/control_support.h"
#include "runtime/units/native_controls.h"
#include "runtime/units/unit_window.h"
#include "runtime/units/unit_host.h"

namespace rc {

constexpr std::array<PropertyEntry, kVScrollBarPropertyCount> kVScrollBarProperties =
    PropertyTable(props::vscroll_bar::kOwn);

namespace {

namespace prop = props::vscroll_bar;

enum : int32_t {
  kEventPositionChanged = 0,
};

class VScrollBarUnit : public UnitWindow {
 public:
  VScrollBarUnit(const CreateArgs& args, const forms::VScrollBarData& data)
      : UnitWindow(args.window_id, args.unit_id), data_(data) {}

  static UnitObject* Create(const CreateArgs& args);
  int Changed(int32_t index, const PropertyValue& value) {
    return ChangeStored(*this, &data_, index, value);
  }
  int Get(int32_t index, PropertyValue* out) { return GetStored(data_, index, out) ? 1 : 0; }
  forms::VScrollBarData Snapshot() const { return data_; }
  void Show(int32_t index);

 private:
  int32_t Low() const { return std::min(data_.minimum, data_.maximum); }
  int32_t High() const { return std::max(data_.minimum, data_.maximum); }
  int32_t Shown() const { return std::clamp(data_.position, Low(), High()); }
  void ShowRange();
  // Where a scroll request of the user leads from the position shown.
  int32_t Target(WPARAM request) const;

  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  LRESULT OnScroll(WPARAM wp);
  LRESULT Track(UINT msg, WPARAM wp, LPARAM lp);

  // Minimum and maximum within 0..32767 (the range runs from the smaller to the larger), page
  // and line change within 1..32767, the position as written within 0..32767 (shown clamped
  // into the range, read back as written), and whether dragging the thumb scrolls at once.
  forms::VScrollBarData data_;
};

void VScrollBarUnit::ShowRange() {
  SetScrollRange(hwnd_, SB_CTL, Low(), High(), FALSE);
  SetScrollPos(hwnd_, SB_CTL, Shown(), TRUE);
}

void VScrollBarUnit::Show(int32_t index) {
  if (index == Own(prop::kPosition)) {
    SetScrollPos(hwnd_, SB_CTL, Shown(), TRUE);
  } else {
    ShowRange();
  }
}

int32_t VScrollBarUnit::Target(WPARAM request) const {
  int32_t shown = Shown();
  switch (LOWORD(request)) {
    case SB_LINEUP:
      return shown - data_.line_change;
    case SB_LINEDOWN:
      return shown + data_.line_change;
    case SB_PAGEUP:
      return shown - data_.page_change;
    case SB_PAGEDOWN:
      return shown + data_.page_change;
    case SB_THUMBTRACK:
      return data_.thumb_tracking ? int32_t(HIWORD(request)) : shown;
    case SB_THUMBPOSITION:
      return int32_t(HIWORD(request));
    case SB_TOP:
      return Low();
    case SB_BOTTOM:
      return High();
    default:  // SB_ENDSCROLL
      return shown;
  }
}

LRESULT VScrollBarUnit::OnScroll(WPARAM wp) {
  int32_t target = std::clamp(Target(wp), Low(), High());
  if (target == Shown()) return 0;
  data_.position = target;
  SetScrollPos(hwnd_, SB_CTL, target, TRUE);
  Raise(kEventPositionChanged);
  return 0;
}

// One tracking loop of a bar, from the press to the end of the loop. Trackings nest when a
// handler called from inside one starts another; the innermost is the one the loop runs for,
// and one hook serves them all.
class Tracking {
 public:
  Tracking(HWND bar, uint32_t window_id, uint32_t unit_id)
      : bar_(bar), window_id_(window_id), unit_id_(unit_id), outer_(current_) {
    if (outer_ == nullptr) {
      hook_ = SetWindowsHookExW(WH_MSGFILTER, &Filter, nullptr, GetCurrentThreadId());
    }
    current_ = this;
  }
  ~Tracking() {
    current_ = outer_;
    if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
  }
  Tracking(const Tracking&) = delete;
  Tracking& operator=(const Tracking&) = delete;

  // After the loop: the release it took, raised as the pre-translation would have raised it,
  // while the unit still stands. Uses nothing of the unit object, which a handler called from
  // inside the loop may have destroyed with its window.
  void RaiseRelease() {
    if (!released_) return;
    UnitObject* unit = Host().FindLiveObject(window_id_, unit_id_);
    if (unit == nullptr || unit->hwnd() != bar_) return;
    Host().RaiseCommonEvents(window_id_, unit_id_, &release_);
  }

 private:
  static LRESULT CALLBACK Filter(int code, WPARAM wp, LPARAM lp) {
    auto* msg = reinterpret_cast<MSG*>(lp);
    Tracking* t = current_;
    if (code == MSGF_SCROLLBAR && t != nullptr && msg != nullptr && msg->hwnd == t->bar_) {
      if (msg->message == WM_MOUSEMOVE) {
        if (Host().RaiseCommonEvents(t->window_id_, t->unit_id_, msg)) return 1;
      } else if (msg->message == WM_LBUTTONUP) {
        t->release_ = *msg;
        t->released_ = true;
      }
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }

  static Tracking* current_;
  HWND bar_;
  uint32_t window_id_;
  uint32_t unit_id_;
  Tracking* outer_;
  HHOOK hook_ = nullptr;
  bool released_ = false;
  MSG release_{};
};
Tracking* Tracking::current_ = nullptr;

LRESULT VScrollBarUnit::Track(UINT msg, WPARAM wp, LPARAM lp) {
  Tracking tracking(hwnd_, window_id_, unit_id_);
  LRESULT r = Default(msg, wp, lp);
  tracking.RaiseRelease();
  return r;
}

LRESULT VScrollBarUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kReflectBase + WM_VSCROLL:
      return OnScroll(wp);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return Track(msg, wp, lp);
    default:
      return Default(msg, wp, lp);
  }
}

UnitObject* VScrollBarUnit::Create(const CreateArgs& args) {
  forms::VScrollBarData data;
  if (!ReadTypeData(args, &data)) return nullptr;
  forms::FitStored(&data);
  auto* unit = new VScrollBarUnit(args, data);
  if (!unit->CreateControl(L"SCROLLBAR", "", args.style | SBS_VERT, 0, args)) {
    delete unit;
    return nullptr;
  }
  unit->ShowRange();
  return unit;
}

}  // namespace

void* VScrollBarInterface(int32_t op) {
  return ControlInterface<VScrollBarUnit>(op);
}

}  // namespace rc
