// Loaded by the program as its skin library: at the first skin it writes manifest_probe.txt
// beside the program, the run level, the supported systems and the DPI settings of the
// process's own activation context, one "name=value" a line.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace {

// The compatibility list as the system hands it out (the element grew a tested version after
// Windows 7; the system gives the newer form).
struct CompatibilityElement {
  GUID id;
  DWORD type;
  ULONGLONG max_version_tested;
};
struct CompatibilityList {
  DWORD count;
  CompatibilityElement elements[16];
};

std::string Setting(const wchar_t* space, const wchar_t* name) {
  using Query =
      BOOL(WINAPI*)(DWORD, HANDLE, const wchar_t*, const wchar_t*, wchar_t*, SIZE_T, SIZE_T*);
  auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryActCtxSettingsW")));
  wchar_t value[64] = {};
  SIZE_T size = 0;
  if (query == nullptr || !query(0, nullptr, space, name, value, 64, &size)) return "(none)";
  char out[64];
  WideCharToMultiByte(CP_UTF8, 0, value, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

std::string Report() {
  std::string out;
  ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level{};
  SIZE_T size = 0;
  // No flags and no context: the process's default one, made from the program's manifest.
  if (QueryActCtxW(0, nullptr, nullptr, RunlevelInformationInActivationContext, &level,
                   sizeof level, &size)) {
    out += "run level=" + std::to_string(int(level.RunLevel)) + "\n";
    out += "ui access=" + std::to_string(level.UiAccess) + "\n";
  }
  CompatibilityList list{};
  if (QueryActCtxW(0, nullptr, nullptr, CompatibilityInformationInActivationContext, &list,
                   sizeof list, &size)) {
    for (DWORD i = 0; i < list.count && i < 16; ++i) {
      const GUID& g = list.elements[i].id;
      char text[64];
      std::snprintf(text, sizeof text, "{%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x}",
                    g.Data1, g.Data2, g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3],
                    g.Data4[4], g.Data4[5], g.Data4[6], g.Data4[7]);
      out += "supported os=" + std::string(text) + "\n";
    }
  }
  out +=
      "dpiAware=" + Setting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings", L"dpiAware") +
      "\n";
  out += "dpiAwareness=" +
         Setting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness") + "\n";
  return out;
}

}  // namespace

extern "C" int __stdcall SkinH_AttachRes(const void*, int, const char*, int, int, int) {
  static bool written = false;
  if (written) return 0;
  written = true;
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file(path, n);
  file = file.substr(0, file.find_last_of(L'\\') + 1) + L"manifest_probe.txt";
  const std::string text = Report();
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  DWORD put = 0;
  WriteFile(h, text.data(), DWORD(text.size()), &put, nullptr);
  CloseHandle(h);
  return 0;
}
