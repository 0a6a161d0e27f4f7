// Loading and destroying windows and units. A window reference carries the window id in its low
// word and the unit id (the window's own unit for the window itself) in its high word.
#include <windows.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "base/text_w.h"
#include "commands/command_args.h"
#include "commands/core_commands.h"
#include "commands/key_name.h"
#include "runtime/command_host.h"

namespace rc {
namespace {

UnitObject* FindObject(uint32_t window_id, uint32_t unit_id) {
  return CommandHost::FindObject(window_id, unit_id);
}

// Missing: the runtime error "指定窗口或窗口组件不存在或尚未载入"; does not return then.
UnitObject* RequireObject(uint32_t window_id, uint32_t unit_id) {
  return CommandHost::RequireObject(window_id, unit_id);
}

// A region that deletes itself.
struct Region {
  HRGN handle;
  explicit Region(const RECT& r) : handle(CreateRectRgnIndirect(&r)) {}
  ~Region() {
    if (handle != nullptr) DeleteObject(handle);
  }
  Region(const Region&) = delete;
  Region& operator=(const Region&) = delete;
};

// A window that is shown but not drawn: a suspended app or one on another virtual desktop is
// cloaked by the compositor and covers nothing. Asked of dwmapi when the system has it.
bool Cloaked(HWND hwnd) {
  using GetAttribute = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
  static const GetAttribute get = [] {
    HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
    return dwm != nullptr ? reinterpret_cast<GetAttribute>(reinterpret_cast<void*>(
                                GetProcAddress(dwm, "DwmGetWindowAttribute")))
                          : nullptr;
  }();
  constexpr DWORD kCloaked = 14;  // DWMWA_CLOAKED
  DWORD cloaked = 0;
  return get != nullptr && SUCCEEDED(get(hwnd, kCloaked, &cloaked, sizeof cloaked)) && cloaked != 0;
}

// The top-level windows above one, from the top of the stacking order down.
struct WindowsAbove {
  HWND window;
  std::vector<HWND> above;
  bool found;
};
BOOL CALLBACK CollectAbove(HWND hwnd, LPARAM lp) {
  auto* list = reinterpret_cast<WindowsAbove*>(lp);
  if (hwnd == list->window) {
    list->found = true;
    return FALSE;
  }
  list->above.push_back(hwnd);
  return TRUE;
}

// An opaque window above, where it lies over the rectangle; false when it cannot cover
// anything (hidden, minimised, elsewhere, see-through).
bool CoverOver(HWND above, const RECT& own, RECT* part) {
  const LONG style = GetWindowLongW(above, GWL_STYLE);
  if ((style & WS_VISIBLE) == 0 || (style & WS_MINIMIZE) != 0) return false;
  if (!GetWindowRect(above, part) || !IntersectRect(part, part, &own)) return false;
  if (GetWindowLongW(above, GWL_EXSTYLE) & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) return false;
  return !Cloaked(above);
}

// The windows that covered the window last time it was asked: a window stays covered by the
// same few for a long while, and asking of those first spares a request to the window server
// for every other window above it (some dozens on a busy desktop, most of them hidden).
struct LastCovers {
  HWND window = nullptr;
  std::vector<HWND> covers;
};
LastCovers g_last_covers;

// Whether these windows take the whole rectangle; with a list of the windows above, each of
// them must still be in it.
bool CoverWhole(const RECT& own, const std::vector<HWND>& candidates,
                const std::vector<HWND>* above, std::vector<HWND>* used) {
  Region uncovered(own);
  if (uncovered.handle == nullptr) return false;
  for (HWND candidate : candidates) {
    if (above != nullptr && std::find(above->begin(), above->end(), candidate) == above->end()) {
      return false;  // gone, or below it now
    }
    RECT part;
    if (!CoverOver(candidate, own, &part)) continue;
    Region cover(part);
    if (cover.handle == nullptr) return false;
    if (used != nullptr) used->push_back(candidate);
    if (CombineRgn(uncovered.handle, uncovered.handle, cover.handle, RGN_DIFF) == NULLREGION) {
      return true;
    }
  }
  return false;
}

// The windows above it in the stacking order are taken from its rectangle. The clip box of its
// device context would tell only without a compositor: with one every window keeps its whole
// surface, and Wine does not clip a top-level window by the ones above it either (its clip box
// is the whole window however covered). Only opaque windows count: a layered or click-through
// one may let the window show through.
bool WhollyCovered(HWND hwnd) {
  RECT own;
  if (!GetWindowRect(hwnd, &own)) return false;
  // Under Wine every call about another window is a request to the window server: the list
  // comes in one (where walking it would take one a window).
  WindowsAbove list{hwnd, {}, false};
  EnumWindows(CollectAbove, reinterpret_cast<LPARAM>(&list));
  if (!list.found) return false;  // not a top-level window of this desktop
  if (g_last_covers.window == hwnd && CoverWhole(own, g_last_covers.covers, &list.above, nullptr)) {
    return true;
  }
  std::vector<HWND> used;
  const bool covered = CoverWhole(own, list.above, nullptr, &used);
  g_last_covers.window = hwnd;
  g_last_covers.covers = covered ? std::move(used) : std::vector<HWND>();
  return covered;
}

// The one system-wide key a window holds (its WM_HOTKEY comes with this id).
constexpr int kHotKeyId = 1;
struct HeldKey {
  HWND hwnd = nullptr;
  uint32_t modifiers = 0, key = 0;
};
HeldKey g_held;

void ReleaseHeldKey() {
  if (g_held.hwnd != nullptr) UnregisterHotKey(g_held.hwnd, kHotKeyId);
  g_held = HeldKey{};
}

}  // namespace

void SetHotKey(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* reference = OptionalArg(argc, args, 0);
  UnitObject* window = reference != nullptr ? FindObject(reference->lo, 0) : nullptr;
  if (window == nullptr || !window->live()) return;
  const char* name = TextArg(argc, args, 1);
  if (IsEmptyText(name)) {
    ReleaseHeldKey();
    return;
  }
  const KeyName key = ParseKeyName(name);
  if (!key.ok) {
    ReleaseHeldKey();
    SetSlotPointer(result, CopyText(key.reason.c_str()));
    return;
  }
  if (g_held.hwnd == window->hwnd() && g_held.modifiers == key.modifiers && g_held.key == key.key) {
    return;
  }
  ReleaseHeldKey();
  // Held down, a key repeats; one press is one touch.
  constexpr UINT kNoRepeat = 0x4000;
  if (!RegisterHotKey(window->hwnd(), kHotKeyId, key.modifiers | kNoRepeat, key.key) &&
      !RegisterHotKey(window->hwnd(), kHotKeyId, key.modifiers, key.key)) {
    SetSlotPointer(result, CopyText(GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED
                                        ? "另一个程序已经占用了这个键"
                                        : "系统不让程序使用这个键"));
    return;
  }
  g_held = HeldKey{window->hwnd(), key.modifiers, key.key};
}

void LowerBehindForeground(ResultRecord*, int argc, ArgRecord* args) {
  const ArgRecord* reference = OptionalArg(argc, args, 0);
  UnitObject* window = reference != nullptr ? FindObject(reference->lo, 0) : nullptr;
  if (window == nullptr || !window->live()) return;
  const HWND hwnd = window->hwnd();
  HWND front = GetForegroundWindow();
  if (front == nullptr || front == hwnd || IsChild(hwnd, front)) return;
  DWORD pid = 0;
  GetWindowThreadProcessId(front, &pid);
  if (pid == GetCurrentProcessId()) return;  // one of the program's own windows is in front
  SetWindowPos(hwnd, front, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

struct MenuLine {
  int depth = 0;
  std::string flags, text;
};

std::vector<MenuLine> MenuLines(const char* items) {
  std::vector<MenuLine> lines;
  std::string all = items != nullptr ? items : "";
  size_t at = 0;
  while (at < all.size()) {
    size_t end = all.find('\n', at);
    if (end == std::string::npos) end = all.size();
    const std::string raw = all.substr(at, end - at);
    at = end + 1;
    MenuLine line;
    size_t i = 0;
    while (i < raw.size() && raw[i] == '>') ++i;
    line.depth = int(i);
    const size_t tab = raw.find('\t', i);
    line.flags = raw.substr(i, tab == std::string::npos ? std::string::npos : tab - i);
    if (tab != std::string::npos) line.text = raw.substr(tab + 1);
    lines.push_back(line);
  }
  return lines;
}

// The lines from `*at` on at `depth`, each item's command the line's number from 1.
HMENU BuildMenu(const std::vector<MenuLine>& lines, size_t* at, int depth) {
  HMENU menu = CreatePopupMenu();
  while (*at < lines.size() && lines[*at].depth >= depth) {
    const MenuLine& line = lines[*at];
    const UINT id = UINT(*at + 1);
    ++*at;
    if (line.depth > depth) continue;  // a deeper line without its item: left out
    if (line.flags.find('-') != std::string::npos) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (line.flags.find('v') != std::string::npos) flags |= MF_CHECKED;
    if (line.flags.find('x') != std::string::npos) flags |= MF_GRAYED;
    UINT_PTR item = id;
    if (*at < lines.size() && lines[*at].depth > depth) {
      flags |= MF_POPUP;
      item = reinterpret_cast<UINT_PTR>(BuildMenu(lines, at, depth + 1));
    }
    AppendMenuW(menu, flags, item, Wide(line.text).c_str());
  }
  return menu;
}

struct MenuHolder {
  HMENU menu;
  ~MenuHolder() { DestroyMenu(menu); }  // its submenus with it
};

}  // namespace

void PopupMenu(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* reference = OptionalArg(argc, args, 0);
  if (reference == nullptr) return;
  UnitObject* unit = RequireObject(reference->lo, reference->hi);
  if (unit == nullptr) return;
  HWND owner = GetAncestor(unit->hwnd(), GA_ROOT);
  POINT at{IntArgOr(argc, args, 2, -1), IntArgOr(argc, args, 3, -1)};
  if (at.x == -1 && at.y == -1) {
    RECT r;
    GetWindowRect(unit->hwnd(), &r);
    at = POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  const std::vector<MenuLine> lines = MenuLines(TextArg(argc, args, 1));
  size_t next = 0;
  MenuHolder holder{BuildMenu(lines, &next, 0)};
  // The menu closes when the user clicks elsewhere only if its owner is in front; the posted
  // message lets a second menu open at once after this one.
  SetForegroundWindow(owner);
  const int chosen = TrackPopupMenu(holder.menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                    at.x, at.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  result->lo = uint32_t(chosen);
}

void LoadWindow(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* window = OptionalArg(argc, args, 0);
  if (window == nullptr) return;
  const uint32_t window_id = window->lo;
  const bool modal = IntArgOr(argc, args, 2, 0) != 0;

  UnitObject* parent = nullptr;
  if (const ArgRecord* parent_arg = OptionalArg(argc, args, 1)) {
    parent = FindObject(parent_arg->lo, 0);
    if (parent == nullptr) return;
  }
  // A window that DestroyUnit is about to close is not the window the caller wants to see:
  // it goes now, and a fresh one is loaded. Any other open window is only brought forward,
  // which the load itself does.
  UnitObject* open = FindObject(window_id, 0);
  if (open != nullptr && CommandHost::IsWindowClosing(open)) CommandHost::CloseWindowNow(open);

  // A modal window is not tied to a parent.
  result->lo = CommandHost::LoadWindow(window_id, modal ? nullptr : parent, modal);
}

void DestroyUnit(ResultRecord*, int argc, ArgRecord* args) {
  const ArgRecord* reference = OptionalArg(argc, args, 0);
  const uint32_t window_id = reference != nullptr ? reference->lo : 0;
  const uint32_t unit_id = reference != nullptr ? reference->hi : 0;
  UnitObject* object = RequireObject(window_id, unit_id);
  if (object == nullptr) return;  // only when the error report could not end the program

  if (object == FindObject(window_id, 0)) {
    CommandHost::CloseWindow(object, IntArgOr(argc, args, 1, 0) != 0);
    return;
  }
  // The unit's type clears its slot when the native window goes (service 2000), after which
  // the unit is no longer found.
  DestroyWindow(object->hwnd());
}

void WindowInView(ResultRecord* result, int argc, ArgRecord* args) {
  const ArgRecord* reference = OptionalArg(argc, args, 0);
  UnitObject* window = reference != nullptr ? FindObject(reference->lo, 0) : nullptr;
  if (window == nullptr || !window->live()) return;
  const HWND hwnd = window->hwnd();
  result->lo = IsWindowVisible(hwnd) && !IsIconic(hwnd) && !WhollyCovered(hwnd);
}

}  // namespace rc
