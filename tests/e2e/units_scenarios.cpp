// The unit framework seen from outside, on the units probe (forms compiled by the form
// compiler): Chinese texts under a Western code page, the events of real input messages, the
// fatal errors of property access and event lookup, and handlers held off under an error report.
#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/harness/driver.h"

using namespace harness;

namespace {

constexpr char kTitle[] = "单元探针：中文标题";

struct UnitsRun {
  TempDir dir;
  Process proc;
  explicit UnitsRun(const std::string& args) : proc(dir, "units_probe.exe", args) {}
  DWORD Exit(DWORD timeout = 10000) {
    DWORD code = 0;
    EXPECT_TRUE(proc.WaitExit(timeout, &code)) << "the program must end";
    return code;
  }
  std::vector<std::string> Lines(const std::string& file) const {
    std::vector<std::string> lines;
    std::istringstream in(dir.Read(file));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Waits until the note file has at least n lines.
  bool WaitLines(const std::string& file, size_t n) const {
    return WaitUntil([&] { return Lines(file).size() >= n; });
  }
};

std::string Hex(const void* data, size_t size) {
  std::string out;
  char buf[4];
  for (size_t i = 0; i < size; ++i) {
    std::snprintf(buf, sizeof buf, "%02X", static_cast<const unsigned char*>(data)[i]);
    out += buf;
  }
  return out;
}

std::wstring Utf16(const std::string& gbk) {
  int n = MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), int(gbk.size()), &w[0], n);
  return w;
}

HWND FindEdit(HWND window) {
  for (const Control& c : Children(window)) {
    if (lstrcmpiA(c.cls.c_str(), "Edit") == 0) return c.hwnd;
  }
  return nullptr;
}

// Wine gives a program the code page of the locale of the Unix environment it starts in; a
// program started by another Windows program starts in its parent's, whatever environment block
// it is handed. So the probe is started as a Wine process of its own, through env(1), with a
// Western locale; the window and the process are then found from outside.
struct WesternRun {
  TempDir dir;
  HANDLE process = nullptr;
  HWND window = nullptr;

  bool Start() {
    if (!dir.CopyIn(BinDir() + "units_probe.exe", "units_probe.exe")) return false;
    std::wstring cmd = L"/usr/bin/env LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8 wine \"" +
                       Utf16(dir.path()) + L"units_probe.exe\" lang";
    std::wstring cwd = Utf16(dir.path());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(L"Z:\\usr\\bin\\env", &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        cwd.c_str(), &si, &info)) {
      return false;
    }
    if (info.hThread != nullptr) CloseHandle(info.hThread);
    if (info.hProcess != nullptr) CloseHandle(info.hProcess);
    std::wstring title = Utf16(kTitle);
    if (!WaitUntil([&] { return (window = FindWindowW(nullptr, title.c_str())) != nullptr; },
                   20000)) {
      return false;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE, pid);
    return process != nullptr;
  }
  ~WesternRun() {
    if (process == nullptr) return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) TerminateProcess(process, 1);
    CloseHandle(process);
  }
};

TEST(UnitsScenario, ChineseTextsComeThroughUnderAWesternCodePage) {
  WesternRun run;
  if (!run.Start()) GTEST_SKIP() << "needs Wine with env(1) to start a program in another locale";
  ASSERT_TRUE(WaitUntil([&] {
    std::istringstream in(run.dir.Read("lang.txt"));
    int n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n >= 7;
  }));
  std::vector<std::string> lines;
  std::istringstream in(run.dir.Read("lang.txt"));
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  EXPECT_EQ(lines[0], "acp 1252") << "the program runs with a Western ANSI code page";

  struct Text {
    const char* name;
    std::string gbk;
  } texts[] = {{"title", kTitle}, {"label", "中文标签"}, {"button", "按钮：确定"},
               {"edit", "编辑"},  {"group", "分组：甲"}, {"inner", "组内标签"}};
  std::map<std::string, std::string> seen;
  for (size_t i = 1; i < lines.size(); ++i) {
    seen[lines[i].substr(0, lines[i].find(' '))] = lines[i];
  }
  for (const Text& t : texts) {
    std::wstring wide = Utf16(t.gbk);
    EXPECT_EQ(seen[t.name], std::string(t.name) + " gbk " + Hex(t.gbk.data(), t.gbk.size()) +
                                " wide " + Hex(wide.data(), wide.size() * 2))
        << t.name << ": read back as GBK, held by the native window as UTF-16";
  }
  EXPECT_NE(FindChildByText(run.window, "按钮：确定"), nullptr);
  EXPECT_NE(FindChildByText(run.window, "分组：甲"), nullptr);

  Close(run.window);
  ASSERT_EQ(WaitForSingleObject(run.process, 10000), WAIT_OBJECT_0) << "the program must end";
  DWORD code = 1;
  GetExitCodeProcess(run.process, &code);
  EXPECT_EQ(code, 0u);
}

void Press(std::initializer_list<std::pair<WORD, bool>> keys) {
  std::vector<INPUT> inputs;
  for (const auto& k : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = k.first;
    in.ki.dwFlags = k.second ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

TEST(UnitsScenario, AnEditBoxRaisesItsEventsForRealMessagesInOrder) {
  UnitsRun run("events");
  HWND window = run.proc.WaitWindow(kTitle);
  ASSERT_NE(window, nullptr);
  HWND edit = FindEdit(window);
  ASSERT_NE(edit, nullptr);

  ClickAt(edit, 12, 6);
  ASSERT_TRUE(run.WaitLines("events.txt", 1));
  TypeText(edit, "5");
  ASSERT_TRUE(run.WaitLines("events.txt", 2));
  PostMessageW(edit, EM_SETSEL, 1, 1);
  PostMessageW(edit, WM_KEYDOWN, VK_NUMPAD5, 0);
  PostMessageW(edit, WM_CHAR, 'x', 1);
  PostMessageW(edit, WM_CHAR, 'a', 1);
  ASSERT_TRUE(run.WaitLines("events.txt", 6));
  EXPECT_EQ(WindowText(edit), "5A") << "x swallowed, a turned into A";

  // Real key presses: the modifier state is the system's.
  SetForegroundWindow(window);
  harness::Sleep(100);
  Press({{VK_CONTROL, true}, {VK_CONTROL, false}});
  Press({{VK_CONTROL, true}, {'A', true}, {'A', false}, {VK_CONTROL, false}});
  run.WaitLines("events.txt", 9);

  Close(window);
  ASSERT_TRUE(run.WaitLines("events.txt", 10));
  EXPECT_TRUE(IsWindow(window)) << "a close handler returning false keeps the window";
  Close(window);
  EXPECT_EQ(run.Exit(), 0u);

  EXPECT_EQ(run.Lines("events.txt"), (std::vector<std::string>{
                                         "edit -1 12 6 0",  // x, y, key state
                                         "edit 0",          // content changed: no arguments
                                         "edit -9 53 0",    // keypad 5 as the digit key 5
                                         "edit -11 120",
                                         "edit -11 97",
                                         "edit 0",
                                         "edit -9 17 0",  // Ctrl alone: no modifier bit
                                         "edit -9 17 0",  // Ctrl again, then
                                         "edit -9 65 1",  // A with Ctrl held
                                         "window 1 refused",
                                         "window 1 allowed",
                                     }));
}

TEST(UnitsScenario, PropertyAccessAndEventLookupFailuresAreRuntimeErrors) {
  struct Case {
    const char* args;
    const char* text;
  } cases[] = {
      {"notloaded", "指定窗口尚未载入"},        {"nowindow", "未载入欲访问窗口组件所在的窗口"},
      {"badevent 1", "未找到引发事件的窗口"},   {"badevent 2", "未找到引发事件的窗口组件"},
      {"badevent 3", "引发事件的窗口组件无效"},
  };
  for (const Case& c : cases) {
    UnitsRun run(c.args);
    MessageBoxInfo box = run.proc.WaitMessageBox();
    ASSERT_TRUE(box) << c.args;
    EXPECT_EQ(box.caption, "错误");
    EXPECT_EQ(box.text, std::string("运行时出错!\r\n\r\n错误信息：") + c.text + "\r\n") << c.args;
    Answer(box, IDOK);
    EXPECT_EQ(run.Exit(), 0xFFFFFFFFu) << c.args;
    if (std::string(c.args) == "notloaded") {
      EXPECT_EQ(run.dir.Read("notloaded.txt"), "visible 0")
          << "the visible property of a unit whose window is not loaded is no error";
    }
    EXPECT_FALSE(run.dir.Exists("never.txt"));
  }
}

TEST(UnitsScenario, NoHandlerRunsWhileAnErrorReportIsShown) {
  UnitsRun run("errortick");
  MessageBoxInfo box = run.proc.WaitMessageBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(run.dir.Read("ticks.txt"), "5");
  harness::Sleep(600);  // some thirty timer messages
  EXPECT_EQ(run.dir.Read("ticks.txt"), "5") << "the timer's messages reach no handler";
  Answer(box, IDOK);
  EXPECT_EQ(run.Exit(), 0xFFFFFFFFu);
}

}  // namespace
