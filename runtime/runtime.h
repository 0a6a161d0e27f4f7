// The runtime object and the runtime frame's own operations: initialisation, the runtime's
// notify function with its service codes, the error report, program end and shutdown. Used by
// the runtime's parts and by the unit types; application code uses program.h only.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/program.h"
#include "runtime/command_host.h"
#include "runtime/library.h"

namespace rc {

namespace forms {
class FormTable;
}

// The private message by which a worker thread hands an exit request to the main thread.
constexpr UINT kExitRequestMessage = 0x83E7;

// A library of the program's table: its descriptor (null where the table names none, or no valid
// one) and the state word its notify function is given back at shutdown. Made from a descriptor
// alone, so that a list of descriptors makes a table.
struct LoadedLibrary {
  LoadedLibrary(const LibraryDescriptor* lib = nullptr) : descriptor(lib) {}
  const LibraryDescriptor* descriptor;
  uint32_t state = 0;
};

// A declared DLL command: its file and export as the program header names them, and once it
// was first called, its address and the module that holds it.
struct DllCommand {
  std::string file;
  std::string export_name;
  void* address = nullptr;
  HMODULE module = nullptr;
};

class Runtime {
 public:
  Runtime();
  ~Runtime();

  // Paths (GBK). The program directory has no trailing separator, the module directory has one.
  std::string program_dir;
  std::string program_file;
  std::string module_dir;

  HANDLE heap = nullptr;
  const ProgramHeader* header = nullptr;
  uint32_t build_kind = 0;
  uint32_t reserved = 0;
  uintptr_t code_base = 0;
  // The read-only range as registered with the value layer.
  const uint8_t* constant_start = nullptr;
  uint32_t constant_size = 0;

  // DLL commands, one entry per declared command.
  std::vector<DllCommand> dll_commands;

  // The libraries in the order of the program's table (a unit type's library number - 1).
  std::vector<LoadedLibrary> libraries;

  std::unique_ptr<forms::FormTable> forms;  // the window definitions (the window list)

  uint32_t id_counter = 0;
  // The event whose handler runs now; the window id is 0 outside handlers.
  uint32_t current_event_window = 0;
  uint32_t current_event_unit = 0;
  uint32_t modal_window_id = 0;
  // While above 0 no event handler is called (unit re-creation, error report, shutdown).
  std::atomic<int> handlers_blocked{0};
  // Set while the runtime replaces the native window of a unit: the destroy of the old one must
  // not reset its window.
  int replacing_native = 0;
  bool loop_started = false;
  std::atomic<bool> shutting_down{false};
  ExitRoutine exit_routine = nullptr;

  std::vector<IdleTask> idle_tasks;

  DWORD main_thread_id = 0;
  HWND message_window = nullptr;
  bool ole_initialised = false;
  bool sockets_started = false;

  // Idle processing of the loop: start of the current idle period and the windows that said
  // they want no more idle time in it.
  DWORD idle_start = 0;
  std::vector<uint32_t> no_idle_windows;
};

Runtime& TheRuntime();

// The frame's notify function, handed to every library at initialisation (notify.cpp).
int64_t FrameNotify(int32_t code, uintptr_t v1, uintptr_t v2);
// The frame's answers to the unit types (frame_host.cpp).
class UnitHost;
UnitHost& FrameUnitHost();

// Full path of the program module, GBK.
std::string ModulePath();

// InitRuntime's thirteen steps.
void InitRuntime(const ProgramHeader* header);

// The error report: shows "运行时出错!" with the code and text, then ends with exit code -1.
[[noreturn]] void ReportError(const char* gbk_text, int32_t code);
// The report's text (exposed for tests).
std::string FormatErrorReport(const char* gbk_text, int32_t code);
// The text of the error table for codes 1 to 11, "" for any other code.
const char* ErrorTableText(int32_t code);
[[noreturn]] void ReportRuntimeError(int32_t code);

// Program end with a code, from any thread.
[[noreturn]] void ExitProgram(int32_t code);

// Splits a GBK path at its last backslash, by characters, so that the second byte of a
// double-byte character is never taken for a separator.
struct SplitPath {
  std::string dir;
  std::string file;
};
SplitPath SplitProgramPath(const std::string& gbk_path);
// Position of that backslash, or npos.
size_t LastSeparator(const std::string& gbk_path);

// The message loop (message_loop.cpp). Mode 0 is the main loop, mode 1 the nested loop of a
// modal window, which returns when the modal window id becomes 0.
enum class LoopMode { kMain = 0, kModal = 1 };
void RunLoop(LoopMode mode);
void RunMessageLoop();
// The loop's step before a message is translated and dispatched: true when it was consumed.
bool PreTranslateMessage(MSG* msg);
// Idle handler of the loop: true while more idle time is wanted.
bool OnIdle(long count);
void RunIdleTasks();
bool AddIdleTask(const IdleTask& task);
void RemoveIdleTask(HWND hwnd);

}  // namespace rc
