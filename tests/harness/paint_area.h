// How the repaint tests and the benchmark's paint spy count the area a window paints: every
// WM_PAINT's update region, every WM_ERASEBKGND's clip box and every WM_NCPAINT of a window with
// a frame, gathered in one region in screen coordinates, whose area is then measured. Kept in
// one place so that the test's limit and the benchmark's figure measure the same thing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

namespace harness {

inline int64_t RegionArea(HRGN region) {
  const DWORD size = GetRegionData(region, 0, nullptr);
  if (size == 0) return 0;
  std::vector<char> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (GetRegionData(region, size, data) == 0) return 0;
  const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
  int64_t area = 0;
  for (DWORD i = 0; i < data->rdh.nCount; ++i) {
    area += int64_t(rects[i].right - rects[i].left) * (rects[i].bottom - rects[i].top);
  }
  return area;
}

inline void AddPaintedRect(HRGN touched, const RECT& r) {
  HRGN region = CreateRectRgnIndirect(&r);
  CombineRgn(touched, touched, region, RGN_OR);
  DeleteObject(region);
}

// Adds what a paint message about to reach `hwnd` will paint to `touched` (screen
// coordinates); other messages add nothing. Call it before the window's procedure runs, while
// the update region is still there.
inline void AddPainted(HRGN touched, HWND hwnd, UINT msg, WPARAM wp) {
  POINT origin{0, 0};
  ClientToScreen(hwnd, &origin);
  if (msg == WM_PAINT) {
    HRGN update = CreateRectRgn(0, 0, 0, 0);
    if (GetUpdateRgn(hwnd, update, FALSE) > NULLREGION) {
      OffsetRgn(update, origin.x, origin.y);
      CombineRgn(touched, touched, update, RGN_OR);
    }
    DeleteObject(update);
  } else if (msg == WM_ERASEBKGND) {
    RECT box;
    if (GetClipBox(reinterpret_cast<HDC>(wp), &box) > NULLREGION) {
      OffsetRect(&box, origin.x, origin.y);
      AddPaintedRect(touched, box);
    }
  } else if (msg == WM_NCPAINT) {
    // Only a frame can be painted here: nothing for a window without one.
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    OffsetRect(&client, origin.x, origin.y);
    if (!EqualRect(&window, &client)) AddPaintedRect(touched, window);
  }
}

}  // namespace harness
