#include "tests/harness/driver.h"
#include "tests/source_root.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace harness {

namespace {

std::wstring Wide(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  std::wstring w(n, L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &w[0], n);
  return w;
}

std::string Narrow(const std::wstring& w) {
  if (w.empty()) return std::string();
  int n = WideCharToMultiByte(936, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(936, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

// Texts of other processes' windows are read with WM_GETTEXT under a timeout, so that a hung
// program cannot hang the test.
std::wstring WideText(HWND hwnd) {
  DWORD_PTR len = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &len)) return {};
  std::wstring w(len + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, len + 1, reinterpret_cast<LPARAM>(&w[0]),
                           SMTO_ABORTIFHUNG, 2000, &got))
    return {};
  w.resize(got);
  return w;
}

struct TopLevelQuery {
  DWORD pid;
  std::string title;
  std::string cls;
  bool any_title;
  bool want_box;
  HWND found;
};

bool IsMessageBox(HWND hwnd) {
  return ClassName(hwnd) == "#32770" && GetDlgItem(hwnd, 0xFFFF) != nullptr;
}

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lp) {
  auto* q = reinterpret_cast<TopLevelQuery*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != q->pid || !IsWindowVisible(hwnd)) return TRUE;
  if (q->want_box) {
    if (!IsMessageBox(hwnd)) return TRUE;
  } else if (!q->cls.empty()) {
    if (ClassName(hwnd) != q->cls) return TRUE;
  } else if (!q->any_title && WindowText(hwnd) != q->title) {
    return TRUE;
  }
  q->found = hwnd;
  return FALSE;
}

HWND FindTop(TopLevelQuery q, DWORD timeout_ms) {
  WaitUntil(
      [&] {
        q.found = nullptr;
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&q));
        return q.found != nullptr;
      },
      timeout_ms);
  return q.found;
}

bool RemoveTree(const std::wstring& dir) {
  // SHFileOperation wants a double-NUL-terminated list.
  std::wstring from = dir;
  if (!from.empty() && from.back() == L'\\') from.pop_back();
  from.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  return SHFileOperationW(&op) == 0;
}

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0) {
  static uint32_t table[256];
  static bool ready = false;
  if (!ready) {
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[i] = c;
    }
    ready = true;
  }
  crc = ~crc;
  for (size_t i = 0; i < n; ++i) crc = table[(crc ^ p[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void PutBe32(std::string& out, uint32_t v) {
  out.push_back(char(v >> 24));
  out.push_back(char(v >> 16));
  out.push_back(char(v >> 8));
  out.push_back(char(v));
}

void PngChunk(std::string& out, const char* type, const std::string& data) {
  PutBe32(out, uint32_t(data.size()));
  std::string body(type, 4);
  body += data;
  out += body;
  PutBe32(out, Crc32(reinterpret_cast<const uint8_t*>(body.data()), body.size()));
}

Image Capture(HDC src, int x, int y, int w, int h) {
  Image img;
  if (w <= 0 || h <= 0) return img;
  HDC mem = CreateCompatibleDC(src);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down rows
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(src, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, src, x, y, SRCCOPY);
    GdiFlush();
    img.width = w;
    img.height = h;
    img.data.assign(static_cast<uint32_t*>(bits), static_cast<uint32_t*>(bits) + size_t(w) * h);
    for (auto& px : img.data) px &= 0x00FFFFFF;
    SelectObject(mem, old);
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(mem);
  return img;
}

}  // namespace

std::string BinDir() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  std::wstring path(buf, n);
  size_t cut = path.find_last_of(L"\\/");
  return Narrow(path.substr(0, cut + 1));
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static LONG serial = 0;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    wchar_t name[64];
    swprintf(name, 64, L"rc_%lu_%lu_%ld\\", GetCurrentProcessId(), GetTickCount(),
             InterlockedIncrement(&serial));
    std::wstring dir = std::wstring(base) + name;
    if (CreateDirectoryW(dir.c_str(), nullptr)) {
      path_ = Narrow(dir);
      return;
    }
  }
}

TempDir::~TempDir() {
  if (!path_.empty()) RemoveTree(Wide(path_));
}

bool TempDir::Write(const std::string& name, const std::string& bytes) const {
  // The program under test opens its class list for a moment at a time (the banner, the clock):
  // a write that meets such a moment waits for it, as an editor's save would be retried, instead
  // of leaving the old file in place.
  HANDLE f = INVALID_HANDLE_VALUE;
  const DWORD start = GetTickCount();
  for (;;) {
    f = CreateFileW(Wide(path_ + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
        GetTickCount() - start > 3000) {
      break;
    }
    ::Sleep(5);
  }
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  BOOL ok = bytes.empty() || WriteFile(f, bytes.data(), DWORD(bytes.size()), &done, nullptr);
  CloseHandle(f);
  return ok && done == bytes.size();
}

std::string TempDir::Read(const std::string& name) const {
  HANDLE f = CreateFileW(Wide(path_ + name).c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  CloseHandle(f);
  return out;
}

bool TempDir::Exists(const std::string& name) const {
  return GetFileAttributesW(Wide(path_ + name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool TempDir::CopyIn(const std::string& from, const std::string& name) const {
  return CopyFileW(Wide(from).c_str(), Wide(path_ + name).c_str(), FALSE) != 0;
}

Process::Process(const TempDir& dir, const std::string& exe, const std::string& args) {
  std::string source = exe;
  if (exe.find('\\') == std::string::npos && exe.find('/') == std::string::npos)
    source = BinDir() + exe;
  std::string name = source.substr(source.find_last_of("\\/") + 1);
  if (!dir.CopyIn(source, name)) {
    fprintf(stderr, "harness: cannot copy %s into %s\n", source.c_str(), dir.path().c_str());
    return;
  }
  std::wstring image = Wide(dir.path() + name);
  std::wstring cmd = L"\"" + image + L"\"";
  if (!args.empty()) cmd += L" " + Wide(args);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring cwd = Wide(dir.path());
  if (!CreateProcessW(image.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si,
                      &info_)) {
    fprintf(stderr, "harness: cannot start %s (error %lu)\n", name.c_str(), GetLastError());
    info_ = PROCESS_INFORMATION{};
    return;
  }
  // Window lookups are only meaningful once the program has its message queue.
  WaitForInputIdle(info_.hProcess, 5000);
}

Process::Process(DWORD pid) {
  info_.hProcess =
      OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (info_.hProcess != nullptr) info_.dwProcessId = pid;
}

Process::~Process() {
  if (!info_.hProcess) return;
  Kill();
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

HWND Process::WaitWindow(const std::string& title, DWORD timeout_ms) const {
  return FindTop({pid(), title, "", title.empty(), false, nullptr}, timeout_ms);
}

HWND Process::WaitWindowByClass(const std::string& cls, DWORD timeout_ms) const {
  return FindTop({pid(), "", cls, false, false, nullptr}, timeout_ms);
}

MessageBoxInfo Process::WaitMessageBox(DWORD timeout_ms) const {
  MessageBoxInfo info;
  HWND box = FindTop({pid(), "", "", false, true, nullptr}, timeout_ms);
  if (!box) return info;
  info.hwnd = box;
  info.caption = WindowText(box);
  info.text = WindowText(GetDlgItem(box, 0xFFFF));
  for (const Control& c : Children(box))
    if (c.cls == "Button" && c.visible) info.buttons.push_back(c.id);
  std::sort(info.buttons.begin(), info.buttons.end());
  return info;
}

bool Process::HasMessageBox() const {
  return FindTop({pid(), "", "", false, true, nullptr}, 0) != nullptr;
}

bool Process::WaitExit(DWORD timeout_ms, DWORD* code) const {
  if (!info_.hProcess) return false;
  if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0) return false;
  DWORD c = 0;
  GetExitCodeProcess(info_.hProcess, &c);
  if (code) *code = c;
  return true;
}

bool Process::running() const {
  return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

void Process::Kill() {
  if (running()) {
    TerminateProcess(info_.hProcess, 0xDEAD);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

namespace {
// Ids of the running processes whose image has this file name.
std::vector<DWORD> ProcessesNamed(const std::wstring& name) {
  std::vector<DWORD> ids;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return ids;
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
    if (lstrcmpiW(e.szExeFile, name.c_str()) == 0) ids.push_back(e.th32ProcessID);
  }
  CloseHandle(snap);
  return ids;
}
}  // namespace

DWORD StartUnderLocale(const std::string& exe, const std::string& locale, DWORD timeout_ms) {
  const std::wstring path = Wide(exe);
  const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
  const std::vector<DWORD> before = ProcessesNamed(name);
  const std::wstring env = Wide(" LANG=" + locale + " LC_ALL=" + locale);
  std::wstring cmd = L"/usr/bin/env" + env + L" wine \"" + path + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(L"Z:\\usr\\bin\\env", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &info)) {
    return 0;
  }
  if (info.hThread != nullptr) CloseHandle(info.hThread);
  if (info.hProcess != nullptr) CloseHandle(info.hProcess);
  DWORD pid = 0;
  WaitUntil(
      [&] {
        for (DWORD id : ProcessesNamed(name)) {
          if (std::find(before.begin(), before.end(), id) == before.end()) pid = id;
        }
        return pid != 0;
      },
      timeout_ms);
  return pid;
}

namespace {
BOOL CALLBACK CollectChild(HWND hwnd, LPARAM lp) {
  auto* out = reinterpret_cast<std::vector<Control>*>(lp);
  Control c{};
  c.hwnd = hwnd;
  c.cls = ClassName(hwnd);
  c.text = WindowText(hwnd);
  GetWindowRect(hwnd, &c.rect);
  c.id = GetDlgCtrlID(hwnd);
  c.visible = IsWindowVisible(hwnd) != 0;
  out->push_back(c);
  return TRUE;
}
}  // namespace

std::vector<Control> Children(HWND parent) {
  std::vector<Control> out;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&out));
  return out;
}

HWND FindChildByText(HWND parent, const std::string& text) {
  for (const Control& c : Children(parent))
    if (c.text == text) return c.hwnd;
  return nullptr;
}

HWND FindChild(HWND parent, const std::string& cls, int id) {
  for (const Control& c : Children(parent))
    if (_stricmp(c.cls.c_str(), cls.c_str()) == 0 && (id < 0 || c.id == id)) return c.hwnd;
  return nullptr;
}

std::string WindowText(HWND hwnd) {
  return hwnd ? Narrow(WideText(hwnd)) : std::string();
}

std::string ChangingText(HWND hwnd) {
  std::wstring w(4096, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(&w[0]),
                           SMTO_ABORTIFHUNG, 2000, &got)) {
    return {};
  }
  w.resize(std::min<size_t>(got, w.size() - 1));
  return Narrow(w);
}

std::string ClassName(HWND hwnd) {
  wchar_t buf[256];
  int n = GetClassNameW(hwnd, buf, 256);
  return Narrow(std::wstring(buf, n > 0 ? n : 0));
}

void Click(HWND control) {
  PostMessageW(control, BM_CLICK, 0, 0);
}

void ClickAt(HWND window, int x, int y) {
  LPARAM pos = MAKELPARAM(x, y);
  PostMessageW(window, WM_MOUSEMOVE, 0, pos);
  PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, pos);
  PostMessageW(window, WM_LBUTTONUP, 0, pos);
}

void TypeText(HWND edit, const std::string& gbk_text) {
  // WM_SETTEXT on an edit control raises EN_CHANGE just as typing does.
  std::wstring w = Wide(gbk_text);
  DWORD_PTR r = 0;
  SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(w.c_str()), SMTO_ABORTIFHUNG,
                      5000, &r);
}

void Answer(const MessageBoxInfo& box, int button_id) {
  if (!box.hwnd) return;
  PostMessageW(box.hwnd, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), 0);
  WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, 5000);
}

void Close(HWND window) {
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
}

std::string Env(const char* name) {
  const DWORD n = GetEnvironmentVariableA(name, nullptr, 0);
  if (n == 0) return std::string();
  std::string value(n, '\0');
  const DWORD got = GetEnvironmentVariableA(name, &value[0], n);
  value.resize(got < n ? got : 0);
  return value;
}

std::string EnvPath(const char* name) {
  std::string path = Env(name);
  if (!path.empty() && path[0] == '/') {
    for (char& c : path) c = c == '/' ? '\\' : c;
    path = "Z:" + path;
  }
  return path;
}

int Width(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return r.right - r.left;
}

int LeftInParent(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  return r.left;
}

std::string LittleEndian(uint32_t v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s.push_back(char((v >> (8 * i)) & 0xFF));
  return s;
}

void SaveForReadme(const Image& shot, const char* name) {
  if (Env("ROLLCALL_SAVE_SCREENSHOTS") != "1") return;
  SavePng(shot, rc::test::SourcePath(std::string("docs/screenshots/") + name));
}

void Sleep(DWORD ms) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < ms) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    ::Sleep(5);
  }
}

Image Screenshot(HWND window) {
  HDC screen = GetDC(nullptr);
  Image img;
  if (!window) {
    img = Capture(screen, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  } else {
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(50);
    RECT r;
    GetWindowRect(window, &r);
    img = Capture(screen, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
  ReleaseDC(nullptr, screen);
  return img;
}

Image ClientShot(HWND window) {
  SetForegroundWindow(window);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(50);
  RECT r;
  GetClientRect(window, &r);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  HDC screen = GetDC(nullptr);
  Image img = Capture(screen, origin.x, origin.y, r.right, r.bottom);
  ReleaseDC(nullptr, screen);
  return img;
}

bool SavePng(const Image& image, const std::string& path) {
  if (image.empty()) return false;
  // Rows of filter byte 0 plus RGB, in stored (uncompressed) deflate blocks: no zlib needed, and
  // every viewer reads it.
  std::string raw;
  raw.reserve(size_t(image.height) * (1 + 3 * image.width));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    for (int x = 0; x < image.width; ++x) {
      uint32_t p = image.at(x, y);
      raw.push_back(char(p >> 16));
      raw.push_back(char(p >> 8));
      raw.push_back(char(p));
    }
  }
  std::string z;
  z.push_back(0x78);
  z.push_back(0x01);
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(char(n & 0xFF));
    z.push_back(char(n >> 8));
    z.push_back(char(~n & 0xFF));
    z.push_back(char((~n >> 8) & 0xFF));
    z.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBe32(z, (b << 16) | a);

  std::string png("\x89PNG\r\n\x1a\n", 8);
  std::string ihdr;
  PutBe32(ihdr, uint32_t(image.width));
  PutBe32(ihdr, uint32_t(image.height));
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  PngChunk(png, "IHDR", ihdr);
  PngChunk(png, "IDAT", z);
  PngChunk(png, "IEND", "");

  HANDLE f = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  BOOL ok = WriteFile(f, png.data(), DWORD(png.size()), &done, nullptr);
  CloseHandle(f);
  return ok && done == png.size();
}

bool Near(uint32_t a, uint32_t b, int tolerance) {
  for (int shift = 0; shift <= 16; shift += 8) {
    int d = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
    if (d < -tolerance || d > tolerance) return false;
  }
  return true;
}

int CountNear(const Image& image, int x0, int y0, int x1, int y1, uint32_t colour, int tolerance) {
  int n = 0;
  x0 = std::max(x0, 0);
  y0 = std::max(y0, 0);
  x1 = std::min(x1, image.width);
  y1 = std::min(y1, image.height);
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (Near(image.at(x, y), colour, tolerance)) ++n;
  return n;
}

HWND FindChildAt(HWND parent, const std::string& cls, int left, int top) {
  for (HWND h = GetWindow(parent, GW_CHILD); h != nullptr; h = GetWindow(h, GW_HWNDNEXT)) {
    RECT r;
    GetWindowRect(h, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    if (r.left == left && r.top == top && _stricmp(ClassName(h).c_str(), cls.c_str()) == 0)
      return h;
  }
  return nullptr;
}

uint32_t ScreenPixel(HWND window, int x, int y) {
  POINT p{x, y};
  ClientToScreen(window, &p);
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, p.x, p.y);
  ReleaseDC(nullptr, screen);
  return Rgb(GetRValue(c), GetGValue(c), GetBValue(c));
}

namespace {

// Wine maps its drives onto the Unix file system; a Unix program needs the Unix name.
std::string UnixPath(const std::string& path) {
  using ToUnix = char*(CDECL*)(const wchar_t*);
  auto to_unix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (to_unix == nullptr) return {};
  char* unix_path = to_unix(Wide(path).c_str());
  if (unix_path == nullptr) return {};
  std::string out = unix_path;
  HeapFree(GetProcessHeap(), 0, unix_path);
  return out;
}

// Runs a shell command line as a Unix process (Wine starts ELF programs); does not wait.
bool RunUnixShell(const std::string& script) {
  std::wstring cmd = L"/bin/sh -c \"" + Wide(script) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(L"Z:\\bin\\sh", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

int64_t FileSize(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (int64_t(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

SoundRecorder::SoundRecorder(int seconds) {
  wchar_t server[8];
  if (GetEnvironmentVariableW(L"PULSE_SERVER", server, 8) == 0) return;
  const std::string dir = UnixPath(dir_.path());
  if (dir.empty()) return;
  // The shell notes its process id and becomes the time limit, which ends the recorder.
  char script[512];
  std::snprintf(script, sizeof script,
                "echo $$ > '%spid'; exec timeout %d parec -d @DEFAULT_MONITOR@ --format=s16le "
                "--rate=%d --channels=1 --latency-msec=20 --raw > '%ssound.raw'",
                dir.c_str(), seconds, kRate, dir.c_str());
  if (!RunUnixShell(script)) return;
  // The null sink's monitor gives silence between sounds, so samples arrive from the start.
  recording_ = WaitUntil([&] { return FileSize(dir_.path() + "sound.raw") > 0; }, 10000);
}

SoundRecorder::~SoundRecorder() {
  const std::string pid = dir_.Read("pid");
  const size_t digits = pid.find_first_not_of("0123456789");
  if (digits > 0 && digits != std::string::npos) RunUnixShell("kill " + pid.substr(0, digits));
}

double SoundRecorder::Now() const {
  return double(std::max<int64_t>(FileSize(dir_.path() + "sound.raw"), 0)) / (2.0 * kRate);
}

int SoundRecorder::Peak(double from, double to) const {
  if (!recording_ || to <= from) return -1;
  const int64_t begin = int64_t(from * kRate) * 2, end = int64_t(to * kRate) * 2;
  const std::string path = dir_.path() + "sound.raw";
  const DWORD wait = DWORD(std::max(0.0, to - Now()) * 1000) + 3000;
  if (!WaitUntil([&] { return FileSize(path) >= end; }, wait)) return -1;
  HANDLE f = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return -1;
  std::string bytes(size_t(end - begin), '\0');
  LARGE_INTEGER at;
  at.QuadPart = begin;
  DWORD got = 0;
  const bool read = SetFilePointerEx(f, at, nullptr, FILE_BEGIN) &&
                    ReadFile(f, &bytes[0], DWORD(bytes.size()), &got, nullptr);
  CloseHandle(f);
  if (!read) return -1;
  int peak = 0;
  for (DWORD i = 0; i + 1 < got; i += 2) {
    const int sample = int16_t(uint16_t(uint8_t(bytes[i]) | (uint8_t(bytes[i + 1]) << 8)));
    peak = std::max(peak, sample < 0 ? -sample : sample);
  }
  return peak;
}

}  // namespace harness
