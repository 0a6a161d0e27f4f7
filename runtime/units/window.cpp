#include "runtime/units/window.h"

#include <cstring>

#include "commands/values.h"
#include "forms/type_data.h"
#include "runtime/events.h"
#include "runtime/libraries.h"
#include "runtime/runtime.h"
#include "runtime/text_w.h"
#include "runtime/units/unit_window.h"
#include "runtime/windows.h"

namespace rc {

const PropertyEntry kWindowProperties[kWindowPropertyCount] = {
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindInteger, kCommonEditorFlags),
    Property(kKindText, kCommonEditorFlags),
    Property(kKindBool, kCommonEditorFlags),
    Property(kKindBool, kCommonEditorFlags),
    Property(kKindCursor, kCommonEditorFlags),
    Property(kKindText),     // 8 title
    Property(kKindChoice),   // 9 border style
    Property(kKindColour),   // 10 background colour
    Property(kKindPicture),  // 11 background picture
    Property(kKindChoice),   // 12 picture mode
    Property(kKindSound),    // 13 background music
    Property(kKindChoice),   // 14 music play count
    Property(kKindBool),     // 15 control box
    Property(kKindBool),     // 16 maximise button
    Property(kKindBool),     // 17 minimise button
    Property(kKindChoice),   // 18 start position
    Property(kKindBool),     // 19 movable
    Property(kKindIcon),     // 20 icon
    Property(kKindBool),     // 21 Enter moves focus
    Property(kKindBool),     // 22 Esc closes
    Property(kKindBool),     // 23 F1 opens help
    Property(kKindText),     // 24 help file
    Property(kKindInteger),  // 25 help context
    Property(kKindBool),     // 26 taskbar button
    Property(kKindBool),     // 27 drag by any point
    Property(kKindChoice),   // 28 shape
    Property(kKindBool),     // 29 always on top
    Property(kKindBool),     // 30
    Property(kKindText),     // 31 window class name
};

namespace {

constexpr char kDefaultClassName[] = "WTWindow";

enum : int32_t {  // property index - 8
  kTitle = 0,
  kBackgroundColour = 2,
  kAlwaysOnTop = 21,
};

class WindowUnit : public UnitObject {
 public:
  WindowUnit(uint32_t window_id, uint32_t unit_id, forms::WindowData data)
      : UnitObject(window_id, unit_id), data_(std::move(data)) {}

  static UnitObject* Create(const CreateArgs& args);
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  int Changed(int32_t index, const PropertyValue& value);
  int Get(int32_t index, PropertyValue* out);
  void* Save(uint32_t* size) const;

  bool closing() const { return closing_; }
  void set_closing() { closing_ = true; }
  // Destroys the native window, which deletes this object: nothing may touch it afterwards.
  void Close();

 private:
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  // Raises an event of the window; true when a handler ran and returned false.
  bool RaiseRefused(int32_t event);
  void Raise(int32_t event);
  void SetTopmost(bool on);

  forms::WindowData data_;
  bool opened_ = false;   // events 3 and 4 of the load are raised by the loader
  bool closing_ = false;  // DestroyUnit asked for a close that has not happened yet
};

bool RegisterWindowClass(const std::wstring& name) {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW existing;
  if (GetClassInfoW(inst, name.c_str(), &existing)) return true;
  WNDCLASSW wc{};
  wc.style = CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = WindowUnit::Proc;
  wc.hInstance = inst;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = nullptr;
  wc.lpszClassName = name.c_str();
  return RegisterClassW(&wc) != 0;
}

UnitObject* WindowUnit::Create(const CreateArgs& args) {
  forms::WindowData data;
  if (forms::ParseTypeDataAs(args.type_data, args.type_data_size, &data) !=
      forms::TypeDataStatus::kOk) {
    return nullptr;
  }
  DWORD style = WS_POPUP | WS_CLIPCHILDREN | (args.style & WS_DISABLED);
  DWORD ex_style = 0;
  int border = data.border_style;
  if (border != 0) {
    if (!data.title.empty() || data.control_box) {
      style |= WS_CAPTION;
      if (data.control_box) style |= WS_SYSMENU;
    }
    style |= WS_DLGFRAME;
    if (border == 1 || border == 3 || border == 5) style |= WS_THICKFRAME;
    if (border == 3 || border == 4) ex_style |= WS_EX_TOOLWINDOW;
    if (border == 5 || border == 6) ex_style |= WS_EX_CLIENTEDGE;
  }
  if (data.max_button) style |= WS_MAXIMIZEBOX;
  if (data.min_button) style |= WS_MINIMIZEBOX;

  int x = args.left;
  int y = args.top;
  switch (data.start_position) {
    case 1:
      x = (GetSystemMetrics(SM_CXSCREEN) - args.width) / 2;
      y = (GetSystemMetrics(SM_CYSCREEN) - args.height) / 2;
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
  if (!RegisterWindowClass(class_name)) return nullptr;
  std::wstring title = Wide(data.title);
  auto* unit = new WindowUnit(args.window_id, args.unit_id, std::move(data));
  HWND hwnd = CreateWindowExW(ex_style, class_name.c_str(), title.c_str(), style, x, y, args.width,
                              args.height, owner, nullptr, GetModuleHandleW(nullptr), unit);
  if (hwnd == nullptr) {
    delete unit;
    return nullptr;
  }
  RECT r;
  GetWindowRect(hwnd, &r);
  if (r.right - r.left != args.width || r.bottom - r.top != args.height) {
    SetWindowPos(hwnd, nullptr, 0, 0, args.width, args.height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
  if (unit->data_.always_on_top) unit->SetTopmost(true);
  if (!unit->data_.movable) DeleteMenu(GetSystemMenu(hwnd, FALSE), SC_MOVE, MF_BYCOMMAND);
  unit->opened_ = true;
  return unit;
}

LRESULT CALLBACK WindowUnit::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* unit = static_cast<WindowUnit*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    unit->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(unit));
  }
  auto* unit = reinterpret_cast<WindowUnit*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (unit == nullptr) return DefWindowProcW(hwnd, msg, wp, lp);
  return unit->Handle(msg, wp, lp);
}

LRESULT WindowUnit::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  HWND hwnd = hwnd_;
  LRESULT reflected = 0;
  if (ReflectNotification(hwnd, msg, wp, lp, &reflected)) return reflected;
  switch (msg) {
    case WM_CLOSE:
      if (RaiseRefused(kEventWindowCloseRequested)) return 0;
      EnableWindowsDisabledFor(window_id_);
      DestroyWindow(hwnd);
      return 0;
    case kCloseWindowMessage:
      // A stale request (the window was loaded anew meanwhile) finds no mark.
      if (closing_) Close();
      return 0;
    case WM_QUERYENDSESSION:
      return RaiseRefused(kEventWindowCloseRequested) ? FALSE : TRUE;
    case WM_DESTROY: {
      LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
      Raise(kEventWindowDestroyed);
      return r;
    }
    case WM_NCDESTROY: {
      LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      NotifyRuntime(kSvcWindowDestroyed, window_id_, 0);
      // A window that dies inside CreateWindowExW is deleted by Create, which sees the failure.
      if (opened_) delete this;
      return r;
    }
    case WM_ERASEBKGND: {
      RECT r;
      GetClientRect(hwnd, &r);
      COLORREF colour = data_.background_colour == forms::kDefaultColour
                            ? GetSysColor(COLOR_BTNFACE)
                            : COLORREF(data_.background_colour & 0x00FFFFFF);
      HBRUSH brush = CreateSolidBrush(colour);
      FillRect(reinterpret_cast<HDC>(wp), &r, brush);
      DeleteObject(brush);
      return 1;
    }
    case WM_MOVE:
      if (opened_) Raise(kEventWindowMoved);
      break;
    case WM_SIZE:
      if (opened_) Raise(kEventWindowResized);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

bool WindowUnit::RaiseRefused(int32_t event) {
  EventRecord record{window_id_, unit_id_, event, 0, {}, 0, 0};
  NotifyRuntime(kSvcRaiseEvent, reinterpret_cast<uintptr_t>(&record), 0);
  return record.result_flag != 0 && record.result == 0;
}

void WindowUnit::Raise(int32_t event) {
  EventRecord record{window_id_, unit_id_, event, 0, {}, 0, 0};
  NotifyRuntime(kSvcRaiseEvent, reinterpret_cast<uintptr_t>(&record), 0);
}

void WindowUnit::Close() {
  closing_ = false;
  // Enabled before the window goes, so that activation can return to them.
  EnableWindowsDisabledFor(window_id_);
  DestroyWindow(hwnd_);
}

void WindowUnit::SetTopmost(bool on) {
  SetWindowPos(hwnd_, on ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

int WindowUnit::Changed(int32_t index, const PropertyValue& value) {
  switch (index) {
    case kTitle:
      data_.title = value.text != nullptr ? value.text : "";
      if (hwnd_ != nullptr) SetWindowTextW(hwnd_, Wide(data_.title).c_str());
      break;
    case kBackgroundColour:
      data_.background_colour = uint32_t(value.i);
      if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, TRUE);
      break;
    case kAlwaysOnTop:
      data_.always_on_top = value.i != 0;
      if (hwnd_ != nullptr) SetTopmost(data_.always_on_top != 0);
      break;
    default:
      break;
  }
  return 0;
}

int WindowUnit::Get(int32_t index, PropertyValue* out) {
  switch (index) {
    case kTitle:
      if (hwnd_ != nullptr) {
        int n = GetWindowTextLengthW(hwnd_);
        std::wstring text(size_t(n) + 1, L'\0');
        text.resize(size_t(GetWindowTextW(hwnd_, &text[0], n + 1)));
        data_.title = Gbk(text);
      }
      out->text = data_.title.c_str();
      return 1;
    case kBackgroundColour:
      out->i = int32_t(data_.background_colour);
      return 1;
    case kAlwaysOnTop:
      out->i = data_.always_on_top;
      return 1;
    default:
      return 0;
  }
}

void* WindowUnit::Save(uint32_t* size) const {
  forms::Bytes bytes = forms::WriteTypeDataAs(data_);
  void* block = AllocMem(bytes.size());
  if (!bytes.empty()) std::memcpy(block, bytes.data(), bytes.size());
  if (size != nullptr) *size = uint32_t(bytes.size());
  return block;
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
    default:
      return nullptr;
  }
}

}  // namespace rc
