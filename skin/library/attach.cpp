// The skin library: SkinH_AttachRes takes a skin and dresses every window of the calling
// thread in it, those that exist and those made later.
//
// How windows are reached: existing ones are put under our layers when a skin is applied, new
// ones from a CBT hook before their first message.
//
// What stays and what goes. An empty or unreadable skin restores the plain look at once: the
// hook is removed, the program's imports are put back, the skin's brushes and font are freed;
// the layers stay (see subclass.cpp). The library pins itself in memory on its first skin, so
// that no window procedure ever points at code that is gone; when the process ends, the hook,
// the imports and the GDI objects are given back.
#include "skin/library/layers.h"

namespace skinlib {

using namespace skin;

Skin g_skin;

namespace {

struct Library {
  HMODULE self;
  DWORD thread;
  HHOOK hook;
  bool pinned;
  uint32_t pixels[kSkinPictureSlotCount][kSkinPictureMaxPixels];
};
Library g_lib;

COLORREF FromRgb(uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

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

void FreeSkinObjects() {
  if (g_skin.face_brush) DeleteObject(g_skin.face_brush);
  if (g_skin.edit_brush) DeleteObject(g_skin.edit_brush);
  if (g_skin.caption_font) DeleteObject(g_skin.caption_font);
  g_skin.face_brush = nullptr;
  g_skin.edit_brush = nullptr;
  g_skin.caption_font = nullptr;
  FreeSkinSysBrushes();
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
    EndScrollTracking();
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
  RememberSkinColours();
  if (!g_lib.hook) g_lib.hook = SetWindowsHookExW(WH_CBT, &CbtProc, nullptr, g_lib.thread);
  PatchModules(caller, g_lib.self);
  ForEachWindow(&Dress);
  RedrawAll();
}

}  // namespace

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
    return FindSystemFunctions();
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
