#include "runtime/draw/picture.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "runtime/draw/decode.h"
#include "runtime/draw/dpi.h"
#include "runtime/draw/resample.h"

namespace rc::draw {

namespace {

int RoundDiv(int64_t num, int64_t den) {
  return static_cast<int>((num + den / 2) / den);
}

// Copies the part of `source` placed at `at` that lies inside `clip`.
void Blit(HDC dc, HDC source_dc, const RECT& at, const RECT& clip, bool alpha) {
  RECT part;
  if (!IntersectRect(&part, &at, &clip)) return;
  const int w = part.right - part.left, h = part.bottom - part.top;
  const int sx = part.left - at.left, sy = part.top - at.top;
  if (alpha) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, part.left, part.top, w, h, source_dc, sx, sy, w, h, blend);
  } else {
    BitBlt(dc, part.left, part.top, w, h, source_dc, sx, sy, SRCCOPY);
  }
}

}  // namespace

PictureLayout PicBoxLayout(int display_mode) {
  if (display_mode <= 0) return PictureLayout::kTopLeft;
  return display_mode == 1 ? PictureLayout::kStretch : PictureLayout::kCentre;
}

PictureLayout LabelPictureLayout(int picture_mode) {
  if (picture_mode <= 0) return PictureLayout::kTopLeft;
  return picture_mode == 1 ? PictureLayout::kTile : PictureLayout::kCentre;
}

RECT PlacePicture(SIZE picture, const RECT& area, PictureLayout layout) {
  const int aw = area.right - area.left, ah = area.bottom - area.top;
  int w = picture.cx, h = picture.cy;
  switch (layout) {
    case PictureLayout::kStretch:
      return area;
    case PictureLayout::kCentre:
      if (w > aw || h > ah) {
        if (w <= 0 || h <= 0 || aw <= 0 || ah <= 0)
          return RECT{area.left, area.top, area.left, area.top};
        if (int64_t(aw) * h <= int64_t(ah) * w) {
          h = std::max(1, RoundDiv(int64_t(h) * aw, w));
          w = aw;
        } else {
          w = std::max(1, RoundDiv(int64_t(w) * ah, h));
          h = ah;
        }
      }
      {
        const int x = area.left + (aw - w) / 2, y = area.top + (ah - h) / 2;
        return RECT{x, y, x + w, y + h};
      }
    case PictureLayout::kTopLeft:
    case PictureLayout::kTile:
    default:
      return RECT{area.left, area.top, area.left + w, area.top + h};
  }
}

Icon& Icon::operator=(Icon&& other) noexcept {
  if (this != &other) {
    if (handle_) DestroyIcon(handle_);
    handle_ = other.handle_;
    other.handle_ = nullptr;
  }
  return *this;
}

Icon::~Icon() {
  if (handle_) DestroyIcon(handle_);
}

Picture Picture::Decode(const uint8_t* data, size_t size, int preferred_size, int display_dpi) {
  Picture p;
  if (!data || size < 4) return p;
  Decoded d;
  if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
    d = DecodeJpeg(data, size);
  } else if (data[0] == 'B' && data[1] == 'M') {
    d = DecodeBmp(data, size);
  } else if (data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0) {
    const IcoImage largest = ChooseIcoImage(data, size, 0);
    const IcoImage first =
        preferred_size > 0 ? ChooseIcoImage(data, size, ScaleLength(preferred_size, display_dpi))
                           : largest;
    d = DecodeIcoImage(data, size, first);
    if (d.pixels.empty()) return p;
    p.own_ = SIZE{largest.width, largest.height};
    p.image_ = first.index;
    p.icon_file_ = std::make_shared<const std::vector<uint8_t>>(data, data + size);
  }
  if (p.icon_file_ == nullptr) p.own_ = SIZE{d.pixels.width(), d.pixels.height()};
  p.pixels_ = std::move(d.pixels);
  p.has_alpha_ = d.has_alpha;
  return p;
}

void Picture::ChooseImage(SIZE size) const {
  // Repaints at one size ask again and again: the file's directory is read only for a new size.
  if (icon_file_ == nullptr || (size.cx == chosen_for_.cx && size.cy == chosen_for_.cy)) return;
  chosen_for_ = size;
  const std::vector<uint8_t>& file = *icon_file_;
  const IcoImage image = ChooseIcoImage(file.data(), file.size(), std::max<int>(size.cx, size.cy));
  if (image.index == image_) return;
  Decoded d = DecodeIcoImage(file.data(), file.size(), image);
  if (d.pixels.empty()) return;  // drawn from the image held
  pixels_ = std::move(d.pixels);
  has_alpha_ = d.has_alpha;
  image_ = image.index;
  scaled_ = Bitmap();
}

const Bitmap* Picture::ScaledTo(int width, int height) const {
  ChooseImage(SIZE{width, height});
  if (width == pixels_.width() && height == pixels_.height()) return &pixels_;
  if (scaled_.width() != width || scaled_.height() != height) {
    scaled_ = Resample(pixels_, width, height);
  }
  return scaled_.empty() ? nullptr : &scaled_;
}

SIZE Picture::SizeAt(int dpi) const {
  if (dpi == kDesignDpi) return own_;
  return SIZE{ScaleLength(own_.cx, dpi), ScaleLength(own_.cy, dpi)};
}

HBITMAP Picture::BitmapAt(int dpi) const {
  if (empty()) return nullptr;
  const SIZE size = SizeAt(dpi);
  const Bitmap* b = ScaledTo(size.cx, size.cy);
  return b != nullptr ? b->handle() : nullptr;
}

void Picture::Draw(HDC dc, const RECT& area, PictureLayout layout, int dpi) const {
  if (empty() || area.left >= area.right || area.top >= area.bottom) return;
  RECT clip = area;
  RECT box;
  // Only what can show is drawn: tiles outside the DC's clip box are skipped.
  if (GetClipBox(dc, &box) != ERROR && !IntersectRect(&clip, &clip, &box)) return;
  const SIZE size = SizeAt(dpi);
  RECT at = PlacePicture(size, area, layout);
  const Bitmap* source = ScaledTo(at.right - at.left, at.bottom - at.top);
  if (!source) {
    StretchFallback(dc, at, clip);
    return;
  }
  MemoryDc source_dc(dc, source->handle());
  if (!source_dc) return;
  if (layout != PictureLayout::kTile) {
    Blit(dc, source_dc.get(), at, clip, has_alpha_);
    return;
  }
  const int w = size.cx, h = size.cy;
  for (int y = area.top + (clip.top - area.top) / h * h; y < clip.bottom; y += h) {
    for (int x = area.left + (clip.left - area.left) / w * w; x < clip.right; x += w) {
      Blit(dc, source_dc.get(), RECT{x, y, x + w, y + h}, clip, has_alpha_);
    }
  }
}

// For sizes too large to keep a scaled copy of: let GDI stretch the picture on the fly.
void Picture::StretchFallback(HDC dc, const RECT& at, const RECT& clip) const {
  MemoryDc source_dc(dc, pixels_.handle());
  if (!source_dc || SaveDC(dc) == 0) return;
  IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
  const int w = at.right - at.left, h = at.bottom - at.top;
  if (has_alpha_) {
    BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    AlphaBlend(dc, at.left, at.top, w, h, source_dc.get(), 0, 0, width(), height(), blend);
  } else {
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchBlt(dc, at.left, at.top, w, h, source_dc.get(), 0, 0, width(), height(), SRCCOPY);
  }
  RestoreDC(dc, -1);
}

Icon MakeIconFromFile(const uint8_t* data, size_t size, int icon_size) {
  return Picture::Decode(data, size, icon_size).MakeIcon(icon_size);
}

Picture Picture::Copy() const {
  Picture p;
  if (empty()) return p;
  p.pixels_ = Bitmap::Create(width(), height());
  if (p.pixels_.empty()) return p;
  for (int y = 0; y < height(); ++y) {
    std::memcpy(p.pixels_.row(y), pixels_.row(y), size_t(width()) * sizeof(uint32_t));
  }
  p.has_alpha_ = has_alpha_;
  p.image_ = image_;
  p.chosen_for_ = chosen_for_;
  p.icon_file_ = icon_file_;
  p.own_ = own_;
  return p;
}

Icon Picture::MakeIcon(int size) const {
  if (empty() || size <= 0) return Icon();
  // Fit the picture into the square, keeping its proportions.
  int w = size, h = size;
  if (width() >= height()) {
    h = std::max(1, RoundDiv(int64_t(height()) * size, width()));
  } else {
    w = std::max(1, RoundDiv(int64_t(width()) * size, height()));
  }
  Bitmap scaled = Resample(pixels_, w, h);
  Bitmap colour = Bitmap::Create(size, size);
  if (scaled.empty() || colour.empty()) return Icon();
  // Icons carry straight, not premultiplied, alpha; the mask marks the fully clear pixels for
  // whoever draws without alpha.
  const int ox = (size - w) / 2, oy = (size - h) / 2;
  const size_t mask_stride = (size + 15) / 16 * 2;
  std::vector<uint8_t> mask(mask_stride * size, 0xFF);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      uint32_t px = scaled.row(y)[x];
      uint32_t a = px >> 24;
      if (a == 0) continue;
      uint32_t out = a << 24;
      for (int k = 0; k < 3; ++k) {
        uint32_t c = (px >> (8 * k)) & 0xFF;
        out |= std::min<uint32_t>(255, (c * 255 + a / 2) / a) << (8 * k);
      }
      colour.row(oy + y)[ox + x] = out;
      mask[(oy + y) * mask_stride + (ox + x) / 8] &=
          static_cast<uint8_t>(~(0x80 >> ((ox + x) % 8)));
    }
  }
  HBITMAP mask_bitmap = CreateBitmap(size, size, 1, 1, mask.data());
  if (!mask_bitmap) return Icon();
  ICONINFO info = {TRUE, 0, 0, mask_bitmap, colour.handle()};
  Icon icon(CreateIconIndirect(&info));
  DeleteObject(mask_bitmap);
  return icon;
}

}  // namespace rc::draw
