// Picture scaling of good quality that looks the same on every system: GDI's HALFTONE stretch
// mode is not an area average everywhere (some implementations sample, so a fine pattern turns
// into stripes), so the runtime scales pictures itself, once per size, and blits the result.
#pragma once

#include <cstdint>

#include "runtime/draw/bitmap.h"

namespace rc::draw {

// Scales premultiplied BGRA pixels (rows packed, top-down) from sw x sh to dw x dh: each axis
// that shrinks takes the area average of the source pixels a target pixel covers, each axis
// that grows interpolates linearly between the nearest source pixels. Sizes must be above 0.
void ResamplePixels(const uint32_t* src, int sw, int sh, uint32_t* dst, int dw, int dh);

// The same on bitmaps; empty when src is empty or the new size cannot be made.
Bitmap Resample(const Bitmap& src, int width, int height);

}  // namespace rc::draw
