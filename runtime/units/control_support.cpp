#include "runtime/units/control_support.h"

#include <windows.h>
#include <commctrl.h>

#include "base/text_w.h"
#include "runtime/draw/colour.h"

namespace rc {

FrameStyles BorderFrame(int32_t border) {
  switch (ClampTo(border, 0, 5)) {
    case 1:
      return {0, WS_EX_CLIENTEDGE};
    case 2:
      return {WS_DLGFRAME, 0};
    case 3:
      return {0, WS_EX_STATICEDGE};
    case 4:
      return {WS_DLGFRAME, WS_EX_CLIENTEDGE};
    case 5:
      return {WS_BORDER, 0};
    default:
      return {};
  }
}

void ApplyBorderFrame(HWND hwnd, int32_t border) {
  ApplyFrameStyles(hwnd, BorderFrame(border), WS_DLGFRAME | WS_BORDER,
                   WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
}

void ApplyFrameStyles(HWND hwnd, const FrameStyles& frame, DWORD style_mask, DWORD ex_mask) {
  SetStyleBits(hwnd, style_mask, frame.style);
  DWORD ex = DWORD(GetWindowLongW(hwnd, GWL_EXSTYLE));
  ex = (ex & ~ex_mask) | frame.ex_style;
  SetWindowLongW(hwnd, GWL_EXSTYLE, LONG(ex));
  SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

bool SetStyleBits(HWND hwnd, DWORD mask, DWORD bits) {
  DWORD old = DWORD(GetWindowLongW(hwnd, GWL_STYLE));
  DWORD now = (old & ~mask) | (bits & mask);
  if (now == old) return false;
  SetWindowLongW(hwnd, GWL_STYLE, LONG(now));
  return true;
}

std::string WindowTextGbk(HWND hwnd) {
  int n = GetWindowTextLengthW(hwnd);
  std::wstring text(size_t(n) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(hwnd, &text[0], n + 1)));
  return Gbk(text);
}

void SetWindowTextGbk(HWND hwnd, const std::string& gbk) {
  SetWindowTextW(hwnd, Wide(gbk).c_str());
}

ControlColours::~ControlColours() {
  if (brush_ != nullptr) DeleteObject(brush_);
}

void ControlColours::SetBackground(uint32_t background) {
  COLORREF colour = draw::ResolveColour(background);
  if (brush_ != nullptr && colour == background_) return;
  HBRUSH brush = CreateSolidBrush(colour);
  if (brush == nullptr) return;  // keep painting with the old one
  if (brush_ != nullptr) DeleteObject(brush_);
  brush_ = brush;
  background_ = colour;
}

void ControlColours::Show(HWND hwnd, uint32_t text, uint32_t background) {
  text_ = text;
  SetBackground(background);
  InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT ControlColours::Paint(HDC dc) const {
  SetTextColor(dc, draw::ResolveColour(text_));
  SetBkColor(dc, background_);
  return reinterpret_cast<LRESULT>(brush_);
}

void ControlFont::Set(HWND hwnd, const forms::Bytes& stored, int dpi) {
  font_ = draw::Font::FromStored(stored.data(), stored.size(), dpi);
  SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font_.handle()), TRUE);
}

// A classic button takes an image only with the bitmap style, and then shows nothing else: a
// picture shows while the control has no caption. The image is taken back before the bitmap
// it names is freed.
void ControlPicture::Set(HWND hwnd, const forms::Bytes& stored, bool has_caption, int dpi) {
  draw::Picture next = draw::Picture::Decode(stored.data(), stored.size());
  const bool was_shown = TakeBack(hwnd);
  picture_ = std::move(next);
  if (!ShowHeld(hwnd, has_caption, dpi) && was_shown) InvalidateRect(hwnd, nullptr, TRUE);
}

void ControlPicture::Show(HWND hwnd, bool has_caption, int dpi) {
  const bool was_shown = TakeBack(hwnd);
  if (!ShowHeld(hwnd, has_caption, dpi) && was_shown) InvalidateRect(hwnd, nullptr, TRUE);
}

bool ControlPicture::TakeBack(HWND hwnd) {
  if (!(GetWindowLongW(hwnd, GWL_STYLE) & BS_BITMAP)) return false;
  SendMessageW(hwnd, BM_SETIMAGE, IMAGE_BITMAP, 0);
  SetStyleBits(hwnd, BS_BITMAP, 0);
  return true;
}

bool ControlPicture::ShowHeld(HWND hwnd, bool has_caption, int dpi) {
  HBITMAP bitmap = has_caption ? nullptr : picture_.BitmapAt(dpi);
  if (bitmap == nullptr) return false;
  SetStyleBits(hwnd, BS_BITMAP, BS_BITMAP);
  SendMessageW(hwnd, BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
  InvalidateRect(hwnd, nullptr, TRUE);
  return true;
}

void TextValue(const std::string& text, PropertyValue* out) {
  out->text = text.c_str();
}

void BytesValue(const forms::Bytes& bytes, PropertyValue* out) {
  out->bytes = bytes.empty() ? nullptr : bytes.data();
  out->size = uint32_t(bytes.size());
}

bool StoreText(std::string* stored, const PropertyValue& value) {
  const char* text = value.text != nullptr ? value.text : "";
  if (*stored == text) return false;
  *stored = text;
  return true;
}

bool StoreBytes(forms::Bytes* stored, const PropertyValue& value) {
  size_t size = value.bytes != nullptr ? value.size : 0;
  if (stored->size() == size &&
      (size == 0 || std::memcmp(stored->data(), value.bytes, size) == 0)) {
    return false;
  }
  // A new vector, not assign(): the room of a large piece of music or picture is given back
  // once it is replaced by a smaller one or by none.
  *stored = forms::Bytes(value.bytes, value.bytes + size);
  return true;
}

bool StoreInt(int32_t* stored, int32_t value) {
  if (*stored == value) return false;
  *stored = value;
  return true;
}

void InitControlClasses() {
  static const bool done = [] {
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS | ICC_UPDOWN_CLASS};
    return InitCommonControlsEx(&init) != FALSE;
  }();
  (void)done;
}

}  // namespace rc
