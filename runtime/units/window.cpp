#include "runtime/units/window.h"

#include <mmsystem.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/text_w.h"
#include "forms/type_data.h"
#include "runtime/draw/colour.h"
#include "runtime/draw/dpi.h"
#include "runtime/draw/picture.h"
#include "runtime/units/control_support.h"
#include "runtime/units/unit_host.h"
#include "runtime/units/unit_window.h"
#include "runtime/units/window_music.h"

namespace rc {

constexpr std::array<PropertyEntry, kWindowPropertyCount> kWindowProperties =
    PropertyTable(props::window::kOwn);

namespace {

namespace prop = props::window;

constexpr char kDefaultClassName[] = "WTWindow";

// The frame style bits the window unit's properties decide.
constexpr DWORD kFrameStyles = WS_CAPTION | WS_SYSMENU | WS_DLGFRAME | WS_BORDER | WS_THICKFRAME |
                               WS_MAXIMIZEBOX | WS_MINIMIZEBOX;
constexpr DWORD kFrameExStyles = WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE;

FrameStyles FrameStylesOf(const forms::WindowData& data) {
  FrameStyles f;
  int border = data.border_style;
  if (border != 0) {
    if (!data.title.empty() || data.control_box) {
      f.style |= WS_CAPTION;
      if (data.control_box) f.style |= WS_SYSMENU;
    }
    f.style |= WS_DLGFRAME;
    if (border == 1 || border == 3 || border == 5) f.style |= WS_THICKFRAME;
    if (border == 3 || border == 4) f.ex_style |= WS_EX_TOOLWINDOW;
    if (border == 5 || border == 6) f.ex_style |= WS_EX_CLIENTEDGE;
  }
  if (data.max_button) f.style |= WS_MAXIMIZEBOX;
  if (data.min_button) f.style |= WS_MINIMIZEBOX;
  return f;
}

// Picture mode of the background picture: 0 top-left, 1 tiled, 2 centred (shrunk to fit),
// 3 stretched over the client area.
draw::PictureLayout BackgroundLayout(int mode) {
  switch (mode) {
    case 0:
      return draw::PictureLayout::kTopLeft;
    case 2:
      return draw::PictureLayout::kCentre;
    case 3:
      return draw::PictureLayout::kStretch;
    default:
      return draw::PictureLayout::kTile;
  }
}

// A window of the class its record names, on the trampoline every unit window shares. Two
// things set it apart from the other units there: it passes the focus on to its units and
// reports only the focus it keeps itself (FocusEventDue), and a window that dies while it is
// being made leaves its object to the create operation (DeletedWithWindow).
class WindowUnit : public UnitWindow {
 public:
  WindowUnit(uint32_t window_id, uint32_t unit_id, forms::WindowData data)
      : UnitWindow(window_id, unit_id), data_(std::move(data)) {}

  static UnitObject* Create(const CreateArgs& args);

  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out);
  void* Save(uint32_t* size) const;
  bool PreTranslate(MSG* msg);

  bool always_on_top() const { return data_.always_on_top != 0; }
  bool closing() const { return closing_; }
  void set_closing() { closing_ = true; }
  // Destroys the native window, which deletes this object: nothing may touch it afterwards.
  void Close();
  void SetTopmost(bool on);
  // Lays the window and its units out anew at another DPI: the window at `suggested` (screen
  // pixels) or, without one, at its own place and size at the new DPI; each unit at its place.
  void LayOut(int dpi, const RECT* suggested);

 protected:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
  bool FocusEventDue(bool gained) override;
  bool DeletedWithWindow() const override { return opened_; }

 private:
  // Raises an event of the window; true when a handler ran and returned false.
  bool RaiseRefused(int32_t event);
  // After a change of place, size or visibility: tells a change of the show state.
  bool Shown() const;
  void FollowShowState();
  void ApplyFrame();
  void ApplyIcons();
  void ApplyStartPosition();
  void DecodePicture();
  void StartMusic() { music_.Start(hwnd_, data_.background_music, data_.music_play_count); }
  void EraseBackground(HDC dc);
  // WM_SETFOCUS: the focus goes on to a unit when one takes it; false when the window keeps it.
  bool PassFocusOn();
  // Window keys and dragging after the common events: true when the message was used.
  bool WindowInput(MSG* msg, HWND target, uint32_t type_flags);
  void MoveFocus(HWND from, bool backwards);

  forms::WindowData data_;
  draw::Picture picture_;
  draw::Icon big_icon_;
  draw::Icon small_icon_;
  WindowMusic music_;
  HWND last_focus_ = nullptr;    // the unit that had the focus when the window was deactivated
  bool focus_reported_ = false;  // the window itself got -7 and not yet -8
  bool focus_kept_ = false;      // the last WM_SETFOCUS left the focus on the window
  bool opened_ = false;          // events 3 and 4 of the load are raised by the loader
  bool closing_ = false;         // DestroyUnit asked for a close that has not happened yet
  bool ever_shown_ = false;      // the show state is told from the first show on
  bool shown_told_ = false;      // the last state told (or the first show): visible, not minimised
  bool away_posted_ = false;     // a kShowStateMessage is in the queue
};

// The program's own icon: the first icon group of the program module, or the system's
// application icon when it has none.
BOOL CALLBACK FirstIconGroup(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR found) {
  *reinterpret_cast<LPCWSTR*>(found) = name;
  return FALSE;
}
HICON ProgramIcon(int size) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  LPCWSTR group = nullptr;
  EnumResourceNamesW(inst, MAKEINTRESOURCEW(14), FirstIconGroup,
                     reinterpret_cast<LONG_PTR>(&group));
  HANDLE icon = nullptr;
  if (group != nullptr) icon = LoadImageW(inst, group, IMAGE_ICON, size, size, LR_SHARED);
  if (icon == nullptr) icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));
  return static_cast<HICON>(icon);
}

UnitObject* WindowUnit::Create(const CreateArgs& args) {
  forms::WindowData data;
  if (forms::ParseTypeDataAs(args.type_data, args.type_data_size, &data) !=
      forms::TypeDataStatus::kOk) {
    return nullptr;
  }
  FrameStyles frame = FrameStylesOf(data);
  DWORD style = WS_POPUP | WS_CLIPCHILDREN | (args.style & WS_DISABLED) | frame.style;

  // Laid at the DPI of the window it belongs to, or the system's; the window system may yet
  // put it on a monitor of another (checked once it exists).
  const int dpi =
      args.parent_window != nullptr ? draw::DpiOf(args.parent_window) : draw::SystemDpi();
  const RECT outer = draw::ScaleRect(args.left, args.top, args.width, args.height, dpi, true);
  const SIZE size{outer.right - outer.left, outer.bottom - outer.top};
  int x = outer.left;
  int y = outer.top;
  switch (data.start_position) {
    case 1:
      x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
      break;
    case 2:
      style |= WS_MINIMIZE;
      break;
    case 3:
      if (style & WS_THICKFRAME) style |= WS_MAXIMIZE;
      break;
    default:
      break;
  }
  // A window without parent that wants no taskbar button is owned by the hidden runtime window.
  HWND owner = args.parent_window;
  if (owner == nullptr && !data.taskbar_button) owner = args.runtime_window;

  std::wstring class_name = Wide(data.class_name.empty() ? kDefaultClassName : data.class_name);
  if (!RegisterUnitClass(class_name.c_str(), CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW)) return nullptr;
  auto* unit = new WindowUnit(args.window_id, args.unit_id, std::move(data));
  // Until it is opened, the object stays when its window dies (DeletedWithWindow): it is
  // deleted here.
  if (!unit->CreateTopLevel(class_name.c_str(), unit->data_.title.c_str(), style, frame.ex_style,
                            POINT{x, y}, size, owner, dpi)) {
    delete unit;
    return nullptr;
  }
  HWND hwnd = unit->hwnd_;
  draw::SetLaidDpi(hwnd, dpi);
  RECT r;
  GetWindowRect(hwnd, &r);
  if (r.right - r.left != size.cx || r.bottom - r.top != size.cy) {
    SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  draw::SetLaidDpi(hwnd, 0);
  const int own_dpi = draw::DpiOf(hwnd);
  if (own_dpi != dpi) unit->LayOut(own_dpi, nullptr);
  draw::SetLaidDpi(hwnd, own_dpi);
  unit->ApplyIcons();
  unit->DecodePicture();
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  if (unit->data_.always_on_top) unit->SetTopmost(true);
  if (!unit->data_.movable) DeleteMenu(GetSystemMenu(hwnd, FALSE), SC_MOVE, MF_BYCOMMAND);
  unit->StartMusic();
  unit->opened_ = true;
  return unit;
}

LRESULT WindowUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  LRESULT reflected = 0;
  if (ReflectNotification(hwnd, msg, wp, lp, &reflected)) return reflected;
  switch (msg) {
    case WM_CLOSE:
      if (RaiseRefused(kEventWindowCloseRequested)) return 0;
      Host().EnableWindowsDisabledFor(window_id_);
      DestroyWindow(hwnd);
      return 0;
    case kShowStateMessage:
      away_posted_ = false;
      if (shown_told_ && !Shown()) {
        shown_told_ = false;
        Raise(kEventWindowShowState, {0u});
      }
      return 0;
    case kCloseWindowMessage:
      // A stale request (the window was loaded anew meanwhile) finds no mark.
      if (closing_) Close();
      return 0;
    case WM_QUERYENDSESSION:
      return RaiseRefused(kEventWindowCloseRequested) ? FALSE : TRUE;
    case WM_DPICHANGED:
      LayOut(LOWORD(wp), reinterpret_cast<const RECT*>(lp));
      return 0;
    case WM_DESTROY: {
      draw::SetLaidDpi(hwnd, 0);
      LRESULT r = Default(msg, wp, lp);
      music_.Stop();
      Raise(kEventWindowDestroyed);
      return r;
    }
    case WM_ERASEBKGND:
      EraseBackground(reinterpret_cast<HDC>(wp));
      return 1;
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd, focus)) last_focus_ = focus;
      }
      break;
    case WM_SETFOCUS:
      focus_kept_ = !PassFocusOn();
      return 0;
    case WM_KILLFOCUS:
      return 0;
    case WM_HOTKEY:
      Raise(kEventWindowHotKey, {uint32_t(wp)});
      return 0;
    case MM_MCINOTIFY:
      music_.OnNotify(hwnd, wp);
      return 0;
    case WM_MOVE:
      if (opened_) Raise(kEventWindowMoved);
      break;
    case WM_SIZE:
      if (opened_) Raise(kEventWindowResized);
      break;
    case WM_CONTEXTMENU: {
      // A window without a handler for it keeps the system's own answer.
      const POINT at{int16_t(LOWORD(lp)), int16_t(HIWORD(lp))};
      uint32_t under = 0;
      if (lp != -1) {
        POINT client = at;
        ScreenToClient(hwnd, &client);
        HWND child = ChildWindowFromPointEx(hwnd, client, CWP_SKIPINVISIBLE);
        if (child != nullptr && child != hwnd) {
          if (UnitObject* unit = Host().FindUnitByHwnd(window_id_, child)) under = unit->unit_id();
        }
      }
      if (Raise(kEventWindowContextMenu, {uint32_t(at.x), uint32_t(at.y), under})) return 0;
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      // After the default, which sends the size and move messages of the change.
      const LRESULT r = Default(msg, wp, lp);
      if (opened_) FollowShowState();
      return r;
    }
    default:
      break;
  }
  return Default(msg, wp, lp);
}

// The keyboard focus goes on to a unit, as in a dialog: the one that had it when the window
// was last deactivated, or the first unit that takes the focus by the Tab key. Only a window
// without such a unit keeps the focus (and gets the focus event itself).
bool WindowUnit::PassFocusOn() {
  HWND target = nullptr;
  if (last_focus_ != nullptr && IsChild(hwnd_, last_focus_) && IsWindowVisible(last_focus_) &&
      IsWindowEnabled(last_focus_)) {
    target = last_focus_;
  } else {
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (target != nullptr &&
        (!IsChild(hwnd_, target) || !(GetWindowLongW(target, GWL_STYLE) & WS_TABSTOP) ||
         !IsWindowVisible(target) || !IsWindowEnabled(target))) {
      target = nullptr;
    }
  }
  if (target == nullptr) return false;
  SetFocus(target);
  return true;
}

// The window reports the focus only when it kept it, and its loss only after that report: a
// focus that passed straight on to a unit is that unit's event alone.
bool WindowUnit::FocusEventDue(bool gained) {
  if (!gained) return std::exchange(focus_reported_, false);
  if (!std::exchange(focus_kept_, false)) return false;
  focus_reported_ = true;
  return true;
}

void WindowUnit::EraseBackground(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  HBRUSH brush = CreateSolidBrush(draw::ResolveColour(data_.background_colour));
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  if (!picture_.empty()) picture_.Draw(dc, r, BackgroundLayout(data_.picture_mode), dpi());
}

bool WindowUnit::RaiseRefused(int32_t event) {
  bool returned = false;
  uint32_t result = 0;
  Raise(event, {}, &returned, &result);
  return returned && result == 0;
}

// What a window knows of itself is asked without a round trip to the window server, so this is
// cheap enough for every change of place. Shown again is told at once, so that what the window
// shows is brought up to date before it is painted.
bool WindowUnit::Shown() const {
  return IsWindowVisible(hwnd_) && !IsIconic(hwnd_);
}

void WindowUnit::FollowShowState() {
  const bool shown = Shown();
  if (!ever_shown_) {
    ever_shown_ = shown_told_ = shown;
  } else if (shown && !shown_told_) {
    shown_told_ = true;
    Raise(kEventWindowShowState, {1u});
  } else if (!shown && shown_told_ && !std::exchange(away_posted_, true)) {
    PostMessageW(hwnd_, kShowStateMessage, 0, 0);
  }
}

BOOL CALLBACK CollectUnitWindow(HWND child, LPARAM list) {
  if (UnitWindow::FromHwnd(child) != nullptr) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  }
  return TRUE;
}

// Every unit's place in design pixels is taken before anything moves, at the DPI it was laid
// at; then the window takes its new rectangle and each unit its place and what it draws with
// at the new DPI. Nothing else changes: timers, captions, what is shown and what runs go on.
void WindowUnit::LayOut(int new_dpi, const RECT* suggested) {
  const int old_dpi = dpi();
  if (new_dpi <= 0 || new_dpi == old_dpi) return;
  struct Placed {
    HWND hwnd;
    draw::LogicalRect at;
  };
  std::vector<HWND> children;
  EnumChildWindows(hwnd_, CollectUnitWindow, reinterpret_cast<LPARAM>(&children));
  std::vector<Placed> units;
  for (HWND child : children) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    units.push_back({child, draw::UnscaleRect(r, old_dpi)});
  }
  RECT outer;
  if (suggested != nullptr) {
    outer = *suggested;
  } else {
    GetWindowRect(hwnd_, &outer);
    const draw::LogicalRect at = draw::UnscaleRect(outer, old_dpi, true);
    outer = draw::ScaleRect(at.left, at.top, at.width, at.height, new_dpi, true);
  }
  draw::SetLaidDpi(hwnd_, new_dpi);
  SetDpi(new_dpi);
  SetWindowPos(hwnd_, nullptr, outer.left, outer.top, outer.right - outer.left,
               outer.bottom - outer.top, SWP_NOZORDER | SWP_NOACTIVATE);
  for (const Placed& unit : units) {
    const RECT r =
        draw::ScaleRect(unit.at.left, unit.at.top, unit.at.width, unit.at.height, new_dpi);
    SetWindowPos(unit.hwnd, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (UnitWindow* object = UnitWindow::FromHwnd(unit.hwnd)) object->SetDpi(new_dpi);
  }
  ApplyIcons();
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void WindowUnit::Close() {
  closing_ = false;
  // Enabled before the window goes, so that activation can return to them.
  Host().EnableWindowsDisabledFor(window_id_);
  DestroyWindow(hwnd_);
}

// Wine restacks a popup window after the windows it owns, and a window put after a tooltip
// (topmost, owned by the window of its button) stays out of the topmost band: the owned windows
// are let go while the window moves, and taken back.
void WindowUnit::SetTopmost(bool on) {
  std::vector<HWND> owned;
  if (on) {
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
      if (GetWindow(w, GW_OWNER) == hwnd_) owned.push_back(w);
    }
  }
  for (HWND w : owned) SetWindowLongPtrW(w, GWLP_HWNDPARENT, 0);
  SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (HWND w : owned) SetWindowLongPtrW(w, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(hwnd_));
}

void WindowUnit::ApplyFrame() {
  ApplyFrameStyles(hwnd_, FrameStylesOf(data_), kFrameStyles, kFrameExStyles);
}

void WindowUnit::ApplyIcons() {
  // The system's sizes at the system's DPI, scaled to the window's.
  const int big = MulDiv(GetSystemMetrics(SM_CXICON), dpi(), draw::SystemDpi());
  const int small = MulDiv(GetSystemMetrics(SM_CXSMICON), dpi(), draw::SystemDpi());
  big_icon_ = draw::MakeIconFromFile(data_.icon.data(), data_.icon.size(), big);
  small_icon_ = draw::MakeIconFromFile(data_.icon.data(), data_.icon.size(), small);
  HICON big_handle = big_icon_.empty() ? ProgramIcon(big) : big_icon_.handle();
  HICON small_handle = small_icon_.empty() ? ProgramIcon(small) : small_icon_.handle();
  SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_handle));
  SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_handle));
}

void WindowUnit::ApplyStartPosition() {
  if (!IsWindowVisible(hwnd_)) return;
  switch (data_.start_position) {
    case 1: {
      if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      RECT r;
      GetWindowRect(hwnd_, &r);
      int x = (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2;
      int y = (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2;
      SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case 2:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case 3:
      ShowWindow(hwnd_, SW_MAXIMIZE);
      break;
    default:
      if (IsIconic(hwnd_) || IsZoomed(hwnd_)) ShowWindow(hwnd_, SW_RESTORE);
      break;
  }
}

void WindowUnit::DecodePicture() {
  picture_ =
      draw::Picture::Decode(data_.background_picture.data(), data_.background_picture.size());
}

// A window applies every write, also of the value it has: a title written again lays out the
// frame again, music written again plays from the start.
int WindowUnit::Changed(int32_t index, const PropertyValue& value) {
  // The sound that plays may be the very bytes replaced here: it stops first.
  if (index == Own(prop::kBackgroundMusic)) music_.Stop();
  WriteStored(&data_, index, value);
  switch (index) {
    case Own(prop::kTitle):
      SetWindowTextW(hwnd_, Wide(data_.title).c_str());
      ApplyFrame();  // an empty title without control box has no title bar
      break;
    case Own(prop::kBorderStyle):
    case Own(prop::kControlBox):
    case Own(prop::kMaximiseButton):
    case Own(prop::kMinimiseButton):
      ApplyFrame();
      break;
    case Own(prop::kBackgroundColour):
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case Own(prop::kBackgroundPicture):
      DecodePicture();
      InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case Own(prop::kPictureMode):
      if (!picture_.empty()) InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case Own(prop::kBackgroundMusic):
    case Own(prop::kMusicPlayCount):
      StartMusic();
      break;
    case Own(prop::kStartPosition):
      ApplyStartPosition();
      break;
    case Own(prop::kMovable):
      // Resetting the system menu brings Move back; a window that is not movable loses it.
      GetSystemMenu(hwnd_, TRUE);
      if (!data_.movable) DeleteMenu(GetSystemMenu(hwnd_, FALSE), SC_MOVE, MF_BYCOMMAND);
      break;
    case Own(prop::kIcon):
      ApplyIcons();
      break;
    case Own(prop::kAlwaysOnTop):
      SetTopmost(data_.always_on_top != 0);
      if (data_.always_on_top) break;
      // A window leaving the topmost band takes the windows it owns, and its owner, with it:
      // those that asked to stay on top are put back.
      for (uint32_t id : Host().LiveWindowIds()) {
        auto* other = dynamic_cast<WindowUnit*>(Host().FindLiveObject(id, 0));
        if (other != nullptr && other != this && other->always_on_top()) other->SetTopmost(true);
      }
      break;
    default:
      break;
  }
  return 0;
}

int WindowUnit::Get(int32_t index, PropertyValue* out) {
  if (index == Own(prop::kTitle)) {
    int n = GetWindowTextLengthW(hwnd_);
    std::wstring title(size_t(n) + 1, L'\0');
    title.resize(size_t(GetWindowTextW(hwnd_, &title[0], n + 1)));
    data_.title = Gbk(title);
  }
  return GetStored(data_, index, out) ? 1 : 0;
}

void* WindowUnit::Save(uint32_t* size) const {
  return SaveTypeData(data_, size);
}

// The window's message pre-translation, for every message to the window or one of its units:
// the unit type's own pre-translation, then the unit's common events, then the window's keys.
bool WindowUnit::PreTranslate(MSG* msg) {
  const uint32_t window_id = window_id_;
  UnitHost& host = Host();
  UnitObject* target = host.FindUnitByHwnd(window_id, msg->hwnd);
  if (target == nullptr) return false;
  const uint32_t unit_id = target->unit_id();
  HWND target_hwnd = target->hwnd();
  if (target != this) {
    auto pre =
        reinterpret_cast<PreTranslateOp>(host.UnitOperation(window_id, unit_id, kOpPreTranslate));
    if (pre != nullptr && pre(target, msg) != 0) return true;
  }
  if (host.RaiseCommonEvents(window_id, unit_id, msg)) return true;
  // A handler may have closed the window meanwhile.
  if (host.FindLiveObject(window_id, 0) != this || !IsWindow(target_hwnd)) return false;
  const DataTypeDescriptor* type = host.UnitType(window_id, unit_id);
  return WindowInput(msg, target_hwnd, type != nullptr ? type->flags : 0);
}

bool WindowUnit::WindowInput(MSG* msg, HWND target, uint32_t type_flags) {
  auto wants = [&](UINT code) {
    return (SendMessageW(target, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg)) &
            (code | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) != 0;
  };
  switch (msg->message) {
    case WM_KEYDOWN:
      switch (msg->wParam) {
        case VK_ESCAPE:
          if (!data_.esc_closes) return false;
          PostMessageW(hwnd_, WM_CLOSE, 0, 0);
          return true;
        case VK_F1:
          if (!data_.f1_opens_help || data_.help_file.empty()) return false;
          WinHelpW(hwnd_, Wide(data_.help_file).c_str(), HELP_CONTEXT,
                   ULONG_PTR(data_.help_context));
          return true;
        case VK_RETURN:
          if (!data_.enter_moves_focus || target == hwnd_ || wants(0)) return false;
          MoveFocus(target, false);
          return true;
        case VK_TAB:
          if (GetKeyState(VK_CONTROL) < 0 || (target != hwnd_ && wants(DLGC_WANTTAB))) return false;
          MoveFocus(target, GetKeyState(VK_SHIFT) < 0);
          return true;
        default:
          return false;
      }
    case WM_LBUTTONDOWN:
      if (!data_.drag_anywhere || IsZoomed(hwnd_)) return false;
      if (target != hwnd_ && !(type_flags & kTypeDragsWindow)) return false;
      ReleaseCapture();
      SendMessageW(hwnd_, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      return true;
    default:
      return false;
  }
}

void WindowUnit::MoveFocus(HWND from, bool backwards) {
  HWND next = GetNextDlgTabItem(hwnd_, from == hwnd_ ? nullptr : from, backwards);
  if (next != nullptr && next != from) SetFocus(next);
}

UnitObject* CreateOperation(const CreateArgs& args) {
  return WindowUnit::Create(args);
}
int ChangedOperation(UnitObject* unit, int32_t index, const PropertyValue& value, int*) {
  return static_cast<WindowUnit*>(unit)->Changed(index, value);
}
void* SaveOperation(UnitObject* unit, uint32_t* size) {
  return static_cast<WindowUnit*>(unit)->Save(size);
}
int GetOperation(void*, UnitObject* unit, int32_t index, PropertyValue* value) {
  return static_cast<WindowUnit*>(unit)->Get(index, value);
}
int PreTranslateOperation(UnitObject* unit, MSG* msg) {
  return static_cast<WindowUnit*>(unit)->PreTranslate(msg) ? 1 : 0;
}

}  // namespace

bool MarkWindowClosing(UnitObject* window) {
  auto* unit = dynamic_cast<WindowUnit*>(window);
  if (unit == nullptr) return false;
  unit->set_closing();
  return true;
}

bool IsWindowClosing(const UnitObject* window) {
  const auto* unit = dynamic_cast<const WindowUnit*>(window);
  return unit != nullptr && unit->closing();
}

void CloseWindowNow(UnitObject* window) {
  if (auto* unit = dynamic_cast<WindowUnit*>(window)) unit->Close();
}

void* WindowInterface(int32_t op) {
  switch (op) {
    case kOpCreate:
      return reinterpret_cast<void*>(&CreateOperation);
    case kOpPropertyChanged:
      return reinterpret_cast<void*>(&ChangedOperation);
    case kOpSave:
      return reinterpret_cast<void*>(&SaveOperation);
    case kOpGetProperty:
      return reinterpret_cast<void*>(&GetOperation);
    case kOpPreTranslate:
      return reinterpret_cast<void*>(&PreTranslateOperation);
    default:
      return nullptr;
  }
}

}  // namespace rc
