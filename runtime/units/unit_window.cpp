#include "runtime/units/unit_window.h"

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "base/text_w.h"
#include "runtime/units/unit_host.h"

namespace rc {

namespace {

// Moves on with every unit window made or gone, and every window made in one or gone from it.
std::atomic<uint32_t> g_windows_changes{0};

// The unit object of each unit window. Every message of every unit window looks its object up,
// a timer's tick included: a window property would cost a round trip to the window system
// each time (under Wine a server call), this table costs none. (Standard controls may use
// GWLP_USERDATA themselves, so that word is not ours to take.)
class ObjectTable {
 public:
  void Set(HWND hwnd, UnitWindow* unit) {
    std::lock_guard<std::mutex> lock(mutex_);
    objects_[hwnd] = unit;
    ++g_windows_changes;
  }
  // Only while the window is still this object's: a handle may be reused by a newer window.
  void Remove(HWND hwnd, const UnitWindow* unit) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(hwnd);
    if (it != objects_.end() && it->second == unit) objects_.erase(it);
    ++g_windows_changes;
  }
  UnitWindow* Find(HWND hwnd) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = objects_.find(hwnd);
    return it != objects_.end() ? it->second : nullptr;
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWND, UnitWindow*> objects_;
};

// Never destroyed: windows may still get messages while static objects go at exit.
ObjectTable& Objects() {
  static ObjectTable* table = new ObjectTable;
  return *table;
}

// The child a reflected message concerns, or null when the message is not one we reflect.
HWND ReflectTarget(HWND parent, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_COMMAND:
      return reinterpret_cast<HWND>(lp);  // null for menus and accelerators
    case WM_NOTIFY:
      return lp ? reinterpret_cast<const NMHDR*>(lp)->hwndFrom : nullptr;
    case WM_DRAWITEM:
      return wp ? reinterpret_cast<const DRAWITEMSTRUCT*>(lp)->hwndItem : nullptr;
    case WM_MEASUREITEM:
      return wp ? GetDlgItem(parent, int(wp)) : nullptr;
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR:
    case WM_VSCROLL:
    case WM_HSCROLL:
      return reinterpret_cast<HWND>(lp);  // null for the window's own scroll bars
    default:
      return nullptr;
  }
}

}  // namespace

bool ReflectNotification(HWND parent, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
  HWND child = ReflectTarget(parent, msg, wp, lp);
  if (child == nullptr || child == parent || UnitWindow::FromHwnd(child) == nullptr) return false;
  *result = SendMessageW(child, kReflectBase + msg, wp, lp);
  // Colour and owner-draw requests answered with 0 were not taken: the control then gets
  // the parent's default answer (a brush, the default drawing) rather than none at all.
  const bool answer_needed = (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) ||
                             msg == WM_DRAWITEM || msg == WM_MEASUREITEM;
  return *result != 0 || !answer_needed;
}

UnitWindow::~UnitWindow() {
  // An object deleted while its window still exists (a failed create) must not be reached again
  // through the trampoline.
  if (hwnd_ != nullptr) Objects().Remove(hwnd_, this);
  if (hwnd_ != nullptr && IsWindow(hwnd_)) {
    if (base_proc_ != nullptr) {
      SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(base_proc_));
    } else {
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
  }
}

// Units overlap by design (the countdown window's two pages lie on one rectangle, labels sit on
// labels); stacking by record order only shows when a unit does not paint over the siblings
// above it.
constexpr DWORD kChildStyle = WS_CHILD | WS_CLIPSIBLINGS;

bool UnitWindow::CreateControl(const wchar_t* cls, const char* gbk_text, DWORD style,
                               DWORD ex_style, const CreateArgs& args) {
  const int dpi = draw::DpiOf(args.parent);
  const RECT at = draw::ScaleRect(args.left, args.top, args.width, args.height, dpi);
  HWND hwnd = CreateWindowExW(ex_style, cls, Wide(gbk_text).c_str(), style | kChildStyle, at.left,
                              at.top, at.right - at.left, at.bottom - at.top, args.parent,
                              reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.control_id)),
                              GetModuleHandleW(nullptr), nullptr);
  if (hwnd == nullptr) return false;
  hwnd_ = hwnd;
  Objects().Set(hwnd, this);
  base_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Trampoline)));
  SetDpi(dpi);
  return true;
}

bool UnitWindow::CreateOwnClass(const wchar_t* cls, const char* gbk_text, DWORD style,
                                DWORD ex_style, const CreateArgs& args) {
  const int dpi = draw::DpiOf(args.parent);
  const RECT at = draw::ScaleRect(args.left, args.top, args.width, args.height, dpi);
  return CreateOwnWindow(cls, gbk_text, style | kChildStyle, ex_style, POINT{at.left, at.top},
                         SIZE{at.right - at.left, at.bottom - at.top}, args.parent,
                         reinterpret_cast<HMENU>(static_cast<uintptr_t>(args.control_id)), dpi);
}

bool UnitWindow::CreateTopLevel(const wchar_t* cls, const char* gbk_text, DWORD style,
                                DWORD ex_style, POINT position, SIZE size, HWND owner, int dpi) {
  return CreateOwnWindow(cls, gbk_text, style, ex_style, position, size, owner, nullptr, dpi);
}

void UnitWindow::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  dpi_ = dpi;
  OnDpiChanged();
}

// The object goes with the creation parameters; the trampoline enters it on WM_NCCREATE. A window
// that dies before CreateWindowEx returns (its WM_CREATE failed) leaves the object to the caller,
// who cannot tell how far the window got.
bool UnitWindow::CreateOwnWindow(const wchar_t* cls, const char* gbk_text, DWORD style,
                                 DWORD ex_style, POINT position, SIZE size, HWND parent, HMENU id,
                                 int dpi) {
  // Known before the window's first messages, which may already measure or draw.
  dpi_ = dpi;
  creating_ = true;
  HWND hwnd = CreateWindowExW(ex_style, cls, Wide(gbk_text).c_str(), style, position.x, position.y,
                              size.cx, size.cy, parent, id, GetModuleHandleW(nullptr), this);
  creating_ = false;
  if (hwnd == nullptr) return false;
  if (dpi != draw::kDesignDpi) OnDpiChanged();
  return true;
}

bool UnitWindow::RegisterUnitClass(const wchar_t* cls, UINT class_style) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW existing;
  if (GetClassInfoW(inst, cls, &existing)) return true;
  WNDCLASSW wc{};
  wc.style = class_style;
  wc.lpfnWndProc = &Trampoline;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = cls;
  return RegisterClassW(&wc) != 0;
}

UnitWindow* UnitWindow::FromHwnd(HWND hwnd) {
  return hwnd != nullptr ? Objects().Find(hwnd) : nullptr;
}

uint32_t UnitWindow::WindowsChangeCount() {
  return g_windows_changes.load();
}

bool UnitWindow::Raise(int32_t event, std::initializer_list<uint32_t> args, bool* returned,
                       uint32_t* result) {
  EventRecord record{window_id_, unit_id_, event, 0, {}, 0, 0};
  for (uint32_t a : args) {
    if (record.argc == 5) break;
    record.args[record.argc++] = a;
  }
  bool ran = RaiseUnitEvent(&record);
  if (returned) *returned = record.result_flag != 0;
  if (result) *result = record.result;
  return ran;
}

bool ShowRecordCursor(const UnitObject* unit, WPARAM wp, LPARAM lp) {
  if (reinterpret_cast<HWND>(wp) != unit->hwnd() || LOWORD(lp) != HTCLIENT) return false;
  HCURSOR cursor = Host().UnitCursor(unit->window_id(), unit->unit_id());
  if (cursor == nullptr) return false;
  SetCursor(cursor);
  return true;
}

LRESULT UnitWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  return Default(msg, wp, lp);
}

LRESULT UnitWindow::Default(UINT msg, WPARAM wp, LPARAM lp) {
  // Reflected messages nobody handled are not the control's business.
  if (msg >= kReflectBase && msg < kReflectBase + WM_USER) return 0;
  if (base_proc_ != nullptr) return CallWindowProcW(base_proc_, hwnd_, msg, wp, lp);
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK UnitWindow::Trampoline(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    // Runtime classes: the object comes with the creation parameters.
    auto* unit = static_cast<UnitWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    if (unit != nullptr) {
      unit->hwnd_ = hwnd;
      Objects().Set(hwnd, unit);
    }
  }
  UnitWindow* unit = FromHwnd(hwnd);
  if (unit == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_PARENTNOTIFY && (LOWORD(wp) == WM_CREATE || LOWORD(wp) == WM_DESTROY)) {
    ++g_windows_changes;
  }
  if (msg == WM_SETCURSOR && ShowRecordCursor(unit, wp, lp)) return TRUE;
  if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) {
    LRESULT r = unit->Handle(msg, wp, lp);
    // The handler of the focus event may destroy the unit; the event is raised only while it
    // still stands.
    if (FromHwnd(hwnd) == unit && unit->FocusEventDue(msg == WM_SETFOCUS)) {
      Host().RaiseFocusEvent(unit, msg == WM_SETFOCUS);
    }
    return r;
  }
  if (msg != WM_NCDESTROY) return unit->Handle(msg, wp, lp);

  // The native window is going: hand the control its own last message, unhook, tell the runtime
  // and let the object go with it.
  LRESULT r = unit->Default(msg, wp, lp);
  Objects().Remove(hwnd, unit);
  if (unit->base_proc_ != nullptr) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(unit->base_proc_));
  }
  unit->hwnd_ = nullptr;
  ReportUnitDestroyed(unit->window_id_, unit->unit_id_);
  unit->OnDestroyed();
  if (!unit->creating_ && unit->DeletedWithWindow()) delete unit;
  return r;
}

}  // namespace rc
