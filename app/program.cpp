// The program's header, its start routine and the process entry. Everything the program does
// happens inside the start routine: the runtime is initialised, the start window (the main
// window) is loaded, and the message loop runs until the last window is gone.
#include <windows.h>

#include "app_forms.h"
#include "base/program.h"
#include "base/routines.h"

namespace app {
// Generated from the form descriptions: the form data, and the routines their bindings name in
// the order of their handler offsets (offset 4 x n is routine n), ending with a null routine.
extern const uint8_t kFormData[];
extern const size_t kFormDataSize;
extern const rc::Routine kRoutines[];
}  // namespace app

namespace {

const char* const kDllFiles[] = {"SkinH_EL.dll"};
const char* const kDllExports[] = {"SkinH_AttachRes"};

rc::ProgramHeader g_header = {
    3,           // build kind
    0,           // reserved
    0x00010333,  // last id of the form data
    reinterpret_cast<uintptr_t>(app::kRoutines),
    nullptr,  // constant data: the read-only data section, filled in at start
    0,
    app::kFormData,
    uint32_t(app::kFormDataSize),
    6,
    rc::kStandardLibraries,
    1,
    kDllFiles,
    kDllExports,
};

// The program's initialisation and exit routines and its start subroutine: nothing to do.
void Initialise() {}
void OnExit() {}
int StartSubroutine() {
  return 0;
}

int StartRoutine() {
  const rc::EntryPoints& rt = rc::kEntryPoints;
  rt.RuntimeService(rc::kServiceInitRuntime, &g_header);
  Initialise();
  rt.RuntimeService(rc::kServiceSetExitRoutine, &OnExit);
  StartSubroutine();
  rt.LoadStartWindow(app::main_window::kWindowId);
  rt.RunMessageLoop();
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  rc::DataRange constants = rc::ProgramReadOnlyData();
  g_header.constant_data = constants.start;
  g_header.constant_size = constants.size;
  rc::RunProgram(StartRoutine);
}
