#include "runtime/initialisation.h"

#include <windows.h>

#include <ole2.h>

#include "base/text_w.h"
#include "base/values.h"
#include "runtime/dll_commands.h"
#include "runtime/error_report.h"
#include "runtime/frame_host.h"
#include "runtime/notify.h"
#include "runtime/program_end.h"
#include "runtime/state.h"
#include "runtime/units/unit_host.h"
#include "runtime/window_loader.h"

namespace rc {

namespace {

const wchar_t kRuntimeWindowClass[] = L"RollcallRuntime";

LRESULT CALLBACK RuntimeWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kExitRequestMessage) ExitProgram(static_cast<int32_t>(wp));
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// The hidden tool window: the target of exit requests from worker threads and the owner of
// windows that get no taskbar button.
HWND CreateRuntimeWindow() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  WNDCLASSW wc{};
  if (!GetClassInfoW(inst, kRuntimeWindowClass, &wc)) {
    wc = WNDCLASSW{};
    wc.lpfnWndProc = RuntimeWindowProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = nullptr;
    wc.lpszClassName = kRuntimeWindowClass;
    RegisterClassW(&wc);
  }
  return CreateWindowExW(WS_EX_TOOLWINDOW, kRuntimeWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                         nullptr, inst, nullptr);
}

}  // namespace

// Full path of the program module, GBK.
std::string ModulePath() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &buf[0], DWORD(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) {
      buf.resize(n);
      return Gbk(buf);
    }
    // Longer than the buffer: a deep folder must not cut the path short.
    buf.resize(buf.size() * 2);
  }
}

size_t LastSeparator(const std::string& path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < path.size();) {
    auto c = static_cast<unsigned char>(path[i]);
    if (c >= 0x81 && c <= 0xFE && i + 1 < path.size()) {
      i += 2;  // a GBK double-byte character; its second byte may be 0x5C
      continue;
    }
    if (c == '\\') last = i;
    ++i;
  }
  return last;
}

SplitPath SplitProgramPath(const std::string& path) {
  size_t last = LastSeparator(path);
  if (last == std::string::npos) return {std::string(), path};
  return {path.substr(0, last), path.substr(last + 1)};
}

void InitRuntime(const ProgramHeader* header) {
  Runtime& rt = TheRuntime();
  rt.header = header;
  rt.heap = GetProcessHeap();
  rt.build_kind = header->build_kind;
  rt.reserved = header->reserved;
  rt.id_counter = header->last_id + 1;
  rt.code_base = header->code_base;

  if (!rt.ole_initialised) rt.ole_initialised = SUCCEEDED(OleInitialize(nullptr));

  SplitPath split = SplitProgramPath(ModulePath());
  rt.program_dir = split.dir;
  rt.program_file = split.file;
  if (!rt.program_dir.empty()) {
    // "C:" alone would name the drive's current folder, not its root.
    std::string dir = rt.program_dir;
    if (dir.back() == ':') dir += '\\';
    SetCurrentDirectoryW(Wide(dir).c_str());
  }

  rt.main_thread_id = GetCurrentThreadId();
  if (rt.message_window == nullptr) rt.message_window = CreateRuntimeWindow();

  if (header->constant_size != 0) {
    RegisterConstantRange(header->constant_data, header->constant_size);
    rt.constant_start = header->constant_data;
    rt.constant_size = header->constant_size;
  }

  if (header->dll_count != 0) {
    SetUpDllCommands(header->dll_count, header->dll_files, header->dll_exports);
  }

  // The unit types of this runtime's libraries reach the frame through its host alone.
  ConnectFrame(&FrameUnitHost());
  rt.libraries.clear();
  for (uint32_t i = 0; i < header->library_count; ++i) {
    const LibraryDescriptor* lib = header->libraries[i];
    // A record without the signature is no library descriptor; it is treated as absent.
    if (lib != nullptr && lib->signature != kLibrarySignature) lib = nullptr;
    rt.libraries.push_back(lib);
  }
  for (const LoadedLibrary& loaded : rt.libraries) {
    const LibraryDescriptor* lib = loaded.descriptor;
    if (lib != nullptr && lib->notify != nullptr) {
      lib->notify(kLibInit, reinterpret_cast<uintptr_t>(&FrameNotify), 0);
    }
  }

  // Form data, with every handler offset bound to an address of the routine table.
  if (header->form_size != 0) {
    forms::LoadStatus status =
        LoadWindowDefinitions(header->form_data, header->form_size, header->code_base);
    if (!status.ok) ReportError(status.message(), 0);
  }
}

}  // namespace rc
