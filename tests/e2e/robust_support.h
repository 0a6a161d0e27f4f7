// Shared by the scenarios that feed the program bad input and faults: the program in a fresh
// folder with the units they touch, the check made after every input (still running, and its
// main window answers within a second), and the process's resource figures.
#pragma once

#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

namespace robust {

using namespace harness;

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";
constexpr char kSeen[] = "[Running State]\r\nFirst run=no\r\n";
constexpr char kStart[] = "轻触开始点名";
constexpr char kStop[] = "轻触停止点名";
constexpr char kNoNames[] =
    "您还没有加入人名（人名和人名之间不能有空缺，否则空缺以下的人名单不会随机点到。） | "
    "程序规则说明：";
constexpr char kOneName[] = "只发现了一个名单 | 提示：";

// True when the window's thread takes a message within a second: neither hung nor gone. (Not
// SMTO_ABORTIFHUNG: a thread that has just come back from a long wait counts as hung until it
// has taken its next message.)
inline bool Answers(HWND window) {
  DWORD_PTR result = 0;
  return IsWindow(window) &&
         SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &result) != 0;
}

struct Usage {
  double private_mb = 0;
  double working_set_mb = 0;
  DWORD handles = 0;
  DWORD threads = 0;
  long gdi_free = -1;  // free GDI object slots (FreeGdiSlotsOf), -1 when not counted
  int windows = 0;     // the process's windows, children included
};

// The values of the handles a process holds, from the system's handle table: Wine answers
// GetProcessHandleCount for the calling process only.
inline std::vector<USHORT> HandleValuesOf(DWORD pid) {
  struct Entry {
    ULONG owner;
    BYTE type, flags;
    USHORT value;
    PVOID object;
    ULONG access;
  };
  using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  std::vector<USHORT> values;
  if (query == nullptr) return values;
  std::vector<char> buffer(1 << 20);
  for (int tries = 0; tries < 6; ++tries) {
    ULONG needed = 0;
    const LONG status =
        query(16 /* SystemHandleInformation */, buffer.data(), ULONG(buffer.size()), &needed);
    if (status == LONG(0xC0000004)) {  // the buffer is too small
      buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
      continue;
    }
    if (status < 0) return values;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
    for (ULONG i = 0; i < count; ++i) {
      if (entries[i].owner == pid) values.push_back(entries[i].value);
    }
    return values;
  }
  return values;
}

inline DWORD HandlesOf(DWORD pid) {
  return DWORD(HandleValuesOf(pid).size());
}

struct WindowCount {
  DWORD pid;
  int windows;
};
inline BOOL CALLBACK CountChildWindow(HWND, LPARAM count) {
  ++reinterpret_cast<WindowCount*>(count)->windows;
  return TRUE;
}
inline BOOL CALLBACK CountTopWindow(HWND top, LPARAM count) {
  auto* c = reinterpret_cast<WindowCount*>(count);
  DWORD owner = 0;
  GetWindowThreadProcessId(top, &owner);
  if (owner == c->pid) {
    ++c->windows;
    EnumChildWindows(top, CountChildWindow, count);
  }
  return TRUE;
}

// The windows of a process, children included: no kernel objects, so counted apart.
inline int WindowsOf(DWORD pid) {
  WindowCount c = {pid, 0};
  EnumWindows(CountTopWindow, reinterpret_cast<LPARAM>(&c));
  return c.windows;
}

// The handles of a process counted by the name of their type ("Event", "Thread", ...), each
// duplicated into this process to ask the system what it is: the soak names what grows.
inline std::map<std::string, int> HandleTypesOf(DWORD pid) {
  using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
  const auto query_object = reinterpret_cast<QueryObject>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryObject")));
  std::map<std::string, int> types;
  HANDLE owner = OpenProcess(PROCESS_DUP_HANDLE, FALSE, pid);
  if (query_object == nullptr || owner == nullptr) {
    if (owner) CloseHandle(owner);
    return types;
  }
  for (USHORT value : HandleValuesOf(pid)) {
    std::string name = "?";
    HANDLE mine = nullptr;
    if (DuplicateHandle(owner, reinterpret_cast<HANDLE>(ULONG_PTR(value)), GetCurrentProcess(),
                        &mine, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
      alignas(8) char info[1024] = {};
      // ObjectTypeInformation starts with the type's name as a UNICODE_STRING.
      if (query_object(mine, 2, info, sizeof info, nullptr) >= 0) {
        const auto length = *reinterpret_cast<const USHORT*>(info);
        const auto* text = *reinterpret_cast<const wchar_t* const*>(info + sizeof(void*));
        if (text != nullptr) name.assign(text, text + length / 2);
      }
      CloseHandle(mine);
    }
    ++types[name];
  }
  CloseHandle(owner);
  return types;
}

// The free slots of a process's GDI object table, counted inside it by gdi_count.dll (in the
// test programs' folder) on a thread the process is made to start; -1 when that fails. The DLL
// stays loaded: later counts only start the thread.
inline long FreeGdiSlotsOf(DWORD pid) {
  const std::string dll = BinDir() + "gdi_count.dll";
  static HMODULE local = LoadLibraryA(dll.c_str());
  const FARPROC count = local ? GetProcAddress(local, "CountFreeGdiSlots") : nullptr;
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (count == nullptr || process == nullptr) {
    if (process) CloseHandle(process);
    return -1;
  }
  const auto run = [&](const void* start, void* arg, DWORD* code) {
    HANDLE t = CreateRemoteThread(
        process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<void*>(start)),
        arg, 0, nullptr);
    if (t == nullptr) return false;
    const bool ok = WaitForSingleObject(t, 20000) == WAIT_OBJECT_0 && GetExitCodeThread(t, code);
    CloseHandle(t);
    return ok;
  };
  long result = -1;
  // kernel32 lies at the same address in every process, so LoadLibraryA can start the thread.
  void* path =
      VirtualAllocEx(process, nullptr, dll.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD base = 0, slots = 0;
  if (path != nullptr && WriteProcessMemory(process, path, dll.c_str(), dll.size() + 1, nullptr) &&
      run(reinterpret_cast<const void*>(
              GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA")),
          path, &base) &&
      base != 0 &&
      run(reinterpret_cast<const char*>(uintptr_t(base)) +
              (reinterpret_cast<uintptr_t>(count) - reinterpret_cast<uintptr_t>(local)),
          nullptr, &slots)) {
    result = long(slots);
  }
  if (path != nullptr) VirtualFreeEx(process, path, 0, MEM_RELEASE);
  CloseHandle(process);
  return result;
}

inline Usage UsageOf(HANDLE process, DWORD pid) {
  Usage u;
  // The commit charge: what Windows reports as private bytes (Wine fills only this field of
  // the two that hold it).
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  if (GetProcessMemoryInfo(process, &m, sizeof m)) {
    u.private_mb = m.PagefileUsage / 1048576.0;
    u.working_set_mb = m.WorkingSetSize / 1048576.0;
  }
  if (!GetProcessHandleCount(process, &u.handles) || u.handles == 0) u.handles = HandlesOf(pid);
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snap != INVALID_HANDLE_VALUE) {
    THREADENTRY32 t{};
    t.dwSize = sizeof t;
    for (BOOL more = Thread32First(snap, &t); more; more = Thread32Next(snap, &t)) {
      if (t.th32OwnerProcessID == pid) ++u.threads;
    }
    CloseHandle(snap);
  }
  return u;
}

// The box the program shows next, answered with `button`: "text | caption", or "(no box)".
inline std::string NextBox(const Process& proc, DWORD timeout = 5000, int button = IDOK) {
  MessageBoxInfo box = proc.WaitMessageBox(timeout);
  if (!box) return "(no box)";
  Answer(box, button);
  WaitUntil([&] { return !IsWindow(box.hwnd); });
  return box.text + " | " + box.caption;
}

// Writes a whole file, any size, with the Windows file functions; false on failure.
// The program may be reading it at that moment, as it may when an editor saves: a few tries.
inline bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = INVALID_HANDLE_VALUE;
  WaitUntil(
      [&] {
        f = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
        return f != INVALID_HANDLE_VALUE;
      },
      2000);
  if (f == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  for (size_t at = 0; ok && at < bytes.size();) {
    const DWORD n = DWORD(std::min<size_t>(bytes.size() - at, 1u << 24));
    DWORD put = 0;
    ok = WriteFile(f, bytes.data() + at, n, &put, nullptr) && put == n;
    at += n;
  }
  CloseHandle(f);
  return ok;
}

// Replaces a file in one step, as editors that save to a new file and rename it do: a reader
// never meets it half written.
inline bool ReplaceFileBytes(const std::string& path, const std::string& bytes) {
  const std::string fresh = path + ".new";
  if (!WriteFileBytes(fresh, bytes)) return false;
  return WaitUntil(
      [&] { return MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0; },
      2000);
}

inline std::string ReadFileBytes(const std::string& path) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  LARGE_INTEGER size{};
  GetFileSizeEx(f, &size);
  std::string out(size_t(size.QuadPart), '\0');
  DWORD got = 0;
  size_t at = 0;
  while (at < out.size() &&
         ReadFile(f, &out[at], DWORD(std::min<size_t>(out.size() - at, 1u << 24)), &got, nullptr) &&
         got > 0) {
    at += got;
  }
  out.resize(at);
  CloseHandle(f);
  return out;
}

// A small fixed generator, so that every run feeds the same "random" bytes.
class Bytes {
 public:
  explicit Bytes(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::string Take(size_t n) {
    std::string out(n, '\0');
    for (char& c : out) c = char(Next() >> 24);
    return out;
  }

 private:
  uint32_t state_;
};

inline bool Shown(HWND hwnd) {
  return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The program in a fresh folder, started with a class list that has seen its first run (or the
// file given), its main window and the units the scenarios drive found where the form puts them.
struct Program {
  TempDir dir;
  std::unique_ptr<Process> proc;
  HWND main = nullptr;
  HWND display = nullptr, button = nullptr, banner = nullptr, panel = nullptr, tab = nullptr;
  HWND update = nullptr, skin = nullptr, speaker = nullptr, muted = nullptr;

  explicit Program(const std::string& ini = kSeen, bool write_ini = true) {
    if (write_ini) dir.Write("dede.ini", ini);
  }
  // Starts the program and finds its units; false when the window or a unit is missing.
  bool Start(DWORD timeout = 20000) {
    proc = std::make_unique<Process>(dir, "rollcall.exe");
    main = proc->WaitWindow(kTitle, timeout);
    return Find();
  }
  bool Find() {
    if (main == nullptr) return false;
    display = FindChildAt(FindChildAt(main, "Button", 8, 8), "TransLabel", 8, 16);
    button = FindChildAt(main, "Button", 8, 168);
    banner = FindChild(FindChildAt(main, "Button", 80, 336), "TransLabel");
    panel = FindChildAt(main, "Button", 592, 8);
    tab = FindChildAt(main, "Button", 584, 0);
    update = FindChildAt(main, "Button", 8, 342);
    skin = FindChildAt(main, "Button", 546, 340);
    if (panel != nullptr) {
      // The speaker and the crossed-out speaker share one rectangle; the speaker starts shown.
      for (HWND h = GetWindow(panel, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(h, &r);
        MapWindowPoints(HWND_DESKTOP, panel, reinterpret_cast<POINT*>(&r), 2);
        if (ClassName(h) == "PicBox" && r.left == 128 && r.top == 328) {
          (Shown(h) ? speaker : muted) = h;
        }
      }
    }
    return display && button && banner && panel && tab && update && skin && speaker && muted;
  }
  std::string Path(const std::string& name) const { return dir.path() + name; }
  bool Alive() const { return proc->running() && Answers(main); }
  Usage Resources() const { return UsageOf(proc->handle(), proc->pid()); }
  bool OpenPanel() const {
    if (IsWindowVisible(panel)) return true;
    Click(tab);
    return WaitUntil([&] { return IsWindowVisible(panel) != FALSE; }, 10000);
  }
  // A touch of the start/stop button once it takes touches again (the guard after each one).
  bool Touch() const {
    if (!WaitUntil([&] { return IsWindowEnabled(button) != FALSE; }, 3000)) return false;
    Click(button);
    return true;
  }
  bool Ends() const {
    Close(main);
    DWORD code = 1;
    return proc->WaitExit(10000, &code) && code == 0;
  }
};

}  // namespace robust
