#include "runtime/draw/bitmap.h"

namespace rc::draw {

BITMAPINFO TopDownInfo(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

Bitmap Bitmap::Create(int width, int height) {
  Bitmap b;
  if (width <= 0 || height <= 0 || width > kMaxPictureSide || height > kMaxPictureSide ||
      int64_t(width) * height > kMaxPicturePixels) {
    return b;
  }
  BITMAPINFO info = TopDownInfo(width, height);
  void* bits = nullptr;
  HBITMAP h = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!h || !bits) {
    if (h) DeleteObject(h);
    return b;
  }
  // A fresh DIB section is zero-filled by the system.
  b.handle_ = h;
  b.bits_ = static_cast<uint32_t*>(bits);
  b.width_ = width;
  b.height_ = height;
  return b;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this != &other) {
    if (handle_) DeleteObject(handle_);
    handle_ = other.handle_;
    bits_ = other.bits_;
    width_ = other.width_;
    height_ = other.height_;
    other.handle_ = nullptr;
    other.bits_ = nullptr;
    other.width_ = other.height_ = 0;
  }
  return *this;
}

Bitmap::~Bitmap() {
  if (handle_) DeleteObject(handle_);
}

MemoryDc::MemoryDc(HDC like, HBITMAP bitmap) {
  dc_ = CreateCompatibleDC(like);
  if (dc_) old_ = SelectObject(dc_, bitmap);
}

MemoryDc::~MemoryDc() {
  if (dc_) {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
}

}  // namespace rc::draw
