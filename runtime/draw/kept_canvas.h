// An off-screen canvas kept between paints, for units that compose what they show before
// putting it on screen in one copy.
#pragma once

#include <windows.h>

namespace rc::draw {

// A memory DC with a bitmap compatible with a window's DC, kept from one paint to the next:
// making them asks the window system about the display each time. Its pixels are whatever was
// last painted into it.
class KeptCanvas {
 public:
  KeptCanvas() = default;
  ~KeptCanvas() { Reset(); }
  KeptCanvas(const KeptCanvas&) = delete;
  KeptCanvas& operator=(const KeptCanvas&) = delete;

  // The DC, its bitmap compatible with `like` and at least `size` (exactly `size` with
  // `exact`), made anew only when the one held does not do; null when none can be had.
  HDC For(HDC like, SIZE size, bool exact = false);
  // The DC when its bitmap is exactly `size`, else null.
  HDC Exactly(SIZE size) const {
    return size.cx == size_.cx && size.cy == size_.cy ? dc_ : nullptr;
  }

 private:
  void Reset();

  HDC dc_ = nullptr;              // the memory DC, bitmap_ selected into it
  HBITMAP bitmap_ = nullptr;      // compatible with the DC it was made for
  HGDIOBJ old_bitmap_ = nullptr;  // what dc_ held when made, put back before it goes
  SIZE size_{};                   // bitmap_'s size
};

}  // namespace rc::draw
