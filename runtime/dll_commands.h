// DLL commands: functions of outside DLLs that the application declares (program header) and
// calls through CallDllCommand. Each is resolved once and cached until shutdown, when the program's
// end releases them (program_end.h).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace rc {

// InitRuntime: sizes the tables to the declared commands (addresses and modules null).
void SetUpDllCommands(uint32_t count, const char* const* files, const char* const* exports);

// Entry point 2: resolves command `number` (a failure is a runtime error), calls it with the
// argc 32-bit arguments, args[0] first, and checks that it removed exactly the bytes pushed
// (else runtime error 6). Returns edx:eax of the call.
uint64_t CallDllCommand(uint32_t number, uint32_t argc, const uint32_t* args);

struct DllExport {
  void* address = nullptr;
  HMODULE module = nullptr;  // owned by the caller when address is set
  std::string error;         // the runtime error text when address is null
};

// The lookup of one command, without reporting. A file without a drive is looked for beside the
// program, beside the runtime's module, in the user's library folder, then by the system's
// search. `program_dir` and `user_dir` have no trailing separator, `module_dir` has one.
DllExport ResolveDllExport(const std::string& file, const std::string& export_name,
                           const std::string& program_dir, const std::string& module_dir,
                           const std::string& user_dir = std::string());

// Where a program whose own folder cannot be written keeps the libraries it carries: a folder
// named after the program file under the user's local application data (GBK, no trailing
// separator), created when `create` is set. Empty when there is none.
std::string UserLibraryDir(bool create);

// Calls fn with argc 32-bit arguments in the standard Windows calling convention (pushed from
// the last to the first). *stack_delta is the stack after the call minus the stack before the
// arguments were pushed: 0 when the callee removed exactly its arguments, -4 * argc for a
// callee that removed none.
uint64_t CallWithStackCheck(void* fn, uint32_t argc, const uint32_t* args, int32_t* stack_delta);

}  // namespace rc
