// The one pixel format every picture is decoded into: a 32-bit top-down DIB section holding
// premultiplied BGRA. Scaling and alpha blending then need no conversions, and GDI can blit it
// straight away (BitBlt for opaque pictures, AlphaBlend for those with transparency).
#pragma once

#include <windows.h>

#include <cstdint>

namespace rc::draw {

// Pictures larger than this are refused: the program is 32-bit, and a 32-bit DIB of the largest
// accepted size already takes 128 MB of its address space.
constexpr int kMaxPictureSide = 16384;
constexpr int64_t kMaxPicturePixels = 32 * 1024 * 1024;

class Bitmap {
 public:
  Bitmap() = default;
  // An all-zero (transparent black) bitmap; empty when the size is out of range or GDI has no
  // memory left.
  static Bitmap Create(int width, int height);

  Bitmap(Bitmap&& other) noexcept { *this = static_cast<Bitmap&&>(other); }
  Bitmap& operator=(Bitmap&& other) noexcept;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;
  ~Bitmap();

  bool empty() const { return handle_ == nullptr; }
  int width() const { return width_; }
  int height() const { return height_; }
  HBITMAP handle() const { return handle_; }
  uint32_t* pixels() { return bits_; }
  const uint32_t* pixels() const { return bits_; }
  uint32_t* row(int y) { return bits_ + static_cast<size_t>(y) * width_; }
  const uint32_t* row(int y) const { return bits_ + static_cast<size_t>(y) * width_; }

 private:
  HBITMAP handle_ = nullptr;
  uint32_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// BITMAPINFO of a 32-bit top-down DIB of the given size.
BITMAPINFO TopDownInfo(int width, int height);

// A memory DC with one bitmap selected into it for its lifetime.
class MemoryDc {
 public:
  MemoryDc(HDC like, HBITMAP bitmap);
  ~MemoryDc();
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace rc::draw
