// Drawing GBK texts: the program keeps its texts in code page 936 and converts them at the
// window-system boundary (base/text_w.h), so that they come out right whatever the system's
// ANSI code page is.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace rc::draw {

// DrawTextW on the text converted from GBK (length -1: up to its zero); returns what DrawTextW
// returns (the text height, or 0). A null text draws nothing. Drawn as DrawUnitText draws.
int DrawGbkText(HDC dc, const char* text, int length, RECT* rect, UINT format);

// A text as one line shows it: without its line breaks (CR and LF). Windows' Song face, which
// Chinese Windows draws the default face in, has nothing to show for them, while the faces that
// stand in for it elsewhere draw a box or a bracket; captions stored with a closing line break
// must end where their last character does.
std::wstring OneLine(std::wstring_view text);

// DrawTextW for the text of a unit; with DT_SINGLELINE the text as OneLine gives it. What the
// unit stores and hands back keeps its line breaks.
int DrawUnitText(HDC dc, std::wstring_view text, RECT* rect, UINT format);

}  // namespace rc::draw
