// Drawing GBK texts: the program keeps its texts in code page 936 and converts them at the
// window-system boundary (base/text_w.h), so that they come out right whatever the system's
// ANSI code page is.
#pragma once

#include <windows.h>

namespace rc::draw {

// DrawTextW on the text converted from GBK (length -1: up to its zero); returns what DrawTextW
// returns (the text height, or 0). A null text draws nothing.
int DrawGbkText(HDC dc, const char* text, int length, RECT* rect, UINT format);

}  // namespace rc::draw
