#include "runtime/draw/text.h"

#include <cstring>
#include <string>

#include "base/text_w.h"

namespace rc::draw {

namespace {

constexpr wchar_t kLineBreaks[] = L"\r\n";

}  // namespace

int DrawGbkText(HDC dc, const char* text, int length, RECT* rect, UINT format) {
  if (!text) return 0;
  if (length < 0) length = static_cast<int>(strlen(text));
  return DrawUnitText(dc, Wide(std::string(text, static_cast<size_t>(length))), rect, format);
}

std::wstring OneLine(std::wstring_view text) {
  std::wstring shown;
  shown.reserve(text.size());
  for (wchar_t c : text) {
    if (c != L'\r' && c != L'\n') shown += c;
  }
  return shown;
}

int DrawUnitText(HDC dc, std::wstring_view text, RECT* rect, UINT format) {
  // Most captions have no line break: they are drawn without a copy (the banner paints often).
  if ((format & DT_SINGLELINE) != 0 && text.find_first_of(kLineBreaks) != text.npos) {
    const std::wstring shown = OneLine(text);
    return DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), rect, format);
  }
  return DrawTextW(dc, text.data(), static_cast<int>(text.size()), rect, format);
}

}  // namespace rc::draw
