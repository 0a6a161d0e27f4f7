// Colours and text the program takes from the system. The runtime paints the default
// background of its windows and labels in the system's button face colour, read through
// GetSysColor at paint time, and draws its own text with DrawTextW and its divider with
// ExtTextOutW. The import entries of these in the calling module (and the program's main
// module) are pointed at the skin's while a skin is in force.
#include "skin/library/layers.h"

namespace skinlib {

using namespace skin;

namespace {

struct Imports {
  DWORD(WINAPI* real_sys_colour)(int);
  HBRUSH(WINAPI* real_sys_brush)(int);
  int(WINAPI* real_draw_text)(HDC, LPCWSTR, int, LPRECT, UINT);
  BOOL(WINAPI* real_ext_text_out)(HDC, int, int, UINT, const RECT*, LPCWSTR, UINT, const INT*);
  // Import entries pointed at our GetSysColor, GetSysColorBrush, DrawTextW and ExtTextOutW.
  struct Patch {
    void** slot;
    void* original;
  } patch[16];
  int patches;
};
Imports g_imports;

DWORD WINAPI SkinGetSysColor(int index) {
  COLORREF c;
  if (g_skin.active && SkinSysColour(index, &c)) return c;
  return g_imports.real_sys_colour(index);
}

HBRUSH WINAPI SkinGetSysColorBrush(int index) {
  if (g_skin.active) {
    if (HBRUSH b = SkinSysBrush(index)) return b;
  }
  return g_imports.real_sys_brush(index);
}

// The program's own text, drawn where its colour may not stand out from the skin: drawn in a
// colour that does for the call, and the DC's colour put back, so that the program reads back
// what it set. Text in the system's text colour takes the skin's where it would not stand out.
int WINAPI SkinDrawTextW(HDC dc, LPCWSTR text, int n, LPRECT r, UINT format) {
  if (!g_skin.active || !dc || !r || (format & DT_CALCRECT)) {
    return g_imports.real_draw_text(dc, text, n, r, format);
  }
  const COLORREF set = GetTextColor(dc);
  const bool large = LargeFont(dc);
  COLORREF c = ReadableOnPixels(dc, *r, set, large, false);
  if (c != set && KnownTextColour(set)) {
    c = ReadableOnPixels(dc, *r, Colour(kText), large, false);
  }
  if (c == set) return g_imports.real_draw_text(dc, text, n, r, format);
  SetTextColor(dc, c);
  const int result = g_imports.real_draw_text(dc, text, n, r, format);
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
        const BOOL ok = g_imports.real_ext_text_out(dc, x, y, options, r, text, n, dx);
        SetBkColor(dc, set);
        return ok;
      }
    }
  }
  return g_imports.real_ext_text_out(dc, x, y, options, r, text, n, dx);
}

void PatchModule(HMODULE module, HMODULE self) {
  if (!module || module == self) return;
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
      if (*slot == reinterpret_cast<void*>(g_imports.real_sys_colour)) {
        with = reinterpret_cast<void*>(&SkinGetSysColor);
      } else if (*slot == reinterpret_cast<void*>(g_imports.real_sys_brush)) {
        with = reinterpret_cast<void*>(&SkinGetSysColorBrush);
      } else if (*slot == reinterpret_cast<void*>(g_imports.real_draw_text)) {
        with = reinterpret_cast<void*>(&SkinDrawTextW);
      } else if (*slot == reinterpret_cast<void*>(g_imports.real_ext_text_out)) {
        with = reinterpret_cast<void*>(&SkinExtTextOutW);
      }
      if (!with || g_imports.patches == 16) continue;
      DWORD old;
      if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) continue;
      g_imports.patch[g_imports.patches++] = {slot, *slot};
      *slot = with;
      VirtualProtect(slot, sizeof *slot, old, &old);
    }
  }
}

}  // namespace

void UnpatchModules() {
  while (g_imports.patches > 0) {
    Imports::Patch& p = g_imports.patch[--g_imports.patches];
    DWORD old;
    if (VirtualProtect(p.slot, sizeof *p.slot, PAGE_READWRITE, &old)) {
      *p.slot = p.original;
      VirtualProtect(p.slot, sizeof *p.slot, old, &old);
    }
  }
}

COLORREF RealSysColour(int index) {
  return g_imports.real_sys_colour(index);
}
HBRUSH RealSysBrush(int index) {
  return g_imports.real_sys_brush(index);
}

bool FindSystemFunctions() {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  Imports& i = g_imports;
  i.real_sys_colour = reinterpret_cast<DWORD(WINAPI*)(int)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColor")));
  i.real_sys_brush = reinterpret_cast<HBRUSH(WINAPI*)(int)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetSysColorBrush")));
  i.real_draw_text = reinterpret_cast<decltype(i.real_draw_text)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "DrawTextW")));
  i.real_ext_text_out = reinterpret_cast<decltype(i.real_ext_text_out)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"gdi32.dll"), "ExtTextOutW")));
  return i.real_sys_colour && i.real_sys_brush && i.real_draw_text && i.real_ext_text_out;
}

void PatchModules(HMODULE caller, HMODULE self) {
  if (g_imports.patches != 0) return;
  PatchModule(GetModuleHandleW(nullptr), self);
  if (caller != GetModuleHandleW(nullptr)) PatchModule(caller, self);
}

}  // namespace skinlib
