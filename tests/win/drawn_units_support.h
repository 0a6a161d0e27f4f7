// The drawn units' tests load a real window of units inside the test process (the test window
// of the native-control tests) and check what reaches the screen.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "forms/form_writer.h"
#include "forms/type_data.h"
#include "runtime/draw/bitmap.h"
#include "tests/win/control_units.h"

namespace rc::drawn_test {

using test::kControlWindow;
using test::kControlWindowUnit;
using test::UnitRecord;

// A unit record that lies in a container unit.
inline forms::RecordModel Inside(uint32_t container, forms::RecordModel unit) {
  unit.parent = container;
  return unit;
}

// A stored font record: the default face at a character height in pixels.
inline forms::Bytes FontOfSize(int size, bool bold) {
  forms::FontRecord font;
  font.height = -size;
  font.weight = bold ? 700 : 400;
  return forms::WriteFontRecord(font);
}

// What the screen shows in a window's client area.
struct Shot {
  int width = 0;
  int height = 0;
  std::vector<COLORREF> pixels;
  COLORREF at(int x, int y) const { return pixels[size_t(y) * width + x]; }
  bool operator==(const Shot& o) const {
    return width == o.width && height == o.height && pixels == o.pixels;
  }
};

inline Shot CaptureClient(HWND hwnd) {
  Shot shot;
  RECT client;
  GetClientRect(hwnd, &client);
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  shot.width = client.right;
  shot.height = client.bottom;
  draw::Bitmap bitmap = draw::Bitmap::Create(shot.width, shot.height);
  if (bitmap.empty()) return shot;
  HDC screen = GetDC(nullptr);
  {
    draw::MemoryDc dc(screen, bitmap.handle());
    BitBlt(dc.get(), 0, 0, shot.width, shot.height, screen, origin.x, origin.y, SRCCOPY);
  }
  ReleaseDC(nullptr, screen);
  GdiFlush();
  shot.pixels.reserve(size_t(shot.width) * shot.height);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      uint32_t p = bitmap.row(y)[x];
      shot.pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    }
  }
  return shot;
}

inline bool Near(COLORREF a, COLORREF b, int tolerance = 8) {
  return std::abs(int(GetRValue(a)) - int(GetRValue(b))) <= tolerance &&
         std::abs(int(GetGValue(a)) - int(GetGValue(b))) <= tolerance &&
         std::abs(int(GetBValue(a)) - int(GetBValue(b))) <= tolerance;
}

inline std::string Describe(COLORREF c) {
  char s[32];
  snprintf(s, sizeof s, "RGB(%d, %d, %d)", GetRValue(c), GetGValue(c), GetBValue(c));
  return s;
}

class DrawnUnitsTest : public test::ControlUnitTest {
 protected:
  // The test window with these units, of the given client size and background colour, on top
  // of everything and painted; null when it could not be loaded.
  HWND Show(std::vector<forms::RecordModel> units, int width = 320, int height = 240,
            uint32_t background = 0x00E0C0A0) {
    if (!Load(std::move(units))) return nullptr;
    HWND window = Native(kControlWindowUnit);
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    Write(kControlWindowUnit, 2, uint32_t(width + (outer.right - outer.left) - client.right));
    Write(kControlWindowUnit, 3, uint32_t(height + (outer.bottom - outer.top) - client.bottom));
    Write(kControlWindowUnit, 10, background);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    UpdateWindow(window);
    Pump(50);
    return window;
  }

  // The whole window painted again from scratch, as when it is uncovered: what every change
  // must leave behind. The paint messages come from the queue, which hands them out in the
  // order the window system paints in (a transparent window after the siblings beneath it).
  static Shot FullRepaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Pump(50);
    return CaptureClient(window);
  }
};

}  // namespace rc::drawn_test
