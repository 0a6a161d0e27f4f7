// The skin library: SkinH_AttachRes takes a skin and dresses every window of the calling
// thread in it, those that exist and those made later.
//
// How windows are reached. Each window of the thread is subclassed once: existing ones when a
// skin is applied, new ones from a CBT hook before their first message. The program's runtime
// subclasses its controls itself right after creating them, which puts its procedure above
// ours; the first message it passes down shows that, and a second layer of ours is put on top,
// so that the skin sees every message before the program's own handlers (the lower layer then
// only passes messages on). Each layer keeps the procedure below it in a window property.
//
// What stays and what goes. An empty or unreadable skin restores the plain look at once: the
// hook is removed, the program's imports are put back, the skin's brushes and font are freed.
// The layers stay in the windows until they are destroyed: controls that the program made
// while a skin was in force may keep brushes of the skin's colours (the runtime makes a
// control's brush when it makes the control), and the layers answer their colour requests
// with the system's colours instead. Everything else passes through them untouched. The
// library pins itself in memory on its first skin, so that no window procedure ever points at
// code that is gone; when the process ends, the hook, the imports and the GDI objects are
// given back.
//
// Colours the program takes from the system. The runtime paints the default background of its
// windows and labels in the system's button face colour, read through GetSysColor at paint
// time. The import entries of GetSysColor and GetSysColorBrush in the calling module (and the
// program's main module) are pointed at the skin's colours while a skin is in force.
#include "skin/library/library.h"

#include <commctrl.h>

namespace skinlib {

using namespace skin;

Skin g_skin;

namespace {

// Window properties: the procedure under each of our layers, and the window's state word.
constexpr wchar_t kPropLower[] = L"SkinH.lower";
constexpr wchar_t kPropUpper[] = L"SkinH.upper";
constexpr wchar_t kPropState[] = L"SkinH.state";

// State word: the kind of window in the low bits, then what the mouse does over it.
enum Kind : uintptr_t {
  kOther = 1,
  kButton,
  kEdit,
  kScroll,
  kProgress,
  kUpDown,
  kDialog,
  kDivider  // the program's divider bar, a fill of one colour
};
constexpr uintptr_t kKindMask = 0xF;
constexpr uintptr_t kInactive = 1 << 4;  // top-level window drawn inactive
constexpr uintptr_t kHover = 1 << 5;     // button, scroll bar or up-down under the mouse
constexpr int kPartShift = 8;            // caption hover part, 8 bits; or control hover part
constexpr int kPressShift = 16;          // caption pressed part; or control pressed part

constexpr UINT_PTR kScrollTimer = 0x5348;  // "SH"

struct Library {
  HMODULE self;
  DWORD thread;
  HHOOK hook;
  bool pinned;
  bool mapping;  // a skin was applied: colours the program took from it are mapped back
  // Import entries pointed at our GetSysColor, GetSysColorBrush, DrawTextW and ExtTextOutW.
  struct Patch {
    void** slot;
    void* original;
  } patch[16];
  int patches;
  DWORD(WINAPI* real_sys_colour)(int);
  HBRUSH(WINAPI* real_sys_brush)(int);
  int(WINAPI* real_draw_text)(HDC, LPCWSTR, int, LPRECT, UINT);
  BOOL(WINAPI* real_ext_text_out)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*);
  HBRUSH sys_brush[31];  // made on demand for the skin in force
  // Colours the program may hold from earlier skins or the plain look (MapColours).
  COLORREF faces[40];
  int face_count;
  COLORREF windows[40];
  int window_count;
  COLORREF texts[80];
  int text_count;
  // The scroll bar the mouse is dragging or holding down, one at a time.
  struct Track {
    HWND hwnd;
    int part;
    int grab;      // thumb: where in the thumb it was taken
    int position;  // thumb: the position it shows
    bool ending;
  } track;
  uint32_t pixels[kSkinPictureSlotCount][kSkinPictureMaxPixels];
};
Library g_lib;

// ---------------------------------------------------------------- small helpers

bool SameText(const wchar_t* a, const wchar_t* b) {
  for (;; ++a, ++b) {
    wchar_t x = *a, y = *b;
    if (x >= L'A' && x <= L'Z') x = wchar_t(x + 32);
    if (y >= L'A' && y <= L'Z') y = wchar_t(y + 32);
    if (x != y) return false;
    if (x == 0) return true;
  }
}

// ---------------------------------------------------------------- layer properties
//
// Every message of every window passes our layers, and a layer needs the procedure under it
// and the window's state word, several reads per message. A window property read is a round
// trip to the window system (under Wine a server call), and the program's timers send a few
// hundred messages a second; so the three properties are also kept in a table of our own,
// which is what is read. The properties themselves stay, for other code to see, and for a
// window the table has no room for.
enum Slot { kSlotLower, kSlotUpper, kSlotState, kSlotCount };
const wchar_t* const kSlotNames[kSlotCount] = {kPropLower, kPropUpper, kPropState};

struct LayerEntry {
  HWND hwnd;  // null: a free place
  uintptr_t value[kSlotCount];
};
constexpr unsigned kTableBits = 10;  // 1024 places, far more than the windows of a program
constexpr unsigned kTableSize = 1u << kTableBits;
constexpr unsigned kTableLoad = kTableSize * 3 / 4;
LayerEntry g_table[kTableSize];
unsigned g_table_used;

unsigned Home(HWND hwnd) {
  return (uint32_t(uintptr_t(hwnd)) * 2654435761u) >> (32 - kTableBits);
}
unsigned Next(unsigned i) {
  return (i + 1) & (kTableSize - 1);
}

// Open addressing: a window is found at its home place or after it, before the first free one.
LayerEntry* FindEntry(HWND hwnd) {
  for (unsigned i = Home(hwnd);; i = Next(i)) {
    if (g_table[i].hwnd == hwnd) return &g_table[i];
    if (g_table[i].hwnd == nullptr) return nullptr;
  }
}

// Set once a window had to do without an entry: from then on a window that has none may still
// have properties, and they are read.
bool g_table_overflowed;

LayerEntry* AddEntry(HWND hwnd) {
  if (g_table_used >= kTableLoad) {
    g_table_overflowed = true;
    return nullptr;
  }
  unsigned i = Home(hwnd);
  while (g_table[i].hwnd != nullptr) i = Next(i);
  g_table[i].hwnd = hwnd;
  for (int s = 0; s < kSlotCount; ++s) {
    g_table[i].value[s] =
        g_table_overflowed ? reinterpret_cast<uintptr_t>(GetPropW(hwnd, kSlotNames[s])) : 0;
  }
  ++g_table_used;
  return &g_table[i];
}

// Takes an entry out and moves later ones of the same run back, so that no search stops early.
void RemoveEntry(LayerEntry* entry) {
  unsigned hole = unsigned(entry - g_table);
  g_table[hole].hwnd = nullptr;
  --g_table_used;
  for (unsigned i = Next(hole); g_table[i].hwnd != nullptr; i = Next(i)) {
    const unsigned home = Home(g_table[i].hwnd);
    // The entry may fill the hole when its home is not in the cyclic range (hole, i].
    const bool stays = hole < i ? (home > hole && home <= i) : (home > hole || home <= i);
    if (stays) continue;
    g_table[hole] = g_table[i];
    g_table[i].hwnd = nullptr;
    hole = i;
  }
}

uintptr_t GetLayerProp(HWND hwnd, Slot slot) {
  if (const LayerEntry* e = FindEntry(hwnd)) return e->value[slot];
  if (!g_table_overflowed) return 0;
  return reinterpret_cast<uintptr_t>(GetPropW(hwnd, kSlotNames[slot]));
}

void SetLayerProp(HWND hwnd, Slot slot, uintptr_t value) {
  SetPropW(hwnd, kSlotNames[slot], reinterpret_cast<HANDLE>(value));
  LayerEntry* e = FindEntry(hwnd);
  if (e == nullptr) e = AddEntry(hwnd);
  if (e != nullptr) e->value[slot] = value;
}

void RemoveLayerProp(HWND hwnd, Slot slot) {
  RemovePropW(hwnd, kSlotNames[slot]);
  LayerEntry* e = FindEntry(hwnd);
  if (e == nullptr) return;
  e->value[slot] = 0;
  for (int s = 0; s < kSlotCount; ++s) {
    if (e->value[s] != 0) return;
  }
  RemoveEntry(e);
}

uintptr_t StateOf(HWND hwnd) {
  return GetLayerProp(hwnd, kSlotState);
}
void SetState(HWND hwnd, uintptr_t state) {
  SetLayerProp(hwnd, kSlotState, state);
}
int Field(uintptr_t state, int shift) {
  return int((state >> shift) & 0xFF);
}
uintptr_t WithField(uintptr_t state, int shift, int value) {
  return (state & ~(uintptr_t(0xFF) << shift)) | (uintptr_t(value & 0xFF) << shift);
}

bool IsTopLevel(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD) == 0;
}

void Remember(COLORREF* list, int* count, int capacity, COLORREF c) {
  for (int i = 0; i < *count; ++i) {
    if (list[i] == c) return;
  }
  if (*count < capacity) list[(*count)++] = c;
}
bool Known(const COLORREF* list, int count, COLORREF c) {
  for (int i = 0; i < count; ++i) {
    if (list[i] == c) return true;
  }
  return false;
}

COLORREF FromRgb(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// ---------------------------------------------------------------- imports of the program

DWORD WINAPI SkinGetSysColor(int index) {
  COLORREF c;
  if (g_skin.active && SkinSysColour(index, &c)) return c;
  return g_lib.real_sys_colour(index);
}

HBRUSH WINAPI SkinGetSysColorBrush(int index) {
  COLORREF c;
  if (g_skin.active && index >= 0 && index < 31 && SkinSysColour(index, &c)) {
    if (!g_lib.sys_brush[index]) g_lib.sys_brush[index] = CreateSolidBrush(c);
    if (g_lib.sys_brush[index]) return g_lib.sys_brush[index];
  }
  return g_lib.real_sys_brush(index);
}

// The program's own text, drawn where its colour may not stand out from the skin: drawn in a
// colour that does for the call, and the DC's colour put back, so that the program reads back
// what it set. Text in the system's text colour takes the skin's where it would not stand out.
int WINAPI SkinDrawTextW(HDC dc, LPCWSTR text, int n, LPRECT r, UINT format) {
  if (!g_skin.active || !dc || !r || (format & DT_CALCRECT)) {
    return g_lib.real_draw_text(dc, text, n, r, format);
  }
  const COLORREF set = GetTextColor(dc);
  const bool large = LargeFont(dc);
  COLORREF c = ReadableOnPixels(dc, *r, set, large, false);
  if (c != set && Known(g_lib.texts, g_lib.text_count, set)) {
    c = ReadableOnPixels(dc, *r, Colour(kText), large, false);
  }
  if (c == set) return g_lib.real_draw_text(dc, text, n, r, format);
  SetTextColor(dc, c);
  const int result = g_lib.real_draw_text(dc, text, n, r, format);
  SetTextColor(dc, set);
  return result;
}

// The program's divider is a fill of its colour: on the skin's face it is drawn in one that
// stands out as a graphic does (3 : 1). Its edge, lines of one pixel, stays as it is.
BOOL WINAPI SkinExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* r, LPCWSTR text, UINT n,
                            const INT* dx) {
  if (g_skin.active && (options & ETO_OPAQUE) && n == 0 && r && r->right - r->left > 1 &&
      r->bottom - r->top > 1) {
    HWND hwnd = WindowFromDC(dc);
    if (hwnd && (StateOf(hwnd) & kKindMask) == kDivider) {
      const COLORREF set = GetBkColor(dc);
      const COLORREF c = Readable(set, Colour(kFace), true);
      if (c != set) {
        SetBkColor(dc, c);
        const BOOL ok = g_lib.real_ext_text_out(dc, x, y, options, r, text, n, dx);
        SetBkColor(dc, set);
        return ok;
      }
    }
  }
  return g_lib.real_ext_text_out(dc, x, y, options, r, text, n, dx);
}

void PatchModule(HMODULE module) {
  if (!module || module == g_lib.self) return;
  auto* base = reinterpret_cast<uint8_t*>(module);
  auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return;
  const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (dir.VirtualAddress == 0) return;
  auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
  for (; desc->Name != 0; ++desc) {
    auto* slot = reinterpret_cast<void**>(base + desc->FirstThunk);
    for (; *slot != nullptr; ++slot) {
      void* with = nullptr;
      if (*slot == reinterpret_cast<void*>(g_lib.real_sys_colour)) {
        with = reinterpret_cast<void*>(&SkinGetSysColor);
      } else if (*slot == reinterpret_cast<void*>(g_lib.real_sys_brush)) {
        with = reinterpret_cast<void*>(&SkinGetSysColorBrush);
      } else if (*slot == reinterpret_cast<void*>(g_lib.real_draw_text)) {
        with = reinterpret_cast<void*>(&SkinDrawTextW);
      } else if (*slot == reinterpret_cast<void*>(g_lib.real_ext_text_out)) {
        with = reinterpret_cast<void*>(&SkinExtTextOutW);
      }
      if (!with || g_lib.patches == 16) continue;
      DWORD old;
      if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) continue;
      g_lib.patch[g_lib.patches++] = {slot, *slot};
      *slot = with;
      VirtualProtect(slot, sizeof *slot, old, &old);
    }
  }
}

void UnpatchModules() {
  while (g_lib.patches > 0) {
    Library::Patch& p = g_lib.patch[--g_lib.patches];
    DWORD old;
    if (VirtualProtect(p.slot, sizeof *p.slot, PAGE_READWRITE, &old)) {
      *p.slot = p.original;
      VirtualProtect(p.slot, sizeof *p.slot, old, &old);
    }
  }
}

// ---------------------------------------------------------------- subclassing

LRESULT CALLBACK LowerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK UpperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

WNDPROC CurrentProc(HWND hwnd) {
  return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
}

Kind KindOf(HWND hwnd) {
  wchar_t cls[64];
  if (!GetClassNameW(hwnd, cls, 64)) return kOther;
  if (SameText(cls, L"Button")) return kButton;
  if (SameText(cls, L"Edit")) return kEdit;
  if (SameText(cls, L"ScrollBar")) return kScroll;
  if (SameText(cls, PROGRESS_CLASSW)) return kProgress;
  if (SameText(cls, UPDOWN_CLASSW)) return kUpDown;
  if (SameText(cls, L"#32770")) return kDialog;
  if (SameText(cls, L"SplitterBar")) return kDivider;
  return kOther;
}

// Windows the skin leaves alone: menus, tooltips, input method windows.
bool Skipped(HWND hwnd) {
  wchar_t cls[64];
  if (!GetClassNameW(hwnd, cls, 64)) return true;
  static const wchar_t* const kSkip[] = {
      L"#32768", L"#32769", L"IME", L"MSCTFIME UI", L"tooltips_class32", L"ComboLBox", L"Message"};
  for (const wchar_t* s : kSkip) {
    if (SameText(cls, s)) return true;
  }
  return false;
}

void Subclass(HWND hwnd) {
  if (GetLayerProp(hwnd, kSlotLower) || Skipped(hwnd)) return;
  const Kind kind = KindOf(hwnd);
  uintptr_t state = kind;
  if (GetActiveWindow() != hwnd) state |= kInactive;
  SetState(hwnd, state);
  WNDPROC old = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LowerProc)));
  if (!old) {
    RemoveLayerProp(hwnd, kSlotState);
    return;
  }
  SetLayerProp(hwnd, kSlotLower, reinterpret_cast<uintptr_t>(old));
}

// Someone subclassed the window above our layer: put a second one on top.
void AddUpperLayer(HWND hwnd) {
  WNDPROC current = CurrentProc(hwnd);
  if (current == &LowerProc || current == &UpperProc || GetLayerProp(hwnd, kSlotUpper)) return;
  SetLayerProp(hwnd, kSlotUpper, reinterpret_cast<uintptr_t>(current));
  SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&UpperProc));
}

// A window being destroyed: our layers come out where they are on top, and the window's
// properties go.
void Forget(HWND hwnd) {
  WNDPROC lower = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotLower));
  WNDPROC upper = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotUpper));
  if (upper && CurrentProc(hwnd) == &UpperProc) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(upper));
  }
  if (lower && CurrentProc(hwnd) == &LowerProc) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(lower));
  }
  RemoveLayerProp(hwnd, kSlotLower);
  RemoveLayerProp(hwnd, kSlotUpper);
  RemoveLayerProp(hwnd, kSlotState);
}

// ---------------------------------------------------------------- top-level windows

void PaintFrameOf(HWND hwnd) {
  const uintptr_t s = StateOf(hwnd);
  PaintFrame(hwnd, !(s & kInactive), Field(s, kPartShift), Field(s, kPressShift));
}

bool IsCaptionPart(WPARAM hit) {
  return hit == HTCLOSE || hit == HTMAXBUTTON || hit == HTMINBUTTON;
}

// The class background of windows that let DefWindowProc erase them with a system colour.
bool EraseWithClassColour(HWND hwnd, HDC dc) {
  const ULONG_PTR brush = GetClassLongPtrW(hwnd, GCLP_HBRBACKGROUND);
  if (brush == 0) return false;
  int index = -1;
  if (brush <= 31) {
    index = int(brush) - 1;
  } else {
    for (int i = 0; i < 31 && index < 0; ++i) {
      if (reinterpret_cast<ULONG_PTR>(g_lib.real_sys_brush(i)) == brush) index = i;
    }
  }
  COLORREF c;
  if (index < 0 || !SkinSysColour(index, &c)) return false;
  RECT r;
  GetClientRect(hwnd, &r);
  Fill(dc, r, c);
  return true;
}

LRESULT FrameMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  uintptr_t s = StateOf(hwnd);
  switch (msg) {
    case WM_NCPAINT:
      PaintFrameOf(hwnd);
      return 0;
    case WM_NCACTIVATE: {
      SetState(hwnd, wp ? s & ~kInactive : s | kInactive);
      // -1: the default procedure keeps its state but draws nothing.
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, -1);
      PaintFrameOf(hwnd);
      return r;
    }
    case WM_SETTEXT: {
      // The default procedure draws the title straight away; hidden, it only stores it.
      const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
      if (style & WS_VISIBLE) SetWindowLongW(hwnd, GWL_STYLE, style & ~WS_VISIBLE);
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      if (style & WS_VISIBLE) {
        SetWindowLongW(hwnd, GWL_STYLE, GetWindowLongW(hwnd, GWL_STYLE) | WS_VISIBLE);
        PaintFrameOf(hwnd);
      }
      return r;
    }
    case WM_NCHITTEST: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      if (r == HTCAPTION || r == HTSYSMENU || r == HTHELP || IsCaptionPart(WPARAM(r))) {
        const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
        const int part = CaptionButtonAt(hwnd, p);
        return part ? part : HTCAPTION;
      }
      return r;
    }
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
      if (!IsCaptionPart(wp)) break;
      SetState(hwnd, WithField(s, kPressShift, int(wp)));
      PaintFrameOf(hwnd);
      return 0;
    case WM_NCLBUTTONUP: {
      const int pressed = Field(s, kPressShift);
      if (!pressed) break;
      SetState(hwnd, WithField(s, kPressShift, 0));
      PaintFrameOf(hwnd);
      if (int(wp) == pressed) {
        WPARAM command = pressed == HTCLOSE       ? SC_CLOSE
                         : pressed == HTMINBUTTON ? SC_MINIMIZE
                         : IsZoomed(hwnd)         ? SC_RESTORE
                                                  : SC_MAXIMIZE;
        PostMessageW(hwnd, WM_SYSCOMMAND, command, lp);
      }
      return 0;
    }
    case WM_NCMOUSEMOVE: {
      const int part = IsCaptionPart(wp) ? int(wp) : 0;
      if (part != Field(s, kPartShift)) {
        SetState(hwnd, WithField(s, kPartShift, part));
        PaintFrameOf(hwnd);
      }
      TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE | TME_NONCLIENT, hwnd, 0};
      TrackMouseEvent(&tme);
      break;
    }
    case WM_NCMOUSELEAVE:
      if (Field(s, kPartShift) || Field(s, kPressShift)) {
        SetState(hwnd, WithField(WithField(s, kPartShift, 0), kPressShift, 0));
        PaintFrameOf(hwnd);
      }
      break;
    default:
      break;
  }
  *done = false;
  return 0;
}

// ---------------------------------------------------------------- controls

void RepaintButton(HWND hwnd) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd) || !GetLayerProp(hwnd, kSlotState)) return;
  if (LookOf(hwnd) == kLookGroup) {
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return;
  }
  WindowDc dc(hwnd, false);
  if (dc.get()) PaintButton(hwnd, dc.get(), (StateOf(hwnd) & kHover) != 0);
}

void TrackLeave(HWND hwnd) {
  TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
  TrackMouseEvent(&tme);
}

LRESULT ButtonMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  const ButtonLook look = LookOf(hwnd);
  if (look == kLookNone) {
    *done = false;
    return 0;
  }
  const uintptr_t s = StateOf(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) PaintButton(hwnd, dc, (s & kHover) != 0);
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      if (look == kLookGroup) PaintGroupBackground(hwnd, reinterpret_cast<HDC>(wp));
      PaintButton(hwnd, reinterpret_cast<HDC>(wp), (s & kHover) != 0);
      return 0;
    case WM_ERASEBKGND:
      if (look == kLookGroup) PaintGroupBackground(hwnd, reinterpret_cast<HDC>(wp));
      return 1;
    case WM_MOUSEMOVE:
      if (!(s & kHover)) {
        SetState(hwnd, s | kHover);
        TrackLeave(hwnd);
        const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
        RepaintButton(hwnd);
        return r;
      }
      break;
    case WM_MOUSELEAVE: {
      SetState(hwnd, s & ~kHover);
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      RepaintButton(hwnd);
      return r;
    }
    // The control draws itself straight away on these; the skin paints over it at once.
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case BM_SETCHECK:
    case BM_CLICK:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_CAPTURECHANGED:
    case WM_UPDATEUISTATE:
    case WM_SETFONT: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      RepaintButton(hwnd);
      return r;
    }
    default:
      break;
  }
  *done = false;
  return 0;
}

bool HasBorder(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) ||
         (GetWindowLongW(hwnd, GWL_STYLE) & (WS_BORDER | WS_DLGFRAME));
}

LRESULT EditMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  switch (msg) {
    case WM_NCPAINT: {
      if (!HasBorder(hwnd)) break;
      LRESULT r = 0;
      // Scroll bars of a multi-line box are the control's own drawing.
      if (GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) {
        r = CallWindowProcW(old, hwnd, msg, wp, lp);
      }
      PaintBorder(hwnd);
      return r;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case EM_SETREADONLY: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      if (IsWindow(hwnd) && IsWindowVisible(hwnd) && HasBorder(hwnd)) PaintBorder(hwnd);
      return r;
    }
    default:
      break;
  }
  *done = false;
  return 0;
}

LRESULT ProgressMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC, bool* done) {
  *done = true;
  switch (msg) {
    case WM_PAINT:
      if (!PaintsProgress(hwnd)) break;
      {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (dc) PaintProgress(hwnd, dc);
        EndPaint(hwnd, &ps);
      }
      return 0;
    case WM_PRINTCLIENT:
      if (!PaintsProgress(hwnd)) break;
      PaintProgress(hwnd, reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      if (!PaintsProgress(hwnd)) break;
      return 1;
    case WM_NCPAINT:
      if (!HasBorder(hwnd)) break;
      PaintBorder(hwnd);
      return 0;
    default:
      break;
  }
  (void)lp;
  *done = false;
  return 0;
}

int UpDownHalf(HWND hwnd, LPARAM lp) {
  RECT r;
  GetClientRect(hwnd, &r);
  const bool horizontal = (GetWindowLongW(hwnd, GWL_STYLE) & UDS_HORZ) != 0;
  const int at = horizontal ? short(LOWORD(lp)) : short(HIWORD(lp));
  const int mid = horizontal ? r.right / 2 : r.bottom / 2;
  return at < mid ? 1 : 2;
}

void RepaintUpDown(HWND hwnd) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd) || !GetLayerProp(hwnd, kSlotState)) return;
  const uintptr_t s = StateOf(hwnd);
  WindowDc dc(hwnd, false);
  if (dc.get()) PaintUpDown(hwnd, dc.get(), Field(s, kPressShift), Field(s, kPartShift));
}

LRESULT UpDownMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  uintptr_t s = StateOf(hwnd);
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) PaintUpDown(hwnd, dc, Field(s, kPressShift), Field(s, kPartShift));
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (IsWindowEnabled(hwnd)) SetState(hwnd, WithField(s, kPressShift, UpDownHalf(hwnd, lp)));
      break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
      SetState(hwnd, WithField(s, kPressShift, 0));
      break;
    case WM_MOUSEMOVE: {
      const int half = UpDownHalf(hwnd, lp);
      if (half != Field(s, kPartShift)) {
        SetState(hwnd, WithField(s, kPartShift, half));
        TrackLeave(hwnd);
      }
      break;
    }
    case WM_MOUSELEAVE:
      SetState(hwnd, WithField(s, kPartShift, 0));
      break;
    case WM_ENABLE:
      break;
    default:
      *done = false;
      return 0;
  }
  const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
  RepaintUpDown(hwnd);
  return r;
}

// Scroll bar controls are tracked here rather than by the control, whose own tracking loop
// draws the stock thumb. The notifications are the ones the control sends.
void ScrollNotify(HWND hwnd, int code, int position) {
  const bool vertical = (GetWindowLongW(hwnd, GWL_STYLE) & SBS_VERT) != 0;
  SendMessageW(GetParent(hwnd), vertical ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(code, position & 0xFFFF), reinterpret_cast<LPARAM>(hwnd));
}

int ScrollCode(int part) {
  switch (part) {
    case kScrollArrow1:
      return SB_LINEUP;
    case kScrollArrow2:
      return SB_LINEDOWN;
    case kScrollPage1:
      return SB_PAGEUP;
    default:
      return SB_PAGEDOWN;
  }
}

void RepaintScroll(HWND hwnd) {
  if (!IsWindow(hwnd) || !IsWindowVisible(hwnd) || !GetLayerProp(hwnd, kSlotState)) return;
  const Library::Track& t = g_lib.track;
  const bool mine = t.hwnd == hwnd;
  WindowDc dc(hwnd, false);
  if (dc.get()) {
    PaintScrollBar(hwnd, dc.get(), mine ? t.position : 0, mine && t.part == kScrollThumb,
                   mine ? t.part : 0, Field(StateOf(hwnd), kPartShift));
  }
}

void EndScrollTracking(HWND hwnd, bool notify) {
  Library::Track& t = g_lib.track;
  if (t.hwnd != hwnd || t.ending) return;
  t.ending = true;
  KillTimer(hwnd, kScrollTimer);
  const int part = t.part, position = t.position;
  if (GetCapture() == hwnd) ReleaseCapture();
  t = {};
  if (notify) {
    if (part == kScrollThumb) ScrollNotify(hwnd, SB_THUMBPOSITION, position);
    ScrollNotify(hwnd, SB_ENDSCROLL, 0);
  }
  RepaintScroll(hwnd);
}

LRESULT ScrollMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old, bool* done) {
  *done = true;
  Library::Track& t = g_lib.track;
  const uintptr_t s = StateOf(hwnd);
  if (GetWindowLongW(hwnd, GWL_STYLE) & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
    *done = false;
    return 0;
  }
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd, &ps);
      if (dc) {
        const bool mine = t.hwnd == hwnd;
        PaintScrollBar(hwnd, dc, mine ? t.position : 0, mine && t.part == kScrollThumb,
                       mine ? t.part : 0, Field(s, kPartShift));
      }
      EndPaint(hwnd, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      // The control would show a blinking caret over its thumb.
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!IsWindowEnabled(hwnd)) return 0;
      if (t.hwnd) EndScrollTracking(t.hwnd, true);
      ScrollGeometry g;
      MeasureScrollBar(hwnd, 0, false, &g);
      const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
      const int part = ScrollPartAt(g, p);
      if (part == kScrollNone) return 0;
      SCROLLINFO si = {sizeof si, SIF_POS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd, SB_CTL, &si);
      t = {hwnd, part, (g.vertical ? p.y : p.x) - g.start - g.offset, si.nPos, false};
      SetCapture(hwnd);
      if (part != kScrollThumb) {
        ScrollNotify(hwnd, ScrollCode(part), 0);
        SetTimer(hwnd, kScrollTimer, 350, nullptr);
      }
      RepaintScroll(hwnd);
      return 0;
    }
    case WM_MOUSEMOVE: {
      const POINT p = {short(LOWORD(lp)), short(HIWORD(lp))};
      ScrollGeometry g;
      if (t.hwnd == hwnd && t.part == kScrollThumb) {
        MeasureScrollBar(hwnd, 0, false, &g);
        const int room = g.track - g.thumb;
        int offset = (g.vertical ? p.y : p.x) - g.start - t.grab;
        if (offset < 0) offset = 0;
        if (offset > room) offset = room;
        const int position = g.minimum + (room > 0 ? MulDiv(offset, g.movable, room) : 0);
        if (position != t.position) {
          t.position = position;
          ScrollNotify(hwnd, SB_THUMBTRACK, position);
          RepaintScroll(hwnd);
        }
        return 0;
      }
      MeasureScrollBar(hwnd, 0, false, &g);
      const int part = ScrollPartAt(g, p);
      if (part != Field(s, kPartShift)) {
        SetState(hwnd, WithField(s, kPartShift, part));
        TrackLeave(hwnd);
        RepaintScroll(hwnd);
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      SetState(hwnd, WithField(s, kPartShift, 0));
      RepaintScroll(hwnd);
      return 0;
    case WM_TIMER:
      if (wp != kScrollTimer) break;
      if (t.hwnd == hwnd) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd, &p);
        ScrollGeometry g;
        MeasureScrollBar(hwnd, 0, false, &g);
        if (ScrollPartAt(g, p) == t.part) ScrollNotify(hwnd, ScrollCode(t.part), 0);
        SetTimer(hwnd, kScrollTimer, 50, nullptr);
      } else {
        KillTimer(hwnd, kScrollTimer);
      }
      return 0;
    case WM_LBUTTONUP:
      EndScrollTracking(hwnd, true);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) EndScrollTracking(hwnd, true);
      return 0;
    // The control draws itself straight away on these.
    case SBM_SETPOS:
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW:
    case SBM_SETSCROLLINFO:
    case SBM_ENABLE_ARROWS:
    case WM_ENABLE:
    case WM_KEYDOWN:
    case WM_KEYUP: {
      const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
      RepaintScroll(hwnd);
      return r;
    }
    default:
      break;
  }
  *done = false;
  return 0;
}

// ---------------------------------------------------------------- the procedures

LRESULT Skinned(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, WNDPROC old) {
  if (msg == WM_NCDESTROY) {
    if (g_lib.track.hwnd == hwnd) g_lib.track = {};
    const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
    Forget(hwnd);
    return r;
  }
  if (!g_skin.active) {
    // The plain look: controls made while a skin was in force may hold its colours.
    if (g_lib.mapping && msg == WM_ERASEBKGND && (StateOf(hwnd) & kKindMask) == kButton &&
        LookOf(hwnd) == kLookGroup) {
      PaintGroupBackground(hwnd, reinterpret_cast<HDC>(wp));
      return 1;
    }
    if (!g_lib.mapping || msg < WM_CTLCOLORMSGBOX || msg > WM_CTLCOLORSTATIC) {
      return CallWindowProcW(old, hwnd, msg, wp, lp);
    }
  }
  if (msg >= WM_CTLCOLORMSGBOX && msg <= WM_CTLCOLORSTATIC) {
    const LRESULT r = CallWindowProcW(old, hwnd, msg, wp, lp);
    return reinterpret_cast<LRESULT>(
        MapColours(msg, reinterpret_cast<HDC>(wp), reinterpret_cast<HBRUSH>(r)));
  }
  bool done = false;
  LRESULT r = 0;
  // Menus and a window's own scroll bars are the default procedure's drawing: such frames
  // stay plain.
  if (IsTopLevel(hwnd) && !GetMenu(hwnd) &&
      !(GetWindowLongW(hwnd, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL))) {
    r = FrameMessage(hwnd, msg, wp, lp, old, &done);
    if (done) return r;
  }
  switch (StateOf(hwnd) & kKindMask) {
    case kButton:
      r = ButtonMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kEdit:
      r = EditMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kScroll:
      r = ScrollMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kProgress:
      r = ProgressMessage(hwnd, msg, wp, lp, old, &done);
      break;
    case kUpDown:
      r = UpDownMessage(hwnd, msg, wp, lp, old, &done);
      break;
    default:
      if (msg == WM_ERASEBKGND && EraseWithClassColour(hwnd, reinterpret_cast<HDC>(wp))) {
        return 1;
      }
      break;
  }
  if (done) return r;
  return CallWindowProcW(old, hwnd, msg, wp, lp);
}

LRESULT CALLBACK LowerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotLower));
  if (!old) return DefWindowProcW(hwnd, msg, wp, lp);
  if (GetLayerProp(hwnd, kSlotUpper)) return CallWindowProcW(old, hwnd, msg, wp, lp);
  if (g_skin.active && msg != WM_NCDESTROY && CurrentProc(hwnd) != &LowerProc) AddUpperLayer(hwnd);
  return Skinned(hwnd, msg, wp, lp, old);
}

LRESULT CALLBACK UpperProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetLayerProp(hwnd, kSlotUpper));
  if (!old) return DefWindowProcW(hwnd, msg, wp, lp);
  return Skinned(hwnd, msg, wp, lp, old);
}

// ---------------------------------------------------------------- reaching every window

LRESULT CALLBACK CbtProc(int code, WPARAM wp, LPARAM lp) {
  if (code == HCBT_CREATEWND && g_skin.active) Subclass(reinterpret_cast<HWND>(wp));
  return CallNextHookEx(g_lib.hook, code, wp, lp);
}

bool OwnThread(HWND hwnd) {
  return GetWindowThreadProcessId(hwnd, nullptr) == g_lib.thread;
}

// Every window of the thread, children after their parent.
template <class Visit>
void ForEachWindow(Visit visit) {
  struct Walk {
    Visit* visit;
    static BOOL CALLBACK Child(HWND hwnd, LPARAM lp) {
      if (OwnThread(hwnd)) (*reinterpret_cast<Walk*>(lp)->visit)(hwnd);
      return TRUE;
    }
    static BOOL CALLBACK Top(HWND hwnd, LPARAM lp) {
      (*reinterpret_cast<Walk*>(lp)->visit)(hwnd);
      EnumChildWindows(hwnd, &Child, lp);
      return TRUE;
    }
  } walk = {&visit};
  EnumThreadWindows(g_lib.thread, &Walk::Top, reinterpret_cast<LPARAM>(&walk));
}

void RedrawAll() {
  ForEachWindow([](HWND hwnd) {
    if (IsTopLevel(hwnd) && IsWindowVisible(hwnd)) {
      RedrawWindow(hwnd, nullptr, nullptr,
                   RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
  });
}

// ---------------------------------------------------------------- the skin in force

void FreeSkinObjects() {
  if (g_skin.face_brush) DeleteObject(g_skin.face_brush);
  if (g_skin.edit_brush) DeleteObject(g_skin.edit_brush);
  if (g_skin.caption_font) DeleteObject(g_skin.caption_font);
  g_skin.face_brush = nullptr;
  g_skin.edit_brush = nullptr;
  g_skin.caption_font = nullptr;
  for (HBRUSH& b : g_lib.sys_brush) {
    if (b) DeleteObject(b);
    b = nullptr;
  }
}

// Takes the skin's colours, metrics and pictures: everything is copied out of the caller's
// bytes, which it frees after the call.
bool Load(const SkinInfo& info) {
  HBRUSH face = CreateSolidBrush(FromRgb(info.colours[kFace]));
  HBRUSH edit = CreateSolidBrush(FromRgb(info.colours[kEditBack]));
  NONCLIENTMETRICSW ncm = {};
  ncm.cbSize = sizeof ncm;
  HFONT font = nullptr;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
    ncm.lfCaptionFont.lfWeight = info.metrics[kCaptionBold] ? FW_BOLD : FW_NORMAL;
    font = CreateFontIndirectW(&ncm.lfCaptionFont);
  }
  if (!face || !edit) {
    if (face) DeleteObject(face);
    if (edit) DeleteObject(edit);
    if (font) DeleteObject(font);
    return false;
  }
  FreeSkinObjects();
  g_skin.face_brush = face;
  g_skin.edit_brush = edit;
  g_skin.caption_font = font;
  for (int i = 0; i < kSkinColourCount; ++i) g_skin.colour[i] = FromRgb(info.colours[i]);
  for (int i = 0; i < kSkinMetricCount; ++i) g_skin.metric[i] = info.metrics[i];
  for (int i = 0; i < kSkinPictureSlotCount; ++i) {
    Picture& p = g_skin.picture[i];
    p = {0, 0, g_lib.pixels[i]};
    const SkinPicture& from = info.pictures[i];
    if (from.data && DecodeSkinPicture(from, g_lib.pixels[i], kSkinPictureMaxPixels)) {
      p.width = from.width;
      p.height = from.height;
    }
  }
  return true;
}

void Detach() {
  if (g_lib.hook) UnhookWindowsHookEx(g_lib.hook);
  g_lib.hook = nullptr;
  UnpatchModules();
  const bool was_active = g_skin.active;
  g_skin.active = false;
  FreeSkinObjects();
  if (g_lib.thread) {
    if (g_lib.track.hwnd) EndScrollTracking(g_lib.track.hwnd, true);
    if (was_active) RedrawAll();
  }
}

void Attach(const SkinInfo& info, HMODULE caller) {
  if (!Load(info)) {
    Detach();
    return;
  }
  g_lib.thread = GetCurrentThreadId();
  if (!g_lib.pinned) {
    HMODULE self;
    g_lib.pinned =
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                           reinterpret_cast<LPCWSTR>(&Attach), &self);
  }
  g_skin.active = true;
  g_lib.mapping = true;
  RememberSkinColours();
  if (!g_lib.hook) g_lib.hook = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, g_lib.thread);
  if (g_lib.patches == 0) {
    PatchModule(GetModuleHandleW(nullptr));
    if (caller != GetModuleHandleW(nullptr)) PatchModule(caller);
  }
  ForEachWindow([](HWND hwnd) {
    if (!GetLayerProp(hwnd, kSlotLower)) {
      Subclass(hwnd);
    } else if (CurrentProc(hwnd) != &LowerProc) {
      AddUpperLayer(hwnd);
    }
    if (IsTopLevel(hwnd)) {
      const uintptr_t s = StateOf(hwnd);
      SetState(hwnd, GetActiveWindow() == hwnd ? s & ~kInactive : s | kInactive);
    }
  });
  RedrawAll();
}

}  // namespace

// ---------------------------------------------------------------- colours for the program

bool SkinSysColour(int index, COLORREF* out) {
  COLORREF c;
  switch (index) {
    case COLOR_BTNFACE:
    case COLOR_MENU:
    case COLOR_MENUBAR:
      c = Colour(kFace);
      break;
    case COLOR_WINDOW:
      c = Colour(kEditBack);
      break;
    case COLOR_WINDOWTEXT:
      c = Colour(kEditText);
      break;
    case COLOR_MENUTEXT:
      c = Colour(kText);
      break;
    case COLOR_BTNTEXT:
      c = Colour(kButtonText);
      break;
    case COLOR_HIGHLIGHT:
    case COLOR_HOTLIGHT:
    case COLOR_MENUHILIGHT:
      c = Colour(kAccent);
      break;
    case COLOR_HIGHLIGHTTEXT:
      c = Colour(kAccentText);
      break;
    case COLOR_GRAYTEXT:
      c = Colour(kDisabledText);
      break;
    case COLOR_BTNSHADOW:
      c = Colour(kShadow);
      break;
    case COLOR_3DDKSHADOW:
      c = Mix(Colour(kShadow), RGB(0, 0, 0), 100);
      break;
    case COLOR_BTNHIGHLIGHT:
      c = Colour(kLight);
      break;
    case COLOR_3DLIGHT:
      c = Mix(Colour(kFace), Colour(kLight), 128);
      break;
    case COLOR_ACTIVECAPTION:
      c = Colour(kCaptionTop);
      break;
    case COLOR_GRADIENTACTIVECAPTION:
      c = Colour(kCaptionBottom);
      break;
    case COLOR_CAPTIONTEXT:
      c = Colour(kCaptionText);
      break;
    case COLOR_INACTIVECAPTION:
      c = Colour(kInactiveCaptionTop);
      break;
    case COLOR_GRADIENTINACTIVECAPTION:
      c = Colour(kInactiveCaptionBottom);
      break;
    case COLOR_INACTIVECAPTIONTEXT:
      c = Colour(kInactiveCaptionText);
      break;
    case COLOR_ACTIVEBORDER:
    case COLOR_INACTIVEBORDER:
      c = Colour(kFrame);
      break;
    case COLOR_WINDOWFRAME:
      c = Colour(kButtonBorder);
      break;
    case COLOR_SCROLLBAR:
      c = Colour(kTrack);
      break;
    default:
      return false;
  }
  *out = c;
  return true;
}

void RememberSkinColours() {
  Library& l = g_lib;
  Remember(l.faces, &l.face_count, 40, l.real_sys_colour(COLOR_BTNFACE));
  Remember(l.faces, &l.face_count, 40, Colour(kFace));
  Remember(l.windows, &l.window_count, 40, l.real_sys_colour(COLOR_WINDOW));
  Remember(l.windows, &l.window_count, 40, Colour(kEditBack));
  Remember(l.texts, &l.text_count, 80, l.real_sys_colour(COLOR_WINDOWTEXT));
  Remember(l.texts, &l.text_count, 80, l.real_sys_colour(COLOR_BTNTEXT));
  Remember(l.texts, &l.text_count, 80, Colour(kText));
  Remember(l.texts, &l.text_count, 80, Colour(kEditText));
}

HBRUSH MapColours(UINT msg, HDC dc, HBRUSH brush) {
  const bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  // The colours in force: the skin's, or the system's for the plain look.
  const bool skinned = g_skin.active;
  Library& l = g_lib;
  const COLORREF face = skinned ? Colour(kFace) : l.real_sys_colour(COLOR_BTNFACE);
  const COLORREF window = skinned ? Colour(kEditBack) : l.real_sys_colour(COLOR_WINDOW);
  HBRUSH face_brush = skinned ? g_skin.face_brush : l.real_sys_brush(COLOR_BTNFACE);
  HBRUSH window_brush = skinned ? g_skin.edit_brush : l.real_sys_brush(COLOR_WINDOW);
  HBRUSH result = brush;
  LOGBRUSH lb;
  const bool solid =
      brush && GetObjectW(brush, sizeof lb, &lb) == sizeof lb && lb.lbStyle == BS_SOLID;
  if (!brush || (solid && Known(l.faces, l.face_count, lb.lbColor))) {
    // The default background: the face, or the edit colour inside edit boxes and lists.
    const bool edit_back = edit && !brush;
    result = edit_back ? window_brush : face_brush;
    SetBkColor(dc, edit_back ? window : face);
  } else if (solid && edit && Known(l.windows, l.window_count, lb.lbColor)) {
    result = window_brush;
    SetBkColor(dc, window);
  }
  if (Known(l.texts, l.text_count, GetTextColor(dc))) {
    SetTextColor(dc, skinned ? (edit ? Colour(kEditText) : Colour(kText))
                             : l.real_sys_colour(edit ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
  }
  if (skinned) {
    // The control draws its text on this brush: in a colour that stands out from it.
    LOGBRUSH back;
    const bool solid_back =
        result && GetObjectW(result, sizeof back, &back) == sizeof back && back.lbStyle == BS_SOLID;
    SetTextColor(
        dc, Readable(GetTextColor(dc), solid_back ? back.lbColor : GetBkColor(dc), LargeFont(dc)));
  }
  return result;
}

HBRUSH ParentBrush(HWND hwnd, HDC dc, UINT ctlcolor) {
  HWND parent = GetParent(hwnd);
  HBRUSH b = nullptr;
  if (parent) {
    b = reinterpret_cast<HBRUSH>(SendMessageW(parent, ctlcolor, reinterpret_cast<WPARAM>(dc),
                                              reinterpret_cast<LPARAM>(hwnd)));
  }
  if (!b) b = MapColours(ctlcolor, dc, nullptr);
  return b;
}

}  // namespace skinlib

using namespace skinlib;

extern "C" {

// The one export: data and length of a skin (none or anything unreadable: the plain look),
// then a text and three words the library does not use. The caller frees the data afterwards.
__declspec(dllexport) int WINAPI
    SkinH_AttachRes(const uint8_t* data, int length, const char*, int, int, int) {
  HMODULE caller = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      static_cast<LPCWSTR>(__builtin_return_address(0)), &caller);
  // A skin in force belongs to the thread that applied it.
  if (g_lib.thread && g_lib.thread != GetCurrentThreadId()) return 0;
  if (!g_lib.thread) g_lib.thread = GetCurrentThreadId();
  SkinInfo info;
  if (!data || length <= 0 || IsBadReadPtr(data, UINT_PTR(length)) ||
      ReadSkin(data, uint32_t(length), &info) != kSkinOk) {
    Detach();
    return 0;
  }
  Attach(info, caller);
  return 1;
}

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_lib.self = instance;
    DisableThreadLibraryCalls(instance);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    g_lib.real_sys_colour = reinterpret_cast<DWORD(WINAPI*)(int)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColor")));
    g_lib.real_sys_brush = reinterpret_cast<HBRUSH(WINAPI*)(int)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColorBrush")));
    g_lib.real_draw_text = reinterpret_cast<decltype(g_lib.real_draw_text)>(
        reinterpret_cast<void*>(GetProcAddress(user32, "DrawTextW")));
    g_lib.real_ext_text_out = reinterpret_cast<decltype(g_lib.real_ext_text_out)>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"gdi32.dll"), "ExtTextOutW")));
    return g_lib.real_sys_colour && g_lib.real_sys_brush && g_lib.real_draw_text &&
           g_lib.real_ext_text_out;
  }
  if (reason == DLL_PROCESS_DETACH) {
    // Windows go with the process; what is shared with the system is given back.
    if (g_lib.hook) UnhookWindowsHookEx(g_lib.hook);
    g_lib.hook = nullptr;
    UnpatchModules();
    g_skin.active = false;
    FreeSkinObjects();
    (void)reserved;
  }
  return TRUE;
}

}  // extern "C"
