#include "runtime/dll_commands.h"

#include <shlobj.h>

#include <cstdlib>
#include <vector>

#include "base/byte_cursor.h"
#include "base/text_w.h"
#include "runtime/error_report.h"
#include "runtime/state.h"

#if !defined(__i386__)
#error "DLL commands are called with 32-bit x86 stack arguments"
#endif

extern "C" uint64_t rc_call_with_stack_check(void* fn, uint32_t argc, const uint32_t* args,
                                             int32_t* stack_delta);

// ebx keeps the stack pointer from before the arguments: both calling conventions a DLL may
// use preserve it, and it lets the stack be put right whatever the callee removed.
asm(R"(
    .text
    .globl _rc_call_with_stack_check
    .def _rc_call_with_stack_check; .scl 2; .type 32; .endef
_rc_call_with_stack_check:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    movl 12(%ebp), %ecx
    movl 16(%ebp), %esi
    movl %esp, %ebx
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  call *8(%ebp)
    movl %esp, %ecx
    subl %ebx, %ecx
    movl %ebx, %esp
    movl 20(%ebp), %ebx
    movl %ecx, (%ebx)
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace rc {

namespace {

// Where a DLL command without file name is looked for, in this order.
const char* const kSystemDlls[] = {"Kernel32.dll", "Gdi32.dll", "User32.dll",
                                   "Advapi32.dll", "Mpr.dll",   "Shell32.dll"};

// Whether the file is an image whose sections reach past its end. Windows refuses to load a
// library cut short; Wine maps the missing bytes as zeros and runs what is left.
bool CutShort(const std::string& gbk_path) {
  HANDLE f = CreateFileW(Wide(gbk_path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;  // the loader looks for it and reports
  LARGE_INTEGER size{};
  std::vector<uint8_t> head(65536);
  DWORD got = 0;
  if (!GetFileSizeEx(f, &size) || !ReadFile(f, head.data(), DWORD(head.size()), &got, nullptr)) {
    got = 0;
  }
  CloseHandle(f);
  forms::ByteReader dos(head.data(), got);
  if (dos.U16() != 0x5A4D) return false;  // no image at all: the loader reports that
  dos.Skip(58);
  forms::ByteReader pe(head.data(), got);
  pe.Skip(dos.U32());
  if (pe.U32() != 0x00004550) return true;
  pe.Skip(2);
  const uint16_t sections = pe.U16();
  pe.Skip(12);
  pe.Skip(size_t(pe.U16()) + 2);  // the optional header, after the characteristics
  for (uint16_t i = 0; i < sections && !pe.failed(); ++i) {
    pe.Skip(16);
    const uint32_t raw_size = pe.U32(), raw_at = pe.U32();
    pe.Skip(16);
    if (raw_size != 0 && uint64_t(raw_at) + raw_size > uint64_t(size.QuadPart)) return true;
  }
  return pe.failed();
}

HMODULE Load(const std::string& gbk_path) {
  if (CutShort(gbk_path)) {
    SetLastError(ERROR_BAD_EXE_FORMAT);
    return nullptr;
  }
  return LoadLibraryW(Wide(gbk_path).c_str());
}

bool Exists(const std::string& gbk_path) {
  return GetFileAttributesW(Wide(gbk_path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void* Lookup(HMODULE module, const std::string& export_name) {
  if (module == nullptr) return nullptr;
  if (!export_name.empty() && export_name[0] == '#') {
    auto ordinal = static_cast<WORD>(std::strtoul(export_name.c_str() + 1, nullptr, 10) & 0xFFFF);
    if (ordinal == 0) return nullptr;  // 0 would be taken for a null name pointer
    return reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)));
  }
  return reinterpret_cast<void*>(GetProcAddress(module, export_name.c_str()));
}

std::string NotFoundText(const std::string& file, const std::string& export_name) {
  if (file.empty()) return "无法找到指定DLL库文件中的输出命令“" + export_name + "”";
  return "无法找到指定DLL库文件“" + file + "”中的输出命令“" + export_name + "”";
}

}  // namespace

std::string UserLibraryDir(bool create) {
  wchar_t base[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base))) {
    return std::string();
  }
  std::string stem = TheRuntime().program_file;
  const size_t dot = stem.rfind('.');
  if (dot != std::string::npos && dot > 0) stem.resize(dot);
  if (stem.empty()) return std::string();
  const std::string dir = Gbk(base) + "\\" + stem;
  if (create) CreateDirectoryW(Wide(dir).c_str(), nullptr);
  return dir;
}

DllExport ResolveDllExport(const std::string& file, const std::string& export_name,
                           const std::string& program_dir, const std::string& module_dir,
                           const std::string& user_dir) {
  DllExport out;
  HMODULE module = nullptr;
  void* address = nullptr;
  if (file.empty()) {
    for (const char* name : kSystemDlls) {
      HMODULE candidate = Load(name);
      address = Lookup(candidate, export_name);
      if (address != nullptr) {
        module = candidate;
        break;
      }
      if (candidate != nullptr) FreeLibrary(candidate);
    }
  } else {
    if (file.find(':') != std::string::npos) {
      module = Load(file);
    } else {
      if (!program_dir.empty()) module = Load(program_dir + "\\" + file);
      if (module == nullptr && !module_dir.empty()) module = Load(module_dir + file);
      // Only where the program's folder has no such file: one that is there and cannot be
      // loaded is an error to report, not to paper over.
      if (module == nullptr && !user_dir.empty() && !Exists(program_dir + "\\" + file)) {
        module = Load(user_dir + "\\" + file);
      }
      if (module == nullptr) module = Load(file);
    }
    address = Lookup(module, export_name);
  }
  if (address == nullptr) {
    if (module != nullptr) FreeLibrary(module);
    out.error = NotFoundText(file, export_name);
    return out;
  }
  out.address = address;
  out.module = module;
  return out;
}

uint64_t CallWithStackCheck(void* fn, uint32_t argc, const uint32_t* args, int32_t* stack_delta) {
  return rc_call_with_stack_check(fn, argc, args, stack_delta);
}

void SetUpDllCommands(uint32_t count, const char* const* files, const char* const* exports) {
  Runtime& rt = TheRuntime();
  rt.dll_commands.assign(count, DllCommand{});
  for (uint32_t i = 0; i < count; ++i) {
    if (files != nullptr && files[i] != nullptr) rt.dll_commands[i].file = files[i];
    if (exports != nullptr && exports[i] != nullptr) rt.dll_commands[i].export_name = exports[i];
  }
}

uint64_t CallDllCommand(uint32_t number, uint32_t argc, const uint32_t* args) {
  Runtime& rt = TheRuntime();
  if (number >= rt.dll_commands.size()) {
    // Not a declared command: nothing can be looked up for it.
    ReportError(NotFoundText(std::string(), std::string()).c_str(), 0);
  }
  DllCommand& command = rt.dll_commands[number];
  void* fn = command.address;
  if (fn == nullptr) {
    DllExport found = ResolveDllExport(command.file, command.export_name, rt.program_dir,
                                       rt.module_dir, UserLibraryDir(false));
    if (found.address == nullptr) ReportError(found.error.c_str(), 0);
    command.address = fn = found.address;
    command.module = found.module;
  }
  int32_t delta = 0;
  uint64_t result = CallWithStackCheck(fn, argc, args, &delta);
  if (delta != 0) ReportRuntimeError(6);
  return result;
}

}  // namespace rc
