// The program as teachers get it: the release build out of the zip, in a fresh folder of its
// own, doing what the guide says it does. scripts/test.sh's package suite unpacks the zip, writes
// the guide's example class list in every encoding the guide names, serves the update address
// (when the package has one) on loopback and runs these scenarios in a network namespace of their
// own, so that the release build's real update address never leaves the machine. Elsewhere they are
// skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "MOX随机点名器 v6.0（课上专用）";

std::wstring Wide(const std::string& gbk) {
  std::wstring w(gbk.size(), L'\0');
  w.resize(MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &w[0],
                               static_cast<int>(w.size())));
  return w;
}

std::string Narrow(const std::wstring& w) {
  const int n = WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                    nullptr, nullptr);
  std::string s(n, '\0');
  WideCharToMultiByte(936, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
  return s;
}

using Handle = std::unique_ptr<void, decltype(&CloseHandle)>;

std::string ReadAll(const std::string& path) {
  std::string out;
  Handle f(CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr),
           &CloseHandle);
  if (f.get() == INVALID_HANDLE_VALUE) {
    f.release();
    return out;
  }
  char buf[4096];
  DWORD got = 0;
  while (ReadFile(f.get(), buf, sizeof buf, &got, nullptr) && got > 0) out.append(buf, got);
  return out;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) out.push_back(line);
    start = end + 1;
  }
  return out;
}

// Names (GBK) of the files in a folder, sorted.
std::vector<std::string> FilesIn(const std::string& dir) {
  std::vector<std::string> out;
  WIN32_FIND_DATAW d;
  HANDLE h = FindFirstFileW(Wide(dir + "*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(Narrow(d.cFileName));
  } while (FindNextFileW(h, &d));
  FindClose(h);
  std::sort(out.begin(), out.end());
  return out;
}

// What scripts/test.sh's package suite prepared; empty when the scenarios run elsewhere.
struct Inputs {
  std::string package;   // the unpacked zip (trailing backslash)
  std::string examples;  // the guide's example class list per encoding, and names.txt
  std::string requests;  // the update server's log: "version GET <path> <host>" per request
};

Inputs GetInputs() {
  return {Env("ROLLCALL_PACKAGE_DIR"), Env("ROLLCALL_PACKAGE_EXAMPLES"),
          Env("ROLLCALL_PACKAGE_REQUESTS")};
}

#define REQUIRE_PACKAGE(in)                                                   \
  if ((in).package.empty() || (in).examples.empty() || (in).requests.empty()) \
  GTEST_SKIP() << "run by scripts/test.sh --suite package"

// The package's files in the fresh folder, but the program, which Process copies itself.
void Unpack(const Inputs& in, const TempDir& dir) {
  for (const std::string& name : FilesIn(in.package)) {
    if (name == "rollcall.exe") continue;
    ASSERT_TRUE(dir.CopyIn(in.package + name, name)) << name;
  }
}

// One value of the program file's version resource, as Explorer reads it.
std::string VersionValue(const std::string& exe, const std::string& key) {
  std::unique_ptr<HINSTANCE__, decltype(&FreeLibrary)> library(LoadLibraryW(L"version.dll"),
                                                               &FreeLibrary);
  HMODULE version = library.get();
  if (version == nullptr) return "(no version.dll)";
  using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  auto size_fn = reinterpret_cast<SizeFn>(
      reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeW")));
  auto info_fn = reinterpret_cast<InfoFn>(
      reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoW")));
  auto query_fn =
      reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(version, "VerQueryValueW")));
  std::string out = "(none)";
  const std::wstring path = Wide(exe);
  DWORD handle = 0;
  const DWORD size = size_fn && info_fn && query_fn ? size_fn(path.c_str(), &handle) : 0;
  std::vector<char> block(size);
  void* value = nullptr;
  UINT length = 0;
  if (size > 0 && info_fn(path.c_str(), 0, size, block.data()) &&
      query_fn(block.data(), Wide(key).c_str(), &value, &length) && value != nullptr) {
    if (key == "\\VarFileInfo\\Translation" && length >= 4) {
      const WORD* t = static_cast<const WORD*>(value);
      char text[32];
      snprintf(text, sizeof text, "%04x/%u", t[0], t[1]);
      out = text;
    } else {
      out = Narrow(std::wstring(static_cast<const wchar_t*>(value), length ? length - 1 : 0));
    }
  }
  return out;
}

// Answers a box and waits until it is gone, so that the next lookup cannot find it again.
void Dismiss(const MessageBoxInfo& box) {
  Answer(box, IDOK);
  WaitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); });
}

// Every request so far reached the update address for its version file, and only that.
size_t VersionRequests(const Inputs& in) {
  const std::vector<std::string> lines = Lines(ReadAll(in.requests));
  for (const std::string& line : lines) {
    EXPECT_EQ(line.rfind("version GET ", 0), 0u) << "unexpected request: " << line;
  }
  return lines.size();
}

TEST(Package, FirstStartFromTheZip) {
  const Inputs in = GetInputs();
  REQUIRE_PACKAGE(in);
  TempDir dir;
  Unpack(in, dir);
  const std::vector<std::string> packed = FilesIn(dir.path());
  EXPECT_FALSE(dir.Exists("dede.ini"));
  EXPECT_FALSE(dir.Exists("SkinH_EL.dll"));
  const size_t before = VersionRequests(in);
  // A package built without an update address asks nobody, and 检查更新 says at once that the
  // server cannot be reached.
  const bool served = Env("ROLLCALL_PACKAGE_UPDATE") != "none";
  const size_t per_check = served ? 1 : 0;

  // The version resource, as the file's Properties page shows it on a Chinese Windows.
  EXPECT_EQ(VersionValue(in.package + "rollcall.exe", "\\VarFileInfo\\Translation"), "0804/1200");
  EXPECT_EQ(VersionValue(in.package + "rollcall.exe", "\\StringFileInfo\\080404b0\\ProductName"),
            "MOX随机点名器");
  EXPECT_EQ(VersionValue(in.package + "rollcall.exe", "\\StringFileInfo\\080404b0\\ProductVersion"),
            "6.0");
  EXPECT_EQ(
      VersionValue(in.package + "rollcall.exe", "\\StringFileInfo\\080404b0\\FileDescription"),
      "MOX随机点名器（课上专用）");

  Process proc(dir, in.package + "rollcall.exe");
  ASSERT_TRUE(proc.started());
  MessageBoxInfo box = proc.WaitMessageBox(20000);
  ASSERT_TRUE(box) << "no warning about the missing class list";
  EXPECT_EQ(box.caption, "外部数据缺失！");
  EXPECT_EQ(box.text, "没有发现‘dede.ini’文件！即将新建文件。");
  // Before the box: the version file fetched (when there is an address), and the skin library
  // written, hidden.
  EXPECT_EQ(VersionRequests(in), before + per_check);
  const DWORD attributes = GetFileAttributesW(Wide(dir.path() + "SkinH_EL.dll").c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "SkinH_EL.dll not written";
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_HIDDEN);
  Dismiss(box);

  box = proc.WaitMessageBox(10000);
  ASSERT_TRUE(box) << "no first-run notice";
  EXPECT_EQ(box.caption, "V6.0使用须知（首次运行）");
  Dismiss(box);
  HWND main = proc.WaitWindow(kTitle, 10000);
  ASSERT_NE(main, nullptr);
  const std::string ini = dir.Read("dede.ini");
  EXPECT_NE(ini.find("[全班人名：]"), std::string::npos);
  EXPECT_NE(ini.find("First run=no"), std::string::npos);

  // 检查更新: one more fetch of the same file, which holds this version.
  HWND update = FindChildByText(main, "检查更新");
  ASSERT_NE(update, nullptr);
  Click(update);
  box = proc.WaitMessageBox(served ? 10000 : 2000);
  ASSERT_TRUE(box);
  EXPECT_EQ(box.caption, served ? "无需更新！" : "请稍后再试！");
  EXPECT_EQ(box.text, served ? "当前已是最新版！" : "遇到错误！无法连接服务器！");
  Dismiss(box);
  EXPECT_EQ(VersionRequests(in), before + 2 * per_check);

  Close(main);
  DWORD code = 1;
  ASSERT_TRUE(proc.WaitExit(10000, &code));
  EXPECT_EQ(code, 0u);
  // Beside the program's own files, only the class list and the skin library.
  std::vector<std::string> expected = packed;
  expected.push_back("SkinH_EL.dll");
  expected.push_back("dede.ini");
  expected.push_back("rollcall.exe");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FilesIn(dir.path()), expected);
  EXPECT_EQ(VersionRequests(in), before + 2 * per_check);
}

TEST(Package, GuideExampleNamesInEveryEncoding) {
  const Inputs in = GetInputs();
  REQUIRE_PACKAGE(in);
  const std::vector<std::string> names = Lines(ReadAll(in.examples + "names.txt"));
  ASSERT_GE(names.size(), 3u);
  const std::set<std::string> promised(names.begin(), names.end());

  for (const char* file : {"gbk.ini", "utf8-bom.ini", "utf8.ini", "utf16.ini"}) {
    SCOPED_TRACE(file);
    TempDir dir;
    Unpack(in, dir);
    ASSERT_TRUE(dir.Write("dede.ini", ReadAll(in.examples + file)));
    Process proc(dir, in.package + "rollcall.exe");
    ASSERT_TRUE(proc.started());
    // The example has no first-run marker: the notice comes once; nothing says the file is
    // missing.
    MessageBoxInfo box = proc.WaitMessageBox(20000);
    ASSERT_TRUE(box);
    EXPECT_EQ(box.caption, "V6.0使用须知（首次运行）");
    Dismiss(box);
    HWND main = proc.WaitWindow(kTitle, 10000);
    ASSERT_NE(main, nullptr);
    HWND display = FindChildByText(main, "→ _ ←");
    HWND button = FindChildByText(main, "轻触开始点名");
    ASSERT_NE(display, nullptr);
    ASSERT_NE(button, nullptr);

    Click(button);
    std::set<std::string> seen;
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < 1500 && !proc.HasMessageBox()) {
      const std::string name = WindowText(display);
      if (name != "→ _ ←") seen.insert(name);
      ::Sleep(10);
    }
    if (proc.HasMessageBox()) {
      box = proc.WaitMessageBox(1000);
      ADD_FAILURE() << "the names were not read: " << box.caption << " " << box.text;
      continue;
    }
    EXPECT_EQ(WindowText(button), "轻触停止点名");
    // Names cycle at random every 50 ms: in 1.5 s at least three of the six come up, and
    // never anything else.
    EXPECT_GE(seen.size(), 3u);
    for (const std::string& name : seen) EXPECT_EQ(promised.count(name), 1u) << name;
  }
  VersionRequests(in);  // each start asked for the version file, and for nothing else
}

}  // namespace
