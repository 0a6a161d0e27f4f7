// Colours for the program: the system's colours mapped to the skin's, and the answers to the
// colour requests of controls, which keep the program's explicit colours.
#include "skin/library/library.h"

namespace skinlib {

using namespace skin;

namespace {

struct Colours {
  bool mapping;          // a skin was applied: colours the program took from it are mapped back
  HBRUSH sys_brush[31];  // made on demand for the skin in force
  // Colours the program may hold from earlier skins or the plain look (MapColours).
  COLORREF faces[40];
  int face_count;
  COLORREF windows[40];
  int window_count;
  COLORREF texts[80];
  int text_count;
};
Colours g_colours;

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

}  // namespace

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

HBRUSH SkinSysBrush(int index) {
  COLORREF c;
  if (index < 0 || index >= 31 || !SkinSysColour(index, &c)) return nullptr;
  HBRUSH& b = g_colours.sys_brush[index];
  if (!b) b = CreateSolidBrush(c);
  return b;
}

void FreeSkinSysBrushes() {
  for (HBRUSH& b : g_colours.sys_brush) {
    if (b) DeleteObject(b);
    b = nullptr;
  }
}

void RememberSkinColours() {
  Colours& l = g_colours;
  l.mapping = true;
  Remember(l.faces, &l.face_count, 40, RealSysColour(COLOR_BTNFACE));
  Remember(l.faces, &l.face_count, 40, Colour(kFace));
  Remember(l.windows, &l.window_count, 40, RealSysColour(COLOR_WINDOW));
  Remember(l.windows, &l.window_count, 40, Colour(kEditBack));
  Remember(l.texts, &l.text_count, 80, RealSysColour(COLOR_WINDOWTEXT));
  Remember(l.texts, &l.text_count, 80, RealSysColour(COLOR_BTNTEXT));
  Remember(l.texts, &l.text_count, 80, Colour(kText));
  Remember(l.texts, &l.text_count, 80, Colour(kEditText));
}

HBRUSH MapColours(UINT msg, HDC dc, HBRUSH brush) {
  const bool edit = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
  // The colours in force: the skin's, or the system's for the plain look.
  const bool skinned = g_skin.active;
  Colours& l = g_colours;
  const COLORREF face = skinned ? Colour(kFace) : RealSysColour(COLOR_BTNFACE);
  const COLORREF window = skinned ? Colour(kEditBack) : RealSysColour(COLOR_WINDOW);
  HBRUSH face_brush = skinned ? g_skin.face_brush : RealSysBrush(COLOR_BTNFACE);
  HBRUSH window_brush = skinned ? g_skin.edit_brush : RealSysBrush(COLOR_WINDOW);
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
                             : RealSysColour(edit ? COLOR_WINDOWTEXT : COLOR_BTNTEXT));
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

bool ColoursMapped() {
  return g_colours.mapping;
}

bool KnownTextColour(COLORREF c) {
  return Known(g_colours.texts, g_colours.text_count, c);
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
      if (reinterpret_cast<ULONG_PTR>(RealSysBrush(i)) == brush) index = i;
    }
  }
  COLORREF c;
  if (index < 0 || !SkinSysColour(index, &c)) return false;
  RECT r;
  GetClientRect(hwnd, &r);
  Fill(dc, r, c);
  return true;
}

}  // namespace skinlib
