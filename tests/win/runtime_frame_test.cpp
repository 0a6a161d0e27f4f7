// The runtime frame inside one process: the error report text, the program path split, DLL
// command resolution and calls, idle tasks, loading and destroying windows, the nested loop and
// the runtime services.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/program.h"
#include "base/text_w.h"
#include "base/values.h"
#include "runtime/dll_commands.h"
#include "runtime/events.h"
#include "runtime/libraries.h"
#include "runtime/properties.h"
#include "runtime/state.h"
#include "runtime/error_report.h"
#include "runtime/program_end.h"
#include "runtime/message_loop.h"
#include "runtime/initialisation.h"
#include "runtime/notify.h"
#include "runtime/services.h"
#include "runtime/unit_registry.h"
#include "runtime/window_loader.h"
#include "tests/win/runtime_forms.h"

namespace rc {
namespace {

std::string BinDir() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring w(path, n);
  w.resize(w.rfind(L'\\'));
  return std::string(w.begin(), w.end());  // the build folder's path is ASCII
}

bool Loaded(const wchar_t* dll) {
  return GetModuleHandleW(dll) != nullptr;
}

TEST(RuntimeErrorReport, LinesAppearOnlyWhenTheyHaveContent) {
  struct Case {
    const char* text;
    int32_t code;
    const char* want;
  } cases[] = {
      {"载入启动窗口失败", 0, "运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"},
      {"", 12, "运行时出错!\r\n\r\n错误代码：12\r\n\r\n"},
      {nullptr, -3, "运行时出错!\r\n\r\n错误代码：-3\r\n\r\n"},
      {"数据或数组类型不匹配", 5,
       "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n"},
      {"", 0, "运行时出错!\r\n\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatErrorReport(c.text, c.code), c.want) << "code " << c.code;
  }
}

TEST(RuntimeErrorReport, TableCoversCodesOneToEleven) {
  EXPECT_STREQ(ErrorTableText(1), "数组成员引用下标超出定义范围");
  EXPECT_STREQ(ErrorTableText(6), "调用DLL命令后发现堆栈错误");
  EXPECT_STREQ(ErrorTableText(11), "所提供参数的数据类型不符合要求");
  EXPECT_STREQ(ErrorTableText(0), "") << "codes outside the table have no text";
  EXPECT_STREQ(ErrorTableText(12), "");
  EXPECT_STREQ(ErrorTableText(-1), "");
}

TEST(RuntimeProgramPath, SplitsAtTheLastBackslashByCharacters) {
  struct Case {
    std::string path, dir, file;
  } cases[] = {
      {"C:\\班级\\点名.exe", "C:\\班级", "点名.exe"},
      {"点名.exe", "", "点名.exe"},
      {"\\a.exe", "", "a.exe"},
      // 0x81 0x5C is one GBK character whose second byte is the backslash code.
      {"C:\\d\x81\\name.exe", "C:", "d\x81\\name.exe"},
      {"C:\\x\\", "C:\\x", ""},
  };
  for (const Case& c : cases) {
    SplitPath split = SplitProgramPath(c.path);
    EXPECT_EQ(split.dir, c.dir) << c.path;
    EXPECT_EQ(split.file, c.file) << c.path;
  }
}

// --- DLL commands -------------------------------------------------------------------------

int32_t __stdcall Sum3(int32_t a, int32_t b, int32_t c) {
  return a * 100 + b * 10 + c;
}
int32_t __cdecl Sum3Cdecl(int32_t a, int32_t b, int32_t c) {
  return a + b + c;
}
uint64_t __stdcall Wide64(uint32_t lo, uint32_t hi) {
  return (uint64_t{hi} << 32) | lo;
}

TEST(RuntimeDllCall, StandardConventionKeepsTheStackBalanced) {
  const uint32_t args[] = {1, 2, 3};
  int32_t delta = 99;
  EXPECT_EQ(CallWithStackCheck(reinterpret_cast<void*>(&Sum3), 3, args, &delta) & 0xFFFFFFFF, 123u)
      << "arguments arrive in declared order";
  EXPECT_EQ(delta, 0) << "a callee that removes its arguments leaves the stack as it was";

  const uint32_t wide[] = {0x89ABCDEF, 0x01234567};
  EXPECT_EQ(CallWithStackCheck(reinterpret_cast<void*>(&Wide64), 2, wide, &delta),
            0x0123456789ABCDEFull)
      << "a 64-bit result comes back whole";
  EXPECT_EQ(delta, 0);
}

TEST(RuntimeDllCall, CallerConventionLeavesTheArgumentsBehind) {
  const uint32_t args[] = {1, 2, 3};
  int32_t delta = 0;
  EXPECT_EQ(CallWithStackCheck(reinterpret_cast<void*>(&Sum3Cdecl), 3, args, &delta) & 0xFFFFFFFF,
            6u);
  EXPECT_EQ(delta, -12) << "12 pushed bytes stayed on the stack";
}

TEST(RuntimeDllResolve, EmptyFileNameFindsGetTickCountInKernel32Only) {
  bool mpr_before = Loaded(L"mpr.dll");
  DllExport found = ResolveDllExport("", "GetTickCount", "", "");
  ASSERT_NE(found.address, nullptr) << found.error;
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  EXPECT_EQ(found.module, kernel32) << "Kernel32.dll is tried first and has the export";
  EXPECT_EQ(found.address, reinterpret_cast<void*>(GetProcAddress(kernel32, "GetTickCount")));
  EXPECT_EQ(Loaded(L"mpr.dll"), mpr_before) << "no later DLL of the list is loaded";
  FreeLibrary(found.module);
}

TEST(RuntimeDllResolve, EmptyFileNameKeepsOnlyTheDllThatHasTheExport) {
  // The probe scenario checks the same in a program that does not load Mpr.dll itself.
  if (Loaded(L"mpr.dll")) GTEST_SKIP() << "Mpr.dll is already loaded in this process";
  DllExport missing = ResolveDllExport("", "NoSuchExportAnywhere", "", "");
  EXPECT_EQ(missing.address, nullptr);
  EXPECT_EQ(missing.error, "无法找到指定DLL库文件中的输出命令“NoSuchExportAnywhere”");
  EXPECT_FALSE(Loaded(L"mpr.dll")) << "every DLL tried without the export is freed again";

  DllExport found = ResolveDllExport("", "WNetGetConnectionA", "", "");
  ASSERT_NE(found.address, nullptr) << found.error;
  EXPECT_EQ(found.module, GetModuleHandleW(L"mpr.dll")) << "the fifth DLL of the list has it";
  FreeLibrary(found.module);
  EXPECT_FALSE(Loaded(L"mpr.dll")) << "the kept module is the caller's to free";
}

TEST(RuntimeDllResolve, NamedFileIsSearchedInProgramThenModuleFolder) {
  std::string bin = BinDir();
  struct Case {
    std::string file, program_dir, module_dir;
  } cases[] = {
      {"runtime_testdll.dll", bin, "C:\\nowhere\\"},
      {"runtime_testdll.dll", "C:\\nowhere", bin + "\\"},
      {bin + "\\runtime_testdll.dll", "C:\\nowhere", "C:\\nowhere\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file + " | " + c.program_dir + " | " + c.module_dir);
    DllExport found = ResolveDllExport(c.file, "#7", c.program_dir, c.module_dir);
    ASSERT_NE(found.address, nullptr) << found.error;
    const uint32_t args[] = {2, 40};
    int32_t delta = 1;
    EXPECT_EQ(CallWithStackCheck(found.address, 2, args, &delta) & 0xFFFFFFFF, 42u)
        << "ordinal 7 is AddStd";
    EXPECT_EQ(delta, 0);
    FreeLibrary(found.module);
  }
}

TEST(RuntimeDllResolve, OrdinalsAndNamesThatAreNotThere) {
  std::string bin = BinDir();
  for (const char* name : {"#99", "#0", "#", "NoSuchExport"}) {
    DllExport found = ResolveDllExport("runtime_testdll.dll", name, bin, "");
    EXPECT_EQ(found.address, nullptr) << name;
    EXPECT_EQ(found.error,
              std::string("无法找到指定DLL库文件“runtime_testdll.dll”中的输出命令“") + name + "”");
  }
  EXPECT_FALSE(Loaded(L"runtime_testdll.dll")) << "a DLL without the export is freed again";
  DllExport by_name = ResolveDllExport("runtime_testdll.dll", "Answer", bin, "");
  DllExport by_ordinal = ResolveDllExport("runtime_testdll.dll", "#65545", bin, "");
  EXPECT_EQ(by_ordinal.address, by_name.address) << "only the lower 16 bits name the ordinal (9)";
  FreeLibrary(by_name.module);
  FreeLibrary(by_ordinal.module);
}

TEST(RuntimeDllCommand, ResolvedOnceAndFreedAtRelease) {
  Runtime& rt = TheRuntime();
  rt.program_dir = BinDir();
  const char* files[] = {"runtime_testdll.dll", ""};
  const char* exports[] = {"AddStd", "GetTickCount"};
  SetUpDllCommands(2, files, exports);
  ASSERT_EQ(rt.dll_commands.size(), 2u);
  EXPECT_EQ(rt.dll_commands[0].address, nullptr) << "nothing is resolved before the first call";

  const uint32_t args[] = {20, 22};
  EXPECT_EQ(uint32_t(CallDllCommand(0, 2, args)), 42u);
  void* first = rt.dll_commands[0].address;
  HMODULE module = rt.dll_commands[0].module;
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(uint32_t(CallDllCommand(0, 2, args)), 42u);
  EXPECT_EQ(rt.dll_commands[0].address, first);
  EXPECT_EQ(rt.dll_commands[0].module, module)
      << "the second call uses the cached address and module";
  EXPECT_NE(uint32_t(CallDllCommand(1, 0, nullptr)), 0u)
      << "GetTickCount through an empty file name";

  ReleaseDllCommands();
  EXPECT_TRUE(rt.dll_commands.empty());
  EXPECT_FALSE(Loaded(L"runtime_testdll.dll")) << "the shutdown frees the command's module";
}

// --- Idle tasks -----------------------------------------------------------------------------

struct ScratchWindow {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
  ~ScratchWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
};

std::vector<int> g_idle_calls;
void RecordIdle(void* arg) {
  g_idle_calls.push_back(int(reinterpret_cast<intptr_t>(arg)));
}

TEST(RuntimeIdleTasks, OnePerLiveWindowRunLastFirstAndDroppedWithTheirWindow) {
  Runtime& rt = TheRuntime();
  ScratchWindow a, b, c;
  g_idle_calls.clear();
  IdleTask first{a.hwnd, RecordIdle, reinterpret_cast<void*>(1)};
  EXPECT_EQ(FrameNotify(kNotifyAddIdleTask, reinterpret_cast<uintptr_t>(&first), 0), 1);
  IdleTask second{b.hwnd, RecordIdle, reinterpret_cast<void*>(2)};
  IdleTask again{a.hwnd, RecordIdle, reinterpret_cast<void*>(9)};
  IdleTask no_callback{c.hwnd, nullptr, nullptr};
  IdleTask no_window{nullptr, RecordIdle, nullptr};
  EXPECT_TRUE(AddIdleTask(second));
  EXPECT_FALSE(AddIdleTask(again)) << "a second task for the same window is ignored";
  EXPECT_FALSE(AddIdleTask(no_callback)) << "a task needs a callback";
  EXPECT_FALSE(AddIdleTask(no_window)) << "a task needs a live window";

  RunIdleTasks();
  EXPECT_EQ(g_idle_calls, (std::vector<int>{2, 1})) << "from the last registered to the first";

  DestroyWindow(b.hwnd);
  g_idle_calls.clear();
  RunIdleTasks();
  EXPECT_EQ(g_idle_calls, std::vector<int>{1}) << "a task whose window is gone is not called";
  EXPECT_EQ(rt.idle_tasks.size(), 1u) << "and is dropped from the list";

  FrameNotify(kNotifyRemoveIdleTask, uintptr_t(a.hwnd), 0);
  EXPECT_TRUE(rt.idle_tasks.empty());
}

// --- InitRuntime --------------------------------------------------------------------------------

std::vector<std::pair<int32_t, uintptr_t>> g_library_calls;
int64_t RecordingNotify(int32_t code, uintptr_t v1, uintptr_t) {
  g_library_calls.push_back({code, v1});
  return 0;
}
const LibraryDescriptor kRecordingLibrary = {kLibrarySignature, "recording",    1, 0,
                                             nullptr,           RecordingNotify};
const LibraryDescriptor kUnsignedLibrary = {0x12345678, "unsigned", 1, 0, nullptr, RecordingNotify};

TEST(RuntimeInit, TakesTheHeaderPathsLibrariesAndDllTables) {
  Runtime& rt = TheRuntime();
  wchar_t cwd_before[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd_before);
  SetCurrentDirectoryW(L"C:\\");
  g_library_calls.clear();

  static const char kConstants[] = "常量";
  const LibraryDescriptor* libraries[] = {&kRecordingLibrary, nullptr, &kUnsignedLibrary};
  const char* files[] = {"a.dll", ""};
  const char* exports[] = {"F", "#3"};
  ProgramHeader header = {7,
                          9,
                          0x00010332,
                          0,
                          reinterpret_cast<const uint8_t*>(kConstants),
                          sizeof kConstants,
                          nullptr,
                          0,
                          3,
                          libraries,
                          2,
                          files,
                          exports};
  InitRuntime(&header);

  EXPECT_EQ(rt.build_kind, 7u);
  EXPECT_EQ(rt.reserved, 9u);
  EXPECT_EQ(rt.id_counter, 0x00010333u) << "the id counter starts above the last id";
  EXPECT_EQ(FrameNotify(kNotifyBuildKind, 0, 0), 7);
  EXPECT_EQ(rt.program_file, "win_tests.exe");
  EXPECT_EQ(rt.program_dir, BinDir());
  wchar_t cwd[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, cwd);
  EXPECT_EQ(Gbk(cwd), BinDir()) << "the program directory becomes the current directory";
  EXPECT_EQ(rt.main_thread_id, GetCurrentThreadId());
  ASSERT_NE(rt.message_window, nullptr);
  EXPECT_EQ(GetWindowLongW(rt.message_window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
  EXPECT_FALSE(IsWindowVisible(rt.message_window));
  EXPECT_TRUE(IsConstant(kConstants + 2)) << "the constant data is the read-only range";
  ASSERT_EQ(rt.dll_commands.size(), 2u);
  EXPECT_EQ(rt.dll_commands[0].file, "a.dll");
  EXPECT_EQ(rt.dll_commands[1].file, "");
  EXPECT_EQ(rt.dll_commands[0].export_name, "F");
  EXPECT_EQ(rt.dll_commands[1].export_name, "#3");
  EXPECT_EQ(rt.dll_commands[0].address, nullptr);
  EXPECT_EQ(rt.dll_commands[1].address, nullptr);
  ASSERT_EQ(g_library_calls.size(), 1u) << "only the signed, non-null library is told";
  EXPECT_EQ(g_library_calls[0].first, kLibInit);
  EXPECT_EQ(g_library_calls[0].second, reinterpret_cast<uintptr_t>(&FrameNotify));
  ASSERT_EQ(rt.libraries.size(), 3u);
  EXPECT_EQ(rt.libraries[0].descriptor, &kRecordingLibrary);
  EXPECT_EQ(rt.libraries[1].descriptor, nullptr);
  EXPECT_EQ(rt.libraries[2].descriptor, nullptr) << "a record without the signature is absent";
  for (const LoadedLibrary& lib : rt.libraries) EXPECT_EQ(lib.state, 0u);

  ClearConstantRange();
  ReleaseDllCommands();
  rt.libraries.assign(kStandardLibraries, kStandardLibraries + 6);
  SetCurrentDirectoryW(cwd_before);
}

// --- Runtime services 0 to 3 ------------------------------------------------------------------

std::vector<std::string> SearchAll(const std::string& pattern, uint32_t mask) {
  std::vector<std::string> names;
  FileSearch* search = nullptr;
  while (char* name = reinterpret_cast<char*>(
             kEntryPoints.RuntimeService(kServiceFileSearch, &search, pattern.c_str(), mask))) {
    names.push_back(name);
    FreeMem(name);
  }
  kEntryPoints.RuntimeService(kServiceCloseFileSearch, search);
  kEntryPoints.RuntimeService(kServiceCloseFileSearch, nullptr);  // null is ignored
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RuntimeServices, FileSearchFindsSpecialEntriesOnlyWhenAsked) {
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  std::wstring dir = std::wstring(tmp) + L"rc_search_" + std::to_wstring(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  for (const wchar_t* name : {L"\\名单.txt", L"\\h.txt"}) {
    CloseHandle(
        CreateFileW((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  }
  SetFileAttributesW((dir + L"\\h.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  CreateDirectoryW((dir + L"\\sub").c_str(), nullptr);
  std::string pattern = Gbk(dir) + "\\*";

  using Names = std::vector<std::string>;
  EXPECT_EQ(SearchAll(pattern, 0), Names{"名单.txt"}) << "plain files only, the name in GBK";
  EXPECT_EQ(SearchAll(pattern, 0x10), (Names{"sub", "名单.txt"})) << "folders when asked";
  EXPECT_EQ(SearchAll(pattern, 0x02), (Names{"h.txt", "名单.txt"})) << "hidden files when asked";
  EXPECT_EQ(SearchAll(pattern, 0xFFFFFFFF), (Names{"h.txt", "sub", "名单.txt"}))
      << "of the mask only 0x37 counts; \".\" and \"..\" are never found";
  EXPECT_TRUE(SearchAll(Gbk(dir) + "\\*.none", 0x37).empty());

  SetFileAttributesW((dir + L"\\h.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW((dir + L"\\h.txt").c_str());
  DeleteFileW((dir + L"\\名单.txt").c_str());
  RemoveDirectoryW((dir + L"\\sub").c_str());
  RemoveDirectoryW(dir.c_str());
}

TEST(RuntimeServices, ConstantArrayCopyOwnsEveryElement) {
  static const char kFirst[] = "甲";
  struct TextArray {
    uint32_t dims, size;
    const char* items[3];
  };
  static const TextArray kTexts = {1, 3, {kFirst, nullptr, "乙"}};
  auto* copy = reinterpret_cast<TextArray*>(
      kEntryPoints.RuntimeService(kServiceCopyConstantArray, kTagText | kTagArrayFlag, &kTexts));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->dims, 1u);
  EXPECT_EQ(copy->size, 3u);
  EXPECT_NE(copy->items[0], kFirst) << "text elements are copied, not shared with the constant";
  EXPECT_STREQ(copy->items[0], "甲");
  EXPECT_EQ(copy->items[1], nullptr) << "an empty element stays empty";
  EXPECT_STREQ(copy->items[2], "乙");
  FreeArrayValue(kTagText | kTagArrayFlag, copy);

  static const uint32_t kInts[] = {2, 2, 2, 10, 20, 30, 40};
  auto* ints = reinterpret_cast<uint32_t*>(
      kEntryPoints.RuntimeService(kServiceCopyConstantArray, kTagInt | kTagArrayFlag, kInts));
  ASSERT_NE(ints, nullptr);
  EXPECT_EQ(std::vector<uint32_t>(ints, ints + 7), std::vector<uint32_t>(kInts, kInts + 7))
      << "a two-dimensional integer array is copied whole";
  FreeMem(ints);
  EXPECT_EQ(
      kEntryPoints.RuntimeService(kServiceCopyConstantArray, kTagWindowRef | kTagArrayFlag, kInts),
      0u)
      << "an element type without a known size cannot be copied";
}

void ExitRoutineForTest() {}

TEST(RuntimeServices, SetExitRoutineStoresTheRoutine) {
  Runtime& rt = TheRuntime();
  kEntryPoints.RuntimeService(kServiceSetExitRoutine, &ExitRoutineForTest);
  EXPECT_EQ(rt.exit_routine, &ExitRoutineForTest);
  kEntryPoints.RuntimeService(kServiceSetExitRoutine, static_cast<ExitRoutine>(nullptr));
  EXPECT_EQ(rt.exit_routine, nullptr);
}

}  // namespace
}  // namespace rc
