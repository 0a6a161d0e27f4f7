// A program on the runtime for the unit framework's scenarios, with the windows of forms/.
// Usage: units_probe.exe MODE [N]
//   lang       the start window's creation handler notes in lang.txt the ANSI code page and, for
//              the window and its units, each text as read through ReadProperty (GBK) and as
//              the native window holds it (UTF-16); closing the window ends the program
//   events     the handlers of the window and its edit box note every event in events.txt: the
//              key handler consumes every key, the character handler swallows "x" and turns
//              "a" into "A", the close handler refuses the first close request
//   notloaded  writes the visible property of a unit of a window that is not loaded (noted in
//              notloaded.txt), then its caption: a runtime error
//   nowindow   reads a property of a window that is not in the form data
//   errortick  the timer ticks every 20 ms; the fifth tick reports runtime error 5; ticks.txt
//              holds the number of ticks a handler saw
//   badevent N raises an event of an unknown window (1), of an unknown unit (2), of a unit whose
//              type has no events (3)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/program.h"
#include "runtime/events.h"
#include "runtime/libraries.h"
#include "runtime/notify.h"
#include "tests/win/units_test_types.h"

namespace rc::unitsprobe {
extern const uint8_t kForms[];
extern const size_t kFormsSize;
}  // namespace rc::unitsprobe

namespace {

constexpr uint32_t kMain = 0x52010001;
constexpr uint32_t kMainUnit = 0x06010000;
constexpr uint32_t kLabel = 0x16010002;
constexpr uint32_t kButton = 0x16010003;
constexpr uint32_t kEdit = 0x16010004;
constexpr uint32_t kInner = 0x16010005;
constexpr uint32_t kGroup = 0x16010006;
constexpr uint32_t kTimer = 0x16010007;
constexpr uint32_t kSecond = 0x520100A4;
constexpr uint32_t kSecondLabel = 0x160100A5;
constexpr uint32_t kMuteWindow = 0x520100B0;
constexpr uint32_t kMuteUnit = 0x160100B2;

const rc::EntryPoints& rt = rc::kEntryPoints;

std::string g_mode;
int g_arg = 0;
int g_ticks = 0;
int g_close_requests = 0;

void WriteNote(const char* name, const std::string& text, bool append = false) {
  if (FILE* f = std::fopen(name, append ? "ab" : "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

std::string HexBytes(const void* data, size_t size) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", static_cast<const uint8_t*>(data)[i]);
    out += buf;
  }
  return out;
}

// One line of lang.txt: the text as the program reads it, and as the native window holds it.
std::string TextLine(const char* name, uint32_t unit, int32_t index) {
  rc::HeapText gbk(reinterpret_cast<char*>(uintptr_t(rt.ReadProperty(kMain, unit, index, -1))));
  std::string line = std::string(name) + " gbk " +
                     HexBytes(gbk.get(), gbk ? std::char_traits<char>::length(gbk.get()) : 0);
  auto* obj = reinterpret_cast<rc::UnitObject*>(
      uintptr_t(rc::FrameNotify(rc::kNotifyFindObject, kMain, unit == kMainUnit ? 0 : unit)));
  wchar_t wide[128] = {};
  if (obj != nullptr) GetWindowTextW(obj->hwnd(), wide, 128);
  return line + " wide " + HexBytes(wide, std::char_traits<wchar_t>::length(wide) * 2) + "\n";
}

void NoteEvent(const char* unit, int32_t event, const rc::HandlerCall& call) {
  std::string line = std::string(unit) + " " + std::to_string(event);
  for (uint32_t i = 0; i < call.word_count; ++i) line += " " + std::to_string(call.words[i]);
  WriteNote("events.txt", line + "\n", true);
}

// Routine 0: the start window's creation.
void OnCreated(rc::HandlerCall&) {
  if (g_mode == "lang") {
    std::string note = "acp " + std::to_string(GetACP()) + "\n";
    note += TextLine("title", kMainUnit, 8);
    note += TextLine("label", kLabel, 8);
    note += TextLine("button", kButton, 10);
    note += TextLine("edit", kEdit, 8);
    note += TextLine("group", kGroup, 8);
    note += TextLine("inner", kInner, 8);
    WriteNote("lang.txt", note);
  } else if (g_mode == "errortick") {
    rt.WriteProperty(kMain, kTimer, 8, -1, 20, 0);
  } else if (g_mode == "badevent") {
    rc::EventRecord record{kMain, 0, 0, 0, {}, 0, 0};
    if (g_arg == 1) record.window_id = 0x52999999;
    if (g_arg == 2) record.unit_id = 0x16999999;
    if (g_arg == 3) {
      record.window_id = kMuteWindow;
      record.unit_id = kMuteUnit;
    }
    rc::FrameNotify(rc::kNotifyRaiseEvent, reinterpret_cast<uintptr_t>(&record), 0);
  }
}

// Routine 1: the start window's close request; the first one is refused in mode events.
void OnCloseRequested(rc::HandlerCall& call) {
  if (g_mode != "events") return;
  if (++g_close_requests == 1) {
    WriteNote("events.txt", "window 1 refused\n", true);
    call.Return(0);
  } else {
    WriteNote("events.txt", "window 1 allowed\n", true);
  }
}

void OnEditChanged(rc::HandlerCall& call) {
  NoteEvent("edit", 0, call);
}
void OnEditLeftDown(rc::HandlerCall& call) {
  NoteEvent("edit", -1, call);
}
void OnEditKeyDown(rc::HandlerCall& call) {
  NoteEvent("edit", -9, call);
  call.Return(0);
}
void OnEditCharacter(rc::HandlerCall& call) {
  NoteEvent("edit", -11, call);
  if (call.Arg(0) == 'x') call.Return(0);
  if (call.Arg(0) == 'a') call.Return(0x41);
}

// Routine 6: the timer's tick.
void OnTick(rc::HandlerCall&) {
  WriteNote("ticks.txt", std::to_string(++g_ticks));
  if (g_mode == "errortick" && g_ticks == 5) rt.ReportRuntimeError(5);
}

// Routine 7: bound to the unit without events; never called.
void Never(rc::HandlerCall&) {
  WriteNote("never.txt", "ran");
}

const rc::Routine kRoutines[] = {OnCreated,     OnCloseRequested, OnEditChanged, OnEditLeftDown,
                                 OnEditKeyDown, OnEditCharacter,  OnTick,        Never,
                                 nullptr};

const rc::LibraryDescriptor* const kLibraries[] = {
    rc::kStandardLibraries[0], rc::kStandardLibraries[1], rc::kStandardLibraries[2],
    rc::kStandardLibraries[3], rc::kStandardLibraries[4], rc::kStandardLibraries[5],
    &rc::test::kTestLibrary,
};

rc::ProgramHeader g_header = {3,
                              0,
                              0x00010332,
                              reinterpret_cast<uintptr_t>(kRoutines),
                              nullptr,
                              0,
                              rc::unitsprobe::kForms,
                              uint32_t(rc::unitsprobe::kFormsSize),
                              7,
                              kLibraries,
                              0,
                              nullptr,
                              nullptr};

int StartRoutine() {
  rt.RuntimeService(rc::kServiceInitRuntime, &g_header);
  if (g_mode == "notloaded") {
    rt.WriteProperty(kSecond, kSecondLabel, 5, -1, 0, 0);
    WriteNote("notloaded.txt",
              "visible " + std::to_string(uint32_t(rt.ReadProperty(kSecond, kSecondLabel, 5, -1))));
    const char* caption = "不行";
    rt.WriteProperty(kSecond, kSecondLabel, 8, -1, uint32_t(uintptr_t(caption)), 0);
  }
  if (g_mode == "nowindow") rt.ReadProperty(0x52999999, 0x16999999, 0, -1);
  rt.LoadStartWindow(kMain);
  rt.RunMessageLoop();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int) {
  std::string args = cmd;
  size_t space = args.find(' ');
  g_mode = args.substr(0, space);
  if (space != std::string::npos) g_arg = std::atoi(args.c_str() + space + 1);
  rc::RunProgram(StartRoutine);
}
