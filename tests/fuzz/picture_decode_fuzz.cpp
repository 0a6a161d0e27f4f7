// Fuzz target of the picture decoders (runtime/draw/decode.cpp, jpeg.cpp), chosen by the first
// bytes as Picture::Decode chooses them, then scaled into an icon's square as MakeIcon scales
// them. Picture::Decode itself draws and needs the Windows API; the decoders need only the few
// system routines defined here (declared in windows_stub/windows.h), which read everything the
// documented formats make the system read from the header they are given: a header check that
// lets through more than the bytes hold is an out-of-bounds read under ASan, or a trap where the
// copy handed over is rounded up. Every bitmap, DC and icon made is given back by the input's
// end; what decodes is premultiplied and of a size the program accepts.
// Seeds: tests/fuzz/seeds/picture_decode_fuzz (cut, huge and damaged BMP, ICO and JPEG files).
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "runtime/draw/decode.h"
#include "runtime/draw/resample.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

int g_live = 0;  // bitmaps, DCs and icons not given back

size_t Stride(int64_t width, int bits) {
  return static_cast<size_t>((width * bits + 31) / 32 * 4);
}

// Reads n bytes as the system would, so that ASan sees every one.
uint32_t Touch(const void* p, size_t n) {
  const auto* b = static_cast<const uint8_t*>(p);
  uint32_t sum = 0;
  for (size_t i = 0; i < n; ++i) sum = sum * 31 + b[i];
  return sum;
}

}  // namespace

struct StubBitmap {
  int width, height;
  std::vector<uint32_t> bits;
};
struct StubDc {
  StubBitmap* selected = nullptr;
};
struct StubIcon {
  uint32_t seed;
};

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, HANDLE, DWORD) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  Check(h.biBitCount == 32 && h.biHeight < 0 && h.biWidth > 0);
  auto* b = new StubBitmap{h.biWidth, -h.biHeight, {}};
  b->bits.assign(size_t(b->width) * b->height, 0);
  *bits = b->bits.data();
  ++g_live;
  return b;
}

BOOL DeleteObject(HGDIOBJ object) {
  delete static_cast<StubBitmap*>(object);
  --g_live;
  return TRUE;
}

HDC CreateCompatibleDC(HDC) {
  ++g_live;
  return new StubDc;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  StubBitmap* old = dc->selected;
  dc->selected = static_cast<StubBitmap*>(object);
  return old;
}

BOOL DeleteDC(HDC dc) {
  Check(dc->selected == nullptr);  // the bitmap is put back first
  delete dc;
  --g_live;
  return TRUE;
}

BOOL GdiFlush() {
  return TRUE;
}

// The header, the colour masks and palette behind it, and every row of the bits.
int StretchDIBits(HDC dc, int x, int y, int width, int height, int, int, int, int, const void* bits,
                  const BITMAPINFO* info, UINT, DWORD) {
  const BITMAPINFOHEADER& h = info->bmiHeader;
  Check(h.biSize == 40);
  const size_t masks = h.biCompression == BI_BITFIELDS ? 3 : 0;
  const size_t colours = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
  const uint32_t table = Touch(reinterpret_cast<const uint8_t*>(info) + 40, (masks + colours) * 4);
  const int64_t rows = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
  const size_t stride = Stride(h.biWidth, h.biBitCount);
  StubBitmap* b = dc->selected;
  Check(b != nullptr);
  for (int64_t r = 0; r < rows; ++r) {
    const uint32_t sum = Touch(static_cast<const uint8_t*>(bits) + r * stride, stride) ^ table;
    const int64_t to = (h.biHeight < 0 ? r : rows - 1 - r) * height / rows + y;
    if (to < 0 || to >= b->height) continue;
    for (int64_t k = std::max(0, x); k < std::min<int64_t>(b->width, x + width); ++k) {
      b->bits[size_t(to) * b->width + k] = (sum ^ uint32_t(k * 2654435761u)) & 0x00FFFFFFu;
    }
  }
  return height;
}

HICON CreateIconFromResourceEx(BYTE* data, DWORD size, BOOL, DWORD, int width, int height, UINT) {
  static const uint8_t kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  uint32_t seed;
  Check(size >= 8);
  if (std::memcmp(data, kPng, 8) == 0) {
    seed = Touch(data, size);
  } else {
    // A DIB: the header, the colour table (biClrUsed entries when given, at any depth), the
    // colour rows and the mask rows, the height counting both.
    Check(size >= 40);
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, 40);
    const uint64_t colours = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
    const int64_t rows = std::max<int64_t>(0, h.biHeight / 2);
    const uint64_t need = uint64_t(h.biSize) + colours * 4 +
                          (Stride(h.biWidth, h.biBitCount) + Stride(h.biWidth, 1)) * rows;
    Check(need <= size);
    seed = Touch(data, size_t(need));
  }
  Check(width > 0 && height > 0);
  ++g_live;
  return new StubIcon{seed};
}

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT, HBRUSH, UINT) {
  StubBitmap* b = dc->selected;
  Check(b != nullptr);
  for (int r = std::max(0, y); r < std::min(b->height, y + height); ++r) {
    for (int k = std::max(0, x); k < std::min(b->width, x + width); ++k) {
      const uint32_t v = icon->seed ^ uint32_t((r * 131 + k) * 2654435761u);
      const uint32_t a = v >> 24;
      uint32_t& px = b->bits[size_t(r) * b->width + k];
      uint32_t out = 0;
      for (int c = 0; c < 3; ++c) {
        const uint32_t under = (px >> (8 * c)) & 0xFF, over = (v >> (8 * c)) & 0xFF;
        out |= (over * a + under * (255 - a)) / 255 << (8 * c);
      }
      px = out;
    }
  }
  return TRUE;
}

BOOL DestroyIcon(HICON icon) {
  delete icon;
  --g_live;
  return TRUE;
}

namespace {

using namespace rc::draw;

void CheckPicture(const Decoded& d) {
  const Bitmap& b = d.pixels;
  if (b.empty()) return;
  Check(b.width() > 0 && b.height() > 0 && b.width() <= kMaxPictureSide &&
        b.height() <= kMaxPictureSide && int64_t(b.width()) * b.height() <= kMaxPicturePixels);
  for (int y = 0; y < b.height(); ++y) {
    for (int x = 0; x < b.width(); ++x) {
      const uint32_t px = b.row(y)[x], a = px >> 24;
      Check(((px >> 16) & 0xFF) <= a && ((px >> 8) & 0xFF) <= a && (px & 0xFF) <= a);
      Check(d.has_alpha || a == 255);
    }
  }
  // Into an icon's square, keeping the proportions.
  int w = 32, h = 32;
  if (b.width() >= b.height()) {
    h = std::max(1, int((int64_t(b.height()) * 32 + b.width() / 2) / b.width()));
  } else {
    w = std::max(1, int((int64_t(b.width()) * 32 + b.height() / 2) / b.height()));
  }
  Check(!Resample(b, w, h).empty());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  {
    Decoded d;
    if (data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
      d = DecodeJpeg(data, size);
    } else if (data[0] == 'B' && data[1] == 'M') {
      d = DecodeBmp(data, size);
    } else if (data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0) {
      // The window icon asks for 32 pixels, pictures for the largest image.
      d = DecodeIco(data, size, size % 2 ? 32 : 0);
    }
    CheckPicture(d);
  }
  Check(g_live == 0);
  return 0;
}
