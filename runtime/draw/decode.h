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
// An ICO file holds its picture in several sizes; the one drawn is the one nearest to the size
// it is drawn at from above, so that it is shrunk rather than blown up: preferred_size 0 takes
// the largest image of the file, otherwise the smallest one at least that large (the largest
// when none is). Every caller chooses by this one rule.
struct IcoImage {
  int index = -1;  // in the file's directory; -1: none readable
  int width = 0, height = 0;
};
IcoImage ChooseIcoImage(const uint8_t* data, size_t size, int preferred_size);
Decoded DecodeIcoImage(const uint8_t* data, size_t size, const IcoImage& chosen);
Decoded DecodeIco(const uint8_t* data, size_t size, int preferred_size);

}  // namespace rc::draw
