// The end of the program: ExitProgram from any thread, and the shutdown on the main thread.
#include <windows.h>

#include <mmsystem.h>
#include <ole2.h>
#include <winsock2.h>

#include "runtime/program_end.h"
#include "base/library_shutdown.h"
#include "base/values.h"
#include "runtime/state.h"
#include "runtime/units/unit_host.h"

namespace rc {

namespace {

void Shutdown() {
  Runtime& rt = TheRuntime();
  if (rt.shutting_down.exchange(true)) return;
  if (ExitRoutine routine = rt.exit_routine) {
    rt.exit_routine = nullptr;
    routine();
  }
  // The unit types raise no event and report no end while their libraries are let go.
  DisconnectFrame();
  for (const LoadedLibrary& loaded : rt.libraries) {
    const LibraryDescriptor* lib = loaded.descriptor;
    if (lib != nullptr && lib->notify != nullptr) lib->notify(kLibShutdown, loaded.state, 0);
  }
  rt.libraries.clear();
  ReleaseDllCommands();
  ClearConstantRange();
  rt.constant_start = nullptr;
  rt.constant_size = 0;
  if (rt.message_window != nullptr) {
    DestroyWindow(rt.message_window);
    rt.message_window = nullptr;
  }
  RunLibraryCommandsShutdown();
  PlaySoundW(nullptr, nullptr, 0);
  if (rt.sockets_started) {
    WSACleanup();
    rt.sockets_started = false;
  }
  if (rt.ole_initialised) {
    OleUninitialize();
    rt.ole_initialised = false;
  }
}

bool OnMainThread(const Runtime& rt) {
  return rt.main_thread_id == 0 || GetCurrentThreadId() == rt.main_thread_id;
}

}  // namespace

void ReleaseDllCommands() {
  Runtime& rt = TheRuntime();
  for (const DllCommand& command : rt.dll_commands) {
    if (command.module != nullptr) FreeLibrary(command.module);
  }
  rt.dll_commands.clear();
}

void ExitProgram(int32_t code) {
  Runtime& rt = TheRuntime();
  ++rt.handlers_blocked;
  if (!OnMainThread(rt)) {
    // The shutdown runs on the main thread only. Once it has begun, the main thread may be
    // waiting for this very thread (a library stopping its workers): step aside.
    if (rt.shutting_down) ExitThread(static_cast<DWORD>(code));
    HWND window = rt.message_window;
    if (window != nullptr && IsWindow(window)) {
      SendMessageW(window, kExitRequestMessage, static_cast<WPARAM>(code), 0);
    }
    if (rt.shutting_down) ExitThread(static_cast<DWORD>(code));
    ExitProcess(static_cast<UINT>(code));
  }
  Shutdown();
  ExitProcess(static_cast<UINT>(code));
}

}  // namespace rc
