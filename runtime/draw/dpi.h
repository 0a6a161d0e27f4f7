// Display scaling at the boundary to the window system. Form data, unit properties and the
// application count in pixels of a 96-DPI display; native windows, fonts and drawing count in
// the pixels of the monitor the window is on. Every length crosses here by one rule, so that
// units that meet edge to edge in the form still do on the screen:
//   an edge (a position) at v lies at MulDiv(v, dpi, 96), rounded half away from zero;
//   a size is the difference of its two scaled edges, but for a top-level window, whose place
//   on the screen is anyone's (centred, dragged, suggested by the system), it scales alone;
//   a length that has no place (a font's height, a line width, a margin) scales as an edge
//   from 0, and one of at least 1 stays at least 1.
// Reading back is the inverse, MulDiv(v, 96, dpi): from 96 DPI up, a position read back is the
// one written.
#pragma once

#include <windows.h>

namespace rc::draw {

constexpr int kDesignDpi = 96;

int ScaleEdge(int v, int dpi);
int UnscaleEdge(int v, int dpi);
int ScaleLength(int v, int dpi);

// A unit's rectangle (left, top, width, height in design pixels) on a display of `dpi`, and
// back: a native rectangle in design pixels, sizes from the unscaled edges.
RECT ScaleRect(int left, int top, int width, int height, int dpi);
struct LogicalRect {
  int left, top, width, height;
};
LogicalRect UnscaleRect(const RECT& r, int dpi);
// The same for a top-level window (`top_level`): the size scaled apart from the place.
RECT ScaleRect(int left, int top, int width, int height, int dpi, bool top_level);
LogicalRect UnscaleRect(const RECT& r, int dpi, bool top_level);

// The DPI the units of a native window are laid at: that of its top-level window as the
// runtime last laid it out (after a change of DPI the window system may not know it yet), else
// what the window system says of the window, else the system's DPI.
int DpiOf(HWND hwnd);
// The system's DPI (the one a new top-level window starts at).
int SystemDpi();
// Records (dpi 0: forgets) the DPI a top-level window's units are laid at.
void SetLaidDpi(HWND top, int dpi);

}  // namespace rc::draw
