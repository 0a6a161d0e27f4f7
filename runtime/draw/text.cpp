#include "runtime/draw/text.h"

#include <cstring>
#include <string>

#include "base/text_w.h"

namespace rc::draw {

int DrawGbkText(HDC dc, const char* text, int length, RECT* rect, UINT format) {
  if (!text) return 0;
  if (length < 0) length = static_cast<int>(strlen(text));
  std::wstring wide = Wide(std::string(text, static_cast<size_t>(length)));
  return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), rect, format);
}

}  // namespace rc::draw
