// The drawn units' tests load a real window of units from form data inside the test process
// and check what reaches the screen.
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
#include "forms/routines.h"
#include "forms/type_data.h"
#include "runtime/draw/bitmap.h"
#include "runtime/libraries.h"
#include "runtime/runtime.h"
#include "runtime/windows.h"

namespace rc::drawn_test {

constexpr uint32_t kDrawnWindow = 0x52000200;
constexpr uint32_t kDrawnWindowUnit = 0x06000201;

struct UnitSpec {
  uint32_t id;
  uint32_t type_code;
  forms::Geometry geometry;
  forms::Bytes type_data;
  std::vector<forms::Binding> bindings;
  bool visible = true;
  uint32_t parent = 0;  // the container unit it lies in, or 0 for the window
};

template <class Data>
UnitSpec Unit(uint32_t id, forms::Geometry geometry, const Data& data,
              std::vector<forms::Binding> bindings = {}) {
  return UnitSpec{id, Data::kTypeCode, geometry, forms::WriteTypeDataAs(data), std::move(bindings)};
}

inline UnitSpec Inside(uint32_t container, UnitSpec unit) {
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

// A borderless window at (40, 40) of the given client size and background colour, holding the
// units in record order (the first one on top).
inline forms::Bytes DrawnForm(const std::vector<UnitSpec>& units, int width, int height,
                              uint32_t background) {
  forms::WindowData window;
  window.border_style = 0;
  window.start_position = 0;
  window.min_button = 0;
  window.background_colour = background;
  forms::RecordModel record;
  record.id = kDrawnWindowUnit;
  record.type_code = forms::kTypeWindow;
  record.geometry = {40, 40, width, height};
  record.state_flags = forms::kStateVisible;
  record.type_data = forms::WriteTypeDataAs(window);
  forms::WindowModel model;
  model.id = kDrawnWindow;
  model.records.push_back(record);
  for (const UnitSpec& unit : units) {
    forms::RecordModel r;
    r.id = unit.id;
    r.type_code = unit.type_code;
    r.geometry = unit.geometry;
    r.state_flags = unit.visible ? uint32_t{forms::kStateVisible} : 0u;
    r.bindings = unit.bindings;
    r.parent = unit.parent;
    r.type_data = unit.type_data;
    model.records.push_back(r);
  }
  return forms::WriteFormData({model});
}

// Runs what waits in this thread's queue, paint messages included, for a short while.
inline void Pump(int rounds = 3) {
  for (int i = 0; i < rounds; ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (rounds > 1) Sleep(15);
  }
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

// Loads the window of DrawnForm into the runtime of the test process.
class DrawnUnitsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Runtime& rt = TheRuntime();
    rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
    rt.library_state.assign(6, 0);
    for (const LibraryDescriptor* lib : rt.libraries) {
      lib->notify(kLibInit, reinterpret_cast<uintptr_t>(&RuntimeNotify), 0);
    }
    rt.loop_started = false;
    rt.modal_window_id = 0;
    rt.recreation_counter = 0;
  }
  void TearDown() override {
    for (uint32_t id : LiveWindowIds()) DestroyWindow(FindLiveObject(id, 0)->hwnd());
    Pump(1);
    TheRuntime().forms.reset();
  }

  // The window on screen, painted; null when it could not be loaded.
  HWND Load(const std::vector<UnitSpec>& units, int width = 320, int height = 240,
            uint32_t background = 0x00E0C0A0, const Routine* routines = nullptr) {
    static const Routine kNoRoutines[] = {nullptr};
    forms::Bytes bytes = DrawnForm(units, width, height, background);
    const Routine* table = routines != nullptr ? routines : kNoRoutines;
    if (!LoadWindowDefinitions(bytes.data(), uint32_t(bytes.size()), uintptr_t(table)).ok) {
      return nullptr;
    }
    if (!LoadWindow(kDrawnWindow, nullptr, false)) return nullptr;
    HWND hwnd = FindLiveObject(kDrawnWindow, 0)->hwnd();
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd);
    UpdateWindow(hwnd);
    Pump();
    return hwnd;
  }

  static HWND UnitHwnd(uint32_t unit_id) {
    UnitObject* unit = FindLiveObject(kDrawnWindow, unit_id);
    return unit != nullptr ? unit->hwnd() : nullptr;
  }

  // The whole window painted again from scratch, as when it is uncovered: what every change
  // must leave behind. The paint messages come from the queue, which hands them out in the
  // order the window system paints in (a transparent window after the siblings beneath it).
  static Shot FullRepaint(HWND window) {
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Pump();
    return CaptureClient(window);
  }
};

}  // namespace rc::drawn_test
