#include "runtime/units/drawn_unit.h"

#include "runtime/draw/dpi.h"
#include "runtime/draw/text.h"

namespace rc {

namespace {

constexpr COLORREF kEffectWhite = RGB(255, 255, 255);
constexpr COLORREF kEffectBlack = RGB(0, 0, 0);

}  // namespace

void FillColour(HDC dc, const RECT& rect, COLORREF colour) {
  // An opaque ExtTextOut fills without making a brush.
  COLORREF old = SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
  SetBkColor(dc, old);
}

void DrawTextWithEffect(HDC dc, const std::wstring& text, RECT rect, UINT format, int effect,
                        COLORREF colour, int dpi) {
  auto draw = [&](COLORREF c, int shift) {
    RECT r = rect;
    shift = draw::ScaleLength(shift, dpi);
    OffsetRect(&r, shift, shift);
    SetTextColor(dc, c);
    draw::DrawUnitText(dc, text, &r, format);
  };
  switch (effect) {
    case 1:
      draw(kEffectWhite, 1);
      break;
    case 2:
      draw(kEffectWhite, 0);
      OffsetRect(&rect, draw::ScaleLength(1, dpi), draw::ScaleLength(1, dpi));
      break;
    case 3:
      draw(kEffectBlack, 2);
      break;
    default:
      break;
  }
  draw(colour, 0);
}

OffscreenDc::OffscreenDc(HDC target, const RECT& area) : target_(target), area_(area) {
  const int w = area_.right - area_.left, h = area_.bottom - area_.top;
  if (target_ == nullptr || w <= 0 || h <= 0) return;
  dc_ = CreateCompatibleDC(target_);
  bitmap_ = dc_ != nullptr ? CreateCompatibleBitmap(target_, w, h) : nullptr;
  if (bitmap_ == nullptr) {
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = nullptr;
    return;
  }
  old_bitmap_ = SelectObject(dc_, bitmap_);
  // Drawing code keeps using the target's coordinates.
  SetViewportOrgEx(dc_, -area_.left, -area_.top, nullptr);
}

OffscreenDc::~OffscreenDc() {
  if (dc_ == nullptr) return;
  BitBlt(target_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, dc_,
         area_.left, area_.top, SRCCOPY);
  SelectObject(dc_, old_bitmap_);
  DeleteObject(bitmap_);
  DeleteDC(dc_);
}

BufferedPaint::Scope::Scope(HWND window) : hwnd(window) {
  dc = BeginPaint(hwnd, &ps);
  GetClientRect(hwnd, &client);
}

BufferedPaint::Scope::~Scope() {
  EndPaint(hwnd, &ps);
}

BufferedPaint::BufferedPaint(HWND hwnd) : scope_(hwnd), offscreen_(scope_.dc, scope_.ps.rcPaint) {}

}  // namespace rc
