#include "runtime/draw/kept_canvas.h"

namespace rc::draw {

HDC KeptCanvas::For(HDC like, SIZE size, bool exact) {
  const bool fits = exact ? size.cx == size_.cx && size.cy == size_.cy
                          : size.cx <= size_.cx && size.cy <= size_.cy;
  if (dc_ != nullptr && fits) return dc_;
  Reset();
  dc_ = CreateCompatibleDC(like);
  bitmap_ = dc_ != nullptr ? CreateCompatibleBitmap(like, size.cx, size.cy) : nullptr;
  if (bitmap_ == nullptr) {
    Reset();
    return nullptr;
  }
  old_bitmap_ = SelectObject(dc_, bitmap_);
  size_ = size;
  return dc_;
}

void KeptCanvas::Reset() {
  if (dc_ != nullptr) {
    if (old_bitmap_ != nullptr) SelectObject(dc_, old_bitmap_);
    DeleteDC(dc_);
  }
  if (bitmap_ != nullptr) DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  old_bitmap_ = nullptr;
  size_ = {};
}

}  // namespace rc::draw
