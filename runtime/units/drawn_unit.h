// What the unit types that the runtime paints itself share beyond what every unit type shares
// (runtime/units/control_support.h): text with its effects, painting through an off-screen
// bitmap, and a window owned by a unit.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "forms/type_data.h"
#include "runtime/library.h"
#include "runtime/units/unit_window.h"

namespace rc {

// How the window of a unit of a runtime class is made: its text, and the styles it adds to
// those of its record.
struct OwnWindowStyle {
  const char* text;
  DWORD style;
  DWORD ex_style;
};

// The create operation of a type painted by the runtime in windows of its own class `cls`
// (redrawn whole on a resize, with double clicks, and the class styles `class_style`): the
// record's data, refused data failing the operation; the object made from it, Unit(window id,
// unit id, Unit::Data); then its window as the object's Window() describes it.
template <class Unit>
UnitObject* CreateDrawnUnit(const CreateArgs& args, const wchar_t* cls, UINT class_style = 0) {
  typename Unit::Data data;
  if (forms::ParseTypeDataAs(args.type_data, args.type_data_size, &data) !=
      forms::TypeDataStatus::kOk) {
    return nullptr;
  }
  if (!UnitWindow::RegisterUnitClass(cls, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS | class_style)) {
    return nullptr;
  }
  auto* unit = new Unit(args.window_id, args.unit_id, std::move(data));
  const OwnWindowStyle window = unit->Window();
  if (!unit->CreateOwnClass(cls, window.text, args.style | window.style, window.ex_style, args)) {
    delete unit;
    return nullptr;
  }
  return unit;
}

// Fills a rectangle with one colour.
void FillColour(HDC dc, const RECT& rect, COLORREF colour);

// Text effects of labels, drawn before the text itself over its rectangle:
// 1 a white copy one pixel right and down; 2 a white copy in place with the text one pixel
// right and down; 3 a black shadow two pixels right and down; 0 (or anything else) none. The
// pixels are design pixels, drawn at `dpi`. The background mode must be transparent. On one
// line (DT_SINGLELINE) the text's line breaks show nothing (draw::OneLine).
void DrawTextWithEffect(HDC dc, const std::wstring& text, RECT rect, UINT format, int effect,
                        COLORREF colour, int dpi);

// Draws into an off-screen bitmap covering `area` of `target` (in target coordinates) and
// copies it there when done, so that a paint that fills first and draws afterwards never
// shows its half-done state. Falls back to drawing on the target when no bitmap can be had.
class OffscreenDc {
 public:
  OffscreenDc(HDC target, const RECT& area);
  ~OffscreenDc();
  OffscreenDc(const OffscreenDc&) = delete;
  OffscreenDc& operator=(const OffscreenDc&) = delete;

  HDC get() const { return dc_ != nullptr ? dc_ : target_; }

 private:
  HDC target_;
  RECT area_;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
};

// BeginPaint and EndPaint around an OffscreenDc over the area to paint.
class BufferedPaint {
 public:
  explicit BufferedPaint(HWND hwnd);
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;

  HDC dc() const { return offscreen_.get(); }
  const RECT& client() const { return scope_.client; }

 private:
  struct Scope {
    explicit Scope(HWND window);
    ~Scope();
    HWND hwnd;
    PAINTSTRUCT ps{};
    HDC dc = nullptr;
    RECT client{};
  };
  // Declared in this order so that the off-screen copy reaches the window before EndPaint.
  Scope scope_;
  OffscreenDc offscreen_;
};

// Owns a window that is not a unit (a tooltip control): destroyed with its owner object.
class OwnedWindow {
 public:
  OwnedWindow() = default;
  ~OwnedWindow() { reset(); }
  OwnedWindow(const OwnedWindow&) = delete;
  OwnedWindow& operator=(const OwnedWindow&) = delete;

  HWND get() const { return hwnd_; }
  void reset(HWND hwnd = nullptr) {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    hwnd_ = hwnd;
  }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace rc
