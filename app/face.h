// The application's one way into the runtime: typed unit handles whose methods read and write
// the units' properties, and the runtime commands as plain functions. Every call goes through
// the runtime's entry table with the argument and result records it specifies; this face does
// every conversion and frees every text and block the runtime hands back, so a handler reads
// like the behaviour it implements:
//
//   if (时钟1.interval() == 0) { 时钟1.set_interval(50); 按钮2.set_disabled(false); ... }
//
// Texts are GBK std::strings (the literals of the application's sources are GBK); the empty
// text stands for the runtime's null text. Unit handles are generated from the form
// descriptions (app_forms.h), one namespace per window, named after the units.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "base/routines.h"

namespace rc {
struct EntryPoints;
}

namespace app {

// What an event handler receives; handlers of events whose result matters return nothing
// unless they mean to refuse (Event::Return).
using Event = rc::HandlerCall;

// The entry table every call goes through: the runtime's own unless a test put a recording
// fake in its place. Returns the previous table.
const rc::EntryPoints* UseEntryPoints(const rc::EntryPoints* table);

// A byte block the application owns: freed when the object goes. Null is the empty block.
class Bytes {
 public:
  Bytes() = default;
  explicit Bytes(void* block) : block_(block) {}
  ~Bytes();
  Bytes(Bytes&& other) noexcept : block_(other.release()) {}
  Bytes& operator=(Bytes&& other) noexcept;
  Bytes(const Bytes&) = delete;
  Bytes& operator=(const Bytes&) = delete;

  // The runtime's block {1, n, bytes}, or null for the empty block.
  const void* block() const { return block_; }
  const uint8_t* data() const;
  uint32_t size() const;
  void* release() {
    void* b = block_;
    block_ = nullptr;
    return b;
  }

 private:
  void* block_ = nullptr;
};

// A fresh runtime copy of a stored byte block (one the program carries in its constant data).
Bytes CopyBlock(const void* stored_block);

// A local date and time: days since 1899-12-30 00:00.
struct DateTime {
  double days = 0;
};

// A unit: the pair (window id, unit id) and the properties every unit has.
class Unit {
 public:
  constexpr Unit(uint32_t window_id, uint32_t unit_id) : window_(window_id), unit_(unit_id) {}
  constexpr uint32_t window_id() const { return window_; }
  constexpr uint32_t unit_id() const { return unit_; }

  int left() const;
  void set_left(int left) const;
  int width() const;
  void set_width(int width) const;
  bool visible() const;
  void set_visible(bool visible) const;
  bool disabled() const;
  void set_disabled(bool disabled) const;

 protected:
  uint32_t window_;
  uint32_t unit_;
};

class Window : public Unit {
 public:
  using Unit::Unit;
  void set_always_on_top(bool on_top) const;
  // Stops what the window plays and plays the new music (WAV or MIDI data; empty: nothing).
  void set_background_music(const Bytes& music) const;
  // Someone could see it: shown, not minimised and not wholly covered by other windows.
  bool in_view() const;
  // The key named (a name of the settings file, such as "F9" or "Ctrl+Alt+R") held for the
  // whole system: its presses raise the window's hot key event. The empty name releases it.
  // Empty when done, else why it could not be (GBK, for the user).
  std::string set_hot_key(const std::string& key_name) const;
  // Right behind another program's window that has the foreground; else where it is.
  void lower_behind_foreground() const;
};

class Timer : public Unit {
 public:
  using Unit::Unit;
  // Milliseconds between ticks; 0 = stopped. Writing the interval it has keeps its schedule.
  int interval() const;
  void set_interval(int ms) const;
};

class Button : public Unit {
 public:
  using Unit::Unit;
  std::string caption() const;
  void set_caption(const std::string& caption) const;
};

class Label : public Unit {
 public:
  using Unit::Unit;
  std::string caption() const;
  void set_caption(const std::string& caption) const;
  // The three colours of the gradient frame (border style 6).
  void set_frame_colour_1(uint32_t colour) const;
  void set_frame_colour_2(uint32_t colour) const;
  void set_frame_colour_3(uint32_t colour) const;
};

class TransLabel : public Unit {
 public:
  using Unit::Unit;
  std::string caption() const;
  void set_caption(const std::string& caption) const;
  void set_text_colour(uint32_t colour) const;
};

class RadioBox : public Unit {
 public:
  using Unit::Unit;
  bool selected() const;
};

class ProcessBar : public Unit {
 public:
  using Unit::Unit;
  int position() const;
  void set_position(int position) const;
  void set_maximum(int maximum) const;
};

class VScrollBar : public Unit {
 public:
  using Unit::Unit;
  int position() const;
};

class EditBox : public Unit {
 public:
  using Unit::Unit;
  std::string content() const;
  void set_content(const std::string& content) const;
};

class PicBox : public Unit {
 public:
  using Unit::Unit;
};

class GroupBox : public Unit {
 public:
  using Unit::Unit;
  std::string caption() const;
  void set_caption(const std::string& caption) const;
};

class SuperBtn : public Unit {
 public:
  using Unit::Unit;
};

class SplitterBar : public Unit {
 public:
  using Unit::Unit;
};

class SysVolume : public Unit {
 public:
  using Unit::Unit;
};

// Message box flags and answers.
enum : int {
  kBoxOk = 0,
  kBoxYesNo = 4,
  kBoxWarning = 48,
  kBoxInformation = 64,
  kAnswerYes = 5,
};

// Settings files, files and the program's folder.
std::string ReadIniItem(const std::string& path, const std::string& section,
                        const std::string& key);
void WriteIniItem(const std::string& path, const std::string& section, const std::string& key,
                  const std::string& value);
std::string GetProgramDir();
// Where the program keeps the libraries it carries when its own folder cannot be written.
std::string GetUserLibraryDir();
bool FileExists(const std::string& path);
Bytes ReadFileBytes(const std::string& path);
bool WriteBytesToFile(const std::string& path, const Bytes& bytes);
bool SetFileAttr(const std::string& path, int attributes);
// Renames a file; false when `to` exists already (it is never replaced).
bool RenameFile(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);

// Message boxes: the answer (kAnswerYes, ...). Without a caption the default caption shows.
int MsgBox(const std::string& text, int flags, const std::string& caption);
int MsgBox(const std::string& text, int flags);

// Numbers and texts.
void SeedRandom();
int RandomInt(int min, int max);
std::string ToText(int value);
std::string ToText(double value);
std::string ToText(DateTime value);
std::string ToText(const Bytes& bytes);  // the bytes up to the first zero byte
double ToNumber(const std::string& text);
double AbsValue(double value);
uint32_t MakeColor(int red, int green, int blue);
int BytesLength(const Bytes& bytes);
DateTime GetNow();
// How far the system clock is into its current second, 0-999 ms: GetNow changes at 1000 minus
// this.
int GetNowMillisecond();

// Appends one line to a file in one flushed write; a new or empty file gets `head` first, a
// file whose last line was cut a line break first. False when the file cannot be written.
bool AppendLineToFile(const std::string& path, const std::string& line, const std::string& head);
// GBK and UTF-8 texts (what GBK cannot hold becomes '?').
std::string Utf8FromGbk(const std::string& gbk);
std::string GbkFromUtf8(const std::string& utf8);

// A popup menu's item; `depth` 1 puts it in the submenu of the item at depth 0 before it.
struct MenuItem {
  std::string text;  // with its access key: "撤销这次点名(&U)"
  bool ticked = false;
  bool greyed = false;
  bool separator = false;
  int depth = 0;
};
// Opens a popup menu at (x, y) on the screen, or over `unit` when both are -1, and waits for
// the choice: the number (from 1) of the item in `items`, 0 when none was chosen.
int PopupMenu(const Unit& unit, const std::vector<MenuItem>& items, int x, int y);

// Windows and sound.
void LoadWindow(const Window& window, bool modal);
void DestroyUnit(const Window& window);  // closes the window once its handlers have returned
void PlayMusic(int times, const std::string& file);
void StopMusic();

// The network, the browser and the speaker volume.
// The bytes read and, in *status, the HTTP status of the answer (0 when none came).
Bytes FetchWebPage(const std::string& address, int* status);
void OpenWebPage(const std::string& address);
int OpenVolumeLine(const SysVolume& unit, int kind);
int SetVolume(const SysVolume& unit, int left, int right);

// The DLL command `number` of the program header, called with 32-bit arguments.
void CallDllCommand(uint32_t number, std::initializer_list<uint32_t> args);

// Classes in the class list file and names pasted from a spreadsheet. UTF-16 texts keep the
// characters GBK cannot hold.
// The names of the settings file's sections in file order.
std::vector<std::string> ListIniSections(const std::string& path);
// A new section at the end of the file, its keys from lines "key=value"; false, writing
// nothing, when it is there already or the file cannot be written.
bool AddIniSection(const std::string& path, const std::string& section,
                   const std::vector<std::u16string>& lines);
// The clipboard's text; empty when it holds none.
std::u16string ReadClipboardText();
// GBK, each character it cannot hold as "?".
std::string GbkFromUtf16(const std::u16string& text);

// The name full screen over the monitor that holds `window`: it follows the text of `name`, shows
// that of `seconds` in a corner while `timer_switch` reads `switch_on` and `button` reads
// `start_caption` (the answer countdown can run), fits the longest of `names` (one a line) and
// draws in `colour` made readable. Its touches raise the window's hot key event, for which
// IsFullScreenTouch is true. False when it cannot be shown.
bool ShowFullScreen(const Window& window, const TransLabel& name, const TransLabel& seconds,
                    const Button& button, const TransLabel& timer_switch,
                    const std::string& start_caption, const std::string& switch_on,
                    const std::string& names, uint32_t colour);
bool FullScreenOpen();
// The full screen above all windows without taking the keyboard, or back behind the program
// that has it.
void SetFullScreenOnTop(bool on);
bool IsFullScreenTouch(const Event& event);

// Ends the program with this exit code; does not return.
[[noreturn]] void ExitProgram(int code);

}  // namespace app
