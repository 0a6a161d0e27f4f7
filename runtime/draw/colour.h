// Colours as stored in form data and unit properties, and the gradients the drawn units fill.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rc::draw {

// Stored colours are 0x00BBGGRR; this one value means "the default colour".
constexpr uint32_t kDefaultColour = 0xFF000000;

// The colour to draw with: the default colour becomes the button-face system colour; the
// unused top byte of any other value is dropped, since stored colours are plain RGB.
COLORREF ResolveColour(uint32_t stored);

// Up to three gradient colours, taken in order from the stored ones that are not the default
// colour.
struct GradientStops {
  COLORREF colour[3] = {};
  int count = 0;
};
GradientStops PickGradientStops(uint32_t c1, uint32_t c2, uint32_t c3);

// The colour at position t (0 at the first stop, 1 at the last) of an even gradient through
// the stops; a single stop is a flat colour.
COLORREF GradientAt(const GradientStops& stops, double t);

// The frame of a label drawn with border 6: `width` pixels along the inside of rect, the
// gradient running across the frame from its outer edge (first stop) to its inner edge (last
// stop) on all four sides, so corners meet on the diagonal and three stops such as grey, white,
// grey look like a rounded moulding. Nothing is drawn with fewer than two stops or a width of
// 0 or less. Returns the area left for the label's text and picture: rect inset by the width
// when the frame was drawn (possibly empty), rect itself when not.
RECT DrawGradientFrame(HDC dc, const RECT& rect, int width, const GradientStops& stops);

// Where a pixel (fx, fy, each 0 to 1 across the area) lies on a gradient fill, from the first
// stop (0) to the last (1), by the fill's mode:
//   1 left to right              2 top to bottom
//   3 both sides to the middle    4 top and bottom to the middle
//   5 top-left to bottom-right    6 top-right to bottom-left
//   7 edges to the centre, in rectangular rings   8 centre to the corners, in ellipses
constexpr int kLastGradientMode = 8;
double GradientPosition(int mode, double fx, double fy);
// Fills `area` with the gradient of `mode` through the stops, each pixel taking the colour at
// its centre. Nothing is drawn for a mode of 0 or less, no stops or an empty area.
void FillGradient(HDC dc, const RECT& area, int mode, const GradientStops& stops);

}  // namespace rc::draw
