// A program on the runtime for the runtime frame scenarios. Usage: runtime_probe.exe MODE [N]
//   missing      loads a start window that is not in the form data
//   code N       ReportRuntimeError(N) right after initialisation
//   close        the main window; closing it ends the program
//   preclose     the main window's creation handler closes it before the loop runs; the start
//                routine notes in preclose.txt whether a WM_QUIT waits afterwards
//   worker N     a worker thread calls ExitProgram(N); the exit routine notes in exit.txt
//                which thread ran it
//   modal        a timer of the main window ticks while a modal window is open; when the modal
//                load returns, modal.txt tells the ticks seen meanwhile and the modal window id
//   dll N        calls DLL command N and ends with its result as exit code
//   badwindow    loads a start window whose window data has a version too high to create
//   alloc        asks AllocMem for nearly 2 GB
//   getobject    looks up a window that is not loaded through service 2007
//   errorevent   after the loop started, a runtime error; the main window's close handler
//                notes in handler.txt if it ever runs
//   dllscan      resolves exports through the system DLL list and notes in dllscan.txt which
//                of the listed DLLs are loaded before and after
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/program.h"
#include "base/text_w.h"
#include "runtime/dll_commands.h"
#include "runtime/libraries.h"
#include "runtime/state.h"
#include "runtime/notify.h"
#include "tests/win/runtime_forms.h"

namespace {

constexpr uint32_t kMainWindow = 0x52010001;
constexpr uint32_t kMainUnit = 0x06010000;
constexpr uint32_t kModalWindow = 0x520100A4;
constexpr uint32_t kModalUnit = 0x060100A3;
constexpr uint32_t kBadWindow = 0x520100B0;
constexpr uint32_t kBadUnit = 0x060100B1;

const rc::EntryPoints& rt = rc::kEntryPoints;

std::string g_mode;
int g_arg = 0;
DWORD g_main_thread = 0;
int g_ticks_during_modal = 0;

void WriteNote(const char* name, const std::string& text) {
  if (FILE* f = std::fopen(name, "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

HWND MainHwnd() {
  auto* obj = reinterpret_cast<rc::UnitObject*>(
      uintptr_t(rc::FrameNotify(rc::kNotifyFindObject, kMainWindow, 0)));
  return obj != nullptr ? obj->hwnd() : nullptr;
}

void SetMainTitle(const std::string& gbk) {
  rt.WriteProperty(kMainWindow, kMainUnit, 8, -1, uint32_t(uintptr_t(gbk.c_str())), 0);
}

DWORD WINAPI ExitFromWorker(void*) {
  Sleep(200);
  rt.ExitProgram(g_arg);
  return 0;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (rc::TheRuntime().modal_window_id == kModalWindow) ++g_ticks_during_modal;
}

void CALLBACK OpenModal(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(hwnd, id);
  rc::LoadWindowRequest request{kModalWindow, nullptr, 1};
  int64_t loaded = rc::FrameNotify(rc::kNotifyLoadWindow, uintptr_t(&request), 0);
  WriteNote("modal.txt", "loaded=" + std::to_string(loaded) +
                             " ticks=" + std::to_string(g_ticks_during_modal) +
                             " modal=" + std::to_string(rc::TheRuntime().modal_window_id));
  SetMainTitle("模态已返回");
}

void CALLBACK RaiseError(HWND hwnd, UINT, UINT_PTR id, DWORD) {
  KillTimer(hwnd, id);
  rt.ReportRuntimeError(5);
}

// Routine 1: the main window's close request; it lets the window close.
void OnMainCloseRequested(rc::HandlerCall&) {
  WriteNote("handler.txt", "ran");
}

// Routine 0: the main window's creation event.
void OnMainCreated(rc::HandlerCall&) {
  if (g_mode == "preclose") {
    DestroyWindow(MainHwnd());
  } else if (g_mode == "worker") {
    CloseHandle(CreateThread(nullptr, 0, ExitFromWorker, nullptr, 0, nullptr));
  } else if (g_mode == "modal") {
    SetTimer(MainHwnd(), 1, 30, Tick);
    SetTimer(MainHwnd(), 2, 150, OpenModal);
  } else if (g_mode == "errorevent") {
    SetTimer(MainHwnd(), 3, 100, RaiseError);
  }
}

const rc::Routine kRoutines[] = {OnMainCreated, OnMainCloseRequested, nullptr};

// DLL commands the "dll" mode calls by number.
const char* const kDllFiles[] = {"runtime_testdll.dll", "", "runtime_testdll.dll",
                                 "runtime_testdll.dll", ""};
const char* const kDllExports[] = {"NoSuchExport", "NoSuchExport", "AddCdecl", "#7",
                                   "GetTickCount"};

rc::forms::Bytes g_forms;
rc::ProgramHeader g_header = {3,          0,
                              0x00010332, reinterpret_cast<uintptr_t>(kRoutines),
                              nullptr,    0,
                              nullptr,    0,
                              6,          rc::kStandardLibraries,
                              5,          kDllFiles,
                              kDllExports};

std::string LoadedDlls() {
  std::string list;
  for (const wchar_t* dll :
       {L"gdi32.dll", L"user32.dll", L"advapi32.dll", L"mpr.dll", L"shell32.dll"}) {
    if (GetModuleHandleW(dll) != nullptr) list += rc::Gbk(dll) + " ";
  }
  return list;
}

// The list of system DLLs tried for a command without file name leaves loaded only the DLL
// that has the export.
void ScanSystemDlls() {
  std::string note = "before: " + LoadedDlls();
  rc::DllExport missing = rc::ResolveDllExport("", "NoSuchExportAnywhere", "", "");
  note += "\nmissing: " + LoadedDlls() + (missing.address ? "found" : "not found");
  uint32_t ticks = uint32_t(rt.CallDllCommand(4, 0, nullptr));
  bool from_kernel32 = rc::TheRuntime().dll_commands[4].module == GetModuleHandleW(L"kernel32.dll");
  note += "\ntick: " + LoadedDlls() + (from_kernel32 && ticks != 0 ? "kernel32" : "elsewhere");
  WriteNote("dllscan.txt", note);
}

void OnExit() {
  WriteNote("exit.txt", GetCurrentThreadId() == g_main_thread ? "main" : "other");
}

int StartRoutine() {
  rt.RuntimeService(rc::kServiceInitRuntime, &g_header);
  rt.RuntimeService(rc::kServiceSetExitRoutine, &OnExit);
  if (g_mode == "missing") rt.LoadStartWindow(0x52999999);
  if (g_mode == "badwindow") rt.LoadStartWindow(kBadWindow);
  if (g_mode == "alloc") rt.AllocMem(0x7FFFFFF0);
  if (g_mode == "getobject") rc::FrameNotify(rc::kNotifyGetObject, kModalWindow, 0);
  if (g_mode == "code") rt.ReportRuntimeError(g_arg);
  if (g_mode == "dll") {
    const uint32_t args[] = {2, 40};
    uint32_t argc = g_arg == 2 || g_arg == 3 ? 2 : 0;
    rt.ExitProgram(int32_t(rt.CallDllCommand(uint32_t(g_arg), argc, args)));
  }
  if (g_mode == "dllscan") {
    ScanSystemDlls();
    rt.ExitProgram(0);
  }
  rt.LoadStartWindow(kMainWindow);
  rt.RunMessageLoop();
  if (g_mode == "preclose") {
    MSG msg;
    bool quit = PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
    WriteNote("preclose.txt", std::string("returned quit=") + (quit ? "1" : "0"));
  }
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR cmd, int) {
  std::string args = cmd;
  size_t space = args.find(' ');
  g_mode = args.substr(0, space);
  if (space != std::string::npos) g_arg = std::atoi(args.c_str() + space + 1);
  g_main_thread = GetCurrentThreadId();

  g_forms = rc::test::WriteTestForms({
      {kMainWindow,
       kMainUnit,
       "探针主窗口",
       60,
       60,
       320,
       200,
       {{0, rc::RoutineOffset(0)}, {1, rc::RoutineOffset(1)}}},
      {kModalWindow, kModalUnit, "模态窗口", 420, 60, 240, 160, {}},
      {kBadWindow, kBadUnit, "坏窗口", 0, 0, 100, 100, {}, true, 0, 7},
  });
  g_header.form_data = g_forms.data();
  g_header.form_size = uint32_t(g_forms.size());
  rc::DataRange constants = rc::ProgramReadOnlyData();
  g_header.constant_data = constants.start;
  g_header.constant_size = constants.size;
  rc::RunProgram(StartRoutine);
}
