// Drives real Windows programs from a test running under the same wineserver (or on Windows):
// start a program in a fresh folder of its own, find its windows, controls and message boxes,
// click, type, answer, take screenshots and collect the exit code.
//
// Texts go in and out as GBK (code page 936) byte strings, like the program's own texts; the
// driver talks to the window system through the W functions and converts explicitly.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace harness {

// Folder of the running test executable, with a trailing backslash. Programs and DLLs built
// by the project sit there.
std::string BinDir();

// A fresh empty folder under the temp directory, removed with everything in it on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }  // with trailing backslash
  // Writes a file into the folder (name relative to it). Returns false on failure.
  bool Write(const std::string& name, const std::string& bytes) const;
  // Reads a file of the folder; empty when missing.
  std::string Read(const std::string& name) const;
  bool Exists(const std::string& name) const;
  // Copies a file (full path) into the folder under the given name.
  bool CopyIn(const std::string& from, const std::string& name) const;

 private:
  std::string path_;
};

struct Control {
  HWND hwnd;
  std::string cls;   // window class
  std::string text;  // window text, GBK
  RECT rect;         // screen coordinates
  int id;            // control id
  bool visible;
};

struct MessageBoxInfo {
  HWND hwnd = nullptr;
  std::string caption;       // GBK
  std::string text;          // GBK, the static control 0xFFFF
  std::vector<int> buttons;  // ids of the visible buttons (IDOK 1, IDYES 6, IDNO 7 ...)
  explicit operator bool() const { return hwnd != nullptr; }
};

// A started program. The process is killed on destruction if it still runs.
class Process {
 public:
  // Copies `exe` (a full path, or a name looked up in BinDir()) into `dir` and starts the
  // copy there with `dir` as its current directory. `args` is appended to the command line.
  Process(const TempDir& dir, const std::string& exe, const std::string& args = "");
  // Takes over a program of this wineserver that runs already (one started another way, e.g.
  // by StartUnderLocale), by its process id; started() is false when it cannot be opened.
  explicit Process(DWORD pid);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  DWORD pid() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }

  // Waits for a visible top-level window of this process whose title (GBK) equals `title`
  // (or, when `title` is empty, any visible top-level window). Null on timeout.
  HWND WaitWindow(const std::string& title, DWORD timeout_ms = 10000) const;
  // As WaitWindow, by window class.
  HWND WaitWindowByClass(const std::string& cls, DWORD timeout_ms = 10000) const;
  // Waits for a message box (dialog class #32770 with a static 0xFFFF) of this process.
  MessageBoxInfo WaitMessageBox(DWORD timeout_ms = 10000) const;
  // True if the process shows a message box right now.
  bool HasMessageBox() const;

  // Waits for the process to end. Returns its exit code, or nothing (STILL_ACTIVE) on timeout.
  bool WaitExit(DWORD timeout_ms, DWORD* code) const;
  bool running() const;
  void Kill();

 private:
  PROCESS_INFORMATION info_{};
};

// Starts a program (full path) as a Wine program of its own under a Unix locale such as
// "en_US.UTF-8", which gives it that locale's ANSI code page: a program started by another
// Windows program keeps its parent's, whatever environment it is handed. Returns the new
// program's process id once it runs, 0 on failure or timeout. Under Wine with env(1) only.
DWORD StartUnderLocale(const std::string& exe, const std::string& locale, DWORD timeout_ms = 20000);

// Child controls of a window, in Z order, recursively.
std::vector<Control> Children(HWND parent);
// First child whose text (GBK) equals `text`, or null.
HWND FindChildByText(HWND parent, const std::string& text);
// First child of the given class and control id (id < 0: any), or null.
HWND FindChild(HWND parent, const std::string& cls, int id = -1);
std::string WindowText(HWND hwnd);  // GBK
// The text of a window that changes while it is watched (a display rewritten every few
// milliseconds), read in one message with room for 4095 characters: WindowText asks for the
// length first, and a text that grows in between comes back cut.
std::string ChangingText(HWND hwnd);
std::string ClassName(HWND hwnd);

// Clicks a button-like control (BM_CLICK posted, so a modal box it opens cannot block us).
void Click(HWND control);
// Clicks at a point of a window's client area with real mouse messages (press and release).
void ClickAt(HWND window, int x, int y);
// Replaces the text of an edit control as a user typing it would (EN_CHANGE is sent).
void TypeText(HWND edit, const std::string& gbk_text);
// Answers a message box with a button id (IDOK, IDYES, IDNO ...) and waits (up to 5 s) until the
// box is gone: a box found right after would otherwise be this one, closing.
void Answer(const MessageBoxInfo& box, int button_id);
// Asks a top-level window to close, as its close box would.
void Close(HWND window);

// An environment variable's value; empty when unset.
std::string Env(const char* name);
// The same for a variable naming a file: a Unix path (the test scripts set them) as Wine's Z:
// drive shows it.
std::string EnvPath(const char* name);
// A window's width, and its left edge in its parent's client area.
int Width(HWND window);
int LeftInParent(HWND window);
// `bytes` bytes of `v`, least significant first, as files store their sizes.
std::string LittleEndian(uint32_t v, int bytes);

// Lets messages of this thread flow for a while (the driver owns no windows, but keeps COM
// and the like happy).
void Sleep(DWORD ms);
// Polls `pred` every 10 ms until it is true or the time is up.
template <typename Pred>
bool WaitUntil(Pred pred, DWORD timeout_ms = 5000) {
  DWORD start = GetTickCount();
  for (;;) {
    if (pred()) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    ::Sleep(10);
  }
}

// A 32-bit RGB picture: pixel (x, y) is at data[y * width + x] as 0x00RRGGBB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> data;
  uint32_t at(int x, int y) const { return data[y * width + x]; }
  bool empty() const { return data.empty(); }
};

// Captures what is on screen inside a window (whole window rectangle, frame included), or the
// whole screen for null. The window is brought to the top first.
Image Screenshot(HWND window = nullptr);
// Captures the client area of a window.
Image ClientShot(HWND window);
bool SavePng(const Image& image, const std::string& path);
// Saves a checked screenshot for the README into docs/screenshots when asked for
// (ROLLCALL_SAVE_SCREENSHOTS=1), so that ordinary runs leave the source tree alone.
void SaveForReadme(const Image& shot, const char* name);

// Colour helpers for pixel assertions: 0x00RRGGBB.
inline uint32_t Rgb(int r, int g, int b) {
  return (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}
bool Near(uint32_t a, uint32_t b, int tolerance = 8);
// Number of pixels of the rectangle [x0,x1)x[y0,y1) near the colour.
int CountNear(const Image& image, int x0, int y0, int x1, int y1, uint32_t colour,
              int tolerance = 8);

// The direct child of `parent` of class `cls` (any case) whose top-left corner lies at
// (left, top) of the parent's client area, or null: units are found where their form puts them.
HWND FindChildAt(HWND parent, const std::string& cls, int left, int top);
// The colour (0x00RRGGBB) on screen at a point of a window's client area.
uint32_t ScreenPixel(HWND window, int x, int y);

// Records what the sound server's default sink plays, from its monitor, as 16-bit mono samples
// at kRate: the proof that a program was heard. Under Wine with PulseAudio only (the test
// environment's null sink); elsewhere recording() is false. Times are seconds since recording
// began; Now() is the time stamp of an event for later Peak queries.
class SoundRecorder {
 public:
  static constexpr int kRate = 16000;
  // Starts the recorder (it ends by itself after `seconds`) and waits for its first samples.
  explicit SoundRecorder(int seconds = 30);
  ~SoundRecorder();
  SoundRecorder(const SoundRecorder&) = delete;
  SoundRecorder& operator=(const SoundRecorder&) = delete;
  bool recording() const { return recording_; }
  double Now() const;
  // The largest sample magnitude (0 to 32768) in [from, to), once that span is recorded (-1
  // if it is not within a few seconds).
  int Peak(double from, double to) const;

 private:
  TempDir dir_;
  bool recording_ = false;
};

}  // namespace harness
