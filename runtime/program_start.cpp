// The process start and the program module's read-only data.
#include <cstring>

#include "base/runtime_error.h"
#include "runtime/error_report.h"
#include "runtime/initialisation.h"
#include "runtime/program_end.h"
#include "runtime/state.h"

namespace rc {

namespace {

void ReportErrorHook(const char* gbk_text, int code) {
  ReportError(gbk_text, code);
}

}  // namespace

DataRange ProgramReadOnlyData() {
  auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    if (std::memcmp(section->Name, ".rdata", 7) == 0) {
      return {base + section->VirtualAddress, section->Misc.VirtualSize};
    }
  }
  return {nullptr, 0};
}

void RunProgram(StartRoutine start) {
  Runtime& rt = TheRuntime();
  SetRuntimeErrorHook(ReportErrorHook);
  rt.main_thread_id = GetCurrentThreadId();
  std::string path = ModulePath();
  size_t cut = LastSeparator(path);
  rt.module_dir = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
  int result = start();
  int32_t code = 0;
  if (result != 0) {
    // A start routine that returns non-zero leaves the message loop to the framework.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    code = static_cast<int32_t>(msg.wParam);
  }
  ExitProgram(code);
}

}  // namespace rc
