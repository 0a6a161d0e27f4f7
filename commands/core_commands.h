// The core commands the application calls through CallCoreCommand. Each receives a zeroed
// result record, the argument count and the argument records (an omitted optional argument is
// {0, 0, 0}); results follow the ownership rules of values.h.
//
// The portable ones are defined in random.cpp, convert.cpp and datetime.cpp; the ones that need
// the Windows API (settings file, files, message box, windows, music) live with the runtime.
#pragma once

#include "base/values.h"

namespace rc {

// Random numbers (random.cpp).
void SeedRandom(ResultRecord* result, int argc, ArgRecord* args);  // [seed: integer]
void RandomInt(ResultRecord* result, int argc, ArgRecord* args);   // [min], [max] -> integer

// Conversions (convert.cpp).
void ToText(ResultRecord* result, int argc, ArgRecord* args);       // any -> text
void ToNumber(ResultRecord* result, int argc, ArgRecord* args);     // basic type -> double
void AbsValue(ResultRecord* result, int argc, ArgRecord* args);     // double -> double
void MakeColor(ResultRecord* result, int argc, ArgRecord* args);    // r, g, b -> integer
void BytesLength(ResultRecord* result, int argc, ArgRecord* args);  // byte block -> integer

// Current local time (datetime.cpp).
void GetNow(ResultRecord* result, int argc, ArgRecord* args);  // -> date-time
// -> integer 0-999: the milliseconds into the current second of the system clock
void GetNowMillisecond(ResultRecord* result, int argc, ArgRecord* args);

// Files and settings (Windows).
void ReadFileBytes(ResultRecord* result, int argc, ArgRecord* args);
void ReadIniItem(ResultRecord* result, int argc, ArgRecord* args);
void WriteIniItem(ResultRecord* result, int argc, ArgRecord* args);
// path -> text: the names of the file's sections in file order, each followed by LF
void ListIniSections(ResultRecord* result, int argc, ArgRecord* args);
// path, section, byte block of UTF-16 LE lines "key=value" each ended by LF -> logical: the new
// section at the end of the file, every byte before it kept; false, writing nothing, when the
// section is there already or the file cannot be written
void AddIniSection(ResultRecord* result, int argc, ArgRecord* args);
void GetProgramDir(ResultRecord* result, int argc, ArgRecord* args);
// -> the user's folder for the libraries of a program whose own folder cannot be written
// (created; the DLL command lookup searches it after the program's folder); empty if none.
void GetUserLibraryDir(ResultRecord* result, int argc, ArgRecord* args);
void FileExists(ResultRecord* result, int argc, ArgRecord* args);
void WriteBytesToFile(ResultRecord* result, int argc, ArgRecord* args);
// name, line, [head] -> logical: appends the line in one write and flushes it; a new or empty
// file gets the head first, one whose last line was cut a line break first.
void AppendLineToFile(ResultRecord* result, int argc, ArgRecord* args);
void SetFileAttr(ResultRecord* result, int argc, ArgRecord* args);
// from, to -> logical; false when `to` exists already.
void RenameFile(ResultRecord* result, int argc, ArgRecord* args);
void RemoveFile(ResultRecord* result, int argc, ArgRecord* args);  // path -> logical

// User interface and sound (Windows).
void MsgBox(ResultRecord* result, int argc, ArgRecord* args);
void LoadWindow(ResultRecord* result, int argc, ArgRecord* args);
void DestroyUnit(ResultRecord* result, int argc, ArgRecord* args);
// window reference -> logical: the window can be seen, that is shown, not minimised and not
// wholly covered by other windows
void WindowInView(ResultRecord* result, int argc, ArgRecord* args);
// window reference, key name text -> text: the key registered for the whole system, its presses
// coming to the window as WM_HOTKEY; the empty name releases it. The result is empty when
// done, else why not (the name cannot be read, the key is taken).
void SetHotKey(ResultRecord* result, int argc, ArgRecord* args);
// window reference: the window goes right behind the foreground window of another program.
void LowerBehindForeground(ResultRecord* result, int argc, ArgRecord* args);
// unit reference, items, x, y -> integer: a popup menu at (x, y) on the screen, or over the unit
// when both are -1; the number (from 1) of the item chosen, 0 for none. Items are lines of
// "<depth '>'s><flags>\t<text>", flags "-" separator, "v" ticked, "x" greyed; a line one '>'
// deeper than the one before it opens that one's submenu.
void PopupMenu(ResultRecord* result, int argc, ArgRecord* args);
// The name full screen (full_screen.cpp): main window, name display, seconds display, big
// button, switch label (unit references), the button's idle caption, the switch's caption when
// on, the class list one name a line, the display's colour -> logical: shown. Its touches come
// to the main window as WM_HOTKEY with kFullScreenTouch.
constexpr uint32_t kFullScreenTouch = 0x7FFF;
void ShowFullScreen(ResultRecord* result, int argc, ArgRecord* args);
void FullScreenOpen(ResultRecord* result, int argc, ArgRecord* args);  // -> logical
void FullScreenOnTop(ResultRecord* result, int argc, ArgRecord* args);  // on (1) / off (0)
void PlayMusic(ResultRecord* result, int argc, ArgRecord* args);
void StopMusic(ResultRecord* result, int argc, ArgRecord* args);

// The clipboard and text (clipboard.cpp, Windows).
// -> byte block: the clipboard's text as UTF-16 LE units (its Unicode text, else its text in
// the system's code page), without the terminating zero; empty when it holds no text
void ReadClipboardText(ResultRecord* result, int argc, ArgRecord* args);
// byte block of UTF-16 LE units -> text: the same in GBK, "?" for each character GBK cannot hold
void GbkFromUtf16(ResultRecord* result, int argc, ArgRecord* args);

}  // namespace rc
