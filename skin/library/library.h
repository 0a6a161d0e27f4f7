// What the skin library's parts share: the skin in force, its colours, legibility and the
// drawing helpers. The library runs without C runtime: no allocation, no global objects with
// constructors or destructors, no exceptions; handles that a function makes are freed by the
// RAII helpers below before it returns.
#pragma once

#include <windows.h>

#include "skin/contrast.h"
#include "skin/skin_format.h"

namespace skinlib {

struct Picture {
  int width;
  int height;  // 0: no picture in this slot
  const uint32_t* pixels;
};

// The skin in force. All zero while the plain look is in force.
struct Skin {
  bool active;
  COLORREF colour[skin::kSkinColourCount];
  uint8_t metric[skin::kSkinMetricCount];
  Picture picture[skin::kSkinPictureSlotCount];
  HBRUSH face_brush;
  HBRUSH edit_brush;
  HFONT caption_font;
};
extern Skin g_skin;

inline COLORREF Colour(skin::SkinColour role) {
  return g_skin.colour[role];
}
inline int Metric(skin::SkinMetric m) {
  return g_skin.metric[m];
}

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// a with a share t/256 of b.
COLORREF Mix(COLORREF a, COLORREF b, int t);
// 0..255, how light a colour looks.
int Lightness(COLORREF c);

// ---- legibility
//
// Text (and the few graphics that carry meaning: a progress bar's fill, a divider) whose colour
// does not stand out from what it is drawn on is drawn in the nearest colour of the same hue
// that does; colours that already stand out are drawn as they are.

// The colour to draw `c` in on `back`: 4.5 : 1, or 3 : 1 when `large`.
COLORREF Readable(COLORREF c, COLORREF back, bool large);
// The same on what is already painted in `r` of the DC. `body`: a button's body, the darkest
// colour down its middle (its texture at its darkest); otherwise the colour that most of r
// shows. `c` when nothing can be sampled.
COLORREF ReadableOnPixels(HDC dc, const RECT& r, COLORREF c, bool large, bool body);
// The DC's font is large text: 18 points and more.
bool LargeFont(HDC dc);

// ---- the system's colours and the skin's

// GetSysColor and GetSysColorBrush as the system answers them, whatever the program's imports
// point at.
COLORREF RealSysColour(int index);
HBRUSH RealSysBrush(int index);
// Finds the system's functions the program's imports are pointed away from; false when one is
// missing. Then the import entries of the program's main module and of the module that applied
// the skin are pointed at the skin's (once), and put back.
bool FindSystemFunctions();
void PatchModules(HMODULE caller, HMODULE self);
void UnpatchModules();
// The skin's colour for a system colour index; false for an index the skin leaves alone.
bool SkinSysColour(int index, COLORREF* out);
// The skin's brush for a system colour index, made on demand; null for an index the skin
// leaves alone.
HBRUSH SkinSysBrush(int index);
void FreeSkinSysBrushes();
// Remembers colours the program may have taken from the skin (see MapColours); from the first
// skin on, colour requests are mapped even in the plain look.
void RememberSkinColours();
bool ColoursMapped();
// A text colour the program took from the system or a skin, not one of its own choosing.
bool KnownTextColour(COLORREF c);
// Sends the parent the colour request a control of this kind sends, so that explicit colours
// of the program's units are kept and default ones come back in the skin's colours.
HBRUSH ParentBrush(HWND hwnd, HDC dc, UINT ctlcolor);
// The answer to a WM_CTLCOLOR* request after the window's own procedure gave `brush`.
HBRUSH MapColours(UINT msg, HDC dc, HBRUSH brush);
// The class background of windows that let DefWindowProc erase them with a system colour,
// in the skin's colour; false when the class has none the skin maps.
bool EraseWithClassColour(HWND hwnd, HDC dc);

// ---- display scaling
//
// The skin's lengths (radii, margins, lines, least sizes) are given for 96 DPI and drawn at the
// DPI of the window they are drawn in, by the runtime's rule (MulDiv, half away from zero): at
// 96 every pixel is where the skin puts it. What the window system lays out itself (the frame's
// thickness, the title bar's height, a control's size) is measured, not scaled.

// The DPI of the system's displays, as the process sees it.
int SystemDpi();
// The DPI a window is drawn at: its own where the system tells it (per-monitor awareness), the
// system's otherwise.
int WindowDpi(HWND hwnd);

class Scale {
 public:
  explicit Scale(HWND hwnd) : dpi_(WindowDpi(hwnd)) {}
  int dpi() const { return dpi_; }
  // A length of the skin's at this DPI.
  int operator()(int px) const { return MulDiv(px, dpi_, 96); }

 private:
  int dpi_;
};

// ---- RAII for what painting makes and selects

class Selected {
 public:
  Selected(HDC dc, HGDIOBJ obj) : dc_(dc), old_(obj ? SelectObject(dc, obj) : nullptr) {}
  ~Selected() {
    if (old_) SelectObject(dc_, old_);
  }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

class Owned {
 public:
  explicit Owned(HGDIOBJ obj) : obj_(obj) {}
  ~Owned() {
    if (obj_) DeleteObject(obj_);
  }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  HGDIOBJ get() const { return obj_; }

 private:
  HGDIOBJ obj_;
};

class WindowDc {
 public:
  WindowDc(HWND hwnd, bool whole) : hwnd_(hwnd), dc_(whole ? GetWindowDC(hwnd) : GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// The DC of a WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
  ~PaintDc() { EndPaint(hwnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_;
  HDC dc_;
};

// An off-screen copy of a rectangle of a DC: painted there, then copied in one go, so that a
// control never shows half-painted.
class Buffer {
 public:
  Buffer(HDC target, const RECT& area);
  // The whole client area of a window.
  Buffer(HDC target, HWND client);
  ~Buffer();
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  bool ok() const { return bitmap_ != nullptr; }
  HDC dc() const { return dc_; }
  // The rectangle in the buffer's own coordinates (0, 0 at its top left).
  RECT rect() const { return {0, 0, width_, height_}; }
  void Show();

 private:
  HDC target_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  int x_, y_, width_, height_;
};

// ---- drawing helpers

inline int Width(const RECT& r) {
  return r.right - r.left;
}
inline int Height(const RECT& r) {
  return r.bottom - r.top;
}
inline RECT Inset(RECT r, int d) {
  InflateRect(&r, -d, -d);
  return r;
}

// A window's text in a fixed buffer: the windows the skin dresses carry short captions.
struct Text {
  wchar_t s[256];
  int n;
  explicit Text(HWND hwnd) { n = GetWindowTextW(hwnd, s, 256); }
};

void Fill(HDC dc, const RECT& r, COLORREF c);
// A body in a style: 0 flat (top colour), 1 vertical gradient, 2 glass.
void Body(HDC dc, const RECT& r, int style, COLORREF top, COLORREF bottom);
// Outline in a colour, rounded when radius > 0.
void Outline(HDC dc, const RECT& r, int radius, COLORREF c);
// An outline `width` pixels wide, inwards from r.
void Outline(HDC dc, RECT r, int radius, COLORREF c, int width);
// A filled shape: 0 rectangle, else rounded with that radius.
void FillRounded(HDC dc, const RECT& r, int radius, COLORREF c);
// A body inside a rounded outline, clipped to the rounded shape; the picture of the slot when
// the skin has one (slot >= 0).
void RoundedBody(HDC dc, const RECT& r, int radius, int style, COLORREF top, COLORREF bottom,
                 int picture_slot);
// A picture tiled across and stretched down the rectangle; false when the slot is empty.
bool DrawPicture(HDC dc, const RECT& r, skin::SkinPictureSlot slot);
void Line(HDC dc, int x1, int y1, int x2, int y2);
// A solid triangle pointing up (0), down (1), left (2) or right (3), centred in r.
void Arrow(HDC dc, const RECT& r, int direction, COLORREF c, const Scale& sc);

}  // namespace skinlib
