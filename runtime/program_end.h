// The end of the program: from any thread, with the shutdown on the main thread. The shutdown
// lets go of what the program holds: the libraries, the DLL commands' modules, the components,
// the constant range, sockets and OLE.
#pragma once

#include <windows.h>

#include <cstdint>

namespace rc {

// The private message by which a worker thread hands an exit request to the main thread (sent
// to the runtime's hidden window).
constexpr UINT kExitRequestMessage = 0x83E7;

[[noreturn]] void ExitProgram(int32_t code);

// Shutdown: frees the module of every resolved DLL command and drops the table.
void ReleaseDllCommands();

}  // namespace rc
