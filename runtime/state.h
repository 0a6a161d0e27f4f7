// The runtime's state: what the frame's parts share while the program runs. Only data lives
// here; each part's operations are declared in its own header.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/program.h"
#include "runtime/library.h"

namespace rc {

namespace forms {
class FormTable;
}

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

  // The window definitions (the window list). Reached through the unit registry only.
  std::unique_ptr<forms::FormTable> forms;

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

}  // namespace rc
