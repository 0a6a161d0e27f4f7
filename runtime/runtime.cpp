// The runtime object, InitRuntime, the runtime's notify function, the error report and the end
// of the program.
#include "runtime/runtime.h"

#include <mmsystem.h>
#include <ole2.h>
#include <winsock2.h>

#include <cstdarg>
#include <cstring>

#include "commands/runtime_error.h"
#include "commands/values.h"
#include "forms/form_table.h"
#include "runtime/dll_commands.h"
#include "runtime/events.h"
#include "runtime/properties.h"
#include "runtime/services.h"
#include "runtime/text_w.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"

namespace rc {

namespace {

const ComponentService* g_registered_components[kComponentSlots] = {};
const ComponentService* g_components[kComponentSlots] = {};

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

void Shutdown() {
  Runtime& rt = TheRuntime();
  if (rt.shutting_down.exchange(true)) return;
  if (ExitRoutine routine = rt.exit_routine) {
    rt.exit_routine = nullptr;
    routine();
  }
  for (size_t i = 0; i < rt.libraries.size(); ++i) {
    const LibraryDescriptor* lib = rt.libraries[i];
    if (lib != nullptr && lib->notify != nullptr) lib->notify(kLibShutdown, rt.library_state[i], 0);
  }
  rt.libraries.clear();
  rt.library_state.clear();
  ReleaseDllCommands();
  ClearConstantRange();
  rt.constant_start = nullptr;
  rt.constant_size = 0;
  if (rt.message_window != nullptr) {
    DestroyWindow(rt.message_window);
    rt.message_window = nullptr;
  }
  if (const ComponentService* player = g_components[kMusicPlayerSlot]) {
    if (player->remove_all != nullptr) player->remove_all();
  }
  for (auto& slot : g_components) slot = nullptr;
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

void ReportErrorHook(const char* gbk_text, int code) {
  ReportError(gbk_text, code);
}

bool OnMainThread(const Runtime& rt) {
  return rt.main_thread_id == 0 || GetCurrentThreadId() == rt.main_thread_id;
}

}  // namespace

Runtime::Runtime() = default;
Runtime::~Runtime() = default;

Runtime& TheRuntime() {
  static Runtime runtime;
  return runtime;
}

void RegisterComponent(int slot, const ComponentService* service) {
  if (slot >= 0 && slot < kComponentSlots) g_registered_components[slot] = service;
}

const ComponentService* Component(int slot) {
  return slot >= 0 && slot < kComponentSlots ? g_components[slot] : nullptr;
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

  for (int i = 0; i < kComponentSlots; ++i) g_components[i] = g_registered_components[i];

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

  rt.libraries.clear();
  for (uint32_t i = 0; i < header->library_count; ++i) {
    const LibraryDescriptor* lib = header->libraries[i];
    // A record without the signature is no library descriptor; it is treated as absent.
    if (lib != nullptr && lib->signature != kLibrarySignature) lib = nullptr;
    rt.libraries.push_back(lib);
  }
  rt.library_state.assign(rt.libraries.size(), 0);
  for (const LibraryDescriptor* lib : rt.libraries) {
    if (lib != nullptr && lib->notify != nullptr) {
      lib->notify(kLibInit, reinterpret_cast<uintptr_t>(&RuntimeNotify), 0);
    }
  }

  // Form data, with every handler offset bound to an address of the routine table.
  if (header->form_size != 0) {
    forms::LoadStatus status =
        LoadWindowDefinitions(header->form_data, header->form_size, header->code_base);
    if (!status.ok) ReportError(status.message(), 0);
  }
}

int64_t RuntimeNotify(int32_t code, uintptr_t v1, uintptr_t v2) {
  Runtime& rt = TheRuntime();
  switch (code) {
    case kSvcWindowDestroyed:
      OnWindowDestroyed(static_cast<uint32_t>(v1), static_cast<uint32_t>(v2));
      return 0;
    case kSvcProgramDir:
      return int64_t(reinterpret_cast<uintptr_t>(rt.program_dir.c_str()));
    case kSvcProgramFile:
      return int64_t(reinterpret_cast<uintptr_t>(rt.program_file.c_str()));
    case kSvcLoadWindow: {
      const auto* req = reinterpret_cast<const LoadWindowRequest*>(v1);
      if (req == nullptr) return -1;
      return OpenWindow(req->window_id, req->parent, req->modal != 0) ? 0 : -1;
    }
    case kSvcFindObject:
      return int64_t(reinterpret_cast<uintptr_t>(
          FindLiveObject(static_cast<uint32_t>(v1), static_cast<uint32_t>(v2))));
    case kSvcGetObject: {
      UnitObject* obj = FindLiveObject(static_cast<uint32_t>(v1), static_cast<uint32_t>(v2));
      if (obj == nullptr) ReportError("指定窗口或窗口组件不存在或尚未载入", 0);
      return int64_t(reinterpret_cast<uintptr_t>(obj));
    }
    case kSvcRaiseEvent:
      return RaiseEvent(reinterpret_cast<EventRecord*>(v1)) ? 1 : 0;
    case kSvcRaiseTypedEvent:
      return RaiseTypedEvent(reinterpret_cast<TypedEventRecord*>(v1)) ? 1 : 0;
    case kSvcFreeArray:
      FreeArrayValue(static_cast<uint32_t>(v1), reinterpret_cast<void*>(v2));
      return 0;
    case kSvcAlloc:
      return int64_t(reinterpret_cast<uintptr_t>(AllocMemForLibrary(v1, v2 != 0)));
    case kSvcFree:
      FreeMem(reinterpret_cast<void*>(v1));
      return 0;
    case kSvcRealloc:
      return int64_t(reinterpret_cast<uintptr_t>(ReallocMem(reinterpret_cast<void*>(v1), v2)));
    case kSvcReportError:
      ReportError(reinterpret_cast<const char*>(v1), 0);
    case kSvcExit:
      ExitProgram(static_cast<int32_t>(v1));
    case kSvcBuildKind:
      return rt.build_kind;
    case kSvcAddIdleTask: {
      const auto* task = reinterpret_cast<const IdleTask*>(v1);
      return task != nullptr && AddIdleTask(*task) ? 1 : 0;
    }
    case kSvcRemoveIdleTask:
      RemoveIdleTask(reinterpret_cast<HWND>(v1));
      return 0;
    default:
      return 0;
  }
}

const char* ErrorTableText(int32_t code) {
  static const char* const kTexts[] = {
      "数组成员引用下标超出定义范围",
      "未得到所需要的数值型数据",
      "引用数组成员时维数不为1且不等于该数组目前所具有的维数",
      "数组成员引用下标必须大于等于1",
      "数据或数组类型不匹配",
      "调用DLL命令后发现堆栈错误",
      "子语句参数未返回数据或者返回了非系统基本类型或数组型数据",
      "被比较数据只能使用等于或不等于命令比较",
      "“多项选择”命令的索引值参数小于零或超出了所提供参数表范围",
      "“重定义数组”命令的数组维定义参数值必须大于零或单维时大于等于零",
      "所提供参数的数据类型不符合要求",
  };
  if (code < 1 || code > int32_t(sizeof kTexts / sizeof kTexts[0])) return "";
  return kTexts[code - 1];
}

std::string FormatErrorReport(const char* gbk_text, int32_t code) {
  std::string message = "运行时出错!\r\n\r\n";
  if (code != 0) message += "错误代码：" + std::to_string(code) + "\r\n\r\n";
  if (gbk_text != nullptr && gbk_text[0] != '\0') {
    message += "错误信息：";
    message += gbk_text;
    message += "\r\n";
  }
  return message;
}

void ReportError(const char* gbk_text, int32_t code) {
  Runtime& rt = TheRuntime();
  // Timers and other messages keep arriving while the box is up; none may reach a handler.
  ++rt.recreation_counter;
  std::wstring text = Wide(FormatErrorReport(gbk_text, code));
  MessageBoxW(nullptr, text.c_str(), Wide("错误").c_str(), MB_OK | MB_ICONERROR);
  rt.exit_routine = nullptr;
  ExitProgram(-1);
}

void ReportRuntimeError(int32_t code) {
  ReportError(ErrorTableText(code), code);
}

void ExitProgram(int32_t code) {
  Runtime& rt = TheRuntime();
  ++rt.recreation_counter;
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

namespace {

ResultRecord CallCoreCommandEntry(CommandFn fn, uint32_t argc, ArgRecord* args) {
  ResultRecord result{0, 0, 0};
  fn(&result, static_cast<int>(argc), args);
  return result;
}

ResultRecord CallLibraryCommandEntry(CommandFn fn, uint32_t /*library*/, uint32_t argc,
                                     ArgRecord* args) {
  return CallCoreCommandEntry(fn, argc, args);
}

uintptr_t RuntimeService(uint32_t number, ...) {
  va_list ap;
  va_start(ap, number);
  uintptr_t result = 0;
  switch (number) {
    case kServiceFileSearch: {
      auto* search = va_arg(ap, FileSearch**);
      const char* pattern = va_arg(ap, const char*);
      uint32_t mask = va_arg(ap, uint32_t);
      result = reinterpret_cast<uintptr_t>(FileSearchStep(search, pattern, mask));
      break;
    }
    case kServiceCloseFileSearch:
      CloseFileSearch(va_arg(ap, FileSearch*));
      break;
    case kServiceCopyConstantArray: {
      uint32_t tag = va_arg(ap, uint32_t);
      const void* array = va_arg(ap, const void*);
      result = reinterpret_cast<uintptr_t>(CopyArrayValue(tag, array));
      break;
    }
    case kServiceSetExitRoutine:
      TheRuntime().exit_routine = va_arg(ap, ExitRoutine);
      break;
    case kServiceReadObjectProperty:
    case kServiceWriteObjectProperty: {
      uint32_t type_code = va_arg(ap, uint32_t);
      auto* object = va_arg(ap, UnitObject*);
      int32_t index = va_arg(ap, int32_t);
      auto* value = va_arg(ap, PropertyValue*);
      result = number == kServiceReadObjectProperty
                   ? uintptr_t(ReadObjectProperty(type_code, object, index, value))
                   : uintptr_t(WriteObjectProperty(type_code, object, index, *value));
      break;
    }
    case kServiceInitRuntime:
      InitRuntime(va_arg(ap, const ProgramHeader*));
      break;
    default:
      break;
  }
  va_end(ap);
  return result;
}

}  // namespace

const EntryPoints kEntryPoints = {
    &ReportRuntimeError,
    &CallDllCommand,
    &CallLibraryCommandEntry,
    &CallCoreCommandEntry,
    &ReadProperty,
    &WriteProperty,
    &AllocMem,
    &ReallocMem,
    &FreeMem,
    &ExitProgram,
    &RunMessageLoop,
    &LoadStartWindow,
    &RuntimeService,
};

}  // namespace rc
