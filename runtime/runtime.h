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

#include "runtime/library.h"
#include "runtime/program.h"

namespace rc {

namespace forms {
class FormTable;
}

// Service codes of the runtime's notify function (a library calls it with (code, v1, v2)).
enum : int32_t {
  kSvcWindowDestroyed = 2000,  // v1 window id, v2 unit id or 0 for the window itself
  kSvcProgramDir = 2003,       // → text owned by the runtime, no trailing separator
  kSvcProgramFile = 2004,      // → text owned by the runtime
  kSvcLoadWindow = 2005,       // v1 → LoadWindowRequest; → 0 or -1
  kSvcFindObject = 2006,       // v1 window id, v2 unit id or 0; → UnitObject* or null
  kSvcGetObject = 2007,        // as 2006; missing is a runtime error
  kSvcRaiseEvent = 2008,       // v1 → EventRecord; → 1 if a handler ran
  kSvcRaiseTypedEvent = 2031,  // v1 → TypedEventRecord; → 1 if a handler ran
  kSvcFreeArray = 2023,        // v1 tag, v2 array
  kSvcAlloc = 2024,            // v1 size, v2 non-zero: null instead of an error
  kSvcFree = 2025,             // v1 block
  kSvcRealloc = 2026,          // v1 block, v2 size
  kSvcReportError = 2027,      // v1 text
  kSvcExit = 2028,             // v1 exit code
  kSvcBuildKind = 2030,
  kSvcAddIdleTask = 1012,     // v1 → IdleTask
  kSvcRemoveIdleTask = 1013,  // v1 window handle
};

struct LoadWindowRequest {
  uint32_t window_id;
  UnitObject* parent;  // parent window object or null
  uint32_t modal;
};

// Idle tasks run from the message loop while no message waits, one per window handle.
using IdleCallback = void (*)(void* arg);
struct IdleTask {
  HWND hwnd;
  IdleCallback callback;
  void* arg;
};

// The private message by which a worker thread hands an exit request to the main thread.
constexpr UINT kExitRequestMessage = 0x83E7;

// Optional runtime components looked up by operation name (slot 0: the music player).
struct ComponentService {
  void* (*find_operation)(const char* name);
  void (*remove_all)();  // at shutdown: removes whatever the component made
};
constexpr int kComponentSlots = 3;
constexpr int kMusicPlayerSlot = 0;
// The component registers itself (before InitRuntime); InitRuntime sets up the slots.
void RegisterComponent(int slot, const ComponentService* service);
const ComponentService* Component(int slot);

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
  std::vector<std::string> dll_files;
  std::vector<std::string> dll_exports;
  std::vector<void*> dll_addresses;
  std::vector<HMODULE> dll_modules;

  std::vector<const LibraryDescriptor*> libraries;
  std::vector<uint32_t> library_state;

  std::unique_ptr<forms::FormTable> forms;  // the window definitions (the window list)

  uint32_t id_counter = 0;
  // The event whose handler runs now; the window id is 0 outside handlers.
  uint32_t current_event_window = 0;
  uint32_t current_event_unit = 0;
  uint32_t modal_window_id = 0;
  // While above 0 no event handler is called (unit re-creation, error report, shutdown).
  std::atomic<int> recreation_counter{0};
  // Set while the runtime replaces the native window of a unit: the destroy of the old one must
  // not reset its window.
  int replacing_native = 0;
  bool loop_started = false;
  std::atomic<bool> shutting_down{false};
  ExitRoutine exit_routine = nullptr;

  std::vector<HWND> idle_windows;
  std::vector<IdleCallback> idle_callbacks;
  std::vector<void*> idle_args;

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

// The runtime's notify function, handed to every library at initialisation.
int64_t RuntimeNotify(int32_t code, uintptr_t v1, uintptr_t v2);

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
