// Shared pieces of the drawing tests: sample pictures beside the test program, and a memory
// canvas whose pixels can be checked.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "runtime/draw/bitmap.h"

namespace rc::draw::test {

// The bytes of tests/pictures/<name>, copied beside the test program by the build.
inline std::vector<uint8_t> ReadPicture(const char* name) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path, n);
  dir.erase(dir.find_last_of("\\/") + 1);
  std::vector<uint8_t> bytes;
  if (FILE* f = fopen((dir + "pictures\\" + name).c_str(), "rb")) {
    int c;
    while ((c = fgetc(f)) != EOF) bytes.push_back(static_cast<uint8_t>(c));
    fclose(f);
  }
  EXPECT_FALSE(bytes.empty()) << "sample picture " << name << " is missing";
  return bytes;
}

// A 32-bit DIB selected into a memory DC, filled with one colour.
class Canvas {
 public:
  Canvas(int width, int height, COLORREF fill)
      : bitmap_(Bitmap::Create(width, height)), dc_(nullptr, bitmap_.handle()) {
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc_.get(), &all, brush);
    DeleteObject(brush);
  }
  HDC dc() const { return dc_.get(); }
  // The pixel as a COLORREF (0x00BBGGRR), alpha dropped.
  COLORREF At(int x, int y) const {
    GdiFlush();
    uint32_t p = bitmap_.row(y)[x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
  }

 private:
  Bitmap bitmap_;
  MemoryDc dc_;
};

inline std::string Hex(uint32_t v) {
  char s[16];
  snprintf(s, sizeof s, "%08X", static_cast<unsigned>(v));
  return s;
}

inline ::testing::AssertionResult NearChannels(uint32_t actual, uint32_t expected, int tolerance,
                                               int channels) {
  for (int shift = 0; shift < 8 * channels; shift += 8) {
    int a = (actual >> shift) & 0xFF, e = (expected >> shift) & 0xFF;
    if (std::abs(a - e) > tolerance) {
      return ::testing::AssertionFailure() << "0x" << Hex(actual) << " is not 0x" << Hex(expected)
                                           << " (within " << tolerance << ")";
    }
  }
  return ::testing::AssertionSuccess();
}

// Colours (0x00BBGGRR) equal within `tolerance` on each channel.
inline ::testing::AssertionResult Near(COLORREF actual, COLORREF expected, int tolerance) {
  return NearChannels(actual, expected, tolerance, 3);
}

// Premultiplied pixels (0xAARRGGBB) equal within `tolerance` on each channel, alpha included.
inline ::testing::AssertionResult NearPixel(uint32_t actual, uint32_t expected, int tolerance) {
  return NearChannels(actual, expected, tolerance, 4);
}

}  // namespace rc::draw::test
