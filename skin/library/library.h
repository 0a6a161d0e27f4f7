// What the skin library's parts share: the skin in force, the drawing helpers and the
// painting of each kind of window. The library runs without C runtime: no allocation, no
// global objects with constructors or destructors, no exceptions; handles that a function
// makes are freed by the RAII helpers below before it returns.
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

// An off-screen copy of a rectangle of a DC: painted there, then copied in one go, so that a
// control never shows half-painted.
class Buffer {
 public:
  Buffer(HDC target, const RECT& area);
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

void Fill(HDC dc, const RECT& r, COLORREF c);
// A body in a style: 0 flat (top colour), 1 vertical gradient, 2 glass.
void Body(HDC dc, const RECT& r, int style, COLORREF top, COLORREF bottom);
// Outline in a colour, rounded when radius > 0.
void Outline(HDC dc, const RECT& r, int radius, COLORREF c);
// A picture tiled across and stretched down the rectangle; false when the slot is empty.
bool DrawPicture(HDC dc, const RECT& r, skin::SkinPictureSlot slot);

// ---- the brushes and colours a control's parent gives it, mapped to the skin

// Sends the parent the colour request a control of this kind sends, so that explicit colours
// of the program's units are kept and default ones come back in the skin's colours.
HBRUSH ParentBrush(HWND hwnd, HDC dc, UINT ctlcolor);
// The answer to a WM_CTLCOLOR* request after the window's own procedure gave `brush`.
HBRUSH MapColours(UINT msg, HDC dc, HBRUSH brush);
// The skin's colour for a system colour index; false for an index the skin leaves alone.
bool SkinSysColour(int index, COLORREF* out);
// Remembers colours the program may have taken from the skin (see MapColours).
void RememberSkinColours();

// ---- painting of the kinds of windows

enum CaptionPart { kNoPart = 0 };  // otherwise HTCLOSE, HTMAXBUTTON, HTMINBUTTON

// Title bar, caption buttons and frame of a top-level window.
void PaintFrame(HWND hwnd, bool active, int hover, int pressed);
// Which of the drawn caption buttons is at a screen point: HTCLOSE, HTMAXBUTTON, HTMINBUTTON, 0.
int CaptionButtonAt(HWND hwnd, POINT screen);

// Button class: which of its types the skin draws.
enum ButtonLook { kLookNone, kLookPush, kLookCheck, kLookGroup };
ButtonLook LookOf(HWND hwnd);
void PaintButton(HWND hwnd, HDC dc, bool hover);
void PaintGroupBackground(HWND hwnd, HDC dc);

// The border of a child control in its non-client area (edit boxes, progress bars); false
// when it has none.
bool PaintBorder(HWND hwnd);

void PaintUpDown(HWND hwnd, HDC dc, int pressed, int hover);  // halves: 1 up/left, 2 down/right

// Scroll bar control parts, in order along the bar.
enum ScrollPart {
  kScrollNone,
  kScrollArrow1,
  kScrollPage1,
  kScrollThumb,
  kScrollPage2,
  kScrollArrow2
};
struct ScrollGeometry {
  bool vertical;
  int start;    // where the track starts along the bar
  int track;    // track length
  int thumb;    // thumb length; 0 when there is no thumb
  int offset;   // thumb start within the track
  int length;   // the bar's whole length
  int minimum;  // scroll range as the thumb moves
  int movable;  // positions the thumb can take, beyond minimum
};
void MeasureScrollBar(HWND hwnd, int drag_position, bool dragging, ScrollGeometry* g);
ScrollPart ScrollPartAt(const ScrollGeometry& g, POINT client);
void PaintScrollBar(HWND hwnd, HDC dc, int drag_position, bool dragging, int pressed, int hover);

bool PaintsProgress(HWND hwnd);
void PaintProgress(HWND hwnd, HDC dc);

}  // namespace skinlib
