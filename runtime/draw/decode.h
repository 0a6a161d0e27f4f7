// Decoders behind Picture::Decode. Each takes untrusted file bytes and returns premultiplied
// pixels, or an empty bitmap for anything it cannot read; none of them aborts or throws.
#pragma once

#include <cstddef>
#include <cstdint>

#include "runtime/draw/bitmap.h"

namespace rc::draw {

struct Decoded {
  Bitmap pixels;
  bool has_alpha = false;
};

Decoded DecodeJpeg(const uint8_t* data, size_t size);
Decoded DecodeBmp(const uint8_t* data, size_t size);
// preferred_size 0 takes the largest image of the file, otherwise the smallest one at least
// that large (the largest when none is).
Decoded DecodeIco(const uint8_t* data, size_t size, int preferred_size);

}  // namespace rc::draw
